#pragma once
// frmCopyOptions: how the property copier treats the controls it copies between. Edits the
// engine's Copier* settings in memory (registry key "...\Options\Property Copier"); the
// options dialog stores them with its other settings, so OK only enables its Apply button.
#include <functional>

#include "engine/gildex.h"

namespace gildex {

class frmCopyOptions;

// The window: shown modally until OK or Close unloads the form.
class CopyOptionsView {
 public:
  virtual ~CopyOptionsView() = default;
  virtual void ShowModal(frmCopyOptions& form) = 0;
};

class frmCopyOptions {
 public:
  static constexpr const char* kCaption = "Property Copier Options";
  static constexpr const char* kInfo =
      "Please select which of the following options you wish to use for the property copier.";
  static constexpr const char* kDiscardCaptions[3] = {"Discard Original Control", "Rename Original Control",
                                                      "Leave Original Control"};

  // Loads the window from the settings. `enable_apply` is the options dialog's.
  frmCopyOptions(CGildex& engine, std::function<void()> enable_apply);

  // optDiscard's selected index; -1 when none is (a stored value outside 0..2).
  int Discard() const { return discard_; }
  // Check box values: 0 clear, 1 ticked, 2 greyed.
  int CopyPos() const { return copy_pos_; }
  int CopySize() const { return copy_size_; }
  int Silent() const { return silent_; }
  bool Unloaded() const { return unloaded_; }

  // The user's actions.
  void optDiscard_Click(int index) { discard_ = index; }
  void chkCopyPos(int value) { copy_pos_ = value; }
  void chkCopySize(int value) { copy_size_ = value; }
  void chkSilent(int value) { silent_ = value; }
  void cmdOK_Click();
  void cmdClose_Click() { unloaded_ = true; }

 private:
  CGildex& engine_;
  std::function<void()> enable_apply_;
  int discard_ = -1, copy_pos_ = 0, copy_size_ = 0, silent_ = 0;
  bool unloaded_ = false;
};

}  // namespace gildex
