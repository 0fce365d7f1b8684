#include "desktop/progress_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QTimer>

#include "desktop/text.h"

namespace gildex::desktop {

namespace {

QRect PixelRect(const TwipsRect& rect) {
  return {Pixels(rect.left), Pixels(rect.top), Pixels(rect.width), Pixels(rect.height)};
}

class QtMessageView : public MessageView {
 public:
  explicit QtMessageView(clsMessages& controller) : controller_(controller) {}
  ~QtMessageView() override {
    if (window_) window_->UnloadQuietly();
  }

  void Load(const MessageWindowState& initial) override {
    window_ = new ProgressWindow(controller_);
    value_timer_.setSingleShot(true);
    QObject::connect(&value_timer_, &QTimer::timeout, window_, [this] {
      if (window_) window_->progress->setValue(pending_value_);
    });
    window_->setWindowTitle(FromVb(initial.caption));
    window_->message->setText(FromVb(initial.message));
    window_->message->setGeometry(PixelRect(initial.message_rect));
    window_->progress->setGeometry(PixelRect(initial.progress_rect));
    window_->progress->setRange(initial.progress_min, initial.progress_max);
    window_->progress->setVisible(initial.progress_on);
    window_->ok->setEnabled(initial.ok_enabled);
    window_->cancel->setEnabled(initial.cancel_enabled);
  }
  void Unload() override {
    if (window_) window_->UnloadQuietly();
    window_ = nullptr;
  }
  void SetCaption(const std::string& caption) override { window_->setWindowTitle(FromVb(caption)); }
  void SetMessage(const std::string& text) override { window_->message->setText(FromVb(text)); }
  void SetMessageHeight(long height) override { window_->message->resize(window_->message->width(), Pixels(height)); }
  void ShowProgress(bool on) override {
    window_->progress->setVisible(on);
    window_->progress->setEnabled(on);
  }
  void SetProgressRange(std::int32_t min, std::int32_t max) override { window_->progress->setRange(min, max); }
  void SetProgressValue(std::int32_t value) override {
    // The bar draws itself at once on every visible step, and numbering steps it for each
    // line: a value that comes too soon waits for the next due one, or the timer.
    pending_value_ = std::clamp(value, window_->progress->minimum(), window_->progress->maximum());
    if (RepaintDue())
      window_->progress->setValue(pending_value_);
    else if (!value_timer_.isActive())
      value_timer_.start(kRepaintMs);
  }
  void PlaceProgress(long left, long top, long width) override {
    window_->progress->setGeometry(Pixels(left), Pixels(top), Pixels(width), window_->progress->height());
  }
  void AppendStatus(const std::string& line) override {
    window_->status->addItem(FromVb(line));
    window_->status->scrollToBottom();
  }
  void ClearStatus() override { window_->status->clear(); }
  void SetHourglass(bool on) override {
    if (on)
      window_->setCursor(Qt::WaitCursor);
    else
      window_->unsetCursor();
  }
  void EnableButtons(bool ok, bool cancel) override {
    window_->ok->setEnabled(ok);
    window_->cancel->setEnabled(cancel);
  }
  void LayOutControls() override {
    const MessageWindowState* state = controller_.Window();
    if (!window_ || state == nullptr) return;
    window_->message->setGeometry(PixelRect(state->message_rect));
    window_->progress->setGeometry(PixelRect(state->progress_rect));
    window_->heading->setGeometry(PixelRect(state->heading_rect));
    window_->status->setGeometry(PixelRect(state->status_rect));
    window_->ok->setGeometry(PixelRect(state->ok_rect));
    window_->cancel->setGeometry(PixelRect(state->cancel_rect));
  }
  void ResizeWindow(TwipsSize size) override { window_->resize(Pixels(size.width), Pixels(size.height)); }
  void Center() override {
    if (const QScreen* screen = QApplication::primaryScreen()) {
      QRect frame = window_->frameGeometry();
      frame.moveCenter(screen->availableGeometry().center());
      window_->move(frame.topLeft());
    }
  }
  void ShowWindow() override {
    window_->show();
    window_->raise();
  }
  void Repaint() override {
    if (RepaintDue())
      window_->repaint();
    else
      window_->update();
  }
  long TextHeight(const std::string& text) const override {
    const QFontMetrics metrics(window_->message->font());
    const QRect needed =
        metrics.boundingRect(QRect(0, 0, window_->message->width(), 10000), Qt::TextWordWrap, FromVb(text));
    return Twips(needed.height());
  }
  long OuterWidth() const override { return Twips(window_->frameGeometry().width()); }
  long StatusWidth(const std::string& line) const override {
    const QListWidget& list = *window_->status;
    // The text, the item's own margins, the list's frame and its vertical scroll bar.
    const int text = QFontMetrics(list.font()).horizontalAdvance(FromVb(line));
    return Twips(text + 8 + 2 * list.frameWidth() + list.style()->pixelMetric(QStyle::PM_ScrollBarExtent));
  }
  long ScreenWidth() const override {
    const QScreen* screen = window_->screen() != nullptr ? window_->screen() : QApplication::primaryScreen();
    if (screen == nullptr) return 0;
    const int frame = window_->frameGeometry().width() - window_->width();
    return Twips(screen->availableGeometry().width() - frame);
  }

 private:
  // Drawing at once keeps the window current while a command holds the event loop, but once
  // for every line numbered or status added it cost more than the command itself: at most
  // every 40 ms, and the rest is drawn when the loop next turns.
  bool RepaintDue() {
    if (painted_.isValid() && painted_.elapsed() < kRepaintMs) return false;
    painted_.start();
    return true;
  }

  static constexpr int kRepaintMs = 40;
  clsMessages& controller_;
  QElapsedTimer painted_;
  QTimer value_timer_;
  int pending_value_ = 0;
  // Deleted by Qt once closed, whoever closed it.
  QPointer<ProgressWindow> window_;
};

}  // namespace

ProgressWindow::ProgressWindow(clsMessages& controller) : controller_(controller) {
  setObjectName("frmMessages");
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  resize(Pixels(kMessageClientWidth), Pixels(kMessageClientHeight));
  message = new QLabel(this);
  message->setObjectName("lblMessage");
  message->setWordWrap(true);
  message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  progress = new QProgressBar(this);
  progress->setObjectName("prgProgress");
  progress->setTextVisible(false);
  heading = new QLabel(FromVb(kHeadingText), this);
  heading->setObjectName("lblStatus");
  heading->setGeometry(PixelRect(kHeadingRect));
  status = new QListWidget(this);
  status->setObjectName("lbStatus");
  status->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // One line an entry: without this, scrolling to each new line measured every line again,
  // which made a project of thousands of procedures slower with every line added.
  status->setUniformItemSizes(true);
  status->setGeometry(PixelRect(kStatusListRect));
  ok = new QPushButton(FromVb(kOkButtonText), this);
  ok->setObjectName("cmdOK");
  ok->setGeometry(PixelRect(kOkButtonRect));
  cancel = new QPushButton(FromVb(kCancelButtonText), this);
  cancel->setObjectName("cmdCancel");
  cancel->setGeometry(PixelRect(kCancelButtonRect));
  connect(ok, &QPushButton::clicked, this, [this] { controller_.OkClicked(); });
  connect(cancel, &QPushButton::clicked, this, [this] { controller_.CancelClicked(); });
  connect(status, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { controller_.StatusDoubleClicked(status->row(item)); });
}

void ProgressWindow::UnloadQuietly() {
  unloading_ = true;
  close();
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
  if (!unloading_) {
    // The user closed it with the title bar: the controller forgets the window.
    unloading_ = true;
    controller_.Unloaded();
  }
  event->accept();
}

void ProgressWindow::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (!unloading_) controller_.Resized({Twips(width()), Twips(height())}, isMinimized());
}

MessageViewFactory ProgressWindowFactory() {
  return [](clsMessages& controller) -> std::unique_ptr<MessageView> {
    return std::make_unique<QtMessageView>(controller);
  };
}

}  // namespace gildex::desktop
