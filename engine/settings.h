#pragma once
// The stored settings: every user option with its registry name, type, default, load and
// save order and value rules, from one table. The engine and every command read and write
// options only through this value.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/error_report.h"
#include "common/registry_tools.h"

namespace gildex {

inline constexpr std::string_view kOptionsKey = "HKEY_CURRENT_USER\\Software\\Nembus\\Gildex\\Options";
inline constexpr std::string_view kCopierKey = "HKEY_CURRENT_USER\\Software\\Nembus\\Gildex\\Options\\Property Copier";
inline constexpr std::string_view kDefaultCodeBodyStart = "' ---- Code Body Starts ---- ";
inline constexpr std::string_view kDefaultCodeBodyEnd = "' ---- Code Body Ends ----";

enum class SettingType { Boolean, Integer16, Integer32, Text };

// One stored setting: how the options command and the registry address it.
struct SettingInfo {
  std::string_view property;       // "MinLines"
  std::string_view registry_name;  // "Minimum Lines"
  std::string_view key;            // kOptionsKey or kCopierKey
  SettingType type;
};

struct SettingBinding;

class Settings {
 public:
  // `report` takes the errors of the accessors with rules; `program_folder` (kept by
  // reference) is where the templates folder defaults to; `default_backup_folder` gives the
  // folder an empty BackupDirectory fills with when it is first read.
  Settings(ErrorReport& report, const std::filesystem::path& program_folder,
           std::function<std::string()> default_backup_folder);

  // Each setting, in the order the add-in declares them.
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
  // Seconds one run of the user's script may take before it is stopped as at a limit. Below 1
  // (an unreadable registry value too) it is the default, 10: a script always has a limit.
  std::int32_t ScriptTimeLimit() const { return script_time_limit_; }
  void ScriptTimeLimit(std::int32_t value) { script_time_limit_ = value < 1 ? 10 : value; }
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
  // Inverted: true means the insert commands do NOT number lines.
  bool Numbering() const { return numbering_; }
  void Numbering(bool value) { numbering_ = value; }
  std::int32_t SaveInterval() const { return save_interval_; }
  void SaveInterval(std::int32_t value) { save_interval_ = value; }
  // The Windows code page of the project's source (1252 unless it was written on Central
  // European, Cyrillic, Greek... Windows). Only what is shown is converted by it: the bytes
  // read and written stay as they are. Setting it puts it in use for the whole process; an
  // unsupported page (an absent or damaged stored value too) reads as 1252.
  std::int32_t CodePage() const { return code_page_; }
  void CodePage(std::int32_t value);
  bool AutoSave() const { return auto_save_; }
  // Tells the auto-save timer's owner, which starts or stops it to match.
  void AutoSave(bool value);

  // Who starts and stops the auto-save timer: told after every write of AutoSave.
  void OnAutoSaveChange(std::function<void()> handler) { on_auto_save_change_ = std::move(handler); }

  // Reads every stored setting from the registry, in the load order.
  void Load(RegistryTools& registry);
  // Writes what changed since the last load or save.
  void Save(RegistryTools& registry);
  // Notes each stored setting's value, as the registry now holds it.
  void RememberStored();

  // The stored settings in the order they are loaded, for the options command.
  static const std::vector<SettingInfo>& StoredSettings();
  // By property or registry name, any letter case; nullptr when there is no such setting.
  static const SettingInfo* FindSetting(std::string_view name);
  // The setting's value as its property reads ("True"/"False" for Booleans); nothing for
  // an unknown name.
  std::optional<std::string> GetSettingText(std::string_view name);
  // What setting `name` to `text` would refuse for the setting's type (or an unknown name),
  // or empty; nothing is set.
  static std::string SettingTextProblem(std::string_view name, std::string_view text);
  // Sets the property from text; returns a message saying what is wrong, or empty.
  std::string SetSettingText(std::string_view name, std::string_view text);

 protected:
  ErrorReport& SettingsReport() const { return report_; }
  // The program folder, ending with a separator.
  std::string ProgramFolderPath() const;

 private:
  static const std::vector<SettingBinding>& Bindings();
  static std::vector<SettingBinding> MakeBindings();
  static const SettingBinding* FindBinding(std::string_view name);

  ErrorReport& report_;
  const std::filesystem::path& program_folder_;
  std::function<std::string()> default_backup_folder_;
  std::function<void()> on_auto_save_change_;
  // Each stored setting as last loaded or saved, so that a save writes only what changed.
  std::vector<std::string> stored_settings_;

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
  std::int32_t script_time_limit_ = 10;
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
  bool numbering_ = true;
  std::int32_t save_interval_ = 0;
  bool auto_save_ = false;
  std::int32_t code_page_ = 1252;
};

}  // namespace gildex
