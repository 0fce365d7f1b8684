#pragma once
// RegistryTools: the only code that touches the registry. Values pass as text; the caller
// names the type with a keyword ("STRING", "BOOL", "NUMBER", "BINARY"; any letter case).
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/error_report.h"
#include "platform/registry.h"

namespace gildex {

// A value that stands in for the registry's while it is in use, such as a line of a
// repository's settings file: read as if stored, never written by a save.
struct OverlaidValue {
  std::string key;    // as the caller names it (kOptionsKey)
  std::string name;   // the registry value name
  std::string value;  // as the registry would hold it
  std::string file;   // where it was read
  long line = 0;
  bool operator==(const OverlaidValue&) const = default;
};

// Where a value read through the tools comes from.
enum class ValueSource { Absent, Registry, Overlay };

class RegistryTools {
 public:
  RegistryTools(platform::Registry& registry, ErrorReport& report) : registry_(registry), report_(report) {}

  std::string fnsGetRegistryValue(const std::string& key_path, const std::string& value_name,
                                  const std::string& type = "String");
  void subSetRegistryValue(const std::string& key_path, const std::string& value_name, const std::string& value,
                           const std::string& type = "String");

  // Values read in place of the registry's from now on (none: the registry alone).
  void Overlay(std::vector<OverlaidValue> values) { overlay_ = std::move(values); }
  const std::vector<OverlaidValue>& Overlaid() const { return overlay_; }
  // The overlaid value of `value_name` under `key_path`, or null.
  const OverlaidValue* FindOverlaid(const std::string& key_path, const std::string& value_name) const;
  ValueSource SourceOf(const std::string& key_path, const std::string& value_name) const;

  // The writes that `writes` makes reach the registry file in one update; a file that cannot
  // take them is reported once, not once per value.
  template <class Writes>
  void WriteTogether(Writes&& writes) {
    registry_.BeginBatch();
    writes();
    report_.Trap("RegistryTools.subSetRegistryValue", [&] { registry_.CommitBatch(); });
  }

 private:
  platform::Registry& registry_;
  ErrorReport& report_;
  std::vector<OverlaidValue> overlay_;
};

}  // namespace gildex
