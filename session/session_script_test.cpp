#include "session/session_script.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "session/sample_project_test.h"

namespace gildex::session {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;
using platform::testing::WriteBytes;
using ::testing::HasSubstr;
using ::testing::Not;

struct Played {
  int code;
  std::string record, err;
};

Played Play(const testing::SampleProject& sample, const std::string& script) {
  const fs::path file = sample.dir / "Sample" / "story.session";
  WriteBytes(file, script);
  std::string problem;
  const auto steps = ParseSessionScript(script, problem);
  if (!steps) return {2, "", problem};
  std::ostringstream record;
  const int code = RunSessionScript(*steps, file.parent_path(), record, [](const Problem& p) { return p.what; });
  return {code, record.str(), ""};
}

// A day's work as a user does it in the IDE with Gildex connected, and what each step left.
TEST(SessionScript, AUsersSessionPrefixesRenamesAndCleansUp) {
  testing::SampleProject sample;
  const Played played = Play(sample,
                             "open Orders.vbp\n"
                             "option AutoPrefix True\n"
                             "option AutoRename \"True\"\n"
                             "option DeleteEvents True\n"
                             "option \"Default Template\" Standard\n"
                             "designer frmAbout\n"
                             "add CommandButton\n"
                             "add Label\n"
                             "rename cmdOK cmdClose\n"
                             "property cmdClose Caption \"&Close\"\n"
                             "remove lblLabel1\n"
                             "bar Gildex show\n"
                             "bar Gildex float 200 300\n"
                             "toolbar Gildex Help\n"
                             "click Project Window Project > Gildex Options\n"
                             "answer wizard Standard click frmAbout\n"
                             "toolbar Gildex Wizard\n"
                             "toolbar Insert Gildex Handler\n"
                             "save\n"
                             "disconnect\n"
                             "menus\n");
  ASSERT_EQ(played.code, 0) << played.record << played.err;
  for (const char* seen :
       {"  added cmdCommand1 (CommandButton)\n", "  added lblLabel1 (Label)\n", "  renamed to cmdClose\n",
        "  message box \"Gildex\": Do you wish to remove all code for this control also?\n  answer: OK (default)\n",
        "  progress window: Gildex Error trapping added to project.\n", "  wrote frmAbout.frm\n",
        "  window \"Gildex Wizard\"\n  answer: template Standard\n",
        "  | You wish to insert error-handling into : _Click\n  | In the following file(s) :\n  | * frmAbout\n",
        "  progress window: Wizard has completed\n",
        "  status: cmdClose_Click in frmAbout already has error trapping.\n",
        "/data/Help/Gildex.html (open it in a web browser)\n",
        "  message box \"Gildex\": The Gildex options window is not available on the command line: an \"option "
        "NAME VALUE\" step sets a setting for the session.\n"})
    EXPECT_THAT(played.record, HasSubstr(seen));
  // Disconnected: no entry of the add-in is left in any bar.
  const std::string after = played.record.substr(played.record.find("> disconnect"));
  EXPECT_THAT(after, Not(HasSubstr("Gildex")));
  const std::string form = ReadBytes(sample.dir / "Sample" / "frmAbout.frm");
  for (const char* line : {"Begin VB.CommandButton cmdCommand1 \r\n", "Begin VB.CommandButton cmdClose \r\n",
                           "Caption         =   \"&Close\"\r\n", "Private Sub cmdClose_Click()\r\n"})
    EXPECT_THAT(form, HasSubstr(line));
  EXPECT_THAT(form, Not(HasSubstr("Label1")));
  // The toolbar's place was stored; the backup a write makes is the IDE's write-request test.
  const std::string registry = ReadBytes(sample.dir / "registry.reg");
  for (const char* value : {"\"Top\"=\"200\"", "\"Left\"=\"300\"", "\"Position\"=\"4\"", "\"Visible\"=\"True\""})
    EXPECT_THAT(registry, HasSubstr(value));
  // The examples shipped beside the sample project play as they say.
  for (const char* shipped : {"prefix-and-rename.session", "designer-commands.session"}) {
    testing::SampleProject fresh;
    const Played example = Play(fresh, ReadBytes(fs::path(GILDEX_SOURCE_DIR) / "data" / "Sessions" / shipped));
    EXPECT_EQ(example.code, 0) << shipped << example.record << example.err;
  }
}

// The form designer's commands as a user reaches them: copy properties between selected
// controls, apply a control template chosen in its window, convert the form to a page.
TEST(SessionScript, DesignerCommandsCopyApplyAndConvert) {
  testing::SampleProject sample;
  const fs::path templates = sample.dir / "templates";
  fs::create_directories(templates / "Controls");
  WriteBytes(templates / "Controls" / "Boxes.ctt", "Width = 1500\r\nMaxLength=5\r\nCaption=\"&Postcode:\"\r\n");
  const Played played = Play(sample,
                             "open Orders.vbp\n"
                             "option CopierEnabled True\n"
                             "option CopierDimensions True\n"
                             "option CopierPosition False\n"
                             "option CopierDiscard 2\n"
                             "option TemplatePath " + templates.string() + "/\n"
                             "designer frmCustomer\n"
                             "controls txtStreet txtCity\n"
                             "answer yes\n"
                             "click Controls > Copy Properties\n"
                             "controls txtZip lblZip\n"
                             "answer template boxes\n"
                             "click Controls > Apply Control Templates\n"
                             "click Controls > View Control Templates\n"
                             "answer convert file customer.html title \"Customer & co\" method GET keywords orders\n"
                             "click Project Window Form Folder > Convert to VBScript/HTML\n"
                             "answer convert file Orders.vbp\n"
                             "click Project Window Form Folder > Convert to VBScript/HTML\n"
                             "answer convert file customer.html\n"
                             "click Project Window Form Folder > Convert to VBScript/HTML\n"
                             "save\n");
  ASSERT_EQ(played.code, 0) << played.record << played.err;
  for (const char* seen :
       {"  message box \"Property Copy\": Proceed to copy properties FROM txtStreet?\n  answer: Yes\n",
        "  window \"Custom Controls Tempalte\": templates Boxes\n  template Boxes: Width=1500 MaxLength=5 "
        "Caption=\"&Postcode:\"\n  answer: Select\n",
        "> click Controls > View Control Templates\n  window \"Custom Controls Tempalte\": templates Boxes\n"
        "  answer: Close (default)\n",
        "  window \"Gildex HTML Form Converter\"\n  answer: Convert\n", "  status: Form 'frmCustomer' converted OK\n",
        "Orders.vbp is one of the project's own files; the page goes to a file of its own\n",
        "  customer.html exists: kept (answer convert ... replace yes replaces it)\n  status: FAILED"})
    EXPECT_THAT(played.record, HasSubstr(seen));
  EXPECT_EQ(sample.Changed(), (std::vector<std::string>{"customer.html", "frmCustomer.frm", "story.session"}));
  // Which lines the copy and the template change is the Controls menu's test; here that the steps
  // reached the form: txtCity took txtStreet's size and tab place, the converter left it in pixels.
  const std::string form = ReadBytes(sample.dir / "Sample" / "frmCustomer.frm");
  for (const char* line : {"TabIndex        =   6\r\n         Top             =   48\r\n         Width           =   201",
                           "ScaleMode       =   3  'Pixel", "Caption         =   \"&Postcode:\""})
    EXPECT_THAT(form, HasSubstr(line));
  const std::string page = ReadBytes(sample.dir / "Sample" / "customer.html");
  for (const char* part : {"<TITLE>Customer &amp; co</TITLE>", "<META name=\"keywords\" content=\"orders\">",
                           "<FORM method=GET action=\"--WEBBOT-SELF--\">", "txtCity"})
    EXPECT_THAT(page, HasSubstr(part));
}

// A script that does not parse runs nothing (2); a step that cannot be done stops the session
// there (1) and says why, and nothing is saved that the script did not save.
TEST(SessionScript, BadScriptsAndImpossibleStepsSayWhy) {
  const struct {
    std::string script;
    int code;
    std::string said;
  } rows[] = {
      {"open Orders.vbp\nfrobnicate x\n", 2, "line 2: \"frobnicate\" is no step"},
      {"open\n", 2, "line 1: the step is written open PATH"},
      {"answer maybe\n", 2, "answer yes|no|ok"},
      {"property cmdOK Caption\n", 2, "property NAME PROPERTY VALUE"},
      {"click \"Code Window\n", 2, "a quote is not closed"},
      {"answer template\n", 2, "answer template NAME"},
      {"answer convert title\n", 2, "a value after each field"},
      {"answer convert colour red\n", 2, "\"colour\" is no field of the converter"},
      {"answer convert method PUT\n", 2, "GET or POST"},
      {"answer wizard Standard sometimes frmAbout\n", 2, "\"sometimes\" is no filter of the wizard"},
      {"open Missing.vbp\n", 1, "Missing.vbp"},
      {"open Orders.vbp\nrename cmdOK cmdX\n", 1, "line 2: no designer is open"},
      {"open Orders.vbp\ndesigner frmAbout\nrename cmdOK 1bad\nsave\n", 1, "line 3: Invalid property value"},
      {"open Orders.vbp\nclick Code Window > Gildex insert\n", 1, "is a menu, not a command"},
      {"open Orders.vbp\nclick Controls > Copy Properties\n", 1, "\"Copy Properties\" is hidden"},
      {"open Orders.vbp\nclick Code Window > Gildex Nothing\n", 1, "\"Gildex Nothing\" is not on Code Window"},
      {"open Orders.vbp\ntoolbar Gildex Help\n", 1, "toolbar is hidden"},
      {"open Orders.vbp\ncode modGlobals\ncursor 100000\n", 1, "the module has"},
      {"open Orders.vbp\noption AutoPrefix maybe\n", 1, "AutoPrefix"},
      {"open Orders.vbp\noption DeleteEvents True\ndesigner frmAbout\nanswer yes\nremove cmdOK\n", 1,
       "the box offers no Yes button"},
      {"open Orders.vbp\nanswer no\n", 1, "1 answer(s) were never asked for"},
      // Opening a project closes the one open first, asking about its changes.
      {"open Orders.vbp\ndesigner frmAbout\nrename cmdOK cmdGo\nanswer cancel\nopen Orders.vbp\n", 1,
       "line 5: the project is still open"},
      {"open Orders.vbp\ndesigner frmAbout\nrename cmdOK cmdGo\nanswer no\nopen Orders.vbp\ndesigner frmAbout\n"
       "rename cmdGo cmdX\n",
       1, "line 7: no control named \"cmdGo\" on frmAbout"},
      {"open Orders.vbp\noption CopierEnabled True\ndesigner frmCustomer\ncontrols txtCity\nanswer template Boxes\n"
       "click Controls > Apply Control Templates\n",
       1, "line 6: the window offers no template \"Boxes\""},
      {"open Orders.vbp\ndesigner frmCustomer\nanswer module\nclick Project Window Form Folder > Convert to VBScript/HTML\n",
       1, "the window \"Gildex HTML Form Converter\" takes no \"answer module\""},
  };
  for (const auto& row : rows) {
    testing::SampleProject sample;
    const Played played = Play(sample, row.script);
    EXPECT_EQ(played.code, row.code) << row.script << played.record;
    EXPECT_THAT(played.record + played.err, HasSubstr(row.said)) << row.script;
    if (row.code == 2) {
      EXPECT_THAT(played.record, Not(HasSubstr("> "))) << row.script;
    }
    EXPECT_TRUE(sample.Changed().size() == 1 && sample.Changed()[0] == "story.session") << row.script;
  }
}

}  // namespace
}  // namespace gildex::session
