#pragma once
// `gildex-ide --screenshots DIR`: every window in turn with real content, one PNG each.
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace gildex::desktop {

class AddInWindows;
class MainWindow;

// A scratch program folder given the shipped templates, scripts and prefix table as an
// installation gives a user's, with GILDEX_HOME naming it: made before the Workbench, so that
// the pages listing them show real entries and the run writes nothing of the user's; its
// registry (GILDEX_REGISTRY) is there too, so the settings the run chooses in the options
// dialog stay its own. Null (and both left alone) when the shipped data cannot be found or copied.
std::unique_ptr<QTemporaryDir> UseScratchProgramFolder();

// Returns the number of pictures that could not be saved.
int TakeScreenshots(MainWindow& window, const QString& folder);
// The windows of the add-in's commands, opened through its menus and toolbar where it has them.
int TakeToolWindowShots(MainWindow& window, AddInWindows& tools, const QString& folder);

}  // namespace gildex::desktop
