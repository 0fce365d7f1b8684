#pragma once
// The IDE's object model in memory over real VB6 projects on disk: MemoryVBE holds the loaded
// projects, each project its components, each component the parts of its file (header, code
// module, form designer). host/project_loader.h fills it from .vbp, .vbg and module files and
// writes changed components back.
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/designer_block.h"
#include "host/memory_code_module.h"
#include "host/project_file.h"
#include "host/source_file.h"
#include "host/structural_check.h"
#include "host/vbide.h"
#include "platform/atomic_file.h"

namespace gildex::host {

class MemoryVBE;
class MemoryProject;
class MemoryComponent;
class MemoryControl;
class MemoryDesigner;

// The name users see for a component type: "Module", "Class", "Form", "MDIForm" ...
std::string_view ComponentTypeName(ComponentType type);

// A property found by its path ({"Caption"}, {"Font", "Name"}), so that it stays valid
// while lines are added to the control around it.
class MemoryProperty : public Property {
 public:
  MemoryProperty(MemoryControl& control, std::vector<std::string> path) : control_(control), path_(std::move(path)) {}
  std::string Name() const override;
  std::string Value() const override;  // "" once the property is gone
  void SetValue(std::string_view value) override;
  std::vector<std::string> MemberNames() const override;

 private:
  friend class MemoryControl;
  MemoryControl& control_;
  std::vector<std::string> path_;
};

class MemoryControl : public VBControl {
 public:
  MemoryControl(MemoryDesigner& designer, DesignerControl& control, MemoryControl* container);
  std::string ClassName() const override;
  std::string ProgId() const override;
  std::string Name() const override;
  void SetName(std::string_view name) override;
  int Index() const override;
  int PropertyCount() const override;
  Property& PropertyAt(int index) override;
  Property* FindProperty(std::string_view name) override;
  void SetPropertyValue(std::string_view name, std::string_view value) override;
  VBControl* Container() override;
  void ZOrder(int position) override;
  void SetContainer(VBControl& container) override;
  const DesignerControl& Block() const { return control_; }
  // The property at `path`, or nullptr.
  const DesignerProperty* Find(const std::vector<std::string>& path) const;
  // Removed from its form: what it held can still be read, nothing changed.
  bool Removed() const { return removed_; }

 private:
  friend class MemoryDesigner;
  Property& PropertyFor(std::vector<std::string> path);
  std::vector<std::string> Names() const;  // of its properties, in order

  MemoryDesigner& designer_;
  DesignerControl& control_;
  MemoryControl* container_;
  bool removed_ = false;
  std::vector<std::unique_ptr<MemoryProperty>> properties_;  // handed out, kept for the control's life
};

// The designer of a form (or user control, property page ...): its edits go into the lines
// of the component's file header, so that Serialize() writes them and nothing else changes.
class MemoryDesigner : public Designer {
 public:
  MemoryDesigner(MemoryComponent& component, DesignerBlock& block, std::vector<RawLine>& lines);
  std::vector<VBControl*> Controls() override;  // every control below the form, in file order
  std::vector<VBControl*> SelectedVBControls() override;
  void Select(const std::vector<VBControl*>& controls) override;
  VBControl& AddControl(std::string_view class_name, VBControl* container = nullptr) override;
  void RemoveControl(VBControl& control) override;
  int ScaleMode() const override;
  std::string Caption() const override;
  VBControl& Form() override { return *root_; }
  MemoryControl& Root() { return *root_; }

 private:
  friend class MemoryControl;  // its changes go through here
  void Rename(MemoryControl& control, std::string_view name);
  void SetProperty(MemoryControl& control, std::vector<std::string> path, std::string_view value);
  MemoryControl& Wrap(DesignerControl& control, MemoryControl* container);
  MemoryControl* Of(const DesignerControl* control) const;
  MemoryControl& Own(VBControl& control, std::string_view action) const;
  void SetIndex(MemoryControl& control, std::string_view value);
  void ZOrder(MemoryControl& control, int position);
  void MoveInto(MemoryControl& control, VBControl& container);
  void Changed();

  MemoryComponent& component_;
  DesignerBlock& block_;
  std::vector<RawLine>& lines_;
  MemoryControl* root_ = nullptr;
  std::vector<std::unique_ptr<MemoryControl>> controls_;  // every control ever shown, removed ones too
  std::vector<std::unique_ptr<DesignerControl>> removed_;  // what removed controls still read
  std::vector<VBControl*> selected_;
};

class MemoryComponent : public VBComponent {
 public:
  // A component over the bytes of its file. `member` is its line of the project file (empty
  // for a component loaded on its own). Problems of the file are added to `problems`; a
  // fatal one leaves the component unusable: kept as it is on disk, never written.
  MemoryComponent(MemoryProject& project, ComponentType type, std::filesystem::path file, std::string bytes,
                  std::optional<ProjectMember> member, std::vector<LoadProblem>& problems);
  ~MemoryComponent() override;

  std::string Name() const override;
  void SetName(std::string_view name) override;
  ComponentType Type() const override { return type_; }
  CodeModule* Code() override { return code_.get(); }
  Designer* GetDesigner() override { return designer_.get(); }
  bool HasOpenDesigner() const override;
  std::string FileNames(int index) const override;
  bool IsReadOnly() const override;
  bool IsDirty() const override;
  void SaveAs(const std::string& file_name) override;
  void Reload() override;
  VBProject& Project() override;

  // False when the file did not load completely; such a component is never written.
  bool Usable() const { return usable_; }
  // Components without Basic source: resource files and related documents.
  bool IsBinary() const;
  // The path as the loader reached it (relative when the project was given relatively).
  const std::filesystem::path& File() const { return file_; }
  const std::optional<ProjectMember>& Member() const { return member_; }
  // The bytes the file would have now.
  std::string Serialize() const;
  // After a successful write of `bytes`.
  void MarkSaved(std::string bytes);
  MemoryCodeModule* MemoryCode() { return code_.get(); }
  const std::vector<RawLine>& Header() const { return header_; }
  // The line of the file each code-window line stands on (index 0 for line 1): below the
  // header, the hidden Attribute lines counted. Empty without a code module.
  std::vector<long> CodeFileLines() const;
  // What the file held when it was read or last written here (nothing for a component that
  // never came from disk): a save leaves a file another program changed since.
  std::optional<platform::FileStamp> disk_stamp;

 private:
  friend class MemoryDesigner;  // edits the designer block's lines of the header
  friend class MemoryProject;   // gives it its line of a project file written under a new name
  void Parse(std::vector<LoadProblem>& problems);
  // Warns about .frx/.ctx/.dsx files the designer block refers to that are not on disk.
  void CheckBinaryFiles(std::vector<LoadProblem>& problems) const;

  MemoryProject& project_;
  ComponentType type_;
  std::filesystem::path file_;
  // The file's bytes, kept only while the component has no code module to write them back
  // from (binary, or not loaded completely): a large project must not be held twice.
  std::string disk_bytes_;
  std::optional<ProjectMember> member_;
  std::string name_;
  bool usable_ = true;
  bool header_dirty_ = false;
  std::vector<RawLine> header_;
  std::unique_ptr<DesignerBlock> block_;
  std::unique_ptr<MemoryCodeModule> code_;
  std::unique_ptr<MemoryDesigner> designer_;
};

class MemoryProject : public VBProject {
 public:
  // `project_file` is the .vbp; empty for a project made of one module file.
  MemoryProject(MemoryVBE& vbe, std::filesystem::path project_file, ProjectFile parsed, std::string disk_bytes);
  ~MemoryProject() override;

  std::string Name() const override;
  std::string FileName() const override;
  std::string BuildFileName() const override;
  int ComponentCount() const override;
  VBComponent& Component(int index) override;
  VBComponent* FindComponent(std::string_view name) override;
  VBComponent& AddFromFile(const std::string& file_name) override;
  void Remove(VBComponent& component) override;
  // With the VBE's build command set: runs it (HostError 5 when the project has unsaved
  // changes, when it cannot start, or when it ends with a non-zero exit status; the message
  // then ends with the last line of its output). Without one there is no compiler to run:
  // checks the structure of every code module (LastStructureProblems()) and always throws
  // HostError 5, saying whether the check found problems. First raises RequestWriteFile for
  // the build file name; a cancel there ends the call with nothing built.
  void MakeCompiledFile() override;
  bool IsDirty() const override;
  // Writes the changed components and the project file under a new name in the same folder
  // (a project never saved yet may go to any folder: its member paths are written relative to
  // it). The project file has the bytes it was read with but for the member list: a removed
  // component's line is left out, an added one's line follows the last member line. The file
  // read before is never touched; FileName() then names the new one.
  void SaveAs(const std::string& file_name) override;

  MemoryComponent& Add(std::unique_ptr<MemoryComponent> component);
  MemoryComponent& At(int index) { return *components_.at(static_cast<std::size_t>(index)); }
  std::vector<MemoryComponent*> Components() const;
  MemoryVBE& Vbe() { return vbe_; }
  const std::filesystem::path& File() const { return file_; }
  std::filesystem::path Folder() const;
  const ProjectFile& Parsed() const { return parsed_; }
  const std::string& DiskBytes() const { return disk_bytes_; }
  // True when the project file's member list changed since loading (AddFromFile, Remove).
  bool MembersChanged() const { return members_changed_; }
  // What the structural check of the last MakeCompiledFile without a build command found.
  const std::vector<StructureProblem>& LastStructureProblems() const { return last_structure_problems_; }
  // Standard output and error of the last build command run (at most its last 64 KB).
  const std::string& LastBuildOutput() const { return last_build_output_; }

  // What went wrong while loading; a fatal problem means part of the project is missing.
  std::vector<LoadProblem> problems;
  bool LoadedCompletely() const;

 private:
  MemoryVBE& vbe_;
  std::filesystem::path file_;
  ProjectFile parsed_;
  // The project file's lines for the member list as it is now, with the member line each
  // component of the list gets (1-based) in `placed`.
  std::vector<RawLine> ProjectFileLines(const std::filesystem::path& folder,
                                        std::vector<std::pair<MemoryComponent*, long>>& placed) const;

  std::string disk_bytes_;
  bool members_changed_ = false;
  std::vector<long> removed_member_lines_;  // of parsed_, for the components removed since
  std::vector<std::unique_ptr<MemoryComponent>> components_;
  std::vector<StructureProblem> last_structure_problems_;
  std::string last_build_output_;
};

class MemoryWindow : public Window {
 public:
  MemoryWindow(MemoryVBE& vbe, WindowType type, MemoryComponent& component);
  WindowType Type() const override { return type_; }
  std::string Caption() const override;
  void Close() override;
  const MemoryComponent* Component() const { return component_; }

 private:
  friend class MemoryVBE;
  MemoryVBE& vbe_;
  WindowType type_;
  MemoryComponent* component_;  // null once closed
  std::string caption_;
};

class MemoryVBE : public VBE {
 public:
  MemoryVBE();
  ~MemoryVBE() override;

  int ProjectCount() const override;
  VBProject& Project(int index) override;
  VBProject* ActiveVBProject() override { return active_; }
  VBComponent* SelectedVBComponent() override { return selected_; }
  CodePane* ActiveCodePane() override { return active_pane_; }
  std::vector<Window*> Windows() override;
  CommandBars& Bars() override { return bars_; }
  std::string MainWindowCaption() const override;

  // The first project added becomes the active one.
  MemoryProject& AddProject(std::unique_ptr<MemoryProject> project);
  void RemoveProject(MemoryProject& project);
  void SetActiveProject(MemoryProject& project);
  std::vector<MemoryProject*> Projects() const;
  // As a click in the project window: selects the component and raises ComponentSelected.
  void SelectComponent(MemoryComponent& component);
  // Opens (or brings up) the component's code window: its pane becomes the active pane.
  Window& ShowCode(MemoryComponent& component);
  // Opens the component's designer window.
  Window& ShowDesigner(MemoryComponent& component);
  bool HasWindow(const MemoryComponent& component, WindowType type) const;
  // Closes every window of the component (it is being removed or reloaded).
  void CloseWindowsOf(const MemoryComponent& component);
  void CloseWindow(MemoryWindow& window);
  // The shell command line MakeCompiledFile runs, run by /bin/sh in the project's folder:
  // "{project}" stands for the project file's absolute path and "{output}" for the build
  // file name, each quoted for the shell. Empty: no build command.
  void SetBuildCommand(std::string command) { build_command_ = std::move(command); }
  const std::string& BuildCommand() const { return build_command_; }
  // Runs before a build command, so that a host that keeps its text in files can write the
  // changes the compiler must see (VB6 compiles the text in memory; a command reads files).
  void SetBeforeBuild(std::function<void(MemoryProject&)> before) { before_build_ = std::move(before); }
  const std::function<void(MemoryProject&)>& BeforeBuild() const { return before_build_; }
  // Runs after each component file is read into a project, so that a host with windows can
  // keep them drawn while a large project loads.
  void SetLoadingStep(std::function<void()> step) { loading_step_ = std::move(step); }
  const std::function<void()>& LoadingStep() const { return loading_step_; }

 private:
  Window& OpenWindow(MemoryComponent& component, WindowType type);

  std::vector<std::unique_ptr<MemoryProject>> projects_;
  MemoryProject* active_ = nullptr;
  MemoryComponent* selected_ = nullptr;
  CodePane* active_pane_ = nullptr;
  std::vector<std::unique_ptr<MemoryWindow>> windows_;
  // Closed windows stay alive so that a caller's pointer never dangles.
  std::vector<std::unique_ptr<MemoryWindow>> closed_windows_;
  CommandBars bars_;
  std::string build_command_;
  std::function<void(MemoryProject&)> before_build_;
  std::function<void()> loading_step_;
};

}  // namespace gildex::host
