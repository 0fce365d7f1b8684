// The insert wizard and the per-procedure template window over a scratch copy of the sample
// project, driven through their real widgets: what they change is read back from the code.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <map>

#include "app/command_line_test.h"
#include "desktop/addin_windows.h"
#include "desktop/desktop_test.h"
#include "desktop/drive.h"
#include "desktop/main_window.h"
#include "desktop/text.h"
#include "ide/connect.h"
#include "session/sample_project_test.h"
#include "tools/messages.h"

namespace gildex::desktop {
namespace {

struct Rig {
  Rig() {
    EXPECT_EQ(stored_default, 0);
    tools.Attach(bench);
    bench.SetAddInWindows(tools.Windows());
    window.ConnectAddIn();
    window.OpenProject(sample.Project());
    session::Overrides overrides;
    overrides.template_name = "Standard";
    EXPECT_TRUE(bench.Session().ApplyOverrides(overrides, true).empty());
  }
  std::map<std::string, std::string> Code() { return ProjectCode(bench); }

  testing::SampleProject sample;
  // Stored before the workbench reads the settings, so that the options dialog, which
  // reloads them, keeps it.
  const int stored_default = app::RunGildex({"templates", "default", "Standard"}).code;
  platform::ScriptedDialogs dialogs;
  QtDialogs qt_dialogs;
  AddInWindows tools{dialogs};
  workbench::Workbench bench{dialogs, false, [] { QApplication::processEvents(); }};
  MainWindow window{bench, qt_dialogs};
};

QTreeWidgetItem* Item(QTreeWidget* tree, const QString& text) {
  const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
  EXPECT_EQ(found.size(), 1) << text.toStdString();
  return found.value(0);
}

void ClickRow(QTreeWidget* tree, QTreeWidgetItem* item) {
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

// On the row's check box, which sits at the left of its first column.
void TickRow(QTreeWidget* tree, QTreeWidgetItem* item) {
  const QRect row = tree->visualItemRect(item);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(row.left() + 12, row.center().y()));
}

TEST(InsertWizardWindowTest, WizardTreatsTheCheckedComponentsAndTheProcedureWindowTagsTheTickedMembers) {
  Rig rig;
  const std::map<std::string, std::string> before = rig.Code();
  ASSERT_TRUE(ClickEntry(rig.window.Bars(), rig.bench.Vbe().Bars(), kToolbarName, {"Gildex Wizard"}));
  InsertWizardWindow& wizard = rig.tools.Wizard();
  ASSERT_TRUE(wizard.isVisible());
  EXPECT_EQ(wizard.windowTitle(), "Gildex Wizard");
  QPushButton* const back = wizard.nav[frmWizard::kBack];
  QPushButton* const next = wizard.nav[frmWizard::kNext];
  QPushButton* const finish = wizard.nav[frmWizard::kFinish];
  const auto step = [&](const char* picture, bool back_on, bool next_on, bool finish_on) {
    SCOPED_TRACE(picture);
    EXPECT_EQ(wizard.picture->Picture(), picture);
    EXPECT_TRUE(wizard.frames->currentWidget()->isVisible());
    EXPECT_EQ(back->isEnabled(), back_on);
    EXPECT_EQ(next->isEnabled(), next_on);
    EXPECT_EQ(finish->isEnabled(), finish_on);
  };

  // A fresh registry opens on the introduction.
  step("wizard-intro", false, true, false);
  EXPECT_TRUE(Child<QCheckBox>(&wizard, "chkShowIntro")->isChecked());
  QTest::mouseClick(next, Qt::LeftButton);
  step("wizard-template", true, false, false);
  // The default template is the current node already: clicking it chooses it all the same.
  ASSERT_EQ(wizard.templates->currentItem(), Item(wizard.templates, "Standard"));
  ClickRow(wizard.templates, Item(wizard.templates, "Standard"));
  step("wizard-template", true, true, false);
  ClickRow(wizard.templates, Item(wizard.templates, "Logging"));
  step("wizard-template", true, true, false);
  QTest::mouseClick(next, Qt::LeftButton);

  step("wizard-components", true, false, false);
  ASSERT_EQ(wizard.components->topLevelItemCount(), static_cast<int>(before.size()));
  EXPECT_EQ(Item(wizard.components, "modGlobals")->text(1).toLong(),
            rig.bench.Vbe().Project(1).FindComponent("modGlobals")->Code()->CountOfLines());
  for (const char* name : {"clsAddress", "modGlobals"}) TickRow(wizard.components, Item(wizard.components, name));
  step("wizard-components", true, true, false);
  // The event list shows for "Specified Events." only.
  wizard.insert_options->setFocus();
  QTest::keyClick(wizard.insert_options, Qt::Key_End);
  EXPECT_TRUE(wizard.event_types->isVisible());
  QTest::keyClick(wizard.insert_options, Qt::Key_Home);
  EXPECT_FALSE(wizard.event_types->isVisible());
  QTest::mouseClick(next, Qt::LeftButton);

  step("wizard-summary", true, false, true);
  const QString summary = wizard.summary->text();
  EXPECT_TRUE(summary.contains("Using Template : Logging\nYou wish to insert error-handling into : ALL Code.\n"
                               "In the following file(s) :\n* modGlobals\n* clsAddress\nPlease click on Finish"))
      << summary.toStdString();
  QTest::mouseClick(finish, Qt::LeftButton);
  EXPECT_FALSE(wizard.isVisible());

  // Only the two components changed; what went into them is the wizard model's test.
  const std::map<std::string, std::string> after = rig.Code();
  for (const auto& [name, code] : after) EXPECT_EQ(code != before.at(name), name == "clsAddress" || name == "modGlobals") << name;

  // Escape and the title bar's close button ask before cancelling a fresh wizard.
  ASSERT_TRUE(ClickEntry(rig.window.Bars(), rig.bench.Vbe().Bars(), kToolbarName, {"Gildex Wizard"}));
  step("wizard-intro", false, true, false);
  rig.dialogs.Answer(platform::vbNo);
  QTest::keyClick(&wizard, Qt::Key_Escape);
  EXPECT_TRUE(wizard.isVisible());
  rig.dialogs.Answer(platform::vbYes);
  wizard.close();
  EXPECT_FALSE(wizard.isVisible());
  ASSERT_EQ(rig.dialogs.Asked().size(), 2u);
  EXPECT_EQ(rig.dialogs.Asked()[1].prompt, frmWizard::kCancelQuestion);
  EXPECT_EQ(rig.Code(), after);

  // The per-procedure window, from the options dialog's "&Advanced.." button once "Selected
  // Routines" is chosen: two members of clsCustomer ticked and applied.
  const std::string tag = " ' GX2/" + rig.bench.Session().Shared().Engine().DefaultTemplate();
  bool acted = false;
  WhenModal("frmOptions", [&](QWidget* options) {
    Child<QTabWidget>(options, "tabOptions")->setCurrentIndex(5);
    auto* advanced = Child<QPushButton>(options, "cmdAdvanced");
    EXPECT_FALSE(advanced->isEnabled());
    auto* insert_into = Child<QComboBox>(options, "cboInsertOpts");
    insert_into->setFocus();
    QTest::keyClick(insert_into, Qt::Key_End);
    EXPECT_EQ(insert_into->currentText(), "Selected Routines");
    EXPECT_TRUE(advanced->isEnabled());
    WhenModal("frmAdvancedTemplate", [&](QWidget* window) {
      acted = true;
      EXPECT_EQ(window->windowTitle(), "Advanced Template Options");
      auto* projects = Child<QTreeWidget>(window, "tvwVBProjects");
      auto* members = Child<QTreeWidget>(window, "lvwMembers");
      auto* apply = Child<QPushButton>(window, "cmdApply");
      EXPECT_EQ(projects->topLevelItem(0)->text(0), "Orders");
      EXPECT_EQ(projects->topLevelItem(0)->childCount(), static_cast<int>(before.size()));
      ClickRow(projects, Item(projects, "clsCustomer"));
      ASSERT_GE(members->topLevelItemCount(), 3);
      EXPECT_FALSE(apply->isEnabled());
      for (int row : {0, 2}) TickRow(members, members->topLevelItem(row));
      EXPECT_TRUE(apply->isEnabled());
      QTest::mouseClick(apply, Qt::LeftButton);
      EXPECT_FALSE(apply->isEnabled());
      for (int row : {0, 1, 2}) {
        EXPECT_EQ(members->topLevelItem(row)->checkState(0) == Qt::Checked, row != 1);
        EXPECT_EQ(members->topLevelItem(row)->text(2).isEmpty(), row == 1);
      }
      QTest::mouseClick(Child<QPushButton>(window, "Command1"), Qt::LeftButton);
    });
    QTest::mouseClick(advanced, Qt::LeftButton);
    QTest::mouseClick(Child<QPushButton>(options, "cmdCancel"), Qt::LeftButton);
  });
  ASSERT_TRUE(ClickEntry(rig.window.Bars(), rig.bench.Vbe().Bars(), kToolbarName, {"Gildex Options"}));
  EXPECT_TRUE(acted);
  EXPECT_FALSE(rig.tools.Options().isVisible());
  const std::string customer = rig.Code().at("clsCustomer");
  std::size_t tags = 0;
  for (std::size_t at = customer.find(tag); at != std::string::npos; at = customer.find(tag, at + 1)) ++tags;
  EXPECT_EQ(tags, 2u) << customer;
  EXPECT_EQ(rig.dialogs.Asked().size(), 2u);
}

}  // namespace
}  // namespace gildex::desktop
