#pragma once
// The progress and status window drawn with Qt; clsMessages keeps every rule of it, its size
// and where its controls go included.
#include <QDialog>
#include <memory>

#include "tools/message_view.h"
#include "tools/messages.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace gildex::desktop {

// Twips as the windows were laid out, and the pixels of a 96-dot screen.
constexpr int Pixels(long twips) { return static_cast<int>(twips / 15); }
constexpr long Twips(int pixels) { return static_cast<long>(pixels) * 15; }

class ProgressWindow : public QDialog {
  Q_OBJECT

 public:
  explicit ProgressWindow(clsMessages& controller);
  void UnloadQuietly();

  QLabel* message = nullptr;
  QProgressBar* progress = nullptr;
  QLabel* heading = nullptr;
  QListWidget* status = nullptr;
  QPushButton* ok = nullptr;
  QPushButton* cancel = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  clsMessages& controller_;
  bool unloading_ = false;
};

// The factory clsMessages makes its windows with.
MessageViewFactory ProgressWindowFactory();

}  // namespace gildex::desktop
