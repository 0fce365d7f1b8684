#include "platform/process.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/test_files.h"

namespace gildex::platform {
namespace {

namespace fs = std::filesystem;

TEST(Process, RunsAndWaitsReportingExitStatusSignalAndTheEndOfItsOutput) {
  struct Row {
    std::vector<std::string> argv;
    const char* folder;  // under the test's folder; nullptr: this process's
    int exit_code, signal;
    std::string output;
    const char* error = nullptr;  // what ProcessError says, when it cannot start
    std::size_t limit = 1024;
  };
  testing::TempDir dir;
  fs::create_directory(dir / "my 'work'");
  const Row rows[] = {
      {ShellArgv("echo out; echo err >&2; exit 3"), nullptr, 3, 0, "out\nerr\n"},
      // Only the last bytes of a long output; standard input is /dev/null, so a question ends.
      {ShellArgv("printf '0123456789abcdef'; read answer"), nullptr, 1, 0, "9abcdef", nullptr, 7},
      {ShellArgv("basename \"$PWD\""), "my 'work'", 0, 0, "my 'work'\n"},
      {ShellArgv("kill -9 $$"), nullptr, 0, 9, ""},
      {ShellArgv("no-such-program-here"), nullptr, 127, 0, "not found"},  // the shell's own message
      {{(dir / "missing").string()}, nullptr, 0, 0, "", "No such file or directory"},
      {ShellArgv("true"), "gone", 0, 0, "", "cannot enter folder "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.argv.back());
    const ProcessRun run{row.argv, row.folder ? dir / row.folder : fs::path()};
    try {
      const ProcessResult result = RunProcess(run, row.limit);
      EXPECT_LE(result.output.size(), row.limit);
      EXPECT_EQ(row.error, nullptr);
      EXPECT_EQ(result.exit_code, row.exit_code);
      EXPECT_EQ(result.signal, row.signal);
      EXPECT_NE(result.output.find(row.output), std::string::npos) << result.output;
    } catch (const ProcessError& error) {
      ASSERT_NE(row.error, nullptr) << error.what();
      EXPECT_TRUE(std::string(error.what()).starts_with(row.error)) << error.what();
    }
  }
}

TEST(Process, StartsAnExistingProgramDetachedAndRefusesOthers) {
  testing::TempDir dir;
  const fs::path editor = dir.Path() / "my editor";
  const fs::path out = dir.Path() / "opened";
  // The program gets the file as one argument, blanks and quotes kept.
  testing::WriteBytes(editor, "#!/bin/sh\nprintf '%s' \"$1\" > \"$0.tmp\" && mv \"$0.tmp\" '" + out.string() + "'\n");
  const fs::path text = dir.Path() / "plain";
  testing::WriteBytes(text, "not a program");
  ::chmod(editor.c_str(), 0755);
  ::chmod(text.c_str(), 0644);

  for (const auto& [program, exists] : {std::pair{editor, true}, {text, false}, {dir.Path(), false}, {fs::path(), false}})
    EXPECT_EQ(ProgramExists(program.string()), exists) << program;

  StartProgram(editor.string(), {"C:\\My 'Templates'\\Std.hdr"});
  for (int i = 0; i < 500 && !fs::exists(out); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(testing::ReadBytes(out), "C:\\My 'Templates'\\Std.hdr");

  EXPECT_THROW(StartProgram((dir.Path() / "missing").string(), {}), std::runtime_error);
  EXPECT_THROW(StartProgram(text.string(), {}), std::runtime_error);
}

}  // namespace
}  // namespace gildex::platform
