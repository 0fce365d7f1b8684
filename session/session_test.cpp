#include "session/session.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <sstream>

#include "session/sample_project_test.h"
#include "tools/recording_view_test.h"

namespace gildex::session {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;
using platform::testing::ScopedEnv;
using platform::testing::TempDir;
using platform::testing::WriteBytes;

ScopeTarget Component(std::string name) { return {std::move(name), "", std::nullopt, false}; }
ScopeTarget Procedure(std::string name) { return {"", std::move(name), std::nullopt, false}; }

// Settings as NAME=VALUE.
Overrides Standard(const std::vector<std::string>& settings = {}) {
  Overrides overrides{{}, "Standard", ""};
  for (const std::string& setting : settings)
    overrides.settings.emplace_back(setting.substr(0, setting.find('=')), setting.substr(setting.find('=') + 1));
  return overrides;
}

struct Workspace : testing::SampleProject {
  // One command as a host runs it: open, connect in command-line mode, override, select, run,
  // save. What stopped it, or empty; `messages` gets the handlers' final messages, `said` the
  // dialogs' lines and then the progress window's calls.
  std::string Command(ScopeAction action, const ScopeTarget& target = {}, const Overrides& overrides = Standard(),
                      std::string project = {}) {
    messages.clear();
    said.str("");
    platform::UnattendedDialogs dialogs(said, platform::vbYes);
    PlatformContext context(dialogs);
    std::vector<std::string> window;
    std::string fail_in;
    Session session(context);
    if (project.empty()) project = Project();
    Problem problem = session.Open(project, true);
    if (problem.empty())
      problem = session.ConnectAddIn(ext_cm_CommandLine, true, [&](clsMessages&) -> std::unique_ptr<MessageView> {
        return std::make_unique<testing::RecordingView>(window, fail_in);
      });
    if (problem.empty()) problem = session.ApplyOverrides(overrides, false);
    if (problem.empty()) problem = session.Select(action, target);
    if (!problem.empty()) return problem.what;
    const CommandOutcome outcome = session.Run();
    for (const std::string& call : window) said << call << "\n";
    for (const std::string& message : outcome.messages) messages += message + "\n";
    const host::SaveResult saved = session.Save();
    session.Disconnect();
    return saved.error;
  }

  std::string messages;
  std::ostringstream said;
};

TEST(Session, TargetsNarrowTheChange) {
  Workspace w;
  // FormatMoney is modGlobals' only; Numbering=True turns numbering off for this run.
  EXPECT_EQ(w.Command(ScopeAction::Insert, Procedure("FormatMoney"), Standard({"Numbering=True"})), "");
  EXPECT_EQ(w.messages, "Gildex Error trapping added succesfully\n");
  EXPECT_EQ(w.Changed(), (std::vector<std::string>{"modGlobals.bas"}));
  const std::string text = w.Files().at("modGlobals.bas");
  EXPECT_NE(text.find("On Error GoTo FormatMoney_ErrorHandler"), std::string::npos);
  EXPECT_EQ(text.find("On Error GoTo Main_ErrorHandler"), std::string::npos);
  EXPECT_EQ(text.find("\r\n1 "), std::string::npos);
  // The component by name in any letter case.
  EXPECT_EQ(w.Command(ScopeAction::Number, Component("clsaddress")), "");
  EXPECT_EQ(w.messages, "Line Numbers added to module.\n");
  EXPECT_EQ(w.Changed(), (std::vector<std::string>{"clsAddress.cls", "modGlobals.bas"}));
}

TEST(Session, BadInputChangesNothing) {
  Workspace w;
  WriteBytes(w.dir / "bad.vbs", "Function Process(ProcCode)\r\n  Process = (\r\nEnd Function\r\n");
  const struct {
    std::string name;
    ScopeAction action;
    ScopeTarget target;
    Overrides overrides;
    std::string project;
    std::string problem;
  } cases[] = {
      {"damaged form", ScopeAction::Insert, {}, Standard(), "", "did not load completely; nothing was changed"},
      {"no template", ScopeAction::Insert, {}, {}, "", "no template is chosen"},
      {"missing project", ScopeAction::Insert, {}, Standard(), (w.dir / "Nowhere.vbp").string(), "cannot read project"},
      {"unknown component", ScopeAction::Insert, Component("frmNothing"), Standard(), "",
       "no component named \"frmNothing\""},
      {"unknown procedure", ScopeAction::Insert, Procedure("NoSuchProc"), Standard(), "",
       "no procedure named \"NoSuchProc\""},
      {"unknown template", ScopeAction::Insert, {}, {{}, "Fancy", ""}, "", "there is no template \"Fancy\" in "},
      {"selection outside", ScopeAction::Insert, {"frmAbout", "", std::make_pair(5L, 99999L), false},
       Standard(), "", "is outside frmAbout"},
      {"broken script", ScopeAction::Insert, {}, {{}, "Standard", (w.dir / "bad.vbs").string()}, "",
       "Errors in Script.\r\nError in Script at line 2."},
      {"a setting refused", ScopeAction::Insert, {}, Standard({"LineDelimiter=:\n"}), "",
       "LineDelimiter (\"Line Delimiter\") takes one line of text"},
      {"remove a procedure without template", ScopeAction::Remove, Procedure("FormatMoney"), {}, "",
       "no template is chosen"},
  };
  // The form's designer block loses its End line: the project must not be half-saved.
  const fs::path about = w.dir / "Sample" / "frmAbout.frm";
  const std::string good_about = ReadBytes(about);
  std::string damaged = good_about;
  damaged.erase(damaged.find("End\r\nAttribute"), 5);
  WriteBytes(about, damaged);
  for (const auto& c : cases) {
    if (&c != &cases[0]) WriteBytes(about, good_about);
    w.original["frmAbout.frm"] = ReadBytes(about);
    const std::string problem = w.Command(c.action, c.target, c.overrides, c.project);
    EXPECT_NE(problem.find(c.problem), std::string::npos) << c.name << "\n" << problem;
    EXPECT_TRUE(w.Changed().empty()) << c.name;
  }
  // A name that a damaged or hand-edited registry holds is refused before any file is read.
  WriteBytes(w.dir / "registry.reg",
             "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Nembus\\Gildex\\Options]\r\n"
             "\"Default Template\"=\"..\\\\evil\"\r\n");
  EXPECT_NE(w.Command(ScopeAction::Insert, {}, {}).find(
                "the stored setting DefaultTemplate (\"Default Template\") is unusable: \"..\\evil\""),
            std::string::npos);
  EXPECT_TRUE(w.Changed().empty());
}

// A stored auto-save never ticks in a command-line session: a run saves once, at its end.
TEST(Session, ACommandLineSessionRunsNoAutoSaveTimer) {
  testing::SampleProject w;
  WriteBytes(w.dir / "registry.reg",
             "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Nembus\\Gildex\\Options]\r\n"
             "\"Save Interval\"=\"1\"\r\n\"AutoSave\"=\"True\"\r\n");
  std::ostringstream said;
  platform::UnattendedDialogs dialogs(said);
  PlatformContext context(dialogs);
  EXPECT_EQ(context.timers.Count(), 0u);
  Session session(context);
  ASSERT_EQ(session.Open(w.Project(), false), "");
  ASSERT_TRUE(session.ConnectAddIn(ext_cm_CommandLine, false, {}).empty());
  EXPECT_EQ(context.timers.Count(), 0u);
  EXPECT_EQ(session.Engine().SaveInterval(), 1) << "the stored settings were read";
}

TEST(Session, ScriptModeRunsTheUsersScript) {
  Workspace w;
  EXPECT_EQ(w.Command(ScopeAction::Insert, Component("modGlobals"),
                      {{{"Numbering", "True"}},
                       "Standard",
                       std::string(GILDEX_SOURCE_DIR) + "/data/Scripts/Trace Entry.vbs"}),
            "");
  const std::string text = w.Files().at("modGlobals.bas");
  EXPECT_NE(text.find("Public Sub Main()\r\n    Debug.Print \"Enter Main\"\r\n"), std::string::npos);
  EXPECT_EQ(text.find("_ErrorHandler"), std::string::npos) << "the script's text replaces the template";
}

TEST(Session, TheBuildStepCompilesTheWrittenFiles) {
  Workspace w;
  // The "compiler" copies the module it would compile to the build file.
  ScopedEnv command("GILDEX_BUILD_COMMAND", "mkdir -p bin && cp modGlobals.bas {output}");
  const Overrides build = Standard({"BuildProject=True", "Numbering=True"});
  EXPECT_EQ(w.Command(ScopeAction::Insert, {}, build), "");
  EXPECT_EQ(w.said.str().find("Could not create compiled file!"), std::string::npos) << w.said.str();
  EXPECT_EQ(w.messages, "Gildex Error trapping added to project.\n");
  const std::string built = ReadBytes(w.dir / "Sample" / "bin" / "Orders.exe");
  EXPECT_NE(built.find("On Error GoTo Main_ErrorHandler"), std::string::npos) << "the build saw the new text";
  // How a failing build is reported is the scope commands' test (ide), its message the host's.
}

TEST(ReadScriptFile, ReadsRegularTextFilesOnly) {
  TempDir dir;
  const std::string script = "Function Process(ProcCode)\r\n  Process = \"\"\r\nEnd Function\r\n";
  auto utf16 = [&](bool big_endian, std::u16string text) {
    std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
      const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
      bytes += big_endian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
  };
  const std::u16string text16(script.begin(), script.end());
  WriteBytes(dir / "le.vbs", utf16(false, u"' Caf\u00E9\r\n" + text16));
  WriteBytes(dir / "be.vbs", utf16(true, text16));
  WriteBytes(dir / "bom8.vbs", "\xEF\xBB\xBF' Caf\xC3\xA9\r\n" + script);
  WriteBytes(dir / "chinese.vbs", utf16(false, u"' \u4E2D\r\n" + text16));
  fs::create_directory(dir / "folder.vbs");
  ASSERT_EQ(::mkfifo((dir / "fifo.vbs").c_str(), 0600), 0);
  WriteBytes(dir / "huge.vbs", script);
  fs::resize_file(dir / "huge.vbs", 17 * 1024 * 1024);
  const std::string cafe = "' Caf\xE9\r\n" + script;
  const struct {
    std::string file;
    std::string text;     // the Windows-1252 text read
    std::string problem;  // or why there is none
  } cases[] = {
      {"le.vbs", cafe, ""}, {"be.vbs", script, ""}, {"bom8.vbs", cafe, ""},
      {"chinese.vbs", "", "the UTF-16 script holds the character U+4E2D, which Windows-1252"},
      {"folder.vbs", "", "folder.vbs is a folder, not a script file"},
      {"fifo.vbs", "", "fifo.vbs is not a regular file"},
      {"huge.vbs", "", "huge.vbs is larger than 16 MB"},
      {"missing.vbs", "", "cannot read script"},
  };
  for (const auto& c : cases) {
    std::string problem;
    const std::optional<std::string> text = ReadScriptFile((dir / c.file).string(), problem);
    EXPECT_EQ(text.value_or(""), c.text) << c.file;
    EXPECT_NE(problem.find(c.problem), std::string::npos) << c.file << ": " << problem;
    EXPECT_EQ(problem.empty(), c.problem.empty()) << c.file;
  }
}

}  // namespace
}  // namespace gildex::session
