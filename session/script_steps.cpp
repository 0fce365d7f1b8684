// The step parser of session scripts: each line's verb and words, checked before any step runs.
#include "session/script_steps.h"

#include <fmt/core.h>

#include <algorithm>

#include "common/event_list.h"
#include "platform/cp1252.h"
#include "platform/dialogs.h"
#include "session/session_script.h"

namespace gildex::session::script {

std::string Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t\r");
  return std::string(text.substr(first, last - first + 1));
}

// Words separated by blanks; "a b" is one word, "" inside quotes a quote.
bool SplitWords(std::string_view text, std::vector<std::string>& words) {
  for (std::size_t at = 0; at < text.size();) {
    if (text[at] == ' ' || text[at] == '\t') {
      ++at;
      continue;
    }
    std::string word;
    if (text[at] == '"') {
      for (++at;; ++at) {
        if (at >= text.size()) return false;
        if (text[at] == '"') {
          if (at + 1 < text.size() && text[at + 1] == '"') {
            word += '"';
            ++at;
            continue;
          }
          ++at;
          break;
        }
        word += text[at];
      }
    } else {
      while (at < text.size() && text[at] != ' ' && text[at] != '\t') word += text[at++];
    }
    words.push_back(std::move(word));
  }
  return true;
}

// The text after the first `count` words, as written (a value keeps its blanks and quotes).
std::string AfterWords(std::string_view text, int count) {
  std::size_t at = 0;
  for (int i = 0; i < count; ++i) {
    at = text.find_first_not_of(" \t", at);
    if (at == std::string_view::npos) return {};
    if (text[at] == '"') {
      for (++at; at < text.size(); ++at)
        if (text[at] == '"' && !(at + 1 < text.size() && text[at + 1] == '"')) break;
        else if (text[at] == '"') ++at;
      ++at;
    } else {
      at = text.find_first_of(" \t", at);
      if (at == std::string_view::npos) return {};
    }
  }
  return Trim(text.substr(std::min(at, text.size())));
}

constexpr const char* kAnswerUsage =
    "answer yes|no|ok|cancel|abort|retry|ignore|selected|module|close | answer template NAME | "
    "answer convert [file|title|keywords|description|method|action VALUE | replace yes|no]... | "
    "answer wizard TEMPLATE all|subs|functions|properties|EVENT COMPONENT...";

struct VerbShape {
  const char* verb;
  int min_words, max_words;  // -1: any number
  const char* usage;
};

constexpr VerbShape kVerbs[] = {
    {"open", 1, 1, "open PATH"},
    {"select", 1, 1, "select COMPONENT"},
    {"code", 1, 1, "code COMPONENT"},
    {"designer", 1, 1, "designer COMPONENT"},
    {"cursor", 1, 1, "cursor LINE"},
    {"selection", 4, 4, "selection START_LINE START_COLUMN END_LINE END_COLUMN"},
    {"controls", 0, -1, "controls [NAME...]"},
    {"add", 1, 1, "add CLASS"},
    {"rename", 2, 2, "rename NAME NEW_NAME"},
    {"remove", 1, 1, "remove NAME"},
    {"property", 3, -1, "property NAME PROPERTY VALUE"},
    {"click", 1, -1, "click BAR > CAPTION [> CAPTION...] | click tag TAG"},
    {"toolbar", 1, -1, "toolbar TOOLTIP"},
    {"answer", 1, -1, kAnswerUsage},
    {"bar", 2, 4, "bar NAME show|hide|top|left|right|bottom|float [TOP LEFT]"},
    {"save", 0, 0, "save"},
    {"menus", 0, -1, "menus [BAR]"},
    {"print", 1, 1, "print COMPONENT"},
    {"option", 2, -1, "option NAME VALUE"},
    {"connect", 0, 0, "connect"},
    {"disconnect", 0, 0, "disconnect"},
};

bool IsLineNumber(const std::string& word) {
  return !word.empty() && word.size() <= 9 && std::all_of(word.begin(), word.end(), [](char c) {
    return c >= '0' && c <= '9';
  });
}

// The answers a script may give, by word.
const std::map<std::string, int, std::less<>>& AnswerWords() {
  static const std::map<std::string, int, std::less<>> kWords = {
      {"ok", platform::vbOK},       {"cancel", platform::vbCancel}, {"abort", platform::vbAbort},
      {"retry", platform::vbRetry}, {"ignore", platform::vbIgnore}, {"yes", platform::vbYes},
      {"no", platform::vbNo},       {"selected", kSelectedText},    {"module", kEntireModule},
      {"close", kCloseWindow},      {"template", kChooseTemplate},  {"convert", kConvert},
      {"wizard", kWizard}};
  return kWords;
}

// The event of the wizard's event list that `word` names; nothing when none.
std::optional<int> WizardEvent(const std::string& word) {
  const std::string suffix = word.starts_with("_") ? word : "_" + word;
  for (std::size_t i = 0; i < kEventSuffixes.size(); ++i)
    if (cp1252::EqualsNoCase(kEventSuffixes[i], suffix)) return static_cast<int>(i);
  return std::nullopt;
}

// The converter window's fields an answer may fill.
constexpr const char* kConverterFields[] = {"file", "title", "keywords", "description", "method", "action", "replace"};

// Why the words after `answer` do not make one answer; empty when they do.
std::string AnswerProblem(const std::vector<std::string>& words) {
  const auto known = AnswerWords().find(cp1252::Lower(words[0]));
  if (known == AnswerWords().end()) return std::string("the step is written ") + kAnswerUsage;
  if (known->second == kChooseTemplate)
    return words.size() == 2 ? "" : "the step is written answer template NAME";
  if (known->second == kWizard) {
    if (words.size() < 4) return "the step is written answer wizard TEMPLATE FILTER COMPONENT...";
    const std::string filter = cp1252::Lower(words[2]);
    if (std::none_of(std::begin(kWizardFilters), std::end(kWizardFilters), [&](const char* f) { return filter == f; }) &&
        !WizardEvent(words[2]))
      return "\"" + words[2] + "\" is no filter of the wizard (all, subs, functions, properties or an event such as Click)";
    return {};
  }
  if (known->second != kConvert) return words.size() == 1 ? "" : std::string("the step is written ") + kAnswerUsage;
  if (words.size() % 2 == 0) return "answer convert wants a value after each field";
  for (std::size_t i = 1; i < words.size(); i += 2) {
    const std::string field = cp1252::Lower(words[i]);
    if (std::none_of(std::begin(kConverterFields), std::end(kConverterFields), [&](const char* f) { return field == f; }))
      return "\"" + words[i] + "\" is no field of the converter (file, title, keywords, description, method, action, replace)";
    if (field == "method" && !cp1252::EqualsNoCase(words[i + 1], "GET") && !cp1252::EqualsNoCase(words[i + 1], "POST"))
      return "the method is GET or POST, not \"" + words[i + 1] + "\"";
    if (field == "replace" && !cp1252::EqualsNoCase(words[i + 1], "yes") && !cp1252::EqualsNoCase(words[i + 1], "no"))
      return "replace is yes or no, not \"" + words[i + 1] + "\"";
  }
  return {};
}

}  // namespace gildex::session::script

namespace gildex::session {

std::optional<std::vector<ScriptStep>> ParseSessionScript(const std::string& text, std::string& problem) {
  using namespace script;
  std::vector<ScriptStep> steps;
  long number = 0;
  for (std::size_t at = 0; at <= text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    const std::string line = Trim(std::string_view(text).substr(at, end - at));
    at = end + 1;
    ++number;
    if (line.empty() || line[0] == '#') continue;
    ScriptStep step;
    step.line = number;
    const std::size_t verb_end = std::min(line.find_first_of(" \t"), line.size());
    step.verb = cp1252::Lower(line.substr(0, verb_end));
    step.rest = Trim(std::string_view(line).substr(verb_end));
    auto fail = [&](const std::string& why) {
      problem = fmt::format("line {}: {}", number, why);
      return std::nullopt;
    };
    const VerbShape* shape = nullptr;
    for (const VerbShape& known : kVerbs)
      if (step.verb == known.verb) shape = &known;
    if (shape == nullptr) return fail("\"" + step.verb + "\" is no step");
    if (!SplitWords(step.rest, step.words)) return fail("a quote is not closed");
    const int count = static_cast<int>(step.words.size());
    if (count < shape->min_words || (shape->max_words >= 0 && count > shape->max_words))
      return fail(std::string("the step is written ") + shape->usage);
    if (step.verb == "answer")
      if (const std::string why = AnswerProblem(step.words); !why.empty()) return fail(why);
    steps.push_back(std::move(step));
  }
  return steps;
}

}  // namespace gildex::session
