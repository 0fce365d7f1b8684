#include "templates/update_templates.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "host/project_loader.h"
#include "templates/template_folder_test.h"

namespace gildex {
namespace {

using testing::EngineRig;

class RecordingWindow : public NullProgress {
 public:
  void SetMessageText(const std::string& text) override { events.push_back("message: " + text); }
  void Show() override { events.push_back("show"); }
  void ButtonState(std::int16_t state) override { events.push_back("button: " + std::to_string(state)); }
  std::vector<std::string> events;
};

std::map<std::string, std::string> CodeOfEveryComponent(host::VBE& vbe) {
  std::map<std::string, std::string> code;
  for (int p = 1; p <= vbe.ProjectCount(); ++p) {
    host::VBProject& project = vbe.Project(p);
    for (int c = 1; c <= project.ComponentCount(); ++c) {
      host::CodeModule* module = project.Component(c).Code();
      if (module != nullptr && module->CountOfLines() > 0)
        code[project.Component(c).Name()] = module->Lines(1, module->CountOfLines());
    }
  }
  return code;
}

struct SampleRig {
  SampleRig() : rig({}, &vbe) {
    std::filesystem::copy(std::filesystem::path(GILDEX_SOURCE_DIR) / "data/Sample", copy.Path() / "Sample");
    const host::LoadResult loaded = host::Load(vbe, copy.Path() / "Sample/Orders.vbp");
    EXPECT_TRUE(loaded.readable) << loaded.error;
    rig.gildex.TemplatePath(testing::ShippedTemplates().string());
    rig.gildex.BodyCode(true);
    rig.gildex.Numbering(true);  // inverted: no numbering
  }
  platform::testing::TempDir copy;
  host::MemoryVBE vbe;
  EngineRig rig;
};

TEST(UpdateProjectTemplates, ReplacesTheBlocksOfTheTemplateInEveryModuleExceptSkippedOnes) {
  SampleRig sample;
  CGildex& engine = sample.rig.gildex;
  const std::map<std::string, std::string> original = CodeOfEveryComponent(sample.vbe);
  std::vector<std::string> gated;
  const FileSkipGate skip_globals = [&](host::VBComponent& component) {
    gated.push_back(component.Name());
    return component.Name() == "modGlobals";
  };

  engine.DefaultTemplate("Raise");
  RecordingWindow first;
  UpdateProjectTemplates(engine, sample.vbe, first, skip_globals, sample.rig.report);
  const std::map<std::string, std::string> once = CodeOfEveryComponent(sample.vbe);
  EXPECT_EQ(once.at("modGlobals"), original.at("modGlobals"));
  EXPECT_NE(once.at("modErrors"), original.at("modErrors"));
  EXPECT_NE(once.at("modErrors").find("' ---- Code Body Starts ----  (Raise)"), std::string::npos);
  EXPECT_EQ(first.events.front(), "message: Updating Templates, please wait...");
  EXPECT_EQ(first.events[1], "show");
  EXPECT_EQ(first.events[2], "button: 0");
  EXPECT_EQ(first.events[first.events.size() - 2], "message: All project templates have been updated.");
  EXPECT_EQ(first.events.back(), "button: 1");
  EXPECT_NE(std::find(first.events.begin(), first.events.end(), "message: Updating modErrors."), first.events.end());
  EXPECT_EQ(std::find(first.events.begin(), first.events.end(), "message: Updating modGlobals."), first.events.end());
  EXPECT_EQ(gated.size(), static_cast<std::size_t>(sample.vbe.Project(1).ComponentCount()));

  // Applying it again puts the same blocks back in place of the old ones.
  RecordingWindow second;
  UpdateProjectTemplates(engine, sample.vbe, second, skip_globals, sample.rig.report);
  EXPECT_EQ(CodeOfEveryComponent(sample.vbe), once);
  EXPECT_FALSE(engine.UpdateMode());
  EXPECT_FALSE(engine.IgnoreExisting());
  EXPECT_EQ(engine.HeaderCode(), "On Error GoTo %ProcName%_ErrorHandler");
  EXPECT_TRUE(sample.rig.dialogs.Asked().empty());
}

TEST(UpdateProjectTemplates, NumbersModulesWhenInsertionNumbers) {
  SampleRig sample;
  CGildex& engine = sample.rig.gildex;
  engine.DefaultTemplate("Standard");
  engine.Numbering(false);
  engine.IgnoreExisting(false);
  RecordingWindow window;
  UpdateProjectTemplates(engine, sample.vbe, window, nullptr, sample.rig.report);
  EXPECT_NE(std::find(window.events.begin(), window.events.end(),
                      "message: Adding line-numbers to modErrors, please wait..."),
            window.events.end());
  EXPECT_FALSE(engine.IgnoreExisting());
  EXPECT_FALSE(engine.UpdateMode());
}

// A failing component is reported; Ignore goes on with the next and the engine is left as it was.
TEST(UpdateProjectTemplates, FailureIsReportedAndTheEngineRestored) {
  SampleRig sample;
  CGildex& engine = sample.rig.gildex;
  engine.DefaultTemplate("Raise");
  sample.rig.dialogs.Answer(platform::vbIgnore);
  int calls = 0;
  const FileSkipGate failing_first = [&](host::VBComponent&) -> bool {
    if (++calls == 1) throw VbError(70, "Permission denied");
    return false;
  };
  RecordingWindow window;
  UpdateProjectTemplates(engine, sample.vbe, window, failing_first, sample.rig.report);
  EXPECT_EQ(testing::ReportedNames(sample.rig.dialogs), std::vector<std::string>{"AddIn.UpdateProjectTemplates"});
  EXPECT_EQ(window.events.back(), "button: 1");
  EXPECT_EQ(calls, sample.vbe.Project(1).ComponentCount());
  EXPECT_FALSE(engine.UpdateMode());
}

}  // namespace
}  // namespace gildex
