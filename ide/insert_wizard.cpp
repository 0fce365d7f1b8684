#include "ide/insert_wizard.h"

#include <algorithm>

#include "common/event_list.h"
#include "common/nembus_common.h"
#include "ide/add_in.h"
#include "ide/scope_commands.h"
#include "ide/read_only_gate.h"
#include "platform/cp1252.h"
#include "templates/template_files.h"

namespace gildex {

namespace {

constexpr const char* kWorking = "Wizard is working, please wait...";
constexpr const char* kCompleted = "Wizard has completed";
constexpr const char* kCancelled = "Operation was cancelled by user.";

constexpr std::array<const char*, frmWizard::kSteps> kExplanations = {
    "Welcome to the Gildex Wizard. In three steps it inserts error handling into the components of the active "
    "project: choose a template, then the components and the procedures to treat, check the summary and click "
    "Finish.\r\nSettings applied later in the Gildex Options dialog overwrite the choices made here.",
    "Step 1 of 3: choose the template to insert.",
    "Step 2 of 3: check the components to treat and choose which procedures get error handling.",
    "Step 3 of 3: check your choices, then click Finish.",
};

// The engine's procedure filter for an insert choice, tested in this order.
std::string InsertIntoFor(const std::string& choice) {
  const auto has = [&](std::string_view word) { return cp1252::FindNoCase(choice, word) != std::string::npos; };
  if (has("sub")) return "SUB";
  if (has("function")) return "FUNCTION";
  if (has("properties")) return "PROPERTY";
  if (!has("ALL ")) return choice;  // an event name
  return "";
}

void CheckIndex(std::size_t index, std::size_t size) {
  if (index >= size) throw VbError(9, "Subscript out of range");
}

}  // namespace

const char* frmWizard::NavCaption(Nav button) {
  switch (button) {
    case kCancel: return "Cancel";
    case kBack: return "< &Back";
    case kNext: return "&Next >";
    case kFinish: return "&Finish";
  }
  return "";
}

frmWizard::frmWizard(AddIn& add_in, ScopeCommands& scope, InsertWizardView& view)
    : add_in_(add_in), scope_(scope), view_(view) {
  add_in.Report().Trap("frmWizard.Form_Load", [&] {
    events_.clear();
    BuildEventList([&](const std::string& item) { events_.push_back(item); });
    cboInsertOpts_Click(0);
    // A value that is missing or blank shows the introduction.
    const std::string stored(
        TrimSpaces(add_in.Registry().fnsGetRegistryValue(std::string(kOptionsKey), kShowWizardIntroValue)));
    show_intro_ = stored.empty() || Val(stored) != 0;
    NextStep(show_intro_ ? 0 : 1);
  });
}

const char* frmWizard::Explanation() const { return kExplanations[static_cast<std::size_t>(step_)]; }

bool frmWizard::NextEnabled() const {
  switch (step_) {
    case 0: return true;
    case 1: return !template_name_.empty();
    case 2: return !file_list_.empty();
    default: return false;
  }
}

bool frmWizard::FileInList(const std::string& name) const {
  return add_in_.Report().Trap("frmWizard.FileInList", false, [&] {
    const std::string wanted = cp1252::Upper(name);
    return std::any_of(file_list_.begin(), file_list_.end(),
                       [&](const std::string& chosen) { return cp1252::Upper(chosen) == wanted; });
  });
}

void frmWizard::cmdNav_Click(int index) {
  AddIn& add_in = add_in_;
  add_in.Report().Trap("frmWizard.cmdNav_Click", [&] {
    if (unloaded_) return;
    switch (index) {
      case kCancel:
        if (add_in.Services().dialogs.MsgBox(platform::MessageBox{
                kCancelQuestion, platform::vbYesNo | platform::vbQuestion, std::string(kAppTitle)}) == platform::vbYes)
          Unload();
        break;
      // A disabled button takes no click.
      case kBack:
        if (BackEnabled()) NextStep(step_ - 1);
        break;
      case kNext:
        if (NextEnabled()) NextStep(step_ + 1);
        break;
      case kFinish:
        if (!FinishEnabled()) break;
        if (add_in.Persists())
          add_in.Registry().subSetRegistryValue(std::string(kOptionsKey), kShowWizardIntroValue,
                                                show_intro_ ? "1" : "0");
        StartProcessing();
        Unload();
        break;
      default:
        break;
    }
  });
}

void frmWizard::NextStep(int step) {
  AddIn& add_in = add_in_;
  add_in.Report().Trap("frmWizard.NextStep", [&] {
    step_ = std::clamp(step, 0, kSteps - 1);
    if (step_ == 1) {
      std::string default_key;
      PopulateTree(tree_, add_in.Engine(), add_in.Report(), default_key);
      // Coming back, the template chosen before stays chosen while it is still there.
      const auto& nodes = tree_.Nodes();
      const auto chosen = std::find_if(nodes.begin(), nodes.end(), [&](const TemplateTreeNode& node) {
        return node.key != kTemplatesRootKey && node.text == template_name_;
      });
      if (chosen == nodes.end())
        template_name_.clear();
      else
        tree_.Select(chosen->key);
    } else if (step_ == 2) {
      PopulateList();
    } else if (step_ == 3) {
      ShowSummary();
    }
  });
}

void frmWizard::PopulateList() {
  AddIn& add_in = add_in_;
  add_in.Report().Trap("frmWizard.PopulateList", [&] {
    rows_.clear();
    host::VBE* vbe = add_in.VBE();
    host::VBProject* project = vbe != nullptr ? vbe->ActiveVBProject() : nullptr;
    if (project == nullptr) return;
    for (int i = 1; i <= project->ComponentCount(); ++i) {
      host::VBComponent& component = project->Component(i);
      if (FileSkip(component, add_in.Engine(), add_in.Messages(), add_in.Report())) continue;
      host::CodeModule* code = component.Code();
      const std::string name = component.Name();
      // Checks survive a step back and forth.
      rows_.push_back({name, code != nullptr ? code->CountOfLines() : 0, FileInList(name)});
    }
    BuildFileList();
  });
}

void frmWizard::BuildFileList() {
  add_in_.Report().Trap("frmWizard.BuildFileList", [&] {
    file_list_.clear();
    for (const ComponentRow& row : rows_)
      if (row.checked) file_list_.push_back(row.name);
  });
}

void frmWizard::lvwComponents_ItemCheck(std::size_t row, bool checked) {
  add_in_.Report().Trap("frmWizard.lvwComponents_ItemCheck", [&] {
    CheckIndex(row, rows_.size());
    rows_[row].checked = checked;
    BuildFileList();
  });
}

void frmWizard::tvwTemplates_NodeClick(const std::string& key) {
  add_in_.Report().Trap("frmWizard.tvwTemplates_NodeClick", [&] {
    const auto& nodes = tree_.Nodes();
    const auto node =
        std::find_if(nodes.begin(), nodes.end(), [&](const TemplateTreeNode& n) { return n.key == key; });
    if (node == nodes.end()) throw VbError(35601, "Element not found");
    template_name_ = key == kTemplatesRootKey ? "" : node->text;
    tree_.Select(key);
  });
}

void frmWizard::cboInsertOpts_Click(int index) {
  add_in_.Report().Trap("frmWizard.cboInsertOpts_Click", [&] {
    CheckIndex(static_cast<std::size_t>(index), kInsertOptions.size());
    insert_option_ = index;
    insert_choice_ = index == kSpecifiedEvents && !events_.empty() ? events_[static_cast<std::size_t>(event_type_)]
                                                                   : kInsertOptions[static_cast<std::size_t>(index)];
  });
}

void frmWizard::cboEventType_Click(int index) {
  add_in_.Report().Trap("frmWizard.cboEventType_Click", [&] {
    CheckIndex(static_cast<std::size_t>(index), events_.size());
    event_type_ = index;
    if (insert_option_ == kSpecifiedEvents) insert_choice_ = events_[static_cast<std::size_t>(index)];
  });
}

void frmWizard::ShowSummary() {
  add_in_.Report().Trap("frmWizard.ShowSummary", [&] {
    summary_ = "Ready to insert Gildex templates into project.\r\n" + std::string(51, '-') +
               "\r\n\r\nUsing Template : " + template_name_ +
               "\r\nYou wish to insert error-handling into : " + insert_choice_ + "\r\nIn the following file(s) :";
    for (const std::string& name : file_list_) summary_ += "\r\n* " + name;
    summary_ += "\r\nPlease click on &Finish to complete the process";
  });
}

void frmWizard::StartProcessing() {
  AddIn& add_in = add_in_;
  add_in.Report().Trap("frmWizard.StartProcessing", [&] {
    CGildex& engine = add_in.Engine();
    clsMessages& messages = add_in.Messages();
    // Kept for the rest of the connection, but stored only by the options dialog.
    engine.InsertInto(InsertIntoFor(insert_choice_));
    LoadTemplate(engine, template_name_);
    messages.MessageText(kWorking);
    messages.Show(true);
    messages.ButtonState(0);
    // The wizard treats every chosen procedure, one with a handler of its own too.
    struct Restore {
      CGildex& engine;
      bool value;
      ~Restore() { engine.IgnoreExisting(value); }
    } restore{engine, engine.IgnoreExisting()};
    engine.IgnoreExisting(true);
    const bool cancelled =
        scope_.InsertIntoComponents("Processing ", [&](const std::string& name) { return FileInList(name); });
    messages.MessageText(cancelled ? kCancelled : kCompleted);
    messages.ButtonState(1);
  });
}

void frmWizard::Unload() {
  unloaded_ = true;
  view_.Close(*this);
}

}  // namespace gildex
