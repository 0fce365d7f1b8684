#include "app/tag_command.h"

#include <fmt/core.h>

#include <memory>
#include <ostream>

#include "app/printer.h"
#include "app/scope_command.h"
#include "app/terminal_view.h"
#include "platform/cp1252.h"
#include "templates/advanced_template.h"
#include "templates/template_rules.h"

namespace gildex::app {
namespace {

std::string Display(std::string_view bytes) { return cp1252::ToDisplay(bytes); }

std::string Count(long n, std::string_view one, std::string_view many) {
  return fmt::format("{} {}", n, n == 1 ? one : many);
}

// The window as the command line works it: the component's node clicked, the named rows
// checked or unchecked, Apply (unless only listing), Close.
class ScriptedTagWindow : public AdvancedTemplateView {
 public:
  explicit ScriptedTagWindow(const TagOptions& options) : options_(options) {}

  void ShowModal(frmAdvancedTemplate& form) override {
    shown_ = true;
    Work(form);
    form.Command1_Click();
  }
  void Draw(const AdvancedTemplateState&) override {}
  void Unload() override {}

  bool Shown() const { return shown_; }
  const std::string& Problem() const { return problem_; }
  const std::vector<MemberRow>& Rows() const { return rows_; }
  long Tagged() const { return tagged_; }
  long Untagged() const { return untagged_; }

 private:
  void Work(frmAdvancedTemplate& form) {
    const std::vector<ProjectNode>& nodes = form.State().nodes;
    const ProjectNode* node = nullptr;
    for (std::size_t i = 1; i < nodes.size() && node == nullptr; ++i)
      if (cp1252::EqualsNoCase(nodes[i].key, options_.component)) node = &nodes[i];
    if (node == nullptr) {
      problem_ = "no component named \"" + options_.component + "\" in the project " +
                 (nodes.empty() ? std::string() : nodes.front().text);
      return;
    }
    const std::string component = node->text;
    form.tvwVBProjects_NodeClick(node->key);
    if (form.ShownComponent() != component) return;  // the error was reported
    const std::vector<MemberRow> before = form.State().rows;
    for (const auto& [names, checked] : {std::pair{&options_.tag, true}, std::pair{&options_.untag, false}})
      for (const std::string& name : *names) {
        std::size_t row = 0;
        while (row < before.size() && !cp1252::EqualsNoCase(before[row].name, name)) ++row;
        if (row == before.size()) {
          problem_ = component + " has no method, property or event \"" + name + "\"";
          return;
        }
        form.lvwMembers_ItemCheck(row, checked);
      }
    if (!options_.tag.empty() || !options_.untag.empty()) {
      form.cmdApply_Click();
      if (form.State().apply_enabled) {
        problem_ = "nothing was written: the tags would name no template; give --template NAME";
        return;
      }
    }
    rows_ = form.State().rows;
    for (std::size_t i = 0; i < rows_.size() && i < before.size(); ++i) {
      if (rows_[i].checked && (!before[i].checked || rows_[i].template_name != before[i].template_name)) ++tagged_;
      if (!rows_[i].checked && before[i].checked) ++untagged_;
    }
  }

  const TagOptions& options_;
  bool shown_ = false;
  std::string problem_;
  std::vector<MemberRow> rows_;
  long tagged_ = 0, untagged_ = 0;
};

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
  ScriptedTagWindow window(options);
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
  s.Connection().Tools().cmdAdvanced_Click();
  if (!window.Problem().empty()) return fail(kBadInput, window.Problem());
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
