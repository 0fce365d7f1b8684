#pragma once
// The two small modal choice windows of the add-in: "Insert Mode" (frmInsertOptions), asked
// by the code-window commands for a selection, and "Property Copier Options"
// (frmCopyOptions). Each draws its form and reports every choice and button to it.
#include "ide/connect.h"
#include "tools/copy_options.h"

namespace gildex::desktop {

class InsertModeWindow : public InsertOptionsView {
 public:
  void ShowModal(frmInsertOptions& form) override;
};

class CopyOptionsWindow : public CopyOptionsView {
 public:
  void ShowModal(frmCopyOptions& form) override;
};

}  // namespace gildex::desktop
