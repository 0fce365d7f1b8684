#include "workbench/ide_actions.h"

#include <string>
#include <utility>

#include "platform/cp1252.h"

namespace gildex::workbench {

namespace {

std::string Plain(std::string_view caption) {
  std::string plain;
  for (char c : caption)
    if (c != '&') plain += cp1252::ToLower(c);
  return plain;
}

}  // namespace

IdeAction ActionOfEntry(std::string_view caption) {
  static const std::pair<std::string_view, IdeAction> kEntries[] = {
      {"open project...", IdeAction::OpenProject},
      {"open project", IdeAction::OpenProject},
      {"save project", IdeAction::SaveProject},
      {"save", IdeAction::SaveProject},
      {"save project as...", IdeAction::SaveProjectAs},
      {"remove project", IdeAction::RemoveProject},
      {"exit", IdeAction::Exit},
      {"view code", IdeAction::ViewCode},
      {"code", IdeAction::ViewCode},
      {"view object", IdeAction::ViewObject},
      {"object", IdeAction::ViewObject},
      {"project explorer", IdeAction::ProjectExplorer},
      {"properties window", IdeAction::PropertiesWindow},
      {"properties", IdeAction::PropertiesWindow},
      {"toolbox", IdeAction::Toolbox},
      {"add-in manager...", IdeAction::AddInManager},
      {"tile horizontally", IdeAction::TileHorizontally},
      {"tile vertically", IdeAction::TileVertically},
      {"cascade", IdeAction::Cascade},
      {"delete", IdeAction::DeleteControl},
      {"bring to front", IdeAction::BringToFront},
      {"send to back", IdeAction::SendToBack},
      {"to grid", IdeAction::AlignToGrid},
      {"align to grid", IdeAction::AlignToGrid},
      {"about microsoft visual basic...", IdeAction::About},
  };
  const std::string plain = Plain(caption);
  for (const auto& [entry, action] : kEntries)
    if (plain == entry) return action;
  return IdeAction::None;
}

bool Clickable(const host::CommandBarControl& control) { return Clickable(control, IdeState{}); }

bool Clickable(const host::CommandBarControl& control, const IdeState& state) {
  if (!control.visible || !control.enabled) return false;
  if (control.popup) {
    for (const auto& entry : control.popup->controls)
      if (Clickable(*entry, state)) return true;
    return false;
  }
  if (!control.Click.Empty()) return true;
  const IdeAction action = ActionOfEntry(control.caption);
  const bool arranges =
      action == IdeAction::BringToFront || action == IdeAction::SendToBack || action == IdeAction::AlignToGrid;
  return action != IdeAction::None && (!arranges || state.controls_selected);
}

}  // namespace gildex::workbench
