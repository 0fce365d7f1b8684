#pragma once
// `gildex verify`: loads a project as the add-in would see it and checks that every file
// would be written back byte for byte and that every code module's block structure is
// sound (host/structural_check.h), listing components and, on request, procedures as the
// host's code modules answer for them.
#include <filesystem>
#include <string>
#include <vector>

#include "host/source_file.h"

namespace gildex::host {

struct ProcedureInfo {
  std::string kind;   // "Sub", "Function", "Property Get", "Property Let", "Property Set"
  std::string scope;  // "Public", "Private", "Friend"
  std::string name;
  long start_line = 0, end_line = 0, body_line = 0;  // in the code window
  long file_line = 0, file_end_line = 0;  // the declaration and End lines in the file; 0 unknown
};

struct ComponentInfo {
  std::string type_name;  // "Module", "Form", ...
  std::string name;
  std::string file;  // relative to the project's folder
  std::string path;  // as the loader reached it
  bool usable = true;
  std::vector<ProcedureInfo> procedures;
};

struct ProjectInfo {
  std::string name;
  std::string file;
  std::vector<ComponentInfo> components;
};

struct VerifyReport {
  std::string path;           // as given
  bool readable = true;       // false: `error` says why nothing was loaded
  std::string error;
  std::vector<ProjectInfo> projects;
  std::vector<LoadProblem> problems;
  std::vector<LoadProblem> notes;
  std::vector<std::string> not_round_trip;  // files whose bytes would change on writing
  std::vector<LoadProblem> structure;       // structural check of the code modules, at file lines

  // 0 all loaded, round-trips and has a sound structure (warnings allowed), 1 a fatal
  // problem, a round-trip difference or a structure problem, 2 the project could not be
  // read at all.
  int ExitCode() const;
};

// Every procedure of a code module, walking it the way the engine does: from the first line
// after the declarations, asking the host which procedure holds each line.
class CodeModule;
std::vector<ProcedureInfo> Procedures(CodeModule& code);

// Fills in where each procedure's declaration and End line stand in the component's file.
class MemoryComponent;
void AddFileLines(const MemoryComponent& component, std::vector<ProcedureInfo>& procedures);

VerifyReport VerifyProject(const std::filesystem::path& path, bool with_procedures);

// The report as text lines (Windows-1252 bytes as in the files; convert for display).
std::string FormatVerifyReport(const VerifyReport& report, bool with_procedures);

}  // namespace gildex::host
