#include "templates/template_tree.h"

#include <gtest/gtest.h>

#include <string>

#include "common/nembus_common.h"
#include "templates/template_folder_test.h"

namespace gildex {
namespace {

using testing::EngineRig;
using testing::TemplateFolder;

// The tree's text shows the expanded root, every template under it and the default marked.
TEST(PopulateTree, ListsTemplatesMarksTheDefaultAndAddsTheCommentHeaderForOptions) {
  const struct {
    std::string what, owner, default_template, expected_default_key, expected_tail;
    bool empty_folder = false;
  } cases[] = {
      {"wizard with default", "frmWizard", "Raise", "Raise", ""},
      {"options with default", "frmOptions", "Raise", "Raise", "Comment Header\n"},
      {"default compared with letter case", "frmWizard", "raise", "", ""},
      {"empty folder", "frmOptions", "Raise", "", "Comment Header\n", true},
  };
  for (const auto& c : cases) {
    EngineRig rig;
    TemplateFolder folder(rig);
    if (!c.empty_folder) {
      folder.Write("Standard", "a\r\n", "b\r\n");
      folder.Write("Raise", "a\r\n", "b\r\n");
      folder.Write("Logging", "a\r\n", std::nullopt);
      platform::testing::WriteBytes(folder.path / "FooterOnly.ftr", "b\r\n");
    }
    rig.gildex.DefaultTemplate(c.default_template);
    TextTemplateTree tree(c.owner);
    tree.AddNode("", "stale", "left from before", "template");
    std::string default_key = "stale";
    PopulateTree(tree, rig.gildex, rig.report, default_key);
    std::string lines = "Templates\n";
    for (const std::string& file : Files(folder.path, "*.hdr")) {
      const std::string name = file.substr(0, file.size() - 4);
      lines += "  " + name + (name == c.expected_default_key ? " (default)" : "") + "\n";
    }
    EXPECT_EQ(tree.Render(), lines + c.expected_tail) << c.what;
    EXPECT_EQ(default_key, c.expected_default_key) << c.what;
    EXPECT_EQ(tree.SelectedKey(), c.expected_default_key) << c.what;
    EXPECT_TRUE(rig.dialogs.Asked().empty()) << c.what;
  }
  // A template named like the root node: the tree control refuses the key.
  EngineRig rig;
  TemplateFolder(rig).Write("root", "a\r\n", "b\r\n");
  TextTemplateTree tree("frmWizard");
  std::string default_key;
  PopulateTree(tree, rig.gildex, rig.report, default_key);
  EXPECT_EQ(testing::ReportedNames(rig.dialogs), std::vector<std::string>{"AddIn.PopulateTree"});
}

}  // namespace
}  // namespace gildex
