#include "app/todo_comment_command.h"

#include <fmt/core.h>

#include <ostream>

#include "app/scope_command.h"
#include "app/unified_diff.h"
#include "host/project_file.h"
#include "platform/atomic_file.h"
#include "platform/cp1252.h"
#include "templates/commands.h"
#include "tools/terminal_view.h"

namespace gildex::app {

int ToDoCommand(const std::string& project, ToDoAction action, const std::string& argument, std::ostream& out,
                std::ostream& err) {
  std::string text = argument;
  if (action == ToDoAction::Add) {
    const auto converted = FromTerminalText(argument);
    if (!converted) {
      err << "gildex: a character of the text has no place in Windows-1252; nothing was written\n";
      return kBadInput;
    }
    text = *converted;
  }
  const ToDoOutcome outcome = RunToDoCommand(project, action, text);
  if (!outcome.problem.empty()) {
    err << "gildex: " << cp1252::ToDisplay(outcome.problem) << "\n";
    return outcome.bad_input ? kBadInput : kReported;
  }
  for (std::size_t i = 0; i < outcome.items.size(); ++i)
    out << fmt::format("{}. [{}] ", i + 1, outcome.items[i].done ? 'x' : ' ') << cp1252::ToDisplay(outcome.items[i].text)
        << "\n";
  return kDone;
}

int CommentCommand(const CommentOptions& options, std::ostream& out, std::ostream& err) {
  auto fail = [&](int code, const std::string& message) {
    err << "gildex: " << cp1252::ToDisplay(message) << "\n";
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
  if (const std::string problem =
          session.ConnectAddIn(ext_cm_CommandLine, writes,
                               [&](clsMessages&) -> std::unique_ptr<MessageView> {
                                 return std::make_unique<TerminalMessageView>(console);
                               });
      !problem.empty())
    return fail(kBadInput, problem);
  if (session.Engine().CommentTemplate().empty())
    return fail(kBadInput, "no comment block is set; set one with: gildex options set CommentTemplate TEXT");
  if (const std::string problem = session.SelectProcedure(options.component, options.procedure); !problem.empty())
    return fail(kBadInput, problem);
  const session::CommandOutcome outcome = session.RunCommentBlock();
  if (outcome.errors_reported > 0) return fail(kReported, "nothing was written because of the error reported above");
  const std::vector<host::MemoryComponent*> changed = session.Changed();
  int code = kDone;
  if (options.check) {
    code = changed.empty() ? kDone : kReported;
  } else if (options.dry_run) {
    std::vector<std::filesystem::path> files;
    for (host::MemoryComponent* component : changed) files.push_back(component->File());
    const std::filesystem::path root =
        DiffRoot(files, std::filesystem::current_path(), std::filesystem::absolute(options.project).parent_path());
    for (host::MemoryComponent* component : changed) {
      const auto before = platform::ReadWholeFile(component->File());
      if (!before) return fail(kReported, "cannot read " + component->File().string() + " to compare it");
      const std::string diff = UnifiedDiff(DiffPath(component->File(), root), *before, component->Serialize());
      out.write(diff.data(), static_cast<std::streamsize>(diff.size()));
    }
  } else {
    const host::SaveResult saved = session.Save();
    if (!saved.error.empty()) return fail(kReported, saved.error);
    for (const host::LoadProblem& skipped : saved.skipped) {
      err << "gildex: " << cp1252::ToDisplay(skipped.file + ": " + skipped.message) << "\n";
      code = kReported;
    }
    for (const std::string& file : saved.written) err << "wrote " << file << "\n";
  }
  session.Disconnect();
  return code;
}

}  // namespace gildex::app
