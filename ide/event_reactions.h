#pragma once
// Connect's reactions to the host's events: which event sources are followed when, the
// active project and current component they keep, and the automatic actions on controls
// (prefix, rename, the removal question) and file writes (backup, the build tool's offer).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/vbide.h"
#include "ide/add_in.h"

namespace gildex {

class EventReactions {
 public:
  explicit EventReactions(AddIn& add_in) : add_in_(add_in) {}
  EventReactions(const EventReactions&) = delete;
  EventReactions& operator=(const EventReactions&) = delete;

  host::VBComponent* CurrentComponent() const { return current_component_; }
  void SetCurrentComponent(host::VBComponent* component) { current_component_ = component; }
  host::VBProject* ActiveProject() const { return active_project_; }
  void SetActiveProject(host::VBProject* project) { active_project_ = project; }

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
  // The connections to one host event source, one per event. Assigning new ones disconnects
  // the old.
  using Subscriptions = std::vector<host::Connection>;
  AddIn& add_in_;
  host::VBComponent* current_component_ = nullptr;
  host::VBProject* active_project_ = nullptr;
  Subscriptions project_events_;    // the host's projects
  Subscriptions component_events_;  // the active project's components
  Subscriptions file_events_;       // the active project's file writes
  Subscriptions control_events_;    // the controls of the form designer last activated
};

}  // namespace gildex
