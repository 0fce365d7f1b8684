#include "desktop/window_parts.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>

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

}  // namespace gildex::desktop
