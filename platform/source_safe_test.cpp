#include "platform/source_safe.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/test_files.h"

namespace gildex::platform {
namespace {

using testing::TempDir;
using testing::WriteBytes;
using testing::ReadBytes;

mode_t ModeOf(const std::filesystem::path& file) {
  struct stat info {};
  ::stat(file.c_str(), &info);
  return info.st_mode & 07777;
}

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

TEST(SourceSafe, CheckOutMakesTheLocalFileWritableAndRecordsUserAndComment) {
  OrdersDatabase orders;
  const std::string before = ReadBytes(orders.form);
  SourceSafe server = orders.OpenAs("anna");
  std::unique_ptr<SourceSafeItem> item = server.VSSItem("$/Orders/frmMain.frm");
  ASSERT_TRUE(item);
  EXPECT_EQ(item->Name(), "frmMain.frm");
  EXPECT_EQ(item->IsCheckedOut(), 0);

  item->CheckOut("Gildex error handling", "", 0);

  EXPECT_EQ(ModeOf(orders.form), 0644u);
  EXPECT_EQ(ReadBytes(orders.form), before);
  EXPECT_EQ(item->IsCheckedOut(), 2);
  EXPECT_EQ(orders.OpenAs("bert").VSSItem("$/Orders/frmMain.frm")->IsCheckedOut(), 1);
  EXPECT_EQ(*orders.db.Find("$/orders/FRMMAIN.FRM"),
            (SourceSafeRecord{"$/Orders/frmMain.frm", "anna", orders.form.string(), "Gildex error handling"}));
  EXPECT_EQ(orders.db.Find("$/Orders/modGlobals.bas")->checked_out_by, "");
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

TEST(SourceSafe, CheckOutRefusalsLeaveFileAndDatabaseAsTheyWere) {
  struct Case {
    std::string name;
    std::function<void(OrdersDatabase&)> prepare;
    std::string local_path;
    int flags;
    std::uint32_t error;
  };
  const std::vector<Case> cases = {
      {"checked out by another user",
       [](OrdersDatabase& o) { o.OpenAs("bert").VSSItem("$/Orders/frmMain.frm")->CheckOut("", "", 0); }, "", 0,
       kSsAlreadyCheckedOut},
      {"already checked out by the same user",
       [](OrdersDatabase& o) { o.OpenAs("anna").VSSItem("$/Orders/frmMain.frm")->CheckOut("", "", 0); }, "", 0,
       kSsAlreadyCheckedOut},
      {"writable local copy", [](OrdersDatabase& o) { MakeWritable(o.form); }, "", 0, kSsWritableCopyExists},
      {"local file gone", [](OrdersDatabase& o) { std::filesystem::remove(o.form); }, "", 0, kSsLocalFileMissing},
      {"other local path that does not exist", [](OrdersDatabase&) {}, "/nonexistent/frmMain.frm", 0,
       kSsLocalFileMissing},
  };
  for (const Case& c : cases) {
    OrdersDatabase orders;
    c.prepare(orders);
    const std::string items = ReadBytes(orders.dir / "vss" / "items.txt");
    const mode_t mode = std::filesystem::exists(orders.form) ? ModeOf(orders.form) : 0;
    std::unique_ptr<SourceSafeItem> item = orders.OpenAs("anna").VSSItem("$/Orders/frmMain.frm");
    EXPECT_EQ(ErrorCodeOf([&] { item->CheckOut("comment", c.local_path, c.flags); }), c.error) << c.name;
    EXPECT_EQ(ReadBytes(orders.dir / "vss" / "items.txt"), items) << c.name;
    if (mode != 0) {
      EXPECT_EQ(ModeOf(orders.form), mode) << c.name;
    }
  }
}

TEST(SourceSafe, TheReplaceFlagChecksOutOverAWritableLocalCopy) {
  OrdersDatabase orders;
  MakeWritable(orders.form);
  WriteBytes(orders.form, "edited without checking out\r\n");
  std::unique_ptr<SourceSafeItem> item = orders.OpenAs("anna").VSSItem("$/Orders/frmMain.frm");
  item->CheckOut("comment", "", kVssFlagReplaceWritable);
  EXPECT_EQ(item->IsCheckedOut(), 2);
  // The database holds no versions: the local file stays what it was.
  EXPECT_EQ(ReadBytes(orders.form), "edited without checking out\r\n");
}

TEST(SourceSafe, CheckOutToAFolderUsesTheItemsNameInIt) {
  OrdersDatabase orders;
  std::filesystem::create_directories(orders.dir / "branch");
  WriteBytes(orders.dir / "branch" / "frmMain.frm", "branch copy\r\n");
  MakeReadOnly(orders.dir / "branch" / "frmMain.frm");
  orders.OpenAs("anna").VSSItem("$/Orders/frmMain.frm")->CheckOut("", (orders.dir / "branch").string(), 0);
  EXPECT_EQ(ModeOf(orders.dir / "branch" / "frmMain.frm") & 0200, 0200u);
  EXPECT_EQ(ModeOf(orders.form) & 0222, 0u);
  EXPECT_EQ(orders.db.Find("$/Orders/frmMain.frm")->local_path, (orders.dir / "branch" / "frmMain.frm").string());
}

TEST(SourceSafe, LoggingInFailsAsTheServerWould) {
  OrdersDatabase orders;
  EXPECT_EQ(ErrorCodeOf([&] { SourceSafe(orders.dir / "missing", "anna").Open(); }), kSsInvalidIniFile);
  EXPECT_EQ(ErrorCodeOf([&] { SourceSafe(orders.dir / "work", "anna").Open(); }), kSsInvalidIniFile);
  EXPECT_EQ(ErrorCodeOf([&] { SourceSafe(orders.dir / "vss", "").Open(); }), kSsInvalidUserName);
  EXPECT_EQ(ErrorCodeOf([&] { SourceSafe(orders.dir / "vss", "anna").VSSItem("$/Orders/frmMain.frm"); }),
            kSsNotOpen);

  orders.db.AddUser("Anna");
  orders.db.AddUser("bert");
  EXPECT_EQ(ErrorCodeOf([&] { orders.OpenAs("ANNA"); }), 0u);
  EXPECT_EQ(ErrorCodeOf([&] { orders.OpenAs("bert"); }), 0u);
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

TEST(SourceSafe, AdministrationRefusesBadRequests) {
  OrdersDatabase orders;
  const std::string items = ReadBytes(orders.dir / "vss" / "items.txt");
  EXPECT_EQ(ErrorCodeOf([&] { SourceSafeDatabase::Create(orders.dir / "vss"); }), kSsInvalidRequest);
  EXPECT_EQ(ErrorCodeOf([&] { orders.db.AddItem("$/orders/FRMMAIN.frm", orders.form); }), kSsInvalidRequest);
  EXPECT_EQ(ErrorCodeOf([&] { orders.db.AddItem("Orders/frmMain.frm", orders.form); }), kSsInvalidRequest);
  EXPECT_EQ(ErrorCodeOf([&] { orders.db.AddItem("$/", orders.form); }), kSsInvalidRequest);
  EXPECT_EQ(ErrorCodeOf([&] { orders.db.AddItem("$/Orders/frmGone.frm", orders.dir / "frmGone.frm"); }),
            kSsLocalFileMissing);
  EXPECT_EQ(ErrorCodeOf([&] { orders.db.AddUser("a,b"); }), kSsInvalidRequest);
  EXPECT_EQ(ErrorCodeOf([&] { SourceSafeDatabase::Attach(orders.dir / "work"); }), kSsInvalidIniFile);
  EXPECT_EQ(ReadBytes(orders.dir / "vss" / "items.txt"), items);
  EXPECT_EQ(SourceSafeDatabase::Attach(orders.dir / "vss").Items().size(), 2u);
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
