#pragma once
// What every pass over a code module works with: the stored settings, the current template's
// blocks, the state of the running command and where the pass reports. The line rules and the
// variable expansion all passes share sit here too, each trapping its own errors under the
// engine's name ("CGildex." + name), which is how a user's error report has always named them.
#include <string>
#include <string_view>

#include "common/error_report.h"
#include "engine/progress.h"
#include "engine/script_runner.h"
#include "engine/settings.h"
#include "host/vbide.h"
#include "platform/services.h"

namespace gildex {

// What the passes did to procedures since the last reset: the command line's summary.
struct ProcedureTally {
  long changed = 0;               // a block inserted or removed, or a script's text put in
  long already_handled = 0;       // already traps errors (insert) or had nothing to remove (remove)
  long too_small = 0;             // fewer lines than MinLines
  long skipped = 0;               // skip tag, InsertInto filter, the script's skip, left as it was
  long script_failed = 0;         // the script failed or hit a limit; the template went in instead
  long line_numbers = 0;          // line numbers put on (number) or taken off (unnumber)
  long foreign_line_numbers = 0;  // of those taken off: ones the numbering after an insert would not write
};

// What a command's run of the passes carries from procedure to procedure and module to module.
struct RunState {
  // The user's cancel request: set by the progress window's Cancel (or Ctrl-C), cleared by
  // the commands and at the start of every pass.
  bool cancel = false;
  // Set once the user's script has hit a limit (steps, depth, string space): the rest of
  // the command's run goes without it. The commands clear it when they start.
  bool script_halted = false;
  // Whether the last InsertModule left its module as it was because the template would
  // have passed VB6's limits: nothing else of the command may touch that module then.
  bool module_refused = false;
  ProcedureTally tally;
};

// The current template as the passes insert and find it.
struct TemplateBlocks {
  std::string header;
  std::string footer;
  // Re-applying a template: its old blocks are taken out before the new ones go in.
  bool update_mode = false;
};

// Insert and remove walk a module without the blank lines at its end, as VB6's add-in did,
// but put them back afterwards: a module Gildex changed and changed back keeps its bytes.
struct TrailingBlankLines {
  long count = 0;
  std::string text;
};

class PassContext {
 public:
  PassContext(Settings& settings, const TemplateBlocks& blocks, RunState& run, ErrorReport& report,
              platform::Services& services)
      : settings(settings), blocks(blocks), run(run), report(report), services(services) {}
  PassContext(const PassContext&) = delete;
  PassContext& operator=(const PassContext&) = delete;

  Settings& settings;
  const TemplateBlocks& blocks;
  RunState& run;
  ErrorReport& report;
  platform::Services& services;
  // Handed over when the host connects; null before.
  host::VBE* vbe = nullptr;
  // Which script the "*SCRIPT" mode runs (none: every procedure falls back to the template).
  ScriptRunner* script_runner = nullptr;

  // Where the passes report (a NullProgress until the add-in connects one).
  Progress& Out() { return *progress_; }
  void SetProgress(Progress* progress) { progress_ = progress != nullptr ? progress : &null_progress_; }
  host::VBProject* ActiveProject() const { return vbe != nullptr ? vbe->ActiveVBProject() : nullptr; }
  // The time limit, and a cancel the host's message loop delivers while the script runs.
  ScriptBudget ScriptRunBudget();

  // The line rules, trapped.
  bool MatchFirstToken(std::string_view line, std::string_view token);
  bool IsStartProc(std::string_view line);
  bool IsEndProc(std::string_view line);
  bool IsDeclarationLine(std::string_view line);
  // 1 property, 2 function, 3 sub, 0 not a procedure declaration.
  int ProcType(const host::CodeModule& module, long line);
  std::string ProcTypeString(int type_code, std::string_view declaration);
  std::string GetProcString(std::string_view line, bool upper);
  // The kind of procedure `name`, judged from its declaration at or below `line` and
  // confirmed by the host.
  host::ProcKind ProcKindOf(const host::CodeModule& module, std::string_view name, long line);
  long SkipJunkLines(const host::CodeModule& module, long line);
  bool SmallProcedure(long last_line, long body_line);
  void TruncateBlankLinesIn(host::CodeModule& module);
  TrailingBlankLines SetAsideTrailingBlankLines(host::CodeModule& module);
  void PutBackTrailingBlankLines(host::CodeModule& module, const TrailingBlankLines& aside);
  // The first End line of a procedure among lines first..last of `module`, or 0.
  long EndLineIn(host::CodeModule& module, long first, long last);
  // The host's procedure at `line`, trying each procedure kind; empty when none.
  static std::string ProcAtLine(host::CodeModule& module, long line, host::ProcKind& kind);
  // A truncated file: what the passes say when they leave a procedure without its End line.
  static std::string NoEndLineStatus(const std::string& proc_name, const std::string& component);

  // Template variables: %ProcName%, %Date%, %[ENV]% and the rest. `project` may be null.
  std::string InsertUserVars(std::string_view template_text, std::string_view proc_name, host::CodeModule& module,
                             host::VBProject* project, std::string_view proc_type, std::string_view scope,
                             std::string_view previous_line);
  // The expanded comment template as comments: each line that is neither blank nor a
  // comment gets "' " before it, so a template written as plain text cannot become code.
  static std::string AsCommentBlock(std::string_view block);

 private:
  host::ProcKind GuessProcKind(const host::CodeModule& module, long line);
  std::string ExpandEnvironment(std::string text) const;
  std::string ExpandFacts(std::string text, std::string_view proc_name, host::CodeModule& module,
                          host::VBProject* project, std::string_view proc_type, std::string_view scope) const;

  NullProgress null_progress_;
  Progress* progress_ = &null_progress_;
};

}  // namespace gildex
