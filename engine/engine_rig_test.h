#pragma once
// One engine with everything it stands on, for the engine's tests: a scripted dialog
// service that records every box, a fixed clock with its timers, a fake environment, a
// registry (in memory, or kept in a file) and a program folder of its own.
#include <filesystem>
#include <string>

#include "common/error_report.h"
#include "common/registry_tools.h"
#include "engine/gildex.h"
#include "platform/services.h"
#include "platform/test_files.h"

namespace gildex::testing {

inline platform::Registry MakeRegistry(const std::filesystem::path& file) {
  return file.empty() ? platform::Registry() : platform::Registry(file);
}

struct EngineRig {
  explicit EngineRig(const std::filesystem::path& registry_file = {}, host::VBE* vbe = nullptr)
      : registry(MakeRegistry(registry_file)), gildex(services, report, tools, vbe) {}

  std::filesystem::path ProgramFolder() const { return services.program_folder; }
  std::string ProgramFolderText() const { return services.program_folder.string() + "/"; }

  platform::testing::TempDir dir;
  platform::ScriptedDialogs dialogs;
  platform::FixedClock clock;
  platform::Timers timers{clock};
  platform::MessageLoop loop{timers};
  platform::Registry registry;
  platform::FakeEnvironment env;
  platform::Services services{dialogs, clock, timers, loop, registry, env, CreateProgramFolder(dir)};
  ErrorReport report{dialogs};
  RegistryTools tools{registry, report};
  CGildex gildex;

 private:
  static std::filesystem::path CreateProgramFolder(const platform::testing::TempDir& temp) {
    std::filesystem::create_directories(temp.Path() / "program");
    return temp.Path() / "program";
  }
};

// The qualified names of the error boxes shown so far, in order.
inline std::vector<std::string> ReportedNames(const platform::ScriptedDialogs& dialogs) {
  std::vector<std::string> names;
  for (const platform::MessageBox& box : dialogs.Asked()) {
    const std::size_t colon = box.prompt.rfind(": ");
    names.push_back(colon == std::string::npos ? box.prompt : box.prompt.substr(colon + 2));
  }
  return names;
}

}  // namespace gildex::testing
