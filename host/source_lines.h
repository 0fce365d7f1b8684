#pragma once
// Lines of a source file as bytes, each with the line end it had on disk, so that a file
// Gildex did not change is written back byte for byte.
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace gildex::host {

enum class LineEnd : unsigned char { None, CrLf, Lf, Cr };

std::string_view LineEndText(LineEnd end);

struct RawLine {
  std::string text;  // without its line end
  LineEnd end = LineEnd::CrLf;
};

// A line of bytes still in the buffer it was split from.
struct LineView {
  std::string_view text;  // without its line end
  LineEnd end = LineEnd::CrLf;
};

// Position of the first CR or LF at or after `from`; npos when there is none.
std::size_t FindLineBreak(std::string_view text, std::size_t from);
// Splits bytes into lines at CR LF, LF or lone CR. Only the last line may end with
// LineEnd::None (no line end after the last line); empty input gives no lines.
std::vector<RawLine> SplitLines(std::string_view bytes);
// The same split without copying: the views point into `bytes`.
std::vector<LineView> SplitLineViews(std::string_view bytes);
// Joins lines back: the exact inverse of SplitLines.
std::string JoinLines(const std::vector<RawLine>& lines);
// The line end most lines use (CR LF when there are none): new lines get this one.
LineEnd DominantLineEnd(const std::vector<RawLine>& lines);

// The hidden lines that follow one code line. Nearly every line has none, and a large project
// has a million lines, so they cost one pointer until there are some.
class HiddenLines {
 public:
  HiddenLines() = default;
  HiddenLines(const HiddenLines& other) : lines_(Copy(other)) {}
  HiddenLines& operator=(const HiddenLines& other) {
    if (this != &other) lines_ = Copy(other);
    return *this;
  }
  HiddenLines(HiddenLines&&) noexcept = default;
  HiddenLines& operator=(HiddenLines&&) noexcept = default;

  bool empty() const { return size() == 0; }
  std::size_t size() const { return lines_ ? lines_->size() : 0; }
  void push_back(RawLine line) {
    if (!lines_) lines_ = std::make_unique<std::vector<RawLine>>();
    lines_->push_back(std::move(line));
  }
  RawLine& operator[](std::size_t index) { return (*lines_)[index]; }
  const RawLine& operator[](std::size_t index) const { return (*lines_)[index]; }
  const RawLine& at(std::size_t index) const {
    if (index >= size()) throw std::out_of_range("no such hidden line");
    return (*lines_)[index];
  }
  RawLine& back() { return lines_->back(); }
  const RawLine& back() const { return lines_->back(); }
  RawLine* begin() { return lines_ ? lines_->data() : nullptr; }
  RawLine* end() { return begin() + size(); }
  const RawLine* begin() const { return lines_ ? lines_->data() : nullptr; }
  const RawLine* end() const { return begin() + size(); }

 private:
  static std::unique_ptr<std::vector<RawLine>> Copy(const HiddenLines& other) {
    return other.lines_ ? std::make_unique<std::vector<RawLine>>(*other.lines_) : nullptr;
  }
  std::unique_ptr<std::vector<RawLine>> lines_;
};

// A line of the code window with the hidden "Attribute" lines that follow it in the file
// (VB6 keeps "Attribute Name.VB_Description = ..." and the like out of the code window
// and writes them back right after the line they follow).
struct CodeLine {
  RawLine line;
  HiddenLines hidden;
};

}  // namespace gildex::host
