#pragma once
// The text of one document as the editor holds it (UTF-8), kept in step with its
// didOpen/didChange messages, and the positions of the protocol in it.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace gildex::lsp {

struct Position {
  std::size_t line = 0, character = 0;
};

class Document {
 public:
  Document(std::string uri, std::filesystem::path path, std::string text, long version);

  const std::string& Uri() const { return uri_; }
  const std::filesystem::path& Path() const { return path_; }
  const std::string& Text() const { return text_; }
  long Version() const { return version_; }
  // The file's bytes for this text, in the code page in use.
  std::string Bytes() const;

  void Replace(std::string text, long version);
  // Replaces the text between two positions (a didChange with a range).
  void Change(Position from, Position to, std::string_view text, long version, bool utf16);

  std::size_t Offset(Position position, bool utf16) const;
  Position PositionOf(std::size_t offset, bool utf16) const;
  // Lines split at CR LF, LF or CR, without their ends.
  std::vector<std::string_view> Lines() const;
  std::string_view LineAt(std::size_t line) const;
  std::size_t LineCount() const { return starts_.size(); }
  // Where line `line` starts (the text's end past the last line), and the line with its end.
  std::size_t LineStart(std::size_t line) const { return line < starts_.size() ? starts_[line] : text_.size(); }
  std::string_view LineWithEnd(std::size_t line) const {
    return std::string_view(text_).substr(LineStart(line), LineStart(line + 1) - LineStart(line));
  }

 private:
  void Index();

  std::string uri_;
  std::filesystem::path path_;
  std::string text_;
  long version_ = 0;
  std::vector<std::size_t> starts_;  // offset of each line
};

}  // namespace gildex::lsp
