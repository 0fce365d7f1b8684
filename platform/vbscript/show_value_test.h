#pragma once
// Helpers for the interpreter's tests: values shown with their type, so a table can say
// exactly what VBScript gives ("Integer 7", "String \"ab\"").
#include <string>

#include "platform/vbscript/script_control.h"

namespace gildex::vbscript::testing {

inline std::string Show(const Variant& v) {
  switch (v.type) {
    case VT::Empty: return "Empty";
    case VT::Null: return "Null";
    case VT::String: return "String \"" + v.s + "\"";
    case VT::Object: return v.obj ? "Object " + v.obj->TypeName() : "Nothing";
    case VT::Array: {
      std::string text = "Array(";
      for (std::size_t k = 0; k < v.arr->items.size(); ++k) text += (k ? ", " : "") + Show(v.arr->items[k]);
      return text + ")";
    }
    default: return TypeName(v) + " " + ToString(v);
  }
}

// "Error 13: Type mismatch" for a failing call, otherwise the shown value.
template <typename F>
std::string Outcome(ScriptControl& sc, F&& f) {
  try {
    return Show(f());
  } catch (const ScriptException& e) {
    return "Error " + std::to_string(sc.Error().Number) + ": " + sc.Error().Description;
  }
}

}  // namespace gildex::vbscript::testing
