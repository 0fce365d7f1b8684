#pragma once
// The progress window of the command line, drawn on a stream (standard error). On a
// terminal the progress bar is redrawn in place on the last line; elsewhere (a log, a pipe)
// only whole lines are written: the message when it changes and each status line once.
// Quiet writes nothing. Nothing is written while the window is not shown, as nothing of a
// hidden window can be seen.
#include <cstdint>
#include <iosfwd>
#include <string>

#include "tools/message_view.h"

namespace gildex {

class TerminalMessageView : public MessageView {
 public:
  TerminalMessageView(std::ostream& out, bool is_terminal, bool quiet = false)
      : out_(out), is_terminal_(is_terminal), quiet_(quiet) {}

  void Load(const MessageWindowState& initial) override;
  void Unload() override;
  void SetCaption(const std::string&) override {}
  void SetMessage(const std::string& text) override;
  void SetMessageHeight(long) override {}
  void ShowProgress(bool on) override;
  void SetProgressRange(std::int32_t min, std::int32_t max) override;
  void SetProgressValue(std::int32_t value) override;
  void PlaceProgress(long, long, long) override {}
  void AppendStatus(const std::string& line) override;
  void ClearStatus() override {}
  void SetHourglass(bool) override {}
  void EnableButtons(bool, bool) override {}
  void LayOutControls() override {}
  void Center() override {}
  void ShowWindow() override;
  void Repaint() override;
  long TextHeight(const std::string& text) const override;
  long OuterWidth() const override;

  // "[#########...........]  45%": the value's place between min and max, clamped.
  static std::string BarText(std::int32_t min, std::int32_t max, std::int32_t value);

 private:
  void PrintMessage();
  void PrintLine(const std::string& text);
  void DrawBar();
  void EraseBar();

  std::ostream& out_;
  bool is_terminal_;
  bool quiet_;
  bool visible_ = false;
  std::string message_;
  std::string printed_message_;
  bool progress_on_ = false;
  std::int32_t min_ = 0, max_ = 100, value_ = 0;
  std::string drawn_bar_;  // what the last line of the terminal shows; empty when no bar
};

}  // namespace gildex
