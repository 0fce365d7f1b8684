// The blocks that go into one procedure: the template's header with its start marker at the
// top of the body, the exit line and footer with the end marker above the End statement, and
// the optional body pass that points "On Error Goto 0" back at the procedure's handler and
// adds a logging line after each statement. Removal finds this code again by the marker
// texts, so their exact wording is a stored format.
#include "engine/insertion.h"

#include <string>
#include <vector>

#include "common/nembus_common.h"
#include "engine/numbering.h"
#include "platform/cp1252.h"

namespace gildex::passes {

namespace {

constexpr std::string_view kResetStatement = "On Error Goto 0";
constexpr std::string_view kLogMarker = "'gildexlog";

std::string MarkerLine(const std::string& marker, const std::string& template_name) {
  return marker + " (" + template_name + ")";
}

std::string HandlerStatement(const std::string& proc_name) { return "On Error Goto " + proc_name + "_ErrorHandler"; }

// The host splits inserted text at LF or CR alone too, but the count of lines it added is
// taken from CR LF pairs; a template saved with Unix line ends must not put the two apart.
std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (text[i] == '\n') {
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

long insertTopOfProcErrorCode(PassContext& pass, host::CodeModule& module, const std::string& proc_name,
                              long insertion_line, const std::string& expanded_header) {
  (void)proc_name;
  long inserted = 0;
  pass.report.Trap("CGildex.insertTopOfProcErrorCode", [&] {
    inserted = 0;
    module.InsertLines(insertion_line, pass.settings.BodyCode()
                                           ? MarkerLine(pass.settings.CodeBodyStart(), pass.settings.DefaultTemplate())
                                           : std::string());
    // Inserted at the same line, so the header ends up above the marker.
    const std::string header = WithCrLf(expanded_header);
    module.InsertLines(insertion_line, header);
    inserted = LineCount(header) + 1;
  });
  return inserted;
}

long InsertBottomOfProcErrorCode(PassContext& pass, host::CodeModule& module, const std::string& proc_name,
                                 int type_code, const std::string& declaration_line, const std::string& expanded_footer,
                                 long insertion_line) {
  (void)proc_name;
  long inserted = 0;
  pass.report.Trap("CGildex.InsertBottomOfProcErrorCode", [&] {
    inserted = 0;
    const std::string type_word = pass.ProcTypeString(type_code, declaration_line);
    std::vector<std::string> above_footer = {
        pass.settings.BodyCode() ? MarkerLine(pass.settings.CodeBodyEnd(), pass.settings.DefaultTemplate())
                                 : std::string()};
    if (pass.settings.AutoExit()) above_footer.push_back("\tExit " + type_word);
    const std::string footer = WithCrLf(expanded_footer);
    module.InsertLines(insertion_line, footer);
    for (auto entry = above_footer.rbegin(); entry != above_footer.rend(); ++entry)
      module.InsertLines(insertion_line, *entry);
    inserted = LineCount(footer) + static_cast<long>(above_footer.size());
  });
  return inserted;
}

long BodyPass(PassContext& pass, host::CodeModule& module, const std::string& proc_name, long first_line,
              long& last_line, const std::string& proc_type, const std::string& scope) {
  std::string previous;
  for (long line = first_line; line <= last_line; ++line) {
    std::string text = module.Lines(line, 1);
    if (pass.IsEndProc(text)) return line - last_line;

    if (pass.settings.ReplaceBodyHandlers()) {
      const std::size_t found = cp1252::FindNoCase(text, kResetStatement);
      if (found != std::string::npos) {
        const std::string_view before = std::string_view(text).substr(0, found);
        // A reset behind other code on the same line ("If x Then On Error Goto 0") is the
        // user's business; only a statement of its own is pointed at the handler.
        if (found == 0 || TrimSpaces(before).empty()) {
          text = std::string(before) + HandlerStatement(proc_name);
          module.ReplaceLine(line, text);
        }
      }
    }

    if (pass.settings.FullLogging()) {
      const std::string_view trimmed = TrimSpaces(text);
      if (!trimmed.empty() && trimmed.back() != '_' && ValidLineForNumbering(pass, previous, text)) {
        const std::string logged = ReplaceAll(trimmed, "\"", "'");
        host::VBProject* project = pass.vbe != nullptr ? pass.vbe->ActiveVBProject() : nullptr;
        const std::string logging = WithCrLf(
            pass.InsertUserVars(pass.settings.FullLoggingCode(), proc_name, module, project, proc_type, scope, logged) +
            std::string(kLogMarker));
        module.InsertLines(line + 1, logging);
        const long added = LineCount(logging);
        last_line += added;
        line += added;
      }
    }
    previous = text;
  }
  return 0;
}

}  // namespace gildex::passes
