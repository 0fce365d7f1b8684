#include "app/tool_commands.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <ostream>

#include "app/printer.h"
#include "app/project_list.h"
#include "app/report_output.h"
#include "app/scope_command.h"
#include "platform/atomic_file.h"
#include "platform/clipboard.h"
#include "platform/cp1252.h"
#include "session/session.h"
#include "templates/template_files.h"
#include "tools/component_info.h"
#include "tools/function_finder.h"
#include "tools/procedure_report.h"

namespace gildex::app {
namespace {

namespace fs = std::filesystem;

std::string Display(std::string_view bytes) { return cp1252::ToDisplay(bytes); }

// A session with `path` open read-only: no lock, nothing written. Missing members are asked
// about as every command asks (default No: nothing loads), or answered by --yes/--no.
class ReadSession {
 public:
  ReadSession(std::ostream& err, platform::MsgBoxResult forced) : err_(err), command_(err, forced, nullptr) {}

  // False after printing why nothing could be opened.
  bool Open(const std::string& path) {
    const std::string opened = command_.Open(path, false);
    if (opened.empty()) return true;
    Tell(err_, opened);
    return false;
  }
  host::MemoryVBE& Vbe() { return command_.Session().Vbe(); }
  session::PlatformContext& Context() { return command_.Context(); }
  bool Damaged() {
    for (const host::LoadProblem& problem : command_.Session().Loaded().problems)
      if (problem.fatal) return true;
    return false;
  }

 private:
  std::ostream& err_;
  CommandSession command_;
};

int ListProcedures(const FinderOptions& options, std::ostream& out, std::ostream& err) {
  ReadSession session(err, options.forced);
  if (!session.Open(options.file)) return kBadInput;
  const auto projects = ReportProcedures(session.Vbe(), session.Context().Engine());
  if (options.json)
    out << ProcedureReportJson(projects, false);
  else
    out << Display(FormatProcedureReport(projects, false));
  return kDone;
}

// Answers the finder's own questions on the command line: the component is never kept.
class NoWindow : public FunctionFinderView {
 public:
  std::optional<std::string> AskFile(const std::string&, const std::string&, int) override { return std::nullopt; }
  void Refresh(const FunctionFinder&) override {}
};

int ShowMembers(const FinderOptions& options, std::ostream& out, std::ostream& err) {
  ReadSession session(err, options.forced);
  if (!session.Open(options.project.empty() ? options.file : options.project)) return kBadInput;
  std::unique_ptr<platform::Clipboard> clipboard;
  if (options.copy.empty() || options.copy == "-")
    clipboard = std::make_unique<platform::StreamClipboard>(out);
  else
    clipboard = std::make_unique<platform::FileClipboard>(options.copy);
  ErrorReport& report = session.Context().report;
  const long reports_before = report.Shown();
  NoWindow window;
  FunctionFinder finder(session.Vbe(), report, *clipboard, &window);
  // A component file opened alone is already the project's component: nothing is added.
  if (!finder.LoadFile(fs::absolute(options.file).lexically_normal().string())) return kBadInput;
  for (const std::string& name : options.show) {
    std::size_t found = finder.Rows().size();
    for (std::size_t i = 0; i < finder.Rows().size(); ++i)
      if (cp1252::EqualsNoCase(finder.Rows()[i].name, name)) found = i;
    if (found == finder.Rows().size()) {
      err << Said(Display(finder.Component()->Name()) + " has no method, property or event named " + Display(name) +
                  "; it has:");
      for (const FinderRow& row : finder.Rows()) err << " " << Display(row.name);
      err << "\n";
      return kBadInput;
    }
    finder.lvwProcs_Click(found);
  }
  finder.cmdCopy_Click();
  if (!options.copy.empty() && options.copy != "-" && report.Shown() == reports_before)
    Say(err, std::to_string(finder.Code().size()) + " bytes of code put on the clipboard " + options.copy);
  return report.Shown() == reports_before ? kDone : kReported;
}

}  // namespace

int Finder(const FinderOptions& options, std::ostream& out, std::ostream& err) {
  return RunReportingFailure("finder", err, [&]() -> int {
    if (options.show.empty()) {
      if (!options.project.empty() || !options.copy.empty()) {
        Say(err, "--project and --copy go with --show only");
        return kBadInput;
      }
      return ListProcedures(options, out, err);
    }
    if (options.json) {
      Say(err, "--json lists procedures; it does not go with --show");
      return kBadInput;
    }
    return ShowMembers(options, out, err);
  });
}

int Info(const std::string& component, const std::string& project, platform::MsgBoxResult forced, std::ostream& out,
         std::ostream& err) {
  return RunReportingFailure("info", err, [&]() -> int {
    if (project.empty() && !fs::exists(component)) {
      Say(err, "there is no file " + component + " (a component given by its name needs --project PROJECT)");
      return kBadInput;
    }
    ReadSession session(err, forced);
    if (!session.Open(project.empty() ? component : project)) return kBadInput;
    host::VBComponent* found = session::FindComponent(session.Vbe(), component);
    if (found == nullptr && project.empty() && session.Vbe().ProjectCount() == 1 &&
        session.Vbe().Project(1).ComponentCount() == 1)
      found = &session.Vbe().Project(1).Component(1);
    if (found == nullptr) {
      Say(err, "no component named or loaded from " + Display(component) + " in " +
                   Display(project.empty() ? component : project));
      return kBadInput;
    }
    const ComponentInformation info = DescribeComponent(*found, SourceControlStatus(*found, session.Context().env));
    out << Display(FormatComponentInformation(info));
    return kDone;
  });
}

int Report(const ReportOptions& options, std::ostream& out, std::ostream& err) {
  if (options.json && options.sarif == "-") {
    Say(err, "--json and --sarif - both want standard output: give --sarif a file");
    return kBadInput;
  }
  std::vector<ReportedProject> reported;
  const int code =
      ForEachProject(options.projects, err, options.quiet, "with members missing", [&](const std::string& project, bool) {
        return RunReportingFailure("report", err, [&]() -> int {
          ReadSession session(err, options.forced);
          if (!session.Open(project)) return kBadInput;
          CGildex& engine = session.Context().Engine();
          // Handling written without marker lines is recognised by the default template's lines.
          LoadTemplate(engine, "");
          for (ReportedProject& one : ReportProcedures(session.Vbe(), engine)) reported.push_back(std::move(one));
          // A member that could not be read is missing from the report.
          return session.Damaged() ? kReported : kDone;
        });
      });
  // One document for every project read, also when one could not be; none after a cancel.
  if (code == kCancelled || (reported.empty() && code == kBadInput)) return code;
  const std::vector<ReportedProcedure> missing = WithoutHandling(reported);
  if (!options.sarif.empty()) {
    const fs::path first = options.projects.front();
    const std::string log =
        SarifLog(missing, RepositoryRoot(fs::is_directory(first) ? first : fs::absolute(first).parent_path()));
    if (options.sarif == "-")
      out << log;
    else
      platform::WriteFileAtomically(options.sarif, log, 0644, true);
  }
  const bool document = options.json || options.sarif == "-";
  if (options.json)
    out << ProcedureReportJson(reported, true);
  else if (!options.check && !document)
    out << Display(FormatProcedureReport(reported, true));
  if (!options.check) return code;
  (document ? err : out) << CheckLines(missing);
  if (!options.quiet)
    Say(err, missing.empty() ? std::string("every procedure that insert would treat has error handling")
                             : std::to_string(missing.size()) + (missing.size() == 1 ? " procedure" : " procedures") +
                                   " that insert would treat " + (missing.size() == 1 ? "has" : "have") +
                                   " no error handling");
  return missing.empty() ? code : std::max(code, static_cast<int>(kReported));
}

}  // namespace gildex::app
