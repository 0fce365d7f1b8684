#pragma once
// The source-control server the add-in checks read-only files out of (ProgID "SourceSafe.0"),
// as a database kept in a folder:
//   srcsafe.ini  marks the folder as a database; an optional "Users" key of section
//                [Database] lists who may log in (comma-separated; absent = anyone)
//   items.txt    one line per item: database path TAB checked out by TAB local path TAB
//                comment (an empty "checked out by" means the item is checked in)
// The database keeps no file versions: an item's content is its local file, and checking it
// out makes that file writable for its owner. Every update of items.txt is made under a lock
// and replaces the file atomically, so a damaged or half-written database is never left.
//
//   auto db = CreateSourceSafe(env);        // throws SourceSafeError 429: none configured
//   db->Open();                             // current user, default database
//   db->CurrentProject("$/Orders");
//   if (auto item = db->VSSItem("$/Orders/frmMain.frm")) item->CheckOut("why", "", 0);
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/system.h"

namespace gildex::platform {

// The environment variable naming the database folder.
inline constexpr const char* kSourceSafeVariable = "GILDEX_SOURCESAFE";
inline constexpr const char* kSourceSafeIniFile = "srcsafe.ini";
inline constexpr const char* kSourceSafeItemsFile = "items.txt";

// The server's own error numbers that callers tell apart.
inline constexpr std::uint32_t kSsInvalidUserName = 0x8004D6C2;
inline constexpr std::uint32_t kSsInvalidIniFile = 0x8004D83E;
inline constexpr std::uint32_t kSsWritableCopyExists = 0x80040000;
// VB's "ActiveX component can't create object": the ProgID is not registered.
inline constexpr std::uint32_t kSsNotRegistered = 429;
// Numbers of our own for the rest.
inline constexpr std::uint32_t kSsNotOpen = 0x8004D001;
inline constexpr std::uint32_t kSsItemNotFound = 0x8004D002;
inline constexpr std::uint32_t kSsAlreadyCheckedOut = 0x8004D003;
inline constexpr std::uint32_t kSsLocalFileMissing = 0x8004D004;
inline constexpr std::uint32_t kSsDatabaseDamaged = 0x8004D005;
inline constexpr std::uint32_t kSsInvalidRequest = 0x8004D006;
inline constexpr std::uint32_t kSsFileAccess = 0x8004D007;

// CheckOut flag: replace a writable local copy instead of refusing.
inline constexpr int kVssFlagReplaceWritable = 128;

class SourceSafeError : public std::runtime_error {
 public:
  SourceSafeError(std::uint32_t code, const std::string& description) : std::runtime_error(description), code_(code) {}
  std::uint32_t Code() const { return code_; }

 private:
  std::uint32_t code_;
};

// One line of items.txt.
struct SourceSafeRecord {
  std::string spec;            // "$/Orders/frmMain.frm", as added
  std::string checked_out_by;  // empty when checked in
  std::string local_path;
  std::string comment;  // of the last check-out
  bool operator==(const SourceSafeRecord&) const = default;
};

// Administration of a database: what SourceSafe's own tools do, for tests and commands.
class SourceSafeDatabase {
 public:
  // Makes a new, empty database in `folder` (created when missing); kSsInvalidRequest when
  // the folder already holds one.
  static SourceSafeDatabase Create(const std::filesystem::path& folder);
  // An existing database; kSsInvalidIniFile when the folder holds none.
  static SourceSafeDatabase Attach(const std::filesystem::path& folder);

  // Adds `local_file` as item `spec` ("$/Project/File.frm") and, as SourceSafe leaves a file
  // it has just added, makes the local file read-only until it is checked out.
  // kSsInvalidRequest for a malformed or existing spec, kSsLocalFileMissing for a missing file.
  void AddItem(const std::string& spec, const std::filesystem::path& local_file);
  // Restricts logging in to the users added (any letter case).
  void AddUser(const std::string& name);

  std::vector<SourceSafeRecord> Items() const;
  // By database path, any letter case.
  std::optional<SourceSafeRecord> Find(const std::string& spec) const;
  const std::filesystem::path& Folder() const { return folder_; }

 private:
  explicit SourceSafeDatabase(std::filesystem::path folder) : folder_(std::move(folder)) {}
  std::filesystem::path folder_;
};

// An item found in an open database. It holds no state of its own: every call reads the
// database again, so a check-out by someone else shows at once.
class SourceSafeItem {
 public:
  std::string Name() const;  // "frmMain.frm"
  const std::string& Spec() const { return spec_; }
  // 0 checked in, 1 checked out by another user, 2 checked out by the current user.
  int IsCheckedOut() const;
  // Checks the item out to `local_path` (empty: the item's own local file; a folder: the
  // item's name in it) with `comment`. Fails with kSsAlreadyCheckedOut, kSsLocalFileMissing,
  // kSsWritableCopyExists (a writable local copy, unless `flags` has kVssFlagReplaceWritable),
  // kSsItemNotFound (removed meanwhile) or kSsFileAccess.
  void CheckOut(const std::string& comment, const std::string& local_path, int flags);

 private:
  friend class SourceSafe;
  SourceSafeItem(std::filesystem::path folder, std::string user, std::string spec)
      : folder_(std::move(folder)), user_(std::move(user)), spec_(std::move(spec)) {}
  std::filesystem::path folder_;
  std::string user_;
  std::string spec_;
};

// The database object of "SourceSafe.0".
class SourceSafe {
 public:
  SourceSafe(std::filesystem::path database_folder, std::string user_name)
      : folder_(std::move(database_folder)), user_(std::move(user_name)) {}

  // Logs the user in: kSsInvalidIniFile when the folder holds no database,
  // kSsInvalidUserName when the user may not log in, kSsDatabaseDamaged for a damaged
  // items file.
  void Open();
  const std::string& CurrentProject() const { return current_project_; }
  void CurrentProject(std::string project) { current_project_ = std::move(project); }
  // "$/..." paths are absolute, others relative to CurrentProject. Nothing for an unknown
  // item; kSsNotOpen before Open.
  std::unique_ptr<SourceSafeItem> VSSItem(const std::string& spec) const;

 private:
  std::filesystem::path folder_;
  std::string user_;
  std::string current_project_;
  bool open_ = false;
};

// Creating "SourceSafe.0": the database in the folder named by GILDEX_SOURCESAFE, for the
// logged-on user. Throws SourceSafeError kSsNotRegistered when the variable is unset or empty.
std::unique_ptr<SourceSafe> CreateSourceSafe(const Environment& env);

}  // namespace gildex::platform
