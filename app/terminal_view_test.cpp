#include "app/terminal_view.h"

#include <gtest/gtest.h>

#include <sstream>

#include "engine/engine_rig_test.h"
#include "tools/messages.h"

namespace gildex {
namespace {

// A command line run: the controller draws through terminal views on one Console.
struct TerminalRun {
  explicit TerminalRun(ConsoleMode mode)
      : console(out, mode, [](const std::string& line) { return line.ends_with("numbered"); }),
        messages(rig.gildex, &bars, rig.report, rig.dialogs,
                 [this](clsMessages&) { return std::make_unique<TerminalMessageView>(console); }) {
    host::CommandBar& bar = bars.Add("Gildex", host::BarPosition::Top, false);
    for (int i = 0; i < 6; ++i) bar.Add(host::ControlKind::Button);
    ConfigureAtStartUp(messages);
  }

  testing::EngineRig rig;
  host::CommandBars bars;
  std::ostringstream out;
  Console console;
  clsMessages messages;
};

TEST(TerminalMessageViewTest, EachModeShowsWhatItPromises) {
  struct Case {
    ConsoleMode mode;
    std::string output;
  };
  const std::string erase = "\r" + std::string(11, ' ') + "\r";
  const std::string verbose = "Numbering Module1\nGr\xC3\xB6\xC3\x9F" "e\nchecked\nModule1 numbered\n\xE2\x80\x9C"
                              "Caf\xC3\xA9\xE2\x80\x9D line 3: too long\nwrote Module1.bas\nNumbering Module1\n";
  const Case cases[] = {
      // Problems always; the progress line is taken off for each line and drawn again.
      {{.terminal = true}, "\r1/2 Module1" + erase + "\xE2\x80\x9C" "Caf\xC3\xA9\xE2\x80\x9D line 3: too long\n\r1/2 Module1" + erase +
                               "wrote Module1.bas\n\r1/2 Module1\r2/2 Module2" + erase},
      {{}, "\xE2\x80\x9C" "Caf\xC3\xA9\xE2\x80\x9D line 3: too long\nwrote Module1.bas\n"},
      {{.terminal = true, .verbose = true}, verbose},  // the lines show the progress: no progress line
      {{.verbose = true}, verbose},
      {{.quiet = true}, "\xE2\x80\x9C" "Caf\xC3\xA9\xE2\x80\x9D line 3: too long\n"},
  };
  for (const Case& c : cases) {
    TerminalRun run(c.mode);
    run.messages.ProgressBar(true);
    run.messages.AddStatus("lost: Show empties the list");
    run.messages.MessageText("Numbering Module1");
    run.messages.Show(false);
    run.console.Progress("1/2 Module1");
    run.messages.MessageText("Gr\xF6\xDF" "e\r\nchecked");
    run.messages.AddStatus("Module1 numbered");
    run.messages.AddStatus("\x93" "Caf\xE9\x94 line 3: too long");
    run.console.Line("wrote Module1.bas");
    run.messages.Hide();
    // A next window prints its message again.
    run.messages.MessageText("Numbering Module1");
    run.messages.Show(false);
    run.console.Progress("1/2 Module1");
    run.console.Progress("2/2 Module2");
    run.console.EndProgress();
    EXPECT_EQ(run.out.str(), c.output) << c.mode.terminal << c.mode.verbose << c.mode.quiet;
    EXPECT_EQ(run.console.Problems(), 1);
    EXPECT_TRUE(run.rig.dialogs.Asked().empty());
  }
}

TEST(TerminalMessageViewTest, BarShowsTheValuesPlaceClamped) {
  struct Case {
    std::int64_t min, max, value;
    std::string text;
  };
  const Case cases[] = {
      {0, 100, 45, "[#########...........]  45%"},
      {0, 4, 4, "[####################] 100%"},
      {0, 10, -3, "[....................]   0%"},
      {0, 10, 99, "[####################] 100%"},
      {-10, 10, 0, "[##########..........]  50%"},
      {5, 5, 5, "[....................]   0%"},
      {0, 2147483647, 2147483647, "[####################] 100%"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Console::BarText(c.min, c.max, c.value), c.text) << c.min << " " << c.max << " " << c.value;
}

// The progress line never wraps: a long component name gives up its middle first.
TEST(TerminalMessageViewTest, ProgressLineFitsTheWidth) {
  const struct {
    std::string name;
    std::size_t width;
    std::string line;
  } cases[] = {
      {"frmCustomer", 40, "1/2 frmCustomer: 3 procedures"},
      {"frmCustomerOrdersHistory", 30, "1/2 frmCu...tory: 3 procedures"},
      {"frmCustomerOrdersHistory", 24, "1/2 fr...y: 3 procedures"},
      {"frmCustomerOrdersHistory", 10, "1/2 frmCus"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FitLine("1/2 ", c.name, ": 3 procedures", c.width), c.line) << c.width;
    EXPECT_LE(FitLine("1/2 ", c.name, ": 3 procedures", c.width).size(), c.width);
  }
}

TEST(TerminalMessageViewTest, MeasuresLinesOfTheDefaultFontWhateverTheirEnds) {
  std::ostringstream out;
  Console console(out, {});
  const TerminalMessageView view(console);
  EXPECT_EQ(view.TextHeight(""), 195);
  EXPECT_EQ(view.TextHeight("one\r\ntwo"), 390);
  EXPECT_EQ(view.TextHeight("one\ntwo\rthree"), 585);
}

}  // namespace
}  // namespace gildex
