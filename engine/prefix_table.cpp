// The control prefix table and its file "pfx.dat" in the program folder. The file is only
// ever replaced, never created: a missing file means the user keeps no prefixes.
#include "engine/prefix_table.h"

#include <algorithm>
#include <set>

#include "common/nembus_common.h"
#include "engine/gildex.h"
#include "host/source_lines.h"
#include "platform/atomic_file.h"
#include "platform/cp1252.h"

namespace gildex {
namespace {

// The lines of the file up to the first repeated control type; false when one ended the read.
bool ReadLines(const std::filesystem::path& file, std::vector<std::string>& lines) {
  lines.clear();
  const std::optional<std::string> bytes = platform::ReadWholeFile(file);
  if (!bytes) return false;
  std::set<std::string, cp1252::LessNoCase> control_types;
  for (const host::RawLine& line : host::SplitLines(*bytes)) {
    if (!control_types.insert(ParsePrefixRow(line.text).control_type).second) return false;
    lines.push_back(line.text);
  }
  return true;
}

bool SameType(std::string_view a, std::string_view b) { return cp1252::EqualsNoCase(a, b); }

}  // namespace

PrefixRow ParsePrefixRow(std::string_view line) { return {GetField(line, "=", 1), GetField(line, "=", 2)}; }

std::string PrefixRowText(const PrefixRow& row) { return row.control_type + "=" + row.prefix; }

std::optional<std::string> ControlPrefix(const PrefixTable& table, std::string_view class_name) {
  for (const PrefixRow& row : table)
    if (SameType(row.control_type, class_name)) return cp1252::Lower(row.prefix);
  return std::nullopt;
}

bool ReadPrefixFile(const std::filesystem::path& file, PrefixTable& rows) {
  std::vector<std::string> lines;
  const bool whole = ReadLines(file, lines);
  rows.clear();
  for (const std::string& line : lines) rows.push_back(ParsePrefixRow(line));
  return whole;
}

PrefixTable MergePrefixFile(const std::filesystem::path& file, const PrefixTable& read, const PrefixTable& now) {
  platform::FileLock lock(file);
  std::vector<std::string> on_disk;
  ReadLines(file, on_disk);  // up to a repeated control type, as a load reads it
  const auto row_of = [&](const std::string& control_type) {
    return std::find_if(on_disk.begin(), on_disk.end(), [&](const std::string& line) {
      return SameType(ParsePrefixRow(line).control_type, control_type);
    });
  };
  const auto in = [](const PrefixTable& table, const std::string& control_type) {
    return std::any_of(table.begin(), table.end(),
                       [&](const PrefixRow& row) { return SameType(row.control_type, control_type); });
  };
  // Rows dropped since the read go, rows added or changed replace theirs on disk; a row
  // unchanged keeps its line as the file has it.
  for (const PrefixRow& row : read)
    if (!in(now, row.control_type))
      if (auto gone = row_of(row.control_type); gone != on_disk.end()) on_disk.erase(gone);
  for (const PrefixRow& row : now) {
    if (std::find(read.begin(), read.end(), row) != read.end()) continue;
    if (auto old = row_of(row.control_type); old != on_disk.end()) on_disk.erase(old);
    on_disk.push_back(PrefixRowText(row));
  }
  std::string bytes;
  PrefixTable held;
  for (const std::string& line : on_disk) {
    bytes += line + "\r\n";
    held.push_back(ParsePrefixRow(line));
  }
  platform::WriteFileAtomically(file, bytes, 0644, true);
  return held;
}

bool CGildex::LoadPrefixes() {
  prefixes_.clear();
  return report_.Trap("CGildex.LoadPrefixes", false, [&] {
    prefixes_.clear();
    const std::filesystem::path file = services_.program_folder / std::string(kPrefixFileName);
    // Only a file counts, as the add-in's file search never lists a folder.
    std::error_code error;
    prefixes_read_.clear();
    if (!std::filesystem::is_regular_file(file, error)) return false;
    const bool whole = ReadPrefixFile(file, prefixes_);
    prefixes_read_ = prefixes_;
    return whole;
  });
}

bool CGildex::SavePrefixes() {
  return report_.Trap("CGildex.SavePrefixes", false, [&] {
    const std::filesystem::path file = services_.program_folder / std::string(kPrefixFileName);
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return false;
    prefixes_ = prefixes_read_ = MergePrefixFile(file, prefixes_read_, prefixes_);
    return true;
  });
}

}  // namespace gildex
