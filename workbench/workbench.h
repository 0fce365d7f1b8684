#pragma once
// The desktop IDE's state without any window: the projects open in the in-memory IDE (one
// session of the add-in), whether Gildex is connected, and the IDE's own file commands.
// The desktop program draws it; every rule of what opens, connects and saves lives here.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "ide/connect.h"
#include "session/platform_context.h"
#include "session/session.h"
#include "tools/messages.h"

namespace gildex::workbench {

// What the host program draws the add-in's windows with.
struct AddInWindows {
  MessageViewFactory progress;
  ConnectViews views;
};

class Workbench {
 public:
  // `persist` false: the add-in writes nothing of its own (no add-in list, no folder); for
  // tests and screenshots. `idle` runs whenever a long command lets the host process its
  // messages, so that the windows stay responsive and Cancel can act. `clock`, when given,
  // stands in for the system's (tests) and outlives the workbench.
  Workbench(platform::Dialogs& dialogs, bool persist, std::function<void()> idle,
            const platform::Clock* clock = nullptr);
  ~Workbench();
  Workbench(const Workbench&) = delete;
  Workbench& operator=(const Workbench&) = delete;

  void SetAddInWindows(AddInWindows windows) { windows_ = std::move(windows); }

  // Opens a .vbp, .vbg or component file in place of what is open (asking first about
  // unsaved changes); Gildex, when connected, stays connected and hears of the projects
  // leaving and coming. Returns what stopped it; nothing is open then.
  std::string Open(const std::filesystem::path& file);
  // Asks about unsaved changes (Yes saves, No drops them, Cancel keeps the project open).
  // False when the user cancelled.
  bool Close();
  bool HasProject() const { return has_project_; }
  const std::filesystem::path& OpenedFile() const { return opened_; }

  // Connects Gildex as the Add-In Manager does after start-up, or disconnects it. What kept
  // it from connecting is data the desktop words.
  Problem ConnectAddIn();
  void DisconnectAddIn();
  bool AddInConnected() const { return connected_; }

  // The user works in the component's code or designer window (it got the mouse or the
  // keyboard, or was activated): as in VB6 the component becomes the selected one and the
  // IDE's activation event tells the add-in, whose commands and reactions work on its current
  // component. False when it already was the selected, active and current one.
  bool WindowUsed(host::MemoryComponent& component, host::WindowType type);

  // Writes every changed component; what could not be written is said in one box.
  host::SaveResult SaveAll();
  bool HasUnsavedChanges() const;
  // File > Save Project As...: asks for a new project file name (in the project's folder, as
  // VB6 keeps its members beside it) and writes the project and its changed members there.
  // False when the user cancelled or the write failed (said in a box).
  bool SaveProjectAs();

  host::MemoryVBE& Vbe() { return session_->Vbe(); }
  session::Session& Session() { return *session_; }
  // Counts the times the open projects changed (opened, closed): what a window took from
  // earlier ones (a designer, a control) is gone once this has moved on.
  int SessionNumber() const { return session_number_; }
  session::PlatformContext& Context() { return context_; }
  platform::Dialogs& Dialogs() { return dialogs_; }
  // The running command's progress (the command itself runs through a menu click).
  void Cancel() { session_->Cancel(); }

 private:
  platform::Dialogs& dialogs_;
  session::PlatformContext context_;
  bool persist_;
  std::function<void()> idle_;
  AddInWindows windows_;
  std::unique_ptr<session::Session> session_;
  std::filesystem::path opened_;
  bool has_project_ = false;
  bool connected_ = false;
  int session_number_ = 0;
};

}  // namespace gildex::workbench
