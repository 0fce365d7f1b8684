#include "tools/control_template.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include "common/error_report.h"
#include "common/nembus_common.h"
#include "platform/atomic_file.h"
#include "platform/cp1252.h"

namespace gildex {
namespace fs = std::filesystem;

namespace {
bool EndsWithCtt(std::string_view name) {
  const std::string lower = cp1252::Lower(TrimSpaces(name));
  return lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".ctt") == 0;
}
std::string Unquoted(std::string text) {
  std::erase(text, '"');
  return text;
}
}  // namespace

fs::path ControlsFolder(const std::string& template_path) { return fs::path(template_path) / "Controls"; }

fs::path ControlTemplateFile(const fs::path& controls_folder, const std::string& name) {
  return controls_folder / (EndsWithCtt(name) ? name : name + ".ctt");
}

std::vector<std::string> ControlTemplateNames(const fs::path& controls_folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(controls_folder, error), end; !error && it != end; it.increment(error)) {
    const std::string file = it->path().filename().string();
    if (it->is_regular_file(error) && EndsWithCtt(file) && file == TrimSpaces(file))
      names.push_back(file.substr(0, file.size() - 4));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<ControlTemplateEntry> ReadControlTemplate(const fs::path& file) {
  std::error_code error;
  if (!fs::exists(file, error)) return {};
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in && !in.eof()) throw std::runtime_error("The control template " + file.string() + " cannot be read.");
  std::vector<ControlTemplateEntry> entries;
  std::size_t line_no = 1;
  for (std::size_t start = 0; start < bytes.size(); ++line_no) {
    std::size_t end = start;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n' && bytes[end] != '\0') ++end;
    // CR LF as written here, or a bare LF as any Linux editor writes it; a lone CR is not a
    // line end on either system.
    const std::size_t line_end = end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n' ? 2
                                 : end < bytes.size() && bytes[end] == '\n'                              ? 1
                                                                                                           : 0;
    if (end < bytes.size() && line_end == 0)
      throw std::runtime_error("The control template " + file.string() + " is damaged (line " +
                               std::to_string(line_no) + " holds a stray line break or NUL byte).");
    const std::string_view line(bytes.data() + start, end - start);
    std::string name(TrimSpaces(GetField(line, "=", 1))), value(TrimSpaces(GetField(line, "=", 2)));
    if (std::none_of(entries.begin(), entries.end(), [&](const auto& e) { return e.name == name; }))
      entries.push_back({std::move(name), std::move(value)});
    start = end + line_end;
  }
  return entries;
}

void WriteControlTemplate(const fs::path& file, const std::vector<ControlTemplateEntry>& entries) {
  std::string bytes;
  for (const ControlTemplateEntry& entry : entries) {
    const auto breaks = [](const std::string& s) { return s.find_first_of(std::string("\r\n\0", 3)) != s.npos; };
    if (TrimSpaces(entry.name).empty() || entry.name.find('=') != std::string::npos || breaks(entry.name) ||
        breaks(entry.value))
      throw std::runtime_error("The property \"" + entry.name + "\" cannot be stored in a control template: a name " +
                               "must not be empty or hold \"=\", and neither part may hold a line break.");
    bytes += entry.name + "=" + entry.value + "\r\n";
  }
  platform::WriteFileAtomically(file, bytes, 0644, true);
}

frmControlTemplate::frmControlTemplate(platform::Dialogs& dialogs, std::string template_path)
    : dialogs_(dialogs), folder_(ControlsFolder(template_path)) {}

void frmControlTemplate::ShowModal(ControlTemplateView& view, bool select_mode) {
  select_mode_ = select_mode;
  chosen_.clear();
  view_ = &view;
  LoadControlTemplates();
  visible_ = true;
  view.ShowModal(*this);
  visible_ = false;
  view_ = nullptr;
}

void frmControlTemplate::ShowEdit(ControlTemplateView& view) { ShowModal(view, false); }

std::optional<std::vector<std::string>> frmControlTemplate::ShowSelect(ControlTemplateView& view) {
  ShowModal(view, true);
  if (chosen_.empty()) return std::nullopt;
  std::vector<std::string> result;
  for (const ControlTemplateEntry& entry : ReadControlTemplate(ControlTemplateFile(folder_, chosen_)))
    result.push_back(Unquoted(entry.name + "=" + entry.value));
  return result;
}

void frmControlTemplate::LoadControlTemplates() { templates_ = ControlTemplateNames(folder_); }

void frmControlTemplate::SaveControlDefaults(const std::string& name) {
  std::vector<ControlTemplateEntry> entries;
  for (const Row& row : rows_) entries.push_back({row.text, row.value});
  WriteControlTemplate(ControlTemplateFile(folder_, name), entries);
  LoadControlTemplates();
}

void frmControlTemplate::LoadControlDefaults(const std::string& name) {
  // Read first: a damaged file leaves the list as it was.
  const std::vector<ControlTemplateEntry> entries = ReadControlTemplate(ControlTemplateFile(folder_, name));
  rows_.clear();
  for (const ControlTemplateEntry& entry : entries) rows_.push_back({entry.name, entry.name, entry.value});
  tag_ = name;
}

void frmControlTemplate::cboTemplates_Click(const std::string& name) {
  if (changed_ && dialogs_.MsgBox({kSaveChanges, platform::vbYesNo | platform::vbQuestion, std::string(kAppTitle)}) ==
                      platform::vbYes)
    SaveControlDefaults(tag_);
  changed_ = false;
  combo_text_ = name;
  if (select_mode_) apply_enabled_ = true;
  LoadControlDefaults(name);
}

void frmControlTemplate::cmdApply_Click() {
  if (select_mode_) {
    chosen_ = combo_text_;
    visible_ = false;
  } else if (combo_text_.empty()) {
    dialogs_.MsgBox({kNoName, platform::vbOKOnly, std::string(kAppTitle)});
  } else {
    SaveControlDefaults(combo_text_);
    changed_ = false;
  }
  apply_enabled_ = false;
}

void frmControlTemplate::cmdClose_Click() {
  chosen_.clear();
  visible_ = false;
}

void frmControlTemplate::AddEntry() {
  if (select_mode_) return;
  const std::string key = "item" + std::to_string(rows_.size());
  if (std::any_of(rows_.begin(), rows_.end(), [&](const Row& row) { return row.key == key; }))
    throw std::runtime_error("Key is not unique in collection");
  rows_.push_back({key, kNewProperty, ""});
  Touched();
}

void frmControlTemplate::EditRow(std::size_t row, std::string text) {
  if (select_mode_ || row >= rows_.size()) return;
  rows_[row].text = std::move(text);
  std::optional<std::string> value =
      view_ != nullptr ? view_->AskValue(kValuePrompt, std::string(kAppTitle), rows_[row].value) : std::nullopt;
  rows_[row].value = value.value_or("");
  Touched();
}

void frmControlTemplate::RemoveEntry(std::size_t row) {
  if (select_mode_ || row >= rows_.size()) return;
  if (dialogs_.MsgBox({"Are you sure you wish to remove the property '" + rows_[row].text + "' from the template?",
                       platform::vbYesNo | platform::vbQuestion, std::string(kAppTitle)}) != platform::vbYes)
    return;
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
  Touched();
}

}  // namespace gildex
