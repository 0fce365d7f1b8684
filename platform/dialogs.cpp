#include "platform/dialogs.h"

#include <algorithm>
#include <istream>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string_view>

#include <fmt/core.h>

#include "platform/cp1252.h"

namespace gildex::platform {
namespace {

bool Offers(int style, MsgBoxResult answer) {
  const std::vector<MsgBoxResult> buttons = ButtonsOf(style);
  return std::find(buttons.begin(), buttons.end(), answer) != buttons.end();
}


std::string ButtonList(int style) {
  std::string list;
  for (const MsgBoxResult b : ButtonsOf(style)) {
    const std::string_view name = AnswerName(b);
    list += fmt::format("{}[{}]{}", list.empty() ? "" : " / ", name.substr(0, 1), name.substr(1));
  }
  return list;
}

std::string_view TrimLine(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// "y", "ye" or "yes" for Yes: the buttons of one box never share an initial, so any
// beginning of a button's name picks that button.
std::optional<MsgBoxResult> Match(int style, std::string_view reply) {
  if (reply.empty()) return std::nullopt;
  for (const MsgBoxResult b : ButtonsOf(style))
    if (cp1252::StartsWithNoCase(AnswerName(b), reply)) return b;
  return std::nullopt;
}

}  // namespace

std::vector<MsgBoxResult> ButtonsOf(int style) {
  switch (style & 7) {
    case vbOKOnly:
      return {vbOK};
    case vbOKCancel:
      return {vbOK, vbCancel};
    case vbAbortRetryIgnore:
      return {vbAbort, vbRetry, vbIgnore};
    case vbYesNoCancel:
      return {vbYes, vbNo, vbCancel};
    case vbYesNo:
      return {vbYes, vbNo};
    case vbRetryCancel:
      return {vbRetry, vbCancel};
    default:
      throw std::invalid_argument(fmt::format("message box style {} names no set of buttons", style));
  }
}

MsgBoxResult DefaultAnswer(int style) {
  const std::vector<MsgBoxResult> buttons = ButtonsOf(style);
  std::size_t index = 0;
  if ((style & 0xF00) == vbDefaultButton2) index = 1;
  if ((style & 0xF00) == vbDefaultButton3) index = 2;
  return index < buttons.size() ? buttons[index] : buttons.front();
}

const char* AnswerName(MsgBoxResult answer) {
  switch (answer) {
    case vbOK:
      return "OK";
    case vbCancel:
      return "Cancel";
    case vbAbort:
      return "Abort";
    case vbRetry:
      return "Retry";
    case vbIgnore:
      return "Ignore";
    case vbYes:
      return "Yes";
    case vbNo:
      return "No";
  }
  return "(no answer)";
}

MsgBoxResult ScriptedDialogs::MsgBox(const MessageBox& box) {
  asked_.push_back(box);
  if (answers_.empty()) return DefaultAnswer(box.style);
  const MsgBoxResult answer = answers_.front();
  answers_.pop_front();
  if (!Offers(box.style, answer))
    throw std::logic_error(fmt::format("scripted answer {} does not fit the message box \"{}\", which offers {}",
                                       AnswerName(answer), cp1252::ToUtf8(box.prompt), ButtonList(box.style)));
  return answer;
}

MsgBoxResult TerminalDialogs::MsgBox(const MessageBox& box) {
  const MsgBoxResult fallback = DefaultAnswer(box.style);
  if (!box.title.empty()) out_ << cp1252::ToDisplay(box.title) << '\n';
  out_ << cp1252::ToDisplay(box.prompt) << '\n';
  for (;;) {
    out_ << ButtonList(box.style) << " (default: " << AnswerName(fallback) << "): " << std::flush;
    std::string line;
    if (!std::getline(in_, line)) {
      out_ << '\n';
      return fallback;
    }
    const std::string_view reply = TrimLine(line);
    if (reply.empty()) return fallback;
    if (const auto answer = Match(box.style, reply)) return *answer;
    out_ << "Please answer with one of: " << ButtonList(box.style) << '\n';
  }
}

MsgBoxResult UnattendedDialogs::MsgBox(const MessageBox& box) {
  const bool forced = forced_ != MsgBoxResult{} && Offers(box.style, forced_);
  const MsgBoxResult answer = forced ? forced_ : DefaultAnswer(box.style);
  std::string prompt = cp1252::ToDisplay(box.prompt);
  while (!prompt.empty() && prompt.back() == '\n') prompt.pop_back();
  // Later lines are indented so that one box stays one block in a log.
  for (std::size_t at = prompt.find('\n'); at != std::string::npos; at = prompt.find('\n', at + 3))
    prompt.insert(at + 1, "  ");
  // With --yes/--no given, a box without that button (a plain OK) takes its default: say so
  // without claiming there is no terminal.
  std::string how = "default answer taken; no terminal";
  if (forced)
    how = fmt::format("answered by --{}", cp1252::Lower(AnswerName(answer)));
  else if (forced_ != MsgBoxResult{})
    how = "default answer taken";
  out_ << cp1252::ToDisplay(box.title) << (box.title.empty() ? "" : ": ") << prompt << " -> " << AnswerName(answer)
       << " (" << how << ")\n";
  return answer;
}

}  // namespace gildex::platform

namespace gildex::platform {
namespace {

std::string FilterList(const SaveFileDialog& dialog) {
  std::string list;
  for (const FileFilter& filter : dialog.filters)
    list += fmt::format("{}{} ({})", list.empty() ? "" : ", ", filter.description, filter.pattern);
  return list;
}

}  // namespace

std::string ScriptedDialogs::SaveFileName(const SaveFileDialog& dialog) {
  saves_asked_.push_back(dialog);
  if (save_answers_.empty()) return {};
  std::string answer = std::move(save_answers_.front());
  save_answers_.pop_front();
  return answer;
}

namespace {

std::string NextAnswer(std::deque<std::string>& answers) {
  if (answers.empty()) return {};
  std::string answer = std::move(answers.front());
  answers.pop_front();
  return answer;
}

}  // namespace

std::string ScriptedDialogs::ChooseFileToOpen(const OpenFileDialog& dialog) {
  opens_asked_.push_back(dialog);
  return NextAnswer(open_answers_);
}

std::string ScriptedDialogs::BrowseForFolder(const std::string& title) {
  folders_asked_.push_back(title);
  return NextAnswer(folder_answers_);
}

std::string TerminalDialogs::SaveFileName(const SaveFileDialog& dialog) {
  out_ << cp1252::ToDisplay(dialog.title) << ": save as (" << cp1252::ToDisplay(FilterList(dialog)) << ")";
  if (!dialog.initial_folder.empty()) out_ << " in " << cp1252::ToDisplay(dialog.initial_folder);
  out_ << "\nFile name (empty cancels): " << std::flush;
  std::string line;
  if (!std::getline(in_, line)) {
    out_ << '\n';
    return {};
  }
  std::string name(TrimLine(line));
  if (name.empty()) return {};
  // "*.VBP" and ".VBP" both name the extension VBP.
  std::string_view extension = dialog.default_extension;
  while (!extension.empty() && (extension.front() == '*' || extension.front() == '.')) extension.remove_prefix(1);
  const std::size_t slash = name.find_last_of('/');
  const std::size_t dot = name.find_last_of('.');
  if (!extension.empty() && (dot == std::string::npos || (slash != std::string::npos && dot < slash)))
    name += "." + std::string(extension);
  return name;
}

std::string UnattendedDialogs::SaveFileName(const SaveFileDialog& dialog) {
  out_ << cp1252::ToDisplay(dialog.title) << (dialog.title.empty() ? "" : ": ") << "save as ("
       << cp1252::ToDisplay(FilterList(dialog)) << ") -> Cancel (no terminal to name a file)\n";
  return {};
}

}  // namespace gildex::platform
