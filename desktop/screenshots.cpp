#include "desktop/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QMenu>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <functional>
#include <vector>

#include "desktop/main_window.h"
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

// The code window of the first form (else the first module) with the cursor in an event
// procedure, so that both drop-downs show what VB6 shows there.
bool SaveCodeWindow(MainWindow& window, const QString& folder) {
  host::MemoryComponent* shown = nullptr;
  for (host::MemoryProject* project : window.Bench().Vbe().Projects())
    for (host::MemoryComponent* component : project->Components())
      if (component->Code() != nullptr &&
          (shown == nullptr || (component->Type() == host::ComponentType::VBForm &&
                                shown->Type() != host::ComponentType::VBForm)))
        shown = component;
  if (shown == nullptr) return true;
  QMdiSubWindow* sub = window.ShowCode(*shown);
  if (sub == nullptr) return false;
  sub->resize(760, 460);
  host::CodeModule& module = *shown->Code();
  for (long line = module.CountOfDeclarationLines() + 1; line <= module.CountOfLines(); ++line) {
    host::ProcKind kind = host::ProcKind::Proc;
    const std::string name = module.ProcOfLine(line, kind);
    if (name.find('_') == std::string::npos) continue;
    const long body = module.ProcBodyLine(name, kind) + 1;
    module.Pane().SetSelection({body, 5, body, 5});
    break;
  }
  return Save(sub, folder, "code-window");
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
  failed += !SaveCodeWindow(window, folder);
  return failed;
}

}  // namespace gildex::desktop
