// Template variable expansion. The placeholder set and its replacement order are the
// template language users write their templates in: a value that holds a later
// placeholder is expanded by the later step, so the order must stay.
#include <string>
#include <string_view>

#include "common/nembus_common.h"
#include "engine/gildex.h"

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

std::string CGildex::ExpandEnvironment(std::string text) const {
  std::size_t start = text.find("%[");
  while (start != std::string::npos) {
    const std::size_t end = text.find("]%", start);
    if (end != std::string::npos) {
      const std::string name = text.substr(start + 2, end - start - 2);
      const std::string placeholder = text.substr(start, end - start + 2);
      text = ReplaceAll(text, placeholder, services_.env.Get(name).value_or(""));
      start += 2;
    }
    start = text.find("%[", start + 1);
  }
  return text;
}

std::string CGildex::ExpandFacts(std::string text, std::string_view proc_name, host::CodeModule& module,
                                 host::VBProject* project, std::string_view proc_type, std::string_view scope) const {
  host::VBComponent* component = ComponentOf(module);
  const std::string component_name = component != nullptr ? component->Name() : module.Name();
  text = ReplaceAll(text, "%sProcName%", proc_name);
  text = ReplaceAll(text, "%sModule%", component_name);
  text = ReplaceAll(text, "%ModuleName%", component_name);
  text = ReplaceAll(text, "%ProcName%", proc_name);
  text = ReplaceAll(text, "%Scope%", scope);
  text = ReplaceAll(text, "%ProcType%", proc_type);
  text = ReplaceAll(text, "%FileName%", component != nullptr ? component->FileNames(1) : std::string());
  text = ReplaceAll(text, "%SourceProject%", project != nullptr ? project->FileName() : std::string());
  text = ReplaceAll(text, "%ProjectName%", project != nullptr ? project->Name() : std::string());
  text = ReplaceAll(text, "%AppName%", kAppTitle);
  text = ReplaceAll(text, "%Date%", platform::LongDate(services_.clock.Now()));
  text = ReplaceAll(text, "%Time%", platform::LongTime(services_.clock.Now()));
  text = ReplaceAll(text, "%User%", NTDomainUserName(services_.env));
  return text;
}

std::string CGildex::InsertUserVars(std::string_view template_text, std::string_view proc_name,
                                    host::CodeModule& module, host::VBProject* project, std::string_view proc_type,
                                    std::string_view scope, std::string_view previous_line) {
  return report_.Trap("CGildex.InsertUserVars", std::string(), [&] {
    std::string text = ExpandEnvironment(std::string(template_text));
    text = ExpandFacts(std::move(text), proc_name, module, project, proc_type, scope);
    // Header and footer blocks are expanded without a previous line; their "%PrevLine%"
    // stays for the logging pass to fill.
    if (previous_line.empty()) return text;
    return ReplaceAll(text, "%PrevLine%", previous_line);
  });
}

}  // namespace gildex
