#include "host/project_loader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <system_error>

#include "platform/atomic_file.h"
#include "platform/cp1252.h"

namespace gildex::host {
namespace fs = std::filesystem;

namespace {

std::string CannotRead(const fs::path& file, std::string_view reason) {
  return "cannot read project " + file.string() + ": " + std::string(reason);
}

ComponentType TypeOfMember(MemberKind kind) {
  switch (kind) {
    case MemberKind::Form: return ComponentType::VBForm;  // MDI and Forms 2.0 are told by the file
    case MemberKind::Module: return ComponentType::StdModule;
    case MemberKind::Class: return ComponentType::ClassModule;
    case MemberKind::UserControl: return ComponentType::UserControl;
    case MemberKind::PropertyPage: return ComponentType::PropPage;
    case MemberKind::UserDocument: return ComponentType::DocObject;
    case MemberKind::Designer: return ComponentType::ActiveXDesigner;
    case MemberKind::RelatedDoc: return ComponentType::RelatedDocument;
    case MemberKind::ResFile: return ComponentType::ResFile;
  }
  return ComponentType::StdModule;
}

std::string Quoted(std::string_view text) {
  std::string quoted(1, '"');
  quoted += text;
  quoted += '"';
  return quoted;
}

// One member line of the project file: found, read and added, or reported.
class MemberLoader {
 public:
  MemberLoader(MemoryProject& project, LoadResult& result) : project_(project), result_(result) {}

  void Load(const ProjectMember& member) {
    std::string vbp = project_.File().string();
    // Read as a C string, a path with a NUL would name one file and be written back as another.
    if (member.path_text.find('\0') != std::string::npos) {
      project_.problems.push_back({vbp, member.line, "the path holds a NUL byte; the member is refused", true});
      return;
    }
    ResolvedPath resolved = ResolveMemberPath(project_.Folder(), member.path_text);
    if (resolved.match == PathMatch::Missing) {
      bool absent = false;
      project_.problems.push_back({vbp, member.line, WhyNotAFile(member, absent), true});
      if (absent) result_.missing.push_back(project_.problems.back());
      return;
    }
    if (resolved.match == PathMatch::Beside)
      project_.problems.push_back({vbp, member.line,
                                   Quoted(member.path_text) + " does not exist; using " +
                                       Quoted(resolved.path.filename().string()) + " beside the project file",
                                   false});
    if (resolved.match == PathMatch::OtherCase)
      result_.notes.push_back({vbp, member.line,
                               Quoted(member.path_text) + " is " +
                                   Quoted(resolved.path.lexically_relative(project_.Folder().lexically_normal()).string()) +
                                   " on disk",
                               false});
    std::error_code error;
    fs::path identity = fs::weakly_canonical(resolved.path, error);
    if (error) identity = fs::absolute(resolved.path).lexically_normal();
    auto [first, inserted] = seen_.emplace(identity, member.line);
    if (!inserted) {
      project_.problems.push_back({vbp, member.line,
                                   Quoted(member.path_text) + " is listed twice (first at line " +
                                       std::to_string(first->second) + "); loaded once",
                                   false});
      return;
    }
    std::string bytes, reason;
    if (!platform::ReadFileBytes(resolved.path, bytes, reason)) {
      project_.problems.push_back({vbp, member.line, "cannot read " + resolved.path.string() + ": " + reason, true});
      return;
    }
    const platform::FileStamp stamp = platform::StampOf(bytes);
    auto component = std::make_unique<MemoryComponent>(project_, TypeOfMember(member.kind), resolved.path,
                                                        std::move(bytes), member, project_.problems);
    component->disk_stamp = stamp;
    CheckNameIsNew(*component, member);
    project_.Add(std::move(component));
  }

 private:
  // The member's path names no regular file: say what is there instead; `absent` when nothing is.
  std::string WhyNotAFile(const ProjectMember& member, bool& absent) const {
    std::string native = member.path_text;
    std::replace(native.begin(), native.end(), '\\', '/');
    struct stat info {};
    const fs::path literal = project_.Folder() / native;
    const bool found = !native.empty() && ::stat(literal.c_str(), &info) == 0;
    // A folder on the way that we may not enter hides the file; it is not missing.
    if (!found && errno == EACCES) return "permission denied: " + Quoted(member.path_text);
    absent = !found;
    if (absent) return "file not found: " + Quoted(member.path_text);
    return Quoted(member.path_text) + (S_ISDIR(info.st_mode) ? " is a directory" : " is not a regular file");
  }

  // VB6 refuses a project with two components of one name, and writing both would make
  // the project unusable.
  void CheckNameIsNew(const MemoryComponent& component, const ProjectMember& member) {
    const std::string name = component.Name();
    if (component.IsBinary() || name.empty()) return;
    auto [first, inserted] = names_.emplace(name, std::make_pair(member.line, member.path_text));
    if (inserted) return;
    project_.problems.push_back({project_.File().string(), member.line,
                                 Quoted(member.path_text) + " has the same VB_Name " + Quoted(name) + " as " +
                                     Quoted(first->second.second) + " (line " + std::to_string(first->second.first) +
                                     "); VB6 refuses a project with two components of one name",
                                 true});
  }

  MemoryProject& project_;
  LoadResult& result_;
  std::map<fs::path, long> seen_;
  std::map<std::string, std::pair<long, std::string>, cp1252::LessNoCase> names_;
};

// Loads one .vbp; an empty string on success, else the reason it could not be read.
std::string LoadProjectFile(MemoryVBE& vbe, const fs::path& file, LoadResult& result) {
  std::string bytes, reason;
  if (!platform::ReadFileBytes(file, bytes, reason)) return reason;
  ProjectFile parsed = ParseProjectFile(bytes);
  if (!parsed.has_type_line) return "not a VB6 project file (no Type= line)";
  std::vector<ProjectMember> members = parsed.members;
  // VB6 ends every line it writes: a last line without its end is a file cut off in writing.
  const std::vector<RawLine>& lines = parsed.lines;
  const bool cut_off = !lines.empty() && lines.back().end == LineEnd::None && !lines.back().text.empty();
  const long last_line = static_cast<long>(lines.size());
  auto project = std::make_unique<MemoryProject>(vbe, file, std::move(parsed), std::move(bytes));
  MemberLoader loader(*project, result);
  if (cut_off)
    project->problems.push_back({file.string(), last_line,
                                 "the last line has no line end; the file may be cut off", false});
  for (const ProjectMember& member : members) loader.Load(member);
  result.problems.insert(result.problems.end(), project->problems.begin(), project->problems.end());
  result.projects.push_back(&vbe.AddProject(std::move(project)));
  return {};
}

void LoadGroup(MemoryVBE& vbe, const fs::path& file, LoadResult& result) {
  std::string reason;
  if (!platform::ReadFileBytes(file, result.group_bytes, reason)) {
    result.readable = false;
    result.error = CannotRead(file, reason);
    return;
  }
  GroupFile group = ParseGroupFile(result.group_bytes);
  if (!group.has_header) {
    result.readable = false;
    result.error = CannotRead(file, "not a VB6 group file (no VBGROUP line)");
    return;
  }
  std::string vbg = file.string();
  for (const GroupMember& member : group.projects) {
    ResolvedPath resolved = ResolveMemberPath(file.parent_path(), member.path_text);
    if (resolved.match == PathMatch::Missing) {
      result.problems.push_back({vbg, member.line, "project file not found: " + Quoted(member.path_text), true});
      continue;
    }
    if (resolved.match == PathMatch::Beside)
      result.problems.push_back({vbg, member.line,
                                 Quoted(member.path_text) + " does not exist; using " +
                                     Quoted(resolved.path.filename().string()) + " beside the group file",
                                 false});
    std::string failure = LoadProjectFile(vbe, resolved.path, result);
    if (!failure.empty())
      result.problems.push_back({vbg, member.line, "cannot read project " + resolved.path.string() + ": " + failure, true});
  }
  result.group_path = file;
  result.group = std::move(group);
}

void LoadSingleComponent(MemoryVBE& vbe, const fs::path& file, ComponentType type, LoadResult& result) {
  std::string bytes, reason;
  if (!platform::ReadFileBytes(file, bytes, reason)) {
    result.readable = false;
    result.error = CannotRead(file, reason);
    return;
  }
  auto project = std::make_unique<MemoryProject>(vbe, fs::path(), ProjectFile{}, std::string());
  const platform::FileStamp stamp = platform::StampOf(bytes);
  auto component = std::make_unique<MemoryComponent>(*project, type, file, std::move(bytes), std::nullopt, project->problems);
  component->disk_stamp = stamp;
  project->Add(std::move(component));
  result.problems.insert(result.problems.end(), project->problems.begin(), project->problems.end());
  result.projects.push_back(&vbe.AddProject(std::move(project)));
}

}  // namespace

std::string WhyNotWritable(const MemoryComponent& component) {
  if (!component.Usable()) return "the file did not load completely";
  if (component.IsReadOnly()) return "the file is read-only";
  return {};
}

namespace {

void WriteComponent(MemoryProject& project, MemoryComponent& component, SaveResult& result) {
  std::string file = component.File().string();
  if (const std::string why = WhyNotWritable(component); !why.empty()) {
    result.skipped.push_back({file, 0, "not written: " + why, true});
    return;
  }
  bool cancel = false;
  project.RequestWriteFile.Raise(component.FileNames(1), cancel);
  if (cancel) {
    result.skipped.push_back({file, 0, "not written: the write was cancelled", false});
    return;
  }
  // Another program (an editor, a second run) saved the file after we read it: its change
  // must not be lost under ours, even when it lands just before our write.
  std::string bytes = component.Serialize();
  try {
    if (component.disk_stamp)
      platform::WriteFileIfUnchanged(component.File(), bytes, *component.disk_stamp);
    else
      platform::WriteFileAtomically(component.File(), bytes, 0644, true);
  } catch (const platform::ChangedOnDisk&) {
    result.skipped.push_back({file, 0, "not written: the file changed on disk since it was loaded", true});
    return;
  } catch (const std::exception& e) {
    result.skipped.push_back({file, 0, std::string("not written: ") + e.what(), true});
    return;
  }
  component.MarkSaved(std::move(bytes));
  result.written.push_back(file);
}

bool HasChangedComponents(const MemoryProject& project) {
  auto components = project.Components();
  return std::any_of(components.begin(), components.end(), [](const MemoryComponent* c) { return c->IsDirty(); });
}

std::string RefusalFor(const MemoryProject& project) {
  if (project.LoadedCompletely() || !HasChangedComponents(project)) return {};
  return "nothing written: " + project.Name() + " did not load completely";
}

void SaveInto(MemoryProject& project, SaveResult& result) {
  for (MemoryComponent* component : project.Components())
    if (component->IsDirty()) WriteComponent(project, *component, result);
  if (project.MembersChanged())
    result.skipped.push_back({project.File().string(), 0,
                              "not written: saving a changed member list into the project file is not supported yet",
                              true});
}

}  // namespace

bool LoadResult::HasFatal() const {
  return !readable || std::any_of(problems.begin(), problems.end(), [](const LoadProblem& p) { return p.fatal; });
}

std::optional<ComponentType> ComponentTypeOfFile(const fs::path& file) {
  static const std::pair<std::string_view, ComponentType> kExtensions[] = {
      {".bas", ComponentType::StdModule},   {".cls", ComponentType::ClassModule}, {".frm", ComponentType::VBForm},
      {".ctl", ComponentType::UserControl}, {".pag", ComponentType::PropPage},    {".dob", ComponentType::DocObject},
      {".dsr", ComponentType::ActiveXDesigner},
  };
  std::string extension = file.extension().string();
  for (const auto& [known, type] : kExtensions)
    if (cp1252::EqualsNoCase(extension, known)) return type;
  return std::nullopt;
}

LoadResult Load(MemoryVBE& vbe, const fs::path& path) {
  LoadResult result;
  std::string extension = path.extension().string();
  if (cp1252::EqualsNoCase(extension, ".vbg")) {
    LoadGroup(vbe, path, result);
  } else if (cp1252::EqualsNoCase(extension, ".vbp")) {
    std::string failure = LoadProjectFile(vbe, path, result);
    if (!failure.empty()) {
      result.readable = false;
      result.error = CannotRead(path, failure);
    }
  } else if (auto type = ComponentTypeOfFile(path)) {
    LoadSingleComponent(vbe, path, *type, result);
  } else {
    result.readable = false;
    result.error = CannotRead(path, "not a VB6 project (.vbp), group (.vbg) or component file");
  }
  return result;
}

void DropMissingMembers(LoadResult& loaded) {
  auto drop = [&loaded](std::vector<LoadProblem>& problems) {
    for (LoadProblem& problem : problems)
      for (const LoadProblem& missing : loaded.missing)
        if (problem.fatal && problem.file == missing.file && problem.line == missing.line &&
            problem.message == missing.message) {
          problem.fatal = false;
          problem.message += "; left out (the project file keeps the line)";
        }
  };
  for (MemoryProject* project : loaded.projects) drop(project->problems);
  drop(loaded.problems);
  loaded.missing.clear();
}

SaveResult SaveProject(MemoryProject& project) {
  SaveResult result;
  result.error = RefusalFor(project);
  if (result.error.empty()) SaveInto(project, result);
  return result;
}

SaveResult SaveChanged(MemoryVBE& vbe) {
  SaveResult result;
  // Every project is checked before anything is written, so a refusal leaves all files alone.
  for (MemoryProject* project : vbe.Projects()) {
    result.error = RefusalFor(*project);
    if (!result.error.empty()) return result;
  }
  for (MemoryProject* project : vbe.Projects()) SaveInto(*project, result);
  return result;
}

std::string SerializeComponent(const MemoryComponent& component) { return component.Serialize(); }

}  // namespace gildex::host
