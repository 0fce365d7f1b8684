#pragma once
// The documents the read-only commands print for other programs: one JSON shape for `verify`,
// `report` and `finder` (an object with a "version", file paths relative to the current folder,
// the file's lines beside the code window's), the SARIF log of `report --sarif` that code
// scanning services read, and the FILE:LINE lines of `report --check`.
#include <filesystem>
#include <string>
#include <vector>

#include "app/printer.h"
#include "host/verify.h"
#include "tools/procedure_report.h"

namespace gildex::app {

// The shape's version: raised when a field changes its meaning or goes away.
inline constexpr int kJsonVersion = 2;
inline constexpr const char* kNoHandlerRule = "gildex.no-handler";

// The folder holding .git at or above `folder`, else the current folder.
std::filesystem::path RepositoryRoot(const std::filesystem::path& folder);

// {"version", "projects": [{"name", "file", "procedures": [{"component", "file", "name", "kind",
// "scope", "line", "end_line", "code_window": {"start_line", "body_line", "end_line"},
// "error_handling", "insert_treats"}]}]}: UTF-8; the last two only `with_handling`.
std::string ProcedureReportJson(const std::vector<ReportedProject>& projects, bool with_handling);
// {"version", "reports": [{"path", "readable", "exit_code", "error", "projects", "problems",
// "notes", "structure", "not_round_trip"}]}: one report a path given to verify.
std::string VerifyReportJson(const std::vector<host::VerifyReport>& reports, bool with_procedures);

// A SARIF 2.1.0 log with one result a procedure in `missing`, its file relative to `root`.
std::string SarifLog(const std::vector<ReportedProcedure>& missing, const std::filesystem::path& root);
// "FILE:LINE: Name has no error handling" a procedure, FILE relative to the current folder
// (terminal text).
std::string CheckLines(const std::vector<ReportedProcedure>& missing);

}  // namespace gildex::app
