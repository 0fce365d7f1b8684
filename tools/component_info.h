#pragma once
// frmInfo, "Component Information": one component's name, file, number of code lines,
// source-control state and members, as the window shows them. The model is the text of each
// field; a window draws it through ComponentInfoWindow.
#include <string>
#include <vector>

#include "host/vbide.h"
#include "platform/system.h"

namespace gildex {

struct ComponentInformation {
  static constexpr const char* kCaption = "Component Information";
  static constexpr const char* kNotSaved = "<Not yet saved>";

  std::string name;           // txtCompName
  std::string filename;       // txtFilename
  std::string lines;          // txtLines
  bool source_control = false;  // chkVSSControl
  std::string status;         // lblVSSStatus
  std::vector<std::string> members;  // lbFunctions, one line each
};

inline constexpr const char* kSourceControlProjectFile = "mssccprj.scc";

// The database project ("$/Orders") that the source-control integration recorded for the
// project file `section` in "mssccprj.scc" beside `project_file`; empty when there is no such
// file or entry.
std::string SourceControlProjectName(const std::string& section, const std::string& project_file);

// The source-control status values the host reports for a component.
enum SccStatus : int {
  SCC_STATUS_NOTCONTROLLED = 0,
  SCC_STATUS_CONTROLLED = 1,
  SCC_STATUS_CHECKEDOUT = 2,
  SCC_STATUS_OUTOTHER = 4,
  SCC_STATUS_OUTOFDATE = 32,
  SCC_STATUS_SHARED = 512,
};

// The status text of a value; only the exact values are known, anything else (a combination
// of flags too) is "Status unknown". The box is ticked for every value but 0.
std::string SccStatusText(int status);

// "Method", "Property", "Variable", "Event", "Constant"; empty for an unknown type.
std::string MemberTypeText(host::MemberType type);

// "(Method)" TAB " - cmdOK_Click(Private)".
std::string MemberLine(const host::Member& member);

// Display's steps for `component` with the source-control status the host reports for it.
ComponentInformation DescribeComponent(host::VBComponent& component, int scc_status);

// The component's status in the source-control database of GILDEX_SOURCESAFE: not controlled
// when none is configured, the component was never saved or the database has no such item;
// checked in, checked out to the current user or to another. A database that cannot be read
// gives -1 (shown as an unknown status). The item is found as a check-out would find it: the
// project of the project folder's mssccprj.scc, then the file's own path.
int SourceControlStatus(host::VBComponent& component, const platform::Environment& env);

// The window: centred and shown with the fields filled.
class ComponentInfoWindow {
 public:
  virtual ~ComponentInfoWindow() = default;
  virtual void Display(const ComponentInformation& info) = 0;
};

// The information as lines of text, label and value ("Component Name : modGlobals"), the
// members last under "Component Members".
std::string FormatComponentInformation(const ComponentInformation& info);

}  // namespace gildex
