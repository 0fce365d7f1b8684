#include "platform/metafile_player.h"

// Enhanced metafiles (EMF) played on the metafile player.
namespace gildex::platform::metafile {

namespace {

// --- EMF: records of 32-bit values, each its type and size in bytes

Point EmfPoint(std::string_view r, std::size_t at) {
  return Point{static_cast<double>(S32(r, at)), static_cast<double>(S32(r, at + 4))};
}
// `count` points at `at`, of 16 or 32 bits a coordinate.
Polygon EmfPoints(std::string_view r, std::size_t at, std::size_t count, bool small) {
  const std::size_t size = small ? 2 : 4;
  Slice(r, at, count * size * 2);
  Polygon out;
  out.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t p = at + i * size * 2;
    out.push_back(small ? Point{static_cast<double>(S16(r, p)), static_cast<double>(S16(r, p + 2))}
                        : Point{static_cast<double>(S32(r, p)), static_cast<double>(S32(r, p + 4))});
  }
  return out;
}
// The bitmap a record carries at the offsets named from `fields` on, and its header.
std::optional<std::pair<RgbaImage, std::string_view>> EmfBitmap(std::string_view r, std::size_t fields) {
  const std::uint32_t off_info = Le(r, fields, 4), info_size = Le(r, fields + 4, 4);
  const std::uint32_t off_bits = Le(r, fields + 8, 4), bits_size = Le(r, fields + 12, 4);
  if (info_size == 0) return std::nullopt;
  const std::string_view info = Slice(r, off_info, info_size);
  if (auto image = RecordBitmap(info, Slice(r, off_bits, bits_size))) return std::pair{std::move(*image), info};
  return std::nullopt;
}
Affine EmfTransform(std::string_view r, std::size_t at) {
  return Affine{F32(r, at), F32(r, at + 4), F32(r, at + 8), F32(r, at + 12), F32(r, at + 16), F32(r, at + 20)};
}

// A player for the picture the header describes: the frame, in hundredths of a millimetre, says
// its size and where it sits on the reference device; the bounds in that device's pixels stand
// in when the frame is empty.
Player EmfPlayer(std::string_view header) {
  const int bounds[] = {S32(header, 8), S32(header, 12), S32(header, 16), S32(header, 20)};
  const double frame[] = {static_cast<double>(S32(header, 24)), static_cast<double>(S32(header, 28)),
                          static_cast<double>(S32(header, 32)), static_cast<double>(S32(header, 36))};
  const double device_x = S32(header, 72), device_y = S32(header, 76), mm_x = S32(header, 80), mm_y = S32(header, 84);
  double dots_x = 96 / 25.4, dots_y = 96 / 25.4;
  if (device_x > 0 && device_y > 0 && mm_x > 0 && mm_y > 0) dots_x = device_x / mm_x, dots_y = device_y / mm_y;
  double width, height;
  Point origin, span;
  if (frame[2] > frame[0] && frame[3] > frame[1]) {
    width = (frame[2] - frame[0]) * 96 / 2540, height = (frame[3] - frame[1]) * 96 / 2540;
    origin = {frame[0] / 100 * dots_x, frame[1] / 100 * dots_y};
    span = {(frame[2] - frame[0]) / 100 * dots_x, (frame[3] - frame[1]) / 100 * dots_y};
  } else if (bounds[2] >= bounds[0] && bounds[3] >= bounds[1]) {
    width = static_cast<double>(bounds[2]) - bounds[0] + 1, height = static_cast<double>(bounds[3]) - bounds[1] + 1;
    origin = {static_cast<double>(bounds[0]), static_cast<double>(bounds[1])};
    span = {width, height};
  } else {
    throw Bad("the metafile's size is not plausible");
  }
  const auto [w, h] = Fit(width, height);
  Player player(w, h, true);
  player.dots_x_ = dots_x, player.dots_y_ = dots_y;
  player.frame_origin_ = origin;
  player.frame_scale_ = {w / span.x, h / span.y};
  return player;
}

// Mapping, colours, modes, transforms, saved states and clipping.
bool PlayEmfState(Player& player, std::uint32_t type, std::string_view r) {
  State& s = player.state_;
  switch (type) {
    case 9:
    case 11: {  // SetWindowExtEx, SetViewportExtEx
      const Point e = EmfPoint(r, 8);
      if (e.x != 0 && e.y != 0) (type == 9 ? s.window_ext : s.viewport_ext) = e;
      return true;
    }
    case 10: s.window_org = EmfPoint(r, 8); return true;
    case 12: s.viewport_org = EmfPoint(r, 8); return true;
    case 17: s.map_mode = static_cast<int>(std::clamp<std::uint32_t>(Le(r, 8, 4), 1, 8)); return true;
    case 18: s.opaque = Le(r, 8, 4) == 2; return true;
    case 19: s.winding = Le(r, 8, 4) == 2; return true;
    case 20: s.nop = Le(r, 8, 4) == 11; return true;
    case 25: s.background = ColourRef(Le(r, 8, 4)); return true;
    case 57: s.clockwise = Le(r, 8, 4) == 2; return true;
    case 30: player.IntersectClip(EmfPoint(r, 8), EmfPoint(r, 16)); return true;
    case 75: {  // ExtSelectClipRgn: a region (by its bounds, in reference pixels) copied or intersected
      const std::uint32_t size = Le(r, 8, 4), mode = Le(r, 12, 4);
      if (mode != 1 && mode != 5) return true;
      if (mode == 5) s.clip = {0, 0, player.canvas_.image.width, player.canvas_.image.height};
      if (size == 0) return true;
      const auto frame = [&](std::size_t at) {
        return Point{(S32(r, at) - player.frame_origin_.x) * player.frame_scale_.x,
                     (S32(r, at + 4) - player.frame_origin_.y) * player.frame_scale_.y};
      };
      player.IntersectDeviceClip(frame(32), frame(40));
      return true;
    }
    case 31:
    case 32: {  // ScaleViewportExtEx, ScaleWindowExtEx
      const int xn = S32(r, 8), xd = S32(r, 12), yn = S32(r, 16), yd = S32(r, 20);
      Point& e = type == 31 ? s.viewport_ext : s.window_ext;
      if (xn != 0 && xd != 0 && yn != 0 && yd != 0) e = {e.x * xn / xd, e.y * yn / yd};
      return true;
    }
    case 33: player.Save(); return true;
    case 34: player.Restore(S32(r, 8)); return true;
    case 35: s.world = EmfTransform(r, 8); return true;
    case 36: {  // ModifyWorldTransform: identity, the new one first, the new one last, set
      const Affine m = EmfTransform(r, 8);
      switch (Le(r, 32, 4)) {
        case 1: s.world = {}; break;
        case 2: s.world = m.Then(s.world); break;
        case 3: s.world = s.world.Then(m); break;
        case 4: s.world = m; break;
        default: break;
      }
      return true;
    }
    default: return false;
  }
}

// Pens and brushes in the slots the records name, and the stock objects.
bool PlayEmfObject(Player& player, std::uint32_t type, std::string_view r) {
  State& s = player.state_;
  switch (type) {
    case 37: {
      const std::uint32_t index = Le(r, 8, 4);
      if (!(index & 0x80000000u)) {
        player.Select(index);
        return true;
      }
      // Stock objects: brushes white, light grey, grey, dark grey, black, none; pens white, black, none.
      static constexpr std::uint8_t kGreys[] = {255, 192, 128, 64, 0};
      const std::uint32_t stock = index & 0x7FFFFFFF;
      if (stock <= 4) s.brush = {0, {kGreys[stock], kGreys[stock], kGreys[stock]}, 0, nullptr};
      else if (stock == 5) s.brush = {1, {}, 0, nullptr};
      else if (stock == 6 || stock == 7) s.pen = {0, 0, stock == 6 ? Colour{255, 255, 255} : Colour{0, 0, 0}};
      else if (stock == 8) s.pen = {5, 0, {}};
      return true;
    }
    case 38: {
      Object pen = Made(Object::kPen);
      pen.pen = {static_cast<int>(Le(r, 12, 4) & 0xF), static_cast<double>(S32(r, 16)), ColourRef(Le(r, 24, 4))};
      player.Put(Le(r, 8, 4), pen);
      return true;
    }
    case 95: {  // ExtCreatePen: a pen of its brush's colour; a hollow brush makes no line
      Object pen = Made(Object::kPen);
      const int style = static_cast<int>(Le(r, 28, 4) & 0xF);
      pen.pen = {Le(r, 36, 4) == 1 ? 5 : style, static_cast<double>(Le(r, 32, 4)), ColourRef(Le(r, 40, 4))};
      player.Put(Le(r, 8, 4), pen);
      return true;
    }
    case 39: {
      Object brush = Made(Object::kBrush);
      brush.brush = {static_cast<int>(Le(r, 12, 4)), ColourRef(Le(r, 16, 4)), static_cast<int>(Le(r, 20, 4)), nullptr};
      player.Put(Le(r, 8, 4), brush);
      return true;
    }
    case 93:
    case 94: {  // CreateMonoBrush, CreateDIBPatternBrushPt
      Object brush = Made(Object::kBrush);
      brush.brush.style = 1;
      if (Le(r, 12, 4) == 0)
        if (auto image = EmfBitmap(r, 16)) brush.brush = PatternBrush(std::move(image->first));
      player.Put(Le(r, 8, 4), brush);
      return true;
    }
    case 40: player.Delete(Le(r, 8, 4)); return true;
    default: return false;
  }
}

// Lines, shapes and paths.
bool PlayEmfShape(Player& player, std::uint32_t type, std::string_view r) {
  // Most carry their bounds, a count and the points at 28, of 16 bits for the types from 85 on.
  const auto points = [&] { return EmfPoints(r, 28, Le(r, 24, 4), type >= 85); };
  switch (type) {
    case 2:
    case 85: {  // PolyBezier
      const Polygon controls = points();
      if (controls.empty()) return true;
      Polygon line{controls[0]};
      const Polygon rest = Player::Flatten(controls[0], Polygon(controls.begin() + 1, controls.end()));
      line.insert(line.end(), rest.begin(), rest.end());
      player.Polyline(line);
      return true;
    }
    case 5:
    case 88: player.PolylineTo(Player::Flatten(player.state_.position, points())); return true;  // PolyBezierTo
    case 3:
    case 86: player.PolyPolygon({points()}); return true;
    case 4:
    case 87: player.Polyline(points()); return true;
    case 6:
    case 89: player.PolylineTo(points()); return true;
    case 7:
    case 8:
    case 90:
    case 91: {  // PolyPolyline, PolyPolygon: the counts, then all the points
      const std::size_t polygons = Le(r, 24, 4), total = Le(r, 28, 4);
      Slice(r, 32, polygons * 4);
      const Polygon all = EmfPoints(r, 32 + polygons * 4, total, type >= 90);
      std::vector<Polygon> split;
      std::size_t next = 0;
      for (std::size_t i = 0; i < polygons; ++i) {
        const std::size_t n = Le(r, 32 + i * 4, 4);
        if (n > all.size() - next) throw Bad("a metafile record is cut short");
        split.emplace_back(all.begin() + static_cast<std::ptrdiff_t>(next), all.begin() + static_cast<std::ptrdiff_t>(next + n));
        next += n;
      }
      if (type == 8 || type == 91) player.PolyPolygon(split);
      else
        for (const Polygon& line : split) player.Polyline(line);
      return true;
    }
    case 15: player.SetPixel(EmfPoint(r, 8), ColourRef(Le(r, 16, 4))); return true;
    case 27: player.MoveTo(EmfPoint(r, 8)); return true;
    case 54: player.PolylineTo({EmfPoint(r, 8)}); return true;
    case 42: player.EllipseShape(EmfPoint(r, 8), EmfPoint(r, 16)); return true;
    case 43: player.Rectangle(EmfPoint(r, 8), EmfPoint(r, 16)); return true;
    case 44: player.RoundRect(EmfPoint(r, 8), EmfPoint(r, 16), EmfPoint(r, 24)); return true;
    case 45:
    case 46:
    case 47:  // Arc, Chord, Pie
      player.ArcShape(EmfPoint(r, 8), EmfPoint(r, 16), EmfPoint(r, 24), EmfPoint(r, 32), static_cast<int>(type) - 45);
      return true;
    case 59:
      player.in_path_ = true;
      player.ClearPath();
      return true;
    case 60: player.in_path_ = false; return true;
    case 61:
      if (!player.path_closed_.empty()) player.path_closed_.back() = true;
      return true;
    case 62: player.FillPath(true, false); return true;
    case 63: player.FillPath(true, true); return true;
    case 64: player.FillPath(false, true); return true;
    case 67:  // SelectClipPath: clipping to a path is not drawn
    case 68:  // AbortPath
      player.in_path_ = false;
      player.ClearPath();
      return true;
    default: return false;
  }
}

bool PlayEmfBitmap(Player& player, std::uint32_t type, std::string_view r) {
  switch (type) {
    case 76:
    case 77: {  // BitBlt, StretchBlt
      const Point dest = EmfPoint(r, 24), size = EmfPoint(r, 32);
      const std::uint32_t rop = Le(r, 40, 4);
      if (!UsesSource(rop) || Le(r, 88, 4) == 0) {
        player.PatBlt(dest, size, rop);
        return true;
      }
      if (Le(r, 80, 4) != 0) return true;  // colours as palette indices
      const Point source_size = type == 77 ? EmfPoint(r, 100) : size;
      if (auto image = EmfBitmap(r, 84))
        player.Blit(image->first, S32(r, 44), S32(r, 48), static_cast<int>(source_size.x), static_cast<int>(source_size.y),
                    dest, size, rop);
      return true;
    }
    case 80:
    case 81: {  // SetDIBitsToDevice, StretchDIBits
      if (Le(r, 64, 4) != 0) return true;  // colours as palette indices
      const std::uint32_t rop = type == 81 ? Le(r, 68, 4) : 0xCC0020;
      const Point dest = EmfPoint(r, 24), source = EmfPoint(r, 32), source_size = EmfPoint(r, 40);
      const Point size = type == 81 ? EmfPoint(r, 72) : source_size;
      if (!UsesSource(rop)) {
        player.PatBlt(dest, size, rop);
        return true;
      }
      if (auto image = EmfBitmap(r, 48)) {
        const int cy = static_cast<int>(source_size.y);
        const int top = TopRow(image->second, image->first.height, static_cast<int>(source.y), cy);
        player.Blit(image->first, static_cast<int>(source.x), top, static_cast<int>(source_size.x), cy, dest, size, rop);
      }
      return true;
    }
    default: return false;
  }
}

}  // namespace

RgbaImage PlayEmf(std::string_view data) {
  const std::uint32_t header_size = Le(data, 4, 4);
  if (header_size < 88 || header_size > data.size()) throw Bad("the metafile's header is cut short");
  Player player = EmfPlayer(data.substr(0, header_size));
  long long count = 0;
  for (std::size_t at = header_size; at + 8 <= data.size();) {
    const std::uint32_t type = Le(data, at, 4), size = Le(data, at + 4, 4);
    if (size < 8 || size % 4 != 0) throw Bad("a metafile record has no size");
    if (size > data.size() - at) throw Bad("the metafile is cut short");
    if (type == 14) break;  // EOF
    if (++count > kMaxRecords) throw Bad("the metafile has too many records");
    const std::string_view r = data.substr(at, size);
    at += size;
    // Text, fonts, palettes, clipping regions and comments are not drawn.
    PlayEmfState(player, type, r) || PlayEmfObject(player, type, r) || PlayEmfShape(player, type, r) ||
        PlayEmfBitmap(player, type, r);
  }
  return std::move(player.canvas_.image);
}

}  // namespace gildex::platform::metafile
