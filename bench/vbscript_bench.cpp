// How fast a typical user script runs: Process over 10,000 procedures of 20 lines each
// (split into lines, test each with InStr/Left/Trim, rewrite some, join), parsed once and
// run once per procedure, as script mode does over a large project.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/vbscript/script_control.h"

namespace {

using gildex::vbscript::ScriptControl;

constexpr int kProcedures = 10000;

constexpr const char* kScript = R"(Function Process(ProcCode)
  Dim Lines, i, Line, Changed
  If InStr(1, ProcCode, "On Error", vbTextCompare) > 0 Then
    Process = ""
    Exit Function
  End If
  Lines = Split(ProcCode, vbCrLf)
  For i = 0 To UBound(Lines)
    Line = Trim(Lines(i))
    If Left(Line, 4) = "Dim " Then
      Lines(i) = Lines(i) & " ' local"
      Changed = True
    ElseIf InStr(Line, "Debug.Print") > 0 Then
      Lines(i) = "'" & Lines(i)
      Changed = True
    End If
  Next
  If Not Changed Then
    Process = "X"
  Else
    Lines(0) = Lines(0) & vbCrLf & "    Trace ""enter"""
    Process = Join(Lines, vbCrLf)
  End If
End Function
)";

std::vector<std::string> Procedures() {
  std::vector<std::string> procs;
  for (int p = 0; p < kProcedures; ++p) {
    std::string n = std::to_string(p);
    std::string text = "Public Function Compute" + n + "(ByVal Value As Long) As Long\r\n";
    text += "    Dim Total As Long\r\n    Dim Index As Long\r\n";
    if (p % 10 == 0) text += "    On Error GoTo Failed\r\n";
    for (int l = 0; l < 14; ++l) {
      if (l % 5 == 0) text += "    Debug.Print \"step " + std::to_string(l) + "\"\r\n";
      else text += "    Total = Total + Value * " + std::to_string(l) + "\r\n";
    }
    text += "    Compute" + n + " = Total\r\nFailed:\r\nEnd Function";
    procs.push_back(std::move(text));
  }
  return procs;
}

void BM_ProcessScriptOverProject(benchmark::State& state) {
  const std::vector<std::string> procs = Procedures();
  ScriptControl sc;
  sc.AddCode(kScript);
  std::size_t out_bytes = 0;
  for (auto _ : state) {
    for (const auto& proc : procs) out_bytes += sc.ToText(sc.Run("Process", proc)).size();
  }
  benchmark::DoNotOptimize(out_bytes);
  state.SetItemsProcessed(state.iterations() * kProcedures);
}
BENCHMARK(BM_ProcessScriptOverProject)->Unit(benchmark::kMillisecond);

void BM_CompileScript(benchmark::State& state) {
  for (auto _ : state) {
    ScriptControl sc;
    sc.AddCode(kScript);
  }
}
BENCHMARK(BM_CompileScript)->Unit(benchmark::kMicrosecond);

}  // namespace
