#include "tools/messages.h"

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

    form.Center();
    window_->resizable = resize_;

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

void clsMessages::Resized() {
  report_.Trap("frmMessage.Form_Resize", [&] {
    if (window_ && window_->resizable) view_->LayOutControls();
  });
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
}

}  // namespace gildex
