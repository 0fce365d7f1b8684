#pragma once
// `gildex-ide --screenshots DIR`: every window in turn with real content, one PNG each.
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace gildex::desktop {

class AddInWindows;
class MainWindow;

// A scratch program folder given the shipped templates, scripts and prefix table as an
// installation gives a user's, with GILDEX_HOME naming it: made before the Workbench, so that
// the pages listing them show real entries and the run writes nothing of the user's; its
// registry (GILDEX_REGISTRY) is there too, so the settings the run chooses in the options
// dialog stay its own. Null (and both left alone) when the shipped data cannot be found or copied.
std::unique_ptr<QTemporaryDir> UseScratchProgramFolder();

// A copy of the shipped sample project in the scratch folder, so that the run neither locks
// nor touches the one installed or in the source tree; empty when there is none to copy.
QString CopyOfSample(const QTemporaryDir& scratch);

struct MissingPicture {
  QString file;
  QString why;
  bool lacking = false;  // the project has nothing for it to show: no fault of the run
};

// Saves the IDE's windows, then those of the add-in's commands (opened through its menus and
// toolbar where it has them), showing what the open project holds. Returns the pictures that
// could not be made.
std::vector<MissingPicture> TakeScreenshots(MainWindow& window, AddInWindows& tools, const QString& folder);

}  // namespace gildex::desktop
