#pragma once
// The platform services on stand-ins nobody has to watch (scripted dialogs that record every
// box, a fixed clock with its timers and message loop, a registry in memory or in a file, a
// fake environment), with the error report and the registry tools on them: what the tests,
// benchmarks and fuzzers build the engine or the add-in on.
#include <filesystem>
#include <utility>

#include "common/error_report.h"
#include "common/registry_tools.h"
#include "platform/services.h"
#include "platform/test_files.h"

namespace gildex::testing {

struct ServicesRig {
  // The registry is kept in `registry_file`, or in memory when that is empty.
  explicit ServicesRig(std::filesystem::path program_folder, const std::filesystem::path& registry_file = {})
      : registry(registry_file.empty() ? platform::Registry() : platform::Registry(registry_file)),
        services{dialogs, clock, timers, loop, registry, env, std::move(program_folder)} {}

  platform::ScriptedDialogs dialogs;
  platform::FixedClock clock;
  platform::Timers timers{clock};
  platform::MessageLoop loop{timers};
  platform::Registry registry;
  platform::FakeEnvironment env;
  platform::Services services;
  ErrorReport report{dialogs};
  RegistryTools tools{registry, report};
};

// A scratch folder with a program folder in it; a base before ServicesRig, so that the rig's
// program folder exists before the services are built on it.
struct ScratchProgramFolder {
  std::filesystem::path Program() const {
    std::filesystem::create_directories(dir.Path() / "program");
    return dir.Path() / "program";
  }
  platform::testing::TempDir dir;
};

}  // namespace gildex::testing
