#include "templates/update_templates.h"

#include "templates/template_files.h"

namespace gildex {
namespace {

constexpr std::int16_t kBusy = 0;
constexpr std::int16_t kIdle = 1;
constexpr const char* kQualifiedName = "AddIn.UpdateProjectTemplates";

enum class Outcome { Next, Abort };

// Puts IgnoreExisting back and leaves update mode however the run ends.
class UpdateRun {
 public:
  explicit UpdateRun(CGildex& engine) : engine_(engine), ignore_existing_(engine.IgnoreExisting()) {}
  ~UpdateRun() {
    engine_.IgnoreExisting(ignore_existing_);
    engine_.UpdateMode(false);
  }
  UpdateRun(const UpdateRun&) = delete;
  UpdateRun& operator=(const UpdateRun&) = delete;
  bool IgnoreExistingBefore() const { return ignore_existing_; }

 private:
  CGildex& engine_;
  bool ignore_existing_;
};

void UpdateComponent(CGildex& engine, host::VBE& vbe, Progress& progress, const FileSkipGate& file_skip,
                     host::VBComponent& component, bool ignore_existing_before) {
  engine.UpdateMode(true);
  if (file_skip && file_skip(component)) return;
  host::CodeModule* module = component.Code();
  if (module == nullptr) return;
  const std::string name = component.Name();
  progress.SetMessageText("Updating " + name + ".");
  engine.IgnoreExisting(true);
  engine.InsertModule(*module, name, vbe.ActiveVBProject(), false);
  // Numbering reads inverted: false means the insert commands number lines. A module the
  // insertion refused stays exactly as it was.
  if (!engine.Numbering() && !engine.ModuleRefused()) {
    progress.SetMessageText("Adding line-numbers to " + name + ", please wait...");
    engine.NumberModule(*module, false);
  }
  engine.IgnoreExisting(ignore_existing_before);
}

Outcome UpdateWithTrap(CGildex& engine, host::VBE& vbe, Progress& progress, const FileSkipGate& file_skip,
                       host::VBComponent& component, bool ignore_existing_before, ErrorReport& report) {
  for (;;) {
    try {
      UpdateComponent(engine, vbe, progress, file_skip, component, ignore_existing_before);
      return Outcome::Next;
    } catch (const std::exception& error) {
      engine.IgnoreExisting(ignore_existing_before);
      const ErrorAction action = report.Report(error, kQualifiedName);
      if (action == ErrorAction::Abort) return Outcome::Abort;
      if (action == ErrorAction::Ignore) return Outcome::Next;
    }
  }
}

}  // namespace

void UpdateProjectTemplates(CGildex& engine, host::VBE& vbe, Progress& progress, const FileSkipGate& file_skip,
                            ErrorReport& report) {
  progress.SetMessageText("Updating Templates, please wait...");
  progress.Show();
  progress.ButtonState(kBusy);
  LoadTemplate(engine, "");
  engine.ScriptHalted(false);
  {
    UpdateRun run(engine);
    bool aborted = false;
    for (int p = 1; p <= vbe.ProjectCount() && !aborted; ++p) {
      host::VBProject& project = vbe.Project(p);
      for (int c = 1; c <= project.ComponentCount() && !aborted; ++c) {
        aborted = UpdateWithTrap(engine, vbe, progress, file_skip, project.Component(c), run.IgnoreExistingBefore(),
                                 report) == Outcome::Abort;
      }
    }
    if (aborted) {
      progress.ButtonState(kIdle);
      return;
    }
  }
  progress.SetMessageText("All project templates have been updated.");
  progress.ButtonState(kIdle);
}

}  // namespace gildex
