#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace gildex::host {

// A colour property's value as 0xRRGGBB: "&H00BBGGRR&", or a system colour ("&H8000000F&", the
// button face) in the classic Windows scheme both the designer and the converted page show.
// Nothing for a value that is no colour or a system colour outside the scheme.
std::optional<std::uint32_t> DesignerColour(std::string_view value);

}  // namespace gildex::host
