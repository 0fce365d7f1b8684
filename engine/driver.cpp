// The module driver: walks the procedures of one code module (or of the user's selection),
// decides for each whether it gets the template, lets the user's script have it first in
// script mode, and inserts the blocks. Positions are kept right by adding up the counts each
// edit returns; the module itself is read one line or one procedure at a time.
//
// VB6 refuses a line longer than 1,023 characters and a module longer than 65,534 lines. The
// driver checks what the template would add to the whole module before touching it and, when
// a limit would be passed, reports it and leaves the module as it was: a half-processed module
// would be worse than none. The user's script is checked procedure by procedure instead, as
// its text is only known when it runs; a procedure whose new text would pass a limit, or is
// not one whole procedure, keeps its old text.
#include <algorithm>
#include <string>
#include <string_view>

#include "common/nembus_common.h"
#include "engine/insertion.h"
#include "engine/numbering.h"
#include "engine/removal.h"
#include "engine/template_tag.h"
#include "host/procedure_text.h"
#include "platform/cp1252.h"

namespace gildex::passes {

namespace {

constexpr std::size_t kMaxLineLength = 1023;
constexpr long kMaxModuleLines = 65534;
constexpr std::string_view kSkipTag = "<<>>";
constexpr std::string_view kScriptMode = "*SCRIPT";

bool Contains(std::string_view text, std::string_view part) {
  return cp1252::FindNoCase(text, part) != std::string_view::npos;
}

// A template block of nothing but blanks and line ends inserts nothing.
bool IsBlankBlock(std::string_view text) { return text.find_first_not_of(" \t\r\n") == std::string_view::npos; }

// Whether `part` stands in the `count` lines from `first`, letter case aside. Asks the host's
// own search, so that no procedure is copied out whole for it; a part no single line can
// hold is looked for in the joined text as before.
bool LinesContain(const host::CodeModule& module, long first, long count, std::string_view part) {
  const bool one_line = !part.empty() && part.find_first_of("\r\n") == std::string_view::npos;
  if (!one_line || count < 1 || first < 1 || first + count - 1 > module.CountOfLines())
    return Contains(module.Lines(first, count), part);
  long start_line = first, start_column = 1, end_line = first + count - 1, end_column = -1;
  return module.Find(part, start_line, start_column, end_line, end_column);
}

bool HasErrorTrapping(const host::CodeModule& module, long first, long count) {
  if (count < 1 || first < 1 || first + count - 1 > module.CountOfLines())
    return LinesContain(module, first, count, "On Error") || LinesContain(module, first, count, "On Local Error");
  // Both start with "On ": one search a line, run for every line of every procedure twice.
  for (long line = first; line < first + count; ++line) {
    const std::string_view text = module.Line(line);
    for (std::size_t at = cp1252::FindNoCase(text, "On "); at != std::string_view::npos;
         at = cp1252::FindNoCase(text, "On ", at + 1)) {
      const std::string_view rest = text.substr(at + 3);
      if (cp1252::StartsWithNoCase(rest, "Error") || cp1252::StartsWithNoCase(rest, "Local Error")) return true;
    }
  }
  return false;
}

// The InsertInto filter without the skip tag, which is checked (and reported) first.
bool FilteredOut(std::string_view insert_into, std::string_view template_name, std::string_view type_text,
                 std::string_view proc_name, std::string_view declaration) {
  if (insert_into.empty() || insert_into == kScriptMode) return false;
  if (insert_into == kSelectedRoutines) return !TaggedFor(declaration, template_name);
  return !(type_text == insert_into || Contains(proc_name, insert_into));
}

// Each physical line of `text` as the host would split it.
template <class Each>
void ForEachLine(std::string_view text, Each&& each) {
  std::size_t start = 0;
  for (;;) {
    // A plain loop: find_first_of calls memchr over its set for every byte of the text.
    std::size_t stop = start;
    while (stop < text.size() && text[stop] != '\r' && text[stop] != '\n') ++stop;
    if (stop == text.size()) {
      each(text.substr(start));
      return;
    }
    each(text.substr(start, stop - start));
    start = stop + (text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n' ? 2 : 1);
  }
}

long LinesIn(std::string_view text) {
  long count = 0;
  ForEachLine(text, [&](std::string_view) { ++count; });
  return count;
}

std::size_t LongestLine(std::string_view text) {
  std::size_t longest = 0;
  ForEachLine(text, [&](std::string_view line) { longest = std::max(longest, line.size()); });
  return longest;
}

struct ProcFacts {
  std::string name;
  host::ProcKind kind = host::ProcKind::Proc;
  long start = 0;
  long body = 0;
  long count = 0;
  long last = 0;
  int type_code = 0;
  std::string declaration;
  // Down to the last continuation line, where the template tag stands.
  std::string declaration_lines;
  std::string type_text;
  std::string scope;
};

ProcFacts GatherFacts(PassContext& pass, const host::CodeModule& module, const std::string& name, host::ProcKind kind) {
  ProcFacts proc;
  proc.name = name;
  proc.kind = kind;
  proc.start = module.ProcStartLine(name, kind);
  proc.body = module.ProcBodyLine(name, kind);
  proc.count = module.ProcCountLines(name, kind);
  proc.last = proc.start + proc.count - 1;
  proc.type_code = pass.ProcType(module, proc.body);
  proc.declaration = module.Lines(proc.body, 1);
  const long declaration_end = LastDeclarationLine(module, proc.body);
  proc.declaration_lines =
      declaration_end > proc.body ? module.Lines(proc.body, declaration_end - proc.body + 1) : proc.declaration;
  proc.type_text = pass.GetProcString(proc.declaration, true);
  proc.scope = pass.MatchFirstToken(proc.declaration, "Friend")    ? "Friend"
               : pass.MatchFirstToken(proc.declaration, "Private") ? "Private"
                                                                   : "Public";
  return proc;
}

// Insert's filters, before it looks at the handling a procedure has: its size, the skip tag and
// InsertInto.
bool LetThrough(PassContext& pass, const ProcFacts& proc) {
  return !pass.SmallProcedure(proc.last, proc.body) && !Contains(proc.declaration_lines, kSkipTag) &&
         !FilteredOut(pass.settings.InsertInto(), pass.settings.DefaultTemplate(), proc.type_text, proc.name,
                      proc.declaration_lines);
}

// One run of InsertModule over one module.
class ModuleWalk {
 public:
  ModuleWalk(PassContext& pass, host::CodeModule& module, const std::string& component, host::VBProject* project,
             bool selection_only)
      : pass_(pass),
        module_(module),
        component_(component),
        project_(project),
        progress_(pass.Out()),
        dialogs_(pass.services.dialogs),
        script_runner_(pass.script_runner),
        selection_only_(selection_only) {}

  // Where the walk starts; false when there is nothing to do.
  bool Begin();
  bool InRange() const {
    return selection_only_ ? current_ < selection_end_ && current_ <= module_.CountOfLines()
                           : current_ <= module_.CountOfLines();
  }
  // One procedure (or one line without a procedure); false ends the run.
  bool Round();
  void End();
  // What the template would do to the module past VB6's limits, or empty.
  std::string LimitProblem();

 private:
  ProcFacts Gather(const std::string& name, host::ProcKind kind) const {
    return GatherFacts(pass_, module_, name, kind);
  }
  bool AskAboutDuplicate(const std::string& name);
  long Process(const ProcFacts& proc);
  // UseTemplate: the script asked for the template; Failed: it failed and the template
  // goes in; Stop: the user ended the run.
  enum class ScriptOutcome { Replaced, Skipped, UseTemplate, Failed, Stop };
  ScriptOutcome RunScript(const ProcFacts& proc, long& next);
  ScriptOutcome ScriptFailed(const ProcFacts& proc, const ScriptFailure& failure);
  long HeaderLine(const ProcFacts& proc) const;
  long InsertTemplate(const ProcFacts& proc, long top);
  long EndLineFrom(long first, long last) const;
  // False when the End line is missing, or the first one belongs to a procedure declared below.
  bool HasOwnEndLine(const ProcFacts& proc) const;
  long LineAfterEndFrom(long line) const;
  std::string Expand(const std::string& block, const ProcFacts& proc) const {
    return pass_.InsertUserVars(block, proc.name, module_, project_, proc.type_text, proc.scope, "");
  }
  void Status(const std::string& text) { progress_.AddStatus(text); }

  PassContext& pass_;
  host::CodeModule& module_;
  const std::string& component_;
  host::VBProject* project_;
  Progress& progress_;
  platform::Dialogs& dialogs_;
  ScriptRunner* script_runner_;
  bool selection_only_;
  host::Selection selection_;
  long selection_end_ = 0;
  long current_ = 0;
  long remembered_start_ = 0;
  long remembered_body_ = 0;
  bool stop_ = false;
};

bool ModuleWalk::Begin() {
  if (!selection_only_) {
    current_ = module_.CountOfDeclarationLines() + 1;
    return true;
  }
  selection_ = module_.Pane().GetSelection();
  selection_end_ = selection_.end_line;
  current_ = selection_.start_line;
  while (current_ <= module_.CountOfLines()) {
    const std::string text = module_.Lines(current_, 1);
    if (TrimSpaces(text).empty() || !pass_.IsStartProc(text)) break;
    ++current_;
  }
  return selection_.end_line - selection_.start_line >= 1;
}

void ModuleWalk::End() {
  if (selection_only_) module_.Pane().SetSelection(selection_);
}

bool ModuleWalk::AskAboutDuplicate(const std::string& name) {
  platform::MessageBox box;
  box.prompt = "Gildex has detected a potential problem in " + component_ + "\r\n" +
               "Possible Cause : Duplicate Method Name Detected (" + name + ")\r\n" +
               "Do you wish to continue processing???";
  box.style = platform::vbYesNo | platform::vbCritical;
  box.title = std::string(kAppTitle);
  return dialogs_.MsgBox(box) == platform::vbYes;
}

bool ModuleWalk::Round() {
  host::ProcKind kind = host::ProcKind::Proc;
  const std::string name = pass_.ProcAtLine(module_, current_, kind);
  if (name.empty()) {
    ++current_;
    return true;
  }
  progress_.SetMessageText("Processing " + module_.Name() + " (" + name + ")");
  const ProcFacts proc = Gather(name, kind);
  const bool duplicate = proc.start == remembered_start_ && proc.body == remembered_body_;
  if (duplicate) {
    if (!AskAboutDuplicate(name)) {
      Status("Processing halted due to possible duplicate method in " + component_);
      return false;
    }
  } else {
    remembered_start_ = proc.start;
    remembered_body_ = proc.body;
  }
  const long lines_before = module_.CountOfLines();
  long next = Process(proc);
  if (stop_) return false;
  const long shift = module_.CountOfLines() - lines_before;
  if (duplicate) {
    // The host answers every question about this name with the earlier procedure, which
    // lies above the current line: step over the one at the current line by its End line,
    // so that the walk never goes back.
    next = std::max(next, LineAfterEndFrom(current_ + shift));
  }
  if (selection_only_) selection_end_ += shift;
  current_ = std::max(next, current_ + 1);
  return true;
}

long ModuleWalk::Process(const ProcFacts& proc) {
  const long after = proc.last + 1;
  if (pass_.SmallProcedure(proc.last, proc.body)) {
    Status(proc.name + " in " + component_ + " too small for error handling.");
    ++pass_.run.tally.too_small;
    return after;
  }
  // A truncated file: the header would name a label the missing footer was to define. A
  // procedure whose End is missing in the middle runs on into the next one, whose End would
  // then take the footer: the host sees both as one, so both are left alone.
  if (!HasOwnEndLine(proc)) {
    Status(PassContext::NoEndLineStatus(proc.name, component_));
    ++pass_.run.tally.skipped;
    return after;
  }
  // A procedure whose script failed is counted once, as a script failure, whatever the
  // template then does to it.
  bool script_failed = false;
  if (pass_.settings.InsertInto() == kScriptMode) {
    long next = after;
    switch (RunScript(proc, next)) {
      case ScriptOutcome::Replaced:
      case ScriptOutcome::Skipped:
        return next;
      case ScriptOutcome::Stop:
        stop_ = true;
        return after;
      case ScriptOutcome::Failed:
        script_failed = true;
        break;
      case ScriptOutcome::UseTemplate:
        break;
    }
  }
  auto count = [&](long ProcedureTally::*field) {
    ++(pass_.run.tally.*(script_failed ? &ProcedureTally::script_failed : field));
  };
  if (passes::FailRestrictions(pass_, proc.type_text, proc.name, proc.declaration_lines)) {
    count(&ProcedureTally::skipped);
    return after;
  }
  const long top = HeaderLine(proc);
  if (!pass_.settings.IgnoreExisting() && HasErrorTrapping(module_, proc.start, proc.count)) {
    Status(proc.name + " in " + component_ + " already has error trapping.");
    count(&ProcedureTally::already_handled);
    return after;
  }
  count(&ProcedureTally::changed);
  return InsertTemplate(proc, top);
}

ModuleWalk::ScriptOutcome ModuleWalk::RunScript(const ProcFacts& proc, long& next) {
  // After a limit the script is not run again in this run: the template goes in as usual.
  if (pass_.run.script_halted) return ScriptOutcome::UseTemplate;
  std::string new_text;
  ScriptRunner* runner = script_runner_;
  if (runner != nullptr) runner->SetBudget(pass_.ScriptRunBudget());
  const ScriptErrors result =
      runner != nullptr ? runner->RunProcess(module_.Lines(proc.start, proc.count), new_text) : errSYNTAX_ERR;
  if (result == errSKIP_PROCEDURE) {
    ++pass_.run.tally.skipped;
    return ScriptOutcome::Skipped;
  }
  if (result == errPROCEDURE_NORMAL) return ScriptOutcome::UseTemplate;
  if (result != errSCRIPT_OK) {
    // Without a script host the script cannot run: as a script that failed, the template goes in.
    const ScriptFailure failure =
        runner != nullptr ? runner->LastFailure() : ScriptFailure{429, "ActiveX component can't create object", false};
    return ScriptFailed(proc, failure);
  }
  const long lines_after = module_.CountOfLines() - proc.count + LinesIn(new_text);
  if (LongestLine(new_text) > kMaxLineLength || lines_after > kMaxModuleLines) {
    Status(component_ + " line " + std::to_string(proc.body) + ": the script's text for " + proc.name +
           " would pass VB6's limit of 1,023 characters a line or 65,534 lines a module; " + proc.name +
           " left as it was.");
    ++pass_.run.tally.skipped;
    return ScriptOutcome::Skipped;
  }
  if (const std::string why = host::NotOneProcedure(new_text); !why.empty()) {
    Status(proc.name + " in " + component_ + ": the script's text is not one whole procedure (" + why + "); " +
           proc.name + " left as it was.");
    ++pass_.run.tally.skipped;
    return ScriptOutcome::Skipped;
  }
  const long before = module_.CountOfLines();
  module_.DeleteLines(proc.start, proc.count);
  module_.InsertLines(proc.start, new_text);
  ++pass_.run.tally.changed;
  next = proc.last + (module_.CountOfLines() - before) + 1;
  return ScriptOutcome::Replaced;
}

ModuleWalk::ScriptOutcome ModuleWalk::ScriptFailed(const ProcFacts& proc, const ScriptFailure& failure) {
  // Cancelled mid-script: the procedure stays as it was, those before keep what was done.
  if (failure.cancelled) {
    pass_.run.cancel = true;
    return ScriptOutcome::Stop;
  }
  // A runner that cannot tell why gives number 0: no error to name then.
  const std::string error = failure.number == 0 && failure.description.empty()
                                ? std::string("an error it did not name")
                                : "error " + std::to_string(failure.number) + " (" + failure.description + ")";
  bool go_on = true;
  if (failure.limit) {
    // A script that ran out once would most likely run out on every procedure left, each
    // time after its whole budget: stop it and let the user choose.
    pass_.run.script_halted = true;
    platform::MessageBox box;
    box.prompt = "The script stopped at a limit in " + component_ + " (" + proc.name + "): " + error + ".\r\n" +
                 "It will not be run on the remaining procedures.\r\n" +
                 "Insert the template into this and the remaining procedures instead?";
    box.style = platform::vbYesNo | platform::vbQuestion;
    box.title = std::string(kAppTitle);
    go_on = dialogs_.MsgBox(box) == platform::vbYes;
  }
  Status(proc.name + " in " + component_ + ": the script failed with " + error +
         (go_on ? "; falling back to the template." : "; left as it was."));
  if (failure.limit)
    Status(go_on ? "The script hit a limit and was not run on the remaining procedures."
                 : "Processing halted: the script hit a limit.");
  if (go_on) return ScriptOutcome::Failed;
  ++pass_.run.tally.script_failed;
  pass_.run.cancel = true;
  return ScriptOutcome::Stop;
}

long ModuleWalk::HeaderLine(const ProcFacts& proc) const {
  long top = proc.body + 1;
  if (selection_only_) {
    long line = current_;
    while (line < selection_end_ && TrimSpaces(module_.Lines(line, 1)).empty()) ++line;
    // A selection that starts above the declaration (its comments) still puts the header
    // below it.
    top = line <= proc.body ? proc.body + 1 : line;
  }
  return pass_.SkipJunkLines(module_, top);
}

long ModuleWalk::EndLineFrom(long first, long last) const { return pass_.EndLineIn(module_, first, last); }

bool ModuleWalk::HasOwnEndLine(const ProcFacts& proc) const {
  // One pass down to the first End line, each line read once.
  const long declaration_end = LastDeclarationLine(module_, proc.body);
  for (long line = proc.body + 1; line <= proc.last; ++line) {
    const std::string_view text = module_.Line(line);
    if (pass_.IsEndProc(text)) return true;
    if (line > declaration_end && pass_.IsStartProc(text)) return false;
  }
  return false;
}

long ModuleWalk::LineAfterEndFrom(long line) const {
  const long end = EndLineFrom(line, module_.CountOfLines());
  return end == 0 ? module_.CountOfLines() + 1 : end + 1;
}

long ModuleWalk::InsertTemplate(const ProcFacts& proc, long top) {
  const std::string template_name = pass_.settings.DefaultTemplate();
  const long round_start_lines = module_.CountOfLines();
  long last = proc.last;
  if (pass_.blocks.update_mode && LinesContain(module_, proc.start, last - proc.start + 1,
                                               pass_.settings.CodeBodyStart() + " (" + template_name + ")"))
    last -= passes::RemoveTopOfProcErrorCode(pass_, module_, proc.name, top, last);

  long first = top;
  if (!IsBlankBlock(pass_.blocks.header)) {
    const long added =
        passes::insertTopOfProcErrorCode(pass_, module_, proc.name, top, Expand(pass_.blocks.header, proc));
    last += added;
    first = top + added;
  }

  long end_line = 0;
  if (pass_.settings.ReplaceBodyHandlers() || pass_.settings.FullLogging())
    last += passes::BodyPass(pass_, module_, proc.name, first, last, proc.type_text, proc.scope);
  if (selection_only_) {
    const long selection_end = selection_end_ + (module_.CountOfLines() - round_start_lines);
    end_line = EndLineFrom(first, std::min(selection_end - 1, module_.CountOfLines()));
    if (end_line == 0) end_line = std::min(selection_end, module_.CountOfLines());
  } else {
    end_line = EndLineFrom(first, last);
  }
  // A procedure the module ends in before its End line gets no footer: it would land on
  // the user's last statement.
  if (end_line == 0) return last + 1;

  if (pass_.blocks.update_mode && LinesContain(module_, proc.start, end_line - proc.start + 1,
                                               pass_.settings.CodeBodyEnd() + " (" + template_name + ")")) {
    const long removed = passes::RemoveBottomOfProcErrorCode(pass_, module_, proc.name, proc.type_code, first, end_line,
                                                             proc.declaration);
    end_line -= removed;
    last -= removed;
  }
  if (!IsBlankBlock(pass_.blocks.footer)) {
    const long added = passes::InsertBottomOfProcErrorCode(pass_, module_, proc.name, proc.type_code, proc.declaration,
                                                           Expand(pass_.blocks.footer, proc), end_line);
    end_line += added;
    last += added;
  }
  return std::max(last, end_line) + 1;
}

// Counts, without changing anything, what the template would add to each procedure the
// filters let through, as the walk itself would find them.
std::string ModuleWalk::LimitProblem() {
  long count = module_.CountOfLines();
  while (count >= 1 && TrimSpaces(module_.Line(count)).empty()) --count;
  long added = 0;
  const std::string header = pass_.blocks.header;
  const std::string footer = pass_.blocks.footer;
  const std::string template_name = pass_.settings.DefaultTemplate();
  const std::size_t marker_length =
      std::max(pass_.settings.CodeBodyStart().size(), pass_.settings.CodeBodyEnd().size()) + template_name.size() + 3;
  long previous_start = 0;
  for (long line = module_.CountOfDeclarationLines() + 1; line <= count;) {
    host::ProcKind kind = host::ProcKind::Proc;
    const std::string name = pass_.ProcAtLine(module_, line, kind);
    if (name.empty()) {
      ++line;
      continue;
    }
    const ProcFacts proc = Gather(name, kind);
    const bool seen = proc.start == previous_start;
    previous_start = proc.start;
    line = seen ? LineAfterEndFrom(line) : std::max(proc.last + 1, line + 1);
    if (seen || !LetThrough(pass_, proc) ||
        (!pass_.settings.IgnoreExisting() && HasErrorTrapping(module_, proc.start, proc.count)))
      continue;
    std::size_t longest = pass_.settings.BodyCode() ? marker_length : 0;
    if (!IsBlankBlock(header)) {
      const std::string expanded = Expand(header, proc);
      added += LinesIn(expanded) + 1;
      longest = std::max(longest, LongestLine(expanded));
    }
    if (!IsBlankBlock(footer)) {
      const std::string expanded = Expand(footer, proc);
      added += LinesIn(expanded) + 1 + (pass_.settings.AutoExit() ? 1 : 0);
      longest = std::max(longest, LongestLine(expanded));
    }
    if (pass_.settings.FullLogging() || pass_.settings.ReplaceBodyHandlers()) {
      const std::string logging =
          pass_.settings.FullLogging() ? Expand(pass_.settings.FullLoggingCode(), proc) : std::string();
      std::size_t prev_line_uses = 0;
      for (std::size_t at = logging.find("%PrevLine%"); at != std::string::npos;
           at = logging.find("%PrevLine%", at + 1))
        ++prev_line_uses;
      const std::size_t handler_length = 14 + proc.name.size() + 13;
      for (long body = proc.body + 1; body < proc.last; ++body) {
        const std::string_view text = module_.Line(body);
        if (pass_.settings.FullLogging()) {
          added += LinesIn(logging);
          longest = std::max(longest, LongestLine(logging) + prev_line_uses * (TrimSpaces(text).size()) + 10);
        }
        const std::size_t reset = cp1252::FindNoCase(text, "On Error Goto 0");
        if (pass_.settings.ReplaceBodyHandlers() && reset != std::string_view::npos)
          longest = std::max(longest, reset + handler_length);
      }
    }
    if (longest > kMaxLineLength)
      return component_ + " line " + std::to_string(proc.body) + ": the error handling for " + proc.name +
             " would make a line longer than 1,023 characters, more than VB6 allows; " + component_ +
             " left as it was.";
  }
  if (count + added > kMaxModuleLines)
    return component_ + " line " + std::to_string(count) + ": the error handling would make the module longer than " +
           "65,534 lines, more than VB6 allows; " + component_ + " left as it was.";
  return {};
}

}  // namespace

void InsertModule(PassContext& pass, host::CodeModule& module, const std::string& component_name,
                  host::VBProject* project, bool selection_only) {
  pass.run.cancel = false;
  pass.run.module_refused = false;
  ModuleWalk walk(pass, module, component_name, project, selection_only);
  if (const std::string problem = walk.LimitProblem(); !problem.empty()) {
    pass.Out().AddStatus(problem);
    pass.run.module_refused = true;
    return;
  }
  const TrailingBlankLines aside = pass.SetAsideTrailingBlankLines(module);
  if (walk.Begin()) {
    while (walk.InRange()) {
      pass.services.loop.DoEvents();
      const bool go_on = walk.Round();
      pass.services.loop.DoEvents();
      // Read once a round: the procedure under way is always finished first.
      if (!go_on || pass.run.cancel) break;
    }
  }
  pass.PutBackTrailingBlankLines(module, aside);
  walk.End();
}

bool InsertTakes(PassContext& pass, const host::CodeModule& module, const std::string& name, host::ProcKind kind) {
  return LetThrough(pass, GatherFacts(pass, module, name, kind));
}

bool FailRestrictions(PassContext& pass, const std::string& type_text, const std::string& proc_name,
                      const std::string& declaration) {
  if (declaration.find(kSkipTag) != std::string::npos) {
    pass.Out().AddStatus(proc_name + " skipped (user set set the skip tags)");
    return true;
  }
  return FilteredOut(pass.settings.InsertInto(), pass.settings.DefaultTemplate(), type_text, proc_name, declaration);
}

bool FindProcAtLine(PassContext& pass, long line, long& first_line, long& last_line, bool select) {
  host::CodePane* pane = pass.vbe != nullptr ? pass.vbe->ActiveCodePane() : nullptr;
  if (pane == nullptr) return false;
  host::CodeModule& module = pane->Module();
  if (line < 1 || line > module.CountOfLines()) return false;
  host::ProcKind kind = host::ProcKind::Proc;
  const std::string name = module.ProcOfLine(line, kind);
  if (name.empty()) return false;
  long best_start = 0;
  long best_count = 0;
  for (host::ProcKind asked : {host::ProcKind::Get, host::ProcKind::Let, host::ProcKind::Set, host::ProcKind::Proc}) {
    try {
      const long start = module.ProcStartLine(name, asked);
      if (start <= line && start > best_start) {
        best_start = start;
        best_count = module.ProcCountLines(name, asked);
      }
    } catch (const host::HostError&) {
      // No procedure of this kind under that name.
    }
  }
  if (best_start == 0) return false;
  first_line = best_start;
  // One past the End line: a selection to column 1 of that line takes the End line whole.
  last_line = best_start + best_count;
  if (select) pane->SetSelection(host::Selection{first_line, 1, last_line, 1});
  return true;
}

}  // namespace gildex::passes
