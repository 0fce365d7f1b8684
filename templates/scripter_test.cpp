#include "templates/scripter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

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
  };
  for (const auto& c : cases) {
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
  End Select
End Function)"),
            "");
  const struct {
    std::string code;
    ScriptErrors result;
    std::string text;
  } cases[] = {
      {"skip", errSKIP_PROCEDURE, ""},  {"normal", errPROCEDURE_NORMAL, "X"}, {"lower", errSCRIPT_OK, "x"},
      {"fail", errSYNTAX_ERR, "fail"},  {"loop", errSYNTAX_ERR, "loop"},     {"deep", errSYNTAX_ERR, "deep"},
      {"huge", errSYNTAX_ERR, "huge"},  {"number", errSCRIPT_OK, "42"},     {"null", errSKIP_PROCEDURE, ""},
  };
  for (const auto& c : cases) {
    std::string out = "stale";
    EXPECT_EQ(rig.Run(c.code, out), c.result) << c.code;
    EXPECT_EQ(out, c.text) << c.code;
    // Steps, depth and string space are limits the next procedure would most likely hit too.
    EXPECT_EQ(rig.scripter.LastFailure().limit, c.code == "loop" || c.code == "deep" || c.code == "huge") << c.code;
  }
  // A failure leaves the control usable for the next procedure.
  std::string out;
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

// Insert in script mode with the real script host: whatever the script does, the module stays
// sound, and a script that hits a limit is stopped for the rest of the run once the user answered.
TEST(ScriptMode, AFailingScriptIsReportedAndNeverBreaksAModule) {
  // The module with the template in Save and/or Load, or Load's text changed by the script.
  auto module = [](bool save, bool load, bool load_changed = false) {
    return Module(std::string("Option Explicit\n\nPublic Sub Save()\n") + (save ? "On Error Resume Next\n\n" : "") +
                  "    Close #1\nEnd Sub\n\nPublic Sub Load()\n" + (load ? "On Error Resume Next\n\n" : "") +
                  "    Open mFile For " + (load_changed ? "Binary" : "Input") + " As #1\nEnd Sub\n");
  };
  const std::string before = module(false, false), trapped = module(true, true);
  const std::string failed = ": the script failed with error ", fallback = "; falling back to the template.";
  const std::string refused = ": the script's text is not one whole procedure (";
  const std::string returned = failed + "13 (Type mismatch: Process returned ";
  const std::string steps = "1000000 (Script stopped after 100000 steps: it may be in an endless loop)";
  auto both = [](const std::string& what) {
    return std::vector<std::string>{"Save in modA" + what, "Load in modA" + what};
  };
  auto both_left = [](const std::string& what) {
    return std::vector<std::string>{"Save in modA" + what + "Save left as it was.", "Load in modA" + what + "Load left as it was."};
  };
  const std::string binary = "Process = Replace(ProcCode, \"Input\", \"Binary\")";
  const std::string loop_on_save = "If InStr(ProcCode, \"Save\") Then\r\n Do : Loop\r\nElse\r\n " + binary + "\r\nEnd If";
  const struct {
    std::string process;  // the body of Process
    std::vector<platform::MsgBoxResult> answers;
    std::string after;
    std::vector<std::string> statuses;
    std::vector<long> tally;  // changed, already handled, too small, skipped, script failed
  } cases[] = {
      {"Err.Raise 1234, \"Mine\", \"Broken on purpose\"", {}, trapped, both(failed + "1234 (Broken on purpose)" + fallback),
       {0, 0, 0, 0, 2}},
      {"Set Process = New Box", {}, trapped, both(returned + "an object instead of text)" + fallback), {0, 0, 0, 0, 2}},
      {"Process = 42", {}, before, both_left(refused + "line 1 stands outside a procedure); "), {0, 0, 0, 2, 0}},
      {"Process = Replace(ProcCode, \"End Sub\", \"\") & \"End Function\"", {}, before,
       {"Save in modA" + refused + "line 4: Sub Save ends with End Function); Save left as it was.",
        "Load in modA" + refused + "line 4: Sub Load ends with End Function); Load left as it was."},
       {0, 0, 0, 2, 0}},
      {"Process = Replace(" + binary.substr(10) + ", \"Close #1\", \"Close #1\" & vbCrLf & \"End Sub\" & vbCrLf & "
       "\"Sub Extra()\")", {}, module(false, false, true),
       {"Save in modA" + refused + "it holds more than one procedure); Save left as it was."}, {1, 0, 0, 1, 0}},
      // The budget runs out on Save; after the answer the script is not run on Load, which it would have changed.
      {loop_on_save, {platform::vbYes}, trapped,
       {"Save in modA" + failed + steps + fallback, "The script hit a limit and was not run on the remaining procedures."},
       {1, 0, 0, 0, 1}},
      {loop_on_save, {platform::vbNo}, before,
       {"Save in modA" + failed + steps + "; left as it was.", "Processing halted: the script hit a limit."},
       {0, 0, 0, 0, 1}},
  };
  for (const auto& c : cases) {
    EngineRig rig;
    testing::RecordingProgress progress;
    rig.gildex.SetProgress(&progress);
    rig.gildex.DefaultTemplate("Standard");
    rig.gildex.HeaderCode("On Error Resume Next");
    rig.gildex.FooterCode("");
    rig.gildex.BodyCode(false);
    rig.gildex.InsertInto("*SCRIPT");
    for (platform::MsgBoxResult answer : c.answers) rig.dialogs.Answer(answer);
    clsScripter scripter(rig.report, rig.clock);
    scripter.Control()->Settings().max_steps = 100000;
    rig.gildex.SetScriptRunner(&scripter);
    std::string message;
    ScriptErrors result{};
    scripter.CheckScript("Class Box\r\nEnd Class\r\nFunction Process(ProcCode)\r\n  If ProcCode = \"\" Then Exit Function\r\n  " +
                             c.process + "\r\nEnd Function",
                         message, result);
    ASSERT_EQ(result, errSCRIPT_OK) << message;
    EXPECT_EQ(testing::Rewritten(before, [&](host::CodeModule& m) { rig.gildex.InsertModule(m, "modA", nullptr, false); },
                                 "modA"),
              c.after)
        << c.process;
    EXPECT_EQ(progress.statuses, c.statuses) << c.process;
    const ProcedureTally& t = rig.gildex.Tally();
    EXPECT_EQ(std::vector<long>({t.changed, t.already_handled, t.too_small, t.skipped, t.script_failed}), c.tally)
        << c.process;
    EXPECT_EQ(rig.dialogs.Asked().size(), c.answers.size()) << c.process;
    for (const platform::MessageBox& box : rig.dialogs.Asked()) EXPECT_EQ(box.style & platform::vbYesNo, platform::vbYesNo);
    EXPECT_EQ(rig.gildex.Cancel(), c.answers == std::vector<platform::MsgBoxResult>{platform::vbNo}) << c.process;
  }
}

}  // namespace
}  // namespace gildex
