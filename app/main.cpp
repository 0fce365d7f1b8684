#include <CLI/CLI.hpp>
#include <fmt/core.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "app/scope_command.h"
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

  gildex::app::ScopeOptions scope;
  bool yes = false, no = false;
  std::string selection;
  const struct {
    const char* name;
    gildex::app::ScopeAction action;
    const char* help;
  } actions[] = {
      {"insert", gildex::app::ScopeAction::Insert,
       "Insert error handling from the default template (and line numbers unless Numbering is True)"},
      {"remove", gildex::app::ScopeAction::Remove, "Remove the error handling Gildex inserted, and line numbers"},
      {"number", gildex::app::ScopeAction::Number, "Add line numbers"},
      {"unnumber", gildex::app::ScopeAction::UnNumber, "Remove line numbers"},
  };
  for (const auto& action : actions) {
    auto* command = app.add_subcommand(action.name, action.help);
    command->footer(
        "Without --component every component of every project is processed. Changed files are written in "
        "place (atomically); --dry-run prints a unified diff instead.\nExit status: 0 done, 1 some components "
        "skipped or reported, 2 bad usage or input (nothing written), 3 cancelled with Ctrl-C.");
    command->add_option("PROJECT", scope.project, "a .vbp, .vbg or single module file")->required();
    command->add_option("--component", scope.component, "only this component (form, module, class...)")->type_name("NAME");
    command->add_option("--proc", scope.procedure, "only this procedure (of --component, or of the one component having it)")
        ->type_name("NAME");
    command->add_option("--selection", selection, "only lines START:END of --component, as a code-window selection")
        ->type_name("START:END");
    command->add_flag("--whole-module", scope.whole_module, "with --selection: answer \"Entire Module\" to the insert mode");
    if (action.action == gildex::app::ScopeAction::Insert)
      command->add_option("--script", scope.script_file, "script mode: FILE's Process function decides for each procedure")
          ->type_name("FILE");
    command->add_option("--template", scope.template_name, "use this template for this run (not saved)")->type_name("NAME");
    // One value an occurrence, so that "--set A=1 PROJECT" leaves PROJECT alone.
    command->add_option("--set", scope.settings, "a setting for this run only (not saved); repeatable")
        ->type_name("NAME=VALUE")
        ->allow_extra_args(false);
    command->add_flag("--dry-run", scope.dry_run,
                      "write nothing; print (alone on standard output) a git-style diff of the exact bytes that "
                      "would change, for git apply or patch -p1. Paths are relative to the current folder when it "
                      "holds every changed file, else to the project folder (or the nearest folder above it holding "
                      "them all), which a line on standard error then names");
    command->add_flag("--yes", yes, "answer Yes to every question");
    command->add_flag("--no", no, "answer No to every question");
    command->add_flag("--quiet", scope.quiet, "no progress or status lines on standard error");
    const gildex::app::ScopeAction chosen = action.action;
    command->callback([&, chosen] {
      scope.action = chosen;
      run = [&] {
        if (yes && no) {
          fmt::print(stderr, "gildex: --yes and --no together make no answer\n");
          return 2;
        }
        scope.forced = yes ? gildex::platform::vbYes : no ? gildex::platform::vbNo : gildex::platform::MsgBoxResult{};
        if (!selection.empty()) {
          long start = 0, end = 0;
          char colon = 0;
          if (std::sscanf(selection.c_str(), "%ld%c%ld", &start, &colon, &end) != 3 || colon != ':') {
            fmt::print(stderr, "gildex: --selection wants START:END, not \"{}\"\n", selection);
            return 2;
          }
          scope.selection = std::make_pair(start, end);
        }
        return gildex::app::RunScopeCommand(scope, std::cout, std::cerr);
      };
    });
  }

  auto* script = app.add_subcommand("script", "User scripts for script mode");
  script->require_subcommand(1);
  auto* check = script->add_subcommand("check", "Check a script as the Validate button does");
  check->add_option("FILE", name, "the script file")->required();
  check->callback([&] { run = [&] { return gildex::app::ScriptCheck(name, std::cout, std::cerr); }; });

  auto* finder = app.add_subcommand("finder", "List every procedure with its kind and line range");
  finder->add_option("FILE", name, "a .vbp, .vbg or single module file")->required();
  finder->callback([&] { run = [&] { return gildex::app::Finder(name, std::cout, std::cerr); }; });

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int code = app.exit(e);
    return code == 0 ? 0 : 2;  // bad usage
  }
  return run ? run() : 2;
}
