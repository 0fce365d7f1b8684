#include "desktop/face_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>
#include <initializer_list>

namespace gildex::desktop {

namespace {

using Draw = std::function<void(QPainter&)>;

QIcon Drawn(const Draw& draw, std::initializer_list<int> sizes = {16, 24, 32}) {
  QIcon icon;
  for (int size : sizes) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);
    draw(painter);
    icon.addPixmap(pixmap);
  }
  return icon;
}

// A page of code: the base of the insert and remove pictures.
void Page(QPainter& p) {
  p.setPen(QPen(QColor(90, 90, 90), 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(2.5, 1.5, 9, 12));
  p.setPen(QPen(QColor(40, 80, 160), 1));
  for (int y = 4; y <= 11; y += 2) p.drawLine(QPointF(4, y + 0.5), QPointF(9.5, y + 0.5));
}

void Badge(QPainter& p, QColor colour, bool plus) {
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawEllipse(QRectF(8, 8, 7.5, 7.5));
  p.setPen(QPen(Qt::white, 1.6));
  p.drawLine(QPointF(9.8, 11.75), QPointF(13.7, 11.75));
  if (plus) p.drawLine(QPointF(11.75, 9.8), QPointF(11.75, 13.7));
}

void Gear(QPainter& p) {
  p.setPen(QPen(QColor(70, 70, 70), 2.2));
  for (int i = 0; i < 8; ++i) {
    p.save();
    p.translate(8, 8);
    p.rotate(i * 45);
    p.drawLine(QPointF(0, 4.5), QPointF(0, 6.8));
    p.restore();
  }
  p.setPen(QPen(QColor(70, 70, 70), 1.2));
  p.setBrush(QColor(200, 200, 200));
  p.drawEllipse(QPointF(8, 8), 4.6, 4.6);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(8, 8), 1.8, 1.8);
}

void Letter(QPainter& p, QColor fill, const QString& text) {
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawEllipse(QRectF(1, 1, 14, 14));
  QFont font("DejaVu Sans");
  font.setBold(true);
  font.setPixelSize(11);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, text);
}

void Wand(QPainter& p) {
  p.setPen(QPen(QColor(60, 60, 60), 2));
  p.drawLine(QPointF(3, 13), QPointF(10, 6));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(240, 190, 30));
  QPainterPath star;
  star.moveTo(12, 1);
  star.lineTo(13, 4);
  star.lineTo(16, 5);
  star.lineTo(13, 6);
  star.lineTo(12, 9);
  star.lineTo(11, 6);
  star.lineTo(8, 5);
  star.lineTo(11, 4);
  star.closeSubpath();
  p.drawPath(star);
}

void Books(QPainter& p) {
  const QColor colours[] = {QColor(170, 60, 50), QColor(50, 110, 170), QColor(70, 140, 70)};
  for (int i = 0; i < 3; ++i) {
    p.setPen(QPen(QColor(50, 50, 50), 0.8));
    p.setBrush(colours[i]);
    p.drawRect(QRectF(2 + i * 4.2, 2.5, 3.6, 11.5));
  }
}

void Checklist(QPainter& p) {
  p.setPen(QPen(QColor(90, 90, 90), 1));
  p.setBrush(QColor(255, 250, 210));
  p.drawRect(QRectF(2.5, 1.5, 11, 13));
  p.setPen(QPen(QColor(30, 130, 30), 1.4));
  for (int y : {4, 8, 12}) {
    p.drawLine(QPointF(4, y), QPointF(5.2, y + 1.2));
    p.drawLine(QPointF(5.2, y + 1.2), QPointF(7, y - 1));
  }
  p.setPen(QPen(QColor(90, 90, 90), 1));
  for (int y : {4, 8, 12}) p.drawLine(QPointF(8.5, y + 0.5), QPointF(12, y + 0.5));
}

}  // namespace

QIcon FaceIcon(int face_id) {
  switch (face_id) {
    case 6:    // insert into a component
    case 231:  // insert, toolbar
      return Drawn([](QPainter& p) { Page(p); Badge(p, QColor(30, 150, 60), true); });
    case 7:    // remove
    case 232:  // remove, toolbar
      return Drawn([](QPainter& p) { Page(p); Badge(p, QColor(200, 50, 40), false); });
    case 10:   // options
    case 548:  // options, toolbar
      return Drawn(Gear);
    case 15:  // component information
      return Drawn([](QPainter& p) { Letter(p, QColor(40, 100, 190), "i"); });
    case 625:  // wizard
      return Drawn(Wand);
    case 46:  // code repository: the function finder
      return Drawn(Books);
    case 1046:  // To-Do list
      return Drawn(Checklist);
    case 1004:  // help
      return Drawn([](QPainter& p) { Letter(p, QColor(60, 120, 200), "?"); });
    default:
      return {};
  }
}

QIcon AppIcon() {
  return Drawn([](QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 150, 30));
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    p.setBrush(QColor(255, 230, 140));
    p.drawRoundedRect(QRectF(2.5, 2.5, 11, 11), 2, 2);
    QFont font("DejaVu Sans");
    font.setBold(true);
    font.setPixelSize(10);
    p.setFont(font);
    p.setPen(QColor(110, 70, 0));
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, "G");
  }, {16, 24, 32, 48, 64});  // up to the desktop's launcher size
}

}  // namespace gildex::desktop
