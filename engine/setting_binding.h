#pragma once
// How one stored setting moves between the registry, its field or accessor, and the text of
// the options command. Internal to the engine's settings code.
#include <functional>
#include <string>
#include <string_view>

#include "engine/settings.h"

namespace gildex {

struct SettingBinding {
  SettingInfo info;
  // Registry text (Booleans read with "BOOL") into the field, or through the write
  // accessor where the setting's rules must run on load.
  std::function<void(Settings&, const std::string&)> load;
  // The text written to the registry.
  std::function<std::string(const Settings&)> save;
  // The value as the read accessor gives it.
  std::function<std::string(const Settings&)> get;
  // Checks the text against the setting's type and sets it through the write accessor;
  // returns what is wrong, or empty.
  std::function<std::string(Settings&, std::string_view)> set;
  // What `set` would refuse of the text for the setting's type, or empty.
  std::function<std::string(std::string_view)> check;
};

}  // namespace gildex
