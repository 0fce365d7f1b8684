#include "templates/template_tree.h"

#include <gtest/gtest.h>

#include <string>

#include "common/nembus_common.h"
#include "templates/template_folder_test.h"

namespace gildex {
namespace {

using testing::EngineRig;
using testing::TemplateFolder;

// The lines the tree shows for the templates in folder order, as `names` marks them.
std::string TemplateLines(const TemplateFolder& folder, const std::string& default_name) {
  std::string lines;
  for (const std::string& file : Files(folder.path, "*.hdr")) {
    const std::string name = file.substr(0, file.size() - 4);
    lines += "  " + name + (name == default_name ? " (default)" : "") + "\n";
  }
  return lines;
}

struct TreeCase {
  std::string what;
  std::string owner;
  std::string default_template;
  std::string expected_default_key;
  std::string expected_tail;
};

TEST(PopulateTree, ListsTemplatesMarksTheDefaultAndAddsTheCommentHeaderForOptions) {
  const std::vector<TreeCase> cases = {
      {"wizard with default", "frmWizard", "Raise", "Raise", ""},
      {"options with default", "frmOptions", "Raise", "Raise", "Comment Header\n"},
      {"default compared with letter case", "frmWizard", "raise", "", ""},
      {"default without a file", "frmOptions", "Gone", "", "Comment Header\n"},
      {"no default", "frmWizard", "", "", ""},
  };
  for (const TreeCase& c : cases) {
    EngineRig rig;
    TemplateFolder folder(rig);
    folder.Write("Standard", "a\r\n", "b\r\n");
    folder.Write("Raise", "a\r\n", "b\r\n");
    folder.Write("Logging", "a\r\n", std::nullopt);
    platform::testing::WriteBytes(folder.path / "FooterOnly.ftr", "b\r\n");
    rig.gildex.DefaultTemplate(c.default_template);
    TextTemplateTree tree(c.owner);
    tree.AddNode("", "stale", "left from before", "template");
    std::string default_key = "stale";
    PopulateTree(tree, rig.gildex, rig.report, default_key);
    EXPECT_EQ(tree.Render(), "Templates\n" + TemplateLines(folder, c.expected_default_key) + c.expected_tail)
        << c.what;
    EXPECT_EQ(default_key, c.expected_default_key) << c.what;
    EXPECT_EQ(tree.SelectedKey(), c.expected_default_key) << c.what;
    EXPECT_TRUE(rig.dialogs.Asked().empty()) << c.what;
  }
}

TEST(PopulateTree, EmptyFolderGivesOnlyTheRoot) {
  EngineRig rig;
  TemplateFolder folder(rig);
  TextTemplateTree tree("frmOptions");
  std::string default_key;
  PopulateTree(tree, rig.gildex, rig.report, default_key);
  EXPECT_EQ(tree.Render(), "Templates\nComment Header\n");
  ASSERT_EQ(tree.Nodes().size(), 2u);
  EXPECT_EQ(tree.Nodes()[0].key, "root");
  EXPECT_EQ(tree.Nodes()[0].image, "templates");
  EXPECT_TRUE(tree.Nodes()[0].expanded);
  EXPECT_EQ(tree.Nodes()[1].key, "CommentHeader@");
  EXPECT_EQ(tree.Nodes()[1].image, "header");
}

TEST(PopulateTree, NodesCarryKeyTextAndImage) {
  EngineRig rig;
  TemplateFolder folder(rig);
  folder.Write("Standard", "a\r\n", "b\r\n");
  folder.Write("Quiet", "a\r\n", "b\r\n");
  rig.gildex.DefaultTemplate("Standard");
  TextTemplateTree tree("frmWizard");
  std::string default_key;
  PopulateTree(tree, rig.gildex, rig.report, default_key);
  for (const TemplateTreeNode& node : tree.Nodes()) {
    if (node.key == "root") continue;
    EXPECT_EQ(node.parent_key, "root");
    EXPECT_EQ(node.text, node.key);
    EXPECT_EQ(node.image, node.key == "Standard" ? "default" : "template");
  }
}

// A template named like the root node cannot be added: the tree control refuses the key.
TEST(PopulateTree, TreeFailureIsReportedUnderPopulateTree) {
  EngineRig rig;
  TemplateFolder folder(rig);
  folder.Write("root", "a\r\n", "b\r\n");
  TextTemplateTree tree("frmWizard");
  std::string default_key;
  PopulateTree(tree, rig.gildex, rig.report, default_key);
  EXPECT_EQ(testing::ReportedNames(rig.dialogs), std::vector<std::string>{"AddIn.PopulateTree"});
}

}  // namespace
}  // namespace gildex
