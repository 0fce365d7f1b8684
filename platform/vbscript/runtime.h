#pragma once
// What the resolver and the evaluator share: the global slots of a script and the
// library's table of built-in names.
#include <deque>
#include <map>
#include <span>
#include <string>
#include <string_view>

#include "platform/cp1252.h"
#include "platform/vbscript/ast.h"

namespace gildex::vbscript {

struct GlobalSlot {
  enum class Kind { Undeclared, Variable, Constant, Procedure, Class };
  std::string name;
  Kind kind = Kind::Undeclared;
  Variant value;
  ProcDef* proc = nullptr;
  ClassDef* cls = nullptr;
};

// A deque keeps slot addresses stable while later code adds globals, so ByRef arguments
// can point at them.
struct GlobalTable {
  std::deque<GlobalSlot> slots;
  std::map<std::string, int, std::less<>> index;  // upper-cased name

  int Find(std::string_view upper) const {
    auto it = index.find(upper);
    return it == index.end() ? -1 : it->second;
  }
  int Intern(const std::string& name, const std::string& upper) {
    int found = Find(upper);
    if (found >= 0) return found;
    GlobalSlot slot;
    slot.name = name;
    slots.push_back(std::move(slot));
    index.emplace(upper, static_cast<int>(slots.size() - 1));
    return static_cast<int>(slots.size() - 1);
  }
  void Truncate(std::size_t size) {
    while (slots.size() > size) {
      index.erase(cp1252::Upper(slots.back().name));
      slots.pop_back();
    }
  }
};

using BuiltinFn = Variant (*)(Interpreter& in, std::span<const Variant* const> args);

struct Builtin {
  const char* name;
  int min_args;
  int max_args;
  BuiltinFn fn;
  bool values = false;  // an object argument is read as its default property first
};

// The library: functions by upper-cased name (index into BuiltinTable()), and constants.
std::span<const Builtin> BuiltinTable();
int FindBuiltin(std::string_view upper);
const Variant* FindConstant(std::string_view upper);

}  // namespace gildex::vbscript
