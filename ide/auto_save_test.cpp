// The timed auto-save over the sample project on disk, driven by the fixed clock and the
// platform timers.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/project_loader.h"
#include "ide/connect.h"
#include "ide/ide_rig_test.h"

namespace gildex {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using platform::testing::ReadBytes;

// The IDE in design mode, or running the project.
struct RunnableVbe : host::MemoryVBE {
  std::string MainWindowCaption() const override {
    return running ? "Orders - Microsoft Visual Basic [run]" : MemoryVBE::MainWindowCaption();
  }
  bool running = false;
};

struct Host : testing::SampleHost {
  RunnableVbe vbe;  // in place of the plain one
};

constexpr std::int64_t kInterval = 5 * 60000;

TEST(AutoSave, EachTickSavesInDesignModeAsConfirmedAndArmsTheNext) {
  enum Load { Project, LoneModule };
  struct Case {
    std::string name;
    bool running = false, confirm = false, forced = false, change = true;
    platform::MsgBoxResult answer = platform::vbYes;
    Load load = Project;
    std::string save_as = "";  // the save dialog's answer
    Strings seen;
  };
  const std::string question = "ask Gildex is about to autosave your project, do you wish to continue?";
  const std::string finished = "status AutoSave Finished 14:05 09/Mar/2024";
  const std::string project_dialog = "dialog Gildex AutoSave: Project Files *.VBP|All Files *.*, default *.VBP";
  const std::string rearmed = "timer again after the interval";
  const std::vector<Case> cases = {
      {"no question asked", false, false, false, true, {}, Project, "", {"wrote modGlobals.bas", finished, rearmed}},
      {"running: nothing saved", true, true, false, true, {}, Project, "", {rearmed}},
      {"answered Yes", false, true, false, true, platform::vbYes, Project, "",
       {question, "wrote modGlobals.bas", finished, rearmed}},
      {"answered No", false, true, false, true, platform::vbNo, Project, "", {question, rearmed}},
      {"answered Cancel", false, true, false, true, platform::vbCancel, Project, "", {question, "AutoSave off"}},
      {"nothing changed", false, false, false, false, {}, Project, "", {"window hidden", rearmed}},
      {"forced while running", true, true, true, true, {}, Project, "", {"wrote modGlobals.bas", finished, "no timer"}},
      {"never-saved project, dialog cancelled", false, false, false, true, {}, LoneModule, "",
       {project_dialog, "wrote modGlobals.bas", finished, rearmed}},
      {"never-saved project given a name", false, false, false, true, {}, LoneModule, "Orders2.vbp",
       {project_dialog, "wrote modGlobals.bas", "wrote Orders2.vbp", finished, rearmed}},
  };
  for (const Case& c : cases) {
    Host host;
    host.rig.Option("AutoSave", "True");
    host.rig.Option("Save Interval", "5");
    host.rig.Option("Confirm Save", c.confirm ? "True" : "False");
    const fs::path module_file = host.folder / "modGlobals.bas";
    host::Load(host.vbe, c.load == Project ? host.folder / "Orders.vbp" : module_file);
    const std::string module_before = ReadBytes(module_file), project_before = ReadBytes(host.folder / "Orders.vbp");
    Connect connect(host.rig.add_in, {});
    connect.OnConnection(&host.vbe, ext_cm_AfterStartup);
    CGildex& engine = host.rig.add_in.Engine();
    host.vbe.running = c.running;
    if (c.change) {
      host::CodeModule& code = *host.vbe.ActiveVBProject()->FindComponent("modGlobals")->Code();
      code.InsertLines(code.CountOfLines() + 1, "' changed");
    }
    if (c.confirm) host.rig.dialogs.Answer(c.answer);
    if (!c.save_as.empty()) host.rig.dialogs.AnswerSave((host.folder / c.save_as).string());
    const std::size_t logged = host.rig.window_log.size();
    ASSERT_EQ(host.rig.timers.Count(), 1u) << c.name << ": loading AutoSave starts the timer";
    if (c.forced) {
      connect.AutoSaveProject(true);
    } else {  // the first tick; when it comes is the engine's timer's test
      host.rig.clock.AdvanceTicks(kInterval);
      host.rig.timers.ProcessDue();
    }
    Strings seen;
    for (const platform::MessageBox& box : host.rig.dialogs.Asked()) {
      if (box.title.ends_with(" Error.")) {
        seen.push_back("error report");
        continue;
      }
      seen.push_back("ask " + box.prompt);
      EXPECT_EQ(box.style, platform::vbYesNoCancel | platform::vbQuestion) << c.name;
    }
    for (const platform::SaveFileDialog& dialog : host.rig.dialogs.SavesAsked()) {
      std::string filters;
      for (const platform::FileFilter& f : dialog.filters) filters += (filters.empty() ? "" : "|") + f.description + " " + f.pattern;
      seen.push_back("dialog " + dialog.title + ": " + filters + ", default " + dialog.default_extension);
    }
    if (ReadBytes(module_file) != module_before) seen.push_back("wrote modGlobals.bas");
    if (ReadBytes(host.folder / "Orders.vbp") != project_before) seen.push_back("wrote Orders.vbp");
    if (!c.save_as.empty() && fs::exists(host.folder / c.save_as)) seen.push_back("wrote " + c.save_as);
    for (std::size_t i = logged; i < host.rig.window_log.size(); ++i) {
      const std::string& call = host.rig.window_log[i];
      if (call.starts_with("AppendStatus ")) seen.push_back("status " + call.substr(13));
      if (call == "Unload") seen.push_back("window hidden");
    }
    if (!engine.AutoSave()) seen.push_back("AutoSave off");
    if (host.rig.add_in.AutoSaveTimer() == 0) {
      if (engine.AutoSave()) seen.push_back("no timer");
      EXPECT_EQ(host.rig.timers.Count(), 0u) << c.name;
      const std::size_t boxes = host.rig.dialogs.Asked().size(), logged_now = host.rig.window_log.size();
      host.rig.clock.AdvanceTicks(10 * kInterval);
      host.rig.timers.ProcessDue();
      EXPECT_EQ(host.rig.dialogs.Asked().size(), boxes) << c.name << ": no more ticks";
      EXPECT_EQ(host.rig.window_log.size(), logged_now) << c.name << ": no more ticks";
    } else {
      // The next tick comes one interval after this one ended.
      EXPECT_EQ(host.rig.timers.Count(), 1u) << c.name;
      EXPECT_EQ(host.rig.timers.PeriodOf(host.rig.add_in.AutoSaveTimer()), kInterval) << c.name;
      const std::int32_t timer = host.rig.add_in.AutoSaveTimer();
      host.rig.clock.AdvanceTicks(kInterval - 1);
      host.rig.timers.ProcessDue();
      const bool early = host.rig.add_in.AutoSaveTimer() != timer;
      host.rig.clock.AdvanceTicks(1);
      host.rig.timers.ProcessDue();
      if (!early && host.rig.add_in.AutoSaveTimer() != timer) seen.push_back(rearmed);
    }
    EXPECT_EQ(seen, c.seen) << c.name;
  }
}

// Writing AutoSave arms the add-in's timer: an interval past what a Long holds in milliseconds
// is reported and runs none; the timer goes with the engine.
TEST(AutoSave, AnIntervalTooLongIsReportedAndTheTimerGoesWithTheEngine) {
  testing::AddInRig rig;
  CGildex& engine = rig.add_in.Engine();
  engine.SaveInterval(35792);
  engine.AutoSave(true);
  ASSERT_EQ(rig.dialogs.Asked().size(), 1u);
  EXPECT_TRUE(rig.dialogs.Asked().front().prompt.ends_with("CGildex.AutoSave"));
  EXPECT_EQ(rig.timers.Count(), 0u);
  engine.SaveInterval(35791);
  engine.AutoSave(true);
  EXPECT_EQ(rig.timers.Count(), 1u);
  rig.add_in.ReleaseEngine();
  EXPECT_EQ(rig.timers.Count(), 0u);
}

}  // namespace
}  // namespace gildex
