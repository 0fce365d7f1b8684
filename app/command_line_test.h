#pragma once
// For the tests of app/: one `gildex` command run as main() runs it, with what it printed.
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

// `args` without the program name.
inline Ran RunGildex(std::vector<std::string> args) {
  args.insert(args.begin(), "gildex");
  std::ostringstream out, err;
  const int code = RunCommandLine(args, out, err);
  return {code, out.str(), err.str()};
}

}  // namespace gildex::app
