#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include <fmt/core.h>

namespace gildex::platform {
namespace fs = std::filesystem;
namespace {

std::string Reason() { return std::strerror(errno); }

[[noreturn]] void Fail(const std::string& what, const fs::path& file, const std::string& reason) {
  throw std::runtime_error(fmt::format("cannot {} {}: {}", what, file.string(), reason));
}

fs::path ResolveLink(const fs::path& file) {
  std::error_code ec;
  fs::path target = file;
  for (int hops = 0; hops < 40 && fs::is_symlink(target, ec); ++hops) {
    const fs::path link = fs::read_symlink(target, ec);
    if (ec) break;
    target = link.is_absolute() ? link : target.parent_path() / link;
  }
  return target;
}

void WriteAll(int fd, const std::string& bytes, const fs::path& temp) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail("write", temp, Reason());
    done += static_cast<std::size_t>(n);
  }
}

// The folder entry of the rename must reach the disk too, or a crash may bring back the old file.
void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

void CreateParents(const fs::path& file) {
  const fs::path parent = file.parent_path();
  if (parent.empty()) return;
  std::error_code ec;
  fs::create_directories(parent, ec);
  if (ec) Fail("create the folder", parent, ec.message());
}

}  // namespace

std::optional<std::string> ReadWholeFile(const fs::path& file) {
  std::error_code ec;
  if (!fs::exists(file, ec)) {
    if (ec && ec != std::errc::no_such_file_or_directory) Fail("read", file, ec.message());
    return std::nullopt;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) Fail("read", file, Reason());
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) Fail("read", file, Reason());
  return std::move(bytes).str();
}

void WriteFileAtomically(const fs::path& file, const std::string& bytes, unsigned new_file_mode, bool apply_umask) {
  const fs::path target = ResolveLink(file);
  CreateParents(target);

  mode_t mode = static_cast<mode_t>(new_file_mode);
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) {
    mode = old.st_mode & 07777;
  } else if (apply_umask) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }

  std::string temp_name = target.string() + ".XXXXXX";
  const int fd = ::mkstemp(temp_name.data());
  if (fd < 0) Fail("create a temporary file beside", target, Reason());
  const fs::path temp = temp_name;
  bool open = true;
  try {
    if (::fchmod(fd, mode) != 0) Fail("set the mode of", temp, Reason());
    WriteAll(fd, bytes, temp);
    if (::fsync(fd) != 0) Fail("flush", temp, Reason());
    open = false;
    if (::close(fd) != 0) Fail("close", temp, Reason());
  } catch (...) {
    if (open) ::close(fd);
    ::unlink(temp.c_str());
    throw;
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const std::string reason = Reason();
    ::unlink(temp.c_str());
    Fail("replace", target, reason);
  }
  SyncFolder(target.parent_path());
}

FileLock::FileLock(const fs::path& file) {
  CreateParents(file);
  const fs::path lock = file.string() + ".lock";
  fd_ = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) Fail("open the lock file", lock, Reason());
  while (::flock(fd_, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    const std::string reason = Reason();
    ::close(fd_);
    Fail("lock", lock, reason);
  }
}

FileLock::~FileLock() {
  if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

}  // namespace gildex::platform
