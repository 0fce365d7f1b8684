#pragma once
// CGildex: the one engine object of a session. It reads as its stored settings (a `Settings`
// value, so every caller keeps writing engine.MinLines()), holds the control prefix table, the
// current template's blocks and the state of the running command, and its
// operations classify source lines, expand template variables and rewrite the procedures of a
// code module. Every operation that can fail traps its own errors through the shared
// ErrorReport under "CGildex." + its name and returns its fallback result.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/error_report.h"
#include "common/registry_tools.h"
#include "engine/prefix_table.h"
#include "engine/progress.h"
#include "engine/script_runner.h"
#include "engine/settings.h"
#include "host/vbide.h"
#include "platform/services.h"

namespace gildex {

inline constexpr std::string_view kPrefixFileName = "pfx.dat";

// What the operations did to procedures since the last ResetTally: the command line's summary.
struct ProcedureTally {
  long changed = 0;          // a block inserted or removed, or a script's text put in
  long already_handled = 0;  // already traps errors (insert) or had nothing to remove (remove)
  long too_small = 0;        // fewer lines than MinLines
  long skipped = 0;          // skip tag, InsertInto filter, the script's skip, left as it was
  long script_failed = 0;    // the script failed or hit a limit; the template went in instead
  long line_numbers = 0;     // line numbers put on (number) or taken off (unnumber)
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

class CGildex : public Settings {
 public:
  CGildex(platform::Services& services, ErrorReport& report, RegistryTools& registry, host::VBE* vbe = nullptr);
  CGildex(const CGildex&) = delete;
  CGildex& operator=(const CGildex&) = delete;

  // The settings that are not stored.
  // The control prefix table: one (control type, prefix) row per control type.
  PrefixTable& Prefixes() { return prefixes_; }
  void Prefixes(PrefixTable table) { prefixes_ = std::move(table); }
  bool UpdateMode() const { return update_mode_; }
  void UpdateMode(bool value) { update_mode_ = value; }
  bool Cancel() const { return run_.cancel; }
  void Cancel(bool value) { run_.cancel = value; }
  bool ScriptHalted() const { return run_.script_halted; }
  void ScriptHalted(bool value) { run_.script_halted = value; }
  // The time limit, and a cancel the host's message loop delivers while the script runs.
  ScriptBudget ScriptRunBudget();
  bool ModuleRefused() const { return run_.module_refused; }
  std::string FooterCode() const { return footer_code_; }
  void FooterCode(std::string value) { footer_code_ = std::move(value); }
  std::string HeaderCode() const { return header_code_; }
  void HeaderCode(std::string value) { header_code_ = std::move(value); }
  const RunState& Run() const { return run_; }

  // Where the operations report what they do (a NullProgress until the add-in connects one)
  // and which script the "*SCRIPT" mode runs (none: every procedure falls back to the template).
  void SetProgress(Progress* progress) { progress_ = progress != nullptr ? progress : &null_progress_; }
  void SetScriptRunner(ScriptRunner* runner) { script_runner_ = runner; }
  // The engine can be made before the host connects; the host is handed over then.
  void SetVBE(host::VBE* vbe) { vbe_ = vbe; }
  const ProcedureTally& Tally() const { return run_.tally; }
  ProcedureTally& Tally() { return run_.tally; }
  void ResetTally() { run_.tally = {}; }

  // Inserting error handling (module driver and blocks).
  void InsertModule(host::CodeModule& module, const std::string& component_name, host::VBProject* project,
                    bool selection_only);
  long insertTopOfProcErrorCode(host::CodeModule& module, const std::string& proc_name, long insertion_line,
                                const std::string& expanded_header);
  // Returns the correction of `last_line` (0 or negative) that puts it on the End line.
  long BodyPass(host::CodeModule& module, const std::string& proc_name, long first_line, long& last_line,
                const std::string& proc_type, const std::string& scope);
  long InsertBottomOfProcErrorCode(host::CodeModule& module, const std::string& proc_name, int type_code,
                                   const std::string& declaration_line, const std::string& expanded_footer,
                                   long insertion_line);
  // The host's procedure at `line`, trying each procedure kind; empty when none.
  std::string ProcAtLine(host::CodeModule& module, long line, host::ProcKind& kind);
  // Whether insert would treat the procedure: its size, the skip tag and InsertInto let it
  // through (the handling it already has aside).
  bool InsertTakes(const host::CodeModule& module, const std::string& name, host::ProcKind kind);
  // `declaration`: the declaration line, or all of its lines when continued (the template
  // tag stands on the last).
  bool FailRestrictions(const std::string& type_text, const std::string& proc_name,
                        const std::string& declaration);
  // In the active code pane: the procedure containing `line`; selects it when `select`.
  bool FindProcAtLine(long line, long& first_line, long& last_line, bool select);

  // Removing error handling.
  void RemoveModule(host::CodeModule& module, bool selection_only);
  // Whether remove would find blocks of the current template in the procedure at `body`..`last`
  // (by their marker lines, or without them by the template's own lines).
  bool HoldsTemplateBlocks(host::CodeModule& module, long body, long last);
  long RemoveTopOfProcErrorCode(host::CodeModule& module, const std::string& proc_name, long top_line, long last_line);
  void RestoreBodyLines(host::CodeModule& module, const std::string& proc_name, long top_line, long last_line);
  long RemoveBottomOfProcErrorCode(host::CodeModule& module, const std::string& proc_name, int type_code,
                                   long top_line, long end_line, const std::string& declaration_line);

  // Line numbers.
  void NumberModule(host::CodeModule& module, bool selection_only);
  void UnNumberModule(host::CodeModule& module, bool selection_only);
  bool ValidLineForNumbering(const std::string& previous_line, const std::string& line);
  std::string RemoveLineNumber(const std::string& line);

  // Checks a read-only file out of source control; `message` says why when it fails.
  bool CheckOutFile(const std::string& file_path, const std::string& database_project, std::string& message);

  // Source line classification.
  void TruncateBlankLinesIn(host::CodeModule& module);
  // Insert and remove walk a module without the blank lines at its end, as VB6's add-in did,
  // but put them back afterwards: a module Gildex changed and changed back keeps its bytes.
  struct TrailingBlankLines {
    long count = 0;
    std::string text;
  };
  TrailingBlankLines SetAsideTrailingBlankLines(host::CodeModule& module);
  void PutBackTrailingBlankLines(host::CodeModule& module, const TrailingBlankLines& aside);
  // The kind of procedure `name`, judged from its declaration at or below `line` and
  // confirmed by the host.
  host::ProcKind ProcKindOf(const host::CodeModule& module, std::string_view name, long line);
  // 1 property, 2 function, 3 sub, 0 not a procedure declaration.
  int ProcType(const host::CodeModule& module, long line);
  std::string ProcTypeString(int type_code, std::string_view declaration);
  bool IsDeclarationLine(std::string_view line);
  bool IsStartProc(std::string_view line);
  bool IsEndProc(std::string_view line);
  // The first End line of a procedure among lines first..last of `module`, or 0.
  long EndLineIn(host::CodeModule& module, long first, long last);
  // A truncated file: what the operations say when they leave a procedure without its End line.
  static std::string NoEndLineStatus(const std::string& proc_name, const std::string& component);
  bool MatchFirstToken(std::string_view line, std::string_view token);

  // Template variables: %ProcName%, %Date%, %[ENV]% and the rest. `project` may be null.
  // The expanded comment template as comments: each line that is neither blank nor a
  // comment gets "' " before it, so a template written as plain text cannot become code.
  static std::string AsCommentBlock(std::string_view block);
  std::string InsertUserVars(std::string_view template_text, std::string_view proc_name, host::CodeModule& module,
                             host::VBProject* project, std::string_view proc_type, std::string_view scope,
                             std::string_view previous_line);

  void SaveSettings() { Save(registry_); }
  // Every stored setting, then the prefix table.
  void LoadSettings();
  // Notes each stored setting's value, as the registry now holds it.
  void RememberStoredSettings() { RememberStored(); }
  std::string GetProcString(std::string_view line, bool upper);
  long SkipJunkLines(const host::CodeModule& module, long line);
  bool SmallProcedure(long last_line, long body_line);
  // Writes the table to program_folder/pfx.dat, only when that file already exists.
  bool SavePrefixes();
  // Replaces the table with the lines of program_folder/pfx.dat; false when the file is
  // missing or a control type repeats (the lines before it stay).
  bool LoadPrefixes();

 private:
  host::ProcKind GuessProcKind(const host::CodeModule& module, long line);
  std::string ExpandEnvironment(std::string text) const;
  std::string ExpandFacts(std::string text, std::string_view proc_name, host::CodeModule& module,
                          host::VBProject* project, std::string_view proc_type, std::string_view scope) const;

  platform::Services& services_;
  ErrorReport& report_;
  RegistryTools& registry_;
  host::VBE* vbe_;
  NullProgress null_progress_;
  Progress* progress_ = &null_progress_;
  ScriptRunner* script_runner_ = nullptr;

  PrefixTable prefixes_;
  // The table as last read or written: SavePrefixes carries only the rows changed since into
  // the file as it is then, so another run's rows survive.
  PrefixTable prefixes_read_;
  bool update_mode_ = false;
  RunState run_;
  std::string footer_code_;
  std::string header_code_;
};

}  // namespace gildex
