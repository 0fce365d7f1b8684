#pragma once
// CGildex: the one engine object. It holds every user setting (loaded from and saved to the
// registry), the control prefix table and the auto-save timer, and its operations classify
// source lines, expand template variables and rewrite the procedures of a code module.
// Every operation that can fail traps its own errors through the shared ErrorReport under
// "CGildex." + its name and returns its fallback result.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/error_report.h"
#include "common/registry_tools.h"
#include "engine/progress.h"
#include "engine/script_runner.h"
#include "host/vbide.h"
#include "platform/services.h"

namespace gildex {

inline constexpr std::string_view kOptionsKey = "HKEY_CURRENT_USER\\Software\\Nembus\\Gildex\\Options";
inline constexpr std::string_view kCopierKey = "HKEY_CURRENT_USER\\Software\\Nembus\\Gildex\\Options\\Property Copier";
inline constexpr std::string_view kDefaultCodeBodyStart = "' ---- Code Body Starts ---- ";
inline constexpr std::string_view kDefaultCodeBodyEnd = "' ---- Code Body Ends ----";
inline constexpr std::string_view kPrefixFileName = "pfx.dat";

enum class SettingType { Boolean, Integer16, Integer32, Text };

// One stored setting: how the options command and the registry address it.
struct SettingInfo {
  std::string_view property;       // "MinLines"
  std::string_view registry_name;  // "Minimum Lines"
  std::string_view key;            // kOptionsKey or kCopierKey
  SettingType type;
};

struct SettingBinding;

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

class CGildex {
 public:
  CGildex(platform::Services& services, ErrorReport& report, RegistryTools& registry, host::VBE* vbe = nullptr);
  ~CGildex();
  CGildex(const CGildex&) = delete;
  CGildex& operator=(const CGildex&) = delete;

  // Settings, in the order the add-in declares them.
  std::string CommentTemplate() const { return comment_template_; }
  void CommentTemplate(std::string value) { comment_template_ = std::move(value); }
  bool NumberBlankLines() const { return number_blank_lines_; }
  void NumberBlankLines(bool value) { number_blank_lines_ = value; }
  bool NumberCommentLines() const { return number_comment_lines_; }
  void NumberCommentLines(bool value) { number_comment_lines_ = value; }
  bool ShowBuilderDialog() const { return show_builder_dialog_; }
  void ShowBuilderDialog(bool value) { show_builder_dialog_ = value; }
  std::int16_t CopierDiscard() const { return copier_discard_; }
  void CopierDiscard(std::int16_t value) { copier_discard_ = value; }
  bool CopierPosition() const { return copier_position_; }
  void CopierPosition(bool value) { copier_position_ = value; }
  bool CopierSilent() const { return copier_silent_; }
  void CopierSilent(bool value) { copier_silent_ = value; }
  bool CopierDimensions() const { return copier_dimensions_; }
  void CopierDimensions(bool value) { copier_dimensions_ = value; }
  bool CopierEnabled() const { return copier_enabled_; }
  void CopierEnabled(bool value) { copier_enabled_ = value; }
  std::int32_t StartLine() const { return start_line_; }
  void StartLine(std::int32_t value) { start_line_ = value; }
  bool DeleteEvents() const { return delete_events_; }
  void DeleteEvents(bool value) { delete_events_ = value; }
  // The control prefix table: lines "ControlType=prefix", one per control type.
  std::vector<std::string>& Prefixes() { return prefixes_; }
  void Prefixes(std::vector<std::string> table) { prefixes_ = std::move(table); }
  bool AutoPrefix() const { return auto_prefix_; }
  void AutoPrefix(bool value) { auto_prefix_ = value; }
  // Reading an empty field fills it with the active project's folder, else the program
  // folder; the result always ends with a separator.
  std::string BackupDirectory() const;
  // Creates the folder when missing; throws VbError 76 when it cannot be created.
  void BackupDirectory(std::string value);
  bool AutoRename() const { return auto_rename_; }
  void AutoRename(bool value) { auto_rename_ = value; }
  std::string BackupExt() const { return backup_ext_; }
  void BackupExt(std::string value);
  bool BackupFiles() const { return backup_files_; }
  void BackupFiles(bool value) { backup_files_ = value; }
  bool ResetLines() const { return reset_lines_; }
  void ResetLines(bool value) { reset_lines_ = value; }
  bool AutoExit() const { return auto_exit_; }
  void AutoExit(bool value) { auto_exit_ = value; }
  bool ConfirmSave() const { return confirm_save_; }
  void ConfirmSave(bool value) { confirm_save_ = value; }
  bool NumberDims() const { return number_dims_; }
  void NumberDims(bool value) { number_dims_ = value; }
  std::string LineDelimiter() const { return line_delimiter_; }
  void LineDelimiter(std::string value) { line_delimiter_ = std::move(value); }
  std::int16_t LineIncrement() const;
  void LineIncrement(std::int16_t value);
  std::string FullLoggingCode() const { return full_logging_code_; }
  void FullLoggingCode(std::string value) { full_logging_code_ = std::move(value); }
  bool FullLogging() const { return full_logging_; }
  void FullLogging(bool value) { full_logging_ = value; }
  std::string InsertInto() const { return insert_into_; }
  void InsertInto(std::string value) { insert_into_ = std::move(value); }
  std::string CodeBodyEnd() const;
  void CodeBodyEnd(std::string value);
  std::string CodeBodyStart() const;
  void CodeBodyStart(std::string value);
  bool BuildProject() const { return build_project_; }
  void BuildProject(bool value) { build_project_ = value; }
  bool HeaderAfterComments() const { return header_after_comments_; }
  void HeaderAfterComments(bool value) { header_after_comments_ = value; }
  bool UpdateMode() const { return update_mode_; }
  void UpdateMode(bool value) { update_mode_ = value; }
  bool Cancel() const { return cancel_; }
  void Cancel(bool value) { cancel_ = value; }
  // Set once the user's script has hit a limit (steps, depth, string space): the rest of
  // the command's run goes without it. The commands clear it when they start.
  bool ScriptHalted() const { return script_halted_; }
  void ScriptHalted(bool value) { script_halted_ = value; }
  // Seconds one run of the user's script may take before it is stopped as at a limit. Below 1
  // (an unreadable registry value too) it is the default, 10: a script always has a limit.
  std::int32_t ScriptTimeLimit() const { return script_time_limit_; }
  void ScriptTimeLimit(std::int32_t value) { script_time_limit_ = value < 1 ? 10 : value; }
  // The time limit, and a cancel the host's message loop delivers while the script runs.
  ScriptBudget ScriptRunBudget();
  // Whether the last InsertModule left its module as it was because the template would
  // have passed VB6's limits: nothing else of the command may touch that module then.
  bool ModuleRefused() const { return module_refused_; }
  std::int32_t AutoSaveTimer() const { return auto_save_timer_; }
  void AutoSaveTimer(std::int32_t value) { auto_save_timer_ = value; }
  bool ReplaceBodyHandlers() const { return replace_body_handlers_; }
  void ReplaceBodyHandlers(bool value) { replace_body_handlers_ = value; }
  bool SkipReadOnly() const { return skip_read_only_; }
  void SkipReadOnly(bool value) { skip_read_only_ = value; }
  std::string VSSComment() const { return vss_comment_; }
  void VSSComment(std::string value) { vss_comment_ = std::move(value); }
  bool SourceControl() const { return source_control_; }
  void SourceControl(bool value) { source_control_ = value; }
  std::int32_t MinLines() const { return min_lines_; }
  void MinLines(std::int32_t value);
  bool IgnoreSmallFunctions() const { return ignore_small_functions_; }
  void IgnoreSmallFunctions(bool value) { ignore_small_functions_ = value; }
  bool IgnoreExisting() const { return ignore_existing_; }
  void IgnoreExisting(bool value) { ignore_existing_ = value; }
  std::string DefaultTemplate() const { return default_template_; }
  void DefaultTemplate(std::string value) { default_template_ = std::move(value); }
  bool BodyCode() const { return body_code_; }
  void BodyCode(bool value) { body_code_ = value; }
  // Blank reads as the program folder's "Templates/"; writing adds the final separator.
  std::string TemplatePath() const;
  void TemplatePath(std::string value);
  std::string FooterCode() const { return footer_code_; }
  void FooterCode(std::string value) { footer_code_ = std::move(value); }
  std::string HeaderCode() const { return header_code_; }
  void HeaderCode(std::string value) { header_code_ = std::move(value); }
  // Inverted: true means the insert commands do NOT number lines.
  bool Numbering() const { return numbering_; }
  void Numbering(bool value) { numbering_ = value; }
  std::int32_t SaveInterval() const { return save_interval_; }
  void SaveInterval(std::int32_t value) { save_interval_ = value; }
  bool AutoSave() const { return auto_save_; }
  // Starts the timer (SaveInterval minutes) when true and the interval is positive, else stops it.
  void AutoSave(bool value);

  // What a tick of the auto-save timer runs; the IDE layer owns the saving itself.
  void SetAutoSaveHandler(std::function<void()> handler) { auto_save_handler_ = std::move(handler); }
  // Where the operations report what they do (a NullProgress until the add-in connects one)
  // and which script the "*SCRIPT" mode runs (none: every procedure falls back to the template).
  void SetProgress(Progress* progress) { progress_ = progress != nullptr ? progress : &null_progress_; }
  void SetScriptRunner(ScriptRunner* runner) { script_runner_ = runner; }
  // The engine can be made before the host connects; the host is handed over then.
  void SetVBE(host::VBE* vbe) { vbe_ = vbe; }
  const ProcedureTally& Tally() const { return tally_; }
  ProcedureTally& Tally() { return tally_; }
  void ResetTally() { tally_ = {}; }

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
  // `declaration`: the declaration line, or all of its lines when continued (the template
  // tag stands on the last).
  bool FailRestrictions(const std::string& type_text, const std::string& proc_name,
                        const std::string& declaration);
  // In the active code pane: the procedure containing `line`; selects it when `select`.
  bool FindProcAtLine(long line, long& first_line, long& last_line, bool select);

  // Removing error handling.
  void RemoveModule(host::CodeModule& module, bool selection_only);
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

  void SaveSettings();
  void LoadSettings();
  // Notes each stored setting's value, as the registry now holds it.
  void RememberStoredSettings();
  std::string GetProcString(std::string_view line, bool upper);
  long SkipJunkLines(const host::CodeModule& module, long line);
  bool SmallProcedure(long last_line, long body_line);
  // Writes the table to program_folder/pfx.dat, only when that file already exists.
  bool SavePrefixes();
  // Replaces the table with the lines of program_folder/pfx.dat; false when the file is
  // missing or a control type repeats (the lines before it stay).
  bool LoadPrefixes();

  // The stored settings in the order they are loaded, for the options command.
  static const std::vector<SettingInfo>& StoredSettings();
  // By property or registry name, any letter case; nullptr when there is no such setting.
  static const SettingInfo* FindSetting(std::string_view name);
  // The setting's value as its property reads ("True"/"False" for Booleans); nothing for
  // an unknown name.
  std::optional<std::string> GetSettingText(std::string_view name);
  // Sets the property from text; returns a message saying what is wrong, or empty.
  std::string SetSettingText(std::string_view name, std::string_view text);

 private:
  static const std::vector<SettingBinding>& Bindings();
  static std::vector<SettingBinding> MakeBindings();
  static const SettingBinding* FindBinding(std::string_view name);
  std::string ProgramFolderPath() const;
  void StopAutoSaveTimer();
  void AutoSaveTick();
  host::ProcKind GuessProcKind(const host::CodeModule& module, long line);
  std::string ExpandEnvironment(std::string text) const;
  std::string ExpandFacts(std::string text, std::string_view proc_name, host::CodeModule& module,
                          host::VBProject* project, std::string_view proc_type, std::string_view scope) const;

  platform::Services& services_;
  ErrorReport& report_;
  RegistryTools& registry_;
  host::VBE* vbe_;
  std::function<void()> auto_save_handler_;
  NullProgress null_progress_;
  Progress* progress_ = &null_progress_;
  ScriptRunner* script_runner_ = nullptr;

  std::string comment_template_;
  bool number_blank_lines_ = false;
  bool number_comment_lines_ = false;
  bool show_builder_dialog_ = false;
  std::int16_t copier_discard_ = 0;
  bool copier_position_ = false;
  bool copier_silent_ = false;
  bool copier_dimensions_ = false;
  bool copier_enabled_ = false;
  std::int32_t start_line_ = 0;
  bool delete_events_ = false;
  std::vector<std::string> prefixes_;
  // The table as last read or written: SavePrefixes carries only the rows changed since into
  // the file as it is then, so another run's rows survive.
  std::vector<std::string> prefixes_read_;
  bool auto_prefix_ = false;
  // Filled by the first read when empty, as the add-in always did.
  mutable std::string backup_directory_;
  bool auto_rename_ = false;
  std::string backup_ext_;
  bool backup_files_ = false;
  bool reset_lines_ = false;
  bool auto_exit_ = false;
  bool confirm_save_ = false;
  bool number_dims_ = false;
  std::string line_delimiter_;
  std::int16_t line_increment_ = 0;
  std::string full_logging_code_;
  bool full_logging_ = false;
  std::string insert_into_;
  std::string code_body_end_;
  std::string code_body_start_;
  bool build_project_ = false;
  bool header_after_comments_ = false;
  bool update_mode_ = false;
  bool cancel_ = false;
  bool script_halted_ = false;
  std::int32_t script_time_limit_ = 10;
  bool module_refused_ = false;
  ProcedureTally tally_;
  // Each stored setting as last loaded or saved, so that a save writes only what changed.
  std::vector<std::string> stored_settings_;
  std::int32_t auto_save_timer_ = 0;
  bool replace_body_handlers_ = false;
  bool skip_read_only_ = false;
  std::string vss_comment_;
  bool source_control_ = false;
  std::int32_t min_lines_ = 0;
  bool ignore_small_functions_ = false;
  bool ignore_existing_ = false;
  std::string default_template_;
  bool body_code_ = false;
  std::string template_path_;
  std::string footer_code_;
  std::string header_code_;
  bool numbering_ = true;
  std::int32_t save_interval_ = 0;
  bool auto_save_ = false;
};

}  // namespace gildex
