#include "templates/col_templates.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/nembus_common.h"
#include "templates/template_folder_test.h"

namespace gildex {
namespace {

using testing::EngineRig;
using testing::ReportedNames;
using testing::TemplateFolder;

struct Row {
  std::string name, title, header, footer, line2;
  bool operator==(const Row&) const = default;
};

std::vector<Row> Rows(const colTemplates& templates) {
  std::vector<Row> rows;
  for (const clsTemplate& t : templates)
    rows.push_back({t.TemplateName(), t.Title(), t.HeaderText(), t.FooterText(), t.PreambleLine2()});
  return rows;
}

TEST(colTemplates, PopulateReadsEveryTemplateInFolderOrder) {
  EngineRig rig;
  TemplateFolder folder(rig);
  folder.Write("Standard", "DO NOT CHANGE THE NEXT 4 LINES\r\nStandard box\r\nabout\r\n\r\nOn Error GoTo %ProcName%_ErrorHandler\r\n",
               "%ProcName%_ErrorHandler:\r\n    Resume Next\r\n");
  folder.Write("Quiet", "On Error Resume Next\r\n", std::nullopt);
  platform::testing::WriteBytes(folder.path / "Orphan.ftr", "x\r\n");
  colTemplates templates(rig.report);
  templates.populate(rig.gildex);

  std::vector<Row> expected;
  for (const std::string& file : Files(folder.path, "*.hdr")) {
    if (file == "Standard.hdr")
      expected.push_back({"Standard", "Standard box", "On Error GoTo %ProcName%_ErrorHandler",
                          "%ProcName%_ErrorHandler:\r\n    Resume Next", "about"});
    else
      expected.push_back({"Quiet", "", "On Error Resume Next", "", ""});
  }
  EXPECT_EQ(Rows(templates), expected);
  EXPECT_EQ(templates.Count(), 2);
  EXPECT_EQ(templates.Item("standard")->Title(), "Standard box");
  EXPECT_TRUE(rig.dialogs.Asked().empty());
}

TEST(colTemplates, PopulateOfAnEmptyOrMissingFolderAddsNothing) {
  EngineRig rig;
  TemplateFolder folder(rig);
  colTemplates templates(rig.report);
  templates.populate(rig.gildex);
  rig.gildex.TemplatePath((rig.dir.Path() / "missing").string());
  templates.populate(rig.gildex);
  EXPECT_EQ(templates.Count(), 0);
  EXPECT_TRUE(rig.dialogs.Asked().empty());
}

TEST(colTemplates, NamesDifferingOnlyInCaseKeepTheFirstListedSilently) {
  EngineRig rig;
  TemplateFolder folder(rig);
  folder.Write("Std", "a\r\n", std::nullopt);
  folder.Write("STD", "b\r\n", std::nullopt);
  colTemplates templates(rig.report);
  templates.populate(rig.gildex);
  EXPECT_EQ(templates.Count(), 1);
  EXPECT_TRUE(rig.dialogs.Asked().empty());
}

TEST(colTemplates, KeyedAndIndexedAccessAsABasicCollection) {
  EngineRig rig;
  colTemplates templates(rig.report);
  clsTemplate a, b, c;
  a.TemplateName("A");
  b.TemplateName("B");
  c.TemplateName("C");
  clsTemplate* added = templates.Add(a, "A");
  ASSERT_NE(added, nullptr);
  added->Title("changed through the returned record");
  templates.Add(b, "");
  templates.Add(c, "C");
  EXPECT_EQ(templates.Count(), 3);
  EXPECT_EQ(templates.Item(1)->Title(), "changed through the returned record");
  EXPECT_EQ(templates.Item(2)->TemplateName(), "B");
  EXPECT_EQ(templates.Item("c")->TemplateName(), "C");
  templates.Remove("a");
  EXPECT_EQ(templates.Item(1)->TemplateName(), "B");
  templates.Remove(1);
  EXPECT_EQ(templates.Count(), 1);
  EXPECT_TRUE(rig.dialogs.Asked().empty());
}

TEST(colTemplates, BadKeysAndIndicesAreReportedUnderTheirOperation) {
  EngineRig rig;
  colTemplates templates(rig.report);
  clsTemplate a;
  templates.Add(a, "A");
  EXPECT_EQ(templates.Add(a, "a"), nullptr);
  EXPECT_EQ(templates.Item(0), nullptr);
  EXPECT_EQ(templates.Item(2), nullptr);
  EXPECT_EQ(templates.Item("B"), nullptr);
  templates.Remove("B");
  templates.Remove(5);
  EXPECT_EQ(templates.Count(), 1);
  EXPECT_EQ(ReportedNames(rig.dialogs),
            (std::vector<std::string>{"colTemplates.Add", "colTemplates.Item", "colTemplates.Item", "colTemplates.Item",
                                      "colTemplates.Remove", "colTemplates.Remove"}));
  EXPECT_EQ(rig.dialogs.Asked()[0].prompt,
            "Error 457: \r\nThis key is already associated with an element of this collection\r\nOccurred at line 0in "
            "Gildex: colTemplates.Add");
}

}  // namespace
}  // namespace gildex
