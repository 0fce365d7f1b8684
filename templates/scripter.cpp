#include "templates/scripter.h"

#include "common/nembus_common.h"
#include "platform/cp1252.h"

namespace gildex {

namespace {

constexpr std::string_view kCrLf = "\r\n";

std::string FormatScriptError(vbscript::ScriptControl& control, bool full_stop) {
  const auto& error = control.Error();
  return "Error in Script at line " + std::to_string(error.Line) + (full_stop ? "." : "") + std::string(kCrLf) +
         error.Description;
}

}  // namespace

std::unique_ptr<vbscript::ScriptControl> CreateScriptingControl(std::string_view prog_id,
                                                                const platform::Clock& clock) {
  if (!cp1252::EqualsNoCase(prog_id, kScriptControlProgId))
    throw VbError(429, "ActiveX component can't create object");
  return std::make_unique<vbscript::ScriptControl>(clock);
}

clsScripter::clsScripter(ErrorReport& report, const platform::Clock& clock) : report_(report) {
  report_.Trap("clsScripter.Class_Initialize", [&] {
    if (!control_) control_ = CreateScriptingControl(kScriptControlProgId, clock);
    control_->SetLanguage("VBScript");
    control_->Reset();
    control_->SetAllowUI(false);
  });
}

void clsScripter::SetScript(std::string_view text) {
  report_.Trap("clsScripter.Script", [&] {
    script_ = std::string(text);
    validated_ = false;
  });
}

void clsScripter::CheckScript(std::string_view text, std::string& message, ScriptErrors& result) {
  if (!text.empty()) script_ = std::string(text);
  validated_ = false;
  message.clear();
  const std::string_view trimmed = TrimSpaces(script_);
  if (trimmed.empty()) {
    result = errSCRIPT_EMPTY;
    message = "No text in script.";
    return;
  }
  const std::string code = std::string(trimmed) + std::string(kCrLf);
  if (cp1252::FindNoCase(code, kProcessHeading) == std::string_view::npos) {
    result = errSYNTAX_ERR;
    message = "Script MUST have a " + std::string(kProcessHeading);
    return;
  }
  if (!control_) {
    result = errSYNTAX_ERR;
    message = "Error in Script at line 0." + std::string(kCrLf) + "ActiveX component can't create object";
    return;
  }
  // Earlier checks' code stays loaded: a later definition of Process replaces the earlier.
  try {
    control_->AddCode(code);
  } catch (const vbscript::ScriptException&) {
  }
  if (control_->Error().Number != 0) {
    result = errSYNTAX_ERR;
    message = FormatScriptError(*control_, true);
    return;
  }
  bool limit = false;
  try {
    control_->Eval("Process(\"\")");
  } catch (const vbscript::ScriptException& e) {
    limit = !e.catchable;
  }
  if (control_->Error().Number != 0) {
    result = errSYNTAX_ERR;
    message = FormatScriptError(*control_, false);
    // A limit on an empty procedure's text is a limit on every procedure.
    if (limit) message += std::string(kCrLf) + "The script hit a limit on its trial run; it would stop there on every procedure.";
    return;
  }
  result = errSCRIPT_OK;
  validated_ = true;
}

ScriptErrors clsScripter::RunProcess(const std::string& proc_code, std::string& new_text) {
  new_text = proc_code;
  failure_ = {};
  if (!control_) {
    failure_ = {429, "ActiveX component can't create object", false};
    return errSYNTAX_ERR;
  }
  std::string returned;
  try {
    const vbscript::Variant value = control_->Run("Process", proc_code);
    // Only text (or what converts to it) can stand for a procedure; an object's default
    // value or an array's first element would be a guess.
    const char* kind = value.IsArray()                 ? "an array"
                       : value.IsObject() && !value.obj ? "Nothing"
                       : value.IsObject()               ? "an object"
                                                        : nullptr;
    if (kind != nullptr) {
      failure_ = {13, std::string("Type mismatch: Process returned ") + kind + " instead of text", false};
      return errSYNTAX_ERR;
    }
    returned = control_->ToText(value);
  } catch (const vbscript::ScriptException& e) {
    const bool cancelled = e.error.number == vbscript::kCancelledError;
    failure_ = {e.error.number, e.error.description, !e.catchable && !cancelled, cancelled};
    return errSYNTAX_ERR;
  }
  new_text = std::move(returned);
  if (new_text.empty()) return errSKIP_PROCEDURE;
  if (new_text == "X") return errPROCEDURE_NORMAL;
  return errSCRIPT_OK;
}

void clsScripter::SetBudget(ScriptBudget budget) {
  if (!control_) return;
  vbscript::Limits& limits = control_->Settings();
  limits.max_milliseconds = std::int64_t{budget.seconds} * 1000;
  limits.cancelled = std::move(budget.cancelled);
}

std::string ValidateMessage(ScriptErrors result, std::string_view message) {
  if (result == errSCRIPT_OK) return "Script is OK";
  return "Errors in Script." + std::string(kCrLf) + std::string(message);
}

}  // namespace gildex
