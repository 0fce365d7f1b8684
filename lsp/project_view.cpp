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

ProjectView::ProjectView(const fs::path& project, const std::map<fs::path, std::string>& texts) {
  problem_ = DecodeAnsi(session_.Open(project, false));
  if (!problem_.empty()) return;
  for (host::MemoryProject* p : session_.Loaded().projects)
    for (int i = 0; i < p->ComponentCount(); ++i) {
      host::MemoryComponent& component = p->At(i);
      if (component.MemoryCode() == nullptr || !component.Usable()) continue;
      const fs::path file = fs::absolute(component.File()).lexically_normal();
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
  if (!problem_.empty()) return;
  session_.Disconnect();
}

std::string ProjectView::Connect() {
  if (!problem_.empty()) return problem_;
  if (Problem problem = session_.ConnectAddIn(
          ext_cm_CommandLine, false,
          [](clsMessages&) -> std::unique_ptr<MessageView> { return std::make_unique<NoWindow>(); }); !problem.empty()) return Worded(problem);
  return Worded(session_.ApplyOverrides({}, true));
}

host::MemoryComponent* ProjectView::ComponentOf(const fs::path& file) {
  for (host::MemoryProject* p : session_.Loaded().projects)
    for (int i = 0; i < p->ComponentCount(); ++i)
      if (fs::absolute(p->At(i).File()).lexically_normal() == file || SameFile(p->At(i).File(), file))
        return &p->At(i);
  return nullptr;
}

std::vector<Symbol> ProjectView::Symbols(const fs::path& file) {
  std::vector<Symbol> symbols;
  if (!problem_.empty()) return symbols;
  for (const ReportedProject& project : ReportProcedures(session_.Vbe(), context_.Engine()))
    for (const ReportedProcedure& procedure : project.procedures) {
      host::VBComponent* found = nullptr;
      for (host::MemoryProject* p : session_.Loaded().projects)
        if (found == nullptr) found = p->FindComponent(procedure.component);
      auto* component = static_cast<host::MemoryComponent*>(found);
      if (component == nullptr || component->MemoryCode() == nullptr) continue;
      const fs::path path = fs::absolute(component->File()).lexically_normal();
      if (!file.empty() && path != file && !SameFile(path, file)) continue;
      const std::vector<long> where = CodeLinesOfFile(*component);
      auto line = [&](long code_line) {
        for (std::size_t i = 0; i < where.size(); ++i)
          if (where[i] == code_line) return static_cast<long>(i);
        return 0L;
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
  for (const Symbol& was : before) {
    if (was.procedure.handling != ErrorHandling::None) continue;
    for (const Symbol& is : after)
      if (is.procedure.procedure.name == was.procedure.procedure.name &&
          is.procedure.procedure.kind == was.procedure.procedure.kind && is.procedure.handling != ErrorHandling::None)
        treated.push_back(was);
  }
  return treated;
}

std::vector<FileEdit> ProjectView::Run(Command command, const fs::path& file, const std::string& procedure,
                                       std::string& problem) {
  std::vector<FileEdit> edits;
  host::MemoryComponent* component = file.empty() ? nullptr : ComponentOf(file);
  if (!file.empty() && component == nullptr) {
    problem = "the file is not a component of " + DecodeAnsi(session_.Loaded().projects.empty() ? "" : session_.Loaded().projects[0]->Name());
    return edits;
  }
  problem = Connect();
  if (!problem.empty()) return edits;
  const std::string name = component != nullptr ? component->Name() : std::string();
  const long errors_before = context_.report.Shown();
  session::CommandOutcome outcome;
  if (command == Command::CommentBlock) {
    problem = Worded(session_.SelectProcedure(name, procedure));
    if (problem.empty()) outcome = session_.RunCommentBlock();
  } else {
    static constexpr session::ScopeAction kActions[] = {session::ScopeAction::Insert, session::ScopeAction::Remove,
                                                        session::ScopeAction::Number, session::ScopeAction::UnNumber};
    problem = Worded(session_.Select(kActions[static_cast<int>(command)], {name, procedure, {}, false}));
    if (problem.empty()) outcome = session_.Run();
  }
  if (!problem.empty()) return edits;
  if (outcome.errors_reported > 0 || context_.report.Shown() > errors_before) {
    problem = "the add-in reported an error: " + DecodeAnsi(said_.str());
    return edits;
  }
  for (host::MemoryComponent* changed : session_.Changed()) {
    const fs::path path = fs::absolute(changed->File()).lexically_normal();
    const auto before = before_.find(path);
    if (before == before_.end()) continue;
    std::string after = changed->Serialize();
    if (after != before->second) edits.push_back({path, before->second, std::move(after)});
  }
  return edits;
}

}  // namespace gildex::lsp
