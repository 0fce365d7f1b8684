#pragma once
// What a progress and status window must do for clsMessages. The controller keeps every
// rule (what is shown when, which buttons are enabled, where the bar goes); a view only
// draws what it is told, answers two measures and reports the user's actions back through
// the controller's handlers (OkClicked, CancelClicked, StatusDoubleClicked, Resized,
// Unloaded). Positions and sizes are in twips, as the window was laid out.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/elastic_form.h"

namespace gildex {

// The fixed parts of the window's layout.
inline constexpr long kMessageClientWidth = 7245;
inline constexpr long kMessageClientHeight = 3075;
// The elastic layout never shrinks the window below this.
inline constexpr long kMessageMinimumWidth = 4000;
inline constexpr long kMessageMinimumHeight = 4000;
inline constexpr TwipsRect kHeadingRect{120, 1080, 6975, 255};
inline constexpr TwipsRect kStatusListRect{120, 1320, 6975, 1260};
inline constexpr TwipsRect kOkButtonRect{4080, 2640, 1455, 375};
inline constexpr TwipsRect kCancelButtonRect{5640, 2640, 1455, 375};
inline constexpr const char* kHeadingText = "Status Warning/Errors";
inline constexpr const char* kOkButtonText = "&OK";
inline constexpr const char* kCancelButtonText = "&Cancel";

// Everything of the window that the controller changes. A freshly loaded window is the
// default value, apart from what the loading event sets.
struct MessageWindowState {
  std::string caption = "Message";
  std::string message = "Message Form";  // lblMessage, font Tahoma
  TwipsRect message_rect{120, 120, 7215, 495};
  bool progress_on = true;  // prgProgress visible and enabled
  std::int32_t progress_min = 0, progress_max = 100, progress_value = 0;
  TwipsRect progress_rect{120, 720, 6975, 255};
  TwipsRect heading_rect = kHeadingRect;
  TwipsRect status_rect = kStatusListRect;
  TwipsRect ok_rect = kOkButtonRect;
  TwipsRect cancel_rect = kCancelButtonRect;
  TwipsSize size{kMessageClientWidth, kMessageClientHeight};  // the client area
  std::vector<std::string> status;  // lbStatus, font Courier New
  bool hourglass = false;
  bool ok_enabled = true, cancel_enabled = true;
  bool resizable = false;  // whether the controls follow the window's size
  bool visible = false;
  bool operator==(const MessageWindowState&) const = default;
};

class MessageView {
 public:
  virtual ~MessageView() = default;

  // Creates the window's controls as `initial` describes them, not yet visible.
  virtual void Load(const MessageWindowState& initial) = 0;
  // Destroys the window. Called by the controller only; must not call Unloaded() back.
  virtual void Unload() = 0;

  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetMessage(const std::string& text) = 0;
  virtual void SetMessageHeight(long height) = 0;
  // Shows and switches on the bar, or hides and switches it off.
  virtual void ShowProgress(bool on) = 0;
  virtual void SetProgressRange(std::int32_t min, std::int32_t max) = 0;
  // May lie outside the range: the bar shows the nearer end then.
  virtual void SetProgressValue(std::int32_t value) = 0;
  virtual void PlaceProgress(long left, long top, long width) = 0;
  virtual void AppendStatus(const std::string& line) = 0;
  virtual void ClearStatus() = 0;
  virtual void SetHourglass(bool on) = 0;
  virtual void EnableButtons(bool ok, bool cancel) = 0;
  // Puts every control where the controller's window state (clsMessages::Window) now has it.
  virtual void LayOutControls() = 0;
  // Gives the client area this size. A window of a fixed size (a terminal's) ignores it.
  virtual void ResizeWindow(TwipsSize /*size*/) {}
  virtual void Center() = 0;
  // Non-modal and without an owner.
  virtual void ShowWindow() = 0;
  virtual void Repaint() = 0;

  // The height `text` needs in the window's font; grows with its number of lines.
  virtual long TextHeight(const std::string& text) const = 0;
  // The window's width including its borders.
  virtual long OuterWidth() const = 0;
  // The width the status list needs to show `line` whole (its frame and scroll bar included),
  // and the widest client area the screen has room for; 0 where nothing is measured.
  virtual long StatusWidth(const std::string& /*line*/) const { return 0; }
  virtual long ScreenWidth() const { return 0; }
};

}  // namespace gildex
