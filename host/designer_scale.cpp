#include "host/designer_scale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "host/vbide.h"
#include "platform/cp1252.h"

namespace gildex::host {
namespace {

using cp1252::EqualsNoCase;

HostError InvalidValue(const std::string& why) { return HostError(380, "Invalid property value: " + why); }

std::optional<double> Number(const DesignerControl& control, const std::string& name) {
  const DesignerProperty* property = control.Find(name);
  if (!property || property->is_group) return std::nullopt;
  return DesignerNumber(property->value);
}

// Twips unless the file says another mode VB6 has.
int ScaleModeFrom(std::optional<double> mode) {
  return mode && *mode >= 0 && *mode <= 7 && *mode == std::floor(*mode) ? static_cast<int>(*mode) : 1;
}

int ScaleModeOf(const DesignerControl& owner) { return ScaleModeFrom(Number(owner, "ScaleMode")); }

std::optional<double> Number(VBControl& control, std::string_view name) {
  const Property* property = control.FindProperty(name);
  return property != nullptr ? DesignerNumber(property->Value()) : std::nullopt;
}

bool IsPictureBox(const DesignerControl& control) { return EqualsNoCase(control.prog_id, "VB.PictureBox"); }

// A picture box's border takes from its inside: 2 pixels a side drawn in 3-D, 1 flat, none without.
double BorderTwips(const DesignerControl& picture) {
  if (Number(picture, "BorderStyle").value_or(1) == 0) return 0;
  return Number(picture, "Appearance").value_or(1) == 0 ? 30 : 60;
}

DesignerScale OwnScale(const DesignerControl& owner) {
  DesignerScale scale;
  const int mode = ScaleModeOf(owner);
  if (mode != 0) {
    scale.across = TwipsPerUnit(mode, true);
    scale.down = TwipsPerUnit(mode, false);
    return scale;
  }
  for (const bool across : {true, false}) {
    const double twips = InsideTwips(owner, across);
    const std::optional<double> units = Number(owner, across ? "ScaleWidth" : "ScaleHeight");
    (across ? scale.across : scale.down) = twips > 0 && units && *units != 0 ? twips / *units : 1;
  }
  scale.left = Number(owner, "ScaleLeft").value_or(0);
  scale.top = Number(owner, "ScaleTop").value_or(0);
  return scale;
}

// The places a control has in its container's scale: its box, or a line's ends.
struct Place {
  const char* name;
  bool across;
  bool size;  // a width or height: the origin does not count
};
constexpr Place kPlaces[] = {{"Left", true, false}, {"Top", false, false}, {"Width", true, true}, {"Height", false, true},
                             {"X1", true, false},   {"Y1", false, false},  {"X2", true, false},   {"Y2", false, false}};

// VB6 keeps a control's place in whole twips and shows it in its container's unit, as a Single:
// so a value goes to twips, rounded to a whole twip (half to even, as the FPU rounds), and from
// there to the new unit, where it stays a Single (100 twips are 6.666667 pixels). Twips come out
// whole, and a round trip through any other scale gives the same twips back.
void Reexpress(std::vector<RawLine>& lines, DesignerBlock& block, DesignerControl& control, const DesignerScale& from,
               const DesignerScale& to, bool origin) {
  for (const Place& place : kPlaces) {
    const DesignerProperty* property = control.Find(place.name);
    const std::optional<double> value = property && !property->is_group ? DesignerNumber(property->value) : std::nullopt;
    if (!value) continue;
    const bool counted = origin && !place.size;
    const double from_origin = counted ? (place.across ? from.left : from.top) : 0;
    const double to_origin = counted ? (place.across ? to.left : to.top) : 0;
    const double twips = std::nearbyint((*value - from_origin) * (place.across ? from.across : from.down));
    const std::string text = SingleText(twips / (place.across ? to.across : to.down) + to_origin);
    if (text != property->value) SetPropertyLine(lines, block, control, {place.name}, text);
  }
}

// Every control the scale of `container` measures: those in it and those in its frames, which
// count from the frame's corner. A picture box inside has its own scale for its controls.
void Rescale(std::vector<RawLine>& lines, DesignerBlock& block, DesignerControl& container, const DesignerScale& from,
             const DesignerScale& to, bool origin) {
  if (from == to) return;
  for (auto& child : container.children) {
    Reexpress(lines, block, *child, from, to, origin);
    if (!HasOwnScale(*child)) Rescale(lines, block, *child, from, to, false);
  }
}

// VB6 leaves out of the file a ScaleMode of twips and an origin of 0.
void WriteOrRemove(std::vector<RawLine>& lines, DesignerBlock& block, DesignerControl& control, const std::string& name,
                   double value, double left_out) {
  if (value == left_out)
    RemovePropertyLine(lines, block, control, name);
  else
    SetPropertyLine(lines, block, control, {name}, SingleText(value));
}

double NumberOrRefuse(std::string_view name, std::string_view value, bool zero_allowed) {
  const std::optional<double> number = DesignerNumber(value);
  if (!number || (!zero_allowed && *number == 0))
    throw InvalidValue(std::string(name) + " is a number" + (zero_allowed ? "" : " other than 0") + ", not " +
                       std::string(value));
  return *number;
}

bool SetScaleMode(std::vector<RawLine>& lines, DesignerBlock& block, DesignerControl& owner, std::string_view value) {
  const std::optional<double> number = DesignerNumber(value);
  if (!number || *number < 0 || *number > 7 || *number != std::floor(*number))
    throw InvalidValue("ScaleMode is a whole number from 0 to 7, not " + std::string(value));
  const int mode = static_cast<int>(*number);
  if (mode == ScaleModeOf(owner)) return false;
  // The user scale is the scale as it stands, named so; any other unit measures the inside anew.
  if (mode != 0) {
    const DesignerScale from = OwnScale(owner);
    const double width = InsideTwips(owner, true), height = InsideTwips(owner, false);
    const DesignerScale to{TwipsPerUnit(mode, true), TwipsPerUnit(mode, false), 0, 0};
    Rescale(lines, block, owner, from, to, true);
    if (width > 0 && owner.Find("ScaleWidth")) SetPropertyLine(lines, block, owner, {"ScaleWidth"}, SingleText(width / to.across));
    if (height > 0 && owner.Find("ScaleHeight")) SetPropertyLine(lines, block, owner, {"ScaleHeight"}, SingleText(height / to.down));
    RemovePropertyLine(lines, block, owner, "ScaleLeft");
    RemovePropertyLine(lines, block, owner, "ScaleTop");
  }
  WriteOrRemove(lines, block, owner, "ScaleMode", mode, 1);
  return true;
}

// ScaleWidth, ScaleHeight, ScaleLeft, ScaleTop: a scale of the user's own (ScaleMode 0).
bool SetUserScale(std::vector<RawLine>& lines, DesignerBlock& block, DesignerControl& owner, const std::string& name,
                  std::string_view value) {
  const bool across = EqualsNoCase(name, "ScaleWidth") || EqualsNoCase(name, "ScaleLeft");
  const bool size = EqualsNoCase(name, "ScaleWidth") || EqualsNoCase(name, "ScaleHeight");
  const double number = NumberOrRefuse(name, value, !size);
  const std::optional<double> now = Number(owner, name);
  if (now == number || (!size && !now && number == 0)) return false;  // an origin the file leaves out is 0
  const DesignerScale from = OwnScale(owner);
  DesignerScale to = from;
  if (size) {
    const double inside = InsideTwips(owner, across);
    if (inside > 0) (across ? to.across : to.down) = inside / number;
  } else {
    (across ? to.left : to.top) = number;
  }
  Rescale(lines, block, owner, from, to, true);
  if (size)
    SetPropertyLine(lines, block, owner, {name}, SingleText(number));
  else
    WriteOrRemove(lines, block, owner, name, number, 0);
  WriteOrRemove(lines, block, owner, "ScaleMode", 0, 1);
  return true;
}

// A form's client size or a picture box's size: its scale keeps its unit and its ScaleWidth or
// ScaleHeight follows (a user scale too: VB6 keeps the unit of a resized form).
bool SetSize(std::vector<RawLine>& lines, DesignerBlock& block, DesignerControl& owner, const std::string& name,
             std::string_view value, bool across) {
  const double number = NumberOrRefuse(name, value, true);
  if (Number(owner, name) == number) return false;
  const DesignerScale scale = OwnScale(owner);
  SetPropertyLine(lines, block, owner, {name}, SingleText(number));
  const std::string scaled = across ? "ScaleWidth" : "ScaleHeight";
  const double inside = InsideTwips(owner, across);
  if (owner.Find(scaled) && inside > 0)
    SetPropertyLine(lines, block, owner, {scaled}, SingleText(inside / (across ? scale.across : scale.down)));
  return true;
}

}  // namespace

double TwipsPerUnit(int scale_mode, bool across) {
  switch (scale_mode) {
    case 1: return 1;
    case 2: return 20;
    case 3: return 15;
    case 4: return across ? 120 : 240;
    case 5: return 1440;
    case 6: return 1440 / 25.4;
    case 7: return 1440 / 2.54;
    default: return 0;
  }
}

DesignerScale ScaleOfControl(VBControl& owner, int inside_width, int inside_height) {
  constexpr double kTwipsPerPixel = 15;
  DesignerScale scale;
  if (const int mode = ScaleModeFrom(Number(owner, "ScaleMode")); mode != 0) {
    scale.across = TwipsPerUnit(mode, true);
    scale.down = TwipsPerUnit(mode, false);
    return scale;
  }
  const std::optional<double> width = Number(owner, "ScaleWidth"), height = Number(owner, "ScaleHeight");
  scale.across = width && *width != 0 && inside_width > 0 ? inside_width * kTwipsPerPixel / *width : 1;
  scale.down = height && *height != 0 && inside_height > 0 ? inside_height * kTwipsPerPixel / *height : 1;
  scale.left = Number(owner, "ScaleLeft").value_or(0);
  scale.top = Number(owner, "ScaleTop").value_or(0);
  return scale;
}

bool HasOwnScale(const DesignerControl& control) {
  if (IsPictureBox(control)) return true;
  return control.container == nullptr && cp1252::StartsWithNoCase(control.prog_id, "VB.") &&
         !EqualsNoCase(control.prog_id, "VB.MDIForm");
}

const DesignerControl& ScaleOwner(const DesignerControl& container) {
  const DesignerControl* owner = &container;
  while (owner->container && !HasOwnScale(*owner)) owner = owner->container;
  return *owner;
}

DesignerScale ScaleInside(const DesignerControl& container) {
  const DesignerControl& owner = ScaleOwner(container);
  DesignerScale scale = OwnScale(owner);
  if (&owner != &container) scale.left = scale.top = 0;
  return scale;
}

double InsideTwips(const DesignerControl& owner, bool across) {
  if (owner.container == nullptr) {
    if (const auto client = Number(owner, across ? "ClientWidth" : "ClientHeight")) return *client;
    const int mode = ScaleModeOf(owner);
    const auto units = Number(owner, across ? "ScaleWidth" : "ScaleHeight");
    return mode != 0 && units ? *units * TwipsPerUnit(mode, across) : 0;
  }
  const auto size = Number(owner, across ? "Width" : "Height");
  if (!size || !IsPictureBox(owner)) return 0;
  const DesignerScale outer = ScaleInside(*owner.container);
  return std::max(0.0, *size * (across ? outer.across : outer.down) - BorderTwips(owner));
}

std::string SingleText(double value) {
  if (std::abs(value - std::round(value)) < 1e-6) return std::to_string(static_cast<long>(std::lround(value)));
  char text[32];
  std::snprintf(text, sizeof text, "%.7g", value);
  return text;
}

std::optional<bool> WriteScaleProperty(std::vector<RawLine>& lines, DesignerBlock& block, DesignerControl& control,
                                       std::string_view name, std::string_view value) {
  const std::string property(name);
  const auto is = [&](const char* candidate) { return EqualsNoCase(property, candidate); };
  if (HasOwnScale(control)) {
    if (is("ScaleMode")) return SetScaleMode(lines, block, control, value);
    for (const char* user : {"ScaleWidth", "ScaleHeight", "ScaleLeft", "ScaleTop"})
      if (is(user)) return SetUserScale(lines, block, control, user, value);
  }
  const bool form = control.container == nullptr && cp1252::StartsWithNoCase(control.prog_id, "VB.");
  if (form && (is("ClientWidth") || is("ClientHeight")))
    return SetSize(lines, block, control, is("ClientWidth") ? "ClientWidth" : "ClientHeight", value, is("ClientWidth"));
  if (IsPictureBox(control) && (is("Width") || is("Height")))
    return SetSize(lines, block, control, is("Width") ? "Width" : "Height", value, is("Width"));
  return std::nullopt;
}

}  // namespace gildex::host
