#include "lsp/document.h"

#include <algorithm>

#include "lsp/protocol.h"

namespace gildex::lsp {

Document::Document(std::string uri, std::filesystem::path path, std::string text, long version)
    : uri_(std::move(uri)), path_(std::move(path)), text_(std::move(text)), version_(version) {
  Index();
}

std::string Document::Bytes() const { return EncodeAnsi(text_); }

void Document::Replace(std::string text, long version) {
  text_ = std::move(text);
  version_ = version;
  Index();
}

void Document::Change(Position from, Position to, std::string_view text, long version, bool utf16) {
  const std::size_t begin = Offset(from, utf16);
  const std::size_t end = std::max(begin, Offset(to, utf16));
  text_.replace(begin, end - begin, text);
  version_ = version;
  Index();
}

void Document::Index() {
  starts_.assign(1, 0);
  for (std::size_t i = 0; i < text_.size(); ++i) {
    if (text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n') ++i;
    if (text_[i] == '\r' || text_[i] == '\n') starts_.push_back(i + 1);
  }
}

std::string_view Document::LineAt(std::size_t n) const {
  const std::size_t start = starts_[n];
  std::size_t end = n + 1 < starts_.size() ? starts_[n + 1] : text_.size();
  if (n + 1 < starts_.size()) {
    if (text_[end - 1] == '\n') --end;
    if (end > start && text_[end - 1] == '\r') --end;
  }
  return std::string_view(text_).substr(start, end - start);
}

std::vector<std::string_view> Document::Lines() const {
  std::vector<std::string_view> lines;
  for (std::size_t n = 0; n < starts_.size(); ++n) lines.push_back(LineAt(n));
  return lines;
}

std::size_t Document::Offset(Position position, bool utf16) const {
  if (position.line >= starts_.size()) return text_.size();
  return starts_[position.line] + ByteOfColumn(LineAt(position.line), position.character, utf16);
}

Position Document::PositionOf(std::size_t offset, bool utf16) const {
  offset = std::min(offset, text_.size());
  const std::size_t line =
      static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), offset) - starts_.begin()) - 1;
  return {line, ColumnOfByte(LineAt(line), offset - starts_[line], utf16)};
}

}  // namespace gildex::lsp
