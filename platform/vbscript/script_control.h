#pragma once
// The scripting control as the add-in uses it: a language, AllowUI, code added and run,
// expressions evaluated, and an Error object describing the last failure. Failing calls
// throw ScriptException and also fill Error, as the Windows control raises to its caller.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/vbscript/errors.h"
#include "platform/vbscript/interpreter.h"
#include "platform/vbscript/value.h"

namespace gildex::vbscript {

// The control's Error object.
struct ScriptControlError {
  int Number = 0;
  int Line = 0;
  int Column = 0;
  std::string Description;
  std::string Source;
  std::string Text;
  void Clear() { *this = ScriptControlError(); }
};

class ScriptControl {
 public:
  // Scripts read the time through `clock` (Now, Date, Time, Timer).
  explicit ScriptControl(const platform::Clock& clock = DefaultClock());

  const std::string& Language() const { return language_; }
  // Only VBScript is offered; another language raises "Invalid property value" (380).
  void SetLanguage(std::string_view language);
  bool AllowUI() const { return allow_ui_; }
  // Dialogs stay refused either way: there is no user interface to show them in.
  void SetAllowUI(bool allow) { allow_ui_ = allow; }

  // The limits that stop a runaway script (steps per call, call depth, string size).
  Limits& Settings() { return interpreter_->limits; }

  void Reset();
  void AddCode(std::string_view code);
  Variant Eval(std::string_view expression);
  void ExecuteStatement(std::string_view statement);
  // Run("Process", text): arguments are converted to Variants (strings, numbers, Booleans).
  template <typename... T>
  Variant Run(std::string_view procedure, T&&... args) {
    return RunWithArgs(procedure, std::vector<Variant>{ToVariant(std::forward<T>(args))...});
  }
  Variant RunWithArgs(std::string_view procedure, const std::vector<Variant>& args);

  ScriptControlError& Error() { return error_; }

  // A result as text: Empty and Null give "", objects their default value.
  std::string ToText(const Variant& v);

  static const platform::Clock& DefaultClock();

 private:
  static Variant ToVariant(const Variant& v) { return v; }
  static Variant ToVariant(std::string_view s) { return Variant::Str(std::string(s)); }
  static Variant ToVariant(const char* s) { return Variant::Str(s); }
  static Variant ToVariant(const std::string& s) { return Variant::Str(s); }
  static Variant ToVariant(bool b) { return Variant::Bool(b); }
  static Variant ToVariant(int n) { return Variant::Int(n); }
  static Variant ToVariant(double x) { return Variant::Double(x); }

  template <typename F>
  auto Guard(F&& f) -> decltype(f());
  void Fill(const ScriptError& e);

  const platform::Clock& clock_;
  std::unique_ptr<Interpreter> interpreter_;
  std::string language_ = "VBScript";
  bool allow_ui_ = false;
  ScriptControlError error_;
};

}  // namespace gildex::vbscript
