#pragma once
// The add-in with everything it stands on, for the tests of ide/: scripted message boxes
// that record every box, a fixed clock, a fake environment, an in-memory registry, a program
// folder holding the "Standard" template, a windows folder for "vbaddin.ini", a progress
// window that records every call, and fakes for the windows Connect opens.
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine_rig_test.h"
#include "engine/gildex.h"
#include "host/command_bars.h"
#include "host/memory_vbe.h"
#include "host/project_loader.h"
#include "ide/add_in.h"
#include "ide/connect.h"
#include "ide/insert_wizard.h"
#include "platform/help_viewer.h"
#include "platform/services.h"
#include "platform/test_files.h"
#include "tools/message_view.h"
#include "tools/messages.h"
#include "tools/recording_view_test.h"

namespace gildex::testing {

// The insert-mode window, answered as the user would.
struct FakeInsertMode : InsertOptionsView {
  enum Answer { SelectedText, EntireModule, Close };
  void ShowModal(frmInsertOptions& form) override {
    ++shown;
    offered_selected_text = form.SelectedTextChosen();
    if (answer == Close) return form.cmdClose_Click();
    if (answer == EntireModule) form.ChooseEntireModule();
    form.cmdGo_Click();
  }
  Answer answer = SelectedText;
  int shown = 0;
  bool offered_selected_text = false;
};

struct FakeOptionsDialog : OptionsDialogView {
  void ShowOptions() override { ++opened; }
  int opened = 0;
};

struct FakeSplash : SplashView {
  void ShowTopmost() override { loaded = true, ++shown; }
  bool Loaded() const override { return loaded; }
  void Close() override { loaded = false; }
  bool loaded = false;
  int shown = 0;
};

// The tool windows of the desktop program: each call noted in `log` as "window argument".
struct FakeWindows : ComponentInfoView, FormConverterView, ToDoView, ControlTemplateView, AdvancedTemplateView {
  // The wizard's window: `play` acts as the user on each showing.
  struct Wizard : InsertWizardView {
    explicit Wizard(std::vector<std::string>& log) : log(log) {}
    void Show(frmWizard& form) override {
      log.push_back("wizard");
      if (play) play(form);
    }
    void Close(frmWizard&) override { log.push_back("wizard closed"); }
    std::vector<std::string>& log;
    std::function<void(frmWizard&)> play;
  };
  struct Finder : FunctionFinderWindow {
    explicit Finder(std::vector<std::string>& log) : log(log) {}
    std::optional<std::string> AskFile(const std::string&, const std::string&, int) override { return std::nullopt; }
    void Refresh(const FunctionFinder&) override {}
    platform::Clipboard& Clipboard() override { return clipboard; }
    // The model is made once and shown again afterwards.
    void Show(FunctionFinder& finder) override {
      if (first == nullptr) first = &finder;
      log.push_back(&finder == first ? "finder" : "finder (another model)");
    }
    std::vector<std::string>& log;
    FunctionFinder* first = nullptr;
    platform::MemoryClipboard clipboard;
  };
  void Display(const ComponentInformation& info) override { log.push_back("info " + info.name); }
  void ShowConverter(host::VBComponent& form, clsASPGenerator& generator) override {
    log.push_back("converter " + form.Name());
    converter_generator = &generator;
  }
  clsASPGenerator* converter_generator = nullptr;  // the generator of the last conversion
  // The To-Do window: the list it shows, which the user closes with CloseToDo().
  void Show(ToDoList& list) override {
    todo = &list;
    log.push_back("todo " + list.Caption() + " " + std::filesystem::path(list.FileName()).filename().string());
  }
  void Hide(ToDoList& list) override {
    if (todo == &list) todo = nullptr, log.push_back("todo closed");
  }
  void CloseToDo() {
    ToDoList* list = todo;
    todo = nullptr;
    if (list != nullptr) list->Unload();
  }
  // The control-template window: in select mode chooses `chosen_template` (closes when empty).
  void ShowModal(frmControlTemplate& form) override {
    log.push_back(form.SelectMode() ? "control templates select" : "control templates edit");
    if (!form.SelectMode() || chosen_template.empty()) return form.cmdClose_Click();
    form.cboTemplates_Click(chosen_template);
    form.cmdApply_Click();
  }
  std::optional<std::string> AskValue(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
  // The per-procedure template window: notes the tree it was given and is closed.
  void ShowModal(frmAdvancedTemplate& form) override {
    const std::vector<ProjectNode>& nodes = form.State().nodes;
    advanced_unloaded = false;
    form.Command1_Click();
    log.push_back("advanced template " + nodes.front().text + " (" + std::to_string(nodes.size() - 1) +
                  " components)" + (advanced_unloaded ? " closed" : ""));
  }
  void Draw(const AdvancedTemplateState&) override {}
  void Unload() override { advanced_unloaded = true; }
  bool advanced_unloaded = false;
  std::string chosen_template;

  std::vector<std::string> log;
  ToDoList* todo = nullptr;
  Finder finder{log};
  Wizard wizard{log};
};

struct AddInRig : ScratchProgramFolder, ServicesRig {
  AddInRig() : ServicesRig(Program()) {
    std::filesystem::create_directories(services.program_folder / "Templates");
    platform::testing::WriteBytes(services.program_folder / "Templates" / "Standard.hdr",
                                  "On Error GoTo %ProcName%_Err");
    platform::testing::WriteBytes(services.program_folder / "Templates" / "Standard.ftr",
                                  "%ProcName%_Err:\r\n    MsgBox Err.Description");
  }

  // A setting as the options dialog stores it, read by the engine when Connect is created.
  void Option(const std::string& name, const std::string& value) {
    tools.subSetRegistryValue(std::string(kOptionsKey), name, value);
  }
  std::filesystem::path WindowsFolder() const { return dir.Path() / "windows"; }

  std::vector<std::string> window_log;  // every call the progress windows had, in order
  std::string fail_in;
  AddIn add_in{services, report, tools, WindowsFolder(),
               [this](clsMessages&) { return std::make_unique<RecordingView>(window_log, fail_in); }};
};

// The sample Orders project in a folder of its own, "Standard" chosen, and Connect's views.
// `open` (a file of the copy) loaded now unless empty; or later by Start.
struct SampleHost {
  explicit SampleHost(const std::string& open = "") {
    std::filesystem::copy(std::filesystem::path(GILDEX_SOURCE_DIR) / "data" / "Sample", folder,
                          std::filesystem::copy_options::recursive);
    rig.Option("Default Template", "Standard");
    if (!open.empty()) loaded = host::Load(vbe, folder / open);
  }
  // Without windows: the insert-mode choice and the splash window only.
  ConnectViews Views(bool windows = true) {
    if (!windows) return {.insert_options = &insert_mode, .splash = &splash};
    // Every window, in ConnectViews' order.
    return {&insert_mode, &options, &splash, &tools, &tools.finder, &tools.wizard, &tools, &tools, &tools, &tools, &help};
  }

  // `open` (a file of the copy) loaded and Connect connected after start-up, as the IDE does.
  void Start(const std::string& open, const ConnectViews& views) {
    loaded = host::Load(vbe, folder / open);
    connect = std::make_unique<Connect>(rig.add_in, views);
    connect->OnConnection(&vbe, ext_cm_AfterStartup);
  }
  host::MemoryComponent& Component(const std::string& name, int project = 1) {
    return static_cast<host::MemoryComponent&>(*vbe.Project(project).FindComponent(name));
  }
  std::string Text(const std::string& name) {
    host::CodeModule& code = *Component(name).Code();
    return code.Lines(1, code.CountOfLines());
  }
  // The code of every component of the first project, by name.
  std::map<std::string, std::string> Texts() {
    std::map<std::string, std::string> texts;
    for (int i = 1; i <= vbe.Project(1).ComponentCount(); ++i)
      if (host::VBComponent& c = vbe.Project(1).Component(i); c.Code() != nullptr) texts[c.Name()] = Text(c.Name());
    return texts;
  }
  // The message boxes from the `from`th on, "TITLE: PROMPT" when `titled`, the program folder as PROGRAM.
  std::vector<std::string> Boxes(std::size_t from = 0, bool titled = false) const {
    std::vector<std::string> boxes;
    const std::string program = rig.services.program_folder.string();
    for (std::size_t i = from; i < rig.dialogs.Asked().size(); ++i) {
      const platform::MessageBox& box = rig.dialogs.Asked()[i];
      std::string prompt = box.prompt;
      if (const std::size_t at = prompt.find(program); at != std::string::npos) prompt.replace(at, program.size(), "PROGRAM");
      boxes.push_back(titled ? box.title + ": " + prompt : prompt);
    }
    return boxes;
  }

  AddInRig rig;
  std::filesystem::path folder = rig.dir / "Orders";
  host::MemoryVBE vbe;
  host::LoadResult loaded;
  std::unique_ptr<Connect> connect;
  FakeInsertMode insert_mode;
  FakeOptionsDialog options;
  FakeSplash splash;
  FakeWindows tools;
  platform::ShellHelpViewer help;
};

}  // namespace gildex::testing
