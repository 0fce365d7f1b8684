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
  BringToFront,
  SendToBack,
  AlignToGrid,
  About,
};

// What the IDE's own entries would act on now.
struct IdeState {
  bool controls_selected = true;  // the active form designer has controls selected
};

// The action of an IDE entry, by its caption (access keys and letter case do not count).
IdeAction ActionOfEntry(std::string_view caption);
// Whether the entry can be clicked: visible and enabled, and either the IDE's own action or
// with an add-in's handler; popups when any entry below them can.
bool Clickable(const host::CommandBarControl& control);
// As above, and an action of the form designer (Bring to Front, Send to Back, Align to Grid)
// only while controls are selected, as VB6 greys them.
bool Clickable(const host::CommandBarControl& control, const IdeState& state);

}  // namespace gildex::workbench
