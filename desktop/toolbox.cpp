#include "desktop/toolbox.h"

#include <qdrawutil.h>

#include <QButtonGroup>
#include <QEvent>
#include <QGridLayout>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

#include "workbench/designer_model.h"

namespace gildex::desktop {

namespace {

using workbench::DrawKind;

const QColor kFace(0xD4, 0xD0, 0xC8);

void ToolText(QPainter& p, const QRect& r, const QString& s, int size, bool bold = false) {
  QFont font("Sans");
  font.setPixelSize(size);
  font.setBold(bold);
  p.setFont(font);
  p.setPen(Qt::black);
  p.drawText(r, Qt::AlignCenter, s);
}

// The tools of the controls that show text or a value: false for the others.
bool DrawValueTool(QPainter& p, DrawKind kind, const std::string& class_name) {
  const QPalette palette(kFace);
  switch (kind) {
    case DrawKind::PictureBox:
      qDrawWinPanel(&p, 2, 3, 16, 14, palette, true);
      p.fillRect(4, 5, 12, 10, QColor(0x80, 0xC0, 0xFF));
      p.setBrush(QColor(0x00, 0x80, 0x00));
      p.setPen(Qt::NoPen);
      p.drawPolygon(QPolygon({QPoint(4, 15), QPoint(9, 8), QPoint(13, 15)}));
      p.setBrush(Qt::yellow);
      p.drawEllipse(QPoint(13, 8), 2, 2);
      break;
    case DrawKind::Label:
      ToolText(p, QRect(0, 0, 20, 20), "A", 16, true);
      break;
    case DrawKind::TextBox:
      p.fillRect(2, 4, 16, 12, Qt::white);
      p.setPen(Qt::black);
      p.drawRect(2, 4, 15, 11);
      ToolText(p, QRect(2, 4, 13, 12), "ab", 9);
      p.drawLine(15, 6, 15, 13);
      break;
    case DrawKind::Frame:
      p.setPen(QColor(0x80, 0x80, 0x80));
      p.drawRect(2, 6, 15, 11);
      p.setPen(Qt::white);
      p.drawRect(3, 7, 15, 11);
      p.fillRect(4, 2, 12, 9, kFace);
      ToolText(p, QRect(4, 1, 12, 10), "xy", 9);
      break;
    case DrawKind::CommandButton:
      qDrawWinButton(&p, 2, 5, 16, 11, palette, false);
      break;
    case DrawKind::CheckBox:
      qDrawWinPanel(&p, 3, 3, 14, 14, palette, true, nullptr);
      p.fillRect(5, 5, 10, 10, Qt::white);
      p.setPen(QPen(Qt::black, 2));
      p.drawPolyline(QPolygon({QPoint(6, 10), QPoint(8, 13), QPoint(14, 6)}));
      break;
    case DrawKind::OptionButton:
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(QColor(0x80, 0x80, 0x80));
      p.setBrush(Qt::white);
      p.drawEllipse(QRectF(3.5, 3.5, 13, 13));
      p.setBrush(Qt::black);
      p.setPen(Qt::NoPen);
      p.drawEllipse(QRectF(7.5, 7.5, 5, 5));
      break;
    case DrawKind::ComboBox:
    case DrawKind::DriveListBox:
      p.fillRect(1, 5, 18, 11, Qt::white);
      p.setPen(Qt::black);
      p.drawRect(1, 5, 17, 10);
      qDrawWinButton(&p, 11, 6, 7, 9, palette, false);
      p.setBrush(Qt::black);
      p.drawPolygon(QPolygon({QPoint(12, 9), QPoint(16, 9), QPoint(14, 11)}));
      if (class_name == "DriveListBox") {
        p.fillRect(3, 8, 6, 4, QColor(0x80, 0x80, 0x80));
        p.fillRect(4, 9, 1, 1, Qt::green);
      } else {
        p.drawLine(3, 10, 9, 10);
      }
      break;
    default:
      return false;
  }
  return true;
}

// The tools of lists, scroll bars and the controls that draw or hold: false for the others.
bool DrawListOrGraphicTool(QPainter& p, DrawKind kind, const std::string& class_name) {
  const QPalette palette(kFace);
  switch (kind) {
    case DrawKind::ListBox:
    case DrawKind::FileListBox:
      p.fillRect(2, 2, 16, 16, Qt::white);
      p.setPen(Qt::black);
      p.drawRect(2, 2, 15, 15);
      for (int y : {5, 8, 11, 14}) p.drawLine(4, y, class_name == "FileListBox" ? 9 : 12, y);
      if (class_name == "FileListBox") {
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.drawRect(11, 4, 5, 7);
      } else {
        qDrawWinButton(&p, 13, 3, 4, 14, palette, false);
      }
      break;
    case DrawKind::DirListBox:
      p.fillRect(2, 2, 16, 16, Qt::white);
      p.setPen(Qt::black);
      p.drawRect(2, 2, 15, 15);
      p.fillRect(4, 5, 7, 5, QColor(0xE0, 0xC0, 0x40));
      p.fillRect(8, 11, 7, 5, QColor(0xE0, 0xC0, 0x40));
      break;
    case DrawKind::HScrollBar:
      p.fillRect(1, 6, 18, 8, QColor(0xE8, 0xE8, 0xE8));
      qDrawWinButton(&p, 1, 6, 6, 8, palette, false);
      qDrawWinButton(&p, 13, 6, 6, 8, palette, false);
      qDrawWinButton(&p, 8, 6, 4, 8, palette, false);
      break;
    case DrawKind::VScrollBar:
      p.fillRect(6, 1, 8, 18, QColor(0xE8, 0xE8, 0xE8));
      qDrawWinButton(&p, 6, 1, 8, 6, palette, false);
      qDrawWinButton(&p, 6, 13, 8, 6, palette, false);
      qDrawWinButton(&p, 6, 8, 8, 4, palette, false);
      break;
    case DrawKind::Timer:
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(Qt::black);
      p.setBrush(Qt::white);
      p.drawEllipse(QRectF(3.5, 4.5, 13, 13));
      p.drawLine(QPointF(10, 11), QPointF(10, 6.5));
      p.drawLine(QPointF(10, 11), QPointF(13, 11));
      p.fillRect(QRectF(8.5, 1.5, 3, 2), Qt::black);
      break;
    case DrawKind::Shape:
      p.setPen(Qt::black);
      p.setBrush(QColor(0xFF, 0xFF, 0x80));
      p.drawRect(2, 8, 9, 9);
      p.setBrush(QColor(0x80, 0xFF, 0x80));
      p.drawEllipse(8, 3, 10, 8);
      break;
    case DrawKind::Line:
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(QPen(Qt::black, 1.5));
      p.drawLine(QPointF(3, 17), QPointF(17, 3));
      break;
    case DrawKind::Image:
      p.setPen(Qt::black);
      p.drawRect(2, 3, 15, 13);
      p.fillRect(3, 4, 14, 12, QColor(0xC0, 0xE0, 0xFF));
      p.setBrush(QColor(0x60, 0x60, 0x60));
      p.setPen(Qt::NoPen);
      p.drawPolygon(QPolygon({QPoint(3, 16), QPoint(8, 8), QPoint(12, 13), QPoint(14, 10), QPoint(17, 16)}));
      break;
    case DrawKind::Data:
      qDrawWinButton(&p, 1, 5, 18, 10, palette, false);
      p.setBrush(Qt::black);
      p.setPen(Qt::black);
      p.drawPolygon(QPolygon({QPoint(7, 7), QPoint(7, 12), QPoint(4, 9)}));
      p.drawPolygon(QPolygon({QPoint(12, 7), QPoint(12, 12), QPoint(15, 9)}));
      break;
    case DrawKind::OLE:
      ToolText(p, QRect(0, 0, 20, 20), "OLE", 8, true);
      break;
    default:
      return false;
  }
  return true;
}

// Each tool's picture, 20 pixels square, in the spirit of VB6's own.
void DrawTool(QPainter& p, const std::string& class_name) {
  p.setRenderHint(QPainter::Antialiasing, false);
  if (class_name.empty()) {  // the pointer: an arrow
    QPolygon arrow;
    arrow << QPoint(7, 2) << QPoint(7, 16) << QPoint(10, 13) << QPoint(12, 18) << QPoint(14, 17) << QPoint(12, 12)
          << QPoint(16, 12);
    p.setBrush(Qt::white);
    p.setPen(Qt::black);
    p.drawPolygon(arrow);
    return;
  }
  const DrawKind kind = workbench::DrawKindOf(class_name);
  if (!DrawValueTool(p, kind, class_name) && !DrawListOrGraphicTool(p, kind, class_name))
    ToolText(p, QRect(0, 0, 20, 20), QString::fromStdString(class_name.substr(0, 3)), 8);
}

}  // namespace

QIcon ToolIcon(const std::string& class_name) {
  QPixmap picture(20, 20);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  DrawTool(painter, class_name);
  return QIcon(picture);
}

Toolbox::Toolbox(QWidget* parent) : QDockWidget("General", parent) {
  setObjectName("Toolbox");
  auto* body = new QWidget(this);
  auto* grid = new QGridLayout(body);
  grid->setContentsMargins(2, 2, 2, 2);
  grid->setSpacing(1);
  group_ = new QButtonGroup(this);
  group_->setExclusive(true);
  std::vector<std::string> classes{""};
  for (const std::string& name : workbench::ToolboxClasses()) classes.push_back(name);
  for (std::size_t i = 0; i < classes.size(); ++i) {
    auto* tool = new QToolButton(body);
    const std::string& name = classes[i];
    tool->setObjectName(QString::fromStdString("tool" + (name.empty() ? std::string("Pointer") : name)));
    tool->setProperty("class_name", QString::fromStdString(name));
    tool->setToolTip(name.empty() ? QString("Pointer") : QString::fromStdString(name));
    tool->setIcon(ToolIcon(name));
    tool->setIconSize(QSize(20, 20));
    tool->setFixedSize(26, 26);
    tool->setCheckable(true);
    tool->setAutoRaise(true);
    tool->installEventFilter(this);
    group_->addButton(tool);
    grid->addWidget(tool, static_cast<int>(i / 2), static_cast<int>(i % 2));
  }
  grid->setRowStretch(static_cast<int>(classes.size() / 2) + 1, 1);
  grid->setColumnStretch(2, 1);
  setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
  setMinimumWidth(84);
  Reset();
  setWidget(body);
}

std::string Toolbox::Chosen() const {
  QAbstractButton* tool = group_->checkedButton();
  return tool == nullptr ? std::string() : tool->property("class_name").toString().toStdString();
}

void Toolbox::Reset() { Tool("")->setChecked(true); }

QToolButton* Toolbox::Tool(const std::string& class_name) const {
  for (QAbstractButton* tool : group_->buttons())
    if (tool->property("class_name").toString().toStdString() == class_name) return static_cast<QToolButton*>(tool);
  return nullptr;
}

bool Toolbox::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick) {
    const QString name = watched->property("class_name").toString();
    if (!name.isEmpty()) {
      Reset();
      Q_EMIT addRequested(name);
      return true;
    }
  }
  return QDockWidget::eventFilter(watched, event);
}

}  // namespace gildex::desktop
