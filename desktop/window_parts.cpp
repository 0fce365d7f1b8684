#include "desktop/window_parts.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QTreeWidget>
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

}  // namespace gildex::desktop
