// The function library and the vb constants. Functions VBScript has that are not here are
// unknown names, which VBScript itself reports as "Type mismatch: 'Name'".
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>

#include "platform/cp1252.h"
#include "platform/vbscript/errors.h"
#include "platform/vbscript/interpreter.h"
#include "platform/vbscript/objects.h"
#include "platform/vbscript/runtime.h"

namespace gildex::vbscript {
namespace {

using Args = std::span<const Variant* const>;

const Variant& A(Args a, std::size_t k) { return *a[k]; }
bool Has(Args a, std::size_t k) { return a.size() > k && !a[k]->IsEmpty(); }
std::int64_t IntArg(Args a, std::size_t k, std::int64_t fallback) { return Has(a, k) ? ToLong(A(a, k)) : fallback; }
std::string Str(const Variant& v) { return v.IsString() ? v.s : ToString(v); }
// The text of `v` without copying a string: scripts pass long texts to Mid and InStr in loops.
const std::string& StrRef(const Variant& v, std::string& temp) {
  if (v.IsString()) return v.s;
  temp = ToString(v);
  return temp;
}
bool TextCompare(Args a, std::size_t k) {
  std::int64_t mode = IntArg(a, k, 0);
  if (mode < 0 || mode > 2) ThrowRuntime(5);
  return mode != 0;
}

std::size_t Find(std::string_view hay, std::string_view needle, std::size_t from, bool text) {
  return text ? cp1252::FindNoCase(hay, needle, from) : hay.find(needle, from);
}

// Escape and Unescape work on the Unicode text Windows scripts hold: a byte stands for its
// code point in this code page, and a character above 255 travels as %uXXXX.
char32_t CodePointOf(char c) {
  std::string utf8 = cp1252::ToUtf8(std::string(1, c));
  char32_t cp = static_cast<unsigned char>(utf8[0]);
  if (cp >= 0xE0 && utf8.size() >= 3) cp = ((cp & 0x0F) << 12) | ((utf8[1] & 0x3F) << 6) | (utf8[2] & 0x3F);
  else if (cp >= 0xC0 && utf8.size() >= 2) cp = ((cp & 0x1F) << 6) | (utf8[1] & 0x3F);
  return cp;
}
// Strings
Variant Len(Interpreter&, Args a) {
  if (A(a, 0).IsNull()) return Variant::Null();
  std::string temp;
  return Variant::Long(static_cast<std::int64_t>(StrRef(A(a, 0), temp).size()));
}
// VBScript converts every argument (Type mismatch, Invalid use of Null) before it checks
// ranges (Invalid procedure call), and only then lets a Null text through.
Variant Left(Interpreter&, Args a) {
  std::int64_t n = ToLong(A(a, 1));
  if (n < 0) ThrowRuntime(5);
  if (A(a, 0).IsNull()) return Variant::Null();
  std::string temp;
  const std::string& s = StrRef(A(a, 0), temp);
  return Variant::Str(s.substr(0, static_cast<std::size_t>(std::min<std::int64_t>(n, static_cast<std::int64_t>(s.size())))));
}
Variant Right(Interpreter&, Args a) {
  std::int64_t n = ToLong(A(a, 1));
  if (n < 0) ThrowRuntime(5);
  if (A(a, 0).IsNull()) return Variant::Null();
  std::string temp;
  const std::string& s = StrRef(A(a, 0), temp);
  std::size_t take = static_cast<std::size_t>(std::min<std::int64_t>(n, static_cast<std::int64_t>(s.size())));
  return Variant::Str(s.substr(s.size() - take));
}
Variant Mid(Interpreter&, Args a) {
  std::int64_t start = ToLong(A(a, 1));
  std::int64_t len = a.size() > 2 ? ToLong(A(a, 2)) : -1;
  if (start < 1 || (a.size() > 2 && len < 0)) ThrowRuntime(5);
  if (A(a, 0).IsNull()) return Variant::Null();
  std::string temp;
  const std::string& s = StrRef(A(a, 0), temp);
  if (static_cast<std::size_t>(start) > s.size()) return Variant::Str("");
  std::size_t count = len < 0 ? std::string::npos : static_cast<std::size_t>(len);
  return Variant::Str(s.substr(static_cast<std::size_t>(start - 1), count));
}
Variant InStr(Interpreter& in, Args a) {
  std::size_t base = 0;
  std::int64_t start = 1;
  if (a.size() >= 3) {
    if (A(a, 0).IsNull()) ThrowRuntime(94);
    start = ToLong(A(a, 0));
    if (start < 1) ThrowRuntime(5);
    base = 1;
  }
  const Variant& hay = A(a, base);
  const Variant& needle = A(a, base + 1);
  bool text = a.size() == 4 && TextCompare(a, 3);
  if (hay.IsNull() || needle.IsNull()) return Variant::Null();
  std::string h_temp, n_temp;
  const std::string& h = StrRef(hay, h_temp);
  const std::string& n = StrRef(needle, n_temp);
  if (static_cast<std::size_t>(start) > h.size()) return Variant::Long(n.empty() && static_cast<std::size_t>(start) == h.size() + 1 ? 0 : 0);
  if (n.empty()) return Variant::Long(start);
  if (h.size() > kLongText) in.Poll();
  std::size_t at = Find(h, n, static_cast<std::size_t>(start - 1), text);
  return Variant::Long(at == std::string::npos ? 0 : static_cast<std::int64_t>(at) + 1);
}
Variant InStrRev(Interpreter& in, Args a) {
  std::int64_t start = a.size() > 2 ? ToLong(A(a, 2)) : -1;
  if (a.size() > 3) ToLong(A(a, 3));
  bool text = TextCompare(a, 3);
  if (start == 0 || start < -1) ThrowRuntime(5);
  if (A(a, 0).IsNull() || A(a, 1).IsNull()) return Variant::Null();
  std::string h = Str(A(a, 0)), n = Str(A(a, 1));
  if (start == -1) start = static_cast<std::int64_t>(h.size());
  if (n.empty()) return Variant::Long(start);
  if (start > static_cast<std::int64_t>(h.size())) return Variant::Long(0);
  std::int64_t last = start - static_cast<std::int64_t>(n.size());
  for (std::int64_t p = last; p >= 0; --p) {
    if ((p & 0xFFFF) == 0) in.Poll();
    std::string_view part(h.data() + p, n.size());
    if (text ? cp1252::EqualsNoCase(part, n) : part == n) return Variant::Long(p + 1);
  }
  return Variant::Long(0);
}
Variant Replace(Interpreter& in, Args a) {
  for (std::size_t k = 0; k < 3; ++k)
    if (A(a, k).IsNull()) ThrowRuntime(94);
  std::string s = Str(A(a, 0)), find = Str(A(a, 1)), with = Str(A(a, 2));
  std::int64_t start = a.size() > 3 ? ToLong(A(a, 3)) : 1, count = a.size() > 4 ? ToLong(A(a, 4)) : -1;
  if (a.size() > 5) ToLong(A(a, 5));
  if (start < 1 || count < -1) ThrowRuntime(5);
  bool text = TextCompare(a, 5);
  if (static_cast<std::size_t>(start) > s.size()) return Variant::Str("");
  s.erase(0, static_cast<std::size_t>(start - 1));
  if (find.empty() || count == 0) return Variant::Str(s);
  std::string out;
  std::size_t pos = 0;
  if (s.size() > kLongText) in.Poll();
  for (std::size_t turn = 1; count != 0; ++turn) {
    if ((turn & 0x3FF) == 0) in.Poll();
    std::size_t at = Find(s, find, pos, text);
    if (at == std::string::npos) break;
    out.append(s, pos, at - pos);
    out += with;
    in.CheckString(out.size());
    pos = at + find.size();
    if (count > 0) --count;
  }
  out.append(s, pos, std::string::npos);
  return Variant::Str(std::move(out));
}
Variant Split(Interpreter&, Args a) {
  if (a.size() > 1 && A(a, 1).IsNull()) ThrowRuntime(94);
  std::int64_t limit = a.size() > 2 ? ToLong(A(a, 2)) : -1;
  if (a.size() > 3) ToLong(A(a, 3));
  if (limit < -1) ThrowRuntime(5);
  bool text = TextCompare(a, 3);
  if (A(a, 0).IsNull()) return Variant::Null();
  std::string s = Str(A(a, 0));
  std::string delim = a.size() > 1 ? Str(A(a, 1)) : " ";
  std::vector<std::string> parts;
  if (!s.empty()) {
    if (delim.empty()) {
      parts.push_back(s);
    } else {
      std::size_t pos = 0;
      while (limit < 0 || static_cast<std::int64_t>(parts.size()) + 1 < limit) {
        std::size_t at = Find(s, delim, pos, text);
        if (at == std::string::npos) break;
        parts.push_back(s.substr(pos, at - pos));
        pos = at + delim.size();
      }
      parts.push_back(s.substr(pos));
    }
  }
  if (limit == 0) parts.clear();
  auto arr = MakeArray({static_cast<std::int64_t>(parts.size())});
  for (std::size_t k = 0; k < parts.size(); ++k) arr->items[k] = Variant::Str(std::move(parts[k]));
  ChargeStrings(*arr);
  return Variant::Array(std::move(arr));
}
const ArrayValue& OneDimArray(const Variant& v) {
  if (!v.IsArray()) ThrowRuntime(13);
  if (v.arr->counts.size() != 1) ThrowRuntime(5);
  return *v.arr;
}
Variant Join(Interpreter& in, Args a) {
  if (a.size() > 1 && A(a, 1).IsNull()) ThrowRuntime(94);
  const ArrayValue& arr = OneDimArray(A(a, 0));
  std::string delim = a.size() > 1 ? Str(A(a, 1)) : " ";
  std::string out;
  for (std::size_t k = 0; k < arr.items.size(); ++k) {
    if (k) out += delim;
    // An element is converted as CStr converts it: Null is "Invalid use of Null", an object
    // a type mismatch.
    if (arr.items[k].IsNull()) ThrowRuntime(94);
    if (arr.items[k].IsObject()) ThrowRuntime(13);
    out += Str(arr.items[k]);
    in.CheckString(out.size());
  }
  return Variant::Str(std::move(out));
}
Variant Filter(Interpreter&, Args a) {
  const ArrayValue& arr = OneDimArray(A(a, 0));
  std::string match = Str(A(a, 1));
  bool include = a.size() > 2 ? ToBool(A(a, 2)) : true;
  bool text = TextCompare(a, 3);
  std::vector<Variant> kept;
  for (const auto& item : arr.items) {
    std::string s = Str(item);
    if ((Find(s, match, 0, text) != std::string::npos) == include) kept.push_back(Variant::Str(s));
  }
  auto out = MakeArray({static_cast<std::int64_t>(kept.size())});
  for (std::size_t k = 0; k < kept.size(); ++k) out->items[k] = std::move(kept[k]);
  ChargeStrings(*out);
  return Variant::Array(std::move(out));
}
Variant LCase(Interpreter&, Args a) { return A(a, 0).IsNull() ? Variant::Null() : Variant::Str(cp1252::Lower(Str(A(a, 0)))); }
Variant UCase(Interpreter&, Args a) { return A(a, 0).IsNull() ? Variant::Null() : Variant::Str(cp1252::Upper(Str(A(a, 0)))); }
// VBScript's trims remove spaces only, not tabs.
Variant TrimWith(Args a, bool left, bool right) {
  if (A(a, 0).IsNull()) return Variant::Null();
  std::string s = Str(A(a, 0));
  std::size_t b = 0, e = s.size();
  if (left) while (b < e && s[b] == ' ') ++b;
  if (right) while (e > b && s[e - 1] == ' ') --e;
  return Variant::Str(s.substr(b, e - b));
}
Variant Trim(Interpreter&, Args a) { return TrimWith(a, true, true); }
Variant LTrim(Interpreter&, Args a) { return TrimWith(a, true, false); }
Variant RTrim(Interpreter&, Args a) { return TrimWith(a, false, true); }
Variant Space(Interpreter& in, Args a) {
  std::int64_t n = ToLong(A(a, 0));
  if (n < 0) ThrowRuntime(5);
  in.CheckString(static_cast<std::size_t>(n));
  return Variant::Str(std::string(static_cast<std::size_t>(n), ' '));
}
Variant StringFn(Interpreter& in, Args a) {
  std::int64_t n = ToLong(A(a, 0));
  if (n < 0) ThrowRuntime(5);
  if (A(a, 1).IsNull()) return Variant::Null();
  char c;
  if (A(a, 1).IsString()) {
    if (A(a, 1).s.empty()) ThrowRuntime(5);
    c = A(a, 1).s[0];
  } else {
    c = static_cast<char>(ToLong(A(a, 1)) & 0xFF);
  }
  in.CheckString(static_cast<std::size_t>(n));
  return Variant::Str(std::string(static_cast<std::size_t>(n), c));
}
Variant StrComp(Interpreter&, Args a) {
  if (A(a, 0).IsNull() || A(a, 1).IsNull()) return Variant::Null();
  return Variant::Integer(CompareStrings(Str(A(a, 0)), Str(A(a, 1)), TextCompare(a, 2)));
}
Variant StrReverse(Interpreter&, Args a) {
  std::string s = Str(A(a, 0));
  std::reverse(s.begin(), s.end());
  return Variant::Str(s);
}
Variant Asc(Interpreter&, Args a) {
  std::string s = Str(A(a, 0));
  if (s.empty()) ThrowRuntime(5);
  return Variant::Integer(static_cast<unsigned char>(s[0]));
}
Variant AscW(Interpreter&, Args a) {
  std::string s = Str(A(a, 0));
  if (s.empty()) ThrowRuntime(5);
  return Variant::Int(CodePointOf(s[0]));
}
// Strings are UTF-16 to a script: the first byte is the low byte of the first character's code.
Variant AscB(Interpreter&, Args a) {
  std::string s = Str(A(a, 0));
  if (s.empty()) ThrowRuntime(5);
  return Variant::Integer(CodePointOf(s[0]) & 0xFF);
}
Variant Chr(Interpreter&, Args a) {
  std::int64_t n = ToLong(A(a, 0));
  if (n < 0 || n > 255) ThrowRuntime(5);
  return Variant::Str(std::string(1, static_cast<char>(n)));
}
Variant ChrW(Interpreter&, Args a) {
  std::int64_t n = ToLong(A(a, 0));
  if (n < -32768 || n > 65535) ThrowRuntime(5);
  if (n < 0) n += 65536;
  auto c = cp1252::FromUnicode(static_cast<char32_t>(n));
  return Variant::Str(std::string(1, c ? *c : '?'));
}

// Types
Variant IsEmptyFn(Interpreter&, Args a) { return Variant::Bool(A(a, 0).IsEmpty()); }
Variant IsNullFn(Interpreter&, Args a) { return Variant::Bool(A(a, 0).IsNull()); }
Variant IsArrayFn(Interpreter&, Args a) { return Variant::Bool(A(a, 0).IsArray()); }
Variant IsObjectFn(Interpreter&, Args a) { return Variant::Bool(A(a, 0).IsObject()); }
Variant IsNumericFn(Interpreter& in, Args a) {
  // An object is numeric when its default value is: Nothing, or one without a default
  // member, is simply not.
  Variant value;
  if (A(a, 0).IsObject()) {
    if (!A(a, 0).obj) return Variant::Bool(false);
    try {
      value = in.DefaultValue(A(a, 0));
    } catch (const ScriptException& e) {
      if (!e.catchable) throw;
      return Variant::Bool(false);
    }
    if (value.IsObject()) return Variant::Bool(false);
  }
  const Variant& v = A(a, 0).IsObject() ? value : A(a, 0);
  if (v.IsString()) {
    double x;
    return Variant::Bool(ParseNumber(v.s, x));
  }
  return Variant::Bool(v.IsNumeric() && v.type != VT::Date);
}
Variant IsDateFn(Interpreter&, Args a) {
  const Variant& v = A(a, 0);
  if (v.type == VT::Date) return Variant::Bool(true);
  double d;
  return Variant::Bool(v.IsString() && ParseDate(v.s, d));
}
Variant VarTypeFn(Interpreter&, Args a) { return Variant::Integer(static_cast<int>(A(a, 0).type)); }
Variant TypeNameFn(Interpreter&, Args a) { return Variant::Str(TypeName(A(a, 0))); }

// Conversions
Variant CStr(Interpreter&, Args a) { return Variant::Str(ToString(A(a, 0))); }
Variant CInt(Interpreter&, Args a) { return Variant::Integer(ToInteger(A(a, 0))); }
Variant CLng(Interpreter&, Args a) { return Variant::Long(ToLong(A(a, 0))); }
Variant CDbl(Interpreter&, Args a) { return Variant::Double(ToDouble(A(a, 0))); }
Variant CSng(Interpreter&, Args a) {
  double x = ToDouble(A(a, 0));
  if (std::fabs(x) > 3.402823e38) ThrowRuntime(6);
  return Variant::Single(static_cast<float>(x));
}
Variant CBool(Interpreter&, Args a) { return Variant::Bool(ToBool(A(a, 0))); }
Variant CByte(Interpreter&, Args a) {
  if (A(a, 0).type == VT::Boolean) return Variant::Byte(A(a, 0).i ? 255 : 0);
  std::int64_t n = ToLong(A(a, 0));
  if (n < 0 || n > 255) ThrowRuntime(6);
  return Variant::Byte(n);
}
Variant CCur(Interpreter&, Args a) { return Variant::Currency(ToCurrency(A(a, 0))); }
Variant CDate(Interpreter&, Args a) { return Variant::Date(ToDate(A(a, 0))); }

Variant RoundTo(const Variant& v0, double (*how)(double)) {
  if (v0.IsNull()) return v0;
  Variant v = ToNumeric(v0);
  switch (v.type) {
    case VT::Integer: case VT::Long: case VT::Byte: return v;
    case VT::Currency: return Variant::Currency(static_cast<std::int64_t>(how(v.i / 10000.0)) * 10000);
    case VT::Date: return Variant::Date(how(v.d));
    case VT::Single: return Variant::Single(how(v.d));
    default: return Variant::Double(how(v.d));
  }
}
Variant Int(Interpreter&, Args a) { return RoundTo(A(a, 0), [](double x) { return std::floor(x); }); }
Variant Fix(Interpreter&, Args a) { return RoundTo(A(a, 0), [](double x) { return std::trunc(x); }); }
Variant Abs(Interpreter&, Args a) {
  const Variant& v0 = A(a, 0);
  if (v0.IsNull()) return v0;
  Variant v = ToNumeric(v0);
  if (v.type == VT::Integer || v.type == VT::Long || v.type == VT::Byte || v.type == VT::Currency)
    return v.i < 0 ? Negate(v) : v;
  if (v.type == VT::Single) return Variant::Single(std::fabs(v.d));
  return Variant::Double(std::fabs(v.d));
}
Variant Sgn(Interpreter&, Args a) {
  if (A(a, 0).IsNull()) ThrowRuntime(94);
  double x = ToDouble(A(a, 0));
  return Variant::Integer(x > 0 ? 1 : (x < 0 ? -1 : 0));
}
Variant Round(Interpreter&, Args a) {
  if (A(a, 0).IsNull()) return Variant::Null();
  if (A(a, 0).type == VT::Boolean) return A(a, 0);
  std::int64_t digits = IntArg(a, 1, 0);
  if (digits < 0) ThrowRuntime(5);
  Variant v = ToNumeric(A(a, 0));
  if (v.type == VT::Integer || v.type == VT::Long || v.type == VT::Byte) return v;
  double scale = std::pow(10.0, static_cast<double>(std::min<std::int64_t>(digits, 22)));
  double r = std::nearbyint(ToDouble(v) * scale) / scale;
  if (v.type == VT::Currency) return Variant::Currency(static_cast<std::int64_t>(std::nearbyint(r * 10000)));
  if (v.type == VT::Single) return Variant::Single(r);
  return Variant::Double(r);
}
Variant Radix(const Variant& v0, bool hex) {
  if (v0.IsNull()) return v0;
  Variant v = ToNumeric(v0);
  std::int64_t n = ToLong(v);
  std::uint32_t bits = (v.type == VT::Integer || v.type == VT::Byte) && n < 0 ? static_cast<std::uint16_t>(n) : static_cast<std::uint32_t>(n);
  char buf[16];
  std::snprintf(buf, sizeof buf, hex ? "%X" : "%o", bits);
  return Variant::Str(buf);
}
Variant Hex(Interpreter&, Args a) { return Radix(A(a, 0), true); }
Variant Oct(Interpreter&, Args a) { return Radix(A(a, 0), false); }

// Arrays
Variant Bound(Args a, bool upper) {
  const Variant& v = A(a, 0);
  if (!v.IsArray()) ThrowRuntime(13);
  std::int64_t dim = IntArg(a, 1, 1);
  if (dim < 1 || dim > static_cast<std::int64_t>(v.arr->counts.size())) ThrowRuntime(9);
  return Variant::Long(upper ? v.arr->counts[static_cast<std::size_t>(dim - 1)] - 1 : 0);
}
Variant UBound(Interpreter&, Args a) { return Bound(a, true); }
Variant LBound(Interpreter&, Args a) { return Bound(a, false); }
Variant ArrayFn(Interpreter&, Args a) {
  auto arr = MakeArray({static_cast<std::int64_t>(a.size())});
  for (std::size_t k = 0; k < a.size(); ++k) arr->items[k] = *a[k];
  ChargeStrings(*arr);
  return Variant::Array(std::move(arr));
}

// Dates
double NowValue(Interpreter& in) {
  platform::LocalTime t = in.Clock().Now();
  return DateFromParts(t.year, t.month, t.day) + (t.hour * 3600 + t.minute * 60 + t.second) / 86400.0;
}
Variant Now(Interpreter& in, Args) { return Variant::Date(NowValue(in)); }
Variant DateFn(Interpreter& in, Args) { return Variant::Date(std::floor(NowValue(in))); }
Variant Time(Interpreter& in, Args) {
  double n = NowValue(in);
  return Variant::Date(n - std::floor(n));
}
Variant Timer(Interpreter& in, Args) {
  platform::LocalTime t = in.Clock().Now();
  return Variant::Single(t.hour * 3600 + t.minute * 60 + t.second);
}
DateParts PartsArg(Args a, std::size_t k) { return PartsOfDate(ToDate(A(a, k))); }
Variant Year(Interpreter&, Args a) { return A(a, 0).IsNull() ? Variant::Null() : Variant::Integer(PartsArg(a, 0).year); }
Variant Month(Interpreter&, Args a) { return A(a, 0).IsNull() ? Variant::Null() : Variant::Integer(PartsArg(a, 0).month); }
Variant Day(Interpreter&, Args a) { return A(a, 0).IsNull() ? Variant::Null() : Variant::Integer(PartsArg(a, 0).day); }
Variant Hour(Interpreter&, Args a) { return A(a, 0).IsNull() ? Variant::Null() : Variant::Integer(PartsArg(a, 0).hour); }
Variant Minute(Interpreter&, Args a) { return A(a, 0).IsNull() ? Variant::Null() : Variant::Integer(PartsArg(a, 0).minute); }
Variant Second(Interpreter&, Args a) { return A(a, 0).IsNull() ? Variant::Null() : Variant::Integer(PartsArg(a, 0).second); }
int WeekdayFrom(double date, std::int64_t first) {
  if (first < 0 || first > 7) ThrowRuntime(5);
  if (first == 0) first = 1;
  return static_cast<int>((WeekdayOf(date) - first + 7) % 7) + 1;
}
Variant Weekday(Interpreter&, Args a) {
  const std::int64_t first = a.size() > 1 ? ToLong(A(a, 1)) : 1;
  if (first < 0 || first > 7) ThrowRuntime(5);
  if (A(a, 0).IsNull()) return Variant::Null();
  return Variant::Integer(WeekdayFrom(ToDate(A(a, 0)), first));
}
Variant DateSerial(Interpreter&, Args a) {
  std::int64_t y = ToInteger(A(a, 0));
  if (y >= 0 && y < 30) y += 2000;
  else if (y >= 30 && y < 100) y += 1900;
  return Variant::Date(DateFromParts(static_cast<int>(y), static_cast<int>(ToInteger(A(a, 1))), static_cast<int>(ToInteger(A(a, 2)))));
}
Variant TimeSerial(Interpreter&, Args a) {
  double secs = static_cast<double>(ToLong(A(a, 0)) * 3600 + ToLong(A(a, 1)) * 60 + ToLong(A(a, 2)));
  return Variant::Date(secs / 86400.0);
}
Variant DateValue(Interpreter&, Args a) { return Variant::Date(std::trunc(ToDate(A(a, 0)))); }
Variant TimeValue(Interpreter&, Args a) {
  double d = ToDate(A(a, 0));
  return Variant::Date(std::fabs(d - std::trunc(d)));
}
std::string Interval(const Variant& v) { return cp1252::Lower(Str(v)); }
double AddMonths(double date, std::int64_t months) {
  DateParts p = PartsOfDate(date);
  std::int64_t total = p.year * 12LL + (p.month - 1) + months;
  int y = static_cast<int>(total / 12), m = static_cast<int>(total % 12) + 1;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int last = kDays[m - 1] + (m == 2 && (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0)));
  double time = date - std::trunc(date);
  return DateFromParts(y, m, std::min(p.day, last)) + time;
}
Variant DateAdd(Interpreter&, Args a) {
  if (A(a, 0).IsNull()) ThrowRuntime(94);
  double n = std::trunc(ToDouble(A(a, 1)));
  if (A(a, 2).IsNull()) ThrowRuntime(94);
  double d = ToDate(A(a, 2));
  std::string unit = Interval(A(a, 0));
  double r;
  if (unit == "yyyy") r = AddMonths(d, static_cast<std::int64_t>(n) * 12);
  else if (unit == "q") r = AddMonths(d, static_cast<std::int64_t>(n) * 3);
  else if (unit == "m") r = AddMonths(d, static_cast<std::int64_t>(n));
  else if (unit == "y" || unit == "d" || unit == "w") r = d + n;
  else if (unit == "ww") r = d + n * 7;
  else if (unit == "h") r = d + n / 24;
  else if (unit == "n") r = d + n / 1440;
  else if (unit == "s") r = d + n / 86400;
  else ThrowRuntime(5);
  if (r < -657434.0 || r >= 2958466.0) ThrowRuntime(5);
  return Variant::Date(r);
}
std::int64_t Seconds(double d) { return std::llround(d * 86400.0); }
Variant DateDiff(Interpreter&, Args a) {
  std::string unit = Interval(A(a, 0));
  double d1 = ToDate(A(a, 1)), d2 = ToDate(A(a, 2));
  DateParts p1 = PartsOfDate(d1), p2 = PartsOfDate(d2);
  auto floor_div = [](std::int64_t x, std::int64_t y) { return x >= 0 ? x / y : -((-x + y - 1) / y); };
  std::int64_t r;
  if (unit == "yyyy") r = p2.year - p1.year;
  else if (unit == "q") r = (p2.year * 4 + (p2.month - 1) / 3) - (p1.year * 4 + (p1.month - 1) / 3);
  else if (unit == "m") r = (p2.year * 12 + p2.month) - (p1.year * 12 + p1.month);
  else if (unit == "y" || unit == "d") r = static_cast<std::int64_t>(std::floor(d2) - std::floor(d1));
  else if (unit == "w") r = static_cast<std::int64_t>(std::floor(d2) - std::floor(d1)) / 7;
  else if (unit == "ww") {
    std::int64_t first = IntArg(a, 3, 1);
    auto week_start = [&](double d) { return static_cast<std::int64_t>(std::floor(d)) - (WeekdayFrom(d, first) - 1); };
    r = (week_start(d2) - week_start(d1)) / 7;
  } else if (unit == "h") r = floor_div(Seconds(d2), 3600) - floor_div(Seconds(d1), 3600);
  else if (unit == "n") r = floor_div(Seconds(d2), 60) - floor_div(Seconds(d1), 60);
  else if (unit == "s") r = Seconds(d2) - Seconds(d1);
  else ThrowRuntime(5);
  return Variant::Long(r);
}
Variant DatePart(Interpreter&, Args a) {
  std::string unit = Interval(A(a, 0));
  double d = ToDate(A(a, 1));
  DateParts p = PartsOfDate(d);
  if (unit == "yyyy") return Variant::Integer(p.year);
  if (unit == "q") return Variant::Integer((p.month - 1) / 3 + 1);
  if (unit == "m") return Variant::Integer(p.month);
  if (unit == "y") return Variant::Integer(static_cast<std::int64_t>(std::floor(d) - DateFromParts(p.year, 1, 1)) + 1);
  if (unit == "d") return Variant::Integer(p.day);
  if (unit == "w") return Variant::Integer(WeekdayFrom(d, IntArg(a, 2, 1)));
  if (unit == "ww") {
    double jan1 = DateFromParts(p.year, 1, 1);
    std::int64_t first = IntArg(a, 2, 1);
    std::int64_t offset = WeekdayFrom(jan1, first) - 1;
    return Variant::Integer((static_cast<std::int64_t>(std::floor(d) - jan1) + offset) / 7 + 1);
  }
  if (unit == "h") return Variant::Integer(p.hour);
  if (unit == "n") return Variant::Integer(p.minute);
  if (unit == "s") return Variant::Integer(p.second);
  ThrowRuntime(5);
}
const char* const kMonthNames[] = {"January", "February", "March", "April", "May", "June", "July",
                                   "August", "September", "October", "November", "December"};
const char* const kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
Variant FormatDateTime(Interpreter&, Args a) {
  if (A(a, 0).IsNull()) return Variant::Null();
  double d = ToDate(A(a, 0));
  std::int64_t format = IntArg(a, 1, 0);
  DateParts p = PartsOfDate(d);
  char buf[64];
  switch (format) {
    case 0: return Variant::Str(FormatDate(d));
    case 1: {
      platform::LocalTime t{p.year, p.month, p.day, p.hour, p.minute, p.second, WeekdayOf(d) - 1};
      return Variant::Str(platform::LongDate(t));
    }
    case 2:
      std::snprintf(buf, sizeof buf, "%d/%d/%d", p.month, p.day, p.year);
      return Variant::Str(buf);
    case 3: {
      platform::LocalTime t{p.year, p.month, p.day, p.hour, p.minute, p.second, 0};
      return Variant::Str(platform::LongTime(t));
    }
    case 4:
      std::snprintf(buf, sizeof buf, "%02d:%02d", p.hour, p.minute);
      return Variant::Str(buf);
    default: ThrowRuntime(5);
  }
}
Variant MonthName(Interpreter&, Args a) {
  std::int64_t m = ToLong(A(a, 0));
  if (a.size() > 1) ToBool(A(a, 1));
  if (m < 1 || m > 12) ThrowRuntime(5);
  std::string name = kMonthNames[m - 1];
  if (a.size() > 1 && ToBool(A(a, 1))) name = name.substr(0, 3);
  return Variant::Str(name);
}
Variant WeekdayName(Interpreter&, Args a) {
  std::int64_t w = ToLong(A(a, 0));
  std::int64_t first = IntArg(a, 2, 1);
  if (w < 1 || w > 7 || first < 0 || first > 7) ThrowRuntime(5);
  if (first == 0) first = 1;
  std::string name = kDayNames[(w - 1 + first - 1) % 7];
  if (a.size() > 1 && ToBool(A(a, 1))) name = name.substr(0, 3);
  return Variant::Str(name);
}
// FormatNumber, FormatCurrency and FormatPercent with the English (United States) regional
// settings: two digits, a leading zero, groups of three; only currency shows a negative
// amount in parentheses unless told otherwise.
struct NumberStyle {
  double scale;
  const char* prefix;
  const char* suffix;
  bool parens_by_default;
};
constexpr NumberStyle kPlainNumber{1, "", "", false};
constexpr NumberStyle kCurrency{1, "$", "", true};
constexpr NumberStyle kPercent{100, "", "%", false};

Variant FormatStyled(Args a, const NumberStyle& style) {
  std::int64_t digits = IntArg(a, 1, -1);
  std::int64_t leading = IntArg(a, 2, -2), parens = IntArg(a, 3, -2), group = IntArg(a, 4, -2);
  if (digits == -1) digits = 2;
  if (digits < 0 || digits > 30) ThrowRuntime(5);
  for (std::int64_t tristate : {leading, parens, group})
    if (tristate < -2 || tristate > 0) ThrowRuntime(5);
  if (A(a, 0).IsNull()) return Variant::Null();
  double x = ToDouble(A(a, 0)) * style.scale;
  // Half away from zero, as the Windows number formatting rounds.
  double scale = std::pow(10.0, static_cast<double>(digits));
  double rounded = std::round(std::fabs(x) * scale) / scale;
  if (rounded > 1e300) ThrowRuntime(6);
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.*f", static_cast<int>(digits), rounded);
  std::string body = buf;
  std::size_t dot = body.find('.');
  std::string whole = body.substr(0, dot), frac = dot == std::string::npos ? "" : body.substr(dot);
  if (group != 0) {
    std::string grouped;
    for (std::size_t k = 0; k < whole.size(); ++k) {
      if (k && (whole.size() - k) % 3 == 0) grouped += ',';
      grouped += whole[k];
    }
    whole = grouped;
  }
  if (whole == "0" && leading == 0 && !frac.empty()) whole.clear();
  std::string text = style.prefix + whole + frac + style.suffix;
  if (x < 0 && rounded != 0) {
    const bool in_parens = parens == -1 || (parens == -2 && style.parens_by_default);
    text = in_parens ? "(" + text + ")" : "-" + text;
  }
  return Variant::Str(text);
}
Variant FormatNumber(Interpreter&, Args a) { return FormatStyled(a, kPlainNumber); }
Variant FormatCurrency(Interpreter&, Args a) { return FormatStyled(a, kCurrency); }
Variant FormatPercent(Interpreter&, Args a) { return FormatStyled(a, kPercent); }

Variant Escape(Interpreter& in, Args a) {
  if (A(a, 0).IsNull()) return Variant::Null();
  static constexpr std::string_view kKept = "@*_+-./";
  std::string s = Str(A(a, 0)), out;
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalnum(u) && u < 0x80) {
      out += c;
    } else if (kKept.find(c) != std::string_view::npos) {
      out += c;
    } else {
      char buf[16];
      char32_t cp = CodePointOf(c);
      if (cp < 0x100) std::snprintf(buf, sizeof buf, "%%%02X", static_cast<unsigned>(cp));
      else std::snprintf(buf, sizeof buf, "%%u%04X", static_cast<unsigned>(cp));
      out += buf;
    }
    in.CheckString(out.size());
  }
  return Variant::Str(std::move(out));
}
int HexValue(std::string_view digits) {
  int v = 0;
  for (char c : digits) {
    int d = c >= '0' && c <= '9' ? c - '0' : (c >= 'a' && c <= 'f' ? c - 'a' + 10 : (c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1));
    if (d < 0) return -1;
    v = v * 16 + d;
  }
  return v;
}
Variant Unescape(Interpreter&, Args a) {
  if (A(a, 0).IsNull()) return Variant::Null();
  std::string s = Str(A(a, 0)), out;
  for (std::size_t k = 0; k < s.size(); ++k) {
    int cp = -1;
    std::size_t used = 0;
    if (s[k] == '%' && k + 5 < s.size() && (s[k + 1] == 'u' || s[k + 1] == 'U')) {
      cp = HexValue(std::string_view(s).substr(k + 2, 4));
      used = 6;
    }
    if (cp < 0 && s[k] == '%' && k + 2 < s.size()) {
      cp = HexValue(std::string_view(s).substr(k + 1, 2));
      used = 3;
    }
    if (cp < 0) {  // not an escape: kept as written
      out += s[k];
      continue;
    }
    auto c = cp1252::FromUnicode(static_cast<char32_t>(cp));
    out += c ? *c : '?';
    k += used - 1;
  }
  return Variant::Str(std::move(out));
}

// Scripts run with the English (United States) locale only: formats, dates and text
// comparison all follow it, so another locale is refused rather than half honoured.
constexpr std::int64_t kLocale = 1033;
Variant GetLocale(Interpreter&, Args) { return Variant::Long(kLocale); }
Variant SetLocale(Interpreter&, Args a) {
  if (!Has(a, 0)) return Variant::Long(kLocale);
  const Variant& v = A(a, 0);
  std::int64_t id = -1;
  if (v.IsString() && cp1252::EqualsNoCase(v.s, "en-us")) id = kLocale;
  else if (double x; !v.IsString() || ParseNumber(v.s, x)) id = ToLong(v);
  // 0, 1024 and 2048 ask for the system's or user's locale, which here is English too.
  if (id == kLocale || id == 0 || id == 1024 || id == 2048) return Variant::Long(kLocale);
  ThrowRuntimeText(5, "Locale " + Str(v) + " is not supported: scripts run with English - United States (1033)");
}

// Mathematics
double Num(Args a) { return ToDouble(A(a, 0)); }
Variant Sqr(Interpreter&, Args a) {
  double x = Num(a);
  if (x < 0) ThrowRuntime(5);
  return Variant::Double(std::sqrt(x));
}
Variant Exp(Interpreter&, Args a) {
  double r = std::exp(Num(a));
  if (!std::isfinite(r)) ThrowRuntime(6);
  return Variant::Double(r);
}
Variant Log(Interpreter&, Args a) {
  double x = Num(a);
  if (x <= 0) ThrowRuntime(5);
  return Variant::Double(std::log(x));
}
Variant Sin(Interpreter&, Args a) { return Variant::Double(std::sin(Num(a))); }
Variant Cos(Interpreter&, Args a) { return Variant::Double(std::cos(Num(a))); }
Variant Tan(Interpreter&, Args a) { return Variant::Double(std::tan(Num(a))); }
Variant Atn(Interpreter&, Args a) { return Variant::Double(std::atan(Num(a))); }
Variant Rnd(Interpreter& in, Args a) { return Variant::Single(in.NextRandom(a.empty() ? 1.0 : ToDouble(A(a, 0)))); }
// A seed that is no number (a text, an object) is a bad argument to Randomize, not a type
// mismatch as elsewhere.
double Seed(const Variant& v) {
  try {
    return ToDouble(v);
  } catch (const ScriptException& e) {
    if (e.error.number == 13) ThrowRuntime(5);
    throw;
  }
}
Variant Randomize(Interpreter& in, Args a) {
  platform::LocalTime t = in.Clock().Now();
  in.Randomize(a.empty() ? static_cast<double>(t.hour * 3600 + t.minute * 60 + t.second) : Seed(A(a, 0)));
  return Variant();
}
Variant Rgb(Interpreter&, Args a) {
  auto part = [&](std::size_t k) {
    std::int64_t v = ToLong(A(a, k));
    return std::clamp<std::int64_t>(v, 0, 255);
  };
  if (ToLong(A(a, 0)) < 0 || ToLong(A(a, 1)) < 0 || ToLong(A(a, 2)) < 0) ThrowRuntime(5);
  return Variant::Long(part(0) + part(1) * 256 + part(2) * 65536);
}

// The script engine and the outside world
Variant EvalFn(Interpreter& in, Args a) {
  std::string text = Str(A(a, 0));
  return in.EvalText(text);
}
Variant ExecuteFn(Interpreter& in, Args a) {
  std::string text = Str(A(a, 0));
  in.ExecuteText(text, false);
  return Variant();
}
Variant ExecuteGlobalFn(Interpreter& in, Args a) {
  std::string text = Str(A(a, 0));
  in.ExecuteText(text, true);
  return Variant();
}
Variant CreateObjectFn(Interpreter& in, Args a) { return in.CreateObject(Str(A(a, 0))); }
// GetObject would open a file or reach a running program: neither is open to a script.
Variant GetObjectFn(Interpreter&, Args a) {
  std::string what = Has(a, 0) ? Str(A(a, 0)) : (Has(a, 1) ? Str(A(a, 1)) : std::string());
  ThrowRuntime(429, what);
}
Variant GetRefFn(Interpreter& in, Args a) { return in.GetRef(Str(A(a, 0))); }
Variant ErrFn(Interpreter&, Args) { return Variant::Obj(MakeErrObject()); }
// The control runs with AllowUI off: a script may not open a dialog.
Variant MsgBox(Interpreter&, Args) { ThrowRuntime(70, "MsgBox"); }
Variant InputBox(Interpreter&, Args) { ThrowRuntime(70, "InputBox"); }
Variant ScriptEngine(Interpreter&, Args) { return Variant::Str("VBScript"); }
Variant ScriptEngineMajor(Interpreter&, Args) { return Variant::Long(5); }
Variant ScriptEngineMinor(Interpreter&, Args) { return Variant::Long(8); }
Variant ScriptEngineBuild(Interpreter&, Args) { return Variant::Long(16384); }

const Builtin kBuiltins[] = {
    {"Len", 1, 1, Len, true}, {"Left", 2, 2, Left}, {"Right", 2, 2, Right}, {"Mid", 2, 3, Mid},
    {"InStr", 2, 4, InStr}, {"InStrRev", 2, 4, InStrRev}, {"Replace", 3, 6, Replace},
    {"Split", 1, 4, Split}, {"Join", 1, 2, Join}, {"Filter", 2, 4, Filter}, {"LCase", 1, 1, LCase},
    {"UCase", 1, 1, UCase}, {"Trim", 1, 1, Trim}, {"LTrim", 1, 1, LTrim}, {"RTrim", 1, 1, RTrim},
    {"Space", 1, 1, Space}, {"String", 2, 2, StringFn}, {"StrComp", 2, 3, StrComp},
    {"StrReverse", 1, 1, StrReverse}, {"Asc", 1, 1, Asc}, {"AscB", 1, 1, AscB}, {"AscW", 1, 1, AscW},
    {"Chr", 1, 1, Chr}, {"ChrB", 1, 1, Chr}, {"ChrW", 1, 1, ChrW},
    {"IsEmpty", 1, 1, IsEmptyFn}, {"IsNull", 1, 1, IsNullFn}, {"IsNumeric", 1, 1, IsNumericFn},
    {"IsArray", 1, 1, IsArrayFn}, {"IsObject", 1, 1, IsObjectFn}, {"IsDate", 1, 1, IsDateFn},
    {"VarType", 1, 1, VarTypeFn}, {"TypeName", 1, 1, TypeNameFn},
    {"CStr", 1, 1, CStr, true}, {"CInt", 1, 1, CInt, true}, {"CLng", 1, 1, CLng, true}, {"CDbl", 1, 1, CDbl, true},
    {"CSng", 1, 1, CSng, true}, {"CBool", 1, 1, CBool, true}, {"CByte", 1, 1, CByte, true}, {"CCur", 1, 1, CCur, true},
    {"CDate", 1, 1, CDate, true}, {"Int", 1, 1, Int, true}, {"Fix", 1, 1, Fix, true}, {"Abs", 1, 1, Abs, true},
    {"Sgn", 1, 1, Sgn, true}, {"Round", 1, 2, Round}, {"Hex", 1, 1, Hex, true}, {"Oct", 1, 1, Oct, true},
    {"UBound", 1, 2, UBound}, {"LBound", 1, 2, LBound}, {"Array", 0, 1 << 16, ArrayFn},
    {"Now", 0, 0, Now}, {"Date", 0, 0, DateFn}, {"Time", 0, 0, Time}, {"Timer", 0, 0, Timer},
    {"Year", 1, 1, Year}, {"Month", 1, 1, Month}, {"Day", 1, 1, Day}, {"Hour", 1, 1, Hour},
    {"Minute", 1, 1, Minute}, {"Second", 1, 1, Second}, {"Weekday", 1, 2, Weekday},
    {"DateSerial", 3, 3, DateSerial}, {"TimeSerial", 3, 3, TimeSerial}, {"DateValue", 1, 1, DateValue},
    {"TimeValue", 1, 1, TimeValue}, {"DateAdd", 3, 3, DateAdd}, {"DateDiff", 3, 5, DateDiff},
    {"DatePart", 2, 4, DatePart}, {"FormatDateTime", 1, 2, FormatDateTime}, {"MonthName", 1, 2, MonthName},
    {"WeekdayName", 1, 3, WeekdayName}, {"FormatNumber", 1, 5, FormatNumber},
    {"FormatCurrency", 1, 5, FormatCurrency}, {"FormatPercent", 1, 5, FormatPercent},
    {"Escape", 1, 1, Escape}, {"Unescape", 1, 1, Unescape}, {"GetLocale", 0, 0, GetLocale},
    {"SetLocale", 0, 1, SetLocale},
    {"Sqr", 1, 1, Sqr}, {"Exp", 1, 1, Exp}, {"Log", 1, 1, Log}, {"Sin", 1, 1, Sin}, {"Cos", 1, 1, Cos},
    {"Tan", 1, 1, Tan}, {"Atn", 1, 1, Atn}, {"Rnd", 0, 1, Rnd}, {"Randomize", 0, 1, Randomize},
    {"RGB", 3, 3, Rgb}, {"Eval", 1, 1, EvalFn}, {"Execute", 1, 1, ExecuteFn},
    {"ExecuteGlobal", 1, 1, ExecuteGlobalFn}, {"CreateObject", 1, 2, CreateObjectFn},
    {"GetObject", 0, 2, GetObjectFn}, {"GetRef", 1, 1, GetRefFn}, {"Err", 0, 0, ErrFn},
    {"MsgBox", 1, 5, MsgBox}, {"InputBox", 1, 7, InputBox}, {"ScriptEngine", 0, 0, ScriptEngine},
    {"ScriptEngineMajorVersion", 0, 0, ScriptEngineMajor}, {"ScriptEngineMinorVersion", 0, 0, ScriptEngineMinor},
    {"ScriptEngineBuildVersion", 0, 0, ScriptEngineBuild},
};

std::map<std::string, Variant, std::less<>> MakeConstants() {
  std::map<std::string, Variant, std::less<>> c;
  auto s = [&](const char* n, std::string v) { c[cp1252::Upper(n)] = Variant::Str(std::move(v)); };
  auto i = [&](const char* n, std::int64_t v) { c[cp1252::Upper(n)] = Variant::Int(v); };
  s("vbCrLf", "\r\n"); s("vbNewLine", "\r\n"); s("vbCr", "\r"); s("vbLf", "\n"); s("vbTab", "\t");
  s("vbNullString", ""); s("vbNullChar", std::string(1, '\0')); s("vbFormFeed", "\f"); s("vbVerticalTab", "\v");
  i("vbBinaryCompare", 0); i("vbTextCompare", 1); i("vbDatabaseCompare", 2);
  i("vbUseDefault", -2); i("vbTrue", -1); i("vbFalse", 0);
  i("vbEmpty", 0); i("vbNull", 1); i("vbInteger", 2); i("vbLong", 3); i("vbSingle", 4); i("vbDouble", 5);
  i("vbCurrency", 6); i("vbDate", 7); i("vbString", 8); i("vbObject", 9); i("vbError", 10); i("vbBoolean", 11);
  i("vbVariant", 12); i("vbDataObject", 13); i("vbDecimal", 14); i("vbByte", 17); i("vbArray", 8192);
  i("vbUseSystemDayOfWeek", 0); i("vbSunday", 1); i("vbMonday", 2); i("vbTuesday", 3); i("vbWednesday", 4);
  i("vbThursday", 5); i("vbFriday", 6); i("vbSaturday", 7);
  i("vbUseSystem", 0); i("vbFirstJan1", 1); i("vbFirstFourDays", 2); i("vbFirstFullWeek", 3);
  i("vbGeneralDate", 0); i("vbLongDate", 1); i("vbShortDate", 2); i("vbLongTime", 3); i("vbShortTime", 4);
  i("vbObjectError", -2147221504);
  i("vbOKOnly", 0); i("vbOKCancel", 1); i("vbAbortRetryIgnore", 2); i("vbYesNoCancel", 3); i("vbYesNo", 4);
  i("vbRetryCancel", 5); i("vbCritical", 16); i("vbQuestion", 32); i("vbExclamation", 48); i("vbInformation", 64);
  i("vbDefaultButton1", 0); i("vbDefaultButton2", 256); i("vbDefaultButton3", 512); i("vbDefaultButton4", 768);
  i("vbApplicationModal", 0); i("vbSystemModal", 4096);
  i("vbOK", 1); i("vbCancel", 2); i("vbAbort", 3); i("vbRetry", 4); i("vbIgnore", 5); i("vbYes", 6); i("vbNo", 7);
  auto l = [&](const char* n, std::int64_t v) { c[cp1252::Upper(n)] = Variant::Long(v); };
  // The MsgBox flags of the higher words are Longs even where the value would fit an Integer.
  l("vbMsgBoxHelpButton", 16384); l("vbMsgBoxSetForeground", 65536); l("vbMsgBoxRight", 524288);
  l("vbMsgBoxRtlReading", 1048576);
  l("vbBlack", 0); l("vbRed", 255); l("vbGreen", 65280); l("vbYellow", 65535); l("vbBlue", 16711680);
  l("vbMagenta", 16711935); l("vbCyan", 16776960); l("vbWhite", 16777215);
  return c;
}

}  // namespace

std::span<const Builtin> BuiltinTable() { return kBuiltins; }

int FindBuiltin(std::string_view upper) {
  static const std::map<std::string, int, std::less<>> index = [] {
    std::map<std::string, int, std::less<>> m;
    for (std::size_t k = 0; k < std::size(kBuiltins); ++k) m[cp1252::Upper(kBuiltins[k].name)] = static_cast<int>(k);
    return m;
  }();
  auto it = index.find(upper);
  return it == index.end() ? -1 : it->second;
}

const Variant* FindConstant(std::string_view upper) {
  static const auto constants = MakeConstants();
  auto it = constants.find(upper);
  return it == constants.end() ? nullptr : &it->second;
}

}  // namespace gildex::vbscript
