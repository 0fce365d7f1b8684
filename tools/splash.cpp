#include "tools/splash.h"

namespace gildex {
namespace {

// The leading digits of the dotted part `index` (from 0), as a number; 0 when there are none.
std::string Number(std::string_view version, int index) {
  for (int i = 0; i < index; ++i) {
    const std::size_t dot = version.find('.');
    if (dot == std::string_view::npos) return "0";
    version.remove_prefix(dot + 1);
  }
  std::size_t digits = 0;
  while (digits < version.size() && version[digits] >= '0' && version[digits] <= '9') ++digits;
  // "007" is version 7, as VB's numeric version fields print it.
  std::size_t first = 0;
  while (first + 1 < digits && version[first] == '0') ++first;
  return digits == 0 ? "0" : std::string(version.substr(first, digits - first));
}

}  // namespace

std::string SplashVersion(std::string_view version) { return "v" + Number(version, 0) + "." + Number(version, 1); }

std::string SplashInfo() { return std::string(kSplashInfo) + kMakerAddress; }

}  // namespace gildex
