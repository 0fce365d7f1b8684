#pragma once
// `gildex insert|remove|number|unnumber PROJECT`: the command line over a session of the
// add-in (session/session.h), connected in command-line mode. Here are only what the terminal
// shows (progress line, questions, problems, the diff of a dry run, the summary line) and the
// exit code.
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/gildex.h"
#include "platform/cp1252.h"
#include "platform/dialogs.h"
#include "session/platform_context.h"
#include "session/session.h"
#include "app/interrupt.h"
#include "app/terminal_view.h"

namespace gildex::app {

using session::ScopeAction;

struct ScopeOptions {
  ScopeAction action = ScopeAction::Insert;
  std::string project;    // .vbp, .vbg or one component file
  std::string component;  // empty: every component of every project
  std::string procedure;  // a procedure of the component (or of the only component having it)
  std::optional<std::pair<long, long>> selection;  // lines START:END of the component
  bool whole_module = false;                       // answers "Entire Module" for a selection
  std::string script_file;                         // insert: script mode with this script
  std::string template_name;                       // this run's default template
  std::vector<std::string> settings;               // NAME=VALUE for this run only
  bool dry_run = false;
  bool check = false;  // write nothing, print no diff: exit 1 when something would change
  platform::MsgBoxResult forced{};  // --yes / --no
  bool quiet = false;    // problems only
  bool verbose = false;  // every message and status line
  // Runs each time the engine lets the host process its messages (between procedures).
  std::function<void()> on_idle;
  // Runs after each component the load reads.
  std::function<void()> on_load_step;
  bool named = false;  // one of several projects: the progress and summary lines name it
};

// Exit codes: 0 done, 1 a component could not be processed as asked (read-only, not written,
// an error reported; with --check also: something would change), 2 bad usage or input
// (nothing written), 3 cancelled (what was done before the cancel is written).
enum ExitCode : int { kDone = 0, kReported = 1, kBadInput = 2, kCancelled = 3 };

// Runs one command; a failure nothing in it foresaw is said as "gildex: NAME: why" and is bad
// input, since nothing was written by then. A load cancelled with Ctrl-C is a cancel.
template <class Command>
int RunReportingFailure(std::string_view name, std::ostream& err, Command command) {
  try {
    return command();
  } catch (const LoadCancelled& cancelled) {
    err << "gildex: " << name << ": cancelled while loading " << cancelled.project << "; nothing of it was changed\n";
    return kCancelled;
  } catch (const std::exception& e) {
    err << "gildex: " << name << ": " << cp1252::ToDisplay(e.what()) << "\n";
    return kBadInput;
  }
}

// `out` gets the handler's final message and diffs, `err` the progress, questions, problems
// and the summary line.
int RunScopeCommand(const ScopeOptions& options, std::ostream& out, std::ostream& err);

// The one summary line of a run (without the "gildex: " in front): what happened to the
// procedures and lines, and how many of the changed files were (or, `would`, would be) written.
std::string SummaryLine(ScopeAction action, const ProcedureTally& tally, long changed_files, long written_files,
                        bool would);

// Passes every question on. A box with nothing to choose (an OK alone) is a line on the
// console: a run never waits for Enter.
class ConsoleDialogs : public platform::Dialogs {
 public:
  ConsoleDialogs(platform::Dialogs& inner, Console& console) : inner_(inner), console_(console) {}
  platform::MsgBoxResult MsgBox(const platform::MessageBox& box) override;

 private:
  platform::Dialogs& inner_;
  Console& console_;
};

// What saving `session` would write, as one diff of the bytes on disk against the bytes it
// would write, on `out` untouched so that it applies; `project` is the file the run was
// given. Files that cannot be written are problems on `console`.
void PrintDiff(session::Session& session, const std::string& project, std::ostream& out, Console& console);
// With --check: the files the command would change, one a line relative to the current folder.
void PrintChangedFiles(session::Session& session, std::ostream& out);
// The end of a command that changed components: a dry run prints the diff, --check writes
// nothing, else the changed files are saved (skipped ones are problems on `console`). Returns
// the number of files written (or that would be), or nothing with `error` set when the save
// wrote nothing.
std::optional<long> WriteChanges(session::Session& session, const std::string& project, bool dry_run, bool check,
                                 std::ostream& out, Console& console, std::string& error,
                                 std::vector<std::string>* written = nullptr);

// The dialogs of a run: a person's at a terminal unless `forced` (--yes, --no) answers every
// Yes/No question; without a terminal each question's default answer, printed with the question.
// A box with only OK is one line on standard error: no run waits for Enter.
std::unique_ptr<platform::Dialogs> CommandLineDialogs(platform::MsgBoxResult forced);
// The problems of a load, one "FILE:LINE: error|warning: why" line each (no LINE for a whole file).
void PrintLoadProblems(const std::vector<host::LoadProblem>& problems, std::ostream& err);
// A damaged registry file, said once on `err`; the run goes on with the settings unset.
void WarnAboutRegistry(const session::PlatformContext& context, std::ostream& err);

// What a command that opens a project sets up first: Ctrl-C taken as a cancel, the dialogs
// --yes/--no answer (shown through `console` when there is one, so questions do not break its
// progress line), a warning about a damaged registry, and then the session.
class CommandSession {
 public:
  CommandSession(std::ostream& err, platform::MsgBoxResult forced, Console* console);
  // Opens `path` (locked when `lock`) and prints its load problems; empty when it opened,
  // else why not. `step` runs after each component read. Throws LoadCancelled when Ctrl-C
  // came during the load.
  std::string Open(const std::string& path, bool lock, const std::function<void()>& step = {});
  session::Session& Session() { return *session_; }
  session::PlatformContext& Context() { return context_; }

 private:
  InterruptGuard interrupt_;
  std::ostream& err_;
  std::unique_ptr<platform::Dialogs> answers_;
  std::unique_ptr<ConsoleDialogs> console_dialogs_;
  session::PlatformContext context_;
  std::optional<session::Session> session_;
};

// --set NAME=VALUE, --template and --script as typed, given to the session as Windows-1252;
// the first problem, worded, or empty. A typed argument that cannot be taken is said after
// the session has checked the ones typed before it.
std::string ApplyTypedOverrides(session::Session& session, const std::vector<std::string>& settings,
                                const std::string& template_name, const std::string& script_file, bool write_nothing);

// `gildex script check FILE`: the Validate command's message; 0 when the script is OK.
int ScriptCheck(const std::string& file, std::ostream& out, std::ostream& err);

}  // namespace gildex::app
