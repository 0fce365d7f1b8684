#include "tools/terminal_view.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "engine/engine_rig_test.h"
#include "tools/messages.h"

namespace gildex {
namespace {

enum class Mode { Terminal, Plain, Quiet };

// A command line run: the controller draws through a terminal view on `out`.
struct TerminalRun {
  explicit TerminalRun(Mode mode)
      : messages(rig.gildex, &bars, rig.report, rig.dialogs, [this, mode](clsMessages&) {
          return std::make_unique<TerminalMessageView>(out, mode == Mode::Terminal, mode == Mode::Quiet);
        }) {
    host::CommandBar& bar = bars.Add("Gildex", host::BarPosition::Top, false);
    for (int i = 0; i < 6; ++i) bar.Add(host::ControlKind::Button);
    ConfigureAtStartUp(messages);
  }

  testing::EngineRig rig;
  host::CommandBars bars;
  std::ostringstream out;
  clsMessages messages;
};

std::string Bar(int cells, int percent) {
  std::string text = "\r[" + std::string(cells, '#') + std::string(20 - cells, '.') + "] ";
  const std::string number = std::to_string(percent);
  return text + std::string(3 - number.size(), ' ') + number + "%";
}
const std::string kErase = "\r" + std::string(27, ' ') + "\r";

// Numbering two modules, with a note and a change of message on the way.
void NumberTwoModules(clsMessages& messages) {
  messages.ProgressBar(true);
  messages.ButtonState(0);
  messages.MessageText("Numbering Module1");
  messages.Show(false);
  messages.Max(4);
  messages.Value(1);
  messages.AddStatus("Module1 line 3: too long to number");
  messages.Value(2);
  messages.Value(2);
  messages.MessageText("Numbering Module2");
  messages.Value(4);
  messages.MessageText("Line numbers added to project.");
  messages.ButtonState(1);
  messages.OkClicked();
}

TEST(TerminalMessageViewTest, DrawsEachModeAsTheUserExpects) {
  struct Case {
    const char* name;
    Mode mode;
    std::function<void(clsMessages&)> run;
    std::string output;
  };
  const std::vector<Case> cases = {
      {"terminal", Mode::Terminal, NumberTwoModules,
       "Numbering Module1\n" + Bar(0, 0) + Bar(5, 25) +                       //
           kErase + "Module1 line 3: too long to number\n" + Bar(5, 25) +     //
           Bar(10, 50) + kErase + "Numbering Module2\n" + Bar(10, 50) +       //
           Bar(20, 100) + kErase + "Line numbers added to project.\n" + Bar(20, 100) + kErase},
      {"plain", Mode::Plain, NumberTwoModules,
       "Numbering Module1\nModule1 line 3: too long to number\nNumbering Module2\nLine numbers added to project.\n"},
      {"quiet", Mode::Quiet, NumberTwoModules, ""},
      {"hidden window", Mode::Terminal,
       [](clsMessages& m) { m.ProgressBar(true), m.AddStatus("lost: Show empties the list"), m.Value(50); }, ""},
      {"Windows-1252 text in UTF-8 with line feeds", Mode::Plain,
       [](clsMessages& m) {
         m.MessageText("Gr\xF6\xDF" "e of Form1\r\nchecked");
         m.Show(false);
         m.AddStatus("\x93" "Caf\xE9\x94 skipped");
       },
       "Größe of Form1\nchecked\n“Café” skipped\n"},
      {"a next window prints its message again", Mode::Plain,
       [](clsMessages& m) {
         for (int i = 0; i < 2; ++i) {
           m.MessageText("Numbering Module1"), m.Show(false), m.AddStatus("Module1 numbered"), m.Hide();
         }
       },
       "Numbering Module1\nModule1 numbered\nNumbering Module1\n"},  // the repeated status is the controller's rule
  };
  for (const Case& c : cases) {
    TerminalRun run(c.mode);
    c.run(run.messages);
    EXPECT_EQ(run.out.str(), c.output) << c.name;
    EXPECT_TRUE(run.rig.dialogs.Asked().empty());
  }
}

TEST(TerminalMessageViewTest, BarShowsTheValuesPlaceClamped) {
  struct Case {
    std::int32_t min, max, value;
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
    EXPECT_EQ(TerminalMessageView::BarText(c.min, c.max, c.value), c.text) << c.min << " " << c.max << " " << c.value;
}

TEST(TerminalMessageViewTest, MeasuresLinesOfTheDefaultFont) {
  std::ostringstream out;
  const TerminalMessageView view(out, true);
  EXPECT_EQ(view.TextHeight(""), 195);
  EXPECT_EQ(view.TextHeight("one\r\ntwo"), 390);
  EXPECT_EQ(view.TextHeight("one\ntwo\rthree"), 585);
}

}  // namespace
}  // namespace gildex
