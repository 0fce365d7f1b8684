#include "templates/scripter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "engine/engine_rig_test.h"
#include "host/memory_code_module.h"
#include "host/project_loader.h"
#include "platform/atomic_file.h"
#include "platform/test_files.h"

namespace gildex {
namespace {

using testing::EngineRig;
using testing::Module;

struct ScripterRig {
  platform::ScriptedDialogs dialogs;
  ErrorReport report{dialogs};
  platform::FixedClock clock;
  clsScripter scripter{report, clock};

  // The message of a check, or "" when it passed.
  std::string Check(std::string_view text) {
    std::string message;
    ScriptErrors result = errSCRIPT_OK;
    scripter.CheckScript(text, message, result);
    EXPECT_EQ(result == errSCRIPT_OK, message.empty()) << message;
    return message;
  }
  ScriptErrors Run(const std::string& code, std::string& out) { return scripter.RunProcess(code, out); }
};

std::string ShippedScript(const std::string& name) {
  return *platform::ReadWholeFile(std::filesystem::path(GILDEX_SOURCE_DIR) / "data" / "Scripts" / name);
}

TEST(ScriptCheck, MessagesTellTheUserWhatIsWrong) {
  struct Case {
    std::string script;
    ScriptErrors result;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"   ", errSCRIPT_EMPTY, "No text in script."},
      {"function process(proccode)\r\n  process = \"X\"\r\nend function", errSCRIPT_OK, ""},
      {"Function Process(Text)\r\n  Process = Text\r\nEnd Function", errSYNTAX_ERR,
       "Script MUST have a Function Process(ProcCode)"},
      {"\r\n\r\nFunction Process(ProcCode)\r\n  Process = (ProcCode\r\nEnd Function", errSYNTAX_ERR,
       "Error in Script at line 4.\r\nExpected ')'"},
      {"Function Process(ProcCode)\r\n  Process = 1 / Len(ProcCode)\r\nEnd Function", errSYNTAX_ERR,
       "Error in Script at line 2\r\nDivision by zero"},
      {"Function Process(ProcCode)\r\n  Process =\r\nEnd Function", errSYNTAX_ERR,
       "Error in Script at line 2.\r\nExpected expression"},
  };
  for (const Case& c : cases) {
    ScripterRig rig;
    std::string message;
    ScriptErrors result = errSCRIPT_OK;
    rig.scripter.CheckScript(c.script, message, result);
    EXPECT_EQ(result, c.result) << c.script;
    EXPECT_EQ(message, c.message) << c.script;
    EXPECT_EQ(rig.scripter.Validated(), c.result == errSCRIPT_OK);
    EXPECT_EQ(rig.scripter.Script(), c.script) << "the checked text is kept as the script";
  }
  EXPECT_EQ(ValidateMessage(errSCRIPT_OK, ""), "Script is OK");
  EXPECT_EQ(ValidateMessage(errSCRIPT_EMPTY, "No text in script."), "Errors in Script.\r\nNo text in script.");
}

TEST(ScriptCheck, TheStoredScriptIsCheckedAndEarlierCodeStaysLoaded) {
  ScripterRig rig;
  rig.scripter.SetScript("Function Helper(t)\r\n  Helper = UCase(t)\r\nEnd Function\r\n"
                         "Function Process(ProcCode)\r\n  Process = Helper(ProcCode)\r\nEnd Function");
  EXPECT_FALSE(rig.scripter.Validated());
  EXPECT_EQ(rig.Check(""), "");
  EXPECT_TRUE(rig.scripter.Validated());
  rig.scripter.SetScript("anything");
  EXPECT_FALSE(rig.scripter.Validated()) << "setting the text clears the flag";
  // The second check does not reset the control: Helper from the first one is still there,
  // and its Process replaces the earlier Process.
  EXPECT_EQ(rig.Check("Function Process(ProcCode)\r\n  Process = Helper(\"a\") & ProcCode\r\nEnd Function"), "");
  std::string out;
  EXPECT_EQ(rig.Run("b", out), errSCRIPT_OK);
  EXPECT_EQ(out, "Ab");
}

TEST(ScriptRun, TheReturnValueDecidesTheProcedure) {
  ScripterRig rig;
  rig.scripter.Control()->Settings().max_steps = 1'000'000;
  ASSERT_EQ(rig.Check(R"(Function Process(ProcCode)
  Select Case ProcCode
    Case "skip": Process = ""
    Case "normal": Process = "X"
    Case "lower": Process = "x"
    Case "fail": Err.Raise 5
    Case "loop": Do: Loop
    Case "deep": Process = Process(ProcCode)
    Case "huge": Process = String(20000000, "a")
    Case "number": Process = 42
    Case "null": Process = Null
    Case Else: Process = "' checked" & vbCrLf & ProcCode
  End Select
End Function)"),
            "");
  struct Case {
    std::string code;
    ScriptErrors result;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"skip", errSKIP_PROCEDURE, ""},
      {"normal", errPROCEDURE_NORMAL, "X"},
      {"lower", errSCRIPT_OK, "x"},
      {"fail", errSYNTAX_ERR, "fail"},
      {"loop", errSYNTAX_ERR, "loop"},
      {"deep", errSYNTAX_ERR, "deep"},
      {"huge", errSYNTAX_ERR, "huge"},
      {"number", errSCRIPT_OK, "42"},
      {"null", errSKIP_PROCEDURE, ""},
      {"Sub A()\r\nEnd Sub", errSCRIPT_OK, "' checked\r\nSub A()\r\nEnd Sub"},
  };
  for (const Case& c : cases) {
    std::string out = "stale";
    EXPECT_EQ(rig.Run(c.code, out), c.result) << c.code;
    EXPECT_EQ(out, c.text) << c.code;
  }
  // A failure leaves the control usable for the next procedure.
  std::string out;
  EXPECT_EQ(rig.Run("normal", out), errPROCEDURE_NORMAL);
}

// Every procedure of the sample project as the driver hands it to a script.
std::map<std::string, std::string> SampleProcedures() {
  host::MemoryVBE vbe;
  const auto loaded = host::Load(vbe, std::filesystem::path(GILDEX_SOURCE_DIR) / "data" / "Sample" / "Orders.vbp");
  EXPECT_TRUE(loaded.readable) << loaded.error;
  std::map<std::string, std::string> procedures;
  for (host::MemoryProject* project : loaded.projects)
    for (int i = 1; i <= project->ComponentCount(); ++i) {
      host::VBComponent& component = project->Component(i);
      host::CodeModule* code = component.Code();
      if (code == nullptr) continue;
      for (long line = code->CountOfDeclarationLines() + 1; line <= code->CountOfLines();) {
        host::ProcKind kind{};
        const std::string name = code->ProcOfLine(line, kind);
        if (name.empty()) {
          ++line;
          continue;
        }
        const long start = code->ProcStartLine(name, kind);
        const long count = code->ProcCountLines(name, kind);
        procedures[component.Name() + "." + name + (kind == host::ProcKind::Let ? " Let" : "")] =
            code->Lines(start, count);
        line = start + count;
      }
    }
  return procedures;
}

TEST(ShippedScripts, EachPassesTheCheckAndDoesWhatItSays) {
  const auto procedures = SampleProcedures();
  ASSERT_GT(procedures.size(), 20u);
  auto run_all = [&](const std::string& script) {
    ScripterRig rig;
    EXPECT_EQ(rig.Check(ShippedScript(script)), "") << script;
    std::map<std::string, std::pair<ScriptErrors, std::string>> results;
    for (const auto& [name, code] : procedures) {
      std::string out;
      const ScriptErrors result = rig.Run(code, out);
      EXPECT_NE(result, errSYNTAX_ERR) << script << " failed on " << name;
      results[name] = {result, out};
    }
    return results;
  };

  for (const auto& [name, result] : run_all("Skip Handled.vbs")) {
    const std::string& code = procedures.at(name);
    auto count = [&](const std::string& text) {
      int n = 0;
      for (std::size_t at = code.find(text); at != std::string::npos; at = code.find(text, at + 1)) ++n;
      return n;
    };
    const bool handled =
        count("On Error Resume Next") > 0 || count("On Error GoTo ") > count("On Error GoTo 0");
    EXPECT_EQ(result.first, handled ? errSKIP_PROCEDURE : errPROCEDURE_NORMAL) << name;
  }

  int private_ones = 0;
  for (const auto& [name, result] : run_all("Public Only.vbs")) {
    const std::string& code = procedures.at(name);
    const bool is_private = code.find("\nPrivate ") != std::string::npos || code.starts_with("Private ") ||
                            code.find("\nFriend ") != std::string::npos || code.starts_with("Friend ");
    private_ones += is_private;
    EXPECT_EQ(result.first, is_private ? errSKIP_PROCEDURE : errPROCEDURE_NORMAL) << name;
  }
  EXPECT_GT(private_ones, 3);

  int short_ones = 0;
  for (const auto& [name, result] : run_all("Skip Short.vbs")) short_ones += result.first == errSKIP_PROCEDURE;
  EXPECT_GT(short_ones, 0);
  EXPECT_LT(short_ones, static_cast<int>(procedures.size()));

  const auto traced = run_all("Trace Entry.vbs");
  for (const auto& [name, result] : traced) {
    ASSERT_EQ(result.first, errSCRIPT_OK) << name;
    const std::string bare = name.substr(name.find('.') + 1, name.find(' ') - name.find('.') - 1);
    EXPECT_NE(result.second.find("    Debug.Print \"Enter " + bare + "\"\r\n"), std::string::npos) << result.second;
    EXPECT_EQ(result.second.size(), procedures.at(name).size() + 26 + bare.size()) << "one line added";
  }
  // Tracing twice adds nothing the second time.
  ScripterRig again;
  ASSERT_EQ(again.Check(ShippedScript("Trace Entry.vbs")), "");
  std::string out;
  EXPECT_EQ(again.Run(traced.begin()->second.second, out), errSKIP_PROCEDURE);
}

// The whole path: InsertModule in script mode with a real script host. The script skips the
// form's event stubs, expands Refresh, fails on Broken (the template goes in) and traps the
// rest; a runaway script is stopped and its procedure takes the template too.
TEST(ScriptMode, InsertModuleRunsTheUserScriptOnEveryProcedure) {
  EngineRig rig;
  testing::RecordingProgress progress;
  rig.gildex.SetProgress(&progress);
  testing::UseStandardTemplate(rig.gildex);
  rig.gildex.BodyCode(false);
  rig.gildex.InsertInto("*SCRIPT");
  clsScripter scripter(rig.report, rig.clock);
  scripter.Control()->Settings().max_steps = 100000;
  rig.gildex.SetScriptRunner(&scripter);
  std::string message;
  ScriptErrors result{};
  scripter.CheckScript(R"vb(Function Process(ProcCode)
  If InStr(ProcCode, "_Click()") > 0 Then
    Process = ""
  ElseIf InStr(ProcCode, "Sub Refresh()") > 0 Then
    Process = Replace(ProcCode, "    Repaint", "    Cls" & vbCrLf & "    Repaint")
  ElseIf InStr(ProcCode, "Broken") > 0 Then
    Process = CLng("not a number")
  ElseIf InStr(ProcCode, "Runaway") > 0 Then
    Do: Loop
  Else
    Process = "X"
  End If
End Function)vb",
                       message, result);
  ASSERT_EQ(result, errSCRIPT_OK) << message;
  auto handled = [](const std::string& declaration, const std::string& body, const std::string& word) {
    const std::string name = declaration.substr(declaration.find(' ', 8) + 1, declaration.find('(') - declaration.find(' ', 8) - 1);
    return declaration + "\nOn Error Goto " + name + "_ErrorHandler\n\n" + body + "\n\tExit " + word + "\n" + name +
           "_ErrorHandler:\n    MsgBox Err.Description\nEnd " + word + "\n";
  };
  auto module = host::MemoryCodeModule::FromText("frmOrders", Module(R"(
Private Sub cmdOK_Click()
    Unload Me
End Sub

Public Sub Refresh()
    Repaint
End Sub

Private Function Broken() As Long
    Broken = 1
End Function

Private Sub Runaway()
    Beep
End Sub

Public Sub Save()
    Close #1
End Sub
)"));
  rig.gildex.InsertModule(*module, "frmOrders", nullptr, false);
  EXPECT_EQ(module->CheckConsistency(), "");
  EXPECT_EQ(module->Text(),
            Module("Private Sub cmdOK_Click()\n    Unload Me\nEnd Sub\n\nPublic Sub Refresh()\n    Cls\n    Repaint\nEnd Sub\n\n" +
                   handled("Private Function Broken() As Long", "    Broken = 1\n", "Function") + "\n" +
                   handled("Private Sub Runaway()", "    Beep\n", "Sub") + "\n" +
                   handled("Public Sub Save()", "    Close #1\n", "Sub")));
  EXPECT_TRUE(progress.statuses.empty());
}

}  // namespace
}  // namespace gildex
