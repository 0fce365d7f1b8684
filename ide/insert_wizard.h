#pragma once
// frmWizard, the insert wizard the toolbar's "Gildex Wizard" button opens: four steps
// (introduction, template, components and procedure filter, summary), then "&Finish" inserts
// the chosen template into the chosen components of the open projects. This is the window's
// whole model; a window (InsertWizardView) draws it and hands the user's actions to its
// handlers. Each handler traps its own failures.
//
// The buttons follow the state: "< &Back" on every step but the first, "&Next >" on the
// introduction, on the template step while a template (not the root) is chosen and on the
// component step while a component is checked, "&Finish" on the summary only.
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "templates/template_tree.h"

namespace gildex {

class AddIn;
class frmWizard;
class ScopeCommands;

// The wizard's window. It draws the model again after each handler it calls. A closed
// wizard's model lives on until the button is clicked again or the add-in disconnects.
class InsertWizardView {
 public:
  virtual ~InsertWizardView() = default;
  // Shows the window (not modal), or brings it to the front when it shows `wizard` already.
  virtual void Show(frmWizard& wizard) = 0;
  // The wizard was finished or cancelled: the window closes. Must not call the model back.
  virtual void Close(frmWizard& wizard) = 0;
};

// Where the introduction's check box is kept, under the options key: "0" skips the introduction.
inline constexpr const char* kShowWizardIntroValue = "Show Wizard Intro";

class frmWizard {
 public:
  static constexpr const char* kCaption = "Gildex Wizard";
  static constexpr const char* kShowIntroCaption = "Show this screen next-time I start the wizard.";
  static constexpr const char* kCancelQuestion = "Are you sure you wish to cancel the wizard?";
  static constexpr const char* kComponentColumn = "Component";
  static constexpr const char* kCodeLinesColumn = "Code Lines";
  static constexpr const char* kEventTypeLabel = "Event Type";
  static constexpr int kSteps = 4;
  // cboInsertOpts; the last one takes the event of cboEventType.
  static constexpr std::array<const char*, 5> kInsertOptions = {"ALL Code.", "Subs Only.", "Functions Only.",
                                                                "Properties Only.", "Specified Events."};
  static constexpr int kSpecifiedEvents = 4;
  // cmdNav by index.
  enum Nav : int { kCancel = 1, kBack = 2, kNext = 3, kFinish = 4 };
  static const char* NavCaption(Nav button);
  // picStep of each step: the name of a picture the window draws.
  static constexpr std::array<const char*, kSteps> kPictures = {"wizard-intro", "wizard-template",
                                                                "wizard-components", "wizard-summary"};

  struct ComponentRow {
    std::string name;
    long code_lines = 0;
    bool checked = false;
  };

  // Loads the window's state over the connected add-in (Form_Load): the event list, the
  // first insert option and event, and the first step ("Show Wizard Intro"). Finish inserts
  // through `scope`.
  frmWizard(AddIn& add_in, ScopeCommands& scope, InsertWizardView& view);

  // What the window shows.
  int Step() const { return step_; }
  const char* Picture() const { return kPictures[static_cast<std::size_t>(step_)]; }
  // lblSteps: what the step asks for.
  const char* Explanation() const;
  bool ShowIntro() const { return show_intro_; }
  bool BackEnabled() const { return step_ > 0; }
  bool NextEnabled() const;
  bool FinishEnabled() const { return step_ == kSteps - 1; }
  const TextTemplateTree& Templates() const { return tree_; }  // tvwTemplates
  const std::vector<ComponentRow>& Components() const { return rows_; }  // lvwComponents
  int InsertOption() const { return insert_option_; }
  const std::vector<std::string>& EventTypes() const { return events_; }  // cboEventType
  int EventType() const { return event_type_; }
  bool EventListVisible() const { return insert_option_ == kSpecifiedEvents; }
  const std::string& Summary() const { return summary_; }  // lblVerifyOptions
  // Finished or cancelled: the window is gone and the model is done.
  bool Unloaded() const { return unloaded_; }

  // The choices so far.
  const std::string& TemplateName() const { return template_name_; }
  const std::string& InsertChoice() const { return insert_choice_; }
  const std::vector<std::string>& FileList() const { return file_list_; }
  // Whether component `name` is chosen (any letter case).
  bool FileInList(const std::string& name) const;

  // The user's actions.
  void chkShowIntro_Click(bool checked) { show_intro_ = checked; }
  void cmdNav_Click(int index);
  void tvwTemplates_NodeClick(const std::string& key);
  // Checks or clears the box of row `row` (from 0).
  void lvwComponents_ItemCheck(std::size_t row, bool checked);
  void cboInsertOpts_Click(int index);
  void cboEventType_Click(int index);

 private:
  void NextStep(int step);
  void PopulateList();
  void BuildFileList();
  void ShowSummary();
  void StartProcessing();
  void Unload();

  AddIn& add_in_;
  ScopeCommands& scope_;
  InsertWizardView& view_;
  int step_ = 0;
  bool show_intro_ = true;
  TextTemplateTree tree_{"frmWizard"};
  std::vector<ComponentRow> rows_;
  std::vector<std::string> events_;
  int insert_option_ = 0, event_type_ = 0;
  std::string template_name_, insert_choice_, summary_;
  std::vector<std::string> file_list_;
  bool unloaded_ = false;
};

}  // namespace gildex
