#pragma once
// "Gildex Wizard" (frmWizard): the non-modal window of the toolbar's wizard button. Four
// frames stacked in one place, each with its own drawn picture at the left and the step's
// explanation; the navigation buttons follow the model. Every user action goes to the model's
// handler and the window is drawn afresh from the model afterwards.
#include <QDialog>
#include <QString>
#include <functional>

#include "ide/insert_wizard.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTreeWidget;

namespace gildex::desktop {

// picStep: one of our own drawn pictures, chosen by the model's picture name.
class WizardPicture : public QWidget {
  Q_OBJECT

 public:
  explicit WizardPicture(QWidget* parent = nullptr);
  void SetPicture(const QString& name);
  const QString& Picture() const { return name_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString name_;
};

class InsertWizardWindow : public QDialog, public InsertWizardView {
  Q_OBJECT

 public:
  InsertWizardWindow();

  void Show(frmWizard& wizard) override;
  void Close(frmWizard& wizard) override;
  frmWizard* Shown() const { return wizard_; }

  WizardPicture* picture = nullptr;
  QStackedWidget* frames = nullptr;
  QCheckBox* show_intro = nullptr;
  QTreeWidget* templates = nullptr;
  QTreeWidget* components = nullptr;
  QComboBox* insert_options = nullptr;
  QLabel* event_label = nullptr;
  QComboBox* event_types = nullptr;
  QLabel* summary = nullptr;
  QPushButton* nav[5] = {};  // cmdNav by index; 0 has no use

 protected:
  // Escape and the title bar's close button cancel, as "Cancel" does (the model asks first).
  void reject() override;

 private:
  void Redraw();
  void BuildComponentsStep();
  // Calls a handler of the model, then draws it again unless it closed the window.
  void Act(const std::function<void(frmWizard&)>& handler);

  frmWizard* wizard_ = nullptr;
  QLabel* explanations_[frmWizard::kSteps] = {};
  bool drawing_ = false;
};

}  // namespace gildex::desktop
