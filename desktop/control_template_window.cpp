#include "desktop/control_template_window.h"

#include <QComboBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "desktop/text.h"
#include "desktop/window_parts.h"

namespace gildex::desktop {

namespace {

constexpr const char* kHeading =
    "This section allows you create custom tempaltes for Visual Basic controls. These templates can then be applied "
    "to any control on a form by simply right-clicking on the control and selecting the template you wish to apply.";

// The window's controls, laid out as the add-in's form has them.
struct Parts {
  QComboBox* templates;
  QTreeWidget* properties;
  QPushButton* apply;
  QPushButton* close;
};

Parts LayOut(QDialog& dialog, bool select_mode) {
  auto* layout = new QVBoxLayout(&dialog);
  auto* heading = new QLabel(kHeading, &dialog);
  heading->setWordWrap(true);
  layout->addWidget(heading);
  auto* name_label = new QLabel("&Template Name", &dialog);
  auto* templates = new QComboBox(&dialog);
  templates->setObjectName("cboTemplates");
  templates->setEditable(!select_mode);
  templates->setInsertPolicy(QComboBox::NoInsert);
  name_label->setBuddy(templates);
  layout->addWidget(name_label);
  layout->addWidget(templates);
  layout->addWidget(
      new QLabel("The following properties will be set for any control that uses this template.", &dialog));
  auto* properties = new QTreeWidget(&dialog);
  properties->setObjectName("lvwProperties");
  properties->setHeaderLabels({"Property", "Value"});
  properties->setRootIsDecorated(false);
  properties->setColumnWidth(0, 180);
  properties->setContextMenuPolicy(Qt::CustomContextMenu);
  properties->setEditTriggers(select_mode
                                  ? QAbstractItemView::NoEditTriggers
                                  : QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  layout->addWidget(properties, 1);
  layout->addWidget(new Divider({}, &dialog));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* apply = new QPushButton(&dialog);
  apply->setObjectName("cmdApply");
  auto* close = new QPushButton("&Close", &dialog);
  close->setObjectName("cmdClose");
  for (QPushButton* button : {apply, close}) button->setMinimumWidth(97);
  buttons->addWidget(apply);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  return {templates, properties, apply, close};
}

}  // namespace

void ControlTemplateWindow::ShowModal(frmControlTemplate& form) {
  QDialog dialog;
  dialog.setObjectName("frmControlTemplate");
  dialog.setWindowTitle(FromVb(frmControlTemplate::kCaption));
  dialog_ = &dialog;
  const Parts parts = LayOut(dialog, form.SelectMode());
  QComboBox* templates = parts.templates;
  QTreeWidget* properties = parts.properties;
  QPushButton* apply = parts.apply;
  QPushButton* close = parts.close;

  QMenu menu("Template", &dialog);
  menu.setObjectName("mnuTemplate");
  QAction* add_entry = menu.addAction("&Add Entry");
  QAction* remove_entry = menu.addAction("&Remove Entry");
  menu.addSeparator();
  QAction* edit_entry = menu.addAction("&Edit");

  bool drawing = false;
  const auto redraw = [&] {
    drawing = true;
    {
      const QSignalBlocker quiet(templates);
      templates->clear();
      for (const std::string& name : form.Templates()) templates->addItem(FromVb(name));
      templates->setCurrentIndex(templates->findText(FromVb(form.ComboText()), Qt::MatchFixedString));
      if (templates->isEditable()) templates->setEditText(FromVb(form.ComboText()));
    }
    properties->clear();
    for (const frmControlTemplate::Row& row : form.Rows()) {
      auto* item = new QTreeWidgetItem(properties, {FromVb(row.text), FromVb(row.value)});
      if (!form.SelectMode()) item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    apply->setText(form.ApplyCaption());
    apply->setEnabled(form.ApplyEnabled());
    drawing = false;
    if (!form.Visible()) dialog.done(QDialog::Accepted);
  };
  // Each user action: the handler, its failure reported, then the window drawn afresh.
  const auto act = [&](const char* name, const std::function<void()>& handler) {
    report_().Trap(std::string("frmControlTemplate.") + name, handler);
    redraw();
  };

  QObject::connect(templates, &QComboBox::activated, &dialog, [&](int index) {
    act("cboTemplates_Click", [&] { form.cboTemplates_Click(ToVb(templates->itemText(index))); });
  });
  if (QLineEdit* edit = templates->lineEdit())
    QObject::connect(edit, &QLineEdit::textEdited, &dialog, [&](const QString& text) { form.TypeName(ToVb(text)); });
  QObject::connect(properties, &QTreeWidget::itemChanged, &dialog, [&](QTreeWidgetItem* item, int column) {
    if (drawing || column != 0) return;
    const auto row = static_cast<std::size_t>(properties->indexOfTopLevelItem(item));
    const std::string text = ToVb(item->text(0));
    // Later: the handler asks for the value, which must not happen inside the editor's commit.
    QMetaObject::invokeMethod(
        &dialog, [&, row, text] { act("lvwProperties_AfterLabelEdit", [&] { form.EditRow(row, text); }); },
        Qt::QueuedConnection);
  });
  const auto edit_current = [&] {
    if (QTreeWidgetItem* item = properties->currentItem()) properties->editItem(item, 0);
  };
  QObject::connect(add_entry, &QAction::triggered, &dialog, [&] {
    act("mnuAddEntry_Click", [&] { form.AddEntry(); });
    if (properties->topLevelItemCount() > 0 && !form.SelectMode()) {
      QTreeWidgetItem* last = properties->topLevelItem(properties->topLevelItemCount() - 1);
      properties->scrollToItem(last);
      properties->setCurrentItem(last);
      properties->editItem(last, 0);
    }
  });
  QObject::connect(remove_entry, &QAction::triggered, &dialog, [&] {
    const int row = properties->indexOfTopLevelItem(properties->currentItem());
    if (row >= 0) act("mnuRemoveEntry_Click", [&] { form.RemoveEntry(static_cast<std::size_t>(row)); });
  });
  QObject::connect(edit_entry, &QAction::triggered, &dialog, edit_current);
  QObject::connect(properties, &QTreeWidget::customContextMenuRequested, &dialog, [&](const QPoint& at) {
    if (form.SelectMode()) return;
    const bool chosen = properties->currentItem() != nullptr && properties->currentItem()->isSelected();
    edit_entry->setEnabled(chosen);
    remove_entry->setEnabled(chosen);
    menu.exec(properties->viewport()->mapToGlobal(at));
  });
  QObject::connect(properties, &QTreeWidget::itemActivated, &dialog, [&](QTreeWidgetItem* item) {
    if (!form.SelectMode()) properties->editItem(item, 0);
  });
  QObject::connect(apply, &QPushButton::clicked, &dialog, [&] {
    if (!form.SelectMode()) form.TypeName(ToVb(templates->currentText()));
    act("cmdApply_Click", [&] { form.cmdApply_Click(); });
    if (!form.SelectMode() && form.ComboText().empty()) templates->setFocus();
  });
  QObject::connect(close, &QPushButton::clicked, &dialog,
                   [&] { act("cmdClose_Click", [&] { form.cmdClose_Click(); }); });

  redraw();
  dialog.resize(470, 460);
  CentreOnScreen(&dialog);
  // The title bar and Escape close the window as its Close button does.
  if (dialog.exec() != QDialog::Accepted && form.Visible()) form.cmdClose_Click();
  dialog_ = nullptr;
}

std::optional<std::string> ControlTemplateWindow::AskValue(const std::string& prompt, const std::string& title,
                                                           const std::string& current) {
  bool ok = false;
  const QString value =
      QInputDialog::getText(dialog_, FromVb(title), FromVb(prompt), QLineEdit::Normal, FromVb(current), &ok);
  if (!ok) return std::nullopt;
  return ToVb(value);
}

}  // namespace gildex::desktop
