// A long scripted session that opens the sample project again and again, as a user reopening
// it all day: the time one open takes, beside a session of a single open (the floor), and what
// the process keeps for each open (the growth of its peak memory over the session, divided by
// the opens; the floor runs first, so the session of many opens is measured above its peak). An
// open that lets go of the project before it keeps nothing.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <sstream>
#include <string>

#include "platform/test_files.h"
#include "session/sample_project_test.h"
#include "session/session_script.h"

namespace {

double PeakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss);
}

void BM_SessionOpensProjectAgain(benchmark::State& state) {
  gildex::testing::SampleProject sample;
  gildex::platform::testing::ScopedEnv home{"GILDEX_HOME", std::string(GILDEX_SOURCE_DIR) + "/data"};
  const long opens = state.range(0);
  std::string script;
  for (long i = 0; i < opens; ++i) script += "open Orders.vbp\n";
  const std::filesystem::path file = sample.dir / "Sample" / "reopen.session";
  gildex::platform::testing::WriteBytes(file, script);
  double kept = 0, ms = 0;
  for (auto _ : state) {
    const double before = PeakKiB();
    const auto start = std::chrono::steady_clock::now();
    std::ostringstream record;
    std::string problem;
    const auto steps = gildex::session::ParseSessionScript(script, problem);
    const auto word = [](const gildex::Problem& p) { return p.what; };
    if (!steps || gildex::session::RunSessionScript(*steps, file.parent_path(), record, word) != 0)
      state.SkipWithError(problem.empty() ? record.str().c_str() : problem.c_str());
    ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    kept = PeakKiB() - before;
  }
  state.counters["ms_per_open"] = ms / static_cast<double>(opens);
  state.counters["kept_KiB_per_open"] = kept / static_cast<double>(opens);
}
BENCHMARK(BM_SessionOpensProjectAgain)->Arg(1)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
