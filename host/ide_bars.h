#pragma once
// The command bars a VB6 IDE starts with (its menu bar, toolbars and context menus), each with
// the first of its own entries, so that an add-in finds the bars it extends by name and a
// drawn menu reads like the IDE's.
#include "host/command_bars.h"

namespace gildex::host {

void AddIdeBars(CommandBars& bars);

}  // namespace gildex::host
