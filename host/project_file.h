#pragma once
// The project file (.vbp) and group file (.vbg) of VB6, kept as their raw lines so that they
// are written back byte for byte, with the lines Gildex needs read out of them: the project's
// type, name, build file and member files. Lines of other tools ([MS Transaction Server] and
// any other [section]) are kept and never interpreted.
//
// Member paths are Windows paths relative to the project file's folder, in any letter case.
// On this case-sensitive file system they are resolved folder by folder ignoring case, with a
// last resort of a file of the same name beside the project file (projects copied from another
// machine often keep paths such as "..\..\My Documents\x.cls" for files that sit beside them).
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/source_lines.h"

namespace gildex::host {

enum class MemberKind { Form, Module, Class, UserControl, PropertyPage, UserDocument, Designer, RelatedDoc, ResFile };

struct ProjectMember {
  MemberKind kind = MemberKind::Module;
  std::string key;        // as written: "Form", "module"
  std::string name;       // "Module=Name; path" and "Class=Name; path" only
  std::string path_text;  // as written, quotes removed
  long line = 0;          // 1-based line of the project file
};

struct ProjectFile {
  std::vector<RawLine> lines;  // the whole file; written back as it is
  std::vector<ProjectMember> members;
  // Values of the interpreted lines, quotes removed; empty when the line is absent.
  std::string type;  // "Exe", "OleDll", "Control", "OleExe"
  std::string name;
  std::string exe_name;  // ExeName32
  std::string path32;
  std::string startup;
  bool has_type_line = false;
};

// Reads the bytes of a .vbp. Never fails: what is not understood is kept as it is.
ProjectFile ParseProjectFile(std::string_view bytes);
std::string WriteProjectFile(const ProjectFile& file);

struct GroupMember {
  std::string path_text;
  long line = 0;
  bool startup = false;  // the StartupProject= line
};

struct GroupFile {
  std::vector<RawLine> lines;
  std::vector<GroupMember> projects;  // in file order, the startup project included
  bool has_header = false;            // first line "VBGROUP 5.0"
};

GroupFile ParseGroupFile(std::string_view bytes);
std::string WriteGroupFile(const GroupFile& file);

enum class PathMatch {
  Exact,      // found as written
  OtherCase,  // found, with another letter case somewhere in the path
  Beside,     // not found where written; a file of that name sits in the base folder
  Missing,
};

struct ResolvedPath {
  std::filesystem::path path;  // base joined with the names found on disk; empty when Missing
  PathMatch match = PathMatch::Missing;
};

// Resolves a Windows path relative to `base` (a folder) the way the IDE would find it.
ResolvedPath ResolveMemberPath(const std::filesystem::path& base, std::string_view windows_path);

// Only the folder-by-folder step, without the fallback beside `base`.
std::optional<std::filesystem::path> FindIgnoringCase(const std::filesystem::path& base, std::string_view windows_path,
                                                      bool* case_differs = nullptr);

// The compiled file the project builds: Path32 and ExeName32 taken from `folder` (the
// project file's folder). Without ExeName32 the IDE uses the project name and the type's
// extension.
std::string BuildFileName(const ProjectFile& file, const std::filesystem::path& folder);

// The file name part of a Windows path: "..\x\Form1.frm" gives "Form1.frm".
std::string WindowsFileName(std::string_view windows_path);

}  // namespace gildex::host
