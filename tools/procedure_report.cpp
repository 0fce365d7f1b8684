#include "tools/procedure_report.h"

#include "common/nembus_common.h"
#include "host/memory_vbe.h"
#include "platform/cp1252.h"

namespace gildex {
namespace {

bool LinesContain(const host::CodeModule& module, long first, long count, std::string_view part) {
  if (part.empty() || count < 1) return false;
  long start_line = first, start_column = 1, end_line = first + count - 1, end_column = -1;
  return module.Find(part, start_line, start_column, end_line, end_column);
}

ErrorHandling HandlingOf(host::CodeModule& module, const host::ProcedureInfo& proc, CGildex& engine) {
  const long count = proc.end_line - proc.start_line + 1;
  // The marker's trailing blanks are the setting's padding before " (template)".
  const std::string start = engine.CodeBodyStart();  // kept: the view below points into it
  const std::string_view marker = TrimSpaces(start);
  if (LinesContain(module, proc.start_line, count, marker) ||
      engine.HoldsTemplateBlocks(module, proc.body_line, proc.end_line))
    return ErrorHandling::Gildex;
  if (LinesContain(module, proc.start_line, count, "On Error") ||
      LinesContain(module, proc.start_line, count, "On Local Error"))
    return ErrorHandling::Own;
  return ErrorHandling::None;
}

host::ProcKind KindOf(const host::ProcedureInfo& proc) {
  return proc.kind == "Property Get"   ? host::ProcKind::Get
         : proc.kind == "Property Let" ? host::ProcKind::Let
         : proc.kind == "Property Set" ? host::ProcKind::Set
                                       : host::ProcKind::Proc;
}

std::string Number(long value) { return std::to_string(value); }

}  // namespace

const char* ErrorHandlingName(ErrorHandling handling) {
  switch (handling) {
    case ErrorHandling::Own: return "own";
    case ErrorHandling::Gildex: return "gildex";
    case ErrorHandling::None: break;
  }
  return "none";
}

std::vector<ReportedProject> ReportProcedures(host::VBE& vbe, CGildex& engine) {
  std::vector<ReportedProject> projects;
  for (int p = 1; p <= vbe.ProjectCount(); ++p) {
    host::VBProject& project = vbe.Project(p);
    ReportedProject reported{project.Name(), project.FileName(), {}};
    for (int c = 1; c <= project.ComponentCount(); ++c) {
      host::VBComponent& component = project.Component(c);
      host::CodeModule* module = component.Code();
      if (module == nullptr) continue;
      std::vector<host::ProcedureInfo> procedures = host::Procedures(*module);
      const auto* loaded = dynamic_cast<const host::MemoryComponent*>(&component);
      if (loaded != nullptr) host::AddFileLines(*loaded, procedures);
      const std::string file = loaded != nullptr ? loaded->File().string() : std::string();
      for (const host::ProcedureInfo& proc : procedures)
        reported.procedures.push_back({component.Name(), file, proc, HandlingOf(*module, proc, engine),
                                       engine.InsertTakes(*module, proc.name, KindOf(proc))});
    }
    projects.push_back(std::move(reported));
  }
  return projects;
}

std::vector<ReportedProcedure> WithoutHandling(const std::vector<ReportedProject>& projects) {
  std::vector<ReportedProcedure> found;
  for (const ReportedProject& project : projects)
    for (const ReportedProcedure& row : project.procedures)
      if (row.treated && row.handling == ErrorHandling::None) found.push_back(row);
  return found;
}

std::string FormatProcedureReport(const std::vector<ReportedProject>& projects, bool with_handling) {
  std::string text;
  for (const ReportedProject& project : projects)
    for (const ReportedProcedure& row : project.procedures) {
      const host::ProcedureInfo& proc = row.procedure;
      text += row.component + "." + proc.name + "\t" + proc.scope + " " + proc.kind + "\tlines " +
              Number(proc.start_line) + "-" + Number(proc.end_line);
      if (with_handling) text += std::string("\t") + ErrorHandlingName(row.handling);
      text += "\n";
    }
  return text;
}

}  // namespace gildex
