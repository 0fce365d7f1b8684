#include <CLI/CLI.hpp>
#include <fmt/core.h>

#include <string>
#include <vector>

int main(int argc, char** argv) {
  CLI::App app{"gildex: rewrites the Basic source of Visual Basic 6 projects procedure by procedure"};
  app.require_subcommand(1);
  std::vector<std::string> paths;
  auto* verify = app.add_subcommand("verify", "Load projects and check that every file would be written back unchanged");
  verify->add_option("PROJECT", paths, "a .vbp, .vbg or single module file")->required();
  CLI11_PARSE(app, argc, argv);
  fmt::print(stderr, "gildex: verify is not available yet\n");
  return 2;
}
