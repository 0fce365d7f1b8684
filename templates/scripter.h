#pragma once
// The script host: a user's VBScript decides, procedure by procedure, whether the module
// driver leaves it alone, inserts the template, or replaces its text. The scripting control
// is created once by its ProgID and keeps whatever code the checks of this connection added,
// so script mode runs the code of the last successful check.
#include <memory>
#include <string>
#include <string_view>

#include "common/error_report.h"
#include "engine/script_runner.h"
#include "platform/clock.h"
#include "platform/vbscript/script_control.h"

namespace gildex {

inline constexpr std::string_view kScriptControlProgId = "MSScriptControl.ScriptControl";
inline constexpr std::string_view kProcessHeading = "Function Process(ProcCode)";

// The control a ProgID names; error 429 "ActiveX component can't create object" for any
// other name, as CreateObject answers on Windows.
std::unique_ptr<vbscript::ScriptControl> CreateScriptingControl(std::string_view prog_id,
                                                                const platform::Clock& clock);

class clsScripter : public ScriptRunner {
 public:
  // Creates the control and prepares it (VBScript, reset, no user interface). A failure is
  // reported as "clsScripter.Class_Initialize"; the host then has no control and every
  // check and run fails as a script error.
  clsScripter(ErrorReport& report, const platform::Clock& clock);

  const std::string& Script() const { return script_; }
  void SetScript(std::string_view text);

  // Loads the script (the stored one when `text` is empty) and calls Process("") once.
  void CheckScript(std::string_view text, std::string& message, ScriptErrors& result);
  ScriptErrors RunProcess(const std::string& proc_code, std::string& new_text) override;
  ScriptFailure LastFailure() const override { return failure_; }
  void SetBudget(ScriptBudget budget) override;

  bool Validated() const { return validated_; }
  vbscript::ScriptControl* Control() { return control_.get(); }

 private:
  ErrorReport& report_;
  std::string script_;
  bool validated_ = false;
  ScriptFailure failure_;
  std::unique_ptr<vbscript::ScriptControl> control_;
};

// What the Validate command shows for a check's outcome.
std::string ValidateMessage(ScriptErrors result, std::string_view message);

}  // namespace gildex
