#include "desktop/qt_dialogs.h"

#include <iostream>

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <map>

#include "desktop/text.h"
#include "platform/cp1252.h"

namespace gildex::desktop {

namespace {

QMessageBox::Icon IconOf(int style) {
  switch (style & 0x70) {
    case platform::vbCritical:
      return QMessageBox::Critical;
    case platform::vbQuestion:
      return QMessageBox::Question;
    case platform::vbExclamation:
      return QMessageBox::Warning;
    case platform::vbInformation:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

QMessageBox::StandardButton ButtonOf(platform::MsgBoxResult answer) {
  switch (answer) {
    case platform::vbOK:
      return QMessageBox::Ok;
    case platform::vbCancel:
      return QMessageBox::Cancel;
    case platform::vbAbort:
      return QMessageBox::Abort;
    case platform::vbRetry:
      return QMessageBox::Retry;
    case platform::vbIgnore:
      return QMessageBox::Ignore;
    case platform::vbYes:
      return QMessageBox::Yes;
    case platform::vbNo:
      return QMessageBox::No;
  }
  return QMessageBox::Ok;
}

QString FilterText(const std::vector<platform::FileFilter>& filters) {
  QStringList parts;
  for (const auto& filter : filters) {
    // Windows patterns are case-blind; Qt's are not, so both cases are offered.
    const QString pattern = FromVb(filter.pattern);
    parts << FromVb(filter.description) + " (" + pattern.toLower() + " " + pattern.toUpper() + ")";
  }
  return parts.join(";;");
}

}  // namespace

platform::MsgBoxResult QtDialogs::MsgBox(const platform::MessageBox& box) {
  if (unattended_) {
    std::cerr << box.title << ": " << cp1252::ToDisplay(box.prompt) << "\n";
    return platform::DefaultAnswer(box.style);
  }
  QMessageBox message(IconOf(box.style), FromVb(box.title), QString::fromStdString(cp1252::ToDisplay(box.prompt)),
                      QMessageBox::NoButton, owner_);
  message.setObjectName("MsgBox");
  std::map<QAbstractButton*, platform::MsgBoxResult> answers;
  const platform::MsgBoxResult fallback = platform::DefaultAnswer(box.style);
  for (platform::MsgBoxResult answer : platform::ButtonsOf(box.style)) {
    QPushButton* button = message.addButton(ButtonOf(answer));
    answers[button] = answer;
    if (answer == fallback) message.setDefaultButton(button);
  }
  message.exec();
  const auto chosen = answers.find(message.clickedButton());
  // Closing the box with its title bar or Escape answers as Cancel would, or with the
  // default when there is no Cancel.
  if (chosen == answers.end()) {
    for (const auto& [button, answer] : answers)
      if (answer == platform::vbCancel) return answer;
    return fallback;
  }
  return chosen->second;
}

std::string QtDialogs::SaveFileName(const platform::SaveFileDialog& dialog) {
  QFileDialog chooser(owner_, FromVb(dialog.title), FromVb(dialog.initial_folder), FilterText(dialog.filters));
  chooser.setAcceptMode(QFileDialog::AcceptSave);
  chooser.setDefaultSuffix(FromVb(dialog.default_extension));
  if (!dialog.file_name.empty()) chooser.selectFile(FromVb(dialog.file_name));
  if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return {};
  return chooser.selectedFiles().front().toStdString();
}

std::string QtDialogs::OpenFileName(const QString& title) {
  return QFileDialog::getOpenFileName(owner_, title, {},
                                      "VB6 projects and files (*.vbp *.vbg *.frm *.bas *.cls *.ctl *.pag *.dob "
                                      "*.VBP *.VBG *.FRM *.BAS *.CLS *.CTL *.PAG *.DOB);;All files (*)")
      .toStdString();
}

}  // namespace gildex::desktop
