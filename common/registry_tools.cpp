#include "common/registry_tools.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/nembus_common.h"
#include "platform/cp1252.h"

namespace gildex {

namespace {

struct Hive {
  std::string_view name;
};

constexpr std::array<Hive, 5> kHives{{
    {"HKEY_CLASSES_ROOT"},
    {"HKEY_CURRENT_USER"},
    {"HKEY_LOCAL_MACHINE"},
    {"HKEY_USERS"},
    {"HKEY_PERFORMANCE_DATA"},
}};

// The value buffer of the Windows query: a string needs room for its terminating NUL.
constexpr std::size_t kValueBufferSize = 255;

enum class ValueKind { String, Bool, Number, Binary, Other };

ValueKind KindOf(const std::string& type) {
  if (cp1252::EqualsNoCase(type, "STRING")) return ValueKind::String;
  if (cp1252::EqualsNoCase(type, "BOOL")) return ValueKind::Bool;
  if (cp1252::EqualsNoCase(type, "NUMBER")) return ValueKind::Number;
  if (cp1252::EqualsNoCase(type, "BINARY")) return ValueKind::Binary;
  return ValueKind::Other;
}

const Hive* FindHive(const std::string& key_path) {
  const std::size_t backslash = key_path.find('\\');
  if (backslash == std::string::npos) return nullptr;
  const std::string_view name = std::string_view(key_path).substr(0, backslash);
  for (const Hive& hive : kHives) {
    if (cp1252::EqualsNoCase(name, hive.name)) return &hive;
  }
  return nullptr;
}

// The key as the registry store names it, with the hive spelt the standard way whatever
// letter case the caller used.
std::string StoreKey(const Hive& hive, const std::string& key_path) {
  const std::string sub_key = key_path.substr(key_path.find('\\') + 1);
  std::string key(hive.name);
  if (!sub_key.empty()) key += "\\" + sub_key;
  return key;
}

// The stored bytes are added up as Basic does, byte i weighing 256^(i-1), into a signed
// 32-bit Long: a top byte of 128 or more overflows it.
std::string NumberText(std::uint32_t stored) {
  if (stored > 0x7FFFFFFFu) throw VbError(6, "Overflow");
  return std::to_string(stored);
}

// CLng: to the nearest whole number, halves to the even neighbour.
std::int32_t ToLong(double value) {
  const double rounded = std::nearbyint(value);
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) throw VbError(6, "Overflow");
  return static_cast<std::int32_t>(rounded);
}

// Splitting a negative number into bytes asks Chr for a negative code.
std::uint32_t StorableNumber(const std::string& text) {
  const std::int32_t number = ToLong(Val(text));
  if (number < 0) throw VbError(5, "Invalid procedure call or argument");
  return static_cast<std::uint32_t>(number);
}

// A value of another stored type than the keyword asks for, or one too large for the
// buffer, is a failed query.
std::string ReadValue(const std::optional<platform::RegValue>& value, ValueKind kind, const std::string& fallback) {
  switch (kind) {
    case ValueKind::String:
    case ValueKind::Bool: {
      if (!value || value->type != platform::RegType::String) return fallback;
      if (value->data.size() + 1 > kValueBufferSize) return fallback;
      if (TrimSpaces(value->data).empty()) return fallback;
      return value->data;
    }
    case ValueKind::Number:
      if (!value || value->type != platform::RegType::Number) return {};
      return NumberText(value->number);
    case ValueKind::Binary:
      if (!value || value->type != platform::RegType::Binary) return {};
      if (value->data.size() > kValueBufferSize) return {};
      return value->data;
    case ValueKind::Other:
      break;
  }
  return {};
}

}  // namespace

std::string RegistryTools::fnsGetRegistryValue(const std::string& key_path, const std::string& value_name,
                                               const std::string& type) {
  return report_.Trap("RegistryTools.fnsGetRegistryValue", std::string(), [&]() -> std::string {
    const ValueKind kind = KindOf(type);
    if (const OverlaidValue* overlaid = FindOverlaid(key_path, value_name))
      if (kind == ValueKind::String || kind == ValueKind::Bool) return overlaid->value;
    const std::string fallback = kind == ValueKind::Bool ? "False" : "";
    const Hive* hive = FindHive(key_path);
    if (hive == nullptr) return fallback;
    const std::string key = StoreKey(*hive, key_path);
    if (!registry_.KeyExists(key)) return fallback;
    if (kind == ValueKind::Other) return {};
    return ReadValue(registry_.Get(key, value_name), kind, fallback);
  });
}

const OverlaidValue* RegistryTools::FindOverlaid(const std::string& key_path, const std::string& value_name) const {
  for (const OverlaidValue& value : overlay_)
    if (cp1252::EqualsNoCase(value.key, key_path) && cp1252::EqualsNoCase(value.name, value_name)) return &value;
  return nullptr;
}

ValueSource RegistryTools::SourceOf(const std::string& key_path, const std::string& value_name) const {
  if (FindOverlaid(key_path, value_name) != nullptr) return ValueSource::Overlay;
  const Hive* hive = FindHive(key_path);
  if (hive == nullptr) return ValueSource::Absent;
  const std::optional<platform::RegValue> stored = registry_.Get(StoreKey(*hive, key_path), value_name);
  return stored && !(stored->type == platform::RegType::String && TrimSpaces(stored->data).empty())
             ? ValueSource::Registry
             : ValueSource::Absent;
}

void RegistryTools::subSetRegistryValue(const std::string& key_path, const std::string& value_name,
                                        const std::string& value, const std::string& type) {
  report_.Trap("RegistryTools.subSetRegistryValue", [&] {
    // An overlaid value belongs to its file: saving it would copy it into the user's registry.
    if (const OverlaidValue* overlaid = FindOverlaid(key_path, value_name); overlaid && overlaid->value == value) return;
    const Hive* hive = FindHive(key_path);
    if (hive == nullptr) return;
    const std::string key = StoreKey(*hive, key_path);
    registry_.CreateKey(key);
    platform::RegValue stored;
    switch (KindOf(type)) {
      case ValueKind::String:
        stored.type = platform::RegType::String;
        stored.data = value;
        break;
      case ValueKind::Number:
        stored.type = platform::RegType::Number;
        stored.number = StorableNumber(value);
        break;
      case ValueKind::Binary:
        stored.type = platform::RegType::Binary;
        stored.data = value;
        break;
      case ValueKind::Bool:  // Booleans are written as "True"/"False" strings
      case ValueKind::Other:
        return;
    }
    registry_.Set(key, value_name, stored);
  });
}

}  // namespace gildex
