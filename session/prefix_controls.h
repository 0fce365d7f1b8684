#pragma once
// The batch form of the control-added reaction: every control already on a form (MDI form,
// user control, property page) whose class the prefix table lists and whose name lacks that
// prefix gets it, renamed in the form's open designer as a user would rename it, so that
// the add-in's rename reaction carries the event procedures along. Other uses of the old
// names in the form's code are found, and rewritten when asked.
//
//   session.Open(...); session.ConnectAddIn(ext_cm_CommandLine, ...);
//   PrefixOutcome outcome;
//   if (Problem problem = PrefixControls(session, {"frmMain", false}, outcome); ...) ...
//   session.Save();
#include <string>
#include <vector>

#include "session/session.h"

namespace gildex::session {

struct PrefixOptions {
  std::string component;           // only this component (any letter case); empty: every one
  bool rewrite_references = false;  // rewrite the other uses of the old names too
};

// A control, or a whole control array, that got its prefix.
struct PrefixedControl {
  std::string file;  // the component's file, as the loader reached it
  std::string old_name, new_name;
  int elements = 1;  // the members of a control array
};

// A line of a form's code that uses an old name outside strings and comments, or calls a
// moved event procedure by its old name.
struct NameReference {
  std::string file;
  long line = 0;     // in the file, counting the form's description and hidden lines
  std::string text;  // the line as the code holds it after the run (Windows-1252)
};

struct PrefixOutcome {
  std::vector<PrefixedControl> prefixed;
  std::vector<NameReference> references;  // listed, or rewritten when asked
  std::vector<std::string> problems;      // controls left as they are, with the reason
  long errors_reported = 0;               // error reports the add-in showed meanwhile
};

// Runs over the session's projects with the add-in connected; the rename reaction is on for
// the run (the stored setting is not changed). Returns what stopped it before anything
// changed (an empty prefix table, an unknown component or one without a designer), else
// empty (Remedy::FillPrefixTable for an empty table). The changes stay in memory for Session::Save.
Problem PrefixControls(Session& session, const PrefixOptions& options, PrefixOutcome& outcome);

}  // namespace gildex::session
