#pragma once
// Script errors as VBScript numbers and words them, with where they arose.
#include <stdexcept>
#include <string>
#include <string_view>

namespace gildex::vbscript {

enum class ErrorKind { Compile, Runtime };

struct ScriptError {
  int number = 0;
  std::string description;
  ErrorKind kind = ErrorKind::Runtime;
  int line = 0;    // 1-based; 0 until the statement that failed is known
  int column = 0;  // 1-based
  std::string text;  // the source line
  std::string source;  // "Microsoft VBScript runtime error" or the script's own (Err.Raise)
};

// Thrown by every stage. `catchable` is false for the limits (steps, depth, string size):
// On Error Resume Next must not let a runaway script go on.
class ScriptException : public std::runtime_error {
 public:
  explicit ScriptException(ScriptError error, bool catchable = true);
  ScriptError error;
  bool catchable;
};

inline constexpr std::string_view kRuntimeSource = "Microsoft VBScript runtime error";
inline constexpr std::string_view kCompileSource = "Microsoft VBScript compilation error";

// Error numbers with no VBScript counterpart: the step budget.
inline constexpr int kStepLimitError = 1000000;

// VBScript's own text for an error number; empty for numbers it does not know.
std::string_view ErrorDescription(int number);

// A run-time error with VBScript's text, optionally naming what it is about
// ("Type mismatch: 'Foo'").
[[noreturn]] void ThrowRuntime(int number, std::string_view name = {});
[[noreturn]] void ThrowLimit(int number, std::string description);
// A run-time error with VBScript's number and a description of our own, for what this
// interpreter refuses where Windows would go on (another locale, for one).
[[noreturn]] void ThrowRuntimeText(int number, std::string description);

}  // namespace gildex::vbscript
