#pragma once
// The project's To-Do list window: the items with a tick for those done, a line to add one,
// and Remove. Each edit goes to the list, which writes it at once; what it refuses is said in
// a box and the window shows the list as it stayed. Closing the window unloads the list.
#include <QDialog>

#include "platform/dialogs.h"
#include "tools/todo_list.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace gildex::desktop {

class ToDoWindow : public QDialog, public ToDoView {
  Q_OBJECT

 public:
  explicit ToDoWindow(platform::Dialogs& dialogs);

  void Show(ToDoList& list) override;
  void Hide(ToDoList& list) override;
  ToDoList* Shown() const { return list_; }

  QListWidget* items = nullptr;
  QLineEdit* text = nullptr;
  QPushButton* add = nullptr;
  QPushButton* remove = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Redraw();
  // Says why the list refused an edit; true when it took it.
  bool Took(const std::string& problem);

  platform::Dialogs& dialogs_;
  ToDoList* list_ = nullptr;
  bool redrawing_ = false;
};

}  // namespace gildex::desktop
