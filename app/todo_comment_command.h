#pragma once
// `gildex todo PROJECT list|add TEXT|done N|remove N` and `gildex comment PROJECT --proc NAME`:
// what the terminal shows and the exit code; the list lives in tools/todo_list.h, the comment
// block is the add-in's own "Comment block" command reached through a session.
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "tools/todo_list.h"

namespace gildex::app {

// One edit of a project's list: PROJECT is the project file, the list
// "todo.dat" beside it. `argument` is the text to add or the item's number.
enum class ToDoAction { List, Add, Done, Remove };
struct ToDoOutcome {
  std::vector<ToDoItem> items;  // the list after the edit
  std::string problem;          // empty when it went well
  bool bad_input = false;       // the problem is what was asked (nothing written), not the write
};
ToDoOutcome RunToDoCommand(const std::string& project_file, ToDoAction action, const std::string& argument);

// Prints the list after the edit ("1. [ ] text"); 0 done, 1 the list could not be written,
// 2 bad input (a damaged list, no such item, an empty or multi-line text; nothing written).
int ToDoCommand(const std::string& project, ToDoAction action, const std::string& argument, std::ostream& out,
                std::ostream& err);

struct CommentOptions {
  std::string project, component, procedure;
  bool dry_run = false, check = false;
  bool quiet = false;  // no "wrote FILE" lines
  platform::MsgBoxResult forced{};  // --yes / --no
};
// 0 done, 1 an error was reported or a file not written (with --check: something would
// change), 2 bad usage or input (nothing written).
int CommentCommand(const CommentOptions& options, std::ostream& out, std::ostream& err);

}  // namespace gildex::app
