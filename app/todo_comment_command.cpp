#include "app/todo_comment_command.h"

#include <fmt/core.h>

#include <filesystem>
#include <ostream>

#include "app/printer.h"
#include "app/scope_command.h"
#include "app/terminal_view.h"
#include "host/project_file.h"
#include "platform/cp1252.h"
#include "templates/template_rules.h"

namespace gildex::app {

ToDoOutcome RunToDoCommand(const std::string& project_file, ToDoAction action, const std::string& argument) {
  ToDoOutcome outcome;
  auto refuse = [&](std::string problem) {
    outcome.problem = std::move(problem);
    outcome.bad_input = true;
    return outcome;
  };
  std::error_code ec;
  const std::filesystem::path project = std::filesystem::absolute(project_file, ec).lexically_normal();
  if (!cp1252::EqualsNoCase(project.extension().string(), ".vbp"))
    return refuse(project_file + " is not a project file (.vbp): the To-Do list is kept beside one");
  if (!std::filesystem::is_regular_file(project, ec)) return refuse("no project file " + project_file);
  ToDoList list;
  list.FileName(ToDoFileOf(project.string()));
  if (std::string problem = list.Load(); !problem.empty()) return refuse(std::move(problem));
  std::size_t item = 0;
  if (action == ToDoAction::Done || action == ToDoAction::Remove) {
    const bool digits = !argument.empty() && argument.size() <= 9 &&
                        argument.find_first_not_of("0123456789") == std::string::npos;
    if (!digits) return refuse("an item is given by its number (1, 2, ...), not \"" + argument + "\"");
    item = std::stoul(argument);
    if (std::string problem = list.ItemProblem(item); !problem.empty()) return refuse(std::move(problem));
  }
  if (action == ToDoAction::Add)
    if (std::string problem = ToDoTextProblem(argument); !problem.empty()) return refuse(std::move(problem));
  switch (action) {
    case ToDoAction::List: break;
    case ToDoAction::Add: outcome.problem = list.Add(argument); break;
    case ToDoAction::Done: outcome.problem = list.MarkDone(item); break;
    case ToDoAction::Remove: outcome.problem = list.Remove(item); break;
  }
  outcome.items = list.Items();
  return outcome;
}

int ToDoCommand(const std::string& project, ToDoAction action, const std::string& argument, std::ostream& out,
                std::ostream& err) {
  std::string text = argument;
  if (action == ToDoAction::Add) {
    const auto converted = FromTerminalText(argument);
    if (!converted) {
      Say(err, "a character of the text has no place in Windows-1252; nothing was written");
      return kBadInput;
    }
    text = *converted;
  }
  const ToDoOutcome outcome = RunToDoCommand(project, action, text);
  if (!outcome.problem.empty()) {
    Tell(err, outcome.problem);
    return outcome.bad_input ? kBadInput : kReported;
  }
  for (std::size_t i = 0; i < outcome.items.size(); ++i)
    out << fmt::format("{}. [{}] ", i + 1, outcome.items[i].done ? 'x' : ' ') << cp1252::ToDisplay(outcome.items[i].text)
        << "\n";
  return kDone;
}

int CommentCommand(const CommentOptions& options, std::ostream& out, std::ostream& err) {
  auto fail = [&](int code, const std::string& message) {
    Tell(err, message);
    return code;
  };
  if (options.dry_run && options.check) return fail(kBadInput, "--check and --dry-run together: choose one");
  if (options.procedure.empty()) return fail(kBadInput, "--proc wants a name, not an empty text");
  const bool writes = !options.dry_run && !options.check;
  Console console(err, ConsoleMode{false, false, true});  // the window's problems only; outlives the session
  CommandSession command(err, options.forced, nullptr);
  session::Session& session = command.Session();
  const std::string opened = command.Open(options.project, !options.dry_run);
  if (!opened.empty()) return fail(kBadInput, opened);
  if (const Problem problem =
          session.ConnectAddIn(ext_cm_CommandLine, writes,
                               [&](clsMessages&) -> std::unique_ptr<MessageView> {
                                 return std::make_unique<TerminalMessageView>(console);
                               });
      !problem.empty())
    return fail(kBadInput, Worded(problem));
  if (const Problem problem = CommentTemplateProblem(session.Engine()); !problem.empty())
    return fail(kBadInput, Worded(problem));
  if (const Problem problem =
          session.SelectProcedure(TerminalName(options.component), TerminalName(options.procedure));
      !problem.empty())
    return fail(kBadInput, Worded(problem));
  const session::CommandOutcome outcome = session.RunCommentBlock();
  if (outcome.errors_reported > 0) return fail(kReported, "nothing was written because of the error reported above");
  // The write tail every writing command shares: the diff of a dry run, --check's answer, or
  // the save with the files it skipped.
  Console tail(err, ConsoleMode{false, false, options.quiet});
  std::string save_error;
  std::vector<std::string> written;
  const std::optional<long> files =
      WriteChanges(session, options.project, options.dry_run, options.check, out, tail, save_error, &written);
  if (!files) return fail(kReported, save_error);
  for (const std::string& file : written) tail.Line("wrote " + file);
  session.Disconnect();
  return tail.Problems() > 0 || (options.check && *files > 0) ? kReported : kDone;
}

}  // namespace gildex::app
