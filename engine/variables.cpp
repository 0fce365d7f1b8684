// Template variable expansion. The placeholder set and its replacement order are the
// template language users write their templates in: a value that holds a later
// placeholder is expanded by the later step, so the order must stay.
#include <algorithm>
#include <string>
#include <string_view>

#include "common/nembus_common.h"
#include "engine/pass_context.h"
#include "host/basic_lexer.h"

namespace gildex {

namespace {

// A module used on its own (tests, a file outside any project) has no component; it then
// stands for itself, with no file of its own yet.
host::VBComponent* ComponentOf(host::CodeModule& module) {
  try {
    return &module.Parent();
  } catch (const host::HostError& error) {
    if (error.Number() != 91) throw;
    return nullptr;
  }
}

}  // namespace

std::string PassContext::ExpandEnvironment(std::string text) const {
  std::size_t start = text.find("%[");
  while (start != std::string::npos) {
    const std::size_t end = text.find("]%", start);
    if (end != std::string::npos) {
      const std::string name = text.substr(start + 2, end - start - 2);
      const std::string placeholder = text.substr(start, end - start + 2);
      text = ReplaceAll(text, placeholder, services.env.Get(name).value_or(""));
      start += 2;
    }
    start = text.find("%[", start + 1);
  }
  return text;
}

std::string PassContext::ExpandFacts(std::string text, std::string_view proc_name, host::CodeModule& module,
                                     host::VBProject* project, std::string_view proc_type,
                                     std::string_view scope) const {
  // Runs for every procedure: the file names and the user name cost system calls, so they are
  // only worked out when their placeholder is there. The clock is read every time, as before:
  // a clock that cannot give the date is reported whatever the template holds.
  const auto replace = [&text](std::string_view placeholder, auto&& value) {
    if (text.find(placeholder) != std::string::npos) text = ReplaceAll(text, placeholder, value());
  };
  host::VBComponent* component = ComponentOf(module);
  const std::string component_name = component != nullptr ? component->Name() : module.Name();
  const std::string date = platform::LongDate(services.clock.Now());
  const std::string time = platform::LongTime(services.clock.Now());
  const auto fixed = [](std::string_view value) { return [value] { return value; }; };
  replace("%sProcName%", fixed(proc_name));
  replace("%sModule%", fixed(component_name));
  replace("%ModuleName%", fixed(component_name));
  replace("%ProcName%", fixed(proc_name));
  replace("%Scope%", fixed(scope));
  replace("%ProcType%", fixed(proc_type));
  replace("%FileName%", [&] { return component != nullptr ? component->FileNames(1) : std::string(); });
  replace("%SourceProject%", [&] { return project != nullptr ? project->FileName() : std::string(); });
  replace("%ProjectName%", [&] { return project != nullptr ? project->Name() : std::string(); });
  replace("%AppName%", fixed(kAppTitle));
  replace("%Date%", fixed(date));
  replace("%Time%", fixed(time));
  replace("%User%", [&] { return NTDomainUserName(services.env); });
  return text;
}

std::string PassContext::AsCommentBlock(std::string_view block) {
  std::string out;
  for (std::size_t at = 0; at < block.size();) {
    const std::size_t end = std::min(block.find('\n', at), block.size());
    const std::string_view line = block.substr(at, end - at);
    const std::size_t first = line.find_first_not_of(" \t\r");
    const std::string_view rest = first == std::string_view::npos ? std::string_view() : line.substr(first);
    if (!rest.empty() && !host::IsCommentLine(rest)) out += "' ";
    out += line;
    if (end < block.size()) out += '\n';
    at = end + 1;
  }
  return out;
}

std::string PassContext::InsertUserVars(std::string_view template_text, std::string_view proc_name,
                                        host::CodeModule& module, host::VBProject* project, std::string_view proc_type,
                                        std::string_view scope, std::string_view previous_line) {
  return report.Trap("CGildex.InsertUserVars", std::string(), [&] {
    std::string text = ExpandEnvironment(std::string(template_text));
    text = ExpandFacts(std::move(text), proc_name, module, project, proc_type, scope);
    // Header and footer blocks are expanded without a previous line; their "%PrevLine%"
    // stays for the logging pass to fill.
    if (previous_line.empty()) return text;
    return ReplaceAll(text, "%PrevLine%", previous_line);
  });
}

}  // namespace gildex
