#include "host/designer_block.h"

#include <algorithm>
#include <charconv>

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

}  // namespace

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

}  // namespace gildex::host
