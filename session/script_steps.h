#pragma once
// The words of a session script's steps (session_script.h), shared by the step parser, the
// scripted windows and the player.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gildex::session::script {

std::string Trim(std::string_view text);
// Words separated by blanks; "a b" is one word, "" inside quotes a quote. False when a quote
// is not closed.
bool SplitWords(std::string_view text, std::vector<std::string>& words);
// The text after the first `count` words, as written (a value keeps its blanks and quotes).
std::string AfterWords(std::string_view text, int count);
bool IsLineNumber(const std::string& word);

// The windows' answers; a box's are its buttons, all positive.
inline constexpr int kSelectedText = -1, kEntireModule = -2, kCloseWindow = -3, kChooseTemplate = -4, kConvert = -5,
                     kWizard = -6;
// The answers a script may give, by word.
const std::map<std::string, int, std::less<>>& AnswerWords();
// The wizard's procedure filters by word, as the entries of its insert-option list; any
// other word is an event ("Click" or "_Click").
inline constexpr const char* kWizardFilters[] = {"all", "subs", "functions", "properties"};
// The event of the wizard's event list that `word` names; nothing when none.
std::optional<int> WizardEvent(const std::string& word);

}  // namespace gildex::session::script
