#pragma once
// The player both metafile formats drive: a canvas that fills polygons and spans, the device
// context state that records change (pens, brushes, the page and world transforms, paths),
// and the helpers that read little-endian record fields. Only the metafile files include it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/picture.h"

namespace gildex::platform::metafile {


inline constexpr int kMaxSide = 2048;
inline constexpr double kPi = 3.14159265358979323846;
// Limits that keep hostile data from running long: records read, pixels and edges visited.
inline constexpr long long kMaxRecords = 1'000'000;
inline constexpr long long kMaxWork = 150'000'000;
inline constexpr std::size_t kMaxSavedStates = 256;
inline constexpr std::size_t kMaxObjects = 65536;
inline constexpr double kFar = 1e7;
inline constexpr std::size_t kMaxPathPoints = 4'000'000;
inline constexpr long long kMaxPatternPixels = 256 * 256;  // device coordinates are kept within this, far off any canvas

struct Bad : std::runtime_error {
  using std::runtime_error::runtime_error;
};

inline std::uint32_t Le(std::string_view bytes, std::size_t at, int size) {
  if (at > bytes.size() || static_cast<std::size_t>(size) > bytes.size() - at) throw Bad("a metafile record is cut short");
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
  return value;
}
inline int S16(std::string_view bytes, std::size_t at) { return static_cast<std::int16_t>(Le(bytes, at, 2)); }
inline int S32(std::string_view bytes, std::size_t at) { return static_cast<std::int32_t>(Le(bytes, at, 4)); }
inline double F32(std::string_view bytes, std::size_t at) {
  const std::uint32_t bits = Le(bytes, at, 4);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
inline std::string_view Slice(std::string_view bytes, std::size_t at, std::size_t size) {
  if (at > bytes.size() || size > bytes.size() - at) throw Bad("a metafile record is cut short");
  return bytes.substr(at, size);
}

struct Colour {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Colour&) const = default;
};
// COLORREF: 0x00BBGGRR.
inline Colour ColourRef(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value >> 16)};
}

struct Point {
  double x = 0, y = 0;
};
using Polygon = std::vector<Point>;

struct Pen {
  int style = 0;  // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 none, 6 inside frame
  double width = 0;  // logical; 0 is one pixel
  Colour colour;
};
struct Brush {
  int style = 0;  // 0 solid, 1 none, 2 hatched, 3 and 5 a pattern
  Colour colour{255, 255, 255};
  int hatch = 0;
  std::shared_ptr<const RgbaImage> pattern;
};
struct Object {
  enum Kind { kPen, kBrush, kOther } kind = kOther;
  Pen pen;
  Brush brush;
};

inline Object Made(Object::Kind kind) {
  Object object;
  object.kind = kind;
  return object;
}

// x' = a x + c y + e, y' = b x + d y + f.
struct Affine {
  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
  Point Apply(Point p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
  // This transform, then `next`.
  Affine Then(const Affine& n) const {
    return {a * n.a + b * n.c, a * n.b + b * n.d, c * n.a + d * n.c, c * n.b + d * n.d, e * n.a + f * n.c + n.e,
            e * n.b + f * n.d + n.f};
  }
};

struct Clip {
  int x0, y0, x1, y1;  // pixels x0..x1-1, y0..y1-1
};

// What a device context holds that records change, saved and restored as one.
struct State {
  Pen pen;
  Brush brush;
  Colour background{255, 255, 255};
  bool opaque = true;
  bool winding = false;
  bool nop = false;
  bool clockwise = false;
  int map_mode = 1;
  Point window_org, window_ext{1, 1}, viewport_org, viewport_ext{1, 1};
  Affine world;
  Point position;
  Clip clip{0, 0, 0, 0};
};

class Canvas {
 public:
  Canvas(int width, int height) {
    image.width = width, image.height = height;
    image.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
  }

  void Spend(long long units) {
    work_ += units;
    if (work_ > kMaxWork) throw Bad("the metafile draws too much to be a picture");
  }

  bool Drawn(int x, int y) const { return image.pixels[Index(x, y) + 3] != 0; }
  Colour At(int x, int y) const {
    const std::size_t i = Index(x, y);
    return {image.pixels[i], image.pixels[i + 1], image.pixels[i + 2]};
  }
  void Put(int x, int y, Colour colour) {
    const std::size_t i = Index(x, y);
    image.pixels[i] = colour.r, image.pixels[i + 1] = colour.g, image.pixels[i + 2] = colour.b, image.pixels[i + 3] = 255;
  }

  // Calls `span(y, x0, x1)` for each run of pixels whose centres lie inside `polygons`.
  template <typename Span>
  void Scan(const std::vector<Polygon>& polygons, bool winding, const Clip& clip, Span span) {
    struct Edge {
      double x0, y0, x1, y1;
      int direction;
    };
    std::vector<Edge> edges;
    double top = kFar, bottom = -kFar;
    for (const Polygon& polygon : polygons)
      for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Point p = polygon[i], q = polygon[(i + 1) % polygon.size()];
        if (p.y == q.y) continue;
        edges.push_back(p.y < q.y ? Edge{p.x, p.y, q.x, q.y, 1} : Edge{q.x, q.y, p.x, p.y, -1});
        top = std::min(top, edges.back().y0), bottom = std::max(bottom, edges.back().y1);
      }
    Spend(static_cast<long long>(edges.size()));
    if (edges.empty()) return;
    std::sort(edges.begin(), edges.end(), [](const Edge& l, const Edge& r) { return l.y0 < r.y0; });
    const int first = std::max(clip.y0, static_cast<int>(std::floor(top)));
    const int last = std::min(clip.y1 - 1, static_cast<int>(std::ceil(bottom)));
    std::vector<const Edge*> active;
    std::vector<std::pair<double, int>> crossings;
    std::size_t next = 0;
    for (int y = first; y <= last; ++y) {
      const double centre = y + 0.5;
      while (next < edges.size() && edges[next].y0 <= centre) active.push_back(&edges[next++]);
      std::erase_if(active, [&](const Edge* e) { return e->y1 <= centre; });
      Spend(static_cast<long long>(active.size()) + 1);
      crossings.clear();
      for (const Edge* e : active)
        if (e->y0 <= centre) crossings.emplace_back(e->x0 + (centre - e->y0) * (e->x1 - e->x0) / (e->y1 - e->y0), e->direction);
      std::sort(crossings.begin(), crossings.end());
      int inside = 0;
      for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
        inside = winding ? inside + crossings[i].second : inside ^ 1;
        if (inside == 0) continue;
        const int x0 = std::max(clip.x0, static_cast<int>(std::ceil(crossings[i].first - 0.5)));
        const int x1 = std::min(clip.x1, static_cast<int>(std::ceil(crossings[i + 1].first - 0.5)));
        if (x0 < x1) {
          Spend(x1 - x0);
          span(y, x0, x1);
        }
      }
    }
  }

  RgbaImage image;

 private:
  std::size_t Index(int x, int y) const { return (static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x)) * 4; }
  long long work_ = 0;
};

// Whether a raster operation's result depends on what is already there.
inline bool UsesDestination(std::uint32_t rop) {
  const std::uint32_t index = rop >> 16 & 0xFF;
  return ((index >> 1 ^ index) & 0x55) != 0;
}
inline bool UsesSource(std::uint32_t rop) {
  const std::uint32_t index = rop >> 16 & 0xFF;
  return ((index >> 2 ^ index) & 0x33) != 0;
}
// The ternary raster operation on one channel: bit i of the result is bit (p s d) of the index.
inline std::uint8_t Ternary(std::uint32_t rop, std::uint8_t p, std::uint8_t s, std::uint8_t d) {
  const std::uint32_t index = rop >> 16 & 0xFF;
  std::uint8_t out = 0;
  for (int bit = 0; bit < 8; ++bit) {
    const int at = (p >> bit & 1) << 2 | (s >> bit & 1) << 1 | (d >> bit & 1);
    out = static_cast<std::uint8_t>(out | (index >> at & 1) << bit);
  }
  return out;
}

// Plays records on a canvas. Logical coordinates become device ones through the world
// transform, the page (window and viewport, or the window fitted to the picture for WMF) and
// the picture's frame.
class Player {
 public:
  Player(int width, int height, bool enhanced) : canvas_(width, height), enhanced_(enhanced) {
    state_.clip = {0, 0, width, height};
  }

  Canvas canvas_;
  State state_;
  std::vector<State> saved_;
  std::vector<std::optional<Object>> objects_;
  // WMF: the window fills the picture. EMF: the reference device's pixels a millimetre, and
  // where the frame sits on that device.
  double dots_x_ = 96 / 25.4, dots_y_ = 96 / 25.4;
  Point frame_origin_;
  Point frame_scale_{1, 1};
  // EMF paths, in device coordinates.
  bool in_path_ = false;
  std::vector<Polygon> path_;
  std::vector<bool> path_closed_;
  std::size_t path_points_ = 0;

  void ClearPath() {
    path_.clear(), path_closed_.clear();
    path_points_ = 0;
  }

  Point Device(Point p) const {
    const State& s = state_;
    if (enhanced_) p = s.world.Apply(p);
    Point page;
    if (!enhanced_) {
      page = {(p.x - s.window_org.x) * canvas_.image.width / s.window_ext.x,
              (p.y - s.window_org.y) * canvas_.image.height / s.window_ext.y};
    } else {
      if (s.map_mode == 1) {
        page = {p.x - s.window_org.x + s.viewport_org.x, p.y - s.window_org.y + s.viewport_org.y};
      } else if (s.map_mode == 7 || s.map_mode == 8) {
        double sx = s.viewport_ext.x / s.window_ext.x, sy = s.viewport_ext.y / s.window_ext.y;
        if (s.map_mode == 7) {
          const double m = std::min(std::abs(sx), std::abs(sy));
          sx = std::copysign(m, sx), sy = std::copysign(m, sy);
        }
        page = {(p.x - s.window_org.x) * sx + s.viewport_org.x, (p.y - s.window_org.y) * sy + s.viewport_org.y};
      } else {
        // Fixed units, y up: millimetres a unit.
        static constexpr double kMillimetres[] = {0.1, 0.01, 0.254, 0.0254, 25.4 / 1440};
        const double mm = kMillimetres[std::clamp(s.map_mode, 2, 6) - 2];
        page = {(p.x - s.window_org.x) * mm * dots_x_ + s.viewport_org.x,
                -(p.y - s.window_org.y) * mm * dots_y_ + s.viewport_org.y};
      }
      page = {(page.x - frame_origin_.x) * frame_scale_.x, (page.y - frame_origin_.y) * frame_scale_.y};
    }
    const auto tame = [](double v) { return std::isfinite(v) ? std::clamp(v, -kFar, kFar) : 0.0; };
    return {tame(page.x), tame(page.y)};
  }
  Point Device(double x, double y) const { return Device(Point{x, y}); }

  // A logical length along x as device pixels.
  double DeviceLength(double length) const {
    const Point p = Device(0, 0), q = Device(length, 0);
    return std::hypot(q.x - p.x, q.y - p.y);
  }

  // --- objects

  void Put(std::size_t index, Object object) {
    if (index >= kMaxObjects) return;
    if (index >= objects_.size()) objects_.resize(index + 1);
    objects_[index] = std::move(object);
  }
  // WMF: a new object takes the lowest free slot.
  void Add(Object object) {
    canvas_.Spend(static_cast<long long>(objects_.size()));  // the search below, which hostile data could repeat
    const auto free = std::find_if(objects_.begin(), objects_.end(), [](const auto& o) { return !o.has_value(); });
    Put(static_cast<std::size_t>(free - objects_.begin()), std::move(object));
  }
  void Select(std::size_t index) {
    if (index >= objects_.size() || !objects_[index]) return;
    const Object& object = *objects_[index];
    if (object.kind == Object::kPen) state_.pen = object.pen;
    if (object.kind == Object::kBrush) state_.brush = object.brush;
  }
  void Delete(std::size_t index) {
    if (index < objects_.size()) objects_[index].reset();
  }
  void Save() {
    if (saved_.size() < kMaxSavedStates) saved_.push_back(state_);
  }
  // `which`: negative counts back from the last saved state, positive is its number from 1.
  void Restore(int which) {
    const long long at = which < 0 ? static_cast<long long>(saved_.size()) + which : which - 1;
    if (at < 0 || at >= static_cast<long long>(saved_.size())) return;
    state_ = saved_[static_cast<std::size_t>(at)];
    saved_.resize(static_cast<std::size_t>(at));
  }
  void IntersectClip(Point a, Point b) { IntersectDeviceClip(Device(a), Device(b)); }
  void IntersectDeviceClip(Point p, Point q) {
    const auto tame = [](double v) { return std::isfinite(v) ? std::clamp(v, -kFar, kFar) : 0.0; };
    p = {tame(p.x), tame(p.y)}, q = {tame(q.x), tame(q.y)};
    Clip& c = state_.clip;
    c.x0 = std::max(c.x0, static_cast<int>(std::lround(std::min(p.x, q.x))));
    c.y0 = std::max(c.y0, static_cast<int>(std::lround(std::min(p.y, q.y))));
    c.x1 = std::min(c.x1, static_cast<int>(std::lround(std::max(p.x, q.x))));
    c.y1 = std::min(c.y1, static_cast<int>(std::lround(std::max(p.y, q.y))));
  }

  // --- drawing in device coordinates

  void SetPixel(Point at, Colour colour) {
    const Point p = Device(at);
    const int x = static_cast<int>(std::lround(p.x)), y = static_cast<int>(std::lround(p.y));
    const Clip& c = state_.clip;
    if (!state_.nop && x >= c.x0 && x < c.x1 && y >= c.y0 && y < c.y1) canvas_.Put(x, y, colour);
  }

  bool BrushColour(int x, int y, Colour& out) const {
    const Brush& brush = state_.brush;
    switch (brush.style) {
      case 0:
        out = brush.colour;
        return true;
      case 2: {
        const int u = x & 7, v = y & 7;
        bool on = false;
        switch (brush.hatch) {
          case 0: on = v == 4; break;
          case 1: on = u == 4; break;
          case 2: on = u == v; break;
          case 3: on = u == 7 - v; break;
          case 4: on = u == 4 || v == 4; break;
          default: on = u == v || u == 7 - v;
        }
        out = on ? brush.colour : state_.background;
        return on || state_.opaque;
      }
      case 3:
      case 5:
        if (brush.pattern) {
          const RgbaImage& p = *brush.pattern;
          const std::size_t i = (static_cast<std::size_t>(y % p.height) * static_cast<std::size_t>(p.width) +
                                 static_cast<std::size_t>(x % p.width)) * 4;
          out = {p.pixels[i], p.pixels[i + 1], p.pixels[i + 2]};
          return true;
        }
        return false;
      default:
        return false;
    }
  }

  void FillDevice(const std::vector<Polygon>& polygons) {
    if (state_.nop || state_.brush.style == 1) return;
    canvas_.Scan(polygons, state_.winding, state_.clip, [&](int y, int x0, int x1) {
      Colour colour;
      for (int x = x0; x < x1; ++x)
        if (BrushColour(x, y, colour)) canvas_.Put(x, y, colour);
    });
  }

  void PaintSolid(const std::vector<Polygon>& polygons, Colour colour) {
    canvas_.Scan(polygons, true, state_.clip, [&](int y, int x0, int x1) {
      for (int x = x0; x < x1; ++x) canvas_.Put(x, y, colour);
    });
  }

  // A one-pixel line from pixel `p` to pixel `q`, its dash pattern carried on in `step`.
  void ThinLine(Point p, Point q, long long& step) {
    static const std::vector<int> kDashes[] = {{18, 6}, {3, 3}, {9, 6, 3, 6}, {9, 3, 3, 3, 3, 3}};
    const std::vector<int>* dashes = state_.pen.style >= 1 && state_.pen.style <= 4 ? &kDashes[state_.pen.style - 1] : nullptr;
    const int period = dashes ? std::accumulate(dashes->begin(), dashes->end(), 0) : 1;
    // Clipped to the canvas first, so a far point costs nothing.
    double t0 = 0, t1 = 1;
    const double dx = q.x - p.x, dy = q.y - p.y;
    const double lows[] = {p.x - (state_.clip.x0 - 1), p.y - (state_.clip.y0 - 1)};
    const double highs[] = {state_.clip.x1 - p.x, state_.clip.y1 - p.y};
    const double deltas[] = {dx, dy};
    for (int axis = 0; axis < 2; ++axis) {
      for (const auto& [num, den] : {std::pair{lows[axis], -deltas[axis]}, std::pair{highs[axis], deltas[axis]}}) {
        if (den == 0) {
          if (num < 0) return;
          continue;
        }
        const double t = num / den;
        if (den < 0) t0 = std::max(t0, t);
        else t1 = std::min(t1, t);
      }
    }
    if (t0 > t1) return;
    long long x = std::lround(p.x + t0 * dx), y = std::lround(p.y + t0 * dy);
    const long long x1 = std::lround(p.x + t1 * dx), y1 = std::lround(p.y + t1 * dy);
    step += static_cast<long long>(t0 * std::max(std::abs(dx), std::abs(dy)));
    const long long sx = x < x1 ? 1 : -1, sy = y < y1 ? 1 : -1;
    const long long ax = std::abs(x1 - x), ay = -std::abs(y1 - y);
    canvas_.Spend(ax - ay + 1);
    long long error = ax + ay;
    for (;;) {
      bool on = true;
      if (dashes) {
        int at = static_cast<int>(step % period);
        on = true;
        for (std::size_t i = 0; i < dashes->size(); ++i) {
          if (at < (*dashes)[i]) {
            on = i % 2 == 0;
            break;
          }
          at -= (*dashes)[i];
        }
      }
      ++step;
      const Clip& c = state_.clip;
      if (x >= c.x0 && x < c.x1 && y >= c.y0 && y < c.y1) {
        if (on) canvas_.Put(static_cast<int>(x), static_cast<int>(y), state_.pen.colour);
        else if (state_.opaque) canvas_.Put(static_cast<int>(x), static_cast<int>(y), state_.background);
      }
      if (x == x1 && y == y1) break;
      const long long twice = 2 * error;
      if (twice >= ay) error += ay, x += sx;
      if (twice <= ax) error += ax, y += sy;
    }
  }

  // The pen along `points`, given as pixels (a point on pixel i is at i, not i + 0.5).
  void StrokeDevice(const Polygon& points, bool closed) {
    if (state_.nop || state_.pen.style == 5 || points.empty()) return;
    const double width = state_.pen.width <= 0 ? 1 : DeviceLength(state_.pen.width);
    const std::size_t count = points.size() + (closed && points.size() > 2 ? 1 : 0);
    if (width < 1.5) {
      long long step = 0;
      if (points.size() == 1) ThinLine(points[0], points[0], step);
      for (std::size_t i = 1; i < count; ++i) ThinLine(points[i - 1], points[i % points.size()], step);
      return;
    }
    // A wide pen: each piece a band, each joint and end a disc.
    const double half = std::min(width, 4.0 * kMaxSide) / 2;
    std::vector<Polygon> shapes;
    for (std::size_t i = 0; i < count; ++i) {
      const Point p{points[i % points.size()].x + 0.5, points[i % points.size()].y + 0.5};
      shapes.push_back(Ellipse(p.x - half, p.y - half, p.x + half, p.y + half));
      if (i == 0) continue;
      const Point o{points[i - 1].x + 0.5, points[i - 1].y + 0.5};
      const double length = std::hypot(p.x - o.x, p.y - o.y);
      if (length == 0) continue;
      const double nx = -(p.y - o.y) / length * half, ny = (p.x - o.x) / length * half;
      // Turning the same way as the discs, so that the union fills once.
      shapes.push_back({{o.x - nx, o.y - ny}, {p.x - nx, p.y - ny}, {p.x + nx, p.y + ny}, {o.x + nx, o.y + ny}});
    }
    PaintSolid(shapes, state_.pen.colour);
  }

  static int Steps(double rx, double ry) {
    return std::clamp(static_cast<int>((std::abs(rx) + std::abs(ry)) * 2), 12, 360);
  }
  // An ellipse inside the box, in device coordinates.
  static Polygon Ellipse(double x0, double y0, double x1, double y1) {
    const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2, rx = (x1 - x0) / 2, ry = (y1 - y0) / 2;
    const int steps = Steps(rx, ry);
    Polygon points;
    for (int i = 0; i < steps; ++i) {
      const double t = 2 * kPi * i / steps;
      points.push_back({cx + rx * std::cos(t), cy + ry * std::sin(t)});
    }
    return points;
  }
  // The part of the ellipse in the box from the ray through `start` to the ray through `end`,
  // counter-clockwise on the picture unless the arc direction is clockwise.
  Polygon Arc(double x0, double y0, double x1, double y1, Point start, Point end) const {
    const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2, rx = (x1 - x0) / 2, ry = (y1 - y0) / 2;
    if (rx == 0 || ry == 0) return {};
    const double from = std::atan2(-(start.y - cy) / ry, (start.x - cx) / rx);
    double to = std::atan2(-(end.y - cy) / ry, (end.x - cx) / rx);
    double sweep = state_.clockwise ? from - to : to - from;
    if (sweep <= 0) sweep += 2 * kPi;
    const int steps = std::max(2, static_cast<int>(Steps(rx, ry) * sweep / (2 * kPi)));
    Polygon points;
    for (int i = 0; i <= steps; ++i) {
      const double t = from + (state_.clockwise ? -sweep : sweep) * i / steps;
      points.push_back({cx + rx * std::cos(t), cy - ry * std::sin(t)});
    }
    return points;
  }

  // --- drawing in logical coordinates

  Polygon ToDevice(const Polygon& logical) const {
    Polygon points;
    points.reserve(logical.size());
    for (const Point& p : logical) points.push_back(Device(p));
    return points;
  }
  void GrowPath(std::size_t points) {
    path_points_ += points;
    if (path_points_ > kMaxPathPoints) throw Bad("the metafile's path is too long");
    canvas_.Spend(static_cast<long long>(points));
  }
  void AddToPath(Polygon points, bool closed) {
    if (points.empty()) return;
    GrowPath(points.size());
    path_.push_back(std::move(points));
    path_closed_.push_back(closed);
  }

  void Polyline(const Polygon& logical) {
    if (logical.empty()) return;
    if (in_path_) return AddToPath(ToDevice(logical), false);
    StrokeDevice(ToDevice(logical), false);
  }
  // Lines on from the current position, which ends at the last point.
  void PolylineTo(const Polygon& logical) {
    if (logical.empty()) return;
    const Point start = Device(state_.position);
    Polygon points = ToDevice(logical);
    state_.position = logical.back();
    if (in_path_) {
      if (path_.empty() || path_closed_.back()) AddToPath({start}, false);
      GrowPath(points.size());
      path_.back().insert(path_.back().end(), points.begin(), points.end());
      return;
    }
    points.insert(points.begin(), start);
    StrokeDevice(points, false);
  }
  void MoveTo(Point p) {
    state_.position = p;
    if (in_path_) AddToPath({Device(p)}, false);
  }
  void PolyPolygon(const std::vector<Polygon>& logical) {
    std::vector<Polygon> device;
    for (const Polygon& polygon : logical) device.push_back(ToDevice(polygon));
    if (in_path_) {
      for (Polygon& polygon : device) AddToPath(std::move(polygon), true);
      return;
    }
    FillDevice(device);
    for (const Polygon& polygon : device) StrokeDevice(polygon, true);
  }

  // The device box of a rectangle-bound shape; its right and bottom edges are outside it.
  struct Box {
    double x0, y0, x1, y1;
  };
  Box DeviceBox(Point a, Point b) const {
    const Point p = Device(a), q = Device(b);
    return {std::min(p.x, q.x), std::min(p.y, q.y), std::max(p.x, q.x), std::max(p.y, q.y)};
  }
  // A filled and outlined shape that `make` draws in a box: the fill covers the box, the
  // outline runs on its pixels, one in from the right and bottom edges.
  // Whether the world transform turns or slants what it draws.
  bool Turned() const { return enhanced_ && (state_.world.b != 0 || state_.world.c != 0); }
  template <typename Make>
  void BoxShape(Point a, Point b, bool filled, Make make) {
    if (Turned()) {
      // The shape made in logical units, then turned with everything else.
      const Polygon shape = ToDevice(make(std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)));
      if (in_path_) return AddToPath(shape, filled);
      if (filled) FillDevice({shape});
      return StrokeDevice(shape, filled);
    }
    const Box box = DeviceBox(a, b);
    if (in_path_) return AddToPath(make(box.x0, box.y0, box.x1, box.y1), filled);
    if (filled) FillDevice({make(box.x0, box.y0, box.x1, box.y1)});
    const double right = std::max(box.x0, box.x1 - 1), bottom = std::max(box.y0, box.y1 - 1);
    Polygon outline = make(box.x0, box.y0, right, bottom);
    StrokeDevice(outline, filled);
  }
  void Rectangle(Point a, Point b) {
    BoxShape(a, b, true, [](double x0, double y0, double x1, double y1) { return Polygon{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}; });
  }
  void EllipseShape(Point a, Point b) { BoxShape(a, b, true, Ellipse); }
  void RoundRect(Point a, Point b, Point corner) {
    const bool turned = Turned();
    const double cw = turned ? std::abs(corner.x) / 2 : std::abs(Device(corner).x - Device(0, 0).x) / 2;
    const double ch = turned ? std::abs(corner.y) / 2 : std::abs(Device(corner).y - Device(0, 0).y) / 2;
    BoxShape(a, b, true, [&](double x0, double y0, double x1, double y1) {
      const double rx = std::min(cw, (x1 - x0) / 2), ry = std::min(ch, (y1 - y0) / 2);
      const Point centres[] = {{x1 - rx, y0 + ry}, {x0 + rx, y0 + ry}, {x0 + rx, y1 - ry}, {x1 - rx, y1 - ry}};
      Polygon points;
      for (int quarter = 0; quarter < 4; ++quarter)
        for (int i = 0; i <= 8; ++i) {
          const double t = kPi / 2 * (quarter + i / 8.0);
          points.push_back({centres[quarter].x + rx * std::cos(t), centres[quarter].y - ry * std::sin(t)});
        }
      return points;
    });
  }
  // kind: 0 arc, 1 chord, 2 pie.
  void ArcShape(Point a, Point b, Point start, Point end, int kind) {
    const bool turned = Turned();
    const Point s = turned ? start : Device(start), e = turned ? end : Device(end);
    BoxShape(a, b, kind != 0, [&](double x0, double y0, double x1, double y1) {
      Polygon points = Arc(x0, y0, x1, y1, s, e);
      if (kind == 2 && !points.empty()) points.push_back({(x0 + x1) / 2, (y0 + y1) / 2});
      return points;
    });
  }
  // Cubic Bézier pieces after `from`, three points each, as lines.
  static Polygon Flatten(Point from, const Polygon& controls) {
    Polygon points;
    for (std::size_t i = 0; i + 2 < controls.size(); i += 3) {
      const Point p0 = i == 0 ? from : controls[i - 1], p1 = controls[i], p2 = controls[i + 1], p3 = controls[i + 2];
      for (int k = 1; k <= 16; ++k) {
        const double t = k / 16.0, u = 1 - t;
        const double w0 = u * u * u, w1 = 3 * u * u * t, w2 = 3 * u * t * t, w3 = t * t * t;
        points.push_back({w0 * p0.x + w1 * p1.x + w2 * p2.x + w3 * p3.x, w0 * p0.y + w1 * p1.y + w2 * p2.y + w3 * p3.y});
      }
    }
    return points;
  }

  void FillPath(bool fill, bool stroke) {
    if (fill) FillDevice(path_);
    if (stroke)
      for (std::size_t i = 0; i < path_.size(); ++i) StrokeDevice(path_[i], path_closed_[i] || fill);
    in_path_ = false;
    ClearPath();
  }

  // A rectangle filled by a raster operation without a source: the brush, black or white.
  void PatBlt(Point at, Point size, std::uint32_t rop) {
    const Box box = DeviceBox(at, {at.x + size.x, at.y + size.y});
    const Polygon rect{{box.x0, box.y0}, {box.x1, box.y0}, {box.x1, box.y1}, {box.x0, box.y1}};
    const std::uint32_t index = rop >> 16 & 0xFF;
    if (index == 0xF0) FillDevice({rect});
    else if (index == 0x00) PaintSolid({rect}, {0, 0, 0});
    else if (index == 0xFF) PaintSolid({rect}, {255, 255, 255});
  }

  // `source` (cx by cy at sx, sy, rows from the top) stretched onto the logical rectangle.
  void Blit(const RgbaImage& source, int sx, int sy, int cx, int cy, Point at, Point size, std::uint32_t rop) {
    const Point p = Device(at), q = Device(at.x + size.x, at.y + size.y);
    // A sliver draws nothing and would make the source steps below overflow.
    if (std::abs(p.x - q.x) < 1e-3 || std::abs(p.y - q.y) < 1e-3 || cx == 0 || cy == 0) return;
    const Clip& c = state_.clip;
    const int x0 = std::max(c.x0, static_cast<int>(std::ceil(std::min(p.x, q.x) - 0.5)));
    const int x1 = std::min(c.x1, static_cast<int>(std::ceil(std::max(p.x, q.x) - 0.5)));
    const int y0 = std::max(c.y0, static_cast<int>(std::ceil(std::min(p.y, q.y) - 0.5)));
    const int y1 = std::min(c.y1, static_cast<int>(std::ceil(std::max(p.y, q.y) - 0.5)));
    if (x0 >= x1 || y0 >= y1) return;
    canvas_.Spend(static_cast<long long>(x1 - x0) * (y1 - y0));
    const bool copy = (rop >> 16 & 0xFF) == 0xCC, keeps = UsesDestination(rop);
    const Colour pattern = state_.brush.colour;
    for (int y = y0; y < y1; ++y) {
      const long long v = sy + static_cast<long long>(std::floor((y + 0.5 - p.y) / (q.y - p.y) * cy));
      if (v < 0 || v >= source.height) continue;
      for (int x = x0; x < x1; ++x) {
        const long long u = sx + static_cast<long long>(std::floor((x + 0.5 - p.x) / (q.x - p.x) * cx));
        if (u < 0 || u >= source.width) continue;
        const std::size_t i = (static_cast<std::size_t>(v) * static_cast<std::size_t>(source.width) + static_cast<std::size_t>(u)) * 4;
        const Colour s{source.pixels[i], source.pixels[i + 1], source.pixels[i + 2]};
        if (copy) {
          canvas_.Put(x, y, s);
          continue;
        }
        // Nothing drawn yet counts as white, and stays undrawn where a mask leaves it white.
        const bool drawn = canvas_.Drawn(x, y);
        const Colour d = drawn ? canvas_.At(x, y) : Colour{255, 255, 255};
        const Colour out{Ternary(rop, pattern.r, s.r, d.r), Ternary(rop, pattern.g, s.g, d.g), Ternary(rop, pattern.b, s.b, d.b)};
        if (!drawn && keeps && out == Colour{255, 255, 255}) continue;
        canvas_.Put(x, y, out);
      }
    }
  }

 private:
  bool enhanced_;
};

// A bitmap that a metafile record carries; nothing for the compressed kinds we do not decode.
inline std::optional<RgbaImage> RecordBitmap(std::string_view info, std::string_view bits) {
  const std::uint32_t header = Le(info, 0, 4);
  if (header >= 40) {
    const std::uint32_t compression = Le(info, 16, 4);
    if (compression != 0 && compression != 3) return std::nullopt;  // run lengths, JPEG, PNG
  }
  std::string dib(info);
  dib += bits;
  std::string problem;
  auto image = DecodeBitmapInfo(dib, bits.empty() ? 0 : info.size(), problem);
  if (!image) throw Bad("a bitmap in the metafile: " + problem);
  return image;
}
// A brush that repeats `image`; one of more than a small tile is kept as its first colour.
inline Brush PatternBrush(RgbaImage image) {
  Brush brush;
  if (static_cast<long long>(image.width) * image.height > kMaxPatternPixels) {
    brush.colour = {image.pixels[0], image.pixels[1], image.pixels[2]};
    return brush;
  }
  brush.style = 5;
  brush.pattern = std::make_shared<const RgbaImage>(std::move(image));
  return brush;
}
// Where a StretchDIB-style source rectangle starts, from the top row: such a DIB counts its
// source rows from the bottom unless it is stored top down.
inline int TopRow(std::string_view info, int height, int sy, int cy) {
  const bool top_down = Le(info, 0, 4) >= 40 && S32(info, 8) < 0;
  return top_down ? sy : height - sy - std::abs(cy);
}

// The picture's size in pixels, kept within kMaxSide on each side with its proportions.
inline std::pair<int, int> Fit(double width, double height) {
  if (!(width > 0 && height > 0) || width > 1e9 || height > 1e9) throw Bad("the metafile's size is not plausible");
  const double scale = std::min(1.0, kMaxSide / std::max(width, height));
  return {std::max(1, static_cast<int>(std::lround(width * scale))), std::max(1, static_cast<int>(std::lround(height * scale)))};
}

// The picture of each format's records; throw Bad for damaged data.
RgbaImage PlayWmf(std::string_view data);
RgbaImage PlayEmf(std::string_view data);

}  // namespace gildex::platform::metafile
