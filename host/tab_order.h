#pragma once
// The tab order of a form, as VB6's designer keeps it: the TabIndex of every control that can
// take the focus, counted across the whole form (controls in frames and picture boxes too),
// unique and without gaps, 0 to n - 1. Labels have a place; lines, shapes, images, timers, menus
// and data controls have none.
#include <string_view>
#include <vector>

#include "host/designer_block.h"
#include "host/source_lines.h"

namespace gildex::host {

// Gives `control` the place `value` in the tab order as VB6 does: the controls between its old
// place and the new one move up or down by one, and a place past the last is the last. Writes only
// the TabIndex lines that change; says whether any did. Throws HostError 380 for a value that is
// no whole number from 0, 438 for a control of a class that has no TabIndex.
bool SetTabIndex(std::vector<RawLine>& lines, DesignerBlock& block, DesignerControl& control, std::string_view value);

// After controls left the form: the controls behind them in the tab order close the gap. Says
// whether any TabIndex line changed.
bool CloseTabOrder(std::vector<RawLine>& lines, DesignerBlock& block);

// Whether the control has a place in the tab order (a TabIndex in the file).
bool InTabOrder(const DesignerControl& control);

}  // namespace gildex::host
