#include "host/designer_block.h"

#include <algorithm>
#include <cmath>
#include <charconv>
#include <utility>

#include "host/control_catalogue.h"
#include "platform/cp1252.h"

namespace gildex::host {
namespace {

using cp1252::EqualsNoCase;

// Deeper nesting than any designer could build means a damaged or hostile file; the
// reader recurses once per level, so it stops there instead of exhausting the stack.
constexpr int kMaxNesting = 200;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> Words(std::string_view s) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && IsBlank(s[i])) ++i;
    std::size_t start = i;
    while (i < s.size() && !IsBlank(s[i])) ++i;
    if (i > start) words.push_back(s.substr(start, i - start));
  }
  return words;
}

// Property names are written without blanks: "Caption", "Tab(0).Control(1)", "Object.Height".
bool IsPropertyName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name) {
    if (IsBlank(c) || c == '"' || c == '\'' || c == '=' || c == '\r' || c == '\n') return false;
  }
  return true;
}

std::string_view FirstWord(std::string_view trimmed) {
  std::size_t i = 0;
  while (i < trimmed.size() && !IsBlank(trimmed[i])) ++i;
  return trimmed.substr(0, i);
}

enum class LineKind { Blank, Begin, End, BeginProperty, EndProperty, Property, Other };

LineKind Classify(std::string_view text) {
  std::string_view t = Trim(text);
  if (t.empty()) return LineKind::Blank;
  std::string_view word = FirstWord(t);
  if (EqualsNoCase(word, "Begin")) return LineKind::Begin;
  if (EqualsNoCase(word, "BeginProperty")) return LineKind::BeginProperty;
  if (EqualsNoCase(t, "End")) return LineKind::End;
  if (EqualsNoCase(t, "EndProperty")) return LineKind::EndProperty;
  std::size_t eq = t.find('=');
  if (eq != std::string_view::npos && IsPropertyName(Trim(t.substr(0, eq)))) return LineKind::Property;
  return LineKind::Other;
}

std::optional<int> ParseIndex(std::string_view value) {
  int index = 0;
  auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), index);
  if (ec != std::errc() || end != value.data() + value.size()) return std::nullopt;
  return index;
}

DesignerProperty ReadPropertyLine(std::string_view text, long line) {
  std::string_view t = Trim(text);
  std::size_t eq = t.find('=');
  DesignerProperty property;
  property.name = std::string(Trim(t.substr(0, eq)));
  property.value = DesignerValueText(t.substr(eq + 1));
  property.frx = ParseFrxReference(property.value);
  property.line = line;
  property.end_line = line;
  return property;
}

// Reads one Begin ... End block by recursive descent: a control holds properties, property
// groups and controls; a group holds properties and groups.
class BlockReader {
 public:
  explicit BlockReader(const std::vector<RawLine>& lines) : lines_(lines) {}

  DesignerParse Read(std::size_t first) {
    pos_ = first;
    DesignerParse result;
    auto root = ReadControl(nullptr, 0);
    result.end = pos_;
    if (!error_.empty()) {
      result.error = error_;
      result.error_line = error_line_;
      return result;
    }
    result.block = std::make_unique<DesignerBlock>();
    result.block->root = std::move(root);
    return result;
  }

 private:
  long LineNumber(std::size_t index) const { return static_cast<long>(index) + 1; }

  void Fail(long line, std::string message) {
    if (!error_.empty()) return;  // the innermost failure is the one to name
    error_line_ = line;
    error_ = std::move(message);
  }

  static std::string ControlTitle(std::string_view begin_text) {
    std::string title;
    for (std::string_view word : Words(begin_text)) {
      if (!title.empty()) title += ' ';
      title += word;
    }
    return title;
  }

  // lines_[pos_] is the control's Begin line; leaves pos_ after its End.
  std::unique_ptr<DesignerControl> ReadControl(DesignerControl* container, int depth) {
    auto control = std::make_unique<DesignerControl>();
    const std::size_t begin = pos_;
    const std::vector<std::string_view> words = Words(lines_[begin].text);
    if (words.size() > 1) control->prog_id = std::string(words[1]);
    if (words.size() > 2) control->name = std::string(words[2]);
    control->container = container;
    control->begin_line = LineNumber(begin);
    const std::string title = ControlTitle(lines_[begin].text);
    const auto no_end = [&] { Fail(control->begin_line, title + " at line " + std::to_string(control->begin_line) + " has no End"); };
    if (depth > kMaxNesting) {
      Fail(control->begin_line, title + " at line " + std::to_string(control->begin_line) + " is nested too deeply");
      return control;
    }
    ++pos_;
    while (pos_ < lines_.size() && error_.empty()) {
      const RawLine& line = lines_[pos_];
      switch (Classify(line.text)) {
        case LineKind::Blank:
          ++pos_;
          break;
        case LineKind::Property: {
          DesignerProperty property = ReadPropertyLine(line.text, LineNumber(pos_));
          if (EqualsNoCase(property.name, "Index")) {
            if (auto index = ParseIndex(property.value)) control->index = *index;
          }
          control->properties.push_back(std::move(property));
          ++pos_;
          break;
        }
        case LineKind::BeginProperty:
          control->properties.push_back(ReadGroup(depth + 1));
          break;
        case LineKind::Begin:
          control->children.push_back(ReadControl(control.get(), depth + 1));
          break;
        case LineKind::End:
          control->end_line = LineNumber(pos_);
          ++pos_;
          return control;
        case LineKind::EndProperty:
          Fail(LineNumber(pos_), "EndProperty at line " + std::to_string(LineNumber(pos_)) + " does not close " + title +
                                     " at line " + std::to_string(control->begin_line));
          return control;
        case LineKind::Other:
          no_end();
          return control;
      }
    }
    no_end();
    return control;
  }

  // lines_[pos_] is "BeginProperty Name {guid}"; leaves pos_ after its EndProperty.
  DesignerProperty ReadGroup(int depth) {
    DesignerProperty group;
    group.is_group = true;
    const std::size_t begin = pos_;
    const std::vector<std::string_view> words = Words(lines_[begin].text);
    if (words.size() > 1) group.name = std::string(words[1]);
    if (words.size() > 2) group.group_guid = std::string(words[2]);
    group.line = LineNumber(begin);
    const std::string title = "BeginProperty " + group.name + " at line " + std::to_string(group.line);
    if (depth > kMaxNesting) {
      Fail(group.line, title + " is nested too deeply");
      return group;
    }
    ++pos_;
    while (pos_ < lines_.size() && error_.empty()) {
      const RawLine& line = lines_[pos_];
      switch (Classify(line.text)) {
        case LineKind::Blank:
          ++pos_;
          break;
        case LineKind::Property:
          group.group.push_back(ReadPropertyLine(line.text, LineNumber(pos_)));
          ++pos_;
          break;
        case LineKind::BeginProperty:
          group.group.push_back(ReadGroup(depth + 1));
          break;
        case LineKind::EndProperty:
          group.end_line = LineNumber(pos_);
          ++pos_;
          return group;
        case LineKind::End:
          Fail(LineNumber(pos_), "End at line " + std::to_string(LineNumber(pos_)) + " does not close " + title);
          return group;
        case LineKind::Begin:
        case LineKind::Other:
          Fail(group.line, title + " has no EndProperty");
          return group;
      }
    }
    Fail(group.line, title + " has no EndProperty");
    return group;
  }

  const std::vector<RawLine>& lines_;
  std::size_t pos_ = 0;
  long error_line_ = 0;
  std::string error_;
};

void CollectControls(const DesignerControl& control, std::vector<DesignerControl*>& out) {
  for (const auto& child : control.children) {
    out.push_back(child.get());
    CollectControls(*child, out);
  }
}

// ---- edits ----

void ShiftProperty(DesignerProperty& property, long from, long delta) {
  if (property.line >= from) property.line += delta;
  if (property.end_line >= from) property.end_line += delta;
  for (DesignerProperty& member : property.group) ShiftProperty(member, from, delta);
}

// Every line number at or below `from` moves by `delta`.
void ShiftLines(DesignerControl& control, long from, long delta) {
  if (control.begin_line >= from) control.begin_line += delta;
  if (control.end_line >= from) control.end_line += delta;
  for (DesignerProperty& property : control.properties) ShiftProperty(property, from, delta);
  for (auto& child : control.children) ShiftLines(*child, from, delta);
}

std::string_view Indentation(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  return text.substr(0, i);
}

// One nesting level of the designer block, as VB6 indents it.
constexpr std::string_view kLevel = "   ";

// The value with the comment VB6 writes after a Boolean: "0   'False", "-1  'True".
std::string BooleanText(std::string_view value) {
  std::string text(value);
  text.resize(std::max<std::size_t>(text.size(), 4), ' ');
  return text + (value == "0" ? "'False" : "'True");
}

// The value with the comment VB6 writes after it, if any: "3  'Fixed Dialog", "0   'False".
std::string ValueText(std::string_view prog_id, std::string_view name, std::string_view value) {
  const std::string comment = ValueComment(prog_id, name, value);
  if (comment.empty()) return std::string(value);
  if ((value == "-1" || value == "0") && (comment == "True" || comment == "False")) return BooleanText(value);
  return std::string(value) + "  '" + comment;
}

// "   Caption         =   " + value: names padded to 16 characters, as VB6 aligns them.
std::string PropertyLineText(std::string_view indent, std::string_view prog_id, std::string_view name,
                             std::string_view value) {
  std::string text(indent);
  text += name;
  if (name.size() < 16) text.append(16 - name.size(), ' ');
  return text + "=   " + ValueText(prog_id, name, value);
}

// The line with `value` in place of `old_value`: what stands before the value stays.
std::string RewriteValue(std::string_view text, std::string_view prog_id, std::string_view name,
                         std::string_view old_value, std::string_view value) {
  std::size_t start = text.find('=') + 1;
  while (start < text.size() && IsBlank(text[start])) ++start;
  std::string_view prefix = text.substr(0, start);
  std::string_view rest = text.substr(std::min(text.size(), start + old_value.size()));
  if (value == old_value) return std::string(prefix) + std::string(value) + std::string(rest);
  std::string_view comment = Trim(rest);
  if ((value == "-1" || value == "0") && (comment == "'True" || comment == "'False"))
    return std::string(prefix) + BooleanText(value);
  // A value without a known name goes without one: the designer reads the line the same.
  if (comment.starts_with('\'')) return std::string(prefix) + ValueText(prog_id, name, value);
  return std::string(prefix) + std::string(value);
}

DesignerProperty* FindIn(std::vector<DesignerProperty>& properties, std::string_view name) {
  for (DesignerProperty& property : properties)
    if (EqualsNoCase(property.name, name)) return &property;
  return nullptr;
}

void InsertLine(std::vector<RawLine>& lines, DesignerBlock& block, long line, std::string text) {
  const std::size_t at = static_cast<std::size_t>(line - 1);
  const LineEnd end = at < lines.size() ? lines[at].end : lines.empty() ? LineEnd::CrLf : lines.back().end;
  ShiftLines(*block.root, line, 1);
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), RawLine{std::move(text), end});
}

}  // namespace

void RenameControlLine(std::vector<RawLine>& lines, DesignerControl& control, std::string_view name) {
  std::string& text = lines.at(static_cast<std::size_t>(control.begin_line - 1)).text;
  // The third word: Begin, the class, the name.
  std::size_t i = 0;
  for (int word = 0; word < 2; ++word) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
  }
  while (i < text.size() && IsBlank(text[i])) ++i;
  std::size_t end = i;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  if (end == i && (i == 0 || !IsBlank(text[i - 1]))) text.insert(i++, 1, ' ');
  text.replace(i, end - i, name);
  control.name = std::string(name);
}

namespace {

struct NewPropertyPlace {
  std::size_t position = 0;  // among its siblings
  long line = 0;             // the line it goes in front of
  std::string indent;
};

// Where a new property `name` of the control (or of its `group`) goes, and the indentation of
// its neighbours (or one level deeper than the line that opens the control or group).
NewPropertyPlace PlaceFor(const std::vector<RawLine>& lines, const DesignerControl& control, const DesignerProperty* group,
                          std::string_view name) {
  const std::vector<DesignerProperty>& siblings = group ? group->group : control.properties;
  NewPropertyPlace place;
  place.position = siblings.size();
  if (!group && cp1252::StartsWithNoCase(control.prog_id, "VB.")) {
    place.position = 0;
    while (place.position < siblings.size() && !cp1252::LessNoCase()(name, siblings[place.position].name)) ++place.position;
  }
  if (place.position < siblings.size())
    place.line = siblings[place.position].line;
  else if (!siblings.empty())
    place.line = siblings.back().end_line + 1;
  else
    place.line = (group ? group->line : control.begin_line) + 1;
  if (!siblings.empty())
    place.indent = std::string(Indentation(lines.at(static_cast<std::size_t>(siblings.front().line - 1)).text));
  else
    place.indent = std::string(Indentation(lines.at(static_cast<std::size_t>((group ? group->line : control.begin_line) - 1)).text)) +
                   std::string(kLevel);
  return place;
}

}  // namespace

bool SetPropertyLine(std::vector<RawLine>& lines, DesignerBlock& block, DesignerControl& control,
                     const std::vector<std::string>& path, std::string_view value) {
  if (path.empty() || path.size() > 2) return false;
  std::vector<DesignerProperty>* siblings = &control.properties;
  DesignerProperty* group = nullptr;
  if (path.size() == 2) {
    group = FindIn(control.properties, path[0]);
    if (!group || !group->is_group) return false;
    siblings = &group->group;
  }
  const std::string& name = path.back();
  if (DesignerProperty* property = FindIn(*siblings, name)) {
    if (property->is_group) return false;
    std::string& text = lines.at(static_cast<std::size_t>(property->line - 1)).text;
    text = RewriteValue(text, control.prog_id, group ? std::string_view() : name, property->value, value);
    property->value = std::string(value);
    property->frx = ParseFrxReference(value);
    return true;
  }
  const NewPropertyPlace place = PlaceFor(lines, control, group, name);
  InsertLine(lines, block, place.line,
             PropertyLineText(place.indent, group ? std::string_view() : std::string_view(control.prog_id), name, value));
  DesignerProperty property;
  property.name = name;
  property.value = std::string(value);
  property.frx = ParseFrxReference(value);
  property.line = property.end_line = place.line;
  siblings->insert(siblings->begin() + static_cast<std::ptrdiff_t>(place.position), std::move(property));
  if (!group && EqualsNoCase(name, "Index")) {
    if (auto index = ParseIndex(value)) control.index = *index;
  }
  return true;
}

DesignerProperty& InsertGroupLines(std::vector<RawLine>& lines, DesignerBlock& block, DesignerControl& control,
                                   std::string_view name, const std::vector<std::pair<std::string, std::string>>& members) {
  const NewPropertyPlace place = PlaceFor(lines, control, nullptr, name);
  const std::string inner = place.indent + std::string(kLevel);
  std::vector<std::string> texts;
  texts.push_back(place.indent + "BeginProperty " + std::string(name) + " ");  // VB6 ends it with a blank
  for (const auto& [member, value] : members) texts.push_back(PropertyLineText(inner, {}, member, value));
  texts.push_back(place.indent + "EndProperty");

  DesignerProperty group;
  group.name = std::string(name);
  group.is_group = true;
  group.line = place.line;
  group.end_line = place.line + static_cast<long>(texts.size()) - 1;
  long line = place.line;
  for (const auto& [member, value] : members) {
    DesignerProperty property;
    property.name = member;
    property.value = value;
    property.line = property.end_line = ++line;
    group.group.push_back(std::move(property));
  }
  // Each line goes in front of the one before it was inserted in front of, so the last first.
  for (auto text = texts.rbegin(); text != texts.rend(); ++text) InsertLine(lines, block, place.line, std::move(*text));
  return *control.properties.insert(control.properties.begin() + static_cast<std::ptrdiff_t>(place.position), std::move(group));
}

bool RemovePropertyLine(std::vector<RawLine>& lines, DesignerBlock& block, DesignerControl& control, std::string_view name) {
  auto it = std::find_if(control.properties.begin(), control.properties.end(),
                         [&](const DesignerProperty& p) { return !p.is_group && EqualsNoCase(p.name, name); });
  if (it == control.properties.end()) return false;
  const long line = it->line;
  control.properties.erase(it);
  if (EqualsNoCase(name, "Index")) control.index = -1;
  lines.erase(lines.begin() + (line - 1));
  ShiftLines(*block.root, line + 1, -1);
  return true;
}

DesignerControl& InsertControlLines(std::vector<RawLine>& lines, DesignerBlock& block, DesignerControl& container,
                                    std::string_view prog_id, std::string_view name,
                                    const std::vector<std::pair<std::string, std::string>>& properties) {
  auto position = std::find_if(container.children.begin(), container.children.end(),
                               [](const auto& child) { return EqualsNoCase(child->prog_id, "VB.Menu"); });
  const long first = position == container.children.end() ? container.end_line : (*position)->begin_line;
  const std::string indent =
      std::string(Indentation(lines.at(static_cast<std::size_t>(container.begin_line - 1)).text)) + std::string(kLevel);
  const std::string inner = indent + std::string(kLevel);
  std::vector<std::string> texts;
  texts.push_back(indent + "Begin " + std::string(prog_id) + " " + std::string(name) + " ");  // VB6 ends it with a blank
  for (const auto& [property, value] : properties) texts.push_back(PropertyLineText(inner, prog_id, property, value));
  texts.push_back(indent + "End");

  const long count = static_cast<long>(texts.size());
  const std::size_t at = static_cast<std::size_t>(first - 1);
  const LineEnd end = lines.at(at).end;
  ShiftLines(*block.root, first, count);
  std::vector<RawLine> added;
  for (std::string& text : texts) added.push_back(RawLine{std::move(text), end});
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), std::make_move_iterator(added.begin()),
               std::make_move_iterator(added.end()));

  auto control = std::make_unique<DesignerControl>();
  control->prog_id = std::string(prog_id);
  control->name = std::string(name);
  control->container = &container;
  control->begin_line = first;
  control->end_line = first + count - 1;
  long line = first;
  for (const auto& [property_name, value] : properties) {
    DesignerProperty property;
    property.name = property_name;
    property.value = DesignerValueText(value);
    property.frx = ParseFrxReference(property.value);
    property.line = property.end_line = ++line;
    if (EqualsNoCase(property_name, "Index")) {
      if (auto index = ParseIndex(value)) control->index = *index;
    }
    control->properties.push_back(std::move(property));
  }
  return **container.children.insert(position, std::move(control));
}

std::unique_ptr<DesignerControl> RemoveControlLines(std::vector<RawLine>& lines, DesignerBlock& block,
                                                    DesignerControl& control) {
  DesignerControl& container = *control.container;
  auto it = std::find_if(container.children.begin(), container.children.end(),
                         [&](const auto& child) { return child.get() == &control; });
  std::unique_ptr<DesignerControl> removed = std::move(*it);
  container.children.erase(it);
  const long first = removed->begin_line, last = removed->end_line;
  lines.erase(lines.begin() + (first - 1), lines.begin() + last);
  ShiftLines(*block.root, last + 1, -(last - first + 1));
  return removed;
}

namespace {

int Depth(const DesignerControl& control) {
  int depth = 0;
  for (const DesignerControl* up = control.container; up != nullptr; up = up->container) ++depth;
  return depth;
}

// Lines moved `levels` deeper (or shallower, taking off only the blanks they have).
void Reindent(std::vector<RawLine>& lines, int levels) {
  const std::size_t blanks = kLevel.size() * static_cast<std::size_t>(levels < 0 ? -levels : levels);
  for (RawLine& line : lines) {
    if (line.text.empty() || levels == 0) continue;
    if (levels > 0) {
      line.text.insert(0, blanks, ' ');
      continue;
    }
    std::size_t cut = 0;
    while (cut < blanks && cut < line.text.size() && IsBlank(line.text[cut])) ++cut;
    line.text.erase(0, cut);
  }
}

}  // namespace

void MoveControlLines(std::vector<RawLine>& lines, DesignerBlock& block, DesignerControl& control,
                      DesignerControl& container, std::size_t position) {
  const int levels = Depth(container) + 1 - Depth(control);
  DesignerControl& from = *control.container;
  auto it = std::find_if(from.children.begin(), from.children.end(),
                         [&](const auto& child) { return child.get() == &control; });
  std::unique_ptr<DesignerControl> moved = std::move(*it);
  from.children.erase(it);
  const long first = moved->begin_line, last = moved->end_line, count = last - first + 1;
  std::vector<RawLine> texts(std::make_move_iterator(lines.begin() + (first - 1)),
                             std::make_move_iterator(lines.begin() + last));
  lines.erase(lines.begin() + (first - 1), lines.begin() + last);
  ShiftLines(*block.root, last + 1, -count);

  const auto menu = std::find_if(container.children.begin(), container.children.end(),
                                 [](const auto& child) { return EqualsNoCase(child->prog_id, "VB.Menu"); });
  position = std::min(position, static_cast<std::size_t>(menu - container.children.begin()));
  const long at = position < container.children.size() ? container.children[position]->begin_line : container.end_line;
  Reindent(texts, levels);
  ShiftLines(*block.root, at, count);
  lines.insert(lines.begin() + (at - 1), std::make_move_iterator(texts.begin()), std::make_move_iterator(texts.end()));
  ShiftLines(*moved, 0, at - first);
  moved->container = &container;
  container.children.insert(container.children.begin() + static_cast<std::ptrdiff_t>(position), std::move(moved));
}

std::string DesignerControl::ClassName() const {
  std::size_t dot = prog_id.rfind('.');
  return dot == std::string::npos ? prog_id : prog_id.substr(dot + 1);
}

const DesignerProperty* DesignerControl::Find(const std::string& property_name) const {
  for (const DesignerProperty& property : properties) {
    if (EqualsNoCase(property.name, property_name)) return &property;
  }
  return nullptr;
}

DesignerProperty* DesignerControl::Find(const std::string& property_name) {
  return const_cast<DesignerProperty*>(std::as_const(*this).Find(property_name));
}

std::vector<DesignerControl*> DesignerBlock::AllControls() const {
  std::vector<DesignerControl*> controls;
  if (root) CollectControls(*root, controls);
  return controls;
}

DesignerParse ParseDesignerBlock(const std::vector<RawLine>& lines, std::size_t first) {
  if (first >= lines.size() || Classify(lines[first].text) != LineKind::Begin) {
    DesignerParse result;
    result.end = first;
    result.error_line = static_cast<long>(first) + 1;
    result.error = "expected a Begin line";
    return result;
  }
  return BlockReader(lines).Read(first);
}

std::string DesignerValueText(std::string_view after_equals) {
  std::string_view value = Trim(after_equals);
  bool in_quotes = false;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '"') {
      in_quotes = !in_quotes;
    } else if (value[i] == '\'' && !in_quotes) {
      value = Trim(value.substr(0, i));
      break;
    }
  }
  return std::string(value);
}

std::optional<FrxReference> ParseFrxReference(std::string_view value) {
  FrxReference reference;
  if (!value.empty() && value.front() == '$') {
    reference.string_list = true;
    value.remove_prefix(1);
  }
  if (value.size() < 2 || value.front() != '"') return std::nullopt;
  std::size_t close = value.find('"', 1);
  if (close == std::string_view::npos || close + 1 >= value.size() || value[close + 1] != ':') return std::nullopt;
  reference.file = std::string(value.substr(1, close - 1));
  std::string_view hex = value.substr(close + 2);
  // .frx files stay far below 4 GB; a longer number is not an offset the designer wrote.
  if (hex.empty() || hex.size() > 8) return std::nullopt;
  auto [end, ec] = std::from_chars(hex.data(), hex.data() + hex.size(), reference.offset, 16);
  if (ec != std::errc() || end != hex.data() + hex.size()) return std::nullopt;
  return reference;
}

std::string DesignerStringText(std::string_view value) {
  if (value.size() < 2 || value.front() != '"' || value.back() != '"') return std::string(value);
  std::string text;
  for (std::size_t i = 1; i + 1 < value.size(); ++i) {
    text += value[i];
    if (value[i] == '"' && i + 2 < value.size() && value[i + 1] == '"') ++i;
  }
  return text;
}

std::optional<double> DesignerNumber(std::string_view value) {
  if (value.empty() || value.front() == ' ' || value.front() == '\t') return std::nullopt;
  const std::string copy(value);
  char* end = nullptr;
  const double number = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size() || !std::isfinite(number)) return std::nullopt;
  return number;
}

bool IsDesignerStringLiteral(std::string_view value) {
  if (value.size() < 2 || value.front() != '"' || value.back() != '"') return false;
  for (std::size_t i = 1; i + 1 < value.size(); ++i) {
    if (value[i] != '"') continue;
    if (i + 2 >= value.size() || value[i + 1] != '"') return false;
    ++i;
  }
  return true;
}

std::string DesignerStringLiteral(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

}  // namespace gildex::host
