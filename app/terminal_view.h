#pragma once
// The progress window of the command line, drawn on a stream (standard error). One Console
// serves a whole run, however many windows the run opens and closes: problems always show
// (quiet too), the window's messages and the information status lines only when verbose,
// and otherwise, on a terminal, one progress line is redrawn in place under them. Nothing is written
// while a window is not shown, as nothing of a hidden window can be seen.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

#include "tools/message_view.h"

namespace gildex {

struct ConsoleMode {
  bool terminal = false;  // a person watches: the progress line is redrawn in place
  bool verbose = false;   // every message and status line
  bool quiet = false;     // problems only
  std::size_t columns = 80;  // the terminal's width, when `fd` cannot tell it
  int fd = -1;               // the terminal, asked for its width at each redraw (it may be resized)
};

// The mode of a run that writes to `err`: a terminal when it is standard error on one.
ConsoleMode ModeFor(const std::ostream& err, bool verbose, bool quiet);
// `before` + `name` + `after` in at most `width` columns (Windows-1252, one column a byte):
// a long name loses its middle ("frmCus...Orders"), and only then the line its end.
std::string FitLine(std::string_view before, std::string_view name, std::string_view after, std::size_t width);

class Console {
 public:
  // True for a status line that only informs ("... too small for error handling.").
  using Classifier = std::function<bool(const std::string& status)>;

  // Text given to the Console is Windows-1252; it is shown in UTF-8.
  Console(std::ostream& out, ConsoleMode mode, Classifier is_information = {})
      : out_(out), mode_(mode), is_information_(std::move(is_information)) {}
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  const ConsoleMode& Mode() const { return mode_; }
  // The window's message line: shown when verbose.
  void Message(const std::string& text);
  // A status line: a problem always, information when verbose.
  void Status(const std::string& text);
  // A problem of the run's own (a file not written): always shown.
  void Problem(const std::string& text);
  // An ordinary line of the run's own: not when quiet.
  void Line(const std::string& text);
  // The progress line: drawn on a terminal (not when quiet or verbose), replacing the last one,
  // cut to the terminal's width so that it never wraps and leaves copies.
  void Progress(const std::string& text);
  // The columns the progress line may take.
  std::size_t ProgressWidth() const;
  // Takes the progress line off the terminal.
  void EndProgress();
  // How many problems were shown.
  long Problems() const { return problems_; }

  // "[#########...........]  45%": the value's place between min and max, clamped.
  static std::string BarText(std::int64_t min, std::int64_t max, std::int64_t value);

 private:
  void Print(const std::string& text);

  std::ostream& out_;
  ConsoleMode mode_;
  Classifier is_information_;
  long problems_ = 0;
  std::string progress_;  // what the last line of the terminal shows; empty when nothing
};

// The window as clsMessages drives it, handing what it is told to the run's Console.
class TerminalMessageView : public MessageView {
 public:
  explicit TerminalMessageView(Console& console) : console_(console) {}

  void Load(const MessageWindowState& initial) override;
  void Unload() override { visible_ = false; }
  void SetCaption(const std::string&) override {}
  void SetMessage(const std::string& text) override;
  void SetMessageHeight(long) override {}
  void ShowProgress(bool) override {}
  void SetProgressRange(std::int32_t, std::int32_t) override {}
  void SetProgressValue(std::int32_t) override {}
  void PlaceProgress(long, long, long) override {}
  void AppendStatus(const std::string& line) override;
  void ClearStatus() override {}
  void SetHourglass(bool) override {}
  void EnableButtons(bool, bool) override {}
  void LayOutControls() override {}
  void Center() override {}
  void ShowWindow() override;
  void Repaint() override {}
  long TextHeight(const std::string& text) const override;
  long OuterWidth() const override;

 private:
  void PrintMessage();

  Console& console_;
  bool visible_ = false;
  std::string message_;
  std::string printed_message_;
};

}  // namespace gildex
