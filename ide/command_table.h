#pragma once
// What the add-in puts into the host's command bars, as data: the entries of the context
// menus, the buttons of the "Gildex" toolbar and the kinds and tags the remover looks for.
// The builders, the remover and the tests all read these tables; nothing else lists them.
#include <span>
#include <string_view>

#include "host/command_bars.h"

namespace gildex {

class Connect;
// A command of one of Connect's groups; the host's click arguments are not used by any of them.
using CommandHandler = void (*)(Connect&);

inline constexpr std::string_view kProductKey = "HKEY_CURRENT_USER\\Software\\Nembus\\Gildex";
// The help file in the program folder: HTML, which every host program's help viewer shows.
inline constexpr std::string_view kHelpFileName = "Help/Gildex.html";

inline constexpr int kIconInsert = 6, kIconRemove = 7, kIconOptions = 10, kIconInfo = 15;

struct MenuEntry {
  std::string_view bar;  // the host bar holding the entry or the popups above it
  int depth;             // 0 on the bar itself, 1 inside the popup above, 2 inside that one's popup
  host::ControlKind kind;
  std::string_view caption;
  std::string_view tag;
  int face_id;  // 0: none
  bool begin_group;
  bool visible;
  CommandHandler handler;  // null for popups
};

struct ToolbarButton {
  std::string_view tooltip;
  int face_id;
  bool begin_group;
  CommandHandler handler;
};

struct TaggedKind {
  host::ControlKind kind;
  std::string_view tag;
};

// Every menu entry in building order; a nested entry follows the popup it goes into.
std::span<const MenuEntry> MenuTable();
// The bar `CreateTemplateMenu` extends; its entries are last in MenuTable().
inline constexpr std::string_view kControlsBar = "Controls";
std::span<const ToolbarButton> ToolbarTable();
// The entry the IDE's own Help menu (popup `kHelpMenu` of `kMenuBar`) gets, so that the help
// is found with the toolbar hidden too.
inline constexpr std::string_view kMenuBar = "Menu Bar";
inline constexpr std::string_view kHelpMenu = "&Help";
const MenuEntry& HelpMenuEntry();
// True for the form folder's "Convert to VBScript/HTML": building its entry makes the add-in's
// HTML generator.
bool RunsConverter(CommandHandler handler);
// What the remover deletes, in this order, each as long as one is found.
std::span<const TaggedKind> RemovalTable();

}  // namespace gildex
