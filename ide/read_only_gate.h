#pragma once
// The read-only gate of the AddIn module: every command that changes a component's code passes
// the component through FileSkip first. A writable file passes; a read-only one is checked out
// of the source-control database when the SourceControl setting is on, and skipped while it
// stays read-only.
#include <string>

#include "common/error_report.h"
#include "engine/gildex.h"
#include "engine/progress.h"
#include "host/vbide.h"
#include "tools/component_info.h"

namespace gildex {

// True when the command must leave `component` alone: related documents and resource files
// always, a read-only file unless it could be checked out. Check-out failures and a file
// still read-only after the check-out go to the status list; a read-only file with
// SourceControl off is skipped without a word (the command lists what it skipped).
// Unexpected failures are reported under "AddIn.FileSkip" and skip a read-only file.
bool FileSkip(host::VBComponent& component, CGildex& engine, Progress& progress, ErrorReport& report);

// The database project ("$/Orders") that the source-control integration recorded for the
// project file `section` in "mssccprj.scc" beside `project_file_path`; empty when there is
// no such file or entry. Failures are reported under "AddIn.VSSProjectName".
std::string VSSProjectName(const std::string& section, const std::string& project_file_path, ErrorReport& report);

}  // namespace gildex
