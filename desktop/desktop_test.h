#pragma once
// For the tests of desktop/: a window's control by its object name, a failure when it is missing.
#include <QWidget>

#include <gtest/gtest.h>

namespace gildex::desktop {

template <class T>
T* Child(QWidget* window, const char* name) {
  T* child = window->findChild<T*>(name);
  EXPECT_NE(child, nullptr) << name;
  return child;
}

}  // namespace gildex::desktop
