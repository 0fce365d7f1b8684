#pragma once
// `gildex-ide --screenshots DIR`: every window in turn with real content, one PNG each.
#include <QString>

namespace gildex::desktop {

class AddInWindows;
class MainWindow;

// Returns the number of pictures that could not be saved.
int TakeScreenshots(MainWindow& window, const QString& folder);
// The windows of the add-in's commands, opened through its menus and toolbar where it has them.
int TakeToolWindowShots(MainWindow& window, AddInWindows& tools, const QString& folder);

}  // namespace gildex::desktop
