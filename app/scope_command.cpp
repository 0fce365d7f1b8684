#include "app/scope_command.h"

#include <fmt/core.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
#include "templates/commands.h"
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

// Passes every question on and notes the error reports, after which nothing is written. A
// box with nothing to choose (an OK alone) is a line on standard error: a run never waits
// for Enter.
class WatchedDialogs : public platform::Dialogs {
 public:
  WatchedDialogs(platform::Dialogs& inner, Console& console) : inner_(inner), console_(console) {}
  platform::MsgBoxResult MsgBox(const platform::MessageBox& box) override {
    if (box.title == std::string(kAppTitle) + " Error.") ++errors_;
    if ((box.style & 7) != platform::vbOKOnly) {
      console_.EndProgress();  // a question starts on a line of its own
      return inner_.MsgBox(box);
    }
    std::string text = box.prompt;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
      text.replace(at, 2, " ");
    console_.Line("gildex: " + text);
    return platform::vbOK;
  }
  int Errors() const { return errors_; }

 private:
  platform::Dialogs& inner_;
  Console& console_;
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

// The component a progress message of the handlers or the engine names, if any.
std::string ComponentInMessage(const std::string& message) {
  static constexpr std::pair<std::string_view, char> kShapes[] = {
      {"Processing ", ' '}, {"Adding to ", '.'}, {"Adding line-numbers to ", ','}, {"Removing from ", '.'}};
  for (const auto& [prefix, end] : kShapes) {
    if (!message.starts_with(prefix)) continue;
    const std::size_t stop = message.find(end, prefix.size());
    if (stop != std::string::npos) return message.substr(prefix.size(), stop - prefix.size());
  }
  return {};
}

// The run of one command over a loaded IDE.
class ScopeRun {
 public:
  ScopeRun(const ScopeOptions& options, std::ostream& out, std::ostream& err)
      : options_(options), out_(out), err_(err) {}

  int Run();

 private:
  int Fail(int code, const std::string& message) {
    if (console_) console_->EndProgress();
    err_ << "gildex: " << Display(message) << "\n";
    return code;
  }
  bool NeedsTemplate() const {
    return options_.action == ScopeAction::Insert ||
           (options_.action == ScopeAction::Remove && !options_.procedure.empty());
  }
  bool IsInformation(const std::string& status) const;
  void ShowProgress(bool now = false);
  int Load();
  int Connect();
  int ApplyOverrides();
  int FindTarget();
  bool FindProcedure(host::MemoryComponent& component, long& first, long& last);
  int Click();
  void ClickOnComponent(host::MemoryComponent& component);
  int Finish();
  void PrintDiff();

  const ScopeOptions& options_;
  std::ostream& out_;
  std::ostream& err_;
  std::unique_ptr<Console> console_;
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
  bool built_and_saved_ = false;
  // The progress line: the code components in the order the commands walk them.
  std::vector<std::string> walk_;
  std::string current_;
  std::chrono::steady_clock::time_point drawn_{};
};

int ScopeRun::Run() {
  if (!options_.script_file.empty() && options_.action != ScopeAction::Insert)
    return Fail(kBadInput, "--script runs with insert only");
  if (options_.check && options_.dry_run) return Fail(kBadInput, "--check and --dry-run together: choose one");
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
  if (NeedsTemplate() && add_in_->Engine().DefaultTemplate().empty())
    return Fail(kBadInput,
                "no template is chosen; choose one with: gildex templates default NAME (gildex templates list shows "
                "them), or give --template NAME");
  InterruptGuard interrupt;
  if (int code = Click()) return code;
  return Finish();
}

bool ScopeRun::IsInformation(const std::string& status) const {
  if (status.ends_with(" already has error trapping.") || status.ends_with(" too small for error handling.") ||
      status == "Skipping non-code component")
    return true;
  if (status.find(" skipped (") != std::string::npos && status.find("skip tag") != std::string::npos) return true;
  // Related documents and resource files are never code: passing them over is no problem.
  constexpr std::string_view kSkipping = "Skipping component ";
  if (status.starts_with(kSkipping)) {
    const std::string name = status.substr(kSkipping.size());
    for (host::MemoryProject* project : loaded_.projects)
      for (int i = 0; i < project->ComponentCount(); ++i)
        if (project->At(i).Name() == name && project->At(i).Code() == nullptr) return true;
  }
  return false;
}

void ScopeRun::ShowProgress(bool now) {
  if (!console_->Mode().terminal || walk_.empty()) return;
  const auto time = std::chrono::steady_clock::now();
  if (!now && time - drawn_ < std::chrono::milliseconds(50)) return;
  drawn_ = time;
  if (const std::string named = ComponentInMessage(add_in_->Messages().MessageText()); !named.empty())
    current_ = named;
  const auto at = std::find(walk_.begin(), walk_.end(), current_);
  const long index = at == walk_.end() ? 0 : static_cast<long>(at - walk_.begin());
  const ProcedureTally& tally = add_in_->Engine().Tally();
  const bool lines = options_.action == ScopeAction::Number || options_.action == ScopeAction::UnNumber;
  const long done = lines ? tally.line_numbers
                          : tally.changed + tally.already_handled + tally.too_small + tally.skipped + tally.script_failed;
  const long whole = static_cast<long>(walk_.size());
  const std::string name = at == walk_.end() ? std::string() : " " + current_;
  console_->Progress(fmt::format("{} {}/{}{}: {} {}", Console::BarText(0, whole, index), index + 1, whole, name, done,
                                 lines ? "lines" : "procedures"));
}

int ScopeRun::Load() {
  if (const char* command = std::getenv("GILDEX_BUILD_COMMAND")) vbe_.SetBuildCommand(command);
  // A build command compiles the files on disk: they get the changes first (a dry run
  // switches the build off).
  vbe_.SetBeforeBuild([this](host::MemoryProject& project) {
    const host::SaveResult saved = host::SaveProject(project);
    if (!saved.error.empty()) throw host::HostError(5, saved.error);
    if (!saved.skipped.empty()) throw host::HostError(5, saved.skipped.front().file + ": " + saved.skipped.front().message);
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
  const ConsoleMode mode{&err_ == &std::cerr && ::isatty(STDERR_FILENO), options_.verbose, options_.quiet};
  console_ = std::make_unique<Console>(err_, mode, [this](const std::string& line) { return IsInformation(line); });
  context_ = std::make_unique<AppContext>(options_.forced);
  dialogs_ = std::make_unique<WatchedDialogs>(*context_->dialogs, *console_);
  services_ = std::make_unique<platform::Services>(platform::Services{
      *dialogs_, context_->clock, context_->timers, context_->loop, context_->registry, context_->env,
      context_->services.program_folder});
  report_ = std::make_unique<ErrorReport>(*dialogs_);
  tools_ = std::make_unique<RegistryTools>(context_->registry, *report_);
  add_in_ = std::make_unique<AddIn>(*services_, *report_, *tools_, platform::WindowsFolder(),
                                    [this](clsMessages&) -> std::unique_ptr<MessageView> {
                                      return std::make_unique<TerminalMessageView>(*console_);
                                    });
  // A run that writes nothing registers nothing: the add-in list stays as it is.
  add_in_->Persist(!options_.dry_run && !options_.check);
  add_in_->Main();
  connect_ = std::make_unique<gildex::Connect>(
      *add_in_, ConnectViews{.insert_options = &insert_options_, .options_dialog = &options_dialog_});
  // The settings are loaded now; the connection reads the default template's files next.
  if (const std::string problem = StoredTemplateProblem(add_in_->Engine()); !problem.empty())
    return Fail(kBadInput, problem);
  connect_->OnConnection(&vbe_, ext_cm_CommandLine);
  if (!connect_->Connected()) return Fail(kBadInput, "the add-in could not connect");
  // Ctrl-C reaches the engine the way the progress window's Cancel button does: between
  // two procedures, when the engine lets the host run its message loop.
  CGildex& engine = add_in_->Engine();
  context_->loop.OnIdle([&engine, this] {
    if (options_.on_idle) options_.on_idle();
    ShowProgress();
    if (g_interrupted.exchange(false)) {
      console_->Line("gildex: cancelling after the current procedure...");
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
    if (const SettingInfo* info = CGildex::FindSetting(*name))
      if (const std::string problem = SettingValueProblem(*info, *value); !problem.empty())
        return Fail(kBadInput, "--set: " + problem);
    const std::string problem = engine.SetSettingText(*name, *value);
    if (!problem.empty()) return Fail(kBadInput, problem);
    reload_template = true;
  }
  if (!options_.template_name.empty()) {
    const auto name = FromTerminalText(options_.template_name);
    if (!name) return Fail(kBadInput, "--template: a character has no place in Windows-1252");
    std::string problem;
    const std::optional<std::string> found = FindTemplate(engine.TemplatePath(), *name, problem);
    if (!found) return Fail(kBadInput, "--template: " + problem);
    engine.DefaultTemplate(*found);
    reload_template = true;
  }
  if (reload_template) LoadTemplate(engine, "");
  // A run that writes nothing writes no compiled file and checks nothing out either.
  if (options_.dry_run || options_.check) {
    engine.BuildProject(false);
    engine.SourceControl(false);
  }
  if (!options_.script_file.empty()) {
    std::string problem;
    const auto text = ReadScriptFile(options_.script_file, problem);
    if (!text) return Fail(kBadInput, problem);
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
  engine.ResetTally();
  // The component and module commands pass a read-only file over with their own message; the
  // procedure commands do not ask, and their write fails instead.
  const bool gated = options_.procedure.empty() || options_.action == ScopeAction::Number ||
                     options_.action == ScopeAction::UnNumber;
  auto click_on = [&](host::MemoryComponent& component, const std::string& prefix) {
    current_ = component.Name();
    ShowProgress(true);
    ClickOnComponent(component);
    messages_.push_back(prefix + messages.MessageText());
    messages.Hide();  // as the user closing the window with OK
    if (gated && component.IsReadOnly())
      console_->Problem(component.File().string() + ": not processed: the file is read-only");
  };
  for (host::MemoryProject* project : loaded_.projects)
    for (int i = 0; i < project->ComponentCount(); ++i)
      if (project->At(i).Code() != nullptr &&
          (target_.component == nullptr || target_.component == &project->At(i)))
        walk_.push_back(project->At(i).Name());
  if (target_.component != nullptr) {
    click_on(*target_.component, "");
  } else if (options_.action == ScopeAction::Insert || options_.action == ScopeAction::Remove) {
    ShowProgress(true);
    if (options_.action == ScopeAction::Insert)
      connect_->hWndProjectInsert_Click();
    else
      connect_->hWndProjectDelete_Click();
    messages_.push_back(messages.MessageText());
    messages.Hide();
  } else {
    // No project-wide numbering command exists: number each code component as the user
    // would, one click each, until one is cancelled.
    for (host::MemoryProject* project : loaded_.projects) {
      vbe_.SetActiveProject(*project);
      for (int i = 0; i < project->ComponentCount() && !engine.Cancel(); ++i) {
        host::MemoryComponent& component = project->At(i);
        if (component.Code() == nullptr) continue;
        vbe_.SelectComponent(component);
        click_on(component, component.Name() + ": ");
      }
    }
  }
  console_->EndProgress();
  // A dry run keeps standard output for the diff alone.
  std::ostream& said = options_.dry_run ? err_ : out_;
  for (const std::string& message : messages_)
    if (!message.empty()) said << Display(message) << "\n";
  said.flush();
  if (dialogs_->Errors() > 0)
    return Fail(kReported, built_and_saved_ ? "an error was reported above; the changes were written for the build"
                                            : "nothing was written because of the error reported above");
  return kDone;
}

int ScopeRun::Finish() {
  const bool cancelled = add_in_->Engine().Cancel();
  long changed_files = 0;
  for (host::MemoryProject* project : loaded_.projects)
    for (int i = 0; i < project->ComponentCount(); ++i)
      if (project->At(i).IsDirty()) ++changed_files;
  long files = changed_files;
  if (options_.check) {
    // Like `git diff --exit-code`: the answer is the exit code.
  } else if (options_.dry_run) {
    PrintDiff();
  } else {
    const host::SaveResult saved = host::SaveChanged(vbe_);
    if (!saved.error.empty()) return Fail(kBadInput, saved.error);
    for (const host::LoadProblem& skipped : saved.skipped) console_->Problem(skipped.file + ": " + skipped.message);
    files = static_cast<long>(saved.written.size());
    if (!console_->Mode().terminal || console_->Mode().verbose)
      for (const std::string& file : saved.written) console_->Line("wrote " + file);
  }
  // Disconnecting lets go of the engine and its tally.
  const ProcedureTally tally = add_in_->Engine().Tally();
  connect_->OnDisconnection(0);
  console_->Line("gildex: " +
                 SummaryLine(options_.action, tally, changed_files, files, options_.dry_run || options_.check));
  if (cancelled) return kCancelled;
  if (console_->Problems() > 0 || (options_.check && changed_files > 0)) return kReported;
  return kDone;
}

// What SaveChanged would write, as one diff of the bytes on disk against the bytes it would
// write, passed to standard output untouched so that it applies.
void ScopeRun::PrintDiff() {
  std::vector<host::MemoryComponent*> changed;
  std::vector<std::filesystem::path> files;
  for (host::MemoryProject* project : loaded_.projects)
    for (host::MemoryComponent* component : project->Components()) {
      if (!component->IsDirty()) continue;
      if (const std::string why = host::WhyNotWritable(*component); !why.empty()) {
        console_->Problem(component->File().string() + ": not written: " + why);
        continue;
      }
      changed.push_back(component);
      files.push_back(component->File());
    }
  const std::filesystem::path cwd = std::filesystem::current_path();
  const std::filesystem::path root =
      DiffRoot(files, cwd, std::filesystem::absolute(options_.project).parent_path());
  if (!changed.empty() && root != cwd)
    console_->Line("gildex: the paths of the diff are relative to " + root.string() +
                   "/ (the current folder does not hold every file): apply it there");
  for (host::MemoryComponent* component : changed) {
    const auto before = platform::ReadWholeFile(component->File());
    if (!before) {
      console_->Problem("gildex: cannot read " + component->File().string() + " to compare it");
      continue;
    }
    const std::string diff = UnifiedDiff(DiffPath(component->File(), root), *before, component->Serialize());
    out_.write(diff.data(), static_cast<std::streamsize>(diff.size()));
  }
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

namespace {

std::string Count(long n, std::string_view one, std::string_view many) {
  return fmt::format("{} {}", n, n == 1 ? one : many);
}

// Scripts larger than this are not scripts: a device or a log file given by mistake.
constexpr std::uintmax_t kMaxScriptBytes = 16 * 1024 * 1024;

// Decodes UTF-8 or UTF-16 text into Windows-1252; false at the first character the code
// page cannot hold (or a broken sequence), with `bad` telling which.
bool Decode(std::string_view bytes, int unit, bool big_endian, std::string& out, std::string& bad) {
  auto fail = [&bad](std::string why) {
    bad = std::move(why);
    return false;
  };
  auto code_unit = [&](std::size_t at) -> char32_t {
    const auto b0 = static_cast<unsigned char>(bytes[at]), b1 = static_cast<unsigned char>(bytes[at + 1]);
    return big_endian ? (b0 << 8 | b1) : (b1 << 8 | b0);
  };
  for (std::size_t at = 0; at < bytes.size();) {
    char32_t code_point = 0;
    if (unit == 2) {
      if (at + 1 >= bytes.size()) return fail("an odd number of bytes for UTF-16");
      code_point = code_unit(at);
      at += 2;
      if (code_point >= 0xD800 && code_point < 0xDC00 && at + 1 < bytes.size()) {
        const char32_t low = code_unit(at);
        if (low >= 0xDC00 && low < 0xE000) {
          code_point = 0x10000 + ((code_point - 0xD800) << 10) + (low - 0xDC00);
          at += 2;
        }
      }
    } else {
      const std::optional<char32_t> decoded = cp1252::NextUtf8(bytes, at);
      if (!decoded) return fail("bytes that are not UTF-8");
      code_point = *decoded;
    }
    const std::optional<char> byte = cp1252::FromUnicode(code_point);
    if (!byte) return fail(fmt::format("the character U+{:04X}, which Windows-1252 cannot store", +code_point));
    out += *byte;
  }
  return true;
}

}  // namespace

std::string SummaryLine(ScopeAction action, const ProcedureTally& tally, long changed_files, long written_files,
                        bool would) {
  std::vector<std::string> parts;
  const bool insert = action == ScopeAction::Insert;
  if (insert || action == ScopeAction::Remove) {
    std::string procedures = Count(tally.changed, "procedure changed", "procedures changed");
    if (tally.already_handled > 0)
      procedures += fmt::format(", {} {}", tally.already_handled, insert ? "already handled" : "had nothing to remove");
    if (tally.too_small > 0) procedures += fmt::format(", {} too small", tally.too_small);
    if (tally.skipped > 0) procedures += fmt::format(", {} skipped", tally.skipped);
    if (tally.script_failed > 0)
      procedures += ", " + Count(tally.script_failed, "script failure", "script failures");
    parts.push_back(procedures);
  }
  const bool numbering = action == ScopeAction::Insert || action == ScopeAction::Number;
  if (tally.line_numbers > 0 || !(insert || action == ScopeAction::Remove))
    parts.push_back(numbering ? Count(tally.line_numbers, "line numbered", "lines numbered")
                              : Count(tally.line_numbers, "line number removed", "line numbers removed"));
  if (changed_files == 0)
    parts.push_back("nothing to change");
  else
    parts.push_back(Count(written_files, "file", "files") + (would ? " would be written" : " written"));
  std::string line;
  for (const std::string& part : parts) line += (line.empty() ? "" : "; ") + part;
  return line + ".";
}

std::optional<std::string> ReadScriptFile(const std::string& file, std::string& problem) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) {
    problem = fmt::format("cannot read script {}: {}", file, std::strerror(errno));
    return std::nullopt;
  }
  if (S_ISDIR(info.st_mode)) {
    problem = fmt::format("{} is a folder, not a script file", file);
    return std::nullopt;
  }
  if (!S_ISREG(info.st_mode)) {
    problem = fmt::format("{} is not a regular file (a device, pipe or socket), so it is no script", file);
    return std::nullopt;
  }
  const std::string too_large = fmt::format("{} is larger than 16 MB, too large for a script", file);
  if (static_cast<std::uintmax_t>(info.st_size) > kMaxScriptBytes) {
    problem = too_large;
    return std::nullopt;
  }
  std::ifstream in(file, std::ios::binary);
  std::string bytes;
  char chunk[65536];
  do {
    in.read(chunk, sizeof chunk);
    bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
  } while (in && bytes.size() <= kMaxScriptBytes);
  if (in.bad() || (!in.eof() && bytes.size() <= kMaxScriptBytes)) {
    problem = fmt::format("cannot read script {}: {}", file, std::strerror(errno));
    return std::nullopt;
  }
  if (bytes.size() > kMaxScriptBytes) {  // it grew while being read
    problem = too_large;
    return std::nullopt;
  }
  const std::string_view view(bytes);
  int unit = 0;
  bool big_endian = false;
  std::size_t mark = 0;
  if (view.starts_with("\xEF\xBB\xBF")) unit = 1, mark = 3;
  else if (view.starts_with("\xFF\xFE")) unit = 2, mark = 2;
  else if (view.starts_with("\xFE\xFF")) unit = 2, mark = 2, big_endian = true;
  if (unit == 0) return bytes;  // Windows-1252, as the scripting control reads a script
  std::string text, bad;
  if (!Decode(view.substr(mark), unit, big_endian, text, bad)) {
    problem = fmt::format("{}: the {} script holds {}", file, unit == 1 ? "UTF-8" : "UTF-16", bad);
    return std::nullopt;
  }
  return text;
}

int ScriptCheck(const std::string& file, std::ostream& out, std::ostream& err) {
  std::string problem;
  const auto text = ReadScriptFile(file, problem);
  if (!text) {
    err << "gildex: " << problem << "\n";
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
