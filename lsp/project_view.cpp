#include "lsp/project_view.h"

#include <optional>

#include "host/project_file.h"
#include "host/source_file.h"
#include "host/source_lines.h"
#include "platform/atomic_file.h"
#include "platform/cp1252.h"
#include "lsp/protocol.h"
#include "tools/message_view.h"

namespace gildex::lsp {
namespace {

// The progress window of a command: an editor shows none.
class NoWindow : public MessageView {
 public:
  void Load(const MessageWindowState&) override {}
  void Unload() override {}
  void SetCaption(const std::string&) override {}
  void SetMessage(const std::string&) override {}
  void SetMessageHeight(long) override {}
  void ShowProgress(bool) override {}
  void SetProgressRange(std::int32_t, std::int32_t) override {}
  void SetProgressValue(std::int32_t) override {}
  void PlaceProgress(long, long, long) override {}
  void AppendStatus(const std::string&) override {}
  void ClearStatus() override {}
  void SetHourglass(bool) override {}
  void EnableButtons(bool, bool) override {}
  void LayOutControls() override {}
  void Center() override {}
  void ShowWindow() override {}
  void Repaint() override {}
  long TextHeight(const std::string&) const override { return 195; }
  long OuterWidth() const override { return 6000; }
};

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec);
}

bool Lists(const fs::path& vbp, const fs::path& file) {
  std::error_code ec;
  if (!fs::is_regular_file(vbp, ec)) return false;
  const auto bytes = platform::ReadWholeFile(vbp);
  if (!bytes) return false;
  for (const host::ProjectMember& member : host::ParseProjectFile(*bytes).members) {
    const host::ResolvedPath resolved = host::ResolveMemberPath(vbp.parent_path(), member.path_text);
    if (!resolved.path.empty() && SameFile(resolved.path, file)) return true;
  }
  return false;
}

bool SameLine(const host::RawLine& a, const host::RawLine& b) { return a.text == b.text && a.end == b.end; }

// Where each line of a component's file is: -1 for a header line, else the code window line
// (from 1), negated and less 1 for a hidden line following it.
std::vector<long> CodeLinesOfFile(host::MemoryComponent& component) {
  std::vector<long> lines(host::SplitLines(host::WriteSourceFile(component.Header(), {})).size(), -1);
  long n = 0;
  for (const host::CodeLine& line : component.MemoryCode()->ExportLines()) {
    lines.push_back(++n);
    for (std::size_t h = 0; h < line.hidden.size(); ++h) lines.push_back(-n - 1);
  }
  return lines;
}

// Makes the component's code hold `bytes`, editing only the lines that differ so the others
// keep their line ends. False when the change reaches the header or a hidden line: those are
// the file's own, taken from disk until the editor saves.
bool PutText(host::MemoryComponent& component, const std::string& bytes) {
  const std::vector<host::RawLine> now = host::SplitLines(component.Serialize());
  const std::vector<host::RawLine> wanted = host::SplitLines(bytes);
  std::size_t prefix = 0, suffix = 0;
  while (prefix < now.size() && prefix < wanted.size() && SameLine(now[prefix], wanted[prefix])) ++prefix;
  while (suffix < now.size() - prefix && suffix < wanted.size() - prefix &&
         SameLine(now[now.size() - 1 - suffix], wanted[wanted.size() - 1 - suffix]))
    ++suffix;
  if (prefix == now.size() && prefix == wanted.size()) return true;
  const std::vector<long> where = CodeLinesOfFile(component);
  host::CodeModule& code = *component.Code();
  const std::size_t removed = now.size() - prefix - suffix;
  long at = prefix < where.size() ? where[prefix] : code.CountOfLines() + 1;
  if (at < 0) return false;
  for (std::size_t i = prefix; i < prefix + removed; ++i)
    if (where[i] != at + static_cast<long>(i - prefix)) return false;
  if (removed > 0) code.DeleteLines(at, static_cast<long>(removed));
  std::string text;
  for (std::size_t i = prefix; i < wanted.size() - suffix; ++i) text += (i > prefix ? "\r\n" : "") + wanted[i].text;
  if (wanted.size() - suffix > prefix) code.InsertLines(at, text);
  return true;
}

// A problem in an editor's words (UTF-8): the remedies name the settings and windows, which
// the editor's user reaches through Gildex's options.
std::string Worded(const Problem& problem) {
  static constexpr const char* kRemedies[] = {
      "",
      "; Gildex's options list the settings",
      ": choose a default template in Gildex's options",
      ": the stored default template is no usable name; choose another in Gildex's options",
      ": the templates folder holds no template; choose another folder in Gildex's options",
      ": name the component",
      ": give the control prefix table its rows",
      ": set the comment block in Gildex's options",
  };
  return DecodeAnsi(problem.what) + kRemedies[static_cast<int>(problem.remedy)];
}

// A file's time and size as a stamp; none for a file not there.
std::pair<fs::file_time_type, std::uintmax_t> StampOf(const fs::path& file) {
  std::error_code ec;
  const fs::file_time_type time = fs::last_write_time(file, ec);
  if (ec) return {};
  const std::uintmax_t size = fs::is_directory(file, ec) ? 0 : fs::file_size(file, ec);
  return {time, ec ? 0 : size};
}

fs::path Normal(const fs::path& file) { return fs::absolute(file).lexically_normal(); }

}  // namespace

fs::path ProjectOf(const fs::path& file) {
  const fs::path absolute = fs::absolute(file).lexically_normal();
  for (fs::path folder = absolute.parent_path();; folder = folder.parent_path()) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
      if (cp1252::EqualsNoCase(entry.path().extension().string(), ".vbp") && Lists(entry.path(), absolute))
        return entry.path();
    if (folder == folder.parent_path()) break;
  }
  return absolute;
}

ProjectView::ProjectView(const fs::path& project, const std::map<fs::path, std::string>& texts) : project_(project) {
  // A file added beside the project (one it missed) changes the folder's time.
  for (const fs::path& file : {project, project.parent_path()}) stamps_[file] = StampOf(file);
  // A device or folder named by a client is no project (and reading one may never end).
  std::error_code ec;
  problem_ = fs::is_regular_file(project, ec) ? DecodeAnsi(session_.Open(project, false)) : "not a file: " + project.string();
  for (host::MemoryProject* p : session_.Loaded().projects)
    for (int i = 0; i < p->ComponentCount(); ++i, ++components_) {
      host::MemoryComponent& component = p->At(i);
      const fs::path file = Normal(component.File());
      stamps_[file] = StampOf(file);
      if (component.MemoryCode() == nullptr || !component.Usable()) continue;
      const auto text = texts.find(file);
      // Encoded only now: opening the project put its code page in use.
      const std::string bytes = text != texts.end() ? EncodeAnsi(text->second) : std::string();
      if (text != texts.end() && PutText(component, bytes))
        before_[file] = bytes;
      else
        before_[file] = component.Serialize();
    }
}

ProjectView::~ProjectView() {
  if (connected_) session_.Disconnect();
}

bool ProjectView::Current() const {
  if (spoiled_) return false;
  for (const auto& [file, stamp] : stamps_)
    if (StampOf(file) != stamp) return false;
  return true;
}

long ProjectView::ProjectLineOf(const fs::path& file) const {
  if (!cp1252::EqualsNoCase(project_.extension().string(), ".vbp")) return 1;
  for (const host::ProjectMember& member : host::ParseProjectFile(platform::ReadWholeFile(project_).value_or("")).members)
    if (SameFile(host::ResolveMemberPath(project_.parent_path(), member.path_text).path, file)) return member.line;
  return 1;
}

bool ProjectView::Update(const fs::path& file, const std::string& bytes) {
  const auto before = before_.find(file);
  if (before == before_.end() || before->second == bytes) return true;
  host::MemoryComponent* component = ComponentOf(file);
  if (component == nullptr || !PutText(*component, bytes)) return false;
  before->second = bytes;
  return true;
}

std::string ProjectView::Connect() {
  if (!problem_.empty() || connected_) return problem_;
  ConnectViews views;
  views.advanced_template = &tag_window_;
  if (Problem problem = session_.ConnectAddIn(
          ext_cm_CommandLine, false,
          [](clsMessages&) -> std::unique_ptr<MessageView> { return std::make_unique<NoWindow>(); }, views);
      !problem.empty())
    return Worded(problem);
  connected_ = true;
  return Worded(session_.ApplyOverrides({}, true));
}

host::MemoryComponent* ProjectView::ComponentOf(const fs::path& file) {
  for (host::MemoryProject* p : session_.Loaded().projects)
    for (int i = 0; i < p->ComponentCount(); ++i)
      if (Normal(p->At(i).File()) == file || SameFile(p->At(i).File(), file)) return &p->At(i);
  return nullptr;
}

std::vector<Symbol> ProjectView::Symbols(const fs::path& file) {
  std::vector<Symbol> symbols;
  if (!problem_.empty()) return symbols;
  // Each component's file line of each code window line, worked out once.
  std::map<std::string, std::pair<fs::path, std::vector<long>>> lines;
  for (const ReportedProject& project : ReportProcedures(session_.Vbe(), context_.Engine()))
    for (const ReportedProcedure& procedure : project.procedures) {
      auto known = lines.find(procedure.component);
      if (known == lines.end()) {
        host::VBComponent* found = nullptr;
        for (host::MemoryProject* p : session_.Loaded().projects)
          if (found == nullptr) found = p->FindComponent(procedure.component);
        auto* component = static_cast<host::MemoryComponent*>(found);
        std::pair<fs::path, std::vector<long>> entry;
        if (component != nullptr && component->MemoryCode() != nullptr) {
          entry.first = Normal(component->File());
          const std::vector<long> where = CodeLinesOfFile(*component);
          for (std::size_t i = 0; i < where.size(); ++i)
            if (where[i] > 0) entry.second.resize(static_cast<std::size_t>(where[i]) + 1), entry.second[where[i]] = static_cast<long>(i);
        }
        known = lines.emplace(procedure.component, std::move(entry)).first;
      }
      // Named, not bound: clang before 16 lets no lambda capture a structured binding.
      const fs::path& path = known->second.first;
      const std::vector<long>& file_line = known->second.second;
      if (path.empty() || (!file.empty() && path != file && !SameFile(path, file))) continue;
      auto line = [&](long code_line) {
        return code_line > 0 && static_cast<std::size_t>(code_line) < file_line.size() ? file_line[code_line] : 0L;
      };
      symbols.push_back({path, procedure.component, procedure, line(procedure.procedure.start_line),
                         line(procedure.procedure.body_line), line(procedure.procedure.end_line)});
    }
  return symbols;
}

std::vector<Symbol> ProjectView::WouldInsert(const fs::path& file, std::string& problem) {
  std::vector<Symbol> treated;
  const std::vector<Symbol> before = Symbols(file);
  host::MemoryComponent* component = ComponentOf(file);
  if (component == nullptr) return treated;
  problem = Connect();
  if (problem.empty()) problem = Worded(session_.Select(session::ScopeAction::Insert, {component->Name(), "", {}, false}));
  if (!problem.empty()) return treated;
  session_.Run();
  const std::vector<Symbol> after = Symbols(file);
  Undo();
  for (const Symbol& was : before) {
    if (was.procedure.handling != ErrorHandling::None) continue;
    for (const Symbol& is : after)
      if (is.procedure.procedure.name == was.procedure.procedure.name &&
          is.procedure.procedure.kind == was.procedure.procedure.kind && is.procedure.handling != ErrorHandling::None)
        treated.push_back(was);
  }
  return treated;
}

// Points the session at the target and clicks the command; the problem that stopped it.
std::string ProjectView::Select(Command command, const Target& target, host::MemoryComponent* component) {
  const std::string name = component != nullptr ? component->Name() : std::string();
  if (command == Command::CommentBlock) {
    if (std::string problem = Worded(session_.SelectProcedure(name, target.procedure)); !problem.empty()) return problem;
    return session_.RunCommentBlock().errors_reported > 0 ? "the add-in reported an error" : "";
  }
  if (command == Command::Tag || command == Command::Untag) {
    for (host::MemoryProject* p : session_.Loaded().projects)
      for (int i = 0; i < p->ComponentCount(); ++i)
        if (&p->At(i) == component) session_.Vbe().SetActiveProject(*p);
    const std::vector<std::string> procedure = {target.procedure};
    tag_window_.Ask({name, command == Command::Tag ? procedure : std::vector<std::string>{},
                     command == Command::Untag ? procedure : std::vector<std::string>{}});
    session_.Connection().Tools().cmdAdvanced_Click();
    return tag_window_.Shown() ? Worded(tag_window_.Problem()) : "the add-in reported an error";
  }
  session::ScopeTarget scope{name, target.procedure, {}, false};
  if (target.lines) {
    // The code window lines of the procedures the lines cover.
    const std::vector<long> where = CodeLinesOfFile(*component);
    long first = 0, last = 0;
    for (const Symbol& symbol : Symbols(target.file))
      if (symbol.first <= target.lines->second && target.lines->first <= symbol.last) {
        if (first == 0) first = where[static_cast<std::size_t>(symbol.first)];
        last = where[static_cast<std::size_t>(symbol.last)];
      }
    if (first <= 0 || last < first) return "the selection covers no procedure";
    scope.selection = {first, last};
  }
  static constexpr session::ScopeAction kScope[] = {session::ScopeAction::Insert, session::ScopeAction::Remove,
                                                    session::ScopeAction::Number, session::ScopeAction::UnNumber};
  if (std::string problem = Worded(session_.Select(kScope[static_cast<int>(command)], scope)); !problem.empty())
    return problem;
  return session_.Run().errors_reported > 0 ? "the add-in reported an error" : "";
}

std::vector<FileEdit> ProjectView::Run(Command command, const Target& target, std::string& problem) {
  std::vector<FileEdit> edits;
  host::MemoryComponent* component = target.file.empty() ? nullptr : ComponentOf(target.file);
  if (!target.file.empty() && component == nullptr) {
    problem = "the file is not a component of " +
              DecodeAnsi(session_.Loaded().projects.empty() ? "" : session_.Loaded().projects[0]->Name());
    return edits;
  }
  problem = Connect();
  if (!problem.empty()) return edits;
  const long errors_before = context_.report.Shown();
  said_.str("");
  problem = Select(command, target, component);
  if (problem.empty() && context_.report.Shown() > errors_before) problem = "the add-in reported an error";
  if (!problem.empty()) {
    if (problem.starts_with("the add-in reported")) problem += ": " + DecodeAnsi(said_.str());
    Undo();
    return edits;
  }
  for (host::MemoryComponent* changed : session_.Changed()) {
    const fs::path path = Normal(changed->File());
    const auto before = before_.find(path);
    if (before == before_.end()) continue;
    std::string after = changed->Serialize();
    if (after != before->second) edits.push_back({path, before->second, std::move(after)});
  }
  Undo();
  return edits;
}

// Puts back the editor's text of every component the last command changed.
void ProjectView::Undo() {
  std::size_t components = 0;
  for (host::MemoryProject* p : session_.Loaded().projects) components += static_cast<std::size_t>(p->ComponentCount());
  if (components != components_) spoiled_ = true;
  for (host::MemoryComponent* changed : session_.Changed()) {
    const auto before = before_.find(Normal(changed->File()));
    if (before == before_.end()) {
      spoiled_ = true;
      continue;
    }
    if (changed->Serialize() != before->second && (!PutText(*changed, before->second) || changed->Serialize() != before->second))
      spoiled_ = true;
  }
}

}  // namespace gildex::lsp
