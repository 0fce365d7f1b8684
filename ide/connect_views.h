#pragma once
// The windows Connect's commands open, as views a host program hands in: the insert-mode
// choice, the options dialog, the splash window and the tool windows. A host without one (the
// command line) leaves it null and the command says so.
#include "host/vbide.h"
#include "platform/help_viewer.h"
#include "templates/advanced_template.h"
#include "tools/component_info.h"
#include "tools/control_template.h"
#include "tools/function_finder.h"
#include "tools/todo_list.h"

namespace gildex {

class AddIn;
class clsASPGenerator;
class frmWizard;
class InsertWizardView;


// frmInsertOptions: "Insert Mode", asked when a code-window command finds a selection.
class frmInsertOptions {
 public:
  static constexpr const char* kCaption = "Insert Mode";
  static constexpr const char* kFrameCaption = "Insert Code Into :";
  static constexpr const char* kSelectedText = "Selected Text";  // optInertDest(2)
  static constexpr const char* kEntireModule = "Entire Module";
  static constexpr const char* kOkCaption = "OK";
  static constexpr const char* kCloseCaption = "Close";

  bool Cancelled() const { return cancelled_; }
  bool SelectedTextChosen() const { return selected_text_; }
  // The user's actions.
  void ChooseSelectedText() { selected_text_ = true; }
  void ChooseEntireModule() { selected_text_ = false; }
  void cmdGo_Click() {}
  void cmdClose_Click() { cancelled_ = true; }

 private:
  bool cancelled_ = false;
  bool selected_text_ = false;
};

// Shows the insert-mode window modally (centred) and returns when the user pressed OK or
// Close, having reported the choice through the form's handlers.
class InsertOptionsView {
 public:
  virtual ~InsertOptionsView() = default;
  virtual void ShowModal(frmInsertOptions& form) = 0;
};

// The options dialog: its menu entries and toolbar button, and an insert into the project
// that finds no template chosen.
class OptionsDialogView {
 public:
  virtual ~OptionsDialogView() = default;
  virtual void ShowOptions() = 0;
  // The same dialog for an insert that found no template chosen: a window may open it where
  // the user chooses one.
  virtual void ShowOptionsToChooseTemplate() { ShowOptions(); }
};

// The splash window of the start-up routine.
class SplashView {
 public:
  virtual ~SplashView() = default;
  virtual void ShowTopmost() = 0;
  virtual bool Loaded() const = 0;
  virtual void Close() = 0;
};

// The windows of the other commands.
// frmInfo: shows the information gathered for the selected component.
using ComponentInfoView = ComponentInfoWindow;

// frmFNFinder: made on first use over the IDE, and shown again afterwards with what it holds.
class FunctionFinderWindow : public FunctionFinderView {
 public:
  virtual platform::Clipboard& Clipboard() = 0;
  virtual void Show(FunctionFinder& finder) = 0;
};

class FormConverterView {
 public:
  virtual ~FormConverterView() = default;
  // `form` is a form whose designer is open; `generator` is the add-in's one, which the
  // window fills and runs (frmASPConverter::ShowConverter).
  virtual void ShowConverter(host::VBComponent& form, clsASPGenerator& generator) = 0;
};

struct ConnectViews {
  InsertOptionsView* insert_options = nullptr;
  OptionsDialogView* options_dialog = nullptr;
  SplashView* splash = nullptr;
  ComponentInfoView* component_info = nullptr;
  FunctionFinderWindow* function_finder = nullptr;
  InsertWizardView* insert_wizard = nullptr;  // frmWizard's window (ide/insert_wizard.h)
  FormConverterView* form_converter = nullptr;
  ToDoView* todo_list = nullptr;  // the To-Do list's window
  ControlTemplateView* control_templates = nullptr;  // frmControlTemplate's window
  AdvancedTemplateView* advanced_template = nullptr;  // frmAdvancedTemplate's window
  platform::HelpViewer* help_viewer = nullptr;  // shows the help file
};

// The box a command shows when this host has not got its window.
void WindowMissing(AddIn& add_in, const char* what);

}  // namespace gildex
