#include "common/registry_tools.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace gildex {
namespace {

using platform::RegType;
using platform::RegValue;

constexpr const char* kOptions = "HKEY_CURRENT_USER\\Software\\Nembus\\Gildex\\Options";

class RegistryToolsTest : public ::testing::Test {
 protected:
  RegValue StringValue(std::string text) { return RegValue{RegType::String, std::move(text), 0}; }
  RegValue NumberValue(std::uint32_t number) { return RegValue{RegType::Number, "", number}; }
  std::string Read(const std::string& name, const std::string& type = "String") {
    return tools.fnsGetRegistryValue(kOptions, name, type);
  }
  const std::vector<platform::MessageBox>& Boxes() const { return dialogs.Asked(); }

  platform::Registry registry;
  platform::ScriptedDialogs dialogs;
  ErrorReport report{dialogs};
  RegistryTools tools{registry, report};
};

TEST(RegistryToolsHive, MapsHiveNamesInAnyLetterCase) {
  const struct {
    const char* path;
    std::uint32_t handle;
  } cases[] = {
      {"HKEY_CLASSES_ROOT\\.vbp", 0x80000000u},
      {"HKEY_CURRENT_USER\\Software", 0x80000001u},
      {"hkey_current_user\\Software", 0x80000001u},
      {"HKEY_LOCAL_MACHINE\\Software", 0x80000002u},
      {"HKEY_USERS\\.DEFAULT", 0x80000003u},
      {"Hkey_Performance_Data\\x", 0x80000004u},
      {"HKEY_CURRENT_USER\\", 0x80000001u},
      {"HKEY_CURRENT_USER", 0},  // no backslash
      {"HKCU\\Software", 0},
      {"HKEY_CURRENT_USERS\\Software", 0},
      {"\\Software", 0},
      {"", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(RegistryTools::fnlHKEYValue(c.path), c.handle) << c.path;
}

TEST_F(RegistryToolsTest, MissingValuesReadAsTheDefault) {
  registry.CreateKey(kOptions);
  const struct {
    std::string key;
    const char* type;
    const char* expected;
  } cases[] = {
      {kOptions, "BOOL", "False"},
      {kOptions, "bool", "False"},
      {kOptions, "String", ""},
      {kOptions, "NUMBER", ""},
      {kOptions, "BINARY", ""},
      {"HKEY_CURRENT_USER\\Software\\Nobody", "BOOL", "False"},
      {"HKEY_CURRENT_USER\\Software\\Nobody", "STRING", ""},
      {"HKEY_NOWHERE\\Software", "BOOL", "False"},
      {"Software", "BOOL", "False"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(tools.fnsGetRegistryValue(c.key, "Missing", c.type), c.expected) << c.key << " " << c.type;
  }
  EXPECT_EQ(tools.fnsGetRegistryValue(kOptions, "Missing"), "");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(RegistryToolsTest, BlankOrOverlongStringsReadAsTheDefault) {
  const struct {
    std::string stored;
    const char* type;
    std::string expected;
  } cases[] = {
      {"True", "BOOL", "True"},
      {"   ", "BOOL", "False"},
      {"", "BOOL", "False"},
      {"   ", "STRING", ""},
      {"\t", "STRING", "\t"},  // only spaces count as blanks
      {" x ", "STRING", " x "},
      {std::string(254, 'a'), "STRING", std::string(254, 'a')},  // with its NUL it just fits
      {std::string(255, 'a'), "STRING", ""},
      {std::string(255, 'a'), "BOOL", "False"},
  };
  for (const auto& c : cases) {
    registry.Set(kOptions, "Value", StringValue(c.stored));
    EXPECT_EQ(Read("Value", c.type), c.expected) << c.stored.size() << " chars, " << c.type;
  }
}

TEST_F(RegistryToolsTest, AValueOfAnotherStoredTypeIsAFailedQuery) {
  registry.Set(kOptions, "Count", NumberValue(7));
  registry.Set(kOptions, "Name", StringValue("7"));
  registry.Set(kOptions, "Blob", RegValue{RegType::Binary, "ab", 0});
  EXPECT_EQ(Read("Count", "STRING"), "");
  EXPECT_EQ(Read("Count", "BOOL"), "False");
  EXPECT_EQ(Read("Count", "BINARY"), "");
  EXPECT_EQ(Read("Name", "NUMBER"), "");
  EXPECT_EQ(Read("Blob", "NUMBER"), "");
  EXPECT_EQ(Read("Count", "NUMBER"), "7");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(RegistryToolsTest, AnUnknownTypeKeywordReadsAndWritesNothing) {
  registry.Set(kOptions, "Name", StringValue("text"));
  EXPECT_EQ(Read("Name", "DWORD"), "");
  tools.subSetRegistryValue(kOptions, "Other", "text", "DWORD");
  EXPECT_FALSE(registry.Get(kOptions, "Other"));
  // Booleans are written as strings with the default type; "BOOL" is only for reading.
  tools.subSetRegistryValue(kOptions, "Flag", "True", "BOOL");
  EXPECT_FALSE(registry.Get(kOptions, "Flag"));
  tools.subSetRegistryValue(kOptions, "Flag", "True");
  EXPECT_EQ(Read("Flag", "BOOL"), "True");
}

TEST_F(RegistryToolsTest, StringsRoundTripByteForByte) {
  const std::string text = "C:\\Program Files\\Gildex\\Templates\\ \xe9t\xe9 \"q\"";
  tools.subSetRegistryValue(kOptions, "Path", text);
  EXPECT_EQ(Read("Path"), text);
  const auto stored = registry.Get(kOptions, "Path");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->type, RegType::String);
  EXPECT_EQ(stored->data, text);
}

TEST_F(RegistryToolsTest, LowerCaseHiveNamesReadAndWriteTheSameKey) {
  tools.subSetRegistryValue("hkey_current_user\\Software\\Nembus\\Gildex\\Options", "Mode", "1");
  EXPECT_EQ(Read("Mode"), "1");
  EXPECT_EQ(tools.fnsGetRegistryValue("Hkey_Current_User\\Software\\Nembus\\Gildex\\Options", "mode"), "1");
}

TEST_F(RegistryToolsTest, AnUnknownHiveOrAPathWithoutBackslashWritesNothing) {
  for (const char* key : {"HKEY_NOWHERE\\Software\\Nembus", "Software", "HKCU\\Software"}) {
    tools.subSetRegistryValue(key, "Mode", "1");
    EXPECT_FALSE(registry.KeyExists(key)) << key;
    EXPECT_FALSE(registry.Get(key, "Mode")) << key;
  }
  EXPECT_FALSE(registry.KeyExists("HKEY_CURRENT_USER\\Software"));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(RegistryToolsTest, WritingCreatesMissingParentKeys) {
  tools.subSetRegistryValue("HKEY_CURRENT_USER\\Software\\Nembus\\Gildex\\Toolbar", "Left", "10", "NUMBER");
  EXPECT_TRUE(registry.KeyExists("HKEY_CURRENT_USER\\Software"));
  EXPECT_TRUE(registry.KeyExists("HKEY_CURRENT_USER\\Software\\Nembus"));
  EXPECT_TRUE(registry.KeyExists("HKEY_CURRENT_USER\\Software\\Nembus\\Gildex"));
  EXPECT_EQ(tools.fnsGetRegistryValue("HKEY_CURRENT_USER\\Software\\Nembus\\Gildex\\Toolbar", "Left", "Number"), "10");
}

TEST_F(RegistryToolsTest, NumbersAreStoredFromTheirLeadingDigits) {
  const struct {
    const char* text;
    std::uint32_t stored;
  } cases[] = {
      {"123", 123}, {"12abc", 12}, {"abc", 0},   {"", 0},
      {" 1 2", 12}, {"3.6", 4},    {"2.5", 2},  // rounded as CLng does: halves to even
      {"3.5", 4},   {"1e3", 1000}, {"&H10", 16}, {"2147483647", 2147483647u},
  };
  for (const auto& c : cases) {
    tools.subSetRegistryValue(kOptions, "Count", c.text, "number");
    const auto stored = registry.Get(kOptions, "Count");
    ASSERT_TRUE(stored) << c.text;
    EXPECT_EQ(stored->type, RegType::Number) << c.text;
    EXPECT_EQ(stored->number, c.stored) << c.text;
    EXPECT_EQ(Read("Count", "NUMBER"), std::to_string(c.stored)) << c.text;
  }
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(RegistryToolsTest, ANumberBeyondALongIsReportedWhenRead) {
  for (std::uint32_t stored : {0x80000000u, 0xFFFFFFFFu}) {
    platform::ScriptedDialogs answers({platform::vbRetry, platform::vbAbort});
    ErrorReport retrying(answers);
    RegistryTools reader(registry, retrying);
    registry.Set(kOptions, "Count", NumberValue(stored));
    EXPECT_EQ(reader.fnsGetRegistryValue(kOptions, "Count", "NUMBER"), "");
    ASSERT_EQ(answers.Asked().size(), 2u);  // the retry fails again
    EXPECT_EQ(answers.Asked()[0].prompt,
              "Error 6: \r\nOverflow\r\nOccurred at line 0in Gildex: RegistryTools.fnsGetRegistryValue");
  }
}

TEST_F(RegistryToolsTest, NegativeOrHugeNumbersAreReportedAndNotStored) {
  const struct {
    const char* text;
    const char* prompt;
  } cases[] = {
      {"-1",
       "Error 5: \r\nInvalid procedure call or argument\r\nOccurred at line 0in Gildex: "
       "RegistryTools.subSetRegistryValue"},
      {"99999999999", "Error 6: \r\nOverflow\r\nOccurred at line 0in Gildex: RegistryTools.subSetRegistryValue"},
  };
  for (const auto& c : cases) {
    platform::ScriptedDialogs answers;
    ErrorReport aborting(answers);
    RegistryTools writer(registry, aborting);
    writer.subSetRegistryValue(kOptions, "Count", c.text, "NUMBER");
    EXPECT_FALSE(registry.Get(kOptions, "Count")) << c.text;
    ASSERT_EQ(answers.Asked().size(), 1u) << c.text;
    EXPECT_EQ(answers.Asked()[0].prompt, c.prompt);
  }
}

TEST_F(RegistryToolsTest, BinaryValuesKeepEveryByte) {
  const std::string bytes("\x01\x00\xff\x80z", 5);
  tools.subSetRegistryValue(kOptions, "Blob", bytes, "Binary");
  const auto stored = registry.Get(kOptions, "Blob");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->type, RegType::Binary);
  EXPECT_EQ(stored->data, bytes);
  EXPECT_EQ(Read("Blob", "BINARY"), bytes);

  registry.Set(kOptions, "Big", RegValue{RegType::Binary, std::string(256, 'b'), 0});
  EXPECT_EQ(Read("Big", "BINARY"), "");  // does not fit the buffer
}

TEST(RegistryToolsFile, AFailedSaveIsReportedAndTheFileIsLeftAlone) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("gildex_regtools_" + std::to_string(::getpid()) + ".reg");
  const std::string damaged = "this is not a registry export\n";
  {
    std::ofstream out(file, std::ios::binary);
    out << damaged;
  }
  platform::Registry registry(file);
  platform::ScriptedDialogs dialogs;
  ErrorReport report(dialogs);
  RegistryTools tools(registry, report);
  tools.subSetRegistryValue(kOptions, "Mode", "1");
  ASSERT_EQ(dialogs.Asked().size(), 1u);
  EXPECT_TRUE(dialogs.Asked()[0].prompt.starts_with("Error 5: \r\nInvalid procedure call or argument ("));
  EXPECT_TRUE(dialogs.Asked()[0].prompt.ends_with("Occurred at line 0in Gildex: RegistryTools.subSetRegistryValue"));
  std::ifstream in(file, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), damaged);
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace gildex
