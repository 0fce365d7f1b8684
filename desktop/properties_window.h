#pragma once
// The properties window, as VB6's: a drop-down of the active form and its controls, and a
// grid of the selected control's properties (name, value) where a value is edited in place.
// The rows and every change come from workbench::DesignerModel.
#include <QDockWidget>
#include <functional>
#include <vector>

#include "workbench/designer_model.h"

class QComboBox;
class QTableWidget;
class QTableWidgetItem;

namespace gildex::desktop {

class DesignerWindow;

class PropertiesWindow : public QDockWidget {
  Q_OBJECT

 public:
  // `designer` gives the designer window the properties are of (null: none).
  explicit PropertiesWindow(std::function<DesignerWindow*()> designer, QWidget* parent = nullptr);

  // Shows the selected control (the form when none is) of the current designer again.
  void Redraw();

  QComboBox* Objects() { return objects_; }
  QTableWidget* Grid() { return grid_; }
  // The grid's row of a property ("(Name)", "Caption"), or -1.
  int RowOf(const QString& name) const;

 Q_SIGNALS:
  // A property was set, or another control chosen: the IDE's windows redraw.
  void changed();
  // The host refused a value.
  void problem(const QString& message);

 private:
  void Choose(int index);
  void Edited(QTableWidgetItem* item);
  void DoubleClicked(QTableWidgetItem* item);

  std::function<DesignerWindow*()> designer_;
  QComboBox* objects_ = nullptr;
  QTableWidget* grid_ = nullptr;
  bool filling_ = false;
  std::vector<workbench::PropertyRow> rows_;  // as the grid shows them
};

}  // namespace gildex::desktop
