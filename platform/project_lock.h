#pragma once
// One writing run at a time per project: two runs that rewrite the same modules with
// different templates would otherwise leave each file with whichever wrote it last.
//
// The lock is an flock on ".NAME.gildex-lock" beside the project file, so a run that is
// killed never leaves it held; the holder writes its process id and start time into it for
// the message a waiting run gives, and removes the file when it is done.
#include <chrono>
#include <filesystem>
#include <string>

namespace gildex::platform {

class ProjectLock {
 public:
  enum class Outcome {
    Locked,
    Busy,         // another run held it for the whole wait; Holder() says which
    Unavailable,  // no lock file can be made: the folder is missing (the load reports it) or read-only (nothing
                  // could be written there either)
  };

  explicit ProjectLock(std::filesystem::path project);
  ~ProjectLock();
  ProjectLock(const ProjectLock&) = delete;
  ProjectLock& operator=(const ProjectLock&) = delete;

  // Takes the lock, waiting up to `wait` for a run that holds it.
  Outcome Take(std::chrono::milliseconds wait);
  // The run holding the lock, after Busy: "process 1234, started 2026-12-07 01:50:03 UTC".
  const std::string& Holder() const { return holder_; }
  const std::filesystem::path& File() const { return file_; }

 private:
  std::filesystem::path file_;
  int fd_ = -1;
  std::string holder_;
};

}  // namespace gildex::platform
