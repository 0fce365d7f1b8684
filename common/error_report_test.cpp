#include "common/error_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <exception>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>

namespace gildex {
namespace {

// Any failure shows one Abort/Retry/Ignore box naming VB's number; Retry runs the body again,
// Abort and Ignore give the fallback, a body that succeeds shows nothing.
TEST(ErrorReport, TrapShowsOneBoxPerFailureAndTheAnswerDecides) {
  const std::string at = "\r\nOccurred at line 0in Gildex: M.P";
  const struct {
    std::function<void()> fail;
    std::deque<platform::MsgBoxResult> answers;
    int failures, result, runs;
    std::string prompt;
  } cases[] = {
      {[] { throw VbError(91, "Object variable not set", 30); }, {}, 1, -1, 1,
       "Error 91: \r\nObject variable not set\r\nOccurred at line 30in Gildex: M.P"},
      {[] { throw std::runtime_error("cannot write /tmp/x"); }, {platform::vbIgnore}, 9, -1, 1,
       "Error 5: \r\nInvalid procedure call or argument (cannot write /tmp/x)" + at},
      {[] { throw std::runtime_error(""); }, {platform::vbRetry}, 1, 42, 2, "Error 5: \r\nInvalid procedure call or argument" + at},
      {[] { throw std::bad_alloc(); }, {platform::vbRetry, platform::vbAbort}, 9, -1, 2, "Error 7: \r\nOut of memory" + at},
      {nullptr, {}, 0, 42, 1, ""},
  };
  for (const auto& c : cases) {
    platform::ScriptedDialogs dialogs(c.answers);
    ErrorReport report(dialogs);
    int runs = 0;
    EXPECT_EQ(report.Trap("M.P", -1, [&] {
      if (++runs <= c.failures) c.fail();
      return 42;
    }), c.result) << c.prompt;  // nobody to ask means Abort
    EXPECT_EQ(runs, c.runs) << c.prompt;
    ASSERT_EQ(dialogs.Asked().size(), c.prompt.empty() ? 0u : std::max<std::size_t>(1, c.answers.size()));
    EXPECT_EQ(report.Shown(), static_cast<int>(dialogs.Asked().size()));
    if (c.prompt.empty()) continue;
    EXPECT_EQ(dialogs.Asked()[0].prompt, c.prompt);
    EXPECT_EQ(dialogs.Asked()[0].title, "Gildex Error.");
    EXPECT_EQ(dialogs.Asked()[0].style, platform::vbAbortRetryIgnore | platform::vbExclamation);
  }
}

}  // namespace
}  // namespace gildex
