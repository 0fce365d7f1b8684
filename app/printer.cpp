#include "app/printer.h"

#include <ostream>
#include <system_error>

#include "platform/cp1252.h"

namespace gildex::app {

std::optional<std::string> FromTerminalText(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::optional<char32_t> code_point = cp1252::NextUtf8(text, i);
    // Not UTF-8 at all: the terminal already speaks the code page.
    if (!code_point) return std::string(text);
    const std::optional<char> byte = cp1252::FromUnicode(*code_point);
    if (!byte) return std::nullopt;
    out += *byte;
  }
  return out;
}

std::string TerminalName(std::string_view text) { return FromTerminalText(text).value_or(std::string(text)); }

std::string Said(std::string_view text) { return "gildex: " + std::string(text); }

void Say(std::ostream& err, std::string_view text) { err << Said(text) << "\n"; }

void Tell(std::ostream& err, std::string_view cp1252_text) { Say(err, cp1252::ToDisplay(cp1252_text)); }

std::string FromCurrentFolder(const std::filesystem::path& file) {
  if (file.empty()) return {};
  std::error_code error;
  const std::filesystem::path here = std::filesystem::current_path(error);
  if (error) return file.string();
  const std::filesystem::path relative = std::filesystem::absolute(file, error).lexically_normal().lexically_relative(here);
  return relative.empty() ? file.string() : relative.string();
}

std::string Worded(const Problem& problem) {
  std::string text;
  switch (problem.subject) {
    case ProblemSubject::None: break;
    case ProblemSubject::Setting: text = "--set: "; break;
    case ProblemSubject::Template: text = "--template: "; break;
    case ProblemSubject::Selection:
      if (problem.remedy == Remedy::NameComponent) return "--selection needs --component";
      text = "--selection ";
      break;
  }
  text += problem.what;
  switch (problem.remedy) {
    case Remedy::None: break;
    case Remedy::ListSettings: text += " (\"gildex options list\" shows them all)"; break;
    case Remedy::ChooseTemplate:
      text += "; choose one with: gildex templates default NAME (gildex templates list shows them), or give "
              "--template NAME";
      break;
    case Remedy::RepairStoredTemplate:
      text += " Choose a template with \"gildex templates default NAME\" (\"gildex templates list\" shows them).";
      break;
    case Remedy::ChooseTemplateFolder:
      text += " (it holds no .hdr files; \"gildex options set TemplatePath FOLDER\" chooses another folder).";
      break;
    case Remedy::NameComponent: text += ": name one with --component"; break;
    case Remedy::FillPrefixTable: text += "; give it rows with: gildex prefixes set CLASS PREFIX"; break;
    case Remedy::SetCommentTemplate: text += "; set one with: gildex options set CommentTemplate TEXT"; break;
  }
  return text;
}

}  // namespace gildex::app
