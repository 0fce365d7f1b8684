#include "platform/project_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <thread>

#include <fmt/core.h>

#include "platform/atomic_file.h"

namespace gildex::platform {
namespace fs = std::filesystem;
namespace {

std::string UtcNow() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  ::gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
  return text;
}

// What the holder wrote: "PID\nSTARTED\n".
std::string DescribeHolder(const fs::path& file) {
  std::optional<std::string> text;
  try {
    text = ReadWholeFile(file);
  } catch (const std::runtime_error&) {
  }
  const std::size_t newline = text ? text->find('\n') : std::string::npos;
  if (newline == std::string::npos || newline == 0) return "a run that has not said which";
  std::string started = text->substr(newline + 1);
  while (!started.empty() && (started.back() == '\n' || started.back() == '\r')) started.pop_back();
  return fmt::format("process {}, started {}", text->substr(0, newline), started);
}

}  // namespace

ProjectLock::ProjectLock(fs::path project)
    : file_(project.parent_path() / ("." + project.filename().string() + ".gildex-lock")) {}

ProjectLock::~ProjectLock() {
  if (fd_ < 0) return;
  // Removed while still held: a run waiting on this file finds it gone and makes a new one.
  ::unlink(file_.c_str());
  ::close(fd_);
}

ProjectLock::Outcome ProjectLock::Take(std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    const int fd = ::open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
      // A missing folder is for the load to report; a read-only one takes no writes either.
      if (errno == ENOENT || errno == ENOTDIR || errno == EACCES || errno == EROFS || errno == EPERM)
        return Outcome::Unavailable;
      throw std::runtime_error(fmt::format("cannot open the lock file {}: {}", file_.string(), std::strerror(errno)));
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      // The holder before us may have removed the file between our open and our lock.
      struct stat held {}, now {};
      if (::fstat(fd, &held) == 0 && ::stat(file_.c_str(), &now) == 0 && held.st_ino == now.st_ino &&
          held.st_dev == now.st_dev) {
        fd_ = fd;
        const std::string who = fmt::format("{}\n{}\n", ::getpid(), UtcNow());
        if (::ftruncate(fd_, 0) != 0 || ::pwrite(fd_, who.data(), who.size(), 0) != static_cast<ssize_t>(who.size())) {
          // The lock holds all the same; a waiting run just cannot say who holds it.
        }
        return Outcome::Locked;
      }
      ::close(fd);
      continue;
    }
    const int error = errno;
    ::close(fd);
    if (error != EWOULDBLOCK && error != EINTR)
      throw std::runtime_error(fmt::format("cannot lock {}: {}", file_.string(), std::strerror(error)));
    if (std::chrono::steady_clock::now() >= deadline) {
      holder_ = DescribeHolder(file_);
      return Outcome::Busy;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

}  // namespace gildex::platform
