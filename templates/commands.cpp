#include "templates/commands.h"

#include <fmt/core.h>

#include <algorithm>
#include <charconv>
#include <utility>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <ostream>
#include <vector>

#include "common/nembus_common.h"
#include "platform/cp1252.h"
#include "platform/system.h"
#include "platform/atomic_file.h"
#include "templates/cls_template.h"
#include "templates/prefix_list.h"
#include "templates/template_files.h"
#include "templates/template_tree.h"

namespace gildex {
namespace {

constexpr int kDone = 0;
constexpr int kNotWritten = 1;
constexpr int kBadInput = 2;
// The command line's tree is the insert wizard's: no comment header node.
constexpr const char* kCommandLineTreeOwner = "gildex";

void Print(std::ostream& stream, std::string_view cp1252_text) { stream << cp1252::ToDisplay(cp1252_text); }

int Refuse(CommandContext& context, std::string_view cp1252_message) {
  context.err << "gildex: ";
  Print(context.err, cp1252_message);
  context.err << '\n';
  return kBadInput;
}

// Line breaks inside a value shown as "\n", so that every setting stays on one line.
std::string OneLine(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

// Quoted for text settings, so that a delimiter of one blank or a marker's trailing blank shows.
std::string ShownValue(const SettingInfo& info, std::string_view value) {
  if (info.type == SettingType::Text) return "\"" + OneLine(value) + "\"";
  return std::string(value);
}

// Writing refused before anything is touched: the registry file could not be read back.
std::optional<std::string> RegistryProblem(const platform::Registry& registry) {
  if (registry.Warning().empty()) return std::nullopt;
  return fmt::format("the registry file {} is damaged ({}), so nothing was changed. Repair or remove the file "
                     "and try again.",
                     registry.File().string(), registry.Warning());
}

// Saves every setting and checks that `info` reached the file: a write the file refused has
// already been shown by the error report, and the exit code must say so too.
int SaveAndConfirm(CommandContext& context, const SettingInfo& info) {
  context.engine.SaveSettings();
  if (context.registry.File().empty()) return kDone;
  const std::string key(info.key), name(info.registry_name);
  const std::optional<platform::RegValue> wanted = context.registry.Get(key, name);
  // Nothing to write: the setting already held the value, as an absent one reads (a fresh
  // registry's "False", 0 or empty text); a write that failed would still be held here.
  if (!wanted) return kDone;
  platform::Registry on_disk(context.registry.File());
  const std::optional<platform::RegValue> stored = on_disk.Get(key, name);
  if (!wanted || !stored || stored->data != wanted->data) {
    // The input was good; the write failed.
    Refuse(context, fmt::format("{} could not be saved to {}.", info.property, context.registry.File().string()));
    return kNotWritten;
  }
  return kDone;
}

std::optional<std::string> ArgumentText(CommandContext& context, std::string_view what, std::string_view text) {
  std::optional<std::string> bytes = FromTerminalText(text);
  if (!bytes) Refuse(context, fmt::format("the {} holds a character that Windows-1252 cannot store.", what));
  return bytes;
}

// The template's name as its file spells it, or nothing after saying why.
std::optional<std::string> ResolveTemplate(CommandContext& context, const std::string& name) {
  std::string problem;
  std::optional<std::string> found = FindTemplate(context.engine.TemplatePath(), name, problem);
  if (!found) Refuse(context, problem);
  return found;
}

std::string Quoted(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "\"" : " \"") + name + "\"";
  return list;
}

void PrintBlock(CommandContext& context, std::string_view title, const std::string& path, bool read,
                const std::string& block) {
  std::error_code error;
  const bool exists = std::filesystem::exists(platform::NativePath(path), error);
  context.out << title << " (";
  Print(context.out, path);
  context.out << (exists ? (read ? "):\n" : ", cannot be read: taken as empty):\n") : ", no such file: taken as empty):\n");
  if (!block.empty()) {
    Print(context.out, block);
    context.out << '\n';
  }
}

}  // namespace

int OptionsList(CommandContext& context) {
  const std::vector<SettingInfo>& settings = CGildex::StoredSettings();
  std::size_t property_width = std::string_view("Setting").size();
  std::size_t registry_width = std::string_view("Registry value").size();
  for (const SettingInfo& info : settings) {
    property_width = std::max(property_width, info.property.size());
    registry_width = std::max(registry_width, info.registry_name.size() + 2);
  }
  context.out << fmt::format("{:<{}}  {:<{}}  {}\n", "Setting", property_width, "Registry value", registry_width,
                             "Value");
  for (const SettingInfo& info : settings) {
    const std::string value = context.engine.GetSettingText(info.property).value_or("");
    context.out << fmt::format("{:<{}}  {:<{}}  ", info.property, property_width,
                               "\"" + std::string(info.registry_name) + "\"", registry_width);
    Print(context.out, ShownValue(info, value));
    context.out << '\n';
  }
  return kDone;
}

int OptionsGet(CommandContext& context, std::string_view name) {
  const std::optional<std::string> bytes = ArgumentText(context, "setting name", name);
  if (!bytes) return kBadInput;
  const std::optional<std::string> value = context.engine.GetSettingText(*bytes);
  if (!value)
    return Refuse(context, fmt::format("there is no setting named \"{}\" (\"gildex options list\" shows them all).",
                                       *bytes));
  Print(context.out, *value);
  context.out << '\n';
  return kDone;
}

int OptionsSet(CommandContext& context, std::string_view name, std::string_view value) {
  const std::optional<std::string> name_bytes = ArgumentText(context, "setting name", name);
  if (!name_bytes) return kBadInput;
  const SettingInfo* info = CGildex::FindSetting(*name_bytes);
  if (info == nullptr)
    return Refuse(context, fmt::format("there is no setting named \"{}\" (\"gildex options list\" shows them all).",
                                       *name_bytes));
  if (std::optional<std::string> problem = RegistryProblem(context.registry)) return Refuse(context, *problem);
  const std::optional<std::string> value_bytes = ArgumentText(context, "value", value);
  if (!value_bytes) return kBadInput;
  if (std::string message = SettingValueProblem(*info, *value_bytes); !message.empty()) return Refuse(context, message);
  if (std::string message = context.engine.SetSettingText(info->property, *value_bytes); !message.empty())
    return Refuse(context, message);
  if (const int code = SaveAndConfirm(context, *info); code != kDone) return code;
  context.out << info->property << " = ";
  Print(context.out, ShownValue(*info, context.engine.GetSettingText(info->property).value_or("")));
  context.out << '\n';
  return kDone;
}

int TemplatesList(CommandContext& context) {
  TextTemplateTree tree(kCommandLineTreeOwner);
  std::string default_key;
  PopulateTree(tree, context.engine, context.report, default_key);
  Print(context.out, tree.Render());
  const std::string folder = context.engine.TemplatePath();
  std::error_code error;
  if (!std::filesystem::is_directory(platform::NativePath(folder), error)) {
    context.err << "gildex: note: the templates folder ";
    Print(context.err, folder);
    context.err << " does not exist.\n";
  } else if (default_key.empty()) {
    const std::string wanted = context.engine.DefaultTemplate();
    context.err << "gildex: note: ";
    Print(context.err, wanted.empty() ? std::string("no default template is chosen yet")
                                      : "the default template \"" + wanted + "\" has no .hdr file in " + folder);
    context.err << " (\"gildex templates default NAME\" chooses one).\n";
  }
  return kDone;
}

int TemplatesShow(CommandContext& context, std::string_view name) {
  const std::optional<std::string> bytes = ArgumentText(context, "template name", name);
  if (!bytes) return kBadInput;
  const std::optional<std::string> resolved = ResolveTemplate(context, *bytes);
  if (!resolved) return kBadInput;
  const std::string path = context.engine.TemplatePath() + *resolved;
  clsTemplate record;
  record.TemplateName(*resolved);
  const bool header_read = ReadTemplateBlock(path, kHeaderExtension, record);
  const bool footer_read = ReadTemplateBlock(path, kFooterExtension, record);
  context.out << "Template: ";
  Print(context.out, *resolved);
  context.out << '\n';
  if (!record.Title().empty()) {
    context.out << "Title: ";
    Print(context.out, record.Title());
    context.out << '\n';
  }
  PrintBlock(context, "Header", path + std::string(kHeaderExtension), header_read, record.HeaderText());
  PrintBlock(context, "Footer", path + std::string(kFooterExtension), footer_read, record.FooterText());
  return kDone;
}

int TemplatesDefault(CommandContext& context, std::string_view name) {
  const std::optional<std::string> bytes = ArgumentText(context, "template name", name);
  if (!bytes) return kBadInput;
  const std::optional<std::string> resolved = ResolveTemplate(context, *bytes);
  if (!resolved) return kBadInput;
  if (std::optional<std::string> problem = RegistryProblem(context.registry)) return Refuse(context, *problem);
  context.engine.DefaultTemplate(*resolved);
  if (const int code = SaveAndConfirm(context, *CGildex::FindSetting("DefaultTemplate")); code != kDone) return code;
  context.out << "Default template: ";
  Print(context.out, *resolved);
  context.out << '\n';
  return kDone;
}

std::string TemplateNameProblem(std::string_view name) {
  std::string_view why;
  if (name.size() > kMaxTemplateNameLength)
    why = "it is longer than 200 characters";
  else if (name.find_first_of("/\\:") != std::string_view::npos)
    why = "a template name is a file name in the templates folder, without /, \\ or :";
  else if (name.find("..") != std::string_view::npos)
    why = "a template name is a file name in the templates folder, without \"..\"";
  else if (std::any_of(name.begin(), name.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
    why = "it holds a control character (a line break, a tab...)";
  if (why.empty()) return {};
  const std::string shown = name.size() > 60 ? std::string(name.substr(0, 60)) + "..." : std::string(name);
  return fmt::format("\"{}\" is not a template name: {}.", OneLine(shown), why);
}

std::optional<std::string> FindTemplate(const std::string& folder, std::string_view name, std::string& problem) {
  problem = TemplateNameProblem(name);
  if (!problem.empty()) return std::nullopt;
  const std::vector<std::string> names = TemplateNames(folder);
  if (std::find(names.begin(), names.end(), name) != names.end()) return std::string(name);
  std::vector<std::string> near;
  for (const std::string& candidate : names)
    if (cp1252::EqualsNoCase(candidate, name)) near.push_back(candidate);
  if (near.size() == 1) return near.front();
  std::sort(near.begin(), near.end());
  if (near.size() > 1) {
    problem = fmt::format("\"{}\" could be any of the templates {} in {}; give the name exactly.", name, Quoted(near),
                          folder);
    return std::nullopt;
  }
  problem = fmt::format("there is no template \"{}\" in {}", name, folder);
  if (names.empty()) {
    problem += " (it holds no .hdr files; \"gildex options set TemplatePath FOLDER\" chooses another folder).";
  } else {
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
      return cp1252::LessNoCase()(a, b) || (!cp1252::LessNoCase()(b, a) && a < b);
    });
    problem += "; the templates there are: " + Quoted(sorted) + ".";
  }
  return std::nullopt;
}

std::string SettingValueProblem(const SettingInfo& info, std::string_view value) {
  // The engine's accessors quietly ignore a negative MinLines and raise a LineIncrement below
  // 1, as the options dialog relies on; a typed value is refused rather than something else
  // saved. Text that is no whole number is the type check's to refuse.
  static constexpr std::pair<std::string_view, long long> kLeast[] = {{"MinLines", 0}, {"LineIncrement", 1}};
  for (const auto& [property, least] : kLeast) {
    if (info.property != property) continue;
    std::string_view digits = value;
    if (digits.starts_with('+')) digits.remove_prefix(1);
    long long number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size() || number >= least) return {};
    const long long most = info.type == SettingType::Integer16 ? std::numeric_limits<std::int16_t>::max()
                                                               : std::numeric_limits<std::int32_t>::max();
    return fmt::format("{} (\"{}\") takes a whole number from {} to {}, not \"{}\".", info.property, info.registry_name,
                       least, most, value);
  }
  if (info.type != SettingType::Text) return {};
  if (info.property == "DefaultTemplate") {
    if (value.empty()) return {};  // no template chosen
    const std::string problem = TemplateNameProblem(value);
    if (problem.empty()) return {};
    return fmt::format("{} (\"{}\") was not changed: {}", info.property, info.registry_name, problem);
  }
  // The comment header is a block of lines and the check-out comment free text; every other
  // text setting is written into one source line or names one file or folder.
  if (info.property == "CommentTemplate" || info.property == "VSSComment") return {};
  if (value.find_first_of("\r\n") == std::string_view::npos) return {};
  return fmt::format("{} (\"{}\") takes one line of text; the value holds a line break.", info.property,
                     info.registry_name);
}

std::string StoredTemplateProblem(const CGildex& engine) {
  const std::string name = engine.DefaultTemplate();
  if (name.empty()) return {};
  const std::string problem = TemplateNameProblem(name);
  if (problem.empty()) return {};
  return fmt::format("the stored setting DefaultTemplate (\"Default Template\") is unusable: {} Choose a template with "
                     "\"gildex templates default NAME\" (\"gildex templates list\" shows them).",
                     problem);
}

namespace {

// A control type or prefix as the command line typed it, or nothing after saying why not.
std::optional<std::string> PrefixArgument(CommandContext& context, std::string_view what, std::string_view text) {
  std::optional<std::string> bytes = ArgumentText(context, what, text);
  if (!bytes) return std::nullopt;
  const char* problem = bytes->empty()                                         ? "is empty"
                        : bytes->find('=') != std::string::npos                ? "holds \"=\", which ends the control type in pfx.dat"
                        : bytes->find_first_of("\r\n") != std::string::npos ? "holds a line break"
                                                                               : nullptr;
  if (problem == nullptr) return bytes;
  Refuse(context, fmt::format("the {} {}; nothing was changed.", what, problem));
  return std::nullopt;
}

// The list editor with the table loaded, or nothing (after saying why) when the file exists
// but was not read to its end: saving that would lose its last rows.
bool LoadWhole(CommandContext& context, const std::filesystem::path& file, PrefixList& list) {
  if (list.LoadPrefix()) return true;
  std::error_code error;
  if (!std::filesystem::exists(file, error)) return true;
  Refuse(context, fmt::format("{} repeats an earlier control type at line {} (or cannot be read), so nothing was "
                              "changed. Repair the file and try again.",
                              file.string(), list.Items().size() + 1));
  return false;
}

int SaveTable(CommandContext& context, const std::filesystem::path& file, PrefixList& list) {
  std::error_code error;
  if (!std::filesystem::exists(file, error)) {
    try {
      platform::WriteFileAtomically(file, "", 0644, true);
    } catch (const std::exception& e) {
      context.err << "gildex: cannot create " << file.string() << ": " << e.what() << "\n";
      return kNotWritten;
    }
  }
  if (list.SavePrefix()) return kDone;
  context.err << "gildex: " << file.string() << " was not written.\n";
  return kNotWritten;
}

}  // namespace

int PrefixesList(CommandContext& context, const std::filesystem::path& program_folder) {
  const std::filesystem::path file = program_folder / std::string(kPrefixFileName);
  PrefixList list(context.engine, context.report);
  const bool whole = list.LoadPrefix();
  for (const PrefixList::Item& item : list.Items()) {
    Print(context.out, item.control_type + "\t" + item.prefix);
    context.out << '\n';
  }
  std::error_code error;
  if (!std::filesystem::exists(file, error))
    context.err << "gildex: note: there is no prefix table " << file.string()
                << " yet (\"gildex prefixes set CLASS PREFIX\" makes one).\n";
  else if (!whole)
    context.err << "gildex: note: " << file.string() << " repeats an earlier control type at line "
                << list.Items().size() + 1 << "; the rows from there on are not used.\n";
  return kDone;
}

int PrefixesSet(CommandContext& context, const std::filesystem::path& program_folder, std::string_view control_type,
                std::string_view prefix) {
  const std::optional<std::string> type_bytes = PrefixArgument(context, "control type", control_type);
  if (!type_bytes) return kBadInput;
  const std::optional<std::string> prefix_bytes = PrefixArgument(context, "prefix", prefix);
  if (!prefix_bytes) return kBadInput;
  const std::filesystem::path file = program_folder / std::string(kPrefixFileName);
  PrefixList list(context.engine, context.report);
  if (!LoadWhole(context, file, list)) return kBadInput;
  list.txtControlName = *type_bytes;
  list.txtPrefix = *prefix_bytes;
  list.cmdPrefixItem_Click(PrefixList::kAdd);
  if (const int code = SaveTable(context, file, list); code != kDone) return code;
  // The row as `list` shows it.
  Print(context.out, *type_bytes + "\t" + *prefix_bytes);
  context.out << '\n';
  return kDone;
}

int PrefixesRemove(CommandContext& context, const std::filesystem::path& program_folder,
                   std::string_view control_type) {
  const std::optional<std::string> type_bytes = PrefixArgument(context, "control type", control_type);
  if (!type_bytes) return kBadInput;
  const std::filesystem::path file = program_folder / std::string(kPrefixFileName);
  PrefixList list(context.engine, context.report);
  if (!LoadWhole(context, file, list)) return kBadInput;
  if (!list.Find(*type_bytes))
    return Refuse(context, fmt::format("there is no prefix for the control type \"{}\" (\"gildex prefixes list\" shows "
                                       "them); nothing was changed.",
                                       *type_bytes));
  list.txtControlName = *type_bytes;
  list.cmdPrefixItem_Click(PrefixList::kRemove);
  return SaveTable(context, file, list);
}

std::optional<std::string> FromTerminalText(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::optional<char32_t> code_point = cp1252::NextUtf8(text, i);
    // Not UTF-8 at all: the terminal already speaks the code page.
    if (!code_point) return std::string(text);
    const std::optional<char> byte = cp1252::FromUnicode(*code_point);
    if (!byte) return std::nullopt;
    out += *byte;
  }
  return out;
}

}  // namespace gildex
