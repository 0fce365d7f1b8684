#include "tools/messages.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <utility>

namespace gildex {

clsMessages::clsMessages(CGildex& engine, host::CommandBars* bars, ErrorReport& report, platform::Dialogs& dialogs,
                         MessageViewFactory make_view)
    : engine_(engine), bars_(bars), report_(report), dialogs_(dialogs), make_view_(std::move(make_view)) {}

clsMessages::~clsMessages() {
  // The add-in is going: its window closes with it, as the host would unload it.
  if (!view_) return;
  try {
    view_->Unload();
  } catch (const std::exception&) {
    // Nobody is left to report to.
  }
}

MessageView& clsMessages::Form() {
  if (!view_) LoadWindow();
  return *view_;
}

void clsMessages::LoadWindow() {
  finished_view_.reset();
  if (!make_view_) throw std::logic_error("no progress window can be made here");
  std::unique_ptr<MessageView> view = make_view_(*this);
  if (!view) throw std::logic_error("the progress window could not be made");
  const MessageWindowState initial;
  view->Load(initial);
  view_ = std::move(view);
  window_ = initial;
  report_.Trap("frmMessage.Form_Load", [&] {
    window_->resizable = true;
    elastic_.MinWidth(kMessageMinimumWidth);
    elastic_.MinHeight(kMessageMinimumHeight);
    RecordLayout();
    view_->Center();
    view_->Repaint();
    view_->SetHourglass(true);
    window_->hourglass = true;
  });
}

void clsMessages::UnloadWindow() {
  if (!view_) return;
  window_.reset();
  std::unique_ptr<MessageView> view = std::move(view_);
  view->Unload();
  finished_view_ = std::move(view);
}

void clsMessages::AddStatus(const std::string& text) {
  report_.Trap("clsMessages.AddStatus", [&] {
    if (text != last_status_) {
      Form().AppendStatus(text);
      window_->status.push_back(text);
      FitStatus(text);
    }
    last_status_ = text;
    Form().Repaint();
  });
}

void clsMessages::ButtonState(std::int16_t state) {
  report_.Trap("clsMessages.ButtonState", [&] {
    const bool idle = state == 1;
    busy_ = !idle;
    MessageView& form = Form();
    form.SetHourglass(!idle);
    window_->hourglass = !idle;
    form.EnableButtons(idle, !idle);
    window_->ok_enabled = idle;
    window_->cancel_enabled = !idle;
    SetToolbarButtons(idle);
    // The in-memory command bars hold no keyboard focus, so there is none to give back.
    form.Repaint();
  });
}

void clsMessages::SetToolbarButtons(bool enabled) {
  if (without_toolbar_) return;
  if (!bars_) throw VbError(91, "Object variable or With block variable not set");
  host::CommandBar* bar = bars_->Find(kToolbarName);
  if (!bar) throw VbError(5, "Invalid procedure call or argument");
  for (std::size_t i = 0; i < kToolbarCommandButtons; ++i) {
    if (i >= bar->controls.size()) throw VbError(5, "Invalid procedure call or argument");
    bar->controls[i]->enabled = enabled;
  }
}

void clsMessages::Value(std::int32_t value) {
  report_.Trap("clsMessages.Value", [&] {
    value_ = value;
    if (!progress_bar_) return;
    Form().SetProgressValue(value);
    window_->progress_value = value;
  });
}

void clsMessages::Min(std::int32_t value) {
  report_.Trap("clsMessages.Min", [&] {
    min_ = value;
    MessageView& form = Form();
    form.SetProgressRange(value, window_->progress_max);
    window_->progress_min = value;
  });
}

void clsMessages::Max(std::int32_t value) {
  report_.Trap("clsMessages.Max", [&] {
    max_ = value;
    MessageView& form = Form();
    form.SetProgressRange(window_->progress_min, value);
    window_->progress_max = value;
  });
}

void clsMessages::ProgressBar(bool on) {
  report_.Trap("clsMessages.ProgressBar", [&] {
    progress_bar_ = on;
    Form().ShowProgress(on);
    window_->progress_on = on;
  });
}

void clsMessages::MessageText(std::string text) {
  report_.Trap("clsMessages.MessageText", [&] {
    message_ = text;
    if (!shown_) return;
    Form().SetMessage(text);
    window_->message = text;
  });
}

void clsMessages::Show(bool no_repaint) {
  report_.Trap("clsMessages.Show", [&] {
    MessageView& form = Form();
    form.SetCaption(caption_);
    window_->caption = caption_;

    form.SetMessage(message_);
    window_->message = message_;
    form.ClearStatus();
    window_->status.clear();

    const long height = form.TextHeight(message_) + 50;
    form.SetMessageHeight(height);
    window_->message_rect.height = height;

    form.ShowProgress(progress_bar_);
    window_->progress_on = progress_bar_;
    if (progress_bar_) {
      const TwipsRect place{100, window_->message_rect.top + height + 100, form.OuterWidth() - 300,
                            window_->progress_rect.height};
      form.PlaceProgress(place.left, place.top, place.width);
      window_->progress_rect = place;
    }

    // What Show arranged is what the window's controls keep in proportion from now on.
    RecordLayout();
    window_->resizable = resize_;
    if (resize_) Relayout(window_->size, window_->size, false);
    form.Center();

    shown_ = true;
    form.ShowWindow();
    window_->visible = true;
    if (!no_repaint) form.Repaint();
  });
}

void clsMessages::Hide() {
  report_.Trap("clsMessages.Hide", [&] {
    shown_ = false;
    // A window that is not there has no list or message to clear.
    if (!view_) return;
    view_->ClearStatus();
    window_->status.clear();
    view_->SetMessage("");
    window_->message.clear();
    UnloadWindow();
  });
}

void clsMessages::OkClicked() {
  report_.Trap("frmMessage.cmdOK_Click", [&] {
    // A disabled button cannot be clicked: while busy the user can only cancel.
    if (!window_ || !window_->ok_enabled) return;
    UnloadWindow();
  });
}

void clsMessages::CancelClicked() {
  report_.Trap("frmMessage.cmdCancel_Click", [&] {
    if (!window_ || !window_->cancel_enabled) return;
    const platform::MessageBox question{
        kCancelQuestion, platform::vbYesNo | platform::vbCritical | platform::vbSystemModal, std::string(kAppTitle)};
    if (dialogs_.MsgBox(question) == platform::vbYes) engine_.Cancel(true);
  });
}

void clsMessages::StatusDoubleClicked(int index) {
  report_.Trap("frmMessage.lbStatus_DblClick", [&] {
    if (!window_ || index < 0 || static_cast<std::size_t>(index) >= window_->status.size()) return;
    dialogs_.MsgBox(platform::MessageBox{window_->status[static_cast<std::size_t>(index)], platform::vbOKOnly, ""});
  });
}

void clsMessages::Resized(TwipsSize size, bool minimised) {
  report_.Trap("frmMessage.Form_Resize", [&] {
    if (!window_ || relaying_) return;
    if (!window_->resizable) {
      if (!minimised) window_->size = size;
      return;
    }
    Relayout(size, size, minimised);
  });
}

void clsMessages::RecordLayout() {
  const MessageWindowState& w = *window_;
  elastic_.Form(w.size, {w.message_rect, w.progress_rect, w.heading_rect, w.status_rect, w.ok_rect, w.cancel_rect});
}

void clsMessages::Relayout(TwipsSize wanted, TwipsSize current, bool minimised) {
  const std::optional<ElasticLayout> layout = elastic_.FormResize(wanted, minimised);
  if (!layout) return;
  if (layout->size != current) {
    // The window answers its new size with a resize event of its own, which has nothing to add.
    relaying_ = true;
    try {
      view_->ResizeWindow(layout->size);
    } catch (...) {
      relaying_ = false;
      throw;
    }
    relaying_ = false;
  }
  MessageWindowState& w = *window_;
  w.size = layout->size;
  // In the order RecordLayout gave them.
  TwipsRect* const places[] = {&w.message_rect, &w.progress_rect, &w.heading_rect,
                               &w.status_rect,  &w.ok_rect,       &w.cancel_rect};
  for (std::size_t i = 0; i < std::size(places); ++i) *places[i] = layout->controls[i];
  view_->LayOutControls();
}

void clsMessages::FitStatus(const std::string& line) {
  if (!window_->resizable || window_->status_rect.width <= 0) return;
  const long needed = view_->StatusWidth(line);
  if (needed <= window_->status_rect.width) return;
  // The list grows in proportion with the window: the width at which it is wide enough.
  long width = (needed * window_->size.width + window_->status_rect.width - 1) / window_->status_rect.width;
  if (const long screen = view_->ScreenWidth(); screen > 0) width = std::min(width, screen);
  if (width <= window_->size.width) return;
  Relayout({width, window_->size.height}, window_->size, false);
  view_->Center();
}

void clsMessages::Unloaded() {
  report_.Trap("frmMessage.Form_Unload", [&] {
    if (!view_) return;
    window_.reset();
    finished_view_ = std::move(view_);
  });
}

void ConfigureAtStartUp(clsMessages& messages) {
  messages.Caption(std::string(kAppTitle));
  messages.ProgressBar(false);
  messages.Resize(true);
  messages.MaxWidth(4600);
}

}  // namespace gildex
