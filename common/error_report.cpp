#include "common/error_report.h"

#include <new>
#include <string>

namespace gildex {

namespace {

constexpr long kInvalidCall = 5;
constexpr long kOutOfMemory = 7;

ErrorAction ActionOf(platform::MsgBoxResult answer) {
  switch (answer) {
    case platform::vbRetry:
      return ErrorAction::Retry;
    case platform::vbIgnore:
      return ErrorAction::Ignore;
    default:
      // A dialog service that cannot ask anybody gives the default button, Abort; anything
      // unexpected also ends the operation rather than looping.
      return ErrorAction::Abort;
  }
}

// A foreign exception keeps VB's description for its number, with the exception's own
// text after it: the number alone would hide what actually went wrong (a file that could
// not be written, a bad argument).
VbError AsVbError(const std::exception& error) {
  if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) return VbError(kOutOfMemory, "Out of memory");
  std::string description = "Invalid procedure call or argument";
  const std::string what = error.what();
  if (!what.empty()) description += " (" + what + ")";
  return VbError(kInvalidCall, std::move(description));
}

}  // namespace

std::string ErrorReportText(long number, std::string_view description, long line, std::string_view qualified_name) {
  std::string text = "Error " + std::to_string(number) + ": \r\n";
  text += description;
  text += "\r\nOccurred at line " + std::to_string(line) + "in ";
  text += kAppTitle;
  text += ": ";
  text += qualified_name;
  return text;
}

ErrorAction ErrorReport::Report(const VbError& error, std::string_view qualified_name) {
  platform::MessageBox box;
  box.prompt = ErrorReportText(error.Number(), error.Description(), error.Line(), qualified_name);
  box.style = platform::vbAbortRetryIgnore | platform::vbExclamation;
  box.title = std::string(kAppTitle) + " Error.";
  ++shown_;
  return ActionOf(dialogs_.MsgBox(box));
}

ErrorAction ErrorReport::Report(const std::exception& error, std::string_view qualified_name) {
  if (const auto* vb = dynamic_cast<const VbError*>(&error)) return Report(*vb, qualified_name);
  return Report(AsVbError(error), qualified_name);
}

}  // namespace gildex
