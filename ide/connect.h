#pragma once
// Connect: the add-in object the host creates and connects. It runs the start-up routine,
// builds the menus and the toolbar for the interactive connect modes and wires each entry to
// its command; the commands and the event reactions are groups it owns: the scope commands
// (scope_commands.h), the form designer's commands (designer_commands.h), the tool windows
// (tool_windows.h) and the IDE event reactions (event_reactions.h). The windows the commands
// open are views handed in by the host program (connect_views.h).
#include <initializer_list>
#include <memory>
#include <string_view>
#include <vector>

#include "host/vbide.h"
#include "ide/add_in.h"
#include "ide/command_table.h"
#include "ide/connect_views.h"
#include "ide/designer_commands.h"
#include "ide/event_reactions.h"
#include "ide/scope_commands.h"
#include "ide/tool_windows.h"

namespace gildex {

// How the host connects the add-in.
enum ConnectMode : int {
  ext_cm_AfterStartup = 0,
  ext_cm_Startup = 1,
  ext_cm_External = 2,
  ext_cm_CommandLine = 3,
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
  host::VBComponent* CurrentComponent() const { return events_.CurrentComponent(); }
  host::VBProject* ActiveProject() const { return events_.ActiveProject(); }
  void SetActiveProject(host::VBProject* project) { events_.SetActiveProject(project); }
  bool Connected() const { return connected_; }
  AddIn& Shared() { return add_in_; }

  // The groups the menus' entries and the host's events reach.
  ScopeCommands& Scope() { return scope_; }
  DesignerCommands& Designer() { return designer_; }
  ToolWindows& Tools() { return tools_; }
  EventReactions& Events() { return events_; }

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

  // The timed auto-save: each tick of the engine's auto-save timer runs it with `forced`
  // false (in design mode only, asking first when ConfirmSave is on, and arming the next
  // tick); `forced` saves at once and arms nothing.
  void AutoSaveProject(bool forced);

 private:
  struct CommandLink {
    host::CommandBarControl* control;
    int connection;
  };
  void StartUp();
  void CreateSharedObjects();
  void Bind(host::CommandBarControl& control, CommandHandler handler);
  void AddMenuEntry(host::CommandBar& parent, const MenuEntry& entry);
  void InterfaceFailed(const char* message);
  // Saves the active project and its changed components, asking for the names of those never
  // saved; true when something was saved.
  bool SaveActiveProject();
  // The engine made now runs AutoSaveProject on its timer's ticks.
  void HookAutoSave(CGildex& engine);

  AddIn& add_in_;
  ConnectViews views_;
  EventReactions events_{add_in_};
  ScopeCommands scope_{add_in_, views_};
  DesignerCommands designer_{add_in_, views_, events_};
  ToolWindows tools_{add_in_, views_, events_, scope_};
  // The click connections of the entries built; each handler reaches Connect through
  // `self_`, which Connect clears when it goes, as the host may keep its bars longer.
  std::vector<CommandLink> command_links_;
  std::shared_ptr<Connect*> self_ = std::make_shared<Connect*>(this);
  bool menus_built_ = false, toolbar_built_ = false;
  bool connected_ = false;
};

}  // namespace gildex
