#pragma once
// Our own small pictures for the command-bar face ids the add-in uses, drawn rather than
// stored so that they scale and need no files.
#include <QIcon>

namespace gildex::desktop {

// An empty icon for a face id we have no picture for.
QIcon FaceIcon(int face_id);
// The program's own icon (windows, the desktop entry).
QIcon AppIcon();

}  // namespace gildex::desktop
