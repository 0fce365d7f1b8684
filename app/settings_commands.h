#pragma once
// The `gildex options`, `gildex templates` and `gildex prefixes` commands, as functions of an
// engine whose settings are loaded, so that the command line only parses arguments and tests
// run them as they are. Each returns the exit code: 0 done, 2 bad input (nothing was changed).
// Arguments arrive as the terminal typed them (UTF-8) and are stored as Windows-1252;
// everything printed is converted back for the terminal.
#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "common/error_report.h"
#include "engine/gildex.h"
#include "platform/registry.h"

namespace gildex {

struct CommandContext {
  CGildex& engine;
  platform::Registry& registry;  // the one the engine's settings are saved to
  ErrorReport& report;
  std::ostream& out;
  std::ostream& err;
  const RegistryTools* tools = nullptr;  // the engine's, for where each value comes from
};

struct ListOptions {
  bool origin = false;                // a column saying where each value comes from
  std::vector<std::string> settings;  // NAME=VALUE (terminal text), as --set gives a run
};

// Every stored setting: property name, registry value name and current value.
int OptionsList(CommandContext& context, const ListOptions& options = {});
// The value alone, as the property reads it.
int OptionsGet(CommandContext& context, std::string_view name);
// Sets the setting (property or registry name, any letter case) and saves the settings.
int OptionsSet(CommandContext& context, std::string_view name, std::string_view value);

// The template tree as the insert wizard shows it.
int TemplatesList(CommandContext& context);
// The header and footer blocks of one template.
int TemplatesShow(CommandContext& context, std::string_view name);
// Makes an existing template the default one and saves the settings.
int TemplatesDefault(CommandContext& context, std::string_view name);

// The control prefix table "pfx.dat" of `program_folder`, edited through the options dialog's
// list editor (prefix_list.h). `list` prints "TYPE<tab>PREFIX" rows. `set` replaces or adds a
// control type's prefix (the row moves to the end, as Add does) and `remove` drops it; both
// save the table, and `set` creates "pfx.dat" when it does not exist yet, since the user
// asked for a table (the options dialog writes only an existing file). An empty control type or prefix, or "=" or a line break in either, is refused
// (exit 2) as is a file whose control types repeat, which a save would cut short: nothing
// is written then. Exit 1 when the file could not be written.
int PrefixesList(CommandContext& context, const std::filesystem::path& program_folder);
int PrefixesSet(CommandContext& context, const std::filesystem::path& program_folder, std::string_view control_type,
                std::string_view prefix);
int PrefixesRemove(CommandContext& context, const std::filesystem::path& program_folder,
                   std::string_view control_type);

}  // namespace gildex
