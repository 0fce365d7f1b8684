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

class RecordingWindow : public NullProgress {
 public:
  void SetMessageText(const std::string& text) override { events.push_back("message: " + text); }
  void Show() override { events.push_back("show"); }
  void ButtonState(std::int16_t state) override { events.push_back("button: " + std::to_string(state)); }
  bool Saw(const std::string& event) const { return std::find(events.begin(), events.end(), event) != events.end(); }
  std::vector<std::string> events;
};

// A copy of the sample project, with the shipped templates.
struct SampleRig {
  SampleRig() : rig({}, &vbe) {
    std::filesystem::copy(std::filesystem::path(GILDEX_SOURCE_DIR) / "data/Sample", copy.Path() / "Sample");
    const host::LoadResult loaded = host::Load(vbe, copy.Path() / "Sample/Orders.vbp");
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
  platform::testing::TempDir copy;
  host::MemoryVBE vbe;
  EngineRig rig;
};

TEST(UpdateProjectTemplates, ReplacesTheBlocksOfTheTemplateInEveryModuleExceptSkippedOnes) {
  SampleRig sample;
  CGildex& engine = sample.rig.gildex;
  const std::map<std::string, std::string> original = sample.Code();
  int gated = 0;
  const FileSkipGate skip_globals = [&](host::VBComponent& component) {
    ++gated;
    return component.Name() == "modGlobals";
  };
  engine.DefaultTemplate("Raise");
  RecordingWindow first;
  UpdateProjectTemplates(engine, sample.vbe, first, skip_globals, sample.rig.report);
  const std::map<std::string, std::string> once = sample.Code();
  EXPECT_EQ(once.at("modGlobals"), original.at("modGlobals"));
  EXPECT_NE(once.at("modErrors").find("' ---- Code Body Starts ----  (Raise)"), std::string::npos);
  EXPECT_EQ(std::vector<std::string>(first.events.begin(), first.events.begin() + 3),
            (std::vector<std::string>{"message: Updating Templates, please wait...", "show", "button: 0"}));
  EXPECT_EQ(std::vector<std::string>(first.events.end() - 2, first.events.end()),
            (std::vector<std::string>{"message: All project templates have been updated.", "button: 1"}));
  EXPECT_TRUE(first.Saw("message: Updating modErrors."));
  EXPECT_FALSE(first.Saw("message: Updating modGlobals."));
  EXPECT_EQ(gated, sample.vbe.Project(1).ComponentCount());
  // Again: the same blocks replace the old ones, and the engine is left as it was.
  RecordingWindow second;
  UpdateProjectTemplates(engine, sample.vbe, second, skip_globals, sample.rig.report);
  EXPECT_EQ(sample.Code(), once);
  EXPECT_FALSE(engine.UpdateMode());
  EXPECT_FALSE(engine.IgnoreExisting());
  EXPECT_EQ(engine.HeaderCode(), "On Error GoTo %ProcName%_ErrorHandler");
  EXPECT_TRUE(sample.rig.dialogs.Asked().empty());
  // A failing component is reported; Ignore goes on with the next.
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
