#include "app/terminal_view.h"

#include <fmt/format.h>

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
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

ConsoleMode ModeFor(const std::ostream& err, bool verbose, bool quiet) {
  ConsoleMode mode{.verbose = verbose, .quiet = quiet};
  if (&err == &std::cerr && ::isatty(STDERR_FILENO)) {
    mode.terminal = true;
    mode.fd = STDERR_FILENO;
  }
  return mode;
}

std::string FitLine(std::string_view before, std::string_view name, std::string_view after, std::size_t width) {
  constexpr std::string_view kCut = "...";
  const std::size_t rest = before.size() + after.size();
  std::string line(before);
  if (rest + name.size() <= width || rest + kCut.size() + 2 > width) {
    line += name;
  } else {
    const std::size_t kept = width - rest - kCut.size();
    line += name.substr(0, (kept + 1) / 2);
    line += kCut;
    line += name.substr(name.size() - kept / 2);
  }
  line += after;
  return line.substr(0, width);
}

std::size_t Console::ProgressWidth() const {
  std::size_t columns = mode_.columns;
  winsize size{};
  if (mode_.fd < 0) {
  } else if (::ioctl(mode_.fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
    columns = size.ws_col;
  } else if (const char* env = std::getenv("COLUMNS"); env != nullptr && std::atol(env) > 0) {
    columns = static_cast<std::size_t>(std::atol(env));
  }
  // The last column would make some terminals wrap.
  return columns > 1 ? columns - 1 : 1;
}

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
  const std::string line = text.substr(0, ProgressWidth());
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
