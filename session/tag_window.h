#pragma once
// The per-procedure template window (the options dialog's "&Advanced..") worked without a
// screen, for the hosts that tag members by name: the component's node clicked, the named
// members checked or unchecked, Apply (when any was named), Close. The add-in's own command
// opens it:
//
//   TagWindow window;
//   session.ConnectAddIn(mode, persist, make_view, {.advanced_template = &window});
//   window.Ask({"modGlobals", {"Main"}, {}});
//   session.Connection().Tools().cmdAdvanced_Click();
//   if (!window.Problem().empty()) ...   // else the tags are in the component's code
#include <string>
#include <vector>

#include "common/problem.h"
#include "templates/advanced_template.h"

namespace gildex::session {

struct TagRequest {
  std::string component;                // of the active project, any letter case
  std::vector<std::string> tag, untag;  // member names, any letter case; both empty: list only
};

class TagWindow : public AdvancedTemplateView {
 public:
  // What the next showing does; forgets the last one's outcome.
  void Ask(TagRequest request);

  void ShowModal(frmAdvancedTemplate& form) override;
  void Draw(const AdvancedTemplateState&) override {}
  void Unload() override {}

  bool Shown() const { return shown_; }
  // A component or member not found, or nothing to tag with (nothing was changed then).
  const gildex::Problem& Problem() const { return problem_; }
  // The members after the change, and how many were tagged (or retagged) and untagged.
  const std::vector<MemberRow>& Rows() const { return rows_; }
  long Tagged() const { return tagged_; }
  long Untagged() const { return untagged_; }

 private:
  void Work(frmAdvancedTemplate& form);

  TagRequest request_;
  bool shown_ = false;
  gildex::Problem problem_;
  std::vector<MemberRow> rows_;
  long tagged_ = 0, untagged_ = 0;
};

}  // namespace gildex::session
