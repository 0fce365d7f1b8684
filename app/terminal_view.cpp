#include "app/terminal_view.h"

#include <fmt/format.h>

#include <algorithm>
#include <ostream>

#include "platform/cp1252.h"

namespace gildex {
namespace {

// A line of the window's default font (8 point), in twips.
constexpr long kLineHeight = 195;
// The client area plus a sizable window's borders.
constexpr long kOuterWidth = kMessageClientWidth + 120;
constexpr int kBarCells = 20;
// The progress line stays within a narrow terminal, so that it never wraps and leaves copies.
constexpr std::size_t kProgressWidth = 79;

}  // namespace

std::string Console::BarText(std::int64_t min, std::int64_t max, std::int64_t value) {
  std::int64_t done = 0, whole = 1;
  if (max > min) {
    done = std::clamp(value, min, max) - min;
    whole = max - min;
  }
  const int cells = static_cast<int>(done * kBarCells / whole);
  const int percent = static_cast<int>(done * 100 / whole);
  return fmt::format("[{}{}] {:3}%", std::string(cells, '#'), std::string(kBarCells - cells, '.'), percent);
}

void Console::Message(const std::string& text) {
  if (mode_.verbose && !mode_.quiet) Print(text);
}

void Console::Status(const std::string& text) {
  if (is_information_ && is_information_(text)) {
    if (mode_.verbose && !mode_.quiet) Print(text);
    return;
  }
  Problem(text);
}

void Console::Problem(const std::string& text) {
  ++problems_;
  Print(text);
}

void Console::Line(const std::string& text) {
  if (!mode_.quiet) Print(text);
}

void Console::Progress(const std::string& text) {
  // Verbose lines show the progress themselves.
  if (!mode_.terminal || mode_.quiet || mode_.verbose) return;
  const std::string line = text.substr(0, kProgressWidth);
  if (line == progress_) return;
  // Blanks over what a longer line left behind.
  const std::size_t blanks = progress_.size() > line.size() ? progress_.size() - line.size() : 0;
  out_ << '\r' << cp1252::ToDisplay(line) << std::string(blanks, ' ');
  if (blanks > 0) out_ << '\r' << cp1252::ToDisplay(line);
  out_ << std::flush;
  progress_ = line;
}

void Console::EndProgress() {
  if (progress_.empty()) return;
  out_ << '\r' << std::string(progress_.size(), ' ') << '\r' << std::flush;
  progress_.clear();
}

void Console::Print(const std::string& text) {
  const std::string progress = progress_;
  EndProgress();
  out_ << cp1252::ToDisplay(text) << '\n';
  if (!progress.empty()) Progress(progress);
  out_.flush();
}

void TerminalMessageView::Load(const MessageWindowState& initial) {
  visible_ = initial.visible;
  message_ = initial.message;
}

void TerminalMessageView::SetMessage(const std::string& text) {
  message_ = text;
  PrintMessage();
}

void TerminalMessageView::AppendStatus(const std::string& line) {
  if (visible_) console_.Status(line);
}

void TerminalMessageView::ShowWindow() {
  visible_ = true;
  PrintMessage();
}

long TerminalMessageView::TextHeight(const std::string& text) const {
  long lines = 1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) ++lines;
  }
  return lines * kLineHeight;
}

long TerminalMessageView::OuterWidth() const { return kOuterWidth; }

void TerminalMessageView::PrintMessage() {
  // The window empties its message when it closes; an empty line tells nobody anything.
  if (!visible_ || message_.empty() || message_ == printed_message_) return;
  console_.Message(message_);
  printed_message_ = message_;
}

}  // namespace gildex
