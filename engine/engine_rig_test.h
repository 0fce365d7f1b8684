#pragma once
// One engine with everything it stands on, for the engine's tests: a scripted dialog
// service that records every box, a fixed clock with its timers, a fake environment, a
// registry (in memory, or kept in a file) and a program folder of its own.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "common/services_rig.h"
#include "engine/gildex.h"
#include "engine/progress.h"
#include "host/memory_code_module.h"
#include "host/memory_vbe.h"
#include "host/project_loader.h"
#include "platform/test_files.h"

namespace gildex::testing {

struct EngineRig : ScratchProgramFolder, ServicesRig {
  explicit EngineRig(const std::filesystem::path& registry_file = {}, host::VBE* vbe = nullptr)
      : ServicesRig(Program(), registry_file), gildex(services, report, tools, vbe) {}

  std::filesystem::path ProgramFolder() const { return services.program_folder; }
  std::string ProgramFolderText() const { return services.program_folder.string() + "/"; }

  CGildex gildex;
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

// A procedure as the Standard template of Engine leaves it, with "\n" line ends for Module():
// `declaration` ("Public Sub Save()") and `body` (whole lines, each ending in "\n").
inline std::string WithStandard(std::string_view declaration, std::string_view body,
                                std::string_view handler_body = "    MsgBox Err.Description") {
  std::string_view rest = declaration;
  for (std::string_view word : {"Public ", "Private ", "Friend ", "Static ", "Property "})
    if (rest.starts_with(word)) rest.remove_prefix(word.size());
  const std::string kind(rest.substr(0, rest.find(' ')));
  std::string_view name = rest.substr(kind.size() + 1);
  name = name.substr(0, name.find('('));
  const std::string word = kind == "Function" ? "Function" : kind == "Sub" ? "Sub" : "Property";
  const std::string label = std::string(name) + "_ErrorHandler";
  return std::string(declaration) + "\nOn Error GoTo " + label + "\n' ---- Code Body Starts ----  (Standard)\n" +
         std::string(body) + "' ---- Code Body Ends ---- (Standard)\n\tExit " + word + "\n" + label + ":\n" +
         (handler_body.empty() ? "" : std::string(handler_body) + "\n") + "End " + word + "\n";
}

// A code module whose host refuses some edits, as the IDE does for a module it has locked:
// deleting any line from `refuse_delete_from` on, and replacing line `refuse_replace`.
class RefusingModule : public host::MemoryCodeModule {
 public:
  RefusingModule(std::string_view text, long refuse_delete_from, long refuse_replace = 0)
      : MemoryCodeModule("modOrders", FromText("modOrders", text)->ExportLines(), host::LineEnd::CrLf, nullptr),
        refuse_delete_from_(refuse_delete_from),
        refuse_replace_(refuse_replace) {}
  void DeleteLines(long first, long count) override {
    if (refuse_delete_from_ > 0 && first + count - 1 >= refuse_delete_from_) Refuse();
    MemoryCodeModule::DeleteLines(first, count);
  }
  void ReplaceLine(long line, std::string_view text) override {
    if (line == refuse_replace_) Refuse();
    MemoryCodeModule::ReplaceLine(line, text);
  }

 private:
  [[noreturn]] static void Refuse() { throw host::HostError(40198, "Module is locked"); }
  long refuse_delete_from_;
  long refuse_replace_;
};

// The project "Orders" written to a scratch folder and loaded: a module for each (name, code), a
// class for a name starting "cls". Component(0) is the first.
struct ScratchProject {
  explicit ScratchProject(const std::vector<std::pair<std::string, std::string>>& members) {
    std::string vbp = "Type=Exe\r\n";
    for (const auto& [name, code] : members) {
      const bool is_class = name.starts_with("cls");
      const std::string file = name + (is_class ? ".cls" : ".bas");
      vbp += (is_class ? "Class=" : "Module=") + name + "; " + file + "\r\n";
      platform::testing::WriteBytes(dir / file, (is_class ? "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEND\r\n" : "") +
                                                    ("Attribute VB_Name = \"" + name + "\"\r\n") + code + "\r\n");
    }
    platform::testing::WriteBytes(dir / "Orders.vbp", vbp + "Name=\"Orders\"\r\n");
    const host::LoadResult loaded = host::Load(vbe, dir / "Orders.vbp");
    EXPECT_TRUE(loaded.problems.empty());
    project = loaded.projects.at(0);
  }
  host::MemoryComponent& Component(int index) { return project->At(index); }
  std::string Text(int index) {
    host::CodeModule& code = *Component(index).Code();
    return code.Lines(1, code.CountOfLines());
  }
  platform::testing::TempDir dir;
  host::MemoryVBE vbe;
  host::MemoryProject* project = nullptr;
};

// The progress window as the tests read it afterwards.
struct RecordingProgress : Progress {
  void SetMessageText(const std::string& text) override { messages.push_back(text); }
  void AddStatus(const std::string& text) override { statuses.push_back(text); }
  void SetProgressBar(bool) override {}
  void SetMax(std::int32_t) override {}
  void SetValue(std::int32_t) override {}
  void Show() override {}
  void ButtonState(std::int16_t state) override { button_states.push_back(state); }
  std::vector<std::string> messages, statuses;
  std::vector<std::int16_t> button_states;
};

enum class Operation { Insert, Remove, Number, UnNumber };

inline const char* NameOf(Operation operation) {
  constexpr const char* kNames[] = {"insert", "remove", "number", "unnumber"};
  return kNames[static_cast<int>(operation)];
}

inline void Apply(CGildex& gildex, Operation operation, host::CodeModule& module, bool selection_only = false) {
  switch (operation) {
    case Operation::Insert: gildex.InsertModule(module, module.Name(), nullptr, selection_only); break;
    case Operation::Remove: gildex.RemoveModule(module, selection_only); break;
    case Operation::Number: gildex.NumberModule(module, selection_only); break;
    case Operation::UnNumber: gildex.UnNumberModule(module, selection_only); break;
  }
}

// The engine as a fresh installation sets it up, with the Standard template, and a progress
// window to read afterwards.
struct Engine {
  Engine() {
    rig.gildex.DefaultTemplate("Standard");
    rig.gildex.HeaderCode("On Error GoTo %ProcName%_ErrorHandler");
    rig.gildex.FooterCode("%ProcName%_ErrorHandler:\r\n    MsgBox Err.Description");
    rig.gildex.BodyCode(true);
    rig.gildex.AutoExit(true);
    rig.gildex.LineIncrement(10);
    rig.gildex.LineDelimiter(" ");
    rig.gildex.SetProgress(&progress);
  }
  // The module's text after `operation`; its procedure answers are checked against its lines.
  std::string Run(Operation operation, std::string_view text) {
    auto module = host::MemoryCodeModule::FromText("modOrders", text);
    Apply(rig.gildex, operation, *module);
    EXPECT_EQ(module->CheckConsistency(), "");
    return module->Text();
  }
  EngineRig rig;
  RecordingProgress progress;
};

// One row of a module table: the module before (a raw string for Module()), what the row
// changes in the engine's settings, and the whole module after (empty: as it was).
struct ModuleCase {
  std::string name;
  std::function<void(CGildex&)> settings;
  std::string before, after;
};

// Runs each row on an Engine of its own; no row may show an error box.
inline void ExpectRewrites(Operation operation, const std::vector<ModuleCase>& cases) {
  for (const ModuleCase& c : cases) {
    Engine engine;
    if (c.settings) c.settings(engine.rig.gildex);
    EXPECT_EQ(engine.Run(operation, Module(c.before)), Module(c.after.empty() ? c.before : c.after))
        << NameOf(operation) << ": " << c.name;
    EXPECT_TRUE(engine.rig.dialogs.Asked().empty()) << c.name;
  }
}

// The prompts of the boxes shown so far, in order.
inline std::vector<std::string> Prompts(const platform::ScriptedDialogs& dialogs) {
  std::vector<std::string> prompts;
  for (const platform::MessageBox& box : dialogs.Asked()) prompts.push_back(box.prompt);
  return prompts;
}

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
