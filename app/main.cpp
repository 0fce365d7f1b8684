#include <CLI/CLI.hpp>
#include <fmt/core.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/verify.h"
#include "platform/cp1252.h"

namespace {

// Source text is Windows-1252 bytes; terminals expect UTF-8.
void PrintForDisplay(std::FILE* stream, const std::string& bytes) {
  fmt::print(stream, "{}", gildex::cp1252::ToUtf8(bytes));
}

int Verify(const std::vector<std::string>& paths, bool with_procedures) {
  int exit_code = 0;
  for (const std::string& path : paths) {
    gildex::host::VerifyReport report = gildex::host::VerifyProject(path, with_procedures);
    std::string text = gildex::host::FormatVerifyReport(report, with_procedures);
    PrintForDisplay(report.readable ? stdout : stderr, text);
    exit_code = std::max(exit_code, report.ExitCode());
  }
  return exit_code;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"gildex: rewrites the Basic source of Visual Basic 6 projects procedure by procedure"};
  app.require_subcommand(1);
  std::vector<std::string> paths;
  bool with_procedures = false;
  auto* verify = app.add_subcommand("verify", "Load projects and check that every file would be written back unchanged");
  verify->add_option("PROJECT", paths, "a .vbp, .vbg or single module file")->required();
  verify->add_flag("--procedures", with_procedures, "list each procedure with its line range");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int code = app.exit(e);
    return code == 0 ? 0 : 2;  // bad usage
  }
  if (verify->parsed()) return Verify(paths, with_procedures);
  return 2;
}
