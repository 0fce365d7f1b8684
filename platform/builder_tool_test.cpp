#include "platform/builder_tool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "platform/test_files.h"

namespace gildex::platform {
namespace {

namespace fs = std::filesystem;

// The tool runs detached: its output file is waited for, not its exit.
std::optional<std::string> AwaitFile(const fs::path& file) {
  for (int i = 0; i < 500; ++i) {
    if (fs::exists(file)) return testing::ReadBytes(file);  // moved into place whole
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return std::nullopt;
}

TEST(BuilderTool, StartsTheConfiguredCommandInTheProjectFolderOrSaysNoneIsConfigured) {
  struct Row {
    std::optional<std::string> command;
    BuilderStart::Status status;
    const char* wrote;  // what the tool left in tool.out; nullptr: nothing
  };
  const Row rows[] = {
      {std::nullopt, BuilderStart::NotConfigured, nullptr},
      {"  ", BuilderStart::NotConfigured, nullptr},
      // Quoted paths survive a blank and a quote; the working folder is the project's.
      {"printf '%s|%s|%s' {project} {output} \"$(basename \"$PWD\")\" > tool.tmp && mv tool.tmp tool.out",
       BuilderStart::Started, "/My 'Orders'/Orders.vbp|C:\\Out\\Orders.exe|My 'Orders'"},
  };
  for (const Row& row : rows) {
    testing::TempDir dir;
    const fs::path folder = dir.Path() / "My 'Orders'";
    fs::create_directories(folder);
    FakeEnvironment env;
    if (row.command) env.Set(kBuilderCommandVariable, *row.command);
    const BuilderStart started = StartBuilderTool(env, folder / "Orders.vbp", "C:\\Out\\Orders.exe");
    EXPECT_EQ(started.status, row.status);
    if (row.wrote == nullptr) {
      EXPECT_NE(started.message.find("GILDEX_BUILDER_COMMAND"), std::string::npos) << started.message;
      continue;
    }
    const std::optional<std::string> out = AwaitFile(folder / "tool.out");
    ASSERT_TRUE(out.has_value()) << "the tool never ran";
    EXPECT_EQ(out->substr(out->find("/My")), row.wrote);
  }
}

}  // namespace
}  // namespace gildex::platform
