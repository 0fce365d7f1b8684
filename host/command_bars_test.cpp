#include "host/command_bars.h"

#include <gtest/gtest.h>

namespace gildex::host {
namespace {

TEST(CommandBars, FindAddDeleteByNameAndTag) {
  CommandBars bars;
  CommandBar& menu = bars.Add("Project Window", BarPosition::Popup, false);
  EXPECT_EQ(bars.Find("project WINDOW"), &menu);
  EXPECT_EQ(bars.Find("Code Window"), nullptr);

  CommandBarControl& popup = menu.Add(ControlKind::Popup);
  popup.tag = "Gildex_Menu";
  CommandBarControl& insert = popup.popup->Add(ControlKind::Button);
  insert.tag = "Gildex_Insert";
  CommandBarControl& remove = popup.popup->Add(ControlKind::Button, 1);
  remove.tag = "Gildex_Remove";
  EXPECT_EQ(popup.popup->controls.front().get(), &remove);

  // Controls(caption): this bar's own controls, letter case and access keys not counting.
  popup.caption = "Gildex &Menu";
  insert.caption = "Insert";
  EXPECT_EQ(menu.Control("gildex menu"), &popup);
  EXPECT_EQ(menu.Control("GILDEX &MENU"), &popup);
  EXPECT_EQ(menu.Control("Insert"), nullptr);
  EXPECT_EQ(popup.popup->Control("iNSERT"), &insert);

  EXPECT_EQ(bars.FindControl(ControlKind::Button, "Gildex_Insert"), &insert);
  EXPECT_EQ(bars.FindControl(ControlKind::Popup, "Gildex_Insert"), nullptr);
  EXPECT_EQ(bars.FindControl(ControlKind::Popup, "Gildex_Menu"), &popup);

  // Removal repeats FindControl until nothing is left.
  while (CommandBarControl* found = bars.FindControl(ControlKind::Button, "Gildex_Insert")) found->Delete();
  EXPECT_EQ(popup.popup->controls.size(), 1u);
  popup.Delete();
  EXPECT_TRUE(menu.controls.empty());

  EXPECT_TRUE(bars.Delete("PROJECT window"));
  EXPECT_FALSE(bars.Delete("Project Window"));
  EXPECT_TRUE(bars.bars.empty());
}

}  // namespace
}  // namespace gildex::host
