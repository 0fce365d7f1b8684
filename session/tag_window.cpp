#include "session/tag_window.h"

#include <utility>

#include "platform/cp1252.h"

namespace gildex::session {

void TagWindow::Ask(TagRequest request) {
  request_ = std::move(request);
  shown_ = false;
  problem_ = {};
  rows_.clear();
  tagged_ = untagged_ = 0;
}

void TagWindow::ShowModal(frmAdvancedTemplate& form) {
  shown_ = true;
  Work(form);
  form.Command1_Click();
}

void TagWindow::Work(frmAdvancedTemplate& form) {
  const std::vector<ProjectNode>& nodes = form.State().nodes;
  const ProjectNode* node = nullptr;
  for (std::size_t i = 1; i < nodes.size() && node == nullptr; ++i)
    if (cp1252::EqualsNoCase(nodes[i].key, request_.component)) node = &nodes[i];
  if (node == nullptr) {
    problem_ = "no component named \"" + request_.component + "\" in the project " +
               (nodes.empty() ? std::string() : nodes.front().text);
    return;
  }
  const std::string component = node->text;
  form.tvwVBProjects_NodeClick(node->key);
  if (form.ShownComponent() != component) return;  // the error was reported
  const std::vector<MemberRow> before = form.State().rows;
  for (const auto& [names, checked] : {std::pair{&request_.tag, true}, std::pair{&request_.untag, false}})
    for (const std::string& name : *names) {
      std::size_t row = 0;
      while (row < before.size() && !cp1252::EqualsNoCase(before[row].name, name)) ++row;
      if (row == before.size()) {
        problem_ = component + " has no method, property or event \"" + name + "\"";
        return;
      }
      form.lvwMembers_ItemCheck(row, checked);
    }
  if (!request_.tag.empty() || !request_.untag.empty()) {
    form.cmdApply_Click();
    if (const gildex::Problem& refused = form.ApplyProblem(); !refused.empty()) {
      problem_ = refused;
      problem_.what = "nothing was written: " + refused.what;
      return;
    }
  }
  rows_ = form.State().rows;
  for (std::size_t i = 0; i < rows_.size() && i < before.size(); ++i) {
    if (rows_[i].checked && (!before[i].checked || rows_[i].template_name != before[i].template_name)) ++tagged_;
    if (!rows_[i].checked && before[i].checked) ++untagged_;
  }
}

}  // namespace gildex::session
