#pragma once
// The IDE's own entries of its command bars that the desktop program carries out (open and
// save projects, view code or object, the windows). An entry that is neither one of these
// nor an add-in's (a handler connected to its click) is a VB6 feature this IDE lacks: it is
// drawn disabled, never as a button that does nothing.
#include <string_view>

#include "host/command_bars.h"

namespace gildex::workbench {

enum class IdeAction {
  None,
  OpenProject,
  SaveProject,
  SaveProjectAs,
  RemoveProject,
  Exit,
  ViewCode,
  ViewObject,
  ProjectExplorer,
  PropertiesWindow,
  Toolbox,
  AddInManager,
  TileHorizontally,
  TileVertically,
  Cascade,
  DeleteControl,
  About,
};

// The action of an IDE entry, by its caption (access keys and letter case do not count).
IdeAction ActionOfEntry(std::string_view caption);
// Whether the entry can be clicked: visible and enabled, and either the IDE's own action or
// with an add-in's handler; popups when any entry below them can.
bool Clickable(const host::CommandBarControl& control);

}  // namespace gildex::workbench
