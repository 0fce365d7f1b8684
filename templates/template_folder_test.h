#pragma once
// A templates folder of the test's own, and the engine pointed at it.
#include <filesystem>
#include <optional>
#include <string>

#include "engine/engine_rig_test.h"
#include "platform/test_files.h"

namespace gildex::testing {

struct TemplateFolder {
  explicit TemplateFolder(EngineRig& rig) : path(rig.dir.Path() / "Templates") {
    std::filesystem::create_directories(path);
    rig.gildex.TemplatePath(path.string());
  }
  // Writes NAME.hdr and, unless `footer` is nothing, NAME.ftr.
  void Write(const std::string& name, const std::string& header, const std::optional<std::string>& footer) const {
    platform::testing::WriteBytes(path / (name + ".hdr"), header);
    if (footer) platform::testing::WriteBytes(path / (name + ".ftr"), *footer);
  }
  std::filesystem::path path;
};

inline std::filesystem::path ShippedTemplates() { return std::filesystem::path(GILDEX_SOURCE_DIR) / "data/Templates"; }

}  // namespace gildex::testing
