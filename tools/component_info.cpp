#include "tools/component_info.h"

#include "common/nembus_common.h"
#include "platform/cp1252.h"
#include "platform/source_safe.h"

namespace gildex {
namespace {

std::string Trimmed(std::string_view text) { return std::string(TrimSpaces(text)); }

}  // namespace

std::string SourceControlProjectName(const std::string& section, const std::string& project_file) {
  const std::string folder = GetFilePath(project_file);
  if (folder.empty()) return {};
  // Written on Windows as "MSSCCPRJ.SCC" or in any other letter case.
  const std::vector<std::string> found = Files(platform::NativePath(folder), kSourceControlProjectFile);
  if (found.empty()) return {};
  const std::string value = READ_INI(section, "SCC_Project_Name", platform::NativePath(folder) / found.front());
  return ReplaceAll(GetField(value, ",", 1), "\"", "");
}

std::string MemberTypeText(host::MemberType type) {
  switch (type) {
    case host::MemberType::Method: return "Method";
    case host::MemberType::Property: return "Property";
    case host::MemberType::Variable: return "Variable";
    case host::MemberType::Event: return "Event";
    case host::MemberType::Const: return "Constant";
  }
  return {};
}

std::string SccStatusText(int status) {
  switch (status) {
    case SCC_STATUS_NOTCONTROLLED: return "- File is not under source code control.";
    case SCC_STATUS_CONTROLLED: return "- File is under source code control.";
    case SCC_STATUS_CHECKEDOUT: return "- File is checked out to current user.";
    case SCC_STATUS_OUTOTHER: return "- File is checked out to another user.";
    case SCC_STATUS_OUTOFDATE: return "- The file is out of date.";
    case SCC_STATUS_SHARED: return "- The file is shared between projects.";
    default: return "- File under source code control (Status unknown).";
  }
}

std::string MemberLine(const host::Member& member) {
  // The host numbers scopes; only Private is 1, Friend shows as public.
  const bool is_private = cp1252::EqualsNoCase(member.scope, "Private");
  return "(" + MemberTypeText(member.type) + ")\t - " + member.name + "(" + (is_private ? "Private)" : "Public)");
}

ComponentInformation DescribeComponent(host::VBComponent& component, int scc_status) {
  ComponentInformation info;
  info.name = Trimmed(component.Name());
  const std::string file = Trimmed(component.FileNames(1));
  info.filename = GetFile(file).empty() ? ComponentInformation::kNotSaved : file;
  host::CodeModule* module = component.Code();
  info.lines = std::to_string(module != nullptr ? module->CountOfLines() : 0);
  info.source_control = scc_status != SCC_STATUS_NOTCONTROLLED;
  info.status = SccStatusText(scc_status);
  if (module != nullptr)
    for (const host::Member& member : module->Members()) info.members.push_back(MemberLine(member));
  return info;
}

int SourceControlStatus(host::VBComponent& component, const platform::Environment& env) {
  const std::string file = component.FileNames(1);
  if (file.empty()) return SCC_STATUS_NOTCONTROLLED;
  std::unique_ptr<platform::SourceSafe> database;
  try {
    database = platform::CreateSourceSafe(env);
  } catch (const platform::SourceSafeError&) {
    return SCC_STATUS_NOTCONTROLLED;  // no source control configured
  }
  try {
    database->Open();
    const std::string project =
        SourceControlProjectName(GetFile(component.Project().FileName()), component.Project().FileName());
    std::unique_ptr<platform::SourceSafeItem> item;
    if (!project.empty()) {
      database->CurrentProject(project);
      item = database->VSSItem(project + "/" + GetFile(file));
    }
    if (!item && file.size() > 2) {
      // The path without its drive ("C:"); a path of this system has none.
      std::string path = ReplaceAll(file[1] == ':' ? file.substr(2) : file, "\\", "/");
      item = database->VSSItem((path.starts_with("/") ? "$" : "$/") + path);
    }
    if (!item) return SCC_STATUS_NOTCONTROLLED;
    switch (item->IsCheckedOut()) {
      case 0: return SCC_STATUS_CONTROLLED;
      case 2: return SCC_STATUS_CHECKEDOUT;
      default: return SCC_STATUS_OUTOTHER;
    }
  } catch (const std::exception&) {
    return -1;
  }
}

std::string FormatComponentInformation(const ComponentInformation& info) {
  std::string text = "Component Name : " + info.name + "\nFilename : " + info.filename +
                     "\nLines of code : " + info.lines + "\nSource Control : " +
                     (info.source_control ? "[x] " : "[ ] ") + info.status + "\nComponent Members\n";
  for (const std::string& line : info.members) text += line + "\n";
  return text;
}

}  // namespace gildex
