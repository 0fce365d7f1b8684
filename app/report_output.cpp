#include "app/report_output.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <system_error>

#include "lsp/protocol.h"
#include "platform/cp1252.h"

namespace gildex::app {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

// Source text and names are Windows-1252; JSON is UTF-8.
std::string Text(std::string_view cp1252_text) { return cp1252::ToUtf8(cp1252_text); }

Json ProcedureJson(const ReportedProcedure& row, bool with_handling) {
  const host::ProcedureInfo& proc = row.procedure;
  Json json = {{"component", Text(row.component)},
               {"file", FromCurrentFolder(row.file)},
               {"name", Text(proc.name)},
               {"kind", proc.kind},
               {"scope", proc.scope},
               {"line", proc.file_line},
               {"end_line", proc.file_end_line},
               {"code_window", {{"start_line", proc.start_line}, {"body_line", proc.body_line}, {"end_line", proc.end_line}}}};
  if (with_handling) {
    json["error_handling"] = ErrorHandlingName(row.handling);
    json["insert_treats"] = row.treated;
  }
  return json;
}

Json ProblemsJson(const std::vector<host::LoadProblem>& problems) {
  Json list = Json::array();
  for (const host::LoadProblem& problem : problems)
    list.push_back({{"file", FromCurrentFolder(problem.file)},
                    {"line", problem.line},
                    {"message", Text(problem.message)},
                    {"fatal", problem.fatal}});
  return list;
}

// "FILE:LINE", as verify notes a file that would not come back byte for byte.
Json PlaceJson(const std::string& place) {
  const std::size_t colon = place.rfind(':');
  const bool numbered = colon != std::string::npos && colon + 1 < place.size() &&
                        place.find_first_not_of("0123456789", colon + 1) == std::string::npos;
  return {{"file", FromCurrentFolder(numbered ? place.substr(0, colon) : place)},
          {"line", numbered ? std::stol(place.substr(colon + 1)) : 0L}};
}

Json VerifyJson(const host::VerifyReport& report, bool with_procedures) {
  Json json = {{"path", FromCurrentFolder(report.path)}, {"readable", report.readable}, {"exit_code", report.ExitCode()}};
  if (!report.readable) json["error"] = Text(report.error);
  Json projects = Json::array();
  for (const host::ProjectInfo& project : report.projects) {
    Json components = Json::array();
    for (const host::ComponentInfo& component : project.components) {
      Json item = {{"type", component.type_name},
                   {"name", Text(component.name)},
                   {"file", FromCurrentFolder(component.path)},
                   {"usable", component.usable}};
      if (with_procedures) {
        Json procedures = Json::array();
        for (const host::ProcedureInfo& proc : component.procedures)
          procedures.push_back(ProcedureJson({component.name, component.path, proc}, false));
        item["procedures"] = procedures;
      }
      components.push_back(item);
    }
    projects.push_back({{"name", Text(project.name)}, {"file", FromCurrentFolder(project.file)}, {"components", components}});
  }
  json["projects"] = projects;
  json["problems"] = ProblemsJson(report.problems);
  json["notes"] = ProblemsJson(report.notes);
  json["structure"] = ProblemsJson(report.structure);
  Json places = Json::array();
  for (const std::string& place : report.not_round_trip) places.push_back(PlaceJson(place));
  json["not_round_trip"] = places;
  return json;
}

std::string NoHandlerText(const ReportedProcedure& row) { return row.procedure.name + " has no error handling"; }

// Readable in a diff: a list of objects one element a line, everything else on the line it starts.
// File names that are not UTF-8 (copied from Windows) get U+FFFD rather than failing the document.
void Write(const Json& json, std::size_t depth, std::string& out) {
  if (json.is_array() && !json.empty() && json.front().is_object()) {
    out += '[';
    for (std::size_t i = 0; i < json.size(); ++i) {
      out += (i ? ",\n" : "\n") + std::string(depth + 1, ' ');
      Write(json[i], depth + 1, out);
    }
    out += '\n' + std::string(depth, ' ') + ']';
  } else if (json.is_object()) {
    out += '{';
    for (auto item = json.begin(); item != json.end(); ++item) {
      out += (item == json.begin() ? "" : ", ") + Json(item.key()).dump(-1, ' ', false, Json::error_handler_t::replace) + ": ";
      Write(item.value(), depth, out);
    }
    out += '}';
  } else {
    out += json.dump(-1, ' ', false, Json::error_handler_t::replace);
  }
}

std::string Dump(const Json& json) {
  std::string out;
  Write(json, 0, out);
  return out + "\n";
}

}  // namespace

fs::path RepositoryRoot(const fs::path& folder) {
  std::error_code error;
  for (fs::path at = fs::absolute(folder, error).lexically_normal(); !at.empty(); at = at.parent_path()) {
    if (fs::exists(at / ".git", error)) return at;
    if (at == at.parent_path()) break;
  }
  return fs::current_path(error);
}

std::string ProcedureReportJson(const std::vector<ReportedProject>& projects, bool with_handling) {
  Json list = Json::array();
  for (const ReportedProject& project : projects) {
    Json procedures = Json::array();
    for (const ReportedProcedure& row : project.procedures) procedures.push_back(ProcedureJson(row, with_handling));
    list.push_back({{"name", Text(project.name)}, {"file", FromCurrentFolder(project.file)}, {"procedures", procedures}});
  }
  return Dump({{"version", kJsonVersion}, {"projects", list}});
}

std::string VerifyReportJson(const std::vector<host::VerifyReport>& reports, bool with_procedures) {
  Json list = Json::array();
  for (const host::VerifyReport& report : reports) list.push_back(VerifyJson(report, with_procedures));
  return Dump({{"version", kJsonVersion}, {"reports", list}});
}

std::string SarifLog(const std::vector<ReportedProcedure>& missing, const fs::path& root) {
  Json results = Json::array();
  for (const ReportedProcedure& row : missing) {
    const fs::path relative = fs::absolute(row.file).lexically_normal().lexically_relative(root);
    Json region = {{"startLine", std::max(1L, row.procedure.file_line)}};
    if (row.procedure.file_end_line > row.procedure.file_line) region["endLine"] = row.procedure.file_end_line;
    Json artifact = {{"uri", lsp::UriReference(relative.empty() ? fs::path(row.file) : relative)},
                     {"uriBaseId", "SRCROOT"}};
    Json physical = {{"artifactLocation", artifact}, {"region", region}};
    Json logical = {{"name", Text(row.procedure.name)},
                    {"fullyQualifiedName", Text(row.component + "." + row.procedure.name)},
                    {"kind", "function"}};
    Json location = {{"physicalLocation", physical}, {"logicalLocations", Json::array({logical})}};
    results.push_back({{"ruleId", kNoHandlerRule},
                       {"ruleIndex", 0},
                       {"level", "error"},
                       {"message", {{"text", Text(NoHandlerText(row))}}},
                       {"locations", Json::array({location})}});
  }
  Json rule = {{"id", kNoHandlerRule},
               {"name", "NoErrorHandler"},
               {"shortDescription", {{"text", "Procedure without error handling"}}},
               {"fullDescription",
                {{"text", "A procedure that gildex insert would treat (by its size, skip tag and InsertInto) has no "
                          "On Error statement and no error handling from a Gildex template."}}},
               {"defaultConfiguration", {{"level", "error"}}},
               {"help", {{"text", "Run gildex insert on the project, or trap the procedure's errors yourself."}}}};
  Json driver = {{"name", "gildex"}, {"version", GILDEX_VERSION}, {"rules", Json::array({rule})}};
  Json base = {{"uri", lsp::UriOfPath(root) + "/"}};
  Json run = {{"tool", {{"driver", driver}}}, {"originalUriBaseIds", {{"SRCROOT", base}}}, {"results", results}};
  Json log = {{"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
              {"version", "2.1.0"},
              {"runs", Json::array({run})}};
  return Dump(log);
}

std::string CheckLines(const std::vector<ReportedProcedure>& missing) {
  std::string text;
  for (const ReportedProcedure& row : missing)
    text += FromCurrentFolder(row.file) + ":" + std::to_string(row.procedure.file_line) + ": " +
            cp1252::ToDisplay(NoHandlerText(row)) + "\n";
  return text;
}

}  // namespace gildex::app
