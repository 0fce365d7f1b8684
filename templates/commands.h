#pragma once
// The `gildex options` and `gildex templates` commands, as functions of an engine whose
// settings are loaded, so that the command line only parses arguments and tests run them
// as they are. Each returns the exit code: 0 done, 2 bad input (nothing was changed).
// Arguments arrive as the terminal typed them (UTF-8) and are stored as Windows-1252;
// everything printed is converted back for the terminal.
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

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
};

// Every stored setting: property name, registry value name and current value.
int OptionsList(CommandContext& context);
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

// Terminal text (UTF-8) as Windows-1252 bytes; text that is not UTF-8 is taken as already
// being Windows-1252. Nothing when a character has no place in the code page.
std::optional<std::string> FromTerminalText(std::string_view text);

}  // namespace gildex
