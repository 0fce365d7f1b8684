#pragma once
// For the tools' tests: a project of a few small components in a scratch folder, loaded into
// an IDE in memory, with scripted message boxes and an error report over them.
#include <filesystem>
#include <map>
#include <string>

#include "common/error_report.h"
#include "host/memory_vbe.h"
#include "host/project_loader.h"
#include "platform/dialogs.h"
#include "platform/test_files.h"

namespace gildex::testing {

inline constexpr const char* kClassHeader =
    "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEND\r\n";

struct ToolsRig {
  // `files`: name and text of each file; the .vbp lists the .bas and .cls files of `members`.
  ToolsRig(const std::map<std::string, std::string>& files, const std::vector<std::string>& members) {
    std::string vbp = "Type=Exe\r\n";
    for (const std::string& member : members) {
      const std::string stem = std::filesystem::path(member).stem().string();
      vbp += (member.ends_with(".cls") ? "Class=" : "Module=") + stem + "; " + member + "\r\n";
    }
    vbp += "Name=\"Tools\"\r\n";
    platform::testing::WriteBytes(dir / "Tools.vbp", vbp);
    for (const auto& [name, text] : files) platform::testing::WriteBytes(dir / name, text);
    loaded = host::Load(vbe, dir / "Tools.vbp");
  }
  host::MemoryProject& Project() { return *loaded.projects.at(0); }
  std::string Path(const std::string& name) const { return (dir / name).string(); }

  platform::testing::TempDir dir;
  host::MemoryVBE vbe;
  host::LoadResult loaded;
  platform::ScriptedDialogs dialogs;
  ErrorReport report{dialogs};
};

}  // namespace gildex::testing
