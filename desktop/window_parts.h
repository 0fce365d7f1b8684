#pragma once
// Pieces the add-in's windows share: the etched Divider bar with its caption, and placing a
// window in the middle of the screen as the add-in's windows place themselves when loaded.
#include <QWidget>

#include <functional>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace gildex::desktop {

// A separator line with an optional caption at its left (Tahoma, as the add-in's own control).
class Divider : public QWidget {
  Q_OBJECT

 public:
  explicit Divider(const QString& caption = {}, QWidget* parent = nullptr);
  QLabel* caption = nullptr;
};

void CentreOnScreen(QWidget* window);

// Calls `click` for each node click of `tree` as VB6's NodeClick comes: when the current node
// changes (mouse or keys) and when the user clicks the node that is current already. Changes
// made while `*drawing` is set are the window's own and not reported.
void OnNodeClick(QTreeWidget* tree, const bool* drawing, std::function<void(QTreeWidgetItem*)> click);

}  // namespace gildex::desktop
