#include "workbench/code_window_model.h"

#include <algorithm>
#include <initializer_list>

#include "host/basic_lexer.h"
#include "host/vb_keywords.h"
#include "platform/cp1252.h"

namespace gildex::workbench {

namespace {

using cp1252::EqualsNoCase;

bool IsAnyOf(std::string_view word, std::initializer_list<std::string_view> words) {
  return std::any_of(words.begin(), words.end(), [&](std::string_view w) { return EqualsNoCase(word, w); });
}

// Words VB6 colours only in the one statement that gives them a meaning; elsewhere they
// may be a user's names.
bool IsStatementKeyword(std::string_view previous, std::string_view word, bool in_declare) {
  if (EqualsNoCase(previous, "Option")) return IsAnyOf(word, {"Explicit", "Base", "Compare"});
  if (EqualsNoCase(previous, "Compare")) return IsAnyOf(word, {"Binary", "Text", "Database"});
  if (EqualsNoCase(previous, "Private")) return EqualsNoCase(word, "Module");
  return in_declare && IsAnyOf(word, {"Lib", "Alias"});
}

// The name its event procedures give the component itself, or empty for a standard module.
std::string_view SelfName(host::ComponentType type) {
  switch (type) {
    case host::ComponentType::VBForm:
      return "Form";
    case host::ComponentType::VBMDIForm:
      return "MDIForm";
    case host::ComponentType::UserControl:
      return "UserControl";
    case host::ComponentType::PropPage:
      return "PropertyPage";
    case host::ComponentType::DocObject:
      return "UserDocument";
    case host::ComponentType::ClassModule:
      return "Class";
    default:
      return {};
  }
}

std::string Caption(const std::string& name, host::ProcKind kind) {
  switch (kind) {
    case host::ProcKind::Get:
      return name + " [PropertyGet]";
    case host::ProcKind::Let:
      return name + " [PropertyLet]";
    case host::ProcKind::Set:
      return name + " [PropertySet]";
    case host::ProcKind::Proc:
      break;
  }
  return name;
}

}  // namespace

std::vector<ColourSpan> ColourLine(std::string_view line, bool& comment_goes_on) {
  std::vector<ColourSpan> spans;
  std::string_view previous;
  bool in_declare = false;
  host::BasicLexer lexer(line, comment_goes_on);
  for (host::Token token; lexer.Next(token);) {
    if (token.kind == host::TokenKind::Comment)
      spans.push_back({static_cast<int>(token.at), static_cast<int>(token.text.size()), CodeColour::Comment});
    if (token.kind == host::TokenKind::String || token.kind == host::TokenKind::Bracketed) previous = {};
    if (token.kind == host::TokenKind::Number) previous = token.text;
    if (token.kind != host::TokenKind::Word) continue;
    const std::string_view word = token.Name();
    // A member after "." or "!" is the object's own name (Debug.Print excepted).
    const bool member = token.at > 0 && (line[token.at - 1] == '.' || line[token.at - 1] == '!');
    bool keyword = host::IsKeyword(word) || IsStatementKeyword(previous, word, in_declare);
    if (member) keyword = EqualsNoCase(previous, "Debug") && EqualsNoCase(word, "Print");
    if (keyword) spans.push_back({static_cast<int>(token.at), static_cast<int>(word.size()), CodeColour::Keyword});
    in_declare = in_declare || (!member && EqualsNoCase(word, "Declare"));
    previous = word;
  }
  comment_goes_on = lexer.CommentGoesOn();
  return spans;
}

std::optional<DefaultEvent> DefaultEventOf(std::string_view class_name) {
  struct Entry {
    std::string_view class_name;
    DefaultEvent event;
  };
  static constexpr Entry kEvents[] = {
      {"CommandButton", {"Click", ""}},
      {"Label", {"Click", ""}},
      {"CheckBox", {"Click", ""}},
      {"OptionButton", {"Click", ""}},
      {"PictureBox", {"Click", ""}},
      {"Image", {"Click", ""}},
      {"ListBox", {"Click", ""}},
      {"FileListBox", {"Click", ""}},
      {"Menu", {"Click", ""}},
      {"TextBox", {"Change", ""}},
      {"ComboBox", {"Change", ""}},
      {"HScrollBar", {"Change", ""}},
      {"VScrollBar", {"Change", ""}},
      {"DirListBox", {"Change", ""}},
      {"DriveListBox", {"Change", ""}},
      {"Timer", {"Timer", ""}},
      {"Frame", {"DragDrop", "Source As Control, X As Single, Y As Single"}},
      {"Data", {"Validate", "Action As Integer, Save As Integer"}},
      {"OLE", {"Updated", "Code As Integer"}},
  };
  for (const Entry& entry : kEvents)
    if (EqualsNoCase(entry.class_name, class_name)) return entry.event;
  return std::nullopt;
}

long OpenDefaultEvent(host::VBComponent& component, host::VBControl* control) {
  host::CodeModule* module = component.Code();
  if (module == nullptr) return 0;
  std::string object;
  std::string_view event, parameters;
  if (control == nullptr) {
    object = std::string(SelfName(component.Type()));
    const host::ComponentType type = component.Type();
    if (type == host::ComponentType::VBForm || type == host::ComponentType::VBMDIForm) event = "Load";
    else if (type == host::ComponentType::PropPage) event = "SelectionChanged";
    else if (type == host::ComponentType::UserControl || type == host::ComponentType::DocObject) event = "Initialize";
  } else if (const std::optional<DefaultEvent> found = DefaultEventOf(control->ClassName())) {
    object = control->Name();
    event = found->event;
    parameters = found->parameters;
  }
  if (object.empty() || event.empty()) return 0;
  if (const long line = CodeWindowModel(*module, &component).LineOf(object, event); line > 0) return line;
  std::string arguments = control != nullptr && control->Index() >= 0 ? "Index As Integer" : "";
  if (!parameters.empty()) arguments += (arguments.empty() ? "" : ", ") + std::string(parameters);
  const long count = module->CountOfLines();
  // A blank line parts it from what is above, as between any two procedures.
  const bool apart = count > 0 && module->Lines(count, 1).find_first_not_of(" \t") != std::string::npos;
  module->InsertLines(count + 1, std::string(apart ? "\r\n" : "") + "Private Sub " + object + "_" + std::string(event) +
                                     "(" + arguments + ")\r\n\r\nEnd Sub");
  return count + (apart ? 3 : 2);
}

CodeWindowModel::CodeWindowModel(host::CodeModule& module, host::VBComponent* component)
    : module_(module), component_(component) {}

std::vector<std::string> CodeWindowModel::ObjectNames() const {
  std::vector<std::string> names;
  if (component_ == nullptr) return names;
  if (host::Designer* designer = component_->GetDesigner())
    for (host::VBControl* control : designer->Controls()) names.push_back(control->Name());
  // Variables declared WithEvents raise events of their own.
  const long declarations = std::min(module_.CountOfDeclarationLines(), module_.CountOfLines());
  for (long line = 1; line <= declarations; ++line) {
    const std::string text = module_.Lines(line, 1);
    host::BasicLexer lexer(text);
    bool with_events = false;
    for (host::Token token; lexer.Next(token) && token.kind != host::TokenKind::Comment;) {
      if (with_events && token.kind == host::TokenKind::Word) names.emplace_back(token.Name());
      with_events = token.Is(host::TokenKind::Word, "WithEvents");
    }
  }
  std::sort(names.begin(), names.end(), cp1252::LessNoCase());
  // A control array is one object.
  names.erase(std::unique(names.begin(), names.end(),
                          [](const std::string& a, const std::string& b) { return EqualsNoCase(a, b); }),
              names.end());
  if (std::string_view self = SelfName(component_->Type()); !self.empty()) names.insert(names.begin(), std::string(self));
  return names;
}

std::vector<std::string> CodeWindowModel::Objects() const {
  std::vector<std::string> objects = ObjectNames();
  objects.insert(objects.begin(), std::string(kGeneral));
  return objects;
}

std::vector<CodeWindowModel::Proc> CodeWindowModel::AllProcedures() const {
  std::vector<Proc> procs;
  const long count = module_.CountOfLines();
  long line = module_.CountOfDeclarationLines() + 1;
  while (line <= count) {
    host::ProcKind kind = host::ProcKind::Proc;
    std::string name = module_.ProcOfLine(line, kind);
    if (name.empty()) {
      ++line;
      continue;
    }
    const long end = module_.ProcStartLine(name, kind) + module_.ProcCountLines(name, kind);
    long next = end;
    if (end <= line) {
      // A second procedure of the same name: the host answers only for the first one.
      next = line + 1;
      host::ProcKind other = host::ProcKind::Proc;
      while (next <= count && module_.ProcOfLine(next, other) == name && other == kind) ++next;
    }
    procs.push_back({std::move(name), kind});
    line = next;
  }
  return procs;
}

CodePlace CodeWindowModel::PlaceOf(const std::string& name, host::ProcKind kind,
                                   const std::vector<std::string>& objects) const {
  CodePlace place{std::string(kGeneral), Caption(name, kind)};
  if (kind != host::ProcKind::Proc) return place;
  std::size_t longest = 0;
  for (const std::string& object : objects) {
    if (object.size() + 1 >= name.size() || object.size() <= longest || name[object.size()] != '_' ||
        !EqualsNoCase(std::string_view(name).substr(0, object.size()), object))
      continue;
    longest = object.size();
    place = {object, name.substr(object.size() + 1)};
  }
  return place;
}

std::vector<ProcedureEntry> CodeWindowModel::Procedures(std::string_view object) const {
  const bool general = EqualsNoCase(object, kGeneral);
  const std::vector<std::string> objects = ObjectNames();
  std::vector<ProcedureEntry> entries;
  for (Proc& proc : AllProcedures()) {
    CodePlace place = PlaceOf(proc.name, proc.kind, objects);
    if (!EqualsNoCase(place.object, general ? kGeneral : object)) continue;
    entries.push_back({std::move(place.procedure), std::move(proc.name), proc.kind});
  }
  std::sort(entries.begin(), entries.end(), [](const ProcedureEntry& a, const ProcedureEntry& b) {
    return cp1252::LessNoCase()(a.caption, b.caption);
  });
  if (general) entries.insert(entries.begin(), {std::string(kDeclarations), {}, host::ProcKind::Proc});
  return entries;
}

CodePlace CodeWindowModel::PlaceOfLine(long line) const {
  const CodePlace declarations{std::string(kGeneral), std::string(kDeclarations)};
  if (line < 1 || line > module_.CountOfLines()) return declarations;
  host::ProcKind kind = host::ProcKind::Proc;
  const std::string name = module_.ProcOfLine(line, kind);
  if (name.empty()) return declarations;
  // Only a Sub with an underscore can be an event procedure: the objects are read just then.
  if (kind != host::ProcKind::Proc || name.find('_') == std::string::npos)
    return {std::string(kGeneral), Caption(name, kind)};
  return PlaceOf(name, kind, ObjectNames());
}

long CodeWindowModel::LineOf(std::string_view object, std::string_view procedure) const {
  const bool general = EqualsNoCase(object, kGeneral);
  if (general && (procedure.empty() || EqualsNoCase(procedure, kDeclarations))) return 1;
  for (const ProcedureEntry& entry : Procedures(object)) {
    if (entry.name.empty() || (!procedure.empty() && !EqualsNoCase(entry.caption, procedure))) continue;
    const long declaration = module_.ProcBodyLine(entry.name, entry.kind);
    const long last = module_.ProcStartLine(entry.name, entry.kind) + module_.ProcCountLines(entry.name, entry.kind) - 1;
    long line = declaration;
    while (line < last && host::IsContinued(module_.Lines(line, 1))) ++line;
    return line + 1 < last ? line + 1 : declaration;
  }
  return general ? 1 : 0;
}

}  // namespace gildex::workbench
