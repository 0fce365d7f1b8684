#include "templates/scripter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/project_loader.h"
#include "platform/atomic_file.h"
#include "platform/services.h"
#include "platform/test_files.h"

namespace gildex {
namespace {

struct ScripterRig {
  platform::ScriptedDialogs dialogs;
  ErrorReport report{dialogs};
  platform::FixedClock clock;
  clsScripter scripter{report, clock};

  // The message of a check, or "" when it passed; its result is kept in `result`.
  std::string Check(std::string_view text) {
    std::string message;
    scripter.CheckScript(text, message, result);
    EXPECT_EQ(result == errSCRIPT_OK, message.empty()) << message;
    return message;
  }
  ScriptErrors result = errSCRIPT_OK;
  ScriptErrors Run(const std::string& code, std::string& out) { return scripter.RunProcess(code, out); }
};

std::string ShippedScript(const std::string& name) {
  return *platform::ReadWholeFile(std::filesystem::path(GILDEX_SOURCE_DIR) / "data" / "Scripts" / name);
}

TEST(ScriptCheck, MessagesTellTheUserWhatIsWrong) {
  const struct {
    std::string script;
    ScriptErrors result;
    std::string message;
  } cases[] = {
      {"   ", errSCRIPT_EMPTY, "No text in script."},
      {"function process(proccode)\r\n  process = \"X\"\r\nend function", errSCRIPT_OK, ""},
      {"Function Process(Text)\r\n  Process = Text\r\nEnd Function", errSYNTAX_ERR,
       "Script MUST have a Function Process(ProcCode)"},
      {"\r\n\r\nFunction Process(ProcCode)\r\n  Process = (ProcCode\r\nEnd Function", errSYNTAX_ERR,
       "Error in Script at line 4.\r\nExpected ')'"},
      {"Function Process(ProcCode)\r\n  Process = 1 / Len(ProcCode)\r\nEnd Function", errSYNTAX_ERR,
       "Error in Script at line 2\r\nDivision by zero"},
      {"Function Process(ProcCode)\r\n  Process = Space(20000000)\r\nEnd Function", errSYNTAX_ERR,
       "Error in Script at line 2\r\nOut of string space: a string would exceed 16777216 bytes\r\n"
       "The script hit a limit on its trial run; it would stop there on every procedure."},
  };
  for (const auto& c : cases) {
    ScripterRig rig;
    EXPECT_EQ(rig.Check(c.script), c.message) << c.script;
    EXPECT_EQ(rig.result, c.result) << c.script;
    EXPECT_EQ(rig.scripter.Validated(), c.result == errSCRIPT_OK);
    EXPECT_EQ(rig.scripter.Script(), c.script) << "the checked text is kept as the script";
  }
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

// The return value decides the procedure; a failure names the script's error, and steps, depth
// and string space are limits the next procedure would most likely hit too.
TEST(ScriptRun, TheReturnValueDecidesTheProcedureAndAFailureSaysWhy) {
  ScripterRig rig;
  std::string out;
  EXPECT_EQ(rig.Run("x", out), errSYNTAX_ERR) << "no script checked yet";
  EXPECT_EQ(rig.scripter.LastFailure().number, 35) << "Sub or Function not defined";
  rig.scripter.Control()->Settings().max_steps = 1'000'000;
  ASSERT_EQ(rig.Check(R"(Class Box
End Class
Function Process(ProcCode)
  Select Case ProcCode
    Case "skip": Process = ""
    Case "normal": Process = "X"
    Case "lower": Process = "x"
    Case "fail": Err.Raise 1234, "Mine", "Broken on purpose"
    Case "loop": Do: Loop
    Case "number": Process = 42
    Case "null": Process = Null
    Case "object": Set Process = New Box
    Case "nothing": Set Process = Nothing
    Case "array": Process = Array(1)
  End Select
End Function)"),
            "");
  const std::string mismatch = "Type mismatch: Process returned ";
  const struct {
    std::string code;
    ScriptErrors result;
    std::string text;
    long number = 0;
    std::string description = "";
  } cases[] = {
      {"skip", errSKIP_PROCEDURE, ""}, {"normal", errPROCEDURE_NORMAL, "X"}, {"lower", errSCRIPT_OK, "x"},
      // Which errors are limits (steps, depth, string space) is the interpreter's test; one stands for all.
      {"fail", errSYNTAX_ERR, "fail", 1234, "Broken on purpose"}, {"loop", errSYNTAX_ERR, "loop", 1000000},
      {"number", errSCRIPT_OK, "42"},
      {"null", errSKIP_PROCEDURE, ""}, {"object", errSYNTAX_ERR, "object", 13, mismatch + "an object instead of text"},
      {"nothing", errSYNTAX_ERR, "nothing", 13, mismatch + "Nothing instead of text"},
      {"array", errSYNTAX_ERR, "array", 13, mismatch + "an array instead of text"},
  };
  for (const auto& c : cases) {
    out = "stale";
    EXPECT_EQ(rig.Run(c.code, out), c.result) << c.code;
    EXPECT_EQ(out, c.text) << c.code;
    const ScriptFailure failure = rig.scripter.LastFailure();
    EXPECT_EQ(failure.number, c.number) << c.code;
    if (!c.description.empty()) {
      EXPECT_EQ(failure.description, c.description) << c.code;
    }
    EXPECT_EQ(failure.limit, c.code == "loop") << c.code;
  }
  // A failure leaves the control usable for the next procedure.
  EXPECT_EQ(rig.Run("normal", out), errPROCEDURE_NORMAL);
}

// Every procedure of the sample project as the driver hands it to a script.
std::vector<std::string> SampleProcedures() {
  host::MemoryVBE vbe;
  const auto loaded = host::Load(vbe, std::filesystem::path(GILDEX_SOURCE_DIR) / "data" / "Sample" / "Orders.vbp");
  EXPECT_TRUE(loaded.readable) << loaded.error;
  std::vector<std::string> procedures;
  for (host::MemoryProject* project : loaded.projects)
    for (host::MemoryComponent* component : project->Components()) {
      host::CodeModule* code = component->Code();
      for (long line = 1; code != nullptr && line <= code->CountOfLines(); ++line) {
        host::ProcKind kind{};
        const std::string name = code->ProcOfLine(line, kind);
        if (!name.empty() && line > code->CountOfDeclarationLines() && code->ProcStartLine(name, kind) == line)
          procedures.push_back(code->Lines(line, code->ProcCountLines(name, kind)));
      }
    }
  return procedures;
}

// What each script decides is its own business; here each one passes the check, runs on every
// procedure of the sample without failing, and the skipping ones both skip and keep some.
TEST(ShippedScripts, EachPassesTheCheckAndRunsOnEveryProcedure) {
  const auto procedures = SampleProcedures();
  ASSERT_GT(procedures.size(), 20u);
  for (const std::string script : {"Skip Handled.vbs", "Public Only.vbs", "Skip Short.vbs", "Trace Entry.vbs"}) {
    ScripterRig rig;
    EXPECT_EQ(rig.Check(ShippedScript(script)), "") << script;
    std::size_t skipped = 0;
    for (const std::string& code : procedures) {
      std::string out;
      const ScriptErrors result = rig.Run(code, out);
      EXPECT_NE(result, errSYNTAX_ERR) << script << " failed on " << code;
      skipped += result == errSKIP_PROCEDURE;
    }
    EXPECT_EQ(skipped > 0, script != "Trace Entry.vbs") << script;
    EXPECT_LT(skipped, procedures.size()) << script;
  }
}

}  // namespace
}  // namespace gildex
