#pragma once
// For the tests of desktop/: a window's control by its object name, a failure when it is missing;
// choosing from a pop-up menu; the open project's code; the IDE with the add-in's windows.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "desktop/addin_windows.h"
#include "desktop/main_window.h"
#include "desktop/qt_dialogs.h"
#include "host/vbide.h"
#include "session/sample_project_test.h"
#include "workbench/workbench.h"

namespace gildex::desktop {

template <class T>
T* Child(QWidget* window, const char* name) {
  T* child = window->findChild<T*>(name);
  EXPECT_NE(child, nullptr) << name;
  return child;
}

// Runs `open`, which pops up a menu, and clicks the first enabled entry `wanted` accepts; false
// (and the menu closed) when there is none.
inline bool ChooseFromPopup(const std::function<void()>& open, const std::function<bool(QAction*)>& wanted) {
  bool chosen = false;
  QTimer chooser;
  QObject::connect(&chooser, &QTimer::timeout, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return;
    chooser.stop();
    for (QAction* action : menu->actions())
      if (action->isEnabled() && wanted(action)) {
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        chosen = true;
        return;
      }
    menu->close();
  });
  chooser.start(10);
  open();
  return chosen;
}

// Each code module's text of the first project, by component name.
inline std::map<std::string, std::string> ProjectCode(workbench::Workbench& bench) {
  std::map<std::string, std::string> code;
  host::VBProject& project = bench.Vbe().Project(1);
  for (int i = 1; i <= project.ComponentCount(); ++i)
    if (host::CodeModule* module = project.Component(i).Code())
      code[project.Component(i).Name()] = module->Lines(1, module->CountOfLines());
  return code;
}

// The desktop program as main() makes it over a scratch copy of the sample project, with the
// add-in's windows and the add-in's boxes answered from a script.
struct AddInIde {
  AddInIde() {
    tools.Attach(bench);
    bench.SetAddInWindows(tools.Windows());
    window.ConnectAddIn();
    window.OpenProject(sample.Project());
  }

  testing::SampleProject sample;
  platform::ScriptedDialogs dialogs;
  QtDialogs qt_dialogs;
  AddInWindows tools{dialogs};
  workbench::Workbench bench{dialogs, false, [] { QApplication::processEvents(); }};
  MainWindow window{bench, qt_dialogs};
};

}  // namespace gildex::desktop
