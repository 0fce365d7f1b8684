// Removal, numbering and un-numbering over generated modules of 1,000, 10,000 and 65,000
// lines, in lines per second, beside the floor: a pass that only reads and rewrites every line
// through the same code-module interface. Cost must grow about linearly with the module.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

#include "engine/engine_rig_test.h"
#include "engine/gildex.h"
#include "host/memory_code_module.h"

namespace {

using gildex::host::MemoryCodeModule;
using gildex::testing::EngineRig;

// A module as large VB6 code bases have them: declarations, a comment above every
// procedure, continued declarations, comments in the body, Select Case, nested If and labels.
std::string GenerateModule(long lines) {
  std::string text =
      "Option Explicit\r\n"
      "Private Declare Function GetTickCount Lib \"kernel32\" _\r\n    () As Long\r\n"
      "Private mCount As Long\r\n"
      "Private Const kLimit As Long = 100\r\n";
  long count = 5;
  for (int i = 0; count < lines; ++i) {
    const std::string n = std::to_string(i);
    text += "\r\n' Handles item " + n + ".\r\n";
    if (i % 3 == 0) text += "Private Function Item" + n + "( _\r\n    ByVal value As Long) As Long\r\n";
    else if (i % 3 == 1) text += "Public Sub Item" + n + "(ByVal value As Long)\r\n";
    else text += "Friend Property Get Item" + n + "() As Long\r\n";
    text +=
        "    ' Works out the result.\r\n"
        "    Dim result As Long\r\n"
        "    Select Case mCount\r\n"
        "    Case 1 To kLimit\r\n"
        "        If result >= 0 Then\r\n"
        "            If mCount < 10 Then result = mCount * 2 Else result = mCount\r\n"
        "        End If\r\n"
        "    End Select\r\n"
        "Done" + n + ":\r\n"
        "    MsgBox \"Count \" & _\r\n"
        "        mCount\r\n"
        "    mCount = mCount + result\r\n";
    text += i % 3 == 0 ? "End Function\r\n" : i % 3 == 1 ? "End Sub\r\n" : "End Property\r\n";
    count += i % 3 == 0 ? 17 : 16;
  }
  return text;
}

EngineRig& Rig() {
  static EngineRig rig;
  static bool ready = [] {
    rig.gildex.DefaultTemplate("Standard");
    rig.gildex.HeaderCode("On Error Goto %ProcName%_ErrorHandler");
    rig.gildex.FooterCode("%ProcName%_ErrorHandler:\r\n    MsgBox Err.Description");
    rig.gildex.BodyCode(true);
    rig.gildex.AutoExit(true);
    rig.gildex.LineIncrement(10);
    rig.gildex.LineDelimiter(" ");
    return true;
  }();
  (void)ready;
  return rig;
}

enum class Stage { Plain, Inserted, Numbered };

const std::string& ModuleText(long lines, Stage stage) {
  static std::map<std::pair<long, Stage>, std::string> texts;
  const auto key = std::make_pair(lines, stage);
  if (auto found = texts.find(key); found != texts.end()) return found->second;
  // Insertion adds 6 lines to a procedure of 16: the inserted module is about the size asked.
  std::string text = GenerateModule(stage == Stage::Inserted ? lines * 16 / 22 : lines);
  if (stage != Stage::Plain) {
    auto module = MemoryCodeModule::FromText("modGen", text);
    if (stage == Stage::Inserted) Rig().gildex.InsertModule(*module, "modGen", nullptr, false);
    else Rig().gildex.NumberModule(*module, false);
    text = module->Text();
  }
  return texts.emplace(key, std::move(text)).first->second;
}

template <class Run>
void Measure(benchmark::State& state, Stage stage, Run&& run) {
  const std::string& text = ModuleText(state.range(0), stage);
  long lines = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto module = MemoryCodeModule::FromText("modGen", text);
    lines = module->CountOfLines();
    state.ResumeTiming();
    run(*module);
    benchmark::DoNotOptimize(module->CountOfLines());
  }
  state.counters["lines"] = static_cast<double>(lines);
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines) * static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate);
}

void BM_ReadAndRewriteFloor(benchmark::State& state) {
  Measure(state, Stage::Plain, [](MemoryCodeModule& module) {
    for (long line = 1; line <= module.CountOfLines(); ++line) module.ReplaceLine(line, module.Lines(line, 1));
  });
}

void BM_RemoveModule(benchmark::State& state) {
  Measure(state, Stage::Inserted, [](MemoryCodeModule& module) { Rig().gildex.RemoveModule(module, false); });
}

void BM_NumberModule(benchmark::State& state) {
  Measure(state, Stage::Plain, [](MemoryCodeModule& module) { Rig().gildex.NumberModule(module, false); });
}

void BM_UnNumberModule(benchmark::State& state) {
  Measure(state, Stage::Numbered, [](MemoryCodeModule& module) { Rig().gildex.UnNumberModule(module, false); });
}

BENCHMARK(BM_ReadAndRewriteFloor)->Arg(1000)->Arg(10000)->Arg(65000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveModule)->Arg(1000)->Arg(10000)->Arg(65000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NumberModule)->Arg(1000)->Arg(10000)->Arg(65000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnNumberModule)->Arg(1000)->Arg(10000)->Arg(65000)->Unit(benchmark::kMillisecond);

}  // namespace
