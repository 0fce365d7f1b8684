#pragma once
// "Advanced Template Options" (frmAdvancedTemplate): the modal window where the user ticks the
// members that the Selected Routines mode treats. The project's components at the left, the
// clicked one's methods, properties and events with their template tags at the right; the
// model writes the tags. The window only draws the state it is given and reports clicks.
#include <QString>

#include "templates/advanced_template.h"

class QCheckBox;
class QDialog;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace gildex::desktop {

class ProcedureTemplatesWindow : public AdvancedTemplateView {
 public:
  void ShowModal(frmAdvancedTemplate& form) override;
  void Draw(const AdvancedTemplateState& state) override;
  void Unload() override;

 private:
  QDialog* dialog_ = nullptr;
  QLabel* caption_ = nullptr;
  QTreeWidget* projects_ = nullptr;
  QTreeWidget* members_ = nullptr;
  QCheckBox* auto_apply_ = nullptr;
  QPushButton* apply_ = nullptr;
  bool drawing_ = false;
};

}  // namespace gildex::desktop
