#include "tools/messages.h"

#include <gtest/gtest.h>

#include <optional>

#include "engine/engine_rig_test.h"
#include "tools/recording_view_test.h"
#include "tools/splash.h"

namespace gildex {
namespace {

using testing::RecordingView;

// A controller with its recording window and the "Gildex" toolbar of six buttons.
struct Controller {
  explicit Controller(bool attach_bars = true, bool with_window = true)
      : messages(rig.gildex, attach_bars ? &bars : nullptr, rig.report, rig.dialogs,
                 with_window ? MessageViewFactory([this](clsMessages&) {
                   ++windows_made;
                   return std::make_unique<RecordingView>(log, fail_in);
                 })
                             : MessageViewFactory()) {
    host::CommandBar& bar = bars.Add("Gildex", host::BarPosition::Top, false);
    for (int i = 0; i < 6; ++i) bar.Add(host::ControlKind::Button);
  }
  std::vector<std::string> Prompts() const { return testing::Prompts(rig.dialogs); }

  testing::EngineRig rig;
  host::CommandBars bars;
  std::vector<std::string> log;
  std::string fail_in;
  int windows_made = 0;
  clsMessages messages;
};

using M = clsMessages&;
using Steps = std::function<void(M)>;
using Log = std::vector<std::string>;
const Log kLoading{"Load", "Center", "Repaint", "SetHourglass on"};

Log Then(Log first, const Log& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

TEST(MessagesTest, EachCallReachesTheWindowAsItsRulesSay) {
  struct Case {
    const char* name;
    Steps setup;
    Steps act;
    std::optional<Log> log;  // the window calls `act` made; nullopt: not looked at
    std::vector<std::string> status;
    int windows;
    std::vector<std::string> asked = {};
    platform::MsgBoxResult answer = platform::vbOK;  // to a question; vbOK: none expected
    bool cancel_before = false, cancel_after = false;  // the engine's flag
  };
  const std::string sure = "Are you sure you wish to Cancel?";
  const auto busy = [](M m) { m.ButtonState(0), m.Show(false); };
  const std::string long_line = "Module1.ProcessOrders: procedure already traps its errors and was left as it is";
  const auto none = [](clsMessages&) {};
  const std::vector<Case> cases = {
      {"start-up configuration loads a hidden window without bar", none, ConfigureAtStartUp,
       Then(kLoading, {"ShowProgress off"}), {}, 1},
      {"stored-only properties never touch the window", none,
       // The message is not shown yet, the bar is off.
       [](M m) { m.Caption("Gildex"), m.Resize(true), m.MessageText("Working"), m.Value(12); },
       Log{}, {}, 0},
      {"an empty status adds nothing but repaints", none, [](M m) { m.AddStatus(""); },
       Then(kLoading, {"Repaint"}), {}, 1},
      {"only a repeat of the last status is skipped", none,
       [](M m) { for (auto t : {"A", "A", "B", "A", "", "", "Module1 skipped", "module1 skipped"}) m.AddStatus(t); },
       std::nullopt, {"A", "B", "A", "", "Module1 skipped", "module1 skipped"}, 1},
      {"the last status survives Hide and Show",
       [](M m) { m.Show(false), m.AddStatus("Form1 skipped"), m.Hide(), m.Show(false); },
       [](M m) { m.AddStatus("Form1 skipped"), m.AddStatus("Module2 skipped"); }, std::nullopt,
       {"Module2 skipped"}, 2},
      {"the value reaches the bar only while it is on", none,
       [](M m) { m.ProgressBar(false), m.Value(5), m.ProgressBar(true), m.Value(7); },
       Then(kLoading, {"ShowProgress off", "ShowProgress on", "SetProgressValue 7"}), {}, 1},
      {"Min and Max always reach the bar", none, [](M m) { m.Min(3), m.Max(40); },
       Then(kLoading, {"SetProgressRange 3 100", "SetProgressRange 3 40"}), {}, 1},
      {"Show lays out the window with the bar",
       [](M m) { ConfigureAtStartUp(m), m.ProgressBar(true), m.MessageText("Inserting error handling\r\ninto Module1"); },
       [](M m) { m.Show(false); },
       Log{"SetCaption Gildex", "SetMessage Inserting error handling\r\ninto Module1", "ClearStatus",
           "SetMessageHeight 440", "ShowProgress on", "PlaceProgress 100 660 7065", "ResizeWindow 7245x4000",
           "LayOutControls", "Center", "ShowWindow", "Repaint"},
       {}, 1},
      {"Show without the bar hides it", none, [](M m) { m.Caption("Gildex"), m.Show(true); },
       Then(kLoading, {"SetCaption Gildex", "SetMessage ", "ClearStatus", "SetMessageHeight 245", "ShowProgress off",
       "Center", "ShowWindow"}), {}, 1},
      {"only Show measures the message", [](M m) { m.MessageText("Processing Form1"), m.Show(false); },
       [](M m) { m.MessageText("Processing Form2\r\nand its controls"); },
       Log{"SetMessage Processing Form2\r\nand its controls"}, {}, 1},
      {"Hide clears the window and unloads it", [](M m) { m.Show(false), m.AddStatus("X"); },
       [](M m) { m.Hide(); }, Log{"ClearStatus", "SetMessage ", "Unload"}, {}, 1},
      {"after Hide the message is only stored", [](M m) { m.Show(false), m.Hide(); },
       [](M m) { m.MessageText("Operation was cancelled by user."); }, Log{}, {}, 1},
      {"Hide without a window makes none", none, [](M m) { m.Hide(); }, Log{}, {}, 0},
      {"OK closes the window",
       [](M m) { m.Show(false), m.AddStatus("Line 40: too long to number"), m.ButtonState(1); },
       [](M m) { m.OkClicked(); }, Log{"Unload"}, {}, 1},
      {"after OK the next access makes a fresh window",
       [](M m) { m.Show(false), m.AddStatus("Line 40"), m.ButtonState(1), m.OkClicked(); },
       [](M m) { m.AddStatus("next run"); }, Then(kLoading, {"AppendStatus next run", "Repaint"}), {"next run"}, 2},
      {"while busy OK does nothing", [](M m) { m.ButtonState(0), m.Show(false); },
       [](M m) { m.OkClicked(); }, Log{}, {}, 1},
      {"while idle Cancel does nothing", [](M m) { m.ButtonState(1), m.Show(false); },
       [](M m) { m.CancelClicked(); }, Log{}, {}, 1},
      {"closed by the user: nothing more to the window", [](M m) { m.Show(false), m.AddStatus("A"); },
       [](M m) { m.Unloaded(); }, Log{}, {}, 1},
      {"closed by the user: the next message loads a hidden window",
       [](M m) { m.Show(false), m.AddStatus("A"), m.Unloaded(); }, [](M m) { m.MessageText("Processing Module3"); },
       Then(kLoading, {"SetMessage Processing Module3"}), {}, 2},
      {"resizing re-lays the controls when resizable", [](M m) { m.Resize(true), m.Show(false); },
       [](M m) { m.Resized({8000, 5000}, false); }, Log{"LayOutControls"}, {}, 1},
      {"resizing below the minimum snaps back to it", [](M m) { m.Resize(true), m.Show(false); },
       [](M m) { m.Resized({3000, 9000}, false); }, Log{"ResizeWindow 4000x9000", "LayOutControls"}, {}, 1},
      {"resizing a minimised window", [](M m) { m.Resize(true), m.Show(false); },
       [](M m) { m.Resized({0, 0}, true); }, Log{}, {}, 1},
      {"resizing a fixed window", [](M m) { m.Show(false); }, [](M m) { m.Resized({8000, 5000}, false); }, Log{}, {},
       1},
      // 79 characters need 8200 twips: the list, 6975 of the window's 7245, grows to that.
      {"a status line wider than the list widens the window", [](M m) { m.Resize(true), m.Show(false); },
       [long_line](M m) { m.AddStatus(long_line), m.AddStatus(long_line + long_line); },
       Log{"AppendStatus " + long_line, "ResizeWindow 8518x4000", "LayOutControls", "Center", "Repaint",
           "AppendStatus " + long_line + long_line, "ResizeWindow 15000x4000", "LayOutControls", "Center", "Repaint"},
       {long_line, long_line + long_line}, 1},
      {"every state but 1 is busy", none, [](M m) { m.ButtonState(2), m.ButtonState(-1), m.ButtonState(1); },
       Then(kLoading, {"SetHourglass on", "EnableButtons ok=off cancel=on", "Repaint", "SetHourglass on",
                       "EnableButtons ok=off cancel=on", "Repaint", "SetHourglass off", "EnableButtons ok=on cancel=off",
                       "Repaint"}), {}, 1},
      {"a double click shows the whole status line",
       [long_line](M m) { m.Show(false), m.AddStatus("first"), m.AddStatus(long_line); },
       [](M m) { m.StatusDoubleClicked(1), m.StatusDoubleClicked(-1), m.StatusDoubleClicked(2); },
       Log{}, {"first", long_line}, 1, {long_line}},
      // Cancel asks and only Yes sets the engine's flag; the window stays open either way.
      {"Cancel answered Yes", busy, [](M m) { m.CancelClicked(); }, Log{}, {}, 1, {sure}, platform::vbYes, false, true},
      {"Cancel answered No", busy, [](M m) { m.CancelClicked(); }, Log{}, {}, 1, {sure}, platform::vbNo, false, false},
      {"Cancel answered No keeps a flag set", busy, [](M m) { m.CancelClicked(); }, Log{}, {}, 1, {sure}, platform::vbNo,
       true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Controller run;
    c.setup(run.messages);
    run.log.clear();
    run.rig.gildex.Cancel(c.cancel_before);
    if (c.answer != platform::vbOK) run.rig.dialogs.Answer(c.answer);
    c.act(run.messages);
    if (c.log) {
      EXPECT_EQ(run.log, *c.log);
    }
    EXPECT_EQ(run.messages.StatusLines(), c.status);
    EXPECT_EQ(run.windows_made, c.windows);
    EXPECT_EQ(run.Prompts(), c.asked);
    EXPECT_EQ(run.rig.gildex.Cancel(), c.cancel_after);
    if (c.answer != platform::vbOK) {
      EXPECT_EQ(run.rig.dialogs.Asked()[0].style, platform::vbYesNo | platform::vbCritical | platform::vbSystemModal);
      EXPECT_EQ(run.rig.dialogs.Asked()[0].title, "Gildex");
      EXPECT_TRUE(run.messages.Window() != nullptr && run.messages.Window()->visible);
    }
  }
}

// The controls keep their proportions: twice as wide doubles every left and width and leaves
// the tops and heights as Show made them (the window enlarged to its minimum height then).
TEST(MessagesTest, ControlsFollowTheWindowsSize) {
  Controller run;
  ConfigureAtStartUp(run.messages);
  EXPECT_EQ(run.messages.MaxWidth(), 4600);
  EXPECT_TRUE(run.messages.Resize());
  run.messages.Show(false);
  const MessageWindowState shown = *run.messages.Window();
  EXPECT_EQ(shown.size, (TwipsSize{7245, 4000}));
  EXPECT_EQ(shown.status_rect, (TwipsRect{120, 1717, 6975, 1639}));
  run.messages.Resized({14490, 4000}, false);
  MessageWindowState wide = shown;
  wide.size.width *= 2;
  for (TwipsRect* rect : {&wide.message_rect, &wide.heading_rect, &wide.status_rect, &wide.ok_rect, &wide.cancel_rect})
    rect->left *= 2, rect->width *= 2;
  wide.progress_rect.left *= 2, wide.progress_rect.width *= 2;
  EXPECT_EQ(*run.messages.Window(), wide);
  run.messages.Resized({7245, 4000}, false);
  EXPECT_EQ(*run.messages.Window(), shown);
}

TEST(MessagesTest, MissingToolbarIsReportedAfterTheButtonsAreSet) {
  struct Case {
    const char* name;
    bool attach;
    std::size_t buttons;  // of a bar named "GILDEX"; 0 = no bar at all
    std::string error;    // empty: none
  };
  const std::string invalid = ErrorReportText(5, "Invalid procedure call or argument", 0, "clsMessages.ButtonState");
  const Case cases[] = {
      {"no bar", true, 0, invalid},
      {"no command bars", false, 0,
       ErrorReportText(91, "Object variable or With block variable not set", 0, "clsMessages.ButtonState")},
      {"three buttons", true, 3, invalid},
      {"six buttons, attached later", false, 6, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Controller run(false);
    host::CommandBars other_bars;
    other_bars.Add("Standard", host::BarPosition::Top, false).Add(host::ControlKind::Button);
    if (c.buttons > 0) {
      host::CommandBar& bar = other_bars.Add("GILDEX", host::BarPosition::Top, false);
      for (std::size_t i = 0; i < c.buttons; ++i) bar.Add(host::ControlKind::Button);
    }
    run.messages.SetCommandBars(c.attach || c.buttons == 6 ? &other_bars : nullptr);

    run.messages.ButtonState(0);

    EXPECT_EQ(run.Prompts(), c.error.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.error});
    EXPECT_TRUE(run.messages.Busy());
    EXPECT_EQ(run.log.back(), c.error.empty() ? "Repaint" : "EnableButtons ok=off cancel=on")
        << "no repaint after the error";
    EXPECT_TRUE(other_bars.bars[0]->controls[0]->enabled) << "other bars untouched";
    for (std::size_t i = 0; i < c.buttons; ++i)
      EXPECT_EQ(other_bars.Find("Gildex")->controls[i]->enabled, i == 5) << i;
  }
}

TEST(MessagesTest, WindowFailuresAreReportedUnderTheOperation) {
  struct Case {
    const char* fail_in;  // empty: no window can be made at all
    Steps run;
    const char* name;
  };
  const Case cases[] = {
      {"ShowWindow", [](M m) { m.Show(false); }, "clsMessages.Show"},
      {"AppendStatus", [](M m) { m.AddStatus("x"); }, "clsMessages.AddStatus"},
      {"SetProgressRange", [](M m) { m.Max(9); }, "clsMessages.Max"},
      {"ShowProgress", [](M m) { m.ProgressBar(true); }, "clsMessages.ProgressBar"},
      {"Load", [](M m) { m.ButtonState(0); }, "clsMessages.ButtonState"},
      {"Center", [](M m) { m.Resize(true), m.AddStatus("y"); }, "frmMessage.Form_Load"},
      {"", ConfigureAtStartUp, "clsMessages.ProgressBar"},
  };
  for (const Case& c : cases) {
    Controller run(true, *c.fail_in != '\0');
    run.fail_in = c.fail_in;
    c.run(run.messages);
    EXPECT_EQ(testing::ReportedNames(run.rig.dialogs), std::vector<std::string>{c.name}) << c.fail_in;
  }
  // Retry runs the operation again.
  Controller run;
  run.messages.Show(false);
  run.fail_in = "AppendStatus";
  run.rig.dialogs.Answer(platform::vbRetry);
  run.messages.AddStatus("Form1 skipped");
  EXPECT_EQ(testing::ReportedNames(run.rig.dialogs), std::vector<std::string>{"clsMessages.AddStatus"});
  EXPECT_EQ(run.messages.StatusLines(), std::vector<std::string>{"Form1 skipped"});
}

// The splash window's version label from the program's version string.
TEST(SplashTest, VersionLabelTakesMajorAndMinor) {
  const std::pair<const char*, const char*> cases[] = {
      {"0.1.0", "v0.1"}, {"2.10.3", "v2.10"}, {"3", "v3.0"}, {"", "v0.0"}, {"1.07-beta", "v1.7"}, {"x.2", "v0.2"},
  };
  for (const auto& [version, label] : cases) EXPECT_EQ(SplashVersion(version), label) << version;
}

}  // namespace
}  // namespace gildex
