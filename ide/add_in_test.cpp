// The add-in's life as the host drives it: registration in "vbaddin.ini" when the process
// starts, Connect made, connected in each mode, disconnected and let go, what each step leaves
// in the shared objects, and the timed auto-save, driven by the fixed clock and its timers.
#include "ide/add_in.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine_rig_test.h"
#include "host/project_loader.h"
#include "ide/connect.h"
#include "ide/ide_rig_test.h"

namespace gildex {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using platform::testing::ReadBytes;
using platform::testing::WriteBytes;

const std::string kCouldNotConnect =
    "Gildex could not connect to your current VB IDE.\r\nPlease close your VB IDE and try again.";

TEST(AddToINI, TheFirstStartRegistersTheAddInAndTheSourceControlAddInDecidesSourceControl) {
  struct Case {
    const char* name;
    std::optional<std::string> list;  // nullopt: no list file yet
    std::string after;                // empty: as it was
    bool added, source_control;
  };
  const std::vector<Case> cases = {
      {"first start", "[Add-Ins32]\r\nVBSDIAddIn.Connect=0\r\nAppWizard.Wizard=0\r\n",
       "[Add-Ins32]\r\nVBSDIAddIn.Connect=0\r\nAppWizard.Wizard=0\r\nGildex.Connect=0\r\n", true, false},
      {"no list file", std::nullopt, "[Add-Ins32]\r\nGildex.Connect=0\r\n", true, false},
      {"next start, source control", "[Add-Ins32]\r\nGildex.Connect=0\r\nvbscc=3\r\n", "", false, true},
      {"source control add-in not loaded", "[Add-Ins32]\r\nGildex.Connect=0\r\nvbscc=\r\n", "", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::AddInRig rig;
    const fs::path ini = rig.add_in.AddInListFile();
    if (c.list) fs::create_directories(ini.parent_path()), WriteBytes(ini, *c.list);
    rig.add_in.Engine().SourceControl(!c.source_control);
    rig.add_in.AddToINI();
    EXPECT_EQ(ReadBytes(ini), c.after.empty() ? *c.list : c.after);
    std::vector<std::string> said;
    for (const platform::MessageBox& box : rig.dialogs.Asked())
      said.push_back(box.title + ": " + box.prompt + (box.style == platform::vbInformation ? "" : " (not information)"));
    EXPECT_EQ(said, c.added ? Strings{"Gildex: Gildex has been added to your VB AddIns List."} : Strings{});
    EXPECT_EQ(rig.add_in.Engine().SourceControl(), c.source_control);
  }
  testing::AddInRig unwritable;
  fs::create_directories(unwritable.add_in.AddInListFile());  // a folder where the file should be
  unwritable.add_in.AddToINI();
  EXPECT_EQ(testing::ReportedNames(unwritable.dialogs), std::vector<std::string>{"AddIn.AddToINI"});
}

// The sample project, a single module of it, or nothing open in the IDE.
using Host = testing::SampleHost;

TEST(OnConnection, EachModeBuildsWhatItShould) {
  struct Case {
    ConnectMode mode;
    bool built;  // menus and toolbar
    bool splash = true;
    std::string open = "Orders.vbp";
    std::string current = "frmMain";  // frmMDI comes first, but an MDI form is no form here
    bool own_templates = false;       // a template folder of the user's without Standard
    bool broken = false;              // the host fails when asked for its active project
  };
  struct BrokenVBE : host::MemoryVBE {
    host::VBProject* ActiveVBProject() override { throw host::HostError(440, "Automation error"); }
  };
  const std::vector<Case> cases = {
      {ext_cm_CommandLine, false},
      {ext_cm_Startup, true, false},                          // the splash window switched off
      {ext_cm_AfterStartup, true, true, "modGlobals.bas", ""},  // a project without a form
      {ext_cm_AfterStartup, true, true, "", ""},                // no project open at all
      {ext_cm_AfterStartup, true, true, "Orders.vbp", "frmMain", true},
      {ext_cm_Startup, false, true, "Orders.vbp", "", false, true},
  };
  for (const Case& c : cases) {
    Host host(c.open);
    if (!c.splash) host.rig.Option("Disable Splash", "True");
    const fs::path mine = host.rig.dir / "My Templates";
    if (c.own_templates) host.rig.Option("Template Path", mine.string() + "/");
    BrokenVBE broken;
    host::MemoryVBE& vbe = c.broken ? broken : host.vbe;
    Connect connect(host.rig.add_in, host.Views());
    connect.OnConnection(&vbe, c.mode);
    SCOPED_TRACE("mode " + std::to_string(c.mode) + (c.broken ? " broken " : " ") + c.open);
    EXPECT_EQ(vbe.Bars().Find(kToolbarName) != nullptr, c.built);
    EXPECT_EQ(connect.Connected(), !c.broken);
    EXPECT_EQ(host.splash.shown, c.splash ? 1 : 0);
    // The splash window closes itself later.
    EXPECT_EQ(host.splash.loaded, c.splash && !c.broken);
    EXPECT_EQ(host.Boxes(0, true), c.broken ? Strings{"Gildex: " + kCouldNotConnect} : Strings{});
    EXPECT_EQ(connect.CurrentComponent() != nullptr ? connect.CurrentComponent()->Name() : "", c.current);
    // The start-up routine ran in every mode: the templates folder found (or made) and read;
    // Standard is not in the user's folder.
    EXPECT_EQ(fs::is_directory(mine), c.own_templates);
    EXPECT_EQ(host.rig.add_in.Templates().Count(), c.own_templates ? 0 : 1);
    EXPECT_EQ(host.rig.add_in.Engine().HeaderCode(), c.own_templates ? "" : "On Error GoTo %ProcName%_Err");
  }
}

// Creation makes the shared objects with the stored settings; disconnection removes the
// interface and lets them go, and a reconnection starts again; destruction lets go too. The
// HTML generator, made with the menus, lives until Connect ends: every conversion of that
// Connect, reconnected or not, goes through the one generator.
TEST(AddInLife, CreationConnectionDisconnectionAndReconnection) {
  Host host("Orders.vbp");
  host.rig.Option("Build Project", "True");
  AddIn& shared = host.rig.add_in;
  host.vbe.ShowDesigner(host.Component("frmMain"));
  const auto convert = [&](Connect& connect) {
    host.tools.converter_generator = nullptr;
    EXPECT_TRUE(connect.Click("Project Window Form Folder", {"Convert to VBScript/HTML"}));
    return host.tools.converter_generator;
  };
  {
    Connect connect(shared, host.Views());
    EXPECT_TRUE(shared.HasEngine() && shared.HasMessages() && shared.HasScripter());
    EXPECT_FALSE(shared.HasTemplates() || shared.HasASPGenerator());
    EXPECT_TRUE(shared.Engine().BuildProject());
    connect.OnConnection(&host.vbe, ext_cm_AfterStartup);
    EXPECT_TRUE(shared.HasTemplates() && shared.HasASPGenerator());
    clsASPGenerator* generator = &shared.ASPGenerator();
    generator->Filename("page.html");
    EXPECT_EQ(convert(connect), generator);
    shared.Engine().DefaultTemplate("Other");
    connect.OnDisconnection(0);
    EXPECT_FALSE(shared.HasEngine() || shared.HasMessages() || shared.HasTemplates());
    EXPECT_EQ(shared.VBE(), nullptr);

    connect.OnConnection(&host.vbe, ext_cm_AfterStartup);
    EXPECT_EQ(shared.Engine().DefaultTemplate(), "Standard");
    EXPECT_EQ(shared.Engine().HeaderCode(), "On Error GoTo %ProcName%_Err");
    EXPECT_EQ(shared.Templates().Count(), 1);
    EXPECT_EQ(convert(connect), generator);
    EXPECT_EQ(generator->Filename(), "page.html");
  }
  EXPECT_FALSE(shared.HasScripter() || shared.HasEngine() || shared.HasMessages() || shared.HasASPGenerator());
  // A Connect made afterwards converts through a generator of its own.
  Connect again(shared, host.Views());
  again.OnConnection(&host.vbe, ext_cm_AfterStartup);
  EXPECT_TRUE(convert(again) != nullptr && convert(again) == &shared.ASPGenerator());
  EXPECT_TRUE(host.rig.dialogs.Asked().empty());
}

// The IDE in design mode, or running the project.
struct RunnableVbe : host::MemoryVBE {
  std::string MainWindowCaption() const override {
    return running ? "Orders - Microsoft Visual Basic [run]" : MemoryVBE::MainWindowCaption();
  }
  bool running = false;
};

struct RunnableHost : testing::SampleHost {
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
    RunnableHost host;
    host.rig.Option("AutoSave", "True");
    host.rig.Option("Save Interval", "5");
    host.rig.Option("Confirm Save", c.confirm ? "True" : "False");
    const fs::path module_file = host.folder / "modGlobals.bas", project_file = host.folder / "Orders.vbp";
    host::Load(host.vbe, c.load == Project ? project_file : module_file);
    const std::string module_before = ReadBytes(module_file), project_before = ReadBytes(project_file);
    Connect connect(host.rig.add_in, {});
    connect.OnConnection(&host.vbe, ext_cm_AfterStartup);
    CGildex& engine = host.rig.add_in.Engine();
    platform::Timers& timers = host.rig.timers;
    host.vbe.running = c.running;
    if (c.change) host.vbe.ActiveVBProject()->FindComponent("modGlobals")->Code()->InsertLines(1, "' changed");
    if (c.confirm) host.rig.dialogs.Answer(c.answer);
    if (!c.save_as.empty()) host.rig.dialogs.AnswerSave((host.folder / c.save_as).string());
    const std::size_t logged = host.rig.window_log.size();
    ASSERT_EQ(timers.Count(), 1u) << c.name << ": loading AutoSave starts the timer";
    if (c.forced) connect.AutoSaveProject(true);
    else host.rig.clock.AdvanceTicks(kInterval), timers.ProcessDue();  // when the first tick comes is the timer's test
    Strings seen;
    for (const platform::MessageBox& box : host.rig.dialogs.Asked()) {
      seen.push_back("ask " + box.prompt);
      EXPECT_EQ(box.style, platform::vbYesNoCancel | platform::vbQuestion) << c.name;
    }
    for (const platform::SaveFileDialog& dialog : host.rig.dialogs.SavesAsked()) {
      std::string filters;
      for (const platform::FileFilter& f : dialog.filters) filters += (filters.empty() ? "" : "|") + f.description + " " + f.pattern;
      seen.push_back("dialog " + dialog.title + ": " + filters + ", default " + dialog.default_extension);
    }
    if (ReadBytes(module_file) != module_before) seen.push_back("wrote modGlobals.bas");
    if (ReadBytes(project_file) != project_before) seen.push_back("wrote Orders.vbp");
    if (!c.save_as.empty() && fs::exists(host.folder / c.save_as)) seen.push_back("wrote " + c.save_as);
    for (std::size_t i = logged; i < host.rig.window_log.size(); ++i) {
      const std::string& call = host.rig.window_log[i];
      if (call.starts_with("AppendStatus ")) seen.push_back("status " + call.substr(13));
      if (call == "Unload") seen.push_back("window hidden");
    }
    if (!engine.AutoSave()) seen.push_back("AutoSave off");
    // The next tick comes one interval after this one ended, and none when the timer is gone.
    const std::int32_t timer = host.rig.add_in.AutoSaveTimer();
    const std::size_t boxes = host.rig.dialogs.Asked().size(), calls = host.rig.window_log.size();
    if (timer == 0 && engine.AutoSave()) seen.push_back("no timer");
    EXPECT_EQ(timers.Count(), timer == 0 ? 0u : 1u) << c.name;
    EXPECT_EQ(timer == 0 ? kInterval : timers.PeriodOf(timer), kInterval) << c.name;
    host.rig.clock.AdvanceTicks(kInterval - 1), timers.ProcessDue();
    const bool early = host.rig.add_in.AutoSaveTimer() != timer;
    host.rig.clock.AdvanceTicks(1), timers.ProcessDue();
    if (!early && host.rig.add_in.AutoSaveTimer() != timer) seen.push_back(rearmed);
    EXPECT_TRUE(timer != 0 || (host.rig.dialogs.Asked().size() == boxes && host.rig.window_log.size() == calls)) << c.name;
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
