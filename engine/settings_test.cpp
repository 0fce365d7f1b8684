#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "engine/engine_rig_test.h"
#include "engine/gildex.h"
#include "host/memory_vbe.h"
#include "host/project_loader.h"

namespace gildex {
namespace {

using testing::EngineRig;
using testing::ReportedNames;

const std::string kOptions(kOptionsKey);
const std::string kCopier(kCopierKey);

std::map<std::string, std::string> AllSettingTexts(CGildex& gildex) {
  std::map<std::string, std::string> texts;
  for (const SettingInfo& info : CGildex::StoredSettings())
    texts[std::string(info.property)] = gildex.GetSettingText(info.property).value();
  return texts;
}

// What every setting reads after loading from a registry that holds nothing.
std::map<std::string, std::string> FreshTexts(const std::string& program_folder) {
  std::map<std::string, std::string> texts;
  for (const SettingInfo& info : CGildex::StoredSettings()) {
    std::string& text = texts[std::string(info.property)];
    if (info.type == SettingType::Boolean) text = "False";
    if (info.type == SettingType::Integer16 || info.type == SettingType::Integer32) text = "0";
  }
  texts["LineDelimiter"] = " ";
  texts["LineIncrement"] = "1";
  texts["CodeBodyStart"] = "' ---- Code Body Starts ---- ";
  texts["CodeBodyEnd"] = "' ---- Code Body Ends ----";
  texts["TemplatePath"] = program_folder + "Templates/";
  texts["BackupDirectory"] = program_folder;
  return texts;
}

TEST(EngineSettings, StoresEverySettingUnderItsRegistryNameInLoadOrder) {
  const std::vector<std::string> expected = {
      "BodyCode", "Numbering", "Ignore Small Functions", "Minimum Lines", "Build Project", "Replace Body Handlers",
      "Header After Comments", "Insert Into", "Line Incrementor", "Line Delimiter", "Show Builder Dialog",
      "Number DIMs", "Confirm Save", "Auto Exit", "Reset Lines", "Start Line", "Comment Template", "Backup Files",
      "Backup Extension", "Auto Rename", "Auto Prefix", "Delete Events", "Backup Directory", "Enabled", "Silent",
      "Dimensions", "Position", "Discard", "Save Interval", "AutoSave", "Ignore Existing", "Full Logging",
      "Full Logging Code", "Source Control", "VSS Comment", "Skip ReadOnly", "Default Template", "Template Path",
      "CodeBody Start", "CodeBody End", "Number Comment Lines", "Number Blank Lines"};
  std::vector<std::string> names;
  std::vector<std::string> copier_names;
  for (const SettingInfo& info : CGildex::StoredSettings()) {
    names.emplace_back(info.registry_name);
    if (info.key == kCopierKey) copier_names.emplace_back(info.property);
  }
  EXPECT_EQ(names, expected);
  EXPECT_EQ(copier_names,
            (std::vector<std::string>{"CopierEnabled", "CopierSilent", "CopierDimensions", "CopierPosition",
                                      "CopierDiscard"}));
}

TEST(EngineSettings, StartsWithNumberingOnAndEverythingElseEmpty) {
  EngineRig rig;
  CGildex& g = rig.gildex;
  EXPECT_TRUE(g.Numbering());
  EXPECT_FALSE(g.Cancel());
  EXPECT_FALSE(g.BodyCode());
  EXPECT_FALSE(g.UpdateMode());
  EXPECT_EQ(g.MinLines(), 0);
  EXPECT_EQ(g.SaveInterval(), 0);
  EXPECT_EQ(g.AutoSaveTimer(), 0);
  EXPECT_EQ(g.LineDelimiter(), "");
  EXPECT_EQ(g.HeaderCode(), "");
  EXPECT_EQ(g.FooterCode(), "");
  EXPECT_EQ(g.BackupExt(), "");
  EXPECT_TRUE(g.Prefixes().empty());
  EXPECT_EQ(rig.timers.Count(), 0u);
}

TEST(EngineSettings, FreshRegistryLoadsTheAbsentValues) {
  EngineRig rig;
  rig.gildex.LoadSettings();
  EXPECT_EQ(AllSettingTexts(rig.gildex), FreshTexts(rig.ProgramFolderText()));
  EXPECT_FALSE(rig.gildex.Numbering()) << "an absent value turns line numbering on";
  EXPECT_EQ(rig.timers.Count(), 0u);
  EXPECT_TRUE(rig.dialogs.Asked().empty());
}

TEST(EngineSettings, DamagedRegistryFileLoadsTheAbsentValuesAndIsKept) {
  platform::testing::TempDir temp;
  const std::filesystem::path file = temp / "registry.reg";
  const std::string damaged = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Nembus\\Gildex\\Options]\r\n\"BodyCode=\r\n";
  platform::testing::WriteBytes(file, damaged);
  EngineRig rig(file);
  EXPECT_FALSE(rig.registry.Warning().empty());
  rig.gildex.LoadSettings();
  EXPECT_EQ(AllSettingTexts(rig.gildex), FreshTexts(rig.ProgramFolderText()));
  EXPECT_EQ(platform::testing::ReadBytes(file), damaged);
}

TEST(EngineSettings, SaveThenLoadGivesBackEveryStoredValue) {
  platform::testing::TempDir temp;
  const std::filesystem::path file = temp / "registry.reg";
  const std::string backups = (temp / "backups").string() + "/";
  const std::map<std::string, std::string> values = {
      {"BodyCode", "True"}, {"Numbering", "True"}, {"IgnoreSmallFunctions", "True"}, {"MinLines", "4"},
      {"BuildProject", "True"}, {"ReplaceBodyHandlers", "True"}, {"HeaderAfterComments", "True"},
      {"InsertInto", "FUNCTION"}, {"LineIncrement", "10"}, {"LineDelimiter", ": "}, {"ShowBuilderDialog", "True"},
      {"NumberDims", "True"}, {"ConfirmSave", "True"}, {"AutoExit", "True"}, {"ResetLines", "True"},
      {"StartLine", "100"}, {"CommentTemplate", "'Name: %ProcName%\r\n'Date: %Date%"}, {"BackupFiles", "True"},
      {"BackupExt", "OLD"}, {"AutoRename", "True"}, {"AutoPrefix", "True"}, {"DeleteEvents", "True"},
      {"BackupDirectory", backups}, {"CopierEnabled", "True"}, {"CopierSilent", "True"},
      {"CopierDimensions", "True"}, {"CopierPosition", "True"}, {"CopierDiscard", "2"}, {"SaveInterval", "15"},
      {"AutoSave", "True"}, {"IgnoreExisting", "True"}, {"FullLogging", "True"},
      {"FullLoggingCode", "Debug.Print \"%PrevLine%\" 'gildexlog"}, {"SourceControl", "True"},
      {"VSSComment", "Gildex check-out"}, {"SkipReadOnly", "True"}, {"DefaultTemplate", "Standard"},
      {"TemplatePath", "/opt/gildex/Templates/"}, {"CodeBodyStart", "' >>> body"}, {"CodeBodyEnd", "' <<< body"},
      {"NumberCommentLines", "True"}, {"NumberBlankLines", "True"}};
  ASSERT_EQ(values.size(), CGildex::StoredSettings().size());
  {
    EngineRig writer(file);
    for (const auto& [name, text] : values) ASSERT_EQ(writer.gildex.SetSettingText(name, text), "") << name;
    writer.gildex.SaveSettings();
    EXPECT_EQ(writer.registry.Get(kOptions, "BodyCode")->data, "True");
    EXPECT_EQ(writer.registry.Get(kOptions, "Ignore Existing")->data, "True");
    EXPECT_EQ(writer.registry.Get(kOptions, "Minimum Lines")->data, "4");
    EXPECT_EQ(writer.registry.Get(kOptions, "Line Incrementor")->type, platform::RegType::String);
    EXPECT_EQ(writer.registry.Get(kCopier, "Discard")->data, "2");
    EXPECT_FALSE(writer.registry.Get(kOptions, "Discard").has_value());
  }
  EngineRig reader(file);
  ASSERT_EQ(reader.registry.Warning(), "");
  reader.gildex.LoadSettings();
  EXPECT_EQ(AllSettingTexts(reader.gildex), values);
  EXPECT_TRUE(reader.dialogs.Asked().empty());
}

TEST(EngineSettings, FalseBooleansAndDefaultMarkersRoundTrip) {
  EngineRig rig;
  rig.gildex.BodyCode(true);
  rig.gildex.SaveSettings();
  EXPECT_EQ(rig.registry.Get(kOptions, "Numbering")->data, "True");
  EXPECT_EQ(rig.registry.Get(kOptions, "AutoSave")->data, "False");
  EXPECT_EQ(rig.registry.Get(kOptions, "CodeBody Start")->data, "' ---- Code Body Starts ---- ");
  EXPECT_EQ(rig.registry.Get(kOptions, "CodeBody End")->data, "' ---- Code Body Ends ----");
  EXPECT_EQ(rig.registry.Get(kOptions, "Line Incrementor")->data, "1");
  rig.gildex.BodyCode(false);
  rig.gildex.Numbering(false);
  rig.gildex.SaveSettings();
  rig.gildex.BodyCode(true);
  rig.gildex.Numbering(true);
  rig.gildex.LoadSettings();
  EXPECT_FALSE(rig.gildex.BodyCode());
  EXPECT_FALSE(rig.gildex.Numbering());
}

struct LoadCase {
  std::string key;
  std::string value_name;
  std::string stored;
  std::string property;
  std::string reads;
};

void PrintTo(const LoadCase& c, std::ostream* out) { *out << (c.key == kCopier ? "Copier " : "") << '"' << c.value_name << "\"=\"" << c.stored << '"'; }

class EngineSettingsLoad : public ::testing::TestWithParam<LoadCase> {};

TEST_P(EngineSettingsLoad, ConvertsTheStoredText) {
  const LoadCase& c = GetParam();
  EngineRig rig;
  rig.registry.Set(c.key, c.value_name, platform::RegValue{platform::RegType::String, c.stored, 0});
  rig.gildex.LoadSettings();
  EXPECT_EQ(rig.gildex.GetSettingText(c.property), c.reads);
}

INSTANTIATE_TEST_SUITE_P(
    NumbersBooleansAndRawFields, EngineSettingsLoad,
    ::testing::Values(
        // Numbers take the numeric start of the text, rounded half to even.
        LoadCase{kOptions, "Minimum Lines", "12", "MinLines", "12"},
        LoadCase{kOptions, "Minimum Lines", "12abc", "MinLines", "12"},
        LoadCase{kOptions, "Minimum Lines", " 1 2", "MinLines", "12"},
        LoadCase{kOptions, "Minimum Lines", "2.5", "MinLines", "2"},
        LoadCase{kOptions, "Minimum Lines", "3.5", "MinLines", "4"},
        LoadCase{kOptions, "Minimum Lines", "&H10", "MinLines", "16"},
        LoadCase{kOptions, "Minimum Lines", "1E3", "MinLines", "1000"},
        LoadCase{kOptions, "Minimum Lines", "abc", "MinLines", "0"},
        LoadCase{kOptions, "Minimum Lines", "99999999999", "MinLines", "0"},
        // Loaded straight into the field: the accessor's rule does not run.
        LoadCase{kOptions, "Minimum Lines", "-3", "MinLines", "-3"},
        LoadCase{kOptions, "Start Line", "-10", "StartLine", "-10"},
        LoadCase{kOptions, "Line Incrementor", "70000", "LineIncrement", "1"},
        LoadCase{kOptions, "Line Incrementor", "0", "LineIncrement", "1"},
        LoadCase{kOptions, "Line Incrementor", "5", "LineIncrement", "5"},
        LoadCase{kCopier, "Discard", "3", "CopierDiscard", "3"},
        LoadCase{kOptions, "Template Path", "/srv/tpl", "TemplatePath", "/srv/tpl"},
        LoadCase{kOptions, "Line Delimiter", ":", "LineDelimiter", ":"},
        // Booleans: "True"/"False" in any case, numbers non-zero true, anything else false.
        LoadCase{kOptions, "BodyCode", "true", "BodyCode", "True"},
        LoadCase{kOptions, "BodyCode", "-1", "BodyCode", "True"},
        LoadCase{kOptions, "BodyCode", "yes", "BodyCode", "False"},
        LoadCase{kCopier, "Enabled", "True", "CopierEnabled", "True"},
        LoadCase{kOptions, "Enabled", "True", "CopierEnabled", "False"},
        // Markers go through their accessor: a blank one becomes the default.
        LoadCase{kOptions, "CodeBody Start", "' start", "CodeBodyStart", "' start"},
        LoadCase{kOptions, "CodeBody End", "' end", "CodeBodyEnd", "' end"}));

TEST(EngineSettings, LoadDoesNotCreateTheBackupDirectory) {
  EngineRig rig;
  const std::filesystem::path folder = rig.dir / "not-yet";
  rig.registry.Set(kOptions, "Backup Directory", platform::RegValue{platform::RegType::String, folder.string(), 0});
  rig.gildex.LoadSettings();
  EXPECT_FALSE(std::filesystem::exists(folder));
  EXPECT_EQ(rig.gildex.BackupDirectory(), folder.string() + "/");
}

TEST(EngineSettings, AccessorRules) {
  EngineRig rig;
  CGildex& g = rig.gildex;

  g.TemplatePath("/srv/templates");
  EXPECT_EQ(g.TemplatePath(), "/srv/templates/");
  g.TemplatePath("/srv/templates/");
  EXPECT_EQ(g.TemplatePath(), "/srv/templates/");
  g.TemplatePath("C:\\Gildex\\Templates\\");
  EXPECT_EQ(g.TemplatePath(), "C:\\Gildex\\Templates\\");
  g.TemplatePath("   ");
  EXPECT_EQ(g.TemplatePath(), rig.ProgramFolderText() + "Templates/");

  for (std::int16_t bad : {std::int16_t{0}, std::int16_t{-5}}) {
    g.LineIncrement(bad);
    EXPECT_EQ(g.LineIncrement(), 1);
  }
  g.LineIncrement(10);
  EXPECT_EQ(g.LineIncrement(), 10);

  g.MinLines(3);
  g.MinLines(-1);
  EXPECT_EQ(g.MinLines(), 3);
  g.MinLines(0);
  EXPECT_EQ(g.MinLines(), 0);

  g.BackupExt("");
  EXPECT_EQ(g.BackupExt(), "BAK");
  g.BackupExt("old");
  EXPECT_EQ(g.BackupExt(), "old");

  g.CodeBodyStart("  ");
  EXPECT_EQ(g.CodeBodyStart(), "' ---- Code Body Starts ---- ");
  g.CodeBodyEnd("");
  EXPECT_EQ(g.CodeBodyEnd(), "' ---- Code Body Ends ----");
  g.CodeBodyStart("'<<");
  EXPECT_EQ(g.CodeBodyStart(), "'<<");
  EXPECT_TRUE(rig.dialogs.Asked().empty());
}

TEST(EngineSettings, BackupDirectoryIsCreatedAndEndsWithASeparator) {
  EngineRig rig;
  const std::filesystem::path folder = rig.dir / "backups" / "vb";
  rig.gildex.BackupDirectory(folder.string());
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_EQ(rig.gildex.BackupDirectory(), folder.string() + "/");
}

TEST(EngineSettings, BackupDirectoryThatCannotBeCreatedIsRefusedAndTheOldOneKept) {
  EngineRig rig;
  const std::filesystem::path old_folder = rig.dir / "old";
  rig.gildex.BackupDirectory(old_folder.string());
  platform::testing::WriteBytes(rig.dir / "a-file", "x");
  const std::string bad = (rig.dir / "a-file" / "sub").string();
  EXPECT_THROW(rig.gildex.BackupDirectory(bad), VbError);
  EXPECT_EQ(rig.gildex.BackupDirectory(), old_folder.string() + "/");
  const std::string message = rig.gildex.SetSettingText("Backup Directory", bad);
  EXPECT_NE(message.find("BackupDirectory was not changed: Path not found"), std::string::npos) << message;
  EXPECT_EQ(rig.gildex.BackupDirectory(), old_folder.string() + "/");
}

TEST(EngineSettings, EmptyBackupDirectoryReadsAsTheActiveProjectFolder) {
  platform::testing::TempDir temp;
  std::filesystem::copy(std::filesystem::path(GILDEX_CORPUS_DIR) / "cd-database", temp / "cd-database");
  host::MemoryVBE vbe;
  const host::LoadResult loaded = host::Load(vbe, temp / "cd-database" / "CDs.vbp");
  ASSERT_TRUE(loaded.readable) << loaded.error;
  EngineRig rig({}, &vbe);
  EXPECT_EQ(rig.gildex.BackupDirectory(), (temp / "cd-database").string() + "/");

  EngineRig without_host;
  EXPECT_EQ(without_host.gildex.BackupDirectory(), without_host.ProgramFolderText());
}

TEST(EngineSettings, AutoSaveTimerTicksAfterTheIntervalAndStops) {
  EngineRig rig;
  int saves = 0;
  rig.gildex.SetAutoSaveHandler([&] { ++saves; });
  rig.gildex.SaveInterval(5);
  rig.gildex.AutoSave(true);
  const std::int32_t timer = rig.gildex.AutoSaveTimer();
  ASSERT_NE(timer, 0);
  EXPECT_EQ(rig.timers.PeriodOf(timer), 5 * 60000);

  rig.clock.AdvanceTicks(5 * 60000 - 1);
  rig.timers.ProcessDue();
  EXPECT_EQ(saves, 0);
  rig.clock.AdvanceTicks(1);
  rig.timers.ProcessDue();
  EXPECT_EQ(saves, 1);

  rig.gildex.AutoSave(true);  // restarts: one timer, never two
  EXPECT_EQ(rig.timers.Count(), 1u);
  rig.gildex.AutoSave(false);
  EXPECT_EQ(rig.gildex.AutoSaveTimer(), 0);
  EXPECT_EQ(rig.timers.Count(), 0u);
  rig.clock.AdvanceTicks(10 * 60000);
  rig.timers.ProcessDue();
  EXPECT_EQ(saves, 1);
}

TEST(EngineSettings, AutoSaveWithoutAnIntervalRunsNoTimer) {
  EngineRig rig;
  rig.gildex.SaveInterval(0);
  rig.gildex.AutoSave(true);
  EXPECT_TRUE(rig.gildex.AutoSave());
  EXPECT_EQ(rig.gildex.AutoSaveTimer(), 0);
  EXPECT_EQ(rig.timers.Count(), 0u);
}

TEST(EngineSettings, LoadStartsTheTimerWithTheLoadedInterval) {
  EngineRig rig;
  rig.registry.Set(kOptions, "AutoSave", platform::RegValue{platform::RegType::String, "True", 0});
  rig.registry.Set(kOptions, "Save Interval", platform::RegValue{platform::RegType::String, "2", 0});
  rig.gildex.LoadSettings();
  ASSERT_NE(rig.gildex.AutoSaveTimer(), 0);
  EXPECT_EQ(rig.timers.PeriodOf(rig.gildex.AutoSaveTimer()), 120000);
}

TEST(EngineSettings, AutoSaveIntervalTooLargeIsReportedAndStopsTheTimer) {
  EngineRig rig;
  rig.gildex.SaveInterval(10);
  rig.gildex.AutoSave(true);
  ASSERT_EQ(rig.timers.Count(), 1u);
  rig.gildex.SaveInterval(35792);  // 35792 minutes are more milliseconds than a Long holds
  rig.gildex.AutoSave(true);
  EXPECT_EQ(ReportedNames(rig.dialogs), std::vector<std::string>{"CGildex.AutoSave"});
  EXPECT_EQ(rig.dialogs.Asked()[0].prompt,
            "Error 6: \r\nOverflow\r\nOccurred at line 0in Gildex: CGildex.AutoSave");
  EXPECT_EQ(rig.gildex.AutoSaveTimer(), 0);
  EXPECT_EQ(rig.timers.Count(), 0u);

  rig.gildex.SaveInterval(35791);
  rig.gildex.AutoSave(true);
  EXPECT_EQ(rig.timers.Count(), 1u);
}

TEST(EngineSettings, DestroyingTheEngineStopsItsTimer) {
  EngineRig rig;
  {
    CGildex other(rig.services, rig.report, rig.tools);
    other.SaveInterval(1);
    other.AutoSave(true);
    EXPECT_EQ(rig.timers.Count(), 1u);
  }
  EXPECT_EQ(rig.timers.Count(), 0u);
  rig.clock.AdvanceTicks(60000);
  rig.timers.ProcessDue();
}

TEST(EngineSettings, SettingsAreFoundByEitherNameInAnyCase) {
  for (std::string_view name : {"MinLines", "minlines", "Minimum Lines", "MINIMUM LINES"}) {
    const SettingInfo* info = CGildex::FindSetting(name);
    ASSERT_NE(info, nullptr) << name;
    EXPECT_EQ(info->property, "MinLines");
    EXPECT_EQ(info->type, SettingType::Integer32);
  }
  EXPECT_EQ(CGildex::FindSetting("Cancel"), nullptr) << "not stored";
  EXPECT_EQ(CGildex::FindSetting("Minimum"), nullptr);
  EXPECT_EQ(CGildex::FindSetting("enabled")->property, "CopierEnabled");
}

TEST(EngineSettings, SetSettingTextRefusesAValueOfTheWrongType) {
  struct Case {
    std::string name, text, message;
  };
  const std::vector<Case> cases = {
      {"BodyCode", "yes", "BodyCode (\"BodyCode\") takes True or False, not \"yes\"."},
      {"Minimum Lines", "12abc",
       "MinLines (\"Minimum Lines\") takes a whole number from -2147483648 to 2147483647, not \"12abc\"."},
      {"minlines", "", "MinLines (\"Minimum Lines\") takes a whole number from -2147483648 to 2147483647, not \"\"."},
      {"LineIncrement", "40000",
       "LineIncrement (\"Line Incrementor\") takes a whole number from -32768 to 32767, not \"40000\"."},
      {"Discard", "1.5", "CopierDiscard (\"Discard\") takes a whole number from -32768 to 32767, not \"1.5\"."},
      {"Colour", "red", "There is no setting named \"Colour\"."},
  };
  EngineRig rig;
  const auto before = AllSettingTexts(rig.gildex);
  for (const Case& c : cases) EXPECT_EQ(rig.gildex.SetSettingText(c.name, c.text), c.message) << c.name;
  EXPECT_EQ(AllSettingTexts(rig.gildex), before);
  EXPECT_FALSE(rig.gildex.GetSettingText("Colour").has_value());
}

TEST(EngineSettings, SetSettingTextGoesThroughTheAccessorRules) {
  EngineRig rig;
  EXPECT_EQ(rig.gildex.SetSettingText("line incrementor", "-4"), "");
  EXPECT_EQ(rig.gildex.GetSettingText("LineIncrement"), "1");
  EXPECT_EQ(rig.gildex.SetSettingText("Template Path", "/srv/t"), "");
  EXPECT_EQ(rig.gildex.GetSettingText("TemplatePath"), "/srv/t/");
  EXPECT_EQ(rig.gildex.SetSettingText("BodyCode", "TRUE"), "");
  EXPECT_EQ(rig.gildex.GetSettingText("bodycode"), "True");
  EXPECT_EQ(rig.gildex.SetSettingText("StartLine", "+20"), "");
  EXPECT_EQ(rig.gildex.GetSettingText("Start Line"), "20");
}

}  // namespace
}  // namespace gildex
