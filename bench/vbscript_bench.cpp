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

void BM_CompileScript(benchmark::State& state) {
  const std::string script = ProcessScript();
  for (auto _ : state) {
    ScriptControl sc;
    sc.AddCode(script);
  }
}
BENCHMARK(BM_CompileScript)->Unit(benchmark::kMicrosecond);

}  // namespace
