#include "desktop/procedure_templates_window.h"

#include <QCheckBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <map>

#include "desktop/text.h"
#include "desktop/window_parts.h"

namespace gildex::desktop {

namespace {

constexpr int kKeyRole = Qt::UserRole;

// The tree's pictures, our own: a coloured tile with the kind's letter.
QIcon NodeIcon(const std::string& image) {
  struct Look {
    QColor colour;
    const char* letter;
  };
  static const std::map<std::string, Look> kLooks = {
      {"project", {QColor(120, 80, 30), "P"}}, {"module", {QColor(30, 110, 60), "M"}},
      {"class", {QColor(150, 60, 150), "C"}},  {"form", {QColor(30, 80, 170), "F"}},
      {"MDIform", {QColor(20, 50, 120), "D"}}, {"property", {QColor(170, 110, 0), "G"}},
      {"user", {QColor(0, 130, 140), "U"}},    {"userdoc", {QColor(90, 90, 160), "O"}},
  };
  const auto found = kLooks.find(image);
  const Look look = found != kLooks.end() ? found->second : Look{QColor(120, 120, 120), "?"};
  QPixmap tile(16, 16);
  tile.fill(Qt::transparent);
  QPainter p(&tile);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(look.colour.darker(140));
  p.setBrush(look.colour);
  p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
  QFont font = p.font();
  font.setPixelSize(11);
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, look.letter);
  return QIcon(tile);
}

}  // namespace

void ProcedureTemplatesWindow::ShowModal(frmAdvancedTemplate& form) {
  QDialog dialog;
  dialog.setObjectName("frmAdvancedTemplate");
  dialog.setWindowTitle(frmAdvancedTemplate::kCaption);
  dialog_ = &dialog;
  auto* layout = new QVBoxLayout(&dialog);
  caption_ = new QLabel(&dialog);
  caption_->setObjectName("lblCaption");
  caption_->setWordWrap(true);
  layout->addWidget(caption_);
  auto* split = new QSplitter(Qt::Horizontal, &dialog);
  split->setChildrenCollapsible(false);
  projects_ = new QTreeWidget(split);
  projects_->setObjectName("tvwVBProjects");
  projects_->setHeaderHidden(true);
  members_ = new QTreeWidget(split);
  members_->setObjectName("lvwMembers");
  QStringList columns;
  for (const char* column : frmAdvancedTemplate::kColumns) columns << column;
  members_->setHeaderLabels(columns);
  members_->setRootIsDecorated(false);
  members_->setColumnWidth(0, 190);
  members_->setColumnWidth(1, 70);
  split->addWidget(projects_);
  split->addWidget(members_);
  split->setSizes({190, 400});
  split->setStretchFactor(1, 1);
  layout->addWidget(split, 1);
  auto_apply_ = new QCheckBox(frmAdvancedTemplate::kAutoApplyCaption, &dialog);
  auto_apply_->setObjectName("chkAutoApply");
  layout->addWidget(auto_apply_);
  layout->addWidget(new Divider({}, &dialog));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  apply_ = new QPushButton(frmAdvancedTemplate::kApplyCaption, &dialog);
  apply_->setObjectName("cmdApply");
  auto* close = new QPushButton(frmAdvancedTemplate::kCloseCaption, &dialog);
  close->setObjectName("Command1");
  for (QPushButton* button : {apply_, close}) {
    button->setMinimumWidth(97);
    button->setAutoDefault(false);
    buttons->addWidget(button);
  }
  layout->addLayout(buttons);
  dialog.resize(640, 420);

  OnNodeClick(projects_, &drawing_, [&](QTreeWidgetItem* item) {
    form.tvwVBProjects_NodeClick(ToVb(item->data(0, kKeyRole).toString()));
  });
  QObject::connect(members_, &QTreeWidget::itemChanged, &dialog, [&](QTreeWidgetItem* item, int column) {
    if (drawing_ || column != 0) return;
    form.lvwMembers_ItemCheck(static_cast<std::size_t>(members_->indexOfTopLevelItem(item)),
                              item->checkState(0) == Qt::Checked);
  });
  QObject::connect(members_, &QTreeWidget::itemClicked, &dialog, [&](QTreeWidgetItem* item) {
    if (!drawing_) form.lvwMembers_ItemClick(static_cast<std::size_t>(members_->indexOfTopLevelItem(item)));
  });
  QObject::connect(auto_apply_, &QCheckBox::toggled, &dialog, [&](bool checked) {
    if (!drawing_) form.chkAutoApply_Click(checked);
  });
  QObject::connect(apply_, &QPushButton::clicked, &dialog, [&] { form.cmdApply_Click(); });
  QObject::connect(close, &QPushButton::clicked, &dialog, [&] { form.Command1_Click(); });

  Draw(form.State());
  CentreOnScreen(&dialog);
  dialog.exec();
  dialog_ = nullptr;
}

void ProcedureTemplatesWindow::Draw(const AdvancedTemplateState& state) {
  if (dialog_ == nullptr) return;
  drawing_ = true;
  caption_->setText(FromVb(state.label));

  // The first node is the project's, the others its components.
  std::vector<TreeNode> nodes;
  for (const ProjectNode& node : state.nodes)
    nodes.push_back({FromVb(node.key), nodes.empty() ? QString() : nodes.front().key, FromVb(node.text), FromVb(node.image)});
  FillTree(projects_, nodes, kKeyRole, [](QTreeWidgetItem* item, const TreeNode& node) {
    item->setIcon(0, NodeIcon(ToVb(node.look)));
    if (node.parent.isEmpty()) item->setExpanded(true);
  });

  nodes.clear();
  for (std::size_t i = 0; i < state.rows.size(); ++i)
    nodes.push_back({QString::number(i), {}, FromVb(state.rows[i].name), {}});
  const auto made = [](QTreeWidgetItem* item, const TreeNode&) {
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  };
  const std::vector<QTreeWidgetItem*> rows = FillTree(members_, nodes, kKeyRole, made);
  for (std::size_t i = 0; i < state.rows.size(); ++i) {
    rows[i]->setText(1, FromVb(state.rows[i].type));
    rows[i]->setText(2, FromVb(state.rows[i].template_name));
    rows[i]->setCheckState(0, state.rows[i].checked ? Qt::Checked : Qt::Unchecked);
  }
  auto_apply_->setChecked(state.auto_apply);
  apply_->setEnabled(state.apply_enabled);
  drawing_ = false;
}

void ProcedureTemplatesWindow::Unload() {
  if (dialog_ != nullptr) dialog_->done(QDialog::Accepted);
}

}  // namespace gildex::desktop
