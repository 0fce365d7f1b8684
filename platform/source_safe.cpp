#include "platform/source_safe.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <system_error>

#include <fmt/core.h>

#include "platform/atomic_file.h"
#include "platform/cp1252.h"
#include "platform/ini.h"

namespace gildex::platform {
namespace fs = std::filesystem;
namespace {

constexpr const char* kIniHeader =
    "; SourceSafe database of Gildex. Items and their check-out state are in items.txt.\n"
    "[Database]\n";
constexpr const char* kItemsHeader = "; database path\tchecked out by\tlocal path\tcomment\n";

fs::path IniFile(const fs::path& folder) { return folder / kSourceSafeIniFile; }
fs::path ItemsFile(const fs::path& folder) { return folder / kSourceSafeItemsFile; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
    if (at == std::string_view::npos) return parts;
    start = at + 1;
  }
}

// The same database path as users write it: "$/Orders//frmMain.frm/" is "$/Orders/frmMain.frm".
std::string NormalSpec(std::string_view spec) {
  std::string out;
  for (char c : TrimBlanks(spec)) {
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out += c;
  }
  while (out.size() > 2 && out.back() == '/') out.pop_back();
  return out;
}

bool IsItemSpec(std::string_view spec) {
  return spec.size() > 2 && spec.substr(0, 2) == "$/" && spec.find_first_of("\t\r\n") == std::string_view::npos;
}

// Tabs and line breaks would split the record.
std::string OneLine(std::string_view text) {
  std::string out(text);
  std::replace_if(out.begin(), out.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
  return out;
}

std::vector<SourceSafeRecord> ParseItems(const std::string& bytes, const fs::path& file) {
  std::vector<SourceSafeRecord> records;
  long number = 0;
  for (std::string_view line : Split(bytes, '\n')) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (TrimBlanks(line).empty() || line.front() == ';') continue;
    const std::vector<std::string_view> fields = Split(line, '\t');
    const std::string spec = NormalSpec(fields[0]);
    if (fields.size() > 4 || !IsItemSpec(spec))
      throw SourceSafeError(kSsDatabaseDamaged,
                            fmt::format("{}:{}: expected a database path \"$/...\" and at most three tab-separated "
                                        "fields after it",
                                        file.string(), number));
    SourceSafeRecord record{spec, {}, {}, {}};
    if (fields.size() > 1) record.checked_out_by = std::string(fields[1]);
    if (fields.size() > 2) record.local_path = std::string(fields[2]);
    if (fields.size() > 3) record.comment = std::string(fields[3]);
    records.push_back(std::move(record));
  }
  return records;
}

std::vector<SourceSafeRecord> ReadItems(const fs::path& folder) {
  const fs::path file = ItemsFile(folder);
  std::optional<std::string> bytes;
  try {
    bytes = ReadWholeFile(file);
  } catch (const std::exception& e) {
    throw SourceSafeError(kSsFileAccess, e.what());
  }
  if (!bytes) throw SourceSafeError(kSsDatabaseDamaged, "the database has no item list: " + file.string());
  return ParseItems(*bytes, file);
}

void WriteItems(const fs::path& folder, const std::vector<SourceSafeRecord>& records) {
  std::string bytes = kItemsHeader;
  for (const SourceSafeRecord& r : records)
    bytes += fmt::format("{}\t{}\t{}\t{}\n", r.spec, OneLine(r.checked_out_by), OneLine(r.local_path),
                         OneLine(r.comment));
  try {
    WriteFileAtomically(ItemsFile(folder), bytes, 0644, true);
  } catch (const std::exception& e) {
    throw SourceSafeError(kSsFileAccess, e.what());
  }
}

SourceSafeRecord* FindRecord(std::vector<SourceSafeRecord>& records, std::string_view spec) {
  const std::string wanted = NormalSpec(spec);
  for (SourceSafeRecord& r : records)
    if (cp1252::EqualsNoCase(r.spec, wanted)) return &r;
  return nullptr;
}

bool HasDatabase(const fs::path& folder) {
  std::error_code ec;
  return fs::is_regular_file(IniFile(folder), ec);
}

// Write permission bits first: the superuser may write anything, but a file without them
// is read-only to its owner (the Windows read-only attribute carried over).
bool IsWritableFile(const fs::path& file, const struct stat& info) {
  return (info.st_mode & 0222) != 0 && ::access(file.c_str(), W_OK) == 0;
}

void ChangeMode(const fs::path& file, mode_t mode) {
  if (::chmod(file.c_str(), mode) != 0)
    throw SourceSafeError(kSsFileAccess,
                          fmt::format("cannot change the permissions of {}: {}", file.string(), std::strerror(errno)));
}

}  // namespace

SourceSafeDatabase SourceSafeDatabase::Create(const fs::path& folder) {
  if (HasDatabase(folder))
    throw SourceSafeError(kSsInvalidRequest, "a SourceSafe database already exists in " + folder.string());
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) throw SourceSafeError(kSsFileAccess, "cannot create " + folder.string() + ": " + ec.message());
  try {
    // The item list first: a folder with srcsafe.ini is a database and must have one.
    WriteFileAtomically(ItemsFile(folder), kItemsHeader, 0644, true);
    WriteFileAtomically(IniFile(folder), kIniHeader, 0644, true);
  } catch (const std::exception& e) {
    throw SourceSafeError(kSsFileAccess, e.what());
  }
  return SourceSafeDatabase(folder);
}

SourceSafeDatabase SourceSafeDatabase::Attach(const fs::path& folder) {
  if (!HasDatabase(folder))
    throw SourceSafeError(kSsInvalidIniFile, "Invalid SRCSAFE.INI file: no database in " + folder.string());
  return SourceSafeDatabase(folder);
}

void SourceSafeDatabase::AddItem(const std::string& spec, const fs::path& local_file) {
  const std::string normal = NormalSpec(spec);
  if (!IsItemSpec(normal))
    throw SourceSafeError(kSsInvalidRequest, "not a database path for a file: \"" + spec + "\"");
  struct stat info {};
  if (::stat(local_file.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
    throw SourceSafeError(kSsLocalFileMissing, "File not found: " + local_file.string());
  FileLock lock(ItemsFile(folder_));
  std::vector<SourceSafeRecord> records = ReadItems(folder_);
  if (FindRecord(records, normal))
    throw SourceSafeError(kSsInvalidRequest, normal + " is already in the database");
  records.push_back({normal, {}, fs::absolute(local_file).lexically_normal().string(), {}});
  const mode_t old_mode = info.st_mode & 07777;
  ChangeMode(local_file, old_mode & ~mode_t{0222});
  try {
    WriteItems(folder_, records);
  } catch (...) {
    ::chmod(local_file.c_str(), old_mode);
    throw;
  }
}

void SourceSafeDatabase::AddUser(const std::string& name) {
  const std::string user(TrimBlanks(name));
  if (user.empty() || user.find_first_of(",\r\n") != std::string::npos)
    throw SourceSafeError(kSsInvalidRequest, "not a user name: \"" + name + "\"");
  FileLock lock(IniFile(folder_));
  std::string users = GetPrivateProfileString("Database", "Users", "", 65536, IniFile(folder_));
  users += (users.empty() ? "" : ",") + user;
  if (!WritePrivateProfileString("Database", "Users", users, IniFile(folder_)))
    throw SourceSafeError(kSsFileAccess, "cannot write " + IniFile(folder_).string());
}

std::vector<SourceSafeRecord> SourceSafeDatabase::Items() const { return ReadItems(folder_); }

std::optional<SourceSafeRecord> SourceSafeDatabase::Find(const std::string& spec) const {
  std::vector<SourceSafeRecord> records = ReadItems(folder_);
  const SourceSafeRecord* found = FindRecord(records, spec);
  return found ? std::optional(*found) : std::nullopt;
}

std::string SourceSafeItem::Name() const { return spec_.substr(spec_.rfind('/') + 1); }

int SourceSafeItem::IsCheckedOut() const {
  std::vector<SourceSafeRecord> records = ReadItems(folder_);
  const SourceSafeRecord* record = FindRecord(records, spec_);
  if (!record) throw SourceSafeError(kSsItemNotFound, "File or project not found: " + spec_);
  if (record->checked_out_by.empty()) return 0;
  return cp1252::EqualsNoCase(record->checked_out_by, user_) ? 2 : 1;
}

void SourceSafeItem::CheckOut(const std::string& comment, const std::string& local_path, int flags) {
  FileLock lock(ItemsFile(folder_));
  std::vector<SourceSafeRecord> records = ReadItems(folder_);
  SourceSafeRecord* record = FindRecord(records, spec_);
  if (!record) throw SourceSafeError(kSsItemNotFound, "File or project not found: " + spec_);
  if (!record->checked_out_by.empty()) {
    if (cp1252::EqualsNoCase(record->checked_out_by, user_))
      throw SourceSafeError(kSsAlreadyCheckedOut, "You currently have file " + Name() + " checked out");
    throw SourceSafeError(kSsAlreadyCheckedOut, "File " + Name() + " is checked out by " + record->checked_out_by);
  }
  fs::path local = local_path.empty() ? fs::path(record->local_path) : fs::path(local_path);
  std::error_code ec;
  if (!local.empty() && fs::is_directory(local, ec)) local /= Name();
  struct stat info {};
  if (local.empty() || ::stat(local.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
    throw SourceSafeError(kSsLocalFileMissing, "File not found: " + (local.empty() ? spec_ : local.string()));
  const bool writable = IsWritableFile(local, info);
  if (writable && (flags & kVssFlagReplaceWritable) == 0)
    throw SourceSafeError(kSsWritableCopyExists, "A writable copy of " + Name() + " already exists");

  const mode_t old_mode = info.st_mode & 07777;
  if (!writable) ChangeMode(local, old_mode | S_IWUSR);
  record->checked_out_by = user_;
  record->local_path = fs::absolute(local).lexically_normal().string();
  record->comment = comment;
  try {
    WriteItems(folder_, records);
  } catch (...) {
    // Not recorded, so not checked out: the file goes back to how it was.
    if (!writable) ::chmod(local.c_str(), old_mode);
    throw;
  }
}

void SourceSafe::Open() {
  open_ = false;
  if (!HasDatabase(folder_))
    throw SourceSafeError(kSsInvalidIniFile, "Invalid SRCSAFE.INI file: no database in " + folder_.string());
  const std::string users = GetPrivateProfileString("Database", "Users", "", 65536, IniFile(folder_));
  bool known = !TrimBlanks(user_).empty();
  if (known && !TrimBlanks(users).empty()) {
    const std::vector<std::string_view> names = Split(users, ',');
    known = std::any_of(names.begin(), names.end(), [&](std::string_view name) {
      return cp1252::EqualsNoCase(TrimBlanks(name), TrimBlanks(user_));
    });
  }
  if (!known) throw SourceSafeError(kSsInvalidUserName, "Invalid user name: \"" + user_ + "\"");
  ReadItems(folder_);
  open_ = true;
}

std::unique_ptr<SourceSafeItem> SourceSafe::VSSItem(const std::string& spec) const {
  if (!open_) throw SourceSafeError(kSsNotOpen, "the SourceSafe database is not open");
  std::string full;
  if (cp1252::StartsWithNoCase(TrimBlanks(spec), "$/"))
    full = NormalSpec(spec);
  else if (!spec.empty() && spec.front() != '/' && cp1252::StartsWithNoCase(current_project_, "$/"))
    full = NormalSpec(current_project_ + "/" + spec);
  if (!IsItemSpec(full)) return nullptr;
  std::vector<SourceSafeRecord> records = ReadItems(folder_);
  const SourceSafeRecord* record = FindRecord(records, full);
  if (!record) return nullptr;
  return std::unique_ptr<SourceSafeItem>(new SourceSafeItem(folder_, user_, record->spec));
}

std::unique_ptr<SourceSafe> CreateSourceSafe(const Environment& env) {
  const std::optional<std::string> folder = env.Get(kSourceSafeVariable);
  if (!folder || TrimBlanks(*folder).empty())
    throw SourceSafeError(kSsNotRegistered, std::string("ActiveX component can't create object: \"SourceSafe.0\" is "
                                                        "not registered (") +
                                                kSourceSafeVariable + " names no database)");
  return std::make_unique<SourceSafe>(fs::path(*folder), env.UserName());
}

}  // namespace gildex::platform
