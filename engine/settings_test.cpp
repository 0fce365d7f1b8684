// The engine's settings in the registry: load, save, the accessors' rules, the options
// command's text form and the backup folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "common/nembus_common.h"
#include "engine/engine_rig_test.h"
#include "engine/gildex.h"
#include "host/memory_vbe.h"
#include "host/project_loader.h"

namespace gildex {
namespace {

using testing::EngineRig;

const std::string kOptions(kOptionsKey);
const std::string kCopier(kCopierKey);

std::map<std::string, std::string> AllSettingTexts(CGildex& gildex) {
  std::map<std::string, std::string> texts;
  for (const SettingInfo& info : CGildex::StoredSettings())
    texts[std::string(info.property)] = gildex.GetSettingText(info.property).value();
  return texts;
}

// A registry without values, or a damaged file (which the registry never rewrites), loads what absent values mean.
TEST(EngineSettings, AnEmptyOrDamagedRegistryLoadsTheAbsentValues) {
  platform::testing::TempDir temp;
  const std::string damaged = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Nembus\\Gildex\\Options]\r\n\"BodyCode=\r\n";
  platform::testing::WriteBytes(temp / "registry.reg", damaged);
  for (const bool damaged_file : {false, true}) {
    EngineRig rig(damaged_file ? temp / "registry.reg" : std::filesystem::path());
    EXPECT_EQ(rig.registry.Warning().empty(), !damaged_file);
    rig.gildex.LoadSettings();
    const auto texts = AllSettingTexts(rig.gildex);
    EXPECT_EQ(texts.at("Numbering"), "False") << "an absent value turns line numbering on";
    EXPECT_EQ(texts.at("ScriptTimeLimit"), "10");
    EXPECT_EQ(texts.at("TemplatePath"), rig.ProgramFolderText() + "Templates/");
    EXPECT_EQ(rig.timers.Count(), 0u);
    EXPECT_TRUE(rig.dialogs.Asked().empty());
  }
}

TEST(EngineSettings, SaveThenLoadGivesBackEveryStoredValue) {
  platform::testing::TempDir temp;
  const std::filesystem::path file = temp / "registry.reg";
  std::map<std::string, std::string> values = {
      {"MinLines", "4"}, {"InsertInto", "FUNCTION"}, {"LineIncrement", "10"}, {"LineDelimiter", ": "},
      {"StartLine", "100"}, {"CommentTemplate", "'Name: %ProcName%\r\n'Date: %Date%"}, {"BackupExt", "OLD"},
      {"BackupDirectory", (temp / "backups").string() + "/"}, {"CopierDiscard", "2"}, {"SaveInterval", "15"},
      {"FullLoggingCode", "Debug.Print \"%PrevLine%\" 'gildexlog"}, {"VSSComment", "Gildex check-out"},
      {"DefaultTemplate", "Standard"}, {"TemplatePath", "/opt/gildex/Templates/"}, {"CodeBodyStart", "' >>> body"},
      {"CodeBodyEnd", "' <<< body"}, {"ScriptTimeLimit", "30"}, {"CodePage", "1250"}};
  for (const SettingInfo& info : CGildex::StoredSettings())
    if (info.type == SettingType::Boolean) values[std::string(info.property)] = info.property < "M" ? "True" : "False";
  ASSERT_EQ(values.size(), CGildex::StoredSettings().size());
  {
    EngineRig writer(file);
    for (const auto& [name, text] : values) ASSERT_EQ(writer.gildex.SetSettingText(name, text), "") << name;
    writer.gildex.SaveSettings();
    EXPECT_EQ(writer.registry.Get(kOptions, "Line Incrementor")->type, platform::RegType::String);
    EXPECT_EQ(writer.registry.Get(kCopier, "Discard")->data, "2");
    EXPECT_FALSE(writer.registry.Get(kOptions, "Discard").has_value());
  }
  EngineRig reader(file);
  ASSERT_EQ(reader.registry.Warning(), "");
  reader.gildex.LoadSettings();
  EXPECT_EQ(AllSettingTexts(reader.gildex), values);
  EXPECT_TRUE(reader.dialogs.Asked().empty());
  reader.gildex.CodePage(1252);
}

TEST(EngineSettings, LoadConvertsTheStoredText) {
  const struct {
    std::string key, value_name, stored, property, reads;
  } cases[] = {
      // Numbers are Val's (common's test) rounded half to even; one that does not fit reads as absent.
      {kOptions, "Minimum Lines", "2.5", "MinLines", "2"}, {kOptions, "Minimum Lines", "3.5", "MinLines", "4"},
      {kOptions, "Minimum Lines", "99999999999", "MinLines", "0"},
      // Loaded straight into the field: the accessor's rule does not run.
      {kOptions, "Minimum Lines", "-3", "MinLines", "-3"}, {kOptions, "Line Incrementor", "70000", "LineIncrement", "1"},
      {kOptions, "Line Incrementor", "0", "LineIncrement", "1"},
      // Booleans: "True"/"False" in any case, numbers non-zero true, anything else false.
      {kOptions, "BodyCode", "true", "BodyCode", "True"}, {kOptions, "BodyCode", "-1", "BodyCode", "True"},
      {kOptions, "BodyCode", "yes", "BodyCode", "False"}, {kCopier, "Enabled", "True", "CopierEnabled", "True"},
      {kOptions, "Enabled", "True", "CopierEnabled", "False"},  // only under its own key
      // A code page the system cannot convert reads as Windows-1252.
      {kOptions, "Code Page", "1251", "CodePage", "1251"}, {kOptions, "Code Page", "65001", "CodePage", "1252"},
  };
  for (const auto& c : cases) {
    EngineRig rig;
    rig.registry.Set(c.key, c.value_name, platform::RegValue{platform::RegType::String, c.stored, 0});
    rig.gildex.LoadSettings();
    EXPECT_EQ(rig.gildex.GetSettingText(c.property), c.reads) << c.value_name << "=" << c.stored;
  }
}

// The options command sets a value by either name in any letter case, through the
// property's own rules, and refuses a value of the wrong type, changing nothing.
TEST(EngineSettings, SetSettingTextAppliesTheAccessorRulesOrSaysWhatIsWrong) {
  const struct {
    std::string name, text, reads_as, message;
  } cases[] = {
      {"template path", "/srv/t", "/srv/t/", ""}, {"TemplatePath", "C:\\T\\", "C:\\T\\", ""},
      {"TemplatePath", "   ", "<program>Templates/", ""}, {"line incrementor", "-4", "1", ""},
      {"MinLines", "-1", "0", ""},  // a negative minimum keeps the one before
      {"script time limit", "0", "10", ""},  // a script always has a time limit
      {"BackupExt", "", "BAK", ""}, {"CodeBodyStart", "  ", "' ---- Code Body Starts ---- ", ""},
      {"BODYCODE", "TRUE", "True", ""}, {"Start Line", "+20", "20", ""}, {"enabled", "True", "True", ""},
      {"BodyCode", "yes", "False", "BodyCode (\"BodyCode\") takes True or False, not \"yes\"."},
      {"Minimum Lines", "12abc", "0",
       "MinLines (\"Minimum Lines\") takes a whole number from -2147483648 to 2147483647, not \"12abc\"."},
      {"LineIncrement", "32768", "0",
       "LineIncrement (\"Line Incrementor\") takes a whole number from -32768 to 32767, not \"32768\"."},
      {"Cancel", "True", "", "There is no setting named \"Cancel\"."},  // not stored
  };
  for (const auto& c : cases) {
    EngineRig rig;
    const auto before = AllSettingTexts(rig.gildex);
    EXPECT_EQ(rig.gildex.SetSettingText(c.name, c.text), c.message) << c.name;
    if (!c.message.empty()) {
      EXPECT_EQ(AllSettingTexts(rig.gildex), before) << c.name;
      continue;
    }
    const SettingInfo* info = CGildex::FindSetting(c.name);
    ASSERT_NE(info, nullptr) << c.name;
    EXPECT_EQ(rig.gildex.GetSettingText(info->registry_name),
              ReplaceAll(c.reads_as, "<program>", rig.ProgramFolderText()))
        << c.name;
  }
  EXPECT_EQ(CGildex::FindSetting("Minimum"), nullptr);
  EngineRig rig;
  EXPECT_FALSE(rig.gildex.GetSettingText("Colour").has_value());
}

TEST(EngineSettings, TheBackupFolderIsCreatedOrRefusedAndAnEmptyOneIsTheProjectsFolder) {
  EngineRig rig;
  const std::filesystem::path folder = rig.dir / "backups" / "vb";
  rig.registry.Set(kOptions, "Backup Directory", platform::RegValue{platform::RegType::String, folder.string(), 0});
  rig.gildex.LoadSettings();
  EXPECT_FALSE(std::filesystem::exists(folder)) << "loading names a folder; only setting one creates it";
  EXPECT_EQ(rig.gildex.BackupDirectory(), folder.string() + "/");
  rig.gildex.BackupDirectory(folder.string());
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_EQ(rig.gildex.BackupDirectory(), folder.string() + "/");

  platform::testing::WriteBytes(rig.dir / "a-file", "x");
  const std::string bad = (rig.dir / "a-file" / "sub").string();
  EXPECT_THROW(rig.gildex.BackupDirectory(bad), VbError);
  EXPECT_NE(rig.gildex.SetSettingText("Backup Directory", bad).find("BackupDirectory was not changed: Path not found"),
            std::string::npos);
  EXPECT_EQ(rig.gildex.BackupDirectory(), folder.string() + "/");

  host::MemoryVBE vbe;
  const std::filesystem::path sample = std::filesystem::path(GILDEX_SOURCE_DIR) / "data/Sample";
  ASSERT_TRUE(host::Load(vbe, sample / "Orders.vbp").readable);
  EngineRig with_project({}, &vbe);
  EXPECT_EQ(with_project.gildex.BackupDirectory(), sample.string() + "/");
}

}  // namespace
}  // namespace gildex
