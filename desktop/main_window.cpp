#include "desktop/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "common/error_report.h"
#include "desktop/code_window.h"
#include "desktop/designer_window.h"
#include "desktop/face_icons.h"
#include "desktop/properties_window.h"
#include "desktop/text.h"
#include "desktop/timer_pump.h"
#include "desktop/toolbox.h"
#include "workbench/explorer.h"

namespace gildex::desktop {

namespace {

using workbench::IdeAction;

constexpr int kComponentRole = Qt::UserRole + 1;
constexpr int kMenuBarRole = Qt::UserRole + 2;
constexpr int kProjectRole = Qt::UserRole + 3;

template <class T>
T* PointerOf(const QVariant& value) {
  return reinterpret_cast<T*>(value.value<quintptr>());
}

}  // namespace

MainWindow::MainWindow(workbench::Workbench& bench, platform::Dialogs& dialogs) : bench_(bench), dialogs_(dialogs) {
  setObjectName("MainWindow");
  setWindowIcon(AppIcon());
  if (auto* qt = dynamic_cast<QtDialogs*>(&dialogs_)) qt->SetOwner(this);
  bars_ = new CommandBarView([this]() -> host::CommandBars& { return bench_.Vbe().Bars(); },
                             [this](IdeAction action) { RunIdeAction(action); }, this);
  connect(bars_, &CommandBarView::clicked, this, &MainWindow::Refresh);
  bars_->SetState([this] {
    DesignerWindow* designer = ActiveDesigner();
    return workbench::IdeState{designer != nullptr && designer->Model()->CanArrange()};
  });

  workspace_ = new QMdiArea(this);
  workspace_->setObjectName("Workspace");
  workspace_->setBackground(QColor(128, 128, 128));
  setCentralWidget(workspace_);
  // The IDE learns which window the user works in: activated, or clicked or typed into while
  // it already was the active one (after a click in the explorer, say).
  connect(workspace_, &QMdiArea::subWindowActivated, this, &MainWindow::WindowUsed);
  qApp->installEventFilter(this);

  explorer_ = new QTreeWidget(this);
  explorer_->setObjectName("ProjectExplorer");
  explorer_->setHeaderHidden(true);
  explorer_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(explorer_, &QTreeWidget::customContextMenuRequested, this, &MainWindow::ExplorerMenu);
  connect(explorer_, &QTreeWidget::itemActivated, this, &MainWindow::ExplorerActivated);
  connect(explorer_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (item == nullptr) return;
    if (auto* project = PointerOf<host::MemoryProject>(item->data(0, kProjectRole)))
      bench_.Vbe().SetActiveProject(*project);
    if (auto* component = PointerOf<host::MemoryComponent>(item->data(0, kComponentRole)))
      bench_.Vbe().SelectComponent(*component);
  });
  explorer_dock_ = new QDockWidget("Project - " + QString(), this);
  explorer_dock_->setObjectName("ProjectExplorerDock");
  explorer_dock_->setWidget(explorer_);
  addDockWidget(Qt::RightDockWidgetArea, explorer_dock_);
  resizeDocks({explorer_dock_}, {300}, Qt::Horizontal);
  AddDesignerDocks();

  standard_ = addToolBar("Standard");
  standard_->setObjectName("Standard");
  gildex_bar_ = new QToolBar("Gildex", this);
  gildex_bar_->setObjectName("GildexToolbar");
  gildex_bar_->setIconSize(QSize(16, 16));
  gildex_dock_ = new QDockWidget("Gildex", this);
  gildex_dock_->setObjectName("GildexToolbarDock");
  gildex_dock_->setWidget(gildex_bar_);
  gildex_dock_->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                            QDockWidget::DockWidgetFloatable);
  addDockWidget(Qt::TopDockWidgetArea, gildex_dock_);
  gildex_dock_->hide();
  gildex_dock_->installEventFilter(this);
  connect(gildex_dock_, &QDockWidget::visibilityChanged, this, [this] { StoreGildexToolbarPlace(); });
  connect(gildex_dock_, &QDockWidget::topLevelChanged, this, [this] { StoreGildexToolbarPlace(); });

  statusBar()->showMessage("Ready");
  resize(1200, 800);
  // The add-in's auto-save timer ticks while the IDE waits for the user, as in VB6.
  new TimerPump(bench_.Context().timers, this);
  Refresh();
}

MainWindow::~MainWindow() {
  // Qt closes the workspace's windows while it takes this one apart, and closing one activates
  // another: nothing of this half-destroyed window may answer those signals.
  qApp->removeEventFilter(this);
  workspace_->disconnect();
  // The toolbar's dock hides as it goes and would store its place into a window already gone.
  gildex_dock_->removeEventFilter(this);
  gildex_dock_->disconnect(this);
  disconnect();
}

bool MainWindow::OpenProject(const std::filesystem::path& file) {
  // The windows keep drawing while a large project loads, but take no clicks on it.
  setEnabled(false);
  statusBar()->showMessage("Opening " + QString::fromStdString(file.string()) + "...");
  const std::string problem = bench_.Open(file);
  setEnabled(true);
  Refresh();
  if (!problem.empty()) {
    dialogs_.MsgBox({problem, platform::vbOKOnly | platform::vbExclamation, std::string(kAppTitle)});
    return bench_.HasProject() && bench_.OpenedFile() == file;
  }
  statusBar()->showMessage("Opened " + QString::fromStdString(file.string()));
  return true;
}

bool MainWindow::ConnectAddIn() {
  const Problem problem = bench_.ConnectAddIn();
  Refresh();
  if (!problem.empty()) {
    dialogs_.MsgBox({"Gildex could not be connected: " + ProblemText(problem), platform::vbOKOnly | platform::vbExclamation,
                     std::string(kAppTitle)});
    return false;
  }
  return true;
}

void MainWindow::DisconnectAddIn() {
  bench_.DisconnectAddIn();
  Refresh();
}

void MainWindow::Refresh() {
  setWindowTitle(FromVb(bench_.Vbe().MainWindowCaption()));
  BuildMenus();
  FillExplorer();
  SyncWindows();
  SyncGildexToolbar();
  Q_EMIT ideChanged();
}

void MainWindow::BuildMenus() {
  bars_->FillMenuBar(menuBar());
  bars_->FillToolBar(standard_, "Standard");
}

void MainWindow::FillExplorer() {
  const host::VBComponent* selected = bench_.Vbe().SelectedVBComponent();
  explorer_->clear();
  QTreeWidgetItem* current = nullptr;
  const std::function<void(QTreeWidgetItem*, const workbench::ExplorerNode&)> add =
      [&](QTreeWidgetItem* item, const workbench::ExplorerNode& node) {
        item->setText(0, FromVb(node.caption));
        item->setData(0, kMenuBarRole, QString::fromStdString(node.menu_bar));
        item->setData(0, kProjectRole, QVariant::fromValue(reinterpret_cast<quintptr>(node.project)));
        item->setData(0, kComponentRole, QVariant::fromValue(reinterpret_cast<quintptr>(node.component)));
        if (node.component != nullptr && node.component == selected) current = item;
        for (const auto& child : node.children) add(new QTreeWidgetItem(item), child);
      };
  for (const auto& project : workbench::ExplorerTree(bench_.Vbe())) add(new QTreeWidgetItem(explorer_), project);
  explorer_->expandAll();
  explorer_dock_->setWindowTitle("Project - " + (bench_.Vbe().ProjectCount() > 0
                                                     ? FromVb(bench_.Vbe().Project(1).Name())
                                                     : QString("(none)")));
  if (current != nullptr) {
    const QSignalBlocker quiet(explorer_);
    explorer_->setCurrentItem(current);
  }
}

QTreeWidgetItem* MainWindow::ExplorerItem(const host::MemoryComponent& component) {
  for (QTreeWidgetItemIterator it(explorer_); *it; ++it)
    if (PointerOf<host::MemoryComponent>((*it)->data(0, kComponentRole)) == &component) return *it;
  return nullptr;
}

host::MemoryComponent* MainWindow::SelectedComponent() {
  return dynamic_cast<host::MemoryComponent*>(bench_.Vbe().SelectedVBComponent());
}

void MainWindow::ExplorerMenu(const QPoint& at) {
  QTreeWidgetItem* item = explorer_->itemAt(at);
  if (item == nullptr) return;
  explorer_->setCurrentItem(item);
  bars_->Popup(item->data(0, kMenuBarRole).toString().toStdString(), explorer_->viewport()->mapToGlobal(at));
}

void MainWindow::ExplorerActivated(QTreeWidgetItem* item) {
  auto* component = PointerOf<host::MemoryComponent>(item->data(0, kComponentRole));
  if (component == nullptr) return;
  if (workbench::OpensDesigner(*component))
    ShowDesigner(*component);
  else
    ShowCode(*component);
}

QMdiSubWindow* MainWindow::FindWindow(const host::MemoryComponent& component, host::WindowType type) {
  for (QMdiSubWindow* window : workspace_->subWindowList())
    if (PointerOf<host::MemoryComponent>(window->property("component")) == &component &&
        window->property("type").toInt() == static_cast<int>(type))
      return window;
  return nullptr;
}

QMdiSubWindow* MainWindow::AddWindow(QWidget* content, host::MemoryComponent& component, host::WindowType type) {
  QMdiSubWindow* window = workspace_->addSubWindow(content);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setProperty("component", QVariant::fromValue(reinterpret_cast<quintptr>(&component)));
  window->setProperty("type", static_cast<int>(type));
  const QString suffix = type == host::WindowType::CodeWindow ? " (Code)" : " (Form)";
  window->setWindowTitle(FromVb(component.Project().Name() + " - " + component.Name()) + suffix);
  window->resize(720, 480);
  window->show();
  return window;
}

QMdiSubWindow* MainWindow::ShowCode(host::MemoryComponent& component) {
  if (component.Code() == nullptr) return nullptr;
  bench_.Vbe().ShowCode(component);
  QMdiSubWindow* window = FindWindow(component, host::WindowType::CodeWindow);
  if (window == nullptr) {
    auto* code = new CodeWindow(component, [this, &component] { bench_.Vbe().ShowCode(component); }, *bars_);
    window = AddWindow(code, component, host::WindowType::CodeWindow);
  }
  workspace_->setActiveSubWindow(window);
  return window;
}

QMdiSubWindow* MainWindow::ShowDesigner(host::MemoryComponent& component) {
  if (component.GetDesigner() == nullptr) return ShowCode(component);
  bench_.Vbe().ShowDesigner(component);
  QMdiSubWindow* window = FindWindow(component, host::WindowType::Designer);
  if (auto* old = window != nullptr ? window->findChild<DesignerWindow*>() : nullptr; old && !old->Model()) {
    // Left from the component before a reload: a new window shows the new one.
    window->setProperty("component", QVariant::fromValue(quintptr{0}));
    window->close();
    window = nullptr;
  }
  if (window == nullptr) {
    // The designer is gone with its session, when its window was closed (the component was
    // removed or reloaded), and when a reload made the component a new one.
    const auto alive = [this, number = bench_.SessionNumber(), &component, made = component.GetDesigner()] {
      return bench_.SessionNumber() == number && bench_.Vbe().HasWindow(component, host::WindowType::Designer) &&
             component.GetDesigner() == made;
    };
    auto* designer = new DesignerWindow(component, alive, toolbox_);
    connect(designer, &DesignerWindow::changed, this, &MainWindow::Refresh);
    connect(designer, &DesignerWindow::selectionChanged, properties_, &PropertiesWindow::Redraw);
    connect(designer, &DesignerWindow::problem, this, &MainWindow::ShowDesignerProblem);
    connect(designer, &DesignerWindow::viewCode, this, [this, designer](long line) {
      host::MemoryComponent* shown = designer->Component();
      if (shown == nullptr || ShowCode(*shown) == nullptr || line <= 0) return;
      shown->Code()->Pane().SetSelection({line, 1, line, 1});
    });
    connect(designer, &DesignerWindow::contextMenu, this,
            [this](const std::string& bar, const QPoint& at) { bars_->Popup(bar, at); });
    connect(this, &MainWindow::ideChanged, designer, &DesignerWindow::Redraw);
    auto* scroll = new QScrollArea;
    scroll->setObjectName("DesignerScroll");
    scroll->setWidget(designer);
    scroll->setWidgetResizable(true);
    window = AddWindow(scroll, component, host::WindowType::Designer);
    window->resize((designer->sizeHint() + QSize(12, 36)).boundedTo(workspace_->size()));
  }
  workspace_->setActiveSubWindow(window);
  properties_->Redraw();
  return window;
}

DesignerWindow* MainWindow::ActiveDesigner() {
  const QList<QMdiSubWindow*> windows = workspace_->subWindowList(QMdiArea::ActivationHistoryOrder);
  for (auto it = windows.rbegin(); it != windows.rend(); ++it)
    if (auto* designer = (*it)->findChild<DesignerWindow*>(); designer != nullptr && designer->Model() != nullptr)
      return designer;
  return nullptr;
}

void MainWindow::AddDesignerDocks() {
  properties_ = new PropertiesWindow([this] { return ActiveDesigner(); }, this);
  addDockWidget(Qt::RightDockWidgetArea, properties_);
  connect(properties_, &PropertiesWindow::changed, this, &MainWindow::Refresh);
  connect(properties_, &PropertiesWindow::problem, this, &MainWindow::ShowDesignerProblem);
  connect(this, &MainWindow::ideChanged, properties_, &PropertiesWindow::Redraw);
  connect(workspace_, &QMdiArea::subWindowActivated, properties_, &PropertiesWindow::Redraw);
  toolbox_ = new Toolbox(this);
  addDockWidget(Qt::LeftDockWidgetArea, toolbox_);
  connect(toolbox_, &Toolbox::addRequested, this, [this](const QString& class_name) {
    if (DesignerWindow* designer = ActiveDesigner()) designer->AddControl(class_name.toStdString());
  });
}

void MainWindow::ShowDesignerProblem(const QString& message) {
  dialogs_.MsgBox({ToVb(message), platform::vbOKOnly | platform::vbExclamation, "Microsoft Visual Basic"});
}

void MainWindow::SyncWindows() {
  // The add-in closes the IDE's windows (and a reload or a new project does): their Qt
  // windows follow.
  for (QMdiSubWindow* window : workspace_->subWindowList()) {
    auto* component = PointerOf<host::MemoryComponent>(window->property("component"));
    const auto type = static_cast<host::WindowType>(window->property("type").toInt());
    bool open = false;
    for (host::MemoryProject* project : bench_.Vbe().Projects())
      for (host::MemoryComponent* candidate : project->Components())
        if (candidate == component) open = bench_.Vbe().HasWindow(*component, type);
    if (!open) {
      if (auto* designer = window->findChild<DesignerWindow*>()) designer->Detach();
      window->setProperty("component", QVariant::fromValue(quintptr{0}));
      window->close();
    }
  }
}

void MainWindow::SyncGildexToolbar() {
  host::CommandBar* bar = bench_.Vbe().Bars().Find(kToolbarName);
  syncing_toolbar_ = true;
  if (bar == nullptr || !bar->visible) {
    gildex_dock_->hide();
  } else {
    bars_->FillToolBar(gildex_bar_, kToolbarName);
    const bool floating = bar->position == host::BarPosition::Floating;
    gildex_dock_->setFloating(floating);
    if (!floating) {
      const Qt::DockWidgetArea area = bar->position == host::BarPosition::Left    ? Qt::LeftDockWidgetArea
                                      : bar->position == host::BarPosition::Right ? Qt::RightDockWidgetArea
                                      : bar->position == host::BarPosition::Bottom ? Qt::BottomDockWidgetArea
                                                                                    : Qt::TopDockWidgetArea;
      if (dockWidgetArea(gildex_dock_) != area) addDockWidget(area, gildex_dock_);
      gildex_bar_->setOrientation(area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea ? Qt::Vertical
                                                                                                    : Qt::Horizontal);
    }
    if (floating) {
      gildex_dock_->move(bar->left, bar->top);
      gildex_dock_->adjustSize();
    }
    gildex_dock_->show();
  }
  syncing_toolbar_ = false;
}

void MainWindow::StoreGildexToolbarPlace() {
  if (syncing_toolbar_) return;
  host::CommandBar* bar = bench_.Vbe().Bars().Find(kToolbarName);
  if (bar == nullptr) return;
  // The add-in stores where the user left its toolbar when it disconnects.
  bar->visible = gildex_dock_->isVisible();
  switch (gildex_dock_->isFloating() ? Qt::NoDockWidgetArea : dockWidgetArea(gildex_dock_)) {
    case Qt::LeftDockWidgetArea:
      bar->position = host::BarPosition::Left;
      break;
    case Qt::RightDockWidgetArea:
      bar->position = host::BarPosition::Right;
      break;
    case Qt::BottomDockWidgetArea:
      bar->position = host::BarPosition::Bottom;
      break;
    case Qt::TopDockWidgetArea:
      bar->position = host::BarPosition::Top;
      break;
    default:
      bar->position = host::BarPosition::Floating;
  }
  if (gildex_dock_->isFloating()) {
    bar->left = gildex_dock_->x();
    bar->top = gildex_dock_->y();
  }
}

void MainWindow::RunIdeAction(IdeAction action) {
  host::MemoryComponent* component = SelectedComponent();
  switch (action) {
    case IdeAction::OpenProject: {
      const std::string file = QtDialogs(this).OpenFileName("Open Project");
      if (!file.empty()) OpenProject(file);
      break;
    }
    case IdeAction::SaveProject:
      bench_.SaveAll();
      break;
    case IdeAction::SaveProjectAs:
      bench_.SaveProjectAs();
      break;
    case IdeAction::RemoveProject:
      bench_.Close();
      break;
    case IdeAction::Exit:
      close();
      break;
    case IdeAction::ViewCode:
      if (component != nullptr) ShowCode(*component);
      break;
    case IdeAction::ViewObject:
      if (component != nullptr) ShowDesigner(*component);
      break;
    case IdeAction::ProjectExplorer:
      explorer_dock_->show();
      break;
    case IdeAction::PropertiesWindow:
      properties_->show();
      properties_->raise();
      break;
    case IdeAction::Toolbox:
      toolbox_->show();
      toolbox_->raise();
      break;
    case IdeAction::DeleteControl:
      if (DesignerWindow* designer = ActiveDesigner()) designer->DeleteSelection();
      break;
    case IdeAction::BringToFront:
    case IdeAction::SendToBack:
    case IdeAction::AlignToGrid:
      if (DesignerWindow* designer = ActiveDesigner()) designer->Arrange(action);
      break;
    case IdeAction::AddInManager:
      ShowAddInManager();
      break;
    case IdeAction::TileHorizontally:
    case IdeAction::TileVertically:
      workspace_->tileSubWindows();
      break;
    case IdeAction::Cascade:
      workspace_->cascadeSubWindows();
      break;
    case IdeAction::About:
      QMessageBox::about(this, "About gildex-ide",
                         "gildex-ide " GILDEX_VERSION "\nA VB6 IDE for Linux with the Gildex add-in.");
      break;
    default:
      statusBar()->showMessage("Not available in this IDE.");
      break;
  }
  Refresh();
}

void MainWindow::ShowAddInManager() {
  QDialog dialog(this);
  dialog.setObjectName("AddInManager");
  dialog.setWindowTitle("Add-In Manager");
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel("Available Add-Ins:"));
  auto* loaded = new QCheckBox("Gildex - Loaded", &dialog);
  loaded->setObjectName("chkLoaded");
  loaded->setChecked(bench_.AddInConnected());
  layout->addWidget(loaded);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted) return;
  if (loaded->isChecked() && !bench_.AddInConnected())
    ConnectAddIn();
  else if (!loaded->isChecked() && bench_.AddInConnected())
    DisconnectAddIn();
}

void MainWindow::WindowUsed(QMdiSubWindow* window) {
  auto* component = window != nullptr ? PointerOf<host::MemoryComponent>(window->property("component")) : nullptr;
  if (component == nullptr) return;
  if (!bench_.WindowUsed(*component, static_cast<host::WindowType>(window->property("type").toInt()))) return;
  if (QTreeWidgetItem* row = ExplorerItem(*component)) {
    const QSignalBlocker quiet(explorer_);
    explorer_->setCurrentItem(row);
  }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if ((event->type() == QEvent::MouseButtonPress || event->type() == QEvent::FocusIn) && watched->isWidgetType())
    for (QWidget* widget = static_cast<QWidget*>(watched); widget != nullptr; widget = widget->parentWidget())
      if (auto* window = qobject_cast<QMdiSubWindow*>(widget); window != nullptr && window->mdiArea() == workspace_) {
        WindowUsed(window);
        break;
      }
  if (watched == gildex_dock_ && event->type() == QEvent::Move) StoreGildexToolbarPlace();
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!bench_.Close()) {
    event->ignore();
    return;
  }
  event->accept();
}

}  // namespace gildex::desktop
