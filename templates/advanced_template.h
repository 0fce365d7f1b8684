#pragma once
// frmAdvancedTemplate, "Advanced Template Options": where the user picks the procedures that
// the Selected Routines mode (InsertInto "--") treats. It lists the components of the active
// project, the methods, properties and events of the one clicked with check boxes, and on
// Apply writes or removes the template tag (engine/template_tag.h) on each member's last
// declaration line. The tags in the source are its only lasting result.
//
// The model keeps every rule and the whole state; AdvancedTemplateView draws the state it is
// given and reports the user's actions back through the handlers. `gildex tag` drives the
// same model without a view.
#include <cstddef>
#include <string>
#include <vector>

#include "common/error_report.h"
#include "common/problem.h"
#include "engine/gildex.h"
#include "host/vbide.h"

namespace gildex {

class frmAdvancedTemplate;

// A node of tvwVBProjects: the root (key "root", the project, image "project") and then one a
// component (key and text its name) with an image by its kind.
struct ProjectNode {
  std::string key, text, image;
  bool operator==(const ProjectNode&) const = default;
};

// A row of lvwMembers.
struct MemberRow {
  std::string name;
  std::string type;           // "Method", "Property" or "Event"
  std::string template_name;  // the name in the member's tag; empty when untagged
  bool checked = false;
  bool operator==(const MemberRow&) const = default;
};

// Everything of the window the model changes.
struct AdvancedTemplateState {
  std::string label;               // lblCaption, naming the default template
  std::vector<ProjectNode> nodes;  // tvwVBProjects, root first and expanded
  std::vector<MemberRow> rows;     // lvwMembers
  bool auto_apply = false;         // chkAutoApply
  bool apply_enabled = false;      // cmdApply
  bool operator==(const AdvancedTemplateState&) const = default;
};

class AdvancedTemplateView {
 public:
  virtual ~AdvancedTemplateView() = default;
  // Shows the window modally, drawn as form.State(), until the model calls Unload.
  virtual void ShowModal(frmAdvancedTemplate& form) = 0;
  // Redraws after a handler changed the state.
  virtual void Draw(const AdvancedTemplateState& state) = 0;
  // Closes the window; must not call back into the model.
  virtual void Unload() = 0;
};

class frmAdvancedTemplate {
 public:
  static constexpr const char* kCaption = "Advanced Template Options";
  static constexpr const char* kAutoApplyCaption = "Auto-apply changes when select new module.";
  static constexpr const char* kApplyCaption = "&Apply";
  static constexpr const char* kCloseCaption = "Close";
  static constexpr const char* kColumns[] = {"Name", "Type", "Template"};
  static constexpr const char* kRootKey = "root";
  static constexpr const char* kNoTemplate = "Please select a template to use before continuing";

  // `view` may be null: the model is then driven without a window (the command line).
  frmAdvancedTemplate(host::VBE& vbe, CGildex& engine, ErrorReport& report, AdvancedTemplateView* view);

  // Loads the window, fills the tree from the active project and shows it modally.
  void Display();
  // Writes the list's state into the code of the component it shows; false when nothing could
  // be written (no default template to tag with, or a failure reported).
  bool AddTemplates();

  const AdvancedTemplateState& State() const { return state_; }
  // Why the last Apply wrote nothing, as data for the host to word; empty when it wrote or
  // when a failure went to the error report instead.
  const Problem& ApplyProblem() const { return apply_problem_; }
  // The component whose members the list shows; empty before the first node click.
  const std::string& ShownComponent() const { return shown_component_; }

  // The user's actions. Rows count from 0.
  void tvwVBProjects_NodeClick(const std::string& key);
  void lvwMembers_ItemClick(std::size_t row);
  void lvwMembers_ItemCheck(std::size_t row, bool checked);
  void chkAutoApply_Click(bool checked);
  void cmdApply_Click();
  void Command1_Click();

 private:
  void Form_Load();
  void ListMembers(const std::string& component);
  // Apply's work without drawing; false when nothing was written.
  bool ApplyPending();
  host::CodeModule& CodeOf(const std::string& component);
  void Changed();

  host::VBE& vbe_;
  CGildex& engine_;
  ErrorReport& report_;
  AdvancedTemplateView* view_;
  AdvancedTemplateState state_;
  Problem apply_problem_;
  std::string shown_component_;
};

}  // namespace gildex
