#pragma once
// A form designer window: the form drawn as VB6 draws it at design time (its caption bar,
// grid dots, its controls), with the mouse and keyboard of VB6's designer: click selects,
// shift- or ctrl-click adds to the selection, a drag moves, the handles resize, Delete
// removes, a right click opens the "Controls" or "Form Designer" menu, and a chosen toolbox
// tool places a control. workbench::DesignerModel makes every change through the host's
// designer; this widget draws and reports.
#include <QPainter>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "host/memory_vbe.h"
#include "workbench/designer_gesture.h"
#include "workbench/designer_model.h"
#include "workbench/ide_actions.h"

namespace gildex::desktop {

class Toolbox;

class DesignerWindow : public QWidget {
  Q_OBJECT

 public:
  // `alive` says whether the component is still there (the IDE drops a project's components
  // when it closes or opens one, before the windows hear of it).
  DesignerWindow(host::MemoryComponent& component, std::function<bool()> alive, Toolbox* toolbox,
                 QWidget* parent = nullptr);

  // Null once the component is gone.
  workbench::DesignerModel* Model() { return Live() ? model_.get() : nullptr; }
  host::MemoryComponent* Component() { return Live() ? component_ : nullptr; }
  // The component is going away: nothing is drawn or changed from now on.
  void Detach();
  // Reads the form again and redraws it.
  void Redraw();

  // The toolbox's double-click, and the Delete entry of the "Controls" menu.
  void AddControl(const std::string& class_name);
  void DeleteSelection();
  // Format > Order > Bring to Front, Send to Back and Format > Align > to Grid.
  void Arrange(workbench::IdeAction action);

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
  // A double-click on a control or the form: the form's code at `line` (0: where it was), in
  // the default event procedure the double-click found or made, as in VB6.
  void viewCode(long line);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void PaintWindow(QPainter& p, const QRect& client, int menu);
  void PaintClient(QPainter& p, const QRect& client);
  // Whether the component is still there; detaches when it is not.
  bool Live();
  workbench::Point FormPoint(const QPoint& at) const;
  // Runs an edit; a refusal of the host is reported, and the windows redraw either way.
  template <class Edit>
  void Change(Edit edit);

  host::MemoryComponent* component_;
  std::function<bool()> alive_;
  Toolbox* toolbox_;
  std::unique_ptr<workbench::DesignerModel> model_;
  std::unique_ptr<workbench::DesignerGesture> gesture_;  // over model_
};

}  // namespace gildex::desktop
