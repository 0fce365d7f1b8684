#include "session/session.h"

#include <fmt/core.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/cp1252.h"
#include "session/repository_settings.h"
#include "templates/scripter.h"
#include "templates/template_rules.h"
#include "templates/template_files.h"

namespace gildex::session {
namespace {

bool IsForm(host::ComponentType type) {
  return type == host::ComponentType::VBForm || type == host::ComponentType::VBMDIForm;
}

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

bool Numbers(ScopeAction action) { return action == ScopeAction::Number || action == ScopeAction::UnNumber; }

}  // namespace

// The insert-mode window of a host that shows none: "Selected Text" stays chosen unless the
// target asks for the whole module.
class Session::SelectionMode : public InsertOptionsView {
 public:
  void ShowModal(frmInsertOptions& form) override {
    if (whole_module) form.ChooseEntireModule();
    form.cmdGo_Click();
  }
  bool whole_module = false;
};

class Session::NoOptionsDialog : public OptionsDialogView {
 public:
  void ShowOptions() override {}
};

Session::Session(PlatformContext& context)
    : context_(context),
      selection_mode_(std::make_unique<SelectionMode>()),
      options_dialog_(std::make_unique<NoOptionsDialog>()) {}

Session::~Session() = default;

std::string Session::Open(const std::filesystem::path& project, bool writing, std::chrono::milliseconds wait) {
  // The repository's own settings first: a bad line stops the run before anything is touched.
  bool settings_changed = false;
  if (Problem problem = UseRepositorySettings(context_, project, &settings_changed); !problem.empty())
    return problem.what;
  if (settings_changed) ReloadAddInSettings();
  // Loading the settings puts the project's code page in use for all that is shown of it.
  context_.Engine();
  // A writing run has the project to itself until it ends.
  if (writing) {
    lock_.emplace(project);
    if (lock_->Take(wait) == platform::ProjectLock::Outcome::Busy)
      return project.string() + " is being changed by another gildex run (" + lock_->Holder() +
             "); nothing was changed";
  }
  if (const char* command = std::getenv("GILDEX_BUILD_COMMAND")) vbe_.SetBuildCommand(command);
  // A build command compiles the files on disk: they get the changes first.
  vbe_.SetBeforeBuild([this](host::MemoryProject& built) {
    const host::SaveResult saved = host::SaveProject(built);
    if (!saved.error.empty()) throw host::HostError(5, saved.error);
    if (!saved.skipped.empty()) throw host::HostError(5, saved.skipped.front().file + ": " + saved.skipped.front().message);
    built_and_saved_ = true;
  });
  opened_ = project;
  vbe_.SetLoadingStep([this] {
    if (on_idle_) on_idle_();
  });
  loaded_ = host::Load(vbe_, project);
  vbe_.SetLoadingStep(nullptr);
  if (!loaded_.readable) return loaded_.error;
  if (!loaded_.missing.empty()) {
    // As the VB6 IDE does: the user decides whether a project without these files is worth
    // working on. The project file keeps its lines either way.
    platform::MessageBox box;
    box.title = std::string(kAppTitle);
    box.style = platform::vbYesNo | platform::vbQuestion | platform::vbDefaultButton2;
    box.prompt = "These member files could not be found:";
    for (const host::LoadProblem& missing : loaded_.missing)
      box.prompt += "\r\n" + missing.file + ":" + std::to_string(missing.line) + ": " + missing.message;
    box.prompt += "\r\nContinue loading without them?";
    if (context_.dialogs.MsgBox(box) != platform::vbYes)
      return project.string() + ": loading stopped at the missing files; nothing was changed";
    host::DropMissingMembers(loaded_);
  }
  if (loaded_.HasFatal()) return project.string() + " did not load completely; nothing was changed";
  return {};
}

void Session::Close() {
  project_ = nullptr;
  component_ = nullptr;
  walk_.clear();
  current_.clear();
  for (host::MemoryProject* project : vbe_.Projects()) vbe_.RemoveProject(*project);
  loaded_ = {};
  opened_.clear();
  lock_.reset();
  // The next project may have no settings file of its own.
  if (!context_.tools.Overlaid().empty()) {
    context_.tools.Overlay({});
    context_.ReloadSettings();
    ReloadAddInSettings();
  }
}

void Session::ReloadAddInSettings() {
  if (add_in_ == nullptr || !add_in_->HasEngine()) return;
  CGildex& engine = add_in_->Engine();
  engine.LoadSettings();
  LoadTemplate(engine, "");
}

std::optional<platform::MessageBox> Session::SaveChangesBox() const {
  const std::vector<host::MemoryComponent*> changed = Changed();
  if (changed.empty()) return std::nullopt;
  platform::MessageBox box;
  box.title = std::string(kAppTitle);
  box.style = platform::vbYesNoCancel | platform::vbExclamation;
  box.prompt = "Save changes to the following files?";
  for (host::MemoryComponent* component : changed) box.prompt += "\r\n" + component->File().string();
  return box;
}

Problem Session::ConnectAddIn(ConnectMode mode, bool persist, MessageViewFactory make_view, ConnectViews views) {
  // Connecting again after a disconnection: the old connection lets go of its add-in first.
  connect_.reset();
  add_in_.reset();
  add_in_ = std::make_unique<AddIn>(context_.services, context_.report, context_.tools, platform::WindowsFolder(),
                                    std::move(make_view), &context_.Engine());
  add_in_->Persist(persist);
  add_in_->Main();
  if (views.insert_options == nullptr) views.insert_options = selection_mode_.get();
  if (views.options_dialog == nullptr) views.options_dialog = options_dialog_.get();
  connect_ = std::make_unique<gildex::Connect>(*add_in_, views);
  // The settings are loaded now; the connection reads the default template's files next.
  if (Problem problem = StoredTemplateProblem(add_in_->Engine()); !problem.empty()) return problem;
  connect_->OnConnection(&vbe_, mode);
  if (!connect_->Connected()) return "the add-in could not connect";
  // The command-line mode builds no menus but follows the IDE's events all the same: every
  // write goes through the write-file request (backups), and a renamed control carries its
  // event procedures along.
  if (mode == ext_cm_CommandLine) {
    connect_->Events().CreateEventProcs();
    // A run saves once, at its end: a timed save in the middle (or in a dry run) would write
    // what the command has not finished, and ask its question in the middle of the output.
    add_in_->Engine().AutoSave(false);
  }
  // A cancel reaches the engine the way the progress window's Cancel button does: between
  // two procedures, when the engine lets the host run its message loop.
  if (!idle_hooked_) {
    idle_hooked_ = true;
    context_.loop.OnIdle([this, alive = std::weak_ptr<void>(alive_)] {
      if (!alive.expired() && on_idle_) on_idle_();
    });
  }
  return {};
}

Problem Session::ApplyOverrides(const Overrides& overrides, bool write_nothing) {
  CGildex& engine = Engine();
  bool reload_template = false;
  for (const auto& [name, value] : overrides.settings) {
    const SettingInfo* info = CGildex::FindSetting(name);
    if (info == nullptr)
      return {"there is no setting named \"" + name + "\"", ProblemSubject::Setting, Remedy::ListSettings};
    if (std::string problem = SettingValueProblem(*info, value); !problem.empty())
      return {std::move(problem), ProblemSubject::Setting};
    if (std::string problem = engine.SetSettingText(name, value); !problem.empty()) return problem;
    reload_template = true;
  }
  if (!overrides.template_name.empty()) {
    Problem problem;
    const std::optional<std::string> found = FindTemplate(engine.TemplatePath(), overrides.template_name, problem);
    if (!found) {
      problem.subject = ProblemSubject::Template;
      return problem;
    }
    engine.DefaultTemplate(*found);
    reload_template = true;
  }
  if (reload_template) LoadTemplate(engine, "");
  if (write_nothing) {
    engine.BuildProject(false);
    engine.SourceControl(false);
  }
  if (!overrides.script_file.empty()) {
    std::string problem;
    const auto text = ReadScriptFile(overrides.script_file, problem);
    if (!text) return problem;
    std::string message;
    ScriptErrors result = errSCRIPT_OK;
    add_in_->Scripter().CheckScript(*text, message, result);
    if (result != errSCRIPT_OK) return overrides.script_file + ": " + ValidateMessage(result, message);
    engine.InsertInto("*SCRIPT");
  }
  return {};
}

Problem Session::Select(ScopeAction action, const ScopeTarget& target) {
  action_ = action;
  target_ = target;
  selection_mode_->whole_module = target.whole_module;
  project_ = nullptr;
  component_ = nullptr;
  const std::string where = opened_.string();
  if (target.component.empty() && (!target.procedure.empty() || target.selection) && loaded_.projects.size() == 1 &&
      loaded_.projects[0]->ComponentCount() == 1) {
    project_ = loaded_.projects[0];
    component_ = &project_->At(0);
  }
  // The lines of the procedure named, once found.
  std::optional<std::pair<long, long>> found;
  if (!target.component.empty()) {
    for (host::MemoryProject* project : loaded_.projects)
      for (int i = 0; i < project->ComponentCount() && component_ == nullptr; ++i)
        if (cp1252::EqualsNoCase(project->At(i).Name(), target.component)) project_ = project, component_ = &project->At(i);
    if (component_ == nullptr) return "no component named \"" + target.component + "\" in " + where;
  } else if (!target.procedure.empty() && component_ == nullptr) {
    // The procedure names its component when exactly one has it.
    for (host::MemoryProject* project : loaded_.projects)
      for (int i = 0; i < project->ComponentCount(); ++i) {
        long first = 0, last = 0;
        if (!FindProcedure(project->At(i), target.procedure, first, last)) continue;
        if (component_ != nullptr)
          return {"more than one component has a procedure \"" + target.procedure + "\"", Remedy::NameComponent};
        project_ = project, component_ = &project->At(i);
        found = {first, last};
      }
    if (component_ == nullptr) return "no procedure named \"" + target.procedure + "\" in " + where;
  } else if (target.selection && component_ == nullptr) {
    return {"", ProblemSubject::Selection, Remedy::NameComponent};
  }
  walk_.clear();
  for (host::MemoryProject* project : loaded_.projects)
    for (int i = 0; i < project->ComponentCount(); ++i)
      if (project->At(i).Code() != nullptr && (component_ == nullptr || component_ == &project->At(i)))
        walk_.push_back(project->At(i).Name());
  if (component_ != nullptr) {
    if (component_->Code() == nullptr) return "component \"" + component_->Name() + "\" holds no code";
    vbe_.SetActiveProject(*project_);
    vbe_.SelectComponent(*component_);
    host::CodeModule& module = *component_->Code();
    if (!target.procedure.empty()) {
      if (!found) {
        long first = 0, last = 0;
        if (!FindProcedure(*component_, target.procedure, first, last))
          return "no procedure named \"" + target.procedure + "\" in " + component_->Name();
        found = {first, last};
      }
      const auto [first, last] = *found;
      vbe_.ShowCode(*component_);
      // Insert and remove find the procedure under the cursor; numbering works on its lines.
      module.Pane().SetSelection(Numbers(action) ? host::Selection{first, 1, last + 1, 1}
                                                 : host::Selection{first, 1, first, 1});
    } else if (target.selection) {
      const auto [start, end] = *target.selection;
      if (start < 1 || end < start || end > module.CountOfLines())
        return {std::to_string(start) + ":" + std::to_string(end) + " is outside " + component_->Name() +
                    " (lines 1 to " + std::to_string(module.CountOfLines()) + ")",
                ProblemSubject::Selection};
      vbe_.ShowCode(*component_);
      module.Pane().SetSelection(host::Selection{start, 1, end + 1, 1});
    }
  }
  const bool needs_template =
      action == ScopeAction::Insert || (action == ScopeAction::Remove && !target.procedure.empty());
  if (needs_template) return TemplateChoiceProblem(Engine());
  return {};
}

bool Session::FindProcedure(host::MemoryComponent& component, const std::string& procedure, long& first, long& last) {
  host::CodeModule* module = component.Code();
  if (module == nullptr) return false;
  for (const host::Member& member : module->Members()) {
    if (member.type != host::MemberType::Method && member.type != host::MemberType::Property) continue;
    if (!cp1252::EqualsNoCase(member.name, procedure)) continue;
    host::ProcKind kind{};
    const std::string name = module->ProcOfLine(member.code_location, kind);
    if (name.empty()) continue;
    first = module->ProcStartLine(name, kind);
    last = first + module->ProcCountLines(name, kind) - 1;
    return true;
  }
  return false;
}

void Session::ClickOnComponent(host::MemoryComponent& component) {
  const bool form = IsForm(component.Type());
  const bool procedure = !target_.procedure.empty();
  const bool code_window = target_.selection.has_value() || (procedure && Numbers(action_));
  gildex::ScopeCommands& c = connect_->Scope();
  switch (action_) {
    case ScopeAction::Insert:
      if (procedure) return c.hWndModuleFNInsert_Click();
      if (code_window) return c.hWndCodeInsert_Click();
      return form ? c.hWndFormInsert_Click() : c.hWndModuleInsert_Click();
    case ScopeAction::Remove:
      if (procedure) return c.hWndModuleFNDelete_Click();
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

CommandOutcome Session::Run() {
  CommandOutcome outcome;
  CGildex& engine = Engine();
  clsMessages& messages = add_in_->Messages();
  engine.ResetTally();
  const long errors_before = context_.report.Shown();
  auto step = [this](const std::string& component) {
    current_ = component;
    if (on_step_) on_step_();
  };
  // The component and module commands pass a read-only file over with their own message; the
  // procedure commands do not ask, and their write fails instead.
  const bool gated = target_.procedure.empty() || Numbers(action_);
  long code_components = 0, read_only = 0;
  auto passed_over = [&](host::MemoryComponent& component) {
    ++code_components;
    if (!gated || !component.IsReadOnly()) return;
    ++read_only;
    outcome.problems.push_back(component.File().string() + ": not processed: the file is read-only");
  };
  auto click_on = [&](host::MemoryComponent& component, const std::string& prefix) {
    step(component.Name());
    ClickOnComponent(component);
    outcome.messages.push_back(prefix + messages.MessageText());
    messages.Hide();  // as the user closing the window with OK
    passed_over(component);
  };
  if (component_ != nullptr) {
    click_on(*component_, "");
  } else if (action_ == ScopeAction::Insert || action_ == ScopeAction::Remove) {
    step({});
    if (action_ == ScopeAction::Insert)
      connect_->Scope().hWndProjectInsert_Click();
    else
      connect_->Scope().hWndProjectDelete_Click();
    outcome.messages.push_back(messages.MessageText());
    messages.Hide();
    // The project command only says "Skipping component NAME"; the file and why come here, as
    // for one component.
    for (host::MemoryProject* project : loaded_.projects)
      for (host::MemoryComponent* component : project->Components())
        if (component->Code() != nullptr) passed_over(*component);
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
  outcome.errors_reported = context_.report.Shown() - errors_before;
  outcome.cancelled = engine.Cancel();
  outcome.all_read_only = code_components > 0 && read_only == code_components;
  return outcome;
}

void Session::Cancel() {
  if (add_in_ != nullptr && add_in_->HasEngine()) add_in_->Engine().Cancel(true);
}

Progress Session::CurrentProgress() const {
  Progress progress;
  if (add_in_ == nullptr || walk_.empty()) return progress;
  std::string current = current_;
  if (add_in_->HasMessages())
    if (const std::string named = ComponentInMessage(add_in_->Messages().MessageText()); !named.empty()) current = named;
  const auto at = std::find(walk_.begin(), walk_.end(), current);
  progress.whole = static_cast<long>(walk_.size());
  progress.index = at == walk_.end() ? 0 : static_cast<long>(at - walk_.begin());
  if (at != walk_.end()) progress.component = current;
  progress.lines = Numbers(action_);
  if (add_in_->HasEngine()) {
    const ProcedureTally& tally = add_in_->Engine().Tally();
    progress.done = progress.lines ? tally.line_numbers
                                   : tally.changed + tally.already_handled + tally.too_small + tally.skipped +
                                         tally.script_failed;
  }
  return progress;
}

std::vector<host::MemoryComponent*> Session::Changed() const {
  std::vector<host::MemoryComponent*> changed;
  for (host::MemoryProject* project : loaded_.projects)
    for (host::MemoryComponent* component : project->Components())
      if (component->IsDirty()) changed.push_back(component);
  return changed;
}

host::SaveResult Session::Save() { return host::SaveChanged(vbe_); }

ProcedureTally Session::Tally() const {
  return add_in_ != nullptr && add_in_->HasEngine() ? add_in_->Engine().Tally() : ProcedureTally{};
}

void Session::Disconnect() {
  if (connect_ != nullptr && connect_->Connected()) connect_->OnDisconnection(0);
}

bool Session::IsInformation(const std::string& status) const {
  if (status.ends_with(" already has error trapping.") || status.ends_with(" too small for error handling.") ||
      status == "Skipping non-code component" ||
      status.find(" left as it was: its error handling does not match the template ") != std::string::npos)
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

host::VBComponent* FindComponent(host::VBE& vbe, const std::string& name_or_file) {
  for (int p = 1; p <= vbe.ProjectCount(); ++p)
    if (host::VBComponent* component = vbe.Project(p).FindComponent(name_or_file)) return component;
  std::error_code ec;
  for (int p = 1; p <= vbe.ProjectCount(); ++p)
    for (int c = 1; c <= vbe.Project(p).ComponentCount(); ++c) {
      const std::string file = vbe.Project(p).Component(c).FileNames(1);
      if (!file.empty() && !name_or_file.empty() && std::filesystem::equivalent(file, name_or_file, ec))
        return &vbe.Project(p).Component(c);
    }
  return nullptr;
}

namespace {

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

}  // namespace gildex::session
