#include "host/command_bars.h"

#include <algorithm>

#include "platform/cp1252.h"

namespace gildex::host {

void CommandBarControl::Delete() {
  // Removing destroys this control: nothing may touch it afterwards.
  if (parent) parent->Remove(*this);
}

CommandBarControl& CommandBar::Add(ControlKind kind, int before) {
  auto control = std::make_unique<CommandBarControl>();
  control->kind = kind;
  control->parent = this;
  if (kind == ControlKind::Popup) {
    control->popup = std::make_unique<CommandBar>();
    control->popup->position = BarPosition::Popup;
  }
  CommandBarControl& added = *control;
  if (before >= 1 && static_cast<std::size_t>(before) <= controls.size())
    controls.insert(controls.begin() + (before - 1), std::move(control));
  else
    controls.push_back(std::move(control));
  return added;
}

namespace {

std::string WithoutAccessKeys(std::string_view caption) {
  std::string plain;
  for (char c : caption)
    if (c != '&') plain += c;
  return plain;
}

}  // namespace

CommandBarControl* CommandBar::Control(std::string_view caption) {
  const std::string wanted = WithoutAccessKeys(caption);
  for (auto& control : controls)
    if (cp1252::EqualsNoCase(WithoutAccessKeys(control->caption), wanted)) return control.get();
  return nullptr;
}

CommandBarControl* CommandBar::FindControl(ControlKind kind, std::string_view tag) {
  for (auto& control : controls) {
    if (control->kind == kind && control->tag == tag) return control.get();
    if (control->popup)
      if (CommandBarControl* found = control->popup->FindControl(kind, tag)) return found;
  }
  return nullptr;
}

bool CommandBar::Remove(CommandBarControl& control) {
  auto found = std::find_if(controls.begin(), controls.end(), [&](const auto& c) { return c.get() == &control; });
  if (found == controls.end()) return false;
  controls.erase(found);
  return true;
}

CommandBar* CommandBars::Find(std::string_view name) {
  for (auto& bar : bars)
    if (cp1252::EqualsNoCase(bar->name, name)) return bar.get();
  return nullptr;
}

CommandBar& CommandBars::Add(std::string_view name, BarPosition position, bool menu_bar) {
  auto bar = std::make_unique<CommandBar>();
  bar->name = std::string(name);
  bar->position = position;
  bar->menu_bar = menu_bar;
  // The host puts a new floating bar at a place of its own, clear of the docked bars.
  if (position == BarPosition::Floating) bar->top = kNewFloatingTop, bar->left = kNewFloatingLeft;
  bars.push_back(std::move(bar));
  return *bars.back();
}

bool CommandBars::Delete(std::string_view name) {
  auto found =
      std::find_if(bars.begin(), bars.end(), [&](const auto& bar) { return cp1252::EqualsNoCase(bar->name, name); });
  if (found == bars.end()) return false;
  bars.erase(found);
  return true;
}

CommandBarControl* CommandBars::FindControl(ControlKind kind, std::string_view tag) {
  for (auto& bar : bars)
    if (CommandBarControl* found = bar->FindControl(kind, tag)) return found;
  return nullptr;
}

}  // namespace gildex::host
