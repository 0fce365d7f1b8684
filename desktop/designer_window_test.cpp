// The form designer, properties window and toolbox driven as a user drives them, with Gildex
// connected: its prefixing of new controls and its rename of event procedures follow.
#include "desktop/designer_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPlainTextEdit>
#include <QMdiSubWindow>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "desktop/code_window.h"
#include "desktop/drive.h"
#include "desktop/main_window.h"
#include "desktop/progress_window.h"
#include "desktop/properties_window.h"
#include "desktop/toolbox.h"
#include "session/sample_project_test.h"

namespace gildex::desktop {
namespace {

void Settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

TEST(DesignerWindow, PlacesRenamesAndMovesControlsWithGildexConnected) {
  testing::SampleProject sample;
  platform::testing::ScopedEnv home("GILDEX_HOME", std::string(GILDEX_SOURCE_DIR) + "/data");
  // The add-in's boxes are recorded: none may come up.
  platform::ScriptedDialogs asked;
  QtDialogs dialogs;
  workbench::Workbench bench(asked, false, {});
  bench.SetAddInWindows({ProgressWindowFactory(), {}});
  MainWindow window(bench, dialogs);
  ASSERT_TRUE(window.ConnectAddIn());
  ASSERT_TRUE(window.OpenProject(sample.Project()));
  ASSERT_TRUE(bench.Session().ApplyOverrides({{{"AutoPrefix", "True"}, {"AutoRename", "True"}}, "", ""}, false).empty());
  window.show();
  auto& form = dynamic_cast<host::MemoryComponent&>(*bench.Vbe().Project(1).FindComponent("frmCustomer"));
  QMdiSubWindow* sub = window.ShowDesigner(form);
  ASSERT_NE(sub, nullptr);
  Settle();
  auto* designer = sub->findChild<DesignerWindow*>("DesignerWindow");
  ASSERT_NE(designer, nullptr);
  ASSERT_EQ(window.ActiveDesigner(), designer);
  host::Designer& host_designer = *form.GetDesigner();
  const auto control = [&](const std::string& name) -> host::VBControl* {
    for (host::VBControl* c : host_designer.Controls())
      if (c->Name() == name) return c;
    return nullptr;
  };
  const auto centre = [&](const std::string& name) {
    const workbench::Rect r = designer->Model()->ViewOf(control(name))->rect;
    return designer->WidgetPoint({r.x + r.width / 2, r.y + r.height / 2});
  };

  // A drag let go over a frame moves a control into it; Format > Order, enabled while a
  // control is selected, sends it behind the frame's others.
  const QPoint email = centre("txtEmail");
  const QPoint drop = designer->WidgetPoint({100, 170});
  QTest::mousePress(designer, Qt::LeftButton, {}, email);
  QTest::mouseMove(designer, email + QPoint(5, 5));
  QTest::mouseRelease(designer, Qt::LeftButton, {}, drop);
  Settle();
  EXPECT_EQ(control("txtEmail")->Container(), control("fraAddress"));
  ASSERT_TRUE(ClickEntry(window.Bars(), bench.Vbe().Bars(), "Menu Bar", {"Format", "Order", "Send to Back"}));
  Settle();
  const std::vector<host::VBControl*> order = host_designer.Controls();
  const auto frame_at = std::find(order.begin(), order.end(), control("fraAddress"));
  ASSERT_NE(frame_at + 1, order.end());
  EXPECT_EQ(*(frame_at + 1), control("txtEmail"));
  host_designer.Select({});
  QMenu controls_menu;
  window.Bars().Fill(&controls_menu, "Controls");
  auto* to_front = controls_menu.findChild<QAction*>("Bring to &Front");
  ASSERT_NE(to_front, nullptr);
  EXPECT_FALSE(to_front->isEnabled()) << "nothing selected";
  host_designer.Select({control("txtEmail")});

  // A click on the form selects the form.
  QTest::mouseClick(designer, Qt::LeftButton, {}, designer->WidgetPoint({436, 404}));
  EXPECT_TRUE(host_designer.SelectedVBControls().empty());
  EXPECT_EQ(window.Properties()->Objects()->currentText(), "frmCustomer Form");
  // Its MaxButton shows False; True picked in the value's drop-down sets -1.
  QTableWidget* form_grid = window.Properties()->Grid();
  const int max_button = window.Properties()->RowOf("MaxButton");
  ASSERT_GE(max_button, 0);
  EXPECT_EQ(form_grid->item(max_button, 1)->text(), "False");
  form_grid->setCurrentCell(max_button, 1);
  form_grid->editItem(form_grid->item(max_button, 1));
  auto* choices = form_grid->findChild<QComboBox*>("cboValue");
  ASSERT_NE(choices, nullptr);
  EXPECT_EQ(choices->count(), 2);
  QTest::keyClick(choices, Qt::Key_Down);
  Settle();
  EXPECT_EQ(host_designer.Form().FindProperty("MaxButton")->Value(), "-1");
  EXPECT_EQ(form_grid->item(window.Properties()->RowOf("MaxButton"), 1)->text(), "True");
  // A double-click on it sets the next choice, round to the first.
  QTableWidgetItem* max_value = form_grid->item(window.Properties()->RowOf("MaxButton"), 1);
  const QPoint max_at = form_grid->visualItemRect(max_value).center();
  QTest::mouseClick(form_grid->viewport(), Qt::LeftButton, {}, max_at);
  QTest::mouseDClick(form_grid->viewport(), Qt::LeftButton, {}, max_at);
  Settle();
  EXPECT_EQ(host_designer.Form().FindProperty("MaxButton")->Value(), "0");

  // A toolbox tool, then a click on the form: a CommandButton there, prefixed by the add-in.
  QTest::mouseClick(window.Tools()->Tool("CommandButton"), Qt::LeftButton);
  EXPECT_EQ(window.Tools()->Chosen(), "CommandButton");
  QTest::mouseClick(designer, Qt::LeftButton, {}, designer->WidgetPoint({24, 372}));
  Settle();
  EXPECT_EQ(window.Tools()->Chosen(), "");
  host::VBControl* added = control("cmdCommand1");
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(host_designer.SelectedVBControls(), std::vector<host::VBControl*>{added});
  EXPECT_EQ(designer->Model()->ViewOf(added)->rect.x, 24);

  // A double-click on it opens the form's code inside its Click procedure, added through the
  // code module; renamed in the properties window, the procedure follows.
  host::CodeModule& code = *form.Code();
  const long lines = code.CountOfLines();
  QTest::mouseDClick(designer, Qt::LeftButton, {}, centre("cmdCommand1"));
  Settle();
  EXPECT_EQ(code.Lines(lines + 1, code.CountOfLines() - lines), "\r\nPrivate Sub cmdCommand1_Click()\r\n\r\nEnd Sub");
  QMdiSubWindow* code_sub = window.Workspace()->activeSubWindow();
  auto* code_window = code_sub != nullptr ? code_sub->findChild<CodeWindow*>() : nullptr;
  ASSERT_NE(code_window, nullptr);
  EXPECT_EQ(code_window->Text()->textCursor().blockNumber() + 1, lines + 3);
  EXPECT_EQ(code_window->Objects()->currentText(), "cmdCommand1");
  EXPECT_EQ(code_window->Procedures()->currentText(), "Click");
  // Back in the designer after a module was clicked in the explorer, the form is the current
  // component again (as VB6 has it), so the rename below carries the procedure along.
  QTest::mouseClick(designer, Qt::LeftButton, {}, centre("cmdCommand1"));
  auto& module = dynamic_cast<host::MemoryComponent&>(*bench.Vbe().Project(1).FindComponent("modGlobals"));
  window.Explorer()->setFocus();
  window.Explorer()->setCurrentItem(window.ExplorerItem(module));
  ASSERT_EQ(bench.Session().Connection().CurrentComponent(), &module);
  QTest::mouseClick(designer, Qt::LeftButton, {}, centre("cmdCommand1"));
  EXPECT_EQ(bench.Session().Connection().CurrentComponent(), &form);
  EXPECT_EQ(bench.Vbe().SelectedVBComponent(), &form);
  EXPECT_EQ(window.Explorer()->currentItem(), window.ExplorerItem(form));
  PropertiesWindow& properties = *window.Properties();
  EXPECT_EQ(properties.Objects()->currentText(), "cmdCommand1 CommandButton");
  QTableWidget* grid = properties.Grid();
  const int row = properties.RowOf("(Name)");
  ASSERT_GE(row, 0);
  grid->setCurrentCell(row, 1);
  grid->editItem(grid->item(row, 1));
  auto* editor = grid->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  QTest::keyClicks(editor, "cmdApply");
  QTest::keyClick(editor, Qt::Key_Return);
  Settle();
  EXPECT_EQ(added->Name(), "cmdApply");
  const std::string text = code.Lines(1, code.CountOfLines());
  EXPECT_NE(text.find("Private Sub cmdApply_Click()"), std::string::npos);
  EXPECT_EQ(text.find("cmdCommand1"), std::string::npos);
  EXPECT_EQ(grid->item(properties.RowOf("(Name)"), 1)->text(), "cmdApply");

  // The Delete key takes it off the form.
  QTest::keyClick(designer, Qt::Key_Delete);
  Settle();
  EXPECT_EQ(control("cmdApply"), nullptr);
  EXPECT_EQ(designer->Model()->ViewOf(added), nullptr);
  // So does the Delete entry of the "Controls" menu a right click opens.
  QTest::mouseClick(designer, Qt::LeftButton, {}, centre("lblNotes"));
  window.Bars().Click("Controls", {4});
  Settle();
  EXPECT_EQ(control("lblNotes"), nullptr);
  EXPECT_TRUE(asked.Asked().empty()) << asked.Asked().front().prompt;
}

}  // namespace
}  // namespace gildex::desktop
