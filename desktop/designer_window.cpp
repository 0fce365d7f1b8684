#include "desktop/designer_window.h"

#include <qdrawutil.h>

#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "desktop/text.h"
#include "desktop/toolbox.h"
#include "workbench/code_window_model.h"

namespace gildex::desktop {

namespace {

using workbench::ControlView;
using workbench::DrawKind;
using workbench::Placement;

constexpr int kMargin = 10;    // the designer's background around the form
constexpr int kBorder = 4;     // the form's window frame
constexpr int kCaption = 18;   // its caption bar
constexpr int kMenuBar = 19;   // its menu bar, when it has menus

const QColor kFace(0xD4, 0xD0, 0xC8);
const QColor kShadow(0x80, 0x80, 0x80);
const QColor kSelection(0x0A, 0x24, 0x6A);

QColor Rgb(std::optional<std::uint32_t> colour, const QColor& fallback) {
  return colour ? QColor(static_cast<int>(*colour >> 16) & 0xFF, static_cast<int>(*colour >> 8) & 0xFF,
                         static_cast<int>(*colour) & 0xFF)
                : fallback;
}

QRect ToQt(const workbench::Rect& r) { return {r.x, r.y, r.width, r.height}; }

QFont FormFont() {
  QFont font("Tahoma");
  font.setPixelSize(11);
  // Forms are laid out for Tahoma: a wider stand-in is narrowed so that captions still fit.
  if (!QFontInfo(font).family().contains("Tahoma", Qt::CaseInsensitive)) font.setStretch(90);
  return font;
}

// The window frame, caption bar and menu bar around the client area; none for a user control.
struct Chrome {
  int border = 0, caption = 0, menu = 0;
};
Chrome ChromeOf(const workbench::DesignerModel& model) {
  if (!model.Windowed()) return {};
  return {kBorder, kCaption, model.MenuBar().empty() ? 0 : kMenuBar};
}

int Align(int alignment) { return alignment == 1 ? Qt::AlignRight : alignment == 2 ? Qt::AlignHCenter : Qt::AlignLeft; }

void Arrow(QPainter& p, const QRect& box, Qt::ArrowType direction, const QColor& colour = Qt::black) {
  const QPoint c = box.center();
  QPolygon triangle;
  switch (direction) {
    case Qt::UpArrow:
      triangle << QPoint(c.x() - 3, c.y() + 1) << QPoint(c.x() + 3, c.y() + 1) << QPoint(c.x(), c.y() - 2);
      break;
    case Qt::DownArrow:
      triangle << QPoint(c.x() - 3, c.y() - 1) << QPoint(c.x() + 3, c.y() - 1) << QPoint(c.x(), c.y() + 2);
      break;
    case Qt::LeftArrow:
      triangle << QPoint(c.x() + 1, c.y() - 3) << QPoint(c.x() + 1, c.y() + 3) << QPoint(c.x() - 2, c.y());
      break;
    default:
      triangle << QPoint(c.x() - 1, c.y() - 3) << QPoint(c.x() - 1, c.y() + 3) << QPoint(c.x() + 2, c.y());
      break;
  }
  p.save();
  p.setPen(colour);
  p.setBrush(colour);
  p.drawPolygon(triangle);
  p.restore();
}

void Button(QPainter& p, const QRect& r, bool sunken = false) {
  qDrawWinButton(&p, r.x(), r.y(), r.width(), r.height(), QPalette(kFace), sunken, nullptr);
  p.fillRect(r.adjusted(2, 2, -2, -2), kFace);
}

void Sunken(QPainter& p, const QRect& r, const QColor& fill, bool three_d = true) {
  if (three_d) {
    const QBrush brush(fill);
    qDrawWinPanel(&p, r.x(), r.y(), r.width(), r.height(), QPalette(kFace), true, &brush);
  } else {
    p.fillRect(r, fill);
    p.setPen(Qt::black);
    p.drawRect(r.adjusted(0, 0, -1, -1));
  }
}

void ScrollBar(QPainter& p, const QRect& r, bool horizontal) {
  p.fillRect(r, QColor(0xEE, 0xED, 0xE9));
  const int side = horizontal ? std::min(r.height(), r.width() / 3) : std::min(r.width(), r.height() / 3);
  if (side <= 0) return;
  QRect first = horizontal ? QRect(r.x(), r.y(), side, r.height()) : QRect(r.x(), r.y(), r.width(), side);
  QRect last = horizontal ? QRect(r.right() - side + 1, r.y(), side, r.height())
                          : QRect(r.x(), r.bottom() - side + 1, r.width(), side);
  QRect thumb = horizontal ? QRect(first.right() + 1, r.y(), side, r.height())
                           : QRect(r.x(), first.bottom() + 1, r.width(), side);
  Button(p, first);
  Button(p, last);
  Button(p, thumb);
  Arrow(p, first, horizontal ? Qt::LeftArrow : Qt::UpArrow);
  Arrow(p, last, horizontal ? Qt::RightArrow : Qt::DownArrow);
}

// What a control's look comes from: its view and its colours, text and font.
struct Look {
  const ControlView& view;
  QRect r;
  QColor back, fore;
  QString text;
};
constexpr int kMnemonic = Qt::TextShowMnemonic;

void PaintCheck(QPainter& p, const Look& c) {
  const QRect& r = c.r;
  p.fillRect(r, c.back);
  if (c.view.style == 1) {  // graphical: a button
    Button(p, r, c.view.value != 0);
    p.setPen(c.fore);
    p.drawText(r, Qt::AlignCenter | kMnemonic, c.text);
    return;
  }
  const bool right = c.view.alignment == 1;
  const QRect box(right ? r.right() - 13 : r.x(), r.y() + (r.height() - 13) / 2, 13, 13);
  if (c.view.kind == DrawKind::CheckBox) {
    Sunken(p, box, c.view.value == 2 ? kFace : Qt::white);
    if (c.view.value != 0) {
      p.setPen(QPen(c.view.value == 2 ? kShadow : Qt::black, 2));
      p.drawPolyline(
          QPolygon({box.topLeft() + QPoint(3, 6), box.topLeft() + QPoint(5, 9), box.topLeft() + QPoint(10, 3)}));
    }
  } else {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(kShadow);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
    if (c.view.value != 0) {
      p.setBrush(Qt::black);
      p.setPen(Qt::NoPen);
      p.drawEllipse(QRectF(box).adjusted(4, 4, -4, -4));
    }
    p.restore();
  }
  p.setPen(c.fore);
  const QRect label = right ? r.adjusted(0, 0, -17, 0) : r.adjusted(17, 0, 0, 0);
  p.drawText(label, Qt::AlignVCenter | Qt::AlignLeft | kMnemonic, c.text);
}

void PaintFrame(QPainter& p, const Look& c) {
  const QRect& r = c.r;
  p.fillRect(r, c.back);
  const QFontMetrics metrics(p.font());
  const int top = r.y() + metrics.height() / 2;
  if (c.view.border_style != 0) {
    p.setPen(kShadow);
    p.drawRect(QRect(r.x(), top, r.width() - 2, r.bottom() - top - 1));
    p.setPen(Qt::white);
    p.drawRect(QRect(r.x() + 1, top + 1, r.width() - 2, r.bottom() - top - 1));
  }
  if (!c.text.isEmpty()) {
    QString shown = c.text;
    shown.remove('&');
    const QRect caption(r.x() + 7, r.y(), metrics.horizontalAdvance(shown) + 4, metrics.height());
    p.fillRect(caption, c.back);
    p.setPen(c.fore);
    p.drawText(caption, Qt::AlignCenter | kMnemonic, c.text);
  }
}

void PaintFolders(QPainter& p, const Look& c) {
  const QRect& r = c.r;
  Sunken(p, r, Rgb(c.view.back_color, Qt::white), c.view.three_d);
  p.save();
  p.setClipRect(r.adjusted(2, 2, -2, -2));
  int y = r.y() + 3;
  for (const auto& [indent, name] : std::vector<std::pair<int, QString>>{{0, "c:\\"}, {8, "Program Files"}}) {
    p.fillRect(r.x() + 4 + indent, y + 3, 12, 9, QColor(0xE0, 0xC0, 0x40));
    p.setPen(Qt::black);
    p.drawText(QRect(r.x() + 20 + indent, y, r.width(), 15), Qt::AlignLeft | Qt::AlignVCenter, name);
    y += 15;
  }
  p.restore();
}

void PaintCombo(QPainter& p, const Look& c) {
  const QRect& r = c.r;
  const int height = std::min(r.height(), 21);
  const QRect field(r.x(), r.y(), r.width(), height);
  Sunken(p, field, Rgb(c.view.back_color, Qt::white), c.view.three_d);
  const QRect drop(field.right() - 17, field.y() + 2, 16, field.height() - 4);
  if (drop.width() > 0 && drop.height() > 0) {
    Button(p, drop);
    Arrow(p, drop, Qt::DownArrow);
  }
  p.setPen(c.fore);
  p.drawText(field.adjusted(4, 0, -20, 0), Qt::AlignLeft | Qt::AlignVCenter,
             c.view.kind == DrawKind::DriveListBox ? QString("c: [System]") : c.text);
  if (c.view.kind == DrawKind::ComboBox && c.view.style == 1 && r.height() > height)  // simple: its list below
    Sunken(p, QRect(r.x(), r.y() + height, r.width(), r.height() - height), Qt::white);
}

void PaintShape(QPainter& p, const Look& c) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(c.view.opaque ? QBrush(Rgb(c.view.back_color, Qt::white)) : QBrush(Qt::NoBrush));
  QRectF box = QRectF(c.r).adjusted(0.5, 0.5, -0.5, -0.5);
  const int shape = c.view.shape;
  if (shape == 1 || shape == 3 || shape == 5) {  // square, circle, rounded square
    const double side = std::min(box.width(), box.height());
    box = QRectF(box.center().x() - side / 2, box.center().y() - side / 2, side, side);
  }
  if (shape == 2 || shape == 3)
    p.drawEllipse(box);
  else if (shape == 4 || shape == 5)
    p.drawRoundedRect(box, box.width() / 8, box.height() / 8);
  else
    p.drawRect(box);
  p.restore();
}

void PaintData(QPainter& p, const Look& c) {
  const QRect& r = c.r;
  Button(p, r);
  const int side = std::min(r.height(), 16);
  const QRect first(r.x() + 1, r.y() + (r.height() - side) / 2, side, side);
  const QRect last(r.right() - side, first.y(), side, side);
  for (const QRect& b : {first, first.translated(side, 0), last.translated(-side, 0), last}) Button(p, b);
  Arrow(p, first.translated(side, 0), Qt::LeftArrow);
  Arrow(p, last.translated(-side, 0), Qt::RightArrow);
  Arrow(p, first, Qt::LeftArrow);
  Arrow(p, last, Qt::RightArrow);
  p.fillRect(first.x() + 4, first.y() + 4, 1, side - 8, Qt::black);
  p.fillRect(last.right() - 4, last.y() + 4, 1, side - 8, Qt::black);
  p.setPen(c.fore);
  p.drawText(r.adjusted(2 * side + 4, 0, -2 * side - 4, 0), Qt::AlignLeft | Qt::AlignVCenter | kMnemonic, c.text);
}

// A control of a class without a look of its own: an icon, or a labelled box.
void PaintOther(QPainter& p, const Look& c, const QColor& form_back) {
  const QRect& r = c.r;
  if (c.view.placement == Placement::Icon) {
    Button(p, r);
    p.setPen(Qt::black);
    p.drawText(r, Qt::AlignCenter, FromVb(c.view.class_name.substr(0, 3)));
    return;
  }
  p.fillRect(r, form_back.lighter(104));
  p.setPen(kShadow);
  p.drawRect(r.adjusted(0, 0, -1, -1));
  p.setPen(Qt::black);
  p.drawText(r.adjusted(2, 2, -2, -2), Qt::AlignCenter | Qt::TextWordWrap, c.text);
}

// A control whose look is a box, a text and a border: buttons, labels, text and list boxes,
// picture boxes, images, lines, scroll bars, timers and OLE containers.
void PaintPlain(QPainter& p, const Look& c) {
  const ControlView& view = c.view;
  const QRect& r = c.r;
  const QColor white_back = Rgb(view.back_color, Qt::white);
  switch (view.kind) {
    case DrawKind::CommandButton:
      Button(p, r);
      if (view.style == 1) p.fillRect(r.adjusted(2, 2, -2, -2), c.back);
      p.setPen(c.fore);
      p.drawText(r.adjusted(3, 2, -3, -2), Qt::AlignCenter | Qt::TextWordWrap | kMnemonic, c.text);
      break;
    case DrawKind::Label:
      if (view.opaque) p.fillRect(r, c.back);
      if (view.border_style != 0) Sunken(p, r, c.back, view.three_d);
      p.setPen(c.fore);
      p.drawText(r.adjusted(view.border_style ? 2 : 0, view.border_style ? 2 : 0, -1, 0),
                 Align(view.alignment) | Qt::AlignTop | Qt::TextWordWrap | kMnemonic, c.text);
      break;
    case DrawKind::TextBox:
      if (view.border_style != 0)
        Sunken(p, r, white_back, view.three_d);
      else
        p.fillRect(r, white_back);
      p.setPen(c.fore);
      p.drawText(r.adjusted(4, 3, -3, -2), Align(view.alignment) | Qt::AlignTop | Qt::TextWordWrap, c.text);
      break;
    case DrawKind::ListBox:
    case DrawKind::FileListBox:
      Sunken(p, r, white_back, view.three_d);
      p.setPen(c.fore);
      p.drawText(r.adjusted(4, 3, -3, -2), Qt::AlignLeft | Qt::AlignTop, c.text);
      break;
    case DrawKind::PictureBox:
      if (view.border_style != 0)
        Sunken(p, r, c.back, view.three_d);
      else
        p.fillRect(r, c.back);
      break;
    case DrawKind::Image:
      if (view.border_style == 1) Sunken(p, r, Qt::transparent, view.three_d);
      p.setPen(QPen(kShadow, 1, Qt::DotLine));
      p.setBrush(Qt::NoBrush);
      p.drawRect(r.adjusted(0, 0, -1, -1));
      break;
    case DrawKind::Line:
      p.setPen(QPen(Qt::black, 1));
      p.drawLine(view.from.x, view.from.y, view.to.x, view.to.y);
      break;
    case DrawKind::HScrollBar:
    case DrawKind::VScrollBar:
      ScrollBar(p, r, view.kind == DrawKind::HScrollBar);
      break;
    case DrawKind::Timer:
      Button(p, r);
      ToolIcon("Timer").paint(&p, r.adjusted(4, 4, -4, -4));
      break;
    case DrawKind::OLE:
      p.fillRect(r, white_back);
      p.setPen(Qt::black);
      p.drawRect(r.adjusted(0, 0, -1, -1));
      break;
    default:
      break;
  }
}

// One control as VB6 draws it at design time.
void Paint(QPainter& p, const ControlView& view, const QColor& form_back) {
  const Look look{view, ToQt(view.rect), Rgb(view.back_color, kFace), Rgb(view.fore_color, Qt::black), FromVb(view.text)};
  p.setPen(look.fore);
  switch (view.kind) {
    case DrawKind::CheckBox:
    case DrawKind::OptionButton:
      return PaintCheck(p, look);
    case DrawKind::Frame:
      return PaintFrame(p, look);
    case DrawKind::DirListBox:
      return PaintFolders(p, look);
    case DrawKind::ComboBox:
    case DrawKind::DriveListBox:
      return PaintCombo(p, look);
    case DrawKind::Shape:
      return PaintShape(p, look);
    case DrawKind::Data:
      return PaintData(p, look);
    case DrawKind::Menu:
    case DrawKind::Other:
      return PaintOther(p, look, form_back);
    default:
      return PaintPlain(p, look);
  }
}

}  // namespace

DesignerWindow::DesignerWindow(host::MemoryComponent& component, std::function<bool()> alive, Toolbox* toolbox,
                               QWidget* parent)
    : QWidget(parent), component_(&component), alive_(std::move(alive)), toolbox_(toolbox) {
  setObjectName("DesignerWindow");
  setFocusPolicy(Qt::StrongFocus);
  setAutoFillBackground(true);
  QPalette background = palette();
  background.setColor(QPalette::Window, Qt::white);
  setPalette(background);
  setMouseTracking(true);
  model_ = std::make_unique<workbench::DesignerModel>(*component.GetDesigner(), component.File().parent_path());
  gesture_ = std::make_unique<workbench::DesignerGesture>(*model_);
  setMinimumSize(sizeHint());
}

bool DesignerWindow::Live() {
  if (model_ && alive_ && !alive_()) Detach();
  return model_ != nullptr;
}

void DesignerWindow::Detach() {
  gesture_.reset();
  model_.reset();
  component_ = nullptr;
  update();
}

void DesignerWindow::Redraw() {
  if (!Live()) return;
  model_->Reload();
  setMinimumSize(sizeHint());
  update();
}

QPoint DesignerWindow::ClientOrigin() const {
  const Chrome chrome = model_ ? ChromeOf(*model_) : Chrome{};
  return {kMargin + chrome.border, kMargin + chrome.border + chrome.caption + chrome.menu};
}

QSize DesignerWindow::sizeHint() const {
  if (!model_) return {200, 100};
  const QPoint origin = ClientOrigin();
  const int border = ChromeOf(*model_).border;
  return {origin.x() + model_->ClientWidth() + border + kMargin,
          origin.y() + model_->ClientHeight() + border + kMargin};
}

workbench::Point DesignerWindow::FormPoint(const QPoint& at) const {
  const QPoint inside = at - ClientOrigin();
  return {inside.x(), inside.y()};
}

void DesignerWindow::paintEvent(QPaintEvent*) {
  if (!Live()) return;
  QPainter p(this);
  p.setFont(FormFont());
  const QRect client(ClientOrigin(), QSize(model_->ClientWidth(), model_->ClientHeight()));
  // The window around the client area: frame, caption bar with its buttons, menu bar.
  if (model_->Windowed()) {
    PaintWindow(p, client, ChromeOf(*model_).menu);
  } else {
    p.setPen(kShadow);
    p.drawRect(client.adjusted(-1, -1, 0, 0));
  }
  PaintClient(p, client);
}

void DesignerWindow::PaintWindow(QPainter& p, const QRect& client, int menu) {
  const QRect frame(kMargin, kMargin, client.width() + 2 * kBorder, client.height() + 2 * kBorder + kCaption + menu);
  qDrawWinButton(&p, frame, QPalette(kFace), false, nullptr);
  p.fillRect(frame.adjusted(2, 2, -2, -2), kFace);
  const QRect caption(frame.x() + kBorder, frame.y() + kBorder, client.width(), kCaption - 1);
  QLinearGradient blue(caption.topLeft(), caption.topRight());
  blue.setColorAt(0, QColor(0x0A, 0x24, 0x6A));
  blue.setColorAt(1, QColor(0xA6, 0xCA, 0xF0));
  p.fillRect(caption, blue);
  QFont bold = FormFont();
  bold.setBold(true);
  p.setFont(bold);
  p.setPen(Qt::white);
  const bool dialog = model_->BorderStyle() == 3 || model_->BorderStyle() == 4 || model_->BorderStyle() == 5;
  if (!dialog) ToolIcon("Frame").paint(&p, QRect(caption.x() + 1, caption.y() + 1, 16, 16));
  p.drawText(caption.adjusted(dialog ? 4 : 20, 0, -60, 0), Qt::AlignVCenter | Qt::AlignLeft, FromVb(model_->Caption()));
  p.setFont(FormFont());
  int right = caption.right() - 2;
  for (int i = 0; i < (dialog ? 1 : 3); ++i) {
    const QRect box(right - 15, caption.y() + 2, 16, 14);
    Button(p, box);
    p.setPen(Qt::black);
    if (i == 0) {
      p.drawLine(box.x() + 4, box.y() + 3, box.x() + 11, box.y() + 10);
      p.drawLine(box.x() + 11, box.y() + 3, box.x() + 4, box.y() + 10);
    } else if (i == 1) {
      p.drawRect(box.x() + 3, box.y() + 3, 9, 7);
      p.drawLine(box.x() + 3, box.y() + 4, box.x() + 12, box.y() + 4);
    } else {
      p.fillRect(box.x() + 4, box.y() + 9, 6, 2, Qt::black);
    }
    right -= i == 0 ? 18 : 16;
  }
  if (menu != 0) {
    int x = client.x() + 6;
    for (const std::string& entry : model_->MenuBar()) {
      const QString shown = FromVb(entry);
      const QRect place(x, client.y() - menu, p.fontMetrics().horizontalAdvance(QString(shown).remove('&')) + 12, menu);
      p.setPen(Qt::black);
      p.drawText(place, Qt::AlignCenter | Qt::TextShowMnemonic, shown);
      x = place.right() + 1;
    }
  }
}

void DesignerWindow::PaintClient(QPainter& p, const QRect& client) {
  const QPoint origin = client.topLeft();
  // The client area with its grid, then the controls back to front, each inside its container.
  const QColor back = model_->MdiForm() ? QColor(0x80, 0x80, 0x80) : Rgb(model_->BackColor(), kFace);
  p.fillRect(client, back);
  if (!model_->MdiForm()) {
    p.setPen(back.lightness() > 128 ? Qt::black : Qt::white);
    const int grid_x = std::max(2, static_cast<int>(model_->Grid().width / workbench::kTwipsPerPixel));
    const int grid_y = std::max(2, static_cast<int>(model_->Grid().height / workbench::kTwipsPerPixel));
    for (int y = 0; y < client.height(); y += grid_y)
      for (int x = 0; x < client.width(); x += grid_x) p.drawPoint(client.x() + x, client.y() + y);
  }
  p.save();
  p.translate(origin);
  std::vector<host::VBControl*> selected = model_->Designer().SelectedVBControls();
  for (const ControlView& view : model_->Views()) {
    p.save();
    p.setClipRect(ToQt(view.clip));
    Paint(p, view, back);
    p.restore();
  }
  const workbench::Rect form_area{0, 0, model_->ClientWidth(), model_->ClientHeight()};
  if (selected.empty()) {
    for (workbench::Handle handle : workbench::FormHandles()) {
      const QRect square = ToQt(workbench::HandleRect(form_area, handle)).adjusted(0, 0, -1, -1);
      p.fillRect(square, kSelection);
    }
  }
  // Selection handles: filled for the one control that can be resized, hollow for a group.
  for (host::VBControl* control : selected) {
    const ControlView* view = model_->ViewOf(control);
    if (view == nullptr) continue;
    const bool single = selected.size() == 1;
    p.setPen(single ? kSelection : Qt::black);
    for (auto handle : {workbench::Handle::TopLeft, workbench::Handle::Top, workbench::Handle::TopRight,
                        workbench::Handle::Right, workbench::Handle::BottomRight, workbench::Handle::Bottom,
                        workbench::Handle::BottomLeft, workbench::Handle::Left}) {
      const QRect square = ToQt(workbench::HandleRect(view->rect, handle)).adjusted(0, 0, -1, -1);
      p.fillRect(square, single ? kSelection : Qt::white);
      p.drawRect(square);
    }
  }
  // The outline of a drag under way.
  p.setPen(QPen(Qt::black, 1, Qt::DotLine));
  p.setBrush(Qt::NoBrush);
  for (const workbench::Rect& outline : gesture_->Outline()) p.drawRect(ToQt(outline).adjusted(0, 0, -1, -1));
  p.restore();
}

template <class Edit>
void DesignerWindow::Change(Edit edit) {
  try {
    edit();
  } catch (const VbError& error) {
    Q_EMIT problem(FromVb(error.Description()));
  }
  Redraw();
  Q_EMIT changed();
}

void DesignerWindow::AddControl(const std::string& class_name) {
  if (Live()) Change([&] { model_->Add(class_name); });
}

void DesignerWindow::DeleteSelection() {
  if (Live() && !model_->Designer().SelectedVBControls().empty()) Change([&] { model_->DeleteSelection(); });
}

void DesignerWindow::Arrange(workbench::IdeAction action) {
  if (!Live() || !model_->CanArrange()) return;
  Change([&] {
    if (action == workbench::IdeAction::BringToFront) model_->BringToFront();
    if (action == workbench::IdeAction::SendToBack) model_->SendToBack();
    if (action == workbench::IdeAction::AlignToGrid) model_->AlignToGrid();
  });
}

void DesignerWindow::mousePressEvent(QMouseEvent* event) {
  if (!Live()) return;
  setFocus();
  const workbench::Point at = FormPoint(event->position().toPoint());
  // A chosen tool places its control at the click.
  if (event->button() == Qt::LeftButton && toolbox_ != nullptr && !toolbox_->Chosen().empty() && gesture_->OnForm(at)) {
    const std::string class_name = toolbox_->Chosen();
    toolbox_->Reset();
    Change([&] { model_->AddAt(class_name, at); });
    return;
  }
  const workbench::MouseButton button = event->button() == Qt::LeftButton    ? workbench::MouseButton::Left
                                        : event->button() == Qt::RightButton ? workbench::MouseButton::Right
                                                                             : workbench::MouseButton::Other;
  const auto pressed = gesture_->Press(at, button, event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
  if (!pressed.selection_changed) return;
  update();
  Q_EMIT selectionChanged();
  if (!pressed.menu.empty()) Q_EMIT contextMenu(pressed.menu, event->globalPosition().toPoint());
}

void DesignerWindow::mouseMoveEvent(QMouseEvent* event) {
  if (!Live() || !gesture_->Active()) return;
  gesture_->Move(FormPoint(event->position().toPoint()));
  update();
}

void DesignerWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (!Live()) return;
  switch (gesture_->Release(FormPoint(event->position().toPoint()))) {
    case workbench::DesignerGesture::Ending::None:
      return;
    case workbench::DesignerGesture::Ending::Click:
      update();
      return;
    case workbench::DesignerGesture::Ending::Selected:
      update();
      Q_EMIT selectionChanged();
      return;
    case workbench::DesignerGesture::Ending::Edit:
      Change([&] { gesture_->Apply(); });
      return;
  }
}

void DesignerWindow::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!Live() || event->button() != Qt::LeftButton) return;
  gesture_->Cancel();
  host::VBControl* control = model_->HitTest(FormPoint(event->position().toPoint()));
  long line = 0;
  Change([&] { line = workbench::OpenDefaultEvent(*component_, control); });
  Q_EMIT viewCode(line);
}

void DesignerWindow::keyPressEvent(QKeyEvent* event) {
  if (!Live()) return;
  if (event->key() == Qt::Key_Delete) {
    DeleteSelection();
    return;
  }
  // Ctrl and an arrow key nudge the selection by one pixel.
  if (event->modifiers() & Qt::ControlModifier) {
    const int dx = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0;
    const int dy = event->key() == Qt::Key_Up ? -1 : event->key() == Qt::Key_Down ? 1 : 0;
    if (dx != 0 || dy != 0) {
      Change([&] { model_->MoveSelection(dx, dy); });
      return;
    }
  }
  QWidget::keyPressEvent(event);
}

}  // namespace gildex::desktop
