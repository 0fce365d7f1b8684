// Line numbers: Basic's numeric line labels put in front of the statements of a module, so that
// an error handler can report Erl, and taken off again. A number is only ever recognised at
// column 1, and a line that cannot carry a label (declarations, continuations, the first Case
// below a Select Case, labels, directives) is never given one.
//
// NumberModule only replaces lines, never inserts or deletes them, so it works out every new
// line first and writes them only when none of them passes VB6's limit of 1,023 characters: a
// module VB6 would refuse to load is worse than a module without numbers.
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/nembus_common.h"
#include "engine/gildex.h"
#include "engine/template_tag.h"
#include "platform/cp1252.h"

namespace gildex {

namespace {

constexpr std::size_t kMaxLineLength = 1023;
constexpr std::int64_t kMaxLineNumber = std::numeric_limits<std::int32_t>::max();

constexpr std::string_view kNeverNumbered[] = {
    "Private", "Public", "Friend",  "Global",  "Option",       "Const",   "Declare",
    "Property", "Type", "End Type", "End Function", "End Sub", "End Property", "#"};

bool IsBlank(std::string_view text) { return TrimSpaces(text).empty(); }

bool EndsWith(std::string_view text, char c) { return !text.empty() && text.back() == c; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Basic's IsNumeric for the texts a line label can be: spaces around, an optional sign,
// digits with at most one decimal point, and an optional exponent (E or D, as Basic reads it).
// A tab does not count as a space, so a tab-indented line never loses text.
bool IsNumeric(std::string_view text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && text[begin] == ' ') ++begin;
  while (end > begin && text[end - 1] == ' ') --end;
  std::size_t at = begin;
  if (at < end && (text[at] == '+' || text[at] == '-')) ++at;
  std::size_t digits = 0;
  bool point = false;
  for (; at < end; ++at) {
    if (IsDigit(text[at])) ++digits;
    else if (text[at] == '.' && !point) point = true;
    else break;
  }
  if (digits == 0) return false;
  if (at < end && (text[at] == 'e' || text[at] == 'E' || text[at] == 'd' || text[at] == 'D')) {
    ++at;
    if (at < end && (text[at] == '+' || text[at] == '-')) ++at;
    const std::size_t exponent_start = at;
    while (at < end && IsDigit(text[at])) ++at;
    if (at == exponent_start) return false;
  }
  return at == end;
}

std::string DescriptionOf(const std::exception& error) {
  if (const auto* vb = dynamic_cast<const VbError*>(&error)) return vb->Description();
  return error.what();
}

struct LineRange {
  long first = 0;
  long last = 0;
};

LineRange RangeOf(host::CodeModule& module, bool selection_only) {
  if (selection_only) {
    const host::Selection selection = module.Pane().GetSelection();
    return {selection.start_line, selection.end_line};
  }
  return {module.CountOfDeclarationLines() + 1, module.CountOfLines()};
}

// A line that continues a statement carries no label, whatever it starts with. The rest of a
// continued comment line is still comment text, and numbering (which looks past comment lines
// for its previous line) may have numbered it: that number comes off.
bool ContinuesStatement(std::string_view above) {
  const std::string_view trimmed = TrimSpaces(above);
  return EndsWith(trimmed, '_') && trimmed.front() != '\'';
}

struct PlannedLine {
  long line;
  std::string text;
};

// One run of NumberModule: reads the range once and works out each new line.
class NumberingPass {
 public:
  NumberingPass(CGildex& gildex, host::CodeModule& module, Progress& progress, platform::MessageLoop& loop,
                LineRange range)
      : gildex_(gildex), module_(module), progress_(progress), loop_(loop), range_(range) {
    ResetCounter();
  }

  // Plans the lines from `line` on; false when the user cancelled before the procedure there.
  bool Plan(long& line);
  const std::vector<PlannedLine>& Planned() const { return planned_; }

 private:
  void ResetCounter() {
    // With no start line of its own the first number is the increment: a 0 would read as
    // "On Error GoTo 0" to anyone looking for the line.
    const std::int32_t start = gildex_.StartLine();
    counter_ = start > 0 ? std::int64_t{start} - gildex_.LineIncrement() : 0;
  }
  void EnterProcedure(const std::string& name, host::ProcKind kind, long line);
  bool HasEndLine(const std::string& name, host::ProcKind kind);

  CGildex& gildex_;
  host::CodeModule& module_;
  Progress& progress_;
  platform::MessageLoop& loop_;
  LineRange range_;
  std::vector<PlannedLine> planned_;
  std::int64_t counter_ = 0;
  std::string proc_name_;
  long body_line_ = 0;
  bool skip_proc_ = false;
  std::string previous_;
  std::string handled_;
};

void NumberingPass::EnterProcedure(const std::string& name, host::ProcKind kind, long line) {
  proc_name_ = name;
  // VB6 takes line numbers only inside a procedure's body: a number on a comment or blank
  // line above the declaration would make it a statement of the declarations section.
  body_line_ = name.empty() ? 0 : module_.ProcBodyLine(name, kind);
  long first = line;
  const long count = module_.CountOfLines();
  while (first < count && IsBlank(module_.Lines(first, 1))) ++first;
  if (gildex_.ResetLines()) {
    ResetCounter();
    previous_.clear();
    handled_.clear();
  }
  // The filter answers the same for every line of a procedure; asking once keeps a skipped
  // procedure to one note in the status list.
  // A declaration continued with "_" carries the template tag on its last line.
  const long declaration_end = LastDeclarationLine(module_, first);
  skip_proc_ = gildex_.FailRestrictions("", name, module_.Lines(first, declaration_end - first + 1));
  if (!skip_proc_ && !name.empty() && !HasEndLine(name, kind)) {
    // A truncated file: numbers would run into whatever the missing End was to close.
    progress_.AddStatus(CGildex::NoEndLineStatus(name, module_.Name()));
    skip_proc_ = true;
  }
}

bool NumberingPass::HasEndLine(const std::string& name, host::ProcKind kind) {
  // From the bottom, where the End line nearly always is.
  for (long line = module_.ProcStartLine(name, kind) + module_.ProcCountLines(name, kind) - 1; line > body_line_; --line)
    if (gildex_.IsEndProc(module_.Lines(line, 1))) return true;
  return false;
}

bool NumberingPass::Plan(long& line) {
  host::ProcKind kind = host::ProcKind::Proc;
  const std::string name = gildex_.ProcAtLine(module_, line, kind);
  if (name != proc_name_) {
    // A cancel is honoured between procedures only, so each one is numbered whole or not at all.
    loop_.DoEvents();
    if (gildex_.Cancel()) return false;
    EnterProcedure(name, kind, line);
  }
  if (line % 20 == 0) progress_.SetValue(static_cast<std::int32_t>(line));
  if (skip_proc_) return true;

  if (!IsBlank(handled_) && TrimSpaces(handled_).front() != '\'') previous_ = handled_;
  std::string original = module_.Lines(line, 1);
  std::string text = gildex_.RemoveLineNumber(original);
  // Comment lines that start with "' " are notes, never statements: they keep whatever they hold.
  while (gildex_.MatchFirstToken(text, "'") && line < range_.last) {
    loop_.DoEvents();
    ++line;
    original = module_.Lines(line, 1);
    text = gildex_.RemoveLineNumber(original);
  }
  handled_ = text;
  if (name.empty() || line <= body_line_) return true;
  if (gildex_.MatchFirstToken(text, "'")) return true;
  if (!gildex_.ValidLineForNumbering(previous_, text)) return true;
  counter_ += gildex_.LineIncrement();
  if (counter_ > kMaxLineNumber) throw VbError(6, "Overflow");
  std::string numbered = std::to_string(counter_) + gildex_.LineDelimiter() + text;
  if (numbered != original) planned_.push_back({line, std::move(numbered)});
  return true;
}

}  // namespace

bool CGildex::ValidLineForNumbering(const std::string& previous_line, const std::string& line) {
  return report_.Trap("CGildex.ValidLineForNumbering", false, [&] {
    const std::string_view trimmed = TrimSpaces(line);
    if (trimmed.empty() && !NumberBlankLines()) return false;
    if (!trimmed.empty() && trimmed.front() == '\'' && !NumberCommentLines()) return false;
    if (EndsWith(TrimSpaces(previous_line), '_')) return false;
    if (EndsWith(trimmed, '_') && !MatchFirstToken(line, "If")) return false;
    if (EndsWith(trimmed, ':')) return false;
    if (MatchFirstToken(line, "Dim")) return NumberDims();
    if (MatchFirstToken(line, "Sub") || MatchFirstToken(line, "Function")) return false;
    // The first line below "Select Case" is its first Case: Basic allows no label there.
    if (cp1252::FindNoCase(previous_line, "Select Case") != std::string::npos) return false;
    // A token can only match where its first letter is the line's first non-space character;
    // the others (all of them ASCII, none starting with a space) need no call.
    const auto ascii_lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    const std::size_t first = line.find_first_not_of(' ');
    for (std::string_view token : kNeverNumbered)
      if (first != std::string::npos && ascii_lower(line[first]) == ascii_lower(token.front()) &&
          MatchFirstToken(line, token))
        return false;
    if (!trimmed.empty() && trimmed.front() == '#') return false;
    const std::string word = GetField(line, " ", 1);
    if (word.empty()) return true;
    if (EndsWith(word, ':')) return false;
    return !IsNumeric(word);
  });
}

std::string CGildex::RemoveLineNumber(const std::string& line) {
  return report_.Trap("CGildex.RemoveLineNumber", line, [&]() -> std::string {
    if (IsBlank(std::string_view(line).substr(0, 1))) return line;
    // The number ends at the first delimiter; only its first character goes with the number,
    // so a two-character delimiter leaves its second character in front of the statement.
    const std::string delimiter = LineDelimiter();
    const std::size_t at = delimiter.empty() ? 0 : line.find(delimiter);
    if (at != std::string::npos && IsNumeric(std::string_view(line).substr(0, at))) return line.substr(at + 1);
    for (char separator : {':', ' '}) {
      const std::size_t found = line.find(separator);
      if (found != std::string::npos && IsNumeric(std::string_view(line).substr(0, found)))
        return line.substr(found + 1);
    }
    return line;
  });
}

void CGildex::NumberModule(host::CodeModule& module, bool selection_only) {
  run_.cancel = false;
  const auto note = [&](const std::exception& error) { progress_->AddStatus(DescriptionOf(error) + " in NumberModule"); };
  LineRange range;
  try {
    range = RangeOf(module, selection_only);
    progress_->SetProgressBar(true);
    progress_->SetMax(static_cast<std::int32_t>(range.last));
    if (std::int64_t{LineIncrement()} * module.CountOfLines() > kMaxLineNumber) ResetLines(true);
  } catch (const std::exception& error) {
    note(error);
    progress_->SetProgressBar(false);
    return;
  }

  NumberingPass pass(*this, module, *progress_, services_.loop, range);
  for (long line = range.first; line <= range.last; ++line) {
    try {
      if (!pass.Plan(line)) break;
    } catch (const std::exception& error) {
      note(error);
    }
  }

  const std::string name = module.Name();
  for (const PlannedLine& planned : pass.Planned()) {
    if (planned.text.size() > kMaxLineLength) {
      progress_->AddStatus(name + " line " + std::to_string(planned.line) +
                           ": its line number would make the line longer than 1,023 characters, more than VB6 "
                           "allows; " +
                           name + " left as it was.");
      progress_->SetProgressBar(false);
      return;
    }
  }
  for (const PlannedLine& planned : pass.Planned()) {
    try {
      module.ReplaceLine(planned.line, planned.text);
    } catch (const std::exception& error) {
      note(error);
    }
  }
  run_.tally.line_numbers += static_cast<long>(pass.Planned().size());
  progress_->SetProgressBar(false);
}

namespace {

// Taking every number off, the remove commands say how many of them no insert wrote: the
// numbering after an insert numbers every line of a procedure that can carry a number and no
// other, so a number elsewhere, or in a procedure where such a line goes without one, is the
// user's own. (Numbers of the user's that an insert renumbered can no longer be told apart.)
class UnNumberingPass {
 public:
  UnNumberingPass(CGildex& gildex, host::CodeModule& module) : gildex_(gildex), module_(module) {}

  // Reads `line` and notes what un-numbering it gives.
  void Read(long line);
  // Writes what Read noted; returns how many numbers went and how many of them no insert wrote.
  std::pair<long, long> Write();

 private:
  struct Line {
    long line;
    std::string stripped;
    bool numbered;       // carries a number now
    bool insert_writes;  // the numbering after an insert gives it one
  };
  void EndProcedure();
  // The declaration line of the procedure; below the module's end outside any.
  long BodyLine(const std::string& name, host::ProcKind kind) {
    if (name.empty()) return module_.CountOfLines() + 1;
    try {
      return module_.ProcBodyLine(name, kind);
    } catch (const host::HostError&) {
      return module_.CountOfLines() + 1;
    }
  }

  CGildex& gildex_;
  host::CodeModule& module_;
  std::vector<Line> procedure_;
  std::string procedure_key_;
  long body_line_ = 0;
  std::string previous_;
  std::optional<std::string> above_;  // the line above as un-numbering leaves it
  std::vector<PlannedLine> planned_;
  long foreign_ = 0;
};

void UnNumberingPass::Read(long line) {
  host::ProcKind kind = host::ProcKind::Proc;
  const std::string name = gildex_.ProcAtLine(module_, line, kind);
  const std::string key = name + "/" + std::to_string(static_cast<int>(kind));
  if (key != procedure_key_) {
    EndProcedure();
    procedure_key_ = key;
    body_line_ = BodyLine(name, kind);
    if (gildex_.ResetLines()) previous_.clear();
  }
  const std::string text = module_.Lines(line, 1);
  // What looks like a number at the start of a continuation is an operand ("10 + b").
  if (line > 1 && !above_) above_ = module_.Lines(line - 1, 1);
  std::string stripped = above_ && ContinuesStatement(*above_) ? text : gildex_.RemoveLineNumber(text);
  above_ = stripped;
  const bool numbered = stripped != text;
  const bool insert_writes = !gildex_.Numbering() && line > body_line_ && !gildex_.MatchFirstToken(stripped, "'") &&
                             gildex_.ValidLineForNumbering(previous_, stripped);
  const std::string_view trimmed = TrimSpaces(stripped);
  if (!trimmed.empty() && trimmed.front() != '\'') previous_ = stripped;
  procedure_.push_back({line, std::move(stripped), numbered, insert_writes});
}

void UnNumberingPass::EndProcedure() {
  bool whole = true;
  for (const Line& line : procedure_) whole &= line.numbered || !line.insert_writes;
  for (Line& line : procedure_) {
    if (!line.numbered) continue;
    if (!whole || !line.insert_writes) ++foreign_;
    planned_.push_back({line.line, std::move(line.stripped)});
  }
  procedure_.clear();
}

std::pair<long, long> UnNumberingPass::Write() {
  EndProcedure();
  for (const PlannedLine& planned : planned_) module_.ReplaceLine(planned.line, planned.text);
  return {static_cast<long>(planned_.size()), foreign_};
}

}  // namespace

void CGildex::UnNumberModule(host::CodeModule& module, bool selection_only) {
  report_.Trap("CGildex.UnNumberModule", [&] {
    const LineRange range = RangeOf(module, selection_only);
    UnNumberingPass pass(*this, module);
    for (long line = range.first; line <= range.last; ++line) pass.Read(line);
    const auto [removed, foreign] = pass.Write();
    run_.tally.line_numbers += removed;
    run_.tally.foreign_line_numbers += foreign;
  });
}

}  // namespace gildex
