#include "ide/read_only_gate.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>


#include "common/nembus_common.h"
#include "engine/engine_rig_test.h"
#include "host/project_loader.h"
#include "platform/source_safe.h"

namespace gildex {
namespace {

using testing::RecordingProgress;

namespace fs = std::filesystem;
using platform::testing::ModeOf;
using platform::testing::ReadBytes;
using platform::testing::WriteBytes;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const fs::path kSample = fs::path(GILDEX_SOURCE_DIR) / "data" / "Sample";

// The sample Orders project in a folder of its own, with a resource file and a related
// document, under source control: "MSSCCPRJ.SCC" names "$/Orders", whose database holds
// modGlobals.bas (read-only until checked out). Its user is "anna".
struct OrdersUnderSourceControl {
  OrdersUnderSourceControl() {
    fs::copy(kSample, folder, fs::copy_options::recursive);
    for (const auto& entry : fs::recursive_directory_iterator(folder)) fs::permissions(entry.path(), fs::perms(0644));
    std::string vbp = ReadBytes(folder / "Orders.vbp");
    vbp.insert(vbp.find("IconForm="), "ResFile32=\"Orders.RES\"\r\nRelatedDoc=ReadMe.txt\r\n");
    WriteBytes(folder / "Orders.vbp", vbp);
    WriteBytes(folder / "Orders.RES", std::string("\0\0\0\0\x20\0\0\0", 8));
    WriteBytes(folder / "ReadMe.txt", "Orders: customers and orders.\r\n");
    WriteBytes(folder / "MSSCCPRJ.SCC",
               "SCC = This is a Source Code Control file\r\n\r\n[Orders.vbp]\r\n"
               "SCC_Aux_Path = \"\\\\fileserver\\vss\"\r\nSCC_Project_Name = \"$/Orders\", BAAAAAAA\r\n");
    db.AddItem("$/Orders/modGlobals.bas", folder / "modGlobals.bas");
    rig.env.Set(platform::kSourceSafeVariable, (rig.dir / "vss").string());
    rig.env.SetUserName("anna");
    rig.gildex.VSSComment("Gildex: error handling");
    rig.gildex.SourceControl(true);
    loaded = host::Load(vbe, folder / "Orders.vbp");
  }

  host::VBComponent& Component(const std::string& name) { return *vbe.Project(1).FindComponent(name); }
  bool Skip(host::VBComponent& component) { return FileSkip(component, rig.gildex, status, rig.report); }

  testing::EngineRig rig;
  fs::path folder = rig.dir / "Orders";
  platform::SourceSafeDatabase db = platform::SourceSafeDatabase::Create(rig.dir / "vss");
  host::MemoryVBE vbe;
  host::LoadResult loaded;
  RecordingProgress status;
};

// A read-only file under source control is checked out, reloaded and then changed; one that
// stays read-only is skipped with the reason in the status list (silent without source
// control: the command that asked lists the component it skips).
TEST(FileSkip, AReadOnlyFileIsCheckedOutAndReloadedOrSkippedWithTheReason) {
  enum Prepare { NewerInDatabase, SourceControlOff, Nothing, CheckedOutByBert };
  struct Case {
    std::string component;
    Prepare prepare;
    std::vector<std::string> status;  // "<file>" stands for the component's file; empty: checked out
  };
  const std::vector<Case> cases = {
      {"modGlobals", NewerInDatabase, {}},
      {"modGlobals", SourceControlOff, {}},
      {"frmAbout", Nothing, {"Could not check-out file <file>", "Item 'frmAbout' is still read-only."}},
      {"modGlobals", CheckedOutByBert, {"Item 'modGlobals' is still read-only."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.prepare);
    OrdersUnderSourceControl orders;
    ASSERT_FALSE(orders.loaded.HasFatal());
    const fs::path file = orders.folder / (c.component == "frmAbout" ? "frmAbout.frm" : c.component + ".bas");
    const bool skipped = c.prepare != NewerInDatabase;
    // The version in the database is newer than the one the IDE loaded: the reload shows it.
    if (c.prepare == NewerInDatabase) ::chmod(file.c_str(), 0644), WriteBytes(file, ReadBytes(file) + "' Released 1.3.12\r\n");
    if (c.prepare == SourceControlOff) orders.rig.gildex.SourceControl(false);
    if (c.prepare == CheckedOutByBert) {
      platform::SourceSafe bert(orders.rig.dir / "vss", "bert");
      bert.Open();
      bert.VSSItem("$/Orders/modGlobals.bas")->CheckOut("", "", 0);
    }
    ::chmod(file.c_str(), 0444);
    const std::string bytes = ReadBytes(file), items = ReadBytes(orders.rig.dir / "vss" / "items.txt");
    int reloads = 0;
    orders.vbe.Project(1).ComponentReloaded.Connect([&](host::VBComponent&) { ++reloads; });
    host::VBComponent& component = orders.Component(c.component);

    EXPECT_EQ(orders.Skip(component), skipped);
    std::vector<std::string> expected;
    for (const std::string& line : c.status) expected.push_back(ReplaceAll(line, "<file>", file.string()));
    EXPECT_EQ(orders.status.statuses, expected);
    EXPECT_THAT(orders.rig.dialogs.Asked(), IsEmpty());
    EXPECT_EQ(ModeOf(file), skipped ? 0444u : 0644u);
    EXPECT_EQ(component.IsReadOnly(), skipped);
    EXPECT_EQ(ReadBytes(file), bytes);
    if (!skipped) {
      EXPECT_EQ(reloads, 1);
      host::CodeModule& code = *component.Code();
      EXPECT_EQ(code.Lines(code.CountOfLines(), 1), "' Released 1.3.12");
    } else if (c.status.empty()) {  // without source control nothing is even tried
      EXPECT_EQ(reloads, 0);
      EXPECT_EQ(ReadBytes(orders.rig.dir / "vss" / "items.txt"), items);
    }
  }
}

TEST(FileSkip, RelatedDocumentsAndResourceFilesAreAlwaysSkippedWritableFilesNever) {
  for (const bool source_control : {true, false}) {
    OrdersUnderSourceControl orders;
    orders.rig.gildex.SourceControl(source_control);
    ::chmod((orders.folder / "modGlobals.bas").c_str(), 0644);
    std::vector<std::string> skipped;
    for (int i = 1; i <= orders.vbe.Project(1).ComponentCount(); ++i) {
      host::VBComponent& component = orders.vbe.Project(1).Component(i);
      if (orders.Skip(component)) skipped.push_back(GetFile(component.FileNames(1)));
    }
    EXPECT_THAT(skipped, ElementsAre("Orders.RES", "ReadMe.txt")) << source_control;
    EXPECT_THAT(orders.status.statuses, IsEmpty());
    EXPECT_THAT(orders.db.Find("$/Orders/modGlobals.bas")->checked_out_by, "");
  }
}

TEST(VSSProjectName, ReadsTheDatabaseProjectOfTheProjectFile) {
  struct Case {
    std::string file_name, content, section, project;
  };
  const std::vector<Case> cases = {
      {"mssccprj.scc", "[Orders.vbp]\nSCC_Project_Name = $/Sales/Orders\n", "ORDERS.VBP", "$/Sales/Orders"},
      {"MSSCCPRJ.SCC", "[Orders.vbp]\r\nSCC_Project_Name = \"$/Old \"\"Orders\"\"\"\r\n", "Orders.vbp", "$/Old Orders"},
      {"MSSCCPRJ.SCC", "[Billing.vbp]\r\nSCC_Project_Name = \"$/Billing\", CAAAAAAA\r\n", "Orders.vbp", ""},
      {"MSSCCPRJ.SCC", "[Orders.vbp]\r\nSCC_Aux_Path = \"\\\\fs\\vss\"\r\n", "Orders.vbp", ""},
      {"", "", "Orders.vbp", ""},
      {"", "", "", ""},  // a project never saved
  };
  for (const Case& c : cases) {
    platform::testing::TempDir dir;
    if (!c.file_name.empty()) WriteBytes(dir / c.file_name, c.content);
    platform::ScriptedDialogs dialogs;
    ErrorReport report(dialogs);
    EXPECT_EQ(VSSProjectName(c.section, c.section.empty() ? "" : (dir / "Orders.vbp").string(), report), c.project)
        << c.content;
    EXPECT_THAT(dialogs.Asked(), IsEmpty());
  }
}

}  // namespace
}  // namespace gildex
