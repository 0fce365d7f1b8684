#pragma once
// The toolbox: the pointer and one tool a standard control class, two to a row as in VB6.
// A chosen tool places its control where the user next clicks on a form designer; a
// double-click on a tool places one in the middle of the active form.
#include <QDockWidget>
#include <QIcon>
#include <string>

class QButtonGroup;
class QToolButton;

namespace gildex::desktop {

class Toolbox : public QDockWidget {
  Q_OBJECT

 public:
  explicit Toolbox(QWidget* parent = nullptr);

  // The class of the chosen tool; empty for the pointer.
  std::string Chosen() const;
  // Back to the pointer, as after a control was placed.
  void Reset();
  // The tool of a class ("CommandButton"), or the pointer for "".
  QToolButton* Tool(const std::string& class_name) const;

 Q_SIGNALS:
  // A double-click on the tool of `class_name`.
  void addRequested(const QString& class_name);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QButtonGroup* group_ = nullptr;
};

// The picture of a toolbox tool, drawn as VB6's toolbox shows the class; "" is the pointer.
QIcon ToolIcon(const std::string& class_name);

}  // namespace gildex::desktop
