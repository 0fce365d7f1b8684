#pragma once
// "Gildex HTML Form Converter" (frmASPConverter): the modal window of the form designer's
// "Convert to VBScript/HTML" entry. The model runs the conversion; this window draws its
// fields and reports the edits and the buttons.
#include <QPointer>
#include <functional>

#include "common/registry_tools.h"
#include "engine/progress.h"
#include "ide/connect.h"
#include "tools/asp_converter.h"

class QDialog;

namespace gildex::desktop {

class ConverterWindow : public FormConverterView, public ASPConverterView {
 public:
  // `registry` answers the generator's class ids; `progress` gives the add-in's progress window.
  ConverterWindow(std::function<RegistryTools&()> registry, std::function<Progress&()> progress)
      : registry_(registry), progress_(std::move(progress)) {}

  void ShowConverter(host::VBComponent& form) override;
  void ShowModal(frmASPConverter& window) override;
  std::string SaveFileName(const std::string& title, const std::string& pattern) override;
  void DefaultMousePointer() override;
  void Unload() override {}

 private:
  std::function<RegistryTools&()> registry_;
  std::function<Progress&()> progress_;
  std::string form_folder_;
  QPointer<QDialog> dialog_;
};

}  // namespace gildex::desktop
