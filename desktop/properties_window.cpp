#include "desktop/properties_window.h"

#include <QComboBox>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "common/error_report.h"
#include "desktop/designer_window.h"
#include "desktop/text.h"

namespace gildex::desktop {

namespace {

// The grid's value cells keep their drop-down's entries here.
constexpr int kChoicesRole = Qt::UserRole + 1;

// A value cell with choices (True and False, "1 - Fixed Single", ...) is edited in a drop-down
// list, as in VB6; any other in a line of text.
class ChoiceDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QStringList choices = index.data(kChoicesRole).toStringList();
    if (choices.isEmpty()) return QStyledItemDelegate::createEditor(parent, option, index);
    auto* box = new QComboBox(parent);
    box->setObjectName("cboValue");
    box->addItems(choices);
    // A pick is the edit: the list closes and the value is set at once.
    auto* self = const_cast<ChoiceDelegate*>(this);
    connect(box, &QComboBox::activated, self, [self, box] {
      Q_EMIT self->commitData(box);
      Q_EMIT self->closeEditor(box);
    });
    return box;
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
      box->setCurrentIndex(box->findText(index.data().toString()));
      return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
  }
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
      if (box->currentIndex() >= 0) model->setData(index, box->currentText());
      return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
  }
};

// The selected controls, or the form when none is.
std::vector<host::VBControl*> Shown(workbench::DesignerModel& model) {
  const auto selected = model.Designer().SelectedVBControls();
  return selected.empty() ? std::vector<host::VBControl*>{&model.Designer().Form()} : selected;
}

}  // namespace

PropertiesWindow::PropertiesWindow(std::function<DesignerWindow*()> designer, QWidget* parent)
    : QDockWidget("Properties", parent), designer_(std::move(designer)) {
  setObjectName("PropertiesWindow");
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  objects_ = new QComboBox(body);
  objects_->setObjectName("cboObjects");
  layout->addWidget(objects_);
  grid_ = new QTableWidget(0, 2, body);
  grid_->setObjectName("grdProperties");
  grid_->horizontalHeader()->hide();
  grid_->verticalHeader()->hide();
  grid_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Interactive);
  grid_->horizontalHeader()->setStretchLastSection(true);
  grid_->verticalHeader()->setDefaultSectionSize(18);
  grid_->setColumnWidth(0, 125);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  // A double-click edits too, unless the row has choices: then it sets the next one.
  grid_->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed);
  grid_->setShowGrid(true);
  grid_->setItemDelegateForColumn(1, new ChoiceDelegate(grid_));
  layout->addWidget(grid_);
  setWidget(body);
  connect(objects_, &QComboBox::activated, this, &PropertiesWindow::Choose);
  connect(grid_, &QTableWidget::itemChanged, this, &PropertiesWindow::Edited);
  connect(grid_, &QTableWidget::itemDoubleClicked, this, &PropertiesWindow::DoubleClicked);
  Redraw();
}

int PropertiesWindow::RowOf(const QString& name) const {
  for (int row = 0; row < grid_->rowCount(); ++row)
    if (grid_->item(row, 0)->text() == name) return row;
  return -1;
}

void PropertiesWindow::Redraw() {
  const QSignalBlocker quiet_objects(objects_);
  filling_ = true;
  DesignerWindow* window = designer_ ? designer_() : nullptr;
  workbench::DesignerModel* model = window != nullptr ? window->Model() : nullptr;
  const QString current = grid_->currentItem() != nullptr ? grid_->item(grid_->currentRow(), 0)->text() : QString();
  objects_->clear();
  grid_->setRowCount(0);
  rows_.clear();
  if (model == nullptr) {
    setWindowTitle("Properties");
    filling_ = false;
    return;
  }
  const std::vector<host::VBControl*> shown = Shown(*model);
  setWindowTitle("Properties - " + FromVb(model->Designer().Form().Name()));
  for (const workbench::ObjectEntry& entry : model->Objects()) {
    objects_->addItem(FromVb(entry.text), QVariant::fromValue(reinterpret_cast<quintptr>(entry.control)));
    if (shown.size() == 1 && entry.control == shown.front()) objects_->setCurrentIndex(objects_->count() - 1);
  }
  if (shown.size() > 1) objects_->setCurrentIndex(-1);  // several controls: none of them named
  rows_ = model->Rows(shown);
  const auto& rows = rows_;
  grid_->setRowCount(static_cast<int>(rows.size()));
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    const workbench::PropertyRow& row = rows[static_cast<std::size_t>(i)];
    auto* name = new QTableWidgetItem(FromVb(row.name));
    name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    auto* value = new QTableWidgetItem(FromVb(row.shown));
    value->setFlags(row.editable ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                                 : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    value->setToolTip(FromVb(row.value));
    if (!row.choices.empty()) {
      QStringList choices;
      for (const std::string& choice : row.choices) choices << FromVb(choice);
      value->setData(kChoicesRole, choices);
    }
    grid_->setItem(i, 0, name);
    grid_->setItem(i, 1, value);
    if (name->text() == current) grid_->setCurrentCell(i, 1);
  }
  filling_ = false;
}

void PropertiesWindow::Choose(int index) {
  DesignerWindow* window = designer_ ? designer_() : nullptr;
  if (window == nullptr || window->Model() == nullptr || index < 0) return;
  workbench::DesignerModel& model = *window->Model();
  auto* control = reinterpret_cast<host::VBControl*>(objects_->itemData(index).value<quintptr>());
  // The form is chosen by selecting no control, as a click on it does.
  model.Designer().Select(control == &model.Designer().Form() ? std::vector<host::VBControl*>{}
                                                              : std::vector<host::VBControl*>{control});
  Redraw();
  Q_EMIT changed();
}

void PropertiesWindow::DoubleClicked(QTableWidgetItem* item) {
  QTableWidgetItem* value = grid_->item(item->row(), 1);
  if (value == nullptr || !(value->flags() & Qt::ItemIsEditable) || item->row() >= static_cast<int>(rows_.size()))
    return;
  const std::string next = workbench::NextChoice(rows_[static_cast<std::size_t>(item->row())]);
  if (next.empty())
    grid_->editItem(value);
  else
    value->setText(FromVb(next));  // set as if picked from the drop-down
}

void PropertiesWindow::Edited(QTableWidgetItem* item) {
  if (filling_ || item->column() != 1) return;
  DesignerWindow* window = designer_ ? designer_() : nullptr;
  if (window == nullptr || window->Model() == nullptr) return;
  const std::string name = ToVb(grid_->item(item->row(), 0)->text());
  const std::string typed = ToVb(item->text());
  const std::vector<host::VBControl*> controls = Shown(*window->Model());
  // Later: the grid is still closing its editor, and the redraw replaces its items.
  QTimer::singleShot(0, this, [this, controls, name, typed] {
    DesignerWindow* window = designer_ ? designer_() : nullptr;
    if (window == nullptr || window->Model() == nullptr) return;
    workbench::DesignerModel& model = *window->Model();
    try {
      model.SetProperty(controls, name, typed);
    } catch (const VbError& error) {
      Q_EMIT problem(FromVb(error.Description()));
    }
    Redraw();
    Q_EMIT changed();
  });
}

}  // namespace gildex::desktop
