#pragma once
// For the tests of app/: one `gildex` command run as main() runs it, with what it printed.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/scope_command.h"
#include "platform/test_files.h"

namespace gildex::app {

struct Ran {
  int code = -1;
  std::string out, err;
  // The last line on standard error: a command's summary.
  std::string Summary() const {
    const std::string lines = err.ends_with('\n') ? err.substr(0, err.size() - 1) : err;
    return lines.substr(lines.rfind('\n') + 1);  // from the start when there is one line
  }
};

// Runs a test from another current folder, as a user in a project's folder would.
class ScopedCwd {
 public:
  explicit ScopedCwd(const std::filesystem::path& dir) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~ScopedCwd() { std::filesystem::current_path(old_); }
  ScopedCwd(const ScopedCwd&) = delete;
  ScopedCwd& operator=(const ScopedCwd&) = delete;

 private:
  std::filesystem::path old_;
};

// `args` without the program name, which the usage must not repeat: it names "gildex".
inline Ran RunGildex(std::vector<std::string> args) {
  args.insert(args.begin(), "/some/where/gildex");
  std::ostringstream out, err;
  const int code = RunCommandLine(args, out, err);
  return {code, out.str(), err.str()};
}

// A scratch folder that holds the run's registry file and add-in list, as a fresh user's.
struct ScratchHome {
  platform::testing::TempDir dir;
  platform::testing::ScopedEnv registry{"GILDEX_REGISTRY", (dir / "registry.reg").string()};
  platform::testing::ScopedEnv windows{"GILDEX_WINDIR", (dir / "windows").string()};
};

// A copy of the folder `from` at `to` that the test may write, whatever modes the originals have.
inline void CopyWritable(const std::filesystem::path& from, const std::filesystem::path& to) {
  namespace fs = std::filesystem;
  fs::create_directories(to.parent_path());
  fs::copy(from, to, fs::copy_options::recursive);
  for (const auto& entry : fs::recursive_directory_iterator(to))
    fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
}

// One command of several run one after another: its arguments after the common ones, its exit
// code, a part of what it said (standard output for 0, else standard error; a refusal prints
// nothing on standard output) and the watched file's bytes afterwards (kNoFile: none; with no
// file watched, not looked at).
struct Step {
  std::vector<std::string> args;
  int code;
  std::string said;
  std::string after = "";
};
inline constexpr const char* kNoFile = "(no file)";

// `whole_out`: standard output of a command that succeeds is `said` exactly.
inline void RunSteps(const std::vector<std::string>& command, const std::filesystem::path& file,
                     const std::vector<Step>& steps, bool whole_out = false) {
  for (const Step& step : steps) {
    std::vector<std::string> args = command;
    args.insert(args.end(), step.args.begin(), step.args.end());
    std::string what;
    for (const std::string& arg : args) what += arg + " ";
    SCOPED_TRACE(what);
    const Ran run = RunGildex(args);
    EXPECT_EQ(run.code, step.code) << run.err;
    if (whole_out && step.code == kDone) {
      EXPECT_EQ(run.out, step.said);
    } else {
      EXPECT_NE((step.code == kDone ? run.out : run.err).find(step.said), std::string::npos) << run.out << run.err;
    }
    EXPECT_TRUE(step.code != kBadInput || run.out.empty()) << run.out;
    EXPECT_EQ((run.out + run.err).find("/some/where"), std::string::npos) << "the usage names gildex";
    if (!file.empty()) {
      EXPECT_EQ(std::filesystem::exists(file) ? platform::testing::ReadBytes(file) : kNoFile, step.after);
    }
  }
}

}  // namespace gildex::app
