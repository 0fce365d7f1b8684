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
constexpr int kDragStart = 3;  // pixels the mouse moves before a press becomes a drag
// The form's own handles, shown while it is selected.
constexpr workbench::Handle kFormHandles[] = {workbench::Handle::Right, workbench::Handle::BottomRight,
                                              workbench::Handle::Bottom};

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

// One control as VB6 draws it at design time.
void Paint(QPainter& p, const ControlView& view, const QColor& form_back) {
  const QRect r = ToQt(view.rect);
  const QColor back = Rgb(view.back_color, kFace);
  const QColor fore = Rgb(view.fore_color, Qt::black);
  const QString text = FromVb(view.text);
  const int mnemonic = Qt::TextShowMnemonic;
  p.setPen(fore);
  switch (view.kind) {
    case DrawKind::CommandButton:
      Button(p, r);
      if (view.style == 1) p.fillRect(r.adjusted(2, 2, -2, -2), back);
      p.setPen(fore);
      p.drawText(r.adjusted(3, 2, -3, -2), Qt::AlignCenter | Qt::TextWordWrap | mnemonic, text);
      break;
    case DrawKind::Label:
      if (view.opaque) p.fillRect(r, back);
      if (view.border_style != 0) Sunken(p, r, back, view.three_d);
      p.setPen(fore);
      p.drawText(r.adjusted(view.border_style ? 2 : 0, view.border_style ? 2 : 0, -1, 0),
                 Align(view.alignment) | Qt::AlignTop | Qt::TextWordWrap | mnemonic, text);
      break;
    case DrawKind::TextBox:
      if (view.border_style != 0)
        Sunken(p, r, Rgb(view.back_color, Qt::white), view.three_d);
      else
        p.fillRect(r, Rgb(view.back_color, Qt::white));
      p.setPen(fore);
      p.drawText(r.adjusted(4, 3, -3, -2), Align(view.alignment) | Qt::AlignTop | Qt::TextWordWrap, text);
      break;
    case DrawKind::CheckBox:
    case DrawKind::OptionButton: {
      p.fillRect(r, back);
      if (view.style == 1) {  // graphical: a button
        Button(p, r, view.value != 0);
        p.setPen(fore);
        p.drawText(r, Qt::AlignCenter | mnemonic, text);
        break;
      }
      const bool right = view.alignment == 1;
      const QRect box(right ? r.right() - 13 : r.x(), r.y() + (r.height() - 13) / 2, 13, 13);
      if (view.kind == DrawKind::CheckBox) {
        Sunken(p, box, view.value == 2 ? kFace : Qt::white);
        if (view.value != 0) {
          p.setPen(QPen(view.value == 2 ? kShadow : Qt::black, 2));
          p.drawPolyline(
              QPolygon({box.topLeft() + QPoint(3, 6), box.topLeft() + QPoint(5, 9), box.topLeft() + QPoint(10, 3)}));
        }
      } else {
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(kShadow);
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
        if (view.value != 0) {
          p.setBrush(Qt::black);
          p.setPen(Qt::NoPen);
          p.drawEllipse(QRectF(box).adjusted(4, 4, -4, -4));
        }
        p.restore();
      }
      p.setPen(fore);
      const QRect label = right ? r.adjusted(0, 0, -17, 0) : r.adjusted(17, 0, 0, 0);
      p.drawText(label, Qt::AlignVCenter | Qt::AlignLeft | mnemonic, text);
      break;
    }
    case DrawKind::Frame: {
      p.fillRect(r, back);
      const QFontMetrics metrics(p.font());
      const int top = r.y() + metrics.height() / 2;
      if (view.border_style != 0) {
        p.setPen(kShadow);
        p.drawRect(QRect(r.x(), top, r.width() - 2, r.bottom() - top - 1));
        p.setPen(Qt::white);
        p.drawRect(QRect(r.x() + 1, top + 1, r.width() - 2, r.bottom() - top - 1));
      }
      if (!text.isEmpty()) {
        QString shown = text;
        shown.remove('&');
        const QRect caption(r.x() + 7, r.y(), metrics.horizontalAdvance(shown) + 4, metrics.height());
        p.fillRect(caption, back);
        p.setPen(fore);
        p.drawText(caption, Qt::AlignCenter | mnemonic, text);
      }
      break;
    }
    case DrawKind::ListBox:
    case DrawKind::FileListBox:
      Sunken(p, r, Rgb(view.back_color, Qt::white), view.three_d);
      p.setPen(fore);
      p.drawText(r.adjusted(4, 3, -3, -2), Qt::AlignLeft | Qt::AlignTop, text);
      break;
    case DrawKind::DirListBox: {
      Sunken(p, r, Rgb(view.back_color, Qt::white), view.three_d);
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
      break;
    }
    case DrawKind::ComboBox:
    case DrawKind::DriveListBox: {
      const int height = std::min(r.height(), 21);
      const QRect field(r.x(), r.y(), r.width(), height);
      Sunken(p, field, Rgb(view.back_color, Qt::white), view.three_d);
      const QRect drop(field.right() - 17, field.y() + 2, 16, field.height() - 4);
      if (drop.width() > 0 && drop.height() > 0) {
        Button(p, drop);
        Arrow(p, drop, Qt::DownArrow);
      }
      p.setPen(fore);
      p.drawText(field.adjusted(4, 0, -20, 0), Qt::AlignLeft | Qt::AlignVCenter,
                 view.kind == DrawKind::DriveListBox ? QString("c: [System]") : text);
      if (view.kind == DrawKind::ComboBox && view.style == 1 && r.height() > height)  // simple: its list below
        Sunken(p, QRect(r.x(), r.y() + height, r.width(), r.height() - height), Qt::white);
      break;
    }
    case DrawKind::PictureBox:
      if (view.border_style != 0)
        Sunken(p, r, back, view.three_d);
      else
        p.fillRect(r, back);
      break;
    case DrawKind::Image:
      if (view.border_style == 1) Sunken(p, r, Qt::transparent, view.three_d);
      p.setPen(QPen(kShadow, 1, Qt::DotLine));
      p.setBrush(Qt::NoBrush);
      p.drawRect(r.adjusted(0, 0, -1, -1));
      break;
    case DrawKind::Shape: {
      p.save();
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(QPen(Qt::black, 1));
      p.setBrush(view.opaque ? QBrush(Rgb(view.back_color, Qt::white)) : QBrush(Qt::NoBrush));
      QRectF box = QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
      if (view.shape == 1 || view.shape == 3 || view.shape == 5) {  // square, circle, rounded square
        const double side = std::min(box.width(), box.height());
        box = QRectF(box.center().x() - side / 2, box.center().y() - side / 2, side, side);
      }
      if (view.shape == 2 || view.shape == 3)
        p.drawEllipse(box);
      else if (view.shape == 4 || view.shape == 5)
        p.drawRoundedRect(box, box.width() / 8, box.height() / 8);
      else
        p.drawRect(box);
      p.restore();
      break;
    }
    case DrawKind::Line:
      p.setPen(QPen(Qt::black, 1));
      p.drawLine(view.from.x, view.from.y, view.to.x, view.to.y);
      break;
    case DrawKind::HScrollBar:
      ScrollBar(p, r, true);
      break;
    case DrawKind::VScrollBar:
      ScrollBar(p, r, false);
      break;
    case DrawKind::Timer:
      Button(p, r);
      ToolIcon("Timer").paint(&p, r.adjusted(4, 4, -4, -4));
      break;
    case DrawKind::Data: {
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
      p.setPen(fore);
      p.drawText(r.adjusted(2 * side + 4, 0, -2 * side - 4, 0), Qt::AlignLeft | Qt::AlignVCenter | mnemonic, text);
      break;
    }
    case DrawKind::OLE:
      p.fillRect(r, Rgb(view.back_color, Qt::white));
      p.setPen(Qt::black);
      p.drawRect(r.adjusted(0, 0, -1, -1));
      break;
    default:
      if (view.placement == Placement::Icon) {
        Button(p, r);
        p.setPen(Qt::black);
        p.drawText(r, Qt::AlignCenter, FromVb(view.class_name.substr(0, 3)));
      } else {
        p.fillRect(r, form_back.lighter(104));
        p.setPen(kShadow);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(Qt::black);
        p.drawText(r.adjusted(2, 2, -2, -2), Qt::AlignCenter | Qt::TextWordWrap, text);
      }
      break;
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
  setMinimumSize(sizeHint());
}

bool DesignerWindow::Live() {
  if (model_ && alive_ && !alive_()) Detach();
  return model_ != nullptr;
}

void DesignerWindow::Detach() {
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
    for (workbench::Handle handle : kFormHandles) {
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
  if (dragging_) {
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    const QPoint delta = dragged_ - *pressed_;
    if (resizing_form_) {
      p.drawRect(ToQt(workbench::Resized(form_area, handle_, delta.x(), delta.y())).adjusted(0, 0, -1, -1));
    } else if (lasso_) {
      p.drawRect(QRect(*pressed_, dragged_).normalized().translated(-ClientOrigin()));
    } else if (resizing_ != nullptr) {
      if (const ControlView* view = model_->ViewOf(resizing_))
        p.drawRect(ToQt(workbench::Resized(view->rect, handle_, delta.x(), delta.y())).adjusted(0, 0, -1, -1));
    } else {
      for (host::VBControl* control : selected)
        if (const ControlView* view = model_->ViewOf(control))
          p.drawRect(ToQt(view->rect).translated(delta).adjusted(0, 0, -1, -1));
    }
  }
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
  const bool on_form = at.x >= 0 && at.y >= 0 && at.x < model_->ClientWidth() && at.y < model_->ClientHeight();
  // A chosen tool places its control at the click.
  if (event->button() == Qt::LeftButton && toolbox_ != nullptr && !toolbox_->Chosen().empty() && on_form) {
    const std::string class_name = toolbox_->Chosen();
    toolbox_->Reset();
    Change([&] { model_->AddAt(class_name, at); });
    return;
  }
  // The handles of the one selected control resize it, those of the form (selected when no
  // control is) the form.
  const std::vector<host::VBControl*> selected = model_->Designer().SelectedVBControls();
  if (event->button() == Qt::LeftButton && selected.empty()) {
    const workbench::Handle handle = workbench::HandleAt({0, 0, model_->ClientWidth(), model_->ClientHeight()}, at);
    if (std::find(std::begin(kFormHandles), std::end(kFormHandles), handle) != std::end(kFormHandles)) {
      resizing_form_ = true;
      handle_ = handle;
      pressed_ = dragged_ = event->position().toPoint();
      return;
    }
  }
  if (event->button() == Qt::LeftButton && selected.size() == 1) {
    if (const ControlView* view = model_->ViewOf(selected.front());
        view != nullptr && view->placement != Placement::Icon) {
      if (const workbench::Handle handle = workbench::HandleAt(view->rect, at); handle != workbench::Handle::None) {
        resizing_ = selected.front();
        handle_ = handle;
        pressed_ = dragged_ = event->position().toPoint();
        return;
      }
    }
  }
  host::VBControl* hit = on_form ? model_->HitTest(at) : nullptr;
  const bool adding = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
  if (event->button() == Qt::RightButton) {
    if (hit != nullptr && !model_->Selected(hit)) model_->Click(hit, false);
    if (hit == nullptr) model_->Click(nullptr, false);
    update();
    Q_EMIT selectionChanged();
    Q_EMIT contextMenu(hit != nullptr ? "Controls" : "Form Designer", event->globalPosition().toPoint());
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  model_->Click(hit, adding);
  if (hit != nullptr && model_->Selected(hit)) pressed_ = dragged_ = event->position().toPoint();
  if (hit == nullptr && on_form) {
    lasso_ = true;
    lasso_adds_ = adding;
    pressed_ = dragged_ = event->position().toPoint();
  }
  update();
  Q_EMIT selectionChanged();
}

void DesignerWindow::mouseMoveEvent(QMouseEvent* event) {
  if (!Live() || !pressed_) return;
  dragged_ = event->position().toPoint();
  if ((dragged_ - *pressed_).manhattanLength() >= kDragStart) dragging_ = true;
  update();
}

void DesignerWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (!Live() || !pressed_) return;
  dragged_ = event->position().toPoint();
  const QPoint delta = dragged_ - *pressed_;
  const bool moved = dragging_ || (delta.manhattanLength() >= kDragStart);
  host::VBControl* resizing = resizing_;
  const workbench::Handle handle = handle_;
  const QPoint pressed = *pressed_;
  const bool lasso = lasso_, resizing_form = resizing_form_;
  pressed_.reset();
  lasso_ = resizing_form_ = false;
  dragging_ = false;
  resizing_ = nullptr;
  handle_ = workbench::Handle::None;
  if (!moved) {
    update();
    return;
  }
  if (resizing_form) {
    Change([&] {
      const workbench::Rect after =
          workbench::Resized({0, 0, model_->ClientWidth(), model_->ClientHeight()}, handle, delta.x(), delta.y());
      model_->ResizeForm(after.width, after.height);
    });
    return;
  }
  if (lasso) {
    const QRect band = QRect(pressed, dragged_).normalized().translated(-ClientOrigin());
    model_->SelectWithin({band.x(), band.y(), band.width(), band.height()}, lasso_adds_);
    update();
    Q_EMIT selectionChanged();
    return;
  }
  if (resizing != nullptr) {
    Change([&] {
      if (const ControlView* view = model_->ViewOf(resizing))
        model_->Place(*resizing, workbench::Resized(view->rect, handle, delta.x(), delta.y()));
    });
  } else {
    // Let go over a frame or picture box (or out of one), the controls go into it.
    Change([&] { model_->DropSelection(delta.x(), delta.y(), FormPoint(dragged_)); });
  }
}

void DesignerWindow::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!Live() || event->button() != Qt::LeftButton) return;
  pressed_.reset();
  lasso_ = resizing_form_ = dragging_ = false;
  resizing_ = nullptr;
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
