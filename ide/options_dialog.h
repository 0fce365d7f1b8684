#pragma once
// frmOptions, the options dialog, without a toolkit: every control as keyed state (check
// boxes 0/1, texts, list indexes, enabled and visible flags), the pending "Insert Into" value,
// and the user's actions as handlers named after the controls' events. Which control edits
// which setting, the order Apply stores them in and which check box enables which controls
// are tables (OptionsControlTable, ApplyOrder, EnablingRules); the pages' own models are the
// template editor (templates/template_editor.h), the prefix list (templates/prefix_list.h)
// and the script page (templates/script_page.h). A window draws the state after each action
// (OptionsView::Refresh) and does what only a window can.
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ide/add_in.h"
#include "ide/connect.h"
#include "platform/clipboard.h"
#include "templates/prefix_list.h"
#include "templates/script_page.h"
#include "templates/template_editor.h"
#include "tools/copy_options.h"

namespace gildex {

inline constexpr std::string_view kEditorPathValue = "Editor Path";
inline constexpr std::string_view kDefaultLoggingLine = "\tCall oLogger.WriteEntry(\"%PrevLine% executed OK\")";
inline constexpr std::string_view kAddInDescription =
    "Gildex inserts and removes error handling, numbers lines and runs your scripts over the procedures of "
    "Visual Basic 6 projects.";
inline constexpr std::string_view kMakerWebSite = "https://gildex.example.org/";
inline constexpr std::string_view kSupportEmail = "support@gildex.example.org";

// The pages, in tab order, with their tool tips.
struct OptionsTab {
  std::string_view caption, tool_tip;
};
inline constexpr OptionsTab kOptionsTabs[] = {
    {"General Options", "Program Options"},   {"Numbering Options", ""},
    {"File Options", "File Related Options"}, {"Controls Option", "Control & Coding Options"},
    {"Template Editor", "Edit your code templates"}, {"Template Options", "Template Options"},
    {"Script", "Scripting Options"},          {"About...", "About..."}};

// The insert-options list and the "Insert Into" value of each item; item 4 takes the chosen
// event's name instead.
struct InsertOption {
  std::string_view item, value;
};
inline constexpr InsertOption kInsertOptions[] = {
    {"ALL Code.", ""},          {"Subs Only.", "SUB"},    {"Functions Only.", "FUNCTION"},
    {"Properties Only.", "PROPERTY"}, {"Specified Events.", ""}, {"Scripted!", "*SCRIPT"},
    {"Selected Routines", "--"}};
inline constexpr int kSpecifiedEvents = 4, kSelectedRoutines = 6;
inline constexpr std::string_view kDelimiterItems[] = {": (colon)", "<tab>", "<space>"};

// How a control shows and stores its setting.
enum class Bound {
  None,          // a label or button: no setting
  Check,         // 1 stores "True", 0 "False"
  InvertedCheck, // 1 stores "False": the "Numbering" setting means "do not number"
  ReplaceBody,   // a Check that stores "False" while chkIgnoreExisting is clear
  CopierCheck,   // a Check that also shows or hides the "Copy Properties" menu entry
  Number,        // a text box read with Basic's Val
  Text,
  Delimiter,     // cboDelimiter: ":", a tab, a space
  Logger,        // rtfLogger: an empty setting shows the default logging line
  TemplatePath,  // txtTemplatePath
  RegistryCheck, // a True/False value under the options key that the dialog reads and writes itself
  RegistryText,  // a text value under the options key, likewise
};

struct OptionsControl {
  std::string_view control;  // "chkBodyText", "lblSmallFN(0)"
  int page;                  // index into kOptionsTabs; -1 below the tabs
  std::string_view setting;  // registry value name ("Ignore Existing"); empty for None
  Bound bound;
  std::string_view caption;
};
std::span<const OptionsControl> OptionsControlTable();
const OptionsControl* FindOptionsControl(std::string_view control);

// A check box and the controls enabled only while it is ticked.
struct EnablingRule {
  std::string_view check_box;
  std::span<const std::string_view> controls;
};
std::span<const EnablingRule> EnablingRules();

// The order Apply stores in: registry value names of OptionsControlTable's settings, "Insert
// Into" (the pending value), "Default Template" (the editor's default key), and the steps
// kApplyScript and kApplyPrefixes.
inline constexpr std::string_view kApplyScript = "@Script";
inline constexpr std::string_view kApplyPrefixes = "@Prefixes";
std::span<const std::string_view> ApplyOrder();

// What only the dialog's window can do.
class OptionsView : public TemplateEditorView {
 public:
  // Shows the dialog (modally) with what the model holds; returns when the window is up.
  virtual void ShowDialog() = 0;
  // Unloads the window; the model has already agreed to close.
  virtual void CloseDialog() = 0;
  virtual void Center() = 0;
  // Draws the model's state again after an action changed it. It also comes while the user
  // types, so a window sets a control's text only where it differs from what it shows.
  virtual void Refresh() = 0;
  virtual void SetFocus(const std::string& control) = 0;
  // frmCopyOptions, modally.
  virtual void ShowCopyOptions(frmCopyOptions& form) = 0;
  // The shell's "open" verb on a web address or "mailto:" address.
  virtual void ShellOpen(const std::string& target) = 0;
};

class frmOptions {
 public:
  // `view` may be null: the model then only keeps its state (tests, scripted sessions).
  // `connect` opens the per-procedure template window for "&Advanced.."; null: no button acts.
  frmOptions(AddIn& add_in, OptionsView* view, platform::Clipboard& clipboard, Connect* connect = nullptr);
  // The pages' models call back into this object.
  frmOptions(const frmOptions&) = delete;
  frmOptions& operator=(const frmOptions&) = delete;

  // Fills every page from the settings; shows the dialog when `shown` is false.
  void Display(bool shown);
  void cmdApply_Click();
  // cmdCancel and the window's close box: asks what the closing rules ask; false when the
  // user chose to stay.
  bool cmdCancel_Click();
  void tabOptions_Click(int index);

  // Any check box of the table: its value, its enabling rule, Apply.
  void chk_Click(std::string_view check_box, int value);
  // Any text box edited by the user.
  void txt_Change(std::string_view text_box, std::string text);
  void cboDelimiter_Click(int index);
  void cboInsertOpts_Click(int index);
  void cboEventType_Click(int index);
  void txtTemplatePath_LostFocus();
  void txtBlockStart_LostFocus() { MarkerLostFocus("txtBlockStart"); }
  void txtBlockEnd_LostFocus() { MarkerLostFocus("txtBlockEnd"); }
  void txtBackup_LostFocus();
  void cmdBrowse_Click(int index);
  void cmdBackupDir_Click();
  void cmdCopyCustom_Click();
  void cmdAdvanced_Click();
  // Tab into the logging line at the selection (true: the key was taken); any key enables Apply.
  bool rtfLogger_KeyDown(int key_code, std::size_t sel_start, std::size_t sel_length);
  void lblEMail_DblClick();
  void lblWeb_DblClick();
  // The prefix list's buttons and list, which also enable Apply.
  void cmdPrefixItem_Click(int index);
  void lvwPrefix_ItemClick(std::size_t item);
  void lvwPrefix_KeyDown(int key_code);

  DialogControl& Control(std::string_view name);
  const std::map<std::string, DialogControl, std::less<>>& Controls() const { return controls_; }
  const std::string& PendingInsertInto() const { return pending_insert_into_; }
  bool ApplyEnabled() const;
  bool Shown() const { return shown_; }
  TemplateEditor& Editor() { return editor_; }
  PrefixList& Prefixes() { return prefixes_; }
  ScriptPage& Scripts() { return scripts_; }

 private:
  void EnableApply();
  void ApplyRule(std::string_view check_box);
  bool FromSettingsFile(std::string_view control) const;
  void ShowSettingsFile();
  void ShowSetting(const OptionsControl& row);
  std::string SettingText(const OptionsControl& row);
  // A number field whose value does not fit its setting: says so and returns false.
  bool NumbersFit();
  void ApplyStep(std::string_view step);
  void MarkerLostFocus(std::string_view name);
  void Refresh() {
    if (view_ != nullptr) view_->Refresh();
  }

  AddIn& add_in_;
  CGildex& engine_;
  ErrorReport& report_;
  OptionsView* view_;
  Connect* connect_;
  std::map<std::string, DialogControl, std::less<>> controls_;
  std::string pending_insert_into_;
  std::vector<std::string> file_controls_;  // controls whose setting the settings file gives
  bool shown_ = false;
  TemplateEditor editor_;
  PrefixList prefixes_;
  ScriptPage scripts_;
};

// The add-in's options window: one frmOptions, made on first use and displayed again on each
// opening. A host program hands this to Connect as its options dialog.
class OptionsDialog : public OptionsDialogView {
 public:
  OptionsDialog(AddIn& add_in, OptionsView* view, platform::Clipboard& clipboard, Connect* connect = nullptr)
      : add_in_(add_in), view_(view), clipboard_(clipboard), connect_(connect) {}
  void ShowOptions() override;
  // The form once it was opened; null before.
  frmOptions* Form() { return form_.get(); }

 private:
  AddIn& add_in_;
  OptionsView* view_;
  platform::Clipboard& clipboard_;
  Connect* connect_;
  std::unique_ptr<frmOptions> form_;
};

}  // namespace gildex
