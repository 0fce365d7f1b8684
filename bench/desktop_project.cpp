// How gildex-ide copes with a very large project: the time to open it, the time to insert
// error handling into all of it through the add-in's own project menu entry, and the longest
// time the event loop went without turning meanwhile (a window that does not repaint or take
// Cancel for that long). The same open and insert through session::Session, without Qt and
// without any window, is the floor measured beside it in the same run (after one more such
// run that warms the process up).
//
//   desktop_project [--lines N] [--seed S] [--project FILE.vbp] [--template NAME] [--set NAME=VALUE]...
//
// Without --project, bench/generate_project.py writes the project once into a cache folder
// under $TMPDIR that later runs reuse. Both runs work on copies of their own in a scratch
// folder, with a registry and an add-in list of their own; nothing is saved.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "desktop/event_pump.h"
#include "desktop/main_window.h"
#include "desktop/progress_window.h"
#include "platform/dialogs.h"
#include "session/session.h"
#include "workbench/workbench.h"

namespace fs = std::filesystem;
using namespace gildex;

namespace {

constexpr const char* kProjectBar = "Project Window Project";
constexpr const char* kInsertTag = "Gildex_Insert";

struct Options {
  long lines = 1000000;
  long seed = 1;
  fs::path project;
  session::Overrides overrides{{}, "Standard", {}};
};

[[noreturn]] void Usage(const std::string& problem) {
  std::cerr << "desktop_project: " << problem
            << "\nusage: desktop_project [--lines N] [--seed S] [--project FILE.vbp] [--template NAME] "
               "[--set NAME=VALUE]...\n";
  std::exit(2);
}

Options Parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) Usage(arg + " wants a value");
    const std::string value = argv[++i];
    try {
      if (arg == "--lines")
        options.lines = std::stol(value);
      else if (arg == "--seed")
        options.seed = std::stol(value);
      else if (arg == "--project")
        options.project = fs::absolute(value);
      else if (arg == "--template")
        options.overrides.template_name = value;
      else if (arg == "--set")
        options.overrides.settings.emplace_back(value.substr(0, value.find('=')),
                                                value.find('=') == std::string::npos ? "" : value.substr(value.find('=') + 1));
      else
        Usage("unknown option " + arg);
    } catch (const std::logic_error&) {
      Usage(arg + " wants a number, not " + value);
    }
  }
  return options;
}

std::string Quoted(const fs::path& path) {
  std::string quoted = "'";
  for (char c : path.string()) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The generated project, made once per size and seed.
fs::path GeneratedProject(const Options& options) {
  const char* tmp = std::getenv("TMPDIR");
  const fs::path folder = fs::path(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") / "gildex-desktop-bench-cache" /
                          ("lines-" + std::to_string(options.lines) + "-seed-" + std::to_string(options.seed));
  const fs::path project = folder / "Big.vbp";
  if (fs::exists(project)) return project;
  std::cout << "generating " << options.lines << " lines into " << folder.string() << " ..." << std::endl;
  fs::remove_all(folder);
  const std::string command = "python3 " + Quoted(fs::path(GILDEX_SOURCE_DIR) / "bench" / "generate_project.py") +
                              " " + Quoted(folder) + " --lines " + std::to_string(options.lines) + " --seed " +
                              std::to_string(options.seed);
  if (std::system(command.c_str()) != 0 || !fs::exists(project)) {
    fs::remove_all(folder);
    std::cerr << "desktop_project: generating the project failed\n";
    std::exit(1);
  }
  return project;
}

long CountLines(const fs::path& folder, long& files) {
  long lines = 0;
  files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    std::FILE* file = std::fopen(entry.path().c_str(), "rb");
    if (file == nullptr) continue;
    for (int c; (c = std::fgetc(file)) != EOF;) lines += c == '\n';
    std::fclose(file);
  }
  return lines;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Every component's code by project and name: the two runs must end with the same text.
std::map<std::string, std::string> Texts(host::MemoryVBE& vbe) {
  std::map<std::string, std::string> texts;
  for (host::MemoryProject* project : vbe.Projects())
    for (host::MemoryComponent* component : project->Components())
      if (component->MemoryCode() != nullptr)
        texts[project->Name() + "." + component->Name()] = component->MemoryCode()->Text();
  return texts;
}

// A timer that should fire every 5 ms: the longest gap between two of its ticks (or between
// the last tick and Stop) is the longest the event loop stood still. `where` names what was
// being done at a tick.
class StallMeter {
 public:
  explicit StallMeter(std::function<std::string()> where) : where_(std::move(where)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    timer_.setTimerType(Qt::PreciseTimer);
  }
  void Start() {
    longest_ = longest_cpu_ = 0;
    last_cpu_ = ThreadCpu();
    before_ = after_ = {};
    last_where_ = where_();
    clock_.start();
    last_ = 0;
    timer_.start(5);
  }
  void Stop() {
    Tick("(the end of the step)");
    timer_.stop();
  }
  double LongestMs() const { return static_cast<double>(longest_) / 1e6; }
  // The CPU time this thread had during that gap: far less than the gap means the machine
  // ran other programs meanwhile.
  double LongestCpuMs() const { return static_cast<double>(longest_cpu_) / 1e6; }
  std::string Where() const {
    return before_ == after_ ? before_ : "from " + before_ + " to " + after_;
  }

 private:
  void Tick(std::string now_where = {}) {
    const qint64 now = clock_.nsecsElapsed();
    const qint64 cpu = ThreadCpu();
    if (now_where.empty()) now_where = where_();
    if (now - last_ > longest_) {
      longest_ = now - last_;
      longest_cpu_ = cpu - last_cpu_;
      before_ = last_where_;
      after_ = now_where;
    }
    last_ = now;
    last_cpu_ = cpu;
    last_where_ = std::move(now_where);
  }

  std::function<std::string()> where_;
  QTimer timer_;
  QElapsedTimer clock_;
  static qint64 ThreadCpu() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<qint64>(now.tv_sec) * 1000000000 + now.tv_nsec;
  }

  qint64 last_ = 0, longest_ = 0, last_cpu_ = 0, longest_cpu_ = 0;
  std::string before_, after_, last_where_;
};

struct Figures {
  double open = 0, insert = 0;
  std::string message;
  std::map<std::string, std::string> texts;
};

// The floor: the same open and insert in a session of its own, no window, no event loop.
Figures RunSession(const fs::path& project, const session::Overrides& overrides) {
  platform::ScriptedDialogs dialogs;
  session::PlatformContext context(dialogs);
  session::Session session(context);
  Figures figures;
  auto start = std::chrono::steady_clock::now();
  if (const std::string problem = session.Open(project, true); !problem.empty()) Usage("cannot open: " + problem);
  figures.open = Seconds(start);
  for (const Problem& problem : {session.ConnectAddIn(ext_cm_CommandLine, false, nullptr),
                                 session.ApplyOverrides(overrides, false),
                                 session.Select(session::ScopeAction::Insert, {})})
    if (!problem.empty()) Usage(problem.what);
  start = std::chrono::steady_clock::now();
  const session::CommandOutcome outcome = session.Run();
  figures.insert = Seconds(start);
  if (!outcome.messages.empty()) figures.message = outcome.messages.back();
  figures.texts = Texts(session.Vbe());
  session.Disconnect();
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = Parse(argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("GILDEX_HOME", GILDEX_SOURCE_DIR "/data", 0);
  const fs::path pristine = options.project.empty() ? GeneratedProject(options) : options.project;
  if (!fs::is_regular_file(pristine)) Usage("no project " + pristine.string());

  // Settings and an add-in list of our own: the user's are neither read nor changed.
  char scratch_name[] = "/tmp/gildex-desktop-bench-XXXXXX";
  if (mkdtemp(scratch_name) == nullptr) Usage("cannot make a scratch folder");
  const fs::path scratch = scratch_name;
  setenv("GILDEX_REGISTRY", (scratch / "registry.reg").c_str(), 1);
  setenv("GILDEX_WINDIR", (scratch / "windows").c_str(), 1);
  for (const char* copy : {"warm-up", "floor", "desktop"})
    fs::copy(pristine.parent_path(), scratch / copy, fs::copy_options::recursive);
  long files = 0;
  const long lines = CountLines(scratch / "floor", files);
  std::cout << "project: " << pristine.string() << ", " << lines << " lines in " << files << " files\n"
            << "template: " << options.overrides.template_name;
  for (const auto& [name, value] : options.overrides.settings) std::cout << ", --set " << name << "=" << value;
  std::cout << std::endl;

  // The first run in a process also pays for growing the heap: it is not measured.
  RunSession(scratch / "warm-up" / pristine.filename(), options.overrides);
  const Figures floor = RunSession(scratch / "floor" / pristine.filename(), options.overrides);

  QApplication app(argc, argv);
  platform::ScriptedDialogs dialogs;
  workbench::Workbench bench(dialogs, false, desktop::EventPump());
  bench.SetAddInWindows({desktop::ProgressWindowFactory(), {}});
  desktop::MainWindow window(bench, dialogs);
  window.ConnectAddIn();
  window.show();
  QApplication::processEvents();

  StallMeter meter([&]() -> std::string {
    if (!bench.HasProject()) return "opening the project";
    if (!bench.AddInConnected() || !bench.Session().Shared().HasMessages()) return "(no command running)";
    return '"' + bench.Session().Shared().Messages().MessageText() + '"';
  });
  Figures desk;
  meter.Start();
  auto start = std::chrono::steady_clock::now();
  if (!window.OpenProject(scratch / "desktop" / pristine.filename())) Usage("gildex-ide did not open the project");
  desk.open = Seconds(start);
  meter.Stop();
  const double open_stall = meter.LongestMs(), open_stall_cpu = meter.LongestCpuMs();
  const std::string open_where = meter.Where();
  start = std::chrono::steady_clock::now();
  window.Refresh();
  const double redraw = Seconds(start);

  if (const Problem problem = bench.Session().ApplyOverrides(options.overrides, false); !problem.empty())
    Usage(problem.what);
  host::CommandBar* bar = bench.Vbe().Bars().Find(kProjectBar);
  int index = -1;
  for (std::size_t i = 0; bar != nullptr && i < bar->controls.size(); ++i)
    if (bar->controls[i]->tag == kInsertTag && bar->controls[i]->visible) index = static_cast<int>(i);
  if (index < 0) Usage(std::string("no ") + kInsertTag + " entry on the \"" + kProjectBar + "\" bar");
  meter.Start();
  start = std::chrono::steady_clock::now();
  window.Bars().Click(kProjectBar, {index});
  desk.insert = Seconds(start);
  meter.Stop();
  if (auto* message = [] {
        for (QWidget* top : QApplication::topLevelWidgets())
          if (top->objectName() == "frmMessages" && top->isVisible()) return top->findChild<QLabel*>("lblMessage");
        return static_cast<QLabel*>(nullptr);
      }())
    desk.message = message->text().toStdString();
  desk.texts = Texts(bench.Vbe());

  std::printf("\n%-28s %10s %10s\n", "", "open", "insert");
  std::printf("%-28s %9.2fs %9.2fs\n", "session::Session (floor)", floor.open, floor.insert);
  std::printf("%-28s %9.2fs %9.2fs\n", "gildex-ide", desk.open, desk.insert);
  std::printf("%-28s %9.2fx %9.2fx\n", "ratio", desk.open / floor.open, desk.insert / floor.insert);
  std::printf("\nredrawing the main window over the open project: %.3fs\n", redraw);
  std::printf("longest event-loop stall while opening:   %7.1f ms (%.1f ms of it on the CPU), %s\n", open_stall,
              open_stall_cpu, open_where.c_str());
  std::printf("longest event-loop stall while inserting: %7.1f ms (%.1f ms of it on the CPU), %s\n", meter.LongestMs(),
              meter.LongestCpuMs(), meter.Where().c_str());
  std::printf("final message: floor \"%s\", progress window \"%s\"\n", floor.message.c_str(), desk.message.c_str());
  std::printf("same code in every component: %s\n", floor.texts == desk.texts ? "yes" : "NO");
  for (const platform::MessageBox& box : dialogs.Asked()) std::printf("box asked: %s\n", box.prompt.c_str());
  dialogs.Answer(platform::vbNo);  // nothing is saved
  bench.Close();
  fs::remove_all(scratch);
  return floor.texts == desk.texts ? 0 : 1;
}
