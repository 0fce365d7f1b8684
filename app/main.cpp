#include <CLI/CLI.hpp>
#include <fmt/core.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "host/verify.h"
#include "platform/cp1252.h"
#include "templates/commands.h"

namespace {

// Source text is Windows-1252 bytes; terminals expect UTF-8.
void PrintForDisplay(std::FILE* stream, const std::string& bytes) {
  fmt::print(stream, "{}", gildex::cp1252::ToUtf8(bytes));
}

int Verify(const std::vector<std::string>& paths, bool with_procedures) {
  int exit_code = 0;
  for (const std::string& path : paths) {
    gildex::host::VerifyReport report = gildex::host::VerifyProject(path, with_procedures);
    std::string text = gildex::host::FormatVerifyReport(report, with_procedures);
    PrintForDisplay(report.readable ? stdout : stderr, text);
    exit_code = std::max(exit_code, report.ExitCode());
  }
  return exit_code;
}

// Runs one of the settings or template commands over the real services.
int WithCommands(const std::function<int(gildex::CommandContext&)>& command) {
  gildex::app::AppContext context;
  gildex::CommandContext commands = context.Commands();
  return command(commands);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"gildex: rewrites the Basic source of Visual Basic 6 projects procedure by procedure"};
  app.require_subcommand(1);
  std::function<int()> run;

  std::vector<std::string> paths;
  bool with_procedures = false;
  auto* verify = app.add_subcommand("verify", "Load projects and check that every file would be written back unchanged");
  verify->add_option("PROJECT", paths, "a .vbp, .vbg or single module file")->required();
  verify->add_flag("--procedures", with_procedures, "list each procedure with its line range");
  verify->callback([&] { run = [&] { return Verify(paths, with_procedures); }; });

  std::string name, value;
  auto* options = app.add_subcommand("options", "Show and change the settings (the registry file of $GILDEX_REGISTRY)");
  options->require_subcommand(1);
  options->add_subcommand("list", "Every setting: property name, registry value name and current value")
      ->callback([&] { run = [&] { return WithCommands([](auto& c) { return gildex::OptionsList(c); }); }; });
  auto* get = options->add_subcommand("get", "Print one setting's current value");
  get->add_option("NAME", name, "property name (IgnoreExisting) or registry name (\"Ignore Existing\"), any case")
      ->required();
  get->callback([&] { run = [&] { return WithCommands([&](auto& c) { return gildex::OptionsGet(c, name); }); }; });
  auto* set = options->add_subcommand("set", "Change one setting and save the settings; a value of the wrong type is refused");
  set->add_option("NAME", name, "property name (IgnoreExisting) or registry name (\"Ignore Existing\"), any case")
      ->required();
  set->add_option("VALUE", value, "True/False, a whole number or text, as the setting takes")->required();
  set->callback(
      [&] { run = [&] { return WithCommands([&](auto& c) { return gildex::OptionsSet(c, name, value); }); }; });

  auto* templates = app.add_subcommand("templates", "Show the templates and choose the default one");
  templates->require_subcommand(1);
  templates->add_subcommand("list", "The templates of the templates folder, the default one marked")
      ->callback([&] { run = [&] { return WithCommands([](auto& c) { return gildex::TemplatesList(c); }); }; });
  auto* show = templates->add_subcommand("show", "Print a template's header and footer blocks");
  show->add_option("NAME", name, "template name (its file name without .hdr)")->required();
  show->callback([&] { run = [&] { return WithCommands([&](auto& c) { return gildex::TemplatesShow(c, name); }); }; });
  auto* make_default = templates->add_subcommand("default", "Make a template the default one that insertion uses");
  make_default->add_option("NAME", name, "template name (its file name without .hdr)")->required();
  make_default->callback(
      [&] { run = [&] { return WithCommands([&](auto& c) { return gildex::TemplatesDefault(c, name); }); }; });

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int code = app.exit(e);
    return code == 0 ? 0 : 2;  // bad usage
  }
  return run ? run() : 2;
}
