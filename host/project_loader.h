#pragma once
// Loading VB6 projects from disk into a MemoryVBE and writing back what changed.
//
//   MemoryVBE vbe;
//   LoadResult loaded = Load(vbe, "billing-app/KwikiBilling.vbp");   // or a .vbg, or Form1.frm
//   if (!loaded.readable) { print loaded.error; }                     // nothing was loaded
//   for (auto& p : loaded.problems) { print p.file:p.line: warning/error: p.message }
//   ... edit through vbe's code modules ...
//   SaveResult saved = SaveChanged(vbe);   // only the changed files, each replaced atomically
//
// Bad input never throws and never loses data: a member that cannot be loaded is reported
// (fatal) and left alone on disk; a project with such a problem is not written at all. A
// member whose file is simply not there is also listed in `missing`: as in the VB6 IDE, the
// host may ask whether to go on without it (DropMissingMembers).
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "host/memory_vbe.h"
#include "host/project_file.h"
#include "host/source_file.h"

namespace gildex::host {

struct LoadResult {
  // False when the file given could not be read at all; `error` then says why:
  // "cannot read project FILE: reason". Nothing was added to the VBE.
  bool readable = true;
  std::string error;
  std::vector<LoadProblem> problems;  // warnings, and fatal problems of single members
  std::vector<LoadProblem> notes;     // harmless: a member path written in another letter case
  // Members listed in a project file whose file is not there (the project file and its
  // line); each is also a fatal problem until DropMissingMembers.
  std::vector<LoadProblem> missing;
  std::vector<MemoryProject*> projects;  // in load order
  // For a .vbg: the group file as read, so that it can be checked and written back.
  std::filesystem::path group_path;
  std::optional<GroupFile> group;
  std::string group_bytes;

  bool HasFatal() const;
};

// Loads a .vbp, every project a .vbg lists, or one component file (.bas .cls .frm .ctl .pag
// .dob .dsr) as a project of its own without a project file.
LoadResult Load(MemoryVBE& vbe, const std::filesystem::path& path);

// Goes on without the missing members, as the VB6 IDE does when the user answers Yes: their
// problems become warnings, so the projects count as loaded and the components that did load
// can be saved. The project files keep listing them: saving never writes a project file.
void DropMissingMembers(LoadResult& loaded);

// The component type a file's extension gives, for a file loaded on its own; nothing for
// files that are not VB6 components.
std::optional<ComponentType> ComponentTypeOfFile(const std::filesystem::path& file);

struct SaveResult {
  std::vector<std::string> written;   // files replaced
  std::vector<LoadProblem> skipped;   // changed files not written, and why
  // "nothing written: PROJECT did not load completely" when a project that has changes
  // lost members at load; then no file at all was written.
  std::string error;
};

// Writes every changed component of every project: each file replaced atomically, its
// permission bits kept, after the project's RequestWriteFile event (cancel skips the file).
// Read-only and unusable components are never written; unchanged files are not touched; a
// file that another program changed since it was loaded is left as it is and listed in
// `skipped` (fatal), and the others are written.
SaveResult SaveChanged(MemoryVBE& vbe);
// Why a save would pass the component over before asking anyone ("the file is read-only"), or
// empty when it may be written.
std::string WhyNotWritable(const MemoryComponent& component);
SaveResult SaveProject(MemoryProject& project);

// The bytes the component's file would be written with now.
std::string SerializeComponent(const MemoryComponent& component);

}  // namespace gildex::host
