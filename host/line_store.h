#pragma once
// Where a code module keeps its lines' bytes: the text store and the reused buffer an
// edit's text is split into.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/source_lines.h"

namespace gildex::host {

// The lines of an edit's text, in strings kept from edit to edit: numbering replaces every
// line of a module, and reusing their room spares an allocation per line.
class SplitLinesBuffer {
 public:
  void Split(std::string_view text) {
    Clear();
    std::size_t start = 0;
    for (;;) {
      std::size_t stop = FindLineBreak(text, start);
      if (stop == std::string_view::npos) {
        Add(text.substr(start));
        return;
      }
      Add(text.substr(start, stop - start));
      start = stop + (text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n' ? 2 : 1);
    }
  }
  void Clear() {
    count_ = 0;
    // The room of a large edit is not kept beyond the next one.
    if (lines_.size() > 64) std::vector<std::string>().swap(lines_);
  }
  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  std::string* begin() { return lines_.data(); }
  std::string* end() { return lines_.data() + count_; }
  const std::string* begin() const { return lines_.data(); }
  const std::string* end() const { return lines_.data() + count_; }
  std::string& operator[](std::size_t index) { return lines_[index]; }

 private:
  void Add(std::string_view line) {
    if (count_ == lines_.size()) lines_.emplace_back();
    lines_[count_++].assign(line);
  }
  std::vector<std::string> lines_;
  std::size_t count_ = 0;
};

// The bytes of a module's lines, in chunks that never move: a line's text is a view into
// them, so a line costs its bytes and a 24-byte slot instead of a string of its own. An
// edit adds the new text at the end and leaves the old as garbage; once the garbage passes
// half of what is live, everything live is copied into one new chunk.
class TextStore {
 public:
  const char* Add(std::string_view text) {
    if (text.empty()) return nullptr;
    if (chunks_.empty() || room_ < text.size()) {
      // Chunks grow with the module, so that a small module stays small.
      const std::size_t size = std::max(text.size(), std::min<std::size_t>(stored_ / 8 + 256, 1 << 20));
      NewChunk(size);
    }
    char* at = next_;
    std::memcpy(at, text.data(), text.size());
    next_ += text.size();
    room_ -= text.size();
    stored_ += text.size();
    live_ += text.size();
    return at;
  }
  void Drop(std::size_t size) { live_ -= size; }
  bool WantsCompaction() const { return stored_ - live_ > live_ / 2 + 4096; }
  // An empty store with room for `size` bytes in one chunk.
  void Reserve(std::size_t size) {
    if (size > 0) NewChunk(size);
  }

 private:
  void NewChunk(std::size_t size) {
    chunks_.push_back(std::unique_ptr<char[]>(new char[size]));  // filled as lines come, never zeroed
    next_ = chunks_.back().get();
    room_ = size;
  }

  std::vector<std::unique_ptr<char[]>> chunks_;
  char* next_ = nullptr;
  std::size_t room_ = 0;
  std::size_t stored_ = 0;  // bytes added, garbage included
  std::size_t live_ = 0;    // bytes of lines still in the module
};

}  // namespace gildex::host
