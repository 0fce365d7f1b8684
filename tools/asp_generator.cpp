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
#include "tools/form_values.h"

namespace gildex {
namespace {

using namespace form_values;

namespace fs = std::filesystem;
constexpr const char* kCrLf = "\r\n";

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
  const auto shown = [](const std::string& extension) { return extension == ".png" || extension == ".gif" || extension == ".jpg"; };
  std::string data, extension;
  try {
    data = PictureData(control);
    if (data.empty()) return {};  // nothing to save, nothing to say
    extension = PictureExtension(data);
  } catch (const std::exception& e) {
    picture_problems_.push_back(control.Name() + ": " + e.what());
    return {};
  }
  const std::string path = folder + stem + extension;
  try {
    // As the page's own write, a folder that is not there is not made.
    if (!fs::is_directory(folder)) throw VbError(76, "Path not found: " + folder);
    platform::WriteFileAtomically(path, data, 0644, true);
    pictures_written_.push_back(path);
  } catch (const std::exception& e) {
    picture_problems_.push_back(control.Name() + ": " + e.what());
    return {};
  }
  // Browsers show few of the formats VB6 keeps (no cursors, no metafiles, not every
  // bitmap): a PNG copy beside the stored file is one any page can use, and the page names it.
  if (extension != ".png") {
    std::string problem;
    try {
      if (const auto image = platform::DecodePicture(data, problem)) {
        const std::string png = folder + stem + ".png";
        platform::WriteFileAtomically(png, platform::EncodePng(*image), 0644, true);
        pictures_written_.push_back(png);
        return stem + ".png";
      }
      picture_problems_.push_back(control.Name() + ": no PNG copy: " + problem);
    } catch (const std::exception& e) {
      picture_problems_.push_back(control.Name() + ": no PNG copy: " + e.what());
    }
  }
  return shown(extension) ? stem + extension : std::string();
}

std::string clsASPGenerator::PictureData(host::VBControl& control) const {
  const host::Property* picture = Find(control, "Picture");
  if (picture == nullptr || picture->Value().empty()) return {};
  const auto reference = host::ParseFrxReference(picture->Value());
  if (!reference) throw VbError(481, "Invalid picture: " + picture->Value());
  const std::string bytes = FrxBytes(form_folder_, *reference);
  // A stored picture: 32-bit block size, "lt\0\0", 32-bit size of the picture's own bytes.
  const std::size_t at = reference->offset;
  if (at + 12 > bytes.size() || bytes.compare(at + 4, 4, std::string_view("lt\0\0", 4)) != 0 ||
      Little(bytes, at + 8, 4) > bytes.size() - at - 12)
    throw DamagedFrx(*reference);
  std::string data = bytes.substr(at + 12, Little(bytes, at + 8, 4));
  if (data.empty()) throw VbError(481, "Invalid picture: the stored picture is empty");
  return data;
}

std::vector<std::string> clsASPGenerator::PictureFiles(host::VBComponent& component, const std::string& page) {
  const std::string form_file = component.FileNames(1);
  form_folder_ = form_file.empty() ? std::string() : fs::path(form_file).parent_path().string();
  const fs::path folder = fs::path(page).parent_path();
  std::vector<std::string> files;
  host::Designer* designer = component.GetDesigner();
  if (designer == nullptr) return files;
  for (host::VBControl* control : designer->Controls()) {
    const std::string type = control->ClassName();
    if (type != "PictureBox" && type != "Image") continue;
    try {
      const std::string data = PictureData(*control);
      if (data.empty()) continue;
      const std::string stem = PictureStem(control->Name()), extension = PictureExtension(data);
      files.push_back((folder / (stem + extension)).string());
      if (extension != ".png") files.push_back((folder / (stem + ".png")).string());
    } catch (const std::exception&) {
      // Not written, so nothing is replaced.
    }
  }
  return files;
}

std::string clsASPGenerator::ControlToHTML(host::VBControl& control, double ratio, const std::string& folder) {
  std::string name, id, width = "0", height = "0";  // what the placeholder shows, as far as it was read
  try {
    name = "\"" + HtmlEscape(control.Name()) + "\"";
    id = "\"" + HtmlEscape(ElementId(control)) + "\"";
    width = std::to_string(std::max(0L, Whole(Number(control, "Width") / ratio)));
    height = std::to_string(std::max(0L, Whole(Number(control, "Height") / ratio)));
    const std::string type = control.ClassName();
    const std::string named = " id=" + id + " name=" + name;
    if (type == "TextBox") {
      if (Number(control, "MultiLine") != 0) return "<textarea rows=3" + named + " cols=20></textarea>";
      const std::string size = std::to_string(Whole(Number(control, "MaxLength")));
      const bool password = !Text(control, "PasswordChar", form_folder_).empty();
      return std::string("<input type=") + (password ? "password" : "text") + named + " size=" + size + ">";
    }
    if (type == "ListBox" || type == "ComboBox") {
      const std::vector<std::string> entries = ListEntries(control, form_folder_);
      std::string markup = "<SELECT size=" + std::to_string(entries.empty() ? 1 : entries.size()) + named + ">";
      for (const std::string& entry : entries) markup += std::string(kCrLf) + "<OPTION>" + HtmlEscape(entry) + "</OPTION>";
      return markup + "</SELECT>";
    }
    if (type == "CommandButton") {
      const std::string caption = Text(control, "Caption", form_folder_);
      const char* kind = cp1252::FindNoCase(caption, "Submit") != std::string::npos || Number(control, "Default") != 0
                             ? "submit"
                         : cp1252::FindNoCase(caption, "Reset") != std::string::npos ? "reset"
                                                                                     : "button";
      return std::string("<input type=") + kind + " value=" + name + named + ">";
    }
    if (type == "CheckBox")
      return "<input type=checkbox" + named + " value=" + (Number(control, "Value") != 0 ? "ON" : "OFF") + ">";
    // The buttons of one control array are one group: they share its name.
    if (type == "OptionButton")
      return "<input type=radio" + named + " value=" + id + (Number(control, "Value") != 0 ? " checked" : "") + ">";
    if (type == "PictureBox" || type == "Image") {
      const std::string with_end = !folder.empty() && IsPathSeparator(folder.back()) ? folder : folder + kPathSeparator;
      const std::string src = SavePicture(control, with_end);
      return "<input border=0" + (src.empty() ? std::string() : " src=\"" + HtmlEscape(src) + "\"") + " alt=" + name +
             " id=" + id + " width=" + width + " height=" + height + " type=image>";
    }
    if (type == "Label")
      return "<FONT Face=" + HtmlEscapeUnquoted(FontName(control)) + " id=" + id + ">" + CaptionMarkup(control, form_folder_) +
             "</FONT>";
  } catch (const std::exception&) {
    // Shown as a placeholder with what was read so far.
  }
  return Placeholder(control, id, width, height, "");
}

// A control the page cannot show (an ActiveX control, a frame, a scroll bar): a box of its
// size naming its class, inside an object tag that names its class id.
std::string clsASPGenerator::Placeholder(host::VBControl& control, const std::string& id, const std::string& width,
                                         const std::string& height, const std::string& style) {
  std::string clsid = registry_.fnsGetRegistryValue("HKEY_CLASSES_ROOT\\" + control.ProgId() + "\\Clsid", "");
  if (!clsid.empty()) clsid = clsid.size() >= 2 ? clsid.substr(1, clsid.size() - 2) : std::string();
  return "<object classid=\"clsid:" + HtmlEscape(clsid) + "\" id=" + (id.empty() ? "\"\"" : id) + " width=" + width +
         " height=" + height + (style.empty() ? "" : " style=\"" + style + "\"") +
         "><span style=\"display:inline-block;box-sizing:border-box;width:" + width + "px;height:" + height +
         "px;border:1px solid #808080;background:#D4D0C8;color:#000;font:11px sans-serif;overflow:hidden\">" +
         HtmlEscape(control.ProgId().empty() ? control.ClassName() : control.ProgId()) + "</span></object>";
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

  const std::vector<host::VBControl*> controls = designer->Controls();
  const std::string folder = filename_.find_first_of("/\\") == std::string::npos ? "." : GetFilePath(filename_);
  const std::string body = layout_ == PageLayout::Positioned ? PositionedBody(*designer, folder)
                                                             : TableBody(controls, ratio, folder);
  // A control array has one set of handlers.
  std::vector<std::string> names;
  for (host::VBControl* control : controls)
    if (std::none_of(names.begin(), names.end(), [&](const std::string& name) { return cp1252::EqualsNoCase(name, control->Name()); }))
      names.push_back(control->Name());
  const std::string part_one = ScriptPartOne(names, *code);
  WriteBytes(filename_, html_header_ + kCrLf + form_header_ + kCrLf + body + kCrLf + part_one + kCrLf, false);
  WriteBytes(filename_, ScriptPartTwo(*code) + kCrLf, true);
}

std::string clsASPGenerator::TableBody(const std::vector<host::VBControl*>& controls, double ratio,
                                       const std::string& folder) {
  // Sort keys: top, left and width with five digits each, then the control's number.
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

  // The first row opens a table whatever its top, and a cell is never narrower than nothing.
  std::string body;
  std::optional<long> row_top;
  long right_edge = 0;
  for (const std::string& key : keys) {
    const long index = static_cast<long>(Val(key.substr(key.size() - 4)));
    const long top = Whole(Val(key.substr(0, 5)) / ratio);
    const long left = Whole(Val(key.substr(5, 5)) / ratio);
    const long width = Whole(Val(key.substr(10, 5)) / ratio);
    if (index < 1 || index > static_cast<long>(controls.size())) throw host::HostError(9, "Subscript out of range");
    if (!row_top || top != *row_top) {
      body += AddTableInfo();
      right_edge = 0;
      row_top = top;
    }
    body += "\t\t<TD width=\"" + std::to_string(std::max(0L, left - right_edge)) + "\" align=right>" + kCrLf;
    body += "\t\t\t" + ControlToHTML(*controls[static_cast<std::size_t>(index - 1)], ratio, folder) + kCrLf;
    body += std::string("\t\t</TD>") + kCrLf;
    right_edge = std::max(right_edge, left + width);
  }
  return body + (row_top ? AddTableInfo(2) : std::string()) + "</FORM>";
}

}  // namespace gildex
