// The positioned layout of a form's page: every control at its own place and size in pixels,
// frames and picture boxes as boxes holding theirs, with the fonts, colours, alignment, borders
// and captions the designer draws.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "host/designer_colour.h"
#include "host/designer_scale.h"
#include "platform/cp1252.h"
#include "tools/asp_generator.h"
#include "tools/form_values.h"

namespace gildex {
namespace {

using namespace form_values;

constexpr double kTwipsPerPixel = 15;  // of the 96-dot screen VB6 forms are laid out for

// The property's number, or `fallback` when the form file gives none.
double NumberOr(host::VBControl& control, std::string_view name, double fallback) {
  const host::Property* property = Find(control, name);
  if (property == nullptr || property->Value().empty()) return fallback;
  return Val(property->Value());
}

int Pixels(double units, double twips_per_unit) {
  return static_cast<int>(std::lround(units * twips_per_unit / kTwipsPerPixel));
}

// A colour as CSS: &H00BBGGRR&, or a system colour of the classic Windows scheme.
std::string Colour(host::VBControl& control, std::string_view name) {
  const host::Property* property = Find(control, name);
  if (property == nullptr) return {};
  const auto rgb = host::DesignerColour(property->Value());
  if (!rgb) return {};
  char text[12];
  std::snprintf(text, sizeof text, "#%06lX", static_cast<unsigned long>(*rgb & 0xFFFFFFu));
  return text;
}

// The font the control shows, as CSS: its own, else its container's, else VB's default.
std::string FontStyle(host::VBControl& control) {
  double size = 8.25;
  bool bold = false, italic = false, underline = false;
  for (host::VBControl* at = &control; at != nullptr; at = at->Container())
    if (Find(*at, "Font.Name") != nullptr) {
      size = NumberOr(*at, "Font.Size", 8.25);
      bold = NumberOr(*at, "Font.Weight", 400) >= 600 || NumberOr(*at, "Font.Bold", 0) != 0;
      italic = NumberOr(*at, "Font.Italic", 0) != 0;
      underline = NumberOr(*at, "Font.Underline", 0) != 0;
      break;
    }
  char points[32];
  std::snprintf(points, sizeof points, "%gpt", size);
  const std::string family = FontName(control);
  std::string style = "font-family:'" + HtmlEscape(family) + "',Tahoma,sans-serif;font-size:" + points;
  if (bold) style += ";font-weight:bold";
  if (italic) style += ";font-style:italic";
  if (underline) style += ";text-decoration:underline";
  return style;
}

enum class Kind { Button, Label, TextBox, Check, Option, Frame, List, Combo, Picture, Image, Shape, Other };

Kind KindOf(const std::string& type) {
  static const std::map<std::string, Kind> kKinds = {
      {"CommandButton", Kind::Button}, {"Label", Kind::Label},   {"TextBox", Kind::TextBox},
      {"CheckBox", Kind::Check},       {"OptionButton", Kind::Option}, {"Frame", Kind::Frame},
      {"ListBox", Kind::List},         {"ComboBox", Kind::Combo}, {"PictureBox", Kind::Picture},
      {"Image", Kind::Image},          {"Shape", Kind::Shape}};
  const auto it = kKinds.find(type);
  return it == kKinds.end() ? Kind::Other : it->second;
}

// The border the designer draws: none, a flat line or the sunken 3-D edge.
std::string Border(host::VBControl& control, int default_style, int& width) {
  const int style = static_cast<int>(NumberOr(control, "BorderStyle", default_style));
  const bool three_d = NumberOr(control, "Appearance", 1) != 0;
  width = style == 0 ? 0 : three_d ? 2 : 1;
  return style == 0 ? "border:none" : three_d ? "border:2px inset #D4D0C8" : "border:1px solid #000";
}

std::string AlignStyle(host::VBControl& control) {
  const int alignment = static_cast<int>(NumberOr(control, "Alignment", 0));
  return alignment == 1 ? ";text-align:right" : alignment == 2 ? ";text-align:center" : ";text-align:left";
}

std::string Attribute(const std::string& text) { return "\"" + HtmlEscape(text) + "\""; }

// A control's place and size, and its font, as CSS.
std::string BoxStyle(host::VBControl& control, int x, int y, int width, int height) {
  return "position:absolute;box-sizing:border-box;margin:0;left:" + std::to_string(x) + "px;top:" + std::to_string(y) +
         "px;width:" + std::to_string(std::max(0, width)) + "px;height:" + std::to_string(std::max(0, height)) + "px;" +
         FontStyle(control);
}

}  // namespace

std::string clsASPGenerator::PositionedBody(host::Designer& designer, const std::string& folder) {
  host::VBControl& form = designer.Form();
  const auto client = [&](const char* client_name, const char* scale_name, double twips) {
    if (Find(form, client_name) != nullptr && !Find(form, client_name)->Value().empty())
      return Pixels(NumberOr(form, client_name, 0), 1);
    const host::DesignerScale own = host::ScaleOfControl(form, 0, 0);
    if (Find(form, scale_name) != nullptr && !Find(form, scale_name)->Value().empty())
      return Pixels(NumberOr(form, scale_name, 0), scale_name[5] == 'W' ? own.across : own.down);
    return Pixels(twips, 1);
  };
  const int width = client("ClientWidth", "ScaleWidth", 4680), height = client("ClientHeight", "ScaleHeight", 3195);
  const std::string back = Colour(form, "BackColor");
  std::string body = "<div id=\"gildex-form\" style=\"position:relative;overflow:hidden;width:" + std::to_string(width) +
                     "px;height:" + std::to_string(height) + "px;background:" + (back.empty() ? "#D4D0C8" : back) + ";" +
                     FontStyle(form) + "\">\r\n";
  const std::string with_end = !folder.empty() && IsPathSeparator(folder.back()) ? folder : folder + kPathSeparator;
  const host::DesignerScale units = host::ScaleOfControl(form, width, height);
  body += PositionedControls(designer, form, units.across, units.down, units.left, units.top, with_end);
  return body + "</div>\r\n</FORM>";
}

std::string clsASPGenerator::PositionedControls(host::Designer& designer, host::VBControl& container, double across,
                                                double down, double scale_left, double scale_top,
                                                const std::string& folder) {
  // As the designer stacks them: the ones drawn on their container below the windowed ones.
  std::vector<host::VBControl*> graphical, windowed;
  for (host::VBControl* control : designer.Controls()) {
    if (control->Container() != &container) continue;
    const std::string type = control->ClassName();
    if (Find(*control, "Left") == nullptr || Find(*control, "Top") == nullptr || Find(*control, "Width") == nullptr ||
        Find(*control, "Height") == nullptr || type == "Line" || type == "Menu") {
      left_out_.push_back(control->Index() >= 0 ? control->Name() + "(" + std::to_string(control->Index()) + ")"
                                                : control->Name());
      continue;
    }
    const bool light = type == "Label" || type == "Image" || type == "Shape";
    (light ? graphical : windowed).push_back(control);
  }
  graphical.insert(graphical.end(), windowed.begin(), windowed.end());
  std::string markup;
  for (host::VBControl* control : graphical) {
    const int x = Pixels(NumberOr(*control, "Left", 0) - scale_left, across);
    const int y = Pixels(NumberOr(*control, "Top", 0) - scale_top, down);
    const int w = Pixels(NumberOr(*control, "Width", 0), across), h = Pixels(NumberOr(*control, "Height", 0), down);
    markup += PositionedControl(designer, *control, x, y, w, h, across, down, folder) + "\r\n";
  }
  return markup;
}

std::string clsASPGenerator::PositionedControl(host::Designer& designer, host::VBControl& control, int x, int y,
                                               int w, int h, double across, double down, const std::string& folder) {
  const std::string id = Attribute(ElementId(control)), name = Attribute(control.Name());
  std::string style = BoxStyle(control, x, y, w, h);
  const std::string fore = Colour(control, "ForeColor"), back = Colour(control, "BackColor");
  if (!fore.empty()) style += ";color:" + fore;
  const bool opaque = NumberOr(control, "BackStyle", 1) != 0;
  const Kind kind = KindOf(control.ClassName());
  int border = 0;
  try {
    switch (kind) {
      case Kind::Label: {
        style += ";overflow:hidden;white-space:pre-wrap;" + Border(control, 0, border) + AlignStyle(control);
        if (opaque) style += ";background:" + (back.empty() ? std::string("#D4D0C8") : back);
        return "<div id=" + id + " style=\"" + style + "\">" + CaptionMarkup(control, form_folder_) + "</div>";
      }
      case Kind::Button: {
        const std::string caption = Text(control, "Caption", form_folder_);
        const char* type = cp1252::FindNoCase(caption, "Submit") != std::string::npos || NumberOr(control, "Default", 0) != 0
                               ? "submit"
                           : cp1252::FindNoCase(caption, "Reset") != std::string::npos ? "reset"
                                                                                       : "button";
        style += ";padding:0;background:" + (back.empty() ? std::string("#D4D0C8") : back);
        return std::string("<button type=") + type + " id=" + id + " name=" + name + " style=\"" + style + "\">" +
               CaptionMarkup(control, form_folder_) + "</button>";
      }
      case Kind::TextBox: {
        style += ";padding:1px 2px;" + Border(control, 1, border) + AlignStyle(control) +
                 ";background:" + (back.empty() ? std::string("#FFFFFF") : back);
        const std::string text = Text(control, "Text", form_folder_);
        if (NumberOr(control, "MultiLine", 0) != 0)
          return "<textarea id=" + id + " name=" + name + " style=\"" + style + ";resize:none\">" + HtmlEscape(text) +
                 "</textarea>";
        const bool password = !Text(control, "PasswordChar", form_folder_).empty();
        return std::string("<input type=") + (password ? "password" : "text") + " id=" + id + " name=" + name +
               " value=" + Attribute(text) + " style=\"" + style + "\">";
      }
      case Kind::Check:
      case Kind::Option: {
        const bool on = kind == Kind::Check ? NumberOr(control, "Value", 0) == 1 : NumberOr(control, "Value", 0) != 0;
        const bool right = NumberOr(control, "Alignment", 0) == 1;
        style += ";display:flex;align-items:center;white-space:nowrap;overflow:hidden";
        if (right) style += ";flex-direction:row-reverse;justify-content:flex-end";
        if (opaque) style += ";background:" + (back.empty() ? std::string("#D4D0C8") : back);
        const std::string input = std::string("<input type=") + (kind == Kind::Check ? "checkbox" : "radio") +
                                  " name=" + name + " value=" + (kind == Kind::Check ? "ON" : id) +
                                  (on ? " checked" : "") + " style=\"margin:0 4px 0 1px\">";
        return "<label id=" + id + " style=\"" + style + "\">" + input + "<span>" + CaptionMarkup(control, form_folder_) +
               "</span></label>";
      }
      case Kind::List:
      case Kind::Combo: {
        const std::vector<std::string> entries = ListEntries(control, form_folder_);
        style += ";" + Border(control, 1, border) + ";background:" + (back.empty() ? std::string("#FFFFFF") : back);
        const std::size_t rows = kind == Kind::Combo ? 1 : std::max<std::size_t>(2, entries.size());
        std::string markup = "<select id=" + id + " name=" + name + " size=" + std::to_string(rows) + " style=\"" + style + "\">";
        for (const std::string& entry : entries) markup += "<option>" + HtmlEscape(entry) + "</option>";
        return markup + "</select>";
      }
      case Kind::Frame:
      case Kind::Picture:
        return PositionedContainer(designer, control, style, back, w, h, across, down, folder);
      case Kind::Image: {
        const std::string src = SavePicture(control, folder);
        style += ";" + Border(control, 0, border);
        if (src.empty()) return "<div id=" + id + " style=\"" + style + "\"></div>";
        const bool stretch = NumberOr(control, "Stretch", 0) != 0;
        return "<div id=" + id + " style=\"" + style + ";overflow:hidden\"><img alt=" + name + " src=" + Attribute(src) +
               (stretch ? " style=\"width:100%;height:100%;display:block\"" : " style=\"display:block\"") + "></div>";
      }
      case Kind::Shape: {
        const int shape = static_cast<int>(NumberOr(control, "Shape", 0));
        const std::string line = Colour(control, "BorderColor");
        style += ";border:" + std::to_string(std::max(1, static_cast<int>(NumberOr(control, "BorderWidth", 1)))) +
                 "px solid " + (line.empty() ? std::string("#000") : line);
        if (shape == 2 || shape == 3) style += ";border-radius:50%";
        if (shape == 4 || shape == 5) style += ";border-radius:12%";
        if (NumberOr(control, "BackStyle", 0) != 0) style += ";background:" + (back.empty() ? std::string("#FFFFFF") : back);
        return "<div id=" + id + " style=\"" + style + "\"></div>";
      }
      case Kind::Other: break;
    }
  } catch (const std::exception&) {
    // Shown as a placeholder with its place.
  }
  const std::string box =
      Placeholder(control, id, std::to_string(std::max(0, w)), std::to_string(std::max(0, h)), BoxStyle(control, x, y, w, h));
  // An ActiveX container (a tab strip) holds its controls from its top left, in its container's scale.
  const std::vector<host::VBControl*> all = designer.Controls();
  if (std::none_of(all.begin(), all.end(), [&](host::VBControl* inner) { return inner->Container() == &control; }))
    return box;
  return box + "\r\n<div style=\"position:absolute;overflow:hidden;left:" + std::to_string(x) + "px;top:" +
         std::to_string(y) + "px;width:" + std::to_string(std::max(0, w)) + "px;height:" + std::to_string(std::max(0, h)) +
         "px\">\r\n" + PositionedControls(designer, control, across, down, 0, 0, folder) + "</div>";
}

// A frame places its controls from its own top left in the form's scale; a picture box from
// inside its border, in a scale of its own.
std::string clsASPGenerator::PositionedContainer(host::Designer& designer, host::VBControl& control, std::string style,
                                                 const std::string& back, int w, int h, double across, double down,
                                                 const std::string& folder) {
  const std::string id = Attribute(ElementId(control));
  if (control.ClassName() == "Frame") {
    style += ";background:" + (back.empty() ? std::string("#D4D0C8") : back);
    const std::string caption = CaptionMarkup(control, form_folder_);
    std::string markup = "<div id=" + id + " style=\"" + style + "\">";
    markup += "<div style=\"position:absolute;left:0;top:6px;right:0;bottom:0;border:2px groove #F0F0F0\"></div>";
    if (!caption.empty())
      markup += "<span style=\"position:absolute;left:8px;top:0;padding:0 2px;line-height:13px;background:inherit\">" +
                caption + "</span>";
    return markup + "\r\n" + PositionedControls(designer, control, across, down, 0, 0, folder) + "</div>";
  }
  int border = 0;
  style += ";overflow:hidden;" + Border(control, 1, border) + ";background-color:" +
           (back.empty() ? std::string("#D4D0C8") : back);
  const std::string src = SavePicture(control, folder);
  if (!src.empty()) style += ";background-image:url(&quot;" + HtmlEscape(src) + "&quot;);background-repeat:no-repeat";
  const int inner_w = std::max(0, w - 2 * border), inner_h = std::max(0, h - 2 * border);
  const host::DesignerScale units = host::ScaleOfControl(control, inner_w, inner_h);
  return "<div id=" + id + " style=\"" + style + "\">\r\n" +
         PositionedControls(designer, control, units.across, units.down, units.left, units.top, folder) + "</div>";
}

}  // namespace gildex
