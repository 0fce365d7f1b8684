#include "desktop/code_window.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <gtest/gtest.h>

#include "desktop/drive.h"
#include "desktop/main_window.h"
#include "desktop/progress_window.h"
#include "desktop/text.h"
#include "session/sample_project_test.h"
#include "templates/template_files.h"

namespace gildex::desktop {
namespace {

// Every box takes its default answer; what was asked is kept for the failure message.
class AnsweringDialogs : public QtDialogs {
 public:
  platform::MsgBoxResult MsgBox(const platform::MessageBox& box) override {
    asked += box.prompt + "\n";
    return platform::DefaultAnswer(box.style);
  }
  std::string asked;
};

QString Shown(const host::MemoryCodeModule& module) { return FromVb(module.Text()).replace("\r\n", "\n"); }

void Choose(QComboBox* box, const QString& entry) {
  const int index = box->findText(entry);
  ASSERT_GE(index, 0) << entry.toStdString();
  box->setCurrentIndex(index);
  Q_EMIT box->activated(index);
}

TEST(CodeWindow, TypingTheAddInAndTheDropDownsAllMeetInTheModule) {
  gildex::testing::SampleProject sample;
  AnsweringDialogs dialogs;
  workbench::Workbench bench(dialogs, false, [] { QApplication::processEvents(); });
  bench.SetAddInWindows({ProgressWindowFactory(), {}});
  MainWindow window(bench, dialogs);
  ASSERT_TRUE(window.ConnectAddIn());
  ASSERT_TRUE(window.OpenProject(sample.Project())) << dialogs.asked;
  bench.Session().Engine().DefaultTemplate("Standard");
  LoadTemplate(bench.Session().Engine(), "Standard");
  auto* component = dynamic_cast<host::MemoryComponent*>(bench.Vbe().Project(1).FindComponent("frmMain"));
  ASSERT_NE(component, nullptr);
  window.show();
  QMdiSubWindow* sub = window.ShowCode(*component);
  auto* code = qobject_cast<CodeWindow*>(sub->widget());
  ASSERT_NE(code, nullptr);
  sub->showMaximized();
  QApplication::processEvents();
  host::MemoryCodeModule& module = *component->MemoryCode();
  QPlainTextEdit* text = code->Text();
  const std::string original = module.Text();
  EXPECT_EQ(text->toPlainText(), Shown(module));

  // Choosing an event leads below its declaration, and the pane's cursor is there too.
  ASSERT_GE(code->Objects()->findText("Form"), 1);
  Choose(code->Objects(), "cmdEdit");
  Choose(code->Procedures(), "Click");
  const long body = module.ProcBodyLine("cmdEdit_Click", host::ProcKind::Proc) + 1;
  EXPECT_EQ(text->textCursor().blockNumber() + 1, body);
  EXPECT_EQ(module.Pane().GetSelection().start_line, body);
  EXPECT_EQ(code->Procedures()->currentText(), "Click");

  // The add-in moves the cursor: the window and its drop-downs follow.
  const long load = module.ProcBodyLine("Form_Load", host::ProcKind::Proc);
  module.Pane().SetSelection({load + 1, 5, load + 1, 5});
  EXPECT_EQ(text->textCursor().blockNumber() + 1, load + 1);
  EXPECT_EQ(text->textCursor().positionInBlock(), 4);
  EXPECT_EQ(code->Objects()->currentText(), "Form");
  EXPECT_EQ(code->Procedures()->currentText(), "Load");

  // Typing goes into the module line by line; a keyword takes VB6's case in the module at
  // once and in the window when the cursor leaves the line; undoing it all gives the module back.
  text->setFocus();
  QTest::keyClick(text, Qt::Key_End);
  QTest::keyClick(text, Qt::Key_Return);
  QTest::keyClicks(text, "dim n As long");
  EXPECT_EQ(module.Lines(load + 2, 1), "Dim n As Long");
  EXPECT_EQ(module.CountOfLines(), text->document()->blockCount());
  QTest::keyClick(text, Qt::Key_Up);
  EXPECT_EQ(text->document()->findBlockByNumber(static_cast<int>(load + 1)).text(), "Dim n As Long");
  EXPECT_EQ(text->toPlainText(), Shown(module));
  for (int i = 0; i < 20 && text->document()->isUndoAvailable(); ++i) QTest::keyClick(text, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(module.Text(), original);
  EXPECT_EQ(text->toPlainText(), Shown(module));

  // A right click shows the host's "Code Window" bar with the add-in's entries.
  QStringList entries;
  QTimer::singleShot(0, [&entries] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      for (QAction* action : menu->actions()) entries << action->text();
      menu->close();
    }
  });
  QContextMenuEvent right_click(QContextMenuEvent::Mouse, QPoint(40, 40), text->viewport()->mapToGlobal(QPoint(40, 40)));
  QApplication::sendEvent(text->viewport(), &right_click);
  EXPECT_TRUE(entries.contains("Gildex insert")) << entries.join(", ").toStdString();

  // The add-in inserts error handling into the procedure at the cursor through that menu: the
  // new lines appear in the window, which stays where the user was looking.
  Choose(code->Objects(), "cmdDelete");
  Choose(code->Procedures(), "Click");
  text->verticalScrollBar()->setValue(text->verticalScrollBar()->value() + 3);
  const int top = text->verticalScrollBar()->value();
  ASSERT_TRUE(ClickEntry(window.Bars(), bench.Vbe().Bars(), "Code Window",
                         {"Gildex insert", "Default template", "Into this proc/function"}));
  const long start = module.ProcStartLine("cmdDelete_Click", host::ProcKind::Proc);
  const std::string inserted =
      module.Lines(start, module.ProcCountLines("cmdDelete_Click", host::ProcKind::Proc));
  EXPECT_NE(inserted.find("On Error GoTo"), std::string::npos) << inserted << "\n" << dialogs.asked;
  EXPECT_EQ(text->toPlainText(), Shown(module));
  EXPECT_EQ(text->verticalScrollBar()->value(), top);
  EXPECT_EQ(module.CheckConsistency(), "");
}

}  // namespace
}  // namespace gildex::desktop
