#pragma once
// Script errors as VBScript numbers and words them, with where they arose.
#include <cstddef>
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
  // What Err.Description shows: VBScript's text without the name the host's message adds
  // ("Type mismatch", not "Type mismatch: 'UBound'"); empty when it is `description`.
  std::string err_description;
  std::string help_file;
  int help_context = 0;
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

// Error numbers with no VBScript counterpart: the step budget, the time budget, and a cancel
// asked for by the host (Ctrl-C, the Cancel button).
inline constexpr int kStepLimitError = 1000000;
inline constexpr int kTimeLimitError = 1000001;
inline constexpr int kCancelledError = 1000002;

// VBScript's own text for an error number; empty for numbers it does not know.
std::string_view ErrorDescription(int number);

// A run-time error with VBScript's text, optionally naming what it is about
// ("Type mismatch: 'Foo'").
[[noreturn]] void ThrowRuntime(int number, std::string_view name = {});
[[noreturn]] void ThrowLimit(int number, std::string description);
// A run-time error with VBScript's number and a description of our own, for what this
// interpreter refuses where Windows would go on (another locale, for one).
[[noreturn]] void ThrowRuntimeText(int number, std::string description);

// The native stack. Deep nesting (Execute of itself, nested parentheses, recursion) must end
// with "Out of stack space" (28), never a crash, whatever the frame sizes of this build:
// the parser and the evaluator compare their frame address with a limit taken when the
// host calls in. The limit leaves `budget` bytes below `here` and always keeps a reserve
// above the end of the thread's real stack.
const char* StackLimitBelow(const char* here, std::size_t budget = 3u * 1024 * 1024);
inline bool StackExhausted(const char* limit) {
  return static_cast<const char*>(__builtin_frame_address(0)) < limit;
}
[[noreturn]] void ThrowOutOfStack();

}  // namespace gildex::vbscript
