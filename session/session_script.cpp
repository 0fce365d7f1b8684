#include "session/session_script.h"

#include <fmt/core.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <utility>

#include "host/memory_vbe.h"
#include "host/project_loader.h"
#include "platform/atomic_file.h"
#include "session/session.h"
#include "templates/commands.h"
#include "ide/add_in.h"
#include "ide/command_table.h"
#include "common/event_list.h"
#include "ide/connect.h"
#include "ide/insert_wizard.h"
#include "platform/cp1252.h"
#include "tools/asp_converter.h"
#include "tools/control_template.h"
#include "tools/message_view.h"

namespace gildex::session {
namespace {

// A session script is a short text a person writes.
constexpr std::uintmax_t kMaxScriptBytes = 1024 * 1024;

std::string Display(std::string_view bytes) { return cp1252::ToDisplay(bytes); }

std::string Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t\r");
  return std::string(text.substr(first, last - first + 1));
}

// Words separated by blanks; "a b" is one word, "" inside quotes a quote.
bool SplitWords(std::string_view text, std::vector<std::string>& words) {
  for (std::size_t at = 0; at < text.size();) {
    if (text[at] == ' ' || text[at] == '\t') {
      ++at;
      continue;
    }
    std::string word;
    if (text[at] == '"') {
      for (++at;; ++at) {
        if (at >= text.size()) return false;
        if (text[at] == '"') {
          if (at + 1 < text.size() && text[at + 1] == '"') {
            word += '"';
            ++at;
            continue;
          }
          ++at;
          break;
        }
        word += text[at];
      }
    } else {
      while (at < text.size() && text[at] != ' ' && text[at] != '\t') word += text[at++];
    }
    words.push_back(std::move(word));
  }
  return true;
}

// The text after the first `count` words, as written (a value keeps its blanks and quotes).
std::string AfterWords(std::string_view text, int count) {
  std::size_t at = 0;
  for (int i = 0; i < count; ++i) {
    at = text.find_first_not_of(" \t", at);
    if (at == std::string_view::npos) return {};
    if (text[at] == '"') {
      for (++at; at < text.size(); ++at)
        if (text[at] == '"' && !(at + 1 < text.size() && text[at + 1] == '"')) break;
        else if (text[at] == '"') ++at;
      ++at;
    } else {
      at = text.find_first_of(" \t", at);
      if (at == std::string_view::npos) return {};
    }
  }
  return Trim(text.substr(std::min(at, text.size())));
}

constexpr const char* kAnswerUsage =
    "answer yes|no|ok|cancel|abort|retry|ignore|selected|module|close | answer template NAME | "
    "answer convert [file|title|keywords|description|method|action VALUE | replace yes|no]... | "
    "answer wizard TEMPLATE all|subs|functions|properties|EVENT COMPONENT...";

struct VerbShape {
  const char* verb;
  int min_words, max_words;  // -1: any number
  const char* usage;
};

constexpr VerbShape kVerbs[] = {
    {"open", 1, 1, "open PATH"},
    {"select", 1, 1, "select COMPONENT"},
    {"code", 1, 1, "code COMPONENT"},
    {"designer", 1, 1, "designer COMPONENT"},
    {"cursor", 1, 1, "cursor LINE"},
    {"selection", 4, 4, "selection START_LINE START_COLUMN END_LINE END_COLUMN"},
    {"controls", 0, -1, "controls [NAME...]"},
    {"add", 1, 1, "add CLASS"},
    {"rename", 2, 2, "rename NAME NEW_NAME"},
    {"remove", 1, 1, "remove NAME"},
    {"property", 3, -1, "property NAME PROPERTY VALUE"},
    {"click", 1, -1, "click BAR > CAPTION [> CAPTION...] | click tag TAG"},
    {"toolbar", 1, -1, "toolbar TOOLTIP"},
    {"answer", 1, -1, kAnswerUsage},
    {"bar", 2, 4, "bar NAME show|hide|top|left|right|bottom|float [TOP LEFT]"},
    {"save", 0, 0, "save"},
    {"menus", 0, -1, "menus [BAR]"},
    {"print", 1, 1, "print COMPONENT"},
    {"option", 2, -1, "option NAME VALUE"},
    {"connect", 0, 0, "connect"},
    {"disconnect", 0, 0, "disconnect"},
};

bool IsLineNumber(const std::string& word) {
  return !word.empty() && word.size() <= 9 && std::all_of(word.begin(), word.end(), [](char c) {
    return c >= '0' && c <= '9';
  });
}

// The windows' answers; a box's are its buttons, all positive.
constexpr int kSelectedText = -1, kEntireModule = -2, kCloseWindow = -3, kChooseTemplate = -4, kConvert = -5,
              kWizard = -6;

// The answers a script may give, by word.
const std::map<std::string, int, std::less<>>& AnswerWords() {
  static const std::map<std::string, int, std::less<>> kWords = {
      {"ok", platform::vbOK},       {"cancel", platform::vbCancel}, {"abort", platform::vbAbort},
      {"retry", platform::vbRetry}, {"ignore", platform::vbIgnore}, {"yes", platform::vbYes},
      {"no", platform::vbNo},       {"selected", kSelectedText},    {"module", kEntireModule},
      {"close", kCloseWindow},      {"template", kChooseTemplate},  {"convert", kConvert},
      {"wizard", kWizard}};
  return kWords;
}

// The wizard's procedure filters by word, as the entries of its insert-option list; any
// other word is an event ("Click" or "_Click").
constexpr const char* kWizardFilters[] = {"all", "subs", "functions", "properties"};

// The event of the wizard's event list that `word` names; nothing when none.
std::optional<int> WizardEvent(const std::string& word) {
  const std::string suffix = word.starts_with("_") ? word : "_" + word;
  for (std::size_t i = 0; i < kEventSuffixes.size(); ++i)
    if (cp1252::EqualsNoCase(kEventSuffixes[i], suffix)) return static_cast<int>(i);
  return std::nullopt;
}

// The converter window's fields an answer may fill.
constexpr const char* kConverterFields[] = {"file", "title", "keywords", "description", "method", "action", "replace"};

// Why the words after `answer` do not make one answer; empty when they do.
std::string AnswerProblem(const std::vector<std::string>& words) {
  const auto known = AnswerWords().find(cp1252::Lower(words[0]));
  if (known == AnswerWords().end()) return std::string("the step is written ") + kAnswerUsage;
  if (known->second == kChooseTemplate)
    return words.size() == 2 ? "" : "the step is written answer template NAME";
  if (known->second == kWizard) {
    if (words.size() < 4) return "the step is written answer wizard TEMPLATE FILTER COMPONENT...";
    const std::string filter = cp1252::Lower(words[2]);
    if (std::none_of(std::begin(kWizardFilters), std::end(kWizardFilters), [&](const char* f) { return filter == f; }) &&
        !WizardEvent(words[2]))
      return "\"" + words[2] + "\" is no filter of the wizard (all, subs, functions, properties or an event such as Click)";
    return {};
  }
  if (known->second != kConvert) return words.size() == 1 ? "" : std::string("the step is written ") + kAnswerUsage;
  if (words.size() % 2 == 0) return "answer convert wants a value after each field";
  for (std::size_t i = 1; i < words.size(); i += 2) {
    const std::string field = cp1252::Lower(words[i]);
    if (std::none_of(std::begin(kConverterFields), std::end(kConverterFields), [&](const char* f) { return field == f; }))
      return "\"" + words[i] + "\" is no field of the converter (file, title, keywords, description, method, action, replace)";
    if (field == "method" && !cp1252::EqualsNoCase(words[i + 1], "GET") && !cp1252::EqualsNoCase(words[i + 1], "POST"))
      return "the method is GET or POST, not \"" + words[i + 1] + "\"";
    if (field == "replace" && !cp1252::EqualsNoCase(words[i + 1], "yes") && !cp1252::EqualsNoCase(words[i + 1], "no"))
      return "replace is yes or no, not \"" + words[i + 1] + "\"";
  }
  return {};
}

// A step the session cannot carry out; ends the session.
class StepFailed : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One answer of the script, waiting for the box or window it is meant for.
struct Answer {
  int code = 0;                    // a button (> 0), or a window's answer
  std::vector<std::string> words;  // what a window's answer names or fills in
};

// The answers given and not yet asked for, and why a step must fail because of one.
class Answers {
 public:
  void Add(Answer answer) { queue_.push_back(std::move(answer)); }
  std::size_t Left() const { return queue_.size(); }
  // The next answer when it is a button, else nothing (the box takes its default).
  std::optional<int> NextButton() {
    if (queue_.empty() || queue_.front().code <= 0) return std::nullopt;
    return Take().code;
  }
  // The next answer when it is a window's, else nothing.
  std::optional<Answer> NextWindowAnswer() {
    if (queue_.empty() || queue_.front().code > 0) return std::nullopt;
    return Take();
  }
  // Thrown from a box or window the failure would reach the add-in's own error trap: the step
  // is failed once the add-in is done with it.
  void Fail(std::string why) {
    if (failure_.empty()) failure_ = std::move(why);
  }
  std::string TakeFailure() { return std::exchange(failure_, {}); }

 private:
  Answer Take() {
    Answer answer = std::move(queue_.front());
    queue_.pop_front();
    return answer;
  }
  std::deque<Answer> queue_;
  std::string failure_;
};

// Every box is written to the record and answered from the script, else by its default.
class SessionDialogs : public platform::Dialogs {
 public:
  SessionDialogs(std::ostream& record, Answers& answers) : record_(record), answers_(answers) {}
  platform::MsgBoxResult MsgBox(const platform::MessageBox& box) override {
    std::string prompt = box.prompt;
    for (std::size_t at = prompt.find("\r\n"); at != std::string::npos; at = prompt.find("\r\n", at))
      prompt.replace(at, 2, " / ");
    record_ << "  message box \"" << Display(box.title) << "\": " << Display(prompt) << "\n";
    const std::vector<platform::MsgBoxResult> offered = platform::ButtonsOf(box.style);
    platform::MsgBoxResult answer = platform::DefaultAnswer(box.style);
    bool scripted = false;
    if (const std::optional<int> button = answers_.NextButton()) {
      const auto wanted = static_cast<platform::MsgBoxResult>(*button);
      if (std::find(offered.begin(), offered.end(), wanted) == offered.end())
        answers_.Fail(fmt::format("the box offers no {} button", platform::AnswerName(wanted)));
      else
        answer = wanted, scripted = true;
    }
    record_ << "  answer: " << platform::AnswerName(answer) << (scripted ? "" : " (default)") << "\n";
    return answer;
  }

 private:
  std::ostream& record_;
  Answers& answers_;
};

// The progress window as the record shows it: each status line, and the message it rests on
// when a command ends.
class SessionMessageView : public MessageView {
 public:
  explicit SessionMessageView(std::ostream& record) : record_(record) {}
  void Load(const MessageWindowState& initial) override { message_ = initial.message; }
  void Unload() override {}
  void SetCaption(const std::string&) override {}
  void SetMessage(const std::string& text) override { message_ = text; }
  void SetMessageHeight(long) override {}
  void ShowProgress(bool) override {}
  void SetProgressRange(std::int32_t, std::int32_t) override {}
  void SetProgressValue(std::int32_t) override {}
  void PlaceProgress(long, long, long) override {}
  void AppendStatus(const std::string& line) override { record_ << "  status: " << Display(line) << "\n"; }
  void ClearStatus() override {}
  void SetHourglass(bool) override {}
  void EnableButtons(bool ok, bool cancel) override {
    // OK alone: the command is over and the window shows its result.
    if (ok && !cancel && busy_) record_ << "  progress window: " << Display(message_) << "\n";
    busy_ = cancel;
  }
  void LayOutControls() override {}
  void Center() override {}
  void ShowWindow() override {}
  void Repaint() override {}
  long TextHeight(const std::string&) const override { return 195; }
  long OuterWidth() const override { return kMessageClientWidth + 120; }

 private:
  std::ostream& record_;
  std::string message_;
  bool busy_ = false;
};

// The next answer for a window whose own answers are `takes`: code 0 when the script gave
// none, "close" (and the step failed) when it answered with another window's.
Answer WindowAnswer(Answers& answers, const char* window, std::initializer_list<int> takes) {
  std::optional<Answer> answer = answers.NextWindowAnswer();
  if (!answer) return {};
  if (std::find(takes.begin(), takes.end(), answer->code) == takes.end()) {
    for (const auto& [word, code] : AnswerWords())
      if (code == answer->code) answers.Fail(fmt::format("the window \"{}\" takes no \"answer {}\"", window, word));
    return {kCloseWindow, {}};
  }
  return *answer;
}

// The insert-mode window, answered from the script ("answer module"), else "Selected Text".
class SessionInsertMode : public InsertOptionsView {
 public:
  SessionInsertMode(std::ostream& record, Answers& answers) : record_(record), answers_(answers) {}
  void ShowModal(frmInsertOptions& form) override {
    record_ << "  window \"" << frmInsertOptions::kCaption << "\"\n";
    const Answer given = WindowAnswer(answers_, frmInsertOptions::kCaption, {kSelectedText, kEntireModule, kCloseWindow});
    const int answer = given.code != 0 ? given.code : kSelectedText;
    if (answer == kCloseWindow) {
      record_ << "  answer: " << frmInsertOptions::kCloseCaption << "\n";
      return form.cmdClose_Click();
    }
    if (answer == kEntireModule) form.ChooseEntireModule();
    record_ << "  answer: "
            << (answer == kEntireModule ? frmInsertOptions::kEntireModule : frmInsertOptions::kSelectedText) << "\n";
    form.cmdGo_Click();
  }

 private:
  std::ostream& record_;
  Answers& answers_;
};

// The control-template window: "answer template NAME" picks a template (and in select mode
// presses "&Select"); unanswered, or with "answer close", it is closed with nothing chosen.
class SessionControlTemplates : public ControlTemplateView {
 public:
  SessionControlTemplates(std::ostream& record, Answers& answers) : record_(record), answers_(answers) {}
  void ShowModal(frmControlTemplate& form) override {
    std::string names;
    for (const std::string& name : form.Templates()) names += (names.empty() ? "" : ", ") + name;
    record_ << "  window \"" << frmControlTemplate::kCaption << "\": templates "
            << (names.empty() ? "(none)" : Display(names)) << "\n";
    const Answer answer = WindowAnswer(answers_, frmControlTemplate::kCaption, {kChooseTemplate, kCloseWindow});
    if (answer.code == kChooseTemplate) {
      const std::string& wanted = answer.words[0];
      const auto found = std::find_if(form.Templates().begin(), form.Templates().end(),
                                      [&](const std::string& name) { return cp1252::EqualsNoCase(name, wanted); });
      if (found == form.Templates().end()) {
        answers_.Fail("the window offers no template \"" + wanted + "\"");
      } else {
        form.cboTemplates_Click(*found);
        record_ << "  template " << Display(*found) << ":";
        for (const frmControlTemplate::Row& row : form.Rows())
          record_ << " " << Display(row.text) << "=" << Display(row.value);
        record_ << "\n";
        if (form.SelectMode()) {
          record_ << "  answer: Select\n";
          return form.cmdApply_Click();
        }
      }
    }
    record_ << "  answer: Close" << (answer.code != 0 ? "" : " (default)") << "\n";
    form.cmdClose_Click();
  }
  // No row is edited from a script.
  std::optional<std::string> AskValue(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }

 private:
  std::ostream& record_;
  Answers& answers_;
};

// The form-to-HTML converter window: "answer convert FIELD VALUE..." fills the fields and
// presses Convert (a relative page is taken from the script's folder); unanswered, or with
// "answer close", it is closed and nothing is written. An existing page is replaced only with
// "replace yes"; a file of the project never.
class SessionFormConverter : public FormConverterView, public ASPConverterView {
 public:
  // `progress` gives the add-in's progress window, which the conversion reports to.
  SessionFormConverter(std::ostream& record, Answers& answers, const std::filesystem::path& base,
                       std::function<gildex::Progress&()> progress)
      : record_(record), answers_(answers), base_(base), progress_(std::move(progress)) {}

  void ShowConverter(host::VBComponent& form, clsASPGenerator& generator) override {
    frmASPConverter window(*this);
    converted_ = replace_ = false;
    window.ShowConverter(form, generator, progress_());
    if (!converted_) return;
    if (!window.Refusal().empty()) {
      record_ << "  not converted: " << Display(window.Refusal()) << "\n";
      return;
    }
    for (const std::string& problem : generator.PictureProblems())
      record_ << "  picture not written: " << Display(problem) << "\n";
    if (!generator.LastError().empty()) return;
    record_ << "  wrote " << Display(std::filesystem::path(window.txtFilename).filename().string()) << "\n";
    for (const std::string& picture : generator.PicturesWritten())
      record_ << "  wrote " << Display(std::filesystem::path(picture).filename().string()) << "\n";
  }
  void ShowModal(frmASPConverter& window) override {
    record_ << "  window \"" << kConverterCaption << "\"\n";
    const Answer answer = WindowAnswer(answers_, kConverterCaption, {kConvert, kCloseWindow});
    if (answer.code != kConvert) {
      record_ << "  answer: Close" << (answer.code != 0 ? "" : " (default)") << "\n";
      return window.cmdClose_Click();
    }
    for (std::size_t i = 0; i + 1 < answer.words.size(); i += 2) {
      const std::string field = cp1252::Lower(answer.words[i]);
      const std::string& value = answer.words[i + 1];
      if (field == "file") window.txtFilename = value;
      if (field == "title") window.txtTitle = value;
      if (field == "keywords") window.txtKeywords = value;
      if (field == "description") window.txtDescription = value;
      if (field == "action") window.txtAction = value;
      if (field == "method") window.optMethod = cp1252::EqualsNoCase(value, "GET") ? 0 : 1;
      if (field == "replace") replace_ = cp1252::EqualsNoCase(value, "yes");
    }
    if (const std::filesystem::path page(window.txtFilename); page.is_relative())
      window.txtFilename = (base_ / page).string();
    record_ << "  answer: Convert\n";
    converted_ = true;
    window.cmdGo_Click();
  }
  std::string SaveFileName(const std::string&, const std::string&) override { return {}; }
  bool ConfirmReplace(const std::string& file) override {
    record_ << "  " << Display(std::filesystem::path(file).filename().string()) << " exists: "
            << (replace_ ? "replaced" : "kept (answer convert ... replace yes replaces it)") << "\n";
    return replace_;
  }
  void DefaultMousePointer() override {}
  void Unload() override {}

 private:
  std::ostream& record_;
  Answers& answers_;
  std::filesystem::path base_;
  std::function<gildex::Progress&()> progress_;
  bool converted_ = false, replace_ = false;
};

// The insert wizard: "answer wizard TEMPLATE FILTER COMPONENT..." walks it through its steps
// from wherever it stands and presses "&Finish"; unanswered, it stays open where it is.
class SessionWizard : public InsertWizardView {
 public:
  SessionWizard(std::ostream& record, Answers& answers) : record_(record), answers_(answers) {}
  void Show(frmWizard& w) override {
    record_ << "  window \"" << frmWizard::kCaption << "\"\n";
    const Answer answer = WindowAnswer(answers_, frmWizard::kCaption, {kWizard});
    if (answer.code != kWizard) {
      record_ << "  left open at step " << w.Step() << "\n";
      return;
    }
    while (w.Step() > 0) w.cmdNav_Click(frmWizard::kBack);
    w.cmdNav_Click(frmWizard::kNext);
    const std::string& wanted = answer.words[0];
    const auto& nodes = w.Templates().Nodes();
    const auto node = std::find_if(nodes.begin(), nodes.end(), [&](const TemplateTreeNode& n) {
      return n.key != kTemplatesRootKey && cp1252::EqualsNoCase(n.text, wanted);
    });
    if (node == nodes.end()) return answers_.Fail("the wizard offers no template \"" + wanted + "\"");
    w.tvwTemplates_NodeClick(node->key);
    record_ << "  answer: template " << Display(node->text) << "\n";
    w.cmdNav_Click(frmWizard::kNext);
    const std::vector<std::string> names(answer.words.begin() + 2, answer.words.end());
    for (const std::string& name : names)
      if (std::none_of(w.Components().begin(), w.Components().end(),
                       [&](const frmWizard::ComponentRow& row) { return cp1252::EqualsNoCase(row.name, name); }))
        return answers_.Fail("the wizard lists no component \"" + name + "\"");
    for (std::size_t i = 0; i < w.Components().size(); ++i) {
      const bool chosen = std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return cp1252::EqualsNoCase(w.Components()[i].name, name);
      });
      if (w.Components()[i].checked != chosen) w.lvwComponents_ItemCheck(i, chosen);
    }
    const std::string filter = cp1252::Lower(answer.words[1]);
    const auto option = std::find_if(std::begin(kWizardFilters), std::end(kWizardFilters),
                                     [&](const char* f) { return filter == f; });
    if (option != std::end(kWizardFilters)) {
      w.cboInsertOpts_Click(static_cast<int>(option - std::begin(kWizardFilters)));
    } else {
      w.cboEventType_Click(*WizardEvent(answer.words[1]));
      w.cboInsertOpts_Click(frmWizard::kSpecifiedEvents);
    }
    w.cmdNav_Click(frmWizard::kNext);
    for (std::string_view summary = w.Summary(); !summary.empty();) {
      const std::size_t end = summary.find("\r\n");
      record_ << "  | " << Display(summary.substr(0, end)) << "\n";
      summary = end == std::string_view::npos ? std::string_view() : summary.substr(end + 2);
    }
    record_ << "  answer: Finish\n";
    w.cmdNav_Click(frmWizard::kFinish);
  }
  void Close(frmWizard&) override {}

 private:
  std::ostream& record_;
  Answers& answers_;
};

void PrintBar(std::ostream& out, const host::CommandBar& bar, int depth) {
  for (const auto& control : bar.controls) {
    const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    if (control->begin_group) out << indent << "----\n";
    std::string text = control->caption.empty() ? control->tooltip_text : control->caption;
    if (control->kind == host::ControlKind::Popup) text += " >";
    std::vector<std::string> notes;
    if (!control->visible) notes.push_back("hidden");
    if (!control->enabled) notes.push_back("disabled");
    if (!control->tag.empty()) notes.push_back("tag " + control->tag);
    if (control->face_id != 0) notes.push_back(fmt::format("icon {}", control->face_id));
    std::string note;
    for (const std::string& n : notes) note += (note.empty() ? "  [" : ", ") + n;
    if (!note.empty()) note += "]";
    out << indent << Display(text) << note << "\n";
    if (control->popup) PrintBar(out, *control->popup, depth + 1);
  }
}

// The options dialog is not played: said as the add-in says it of the other windows a session
// lacks, with the step that stands in for it.
class SessionOptions : public OptionsDialogView {
 public:
  explicit SessionOptions(platform::Dialogs& dialogs) : dialogs_(dialogs) {}
  void ShowOptions() override {
    dialogs_.MsgBox(platform::MessageBox{
        "The Gildex options window is not available on the command line: an \"option NAME VALUE\" step sets a "
        "setting for the session.",
        platform::vbExclamation, std::string(kAppTitle)});
  }

 private:
  platform::Dialogs& dialogs_;
};

// The help viewer of a session: the record names the help file for the user to open.
class SessionHelpViewer : public platform::HelpViewer {
 public:
  explicit SessionHelpViewer(std::ostream& record) : record_(record) {}
  void Open(const std::filesystem::path& file) override {
    record_ << "  help file: " << Display(file.string()) << " (open it in a web browser)\n";
  }

 private:
  std::ostream& record_;
};

class ScriptedSession {
 public:
  ScriptedSession(const std::filesystem::path& base, std::ostream& record)
      : base_(base), record_(record), dialogs_(record, answers_), options_(dialogs_), context_(dialogs_),
        insert_mode_(record, answers_),
        control_templates_(record, answers_), wizard_(record, answers_), help_(record),
        form_converter_(record, answers_, base, [this]() -> gildex::Progress& { return session_.Shared().Messages(); }),
        session_(context_) {}

  void Start() {
    if (!context_.RegistryWarning().empty()) record_ << "  warning: " << Display(context_.RegistryWarning()) << "\n";
    // Loaded with the IDE, before any project is opened.
    const std::string problem = session_.ConnectAddIn(
        ext_cm_Startup, true, [this](clsMessages&) { return std::make_unique<SessionMessageView>(record_); },
        ConnectViews{.insert_options = &insert_mode_,
                     .options_dialog = &options_,
                     .insert_wizard = &wizard_,
                     .form_converter = &form_converter_,
                     .control_templates = &control_templates_,
                     .help_viewer = &help_});
    if (!problem.empty()) throw StepFailed(problem);
  }

  void Run(const ScriptStep& step);
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
  void Click(const std::string& rest);
  void Press(host::CommandBarControl& control, const std::string& what);
  void Open(const std::string& file);
  void Save();
  void Bar(const std::vector<std::string>& w);

  std::filesystem::path base_;
  std::ostream& record_;
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

// As File > Open Project in VB6: the project open before leaves the IDE first, its changes
// saved or dropped as the user answers, so a long session keeps one project, not all it opened.
void ScriptedSession::Open(const std::string& file) {
  if (vbe_.ProjectCount() != 0) {
    if (const auto box = session_.SaveChangesBox()) {
      const platform::MsgBoxResult answer = dialogs_.MsgBox(*box);
      if (answer == platform::vbYes) Save();
      if (answer != platform::vbYes && answer != platform::vbNo) throw StepFailed("the project is still open");
    }
    designer_of_ = nullptr;
    session_.Close();
  }
  std::filesystem::path path = std::filesystem::path(file);
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
}

void ScriptedSession::Save() {
  const host::SaveResult saved = session_.Save();
  for (const std::string& file : saved.written)
    record_ << "  wrote " << Display(std::filesystem::path(file).filename().string()) << "\n";
  for (const host::LoadProblem& skipped : saved.skipped)
    record_ << "  not written: " << Display(std::filesystem::path(skipped.file).filename().string()) << ": "
            << Display(skipped.message) << "\n";
  if (!saved.error.empty()) throw StepFailed(saved.error);
  if (saved.written.empty() && saved.skipped.empty()) record_ << "  nothing to save\n";
}

// As the user shows, hides, docks or drags a toolbar.
void ScriptedSession::Bar(const std::vector<std::string>& w) {
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
}

void ScriptedSession::Run(const ScriptStep& step) {
  const std::vector<std::string>& w = step.words;
  if (step.verb == "open") {
    Open(w[0]);
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
  } else if (step.verb == "click") {
    Click(step.rest);
  } else if (step.verb == "toolbar") {
    host::CommandBar* bar = vbe_.Bars().Find(kToolbarName);
    if (bar == nullptr) throw StepFailed("the IDE has no \"Gildex\" toolbar");
    if (!bar->visible) throw StepFailed("the \"Gildex\" toolbar is hidden: show it with \"bar Gildex show\"");
    for (auto& control : bar->controls)
      if (cp1252::EqualsNoCase(control->tooltip_text, step.rest)) return Press(*control, "\"" + step.rest + "\"");
    throw StepFailed("the \"Gildex\" toolbar has no button \"" + step.rest + "\"");
  } else if (step.verb == "bar") {
    Bar(w);
  } else if (step.verb == "answer") {
    answers_.Add({AnswerWords().find(cp1252::Lower(w[0]))->second, {w.begin() + 1, w.end()}});
  } else if (step.verb == "save") {
    Save();
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
    const std::string problem = session_.ApplyOverrides(Overrides{{w[0] + "=" + value}, "", ""}, false);
    if (!problem.empty()) throw StepFailed(problem);
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

std::optional<std::vector<ScriptStep>> ParseSessionScript(const std::string& text, std::string& problem) {
  std::vector<ScriptStep> steps;
  long number = 0;
  for (std::size_t at = 0; at <= text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    const std::string line = Trim(std::string_view(text).substr(at, end - at));
    at = end + 1;
    ++number;
    if (line.empty() || line[0] == '#') continue;
    ScriptStep step;
    step.line = number;
    const std::size_t verb_end = std::min(line.find_first_of(" \t"), line.size());
    step.verb = cp1252::Lower(line.substr(0, verb_end));
    step.rest = Trim(std::string_view(line).substr(verb_end));
    auto fail = [&](const std::string& why) {
      problem = fmt::format("line {}: {}", number, why);
      return std::nullopt;
    };
    const VerbShape* shape = nullptr;
    for (const VerbShape& known : kVerbs)
      if (step.verb == known.verb) shape = &known;
    if (shape == nullptr) return fail("\"" + step.verb + "\" is no step");
    if (!SplitWords(step.rest, step.words)) return fail("a quote is not closed");
    const int count = static_cast<int>(step.words.size());
    if (count < shape->min_words || (shape->max_words >= 0 && count > shape->max_words))
      return fail(std::string("the step is written ") + shape->usage);
    if (step.verb == "answer")
      if (const std::string why = AnswerProblem(step.words); !why.empty()) return fail(why);
    steps.push_back(std::move(step));
  }
  return steps;
}

int RunSessionScript(const std::vector<ScriptStep>& steps, const std::filesystem::path& base, std::ostream& record) {
  const ScriptStep* current = nullptr;
  try {
    ScriptedSession session(base, record);
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

int PlaySessionFile(const std::filesystem::path& file, std::ostream& out, std::ostream& err) {
  std::error_code error;
  if (!std::filesystem::exists(file, error)) {
    err << "gildex: no session script " << file.string() << ": no such file\n";
    return 2;
  }
  if (!std::filesystem::is_regular_file(file, error) || std::filesystem::file_size(file, error) > kMaxScriptBytes) {
    err << "gildex: " << file.string() << " is no session script (not a regular file of at most 1 MB)\n";
    return 2;
  }
  const std::optional<std::string> bytes = platform::ReadWholeFile(file);
  if (!bytes) {
    err << "gildex: cannot read " << file.string() << "\n";
    return 2;
  }
  const std::optional<std::string> text = FromTerminalText(*bytes);
  std::string problem;
  const auto steps = ParseSessionScript(text ? *text : *bytes, problem);
  if (!steps) {
    err << "gildex: " << file.string() << ": " << problem << "\n";
    return 2;
  }
  const int code = RunSessionScript(*steps, std::filesystem::absolute(file).parent_path(), out);
  if (code != 0) err << "gildex: " << file.string() << ": the session stopped at a step that could not be done\n";
  return code;
}

}  // namespace gildex::session
