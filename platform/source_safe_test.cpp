#include "platform/source_safe.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/test_files.h"

namespace gildex::platform {
namespace {

using testing::TempDir;
using testing::WriteBytes;
using testing::ModeOf;
using testing::ReadBytes;

void MakeReadOnly(const std::filesystem::path& file) { ::chmod(file.c_str(), 0444); }
void MakeWritable(const std::filesystem::path& file) { ::chmod(file.c_str(), 0644); }

std::uint32_t ErrorCodeOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const SourceSafeError& e) {
    return e.Code();
  }
  return 0;
}

// A database with the Orders project: frmMain.frm and modGlobals.bas added from a working folder.
struct OrdersDatabase {
  OrdersDatabase() : db(SourceSafeDatabase::Create(dir / "vss")) {
    std::filesystem::create_directories(dir / "work");
    WriteBytes(form, "VERSION 5.00\r\nBegin VB.Form frmMain\r\nEnd\r\n");
    WriteBytes(module, "Attribute VB_Name = \"modGlobals\"\r\nOption Explicit\r\n");
    db.AddItem("$/Orders/frmMain.frm", form);
    db.AddItem("$/Orders/modGlobals.bas", module);
  }
  SourceSafe OpenAs(const std::string& user) {
    SourceSafe server(dir / "vss", user);
    server.Open();
    return server;
  }

  TempDir dir;
  std::filesystem::path form = dir / "work" / "frmMain.frm";
  std::filesystem::path module = dir / "work" / "modGlobals.bas";
  SourceSafeDatabase db;
};

TEST(SourceSafe, AddedItemsAreRecordedAndTheirFilesLeftReadOnly) {
  OrdersDatabase orders;
  EXPECT_THAT(orders.db.Items(),
              ::testing::ElementsAre(SourceSafeRecord{"$/Orders/frmMain.frm", "", orders.form.string(), ""},
                                     SourceSafeRecord{"$/Orders/modGlobals.bas", "", orders.module.string(), ""}));
  EXPECT_EQ(ModeOf(orders.form) & 0222, 0u);
  EXPECT_EQ(ReadBytes(orders.dir / "vss" / "items.txt"),
            "; database path\tchecked out by\tlocal path\tcomment\n"
            "$/Orders/frmMain.frm\t\t" + orders.form.string() + "\t\n"
            "$/Orders/modGlobals.bas\t\t" + orders.module.string() + "\t\n");
}

TEST(SourceSafe, CheckOutMakesTheLocalFileWritableAndRecordsUserAndCommentOrChangesNothing) {
  struct Case {
    std::string name;
    std::function<void(OrdersDatabase&)> prepare;
    std::string local;  // under the test folder, or absolute; empty: the item's own file
    int flags;
    std::uint32_t error = 0;
  };
  const auto check_out_as = [](const char* user) {
    return [user](OrdersDatabase& o) { o.OpenAs(user).VSSItem("$/Orders/frmMain.frm")->CheckOut("", "", 0); };
  };
  const std::vector<Case> cases = {
      {"own file", [](OrdersDatabase&) {}, "", 0},
      // The database holds no versions: the local file stays what it was.
      {"replacing a writable local copy",
       [](OrdersDatabase& o) { MakeWritable(o.form), WriteBytes(o.form, "edited without checking out\r\n"); }, "",
       kVssFlagReplaceWritable},
      {"to a folder: the item's name in it",
       [](OrdersDatabase& o) {
         std::filesystem::create_directories(o.dir / "branch");
         WriteBytes(o.dir / "branch" / "frmMain.frm", "branch copy\r\n");
         MakeReadOnly(o.dir / "branch" / "frmMain.frm");
       },
       "branch", 0},
      {"checked out by another user", check_out_as("bert"), "", 0, kSsAlreadyCheckedOut},
      {"already checked out by the same user", check_out_as("anna"), "", 0, kSsAlreadyCheckedOut},
      {"writable local copy", [](OrdersDatabase& o) { MakeWritable(o.form); }, "", 0, kSsWritableCopyExists},
      {"local file gone", [](OrdersDatabase& o) { std::filesystem::remove(o.form); }, "", 0, kSsLocalFileMissing},
      {"other local path that does not exist", [](OrdersDatabase&) {}, "/nonexistent/frmMain.frm", 0,
       kSsLocalFileMissing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OrdersDatabase orders;
    c.prepare(orders);
    const auto target = c.local.empty() ? "" : (orders.dir / c.local).string();
    const auto local = c.local.empty() ? orders.form : std::filesystem::path(target) / "frmMain.frm";
    const std::string items = ReadBytes(orders.dir / "vss" / "items.txt");
    const mode_t mode = std::filesystem::exists(orders.form) ? ModeOf(orders.form) : 0;
    const std::string before = ReadBytes(local);
    SourceSafe server = orders.OpenAs("anna");
    std::unique_ptr<SourceSafeItem> item = server.VSSItem("$/Orders/frmMain.frm");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->Name(), "frmMain.frm");

    EXPECT_EQ(ErrorCodeOf([&] { item->CheckOut("Gildex error handling", target, c.flags); }), c.error);

    if (c.error != 0) {
      EXPECT_EQ(ReadBytes(orders.dir / "vss" / "items.txt"), items);
      if (mode != 0) {
        EXPECT_EQ(ModeOf(orders.form), mode);
      }
      continue;
    }
    EXPECT_EQ(ModeOf(local), 0644u);
    EXPECT_EQ(ReadBytes(local), before);
    EXPECT_EQ(item->IsCheckedOut(), 2);
    EXPECT_EQ(orders.OpenAs("bert").VSSItem("$/Orders/frmMain.frm")->IsCheckedOut(), 1);
    EXPECT_EQ(*orders.db.Find("$/orders/FRMMAIN.FRM"),
              (SourceSafeRecord{"$/Orders/frmMain.frm", "anna", local.string(), "Gildex error handling"}));
    EXPECT_EQ(orders.db.Find("$/Orders/modGlobals.bas")->checked_out_by, "");
  }
}

TEST(SourceSafe, ItemsAreFoundByAbsoluteOrProjectRelativePathInAnyLetterCase) {
  OrdersDatabase orders;
  SourceSafe server = orders.OpenAs("anna");
  server.CurrentProject("$/Orders");
  struct Case {
    std::string spec;
    std::string found;  // empty: nothing
  };
  const std::vector<Case> cases = {
      {"$/Orders/frmMain.frm", "$/Orders/frmMain.frm"},
      {"$/ORDERS/FRMMAIN.FRM", "$/Orders/frmMain.frm"},
      {"$/Orders//modGlobals.bas", "$/Orders/modGlobals.bas"},
      {"modglobals.bas", "$/Orders/modGlobals.bas"},
      {"$/Orders/frmOther.frm", ""},
      {"$/Billing/frmMain.frm", ""},
      {"/frmMain.frm", ""},
      {"$/Orders", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    std::unique_ptr<SourceSafeItem> item = server.VSSItem(c.spec);
    EXPECT_EQ(item ? item->Spec() : "", c.found) << c.spec;
  }
  server.CurrentProject("");
  EXPECT_FALSE(server.VSSItem("frmMain.frm"));
}

TEST(SourceSafe, RefusalsGiveTheServersErrorAndChangeNothing) {
  OrdersDatabase orders;
  const std::string items = ReadBytes(orders.dir / "vss" / "items.txt");
  const std::vector<std::pair<std::uint32_t, std::function<void()>>> cases = {
      {kSsInvalidIniFile, [&] { SourceSafe(orders.dir / "missing", "anna").Open(); }},
      {kSsInvalidIniFile, [&] { SourceSafe(orders.dir / "work", "anna").Open(); }},
      {kSsInvalidIniFile, [&] { SourceSafeDatabase::Attach(orders.dir / "work"); }},
      {kSsInvalidUserName, [&] { SourceSafe(orders.dir / "vss", "").Open(); }},
      {kSsNotOpen, [&] { SourceSafe(orders.dir / "vss", "anna").VSSItem("$/Orders/frmMain.frm"); }},
      {kSsInvalidRequest, [&] { SourceSafeDatabase::Create(orders.dir / "vss"); }},
      {kSsInvalidRequest, [&] { orders.db.AddItem("$/orders/FRMMAIN.frm", orders.form); }},
      {kSsInvalidRequest, [&] { orders.db.AddItem("Orders/frmMain.frm", orders.form); }},
      {kSsInvalidRequest, [&] { orders.db.AddItem("$/", orders.form); }},
      {kSsLocalFileMissing, [&] { orders.db.AddItem("$/Orders/frmGone.frm", orders.dir / "frmGone.frm"); }},
      {kSsInvalidRequest, [&] { orders.db.AddUser("a,b"); }},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(ErrorCodeOf(cases[i].second), cases[i].first) << i;
  EXPECT_EQ(ReadBytes(orders.dir / "vss" / "items.txt"), items);

  // With a list of users, only they log in, in any letter case.
  orders.db.AddUser("Anna");
  EXPECT_EQ(ErrorCodeOf([&] { orders.OpenAs("ANNA"); }), 0u);
  EXPECT_EQ(ErrorCodeOf([&] { orders.OpenAs("carl"); }), kSsInvalidUserName);
}

TEST(SourceSafe, ADamagedItemListIsReportedAndNeverRewritten) {
  OrdersDatabase orders;
  const std::string damaged = "$/Orders/frmMain.frm\t\t/work/frmMain.frm\t\nfrmLost.frm\n";
  WriteBytes(orders.dir / "vss" / "items.txt", damaged);
  try {
    orders.OpenAs("anna");
    ADD_FAILURE() << "a damaged database opened";
  } catch (const SourceSafeError& e) {
    EXPECT_EQ(e.Code(), kSsDatabaseDamaged);
    EXPECT_THAT(e.what(), ::testing::HasSubstr("items.txt:2: expected a database path"));
  }
  EXPECT_EQ(ErrorCodeOf([&] { orders.db.AddItem("$/Orders/modErrors.bas", orders.module); }), kSsDatabaseDamaged);
  EXPECT_EQ(ReadBytes(orders.dir / "vss" / "items.txt"), damaged);
}

TEST(SourceSafe, TheServerIsCreatedFromTheEnvironment) {
  OrdersDatabase orders;
  FakeEnvironment env;
  env.SetUserName("anna");
  EXPECT_EQ(ErrorCodeOf([&] { CreateSourceSafe(env); }), kSsNotRegistered);
  env.Set(kSourceSafeVariable, " ");
  EXPECT_EQ(ErrorCodeOf([&] { CreateSourceSafe(env); }), kSsNotRegistered);

  env.Set(kSourceSafeVariable, (orders.dir / "vss").string());
  std::unique_ptr<SourceSafe> server = CreateSourceSafe(env);
  server->Open();
  server->VSSItem("$/Orders/frmMain.frm")->CheckOut("", "", 0);
  EXPECT_EQ(orders.db.Find("$/Orders/frmMain.frm")->checked_out_by, "anna");
}

}  // namespace
}  // namespace gildex::platform
