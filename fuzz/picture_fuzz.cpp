// Arbitrary bytes as a picture kept in a form: decoding either fails with a reason or gives
// an image whose PNG decodes back to the same pixels; nothing may crash.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte picks the format's signature, so every decoder sees most inputs.
  static constexpr std::string_view kMagic[] = {
      "BM", std::string_view("\0\0\1\0", 4), "GIF89a", "\xFF\xD8\xFF", "", "\xD7\xCD\xC6\x9A",
      std::string_view("\1\0\x09\0", 4), std::string_view("\1\0\0\0", 4)};
  constexpr std::size_t kKinds = std::size(kMagic);
  if (size == 0) return 0;
  std::string bytes = std::string(kMagic[data[0] % kKinds]) + std::string(reinterpret_cast<const char*>(data) + 1, size - 1);
  // An enhanced metafile says so 40 bytes in.
  if (data[0] % kKinds == kKinds - 1) {
    if (bytes.size() < 44) bytes.resize(44, '\0');
    bytes.replace(40, 4, " EMF");
  }
  std::string problem;
  const auto image = gildex::platform::DecodePicture(bytes, problem);
  if (!image) {
    if (problem.empty()) std::abort();
    return 0;
  }
  std::string again;
  const auto round = gildex::platform::DecodePicture(gildex::platform::EncodePng(*image), again);
  if (!round || round->pixels != image->pixels) std::abort();
  return 0;
}
