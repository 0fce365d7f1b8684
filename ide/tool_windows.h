#pragma once
// The commands that open or close windows: the options dialog, component information, the
// function finder, the insert wizard, the per-procedure templates, the form-to-HTML converter,
// the To-Do list and the help file, and closing the IDE's code and designer windows.
#include <memory>

#include "ide/add_in.h"
#include "ide/connect_views.h"
#include "ide/event_reactions.h"

namespace gildex {

class frmWizard;
class ScopeCommands;

class ToolWindows {
 public:
  ToolWindows(AddIn& add_in, const ConnectViews& views, const EventReactions& events, ScopeCommands& scope);
  ~ToolWindows();
  ToolWindows(const ToolWindows&) = delete;
  ToolWindows& operator=(const ToolWindows&) = delete;

  void hWndProjectOptions_Click();
  void hWndModuleOptions_Click();
  void hWndFormOptions_Click();
  void hWndCodeOptions_Click();
  void hWndToolbarOptions_Click() { hWndProjectOptions_Click(); }
  void hWndModuleInfo_Click();
  void hWndFormInfo_Click();
  void hWndCodeFinder_Click();
  void hWndToolbarFNFinder_Click();
  void hWndFormToASP_Click();
  void hWndWindowCloseCode_Click();
  void hWndWindowCloseForms_Click();
  void hWndWindowCloseAll_Click();
  void hWndToolbarWizard_Click();
  void hWndToolbarToDo_Click();
  void hWndToolbarHelp_Click();
  // The options dialog's "&Advanced.." button (Selected Routines): the per-procedure template
  // window over the active project, modal.
  void cmdAdvanced_Click();

  // The To-Do list the toolbar opened, until its window reports that it has closed.
  ToDoList* ToDo() const { return todo_list_.get(); }
  void moToDo_Unloaded();
  // The wizard the toolbar opened, until it is finished or cancelled.
  frmWizard* Wizard() const;
  // The wizard works on the shared objects that go with the connection, so it closes with it.
  void CloseWizard();

 private:
  void OpenOptions(const char* name);
  void ShowInfo(const char* name);
  void ShowFunctionFinder(const char* name);
  void CloseWindows(const char* name, bool code, bool designers);

  AddIn& add_in_;
  const ConnectViews& views_;
  const EventReactions& events_;
  ScopeCommands& scope_;
  std::unique_ptr<FunctionFinder> function_finder_;
  std::unique_ptr<frmWizard> wizard_;
  std::unique_ptr<ToDoList> todo_list_;
  // The To-Do list's closing report reaches these windows only while they exist.
  std::shared_ptr<ToolWindows*> self_ = std::make_shared<ToolWindows*>(this);
};

}  // namespace gildex
