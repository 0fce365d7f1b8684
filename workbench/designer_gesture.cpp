#include "workbench/designer_gesture.h"

#include <algorithm>
#include <cstdlib>

namespace gildex::workbench {

namespace {

// The band between two corners, both inside it.
Rect Band(Point from, Point to) {
  return {std::min(from.x, to.x), std::min(from.y, to.y), std::abs(to.x - from.x) + 1, std::abs(to.y - from.y) + 1};
}

}  // namespace

const std::vector<Handle>& FormHandles() {
  static const std::vector<Handle> handles = {Handle::Right, Handle::BottomRight, Handle::Bottom};
  return handles;
}

bool DesignerGesture::OnForm(Point at) const { return FormArea().Contains(at); }

void DesignerGesture::Start(Kind kind, Point at, Handle handle, host::VBControl* control) {
  kind_ = kind;
  handle_ = handle;
  resizing_ = control;
  pressed_ = dragged_ = at;
  dragging_ = false;
}

DesignerGesture::Pressed DesignerGesture::Press(Point at, MouseButton button, bool adding) {
  const std::vector<host::VBControl*> selected = model_.Designer().SelectedVBControls();
  if (button == MouseButton::Left && selected.empty()) {
    const Handle handle = HandleAt(FormArea(), at);
    if (std::find(FormHandles().begin(), FormHandles().end(), handle) != FormHandles().end()) {
      Start(Kind::ResizeForm, at, handle);
      return {};
    }
  }
  if (button == MouseButton::Left && selected.size() == 1) {
    if (const ControlView* view = model_.ViewOf(selected.front()); view != nullptr && view->placement != Placement::Icon) {
      if (const Handle handle = HandleAt(view->rect, at); handle != Handle::None) {
        Start(Kind::ResizeControl, at, handle, selected.front());
        return {};
      }
    }
  }
  host::VBControl* hit = OnForm(at) ? model_.HitTest(at) : nullptr;
  if (button == MouseButton::Right) {
    // What the click is on becomes the selection, unless it is part of it already.
    if (hit == nullptr || !model_.Selected(hit)) model_.Click(hit, false);
    return {true, hit != nullptr ? "Controls" : "Form Designer"};
  }
  if (button != MouseButton::Left) return {};
  model_.Click(hit, adding);
  if (hit != nullptr && model_.Selected(hit)) Start(Kind::Move, at);
  if (hit == nullptr && OnForm(at)) {
    Start(Kind::Band, at);
    band_adds_ = adding;
  }
  return {true, {}};
}

void DesignerGesture::Move(Point at) {
  if (!pressed_) return;
  dragged_ = at;
  if (std::abs(at.x - pressed_->x) + std::abs(at.y - pressed_->y) >= kDragStart) dragging_ = true;
}

DesignerGesture::Ending DesignerGesture::Release(Point at) {
  if (!pressed_) return Ending::None;
  Move(at);
  const Point from = *pressed_;
  const bool moved = dragging_;
  Cancel();
  if (!moved) return Ending::Click;
  if (kind_ == Kind::Band) {
    model_.SelectWithin(Band(from, at), band_adds_);
    return Ending::Selected;
  }
  applying_ = kind_;
  applying_handle_ = handle_;
  applying_control_ = resizing_;
  dx_ = at.x - from.x, dy_ = at.y - from.y;
  drop_ = at;
  return Ending::Edit;
}

void DesignerGesture::Apply() {
  switch (applying_) {
    case Kind::ResizeForm: {
      const Rect after = Resized(FormArea(), applying_handle_, dx_, dy_);
      model_.ResizeForm(after.width, after.height);
      break;
    }
    case Kind::ResizeControl:
      if (const ControlView* view = model_.ViewOf(applying_control_))
        model_.Place(*applying_control_, Resized(view->rect, applying_handle_, dx_, dy_));
      break;
    case Kind::Move:
      // Let go over a frame or picture box (or out of one), the controls go into it.
      model_.DropSelection(dx_, dy_, drop_);
      break;
    case Kind::Band:
      break;
  }
  applying_ = Kind::Band;
}

void DesignerGesture::Cancel() {
  pressed_.reset();
  dragging_ = false;
}

std::vector<Rect> DesignerGesture::Outline() const {
  if (!pressed_ || !dragging_) return {};
  const int dx = dragged_.x - pressed_->x, dy = dragged_.y - pressed_->y;
  switch (kind_) {
    case Kind::ResizeForm:
      return {Resized(FormArea(), handle_, dx, dy)};
    case Kind::Band:
      return {Band(*pressed_, dragged_)};
    case Kind::ResizeControl:
      if (const ControlView* view = model_.ViewOf(resizing_)) return {Resized(view->rect, handle_, dx, dy)};
      return {};
    case Kind::Move:
      break;
  }
  std::vector<Rect> moved;
  for (host::VBControl* control : model_.Designer().SelectedVBControls())
    if (const ControlView* view = model_.ViewOf(control))
      moved.push_back({view->rect.x + dx, view->rect.y + dy, view->rect.width, view->rect.height});
  return moved;
}

}  // namespace gildex::workbench
