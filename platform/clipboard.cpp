#include "platform/clipboard.h"

#include <ostream>

#include "platform/atomic_file.h"
#include "platform/cp1252.h"

namespace gildex::platform {

void FileClipboard::SetText(const std::string& text) { WriteFileAtomically(file_, text, 0666, true); }

void StreamClipboard::SetText(const std::string& text) {
  // Copied code keeps its CR LF in a file; a terminal shows plain line breaks.
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lines += text[i];
  out_ << cp1252::ToUtf8(lines);
  if (!lines.empty() && lines.back() != '\n') out_ << '\n';
  out_.flush();
}

}  // namespace gildex::platform
