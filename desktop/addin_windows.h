#pragma once
// Every window of the add-in's commands, drawn with Qt, and what the Workbench hands the
// add-in: the progress window factory and the views of ConnectViews. Made before the Workbench
// and left after it, as the add-in lets go of its windows (the To-Do list, the function finder)
// when its session ends.
#include <memory>

#include "desktop/choice_windows.h"
#include "desktop/component_info_window.h"
#include "desktop/control_template_window.h"
#include "desktop/converter_window.h"
#include "desktop/function_finder_window.h"
#include "desktop/help_window.h"
#include "desktop/insert_wizard_window.h"
#include "desktop/procedure_templates_window.h"
#include "desktop/options_window.h"
#include "desktop/splash_window.h"
#include "desktop/todo_window.h"
#include "workbench/workbench.h"

namespace gildex::desktop {

class AddInWindows {
 public:
  explicit AddInWindows(platform::Dialogs& dialogs);
  ~AddInWindows();
  AddInWindows(const AddInWindows&) = delete;
  AddInWindows& operator=(const AddInWindows&) = delete;

  // The windows that need the add-in's shared objects (its progress window, the registry,
  // the error report) take them from `bench`'s current session.
  void Attach(workbench::Workbench& bench);
  workbench::AddInWindows Windows();

  InsertModeWindow& InsertMode() { return insert_mode_; }
  SplashWindow& Splash() { return *splash_; }
  ComponentInfoView& ComponentInfo() { return component_info_; }
  FunctionFinderDialog& FunctionFinder() { return *function_finder_; }
  ConverterWindow& Converter() { return *converter_; }
  ToDoWindow& ToDo() { return *todo_; }
  ControlTemplateWindow& ControlTemplates() { return *control_templates_; }
  InsertWizardWindow& Wizard() { return *wizard_; }
  // Opened by the options dialog's "customise..." button.
  CopyOptionsWindow& CopyOptions() { return copy_options_; }
  OptionsWindow& Options() { return *options_; }
  HelpWindow& Help() { return *help_; }

 private:
  workbench::Workbench& Bench();

  workbench::Workbench* bench_ = nullptr;
  InsertModeWindow insert_mode_;
  std::unique_ptr<SplashWindow> splash_;
  ComponentInfoView component_info_;
  std::unique_ptr<FunctionFinderDialog> function_finder_;
  std::unique_ptr<ConverterWindow> converter_;
  std::unique_ptr<ToDoWindow> todo_;
  std::unique_ptr<ControlTemplateWindow> control_templates_;
  CopyOptionsWindow copy_options_;
  std::unique_ptr<InsertWizardWindow> wizard_ = std::make_unique<InsertWizardWindow>();
  ProcedureTemplatesWindow procedure_templates_;
  std::unique_ptr<OptionsWindow> options_;
  std::unique_ptr<HelpWindow> help_ = std::make_unique<HelpWindow>();
};

}  // namespace gildex::desktop
