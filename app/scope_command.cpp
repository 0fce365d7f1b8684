#include "app/scope_command.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <vector>

#include "app/app_context.h"
#include "app/unified_diff.h"
#include "host/project_loader.h"
#include "host/verify.h"
#include "ide/connect.h"
#include "platform/atomic_file.h"
#include "platform/cp1252.h"
#include "platform/project_lock.h"
#include "templates/scripter.h"
#include "templates/template_files.h"
#include "tools/terminal_view.h"

namespace gildex::app {
namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int) { g_interrupted = true; }

// Ctrl-C asks for a cancel; the engine stops after the procedure it is in. A second Ctrl-C
// ends the process at once (files are replaced whole, so none is left half-written).
class InterruptGuard {
 public:
  InterruptGuard() {
    g_interrupted = false;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous_);
  }
  ~InterruptGuard() { sigaction(SIGINT, &previous_, nullptr); }
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  struct sigaction previous_ {};
};

// Passes every box on and notes the error reports, after which nothing is written.
class WatchedDialogs : public platform::Dialogs {
 public:
  explicit WatchedDialogs(platform::Dialogs& inner) : inner_(inner) {}
  platform::MsgBoxResult MsgBox(const platform::MessageBox& box) override {
    if (box.title == std::string(kAppTitle) + " Error.") ++errors_;
    return inner_.MsgBox(box);
  }
  int Errors() const { return errors_; }

 private:
  platform::Dialogs& inner_;
  int errors_ = 0;
};

// The insert-mode window: "Selected Text" stays chosen unless the user asked for the whole module.
class CommandLineInsertOptions : public InsertOptionsView {
 public:
  explicit CommandLineInsertOptions(bool whole_module) : whole_module_(whole_module) {}
  void ShowModal(frmInsertOptions& form) override {
    if (whole_module_) form.ChooseEntireModule();
    form.cmdGo_Click();
  }

 private:
  bool whole_module_;
};

class CommandLineOptionsDialog : public OptionsDialogView {
 public:
  void ShowOptions() override { requested = true; }
  bool requested = false;
};

std::string Display(std::string_view bytes) { return cp1252::ToDisplay(bytes); }

const char* ActionName(ScopeAction action) {
  switch (action) {
    case ScopeAction::Insert: return "insert";
    case ScopeAction::Remove: return "remove";
    case ScopeAction::Number: return "number";
    case ScopeAction::UnNumber: return "unnumber";
  }
  return "";
}

bool IsForm(host::ComponentType type) {
  return type == host::ComponentType::VBForm || type == host::ComponentType::VBMDIForm;
}

struct Target {
  host::MemoryProject* project = nullptr;
  host::MemoryComponent* component = nullptr;
};

// The run of one command over a loaded IDE.
class ScopeRun {
 public:
  ScopeRun(const ScopeOptions& options, std::ostream& out, std::ostream& err)
      : options_(options), out_(out), err_(err) {}

  int Run();

 private:
  int Fail(int code, const std::string& message) {
    err_ << "gildex: " << Display(message) << "\n";
    return code;
  }
  int Load();
  int Connect();
  int ApplyOverrides();
  int FindTarget();
  bool FindProcedure(host::MemoryComponent& component, long& first, long& last);
  int Click();
  void ClickOnComponent(host::MemoryComponent& component);
  int Finish();
  int PrintDiff(int code);

  const ScopeOptions& options_;
  std::ostream& out_;
  std::ostream& err_;
  std::unique_ptr<AppContext> context_;
  std::unique_ptr<WatchedDialogs> dialogs_;
  std::unique_ptr<platform::Services> services_;
  std::unique_ptr<ErrorReport> report_;
  std::unique_ptr<RegistryTools> tools_;
  host::MemoryVBE vbe_;
  host::LoadResult loaded_;
  CommandLineInsertOptions insert_options_{options_.whole_module};
  CommandLineOptionsDialog options_dialog_;
  std::unique_ptr<AddIn> add_in_;
  std::unique_ptr<gildex::Connect> connect_;
  Target target_;
  std::vector<std::string> messages_;
  bool reported_ = false;
  bool built_and_saved_ = false;
};

int ScopeRun::Run() {
  if (!options_.script_file.empty() && options_.action != ScopeAction::Insert)
    return Fail(kBadInput, "--script runs with insert only");
  // A writing run has the project to itself until it ends; a dry run only reads.
  std::optional<platform::ProjectLock> lock;
  if (!options_.dry_run) {
    lock.emplace(options_.project);
    if (lock->Take(std::chrono::seconds(5)) == platform::ProjectLock::Outcome::Busy)
      return Fail(kBadInput, options_.project + " is being changed by another gildex run (" + lock->Holder() +
                                 "); nothing was changed");
  }
  if (int code = Load()) return code;
  if (int code = Connect()) return code;
  if (int code = ApplyOverrides()) return code;
  if (int code = FindTarget()) return code;
  InterruptGuard interrupt;
  if (int code = Click()) return code;
  return Finish();
}

int ScopeRun::Load() {
  if (const char* command = std::getenv("GILDEX_BUILD_COMMAND")) vbe_.SetBuildCommand(command);
  // A build command compiles the files on disk: they get the changes first (a dry run
  // switches the build off).
  vbe_.SetBeforeBuild([this](host::MemoryProject& project) {
    const host::SaveResult saved = host::SaveProject(project);
    if (!saved.error.empty()) throw host::HostError(5, saved.error);
    if (!saved.skipped.empty()) throw host::HostError(5, saved.skipped.front().file + ": not written");
    built_and_saved_ = true;
  });
  loaded_ = host::Load(vbe_, options_.project);
  if (!loaded_.readable) return Fail(kBadInput, loaded_.error);
  for (const host::LoadProblem& problem : loaded_.problems)
    err_ << Display(problem.file) << ":" << problem.line << ": " << (problem.fatal ? "error" : "warning") << ": "
         << Display(problem.message) << "\n";
  if (loaded_.HasFatal())
    return Fail(kBadInput, options_.project + " did not load completely; nothing was changed");
  return kDone;
}

int ScopeRun::Connect() {
  context_ = std::make_unique<AppContext>(options_.forced);
  dialogs_ = std::make_unique<WatchedDialogs>(*context_->dialogs);
  services_ = std::make_unique<platform::Services>(platform::Services{
      *dialogs_, context_->clock, context_->timers, context_->loop, context_->registry, context_->env,
      context_->services.program_folder});
  report_ = std::make_unique<ErrorReport>(*dialogs_);
  tools_ = std::make_unique<RegistryTools>(context_->registry, *report_);
  const bool terminal = &err_ == &std::cerr && ::isatty(STDERR_FILENO);
  const bool quiet = options_.quiet;
  std::ostream& err = err_;
  add_in_ = std::make_unique<AddIn>(*services_, *report_, *tools_, platform::WindowsFolder(),
                                    [&err, terminal, quiet](clsMessages&) -> std::unique_ptr<MessageView> {
                                      return std::make_unique<TerminalMessageView>(err, terminal, quiet);
                                    });
  add_in_->Persist(!options_.dry_run);
  add_in_->Main();
  connect_ = std::make_unique<gildex::Connect>(
      *add_in_, ConnectViews{&insert_options_, &options_dialog_, nullptr, nullptr});
  connect_->OnConnection(&vbe_, ext_cm_CommandLine);
  if (!connect_->Connected()) return Fail(kBadInput, "the add-in could not connect");
  // Ctrl-C reaches the engine the way the progress window's Cancel button does: between
  // two procedures, when the engine lets the host run its message loop.
  CGildex& engine = add_in_->Engine();
  context_->loop.OnIdle([&engine, this] {
    if (options_.on_idle) options_.on_idle();
    if (g_interrupted.exchange(false)) {
      err_ << "gildex: cancelling after the current procedure...\n";
      engine.Cancel(true);
    }
  });
  return kDone;
}

int ScopeRun::ApplyOverrides() {
  CGildex& engine = add_in_->Engine();
  bool reload_template = false;
  for (const std::string& setting : options_.settings) {
    const std::size_t equals = setting.find('=');
    if (equals == std::string::npos) return Fail(kBadInput, "--set wants NAME=VALUE, not \"" + setting + "\"");
    const auto name = FromTerminalText(setting.substr(0, equals));
    const auto value = FromTerminalText(setting.substr(equals + 1));
    if (!name || !value) return Fail(kBadInput, "--set " + setting + ": a character has no place in Windows-1252");
    const std::string problem = engine.SetSettingText(*name, *value);
    if (!problem.empty()) return Fail(kBadInput, problem);
    reload_template = true;
  }
  if (!options_.template_name.empty()) {
    const auto name = FromTerminalText(options_.template_name);
    bool found = false;
    for (const std::string& known : TemplateNames(engine.TemplatePath()))
      if (name && cp1252::EqualsNoCase(known, *name)) {
        engine.DefaultTemplate(known);
        found = true;
      }
    if (!found)
      return Fail(kBadInput, "no template named \"" + options_.template_name + "\" in " + engine.TemplatePath() +
                                 " (gildex templates list shows them)");
    reload_template = true;
  }
  if (reload_template) LoadTemplate(engine, "");
  // A dry run writes nothing: no compiled file, and no read-only file checked out of source
  // control (such files are skipped, as without source control).
  if (options_.dry_run) {
    engine.BuildProject(false);
    engine.SourceControl(false);
  }
  if (!options_.script_file.empty()) {
    const auto text = platform::ReadWholeFile(options_.script_file);
    if (!text) return Fail(kBadInput, "cannot read script " + options_.script_file);
    std::string message;
    ScriptErrors result = errSCRIPT_OK;
    add_in_->Scripter().CheckScript(*text, message, result);
    if (result != errSCRIPT_OK) return Fail(kBadInput, options_.script_file + ": " + ValidateMessage(result, message));
    engine.InsertInto("*SCRIPT");
  }
  return kDone;
}

int ScopeRun::FindTarget() {
  if (options_.component.empty() && (!options_.procedure.empty() || options_.selection) &&
      loaded_.projects.size() == 1 && loaded_.projects[0]->ComponentCount() == 1)
    target_ = {loaded_.projects[0], &loaded_.projects[0]->At(0)};
  if (!options_.component.empty()) {
    const auto wanted = FromTerminalText(options_.component);
    for (host::MemoryProject* project : loaded_.projects)
      for (int i = 0; i < project->ComponentCount() && target_.component == nullptr; ++i)
        if (wanted && cp1252::EqualsNoCase(project->At(i).Name(), *wanted)) target_ = {project, &project->At(i)};
    if (target_.component == nullptr)
      return Fail(kBadInput, "no component named \"" + options_.component + "\" in " + options_.project);
  } else if (!options_.procedure.empty() && target_.component == nullptr) {
    // The procedure names its component when exactly one has it.
    for (host::MemoryProject* project : loaded_.projects)
      for (int i = 0; i < project->ComponentCount(); ++i) {
        long first = 0, last = 0;
        if (FindProcedure(project->At(i), first, last)) {
          if (target_.component != nullptr)
            return Fail(kBadInput, "more than one component has a procedure \"" + options_.procedure +
                                       "\": name one with --component");
          target_ = {project, &project->At(i)};
        }
      }
    if (target_.component == nullptr)
      return Fail(kBadInput, "no procedure named \"" + options_.procedure + "\" in " + options_.project);
  } else if (options_.selection && target_.component == nullptr) {
    return Fail(kBadInput, "--selection needs --component");
  }
  if (target_.component == nullptr) return kDone;
  if (target_.component->Code() == nullptr)
    return Fail(kBadInput, "component \"" + options_.component + "\" holds no code");
  vbe_.SetActiveProject(*target_.project);
  vbe_.SelectComponent(*target_.component);
  host::CodeModule& module = *target_.component->Code();
  if (!options_.procedure.empty()) {
    long first = 0, last = 0;
    if (!FindProcedure(*target_.component, first, last))
      return Fail(kBadInput, "no procedure named \"" + options_.procedure + "\" in " + target_.component->Name());
    vbe_.ShowCode(*target_.component);
    // Insert and remove find the procedure under the cursor; numbering works on its lines.
    if (options_.action == ScopeAction::Insert || options_.action == ScopeAction::Remove)
      module.Pane().SetSelection(host::Selection{first, 1, first, 1});
    else
      module.Pane().SetSelection(host::Selection{first, 1, last + 1, 1});
  } else if (options_.selection) {
    const auto [start, end] = *options_.selection;
    if (start < 1 || end < start || end > module.CountOfLines())
      return Fail(kBadInput, "--selection " + std::to_string(start) + ":" + std::to_string(end) + " is outside " +
                                 target_.component->Name() + " (lines 1 to " +
                                 std::to_string(module.CountOfLines()) + ")");
    vbe_.ShowCode(*target_.component);
    module.Pane().SetSelection(host::Selection{start, 1, end + 1, 1});
  }
  return kDone;
}

bool ScopeRun::FindProcedure(host::MemoryComponent& component, long& first, long& last) {
  host::CodeModule* module = component.Code();
  const auto wanted = FromTerminalText(options_.procedure);
  if (module == nullptr || !wanted) return false;
  for (const host::Member& member : module->Members()) {
    if (member.type != host::MemberType::Method && member.type != host::MemberType::Property) continue;
    if (!cp1252::EqualsNoCase(member.name, *wanted)) continue;
    host::ProcKind kind{};
    const std::string name = module->ProcOfLine(member.code_location, kind);
    if (name.empty()) continue;
    first = module->ProcStartLine(name, kind);
    last = first + module->ProcCountLines(name, kind) - 1;
    return true;
  }
  return false;
}

void ScopeRun::ClickOnComponent(host::MemoryComponent& component) {
  const bool form = IsForm(component.Type());
  const bool code_window = options_.selection.has_value() ||
                           (!options_.procedure.empty() && (options_.action == ScopeAction::Number ||
                                                            options_.action == ScopeAction::UnNumber));
  gildex::Connect& c = *connect_;
  switch (options_.action) {
    case ScopeAction::Insert:
      if (!options_.procedure.empty()) return c.hWndModuleFNInsert_Click();
      if (code_window) return c.hWndCodeInsert_Click();
      return form ? c.hWndFormInsert_Click() : c.hWndModuleInsert_Click();
    case ScopeAction::Remove:
      if (!options_.procedure.empty()) return c.hWndModuleFNDelete_Click();
      if (code_window) return c.hWndCodeDelete_Click();
      return form ? c.hWndFormDelete_Click() : c.hWndModuleDelete_Click();
    case ScopeAction::Number:
      if (code_window) return c.hWndCodeNumber_Click();
      return form ? c.hWndFormNumber_Click() : c.hWndModuleNumber_Click();
    case ScopeAction::UnNumber:
      if (code_window) return c.hWndCodeUnNumber_Click();
      return form ? c.hWndFormUnNumber_Click() : c.hWndModuleUnNumber_Click();
  }
}

int ScopeRun::Click() {
  CGildex& engine = add_in_->Engine();
  clsMessages& messages = add_in_->Messages();
  auto take_message = [&](const std::string& prefix) {
    messages_.push_back(prefix + messages.MessageText());
    if (!messages.StatusLines().empty()) reported_ = true;
    messages.Hide();  // as the user closing the window with OK
  };
  if (target_.component != nullptr) {
    ClickOnComponent(*target_.component);
    take_message("");
  } else if (options_.action == ScopeAction::Insert) {
    connect_->hWndProjectInsert_Click();
    take_message("");
  } else if (options_.action == ScopeAction::Remove) {
    connect_->hWndProjectDelete_Click();
    take_message("");
  } else {
    // No project-wide numbering command exists: number each code component as the user
    // would, one click each, until one is cancelled.
    for (host::MemoryProject* project : loaded_.projects) {
      vbe_.SetActiveProject(*project);
      for (int i = 0; i < project->ComponentCount() && !engine.Cancel(); ++i) {
        host::MemoryComponent& component = project->At(i);
        if (component.Code() == nullptr) continue;
        vbe_.SelectComponent(component);
        ClickOnComponent(component);
        take_message(component.Name() + ": ");
      }
    }
  }
  // A dry run keeps standard output for the diff alone.
  std::ostream& said = options_.dry_run ? err_ : out_;
  for (const std::string& message : messages_)
    if (!message.empty()) said << Display(message) << "\n";
  if (options_.action == ScopeAction::Insert && engine.DefaultTemplate().empty()) {
    err_ << "gildex: no template is chosen; choose one with: gildex templates default NAME"
         << " (gildex templates list shows them)\n";
    return kBadInput;
  }
  if (dialogs_->Errors() > 0)
    return Fail(kReported, built_and_saved_ ? "an error was reported above; the changes were written for the build"
                                            : "nothing was written because of the error reported above");
  return kDone;
}

int ScopeRun::Finish() {
  const bool cancelled = add_in_->Engine().Cancel();
  int code = cancelled ? kCancelled : reported_ ? kReported : kDone;
  if (options_.dry_run) {
    code = PrintDiff(code);
  } else {
    const host::SaveResult saved = host::SaveChanged(vbe_);
    if (!saved.error.empty()) return Fail(kBadInput, saved.error);
    for (const host::LoadProblem& skipped : saved.skipped) {
      err_ << Display(skipped.file) << ": not written: " << Display(skipped.message) << "\n";
      if (code == kDone) code = kReported;
    }
    if (!options_.quiet)
      for (const std::string& file : saved.written) err_ << "wrote " << Display(file) << "\n";
  }
  connect_->OnDisconnection(0);
  return code;
}

// What SaveChanged would write, as one diff of the bytes on disk against the bytes it would
// write, passed to standard output untouched so that it applies.
int ScopeRun::PrintDiff(int code) {
  std::vector<host::MemoryComponent*> changed;
  std::vector<std::filesystem::path> files;
  for (host::MemoryProject* project : loaded_.projects)
    for (host::MemoryComponent* component : project->Components()) {
      if (!component->IsDirty()) continue;
      if (!component->Usable() || component->IsReadOnly()) {
        err_ << Display(component->File().string()) << ": not written: "
             << (component->Usable() ? "the file is read-only" : "the file did not load completely") << "\n";
        if (code == kDone) code = kReported;
        continue;
      }
      changed.push_back(component);
      files.push_back(component->File());
    }
  const std::filesystem::path cwd = std::filesystem::current_path();
  const std::filesystem::path root =
      DiffRoot(files, cwd, std::filesystem::absolute(options_.project).parent_path());
  if (!changed.empty() && root != cwd)
    err_ << "gildex: the paths of the diff are relative to " << Display(root.string())
         << "/ (the current folder does not hold every file): apply it there\n";
  for (host::MemoryComponent* component : changed) {
    const auto before = platform::ReadWholeFile(component->File());
    if (!before) {
      err_ << "gildex: cannot read " << Display(component->File().string()) << " to compare it\n";
      if (code == kDone) code = kReported;
      continue;
    }
    const std::string diff = UnifiedDiff(DiffPath(component->File(), root), *before, component->Serialize());
    out_.write(diff.data(), static_cast<std::streamsize>(diff.size()));
  }
  return code;
}

}  // namespace

void RequestCancel() { g_interrupted = true; }

int RunScopeCommand(const ScopeOptions& options, std::ostream& out, std::ostream& err) {
  try {
    return ScopeRun(options, out, err).Run();
  } catch (const std::exception& e) {
    err << "gildex: " << ActionName(options.action) << ": " << Display(e.what()) << "\n";
    return kBadInput;
  }
}

int ScriptCheck(const std::string& file, std::ostream& out, std::ostream& err) {
  const auto text = platform::ReadWholeFile(file);
  if (!text) {
    err << "gildex: cannot read script " << file << "\n";
    return kBadInput;
  }
  platform::UnattendedDialogs dialogs(err);
  ErrorReport report(dialogs);
  const platform::SystemClock clock;
  clsScripter scripter(report, clock);
  std::string message;
  ScriptErrors result = errSCRIPT_OK;
  scripter.CheckScript(*text, message, result);
  out << Display(ValidateMessage(result, message)) << "\n";
  return result == errSCRIPT_OK ? kDone : kBadInput;
}

int Finder(const std::string& file, std::ostream& out, std::ostream& err) {
  const host::VerifyReport report = host::VerifyProject(file, true);
  if (!report.readable) {
    err << "gildex: " << Display(report.error) << "\n";
    return kBadInput;
  }
  for (const host::ProjectInfo& project : report.projects)
    for (const host::ComponentInfo& component : project.components)
      for (const host::ProcedureInfo& proc : component.procedures)
        out << Display(component.name + "." + proc.name) << "\t" << proc.scope << " " << proc.kind << "\tlines "
            << proc.start_line << "-" << proc.end_line << "\n";
  return report.ExitCode() == 2 ? kBadInput : kDone;
}

}  // namespace gildex::app
