// The commands that open or close windows, and the To-Do list and wizard they keep.
#include "ide/tool_windows.h"

#include <filesystem>
#include <string>
#include <vector>

#include "common/nembus_common.h"
#include "ide/command_table.h"
#include "ide/insert_wizard.h"
#include "ide/scope_commands.h"

namespace gildex {
namespace {

constexpr const char* kToDoCaption = "To Do..";
constexpr const char* kToDoNoFolder =
    "The To-Do list is kept in the project's folder: save the project first.";

VbError ObjectNotSet() { return VbError(91, "Object variable or With block variable not set"); }

}  // namespace

void WindowMissing(AddIn& add_in, const char* what) {
  add_in.Services().dialogs.MsgBox(platform::MessageBox{std::string(what) + " is not available on the command line.",
                                                        platform::vbExclamation, std::string(kAppTitle)});
}

ToolWindows::ToolWindows(AddIn& add_in, const ConnectViews& views, const EventReactions& events, ScopeCommands& scope)
    : add_in_(add_in), views_(views), events_(events), scope_(scope) {}

ToolWindows::~ToolWindows() { *self_ = nullptr; }

// (Connect's end does not call the view: the host may have destroyed its windows first.)
void ToolWindows::CloseWizard() {
  if (Wizard() != nullptr && views_.insert_wizard != nullptr) views_.insert_wizard->Close(*wizard_);
  wizard_.reset();
}

void ToolWindows::OpenOptions(const char* name) {
  add_in_.Report().Trap(name, [&] {
    if (views_.options_dialog == nullptr) return WindowMissing(add_in_, "The Gildex options window");
    views_.options_dialog->ShowOptions();
  });
}

void ToolWindows::hWndProjectOptions_Click() { OpenOptions("Connect.hWndProjectOptions_Click"); }
void ToolWindows::hWndModuleOptions_Click() { OpenOptions("Connect.hWndModuleOptions_Click"); }
void ToolWindows::hWndFormOptions_Click() { OpenOptions("Connect.hWndFormOptions_Click"); }
void ToolWindows::hWndCodeOptions_Click() { OpenOptions("Connect.hWndCodeOptions_Click"); }

void ToolWindows::ShowInfo(const char* name) {
  add_in_.Report().Trap(name, [&] {
    if (views_.component_info == nullptr) return WindowMissing(add_in_, "The component information window");
    host::VBComponent* component = add_in_.VBE() != nullptr ? add_in_.VBE()->SelectedVBComponent() : nullptr;
    if (component == nullptr) throw ObjectNotSet();
    views_.component_info->Display(
        DescribeComponent(*component, SourceControlStatus(*component, add_in_.Services().env)));
  });
}

void ToolWindows::hWndModuleInfo_Click() { ShowInfo("Connect.hWndModuleInfo_Click"); }
void ToolWindows::hWndFormInfo_Click() { ShowInfo("Connect.hWndFormInfo_Click"); }

void ToolWindows::ShowFunctionFinder(const char* name) {
  add_in_.Report().Trap(name, [&] {
    if (views_.function_finder == nullptr) return WindowMissing(add_in_, "The function finder");
    host::VBE* vbe = add_in_.VBE();
    if (vbe == nullptr) throw ObjectNotSet();
    if (!function_finder_)
      function_finder_ = std::make_unique<FunctionFinder>(*vbe, add_in_.Report(), views_.function_finder->Clipboard(),
                                                          views_.function_finder);
    views_.function_finder->Show(*function_finder_);
  });
}

void ToolWindows::hWndCodeFinder_Click() { ShowFunctionFinder("Connect.hWndCodeFinder_Click"); }
void ToolWindows::hWndToolbarFNFinder_Click() { ShowFunctionFinder("Connect.hWndToolbarFNFinder_Click"); }
// A finished or cancelled wizard is done with; the next click starts a fresh one.
void ToolWindows::hWndToolbarWizard_Click() {
  add_in_.Report().Trap("Connect.hWndToolbarWizard_Click", [&] {
    if (views_.insert_wizard == nullptr) return WindowMissing(add_in_, "The insert wizard");
    if (wizard_ == nullptr || wizard_->Unloaded()) {
      wizard_.reset();
      wizard_ = std::make_unique<frmWizard>(add_in_, scope_, *views_.insert_wizard);
    }
    views_.insert_wizard->Show(*wizard_);
  });
}

void ToolWindows::cmdAdvanced_Click() {
  add_in_.Report().Trap("frmOptions.cmdAdvanced_Click", [&] {
    if (views_.advanced_template == nullptr) return WindowMissing(add_in_, "The per-procedure template window");
    host::VBE* vbe = add_in_.VBE();
    if (vbe == nullptr) throw ObjectNotSet();
    frmAdvancedTemplate form(*vbe, add_in_.Engine(), add_in_.Report(), views_.advanced_template);
    form.Display();
  });
}
frmWizard* ToolWindows::Wizard() const { return wizard_ != nullptr && !wizard_->Unloaded() ? wizard_.get() : nullptr; }

void ToolWindows::hWndFormToASP_Click() {
  add_in_.Report().Trap("Connect.hWndFormToASP_Click", [&] {
    clsMessages& messages = add_in_.Messages();
    messages.ButtonState(0);
    host::VBComponent* form = events_.CurrentComponent();
    if (form != nullptr && form->Type() == host::ComponentType::VBForm && form->HasOpenDesigner()) {
      if (views_.form_converter == nullptr)
        WindowMissing(add_in_, "The form-to-HTML converter");
      else
        views_.form_converter->ShowConverter(*form, add_in_.ASPGenerator());
    }
    messages.ButtonState(1);
  });
}

void ToolWindows::CloseWindows(const char* name, bool code, bool designers) {
  add_in_.Report().Trap(name, [&] {
    host::VBE* vbe = add_in_.VBE();
    if (vbe == nullptr) throw ObjectNotSet();
    if (code && designers) {
      // The collection shrinks as windows close: the first one, as many times as there were.
      const std::size_t count = vbe->Windows().size();
      for (std::size_t i = 0; i < count; ++i) {
        const std::vector<host::Window*> windows = vbe->Windows();
        if (windows.empty()) break;
        windows.front()->Close();
      }
      return;
    }
    const host::WindowType closed = code ? host::WindowType::CodeWindow : host::WindowType::Designer;
    for (std::size_t i = 0;;) {
      const std::vector<host::Window*> windows = vbe->Windows();
      if (i >= windows.size()) break;
      if (windows[i]->Type() == closed)
        windows[i]->Close();  // the next window moves up to this index
      else
        ++i;
    }
  });
}

void ToolWindows::hWndWindowCloseCode_Click() { CloseWindows("Connect.hWndWindowCloseCode_Click", true, false); }
void ToolWindows::hWndWindowCloseForms_Click() { CloseWindows("Connect.hWndWindowCloseForms_Click", false, true); }
void ToolWindows::hWndWindowCloseAll_Click() { CloseWindows("Connect.hWndWindowCloseAll_Click", true, true); }

void ToolWindows::hWndToolbarToDo_Click() {
  add_in_.Report().Trap("Connect.hWndToolbarToDo_Click", [&] {
    if (views_.todo_list == nullptr) return WindowMissing(add_in_, "The To-Do list");
    host::VBProject* project = add_in_.VBE() != nullptr ? add_in_.VBE()->ActiveVBProject() : nullptr;
    if (project == nullptr) throw ObjectNotSet();
    // The list lives beside the project file: one never saved has no place for it yet.
    const std::string file = ToDoFileOf(TrimSpaces(project->FileName()).empty() ? "" : project->FileName());
    if (file.empty()) {
      add_in_.Services().dialogs.MsgBox(platform::MessageBox{kToDoNoFolder, platform::vbExclamation, std::string(kAppTitle)});
      return;
    }
    auto list = std::make_unique<ToDoList>();
    list->Caption(kToDoCaption);
    list->FileName(file);
    list->Unloaded = [self = self_] {
      if (ToolWindows* tools = *self) tools->moToDo_Unloaded();
    };
    // A damaged file is shown all the same, empty and unchangeable, after saying why.
    if (const std::string problem = list->Load(); !problem.empty())
      add_in_.Services().dialogs.MsgBox(platform::MessageBox{problem, platform::vbExclamation, std::string(kAppTitle)});
    list->Show(*views_.todo_list);
    todo_list_ = std::move(list);  // a list opened before goes now; the window shows this one
  });
}

void ToolWindows::moToDo_Unloaded() {
  if (todo_list_ == nullptr) return;
  todo_list_->Release();
  todo_list_.reset();
}

void ToolWindows::hWndToolbarHelp_Click() {
  add_in_.Report().Trap("Connect.hWndToolbarHelp_Click", [&] {
    const std::filesystem::path file = add_in_.Services().program_folder / std::string(kHelpFileName);
    const auto notice = [&](const std::string& text) {
      add_in_.Services().dialogs.MsgBox(platform::MessageBox{text, platform::vbExclamation, std::string(kAppTitle)});
    };
    if (views_.help_viewer == nullptr)
      return notice("No help viewer is configured, so the help file " + file.string() + " cannot be opened.");
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
      return notice("The help file " + file.string() + " is missing: Gildex was not installed completely.");
    views_.help_viewer->Open(file);
  });
}

}  // namespace gildex
