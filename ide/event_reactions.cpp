// Connect's reactions to the host's events.
#include "ide/event_reactions.h"

#include <optional>
#include <string>

#include "common/nembus_common.h"
#include "platform/atomic_file.h"
#include "platform/builder_tool.h"
#include "platform/cp1252.h"
#include "platform/system.h"

namespace gildex {

namespace {

constexpr const char* kRemoveCode = "Do you wish to remove all code for this control also?";
constexpr const char* kLaunchBuilder = "Would you like to launch Forgent to help you create the binary file?";

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

}  // namespace

void EventReactions::CreateEventProcs() {
  add_in_.Report().Trap("Connect.CreateEventProcs", [&] {
    host::VBE* vbe = add_in_.VBE();
    if (vbe == nullptr) throw VbError(91, "Object variable or With block variable not set");
    Subscriptions source;
    source.emplace_back(vbe->ProjectActivated, [this](host::VBProject& p) { hWndVBProjEvents_ItemActivated(p); });
    source.emplace_back(vbe->ProjectAdded, [this](host::VBProject& p) { hWndVBProjEvents_ItemAdded(p); });
    source.emplace_back(vbe->ProjectRemoved, [this](host::VBProject& p) { hWndVBProjEvents_ItemRemoved(p); });
    source.emplace_back(vbe->ProjectRenamed,
                        [this](host::VBProject& p, const std::string& old) { hWndVBProjEvents_ItemRenamed(p, old); });
    project_events_ = std::move(source);
    if (host::VBProject* active = vbe->ActiveVBProject()) hWndVBProjEvents_ItemActivated(*active);
  });
}

void EventReactions::ReleaseEventProcs() {
  control_events_.clear();
  file_events_.clear();
  component_events_.clear();
  project_events_.clear();
}

void EventReactions::hWndVBProjEvents_ItemActivated(host::VBProject& project) {
  add_in_.Report().Trap("Connect.hWndVBProjEvents_ItemActivated", [&] {
    active_project_ = &project;
    Subscriptions components;
    components.emplace_back(project.ComponentActivated,
                            [this](host::VBComponent& c) { hWndComponentEvents_ItemActivated(c); });
    components.emplace_back(project.ComponentAdded, [this](host::VBComponent& c) { hWndComponentEvents_ItemAdded(c); });
    components.emplace_back(project.ComponentReloaded,
                            [this](host::VBComponent& c) { hWndComponentEvents_ItemReloaded(c); });
    components.emplace_back(project.ComponentRenamed, [this](host::VBComponent& c, const std::string& old) {
      hWndComponentEvents_ItemRenamed(c, old);
    });
    components.emplace_back(project.ComponentSelected,
                            [this](host::VBComponent& c) { hWndComponentEvents_ItemSelected(c); });
    // Not a reaction of its own: a removed component must not stay the current one.
    components.emplace_back(project.ComponentRemoved, [this](host::VBComponent& c) {
      if (current_component_ == &c) current_component_ = nullptr;
    });
    component_events_ = std::move(components);
    Subscriptions files;
    files.emplace_back(project.RequestWriteFile, [this, &project](const std::string& file, bool& cancel) {
      hWndVBFileEvents_RequestWriteFile(project, file, cancel);
    });
    file_events_ = std::move(files);
  });
}

void EventReactions::hWndVBProjEvents_ItemAdded(host::VBProject& project) {
  add_in_.Report().Trap("Connect.hWndVBProjEvents_ItemAdded", [&] { hWndVBProjEvents_ItemActivated(project); });
}

void EventReactions::hWndVBProjEvents_ItemRenamed(host::VBProject& project, const std::string& /*old_name*/) {
  add_in_.Report().Trap("Connect.hWndVBProjEvents_ItemRenamed", [&] { hWndVBProjEvents_ItemActivated(project); });
}

void EventReactions::hWndVBProjEvents_ItemRemoved(host::VBProject& project) {
  add_in_.Report().Trap("Connect.hWndVBProjEvents_ItemRemoved", [&] {
    // The project is going: nothing of it may stay referenced.
    if (current_component_ != nullptr && &current_component_->Project() == &project) {
      current_component_ = nullptr;
      control_events_.clear();
    }
    host::VBE* vbe = add_in_.VBE();
    host::VBProject* active = vbe != nullptr ? vbe->ActiveVBProject() : nullptr;
    if (active != nullptr && active != &project) {
      active_project_ = active;
      hWndVBProjEvents_ItemActivated(*active);
    } else {
      active_project_ = nullptr;
      component_events_.clear();
      file_events_.clear();
    }
  });
}

void EventReactions::hWndComponentEvents_ItemActivated(host::VBComponent& component) {
  add_in_.Report().Trap("Connect.hWndComponentEvents_ItemActivated", [&] {
    host::Designer* designer = component.GetDesigner();
    if (component.Type() == host::ComponentType::VBForm && component.HasOpenDesigner() && designer != nullptr) {
      Subscriptions controls;
      controls.emplace_back(designer->ControlAdded, [this](host::VBControl& c) { hWndControlEvents_ItemAdded(c); });
      controls.emplace_back(designer->ControlRemoved,
                            [this](host::VBControl& c) { hWndControlEvents_ItemRemoved(c); });
      controls.emplace_back(designer->ControlRenamed, [this](host::VBControl& c, const std::string& old, int index) {
        hWndControlEvents_ItemRenamed(c, old, index);
      });
      control_events_ = std::move(controls);
    }
    current_component_ = &component;
  });
}

void EventReactions::hWndComponentEvents_ItemAdded(host::VBComponent& component) {
  add_in_.Report().Trap("Connect.hWndComponentEvents_ItemAdded", [&] { hWndComponentEvents_ItemActivated(component); });
}

void EventReactions::hWndComponentEvents_ItemReloaded(host::VBComponent& component) {
  add_in_.Report().Trap("Connect.hWndComponentEvents_ItemReloaded",
                        [&] { hWndComponentEvents_ItemActivated(component); });
}

void EventReactions::hWndComponentEvents_ItemRenamed(host::VBComponent& component, const std::string& /*old_name*/) {
  add_in_.Report().Trap("Connect.hWndComponentEvents_ItemRenamed",
                        [&] { hWndComponentEvents_ItemActivated(component); });
}

void EventReactions::hWndComponentEvents_ItemSelected(host::VBComponent& component) {
  add_in_.Report().Trap("Connect.hWndComponentEvents_ItemSelected",
                        [&] { hWndComponentEvents_ItemActivated(component); });
}

void EventReactions::hWndControlEvents_ItemAdded(host::VBControl& control) {
  add_in_.Report().Trap("Connect.hWndControlEvents_ItemAdded", [&] {
    CGildex& engine = add_in_.Engine();
    if (!engine.AutoPrefix()) return;
    const std::optional<std::string> prefix = ControlPrefix(engine.Prefixes(), control.ClassName());
    if (!prefix) return;
    const std::string name = control.Name();
    if (name.compare(0, prefix->size(), *prefix) != 0) control.SetName(*prefix + name);
  });
}

void EventReactions::hWndControlEvents_ItemRemoved(host::VBControl& /*control*/) {
  add_in_.Report().Trap("Connect.hWndControlEvents_ItemRemoved", [&] {
    // The question is all there is: the control's procedures are the user's to remove.
    if (add_in_.Engine().DeleteEvents())
      add_in_.Services().dialogs.MsgBox(platform::MessageBox{kRemoveCode, platform::vbOKOnly, std::string(kAppTitle)});
  });
}

void EventReactions::hWndControlEvents_ItemRenamed(host::VBControl& control, const std::string& old_name, int /*old_index*/) {
  add_in_.Report().Trap("Connect.hWndControlEvents_ItemRenamed", [&] {
    if (!add_in_.Engine().AutoRename() || old_name.empty()) return;
    host::CodeModule* code = current_component_ != nullptr ? current_component_->Code() : nullptr;
    if (code == nullptr) throw VbError(91, "Object variable or With block variable not set");
    // The host's plain text search, as VB6 offers it: "Sub Text1_" also finds Text10_Change.
    const std::string target = "Sub " + old_name + "_";
    long line = 1, column = 1, end_line = -1, end_column = -1;
    if (!code->Find(target, line, column, end_line, end_column, false, false, false)) return;
    const std::string new_name = control.Name();
    for (;;) {
      try {
        code->ReplaceLine(line, ReplaceAll(code->Lines(line, 1), old_name, new_name));
      } catch (const std::exception&) {
        return;  // the lines already rewritten stay so
      }
      add_in_.Services().loop.DoEvents();
      const long next = line + 1;
      if (next > code->CountOfLines()) return;
      line = next, column = 1, end_line = -1, end_column = -1;
      if (!code->Find(target, line, column, end_line, end_column, false, false, false)) return;
    }
  });
}

void EventReactions::hWndVBFileEvents_RequestWriteFile(host::VBProject& project, const std::string& file_name, bool& cancel) {
  add_in_.Report().Trap("Connect.hWndVBFileEvents_RequestWriteFile", [&] {
    CGildex& engine = add_in_.Engine();
    // A run that must leave the disk as it is makes no copies either.
    if (engine.BackupFiles() && add_in_.Persists()) {
      try {
        const std::string backup = engine.BackupDirectory() + GetFile(file_name) + "." + engine.BackupExt();
        if (const std::optional<std::string> bytes = platform::ReadWholeFile(platform::NativePath(file_name)))
          platform::WriteFileAtomically(platform::NativePath(backup), *bytes, 0644, true);
      } catch (const std::exception&) {
        // A backup never stands in the way of the write itself.
      }
    }
    if (!cp1252::EqualsNoCase(file_name, project.BuildFileName()) || !engine.ShowBuilderDialog()) return;
    const platform::MsgBoxResult answer = add_in_.Services().dialogs.MsgBox(platform::MessageBox{
        kLaunchBuilder, platform::vbYesNo | platform::vbQuestion, std::string(kAppTitle)});
    if (answer != platform::vbYes) return;
    cancel = true;
    const platform::BuilderStart started =
        platform::StartBuilderTool(add_in_.Services().env, project.FileName(), file_name);
    if (started.status != platform::BuilderStart::Started)
      add_in_.Services().dialogs.MsgBox(platform::MessageBox{
          started.message + ".\r\nThe compiled file was not written.", platform::vbOKOnly | platform::vbExclamation,
          std::string(kAppTitle)});
  });
}

}  // namespace gildex
