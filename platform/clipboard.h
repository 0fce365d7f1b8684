#pragma once
// The system clipboard as the add-in uses it: cleared, then given one text. A desktop program
// supplies the real one; the command line writes the text to a file or to standard output.
#include <filesystem>
#include <iosfwd>
#include <string>

namespace gildex::platform {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual void Clear() = 0;
  // `text` is Windows-1252, lines separated by CR LF as the code window gives them.
  virtual void SetText(const std::string& text) = 0;
  // The text it holds (what a paste takes); empty when it holds none or cannot be read.
  virtual std::string GetText() const { return {}; }
};

// Keeps the text; for tests and for a host that reads it back.
class MemoryClipboard : public Clipboard {
 public:
  void Clear() override { text_.clear(); }
  void SetText(const std::string& text) override { text_ = text; }
  std::string GetText() const override { return text_; }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

// Replaces `file` atomically with the text, bytes unchanged; throws std::runtime_error when the
// file cannot be written. Clear() writes nothing: a failed copy must not leave an empty file.
class FileClipboard : public Clipboard {
 public:
  explicit FileClipboard(std::filesystem::path file) : file_(std::move(file)) {}
  void Clear() override {}
  void SetText(const std::string& text) override;

 private:
  std::filesystem::path file_;
};

// Prints the text on a stream (converted to UTF-8 for a terminal), ending with a line break.
class StreamClipboard : public Clipboard {
 public:
  explicit StreamClipboard(std::ostream& out) : out_(out) {}
  void Clear() override {}
  void SetText(const std::string& text) override;

 private:
  std::ostream& out_;
};

}  // namespace gildex::platform
