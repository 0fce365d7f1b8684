#include "platform/picture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace gildex::platform {
namespace {

std::string Le(std::uint32_t value, int size) {
  std::string bytes;
  for (int i = 0; i < size; ++i) bytes += static_cast<char>(value >> (8 * i) & 0xFF);
  return bytes;
}

// A DIB header of 40 bytes for a bitmap of `bpp` bits (height doubled for icons).
std::string Dib(int width, int height, int bpp, int colours) {
  return Le(40, 4) + Le(width, 4) + Le(height, 4) + Le(1, 2) + Le(bpp, 2) + Le(0, 4) + Le(0, 4) + Le(0, 4) +
         Le(0, 4) + Le(colours, 4) + Le(0, 4);
}

// 2 x 2, bottom row first: blue, green / red, white.
std::string Bmp24() {
  const std::string bits = std::string("\xFF\x00\x00\x00\xFF\x00", 6) + std::string(2, '\0') +
                           std::string("\x00\x00\xFF\xFF\xFF\xFF", 6) + std::string(2, '\0');
  return "BM" + Le(14 + 40 + 16, 4) + Le(0, 4) + Le(14 + 40, 4) + Dib(2, 2, 24, 0) + bits;
}

// 2 x 1 of one bit a pixel, palette black and yellow, in an icon whose mask hides the left pixel.
std::string Icon1() {
  const std::string palette = std::string("\0\0\0\0", 4) + std::string("\x00\xFF\xFF\x00", 4);
  const std::string image = Dib(2, 2, 1, 2) + palette + Le(0x40, 4) + Le(0x80, 4);
  return std::string("\0\0\1\0\1\0", 6) + Le(2, 1) + Le(1, 1) + Le(0, 2) + Le(1, 2) + Le(1, 2) +
         Le(static_cast<std::uint32_t>(image.size()), 4) + Le(22, 4) + image;
}

std::string Rgba(const RgbaImage& image) {
  std::string text;
  for (std::size_t i = 0; i < image.pixels.size(); i += 4) {
    char pixel[16];
    std::snprintf(pixel, sizeof pixel, "%02x%02x%02x%02x ", image.pixels[i], image.pixels[i + 1],
                  image.pixels[i + 2], image.pixels[i + 3]);
    text += pixel;
  }
  return std::to_string(image.width) + "x" + std::to_string(image.height) + " " + text;
}

TEST(Picture, DecodesStoredFormatsAndSaysWhyNot) {
  struct Case {
    std::string name, bytes, pixels_or_problem;
  };
  const RgbaImage two{1, 2, {1, 2, 3, 4, 250, 251, 252, 253}};
  const std::vector<Case> cases = {
      {"24-bit bitmap", Bmp24(), "2x2 ff0000ff ffffffff 0000ffff 00ff00ff "},
      {"icon with mask", Icon1(), "2x1 00000000 ffff00ff "},
      {"PNG round trip", EncodePng(two), "1x2 01020304 fafbfcfd "},
      {"cut short", Bmp24().substr(0, 60), "the bitmap is cut short"},
      {"huge", "BM" + Le(0, 4) + Le(0, 4) + Le(54, 4) + Dib(100000, 100000, 24, 0), "the picture's size is not plausible"},
      {"metafile", "\xD7\xCD\xC6\x9A" + std::string(40, '\0'), "metafiles and unknown formats have no PNG copy"},
      {"bad GIF", "GIF89a", "No screen descriptor detected"},
  };
  for (const Case& c : cases) {
    std::string problem;
    const auto image = DecodePicture(c.bytes, problem);
    EXPECT_EQ(image ? Rgba(*image) : problem, c.pixels_or_problem) << c.name;
  }
}

// Every picture the shared corpus keeps in its forms, apart from metafiles, gives a PNG.
TEST(Picture, DecodesThePicturesOfRealForms) {
  const std::filesystem::path corpus = GILDEX_CORPUS_DIR;
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  int decoded = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
    const std::string extension = entry.path().extension().string();
    if (extension != ".frx" && extension != ".ctx") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    for (std::size_t at = bytes.find("lt\0\0", 0, 4); at != std::string::npos && at >= 4;
         at = bytes.find("lt\0\0", at + 4, 4)) {
      const std::string_view data = std::string_view(bytes).substr(at + 8);
      const bool known = data.starts_with("BM") || data.starts_with("GIF8") || data.starts_with("\xFF\xD8\xFF") ||
                         data.starts_with(std::string_view("\0\0\1\0", 4));
      if (!known) continue;
      std::string problem;
      const auto image = DecodePicture(data, problem);
      ASSERT_TRUE(image) << entry.path() << " at " << at << ": " << problem;
      EXPECT_EQ(EncodePng(*image).substr(1, 3), "PNG");
      ++decoded;
    }
  }
  EXPECT_GT(decoded, 50);
}

}  // namespace
}  // namespace gildex::platform
