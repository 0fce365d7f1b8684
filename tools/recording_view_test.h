#pragma once
// A progress window for tests: it writes down every call the controller makes, one line
// each ("SetMessage Processing Module1"), and can be told to fail once in one of them.
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/message_view.h"

namespace gildex::testing {

class RecordingView : public MessageView {
 public:
  RecordingView(std::vector<std::string>& log, std::string& fail_in) : log_(log), fail_in_(fail_in) {}

  void Load(const MessageWindowState&) override { Note("Load"); }
  void Unload() override { Note("Unload"); }
  void SetCaption(const std::string& caption) override { Note("SetCaption " + caption); }
  void SetMessage(const std::string& text) override { Note("SetMessage " + text); }
  void SetMessageHeight(long height) override { Note("SetMessageHeight " + std::to_string(height)); }
  void ShowProgress(bool on) override { Note(on ? "ShowProgress on" : "ShowProgress off"); }
  void SetProgressRange(std::int32_t min, std::int32_t max) override {
    Note("SetProgressRange " + std::to_string(min) + " " + std::to_string(max));
  }
  void SetProgressValue(std::int32_t value) override { Note("SetProgressValue " + std::to_string(value)); }
  void PlaceProgress(long left, long top, long width) override {
    Note("PlaceProgress " + std::to_string(left) + " " + std::to_string(top) + " " + std::to_string(width));
  }
  void AppendStatus(const std::string& line) override { Note("AppendStatus " + line); }
  void ClearStatus() override { Note("ClearStatus"); }
  void SetHourglass(bool on) override { Note(on ? "SetHourglass on" : "SetHourglass off"); }
  void EnableButtons(bool ok, bool cancel) override {
    Note(std::string("EnableButtons ok=") + (ok ? "on" : "off") + " cancel=" + (cancel ? "on" : "off"));
  }
  void LayOutControls() override { Note("LayOutControls"); }
  void ResizeWindow(TwipsSize size) override {
    Note("ResizeWindow " + std::to_string(size.width) + "x" + std::to_string(size.height));
  }
  void Center() override { Note("Center"); }
  void ShowWindow() override { Note("ShowWindow"); }
  void Repaint() override { Note("Repaint"); }
  long TextHeight(const std::string& text) const override {
    long lines = 1;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++lines;
    return lines * 195;
  }
  long OuterWidth() const override { return 7365; }
  // 100 twips a character and 300 for the list's frame and scroll bar, on a 15000-twip screen.
  long StatusWidth(const std::string& line) const override { return static_cast<long>(line.size()) * 100 + 300; }
  long ScreenWidth() const override { return 15000; }

 private:
  // Fails once in the operation named by `fail_in`, as a window gone wrong would.
  void Note(const std::string& call) {
    if (!fail_in_.empty() && call.rfind(fail_in_, 0) == 0) {
      fail_in_.clear();
      throw std::runtime_error("the window failed in " + call);
    }
    log_.push_back(call);
  }
  std::vector<std::string>& log_;
  std::string& fail_in_;
};

}  // namespace gildex::testing
