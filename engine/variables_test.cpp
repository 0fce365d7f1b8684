// Template variables as the header, footer and logging blocks use them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/engine_rig_test.h"
#include "engine/gildex.h"
#include "engine/template_line.h"
#include "host/memory_code_module.h"
#include "host/memory_vbe.h"
#include "host/project_loader.h"

namespace gildex {
namespace {

using testing::EngineRig;

TEST(TemplateVariables, ExpandsEachPlaceholder) {
  // The rig's fixed clock shows Saturday 9 March 2024, 14:05:07; its user is "tester".
  const struct {
    std::string text, previous_line, expanded;
  } cases[] = {
      {"On Error Goto %ProcName%_ErrorHandler", "", "On Error Goto Load_ErrorHandler"},
      {"%sProcName%|%sModule%.%ModuleName%", "", "Load|modLoader.modLoader"},
      {"%Scope% %ProcType%", "", "Private FUNCTION"},
      {"[%FileName%][%SourceProject%][%ProjectName%]", "", "[][][]"},  // no project
      {"%AppName% ' %Date% %Time% by %User%", "", "Gildex ' Saturday, March 09, 2024 2:05:07 PM by TESTER"},
      {"%procname% %PROCNAME%", "", "%procname% %PROCNAME%"},  // placeholders are case-sensitive
      // Header and footer blocks keep %PrevLine% for the logging pass.
      {"Log \"%PrevLine%\"", "", "Log \"%PrevLine%\""},
      {"%PrevLine% / %PrevLine%", "x = 1", "x = 1 / x = 1"},
      {"Line one\r\n  %ProcName% two\r\n", "", "Line one\r\n  Load two\r\n"},
      {"%[TEMP]%", "", ""},
      {"dir=%[HOME]%; %[HOME]%", "", "dir=/home/tester; /home/tester"},
      {"a %[HOME b", "", "a %[HOME b"},
      {"%[HOME]%%[", "", "/home/tester%["},
      {"%[NESTED]%", "", "Saturday, March 09, 2024"},  // a value holding a later placeholder is expanded by the later step
      // The search goes on two characters past where the placeholder stood, so a value
      // shorter than its placeholder can hide the next one right behind it.
      {"%[HOME]% %[TEMP]% %[SHELL]%", "", "/home/tester  %[SHELL]%"},
      {"%[SHELL]% %[HOME]%", "", "/bin/sh /home/tester"},
  };
  EngineRig rig;
  rig.env.Set("HOME", "/home/tester");
  rig.env.Set("SHELL", "/bin/sh");
  rig.env.Set("NESTED", "%Date%");
  auto module = host::MemoryCodeModule::FromText("modLoader", "Private Function Load()\r\nEnd Function\r\n");
  for (const auto& c : cases) {
    const std::string expanded =
        rig.gildex.InsertUserVars(c.text, "Load", *module, nullptr, "FUNCTION", "Private", c.previous_line);
    EXPECT_EQ(expanded, c.expanded) << c.text;
    if (c.text.find('\n') == std::string::npos) {
      EXPECT_TRUE(MatchesTemplateLine(c.text, expanded)) << c.text;
    }
  }
  EXPECT_TRUE(rig.dialogs.Asked().empty());
}

// Removal finds a block written without markers by its template's lines: each expanded line
// (every one of the table above too) matches the line it came from, letter case aside, and nothing else does.
TEST(TemplateVariables, AnExpandedLineMatchesItsTemplateLine) {
  const struct {
    std::string template_line, line;
    bool matches;
  } cases[] = {
      {"On Error GoTo %ProcName%_ErrorHandler", "on error goto Load_ErrorHandler", true},
      {"On Error GoTo %ProcName%_ErrorHandler", "On Error GoTo ErrHandler", false},
      {"On Error GoTo %ProcName%_ErrorHandler", "On Error GoTo Load_ErrorHandler ' mine", false},
      {"  Log \"%ModuleName%.%ProcName%\", Erl", "  Log \"modA\", Erl", false},
      {"%ProcName%", "", true},  // a variable alone stands for a whole line, empty too
      {"Dim i%, j%", "dim i%, j%", true},  // Basic's type suffix is no variable
      {"Dim i%, j%", "Dim iX, j%", false},
      {"%procname%", "Load", false},  // only the spellings that are replaced are variables
      {"x = 1", "x = 10", false},
  };
  for (const auto& c : cases) EXPECT_EQ(MatchesTemplateLine(c.template_line, c.line), c.matches) << c.template_line;
}

TEST(TemplateVariables, ProjectAndFileComeFromTheHost) {
  host::MemoryVBE vbe;
  const host::LoadResult loaded = host::Load(vbe, std::filesystem::path(GILDEX_SOURCE_DIR) / "data/Sample/Orders.vbp");
  ASSERT_TRUE(loaded.readable) << loaded.error;
  host::MemoryProject& project = *loaded.projects.at(0);
  host::VBComponent* component = project.FindComponent("modErrors");
  ASSERT_NE(component, nullptr);
  EngineRig rig({}, &vbe);
  EXPECT_EQ(rig.gildex.InsertUserVars("%sModule%|%FileName%|%SourceProject%|%ProjectName%", "Main", *component->Code(),
                                      &project, "SUB", "Public", ""),
            "modErrors|" + component->FileNames(1) + "|" + project.FileName() + "|" + project.Name());
  EXPECT_TRUE(component->FileNames(1).ends_with("modErrors.bas"));
  EXPECT_TRUE(project.FileName().ends_with("Orders.vbp"));
}

}  // namespace
}  // namespace gildex
