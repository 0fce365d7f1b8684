#pragma once
// For the tests of app/: one `gildex` command run as main() runs it, with what it printed.
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace gildex::app {

struct Ran {
  int code = -1;
  std::string out, err;
  // The last line on standard error: a command's summary.
  std::string Summary() const {
    const std::size_t end = err.rfind('\n');
    const std::size_t start = end == std::string::npos || end == 0 ? std::string::npos : err.rfind('\n', end - 1);
    return err.substr(start == std::string::npos ? 0 : start + 1,
                      end == std::string::npos ? std::string::npos : end - (start == std::string::npos ? 0 : start + 1));
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

// `args` without the program name.
inline Ran RunGildex(std::vector<std::string> args) {
  args.insert(args.begin(), "gildex");
  std::ostringstream out, err;
  const int code = RunCommandLine(args, out, err);
  return {code, out.str(), err.str()};
}

}  // namespace gildex::app
