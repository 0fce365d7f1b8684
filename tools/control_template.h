#pragma once
// Control property templates: named lists of property = value kept as NAME.ctt in the
// "Controls" folder of the template folder, and the model of the window that edits them
// (edit mode) or lets the user pick one to apply (select mode), drawn through
// ControlTemplateView.
//
// A .ctt file is Windows-1252 text, one entry a line, "name=value" ended by CR LF, in list
// order; no header, no quoting. Reading splits each line at "=": the first field is the
// name, the second the value, both trimmed of blanks (so a value ends at a second "=", and a
// line without "=" has an empty value); a name that came before is ignored.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialogs.h"

namespace gildex {

struct ControlTemplateEntry {
  std::string name, value;
  bool operator==(const ControlTemplateEntry&) const = default;
};

// template folder + "Controls".
std::filesystem::path ControlsFolder(const std::string& template_path);
// The file of a template: ".ctt" added unless the name (trimmed, any case) ends with it.
std::filesystem::path ControlTemplateFile(const std::filesystem::path& controls_folder, const std::string& name);
// The template names (file names less ".ctt") of the folder, sorted; none when it is missing.
std::vector<std::string> ControlTemplateNames(const std::filesystem::path& controls_folder);
// The entries of a file; none when it does not exist. Throws std::runtime_error naming the
// file when it cannot be read or is damaged (a NUL byte, a CR that is not part of a CR LF
// line end), so that nobody works on, or saves over, half of it. Lines end in CR LF or LF.
std::vector<ControlTemplateEntry> ReadControlTemplate(const std::filesystem::path& file);
// Writes the entries (atomically). Throws std::runtime_error, writing nothing, for an empty
// name, a name holding "=", or a line break in either part, which would not read back.
void WriteControlTemplate(const std::filesystem::path& file, const std::vector<ControlTemplateEntry>& entries);

class frmControlTemplate;

// The window: shown modally until the model hides or unloads it; asks for a property's value
// after its name was edited (nullopt for Cancel).
class ControlTemplateView {
 public:
  virtual ~ControlTemplateView() = default;
  virtual void ShowModal(frmControlTemplate& form) = 0;
  virtual std::optional<std::string> AskValue(const std::string& prompt, const std::string& title,
                                              const std::string& current) = 0;
};

// frmControlTemplate, the window's model. Messages go through `dialogs`; a failure in a
// handler is thrown to the caller, which reports it.
class frmControlTemplate {
 public:
  static constexpr const char* kCaption = "Custom Controls Tempalte";
  static constexpr const char* kValuePrompt = "Please enter a value for this property";
  static constexpr const char* kNoName = "Please specify a name for this template";
  static constexpr const char* kSaveChanges = "Save your changes??";
  static constexpr const char* kNewProperty = "New Property";

  struct Row {
    std::string key, text, value;
  };

  frmControlTemplate(platform::Dialogs& dialogs, std::string template_path);

  // Modal, in edit mode.
  void ShowEdit(ControlTemplateView& view);
  // Modal, in select mode: the chosen template's entries as "name=value" with every double
  // quote removed, or nullopt when the user closed the window without choosing.
  std::optional<std::vector<std::string>> ShowSelect(ControlTemplateView& view);

  // What the window shows.
  const std::filesystem::path& Folder() const { return folder_; }
  bool SelectMode() const { return select_mode_; }
  bool Changed() const { return changed_; }
  bool ApplyEnabled() const { return apply_enabled_; }
  const char* ApplyCaption() const { return select_mode_ ? "&Select" : "&Apply"; }
  const std::vector<std::string>& Templates() const { return templates_; }
  const std::vector<Row>& Rows() const { return rows_; }
  const std::string& Tag() const { return tag_; }
  const std::string& ComboText() const { return combo_text_; }
  bool Visible() const { return visible_; }

  void LoadControlTemplates();
  void SaveControlDefaults(const std::string& name);
  void LoadControlDefaults(const std::string& name);

  // The user's actions.
  void TypeName(std::string text) { combo_text_ = std::move(text); }
  void cboTemplates_Click(const std::string& name);
  void cmdApply_Click();
  void cmdClose_Click();
  void AddEntry();                                  // "&Add Entry"; the new row is the last
  void EditRow(std::size_t row, std::string text);  // the row's text edited in place, then its value asked
  void RemoveEntry(std::size_t row);                // "&Remove Entry", asks first

 private:
  // Loads the templates and hands the window to the view until the user closes it.
  void ShowModal(ControlTemplateView& view, bool select_mode);
  void Touched() { apply_enabled_ = true, changed_ = true; }

  platform::Dialogs& dialogs_;
  ControlTemplateView* view_ = nullptr;
  std::filesystem::path folder_;
  bool select_mode_ = false, changed_ = false, apply_enabled_ = false, visible_ = false;
  std::string chosen_, tag_, combo_text_;
  std::vector<std::string> templates_;
  std::vector<Row> rows_;
};

}  // namespace gildex
