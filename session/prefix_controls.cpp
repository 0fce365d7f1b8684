#include "session/prefix_controls.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "host/basic_lexer.h"
#include "platform/cp1252.h"

namespace gildex::session {
namespace {

using host::ComponentType;

bool HasControls(ComponentType type) {
  return type == ComponentType::VBForm || type == ComponentType::VBMDIForm || type == ComponentType::UserControl ||
         type == ComponentType::PropPage;
}

struct Span {
  std::size_t at, size;
};

// The names a Basic line holds outside string literals and comments: words without their
// type suffix, bracketed names without their brackets. `comment`: the line starts inside a
// comment continued from the line above; set for the next line.
std::vector<Span> Words(std::string_view line, bool& comment) {
  std::vector<Span> words;
  host::BasicLexer lexer(line, comment);
  for (host::Token token; lexer.Next(token);) {
    if (token.kind == host::TokenKind::Word) words.push_back({token.at, token.Name().size()});
    if (token.kind == host::TokenKind::Bracketed && token.text.size() > 2 && token.text.back() == ']')
      words.push_back({token.at + 1, token.text.size() - 2});
  }
  comment = lexer.CommentGoesOn();
  return words;
}

struct Group {
  std::string name;
  std::vector<host::VBControl*> members;
};

bool InGroup(const Group& group, const host::VBControl* control) {
  return std::find(group.members.begin(), group.members.end(), control) != group.members.end();
}

class FormRun {
 public:
  FormRun(Session& session, host::MemoryComponent& form, const PrefixOptions& options, PrefixOutcome& outcome)
      : session_(session), form_(form), options_(options), outcome_(outcome), file_(form.File().string()) {}

  void Run();

 private:
  void Problem(const std::string& name, const std::string& why) {
    outcome_.problems.push_back(file_ + ": " + name + " was not prefixed: " + why);
  }
  // Renames every member of `group`; false (with the reason given) when it must stay.
  bool Rename(host::Designer& designer, const Group& group, const std::string& new_name);
  void FindReferences();

  Session& session_;
  host::MemoryComponent& form_;
  const PrefixOptions& options_;
  PrefixOutcome& outcome_;
  std::string file_;
  std::vector<std::pair<std::string, std::string>> renamed_;  // old name, new name
};

void FormRun::Run() {
  host::Designer& designer = *form_.GetDesigner();
  // Open the designer as the user would: the add-in follows the form's controls from now on.
  session_.Vbe().ShowDesigner(form_);
  // The add-in follows the controls of plain forms only; the others' renames get the same
  // reaction here, so their event procedures move as well.
  std::optional<host::Connection> forward;
  if (form_.Type() != ComponentType::VBForm) {
    gildex::Connect& connect = session_.Connection();
    forward.emplace(designer.ControlRenamed, [&connect](host::VBControl& control, const std::string& old, int index) {
      connect.Events().hWndControlEvents_ItemRenamed(control, old, index);
    });
  }
  std::vector<Group> groups;
  for (host::VBControl* control : designer.Controls()) {
    if (control == nullptr) continue;
    auto same = std::find_if(groups.begin(), groups.end(),
                             [&](const Group& g) { return cp1252::EqualsNoCase(g.name, control->Name()); });
    if (same == groups.end()) groups.push_back({control->Name(), {control}});
    else same->members.push_back(control);
  }
  // Longest names first: the reaction's plain search for "Sub Command1_" must not meet the
  // procedures of a Command1_Extra still to be renamed (one that stays is refused below).
  std::stable_sort(groups.begin(), groups.end(),
                   [](const Group& a, const Group& b) { return a.name.size() > b.name.size(); });
  for (const Group& group : groups) {
    const std::optional<std::string> prefix =
        ControlPrefix(session_.Engine().Prefixes(), group.members.front()->ClassName());
    if (!prefix || group.name.compare(0, prefix->size(), *prefix) == 0) continue;
    const std::string new_name = *prefix + group.name;
    if (!Rename(designer, group, new_name)) continue;
    renamed_.emplace_back(group.name, new_name);
    outcome_.prefixed.push_back({file_, group.name, new_name, static_cast<int>(group.members.size())});
  }
  if (!renamed_.empty()) FindReferences();
}

bool FormRun::Rename(host::Designer& designer, const Group& group, const std::string& new_name) {
  if (cp1252::EqualsNoCase(form_.Name(), new_name)) {
    Problem(group.name, "the form itself is named " + form_.Name());
    return false;
  }
  for (host::VBControl* other : designer.Controls()) {
    if (other == nullptr || InGroup(group, other)) continue;
    if (cp1252::EqualsNoCase(other->Name(), new_name)) {
      Problem(group.name, new_name + " is already the name of another control");
      return false;
    }
    if (cp1252::StartsWithNoCase(other->Name(), group.name + "_")) {
      Problem(group.name, "moving its event procedures would rename those of " + other->Name() + " too");
      return false;
    }
  }
  // The reaction replaces every occurrence of the name on each line it finds, inside other
  // words too (a button named t, or Ind beside "Index As Integer"): such a line would break.
  host::CodeModule& code = *form_.Code();
  const std::string target = "Sub " + group.name + "_";
  long line = 1, column = 1, end_line = -1, end_column = -1;
  while (line <= code.CountOfLines() && code.Find(target, line, column, end_line, end_column, false, false, false)) {
    const std::string text = code.Lines(line, 1);
    std::size_t count = 0;
    for (std::size_t at = text.find(group.name); at != std::string::npos; at = text.find(group.name, at + 1)) ++count;
    const bool own = text.compare(static_cast<std::size_t>(column - 1) + 4, group.name.size(), group.name) == 0;
    if (count > (own ? 1u : 0u)) {
      Problem(group.name, "moving its event procedures would change the other \"" + group.name + "\" in: " + text);
      return false;
    }
    line = line + 1, column = 1, end_line = -1, end_column = -1;
  }
  try {
    for (host::VBControl* member : group.members) member->SetName(new_name);
  } catch (const host::HostError& e) {
    Problem(group.name, e.what());
    return false;
  }
  // The reaction rewrites the name in the letter case the control has, but VB binds an event
  // procedure in any case (Private Sub command1_Click for Command1): those are moved here.
  line = 1, column = 1, end_line = -1, end_column = -1;
  while (line <= code.CountOfLines() && code.Find(target, line, column, end_line, end_column, false, false, false)) {
    std::string text = code.Lines(line, 1);
    text.replace(static_cast<std::size_t>(column - 1) + 4, group.name.size(), new_name);
    code.ReplaceLine(line, text);
    line = line + 1, column = 1, end_line = -1, end_column = -1;
  }
  return true;
}

void FormRun::FindReferences() {
  host::MemoryCodeModule& code = *form_.MemoryCode();
  // A call of a moved event procedure by its old name (tmrClock_Timer) is a use as well.
  std::vector<std::string> procedures;
  for (const host::Member& member : code.Members())
    if (member.type == host::MemberType::Method) procedures.push_back(member.name);
  // The new text for a word that uses an old name, or nothing.
  auto replacement = [&](std::string_view word) -> std::optional<std::string> {
    for (const auto& [old_name, new_name] : renamed_) {
      if (cp1252::EqualsNoCase(word, old_name)) return new_name;
      if (word.size() <= old_name.size() + 1 || !cp1252::StartsWithNoCase(word, old_name + "_")) continue;
      const std::string moved = new_name + std::string(word.substr(old_name.size()));
      if (std::any_of(procedures.begin(), procedures.end(),
                      [&](const std::string& p) { return cp1252::EqualsNoCase(p, moved); }))
        return moved;
    }
    return std::nullopt;
  };
  std::vector<long> lines;
  bool comment = false;
  for (long n = 1; n <= code.CountOfLines(); ++n) {
    std::string text = code.Lines(n, 1);
    std::vector<std::pair<Span, std::string>> found;
    for (const Span& word : Words(text, comment))
      if (auto to = replacement(std::string_view(text).substr(word.at, word.size))) found.emplace_back(word, *to);
    if (found.empty()) continue;
    if (options_.rewrite_references) {
      for (auto it = found.rbegin(); it != found.rend(); ++it) text.replace(it->first.at, it->first.size, it->second);
      code.ReplaceLine(n, text);
    }
    lines.push_back(n);
  }
  if (lines.empty()) return;
  // Lines of the file: the form's description above the code and the hidden Attribute
  // lines inside it count too.
  const std::vector<host::CodeLine> exported = code.ExportLines();
  long file_line = static_cast<long>(form_.Header().size());
  std::size_t next = 0;
  for (long n = 1; n <= static_cast<long>(exported.size()) && next < lines.size(); ++n) {
    ++file_line;
    if (n == lines[next]) {
      outcome_.references.push_back({file_, file_line, code.Lines(n, 1)});
      ++next;
    }
    file_line += static_cast<long>(exported[static_cast<std::size_t>(n - 1)].hidden.size());
  }
}

}  // namespace

Problem PrefixControls(Session& session, const PrefixOptions& options, PrefixOutcome& outcome) {
  CGildex& engine = session.Engine();
  if (engine.Prefixes().empty())
    return {"the prefix table (pfx.dat) is empty", Remedy::FillPrefixTable};
  std::optional<std::string> wanted;
  if (!options.component.empty()) wanted = options.component;
  std::vector<std::pair<host::MemoryProject*, host::MemoryComponent*>> forms;
  bool named = false;
  for (host::MemoryProject* project : session.Loaded().projects)
    for (host::MemoryComponent* component : project->Components()) {
      if (wanted && !cp1252::EqualsNoCase(component->Name(), *wanted)) continue;
      named = true;
      if (HasControls(component->Type()) && component->GetDesigner() != nullptr && component->Code() != nullptr)
        forms.emplace_back(project, component);
      else if (wanted)
        return component->Name() + " is a " + std::string(host::ComponentTypeName(component->Type())) +
               ": only forms, MDI forms, user controls and property pages have controls to prefix";
    }
  if (wanted && !named) return "no component named \"" + options.component + "\"";

  // The reaction that carries event procedures along works for this run whatever the stored
  // setting says; the setting itself stays.
  struct RenameOn {
    explicit RenameOn(CGildex& e) : engine(e), stored(e.AutoRename()) { engine.AutoRename(true); }
    ~RenameOn() { engine.AutoRename(stored); }
    CGildex& engine;
    bool stored;
  } rename_on(engine);
  const long errors_before = session.Shared().Report().Shown();
  for (const auto& [project, form] : forms) {
    if (form->IsReadOnly()) {
      outcome.problems.push_back(form->File().string() + ": not processed: the file is read-only");
      continue;
    }
    // The add-in follows the components of the active project only.
    if (session.Vbe().ActiveVBProject() != project) session.Vbe().SetActiveProject(*project);
    FormRun(session, *form, options, outcome).Run();
  }
  outcome.errors_reported = session.Shared().Report().Shown() - errors_before;
  return {};
}

}  // namespace gildex::session
