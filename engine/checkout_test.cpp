// Checking a read-only file out of source control before it is changed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "common/nembus_common.h"
#include "engine/engine_rig_test.h"
#include "platform/source_safe.h"

namespace gildex {
namespace {

using platform::testing::ReadBytes;
using platform::testing::WriteBytes;

bool IsWritable(const std::filesystem::path& file) {
  struct stat info {};
  return ::stat(file.c_str(), &info) == 0 && (info.st_mode & 0200) != 0;
}

// An engine whose user "anna" works on the Orders project, kept in a database that holds
// frmMain.frm under "$/Orders" and modGlobals.bas under its own path; the database leaves
// both local copies read-only.
struct OrdersCheckOut {
  OrdersCheckOut() {
    std::filesystem::create_directories(work);
    WriteBytes(form, "VERSION 5.00\r\nBegin VB.Form frmMain\r\nEnd\r\n");
    WriteBytes(module, "Attribute VB_Name = \"modGlobals\"\r\n");
    db.AddItem("$/Orders/frmMain.frm", form);
    db.AddItem("$" + module.string(), module);
    rig.env.Set(platform::kSourceSafeVariable, (rig.dir / "vss").string());
    rig.env.SetUserName("anna");
    rig.gildex.VSSComment("Gildex: error handling");
  }
  std::string Items() { return ReadBytes(rig.dir / "vss" / "items.txt"); }

  testing::EngineRig rig;
  std::filesystem::path work = rig.dir / "Orders";
  std::filesystem::path form = work / "frmMain.frm";
  std::filesystem::path module = work / "modGlobals.bas";
  platform::SourceSafeDatabase db = platform::SourceSafeDatabase::Create(rig.dir / "vss");
  std::string message = "left from before";
};

TEST(CheckOutFile, ChecksOutTheFileOfTheDatabaseProjectOrItsOwnPath) {
  for (const bool by_project : {true, false}) {
    OrdersCheckOut t;
    const std::filesystem::path& file = by_project ? t.form : t.module;
    const std::string spec = by_project ? "$/Orders/frmMain.frm" : "$" + t.module.string();
    const std::string bytes = ReadBytes(file);
    EXPECT_TRUE(t.rig.gildex.CheckOutFile(file.string(), by_project ? "$/Orders" : "", t.message));
    EXPECT_EQ(t.message, "");
    EXPECT_TRUE(IsWritable(file));
    EXPECT_EQ(ReadBytes(file), bytes);
    EXPECT_EQ(*t.db.Find(spec), (platform::SourceSafeRecord{spec, "anna", file.string(), "Gildex: error handling"}));
    EXPECT_FALSE(IsWritable(by_project ? t.module : t.form)) << "the other file is left alone";
    EXPECT_TRUE(t.rig.dialogs.Asked().empty());
  }
}

TEST(CheckOutFile, FailuresTellTheUserWhyAndChangeNothing) {
  const struct {
    std::string name;
    std::function<void(OrdersCheckOut&)> prepare;
    std::string file_name;  // in the Orders folder
    std::string project;
    std::string message;  // "<file>" stands for the file's path
  } cases[] = {
      {"no database configured", [](OrdersCheckOut& t) { t.rig.env.Unset(platform::kSourceSafeVariable); },
       "frmMain.frm", "$/Orders", "Error logging into SourceSafe"},
      {"database folder missing",
       [](OrdersCheckOut& t) { t.rig.env.Set(platform::kSourceSafeVariable, (t.rig.dir / "nowhere").string()); },
       "frmMain.frm", "$/Orders", "Error logging into SourceSafe: Invalid SRCSAFE.INI file."},
      {"user not allowed", [](OrdersCheckOut& t) { t.db.AddUser("bert"); }, "frmMain.frm", "$/Orders",
       "Error logging into SourceSafe: Invalid user name"},
      {"damaged database", [](OrdersCheckOut& t) { WriteBytes(t.rig.dir / "vss" / "items.txt", "frmMain.frm\n"); },
       "frmMain.frm", "$/Orders", "Error logging into SourceSafe"},
      {"file not in the database", nullptr, "frmAbout.frm", "$/Orders", "Could not check-out file <file>"},
      {"file in another project", nullptr, "frmMain.frm", "$/Billing", "Could not check-out file <file>"},
  };
  for (const auto& c : cases) {
    OrdersCheckOut t;
    if (c.prepare) c.prepare(t);
    const std::string file = (t.work / c.file_name).string();
    const std::string items = t.Items();
    EXPECT_FALSE(t.rig.gildex.CheckOutFile(file, c.project, t.message)) << c.name;
    EXPECT_EQ(t.message, ReplaceAll(c.message, "<file>", file)) << c.name;
    EXPECT_FALSE(IsWritable(t.form)) << c.name;
    EXPECT_EQ(t.Items(), items) << c.name;
    EXPECT_TRUE(t.rig.dialogs.Asked().empty()) << c.name;
  }
}

TEST(CheckOutFile, AWritableLocalCopyIsReplacedOnlyWhenTheUserSaysYes) {
  for (const platform::MsgBoxResult answer : {platform::vbYes, platform::vbNo, platform::vbCancel}) {
    OrdersCheckOut t;
    ::chmod(t.form.c_str(), 0644);
    t.rig.dialogs.Answer(answer);
    EXPECT_EQ(t.rig.gildex.CheckOutFile(t.form.string(), "$/Orders", t.message), answer == platform::vbYes);
    EXPECT_EQ(t.message, answer == platform::vbYes ? "" : "Could not check-out file frmMain.frm, already writable!");
    ASSERT_EQ(t.rig.dialogs.Asked().size(), 1u);
    EXPECT_EQ(t.rig.dialogs.Asked()[0].prompt, "frmMain.frm is writable. Replace?");
    EXPECT_EQ(t.rig.dialogs.Asked()[0].style, platform::vbYesNoCancel | platform::vbQuestion);
    EXPECT_EQ(t.db.Find("$/Orders/frmMain.frm")->checked_out_by, answer == platform::vbYes ? "anna" : "") << answer;
  }
}

TEST(CheckOutFile, AnUnexpectedServerFailureIsReportedAndTheFileStaysReadOnly) {
  OrdersCheckOut t;
  std::filesystem::remove(t.form);
  t.rig.dialogs.Answer(platform::vbAbort);
  EXPECT_FALSE(t.rig.gildex.CheckOutFile(t.form.string(), "$/Orders", t.message));
  EXPECT_EQ(t.message, "Could not check-out file " + t.form.string());
  EXPECT_THAT(testing::ReportedNames(t.rig.dialogs), ::testing::ElementsAre("CGildex.CheckOutFile"));
  const std::string number = std::to_string(static_cast<std::int32_t>(platform::kSsLocalFileMissing));
  EXPECT_THAT(t.rig.dialogs.Asked()[0].prompt, ::testing::StartsWith("Error " + number + ": \r\nFile not found: "));
  EXPECT_EQ(t.db.Find("$/Orders/frmMain.frm")->checked_out_by, "");
}

}  // namespace
}  // namespace gildex
