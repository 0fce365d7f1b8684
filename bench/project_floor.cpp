// The least any tool must do to rewrite a whole project the way gildex saves it: read every
// file under a folder, split it into lines, join them again and replace the file atomically
// (temporary file beside it, flushed, renamed over the old one, folder flushed).
//
//   project_floor FOLDER
//
// bench/project_bench.sh times it beside gildex. Prints nothing; exit status 1 on any failure.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(const std::string& what, const fs::path& path) {
  std::fprintf(stderr, "project_floor: cannot %s %s: %s\n", what.c_str(), path.c_str(), std::strerror(errno));
  std::exit(1);
}

std::string Read(const fs::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) Fail("open", path);
  std::string bytes;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && info.st_size > 0) bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) Fail("read", path);
    if (got == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return bytes;
}

// Each line as a string of its own with its line end, as an editor holds a file.
struct Line {
  std::string text;
  std::string_view end;
};

std::vector<Line> Split(std::string_view bytes) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t stop = bytes.find_first_of("\r\n", start);
    if (stop == std::string_view::npos) {
      lines.push_back({std::string(bytes.substr(start)), {}});
      break;
    }
    std::size_t after = stop + (bytes[stop] == '\r' && stop + 1 < bytes.size() && bytes[stop + 1] == '\n' ? 2 : 1);
    lines.push_back({std::string(bytes.substr(start, stop - start)), bytes.substr(stop, after - stop)});
    start = after;
  }
  return lines;
}

std::string Join(const std::vector<Line>& lines) {
  std::size_t size = 0;
  for (const Line& line : lines) size += line.text.size() + line.end.size();
  std::string bytes;
  bytes.reserve(size);
  for (const Line& line : lines) {
    bytes += line.text;
    bytes += line.end;
  }
  return bytes;
}

void SyncFolder(const fs::path& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) Fail("open", folder);
  if (::fsync(fd) != 0) Fail("flush", folder);
  ::close(fd);
}

void WriteAtomically(const fs::path& path, const std::string& bytes) {
  struct stat old {};
  if (::stat(path.c_str(), &old) != 0) Fail("stat", path);
  std::string temp = path.string() + ".XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) Fail("create a temporary file beside", path);
  if (::fchmod(fd, old.st_mode & 07777) != 0) Fail("set the mode of", temp);
  for (std::size_t done = 0; done < bytes.size();) {
    ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) Fail("write", temp);
    done += static_cast<std::size_t>(put);
  }
  if (::fsync(fd) != 0) Fail("flush", temp);
  if (::close(fd) != 0) Fail("close", temp);
  if (::rename(temp.c_str(), path.c_str()) != 0) Fail("replace", path);
  SyncFolder(path.parent_path());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: project_floor FOLDER\n");
    return 2;
  }
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(argv[1]))
    if (entry.is_regular_file()) files.push_back(entry.path());
  for (const fs::path& file : files) WriteAtomically(file, Join(Split(Read(file))));
  return 0;
}
