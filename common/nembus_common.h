#pragma once
// NembusCommon: the small text and file helpers the add-in shares. Positions count from 1
// as in Basic. Paths: this platform's separator is '/', but a path read from a setting or
// written in a Windows style may use '\'; both count as separators when a path is taken
// apart.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/error_report.h"
#include "platform/system.h"

namespace gildex {

inline constexpr char kPathSeparator = '/';

bool IsPathSeparator(char c);

// Fails (VbError 6 "Overflow", reported under NembusCommon.LineCount) past 32766 breaks.
std::int16_t LineCount(std::string_view text);
std::string GetField(std::string_view text, std::string_view delimiter, long index);
bool StrToBool(std::string_view text);
// Basic's Val: the number at the start of the text (blanks, tabs and line feeds ignored,
// "&H" and "&O" prefixes read as hexadecimal and octal), 0 when there is none. Throws
// VbError 6 "Overflow" for a number beyond a double.
double Val(std::string_view text);
// Throws VbError 5 for a non-empty path without any separator (callers report it).
std::string GetFile(std::string_view path);
std::string GetFilePath(std::string_view path);
// Names of the ordinary, non-hidden files in `folder` matching the wildcard pattern
// (case-insensitive, '*' and '?'; empty = "*.*"), in the order Windows lists them:
// case-insensitive name order.
std::vector<std::string> Files(const std::filesystem::path& folder, std::string_view pattern);
std::string READ_INI(const std::string& section, const std::string& key, const std::filesystem::path& file);
// The logged-on user's name in upper case, as the add-in shows it in %User%.
std::string NTDomainUserName(const platform::Environment& env);
// Trims spaces only (not tabs), as Basic's Trim does.
std::string_view TrimSpaces(std::string_view s);
// `name` without the characters a Windows file name cannot hold (: / \ * ? < > |); nothing is
// put in their place, and everything else (the double quote too) stays.
std::string MakeValidFilename(std::string_view name);
// Replace every occurrence, case-sensitively, as Basic's Replace with binary compare.
std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view with);

}  // namespace gildex
