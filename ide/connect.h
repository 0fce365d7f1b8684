#pragma once
// Connect: the add-in object the host creates and connects. It runs the start-up routine,
// builds the interactive interface for the interactive connect modes, and holds the sixteen
// scope commands that apply the engine to one procedure, one component or every component
// of every open project, the context menus and toolbar with the other commands behind them.
// Every rule lives here; the windows the commands open (the insert-mode choice, the options
// dialog, the splash window, the tool windows) are views handed in by the host program.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <initializer_list>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "host/vbide.h"
#include "ide/add_in.h"
#include "ide/command_table.h"
#include "platform/help_viewer.h"
#include "templates/advanced_template.h"
#include "tools/component_info.h"
#include "tools/control_template.h"
#include "tools/function_finder.h"
#include "tools/todo_list.h"

namespace gildex {

class Connect;
class frmWizard;
class InsertWizardView;

// How the host connects the add-in.
enum ConnectMode : int {
  ext_cm_AfterStartup = 0,
  ext_cm_Startup = 1,
  ext_cm_External = 2,
  ext_cm_CommandLine = 3,
};

// frmInsertOptions: "Insert Mode", asked when a code-window command finds a selection.
class frmInsertOptions {
 public:
  static constexpr const char* kCaption = "Insert Mode";
  static constexpr const char* kFrameCaption = "Insert Code Into :";
  static constexpr const char* kSelectedText = "Selected Text";  // optInertDest(2)
  static constexpr const char* kEntireModule = "Entire Module";
  static constexpr const char* kOkCaption = "OK";
  static constexpr const char* kCloseCaption = "Close";

  bool Cancelled() const { return cancelled_; }
  bool SelectedTextChosen() const { return selected_text_; }
  // The user's actions.
  void ChooseSelectedText() { selected_text_ = true; }
  void ChooseEntireModule() { selected_text_ = false; }
  void cmdGo_Click() {}
  void cmdClose_Click() { cancelled_ = true; }

 private:
  bool cancelled_ = false;
  bool selected_text_ = false;
};

// Shows the insert-mode window modally (centred) and returns when the user pressed OK or
// Close, having reported the choice through the form's handlers.
class InsertOptionsView {
 public:
  virtual ~InsertOptionsView() = default;
  virtual void ShowModal(frmInsertOptions& form) = 0;
};

// The options dialog: its menu entries and toolbar button, and an insert into the project
// that finds no template chosen.
class OptionsDialogView {
 public:
  virtual ~OptionsDialogView() = default;
  virtual void ShowOptions() = 0;
  // The same dialog for an insert that found no template chosen: a window may open it where
  // the user chooses one.
  virtual void ShowOptionsToChooseTemplate() { ShowOptions(); }
};

// The splash window of the start-up routine.
class SplashView {
 public:
  virtual ~SplashView() = default;
  virtual void ShowTopmost() = 0;
  virtual bool Loaded() const = 0;
  virtual void Close() = 0;
};

// The windows of the other commands. Each comes with the desktop program; a host without
// one (the command line) leaves it null and the command says so.
// frmInfo: shows the information gathered for the selected component.
using ComponentInfoView = ComponentInfoWindow;

// frmFNFinder: made on first use over the IDE, and shown again afterwards with what it holds.
class FunctionFinderWindow : public FunctionFinderView {
 public:
  virtual platform::Clipboard& Clipboard() = 0;
  virtual void Show(FunctionFinder& finder) = 0;
};

class FormConverterView {
 public:
  virtual ~FormConverterView() = default;
  // `form` is a form whose designer is open; `generator` is the add-in's one, which the
  // window fills and runs (frmASPConverter::ShowConverter).
  virtual void ShowConverter(host::VBComponent& form, clsASPGenerator& generator) = 0;
};

struct ConnectViews {
  InsertOptionsView* insert_options = nullptr;
  OptionsDialogView* options_dialog = nullptr;
  SplashView* splash = nullptr;
  ComponentInfoView* component_info = nullptr;
  FunctionFinderWindow* function_finder = nullptr;
  InsertWizardView* insert_wizard = nullptr;  // frmWizard's window (ide/insert_wizard.h)
  FormConverterView* form_converter = nullptr;
  ToDoView* todo_list = nullptr;  // the To-Do list's window
  ControlTemplateView* control_templates = nullptr;  // frmControlTemplate's window
  AdvancedTemplateView* advanced_template = nullptr;  // frmAdvancedTemplate's window
  platform::HelpViewer* help_viewer = nullptr;  // shows the help file
};


// What the form designer's "Controls" menu shows of ours, from the stored settings: every
// entry exactly while the property copier is enabled. Connecting and the options dialog's
// Apply both decide it here, in every host.
void ShowControlsEntries(host::CommandBars& bars, const CGildex& engine);

class Connect {
 public:
  // Connect creation: makes the shared objects that are missing and loads the settings.
  Connect(AddIn& add_in, ConnectViews views);
  // Connect termination.
  ~Connect();
  Connect(const Connect&) = delete;
  Connect& operator=(const Connect&) = delete;

  void OnConnection(host::VBE* application, ConnectMode mode);
  void OnDisconnection(int remove_mode);
  void OnStartupComplete() {}
  void OnAddInsUpdate() {}

  host::VBE* VBInstance() const { return add_in_.VBE(); }
  host::VBComponent* CurrentComponent() const { return current_component_; }
  host::VBProject* ActiveProject() const { return active_project_; }
  void SetActiveProject(host::VBProject* project) { active_project_ = project; }
  bool Connected() const { return connected_; }
  AddIn& Shared() { return add_in_; }

  // The scope commands, as the menus call them.
  void hWndModuleFNInsert_Click();
  void hWndCodeInsert_Click();
  void hWndModuleInsert_Click();
  void hWndFormInsert_Click();
  void hWndProjectInsert_Click();
  void hWndModuleFNDelete_Click();
  void hWndCodeDelete_Click();
  void hWndModuleDelete_Click();
  void hWndFormDelete_Click();
  void hWndProjectDelete_Click();
  void hWndCodeNumber_Click();
  void hWndModuleNumber_Click();
  void hWndFormNumber_Click();
  void hWndCodeUnNumber_Click();
  void hWndModuleUnNumber_Click();
  void hWndFormUnNumber_Click();

  // Menus and toolbar
  // Built by the interactive connect modes, removed by the disconnection. The builders and the
  // remover report their failures themselves.
  void CreateMenus();
  void CreateTemplateMenu();
  void RemoveMenus();
  void CreateToolbar();
  void RemoveToolbar();
  void RestoreToolbarPos(host::CommandBar& bar);
  void SaveToolbarPos(host::CommandBar& bar);
  // Clicks an entry as the user would: the bar by name, then the captions down its popups (a
  // toolbar button by its tooltip), letter case and access keys not counting; or the first
  // button with `tag`. False when there is no such entry.
  bool Click(std::string_view bar, std::initializer_list<std::string_view> captions);
  bool ClickTag(std::string_view tag);
  void hWndProjectOptions_Click();
  void hWndModuleOptions_Click();
  void hWndFormOptions_Click();
  void hWndCodeOptions_Click();
  void hWndModuleInfo_Click();
  void hWndFormInfo_Click();
  void hWndCodeFinder_Click();
  void hWndFormToASP_Click();
  void hWndInsertComment_Click();
  void hWndWindowCloseCode_Click();
  void hWndWindowCloseForms_Click();
  void hWndWindowCloseAll_Click();
  void hWndControlCopy_Click();
  void hWndCTemplateEdit_Click();
  void hWndCTemplateView_Click();
  // The apply command with the template `name` of the controls folder instead of the one the
  // window would let the user choose: needs no window.
  void ApplyControlTemplate(const std::string& name);
  // True exactly for "Height" and "Width" (`dimensions`) or "Top" and "Left" (not).
  static void PositionProperty(std::string_view name, bool dimensions, bool& result);
  void hWndToolbarInsert_Click();
  void hWndToolbarRemove_Click();
  void hWndToolbarOptions_Click();
  void hWndToolbarWizard_Click();
  void hWndToolbarFNFinder_Click();
  void hWndToolbarToDo_Click();
  void hWndToolbarHelp_Click();
  // The options dialog's "&Advanced.." button (Selected Routines): the per-procedure template
  // window over the active project, modal.
  void cmdAdvanced_Click();

  // The To-Do list the toolbar opened, until its window reports that it has closed.
  ToDoList* ToDo() const { return moToDo.get(); }
  void moToDo_Unloaded();

  // The timed auto-save: each tick of the engine's auto-save timer runs it with `forced`
  // false (in design mode only, asking first when ConfirmSave is on, and arming the next
  // tick); `forced` saves at once and arms nothing.
  void AutoSaveProject(bool forced);

  // The insertion of the project's insert command, over the components of every project
  // that `chosen` takes by name (every one without it): each passes the read-only gate, gets
  // `working` + name + "." as the message, the current template and, with the line-numbering
  // option on, line numbers. True when the user cancelled.
  bool InsertIntoComponents(const std::string& working, const std::function<bool(const std::string&)>& chosen = {});
  // The wizard the toolbar opened, until it is finished or cancelled.
  frmWizard* Wizard() const;

  // The start line of the selection in the module's code pane.
  std::int32_t GetCursorPosition(host::CodeModule& module);
  // Builds the active project's compiled file; a failure becomes one status line.
  void BuildActiveProject();

 private:
  struct ComponentCommand;
  using ComponentStep = std::function<void(host::CodeModule& module, const std::string& name)>;
  // Every component of every project through the read-only gate and `step`; true when the
  // user cancelled.
  bool WalkProjects(bool name_non_code, const ComponentStep& step,
                    const std::function<bool(const std::string&)>& chosen = {});
  void RunComponentCommand(const ComponentCommand& command);
  void RunProcedureCommand(bool insert);
  bool TemplateChosen(bool open_options);
  // The insert-mode choice; false when the user closed the window.
  bool AskInsertMode(host::CodeModule& module, bool& selection_only);
  void StartUp();
  void CreateSharedObjects();

  // Menus and toolbar
  struct CommandLink {
    host::CommandBarControl* control;
    int connection;
  };
  void Bind(host::CommandBarControl& control, CommandHandler handler);
  void AddMenuEntry(host::CommandBar& parent, const MenuEntry& entry);
  void OpenOptions(const char* name);
  void ShowInfo(const char* name);
  void ShowFunctionFinder(const char* name);
  void CloseWindows(const char* name, bool code, bool designers);
  // The box a command shows when this host has not got its window.
  void WindowMissing(const char* what);
  void CloseWizard();
  void InterfaceFailed(const char* message);
  // Saves the active project and its changed components, asking for the names of those never
  // saved; true when something was saved.
  bool SaveActiveProject();
  // The engine made now runs AutoSaveProject on its timer's ticks.
  void HookAutoSave(CGildex& engine);
  // The click connections of the entries built; each handler reaches Connect through
  // `self_`, which Connect clears when it goes, as the host may keep its bars longer.
  std::vector<CommandLink> command_links_;
  std::shared_ptr<Connect*> self_ = std::make_shared<Connect*>(this);
  bool menus_built_ = false, toolbar_built_ = false;
  std::unique_ptr<ToDoList> moToDo;

  AddIn& add_in_;
  ConnectViews views_;
  std::unique_ptr<FunctionFinder> function_finder_;
  std::unique_ptr<frmWizard> wizard_;
  // The apply command from its first check; `choose` gives the entries, nullopt for none.
  void ApplyTemplates(const std::function<std::optional<std::vector<std::string>>()>& choose);
  host::VBComponent* current_component_ = nullptr;
  host::VBProject* active_project_ = nullptr;
  bool connected_ = false;

  // IDE event reactions
 public:
  // Follows the host's projects, and through the active project its components, its file
  // writes and the controls of the form designer last activated.
  void CreateEventProcs();
  // Lets go of every event source (disconnection, termination).
  void ReleaseEventProcs();
  void hWndVBProjEvents_ItemActivated(host::VBProject& project);
  void hWndVBProjEvents_ItemAdded(host::VBProject& project);
  void hWndVBProjEvents_ItemRemoved(host::VBProject& project);
  void hWndVBProjEvents_ItemRenamed(host::VBProject& project, const std::string& old_name);
  void hWndComponentEvents_ItemActivated(host::VBComponent& component);
  void hWndComponentEvents_ItemAdded(host::VBComponent& component);
  void hWndComponentEvents_ItemReloaded(host::VBComponent& component);
  void hWndComponentEvents_ItemRenamed(host::VBComponent& component, const std::string& old_name);
  void hWndComponentEvents_ItemSelected(host::VBComponent& component);
  // Gives a new control its type's prefix (AutoPrefix).
  void hWndControlEvents_ItemAdded(host::VBControl& control);
  void hWndControlEvents_ItemRemoved(host::VBControl& control);
  // Carries the control's event procedures over to its new name (AutoRename).
  void hWndControlEvents_ItemRenamed(host::VBControl& control, const std::string& old_name, int old_index);
  // Backs the file up (BackupFiles) and offers the build tool for the compiled file.
  void hWndVBFileEvents_RequestWriteFile(host::VBProject& project, const std::string& file_name, bool& cancel);

 private:
  // One host event source: a connection for each of its events. Assigning a new one
  // disconnects the old.
  using EventSource = std::vector<host::Connection>;
  EventSource hWndVBProjEvents;
  EventSource hWndComponentEvents;
  EventSource hWndVBFileEvents;
  EventSource hWndControlEvents;
};

}  // namespace gildex
