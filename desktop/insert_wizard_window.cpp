#include "desktop/insert_wizard_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>
#include <map>
#include <numbers>

#include "desktop/text.h"
#include "desktop/window_parts.h"

namespace gildex::desktop {

namespace {

constexpr int kKeyRole = Qt::UserRole;

// A label's text as VB6 shows it: "&" marks an access key ("&&" is one ampersand).
QString WithoutAccessKeys(const QString& text) {
  QString out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

QLabel* Explanation(QWidget* parent, int step) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString("lblSteps(%1)").arg(step));
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

// The drawings, in a 150 x 270 box: white shapes on the wizard's blue band.
void PaintPage(QPainter& p, QRectF page, const QColor& ink) {
  p.setPen(QPen(QColor(40, 40, 60), 1.2));
  p.setBrush(Qt::white);
  const qreal fold = 14;
  QPainterPath sheet;
  sheet.moveTo(page.topLeft());
  sheet.lineTo(page.right() - fold, page.top());
  sheet.lineTo(page.right(), page.top() + fold);
  sheet.lineTo(page.bottomRight());
  sheet.lineTo(page.bottomLeft());
  sheet.closeSubpath();
  p.drawPath(sheet);
  p.drawLine(QPointF(page.right() - fold, page.top()), QPointF(page.right() - fold, page.top() + fold));
  p.drawLine(QPointF(page.right() - fold, page.top() + fold), QPointF(page.right(), page.top() + fold));
  p.setPen(QPen(ink, 2));
  for (qreal y = page.top() + 22; y < page.bottom() - 8; y += 9)
    p.drawLine(QPointF(page.left() + 8, y), QPointF(page.right() - 10 - (static_cast<int>(y) % 3) * 6, y));
}

void PaintTick(QPainter& p, QPointF at, qreal size, const QColor& colour) {
  p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  QPainterPath tick;
  tick.moveTo(at + QPointF(0, size * 0.5));
  tick.lineTo(at + QPointF(size * 0.4, size));
  tick.lineTo(at + QPointF(size, 0));
  p.setBrush(Qt::NoBrush);
  p.drawPath(tick);
}

void PaintStar(QPainter& p, QPointF centre, qreal radius) {
  QPainterPath star;
  for (int i = 0; i < 10; ++i) {
    const qreal r = i % 2 == 0 ? radius : radius * 0.42;
    const qreal angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
    const QPointF point = centre + QPointF(r * std::cos(angle), r * std::sin(angle));
    if (i == 0)
      star.moveTo(point);
    else
      star.lineTo(point);
  }
  star.closeSubpath();
  p.setPen(QPen(QColor(150, 110, 0), 1));
  p.setBrush(QColor(255, 214, 60));
  p.drawPath(star);
}

void PaintIntro(QPainter& p) {
  // A wand over three sparkles.
  p.setPen(QPen(QColor(30, 30, 30), 1));
  p.save();
  p.translate(62, 150);
  p.rotate(-40);
  p.setBrush(QColor(40, 40, 40));
  p.drawRoundedRect(QRectF(-5, 0, 10, 90), 3, 3);
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(-5, 0, 10, 16), 3, 3);
  p.restore();
  PaintStar(p, QPointF(58, 140), 20);
  PaintStar(p, QPointF(98, 104), 12);
  PaintStar(p, QPointF(38, 92), 9);
  PaintStar(p, QPointF(104, 158), 8);
}

void PaintTemplate(QPainter& p) {
  // A page whose header and footer blocks are the template's.
  const QRectF page(28, 60, 94, 130);
  PaintPage(p, page, QColor(170, 170, 185));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(220, 60, 50));
  p.drawRect(QRectF(page.left() + 8, page.top() + 18, 58, 16));
  p.setBrush(QColor(40, 150, 70));
  p.drawRect(QRectF(page.left() + 8, page.bottom() - 28, 70, 16));
}

void PaintComponents(QPainter& p) {
  // Three modules, two of them ticked.
  const QColor fills[] = {QColor(255, 244, 190), QColor(205, 230, 255), QColor(225, 245, 215)};
  for (int i = 0; i < 3; ++i) {
    const QRectF box(24, 50 + i * 58, 70, 46);
    p.setPen(QPen(QColor(40, 40, 60), 1.2));
    p.setBrush(fills[i]);
    p.drawRect(box);
    p.setBrush(QColor(30, 60, 150));
    p.drawRect(QRectF(box.left(), box.top(), box.width(), 9));
    p.setPen(QPen(QColor(120, 120, 140), 2));
    for (int line = 0; line < 3; ++line)
      p.drawLine(QPointF(box.left() + 7, box.top() + 18 + line * 8), QPointF(box.right() - 12 - line * 9, box.top() + 18 + line * 8));
    p.setPen(QPen(QColor(40, 40, 60), 1.2));
    p.setBrush(Qt::white);
    const QRectF check(104, box.top() + 13, 20, 20);
    p.drawRect(check);
    if (i != 1) PaintTick(p, check.topLeft() + QPointF(3, 3), 14, QColor(20, 120, 40));
  }
}

void PaintSummary(QPainter& p) {
  // A clipboard with a ticked list.
  p.setPen(QPen(QColor(70, 45, 20), 1.2));
  p.setBrush(QColor(190, 140, 80));
  p.drawRoundedRect(QRectF(26, 52, 98, 150), 6, 6);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(34, 66, 82, 128));
  p.setBrush(QColor(170, 170, 180));
  p.drawRoundedRect(QRectF(56, 44, 38, 16), 4, 4);
  for (int i = 0; i < 4; ++i) {
    const qreal y = 80 + i * 27;
    PaintTick(p, QPointF(40, y), 12, QColor(20, 120, 40));
    p.setPen(QPen(QColor(120, 120, 140), 2));
    p.drawLine(QPointF(60, y + 7), QPointF(106 - (i % 2) * 12, y + 7));
  }
}

}  // namespace

WizardPicture::WizardPicture(QWidget* parent) : QWidget(parent) {
  setObjectName("picStep");
  setFixedSize(150, 270);
}

void WizardPicture::SetPicture(const QString& name) {
  if (name == name_) return;
  name_ = name;
  update();
}

void WizardPicture::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient band(0, 0, 0, height());
  band.setColorAt(0, QColor(0, 40, 120));
  band.setColorAt(1, QColor(60, 130, 210));
  p.fillRect(rect(), band);
  p.setPen(QPen(QColor(40, 40, 40), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  p.scale(width() / 150.0, height() / 270.0);
  static const std::map<QString, void (*)(QPainter&)> kPainters = {{"wizard-intro", PaintIntro},
                                                                    {"wizard-template", PaintTemplate},
                                                                    {"wizard-components", PaintComponents},
                                                                    {"wizard-summary", PaintSummary}};
  if (const auto found = kPainters.find(name_); found != kPainters.end()) found->second(p);
}

InsertWizardWindow::InsertWizardWindow() {
  setObjectName("frmWizard");
  setWindowTitle(frmWizard::kCaption);
  setAttribute(Qt::WA_QuitOnClose, false);
  setModal(false);

  auto* layout = new QVBoxLayout(this);
  auto* body = new QHBoxLayout;
  body->setSpacing(12);
  picture = new WizardPicture(this);
  body->addWidget(picture, 0, Qt::AlignTop);
  frames = new QStackedWidget(this);
  body->addWidget(frames, 1);
  layout->addLayout(body, 1);

  for (int step = 0; step < frmWizard::kSteps; ++step) {
    auto* frame = new QWidget(frames);
    frame->setObjectName(QString("frameWizard(%1)").arg(step));
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(0, 0, 0, 0);
    explanations_[step] = Explanation(frame, step);
    column->addWidget(explanations_[step]);
    frames->addWidget(frame);
  }

  auto* intro = static_cast<QVBoxLayout*>(frames->widget(0)->layout());
  intro->addStretch(1);
  show_intro = new QCheckBox(frmWizard::kShowIntroCaption, frames->widget(0));
  show_intro->setObjectName("chkShowIntro");
  intro->addWidget(show_intro);

  auto* choose = static_cast<QVBoxLayout*>(frames->widget(1)->layout());
  templates = new QTreeWidget(frames->widget(1));
  templates->setObjectName("tvwTemplates");
  templates->setHeaderHidden(true);
  choose->addWidget(templates, 1);

  BuildComponentsStep();

  auto* verify = static_cast<QVBoxLayout*>(frames->widget(3)->layout());
  summary = new QLabel(frames->widget(3));
  summary->setObjectName("lblVerifyOptions");
  summary->setWordWrap(true);
  summary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  summary->setFrameShape(QFrame::StyledPanel);
  summary->setFrameShadow(QFrame::Sunken);
  summary->setMargin(8);
  summary->setBackgroundRole(QPalette::Base);
  summary->setAutoFillBackground(true);
  verify->addWidget(summary, 1);

  layout->addWidget(new Divider({}, this));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (int index : {frmWizard::kCancel, frmWizard::kBack, frmWizard::kNext, frmWizard::kFinish}) {
    auto* button = new QPushButton(frmWizard::NavCaption(static_cast<frmWizard::Nav>(index)), this);
    button->setObjectName(QString("cmdNav(%1)").arg(index));
    button->setAutoDefault(false);
    button->setMinimumWidth(97);
    nav[index] = button;
    if (index == frmWizard::kBack || index == frmWizard::kFinish) buttons->addSpacing(10);
    buttons->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, index] { Act([index](frmWizard& w) { w.cmdNav_Click(index); }); });
  }
  layout->addLayout(buttons);
  resize(620, 400);

  connect(show_intro, &QCheckBox::toggled, this, [this](bool checked) {
    if (!drawing_) Act([checked](frmWizard& w) { w.chkShowIntro_Click(checked); });
  });
  OnNodeClick(templates, &drawing_, [this](QTreeWidgetItem* item) {
    const std::string key = ToVb(item->data(0, kKeyRole).toString());
    Act([key](frmWizard& w) { w.tvwTemplates_NodeClick(key); });
  });
  connect(components, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
    if (drawing_ || column != 0) return;
    const auto row = static_cast<std::size_t>(components->indexOfTopLevelItem(item));
    const bool checked = item->checkState(0) == Qt::Checked;
    Act([row, checked](frmWizard& w) { w.lvwComponents_ItemCheck(row, checked); });
  });
  connect(insert_options, &QComboBox::activated, this,
          [this](int index) { Act([index](frmWizard& w) { w.cboInsertOpts_Click(index); }); });
  connect(event_types, &QComboBox::activated, this,
          [this](int index) { Act([index](frmWizard& w) { w.cboEventType_Click(index); }); });
}

// The third step: the components to treat, and which of their procedures.
void InsertWizardWindow::BuildComponentsStep() {
  auto* pick = static_cast<QVBoxLayout*>(frames->widget(2)->layout());
  components = new QTreeWidget(frames->widget(2));
  components->setObjectName("lvwComponents");
  components->setHeaderLabels({frmWizard::kComponentColumn, frmWizard::kCodeLinesColumn});
  components->setRootIsDecorated(false);
  components->header()->setStretchLastSection(false);
  components->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  components->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  pick->addWidget(components, 1);
  auto* filter = new QGridLayout;
  auto* options_label = new QLabel("&Insert into :", frames->widget(2));
  insert_options = new QComboBox(frames->widget(2));
  insert_options->setObjectName("cboInsertOpts");
  for (const char* option : frmWizard::kInsertOptions) insert_options->addItem(option);
  options_label->setBuddy(insert_options);
  event_label = new QLabel(frmWizard::kEventTypeLabel, frames->widget(2));
  event_label->setObjectName("lblEventType");
  event_types = new QComboBox(frames->widget(2));
  event_types->setObjectName("cboEventType");
  event_types->setMaxVisibleItems(16);
  filter->addWidget(options_label, 0, 0);
  filter->addWidget(insert_options, 0, 1);
  filter->addWidget(event_label, 1, 0);
  filter->addWidget(event_types, 1, 1);
  filter->setColumnStretch(1, 1);
  pick->addLayout(filter);
}

void InsertWizardWindow::Show(frmWizard& wizard) {
  const bool placed = isVisible();
  wizard_ = &wizard;
  Redraw();
  if (!placed) CentreOnScreen(this);
  show();
  raise();
  activateWindow();
}

void InsertWizardWindow::Close(frmWizard& wizard) {
  if (wizard_ != &wizard) return;
  wizard_ = nullptr;
  hide();
}

void InsertWizardWindow::reject() {
  if (wizard_ == nullptr) return QDialog::reject();
  Act([](frmWizard& w) { w.cmdNav_Click(frmWizard::kCancel); });
}

void InsertWizardWindow::Act(const std::function<void(frmWizard&)>& handler) {
  if (wizard_ == nullptr) return;
  handler(*wizard_);
  // Finish and Cancel close the window through Close: the model is then not drawn again.
  if (wizard_ != nullptr) Redraw();
}

void InsertWizardWindow::Redraw() {
  if (wizard_ == nullptr) return;
  const frmWizard& w = *wizard_;
  drawing_ = true;
  const int step = w.Step();
  frames->setCurrentIndex(step);
  picture->SetPicture(w.Picture());
  explanations_[step]->setText(FromVb(w.Explanation()));
  show_intro->setChecked(w.ShowIntro());

  const TextTemplateTree& tree = w.Templates();
  std::vector<TreeNode> nodes;
  for (const TemplateTreeNode& node : tree.Nodes())
    nodes.push_back({FromVb(node.key), FromVb(node.parent_key), FromVb(node.text), {}});
  const std::vector<QTreeWidgetItem*> items = FillTree(templates, nodes, kKeyRole);
  QTreeWidgetItem* selected = nullptr;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const TemplateTreeNode& node = tree.Nodes()[i];
    QTreeWidgetItem* item = items[i];
    const bool folder = node.image == kImageTemplates;
    item->setIcon(0, style()->standardIcon(folder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon));
    QFont font = item->font(0);
    font.setBold(node.image == kImageDefault);
    item->setFont(0, font);
    item->setExpanded(node.expanded);
    if (node.key == tree.SelectedKey()) selected = item;
  }
  templates->setCurrentItem(selected);

  const auto& rows = w.Components();
  nodes.clear();
  for (std::size_t i = 0; i < rows.size(); ++i) nodes.push_back({QString::number(i), {}, FromVb(rows[i].name), {}});
  const auto made = [](QTreeWidgetItem* item, const TreeNode&) {
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
  };
  const std::vector<QTreeWidgetItem*> checks = FillTree(components, nodes, kKeyRole, made);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    checks[i]->setText(1, QString::number(rows[i].code_lines));
    checks[i]->setCheckState(0, rows[i].checked ? Qt::Checked : Qt::Unchecked);
  }

  if (event_types->count() != static_cast<int>(w.EventTypes().size())) {
    event_types->clear();
    for (const std::string& name : w.EventTypes()) event_types->addItem(FromVb(name));
  }
  insert_options->setCurrentIndex(w.InsertOption());
  event_types->setCurrentIndex(w.EventType());
  event_label->setVisible(w.EventListVisible());
  event_types->setVisible(w.EventListVisible());
  summary->setText(WithoutAccessKeys(FromVb(w.Summary())).replace("\r\n", "\n"));

  nav[frmWizard::kBack]->setEnabled(w.BackEnabled());
  nav[frmWizard::kNext]->setEnabled(w.NextEnabled());
  nav[frmWizard::kFinish]->setEnabled(w.FinishEnabled());
  drawing_ = false;
}

}  // namespace gildex::desktop
