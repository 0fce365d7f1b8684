#include "desktop/choice_windows.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "desktop/text.h"
#include "desktop/window_parts.h"

namespace gildex::desktop {

namespace {

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
  auto* button = new QPushButton(FromVb(caption), parent);
  button->setObjectName(name);
  button->setMinimumWidth(97);  // 1455 twips, the add-in's button width
  return button;
}

}  // namespace

void InsertModeWindow::ShowModal(frmInsertOptions& form) {
  QDialog dialog;
  dialog.setObjectName("frmInsertOptions");
  dialog.setWindowTitle(FromVb(frmInsertOptions::kCaption));
  auto* layout = new QVBoxLayout(&dialog);
  auto* frame = new QGroupBox(FromVb(frmInsertOptions::kFrameCaption), &dialog);
  frame->setObjectName("fraInnsertMode");
  auto* choices = new QVBoxLayout(frame);
  auto* selected = new QRadioButton(FromVb(frmInsertOptions::kSelectedText), frame);
  selected->setObjectName("optInertDest(2)");
  auto* whole = new QRadioButton(FromVb(frmInsertOptions::kEntireModule), frame);
  whole->setObjectName("optInertDest(1)");
  (form.SelectedTextChosen() ? selected : whole)->setChecked(true);
  choices->addWidget(selected);
  choices->addWidget(whole);
  layout->addWidget(frame);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  QPushButton* ok = Button("cmdGo", frmInsertOptions::kOkCaption, &dialog);
  QPushButton* close = Button("cmdClose", frmInsertOptions::kCloseCaption, &dialog);
  ok->setDefault(true);
  buttons->addWidget(ok);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  dialog.setMinimumWidth(260);
  QObject::connect(selected, &QRadioButton::toggled, &dialog, [&form](bool on) {
    if (on) form.ChooseSelectedText();
  });
  QObject::connect(whole, &QRadioButton::toggled, &dialog, [&form](bool on) {
    if (on) form.ChooseEntireModule();
  });
  QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
    form.cmdGo_Click();
    dialog.accept();
  });
  QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::reject);
  CentreOnScreen(&dialog);
  // Close, Escape and the title bar all cancel the command.
  if (dialog.exec() != QDialog::Accepted) form.cmdClose_Click();
}

void CopyOptionsWindow::ShowModal(frmCopyOptions& form) {
  QDialog dialog;
  dialog.setObjectName("frmCopyOptions");
  dialog.setWindowTitle(FromVb(frmCopyOptions::kCaption));
  auto* layout = new QVBoxLayout(&dialog);
  auto* info = new QLabel(FromVb(frmCopyOptions::kInfo), &dialog);
  info->setObjectName("lblInfo");
  info->setWordWrap(true);
  info->setMinimumWidth(330);
  layout->addWidget(info);
  auto* group = new QButtonGroup(&dialog);
  for (int i = 0; i < 3; ++i) {
    auto* option = new QRadioButton(FromVb(frmCopyOptions::kDiscardCaptions[i]), &dialog);
    option->setObjectName(QString("optDiscard(%1)").arg(i));
    group->addButton(option, i);
    option->setChecked(form.Discard() == i);
    layout->addWidget(option);
  }
  QObject::connect(group, &QButtonGroup::idClicked, &dialog, [&form](int index) { form.optDiscard_Click(index); });
  const auto box = [&](const char* name, const char* caption, int value, void (frmCopyOptions::*report)(int)) {
    auto* check = new QCheckBox(caption, &dialog);
    check->setObjectName(name);
    check->setTristate(value == 2);
    check->setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
    QObject::connect(check, &QCheckBox::stateChanged, &dialog, [&form, report](int state) {
      (form.*report)(state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0);
    });
    layout->addWidget(check);
  };
  box("chkCopyPos", "Copy Control Position", form.CopyPos(), &frmCopyOptions::chkCopyPos);
  box("chkCopySize", "Copy Control Dimensions", form.CopySize(), &frmCopyOptions::chkCopySize);
  box("chkSilent", "Silent Operation", form.Silent(), &frmCopyOptions::chkSilent);
  layout->addWidget(new Divider({}, &dialog));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  QPushButton* ok = Button("cmdOK", "OK", &dialog);
  QPushButton* close = Button("cmdClose", "Close", &dialog);
  ok->setDefault(true);
  buttons->addWidget(ok);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
    form.cmdOK_Click();
    dialog.accept();
  });
  QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::reject);
  CentreOnScreen(&dialog);
  if (dialog.exec() != QDialog::Accepted) form.cmdClose_Click();
}

}  // namespace gildex::desktop
