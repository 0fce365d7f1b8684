#include "platform/vbscript/value.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/cp1252.h"
#include "platform/vbscript/errors.h"

namespace gildex::vbscript {
namespace {

void SwapValues(Variant& a, Variant& b) noexcept {
  std::swap(a.type, b.type);
  std::swap(a.i, b.i);
  a.s.swap(b.s);
  a.arr.swap(b.arr);
  a.obj.swap(b.obj);
}

bool IsIntegral(VT t) {
  return t == VT::Integer || t == VT::Long || t == VT::Byte || t == VT::Boolean || t == VT::Empty;
}

// Rank for the result type of integral arithmetic.
int IntegralRank(VT t) {
  switch (t) {
    case VT::Byte: return 0;
    case VT::Long: return 2;
    default: return 1;  // Integer, Boolean, Empty
  }
}

Variant IntegralResult(std::int64_t n, int rank) {
  if (rank == 0 && n >= 0 && n <= 255) return Variant::Byte(n);
  if (rank <= 1 && n >= -32768 && n <= 32767) return Variant::Integer(n);
  if (n >= std::numeric_limits<std::int32_t>::min() && n <= std::numeric_limits<std::int32_t>::max())
    return Variant::Long(n);
  return Variant::Double(static_cast<double>(n));
}

Variant CheckedDouble(double x) {
  if (!std::isfinite(x)) ThrowRuntime(6);
  return Variant::Double(x);
}

// Days from 1 Jan 1970 (proleptic Gregorian), after H. Hinnant's civil calendar algorithms.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(y + (month <= 2));
}

const std::int64_t kDayZero = DaysFromCivil(1899, 12, 30);

const char* const kMonths[] = {"january", "february", "march", "april", "may", "june", "july",
                               "august", "september", "october", "november", "december"};

}  // namespace

Variant& Variant::AssignSlow(const Variant& o) {
  if (this != &o) {
    Variant copy(o);
    SwapValues(*this, copy);
  }
  return *this;
}

Variant& Variant::MoveSlow(Variant&& o) noexcept {
  if (this != &o) {
    Variant old(std::move(o));
    SwapValues(*this, old);
  }
  return *this;
}

namespace {
thread_local bool draining = false;
thread_local std::vector<std::shared_ptr<Object>> dead_objects;
thread_local std::vector<std::shared_ptr<ArrayValue>> dead_arrays;
}  // namespace

// A long chain (a linked list of class instances, arrays nested in arrays) would otherwise
// be freed by recursion as deep as the chain.
void Variant::Release() noexcept {
  if (obj && obj.use_count() == 1) dead_objects.push_back(std::move(obj));
  if (arr && arr.use_count() == 1) dead_arrays.push_back(std::move(arr));
  obj.reset();
  arr.reset();
  if (draining) return;
  draining = true;
  while (!dead_objects.empty() || !dead_arrays.empty()) {
    if (!dead_objects.empty()) {
      std::shared_ptr<Object> o = std::move(dead_objects.back());
      dead_objects.pop_back();
      o->LastRelease(o);
    } else {
      std::shared_ptr<ArrayValue> a = std::move(dead_arrays.back());
      dead_arrays.pop_back();
    }
  }
  draining = false;
}

Variant Variant::Int(std::int64_t n) { return IntegralResult(n, 1); }

bool Variant::IsNumeric() const {
  switch (type) {
    case VT::Empty: case VT::Integer: case VT::Long: case VT::Single: case VT::Double:
    case VT::Currency: case VT::Date: case VT::Boolean: case VT::Byte:
      return true;
    default:
      return false;
  }
}

std::size_t ArrayValue::Offset(std::span<const std::int64_t> index) const {
  if (index.size() != counts.size()) ThrowRuntime(9);
  std::size_t offset = 0, stride = 1;
  for (std::size_t k = 0; k < index.size(); ++k) {
    if (index[k] < 0 || index[k] >= counts[k]) ThrowRuntime(9);
    offset += static_cast<std::size_t>(index[k]) * stride;
    stride *= static_cast<std::size_t>(counts[k]);
  }
  return offset;
}

std::shared_ptr<MemoryMeter>& CurrentMeter() {
  thread_local std::shared_ptr<MemoryMeter> meter;
  return meter;
}

namespace {
// The charge of a long string held by a variable, kept in the string's Variant.
class StringCharge : public Object {
 public:
  MemoryCharge charge;
  std::string TypeName() const override { return "String"; }
  Variant Get(Interpreter&, const std::string& name, std::span<Variant* const>) override { ThrowRuntime(438, name); }
};
}  // namespace

void Variant::ChargeString() {
  if (obj && obj.use_count() == 1) return;  // charged already, to this value alone
  if (!CurrentMeter()) return;
  auto token = std::make_shared<StringCharge>();
  token->charge.Add(static_cast<std::int64_t>(s.size()));
  obj = std::move(token);
}

void MemoryCharge::OverBudget() const {
  ThrowLimit(7, std::string(ErrorDescription(7)));
}

void MemoryCharge::Replace(const Variant& old, const Variant& now) {
  if (old.type == VT::String || now.type == VT::String)
    Add((now.type == VT::String ? TextBytes(now.s) : 0) - (old.type == VT::String ? TextBytes(old.s) : 0));
}

void ChargeStrings(ArrayValue& array) {
  std::int64_t bytes = 0;
  for (const Variant& v : array.items)
    if (v.type == VT::String) bytes += TextBytes(v.s);
  array.charge.Add(bytes);
}

std::shared_ptr<ArrayValue> MakeArray(std::vector<std::int64_t> counts, bool fixed) {
  auto a = std::make_shared<ArrayValue>();
  std::size_t total = 1;
  for (auto c : counts) {
    if (c < 0) ThrowRuntime(9);
    total *= static_cast<std::size_t>(c);
    if (total > (1u << 26)) ThrowRuntime(7);
  }
  a->charge.Add(static_cast<std::int64_t>(sizeof(ArrayValue) + total * sizeof(Variant)));
  a->counts = std::move(counts);
  a->items.resize(total);
  a->fixed = fixed;
  return a;
}

void Object::Put(Interpreter&, const std::string& name, std::span<Variant* const>, const Variant&, bool) {
  ThrowRuntime(438, name);
}

std::vector<Variant> Object::Elements(Interpreter&) { ThrowRuntime(451); }

ArrayValue& MutableArray(Variant& v) {
  if (v.arr.use_count() > 1) v.arr = std::make_shared<ArrayValue>(*v.arr);
  return *v.arr;
}

bool ParseNumber(std::string_view t, double& out) {
  std::size_t b = 0, e = t.size();
  while (b < e && (t[b] == ' ' || t[b] == '\t')) ++b;
  while (e > b && (t[e - 1] == ' ' || t[e - 1] == '\t')) --e;
  t = t.substr(b, e - b);
  if (t.empty()) return false;
  if (t.size() > 2 && t[0] == '&' && (t[1] == 'H' || t[1] == 'h' || t[1] == 'O' || t[1] == 'o')) {
    const int base = (t[1] == 'H' || t[1] == 'h') ? 16 : 8;
    std::uint64_t n = 0;
    for (std::size_t k = 2; k < t.size(); ++k) {
      const char c = cp1252::ToUpper(t[k]);
      int digit = c >= '0' && c <= '9' ? c - '0' : (c >= 'A' && c <= 'F' ? c - 'A' + 10 : 99);
      if (digit >= base || n > 0xFFFFFFFFull) return false;
      n = n * base + digit;
    }
    if (n > 0xFFFFFFFFull) return false;
    // &H literals are 32-bit (or 16-bit) two's complement, as VBScript reads them.
    out = n <= 0xFFFF ? static_cast<double>(static_cast<std::int16_t>(n))
                      : static_cast<double>(static_cast<std::int32_t>(n));
    return true;
  }
  std::string clean;
  std::size_t k = 0;
  if (t[k] == '+' || t[k] == '-') clean += t[k++];
  bool digits = false;
  while (k < t.size() && (std::isdigit(static_cast<unsigned char>(t[k])) || (t[k] == ',' && digits))) {
    if (t[k] != ',') clean += t[k];
    digits = true;
    ++k;
  }
  if (k < t.size() && t[k] == '.') {
    clean += t[k++];
    while (k < t.size() && std::isdigit(static_cast<unsigned char>(t[k]))) {
      clean += t[k++];
      digits = true;
    }
  }
  if (!digits) return false;
  if (k < t.size() && (t[k] == 'e' || t[k] == 'E' || t[k] == 'd' || t[k] == 'D')) {
    clean += 'e';
    ++k;
    if (k < t.size() && (t[k] == '+' || t[k] == '-')) clean += t[k++];
    bool exp_digits = false;
    while (k < t.size() && std::isdigit(static_cast<unsigned char>(t[k]))) {
      clean += t[k++];
      exp_digits = true;
    }
    if (!exp_digits) return false;
  }
  if (k != t.size()) return false;
  out = std::strtod(clean.c_str(), nullptr);
  return std::isfinite(out);
}

double ToDouble(const Variant& v) {
  switch (v.type) {
    case VT::Empty: return 0;
    case VT::Null: ThrowRuntime(94);
    case VT::Integer: case VT::Long: case VT::Byte: case VT::Boolean: return static_cast<double>(v.i);
    case VT::Currency: return static_cast<double>(v.i) / 10000.0;
    case VT::Single: case VT::Double: case VT::Date: return v.d;
    case VT::String: {
      double x;
      if (ParseNumber(v.s, x)) return x;
      double date;
      if (ParseDate(v.s, date)) return date;
      ThrowRuntime(13);
    }
    default: ThrowRuntime(13);
  }
}

std::int64_t RoundHalfEven(double x) {
  if (!std::isfinite(x) || std::fabs(x) > 9.2e18) ThrowRuntime(6);
  return static_cast<std::int64_t>(std::nearbyint(x));  // default rounding mode: to even
}

std::int64_t ToLong(const Variant& v) {
  std::int64_t n = IsIntegral(v.type) && v.type != VT::Empty ? v.i : RoundHalfEven(ToDouble(v));
  if (n < std::numeric_limits<std::int32_t>::min() || n > std::numeric_limits<std::int32_t>::max())
    ThrowRuntime(6);
  return n;
}

std::int64_t ToInteger(const Variant& v) {
  std::int64_t n = ToLong(v);
  if (n < -32768 || n > 32767) ThrowRuntime(6);
  return n;
}

bool ToBool(const Variant& v) {
  switch (v.type) {
    case VT::String:
      if (cp1252::EqualsNoCase(v.s, "True") || cp1252::EqualsNoCase(v.s, "#TRUE#")) return true;
      if (cp1252::EqualsNoCase(v.s, "False") || cp1252::EqualsNoCase(v.s, "#FALSE#")) return false;
      return ToDouble(v) != 0;
    case VT::Empty: return false;
    default: return ToDouble(v) != 0;
  }
}

std::string FormatDouble(double x) {
  if (x == 0) return "0";
  if (std::fabs(x) < 1e15 && x == std::trunc(x)) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f", x);
    return buf;
  }
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15G", x);
  return buf;
}

namespace {
std::string FormatSingle(double x) {
  if (x == 0) return "0";
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.7G", x);
  return buf;
}

std::string FormatCurrency(std::int64_t scaled) {
  std::string sign = scaled < 0 ? "-" : "";
  std::uint64_t a = scaled < 0 ? static_cast<std::uint64_t>(-(scaled + 1)) + 1 : static_cast<std::uint64_t>(scaled);
  std::string text = sign + std::to_string(a / 10000);
  std::uint64_t frac = a % 10000;
  if (frac) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04u", static_cast<unsigned>(frac));
    std::string f = buf;
    while (f.back() == '0') f.pop_back();
    text += "." + f;
  }
  return text;
}
}  // namespace

std::string FormatDate(double date) {
  DateParts p = PartsOfDate(date);
  std::string text;
  char buf[64];
  const bool has_date = std::trunc(date) != 0;
  // Day zero shows as a time only, as VBScript prints CDate(0): "12:00:00 AM".
  const bool has_time = p.hour || p.minute || p.second || !has_date;
  if (has_date) {
    std::snprintf(buf, sizeof buf, "%d/%d/%d", p.month, p.day, p.year);
    text = buf;
  }
  if (has_time) {
    int h12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
    std::snprintf(buf, sizeof buf, "%d:%02d:%02d %s", h12, p.minute, p.second, p.hour < 12 ? "AM" : "PM");
    if (!text.empty()) text += ' ';
    text += buf;
  }
  return text;
}

std::string ToString(const Variant& v) {
  switch (v.type) {
    case VT::Empty: return {};
    case VT::Null: ThrowRuntime(94);
    case VT::Boolean: return v.i ? "True" : "False";
    case VT::Integer: case VT::Long: case VT::Byte: return std::to_string(v.i);
    case VT::Double: return FormatDouble(v.d);
    case VT::Single: return FormatSingle(v.d);
    case VT::Currency: return FormatCurrency(v.i);
    case VT::Date: return FormatDate(v.d);
    case VT::String: return v.s;
    default: ThrowRuntime(13);
  }
}

double ToDate(const Variant& v) {
  if (v.type == VT::String) {
    double d;
    if (ParseDate(v.s, d)) return d;
    if (ParseNumber(v.s, d)) return d;
    ThrowRuntime(13);
  }
  double d = ToDouble(v);
  if (d < -657434.0 || d >= 2958466.0) ThrowRuntime(6);  // years 100 to 9999
  return d;
}

std::int64_t ToCurrency(const Variant& v) {
  if (v.type == VT::Currency) return v.i;
  double x = ToDouble(v) * 10000.0;
  if (std::fabs(x) > 9.2e18) ThrowRuntime(6);
  return static_cast<std::int64_t>(std::nearbyint(x));
}

std::string TypeName(const Variant& v) {
  switch (v.type) {
    case VT::Empty: return "Empty";
    case VT::Null: return "Null";
    case VT::Integer: return "Integer";
    case VT::Long: return "Long";
    case VT::Single: return "Single";
    case VT::Double: return "Double";
    case VT::Currency: return "Currency";
    case VT::Date: return "Date";
    case VT::String: return "String";
    case VT::Boolean: return "Boolean";
    case VT::Byte: return "Byte";
    case VT::Array: return "Variant()";
    case VT::Object: return v.obj ? v.obj->TypeName() : "Nothing";
    default: return "Unknown";
  }
}

Variant ToNumeric(const Variant& v) {
  switch (v.type) {
    case VT::Empty: return Variant::Integer(0);
    case VT::Boolean: return Variant::Integer(v.i);
    case VT::String: return Variant::Double(ToDouble(v));
    case VT::Integer: case VT::Long: case VT::Byte: case VT::Single: case VT::Double:
    case VT::Currency: case VT::Date: case VT::Null:
      return v;
    default: ThrowRuntime(13);
  }
}

double DateFromParts(int year, int month, int day) {
  std::int64_t m0 = static_cast<std::int64_t>(month) - 1;
  std::int64_t y = year + (m0 >= 0 ? m0 / 12 : (m0 - 11) / 12);
  m0 = ((m0 % 12) + 12) % 12;
  if (y < 100 || y > 9999) ThrowRuntime(5);
  return static_cast<double>(DaysFromCivil(y, static_cast<unsigned>(m0 + 1), 1) + (day - 1) - kDayZero);
}

DateParts PartsOfDate(double date) {
  if (!std::isfinite(date) || std::fabs(date) > 3e6) ThrowRuntime(6);
  double whole = std::trunc(date);
  long long secs = std::llround(std::fabs(date - whole) * 86400.0);
  std::int64_t days = static_cast<std::int64_t>(whole);
  if (secs >= 86400) {
    secs -= 86400;
    days += date < 0 ? -1 : 1;
  }
  DateParts p;
  CivilFromDays(days + kDayZero, p.year, p.month, p.day);
  p.hour = static_cast<int>(secs / 3600);
  p.minute = static_cast<int>(secs / 60 % 60);
  p.second = static_cast<int>(secs % 60);
  return p;
}

int WeekdayOf(double date) {
  std::int64_t z = static_cast<std::int64_t>(std::floor(date)) + kDayZero;
  return static_cast<int>(((z % 7) + 7 + 4) % 7) + 1;
}

// Dates as an en-US system reads them: "1/15/2024", "2024-01-15", "January 15, 2024",
// "15 Jan 2024", each optionally followed by a time "14:30[:05] [AM|PM]"; or a time alone.
bool ParseDate(std::string_view text, double& out) {
  struct Tok { bool number; int value; std::string word; char sep; };
  std::vector<Tok> toks;
  std::size_t k = 0;
  while (k < text.size()) {
    char c = text[k];
    if (std::isdigit(static_cast<unsigned char>(c))) {
      long v = 0;
      std::size_t start = k;
      while (k < text.size() && std::isdigit(static_cast<unsigned char>(text[k]))) {
        v = v * 10 + (text[k] - '0');
        if (k - start > 5) return false;
        ++k;
      }
      char sep = k < text.size() ? text[k] : '\0';
      toks.push_back({true, static_cast<int>(v), {}, sep});
    } else if (std::isalpha(static_cast<unsigned char>(c))) {
      std::string w;
      while (k < text.size() && std::isalpha(static_cast<unsigned char>(text[k]))) w += cp1252::ToLower(text[k++]);
      toks.push_back({false, 0, w, '\0'});
    } else if (c == ' ' || c == ',' || c == '/' || c == '-' || c == ':' || c == '.' || c == '\t') {
      ++k;
    } else {
      return false;
    }
  }
  if (toks.empty()) return false;
  int month = 0, day = 0, year = -1;
  int hour = -1, minute = 0, second = 0;
  int ampm = 0;
  std::vector<int> date_numbers, time_numbers;
  for (std::size_t t = 0; t < toks.size(); ++t) {
    const Tok& tok = toks[t];
    if (!tok.number) {
      if (tok.word == "am" || tok.word == "a") { ampm = 1; continue; }
      if (tok.word == "pm" || tok.word == "p") { ampm = 2; continue; }
      if (tok.word.size() < 3) return false;
      int found = 0;
      for (int m = 0; m < 12; ++m)
        if (std::string_view(kMonths[m]).starts_with(tok.word)) found = m + 1;
      if (!found || month) return false;
      month = found;
      continue;
    }
    if (tok.sep == ':' || (t > 0 && toks[t - 1].number && toks[t - 1].sep == ':')) {
      time_numbers.push_back(tok.value);
      continue;
    }
    date_numbers.push_back(tok.value);
  }
  if (time_numbers.size() > 3) return false;
  if (!time_numbers.empty()) {
    hour = time_numbers[0];
    if (time_numbers.size() > 1) minute = time_numbers[1];
    if (time_numbers.size() > 2) second = time_numbers[2];
  }
  if (ampm && hour < 0) {
    if (date_numbers.empty()) return false;
    hour = date_numbers.back();
    date_numbers.pop_back();
  }
  const bool has_date = month || !date_numbers.empty();
  if (has_date) {
    if (month) {
      if (date_numbers.size() != 2) return false;
      day = date_numbers[0];
      year = date_numbers[1];
      if (day > 31) std::swap(day, year);
    } else {
      if (date_numbers.size() != 3) return false;
      if (date_numbers[0] > 31) {
        year = date_numbers[0], month = date_numbers[1], day = date_numbers[2];
      } else {
        month = date_numbers[0], day = date_numbers[1], year = date_numbers[2];
      }
    }
    if (year < 100) year += year < 30 ? 2000 : 1900;
    if (month < 1 || month > 12 || day < 1 || year > 9999) return false;
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (day > kDays[month - 1]) return false;
    if (month == 2 && day == 29 && !(year % 4 == 0 && (year % 100 != 0 || year % 400 == 0))) return false;
  }
  double time = 0;
  if (hour >= 0) {
    if (ampm) {
      if (hour < 1 || hour > 12) return false;
      hour = hour % 12 + (ampm == 2 ? 12 : 0);
    }
    if (hour > 23 || minute > 59 || second > 59) return false;
    time = (hour * 3600 + minute * 60 + second) / 86400.0;
  }
  if (!has_date && hour < 0) return false;
  double date = has_date ? DateFromParts(year, month, day) : 0;
  out = date >= 0 ? date + time : date - time;
  return true;
}

int CompareStrings(std::string_view a, std::string_view b, bool text_compare) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t k = 0; k < n; ++k) {
    unsigned char x = static_cast<unsigned char>(text_compare ? cp1252::ToLower(a[k]) : a[k]);
    unsigned char y = static_cast<unsigned char>(text_compare ? cp1252::ToLower(b[k]) : b[k]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int Compare(const Variant& a, const Variant& b, bool a_literal, bool b_literal, bool text_compare) {
  if ((a.type == VT::Integer || a.type == VT::Long) && (b.type == VT::Integer || b.type == VT::Long))
    return a.i < b.i ? -1 : (a.i > b.i ? 1 : 0);
  if (a.IsNull() || b.IsNull()) return 2;
  if (a.IsObject() || b.IsObject() || a.IsArray() || b.IsArray()) ThrowRuntime(13);
  auto numeric = [](double x, double y) { return x < y ? -1 : (x > y ? 1 : 0); };
  if (a.IsString() && b.IsString()) return CompareStrings(a.s, b.s, text_compare);
  if (a.IsString() && b.IsEmpty()) return CompareStrings(a.s, "", text_compare);
  if (b.IsString() && a.IsEmpty()) return CompareStrings("", b.s, text_compare);
  if (a.IsString() || b.IsString()) {
    const bool string_first = a.IsString();
    const Variant& str = string_first ? a : b;
    const Variant& num = string_first ? b : a;
    const bool num_literal = string_first ? b_literal : a_literal;
    const bool str_literal = string_first ? a_literal : b_literal;
    int r;
    // A Boolean meets a string as its text ("True", "False").
    if (num.type == VT::Boolean) r = CompareStrings(str.s, ToString(num), text_compare);
    else if (num_literal) r = numeric(ToDouble(str), ToDouble(num));
    else if (str_literal) r = CompareStrings(str.s, ToString(num), text_compare);
    else r = 1;  // a string is greater than any number
    return string_first ? r : -r;
  }
  if (a.type == VT::Currency && b.type == VT::Currency) return a.i < b.i ? -1 : (a.i > b.i ? 1 : 0);
  if (IsIntegral(a.type) && IsIntegral(b.type)) return a.i < b.i ? -1 : (a.i > b.i ? 1 : 0);
  return numeric(ToDouble(a), ToDouble(b));
}

Variant Arithmetic(BinaryOp op, const Variant& a0, const Variant& b0) {
  // Integer and Long operands, by far the most common, without conversions.
  if ((a0.type == VT::Integer || a0.type == VT::Long) && (b0.type == VT::Integer || b0.type == VT::Long)) {
    const int rank = a0.type == VT::Long || b0.type == VT::Long ? 2 : 1;
    switch (op) {
      case BinaryOp::Add: case BinaryOp::Sub: case BinaryOp::Mul: case BinaryOp::Mod: case BinaryOp::IntDiv: {
        std::int64_t r;
        if (op == BinaryOp::Add) r = a0.i + b0.i;
        else if (op == BinaryOp::Sub) r = a0.i - b0.i;
        else if (op == BinaryOp::Mul) r = a0.i * b0.i;
        else if (b0.i == 0) ThrowRuntime(11);
        else r = op == BinaryOp::Mod ? a0.i % b0.i : a0.i / b0.i;
        Variant v;
        if (rank == 1 && r >= -32768 && r <= 32767) v.type = VT::Integer;
        else if (r >= std::numeric_limits<std::int32_t>::min() && r <= std::numeric_limits<std::int32_t>::max()) v.type = VT::Long;
        else return Variant::Double(static_cast<double>(r));
        v.i = r;
        return v;
      }
      default: break;
    }
  }
  if (op == BinaryOp::Add && a0.IsString() && (b0.IsString() || b0.IsEmpty()))
    return Variant::Str(a0.s + b0.s);
  if (op == BinaryOp::Add && b0.IsString() && a0.IsEmpty()) return b0;
  if (a0.IsNull() || b0.IsNull()) return Variant::Null();
  const Variant a = ToNumeric(a0), b = ToNumeric(b0);
  const bool integral = IsIntegral(a.type) && IsIntegral(b.type);
  switch (op) {
    case BinaryOp::Add: case BinaryOp::Sub: case BinaryOp::Mul: {
      if (integral) {
        std::int64_t r = op == BinaryOp::Add ? a.i + b.i : op == BinaryOp::Sub ? a.i - b.i : a.i * b.i;
        return IntegralResult(r, std::max(IntegralRank(a.type), IntegralRank(b.type)));
      }
      if (a.type == VT::Currency || b.type == VT::Currency) {
        if (a.type != VT::Double && b.type != VT::Double && a.type != VT::Single && b.type != VT::Single && op != BinaryOp::Mul) {
          std::int64_t x = ToCurrency(a), y = ToCurrency(b);
          return Variant::Currency(op == BinaryOp::Add ? x + y : x - y);
        }
      }
      double x = ToDouble(a), y = ToDouble(b);
      double r = op == BinaryOp::Add ? x + y : op == BinaryOp::Sub ? x - y : x * y;
      if ((a.type == VT::Date || b.type == VT::Date) && op != BinaryOp::Mul &&
          !(op == BinaryOp::Sub && a.type == VT::Date && b.type == VT::Date)) {
        if (!std::isfinite(r) || r < -657434.0 || r >= 2958466.0) ThrowRuntime(6);
        return Variant::Date(r);
      }
      if (a.type == VT::Currency || b.type == VT::Currency) {
        if (std::fabs(r) > 9.2e14) ThrowRuntime(6);
        return Variant::Currency(static_cast<std::int64_t>(std::nearbyint(r * 10000)));
      }
      if ((a.type == VT::Single || b.type == VT::Single) && a.type != VT::Double && b.type != VT::Double)
        return Variant::Single(static_cast<float>(r));
      return CheckedDouble(r);
    }
    case BinaryOp::Div: {
      double x = ToDouble(a), y = ToDouble(b);
      if (y == 0) ThrowRuntime(x == 0 ? 6 : 11);
      return CheckedDouble(x / y);
    }
    case BinaryOp::IntDiv: case BinaryOp::Mod: {
      std::int64_t x = ToLong(a), y = ToLong(b);
      if (y == 0) ThrowRuntime(11);
      std::int64_t r = op == BinaryOp::IntDiv ? x / y : x % y;
      int rank = std::max(IntegralRank(a.type == VT::Byte ? a.type : (IsIntegral(a.type) ? a.type : VT::Long)),
                          IntegralRank(b.type == VT::Byte ? b.type : (IsIntegral(b.type) ? b.type : VT::Long)));
      return IntegralResult(r, rank);
    }
    case BinaryOp::Pow: {
      double x = ToDouble(a), y = ToDouble(b);
      if (x < 0 && y != std::trunc(y)) ThrowRuntime(5);
      if (x == 0 && y < 0) ThrowRuntime(5);
      return CheckedDouble(std::pow(x, y));
    }
    default: ThrowRuntime(51);
  }
}

namespace {
// The logical operators read "True", "False", "#TRUE#" and "#FALSE#" as the Booleans they
// name, as CBool does; other text must be a number.
Variant LogicalOperand(const Variant& v) {
  if (!v.IsString()) return v;
  for (const char* word : {"True", "#TRUE#", "False", "#FALSE#"})
    if (cp1252::EqualsNoCase(v.s, word)) return Variant::Bool(word[0] == 'T' || word[1] == 'T');
  return v;
}
}  // namespace

Variant Logical(BinaryOp op, const Variant& a0, const Variant& b0) {
  const Variant a = LogicalOperand(a0), b = LogicalOperand(b0);
  auto bits = [](const Variant& v) { return ToLong(v); };
  if (a.IsNull() || b.IsNull()) {
    const Variant& other = a.IsNull() ? b : a;
    if (op == BinaryOp::And && !other.IsNull() && bits(other) == 0) return other.type == VT::Boolean ? Variant::Bool(false) : Variant::Integer(0);
    if (op == BinaryOp::Or && !other.IsNull() && bits(other) == -1) return other.type == VT::Boolean ? Variant::Bool(true) : Variant::Integer(-1);
    if (op == BinaryOp::Imp) {
      if (a.IsNull() && !b.IsNull() && bits(b) == -1) return b.type == VT::Boolean ? Variant::Bool(true) : Variant::Integer(-1);
      if (b.IsNull() && !a.IsNull() && bits(a) == 0) return Variant::Bool(true);
    }
    return Variant::Null();
  }
  std::int64_t x = bits(a), y = bits(b), r = 0;
  switch (op) {
    case BinaryOp::And: r = x & y; break;
    case BinaryOp::Or: r = x | y; break;
    case BinaryOp::Xor: r = x ^ y; break;
    case BinaryOp::Eqv: r = ~(x ^ y); break;
    case BinaryOp::Imp: r = (~x) | y; break;
    default: ThrowRuntime(51);
  }
  if (a.type == VT::Boolean && b.type == VT::Boolean) return Variant::Bool(r != 0);
  const bool small = (a.type == VT::Integer || a.type == VT::Boolean || a.type == VT::Byte || a.type == VT::Empty) &&
                     (b.type == VT::Integer || b.type == VT::Boolean || b.type == VT::Byte || b.type == VT::Empty);
  if (small) return Variant::Integer(static_cast<std::int16_t>(r));
  return Variant::Long(static_cast<std::int32_t>(r));
}

Variant Not(const Variant& a0) {
  const Variant a = LogicalOperand(a0);
  if (a.IsNull()) return a;
  if (a.type == VT::Boolean) return Variant::Bool(a.i == 0);
  std::int64_t x = ToLong(a);
  if (a.type == VT::Integer || a.type == VT::Empty) return Variant::Integer(static_cast<std::int16_t>(~x));
  if (a.type == VT::Byte) return Variant::Byte(static_cast<std::uint8_t>(~x));
  return Variant::Long(static_cast<std::int32_t>(~x));
}

Variant Negate(const Variant& a0) {
  if (a0.IsNull()) return a0;
  Variant a = ToNumeric(a0);
  switch (a.type) {
    case VT::Integer: case VT::Long: case VT::Byte: return IntegralResult(-a.i, a.type == VT::Long ? 2 : 1);
    case VT::Currency: return Variant::Currency(-a.i);
    case VT::Date: return Variant::Date(-a.d);
    case VT::Single: return Variant::Single(-a.d);
    default: return Variant::Double(-a.d);
  }
}

}  // namespace gildex::vbscript
