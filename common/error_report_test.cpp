#include "common/error_report.h"

#include <gtest/gtest.h>

#include <deque>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>

namespace gildex {
namespace {

using platform::ScriptedDialogs;

constexpr const char* kAt = "\r\nOccurred at line 0in Gildex: M.P";

// Every kind of failure shows one Abort/Retry/Ignore box whose text names VB's number.
TEST(ErrorReport, ShowsOneBoxWithTheBasicNumberOfAnyFailure) {
  const struct {
    std::exception_ptr error;
    std::string prompt;
  } cases[] = {
      {std::make_exception_ptr(VbError(91, "Object variable not set", 30)),
       "Error 91: \r\nObject variable not set\r\nOccurred at line 30in Gildex: M.P"},
      {std::make_exception_ptr(std::runtime_error("cannot write /tmp/x")),
       std::string("Error 5: \r\nInvalid procedure call or argument (cannot write /tmp/x)") + kAt},
      {std::make_exception_ptr(std::runtime_error("")), std::string("Error 5: \r\nInvalid procedure call or argument") + kAt},
      {std::make_exception_ptr(std::bad_alloc()), std::string("Error 7: \r\nOut of memory") + kAt},
  };
  for (const auto& c : cases) {
    ScriptedDialogs dialogs;
    ErrorReport report(dialogs);
    try {
      std::rethrow_exception(c.error);
    } catch (const std::exception& e) {
      EXPECT_EQ(report.Report(e, "M.P"), ErrorAction::Abort) << "nobody to ask means Abort";
    }
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(report.Shown(), 1);
    EXPECT_EQ(dialogs.Asked()[0].prompt, c.prompt);
    EXPECT_EQ(dialogs.Asked()[0].title, "Gildex Error.");
    EXPECT_EQ(dialogs.Asked()[0].style, platform::vbAbortRetryIgnore | platform::vbExclamation);
  }
}

// Retry runs the body again; Abort and Ignore give the fallback; a body that succeeds shows nothing.
TEST(ErrorReportTrap, TheAnswerDecidesBetweenRunningAgainAndTheFallback) {
  const struct {
    std::deque<platform::MsgBoxResult> answers;
    int failures;
    int result, runs;
  } cases[] = {
      {{}, 0, 42, 1}, {{platform::vbRetry}, 1, 42, 2}, {{platform::vbRetry, platform::vbAbort}, 9, -1, 2},
      {{platform::vbIgnore}, 9, -1, 1},
  };
  for (const auto& c : cases) {
    ScriptedDialogs dialogs(c.answers);
    ErrorReport report(dialogs);
    int runs = 0;
    EXPECT_EQ(report.Trap("M.P", -1, [&] {
      if (++runs <= c.failures) throw VbError(53, "File not found");
      return 42;
    }), c.result);
    EXPECT_EQ(runs, c.runs);
    EXPECT_EQ(dialogs.Asked().size(), c.answers.size());
  }
  ScriptedDialogs dialogs({platform::vbIgnore});
  ErrorReport report(dialogs);
  report.Trap("Connect.Click", [] { throw std::invalid_argument("bad"); });
  EXPECT_EQ(dialogs.Asked().at(0).prompt,
            "Error 5: \r\nInvalid procedure call or argument (bad)\r\nOccurred at line 0in Gildex: Connect.Click");
}

}  // namespace
}  // namespace gildex
