#include "ide/options_dialog.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <fmt/core.h>

#include "common/event_list.h"
#include "common/nembus_common.h"
#include "ide/read_only_gate.h"
#include "platform/cp1252.h"
#include "templates/template_files.h"
#include "templates/update_templates.h"

namespace gildex {

namespace {

// Page 6, Script, binds no control of the table.
constexpr int kGeneral = 0, kNumbering = 1, kFile = 2, kControls = 3, kEditor = 4, kTemplateOptions = 5,
              kAbout = 7, kBelow = -1;

constexpr OptionsControl kControlTable[] = {
    {"chkBodyText", kGeneral, "BodyCode", Bound::Check, "Insert code body start/end tags."},
    {"chkAutoSave", kGeneral, "AutoSave", Bound::Check, "Auto-Save every"},
    {"txtAutoSave", kGeneral, "Save Interval", Bound::Number, ""},
    {"lblAutoSave", kGeneral, "", Bound::None, "minutes."},
    {"chkIgnoreExisting", kGeneral, "Ignore Existing", Bound::Check, "Overwrite existing error handler."},
    {"chkMakeExes", kGeneral, "Build Project", Bound::Check, "Build project after processing."},
    {"chkReplaceBodyHandlers", kGeneral, "Replace Body Handlers", Bound::ReplaceBody,
     "Replace any error handling in code body."},
    {"chkDisableSplash", kGeneral, kDisableSplashValue, Bound::RegistryCheck, "Do not show the splash window."},
    {"chkCommentBlock", kGeneral, "Header After Comments", Bound::Check, "Insert Header AFTER comment block."},
    {"chkIgnoreSmall", kGeneral, "Ignore Small Functions", Bound::Check, "Ignore Small Functions"},
    {"lblSmallFN(0)", kGeneral, "", Bound::None, "(less than"},
    {"txtSmallFN", kGeneral, "Minimum Lines", Bound::Number, ""},
    {"lblSmallFN(1)", kGeneral, "", Bound::None, "lines)"},
    {"chkConfirmSave", kGeneral, "Confirm Save", Bound::Check, "Confirm before saving."},
    {"chkAutoExit", kGeneral, "Auto Exit", Bound::Check, "Automatically exit FN before insert footer code."},

    {"chkLineNumbers", kNumbering, "Numbering", Bound::InvertedCheck, "Insert Line Numbers in each routine."},
    {"lblStartLine", kNumbering, "", Bound::None, "Start numbering at no."},
    {"txtStartLine", kNumbering, "Start Line", Bound::Number, ""},
    {"lblIncrement(0)", kNumbering, "", Bound::None, "Increment number by"},
    {"txtIncrement", kNumbering, "Line Incrementor", Bound::Number, ""},
    {"lblIncrement(1)", kNumbering, "", Bound::None, "on each line."},
    {"lblDelimiter", kNumbering, "", Bound::None, "Line Numbers followed by"},
    {"cboDelimiter", kNumbering, "Line Delimiter", Bound::Delimiter, ""},
    {"chkNumberDim", kNumbering, "Number DIMs", Bound::Check, "Put line numbers on DIM statements too."},
    {"chkResetNumbers", kNumbering, "Reset Lines", Bound::Check, "Reset numbers at start of procedure."},
    // Each edits its own setting, so that numbering comment and blank lines can be chosen here.
    {"chkNumberComments", kNumbering, "Number Comment Lines", Bound::Check, "Number comment lines also."},
    {"chkNumberBlanks", kNumbering, "Number Blank Lines", Bound::Check, "Number blank lines in methods too."},

    {"chkBuilder", kFile, "Show Builder Dialog", Bound::Check, "Prompt to use Forgent when making binary."},
    {"chkBackup", kFile, "Backup Files", Bound::Check, "Backup files before saving."},
    {"lblBackup", kFile, "", Bound::None, "File Extension:"},
    {"txtBackup", kFile, "Backup Extension", Bound::Text, ""},
    {"lblBackupDir", kFile, "", Bound::None, "Destination:"},
    {"txtBackupDir", kFile, "Backup Directory", Bound::Text, ""},
    {"cmdBackupDir", kFile, "", Bound::None, "..."},
    {"chkCheckOut", kFile, "Source Control", Bound::Check, "Check Out Files from Source-Safe"},
    {"lblVSSComment", kFile, "", Bound::None, "Apply the following source-safe comment"},
    {"txtVSSComment", kFile, "VSS Comment", Bound::Text, ""},
    {"chkSkipReadOnly", kFile, "Skip ReadOnly", Bound::Check, "Skip Read-Only Files"},

    {"chkPropertyCopy", kControls, "Enabled", Bound::CopierCheck, "Enabled \"Property Copier\""},
    {"cmdCopyCustom", kControls, "", Bound::None, "customise..."},
    {"chkAutoRename", kControls, "Auto Rename", Bound::Check,
     "Automatically rename code for controls that user renames."},
    {"chkPrefix", kControls, "Auto Prefix", Bound::Check,
     "Automatically prefix new controls with the following prefixes."},
    {"chkDelCode", kControls, "Delete Events", Bound::Check, "Remove code for deleted controls."},

    {"txtBlockStart", kEditor, "CodeBody Start", Bound::Text, ""},
    {"txtBlockEnd", kEditor, "CodeBody End", Bound::Text, ""},

    {"lblTemplatePath", kTemplateOptions, "", Bound::None, "&Templates Path:"},
    {"txtTemplatePath", kTemplateOptions, "Template Path", Bound::TemplatePath, ""},
    {"cmdBrowse(0)", kTemplateOptions, "", Bound::None, "..."},
    {"lblEditorPath", kTemplateOptions, "", Bound::None, "&External Editor:"},
    {"txtEditorPath", kTemplateOptions, kEditorPathValue, Bound::RegistryText, ""},
    {"cmdBrowse(1)", kTemplateOptions, "", Bound::None, "..."},
    {"lblInsertOpts", kTemplateOptions, "", Bound::None, "Insert Error-Handler into :"},
    {"cboInsertOpts", kTemplateOptions, "", Bound::None, ""},
    {"lblEventType", kTemplateOptions, "", Bound::None, "Event Types:"},
    {"cboEventType", kTemplateOptions, "", Bound::None, ""},
    {"cmdAdvanced", kTemplateOptions, "", Bound::None, "&Advanced.."},
    {"chkLogger", kTemplateOptions, "Full Logging", Bound::Check,
     "Log EVERY action in the routine by running this code."},
    {"rtfLogger", kTemplateOptions, "Full Logging Code", Bound::Logger, ""},

    {"lblVersion", kAbout, "", Bound::None, ""},
    {"lblDescription", kAbout, "", Bound::None, ""},
    {"lblWeb", kAbout, "", Bound::None, kMakerWebSite},
    {"lblEMail", kAbout, "", Bound::None, kSupportEmail},

    {"tabOptions", kBelow, "", Bound::None, ""},
    // Names the settings a repository's settings file gives the open project; hidden when none.
    {"lblSettingsFile", kBelow, "", Bound::None, ""},
    {"cmdApply", kBelow, "", Bound::None, "&Apply"},
    {"cmdCancel", kBelow, "", Bound::None, "&Close"},
};

constexpr std::string_view kLineNumberControls[] = {"txtStartLine",     "txtIncrement",    "lblIncrement(0)",
                                                    "lblIncrement(1)",  "chkResetNumbers", "chkNumberDim",
                                                    "chkNumberComments", "chkNumberBlanks"};
constexpr std::string_view kBackupControls[] = {"txtBackup", "lblBackup", "txtBackupDir", "lblBackupDir",
                                                "cmdBackupDir"};
constexpr std::string_view kCheckOutControls[] = {"txtVSSComment", "lblVSSComment"};
constexpr std::string_view kIgnoreExistingControls[] = {"chkReplaceBodyHandlers"};
constexpr std::string_view kIgnoreSmallControls[] = {"txtSmallFN", "lblSmallFN(0)", "lblSmallFN(1)"};
constexpr std::string_view kAutoSaveControls[] = {"txtAutoSave", "lblAutoSave", "chkConfirmSave"};
constexpr std::string_view kLoggerControls[] = {"rtfLogger"};
constexpr std::string_view kPropertyCopyControls[] = {"cmdCopyCustom"};

constexpr EnablingRule kEnablingRules[] = {
    {"chkLineNumbers", kLineNumberControls},       {"chkBackup", kBackupControls},
    {"chkCheckOut", kCheckOutControls},            {"chkIgnoreExisting", kIgnoreExistingControls},
    {"chkIgnoreSmall", kIgnoreSmallControls},      {"chkAutoSave", kAutoSaveControls},
    {"chkLogger", kLoggerControls},                {"chkPropertyCopy", kPropertyCopyControls},
};

// "Save Interval" before "AutoSave": the timer starts with the interval already set.
constexpr std::string_view kApplyOrder[] = {
    "BodyCode", "Numbering", "Ignore Small Functions", "Minimum Lines", "Save Interval", "AutoSave",
    "Header After Comments", "Full Logging", "Full Logging Code", "Line Incrementor", "Confirm Save", "Auto Exit",
    "Reset Lines", "Start Line", "Show Builder Dialog", "Auto Prefix", kApplyScript, "Backup Files",
    "Backup Extension", "Backup Directory", "Auto Rename", "Auto Prefix", kApplyPrefixes, "Delete Events", "Enabled",
    "Line Delimiter", kDisableSplashValue, "Ignore Existing", "Replace Body Handlers", "Skip ReadOnly",
    "Source Control", "VSS Comment", "Build Project", "Insert Into", "Default Template", "CodeBody End",
    "CodeBody Start", "Number DIMs", "Number Comment Lines", "Number Blank Lines", "Template Path"};

const OptionsControl* FindBySetting(std::string_view setting) {
  for (const OptionsControl& row : kControlTable)
    if (row.bound != Bound::None && row.setting == setting) return &row;
  return nullptr;
}


}  // namespace

std::span<const OptionsControl> OptionsControlTable() { return kControlTable; }
std::span<const EnablingRule> EnablingRules() { return kEnablingRules; }
std::span<const std::string_view> ApplyOrder() { return kApplyOrder; }

const OptionsControl* FindOptionsControl(std::string_view control) {
  for (const OptionsControl& row : kControlTable)
    if (row.control == control) return &row;
  return nullptr;
}

frmOptions::frmOptions(AddIn& add_in, OptionsView* view, platform::Clipboard& clipboard, Connect* connect)
    : add_in_(add_in),
      engine_(add_in.Engine()),
      report_(add_in.Report()),
      view_(view),
      connect_(connect),
      controls_([] {
        std::map<std::string, DialogControl, std::less<>> controls;
        for (const OptionsControl& row : kControlTable) controls[std::string(row.control)].text = row.caption;
        // Design-time contents.
        controls["txtBackup"].text = "BAK";
        controls["txtVSSComment"].text = "Checked out by Gildex\r\n";
        controls["txtBlockStart"].text = " ---------- Code Body Starts ----------";
        controls["txtBlockEnd"].text = " ---------- Code Body Ends ----------";
        for (const InsertOption& option : kInsertOptions)
          if (option.item != kInsertOptions[kSelectedRoutines].item) controls["cboInsertOpts"].items.emplace_back(option.item);
        for (std::string_view item : kDelimiterItems) controls["cboDelimiter"].items.emplace_back(item);
        return controls;
      }()),
      editor_(engine_, report_, clipboard, controls_["txtBlockStart"], controls_["txtBlockEnd"],
              TemplateEditorHost{
                  .enable_apply = [this] { EnableApply(); },
                  .template_path_shown = [this] { return Control("txtTemplatePath").text; },
                  .editor_path = [this] { return Control("txtEditorPath").text; },
                  .update_project_templates =
                      [this] {
                        host::VBE* vbe = add_in_.VBE();
                        if (vbe == nullptr) return;
                        clsMessages& messages = add_in_.Messages();
                        UpdateProjectTemplates(
                            engine_, *vbe, messages,
                            [&](host::VBComponent& component) {
                              return FileSkip(component, engine_, messages, report_);
                            },
                            report_);
                      },
                  .start_program = {},
                  .program_exists = {}}),
      prefixes_(engine_, report_),
      scripts_(add_in.Scripter(), report_, add_in.Services().program_folder, [this] { EnableApply(); }) {
  editor_.SetView(view);
}

DialogControl& frmOptions::Control(std::string_view name) {
  const auto found = controls_.find(name);
  if (found == controls_.end()) throw std::logic_error("frmOptions has no control " + std::string(name));
  return found->second;
}

bool frmOptions::ApplyEnabled() const {
  return controls_.at("cmdApply").enabled || prefixes_.ApplyEnabled();
}

void frmOptions::EnableApply() { Control("cmdApply").enabled = true; }

void frmOptions::ApplyRule(std::string_view check_box) {
  for (const EnablingRule& rule : kEnablingRules) {
    if (rule.check_box != check_box) continue;
    const bool on = Control(check_box).value == 1;
    for (std::string_view control : rule.controls) Control(control).enabled = on && !FromSettingsFile(control);
  }
}

bool frmOptions::FromSettingsFile(std::string_view control) const {
  return std::find(file_controls_.begin(), file_controls_.end(), control) != file_controls_.end();
}

// The project's settings file decides these values: their controls are not for changing, and
// the label says where they come from (an Apply never saves them into the registry).
void frmOptions::ShowSettingsFile() {
  for (const std::string& control : file_controls_) Control(control).enabled = true;
  file_controls_.clear();
  std::string said;
  for (const OverlaidValue& value : add_in_.Registry().Overlaid()) {
    said += fmt::format("{}{} (line {})", said.empty() ? "" : ", ", value.name, value.line);
    for (const OptionsControl& row : kControlTable)
      if (!row.setting.empty() && cp1252::EqualsNoCase(row.setting, value.name)) {
        file_controls_.emplace_back(row.control);
        Control(row.control).enabled = false;
      }
  }
  DialogControl& label = Control("lblSettingsFile");
  const auto& overlaid = add_in_.Registry().Overlaid();
  label.text = overlaid.empty() ? std::string()
                                : "From " + overlaid.front().file + " for this project, not saved here: " + said + ".";
  label.visible = !overlaid.empty();
}

void frmOptions::ShowSetting(const OptionsControl& row) {
  DialogControl& control = Control(row.control);
  const std::string setting(row.setting);
  const std::string options_key(kOptionsKey);
  switch (row.bound) {
    case Bound::None:
      break;
    case Bound::Check:
    case Bound::ReplaceBody:
    case Bound::CopierCheck:
      control.value = engine_.GetSettingText(setting) == "True" ? 1 : 0;
      break;
    case Bound::InvertedCheck:
      control.value = engine_.GetSettingText(setting) == "True" ? 0 : 1;
      break;
    case Bound::Number:
    case Bound::Text:
      control.text = engine_.GetSettingText(setting).value_or("");
      break;
    case Bound::Delimiter: {
      const std::string delimiter = engine_.LineDelimiter();
      control.value = delimiter == "\t" ? 1 : delimiter == " " ? 2 : 0;
      break;
    }
    case Bound::Logger:
      control.text = engine_.FullLoggingCode().empty() ? std::string(kDefaultLoggingLine) : engine_.FullLoggingCode();
      break;
    case Bound::TemplatePath:
      control.text = engine_.TemplatePath();
      break;
    case Bound::RegistryCheck:
      control.value = StrToBool(add_in_.Registry().fnsGetRegistryValue(options_key, setting, "BOOL")) ? 1 : 0;
      break;
    case Bound::RegistryText:
      control.text = add_in_.Registry().fnsGetRegistryValue(options_key, setting);
      break;
  }
}

void frmOptions::Display(bool shown) {
  report_.Trap("frmOptions.Display", [&] {
    Control("lblVersion").text = fmt::format("Version {}.{}", GILDEX_VERSION_MAJOR, GILDEX_VERSION_MINOR);
    Control("lblDescription").text = std::string(kAddInDescription);
    engine_.LoadSettings();
    DialogControl& events = Control("cboEventType");
    events.items.clear();
    BuildEventList([&](const std::string& item) { events.items.push_back(item); });
    DialogControl& insert_options = Control("cboInsertOpts");
    if (insert_options.items.size() < std::size(kInsertOptions))
      insert_options.items.emplace_back(kInsertOptions[kSelectedRoutines].item);
    for (const OptionsControl& row : kControlTable) ShowSetting(row);

    const std::string insert_into = engine_.InsertInto();
    int index = kSpecifiedEvents;
    for (int i = 0; i < static_cast<int>(std::size(kInsertOptions)); ++i)
      if (i != kSpecifiedEvents && kInsertOptions[i].value == insert_into) index = i;
    cboInsertOpts_Click(index);

    ShowSettingsFile();
    for (const EnablingRule& rule : kEnablingRules) ApplyRule(rule.check_box);
    editor_.Fill();
    prefixes_.LoadPrefix();
    scripts_.LoadScripts();
    if (!shown) {
      if (view_ != nullptr) view_->Center();
      Control("cmdApply").enabled = false;
      prefixes_.ApplyDone();
      Control("tabOptions").value = 0;
      shown_ = true;
      if (view_ != nullptr) view_->ShowDialog();
    }
  });
  Refresh();
}

void frmOptions::tabOptions_Click(int index) {
  if (index >= 0 && index < static_cast<int>(std::size(kOptionsTabs))) Control("tabOptions").value = index;
  Refresh();
}

void frmOptions::chk_Click(std::string_view check_box, int value) {
  Control(check_box).value = value;
  ApplyRule(check_box);
  EnableApply();
  Refresh();
}

void frmOptions::txt_Change(std::string_view text_box, std::string text) {
  Control(text_box).text = std::move(text);
  EnableApply();
  Refresh();
}

void frmOptions::cboDelimiter_Click(int index) {
  Control("cboDelimiter").value = index;
  EnableApply();
  Refresh();
}

void frmOptions::cboInsertOpts_Click(int index) {
  report_.Trap("frmOptions.cboInsertOpts_Click", [&] {
    if (index < 0 || index >= static_cast<int>(std::size(kInsertOptions))) return;
    DialogControl& events = Control("cboEventType");
    Control("lblEventType").visible = events.visible = false;
    Control("cmdAdvanced").enabled = false;
    Control("cboInsertOpts").value = index;
    pending_insert_into_ = std::string(kInsertOptions[index].value);
    if (index == kSpecifiedEvents) {
      Control("lblEventType").visible = events.visible = true;
      const std::string current = engine_.InsertInto();
      if (!current.empty() && current != "--") {
        events.text = current;
        events.value = -1;
        for (std::size_t i = 0; i < events.items.size(); ++i)
          if (cp1252::EqualsNoCase(events.items[i], current)) events.value = static_cast<int>(i);
      } else if (!events.items.empty()) {
        events.value = 0;
        events.text = events.items.front();
      }
      pending_insert_into_ = events.text;
    }
    if (index == kSelectedRoutines) Control("cmdAdvanced").enabled = true;
    EnableApply();
  });
  Refresh();
}

void frmOptions::cboEventType_Click(int index) {
  DialogControl& events = Control("cboEventType");
  if (index < 0 || index >= static_cast<int>(events.items.size())) return;
  events.value = index;
  events.text = events.items[static_cast<std::size_t>(index)];
  pending_insert_into_ = cp1252::Upper(events.text);
  EnableApply();
  Refresh();
}

void frmOptions::txtTemplatePath_LostFocus() {
  report_.Trap("frmOptions.txtTemplatePath_LostFocus", [&] {
    std::string& path = Control("txtTemplatePath").text;
    path = std::string(TrimSpaces(path));
    // A blank path stays blank: it means the templates folder of the program folder.
    if (path.empty() || IsPathSeparator(path.back())) return;
    // The separator the path already uses, so that a Windows path keeps its backslashes.
    const std::size_t last = path.find_last_of("\\/");
    path += last != std::string::npos ? path[last] : kPathSeparator;
  });
  Refresh();
}

void frmOptions::MarkerLostFocus(std::string_view name) {
  report_.Trap(fmt::format("frmOptions.{}_LostFocus", name), [&] {
    std::string& marker = Control(name).text;
    marker = std::string(TrimSpaces(marker));
    if (!marker.starts_with('\'')) marker.insert(0, 1, '\'');
  });
  Refresh();
}

void frmOptions::txtBackup_LostFocus() {
  report_.Trap("frmOptions.txtBackup_LostFocus",
               [&] { Control("txtBackup").text = MakeValidFilename(Control("txtBackup").text); });
  Refresh();
}

void frmOptions::cmdBrowse_Click(int index) {
  report_.Trap("frmOptions.cmdBrowse_Click", [&] {
    platform::OpenFileDialog dialog;
    dialog.initial_folder = add_in_.Services().program_folder.string();
    if (index == 0) {
      dialog.title = "Please select the template path..";
      dialog.filters = {{"All Files", "*.*"}};
    } else {
      dialog.title = "Please select the external editor program.";
      // Programs here carry no ".EXE": every file is offered.
      dialog.filters = {{"Program Files", "*"}};
    }
    const std::string chosen = report_.Dialogs().ChooseFileToOpen(dialog);
    if (chosen.empty()) return;
    if (index == 0) {
      Control("txtTemplatePath").text = GetFilePath(chosen);
      engine_.TemplatePath(GetFilePath(chosen));
      editor_.Fill();
    } else {
      Control("txtEditorPath").text = chosen;
    }
    EnableApply();
  });
  Refresh();
}

void frmOptions::cmdBackupDir_Click() {
  report_.Trap("frmOptions.cmdBackupDir_Click", [&] {
    const std::string chosen = report_.Dialogs().BrowseForFolder("Select destination folder for backup files");
    if (chosen.empty()) return;
    Control("txtBackupDir").text = chosen;
    EnableApply();
  });
  Refresh();
}

void frmOptions::cmdCopyCustom_Click() {
  frmCopyOptions form(engine_, [this] { EnableApply(); });
  if (view_ != nullptr) view_->ShowCopyOptions(form);
  Refresh();
}

void frmOptions::cmdAdvanced_Click() {
  // The connection owns the window (and says when this host has none).
  if (connect_ != nullptr) connect_->Tools().cmdAdvanced_Click();
}

bool frmOptions::rtfLogger_KeyDown(int key_code, std::size_t sel_start, std::size_t sel_length) {
  return report_.Trap("frmOptions.rtfLogger_KeyDown", false, [&] {
    EnableApply();
    Refresh();
    if (key_code != kTabKey) return false;
    std::string& text = Control("rtfLogger").text;
    const std::size_t start = std::min(sel_start, text.size());
    text.replace(start, std::min(sel_length, text.size() - start), "\t");
    return true;
  });
}

void frmOptions::lblEMail_DblClick() {
  if (view_ != nullptr) view_->ShellOpen("mailto:" + std::string(kSupportEmail));
}

void frmOptions::lblWeb_DblClick() {
  if (view_ != nullptr) view_->ShellOpen(std::string(kMakerWebSite));
}

void frmOptions::cmdPrefixItem_Click(int index) {
  prefixes_.cmdPrefixItem_Click(index);
  if (prefixes_.FocusedBox() != PrefixList::Focus::None && view_ != nullptr)
    view_->SetFocus(prefixes_.FocusedBox() == PrefixList::Focus::ControlName ? "txtControlName" : "txtPrefix");
  Refresh();
}

void frmOptions::lvwPrefix_ItemClick(std::size_t item) {
  prefixes_.lvwPrefix_ItemClick(item);
  Refresh();
}

void frmOptions::lvwPrefix_KeyDown(int key_code) {
  prefixes_.lvwPrefix_KeyDown(key_code);
  Refresh();
}

std::string frmOptions::SettingText(const OptionsControl& row) {
  const DialogControl& control = Control(row.control);
  switch (row.bound) {
    case Bound::Check:
    case Bound::CopierCheck:
    case Bound::RegistryCheck:
      return control.value == 1 ? "True" : "False";
    case Bound::InvertedCheck:
      return control.value == 1 ? "False" : "True";
    case Bound::ReplaceBody:
      return Control("chkIgnoreExisting").value == 1 && control.value == 1 ? "True" : "False";
    case Bound::Number:
      return std::to_string(static_cast<std::int64_t>(std::nearbyint(Val(control.text))));
    case Bound::Delimiter:
      return control.value == 1 ? "\t" : control.value == 2 ? " " : ":";
    default:
      return control.text;
  }
}

bool frmOptions::NumbersFit() {
  for (const OptionsControl& row : kControlTable) {
    if (row.bound != Bound::Number) continue;
    const SettingInfo* info = CGildex::FindSetting(row.setting);
    const bool small = info->type == SettingType::Integer16;
    const std::int64_t low = small ? std::numeric_limits<std::int16_t>::min() : std::numeric_limits<std::int32_t>::min();
    const std::int64_t high = small ? std::numeric_limits<std::int16_t>::max() : std::numeric_limits<std::int32_t>::max();
    double value = 0;
    bool fits = true;
    try {
      value = std::nearbyint(Val(Control(row.control).text));
      fits = value >= static_cast<double>(low) && value <= static_cast<double>(high);
    } catch (const VbError&) {
      fits = false;
    }
    if (fits) continue;
    report_.Dialogs().MsgBox({fmt::format("\"{}\" takes a whole number from {} to {}; \"{}\" is not one. Nothing "
                                          "was applied.",
                                          row.setting, low, high, Control(row.control).text),
                              platform::vbExclamation, std::string(kAppTitle)});
    Control("tabOptions").value = row.page;
    if (view_ != nullptr) view_->SetFocus(std::string(row.control));
    return false;
  }
  return true;
}

void frmOptions::ApplyStep(std::string_view step) {
  const std::string options_key(kOptionsKey);
  if (step == kApplyScript) return add_in_.Scripter().SetScript(scripts_.rtfScript.text);
  if (step == kApplyPrefixes) {
    prefixes_.SavePrefix();
    return;
  }
  if (step == "Insert Into") return engine_.InsertInto(pending_insert_into_);
  if (step == "Default Template") return engine_.DefaultTemplate(editor_.DefaultTemplateKey());
  const OptionsControl* row = FindBySetting(step);
  if (row == nullptr) throw std::logic_error("no control stores " + std::string(step));
  if (row->bound == Bound::RegistryCheck || row->bound == Bound::RegistryText)
    return add_in_.Registry().subSetRegistryValue(options_key, std::string(row->setting), SettingText(*row));
  if (row->bound == Bound::TemplatePath) {
    // A path typed into the field is taken too, not only one chosen with the browse button.
    std::string typed(TrimSpaces(Control(row->control).text));
    if (typed.empty()) return;
    if (!IsPathSeparator(typed.back())) typed += kPathSeparator;
    if (typed == engine_.TemplatePath()) return;
    engine_.TemplatePath(typed);
    editor_.Fill();
    return;
  }
  const std::string problem = engine_.SetSettingText(row->setting, SettingText(*row));
  if (!problem.empty()) throw VbError(5, problem);
  if (row->bound == Bound::CopierCheck)
    if (host::VBE* vbe = add_in_.VBE()) ShowControlsEntries(vbe->Bars(), engine_);
}

void frmOptions::cmdApply_Click() {
  if (!NumbersFit()) return Refresh();
  if (editor_.Dirty()) editor_.SaveTemplate();
  for (std::string_view step : kApplyOrder) {
    for (;;) {
      try {
        ApplyStep(step);
        break;
      } catch (const std::exception& error) {
        const ErrorAction action = report_.Report(error, "frmOptions.cmdApply_Click");
        if (action == ErrorAction::Retry) continue;
        if (action == ErrorAction::Abort) return Refresh();
        break;
      }
    }
  }
  report_.Trap("frmOptions.cmdApply_Click", [&] {
    LoadTemplate(engine_, "");
    add_in_.Registry().subSetRegistryValue(std::string(kOptionsKey), std::string(kEditorPathValue),
                                           Control("txtEditorPath").text);
    engine_.SaveSettings();
    Control("cmdApply").enabled = false;
    prefixes_.ApplyDone();
  });
  Refresh();
}

bool frmOptions::cmdCancel_Click() {
  const bool closed = report_.Trap("frmOptions.Form_Unload", false, [&] {
    if (engine_.DefaultTemplate().empty()) {
      const platform::MsgBoxResult answer = report_.Dialogs().MsgBox(
          {"You have not yet selected a default template, are you sure you wish to close options without doing so?",
           platform::vbYesNo | platform::vbQuestion, std::string(kAppTitle)});
      if (answer == platform::vbNo) return false;
    }
    if (editor_.Dirty()) {
      const platform::MsgBoxResult answer = report_.Dialogs().MsgBox(
          {"Save your changes?", platform::vbYesNo | platform::vbQuestion, std::string(kAppTitle)});
      if (answer == platform::vbYes) editor_.SaveTemplate();
      editor_.Dirty(false);
    }
    return true;
  });
  if (closed) {
    shown_ = false;
    if (view_ != nullptr) view_->CloseDialog();
  }
  return closed;
}

void OptionsDialog::ShowOptions() {
  if (!form_) form_ = std::make_unique<frmOptions>(add_in_, view_, clipboard_, connect_);
  form_->Display(form_->Shown());
}

}  // namespace gildex
