#pragma once
// The host's command-bar library: bars, buttons and popups found by tag, with the click
// event that a command-bar events source raises.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/event.h"

namespace gildex::host {

enum class ControlKind : int { Button = 1, Popup = 10 };
enum class BarPosition : int { Left = 0, Top = 1, Right = 2, Bottom = 3, Floating = 4, Popup = 5 };

class CommandBar;

class CommandBarControl {
 public:
  ControlKind kind = ControlKind::Button;
  std::string caption, tag, tooltip_text;
  int face_id = 0;
  bool begin_group = false, visible = true, enabled = true;
  // Popups hold a bar of their own.
  std::unique_ptr<CommandBar> popup;
  // Click (control, handled, cancel default).
  Signal<CommandBarControl&, bool&, bool&> Click;
  CommandBar* parent = nullptr;
  void Delete();
};

class CommandBar {
 public:
  std::string name;
  BarPosition position = BarPosition::Top;
  bool visible = true, enabled = true, menu_bar = false;
  int top = 0, left = 0;
  std::vector<std::unique_ptr<CommandBarControl>> controls;
  // Before = 0 appends.
  CommandBarControl& Add(ControlKind kind, int before = 0);
  // The first control directly on this bar with that caption, as the host's Controls(caption)
  // finds it: letter case and the "&" of access keys do not count. nullptr when absent.
  CommandBarControl* Control(std::string_view caption);
  // Depth-first search below this bar for the first control of that kind and tag.
  CommandBarControl* FindControl(ControlKind kind, std::string_view tag);
  bool Remove(CommandBarControl& control);
};

// Where the host puts a bar added floating, in pixels from the screen's top left corner.
inline constexpr int kNewFloatingTop = 160, kNewFloatingLeft = 240;

class CommandBars {
 public:
  CommandBar* Find(std::string_view name);  // case-insensitive; nullptr when absent
  CommandBar& Add(std::string_view name, BarPosition position, bool menu_bar);
  bool Delete(std::string_view name);
  CommandBarControl* FindControl(ControlKind kind, std::string_view tag);
  std::vector<std::unique_ptr<CommandBar>> bars;
};

}  // namespace gildex::host
