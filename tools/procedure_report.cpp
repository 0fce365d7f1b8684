#include "tools/procedure_report.h"

#include "common/nembus_common.h"
#include "platform/cp1252.h"
#include "tools/json.h"

namespace gildex {
namespace {

bool LinesContain(const host::CodeModule& module, long first, long count, std::string_view part) {
  if (part.empty() || count < 1) return false;
  long start_line = first, start_column = 1, end_line = first + count - 1, end_column = -1;
  return module.Find(part, start_line, start_column, end_line, end_column);
}

ErrorHandling HandlingOf(const host::CodeModule& module, const host::ProcedureInfo& proc,
                         const std::string& code_body_start) {
  const long count = proc.end_line - proc.start_line + 1;
  // The marker's trailing blanks are the setting's padding before " (template)".
  const std::string_view marker = TrimSpaces(code_body_start);
  if (LinesContain(module, proc.start_line, count, marker)) return ErrorHandling::Gildex;
  if (LinesContain(module, proc.start_line, count, "On Error") ||
      LinesContain(module, proc.start_line, count, "On Local Error"))
    return ErrorHandling::Own;
  return ErrorHandling::None;
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

std::vector<ReportedProject> ReportProcedures(host::VBE& vbe, const std::string& code_body_start) {
  std::vector<ReportedProject> projects;
  for (int p = 1; p <= vbe.ProjectCount(); ++p) {
    host::VBProject& project = vbe.Project(p);
    ReportedProject reported{project.Name(), GetFile(project.FileName()), {}};
    for (int c = 1; c <= project.ComponentCount(); ++c) {
      host::VBComponent& component = project.Component(c);
      host::CodeModule* module = component.Code();
      if (module == nullptr) continue;
      for (const host::ProcedureInfo& proc : host::Procedures(*module))
        reported.procedures.push_back({component.Name(), proc, HandlingOf(*module, proc, code_body_start)});
    }
    projects.push_back(std::move(reported));
  }
  return projects;
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

std::string ProcedureReportJson(const std::vector<ReportedProject>& projects, bool with_handling) {
  std::string json = "{\"projects\": [";
  for (std::size_t p = 0; p < projects.size(); ++p) {
    const ReportedProject& project = projects[p];
    json += std::string(p ? "," : "") + "\n  {\"name\": " + JsonString(project.name) +
            ", \"file\": " + JsonString(project.file) + ", \"procedures\": [";
    for (std::size_t i = 0; i < project.procedures.size(); ++i) {
      const ReportedProcedure& row = project.procedures[i];
      const host::ProcedureInfo& proc = row.procedure;
      json += std::string(i ? "," : "") + "\n    {\"component\": " + JsonString(row.component) +
              ", \"name\": " + JsonString(proc.name) + ", \"kind\": " + JsonString(proc.kind) +
              ", \"scope\": " + JsonString(proc.scope) + ", \"start_line\": " + Number(proc.start_line) +
              ", \"end_line\": " + Number(proc.end_line);
      if (with_handling) json += std::string(", \"error_handling\": \"") + ErrorHandlingName(row.handling) + "\"";
      json += "}";
    }
    json += project.procedures.empty() ? "]}" : "\n  ]}";
  }
  return json + (projects.empty() ? "]}\n" : "\n]}\n");
}

std::string VerifyReportJson(const host::VerifyReport& report, bool with_procedures) {
  const auto problems = [](const std::vector<host::LoadProblem>& list) {
    std::string json = "[";
    for (std::size_t i = 0; i < list.size(); ++i)
      json += std::string(i ? ", " : "") + "{\"file\": " + JsonString(list[i].file) +
              ", \"line\": " + Number(list[i].line) + ", \"message\": " + JsonString(list[i].message) +
              ", \"fatal\": " + (list[i].fatal ? "true" : "false") + "}";
    return json + "]";
  };
  std::string json = "{\"path\": " + JsonString(report.path) + ", \"readable\": " +
                     (report.readable ? "true" : "false") + ", \"exit_code\": " + Number(report.ExitCode());
  if (!report.readable) json += ", \"error\": " + JsonString(report.error);
  json += ",\n \"projects\": [";
  for (std::size_t p = 0; p < report.projects.size(); ++p) {
    const host::ProjectInfo& project = report.projects[p];
    json += std::string(p ? "," : "") + "\n  {\"name\": " + JsonString(project.name) +
            ", \"file\": " + JsonString(project.file) + ", \"components\": [";
    for (std::size_t c = 0; c < project.components.size(); ++c) {
      const host::ComponentInfo& component = project.components[c];
      json += std::string(c ? "," : "") + "\n    {\"type\": " + JsonString(component.type_name) +
              ", \"name\": " + JsonString(component.name) + ", \"file\": " + JsonString(component.file) +
              ", \"usable\": " + (component.usable ? "true" : "false");
      if (with_procedures) {
        json += ", \"procedures\": [";
        for (std::size_t i = 0; i < component.procedures.size(); ++i) {
          const host::ProcedureInfo& proc = component.procedures[i];
          json += std::string(i ? ", " : "") + "{\"name\": " + JsonString(proc.name) +
                  ", \"kind\": " + JsonString(proc.kind) + ", \"scope\": " + JsonString(proc.scope) +
                  ", \"start_line\": " + Number(proc.start_line) + ", \"end_line\": " + Number(proc.end_line) + "}";
        }
        json += "]";
      }
      json += "}";
    }
    json += project.components.empty() ? "]}" : "\n  ]}";
  }
  json += "],\n \"problems\": " + problems(report.problems) + ",\n \"notes\": " + problems(report.notes) +
          ",\n \"structure\": " + problems(report.structure) + ",\n \"not_round_trip\": [";
  for (std::size_t i = 0; i < report.not_round_trip.size(); ++i)
    json += std::string(i ? ", " : "") + JsonString(report.not_round_trip[i]);
  return json + "]}\n";
}

}  // namespace gildex
