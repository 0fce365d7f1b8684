#pragma once
// `gildex finder`, `gildex info` and `gildex report`: the tools of the add-in over a session
// that opens the project read-only (session/session.h). The rules are the tools' own
// (tools/function_finder.h, tools/component_info.h, tools/procedure_report.h); here is only
// what is printed and the exit code.
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace gildex::app {

struct FinderOptions {
  std::string file;     // a project, group or component file
  std::string project;  // with `show`: the project the component file is loaded into
  std::vector<std::string> show;  // member names whose code the finder shows, in order
  std::string copy;     // with `show`: the clipboard file ("-": standard output)
  bool json = false;
  platform::MsgBoxResult forced{};  // --yes / --no
};

// Without `show`: every procedure of FILE's projects with kind, scope and line range. With
// `show`: FILE is loaded into the project as the finder's Browse does (or FILE alone), its
// methods, properties and events listed, the code of the members named printed (or put on the
// clipboard `copy`).
int Finder(const FinderOptions& options, std::ostream& out, std::ostream& err);

// What the component information window shows for a component, named by name or by its file,
// of `project` (or of the component file loaded alone).
int Info(const std::string& component, const std::string& project, platform::MsgBoxResult forced, std::ostream& out,
         std::ostream& err);

struct ReportOptions {
  std::vector<std::string> projects;  // as project_list.h takes them
  bool json = false;
  // The gate: "FILE:LINE: Name has no error handling" for each procedure insert would treat
  // that has none (on standard error when standard output carries a document), exit 1 then.
  bool check = false;
  std::string sarif;  // the SARIF log's file, "-" for standard output
  bool quiet = false;
  platform::MsgBoxResult forced{};  // --yes / --no
};

// Every procedure of the projects (project_list.h) with its component, kind, scope, line
// range and error handling (none, its own, Gildex's), as one report.
int Report(const ReportOptions& options, std::ostream& out, std::ostream& err);

}  // namespace gildex::app
