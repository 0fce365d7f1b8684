#pragma once
// Whole-file replacement that never leaves a half-written file behind: the new content goes
// to a temporary file in the same folder, is flushed to disk and then renamed over the old
// one, so a reader (or a crash) sees either the old file or the new one.
#include <filesystem>
#include <optional>
#include <string>

namespace gildex::platform {

// The file's bytes, or nothing when it does not exist. Throws std::runtime_error naming the
// file when it exists but cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file);

// Replaces `file` with `bytes`, creating the missing parent folders. A new file gets
// `new_file_mode` (less the umask when `apply_umask`); an existing one keeps its mode. A
// symbolic link is followed, so the link stays and its target changes. Throws
// std::runtime_error naming the file on failure, leaving the old file untouched.
void WriteFileAtomically(const std::filesystem::path& file, const std::string& bytes, unsigned new_file_mode,
                         bool apply_umask);

// An exclusive advisory lock held on "<file>.lock" for the lifetime of the object, so that
// processes updating the same file take turns.
class FileLock {
 public:
  explicit FileLock(const std::filesystem::path& file);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace gildex::platform
