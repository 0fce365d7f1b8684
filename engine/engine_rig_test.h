#pragma once
// One engine with everything it stands on, for the engine's tests: a scripted dialog
// service that records every box, a fixed clock with its timers, a fake environment, a
// registry (in memory, or kept in a file) and a program folder of its own.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "common/error_report.h"
#include "common/registry_tools.h"
#include "engine/gildex.h"
#include "engine/progress.h"
#include "host/memory_code_module.h"
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

// A module as a raw string with "\n" line ends, given to the code module with CR LF; the
// leading line break of the raw string is not part of it.
inline std::string Module(std::string_view text) {
  if (!text.empty() && text.front() == '\n') text.remove_prefix(1);
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  if (out.size() >= 2 && out.ends_with("\r\n")) out.resize(out.size() - 2);
  return out;
}

// The text of module `name` made from `text` and changed by `operation`; the module's
// procedure answers are checked against its lines afterwards.
template <class Operation>
std::string Rewritten(std::string_view text, Operation&& operation, const std::string& name = "modOrders") {
  auto module = host::MemoryCodeModule::FromText(name, text);
  operation(static_cast<host::CodeModule&>(*module));
  EXPECT_EQ(module->CheckConsistency(), "");
  return module->Text();
}

// The template most users start from: a handler label and what the handler does.
inline void UseStandardTemplate(CGildex& gildex, const std::string& handler_body) {
  gildex.DefaultTemplate("Standard");
  gildex.HeaderCode("On Error Goto %ProcName%_ErrorHandler");
  gildex.FooterCode("%ProcName%_ErrorHandler:\r\n" + handler_body);
  gildex.BodyCode(true);
  gildex.AutoExit(true);
}

// The progress window as the tests read it afterwards.
struct RecordingProgress : Progress {
  void SetMessageText(const std::string& text) override { messages.push_back(text); }
  void AddStatus(const std::string& text) override { statuses.push_back(text); }
  void SetProgressBar(bool on) override { bar.push_back(on); }
  void SetMax(std::int32_t value) override { max = value; }
  void SetValue(std::int32_t value) override { values.push_back(value); }
  void Show() override { ++shown; }
  void ButtonState(std::int16_t state) override { button_states.push_back(state); }
  std::vector<std::string> messages;
  std::vector<std::string> statuses;
  std::vector<bool> bar;
  std::int32_t max = 0;
  std::vector<std::int32_t> values;
  int shown = 0;
  std::vector<std::int16_t> button_states;
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
