// The scope commands: the engine applied to a procedure, a component or every component.
#include "ide/scope_commands.h"

#include "common/nembus_common.h"
#include "ide/read_only_gate.h"

namespace gildex {

namespace {

constexpr const char* kCancelled = "Operation was cancelled by user.";
constexpr const char* kNoTemplate = "Please select a template to use before continuing";

enum class Action { Insert, Remove, Number, UnNumber };

// The line-numbering option: the options dialog stores the negation of its check box.
bool NumberingOn(const CGildex& engine) { return !engine.Numbering(); }

host::VBComponent& SelectedComponent(host::VBE* vbe) {
  host::VBComponent* component = vbe != nullptr ? vbe->SelectedVBComponent() : nullptr;
  if (component == nullptr) throw VbError(91, "Object variable or With block variable not set");
  return *component;
}

host::CodeModule& CodeOf(host::VBComponent& component) {
  host::CodeModule* code = component.Code();
  if (code == nullptr) throw VbError(91, "Object variable or With block variable not set");
  return *code;
}

bool NonEmpty(const host::Selection& s) { return s.start_line < s.end_line || s.start_column < s.end_column; }

}  // namespace

struct ScopeCommands::ComponentCommand {
  const char* name;  // qualified name for the error report
  Action action;
  bool asks_mode;    // the insert-mode choice when the code pane holds a selection
  const char* working;
  const char* working2;  // before the second engine call
  const char* read_only;
  const char* result;
  const char* cancelled = kCancelled;
};

bool ScopeCommands::TemplateChosen(bool open_options) {
  if (!add_in_.Engine().DefaultTemplate().empty()) return true;
  add_in_.Services().dialogs.MsgBox(platform::MessageBox{kNoTemplate, platform::vbOKOnly, std::string(kAppTitle)});
  if (open_options && views_.options_dialog != nullptr) views_.options_dialog->ShowOptionsToChooseTemplate();
  return false;
}

std::int32_t ScopeCommands::GetCursorPosition(host::CodeModule& module) {
  return static_cast<std::int32_t>(module.Pane().GetSelection().start_line);
}

bool ScopeCommands::AskInsertMode(host::CodeModule& module, bool& selection_only) {
  frmInsertOptions form;
  selection_only = false;
  if (NonEmpty(module.Pane().GetSelection())) {
    form.ChooseSelectedText();
    if (views_.insert_options == nullptr) throw VbError(5, "the insert-mode window is not available");
    views_.insert_options->ShowModal(form);
    selection_only = form.SelectedTextChosen();
  }
  return !form.Cancelled();
}

void ScopeCommands::BuildActiveProject() {
  host::VBE* vbe = add_in_.VBE();
  try {
    host::VBProject* project = vbe != nullptr ? vbe->ActiveVBProject() : nullptr;
    if (project != nullptr && !TrimSpaces(project->BuildFileName()).empty()) project->MakeCompiledFile();
  } catch (const VbError& e) {
    add_in_.Messages().AddStatus("Could not create compiled file! (" + e.Description() + ")");
  } catch (const std::exception& e) {
    add_in_.Messages().AddStatus("Could not create compiled file! (" + std::string(e.what()) + ")");
  }
}

void ScopeCommands::RunComponentCommand(const ComponentCommand& command) {
  add_in_.Report().Trap(command.name, [&] {
    CGildex& engine = add_in_.Engine();
    clsMessages& messages = add_in_.Messages();
    if (command.action == Action::Insert && !TemplateChosen(false)) return;
    messages.Show(true);
    messages.ButtonState(0);
    host::VBE* vbe = add_in_.VBE();
    host::VBComponent& component = SelectedComponent(vbe);
    if (FileSkip(component, engine, messages, add_in_.Report())) {
      messages.MessageText(command.read_only);
      messages.ButtonState(1);
      return;
    }
    host::CodeModule& module = CodeOf(component);
    bool selection_only = false;
    if (command.asks_mode && !AskInsertMode(module, selection_only)) {
      messages.MessageText(kCancelled);
      messages.ButtonState(1);
      return;
    }
    messages.MessageText(command.working);
    engine.Cancel(false);
    engine.ScriptHalted(false);
    host::VBProject* project = vbe->ActiveVBProject();
    switch (command.action) {
      case Action::Insert:
        engine.InsertModule(module, component.Name(), project, selection_only);
        // A module the insertion refused stays exactly as it was, numbers included.
        if (NumberingOn(engine) && !engine.Cancel() && !engine.ModuleRefused()) {
          messages.MessageText(command.working2);
          engine.NumberModule(module, selection_only);
        }
        break;
      case Action::Remove:
        // Line numbers go from the whole module even when only the selection loses its handlers.
        engine.UnNumberModule(module, false);
        if (!engine.Cancel()) {
          messages.MessageText(command.working2);
          engine.RemoveModule(module, selection_only);
        }
        break;
      case Action::Number:
        engine.NumberModule(module, selection_only);
        break;
      case Action::UnNumber:
        engine.UnNumberModule(module, selection_only);
        break;
    }
    if (engine.Cancel()) {
      messages.MessageText(command.cancelled);
    } else {
      if (command.action == Action::Insert && engine.BuildProject()) BuildActiveProject();
      messages.MessageText(command.result);
    }
    messages.ButtonState(1);
  });
}

void ScopeCommands::RunProcedureCommand(bool insert) {
  add_in_.Report().Trap(insert ? "Connect.hWndModuleFNInsert_Click" : "Connect.hWndModuleFNDelete_Click", [&] {
    if (!TemplateChosen(false)) return;
    CGildex& engine = add_in_.Engine();
    clsMessages& messages = add_in_.Messages();
    messages.Show(true);
    messages.ButtonState(0);
    host::VBE* vbe = add_in_.VBE();
    host::VBComponent& component = SelectedComponent(vbe);
    host::CodeModule& module = CodeOf(component);
    long first = 0, last = 0;
    // Not found: the engine then works on whatever the pane's selection is.
    engine.FindProcAtLine(GetCursorPosition(module), first, last, true);
    engine.ScriptHalted(false);
    if (insert)
      engine.InsertModule(module, component.Name(), vbe->ActiveVBProject(), true);
    else
      engine.RemoveModule(module, true);
    if (engine.Cancel()) {
      messages.MessageText(kCancelled);
    } else {
      messages.MessageText(insert ? "Gildex Error trapping added to Proc/FN" : "Gildex Error trapping removed from Proc/FN");
      if (NumberingOn(engine) && !(insert && engine.ModuleRefused())) {
        messages.MessageText(insert ? "Adding line-numbers, please wait..." : "Remove line-numbers, please wait...");
        // The pane has its old selection back, sized for the procedure before the handler
        // came or went: select the procedure as it is now, so that the numbering covers it
        // exactly and never reaches into the next one.
        engine.FindProcAtLine(GetCursorPosition(module), first, last, true);
        if (insert)
          engine.NumberModule(module, true);
        else
          engine.UnNumberModule(module, true);
      }
      messages.MessageText(insert ? "Gildex Error trapping added succesfully" : "Gildex Error trapping removed succesfully");
    }
    messages.ButtonState(1);
  });
}

void ScopeCommands::hWndModuleFNInsert_Click() { RunProcedureCommand(true); }
void ScopeCommands::hWndModuleFNDelete_Click() { RunProcedureCommand(false); }

void ScopeCommands::hWndCodeInsert_Click() {
  RunComponentCommand({"Connect.hWndCodeInsert_Click", Action::Insert, true, "Adding Error Handler, please wait...",
                       "Adding line-numbers, please wait...", "Cannot add error-trapping to read-only components.",
                       "Gildex Error trapping added to component."});
}
void ScopeCommands::hWndModuleInsert_Click() {
  RunComponentCommand({"Connect.hWndModuleInsert_Click", Action::Insert, false, "Adding Error Code, please wait...",
                       "Adding line-numbers, please wait...", "Cannot insert error handling into read-only modules.",
                       "Gildex Error trapping added to module."});
}
void ScopeCommands::hWndFormInsert_Click() {
  RunComponentCommand({"Connect.hWndFormInsert_Click", Action::Insert, false, "Adding Error Code, please wait...",
                       "Adding line-numbers, please wait...", "Cannot add error-trapping to read-only forms.",
                       "Gildex Error trapping added to form."});
}
void ScopeCommands::hWndCodeDelete_Click() {
  RunComponentCommand({"Connect.hWndCodeDelete_Click", Action::Remove, true, "Removing line-numbers, please wait...",
                       "Removing Error Code, please wait...", "Cannot remove handling from read-only components",
                       "Removed Error trapping code from component."});
}
void ScopeCommands::hWndModuleDelete_Click() {
  RunComponentCommand({"Connect.hWndModuleDelete_Click", Action::Remove, true, "Removing line-numbers, please wait...",
                       "Removing Error Code, please wait...", "Cannot remove error handling from read-only modules.",
                       "Removed error trapping code from module."});
}
void ScopeCommands::hWndFormDelete_Click() {
  RunComponentCommand({"Connect.hWndFormDelete_Click", Action::Remove, false, "Removing line-numbers, please wait...",
                       "Removing Error Code, please wait...", "Cannot remove handling from read-only forms.",
                       "Removed error trapping code from form."});
}
void ScopeCommands::hWndCodeNumber_Click() {
  RunComponentCommand({"Connect.hWndCodeNumber_Click", Action::Number, true, "Adding Line Numbers, please wait...", "",
                       "Cannot add line-numbers to read-only components.", "Line Numbers added to component.",
                       "Processing STOPPED by user."});
}
void ScopeCommands::hWndModuleNumber_Click() {
  RunComponentCommand({"Connect.hWndModuleNumber_Click", Action::Number, false, "Adding line-numbers, please wait...",
                       "", "Cannot insert line numbers into read-only modules.", "Line Numbers added to module."});
}
void ScopeCommands::hWndFormNumber_Click() {
  RunComponentCommand({"Connect.hWndFormNumber_Click", Action::Number, false, "Adding Line Numbers, please wait...", "",
                       "Cannot add line-numbers to read-only forms.", "Line numbers added to form."});
}
void ScopeCommands::hWndCodeUnNumber_Click() {
  RunComponentCommand({"Connect.hWndCodeUnNumber_Click", Action::UnNumber, true,
                       "Removing line-numbers, please wait...", "",
                       "Cannot remove line-numbers from read-only components.", "Line Numbers removed from component."});
}
void ScopeCommands::hWndModuleUnNumber_Click() {
  RunComponentCommand({"Connect.hWndModuleUnNumber_Click", Action::UnNumber, false,
                       "Removing Line numbers from Module, please wait...", "",
                       "Cannot remove line numbers from read-only modules.", "Line Numbers removed from module."});
}
void ScopeCommands::hWndFormUnNumber_Click() {
  RunComponentCommand({"Connect.hWndFormUnNumber_Click", Action::UnNumber, false,
                       "Removing Line Numbers, please wait...", "", "Cannot remove line-numbers from read-only forms.",
                       "Line numbers removed from form."});
}

// A cancel ends the whole walk, over the remaining projects of a group too: the user asked
// to stop, and the result must not read as a success.
// Components not chosen are passed over before the gate, so that none is checked out for
// nothing.
bool ScopeCommands::WalkProjects(bool name_non_code, const ComponentStep& step,
                           const std::function<bool(const std::string&)>& chosen) {
  CGildex& engine = add_in_.Engine();
  clsMessages& messages = add_in_.Messages();
  host::VBE& vbe = *add_in_.VBE();
  for (int p = 1; p <= vbe.ProjectCount(); ++p) {
    host::VBProject& project = vbe.Project(p);
    for (int c = 1; c <= project.ComponentCount(); ++c) {
      host::VBComponent& component = project.Component(c);
      const std::string name = component.Name();
      if (chosen && !chosen(name)) continue;
      if (FileSkip(component, engine, messages, add_in_.Report())) {
        messages.AddStatus(name_non_code && TrimSpaces(name).empty() ? "Skipping non-code component"
                                                                      : "Skipping component " + name);
        continue;
      }
      engine.Cancel(false);
      step(CodeOf(component), name);
      if (engine.Cancel()) return true;
    }
  }
  return false;
}

void ScopeCommands::hWndProjectInsert_Click() {
  add_in_.Report().Trap("Connect.hWndProjectInsert_Click", [&] {
    if (!TemplateChosen(true)) return;
    CGildex& engine = add_in_.Engine();
    clsMessages& messages = add_in_.Messages();
    messages.MessageText("Adding Error Code, please wait...");
    messages.Show(true);
    messages.ButtonState(0);
    if (InsertIntoComponents("Adding to ")) {
      messages.MessageText(kCancelled);
    } else {
      if (engine.BuildProject()) BuildActiveProject();
      messages.MessageText("Gildex Error trapping added to project.");
    }
    messages.ButtonState(1);
  });
}

bool ScopeCommands::InsertIntoComponents(const std::string& working,
                                   const std::function<bool(const std::string&)>& chosen) {
  CGildex& engine = add_in_.Engine();
  clsMessages& messages = add_in_.Messages();
  host::VBE& vbe = *add_in_.VBE();
  engine.ScriptHalted(false);
  return WalkProjects(
      true,
      [&](host::CodeModule& module, const std::string& name) {
        messages.MessageText(working + name + ".");
        engine.InsertModule(module, name, vbe.ActiveVBProject(), false);
        if (NumberingOn(engine) && !engine.Cancel() && !engine.ModuleRefused()) {
          messages.MessageText("Adding line-numbers to " + name + ", please wait...");
          engine.NumberModule(module, false);
        }
      },
      chosen);
}

void ScopeCommands::hWndProjectDelete_Click() {
  add_in_.Report().Trap("Connect.hWndProjectDelete_Click", [&] {
    CGildex& engine = add_in_.Engine();
    clsMessages& messages = add_in_.Messages();
    messages.MessageText("Removing Error Code, please wait...");
    messages.Show(true);
    messages.ButtonState(0);
    const bool cancelled = WalkProjects(false, [&](host::CodeModule& module, const std::string& name) {
      messages.MessageText("Removing from " + name + ".");
      engine.RemoveModule(module, false);
      if (!engine.Cancel()) {
        messages.MessageText("Removing line-numbers, please wait...");
        engine.UnNumberModule(module, false);
      }
    });
    messages.MessageText(cancelled ? kCancelled : "Removed error trapping code from project.");
    messages.ButtonState(1);
  });
}

void ScopeCommands::hWndInsertComment_Click() {
  add_in_.Report().Trap("Connect.hWndInsertComment_Click", [&] {
    host::VBE* vbe = add_in_.VBE();
    host::VBComponent* component = vbe != nullptr ? vbe->SelectedVBComponent() : nullptr;
    if (component == nullptr || component->Code() == nullptr) throw VbError(91, "Object variable or With block variable not set");
    host::CodeModule& module = *component->Code();
    CGildex& engine = add_in_.Engine();
    const long line = GetCursorPosition(module);
    host::ProcKind kind = host::ProcKind::Proc;
    const std::string name = module.ProcOfLine(line, kind);
    long first = 0, last = 0;
    // Outside any procedure there is no line to put the block at.
    if (name.empty() || !engine.FindProcAtLine(line, first, last, false))
      throw VbError(5, "Invalid procedure call or argument");
    const std::string declaration = module.Lines(module.ProcBodyLine(name, kind), 1);
    const std::string scope = engine.MatchFirstToken(declaration, "Friend")    ? "Friend"
                              : engine.MatchFirstToken(declaration, "Private") ? "Private"
                                                                               : "Public";
    const std::string block = CGildex::AsCommentBlock(engine.InsertUserVars(
        engine.CommentTemplate(), name, module, vbe->ActiveVBProject(), engine.GetProcString(declaration, true), scope, ""));
    module.InsertLines(first, block);
    module.InsertLines(first, "");
  });
}

}  // namespace gildex
