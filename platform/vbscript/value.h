#pragma once
// The Variant: every value a script holds, with VBScript's rules for converting,
// comparing and printing it. Strings are Windows-1252 bytes.
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gildex::vbscript {

class ClassInstance;
class Object;
class Interpreter;
struct ArrayValue;

// VarType numbers as VBScript reports them.
enum class VT : std::uint16_t {
  Empty = 0, Null = 1, Integer = 2, Long = 3, Single = 4, Double = 5, Currency = 6, Date = 7,
  String = 8, Object = 9, Error = 10, Boolean = 11, Byte = 17, Array = 8204,
};

struct Variant {
  VT type = VT::Empty;
  union {
    std::int64_t i = 0;  // Integer, Long, Byte, Boolean (0 / -1), Currency (scaled by 10,000)
    double d;            // Single, Double, Date (days since 30 Dec 1899)
  };
  std::string s;
  std::shared_ptr<ArrayValue> arr;
  // Null with type Object is Nothing. A String variable holding a long string keeps the
  // charge of its bytes here (see HoldInVariable), so it is given back when the last copy
  // of the string is freed, wherever that happens.
  std::shared_ptr<Object> obj;

  Variant() = default;
  [[gnu::always_inline]] Variant(const Variant& o) : type(o.type) {
    std::memcpy(static_cast<void*>(&i), static_cast<const void*>(&o.i), sizeof i);
    if (o.HasHeap()) {
      s = o.s;
      arr = o.arr;
      obj = o.obj;
    }
  }
  [[gnu::always_inline]] Variant(Variant&& o) noexcept : type(o.type) {
    std::memcpy(static_cast<void*>(&i), static_cast<const void*>(&o.i), sizeof i);
    if (o.HasHeap()) {
      s = std::move(o.s);
      arr = std::move(o.arr);
      obj = std::move(o.obj);
    }
  }
  // Numbers, Empty, Null and Booleans are copied as bits: the common case of arithmetic.
  Variant& operator=(const Variant& o) {
    if (!HasHeap() && !o.HasHeap()) {
      CopyBits(o);
      return *this;
    }
    return AssignSlow(o);
  }
  Variant& operator=(Variant&& o) noexcept {
    if (!HasHeap() && !o.HasHeap()) {
      CopyBits(o);
      return *this;
    }
    return MoveSlow(std::move(o));
  }
  // Inlined: a Variant is made and dropped for nearly every step of evaluation.
  [[gnu::always_inline]] ~Variant() {
    if (obj || arr) Release();
  }
  void Release() noexcept;  // frees deep structures one at a time, never recursively
  // A variable is about to hold this value: a string of kChargedString bytes or more is
  // charged to the running script's memory budget, which raises "Out of memory" (7) when it
  // would be passed. A copy taken from another variable gets a charge of its own. Shorter
  // strings stay out of it: each is bounded, and checking them would slow every assignment.
  static constexpr std::size_t kChargedString = 4096;
  void HoldInVariable() {
    if (type == VT::String && s.size() >= kChargedString) ChargeString();
  }
  // Gives the charge back now, for a value leaving the interpreter.
  void Uncharge() noexcept {
    if (type == VT::String) obj.reset();
  }
  // Only a String (its text, or the charge of a long one), an array or an object holds
  // anything beyond the bits; every other type is told by its tag alone.
  [[gnu::always_inline]] bool HasHeap() const {
    return (type == VT::String || type == VT::Object || type == VT::Array) && (!s.empty() || arr || obj);
  }

  static Variant Null() { Variant v; v.type = VT::Null; return v; }
  static Variant Bool(bool b) { Variant v; v.type = VT::Boolean; v.i = b ? -1 : 0; return v; }
  static Variant Int(std::int64_t n);  // Integer, Long or Double by size
  static Variant Integer(std::int64_t n) { Variant v; v.type = VT::Integer; v.i = n; return v; }
  static Variant Long(std::int64_t n) { Variant v; v.type = VT::Long; v.i = n; return v; }
  static Variant Byte(std::int64_t n) { Variant v; v.type = VT::Byte; v.i = n; return v; }
  static Variant Double(double x) { Variant v; v.type = VT::Double; v.d = x; return v; }
  static Variant Single(double x) { Variant v; v.type = VT::Single; v.d = x; return v; }
  static Variant Date(double x) { Variant v; v.type = VT::Date; v.d = x; return v; }
  static Variant Currency(std::int64_t scaled) { Variant v; v.type = VT::Currency; v.i = scaled; return v; }
  static Variant Str(std::string text) { Variant v; v.type = VT::String; v.s = std::move(text); return v; }
  static Variant Obj(std::shared_ptr<Object> o) { Variant v; v.type = VT::Object; v.obj = std::move(o); return v; }
  static Variant Nothing() { Variant v; v.type = VT::Object; return v; }
  static Variant Array(std::shared_ptr<ArrayValue> a) { Variant v; v.type = VT::Array; v.arr = std::move(a); return v; }

  bool IsEmpty() const { return type == VT::Empty; }
  bool IsNull() const { return type == VT::Null; }
  bool IsString() const { return type == VT::String; }
  bool IsObject() const { return type == VT::Object; }
  bool IsArray() const { return type == VT::Array; }
  bool IsNumeric() const;  // a number type (Boolean, Date and Empty count)

 private:
  void CopyBits(const Variant& o) {
    type = o.type;
    std::memcpy(static_cast<void*>(&i), static_cast<const void*>(&o.i), sizeof i);
  }
  Variant& AssignSlow(const Variant& o);
  Variant& MoveSlow(Variant&& o) noexcept;
  void ChargeString();
};

// The memory a script's values hold, against the budget of the interpreter running it.
// Containers (arrays, dictionaries, class instances, regular expressions) charge what they
// hold when they are made or written, and give it back when they are freed; variables
// charge the long strings they hold (Variant::HoldInVariable).
struct MemoryMeter {
  std::int64_t used = 0;
  std::int64_t limit = std::numeric_limits<std::int64_t>::max();
};
// The meter of the script running on this thread; null when none runs.
std::shared_ptr<MemoryMeter>& CurrentMeter();

// What a string's text takes beside its Variant: nothing while it fits the string itself,
// else its block on the heap with the allocator's rounding and header.
inline std::int64_t TextBytes(const std::string& s) {
  return s.size() < 16 ? 0 : static_cast<std::int64_t>((s.size() + 1 + 15) / 16 * 16 + 16);
}

class MemoryCharge {
 public:
  MemoryCharge() : meter_(CurrentMeter()) {}
  explicit MemoryCharge(std::shared_ptr<MemoryMeter> meter) : meter_(std::move(meter)) {}
  // A copy holds as much again.
  MemoryCharge(const MemoryCharge& o) : meter_(o.meter_) { Add(o.bytes_); }
  MemoryCharge& operator=(const MemoryCharge&) = delete;
  ~MemoryCharge() {
    if (meter_) meter_->used -= bytes_;
  }
  // Raises "Out of memory" (7), which On Error Resume Next does not pass over, when the
  // budget would be passed.
  void Add(std::int64_t delta) {
    if (!meter_) return;
    if (delta > 0 && meter_->used + delta > meter_->limit) OverBudget();
    meter_->used += delta;
    bytes_ += delta;
  }
  std::int64_t Bytes() const { return bytes_; }
  // Element `old` of the container is about to become `now`.
  void Replace(const Variant& old, const Variant& now);

 private:
  [[noreturn]] void OverBudget() const;
  std::shared_ptr<MemoryMeter> meter_;
  std::int64_t bytes_ = 0;
};

// VBScript arrays are values: assignment copies them. Copies share the storage until one
// of them is written (see MutableArray). Lower bounds are always 0.
struct ArrayValue {
  MemoryCharge charge;               // first: a copy is charged before its items are copied
  std::vector<std::int64_t> counts;  // elements per dimension
  std::vector<Variant> items;        // first index varies fastest
  bool fixed = false;                // Dim a(n): ReDim is refused
  // Elements passed ByRef to a call still running: ReDim and Erase are refused until it
  // returns ("temporarily locked"). A copy of the array starts unlocked.
  struct LockCount {
    int n = 0;
    LockCount() = default;
    LockCount(const LockCount&) {}
    LockCount& operator=(const LockCount&) { return *this; }
  } locks;
  std::size_t Offset(std::span<const std::int64_t> index) const;  // throws 9
};
std::shared_ptr<ArrayValue> MakeArray(std::vector<std::int64_t> counts, bool fixed = false);
// Charges the strings a library function put into a fresh array.
void ChargeStrings(ArrayValue& array);

// What every object offers a script. Member names arrive upper-cased; an empty name is the
// default member.
class Object {
 public:
  virtual ~Object() = default;
  virtual std::string TypeName() const = 0;
  // An instance of a script's Class, whose fields the evaluator reaches directly; else null.
  virtual ClassInstance* AsInstance() { return nullptr; }
  // Property get or method call.
  virtual Variant Get(Interpreter& in, const std::string& name, std::span<Variant* const> args) = 0;
  // Property let (set = false) or set.
  virtual void Put(Interpreter& in, const std::string& name, std::span<Variant* const> args,
                   const Variant& value, bool set);
  // The elements For Each visits; 451 when not a collection.
  virtual std::vector<Variant> Elements(Interpreter& in);
  // Called while the last reference is still held, so Class_Terminate can see Me.
  virtual void LastRelease(const std::shared_ptr<Object>& self) { (void)self; }
  // Drops every value the object holds; the interpreter calls it when it is reset, so
  // objects that refer to each other in a cycle are freed.
  virtual void ClearReferences() {}
};

// The array of `v` ready to be written: its own storage, cloned when shared.
ArrayValue& MutableArray(Variant& v);

// Conversions with VBScript's rules; they throw Type mismatch (13), Overflow (6) or
// Invalid use of Null (94) as VBScript does.
bool ParseNumber(std::string_view text, double& out);  // what IsNumeric accepts
double ToDouble(const Variant& v);
std::int64_t ToLong(const Variant& v);     // rounds half to even, range of Long
std::int64_t ToInteger(const Variant& v);  // range of Integer
bool ToBool(const Variant& v);
std::string ToString(const Variant& v);
double ToDate(const Variant& v);
std::int64_t ToCurrency(const Variant& v);  // scaled by 10,000
std::int64_t RoundHalfEven(double x);
std::string FormatDouble(double x);
std::string FormatDate(double date);
std::string TypeName(const Variant& v);
// A numeric value for arithmetic: strings are converted, Empty is 0.
Variant ToNumeric(const Variant& v);

// Date arithmetic shared with the builtins.
struct DateParts {
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
};
double DateFromParts(int year, int month, int day);  // month and day may overflow, as DateSerial
DateParts PartsOfDate(double date);
int WeekdayOf(double date);  // 1 = Sunday
bool ParseDate(std::string_view text, double& out);

// Operators; Null propagates as VBScript says.
enum class BinaryOp {
  Pow, Mul, Div, IntDiv, Mod, Add, Sub, Concat, Eq, Ne, Lt, Gt, Le, Ge, Is, And, Or, Xor, Eqv, Imp,
};
Variant Arithmetic(BinaryOp op, const Variant& a, const Variant& b);
Variant Logical(BinaryOp op, const Variant& a, const Variant& b);
Variant Negate(const Variant& a);
Variant Not(const Variant& a);
// -1, 0, 1, or 2 for Null. `a_literal` / `b_literal` say the operand was written as a
// constant: VBScript then converts the other side to the constant's type.
int Compare(const Variant& a, const Variant& b, bool a_literal, bool b_literal, bool text_compare = false);
int CompareStrings(std::string_view a, std::string_view b, bool text_compare);

}  // namespace gildex::vbscript
