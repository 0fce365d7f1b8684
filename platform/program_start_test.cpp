#include "platform/program_start.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

#include "platform/test_files.h"

namespace gildex::platform {
namespace {

namespace fs = std::filesystem;

TEST(ProgramStart, StartsAnExistingProgramDetachedAndRefusesOthers) {
  testing::TempDir dir;
  const fs::path editor = dir.Path() / "my editor";
  const fs::path out = dir.Path() / "opened";
  // The program gets the file as one argument, blanks and quotes kept.
  testing::WriteBytes(editor, "#!/bin/sh\nprintf '%s' \"$1\" > \"$0.tmp\" && mv \"$0.tmp\" '" + out.string() + "'\n");
  const fs::path text = dir.Path() / "plain";
  testing::WriteBytes(text, "not a program");
  ::chmod(editor.c_str(), 0755);
  ::chmod(text.c_str(), 0644);

  EXPECT_TRUE(ProgramExists(editor.string()));
  EXPECT_FALSE(ProgramExists(text.string()));
  EXPECT_FALSE(ProgramExists(dir.Path().string()));
  EXPECT_FALSE(ProgramExists(""));

  StartProgram(editor.string(), {"C:\\My 'Templates'\\Std.hdr"});
  for (int i = 0; i < 500 && !fs::exists(out); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(testing::ReadBytes(out), "C:\\My 'Templates'\\Std.hdr");

  EXPECT_THROW(StartProgram((dir.Path() / "missing").string(), {}), std::runtime_error);
  EXPECT_THROW(StartProgram(text.string(), {}), std::runtime_error);
}

}  // namespace
}  // namespace gildex::platform
