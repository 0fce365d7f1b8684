#include "workbench/workbench.h"

#include "common/error_report.h"

namespace gildex::workbench {

Workbench::Workbench(platform::Dialogs& dialogs, bool persist, std::function<void()> idle,
                     const platform::Clock* clock)
    : dialogs_(dialogs),
      context_(dialogs, clock),
      persist_(persist),
      idle_(std::move(idle)),
      session_(std::make_unique<session::Session>(context_)) {
  session_->OnIdle([this] {
    if (idle_) idle_();
  });
}

Workbench::~Workbench() {
  if (connected_) session_->Disconnect();
}

std::string Workbench::Open(const std::filesystem::path& file) {
  if (!Close()) return "the project is still open";
  // The add-in stays connected, as in VB6 for the whole of an IDE session: it follows the new
  // project through the IDE's project events instead of connecting (and greeting) again.
  ++session_number_;
  std::string problem = session_->Open(file, true);
  if (!problem.empty()) {
    session_->Close();
    return problem;
  }
  has_project_ = true;
  opened_ = file;
  // The project the IDE made active is the one whose components the add-in follows.
  if (auto* active = dynamic_cast<host::MemoryProject*>(Vbe().ActiveVBProject())) Vbe().SetActiveProject(*active);
  return problem;
}

bool Workbench::Close() {
  if (!has_project_) return true;
  if (HasUnsavedChanges()) {
    platform::MessageBox box;
    box.title = std::string(kAppTitle);
    box.style = platform::vbYesNoCancel | platform::vbExclamation;
    box.prompt = "Save changes to the following files?";
    for (host::MemoryComponent* component : session_->Changed()) box.prompt += "\r\n" + component->File().string();
    switch (dialogs_.MsgBox(box)) {
      case platform::vbYes:
        if (!SaveAll().error.empty()) return false;
        break;
      case platform::vbNo:
        break;
      default:
        return false;
    }
  }
  ++session_number_;
  session_->Close();
  has_project_ = false;
  opened_.clear();
  return true;
}

Problem Workbench::ConnectAddIn() {
  if (connected_) return {};
  Problem problem = session_->ConnectAddIn(ext_cm_AfterStartup, persist_, windows_.progress, windows_.views);
  connected_ = problem.empty();
  return problem;
}

void Workbench::DisconnectAddIn() {
  if (!connected_) return;
  session_->Disconnect();
  connected_ = false;
}

bool Workbench::WindowUsed(host::MemoryComponent& component, host::WindowType type) {
  if (!Vbe().HasWindow(component, type)) return false;
  const bool code = type == host::WindowType::CodeWindow;
  // The add-in's current component also moves with components it hears of being added or
  // renamed, so the IDE's selection alone does not say that it is this one.
  const bool current = Vbe().SelectedVBComponent() == &component &&
                       (!code || Vbe().ActiveCodePane() == &component.Code()->Pane()) &&
                       (!connected_ || session_->Connection().CurrentComponent() == &component);
  if (current) return false;
  if (code)
    Vbe().ShowCode(component);
  else
    Vbe().ShowDesigner(component);
  return true;
}

host::SaveResult Workbench::SaveAll() {
  host::SaveResult saved = session_->Save();
  std::string said = saved.error;
  for (const auto& skipped : saved.skipped) said += (said.empty() ? "" : "\r\n") + skipped.file + ": " + skipped.message;
  if (!said.empty()) {
    dialogs_.MsgBox({"Not everything could be saved:\r\n" + said, platform::vbOKOnly | platform::vbExclamation,
                     std::string(kAppTitle)});
    if (saved.error.empty()) saved.error = said;
  }
  return saved;
}

bool Workbench::SaveProjectAs() {
  auto* project = dynamic_cast<host::MemoryProject*>(Vbe().ActiveVBProject());
  if (project == nullptr) return false;
  platform::SaveFileDialog dialog;
  dialog.title = "Save Project As";
  dialog.filters = {{"Project Files", "*.vbp"}};
  dialog.default_extension = "vbp";
  dialog.file_name = project->File().filename().string();
  dialog.initial_folder = project->Folder().string();
  const std::string chosen = dialogs_.SaveFileName(dialog);
  if (chosen.empty()) return false;
  try {
    project->SaveAs(chosen);
    return true;
  } catch (const std::exception& e) {
    dialogs_.MsgBox({"The project was not saved as " + chosen + ":\r\n" + e.what(),
                     platform::vbOKOnly | platform::vbExclamation, std::string(kAppTitle)});
    return false;
  }
}

bool Workbench::HasUnsavedChanges() const { return has_project_ && !session_->Changed().empty(); }

}  // namespace gildex::workbench
