#include "tools/function_finder.h"

#include "tools/component_info.h"
#include "platform/cp1252.h"

namespace gildex {
namespace {

// The host's refusals of a file that is already part of the project.
constexpr long kAlreadyInProject = 60059;
constexpr long kAlreadyLoaded = 60095;

host::VBProject& ActiveProject(host::VBE& vbe) {
  host::VBProject* project = vbe.ActiveVBProject();
  if (project == nullptr) throw host::HostError(91, "Object variable or With block variable not set");
  return *project;
}

host::VBComponent* ComponentOfFile(host::VBProject& project, const std::string& file) {
  for (int i = 1; i <= project.ComponentCount(); ++i)
    if (project.Component(i).FileNames(1) == file) return &project.Component(i);
  return nullptr;
}

}  // namespace

FunctionFinder::FunctionFinder(host::VBE& vbe, ErrorReport& report, platform::Clipboard& clipboard,
                               FunctionFinderView* view)
    : vbe_(vbe), report_(report), clipboard_(clipboard), view_(view) {}

FunctionFinder::~FunctionFinder() {
  if (view_ != nullptr) view_->Released(*this);
}

void FunctionFinder::Redraw() {
  if (view_ != nullptr) view_->Refresh(*this);
}

void FunctionFinder::cmdBrowse_Click() {
  report_.Trap("frmFNFinder.cmdBrowse_Click", [&] {
    if (view_ == nullptr) return;
    const std::optional<std::string> file = view_->AskFile(kBrowseTitle, kBrowseFilter, kFileMustExist);
    if (file && !file->empty()) LoadFile(*file);
  });
}

bool FunctionFinder::LoadFile(const std::string& file) {
  return report_.Trap("frmFNFinder.cmdBrowse_Click", false, [&] {
    host::VBProject& project = ActiveProject(vbe_);
    host::VBComponent* component = nullptr;
    bool added = false;
    std::string refusal;
    // The host in memory takes a file twice; the IDE refuses it. Look first, as the refusal would.
    if (host::VBComponent* present = ComponentOfFile(project, file)) {
      component = present;
    } else {
      try {
        component = &project.AddFromFile(file);
        added = true;
      } catch (const host::HostError& e) {
        if (e.Number() == kAlreadyInProject || e.Number() == kAlreadyLoaded)
          component = ComponentOfFile(project, file);
        refusal = e.Description();
      }
    }
    if (component == nullptr) {
      report_.Dialogs().MsgBox(platform::MessageBox{refusal, platform::vbOKOnly, std::string(kAppTitle)});
      return false;
    }
    component_ = component;
    added_ = added;
    filename_ = file;
    host::VBProject* owner = &project;
    component_removed_ = host::Connection(project.ComponentRemoved, [this](host::VBComponent& removed) {
      if (&removed == component_) Forget();
    });
    project_removed_ = host::Connection(vbe_.ProjectRemoved, [this, owner](host::VBProject& removed) {
      if (&removed == owner) Forget();
    });
    GetFNs(*component);
    return true;
  });
}

void FunctionFinder::Forget() {
  component_removed_ = {};
  project_removed_ = {};
  component_ = nullptr;
  added_ = false;
  filename_ = kNoFile;
  rows_.clear();
  code_.clear();
  Redraw();
}

void FunctionFinder::GetFNs(host::VBComponent& component) {
  rows_.clear();
  if (host::CodeModule* module = component.Code()) {
    for (const host::Member& member : module->Members()) {
      if (member.type != host::MemberType::Method && member.type != host::MemberType::Property &&
          member.type != host::MemberType::Event)
        continue;
      rows_.push_back(FinderRow{member.name + std::to_string(static_cast<int>(member.type)), member.name, member.type,
                                MemberTypeText(member.type), member.description.empty() ? kNoFile : member.description});
    }
  }
  Redraw();
}

std::string FunctionFinder::CodeOf(const FinderRow& row) const {
  host::CodeModule* module = component_ != nullptr ? component_->Code() : nullptr;
  if (module == nullptr) throw host::HostError(91, "Object variable or With block variable not set");
  long declaration = 0;
  for (const host::Member& member : module->Members())
    if (member.type == row.type && cp1252::EqualsNoCase(member.name, row.name)) declaration = member.code_location;
  // An event is its one declaration line.
  if (row.type == host::MemberType::Event) return module->Lines(declaration, 1);
  host::ProcKind kind = host::ProcKind::Proc;
  if (row.type == host::MemberType::Property) {
    // Which of the property's procedures: the one its declaration line names.
    const std::string tested = " " + cp1252::Upper(module->Lines(declaration, 1)) + " ";
    kind = tested.find(" GET ") != std::string::npos   ? host::ProcKind::Get
           : tested.find(" SET ") != std::string::npos ? host::ProcKind::Set
                                                       : host::ProcKind::Let;
  }
  return module->Lines(module->ProcStartLine(row.name, kind), module->ProcCountLines(row.name, kind));
}

void FunctionFinder::lvwProcs_Click(std::size_t index) {
  report_.Trap("frmFNFinder.lvwProcs_Click", [&] {
    if (index >= rows_.size()) throw host::HostError(9, "Subscript out of range");
    std::string code = CodeOf(rows_[index]);
    // Each procedure on lines of its own, as the code box shows them one under the other.
    if (!code_.empty() && !code_.ends_with("\r\n")) code_ += "\r\n";
    code_ += code;
    Redraw();
  });
}

void FunctionFinder::cmdCopy_Click() {
  report_.Trap("frmFNFinder.cmdCopy_Click", [&] {
    clipboard_.Clear();
    clipboard_.SetText(code_);
  });
}

void FunctionFinder::Form_Unload() {
  report_.Trap("frmFNFinder.Form_Unload", [&] {
    if (component_ == nullptr || !added_) return;
    const platform::MsgBoxResult answer = report_.Dialogs().MsgBox(
        platform::MessageBox{kRemoveQuestion, platform::vbYesNo | platform::vbQuestion, std::string(kAppTitle)});
    // The project it was added to: the one active then.
    if (answer == platform::vbYes) component_->Project().Remove(*component_);
  });
  // Unloaded: the next showing starts from nothing, as a freshly loaded window does.
  Forget();
}

}  // namespace gildex
