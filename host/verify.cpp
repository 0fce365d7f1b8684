#include "host/verify.h"

#include <algorithm>

#include "host/project_loader.h"
#include "host/structural_check.h"
#include "platform/atomic_file.h"
#include "platform/cp1252.h"

namespace gildex::host {
namespace fs = std::filesystem;

namespace {

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '(') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
    if (i < line.size() && line[i] == '(') break;
  }
  return words;
}

// Scope and kind as the declaration line writes them; a procedure without a scope is Public.
void ReadDeclaration(std::string_view line, ProcKind kind, ProcedureInfo& info) {
  info.scope = "Public";
  for (std::string_view word : Words(line)) {
    for (std::string_view scope : {"Public", "Private", "Friend"})
      if (cp1252::EqualsNoCase(word, scope)) info.scope = std::string(scope);
    if (cp1252::EqualsNoCase(word, "Function")) {
      info.kind = "Function";
      break;
    }
    if (cp1252::EqualsNoCase(word, "Sub")) {
      info.kind = "Sub";
      break;
    }
    if (cp1252::EqualsNoCase(word, "Property")) break;
  }
  switch (kind) {
    case ProcKind::Get: info.kind = "Property Get"; break;
    case ProcKind::Let: info.kind = "Property Let"; break;
    case ProcKind::Set: info.kind = "Property Set"; break;
    case ProcKind::Proc:
      if (info.kind.empty()) info.kind = "Sub";
      break;
  }
}

std::string RelativeTo(const fs::path& file, const fs::path& folder) {
  fs::path relative = file.lexically_normal().lexically_relative((folder.empty() ? fs::path(".") : folder).lexically_normal());
  return relative.empty() ? file.string() : relative.string();
}

void CheckBytes(const std::string& file, const std::string& disk, const std::string& written, VerifyReport& report) {
  if (disk == written) return;
  auto mismatch = std::mismatch(disk.begin(), disk.end(), written.begin(), written.end());
  long line = 1 + static_cast<long>(std::count(disk.begin(), mismatch.first, '\n'));
  report.not_round_trip.push_back(file + ":" + std::to_string(line));
}

// The structure problems of a component's code, each at its line of the file: the code
// module's lines come after the file's header and leave out its hidden Attribute lines.
void CheckComponentStructure(MemoryComponent& component, VerifyReport& report) {
  MemoryCodeModule* code = component.MemoryCode();
  if (!code) return;
  std::vector<StructureProblem> problems = CheckStructure(*code, component.Name());
  if (problems.empty()) return;
  const std::vector<long> file_lines = component.CodeFileLines();
  for (const StructureProblem& problem : problems) {
    std::size_t index = static_cast<std::size_t>(problem.line - 1);
    long line = index < file_lines.size() ? file_lines[index] : problem.line;
    report.structure.push_back({component.File().string(), line, problem.message, false});
  }
}

std::string ProblemLine(const LoadProblem& problem, std::string_view severity) {
  std::string text = problem.file;
  if (problem.line > 0) {
    text += ':';
    text += std::to_string(problem.line);
  }
  return text + ": " + std::string(severity) + ": " + problem.message + "\n";
}

std::string Padded(std::string_view text, std::size_t width) {
  std::string padded(text);
  if (padded.size() < width) padded.append(width - padded.size(), ' ');
  return padded;
}

}  // namespace

std::vector<ProcedureInfo> Procedures(CodeModule& code) {
  std::vector<ProcedureInfo> procedures;
  long count = code.CountOfLines();
  for (long line = code.CountOfDeclarationLines() + 1; line <= count;) {
    ProcKind kind = ProcKind::Proc;
    std::string name = code.ProcOfLine(line, kind);
    if (name.empty()) {
      ++line;
      continue;
    }
    ProcedureInfo info;
    info.name = name;
    info.start_line = code.ProcStartLine(name, kind);
    info.body_line = code.ProcBodyLine(name, kind);
    info.end_line = info.start_line + code.ProcCountLines(name, kind) - 1;
    ReadDeclaration(code.Lines(info.body_line, 1), kind, info);
    procedures.push_back(info);
    line = std::max(line + 1, info.end_line + 1);
  }
  return procedures;
}

void AddFileLines(const MemoryComponent& component, std::vector<ProcedureInfo>& procedures) {
  const std::vector<long> file_lines = component.CodeFileLines();
  const auto at = [&](long line) {
    return line >= 1 && static_cast<std::size_t>(line) <= file_lines.size() ? file_lines[line - 1] : 0;
  };
  for (ProcedureInfo& proc : procedures) {
    proc.file_line = at(proc.body_line);
    proc.file_end_line = at(proc.end_line);
  }
}


int VerifyReport::ExitCode() const {
  if (!readable) return 2;
  bool fatal = std::any_of(problems.begin(), problems.end(), [](const LoadProblem& p) { return p.fatal; });
  return fatal || !not_round_trip.empty() || !structure.empty() ? 1 : 0;
}

VerifyReport VerifyProject(const fs::path& path, bool with_procedures) {
  VerifyReport report;
  report.path = path.string();
  MemoryVBE vbe;
  LoadResult loaded = Load(vbe, path);
  report.readable = loaded.readable;
  report.error = loaded.error;
  report.problems = loaded.problems;
  report.notes = loaded.notes;
  if (loaded.group) CheckBytes(loaded.group_path.string(), loaded.group_bytes, WriteGroupFile(*loaded.group), report);
  for (MemoryProject* project : loaded.projects) {
    ProjectInfo info;
    info.name = project->Name();
    info.file = project->File().empty() ? std::string() : project->File().string();
    if (!project->File().empty())
      CheckBytes(info.file, project->DiskBytes(), WriteProjectFile(project->Parsed()), report);
    for (MemoryComponent* component : project->Components()) {
      ComponentInfo item;
      item.type_name = std::string(ComponentTypeName(component->Type()));
      item.name = component->Name();
      item.file = RelativeTo(component->File(), project->Folder());
      item.path = component->File().string();
      item.usable = component->Usable();
      if (with_procedures && component->Code()) {
        item.procedures = Procedures(*component->Code());
        AddFileLines(*component, item.procedures);
      }
      CheckComponentStructure(*component, report);
      // Read again rather than kept since the load: a loaded component holds its lines only.
      CheckBytes(component->File().string(), platform::ReadWholeFile(component->File()).value_or(""),
                 SerializeComponent(*component), report);
      info.components.push_back(std::move(item));
    }
    report.projects.push_back(std::move(info));
  }
  return report;
}

std::string FormatVerifyReport(const VerifyReport& report, bool with_procedures) {
  if (!report.readable) return "error: " + report.error + "\n";
  std::string text;
  std::size_t components = 0;
  for (const ProjectInfo& project : report.projects) {
    text += "Project " + project.name + (project.file.empty() ? "" : " (" + project.file + ")") + "\n";
    for (const ComponentInfo& component : project.components) {
      ++components;
      text += "  " + Padded(component.type_name, 16) + Padded(component.name, 24) + component.file +
              (component.usable ? "" : "  [not loaded]") + "\n";
      if (!with_procedures) continue;
      for (const ProcedureInfo& proc : component.procedures)
        text += "      " + Padded(proc.scope, 8) + Padded(proc.kind, 13) + Padded(proc.name, 32) +
                std::to_string(proc.start_line) + "-" + std::to_string(proc.end_line) + " (body " +
                std::to_string(proc.body_line) + ")\n";
    }
  }
  std::size_t warnings = 0, errors = 0;
  for (const LoadProblem& problem : report.problems) {
    text += ProblemLine(problem, problem.fatal ? "error" : "warning");
    ++(problem.fatal ? errors : warnings);
  }
  for (const LoadProblem& note : report.notes) text += ProblemLine(note, "note");
  for (const LoadProblem& problem : report.structure) text += ProblemLine(problem, "structure");
  for (const std::string& file : report.not_round_trip)
    text += file + ": error: would not be written back byte for byte\n";
  std::string structure;
  if (!report.structure.empty())
    structure = ", " + std::to_string(report.structure.size()) + " structure problem" +
                (report.structure.size() == 1 ? "" : "s");
  const auto count = [](std::size_t n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
  };
  text += count(components, "component") + " in " + count(report.projects.size(), "project") + ": " +
          count(errors, "error") + ", " + count(warnings, "warning") + ", " +
          count(report.not_round_trip.size(), "file") + " not written back byte for byte" + structure + "\n";
  return text;
}

}  // namespace gildex::host
