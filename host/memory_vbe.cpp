#include "host/memory_vbe.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <set>

#include "host/ide_bars.h"
#include "host/project_loader.h"
#include "platform/atomic_file.h"
#include "platform/cp1252.h"
#include "platform/process.h"
#include "platform/shell_command.h"

namespace gildex::host {
namespace fs = std::filesystem;

namespace {

HostError OutOfRange() { return HostError(9, "Subscript out of range"); }

HostError NotSupportedYet(std::string_view what) {
  return HostError(445, "Object doesn't support this action: " + std::string(what) + " is not supported yet");
}

void CollectBinaryReferences(const DesignerProperty& property, std::vector<const DesignerProperty*>& out) {
  if (property.frx) out.push_back(&property);
  for (const auto& member : property.group) CollectBinaryReferences(member, out);
}

constexpr std::size_t kBuildOutputLimit = 64 * 1024;

// The last non-blank line of a command's output, which is where build tools put the error.
std::string LastLine(std::string_view output) {
  std::size_t end = output.find_last_not_of(" \t\r\n");
  if (end == std::string_view::npos) return {};
  output = output.substr(0, end + 1);
  std::size_t start = output.find_last_of("\r\n");
  output = output.substr(start == std::string_view::npos ? 0 : start + 1);
  std::size_t first = output.find_first_not_of(" \t");
  return std::string(output.substr(first));
}

}  // namespace

std::string_view ComponentTypeName(ComponentType type) {
  switch (type) {
    case ComponentType::StdModule: return "Module";
    case ComponentType::ClassModule: return "Class";
    case ComponentType::MSForm: return "MSForm";
    case ComponentType::ResFile: return "ResFile";
    case ComponentType::VBForm: return "Form";
    case ComponentType::VBMDIForm: return "MDIForm";
    case ComponentType::PropPage: return "PropertyPage";
    case ComponentType::UserControl: return "UserControl";
    case ComponentType::DocObject: return "UserDocument";
    case ComponentType::RelatedDocument: return "RelatedDocument";
    case ComponentType::ActiveXDesigner: return "Designer";
  }
  return "Unknown";
}

// ---- component ----

MemoryComponent::MemoryComponent(MemoryProject& project, ComponentType type, fs::path file, std::string bytes,
                                 std::optional<ProjectMember> member, std::vector<LoadProblem>& problems)
    : project_(project), type_(type), file_(std::move(file)), disk_bytes_(std::move(bytes)), member_(std::move(member)) {
  Parse(problems);
}

MemoryComponent::~MemoryComponent() = default;

bool MemoryComponent::IsBinary() const {
  return type_ == ComponentType::ResFile || type_ == ComponentType::RelatedDocument;
}

void MemoryComponent::Parse(std::vector<LoadProblem>& problems) {
  header_.clear();
  code_.reset();
  designer_.reset();
  block_.reset();
  usable_ = true;
  header_dirty_ = false;
  if (member_ && !member_->name.empty())
    name_ = member_->name;
  else if (member_)
    name_ = fs::path(WindowsFileName(member_->path_text)).stem().string();  // as the project file spells it
  else
    name_ = file_.stem().string();
  if (IsBinary()) return;

  std::size_t first_new = problems.size();
  SourceFile source = ParseSourceFile(disk_bytes_, file_.string(), problems);
  for (std::size_t i = first_new; i < problems.size(); ++i) usable_ = usable_ && !problems[i].fatal;
  if (!usable_) return;
  // The IDE names a component after its file's VB_Name, whatever the project file says.
  if (!source.vb_name.empty()) name_ = source.vb_name;
  header_ = std::move(source.header);
  block_ = std::move(source.designer);
  if (block_ && block_->root) {
    if (type_ == ComponentType::VBForm || type_ == ComponentType::VBMDIForm || type_ == ComponentType::MSForm) {
      const std::string& prog_id = block_->root->prog_id;
      if (cp1252::EqualsNoCase(prog_id, "VB.MDIForm"))
        type_ = ComponentType::VBMDIForm;
      else if (!prog_id.empty() && prog_id.front() == '{')
        type_ = ComponentType::MSForm;  // a Forms 2.0 designer, named by its class id
      else
        type_ = ComponentType::VBForm;
    }
    designer_ = std::make_unique<MemoryDesigner>(*this, *block_, header_);
    CheckBinaryFiles(problems);
  }
  code_ = std::make_unique<MemoryCodeModule>(name_, std::move(source.code), source.new_line_end, this);
  std::string().swap(disk_bytes_);
}

void MemoryComponent::CheckBinaryFiles(std::vector<LoadProblem>& problems) const {
  std::vector<const DesignerProperty*> references;
  std::vector<const DesignerControl*> controls{block_->root.get()};
  for (const DesignerControl* control : block_->AllControls()) controls.push_back(control);
  for (const DesignerControl* control : controls)
    for (const auto& property : control->properties) CollectBinaryReferences(property, references);
  std::set<std::string, cp1252::LessNoCase> reported;
  for (const DesignerProperty* property : references) {
    const std::string& name = property->frx->file;
    if (reported.count(name) || FindIgnoringCase(file_.parent_path(), name)) continue;
    reported.insert(name);
    problems.push_back({file_.string(), property->line,
                        "binary file \"" + name + "\" not found (property " + property->name + ")", false});
  }
}

std::string MemoryComponent::Name() const { return name_; }

void MemoryComponent::SetName(std::string_view name) {
  std::string old = name_;
  name_ = std::string(name);
  // A form and its component are one: the designer's Begin line carries the same name.
  if (block_ && block_->root && !block_->root->name.empty() && block_->root->name != name_) {
    RenameControlLine(header_, *block_->root, name_);
    header_dirty_ = true;
  }
  for (RawLine& line : header_) {
    if (!cp1252::StartsWithNoCase(line.text, "Attribute VB_Name")) continue;
    line.text = "Attribute VB_Name = \"" + name_ + "\"";
    header_dirty_ = true;
    break;
  }
  if (code_) code_->SetName(name_);
  project_.ComponentRenamed.Raise(*this, old);
}

bool MemoryComponent::HasOpenDesigner() const { return project_.Vbe().HasWindow(*this, WindowType::Designer); }

std::string MemoryComponent::FileNames(int index) const {
  if (index != 1) throw OutOfRange();
  return fs::absolute(file_).lexically_normal().string();
}

bool MemoryComponent::IsReadOnly() const {
  if (!usable_) return true;
  struct stat info {};
  if (stat(file_.c_str(), &info) != 0) return false;  // not on disk (any more): a save creates it
  // The permission bits first: the superuser may write anything, but a file without write
  // bits is read-only to its user (the Windows read-only attribute copied over).
  return (info.st_mode & 0222) == 0 || access(file_.c_str(), W_OK) != 0;
}

bool MemoryComponent::IsDirty() const { return header_dirty_ || (code_ && code_->IsDirty()); }

std::string MemoryComponent::Serialize() const {
  if (!usable_ || !code_) return disk_bytes_;
  std::string bytes = WriteSourceFile(header_, {});
  code_->AppendFileText(bytes);
  return bytes;
}

std::vector<long> MemoryComponent::CodeFileLines() const {
  std::vector<long> file_lines;
  if (!code_) return file_lines;
  long file_line = static_cast<long>(header_.size());
  for (const CodeLine& line : code_->ExportLines()) {
    file_lines.push_back(file_line + 1);
    file_line += 1 + static_cast<long>(line.hidden.size());
  }
  return file_lines;
}

void MemoryComponent::MarkSaved(std::string bytes) {
  disk_stamp = platform::StampOf(bytes);
  if (!code_) disk_bytes_ = std::move(bytes);
  header_dirty_ = false;
  if (code_) code_->ClearDirty();
}

void MemoryComponent::SaveAs(const std::string& file_name) {
  if (!usable_) throw HostError(75, "Path/File access error: " + file_.string() + " did not load completely and is never written");
  bool cancel = false;
  project_.RequestWriteFile.Raise(file_name, cancel);
  if (cancel) return;
  std::string bytes = Serialize();
  try {
    platform::WriteFileAtomically(file_name, bytes, 0644, true);
  } catch (const std::exception& e) {
    throw HostError(75, std::string("Path/File access error: ") + e.what());
  }
  file_ = file_name;
  MarkSaved(std::move(bytes));
}

void MemoryComponent::Reload() {
  std::optional<std::string> bytes;
  try {
    bytes = platform::ReadWholeFile(file_);
  } catch (const std::exception& e) {
    throw HostError(75, std::string("Path/File access error: ") + e.what());
  }
  if (!bytes) throw HostError(53, "File not found: " + file_.string());
  project_.Vbe().CloseWindowsOf(*this);
  disk_stamp = platform::StampOf(*bytes);
  disk_bytes_ = std::move(*bytes);
  project_.problems.erase(std::remove_if(project_.problems.begin(), project_.problems.end(),
                                         [&](const LoadProblem& p) { return p.file == file_.string(); }),
                          project_.problems.end());
  Parse(project_.problems);
  project_.ComponentReloaded.Raise(*this);
}

VBProject& MemoryComponent::Project() { return project_; }

// ---- project ----

MemoryProject::MemoryProject(MemoryVBE& vbe, fs::path project_file, ProjectFile parsed, std::string disk_bytes)
    : vbe_(vbe), file_(std::move(project_file)), parsed_(std::move(parsed)), disk_bytes_(std::move(disk_bytes)) {}

MemoryProject::~MemoryProject() = default;

std::string MemoryProject::Name() const {
  if (!parsed_.name.empty()) return parsed_.name;
  return file_.empty() ? "Project1" : file_.stem().string();
}

std::string MemoryProject::FileName() const {
  return file_.empty() ? std::string() : fs::absolute(file_).lexically_normal().string();
}

std::string MemoryProject::BuildFileName() const {
  return file_.empty() ? std::string() : host::BuildFileName(parsed_, Folder());
}

fs::path MemoryProject::Folder() const {
  if (!file_.empty()) return file_.parent_path();
  return components_.empty() ? fs::path() : components_.front()->File().parent_path();
}

int MemoryProject::ComponentCount() const { return static_cast<int>(components_.size()); }

VBComponent& MemoryProject::Component(int index) {
  if (index < 1 || index > ComponentCount()) throw OutOfRange();
  return *components_[static_cast<std::size_t>(index - 1)];
}

VBComponent* MemoryProject::FindComponent(std::string_view name) {
  for (auto& component : components_)
    if (cp1252::EqualsNoCase(component->Name(), name)) return component.get();
  return nullptr;
}

std::vector<MemoryComponent*> MemoryProject::Components() const {
  std::vector<MemoryComponent*> all;
  for (const auto& component : components_) all.push_back(component.get());
  return all;
}

MemoryComponent& MemoryProject::Add(std::unique_ptr<MemoryComponent> component) {
  components_.push_back(std::move(component));
  if (vbe_.LoadingStep()) vbe_.LoadingStep()();
  return *components_.back();
}

VBComponent& MemoryProject::AddFromFile(const std::string& file_name) {
  std::optional<ComponentType> type = ComponentTypeOfFile(file_name);
  if (!type) throw HostError(75, "Path/File access error: " + file_name + " is not a VB6 component file");
  std::optional<std::string> bytes;
  try {
    bytes = platform::ReadWholeFile(file_name);
  } catch (const std::exception& e) {
    throw HostError(75, std::string("Path/File access error: ") + e.what());
  }
  if (!bytes) throw HostError(53, "File not found: " + file_name);
  std::vector<LoadProblem> found;
  auto component = std::make_unique<MemoryComponent>(*this, *type, file_name, std::move(*bytes), std::nullopt, found);
  for (const LoadProblem& problem : found)
    if (problem.fatal) throw HostError(75, problem.file + ":" + std::to_string(problem.line) + ": " + problem.message);
  problems.insert(problems.end(), found.begin(), found.end());
  MemoryComponent& added = Add(std::move(component));
  members_changed_ = true;
  ComponentAdded.Raise(added);
  return added;
}

void MemoryProject::Remove(VBComponent& component) {
  auto it = std::find_if(components_.begin(), components_.end(), [&](const auto& c) { return c.get() == &component; });
  if (it == components_.end()) throw HostError(9, "Subscript out of range: " + component.Name() + " is not in " + Name());
  ComponentRemoved.Raise(**it);
  vbe_.CloseWindowsOf(**it);
  if ((*it)->Member()) removed_member_lines_.push_back((*it)->Member()->line);
  components_.erase(it);
  members_changed_ = true;
}

void MemoryProject::MakeCompiledFile() {
  // As the IDE does before it writes the compiled file: an add-in may take the build over.
  if (const std::string output = BuildFileName(); !output.empty()) {
    bool cancel = false;
    RequestWriteFile.Raise(output, cancel);
    if (cancel) return;
  }
  const std::string& command = vbe_.BuildCommand();
  if (command.empty()) {
    // Nothing here can compile VB6; never report a build that did not happen.
    last_structure_problems_ = CheckStructure(*this);
    if (last_structure_problems_.empty())
      throw HostError(5, "no build command configured; structural check passed, nothing compiled");
    throw HostError(5, "no build command configured; structural check found " +
                           std::to_string(last_structure_problems_.size()) + " problem(s)");
  }
  if (file_.empty()) throw HostError(5, "cannot build " + Name() + ": it has no project file");
  if (vbe_.BeforeBuild()) vbe_.BeforeBuild()(*this);
  // The build reads the files on disk: it must see the text the user sees.
  if (IsDirty()) throw HostError(5, "cannot build " + Name() + ": the project has unsaved changes");
  fs::path project_file = fs::absolute(file_).lexically_normal();
  const std::string line =
      platform::ExpandShellCommand(command, {{"{project}", project_file.string()}, {"{output}", BuildFileName()}});
  platform::ProcessResult result;
  try {
    // Standard input is /dev/null: a build that asks a question cannot hang the add-in.
    result = platform::RunProcess({platform::ShellArgv(line), project_file.parent_path()}, kBuildOutputLimit);
  } catch (const platform::ProcessError& error) {
    throw HostError(5, std::string("cannot start the build command: ") + error.what());
  }
  last_build_output_ = std::move(result.output);
  std::string last_line = LastLine(last_build_output_);
  std::string tail = last_line.empty() ? std::string() : ": " + last_line;
  if (result.signal != 0)
    throw HostError(5, "build command was stopped by signal " + std::to_string(result.signal) + tail);
  if (result.exit_code != 0)
    throw HostError(5, "build command failed with exit code " + std::to_string(result.exit_code) + tail);
}

bool MemoryProject::IsDirty() const {
  if (members_changed_) return true;
  return std::any_of(components_.begin(), components_.end(), [](const auto& c) { return c->IsDirty(); });
}

namespace {

// The project file line VB6 writes for `component` in a project file in `folder`.
std::string MemberLineFor(MemoryComponent& component, const fs::path& folder) {
  const fs::path file = fs::absolute(component.File()).lexically_normal();
  const fs::path relative = file.lexically_relative(folder);
  std::string path = (relative.empty() ? file : relative).string();
  std::replace(path.begin(), path.end(), '/', '\\');
  switch (component.Type()) {
    case ComponentType::VBForm:
    case ComponentType::VBMDIForm: return "Form=" + path;
    case ComponentType::StdModule: return "Module=" + component.Name() + "; " + path;
    case ComponentType::ClassModule: return "Class=" + component.Name() + "; " + path;
    case ComponentType::UserControl: return "UserControl=" + path;
    case ComponentType::PropPage: return "PropertyPage=" + path;
    case ComponentType::DocObject: return "UserDocument=" + path;
    case ComponentType::ActiveXDesigner: return "Designer=" + path;
    default: throw HostError(75, "Path/File access error: " + component.Name() + " has no line of a project file");
  }
}

}  // namespace

std::vector<RawLine> MemoryProject::ProjectFileLines(const fs::path& folder,
                                                     std::vector<std::pair<MemoryComponent*, long>>& placed) const {
  std::vector<RawLine> old = parsed_.lines;
  // New members go after the last member line, else after the Type line, else first.
  long insert_after = 0;
  for (const ProjectMember& member : parsed_.members) insert_after = std::max(insert_after, member.line);
  if (file_.empty()) {
    // Never saved: the lines VB6 starts a project file with, the members to follow Type.
    std::string startup = "Sub Main";
    for (const auto& component : components_)
      if (component->Type() == ComponentType::VBForm || component->Type() == ComponentType::VBMDIForm) {
        startup = component->Name();
        break;
      }
    old = {{"Type=Exe"}, {"Startup=\"" + startup + "\""}, {"Command32=\"\""}, {"Name=\"" + Name() + "\""}};
    insert_after = 1;
  } else if (insert_after == 0) {
    for (std::size_t i = 0; i < old.size() && insert_after == 0; ++i)
      if (cp1252::StartsWithNoCase(old[i].text, "Type=")) insert_after = static_cast<long>(i) + 1;
  }
  const LineEnd end = DominantLineEnd(old);
  std::vector<RawLine> lines;
  std::map<long, long> moved;  // a line of `old` -> its line in `lines`
  auto add_new_members = [&] {
    if (!lines.empty() && lines.back().end == LineEnd::None) lines.back().end = end;
    for (const auto& component : components_)
      if (!component->Member()) {
        lines.push_back({MemberLineFor(*component, folder), end});
        placed.emplace_back(component.get(), static_cast<long>(lines.size()));
      }
  };
  if (insert_after == 0) add_new_members();
  for (long line = 1; line <= static_cast<long>(old.size()); ++line) {
    if (std::find(removed_member_lines_.begin(), removed_member_lines_.end(), line) == removed_member_lines_.end()) {
      lines.push_back(old[static_cast<std::size_t>(line - 1)]);
      moved[line] = static_cast<long>(lines.size());
    }
    if (line == insert_after) add_new_members();
  }
  for (const auto& component : components_)
    if (component->Member()) placed.emplace_back(component.get(), moved.at(component->Member()->line));
  return lines;
}

void MemoryProject::SaveAs(const std::string& file_name) {
  const fs::path target = fs::absolute(fs::path(file_name)).lexically_normal();
  // The member lines kept are relative to the project file's folder.
  if (!file_.empty() && target.parent_path() != fs::absolute(file_).lexically_normal().parent_path())
    throw NotSupportedYet("saving a project into another folder");
  // Made first: a member that has no line of a project file stops the save before any write.
  std::vector<std::pair<MemoryComponent*, long>> placed;
  const std::string bytes = JoinLines(ProjectFileLines(target.parent_path(), placed));
  SaveResult saved = SaveProject(*this);
  if (!saved.error.empty()) throw HostError(75, saved.error);
  // The save of the components leaves a changed member list to the project file, written here.
  for (const LoadProblem& skipped : saved.skipped)
    if (skipped.file != file_.string()) throw HostError(75, skipped.file + ": " + skipped.message);
  bool cancel = false;
  RequestWriteFile.Raise(file_name, cancel);
  if (cancel) return;
  try {
    platform::WriteFileAtomically(target, bytes, 0644, true);
  } catch (const std::exception& e) {
    throw HostError(75, std::string("Path/File access error: ") + e.what());
  }
  file_ = fs::path(file_name);
  disk_bytes_ = bytes;
  parsed_ = ParseProjectFile(disk_bytes_);
  members_changed_ = false;
  removed_member_lines_.clear();
  for (const auto& [component, line] : placed)
    for (const ProjectMember& member : parsed_.members)
      if (member.line == line) component->member_ = member;
}

bool MemoryProject::LoadedCompletely() const {
  return std::none_of(problems.begin(), problems.end(), [](const LoadProblem& p) { return p.fatal; });
}

// ---- windows ----

MemoryWindow::MemoryWindow(MemoryVBE& vbe, WindowType type, MemoryComponent& component)
    : vbe_(vbe), type_(type), component_(&component) {
  std::string kind = type == WindowType::CodeWindow ? "Code" : std::string(ComponentTypeName(component.Type()));
  caption_ = component.Project().Name() + " - " + component.Name() + " (" + kind + ")";
}

std::string MemoryWindow::Caption() const { return caption_; }

void MemoryWindow::Close() {
  if (component_) vbe_.CloseWindow(*this);
}

// ---- VBE ----

MemoryVBE::MemoryVBE() { AddIdeBars(bars_); }

MemoryVBE::~MemoryVBE() {
  // Windows refer to components: they go first.
  windows_.clear();
  closed_windows_.clear();
  projects_.clear();
}

int MemoryVBE::ProjectCount() const { return static_cast<int>(projects_.size()); }

VBProject& MemoryVBE::Project(int index) {
  if (index < 1 || index > ProjectCount()) throw OutOfRange();
  return *projects_[static_cast<std::size_t>(index - 1)];
}

std::vector<Window*> MemoryVBE::Windows() {
  std::vector<Window*> all;
  for (auto& window : windows_) all.push_back(window.get());
  return all;
}

std::string MemoryVBE::MainWindowCaption() const {
  constexpr std::string_view kIde = "Microsoft Visual Basic [design]";
  return active_ ? active_->Name() + " - " + std::string(kIde) : std::string(kIde);
}

MemoryProject& MemoryVBE::AddProject(std::unique_ptr<MemoryProject> project) {
  projects_.push_back(std::move(project));
  MemoryProject& added = *projects_.back();
  if (!active_) active_ = &added;
  ProjectAdded.Raise(added);
  return added;
}

void MemoryVBE::RemoveProject(MemoryProject& project) {
  auto it = std::find_if(projects_.begin(), projects_.end(), [&](const auto& p) { return p.get() == &project; });
  if (it == projects_.end()) throw OutOfRange();
  for (MemoryComponent* component : project.Components()) CloseWindowsOf(*component);
  // As in VB6, handlers see the project that stays active, not the one going; the removed
  // one is still alive while they run, so they can let go of its events.
  if (active_ == &project) {
    active_ = nullptr;
    for (const auto& other : projects_)
      if (other.get() != &project) {
        active_ = other.get();
        break;
      }
  }
  if (selected_ != nullptr && &selected_->Project() == &project) selected_ = nullptr;
  ProjectRemoved.Raise(project);
  projects_.erase(std::find_if(projects_.begin(), projects_.end(), [&](const auto& p) { return p.get() == &project; }));
}

void MemoryVBE::SetActiveProject(MemoryProject& project) {
  active_ = &project;
  ProjectActivated.Raise(project);
}

std::vector<MemoryProject*> MemoryVBE::Projects() const {
  std::vector<MemoryProject*> all;
  for (const auto& project : projects_) all.push_back(project.get());
  return all;
}

void MemoryVBE::SelectComponent(MemoryComponent& component) {
  selected_ = &component;
  component.Project().ComponentSelected.Raise(component);
}

Window& MemoryVBE::OpenWindow(MemoryComponent& component, WindowType type) {
  for (auto& window : windows_)
    if (window->component_ == &component && window->type_ == type) return *window;
  windows_.push_back(std::make_unique<MemoryWindow>(*this, type, component));
  return *windows_.back();
}

Window& MemoryVBE::ShowCode(MemoryComponent& component) {
  if (!component.Code()) throw HostError(445, "Object doesn't support this action: " + component.Name() + " has no code");
  Window& window = OpenWindow(component, WindowType::CodeWindow);
  active_pane_ = &component.Code()->Pane();
  selected_ = &component;
  component.Project().ComponentActivated.Raise(component);
  return window;
}

Window& MemoryVBE::ShowDesigner(MemoryComponent& component) {
  if (!component.GetDesigner())
    throw HostError(445, "Object doesn't support this action: " + component.Name() + " has no designer");
  Window& window = OpenWindow(component, WindowType::Designer);
  selected_ = &component;
  component.Project().ComponentActivated.Raise(component);
  return window;
}

bool MemoryVBE::HasWindow(const MemoryComponent& component, WindowType type) const {
  return std::any_of(windows_.begin(), windows_.end(),
                     [&](const auto& w) { return w->component_ == &component && w->type_ == type; });
}

void MemoryVBE::CloseWindowsOf(const MemoryComponent& component) {
  std::vector<MemoryWindow*> of_component;
  for (auto& window : windows_)
    if (window->component_ == &component) of_component.push_back(window.get());
  for (MemoryWindow* window : of_component) CloseWindow(*window);
  if (selected_ == &component) selected_ = nullptr;
}

void MemoryVBE::CloseWindow(MemoryWindow& window) {
  auto it = std::find_if(windows_.begin(), windows_.end(), [&](const auto& w) { return w.get() == &window; });
  if (it == windows_.end()) return;
  MemoryComponent* component = window.component_;
  if (window.type_ == WindowType::CodeWindow && component && component->Code() &&
      active_pane_ == &component->Code()->Pane())
    active_pane_ = nullptr;
  window.component_ = nullptr;
  closed_windows_.push_back(std::move(*it));
  windows_.erase(it);
}

}  // namespace gildex::host

