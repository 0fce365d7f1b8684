#pragma once
// "Gildex HTML Form Converter" (frmASPConverter): the modal window of the form designer's
// "Convert to VBScript/HTML" entry. The model runs the conversion; this window draws its
// fields and reports the edits and the buttons.
#include <QPointer>
#include <functional>

#include "engine/progress.h"
#include "ide/connect.h"
#include "tools/asp_converter.h"

class QDialog;

namespace gildex::desktop {

class ConverterWindow : public FormConverterView, public ASPConverterView {
 public:
  // `progress` gives the add-in's progress window.
  explicit ConverterWindow(std::function<Progress&()> progress) : progress_(std::move(progress)) {}

  void ShowConverter(host::VBComponent& form, clsASPGenerator& generator) override;
  void ShowModal(frmASPConverter& window) override;
  std::string SaveFileName(const std::string& title, const std::string& pattern) override;
  void DefaultMousePointer() override;
  void Unload() override {}

 private:
  std::function<Progress&()> progress_;
  std::string form_folder_;
  QPointer<QDialog> dialog_;
};

}  // namespace gildex::desktop
