#include "templates/update_templates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "host/project_loader.h"
#include "templates/template_folder_test.h"

namespace gildex {
namespace {

using testing::EngineRig;

using Window = testing::RecordingProgress;

// The sample project, with the shipped templates.
struct SampleRig {
  SampleRig() : rig({}, &vbe) {
    // Nothing is saved: the shipped sample itself is loaded.
    const host::LoadResult loaded = host::Load(vbe, std::filesystem::path(GILDEX_SOURCE_DIR) / "data/Sample/Orders.vbp");
    EXPECT_TRUE(loaded.readable) << loaded.error;
    rig.gildex.TemplatePath(testing::ShippedTemplates().string());
    rig.gildex.BodyCode(true);
    rig.gildex.Numbering(true);  // inverted: no numbering
  }
  std::map<std::string, std::string> Code() {
    std::map<std::string, std::string> code;
    host::VBProject& project = vbe.Project(1);
    for (int c = 1; c <= project.ComponentCount(); ++c) {
      host::CodeModule* module = project.Component(c).Code();
      if (module != nullptr && module->CountOfLines() > 0)
        code[project.Component(c).Name()] = module->Lines(1, module->CountOfLines());
    }
    return code;
  }
  host::MemoryVBE vbe;
  EngineRig rig;
};

// Each module but the skipped one gets the template's blocks in place of the old ones; a second
// run changes nothing more and leaves the engine's settings as they were; a failing component is
// reported and Ignore goes on with the next; with numbering on, updated modules are numbered.
TEST(UpdateProjectTemplates, ReplacesTheBlocksOfTheTemplateInEveryModuleExceptSkippedOnes) {
  SampleRig sample;
  CGildex& engine = sample.rig.gildex;
  const std::map<std::string, std::string> original = sample.Code();
  const FileSkipGate skip_globals = [&](host::VBComponent& component) { return component.Name() == "modGlobals"; };
  engine.DefaultTemplate("Raise");
  Window first;
  UpdateProjectTemplates(engine, sample.vbe, first, skip_globals, sample.rig.report);
  const std::map<std::string, std::string> once = sample.Code();
  EXPECT_EQ(once.at("modGlobals"), original.at("modGlobals"));
  EXPECT_NE(once.at("modErrors").find("' ---- Code Body Starts ----  (Raise)"), std::string::npos);
  EXPECT_EQ(first.messages.back(), "All project templates have been updated.");
  EXPECT_EQ(first.button_states, (std::vector<std::int16_t>{0, 1}));
  Window second;
  UpdateProjectTemplates(engine, sample.vbe, second, skip_globals, sample.rig.report);
  EXPECT_EQ(sample.Code(), once);
  EXPECT_FALSE(engine.UpdateMode());
  EXPECT_FALSE(engine.IgnoreExisting());
  EXPECT_EQ(engine.HeaderCode(), "On Error GoTo %ProcName%_ErrorHandler");
  EXPECT_TRUE(sample.rig.dialogs.Asked().empty());

  sample.rig.dialogs.Answer(platform::vbIgnore);
  int calls = 0;
  const FileSkipGate failing_first = [&](host::VBComponent&) -> bool {
    if (++calls == 1) throw VbError(70, "Permission denied");
    return false;
  };
  Window window;
  UpdateProjectTemplates(engine, sample.vbe, window, failing_first, sample.rig.report);
  EXPECT_EQ(testing::ReportedNames(sample.rig.dialogs), std::vector<std::string>{"AddIn.UpdateProjectTemplates"});
  EXPECT_EQ(window.button_states.back(), 1);
  EXPECT_EQ(calls, sample.vbe.Project(1).ComponentCount());
  EXPECT_FALSE(engine.UpdateMode());

  engine.Numbering(false);
  Window numbered;
  UpdateProjectTemplates(engine, sample.vbe, numbered, nullptr, sample.rig.report);
  EXPECT_NE(std::find(numbered.messages.begin(), numbered.messages.end(), "Adding line-numbers to modErrors, please wait..."),
            numbered.messages.end());
}

}  // namespace
}  // namespace gildex
