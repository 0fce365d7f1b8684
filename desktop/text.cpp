#include "desktop/text.h"

#include <QList>

#include "platform/cp1252.h"

namespace gildex::desktop {

QString FromVb(std::string_view bytes) { return QString::fromStdString(cp1252::ToUtf8(bytes)); }

std::string ToVb(const QString& text) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  for (char32_t code_point : text.toUcs4()) bytes += cp1252::FromUnicode(code_point).value_or('?');
  return bytes;
}

std::string ProblemText(const Problem& problem) {
  std::string text = problem.what;
  if (problem.subject == ProblemSubject::Selection)
    text = problem.remedy == Remedy::NameComponent ? "a selection needs its component" : "the selection " + text;
  switch (problem.remedy) {
    case Remedy::None: break;
    case Remedy::ListSettings: text += " (the Gildex Options dialog shows them all)"; break;
    case Remedy::ChooseTemplate:
    case Remedy::SetCommentTemplate:
      text += "; choose one on the Template Editor page of the Gildex Options dialog";
      break;
    case Remedy::RepairStoredTemplate:
      text += " Choose a template on the Template Editor page of the Gildex Options dialog.";
      break;
    case Remedy::ChooseTemplateFolder:
      text += " (it holds no .hdr files; the Template Options page of the Gildex Options dialog chooses another folder).";
      break;
    case Remedy::NameComponent:
      if (problem.subject != ProblemSubject::Selection) text += ": select one in the Project window";
      break;
    case Remedy::FillPrefixTable:
      text += "; give it rows on the Controls Option page of the Gildex Options dialog";
      break;
  }
  return text;
}

}  // namespace gildex::desktop
