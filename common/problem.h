#pragma once
// A problem found below the hosts, as data: what went wrong, which of the user's choices it is
// about, and what would put it right. Each host words the last two in its own terms: the
// command line names its options and commands, the desktop its dialogs.
#include <string>
#include <utility>

namespace gildex {

// Which of the user's choices the problem is about.
enum class ProblemSubject {
  None,
  Setting,    // a setting given for this run only
  Template,   // the template chosen for this run
  Selection,  // the lines chosen in a code window
};

// What the user can do about it.
enum class Remedy {
  None,
  ListSettings,          // see the names of the settings
  ChooseTemplate,        // choose the default template (or one for this run)
  RepairStoredTemplate,  // the stored default template is no usable name: choose another
  ChooseTemplateFolder,  // the templates folder holds no template: choose another folder
  NameComponent,         // say which component is meant
  FillPrefixTable,       // give the control prefix table its rows
  SetCommentTemplate,    // set the comment block
};

struct Problem {
  Problem() = default;
  // Text alone: a problem whose words need nothing of the host.
  Problem(std::string text) : what(std::move(text)) {}  // NOLINT: a text is a problem
  Problem(const char* text) : what(text) {}             // NOLINT
  Problem(std::string text, ProblemSubject about, Remedy fix = Remedy::None)
      : what(std::move(text)), subject(about), remedy(fix) {}
  Problem(std::string text, Remedy fix) : what(std::move(text)), remedy(fix) {}

  // No problem: the step went well.
  bool empty() const { return what.empty() && remedy == Remedy::None && subject == ProblemSubject::None; }

  std::string what;  // Windows-1252
  ProblemSubject subject = ProblemSubject::None;
  Remedy remedy = Remedy::None;
};

}  // namespace gildex
