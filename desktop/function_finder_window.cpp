#include "desktop/function_finder_window.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "desktop/text.h"
#include "desktop/window_parts.h"

namespace gildex::desktop {

namespace {

constexpr const char* kHeading =
    "This screen will allow you to select a visual basic component (file) in which there is a function/procedure you "
    "wish to use. You can then select the function want to use and pass it to the current module.";

// A Windows filter "Name|*.a;*.b|Other|*.*" as Qt writes it: "Name (*.a *.b);;Other (*)", with
// both letter cases, as Windows matches names without regard to case.
QString QtFilter(const std::string& filter) {
  const QStringList parts = FromVb(filter).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (const QString& pattern : parts[i + 1].split(';'))
      patterns << (pattern == "*.*" ? QString("*") : pattern.toLower() + " " + pattern.toUpper());
    QString name = parts[i];
    name = name.left(name.indexOf('(')).trimmed();
    filters << name + " (" + patterns.join(' ') + ")";
  }
  return filters.join(";;");
}

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setMinimumWidth(97);
  return button;
}

}  // namespace

void QtClipboard::Clear() { QGuiApplication::clipboard()->clear(); }

void QtClipboard::SetText(const std::string& text) {
  QGuiApplication::clipboard()->setText(FromVb(text).replace("\r\n", "\n"));
}

FunctionFinderDialog::FunctionFinderDialog() {
  setObjectName("frmFNFinder");
  // A tool window of the IDE: closing the IDE's main window ends the program all the same.
  setAttribute(Qt::WA_QuitOnClose, false);
  setWindowTitle(FromVb(FunctionFinder::kCaption));
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  auto* heading = new QLabel(kHeading, this);
  heading->setWordWrap(true);
  layout->addWidget(heading);
  auto* file_row = new QHBoxLayout;
  auto* component = new QLabel("&Component :", this);
  component->setObjectName("lblComponent");
  filename = new QLabel(this);
  filename->setObjectName("lblFilename");
  filename->setTextInteractionFlags(Qt::TextSelectableByMouse);
  filename->setMinimumWidth(200);
  filename->setFrameShape(QFrame::StyledPanel);
  filename->setFrameShadow(QFrame::Sunken);
  QPushButton* browse = Button("cmdBrowse", "&Browse", this);
  component->setBuddy(browse);
  file_row->addWidget(component);
  file_row->addWidget(filename, 1);
  file_row->addWidget(browse);
  layout->addLayout(file_row);
  layout->addWidget(new QLabel("Available Items :", this));
  procs = new QTreeWidget(this);
  procs->setObjectName("lvwProcs");
  procs->setHeaderLabels({"Component", "Type", "Description"});
  procs->setRootIsDecorated(false);
  procs->setUniformRowHeights(true);
  procs->header()->setStretchLastSection(true);
  procs->setColumnWidth(0, 200);
  procs->setColumnWidth(1, 90);
  layout->addWidget(procs, 2);
  layout->addWidget(new QLabel("Code :", this));
  code = new QPlainTextEdit(this);
  code->setObjectName("rtfCode");
  code->setReadOnly(true);
  code->setLineWrapMode(QPlainTextEdit::NoWrap);
  code->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  layout->addWidget(code, 3);
  auto* buttons = new QHBoxLayout;
  QPushButton* library = Button("cmdLibrary", "&Librarian...", this);
  // The librarian does nothing yet: shown as the window has it, but not offered.
  library->setEnabled(false);
  buttons->addWidget(library);
  buttons->addStretch(1);
  QPushButton* copy = Button("cmdCopy", "&Copy", this);
  QPushButton* clear = Button("cmdClear", "C&lear", this);
  QPushButton* close = Button("cmdClose", "&Close", this);
  buttons->addWidget(copy);
  buttons->addWidget(clear);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  resize(620, 560);

  connect(browse, &QPushButton::clicked, this, [this] {
    if (finder_ != nullptr) finder_->cmdBrowse_Click();
  });
  connect(procs, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
    if (finder_ != nullptr) finder_->lvwProcs_Click(static_cast<std::size_t>(procs->indexOfTopLevelItem(item)));
  });
  connect(copy, &QPushButton::clicked, this, [this] {
    if (finder_ != nullptr) finder_->cmdCopy_Click();
  });
  connect(clear, &QPushButton::clicked, this, [this] {
    if (finder_ != nullptr) finder_->cmdClear_Click();
  });
  connect(close, &QPushButton::clicked, this, &QDialog::close);
}

void FunctionFinderDialog::Show(FunctionFinder& finder) {
  const bool placed = finder_ != nullptr || isVisible();
  finder_ = &finder;
  Refresh(finder);
  if (!placed) CentreOnScreen(this);
  show();
  raise();
  activateWindow();
}

std::optional<std::string> FunctionFinderDialog::AskFile(const std::string& title, const std::string& filter,
                                                         int /*flags*/) {
  // Qt's open dialog only ever returns a file that exists.
  const QString file = QFileDialog::getOpenFileName(this, FromVb(title), {}, QtFilter(filter));
  if (file.isEmpty()) return std::nullopt;
  return ToVb(file);
}

void FunctionFinderDialog::Refresh(const FunctionFinder& finder) {
  if (&finder != finder_) return;
  filename->setText(FromVb(finder.Filename()));
  procs->setUpdatesEnabled(false);
  procs->clear();
  for (const FinderRow& row : finder.Rows()) {
    auto* item = new QTreeWidgetItem(procs, {FromVb(row.name), FromVb(row.type_text), FromVb(row.description)});
    item->setData(0, Qt::UserRole, FromVb(row.key));
  }
  procs->setUpdatesEnabled(true);
  code->setPlainText(FromVb(finder.Code()).replace("\r\n", "\n"));
  code->moveCursor(QTextCursor::End);
}

void FunctionFinderDialog::Released(const FunctionFinder& finder) {
  if (&finder != finder_) return;
  finder_ = nullptr;
  hide();
}

void FunctionFinderDialog::closeEvent(QCloseEvent* event) {
  // Unloading offers to take out the component the finder added, and empties the finder.
  if (finder_ != nullptr) finder_->Form_Unload();
  event->accept();
}

}  // namespace gildex::desktop
