// Checking a read-only file out of source control before it is changed.
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

// The file of the database project or the file's own path is checked out; a failure tells the
// user why and changes nothing; a writable local copy is replaced only when the user says Yes.
TEST(CheckOutFile, ChecksOutOrSaysWhyNotAndChangesNothing) {
  const std::string server_error = "Error " + std::to_string(static_cast<std::int32_t>(platform::kSsLocalFileMissing)) +
                                   ": \r\nFile not found: ";
  const auto writable = [](OrdersCheckOut& t) { ::chmod(t.form.c_str(), 0644); };
  const std::string replace = "frmMain.frm is writable. Replace?";
  const std::string already = "Could not check-out file frmMain.frm, already writable!";
  const struct {
    std::string name;
    std::function<void(OrdersCheckOut&)> prepare;
    std::string file_name;  // in the Orders folder
    std::string project;
    bool checked_out;
    std::string message;  // "<file>" stands for the file's path
    platform::MsgBoxResult answer = platform::vbOK;  // vbOK: no box
    std::string box = "";                             // how the box's prompt starts
  } cases[] = {
      {"by the database project", nullptr, "frmMain.frm", "$/Orders", true, ""},
      {"by its own path", nullptr, "modGlobals.bas", "", true, ""},
      {"no database configured", [](OrdersCheckOut& t) { t.rig.env.Unset(platform::kSourceSafeVariable); },
       "frmMain.frm", "$/Orders", false, "Error logging into SourceSafe"},
      {"database folder missing",
       [](OrdersCheckOut& t) { t.rig.env.Set(platform::kSourceSafeVariable, (t.rig.dir / "nowhere").string()); },
       "frmMain.frm", "$/Orders", false, "Error logging into SourceSafe: Invalid SRCSAFE.INI file."},
      {"user not allowed", [](OrdersCheckOut& t) { t.db.AddUser("bert"); }, "frmMain.frm", "$/Orders", false,
       "Error logging into SourceSafe: Invalid user name"},
      {"damaged database", [](OrdersCheckOut& t) { WriteBytes(t.rig.dir / "vss" / "items.txt", "frmMain.frm\n"); },
       "frmMain.frm", "$/Orders", false, "Error logging into SourceSafe"},
      {"file not in the database", nullptr, "frmAbout.frm", "$/Orders", false, "Could not check-out file <file>"},
      {"file in another project", nullptr, "frmMain.frm", "$/Billing", false, "Could not check-out file <file>"},
      {"writable, Yes", writable, "frmMain.frm", "$/Orders", true, "", platform::vbYes, replace},
      {"writable, No", writable, "frmMain.frm", "$/Orders", false, already, platform::vbNo, replace},
      {"writable, Cancel", writable, "frmMain.frm", "$/Orders", false, already, platform::vbCancel, replace},
      {"an unexpected server failure is reported", [](OrdersCheckOut& t) { std::filesystem::remove(t.form); },
       "frmMain.frm", "$/Orders", false, "Could not check-out file <file>", platform::vbAbort, server_error},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OrdersCheckOut t;
    if (c.prepare) c.prepare(t);
    if (c.answer != platform::vbOK) t.rig.dialogs.Answer(c.answer);
    const std::filesystem::path file = t.work / c.file_name;
    const std::filesystem::path& other = file == t.form ? t.module : t.form;
    const bool was_writable = IsWritable(file);
    const std::string bytes = std::filesystem::exists(file) ? ReadBytes(file) : "", items = t.Items();
    EXPECT_EQ(t.rig.gildex.CheckOutFile(file.string(), c.project, t.message), c.checked_out);
    EXPECT_EQ(t.message, ReplaceAll(c.message, "<file>", file.string()));
    EXPECT_EQ(IsWritable(file), c.checked_out || was_writable);
    EXPECT_FALSE(IsWritable(other)) << "the other file is left alone";
    const std::string spec = c.project.empty() ? "$" + file.string() : c.project + "/" + c.file_name;
    if (c.checked_out) {
      EXPECT_EQ(ReadBytes(file), bytes);
      EXPECT_EQ(*t.db.Find(spec), (platform::SourceSafeRecord{spec, "anna", file.string(), "Gildex: error handling"}));
    } else {
      EXPECT_EQ(t.Items(), items);
    }
    ASSERT_EQ(t.rig.dialogs.Asked().size(), c.box.empty() ? 0u : 1u);
    if (c.box.empty()) continue;
    const platform::MessageBox& box = t.rig.dialogs.Asked()[0];
    EXPECT_TRUE(box.prompt.starts_with(c.box)) << box.prompt;
    if (c.box == replace) {
      EXPECT_EQ(box.style, platform::vbYesNoCancel | platform::vbQuestion);
    } else {
      EXPECT_EQ(testing::ReportedNames(t.rig.dialogs), std::vector<std::string>{"CGildex.CheckOutFile"});
    }
  }
}

}  // namespace
}  // namespace gildex
