#include "workbench/workbench.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "session/sample_project_test.h"
#include "tools/recording_view_test.h"
#include "workbench/explorer.h"
#include "workbench/ide_actions.h"

namespace gildex::workbench {
namespace {

using platform::MsgBoxResult;

// On the bar or in its menus by caption, or anywhere below it by the add-in's tag.
host::CommandBarControl* Entry(host::CommandBar* bar, const std::string& caption_or_tag) {
  if (bar == nullptr) return nullptr;
  if (host::CommandBarControl* control = bar->Control(caption_or_tag)) return control;
  for (const auto& control : bar->controls)
    if (host::CommandBarControl* inside = Entry(control->popup.get(), caption_or_tag)) return inside;
  return bar->FindControl(host::ControlKind::Button, caption_or_tag);
}

host::CommandBarControl* Entry(host::MemoryVBE& vbe, const std::string& bar, const std::string& entry) { return Entry(vbe.Bars().Find(bar), entry); }

// The add-in's splash window counts its showings.
struct CountingSplash : SplashView {
  void ShowTopmost() override { ++shown; }
  bool Loaded() const override { return false; }
  void Close() override {}
  int shown = 0;
};

// The sample project in the explorer, one row a line: indent, caption, the bar its context
// menu draws; then what the IDE lets the user click; then closing with unsaved changes.
TEST(WorkbenchTest, SampleProjectThroughExplorerMenusAndClose) {
  testing::SampleProject sample;
  platform::testing::ScopedEnv home("GILDEX_HOME", std::string(GILDEX_SOURCE_DIR) + "/data");  // pfx.dat
  platform::ScriptedDialogs dialogs;
  CountingSplash splash;
  // What the progress windows draw outlives the workbench, whose disconnection closes them.
  std::vector<std::string> drawn;
  std::string fail_in;
  Workbench bench(dialogs, false, {});
  ConnectViews views;
  views.splash = &splash;
  bench.SetAddInWindows(
      {[&](clsMessages&) { return std::make_unique<testing::RecordingView>(drawn, fail_in); }, views});
  ASSERT_TRUE(bench.ConnectAddIn().empty());
  ASSERT_EQ(bench.Open(sample.Project()), "");
  ASSERT_TRUE(bench.AddInConnected()) << "opening keeps Gildex connected";

  std::string rows;
  const std::function<void(const ExplorerNode&, int)> draw = [&](const ExplorerNode& node, int depth) {
    rows += std::string(static_cast<std::size_t>(depth) * 2, ' ') + node.caption + " [" + node.menu_bar + "]\n";
    for (const ExplorerNode& child : node.children) draw(child, depth + 1);
  };
  for (const ExplorerNode& root : ExplorerTree(bench.Vbe())) draw(root, 0);
  EXPECT_EQ(rows,
            "Orders (Orders.vbp) [Project Window Project]\n"
            "  Forms [Project Window]\n"
            "    frmAbout (frmAbout.frm) [Project Window Form Folder]\n"
            "    frmCustomer (frmCustomer.frm) [Project Window Form Folder]\n"
            "    frmMain (frmMain.frm) [Project Window Form Folder]\n"
            "    frmMDI (frmMDI.frm) [Project Window Form Folder]\n"
            "  Modules [Project Window]\n"
            "    modErrors (modErrors.bas) [Project Window Module/Class Folder]\n"
            "    modGlobals (modGlobals.bas) [Project Window Module/Class Folder]\n"
            "  Class Modules [Project Window]\n"
            "    clsAddress (clsAddress.cls) [Project Window Module/Class Folder]\n"
            "    clsCustomer (clsCustomer.cls) [Project Window Module/Class Folder]\n"
            "    clsCustomers (clsCustomers.cls) [Project Window Module/Class Folder]\n"
            "  User Controls [Project Window]\n"
            "    ctlStatusBar (ctlStatusBar.ctl) [Project Window Form Folder]\n");

  struct Click { std::string bar, entry; bool clickable; IdeState state = {}; };  // entry: a caption, or the add-in's tag
  const Click clicks[] = {
      {"Project Window Project", "Gildex_Insert", true},     // the add-in's handler
      {"Project Window Project", "Sa&ve Project", true},     // the IDE's own action
      {"Project Window Project", "&Print...", false},        // a VB6 feature this IDE lacks
      {"Project Window Project", "&Add", false},             // a popup of such entries only
      {"Menu Bar", "&File", true},                           // a popup with one that works
      {"Project Window Form Folder", "View O&bject", true},  // action by caption, access key ignored
      // the designer's arranging entries, only with controls selected
      {"Controls", "Bring to &Front", true},
      {"Form Editor", "Send to Back", true},
      {"Menu Bar", "to &Grid", true},
      {"Controls", "&Align to Grid", false, {.controls_selected = false}},
      {"Menu Bar", "O&rder", false, {.controls_selected = false}},
      {"Menu Bar", "F&ormat", false, {.controls_selected = false}},  // nothing else of it works yet
      {"Menu Bar", "&Lefts", false},
  };
  for (const Click& c : clicks) {
    host::CommandBarControl* control = Entry(bench.Vbe(), c.bar, c.entry);
    ASSERT_NE(control, nullptr) << c.bar << " > " << c.entry;
    EXPECT_EQ(Clickable(*control, c.state), c.clickable) << c.bar << " > " << c.entry;
  }
  host::CommandBarControl* save = Entry(bench.Vbe(), "Project Window Project", "Sa&ve Project");
  save->enabled = false;
  EXPECT_FALSE(Clickable(*save)) << "a disabled entry";

  bench.DisconnectAddIn();
  EXPECT_FALSE(bench.AddInConnected());
  EXPECT_EQ(Entry(bench.Vbe(), "Project Window Project", "Gildex_Insert"), nullptr) << "disconnecting removes it";
  ASSERT_TRUE(bench.ConnectAddIn().empty());
  EXPECT_NE(Entry(bench.Vbe(), "Project Window Project", "Gildex_Insert"), nullptr) << "connecting again";
  EXPECT_FALSE(bench.HasUnsavedChanges());
  ASSERT_TRUE(bench.Session().ApplyOverrides({{{"AutoPrefix", "True"}}, "", ""}, false).empty());

  // Each answer to the unsaved-changes question, on the project as just opened.
  struct Closing { MsgBoxResult answer; bool closed, written; };
  const Closing closings[] = {{platform::vbCancel, false, false}, {platform::vbNo, true, false}, {platform::vbYes, true, true}};
  const std::string changed_line = "' changed in the IDE";
  for (const Closing& c : closings) {
    SCOPED_TRACE(platform::AnswerName(c.answer));
    if (!bench.HasProject()) {
      ASSERT_EQ(bench.Open(sample.Project()), "");
    }
    host::MemoryComponent* module = nullptr;
    for (host::MemoryComponent* component : bench.Vbe().Projects().front()->Components())
      if (component->Name() == "modGlobals") module = component;
    ASSERT_NE(module, nullptr);
    if (!bench.HasUnsavedChanges()) module->MemoryCode()->InsertLines(1, changed_line);
    const std::filesystem::path file = module->File();  // the module goes with the project
    const std::size_t asked = dialogs.Asked().size();
    dialogs.Answer(c.answer);
    EXPECT_EQ(bench.Close(), c.closed);
    ASSERT_EQ(dialogs.Asked().size(), asked + 1);
    EXPECT_EQ(dialogs.Asked().back().prompt, "Save changes to the following files?\r\n" + file.string());
    EXPECT_EQ(bench.HasProject(), !c.closed);
    EXPECT_EQ(bench.AddInConnected(), true) << "closing keeps Gildex connected";
    std::vector<std::string> written = sample.Changed();
    std::erase(written, ".Orders.vbp.gildex-lock");  // held while the project is open
    EXPECT_EQ(written, c.written ? std::vector<std::string>{"modGlobals.bas"} : std::vector<std::string>{});
    if (c.written) {
      EXPECT_NE(platform::testing::ReadBytes(file).find(changed_line), std::string::npos);
    }
  }

  // Opened again (twice over): the add-in, connected once per connection and not per
  // project, follows the new project's designers and prefixes a control added there.
  ASSERT_EQ(bench.Open(sample.Project()), "");
  ASSERT_EQ(bench.Open(sample.Project()), "");
  EXPECT_EQ(splash.shown, 2) << "one splash for each of the two connections";
  EXPECT_EQ(bench.Vbe().ProjectCount(), 1);
  auto& about = dynamic_cast<host::MemoryComponent&>(*bench.Vbe().Project(1).FindComponent("frmAbout"));
  bench.Vbe().ShowDesigner(about);
  EXPECT_EQ(about.GetDesigner()->AddControl("CommandButton").Name(), "cmdCommand1");
  EXPECT_EQ(dialogs.Asked().size(), 3u) << "no box but the three questions about changes";
}

}  // namespace
}  // namespace gildex::workbench
