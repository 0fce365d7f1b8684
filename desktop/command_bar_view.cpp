#include "desktop/command_bar_view.h"

#include <QTimer>
#include <cctype>

#include "desktop/face_icons.h"
#include "desktop/text.h"

namespace gildex::desktop {

namespace {

host::CommandBarControl* At(host::CommandBar* bar, const std::vector<int>& path) {
  host::CommandBarControl* control = nullptr;
  for (int index : path) {
    if (bar == nullptr || index < 0 || static_cast<std::size_t>(index) >= bar->controls.size()) return nullptr;
    control = bar->controls[static_cast<std::size_t>(index)].get();
    bar = control->popup.get();
  }
  return control;
}

// The captions down to the entry at `path`, in lower case without access keys:
// "view/toolbars" for the menu bar's View > Toolbars popup.
std::string CaptionPath(host::CommandBar* bar, const std::vector<int>& path) {
  std::string captions;
  for (std::size_t depth = 1; depth <= path.size(); ++depth) {
    const host::CommandBarControl* control = At(bar, {path.begin(), path.begin() + static_cast<long>(depth)});
    if (control == nullptr) return {};
    if (!captions.empty()) captions += '/';
    for (char c : control->caption)
      if (c != '&') captions += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return captions;
}

}  // namespace

CommandBarView::CommandBarView(BarsOf bars, IdeHandler ide, QObject* parent)
    : QObject(parent), bars_(std::move(bars)), ide_(std::move(ide)) {}

QAction* CommandBarView::ActionFor(host::CommandBarControl& control, const std::string& bar_name,
                                   const std::vector<int>& path, QObject* owner) {
  auto* action = new QAction(FaceIcon(control.face_id), FromVb(control.caption), owner);
  action->setObjectName(FromVb(control.tag.empty() ? control.caption : control.tag + ":" + control.caption));
  action->setToolTip(FromVb(control.tooltip_text.empty() ? control.caption : control.tooltip_text));
  action->setEnabled(workbench::Clickable(control, State()));
  // Deferred: the menu closes first, and the handler may rebuild the very bar it came from.
  connect(action, &QAction::triggered, this,
          [this, bar_name, path] { QTimer::singleShot(0, this, [this, bar_name, path] { Click(bar_name, path); }); });
  return action;
}

void CommandBarView::FillFrom(QMenu* menu, host::CommandBar& bar, const std::string& bar_name,
                              std::vector<int> path) {
  for (std::size_t i = 0; i < bar.controls.size(); ++i) {
    host::CommandBarControl& control = *bar.controls[i];
    if (!control.visible) continue;
    if (control.begin_group && !menu->isEmpty()) menu->addSeparator();
    path.push_back(static_cast<int>(i));
    if (control.popup) {
      QMenu* sub = menu->addMenu(FaceIcon(control.face_id), FromVb(control.caption));
      sub->setObjectName(FromVb(control.tag.empty() ? control.caption : control.tag + ":" + control.caption));
      sub->setEnabled(workbench::Clickable(control, State()));
      FillFrom(sub, *control.popup, bar_name, path);
    } else {
      menu->addAction(ActionFor(control, bar_name, path, menu));
    }
    path.pop_back();
  }
  if (bar_name == "Menu Bar" && CaptionPath(bars_().Find(bar_name), path) == "view/toolbars") AddToolbarToggles(menu);
}

void CommandBarView::AddToolbarToggles(QMenu* menu) {
  // VB6 lists every toolbar here, an add-in's too; the IDE's own bars are drawn elsewhere.
  for (const auto& bar : bars_().bars) {
    if (bar->menu_bar || bar->position == host::BarPosition::Popup) continue;
    bool listed = false;
    for (QAction* action : menu->actions()) listed |= action->text().remove('&') == FromVb(bar->name);
    if (listed) continue;
    QAction* toggle = menu->addAction(FromVb(bar->name));
    toggle->setObjectName("toolbar:" + FromVb(bar->name));
    toggle->setCheckable(true);
    toggle->setChecked(bar->visible);
    const std::string name = bar->name;
    connect(toggle, &QAction::toggled, this, [this, name](bool on) {
      if (host::CommandBar* shown = bars_().Find(name)) shown->visible = on;
      Q_EMIT clicked();
    });
  }
}

void CommandBarView::Fill(QMenu* menu, const std::string& bar_name) {
  menu->clear();
  if (host::CommandBar* bar = bars_().Find(bar_name)) FillFrom(menu, *bar, bar_name, {});
}

void CommandBarView::Popup(const std::string& bar_name, const QPoint& global) {
  QMenu menu;
  menu.setObjectName(FromVb(bar_name));
  Fill(&menu, bar_name);
  if (!menu.isEmpty()) menu.exec(global);
}

void CommandBarView::FillMenuBar(QMenuBar* menu_bar) {
  menu_bar->clear();
  host::CommandBar* bar = bars_().Find("Menu Bar");
  if (bar == nullptr) return;
  for (std::size_t i = 0; i < bar->controls.size(); ++i) {
    host::CommandBarControl& control = *bar->controls[i];
    if (!control.visible || !control.popup) continue;
    QMenu* menu = menu_bar->addMenu(FromVb(control.caption));
    menu->setObjectName(FromVb(control.caption));
    const int index = static_cast<int>(i);
    connect(menu, &QMenu::aboutToShow, this, [this, menu, index] {
      menu->clear();
      host::CommandBarControl* top = At(bars_().Find("Menu Bar"), {index});
      if (top != nullptr && top->popup) FillFrom(menu, *top->popup, "Menu Bar", {index});
    });
    // Filled now as well, so that the menu's entries exist before it is first opened.
    FillFrom(menu, *control.popup, "Menu Bar", {index});
  }
}

void CommandBarView::FillToolBar(QToolBar* toolbar, const std::string& bar_name) {
  toolbar->clear();
  host::CommandBar* bar = bars_().Find(bar_name);
  if (bar == nullptr) return;
  for (std::size_t i = 0; i < bar->controls.size(); ++i) {
    host::CommandBarControl& control = *bar->controls[i];
    if (!control.visible || control.popup) continue;
    QAction* action = ActionFor(control, bar_name, {static_cast<int>(i)}, toolbar);
    // A button the add-in disabled (busy) stays in place, greyed; an IDE button without an
    // action of ours is left out instead of drawn as one that does nothing.
    if (control.Click.Empty() && workbench::ActionOfEntry(control.caption) == workbench::IdeAction::None) {
      delete action;
      continue;
    }
    // A group's line only between buttons that are drawn.
    if (control.begin_group && !toolbar->actions().isEmpty()) toolbar->addSeparator();
    toolbar->addAction(action);
  }
}

void CommandBarView::Click(const std::string& bar_name, const std::vector<int>& path) {
  host::CommandBarControl* control = At(bars_().Find(bar_name), path);
  if (control == nullptr || !workbench::Clickable(*control, State())) return;
  if (!control->Click.Empty()) {
    bool handled = false, cancel = false;
    control->Click.Raise(*control, handled, cancel);
  } else {
    ide_(workbench::ActionOfEntry(control->caption));
  }
  Q_EMIT clicked();
}

}  // namespace gildex::desktop
