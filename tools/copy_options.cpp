#include "tools/copy_options.h"

namespace gildex {

frmCopyOptions::frmCopyOptions(CGildex& engine, std::function<void()> enable_apply)
    : engine_(engine), enable_apply_(std::move(enable_apply)) {
  const int discard = engine.CopierDiscard();
  discard_ = discard >= 0 && discard <= 2 ? discard : -1;
  copy_pos_ = engine.CopierPosition() ? 1 : 0;
  copy_size_ = engine.CopierDimensions() ? 1 : 0;
  silent_ = engine.CopierSilent() ? 1 : 0;
}

void frmCopyOptions::cmdOK_Click() {
  if (unloaded_) return;
  // Only a tick counts: a greyed box is not one.
  engine_.CopierSilent(silent_ == 1);
  engine_.CopierDimensions(copy_size_ == 1);
  engine_.CopierPosition(copy_pos_ == 1);
  engine_.CopierDiscard(static_cast<std::int16_t>(discard_ == 0 ? 0 : discard_ == 1 ? 1 : 2));
  if (enable_apply_) enable_apply_();
  unloaded_ = true;
}

}  // namespace gildex
