// How fast a typical user script runs: Process (bench/process.vbs) over 10,000 procedures
// of 20 lines each (split into lines, test each with InStr/Left/Trim, rewrite some, join),
// parsed once and run once per procedure, as script mode does over a large project.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/vbscript/script_control.h"

namespace {

using gildex::vbscript::ScriptControl;

constexpr int kProcedures = 10000;

// The script lives in bench/process.vbs, shared with process.lua (script_vs_lua.sh).
std::string ProcessScript() {
  const std::string path = std::string(GILDEX_SOURCE_DIR) + "/bench/process.vbs";
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// FNV-1a over every output followed by a line feed, as process.lua computes it.
std::uint32_t Checksum(const std::vector<std::string>& outputs) {
  std::uint32_t h = 2166136261u;
  for (const auto& text : outputs) {
    for (char c : text) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    h = (h ^ 10u) * 16777619u;
  }
  return h;
}

// process.lua generates the same text.
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
  sc.AddCode(ProcessScript());
  std::size_t out_bytes = 0;
  for (auto _ : state) {
    for (const auto& proc : procs) out_bytes += sc.ToText(sc.Run("Process", proc)).size();
  }
  benchmark::DoNotOptimize(out_bytes);
  state.SetItemsProcessed(state.iterations() * kProcedures);
  // What one pass produced, for comparing with process.lua (outside the timed loop).
  std::vector<std::string> outputs;
  for (const auto& proc : procs) outputs.push_back(sc.ToText(sc.Run("Process", proc)));
  std::size_t bytes = 0;
  for (const auto& text : outputs) bytes += text.size();
  state.counters["out_bytes"] = static_cast<double>(bytes);
  state.counters["checksum"] = Checksum(outputs);
}
BENCHMARK(BM_ProcessScriptOverProject)->Unit(benchmark::kMillisecond);

// Small programs that stress one part of the evaluator each; script_vs_lua.sh runs the same
// programs in Lua 5.4. Each reports its result so the two can be checked against each other.
constexpr const char* kMicroScript = R"(
Function Fib(n)
  If n < 2 Then
    Fib = n
  Else
    Fib = Fib(n - 1) + Fib(n - 2)
  End If
End Function

Function Arith()
  Dim i, s
  s = 0
  For i = 1 To 1000000
    s = s + (i Mod 7) * 3
  Next
  Arith = s
End Function

Function Strings()
  Dim i, s, t, parts()
  ReDim parts(99999)
  For i = 0 To 99999
    parts(i) = "item" & i & ";"
  Next
  s = Join(parts, "")
  For i = 1 To 20000
    t = t & Mid(s, i, 3)
  Next
  Strings = Len(s) + Len(t)
End Function

Class Item
  Public Key, Value
End Class

Function Objects()
  Dim d, i, o
  Set d = CreateObject("Scripting.Dictionary")
  For i = 1 To 100000
    Set o = New Item
    o.Key = "k" & i
    o.Value = i
    d.Add o.Key, o
  Next
  Objects = d.Count + d("k500").Value
End Function
)";

void RunMicro(benchmark::State& state, const char* procedure, int arg) {
  ScriptControl sc;
  sc.AddCode(kMicroScript);
  double result = 0;
  for (auto _ : state) {
    auto v = arg >= 0 ? sc.Run(procedure, arg) : sc.Run(procedure);
    result = std::stod(sc.ToText(v));
  }
  state.counters["result"] = result;
}
void BM_Fib(benchmark::State& state) { RunMicro(state, "Fib", 22); }
void BM_Arith(benchmark::State& state) { RunMicro(state, "Arith", -1); }
void BM_Strings(benchmark::State& state) { RunMicro(state, "Strings", -1); }
void BM_Objects(benchmark::State& state) { RunMicro(state, "Objects", -1); }
BENCHMARK(BM_Fib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Arith)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Strings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Objects)->Unit(benchmark::kMillisecond);

// Arith and Objects at script level, outside any procedure, so every variable is a global:
// a fresh control runs the program through AddCode and gives back `result`.
constexpr const char* kArithGlobals = R"(
s = 0
For i = 1 To 1000000: s = s + (i Mod 7) * 3: Next
result = s
)";

constexpr const char* kObjectsGlobals = R"(
Class Item
  Public Key, Value
End Class
Set d = CreateObject("Scripting.Dictionary")
For i = 1 To 100000
  Set o = New Item
  o.Key = "k" & i
  o.Value = i
  d.Add o.Key, o
Next
result = d.Count + d("k500").Value
)";

void RunScriptLevel(benchmark::State& state, const char* program) {
  double result = 0;
  for (auto _ : state) {
    ScriptControl sc;
    sc.AddCode(program);
    result = std::stod(sc.ToText(sc.Eval("result")));
  }
  state.counters["result"] = result;
}
void BM_ArithGlobals(benchmark::State& state) { RunScriptLevel(state, kArithGlobals); }
void BM_ObjectsGlobals(benchmark::State& state) { RunScriptLevel(state, kObjectsGlobals); }
BENCHMARK(BM_ArithGlobals)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ObjectsGlobals)->Unit(benchmark::kMillisecond);

void BM_CompileScript(benchmark::State& state) {
  const std::string script = ProcessScript();
  for (auto _ : state) {
    ScriptControl sc;
    sc.AddCode(script);
  }
}
BENCHMARK(BM_CompileScript)->Unit(benchmark::kMicrosecond);

}  // namespace
