// The options dialog on a scratch program folder and a scratch copy of the sample project,
// driven through its widgets from the IDE's toolbar.
#include "desktop/options_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <map>

#include "app/command_line_test.h"
#include "desktop/desktop_test.h"
#include "desktop/drive.h"
#include "ide/connect.h"
#include "platform/test_files.h"

namespace gildex::desktop {
namespace {

namespace fs = std::filesystem;
using app::RunGildex;

// A program folder of its own, so that Apply writes no shipped file. No template is chosen.
struct Home {
  explicit Home(const fs::path& dir) : path(dir / "home") {
    fs::create_directories(path);
    for (const char* name : {"Templates", "Scripts", "pfx.dat"})
      fs::copy(fs::path(GILDEX_SOURCE_DIR) / "data" / name, path / name, fs::copy_options::recursive);
    for (const auto& entry : fs::recursive_directory_iterator(path))
      fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
    env.emplace("GILDEX_HOME", path.string());
  }
  fs::path path;
  std::optional<platform::testing::ScopedEnv> env;
};

// Right-clicks the template tree's node `node` and picks `entry` of the menu that comes up;
// false when the menu had no such entry enabled.
bool ChooseFromTemplateMenu(QTreeWidget* tree, const QString& node, const QString& entry) {
  const auto found = tree->findItems(node, Qt::MatchExactly | Qt::MatchRecursive);
  if (found.size() != 1) return false;
  return ChooseFromPopup(
      [&] { QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, tree->visualItemRect(found.front()).center()); },
      [&](QAction* action) { return action->text() == entry; });
}


std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

// From no template chosen to a project whose inserted blocks follow an edited footer: the
// insert sends the user to the options dialog, where a template is made the default; a footer
// saved with the update answered Yes reaches every inserted block (saving is the main window's
// test). Along the way: a setting applied reaches the registry file, a prefix row is listed,
// and Validate checks the script.
TEST(OptionsWindowTest, ChoosesTemplateAppliesSettingsUpdatesTheProjectsBlocksAndChecksScripts) {
  platform::testing::TempDir scratch;
  Home home(scratch.Path());
  AddInIde ide;
  auto& [sample, dialogs, qt_dialogs, tools, bench, window] = ide;
  const std::map<std::string, std::string> before = ProjectCode(bench);
  const auto insert = [&] {
    ASSERT_TRUE(ClickEntry(window.Bars(), bench.Vbe().Bars(), kToolbarName, {"Insert Gildex Handler"}));
  };

  // No template: the insert says so, changes nothing and opens the dialog on the template
  // editor, where the user makes Standard the default, has the blocks marked (which later
  // updates find them by) and applies.
  bool chosen = false;
  WhenModal("frmOptions", [&](QWidget* modal) {
    auto* tabs = Child<QTabWidget>(modal, "tabOptions");
    EXPECT_EQ(tabs->tabText(tabs->currentIndex()), "Template Editor");
    auto* apply = Child<QPushButton>(modal, "cmdApply");
    EXPECT_FALSE(apply->isEnabled());
    chosen = ChooseFromTemplateMenu(Child<QTreeWidget>(modal, "tvwTemplates"), "Standard", "Set as D&efault");
    EXPECT_TRUE(apply->isEnabled());
    tabs->setCurrentIndex(0);
    auto* body = Child<QCheckBox>(modal, "chkBodyText");
    QTest::mouseClick(body, Qt::LeftButton, {}, QPoint(8, body->height() / 2));
    EXPECT_TRUE(body->isChecked());
    QTest::mouseClick(apply, Qt::LeftButton);
    QTest::mouseClick(Child<QPushButton>(modal, "cmdCancel"), Qt::LeftButton);
  });
  insert();
  ASSERT_TRUE(chosen);
  EXPECT_FALSE(tools.Options().isVisible());
  ASSERT_EQ(dialogs.Asked().size(), 1u);
  EXPECT_EQ(dialogs.Asked()[0].prompt, "Please select a template to use before continuing");
  EXPECT_EQ(ProjectCode(bench), before);
  EXPECT_NE(RunGildex({"options", "get", "DefaultTemplate"}).out.find("Standard"), std::string::npos);
  const std::string body_code_before = RunGildex({"options", "get", "BodyCode"}).out;
  EXPECT_NE(body_code_before.find("True"), std::string::npos) << body_code_before;
  // Run again, the insert goes ahead with the template chosen.
  insert();
  std::map<std::string, std::string> inserted = ProjectCode(bench);
  EXPECT_NE(inserted, before);
  const std::string end_marker = bench.Session().Engine().CodeBodyEnd() + " (Standard)\r\n";
  std::size_t blocks = 0;
  for (const auto& [name, code] : inserted) blocks += Count(code, end_marker);
  ASSERT_GT(blocks, 5u);

  bool ran = false;
  WhenModal("frmOptions", [&](QWidget* modal) {
    ran = true;
    auto* options = static_cast<OptionsWindow*>(modal);
    auto* apply = modal->findChild<QPushButton*>("cmdApply");
    auto* tabs = modal->findChild<QTabWidget*>("tabOptions");
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_FALSE(apply->isEnabled());

    // The Standard footer, typed into and saved by Apply, which asks whether the project's
    // blocks should follow: yes, so every inserted footer ends with the new line.
    tabs->setCurrentIndex(4);
    auto* footer = modal->findChild<QTextEdit*>("rtfFooter");
    EXPECT_TRUE(footer->toPlainText().contains("Err"));
    footer->setFocus();
    footer->moveCursor(QTextCursor::End);
    QTest::keyClicks(footer, "'edited");
    dialogs.Answer(platform::vbYes);
    apply->click();
    EXPECT_EQ(dialogs.Asked().back().prompt, "Do you wish to change all inserted templates in the current project?");
    const std::string ftr = platform::testing::ReadBytes(home.path / "Templates" / "Standard.ftr");
    EXPECT_TRUE(ftr.ends_with("'edited")) << ftr;
    // Each block marked before has the new footer in place of the old one (the update also
    // treats procedures that trap errors themselves, which the insert had passed over).
    for (const auto& [name, code] : ProjectCode(bench)) {
      SCOPED_TRACE(name);
      EXPECT_GE(Count(code, end_marker), Count(inserted.at(name), end_marker));
      EXPECT_EQ(Count(code, "'edited\r\n"), Count(code, end_marker)) << code;
    }

    // A check box cleared, applied: the registry file and the command line see it.
    tabs->setCurrentIndex(0);
    auto* body = modal->findChild<QCheckBox*>("chkBodyText");
    EXPECT_TRUE(body->isChecked());
    QTest::mouseClick(body, Qt::LeftButton, {}, QPoint(8, body->height() / 2));
    EXPECT_TRUE(apply->isEnabled());
    apply->click();
    EXPECT_FALSE(apply->isEnabled());
    const std::string body_code_after = RunGildex({"options", "get", "BodyCode"}).out;
    EXPECT_NE(body_code_after.find("False"), std::string::npos) << body_code_after;

    // The property copier enabled and applied: the designer's "Controls" menu offers its
    // entries and the control templates'.
    const auto controls_menu = [&] {
      QMenu menu;
      window.Bars().Fill(&menu, "Controls");
      QStringList ours;
      for (const QAction* action : menu.actions())
        if (action->objectName().startsWith("Gildex_")) ours << action->text();
      return ours;
    };
    EXPECT_EQ(controls_menu(), QStringList());
    tabs->setCurrentIndex(3);
    auto* copier = modal->findChild<QCheckBox*>("chkPropertyCopy");
    QTest::mouseClick(copier, Qt::LeftButton, {}, QPoint(8, copier->height() / 2));
    apply->click();
    EXPECT_EQ(controls_menu(),
              (QStringList{"Copy Properties", "View Control Templates", "Apply Control Templates"}));

    // A prefix row, listed (Apply writes it with the table: the options dialog's test).
    QTest::keyClicks(modal->findChild<QLineEdit*>("txtControlName"), "Spinner");
    QTest::keyClicks(modal->findChild<QLineEdit*>("txtPrefix"), "spn");
    modal->findChild<QPushButton*>("cmdPrefixItem(0)")->click();
    auto* list = modal->findChild<QTreeWidget*>("lvwPrefix");
    EXPECT_FALSE(list->findItems("Spinner", Qt::MatchExactly).isEmpty());

    // Validate checks the script as typed, in CR LF lines (what it says of a broken one: the
    // script page's test).
    tabs->setCurrentIndex(6);
    modal->findChild<QTextEdit*>("rtfScript")->setPlainText("Function Process(ProcCode)\n  Process = \"\"\nEnd Function");
    modal->findChild<QPushButton*>("cmdValidate")->click();
    EXPECT_EQ(dialogs.Asked().back().prompt, "Script is OK");
    EXPECT_EQ(options->Form()->Scripts().rtfScript.text.find('\n'), options->Form()->Scripts().rtfScript.text.find("\r\n") + 1);
    modal->findChild<QPushButton*>("cmdCancel")->click();
  });
  bench.Session().Connection().Tools().hWndToolbarOptions_Click();
  EXPECT_TRUE(ran);
  EXPECT_FALSE(tools.Options().isVisible());
}

}  // namespace
}  // namespace gildex::desktop
