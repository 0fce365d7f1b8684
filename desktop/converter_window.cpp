#include "desktop/converter_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <filesystem>

#include "desktop/text.h"
#include "desktop/window_parts.h"

namespace gildex::desktop {

namespace {

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setMinimumWidth(97);
  return button;
}

}  // namespace

void ConverterWindow::ShowConverter(host::VBComponent& form, clsASPGenerator& generator) {
  frmASPConverter window(*this);
  // This IDE has no current folder of its own: a page named without one goes beside the form.
  const std::string file = form.FileNames(1);
  form_folder_ = file.empty() ? std::string() : std::filesystem::path(file).parent_path().string();
  window.ShowConverter(form, generator, progress_());
}

void ConverterWindow::ShowModal(frmASPConverter& window) {
  if (!form_folder_.empty() && std::filesystem::path(window.txtFilename).is_relative())
    window.txtFilename = (std::filesystem::path(form_folder_) / window.txtFilename).string();
  QDialog dialog;
  dialog_ = &dialog;
  dialog.setObjectName("frmASPConverter");
  dialog.setWindowTitle(FromVb(kConverterCaption));
  auto* layout = new QVBoxLayout(&dialog);
  auto* grid = new QGridLayout;
  int row = 0;
  const auto field = [&](const char* label, const char* name, std::string& value) {
    auto* caption = new QLabel(label, &dialog);
    auto* edit = new QLineEdit(FromVb(value), &dialog);
    edit->setObjectName(name);
    caption->setBuddy(edit);
    grid->addWidget(caption, row, 0);
    grid->addWidget(edit, row++, 1);
    QObject::connect(edit, &QLineEdit::textEdited, &dialog, [&value](const QString& text) { value = ToVb(text); });
    return edit;
  };
  QLineEdit* filename = field("&Filename", "txtFilename", window.txtFilename);
  filename->setMinimumWidth(360);
  QPushButton* browse = Button("cmdBrowse", "&Browse..", &dialog);
  grid->addWidget(browse, 0, 2);
  field("&Title", "txtTitle", window.txtTitle);
  field("&Keywords", "txtKeywords", window.txtKeywords);
  field("&Description", "txtDescription", window.txtDescription);
  auto* method = new QLabel("&Method", &dialog);
  auto* methods = new QHBoxLayout;
  for (int i = 0; i < 2; ++i) {
    auto* option = new QRadioButton(i == 0 ? "GET" : "POST", &dialog);
    option->setObjectName(QString("optMethod(%1)").arg(i));
    option->setChecked(window.optMethod == i);
    QObject::connect(option, &QRadioButton::toggled, &dialog, [&window, i](bool on) {
      if (on) window.optMethod = i;
    });
    if (i == 0) method->setBuddy(option);
    methods->addWidget(option);
  }
  methods->addStretch(1);
  grid->addWidget(method, row, 0);
  grid->addLayout(methods, row++, 1);
  field("&Action", "txtAction", window.txtAction);
  auto* positioned = new QCheckBox("&Place each control as on the form", &dialog);
  positioned->setObjectName("chkPositioned");
  positioned->setChecked(window.chkPositioned);
  QObject::connect(positioned, &QCheckBox::toggled, &dialog, [&window](bool on) { window.chkPositioned = on; });
  grid->addWidget(positioned, row++, 1);
  grid->setColumnStretch(1, 1);
  layout->addLayout(grid);
  layout->addWidget(new Divider({}, &dialog));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  QPushButton* go = Button("cmdGo", "Convert", &dialog);
  QPushButton* close = Button("cmdClose", "Close", &dialog);
  go->setDefault(true);
  buttons->addWidget(go);
  buttons->addWidget(close);
  layout->addLayout(buttons);

  QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
    window.cmdBrowse_Click();
    filename->setText(FromVb(window.txtFilename));
  });
  QObject::connect(go, &QPushButton::clicked, &dialog, [&] {
    window.cmdGo_Click();
    dialog.accept();
  });
  QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::reject);
  CentreOnScreen(&dialog);
  if (dialog.exec() != QDialog::Accepted) window.cmdClose_Click();
}

std::string ConverterWindow::SaveFileName(const std::string& title, const std::string& pattern) {
  const QString suffix = FromVb(pattern);
  const QString file =
      QFileDialog::getSaveFileName(dialog_, FromVb(title), FromVb(form_folder_),
                                   "HTML pages (" + suffix.toLower() + " " + suffix.toUpper() + ");;All files (*)");
  return file.isEmpty() ? std::string() : ToVb(file);
}

bool ConverterWindow::ConfirmReplace(const std::string& file) {
  const platform::MessageBox box{file + " already exists.\r\nDo you want to replace it?",
                                 platform::vbYesNo | platform::vbQuestion | platform::vbDefaultButton2, kConverterCaption};
  return dialogs_.MsgBox(box) == platform::MsgBoxResult::vbYes;
}

void ConverterWindow::DefaultMousePointer() {
  while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
}

}  // namespace gildex::desktop
