#pragma once
// The project explorer as VB6 draws it: each project with its components sorted by name in
// the IDE's folders, and the command bar each row's context menu shows.
#include <string>
#include <string_view>
#include <vector>

#include "host/memory_vbe.h"

namespace gildex::workbench {

enum class ExplorerKind { Project, Folder, Component };

struct ExplorerNode {
  ExplorerKind kind = ExplorerKind::Project;
  std::string caption;  // "Orders (Orders.vbp)", "Forms", "frmMain (frmMain.frm)"
  host::MemoryProject* project = nullptr;
  host::MemoryComponent* component = nullptr;  // rows of components only
  std::string menu_bar;  // the host command bar drawn as the row's context menu
  std::vector<ExplorerNode> children;
};

// The folder a component type is shown in ("Forms", "Modules", "Class Modules", ...).
std::string_view ExplorerFolder(host::ComponentType type);
std::vector<ExplorerNode> ExplorerTree(host::MemoryVBE& vbe);
// Double-clicking a row of a component: its designer when it has one, else its code.
bool OpensDesigner(host::MemoryComponent& component);

}  // namespace gildex::workbench
