#pragma once
// The commands that apply the engine to a scope: one procedure, one component, or every
// component of every open project (insert, remove, number, un-number), the comment block above
// the procedure at the cursor, and the toolbar's insert and remove buttons. Each finds its
// target in the host, passes it through the read-only gate, drives the progress window and
// reports the result there.
#include <cstdint>
#include <functional>
#include <string>

#include "ide/add_in.h"
#include "ide/connect_views.h"

namespace gildex {

class ScopeCommands {
 public:
  ScopeCommands(AddIn& add_in, const ConnectViews& views) : add_in_(add_in), views_(views) {}

  void hWndModuleFNInsert_Click();
  void hWndCodeInsert_Click();
  void hWndModuleInsert_Click();
  void hWndFormInsert_Click();
  void hWndProjectInsert_Click();
  void hWndModuleFNDelete_Click();
  void hWndCodeDelete_Click();
  void hWndModuleDelete_Click();
  void hWndFormDelete_Click();
  void hWndProjectDelete_Click();
  void hWndCodeNumber_Click();
  void hWndModuleNumber_Click();
  void hWndFormNumber_Click();
  void hWndCodeUnNumber_Click();
  void hWndModuleUnNumber_Click();
  void hWndFormUnNumber_Click();
  void hWndToolbarInsert_Click() { hWndProjectInsert_Click(); }
  void hWndToolbarRemove_Click() { hWndProjectDelete_Click(); }
  void hWndInsertComment_Click();

  // The insertion of the project's insert command, over the components of every project
  // that `chosen` takes by name (every one without it): each passes the read-only gate, gets
  // `working` + name + "." as the message, the current template and, with the line-numbering
  // option on, line numbers. True when the user cancelled.
  bool InsertIntoComponents(const std::string& working, const std::function<bool(const std::string&)>& chosen = {});
  // The start line of the selection in the module's code pane.
  static std::int32_t GetCursorPosition(host::CodeModule& module);
  // Builds the active project's compiled file; a failure becomes one status line.
  void BuildActiveProject();

 private:
  struct ComponentCommand;
  using ComponentStep = std::function<void(host::CodeModule& module, const std::string& name)>;
  // Every component of every project through the read-only gate and `step`; true when the
  // user cancelled.
  bool WalkProjects(bool name_non_code, const ComponentStep& step,
                    const std::function<bool(const std::string&)>& chosen = {});
  void RunComponentCommand(const ComponentCommand& command);
  void RunProcedureCommand(bool insert);
  bool TemplateChosen(bool open_options);
  // The insert-mode choice; false when the user closed the window.
  bool AskInsertMode(host::CodeModule& module, bool& selection_only);

  AddIn& add_in_;
  const ConnectViews& views_;
};

}  // namespace gildex
