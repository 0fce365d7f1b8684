#pragma once
// Message boxes and file dialogs of the add-in and the IDE, drawn by Qt.
#include <QWidget>

#include "platform/dialogs.h"

namespace gildex::desktop {

class QtDialogs : public platform::Dialogs {
 public:
  // Boxes are modal over `owner` (may be set later: the main window is made after the dialogs).
  explicit QtDialogs(QWidget* owner = nullptr) : owner_(owner) {}
  void SetOwner(QWidget* owner) { owner_ = owner; }
  // A run without a user (the screenshots) never waits on a box: it prints the text and takes
  // the box's default answer.
  void SetUnattended(bool unattended) { unattended_ = unattended; }
  platform::MsgBoxResult MsgBox(const platform::MessageBox& box) override;
  std::string SaveFileName(const platform::SaveFileDialog& dialog) override;
  // A file to open: a VB6 project, group or component file; empty when cancelled.
  std::string OpenFileName(const QString& title);

 private:
  QWidget* owner_;
  bool unattended_ = false;
};

}  // namespace gildex::desktop
