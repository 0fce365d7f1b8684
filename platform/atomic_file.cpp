#include "platform/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <vector>
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

void WriteAll(int fd, const std::string& bytes, const fs::path& target) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail("write", target, Reason());
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

constexpr std::string_view kTempMark = ".gildex-tmp-";

// ".NAME.gildex-tmp-": NAME cut short so that a file whose name is near the longest a folder
// takes still gets a temporary file beside it.
std::string TempStem(const fs::path& target) {
  constexpr std::size_t kLongestName = 200;
  return "." + target.filename().string().substr(0, kLongestName) + std::string(kTempMark);
}

// The pid in "PID-XXXXXX", or 0.
long WriterPid(std::string_view rest) {
  const std::size_t dash = rest.find('-');
  if (dash == 0 || dash == std::string_view::npos) return 0;
  long pid = 0;
  for (char c : rest.substr(0, dash)) {
    if (c < '0' || c > '9' || pid >= 100000000) return 0;
    pid = pid * 10 + (c - '0');
  }
  return pid;
}

// Temporary files of ours beside `target` whose writer no longer runs: a run killed between
// creating and renaming one. A folder is read once a process; each file's own leftovers go
// when that file is written.
void RemoveLeftovers(const fs::path& target) {
  static std::mutex mutex;
  static std::map<fs::path, std::vector<std::string>> dead_by_folder;
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  const std::lock_guard<std::mutex> lock(mutex);
  auto [found, fresh] = dead_by_folder.try_emplace(folder);
  std::vector<std::string>& dead = found->second;
  if (fresh) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string_view name = entry->d_name;
      const std::size_t mark = name.find(kTempMark);
      if (!name.starts_with('.') || mark == std::string_view::npos) continue;
      const long pid = WriterPid(name.substr(mark + kTempMark.size()));
      if (pid != 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) dead.emplace_back(name);
    }
    ::closedir(dir);
  }
  const std::string prefix = TempStem(target);
  std::erase_if(dead, [&](const std::string& name) {
    if (!name.starts_with(prefix) || WriterPid(std::string_view(name).substr(prefix.size())) == 0) return false;
    ::unlink((folder / name).c_str());
    return true;
  });
}

}  // namespace

FileStamp StampOf(std::string_view bytes) {
  // FNV-style multiply and xor, eight bytes a step, with a shift to fold high bits down: a
  // change detector, not a defence against a forger.
  std::uint64_t hash = 0xcbf29ce484222325ull;
  std::size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    hash = (hash ^ word) * 0x100000001b3ull;
    hash ^= hash >> 29;
  }
  for (; i < bytes.size(); ++i) hash = (hash ^ static_cast<unsigned char>(bytes[i])) * 0x100000001b3ull;
  return FileStamp{bytes.size(), hash};
}

bool StillAsStamped(const fs::path& file, const FileStamp& loaded) {
  struct stat now {};
  if (::stat(file.c_str(), &now) != 0 || !S_ISREG(now.st_mode)) return false;
  if (static_cast<std::uint64_t>(now.st_size) != loaded.size) return false;
  try {
    const std::optional<std::string> bytes = ReadWholeFile(file);
    return bytes && StampOf(*bytes) == loaded;
  } catch (const std::runtime_error&) {
    return false;
  }
}

bool ReadFileBytes(const fs::path& file, std::string& bytes, std::string& reason) {
  // Non-blocking, so that a FIFO put where a module was expected cannot hang the load.
  int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    reason = std::strerror(errno);
    return false;
  }
  bytes.clear();
  // Straight into the string, sized by the file's length, and grown only if the file grew.
  struct stat info {};
  const bool stated = ::fstat(fd, &info) == 0;
  if (stated && !S_ISREG(info.st_mode)) {
    reason = S_ISDIR(info.st_mode) ? "is a directory" : "is not a regular file";
    ::close(fd);
    return false;
  }
  std::size_t capacity = stated && info.st_size > 0 ? static_cast<std::size_t>(info.st_size) + 1 : 65536;
  std::size_t size = 0;
  for (;;) {
    if (size == bytes.size()) bytes.resize(std::max(capacity, bytes.size() * 2));
    ssize_t got = ::read(fd, bytes.data() + size, bytes.size() - size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      reason = std::strerror(errno);
      ::close(fd);
      return false;
    }
    if (got == 0) break;
    size += static_cast<std::size_t>(got);
  }
  bytes.resize(size);
  ::close(fd);
  return true;
}

std::optional<std::string> ReadWholeFile(const fs::path& file) {
  std::error_code ec;
  if (!fs::exists(file, ec)) {
    if (ec && ec != std::errc::no_such_file_or_directory) Fail("read", file, ec.message());
    return std::nullopt;
  }
  if (fs::is_regular_file(file, ec)) {
    std::string bytes, reason;
    if (!ReadFileBytes(file, bytes, reason)) Fail("read", file, reason);
    return bytes;
  }
  // A pipe or a device (a script given as <(...)): read as a stream, waiting for its writer.
  std::ifstream in(file, std::ios::binary);
  if (!in) Fail("read", file, Reason());
  std::ostringstream stream;
  stream << in.rdbuf();
  if (in.bad()) Fail("read", file, Reason());
  return std::move(stream).str();
}

namespace {

[[noreturn]] void Changed(const fs::path& file) {
  throw ChangedOnDisk(fmt::format("{} changed on disk since it was loaded; it is left as the other program wrote it",
                                  file.string()));
}

// Puts `temp` in `target`'s place. With `loaded`, only over a target that still holds it: the
// two are exchanged, and swapped back when what came out is not what was read.
void PutInPlace(const fs::path& temp, const fs::path& target, const FileStamp* loaded) {
  if (loaded != nullptr) {
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
      std::optional<std::string> old;
      try {
        old = ReadWholeFile(temp);
      } catch (const std::runtime_error&) {
      }
      if (!old || StampOf(*old) != *loaded) {
        // Their edit goes back where it was; ours is dropped.
        const int back = ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE);
        ::unlink(temp.c_str());
        if (back != 0) Fail("put back the other program's version of", target, Reason());
        Changed(target);
      }
      ::unlink(temp.c_str());
      return;
    }
    const int error = errno;
    if (error == ENOENT && ::access(temp.c_str(), F_OK) == 0) {
      ::unlink(temp.c_str());
      Changed(target);  // the file was removed meanwhile
    }
    // No exchange on this filesystem: compare, then rename over.
    if (error != EINVAL && error != ENOSYS) {
      ::unlink(temp.c_str());
      Fail("replace", target, std::strerror(error));
    }
    if (!StillAsStamped(target, *loaded)) {
      ::unlink(temp.c_str());
      Changed(target);
    }
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const std::string reason = Reason();
    ::unlink(temp.c_str());
    Fail("replace", target, reason);
  }
}

void Replace(const fs::path& file, const std::string& bytes, unsigned new_file_mode, bool apply_umask,
             const FileStamp* loaded) {
  const fs::path target = ResolveLink(file);
  CreateParents(target);

  RemoveLeftovers(target);

  mode_t mode = static_cast<mode_t>(new_file_mode);
  struct stat old {};
  const bool existed = ::stat(target.c_str(), &old) == 0;
  if (existed) {
    mode = old.st_mode & 07777;
  } else if (apply_umask) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }

  std::string temp_name = (target.parent_path() / fmt::format("{}{}-XXXXXX", TempStem(target), ::getpid())).string();
  const int fd = ::mkstemp(temp_name.data());
  if (fd < 0) Fail("create a temporary file beside", target, Reason());
  const fs::path temp = temp_name;
  bool open = true;
  try {
    // Another user's file stays theirs when root rewrites it. Without the right to give it
    // away we keep at least its group when we may; else it becomes ours, as any editor
    // would leave it. The mode comes after, since a change of owner clears set-id bits.
    if (existed && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
      if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        // Neither is ours to set.
      }
    }
    // Failures name the file being saved: the temporary file is gone by the time anyone reads them.
    if (::fchmod(fd, mode) != 0) Fail("set the mode of", target, Reason());
    WriteAll(fd, bytes, target);
    if (::fsync(fd) != 0) Fail("flush", target, Reason());
    open = false;
    if (::close(fd) != 0) Fail("write", target, Reason());
  } catch (...) {
    if (open) ::close(fd);
    ::unlink(temp.c_str());
    throw;
  }
  PutInPlace(temp, target, loaded);
  SyncFolder(target.parent_path());
}

}  // namespace

void WriteFileAtomically(const fs::path& file, const std::string& bytes, unsigned new_file_mode, bool apply_umask) {
  Replace(file, bytes, new_file_mode, apply_umask, nullptr);
}

void WriteFileIfUnchanged(const fs::path& file, const std::string& bytes, const FileStamp& loaded) {
  Replace(file, bytes, 0644, true, &loaded);
}

FileLock::FileLock(const fs::path& file) : lock_(file.string() + ".lock") {
  CreateParents(file);
  for (;;) {
    fd_ = ::open(lock_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) Fail("open the lock file", lock_, Reason());
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
      const std::string reason = Reason();
      ::close(fd_);
      Fail("lock", lock_, reason);
    }
    // The holder before us removed the file on leaving: lock the one that is there now.
    struct stat held {}, now {};
    if (::fstat(fd_, &held) == 0 && ::stat(lock_.c_str(), &now) == 0 && held.st_ino == now.st_ino &&
        held.st_dev == now.st_dev)
      return;
    ::close(fd_);
  }
}

FileLock::~FileLock() {
  if (fd_ < 0) return;
  // Removed while still held, so no lock file stays beside the user's file; a waiting
  // process finds it gone and makes a new one.
  ::unlink(lock_.c_str());
  ::close(fd_);
}

}  // namespace gildex::platform
