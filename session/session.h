#pragma once
// One session of the add-in in the in-memory IDE, for every host program (the `gildex` command
// line, a desktop program): open a project, group or component file; start the add-in and
// connect it; point the IDE at a component, procedure or selection; click a scope command;
// ask what changed; save.
//
//   PlatformContext context(dialogs);
//   Session session(context);
//   if (problem = session.Open("Orders.vbp", true); ...) ...      // locks, loads, asks about missing files
//   session.ConnectAddIn(ext_cm_CommandLine, true, make_view);
//   session.ApplyOverrides({...}, false);
//   session.Select(ScopeAction::Insert, {.component = "modGlobals"});
//   CommandOutcome outcome = session.Run();
//   host::SaveResult saved = session.Save();
//   session.Disconnect();
//
// Each step returns an empty problem when it went well, else what stopped it (nothing was
// written then), as data the host words (common/problem.h). Names and values are
// Windows-1252: a host decodes what its user typed before it hands it over.
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/problem.h"
#include "engine/gildex.h"
#include "host/memory_vbe.h"
#include "host/project_loader.h"
#include "ide/add_in.h"
#include "ide/connect.h"
#include "platform/project_lock.h"
#include "session/platform_context.h"
#include "tools/messages.h"

namespace gildex::session {

enum class ScopeAction { Insert, Remove, Number, UnNumber };

// What a scope command works on. Nothing named: every component of every project.
struct ScopeTarget {
  std::string component;  // by name, in any letter case
  std::string procedure;  // of `component`, or of the one component having it
  std::optional<std::pair<long, long>> selection;  // lines START:END of the component
  bool whole_module = false;  // the insert mode's answer for a selection: "Entire Module"
};

// This session's changes to the stored settings; none of them is saved.
struct Overrides {
  std::vector<std::pair<std::string, std::string>> settings;  // NAME and VALUE
  std::string template_name;                                  // the default template
  std::string script_file;                                    // insert: script mode with this script
};

struct CommandOutcome {
  std::vector<std::string> messages;  // each handler's final message, in order (Windows-1252)
  std::vector<std::string> problems;  // components the command passed over
  long errors_reported = 0;           // error reports shown while the command ran
  bool cancelled = false;
  bool all_read_only = false;         // every code component it came to was passed over as read-only
};

// Where the command is: the code component it works on out of those it walks.
struct Progress {
  long index = 0, whole = 0;  // index counts from 0; whole is 0 before a command runs
  std::string component;      // empty when unknown
  long done = 0;              // procedures, or for numbering lines
  bool lines = false;
};

class Session {
 public:
  explicit Session(PlatformContext& context);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Loads a .vbp, .vbg or component file into the IDE, with the settings of the repository's
  // `.gildex` file over the user's (repository_settings.h); a bad line of it is the problem. `writing`: holds the project to itself
  // (waiting up to `wait` for another run). Member files that are missing are named in a
  // Yes/No question (default No) through the host's dialogs: No loads nothing, Yes leaves them
  // out. Loaded() keeps the problems found, also when a problem is returned.
  std::string Open(const std::filesystem::path& project, bool writing,
                   std::chrono::milliseconds wait = std::chrono::seconds(5));
  const host::LoadResult& Loaded() const { return loaded_; }
  // Takes what Open loaded out of the IDE, as VB6 does before it opens another project: each
  // project leaves with its ProjectRemoved event while a connected add-in stays connected,
  // and the project's lock is let go.
  void Close();
  // The box VB6 shows before it closes a project whose changes are not saved (Yes saves them,
  // No drops them, Cancel keeps the project open); none when nothing changed.
  std::optional<platform::MessageBox> SaveChangesBox() const;
  host::MemoryVBE& Vbe() { return vbe_; }

  // Starts the add-in and connects Connect in `mode`. `persist` false: the add-in writes
  // nothing (no add-in list, no folder). Views left null are answered without a window.
  Problem ConnectAddIn(ConnectMode mode, bool persist, MessageViewFactory make_view, ConnectViews views = {});
  AddIn& Shared() { return *add_in_; }
  gildex::Connect& Connection() { return *connect_; }
  CGildex& Engine() { return add_in_->Engine(); }

  // This session's settings, template and script. `write_nothing`: no compiled file is built
  // and nothing is checked out of source control.
  Problem ApplyOverrides(const Overrides& overrides, bool write_nothing);

  // Points the IDE at `target` for `action` (the active project, the selected component, a
  // code pane's selection) and checks the command can run (a template is chosen).
  Problem Select(ScopeAction action, const ScopeTarget& target);
  // Clicks the handler of the selected command: the project command, or the component,
  // "this procedure" or code-window command; numbering a whole project clicks the module or
  // form command once for each code component.
  CommandOutcome Run();

  // Puts the code window's cursor on the declaration of `procedure` (of `component`, or of the
  // one component having it), where the "Comment block" entry finds its procedure.
  Problem SelectProcedure(const std::string& component, const std::string& procedure);
  // Clicks the "Comment block" entry's handler.
  CommandOutcome RunCommentBlock();

  // Called whenever the engine lets the host process its messages (between procedures), and
  // when the command starts on a component.
  void OnIdle(std::function<void()> handler) { on_idle_ = std::move(handler); }
  void OnStep(std::function<void()> handler) { on_step_ = std::move(handler); }
  // Asks the running command to stop after the current procedure.
  void Cancel();
  Progress CurrentProgress() const;

  // The components whose text changed.
  std::vector<host::MemoryComponent*> Changed() const;
  // Writes the changed components (the write-file request of their project is raised for
  // each); never a project file.
  host::SaveResult Save();
  // The engine's counts of the last command.
  ProcedureTally Tally() const;
  // The build wrote the changed files before compiling them.
  bool BuiltAndSaved() const { return built_and_saved_; }
  void Disconnect();

  // A status line that only informs ("already has error trapping", a skipped related document).
  bool IsInformation(const std::string& status) const;

 private:
  bool FindProcedure(host::MemoryComponent& component, const std::string& procedure, long& first, long& last);
  void ClickOnComponent(host::MemoryComponent& component);
  // A connected add-in's engine takes the settings again, and its template with them.
  void ReloadAddInSettings();

  class SelectionMode;
  class NoOptionsDialog;

  PlatformContext& context_;
  host::MemoryVBE vbe_;
  std::filesystem::path opened_;
  host::LoadResult loaded_;
  std::optional<platform::ProjectLock> lock_;
  std::unique_ptr<SelectionMode> selection_mode_;
  std::unique_ptr<NoOptionsDialog> options_dialog_;
  std::unique_ptr<AddIn> add_in_;
  std::unique_ptr<gildex::Connect> connect_;
  ScopeAction action_ = ScopeAction::Insert;
  ScopeTarget target_;
  host::MemoryProject* project_ = nullptr;
  host::MemoryComponent* component_ = nullptr;
  std::vector<std::string> walk_;  // the code components the command walks, in order
  std::string current_;
  std::function<void()> on_idle_, on_step_;
  // The message loop belongs to the context, which outlives this session (a desktop IDE makes
  // one session per project): its handler must know when the session is gone.
  std::shared_ptr<void> alive_ = std::make_shared<int>(0);
  bool idle_hooked_ = false;
  bool built_and_saved_ = false;
};

// A component of the IDE's projects by name in any letter case, else by its file; null when
// none is either.
host::VBComponent* FindComponent(host::VBE& vbe, const std::string& name_or_file);

// A script file's text as Windows-1252: a regular file of at most 16 MB; UTF-16 (with its
// byte order mark) and UTF-8 with a byte order mark are converted. Nothing, and `problem`
// says why, for anything else.
std::optional<std::string> ReadScriptFile(const std::string& file, std::string& problem);

}  // namespace gildex::session
