#include "desktop/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QMenu>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <functional>
#include <vector>

#include "desktop/designer_window.h"
#include "desktop/main_window.h"
#include "desktop/properties_window.h"
#include "desktop/toolbox.h"
#include "desktop/text.h"
#include "tools/messages.h"

namespace gildex::desktop {

namespace {

void Settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

bool Save(QWidget* widget, const QString& folder, const QString& name) {
  Settle();
  return widget->grab().save(QDir(folder).filePath(name + ".png"));
}

// A bar of the host drawn as the context menu it is.
bool SaveMenu(MainWindow& window, const std::string& bar, const QString& folder, const QString& name) {
  QMenu menu;
  window.Bars().Fill(&menu, bar);
  menu.popup(window.mapToGlobal(QPoint(200, 150)));
  const bool saved = Save(&menu, folder, name);
  menu.close();
  return saved;
}

// The sample's richest form in its designer with one control selected, the properties window
// and the toolbox beside it, and the "Controls" menu a right click on the control opens.
int SaveDesignerShots(MainWindow& window, const QString& folder) {
  host::VBProject* project = window.Bench().Vbe().ActiveVBProject();
  auto* form = project != nullptr ? dynamic_cast<host::MemoryComponent*>(project->FindComponent("frmCustomer")) : nullptr;
  if (form == nullptr) return 0;
  QMdiSubWindow* sub = window.ShowDesigner(*form);
  auto* designer = sub != nullptr ? sub->findChild<DesignerWindow*>() : nullptr;
  if (designer == nullptr) return 1;
  host::VBControl* chosen = nullptr;
  for (host::VBControl* control : form->GetDesigner()->Controls())
    if (control->Name() == "txtName") chosen = control;
  if (chosen != nullptr) form->GetDesigner()->Select({chosen});
  window.Refresh();
  int failed = 0;
  failed += !Save(sub, folder, "designer");
  failed += !Save(window.Properties(), folder, "properties-window");
  // The toolbox down to its last tool: the dock below it is empty.
  Settle();
  const QToolButton* last = window.Tools()->Tool(workbench::ToolboxClasses().back());
  const int bottom = last->mapTo(window.Tools(), QPoint(0, last->height())).y() + 6;
  failed += !window.Tools()->grab(QRect(0, 0, window.Tools()->width(), bottom)).save(QDir(folder).filePath("toolbox.png"));
  // The menu is a window of its own: drawn onto the designer where the click was.
  const workbench::ControlView* view = designer->Model()->ViewOf(chosen);
  if (view == nullptr) return failed + 1;
  QMenu menu;
  window.Bars().Fill(&menu, "Controls");
  menu.popup(QPoint(0, 0));
  Settle();
  const QPixmap menu_picture = menu.grab();
  menu.close();
  QPixmap picture = sub->grab();
  const QPoint click = designer->mapTo(sub, designer->WidgetPoint({view->rect.x + 40, view->rect.y + 12}));
  QPainter painter(&picture);
  painter.drawPixmap(click, menu_picture);
  painter.end();
  failed += !picture.save(QDir(folder).filePath("designer-controls-menu.png"));
  return failed;
}

}  // namespace

int TakeScreenshots(MainWindow& window, const QString& folder) {
  QDir().mkpath(folder);
  int failed = 0;
  // The add-in's toolbar, shown where the user would find it after switching it on.
  if (host::CommandBar* bar = window.Bench().Vbe().Bars().Find(kToolbarName)) {
    bar->visible = true;
    bar->position = host::BarPosition::Top;
    window.Refresh();
  }
  window.show();
  window.resize(1280, 820);
  failed += !Save(&window, folder, "main-window");
  for (const auto& [bar, name] : std::vector<std::pair<std::string, QString>>{
           {"Project Window Project", "menu-project"},
           {"Project Window Module/Class Folder", "menu-module"},
           {"Project Window Form Folder", "menu-form"},
           {"Code Window", "menu-code-window"},
           {"Controls", "menu-controls"}})
    failed += !SaveMenu(window, bar, folder, name);
  for (QMenu* menu : window.menuBar()->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) {
    const QString name = menu->objectName().remove('&').toLower().replace(' ', '-');
    if (name != "file" && name != "add-ins") continue;
    menu->popup(window.mapToGlobal(QPoint(10, 30)));
    failed += !Save(menu, folder, "menu-bar-" + name);
    menu->close();
  }
  if (!window.GildexToolbar()->isHidden()) failed += !Save(window.GildexToolbar(), folder, "toolbar-gildex");
  failed += SaveDesignerShots(window, folder);
  return failed;
}

}  // namespace gildex::desktop
