#pragma once
// A module's code window as VB6 draws it: the object and procedure drop-downs over the text.
// The code module is what the window shows: what the user types goes into it line by line
// (so the add-in sees it and it can be saved), what the add-in writes comes back into the
// text, and the cursor is the code pane's selection both ways.
#include <QWidget>
#include <functional>

#include "host/event.h"
#include "host/memory_vbe.h"
#include "workbench/code_window_model.h"

class QComboBox;
class QPlainTextEdit;
class QTimer;

namespace gildex::desktop {

class CommandBarView;

class CodeWindow : public QWidget {
  Q_OBJECT

 public:
  // `activate` makes the window's pane the IDE's active one, for the commands of its menu.
  CodeWindow(host::MemoryComponent& component, std::function<void()> activate, CommandBarView& bars,
             QWidget* parent = nullptr);
  ~CodeWindow() override;

  QComboBox* Objects() const { return objects_; }
  QComboBox* Procedures() const { return procedures_; }
  QPlainTextEdit* Text() const { return text_; }

 private:
  // Null once the module went away (its component was reloaded or removed).
  host::MemoryCodeModule* Module() const;
  void UserEdited(int position, int removed, int added);
  void ModuleEdited(long first, long removed, long added);
  void PaneSelectionSet(const host::Selection& selection);
  void CursorMoved();
  void RenderLine(int block_number);
  void RefreshDropDowns();
  void FillProcedures(const QString& object);
  void ShowPlace(const workbench::CodePlace& place);
  void GoToLine(long line);
  void ShowMenu(const QPoint& at);

  host::MemoryComponent& component_;
  std::function<void()> activate_;
  CommandBarView& bars_;
  workbench::CodeWindowModel model_;
  QComboBox* objects_ = nullptr;
  QComboBox* procedures_ = nullptr;
  QPlainTextEdit* text_ = nullptr;
  QTimer* refresh_ = nullptr;
  host::Connection edits_;
  host::Connection selection_;
  bool applying_ = false;   // the window writes the module's lines into its own text
  bool pushing_ = false;    // the user's edit is being given to the module
  bool following_ = false;  // the cursor is being set from the pane
  int seen_revision_ = -1;  // the document's revision last given to the module
  int cursor_block_ = -1;
};

}  // namespace gildex::desktop
