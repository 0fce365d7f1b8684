// The options dialog on a scratch program folder: a setting applied reaches the registry file,
// a footer edited reaches its template file, a prefix row reaches pfx.dat, and Validate says
// what is wrong with a script.
#include "desktop/options_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>
#include <filesystem>

#include "app/command_line_test.h"
#include "desktop/addin_windows.h"
#include "desktop/drive.h"
#include "desktop/main_window.h"
#include "platform/test_files.h"
#include "session/sample_project_test.h"

namespace gildex::desktop {
namespace {

namespace fs = std::filesystem;
using app::RunGildex;

// A program folder of its own, so that Apply writes no shipped file; Standard is the default.
struct Home {
  explicit Home(const fs::path& dir) : path(dir / "home") {
    fs::create_directories(path);
    for (const char* name : {"Templates", "Scripts", "pfx.dat"})
      fs::copy(fs::path(GILDEX_SOURCE_DIR) / "data" / name, path / name, fs::copy_options::recursive);
    for (const auto& entry : fs::recursive_directory_iterator(path))
      fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
    env.emplace("GILDEX_HOME", path.string());
    EXPECT_EQ(RunGildex({"templates", "default", "Standard"}).code, 0);
  }
  fs::path path;
  std::optional<platform::testing::ScopedEnv> env;
};

TEST(OptionsWindowTest, AppliesSettingsSavesTemplatesPrefixesAndChecksScripts) {
  testing::SampleProject sample;
  Home home(sample.dir.Path());
  platform::ScriptedDialogs dialogs;
  QtDialogs qt_dialogs;
  AddInWindows tools{dialogs};
  workbench::Workbench bench{dialogs, false, [] { QApplication::processEvents(); }};
  tools.Attach(bench);
  bench.SetAddInWindows(tools.Windows());
  MainWindow window{bench, qt_dialogs};
  window.ConnectAddIn();
  window.OpenProject(sample.Project());
  const std::string body_code_before = RunGildex({"options", "get", "BodyCode"}).out;

  bool ran = false;
  WhenModal("frmOptions", [&](QWidget* modal) {
    ran = true;
    auto* options = static_cast<OptionsWindow*>(modal);
    auto* apply = modal->findChild<QPushButton*>("cmdApply");
    auto* tabs = modal->findChild<QTabWidget*>("tabOptions");
    EXPECT_FALSE(apply->isEnabled());

    // A check box, applied: the registry file and the command line see it.
    auto* body = modal->findChild<QCheckBox*>("chkBodyText");
    const bool was = body->isChecked();
    QTest::mouseClick(body, Qt::LeftButton, {}, QPoint(8, body->height() / 2));
    EXPECT_TRUE(apply->isEnabled());
    apply->click();
    EXPECT_FALSE(apply->isEnabled());
    const std::string body_code_after = RunGildex({"options", "get", "BodyCode"}).out;
    EXPECT_NE(body_code_after, body_code_before);
    EXPECT_EQ(body_code_after.find("True") != std::string::npos, !was) << body_code_after;

    // The Standard footer, typed into and saved by Apply (no update of the project's blocks).
    tabs->setCurrentIndex(4);
    auto* footer = modal->findChild<QTextEdit*>("rtfFooter");
    EXPECT_TRUE(footer->toPlainText().contains("Err"));
    footer->setFocus();
    footer->moveCursor(QTextCursor::End);
    QTest::keyClicks(footer, "'edited");
    dialogs.Answer(platform::vbNo);
    apply->click();
    const std::string ftr = platform::testing::ReadBytes(home.path / "Templates" / "Standard.ftr");
    EXPECT_TRUE(ftr.ends_with("'edited")) << ftr;

    // A prefix row, listed and written with the table.
    tabs->setCurrentIndex(3);
    QTest::keyClicks(modal->findChild<QLineEdit*>("txtControlName"), "Spinner");
    QTest::keyClicks(modal->findChild<QLineEdit*>("txtPrefix"), "spn");
    modal->findChild<QPushButton*>("cmdPrefixItem(0)")->click();
    auto* list = modal->findChild<QTreeWidget*>("lvwPrefix");
    EXPECT_FALSE(list->findItems("Spinner", Qt::MatchExactly).isEmpty());
    apply->click();
    EXPECT_NE(platform::testing::ReadBytes(home.path / "pfx.dat").find("Spinner=spn"), std::string::npos);

    // Validate: a broken script is named as such, a good one passes.
    tabs->setCurrentIndex(6);
    auto* script = modal->findChild<QTextEdit*>("rtfScript");
    for (const auto& [text, ok] : {std::pair{"Function Process(ProcCode)\n  Process = (\nEnd Function", false},
                                   std::pair{"Function Process(ProcCode)\n  Process = \"\"\nEnd Function", true}}) {
      script->setPlainText(text);
      const std::size_t asked = dialogs.Asked().size();
      modal->findChild<QPushButton*>("cmdValidate")->click();
      ASSERT_EQ(dialogs.Asked().size(), asked + 1);
      EXPECT_EQ(dialogs.Asked().back().prompt == "Script is OK", ok) << dialogs.Asked().back().prompt;
    }
    EXPECT_EQ(options->Form()->Scripts().rtfScript.text.find('\n'), options->Form()->Scripts().rtfScript.text.find("\r\n") + 1);
    modal->findChild<QPushButton*>("cmdCancel")->click();
  });
  bench.Session().Connection().hWndToolbarOptions_Click();
  EXPECT_TRUE(ran);
  EXPECT_FALSE(tools.Options().isVisible());
}

}  // namespace
}  // namespace gildex::desktop
