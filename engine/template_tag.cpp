#include "engine/template_tag.h"

#include "common/nembus_common.h"
#include "platform/cp1252.h"

namespace gildex {

namespace {

constexpr std::string_view kTagName = "GX2/";

std::size_t MarkerIn(std::string_view line) { return cp1252::FindNoCase(line, kTemplateTagMarker); }

bool Blank(std::string_view text) { return text.find_first_not_of(" \t") == std::string_view::npos; }

}  // namespace

long LastDeclarationLine(const host::CodeModule& module, long line) {
  const long count = module.CountOfLines();
  while (line < count) {
    const std::string_view trimmed = TrimSpaces(module.Line(line));
    if (trimmed.empty() || trimmed.back() != '_') break;
    ++line;
  }
  return line;
}

std::optional<std::string> TemplateTagOf(std::string_view line) {
  const std::size_t at = MarkerIn(line);
  if (at == std::string_view::npos) return std::nullopt;
  return std::string(line.substr(at + kTemplateTagMarker.size()));
}

std::string WithoutTemplateTag(std::string_view line) {
  const std::size_t at = MarkerIn(line);
  if (at == std::string_view::npos || at == 0) return std::string(line);
  return std::string(line.substr(0, at));
}

std::string WithTemplateTag(std::string_view line, std::string_view template_name) {
  // Also keeps a tag that cannot be cut (in the first column) from being written twice.
  if (TemplateTagOf(line) == template_name) return std::string(line);
  std::string tagged = WithoutTemplateTag(line);
  if (tagged.empty() || tagged.back() != ' ') tagged += ' ';
  tagged += kTemplateTagMarker;
  tagged += template_name;
  return tagged;
}

bool TaggedFor(std::string_view declaration, std::string_view template_name) {
  for (std::size_t at = cp1252::FindNoCase(declaration, kTagName); at != std::string_view::npos;
       at = cp1252::FindNoCase(declaration, kTagName, at + 1)) {
    std::string_view rest = declaration.substr(at + kTagName.size());
    rest = rest.substr(0, rest.find_first_of("\r\n"));
    if (cp1252::StartsWithNoCase(rest, template_name) && Blank(rest.substr(template_name.size()))) return true;
  }
  return false;
}

}  // namespace gildex
