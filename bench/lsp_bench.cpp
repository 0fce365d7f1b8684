// The language server while a user types: a thousand didChange messages, each one character
// typed into a 10,000-line module (400 procedures, most without error handling), each followed
// at once by the diagnostics refresh the server would send when the typing pauses (the worst
// case: no change is ever debounced away). Counters: the refresh's median, 99th percentile and
// largest time in milliseconds, the didChange message's own handling, and beside them the floor
// measured in the same run: parsing the same JSON message and splitting the module into lines.
// Each is timed twice: on the wall clock, and as the thread's CPU time (which the load of a
// shared machine moves far less).
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "lsp/protocol.h"
#include "lsp/server.h"
#include "platform/test_files.h"
#include "session/sample_project_test.h"

namespace {

using Json = nlohmann::json;
using Clock = std::chrono::steady_clock;

constexpr int kProcedures = 400, kBodyLines = 22, kChanges = 1000;

// A module of 10,000 lines (CR LF); every fifth procedure has its own handler.
std::string BigModule() {
  std::string text = "Attribute VB_Name = \"modBig\"\r\nOption Explicit\r\n\r\n";
  for (int p = 0; p < kProcedures; ++p) {
    text += "Public Function Work" + std::to_string(p) + "(ByVal n As Long) As Long\r\n";
    if (p % 5 == 0) text += "    On Error GoTo Failed\r\n";
    for (int i = 0; i < kBodyLines - (p % 5 == 0 ? 3 : 0); ++i)
      text += "    Work" + std::to_string(p) + " = Work" + std::to_string(p) + " + n * " + std::to_string(i) + "\r\n";
    if (p % 5 == 0) text += "    Exit Function\r\nFailed:\r\n";
    text += "End Function\r\n\r\n";
  }
  return text;
}

// A stopwatch of the wall clock and of this thread's CPU time, in milliseconds.
struct Stopwatch {
  static double Cpu() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
  }
  void Stop(std::vector<double>& wall_ms, std::vector<double>& cpu_ms) const {
    wall_ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - wall).count());
    cpu_ms.push_back(Cpu() - cpu);
  }
  Clock::time_point wall = Clock::now();
  double cpu = Cpu();
};

void Report(benchmark::State& state, const std::string& name, std::vector<double> times) {
  std::sort(times.begin(), times.end());
  state.counters[name + "_median_ms"] = times[times.size() / 2];
  state.counters[name + "_p99_ms"] = times[times.size() * 99 / 100];
  state.counters[name + "_max_ms"] = times.back();
}

void BM_DiagnosticsWhileTyping(benchmark::State& state) {
  gildex::testing::SampleProject sample;
  gildex::platform::testing::ScopedEnv home{"GILDEX_HOME", std::string(GILDEX_SOURCE_DIR) + "/data"};
  {
    std::ostringstream said;
    gildex::platform::UnattendedDialogs dialogs(said);
    gildex::session::PlatformContext context(dialogs);
    context.Engine().DefaultTemplate("Standard");
    context.Engine().SaveSettings();
  }
  const std::filesystem::path file = sample.dir / "modBig.bas";
  const std::string text = BigModule();
  gildex::platform::testing::WriteBytes(file, text);
  const std::string uri = gildex::lsp::UriOfPath(file);
  std::vector<double> refresh, change, floor, refresh_cpu, change_cpu, floor_cpu;
  std::size_t hints = 0;
  for (auto _ : state) {
    std::ostringstream log;
    gildex::lsp::Server server(log);
    server.send = [&](const Json& message) {
      if (message.value("method", "") == "textDocument/publishDiagnostics")
        hints = message["params"]["diagnostics"].size();
    };
    server.Handle(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}})");
    server.Handle(Json({{"jsonrpc", "2.0"},
                        {"method", "textDocument/didOpen"},
                        {"params", {{"textDocument", {{"uri", uri}, {"languageId", "vb"}, {"version", 1}, {"text", text}}}}}})
                      .dump());
    server.PublishDiagnostics();
    std::string mirror = text;
    for (int n = 0; n < kChanges; ++n) {
      // One character typed at the end of a body line, moving through the module.
      const int procedure = (n * 7) % kProcedures;
      const std::size_t line = 3 + static_cast<std::size_t>(procedure) * (kBodyLines + 3) + 2;
      const Json at = {{"line", line}, {"character", 200}};
      const std::string message =
          Json({{"jsonrpc", "2.0"},
                {"method", "textDocument/didChange"},
                {"params",
                 {{"textDocument", {{"uri", uri}, {"version", n + 2}}},
                  {"contentChanges", {{{"range", {{"start", at}, {"end", at}}}, {"text", n % 10 == 9 ? "\r\n" : "x"}}}}}}})
              .dump();
      Stopwatch watch;
      server.Handle(message);
      watch.Stop(change, change_cpu);
      watch = {};
      server.PublishDiagnostics();
      watch.Stop(refresh, refresh_cpu);
      // The floor: the message parsed, the module split into its lines.
      watch = {};
      const Json parsed = Json::parse(message);
      mirror += parsed["params"]["contentChanges"][0]["text"].get<std::string>();
      std::vector<std::string_view> lines;
      for (std::size_t from = 0, to; from < mirror.size(); from = to + 2) {
        to = std::min(mirror.find("\r\n", from), mirror.size());
        lines.push_back(std::string_view(mirror).substr(from, to - from));
      }
      benchmark::DoNotOptimize(lines.data());
      watch.Stop(floor, floor_cpu);
    }
  }
  if (hints == 0) state.SkipWithError("no diagnostics: the insert found nothing to treat");
  state.counters["hints"] = static_cast<double>(hints);
  Report(state, "refresh", refresh);
  Report(state, "refresh_cpu", refresh_cpu);
  Report(state, "didChange", change);
  Report(state, "didChange_cpu", change_cpu);
  Report(state, "floor", floor);
  Report(state, "floor_cpu", floor_cpu);
}
BENCHMARK(BM_DiagnosticsWhileTyping)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
