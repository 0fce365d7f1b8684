#include "app/tag_command.h"

#include <fmt/core.h>

#include <memory>
#include <ostream>

#include "app/printer.h"
#include "app/scope_command.h"
#include "app/terminal_view.h"
#include "platform/cp1252.h"
#include "session/tag_window.h"
#include "templates/template_rules.h"

namespace gildex::app {
namespace {

std::string Display(std::string_view bytes) { return cp1252::ToDisplay(bytes); }

std::string Count(long n, std::string_view one, std::string_view many) {
  return fmt::format("{} {}", n, n == 1 ? one : many);
}

int Run(const TagOptions& options, std::ostream& out, std::ostream& err) {
  if (options.check && options.dry_run) {
    Say(err, "--check and --dry-run together: choose one");
    return kBadInput;
  }
  const bool listing = options.tag.empty() && options.untag.empty();
  const bool writes_nothing = listing || options.check || options.dry_run;
  Console console(err, ConsoleMode{false, false, options.quiet});
  auto fail = [&](int code, const std::string& message) {
    Tell(err, message);
    return code;
  };
  CommandSession command(err, options.forced, &console);
  session::Session& s = command.Session();
  const std::string opened = command.Open(options.project, !listing && !options.dry_run);
  if (!opened.empty()) return fail(kBadInput, opened);
  session::TagWindow window;
  ConnectViews views;
  views.advanced_template = &window;
  const Problem connected = s.ConnectAddIn(
      ext_cm_CommandLine, !writes_nothing,
      [&](clsMessages&) -> std::unique_ptr<MessageView> { return std::make_unique<TerminalMessageView>(console); },
      views);
  if (!connected.empty()) return fail(kBadInput, Worded(connected));
  if (const std::string problem = ApplyTypedOverrides(s, {}, options.template_name, "", writes_nothing);
      !problem.empty())
    return fail(kBadInput, problem);
  if (const gildex::Problem problem = TemplateChoiceProblem(s.Engine(), false); !options.tag.empty() && !problem.empty())
    return fail(kBadInput, Worded(problem));
  const std::string template_name = s.Engine().DefaultTemplate();

  const long reports = s.Shared().Report().Shown();
  window.Ask({options.component, options.tag, options.untag});
  s.Connection().Tools().cmdAdvanced_Click();
  if (!window.Problem().empty()) return fail(kBadInput, Worded(window.Problem()));
  if (!window.Shown() || s.Shared().Report().Shown() > reports)
    return fail(kReported, "nothing was written because of the error reported above");
  if (!options.dry_run && !options.check && (listing || !options.quiet))
    for (const MemberRow& row : window.Rows())
      out << Display(row.name) << "\t" << row.type << "\t" << Display(row.template_name) << "\n";
  out.flush();
  if (listing) return kDone;

  const long changed_files = static_cast<long>(s.Changed().size());
  std::string save_error;
  const std::optional<long> written = WriteChanges(s, options.project, options.dry_run, options.check, out, console, save_error);
  if (!written) return fail(kReported, save_error);
  const long files = *written;
  s.Disconnect();
  std::string done;
  if (window.Tagged() > 0)
    done = Count(window.Tagged(), "procedure tagged", "procedures tagged") + " for " + Display(template_name);
  if (window.Untagged() > 0)
    done += (done.empty() ? "" : ", ") + Count(window.Untagged(), "tag removed", "tags removed");
  console.Line(Said(changed_files == 0 ? std::string("nothing to change.")
                                       : done + "; " + Count(files, "file", "files") +
                                             (writes_nothing ? " would be written." : " written.")));
  if (console.Problems() > 0 || (options.check && changed_files > 0)) return kReported;
  return kDone;
}

}  // namespace

int RunTagCommand(const TagOptions& options, std::ostream& out, std::ostream& err) {
  return RunReportingFailure("tag", err, [&]() -> int { return Run(options, out, err); });
}

}  // namespace gildex::app
