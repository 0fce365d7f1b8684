#include "templates/template_rules.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "templates/template_folder_test.h"

namespace gildex {
namespace {

using testing::EngineRig;
using testing::TemplateFolder;

TEST(TemplateRules, FindTemplateTakesTheExactNameElseTheOneThatDiffersInCaseOnly) {
  EngineRig rig;
  TemplateFolder folder(rig);
  const std::string path = folder.path.string() + "/";
  const struct {
    std::string name;
    std::optional<std::string> found;
    std::string problem;
    Remedy remedy = Remedy::None;
  } cases[] = {
      {"Fancy", std::nullopt, "there is no template \"Fancy\" in " + path, Remedy::ChooseTemplateFolder},
      {"quiet", "quiet", ""},
      {"Quiet", "Quiet", ""},
      {"standard", "Standard", ""},
      {"QUIET", std::nullopt, "\"QUIET\" could be any of the templates \"Quiet\" \"quiet\" in " + path +
                                  "; give the name exactly."},
      {"Fancy", std::nullopt,
       "there is no template \"Fancy\" in " + path + "; the templates there are: \"Quiet\" \"quiet\" \"Standard\"."},
      {"..", std::nullopt, "\"..\" is not a template name: a template name is a file name in the templates folder, "
                           "without \"..\"."},
      {"a\\b", std::nullopt, "\"a\\b\" is not a template name: a template name is a file name in the templates "
                            "folder, without /, \\ or :."},
      {"a\tb", std::nullopt, "\"a\tb\" is not a template name: it holds a control character"},
      {std::string(201, 'x'), std::nullopt, "\"" + std::string(60, 'x') + "...\" is not a template name: it is longer than 200"},
  };
  for (const auto& c : cases) {
    // The folder is empty for the first case only.
    if (&c == &cases[1])
      for (const char* name : {"Standard", "Quiet", "quiet"}) folder.Write(name, "On Error Resume Next\r\n", std::nullopt);
    Problem problem;
    EXPECT_EQ(FindTemplate(path, c.name, problem), c.found) << c.name;
    EXPECT_EQ(problem.what.substr(0, c.problem.size()), c.problem) << c.name;
    EXPECT_EQ(problem.remedy, c.remedy) << c.name;
  }
  // The stored default is checked by the same rules, and an insertion needs its files.
  EXPECT_EQ(TemplateChoiceProblem(rig.gildex).what, "no template is chosen");
  rig.gildex.DefaultTemplate("Gone");
  EXPECT_EQ(TemplateChoiceProblem(rig.gildex).what, "the template \"Gone\" is not in the templates folder");
  EXPECT_TRUE(TemplateChoiceProblem(rig.gildex, false).empty());
  rig.gildex.DefaultTemplate("a:b");
  const Problem stored = StoredTemplateProblem(rig.gildex);
  EXPECT_TRUE(stored.what.starts_with("the stored setting DefaultTemplate (\"Default Template\") is unusable: \"a:b\" is "
                                      "not"))
      << stored.what;
  EXPECT_EQ(stored.remedy, Remedy::RepairStoredTemplate);
}

}  // namespace
}  // namespace gildex
