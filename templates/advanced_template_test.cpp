// The per-procedure template window: tags written into a module and read back, and what the
// window shows after each action.
#include "templates/advanced_template.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/nembus_common.h"
#include "engine/engine_rig_test.h"

namespace gildex {
namespace {

using Strings = std::vector<std::string>;
using testing::Module;

// Load's declaration runs over three lines; Total is tagged for another template; the row of
// the property Count stands for both its procedures; Odd's last declaration line starts with
// the marker; the variable and the constant are not listed.
const std::string kOrders = Module(R"(
Option Explicit
Private mCount As Long
Const MAX_ITEMS = 10

Public Sub Load(ByVal path As String, _
                ByVal mode As Long, _
                Optional ByVal quiet As Boolean)
    mCount = 0
    Beep
End Sub

Private Function Total() As Long ' GX2/Logging
    Total = mCount
    Beep
End Function

Public Property Get Count() As Long ' GX2/Standard
    Count = mCount
    Beep
End Property

Public Property Let Count(ByVal value As Long)
    mCount = value
    Beep
End Property

Sub Odd() _
' GX2/Standard
    Beep
    Beep
End Sub)");

const std::string kOrder = Module(R"(
Option Explicit
Public Name As String
Public Event Changed(ByVal what As String)

Public Sub Save()
    RaiseEvent Changed("saved")
End Sub)");

// The window as the user works it: `act` runs while it is shown; each drawing is written down
// as the list's rows and the Apply button.
struct ScriptedWindow : AdvancedTemplateView {
  void ShowModal(frmAdvancedTemplate& form) override {
    shown = form.State();
    act(form);
  }
  void Draw(const AdvancedTemplateState& state) override {
    std::string text;
    for (const MemberRow& row : state.rows)
      text += row.name + " " + row.type + (row.checked ? " [x] " : " [ ] ") + row.template_name + "|";
    drawn.push_back(text + (state.apply_enabled ? " apply" : ""));
  }
  void Unload() override { drawn.push_back("unload"); }
  std::function<void(frmAdvancedTemplate&)> act;
  AdvancedTemplateState shown;
  Strings drawn;
};

TEST(AdvancedTemplate, WritesAndReadsTheTagsOfTheCheckedMembers) {
  testing::ScratchProject project({{"modOrders", kOrders}, {"clsOrder", kOrder}});
  testing::EngineRig rig({}, &project.vbe);
  rig.gildex.DefaultTemplate("Standard");
  ScriptedWindow window;
  window.act = [](frmAdvancedTemplate& f) {
    f.tvwVBProjects_NodeClick("root");  // does nothing
    f.tvwVBProjects_NodeClick("modOrders");
    f.lvwMembers_ItemCheck(0, true);   // Load
    f.lvwMembers_ItemCheck(1, false);  // Total
    f.lvwMembers_ItemCheck(3, false);  // Odd: a marker in column 1 is no tag to cut
    f.cmdApply_Click();
    f.lvwMembers_ItemClick(2);  // Apply again, nothing changed: still one tag each
    f.cmdApply_Click();
    f.chkAutoApply_Click(true);
    f.lvwMembers_ItemCheck(2, false);  // Count, applied by going to the class
    f.tvwVBProjects_NodeClick("clsOrder");
    f.Command1_Click();
  };
  frmAdvancedTemplate form(project.vbe, rig.gildex, rig.report, &window);
  form.Display();

  EXPECT_EQ(window.shown.label,
            "By clicking on the check-box next to a function/property in the list-view you can select which functions "
            "(or modules) you wish to have the 'Standard' template inserted into.");
  EXPECT_EQ(window.shown.nodes, (std::vector<ProjectNode>{{"root", "Orders", "project"},
                                                          {"modOrders", "modOrders", "module"},
                                                          {"clsOrder", "clsOrder", "class"}}));
  const std::string listed = "Load Method [ ] |Total Method [x] Logging|Count Property [x] Standard|Odd Method [x] Standard|";
  const std::string tagged = "Load Method [x] Standard|Total Method [ ] |Count Property [x] Standard|Odd Method [x] Standard|";
  EXPECT_EQ(window.drawn,
            (Strings{listed,
                     "Load Method [x] |Total Method [x] Logging|Count Property [x] Standard|Odd Method [x] Standard| apply",
                     "Load Method [x] |Total Method [ ] Logging|Count Property [x] Standard|Odd Method [x] Standard| apply",
                     "Load Method [x] |Total Method [ ] Logging|Count Property [x] Standard|Odd Method [ ] Standard| apply",
                     tagged, tagged + " apply", tagged, tagged,
                     "Load Method [x] Standard|Total Method [ ] |Count Property [ ] Standard|Odd Method [x] Standard| apply",
                     "Changed Event [ ] |Save Method [ ] |", "unload"}));
  EXPECT_EQ(project.Text(0),
            ReplaceAll(ReplaceAll(ReplaceAll(ReplaceAll(kOrders, "quiet As Boolean)", "quiet As Boolean) ' GX2/Standard"),
                                  "Total() As Long ' GX2/Logging", "Total() As Long "),
                       "Count() As Long ' GX2/Standard", "Count() As Long "),
                       "Count(ByVal value As Long)", "Count(ByVal value As Long) "));
  EXPECT_EQ(project.Text(1), kOrder);
  EXPECT_EQ(rig.dialogs.Asked().size(), 0u);
}

TEST(AdvancedTemplate, RefusesToTagWithoutATemplateAndReportsAMissingComponent) {
  testing::ScratchProject project({{"modOrders", kOrders}, {"clsOrder", kOrder}});
  testing::EngineRig rig({}, &project.vbe);
  frmAdvancedTemplate form(project.vbe, rig.gildex, rig.report, nullptr);
  form.Display();
  form.tvwVBProjects_NodeClick("modOrders");
  form.lvwMembers_ItemCheck(0, true);
  form.cmdApply_Click();
  EXPECT_TRUE(form.State().apply_enabled);
  EXPECT_EQ(form.ApplyProblem().remedy, Remedy::ChooseTemplate);
  EXPECT_EQ(project.Text(0), kOrders);
  // Auto-apply cannot write either: the pending changes stay on show.
  form.chkAutoApply_Click(true);
  form.tvwVBProjects_NodeClick("clsOrder");
  EXPECT_EQ(form.ShownComponent(), "modOrders");
  form.chkAutoApply_Click(false);
  form.tvwVBProjects_NodeClick("modGone");
  EXPECT_EQ(testing::Prompts(rig.dialogs), (Strings{"Please select a template to use before continuing",
                            "Please select a template to use before continuing",
                            ErrorReportText(91, "Object variable or With block variable not set", 0,
                                            "frmAdvancedTemplate.tvwVBProjects_NodeClick")}));
  EXPECT_EQ(project.Text(0), kOrders);
}

}  // namespace
}  // namespace gildex
