#pragma once
// The "Options" dialog (frmOptions) drawn with Qt: the tab strip and its eight pages, every
// control under the name the add-in gives it. The model (ide/options_dialog.h) keeps every
// rule; this window pushes what the user types into it, calls its handlers and draws its
// state back, touching only the widgets whose state differs.
#include <QDialog>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "ide/options_dialog.h"
#include "session/session.h"

class QMenu;
class QVBoxLayout;

namespace gildex::desktop {

class OptionsWindow : public QDialog, public OptionsView, public OptionsDialogView {
  Q_OBJECT

 public:
  // `session` gives the add-in's current session: a new session gets a model of its own.
  OptionsWindow(std::function<session::Session&()> session, std::function<int()> session_number,
                platform::Clipboard& clipboard, CopyOptionsView& copy_options);
  ~OptionsWindow() override;

  // OptionsDialogView: the add-in's options commands.
  void ShowOptions() override;
  // Opens on the template editor, where the user picks the default template.
  void ShowOptionsToChooseTemplate() override;
  static constexpr int kTemplateEditorPage = 4;
  // The model of the dialog once it was opened in this session; null before.
  frmOptions* Form();

  // OptionsView.
  void ShowDialog() override;
  void CloseDialog() override;
  void Center() override;
  void Refresh() override;
  void SetFocus(const std::string& control) override;
  void ShowCopyOptions(frmCopyOptions& form) override;
  void ShellOpen(const std::string& target) override;
  void StartLabelEdit(const std::string& key) override;
  void PopupMenu(const std::string& menu) override;

  // The widget named after a control of the model ("chkBodyText", "cmdBrowse(1)"), or null.
  QWidget* Widget(const std::string& name) const;

 protected:
  void reject() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Build();
  QWidget* BuildPage(int page);
  // Each page's layout of its controls.
  void LayGeneralPage(QWidget* widget, QVBoxLayout* layout);
  void LayNumberingPage(QWidget* widget, QVBoxLayout* layout);
  void LayFilePage(QWidget* widget, QVBoxLayout* layout);
  void LayControlsPage(QWidget* widget, QVBoxLayout* layout);
  void LayTemplateEditorPage(QWidget* widget, QVBoxLayout* layout);
  void LayTemplateOptionsPage(QWidget* widget, QVBoxLayout* layout);
  void LayScriptPage(QWidget* widget, QVBoxLayout* layout);
  void LayAboutPage(QWidget* widget, QVBoxLayout* layout);
  // Names a control made here and keeps it among the widgets.
  QWidget* Add(const std::string& name, QWidget* control);
  void Wire();
  void Draw();
  void DrawTree();
  // Calls `action` on the model and draws the outcome; nothing when no model is up.
  void Act(const std::function<void(frmOptions&)>& action);
  template <class W>
  W* Get(const std::string& name) const;

  std::function<session::Session&()> session_;
  std::function<int()> session_number_;
  platform::Clipboard& clipboard_;
  CopyOptionsView& copy_options_;
  std::unique_ptr<gildex::OptionsDialog> dialog_;
  int dialog_session_ = -1;
  int start_page_ = -1;  // the page the next showing opens on instead of the first; -1: none
  std::map<std::string, QWidget*> widgets_;
  // Set while the window itself changes its widgets, so that their change signals are not
  // taken for the user's.
  bool drawing_ = false;
};

}  // namespace gildex::desktop
