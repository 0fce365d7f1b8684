#include "ide/add_in.h"

#include <limits>
#include <system_error>

#include "platform/ini.h"

namespace gildex {

AddIn::AddIn(platform::Services& services, ErrorReport& report, RegistryTools& registry,
             std::filesystem::path windows_folder, MessageViewFactory make_view, CGildex* engine)
    : services_(services),
      report_(report),
      registry_(registry),
      windows_folder_(std::move(windows_folder)),
      make_view_(std::move(make_view)),
      given_engine_(engine) {}

// The controller and the script host point into the engine and the engine at them: let go
// of them in an order that leaves no dangling pointer.
AddIn::~AddIn() {
  ReleaseMessages();
  ReleaseScripter();
  ReleaseEngine();
  ReleaseTemplates();
}

void AddIn::Main() { AddToINI(); }

void AddIn::AddToINI() {
  report_.Trap("AddIn.AddToINI", [&] {
    const std::filesystem::path file = AddInListFile();
    const std::string section(kAddInSection);
    if (persist_ && platform::GetPrivateProfileString(section, std::string(kAddInProgId), "", 255, file).empty()) {
      std::error_code ec;
      std::filesystem::create_directories(windows_folder_, ec);
      if (!platform::WritePrivateProfileString(section, std::string(kAddInProgId), "0", file))
        throw VbError(75, "Path/File access error: " + file.string());
      services_.dialogs.MsgBox(platform::MessageBox{std::string(kAppTitle) + " has been added to your VB AddIns List.",
                                                    platform::vbInformation, std::string(kAppTitle)});
    }
    CGildex& engine = Engine();
    const std::string scc =
        platform::GetPrivateProfileString(section, std::string(kSourceControlAddInKey), "", 255, file);
    engine.SourceControl(!scc.empty());
  });
}

CGildex& AddIn::Engine() {
  if (!engine_) {
    if (given_engine_ != nullptr) {
      engine_ = given_engine_;
      engine_->SetVBE(vbe_);
    } else {
      own_engine_ = std::make_unique<CGildex>(services_, report_, registry_, vbe_);
      engine_ = own_engine_.get();
    }
    engine_->OnAutoSaveChange([this] { ArmAutoSaveTimer(); });
    if (messages_) engine_->SetProgress(messages_.get());
    if (scripter_) engine_->SetScriptRunner(scripter_.get());
  }
  return *engine_;
}

clsMessages& AddIn::Messages() {
  if (!messages_) {
    CGildex& engine = Engine();
    messages_ = std::make_unique<clsMessages>(engine, vbe_ != nullptr ? &vbe_->Bars() : nullptr, report_,
                                              services_.dialogs, make_view_);
    engine.SetProgress(messages_.get());
  }
  return *messages_;
}

colTemplates& AddIn::Templates() {
  if (!templates_) templates_ = std::make_unique<colTemplates>();
  return *templates_;
}

clsScripter& AddIn::Scripter() {
  if (!scripter_) {
    scripter_ = std::make_unique<clsScripter>(report_, services_.clock);
    if (engine_) engine_->SetScriptRunner(scripter_.get());
  }
  return *scripter_;
}

clsASPGenerator& AddIn::ASPGenerator() {
  if (!generator_) generator_ = std::make_unique<clsASPGenerator>(registry_);
  return *generator_;
}

void AddIn::ReleaseEngine() {
  ReleaseMessages();  // the controller cannot outlive the engine it cancels
  StopAutoSaveTimer();  // its settings go with the engine
  if (engine_ != nullptr && engine_ == given_engine_) {
    // The session's engine stays: it lets go of this add-in's objects, and the next
    // connection starts from a command's state as a new engine would.
    engine_->OnAutoSaveChange(nullptr);
    engine_->SetScriptRunner(nullptr);
    engine_->SetVBE(nullptr);
    engine_->UpdateMode(false);
    engine_->Cancel(false);
    engine_->ScriptHalted(false);
    engine_->ResetTally();
  }
  engine_ = nullptr;
  own_engine_.reset();
}

void AddIn::ArmAutoSaveTimer() {
  report_.Trap("CGildex.AutoSave", [&] {
    StopAutoSaveTimer();
    if (!engine_ || !engine_->AutoSave() || engine_->SaveInterval() <= 0) return;
    const std::int64_t period_ms = std::int64_t{engine_->SaveInterval()} * 60000;
    if (period_ms > std::numeric_limits<std::int32_t>::max()) throw VbError(6, "Overflow");
    auto_save_timer_ = services_.timers.SetTimer(period_ms, [this] {
      if (auto_save_tick_) auto_save_tick_();
    });
  });
}

void AddIn::StopAutoSaveTimer() {
  if (auto_save_timer_ != 0) services_.timers.KillTimer(auto_save_timer_);
  auto_save_timer_ = 0;
}

void AddIn::ReleaseMessages() {
  if (engine_) engine_->SetProgress(nullptr);
  messages_.reset();
}

void AddIn::ReleaseTemplates() { templates_.reset(); }

void AddIn::ReleaseScripter() {
  if (engine_) engine_->SetScriptRunner(nullptr);
  scripter_.reset();
}

void AddIn::SetVBE(host::VBE* vbe) {
  vbe_ = vbe;
  if (engine_) engine_->SetVBE(vbe);
  if (messages_) messages_->SetCommandBars(vbe != nullptr ? &vbe->Bars() : nullptr);
}

}  // namespace gildex
