#pragma once
// Pictures as VB6 stores them in .frx files (BMP, ICO, CUR, GIF, JPEG, PNG), decoded to
// RGBA and written as PNG, the one format every browser and viewer shows.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gildex::platform {

struct RgbaImage {
  int width = 0, height = 0;
  std::vector<std::uint8_t> pixels;  // rows from the top, 4 bytes a pixel
};

// The first image of `bytes`; nothing, and `problem` says why, for a format without a
// decoder here (metafiles) or damaged data.
std::optional<RgbaImage> DecodePicture(std::string_view bytes, std::string& problem);
// The PNG file of `image`.
std::string EncodePng(const RgbaImage& image);

}  // namespace gildex::platform
