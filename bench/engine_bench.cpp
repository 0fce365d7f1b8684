// What the engine's passes cost on large modules, beside the floor any pass has to pay:
// reading and rewriting every line through the same code-module interface.
//
// Insertion: the sizes are those of the module after the template went in, since VB6 holds at
// most 65,534 lines and a module that would pass that is refused untouched; the input is about
// a third smaller. lines_per_second counts the input lines.
#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "common/services_rig.h"
#include "engine/gildex.h"
#include "host/memory_code_module.h"

namespace {

using gildex::host::MemoryCodeModule;

// Comments above procedures, continued declarations, Select Case, nested If, labels, and one
// procedure in four that already traps its errors; 14 lines a procedure.
std::string GenerateModule(int procedures) {
  std::string text =
      "Option Explicit\r\n"
      "' Module-level state\r\n"
      "Private Declare Function GetTickCount Lib \"kernel32\" _\r\n    () As Long\r\n"
      "Private mCount As Long\r\n"
      "Private Const kLimit As Long = 100\r\n\r\n";
  for (int i = 0; i < procedures; ++i) {
    const std::string n = std::to_string(i);
    text += "' Handles item " + n + ".\r\n";
    const char* end = "End Sub\r\n";
    if (i % 3 == 0) {
      text += "Private Function Item" + n + "( _\r\n    ByVal value As Long) As Long\r\n";
      end = "End Function\r\n";
    } else if (i % 3 == 1) {
      text += "Public Sub Item" + n + "(ByVal value As Long)\r\n  Dim unused As Long\r\n";
    } else {
      text += "Friend Property Get Item" + n + "() As Long\r\n  Dim value As Long: value = mCount\r\n";
      end = "End Property\r\n";
    }
    text += i % 4 == 0 ? "  On Error Resume Next\r\n" : "  Dim result As Long\r\n";
    text +=
        "  Select Case value\r\n"
        "  Case 1 To kLimit\r\n"
        "    If mCount >= 0 Then\r\n"
        "      If value < 10 Then mCount = value * 2 Else mCount = value\r\n"
        "    End If\r\n"
        "  End Select\r\n"
        "Done" +
        n +
        ":\r\n"
        "  mCount = mCount + 1\r\n";
    text += end;
  }
  return text;
}

// Procedures whose module reaches about `lines` once three in four got 6 more lines.
int ProceduresFor(long lines) { return static_cast<int>(lines / (14 + 6 * 3 / 4.0)); }

const std::string& ModuleText(long lines) {
  static std::map<long, std::string> texts;
  auto found = texts.find(lines);
  if (found == texts.end()) found = texts.emplace(lines, GenerateModule(ProceduresFor(lines))).first;
  return found->second;
}

// An engine on stand-ins nobody watches: no registry file, no dialogs asked.
struct QuietEngine : gildex::testing::ServicesRig {
  QuietEngine() : ServicesRig("/tmp") {
    gildex.DefaultTemplate("Standard");
    gildex.HeaderCode("On Error Goto %ProcName%_ErrorHandler");
    gildex.FooterCode("%ProcName%_ErrorHandler:\r\n    MsgBox Err.Description, vbCritical, \"%ProcName%\"");
    gildex.BodyCode(true);
    gildex.AutoExit(true);
  }
  gildex::CGildex gildex{services, report, tools};
};

void Report(benchmark::State& state, long input_lines, long output_lines) {
  state.counters["input_lines"] = static_cast<double>(input_lines);
  state.counters["output_lines"] = static_cast<double>(output_lines);
  state.counters["lines_per_second"] =
      benchmark::Counter(static_cast<double>(input_lines), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_InsertModule(benchmark::State& state) {
  const std::string& text = ModuleText(state.range(0));
  QuietEngine engine;
  long input = 0, output = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto module = MemoryCodeModule::FromText("modItems", text);
    input = module->CountOfLines();
    state.ResumeTiming();
    engine.gildex.InsertModule(*module, "modItems", nullptr, false);
    output = module->CountOfLines();
  }
  if (output == input) state.SkipWithError("nothing was inserted");
  Report(state, input, output);
}
BENCHMARK(BM_InsertModule)->Arg(1000)->Arg(10000)->Arg(65000)->Unit(benchmark::kMillisecond);

// The floor: every line read and written back once through the code-module interface.
void BM_ReadAndRewriteEveryLine(benchmark::State& state) {
  const std::string& text = ModuleText(state.range(0));
  long input = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto module = MemoryCodeModule::FromText("modItems", text);
    input = module->CountOfLines();
    state.ResumeTiming();
    for (long line = 1; line <= module->CountOfLines(); ++line) module->ReplaceLine(line, module->Lines(line, 1));
  }
  Report(state, input, input);
}
BENCHMARK(BM_ReadAndRewriteEveryLine)->Arg(1000)->Arg(10000)->Arg(65000)->Unit(benchmark::kMillisecond);

}  // namespace
