#include "templates/advanced_template.h"

#include <algorithm>
#include <optional>

#include "engine/template_tag.h"
#include "platform/cp1252.h"

namespace gildex {

namespace {

VbError ObjectNotSet() { return VbError(91, "Object variable or With block variable not set"); }

const char* NodeImage(host::ComponentType type) {
  switch (type) {
    case host::ComponentType::StdModule: return "module";
    case host::ComponentType::ClassModule: return "class";
    case host::ComponentType::VBForm:
    case host::ComponentType::MSForm: return "form";
    case host::ComponentType::VBMDIForm: return "MDIform";
    case host::ComponentType::PropPage: return "property";
    case host::ComponentType::UserControl: return "user";
    case host::ComponentType::DocObject: return "userdoc";
    default: return "unknown";
  }
}

// The list shows what can carry error handling; variables and constants cannot.
std::optional<std::string> ListedType(host::MemberType type) {
  switch (type) {
    case host::MemberType::Method: return "Method";
    case host::MemberType::Property: return "Property";
    case host::MemberType::Event: return "Event";
    default: return std::nullopt;
  }
}

// The line a member's tag is read from.
long TagLine(const host::CodeModule& module, const host::Member& member) {
  return LastDeclarationLine(module, member.code_location);
}

// The lines a member's tag is written to. The list has one row for a property, but the engine
// treats each of its procedures alone: all of them get the row's tag, or the property would be
// half handled.
std::vector<long> TagLines(const host::CodeModule& module, const host::Member& member) {
  if (member.type != host::MemberType::Property) return {TagLine(module, member)};
  std::vector<long> lines;
  for (host::ProcKind kind : {host::ProcKind::Get, host::ProcKind::Let, host::ProcKind::Set}) {
    try {
      lines.push_back(LastDeclarationLine(module, module.ProcBodyLine(member.name, kind)));
    } catch (const host::HostError&) {
      // The property has no procedure of this kind.
    }
  }
  return lines;
}

}  // namespace

frmAdvancedTemplate::frmAdvancedTemplate(host::VBE& vbe, CGildex& engine, ErrorReport& report,
                                         AdvancedTemplateView* view)
    : vbe_(vbe), engine_(engine), report_(report), view_(view) {}

void frmAdvancedTemplate::Form_Load() {
  report_.Trap("frmAdvancedTemplate.Form_Load", [&] {
    state_ = {};
    shown_component_.clear();
    state_.label =
        "By clicking on the check-box next to a function/property in the list-view you can select which functions "
        "(or modules) you wish to have the '" +
        engine_.DefaultTemplate() + "' template inserted into.";
  });
}

void frmAdvancedTemplate::Display() {
  Form_Load();
  const bool filled = report_.Trap("frmAdvancedTemplate.Display", false, [&] {
    host::VBProject* project = vbe_.ActiveVBProject();
    if (project == nullptr) throw ObjectNotSet();
    state_.nodes = {{kRootKey, project->Name(), "project"}};
    for (int i = 1; i <= project->ComponentCount(); ++i) {
      host::VBComponent& component = project->Component(i);
      state_.nodes.push_back({component.Name(), component.Name(), NodeImage(component.Type())});
    }
    return true;
  });
  if (filled && view_ != nullptr) view_->ShowModal(*this);
}

host::CodeModule& frmAdvancedTemplate::CodeOf(const std::string& component) {
  host::VBProject* project = vbe_.ActiveVBProject();
  host::VBComponent* found = project != nullptr ? project->FindComponent(component) : nullptr;
  if (found == nullptr || found->Code() == nullptr) throw ObjectNotSet();
  return *found->Code();
}

void frmAdvancedTemplate::ListMembers(const std::string& component) {
  host::CodeModule& module = CodeOf(component);
  state_.rows.clear();
  shown_component_ = component;
  for (const host::Member& member : module.Members()) {
    const std::optional<std::string> type = ListedType(member.type);
    if (!type) continue;
    const std::optional<std::string> tag = TemplateTagOf(module.Lines(TagLine(module, member), 1));
    state_.rows.push_back({member.name, *type, tag.value_or(""), tag.has_value()});
  }
}

void frmAdvancedTemplate::tvwVBProjects_NodeClick(const std::string& key) {
  if (key == kRootKey) return;
  report_.Trap("frmAdvancedTemplate.tvwVBProjects_NodeClick", [&] {
    // Pending changes that could not be written stay on show rather than being dropped.
    if (state_.auto_apply && state_.apply_enabled && !ApplyPending()) return;
    ListMembers(key);
  });
  Changed();
}

bool frmAdvancedTemplate::AddTemplates() {
  apply_problem_ = {};
  return report_.Trap("frmAdvancedTemplate.AddTemplates", false, [&] {
    if (shown_component_.empty()) return true;
    const std::string template_name = engine_.DefaultTemplate();
    host::CodeModule& module = CodeOf(shown_component_);
    const std::vector<host::Member> members = module.Members();
    struct Edit {
      long line;
      std::string text;
    };
    std::vector<Edit> edits;
    for (const MemberRow& row : state_.rows) {
      const host::Member* member = nullptr;
      for (const host::Member& each : members)
        if (ListedType(each.type) && cp1252::EqualsNoCase(each.name, row.name)) {
          member = &each;
          break;
        }
      if (member == nullptr) throw host::HostError(35, "Sub or Function not defined");
      for (const long line : TagLines(module, *member)) {
        const std::string text = module.Lines(line, 1);
        const std::string wanted = row.checked ? WithTemplateTag(text, template_name) : WithoutTemplateTag(text);
        if (wanted != text) edits.push_back({line, wanted});
      }
    }
    // A tag without a name would name no template, and no run would ever treat it.
    const bool tags_added =
        std::any_of(state_.rows.begin(), state_.rows.end(), [](const MemberRow& row) { return row.checked; });
    if (template_name.empty() && tags_added && !edits.empty()) {
      apply_problem_ = Problem("the tags would name no template", ProblemSubject::Template, Remedy::ChooseTemplate);
      report_.Dialogs().MsgBox(platform::MessageBox{kNoTemplate, platform::vbOKOnly, std::string(kAppTitle)});
      return false;
    }
    // Replacing a line never moves another, so the edits need no order.
    for (const Edit& edit : edits) module.ReplaceLine(edit.line, edit.text);
    return true;
  });
}

bool frmAdvancedTemplate::ApplyPending() {
  if (!AddTemplates()) return false;
  state_.apply_enabled = false;
  // The Template column shows what the lines now carry.
  if (!shown_component_.empty()) ListMembers(shown_component_);
  return true;
}

void frmAdvancedTemplate::cmdApply_Click() {
  report_.Trap("frmAdvancedTemplate.cmdApply_Click", [&] { ApplyPending(); });
  Changed();
}

void frmAdvancedTemplate::lvwMembers_ItemClick(std::size_t row) {
  if (row >= state_.rows.size()) return;
  state_.apply_enabled = true;
  Changed();
}

void frmAdvancedTemplate::lvwMembers_ItemCheck(std::size_t row, bool checked) {
  if (row >= state_.rows.size()) return;
  state_.rows[row].checked = checked;
  state_.apply_enabled = true;
  Changed();
}

void frmAdvancedTemplate::chkAutoApply_Click(bool checked) {
  state_.auto_apply = checked;
  Changed();
}

void frmAdvancedTemplate::Command1_Click() {
  if (view_ != nullptr) view_->Unload();
}

void frmAdvancedTemplate::Changed() {
  if (view_ != nullptr) view_->Draw(state_);
}

}  // namespace gildex
