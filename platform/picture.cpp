#include "platform/picture.h"

#include "platform/metafile.h"

#include <gif_lib.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <stdexcept>

// jpeglib.h expects FILE and size_t declared before it.
#include <jpeglib.h>

namespace gildex::platform {

namespace {

// Anything larger is not a picture a form holds; it guards the allocations below.
constexpr long long kMaxPixels = 64LL * 1024 * 1024;

struct Bad : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::uint32_t Le(std::string_view bytes, std::size_t at, int size) {
  if (at + static_cast<std::size_t>(size) > bytes.size()) throw Bad("the picture is cut short");
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
  return value;
}

void CheckSize(long long width, long long height) {
  if (width <= 0 || height <= 0 || width * height > kMaxPixels) throw Bad("the picture's size is not plausible");
}

RgbaImage Blank(long long width, long long height) {
  CheckSize(width, height);
  RgbaImage image;
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.pixels.assign(static_cast<std::size_t>(width * height * 4), 0);
  return image;
}

// A device-independent bitmap: its header at `at`, the pixel bits at `bits` (or just after the
// colour table when 0). `mask_below`: an icon's AND mask follows the colour bits, and the
// header's height counts both.
RgbaImage DecodeDib(std::string_view data, std::size_t at, std::size_t bits, bool icon) {
  const std::uint32_t header = Le(data, at, 4);
  long long width, height;
  std::uint32_t planes_bpp, compression = 0, colours = 0;
  if (header == 12) {
    width = static_cast<std::int16_t>(Le(data, at + 4, 2));
    height = static_cast<std::int16_t>(Le(data, at + 6, 2));
    planes_bpp = Le(data, at + 10, 2);
  } else if (header >= 40) {
    width = static_cast<std::int32_t>(Le(data, at + 4, 4));
    height = static_cast<std::int32_t>(Le(data, at + 8, 4));
    planes_bpp = Le(data, at + 14, 2);
    compression = Le(data, at + 16, 4);
    colours = Le(data, at + 32, 4);
  } else {
    throw Bad("an unknown bitmap header");
  }
  const bool top_down = height < 0;
  if (top_down) height = -height;
  if (icon) height /= 2;
  const std::uint32_t bpp = planes_bpp;
  if (compression != 0 && !(compression == 3 && (bpp == 16 || bpp == 32)))
    throw Bad("a compressed bitmap (" + std::to_string(compression) + ")");
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
    throw Bad("a bitmap of " + std::to_string(bpp) + " bits a pixel");
  const std::size_t entry = header == 12 ? 3 : 4;
  std::size_t table = at + header + (compression == 3 && header == 40 ? 12 : 0);
  if (bpp <= 8 && colours == 0) colours = 1u << bpp;
  if (bpp > 8) colours = 0;
  if (colours > 256) throw Bad("a colour table of " + std::to_string(colours) + " entries");
  if (bits == 0) bits = table + colours * entry;
  CheckSize(width, height);
  const std::size_t stride = ((static_cast<std::size_t>(width) * bpp + 31) / 32) * 4;
  // Checked before the pixels are allocated: a few bytes must not claim a huge bitmap.
  if (bits + stride * static_cast<std::size_t>(height) > data.size()) throw Bad("the bitmap is cut short");
  RgbaImage image = Blank(width, height);
  for (long long y = 0; y < height; ++y) {
    const std::size_t row = bits + stride * static_cast<std::size_t>(top_down ? y : height - 1 - y);
    std::uint8_t* out = &image.pixels[static_cast<std::size_t>(y * width * 4)];
    for (long long x = 0; x < width; ++x, out += 4) {
      std::uint32_t b, g, r, a = 255;
      if (bpp <= 8) {
        const std::size_t bit = static_cast<std::size_t>(x) * bpp;
        const auto byte = static_cast<std::uint8_t>(data[row + bit / 8]);
        const std::uint32_t index = (byte >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
        const std::size_t colour = table + std::min(index, colours - 1) * entry;
        b = Le(data, colour, 1), g = Le(data, colour + 1, 1), r = Le(data, colour + 2, 1);
      } else if (bpp == 16) {
        const std::uint32_t v = Le(data, row + static_cast<std::size_t>(x) * 2, 2);
        r = (v >> 10 & 31) * 255 / 31, g = (v >> 5 & 31) * 255 / 31, b = (v & 31) * 255 / 31;
      } else {
        const std::size_t p = row + static_cast<std::size_t>(x) * (bpp / 8);
        b = Le(data, p, 1), g = Le(data, p + 1, 1), r = Le(data, p + 2, 1);
        // Icons of 32 bits carry their own alpha; plain bitmaps' fourth byte is padding.
        if (bpp == 32 && icon) a = Le(data, p + 3, 1);
      }
      out[0] = static_cast<std::uint8_t>(r), out[1] = static_cast<std::uint8_t>(g);
      out[2] = static_cast<std::uint8_t>(b), out[3] = static_cast<std::uint8_t>(a);
    }
  }
  if (icon && bpp != 32) {
    // The AND mask: a set bit is a transparent pixel.
    const std::size_t mask = bits + stride * static_cast<std::size_t>(height);
    const std::size_t mask_stride = ((static_cast<std::size_t>(width) + 31) / 32) * 4;
    if (mask + mask_stride * static_cast<std::size_t>(height) <= data.size())
      for (long long y = 0; y < height; ++y)
        for (long long x = 0; x < width; ++x) {
          const std::size_t row = mask + mask_stride * static_cast<std::size_t>(height - 1 - y);
          const auto byte = static_cast<std::uint8_t>(data[row + static_cast<std::size_t>(x) / 8]);
          if (byte >> (7 - x % 8) & 1) image.pixels[static_cast<std::size_t>((y * width + x) * 4 + 3)] = 0;
        }
  }
  return image;
}

std::optional<RgbaImage> DecodePng(std::string_view data, std::string& problem) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, data.data(), data.size())) {
    problem = png.message;
    return std::nullopt;
  }
  png.format = PNG_FORMAT_RGBA;
  RgbaImage image = Blank(png.width, png.height);
  if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) {
    problem = png.message;
    png_image_free(&png);
    return std::nullopt;
  }
  return image;
}

// An icon or cursor directory: the largest image in it.
RgbaImage DecodeIcon(std::string_view data, std::string& problem) {
  const std::uint32_t count = Le(data, 4, 2);
  if (count == 0) throw Bad("an icon without images");
  std::size_t best = 0;
  long long best_area = -1;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t entry = 6 + i * 16;
    const long long w = Le(data, entry, 1) == 0 ? 256 : Le(data, entry, 1);
    const long long h = Le(data, entry + 1, 1) == 0 ? 256 : Le(data, entry + 1, 1);
    if (w * h > best_area) best_area = w * h, best = entry;
  }
  const std::uint32_t size = Le(data, best + 8, 4), offset = Le(data, best + 12, 4);
  if (offset > data.size() || size > data.size() - offset) throw Bad("the icon is cut short");
  const std::string_view image = data.substr(offset, size);
  if (image.starts_with("\x89PNG")) {
    if (auto png = DecodePng(image, problem)) return *png;
    throw Bad(problem);
  }
  return DecodeDib(image, 0, 0, true);
}

struct GifReader {
  std::string_view data;
  std::size_t at = 0;
};

int ReadGif(GifFileType* gif, GifByteType* into, int wanted) {
  auto* reader = static_cast<GifReader*>(gif->UserData);
  const std::size_t n = std::min(static_cast<std::size_t>(wanted), reader->data.size() - reader->at);
  std::memcpy(into, reader->data.data() + reader->at, n);
  reader->at += n;
  return static_cast<int>(n);
}

// giflib's words for an error; some failures (an image of no width) come without any.
std::string GifProblem(int error) {
  const char* text = GifErrorString(error);
  return text != nullptr ? text : "a damaged GIF";
}

RgbaImage DecodeGif(std::string_view data) {
  GifReader reader{data};
  int error = 0;
  GifFileType* gif = DGifOpen(&reader, ReadGif, &error);
  if (gif == nullptr) throw Bad(GifProblem(error));
  struct Closer {
    GifFileType* gif;
    ~Closer() { DGifCloseFile(gif, nullptr); }
  } closer{gif};
  if (DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1) throw Bad(GifProblem(gif->Error));
  RgbaImage image = Blank(gif->SWidth, gif->SHeight);
  const SavedImage& frame = gif->SavedImages[0];
  const ColorMapObject* map = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
  if (map == nullptr) throw Bad("a GIF without colours");
  GraphicsControlBlock control{};
  control.TransparentColor = NO_TRANSPARENT_COLOR;
  DGifSavedExtensionToGCB(gif, 0, &control);
  const GifImageDesc& at = frame.ImageDesc;
  for (int y = 0; y < at.Height; ++y)
    for (int x = 0; x < at.Width; ++x) {
      const int px = at.Left + x, py = at.Top + y;
      if (px < 0 || py < 0 || px >= image.width || py >= image.height) continue;
      const int index = frame.RasterBits[y * at.Width + x];
      if (index == control.TransparentColor || index >= map->ColorCount) continue;
      std::uint8_t* out = &image.pixels[static_cast<std::size_t>((py * image.width + px) * 4)];
      out[0] = map->Colors[index].Red, out[1] = map->Colors[index].Green, out[2] = map->Colors[index].Blue;
      out[3] = 255;
    }
  return image;
}

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void JpegFailed(j_common_ptr info) {
  auto* error = reinterpret_cast<JpegError*>(info->err);
  info->err->format_message(info, error->message);
  std::longjmp(error->jump, 1);
}

// No C++ object with a destructor may live across the setjmp below.
bool DecodeJpegInto(std::string_view data, RgbaImage& image, std::string& problem) {
  jpeg_decompress_struct info;
  JpegError error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JpegFailed;
  // A damaged picture that still decodes (libjpeg's warnings) is no message for the user's
  // terminal: libjpeg would print them to stderr.
  error.manager.output_message = [](j_common_ptr) {};
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&info);
    problem = error.message;
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.data()), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_EXT_RGBA;
  jpeg_start_decompress(&info);
  if (info.output_width == 0 || static_cast<long long>(info.output_width) * info.output_height > kMaxPixels) {
    jpeg_destroy_decompress(&info);
    problem = "the picture's size is not plausible";
    return false;
  }
  image.width = static_cast<int>(info.output_width);
  image.height = static_cast<int>(info.output_height);
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height * 4);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = &image.pixels[static_cast<std::size_t>(info.output_scanline) * image.width * 4];
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

std::optional<RgbaImage> DecodePicture(std::string_view bytes, std::string& problem) {
  try {
    if (bytes.starts_with("BM")) return DecodeDib(bytes, 14, Le(bytes, 10, 4), false);
    if (bytes.starts_with(std::string_view("\0\0\1\0", 4)) || bytes.starts_with(std::string_view("\0\0\2\0", 4)))
      return DecodeIcon(bytes, problem);
    if (bytes.starts_with("GIF8")) return DecodeGif(bytes);
    if (bytes.starts_with("\x89PNG")) return DecodePng(bytes, problem);
    if (bytes.starts_with("\xFF\xD8\xFF")) {
      RgbaImage image;
      if (DecodeJpegInto(bytes, image, problem)) return image;
      return std::nullopt;
    }
    if (IsMetafile(bytes)) return DrawMetafile(bytes, problem);
    problem = "an unknown picture format";
  } catch (const Bad& bad) {
    problem = bad.what();
  }
  return std::nullopt;
}

std::optional<RgbaImage> DecodeBitmapInfo(std::string_view dib, std::size_t bits, std::string& problem) {
  try {
    return DecodeDib(dib, 0, bits, false);
  } catch (const Bad& bad) {
    problem = bad.what();
  }
  return std::nullopt;
}

std::string EncodePng(const RgbaImage& image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&png, nullptr, &size, 0, image.pixels.data(), 0, nullptr))
    throw std::runtime_error(png.message);
  std::string bytes(size, '\0');
  if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, image.pixels.data(), 0, nullptr))
    throw std::runtime_error(png.message);
  bytes.resize(size);
  return bytes;
}

}  // namespace gildex::platform
