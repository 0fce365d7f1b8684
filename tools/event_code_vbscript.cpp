#include "tools/event_code_vbscript.h"

#include "common/nembus_common.h"
#include "engine/line_rules.h"
#include "platform/cp1252.h"

namespace gildex {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// Puts "' " after the leading blank of every `occurrence` (case-sensitive), so that the rest
// of that line becomes a comment. `blank_at` is the blank's offset within the occurrence.
void CommentOutAfter(std::string& code, std::string_view occurrence, std::size_t blank_at) {
  for (std::size_t at = code.find(occurrence); at != std::string::npos;) {
    code.insert(at + blank_at + 1, "' ");
    at = code.find(occurrence, at + occurrence.size() + 2);
  }
}

}  // namespace

std::string RemoveInvalidVBScript(const std::string& basic_name, const host::CodeModule& module) {
  const long body_line = module.ProcBodyLine(basic_name, host::ProcKind::Proc);
  const long count = module.ProcCountLines(basic_name, host::ProcKind::Proc);
  if (body_line <= 0 || count < 1) return {};
  const long start = body_line + 1;
  long end = start + count + 1;  // no end line found: one past the scanned range
  for (long line = start; line <= start + count; ++line)
    if (lines::IsEndProc(module.Lines(line, 1), lines::After::RestOfLine)) {
      end = line;
      break;
    }
  std::string code = end > start ? module.Lines(start, end - start) : std::string();
  if (code.empty()) return code;
  CommentOutAfter(code, " As ", 0);
  CommentOutAfter(code, "Next ", 4);
  return code;
}

std::string ConvertEventProc(const std::string& basic_name, const std::string& script_name,
                             const host::CodeModule& module) {
  std::string text = std::string(kCrLf) + "Sub " + script_name + std::string(kCrLf);
  long body_line = 0;
  try {
    body_line = module.ProcBodyLine(basic_name, host::ProcKind::Proc);
  } catch (const host::HostError& e) {
    if (e.Number() == 35) return {};  // the form has no such handler: nothing is written
    throw;
  }
  if (body_line >= 1)
    text += std::string(kCrLf) + RemoveInvalidVBScript(basic_name, module);
  else
    text += std::string(kCrLf) + "' No VB Code was found for this control_Click Event";
  // Names and bodies come from the form: none of them may end the page's script block.
  return KeepScriptBlockClosed(text + std::string(kCrLf) + "End Sub" + std::string(kCrLf));
}

std::string ScriptPartOne(const std::vector<std::string>& control_names, const host::CodeModule& module) {
  std::string script = std::string(kCrLf) + "<SCRIPT Language=VBScript>";
  script += std::string(kCrLf) + "' Converted from original VB Project using Gildex";
  script += std::string(kCrLf) + "' Visit " + std::string(kScriptWebAddress) + " for more details";
  for (const std::string& name : control_names)
    for (const EventNamePair& event : kControlEvents)
      script += ConvertEventProc(name + event.basic, name + event.script, module);
  script += ConvertEventProc("Form_Load", "Window_OnLoad", module);
  script += ConvertEventProc("Form_UnLoad", "Window_OnUnLoad", module);
  return script;
}

std::string ScriptPartTwo(const host::CodeModule& module) {
  std::string script(kCrLf);
  for (const host::Member& member : module.Members()) {
    const std::size_t underscore = member.name.find('_');
    if (underscore != std::string::npos &&
        cp1252::FindNoCase(kCopiedEvents, std::string_view(member.name).substr(underscore)) != std::string_view::npos)
      continue;
    script += ConvertEventProc(member.name, member.name, module);
  }
  return script + std::string(kCrLf) + "</SCRIPT>" + std::string(kCrLf) + "</BODY>" + std::string(kCrLf) + "</HTML>";
}

std::string KeepScriptBlockClosed(std::string_view script) {
  std::string kept;
  kept.reserve(script.size());
  bool in_string = false, in_comment = false;
  for (std::size_t i = 0; i < script.size(); ++i) {
    const char c = script[i];
    if (c == '\r' || c == '\n') {
      in_string = in_comment = false;  // neither a string nor a comment goes past its line
    } else if (!in_comment && c == '"') {
      in_string = !in_string;
    } else if (!in_string && c == '\'') {
      in_comment = true;
    } else if (c == '<' && (cp1252::StartsWithNoCase(script.substr(i + 1), "/script") ||
                            script.substr(i + 1, 3) == "!--")) {
      kept += in_string ? "<\" & \"" : "< ";
      continue;
    }
    kept += c;
  }
  return kept;
}

}  // namespace gildex
