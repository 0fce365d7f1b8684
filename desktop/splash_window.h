#pragma once
// The splash window of the add-in's start-up: our own drawn logo, the version and the support
// notice; top-most, and closing itself when its timer fires.
#include <QTimer>
#include <QWidget>

#include "ide/connect.h"

class QLabel;

namespace gildex::desktop {

class SplashWindow : public QWidget, public SplashView {
  Q_OBJECT

 public:
  // `version` is the program's, such as "0.1.0".
  explicit SplashWindow(const QString& version);

  void ShowTopmost() override;
  bool Loaded() const override { return isVisible(); }
  void Close() override { close(); }

  QLabel* version = nullptr;
  QLabel* info = nullptr;
  QTimer* timer = nullptr;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace gildex::desktop
