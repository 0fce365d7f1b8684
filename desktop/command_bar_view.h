#pragma once
// Draws the host's command bars with Qt: a bar as a context menu, the menu bar, a toolbar.
// Menus are built afresh each time they open, because the add-in adds, hides and removes its
// entries while the IDE runs. A click reaches the entry after the menu has closed: the
// add-in's handlers when it has any, else the IDE's own action for the entry.
#include <QMenu>
#include <QMenuBar>
#include <QObject>
#include <QToolBar>
#include <functional>
#include <string>
#include <vector>

#include "host/command_bars.h"
#include "workbench/ide_actions.h"

namespace gildex::desktop {

class CommandBarView : public QObject {
  Q_OBJECT

 public:
  using BarsOf = std::function<host::CommandBars&()>;
  using IdeHandler = std::function<void(workbench::IdeAction)>;
  // `bars` gives the current IDE's bars (the IDE is made anew for each project opened).
  CommandBarView(BarsOf bars, IdeHandler ide, QObject* parent = nullptr);

  // Fills `menu` with the entries of the bar named `bar_name`; nothing when there is none.
  void Fill(QMenu* menu, const std::string& bar_name);
  // Shows the bar as a context menu at `global` and runs the chosen entry.
  void Popup(const std::string& bar_name, const QPoint& global);
  // The host's "Menu Bar" drawn on `menu_bar`, each menu rebuilt when it opens.
  void FillMenuBar(QMenuBar* menu_bar);
  // Redraws the buttons of `toolbar` from the bar: its clickable entries only.
  void FillToolBar(QToolBar* toolbar, const std::string& bar_name);
  // What the IDE's own entries would act on now (the designer's arranging entries are drawn
  // disabled while no control is selected); without one, they all can.
  void SetState(std::function<workbench::IdeState()> state) { state_ = std::move(state); }
  // Runs the entry at `path` (indexes from the bar's first control) of the bar.
  void Click(const std::string& bar_name, const std::vector<int>& path);

 Q_SIGNALS:
  // After an entry ran: what the windows show may have changed.
  void clicked();

 private:
  void FillFrom(QMenu* menu, host::CommandBar& bar, const std::string& bar_name, std::vector<int> path);
  void AddToolbarToggles(QMenu* menu);
  QAction* ActionFor(host::CommandBarControl& control, const std::string& bar_name, const std::vector<int>& path,
                     QObject* owner);
  workbench::IdeState State() const { return state_ ? state_() : workbench::IdeState{}; }

  BarsOf bars_;
  IdeHandler ide_;
  std::function<workbench::IdeState()> state_;
};

}  // namespace gildex::desktop
