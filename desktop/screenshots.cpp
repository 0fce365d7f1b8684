#include "desktop/screenshots.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QLineEdit>
#include <QMenu>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QToolButton>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <functional>
#include <vector>

#include <filesystem>
#include <system_error>

#include <unistd.h>

#include "desktop/addin_windows.h"
#include "desktop/drive.h"
#include "desktop/designer_window.h"
#include "desktop/main_window.h"
#include "desktop/properties_window.h"
#include "desktop/toolbox.h"
#include "desktop/text.h"
#include "ide/connect.h"
#include "platform/system.h"
#include "tools/control_template.h"
#include "tools/messages.h"

namespace gildex::desktop {

namespace {

void Settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// The pictures of this run that could not be made, each with why; `lacking` when the project
// has nothing to show in them, which is no fault of the run.
std::vector<MissingPicture>& Missing() {
  static std::vector<MissingPicture> missing;
  return missing;
}

bool Miss(const QString& name, const QString& why, bool lacking = false) {
  Missing().push_back({name + ".png", why, lacking});
  return false;
}

bool Lack(const QString& name, const QString& what) { return Miss(name, "the project has no " + what, true); }

// Runs one shot; one that fails without saying why is named by its window.
void Take(const QString& name, const std::function<bool()>& shot) {
  const std::size_t before = Missing().size();
  if (!shot() && Missing().size() == before) Miss(name, "its window did not open");
}

bool Save(QWidget* widget, const QString& folder, const QString& name) {
  Settle();
  return widget->grab().save(QDir(folder).filePath(name + ".png")) || Miss(name, "could not be written");
}

std::size_t MemberCount(host::MemoryComponent& component) {
  return component.Code() != nullptr ? component.Code()->Members().size() : 0;
}

// What the pictures show, picked from the project that is open: the form with the most
// controls and a text box on it (else its first control), the class and the standard module
// with the most members (a form's code standing in for either when the project has none).
struct Subjects {
  host::MemoryComponent* form = nullptr;
  host::VBControl* control = nullptr;
  host::MemoryComponent* class_module = nullptr;
  host::MemoryComponent* module = nullptr;
};

Subjects& Pick() {
  static Subjects subjects;
  return subjects;
}

void PickSubjects(MainWindow& window) {
  Subjects picked;
  std::size_t most_controls = 0;
  const auto more_members = [](host::MemoryComponent* best, host::MemoryComponent& candidate) {
    return MemberCount(candidate) > 0 && (best == nullptr || MemberCount(candidate) > MemberCount(*best));
  };
  for (host::MemoryProject* project : window.Bench().Vbe().Projects())
    for (host::MemoryComponent* component : project->Components()) {
      switch (component->Type()) {
        case host::ComponentType::VBForm:
        case host::ComponentType::VBMDIForm:
        case host::ComponentType::UserControl:
        case host::ComponentType::PropPage: {
          // A form before any other designer, then the one with the most controls.
          const auto form_first = [](host::MemoryComponent* c) { return c->Type() == host::ComponentType::VBForm; };
          host::Designer* designer = component->GetDesigner();
          if (designer == nullptr) break;
          if (picked.form == nullptr || form_first(component) > form_first(picked.form) ||
              (form_first(component) == form_first(picked.form) && designer->Controls().size() > most_controls)) {
            picked.form = component;
            most_controls = designer->Controls().size();
          }
          break;
        }
        case host::ComponentType::ClassModule:
          if (more_members(picked.class_module, *component)) picked.class_module = component;
          break;
        case host::ComponentType::StdModule:
          if (more_members(picked.module, *component)) picked.module = component;
          break;
        default:
          break;
      }
    }
  if (picked.form != nullptr) {
    // A text box shows the most of the properties window; a menu or timer has nothing drawn.
    const auto rank = [](host::VBControl* control) {
      if (control == nullptr) return -1;
      const std::string kind = control->ClassName();
      return kind == "TextBox" ? 2 : kind == "Menu" || kind == "Timer" ? 0 : 1;
    };
    for (host::VBControl* control : picked.form->GetDesigner()->Controls())
      if (rank(control) > rank(picked.control)) picked.control = control;
    if (MemberCount(*picked.form) > 0) {
      if (picked.class_module == nullptr) picked.class_module = picked.form;
      if (picked.module == nullptr) picked.module = picked.form;
    }
  }
  Pick() = picked;
}

// Chooses `caption` in the next popup menu that opens, as the user picks an entry in it.
void ChooseInNextMenu(const QString& caption, int tries = 500) {
  QTimer::singleShot(10, [caption, tries] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      for (QAction* action : menu->actions())
        if (action->text() == caption) action->trigger();
      menu->close();
    } else if (tries > 0) {
      ChooseInNextMenu(caption, tries - 1);
    }
  });
}

// A click of the mouse `button` on the tree's item that shows `text`.
bool ClickItem(QTreeWidget* tree, const QString& text, Qt::MouseButton button) {
  const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
  if (found.isEmpty()) return false;
  const QPoint at = tree->visualItemRect(found.front()).center();
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent event(type, at, tree->viewport()->mapToGlobal(at), button,
                      type == QEvent::MouseButtonPress ? button : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &event);
  }
  return true;
}

// The settings the pictures show, chosen as a user chooses them in the options dialog and
// kept in the run's own registry: the property copier on, so that the designer's menu offers
// the add-in's entries, and Standard the default template, which the commands that insert need.
// False when the options dialog did not open; a repository's .gildex file may still decide a
// value over the dialog, which the run then names.
bool ChooseSettings(MainWindow& window) {
  bool opened = false;
  WhenModal("frmOptions", [&opened](QWidget* modal) {
    opened = true;
    auto* tabs = modal->findChild<QTabWidget*>("tabOptions");
    tabs->setCurrentIndex(3);
    if (auto* copier = modal->findChild<QCheckBox*>("chkPropertyCopy"); !copier->isChecked()) copier->click();
    tabs->setCurrentIndex(4);
    ChooseInNextMenu("Set as D&efault");
    ClickItem(modal->findChild<QTreeWidget*>("tvwTemplates"), "Standard", Qt::RightButton);
    modal->findChild<QPushButton*>("cmdApply")->click();
    modal->findChild<QPushButton*>("cmdCancel")->click();
  });
  ClickEntry(window.Bars(), window.Bench().Vbe().Bars(), kToolbarName, {"Gildex Options"});
  const CGildex& engine = window.Bench().Session().Engine();
  if (opened && !(engine.CopierEnabled() && engine.DefaultTemplate() == "Standard"))
    Miss("options", "the project's settings keep the property copier off or another default template than Standard; "
                    "pictures may show them", true);
  return opened;
}

// A bar of the host drawn as the context menu it is.
bool SaveMenu(MainWindow& window, const std::string& bar, const QString& folder, const QString& name) {
  QMenu menu;
  window.Bars().Fill(&menu, bar);
  menu.popup(window.mapToGlobal(QPoint(200, 150)));
  const bool saved = Save(&menu, folder, name);
  menu.close();
  return saved;
}

// The code window of the first form (else the first module) with the cursor in an event
// procedure, so that both drop-downs show what VB6 shows there.
bool SaveCodeWindow(MainWindow& window, const QString& folder) {
  host::MemoryComponent* shown = nullptr;
  for (host::MemoryProject* project : window.Bench().Vbe().Projects())
    for (host::MemoryComponent* component : project->Components())
      if (component->Code() != nullptr &&
          (shown == nullptr || (component->Type() == host::ComponentType::VBForm &&
                                shown->Type() != host::ComponentType::VBForm)))
        shown = component;
  if (shown == nullptr) return true;
  QMdiSubWindow* sub = window.ShowCode(*shown);
  if (sub == nullptr) return false;
  sub->resize(760, 460);
  host::CodeModule& module = *shown->Code();
  for (long line = module.CountOfDeclarationLines() + 1; line <= module.CountOfLines(); ++line) {
    host::ProcKind kind = host::ProcKind::Proc;
    const std::string name = module.ProcOfLine(line, kind);
    if (name.find('_') == std::string::npos) continue;
    const long body = module.ProcBodyLine(name, kind) + 1;
    module.Pane().SetSelection({body, 5, body, 5});
    break;
  }
  return Save(sub, folder, "code-window");
}

// The menu bar's Format menu with its Order submenu open beside it, a control selected.
bool SaveFormatMenu(MainWindow& window, const QString& folder) {
  QMenu* format = nullptr;
  for (QMenu* menu : window.menuBar()->findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
    if (menu->objectName() == "F&ormat") format = menu;
  if (format == nullptr) return false;
  format->popup(window.mapToGlobal(QPoint(10, 30)));  // rebuilt as it opens
  Settle();
  QMenu* order = nullptr;  // the one of this filling: each opening fills the menu anew
  for (QMenu* sub : format->findChildren<QMenu*>("O&rder"))
    if (format->actions().contains(sub->menuAction())) order = sub;
  if (order == nullptr) return false;
  order->popup(QPoint(0, 0));
  Settle();
  const QPixmap order_picture = order->grab();
  const int order_top = format->actionGeometry(order->menuAction()).top();
  const QPixmap format_picture = format->grab();
  order->close();
  format->close();
  QPixmap picture(format_picture.width() + order_picture.width() - 4,
                  std::max(format_picture.height(), order_top + order_picture.height()));
  picture.fill(QColor(0x80, 0x80, 0x80));
  QPainter painter(&picture);
  painter.drawPixmap(0, 0, format_picture);
  painter.drawPixmap(format_picture.width() - 4, order_top, order_picture);
  painter.end();
  return picture.save(QDir(folder).filePath("menu-bar-format.png"));
}

// The sample's richest form in its designer with one control selected, the properties window
// and the toolbox beside it, and the "Controls" menu a right click on the control opens.
int SaveDesignerShots(MainWindow& window, const QString& folder) {
  host::MemoryComponent* form = Pick().form;
  if (form == nullptr) {
    for (const char* name : {"designer", "properties-window", "properties-form", "toolbox", "designer-controls-menu"})
      Lack(name, "form or other designer");
    return 5;
  }
  QMdiSubWindow* sub = window.ShowDesigner(*form);
  auto* designer = sub != nullptr ? sub->findChild<DesignerWindow*>() : nullptr;
  if (designer == nullptr) return !Miss("designer", "the form's designer did not open");
  host::VBControl* chosen = Pick().control;
  if (chosen != nullptr) form->GetDesigner()->Select({chosen});
  window.Refresh();
  int failed = 0;
  failed += !Save(sub, folder, "designer");
  failed += !Save(window.Properties(), folder, "properties-window");
  // The form's own rows: its Booleans and enumerated values as VB6's window names them, one
  // of them in its drop-down.
  form->GetDesigner()->Select({});
  window.Refresh();
  QTableWidget* grid = window.Properties()->Grid();
  if (const int row = window.Properties()->RowOf("BorderStyle"); row >= 0) {
    grid->setCurrentCell(row, 1);
    grid->editItem(grid->item(row, 1));
  }
  failed += !Save(window.Properties(), folder, "properties-form");
  grid->setCurrentItem(nullptr);  // the drop-down closes, the value as it was
  if (chosen != nullptr) form->GetDesigner()->Select({chosen});
  window.Refresh();
  // The toolbox down to its last tool: the dock below it is empty.
  Settle();
  const QToolButton* last = window.Tools()->Tool(workbench::ToolboxClasses().back());
  const int bottom = last->mapTo(window.Tools(), QPoint(0, last->height())).y() + 6;
  failed += !window.Tools()->grab(QRect(0, 0, window.Tools()->width(), bottom)).save(QDir(folder).filePath("toolbox.png"));
  // The menu is a window of its own: drawn onto the designer where the click was.
  const workbench::ControlView* view = chosen != nullptr ? designer->Model()->ViewOf(chosen) : nullptr;
  if (view == nullptr) return failed + !Lack("designer-controls-menu", "control drawn on a form");
  QMenu menu;
  window.Bars().Fill(&menu, "Controls");
  menu.popup(QPoint(0, 0));
  Settle();
  const QPixmap menu_picture = menu.grab();
  menu.close();
  const QPixmap window_picture = sub->grab();
  const QPoint click = designer->mapTo(sub, designer->WidgetPoint({view->rect.x + 40, view->rect.y + 12}));
  // Grown where the menu reaches past the window, as it would over the desktop.
  QPixmap picture(std::max(window_picture.width(), click.x() + menu_picture.width()),
                  std::max(window_picture.height(), click.y() + menu_picture.height()));
  picture.fill(QColor(0x80, 0x80, 0x80));
  QPainter painter(&picture);
  painter.drawPixmap(0, 0, window_picture);
  painter.drawPixmap(click, menu_picture);
  painter.end();
  failed += !picture.save(QDir(folder).filePath("designer-controls-menu.png"));
  return failed + !SaveFormatMenu(window, folder);
}

void TakeMainWindowShots(MainWindow& window, const QString& folder) {
  // The add-in's toolbar, shown where the user would find it after switching it on.
  if (host::CommandBar* bar = window.Bench().Vbe().Bars().Find(kToolbarName)) {
    bar->visible = true;
    bar->position = host::BarPosition::Top;
    window.Refresh();
  }
  if (window.Bench().AddInConnected() && !ChooseSettings(window))
    Miss("options", "the options dialog did not open to choose the settings the pictures show");
  window.show();
  window.resize(1280, 820);
  Save(&window, folder, "main-window");
  for (const auto& [bar, name] : std::vector<std::pair<std::string, QString>>{
           {"Project Window Project", "menu-project"},
           {"Project Window Module/Class Folder", "menu-module"},
           {"Project Window Form Folder", "menu-form"},
           {"Code Window", "menu-code-window"},
           {"Controls", "menu-controls"}})
    SaveMenu(window, bar, folder, name);
  for (QMenu* menu : window.menuBar()->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) {
    const QString name = menu->objectName().remove('&').toLower().replace(' ', '-');
    if (name != "file" && name != "add-ins") continue;
    menu->popup(window.mapToGlobal(QPoint(10, 30)));
    Save(menu, folder, "menu-bar-" + name);
    menu->close();
  }
  if (!window.GildexToolbar()->isHidden()) Save(window.GildexToolbar(), folder, "toolbar-gildex");
  Take("code-window", [&] { return SaveCodeWindow(window, folder); });
  SaveDesignerShots(window, folder);
  // The IDE at work: a code window and a designer side by side in the workspace.
  window.Workspace()->tileSubWindows();
  Save(&window, folder, "main-window-working");
}

// Clicks the component in the project window, as the user does before its context menu.
void SelectInExplorer(MainWindow& window, host::MemoryComponent& component) {
  if (QTreeWidgetItem* item = window.ExplorerItem(component)) window.Explorer()->setCurrentItem(item);
}

QWidget* TopLevel(const QString& name) {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == name && widget->isVisible()) return widget;
  return nullptr;
}

// A modal window opened by `open`: saved once it is up, then closed with its button `close`.
bool SaveModal(const QString& name, const QString& close, const QString& folder, const QString& file,
               const std::function<void()>& open, const std::function<void(QWidget*)>& fill = {}) {
  bool saved = false;
  WhenModal(name, [&](QWidget* modal) {
    if (fill) fill(modal);
    saved = Save(modal, folder, file);
    if (auto* button = modal->findChild<QPushButton*>(close)) button->click();
  });
  open();
  return saved;
}

bool SplashShot(AddInWindows& tools, const QString& folder) {
  tools.Splash().ShowTopmost();
  const bool saved = Save(&tools.Splash(), folder, "splash");
  tools.Splash().Close();
  return saved;
}

// The help as the IDE's Help menu opens it, and its table of the templates' variables.
bool HelpShots(MainWindow& window, AddInWindows& tools, const QString& folder) {
  if (!ClickEntry(window.Bars(), window.Bench().Vbe().Bars(), "Menu Bar", {"Help", "Gildex Help"}) ||
      !tools.Help().Window()->isVisible())
    return false;
  bool saved = Save(tools.Help().Window(), folder, "help");
  tools.Help().Browser()->scrollToAnchor("variables");
  saved = Save(tools.Help().Window(), folder, "help-variables") && saved;
  tools.Help().Window()->close();
  return saved;
}

bool ComponentInfoShot(MainWindow& window, AddInWindows& tools, const QString& folder) {
  host::MemoryComponent* component = Pick().class_module;
  if (component == nullptr) return Lack("component-info", "module with code");
  SelectInExplorer(window, *component);
  const std::string bar = component->Type() == host::ComponentType::VBForm ? "Project Window Form Folder"
                                                                            : "Project Window Module/Class Folder";
  if (!ClickEntry(window.Bars(), window.Bench().Vbe().Bars(), bar, {"Component Information"}) ||
      tools.ComponentInfo().Last() == nullptr)
    return false;
  QDialog* info = tools.ComponentInfo().Last();
  const bool saved = Save(info, folder, "component-info");
  info->close();
  return saved;
}

bool FunctionFinderShot(MainWindow& window, AddInWindows& tools, const QString& folder) {
  host::MemoryComponent* module = Pick().module;
  if (module == nullptr) return Lack("function-finder", "module with code");
  window.ShowCode(*module);
  if (!ClickEntry(window.Bars(), window.Bench().Vbe().Bars(), "Code Window", {"Function Finder"})) return false;
  FunctionFinderDialog& finder = tools.FunctionFinder();
  const QString file = QString::fromStdString(module->File().string());
  WhenFileDialog(file);
  finder.findChild<QPushButton*>("cmdBrowse")->click();
  for (int row : {0, 1})
    if (QTreeWidgetItem* item = finder.procs->topLevelItem(row)) Q_EMIT finder.procs->itemClicked(item, 0);
  const bool saved = finder.procs->topLevelItemCount() > 0 && Save(&finder, folder, "function-finder");
  finder.close();
  return saved;
}

bool ConverterShot(MainWindow& window, const QString& folder) {
  host::MemoryComponent* form = Pick().form;
  if (form == nullptr || form->Type() != host::ComponentType::VBForm) return Lack("converter", "form");
  window.ShowDesigner(*form);
  SelectInExplorer(window, *form);
  return SaveModal("frmASPConverter", "cmdClose", folder, "converter", [&] {
    ClickEntry(window.Bars(), window.Bench().Vbe().Bars(), "Project Window Form Folder", {"Convert to VBScript/HTML"});
  }, [](QWidget* modal) {
    modal->findChild<QLineEdit*>("txtKeywords")->setText("customers, orders");
    modal->findChild<QLineEdit*>("txtDescription")->setText("Edit a customer of the order system");
  });
}

bool ControlTemplatesShot(MainWindow& window, const QString& folder) {
  // Two templates of our own, in the run's scratch templates folder.
  const QDir controls(QString::fromStdString(ControlsFolder(window.Bench().Session().Engine().TemplatePath()).string()));
  QDir().mkpath(controls.path());
  for (const auto& [name, text] : std::vector<std::pair<QString, QByteArray>>{
           {"Buttons.ctt", "Height=375\r\nWidth=1455\r\nFont.Name=Tahoma\r\nCaption=\"&OK\"\r\n"},
           {"Labels.ctt", "AutoSize=-1\r\nBackStyle=0\r\n"}}) {
    QFile file(controls.filePath(name));
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(text);
  }
  return SaveModal("frmControlTemplate", "cmdClose", folder, "control-templates", [&] {
    ClickEntry(window.Bars(), window.Bench().Vbe().Bars(), "Controls", {"View Control Templates"});
  }, [](QWidget* modal) {
    auto* templates = modal->findChild<QComboBox*>("cboTemplates");
    templates->setCurrentIndex(0);
    Q_EMIT templates->activated(0);
  });
}

// A window the options dialog opens from its page `page` with its button `button`, saved once
// it is up and closed with its button `close`; the options dialog is then closed unapplied.
bool SaveFromOptions(MainWindow& window, int page, const char* button, const QString& name, const QString& close,
                     const QString& folder, const QString& file, const std::function<void(QWidget*)>& fill = {}) {
  bool saved = false;
  WhenModal("frmOptions", [&](QWidget* options) {
    options->findChild<QTabWidget*>("tabOptions")->setCurrentIndex(page);
    // The per-procedure templates are for the selected routines only.
    if (auto* insert = options->findChild<QComboBox*>("cboInsertOpts"); page == 5) {
      insert->setCurrentIndex(kSelectedRoutines);
      Q_EMIT insert->activated(kSelectedRoutines);
    }
    saved = SaveModal(name, close, folder, file, [&] { options->findChild<QPushButton*>(button)->click(); }, fill);
    options->findChild<QPushButton*>("cmdCancel")->click();
  });
  ClickEntry(window.Bars(), window.Bench().Vbe().Bars(), kToolbarName, {"Gildex Options"});
  return saved;
}

bool CopyOptionsShot(MainWindow& window, const QString& folder) {
  return SaveFromOptions(window, 3, "cmdCopyCustom", "frmCopyOptions", "cmdClose", folder, "copy-options");
}

// One picture a page of the options dialog, the template editor showing Standard.
bool OptionsShots(MainWindow& window, const QString& folder) {
  int saved = 0;
  WhenModal("frmOptions", [&](QWidget* modal) {
    auto* tabs = modal->findChild<QTabWidget*>("tabOptions");
    for (int page = 0; page < tabs->count(); ++page) {
      tabs->setCurrentIndex(page);
      if (page == 4) ClickItem(modal->findChild<QTreeWidget*>("tvwTemplates"), "Standard", Qt::LeftButton);
      // A shipped script chosen from the list.
      if (auto* scripts = modal->findChild<QComboBox*>("cboScripts"); page == 6 && scripts->count() > 0) {
        scripts->setCurrentIndex(0);
        Q_EMIT scripts->activated(0);
      }
      const QString name = tabs->tabText(page).remove('.').toLower().replace(' ', '-');
      saved += Save(modal, folder, QString("options-%1-%2").arg(page + 1).arg(name));
    }
    modal->findChild<QPushButton*>("cmdCancel")->click();
  });
  ClickEntry(window.Bars(), window.Bench().Vbe().Bars(), kToolbarName, {"Gildex Options"});
  return saved == 8;
}

bool ToDoShot(AddInWindows& tools, const QString& folder) {
  // A list of its own beside no project of the user's.
  QTemporaryDir scratch;
  ToDoList list;
  list.Caption("To Do..");
  list.FileName(QDir(scratch.path()).filePath("todo.dat").toStdString());
  list.Load();
  list.Add("Number the order forms before the release");
  list.Add("Remove the old logging from modErrors");
  list.MarkDone(2);
  list.Show(tools.ToDo());
  const bool saved = list.Items().size() == 2 && Save(&tools.ToDo(), folder, "todo-list");
  list.Release();
  return saved;
}

// The four steps with Standard chosen and two components checked; cancelled, nothing inserted.
bool WizardShots(MainWindow& window, AddInWindows& tools, const QString& folder) {
  if (!ClickEntry(window.Bars(), window.Bench().Vbe().Bars(), kToolbarName, {"Gildex Wizard"})) return false;
  InsertWizardWindow& wizard = tools.Wizard();
  bool saved = Save(&wizard, folder, "wizard-intro");
  wizard.nav[frmWizard::kNext]->click();
  const auto standard = wizard.templates->findItems("Standard", Qt::MatchExactly | Qt::MatchRecursive);
  if (!standard.isEmpty()) Q_EMIT wizard.templates->itemClicked(standard.front(), 0);  // the default, current already
  saved = Save(&wizard, folder, "wizard-template") && saved;
  wizard.nav[frmWizard::kNext]->click();
  for (host::MemoryComponent* component : {Pick().class_module, Pick().module})
    if (component != nullptr)
      for (QTreeWidgetItem* item : wizard.components->findItems(QString::fromStdString(component->Name()), Qt::MatchExactly))
        item->setCheckState(0, Qt::Checked);
  saved = Save(&wizard, folder, "wizard-components") && saved;
  wizard.nav[frmWizard::kNext]->click();
  saved = Save(&wizard, folder, "wizard-summary") && saved && !standard.isEmpty();
  WhenModal("MsgBox", [](QWidget* box) {
    if (auto* message = qobject_cast<QMessageBox*>(box)) message->button(QMessageBox::Yes)->click();
  });
  wizard.nav[frmWizard::kCancel]->click();
  return saved && !wizard.isVisible();
}

// The per-procedure window with a class clicked and two members tagged (in memory only: the
// project is closed unsaved at the end).
bool ProcedureTemplatesShot(MainWindow& window, const QString& folder) {
  const QString shown = Pick().class_module != nullptr ? QString::fromStdString(Pick().class_module->Name()) : QString();
  return SaveFromOptions(window, 5, "cmdAdvanced", "frmAdvancedTemplate", "Command1", folder, "procedure-templates",
                         [shown](QWidget* modal) {
                           auto* tree = modal->findChild<QTreeWidget*>("tvwVBProjects");
                           const auto found = tree->findItems(shown, Qt::MatchExactly | Qt::MatchRecursive);
                           if (!found.isEmpty()) tree->setCurrentItem(found.front());
                           auto* members = modal->findChild<QTreeWidget*>("lvwMembers");
                           for (int row : {1, 4})
                             if (row < members->topLevelItemCount())
                               members->topLevelItem(row)->setCheckState(0, Qt::Checked);
                           modal->findChild<QPushButton*>("cmdApply")->click();
                         });
}

// A few lines of the module's first procedure selected, as the user marks them before the entry.
bool InsertModeShot(MainWindow& window, const QString& folder) {
  host::MemoryComponent* module = Pick().module;
  if (module == nullptr) return Lack("insert-mode", "module with code");
  // The add-in skips a read-only file before it asks anything.
  if (!module->File().empty() && access(module->File().c_str(), W_OK) != 0)
    return Miss("insert-mode", module->File().filename().string().c_str() + QString(" is read-only"), true);
  window.ShowCode(*module);
  const long first = module->Code()->CountOfDeclarationLines() + 1;
  module->Code()->Pane().SetSelection({first, 1, std::min(first + 5, module->Code()->CountOfLines()), 1});
  const bool saved = SaveModal("frmInsertOptions", "cmdClose", folder, "insert-mode", [&] {
    ClickEntry(window.Bars(), window.Bench().Vbe().Bars(), "Code Window",
               {"Gildex insert", "Default template", "Into this module"});
  });
  if (QWidget* progress = TopLevel("frmMessages")) progress->close();
  return saved;
}

// Last: the insert changes the project in memory, which is then closed without saving.
bool ProgressShot(MainWindow& window, const QString& folder) {
  if (!ClickEntry(window.Bars(), window.Bench().Vbe().Bars(), kToolbarName, {"Insert Gildex Handler"})) return false;
  QWidget* progress = TopLevel("frmMessages");
  const bool saved = progress != nullptr && Save(progress, folder, "progress-insert-project");
  if (progress != nullptr) progress->close();
  WhenModal("MsgBox", [](QWidget* box) {
    if (auto* message = qobject_cast<QMessageBox*>(box)) message->button(QMessageBox::No)->click();
  });
  window.Bench().Close();
  return saved;
}

void TakeToolWindowShots(MainWindow& window, AddInWindows& tools, const QString& folder) {
  Take("splash", [&] { return SplashShot(tools, folder); });
  Take("component-info", [&] { return ComponentInfoShot(window, tools, folder); });
  Take("function-finder", [&] { return FunctionFinderShot(window, tools, folder); });
  Take("converter", [&] { return ConverterShot(window, folder); });
  Take("control-templates", [&] { return ControlTemplatesShot(window, folder); });
  Take("copy-options", [&] { return CopyOptionsShot(window, folder); });
  Take("todo-list", [&] { return ToDoShot(tools, folder); });
  Take("wizard", [&] { return WizardShots(window, tools, folder); });
  Take("procedure-templates", [&] { return ProcedureTemplatesShot(window, folder); });
  Take("options", [&] { return OptionsShots(window, folder); });
  Take("insert-mode", [&] { return InsertModeShot(window, folder); });
  Take("progress-insert-project", [&] { return ProgressShot(window, folder); });
  Take("help", [&] { return HelpShots(window, tools, folder); });
}

}  // namespace

std::unique_ptr<QTemporaryDir> UseScratchProgramFolder() {
  namespace fs = std::filesystem;
  const fs::path executable = QCoreApplication::applicationFilePath().toStdString();
  const fs::path shipped = platform::DataFolderOfBuildTree(executable).value_or(platform::InstalledDataFolder(executable));
  auto scratch = std::make_unique<QTemporaryDir>();
  std::error_code error;
  if (!scratch->isValid() || !fs::is_directory(shipped, error)) return nullptr;
  try {
    if (platform::SeedProgramFolder(shipped, scratch->path().toStdString()).empty()) return nullptr;
  } catch (const fs::filesystem_error&) {
    return nullptr;
  }
  qputenv("GILDEX_HOME", scratch->path().toUtf8());
  // The settings the run chooses are its own too.
  qputenv("GILDEX_REGISTRY", QDir(scratch->path()).filePath("registry.reg").toUtf8());
  // And Qt's own: the file dialog would keep its last folder in the user's QtProject.conf.
  qputenv("XDG_CONFIG_HOME", QDir(scratch->path()).filePath("config").toUtf8());
  return scratch;
}

QString CopyOfSample(const QTemporaryDir& scratch) {
  namespace fs = std::filesystem;
  const fs::path executable = QCoreApplication::applicationFilePath().toStdString();
  const fs::path shipped =
      platform::DataFolderOfBuildTree(executable).value_or(platform::InstalledDataFolder(executable)) / "Sample";
  const fs::path copy = fs::path(scratch.path().toStdString()) / "Sample";
  std::error_code error;
  fs::copy(shipped, copy, fs::copy_options::recursive, error);
  if (error || !fs::exists(copy / "Orders.vbp")) return {};
  return QString::fromStdString((copy / "Orders.vbp").string());
}

std::vector<MissingPicture> TakeScreenshots(MainWindow& window, AddInWindows& tools, const QString& folder) {
  Missing().clear();
  QDir().mkpath(folder);
  PickSubjects(window);
  TakeMainWindowShots(window, folder);
  if (window.Bench().AddInConnected()) TakeToolWindowShots(window, tools, folder);
  return Missing();
}

}  // namespace gildex::desktop
