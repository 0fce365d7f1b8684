#include "templates/template_rules.h"

#include <fmt/core.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "platform/code_page.h"
#include "platform/cp1252.h"
#include "templates/template_files.h"

namespace gildex {
namespace {

std::string Quoted(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "\"" : " \"") + name + "\"";
  return list;
}

}  // namespace

std::string OneLine(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string TemplateNameProblem(std::string_view name) {
  std::string_view why;
  if (name.size() > kMaxTemplateNameLength)
    why = "it is longer than 200 characters";
  else if (name.find_first_of("/\\:") != std::string_view::npos)
    why = "a template name is a file name in the templates folder, without /, \\ or :";
  else if (name.find("..") != std::string_view::npos)
    why = "a template name is a file name in the templates folder, without \"..\"";
  else if (std::any_of(name.begin(), name.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
    why = "it holds a control character (a line break, a tab...)";
  if (why.empty()) return {};
  const std::string shown = name.size() > 60 ? std::string(name.substr(0, 60)) + "..." : std::string(name);
  return fmt::format("\"{}\" is not a template name: {}.", OneLine(shown), why);
}

std::optional<std::string> FindTemplate(const std::string& folder, std::string_view name, Problem& problem) {
  problem = Problem(TemplateNameProblem(name));
  if (!problem.empty()) return std::nullopt;
  const std::vector<std::string> names = TemplateNames(folder);
  if (std::find(names.begin(), names.end(), name) != names.end()) return std::string(name);
  std::vector<std::string> near;
  for (const std::string& candidate : names)
    if (cp1252::EqualsNoCase(candidate, name)) near.push_back(candidate);
  if (near.size() == 1) return near.front();
  std::sort(near.begin(), near.end());
  if (near.size() > 1) {
    problem = fmt::format("\"{}\" could be any of the templates {} in {}; give the name exactly.", name, Quoted(near),
                          folder);
    return std::nullopt;
  }
  problem = fmt::format("there is no template \"{}\" in {}", name, folder);
  if (names.empty()) {
    problem.remedy = Remedy::ChooseTemplateFolder;
  } else {
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
      return cp1252::LessNoCase()(a, b) || (!cp1252::LessNoCase()(b, a) && a < b);
    });
    problem.what += "; the templates there are: " + Quoted(sorted) + ".";
  }
  return std::nullopt;
}

std::string SettingValueProblem(const SettingInfo& info, std::string_view value) {
  // The engine's accessors quietly ignore a negative MinLines and raise a LineIncrement below
  // 1, as the options dialog relies on; a typed value is refused rather than something else
  // saved. Text that is no whole number is the type check's to refuse.
  static constexpr std::pair<std::string_view, long long> kLeast[] = {{"MinLines", 0}, {"LineIncrement", 1}};
  for (const auto& [property, least] : kLeast) {
    if (info.property != property) continue;
    std::string_view digits = value;
    if (digits.starts_with('+')) digits.remove_prefix(1);
    long long number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size() || number >= least) return {};
    const long long most = info.type == SettingType::Integer16 ? std::numeric_limits<std::int16_t>::max()
                                                               : std::numeric_limits<std::int32_t>::max();
    return fmt::format("{} (\"{}\") takes a whole number from {} to {}, not \"{}\".", info.property, info.registry_name,
                       least, most, value);
  }
  if (info.property == "CodePage") {
    int code_page = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), code_page);
    if (error == std::errc() && end == value.data() + value.size() && cp1252::CodePageSupported(code_page)) return {};
    return fmt::format("{} (\"{}\") takes a Windows code page: 874 or 1250 to 1258, not \"{}\".", info.property,
                       info.registry_name, value);
  }
  if (info.type != SettingType::Text) return {};
  if (info.property == "DefaultTemplate") {
    if (value.empty()) return {};  // no template chosen
    const std::string problem = TemplateNameProblem(value);
    if (problem.empty()) return {};
    return fmt::format("{} (\"{}\") was not changed: {}", info.property, info.registry_name, problem);
  }
  // The comment header is a block of lines and the check-out comment free text; every other
  // text setting is written into one source line or names one file or folder.
  if (info.property == "CommentTemplate" || info.property == "VSSComment") return {};
  if (value.find_first_of("\r\n") == std::string_view::npos) return {};
  return fmt::format("{} (\"{}\") takes one line of text; the value holds a line break.", info.property,
                     info.registry_name);
}

Problem StoredTemplateProblem(const CGildex& engine) {
  const std::string name = engine.DefaultTemplate();
  if (name.empty()) return {};
  const std::string problem = TemplateNameProblem(name);
  if (problem.empty()) return {};
  return {"the stored setting DefaultTemplate (\"Default Template\") is unusable: " + problem,
          Remedy::RepairStoredTemplate};
}

Problem TemplateChoiceProblem(const CGildex& engine, bool files_too) {
  if (engine.DefaultTemplate().empty()) return {"no template is chosen", Remedy::ChooseTemplate};
  Problem missing;
  if (files_too && !FindTemplate(engine.TemplatePath(), engine.DefaultTemplate(), missing))
    return {"the template \"" + engine.DefaultTemplate() + "\" is not in the templates folder", Remedy::ChooseTemplate};
  return {};
}

Problem CommentTemplateProblem(const CGildex& engine) {
  if (engine.CommentTemplate().empty()) return {"no comment block is set", Remedy::SetCommentTemplate};
  return {};
}

}  // namespace gildex
