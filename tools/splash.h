#pragma once
// frmSplash: the picture window the add-in shows at start-up. It closes itself once its timer
// fires; a window draws it through SplashView (ide/connect.h).
#include <string>
#include <string_view>

namespace gildex {

inline constexpr int kSplashInterval = 5000;  // Timer1, milliseconds
inline constexpr const char* kSplashInfo =
    "Technical Support is available through e-mail only. See help/about for more details. For upgrades or future "
    "versions, please visit ";
inline constexpr const char* kMakerAddress = "www.example.org/gildex";

// lblVersion: "v" with the major and minor numbers of a version such as "1.4.2" ("v1.4"); a
// missing or unreadable number counts as 0.
std::string SplashVersion(std::string_view version);
// lblInfo: the support notice followed by the maker's web address.
std::string SplashInfo();

}  // namespace gildex
