#pragma once
// The control prefix table: which name prefix a newly added control of each class gets. It
// is read once from the lines "CLASS=prefix" of the program folder's pfx.dat and kept as
// (class, prefix) pairs, so no reader splits the text on its own.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gildex {

struct PrefixRow {
  std::string control_type;
  std::string prefix;
  bool operator==(const PrefixRow&) const = default;
};
using PrefixTable = std::vector<PrefixRow>;

// The row a line of the file gives: the text before the first "=" and the text up to the
// next one, each without its surrounding spaces (a line without "=" has no prefix).
PrefixRow ParsePrefixRow(std::string_view line);
// The line the file holds for a row.
std::string PrefixRowText(const PrefixRow& row);

// The prefix `table` gives a control of `class_name`: the first row whose class equals it in
// any letter case, the prefix in lower case; nothing when no row names the class. A name
// lacks it unless it starts with exactly that text.
std::optional<std::string> ControlPrefix(const PrefixTable& table, std::string_view class_name);

// The rows of `file` up to the first repeated control type (the table is keyed by it);
// false when one ended the read early or the file cannot be read.
bool ReadPrefixFile(const std::filesystem::path& file, PrefixTable& rows);
// Carries the rows changed between `read` and `now` into `file` as it is now, under its
// lock, so that another run's rows survive; returns the table the file then holds.
PrefixTable MergePrefixFile(const std::filesystem::path& file, const PrefixTable& read, const PrefixTable& now);

}  // namespace gildex
