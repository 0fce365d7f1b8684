#pragma once
// "Gildex Function Finder" (frmFNFinder), a tool window that stays open beside the IDE: it
// draws the finder's file, rows and code and reports Browse, the rows clicked, Copy, Clear and
// closing to it. The clipboard it copies to is the system's.
#include <QDialog>

#include "ide/connect.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace gildex::desktop {

// The system clipboard: text converted from Windows-1252, lines ended as this system ends them.
class QtClipboard : public platform::Clipboard {
 public:
  void Clear() override;
  void SetText(const std::string& text) override;
};

class FunctionFinderDialog : public QDialog, public FunctionFinderWindow {
  Q_OBJECT

 public:
  FunctionFinderDialog();

  platform::Clipboard& Clipboard() override { return clipboard_; }
  void Show(FunctionFinder& finder) override;
  std::optional<std::string> AskFile(const std::string& title, const std::string& filter, int flags) override;
  void Refresh(const FunctionFinder& finder) override;
  void Released(const FunctionFinder& finder) override;

  QLabel* filename = nullptr;
  QTreeWidget* procs = nullptr;
  QPlainTextEdit* code = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  FunctionFinder* finder_ = nullptr;
  QtClipboard clipboard_;
};

}  // namespace gildex::desktop
