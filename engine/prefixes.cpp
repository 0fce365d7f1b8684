// The control prefix table and its file "pfx.dat" in the program folder. The file is only
// ever replaced, never created: a missing file means the user keeps no prefixes.
#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <system_error>
#include <string>

#include "common/nembus_common.h"
#include "engine/gildex.h"
#include "host/source_lines.h"
#include "platform/atomic_file.h"
#include "platform/cp1252.h"

namespace gildex {
namespace {

std::string ControlTypeOf(const std::string& row) { return GetField(row, "=", 1); }

// The rows of the file up to the first repeated control type (the table is keyed by it);
// false when one ended the read early.
bool ReadTable(const std::filesystem::path& file, std::vector<std::string>& rows) {
  rows.clear();
  const std::optional<std::string> bytes = platform::ReadWholeFile(file);
  if (!bytes) return false;
  std::set<std::string, cp1252::LessNoCase> control_types;
  for (const host::RawLine& line : host::SplitLines(*bytes)) {
    if (!control_types.insert(ControlTypeOf(line.text)).second) return false;
    rows.push_back(line.text);
  }
  return true;
}

std::vector<std::string>::iterator RowOf(std::vector<std::string>& rows, const std::string& control_type) {
  return std::find_if(rows.begin(), rows.end(),
                      [&](const std::string& row) { return cp1252::EqualsNoCase(ControlTypeOf(row), control_type); });
}

}  // namespace

bool CGildex::LoadPrefixes() {
  prefixes_.clear();
  return report_.Trap("CGildex.LoadPrefixes", false, [&] {
    prefixes_.clear();
    const std::filesystem::path file = services_.program_folder / std::string(kPrefixFileName);
    // Only a file counts, as the add-in's file search never lists a folder.
    std::error_code error;
    prefixes_read_.clear();
    if (!std::filesystem::is_regular_file(file, error)) return false;
    const bool whole = ReadTable(file, prefixes_);
    prefixes_read_ = prefixes_;
    return whole;
  });
}

bool CGildex::SavePrefixes() {
  return report_.Trap("CGildex.SavePrefixes", false, [&] {
    const std::filesystem::path file = services_.program_folder / std::string(kPrefixFileName);
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return false;
    platform::FileLock lock(file);
    std::vector<std::string> on_disk;
    ReadTable(file, on_disk);  // up to a repeated control type, as a load reads it
    // Rows dropped since the read go, rows added or changed replace theirs on disk.
    for (const std::string& row : prefixes_read_)
      if (RowOf(prefixes_, ControlTypeOf(row)) == prefixes_.end())
        if (auto gone = RowOf(on_disk, ControlTypeOf(row)); gone != on_disk.end()) on_disk.erase(gone);
    for (const std::string& row : prefixes_) {
      if (std::find(prefixes_read_.begin(), prefixes_read_.end(), row) != prefixes_read_.end()) continue;
      if (auto old = RowOf(on_disk, ControlTypeOf(row)); old != on_disk.end()) on_disk.erase(old);
      on_disk.push_back(row);
    }
    std::string bytes;
    for (const std::string& line : on_disk) bytes += line + "\r\n";
    platform::WriteFileAtomically(file, bytes, 0644, true);
    prefixes_ = prefixes_read_ = std::move(on_disk);
    return true;
  });
}

}  // namespace gildex
