// Connect's context menus and toolbar: built from the command table, each entry bound to its command.
#include <cmath>
#include <string>
#include <vector>

#include "common/nembus_common.h"
#include "ide/connect.h"
#include "platform/cp1252.h"

namespace gildex {
namespace {

constexpr const char* kMenuBuildFailed =
    "An error occured creating the menu add-ins, please check your installation,\r\nand try again.";
constexpr const char* kMenuRemoveFailed =
    "An error has occured whilst trying to remove the context-sensitive menus.\r\n"
    "Please close any open applications and try again.";
constexpr const char* kToolbarBuildFailed =
    "An error occured creating the Gildex toolbar, please check your installation,\r\nand try again.";
constexpr const char* kToolbarRemoveFailed =
    "An error has occured whilst trying to remove the Gildex toolbar.\r\n"
    "Please close any open applications and try again.";

VbError ObjectNotSet() { return VbError(91, "Object variable or With block variable not set"); }

host::CommandBars& BarsOf(host::VBE* vbe) {
  if (vbe == nullptr) throw ObjectNotSet();
  return vbe->Bars();
}

// Basic's CLng of a stored number: to the nearest integer, halves to even; overflow is error 6.
std::int32_t StoredLong(const std::string& text) {
  const double value = std::nearbyint(Val(text));
  if (!(value >= -2147483648.0 && value <= 2147483647.0)) throw VbError(6, "Overflow");
  return static_cast<std::int32_t>(value);
}

// A toolbar button has no caption: the user knows it by its tooltip.
host::CommandBarControl* ControlNamed(host::CommandBar& bar, std::string_view caption) {
  if (host::CommandBarControl* control = bar.Control(caption)) return control;
  for (auto& control : bar.controls)
    if (control->caption.empty() && cp1252::EqualsNoCase(control->tooltip_text, caption)) return control.get();
  return nullptr;
}

bool RaiseClick(host::CommandBarControl* control) {
  if (control == nullptr || control->kind != host::ControlKind::Button || !control->visible || !control->enabled)
    return false;
  bool handled = false, cancel_default = false;
  control->Click.Raise(*control, handled, cancel_default);
  return true;
}

}  // namespace

// A failure of the menus or the toolbar: the splash window must not hide the message.
void Connect::InterfaceFailed(const char* message) {
  if (views_.splash != nullptr && views_.splash->Loaded()) views_.splash->Close();
  add_in_.Services().dialogs.MsgBox(platform::MessageBox{message, platform::vbOKOnly, std::string(kAppTitle)});
}

void Connect::Bind(host::CommandBarControl& control, CommandHandler handler) {
  // The host's bars may outlive Connect: a click then reaches nobody.
  const int id = control.Click.Connect([self = self_, handler](host::CommandBarControl&, bool&, bool&) {
    if (Connect* connect = *self) handler(*connect);
  });
  command_links_.push_back({&control, id});
}

void Connect::CreateMenus() {
  try {
    menus_built_ = true;
    RemoveMenus();
    command_links_.clear();
    host::CommandBars& bars = BarsOf(add_in_.VBE());
    host::CommandBar* bar = nullptr;
    std::string_view bar_name;
    std::vector<std::string_view> popups;  // the captions of the popups above the next entry
    for (const MenuEntry& entry : MenuTable()) {
      if (entry.bar == kControlsBar) continue;  // CreateTemplateMenu's
      if (entry.bar != bar_name) {
        bar_name = entry.bar;
        bar = bars.Find(bar_name);
        popups.clear();
      }
      if (bar == nullptr) continue;  // this host has no such menu
      // A nested entry goes into its popup found again by caption, as the host hands it out.
      host::CommandBar* parent = bar;
      for (int level = 0; level < entry.depth; ++level) {
        host::CommandBarControl* popup = parent->Control(popups.at(static_cast<std::size_t>(level)));
        if (popup == nullptr || popup->popup == nullptr) throw ObjectNotSet();
        parent = popup->popup.get();
      }
      AddMenuEntry(*parent, entry);
      if (RunsConverter(entry.handler)) add_in_.ASPGenerator();  // the entry's converter
      if (entry.kind == host::ControlKind::Popup) {
        popups.resize(static_cast<std::size_t>(entry.depth));
        popups.push_back(entry.caption);
      }
    }
    if (host::CommandBar* menu_bar = bars.Find(kMenuBar))
      if (host::CommandBarControl* help = menu_bar->Control(kHelpMenu); help != nullptr && help->popup)
        AddMenuEntry(*help->popup, HelpMenuEntry());
    if (host::VBProject* project = add_in_.VBE()->ActiveVBProject()) SetActiveProject(project);
  } catch (const std::exception&) {
    InterfaceFailed(kMenuBuildFailed);
  }
}

void Connect::AddMenuEntry(host::CommandBar& parent, const MenuEntry& entry) {
  host::CommandBarControl& control = parent.Add(entry.kind);
  control.begin_group = entry.begin_group;
  control.tag = std::string(entry.tag);
  if (entry.handler != nullptr) Bind(control, entry.handler);
  control.caption = std::string(entry.caption);
  control.face_id = entry.face_id;
  control.visible = entry.visible;
}

void Connect::CreateTemplateMenu() {
  add_in_.Report().Trap("Connect.CreateTemplateMenu", [&] {
    host::CommandBar* bar = BarsOf(add_in_.VBE()).Find(kControlsBar);
    if (bar == nullptr) return;
    // Built once: the menu builder's removal has run before, so an entry here is this build's.
    if (bar->FindControl(host::ControlKind::Button, "Gildex_Property") != nullptr) return;
    for (const MenuEntry& entry : MenuTable()) {
      if (entry.bar != kControlsBar) continue;
      host::CommandBarControl& control = bar->Add(entry.kind);
      control.begin_group = entry.begin_group;
      control.tag = std::string(entry.tag);
      Bind(control, entry.handler);
      control.caption = std::string(entry.caption);
      control.visible = entry.visible;
    }
    ShowControlsEntries(BarsOf(add_in_.VBE()), add_in_.Engine());
  });
}

void ShowControlsEntries(host::CommandBars& bars, const CGildex& engine) {
  // The control templates are the copier's companions: nothing else would ever show them.
  if (host::CommandBar* bar = bars.Find(kControlsBar))
    for (auto& control : bar->controls)
      if (control->tag == "Gildex_Property" || control->tag == "Gildex_ControlTemplates")
        control->visible = engine.CopierEnabled();
}

void Connect::RemoveMenus() {
  try {
    host::CommandBars& bars = BarsOf(add_in_.VBE());
    // One entry found at a time, as the host's search gives them.
    for (const TaggedKind& removed : RemovalTable())
      while (host::CommandBarControl* control = bars.FindControl(removed.kind, removed.tag)) control->Delete();
  } catch (const std::exception&) {
    InterfaceFailed(kMenuRemoveFailed);
  }
}

void Connect::CreateToolbar() {
  try {
    toolbar_built_ = true;
    host::CommandBars& bars = BarsOf(add_in_.VBE());
    // A bar left over from a run that never disconnected.
    while (bars.Delete(kToolbarName)) {
    }
    host::CommandBar& bar = bars.Add(kToolbarName, host::BarPosition::Floating, false);
    bar.enabled = true;
    bar.visible = true;
    RestoreToolbarPos(bar);
    for (const ToolbarButton& button : ToolbarTable()) {
      host::CommandBarControl& control = bar.Add(host::ControlKind::Button);
      control.tooltip_text = std::string(button.tooltip);
      control.face_id = button.face_id;
      control.begin_group = button.begin_group;
      Bind(control, button.handler);
    }
  } catch (const std::exception&) {
    InterfaceFailed(kToolbarBuildFailed);
  }
}

void Connect::RemoveToolbar() {
  try {
    host::CommandBars& bars = BarsOf(add_in_.VBE());
    host::CommandBar* bar = bars.Find(kToolbarName);
    if (bar == nullptr) throw VbError(5, "Invalid procedure call or argument");
    SaveToolbarPos(*bar);
    bars.Delete(kToolbarName);
  } catch (const std::exception&) {
    InterfaceFailed(kToolbarRemoveFailed);
  }
}

void Connect::RestoreToolbarPos(host::CommandBar& bar) {
  add_in_.Report().Trap("Connect.RestoreToolbarPos", [&] {
    RegistryTools& registry = add_in_.Registry();
    const std::string key(kProductKey);
    const std::int32_t top = StoredLong(registry.fnsGetRegistryValue(key, "Top"));
    const std::int32_t left = StoredLong(registry.fnsGetRegistryValue(key, "Left"));
    const std::int32_t position = StoredLong(registry.fnsGetRegistryValue(key, "Position"));
    bar.position = static_cast<host::BarPosition>(position);
    // Nothing stored reads as 0: the host then places the bar itself.
    if (top != 0 || left != 0) {
      bar.left = left;
      bar.top = top;
    }
    bar.visible = StrToBool(registry.fnsGetRegistryValue(key, "Visible", "BOOL"));
  });
}

void Connect::SaveToolbarPos(host::CommandBar& bar) {
  add_in_.Report().Trap("Connect.SaveToolbarPos", [&] {
    RegistryTools& registry = add_in_.Registry();
    const std::string key(kProductKey);
    registry.WriteTogether([&] {
      registry.subSetRegistryValue(key, "Top", std::to_string(bar.top));
      registry.subSetRegistryValue(key, "Left", std::to_string(bar.left));
      registry.subSetRegistryValue(key, "Position", std::to_string(static_cast<int>(bar.position)));
      registry.subSetRegistryValue(key, "Visible", bar.visible ? "True" : "False");
    });
  });
}

bool Connect::Click(std::string_view bar_name, std::initializer_list<std::string_view> captions) {
  host::VBE* vbe = add_in_.VBE();
  host::CommandBar* bar = vbe != nullptr ? vbe->Bars().Find(bar_name) : nullptr;
  host::CommandBarControl* control = nullptr;
  for (std::string_view caption : captions) {
    if (bar == nullptr || (control != nullptr && (!control->visible || !control->enabled))) return false;
    control = ControlNamed(*bar, caption);
    if (control == nullptr) return false;
    bar = control->popup.get();
  }
  return RaiseClick(control);
}

bool Connect::ClickTag(std::string_view tag) {
  host::VBE* vbe = add_in_.VBE();
  return vbe != nullptr && RaiseClick(vbe->Bars().FindControl(host::ControlKind::Button, tag));
}

}  // namespace gildex
