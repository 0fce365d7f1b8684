#pragma once
// `gildex prefix PROJECT`: gives the controls already on the forms their type's prefix from
// the prefix table, over a session of the add-in (session/prefix_controls.h). Here are only
// what the terminal shows (the renamed controls, the remaining uses of old names, problems,
// the diff of a dry run, the summary line) and the exit code.
#include <iosfwd>
#include <string>

#include "platform/dialogs.h"

namespace gildex::app {

struct PrefixCommandOptions {
  std::string project;    // .vbp, .vbg or one component file
  std::string component;  // empty: every form, MDI form, user control and property page
  bool references = false;  // rewrite the other uses of the old names in the form's code
  bool dry_run = false;
  bool check = false;
  platform::MsgBoxResult forced{};  // --yes / --no
  bool quiet = false;
  bool verbose = false;
  bool named = false;  // one of several projects: the summary line names it
};

// Exit codes as the scope commands': 0 done, 1 a control left as it was or a file not
// written (with --check also: something would change), 2 bad usage or input (nothing
// written). `out` gets the uses of old names ("FILE:LINE: text"; standard error in a dry
// run, whose diff stands alone on `out`), `err` the rest.
int RunPrefixCommand(const PrefixCommandOptions& options, std::ostream& out, std::ostream& err);

// The one summary line of a run (without the "gildex: " in front).
std::string PrefixSummaryLine(long prefixed, long references, bool rewritten, long changed_files, long written_files,
                              bool would);

}  // namespace gildex::app
