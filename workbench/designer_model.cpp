#include "workbench/designer_model.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "host/control_catalogue.h"
#include "host/designer_colour.h"
#include "host/designer_scale.h"
#include "host/memory_vbe.h"
#include "host/project_file.h"
#include "platform/atomic_file.h"
#include "platform/cp1252.h"

namespace gildex::workbench {

namespace {

constexpr int kIconSize = 28;  // VB6 draws a Timer or CommonDialog 420 twips square
constexpr int kHandleSize = 6;
constexpr int kLineSlack = 3;  // how near a line a click still hits it

std::optional<std::string> ValueOf(host::VBControl& control, std::string_view name) {
  host::Property* property = control.FindProperty(name);
  if (property == nullptr || cp1252::EqualsNoCase(name, "Name")) return std::nullopt;
  return property->Value();
}

double Number(host::VBControl& control, std::string_view name, double fallback) {
  const auto value = ValueOf(control, name);
  if (!value || value->empty()) return fallback;
  char* end = nullptr;
  const double number = std::strtod(value->c_str(), &end);
  return end == value->c_str() ? fallback : number;
}

int Whole(host::VBControl& control, std::string_view name, int fallback) {
  return static_cast<int>(std::lround(Number(control, name, fallback)));
}

bool Has(host::VBControl& control, std::string_view name) { return ValueOf(control, name).has_value(); }

std::optional<std::uint32_t> Colour(host::VBControl& control, std::string_view name) {
  const auto value = ValueOf(control, name);
  return value ? host::DesignerColour(*value) : std::nullopt;
}

using host::SingleText;

std::string DisplayName(host::VBControl& control) {
  return control.Index() < 0 ? control.Name() : control.Name() + "(" + std::to_string(control.Index()) + ")";
}

int Pixels(double units, double twips_per_unit) {
  return static_cast<int>(std::lround(units * twips_per_unit / kTwipsPerPixel));
}

Rect Intersect(const Rect& a, const Rect& b) {
  const int left = std::max(a.x, b.x), top = std::max(a.y, b.y);
  const int right = std::min(a.x + a.width, b.x + b.width), bottom = std::min(a.y + a.height, b.y + b.height);
  return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

bool Contains(DrawKind kind) { return kind == DrawKind::Frame || kind == DrawKind::PictureBox; }

// Distance check of `p` to the segment from `a` to `b`.
bool Near(Point p, Point a, Point b, int slack) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length = dx * dx + dy * dy;
  double t = length == 0 ? 0 : ((p.x - a.x) * dx + (p.y - a.y) * dy) / length;
  t = std::clamp(t, 0.0, 1.0);
  const double nx = a.x + t * dx - p.x, ny = a.y + t * dy - p.y;
  return nx * nx + ny * ny <= slack * slack;
}

}  // namespace

DrawKind DrawKindOf(std::string_view class_name) {
  static const std::pair<std::string_view, DrawKind> kKinds[] = {
      {"CommandButton", DrawKind::CommandButton},
      {"Label", DrawKind::Label},
      {"TextBox", DrawKind::TextBox},
      {"CheckBox", DrawKind::CheckBox},
      {"OptionButton", DrawKind::OptionButton},
      {"Frame", DrawKind::Frame},
      {"ListBox", DrawKind::ListBox},
      {"ComboBox", DrawKind::ComboBox},
      {"PictureBox", DrawKind::PictureBox},
      {"Image", DrawKind::Image},
      {"Shape", DrawKind::Shape},
      {"Line", DrawKind::Line},
      {"HScrollBar", DrawKind::HScrollBar},
      {"VScrollBar", DrawKind::VScrollBar},
      {"Timer", DrawKind::Timer},
      {"DriveListBox", DrawKind::DriveListBox},
      {"DirListBox", DrawKind::DirListBox},
      {"FileListBox", DrawKind::FileListBox},
      {"Data", DrawKind::Data},
      {"OLE", DrawKind::OLE},
      {"Menu", DrawKind::Menu},
  };
  for (const auto& [name, kind] : kKinds)
    if (cp1252::EqualsNoCase(name, class_name)) return kind;
  return DrawKind::Other;
}

const std::vector<std::string>& ToolboxClasses() {
  static const std::vector<std::string> kClasses = {
      "PictureBox",  "Label",   "TextBox",    "Frame",      "CommandButton", "CheckBox",     "OptionButton",
      "ComboBox",    "ListBox", "HScrollBar", "VScrollBar", "Timer",         "DriveListBox", "DirListBox",
      "FileListBox", "Shape",   "Line",       "Image",      "Data",          "OLE"};
  return kClasses;
}

Rect HandleRect(const Rect& rect, Handle handle) {
  const int left = rect.x - kHandleSize / 2, right = rect.x + rect.width - kHandleSize / 2;
  const int top = rect.y - kHandleSize / 2, bottom = rect.y + rect.height - kHandleSize / 2;
  const int middle_x = rect.x + rect.width / 2 - kHandleSize / 2, middle_y = rect.y + rect.height / 2 - kHandleSize / 2;
  Point at;
  switch (handle) {
    case Handle::TopLeft:
      at = {left, top};
      break;
    case Handle::Top:
      at = {middle_x, top};
      break;
    case Handle::TopRight:
      at = {right, top};
      break;
    case Handle::Right:
      at = {right, middle_y};
      break;
    case Handle::BottomRight:
      at = {right, bottom};
      break;
    case Handle::Bottom:
      at = {middle_x, bottom};
      break;
    case Handle::BottomLeft:
      at = {left, bottom};
      break;
    case Handle::Left:
      at = {left, middle_y};
      break;
    case Handle::None:
      return {};
  }
  return {at.x, at.y, kHandleSize, kHandleSize};
}

Handle HandleAt(const Rect& rect, Point p) {
  for (Handle handle : {Handle::TopLeft, Handle::Top, Handle::TopRight, Handle::Right, Handle::BottomRight,
                        Handle::Bottom, Handle::BottomLeft, Handle::Left})
    if (HandleRect(rect, handle).Contains(p)) return handle;
  return Handle::None;
}

Rect Resized(const Rect& rect, Handle handle, int dx, int dy) {
  int left = rect.x, top = rect.y, right = rect.x + rect.width, bottom = rect.y + rect.height;
  if (handle == Handle::TopLeft || handle == Handle::Left || handle == Handle::BottomLeft)
    left = std::min(left + dx, right - 1);
  if (handle == Handle::TopRight || handle == Handle::Right || handle == Handle::BottomRight)
    right = std::max(right + dx, left + 1);
  if (handle == Handle::TopLeft || handle == Handle::Top || handle == Handle::TopRight)
    top = std::min(top + dy, bottom - 1);
  if (handle == Handle::BottomLeft || handle == Handle::Bottom || handle == Handle::BottomRight)
    bottom = std::max(bottom + dy, top + 1);
  return {left, top, right - left, bottom - top};
}

DesignerModel::DesignerModel(host::Designer& designer, std::filesystem::path folder)
    : designer_(designer), folder_(std::move(folder)) {
  Reload();
}

std::string DesignerModel::FrxText(const std::string& value) const {
  const auto reference = host::ParseFrxReference(value);
  if (!reference) return {};
  const auto file = host::FindIgnoringCase(folder_.empty() ? std::filesystem::path(".") : folder_, reference->file);
  const auto bytes = file ? platform::ReadWholeFile(*file) : std::nullopt;
  const std::size_t at = reference->offset;
  if (!bytes || at + 4 > bytes->size()) return {};
  std::size_t length = 0;
  for (std::size_t i = 0; i < 4; ++i)
    length |= static_cast<std::size_t>(static_cast<unsigned char>((*bytes)[at + i])) << (8 * i);
  if (length > bytes->size() - at - 4) return {};
  return bytes->substr(at + 4, length);
}

const DesignerModel::Scale& DesignerModel::ScaleFor(const host::VBControl& control) const {
  static const Scale kTwips;
  for (const auto& [owner, scale] : scales_)
    if (owner == &control) return scale;
  return kTwips;
}

void DesignerModel::Reload() {
  host::VBControl& form = designer_.Form();
  views_.clear();
  scales_.clear();
  menu_bar_.clear();
  mdi_ = cp1252::EqualsNoCase(form.ClassName(), "MDIForm");
  windowed_ = mdi_ || cp1252::EqualsNoCase(form.ClassName(), "Form");
  const auto caption = ValueOf(form, "Caption");
  caption_ = !caption                            ? std::string()
             : host::ParseFrxReference(*caption) ? FrxText(*caption)
                                                 : host::DesignerStringText(*caption);
  back_color_ = Colour(form, "BackColor");
  border_style_ = Whole(form, "BorderStyle", 2);
  // The client size is kept in twips whatever the scale; a user control may have only its scale.
  const Scale own = host::ScaleOfControl(form, 0, 0);
  client_width_ = Has(form, "ClientWidth")  ? Pixels(Number(form, "ClientWidth", 0), 1)
                  : Has(form, "ScaleWidth") ? Pixels(Number(form, "ScaleWidth", 0), own.across)
                                            : Pixels(4680, 1);
  client_height_ = Has(form, "ClientHeight")  ? Pixels(Number(form, "ClientHeight", 0), 1)
                   : Has(form, "ScaleHeight") ? Pixels(Number(form, "ScaleHeight", 0), own.down)
                                              : Pixels(3195, 1);
  for (host::VBControl* control : designer_.Controls()) {
    if (control->Container() != &form || DrawKindOf(control->ClassName()) != DrawKind::Menu) continue;
    if (Number(*control, "Visible", -1) == 0) continue;
    const auto text = ValueOf(*control, "Caption");
    menu_bar_.push_back(text ? host::DesignerStringText(*text) : control->Name());
  }
  inners_.clear();
  const Rect client{0, 0, client_width_, client_height_};
  Lay(&form, client, {0, 0}, host::ScaleOfControl(form, client_width_, client_height_), 0, 0);
}

void DesignerModel::Lay(host::VBControl* container, const Rect& clip, Point origin, Scale scale, double twips_x,
                        double twips_y) {
  inners_.push_back({container, scale, twips_x, twips_y});
  std::vector<host::VBControl*> graphical, windowed;
  for (host::VBControl* control : designer_.Controls()) {
    if (control->Container() != container) continue;
    const DrawKind kind = DrawKindOf(control->ClassName());
    if (kind == DrawKind::Menu) continue;
    const bool light =
        kind == DrawKind::Label || kind == DrawKind::Image || kind == DrawKind::Shape || kind == DrawKind::Line;
    (light ? graphical : windowed).push_back(control);
  }
  const auto place = [&](host::VBControl& control) -> ControlView& {
    ControlView view;
    view.control = &control;
    view.name = DisplayName(control);
    view.class_name = control.ClassName();
    view.kind = DrawKindOf(view.class_name);
    view.clip = clip;
    view.origin = origin;
    const auto x = [&](double units) { return origin.x + Pixels(units - scale.left, scale.across); };
    const auto y = [&](double units) { return origin.y + Pixels(units - scale.top, scale.down); };
    if (view.kind == DrawKind::Line) {
      view.placement = Placement::Segment;
      view.from = {x(Number(control, "X1", 0)), y(Number(control, "Y1", 0))};
      view.to = {x(Number(control, "X2", 0)), y(Number(control, "Y2", 0))};
      view.rect = {std::min(view.from.x, view.to.x), std::min(view.from.y, view.to.y),
                   std::abs(view.to.x - view.from.x) + 1, std::abs(view.to.y - view.from.y) + 1};
    } else if (!Has(control, "Width") && !Has(control, "Height")) {
      view.placement = Placement::Icon;
      view.rect = {x(Number(control, "Left", 0)), y(Number(control, "Top", 0)), kIconSize, kIconSize};
    } else {
      view.rect = {x(Number(control, "Left", 0)), y(Number(control, "Top", 0)),
                   Pixels(Number(control, "Width", 0), scale.across), Pixels(Number(control, "Height", 0), scale.down)};
    }
    for (const char* property : {"Caption", "Text"}) {
      const auto text = ValueOf(control, property);
      if (!text) continue;
      const auto frx = host::ParseFrxReference(*text);
      view.text = frx ? FrxText(*text) : host::DesignerStringText(*text);
      break;
    }
    // A list box shows its name at design time; a text box without a Text is empty.
    if (view.kind == DrawKind::ListBox || view.kind == DrawKind::Other)
      view.text = view.kind == DrawKind::Other ? view.name + " (" + view.class_name + ")" : view.name;
    view.graphical = view.kind == DrawKind::Label || view.kind == DrawKind::Image || view.kind == DrawKind::Shape ||
                     view.kind == DrawKind::Line;
    view.value = Whole(control, "Value", 0);
    view.style = Whole(control, "Style", 0);
    view.shape = Whole(control, "Shape", 0);
    view.alignment = Whole(control, "Alignment", 0);
    view.border_style = Whole(control, "BorderStyle", view.kind == DrawKind::Label ? 0 : 1);
    view.three_d = Whole(control, "Appearance", 1) != 0;
    view.opaque = Whole(control, "BackStyle", view.kind == DrawKind::Shape ? 0 : 1) != 0;
    view.back_color = Colour(control, "BackColor");
    view.fore_color = Colour(control, "ForeColor");
    scales_.emplace_back(&control, scale);
    views_.push_back(std::move(view));
    return views_.back();
  };
  for (host::VBControl* control : graphical) place(*control);
  for (host::VBControl* control : windowed) {
    const ControlView view = place(*control);  // a copy: laying the children out grows views_
    // A frame places its controls from its own top left, in the form's scale; a picture box
    // from inside its border, in a scale of its own.
    Rect inside = view.rect;
    Scale inner = {scale.across, scale.down, 0, 0};
    double inner_x = twips_x + (Number(*control, "Left", 0) - scale.left) * scale.across;
    double inner_y = twips_y + (Number(*control, "Top", 0) - scale.top) * scale.down;
    if (view.kind == DrawKind::PictureBox) {
      const int border = view.border_style == 0 ? 0 : view.three_d ? 2 : 1;
      inner_x += border * kTwipsPerPixel;
      inner_y += border * kTwipsPerPixel;
      inside = {view.rect.x + border, view.rect.y + border, std::max(0, view.rect.width - 2 * border),
                std::max(0, view.rect.height - 2 * border)};
      inner = host::ScaleOfControl(*control, inside.width, inside.height);
    }
    Lay(control, Intersect(clip, inside), {inside.x, inside.y}, inner, inner_x, inner_y);
  }
}

const ControlView* DesignerModel::ViewOf(const host::VBControl* control) const {
  for (const ControlView& view : views_)
    if (view.control == control) return &view;
  return nullptr;
}

host::VBControl* DesignerModel::HitTest(Point p) const {
  for (auto it = views_.rbegin(); it != views_.rend(); ++it) {
    if (!it->clip.Contains(p)) continue;
    const bool hit = it->placement == Placement::Segment ? Near(p, it->from, it->to, kLineSlack) : it->rect.Contains(p);
    if (hit) return it->control;
  }
  return nullptr;
}

host::VBControl* DesignerModel::ContainerAt(Point p, const std::vector<host::VBControl*>& moving) const {
  host::VBControl* form = &designer_.Form();
  const auto moved = [&](host::VBControl* control) {
    for (host::VBControl* up = control; up != nullptr && up != form; up = up->Container())
      if (std::find(moving.begin(), moving.end(), up) != moving.end()) return true;
    return false;
  };
  host::VBControl* hit = nullptr;
  for (auto it = views_.rbegin(); it != views_.rend() && hit == nullptr; ++it) {
    if (!it->clip.Contains(p) || moved(it->control)) continue;
    if (it->placement == Placement::Segment ? Near(p, it->from, it->to, kLineSlack) : it->rect.Contains(p))
      hit = it->control;
  }
  for (host::VBControl* control = hit; control != nullptr && control != form; control = control->Container())
    if (Contains(DrawKindOf(control->ClassName()))) return control;
  return nullptr;
}

const DesignerModel::Inner* DesignerModel::InnerOf(const host::VBControl* container) const {
  for (const Inner& inner : inners_)
    if (inner.container == container) return &inner;
  return nullptr;
}

bool DesignerModel::Selected(const host::VBControl* control) {
  const auto selected = designer_.SelectedVBControls();
  return std::find(selected.begin(), selected.end(), control) != selected.end();
}

void DesignerModel::Click(host::VBControl* control, bool add_to_selection) {
  auto selected = designer_.SelectedVBControls();
  if (control == nullptr) {
    if (!add_to_selection) designer_.Select({});
    return;
  }
  const auto at = std::find(selected.begin(), selected.end(), control);
  if (add_to_selection) {
    if (at != selected.end())
      selected.erase(at);
    else
      selected.push_back(control);
    designer_.Select(selected);
  } else if (at == selected.end()) {
    // A click on a control already selected keeps the others, so that they can be dragged together.
    designer_.Select({control});
  }
}

void DesignerModel::SelectWithin(const Rect& band, bool add_to_selection) {
  std::vector<host::VBControl*> selected;
  if (add_to_selection) selected = designer_.SelectedVBControls();
  for (const ControlView& view : views_) {
    if (view.control->Container() != &designer_.Form() || view.placement == Placement::None) continue;
    const Rect touched = Intersect(band, view.rect);
    if (touched.width == 0 || touched.height == 0) continue;
    if (std::find(selected.begin(), selected.end(), view.control) == selected.end()) selected.push_back(view.control);
  }
  designer_.Select(selected);
}

namespace {

// The selected controls that no other selected control holds.
std::vector<host::VBControl*> Outermost(const std::vector<host::VBControl*>& selected) {
  std::vector<host::VBControl*> outermost;
  for (host::VBControl* control : selected) {
    bool inside = false;
    for (host::VBControl* up = control->Container(); up != nullptr && !inside; up = up->Container())
      inside = std::find(selected.begin(), selected.end(), up) != selected.end();
    if (!inside) outermost.push_back(control);
  }
  return outermost;
}

}  // namespace

void DesignerModel::MoveSelection(int dx, int dy) {
  if (dx == 0 && dy == 0) return;
  for (host::VBControl* control : Outermost(designer_.SelectedVBControls())) {
    const ControlView* view = ViewOf(control);
    if (view == nullptr) continue;
    Rect after = view->rect;
    after.x += dx;
    after.y += dy;
    Place(*control, after);
  }
  Reload();
}

void DesignerModel::DropSelection(int dx, int dy, Point drop) {
  const std::vector<host::VBControl*> moving = Outermost(designer_.SelectedVBControls());
  const bool on_form = drop.x >= 0 && drop.y >= 0 && drop.x < client_width_ && drop.y < client_height_;
  host::VBControl* target = ContainerAt(drop, moving);
  host::VBControl& into = target != nullptr ? *target : designer_.Form();
  for (host::VBControl* control : moving) {
    const ControlView* view = ViewOf(control);
    if (view == nullptr) continue;
    if (on_form && control->Container() != &into) {
      MoveInto(*control, into, dx, dy);
      continue;
    }
    Rect after = view->rect;
    after.x += dx;
    after.y += dy;
    Place(*control, after);
  }
  Reload();
}

void DesignerModel::MoveInto(host::VBControl& control, host::VBControl& container, int dx, int dy) {
  const Inner* from = InnerOf(control.Container());
  const Inner* to = InnerOf(&container);
  const ControlView* view = ViewOf(&control);
  if (from == nullptr || to == nullptr || view == nullptr || view->placement == Placement::None) return;
  // A value of the old container's scale, moved by the drag, in the new one's.
  const auto across = [&](double units) {
    const double twips = from->x + (units - from->scale.left) * from->scale.across + dx * kTwipsPerPixel;
    return (twips - to->x) / to->scale.across + to->scale.left;
  };
  const auto down = [&](double units) {
    const double twips = from->y + (units - from->scale.top) * from->scale.down + dy * kTwipsPerPixel;
    return (twips - to->y) / to->scale.down + to->scale.top;
  };
  std::vector<std::pair<const char*, double>> values;
  if (view->placement == Placement::Segment) {
    for (const char* name : {"X1", "X2"}) values.emplace_back(name, across(Number(control, name, 0)));
    for (const char* name : {"Y1", "Y2"}) values.emplace_back(name, down(Number(control, name, 0)));
  } else {
    values.emplace_back("Left", across(Number(control, "Left", 0)));
    values.emplace_back("Top", down(Number(control, "Top", 0)));
    // The same size on the screen in a container of another scale.
    if (view->placement == Placement::Box && from->scale.across != to->scale.across)
      values.emplace_back("Width", Number(control, "Width", 0) * from->scale.across / to->scale.across);
    if (view->placement == Placement::Box && from->scale.down != to->scale.down)
      values.emplace_back("Height", Number(control, "Height", 0) * from->scale.down / to->scale.down);
  }
  control.SetContainer(container);
  const bool twips = to->scale.across == 1 && to->scale.down == 1;
  for (const auto& [name, units] : values) {
    // Twips are whole numbers in a form file.
    const std::string text = SingleText(twips ? std::round(units) : units);
    if (ValueOf(control, name) != text) control.SetPropertyValue(name, text);
  }
  // A frame's controls count in the scale of the frame's container: in another one, each
  // keeps its place and size on the screen.
  if (DrawKindOf(control.ClassName()) == DrawKind::Frame &&
      (from->scale.across != to->scale.across || from->scale.down != to->scale.down))
    Rescale(control, from->scale.across / to->scale.across, from->scale.down / to->scale.down, twips);
}

void DesignerModel::Rescale(host::VBControl& frame, double across, double down, bool twips) {
  for (host::VBControl* control : designer_.Controls()) {
    if (control->Container() != &frame) continue;
    for (const char* name : {"Left", "Width", "X1", "X2", "Top", "Height", "Y1", "Y2"}) {
      const auto value = ValueOf(*control, name);
      if (!value) continue;
      const double factor = name[0] == 'L' || name[0] == 'W' || name[0] == 'X' ? across : down;
      const double units = Number(*control, name, 0) * factor;
      const std::string text = SingleText(twips ? std::round(units) : units);
      if (*value != text) control->SetPropertyValue(name, text);
    }
    if (DrawKindOf(control->ClassName()) == DrawKind::Frame) Rescale(*control, across, down, twips);
  }
}

void DesignerModel::Arrange(int position) {
  const std::vector<host::VBControl*> selected = designer_.SelectedVBControls();
  std::vector<host::VBControl*> order;
  for (host::VBControl* control : designer_.Controls())
    if (std::find(selected.begin(), selected.end(), control) != selected.end() && ViewOf(control) != nullptr)
      order.push_back(control);
  // Each goes to the end it is sent to in turn: the last sent ends up outermost.
  if (position == 1) std::reverse(order.begin(), order.end());
  for (host::VBControl* control : order) control->ZOrder(position);
  Reload();
}

void DesignerModel::BringToFront() { Arrange(0); }
void DesignerModel::SendToBack() { Arrange(1); }

bool DesignerModel::CanArrange() {
  for (host::VBControl* control : designer_.SelectedVBControls())
    if (ViewOf(control) != nullptr) return true;
  return false;
}

void DesignerModel::AlignToGrid() {
  for (host::VBControl* control : designer_.SelectedVBControls()) {
    const ControlView* view = ViewOf(control);
    const Inner* inner = InnerOf(control->Container());
    if (view == nullptr || inner == nullptr || view->placement == Placement::Segment) continue;
    const auto snap = [&](const char* name, double origin, double twips_per_unit, int grid) {
      if (grid <= 0) return;
      const double twips = (Number(*control, name, 0) - origin) * twips_per_unit;
      const double units = std::round(twips / grid) * grid / twips_per_unit + origin;
      const std::string text = SingleText(units);
      if (ValueOf(*control, name) != text) control->SetPropertyValue(name, text);
    };
    snap("Left", inner->scale.left, inner->scale.across, grid_.width);
    snap("Top", inner->scale.top, inner->scale.down, grid_.height);
  }
  Reload();
}

void DesignerModel::Place(host::VBControl& control, const Rect& after) {
  const ControlView* view = ViewOf(&control);
  if (view == nullptr || view->placement == Placement::None) return;
  const Scale& scale = ScaleFor(control);
  const Rect before = view->rect;
  // Each value moves by the pixels its edge moved, so a value that is no whole number of
  // pixels keeps its odd twips, and a value whose edge stayed is not written at all.
  const auto shift = [&](const char* name, int pixels, double twips_per_unit) {
    if (pixels == 0) return;
    const double units = Number(control, name, 0) + pixels * kTwipsPerPixel / twips_per_unit;
    control.SetPropertyValue(name, SingleText(units));
  };
  if (view->placement == Placement::Segment) {
    // The ends keep their corners of the box.
    const auto end_x = [&](int x) { return x == before.x ? after.x : after.x + after.width - 1; };
    const auto end_y = [&](int y) { return y == before.y ? after.y : after.y + after.height - 1; };
    shift("X1", end_x(view->from.x) - view->from.x, scale.across);
    shift("Y1", end_y(view->from.y) - view->from.y, scale.down);
    shift("X2", end_x(view->to.x) - view->to.x, scale.across);
    shift("Y2", end_y(view->to.y) - view->to.y, scale.down);
  } else {
    shift("Left", after.x - before.x, scale.across);
    shift("Top", after.y - before.y, scale.down);
    if (view->placement == Placement::Box) {
      shift("Width", after.width - before.width, scale.across);
      shift("Height", after.height - before.height, scale.down);
    }
  }
  Reload();
}

void DesignerModel::ResizeForm(int width, int height) {
  host::VBControl& form = designer_.Form();
  // The designer keeps the scale's unit: ScaleWidth and ScaleHeight follow the client size.
  const auto grow = [&](const char* client, int pixels, int now) {
    if (pixels == 0) return;
    form.SetPropertyValue(client, SingleText(Number(form, client, now * kTwipsPerPixel) + pixels * kTwipsPerPixel));
  };
  grow("ClientWidth", std::max(1, width) - client_width_, client_width_);
  grow("ClientHeight", std::max(1, height) - client_height_, client_height_);
  Reload();
}

host::VBControl& DesignerModel::AddAt(std::string_view class_name, Point at) {
  host::VBControl& added = designer_.AddControl(class_name, ContainerAt(at));
  Reload();
  if (const ControlView* view = ViewOf(&added)) {
    Rect after = view->rect;
    after.x = at.x;
    after.y = at.y;
    Place(added, after);
  }
  designer_.Select({&added});
  return added;
}

host::VBControl& DesignerModel::Add(std::string_view class_name) {
  host::VBControl& added = designer_.AddControl(class_name);
  designer_.Select({&added});
  Reload();
  return added;
}

void DesignerModel::DeleteSelection() {
  for (host::VBControl* control : Outermost(designer_.SelectedVBControls())) designer_.RemoveControl(*control);
  Reload();
}

std::vector<ObjectEntry> DesignerModel::Objects() const {
  host::VBControl& form = designer_.Form();
  std::vector<ObjectEntry> entries;
  for (host::VBControl* control : designer_.Controls())
    entries.push_back({control, DisplayName(*control) + " " + control->ClassName()});
  std::stable_sort(entries.begin(), entries.end(), [](const ObjectEntry& a, const ObjectEntry& b) {
    if (!cp1252::EqualsNoCase(a.control->Name(), b.control->Name()))
      return cp1252::LessNoCase()(a.control->Name(), b.control->Name());
    return a.control->Index() < b.control->Index();
  });
  entries.insert(entries.begin(), {&form, form.Name() + " " + form.ClassName()});
  return entries;
}

ValueChoices ChoicesOf(std::string_view prog_id, std::string_view property) {
  const host::CatalogueProperty* known = host::CatalogueFind(prog_id, {std::string(property)});
  // A font's member by its own name, or an ActiveX control's property of a name that is a
  // Boolean wherever an intrinsic control has it.
  const bool boolean = known ? known->type == host::PropertyType::Boolean : host::BooleanByName(property);
  if (boolean) return {{"0", "False"}, {"-1", "True"}};
  ValueChoices choices;
  if (known)
    for (const auto& [value, name] : known->values) choices.emplace_back(std::to_string(value), std::to_string(value) + " - " + name);
  return choices;
}

std::optional<std::string> ChosenValue(const ValueChoices& choices, std::string_view typed) {
  std::string_view text = typed;
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  for (const auto& [value, shown] : choices) {
    const std::size_t dash = shown.find(" - ");
    const std::string_view name =
        dash == std::string::npos ? std::string_view(shown) : std::string_view(shown).substr(dash + 3);
    if (cp1252::EqualsNoCase(text, shown) || text == value || cp1252::EqualsNoCase(text, name)) return value;
  }
  return std::nullopt;
}

namespace {

// A colour an ActiveX control's file holds in decimal ("-2147483640"), as VB6's window shows
// every colour: "&H80000008&". Nothing for any other value.
std::optional<std::string> HexColour(std::string_view name, std::string_view value) {
  if (name.size() < 5 || !cp1252::EqualsNoCase(name.substr(name.size() - 5), "Color") || value.empty())
    return std::nullopt;
  const std::string text(value);
  char* end = nullptr;
  const long long number = std::strtoll(text.c_str(), &end, 10);
  if (*end != '\0' || !(std::isdigit(static_cast<unsigned char>(text.back()))) || number < INT32_MIN ||
      number > UINT32_MAX)
    return std::nullopt;
  char hex[16];
  std::snprintf(hex, sizeof hex, "&H%08X&", static_cast<unsigned>(static_cast<std::uint32_t>(number)));
  return std::string(hex);
}

// The other way, for such a colour typed as &H...& (the closing & may be left out): the
// decimal the file holds; nothing for any other text.
std::optional<std::string> DecimalColour(std::string_view typed) {
  if (!cp1252::StartsWithNoCase(typed, "&H")) return std::nullopt;
  std::string digits(typed.substr(2));
  if (!digits.empty() && digits.back() == '&') digits.pop_back();
  if (digits.empty() || digits.size() > 8 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
    return std::nullopt;
  return std::to_string(static_cast<std::int32_t>(static_cast<std::uint32_t>(std::stoul(digits, nullptr, 16))));
}

}  // namespace

// A picture or list an intrinsic control does not have: VB6's window shows "(None)".
bool NoneShown(std::string_view prog_id, const std::string& name, const std::string& value) {
  const host::CatalogueProperty* known = host::CatalogueFind(prog_id, {name});
  return value.empty() && known && (known->type == host::PropertyType::Picture || known->type == host::PropertyType::List);
}

std::string NextChoice(const PropertyRow& row) {
  if (row.choices.empty()) return {};
  const auto at = std::find(row.choices.begin(), row.choices.end(), row.shown);
  return at == row.choices.end() || at + 1 == row.choices.end() ? row.choices.front() : *(at + 1);
}

std::vector<PropertyRow> DesignerModel::Rows(host::VBControl& control) const {
  std::vector<PropertyRow> rows;
  const std::string prog_id = control.ProgId();
  const auto add = [&](std::string name, const host::DesignerProperty& property) {
    PropertyRow row{std::move(name), property.value, property.value, true, {}};
    const bool text = property.frx && (property.frx->string_list || cp1252::EqualsNoCase(property.name, "Caption") ||
                                       cp1252::EqualsNoCase(property.name, "Text"));
    if (text) {
      row.shown = FrxText(property.value);
    } else if (property.frx || NoneShown(prog_id, property.name, property.value)) {
      row.editable = false;
      row.shown = !property.frx                                                   ? "(None)"
                  : cp1252::FindNoCase(property.name, "Icon") != std::string::npos ? "(Icon)"
                  : cp1252::EqualsNoCase(property.name, "List") || cp1252::EqualsNoCase(property.name, "ItemData")
                      ? "(List)"
                      : "(Bitmap)";
    } else {
      row.shown = HexColour(property.name, property.value).value_or(host::DesignerStringText(property.value));
      for (const auto& [value, shown] : ChoicesOf(prog_id, property.name)) {
        row.choices.push_back(shown);
        if (value == property.value) row.shown = shown;
      }
    }
    rows.push_back(std::move(row));
  };
  // Every property the control has, those its file leaves out at their defaults too; a group
  // member by member.
  const auto plain = [](std::string name, const host::Property& property) {
    host::DesignerProperty held;
    held.name = std::move(name);
    held.value = property.Value();
    held.frx = host::ParseFrxReference(held.value);
    return held;
  };
  for (int i = 1; i <= control.PropertyCount(); ++i) {
    host::Property& property = control.PropertyAt(i);
    const std::vector<std::string> members = property.MemberNames();
    if (members.empty()) add(property.Name(), plain(property.Name(), property));
    for (const std::string& member : members)
      if (host::Property* held = control.FindProperty(member); held && held->MemberNames().empty())
        add(member, plain(member.substr(member.find('.') + 1), *held));
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [](const PropertyRow& a, const PropertyRow& b) { return cp1252::LessNoCase()(a.name, b.name); });
  rows.insert(rows.begin(), PropertyRow{"(Name)", control.Name(), control.Name(), true, {}});
  return rows;
}

std::vector<PropertyRow> DesignerModel::Rows(const std::vector<host::VBControl*>& controls) const {
  if (controls.size() == 1) return Rows(*controls.front());
  std::vector<PropertyRow> common;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    std::vector<PropertyRow> rows = Rows(*controls[i]);
    rows.erase(rows.begin());  // each has a name of its own
    if (i == 0) {
      common = std::move(rows);
      continue;
    }
    std::erase_if(common, [&](PropertyRow& row) {
      auto it = std::find_if(rows.begin(), rows.end(),
                             [&](const PropertyRow& other) { return cp1252::EqualsNoCase(other.name, row.name); });
      if (it == rows.end()) return true;
      if (it->value != row.value) row.value = row.shown = "";
      row.editable = row.editable && it->editable;
      if (it->choices != row.choices) row.choices.clear();  // each takes what is typed its own way
      return false;
    });
  }
  return common;
}

void DesignerModel::SetProperty(const std::vector<host::VBControl*>& controls, std::string_view name,
                                std::string_view typed) {
  for (host::VBControl* control : controls) SetProperty(*control, name, typed);
}

void DesignerModel::SetProperty(host::VBControl& control, std::string_view name, std::string_view typed) {
  if (name == "(Name)" || cp1252::EqualsNoCase(name, "Name")) {
    if (typed != control.Name()) control.SetName(typed);
  } else {
    std::string value(typed);
    for (const PropertyRow& row : Rows(control)) {
      if (!cp1252::EqualsNoCase(row.name, name)) continue;
      if (row.shown == typed || !row.editable) return;
      if (row.shown != row.value && HexColour(name, row.value)) {
        value = DecimalColour(typed).value_or(value);
        break;
      }
      if (row.choices.empty()) break;
      const std::string_view member = name.substr(name.rfind('.') == std::string_view::npos ? 0 : name.rfind('.') + 1);
      const std::optional<std::string> chosen = ChosenValue(ChoicesOf(control.ProgId(), member), typed);
      if (!chosen) {
        std::string allowed;
        for (const std::string& choice : row.choices) allowed += (allowed.empty() ? "" : ", ") + choice;
        throw host::HostError(380, "Invalid property value: " + row.name + " takes " + allowed);
      }
      value = *chosen;
      break;
    }
    control.SetPropertyValue(name, value);
  }
  Reload();
}

}  // namespace gildex::workbench
