// Line numbers: Basic's numeric line labels put in front of the statements of a module, so that
// an error handler can report Erl, and taken off again. A number is only ever recognised at
// column 1, and a line that cannot carry a label (declarations, continuations, the first Case
// below a Select Case, labels, directives) is never given one.
//
// NumberModule only replaces lines, never inserts or deletes them, so it works out every new
// line first and writes them only when none of them passes VB6's limit of 1,023 characters: a
// module VB6 would refuse to load is worse than a module without numbers.
#include "engine/numbering.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/nembus_common.h"
#include "engine/insertion.h"
#include "engine/template_tag.h"
#include "platform/cp1252.h"

namespace gildex::passes {

namespace {

constexpr std::size_t kMaxLineLength = 1023;
constexpr std::int64_t kMaxLineNumber = std::numeric_limits<std::int32_t>::max();

constexpr std::string_view kNeverNumbered[] = {"Private",      "Public",  "Friend",       "Global", "Option",
                                               "Const",        "Declare", "Property",     "Type",   "End Type",
                                               "End Function", "End Sub", "End Property", "#"};

bool IsBlank(std::string_view text) { return TrimSpaces(text).empty(); }

bool EndsWith(std::string_view text, char c) { return !text.empty() && text.back() == c; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// GetField(line, " ", 1) without its copy: the line up to the first space after its first
// character, trimmed.
std::string_view FirstField(std::string_view line) { return TrimSpaces(line.substr(0, line.find(' ', 1))); }

std::string DescriptionOf(const std::exception& error) {
  if (const auto* vb = dynamic_cast<const VbError*>(&error)) return vb->Description();
  return error.what();
}

// One run of NumberModule: reads the range once and works out each new line.
class NumberingPass {
 public:
  NumberingPass(PassContext& pass, host::CodeModule& module, Progress& progress, platform::MessageLoop& loop,
                LineRange range)
      : pass_(pass),
        module_(module),
        progress_(progress),
        loop_(loop),
        range_(range),
        delimiter_(pass.settings.LineDelimiter()) {
    ResetCounter();
  }

  // Plans the lines from `line` on; false when the user cancelled before the procedure there.
  bool Plan(long& line);
  const std::vector<PlannedLine>& Planned() const { return planned_; }

 private:
  void ResetCounter() {
    // With no start line of its own the first number is the increment: a 0 would read as
    // "On Error GoTo 0" to anyone looking for the line.
    const std::int32_t start = pass_.settings.StartLine();
    counter_ = start > 0 ? std::int64_t{start} - pass_.settings.LineIncrement() : 0;
  }
  void EnterProcedure(const std::string& name, host::ProcKind kind, long line);
  bool HasEndLine(const std::string& name, host::ProcKind kind);
  // The last line of the procedure `name` holding `line`, or `line` when that is unclear.
  long LastLineOf(const std::string& name, host::ProcKind kind, long line);

  PassContext& pass_;
  host::CodeModule& module_;
  Progress& progress_;
  platform::MessageLoop& loop_;
  LineRange range_;
  const std::string delimiter_;
  std::vector<PlannedLine> planned_;
  std::int64_t counter_ = 0;
  std::string proc_name_;
  long proc_last_ = 0;  // lines up to here belong to proc_name_
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
  while (first < count && IsBlank(module_.Line(first))) ++first;
  if (pass_.settings.ResetLines()) {
    ResetCounter();
    previous_.clear();
    handled_.clear();
  }
  // The filter answers the same for every line of a procedure; asking once keeps a skipped
  // procedure to one note in the status list.
  // A declaration continued with "_" carries the template tag on its last line.
  const long declaration_end = LastDeclarationLine(module_, first);
  skip_proc_ = passes::FailRestrictions(pass_, "", name, module_.Lines(first, declaration_end - first + 1));
  if (!skip_proc_ && !name.empty() && !HasEndLine(name, kind)) {
    // A truncated file: numbers would run into whatever the missing End was to close.
    progress_.AddStatus(PassContext::NoEndLineStatus(name, module_.Name()));
    skip_proc_ = true;
  }
}

bool NumberingPass::HasEndLine(const std::string& name, host::ProcKind kind) {
  // From the bottom, where the End line nearly always is.
  for (long line = module_.ProcStartLine(name, kind) + module_.ProcCountLines(name, kind) - 1; line > body_line_; --line)
    if (pass_.IsEndProc(module_.Line(line))) return true;
  return false;
}

long NumberingPass::LastLineOf(const std::string& name, host::ProcKind kind, long line) {
  if (name.empty()) return line;
  try {
    const long start = module_.ProcStartLine(name, kind);
    const long last = start + module_.ProcCountLines(name, kind) - 1;
    // Another procedure of the same name answers for it: ask again at every line.
    return start <= line && line <= last ? last : line;
  } catch (const host::HostError&) {
    return line;
  }
}

bool NumberingPass::Plan(long& line) {
  if (line > proc_last_) {
    host::ProcKind kind = host::ProcKind::Proc;
    const std::string name = pass_.ProcAtLine(module_, line, kind);
    if (name != proc_name_) {
      // A cancel is honoured between procedures only, so each one is numbered whole or not at all.
      loop_.DoEvents();
      if (pass_.run.cancel) return false;
      EnterProcedure(name, kind, line);
    }
    // Down to there the host would give the same name: no need to ask it line by line.
    proc_last_ = LastLineOf(name, kind, line);
  }
  const std::string& name = proc_name_;
  if (line % 20 == 0) progress_.SetValue(static_cast<std::int32_t>(line));
  if (skip_proc_) return true;

  if (!IsBlank(handled_) && TrimSpaces(handled_).front() != '\'') previous_ = handled_;
  // Views into the module: nothing edits it until every line is planned.
  std::string_view original = module_.Line(line);
  std::string_view text = passes::RemoveLineNumber(pass_, original);
  // Comment lines that start with "' " are notes, never statements: they keep whatever they hold.
  while (pass_.MatchFirstToken(text, "'") && line < range_.last) {
    loop_.DoEvents();
    ++line;
    original = module_.Line(line);
    text = passes::RemoveLineNumber(pass_, original);
  }
  handled_ = text;
  if (name.empty() || line <= body_line_) return true;
  if (pass_.MatchFirstToken(text, "'")) return true;
  if (!passes::ValidLineForNumbering(pass_, previous_, text)) return true;
  counter_ += pass_.settings.LineIncrement();
  if (counter_ > kMaxLineNumber) throw VbError(6, "Overflow");
  std::string numbered = std::to_string(counter_);
  numbered += delimiter_;
  numbered += text;
  if (numbered != original) planned_.push_back({line, std::move(numbered)});
  return true;
}

}  // namespace

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
    if (IsDigit(text[at]))
      ++digits;
    else if (text[at] == '.' && !point)
      point = true;
    else
      break;
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

LineRange RangeOf(host::CodeModule& module, bool selection_only) {
  if (selection_only) {
    const host::Selection selection = module.Pane().GetSelection();
    return {selection.start_line, selection.end_line};
  }
  return {module.CountOfDeclarationLines() + 1, module.CountOfLines()};
}

bool ValidLineForNumbering(PassContext& pass, std::string_view previous_line, std::string_view line) {
  return pass.report.Trap("CGildex.ValidLineForNumbering", false, [&] {
    const std::string_view trimmed = TrimSpaces(line);
    if (trimmed.empty() && !pass.settings.NumberBlankLines()) return false;
    if (!trimmed.empty() && trimmed.front() == '\'' && !pass.settings.NumberCommentLines()) return false;
    if (EndsWith(TrimSpaces(previous_line), '_')) return false;
    if (EndsWith(trimmed, '_') && !pass.MatchFirstToken(line, "If")) return false;
    if (EndsWith(trimmed, ':')) return false;
    if (pass.MatchFirstToken(line, "Dim")) return pass.settings.NumberDims();
    if (pass.MatchFirstToken(line, "Sub") || pass.MatchFirstToken(line, "Function")) return false;
    // The first line below "Select Case" is its first Case: Basic allows no label there.
    if (cp1252::FindNoCase(previous_line, "Select Case") != std::string::npos) return false;
    // A token can only match where its first letter is the line's first non-space character;
    // the others (all of them ASCII, none starting with a space) need no call.
    const auto ascii_lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    const std::size_t first = line.find_first_not_of(' ');
    for (std::string_view token : kNeverNumbered)
      if (first != std::string_view::npos && ascii_lower(line[first]) == ascii_lower(token.front()) &&
          pass.MatchFirstToken(line, token))
        return false;
    if (!trimmed.empty() && trimmed.front() == '#') return false;
    const std::string_view word = FirstField(line);
    if (word.empty()) return true;
    if (EndsWith(word, ':')) return false;
    return !IsNumeric(word);
  });
}

void NumberModule(PassContext& pass, host::CodeModule& module, bool selection_only) {
  pass.run.cancel = false;
  const auto note = [&](const std::exception& error) {
    pass.Out().AddStatus(DescriptionOf(error) + " in NumberModule");
  };
  LineRange range;
  try {
    range = RangeOf(module, selection_only);
    pass.Out().SetProgressBar(true);
    pass.Out().SetMax(static_cast<std::int32_t>(range.last));
    if (std::int64_t{pass.settings.LineIncrement()} * module.CountOfLines() > kMaxLineNumber)
      pass.settings.ResetLines(true);
  } catch (const std::exception& error) {
    note(error);
    pass.Out().SetProgressBar(false);
    return;
  }

  NumberingPass numbering(pass, module, pass.Out(), pass.services.loop, range);
  for (long line = range.first; line <= range.last; ++line) {
    try {
      if (!numbering.Plan(line)) break;
    } catch (const std::exception& error) {
      note(error);
    }
  }

  const std::string name = module.Name();
  for (const PlannedLine& planned : numbering.Planned()) {
    if (planned.text.size() > kMaxLineLength) {
      pass.Out().AddStatus(name + " line " + std::to_string(planned.line) +
                           ": its line number would make the line longer than 1,023 characters, more than VB6 "
                           "allows; " +
                           name + " left as it was.");
      pass.Out().SetProgressBar(false);
      return;
    }
  }
  for (const PlannedLine& planned : numbering.Planned()) {
    try {
      module.ReplaceLine(planned.line, planned.text);
    } catch (const std::exception& error) {
      note(error);
    }
  }
  pass.run.tally.line_numbers += static_cast<long>(numbering.Planned().size());
  pass.Out().SetProgressBar(false);
}

}  // namespace gildex::passes
