#pragma once
// What `gildex report`, `gildex finder --json` and `gildex verify --json` print: every
// procedure of the open IDE's projects with its component, kind, scope, line range and which
// error handling it has, as text or JSON.
#include <string>
#include <vector>

#include "host/vbide.h"
#include "host/verify.h"

namespace gildex {

enum class ErrorHandling {
  None,
  Own,     // an On Error statement of the procedure's own
  Gildex,  // the code-body marker an insertion puts in
};

const char* ErrorHandlingName(ErrorHandling handling);  // "none", "own", "gildex"

struct ReportedProcedure {
  std::string component;
  host::ProcedureInfo procedure;
  ErrorHandling handling = ErrorHandling::None;
};

struct ReportedProject {
  std::string name;
  std::string file;
  std::vector<ReportedProcedure> procedures;
};

// Every procedure of every project of `vbe`, in component and line order. A procedure holding
// `code_body_start` (the engine's setting, any letter case) has Gildex's error handling; one
// holding "On Error" or "On Local Error" otherwise has its own.
std::vector<ReportedProject> ReportProcedures(host::VBE& vbe, const std::string& code_body_start);

// One line a procedure: "Component.Procedure TAB Scope Kind TAB lines A-B TAB handling"; the
// handling column only with `with_handling`. Windows-1252 as in the files.
std::string FormatProcedureReport(const std::vector<ReportedProject>& projects, bool with_handling);
// {"projects":[{"name":..,"file":..,"procedures":[{"component","name","kind","scope",
// "start_line","end_line","error_handling"}]}]}, UTF-8; error_handling only `with_handling`.
std::string ProcedureReportJson(const std::vector<ReportedProject>& projects, bool with_handling);

// The verify report as JSON (UTF-8), with procedures when `with_procedures`.
std::string VerifyReportJson(const host::VerifyReport& report, bool with_procedures);

}  // namespace gildex
