#include "app/prefix_command.h"

#include <fmt/core.h>

#include <iostream>
#include <memory>

#include "app/printer.h"
#include "app/scope_command.h"
#include "app/terminal_view.h"
#include "platform/cp1252.h"
#include "session/prefix_controls.h"

namespace gildex::app {
namespace {

std::string Display(std::string_view bytes) { return cp1252::ToDisplay(bytes); }

std::string Count(long n, std::string_view one, std::string_view many) {
  return fmt::format("{} {}", n, n == 1 ? one : many);
}

int Run(const PrefixCommandOptions& options, std::ostream& out, std::ostream& err) {
  const bool writes_nothing = options.check || options.dry_run;
  Console console(err, ModeFor(err, options.verbose, options.quiet));
  auto fail = [&](int code, const std::string& message) {
    console.EndProgress();
    Tell(err, message);
    return code;
  };
  CommandSession command(err, options.forced, &console);
  session::Session& s = command.Session();
  // A dry run only reads: it takes no lock.
  const std::string opened = command.Open(options.project, !options.dry_run);
  if (!opened.empty()) return fail(kBadInput, opened);
  const Problem connected =
      s.ConnectAddIn(ext_cm_CommandLine, !writes_nothing, [&](clsMessages&) -> std::unique_ptr<MessageView> {
        return std::make_unique<TerminalMessageView>(console);
      });
  if (!connected.empty()) return fail(kBadInput, Worded(connected));

  session::PrefixOutcome outcome;
  if (const Problem problem =
          session::PrefixControls(s, {TerminalName(options.component), options.references}, outcome);
      !problem.empty())
    return fail(kBadInput, Worded(problem));
  for (const session::PrefixedControl& control : outcome.prefixed)
    console.Line(fmt::format("{}: {} -> {}{}", control.file, control.old_name, control.new_name,
                             control.elements > 1 ? fmt::format(" (a control array of {})", control.elements) : ""));
  std::ostream& listed = options.dry_run ? err : out;
  for (const session::NameReference& reference : outcome.references)
    listed << Display(reference.file) << ":" << reference.line << ": " << Display(reference.text) << "\n";
  listed.flush();
  for (const std::string& problem : outcome.problems) console.Problem(problem);
  if (outcome.errors_reported > 0) return fail(kReported, "nothing was written because of the error reported above");

  const long changed_files = static_cast<long>(s.Changed().size());
  std::string save_error;
  std::vector<std::string> written_files;
  const std::optional<long> written =
      WriteChanges(s, options.project, options.dry_run, options.check, out, console, save_error, &written_files);
  if (!written) return fail(kBadInput, save_error);
  const long files = *written;
  if (!console.Mode().terminal || console.Mode().verbose)
    for (const std::string& file : written_files) console.Line("wrote " + file);
  s.Disconnect();
  console.Line(Said((options.named ? options.project + ": " : std::string()) + PrefixSummaryLine(static_cast<long>(outcome.prefixed.size()),
                                      static_cast<long>(outcome.references.size()), options.references, changed_files,
                                      files, writes_nothing)));
  if (console.Problems() > 0 || (options.check && changed_files > 0)) return kReported;
  return kDone;
}

}  // namespace

int RunPrefixCommand(const PrefixCommandOptions& options, std::ostream& out, std::ostream& err) {
  return RunReportingFailure("prefix", err, [&]() -> int { return Run(options, out, err); });
}

std::string PrefixSummaryLine(long prefixed, long references, bool rewritten, long changed_files, long written_files,
                              bool would) {
  if (changed_files == 0) return "nothing to change.";
  return fmt::format("{}, {}; {}.", Count(prefixed, "control prefixed", "controls prefixed"),
                     Count(references, rewritten ? "reference rewritten" : "reference listed",
                           rewritten ? "references rewritten" : "references listed"),
                     Count(written_files, "file", "files") + (would ? " would be written" : " written"));
}

}  // namespace gildex::app
