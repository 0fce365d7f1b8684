#pragma once
// The edge between the terminal and the add-in: text typed at the terminal (UTF-8) becomes
// Windows-1252 here and nowhere else, and a problem found below the command line (common/
// problem.h) is worded here with the options and commands that put it right.
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "common/problem.h"

namespace gildex::app {

// Terminal text (UTF-8) as Windows-1252 bytes; text that is not UTF-8 is taken as already
// being Windows-1252. Nothing when a character has no place in the code page.
std::optional<std::string> FromTerminalText(std::string_view text);
// The same for a name that is looked up: one the code page cannot hold stays as typed, so
// that it matches nothing and the problem names it as the user typed it.
std::string TerminalName(std::string_view text);

// The command line's own lines start with "gildex: ", written here and nowhere else. `text`
// is terminal text (UTF-8).
std::string Said(std::string_view text);
// Said(text) as a line on `err`.
void Say(std::ostream& err, std::string_view text);
// The same for Windows-1252 text, shown as a terminal wants it.
void Tell(std::ostream& err, std::string_view cp1252_text);

// `file` as the current folder reaches it ("sub/File.frm", "../x.bas"), as the commands name
// files on standard output; an empty path stays empty.
std::string FromCurrentFolder(const std::filesystem::path& file);

// The problem as the command line says it (Windows-1252, without the "gildex: " in front).
std::string Worded(const Problem& problem);

}  // namespace gildex::app
