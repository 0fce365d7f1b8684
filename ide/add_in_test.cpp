// The add-in's life as the host drives it: registration in "vbaddin.ini" when the process
// starts, Connect made, connected in each mode, disconnected and let go, and what each step
// leaves in the shared objects.
#include "ide/add_in.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine_rig_test.h"
#include "ide/connect.h"
#include "ide/ide_rig_test.h"

namespace gildex {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;
using platform::testing::WriteBytes;

const std::string kCouldNotConnect =
    "Gildex could not connect to your current VB IDE.\r\nPlease close your VB IDE and try again.";

TEST(AddToINI, TheFirstStartRegistersTheAddInAndTheSourceControlAddInDecidesSourceControl) {
  struct Case {
    const char* name;
    std::optional<std::string> list;  // nullopt: no list file yet
    std::string after;
    std::vector<std::string> said;
    bool source_control;
  };
  const std::string added = "Gildex has been added to your VB AddIns List.";
  const std::vector<Case> cases = {
      {"first start", "[Add-Ins32]\r\nVBSDIAddIn.Connect=0\r\nAppWizard.Wizard=0\r\n",
       "[Add-Ins32]\r\nVBSDIAddIn.Connect=0\r\nAppWizard.Wizard=0\r\nGildex.Connect=0\r\n", {added}, false},
      {"no list file", std::nullopt, "[Add-Ins32]\r\nGildex.Connect=0\r\n", {added}, false},
      {"next start, source control", "[Add-Ins32]\r\nGildex.Connect=0\r\nvbscc=3\r\n", "", {}, true},
      {"source control add-in not loaded", "[Add-Ins32]\r\nGildex.Connect=0\r\nvbscc=\r\n", "", {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::AddInRig rig;
    const fs::path ini = rig.add_in.AddInListFile();
    if (c.list) {
      fs::create_directories(ini.parent_path());
      WriteBytes(ini, *c.list);
    }
    rig.add_in.Engine().SourceControl(!c.source_control);
    rig.add_in.AddToINI();
    EXPECT_EQ(ReadBytes(ini), c.after.empty() ? *c.list : c.after);
    EXPECT_EQ(testing::Prompts(rig.dialogs), c.said);
    if (!c.said.empty()) {
      EXPECT_EQ(rig.dialogs.Asked()[0].style, platform::vbInformation);
      EXPECT_EQ(rig.dialogs.Asked()[0].title, "Gildex");
    }
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
      {ext_cm_AfterStartup, true},
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
    const std::string name = "mode " + std::to_string(c.mode) + (c.broken ? " broken " : " ") + c.open;
    EXPECT_EQ(vbe.Bars().Find(kToolbarName) != nullptr, c.built) << name;
    EXPECT_EQ(connect.Connected(), !c.broken) << name;
    EXPECT_EQ(host.splash.shown, c.splash ? 1 : 0) << name;
    if (!c.broken) {
      EXPECT_TRUE(host.rig.dialogs.Asked().empty()) << name;
      EXPECT_EQ(host.splash.loaded, c.splash) << name << ": the splash window closes itself later";
      EXPECT_EQ(connect.CurrentComponent() != nullptr ? connect.CurrentComponent()->Name() : "", c.current) << name;
    } else {
      ASSERT_FALSE(host.rig.dialogs.Asked().empty()) << name;
      EXPECT_EQ(host.rig.dialogs.Asked().back().prompt, kCouldNotConnect) << name;
      EXPECT_EQ(host.rig.dialogs.Asked().back().title, "Gildex") << name;
      EXPECT_FALSE(host.splash.loaded) << name;
    }
    // The start-up routine ran in every mode: the templates folder found (or made) and read.
    CGildex& engine = host.rig.add_in.Engine();
    if (c.own_templates) {
      EXPECT_TRUE(fs::is_directory(mine));
      EXPECT_EQ(host.rig.add_in.Templates().Count(), 0);
      EXPECT_EQ(engine.HeaderCode(), "") << "Standard is not in that folder";
      continue;
    }
    EXPECT_EQ(engine.HeaderCode(), "On Error GoTo %ProcName%_Err") << name;
    EXPECT_EQ(host.rig.add_in.Templates().Count(), 1) << name;
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
    EXPECT_TRUE(connect.Connected());
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

}  // namespace
}  // namespace gildex
