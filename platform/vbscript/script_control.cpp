#include "platform/vbscript/script_control.h"

#include <new>

#include "platform/cp1252.h"

namespace gildex::vbscript {

ScriptControl::ScriptControl(const platform::Clock& clock)
    : clock_(clock), interpreter_(std::make_unique<Interpreter>(clock)) {}

const platform::Clock& ScriptControl::DefaultClock() {
  static const platform::SystemClock clock;
  return clock;
}

template <typename F>
auto ScriptControl::Guard(F&& f) -> decltype(f()) {
  error_.Clear();
  try {
    return f();
  } catch (const std::bad_alloc&) {
    // What the budget did not foresee: the script ends, the host goes on.
    ScriptError e;
    e.number = 7;
    e.description = std::string(ErrorDescription(7));
    e.source = kRuntimeSource;
    Fill(e);
    throw ScriptException(std::move(e), false);
  } catch (const ScriptException& e) {
    Fill(e.error);
    throw;
  }
}

void ScriptControl::Fill(const ScriptError& e) {
  error_.Number = e.number;
  error_.Line = e.line;
  error_.Column = e.column;
  error_.Description = e.description;
  error_.Source = e.kind == ErrorKind::Compile ? std::string(kCompileSource)
                                               : (e.source.empty() ? std::string(kRuntimeSource) : e.source);
  error_.Text = e.text;
}

void ScriptControl::SetLanguage(std::string_view language) {
  Guard([&] {
    if (!cp1252::EqualsNoCase(language, "VBScript")) ThrowRuntime(380, language);
    language_ = "VBScript";
    return 0;
  });
}

void ScriptControl::Reset() {
  error_.Clear();
  Limits limits = interpreter_->limits;
  interpreter_ = std::make_unique<Interpreter>(clock_);
  interpreter_->limits = limits;
}

void ScriptControl::AddCode(std::string_view code) {
  Guard([&] {
    interpreter_->AddCode(code);
    return 0;
  });
}

Variant ScriptControl::Eval(std::string_view expression) {
  return Guard([&] { return interpreter_->Eval(expression); });
}

void ScriptControl::ExecuteStatement(std::string_view statement) {
  Guard([&] {
    interpreter_->ExecuteStatement(statement);
    return 0;
  });
}

Variant ScriptControl::RunWithArgs(std::string_view procedure, const std::vector<Variant>& args) {
  return Guard([&] { return interpreter_->Run(procedure, args); });
}

std::string ScriptControl::ToText(const Variant& v) {
  return Guard([&]() -> std::string {
    if (v.IsNull() || v.IsEmpty()) return {};
    if (v.IsObject()) return ToString(interpreter_->DefaultValue(v));
    return ToString(v);
  });
}

}  // namespace gildex::vbscript
