#pragma once
// What the mouse does in the form designer, as in VB6: a click selects (shift or ctrl adds or
// takes out), a press on a selected control and a drag moves the selection, a band dragged
// over the form selects what it touches, the handles of the one selected control resize it,
// those of the form (selected when no control is) the form, and a right click selects what it
// is on and asks for its context menu. Points are pixels of the form's client area.
#include <optional>
#include <string>
#include <vector>

#include "workbench/designer_model.h"

namespace gildex::workbench {

enum class MouseButton { Left, Right, Other };

// Pixels the mouse moves before a press becomes a drag.
constexpr int kDragStart = 3;

// The handles the form shows while it is selected: those on its right and bottom edges.
const std::vector<Handle>& FormHandles();

class DesignerGesture {
 public:
  explicit DesignerGesture(DesignerModel& model) : model_(model) {}

  // Whether `at` is on the form's client area.
  bool OnForm(Point at) const;

  struct Pressed {
    bool selection_changed = false;
    std::string menu;  // a right click: the host's bar to open, "Controls" or "Form Designer"
  };
  // A button pressed at `at`; `adding` for shift or ctrl held.
  Pressed Press(Point at, MouseButton button, bool adding);
  // The mouse moved to `at`, a button held.
  void Move(Point at);

  enum class Ending { None, Click, Selected, Edit };
  // The button let go at `at`: Click when it did not move far enough to be a drag, Selected when
  // a band selected the controls it touches, Edit when a move or resize waits for Apply.
  Ending Release(Point at);
  // Makes the edit Release found, through the model (a refusal of the host is thrown as there).
  void Apply();
  // A double-click or anything else that ends a gesture without its edit.
  void Cancel();

  bool Active() const { return pressed_.has_value(); }
  // The outlines to draw while a drag is under way: the resized form or control, the band, or
  // each moved control where it would go.
  std::vector<Rect> Outline() const;

 private:
  enum class Kind { Move, ResizeForm, ResizeControl, Band };
  Rect FormArea() const { return {0, 0, model_.ClientWidth(), model_.ClientHeight()}; }
  void Start(Kind kind, Point at, Handle handle = Handle::None, host::VBControl* control = nullptr);

  DesignerModel& model_;
  std::optional<Point> pressed_;
  Point dragged_;
  bool dragging_ = false;
  Kind kind_ = Kind::Move;
  bool band_adds_ = false;
  Handle handle_ = Handle::None;
  host::VBControl* resizing_ = nullptr;
  // What Release found for Apply: the kind, the handle and the move.
  Kind applying_ = Kind::Move;
  Handle applying_handle_ = Handle::None;
  host::VBControl* applying_control_ = nullptr;
  int dx_ = 0, dy_ = 0;
  Point drop_;
};

}  // namespace gildex::workbench
