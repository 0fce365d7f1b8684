// Component information: every field of the window for real components, the source-control
// status texts and the status read from the source-control database.
#include "tools/component_info.h"

#include <gtest/gtest.h>

#include "platform/source_safe.h"
#include "tools/tools_rig_test.h"

namespace gildex {
namespace {

using testing::kClassHeader;
using testing::ToolsRig;

const std::string kAccount =
    std::string(kClassHeader) +
    "Attribute VB_Name = \"clsAccount\"\r\nOption Explicit\r\nPublic Balance As Currency\r\nPrivate mOwner As String\r\n"
    "Const LIMIT = 10\r\nEvent Changed()\r\n\r\nFriend Sub SetOwner(ByVal Owner As String)\r\n    mOwner = Owner\r\n"
    "End Sub\r\n\r\nPrivate Sub cmdOK_Click()\r\nEnd Sub\r\n\r\nProperty Get Owner() As String\r\n    Owner = mOwner\r\n"
    "End Property\r\n";

// The component as the IDE holds it before its first save: no file name.
class Unsaved : public host::VBComponent {
 public:
  explicit Unsaved(host::VBComponent& inner) : inner_(inner) {}
  std::string Name() const override { return "  " + inner_.Name() + " "; }
  void SetName(std::string_view name) override { inner_.SetName(name); }
  host::ComponentType Type() const override { return inner_.Type(); }
  host::CodeModule* Code() override { return inner_.Code(); }
  host::Designer* GetDesigner() override { return inner_.GetDesigner(); }
  bool HasOpenDesigner() const override { return inner_.HasOpenDesigner(); }
  std::string FileNames(int) const override { return " "; }
  bool IsReadOnly() const override { return false; }
  bool IsDirty() const override { return true; }
  void SaveAs(const std::string& file_name) override { inner_.SaveAs(file_name); }
  void Reload() override { inner_.Reload(); }
  host::VBProject& Project() override { return inner_.Project(); }

 private:
  host::VBComponent& inner_;
};

TEST(ComponentInfo, ShowsNameFileLinesStatusAndMembers) {
  ToolsRig rig({{"clsAccount.cls", kAccount}}, {"clsAccount.cls"});
  host::MemoryComponent& account = *rig.Project().Components().at(0);
  const std::vector<std::string> members = {
      "(Variable)\t - Balance(Public)", "(Variable)\t - mOwner(Private)", "(Constant)\t - LIMIT(Private)",
      "(Event)\t - Changed(Public)",    "(Method)\t - SetOwner(Public)",  "(Method)\t - cmdOK_Click(Private)",
      "(Property)\t - Owner(Public)",
  };
  const ComponentInformation expected{"clsAccount", rig.Path("clsAccount.cls"), "16", false,
                                      "- File is not under source code control.", members};
  EXPECT_EQ(FormatComponentInformation(DescribeComponent(account, 0)), FormatComponentInformation(expected));
  // Only the exact values are known; a combination of flags is an unknown status.
  const struct {
    int status;
    const char* text;
  } statuses[] = {
      {2, "- File is checked out to current user."},
      {3, "- File under source code control (Status unknown)."},
      {-1, "- File under source code control (Status unknown)."},
  };
  for (const auto& s : statuses) {
    const ComponentInformation info = DescribeComponent(account, s.status);
    EXPECT_EQ(info.status, s.text) << s.status;
    EXPECT_EQ(info.source_control, s.status != 0) << s.status;
  }
  // A component never saved has no file name part, and still lists its members.
  Unsaved unsaved(account);
  EXPECT_EQ(FormatComponentInformation(DescribeComponent(unsaved, 3)),
            "Component Name : clsAccount\nFilename : <Not yet saved>\nLines of code : 16\n"
            "Source Control : [x] - File under source code control (Status unknown).\nComponent Members\n" +
                [&] {
                  std::string lines;
                  for (const std::string& line : members) lines += line + "\n";
                  return lines;
                }());
}

TEST(ComponentInfo, ReadsTheStatusFromTheSourceControlDatabase) {
  const struct {
    const char* what;
    bool configured, scc_file, added;
    const char* checked_out_by;  // nullptr: checked in
    int status;
  } cases[] = {
      {"no database configured", false, true, true, nullptr, 0},
      {"an item of the project", true, true, true, nullptr, 1},
      {"checked out to the current user", true, true, true, "tester", 2},
      {"checked out to another user", true, true, true, "bob", 4},
      {"no item of that name", true, true, false, nullptr, 0},
      // Without mssccprj.scc the item is looked up by the file's own path.
      {"found by its path", true, false, true, nullptr, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ToolsRig rig({{"clsAccount.cls", kAccount}}, {"clsAccount.cls"});
    if (c.scc_file)
      platform::testing::WriteBytes(rig.dir / "mssccprj.scc", "[Tools.vbp]\r\nSCC_Project_Name = \"$/Tools\", BAAA\r\n");
    platform::FakeEnvironment env;
    auto database = platform::SourceSafeDatabase::Create(rig.dir / "vss");
    if (c.configured) env.Set(platform::kSourceSafeVariable, (rig.dir / "vss").string());
    const std::string spec = c.scc_file ? "$/Tools/clsAccount.cls" : "$" + rig.Path("clsAccount.cls");
    if (c.added) database.AddItem(spec, rig.dir / "clsAccount.cls");
    if (c.checked_out_by != nullptr) {
      platform::SourceSafe server(rig.dir / "vss", c.checked_out_by);
      server.Open();
      server.VSSItem(spec)->CheckOut("", "", 0);
    }
    EXPECT_EQ(SourceControlStatus(*rig.Project().Components().at(0), env), c.status);
  }
}

}  // namespace
}  // namespace gildex
