#pragma once
// The IDE's main window: the menu bar and toolbars drawn from the host's command bars, the
// project explorer, the code and designer windows in one workspace, and the add-in's
// floating "Gildex" toolbar. It only draws the workbench and reports what the user did.
#include <QMainWindow>
#include <filesystem>
#include <string>

#include "desktop/command_bar_view.h"
#include "desktop/qt_dialogs.h"
#include "workbench/workbench.h"

class QDockWidget;
class QMdiArea;
class QMdiSubWindow;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace gildex::desktop {

class DesignerWindow;
class PropertiesWindow;
class Toolbox;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // `dialogs` answers the IDE's boxes: the Qt ones (boxes are then owned by this window), or
  // any other, such as a test's scripted answers.
  MainWindow(workbench::Workbench& bench, platform::Dialogs& dialogs);
  ~MainWindow() override;

  // Opens a project, group or file; a problem is shown in a box. False when it did not open.
  bool OpenProject(const std::filesystem::path& file);
  bool ConnectAddIn();
  void DisconnectAddIn();

  // Opens (or brings up) the component's code or designer window.
  QMdiSubWindow* ShowCode(host::MemoryComponent& component);
  QMdiSubWindow* ShowDesigner(host::MemoryComponent& component);

  workbench::Workbench& Bench() { return bench_; }
  CommandBarView& Bars() { return *bars_; }
  QTreeWidget* Explorer() { return explorer_; }
  QMdiArea* Workspace() { return workspace_; }
  QDockWidget* GildexToolbar() { return gildex_dock_; }
  PropertiesWindow* Properties() { return properties_; }
  Toolbox* Tools() { return toolbox_; }
  // The designer the properties window and the toolbox work on: the active window's, else
  // the one last active; null when no designer is open.
  DesignerWindow* ActiveDesigner();
  // The explorer row of a component, or null.
  QTreeWidgetItem* ExplorerItem(const host::MemoryComponent& component);
  // Redraws everything from the IDE after a command or an open.
  void Refresh();

 Q_SIGNALS:
  // The source or the designers may have changed: open windows redraw.
  void ideChanged();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus();
  void RunIdeAction(workbench::IdeAction action);
  void FillExplorer();
  void ExplorerMenu(const QPoint& at);
  void ExplorerActivated(QTreeWidgetItem* item);
  void SyncWindows();
  void SyncGildexToolbar();
  void StoreGildexToolbarPlace();
  void ShowAddInManager();
  void AddDesignerDocks();
  void ShowDesignerProblem(const QString& message);
  host::MemoryComponent* SelectedComponent();
  // The user works in `window`: its component becomes the IDE's selected one again.
  void WindowUsed(QMdiSubWindow* window);
  QMdiSubWindow* FindWindow(const host::MemoryComponent& component, host::WindowType type);
  QMdiSubWindow* AddWindow(QWidget* content, host::MemoryComponent& component, host::WindowType type);

  workbench::Workbench& bench_;
  platform::Dialogs& dialogs_;
  CommandBarView* bars_ = nullptr;
  QMdiArea* workspace_ = nullptr;
  QTreeWidget* explorer_ = nullptr;
  QDockWidget* explorer_dock_ = nullptr;
  QToolBar* standard_ = nullptr;
  QDockWidget* gildex_dock_ = nullptr;
  QToolBar* gildex_bar_ = nullptr;
  bool syncing_toolbar_ = false;
  PropertiesWindow* properties_ = nullptr;
  Toolbox* toolbox_ = nullptr;
};

}  // namespace gildex::desktop
