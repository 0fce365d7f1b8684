#pragma once
// `gildex todo PROJECT list|add TEXT|done N|remove N` and `gildex comment PROJECT --proc NAME`:
// what the terminal shows and the exit code; the list lives in tools/todo_list.h, the comment
// block is the add-in's own "Comment block" command reached through a session.
#include <iosfwd>
#include <string>

#include "platform/dialogs.h"
#include "tools/todo_list.h"

namespace gildex::app {

// Prints the list after the edit ("1. [ ] text"); 0 done, 1 the list could not be written,
// 2 bad input (a damaged list, no such item, an empty or multi-line text; nothing written).
int ToDoCommand(const std::string& project, ToDoAction action, const std::string& argument, std::ostream& out,
                std::ostream& err);

struct CommentOptions {
  std::string project, component, procedure;
  bool dry_run = false, check = false;
  platform::MsgBoxResult forced{};  // --yes / --no
};
// 0 done, 1 an error was reported or a file not written (with --check: something would
// change), 2 bad usage or input (nothing written).
int CommentCommand(const CommentOptions& options, std::ostream& out, std::ostream& err);

}  // namespace gildex::app
