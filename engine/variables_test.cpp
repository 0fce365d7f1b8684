#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine_rig_test.h"
#include "engine/gildex.h"
#include "host/memory_code_module.h"
#include "host/memory_vbe.h"
#include "host/project_loader.h"

namespace gildex {
namespace {

using testing::EngineRig;
using testing::ReportedNames;

// The rig's fixed clock shows Saturday 9 March 2024, 14:05:07; its user is "tester".
constexpr const char* kDate = "Saturday, March 09, 2024";
constexpr const char* kTime = "2:05:07 PM";

struct ExpandCase {
  std::string template_text;
  std::string previous_line;
  std::string expanded;
};

TEST(TemplateVariables, ExpandsEachPlaceholder) {
  const std::vector<ExpandCase> cases = {
      {"On Error Goto %ProcName%_ErrorHandler", "", "On Error Goto Load_ErrorHandler"},
      {"%sProcName%|%ProcName%", "", "Load|Load"},
      {"%sModule%.%ModuleName%", "", "modLoader.modLoader"},
      {"%Scope% %ProcType%", "", "Private FUNCTION"},
      {"[%FileName%][%SourceProject%][%ProjectName%]", "", "[][][]"},
      {"%AppName%", "", "Gildex"},
      {"' %Date% %Time%", "", std::string("' ") + kDate + " " + kTime},
      {"' by %User%", "", "' by TESTER"},
      // Placeholders are case-sensitive.
      {"%procname% %PROCNAME%", "", "%procname% %PROCNAME%"},
      // Header and footer blocks keep %PrevLine% for the logging pass.
      {"Log \"%PrevLine%\"", "", "Log \"%PrevLine%\""},
      {"Log \"%PrevLine%\" 'gildexlog", "x = 1", "Log \"x = 1\" 'gildexlog"},
      {"%PrevLine% / %PrevLine%", "Beep", "Beep / Beep"},
      {"Line one\r\n  %ProcName% two\r\n", "", "Line one\r\n  Load two\r\n"},
      {"", "", ""},
  };
  EngineRig rig;
  auto module = host::MemoryCodeModule::FromText("modLoader", "Private Function Load()\r\nEnd Function\r\n");
  for (const ExpandCase& c : cases) {
    EXPECT_EQ(rig.gildex.InsertUserVars(c.template_text, "Load", *module, nullptr, "FUNCTION", "Private",
                                        c.previous_line),
              c.expanded)
        << c.template_text;
  }
  EXPECT_TRUE(rig.dialogs.Asked().empty());
}

TEST(TemplateVariables, EnvironmentPlaceholders) {
  struct Case {
    std::string template_text;
    std::string expanded;
  };
  const std::vector<Case> cases = {
      {"%[TEMP]%", ""},
      {"dir=%[HOME]%;", "dir=/home/tester;"},
      {"%[HOME]% and %[HOME]%", "/home/tester and /home/tester"},
      {"a %[SHELL]%b", "a /bin/shb"},
      {"a %[HOME b", "a %[HOME b"},
      {"%[HOME]%%[", "/home/tester%["},
      {"%[NESTED]%", kDate},  // a value holding a later placeholder is expanded by the later step
      {"%[SHELL]% %[HOME]%", "/bin/sh /home/tester"},
      // The search goes on two characters past where the placeholder stood, so a value
      // shorter than its placeholder can hide the next one right behind it.
      {"%[HOME]% %[TEMP]% %[SHELL]%", "/home/tester  %[SHELL]%"},
      {"x ]% %[", "x ]% %["},
  };
  EngineRig rig;
  rig.env.Set("HOME", "/home/tester");
  rig.env.Set("SHELL", "/bin/sh");
  rig.env.Set("NESTED", "%Date%");
  auto module = host::MemoryCodeModule::FromText("modA", "Sub A()\r\nEnd Sub\r\n");
  for (const Case& c : cases)
    EXPECT_EQ(rig.gildex.InsertUserVars(c.template_text, "A", *module, nullptr, "SUB", "Public", ""), c.expanded)
        << c.template_text;

  rig.env.Set("TEMP", "/var/tmp");
  EXPECT_EQ(rig.gildex.InsertUserVars("T=%[TEMP]%.", "A", *module, nullptr, "SUB", "Public", ""), "T=/var/tmp.");
}

TEST(TemplateVariables, ProjectAndFileComeFromTheHost) {
  platform::testing::TempDir temp;
  std::filesystem::copy(std::filesystem::path(GILDEX_CORPUS_DIR) / "cd-database", temp / "cd-database");
  host::MemoryVBE vbe;
  const host::LoadResult loaded = host::Load(vbe, temp / "cd-database" / "CDs.vbp");
  ASSERT_TRUE(loaded.readable) << loaded.error;
  ASSERT_EQ(loaded.projects.size(), 1u);
  host::MemoryProject& project = *loaded.projects[0];
  host::VBComponent* component = project.FindComponent("modCDs");
  ASSERT_NE(component, nullptr);
  ASSERT_NE(component->Code(), nullptr);

  EngineRig rig({}, &vbe);
  const std::string expanded =
      rig.gildex.InsertUserVars("%sModule%|%FileName%|%SourceProject%|%ProjectName%", "Main", *component->Code(),
                                &project, "SUB", "Public", "");
  EXPECT_EQ(expanded, component->Name() + "|" + component->FileNames(1) + "|" + project.FileName() + "|" +
                          project.Name());
  EXPECT_NE(component->FileNames(1).find("modCDs.bas"), std::string::npos);
  EXPECT_NE(project.FileName().find("CDs.vbp"), std::string::npos);
}

TEST(TemplateVariables, FailureIsReportedAndGivesEmptyText) {
  EngineRig rig;
  rig.clock.Set(platform::LocalTime{2024, 3, 9, 25, 0, 0, 6});  // no such time of day
  auto module = host::MemoryCodeModule::FromText("modA", "Sub A()\r\nEnd Sub\r\n");
  EXPECT_EQ(rig.gildex.InsertUserVars("' %ProcName%", "A", *module, nullptr, "SUB", "Public", ""), "");
  EXPECT_EQ(ReportedNames(rig.dialogs), std::vector<std::string>{"CGildex.InsertUserVars"});
}

}  // namespace
}  // namespace gildex
