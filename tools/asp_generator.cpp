#include "tools/asp_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "common/nembus_common.h"
#include "host/designer_block.h"
#include "host/project_file.h"
#include "platform/atomic_file.h"
#include "platform/picture.h"
#include "platform/cp1252.h"
#include "tools/event_code_vbscript.h"

namespace gildex {
namespace {

namespace fs = std::filesystem;
constexpr const char* kCrLf = "\r\n";

// ---- what the form file holds ----

const host::Property* Find(host::VBControl& control, std::string_view name) { return control.FindProperty(name); }

double Number(host::VBControl& control, std::string_view name) {
  const host::Property* property = Find(control, name);
  return property != nullptr ? Val(property->Value()) : 0;
}

// Basic's rounding of a real to a whole number: halves go to the even neighbour.
long Whole(double value) { return static_cast<long>(std::nearbyint(value)); }

VbError DamagedFrx(const host::FrxReference& reference) {
  return VbError(380, "Invalid property value: the data at " + reference.file + ":" + std::to_string(reference.offset) +
                          " is damaged");
}

// The bytes of the .frx file a reference names, found beside the form in any letter case.
std::string FrxBytes(const std::string& form_folder, const host::FrxReference& reference) {
  const auto file = host::FindIgnoringCase(form_folder.empty() ? fs::path(".") : fs::path(form_folder), reference.file);
  const auto bytes = file ? platform::ReadWholeFile(*file) : std::nullopt;
  if (!bytes) throw VbError(53, "File not found: " + reference.file);
  if (reference.offset >= bytes->size()) throw DamagedFrx(reference);
  return *bytes;
}

std::uint32_t Little(const std::string& bytes, std::size_t at, std::size_t width) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < width; ++i) value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  return value;
}

// A property's text: quoted in the form file, or kept in the .frx ($"file":offset, a 32-bit
// length and the bytes) when it is long.
std::string Text(host::VBControl& control, std::string_view name, const std::string& form_folder) {
  const host::Property* property = Find(control, name);
  if (property == nullptr) return {};
  const std::string value = property->Value();
  const auto reference = host::ParseFrxReference(value);
  if (!reference) return host::DesignerStringText(value);
  const std::string bytes = FrxBytes(form_folder, *reference);
  const std::size_t at = reference->offset;
  if (at + 4 > bytes.size() || Little(bytes, at, 4) > bytes.size() - at - 4) throw DamagedFrx(*reference);
  return bytes.substr(at + 4, Little(bytes, at, 4));
}

// A list box's entries: a 16-bit count, a 16-bit word, then each entry's 16-bit length and bytes.
std::vector<std::string> ListEntries(host::VBControl& control, const std::string& form_folder) {
  const host::Property* property = Find(control, "List");
  if (property == nullptr || property->Value().empty()) return {};  // none
  const auto reference = host::ParseFrxReference(property->Value());
  if (!reference) throw VbError(380, "Invalid property value: List");
  const std::string bytes = FrxBytes(form_folder, *reference);
  std::size_t at = reference->offset;
  if (at + 4 > bytes.size()) throw DamagedFrx(*reference);
  const std::uint32_t count = Little(bytes, at, 2);
  at += 4;
  std::vector<std::string> entries;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (at + 2 > bytes.size() || Little(bytes, at, 2) > bytes.size() - at - 2) throw DamagedFrx(*reference);
    entries.push_back(bytes.substr(at + 2, Little(bytes, at, 2)));
    at += 2 + Little(bytes, at, 2);
  }
  return entries;
}

// The extension that the stored picture's own format has.
std::string PictureExtension(std::string_view data) {
  const auto starts = [&](std::string_view magic, std::size_t at = 0) { return data.substr(at, magic.size()) == magic; };
  if (starts("BM")) return ".bmp";
  if (starts("GIF8")) return ".gif";
  if (starts("\xFF\xD8\xFF")) return ".jpg";
  if (starts("\x89PNG")) return ".png";
  if (starts(std::string_view("\0\0\1\0", 4))) return ".ico";
  if (starts(std::string_view("\0\0\2\0", 4))) return ".cur";
  if (starts("\xD7\xCD\xC6\x9A")) return ".wmf";
  if (starts(std::string_view("\1\0\0\0", 4)) && starts(" EMF", 40)) return ".emf";
  if (starts(std::string_view("\1\0\x09\0", 4)) || starts(std::string_view("\2\0\x09\0", 4))) return ".wmf";
  return ".bin";
}

// The font name a control shows: its own, else the nearest container's, else VB's default.
std::string FontName(host::VBControl& control) {
  for (host::VBControl* at = &control; at != nullptr; at = at->Container())
    if (const host::Property* name = Find(*at, "Font.Name")) return host::DesignerStringText(name->Value());
  return "MS Sans Serif";
}

// Basic's Format(value, "00000"): at least `digits` digits, the sign in front.
std::string Digits(double value, int digits) {
  const long long whole = std::llround(value);
  char text[32];
  std::snprintf(text, sizeof text, "%0*lld", digits, whole < 0 ? -whole : whole);
  return (whole < 0 ? "-" : "") + std::string(text);
}

std::string ControlLabel(host::VBControl& control) {
  return control.Index() >= 0 ? control.Name() + "(" + std::to_string(control.Index()) + ")" : control.Name();
}

void WriteBytes(const std::string& file, const std::string& bytes, bool append) {
  const fs::path path(file);
  if (path.has_parent_path() && !fs::is_directory(path.parent_path())) throw VbError(76, "Path not found: " + file);
  std::ofstream out(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
  if (out) out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out || !out.flush()) throw VbError(75, "Path/File access error: " + file);
}

}  // namespace

std::string HtmlEscape(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&#39;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string HtmlEscapeUnquoted(std::string_view text) {
  std::string escaped;
  for (char c : HtmlEscape(text)) {
    switch (c) {
      case ' ': escaped += "&#32;"; break;
      case '\t': escaped += "&#9;"; break;
      case '\r': escaped += "&#13;"; break;
      case '\n': escaped += "&#10;"; break;
      case '\f': escaped += "&#12;"; break;
      case '=': escaped += "&#61;"; break;
      case '`': escaped += "&#96;"; break;
      default: escaped += c;
    }
  }
  return escaped.empty() ? "\"\"" : escaped;
}

std::string clsASPGenerator::AddTableInfo(std::optional<std::int16_t> mode) {
  const std::string open = std::string("<TABLE WIDTH=\"100%\" border=0>") + kCrLf + "\t<TR>" + kCrLf;
  const std::string close = std::string("\t</TR>") + kCrLf + "</TABLE>" + kCrLf;
  if (mode) {
    table_open_ = false;
    return *mode == 1 ? open : close;
  }
  if (!table_open_) {
    table_open_ = true;
    return open;
  }
  return close + open;
}

namespace {

// A control's name as the plain name of a file in the page's folder: a form is someone's
// file, and its names must not lead a write elsewhere ("../x", "/tmp/x").
std::string PictureStem(const std::string& control_name) {
  std::string stem = control_name;
  for (char& c : stem)
    if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20) c = '_';
  for (char& c : stem) {
    if (c != '.') break;
    c = '_';
  }
  return stem.empty() ? "_" : stem;
}

}  // namespace

std::string clsASPGenerator::SavePicture(host::VBControl& control, const std::string& folder) {
  const std::string stem = PictureStem(control.Name());
  std::string extension = ".gif";  // the page's name for a picture that could not be written
  std::string data;
  try {
    const host::Property* picture = Find(control, "Picture");
    // Nothing to save, nothing to say.
    if (picture == nullptr || picture->Value().empty()) return folder + stem + extension;
    const auto reference = host::ParseFrxReference(picture->Value());
    if (!reference) throw VbError(481, "Invalid picture: " + picture->Value());
    const std::string bytes = FrxBytes(form_folder_, *reference);
    // A stored picture: 32-bit block size, "lt\0\0", 32-bit size of the picture's own bytes.
    const std::size_t at = reference->offset;
    if (at + 12 > bytes.size() || bytes.compare(at + 4, 4, std::string_view("lt\0\0", 4)) != 0 ||
        Little(bytes, at + 8, 4) > bytes.size() - at - 12)
      throw DamagedFrx(*reference);
    data = bytes.substr(at + 12, Little(bytes, at + 8, 4));
    if (data.empty()) throw VbError(481, "Invalid picture: the stored picture is empty");
    extension = PictureExtension(data);
  } catch (const std::exception& e) {
    picture_problems_.push_back(control.Name() + ": " + e.what());
    return folder + stem + extension;
  }
  const std::string path = folder + stem + extension;
  try {
    // As the page's own write, a folder that is not there is not made.
    if (!fs::is_directory(folder)) throw VbError(76, "Path not found: " + folder);
    platform::WriteFileAtomically(path, data, 0644, true);
    pictures_written_.push_back(path);
  } catch (const std::exception& e) {
    picture_problems_.push_back(control.Name() + ": " + e.what());
    return path;
  }
  // Browsers show few of the formats VB6 keeps (no cursors, no metafiles, not every
  // bitmap): a PNG copy beside the stored file is one any page can use.
  if (extension != ".png") {
    std::string problem;
    try {
      if (const auto image = platform::DecodePicture(data, problem)) {
        const std::string png = folder + stem + ".png";
        platform::WriteFileAtomically(png, platform::EncodePng(*image), 0644, true);
        pictures_written_.push_back(png);
      } else {
        picture_problems_.push_back(control.Name() + ": no PNG copy: " + problem);
      }
    } catch (const std::exception& e) {
      picture_problems_.push_back(control.Name() + ": no PNG copy: " + e.what());
    }
  }
  return path;
}

std::string clsASPGenerator::ControlToHTML(host::VBControl& control, double ratio, const std::string& folder) {
  std::string name, width, height;  // what the embedded-object markup shows, as far as it was read
  try {
    name = "\"" + HtmlEscape(control.Name()) + "\"";
    width = std::to_string(Whole(Number(control, "Width") / ratio));
    height = std::to_string(Whole(Number(control, "Height") / ratio));
    const std::string type = control.ClassName();
    if (type == "TextBox") {
      if (Number(control, "MultiLine") != 0) return "<textarea rows=3 name=" + name + " cols=20></textarea>";
      const std::string size = std::to_string(Whole(Number(control, "MaxLength")));
      const bool password = !Text(control, "PasswordChar", form_folder_).empty();
      return std::string("<input type=") + (password ? "password" : "text") + " name=" + name + " size=" + size + ">";
    }
    if (type == "ListBox" || type == "ComboBox") {
      const std::vector<std::string> entries = ListEntries(control, form_folder_);
      std::string markup = "<SELECT size=" + std::to_string(entries.empty() ? 1 : entries.size()) + " name=" + name + ">";
      for (const std::string& entry : entries) markup += std::string(kCrLf) + "<OPTION>" + HtmlEscape(entry) + "</OPTION>";
      return markup + "</SELECT>";
    }
    if (type == "CommandButton") {
      const std::string caption = Text(control, "Caption", form_folder_);
      const char* kind = cp1252::FindNoCase(caption, "Submit") != std::string::npos || Number(control, "Default") != 0
                             ? "submit"
                         : cp1252::FindNoCase(caption, "Reset") != std::string::npos ? "reset"
                                                                                     : "button";
      return std::string("<input type=") + kind + " value=" + name + " name=" + name + ">";
    }
    if (type == "CheckBox")
      return "<input type=checkbox name=" + name + " value=" + (Number(control, "Value") != 0 ? "ON" : "OFF") + ">";
    if (type == "RadioButton")
      return "<input type=radio value=" + name + " " + (Number(control, "Value") == 1 ? "checked" : "") + " name=" + name + ">";
    if (type == "PictureBox" || type == "Image") {
      const std::string with_end = !folder.empty() && IsPathSeparator(folder.back()) ? folder : folder + kPathSeparator;
      return "<input border=0 src=\"" + HtmlEscape(SavePicture(control, with_end)) + "\" width=" + width +
             " height=" + height + " type=image>";
    }
    if (type == "Label")
      return "<FONT Face=" + HtmlEscapeUnquoted(FontName(control)) + ">" + HtmlEscape(Text(control, "Caption", form_folder_)) +
             "</FONT>";
  } catch (const std::exception&) {
    // Shown as an embedded object with what was read so far.
  }
  std::string id = registry_.fnsGetRegistryValue("HKEY_CLASSES_ROOT\\" + control.ProgId() + "\\Clsid", "");
  if (!id.empty()) id = id.size() >= 2 ? id.substr(1, id.size() - 2) : std::string();
  return "<object classid=\"clsid:" + HtmlEscape(id) + "\" id=" + name + " width=" + width + " height=" + height +
         "></object>";
}

std::int32_t clsASPGenerator::ConvertForm(host::VBComponent& component, std::optional<std::string> file_name) {
  if (file_name) {
    file_name->erase(std::remove(file_name->begin(), file_name->end(), '"'), file_name->end());
    filename_ = *file_name;
  }
  table_open_ = false;
  left_out_.clear();
  pictures_written_.clear();
  picture_problems_.clear();
  last_error_.clear();
  try {
    BuildPage(component);
    return 0;
  } catch (const VbError& e) {
    last_error_ = e.Description();
    return static_cast<std::int32_t>(e.Number());
  } catch (const std::exception& e) {
    last_error_ = e.what();
    return 5;
  }
}

void clsASPGenerator::BuildPage(host::VBComponent& component) {
  host::Designer* designer = component.GetDesigner();
  host::CodeModule* code = component.Code();
  if (designer == nullptr || code == nullptr) throw VbError(91, "Object variable or With block variable not set");
  const std::string form_file = component.FileNames(1);
  form_folder_ = form_file.empty() ? std::string() : fs::path(form_file).parent_path().string();

  // The layout is read in pixels; the ratio turns the positions the form holds into them.
  const int old_mode = designer->ScaleMode();
  designer->Form().SetPropertyValue("ScaleMode", "3");
  const int new_mode = designer->ScaleMode();
  if (old_mode == 0) throw VbError(11, "Division by zero");
  const double ratio = static_cast<double>(new_mode) / old_mode;

  // Sort keys: top, left and width with five digits each, then the control's number.
  const std::vector<host::VBControl*> controls = designer->Controls();
  std::vector<std::string> keys;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    host::VBControl& control = *controls[i];
    const host::Property* top = Find(control, "Top");
    const host::Property* left = Find(control, "Left");
    const host::Property* width = Find(control, "Width");
    if (top == nullptr || left == nullptr || width == nullptr) {
      left_out_.push_back(ControlLabel(control));
      continue;
    }
    keys.push_back(Digits(Val(top->Value()), 5) + Digits(Val(left->Value()), 5) + Digits(Val(width->Value()), 5) +
                   Digits(static_cast<double>(i + 1), 4));
  }
  std::sort(keys.begin(), keys.end());

  const std::string folder = filename_.find_first_of("/\\") == std::string::npos ? "." : GetFilePath(filename_);
  std::string body;
  long row_top = 0, right_edge = 0;
  for (const std::string& key : keys) {
    const long index = static_cast<long>(Val(key.substr(key.size() - 4)));
    const long top = Whole(Val(key.substr(0, 5)) / ratio);
    const long left = Whole(Val(key.substr(5, 5)) / ratio);
    const long width = Whole(Val(key.substr(10, 5)) / ratio);
    if (index < 1 || index > static_cast<long>(controls.size())) throw host::HostError(9, "Subscript out of range");
    if (top != row_top) {
      body += AddTableInfo();
      right_edge = 0;
      row_top = top;
    }
    body += "\t\t<TD width=\"" + std::to_string(left - right_edge) + "\" align=right>" + kCrLf;
    body += "\t\t\t" + ControlToHTML(*controls[static_cast<std::size_t>(index - 1)], ratio, folder) + kCrLf;
    body += std::string("\t\t</TD>") + kCrLf;
    right_edge = left + width;
  }
  body += AddTableInfo(2) + "</FORM>";

  std::vector<std::string> names;
  for (host::VBControl* control : controls) names.push_back(control->Name());
  const std::string part_one = ScriptPartOne(names, *code);
  WriteBytes(filename_, html_header_ + kCrLf + form_header_ + kCrLf + body + kCrLf + part_one + kCrLf, false);
  WriteBytes(filename_, ScriptPartTwo(*code) + kCrLf, true);
}

}  // namespace gildex
