#pragma once
// Scripted IDE sessions: a small line-based script played against the in-memory IDE with the
// add-in connected as it is inside VB6 (at start-up, interactively), so that menus, toolbar
// and IDE events act exactly as a user would meet them. Every step, every message box and
// every status line goes to the record, which reads as what the user saw.
//
//   # comment
//   open Orders.vbp                  load a project, group or component file (relative to the script)
//   select frmMain                   click the component in the project window
//   code modGlobals                  open its code window (the active code pane)
//   designer frmMain                 open its designer (the active designer)
//   cursor 12                        put the cursor on a line of the active code pane
//   selection 12 1 20 1              select lines/columns in the active code pane
//   controls cmdOK txtName           select controls on the active designer
//   add CommandButton                add a control of a class to the active designer
//   rename Command1 cmdSave          rename a control (Text1(2) names an element of an array)
//   remove cmdSave                   remove a control
//   property cmdOK Caption "&Save"   set a property to a value as the form file writes it
//   click Code Window > Gildex insert > Default template > Into this module
//   click tag Gildex_Options         the first entry with that tag
//   toolbar Insert Gildex Handler    a button of the "Gildex" toolbar, by its tooltip
//   bar Gildex show                  show, hide, dock (top left right bottom) or float [TOP LEFT] a bar
//   answer yes                       the answer to the next message box (yes no ok cancel abort retry ignore)
//                                    or Insert Mode window (selected module close)
//   answer template Buttons          the template chosen in the next control-template window
//   answer convert file x.html title "Orders" method GET
//                                    the next converter window's fields (file title keywords
//                                    description method action), then Convert
//   answer wizard Standard click frmAbout
//                                    the next insert wizard: template, filter (all subs functions
//                                    properties or an event), the components checked; then Finish
//   save                             write every changed file (each through the write-file request)
//   menus [BAR]                      print the bars (or one bar) as the IDE shows them
//   print modGlobals                 print a module's code
//   option AutoPrefix True           a setting for this session, as the options dialog applies it
//                                    (CopierEnabled shows or hides the designer's "Controls" entries)
//   disconnect / connect             through the Add-In Manager
//
// A step that cannot be done ends the session (exit 1), and so does an answer left unused;
// a script that does not parse runs no step at all (exit 2).
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "common/problem.h"

namespace gildex::session {

struct ScriptStep {
  long line = 0;                   // 1-based line of the script
  std::string verb;                // lower case
  std::vector<std::string> words;  // the words after the verb, quotes taken off
  std::string rest;                // the text after the verb as written, trimmed
};

// Reads a script's text (Windows-1252, as the names it uses are); nothing, with `problem` naming the line, when a line does not parse.
std::optional<std::vector<ScriptStep>> ParseSessionScript(const std::string& text, std::string& problem);

// How the host words a problem the session reports (common/problem.h), for the record.
using ProblemWords = std::function<std::string(const Problem&)>;

// Plays the steps on the platform's services (settings, program folder, add-in list); the
// session answers its message boxes itself, from the script. Relative paths are taken from
// `base`. Exit code 0 when every step was done, 1 when one could not be.
int RunSessionScript(const std::vector<ScriptStep>& steps, const std::filesystem::path& base, std::ostream& record,
                     const ProblemWords& word);

}  // namespace gildex::session
