#pragma once
// The windows and boxes of a scripted session (session_script.h): each answers from the
// script's answers and writes what it showed into the record.
#include <fmt/core.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/event_list.h"
#include "host/memory_vbe.h"
#include "ide/add_in.h"
#include "ide/command_table.h"
#include "ide/connect.h"
#include "ide/insert_wizard.h"
#include "platform/atomic_file.h"
#include "platform/cp1252.h"
#include "session/script_steps.h"
#include "tools/asp_converter.h"
#include "tools/control_template.h"
#include "tools/message_view.h"

namespace gildex::session::script {

inline std::string Display(std::string_view bytes) { return cp1252::ToDisplay(bytes); }

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
inline Answer WindowAnswer(Answers& answers, const char* window, std::initializer_list<int> takes) {
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

inline void PrintBar(std::ostream& out, const host::CommandBar& bar, int depth) {
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

}  // namespace gildex::session::script
