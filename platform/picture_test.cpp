#include "platform/picture.h"

#include "platform/metafile.h"

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

// A WMF record: its function and 16-bit parameters, then `tail`.
std::string Record(int function, const std::vector<int>& words, const std::string& tail = "") {
  std::string params;
  for (int word : words) params += Le(static_cast<std::uint32_t>(word), 2);
  params += tail;
  return Le(static_cast<std::uint32_t>(3 + params.size() / 2), 4) + Le(function, 2) + params;
}

// A WMF of `records` and an end, placeable (bounds 0, 0, width, height at `inch` units an
// inch) unless `inch` is 0.
std::string Wmf(const std::vector<std::string>& records, int width, int height, int inch) {
  std::string body;
  for (const std::string& record : records) body += record;
  body += Record(0, {});
  const std::string header = Le(1, 2) + Le(9, 2) + Le(0x300, 2) + Le(static_cast<std::uint32_t>(9 + body.size() / 2), 4) +
                             Le(4, 2) + Le(0, 4) + Le(0, 2);
  if (inch == 0) return header + body;
  return "\xD7\xCD\xC6\x9A" + Le(0, 2) + Le(0, 2) + Le(0, 2) + Le(width, 2) + Le(height, 2) + Le(inch, 2) + Le(0, 4) +
         Le(0, 2) + header + body;
}

// An EMF record: its type and 32-bit values, then `tail`.
std::string Emr(int type, const std::vector<std::uint32_t>& values, const std::string& tail = "") {
  std::string params;
  for (std::uint32_t value : values) params += Le(value, 4);
  params += tail;
  return Le(type, 4) + Le(static_cast<std::uint32_t>(8 + params.size()), 4) + params;
}

// An EMF of `records` whose frame is width by height hundredths of a millimetre, on a reference
// device of 4 pixels a millimetre.
std::string Emf(const std::vector<std::string>& records, int width, int height) {
  std::string body;
  for (const std::string& record : records) body += record;
  body += Emr(14, {0, 0, 0});
  return Emr(1, {0, 0, 0, 0, 0, 0, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 0x464D4520, 0x10000,
                 static_cast<std::uint32_t>(88 + body.size()), 0, 0, 0, 0, 0, 400, 300, 100, 75}) +
         body;
}

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
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
      // Null pen, red brush, Rectangle(12, 10, 16, 14) in a window at (10, 10) of 8 by 4. The blue
      // brush keeps slot 1 while the red one takes slot 0, the lowest free.
      {"placeable WMF", Wmf({Record(0x20B, {10, 10}), Record(0x20C, {4, 8}), Record(0x2FA, {5, 0, 0, 0, 0}),
                             Record(0x12D, {0}), Record(0x2FC, {0, 0, 0xFF, 0}), Record(0x1F0, {0}),
                             Record(0x2FC, {0, 0xFF, 0, 0}), Record(0x12D, {1}), Record(0x12D, {0}),
                             Record(0x41B, {14, 16, 10, 12})},
                            4, 2, 96),
       "4x2 00000000 ff0000ff ff0000ff 00000000 00000000 ff0000ff ff0000ff 00000000 "},
      // A window of 4 by 4 sizes a WMF without the placeable header; the bitmap keeps its rows the right way up.
      {"WMF bitmap", Wmf({Record(0x20C, {4, 4}), Record(0xB41, {0x20, 0xCC, 2, 2, 0, 0, 2, 2, 1, 1}, Bmp24().substr(14))}, 0, 0, 0),
       "4x4 00000000 00000000 00000000 00000000 00000000 ff0000ff ffffffff 00000000 00000000 0000ffff 00ff00ff 00000000 "
       "00000000 00000000 00000000 00000000 "},
      // A window of 40 by 20 on a viewport of 4 by 2; a green path through (10, 0) (30, 0) (30, 20) (10, 20).
      {"EMF path", Emf({Emr(17, {8}), Emr(9, {40, 20}), Emr(11, {4, 2}), Emr(39, {1, 0, 0xFF00, 0}), Emr(37, {1}),
                        Emr(59, {}), Emr(86, {0, 0, 0, 0, 4}, Le(10, 2) + Le(0, 2) + Le(30, 2) + Le(0, 2) + Le(30, 2) + Le(20, 2) + Le(10, 2) + Le(20, 2)),
                        Emr(60, {}), Emr(62, {0, 0, 0, 0})},
                       100, 50),
       "4x2 00000000 00ff00ff 00ff00ff 00000000 00000000 00ff00ff 00ff00ff 00000000 "},
      {"WMF of 30000 units at 10 an inch", Wmf({}, 30000, 1, 10), "2048x1 " + Repeat("00000000 ", 2048)},
      {"WMF header damaged", "\xD7\xCD\xC6\x9A" + std::string(40, '\0'), "an unknown metafile header"},
      {"WMF record past the end", Wmf({Record(0x41B, {1, 1, 0, 0})}, 4, 2, 96).substr(0, 48), "the metafile is cut short"},
      {"WMF record of no size", Wmf({Le(0, 4) + Le(0x41B, 2)}, 4, 2, 96), "a metafile record has no size"},
      {"WMF record short of its parameters", Wmf({Record(0x41B, {1})}, 4, 2, 96), "a metafile record is cut short"},
      {"WMF without a size", Wmf({}, 0, 0, 0), "the metafile does not say its size"},
      {"WMF bitmap cut short", Wmf({Record(0xB41, {0x20, 0xCC, 2, 2, 0, 0, 2, 2, 0, 0}, Bmp24().substr(14, 44))}, 4, 2, 96),
       "a bitmap in the metafile: the bitmap is cut short"},
      {"WMF that fills its picture 40 times", Wmf(std::vector<std::string>(40, Record(0x41B, {30000, 30000, 0, 0})), 30000, 30000, 10),
       "the metafile draws too much to be a picture"},
      {"EMF header cut short", Emr(1, std::vector<std::uint32_t>(8, 0), " EMF"), "the metafile's header is cut short"},
      {"EMF record past the end", Emf({Emr(43, {0, 0, 4, 4})}, 100, 50).substr(0, 100), "the metafile is cut short"},
      {"unknown", "hello", "an unknown picture format"},
      {"bad GIF", "GIF89a", "No screen descriptor detected"},
      {"GIF image of no width", "GIF89a" + Le(1, 2) + Le(1, 2) + std::string(3, '\0') + "," + Le(0, 2) + Le(0, 2) + Le(0, 2) +
                                    Le(1, 2) + std::string("\0\2\0;", 4),
       "a damaged GIF"},
  };
  for (const Case& c : cases) {
    std::string problem;
    const auto image = DecodePicture(c.bytes, problem);
    EXPECT_EQ(image ? Rgba(*image) : problem, c.pixels_or_problem) << c.name;
  }
}

// Every picture the shared corpus keeps in its forms gives a PNG.
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
                         data.starts_with(std::string_view("\0\0\1\0", 4)) || IsMetafile(data);
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
