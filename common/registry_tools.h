#pragma once
// RegistryTools: the only code that touches the registry. Values pass as text; the caller
// names the type with a keyword ("STRING", "BOOL", "NUMBER", "BINARY"; any letter case).
#include <cstdint>
#include <string>

#include "common/error_report.h"
#include "platform/registry.h"

namespace gildex {

class RegistryTools {
 public:
  RegistryTools(platform::Registry& registry, ErrorReport& report) : registry_(registry), report_(report) {}

  std::string fnsGetRegistryValue(const std::string& key_path, const std::string& value_name,
                                  const std::string& type = "String");
  void subSetRegistryValue(const std::string& key_path, const std::string& value_name, const std::string& value,
                           const std::string& type = "String");

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
};

}  // namespace gildex
