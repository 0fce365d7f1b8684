#include "tools/json.h"

#include <cstdio>

#include "platform/cp1252.h"

namespace gildex {

std::string JsonString(std::string_view text) {
  const std::string utf8 = cp1252::ToUtf8(text);
  std::string json = "\"";
  for (const char c : utf8) {
    switch (c) {
      case '"': json += "\\\""; break;
      case '\\': json += "\\\\"; break;
      case '\n': json += "\\n"; break;
      case '\r': json += "\\r"; break;
      case '\t': json += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
          json += escaped;
        } else {
          json += c;
        }
    }
  }
  return json + "\"";
}

}  // namespace gildex
