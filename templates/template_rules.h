#pragma once
// The rules every host applies to the templates and the stored settings, before anything is
// written: what a template name may be, which template a typed name means, which values a
// setting takes beyond its type, and whether a command that inserts has a template to insert.
// Problems are data (common/problem.h); the hosts word what the user can do about them.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "common/problem.h"
#include "engine/gildex.h"

namespace gildex {

// Longer template names are refused: a name is a file name, not a place for text.
inline constexpr std::size_t kMaxTemplateNameLength = 200;

// What is wrong with `name` (Windows-1252) as a template name, or empty: a template name is a
// file name in the templates folder, never a path, so separators, "..", control characters
// and over-long names are refused wherever the name comes from.
std::string TemplateNameProblem(std::string_view name);

// Line breaks inside a value shown as "\n", so that a setting or a name stays on one line.
std::string OneLine(std::string_view text);

// The template that `name` means among the .hdr files of `folder`: the exact name, else the
// one name that differs only in letter case. Otherwise nothing, and `problem` says why
// (naming the candidates; Remedy::ChooseTemplateFolder when the folder holds no template).
std::optional<std::string> FindTemplate(const std::string& folder, std::string_view name, Problem& problem);

// What is wrong with `value` (Windows-1252) for the stored setting `info` beyond its type, or
// empty: a number below the setting's least (MinLines -1, LineIncrement 0), a line break in
// a one-line text setting (it would break every line it is written into), a bad template
// name for DefaultTemplate.
std::string SettingValueProblem(const SettingInfo& info, std::string_view value);

// The loaded DefaultTemplate when it is not a usable name (Remedy::RepairStoredTemplate);
// empty when it is fine (or empty).
Problem StoredTemplateProblem(const CGildex& engine);

// A command that inserts (or removes one procedure's blocks) needs the default template, and
// its files: the add-in would insert the empty blocks of a template without files, and count
// that as done. `files_too` false: only that one is chosen.
Problem TemplateChoiceProblem(const CGildex& engine, bool files_too = true);

// The comment block command needs a comment block to insert.
Problem CommentTemplateProblem(const CGildex& engine);

}  // namespace gildex
