#pragma once
// For tests and screenshots: acts on the next modal window once it is up, while the command
// that opened it waits in its exec().
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace gildex::desktop {

// Calls `act` with the modal window named `name` as soon as it is the active modal window;
// gives up after `tries` polls of 10 ms.
inline void WhenModal(const QString& name, std::function<void(QWidget*)> act, int tries = 300) {
  QTimer::singleShot(10, [name, act = std::move(act), tries] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->objectName() == name) return act(modal);
    if (tries > 0) WhenModal(name, act, tries - 1);
  });
}

}  // namespace gildex::desktop
