#include "platform/project_lock.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/test_files.h"

namespace gildex::platform {
namespace {

using namespace std::chrono_literals;

// A second run waits, then names the holder; a holder killed with SIGKILL leaves the
// project free; a finished run leaves no lock file behind.
TEST(ProjectLock, OneRunAtATimeAndAKilledRunHoldsNothing) {
  testing::TempDir dir;
  const auto project = dir / "Orders.vbp";
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t holder = ::fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    ProjectLock lock(project);
    const bool locked = lock.Take(0ms) == ProjectLock::Outcome::Locked;
    if (::write(ready[1], locked ? "y" : "n", 1) != 1 || !locked) ::_exit(1);
    ::pause();
    ::_exit(0);
  }
  char answer = 0;
  ASSERT_EQ(::read(ready[0], &answer, 1), 1);
  ASSERT_EQ(answer, 'y');

  {
    ProjectLock second(project);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(second.Take(300ms), ProjectLock::Outcome::Busy);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
    EXPECT_TRUE(second.Holder().starts_with("process " + std::to_string(holder) + ", started 20")) << second.Holder();
    EXPECT_TRUE(second.Holder().ends_with(" UTC")) << second.Holder();
  }

  ::kill(holder, SIGKILL);
  ASSERT_EQ(::waitpid(holder, nullptr, 0), holder);
  {
    ProjectLock third(project);
    EXPECT_EQ(third.Take(0ms), ProjectLock::Outcome::Locked);
    EXPECT_EQ(testing::ReadBytes(third.File()).substr(0, std::to_string(::getpid()).size() + 1),
              std::to_string(::getpid()) + "\n");
  }
  EXPECT_FALSE(std::filesystem::exists(dir / ".Orders.vbp.gildex-lock"));
  ::close(ready[0]);
  ::close(ready[1]);
}

}  // namespace
}  // namespace gildex::platform
