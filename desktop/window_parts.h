#pragma once
// Pieces the add-in's windows share: the etched Divider bar with its caption, and placing a
// window in the middle of the screen as the add-in's windows place themselves when loaded.
#include <QWidget>

class QLabel;

namespace gildex::desktop {

// A separator line with an optional caption at its left (Tahoma, as the add-in's own control).
class Divider : public QWidget {
  Q_OBJECT

 public:
  explicit Divider(const QString& caption = {}, QWidget* parent = nullptr);
  QLabel* caption = nullptr;
};

void CentreOnScreen(QWidget* window);

}  // namespace gildex::desktop
