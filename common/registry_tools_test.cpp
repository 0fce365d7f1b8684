#include "common/registry_tools.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "common/services_rig.h"

namespace gildex {
namespace {

using platform::RegType;
using platform::RegValue;

const std::string kOptions = "HKEY_CURRENT_USER\\Software\\Nembus\\Gildex\\Options";

// A missing value, one of another type or one too long for the query's buffer reads as the type's default.
TEST(RegistryTools, ReadsByTypeKeywordWithTheDefaultForAnythingUnreadable) {
  testing::ServicesRig rig{""};
  for (platform::MsgBoxResult answer : {platform::vbRetry, platform::vbAbort}) rig.dialogs.Answer(answer);
  rig.registry.Set(kOptions, "Count", RegValue{RegType::Number, "", 7});
  for (const auto& [name, text] : std::vector<std::pair<std::string, std::string>>{
           {"Flag", "True"}, {"Blank", "   "}, {"Tab", "\t"}, {"Fits", std::string(254, 'a')}, {"Long", std::string(255, 'a')}})
    rig.registry.Set(kOptions, name, RegValue{RegType::String, text, 0});
  rig.registry.Set(kOptions, "Blob", RegValue{RegType::Binary, std::string("\x01\x00\xff", 3), 0});
  rig.registry.Set(kOptions, "Big", RegValue{RegType::Binary, std::string(256, 'b'), 0});
  const struct {
    std::string key, name, type, expected;
  } cases[] = {
      {kOptions, "Count", "NUMBER", "7"}, {kOptions, "Count", "String", ""}, {kOptions, "Count", "BOOL", "False"},
      {kOptions, "Flag", "bool", "True"}, {kOptions, "Flag", "NUMBER", ""}, {kOptions, "Blank", "BOOL", "False"},
      {kOptions, "Blank", "STRING", ""}, {kOptions, "Tab", "STRING", "\t"},
      {kOptions, "Fits", "STRING", std::string(254, 'a')},  // with its NUL it just fits
      {kOptions, "Long", "STRING", ""}, {kOptions, "Blob", "BINARY", std::string("\x01\x00\xff", 3)},
      {kOptions, "Big", "BINARY", ""}, {kOptions, "Flag", "DWORD", ""}, {kOptions, "Missing", "BOOL", "False"},
      {"hkey_current_user\\Software\\Nembus\\Gildex\\Options", "count", "Number", "7"},
      {"HKCU\\Software\\Nembus\\Gildex\\Options", "Count", "NUMBER", ""}, {"Software", "Count", "BOOL", "False"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(rig.tools.fnsGetRegistryValue(c.key, c.name, c.type), c.expected) << c.key << " " << c.name << " " << c.type;
  EXPECT_TRUE(rig.dialogs.Asked().empty());
  // A number beyond a Long is reported, and the retry fails again.
  rig.registry.Set(kOptions, "Count", RegValue{RegType::Number, "", 0x80000000u});
  EXPECT_EQ(rig.tools.fnsGetRegistryValue(kOptions, "Count", "NUMBER"), "");
  ASSERT_EQ(rig.dialogs.Asked().size(), 2u);
  EXPECT_EQ(rig.dialogs.Asked()[0].prompt, "Error 6: \r\nOverflow\r\nOccurred at line 0in Gildex: RegistryTools.fnsGetRegistryValue");
}

TEST(RegistryTools, WritesTheTypeTheKeywordNamesAndRefusesWhatItCannotStore) {
  const std::string bytes("\x01\x00\xff\x80z", 5);
  const std::string text = "C:\\Program Files\\Gildex\\ \xe9t\xe9 \"q\"";
  const std::string toolbar = "HKEY_CURRENT_USER\\Software\\Nembus\\Gildex\\Toolbar";
  const struct {
    std::string key, value, type;
    std::optional<RegValue> stored;  // nothing: not written
    std::string box;                 // the error box's first line, if any
  } cases[] = {
      {kOptions, text, "String", RegValue{RegType::String, text, 0}, ""},
      {toolbar, "10", "NUMBER", RegValue{RegType::Number, "", 10}, ""},  // parent keys are created
      {kOptions, "12abc", "number", RegValue{RegType::Number, "", 12}, ""},  // the text's numeric start, as Val
      {kOptions, "2.5", "NUMBER", RegValue{RegType::Number, "", 2}, ""},  // halves to even, as CLng
      {kOptions, "3.5", "NUMBER", RegValue{RegType::Number, "", 4}, ""},
      {kOptions, bytes, "Binary", RegValue{RegType::Binary, bytes, 0}, ""},
      {kOptions, "True", "BOOL", std::nullopt, ""},  // Booleans are written as strings
      {kOptions, "x", "DWORD", std::nullopt, ""}, {"HKEY_NOWHERE\\Software\\Nembus", "1", "STRING", std::nullopt, ""},
      {"Software", "1", "STRING", std::nullopt, ""}, {kOptions, "-1", "NUMBER", std::nullopt, "Error 5: "},
      {kOptions, "99999999999", "NUMBER", std::nullopt, "Error 6: "},
  };
  for (const auto& c : cases) {
    testing::ServicesRig rig{""};
    rig.tools.subSetRegistryValue(c.key, "Value", c.value, c.type);
    const std::optional<RegValue> stored = rig.registry.Get(c.key, "Value");
    ASSERT_EQ(stored.has_value(), c.stored.has_value()) << c.key << " " << c.value << " " << c.type;
    if (stored) {
      EXPECT_EQ(std::tie(stored->type, stored->data, stored->number), std::tie(c.stored->type, c.stored->data, c.stored->number));
    } else if (c.key.find('\\') == std::string::npos || c.key.starts_with("HKEY_NOWHERE")) {
      EXPECT_FALSE(rig.registry.KeyExists(c.key)) << c.key;
    }
    ASSERT_EQ(rig.dialogs.Asked().size(), c.box.empty() ? 0u : 1u) << c.value;
    if (!c.box.empty()) {
      EXPECT_TRUE(rig.dialogs.Asked()[0].prompt.starts_with(c.box)) << rig.dialogs.Asked()[0].prompt;
    }
  }
}

}  // namespace
}  // namespace gildex
