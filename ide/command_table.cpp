#include "ide/command_table.h"

#include <array>

#include "ide/connect.h"

namespace gildex {
namespace {

using host::ControlKind;
constexpr ControlKind B = ControlKind::Button;
constexpr ControlKind P = ControlKind::Popup;

constexpr std::string_view kProject = "Project Window Project";
constexpr std::string_view kModule = "Project Window Module/Class Folder";
constexpr std::string_view kForm = "Project Window Form Folder";
constexpr std::string_view kCode = "Code Window";

using S = ScopeCommands;
using T = ToolWindows;
using D = DesignerCommands;
// The handler that runs `method` of the group Connect keeps for it.
template <void (S::*method)()>
void Scope(Connect& connect) {
  (connect.Scope().*method)();
}
template <void (T::*method)()>
void Tools(Connect& connect) {
  (connect.Tools().*method)();
}
template <void (D::*method)()>
void Designer(Connect& connect) {
  (connect.Designer().*method)();
}

// Captions keep the product's spelling, typos included: users and their scripts know them.
const std::array kMenu = {
    MenuEntry{kProject, 0, B, "Insert error handling into entire project.", "Gildex_Insert", kIconInsert, true, true,
              &Scope<&S::hWndProjectInsert_Click>},
    MenuEntry{kProject, 0, B, "Remove error handling from entire project.", "Gildex_Remove", kIconRemove, false, true,
              &Scope<&S::hWndProjectDelete_Click>},
    MenuEntry{kProject, 0, B, "Gildex Options", "Gildex_Options", kIconOptions, false, true,
              &Tools<&T::hWndProjectOptions_Click>},

    MenuEntry{kModule, 0, B, "Insert Error Handling into Class/Module", "Gildex_Insert", kIconInsert, true, true,
              &Scope<&S::hWndModuleInsert_Click>},
    MenuEntry{kModule, 0, B, "Remove Error Handling from Class/Module", "Gildex_Remove", kIconRemove, false, true,
              &Scope<&S::hWndModuleDelete_Click>},
    MenuEntry{kModule, 0, B, "Insert Line-Numbers into Class/Module", "Gildex_Number", 0, true, true,
              &Scope<&S::hWndModuleNumber_Click>},
    MenuEntry{kModule, 0, B, "Remove Line-Numbers form Class/Module", "Gildex_Number", 0, false, true,
              &Scope<&S::hWndModuleUnNumber_Click>},
    MenuEntry{kModule, 0, B, "Gildex Options", "Gildex_Options", kIconOptions, true, true,
              &Tools<&T::hWndModuleOptions_Click>},
    MenuEntry{kModule, 0, B, "Component Information", "Gildex_Info", kIconInfo, true, true,
              &Tools<&T::hWndModuleInfo_Click>},

    MenuEntry{kForm, 0, B, "Insert Error Handling into form.", "Gildex_Insert", kIconInsert, true, true,
              &Scope<&S::hWndFormInsert_Click>},
    MenuEntry{kForm, 0, B, "Remove Error Handling from form.", "Gildex_Remove", kIconRemove, false, true,
              &Scope<&S::hWndFormDelete_Click>},
    MenuEntry{kForm, 0, B, "Insert Line-Numbers into form.", "Gildex_Number", 0, true, true,
              &Scope<&S::hWndFormNumber_Click>},
    MenuEntry{kForm, 0, B, "Remove Line-Numbers form form.", "Gildex_Number", 0, false, true,
              &Scope<&S::hWndFormUnNumber_Click>},
    MenuEntry{kForm, 0, B, "Convert to VBScript/HTML", "Gildex_Number", 0, false, true,
              &Tools<&T::hWndFormToASP_Click>},
    MenuEntry{kForm, 0, B, "Gildex Options", "Gildex_Options", kIconOptions, true, true,
              &Tools<&T::hWndFormOptions_Click>},
    MenuEntry{kForm, 0, B, "Component Information", "Gildex_Info", kIconInfo, true, true,
              &Tools<&T::hWndFormInfo_Click>},

    MenuEntry{kCode, 0, P, "Gildex insert", "Gildex_Insert", 0, true, true, nullptr},
    MenuEntry{kCode, 1, P, "Default template", "Gildex_Insert", 0, true, true, nullptr},
    MenuEntry{kCode, 2, B, "Into this module", "Gildex_Insert", kIconInsert, false, true,
              &Scope<&S::hWndCodeInsert_Click>},
    MenuEntry{kCode, 2, B, "Into this proc/function", "Gildex_Insert", kIconInsert, false, true,
              &Scope<&S::hWndModuleFNInsert_Click>},
    MenuEntry{kCode, 1, B, "Line numbers", "Gildex_Number", 0, true, true, &Scope<&S::hWndCodeNumber_Click>},
    MenuEntry{kCode, 1, B, "Comment block", "Gildex_Number", 0, false, true, &Scope<&S::hWndInsertComment_Click>},
    MenuEntry{kCode, 0, P, "Gildex remove", "Gildex_Remove", 0, false, true, nullptr},
    MenuEntry{kCode, 1, P, "Default template", "Gildex_Remove", 0, true, true, nullptr},
    MenuEntry{kCode, 2, B, "From this module", "Gildex_Remove", kIconRemove, false, true,
              &Scope<&S::hWndCodeDelete_Click>},
    MenuEntry{kCode, 2, B, "From this proc/function", "Gildex_Remove", kIconRemove, false, true,
              &Scope<&S::hWndModuleFNDelete_Click>},
    MenuEntry{kCode, 1, B, "Line numbers", "Gildex_Number", 0, true, true, &Scope<&S::hWndCodeUnNumber_Click>},
    MenuEntry{kCode, 0, B, "Function Finder", "Gildex_Options", 0, true, true, &Tools<&T::hWndCodeFinder_Click>},
    MenuEntry{kCode, 0, B, "Gildex Options", "Gildex_Options", kIconOptions, true, true,
              &Tools<&T::hWndCodeOptions_Click>},
    MenuEntry{kCode, 0, P, "Close Windows", "Gildex_CloseWindows", 0, true, true, nullptr},
    MenuEntry{kCode, 1, B, "Close Code Windows", "Gildex_CloseWindows", 0, false, true,
              &Tools<&T::hWndWindowCloseCode_Click>},
    MenuEntry{kCode, 1, B, "Close Designer Windows", "Gildex_CloseWindows", 0, false, true,
              &Tools<&T::hWndWindowCloseForms_Click>},
    MenuEntry{kCode, 1, B, "Close Both", "Gildex_CloseWindows", 0, false, true, &Tools<&T::hWndWindowCloseAll_Click>},

    // Hidden until the options show "Copy Properties"; the template entries stay hidden.
    MenuEntry{kControlsBar, 0, B, "Copy Properties", "Gildex_Property", 0, false, false,
              &Designer<&D::hWndControlCopy_Click>},
    MenuEntry{kControlsBar, 0, B, "View Control Templates", "Gildex_ControlTemplates", 0, true, false,
              &Designer<&D::hWndCTemplateEdit_Click>},
    MenuEntry{kControlsBar, 0, B, "Apply Control Templates", "Gildex_ControlTemplates", 0, false, false,
              &Designer<&D::hWndCTemplateView_Click>},
};

const std::array kToolbar = {
    ToolbarButton{"Insert Gildex Handler", 231, false, &Scope<&S::hWndToolbarInsert_Click>},
    ToolbarButton{"Remove Error Handler", 232, false, &Scope<&S::hWndToolbarRemove_Click>},
    ToolbarButton{"Gildex Options", 548, true, &Tools<&T::hWndToolbarOptions_Click>},
    ToolbarButton{"Gildex Wizard", 625, true, &Tools<&T::hWndToolbarWizard_Click>},
    ToolbarButton{"Code Repository", 46, false, &Tools<&T::hWndToolbarFNFinder_Click>},
    ToolbarButton{"To-Do List", 1046, false, &Tools<&T::hWndToolbarToDo_Click>},
    ToolbarButton{"Gildex Help", 1004, false, &Tools<&T::hWndToolbarHelp_Click>},
};

const MenuEntry kHelpEntry{kMenuBar, 1, B, "Gildex Help", "Gildex_Help", 1004, true, true,
                           &Tools<&T::hWndToolbarHelp_Click>};

// "Gildex_sep" is no tag of ours any more; earlier versions left separators with it.
constexpr std::array kRemoval = {
    TaggedKind{B, "Gildex_Insert"},       TaggedKind{P, "Gildex_Insert"},
    TaggedKind{B, "Gildex_Remove"},       TaggedKind{P, "Gildex_Remove"},
    TaggedKind{B, "Gildex_Info"},         TaggedKind{B, "Gildex_Number"},
    TaggedKind{B, "Gildex_Options"},      TaggedKind{B, "Gildex_CloseWindows"},
    TaggedKind{P, "Gildex_CloseWindows"}, TaggedKind{B, "Gildex_Property"},
    TaggedKind{B, "Gildex_sep"},          TaggedKind{B, "Gildex_ControlTemplates"},
    TaggedKind{P, "Gildex_ControlTemplates"}, TaggedKind{B, "Gildex_Help"},
};

}  // namespace

std::span<const MenuEntry> MenuTable() { return kMenu; }
std::span<const ToolbarButton> ToolbarTable() { return kToolbar; }
std::span<const TaggedKind> RemovalTable() { return kRemoval; }
const MenuEntry& HelpMenuEntry() { return kHelpEntry; }

bool RunsConverter(CommandHandler handler) { return handler == &Tools<&T::hWndFormToASP_Click>; }

}  // namespace gildex
