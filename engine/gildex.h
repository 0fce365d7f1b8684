#pragma once
// CGildex: the one engine object of a session, a facade over the parts that do the work. It
// reads as its stored settings (a `Settings` value, so every caller keeps writing
// engine.MinLines()), holds the control prefix table, the current template's blocks and the
// state of the running command, and offers the line rules, the variable expansion and the
// passes (insertion.h, removal.h, numbering.h) under the names the add-in has always used.
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
#include "engine/insertion.h"
#include "engine/numbering.h"
#include "engine/pass_context.h"
#include "engine/prefix_table.h"
#include "engine/removal.h"
#include "engine/settings.h"
#include "host/vbide.h"
#include "platform/services.h"

namespace gildex {

inline constexpr std::string_view kPrefixFileName = "pfx.dat";

class CGildex : public Settings {
 public:
  CGildex(platform::Services& services, ErrorReport& report, RegistryTools& registry, host::VBE* vbe = nullptr);
  CGildex(const CGildex&) = delete;
  CGildex& operator=(const CGildex&) = delete;

  // The settings that are not stored.
  // The control prefix table: one (control type, prefix) row per control type.
  PrefixTable& Prefixes() { return prefixes_; }
  void Prefixes(PrefixTable table) { prefixes_ = std::move(table); }
  bool UpdateMode() const { return blocks_.update_mode; }
  void UpdateMode(bool value) { blocks_.update_mode = value; }
  bool Cancel() const { return run_.cancel; }
  void Cancel(bool value) { run_.cancel = value; }
  bool ScriptHalted() const { return run_.script_halted; }
  void ScriptHalted(bool value) { run_.script_halted = value; }
  ScriptBudget ScriptRunBudget() { return pass_.ScriptRunBudget(); }
  bool ModuleRefused() const { return run_.module_refused; }
  std::string FooterCode() const { return blocks_.footer; }
  void FooterCode(std::string value) { blocks_.footer = std::move(value); }
  std::string HeaderCode() const { return blocks_.header; }
  void HeaderCode(std::string value) { blocks_.header = std::move(value); }
  const RunState& Run() const { return run_; }

  // Where the operations report what they do (a NullProgress until the add-in connects one)
  // and which script the "*SCRIPT" mode runs (none: every procedure falls back to the template).
  void SetProgress(Progress* progress) { pass_.SetProgress(progress); }
  void SetScriptRunner(ScriptRunner* runner) { pass_.script_runner = runner; }
  // The engine can be made before the host connects; the host is handed over then.
  void SetVBE(host::VBE* vbe) { pass_.vbe = vbe; }
  const ProcedureTally& Tally() const { return run_.tally; }
  ProcedureTally& Tally() { return run_.tally; }
  void ResetTally() { run_.tally = {}; }

  // Inserting error handling (module driver and blocks).
  void InsertModule(host::CodeModule& module, const std::string& component_name, host::VBProject* project,
                    bool selection_only) {
    passes::InsertModule(pass_, module, component_name, project, selection_only);
  }
  long insertTopOfProcErrorCode(host::CodeModule& module, const std::string& proc_name, long insertion_line,
                                const std::string& expanded_header) {
    return passes::insertTopOfProcErrorCode(pass_, module, proc_name, insertion_line, expanded_header);
  }
  long BodyPass(host::CodeModule& module, const std::string& proc_name, long first_line, long& last_line,
                const std::string& proc_type, const std::string& scope) {
    return passes::BodyPass(pass_, module, proc_name, first_line, last_line, proc_type, scope);
  }
  long InsertBottomOfProcErrorCode(host::CodeModule& module, const std::string& proc_name, int type_code,
                                   const std::string& declaration_line, const std::string& expanded_footer,
                                   long insertion_line) {
    return passes::InsertBottomOfProcErrorCode(pass_, module, proc_name, type_code, declaration_line, expanded_footer,
                                               insertion_line);
  }
  std::string ProcAtLine(host::CodeModule& module, long line, host::ProcKind& kind) {
    return PassContext::ProcAtLine(module, line, kind);
  }
  bool InsertTakes(const host::CodeModule& module, const std::string& name, host::ProcKind kind) {
    return passes::InsertTakes(pass_, module, name, kind);
  }
  bool FailRestrictions(const std::string& type_text, const std::string& proc_name, const std::string& declaration) {
    return passes::FailRestrictions(pass_, type_text, proc_name, declaration);
  }
  bool FindProcAtLine(long line, long& first_line, long& last_line, bool select) {
    return passes::FindProcAtLine(pass_, line, first_line, last_line, select);
  }

  // Removing error handling.
  void RemoveModule(host::CodeModule& module, bool selection_only) {
    passes::RemoveModule(pass_, module, selection_only);
  }
  bool HoldsTemplateBlocks(host::CodeModule& module, long body, long last) {
    return passes::HoldsTemplateBlocks(pass_, module, body, last);
  }
  long RemoveTopOfProcErrorCode(host::CodeModule& module, const std::string& proc_name, long top_line, long last_line) {
    return passes::RemoveTopOfProcErrorCode(pass_, module, proc_name, top_line, last_line);
  }
  void RestoreBodyLines(host::CodeModule& module, const std::string& proc_name, long top_line, long last_line) {
    passes::RestoreBodyLines(pass_, module, proc_name, top_line, last_line);
  }
  long RemoveBottomOfProcErrorCode(host::CodeModule& module, const std::string& proc_name, int type_code, long top_line,
                                   long end_line, const std::string& declaration_line) {
    return passes::RemoveBottomOfProcErrorCode(pass_, module, proc_name, type_code, top_line, end_line,
                                               declaration_line);
  }

  // Line numbers.
  void NumberModule(host::CodeModule& module, bool selection_only) {
    passes::NumberModule(pass_, module, selection_only);
  }
  void UnNumberModule(host::CodeModule& module, bool selection_only) {
    passes::UnNumberModule(pass_, module, selection_only);
  }
  bool ValidLineForNumbering(const std::string& previous_line, const std::string& line) {
    return passes::ValidLineForNumbering(pass_, previous_line, line);
  }
  std::string RemoveLineNumber(const std::string& line) { return std::string(passes::RemoveLineNumber(pass_, line)); }

  // Checks a read-only file out of source control; `message` says why when it fails.
  bool CheckOutFile(const std::string& file_path, const std::string& database_project, std::string& message);

  // Source line classification.
  void TruncateBlankLinesIn(host::CodeModule& module) { pass_.TruncateBlankLinesIn(module); }
  TrailingBlankLines SetAsideTrailingBlankLines(host::CodeModule& module) {
    return pass_.SetAsideTrailingBlankLines(module);
  }
  void PutBackTrailingBlankLines(host::CodeModule& module, const TrailingBlankLines& aside) {
    pass_.PutBackTrailingBlankLines(module, aside);
  }
  host::ProcKind ProcKindOf(const host::CodeModule& module, std::string_view name, long line) {
    return pass_.ProcKindOf(module, name, line);
  }
  int ProcType(const host::CodeModule& module, long line) { return pass_.ProcType(module, line); }
  std::string ProcTypeString(int type_code, std::string_view declaration) {
    return pass_.ProcTypeString(type_code, declaration);
  }
  bool IsDeclarationLine(std::string_view line) { return pass_.IsDeclarationLine(line); }
  bool IsStartProc(std::string_view line) { return pass_.IsStartProc(line); }
  bool IsEndProc(std::string_view line) { return pass_.IsEndProc(line); }
  long EndLineIn(host::CodeModule& module, long first, long last) { return pass_.EndLineIn(module, first, last); }
  static std::string NoEndLineStatus(const std::string& proc_name, const std::string& component) {
    return PassContext::NoEndLineStatus(proc_name, component);
  }
  bool MatchFirstToken(std::string_view line, std::string_view token) { return pass_.MatchFirstToken(line, token); }
  std::string GetProcString(std::string_view line, bool upper) { return pass_.GetProcString(line, upper); }
  long SkipJunkLines(const host::CodeModule& module, long line) { return pass_.SkipJunkLines(module, line); }
  bool SmallProcedure(long last_line, long body_line) { return pass_.SmallProcedure(last_line, body_line); }

  // Template variables.
  static std::string AsCommentBlock(std::string_view block) { return PassContext::AsCommentBlock(block); }
  std::string InsertUserVars(std::string_view template_text, std::string_view proc_name, host::CodeModule& module,
                             host::VBProject* project, std::string_view proc_type, std::string_view scope,
                             std::string_view previous_line) {
    return pass_.InsertUserVars(template_text, proc_name, module, project, proc_type, scope, previous_line);
  }

  void SaveSettings() { Save(registry_); }
  // Every stored setting, then the prefix table.
  void LoadSettings();
  // Notes each stored setting's value, as the registry now holds it.
  void RememberStoredSettings() { RememberStored(); }
  // Writes the table to program_folder/pfx.dat, only when that file already exists.
  bool SavePrefixes();
  // Replaces the table with the lines of program_folder/pfx.dat; false when the file is
  // missing or a control type repeats (the lines before it stay).
  bool LoadPrefixes();

 private:
  platform::Services& services_;
  ErrorReport& report_;
  RegistryTools& registry_;

  PrefixTable prefixes_;
  // The table as last read or written: SavePrefixes carries only the rows changed since into
  // the file as it is then, so another run's rows survive.
  PrefixTable prefixes_read_;
  TemplateBlocks blocks_;
  RunState run_;
  PassContext pass_{*this, blocks_, run_, report_, services_};
};

}  // namespace gildex
