#pragma once
// VB6 text is bytes in the project's code page (Windows-1252 unless CodePage names another,
// platform/code_page.h); Qt shows Unicode. Converting at the widget's edge keeps every byte
// the user did not touch as it was.
#include <QString>
#include <string>
#include <string_view>

#include "common/problem.h"

namespace gildex::desktop {

QString FromVb(std::string_view bytes);
// Characters the code page lacks become "?", as VB6's own code window stores them.
std::string ToVb(const QString& text);

// A problem the session reports, as a message box of the IDE says it (Windows-1252): the
// remedy names the dialog and page that put it right, never a command to type.
std::string ProblemText(const Problem& problem);

}  // namespace gildex::desktop
