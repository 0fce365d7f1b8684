#include "host/control_catalogue.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <tuple>

#include "host/designer_block.h"
#include "host/vbide.h"
#include "platform/cp1252.h"

namespace gildex::host {
namespace {

using cp1252::EqualsNoCase;
using enum PropertyType;

// A kind of property as the classes share it. The key is the property's name, or the name, a
// slash and a variant where classes differ in more than the default ("BorderStyle/form").
struct Kind {
  std::string_view key;
  PropertyType type;
  std::string_view default_value;
  std::string_view names = {};  // of an enumeration, '|' between, from 0; "99:Custom" gives a value of its own
};

constexpr Kind kKinds[] = {
    {"Align", Enumeration, "0", "None|Align Top|Align Bottom|Align Left|Align Right"},
    {"Alignment", Enumeration, "0", "Left Justify|Right Justify|Center"},
    {"Alignment/check", Enumeration, "0", "Left Justify|Right Justify"},
    {"Appearance", Enumeration, "1", "Flat|3D"},
    {"AutoActivate", Enumeration, "2", "Manual|GetFocus|Double-Click|Automatic"},
    {"BackStyle", Enumeration, "1", "Transparent|Opaque"},
    {"BackStyle/shape", Enumeration, "0", "Transparent|Opaque"},
    {"BOFAction", Enumeration, "0", "Move First|BOF"},
    {"BorderStyle", Enumeration, "1", "None|Fixed Single"},
    {"BorderStyle/none", Enumeration, "0", "None|Fixed Single"},
    {"BorderStyle/form", Enumeration, "2", "None|Fixed Single|Sizable|Fixed Dialog|Fixed ToolWindow|Sizable ToolWindow"},
    {"BorderStyle/shape", Enumeration, "1", "Transparent|Solid|Dash|Dot|Dash-Dot|Dash-Dot-Dot|Inside Solid"},
    {"ClipBehavior", Enumeration, "1", "None|UseRegion"},
    {"DataBindingBehavior", Enumeration, "0", "vbNone|vbSimpleBound|vbComplexBound"},
    {"DataSourceBehavior", Enumeration, "0", "vbNone|vbDataSource"},
    {"DefaultCursorType", Enumeration, "0", "DefaultCursor|ODBCCursor|ServerSideCursor"},
    {"DefaultType", Enumeration, "2", "1:UseJet|UseODBC"},  // VB6's own names for 1 and 2, as it writes them
    {"DisplayType", Enumeration, "0", "Content|Icon"},
    {"DragMode", Enumeration, "0", "Manual|Automatic"},
    {"DrawMode", Enumeration, "13",
     "1:Blackness|Not Merge Pen|Mask Not Pen|Not Copy Pen|Mask Pen Not|Invert|Xor Pen|Not Mask Pen|Mask Pen|"
     "Not Xor Pen|Nop|Merge Not Pen|Copy Pen|Merge Pen Not|Merge Pen|Whiteness"},
    {"DrawStyle", Enumeration, "0", "Solid|Dash|Dot|Dash-Dot|Dash-Dot-Dot|Transparent|Inside Solid"},
    {"EOFAction", Enumeration, "0", "Move Last|EOF|Add New"},
    {"FillStyle", Enumeration, "1",
     "Solid|Transparent|Horizontal Line|Vertical Line|Upward Diagonal|Downward Diagonal|Cross|Diagonal Cross"},
    {"HitBehavior", Enumeration, "1", "None|UseRegion|UsePaint"},
    {"IMEMode", Enumeration, "0",
     "NoControl|ON|OFF|DISABLE|Hiragana|Katakana|Katakana Half|Alpha Full|Alpha|Hangul Full|Hangul"},
    {"LinkMode", Enumeration, "0", "None|Automatic|Manual|Notify"},
    {"LinkMode/form", Enumeration, "0", "None|Source"},
    {"MousePointer", Enumeration, "0",
     "Default|Arrow|Cross|I-Beam|Icon|Size|Size NE SW|Size N S|Size NW SE|Size W E|Up Arrow|Hourglass|No Drop|"
     "Arrow and Hourglass|Arrow and Question|Size All|99:Custom"},
    {"MultiSelect", Enumeration, "0", "None|Simple|Extended"},
    {"NegotiatePosition", Enumeration, "0", "None|Left|Middle|Right"},
    {"OLEDragMode", Enumeration, "0", "Manual|Automatic"},
    {"OLEDropMode", Enumeration, "0", "None|Manual"},
    {"OLEDropMode/auto", Enumeration, "0", "None|Manual|Automatic"},
    {"OLETypeAllowed", Enumeration, "2", "Linked|Embedded|Either"},
    {"PaletteMode", Enumeration, "0", "Halftone|UseZOrder|Custom"},
    // A new property page is written with 0 'Halftone, so its default is another value.
    {"PaletteMode/control", Enumeration, "3", "Halftone|UseZOrder|Custom|Container|None"},
    {"RecordsetType", Enumeration, "1", "Table|Dynaset|Snapshot"},
    {"ScaleMode", Enumeration, "1", "User|Twip|Point|Pixel|Character|Inch|Millimeter|Centimeter"},
    {"ScrollBars", Enumeration, "0", "None|Horizontal|Vertical|Both"},
    {"Shape", Enumeration, "0", "Rectangle|Square|Oval|Circle|Rounded Rectangle|Rounded Square"},
    {"SizeMode", Enumeration, "0", "Clip|Stretch|AutoSize|Zoom"},
    {"StandardSize", Enumeration, "0", "Custom|Small|Large"},
    {"StartUpPosition", Enumeration, "0", "Manual|CenterOwner|CenterScreen|Windows Default"},
    {"Style", Enumeration, "0", "Standard|Graphical"},
    {"Style/combo", Enumeration, "0", "Dropdown Combo|Simple Combo|Dropdown List"},
    {"Style/list", Enumeration, "0", "Standard|Checkbox"},
    {"UpdateOptions", Enumeration, "0", "Automatic|Frozen|Manual"},
    {"Value/check", Enumeration, "0", "Unchecked|Checked|Grayed"},
    {"WindowState", Enumeration, "0", "Normal|Minimized|Maximized"},

    {"Alignable", Boolean, "0"},          {"Archive", Boolean, "-1"},          {"AutoRedraw", Boolean, "0"},
    {"AutoShowChildren", Boolean, "-1"},  {"AutoSize", Boolean, "0"},          {"AutoVerbMenu", Boolean, "-1"},
    {"Cancel", Boolean, "0"},             {"CanGetFocus", Boolean, "-1"},      {"CausesValidation", Boolean, "-1"},
    {"Checked", Boolean, "0"},            {"ClipControls", Boolean, "-1"},     {"ControlBox", Boolean, "-1"},
    {"ControlContainer", Boolean, "0"},   {"Default", Boolean, "0"},           {"DefaultCancel", Boolean, "0"},
    {"EditAtDesignTime", Boolean, "0"},   {"Enabled", Boolean, "-1"},          {"Exclusive", Boolean, "0"},
    {"FontTransparent", Boolean, "-1"},   {"ForwardFocus", Boolean, "0"},      {"HasDC", Boolean, "-1"},
    {"Hidden", Boolean, "0"},             {"HideSelection", Boolean, "-1"},    {"IntegralHeight", Boolean, "-1"},
    {"InvisibleAtRuntime", Boolean, "0"}, {"KeyPreview", Boolean, "0"},        {"LockControls", Boolean, "0"},
    {"Locked", Boolean, "0"},             {"MaxButton", Boolean, "-1"},        {"MDIChild", Boolean, "0"},
    {"MinButton", Boolean, "-1"},         {"Moveable", Boolean, "-1"},         {"MultiLine", Boolean, "0"},
    {"Negotiate", Boolean, "0"},          {"NegotiateMenus", Boolean, "-1"},   {"NegotiateToolbars", Boolean, "-1"},
    {"Normal", Boolean, "-1"},            {"OLEDropAllowed", Boolean, "0"},    {"ReadOnly", Boolean, "0"},
    {"ReadOnly/file", Boolean, "-1"},     {"RightToLeft", Boolean, "0"},       {"ScrollBars/mdi", Boolean, "-1"},
    {"ShowInTaskbar", Boolean, "-1"},     {"Sorted", Boolean, "0"},            {"Stretch", Boolean, "0"},
    {"System", Boolean, "0"},             {"TabStop", Boolean, "-1"},          {"UseMaskColor", Boolean, "0"},
    {"UseMnemonic", Boolean, "-1"},       {"Value/option", Boolean, "0"},      {"Visible", Boolean, "-1"},
    {"WhatsThisButton", Boolean, "0"},    {"WhatsThisHelp", Boolean, "0"},     {"WindowList", Boolean, "0"},
    {"Windowless", Boolean, "0"},         {"WordWrap", Boolean, "0"},

    // System colours: 0F button face, 12 button text, 05 window, 08 window text.
    {"BackColor", Colour, "&H8000000F&"}, {"BorderColor", Colour, "&H80000008&"}, {"FillColor", Colour, "&H00000000&"},
    {"ForeColor", Colour, "&H80000012&"}, {"MaskColor", Colour, "&H00C0C0C0&"},

    {"AccessKeys", String, "\"\""},   {"Caption", String, "\"\""},     {"Class", String, "\"\""},
    {"Connect", String, "\"Access\""}, {"DatabaseName", String, "\"\""}, {"DataField", String, "\"\""},
    {"DataMember", String, "\"\""},   {"DataSource", String, "\"\""},  {"HostName", String, "\"\""},
    {"LinkItem", String, "\"\""},     {"LinkTopic", String, "\"\""},   {"PasswordChar", String, "\"\""},
    {"Pattern", String, "\"*.*\""},   {"RecordSource", String, "\"\""}, {"SourceDoc", String, "\"\""},
    {"SourceItem", String, "\"\""},   {"Tag", String, "\"\""},         {"Text", String, "\"\""},
    {"ToolTipText", String, "\"\""},

    {"BorderWidth", Integer, "1"},    {"Columns", Integer, "0"},       {"DrawWidth", Integer, "1"},
    {"HelpContextID", Long, "0"},     {"Interval", Long, "0"},         {"LargeChange", Integer, "1"},
    {"LinkTimeout", Integer, "50"},   {"Max", Integer, "32767"},       {"MaxLength", Long, "0"},
    {"Min", Integer, "0"},            {"MiscFlags", Integer, "0"},     {"Options", Long, "0"},
    {"SmallChange", Integer, "1"},    {"TabIndex", Integer, ""},       {"Value", Integer, "0"},
    {"Verb", Integer, "0"},           {"WhatsThisHelpID", Long, "0"},  {"ScaleLeft", Single, "0"},
    {"ScaleTop", Single, "0"},

    // Places and sizes: VB6 writes them at any value, so they have no default to fall back to.
    {"ClientHeight", Single, ""}, {"ClientLeft", Single, ""}, {"ClientTop", Single, ""}, {"ClientWidth", Single, ""},
    {"Height", Single, ""},       {"Left", Single, ""},       {"ScaleHeight", Single, ""}, {"ScaleWidth", Single, ""},
    {"Top", Single, ""},          {"Width", Single, ""},      {"X1", Single, ""},          {"X2", Single, ""},
    {"Y1", Single, ""},           {"Y2", Single, ""},

    {"Font", PropertyType::Font, ""},
    {"DisabledPicture", Picture, ""}, {"DownPicture", Picture, ""}, {"DragIcon", Picture, ""},
    {"Icon", Picture, ""},            {"MaskPicture", Picture, ""}, {"MouseIcon", Picture, ""},
    {"Palette", Picture, ""},         {"Picture", Picture, ""},     {"ToolboxBitmap", Picture, ""},
    {"ItemData", List, ""},           {"List", List, ""},           {"PropertyPages", List, ""},
    {"Shortcut", Text, ""},
};

// Each class's properties: a kind's key, "=default" where the class's differs, "*" where VB6
// writes it at any value, "!" for a property only a running program sets (refused here).
constexpr std::string_view kPlace = " Height* Left* Top* Width*";
constexpr std::string_view kDrag = " DragIcon DragMode MouseIcon MousePointer";
constexpr std::string_view kHelp = " HelpContextID WhatsThisHelpID";
constexpr std::string_view kBound = " DataField DataMember DataSource";
constexpr std::string_view kWindow = " BackColor=&H80000005& ForeColor=&H80000008&";
constexpr std::string_view kButton =
    " Appearance BackColor Caption CausesValidation DisabledPicture DownPicture Enabled Font MaskColor OLEDropMode"
    " Picture RightToLeft Style TabIndex* TabStop Tag ToolTipText UseMaskColor Visible";
constexpr std::string_view kDrawing = " AutoRedraw ClipControls DrawMode DrawStyle DrawWidth FillColor FillStyle Font"
                                      " FontTransparent ForeColor HasDC MouseIcon MousePointer Picture RightToLeft"
                                      " ScaleHeight* ScaleLeft ScaleMode ScaleTop ScaleWidth*";
constexpr std::string_view kClient = " ClientHeight* ClientLeft* ClientTop* ClientWidth*";
constexpr std::string_view kDirectory = " Appearance CausesValidation Enabled Font OLEDropMode TabIndex* TabStop Tag"
                                        " ToolTipText Visible";
constexpr std::string_view kScrollBar = " CausesValidation Enabled LargeChange Max Min RightToLeft SmallChange TabIndex*"
                                        " TabStop Tag Value Visible";

struct ClassText {
  std::string_view name;
  std::vector<std::string_view> parts;
};

const ClassText kClasses[] = {
    {"CheckBox", {kButton, kPlace, kDrag, kHelp, kBound, " Alignment/check ForeColor Value/check"}},
    {"ComboBox",
     {kPlace, kDrag, kHelp, kBound, kWindow,
      " Appearance CausesValidation Enabled Font IntegralHeight ItemData List Locked OLEDragMode OLEDropMode RightToLeft"
      " Sorted Style/combo TabIndex* TabStop Tag Text ToolTipText Visible ListIndex! SelLength! SelStart! SelText!"}},
    {"CommandButton", {kButton, kPlace, kDrag, kHelp, " Cancel Default"}},
    {"Data",
     {kPlace, kDrag,
      " Align Appearance BackColor BOFAction Caption Connect* DatabaseName* DefaultCursorType* DefaultType* Enabled"
      " EOFAction Exclusive* Font ForeColor Negotiate OLEDropMode Options* ReadOnly* RecordsetType* RecordSource*"
      " RightToLeft Tag ToolTipText Visible WhatsThisHelpID"}},
    {"DirListBox", {kDirectory, kPlace, kDrag, kHelp, kWindow, " OLEDragMode Path!"}},
    {"DriveListBox", {kDirectory, kPlace, kDrag, kHelp, kWindow, " Drive!"}},
    {"FileListBox",
     {kDirectory, kPlace, kDrag, kHelp, kWindow,
      " Archive Hidden MultiSelect Normal OLEDragMode Pattern ReadOnly/file System FileName! Path!"}},
    {"Form",
     {kDrawing, kClient,
      " Appearance BackColor BorderStyle/form Caption ControlBox Enabled HelpContextID Icon KeyPreview LinkMode/form"
      " LinkTopic LockControls MaxButton MDIChild MinButton Moveable NegotiateMenus OLEDropMode Palette PaletteMode"
      " ShowInTaskbar StartUpPosition Tag Visible WhatsThisButton WhatsThisHelp WindowState"}},
    {"Frame",
     {kPlace, kDrag, kHelp,
      " Appearance BackColor BorderStyle Caption ClipControls Enabled Font ForeColor OLEDropMode RightToLeft TabIndex* Tag"
      " ToolTipText Visible"}},
    {"HScrollBar", {kScrollBar, kPlace, kDrag, kHelp}},
    {"Image",
     {kPlace, kDrag, kBound,
      " Appearance BorderStyle/none Enabled OLEDragMode OLEDropMode/auto Picture Stretch Tag ToolTipText Visible"
      " WhatsThisHelpID"}},
    {"Label",
     {kPlace, kDrag, kBound,
      " Alignment Appearance AutoSize BackColor BackStyle BorderStyle/none Caption Enabled Font ForeColor LinkItem LinkMode"
      " LinkTimeout LinkTopic OLEDropMode RightToLeft TabIndex* Tag ToolTipText UseMnemonic Visible WhatsThisHelpID"
      " WordWrap"}},
    {"Line", {" BorderColor BorderStyle/shape BorderWidth DrawMode Tag Visible X1* X2* Y1* Y2*"}},
    {"ListBox",
     {kPlace, kDrag, kHelp, kBound, kWindow,
      " Appearance CausesValidation Columns Enabled Font IntegralHeight ItemData List MultiSelect OLEDragMode OLEDropMode"
      " RightToLeft Sorted Style/list TabIndex* TabStop Tag ToolTipText Visible ListIndex! Selected! TopIndex!"}},
    // VB6 writes an MDI form's back colour even at the application workspace colour.
    {"MDIForm",
     {kClient,
      " Appearance AutoShowChildren BackColor=&H8000000C&* Caption Enabled HelpContextID Icon LinkMode/form LinkTopic"
      " MouseIcon MousePointer Moveable NegotiateToolbars OLEDropMode Picture RightToLeft ScrollBars/mdi StartUpPosition"
      " Tag Visible WhatsThisHelp WindowState"}},
    // A menu's caption is written even when it is empty.
    {"Menu", {" Caption* Checked Enabled HelpContextID NegotiatePosition Shortcut Tag Visible WindowList"}},
    {"OLE",
     {kPlace, kDrag, kHelp,
      " Appearance AutoActivate AutoVerbMenu BackColor=&H80000005& BackStyle BorderStyle CausesValidation Class DataField"
      " DataSource DisplayType Enabled HostName MiscFlags OLEDropAllowed OLETypeAllowed SizeMode SourceDoc SourceItem"
      " TabIndex* TabStop Tag UpdateOptions Verb Visible"}},
    {"OptionButton", {kButton, kPlace, kDrag, kHelp, " Alignment/check ForeColor Value/option"}},
    {"PictureBox",
     {kDrawing, kPlace, kDrag, kHelp, kBound,
      " Align Appearance AutoSize BackColor BorderStyle CausesValidation Enabled LinkItem LinkMode LinkTimeout LinkTopic"
      " Negotiate OLEDragMode OLEDropMode/auto TabIndex* TabStop Tag ToolTipText Visible"}},
    {"PropertyPage",
     {kDrawing, kClient, " Appearance BackColor Caption KeyPreview OLEDropMode Palette PaletteMode/control StandardSize"}},
    {"Shape",
     {" BackColor=&H80000005& BackStyle/shape BorderColor BorderStyle/shape BorderWidth DrawMode FillColor FillStyle Shape"
      " Tag Visible",
      kPlace}},
    {"TextBox",
     {kPlace, kDrag, kHelp, kBound, kWindow,
      " Alignment Appearance BorderStyle CausesValidation Enabled Font HideSelection IMEMode LinkItem LinkMode LinkTimeout"
      " LinkTopic Locked MaxLength MultiLine OLEDragMode OLEDropMode/auto PasswordChar RightToLeft ScrollBars TabIndex*"
      " TabStop Tag Text ToolTipText Visible SelLength! SelStart! SelText!"}},
    {"Timer", {" Enabled Interval Left* Tag Top*"}},
    {"UserControl",
     {kDrawing, kClient,
      " AccessKeys Alignable Appearance BackColor BackStyle BorderStyle/none CanGetFocus ClipBehavior ControlContainer"
      " DataBindingBehavior DataSourceBehavior DefaultCancel EditAtDesignTime Enabled ForwardFocus HitBehavior"
      " InvisibleAtRuntime KeyPreview MaskColor MaskPicture OLEDropMode Palette PaletteMode/control PropertyPages"
      " ToolboxBitmap Windowless"}},
    {"VScrollBar", {kScrollBar, kPlace, kDrag, kHelp}},
};

std::vector<std::pair<int, std::string>> EnumerationValues(std::string_view names) {
  std::vector<std::pair<int, std::string>> values;
  int value = 0;
  while (!names.empty()) {
    const std::size_t bar = names.find('|');
    std::string_view name = names.substr(0, bar);
    if (const std::size_t colon = name.find(':'); colon != std::string_view::npos) {
      std::from_chars(name.data(), name.data() + colon, value);
      name.remove_prefix(colon + 1);
    }
    values.emplace_back(value++, std::string(name));
    names = bar == std::string_view::npos ? std::string_view() : names.substr(bar + 1);
  }
  return values;
}

// "BackColor=&H80000005&*" of the class list as a property; a failure here is a typing error
// in the tables above, found by the first test that reads the catalogue.
CatalogueProperty Read(std::string_view item) {
  CatalogueProperty property;
  if (item.ends_with('!')) {
    property.name = std::string(item.substr(0, item.size() - 1));
    property.design_time = false;
    return property;
  }
  property.always_written = item.ends_with('*');
  if (property.always_written) item.remove_suffix(1);
  const std::size_t equals = item.find('=');
  const std::string_view key = item.substr(0, equals);
  const auto kind = std::find_if(std::begin(kKinds), std::end(kKinds), [&](const Kind& k) { return k.key == key; });
  if (kind == std::end(kKinds)) throw std::logic_error("the control catalogue has no kind of property " + std::string(key));
  property.name = std::string(key.substr(0, key.find('/')));
  property.type = kind->type;
  property.default_value = std::string(equals == std::string_view::npos ? kind->default_value : item.substr(equals + 1));
  property.values = EnumerationValues(kind->names);
  return property;
}

const std::vector<ControlClass>& Classes() {
  static const std::vector<ControlClass> classes = [] {
    std::vector<ControlClass> all;
    for (const ClassText& text : kClasses) {
      ControlClass control{std::string(text.name), {}};
      for (std::string_view part : text.parts) {
        while (!part.empty()) {
          const std::size_t start = part.find_first_not_of(' ');
          if (start == std::string_view::npos) break;
          const std::size_t end = std::min(part.size(), part.find(' ', start));
          control.properties.push_back(Read(part.substr(start, end - start)));
          part.remove_prefix(end);
        }
      }
      std::stable_sort(control.properties.begin(), control.properties.end(),
                       [](const auto& a, const auto& b) { return cp1252::LessNoCase()(a.name, b.name); });
      all.push_back(std::move(control));
    }
    return all;
  }();
  return classes;
}

HostError Refused(const std::string& why) { return HostError(380, "Invalid property value: " + why); }

bool IsWhole(std::string_view text, long long low, long long high) {
  long long number = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  return ec == std::errc() && end == text.data() + text.size() && number >= low && number <= high;
}

// &H...& with up to eight hex digits (the closing & may be left out), or a decimal number of
// 32 bits: VB6's eight digits.
std::optional<std::string> ColourText(std::string_view value) {
  unsigned long long number = 0;
  if (cp1252::StartsWithNoCase(value, "&H")) {
    std::string_view digits = value.substr(2);
    if (digits.ends_with('&')) digits.remove_suffix(1);
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number, 16);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  } else {
    long long decimal = 0;
    auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), decimal);
    if (ec != std::errc() || end != value.data() + value.size() || decimal < INT32_MIN || decimal > UINT32_MAX)
      return std::nullopt;
    number = static_cast<std::uint32_t>(decimal);
  }
  char text[16];
  std::snprintf(text, sizeof text, "&H%08llX&", number);
  return std::string(text);
}

}  // namespace

const CatalogueProperty* ControlClass::Find(std::string_view property) const {
  for (const CatalogueProperty& p : properties)
    if (EqualsNoCase(p.name, property)) return &p;
  return nullptr;
}

const ControlClass* IntrinsicClass(std::string_view prog_id) {
  if (!cp1252::StartsWithNoCase(prog_id, "VB.")) return nullptr;
  for (const ControlClass& control : Classes())
    if (EqualsNoCase(control.name, prog_id.substr(3))) return &control;
  return nullptr;
}

const std::vector<CatalogueProperty>& FontMembers() {
  static const std::vector<CatalogueProperty> members = [] {
    std::vector<CatalogueProperty> all;
    for (auto [name, type, value] : std::initializer_list<std::tuple<const char*, PropertyType, const char*>>{
             {"Name", String, "\"MS Sans Serif\""}, {"Size", Single, "8.25"}, {"Charset", Integer, "0"},
             {"Weight", Integer, "400"}, {"Underline", Boolean, "0"}, {"Italic", Boolean, "0"},
             {"Strikethrough", Boolean, "0"}}) {
      CatalogueProperty member;
      member.name = name, member.type = type, member.default_value = value;
      all.push_back(std::move(member));
    }
    return all;
  }();
  return members;
}

const CatalogueProperty* CatalogueFind(std::string_view prog_id, const std::vector<std::string>& path) {
  const ControlClass* control = IntrinsicClass(prog_id);
  if (!control || path.empty() || path.size() > 2) return nullptr;
  const CatalogueProperty* property = control->Find(path[0]);
  if (!property || !property->design_time) return nullptr;
  if (path.size() == 1) return property;
  if (property->type != PropertyType::Font) return nullptr;
  for (const CatalogueProperty& member : FontMembers())
    if (EqualsNoCase(member.name, path[1])) return &member;
  return nullptr;
}

bool ReadsWithoutLine(const CatalogueProperty& property) {
  return property.design_time && (!property.default_value.empty() || property.type == Picture ||
                                  property.type == List || property.type == Text || property.type == PropertyType::Font);
}

std::vector<std::string> PropertyNames(std::string_view prog_id, const std::vector<std::string>& listed) {
  std::vector<std::string> names = listed;
  const ControlClass* control = IntrinsicClass(prog_id);
  if (!control) return names;
  for (const CatalogueProperty& property : control->properties) {
    if (!ReadsWithoutLine(property)) continue;
    if (std::any_of(listed.begin(), listed.end(), [&](const std::string& name) { return EqualsNoCase(name, property.name); }))
      continue;
    auto at = std::find_if(names.begin(), names.end(),
                           [&](const std::string& name) { return cp1252::LessNoCase()(property.name, name); });
    names.insert(at, property.name);
  }
  return names;
}

bool BooleanByName(std::string_view name) {
  static const std::map<std::string, bool, cp1252::LessNoCase> booleans = [] {
    std::map<std::string, bool, cp1252::LessNoCase> all;
    const auto note = [&](const CatalogueProperty& property) {
      const bool boolean = property.type == Boolean;
      auto [at, added] = all.emplace(property.name, boolean);
      if (!added) at->second = at->second && boolean;
    };
    for (const ControlClass& control : Classes())
      for (const CatalogueProperty& property : control.properties)
        if (property.design_time) note(property);
    for (const CatalogueProperty& member : FontMembers()) note(member);
    return all;
  }();
  const auto found = booleans.find(std::string(name));
  return found != booleans.end() && found->second;
}

std::string ValueComment(std::string_view prog_id, std::string_view name, std::string_view value) {
  const CatalogueProperty* property = prog_id.empty() ? nullptr : CatalogueFind(prog_id, {std::string(name)});
  const bool boolean = property ? property->type == Boolean : BooleanByName(name);
  if (boolean) return value == "-1" ? "True" : value == "0" ? "False" : "";
  if (!property || property->type != Enumeration) return {};
  for (const auto& [number, text] : property->values)
    if (IsWhole(value, number, number)) return text;
  return {};
}

std::string CatalogueValue(std::string_view control, const CatalogueProperty& property, std::string_view value) {
  const std::string what = std::string(control) + "." + property.name;
  if (!property.design_time) throw HostError(383, "'" + property.name + "' property is read-only at design time");
  const auto wrong = [&](const std::string& takes) -> HostError {
    return Refused(what + " takes " + takes + ", not " + std::string(value));
  };
  switch (property.type) {
    case Boolean:
      if (value == "-1" || EqualsNoCase(value, "True")) return "-1";
      if (value == "0" || EqualsNoCase(value, "False")) return "0";
      throw wrong("True (-1) or False (0)");
    case Integer:
      if (IsWhole(value, -32768, 32767)) return std::string(value);
      throw wrong("a whole number from -32768 to 32767");
    case Long:
      if (IsWhole(value, INT32_MIN, INT32_MAX)) return std::string(value);
      throw wrong("a whole number");
    case Single:
      if (DesignerNumber(value)) return std::string(value);
      throw wrong("a number");
    case Colour:
      if (auto colour = ColourText(value)) return *colour;
      throw wrong("a colour (&H00BBGGRR& or &H800000nn& for a system colour)");
    case String:
      if (IsDesignerStringLiteral(value) || ParseFrxReference(value).has_value()) return std::string(value);
      return DesignerStringLiteral(value);
    case Enumeration: {
      std::string names;
      for (const auto& [number, text] : property.values) {
        if (IsWhole(value, number, number)) return std::to_string(number);
        names += (names.empty() ? "" : ", ") + std::to_string(number) + " (" + text + ")";
      }
      throw wrong(names);
    }
    case PropertyType::Font:
      throw Refused(what + " is a group of properties: set its members (" + property.name + ".Name)");
    case Picture:
    case List:
      if (value.empty() || EqualsNoCase(value, "(None)")) return {};
      if (ParseFrxReference(value).has_value()) return std::string(value);
      throw wrong("data kept in the .frx file (\"file.frx\":offset)");
    case Text:
      break;
  }
  return std::string(value);
}

std::optional<CatalogueWrite> CatalogueCheck(std::string_view prog_id, std::string_view control,
                                             const std::vector<std::string>& path, std::string_view value, bool listed) {
  const ControlClass* known = IntrinsicClass(prog_id);
  if (!known || path.empty()) return std::nullopt;
  const CatalogueProperty* property = known->Find(path[0]);
  if (!property) {
    if (listed) return std::nullopt;
    throw Refused(std::string(control) + " has no property " + path[0]);
  }
  if (path.size() > 1) {
    if (property->type != PropertyType::Font) {
      if (listed) return std::nullopt;
      throw Refused(std::string(control) + "." + property->name + " has no member " + path[1]);
    }
    const auto& members = FontMembers();
    property = nullptr;
    for (const CatalogueProperty& member : members)
      if (EqualsNoCase(member.name, path[1])) property = &member;
    if (!property || path.size() > 2)
      throw Refused(path[1] + " is not a member of Font (Name, Size, Charset, Weight, Underline, Italic, Strikethrough)");
  }
  CatalogueWrite write;
  write.text = CatalogueValue(control, *property, value);
  write.is_default = ReadsWithoutLine(*property) && write.text == property->default_value;
  write.always_written = property->always_written || path.size() > 1;  // a group writes all its members
  return write;
}

}  // namespace gildex::host
