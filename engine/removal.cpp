// Taking inserted error handling out again: the header and footer blocks (found by their
// marker lines, or, when they were written without markers, by the current template's own
// text or by its lines with each variable standing for what it was filled in with), the
// logging lines, and the handler statements the body pass pointed at the procedure's handler,
// which go back to "On Error Goto 0".
//
// Without a marker, a block is only taken out where it stands exactly: the header right at
// the top of the body, the footer right above the End line, and the separator line next to it
// only when it is what insertion put there. A blank template block matches nothing, so a run
// without a template loaded never deletes a user's lines. Without a start marker a
// procedure's blocks go whole or not at all: both blocks the template has must be found, or
// the procedure is left exactly as it is, so an error handler the user wrote, or one changed
// by hand, is never half taken apart. Finding a block by its lines with wildcards is looser
// than by its stored text, so there its empty separator must be found too.
#include "engine/removal.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/nembus_common.h"
#include "engine/numbering.h"
#include "engine/template_line.h"
#include "platform/cp1252.h"

namespace gildex::passes {

namespace {

constexpr std::string_view kLogMarker = "'gildexlog";
constexpr std::string_view kResetStatement = "On Error Goto 0";

bool Contains(std::string_view text, std::string_view part) {
  return cp1252::FindNoCase(text, part) != std::string_view::npos;
}

bool IsBlank(std::string_view text) { return TrimSpaces(text).empty(); }

// AutoExit writes its exit line with a tab in front.
std::string_view TrimBlanks(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

bool IsBlankBlock(std::string_view text) { return text.find_first_not_of(" \t\r\n") == std::string_view::npos; }

bool IsLoggingLine(std::string_view text) {
  return text.size() >= kLogMarker.size() && text.substr(text.size() - kLogMarker.size()) == kLogMarker;
}

// A template block as the host holds it once inserted: lines joined with CR LF, however the
// template file ended its lines.
std::string AsModuleText(std::string_view block) {
  std::string out;
  out.reserve(block.size());
  for (std::size_t i = 0; i < block.size(); ++i) {
    if (block[i] == '\r') {
      out += "\r\n";
      if (i + 1 < block.size() && block[i + 1] == '\n') ++i;
    } else if (block[i] == '\n') {
      out += "\r\n";
    } else {
      out += block[i];
    }
  }
  return out;
}

// Whether the `count` lines from `first` are the block, letter case aside.
bool BlockStandsAt(const host::CodeModule& module, long first, long count, std::string_view block) {
  if (first < 1 || count < 1 || first + count - 1 > module.CountOfLines()) return false;
  return cp1252::EqualsNoCase(module.Lines(first, count), block);
}

// The lines of a template block as the host holds them once inserted.
std::vector<std::string> BlockLines(std::string_view block) {
  const std::string text = AsModuleText(block);
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", start)) {
    lines.push_back(text.substr(start, at - start));
    start = at + 2;
  }
  lines.push_back(text.substr(start));
  return lines;
}

// A line as the template wrote it: the numbering pass that follows an insert puts a number
// in front of most of the block's lines.
std::string Unnumbered(PassContext& pass, const host::CodeModule& module, long line) {
  return std::string(passes::RemoveLineNumber(pass, module.Line(line)));
}

// Whether the template's lines stand one for one from `first`, variables matching anything.
bool TemplateLinesStandAt(PassContext& pass, const host::CodeModule& module, long first,
                          const std::vector<std::string>& lines) {
  const long count = static_cast<long>(lines.size());
  if (first < 1 || first + count - 1 > module.CountOfLines()) return false;
  for (long i = 0; i < count; ++i)
    if (!MatchesTemplateLine(lines[static_cast<std::size_t>(i)], Unnumbered(pass, module, first + i))) return false;
  return true;
}

// Inserted lines found in a procedure; none found when `count` is 0.
struct Block {
  long first = 0;
  long count = 0;
  bool marked = false;  // found by its marker line
};

// The header and its separator at `top`: down to the start marker, else the template's
// stored text, else its lines with wildcards followed by the empty separator.
Block FindHeader(PassContext& pass, const host::CodeModule& module, long top, long last) {
  const std::string marker = pass.settings.CodeBodyStart();
  const long bottom = std::min(last, module.CountOfLines());
  for (long line = top; line <= bottom; ++line)
    if (Contains(module.Lines(line, 1), marker)) return {top, line - top + 1, true};
  const std::string code = pass.blocks.header;
  if (IsBlankBlock(code)) return {};
  const std::string header = AsModuleText(code);
  const long header_lines = LineCount(header);
  const long separator = top + header_lines;
  if (BlockStandsAt(module, top, header_lines, header)) {
    // The separator below a header written without a marker is an empty line; a line the
    // user wrote there stays.
    const bool with_separator = separator <= last && IsBlank(module.Lines(separator, 1));
    return {top, header_lines + (with_separator ? 1 : 0)};
  }
  if (separator <= last && TemplateLinesStandAt(pass, module, top, BlockLines(code)) &&
      IsBlank(Unnumbered(pass, module, separator)))
    return {top, header_lines + 1};
  return {};
}

// The footer above the End line `end`, with what stands above it: up from the end marker,
// else the template's stored text, else its lines with wildcards below the empty separator
// (and the exit line, when AutoExit wrote one).
Block FindFooter(PassContext& pass, const host::CodeModule& module, int type_code, std::string_view declaration,
                 long top, long end) {
  const std::string marker = pass.settings.CodeBodyEnd();
  for (long line = end; line >= top && line >= 1; --line)
    if (Contains(module.Lines(line, 1), marker)) return {line, end - line, true};
  const std::string code = pass.blocks.footer;
  if (IsBlankBlock(code)) return {};
  const std::string footer = AsModuleText(code);
  const long footer_lines = LineCount(footer);
  const long first = end - footer_lines;
  if (first < top) return {};
  const auto is_exit_line = [&](std::string_view text) {
    return cp1252::EqualsNoCase(TrimBlanks(text), "Exit " + pass.ProcTypeString(type_code, declaration));
  };
  long above = first - 1;
  if (BlockStandsAt(module, first, footer_lines, footer)) {
    // Above a footer written without a marker stands the empty separator, or the exit line
    // when AutoExit put one in; any other line is the user's.
    bool with_above = false;
    if (above >= top) {
      const std::string text = module.Lines(above, 1);
      with_above = IsBlank(text) || is_exit_line(text);
    }
    return with_above ? Block{above, footer_lines + 1} : Block{first, footer_lines};
  }
  if (!TemplateLinesStandAt(pass, module, first, BlockLines(code))) return {};
  if (above >= top && is_exit_line(Unnumbered(pass, module, above))) --above;
  if (above < top || !IsBlank(Unnumbered(pass, module, above))) return {};
  return {above, end - above};
}

struct ProcLines {
  long body = 0;
  long last = 0;
};

// Removal in one procedure.
class ProcedureRemoval {
 public:
  ProcedureRemoval(PassContext& pass, host::CodeModule& module, std::string name, ProcLines lines)
      : pass_(pass), module_(module), name_(std::move(name)), body_(lines.body), last_(lines.last) {}

  struct Outcome {
    long next = 0;           // the line below the procedure
    bool unmatched = false;  // it begins with an error statement, but its blocks are not the template's
  };
  Outcome Run();
  // The top of the body when the procedure begins with blocks of the template, else 0;
  // `unmatched` when it begins with an error statement that is not the template's.
  long InsertedTop(bool& unmatched) const;

 private:
  long TopOfBody() const;
  long EndLine(long from) const;
  bool BlocksFound(long top, int type_code) const;
  std::string Line(long line) const { return module_.Lines(line, 1); }

  PassContext& pass_;
  host::CodeModule& module_;
  std::string name_;
  long body_;
  long last_;
};

long ProcedureRemoval::TopOfBody() const {
  long top = body_ + 1;
  while (top <= last_ && !TrimSpaces(Line(top - 1)).empty() && TrimSpaces(Line(top - 1)).back() == '_') ++top;
  while (top <= last_ && pass_.IsDeclarationLine(Line(top))) ++top;
  if (pass_.settings.HeaderAfterComments())
    while (top <= last_ && pass_.MatchFirstToken(Line(top), "'")) ++top;
  return top;
}

long ProcedureRemoval::EndLine(long from) const {
  for (long line = from; line <= last_; ++line)
    if (pass_.IsEndProc(Line(line))) return line;
  return 0;
}

// Marked blocks are taken out one by one, as they are found. Without a start marker both
// blocks the template has must be found before anything goes.
bool ProcedureRemoval::BlocksFound(long top, int type_code) const {
  const Block header = FindHeader(pass_, module_, top, last_);
  if (header.marked) return true;
  if (header.count == 0) return false;
  if (IsBlankBlock(pass_.blocks.footer)) return true;
  const long end = EndLine(top + header.count);
  return end != 0 && FindFooter(pass_, module_, type_code, Line(body_), top + header.count, end).count > 0;
}

long ProcedureRemoval::InsertedTop(bool& unmatched) const {
  unmatched = false;
  if (last_ - body_ < 2) return 0;
  const long top = TopOfBody();
  if (top > last_) return 0;
  // Inserted code always begins with the template's error statement; anything else is the
  // user's own code, whatever markers it carries further down.
  const std::string first = Line(top);
  if (!Contains(first, "On Error") && !Contains(first, "On Local Error")) return 0;
  unmatched = !BlocksFound(top, pass_.ProcType(module_, body_));
  return unmatched ? 0 : top;
}

ProcedureRemoval::Outcome ProcedureRemoval::Run() {
  bool unmatched = false;
  const long top = InsertedTop(unmatched);
  if (top == 0) return {last_ + 1, unmatched};
  const int type_code = pass_.ProcType(module_, body_);

  last_ -= passes::RemoveTopOfProcErrorCode(pass_, module_, name_, top, last_);
  const long before = module_.CountOfLines();
  passes::RestoreBodyLines(pass_, module_, name_, top, last_);
  last_ -= before - module_.CountOfLines();

  long end = EndLine(top);
  if (end == 0) return {last_ + 1};
  const long removed = passes::RemoveBottomOfProcErrorCode(pass_, module_, name_, type_code, top, end, Line(body_));
  end -= removed;
  last_ -= removed;
  return {end + 1};
}

}  // namespace

void RemoveModule(PassContext& pass, host::CodeModule& module, bool selection_only) {
  pass.run.cancel = false;
  const TrailingBlankLines aside = pass.SetAsideTrailingBlankLines(module);
  long line = module.CountOfDeclarationLines() + 1;
  long selection_end = 0;
  if (selection_only) {
    const host::Selection selection = module.Pane().GetSelection();
    line = selection.start_line;
    while (line <= module.CountOfLines()) {
      const std::string text = module.Lines(line, 1);
      if (IsBlank(text) || !pass.IsStartProc(text)) break;
      ++line;
    }
    selection_end = selection.end_line;
  }
  const auto in_range = [&] { return line <= module.CountOfLines() && (!selection_only || line < selection_end); };
  while (in_range()) {
    host::ProcKind kind = host::ProcKind::Proc;
    const std::string name = pass.ProcAtLine(module, line, kind);
    if (name.empty()) {
      ++line;
      continue;
    }
    ProcLines lines;
    long start = 0;
    try {
      start = module.ProcStartLine(name, kind);
      lines.body = module.ProcBodyLine(name, kind);
      lines.last = start + module.ProcCountLines(name, kind) - 1;
    } catch (const host::HostError&) {
      // A procedure whose kind the host does not confirm is passed over.
      ++line;
      continue;
    }
    pass.Out().SetMessageText("Processing " + module.Name() + " (" + name + ")");
    const long count_before = module.CountOfLines();
    const ProcedureRemoval::Outcome outcome = ProcedureRemoval(pass, module, name, lines).Run();
    const long next = outcome.next;
    if (outcome.unmatched)
      pass.Out().AddStatus(name + " in " + module.Name() +
                           " left as it was: its error handling does not match the template " +
                           pass.settings.DefaultTemplate() + ".");
    ++(module.CountOfLines() != count_before ? pass.run.tally.changed : pass.run.tally.already_handled);
    selection_end -= count_before - module.CountOfLines();
    // The walk only moves down, so a host answer pointing above the current line cannot loop.
    line = next > line ? next : line + 1;
    pass.services.loop.DoEvents();
    if (pass.run.cancel) break;
  }
  pass.PutBackTrailingBlankLines(module, aside);
}

bool HoldsTemplateBlocks(PassContext& pass, host::CodeModule& module, long body, long last) {
  bool unmatched = false;
  return ProcedureRemoval(pass, module, "", {body, last}).InsertedTop(unmatched) != 0;
}

long RemoveTopOfProcErrorCode(PassContext& pass, host::CodeModule& module, const std::string& proc_name, long top_line,
                              long last_line) {
  (void)proc_name;
  return pass.report.Trap("CGildex.RemoveTopOfProcErrorCode", 0L, [&]() -> long {
    const Block header = FindHeader(pass, module, top_line, last_line);
    if (header.count > 0) module.DeleteLines(header.first, header.count);
    return header.count;
  });
}

void RestoreBodyLines(PassContext& /*pass*/, host::CodeModule& module, const std::string& proc_name, long top_line,
                      long last_line) {
  const std::string handler = "On Error Goto " + proc_name + "_ErrorHandler";
  for (long line = top_line; line < last_line;) {
    const std::string text = module.Lines(line, 1);
    if (IsLoggingLine(text)) {
      // The line moving up into this place is examined next.
      module.DeleteLines(line, 1);
      --last_line;
      continue;
    }
    const std::size_t found = cp1252::FindNoCase(text, handler);
    if (found != std::string::npos) module.ReplaceLine(line, text.substr(0, found) + std::string(kResetStatement));
    ++line;
  }
}

long RemoveBottomOfProcErrorCode(PassContext& pass, host::CodeModule& module, const std::string& proc_name,
                                 int type_code, long top_line, long end_line, const std::string& declaration_line) {
  (void)proc_name;
  return pass.report.Trap("CGildex.RemoveBottomOfProcErrorCode", 0L, [&]() -> long {
    const Block footer = FindFooter(pass, module, type_code, declaration_line, top_line, end_line);
    if (footer.count > 0) module.DeleteLines(footer.first, footer.count);
    return footer.count;
  });
}

}  // namespace gildex::passes
