// The add-in's tool windows on a scratch copy of the sample project: each opened through the
// add-in's own menu entry or toolbar button, showing the model's content, its main button doing
// what the model says.
#include "desktop/addin_windows.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>
#include <filesystem>
#include <functional>

#include "desktop/desktop_test.h"
#include "desktop/drive.h"
#include "desktop/text.h"
#include "platform/test_files.h"
#include "tools/splash.h"

namespace gildex::desktop {
namespace {

namespace fs = std::filesystem;

// This run's choices: a template, and control templates kept in the scratch folder.
struct Rig : AddInIde {
  Rig() {
    session::Overrides overrides;
    overrides.template_name = "Standard";
    EXPECT_TRUE(bench.Session().ApplyOverrides(overrides, true).empty());
    fs::create_directories(sample.dir / "templates" / "Controls");
    Engine().TemplatePath((sample.dir / "templates").string() + "/");
  }
  CGildex& Engine() { return bench.Session().Shared().Engine(); }
  host::MemoryComponent& Component(const std::string& name) {
    return dynamic_cast<host::MemoryComponent&>(*bench.Vbe().Project(1).FindComponent(name));
  }
  void Select(host::MemoryComponent& component) { window.Explorer()->setCurrentItem(window.ExplorerItem(component)); }
  bool Click(const std::string& bar, std::initializer_list<std::string_view> captions) {
    return ClickEntry(window.Bars(), bench.Vbe().Bars(), bar, captions);
  }
  // The control templates' entries stay hidden in the menus: clicked as the host's own control.
  bool ClickHidden(const std::string& bar, const std::string& caption) {
    for (const auto& control : bench.Vbe().Bars().Find(bar)->controls)
      if (control->caption == caption) {
        bool handled = false, cancel = false;
        control->Click.Raise(*control, handled, cancel);
        return true;
      }
    return false;
  }
  host::VBControl& Control(const std::string& form, const std::string& name) {
    for (host::VBControl* control : Component(form).GetDesigner()->Controls())
      if (control->Name() == name) return *control;
    throw std::runtime_error("no control " + name);
  }
  std::string Read(const fs::path& file) { return platform::testing::ReadBytes(file); }
};

QWidget* TopLevel(const QString& name) {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == name && widget->isVisible()) return widget;
  return nullptr;
}

// Typed key by key; letters beyond ASCII come as key events carrying their text.
// A check box or option button is clicked on its own box, not in the middle of its row.
void Tick(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2)); }

void Type(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  for (const QChar c : text) {
    if (c.unicode() < 128)
      QTest::keyClicks(edit, QString(c));
    else
      QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

TEST(AddInWindowsTest, EachWindowOpensFromItsEntryShowsItsModelAndItsButtonActs) {
  struct Case {
    const char* what;
    const char* window;  // object name of the window
    bool modal;
    std::function<void(Rig&)> open;
    std::function<void(Rig&, QWidget*)> use;  // checks what it shows, presses its main button
    std::function<void(Rig&)> after;
  };
  const Case cases[] = {
      {"splash, shown on connecting, closes on its timer", "frmSplash", false, [](Rig&) {},
       [](Rig&, QWidget* splash) {
         EXPECT_TRUE(
             QRegularExpression("^v[0-9]+\\.[0-9]+$").match(Child<QLabel>(splash, "lblVersion")->text()).hasMatch());
         EXPECT_TRUE(Child<QLabel>(splash, "lblInfo")->text().startsWith("Technical Support is available"));
         QTimer* timer = splash->findChild<QTimer*>("Timer1");
         ASSERT_NE(timer, nullptr);
         EXPECT_TRUE(timer->isActive());
         EXPECT_EQ(timer->interval(), kSplashInterval);
         timer->start(1);
         EXPECT_TRUE(QTest::qWaitFor([&] { return !splash->isVisible(); }));
       },
       [](Rig& rig) { EXPECT_FALSE(rig.tools.Splash().Loaded()); }},

      {"component information of a class", "frmInfo", false,
       [](Rig& rig) {
         rig.Select(rig.Component("clsCustomer"));
         EXPECT_TRUE(rig.Click("Project Window Module/Class Folder", {"Component Information"}));
       },
       [](Rig& rig, QWidget* info) {
         const ComponentInformation model = DescribeComponent(rig.Component("clsCustomer"), 0);
         EXPECT_EQ(info->windowTitle(), "Component Information");
         EXPECT_EQ(Child<QLineEdit>(info, "txtCompName")->text(), "clsCustomer");
         EXPECT_EQ(Child<QLineEdit>(info, "txtFilename")->text(), FromVb(model.filename));
         EXPECT_EQ(Child<QLineEdit>(info, "txtLines")->text(), FromVb(model.lines));
         EXPECT_FALSE(Child<QCheckBox>(info, "chkVSSControl")->isChecked());
         EXPECT_EQ(Child<QLabel>(info, "lblVSSStatus")->text(), "- File is not under source code control.");
         auto* members = Child<QListWidget>(info, "lbFunctions");
         ASSERT_EQ(members->count(), static_cast<int>(model.members.size()));
         EXPECT_EQ(members->item(0)->text(), "(Event)     - Changed(Public)");
         QTest::mouseClick(Child<QPushButton>(info, "Command1"), Qt::LeftButton);
       },
       [](Rig& rig) { EXPECT_TRUE(QTest::qWaitFor([&] { return rig.tools.ComponentInfo().Last() == nullptr; })); }},

      {"function finder over a module of the project", "frmFNFinder", false,
       [](Rig& rig) {
         rig.window.ShowCode(rig.Component("modGlobals"));
         EXPECT_TRUE(rig.Click("Code Window", {"Function Finder"}));
       },
       [](Rig& rig, QWidget* finder) {
         const QString file = QString::fromStdString(rig.Component("modGlobals").File().string());
         WhenFileDialog(file);
         QTest::mouseClick(Child<QPushButton>(finder, "cmdBrowse"), Qt::LeftButton);
         EXPECT_EQ(Child<QLabel>(finder, "lblFilename")->text(), file);
         auto* procs = Child<QTreeWidget>(finder, "lvwProcs");
         ASSERT_GT(procs->topLevelItemCount(), 10);
         EXPECT_EQ(procs->topLevelItem(0)->text(0) + " " + procs->topLevelItem(0)->text(1), "Main Method");
         QTest::mouseClick(procs->viewport(), Qt::LeftButton, {},
                           procs->visualItemRect(procs->topLevelItem(0)).center());
         const QString code = Child<QPlainTextEdit>(finder, "rtfCode")->toPlainText();
         EXPECT_TRUE(code.contains("\nPublic Sub Main()\n")) << code.toStdString();
         EXPECT_TRUE(code.endsWith("End Sub"));
         QTest::mouseClick(Child<QPushButton>(finder, "cmdCopy"), Qt::LeftButton);
         EXPECT_EQ(QGuiApplication::clipboard()->text(), code);
         QTest::mouseClick(Child<QPushButton>(finder, "cmdClose"), Qt::LeftButton);
       },
       // A file of the project itself is not offered for removal on closing.
       [](Rig& rig) {
         EXPECT_TRUE(rig.dialogs.Asked().empty());
         EXPECT_FALSE(rig.tools.FunctionFinder().isVisible());
       }},

      {"converter filled for frmCustomer asks before it replaces a page there and writes the positioned page",
       "frmASPConverter", true,
       [](Rig& rig) {
         platform::testing::WriteBytes(rig.sample.dir / "Sample" / "frmCustomer.html", "an older page");
         rig.dialogs.Answer(platform::vbYes);
         rig.window.ShowDesigner(rig.Component("frmCustomer"));
         rig.Select(rig.Component("frmCustomer"));
         EXPECT_TRUE(rig.Click("Project Window Form Folder", {"Convert to VBScript/HTML"}));
       },
       [](Rig& rig, QWidget* converter) {
         EXPECT_EQ(Child<QLineEdit>(converter, "txtFilename")->text(),
                   QString::fromStdString((rig.sample.dir / "Sample" / "frmCustomer.html").string()));
         EXPECT_EQ(Child<QLineEdit>(converter, "txtTitle")->text(), "Customer");
         EXPECT_EQ(Child<QLineEdit>(converter, "txtAction")->text(), "--WEBBOT-SELF--");
         EXPECT_TRUE(Child<QRadioButton>(converter, "optMethod(1)")->isChecked());
         Type(Child<QLineEdit>(converter, "txtTitle"), "Kunden & Aufträge");
         Tick(Child<QRadioButton>(converter, "optMethod(0)"));
         Tick(Child<QCheckBox>(converter, "chkPositioned"));
         QTest::mouseClick(Child<QPushButton>(converter, "cmdGo"), Qt::LeftButton);
       },
       [](Rig& rig) {
         ASSERT_EQ(rig.dialogs.Asked().size(), 1u);
         EXPECT_EQ(rig.dialogs.Asked()[0].prompt,
                   (rig.sample.dir / "Sample" / "frmCustomer.html").string() + " already exists.\r\nDo you want to replace it?");
         const std::string page = rig.Read(rig.sample.dir / "Sample" / "frmCustomer.html");
         EXPECT_NE(page.find("<div id=\"gildex-form\""), std::string::npos);
         EXPECT_NE(page.find("<TITLE>Kunden &amp; Auftr\xE4ge</TITLE>"), std::string::npos);
         EXPECT_NE(page.find("<FORM method=GET action=\"--WEBBOT-SELF--\">"), std::string::npos);
         QWidget* progress = TopLevel("frmMessages");
         ASSERT_NE(progress, nullptr);
         auto* status = Child<QListWidget>(progress, "lbStatus");
         EXPECT_EQ(status->item(status->count() - 1)->text(), "Form 'frmCustomer' converted OK");
       }},

      {"To-Do list: two items added, one ticked", "frmToDo", false,
       [](Rig& rig) { EXPECT_TRUE(rig.Click(kToolbarName, {"To-Do List"})); },
       [](Rig&, QWidget* todo) {
         EXPECT_EQ(todo->windowTitle(), "To Do..");
         auto* items = Child<QListWidget>(todo, "lstItems");
         EXPECT_EQ(items->count(), 0);
         Type(Child<QLineEdit>(todo, "txtItem"), "Number the order forms");
         QTest::mouseClick(Child<QPushButton>(todo, "cmdAdd"), Qt::LeftButton);
         Type(Child<QLineEdit>(todo, "txtItem"), "Remove the old logging");
         QTest::keyClick(Child<QLineEdit>(todo, "txtItem"), Qt::Key_Return);
         ASSERT_EQ(items->count(), 2);
         EXPECT_EQ(items->item(1)->text(), "Remove the old logging");
         items->item(1)->setCheckState(Qt::Checked);
         QTest::mouseClick(Child<QPushButton>(todo, "cmdClose"), Qt::LeftButton);
       },
       [](Rig& rig) {
         EXPECT_EQ(rig.Read(rig.sample.dir / "Sample" / "todo.dat"),
                   "Gildex To-Do list 1\r\n[ ] Number the order forms\r\n[x] Remove the old logging\r\n");
         EXPECT_EQ(rig.bench.Session().Connection().Tools().ToDo(), nullptr);  // closing let the list go
       }},

      {"control templates: a row edited and its value asked, saved by Apply", "frmControlTemplate", true,
       [](Rig& rig) {
         // With a Linux editor's line end: read all the same, and saved with CR LF.
         platform::testing::WriteBytes(rig.sample.dir / "templates" / "Controls" / "Labels.ctt", "AutoSize=-1\n");
         EXPECT_TRUE(rig.ClickHidden("Controls", "View Control Templates"));
       },
       [](Rig&, QWidget* window) {
         EXPECT_EQ(window->windowTitle(), "Custom Controls Tempalte");
         auto* templates = Child<QComboBox>(window, "cboTemplates");
         ASSERT_EQ(templates->count(), 1);
         Q_EMIT templates->activated(0);
         auto* properties = Child<QTreeWidget>(window, "lvwProperties");
         ASSERT_EQ(properties->topLevelItemCount(), 1);
         EXPECT_EQ(properties->topLevelItem(0)->text(0) + "=" + properties->topLevelItem(0)->text(1), "AutoSize=-1");
         auto* apply = Child<QPushButton>(window, "cmdApply");
         EXPECT_EQ(apply->text(), "&Apply");
         EXPECT_FALSE(apply->isEnabled());
         WhenModal([](QWidget* modal) { return qobject_cast<QInputDialog*>(modal) != nullptr; },
                   [window, apply](QWidget* modal) {
                     auto* input = qobject_cast<QInputDialog*>(modal);
                     EXPECT_EQ(input->labelText(), "Please enter a value for this property");
                     EXPECT_EQ(input->textValue(), "-1");
                     input->setTextValue("0");
                     input->accept();
                     WhenModal("frmControlTemplate", [window, apply](QWidget*) {
                       EXPECT_TRUE(apply->isEnabled());
                       QTest::mouseClick(apply, Qt::LeftButton);
                       QTest::mouseClick(Child<QPushButton>(window, "cmdClose"), Qt::LeftButton);
                     });
                   });
         properties->topLevelItem(0)->setText(0, "Visible");  // the in-place edit, committed
       },
       [](Rig& rig) {
         EXPECT_EQ(rig.Read(rig.sample.dir / "templates" / "Controls" / "Labels.ctt"), "Visible=0\r\n");
       }},

      {"control templates in select mode: Select applies the chosen one to the selected control", "frmControlTemplate",
       true,
       [](Rig& rig) {
         platform::testing::WriteBytes(rig.sample.dir / "templates" / "Controls" / "Buttons.ctt",
                                       "Height=500\r\nCaption=\"&Save\"\r\n");
         rig.window.ShowDesigner(rig.Component("frmCustomer"));
         rig.Select(rig.Component("frmCustomer"));
         rig.Component("frmCustomer").GetDesigner()->Select({&rig.Control("frmCustomer", "cmdOK")});
         EXPECT_TRUE(rig.ClickHidden("Controls", "Apply Control Templates"));
       },
       [](Rig&, QWidget* window) {
         auto* templates = Child<QComboBox>(window, "cboTemplates");
         EXPECT_FALSE(templates->isEditable());
         auto* apply = Child<QPushButton>(window, "cmdApply");
         EXPECT_EQ(apply->text(), "&Select");
         EXPECT_FALSE(apply->isEnabled());
         Q_EMIT templates->activated(0);
         EXPECT_EQ(Child<QTreeWidget>(window, "lvwProperties")->topLevelItemCount(), 2);
         EXPECT_TRUE(apply->isEnabled());
         QTest::mouseClick(apply, Qt::LeftButton);
       },
       [](Rig& rig) {
         EXPECT_EQ(rig.Control("frmCustomer", "cmdOK").FindProperty("Height")->Value(), "500");
         EXPECT_EQ(rig.Control("frmCustomer", "cmdOK").FindProperty("Caption")->Value(),
                   "\"&Save\"");  // as the form file writes it
       }},

      {"insert mode for a selection: OK inserts into the selected procedure only", "frmInsertOptions", true,
       [](Rig& rig) {
         host::MemoryComponent& module = rig.Component("modGlobals");
         rig.window.ShowCode(module);
         module.Code()->Pane().SetSelection({67, 1, 87, 8});
         EXPECT_TRUE(rig.Click("Code Window", {"Gildex insert", "Default template", "Into this module"}));
       },
       [](Rig&, QWidget* window) {
         EXPECT_EQ(window->windowTitle(), "Insert Mode");
         EXPECT_EQ(Child<QGroupBox>(window, "fraInnsertMode")->title(), "Insert Code Into :");
         EXPECT_TRUE(Child<QRadioButton>(window, "optInertDest(2)")->isChecked());
         EXPECT_EQ(Child<QRadioButton>(window, "optInertDest(1)")->text(), "Entire Module");
         QTest::mouseClick(Child<QPushButton>(window, "cmdGo"), Qt::LeftButton);
       },
       [](Rig& rig) {
         const auto count = [](const std::string& text) {
           std::size_t n = 0;
           for (std::size_t at = text.find("On Error GoTo"); at != std::string::npos;
                at = text.find("On Error GoTo", at + 1))
             ++n;
           return n;
         };
         EXPECT_EQ(count(rig.Component("modGlobals").MemoryCode()->Text()),
                   count(rig.sample.original.at("modGlobals.bas")) + 1);
       }},

      {"help from the IDE's Help menu, every contents link leading to its topic", "frmHelp", false,
       [](Rig& rig) { EXPECT_TRUE(rig.Click("Menu Bar", {"Help", "Gildex Help"})); },
       [](Rig&, QWidget* help) {
         EXPECT_EQ(help->windowTitle(), "Gildex Help");
         auto* browser = Child<QTextBrowser>(help, "txtHelp");
         EXPECT_TRUE(browser->source().path().endsWith("/Help/Gildex.html")) << browser->source().toString().toStdString();
         EXPECT_TRUE(browser->toPlainText().contains("%ProcName%"));
         QStringList links;
         QSet<QString> topics;
         for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next())
           for (auto part = block.begin(); !part.atEnd(); ++part) {
             const QTextCharFormat format = part.fragment().charFormat();
             if (!format.anchorHref().isEmpty()) links << format.anchorHref();
             for (const QString& name : format.anchorNames()) topics << name;
           }
         EXPECT_GT(links.size(), 30);
         for (const QString& link : links) EXPECT_TRUE(topics.contains(link.mid(1))) << link.toStdString();
         help->close();
       },
       [](Rig& rig) { EXPECT_FALSE(rig.tools.Help().Window()->isVisible()); }},

      {"property copier options: OK stores the choices", "frmCopyOptions", true,
       [](Rig& rig) {
         frmCopyOptions form(rig.Engine(), {});
         rig.tools.CopyOptions().ShowModal(form);
       },
       [](Rig& rig, QWidget* window) {
         EXPECT_EQ(window->windowTitle(), "Property Copier Options");
         EXPECT_EQ(rig.Engine().CopierDiscard(), 0);
         EXPECT_TRUE(Child<QRadioButton>(window, "optDiscard(0)")->isChecked());
         Tick(Child<QRadioButton>(window, "optDiscard(2)"));
         Tick(Child<QCheckBox>(window, "chkSilent"));
         QTest::mouseClick(Child<QPushButton>(window, "cmdOK"), Qt::LeftButton);
       },
       [](Rig& rig) {
         EXPECT_EQ(rig.Engine().CopierDiscard(), 2);
         EXPECT_TRUE(rig.Engine().CopierSilent());
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;
    bool used = false;
    if (c.modal) {
      WhenModal(c.window, [&](QWidget* window) {
        used = true;
        c.use(rig, window);
      });
      c.open(rig);
    } else {
      c.open(rig);
      QWidget* window = TopLevel(c.window);
      ASSERT_NE(window, nullptr);
      used = true;
      c.use(rig, window);
    }
    EXPECT_TRUE(used);
    c.after(rig);
  }
}

}  // namespace
}  // namespace gildex::desktop
