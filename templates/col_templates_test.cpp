#include "templates/col_templates.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/nembus_common.h"
#include "templates/template_folder_test.h"

namespace gildex {
namespace {

// Every header file is a template, in folder order; a footer alone or another file is not, of
// two names differing only in letter case the first listed wins.
TEST(colTemplates, PopulateReadsEveryTemplateInFolderOrder) {
  testing::EngineRig rig;
  testing::TemplateFolder folder(rig);
  folder.Write("Standard", "DO NOT CHANGE THE NEXT 4 LINES\r\nStandard box\r\nabout\r\n\r\nOn Error GoTo X\r\n", "X:\r\n");
  folder.Write("Quiet", "On Error Resume Next\r\n", std::nullopt);
  folder.Write("QUIET", "b\r\n", std::nullopt);
  platform::testing::WriteBytes(folder.path / "Orphan.ftr", "x\r\n");
  platform::testing::WriteBytes(folder.path / "notes.txt", "x\r\n");
  colTemplates templates;
  templates.populate(rig.gildex);
  std::vector<std::string> expected, rows;
  bool quiet = false;
  for (const std::string& file : Files(folder.path, "*.hdr")) {
    if (file == "Standard.hdr") expected.push_back("Standard|Standard box|On Error GoTo X|X:");
    else if (!std::exchange(quiet, true)) expected.push_back(file == "Quiet.hdr" ? "Quiet||On Error Resume Next|" : "QUIET||b|");
  }
  for (const clsTemplate& t : templates) rows.push_back(t.TemplateName() + "|" + t.Title() + "|" + t.HeaderText() + "|" + t.FooterText());
  EXPECT_EQ(rows, expected);
  rig.gildex.TemplatePath((rig.dir.Path() / "missing").string());
  templates.populate(rig.gildex);
  EXPECT_EQ(templates.Count(), 2) << "a missing folder adds nothing";
  EXPECT_TRUE(rig.dialogs.Asked().empty());
}

}  // namespace
}  // namespace gildex
