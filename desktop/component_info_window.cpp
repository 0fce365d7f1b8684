#include "desktop/component_info_window.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "desktop/text.h"
#include "desktop/window_parts.h"

namespace gildex::desktop {

ComponentInfoView::~ComponentInfoView() {
  if (last_) delete last_;
}

void ComponentInfoView::Display(const ComponentInformation& info) {
  auto* window = new QDialog;
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setAttribute(Qt::WA_QuitOnClose, false);
  window->setObjectName("frmInfo");
  window->setWindowTitle(FromVb(ComponentInformation::kCaption));
  auto* layout = new QVBoxLayout(window);
  auto* grid = new QGridLayout;
  int row = 0;
  const auto field = [&](const char* label, const char* name, const std::string& text) {
    grid->addWidget(new QLabel(label, window), row, 0);
    auto* edit = new QLineEdit(FromVb(text), window);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setCursorPosition(0);
    grid->addWidget(edit, row++, 1);
  };
  field("Component Name :", "txtCompName", info.name);
  field("Filename :", "txtFilename", info.filename);
  field("Lines of code :", "txtLines", info.lines);
  grid->addWidget(new QLabel("Source Control :", window), row, 0);
  auto* scc = new QHBoxLayout;
  auto* controlled = new QCheckBox(window);
  controlled->setObjectName("chkVSSControl");
  controlled->setChecked(info.source_control);
  // Shows the state only: the user cannot put a file under source control from here.
  controlled->setAttribute(Qt::WA_TransparentForMouseEvents);
  controlled->setFocusPolicy(Qt::NoFocus);
  auto* status = new QLabel(FromVb(info.status), window);
  status->setObjectName("lblVSSStatus");
  scc->addWidget(controlled);
  scc->addWidget(status, 1);
  grid->addLayout(scc, row++, 1);
  grid->setColumnStretch(1, 1);
  layout->addLayout(grid);
  auto* frame = new QGroupBox("Component Members", window);
  auto* members_layout = new QVBoxLayout(frame);
  auto* members = new QListWidget(frame);
  members->setObjectName("lbFunctions");
  QFont courier("Courier New");
  courier.setStyleHint(QFont::Monospace);
  courier.setPointSizeF(window->font().pointSizeF());
  members->setFont(courier);
  // The list box's tab stop: the kinds in one column, the members lined up after them.
  for (const std::string& line : info.members) {
    const QString text = FromVb(line);
    const qsizetype tab = text.indexOf('\t');
    members->addItem(tab < 0 ? text : text.left(tab).leftJustified(11) + text.mid(tab + 1));
  }
  members_layout->addWidget(members);
  layout->addWidget(frame, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* close = new QPushButton("&Close", window);
  close->setObjectName("Command1");
  close->setMinimumWidth(97);
  close->setDefault(true);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  QObject::connect(close, &QPushButton::clicked, window, &QDialog::close);
  window->resize(460, 420);
  CentreOnScreen(window);
  window->show();
  window->raise();
  last_ = window;
}

}  // namespace gildex::desktop
