// The stored settings, in the order the add-in reads them from the registry. "Save
// Interval" comes before "AutoSave" so that the timer starts with the loaded interval.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <type_traits>

#include "common/nembus_common.h"
#include "engine/settings.h"
#include "engine/setting_binding.h"
#include "platform/cp1252.h"

namespace gildex {

namespace {

// Whether loading and saving use the field itself or the property's accessor.
enum class Via { Field, Accessor };

template <class T>
constexpr SettingType TypeOf() {
  if constexpr (std::is_same_v<T, bool>) return SettingType::Boolean;
  else if constexpr (std::is_same_v<T, std::int16_t>) return SettingType::Integer16;
  else if constexpr (std::is_same_v<T, std::int32_t>) return SettingType::Integer32;
  else return SettingType::Text;
}

// Val rounded half to even, as Basic stores a number in an integer. A number that does not
// fit the setting's type reads as absent, like an unreadable value.
template <class T>
T IntegerFromText(const std::string& text) {
  double rounded = 0;
  try {
    rounded = std::nearbyint(Val(text));
  } catch (const VbError&) {
    return 0;
  }
  const bool fits = rounded >= static_cast<double>(std::numeric_limits<T>::min()) &&
                    rounded <= static_cast<double>(std::numeric_limits<T>::max());
  return fits ? static_cast<T>(rounded) : T{0};
}

template <class T>
T FromRegistryText(const std::string& text) {
  if constexpr (std::is_same_v<T, bool>) return StrToBool(text);
  else if constexpr (std::is_integral_v<T>) return IntegerFromText<T>(text);
  else return text;
}

template <class T>
std::string ToText(const T& value) {
  if constexpr (std::is_same_v<T, bool>) return value ? "True" : "False";
  else if constexpr (std::is_integral_v<T>) return std::to_string(value);
  else return value;
}

template <class T>
std::optional<T> ParseExactly(std::string_view text) {
  if constexpr (std::is_same_v<T, bool>) {
    if (cp1252::EqualsNoCase(text, "True")) return true;
    if (cp1252::EqualsNoCase(text, "False")) return false;
    return std::nullopt;
  } else if constexpr (std::is_integral_v<T>) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    T value{};
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    return value;
  } else {
    return std::string(text);
  }
}

template <class T>
std::string Expected() {
  if constexpr (std::is_same_v<T, bool>) {
    return "True or False";
  } else if constexpr (std::is_same_v<T, std::string>) {
    return "any text";
  } else {
    return "a whole number from " + std::to_string(std::numeric_limits<T>::min()) + " to " +
           std::to_string(std::numeric_limits<T>::max());
  }
}

template <class T>
SettingBinding Bind(std::string_view property, std::string_view registry_name, std::string_view key,
                    T Settings::*field, T (Settings::*get)() const, void (Settings::*set)(T), Via load_via,
                    Via save_via) {
  SettingBinding binding;
  binding.info = SettingInfo{property, registry_name, key, TypeOf<T>()};
  binding.load = [=](Settings& settings, const std::string& text) {
    if (load_via == Via::Accessor) (settings.*set)(FromRegistryText<T>(text));
    else settings.*field = FromRegistryText<T>(text);
  };
  binding.save = [=](const Settings& settings) {
    return ToText<T>(save_via == Via::Accessor ? (settings.*get)() : settings.*field);
  };
  binding.get = [=](const Settings& settings) { return ToText<T>((settings.*get)()); };
  binding.check = [=](std::string_view text) -> std::string {
    if (ParseExactly<T>(text)) return {};
    return std::string(property) + " (\"" + std::string(registry_name) + "\") takes " + Expected<T>() + ", not \"" +
           std::string(text) + "\".";
  };
  binding.set = [=, check = binding.check](Settings& settings, std::string_view text) -> std::string {
    if (std::string problem = check(text); !problem.empty()) return problem;
    (settings.*set)(std::move(*ParseExactly<T>(text)));
    return {};
  };
  return binding;
}

}  // namespace

std::vector<SettingBinding> Settings::MakeBindings() {
  const std::string_view main = kOptionsKey;
  const std::string_view copier = kCopierKey;
  constexpr Via F = Via::Field;
  constexpr Via A = Via::Accessor;
  using G = Settings;
  return {
      Bind("BodyCode", "BodyCode", main, &G::body_code_, &G::BodyCode, &G::BodyCode, F, F),
      Bind("Numbering", "Numbering", main, &G::numbering_, &G::Numbering, &G::Numbering, F, F),
      Bind("IgnoreSmallFunctions", "Ignore Small Functions", main, &G::ignore_small_functions_,
           &G::IgnoreSmallFunctions, &G::IgnoreSmallFunctions, F, F),
      Bind("MinLines", "Minimum Lines", main, &G::min_lines_, &G::MinLines, &G::MinLines, F, F),
      Bind("BuildProject", "Build Project", main, &G::build_project_, &G::BuildProject, &G::BuildProject, F, F),
      Bind("ReplaceBodyHandlers", "Replace Body Handlers", main, &G::replace_body_handlers_, &G::ReplaceBodyHandlers,
           &G::ReplaceBodyHandlers, F, F),
      Bind("HeaderAfterComments", "Header After Comments", main, &G::header_after_comments_, &G::HeaderAfterComments,
           &G::HeaderAfterComments, F, F),
      Bind("InsertInto", "Insert Into", main, &G::insert_into_, &G::InsertInto, &G::InsertInto, F, F),
      // Saved as read, so the registry never holds an increment below 1.
      Bind("LineIncrement", "Line Incrementor", main, &G::line_increment_, &G::LineIncrement, &G::LineIncrement, F,
           A),
      Bind("LineDelimiter", "Line Delimiter", main, &G::line_delimiter_, &G::LineDelimiter, &G::LineDelimiter, F, F),
      Bind("ShowBuilderDialog", "Show Builder Dialog", main, &G::show_builder_dialog_, &G::ShowBuilderDialog,
           &G::ShowBuilderDialog, F, F),
      Bind("NumberDims", "Number DIMs", main, &G::number_dims_, &G::NumberDims, &G::NumberDims, F, F),
      Bind("ConfirmSave", "Confirm Save", main, &G::confirm_save_, &G::ConfirmSave, &G::ConfirmSave, F, F),
      Bind("AutoExit", "Auto Exit", main, &G::auto_exit_, &G::AutoExit, &G::AutoExit, F, F),
      Bind("ResetLines", "Reset Lines", main, &G::reset_lines_, &G::ResetLines, &G::ResetLines, F, F),
      Bind("StartLine", "Start Line", main, &G::start_line_, &G::StartLine, &G::StartLine, F, F),
      Bind("CommentTemplate", "Comment Template", main, &G::comment_template_, &G::CommentTemplate,
           &G::CommentTemplate, F, F),
      Bind("BackupFiles", "Backup Files", main, &G::backup_files_, &G::BackupFiles, &G::BackupFiles, F, F),
      Bind("BackupExt", "Backup Extension", main, &G::backup_ext_, &G::BackupExt, &G::BackupExt, F, F),
      Bind("AutoRename", "Auto Rename", main, &G::auto_rename_, &G::AutoRename, &G::AutoRename, F, F),
      Bind("AutoPrefix", "Auto Prefix", main, &G::auto_prefix_, &G::AutoPrefix, &G::AutoPrefix, F, F),
      Bind("DeleteEvents", "Delete Events", main, &G::delete_events_, &G::DeleteEvents, &G::DeleteEvents, F, F),
      Bind("BackupDirectory", "Backup Directory", main, &G::backup_directory_, &G::BackupDirectory,
           &G::BackupDirectory, F, F),
      Bind("CopierEnabled", "Enabled", copier, &G::copier_enabled_, &G::CopierEnabled, &G::CopierEnabled, A, F),
      Bind("CopierSilent", "Silent", copier, &G::copier_silent_, &G::CopierSilent, &G::CopierSilent, A, F),
      Bind("CopierDimensions", "Dimensions", copier, &G::copier_dimensions_, &G::CopierDimensions,
           &G::CopierDimensions, A, F),
      Bind("CopierPosition", "Position", copier, &G::copier_position_, &G::CopierPosition, &G::CopierPosition, A, F),
      Bind("CopierDiscard", "Discard", copier, &G::copier_discard_, &G::CopierDiscard, &G::CopierDiscard, A, F),
      Bind("SaveInterval", "Save Interval", main, &G::save_interval_, &G::SaveInterval, &G::SaveInterval, F, F),
      Bind("AutoSave", "AutoSave", main, &G::auto_save_, &G::AutoSave, &G::AutoSave, A, F),
      Bind("IgnoreExisting", "Ignore Existing", main, &G::ignore_existing_, &G::IgnoreExisting, &G::IgnoreExisting,
           F, F),
      Bind("FullLogging", "Full Logging", main, &G::full_logging_, &G::FullLogging, &G::FullLogging, F, F),
      Bind("FullLoggingCode", "Full Logging Code", main, &G::full_logging_code_, &G::FullLoggingCode,
           &G::FullLoggingCode, F, F),
      Bind("SourceControl", "Source Control", main, &G::source_control_, &G::SourceControl, &G::SourceControl, F, F),
      Bind("VSSComment", "VSS Comment", main, &G::vss_comment_, &G::VSSComment, &G::VSSComment, F, F),
      Bind("SkipReadOnly", "Skip ReadOnly", main, &G::skip_read_only_, &G::SkipReadOnly, &G::SkipReadOnly, F, F),
      Bind("DefaultTemplate", "Default Template", main, &G::default_template_, &G::DefaultTemplate,
           &G::DefaultTemplate, F, F),
      Bind("TemplatePath", "Template Path", main, &G::template_path_, &G::TemplatePath, &G::TemplatePath, F, F),
      Bind("CodeBodyStart", "CodeBody Start", main, &G::code_body_start_, &G::CodeBodyStart, &G::CodeBodyStart, A,
           A),
      Bind("CodeBodyEnd", "CodeBody End", main, &G::code_body_end_, &G::CodeBodyEnd, &G::CodeBodyEnd, A, A),
      Bind("NumberCommentLines", "Number Comment Lines", main, &G::number_comment_lines_, &G::NumberCommentLines,
           &G::NumberCommentLines, F, F),
      Bind("NumberBlankLines", "Number Blank Lines", main, &G::number_blank_lines_, &G::NumberBlankLines,
           &G::NumberBlankLines, F, F),
      Bind("ScriptTimeLimit", "Script Time Limit", main, &G::script_time_limit_, &G::ScriptTimeLimit,
           &G::ScriptTimeLimit, A, F),
      // Read through the accessor, so that the loaded code page is the one shown.
      Bind("CodePage", "Code Page", main, &G::code_page_, &G::CodePage, &G::CodePage, A, F),
  };
}

}  // namespace gildex
