#include "desktop/window_parts.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <map>
#include <memory>

namespace gildex::desktop {

Divider::Divider(const QString& text, QWidget* parent) : QWidget(parent) {
  setObjectName("Divider");
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(4);
  caption = new QLabel(text, this);
  caption->setObjectName("lblCaption");
  QFont tahoma("Tahoma");
  tahoma.setPointSizeF(font().pointSizeF());
  caption->setFont(tahoma);
  caption->setVisible(!text.isEmpty());
  row->addWidget(caption);
  // Shadow and highlight in one sunken line, as the two lines of the original are drawn.
  auto* line = new QFrame(this);
  line->setObjectName("linShaddow");
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  row->addWidget(line, 1);
}

void CentreOnScreen(QWidget* window) {
  const QScreen* screen = QApplication::primaryScreen();
  if (screen == nullptr) return;
  if (!window->testAttribute(Qt::WA_Resized)) window->adjustSize();
  QRect frame = window->frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  window->move(frame.topLeft());
}

void OnNodeClick(QTreeWidget* tree, const bool* drawing, std::function<void(QTreeWidgetItem*)> click) {
  // A press that changes the current node reports it; its release (itemClicked) then does not.
  auto reported = std::make_shared<QTreeWidgetItem*>(nullptr);
  QObject::connect(tree, &QTreeWidget::currentItemChanged, tree, [=](QTreeWidgetItem* item) {
    if (*drawing || item == nullptr) return;
    *reported = item;
    click(item);
  });
  QObject::connect(tree, &QTreeWidget::itemClicked, tree, [=](QTreeWidgetItem* item) {
    const bool already = *reported == item;
    *reported = nullptr;
    if (!*drawing && !already) click(item);
  });
}

std::vector<QTreeWidgetItem*> FillTree(QTreeWidget* tree, const std::vector<TreeNode>& nodes, int role,
                                       const std::function<void(QTreeWidgetItem*, const TreeNode&)>& made) {
  QString signature;
  for (const TreeNode& node : nodes)
    signature += node.parent + QChar(0x1F) + node.key + QChar(0x1F) + node.text + QChar(0x1F) + node.look + '\n';
  std::map<QString, QTreeWidgetItem*> items;
  if (tree->property("nodes").toString() != signature || (tree->topLevelItemCount() == 0 && !nodes.empty())) {
    tree->clear();
    for (const TreeNode& node : nodes) {
      const auto parent = node.parent.isEmpty() ? items.end() : items.find(node.parent);
      auto* item = parent != items.end() ? new QTreeWidgetItem(parent->second) : new QTreeWidgetItem(tree);
      item->setText(0, node.text);
      item->setData(0, role, node.key);
      if (made) made(item, node);
      items[node.key] = item;
    }
    tree->setProperty("nodes", signature);
  } else {
    for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it) items[(*it)->data(0, role).toString()] = *it;
  }
  std::vector<QTreeWidgetItem*> ordered;
  for (const TreeNode& node : nodes) ordered.push_back(items[node.key]);
  return ordered;
}

}  // namespace gildex::desktop
