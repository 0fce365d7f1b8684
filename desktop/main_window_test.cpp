#include "desktop/main_window.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>

#include "app/command_line_test.h"
#include "desktop/desktop_test.h"
#include "desktop/progress_window.h"
#include "desktop/text.h"
#include "session/sample_project_test.h"

namespace gildex::desktop {
namespace {

// The sample project open in the IDE with Gildex connected, every box answered by the test.
struct Ide {
  explicit Ide(const testing::SampleProject& sample, const platform::Clock* clock = nullptr)
      : bench{dialogs, false,
              [this] {
                QApplication::processEvents();
                if (on_idle) on_idle();
              },
              clock} {
    bench.SetAddInWindows({ProgressWindowFactory(), {}});
    window.ConnectAddIn();
    window.show();
    EXPECT_TRUE(window.OpenProject(sample.Project()));
    // The shipped template, as if chosen in the options dialog.
    EXPECT_TRUE(bench.Session().ApplyOverrides({{}, "Standard", {}}, false).empty());
  }

  platform::ScriptedDialogs dialogs;
  std::function<void()> on_idle;  // runs whenever the command lets the windows work
  workbench::Workbench bench;
  MainWindow window{bench, dialogs};
};

ProgressWindow* ShownProgress() {
  for (QWidget* top : QApplication::topLevelWidgets())
    if (auto* progress = qobject_cast<ProgressWindow*>(top); progress != nullptr && progress->isVisible())
      return progress;
  return nullptr;
}

template <class Widget>
Widget* Part(const char* name) {
  ProgressWindow* progress = ShownProgress();
  return progress == nullptr ? nullptr : progress->findChild<Widget*>(name);
}

// Right-clicks the explorer's row with `caption` and clicks the context menu's entry named
// `entry` (the add-in's tag and the caption). False when the row or the entry is not there.
bool ChooseFromContextMenu(QTreeWidget* explorer, const QString& caption, const QString& entry) {
  const QList<QTreeWidgetItem*> rows = explorer->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
  if (rows.size() != 1) return false;
  const QPoint at = explorer->visualItemRect(rows.front()).center();
  return ChooseFromPopup(
      [&] {
        QContextMenuEvent right_click(QContextMenuEvent::Mouse, at, explorer->viewport()->mapToGlobal(at));
        QApplication::sendEvent(explorer->viewport(), &right_click);
      },
      [&](QAction* action) { return action->objectName() == entry; });
}

// The project's files that differ from the copy's first bytes, but for the lock the IDE
// holds on an open project.
std::vector<std::string> Written(const testing::SampleProject& sample) {
  std::vector<std::string> written = sample.Changed();
  std::erase(written, ".Orders.vbp.gildex-lock");
  return written;
}

const QString kInsertIntoProject = "Gildex_Insert:Insert error handling into entire project.";

// The whole job as a user does it in the IDE gives the same files as the command line.
// A box of the IDE names the dialog that puts a problem right, never a command to type.
TEST(MainWindowTest, ProblemsNameDialogsNeverCommands) {
  for (const Remedy remedy : {Remedy::None, Remedy::ListSettings, Remedy::ChooseTemplate, Remedy::RepairStoredTemplate,
                              Remedy::ChooseTemplateFolder, Remedy::NameComponent, Remedy::FillPrefixTable,
                              Remedy::SetCommentTemplate})
    for (const ProblemSubject subject :
         {ProblemSubject::None, ProblemSubject::Setting, ProblemSubject::Template, ProblemSubject::Selection}) {
      const std::string text = ProblemText({"it went wrong", subject, remedy});
      EXPECT_EQ(text.find("gildex"), std::string::npos) << text;
      EXPECT_EQ(text.find("--"), std::string::npos) << text;
    }
  EXPECT_EQ(ProblemText({"the stored setting is unusable.", Remedy::RepairStoredTemplate}),
            "the stored setting is unusable. Choose a template on the Template Editor page of the Gildex Options dialog.");
}

TEST(MainWindowTest, InsertIntoProjectFromExplorerThenSaveAsCommandLineWrites) {
  testing::SampleProject sample;
  Ide ide(sample);
  bool busy_seen = false;
  ide.on_idle = [&] {
    if (auto* ok = Part<QPushButton>("cmdOK"))
      busy_seen |= !ok->isEnabled() && Part<QPushButton>("cmdCancel")->isEnabled();
  };
  ASSERT_TRUE(ChooseFromContextMenu(ide.window.Explorer(), "Orders (Orders.vbp)", kInsertIntoProject));
  ASSERT_TRUE(QTest::qWaitFor([] { return Part<QPushButton>("cmdOK") && Part<QPushButton>("cmdOK")->isEnabled(); },
                              60000));
  EXPECT_TRUE(busy_seen) << "only Cancel works while the command runs";
  EXPECT_FALSE(Part<QPushButton>("cmdCancel")->isEnabled());
  EXPECT_EQ(Part<QLabel>("lblMessage")->text(), "Gildex Error trapping added to project.");
  EXPECT_GT(Part<QListWidget>("lbStatus")->count(), 0);
  EXPECT_TRUE(ide.dialogs.Asked().empty()) << ide.dialogs.Asked().front().prompt;
  EXPECT_TRUE(Written(sample).empty()) << "nothing is written before the user saves";

  QMenu* file = ide.window.menuBar()->findChild<QMenu*>("&File");
  ASSERT_NE(file, nullptr);
  QAction* save = nullptr;
  for (QAction* action : file->actions())
    if (action->text() == "Sa&ve Project") save = action;
  ASSERT_NE(save, nullptr);
  save->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !ide.bench.HasUnsavedChanges(); }, 10000));
  QTest::mouseClick(Part<QPushButton>("cmdOK"), Qt::LeftButton);
  EXPECT_EQ(ShownProgress(), nullptr) << "OK closes the progress window";
  ASSERT_TRUE(ide.bench.Close()) << "saved: closes without asking";

  testing::SampleProject command_line;
  const app::Ran ran = app::RunGildex({"insert", command_line.Project(), "--template", "Standard", "--yes"});
  ASSERT_EQ(ran.code, 0) << ran.err;
  EXPECT_FALSE(command_line.Changed().empty());
  EXPECT_EQ(sample.Changed(), command_line.Changed());
  for (const auto& [name, bytes] : command_line.Files()) EXPECT_EQ(sample.Files()[name], bytes) << name;
}

// Cancel half-way: the question, then the command stops after the current procedure and
// says so; what it did stays in the IDE, unsaved.
TEST(MainWindowTest, CancelHalfWayThroughTheProject) {
  testing::SampleProject sample;
  Ide ide(sample);
  ide.dialogs.Answer(platform::vbYes);
  bool pressed = false;
  long done_when_pressed = 0;
  ide.on_idle = [&] {
    const long done = ide.bench.Session().Engine().Tally().changed;
    if (pressed || done < 3) return;
    pressed = true;
    done_when_pressed = done;
    QTest::mouseClick(Part<QPushButton>("cmdCancel"), Qt::LeftButton);
  };
  ASSERT_TRUE(ChooseFromContextMenu(ide.window.Explorer(), "Orders (Orders.vbp)", kInsertIntoProject));
  ASSERT_TRUE(QTest::qWaitFor([] { return Part<QPushButton>("cmdOK") && Part<QPushButton>("cmdOK")->isEnabled(); },
                              60000));
  ASSERT_TRUE(pressed);
  ASSERT_EQ(ide.dialogs.Asked().size(), 1u);
  EXPECT_EQ(ide.dialogs.Asked().front().prompt, "Are you sure you wish to Cancel?");
  EXPECT_EQ(Part<QLabel>("lblMessage")->text(), "Operation was cancelled by user.");
  EXPECT_EQ(ide.bench.Session().Engine().Tally().changed, done_when_pressed) << "stops after that procedure";
  const std::size_t changed = ide.bench.Session().Changed().size();
  EXPECT_GE(changed, 1u);
  EXPECT_LT(changed, 8u) << "the rest of the project is left as it was";
  EXPECT_TRUE(Written(sample).empty());
}

// Auto-save on, every minute, without asking: while the IDE only waits for the user, a minute
// after it was switched on the changed module is saved and the progress window says so.
// The progress window fits a status line longer than it was made for.
TEST(MainWindowTest, AutoSaveSavesAfterItsIntervalAndTheProgressWindowGrowsToItsLines) {
  testing::SampleProject sample;
  platform::FixedClock clock;
  Ide ide(sample, &clock);
  ASSERT_TRUE(ide.bench.Session()
                  .ApplyOverrides({{{"ConfirmSave", "False"}, {"SaveInterval", "1"}, {"AutoSave", "True"}}, "", ""}, false)
                  .empty());
  ide.bench.Vbe().Project(1).FindComponent("modGlobals")->Code()->InsertLines(1, "' changed");
  clock.AdvanceTicks(59000);
  QTest::qWait(1200);
  EXPECT_TRUE(Written(sample).empty()) << "not yet: a second is left";
  clock.AdvanceTicks(1000);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Written(sample).empty(); }, 5000));
  EXPECT_EQ(Written(sample), std::vector<std::string>{"modGlobals.bas"});
  EXPECT_FALSE(ide.bench.HasUnsavedChanges());
  ASSERT_NE(ShownProgress(), nullptr);
  auto* status = Part<QListWidget>("lbStatus");
  ASSERT_EQ(status->count(), 1);
  EXPECT_EQ(status->item(0)->text(), "AutoSave Finished 14:05 09/Mar/2024");
  EXPECT_TRUE(ide.dialogs.Asked().empty());

  // Never smaller than 4000 by 4000 twips; wider as a status line needs, as far as the screen goes.
  ProgressWindow* progress = ShownProgress();
  EXPECT_GE(progress->height(), Pixels(kMessageMinimumHeight));
  const int narrow = progress->width();
  const QString long_line = "frmOrders.cmdSave_Click: line 12 holds a label beyond 65529 and was left without a number";
  ide.bench.Session().Shared().Messages().AddStatus(long_line.toStdString());
  const int needed = QFontMetrics(status->font()).horizontalAdvance(long_line);
  EXPECT_GT(progress->width(), narrow);
  EXPECT_GE(status->viewport()->width(), needed);
  EXPECT_LE(progress->frameGeometry().width(), progress->screen()->availableGeometry().width());
  EXPECT_GT(Part<QPushButton>("cmdCancel")->geometry().right(), narrow) << "the buttons move along";
}

}  // namespace
}  // namespace gildex::desktop
