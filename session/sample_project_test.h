#pragma once
// For tests of the hosts: a scratch copy of data/Sample with settings and an add-in list of its
// own, and the shipped templates.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/test_files.h"

namespace gildex::testing {

struct SampleProject {
  SampleProject() {
    namespace fs = std::filesystem;
    fs::copy(fs::path(GILDEX_SOURCE_DIR) / "data" / "Sample", dir / "Sample", fs::copy_options::recursive);
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path()))
      fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
    original = Files();
  }
  // The files of the project folder by name, with their bytes.
  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir / "Sample"))
      if (entry.is_regular_file()) files[entry.path().filename().string()] = platform::testing::ReadBytes(entry.path());
    return files;
  }
  // The files whose bytes differ from `original`.
  std::vector<std::string> Changed() const {
    std::vector<std::string> changed;
    for (const auto& [name, bytes] : Files())
      if (!original.count(name) || original.at(name) != bytes) changed.push_back(name);
    return changed;
  }
  std::string Project() const { return (dir / "Sample" / "Orders.vbp").string(); }

  platform::testing::TempDir dir;
  platform::testing::ScopedEnv registry{"GILDEX_REGISTRY", (dir / "registry.reg").string()};
  platform::testing::ScopedEnv windows{"GILDEX_WINDIR", (dir / "windows").string()};
  platform::testing::ScopedEnv epoch{"SOURCE_DATE_EPOCH", "1700000000"};
  std::map<std::string, std::string> original;
};

}  // namespace gildex::testing
