#pragma once
// A form designer window: the form drawn as VB6 draws it at design time (its caption bar,
// grid dots, its controls), with the mouse and keyboard of VB6's designer: click selects,
// shift- or ctrl-click adds to the selection, a drag moves, the handles resize, Delete
// removes, a right click opens the "Controls" or "Form Designer" menu, and a chosen toolbox
// tool places a control. workbench::DesignerModel makes every change through the host's
// designer; this widget draws and reports.
#include <QWidget>
#include <memory>
#include <optional>
#include <string>

#include "host/memory_vbe.h"
#include "workbench/designer_model.h"

namespace gildex::desktop {

class Toolbox;

class DesignerWindow : public QWidget {
  Q_OBJECT

 public:
  DesignerWindow(host::MemoryComponent& component, Toolbox* toolbox, QWidget* parent = nullptr);

  // Null once the component is gone (the project was closed or reloaded).
  workbench::DesignerModel* Model() { return model_.get(); }
  host::MemoryComponent* Component() { return component_; }
  // The component is going away: nothing is drawn or changed from now on.
  void Detach();
  // Reads the form again and redraws it.
  void Redraw();

  // The toolbox's double-click, and the Delete entry of the "Controls" menu.
  void AddControl(const std::string& class_name);
  void DeleteSelection();

  // Where the pixel (0, 0) of the form's client area is in this widget.
  QPoint ClientOrigin() const;
  QPoint WidgetPoint(workbench::Point at) const { return ClientOrigin() + QPoint(at.x, at.y); }
  QSize sizeHint() const override;

 Q_SIGNALS:
  // After an edit: the IDE's windows redraw.
  void changed();
  // The user chose other controls: the properties window follows.
  void selectionChanged();
  // A right click asks for the host's bar `bar_name` as a context menu.
  void contextMenu(const std::string& bar_name, const QPoint& global);
  // The host refused an edit.
  void problem(const QString& message);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  workbench::Point FormPoint(const QPoint& at) const;
  // Runs an edit; a refusal of the host is reported, and the windows redraw either way.
  template <class Edit>
  void Change(Edit edit);

  host::MemoryComponent* component_;
  Toolbox* toolbox_;
  std::unique_ptr<workbench::DesignerModel> model_;
  // A drag in progress: moving the selection, or resizing `resizing` by `handle`.
  std::optional<QPoint> pressed_;
  QPoint dragged_;
  bool dragging_ = false;
  host::VBControl* resizing_ = nullptr;
  workbench::Handle handle_ = workbench::Handle::None;
};

}  // namespace gildex::desktop
