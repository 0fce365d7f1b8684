// Taking line numbers off again. A number is only ever recognised at column 1; taking every
// number off, the remove commands also learn how many of them no insert wrote.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/nembus_common.h"
#include "engine/numbering.h"

namespace gildex::passes {

namespace {

bool IsBlank(std::string_view text) { return TrimSpaces(text).empty(); }

bool EndsWith(std::string_view text, char c) { return !text.empty() && text.back() == c; }

// A line that continues a statement carries no label, whatever it starts with. The rest of a
// continued comment line is still comment text, and numbering (which looks past comment lines
// for its previous line) may have numbered it: that number comes off.
bool ContinuesStatement(std::string_view above) {
  const std::string_view trimmed = TrimSpaces(above);
  return EndsWith(trimmed, '_') && trimmed.front() != '\'';
}

}  // namespace

std::string_view RemoveLineNumber(PassContext& pass, std::string_view line) {
  if (line.empty() || IsBlank(line.substr(0, 1))) return line;
  // A number starts with a digit, a sign or a point: most lines start with a letter and need
  // no search.
  const char first = line.front();
  if (!(first >= '0' && first <= '9') && first != '+' && first != '-' && first != '.') return line;
  return pass.report.Trap("CGildex.RemoveLineNumber", line, [&]() -> std::string_view {
    // The number ends at the first delimiter; only its first character goes with the number,
    // so a two-character delimiter leaves its second character in front of the statement.
    const std::string delimiter = pass.settings.LineDelimiter();
    const std::size_t at = delimiter.empty() ? 0 : line.find(delimiter);
    if (at != std::string_view::npos && IsNumeric(line.substr(0, at))) return line.substr(at + 1);
    for (char separator : {':', ' '}) {
      const std::size_t found = line.find(separator);
      if (found != std::string_view::npos && IsNumeric(line.substr(0, found))) return line.substr(found + 1);
    }
    return line;
  });
}

namespace {

// Taking every number off, the remove commands say how many of them no insert wrote: the
// numbering after an insert numbers every line of a procedure that can carry a number and no
// other, so a number elsewhere, or in a procedure where such a line goes without one, is the
// user's own. (Numbers of the user's that an insert renumbered can no longer be told apart.)
class UnNumberingPass {
 public:
  UnNumberingPass(PassContext& pass, host::CodeModule& module) : pass_(pass), module_(module) {}

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

  PassContext& pass_;
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
  const std::string name = pass_.ProcAtLine(module_, line, kind);
  const std::string key = name + "/" + std::to_string(static_cast<int>(kind));
  if (key != procedure_key_) {
    EndProcedure();
    procedure_key_ = key;
    body_line_ = BodyLine(name, kind);
    if (pass_.settings.ResetLines()) previous_.clear();
  }
  const std::string text = module_.Lines(line, 1);
  // What looks like a number at the start of a continuation is an operand ("10 + b").
  if (line > 1 && !above_) above_ = module_.Lines(line - 1, 1);
  std::string stripped(above_ && ContinuesStatement(*above_) ? std::string_view(text)
                                                              : passes::RemoveLineNumber(pass_, text));
  above_ = stripped;
  const bool numbered = stripped != text;
  const bool insert_writes = !pass_.settings.Numbering() && line > body_line_ &&
                             !pass_.MatchFirstToken(stripped, "'") &&
                             passes::ValidLineForNumbering(pass_, previous_, stripped);
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

void UnNumberModule(PassContext& pass, host::CodeModule& module, bool selection_only) {
  pass.report.Trap("CGildex.UnNumberModule", [&] {
    const LineRange range = RangeOf(module, selection_only);
    UnNumberingPass unnumbering(pass, module);
    for (long line = range.first; line <= range.last; ++line) unnumbering.Read(line);
    const auto [removed, foreign] = unnumbering.Write();
    pass.run.tally.line_numbers += removed;
    pass.run.tally.foreign_line_numbers += foreign;
  });
}

}  // namespace gildex::passes
