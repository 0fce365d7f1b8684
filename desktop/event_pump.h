#pragma once
// What the workbench calls whenever a long command lets the windows work (between procedures,
// several times for each): Qt's events, at most once every `interval_ms`. Each turn draws every
// window that changed, so a command of many small steps would otherwise spend most of its
// time drawing, while a turn every few milliseconds keeps the windows as responsive.
#include <QApplication>
#include <QElapsedTimer>
#include <functional>
#include <memory>

namespace gildex::desktop {

inline std::function<void()> EventPump(int interval_ms = 10) {
  auto since = std::make_shared<QElapsedTimer>();
  return [since, interval_ms] {
    if (since->isValid() && since->elapsed() < interval_ms) return;
    QApplication::processEvents();
    since->start();
  };
}

}  // namespace gildex::desktop
