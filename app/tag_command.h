#pragma once
// `gildex tag PROJECT --component NAME [--proc NAME]... [--untag NAME]...`: the per-procedure
// template window (the options dialog's "&Advanced..") worked from the command line through
// the add-in's own command, over a session. The component's methods, properties and events
// are listed as the window lists them; the named ones are checked or unchecked and Apply
// writes the tags: every checked member tagged for the default template, the tags of the
// unchecked ones removed. Here are only what the terminal shows and the exit code.
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace gildex::app {

struct TagOptions {
  std::string project;    // .vbp, .vbg or one component file
  std::string component;  // of the active project
  std::vector<std::string> tag, untag;  // member names, any letter case; both empty: list only
  std::string template_name;            // this run's default template
  bool dry_run = false;
  bool check = false;
  bool quiet = false;  // a change prints no member list and no summary
  platform::MsgBoxResult forced{};  // --yes / --no
};

// Prints the members (name, type, template of the tag; tab-separated) after the change, or
// in a dry run the diff alone, and then one summary line on `err`. Exit codes as the scope
// commands': 0 done, 1 an error reported or a file not written (with --check: something
// would change), 2 bad usage or input (an unknown component or member, no template to tag
// with; nothing written).
int RunTagCommand(const TagOptions& options, std::ostream& out, std::ostream& err);

}  // namespace gildex::app
