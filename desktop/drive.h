#pragma once
// For tests and screenshots: clicks an entry of the host's bars as the user would, and acts
// on a modal window once it is up while the command that opened it waits in its exec().
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>
#include <cctype>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/command_bar_view.h"
#include "host/command_bars.h"

namespace gildex::desktop {

// Calls `act` with the active modal window as soon as `is_it` accepts it. After `tries` polls
// of 10 ms it gives up and closes whatever modal dialog is up instead, so that a run waiting in
// a window nobody answers ends (the caller sees that `act` never ran).
inline void WhenModal(std::function<bool(QWidget*)> is_it, std::function<void(QWidget*)> act, int tries = 500) {
  QTimer::singleShot(10, [is_it = std::move(is_it), act = std::move(act), tries] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && is_it(modal)) return act(modal);
    if (tries > 0) return WhenModal(is_it, act, tries - 1);
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
  });
}
inline void WhenModal(const QString& name, std::function<void(QWidget*)> act) {
  WhenModal([name](QWidget* modal) { return modal->objectName() == name; }, std::move(act));
}

// Answers the next file dialog with `file` as a user does who types its full path into the name
// box and presses OK. Picking it in the dialog's list instead would race the list, which a thread
// of the dialog's own fills: OK with nothing picked yet leaves the dialog open.
inline void WhenFileDialog(const QString& file) {
  WhenModal([](QWidget* modal) { return qobject_cast<QFileDialog*>(modal) != nullptr; },
            [file](QWidget* modal) {
              auto* dialog = qobject_cast<QFileDialog*>(modal);
              if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit")) name->setText(file);
              static_cast<QDialog*>(dialog)->accept();  // the file dialog's own, as its OK calls it
            });
}

// The indexes down the bar to the entry with these captions (a toolbar button's may be its
// tooltip), access keys and letter case not counting; empty when there is none.
inline std::vector<int> EntryPath(host::CommandBars& bars, const std::string& bar_name,
                                  std::initializer_list<std::string_view> captions) {
  const auto plain = [](std::string_view text) {
    std::string out;
    for (char c : text)
      if (c != '&') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
  };
  std::vector<int> path;
  host::CommandBar* bar = bars.Find(bar_name);
  for (std::string_view caption : captions) {
    if (bar == nullptr) return {};
    int found = -1;
    for (std::size_t i = 0; i < bar->controls.size() && found < 0; ++i)
      if (plain(bar->controls[i]->caption) == plain(caption) || plain(bar->controls[i]->tooltip_text) == plain(caption))
        found = static_cast<int>(i);
    if (found < 0) return {};
    path.push_back(found);
    bar = bar->controls[static_cast<std::size_t>(found)]->popup.get();
  }
  return path;
}

// Clicks the entry through the drawn bars; false when there is no such entry.
inline bool ClickEntry(CommandBarView& view, host::CommandBars& bars, const std::string& bar_name,
                       std::initializer_list<std::string_view> captions) {
  const std::vector<int> path = EntryPath(bars, bar_name, captions);
  if (path.empty()) return false;
  view.Click(bar_name, path);
  return true;
}

}  // namespace gildex::desktop
