#include "host/ide_bars.h"

#include <string>
#include <vector>

namespace gildex::host {

namespace {

// A control of the IDE's own bars: a popup when it has entries of its own. A caption starting
// with "|" begins a group (the IDE's separator line above it).
struct IdeEntry {
  std::string caption;
  std::vector<IdeEntry> entries = {};
};

struct IdeBar {
  const char* name;
  BarPosition position;
  bool visible;
  std::vector<IdeEntry> entries;
};

void AddEntries(CommandBar& bar, const std::vector<IdeEntry>& entries, bool toolbar) {
  for (const IdeEntry& entry : entries) {
    CommandBarControl& control = bar.Add(entry.entries.empty() ? ControlKind::Button : ControlKind::Popup);
    control.begin_group = entry.caption.starts_with('|');
    control.caption = control.begin_group ? entry.caption.substr(1) : entry.caption;
    // Toolbar buttons show their caption only as the tooltip.
    if (toolbar) control.tooltip_text = control.caption;
    if (control.popup) AddEntries(*control.popup, entry.entries, false);
  }
}

}  // namespace

void AddIdeBars(CommandBars& bars) {
  const std::vector<IdeBar> ide = {
      {"Menu Bar", BarPosition::Top, true,
       {{"&File", {{"&New Project"}, {"&Open Project..."}, {"A&dd Project..."}, {"Remo&ve Project"},
                   {"|Sa&ve Project"}, {"Save Project As..."}, {"|&Print..."}, {"|Make Project1.exe..."},
                   {"|E&xit"}}},
        {"&Edit", {{"&Undo"}, {"&Redo"}, {"|Cu&t"}, {"&Copy"}, {"&Paste"}, {"|&Find..."}, {"Replac&e..."}}},
        {"&View", {{"&Code"}, {"O&bject"}, {"|Pro&ject Explorer"}, {"Properties &Window"}, {"Tool&box"},
                   {"|&Toolbars", {{"&Debug"}, {"&Edit"}, {"&Form Editor"}, {"&Standard"}}}}},
        {"&Project", {{"Add &Form"}, {"Add &Module"}, {"Add &Class Module"}, {"|&Remove"},
                      {"|Re&ferences..."}, {"Co&mponents..."}, {"|Project1 Pr&operties..."}}},
        {"F&ormat", {{"&Align", {{"&Lefts"}, {"&Centers"}, {"&Rights"}, {"|&Tops"}, {"&Middles"}, {"&Bottoms"},
                                 {"|to &Grid"}}},
                     {"Make &Same Size", {{"&Width"}, {"&Height"}, {"&Both"}}}, {"Size to Gr&id"},
                     {"|Center in F&orm", {{"&Horizontally"}, {"&Vertically"}}},
                     {"|O&rder", {{"&Bring to Front"}, {"&Send to Back"}}}, {"|&Lock Controls"}}},
        {"&Debug", {{"Step &Into"}, {"Step &Over"}, {"Step O&ut"}, {"|&Toggle Breakpoint"}}},
        {"&Run", {{"&Start"}, {"Start With &Full Compile"}, {"|&Break"}, {"&End"}, {"&Restart"}}},
        {"&Tools", {{"&Add Procedure..."}, {"Procedure Attri&butes..."}, {"|&Menu Editor..."}, {"|&Options..."}}},
        {"&Add-Ins", {{"&Visual Data Manager..."}, {"|&Add-In Manager..."}}},
        {"&Window", {{"&Split"}, {"|Tile &Horizontally"}, {"Tile &Vertically"}, {"&Cascade"}}},
        {"&Help", {{"&Contents"}, {"&Index"}, {"&Search"}, {"|&About Microsoft Visual Basic..."}}}}},
      {"Standard", BarPosition::Top, true,
       {{"Add Standard EXE Project"}, {"Add Form"}, {"Menu Editor"}, {"Open Project"}, {"Save Project"},
        {"|Cut"}, {"Copy"}, {"Paste"}, {"Find"}, {"|Undo"}, {"Redo"}, {"|Start"}, {"Break"}, {"End"},
        {"|Project Explorer"}, {"Properties Window"}, {"Form Layout Window"}, {"Object Browser"}, {"Toolbox"}}},
      {"Edit", BarPosition::Top, false,
       {{"List Properties/Methods"}, {"List Constants"}, {"Quick Info"}, {"Parameter Info"}, {"Complete Word"},
        {"|Indent"}, {"Outdent"}, {"|Toggle Breakpoint"}, {"|Comment Block"}, {"Uncomment Block"}}},
      {"Debug", BarPosition::Top, false,
       {{"Start"}, {"Break"}, {"End"}, {"|Toggle Breakpoint"}, {"|Step Into"}, {"Step Over"}, {"Step Out"},
        {"|Locals Window"}, {"Immediate Window"}, {"Watch Window"}, {"Quick Watch"}, {"Call Stack"}}},
      {"Form Editor", BarPosition::Top, false,
       {{"Bring to Front"}, {"Send to Back"}, {"|Align"}, {"Center"}, {"Make Same Size"}, {"|Lock Controls"}}},
      {"Project Window", BarPosition::Popup, false,
       {{"View &Code"}, {"View O&bject"}, {"|&Add", {{"&Form"}, {"&Module"}, {"&Class Module"}}},
        {"|Doc&kable"}, {"&Hide"}}},
      {"Project Window Project", BarPosition::Popup, false,
       {{"Project1 Pr&operties..."}, {"|&Add", {{"&Form"}, {"&Module"}, {"&Class Module"}}},
        {"|Sa&ve Project"}, {"Save Project &As..."}, {"|&Print..."}, {"|Doc&kable"}, {"&Hide"}}},
      {"Project Window Module/Class Folder", BarPosition::Popup, false,
       {{"View &Code"}, {"|&Add", {{"&Form"}, {"&Module"}, {"&Class Module"}}}, {"|Sa&ve"}, {"Save &As..."},
        {"&Remove"}, {"|&Print..."}, {"|Doc&kable"}, {"&Hide"}}},
      {"Project Window Form Folder", BarPosition::Popup, false,
       {{"View &Code"}, {"View O&bject"}, {"|&Add", {{"&Form"}, {"&Module"}, {"&Class Module"}}}, {"|Sa&ve"},
        {"Save &As..."}, {"&Remove"}, {"|&Print..."}, {"|Doc&kable"}, {"&Hide"}}},
      {"Code Window", BarPosition::Popup, false,
       {{"Lis&t Properties/Methods"}, {"List Constan&ts"}, {"&Quick Info"}, {"&Parameter Info"},
        {"Complete &Word"}, {"|Cu&t"}, {"&Copy"}, {"&Paste"},
        {"|Toggle", {{"&Breakpoint"}, {"&Bookmark"}}}, {"|&View Object"}, {"Object &Browser"},
        {"|Add &Watch..."}, {"|&Definition"}, {"&Last Position"}, {"|&Hide"}}},
      {"Form Designer", BarPosition::Popup, false,
       {{"View &Code"}, {"|&Menu Editor..."}, {"|&Lock Controls"}, {"&Paste"}, {"|&Properties"}}},
      {"Controls", BarPosition::Popup, false,
       {{"View &Code"}, {"|Cu&t"}, {"&Copy"}, {"&Paste"}, {"&Delete"}, {"|Bring to &Front"}, {"Send to &Back"},
        {"|&Align to Grid"}, {"|&Properties"}}},
  };
  for (const IdeBar& spec : ide) {
    CommandBar& bar = bars.Add(spec.name, spec.position, std::string_view(spec.name) == "Menu Bar");
    bar.visible = spec.visible;
    AddEntries(bar, spec.entries, spec.position != BarPosition::Popup && !bar.menu_bar);
  }
}

}  // namespace gildex::host
