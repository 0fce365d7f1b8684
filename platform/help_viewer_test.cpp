#include "platform/help_viewer.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/test_files.h"

namespace gildex::platform {
namespace {

TEST(ShellHelpViewer, RunsTheConfiguredCommandOnTheFileAndSaysWhyItCannot) {
  testing::TempDir dir;
  const std::filesystem::path out = dir.Path() / "opened";
  struct Case {
    std::string command;
    std::string error;  // empty: opens
  };
  const std::vector<Case> cases = {
      {"printf '%s' {file} > '" + out.string() + "'", ""},
      {"exit 3", "the help viewer failed (exit code 3): exit 3"},
      {"", "no help viewer is configured"},
  };
  // A name the shell would split or unquote if the viewer got it bare.
  const std::filesystem::path help = dir.Path() / "it's $HOME; help.hlp";
  for (const Case& c : cases) {
    ShellHelpViewer viewer(c.command);
    EXPECT_EQ(viewer.Configured(), !c.command.empty()) << c.command;
    if (c.error.empty()) {
      viewer.Open(help);
      EXPECT_EQ(testing::ReadBytes(out), help.string());
    } else {
      try {
        viewer.Open(help);
        ADD_FAILURE() << c.command << " opened";
      } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), c.error);
      }
    }
  }
}

}  // namespace
}  // namespace gildex::platform
