// Taking inserted error handling out again: the header and footer blocks (found by their
// marker lines, or by the current template's own text when they were written without
// markers), the logging lines, and the handler statements the body pass pointed at the
// procedure's handler, which go back to "On Error Goto 0".
//
// Without a marker, a block is only taken out where it stands exactly: the header right at
// the top of the body, the footer right above the End line, and the separator line next to it
// only when it is what insertion put there. A blank template block matches nothing, so a run
// without a template loaded never deletes a user's lines.
#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "common/nembus_common.h"
#include "engine/gildex.h"
#include "platform/cp1252.h"

namespace gildex {

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

struct ProcLines {
  long body = 0;
  long last = 0;
};

// Removal in one procedure; returns the line below it.
class ProcedureRemoval {
 public:
  ProcedureRemoval(CGildex& gildex, host::CodeModule& module, std::string name, ProcLines lines)
      : gildex_(gildex), module_(module), name_(std::move(name)), body_(lines.body), last_(lines.last) {}

  long Run();

 private:
  long TopOfBody() const;
  long EndLine(long from) const;
  std::string Line(long line) const { return module_.Lines(line, 1); }

  CGildex& gildex_;
  host::CodeModule& module_;
  std::string name_;
  long body_;
  long last_;
};

long ProcedureRemoval::TopOfBody() const {
  long top = body_ + 1;
  while (top <= last_ && !TrimSpaces(Line(top - 1)).empty() && TrimSpaces(Line(top - 1)).back() == '_') ++top;
  while (top <= last_ && gildex_.IsDeclarationLine(Line(top))) ++top;
  if (gildex_.HeaderAfterComments())
    while (top <= last_ && gildex_.MatchFirstToken(Line(top), "'")) ++top;
  return top;
}

long ProcedureRemoval::EndLine(long from) const {
  for (long line = from; line <= last_; ++line)
    if (gildex_.IsEndProc(Line(line))) return line;
  return 0;
}

long ProcedureRemoval::Run() {
  if (last_ - body_ < 2) return last_ + 1;
  const long top = TopOfBody();
  if (top > last_) return last_ + 1;
  // Inserted code always begins with the template's error statement; anything else is the
  // user's own code, whatever markers it carries further down.
  const std::string first = Line(top);
  if (!Contains(first, "On Error") && !Contains(first, "On Local Error")) return last_ + 1;

  last_ -= gildex_.RemoveTopOfProcErrorCode(module_, name_, top, last_);
  const long before = module_.CountOfLines();
  gildex_.RestoreBodyLines(module_, name_, top, last_);
  last_ -= before - module_.CountOfLines();

  long end = EndLine(top);
  if (end == 0) return last_ + 1;
  const int type_code = gildex_.ProcType(module_, body_);
  const long removed =
      gildex_.RemoveBottomOfProcErrorCode(module_, name_, type_code, top, end, Line(body_));
  end -= removed;
  last_ -= removed;
  return end + 1;
}

}  // namespace

void CGildex::RemoveModule(host::CodeModule& module, bool selection_only) {
  cancel_ = false;
  TruncateBlankLinesIn(module);
  long line = module.CountOfDeclarationLines() + 1;
  long selection_end = 0;
  if (selection_only) {
    const host::Selection selection = module.Pane().GetSelection();
    line = selection.start_line;
    while (line <= module.CountOfLines()) {
      const std::string text = module.Lines(line, 1);
      if (IsBlank(text) || !IsStartProc(text)) break;
      ++line;
    }
    selection_end = selection.end_line;
  }
  const auto in_range = [&] {
    return line <= module.CountOfLines() && (!selection_only || line < selection_end);
  };
  while (in_range()) {
    host::ProcKind kind = host::ProcKind::Proc;
    const std::string name = ProcAtLine(module, line, kind);
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
    progress_->SetMessageText("Processing " + module.Name() + " (" + name + ")");
    const long count_before = module.CountOfLines();
    const long next = ProcedureRemoval(*this, module, name, lines).Run();
    ++(module.CountOfLines() != count_before ? tally_.changed : tally_.already_handled);
    selection_end -= count_before - module.CountOfLines();
    // The walk only moves down, so a host answer pointing above the current line cannot loop.
    line = next > line ? next : line + 1;
    services_.loop.DoEvents();
    if (cancel_) break;
  }
}

long CGildex::RemoveTopOfProcErrorCode(host::CodeModule& module, const std::string& proc_name, long top_line,
                                       long last_line) {
  (void)proc_name;
  return report_.Trap("CGildex.RemoveTopOfProcErrorCode", 0L, [&]() -> long {
    const std::string marker = CodeBodyStart();
    const long bottom = std::min(last_line, module.CountOfLines());
    for (long line = top_line; line <= bottom; ++line) {
      if (Contains(module.Lines(line, 1), marker)) {
        const long count = line - top_line + 1;
        module.DeleteLines(top_line, count);
        return count;
      }
    }
    if (IsBlankBlock(header_code_)) return 0;
    const std::string header = AsModuleText(header_code_);
    const long header_lines = LineCount(header);
    if (!BlockStandsAt(module, top_line, header_lines, header)) return 0;
    // The separator below a header written without a marker is an empty line; a line the user
    // wrote there stays.
    const long separator = top_line + header_lines;
    const bool with_separator = separator <= last_line && IsBlank(module.Lines(separator, 1));
    const long count = header_lines + (with_separator ? 1 : 0);
    module.DeleteLines(top_line, count);
    return count;
  });
}

void CGildex::RestoreBodyLines(host::CodeModule& module, const std::string& proc_name, long top_line,
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

long CGildex::RemoveBottomOfProcErrorCode(host::CodeModule& module, const std::string& proc_name, int type_code,
                                          long top_line, long end_line, const std::string& declaration_line) {
  (void)proc_name;
  return report_.Trap("CGildex.RemoveBottomOfProcErrorCode", 0L, [&]() -> long {
    const std::string marker = CodeBodyEnd();
    for (long line = end_line; line >= top_line && line >= 1; --line) {
      if (Contains(module.Lines(line, 1), marker)) {
        const long count = end_line - line;
        module.DeleteLines(line, count);
        return count;
      }
    }
    if (IsBlankBlock(footer_code_)) return 0;
    const std::string footer = AsModuleText(footer_code_);
    const long footer_lines = LineCount(footer);
    const long first = end_line - footer_lines;
    if (first < top_line || !BlockStandsAt(module, first, footer_lines, footer)) return 0;
    // Above a footer written without a marker stands the empty separator, or the exit line
    // when AutoExit put one in; any other line is the user's.
    const long above = first - 1;
    bool with_above = false;
    if (above >= top_line) {
      const std::string text = module.Lines(above, 1);
      with_above = IsBlank(text) ||
                   cp1252::EqualsNoCase(TrimBlanks(text), "Exit " + ProcTypeString(type_code, declaration_line));
    }
    const long count = footer_lines + (with_above ? 1 : 0);
    module.DeleteLines(with_above ? above : first, count);
    return count;
  });
}

}  // namespace gildex
