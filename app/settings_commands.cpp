#include "app/settings_commands.h"

#include <fmt/core.h>

#include <algorithm>
#include <charconv>
#include <utility>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/printer.h"
#include "common/nembus_common.h"
#include "platform/atomic_file.h"
#include "platform/cp1252.h"
#include "platform/system.h"
#include "session/repository_settings.h"
#include "templates/cls_template.h"
#include "templates/prefix_list.h"
#include "templates/template_files.h"
#include "templates/template_rules.h"
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
  app::Tell(context.err, cp1252_message);
  return kBadInput;
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
  std::optional<std::string> bytes = app::FromTerminalText(text);
  if (!bytes) Refuse(context, fmt::format("the {} holds a character that Windows-1252 cannot store.", what));
  return bytes;
}

// The template's name as its file spells it, or nothing after saying why.
std::optional<std::string> ResolveTemplate(CommandContext& context, const std::string& name) {
  Problem problem;
  std::optional<std::string> found = FindTemplate(context.engine.TemplatePath(), name, problem);
  if (!found) Refuse(context, app::Worded(problem));
  return found;
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

// Sets each NAME=VALUE as a run's --set does; the names set, or nothing after saying why.
std::optional<std::vector<std::string>> SetForThisRun(CommandContext& context, const std::vector<std::string>& settings) {
  std::vector<std::string> set;
  for (const std::string& setting : settings) {
    const std::size_t equals = setting.find('=');
    if (equals == std::string::npos) {
      Refuse(context, "--set wants NAME=VALUE, not \"" + setting + "\"");
      return std::nullopt;
    }
    const auto name = ArgumentText(context, "setting name", setting.substr(0, equals));
    const auto value = name ? ArgumentText(context, "value", setting.substr(equals + 1)) : std::nullopt;
    if (!value) return std::nullopt;
    const SettingInfo* info = CGildex::FindSetting(*name);
    std::string problem = info == nullptr ? "there is no setting named \"" + *name + "\"" : SettingValueProblem(*info, *value);
    if (problem.empty()) problem = context.engine.SetSettingText(*name, *value);
    if (!problem.empty()) {
      Refuse(context, problem);
      return std::nullopt;
    }
    set.emplace_back(info->property);
  }
  return set;
}

std::string OriginText(const CommandContext& context, const SettingInfo& info, const std::vector<std::string>& set) {
  if (std::find(set.begin(), set.end(), info.property) != set.end()) return "--set";
  if (context.tools == nullptr) return "";
  const session::SettingOrigin origin = session::OriginOf(*context.tools, info);
  switch (origin.source) {
    case ValueSource::Absent: return "default";
    case ValueSource::Registry: return "registry";
    case ValueSource::Overlay: return origin.file + ":" + std::to_string(origin.line);
  }
  return "";
}

}  // namespace

int OptionsList(CommandContext& context, const ListOptions& options) {
  const std::optional<std::vector<std::string>> set = SetForThisRun(context, options.settings);
  if (!set) return kBadInput;
  const std::vector<SettingInfo>& settings = CGildex::StoredSettings();
  std::size_t property_width = std::string_view("Setting").size();
  std::size_t registry_width = std::string_view("Registry value").size();
  for (const SettingInfo& info : settings) {
    property_width = std::max(property_width, info.property.size());
    registry_width = std::max(registry_width, info.registry_name.size() + 2);
  }
  // The origin comes before the value, whose text may be of any length.
  std::vector<std::string> origins;
  std::size_t origin_width = std::string_view("Origin").size();
  for (const SettingInfo& info : settings) {
    origins.push_back(options.origin ? OriginText(context, info, *set) : "");
    origin_width = std::max(origin_width, origins.back().size());
  }
  const auto origin_column = [&](const std::string& text) {
    return options.origin ? fmt::format("{:<{}}  ", text, origin_width) : std::string();
  };
  context.out << fmt::format("{:<{}}  {:<{}}  {}Value\n", "Setting", property_width, "Registry value", registry_width,
                             origin_column("Origin"));
  for (std::size_t i = 0; i < settings.size(); ++i) {
    const SettingInfo& info = settings[i];
    const std::string value = context.engine.GetSettingText(info.property).value_or("");
    context.out << fmt::format("{:<{}}  {:<{}}  {}", info.property, property_width,
                               "\"" + std::string(info.registry_name) + "\"", registry_width, origin_column(origins[i]));
    Print(context.out, ShownValue(info, value));
    // A setting whose name reads the wrong way round says which way its value goes.
    if (info.property == "Numbering") context.out << "  (True: no line numbers)";
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
    app::Tell(context.err, "note: the templates folder " + folder + " does not exist.");
  } else if (default_key.empty()) {
    const std::string wanted = context.engine.DefaultTemplate();
    app::Tell(context.err, "note: " +
                               (wanted.empty() ? std::string("no default template is chosen yet")
                                               : "the default template \"" + wanted + "\" has no .hdr file in " + folder) +
                               " (\"gildex templates default NAME\" chooses one).");
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
      app::Say(context.err, "cannot create " + file.string() + ": " + e.what());
      return kNotWritten;
    }
  }
  if (list.SavePrefix()) return kDone;
  app::Say(context.err, file.string() + " was not written.");
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
    app::Say(context.err, "note: there is no prefix table " + file.string() +
                              " yet (\"gildex prefixes set CLASS PREFIX\" makes one).");
  else if (!whole)
    app::Say(context.err, fmt::format("note: {} repeats an earlier control type at line {}; the rows from there on "
                                      "are not used.",
                                      file.string(), list.Items().size() + 1));
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

}  // namespace gildex
