#include "host/designer_colour.h"

#include <array>
#include <cstdlib>
#include <string>

#include "platform/cp1252.h"

namespace gildex::host {

std::optional<std::uint32_t> DesignerColour(std::string_view value) {
  if (!cp1252::StartsWithNoCase(value, "&H")) return std::nullopt;
  const std::string digits(value.substr(2));
  const unsigned long raw = std::strtoul(digits.c_str(), nullptr, 16);
  if (raw & 0x80000000UL) {
    static constexpr std::array<std::uint32_t, 25> kSystem = {
        0xD4D0C8, 0x3A6EA5, 0x0A246A, 0x808080, 0xD4D0C8, 0xFFFFFF, 0x000000, 0x000000, 0x000000,
        0xFFFFFF, 0xD4D0C8, 0xD4D0C8, 0x808080, 0x0A246A, 0xFFFFFF, 0xD4D0C8, 0x808080, 0x808080,
        0x000000, 0xD4D0C8, 0xFFFFFF, 0x404040, 0xD4D0C8, 0x000000, 0xFFFFE1};
    const unsigned long index = raw & 0xFFUL;
    if (index >= kSystem.size()) return std::nullopt;
    return kSystem[index];
  }
  return static_cast<std::uint32_t>(((raw & 0xFF) << 16) | (raw & 0xFF00) | ((raw >> 16) & 0xFF));
}

}  // namespace gildex::host
