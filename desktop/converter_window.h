#pragma once
// "Gildex HTML Form Converter" (frmASPConverter): the modal window of the form designer's
// "Convert to VBScript/HTML" entry. The model runs the conversion; this window draws its
// fields and reports the edits and the buttons.
#include <QPointer>
#include <functional>

#include "engine/progress.h"
#include "platform/dialogs.h"
#include "ide/connect.h"
#include "tools/asp_converter.h"

class QDialog;

namespace gildex::desktop {

class ConverterWindow : public FormConverterView, public ASPConverterView {
 public:
  // `progress` gives the add-in's progress window; `dialogs` asks before a file is replaced.
  ConverterWindow(std::function<Progress&()> progress, platform::Dialogs& dialogs)
      : progress_(std::move(progress)), dialogs_(dialogs) {}

  void ShowConverter(host::VBComponent& form, clsASPGenerator& generator) override;
  void ShowModal(frmASPConverter& window) override;
  std::string SaveFileName(const std::string& title, const std::string& pattern) override;
  // Asks before the page or a picture replaces an existing file.
  bool ConfirmReplace(const std::string& file) override;
  void DefaultMousePointer() override;
  void Unload() override {}

 private:
  std::function<Progress&()> progress_;
  platform::Dialogs& dialogs_;
  std::string form_folder_;
  QPointer<QDialog> dialog_;
};

}  // namespace gildex::desktop
