#pragma once
// The AddIn module: the objects every part of the add-in shares for the life of the process
// (the host, the engine, the progress controller, the template collection, the script host,
// the HTML generator),
// the process entry `Main` and the registration in the host's add-in list "vbaddin.ini".
// Each object is made at most once, by whichever step needs it first.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "common/error_report.h"
#include "common/registry_tools.h"
#include "engine/gildex.h"
#include "host/vbide.h"
#include "platform/services.h"
#include "templates/col_templates.h"
#include "templates/scripter.h"
#include "tools/asp_generator.h"
#include "tools/messages.h"

namespace gildex {

inline constexpr std::string_view kAddInProgId = "Gildex.Connect";
inline constexpr std::string_view kAddInListFile = "vbaddin.ini";
inline constexpr std::string_view kAddInSection = "Add-Ins32";
inline constexpr std::string_view kSourceControlAddInKey = "vbscc";
// Where the splash choice of the options dialog is kept.
inline constexpr std::string_view kDisableSplashValue = "Disable Splash";

class AddIn {
 public:
  // `windows_folder` holds the add-in list file; `make_view` makes the progress windows.
  // `engine`, when given, is the session's one engine (it outlives the add-in): the add-in
  // wires it up instead of making its own, so the session and the add-in never hold two.
  AddIn(platform::Services& services, ErrorReport& report, RegistryTools& registry,
        std::filesystem::path windows_folder, MessageViewFactory make_view, CGildex* engine = nullptr);
  ~AddIn();
  AddIn(const AddIn&) = delete;
  AddIn& operator=(const AddIn&) = delete;

  // Process entry: registers the add-in. A debugged process would then keep its message
  // loop running; this one never runs in development mode, so it returns.
  void Main();
  // Writes "Gildex.Connect=0" into the add-in list on first start (and says so), makes the
  // engine and takes the source-control add-in's presence from the "vbscc" key.
  void AddToINI();
  // Off for a run that must leave the disk as it is (the command line's dry run): the
  // add-in list is then only read, and no folder is made.
  void Persist(bool value) { persist_ = value; }
  bool Persists() const { return persist_; }

  // The shared objects, made (or for the engine given, wired up) on first use.
  CGildex& Engine();
  clsMessages& Messages();
  colTemplates& Templates();
  clsScripter& Scripter();
  // Made by the menu builder with the form folder's "Convert to VBScript/HTML" entry (or by the
  // first conversion when no menu was built), kept until Connect ends: every conversion of the
  // add-in's life goes through it.
  clsASPGenerator& ASPGenerator();
  bool HasASPGenerator() const { return generator_ != nullptr; }
  void ReleaseASPGenerator() { generator_.reset(); }
  bool HasEngine() const { return engine_ != nullptr; }
  bool HasMessages() const { return messages_ != nullptr; }
  bool HasTemplates() const { return templates_ != nullptr; }
  bool HasScripter() const { return scripter_ != nullptr; }
  void ReleaseEngine();
  void ReleaseMessages();
  void ReleaseTemplates();
  void ReleaseScripter();

  // The auto-save timer: runs while the engine's AutoSave is on with a positive SaveInterval
  // (minutes), armed whenever AutoSave is written; each tick runs `tick`. 0 when none runs.
  void SetAutoSaveTick(std::function<void()> tick) { auto_save_tick_ = std::move(tick); }
  std::int32_t AutoSaveTimer() const { return auto_save_timer_; }
  void AutoSaveTimer(std::int32_t value) { auto_save_timer_ = value; }
  void StopAutoSaveTimer();

  host::VBE* VBE() const { return vbe_; }
  void SetVBE(host::VBE* vbe);

  platform::Services& Services() { return services_; }
  ErrorReport& Report() { return report_; }
  RegistryTools& Registry() { return registry_; }
  std::filesystem::path AddInListFile() const { return windows_folder_ / std::string(kAddInListFile); }

 private:
  platform::Services& services_;
  ErrorReport& report_;
  RegistryTools& registry_;
  std::filesystem::path windows_folder_;
  MessageViewFactory make_view_;
  host::VBE* vbe_ = nullptr;
  bool persist_ = true;
  void ArmAutoSaveTimer();

  std::function<void()> auto_save_tick_;
  std::int32_t auto_save_timer_ = 0;
  CGildex* given_engine_;
  std::unique_ptr<CGildex> own_engine_;
  CGildex* engine_ = nullptr;  // the one in use: the given one or the own one
  std::unique_ptr<clsMessages> messages_;
  std::unique_ptr<colTemplates> templates_;
  std::unique_ptr<clsScripter> scripter_;
  std::unique_ptr<clsASPGenerator> generator_;
};

}  // namespace gildex
