#pragma once
// "Gildex Help": the desktop program's help viewer, a window over a text browser that shows the
// add-in's HTML help and follows its contents links. The add-in decides which file to show.
#include <QPointer>
#include <QTextBrowser>
#include <QWidget>

#include "platform/help_viewer.h"

namespace gildex::desktop {

class HelpWindow : public platform::HelpViewer {
 public:
  HelpWindow();
  ~HelpWindow() override;
  HelpWindow(const HelpWindow&) = delete;
  HelpWindow& operator=(const HelpWindow&) = delete;

  // Shows `file` from its top in the window, raised; throws std::runtime_error when the file
  // cannot be read.
  void Open(const std::filesystem::path& file) override;
  QWidget* Window() const { return window_; }
  QTextBrowser* Browser() const { return browser_; }

 private:
  QPointer<QWidget> window_;
  QTextBrowser* browser_ = nullptr;
};

}  // namespace gildex::desktop
