#pragma once
// `gildex-ide --screenshots DIR`: every window in turn with real content, one PNG each.
#include <QString>

namespace gildex::desktop {

class MainWindow;

// Returns the number of pictures that could not be saved.
int TakeScreenshots(MainWindow& window, const QString& folder);

}  // namespace gildex::desktop
