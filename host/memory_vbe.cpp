#include "host/memory_vbe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>

#include "host/project_loader.h"
#include "platform/atomic_file.h"
#include "platform/cp1252.h"

namespace gildex::host {
namespace fs = std::filesystem;

namespace {

HostError OutOfRange() { return HostError(9, "Subscript out of range"); }

HostError NotSupportedYet(std::string_view what) {
  return HostError(445, "Object doesn't support this action: " + std::string(what) + " is not supported yet");
}

// A designer string value as the property window shows it: quotes gone, doubled quotes single.
std::string DesignerText(std::string_view value) {
  if (value.size() < 2 || value.front() != '"' || value.back() != '"') return std::string(value);
  std::string text;
  for (std::size_t i = 1; i + 1 < value.size(); ++i) {
    text += value[i];
    if (value[i] == '"' && i + 2 < value.size() && value[i + 1] == '"') ++i;
  }
  return text;
}

void CollectBinaryReferences(const DesignerProperty& property, std::vector<const DesignerProperty*>& out) {
  if (property.frx) out.push_back(&property);
  for (const auto& member : property.group) CollectBinaryReferences(member, out);
}

// Single quotes keep every byte as it is; a quote inside becomes '\''.
std::string ShellQuoted(std::string_view text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Both placeholders in one pass, so that a path holding "{output}" stays as it is.
std::string ExpandBuildCommand(std::string_view command, const std::string& project, const std::string& output) {
  std::string line;
  for (std::size_t i = 0; i < command.size();) {
    if (command.substr(i).starts_with("{project}")) {
      line += ShellQuoted(project);
      i += 9;
    } else if (command.substr(i).starts_with("{output}")) {
      line += ShellQuoted(output);
      i += 8;
    } else {
      line += command[i++];
    }
  }
  return line;
}

constexpr std::size_t kBuildOutputLimit = 64 * 1024;

struct CommandResult {
  int exit_code = 0;
  int signal = 0;      // the signal that ended it, or 0
  std::string output;  // standard output and error together, the last kBuildOutputLimit bytes
};

HostError CannotStart(const char* what) {
  return HostError(5, std::string("cannot start the build command: ") + what + ": " + std::strerror(errno));
}

// Runs `command` with /bin/sh in `folder`; standard input is /dev/null so that a build that
// asks a question cannot hang the add-in.
CommandResult RunShellCommand(const std::string& command, const fs::path& folder) {
  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_CLOEXEC) != 0) throw CannotStart("pipe");
  int null_fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  const std::string dir = folder.string();
  const std::string chdir_failed = "cannot enter folder " + dir + "\n";
  pid_t pid = ::fork();
  if (pid < 0) {
    HostError error = CannotStart("fork");
    ::close(pipe_fds[0]);
    ::close(pipe_fds[1]);
    if (null_fd >= 0) ::close(null_fd);
    throw error;
  }
  if (pid == 0) {
    // Only async-signal-safe calls between fork and exec.
    if (null_fd >= 0) ::dup2(null_fd, 0);
    ::dup2(pipe_fds[1], 1);
    ::dup2(pipe_fds[1], 2);
    if (::chdir(dir.c_str()) != 0) {
      ssize_t ignored = ::write(2, chdir_failed.data(), chdir_failed.size());
      (void)ignored;
      ::_exit(126);
    }
    ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(pipe_fds[1]);
  if (null_fd >= 0) ::close(null_fd);
  CommandResult result;
  char buffer[4096];
  for (;;) {
    ssize_t n = ::read(pipe_fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    result.output.append(buffer, static_cast<std::size_t>(n));
    if (result.output.size() > 2 * kBuildOutputLimit) result.output.erase(0, result.output.size() - kBuildOutputLimit);
  }
  ::close(pipe_fds[0]);
  if (result.output.size() > kBuildOutputLimit) result.output.erase(0, result.output.size() - kBuildOutputLimit);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

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

// ---- designer ----

std::string MemoryProperty::Name() const { return property_->name; }
std::string MemoryProperty::Value() const { return property_->value; }
void MemoryProperty::SetValue(std::string_view) {
  throw NotSupportedYet("changing the property " + property_->name + " of " + control_.Name());
}

MemoryControl::MemoryControl(const DesignerControl& control, MemoryControl* container)
    : control_(control), container_(container) {
  for (const auto& property : control.properties) properties_.push_back(std::make_unique<MemoryProperty>(*this, property));
}

std::string MemoryControl::ClassName() const { return control_.ClassName(); }
std::string MemoryControl::ProgId() const { return control_.prog_id; }
std::string MemoryControl::Name() const { return control_.name; }
void MemoryControl::SetName(std::string_view) { throw NotSupportedYet("renaming the control " + control_.name); }
int MemoryControl::Index() const { return control_.index; }
int MemoryControl::PropertyCount() const { return static_cast<int>(properties_.size()); }

Property& MemoryControl::PropertyAt(int index) {
  if (index < 1 || index > PropertyCount()) throw OutOfRange();
  return *properties_[static_cast<std::size_t>(index - 1)];
}

Property* MemoryControl::FindProperty(std::string_view name) {
  for (auto& property : properties_)
    if (cp1252::EqualsNoCase(property->Name(), name)) return property.get();
  return nullptr;
}

VBControl* MemoryControl::Container() { return container_; }

MemoryDesigner::MemoryDesigner(const DesignerBlock& block) {
  root_ = std::make_unique<MemoryControl>(*block.root, nullptr);
  // Depth first in file order, each child after its container, as the form file lists them.
  auto add_children = [this](auto& self, const DesignerControl& parent, MemoryControl* container) -> void {
    for (const auto& child : parent.children) {
      controls_.push_back(std::make_unique<MemoryControl>(*child, container));
      self(self, *child, controls_.back().get());
    }
  };
  add_children(add_children, *block.root, root_.get());
}

std::vector<VBControl*> MemoryDesigner::Controls() {
  std::vector<VBControl*> controls;
  for (auto& control : controls_) controls.push_back(control.get());
  return controls;
}

std::vector<VBControl*> MemoryDesigner::SelectedVBControls() { return selected_; }

void MemoryDesigner::Select(const std::vector<VBControl*>& controls) { selected_ = controls; }

void MemoryDesigner::RemoveControl(VBControl& control) { throw NotSupportedYet("removing the control " + control.Name()); }

int MemoryDesigner::ScaleMode() const {
  const DesignerProperty* mode = root_->Block().Find("ScaleMode");
  return mode ? static_cast<int>(std::strtol(mode->value.c_str(), nullptr, 10)) : 1;  // twips unless set
}

std::string MemoryDesigner::Caption() const {
  const DesignerProperty* caption = root_->Block().Find("Caption");
  return caption ? DesignerText(caption->value) : std::string();
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
    designer_ = std::make_unique<MemoryDesigner>(*block_);
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
  CommandResult result =
      RunShellCommand(ExpandBuildCommand(command, project_file.string(), BuildFileName()), project_file.parent_path());
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

void MemoryProject::SaveAs(const std::string& file_name) {
  fs::path target(file_name);
  if (file_.empty() || fs::absolute(target.parent_path()) != fs::absolute(Folder()))
    throw NotSupportedYet("saving a project into another folder");
  SaveResult saved = SaveProject(*this);
  if (!saved.error.empty()) throw HostError(75, saved.error);
  if (!saved.skipped.empty()) throw HostError(75, saved.skipped.front().file + ": " + saved.skipped.front().message);
  if (members_changed_) throw NotSupportedYet("writing a changed member list into the project file");
  bool cancel = false;
  RequestWriteFile.Raise(file_name, cancel);
  if (cancel) return;
  try {
    platform::WriteFileAtomically(target, disk_bytes_, 0644, true);
  } catch (const std::exception& e) {
    throw HostError(75, std::string("Path/File access error: ") + e.what());
  }
  file_ = target;
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

namespace {

// A control of the IDE's own bars: a popup when it has entries of its own. A caption starting
// with "|" begins a group (the IDE's separator line above it).
struct IdeEntry {
  std::string caption;
  std::vector<IdeEntry> entries = {};
};

struct IdeBar {
  const char* name;
  BarPosition position;
  bool visible;
  std::vector<IdeEntry> entries;
};

void AddEntries(CommandBar& bar, const std::vector<IdeEntry>& entries, bool toolbar) {
  for (const IdeEntry& entry : entries) {
    CommandBarControl& control = bar.Add(entry.entries.empty() ? ControlKind::Button : ControlKind::Popup);
    control.begin_group = entry.caption.starts_with('|');
    control.caption = control.begin_group ? entry.caption.substr(1) : entry.caption;
    // Toolbar buttons show their caption only as the tooltip.
    if (toolbar) control.tooltip_text = control.caption;
    if (control.popup) AddEntries(*control.popup, entry.entries, false);
  }
}

// The bars a VB6 IDE starts with, each with the first of its own entries, so that an add-in
// finds the bars it extends by name and a drawn menu reads like the IDE's.
void AddIdeBars(CommandBars& bars) {
  const std::vector<IdeBar> ide = {
      {"Menu Bar", BarPosition::Top, true,
       {{"&File", {{"&New Project"}, {"&Open Project..."}, {"A&dd Project..."}, {"Remo&ve Project"},
                   {"|Sa&ve Project"}, {"Save Project As..."}, {"|&Print..."}, {"|Make Project1.exe..."},
                   {"|E&xit"}}},
        {"&Edit", {{"&Undo"}, {"&Redo"}, {"|Cu&t"}, {"&Copy"}, {"&Paste"}, {"|&Find..."}, {"Replac&e..."}}},
        {"&View", {{"&Code"}, {"O&bject"}, {"|Pro&ject Explorer"}, {"Properties &Window"}, {"Tool&box"},
                   {"|&Toolbars", {{"&Debug"}, {"&Edit"}, {"&Form Editor"}, {"&Standard"}}}}},
        {"&Project", {{"Add &Form"}, {"Add &Module"}, {"Add &Class Module"}, {"|&Remove"},
                      {"|Re&ferences..."}, {"Co&mponents..."}, {"|Project1 Pr&operties..."}}},
        {"F&ormat", {{"&Align"}, {"Make &Same Size"}, {"|&Lock Controls"}}},
        {"&Debug", {{"Step &Into"}, {"Step &Over"}, {"Step O&ut"}, {"|&Toggle Breakpoint"}}},
        {"&Run", {{"&Start"}, {"Start With &Full Compile"}, {"|&Break"}, {"&End"}, {"&Restart"}}},
        {"&Tools", {{"&Add Procedure..."}, {"Procedure Attri&butes..."}, {"|&Menu Editor..."}, {"|&Options..."}}},
        {"&Add-Ins", {{"&Visual Data Manager..."}, {"|&Add-In Manager..."}}},
        {"&Window", {{"&Split"}, {"|Tile &Horizontally"}, {"Tile &Vertically"}, {"&Cascade"}}},
        {"&Help", {{"&Contents"}, {"&Index"}, {"&Search"}, {"|&About Microsoft Visual Basic..."}}}}},
      {"Standard", BarPosition::Top, true,
       {{"Add Standard EXE Project"}, {"Add Form"}, {"Menu Editor"}, {"Open Project"}, {"Save Project"},
        {"|Cut"}, {"Copy"}, {"Paste"}, {"Find"}, {"|Undo"}, {"Redo"}, {"|Start"}, {"Break"}, {"End"},
        {"|Project Explorer"}, {"Properties Window"}, {"Form Layout Window"}, {"Object Browser"}, {"Toolbox"}}},
      {"Edit", BarPosition::Top, false,
       {{"List Properties/Methods"}, {"List Constants"}, {"Quick Info"}, {"Parameter Info"}, {"Complete Word"},
        {"|Indent"}, {"Outdent"}, {"|Toggle Breakpoint"}, {"|Comment Block"}, {"Uncomment Block"}}},
      {"Debug", BarPosition::Top, false,
       {{"Start"}, {"Break"}, {"End"}, {"|Toggle Breakpoint"}, {"|Step Into"}, {"Step Over"}, {"Step Out"},
        {"|Locals Window"}, {"Immediate Window"}, {"Watch Window"}, {"Quick Watch"}, {"Call Stack"}}},
      {"Form Editor", BarPosition::Top, false,
       {{"Bring to Front"}, {"Send to Back"}, {"|Align"}, {"Center"}, {"Make Same Size"}, {"|Lock Controls"}}},
      {"Project Window", BarPosition::Popup, false,
       {{"View &Code"}, {"View O&bject"}, {"|&Add", {{"&Form"}, {"&Module"}, {"&Class Module"}}},
        {"|Doc&kable"}, {"&Hide"}}},
      {"Project Window Project", BarPosition::Popup, false,
       {{"Project1 Pr&operties..."}, {"|&Add", {{"&Form"}, {"&Module"}, {"&Class Module"}}},
        {"|Sa&ve Project"}, {"Save Project &As..."}, {"|&Print..."}, {"|Doc&kable"}, {"&Hide"}}},
      {"Project Window Module/Class Folder", BarPosition::Popup, false,
       {{"View &Code"}, {"|&Add", {{"&Form"}, {"&Module"}, {"&Class Module"}}}, {"|Sa&ve"}, {"Save &As..."},
        {"&Remove"}, {"|&Print..."}, {"|Doc&kable"}, {"&Hide"}}},
      {"Project Window Form Folder", BarPosition::Popup, false,
       {{"View &Code"}, {"View O&bject"}, {"|&Add", {{"&Form"}, {"&Module"}, {"&Class Module"}}}, {"|Sa&ve"},
        {"Save &As..."}, {"&Remove"}, {"|&Print..."}, {"|Doc&kable"}, {"&Hide"}}},
      {"Code Window", BarPosition::Popup, false,
       {{"Lis&t Properties/Methods"}, {"List Constan&ts"}, {"&Quick Info"}, {"&Parameter Info"},
        {"Complete &Word"}, {"|Cu&t"}, {"&Copy"}, {"&Paste"},
        {"|Toggle", {{"&Breakpoint"}, {"&Bookmark"}}}, {"|&View Object"}, {"Object &Browser"},
        {"|Add &Watch..."}, {"|&Definition"}, {"&Last Position"}, {"|&Hide"}}},
      {"Form Designer", BarPosition::Popup, false,
       {{"View &Code"}, {"|&Menu Editor..."}, {"|&Lock Controls"}, {"&Paste"}, {"|&Properties"}}},
      {"Controls", BarPosition::Popup, false,
       {{"View &Code"}, {"|Cu&t"}, {"&Copy"}, {"&Paste"}, {"&Delete"}, {"|Bring to &Front"}, {"Send to &Back"},
        {"|&Align to Grid"}, {"|&Properties"}}},
  };
  for (const IdeBar& spec : ide) {
    CommandBar& bar = bars.Add(spec.name, spec.position, std::string_view(spec.name) == "Menu Bar");
    bar.visible = spec.visible;
    AddEntries(bar, spec.entries, spec.position != BarPosition::Popup && !bar.menu_bar);
  }
}

}  // namespace

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
