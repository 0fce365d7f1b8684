#include "platform/vbscript/errors.h"

#include <pthread.h>

#include <algorithm>
#include <cstdint>
#include <string>

namespace gildex::vbscript {

ScriptException::ScriptException(ScriptError e, bool can_catch)
    : std::runtime_error(e.description), error(std::move(e)), catchable(can_catch) {}

std::string_view ErrorDescription(int number) {
  switch (number) {
    case 5: return "Invalid procedure call or argument";
    case 6: return "Overflow";
    case 7: return "Out of memory";
    case 9: return "Subscript out of range";
    case 10: return "This array is fixed or temporarily locked";
    case 11: return "Division by zero";
    case 13: return "Type mismatch";
    case 14: return "Out of string space";
    case 17: return "Can't perform requested operation";
    case 28: return "Out of stack space";
    case 35: return "Sub or Function not defined";
    case 51: return "Internal error";
    case 70: return "Permission denied";
    case 91: return "Object variable not set";
    case 92: return "For loop not initialized";
    case 94: return "Invalid use of Null";
    case 380: return "Invalid property value";
    case 424: return "Object required";
    case 429: return "ActiveX component can't create object";
    case 438: return "Object doesn't support this property or method";
    case 445: return "Object doesn't support this action";
    case 449: return "Argument not optional";
    case 450: return "Wrong number of arguments or invalid property assignment";
    case 451: return "Object not a collection";
    case 458: return "Variable uses an Automation type not supported in VBScript";
    case 457: return "This key is already associated with an element of this collection";
    case 500: return "Variable is undefined";
    case 501: return "Illegal assignment";
    case 505: return "Invalid or unqualified reference";
    case 506: return "Class not defined";
    case 5017: return "Syntax error in regular expression";
    case 5018: return "Unexpected quantifier";
    case 5019: return "Expected ']' in regular expression";
    case 5020: return "Expected ')' in regular expression";
    case 5021: return "Invalid range in character set";
    case 32811: return "Element not found";
    case 1001: return "Out of memory";
    case 1002: return "Syntax error";
    case 1003: return "Expected ':'";
    case 1005: return "Expected '('";
    case 1006: return "Expected ')'";
    case 1007: return "Expected ']'";
    case 1010: return "Expected identifier";
    case 1011: return "Expected '='";
    case 1012: return "Expected 'If'";
    case 1013: return "Expected 'To'";
    case 1014: return "Expected 'End'";
    case 1015: return "Expected 'Function'";
    case 1016: return "Expected 'Sub'";
    case 1017: return "Expected 'Then'";
    case 1018: return "Expected 'Wend'";
    case 1019: return "Expected 'Loop'";
    case 1020: return "Expected 'Next'";
    case 1021: return "Expected 'Case'";
    case 1022: return "Expected 'Select'";
    case 1023: return "Expected expression";
    case 1024: return "Expected statement";
    case 1025: return "Expected end of statement";
    case 1026: return "Expected integer constant";
    case 1027: return "Expected 'While' or 'Until'";
    case 1028: return "Expected 'While', 'Until' or end of statement";
    case 1029: return "Expected 'With'";
    case 1030: return "Identifier too long";
    case 1031: return "Invalid number";
    case 1032: return "Invalid character";
    case 1033: return "Unterminated string constant";
    case 1034: return "Unterminated comment";
    case 1037: return "Invalid use of 'Me' keyword";
    case 1038: return "'loop' without 'do'";
    case 1039: return "Invalid 'exit' statement";
    case 1040: return "Invalid 'for' loop control variable";
    case 1041: return "Name redefined";
    case 1042: return "Must be first statement on the line";
    case 1043: return "Cannot assign to non-ByVal argument";
    case 1044: return "Cannot use parentheses when calling a Sub";
    case 1045: return "Expected literal constant";
    case 1046: return "Expected 'In'";
    case 1047: return "Expected 'Class'";
    case 1048: return "Must be defined inside a Class";
    case 1049: return "Expected Let or Set or Get in property declaration";
    case 1050: return "Expected 'Property'";
    case 1051: return "Number of arguments must be consistent across properties specification";
    case 1052: return "Cannot have multiple default property/method in a Class";
    case 1053: return "Class initialize or terminate do not have arguments";
    case 1054: return "Property set or let must have at least one argument";
    case 1055: return "Unexpected 'Next'";
    case 1056: return "'Default' can be specified only on 'Property' or 'Function' or 'Sub'";
    case 1057: return "'Default' specification must also specify 'Public'";
    case 1058: return "'Default' specification can only be on Property Get";
    default: return {};
  }
}

void ThrowRuntime(int number, std::string_view name) {
  ScriptError e;
  e.number = number;
  std::string_view text = ErrorDescription(number);
  e.description = text.empty() ? "Unknown runtime error" : std::string(text);
  if (!name.empty()) {
    e.err_description = e.description;
    e.description += ": '" + std::string(name) + "'";
  }
  e.source = kRuntimeSource;
  throw ScriptException(std::move(e));
}

void ThrowRuntimeText(int number, std::string description) {
  ScriptError e;
  e.number = number;
  e.description = std::move(description);
  e.source = kRuntimeSource;
  throw ScriptException(std::move(e));
}

const char* StackLimitBelow(const char* here, std::size_t budget) {
  // Where this thread's stack ends, asked once per thread (it reads the process's maps).
  thread_local const char* stack_end = [] {
    const char* end = nullptr;
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
      void* addr = nullptr;
      std::size_t size = 0;
      if (pthread_attr_getstack(&attr, &addr, &size) == 0) end = static_cast<const char*>(addr);
      pthread_attr_destroy(&attr);
    }
    return end;
  }();
  constexpr std::size_t kReserve = 1024 * 1024;  // for a native call made between two checks
  const auto at = reinterpret_cast<std::uintptr_t>(here);
  std::uintptr_t limit = at > budget ? at - budget : 0;
  if (stack_end) limit = std::max(limit, reinterpret_cast<std::uintptr_t>(stack_end) + kReserve);
  return reinterpret_cast<const char*>(limit);
}

void ThrowOutOfStack() { ThrowLimit(28, "Out of stack space"); }

void ThrowLimit(int number, std::string description) {
  ScriptError e;
  e.number = number;
  e.description = std::move(description);
  e.source = kRuntimeSource;
  throw ScriptException(std::move(e), false);
}

}  // namespace gildex::vbscript
