#include "workbench/explorer.h"

#include <algorithm>
#include <array>

#include "platform/cp1252.h"

namespace gildex::workbench {

namespace {

using host::ComponentType;

// VB6's folders, in the order the explorer lists them.
constexpr std::array<std::string_view, 8> kFolders = {"Forms",          "Modules",      "Class Modules",
                                                       "User Controls",  "Property Pages", "User Documents",
                                                       "Designers",      "Related Documents"};

std::string FileNameOf(const std::filesystem::path& file) { return file.filename().string(); }

std::string MenuBarOf(host::MemoryComponent& component) {
  switch (component.Type()) {
    case ComponentType::StdModule:
    case ComponentType::ClassModule:
      return "Project Window Module/Class Folder";
    case ComponentType::ResFile:
    case ComponentType::RelatedDocument:
      return "Project Window";
    default:
      return "Project Window Form Folder";
  }
}

}  // namespace

std::string_view ExplorerFolder(host::ComponentType type) {
  switch (type) {
    case ComponentType::VBForm:
    case ComponentType::VBMDIForm:
      return kFolders[0];
    case ComponentType::StdModule:
      return kFolders[1];
    case ComponentType::ClassModule:
      return kFolders[2];
    case ComponentType::UserControl:
      return kFolders[3];
    case ComponentType::PropPage:
      return kFolders[4];
    case ComponentType::DocObject:
      return kFolders[5];
    case ComponentType::MSForm:
    case ComponentType::ActiveXDesigner:
      return kFolders[6];
    case ComponentType::ResFile:
    case ComponentType::RelatedDocument:
      break;
  }
  return kFolders[7];
}

bool OpensDesigner(host::MemoryComponent& component) {
  return component.GetDesigner() != nullptr || component.Code() == nullptr;
}

std::vector<ExplorerNode> ExplorerTree(host::MemoryVBE& vbe) {
  std::vector<ExplorerNode> tree;
  for (host::MemoryProject* project : vbe.Projects()) {
    ExplorerNode root{ExplorerKind::Project, project->Name(), project, nullptr, "Project Window Project", {}};
    if (!project->File().empty()) root.caption += " (" + FileNameOf(project->File()) + ")";
    for (std::string_view folder : kFolders) {
      ExplorerNode node{ExplorerKind::Folder, std::string(folder), project, nullptr, "Project Window", {}};
      for (host::MemoryComponent* component : project->Components()) {
        if (ExplorerFolder(component->Type()) != folder) continue;
        std::string caption = component->Name();
        if (const std::string file = FileNameOf(component->File()); !file.empty()) caption += " (" + file + ")";
        node.children.push_back({ExplorerKind::Component, caption, project, component, MenuBarOf(*component), {}});
      }
      // VB6 sorts each folder by name, in any letter case.
      std::stable_sort(node.children.begin(), node.children.end(), [](const ExplorerNode& a, const ExplorerNode& b) {
        return cp1252::LessNoCase{}(a.caption, b.caption);
      });
      if (!node.children.empty()) root.children.push_back(std::move(node));
    }
    tree.push_back(std::move(root));
  }
  return tree;
}

}  // namespace gildex::workbench
