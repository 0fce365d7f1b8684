#pragma once
// "Component Information" (frmInfo): a new window for each Display, showing the fields the
// model gathered for one component, closed by its Close button.
#include <QDialog>
#include <QPointer>

#include "tools/component_info.h"

namespace gildex::desktop {

class ComponentInfoView : public ComponentInfoWindow {
 public:
  ~ComponentInfoView() override;
  void Display(const ComponentInformation& info) override;
  // The window the last Display opened, while it is open.
  QDialog* Last() const { return last_; }

 private:
  QPointer<QDialog> last_;
};

}  // namespace gildex::desktop
