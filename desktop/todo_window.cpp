#include "desktop/todo_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/error_report.h"
#include "desktop/text.h"
#include "desktop/window_parts.h"

namespace gildex::desktop {

ToDoWindow::ToDoWindow(platform::Dialogs& dialogs) : dialogs_(dialogs) {
  setObjectName("frmToDo");
  setAttribute(Qt::WA_QuitOnClose, false);
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  auto* heading = new QLabel("&Items (tick those that are done):", this);
  layout->addWidget(heading);
  items = new QListWidget(this);
  items->setObjectName("lstItems");
  heading->setBuddy(items);
  layout->addWidget(items, 1);
  auto* entry = new QHBoxLayout;
  auto* caption = new QLabel("&New item :", this);
  text = new QLineEdit(this);
  text->setObjectName("txtItem");
  caption->setBuddy(text);
  add = new QPushButton("&Add", this);
  add->setObjectName("cmdAdd");
  entry->addWidget(caption);
  entry->addWidget(text, 1);
  entry->addWidget(add);
  layout->addLayout(entry);
  layout->addWidget(new Divider({}, this));
  auto* buttons = new QHBoxLayout;
  remove = new QPushButton("&Remove", this);
  remove->setObjectName("cmdRemove");
  auto* close = new QPushButton("&Close", this);
  close->setObjectName("cmdClose");
  for (QPushButton* button : {add, remove, close}) button->setMinimumWidth(97);
  buttons->addWidget(remove);
  buttons->addStretch(1);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  resize(440, 360);

  connect(add, &QPushButton::clicked, this, [this] {
    if (list_ == nullptr) return;
    if (Took(list_->Add(ToVb(text->text())))) text->clear();
    Redraw();
  });
  connect(text, &QLineEdit::returnPressed, add, &QPushButton::click);
  connect(remove, &QPushButton::clicked, this, [this] {
    if (list_ == nullptr || items->currentRow() < 0) return;
    Took(list_->Remove(static_cast<std::size_t>(items->currentRow()) + 1));
    Redraw();
  });
  connect(items, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    if (redrawing_ || list_ == nullptr) return;
    Took(list_->MarkDone(static_cast<std::size_t>(items->row(item)) + 1, item->checkState() == Qt::Checked));
    Redraw();
  });
  connect(items, &QListWidget::currentRowChanged, this,
          [this] { remove->setEnabled(list_ != nullptr && !list_->Damaged() && items->currentRow() >= 0); });
  connect(close, &QPushButton::clicked, this, &QDialog::close);
}

void ToDoWindow::Show(ToDoList& list) {
  const bool placed = isVisible();
  list_ = &list;
  Redraw();
  if (!placed) CentreOnScreen(this);
  show();
  raise();
  activateWindow();
}

void ToDoWindow::Hide(ToDoList& list) {
  if (list_ != &list) return;
  list_ = nullptr;
  hide();
}

void ToDoWindow::Redraw() {
  redrawing_ = true;
  const int current = items->currentRow();
  items->clear();
  const bool editable = list_ != nullptr && !list_->Damaged();
  if (list_ != nullptr) {
    setWindowTitle(FromVb(list_->Caption()));
    for (const ToDoItem& entry : list_->Items()) {
      auto* item = new QListWidgetItem(FromVb(entry.text), items);
      item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | (editable ? Qt::ItemIsUserCheckable : Qt::NoItemFlags));
      item->setCheckState(entry.done ? Qt::Checked : Qt::Unchecked);
    }
  }
  items->setCurrentRow(std::min(current, items->count() - 1));
  text->setEnabled(editable);
  add->setEnabled(editable);
  remove->setEnabled(editable && items->currentRow() >= 0);
  redrawing_ = false;
}

bool ToDoWindow::Took(const std::string& problem) {
  if (problem.empty()) return true;
  dialogs_.MsgBox({problem, platform::vbExclamation, std::string(kAppTitle)});
  return false;
}

void ToDoWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  // Unloading may release the list (and call Hide): nothing of it is kept past this.
  ToDoList* list = list_;
  list_ = nullptr;
  if (list != nullptr) list->Unload();
}

}  // namespace gildex::desktop
