#include "platform/program_start.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace gildex::platform {

bool ProgramExists(const std::string& program) {
  struct stat info {};
  return !program.empty() && ::stat(program.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::access(program.c_str(), X_OK) == 0;
}

void StartProgram(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  // The program's exec failure comes back through a pipe that a successful exec closes.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) throw std::runtime_error("Cannot start " + program + ": " + std::strerror(errno));
  // The grandchild runs the program; the child ends at once and is reaped here, so the
  // program is nobody's zombie and nothing waits for it.
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(report[0]);
    ::close(report[1]);
    throw std::runtime_error("Cannot start " + program + ": " + std::strerror(errno));
  }
  if (child == 0) {
    // Only async-signal-safe calls between fork and exec.
    ::close(report[0]);
    ::setsid();
    const pid_t started = ::fork();
    if (started != 0) ::_exit(started < 0 ? 1 : 0);
    const int null_fd = ::open("/dev/null", O_RDONLY);
    if (null_fd >= 0) ::dup2(null_fd, 0);
    ::execv(program.c_str(), argv.data());
    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(report[1], &error, sizeof error);
    ::_exit(127);
  }
  ::close(report[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t got = 0;
  do got = ::read(report[0], &error, sizeof error);
  while (got < 0 && errno == EINTR);
  ::close(report[0]);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error("Cannot start " + program + ": the process could not be made");
  if (got == static_cast<ssize_t>(sizeof error))
    throw std::runtime_error("Cannot start " + program + ": " + std::strerror(error));
}

}  // namespace gildex::platform
