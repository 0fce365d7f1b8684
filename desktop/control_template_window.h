#pragma once
// "Custom Controls Tempalte" (frmControlTemplate): the modal window that edits control
// property templates (edit mode) or lets the user choose one to apply (select mode). It draws
// the form after every action and closes when the form is no longer visible; a handler's
// failure goes to the add-in's error report.
#include <functional>

#include "common/error_report.h"
#include "tools/control_template.h"

class QWidget;

namespace gildex::desktop {

class ControlTemplateWindow : public ControlTemplateView {
 public:
  explicit ControlTemplateWindow(std::function<ErrorReport&()> report) : report_(std::move(report)) {}

  void ShowModal(frmControlTemplate& form) override;
  std::optional<std::string> AskValue(const std::string& prompt, const std::string& title,
                                      const std::string& current) override;

 private:
  std::function<ErrorReport&()> report_;
  QWidget* dialog_ = nullptr;
};

}  // namespace gildex::desktop
