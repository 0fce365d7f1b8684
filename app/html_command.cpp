#include "app/html_command.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <vector>

#include "host/memory_vbe.h"
#include "host/project_loader.h"
#include "platform/cp1252.h"
#include "tools/asp_converter.h"

namespace gildex::app {
namespace {

// The fields the options give.
struct Fields {
  std::string file;
  std::optional<std::string> title;
  std::string keywords, description;
  int method = 1;
  std::string action;
  bool positioned = false;
};

// The command's answers to the window: the fields from the options, then Convert.
class FilledConverterView : public ASPConverterView {
 public:
  FilledConverterView(Fields fields, bool force) : fields_(std::move(fields)), force_(force) {}
  void ShowModal(frmASPConverter& window) override {
    window.txtFilename = fields_.file;
    if (fields_.title) window.txtTitle = *fields_.title;
    window.txtKeywords = fields_.keywords;
    window.txtDescription = fields_.description;
    window.optMethod = fields_.method;
    window.txtAction = fields_.action;
    window.chkPositioned = fields_.positioned;
    window.cmdGo_Click();
  }
  std::string SaveFileName(const std::string&, const std::string&) override { return {}; }
  bool ConfirmReplace(const std::string&) override { return force_; }
  void DefaultMousePointer() override {}
  void Unload() override {}

 private:
  Fields fields_;
  bool force_;
};

class StatusList : public NullProgress {
 public:
  void AddStatus(const std::string& text) override { lines.push_back(text); }
  std::vector<std::string> lines;
};

// Terminal text as Windows-1252; nothing when a character has no place there.
std::optional<std::string> FromTerminal(std::string_view text) {
  std::string bytes;
  for (std::size_t at = 0; at < text.size();) {
    const auto code_point = cp1252::NextUtf8(text, at);
    if (!code_point) return std::nullopt;
    const auto byte = cp1252::FromUnicode(*code_point);
    if (!byte) return std::nullopt;
    bytes += *byte;
  }
  return bytes;
}

std::string Display(std::string_view bytes) { return cp1252::ToDisplay(bytes); }

int Bad(std::ostream& err, const std::string& message) {
  err << "gildex: html: " << Display(message) << "\n";
  return 2;
}

}  // namespace

int RunHtmlCommand(const HtmlOptions& options, RegistryTools& registry, std::ostream& out, std::ostream& err) {
  namespace fs = std::filesystem;
  int method = -1;
  if (cp1252::EqualsNoCase(options.method, "GET")) method = 0;
  if (cp1252::EqualsNoCase(options.method, "POST")) method = 1;
  if (method < 0) return Bad(err, "--method is GET or POST, not \"" + options.method + "\"");
  const bool positioned = cp1252::EqualsNoCase(options.layout, "positioned");
  if (!positioned && !cp1252::EqualsNoCase(options.layout, "table"))
    return Bad(err, "--layout is table or positioned, not \"" + options.layout + "\"");
  const auto title = FromTerminal(options.title);
  const auto action = FromTerminal(options.action);
  const auto wanted = FromTerminal(options.component);
  const auto keywords = FromTerminal(options.keywords);
  const auto description = FromTerminal(options.description);
  if (!title || !action || !wanted || !keywords || !description)
    return Bad(err, "a character of --title, --keywords, --description, --action or --component has no place in Windows-1252");

  host::MemoryVBE vbe;
  host::LoadResult loaded = host::Load(vbe, options.input);
  if (!loaded.readable) return Bad(err, loaded.error);
  host::DropMissingMembers(loaded);  // only reads: the forms that are there can be converted
  for (const host::LoadProblem& problem : loaded.problems)
    err << Display(problem.file) << (problem.line > 0 ? ":" + std::to_string(problem.line) : std::string()) << ": "
        << (problem.fatal ? "error" : "warning") << ": " << Display(problem.message) << "\n";

  std::vector<host::MemoryComponent*> forms, mdi_forms;
  host::MemoryComponent* chosen = nullptr;
  for (host::MemoryProject* project : loaded.projects)
    for (host::MemoryComponent* component : project->Components()) {
      if (component->Type() == host::ComponentType::VBForm) forms.push_back(component);
      if (component->Type() == host::ComponentType::VBMDIForm) mdi_forms.push_back(component);
      if (!wanted->empty() && cp1252::EqualsNoCase(component->Name(), *wanted)) chosen = component;
    }
  std::string names;
  for (host::MemoryComponent* form : forms) names += (names.empty() ? "" : ", ") + form->Name();
  // An MDI form is the frame around its children's windows: it has no page of its own.
  const auto mdi = [](const std::string& name) {
    return name + " is an MDI form, the frame around its child forms, which has no page of its own; convert one of its "
                  "child forms";
  };
  if (wanted->empty()) {
    if (forms.empty() && mdi_forms.size() == 1) return Bad(err, mdi(mdi_forms.front()->Name()));
    if (forms.size() != 1)
      return Bad(err, forms.empty() ? "there is no form in " + options.input
                                    : "name the form with --component; the forms are: " + names);
    chosen = forms.front();
  }
  if (chosen == nullptr) return Bad(err, "there is no component " + *wanted + "; the forms are: " + names);
  if (chosen->Type() == host::ComponentType::VBMDIForm) return Bad(err, mdi(chosen->Name()));
  if (chosen->Type() != host::ComponentType::VBForm) return Bad(err, chosen->Name() + " is not a form but a " + std::string(host::ComponentTypeName(chosen->Type())));
  if (!chosen->Usable()) return Bad(err, chosen->Name() + " did not load completely");

  const fs::path page = fs::absolute(options.out.empty() ? fs::path(chosen->Name() + ".html") : fs::path(options.out));
  FilledConverterView view({page.string(), options.title_set ? title : std::nullopt, *keywords, *description, method,
                            *action, positioned},
                           options.force);
  frmASPConverter window(view);
  clsASPGenerator generator(registry);
  StatusList status;
  window.ShowConverter(*chosen, generator, status);
  if (!window.Refusal().empty())
    return Bad(err, window.Refusal() + (window.Refusal().ends_with("not replaced") ? " (--force replaces it)" : ""));

  for (const std::string& problem : generator.PictureProblems()) err << "gildex: picture not written: " << Display(problem) << "\n";
  bool failed = false;
  for (const std::string& line : status.lines) {
    const bool failure = line.starts_with("FAILED");
    failed = failed || failure;
    if (line.starts_with("Form '")) {
      if (!options.quiet) out << Display(line) << "\n";
    } else {
      err << "gildex: " << Display(line) << (failure ? ": " + Display(generator.LastError()) : "") << "\n";
    }
  }
  if (failed) return 1;
  if (options.quiet) return 0;
  out << "wrote " << page.string() << "\n";
  for (const std::string& picture : generator.PicturesWritten()) out << "wrote " << picture << "\n";
  return 0;
}

}  // namespace gildex::app
