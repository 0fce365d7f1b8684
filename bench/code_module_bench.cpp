// How the in-memory code module scales when the engine walks every procedure of a large
// module and edits each: the cost must grow about linearly with the module.
#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "host/memory_code_module.h"

namespace {

using gildex::host::MemoryCodeModule;
using gildex::host::ProcKind;

constexpr int kBaseProcedures = 5000;  // 1x: about 65,000 lines

// A module as large VB6 code bases have them: declarations, a comment above every
// procedure, continued declarations, Select Case, nested If and labels; 13 lines a procedure.
std::string GenerateModule(int procedures) {
  std::string text =
      "Option Explicit\r\n"
      "' Module-level state\r\n"
      "Private Declare Function GetTickCount Lib \"kernel32\" () As Long\r\n"
      "Private Type Pair\r\n  First As Long\r\n  Second As Long\r\nEnd Type\r\n"
      "Public Event Changed(ByVal value As Long)\r\n"
      "Private mCount As Long\r\n"
      "Private Const kLimit As Long = 100\r\n\r\n";
  for (int i = 0; i < procedures; ++i) {
    std::string n = std::to_string(i);
    text += "' Handles item " + n + ".\r\n";
    if (i % 3 == 0) {
      text += "Private Function Item" + n + "( _\r\n    ByVal value As Long) As Long\r\n";
    } else if (i % 3 == 1) {
      text += "Public Sub Item" + n + "(ByVal value As Long)\r\n  Dim unused As Long\r\n";
    } else {
      text += "Friend Property Get Item" + n + "() As Long\r\n  Dim value As Long: value = mCount\r\n";
    }
    text +=
        "  Dim result As Long\r\n"
        "  Select Case value\r\n"
        "  Case 1 To kLimit\r\n"
        "    If result >= 0 Then\r\n"
        "      If value < 10 Then result = value * 2 Else result = value\r\n"
        "    End If\r\n"
        "  End Select\r\n"
        "Done" +
        n +
        ":\r\n"
        "  mCount = mCount + result\r\n";
    text += i % 3 == 0 ? "End Function\r\n" : i % 3 == 1 ? "End Sub\r\n" : "End Property\r\n";
  }
  return text;
}

const std::string& ModuleText(int scale) {
  static std::map<int, std::string> texts;
  auto found = texts.find(scale);
  if (found == texts.end()) found = texts.emplace(scale, GenerateModule(kBaseProcedures * scale)).first;
  return found->second;
}

// The engine's insertion walk: from the first line after the declarations, ask for the
// procedure at the line, its start, body and size, insert a header below the declaration
// and a footer above the End line, go on after the End line.
long InsertIntoEveryProcedure(MemoryCodeModule& module) {
  long edited = 0;
  long line = module.CountOfDeclarationLines() + 1;
  while (line <= module.CountOfLines()) {
    ProcKind kind = ProcKind::Proc;
    std::string name = module.ProcOfLine(line, kind);
    if (name.empty()) {
      ++line;
      continue;
    }
    long start = module.ProcStartLine(name, kind);
    long body = module.ProcBodyLine(name, kind);
    long last = start + module.ProcCountLines(name, kind) - 1;
    long header = body + 1;
    while (module.Lines(header - 1, 1).ends_with("_")) ++header;
    module.InsertLines(header, "  On Error GoTo ErrorHandler\r\n  ' ---- body start ----\r\n");
    last += 3;
    module.InsertLines(last, "  Exit Sub\r\nErrorHandler:");
    last += 2;
    line = last + 1;
    ++edited;
  }
  return edited;
}

void BM_InsertIntoEveryProcedure(benchmark::State& state) {
  const std::string& text = ModuleText(static_cast<int>(state.range(0)));
  long lines = 0, procedures = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto module = MemoryCodeModule::FromText("Module1", text);
    lines = module->CountOfLines();
    state.ResumeTiming();
    procedures = InsertIntoEveryProcedure(*module);
    benchmark::DoNotOptimize(module->CountOfLines());
  }
  state.counters["lines"] = static_cast<double>(lines);
  state.counters["procedures"] = static_cast<double>(procedures);
  state.counters["lines_per_second"] =
      benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_InsertIntoEveryProcedure)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

// A numbering pass: ReplaceLine on every statement line of the module, top to bottom.
void BM_NumberEveryLine(benchmark::State& state) {
  const std::string& text = ModuleText(static_cast<int>(state.range(0)));
  long lines = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto module = MemoryCodeModule::FromText("Module1", text);
    lines = module->CountOfLines();
    state.ResumeTiming();
    for (long line = module->CountOfDeclarationLines() + 2; line <= lines; ++line) {
      std::string code = module->Lines(line, 1);
      if (code.starts_with("  ") && !module->Lines(line - 1, 1).ends_with("_"))
        module->ReplaceLine(line, std::to_string(line * 10) + code);
    }
  }
  state.counters["lines"] = static_cast<double>(lines);
  state.counters["lines_per_second"] =
      benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_NumberEveryLine)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

// Loading: the full scan that builds the procedure table.
void BM_LoadModule(benchmark::State& state) {
  const std::string& text = ModuleText(static_cast<int>(state.range(0)));
  long lines = 0;
  for (auto _ : state) {
    auto module = MemoryCodeModule::FromText("Module1", text);
    lines = module->CountOfLines();
    benchmark::DoNotOptimize(module->CountOfDeclarationLines());
  }
  state.counters["lines_per_second"] =
      benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_LoadModule)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace
