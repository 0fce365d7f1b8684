#include "platform/metafile_player.h"

// Windows metafiles (WMF), with or without the placeable header, played on the metafile player.
namespace gildex::platform::metafile {

namespace {

// --- WMF: records of 16-bit words, each its size in words, its function and its parameters

// A point as WMF records keep it, y first.
Point WmfPoint(std::string_view p, std::size_t at) {
  return Point{static_cast<double>(S16(p, at + 2)), static_cast<double>(S16(p, at))};
}
// `count` points as polygons keep them, x first.
Polygon WmfPoints(std::string_view p, std::size_t at, std::size_t count) {
  Slice(p, at, count * 4);
  Polygon out;
  for (std::size_t i = 0; i < count; ++i)
    out.push_back({static_cast<double>(S16(p, at + i * 4)), static_cast<double>(S16(p, at + i * 4 + 2))});
  return out;
}

struct WmfRecord {
  std::uint32_t function;
  std::string_view p;  // the parameters
  std::uint64_t words;
};

// Calls `handle` with each record from `first` up to the end record.
template <typename Handle>
void EachWmfRecord(std::string_view data, std::size_t first, Handle handle) {
  long long count = 0;
  for (std::size_t at = first; at + 6 <= data.size();) {
    const std::uint64_t words = Le(data, at, 4);
    const std::uint32_t function = Le(data, at + 4, 2);
    if (words < 3) throw Bad("a metafile record has no size");
    if (words * 2 > data.size() - at) throw Bad("the metafile is cut short");
    if (function == 0) return;
    if (++count > kMaxRecords) throw Bad("the metafile has too many records");
    handle(WmfRecord{function, data.substr(at + 6, words * 2 - 6), words});
    at += words * 2;
  }
}

// Where the records start, and the window that fills the picture.
struct WmfLayout {
  std::size_t header = 0;
  Point origin, extent;
  double width = 0, height = 0;
};

// The placeable header gives the window and, with its units an inch, the size; without it, the
// first window the metafile sets, its units taken as pixels.
WmfLayout ReadWmfLayout(std::string_view data) {
  WmfLayout layout;
  std::optional<Point> origin, extent;
  double inch = 0;
  if (data.starts_with("\xD7\xCD\xC6\x9A")) {
    const int left = S16(data, 6), top = S16(data, 8), right = S16(data, 10), bottom = S16(data, 12);
    inch = Le(data, 14, 2);
    origin = Point{static_cast<double>(left), static_cast<double>(top)};
    extent = Point{static_cast<double>(right - left), static_cast<double>(bottom - top)};
    layout.header = 22;
  }
  const std::uint32_t type = Le(data, layout.header, 2), header_words = Le(data, layout.header + 2, 2);
  if ((type != 1 && type != 2) || header_words != 9) throw Bad("an unknown metafile header");
  if (extent) {
    if (inch <= 0) inch = 1440;
    layout.width = std::abs(extent->x) * 96 / inch, layout.height = std::abs(extent->y) * 96 / inch;
  } else {
    EachWmfRecord(data, layout.header + 18, [&](const WmfRecord& r) {
      if (r.function == 0x020C && !extent) extent = WmfPoint(r.p, 0);
      if (r.function == 0x020B && !origin) origin = WmfPoint(r.p, 0);
    });
    if (!extent) throw Bad("the metafile does not say its size");
    layout.width = std::abs(extent->x), layout.height = std::abs(extent->y);
  }
  layout.origin = origin.value_or(Point{});
  layout.extent = {extent->x != 0 ? extent->x : 1, extent->y != 0 ? extent->y : 1};
  return layout;
}

// Window, colours, modes, saved states and clipping.
bool PlayWmfState(Player& player, const WmfRecord& r) {
  State& s = player.state_;
  switch (r.function) {
    case 0x020B: s.window_org = WmfPoint(r.p, 0); return true;
    case 0x020C: {
      const Point e = WmfPoint(r.p, 0);
      if (e.x != 0 && e.y != 0) s.window_ext = e;
      return true;
    }
    case 0x020F: {  // OffsetWindowOrg
      const Point d = WmfPoint(r.p, 0);
      s.window_org = {s.window_org.x + d.x, s.window_org.y + d.y};
      return true;
    }
    case 0x0410: {  // ScaleWindowExt: y denominator, y numerator, x denominator, x numerator
      const int yd = S16(r.p, 0), yn = S16(r.p, 2), xd = S16(r.p, 4), xn = S16(r.p, 6);
      if (xd != 0 && yd != 0 && xn != 0 && yn != 0) s.window_ext = {s.window_ext.x * xn / xd, s.window_ext.y * yn / yd};
      return true;
    }
    case 0x0201: s.background = ColourRef(Le(r.p, 0, 4)); return true;
    case 0x0102: s.opaque = Le(r.p, 0, 2) == 2; return true;
    case 0x0104: s.nop = Le(r.p, 0, 2) == 11; return true;
    case 0x0106: s.winding = Le(r.p, 0, 2) == 2; return true;
    case 0x001E: player.Save(); return true;
    case 0x0127: player.Restore(S16(r.p, 0)); return true;
    case 0x0416: player.IntersectClip(WmfPoint(r.p, 4), WmfPoint(r.p, 0)); return true;
    default: return false;
  }
}

// Pens, brushes and the other objects that take a slot of the table.
bool PlayWmfObject(Player& player, const WmfRecord& r) {
  switch (r.function) {
    case 0x02FA: {
      Object pen = Made(Object::kPen);
      pen.pen = {static_cast<int>(Le(r.p, 0, 2) & 0xF), static_cast<double>(S16(r.p, 2)), ColourRef(Le(r.p, 6, 4))};
      player.Add(pen);
      return true;
    }
    case 0x02FC: {
      Object brush = Made(Object::kBrush);
      brush.brush = {static_cast<int>(Le(r.p, 0, 2)), ColourRef(Le(r.p, 2, 4)), static_cast<int>(Le(r.p, 6, 2)), nullptr};
      player.Add(brush);
      return true;
    }
    case 0x0142: {  // DIBCreatePatternBrush: style, colour usage, a packed DIB
      Object brush = Made(Object::kBrush);
      brush.brush.style = 1;
      if (Le(r.p, 2, 2) == 0)
        if (auto image = RecordBitmap(r.p.substr(4), {})) brush.brush = PatternBrush(std::move(*image));
      player.Add(brush);
      return true;
    }
    // Fonts, palettes, regions and old pattern brushes take a slot and draw nothing here.
    case 0x00F7:
    case 0x01F9:
    case 0x02FB:
    case 0x06FF: player.Add(Object{}); return true;
    case 0x012D: player.Select(Le(r.p, 0, 2)); return true;
    case 0x01F0: player.Delete(Le(r.p, 0, 2)); return true;
    default: return false;
  }
}

bool PlayWmfShape(Player& player, const WmfRecord& r) {
  const std::string_view p = r.p;
  switch (r.function) {
    case 0x041F: player.SetPixel(WmfPoint(p, 4), ColourRef(Le(p, 0, 4))); return true;
    case 0x0214: player.MoveTo(WmfPoint(p, 0)); return true;
    case 0x0213: player.PolylineTo({WmfPoint(p, 0)}); return true;
    case 0x0325: player.Polyline(WmfPoints(p, 2, Le(p, 0, 2))); return true;
    case 0x0324: player.PolyPolygon({WmfPoints(p, 2, Le(p, 0, 2))}); return true;
    case 0x0538: {  // PolyPolygon: the count of polygons, each one's count of points, all the points
      const std::size_t polygons = Le(p, 0, 2);
      Slice(p, 2, polygons * 2);
      std::vector<Polygon> all;
      std::size_t next = 2 + polygons * 2;
      for (std::size_t i = 0; i < polygons; ++i) {
        const std::size_t count = Le(p, 2 + i * 2, 2);
        all.push_back(WmfPoints(p, next, count));
        next += count * 4;
      }
      player.PolyPolygon(all);
      return true;
    }
    // Shapes give bottom, right, top, left (and more before them), each point y first.
    case 0x041B: player.Rectangle(WmfPoint(p, 4), WmfPoint(p, 0)); return true;
    case 0x0418: player.EllipseShape(WmfPoint(p, 4), WmfPoint(p, 0)); return true;
    case 0x061C: player.RoundRect(WmfPoint(p, 8), WmfPoint(p, 4), WmfPoint(p, 0)); return true;
    case 0x0817: player.ArcShape(WmfPoint(p, 12), WmfPoint(p, 8), WmfPoint(p, 4), WmfPoint(p, 0), 0); return true;
    case 0x0830: player.ArcShape(WmfPoint(p, 12), WmfPoint(p, 8), WmfPoint(p, 4), WmfPoint(p, 0), 1); return true;
    case 0x081A: player.ArcShape(WmfPoint(p, 12), WmfPoint(p, 8), WmfPoint(p, 4), WmfPoint(p, 0), 2); return true;
    default: return false;
  }
}

bool PlayWmfBitmap(Player& player, const WmfRecord& r) {
  const std::string_view p = r.p;
  switch (r.function) {
    case 0x061D:  // PatBlt: operation, height, width, top, left
      player.PatBlt(WmfPoint(p, 8), WmfPoint(p, 4), Le(p, 0, 4));
      return true;
    case 0x0940:    // DIBBitBlt
    case 0x0B41: {  // DIBStretchBlt
      const bool stretch = r.function == 0x0B41;
      const std::uint32_t rop = Le(p, 0, 4);
      // Without a bitmap the record is one word longer before the destination and has no DIB.
      const bool bitmap = r.words != (r.function >> 8) + 3;
      const std::size_t d = stretch ? (bitmap ? 12 : 14) : (bitmap ? 8 : 10);
      const Point size = WmfPoint(p, d), dest = WmfPoint(p, d + 4);
      if (!bitmap || !UsesSource(rop)) {
        player.PatBlt(dest, size, rop);
        return true;
      }
      const Point source_at = WmfPoint(p, stretch ? 8 : 4);
      const Point source_size = stretch ? WmfPoint(p, 4) : size;
      if (auto image = RecordBitmap(p.substr(std::min(p.size(), d + 8)), {}))
        player.Blit(*image, static_cast<int>(source_at.x), static_cast<int>(source_at.y), static_cast<int>(source_size.x),
                    static_cast<int>(source_size.y), dest, size, rop);
      return true;
    }
    case 0x0F43: {  // StretchDIB: operation, colour usage, source size and place, destination, DIB
      const std::uint32_t rop = Le(p, 0, 4);
      if (Le(p, 4, 2) != 0) return true;  // colours as palette indices
      if (!UsesSource(rop)) {
        player.PatBlt(WmfPoint(p, 18), WmfPoint(p, 14), rop);
        return true;
      }
      const std::string_view info = p.substr(std::min(p.size(), std::size_t{22}));
      if (auto image = RecordBitmap(info, {})) {
        const Point source_at = WmfPoint(p, 10), source_size = WmfPoint(p, 6);
        const int cy = static_cast<int>(source_size.y);
        player.Blit(*image, static_cast<int>(source_at.x), TopRow(info, image->height, static_cast<int>(source_at.y), cy),
                    static_cast<int>(source_size.x), cy, WmfPoint(p, 18), WmfPoint(p, 14), rop);
      }
      return true;
    }
    default: return false;
  }
}

}  // namespace

RgbaImage PlayWmf(std::string_view data) {
  const WmfLayout layout = ReadWmfLayout(data);
  const auto [width, height] = Fit(layout.width, layout.height);
  Player player(width, height, false);
  player.state_.window_org = layout.origin;
  player.state_.window_ext = layout.extent;
  player.objects_.resize(std::min<std::size_t>(Le(data, layout.header + 10, 2), kMaxObjects));
  // Text, palettes, clipping regions and escapes are not drawn.
  EachWmfRecord(data, layout.header + 18, [&](const WmfRecord& r) {
    PlayWmfState(player, r) || PlayWmfObject(player, r) || PlayWmfShape(player, r) || PlayWmfBitmap(player, r);
  });
  return std::move(player.canvas_.image);
}

}  // namespace gildex::platform::metafile
