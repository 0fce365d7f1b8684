#pragma once
// What `gildex report` and `gildex finder` list: every procedure of the open IDE's projects with
// its component, file, kind, scope, lines, which error handling it has and whether an insertion
// would treat it. The command line prints it (as text, JSON or SARIF).
#include <string>
#include <vector>

#include "engine/gildex.h"
#include "host/vbide.h"
#include "host/verify.h"

namespace gildex {

enum class ErrorHandling {
  None,
  Own,     // an On Error statement of the procedure's own
  Gildex,  // the code-body marker an insertion puts in, or the current template's blocks
};

const char* ErrorHandlingName(ErrorHandling handling);  // "none", "own", "gildex"

struct ReportedProcedure {
  std::string component;
  std::string file;  // the component's file as the project reached it; empty when it has none
  host::ProcedureInfo procedure;  // with the file's lines when the component came from a file
  ErrorHandling handling = ErrorHandling::None;
  bool treated = false;  // insert would treat it: its size, the skip tag and InsertInto let it through
};

struct ReportedProject {
  std::string name;
  std::string file;  // the project file's full path; empty for a module loaded alone
  std::vector<ReportedProcedure> procedures;
};

// Every procedure of every project of `vbe`, in component and line order. Handling is Gildex's
// where `engine`'s code-body marker stands in the procedure (any letter case) or where remove
// would find the blocks of its current template; else the procedure's own where it holds "On
// Error" or "On Local Error".
std::vector<ReportedProject> ReportProcedures(host::VBE& vbe, CGildex& engine);

// The procedures an insertion would treat that have no error handling.
std::vector<ReportedProcedure> WithoutHandling(const std::vector<ReportedProject>& projects);

// One line a procedure: "Component.Procedure TAB Scope Kind TAB lines A-B TAB handling"; the
// handling column only with `with_handling`. Windows-1252 as in the files.
std::string FormatProcedureReport(const std::vector<ReportedProject>& projects, bool with_handling);

}  // namespace gildex
