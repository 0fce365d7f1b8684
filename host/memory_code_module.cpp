#include "host/memory_code_module.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <utility>

#include "host/basic_lexer.h"
#include "host/like_pattern.h"
#include "host/line_store.h"
#include "host/vb_keywords.h"
#include "platform/cp1252.h"

namespace gildex::host {

namespace {

using cp1252::EqualsNoCase;

[[noreturn]] void ThrowSubscript() { throw HostError(9, "Subscript out of range"); }
[[noreturn]] void ThrowNotDefined() { throw HostError(35, "Sub or Function not defined"); }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

enum class LineKind { Blank, Comment, Code, ProcStart, ProcEnd };

struct LineInfo {
  LineKind kind = LineKind::Code;
  ProcKind proc_kind = ProcKind::Proc;
  std::string_view name;
};

LineInfo Only(LineKind kind) { return LineInfo{kind, ProcKind::Proc, {}}; }

// Reads the words of one logical line.
class WordReader {
 public:
  explicit WordReader(std::string_view text) : text_(text) { SkipBlanks(); }
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek(std::size_t ahead = 0) const { return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0'; }
  void Skip(std::size_t n) { pos_ = std::min(text_.size(), pos_ + n); }
  void SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  }
  std::string_view Word() {
    std::size_t start = pos_;
    while (pos_ < text_.size() && IsWordChar(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
  }
  // The next word when blanks separate it from the previous one.
  std::string_view NextWord() {
    if (AtEnd() || !IsBlank(text_[pos_])) return {};
    SkipBlanks();
    return Word();
  }
  std::size_t Pos() const { return pos_; }
  void SetPos(std::size_t pos) { pos_ = pos; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

bool IsAnyOf(std::string_view word, std::initializer_list<std::string_view> words) {
  for (std::string_view w : words)
    if (EqualsNoCase(word, w)) return true;
  return false;
}

// Steps over a line number or a label ("10 ", "Retry: "); false when nothing follows it.
bool SkipLineLabel(WordReader& reader) {
  std::size_t start = reader.Pos();
  if (IsDigit(reader.Peek())) {
    while (IsDigit(reader.Peek())) reader.Skip(1);
    if (reader.Peek() == ':') reader.Skip(1);
  } else {
    std::string_view word = reader.Word();
    if (word.empty() || reader.Peek() != ':' || reader.Peek(1) == '=') {
      reader.SetPos(start);
      return true;
    }
    reader.Skip(1);
  }
  reader.SkipBlanks();
  return !reader.AtEnd() && reader.Peek() != '\'';
}

// What one logical line is to the procedure structure: a declaration ("Private Static
// Function Foo(", "Property Get Name"), an End statement, other code, a comment or blank.
LineInfo ClassifyLine(std::string_view text) {
  WordReader reader(text);
  if (reader.AtEnd()) return Only(LineKind::Blank);
  if (IsCommentLine(text)) return Only(LineKind::Comment);
  if (!SkipLineLabel(reader)) return Only(LineKind::Code);
  std::string_view word = reader.Word();
  // Every word that can open or close a procedure starts with E, F, P or S; most lines start
  // with another one, and this runs for every line at load and at every edit.
  if (word.empty()) return Only(LineKind::Code);
  switch (word.front()) {
    case 'E': case 'e': case 'F': case 'f': case 'P': case 'p': case 'S': case 's':
      break;
    default:
      return Only(LineKind::Code);
  }
  bool modified = false;
  if (IsAnyOf(word, {"Public", "Private", "Friend"})) {
    modified = true;
    word = reader.NextWord();
  }
  if (EqualsNoCase(word, "Static")) {
    modified = true;
    word = reader.NextWord();
  }
  LineInfo info = Only(LineKind::ProcStart);
  if (EqualsNoCase(word, "End") && !modified) {
    std::string_view what = reader.NextWord();
    char after = reader.Peek();
    if (IsAnyOf(what, {"Sub", "Function", "Property"}) &&
        (after == '\0' || IsBlank(after) || after == '\'' || after == ':'))
      return Only(LineKind::ProcEnd);
    return Only(LineKind::Code);
  }
  if (EqualsNoCase(word, "Property")) {
    std::string_view accessor = reader.NextWord();
    if (EqualsNoCase(accessor, "Get"))
      info.proc_kind = ProcKind::Get;
    else if (EqualsNoCase(accessor, "Let"))
      info.proc_kind = ProcKind::Let;
    else if (EqualsNoCase(accessor, "Set"))
      info.proc_kind = ProcKind::Set;
    else
      return Only(LineKind::Code);
  } else if (!IsAnyOf(word, {"Sub", "Function"})) {
    return Only(LineKind::Code);
  }
  info.name = reader.NextWord();
  if (info.name.empty() || IsDigit(info.name.front())) return Only(LineKind::Code);
  return info;
}

// A line that can neither open, close nor join a procedure declaration: edits made only of
// such lines leave the structure as it is.
bool IsNeutralLine(std::string_view text) {
  if (IsContinued(text)) return false;
  LineKind kind = ClassifyLine(text).kind;
  return kind != LineKind::ProcStart && kind != LineKind::ProcEnd;
}

// A code window line: its text in the module's TextStore, its line end and the hidden lines
// after it.
struct Slot {
  const char* text = nullptr;
  std::uint32_t size = 0;
  LineEnd end = LineEnd::CrLf;
  HiddenLines hidden;
  std::string_view Text() const { return {text, size}; }
};

LineEnd& FinalLineEnd(Slot& line) { return line.hidden.empty() ? line.end : line.hidden.back().end; }

std::string KeyOf(std::string_view name, ProcKind kind) {
  std::string key = cp1252::Upper(name);
  key += '\x01';
  key += static_cast<char>('0' + static_cast<int>(kind));
  return key;
}

struct ScannedProc {
  std::string name;
  ProcKind kind = ProcKind::Proc;
  long start = 0, body = 0, end = 0;
  bool closed_by_end = false;  // false: the module ends before its End line
};

// Walks the logical lines from `from` and reports every procedure as it is closed; the
// callback returns true to stop. `line_text(n)` gives physical line n. Returns the count of
// declaration lines when the walk started at the top of the module (no procedure seen yet).
template <class LineText, class OnProc>
long ScanProcedures(long line_count, LineText&& line_text, long from, bool seen_proc, OnProc&& on_proc) {
  long prev_end = from - 1;
  long last_code = 0;
  std::optional<ScannedProc> open;
  std::string joined;
  long line = from;
  while (line <= line_count) {
    long first = line;
    std::string_view text = line_text(line);
    if (IsContinued(text) && line < line_count) {
      joined.assign(WithoutContinuation(text));
      while (IsContinued(line_text(line)) && line < line_count) {
        ++line;
        joined += ' ';
        std::string_view next = line_text(line);
        if (IsContinued(next) && line < line_count)
          joined += WithoutContinuation(next);
        else
          joined += next;
      }
      text = joined;
    }
    long last = line++;
    LineInfo info = ClassifyLine(text);
    if (open) {
      // A declaration inside an open procedure (its End was deleted) is just a line of it:
      // the two procedures have merged.
      if (info.kind != LineKind::ProcEnd) continue;
      open->end = last;
      open->closed_by_end = true;
      prev_end = last;
      ScannedProc done = std::move(*open);
      open.reset();
      if (on_proc(std::move(done))) return last_code;
      continue;
    }
    if (info.kind == LineKind::ProcStart) {
      long start = seen_proc ? prev_end + 1 : last_code + 1;
      seen_proc = true;
      open = ScannedProc{std::string(info.name), info.proc_kind, start, first, 0, false};
    } else if (info.kind != LineKind::Blank && info.kind != LineKind::Comment && !seen_proc) {
      last_code = last;
    }
  }
  if (open) {
    open->end = line_count;
    on_proc(std::move(*open));
  }
  return last_code;
}

class MemoryCodePane final : public CodePane {
 public:
  explicit MemoryCodePane(MemoryCodeModule& module) : module_(module) {}
  Selection GetSelection() const override { return selection_; }
  void SetSelection(const Selection& selection) override {
    long last = std::max(1L, module_.CountOfLines());
    Selection s = selection;
    s.start_line = std::clamp(s.start_line, 1L, last);
    s.end_line = std::clamp(s.end_line, 1L, last);
    s.start_column = std::max(1L, s.start_column);
    s.end_column = std::max(1L, s.end_column);
    if (std::pair(s.end_line, s.end_column) < std::pair(s.start_line, s.start_column)) {
      std::swap(s.start_line, s.end_line);
      std::swap(s.start_column, s.end_column);
    }
    selection_ = s;
    SelectionSet.Raise(selection_);
  }
  CodeModule& Module() override { return module_; }

 private:
  MemoryCodeModule& module_;
  Selection selection_;
};

}  // namespace

// Lines live in one array with a gap at the place of the last edit: the lines above the gap,
// the gap (unused slots), the lines below it. An edit near the previous one moves few lines,
// a walk down the module moves each line across the gap once, and the slots are reused
// rather than allocated line by line.
//
// Procedures are kept the same way: `head` holds those above the last edit with absolute
// line numbers, `tail` (reversed) those below it with line numbers counted from the end
// of the module, which therefore stay right when lines are inserted or deleted above them.
// An edit re-scans only from the end of the last procedure before it to the first End
// line after it that matches an old procedure's End line: from there on the structure is
// unchanged.
struct MemoryCodeModule::Impl {
  struct Proc {
    std::string name;
    std::string key;
    ProcKind kind = ProcKind::Proc;
    long start = 0, body = 0, end = 0;  // absolute in `head`, counted from the end in `tail`
    bool closed_by_end = false;
    bool in_tail = false;
  };

  std::string name;
  VBComponent* parent = nullptr;
  LineEnd new_line_end = LineEnd::CrLf;
  std::vector<Slot> lines;
  TextStore store;
  std::size_t gap_begin = 0, gap_end = 0;  // the gap is [gap_begin, gap_end) of `lines`
  std::vector<Proc> procs;  // slots addressed by id; `head` and `tail` give the order
  std::vector<int> free_ids;
  std::vector<int> head, tail;
  std::unordered_map<std::string, std::vector<int>> by_key;
  long declaration_lines = 0;
  bool dirty = false;
  std::unique_ptr<MemoryCodePane> pane;
  Signal<long, long, long>* edited = nullptr;  // the module's own Edited
  SplitLinesBuffer split;                       // the lines of the text an edit puts in

  std::size_t GapSize() const { return gap_end - gap_begin; }
  long Count() const { return static_cast<long>(lines.size() - GapSize()); }

  const Slot& At(long line) const {
    auto index = static_cast<std::size_t>(line - 1);
    return lines[index < gap_begin ? index : index + GapSize()];
  }
  Slot& At(long line) { return const_cast<Slot&>(std::as_const(*this).At(line)); }
  std::string_view TextOf(long line) const { return At(line).Text(); }

  void SetText(Slot& slot, std::string_view text) {
    store.Drop(slot.size);
    slot.text = store.Add(text);
    slot.size = static_cast<std::uint32_t>(text.size());
  }
  // Copies every live line into one new chunk; the views handed out before are gone.
  void Compact() {
    std::size_t live = 0;
    for (long line = 1; line <= Count(); ++line) live += At(line).size;
    TextStore fresh;
    fresh.Reserve(live);
    for (long line = 1; line <= Count(); ++line) {
      Slot& slot = At(line);
      slot.text = fresh.Add(slot.Text());
    }
    store = std::move(fresh);
  }

  // Puts the gap right below line `above`. A slot in the gap holds no hidden lines, so that
  // moving a line into one leaves none behind; its text is never read.
  void MoveLineGap(long above) {
    auto target = static_cast<std::size_t>(above);
    if (GapSize() == 0) {
      gap_begin = gap_end = target;
      return;
    }
    const auto at = [this](std::size_t index) { return lines.begin() + static_cast<std::ptrdiff_t>(index); };
    if (target < gap_begin) {
      std::move_backward(at(target), at(gap_begin), at(gap_end));
      gap_end -= gap_begin - target;
      gap_begin = target;
    } else if (target > gap_begin) {
      const std::size_t count = target - gap_begin;
      std::move(at(gap_end), at(gap_end + count), at(gap_begin));
      gap_begin = target;
      gap_end += count;
    }
  }

  // Makes room for `count` lines at the gap; a new array gets a gap of a quarter of the
  // module besides, so that inserting into every procedure grows it only a few times.
  void ReserveGap(std::size_t count) {
    if (GapSize() >= count) return;
    const std::size_t gap = std::max(count, static_cast<std::size_t>(Count()) / 4 + 16);
    if (lines.capacity() >= static_cast<std::size_t>(Count()) + gap) {
      // Room in the array already (a loaded file comes with some): the lines below the gap
      // move down in place, and no second array of the whole module is touched.
      const std::size_t old_size = lines.size();
      lines.resize(old_size + gap - GapSize());
      std::move_backward(lines.begin() + static_cast<std::ptrdiff_t>(gap_end),
                         lines.begin() + static_cast<std::ptrdiff_t>(old_size), lines.end());
      gap_end = gap_begin + gap;
      return;
    }
    std::vector<Slot> grown;
    grown.reserve(static_cast<std::size_t>(Count()) + gap);
    for (std::size_t i = 0; i < gap_begin; ++i) grown.push_back(std::move(lines[i]));
    grown.resize(gap_begin + gap);
    for (std::size_t i = gap_end; i < lines.size(); ++i) grown.push_back(std::move(lines[i]));
    lines.swap(grown);
    gap_end = gap_begin + gap;
  }

  // --- procedure positions ---

  long Line(const Proc& p, long stored) const { return p.in_tail ? Count() - stored : stored; }
  long Start(int id) const { return Line(procs[id], procs[id].start); }
  long Body(int id) const { return Line(procs[id], procs[id].body); }
  long End(int id) const { return Line(procs[id], procs[id].end); }
  std::size_t ProcCount() const { return head.size() + tail.size(); }
  int ProcAt(std::size_t index) const {
    return index < head.size() ? head[index] : tail[tail.size() - 1 - (index - head.size())];
  }

  void Flip(Proc& p, bool to_tail) {
    long n = Count();
    p.start = n - p.start;
    p.body = n - p.body;
    p.end = n - p.end;
    p.in_tail = to_tail;
  }
  void MoveToTail() {
    int id = head.back();
    head.pop_back();
    Flip(procs[id], true);
    tail.push_back(id);
  }
  void MoveToHead() {
    int id = tail.back();
    tail.pop_back();
    Flip(procs[id], false);
    head.push_back(id);
  }
  // Puts into `head` the procedures that end above `line`; with `closed_only` the last of
  // them must also have its End line, so that a scan can start right below it.
  void PlaceProcGap(long line, bool closed_only) {
    // A scan may not start right below an End line that a " _" at the module's end continues.
    auto fits = [&](int id) {
      return End(id) < line && (!closed_only || (procs[id].closed_by_end && !IsContinued(TextOf(End(id)))));
    };
    while (!head.empty() && !fits(head.back())) MoveToTail();
    while (!tail.empty() && fits(tail.back())) MoveToHead();
  }

  void AddToHead(ScannedProc&& scanned) {
    int id;
    if (free_ids.empty()) {
      id = static_cast<int>(procs.size());
      procs.emplace_back();
    } else {
      id = free_ids.back();
      free_ids.pop_back();
    }
    Proc& p = procs[id];
    p.key = KeyOf(scanned.name, scanned.kind);
    p.name = std::move(scanned.name);
    p.kind = scanned.kind;
    p.start = scanned.start;
    p.body = scanned.body;
    p.end = scanned.end;
    p.closed_by_end = scanned.closed_by_end;
    p.in_tail = false;
    by_key[p.key].push_back(id);
    head.push_back(id);
  }
  void DropFromTail() {
    int id = tail.back();
    tail.pop_back();
    auto found = by_key.find(procs[id].key);
    std::erase(found->second, id);
    if (found->second.empty()) by_key.erase(found);
    free_ids.push_back(id);
  }

  int Find(std::string_view proc_name, ProcKind kind) const {
    auto found = by_key.find(KeyOf(proc_name, kind));
    if (found == by_key.end()) ThrowNotDefined();
    // Two procedures of one name: the host answers with the first.
    int best = found->second.front();
    for (int id : found->second)
      if (Start(id) < Start(best)) best = id;
    return best;
  }

  // --- keeping the structure right ---

  // True when replacing `removed` lines from `first` by `added` cannot change any
  // procedure's name or boundaries beyond shifting them.
  bool OnlyShifts(long first, long removed, const SplitLinesBuffer& added) const {
    if (ProcCount() == 0 || first <= Body(ProcAt(0))) return false;
    if (IsContinued(TextOf(first - 1))) return false;
    for (long line = first; line < first + removed; ++line)
      if (!IsNeutralLine(TextOf(line))) return false;
    for (const std::string& text : added)
      if (!IsNeutralLine(text)) return false;
    return true;
  }

  // Before the lines change: shifts the procedure holding `first` by hand and leaves the
  // ones below in `tail`, where the line edit moves them all at once. False when that
  // procedure has no End line, so its extent needs a scan.
  bool PrepareShift(long first, long delta) {
    PlaceProcGap(first, false);
    if (tail.empty()) return head.empty() || procs[head.back()].closed_by_end;
    int id = tail.back();
    if (Start(id) > first) return true;
    if (!procs[id].closed_by_end) return false;
    MoveToHead();
    Proc& p = procs[id];
    if (p.body >= first) p.body += delta;
    if (p.end >= first) p.end += delta;
    return true;
  }

  // After the lines changed: scans from the last intact procedure until the structure
  // meets the old one again. The changed lines end at `changed_last` (new numbering).
  void Rescan(long changed_last) {
    long from = head.empty() ? 1 : End(head.back()) + 1;
    bool seen_proc = !head.empty();
    bool synced = false;
    long declarations = ScanProcedures(
        Count(), [this](long line) { return TextOf(line); }, from, seen_proc,
        [&](ScannedProc&& p) {
          while (!tail.empty() && End(tail.back()) <= p.end) {
            int old = tail.back();
            synced = End(old) == p.end && p.closed_by_end && procs[old].closed_by_end && p.end >= changed_last;
            DropFromTail();
            if (synced) break;
          }
          AddToHead(std::move(p));
          return synced;
        });
    if (!seen_proc) declaration_lines = declarations;
    if (!synced)
      while (!tail.empty()) DropFromTail();
  }

  void BuildStructure() {
    while (!tail.empty()) DropFromTail();
    while (!head.empty()) {
      MoveToTail();
      DropFromTail();
    }
    Rescan(0);
  }

  // --- line edits ---

  // Inserts texts[from...] before line `before`.
  void InsertRaw(long before, SplitLinesBuffer& texts, std::size_t from) {
    MoveLineGap(before - 1);
    ReserveGap(texts.size() - from);
    bool was_final = before == Count() + 1 && gap_begin > 0 && FinalLineEnd(lines[gap_begin - 1]) == LineEnd::None;
    if (was_final) FinalLineEnd(lines[gap_begin - 1]) = new_line_end;
    for (std::size_t i = from; i < texts.size(); ++i) {
      // A gap slot may still hold what moved out of it: it counts for nothing.
      Slot& slot = lines[gap_begin++];
      slot.text = store.Add(texts[i]);
      slot.size = static_cast<std::uint32_t>(texts[i].size());
      slot.end = new_line_end;
      slot.hidden = {};
    }
    // The file still ends without a line break after its last line.
    if (was_final) FinalLineEnd(lines[gap_begin - 1]) = LineEnd::None;
  }

  void DeleteRaw(long first, long count) {
    MoveLineGap(first - 1);
    bool final_none = first + count - 1 == Count() && FinalLineEnd(lines.back()) == LineEnd::None;
    for (std::size_t i = gap_end; i < gap_end + static_cast<std::size_t>(count); ++i) {
      // The text becomes garbage; the slot joins the gap empty.
      store.Drop(lines[i].size);
      lines[i] = Slot{};
    }
    gap_end += static_cast<std::size_t>(count);
    if (final_none && gap_end == lines.size() && gap_begin > 0) FinalLineEnd(lines[gap_begin - 1]) = LineEnd::None;
  }

  // The one place that edits: replaces `removed` lines from `first` by `texts` (with
  // `replace_first`, one line whose line end and hidden lines stay), then brings the
  // procedure table up to date.
  void Edit(long first, long removed, SplitLinesBuffer& texts, bool replace_first) {
    // The code window renders what it is given: keywords take VB6's case.
    for (std::string& text : texts) RenderKeywordsInPlace(text);
    auto added = static_cast<long>(texts.size());
    long delta = added - removed;
    bool shift = OnlyShifts(first, removed, texts);
    if (shift && delta != 0) shift = PrepareShift(first, delta);
    if (!shift) PlaceProcGap(first, true);

    if (replace_first) {
      SetText(At(first), texts[0]);
      if (texts.size() > 1) InsertRaw(first + 1, texts, 1);
    } else {
      if (removed > 0) DeleteRaw(first, removed);
      if (!texts.empty()) InsertRaw(first, texts, 0);
    }

    if (!shift) Rescan(first + added - 1);
    if (store.WantsCompaction()) Compact();
    dirty = true;
    edited->Raise(first, removed, added);
  }

  // --- answers ---

  std::string DeclarationText(int id, long* last_line) const {
    long line = Body(id);
    std::string text(TextOf(line));
    while (IsContinued(TextOf(line)) && line < Count()) {
      text = std::string(WithoutContinuation(text)) + " " + std::string(TextOf(++line));
    }
    if (last_line) *last_line = line;
    return text;
  }

  std::string DescriptionOf(std::string_view member, long first, long last) const;
  void AddModuleLevelMembers(std::vector<Member>& members) const;
};

MemoryCodeModule::MemoryCodeModule(std::string name, std::vector<CodeLine> lines, LineEnd new_line_end,
                                   VBComponent* parent)
    : impl_(std::make_unique<Impl>()) {
  impl_->name = std::move(name);
  impl_->parent = parent;
  impl_->new_line_end = new_line_end == LineEnd::None ? LineEnd::CrLf : new_line_end;
  std::size_t bytes = 0;
  for (const CodeLine& line : lines) bytes += line.line.text.size();
  impl_->store.Reserve(bytes);
  // With room for the gap the module opens at its first insertion, so that it does not copy
  // the whole module into a larger array then.
  impl_->lines.reserve(lines.size() + lines.size() / 4 + 16);
  for (CodeLine& line : lines) {
    Slot& slot = impl_->lines.emplace_back();
    slot.text = impl_->store.Add(line.line.text);
    slot.size = static_cast<std::uint32_t>(line.line.text.size());
    slot.end = line.line.end;
    slot.hidden = std::move(line.hidden);
  }
  lines = {};
  impl_->gap_begin = impl_->gap_end = impl_->lines.size();
  impl_->pane = std::make_unique<MemoryCodePane>(*this);
  impl_->edited = &Edited;
  impl_->BuildStructure();
}

std::unique_ptr<MemoryCodeModule> MemoryCodeModule::FromText(std::string name, std::string_view text) {
  std::vector<CodeLine> lines;
  for (RawLine& line : SplitLines(text)) lines.push_back(CodeLine{std::move(line), {}});
  return std::make_unique<MemoryCodeModule>(std::move(name), std::move(lines), LineEnd::CrLf, nullptr);
}

MemoryCodeModule::~MemoryCodeModule() = default;

std::vector<CodeLine> MemoryCodeModule::ExportLines() const {
  std::vector<CodeLine> lines;
  lines.reserve(static_cast<std::size_t>(impl_->Count()));
  for (long line = 1; line <= impl_->Count(); ++line) {
    const Slot& slot = impl_->At(line);
    lines.push_back(CodeLine{RawLine{std::string(slot.Text()), slot.end}, slot.hidden});
  }
  return lines;
}

void MemoryCodeModule::AppendFileText(std::string& bytes) const {
  std::size_t size = 0;
  const auto measure = [&size](const Slot& line) {
    size += line.size + 2;
    for (const RawLine& hidden : line.hidden) size += hidden.text.size() + 2;
  };
  for (long line = 1; line <= impl_->Count(); ++line) measure(impl_->At(line));
  bytes.reserve(bytes.size() + size);
  const auto append = [&bytes](const Slot& line) {
    bytes += line.Text();
    bytes += LineEndText(line.end);
    for (const RawLine& hidden : line.hidden) {
      bytes += hidden.text;
      bytes += LineEndText(hidden.end);
    }
  };
  for (long line = 1; line <= impl_->Count(); ++line) append(impl_->At(line));
}

std::string MemoryCodeModule::Text() const { return impl_->Count() == 0 ? "" : Lines(1, impl_->Count()); }

bool MemoryCodeModule::IsDirty() const { return impl_->dirty; }
void MemoryCodeModule::ClearDirty() { impl_->dirty = false; }
void MemoryCodeModule::SetName(std::string name) { impl_->name = std::move(name); }
std::string MemoryCodeModule::Name() const { return impl_->name; }

VBComponent& MemoryCodeModule::Parent() {
  if (!impl_->parent) throw HostError(91, "Object variable or With block variable not set");
  return *impl_->parent;
}

CodePane& MemoryCodeModule::Pane() { return *impl_->pane; }

std::string MemoryCodeModule::Lines(long first, long count) const {
  long n = impl_->Count();
  if (count < 0 || first < 1 || first + count - 1 > n || first > n + 1) ThrowSubscript();
  std::string text;
  for (long line = first; line < first + count; ++line) {
    if (line > first) text += "\r\n";
    text += impl_->TextOf(line);
  }
  return text;
}

std::string_view MemoryCodeModule::Line(long line) const {
  if (line < 1 || line > impl_->Count()) ThrowSubscript();
  return impl_->TextOf(line);
}

long MemoryCodeModule::CountOfLines() const { return impl_->Count(); }
long MemoryCodeModule::CountOfDeclarationLines() const { return impl_->declaration_lines; }

void MemoryCodeModule::InsertLines(long line, std::string_view text) {
  if (line < 1 || line > impl_->Count() + 1) ThrowSubscript();
  impl_->split.Split(text);
  impl_->Edit(line, 0, impl_->split, false);
}

void MemoryCodeModule::DeleteLines(long first, long count) {
  if (count < 0 || first < 1 || first + count - 1 > impl_->Count()) ThrowSubscript();
  if (count == 0) return;
  impl_->split.Clear();
  impl_->Edit(first, count, impl_->split, false);
}

void MemoryCodeModule::ReplaceLine(long line, std::string_view text) {
  if (line < 1 || line > impl_->Count()) ThrowSubscript();
  impl_->split.Split(text);
  impl_->Edit(line, 1, impl_->split, true);
}

std::string MemoryCodeModule::ProcOfLine(long line, ProcKind& kind) const {
  if (line < 1 || line > impl_->Count()) ThrowSubscript();
  kind = ProcKind::Proc;
  // The last procedure starting at or above the line.
  std::size_t low = 0, high = impl_->ProcCount();
  while (low < high) {
    std::size_t mid = (low + high) / 2;
    if (impl_->Start(impl_->ProcAt(mid)) <= line)
      low = mid + 1;
    else
      high = mid;
  }
  if (low == 0) return "";
  int id = impl_->ProcAt(low - 1);
  if (line > impl_->End(id)) return "";
  kind = impl_->procs[id].kind;
  return impl_->procs[id].name;
}

long MemoryCodeModule::ProcStartLine(std::string_view name, ProcKind kind) const {
  return impl_->Start(impl_->Find(name, kind));
}

long MemoryCodeModule::ProcBodyLine(std::string_view name, ProcKind kind) const {
  return impl_->Body(impl_->Find(name, kind));
}

long MemoryCodeModule::ProcCountLines(std::string_view name, ProcKind kind) const {
  int id = impl_->Find(name, kind);
  return impl_->End(id) - impl_->Start(id) + 1;
}

std::string MemoryCodeModule::Impl::DescriptionOf(std::string_view member, long first, long last) const {
  for (long line = first; line <= last; ++line) {
    for (const RawLine& hidden : At(line).hidden) {
      WordReader reader(hidden.text);
      if (!EqualsNoCase(reader.Word(), "Attribute")) continue;
      reader.SkipBlanks();
      if (!EqualsNoCase(reader.Word(), member) || reader.Peek() != '.') continue;
      reader.Skip(1);
      if (!IsAnyOf(reader.Word(), {"VB_Description", "VB_VarDescription"})) continue;
      std::string_view text = hidden.text;
      std::size_t open = text.find('"', reader.Pos());
      std::size_t close = text.rfind('"');
      if (open == std::string_view::npos || close <= open) return "";
      std::string value;
      std::string_view quoted = text.substr(open + 1, close - open - 1);
      for (std::size_t i = 0; i < quoted.size(); ++i) {
        value += quoted[i];
        if (quoted[i] == '"' && i + 1 < quoted.size() && quoted[i + 1] == '"') ++i;
      }
      return value;
    }
  }
  return "";
}

// Variables, constants and events of the declarations section, read as well as a line
// scan allows; Type and Enum blocks and Declare statements are not members.
void MemoryCodeModule::Impl::AddModuleLevelMembers(std::vector<Member>& members) const {
  std::string block_end;
  for (long line = 1; line <= declaration_lines; ++line) {
    long first = line;
    std::string text(TextOf(line));
    while (IsContinued(TextOf(line)) && line < declaration_lines)
      text = std::string(WithoutContinuation(text)) + " " + std::string(TextOf(++line));
    LineKind kind = ClassifyLine(text).kind;
    if (kind == LineKind::Blank || kind == LineKind::Comment) continue;
    WordReader reader(text);
    std::string_view word = reader.Word();
    if (!block_end.empty()) {
      if (EqualsNoCase(word, "End") && EqualsNoCase(reader.NextWord(), block_end)) block_end.clear();
      continue;
    }
    std::string scope = "Private";
    bool scoped = IsAnyOf(word, {"Public", "Global", "Private", "Dim"});
    if (IsAnyOf(word, {"Public", "Global"})) scope = "Public";
    std::size_t names_at = reader.Pos();
    if (scoped && !EqualsNoCase(word, "Dim")) {
      reader.SkipBlanks();
      names_at = reader.Pos();
      word = reader.Word();
    } else if (scoped) {
      word = {};
    }
    MemberType type = MemberType::Variable;
    if (IsAnyOf(word, {"Type", "Enum"})) {
      block_end = std::string(word);
      continue;
    }
    if (EqualsNoCase(word, "Const")) {
      type = MemberType::Const;
      names_at = reader.Pos();
    } else if (EqualsNoCase(word, "Event")) {
      type = MemberType::Event;
      if (!scoped) scope = "Public";
      names_at = reader.Pos();
    } else if (!scoped || IsAnyOf(word, {"Declare", "Sub", "Function", "Property", "Static", "Implements"})) {
      continue;
    }
    reader.SetPos(names_at);
    // The names: comma-separated, each possibly preceded by WithEvents.
    BasicLexer lexer(std::string_view(text).substr(reader.Pos()));
    int depth = 0;
    bool at_name = true;
    for (Token token; lexer.Next(token) && token.kind != TokenKind::Comment;) {
      if (token.kind == TokenKind::Symbol) {
        depth += token.text == "(" ? 1 : token.text == ")" ? -1 : 0;
        at_name = at_name || (token.text == "," && depth == 0);
      }
      if (!at_name || token.kind != TokenKind::Word || token.Is(TokenKind::Word, "WithEvents")) continue;
      at_name = false;
      const std::string_view name = token.Name();
      members.push_back(
          Member{std::string(name), type, scope, DescriptionOf(name, first, line), static_cast<long>(first)});
      if (type == MemberType::Event) break;
    }
  }
}

std::vector<Member> MemoryCodeModule::Members() const {
  std::vector<Member> members;
  impl_->AddModuleLevelMembers(members);
  std::unordered_map<std::string, std::size_t> properties;
  for (std::size_t i = 0; i < impl_->ProcCount(); ++i) {
    int id = impl_->ProcAt(i);
    const Impl::Proc& proc = impl_->procs[id];
    bool property = proc.kind != ProcKind::Proc;
    if (property && properties.count(cp1252::Upper(proc.name))) continue;
    long last = 0;
    std::string declaration = impl_->DeclarationText(id, &last);
    WordReader reader(declaration);
    SkipLineLabel(reader);
    std::string_view first_word = reader.Word();
    std::string scope = IsAnyOf(first_word, {"Private", "Friend", "Public"}) ? std::string(first_word) : "Public";
    scope[0] = cp1252::ToUpper(scope[0]);
    for (std::size_t c = 1; c < scope.size(); ++c) scope[c] = cp1252::ToLower(scope[c]);
    long body = impl_->Body(id);
    if (property) properties.emplace(cp1252::Upper(proc.name), members.size());
    members.push_back(Member{proc.name, property ? MemberType::Property : MemberType::Method, scope,
                             impl_->DescriptionOf(proc.name, body, last), body});
  }
  return members;
}

bool MemoryCodeModule::Find(std::string_view target, long& start_line, long& start_column, long& end_line,
                            long& end_column, bool whole_word, bool match_case, bool pattern_search) const {
  long n = impl_->Count();
  if (target.empty() || n == 0 || start_line < 1 || start_line > n) return false;
  long last_line = end_line < 0 || end_line > n ? n : end_line;
  std::optional<LikePattern> pattern;
  if (pattern_search) pattern.emplace(target, match_case);
  for (long line = start_line; line <= last_line; ++line) {
    std::string_view text = impl_->TextOf(line);
    std::size_t from = line == start_line ? static_cast<std::size_t>(std::max(1L, start_column) - 1) : 0;
    std::size_t to = text.size();
    if (line == last_line && end_column >= 1) to = std::min(to, static_cast<std::size_t>(end_column - 1));
    std::string_view window = text.substr(0, to);
    for (std::size_t pos = from; pos < window.size(); ++pos) {
      long length = -1;
      if (pattern) {
        length = pattern->LongestAt(window, pos);
      } else {
        pos = match_case ? window.find(target, pos) : cp1252::FindNoCase(window, target, pos);
        if (pos == std::string_view::npos) break;
        length = static_cast<long>(target.size());
      }
      if (length <= 0) continue;
      std::size_t after = pos + static_cast<std::size_t>(length);
      if (whole_word && ((pos > 0 && IsWordChar(text[pos - 1])) || (after < text.size() && IsWordChar(text[after]))))
        continue;
      start_line = end_line = line;
      start_column = static_cast<long>(pos) + 1;
      end_column = static_cast<long>(after) + 1;
      return true;
    }
  }
  return false;
}

std::string MemoryCodeModule::CheckConsistency() const {
  std::vector<ScannedProc> expected;
  long declarations = ScanProcedures(
      impl_->Count(), [this](long line) { return impl_->TextOf(line); }, 1, false,
      [&](ScannedProc&& p) {
        expected.push_back(std::move(p));
        return false;
      });
  auto describe = [](std::string_view name, ProcKind kind, long start, long body, long end) {
    return std::string(name) + "/" + std::to_string(static_cast<int>(kind)) + " " + std::to_string(start) + "-" +
           std::to_string(body) + "-" + std::to_string(end);
  };
  if (declarations != impl_->declaration_lines)
    return "declaration lines " + std::to_string(impl_->declaration_lines) + ", expected " +
           std::to_string(declarations);
  if (expected.size() != impl_->ProcCount())
    return std::to_string(impl_->ProcCount()) + " procedures, expected " + std::to_string(expected.size());
  std::size_t keyed = 0;
  for (const auto& [key, ids] : impl_->by_key) keyed += ids.size();
  if (keyed != expected.size()) return "name index holds " + std::to_string(keyed) + " procedures";
  for (std::size_t i = 0; i < expected.size(); ++i) {
    int id = impl_->ProcAt(i);
    const Impl::Proc& have = impl_->procs[id];
    const ScannedProc& want = expected[i];
    std::string got = describe(have.name, have.kind, impl_->Start(id), impl_->Body(id), impl_->End(id));
    std::string wanted = describe(want.name, want.kind, want.start, want.body, want.end);
    if (got != wanted || have.closed_by_end != want.closed_by_end)
      return "procedure " + std::to_string(i + 1) + " is " + got + ", expected " + wanted;
    auto found = impl_->by_key.find(have.key);
    if (have.key != KeyOf(have.name, have.kind) || found == impl_->by_key.end() ||
        std::find(found->second.begin(), found->second.end(), id) == found->second.end())
      return "procedure " + got + " missing from the name index";
  }
  return "";
}

}  // namespace gildex::host
