#include "workbench/designer_gesture.h"

#include <gtest/gtest.h>

#include "host/memory_vbe.h"
#include "host/project_loader.h"

namespace gildex::workbench {
namespace {

// The mouse in the designer of the sample's customer form, one gesture a row, each from where
// the one before left the selection.
TEST(DesignerGesture, ClicksSelectDragsMoveBandsSelectAndHandlesResize) {
  host::MemoryVBE vbe;
  host::Load(vbe, std::filesystem::path(GILDEX_SOURCE_DIR) / "data/Sample/Orders.vbp");
  host::VBComponent& form = *vbe.Project(1).FindComponent("frmCustomer");
  DesignerModel model(*form.GetDesigner(), {});
  DesignerGesture gesture(model);
  struct Row {
    const char* what;
    std::string on;  // a control: its middle, or its right handle with `edge`; else `at` on the form
    Point at, by;    // by: how far the mouse goes before it is let go
    MouseButton button = MouseButton::Left;
    bool adding = false, edge = false;
    DesignerGesture::Ending ending = DesignerGesture::Ending::Click;
    std::string menu, selected, property = {}, value = {};  // `property`: of the first selected control or the form
  };
  using E = DesignerGesture::Ending;
  const Row rows[] = {
      {"a drag moves", "txtEmail", {}, {10, 6}, MouseButton::Left, false, false, E::Edit, "", "txtEmail", "Left", "1350"},
      {"shift adds", "txtName", {}, {}, MouseButton::Left, true, false, E::Click, "", "txtEmail txtName"},
      {"and takes out", "txtName", {}, {}, MouseButton::Left, true, false, E::None, "", "txtEmail"},
      {"the right handle", "txtEmail", {}, {-20, 0}, MouseButton::Left, false, true, E::Edit, "", "txtEmail", "Width", "4995"},
      {"the form", "", {436, 404}, {}, MouseButton::Left, false, false, E::Click, "", ""},
      {"its corner", "", {441, 408}, {8, 2}, MouseButton::Left, false, false, E::Edit, "", "", "ClientWidth", "6735"},
      // A band selects what it touches on the form, not what is inside a frame.
      {"a band", "", {76, 60}, {20, 139}, MouseButton::Left, false, false, E::Selected, "", "fraAddress txtEmail"},
      {"a right click", "lblNotes", {}, {}, MouseButton::Right, false, false, E::None, "Controls", "lblNotes"},
      {"on the form", "", {2, 2}, {}, MouseButton::Right, false, false, E::None, "Form Designer", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Point at = row.at;
    for (const ControlView& view : model.Views())
      if (view.name == row.on)
        at = row.edge ? Point{view.rect.x + view.rect.width, view.rect.y + 10}
                      : Point{view.rect.x + view.rect.width / 2, view.rect.y + view.rect.height / 2};
    EXPECT_EQ(gesture.Press(at, row.button, row.adding).menu, row.menu);
    gesture.Move({at.x + row.by.x, at.y + row.by.y});
    EXPECT_EQ(gesture.Outline().empty(), row.ending != E::Edit && row.ending != E::Selected);
    const E ending = gesture.Release({at.x + row.by.x, at.y + row.by.y});
    EXPECT_EQ(ending, row.ending);
    if (ending == E::Edit) gesture.Apply();
    model.Reload();
    std::string selected;
    for (host::VBControl* control : model.Designer().SelectedVBControls())
      selected += (selected.empty() ? "" : " ") + control->Name();
    EXPECT_EQ(selected, row.selected);
    if (row.property.empty()) continue;
    host::VBControl& owner = row.selected.empty() ? model.Designer().Form() : *model.Designer().SelectedVBControls()[0];
    EXPECT_EQ(owner.FindProperty(row.property)->Value(), row.value);
  }
}

}  // namespace
}  // namespace gildex::workbench
