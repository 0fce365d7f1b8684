#include "platform/atomic_file.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iterator>
#include <optional>
#include <set>

#include <gtest/gtest.h>

#include "platform/test_files.h"

namespace gildex::platform {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

// A replaced file keeps its mode and (as root) its owner; the temporary files a killed run
// left beside it go, those of running writers and of other files stay.
TEST(AtomicFile, ReplacingKeepsModeAndOwnerAndSweepsOnlyDeadLeftovers) {
  TempDir dir;
  const fs::path file = dir / "Module1.bas";
  WriteBytes(file, "old");
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
  }

  const pid_t dead = ::fork();
  if (dead == 0) ::_exit(0);
  ASSERT_EQ(::waitpid(dead, nullptr, 0), dead);
  const std::string mine = std::to_string(::getpid()), gone = std::to_string(dead);
  const std::set<std::string> kept = {".Module1.bas.gildex-tmp-" + mine + "-aB3xYz",
                                      ".Module2.bas.gildex-tmp-" + gone + "-aB3xYz",
                                      ".Module1.bas.gildex-tmp-x" + gone + "-aB3xYz", "Module1.bas"};
  for (const std::string& name : kept) WriteBytes(dir / name, "x");
  WriteBytes(dir / (".Module1.bas.gildex-tmp-" + gone + "-Qw7rTy"), "left by a killed run");

  WriteFileAtomically(file, "new", 0644, true);
  EXPECT_EQ(ReadBytes(file), "new");
  EXPECT_EQ(Names(dir.Path()), kept);
  struct stat after {};
  ASSERT_EQ(::stat(file.c_str(), &after), 0);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(std::make_pair(after.st_uid, after.st_gid), std::make_pair(uid_t(65534), gid_t(65534)));
  }

  // A name as long as a folder takes leaves no room for a mark after it in the temporary name.
  const fs::path longest = dir / (std::string(251, 'L') + ".bas");
  WriteFileAtomically(longest, "new", 0644, true);
  EXPECT_EQ(ReadBytes(longest), "new");
}

TEST(AtomicFile, AStampTellsWhetherTheFileStillHoldsWhatWasRead) {
  const std::string loaded = "Attribute VB_Name = \"Module1\"\r\nOption Explicit\r\n";
  struct Case {
    std::string what;
    std::function<void(const fs::path&)> change;
    bool same;
  };
  const std::vector<Case> cases = {
      {"untouched", [](const fs::path&) {}, true},
      {"rewritten with the same bytes", [&](const fs::path& f) { WriteBytes(f, loaded); }, true},
      {"one byte changed, same size", [&](const fs::path& f) { WriteBytes(f, "B" + loaded.substr(1)); }, false},
      {"grown", [&](const fs::path& f) { WriteBytes(f, loaded + "'\r\n"); }, false},
      {"removed", [](const fs::path& f) { fs::remove(f); }, false},
      {"replaced by a folder", [](const fs::path& f) { fs::remove(f), fs::create_directory(f); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    WriteBytes(dir / "m.bas", loaded);
    const FileStamp stamp = StampOf(loaded);
    c.change(dir / "m.bas");
    EXPECT_EQ(StillAsStamped(dir / "m.bas", stamp), c.same);
    // Writing over it goes through only when it still holds what was read; otherwise the
    // other program's version stays and nothing of ours is left behind.
    const auto before = fs::is_regular_file(dir / "m.bas") ? std::optional(ReadBytes(dir / "m.bas")) : std::nullopt;
    bool refused = false;
    try {
      WriteFileIfUnchanged(dir / "m.bas", "ours", stamp);
    } catch (const ChangedOnDisk& e) {
      refused = true;
      EXPECT_NE(std::string(e.what()).find("m.bas changed on disk since it was loaded"), std::string::npos) << e.what();
    }
    EXPECT_EQ(refused, !c.same);
    const auto after = fs::is_regular_file(dir / "m.bas") ? std::optional(ReadBytes(dir / "m.bas")) : std::nullopt;
    EXPECT_EQ(after, c.same ? std::optional<std::string>("ours") : before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), c.what == "removed" ? 0 : 1);
  }
}

// A file is read whole; a missing one is nothing; a pipe (a script given as <(...)) is read
// to its writer's end rather than refused as no regular file.
TEST(AtomicFile, ReadsFilesWholeAndPipesToTheirEnd) {
  TempDir dir;
  const std::string bytes = std::string(200000, 'x') + "\r\nEnd\r\n";
  WriteBytes(dir / "m.bas", bytes);
  EXPECT_EQ(ReadWholeFile(dir / "m.bas"), bytes);
  EXPECT_EQ(ReadWholeFile(dir / "missing.bas"), std::nullopt);
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  const pid_t writer = ::fork();
  if (writer == 0) {
    WriteBytes(dir / "pipe", "from the pipe");
    ::_exit(0);
  }
  EXPECT_EQ(ReadWholeFile(dir / "pipe"), "from the pipe");
  ::waitpid(writer, nullptr, 0);
}

}  // namespace
}  // namespace gildex::platform
