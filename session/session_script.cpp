// The player of session scripts: the IDE with the add-in connected at start-up, each step
// done as a user would, its windows answered from the script (scripted_windows.h).
#include "session/session_script.h"

#include <fmt/core.h>

#include <map>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <utility>

#include "host/memory_vbe.h"
#include "ide/command_table.h"
#include "ide/connect.h"
#include "platform/cp1252.h"
#include "session/script_steps.h"
#include "session/scripted_windows.h"
#include "session/session.h"

namespace gildex::session {
namespace {

using namespace script;

class ScriptedSession {
 public:
  ScriptedSession(const std::filesystem::path& base, std::ostream& record, ProblemWords word)
      : base_(base), record_(record), word_(std::move(word)), dialogs_(record, answers_), options_(dialogs_), context_(dialogs_),
        insert_mode_(record, answers_),
        control_templates_(record, answers_), wizard_(record, answers_), help_(record),
        form_converter_(record, answers_, base, [this]() -> gildex::Progress& { return session_.Shared().Messages(); }),
        session_(context_) {}

  void Start() {
    if (!context_.RegistryWarning().empty()) record_ << "  warning: " << Display(context_.RegistryWarning()) << "\n";
    // Loaded with the IDE, before any project is opened.
    const Problem problem = session_.ConnectAddIn(
        ext_cm_Startup, true, [this](clsMessages&) { return std::make_unique<SessionMessageView>(record_); },
        ConnectViews{.insert_options = &insert_mode_,
                     .options_dialog = &options_,
                     .insert_wizard = &wizard_,
                     .form_converter = &form_converter_,
                     .control_templates = &control_templates_,
                     .help_viewer = &help_});
    if (!problem.empty()) throw StepFailed(word_(problem));
  }

  void Run(const ScriptStep& step) {
    if (!RunEditStep(step)) RunIdeStep(step);
  }
  void Idle() {
    context_.loop.DoEvents();
    if (const std::string failure = answers_.TakeFailure(); !failure.empty()) throw StepFailed(failure);
  }
  void Finish() {
    if (answers_.Left() != 0) throw StepFailed(fmt::format("{} answer(s) were never asked for", answers_.Left()));
  }

 private:
  host::MemoryComponent& Component(const std::string& name);
  host::Designer& ActiveDesigner();
  host::VBControl& Control(const std::string& name);
  host::CodePane& ActivePane();
  // The steps on projects, code windows and designers; false for any other step.
  bool RunEditStep(const ScriptStep& step);
  void RunIdeStep(const ScriptStep& step);
  void Click(const std::string& rest);
  void Press(host::CommandBarControl& control, const std::string& what);

  std::filesystem::path base_;
  std::ostream& record_;
  ProblemWords word_;
  Answers answers_;
  SessionDialogs dialogs_;
  SessionOptions options_;
  PlatformContext context_;
  SessionInsertMode insert_mode_;
  SessionControlTemplates control_templates_;
  SessionWizard wizard_;
  SessionHelpViewer help_;
  SessionFormConverter form_converter_;
  Session session_;
  host::MemoryVBE& vbe_ = session_.Vbe();
  host::MemoryComponent* designer_of_ = nullptr;
};

host::MemoryComponent& ScriptedSession::Component(const std::string& name) {
  for (host::MemoryProject* project : vbe_.Projects())
    for (host::MemoryComponent* component : project->Components())
      if (cp1252::EqualsNoCase(component->Name(), name)) return *component;
  throw StepFailed(vbe_.ProjectCount() == 0 ? "no project is open" : "no component named \"" + name + "\"");
}

host::Designer& ScriptedSession::ActiveDesigner() {
  if (designer_of_ == nullptr || !vbe_.HasWindow(*designer_of_, host::WindowType::Designer))
    throw StepFailed("no designer is open: open one with \"designer COMPONENT\"");
  return *designer_of_->GetDesigner();
}

// "Text1" or "Text1(2)" for the element of a control array.
host::VBControl& ScriptedSession::Control(const std::string& name) {
  std::string base = name;
  int index = -1;
  if (const std::size_t open = name.find('('); open != std::string::npos && name.ends_with(")")) {
    base = name.substr(0, open);
    const std::string digits = name.substr(open + 1, name.size() - open - 2);
    if (!IsLineNumber(digits)) throw StepFailed("\"" + name + "\" is no control name");
    index = std::stoi(digits);
  }
  for (host::VBControl* control : ActiveDesigner().Controls())
    if (cp1252::EqualsNoCase(control->Name(), base) && (index < 0 || control->Index() == index))
      return *control;
  throw StepFailed("no control named \"" + name + "\" on " + designer_of_->Name());
}

host::CodePane& ScriptedSession::ActivePane() {
  host::CodePane* pane = vbe_.ActiveCodePane();
  if (pane == nullptr) throw StepFailed("no code window is open: open one with \"code COMPONENT\"");
  return *pane;
}

void ScriptedSession::Press(host::CommandBarControl& control, const std::string& what) {
  if (!control.visible) throw StepFailed(what + " is hidden");
  if (!control.enabled) throw StepFailed(what + " is disabled");
  if (control.kind != host::ControlKind::Button) throw StepFailed(what + " is a menu, not a command");
  bool handled = false, cancel_default = false;
  control.Click.Raise(control, handled, cancel_default);
}

void ScriptedSession::Click(const std::string& rest) {
  std::vector<std::string> words;
  SplitWords(rest, words);
  host::CommandBars& bars = vbe_.Bars();
  if (words.size() == 2 && cp1252::Lower(words[0]) == "tag") {
    host::CommandBarControl* found = bars.FindControl(host::ControlKind::Button, words[1]);
    if (found == nullptr) throw StepFailed("no entry is tagged " + words[1]);
    return Press(*found, "the entry tagged " + words[1]);
  }
  std::vector<std::string> path;
  for (std::size_t at = 0;;) {
    const std::size_t next = rest.find('>', at);
    path.push_back(Trim(rest.substr(at, next == std::string::npos ? std::string::npos : next - at)));
    if (next == std::string::npos) break;
    at = next + 1;
  }
  if (path.size() < 2) throw StepFailed("click wants BAR > CAPTION");
  host::CommandBar* bar = bars.Find(path[0]);
  if (bar == nullptr) throw StepFailed("the IDE has no bar \"" + path[0] + "\"");
  for (std::size_t i = 1; i < path.size(); ++i) {
    auto found = std::find_if(bar->controls.begin(), bar->controls.end(), [&](const auto& control) {
      return cp1252::EqualsNoCase(control->caption, path[i]);
    });
    if (found == bar->controls.end()) throw StepFailed("\"" + path[i] + "\" is not on " + path[i - 1]);
    if (i + 1 == path.size()) return Press(**found, "\"" + path[i] + "\"");
    if (!(*found)->visible) throw StepFailed("\"" + path[i] + "\" is hidden");
    if (!(*found)->popup) throw StepFailed("\"" + path[i] + "\" is a command, not a menu");
    bar = (*found)->popup.get();
  }
}

bool ScriptedSession::RunEditStep(const ScriptStep& step) {
  const std::vector<std::string>& w = step.words;
  if (step.verb == "open") {
    std::filesystem::path path = std::filesystem::path(w[0]);
    if (path.is_relative()) path = base_ / path;
    const std::string problem = session_.Open(path, false);
    const host::LoadResult& loaded = session_.Loaded();
    for (const host::LoadProblem& problem : loaded.problems)
      record_ << "  " << (problem.fatal ? "error" : "warning") << ": "
              << Display(std::filesystem::path(problem.file).filename().string()) << ":" << problem.line << ": "
              << Display(problem.message) << "\n";
    if (!problem.empty()) throw StepFailed(problem);
    for (host::MemoryProject* project : loaded.projects)
      record_ << "  project " << Display(project->Name()) << ": " << project->ComponentCount() << " components\n";
  } else if (step.verb == "select") {
    vbe_.SelectComponent(Component(w[0]));
  } else if (step.verb == "code") {
    host::MemoryComponent& component = Component(w[0]);
    if (component.Code() == nullptr) throw StepFailed(w[0] + " has no code");
    vbe_.ShowCode(component);
  } else if (step.verb == "designer") {
    host::MemoryComponent& component = Component(w[0]);
    if (component.GetDesigner() == nullptr) throw StepFailed(w[0] + " has no designer");
    vbe_.ShowDesigner(component);
    designer_of_ = &component;
  } else if (step.verb == "cursor" || step.verb == "selection") {
    host::CodePane& pane = ActivePane();
    for (const std::string& word : w)
      if (!IsLineNumber(word) || word == "0") throw StepFailed("\"" + word + "\" is no line or column");
    std::vector<long> n;
    for (const std::string& word : w) n.push_back(std::stol(word));
    if (n.size() == 1) n = {n[0], 1, n[0], 1};
    const long lines = pane.Module().CountOfLines();
    if (n[0] > lines + 1 || n[2] > lines + 1 || n[2] < n[0])
      throw StepFailed(fmt::format("the module has {} lines", lines));
    pane.SetSelection(host::Selection{n[0], n[1], n[2], n[3]});
  } else if (step.verb == "controls") {
    std::vector<host::VBControl*> chosen;
    for (const std::string& name : w) chosen.push_back(&Control(name));
    ActiveDesigner().Select(chosen);
  } else if (step.verb == "add") {
    host::VBControl& added = ActiveDesigner().AddControl(w[0]);
    record_ << "  added " << Display(added.Name()) << " (" << added.ClassName() << ")\n";
  } else if (step.verb == "rename") {
    host::VBControl& control = Control(w[0]);
    control.SetName(w[1]);
    record_ << "  renamed to " << Display(control.Name()) << "\n";
  } else if (step.verb == "remove") {
    ActiveDesigner().RemoveControl(Control(w[0]));
  } else if (step.verb == "property") {
    host::VBControl& control = Control(w[0]);
    control.SetPropertyValue(w[1], AfterWords(step.rest, 2));
  } else {
    return false;
  }
  return true;
}

// The steps on the IDE's bars, its answers, files and settings, and the Add-In Manager.
void ScriptedSession::RunIdeStep(const ScriptStep& step) {
  const std::vector<std::string>& w = step.words;
  if (step.verb == "click") {
    Click(step.rest);
  } else if (step.verb == "toolbar") {
    host::CommandBar* bar = vbe_.Bars().Find(kToolbarName);
    if (bar == nullptr) throw StepFailed("the IDE has no \"Gildex\" toolbar");
    if (!bar->visible) throw StepFailed("the \"Gildex\" toolbar is hidden: show it with \"bar Gildex show\"");
    for (auto& control : bar->controls)
      if (cp1252::EqualsNoCase(control->tooltip_text, step.rest)) return Press(*control, "\"" + step.rest + "\"");
    throw StepFailed("the \"Gildex\" toolbar has no button \"" + step.rest + "\"");
  } else if (step.verb == "bar") {
    // As the user shows, hides, docks or drags a toolbar.
    host::CommandBar* bar = vbe_.Bars().Find(w[0]);
    if (bar == nullptr) throw StepFailed("the IDE has no bar \"" + w[0] + "\"");
    static const std::map<std::string, host::BarPosition, std::less<>> kDocks = {
        {"top", host::BarPosition::Top},       {"left", host::BarPosition::Left},
        {"right", host::BarPosition::Right},   {"bottom", host::BarPosition::Bottom},
        {"float", host::BarPosition::Floating}};
    const std::string how = cp1252::Lower(w[1]);
    if (how == "show" || how == "hide") {
      bar->visible = how == "show";
    } else if (const auto dock = kDocks.find(how); dock != kDocks.end()) {
      bar->position = dock->second;
      if (w.size() == 4) {
        if (!IsLineNumber(w[2]) || !IsLineNumber(w[3])) throw StepFailed("TOP and LEFT are numbers");
        bar->top = std::stoi(w[2]);
        bar->left = std::stoi(w[3]);
      }
    } else {
      throw StepFailed("\"" + w[1] + "\" is not show, hide, top, left, right, bottom or float");
    }
  } else if (step.verb == "answer") {
    answers_.Add({AnswerWords().find(cp1252::Lower(w[0]))->second, {w.begin() + 1, w.end()}});
  } else if (step.verb == "save") {
    const host::SaveResult saved = session_.Save();
    for (const std::string& file : saved.written)
      record_ << "  wrote " << Display(std::filesystem::path(file).filename().string()) << "\n";
    for (const host::LoadProblem& skipped : saved.skipped)
      record_ << "  not written: " << Display(std::filesystem::path(skipped.file).filename().string()) << ": "
              << Display(skipped.message) << "\n";
    if (!saved.error.empty()) throw StepFailed(saved.error);
    if (saved.written.empty() && saved.skipped.empty()) record_ << "  nothing to save\n";
  } else if (step.verb == "menus") {
    for (const auto& bar : vbe_.Bars().bars) {
      if (!step.rest.empty() && !cp1252::EqualsNoCase(bar->name, step.rest)) continue;
      const char* shown = bar->position == host::BarPosition::Popup ? " (context menu)"
                          : bar->visible                               ? ""
                                                                       : " (hidden)";
      record_ << "[" << Display(bar->name) << "]" << shown << "\n";
      PrintBar(record_, *bar, 1);
    }
  } else if (step.verb == "print") {
    host::MemoryComponent& component = Component(w[0]);
    host::CodeModule* code = component.Code();
    if (code == nullptr) throw StepFailed(w[0] + " has no code");
    for (long line = 1; line <= code->CountOfLines(); ++line) record_ << "  | " << Display(code->Lines(line, 1)) << "\n";
  } else if (step.verb == "option") {
    // As if chosen in the options dialog for this session; the stored settings stay. One
    // value word loses its quotes as every step's words do ("" is the empty text); more
    // words are the text as written, blanks kept.
    const std::string value = w.size() == 2 ? w[1] : AfterWords(step.rest, 1);
    const Problem problem = session_.ApplyOverrides(Overrides{{{w[0], value}}, "", ""}, false);
    if (!problem.empty()) throw StepFailed(word_(problem));
    // As the dialog's Apply does.
    ShowControlsEntries(vbe_.Bars(), session_.Engine());
  } else if (step.verb == "connect") {
    // As the Add-In Manager does once the IDE runs.
    session_.Connection().OnConnection(&vbe_, ext_cm_AfterStartup);
    if (!session_.Connection().Connected()) throw StepFailed("the add-in could not connect");
  } else if (step.verb == "disconnect") {
    session_.Disconnect();
  }
}

}  // namespace

int RunSessionScript(const std::vector<ScriptStep>& steps, const std::filesystem::path& base, std::ostream& record,
                     const ProblemWords& word) {
  const ScriptStep* current = nullptr;
  try {
    ScriptedSession session(base, record, word);
    session.Start();
    for (const ScriptStep& step : steps) {
      current = &step;
      record << "> " << step.verb << (step.rest.empty() ? "" : " ") << Display(step.rest) << "\n";
      session.Run(step);
      session.Idle();
    }
    current = nullptr;
    session.Finish();
    return 0;
  } catch (const std::exception& e) {
    record << "  error: " << (current ? fmt::format("line {}: ", current->line) : std::string()) << Display(e.what())
           << "\n";
    return 1;
  }
}

}  // namespace gildex::session
