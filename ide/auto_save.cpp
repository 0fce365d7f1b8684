// Connect's timed auto-save of the active project.
#include <fmt/core.h>

#include <limits>

#include "common/nembus_common.h"
#include "ide/connect.h"
#include "platform/cp1252.h"

namespace gildex {
namespace {

constexpr const char* kAutoSaveQuestion = "Gildex is about to autosave your project, do you wish to continue?";
constexpr const char* kAutoSaveTitle = "Gildex AutoSave";

// Format(Now, "hh:nn dd/mmm/yyyy").
std::string SavedAt(const platform::LocalTime& t) {
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const char* month = t.month >= 1 && t.month <= 12 ? kMonths[t.month - 1] : "???";
  return fmt::format("{:02}:{:02} {:02}/{}/{:04}", t.hour, t.minute, t.day, month, t.year);
}

platform::FileFilter ComponentFilter(host::ComponentType type) {
  using T = host::ComponentType;
  switch (type) {
    case T::StdModule: return {"Basic Files", "*.bas"};
    case T::ClassModule: return {"Class Files", "*.cls"};
    case T::VBForm:
    case T::VBMDIForm: return {"Form Files", "*.frm"};
    case T::PropPage: return {"Propety Page Files", "*.pag"};
    case T::UserControl: return {"User Defined Control Files", "*.ctl"};
    case T::DocObject: return {"User Document Files", "*.dob"};
    case T::ActiveXDesigner: return {"Designer Files", "*.dsr"};
    default: return {"All Files", "*.*"};
  }
}

}  // namespace

void Connect::HookAutoSave(CGildex& /*engine*/) {
  // The add-in may outlive this Connect: a tick then reaches nobody.
  add_in_.SetAutoSaveTick([self = self_] {
    if (Connect* connect = *self) connect->AutoSaveProject(false);
  });
}

bool Connect::SaveActiveProject() {
  host::VBE* vbe = add_in_.VBE();
  host::VBProject* project = vbe != nullptr ? vbe->ActiveVBProject() : nullptr;
  if (project == nullptr) return false;
  platform::Dialogs& dialogs = add_in_.Services().dialogs;
  const std::string folder = TrimSpaces(project->FileName()).empty() ? std::string() : GetFilePath(project->FileName());
  bool saved = false;
  if (project->IsDirty()) {
    std::string name = project->FileName();
    if (TrimSpaces(name).empty())
      name = dialogs.SaveFileName(platform::SaveFileDialog{{{"Project Files", "*.VBP"}, {"All Files", "*.*"}},
                                                           project->Name() + ".vbp", folder, kAutoSaveTitle, "*.VBP"});
    if (!name.empty()) {
      project->SaveAs(name);
      saved = true;
    }
  }
  for (int i = 1; i <= project->ComponentCount(); ++i) {
    host::VBComponent& component = project->Component(i);
    if (!component.IsDirty()) continue;
    std::string name = component.FileNames(1);
    if (TrimSpaces(name).empty()) {
      const platform::FileFilter filter = ComponentFilter(component.Type());
      const std::string extension = filter.pattern.substr(1);  // ".bas"; ".*" for any other type
      name = dialogs.SaveFileName(platform::SaveFileDialog{
          {filter}, component.Name() + (extension == ".*" ? "" : extension), folder, kAutoSaveTitle, filter.pattern});
    }
    if (!name.empty()) {
      component.SaveAs(name);
      saved = true;
    }
  }
  return saved;
}

void Connect::AutoSaveProject(bool forced) {
  add_in_.Report().Trap("Connect.AutoSaveProject", [&] {
    CGildex& engine = add_in_.Engine();
    platform::Timers& timers = add_in_.Services().timers;
    add_in_.StopAutoSaveTimer();
    host::VBE* vbe = add_in_.VBE();
    if (vbe == nullptr) return;
    // Outside design mode the host runs or debugs the project: its files stay as they are.
    bool save = forced || cp1252::FindNoCase(vbe->MainWindowCaption(), " [design]") != std::string::npos;
    if (save && !forced && engine.ConfirmSave()) {
      const platform::MsgBoxResult answer = add_in_.Services().dialogs.MsgBox(platform::MessageBox{
          kAutoSaveQuestion, platform::vbYesNoCancel | platform::vbQuestion, std::string(kAppTitle)});
      if (answer == platform::vbCancel) return engine.AutoSave(false);
      save = answer == platform::vbYes;
    }
    if (save) {
      // A save that fails is reported on its own; the next tick still comes.
      add_in_.Report().Trap("Connect.AutoSaveProject", [&] {
        clsMessages& messages = add_in_.Messages();
        messages.Caption("Saving Project");
        messages.MessageText("Saving your project, please wait..");
        messages.Show();
        messages.ButtonState(1);
        if (SaveActiveProject())
          messages.AddStatus("AutoSave Finished " + SavedAt(add_in_.Services().clock.Now()));
        else
          messages.Hide();
      });
    }
    if (forced) return;
    const std::int64_t period_ms = std::int64_t{engine.SaveInterval()} * 60000;
    if (period_ms <= 0) return;  // the interval was cleared since the timer started
    if (period_ms > std::numeric_limits<std::int32_t>::max()) throw VbError(6, "Overflow");
    add_in_.AutoSaveTimer(timers.SetTimer(period_ms, [self = self_] {
      if (Connect* connect = *self) connect->AutoSaveProject(false);
    }));
  });
}

}  // namespace gildex
