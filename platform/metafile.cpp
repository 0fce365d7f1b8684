#include "platform/metafile.h"

#include "platform/metafile_player.h"

namespace gildex::platform {

bool IsMetafile(std::string_view bytes) {
  return bytes.starts_with("\xD7\xCD\xC6\x9A") || bytes.starts_with(std::string_view("\1\0\x09\0", 4)) ||
         bytes.starts_with(std::string_view("\2\0\x09\0", 4)) ||
         (bytes.starts_with(std::string_view("\1\0\0\0", 4)) && bytes.size() >= 44 && bytes.substr(40, 4) == " EMF");
}

std::optional<RgbaImage> DrawMetafile(std::string_view bytes, std::string& problem) {
  try {
    if (bytes.starts_with(std::string_view("\1\0\0\0", 4)) && bytes.substr(std::min<std::size_t>(40, bytes.size()), 4) == " EMF")
      return metafile::PlayEmf(bytes);
    return metafile::PlayWmf(bytes);
  } catch (const metafile::Bad& bad) {
    problem = bad.what();
  }
  return std::nullopt;
}

}  // namespace gildex::platform
