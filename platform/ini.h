#pragma once
// Private-profile (INI) files with the semantics of the Windows profile calls: section and
// key names compare without regard to letter case, a missing file, section or key gives the
// default, the result is cut to the buffer size less one, and a write creates the file,
// section and key as needed while keeping every other line and comment as it was
// (including the file's own line ends).
#include <filesystem>
#include <string>

namespace gildex::platform {

// GetPrivateProfileString: at most size - 1 characters of the value (or of the default).
// Surrounding blanks of the value are dropped, and so is one pair of enclosing quotes.
std::string GetPrivateProfileString(const std::string& section, const std::string& key, const std::string& def,
                                    std::size_t size, const std::filesystem::path& file);
// WritePrivateProfileString; returns false when the file cannot be written.
bool WritePrivateProfileString(const std::string& section, const std::string& key, const std::string& value,
                               const std::filesystem::path& file);

}  // namespace gildex::platform
