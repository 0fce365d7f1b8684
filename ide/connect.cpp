#include "ide/connect.h"

#include <system_error>

#include "common/nembus_common.h"
#include "platform/cp1252.h"
#include "platform/system.h"
#include "templates/template_files.h"

namespace gildex {

Connect::Connect(AddIn& add_in, ConnectViews views) : add_in_(add_in), views_(views) {
  add_in_.Report().Trap("Connect.Class_Initialize", [&] { CreateSharedObjects(); });
}

void Connect::CreateSharedObjects() {
  clsMessages& messages = add_in_.Messages();
  CGildex& engine = add_in_.Engine();
  add_in_.Scripter();
  HookAutoSave(engine);  // before loading: a stored AutoSave starts the timer
  engine.LoadSettings();
  messages.Caption(std::string(kAppTitle));
  messages.ProgressBar(false);
  messages.Resize(true);
}

Connect::~Connect() {
  *self_ = nullptr;
  add_in_.Report().Trap("Connect.Class_Terminate", [&] {
    if (menus_built_ && add_in_.VBE() != nullptr) RemoveMenus();
    events_.ReleaseEventProcs();
    add_in_.ReleaseASPGenerator();
    add_in_.ReleaseScripter();
    add_in_.ReleaseEngine();
    add_in_.ReleaseMessages();
    events_.SetActiveProject(nullptr);
  });
}

void Connect::StartUp() {
  // The progress controller cannot be made without the engine, so an engine made here (after
  // a disconnection) loads its settings first: the templates come from the user's folder.
  if (!add_in_.HasEngine()) {
    HookAutoSave(add_in_.Engine());
    add_in_.Engine().LoadSettings();
  }
  add_in_.Messages();
  if (!add_in_.HasTemplates()) add_in_.Templates().populate(add_in_.Engine());
  CGildex& engine = add_in_.Engine();
  const bool no_splash = StrToBool(add_in_.Registry().fnsGetRegistryValue(std::string(kOptionsKey),
                                                                          std::string(kDisableSplashValue)));
  if (!no_splash && views_.splash != nullptr) views_.splash->ShowTopmost();
  // A missing templates folder is made (not by a run that persists nothing); a failure shows
  // up later as an empty template list.
  std::error_code ec;
  if (add_in_.Persists()) std::filesystem::create_directories(platform::NativePath(engine.TemplatePath()), ec);
  clsMessages& messages = add_in_.Messages();
  messages.Caption(std::string(kAppTitle));
  messages.ProgressBar(false);
  LoadTemplate(engine, "");
}

void Connect::OnConnection(host::VBE* application, ConnectMode mode) {
  try {
    StartUp();
    add_in_.SetVBE(application);
    events_.SetCurrentComponent(nullptr);
    host::VBProject* project = application != nullptr ? application->ActiveVBProject() : nullptr;
    if (project != nullptr)
      for (int i = 1; i <= project->ComponentCount(); ++i)
        if (project->Component(i).Type() == host::ComponentType::VBForm) {
          events_.SetCurrentComponent(&project->Component(i));
          break;
        }
    add_in_.Messages().WithoutToolbar(mode == ext_cm_CommandLine);
    if (mode != ext_cm_CommandLine) {
      CreateMenus();
      CreateTemplateMenu();
      CreateToolbar();
      events_.CreateEventProcs();
    }
    connected_ = true;
  } catch (const std::exception&) {
    if (views_.splash != nullptr && views_.splash->Loaded()) views_.splash->Close();
    add_in_.Services().dialogs.MsgBox(platform::MessageBox{
        "Gildex could not connect to your current VB IDE.\r\nPlease close your VB IDE and try again.",
        platform::vbOKOnly, std::string(kAppTitle)});
    if (views_.splash != nullptr && views_.splash->Loaded()) views_.splash->Close();
  }
}

void Connect::OnDisconnection(int /*remove_mode*/) {
  add_in_.Report().Trap("Connect.IDTExtensibility_OnDisconnection", [&] {
    if (add_in_.HasEngine()) add_in_.Engine().AutoSave(false);
    tools_.CloseWizard();
    if (menus_built_) RemoveMenus();
    if (toolbar_built_) RemoveToolbar();
    menus_built_ = toolbar_built_ = false;
    events_.ReleaseEventProcs();
    connected_ = false;
    add_in_.ReleaseEngine();
    add_in_.ReleaseMessages();
    add_in_.SetVBE(nullptr);
    add_in_.ReleaseTemplates();
  });
}

}  // namespace gildex
