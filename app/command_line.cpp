#include "app/command_line.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <ostream>
#include <string_view>

#include "app/prefix_command.h"
#include "app/project_list.h"
#include "app/printer.h"
#include "app/report_output.h"
#include "app/scope_command.h"
#include "app/session_command.h"
#include "app/settings_commands.h"
#include "app/tag_command.h"
#include "app/todo_comment_command.h"
#include "app/tool_commands.h"
#include "host/verify.h"
#include "ide/command_table.h"
#include "lsp/server.h"
#include "platform/cp1252.h"
#include "platform/program_folder_warning.h"
#include "platform/system.h"
#include "session/repository_settings.h"
#include "app/html_command.h"

namespace gildex::app {
namespace {

constexpr const char* kTopFooter =
    "Exit status:\n"
    "  0  done\n"
    "  1  a component could not be processed as asked (read-only, not written, an error\n"
    "     reported, a failed build); with --check: something would change (report --check: a\n"
    "     procedure has no error handling); for verify: a file has a problem\n"
    "  2  bad usage or input; nothing was written\n"
    "  3  cancelled with Ctrl-C; what was done before is written\n"
    "  With several projects (or a folder of them), the worst project's status.\n"
    "\n"
    "Environment:\n"
    "  GILDEX_HOME           the program folder (Templates/, Scripts/, Help/, pfx.dat)\n"
    "  GILDEX_REGISTRY       the settings file (default ~/.config/gildex/registry.reg)\n"
    "  GILDEX_WINDIR         the folder of the add-in list vbaddin.ini (default ~/.config/gildex/windows/)\n"
    "  GILDEX_SOURCESAFE     the source-control database read-only files are checked out of\n"
    "  GILDEX_BUILD_COMMAND  the build command of BuildProject ({project} and {output} are replaced)\n"
    "  GILDEX_BUILDER_COMMAND  the separate build tool offered (ShowBuilderDialog) when the compiled\n"
    "                        file is written, started and left to run ({project}, {output} as above)\n"
    "  SOURCE_DATE_EPOCH     the date and time put into templates, for reproducible output\n"
    "  XDG_CONFIG_HOME, XDG_DATA_HOME, HOME  where the default folders above lie\n"
    "\n"
    "The manual: man gildex";

constexpr const char* kCheckHelp =
    "write nothing, print no diff: name the files that would change (as git diff --name-only); exit status 1 then";

constexpr const char* kScopeFooter =
    "Without --component every component of every project is processed; a folder stands for every .vbp under it, "
    "and a project that fails does not stop the others. Changed files are written in place "
    "(atomically); --dry-run prints a diff that git apply takes instead, --check names the files that would "
    "change.\n"
    "Exit status: 0 done, 1 a component could not be processed as asked (with --check: something would change), "
    "2 bad usage or input (nothing written), 3 cancelled with Ctrl-C; with several projects, the worst of theirs.";

int Verify(const std::vector<std::string>& arguments, bool with_procedures, bool json, bool quiet,
           std::ostream& out, std::ostream& err) {
  std::string problem;
  const std::vector<std::string> paths = ExpandProjects(arguments, problem);
  if (!problem.empty()) {
    Say(err, problem);
    return kBadInput;
  }
  int exit_code = 0;
  std::vector<host::VerifyReport> reports;
  for (const std::string& path : paths) {
    session::UseCodePageOf(path);
    host::VerifyReport report = host::VerifyProject(path, with_procedures);
    exit_code = std::max(exit_code, report.ExitCode());
    // One document for all the paths, printed at the end.
    if (json) {
      reports.push_back(std::move(report));
    } else if (!report.readable) {
      Say(err, cp1252::ToUtf8(report.error));
    } else if (!quiet || report.ExitCode() != 0) {
      // Source text is Windows-1252 bytes; terminals expect UTF-8.
      out << cp1252::ToUtf8(host::FormatVerifyReport(report, with_procedures));
    }
  }
  if (json) out << VerifyReportJson(reports, with_procedures);
  return exit_code;
}

// The help file's path alone on standard output, for a browser: xdg-open "$(gildex help)".
int HelpFile(std::ostream& out, std::ostream& err) {
  const std::filesystem::path file = platform::ProgramFolder() / std::string(kHelpFileName);
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) {
    Say(err, "the help file " + file.string() + " is missing: Gildex was not installed completely.");
    return kReported;
  }
  out << file.string() << "\n";
  return kDone;
}

std::size_t Distance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1,
                         diagonal + (cp1252::ToLower(a[i - 1]) == cp1252::ToLower(b[j - 1]) ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::vector<std::string> NamesOf(CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* command : app.get_subcommands({})) names.push_back(command->get_name());
  return names;
}

// A word where a command belongs that names none: CLI11 would call it an unexpected argument.
// `help` is the command whose --help lists them, when not `path`.
bool UnknownCommand(CLI::App& app, const std::vector<std::string>& args, std::size_t at, const std::string& path,
                    std::ostream& err, std::string help = {}) {
  if (help.empty()) help = path;
  const std::vector<std::string> names = NamesOf(app);
  if (names.empty()) return false;
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
  if (at >= args.size()) {
    err << Said(at == 1 ? std::string("a command is needed") : "'" + path + "' wants a command")
        << ".\nThe commands are: " << list << " (" << help << " --help tells more).\n";
    return true;
  }
  if (args[at].empty() || args[at][0] == '-') return false;
  for (CLI::App* known : app.get_subcommands({}))
    if (known->check_name(args[at]))
      return known->get_require_subcommand_min() > 0 && UnknownCommand(*known, args, at + 1, path + " " + args[at], err);
  err << Said("'" + args[at] + "' is not a " + path + " command.");
  if (const std::string near = NearestCommand(args[at], names); !near.empty())
    err << " Did you mean '" << path << " " << near << "'?";
  err << "\nThe commands are: " << list << " (" << help << " --help tells more).\n";
  return true;
}

// "START:END", each one to nine digits.
bool IsLineRange(std::string_view text) {
  const std::size_t colon = text.find(':');
  const auto digits = [](std::string_view part) {
    return !part.empty() && part.size() <= 9 &&
           std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  return colon != std::string_view::npos && digits(text.substr(0, colon)) && digits(text.substr(colon + 1));
}

// What CLI11 cannot check alone; a message when the options do not fit together.
std::string ScopeProblem(const CLI::App& command, const ScopeOptions& scope, const std::string& selection) {
  if (!scope.script_file.empty() && scope.action != ScopeAction::Insert) return "--script runs with insert only";
  if (scope.check && scope.dry_run) return "--check and --dry-run together: choose one";
  if (scope.quiet && scope.verbose) return "--quiet and --verbose together: choose one";
  for (const char* name : {"--component", "--proc", "--template", "--script", "--selection"}) {
    const CLI::Option* option = command.get_option_no_throw(name);
    if (option != nullptr && option->count() > 0 && option->as<std::string>().empty())
      return std::string(name) + " wants a name, not an empty text";
  }
  if (!selection.empty() && !IsLineRange(selection))
    return "--selection wants START:END (two line numbers), not \"" + selection + "\"";
  if (scope.whole_module && selection.empty()) return "--whole-module goes with --selection only";
  return {};
}

}  // namespace

std::string NearestCommand(const std::string& typed, const std::vector<std::string>& commands) {
  std::string best;
  std::size_t best_distance = 0;
  for (const std::string& name : commands) {
    const std::size_t distance = name.starts_with(typed) ? 1 : Distance(typed, name);
    if (best.empty() || distance < best_distance) best = name, best_distance = distance;
  }
  // More letters wrong than right is no typo.
  return best_distance <= std::max<std::size_t>(1, std::min(typed.size(), best.size()) / 2) ? best : std::string();
}

namespace {

using Runner = std::function<int()>;

// What a parse chose: the streams, and the run of the one command given (a command that
// reads the settings gives `with_settings`, the others `run`).
struct Chosen {
  std::ostream& out;
  std::ostream& err;
  Runner run;
  std::function<int(session::PlatformContext&)> with_settings;
  // The commands that open a project: --yes/--no, the answer to every question of the run
  // (the missing member files first); none when neither was given.
  bool yes = false, no = false;
  platform::MsgBoxResult forced{};
};

// What a command needs before it runs.
enum class Needs {
  Nothing,   // its arguments only
  Settings,  // the stored settings (an engine without a project); files it reads itself ask nothing
  Files,     // project files it reads itself, asking nothing
  Project,   // a project opened in a session of the add-in, which asks about missing members
};

// The options of every command that opens a project in a session.
void AddLoadingOptions(CLI::App& command, Chosen& chosen) {
  command.add_flag("--yes", chosen.yes, "answer Yes to every question (missing member files are left out)");
  command.add_flag("--no", chosen.no, "answer No to every question (a project missing member files is not loaded)");
}

// One command of the table: its name and help line, what it needs, whether it may write, and
// how its options are added to its CLI11 command.
struct CommandSpec {
  const char* name;
  const char* help;
  Needs needs;
  bool writes;
  void (*add)(CLI::App& command, Chosen& chosen);
};

// A settings command's run, handed the settings by the setup its table row asks for. Those that
// only read (`here`) see the settings of the current folder's repository file over the registry;
// those that write change the registry alone.
void WithSettings(Chosen& chosen, std::function<int(CommandContext&)> command, bool here = false) {
  chosen.with_settings = [&chosen, command = std::move(command), here](session::PlatformContext& context) {
    std::error_code error;
    if (here)
      if (const Problem problem = session::UseRepositorySettings(context, std::filesystem::current_path(error));
          !problem.empty()) {
        Tell(chosen.err, Worded(problem));
        return static_cast<int>(kBadInput);
      }
    CommandContext commands{context.Engine(), context.registry, context.report, chosen.out, chosen.err, &context.tools};
    return command(commands);
  };
}

constexpr const char* kProjectsHelp =
    ".vbp, .vbg or single module files, and folders: every .vbp under a folder, in path order";

// An option's storage lives as long as the command that binds it.
template <class T>
std::shared_ptr<T> Bound() {
  return std::make_shared<T>();
}

void AddVerify(CLI::App& verify, Chosen& chosen) {
  struct Options {
    std::vector<std::string> paths;
    bool procedures = false, json = false, quiet = false;
  };
  auto o = Bound<Options>();
  verify.add_option("PROJECT", o->paths, kProjectsHelp)->required();
  verify.add_flag("--procedures", o->procedures, "list each procedure with its line range");
  verify.add_flag("--json", o->json, "print the reports as one JSON object (UTF-8) on standard output");
  verify.add_flag("-q,--quiet", o->quiet, "print the reports of the paths with a problem only");
  verify.footer("Writes nothing. Exit status: 0 every file loads and would be written back byte for byte (warnings "
                "allowed), 1 a file has a problem, 2 bad usage or a project that cannot be read.");
  verify.callback([&chosen, o] {
    chosen.run = [&chosen, o] { return Verify(o->paths, o->procedures, o->json, o->quiet, chosen.out, chosen.err); };
  });
}

constexpr const char* kSettingName = "property name (IgnoreExisting) or registry name (\"Ignore Existing\"), any case";

void AddOptions(CLI::App& options, Chosen& chosen) {
  auto o = Bound<std::pair<std::string, std::string>>();
  auto listed = Bound<ListOptions>();
  options.require_subcommand(1);
  // Before its commands are made, so that they show it too.
  options.footer("Exit status: 0 done, 1 the registry file could not be written, 2 bad usage, an unknown setting, "
                 "a value of the wrong type or a damaged registry file (nothing written).");
  auto* list = options.add_subcommand("list", "Every setting: property name, registry value name and current value "
                                              "(a .gildex file here or above, up to the repository's root, included)");
  list->add_flag("--origin", listed->origin, "say where each value comes from: default, registry, FILE:LINE, --set");
  list->add_option("--set", listed->settings, "show the values with this setting given for the run (repeatable)")
      ->type_name("NAME=VALUE");
  list->callback([&chosen, listed] { WithSettings(chosen, [listed](auto& c) { return OptionsList(c, *listed); }, true); });
  auto* get = options.add_subcommand("get", "Print one setting's current value");
  get->add_option("NAME", o->first, kSettingName)->required();
  get->callback([&chosen, o] { WithSettings(chosen, [o](auto& c) { return OptionsGet(c, o->first); }, true); });
  auto* set =
      options.add_subcommand("set", "Change one setting and save the settings; a value of the wrong type is refused");
  set->add_option("NAME", o->first, kSettingName)->required();
  set->add_option("VALUE", o->second, "True/False, a whole number or text, as the setting takes")->required();
  set->callback([&chosen, o] {
    WithSettings(chosen, [o](auto& c) { return OptionsSet(c, o->first, o->second); });
  });
}

void AddTemplates(CLI::App& templates, Chosen& chosen) {
  auto name = Bound<std::string>();
  templates.require_subcommand(1);
  templates.footer("Exit status: 0 done, 1 the registry file could not be written, 2 bad usage, no such template "
                   "or a damaged registry file (nothing written).");
  templates.add_subcommand("list", "The templates of the templates folder, the default one marked")
      ->callback([&chosen] { WithSettings(chosen, [](auto& c) { return TemplatesList(c); }, true); });
  auto* show = templates.add_subcommand("show", "Print a template's header and footer blocks");
  show->add_option("NAME", *name, "template name (its file name without .hdr)")->required();
  show->callback(
      [&chosen, name] { WithSettings(chosen, [name](auto& c) { return TemplatesShow(c, *name); }, true); });
  auto* make_default = templates.add_subcommand("default", "Make a template the default one that insertion uses");
  make_default->add_option("NAME", *name, "template name (its file name without .hdr)")->required();
  make_default->callback(
      [&chosen, name] { WithSettings(chosen, [name](auto& c) { return TemplatesDefault(c, *name); }); });
}

// Runs `run` on each project the arguments name (project_list.h), with `options` naming it.
template <class Options>
int OnEachProject(Chosen& chosen, const std::vector<std::string>& projects, const Options& options,
                  int (*run)(const Options&, std::ostream&, std::ostream&)) {
  return ForEachProject(projects, chosen.err, options.quiet, options.check ? "would change" : "with problems",
                        [&](const std::string& project, bool many) {
                          Options one = options;
                          one.project = project;
                          one.named = many;
                          return run(one, chosen.out, chosen.err);
                        });
}

// The options every scope command takes, and its run; `selection` is checked and turned into
// the run's line range.
struct ScopeCommand {
  ScopeOptions scope;
  std::vector<std::string> projects;
  std::string selection;
  bool numbers = false, no_numbers = false;
};

void AddScope(CLI::App& command, Chosen& chosen, ScopeAction action) {
  auto o = Bound<ScopeCommand>();
  ScopeOptions& scope = o->scope;
  command.footer(kScopeFooter);
  command.add_option("PROJECT", o->projects, kProjectsHelp)->required();
  command.add_option("--component", scope.component, "only this component (form, module, class...)")->type_name("NAME");
  command.add_option("--proc", scope.procedure, "only this procedure (of --component, or of the one component having it)")
      ->type_name("NAME");
  command.add_option("--selection", o->selection, "only lines START:END of --component, as a code-window selection")
      ->type_name("START:END");
  command.add_flag("--whole-module", scope.whole_module, "with --selection: answer \"Entire Module\" to the insert mode");
  // Taken (unlisted) by the other commands too, to be refused with a reason rather than as an unknown word.
  command.add_option("--script", scope.script_file, "script mode: FILE's Process function decides for each procedure")
      ->type_name("FILE")
      ->group(action == ScopeAction::Insert ? "Options" : "");
  command.add_option("--template", scope.template_name, "use this template for this run (not saved)")->type_name("NAME");
  // One value an occurrence, so that "--set A=1 PROJECT" leaves PROJECT alone.
  command.add_option("--set", scope.settings, "a setting for this run only (not saved); repeatable")
      ->type_name("NAME=VALUE")
      ->allow_extra_args(false);
  command.add_flag("--dry-run", scope.dry_run,
                   "write nothing; print (alone on standard output) a git-style diff of the exact bytes that "
                   "would change, for git apply or patch -p1. Paths are relative to the current folder when it "
                   "holds every changed file, else to the project folder (or the nearest folder above it holding "
                   "them all), which a line on standard error then names");
  command.add_flag("--check", scope.check, kCheckHelp);
  if (action == ScopeAction::Insert) {
    // The setting keeps the sense the registry gives it: True switches numbering off.
    command.add_flag("--numbers", o->numbers, "also number the lines (Numbering=False for this run)");
    command.add_flag("--no-numbers", o->no_numbers, "no line numbers (Numbering=True for this run)");
  }
  command.add_flag("-q,--quiet", scope.quiet, "only problems on standard error: no progress, no summary");
  command.add_flag("-v,--verbose", scope.verbose, "every message and status line, procedure by procedure");
  command.callback([&chosen, &command, o, action] {
    o->scope.action = action;
    chosen.run = [&chosen, &command, o] {
      std::string problem = ScopeProblem(command, o->scope, o->selection);
      if (problem.empty() && o->numbers && o->no_numbers) problem = "--numbers and --no-numbers together: choose one";
      if (!problem.empty()) {
        Say(chosen.err, problem);
        return static_cast<int>(kBadInput);
      }
      o->scope.forced = chosen.forced;
      if (o->numbers || o->no_numbers)
        o->scope.settings.insert(o->scope.settings.begin(), o->numbers ? "Numbering=False" : "Numbering=True");
      if (!o->selection.empty()) {
        const std::size_t colon = o->selection.find(':');
        o->scope.selection =
            std::make_pair(std::stol(o->selection.substr(0, colon)), std::stol(o->selection.substr(colon + 1)));
      }
      return OnEachProject(chosen, o->projects, o->scope, RunScopeCommand);
    };
  });
}

void AddInsert(CLI::App& command, Chosen& chosen) { AddScope(command, chosen, ScopeAction::Insert); }
void AddRemove(CLI::App& command, Chosen& chosen) { AddScope(command, chosen, ScopeAction::Remove); }
void AddNumber(CLI::App& command, Chosen& chosen) { AddScope(command, chosen, ScopeAction::Number); }
void AddUnNumber(CLI::App& command, Chosen& chosen) { AddScope(command, chosen, ScopeAction::UnNumber); }

void AddScript(CLI::App& script, Chosen& chosen) {
  auto file = Bound<std::string>();
  script.require_subcommand(1);
  auto* check = script.add_subcommand("check", "Check a script as the Validate button does");
  check->add_option("FILE", *file, "the script file")->required();
  check->footer("Exit status: 0 the script is OK, 2 it has errors or cannot be read.");
  check->callback([&chosen, file] { chosen.run = [&chosen, file] { return ScriptCheck(*file, chosen.out, chosen.err); }; });
}

void AddFinder(CLI::App& finder, Chosen& chosen) {
  auto o = Bound<FinderOptions>();
  finder.add_option("FILE", o->file, "a .vbp, .vbg or single module file (with --show: a component file)")->required();
  finder.add_flag("--json", o->json, "the procedures as JSON (UTF-8)");
  finder.add_option("--show", o->show, "print the code of this method, property or event; repeatable")
      ->type_name("NAME")
      ->allow_extra_args(false);
  finder.add_option("--project", o->project, "with --show: load FILE into this project first")->type_name("PROJECT");
  finder.add_option("--copy", o->copy, "with --show: put the code on this clipboard file (- standard output)")
      ->type_name("FILE");
  finder.footer("Writes nothing but the --copy file. Exit status: 0 done, 1 an error was reported, 2 bad usage, "
                "no such member or a file that cannot be read.");
  finder.callback([&chosen, o] {
    chosen.run = [&chosen, o] {
      o->forced = chosen.forced;
      return Finder(*o, chosen.out, chosen.err);
    };
  });
}

void AddInfo(CLI::App& info, Chosen& chosen) {
  auto o = Bound<std::pair<std::string, std::string>>();  // the component, its project
  info.add_option("COMPONENT", o->first, "a component's name (with --project) or its file")->required();
  info.add_option("--project", o->second, "the .vbp or .vbg holding the component")->type_name("PROJECT");
  info.footer("Writes nothing. Exit status: 0 done, 2 bad usage, no such component or a file that cannot be read.");
  info.callback([&chosen, o] {
    chosen.run = [&chosen, o] { return Info(o->first, o->second, chosen.forced, chosen.out, chosen.err); };
  });
}

void AddReport(CLI::App& report, Chosen& chosen) {
  auto o = Bound<ReportOptions>();
  report.add_option("PROJECT", o->projects, kProjectsHelp)->required();
  report.add_flag("--json", o->json, "as JSON (UTF-8)");
  report.add_flag("--check", o->check,
                  "print FILE:LINE: NAME has no error handling for each procedure that insert would treat (its "
                  "size, skip tag and InsertInto let it through) without error handling; exit status 1 when any");
  report.add_option("--sarif", o->sarif,
                    "write those procedures as a SARIF 2.1.0 log to FILE (- for standard output), paths relative "
                    "to the repository root")
      ->type_name("FILE");
  report.add_flag("-q,--quiet", o->quiet, "no line that is not a problem");
  report.footer("Writes nothing but the --sarif file. A procedure's handling is gildex when it holds the code-body "
                "marker an insertion writes with BodyCode on or the default template's blocks, own with an On Error "
                "of its own, else none.\nExit status: 0 done, 1 a member could not be read (it is missing from the "
                "report), or with --check a procedure has no error handling, 2 bad usage or a project that cannot "
                "be read.");
  report.callback([&chosen, o] {
    chosen.run = [&chosen, o] {
      o->forced = chosen.forced;
      return Report(*o, chosen.out, chosen.err);
    };
  });
}

void AddPrefix(CLI::App& prefix, Chosen& chosen) {
  struct Options {
    PrefixCommandOptions run;
    std::vector<std::string> projects;
  };
  auto o = Bound<Options>();
  prefix.footer(
      "Forms, MDI forms, user controls and property pages are processed; a control array is renamed as one. A control "
      "whose new name another control has already is left as it is (exit 1). The other uses of an old name in the "
      "form's code are listed as FILE:LINE: text on standard output; --references rewrites them (whole words outside "
      "strings and comments).\n"
      "Exit status: 0 done, 1 a control left as it was or a file not written (with --check: something would change), "
      "2 bad usage or input (nothing written).");
  prefix.add_option("PROJECT", o->projects, kProjectsHelp)->required();
  prefix.add_option("--component", o->run.component, "only this form, user control or property page")
      ->type_name("NAME");
  prefix.add_flag("--references", o->run.references, "also rewrite the other uses of the old names in the form's code");
  prefix.add_flag("--dry-run", o->run.dry_run,
                  "write nothing; print (alone on standard output) a git-style diff of the exact bytes that "
                  "would change, for git apply or patch -p1; the uses of old names go to standard error");
  prefix.add_flag("--check", o->run.check, kCheckHelp);
  prefix.add_flag("-q,--quiet", o->run.quiet, "only problems and uses of old names: no summary");
  prefix.add_flag("-v,--verbose", o->run.verbose, "every message, and each file written");
  prefix.callback([&chosen, &prefix, o] {
    chosen.run = [&chosen, &prefix, o] {
      const std::string problem = o->run.check && o->run.dry_run ? "--check and --dry-run together: choose one"
                                  : o->run.quiet && o->run.verbose
                                      ? "--quiet and --verbose together: choose one"
                                  : prefix.count("--component") > 0 && o->run.component.empty()
                                      ? "--component wants a name, not an empty text"
                                      : "";
      if (!problem.empty()) {
        Say(chosen.err, problem);
        return static_cast<int>(kBadInput);
      }
      o->run.forced = chosen.forced;
      return OnEachProject(chosen, o->projects, o->run, RunPrefixCommand);
    };
  });
}

void AddHtml(CLI::App& html, Chosen& chosen) {
  auto o = Bound<HtmlOptions>();
  html.add_option("FORM", o->input, "a .frm file, or a .vbp/.vbg holding the form")->required();
  html.add_option("--component", o->component, "the form to convert (needed when there are several)")->type_name("NAME");
  html.add_option("--out", o->out, "the page to write (default: FORM-NAME.html here); pictures go beside it")
      ->type_name("FILE");
  html.add_option("--title", o->title, "the page title (default: the form's caption)")->type_name("TEXT");
  html.add_option("--keywords", o->keywords, "the page's keywords meta tag")->type_name("TEXT");
  html.add_option("--description", o->description, "the page's description meta tag")->type_name("TEXT");
  html.add_option("--layout", o->layout,
                  "table (default): rows of controls in borderless tables; positioned: each control at its place, "
                  "size and look on the form")
      ->type_name("table|positioned");
  html.add_option("--method", o->method, "the form's method, GET or POST (default POST)")->type_name("GET|POST");
  html.add_option("--action", o->action, "the form's action (default --WEBBOT-SELF--)")->type_name("URL");
  html.add_flag("--force", o->force, "replace an existing page or picture (a file of the project is never replaced)");
  html.add_flag("-q,--quiet", o->quiet, "only problems: no line naming the files written");
  html.footer("Controls without a place on the form (menus, timers) are left out and named. The form file is not "
              "changed.\nExit status: 0 done, 1 the conversion failed, 2 bad usage or input (nothing written).");
  html.callback([&chosen, &html, o] {
    chosen.with_settings = [&chosen, &html, o](session::PlatformContext& context) {
      o->title_set = html.get_option("--title")->count() > 0;
      return RunHtmlCommand(*o, context.tools, chosen.out, chosen.err);
    };
  });
}

void AddPrefixes(CLI::App& prefixes, Chosen& chosen) {
  auto o = Bound<std::pair<std::string, std::string>>();  // the control type, its prefix
  prefixes.require_subcommand(1);
  prefixes.footer("A new control of a listed type gets its prefix when \"Auto Prefix\" is on. set creates pfx.dat "
                  "when it does not exist yet; a class or prefix that is empty or holds \"=\" or a line break "
                  "is refused and nothing is written.\nExit status: 0 done, 1 pfx.dat could not be written, 2 bad "
                  "usage or input (nothing written).");
  prefixes.add_subcommand("list", "Every control type with its prefix, tab-separated")->callback([&chosen] {
    WithSettings(chosen, [](auto& c) { return PrefixesList(c, platform::ProgramFolder()); });
  });
  auto* set = prefixes.add_subcommand("set", "Give a control type its prefix (replacing the old one) and save");
  set->add_option("CLASS", o->first, "control type as VB names it (CommandButton), any letter case")->required();
  set->add_option("PREFIX", o->second, "prefix for new controls of that type (cmd)")->required();
  set->callback([&chosen, o] {
    WithSettings(chosen, [o](auto& c) { return PrefixesSet(c, platform::ProgramFolder(), o->first, o->second); });
  });
  auto* remove = prefixes.add_subcommand("remove", "Drop a control type's prefix and save");
  remove->add_option("CLASS", o->first, "control type, any letter case")->required();
  remove->callback([&chosen, o] {
    WithSettings(chosen, [o](auto& c) { return PrefixesRemove(c, platform::ProgramFolder(), o->first); });
  });
}

void AddSession(CLI::App& session, Chosen& chosen) {
  auto file = Bound<std::string>();
  session.add_option("FILE", *file, "the session script (steps are listed in the README)")->required();
  session.footer("Each step is printed after \"> \", with every message box, answer and status line it led to. Exit "
                 "status: 0 every step done, 1 a step could not be done (the session stops there), 2 the script "
                 "cannot be read or does not parse (no step runs).");
  session.callback([&chosen, file] {
    chosen.run = [&chosen, file] { return PlaySessionFile(*file, chosen.out, chosen.err); };
  });
}

void AddToDo(CLI::App& todo, Chosen& chosen) {
  auto o = Bound<std::pair<std::string, std::string>>();  // the project, the action's argument
  // Not required by CLI11: PROJECT comes before the action, where a required one would take it
  // for a mistyped action.
  todo.require_subcommand(0, 1);
  todo.callback([&chosen, &todo, o] {
    if (todo.get_subcommands().empty())
      chosen.run = [&chosen, &todo, o] {
        // "gildex todo list": the action was taken for the project.
        const std::vector<std::string> actions = NamesOf(todo);
        const bool action_first = std::find(actions.begin(), actions.end(), o->first) != actions.end();
        chosen.err << Said("todo PROJECT wants an action: list, add TEXT, done N or remove N")
                   << (action_first ? "; PROJECT comes first: gildex todo PROJECT " + o->first : std::string()) << "\n";
        return static_cast<int>(kBadInput);
      };
  });
  todo.footer("The list the toolbar's To-Do List button opens. Each edit is written at once; a damaged todo.dat "
              "is never overwritten.\nExit status: 0 done, 1 todo.dat could not be written, 2 bad usage, a damaged "
              "list, a number that names no item, an empty or multi-line text (nothing written).");
  todo.add_option("PROJECT", o->first, "the project file (.vbp)")->required();
  const struct {
    const char* name;
    ToDoAction action;
    const char* help;
    const char* argument;
  } actions[] = {
      {"list", ToDoAction::List, "Print the items, numbered, [x] for done", nullptr},
      {"add", ToDoAction::Add, "Add an open item", "TEXT"},
      {"done", ToDoAction::Done, "Mark item N done", "N"},
      {"remove", ToDoAction::Remove, "Remove item N", "N"},
  };
  for (const auto& action : actions) {
    auto* command = todo.add_subcommand(action.name, action.help);
    if (action.argument != nullptr) command->add_option(action.argument, o->second, action.help)->required();
    const ToDoAction chosen_action = action.action;
    command->callback([&chosen, o, chosen_action] {
      chosen.run = [&chosen, o, chosen_action] {
        return ToDoCommand(o->first, chosen_action, o->second, chosen.out, chosen.err);
      };
    });
  }
}

void AddComment(CLI::App& comment, Chosen& chosen) {
  auto o = Bound<CommentOptions>();
  comment.add_option("PROJECT", o->project, "a .vbp, .vbg or single module file")->required();
  comment.add_option("--proc", o->procedure, "the procedure (of --component, or of the one component having it)")
      ->type_name("NAME")
      ->required();
  comment.add_option("--component", o->component, "the component holding the procedure")->type_name("NAME");
  comment.add_flag("--dry-run", o->dry_run, "write nothing; print the git-style diff of what would change");
  comment.add_flag("--check", o->check, kCheckHelp);
  comment.add_flag("-q,--quiet", o->quiet, "only problems: no line naming the file written");
  comment.footer("Exit status: 0 done, 1 an error reported or a file not written (with --check: something would "
                 "change), 2 bad usage or input: no comment block set, an unknown procedure (nothing written).");
  comment.callback([&chosen, o] {
    chosen.run = [&chosen, o] {
      o->forced = chosen.forced;
      return CommentCommand(*o, chosen.out, chosen.err);
    };
  });
}

void AddTag(CLI::App& tag, Chosen& chosen) {
  auto o = Bound<TagOptions>();
  tag.footer("Lists the component's methods, properties and events (name, type and the template of its tag, "
             "tab-separated). --proc checks a member and --untag unchecks it; then, as the window's Apply, every "
             "checked member of the component is tagged for the default template (a tag for another template is "
             "replaced) and the tags of the unchecked ones are removed. An insert with --set InsertInto=-- treats "
             "only the procedures tagged for its template.\n"
             "Exit status: 0 done, 1 an error reported or a file not written (with --check: something would change), "
             "2 bad usage or input: an unknown component or member, no template (nothing written).");
  tag.add_option("PROJECT", o->project, "a .vbp, .vbg or single module file")->required();
  tag.add_option("--component", o->component, "the component of the active project")->type_name("NAME")->required();
  tag.add_option("--proc", o->tag, "tag this member (repeatable)")->type_name("NAME");
  tag.add_option("--untag", o->untag, "remove this member's tag (repeatable)")->type_name("NAME");
  tag.add_option("--template", o->template_name, "the template to tag for, instead of the default one")
      ->type_name("NAME");
  tag.add_flag("--dry-run", o->dry_run, "write nothing; print the git-style diff of what would change");
  tag.add_flag("--check", o->check, kCheckHelp);
  tag.add_flag("-q,--quiet", o->quiet, "only problems: with a change, no member list and no summary");
  tag.callback([&chosen, o] {
    chosen.run = [&chosen, o] {
      o->forced = chosen.forced;
      return RunTagCommand(*o, chosen.out, chosen.err);
    };
  });
}

void AddHelp(CLI::App& help, Chosen& chosen) {
  help.footer("Open it in a web browser: xdg-open \"$(gildex help)\". gildex-ide shows it with the toolbar's Help "
              "button and Help > Gildex Help.\nExit status: 0 done, 1 the help file is missing.");
  help.callback([&chosen] { chosen.run = [&chosen] { return HelpFile(chosen.out, chosen.err); }; });
}

void AddLsp(CLI::App& lsp, Chosen& chosen) {
  auto stdio = Bound<bool>();
  lsp.add_flag("--stdio", *stdio, "talk over standard input and output (the only way; editors pass it)");
  lsp.callback([&chosen, stdio] { chosen.run = [stdio] { return lsp::RunLanguageServer(); }; });
}

// Every command, in the order --help lists them.
constexpr CommandSpec kCommands[] = {
    {"verify", "Load projects and check that every file would be written back unchanged", Needs::Files, false,
     AddVerify},
    {"options", "Show and change the settings (the registry file of $GILDEX_REGISTRY)", Needs::Settings, true,
     AddOptions},
    {"templates", "Show the templates and choose the default one", Needs::Settings, true, AddTemplates},
    {"insert", "Insert error handling from the default template (and line numbers unless Numbering is True)",
     Needs::Project, true, AddInsert},
    {"remove", "Remove the error handling Gildex inserted, and line numbers", Needs::Project, true, AddRemove},
    {"number", "Add line numbers", Needs::Project, true, AddNumber},
    {"unnumber", "Remove line numbers", Needs::Project, true, AddUnNumber},
    {"script", "User scripts for script mode", Needs::Nothing, false, AddScript},
    {"finder", "List every procedure with its kind and line range, or show and copy the code of a component file's "
     "members", Needs::Project, false, AddFinder},
    {"info", "What the component information window shows for one component", Needs::Project, false, AddInfo},
    {"report", "Every procedure with its kind, scope, lines and error handling (none, own, gildex)", Needs::Project,
     false, AddReport},
    {"prefix", "Give the controls already on the forms the prefix pfx.dat lists for their type, moving their event "
     "procedures along", Needs::Project, true, AddPrefix},
    {"html", "Convert a form to an HTML page with its event code as client-side VBScript", Needs::Settings, true,
     AddHtml},
    {"prefixes", "Show and change the control prefix table pfx.dat of the program folder", Needs::Settings, true,
     AddPrefixes},
    {"session", "Play a scripted IDE session with the add-in connected, printing what a user sees", Needs::Nothing,
     true, AddSession},
    {"todo", "Show and edit a project's To-Do list (todo.dat beside the project file)", Needs::Nothing, true, AddToDo},
    {"comment", "Insert the comment block (CommentTemplate) above a procedure", Needs::Project, true, AddComment},
    {"tag", "Choose the procedures of a component that Selected Routines (InsertInto --) treats, as the options "
     "dialog's Advanced window does", Needs::Project, true, AddTag},
    {"help", "Print where the help is: an HTML page on the menus, the toolbar, the windows, the settings and the "
     "templates' variables", Needs::Nothing, false, AddHelp},
    {"lsp", "Serve the Language Server Protocol to an editor on standard input and output", Needs::Files, false,
     AddLsp},
};

// The one setup of every command, as its table row says: a Settings command gets the stored
// settings (and a damaged registry said); a Project command's run opens its project through a
// CommandSession, which sets up the same way; a Files or Nothing command runs on its own.
int RunChosen(const CLI::App& app, Chosen& chosen) {
  for (const CommandSpec& spec : kCommands) {
    if (!app.got_subcommand(spec.name)) continue;
    if (spec.needs == Needs::Settings && chosen.with_settings) {
      CommandSetup setup(chosen.err, platform::MsgBoxResult{}, nullptr);
      return chosen.with_settings(setup.Context());
    }
    break;
  }
  return chosen.run ? chosen.run() : kBadInput;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  platform::OnProgramFolderWarning(
      [](const std::string& text) { Say(std::cerr, "warning: " + text); });
  CLI::App app{"gildex: rewrites the Basic source of Visual Basic 6 projects procedure by procedure", "gildex"};
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("gildex ") + GILDEX_VERSION);
  app.failure_message([](const CLI::App*, const CLI::Error& e) {
    return Said(e.what()) + "\n" + "Run 'gildex --help' (or 'gildex COMMAND --help') for more.\n";
  });
  Chosen chosen{out, err, {}, {}};
  for (const CommandSpec& spec : kCommands) {
    CLI::App& command = *app.add_subcommand(spec.name, spec.help);
    spec.add(command, chosen);
    if (spec.needs == Needs::Project) AddLoadingOptions(command, chosen);
  }
  // Set last: a command made after it would show it as its own.
  app.footer(kTopFooter);
  if (UnknownCommand(app, args, 1, "gildex", err)) return kBadInput;
  // The action of todo comes after its PROJECT.
  if (args.size() > 3 && args[1] == "todo" && !args[2].starts_with("-") &&
      UnknownCommand(*app.get_subcommand("todo"), args, 3, "gildex todo PROJECT", err, "gildex todo"))
    return kBadInput;
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::ParseError& e) {
    return app.exit(e, out, err) == 0 ? kDone : kBadInput;
  }
  if (chosen.yes && chosen.no) {
    Say(err, "--yes and --no together make no answer");
    return kBadInput;
  }
  chosen.forced = chosen.yes ? platform::vbYes : chosen.no ? platform::vbNo : platform::MsgBoxResult{};
  return RunChosen(app, chosen);
}

}  // namespace gildex::app
