#pragma once
// clsMessages: the one progress and status controller that every long command reports to.
// It owns the window (a MessageView) and keeps all of its rules: the window is made on the
// first access that touches it (Show, ButtonState, Min, Max, ProgressBar, AddStatus, and
// Value or MessageText when they reach the window) and destroyed by OK, by Hide or when the
// user closes it; the next access then makes a fresh one with an empty status list.
//
// Windows come from a factory, called once for each window, with the controller to report
// the user's actions to. A view that reports OkClicked or Unloaded may still be running
// when the call returns, so a finished view is kept until the next window is made or the
// controller goes.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/error_report.h"
#include "engine/gildex.h"
#include "engine/progress.h"
#include "host/command_bars.h"
#include "platform/dialogs.h"
#include "tools/message_view.h"

namespace gildex {

class clsMessages;
using MessageViewFactory = std::function<std::unique_ptr<MessageView>(clsMessages& controller)>;

inline constexpr const char* kCancelQuestion = "Are you sure you wish to Cancel?";
inline constexpr const char* kToolbarName = "Gildex";
// The buttons of the toolbar that start commands come first on it.
inline constexpr std::size_t kToolbarCommandButtons = 5;

// Also the progress window the engine and the commands report to (Progress).
class clsMessages : public Progress {
 public:
  // `bars` is the host's command bars holding the "Gildex" toolbar; it may be attached later
  // (the host hands it over only on connection) and is null outside the IDE.
  clsMessages(CGildex& engine, host::CommandBars* bars, ErrorReport& report, platform::Dialogs& dialogs,
              MessageViewFactory make_view);
  ~clsMessages() override;
  clsMessages(const clsMessages&) = delete;
  clsMessages& operator=(const clsMessages&) = delete;

  void SetCommandBars(host::CommandBars* bars) { bars_ = bars; }
  // A command-line connection builds no toolbar, so the button states concern the window
  // alone; otherwise a missing toolbar is an error of the installation and is reported.
  void WithoutToolbar(bool without) { without_toolbar_ = without; }

  // Progress, as the engine and the commands call it.
  void SetMessageText(const std::string& text) override { MessageText(text); }
  void SetProgressBar(bool on) override { ProgressBar(on); }
  void SetMax(std::int32_t max) override { Max(max); }
  void SetValue(std::int32_t value) override { Value(value); }
  void Show() override { Show(false); }

  // Appends `text` to the status list unless it repeats the last status given.
  void AddStatus(const std::string& text) override;
  // 1 is idle (OK usable, toolbar on); any other value is busy (only Cancel usable).
  void ButtonState(std::int16_t state) override;
  void Value(std::int32_t value);
  std::int32_t Value() const { return value_; }
  void Resize(bool value) { resize_ = value; }
  bool Resize() const { return resize_; }
  void Min(std::int32_t value);
  std::int32_t Min() const { return min_; }
  void Max(std::int32_t value);
  std::int32_t Max() const { return max_; }
  void ProgressBar(bool on);
  bool ProgressBar() const { return progress_bar_; }
  void Caption(std::string value) { caption_ = std::move(value); }
  const std::string& Caption() const { return caption_; }
  // Kept for whoever reads it; the window measures the screen instead.
  void MaxWidth(std::int32_t value) { max_width_ = value; }
  std::int32_t MaxWidth() const { return max_width_; }
  void MessageText(std::string text);
  const std::string& MessageText() const { return message_; }
  // Lays out and shows the window; `no_repaint` true leaves the repaint to the host.
  void Show(bool no_repaint);
  // Closes the window; the last status is kept.
  void Hide();

  // The user's actions on the window.
  void OkClicked();
  void CancelClicked();
  // `index` counts from 0; a negative one means no line was under the pointer.
  void StatusDoubleClicked(int index);
  // The client area now has `size`: a resizable window keeps its controls in proportion,
  // enlarged first to its minimum; a minimised one is left as it is.
  void Resized(TwipsSize size, bool minimised);
  void Unloaded();

  // What the user sees: the window as last set, or null while there is none.
  const MessageWindowState* Window() const { return window_ ? &*window_ : nullptr; }
  std::vector<std::string> StatusLines() const { return window_ ? window_->status : std::vector<std::string>{}; }
  bool Busy() const { return busy_; }

 private:
  MessageView& Form();
  void LoadWindow();
  void UnloadWindow();
  void SetToolbarButtons(bool enabled);
  // The elastic layout for `wanted`, the window first given its new size when it differs
  // from `current`, the size it has.
  void Relayout(TwipsSize wanted, TwipsSize current, bool minimised);
  void RecordLayout();
  // A status line wider than the list widens the window, as far as the screen allows.
  void FitStatus(const std::string& line);

  CGildex& engine_;
  host::CommandBars* bars_;
  ErrorReport& report_;
  platform::Dialogs& dialogs_;
  MessageViewFactory make_view_;

  std::string caption_;
  std::string message_;
  bool progress_bar_ = false;
  std::int32_t max_ = 0, min_ = 0, value_ = 0, max_width_ = 0;
  bool shown_ = false;
  bool resize_ = false;
  std::string last_status_;
  bool busy_ = false;
  bool without_toolbar_ = false;

  std::unique_ptr<MessageView> view_;
  std::unique_ptr<MessageView> finished_view_;
  std::optional<MessageWindowState> window_;
  clsElasticForms elastic_;
  bool relaying_ = false;  // the window's size is being corrected: its resize events are ours
};

// The settings the add-in's entry point gives the controller right after making it.
void ConfigureAtStartUp(clsMessages& messages);

}  // namespace gildex
