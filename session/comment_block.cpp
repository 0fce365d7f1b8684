// The session's road to the "Comment block" entry: the cursor on a procedure, then its click.
#include "platform/cp1252.h"
#include "session/session.h"

namespace gildex::session {

Problem Session::SelectProcedure(const std::string& component, const std::string& procedure) {
  // Numbering one procedure finds it exactly as the comment block wants it, and needs no
  // template; its selection is then narrowed to the cursor on the declaration.
  if (Problem problem = Select(ScopeAction::Number, {component, procedure, std::nullopt, false}); !problem.empty())
    return problem;
  host::CodeModule& module = *component_->Code();
  for (const host::Member& member : module.Members()) {
    if (member.type != host::MemberType::Method && member.type != host::MemberType::Property) continue;
    if (!cp1252::EqualsNoCase(member.name, procedure)) continue;
    host::ProcKind kind{};
    const std::string name = module.ProcOfLine(member.code_location, kind);
    if (name.empty()) continue;
    const long line = module.ProcBodyLine(name, kind);
    module.Pane().SetSelection(host::Selection{line, 1, line, 1});
    return {};
  }
  return "no procedure named \"" + procedure + "\" in " + component_->Name();
}

CommandOutcome Session::RunCommentBlock() {
  CommandOutcome outcome;
  const long errors_before = context_.report.Shown();
  connect_->Scope().hWndInsertComment_Click();
  outcome.errors_reported = context_.report.Shown() - errors_before;
  return outcome;
}

}  // namespace gildex::session
