#pragma once
// Whole-file replacement that never leaves a half-written file behind: the new content goes
// to a temporary file in the same folder, is flushed to disk and then renamed over the old
// one, so a reader (or a crash) sees either the old file or the new one.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace gildex::platform {

// The file's bytes, or nothing when it does not exist. Throws std::runtime_error naming the
// file when it exists but cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file);
// A regular file's bytes into `bytes` (its old content replaced), read in one go; false with the
// system's reason ("No such file or directory", "is a directory", "is not a regular file").
// Never waits on a FIFO.
bool ReadFileBytes(const std::filesystem::path& file, std::string& bytes, std::string& reason);

// What a file held when it was read, to tell later whether another program changed it.
struct FileStamp {
  std::uint64_t size = 0;
  std::uint64_t hash = 0;
  bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(std::string_view bytes);
// True when `file` still holds what `loaded` was taken from; false when it changed, is gone
// or cannot be read.
bool StillAsStamped(const std::filesystem::path& file, const FileStamp& loaded);

// Replaces `file` with `bytes`, creating the missing parent folders. A new file gets
// `new_file_mode` (less the umask when `apply_umask`); an existing one keeps its mode and,
// where we may set them (as root), its owner and group. A symbolic link is followed, so the
// link stays and its target changes. Throws std::runtime_error naming the file on failure,
// leaving the old file untouched.
//
// The temporary file is ".NAME.gildex-tmp-PID-XXXXXX" beside the file; one that a killed
// run left there (its PID no longer runs) is removed by the next write of that file.
void WriteFileAtomically(const std::filesystem::path& file, const std::string& bytes, unsigned new_file_mode,
                         bool apply_umask);

// Thrown by WriteFileIfUnchanged when the file no longer holds what was read.
class ChangedOnDisk : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// As WriteFileAtomically, over a file that must still hold what `loaded` was taken from. The
// new file is exchanged in with one atomic step and what came out is compared with `loaded`:
// an edit by another program that lands after any earlier check is swapped back in, and
// ChangedOnDisk names the file. Where the filesystem cannot exchange, the file is compared
// and then renamed over.
void WriteFileIfUnchanged(const std::filesystem::path& file, const std::string& bytes, const FileStamp& loaded);

// An exclusive advisory lock held on "<file>.lock" for the lifetime of the object, so that
// processes updating the same file take turns. The lock file goes with the lock.
class FileLock {
 public:
  explicit FileLock(const std::filesystem::path& file);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  std::filesystem::path lock_;
  int fd_ = -1;
};

}  // namespace gildex::platform
