#pragma once
// The one error report of the add-in. Every operation "traps its own errors": a failure
// inside it is shown once as
//   title  "Gildex Error."
//   text   "Error 13: " CR LF "Type mismatch" CR LF "Occurred at line 0in Gildex: CGildex.ProcType"
// with Abort, Retry and Ignore. Abort and Ignore give the caller the operation's fallback
// result (C++ cannot resume at the statement after the failing one, so Ignore ends the
// operation as Abort does); Retry runs the operation again.
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "platform/dialogs.h"

namespace gildex {

inline constexpr std::string_view kAppTitle = "Gildex";

// A run-time error with VB's number and description ("Type mismatch" is 13).
class VbError : public std::runtime_error {
 public:
  VbError(long number, std::string description, long line = 0)
      : std::runtime_error(description), number_(number), description_(std::move(description)), line_(line) {}
  long Number() const { return number_; }
  const std::string& Description() const { return description_; }
  long Line() const { return line_; }  // VB's Erl: 0 when the code carries no line numbers

 private:
  long number_;
  std::string description_;
  long line_;
};

enum class ErrorAction { Abort, Retry, Ignore };

class ErrorReport {
 public:
  explicit ErrorReport(platform::Dialogs& dialogs) : dialogs_(dialogs) {}
  // Shows the box for `error` raised in `qualified_name` ("CGildex.InsertUserVars").
  ErrorAction Report(const VbError& error, std::string_view qualified_name);
  // Any other exception is reported as error 5 "Invalid procedure call or argument" with
  // its what() text, or 7 "Out of memory" for std::bad_alloc.
  ErrorAction Report(const std::exception& error, std::string_view qualified_name);

  // Runs body(); on an exception reports it and, on Retry, runs it again; on Abort or
  // Ignore returns `fallback`.
  template <class T, class Body>
  T Trap(std::string_view qualified_name, T fallback, Body&& body) {
    for (;;) {
      try {
        return body();
      } catch (const std::exception& e) {
        if (Report(e, qualified_name) != ErrorAction::Retry) return fallback;
      }
    }
  }
  template <class Body>
  void Trap(std::string_view qualified_name, Body&& body) {
    Trap(qualified_name, 0, [&] {
      body();
      return 0;
    });
  }

  platform::Dialogs& Dialogs() { return dialogs_; }
  // How many reports have been shown: a host tells a run that met an error by this, whatever
  // its dialogs do with the box.
  long Shown() const { return shown_; }

 private:
  platform::Dialogs& dialogs_;
  long shown_ = 0;
};

// The message box text of the report, exactly as the user sees it.
std::string ErrorReportText(long number, std::string_view description, long line, std::string_view qualified_name);

}  // namespace gildex
