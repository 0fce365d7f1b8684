#pragma once
// Pieces the add-in's windows share: the etched Divider bar with its caption, and placing a
// window in the middle of the screen as the add-in's windows place themselves when loaded.
#include <QWidget>

#include <functional>
#include <vector>

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

// A node of a tree drawn from a model: its key (unique in the tree), its parent's key (empty
// for a top-level node), its text, and `look`, whatever else the window draws once as it makes it.
struct TreeNode {
  QString key, parent, text, look;
};

// Makes `tree` hold `nodes`, each item's key in its data `role`; the tree is cleared and made
// again only when the nodes changed, so that a click never deletes the item it is on. `made`
// finishes each item made anew. The items, in the order of `nodes`.
std::vector<QTreeWidgetItem*> FillTree(QTreeWidget* tree, const std::vector<TreeNode>& nodes, int role,
                                       const std::function<void(QTreeWidgetItem*, const TreeNode&)>& made = {});

}  // namespace gildex::desktop
