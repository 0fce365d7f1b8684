// The add-in's entries in the host's command bars: what connecting builds, what a click on
// each runs, where the toolbar comes back, and that disconnecting leaves nothing behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "host/project_loader.h"
#include "ide/connect.h"
#include "ide/ide_rig_test.h"

namespace gildex {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using platform::testing::WriteBytes;

struct Host : testing::SampleHost {
  Host() : SampleHost("Orders.vbp") { rig.Option("Comment Template", "' %ProcName% of %ModuleName%"); }
  host::CommandBar& Bar(const std::string& name) { return *vbe.Bars().Find(name); }
};

// Our entries, one line a bar: each entry's tag without "Gildex_" (a toolbar button has none),
// its icon, "g" where a group begins, "h" when hidden, a popup's entries in brackets. Captions
// are found by the clicks below. An IDE entry after ours is flagged: ours go at the end.
std::string Printed(host::CommandBars& bars) {
  std::function<std::string(host::CommandBar&, bool)> walk = [&](host::CommandBar& bar, bool toolbar) {
    std::string out;
    bool ours_seen = false;
    for (auto& c : bar.controls) {
      const bool ours = toolbar || c->tag.starts_with("Gildex_");
      if (!ours && ours_seen) out += " IDE:" + c->caption;
      if (!ours) continue;
      ours_seen = true;
      out += " " + c->tag.substr(c->tag.empty() ? 0 : 7) + (c->face_id != 0 ? std::to_string(c->face_id) : "") +
             (c->begin_group ? "g" : "") + (c->visible ? "" : "h") + (c->popup ? "[" + walk(*c->popup, false) + " ]" : "");
    }
    return out;
  };
  std::string out;
  for (auto& bar : bars.bars)
    if (const std::string ours = walk(*bar, bar->name == kToolbarName); !ours.empty()) out += bar->name + ":" + ours + "\n";
  return out;
}

const std::string kCodeWindow =
    "Code Window: Insertg[ Insertg[ Insert6 Insert6 ] Numberg Number ] Remove[ Removeg[ Remove7 Remove7 ] Numberg ]"
    " Optionsg Options10g CloseWindowsg[ CloseWindows CloseWindows CloseWindows ]\n";
const std::string kControlsHidden = "Controls: Propertyh ControlTemplatesgh ControlTemplatesh\n";
std::string Built(const std::string& code_window = kCodeWindow, const std::string& controls = kControlsHidden) {
  return "Project Window Project: Insert6g Remove7 Options10\n"
         "Project Window Module/Class Folder: Insert6g Remove7 Numberg Number Options10g Info15g\n"
         "Project Window Form Folder: Insert6g Remove7 Numberg Number Number Options10g Info15g\n" +
         code_window + controls + "Gildex: 231 232 548g 625g 46 1046 1004\n";
}

// Where the toolbar appears, from what the last disconnection stored; hosts that lack a bar,
// hold a bar left over from a crashed run or an entry in the way; a toolbar the user deleted.
// Whatever was built, disconnecting takes it all away again and stores where the bar was.
TEST(Menus, ToolbarPlaceAndHostsThatDiffer) {
  enum Host_ { Plain, Leftover, NoCodeWindow, InTheWay, ToolbarGone };
  struct Case {
    std::string name;
    Strings stored;  // Top, Left, Position, Visible; "-" not stored
    host::BarPosition position;
    int top, left;
    bool visible;
    Host_ host = Plain;
  };
  const int T = host::kNewFloatingTop, L = host::kNewFloatingLeft;
  const Strings none = {"-", "-", "-", "-"}, shown = {"-", "-", "4", "True"};
  const std::vector<Case> cases = {
      {"first connection ever", none, host::BarPosition::Left, T, L, false},
      {"top and left 0: position only", {"0", "0", "1", "True"}, host::BarPosition::Top, T, L, true},
      {"one of them set", {"12", "0", "4", "True"}, host::BarPosition::Floating, 12, 0, true},
      {"closed by the user", {"70.5", "301.5", "4", "False"}, host::BarPosition::Floating, 70, 302, false},
      {"not a number", {"abc", "-", "3", "yes"}, host::BarPosition::Bottom, T, L, false},
      {"a leftover bar", shown, host::BarPosition::Floating, T, L, true, Leftover},
      {"no code window menu", shown, host::BarPosition::Floating, T, L, true, NoCodeWindow},
      {"an entry of that caption in the way", shown, host::BarPosition::Floating, T, L, true, InTheWay},
      {"toolbar deleted by the user", shown, host::BarPosition::Floating, T, L, true, ToolbarGone},
  };
  const char* names[] = {"Top", "Left", "Position", "Visible"};
  const std::string key(kProductKey);
  for (const Case& c : cases) {
    Host host;
    for (std::size_t i = 0; i < 4; ++i)
      if (c.stored[i] != "-") host.rig.tools.subSetRegistryValue(key, names[i], c.stored[i]);
    if (c.host == Leftover) host.vbe.Bars().Add(kToolbarName, host::BarPosition::Top, false).Add(host::ControlKind::Button);
    if (c.host == NoCodeWindow) host.vbe.Bars().Delete("Code Window");
    if (c.host == InTheWay) host.Bar("Code Window").Add(host::ControlKind::Button).caption = "Gildex &Insert";
    Connect connect(host.rig.add_in, host.Views());
    connect.OnConnection(&host.vbe, ext_cm_AfterStartup);
    const host::CommandBar& bar = host.Bar(kToolbarName);
    EXPECT_EQ(std::tuple(bar.position, bar.top, bar.left, bar.visible), std::tuple(c.position, c.top, c.left, c.visible))
        << c.name;
    // The builder stops at an entry it cannot place; what it built stays: here the first popup.
    // One toolbar only: a second would print twice.
    EXPECT_EQ(Printed(host.vbe.Bars()), Built(c.host == NoCodeWindow ? "" : c.host == InTheWay ? "Code Window: Insertg[ ]\n" : kCodeWindow))
        << c.name;

    // The user docks the bar on the right and shows it.
    host::CommandBar& docked = host.Bar(kToolbarName);
    docked.position = host::BarPosition::Right, docked.top = 33, docked.left = 44, docked.visible = true;
    if (c.host == ToolbarGone) host.vbe.Bars().Delete(kToolbarName);
    connect.OnDisconnection(0);
    EXPECT_EQ(Printed(host.vbe.Bars()), "") << c.name;
    std::string stored;
    for (const char* name : names) stored += host.rig.tools.fnsGetRegistryValue(key, name) + " ";
    EXPECT_EQ(c.host == ToolbarGone ? "33 44 2 True " : stored, "33 44 2 True ") << c.name;
    const std::string box = c.host == InTheWay ? "An error occured creating the menu add-ins, please check your installation,\r\nand try again."
                            : c.host == ToolbarGone ? "An error has occured whilst trying to remove the Gildex toolbar.\r\n"
                                                      "Please close any open applications and try again."
                                                    : "";
    EXPECT_EQ(host.Boxes(), box.empty() ? Strings{} : Strings{box}) << c.name;
  }
}

// One entry to click, how to prepare for it and what the click leaves behind.
struct EntryRow {
  std::string bar;
  Strings path;
  std::function<void(Host&)> prepare;
  std::string seen;
  std::string seen_without_windows = "";  // empty: the same
};

// Every entry and button of ours, some twice, prepared differently.
std::vector<EntryRow> EntryRows() {
  const std::string PWP = "Project Window Project", MOD = "Project Window Module/Class Folder",
                    FORM = "Project Window Form Folder", CODE = "Code Window", TB = kToolbarName;
  auto missing = [](const std::string& what) { return "box " + what + " is not available on the command line."; };
  using Prepare = std::function<void(Host&)>;
  const Prepare none = [](Host&) {};
  const Prepare module = [](Host& h) { h.vbe.SelectComponent(h.Component("modGlobals")); };
  const Prepare form = [](Host& h) { h.vbe.SelectComponent(h.Component("frmMain")); };
  // The cursor in Sub Main of modGlobals' code window.
  const Prepare code = [](Host& h) {
    host::MemoryComponent& globals = h.Component("modGlobals");
    h.vbe.SelectComponent(globals);
    h.vbe.ShowCode(globals);
    const long line = globals.Code()->ProcBodyLine("Main", host::ProcKind::Proc) + 1;
    globals.Code()->Pane().SetSelection({line, 1, line, 1});
  };
  // Two code windows, around a designer window and ending the collection.
  const Prepare windows = [](Host& h) {
    for (host::Window* window : h.vbe.Windows()) window->Close();
    h.vbe.ShowCode(h.Component("modGlobals"));
    h.vbe.ShowDesigner(h.Component("frmMain"));
    h.vbe.ShowCode(h.Component("clsCustomer"));
  };
  // The current component follows the latest component event.
  const Prepare show_controls = [](Host& h) {
    h.vbe.ShowDesigner(h.Component("frmMain"));
    h.vbe.SelectComponent(h.Component("frmMain"));
    for (auto& control : h.Bar("Controls").controls) control->visible = true;
  };
  const std::string no_viewer =
      "box No help viewer is configured, so the help file PROGRAM/Help/Gildex.html cannot be opened.";
  const std::string kMenuBarName(kMenuBar);
  return {
      {PWP, {"Gildex Options"}, none, "options", missing("The Gildex options window")},
      {PWP, {"Insert error handling into entire project."}, none, "message Gildex Error trapping added to project."},
      {PWP, {"Remove error handling from entire project."}, none, "message Removed error trapping code from project."},
      {MOD, {"Insert Error Handling into Class/Module"}, module, "message Gildex Error trapping added to module."},
      {MOD, {"Insert Line-Numbers into Class/Module"}, none, "message Line Numbers added to module."},
      {MOD, {"Remove Line-Numbers form Class/Module"}, none, "message Line Numbers removed from module."},
      {MOD, {"Remove Error Handling from Class/Module"}, none, "message Removed error trapping code from module."},
      {MOD, {"Gildex Options"}, none, "options", missing("The Gildex options window")},
      {MOD, {"Component Information"}, none, "info modGlobals", missing("The component information window")},
      {FORM, {"Insert Error Handling into form."}, form, "message Gildex Error trapping added to form."},
      {FORM, {"Insert Line-Numbers into form."}, none, "message Line numbers added to form."},
      {FORM, {"Remove Line-Numbers form form."}, none, "message Line numbers removed from form."},
      {FORM, {"Remove Error Handling from form."}, none, "message Removed error trapping code from form."},
      {FORM, {"Convert to VBScript/HTML"}, none, "nothing: frmMain's designer is closed"},
      {FORM, {"Convert to VBScript/HTML"}, [](Host& h) { h.vbe.ShowDesigner(h.Component("frmMain")); },
       "converter frmMain", missing("The form-to-HTML converter")},
      {FORM, {"Gildex Options"}, none, "options", missing("The Gildex options window")},
      {FORM, {"Component Information"}, none, "info frmMain", missing("The component information window")},
      {CODE, {"Gildex Insert", "Default Template", "Into this module"}, code,
       "message Gildex Error trapping added to component."},
      {CODE, {"Gildex Remove", "Default Template", "From this proc/function"}, code,
       "message Gildex Error trapping removed succesfully"},
      {CODE, {"Gildex Insert", "Default Template", "Into this proc/function"}, code,
       "message Gildex Error trapping added succesfully"},
      {CODE, {"Gildex remove", "default template", "From this module"}, code,
       "message Removed Error trapping code from component."},
      {CODE, {"Gildex insert", "Line numbers"}, code, "message Line Numbers added to component."},
      {CODE, {"Gildex remove", "Line numbers"}, code, "message Line Numbers removed from component."},
      {CODE, {"Gildex insert", "Comment block"}, code, "lines +2"},
      {CODE, {"Function Finder"}, none, "finder", missing("The function finder")},
      {CODE, {"Gildex Options"}, none, "options", missing("The Gildex options window")},
      {CODE, {"Close Windows", "Close Code Windows"}, windows, "windows 1"},
      {CODE, {"Close Windows", "Close Designer Windows"}, windows, "windows 2"},
      {CODE, {"Close Windows", "Close Both"}, windows, "windows 0"},
      {"Controls", {"Copy Properties"}, [](Host& h) { for (auto& c : h.Bar("Controls").controls) c->visible = false; }, "nothing: hidden"},
      {"Controls", {"Copy Properties"}, show_controls, "box Please select at least 2 controls to use this option."},
      {"Controls", {"View Control Templates"}, none, "control templates edit", missing("The control templates window")},
      {"Controls", {"Apply Control Templates"}, show_controls,
       "box You must have selected at least one control for template to apply to"},
      {TB, {"Insert Gildex Handler"}, none, "message Gildex Error trapping added to project."},
      {TB, {"Remove Error Handler"}, none, "message Removed error trapping code from project."},
      {TB, {"Gildex Options"}, none, "options", missing("The Gildex options window")},
      {TB, {"Gildex Wizard"}, none, "wizard", missing("The insert wizard")},
      {TB, {"Code Repository"}, none, "finder", missing("The function finder")},
      {TB, {"To-Do List"}, none, "todo To Do.. todo.dat", missing("The To-Do list")},
      {"frmOptions", {"&Advanced.."}, none, "advanced template Orders (10 components) closed",
       missing("The per-procedure template window")},
      {TB, {"Gildex Help"}, none, "help Gildex.htm", no_viewer},
      {kMenuBarName, {"Help", "Gildex Help"}, none, "help Gildex.htm", no_viewer},
      {kMenuBarName, {"Help", "Gildex Help"}, [](Host& h) { fs::remove_all(h.rig.services.program_folder / "Help"); },
       "box The help file PROGRAM/Help/Gildex.html is missing: Gildex was not installed completely.", no_viewer},
      // The progress window switches the toolbar (which buttons is its test): a disabled button takes no click.
      {TB, {"Gildex Options"}, [](Host& h) { h.rig.add_in.Messages().ButtonState(0); }, "nothing: hidden"},
  };
}

// A click on every entry and button runs its command, seen in what it leaves behind: the
// progress window's last message, a window opened, a message box, lines added, windows left.
// Without the desktop program's windows each of those commands says so.
TEST(Menus, EveryEntryRunsItsCommand) {
  const std::vector<EntryRow> rows = EntryRows();
  for (const bool with_windows : {true, false}) {
    Host host;
    const fs::path opened = host.rig.dir / "help-opened";
    host.help = platform::ShellHelpViewer("basename {file} > '" + opened.string() + "'");
    fs::create_directories(host.rig.services.program_folder / "Help");
    WriteBytes(host.rig.services.program_folder / "Help" / "Gildex.html", "<html></html>\n");
    Connect connect(host.rig.add_in, host.Views(with_windows));
    connect.OnConnection(&host.vbe, ext_cm_AfterStartup);
    // A reconnection replaces the entries, each with one click connection; with the property
    // copier enabled the designer's entries show from the start.
    host.rig.add_in.Engine().CopierEnabled(true);
    connect.OnConnection(&host.vbe, ext_cm_External);
    EXPECT_EQ(Printed(host.vbe.Bars()), Built(kCodeWindow, "Controls: Property ControlTemplatesg ControlTemplates\n"));
    host::CodeModule& globals = *host.Component("modGlobals").Code();
    clsMessages& messages = host.rig.add_in.Messages();
    for (const EntryRow& row : rows) {
      row.prepare(host);
      const std::string before = messages.MessageText();
      const std::size_t logged = host.tools.log.size(), boxes = host.rig.dialogs.Asked().size(), windows = host.vbe.Windows().size();
      const int options = host.options.opened;
      const long lines = globals.CountOfLines();
      const std::vector<std::string_view> path(row.path.begin(), row.path.end());
      bool clicked = true;
      // The options dialog is the desktop program's: its button is clicked through Connect.
      if (row.bar == "frmOptions") connect.Tools().cmdAdvanced_Click();
      else if (path.size() == 1) clicked = connect.Click(row.bar, {path[0]});
      else if (path.size() == 2) clicked = connect.Click(row.bar, {path[0], path[1]});
      else clicked = connect.Click(row.bar, {path[0], path[1], path[2]});
      Strings seen(host.tools.log.begin() + static_cast<long>(logged), host.tools.log.end());
      if (!clicked) seen.push_back("nothing: hidden");
      for (const std::string& box : host.Boxes(boxes)) seen.push_back("box " + box);
      for (int i = options; i < host.options.opened; ++i) seen.push_back("options");
      if (messages.MessageText() != before) seen.push_back("message " + messages.MessageText());
      if (globals.CountOfLines() != lines && row.seen.starts_with("lines")) seen.push_back("lines +" + std::to_string(globals.CountOfLines() - lines));
      if (host.vbe.Windows().size() != windows) seen.push_back("windows " + std::to_string(host.vbe.Windows().size()));
      if (with_windows && fs::exists(opened)) seen.push_back("help " + platform::testing::ReadBytes(opened).substr(0, 10));
      fs::remove(opened);
      if (seen.empty()) seen.push_back("nothing: frmMain's designer is closed");
      const std::string expected = with_windows || row.seen_without_windows.empty() ? row.seen : row.seen_without_windows;
      EXPECT_EQ(seen, Strings{expected}) << row.bar << " " << row.path.back() << (with_windows ? "" : " (no windows)");
    }
    // One comment block at Sub Main's first line (the blank one after the declarations), after
    // one empty line of its own.
    Strings around;
    for (long line = 2; line <= globals.CountOfLines(); ++line)
      if (globals.Lines(line, 1) == "' Main of modGlobals")
        around.push_back(globals.Lines(line - 2, 1) + "|" + globals.Lines(line - 1, 1) + "|" + globals.Lines(line + 1, 1));
    EXPECT_EQ(around, Strings{"Private mNextOrderNo As Long||"});
  }
}

// The toolbar's To-Do list: made with its caption and file beside the project file, loaded
// and shown; released when its window closes; a second click replaces it; a damaged file is
// reported and left as it is; a project never saved has no place for one.
TEST(ToDoCommand, OpensTheProjectsListAndReleasesItWhenItsWindowCloses) {
  Host host;
  Connect connect(host.rig.add_in, host.Views());
  connect.OnConnection(&host.vbe, ext_cm_AfterStartup);
  const fs::path file = host.folder / "todo.dat";
  const std::string list = std::string(kToDoSignature) + "\r\n[ ] Number the forms\r\n";
  const auto open = [&](const std::string& bytes) {
    WriteBytes(file, bytes);
    EXPECT_TRUE(connect.Click(kToolbarName, {"To-Do List"}));
    return connect.Tools().ToDo();
  };
  ASSERT_NE(open(list), nullptr);
  EXPECT_EQ(connect.Tools().ToDo()->FileName(), fs::absolute(file).lexically_normal().string());
  EXPECT_EQ(connect.Tools().ToDo()->Items(), (std::vector<ToDoItem>{{false, "Number the forms"}}));
  ASSERT_NE(open(list + "[ ] Remove the old logging\r\n"), nullptr);
  EXPECT_EQ(host.tools.todo, connect.Tools().ToDo()) << "the window shows the new list, read again";
  EXPECT_EQ(connect.Tools().ToDo()->Items().size(), 2u);
  host.tools.CloseToDo();
  EXPECT_EQ(connect.Tools().ToDo(), nullptr) << "released when its window closed";
  EXPECT_EQ(host.tools.log, (Strings{"todo To Do.. todo.dat", "todo To Do.. todo.dat"}));

  ASSERT_NE(open("[ ] no signature\r\n"), nullptr);
  EXPECT_TRUE(host.Boxes().at(0).starts_with(connect.Tools().ToDo()->FileName() + ": line 1: not a To-Do list"));
  host::MemoryVBE lone;
  host::Load(lone, host.folder / "modGlobals.bas");
  host.rig.add_in.SetVBE(&lone);
  connect.Tools().hWndToolbarToDo_Click();
  EXPECT_EQ(host.Boxes(1), Strings{"The To-Do list is kept in the project's folder: save the project first."});
  host.rig.add_in.SetVBE(&host.vbe);
  host.tools.CloseToDo();
  EXPECT_EQ(connect.Tools().ToDo(), nullptr);
}

}  // namespace
}  // namespace gildex
