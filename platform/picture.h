#pragma once
// Pictures as VB6 stores them in .frx files (BMP, ICO, CUR, GIF, JPEG, PNG, WMF, EMF), decoded
// or drawn (metafile.h) to RGBA and written as PNG, the one format every browser and viewer shows.
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

// The first image of `bytes`; nothing, and `problem` says why, for an unknown format or
// damaged data.
std::optional<RgbaImage> DecodePicture(std::string_view bytes, std::string& problem);
// A device-independent bitmap as metafiles carry it: its header and colour table, then the
// pixel bits at `bits` (0: just after the colour table).
std::optional<RgbaImage> DecodeBitmapInfo(std::string_view dib, std::size_t bits, std::string& problem);
// The PNG file of `image`.
std::string EncodePng(const RgbaImage& image);

}  // namespace gildex::platform
