#include "tools/terminal_view.h"

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


}  // namespace

std::string TerminalMessageView::BarText(std::int32_t min, std::int32_t max, std::int32_t value) {
  std::int64_t done = 0, whole = 1;
  if (max > min) {
    done = std::clamp<std::int64_t>(value, min, max) - min;
    whole = std::int64_t{max} - min;
  }
  const int cells = static_cast<int>(done * kBarCells / whole);
  const int percent = static_cast<int>(done * 100 / whole);
  return fmt::format("[{}{}] {:3}%", std::string(cells, '#'), std::string(kBarCells - cells, '.'), percent);
}

void TerminalMessageView::Load(const MessageWindowState& initial) {
  visible_ = initial.visible;
  message_ = initial.message;
  progress_on_ = initial.progress_on;
  min_ = initial.progress_min;
  max_ = initial.progress_max;
  value_ = initial.progress_value;
}

void TerminalMessageView::Unload() {
  EraseBar();
  visible_ = false;
  if (!quiet_) out_.flush();
}

void TerminalMessageView::SetMessage(const std::string& text) {
  message_ = text;
  PrintMessage();
}

void TerminalMessageView::ShowProgress(bool on) {
  progress_on_ = on;
  if (on)
    DrawBar();
  else
    EraseBar();
}

void TerminalMessageView::SetProgressRange(std::int32_t min, std::int32_t max) {
  min_ = min;
  max_ = max;
  DrawBar();
}

void TerminalMessageView::SetProgressValue(std::int32_t value) {
  value_ = value;
  DrawBar();
}

void TerminalMessageView::AppendStatus(const std::string& line) {
  if (visible_) PrintLine(line);
}

void TerminalMessageView::ShowWindow() {
  visible_ = true;
  PrintMessage();
  DrawBar();
}

void TerminalMessageView::Repaint() {
  if (!quiet_) out_.flush();
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
  PrintLine(message_);
  printed_message_ = message_;
}

void TerminalMessageView::PrintLine(const std::string& text) {
  if (quiet_) return;
  EraseBar();
  out_ << cp1252::ToDisplay(text) << '\n';
  DrawBar();
}

void TerminalMessageView::DrawBar() {
  if (quiet_ || !is_terminal_ || !visible_ || !progress_on_) return;
  const std::string bar = BarText(min_, max_, value_);
  if (bar == drawn_bar_) return;
  out_ << '\r' << bar << std::flush;
  drawn_bar_ = bar;
}

void TerminalMessageView::EraseBar() {
  if (drawn_bar_.empty()) return;
  out_ << '\r' << std::string(drawn_bar_.size(), ' ') << '\r';
  drawn_bar_.clear();
}

}  // namespace gildex
