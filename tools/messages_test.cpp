#include "tools/messages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "engine/engine_rig_test.h"

namespace gildex {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The real window comes with the desktop interface; this one writes down what it is told.
class RecordingView : public MessageView {
 public:
  RecordingView(std::vector<std::string>& log, std::string& fail_in) : log_(log), fail_in_(fail_in) {}

  void Load(const MessageWindowState&) override { Note("Load"); }
  void Unload() override { Note("Unload"); }
  void SetCaption(const std::string& caption) override { Note("SetCaption " + caption); }
  void SetMessage(const std::string& text) override { Note("SetMessage " + text); }
  void SetMessageHeight(long height) override { Note("SetMessageHeight " + std::to_string(height)); }
  void ShowProgress(bool on) override { Note(on ? "ShowProgress on" : "ShowProgress off"); }
  void SetProgressRange(std::int32_t min, std::int32_t max) override {
    Note("SetProgressRange " + std::to_string(min) + " " + std::to_string(max));
  }
  void SetProgressValue(std::int32_t value) override { Note("SetProgressValue " + std::to_string(value)); }
  void PlaceProgress(long left, long top, long width) override {
    Note("PlaceProgress " + std::to_string(left) + " " + std::to_string(top) + " " + std::to_string(width));
  }
  void AppendStatus(const std::string& line) override { Note("AppendStatus " + line); }
  void ClearStatus() override { Note("ClearStatus"); }
  void SetHourglass(bool on) override { Note(on ? "SetHourglass on" : "SetHourglass off"); }
  void EnableButtons(bool ok, bool cancel) override {
    Note(std::string("EnableButtons ok=") + (ok ? "on" : "off") + " cancel=" + (cancel ? "on" : "off"));
  }
  void LayOutControls() override { Note("LayOutControls"); }
  void Center() override { Note("Center"); }
  void ShowWindow() override { Note("ShowWindow"); }
  void Repaint() override { Note("Repaint"); }
  long TextHeight(const std::string& text) const override {
    long lines = 1;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++lines;
    return lines * 195;
  }
  long OuterWidth() const override { return 7365; }

 private:
  // Fails once in the operation named by `fail_in`, as a window gone wrong would.
  void Note(const std::string& call) {
    if (!fail_in_.empty() && call.rfind(fail_in_, 0) == 0) {
      fail_in_.clear();
      throw std::runtime_error("the window failed in " + call);
    }
    log_.push_back(call);
  }
  std::vector<std::string>& log_;
  std::string& fail_in_;
};

class MessagesTest : public ::testing::Test {
 protected:
  MessagesTest() {
    host::CommandBar& bar = bars.Add("Gildex", host::BarPosition::Top, false);
    for (const char* tag :
         {"Gildex_Insert", "Gildex_Remove", "Gildex_Number", "Gildex_Unnumber", "Gildex_Options", "Gildex_Info"})
      bar.Add(host::ControlKind::Button).tag = tag;
  }

  std::vector<bool> ToolbarEnabled() {
    std::vector<bool> enabled;
    for (const auto& control : bars.Find("Gildex")->controls) enabled.push_back(control->enabled);
    return enabled;
  }
  std::vector<std::string> TakeLog() { return std::exchange(log, {}); }

  testing::EngineRig rig;
  host::CommandBars bars;
  std::vector<std::string> log;
  std::string fail_in;
  int windows_made = 0;
  clsMessages messages{rig.gildex, &bars, rig.report, rig.dialogs, [this](clsMessages&) {
                         ++windows_made;
                         return std::make_unique<RecordingView>(log, fail_in);
                       }};
};

const std::vector<std::string> kLoadingEvent{"Load", "Center", "Repaint", "SetHourglass on"};

std::vector<std::string> Then(std::vector<std::string> first, const std::vector<std::string>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

TEST_F(MessagesTest, FreshControllerHasNoWindowAndEmptyFields) {
  EXPECT_EQ(messages.Window(), nullptr);
  EXPECT_FALSE(messages.Shown());
  EXPECT_FALSE(messages.Busy());
  EXPECT_EQ(messages.LastStatus(), "");
  EXPECT_EQ(messages.Caption(), "");
  EXPECT_EQ(messages.MessageText(), "");
  EXPECT_FALSE(messages.ProgressBar());
  EXPECT_FALSE(messages.Resize());
  EXPECT_EQ(messages.MaxWidth(), 0);
  EXPECT_EQ(messages.Min(), 0);
  EXPECT_EQ(messages.Max(), 0);
  EXPECT_EQ(messages.Value(), 0);
  EXPECT_EQ(windows_made, 0);
}

TEST_F(MessagesTest, StartUpConfigurationLoadsAHiddenWindowWithoutBar) {
  ConfigureAtStartUp(messages);

  EXPECT_EQ(messages.Caption(), "Gildex");
  EXPECT_FALSE(messages.ProgressBar());
  EXPECT_TRUE(messages.Resize());
  EXPECT_EQ(messages.MaxWidth(), 4600);
  EXPECT_EQ(TakeLog(), Then(kLoadingEvent, {"ShowProgress off"}));
  MessageWindowState expected;
  expected.hourglass = true;
  expected.resizable = true;
  expected.progress_on = false;
  ASSERT_NE(messages.Window(), nullptr);
  EXPECT_EQ(*messages.Window(), expected);
  EXPECT_THAT(rig.dialogs.Asked(), IsEmpty());
}

TEST_F(MessagesTest, StoredOnlyPropertiesNeverTouchTheWindow) {
  messages.Caption("Gildex");
  messages.MaxWidth(4600);
  messages.Resize(true);
  messages.MessageText("Working");  // not shown yet
  messages.Value(12);               // bar off

  EXPECT_EQ(messages.Window(), nullptr);
  EXPECT_THAT(log, IsEmpty());
  EXPECT_EQ(messages.Value(), 12);
  EXPECT_EQ(messages.MessageText(), "Working");
}

TEST_F(MessagesTest, AddStatusSkipsOnlyARepeatOfTheLastLine) {
  struct Case {
    std::vector<std::string> added;
    std::vector<std::string> listed;
  };
  const Case cases[] = {
      {{"A", "A"}, {"A"}},
      {{"A", "B", "A"}, {"A", "B", "A"}},
      {{""}, {}},
      {{"", "A", "", ""}, {"A", ""}},
      {{"Module1 skipped", "module1 skipped"}, {"Module1 skipped", "module1 skipped"}},
  };
  for (const Case& c : cases) {
    testing::EngineRig run_rig;
    clsMessages controller(run_rig.gildex, &bars, run_rig.report, run_rig.dialogs,
                           [this](clsMessages&) { return std::make_unique<RecordingView>(log, fail_in); });
    for (const std::string& text : c.added) controller.AddStatus(text);
    EXPECT_EQ(controller.StatusLines(), c.listed) << ::testing::PrintToString(c.added);
    EXPECT_EQ(controller.LastStatus(), c.added.back());
  }
}

TEST_F(MessagesTest, EmptyStatusOnAFreshControllerAddsNothingButStillRepaints) {
  messages.AddStatus("");

  EXPECT_EQ(TakeLog(), Then(kLoadingEvent, {"Repaint"}));
  EXPECT_THAT(messages.StatusLines(), IsEmpty());
}

TEST_F(MessagesTest, LastStatusSurvivesHideAndShow) {
  messages.Show(false);
  messages.AddStatus("Form1 is read-only: skipped");
  messages.Hide();
  messages.Show(false);
  messages.AddStatus("Form1 is read-only: skipped");
  messages.AddStatus("Module2 is read-only: skipped");

  EXPECT_THAT(messages.StatusLines(), ElementsAre("Module2 is read-only: skipped"));
  EXPECT_EQ(messages.LastStatus(), "Module2 is read-only: skipped");
  EXPECT_EQ(windows_made, 2);
}

TEST_F(MessagesTest, ShowEmptiesTheStatusListOfTheLoadedWindow) {
  messages.AddStatus("before");
  messages.Show(false);

  EXPECT_THAT(messages.StatusLines(), IsEmpty());
  EXPECT_EQ(messages.LastStatus(), "before");
}

TEST_F(MessagesTest, ValueReachesTheBarOnlyWhileItIsOn) {
  messages.ProgressBar(false);
  messages.Value(5);
  EXPECT_EQ(messages.Value(), 5);
  EXPECT_EQ(messages.Window()->progress_value, 0);

  messages.ProgressBar(true);
  messages.Value(7);
  EXPECT_EQ(messages.Window()->progress_value, 7);

  EXPECT_EQ(TakeLog(), Then(kLoadingEvent, {"ShowProgress off", "ShowProgress on", "SetProgressValue 7"}));
}

TEST_F(MessagesTest, MinAndMaxAlwaysReachTheBar) {
  messages.Min(3);
  messages.Max(40);

  EXPECT_EQ(messages.Min(), 3);
  EXPECT_EQ(messages.Max(), 40);
  EXPECT_FALSE(messages.ProgressBar());
  EXPECT_EQ(messages.Window()->progress_min, 3);
  EXPECT_EQ(messages.Window()->progress_max, 40);
  EXPECT_EQ(TakeLog(), Then(kLoadingEvent, {"SetProgressRange 3 100", "SetProgressRange 3 40"}));
}

TEST_F(MessagesTest, ShowLaysOutTheWindowWithTheBar) {
  ConfigureAtStartUp(messages);
  messages.ProgressBar(true);
  messages.MessageText("Inserting error handling\r\ninto Module1");
  TakeLog();

  messages.Show(false);

  EXPECT_EQ(TakeLog(),
            (std::vector<std::string>{"SetCaption Gildex", "SetMessage Inserting error handling\r\ninto Module1",
                                      "ClearStatus", "SetMessageHeight 440", "ShowProgress on",
                                      "PlaceProgress 100 660 7065", "Center", "ShowWindow", "Repaint"}));
  MessageWindowState expected;
  expected.caption = "Gildex";
  expected.message = "Inserting error handling\r\ninto Module1";
  expected.message_rect = {120, 120, 7215, 440};
  expected.progress_rect = {100, 660, 7065, 255};
  expected.hourglass = true;
  expected.resizable = true;
  expected.visible = true;
  EXPECT_EQ(*messages.Window(), expected);
  EXPECT_TRUE(messages.Shown());
}

TEST_F(MessagesTest, ShowWithoutBarHidesItAndLeavesItWhereItWas) {
  messages.Caption("Gildex");
  messages.Show(true);

  EXPECT_EQ(TakeLog(), Then(kLoadingEvent, {"SetCaption Gildex", "SetMessage ", "ClearStatus", "SetMessageHeight 245",
                                            "ShowProgress off", "Center", "ShowWindow"}));
  MessageWindowState expected;
  expected.caption = "Gildex";
  expected.message = "";
  expected.message_rect = {120, 120, 7215, 245};
  expected.progress_on = false;
  expected.hourglass = true;
  expected.resizable = false;  // the controller's Resize, never set
  expected.visible = true;
  EXPECT_EQ(*messages.Window(), expected);
}

TEST_F(MessagesTest, MessageTextBeforeShowIsShownAfterHideOnlyStored) {
  messages.MessageText("Processing Form1");
  EXPECT_EQ(messages.Window(), nullptr);
  messages.Show(false);
  EXPECT_EQ(messages.Window()->message, "Processing Form1");

  messages.MessageText("Processing Form2\r\nand its controls");
  EXPECT_EQ(messages.Window()->message, "Processing Form2\r\nand its controls");
  EXPECT_EQ(messages.Window()->message_rect.height, 245) << "only Show measures the message";

  messages.Hide();
  TakeLog();
  messages.MessageText("Operation was cancelled by user.");
  EXPECT_EQ(messages.Window(), nullptr);
  EXPECT_THAT(log, IsEmpty());
  EXPECT_EQ(messages.MessageText(), "Operation was cancelled by user.");
}

TEST_F(MessagesTest, HideClearsTheWindowAndUnloadsIt) {
  messages.Show(false);
  messages.AddStatus("X");
  TakeLog();

  messages.Hide();

  EXPECT_EQ(TakeLog(), (std::vector<std::string>{"ClearStatus", "SetMessage ", "Unload"}));
  EXPECT_EQ(messages.Window(), nullptr);
  EXPECT_FALSE(messages.Shown());
  EXPECT_EQ(messages.LastStatus(), "X");
}

TEST_F(MessagesTest, HideWithoutAWindowMakesNone) {
  messages.Hide();
  EXPECT_EQ(windows_made, 0);
  EXPECT_FALSE(messages.Shown());
}

TEST_F(MessagesTest, ButtonStateSwitchesWindowAndToolbar) {
  struct Case {
    std::int16_t state;
    bool idle;
  };
  for (const Case c : {Case{0, false}, Case{1, true}, Case{2, false}, Case{-1, false}, Case{1, true}}) {
    messages.ButtonState(c.state);
    const MessageWindowState& window = *messages.Window();
    EXPECT_EQ(messages.Busy(), !c.idle) << c.state;
    EXPECT_EQ(window.hourglass, !c.idle) << c.state;
    EXPECT_EQ(window.ok_enabled, c.idle) << c.state;
    EXPECT_EQ(window.cancel_enabled, !c.idle) << c.state;
    // The sixth button (information) stays usable while a command runs.
    EXPECT_EQ(ToolbarEnabled(), (std::vector<bool>{c.idle, c.idle, c.idle, c.idle, c.idle, true})) << c.state;
  }
  EXPECT_THAT(rig.dialogs.Asked(), IsEmpty());
}

TEST_F(MessagesTest, ButtonStateTwoIsExactlyButtonStateZero) {
  messages.ButtonState(0);
  const MessageWindowState after_zero = *messages.Window();
  const std::vector<bool> toolbar_after_zero = ToolbarEnabled();
  const std::vector<std::string> log_after_zero = TakeLog();
  messages.Hide();
  TakeLog();

  messages.ButtonState(2);

  EXPECT_EQ(*messages.Window(), after_zero);
  EXPECT_EQ(ToolbarEnabled(), toolbar_after_zero);
  EXPECT_EQ(TakeLog(), log_after_zero);
  EXPECT_EQ(log_after_zero, Then(kLoadingEvent, {"SetHourglass on", "EnableButtons ok=off cancel=on", "Repaint"}));
}

TEST_F(MessagesTest, MissingToolbarIsReportedAfterTheButtonsAreSet) {
  struct Case {
    const char* name;
    bool attach;
    std::size_t buttons;  // of a bar named "GILDEX"; 0 = no bar at all
    std::string error;
  };
  const Case cases[] = {
      {"no bar", true, 0, ErrorReportText(5, "Invalid procedure call or argument", 0, "clsMessages.ButtonState")},
      {"no command bars", false, 0,
       ErrorReportText(91, "Object variable or With block variable not set", 0, "clsMessages.ButtonState")},
      {"three buttons", true, 3,
       ErrorReportText(5, "Invalid procedure call or argument", 0, "clsMessages.ButtonState")},
  };
  for (const Case& c : cases) {
    testing::EngineRig run_rig;
    host::CommandBars other_bars;
    other_bars.Add("Standard", host::BarPosition::Top, false).Add(host::ControlKind::Button);
    if (c.buttons > 0) {
      host::CommandBar& bar = other_bars.Add("GILDEX", host::BarPosition::Top, false);
      for (std::size_t i = 0; i < c.buttons; ++i) bar.Add(host::ControlKind::Button);
    }
    std::vector<std::string> run_log;
    clsMessages controller(run_rig.gildex, c.attach ? &other_bars : nullptr, run_rig.report, run_rig.dialogs,
                           [&](clsMessages&) { return std::make_unique<RecordingView>(run_log, fail_in); });

    controller.ButtonState(0);

    ASSERT_EQ(run_rig.dialogs.Asked().size(), 1u) << c.name;
    const platform::MessageBox& box = run_rig.dialogs.Asked()[0];
    EXPECT_EQ(box.prompt, c.error) << c.name;
    EXPECT_EQ(box.title, "Gildex Error.") << c.name;
    EXPECT_FALSE(controller.Window()->ok_enabled) << c.name;
    EXPECT_TRUE(controller.Window()->cancel_enabled) << c.name;
    EXPECT_TRUE(controller.Busy()) << c.name;
    EXPECT_EQ(run_log.back(), "EnableButtons ok=off cancel=on") << c.name << ": no repaint after the error";
    EXPECT_TRUE(other_bars.bars[0]->controls[0]->enabled) << c.name << ": other bars untouched";
    if (c.buttons > 0) {
      for (const auto& control : other_bars.Find("Gildex")->controls) EXPECT_FALSE(control->enabled) << c.name;
    }
  }
}

TEST_F(MessagesTest, ToolbarAttachedLaterIsUsed) {
  clsMessages controller(rig.gildex, nullptr, rig.report, rig.dialogs,
                         [this](clsMessages&) { return std::make_unique<RecordingView>(log, fail_in); });
  controller.SetCommandBars(&bars);
  controller.ButtonState(0);

  EXPECT_EQ(ToolbarEnabled(), (std::vector<bool>{false, false, false, false, false, true}));
  EXPECT_THAT(rig.dialogs.Asked(), IsEmpty());
}

TEST_F(MessagesTest, CancelAsksAndOnlyYesSetsTheEngineFlag) {
  struct Case {
    platform::MsgBoxResult answer;
    bool flag_before;
    bool flag_after;
  };
  for (const Case c : {Case{platform::vbYes, false, true}, Case{platform::vbNo, false, false},
                       Case{platform::vbNo, true, true}, Case{platform::vbYes, true, true}}) {
    testing::EngineRig run_rig;
    clsMessages controller(run_rig.gildex, &bars, run_rig.report, run_rig.dialogs,
                           [this](clsMessages&) { return std::make_unique<RecordingView>(log, fail_in); });
    controller.ButtonState(0);
    controller.Show(false);
    run_rig.gildex.Cancel(c.flag_before);
    run_rig.dialogs.Answer(c.answer);

    controller.CancelClicked();

    EXPECT_EQ(run_rig.gildex.Cancel(), c.flag_after) << platform::AnswerName(c.answer) << c.flag_before;
    ASSERT_EQ(run_rig.dialogs.Asked().size(), 1u);
    const platform::MessageBox& question = run_rig.dialogs.Asked()[0];
    EXPECT_EQ(question.prompt, "Are you sure you wish to Cancel?");
    EXPECT_EQ(question.style, 4116);
    EXPECT_EQ(question.title, "Gildex");
    ASSERT_NE(controller.Window(), nullptr) << "the window stays open";
    EXPECT_TRUE(controller.Window()->visible);
  }
}

TEST_F(MessagesTest, DisabledButtonsDoNothing) {
  messages.ButtonState(1);
  messages.Show(false);
  messages.CancelClicked();
  EXPECT_THAT(rig.dialogs.Asked(), IsEmpty());
  EXPECT_FALSE(rig.gildex.Cancel());

  messages.ButtonState(0);
  messages.OkClicked();
  ASSERT_NE(messages.Window(), nullptr) << "while busy the user can only cancel";
  EXPECT_TRUE(messages.Window()->visible);
}

TEST_F(MessagesTest, OkClosesTheWindowAndTheNextAccessMakesAFreshOne) {
  messages.Show(false);
  messages.AddStatus("Line 40: too long to number");
  messages.ButtonState(1);
  TakeLog();

  messages.OkClicked();

  EXPECT_EQ(TakeLog(), (std::vector<std::string>{"Unload"}));
  EXPECT_EQ(messages.Window(), nullptr);
  EXPECT_THAT(messages.StatusLines(), IsEmpty());
  EXPECT_TRUE(messages.Shown()) << "only Hide clears the shown flag";

  messages.AddStatus("next run");
  EXPECT_EQ(windows_made, 2);
  EXPECT_THAT(messages.StatusLines(), ElementsAre("next run"));
  EXPECT_FALSE(messages.Window()->visible);
}

TEST_F(MessagesTest, ClosedByTheUserWhileShownTheNextMessageLoadsAHiddenWindow) {
  messages.Show(false);
  messages.AddStatus("A");
  TakeLog();

  messages.Unloaded();
  EXPECT_THAT(log, IsEmpty()) << "the window is already going";
  EXPECT_EQ(messages.Window(), nullptr);

  messages.MessageText("Processing Module3");
  EXPECT_EQ(TakeLog(), Then(kLoadingEvent, {"SetMessage Processing Module3"}));
  EXPECT_EQ(messages.Window()->message, "Processing Module3");
  EXPECT_FALSE(messages.Window()->visible);
  EXPECT_THAT(messages.StatusLines(), IsEmpty());
}

TEST_F(MessagesTest, DoubleClickShowsTheWholeStatusLine) {
  const std::string long_line =
      "Module1.ProcessOrders: procedure already traps its errors and was left as it is (line 1200)";
  messages.Show(false);
  messages.AddStatus("first");
  messages.AddStatus(long_line);

  messages.StatusDoubleClicked(1);
  messages.StatusDoubleClicked(-1);
  messages.StatusDoubleClicked(2);

  ASSERT_EQ(rig.dialogs.Asked().size(), 1u);
  EXPECT_EQ(rig.dialogs.Asked()[0].prompt, long_line);
  EXPECT_EQ(rig.dialogs.Asked()[0].style, platform::vbOKOnly);
  EXPECT_EQ(rig.dialogs.Asked()[0].title, "");
}

TEST_F(MessagesTest, ResizingReLaysControlsOnlyWhenResizable) {
  for (const bool resizable : {true, false}) {
    messages.Resize(resizable);
    messages.Show(false);
    TakeLog();
    messages.Resized();
    EXPECT_EQ(TakeLog(), resizable ? std::vector<std::string>{"LayOutControls"} : std::vector<std::string>{});
  }
}

TEST_F(MessagesTest, WindowFailuresAreReportedUnderTheOperation) {
  struct Case {
    const char* fail_in;
    std::function<void(clsMessages&)> run;
    const char* name;
  };
  const Case cases[] = {
      {"ShowWindow", [](clsMessages& m) { m.Show(false); }, "clsMessages.Show"},
      {"AppendStatus", [](clsMessages& m) { m.AddStatus("x"); }, "clsMessages.AddStatus"},
      {"SetProgressRange", [](clsMessages& m) { m.Max(9); }, "clsMessages.Max"},
      {"SetProgressRange", [](clsMessages& m) { m.Min(1); }, "clsMessages.Min"},
      {"ShowProgress", [](clsMessages& m) { m.ProgressBar(true); }, "clsMessages.ProgressBar"},
      {"Load", [](clsMessages& m) { m.ButtonState(0); }, "clsMessages.ButtonState"},
      {"Center",
       [](clsMessages& m) {
         m.Resize(true);
         m.AddStatus("y");
       },
       "frmMessage.Form_Load"},
  };
  for (const Case& c : cases) {
    testing::EngineRig run_rig;
    std::string fail = c.fail_in;
    std::vector<std::string> run_log;
    clsMessages controller(run_rig.gildex, &bars, run_rig.report, run_rig.dialogs,
                           [&](clsMessages&) { return std::make_unique<RecordingView>(run_log, fail); });
    c.run(controller);
    EXPECT_THAT(testing::ReportedNames(run_rig.dialogs), ElementsAre(c.name)) << c.fail_in;
  }
}

TEST_F(MessagesTest, RetryRunsTheOperationAgain) {
  messages.Show(false);
  fail_in = "AppendStatus";
  rig.dialogs.Answer(platform::vbRetry);

  messages.AddStatus("Form1 skipped");

  EXPECT_THAT(testing::ReportedNames(rig.dialogs), ElementsAre("clsMessages.AddStatus"));
  EXPECT_THAT(messages.StatusLines(), ElementsAre("Form1 skipped"));
}

TEST_F(MessagesTest, WithoutAWindowToMakeTheFirstAccessFailsLoudly) {
  clsMessages controller(rig.gildex, &bars, rig.report, rig.dialogs, nullptr);
  ConfigureAtStartUp(controller);

  EXPECT_THAT(testing::ReportedNames(rig.dialogs), ElementsAre("clsMessages.ProgressBar"));
  EXPECT_EQ(controller.Window(), nullptr);
  EXPECT_EQ(controller.Caption(), "Gildex");
}

TEST_F(MessagesTest, ACommandFromStartToEnd) {
  ConfigureAtStartUp(messages);
  messages.ButtonState(0);
  messages.MessageText("Inserting error handling into Module1");
  messages.Show(false);
  rig.gildex.Cancel(false);
  messages.AddStatus("Form1.frm is read-only: skipped");
  messages.Max(10);
  messages.Value(3);
  messages.AddStatus("Form1.frm is read-only: skipped");
  messages.MessageText("Gildex Error trapping added to project.");
  messages.ButtonState(1);

  MessageWindowState expected;
  expected.caption = "Gildex";
  expected.message = "Gildex Error trapping added to project.";
  expected.message_rect = {120, 120, 7215, 245};
  expected.progress_on = false;
  expected.progress_max = 10;
  expected.status = {"Form1.frm is read-only: skipped"};
  expected.hourglass = false;
  expected.ok_enabled = true;
  expected.cancel_enabled = false;
  expected.resizable = true;
  expected.visible = true;
  EXPECT_EQ(*messages.Window(), expected);
  EXPECT_EQ(ToolbarEnabled(), std::vector<bool>(6, true));
  EXPECT_FALSE(messages.Busy());
  EXPECT_EQ(windows_made, 1);
  EXPECT_THAT(rig.dialogs.Asked(), IsEmpty());
}

}  // namespace
}  // namespace gildex
