#include "platform/process.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace gildex::platform {

namespace {

std::string Reason(const char* what, int error) { return std::string(what) + ": " + std::strerror(error); }

// What the child could not do, sent back through a pipe that a successful exec closes.
struct ChildFailure {
  enum Stage : int { None, Folder, Exec } stage = None;
  int error = 0;
};

void CloseBoth(const int fds[2]) {
  ::close(fds[0]);
  ::close(fds[1]);
}

void WaitFor(pid_t pid, int& status) {
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

// Throws the child's failure, if it reported one, once its end of the pipe is closed.
void ThrowChildFailure(int report_fd, const ProcessRun& run) {
  ChildFailure failure;
  ssize_t got = 0;
  do got = ::read(report_fd, &failure, sizeof failure);
  while (got < 0 && errno == EINTR);
  ::close(report_fd);
  if (got != static_cast<ssize_t>(sizeof failure)) return;
  if (failure.stage == ChildFailure::Folder)
    throw ProcessError("cannot enter folder " + run.folder.string() + ": " + std::strerror(failure.error));
  throw ProcessError(std::strerror(failure.error));
}

// The forked child's part: only async-signal-safe calls from here to exec.
[[noreturn]] void Exec(char* const* argv, const char* folder, int output_fd, int report_fd) {
  const int null_fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (null_fd >= 0) ::dup2(null_fd, 0);
  if (output_fd >= 0) {
    ::dup2(output_fd, 1);
    ::dup2(output_fd, 2);
  }
  ChildFailure failure;
  if (folder[0] != '\0' && ::chdir(folder) != 0) {
    failure = {ChildFailure::Folder, errno};
  } else {
    ::execv(argv[0], argv);
    failure = {ChildFailure::Exec, errno};
  }
  [[maybe_unused]] const ssize_t written = ::write(report_fd, &failure, sizeof failure);
  ::_exit(127);
}

struct Argv {
  explicit Argv(const ProcessRun& run) : folder(run.folder.string()) {
    if (run.argv.empty()) throw ProcessError("no program given");
    for (const std::string& argument : run.argv) pointers.push_back(const_cast<char*>(argument.c_str()));
    pointers.push_back(nullptr);
  }
  std::vector<char*> pointers;
  std::string folder;
};

}  // namespace

std::vector<std::string> ShellArgv(const std::string& command) { return {"/bin/sh", "-c", command}; }

ProcessResult RunProcess(const ProcessRun& run, std::size_t output_limit) {
  const Argv argv(run);
  const bool capture = output_limit > 0;
  int report[2], output[2] = {-1, -1};
  if (::pipe2(report, O_CLOEXEC) != 0) throw ProcessError(Reason("pipe", errno));
  if (capture && ::pipe2(output, O_CLOEXEC) != 0) {
    const int error = errno;
    CloseBoth(report);
    throw ProcessError(Reason("pipe", error));
  }
  const pid_t pid = ::fork();
  if (pid < 0) {
    const int error = errno;
    CloseBoth(report);
    if (capture) CloseBoth(output);
    throw ProcessError(Reason("fork", error));
  }
  if (pid == 0) Exec(argv.pointers.data(), argv.folder.c_str(), output[1], report[1]);
  ::close(report[1]);
  ProcessResult result;
  if (capture) {
    ::close(output[1]);
    char buffer[4096];
    for (;;) {
      const ssize_t n = ::read(output[0], buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      result.output.append(buffer, static_cast<std::size_t>(n));
      if (result.output.size() > 2 * output_limit) result.output.erase(0, result.output.size() - output_limit);
    }
    ::close(output[0]);
    if (result.output.size() > output_limit) result.output.erase(0, result.output.size() - output_limit);
  }
  int status = 0;
  WaitFor(pid, status);
  ThrowChildFailure(report[0], run);
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

void StartProcess(const ProcessRun& run) {
  const Argv argv(run);
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) throw ProcessError(Reason("pipe", errno));
  // The grandchild runs the program; the child that made it ends at once and is reaped here,
  // so the program is nobody's zombie and nothing waits for it.
  const pid_t child = ::fork();
  if (child < 0) {
    const int error = errno;
    CloseBoth(report);
    throw ProcessError(Reason("fork", error));
  }
  if (child == 0) {
    ::close(report[0]);
    ::setsid();
    const pid_t started = ::fork();
    if (started != 0) ::_exit(started < 0 ? 1 : 0);
    Exec(argv.pointers.data(), argv.folder.c_str(), -1, report[1]);
  }
  ::close(report[1]);
  int status = 0;
  WaitFor(child, status);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    ::close(report[0]);
    throw ProcessError("the process could not be made");
  }
  ThrowChildFailure(report[0], run);
}

bool ProgramExists(const std::string& program) {
  struct stat info {};
  return !program.empty() && ::stat(program.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::access(program.c_str(), X_OK) == 0;
}

void StartProgram(const std::string& program, const std::vector<std::string>& arguments) {
  ProcessRun run{{program}, {}};
  run.argv.insert(run.argv.end(), arguments.begin(), arguments.end());
  try {
    StartProcess(run);
  } catch (const ProcessError& error) {
    throw std::runtime_error("Cannot start " + program + ": " + error.what());
  }
}

}  // namespace gildex::platform
