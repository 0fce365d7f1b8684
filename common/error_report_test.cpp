#include "common/error_report.h"

#include <gtest/gtest.h>

#include <exception>
#include <new>
#include <stdexcept>
#include <string>

namespace gildex {
namespace {

using platform::MsgBoxResult;
using platform::ScriptedDialogs;

TEST(ErrorReportText, ReadsAsTheUserSeesIt) {
  EXPECT_EQ(ErrorReportText(13, "Type mismatch", 0, "CGildex.ProcType"),
            "Error 13: \r\nType mismatch\r\nOccurred at line 0in Gildex: CGildex.ProcType");
  EXPECT_EQ(ErrorReportText(9, "Subscript out of range", 120, "AddIn.AddToINI"),
            "Error 9: \r\nSubscript out of range\r\nOccurred at line 120in Gildex: AddIn.AddToINI");
}

TEST(ErrorReport, ShowsOneAbortRetryIgnoreBoxWithTheExclamationIcon) {
  ScriptedDialogs dialogs({platform::vbAbort});
  ErrorReport report(dialogs);
  report.Report(VbError(13, "Type mismatch"), "CGildex.InsertUserVars");
  ASSERT_EQ(dialogs.Asked().size(), 1u);
  const platform::MessageBox& box = dialogs.Asked()[0];
  EXPECT_EQ(box.title, "Gildex Error.");
  EXPECT_EQ(box.style, platform::vbAbortRetryIgnore | platform::vbExclamation);
  EXPECT_EQ(box.prompt, "Error 13: \r\nType mismatch\r\nOccurred at line 0in Gildex: CGildex.InsertUserVars");
}

TEST(ErrorReport, TheAnswerChoosesTheAction) {
  const struct {
    MsgBoxResult answer;
    ErrorAction action;
  } cases[] = {
      {platform::vbAbort, ErrorAction::Abort},
      {platform::vbRetry, ErrorAction::Retry},
      {platform::vbIgnore, ErrorAction::Ignore},
  };
  for (const auto& c : cases) {
    ScriptedDialogs dialogs({c.answer});
    ErrorReport report(dialogs);
    EXPECT_EQ(report.Report(VbError(5, "Invalid procedure call or argument"), "X.Y"), c.action)
        << platform::AnswerName(c.answer);
  }
}

TEST(ErrorReport, NobodyToAskMeansAbort) {
  ScriptedDialogs dialogs;
  ErrorReport report(dialogs);
  EXPECT_EQ(report.Report(VbError(6, "Overflow"), "X.Y"), ErrorAction::Abort);
}

TEST(ErrorReport, OtherExceptionsGetBasicNumbers) {
  const struct {
    std::exception_ptr error;
    const char* prompt;
  } cases[] = {
      {std::make_exception_ptr(VbError(91, "Object variable or With block variable not set", 30)),
       "Error 91: \r\nObject variable or With block variable not set\r\nOccurred at line 30in Gildex: M.P"},
      {std::make_exception_ptr(std::runtime_error("cannot write /tmp/x")),
       "Error 5: \r\nInvalid procedure call or argument (cannot write /tmp/x)\r\nOccurred at line 0in Gildex: M.P"},
      {std::make_exception_ptr(std::runtime_error("")),
       "Error 5: \r\nInvalid procedure call or argument\r\nOccurred at line 0in Gildex: M.P"},
      {std::make_exception_ptr(std::bad_alloc()), "Error 7: \r\nOut of memory\r\nOccurred at line 0in Gildex: M.P"},
  };
  for (const auto& c : cases) {
    ScriptedDialogs dialogs;
    ErrorReport report(dialogs);
    try {
      std::rethrow_exception(c.error);
    } catch (const std::exception& e) {
      report.Report(e, "M.P");
    }
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(dialogs.Asked()[0].prompt, c.prompt);
  }
}

TEST(ErrorReportTrap, ASucceedingBodyShowsNothing) {
  ScriptedDialogs dialogs;
  ErrorReport report(dialogs);
  EXPECT_EQ(report.Trap("M.P", std::string("fallback"), [] { return std::string("value"); }), "value");
  EXPECT_TRUE(dialogs.Asked().empty());
}

TEST(ErrorReportTrap, RetryRunsTheBodyAgain) {
  ScriptedDialogs dialogs({platform::vbRetry});
  ErrorReport report(dialogs);
  int runs = 0;
  const int result = report.Trap("M.P", -1, [&] {
    if (++runs == 1) throw VbError(53, "File not found");
    return 42;
  });
  EXPECT_EQ(result, 42);
  EXPECT_EQ(runs, 2);
  ASSERT_EQ(dialogs.Asked().size(), 1u);
  EXPECT_EQ(dialogs.Asked()[0].prompt, "Error 53: \r\nFile not found\r\nOccurred at line 0in Gildex: M.P");
}

TEST(ErrorReportTrap, AbortAndIgnoreGiveTheFallback) {
  for (MsgBoxResult answer : {platform::vbAbort, platform::vbIgnore}) {
    ScriptedDialogs dialogs({platform::vbRetry, answer});
    ErrorReport report(dialogs);
    int runs = 0;
    const std::string result = report.Trap("M.P", std::string("fallback"), [&]() -> std::string {
      ++runs;
      throw VbError(6, "Overflow");
    });
    EXPECT_EQ(result, "fallback") << platform::AnswerName(answer);
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(dialogs.Asked().size(), 2u);
  }
}

TEST(ErrorReportTrap, AProcedureWithoutResultIsTrappedToo) {
  ScriptedDialogs dialogs({platform::vbIgnore});
  ErrorReport report(dialogs);
  bool finished = false;
  report.Trap("Connect.hWndCodeInsert_Click", [&] {
    throw std::invalid_argument("bad");
    finished = true;
  });
  EXPECT_FALSE(finished);
  ASSERT_EQ(dialogs.Asked().size(), 1u);
  EXPECT_EQ(dialogs.Asked()[0].prompt,
            "Error 5: \r\nInvalid procedure call or argument (bad)\r\nOccurred at line 0in Gildex: "
            "Connect.hWndCodeInsert_Click");
}

}  // namespace
}  // namespace gildex
