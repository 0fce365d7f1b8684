// The insert wizard as the user meets it: opened from the toolbar over the sample project,
// walked step by step, cancelled or finished.
#include "ide/insert_wizard.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ide/ide_rig_test.h"

namespace gildex {
namespace {

using Strings = std::vector<std::string>;

// The step, its picture and which of Back, Next and Finish are enabled.
std::string State(const frmWizard& w) {
  return std::to_string(w.Step()) + " " + w.Picture() + (w.BackEnabled() ? " back" : "") +
         (w.NextEnabled() ? " next" : "") + (w.FinishEnabled() ? " finish" : "");
}

// The sample project with a second template, "Raise", beside the default "Standard".
struct WizardHost : testing::SampleHost {
  explicit WizardHost(const char* show_intro = nullptr) {
    if (show_intro != nullptr) rig.Option(kShowWizardIntroValue, show_intro);
    rig.Option("Numbering", "True");  // no line numbers: the texts stay readable
    platform::testing::WriteBytes(rig.services.program_folder / "Templates" / "Raise.hdr",
                                  "On Error GoTo Raise_%ProcName%");
    platform::testing::WriteBytes(rig.services.program_folder / "Templates" / "Raise.ftr",
                                  "Raise_%ProcName%:\r\n    Err.Raise Err.Number");
    Start("Orders.vbp", Views());
  }
  frmWizard& Open() {
    EXPECT_TRUE(connect->Click("Gildex", {"Gildex Wizard"}));
    EXPECT_NE(connect->Tools().Wizard(), nullptr);
    return *connect->Tools().Wizard();
  }
  // One user action: next, back, finish, cancel, node KEY, check NAME, uncheck NAME,
  // option N, event N, intro 0|1.
  void Do(frmWizard& w, const std::string& action) {
    std::istringstream words(action);
    std::string verb, arg;
    words >> verb >> arg;
    const std::map<std::string, frmWizard::Nav> nav = {
        {"next", frmWizard::kNext}, {"back", frmWizard::kBack}, {"finish", frmWizard::kFinish},
        {"cancel", frmWizard::kCancel}};
    if (nav.contains(verb)) return w.cmdNav_Click(nav.at(verb));
    if (verb == "node") return w.tvwTemplates_NodeClick(arg);
    if (verb == "option") return w.cboInsertOpts_Click(std::stoi(arg));
    if (verb == "event") return w.cboEventType_Click(std::stoi(arg));
    if (verb == "intro") return w.chkShowIntro_Click(arg == "1");
    for (std::size_t i = 0; i < w.Components().size(); ++i)
      if (w.Components()[i].name == arg) return w.lvwComponents_ItemCheck(i, verb == "check");
    ADD_FAILURE() << "no action " << action;
  }
  std::string Stored() { return rig.tools.fnsGetRegistryValue(std::string(kOptionsKey), kShowWizardIntroValue); }
};

constexpr const char* kToSummary[] = {"next", "node Raise", "next", "check frmAbout", "check clsAddress", "next"};

TEST(InsertWizardTest, StepsButtonsSummaryAndCancel) {
  // Where the wizard opens, by the stored "Show Wizard Intro".
  const std::pair<const char*, const char*> starts[] = {
      {nullptr, "0 wizard-intro next intro"}, {"0", "1 wizard-template back"}, {" 0 ", "1 wizard-template back"},
      {"1", "0 wizard-intro next intro"}, {"", "0 wizard-intro next intro"}};
  for (const auto& [stored, state] : starts) {
    WizardHost host(stored);
    const frmWizard& w = host.Open();
    EXPECT_EQ(State(w) + (w.ShowIntro() ? " intro" : ""), state) << (stored ? stored : "missing");
  }

  struct Step {
    const char* action;
    const char* state;
  };
  const Step walk[] = {
      {"back", "0 wizard-intro next"},  // disabled buttons take no click
      {"finish", "0 wizard-intro next"},
      {"next", "1 wizard-template back"},  // the default template is shown, not yet chosen
      {"node Raise", "1 wizard-template back next"},
      {"node root", "1 wizard-template back"},
      {"next", "1 wizard-template back"},
      {"node Raise", "1 wizard-template back next"},
      {"next", "2 wizard-components back"},
      {"check frmAbout", "2 wizard-components back next"},
      {"uncheck frmAbout", "2 wizard-components back"},
      {"check frmAbout", "2 wizard-components back next"},
      {"check clsAddress", "2 wizard-components back next"},
      {"back", "1 wizard-template back next"},  // the choices survive a step back
      {"next", "2 wizard-components back next"},
      {"option 4", "2 wizard-components back next"},
      {"event 1", "2 wizard-components back next"},
      {"next", "3 wizard-summary back finish"},
      {"next", "3 wizard-summary back finish"},
      {"back", "2 wizard-components back next"},
      {"next", "3 wizard-summary back finish"},
  };
  WizardHost host;
  frmWizard& w = host.Open();
  for (const Step& s : walk) {
    host.Do(w, s.action);
    EXPECT_EQ(State(w), s.state) << s.action;
  }
  EXPECT_EQ(w.Templates().Render(), "Templates\n  Raise\n  Standard (default)\n");
  EXPECT_EQ(w.Templates().SelectedKey(), "Raise");
  // Skipped components (related documents) are not listed; the rest with their code lines.
  Strings rows;
  for (const frmWizard::ComponentRow& row : w.Components())
    rows.push_back(row.name + " " + std::to_string(row.code_lines) + (row.checked ? " x" : ""));
  EXPECT_EQ(rows, (Strings{"modGlobals 531", "modErrors 201", "frmMDI 250", "frmMain 225", "frmCustomer 208",
                           "clsCustomer 200", "clsAddress 67 x", "clsCustomers 70", "ctlStatusBar 90",
                           "frmAbout 10 x"}));
  EXPECT_TRUE(w.EventListVisible());
  // The chosen files in the list's order, whatever the order they were checked in.
  EXPECT_EQ(w.Summary(),
            "Ready to insert Gildex templates into project.\r\n"
            "---------------------------------------------------\r\n"
            "\r\n"
            "Using Template : Raise\r\n"
            "You wish to insert error-handling into : _Click\r\n"
            "In the following file(s) :\r\n"
            "* clsAddress\r\n"
            "* frmAbout\r\n"
            "Please click on &Finish to complete the process");

  // The toolbar shows an open wizard again.
  EXPECT_EQ(&host.Open(), &w);
  EXPECT_EQ(w.Step(), 3);

  // Cancel (one handler for every step): No stays, Yes closes the wizard, and nothing is
  // stored or changed.
  const std::string about = host.Text("frmAbout");
  host.Do(w, "intro 0");
  host.rig.dialogs.Answer(platform::vbNo);
  host.Do(w, "cancel");
  EXPECT_TRUE(w.Step() == 3 && !w.Unloaded());
  host.rig.dialogs.Answer(platform::vbYes);
  host.Do(w, "cancel");
  EXPECT_TRUE(w.Unloaded() && host.connect->Tools().Wizard() == nullptr && host.tools.log.back() == "wizard closed");
  EXPECT_EQ(host.Boxes(), Strings(2, frmWizard::kCancelQuestion));
  EXPECT_EQ(host.rig.dialogs.Asked().back().style, platform::vbYesNo | platform::vbQuestion);
  EXPECT_TRUE(host.Stored().empty() && host.Text("frmAbout") == about);
}

// Finish inserts the chosen template into the chosen components only, with the chosen
// filter; a chosen component that became read-only is skipped and said.
TEST(InsertWizardTest, FinishInsertsIntoTheChosenComponents) {
  WizardHost host;
  // A handler of its own does not keep the wizard out.
  host.Component("frmAbout").Code()->InsertLines(9, "    On Error Resume Next");
  const std::map<std::string, std::string> before = host.Texts();
  frmWizard& w = host.Open();
  for (const char* action : kToSummary) host.Do(w, action);
  host.Do(w, "back");
  host.Do(w, "check clsCustomers");
  host.Do(w, "option 1");  // "Subs Only."
  host.Do(w, "intro 0");
  host.Do(w, "next");
  ::chmod(host.Component("clsCustomers").File().c_str(), 0444);
  host.Do(w, "finish");

  EXPECT_TRUE(w.Unloaded());
  // Which procedures got which template is what the wizard decides; how a block goes in is the engine's.
  for (const auto& [name, text] : before) {
    Strings handled;
    const std::string after = host.Text(name);
    for (std::size_t at = after.find("\r\nOn Error GoTo Raise_"); at != std::string::npos;
         at = after.find("\r\nOn Error GoTo Raise_", at + 1))
      handled.push_back(after.substr(at + 22, after.find("\r\n", at + 2) - at - 22));
    const Strings expected = name == "frmAbout"     ? Strings{"Form_Load", "cmdOK_Click"}
                             : name == "clsAddress" ? Strings{"Class_Initialize"}  // its only sub; properties left alone
                                                    : Strings{};
    EXPECT_EQ(handled, expected) << name;
    EXPECT_TRUE(!handled.empty() || after == text) << name;
  }
  EXPECT_NE(host.Text("frmAbout").find("Raise_cmdOK_Click:\r\n    Err.Raise Err.Number\r\nEnd Sub"), std::string::npos);

  const clsMessages& messages = host.rig.add_in.Messages();
  EXPECT_EQ(messages.MessageText(), "Wizard has completed");
  EXPECT_EQ(messages.StatusLines(), Strings{"Skipping component clsCustomers"});
  EXPECT_FALSE(messages.Busy());
  const CGildex& engine = host.rig.add_in.Engine();
  EXPECT_EQ(engine.InsertInto(), "SUB");  // for the rest of the connection
  EXPECT_FALSE(engine.IgnoreExisting());
  EXPECT_EQ(engine.HeaderCode(), "On Error GoTo Raise_%ProcName%");
  EXPECT_EQ(host.Stored(), "0");
  EXPECT_EQ(host.connect->Tools().Wizard(), nullptr);
  // The next click starts afresh, here on the template step.
  EXPECT_EQ(State(host.Open()), "1 wizard-template back");
}

}  // namespace
}  // namespace gildex
