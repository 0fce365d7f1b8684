#pragma once
// Every message box of the system is asked through Dialogs. The buttons, icons and answers
// keep the values of the Windows message box so that code written against them reads as
// the add-in's own.
#include <deque>
#include <iosfwd>
#include <string>
#include <vector>

namespace gildex::platform {

enum MsgBoxStyle : int {
  vbOKOnly = 0,
  vbOKCancel = 1,
  vbAbortRetryIgnore = 2,
  vbYesNoCancel = 3,
  vbYesNo = 4,
  vbRetryCancel = 5,
  vbCritical = 16,
  vbQuestion = 32,
  vbExclamation = 48,
  vbInformation = 64,
  vbDefaultButton2 = 256,
  vbDefaultButton3 = 512,
  vbSystemModal = 4096,  // behaviour only: offers the same buttons as without it
};

enum MsgBoxResult : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

struct MessageBox {
  std::string prompt;  // Windows-1252 text, lines separated by CR LF as the add-in builds them
  int style = vbOKOnly;
  std::string title;
};

// The buttons a style offers, in the order the message box shows them.
std::vector<MsgBoxResult> ButtonsOf(int style);
// The answer taken when nobody can be asked: the style's default button (vbDefaultButton2/3
// choose the second or third button, otherwise the first).
MsgBoxResult DefaultAnswer(int style);
// "Yes", "No", "OK", ...
const char* AnswerName(MsgBoxResult answer);

// The save-as dialog: filters such as {"Project Files", "*.VBP"}, the name and folder
// proposed, the title and the extension a name typed without one gets.
struct FileFilter {
  std::string description, pattern;
  bool operator==(const FileFilter&) const = default;
};
struct SaveFileDialog {
  std::vector<FileFilter> filters;
  std::string file_name;
  std::string initial_folder;
  std::string title;
  std::string default_extension;
};

// The open-file dialog: an existing file to choose, starting in `initial_folder`.
struct OpenFileDialog {
  std::vector<FileFilter> filters;
  std::string initial_folder;
  std::string title;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual MsgBoxResult MsgBox(const MessageBox& box) = 0;
  // The path chosen, or empty when the user cancels; a host that cannot ask cancels.
  virtual std::string SaveFileName(const SaveFileDialog& /*dialog*/) { return {}; }
  virtual std::string ChooseFileToOpen(const OpenFileDialog& /*dialog*/) { return {}; }
  // The folder picker with `title` as its prompt: the folder chosen, or empty.
  virtual std::string BrowseForFolder(const std::string& /*title*/) { return {}; }
};

// Tests: answers come from a script, in order; every box asked is recorded. A box asked
// with no scripted answer left takes its default answer. An answer the box does not offer
// is a test error (std::logic_error), so a wrong script cannot pass silently.
class ScriptedDialogs : public Dialogs {
 public:
  explicit ScriptedDialogs(std::deque<MsgBoxResult> answers = {}) : answers_(std::move(answers)) {}
  MsgBoxResult MsgBox(const MessageBox& box) override;
  void Answer(MsgBoxResult answer) { answers_.push_back(answer); }
  const std::vector<MessageBox>& Asked() const { return asked_; }
  // Save dialogs take the scripted paths in order ("" cancels); none left cancels.
  std::string SaveFileName(const SaveFileDialog& dialog) override;
  void AnswerSave(std::string path) { save_answers_.push_back(std::move(path)); }
  const std::vector<SaveFileDialog>& SavesAsked() const { return saves_asked_; }
  // Open-file dialogs and folder pickers take their own scripted paths the same way.
  std::string ChooseFileToOpen(const OpenFileDialog& dialog) override;
  void AnswerOpen(std::string path) { open_answers_.push_back(std::move(path)); }
  const std::vector<OpenFileDialog>& OpensAsked() const { return opens_asked_; }
  std::string BrowseForFolder(const std::string& title) override;
  void AnswerFolder(std::string path) { folder_answers_.push_back(std::move(path)); }
  const std::vector<std::string>& FoldersAsked() const { return folders_asked_; }

 private:
  std::deque<MsgBoxResult> answers_;
  std::vector<MessageBox> asked_;
  std::deque<std::string> save_answers_;
  std::vector<SaveFileDialog> saves_asked_;
  std::deque<std::string> open_answers_, folder_answers_;
  std::vector<OpenFileDialog> opens_asked_;
  std::vector<std::string> folders_asked_;
};

// A person at a terminal: the box is printed on `out` (converted to UTF-8 for display) and
// the answer read from `in` by its first letter(s); an empty line or end of input takes
// the default answer.
class TerminalDialogs : public Dialogs {
 public:
  TerminalDialogs(std::istream& in, std::ostream& out) : in_(in), out_(out) {}
  MsgBoxResult MsgBox(const MessageBox& box) override;
  // Asks for a path; an empty line or end of input cancels. A name typed without an
  // extension gets the default one.
  std::string SaveFileName(const SaveFileDialog& dialog) override;

 private:
  std::istream& in_;
  std::ostream& out_;
};

// No terminal: the default answer is taken (or a fixed one, as --yes / --no ask), and both
// the question and the answer taken are printed on `out`.
class UnattendedDialogs : public Dialogs {
 public:
  explicit UnattendedDialogs(std::ostream& out, MsgBoxResult forced = MsgBoxResult{}) : out_(out), forced_(forced) {}
  MsgBoxResult MsgBox(const MessageBox& box) override;
  // Nobody can name a file: cancels, and says so on `out`.
  std::string SaveFileName(const SaveFileDialog& dialog) override;

 private:
  std::ostream& out_;
  MsgBoxResult forced_;  // 0 = take each box's default; vbYes/vbNo answer every Yes/No box so
};

}  // namespace gildex::platform
