#include "desktop/help_window.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <stdexcept>

namespace gildex::desktop {

HelpWindow::HelpWindow() : window_(new QWidget) {
  window_->setObjectName("frmHelp");
  window_->setWindowTitle("Gildex Help");
  window_->setAttribute(Qt::WA_QuitOnClose, false);
  window_->resize(760, 600);
  auto* layout = new QVBoxLayout(window_);
  auto* buttons = new QHBoxLayout;
  const auto button = [&](const char* caption, const char* name) {
    auto* pressed = new QPushButton(caption, window_);
    pressed->setObjectName(name);
    pressed->setAutoDefault(false);
    buttons->addWidget(pressed);
    return pressed;
  };
  QPushButton* contents = button("&Contents", "cmdContents");
  QPushButton* back = button("&Back", "cmdBack");
  QPushButton* forward = button("&Forward", "cmdForward");
  buttons->addStretch(1);
  layout->addLayout(buttons);
  browser_ = new QTextBrowser(window_);
  browser_->setObjectName("txtHelp");
  // Links out of the help (none today) go to the user's browser, not into this window.
  browser_->setOpenExternalLinks(true);
  layout->addWidget(browser_, 1);
  back->setEnabled(false);
  forward->setEnabled(false);
  QObject::connect(contents, &QPushButton::clicked, browser_, &QTextBrowser::home);
  QObject::connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
  QObject::connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
  QObject::connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
  QObject::connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
}

HelpWindow::~HelpWindow() {
  if (window_) delete window_;
}

void HelpWindow::Open(const std::filesystem::path& file) {
  const QString path = QString::fromStdString(file.string());
  if (!QFileInfo(path).isReadable()) throw std::runtime_error("the help file " + file.string() + " cannot be read");
  browser_->setSource(QUrl::fromLocalFile(path));
  browser_->clearHistory();
  browser_->scrollToAnchor("top");
  window_->show();
  window_->raise();
  window_->activateWindow();
}

}  // namespace gildex::desktop
