#include "desktop/addin_windows.h"

#include <stdexcept>

#include "desktop/progress_window.h"

namespace gildex::desktop {

AddInWindows::AddInWindows(platform::Dialogs& dialogs)
    : splash_(std::make_unique<SplashWindow>(GILDEX_VERSION)),
      function_finder_(std::make_unique<FunctionFinderDialog>()),
      converter_(
          std::make_unique<ConverterWindow>([this]() -> Progress& { return Bench().Session().Shared().Messages(); }, dialogs)),
      todo_(std::make_unique<ToDoWindow>(dialogs)),
      control_templates_(
          std::make_unique<ControlTemplateWindow>([this]() -> ErrorReport& { return Bench().Context().report; })),
      options_(std::make_unique<OptionsWindow>([this]() -> session::Session& { return Bench().Session(); },
                                               [this] { return Bench().SessionNumber(); },
                                               function_finder_->Clipboard(), copy_options_)) {}

AddInWindows::~AddInWindows() = default;

void AddInWindows::Attach(workbench::Workbench& bench) { bench_ = &bench; }

workbench::Workbench& AddInWindows::Bench() {
  if (bench_ == nullptr) throw std::logic_error("the add-in's windows are not attached to a workbench");
  return *bench_;
}

workbench::AddInWindows AddInWindows::Windows() {
  ConnectViews views;
  views.insert_options = &insert_mode_;
  views.splash = splash_.get();
  views.component_info = &component_info_;
  views.function_finder = function_finder_.get();
  views.form_converter = converter_.get();
  views.todo_list = todo_.get();
  views.control_templates = control_templates_.get();
  views.insert_wizard = wizard_.get();
  views.advanced_template = &procedure_templates_;
  views.options_dialog = options_.get();
  views.help_viewer = help_.get();
  return {ProgressWindowFactory(), views};
}

}  // namespace gildex::desktop
