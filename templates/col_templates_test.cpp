#include "templates/col_templates.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/nembus_common.h"
#include "templates/template_folder_test.h"

namespace gildex {
namespace {

using testing::EngineRig;
using testing::TemplateFolder;

std::vector<std::string> Rows(const colTemplates& templates) {
  std::vector<std::string> rows;
  for (const clsTemplate& t : templates)
    rows.push_back(t.TemplateName() + "|" + t.Title() + "|" + t.HeaderText() + "|" + t.FooterText());
  return rows;
}

// Every header file is a template, in folder order; a footer alone or another file is not, and
// of two names differing only in letter case the first listed wins silently.
TEST(colTemplates, PopulateReadsEveryTemplateInFolderOrder) {
  EngineRig rig;
  TemplateFolder folder(rig);
  colTemplates templates;
  templates.populate(rig.gildex);
  EXPECT_EQ(templates.Count(), 0);
  folder.Write("Standard", "DO NOT CHANGE THE NEXT 4 LINES\r\nStandard box\r\nabout\r\n\r\nOn Error GoTo X\r\n",
               "X:\r\n    Resume Next\r\n");
  folder.Write("Quiet", "On Error Resume Next\r\n", std::nullopt);
  folder.Write("QUIET", "b\r\n", std::nullopt);
  platform::testing::WriteBytes(folder.path / "Orphan.ftr", "x\r\n");
  platform::testing::WriteBytes(folder.path / "notes.txt", "x\r\n");
  templates.populate(rig.gildex);
  std::vector<std::string> expected;
  bool quiet = false;
  for (const std::string& file : Files(folder.path, "*.hdr")) {
    if (file == "Standard.hdr") expected.push_back("Standard|Standard box|On Error GoTo X|X:\r\n    Resume Next");
    else if (!quiet) expected.push_back(file == "Quiet.hdr" ? "Quiet||On Error Resume Next|" : "QUIET||b|");
    quiet |= file != "Standard.hdr";
  }
  EXPECT_EQ(Rows(templates), expected);
  rig.gildex.TemplatePath((rig.dir.Path() / "missing").string());
  templates.populate(rig.gildex);
  EXPECT_EQ(templates.Count(), 2);
  EXPECT_TRUE(rig.dialogs.Asked().empty());
}

}  // namespace
}  // namespace gildex
