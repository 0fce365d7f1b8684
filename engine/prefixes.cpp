// The control prefix table and its file "pfx.dat" in the program folder. The file is only
// ever replaced, never created: a missing file means the user keeps no prefixes.
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

bool CGildex::LoadPrefixes() {
  prefixes_.clear();
  return report_.Trap("CGildex.LoadPrefixes", false, [&] {
    prefixes_.clear();
    const std::filesystem::path file = services_.program_folder / std::string(kPrefixFileName);
    // Only a file counts, as the add-in's file search never lists a folder.
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return false;
    const std::optional<std::string> bytes = platform::ReadWholeFile(file);
    if (!bytes) return false;
    std::set<std::string, cp1252::LessNoCase> control_types;
    for (const host::RawLine& line : host::SplitLines(*bytes)) {
      // The table is keyed by control type: a repeated type ends the load there.
      if (!control_types.insert(GetField(line.text, "=", 1)).second) return false;
      prefixes_.push_back(line.text);
    }
    return true;
  });
}

bool CGildex::SavePrefixes() {
  return report_.Trap("CGildex.SavePrefixes", false, [&] {
    const std::filesystem::path file = services_.program_folder / std::string(kPrefixFileName);
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return false;
    std::string bytes;
    for (const std::string& line : prefixes_) bytes += line + "\r\n";
    platform::WriteFileAtomically(file, bytes, 0644, true);
    return true;
  });
}

}  // namespace gildex
