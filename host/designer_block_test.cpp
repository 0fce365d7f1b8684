#include "host/designer_block.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "host/corpus_test.h"
#include "host/source_file.h"
#include "platform/test_files.h"

namespace gildex::host {
namespace {

namespace fs = std::filesystem;

using platform::testing::ReadBytes;

SourceFile LoadCorpusFile(const std::string& relative) {
  std::vector<LoadProblem> problems;
  SourceFile file = ParseSourceFile(ReadBytes(testing::kCorpus / relative), relative, problems);
  EXPECT_TRUE(file.designer) << relative;
  return file;
}

void DescribeProperties(const std::vector<DesignerProperty>& properties, int depth, std::string& out) {
  for (const DesignerProperty& p : properties) {
    out += std::string(depth * 2, ' ') + p.name;
    if (p.is_group) {
      if (!p.group_guid.empty()) out += " " + p.group_guid;
      out += " @" + std::to_string(p.line) + "-" + std::to_string(p.end_line) + "\n";
      DescribeProperties(p.group, depth + 1, out);
      continue;
    }
    out += " = " + p.value;
    if (p.frx) out += " [" + std::string(p.frx->string_list ? "$" : "") + p.frx->file + ":" + std::to_string(p.frx->offset) + "]";
    out += " @" + std::to_string(p.line) + "\n";
  }
}

// The whole model as text, so a test compares all of it at once.
std::string Describe(const DesignerControl& control, int depth = 0) {
  std::string out = std::string(depth * 2, ' ') + control.prog_id + " " + control.name;
  if (control.index >= 0) out += "(" + std::to_string(control.index) + ")";
  out += " @" + std::to_string(control.begin_line) + "-" + std::to_string(control.end_line) + "\n";
  DescribeProperties(control.properties, depth + 1, out);
  for (const auto& child : control.children) out += Describe(*child, depth + 1);
  return out;
}

constexpr const char* kOrderForm =
    "VERSION 5.00\r\n"                                                // 1
    "Begin VB.Form frmOrders \r\n"                                    // 2
    "   Caption         =   \"Orders 'open'\"\r\n"                    // 3
    "   BeginProperty Font {0BE35203-8F91-11CE-9DE3-00AA004BB851} \r\n"  // 4
    "      Name            =   \"Tahoma\"\r\n"                        // 5
    "      Italic          =   0   'False\r\n"                        // 6
    "   EndProperty\r\n"                                              // 7
    "   Icon            =   \"frmOrders.frx\":0000\r\n"               // 8
    "   Begin VB.Frame fraTotals \r\n"                                // 9
    "      Caption         =   $\"frmOrders.frx\":00A6\r\n"           // 10
    "      Begin VB.CommandButton cmdPay \r\n"                        // 11
    "         Caption         =   \"Pay\"\r\n"                        // 12
    "         Index           =   1\r\n"                              // 13
    "      End\r\n"                                                   // 14
    "      Begin VB.CommandButton cmdPay \r\n"                        // 15
    "         Index           =   0\r\n"                              // 16
    "      End\r\n"                                                   // 17
    "   End\r\n"                                                      // 18
    "   Begin VB.Menu mnuFile \r\n"                                   // 19
    "      Caption         =   \"&File\"\r\n"                         // 20
    "   End\r\n"                                                      // 21
    "End\r\n"                                                         // 22
    "Attribute VB_Name = \"frmOrders\"\r\n";                          // 23

TEST(DesignerBlock, ReadsControlsPropertiesGroupsAndFrxReferences) {
  std::vector<RawLine> lines = SplitLines(kOrderForm);
  DesignerParse parse = ParseDesignerBlock(lines, 1);
  ASSERT_TRUE(parse.block) << parse.error;
  EXPECT_EQ(parse.end, 22u);
  EXPECT_EQ(Describe(*parse.block->root),
            "VB.Form frmOrders @2-22\n"
            "  Caption = \"Orders 'open'\" @3\n"
            "  Font {0BE35203-8F91-11CE-9DE3-00AA004BB851} @4-7\n"
            "    Name = \"Tahoma\" @5\n"
            "    Italic = 0 @6\n"
            "  Icon = \"frmOrders.frx\":0000 [frmOrders.frx:0] @8\n"
            "  VB.Frame fraTotals @9-18\n"
            "    Caption = $\"frmOrders.frx\":00A6 [$frmOrders.frx:166] @10\n"
            "    VB.CommandButton cmdPay(1) @11-14\n"
            "      Caption = \"Pay\" @12\n"
            "      Index = 1 @13\n"
            "    VB.CommandButton cmdPay(0) @15-17\n"
            "      Index = 0 @16\n"
            "  VB.Menu mnuFile @19-21\n"
            "    Caption = \"&File\" @20\n");

  std::vector<std::string> order;
  for (DesignerControl* control : parse.block->AllControls()) order.push_back(control->name + ":" + control->ClassName());
  EXPECT_EQ(order, (std::vector<std::string>{"fraTotals:Frame", "cmdPay:CommandButton", "cmdPay:CommandButton", "mnuFile:Menu"}));
  const DesignerControl& pay = *parse.block->AllControls()[1];
  ASSERT_NE(pay.container, nullptr);
  EXPECT_EQ(pay.container->name, "fraTotals");
  EXPECT_EQ(pay.container->container, parse.block->root.get());
  EXPECT_EQ(parse.block->root->container, nullptr);

  const DesignerControl& form = *parse.block->root;
  ASSERT_NE(form.Find("ICON"), nullptr);
  EXPECT_EQ(form.Find("icon")->value, "\"frmOrders.frx\":0000");
  ASSERT_NE(form.Find("font"), nullptr);
  EXPECT_TRUE(form.Find("font")->is_group);
  EXPECT_EQ(form.Find("Left"), nullptr);
}

TEST(DesignerBlock, ValueTextDropsBlanksAndCommentsButNotQuotedText) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"   -1  'True", "-1"},
      {"   \"Don't panic\"", "\"Don't panic\""},
      {"   \"say \"\"hi\"\"\" 'note", "\"say \"\"hi\"\"\""},
      {"   &H8000000F&", "&H8000000F&"},
      {"   ^N", "^N"},
      {"", ""},
      {"\t12 \t", "12"},
  };
  for (const auto& [input, expected] : cases) EXPECT_EQ(DesignerValueText(input), expected) << input;
}

TEST(DesignerBlock, FrxReferencesAreRecognisedOnlyInTheirOwnForm) {
  struct Case {
    std::string value;
    bool is_reference;
    std::string file;
    unsigned long offset;
    bool string_list;
  };
  const std::vector<Case> cases = {
      {"\"frmMain.frx\":0000", true, "frmMain.frx", 0, false},
      {"$\"frmMain.frx\":00A6", true, "frmMain.frx", 0xA6, true},
      {"\"PLOSCA.FRX\":1F2C3", true, "PLOSCA.FRX", 0x1F2C3, false},
      {"\"frmMain.frx\"", false, "", 0, false},
      {"\"frmMain.frx\":", false, "", 0, false},
      {"\"frmMain.frx\":00G0", false, "", 0, false},
      {"\"frmMain.frx\":123456789", false, "", 0, false},
      {"\"12:30\"", false, "", 0, false},
      {"$", false, "", 0, false},
  };
  for (const Case& c : cases) {
    std::optional<FrxReference> frx = ParseFrxReference(c.value);
    ASSERT_EQ(frx.has_value(), c.is_reference) << c.value;
    if (!frx) continue;
    EXPECT_EQ(frx->file, c.file);
    EXPECT_EQ(frx->offset, c.offset);
    EXPECT_EQ(frx->string_list, c.string_list);
  }
}

TEST(DesignerBlock, BrokenBlocksNameTheLineThatIsMissingItsEnd) {
  struct Case {
    const char* name;
    std::string text;
    long line;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"file cut inside a control",
       "Begin VB.Form frmMain\n   Caption = \"x\"\n   Begin VB.CommandButton cmdOK \n      Caption = \"OK\"\n", 3,
       "Begin VB.CommandButton cmdOK at line 3 has no End"},
      {"code right after an unclosed form",
       "Begin VB.Form frmMain\n   Caption = \"x\"\nAttribute VB_Name = \"frmMain\"\nOption Explicit\n", 1,
       "Begin VB.Form frmMain at line 1 has no End"},
      {"group never closed", "Begin VB.Form frmMain\n   BeginProperty Font\n      Size = 8\nEnd\n", 4,
       "End at line 4 does not close BeginProperty Font at line 2"},
      {"group cut at end of file", "Begin VB.Form frmMain\n   BeginProperty Font\n      Size = 8\n", 2,
       "BeginProperty Font at line 2 has no EndProperty"},
      {"EndProperty without group", "Begin VB.Form frmMain\n   Caption = \"x\"\n   EndProperty\nEnd\n", 3,
       "EndProperty at line 3 does not close Begin VB.Form frmMain at line 1"},
  };
  for (const Case& c : cases) {
    DesignerParse parse = ParseDesignerBlock(SplitLines(c.text), 0);
    EXPECT_FALSE(parse.block) << c.name;
    EXPECT_EQ(parse.error_line, c.line) << c.name;
    EXPECT_EQ(parse.error, c.error) << c.name;
  }
}

TEST(DesignerBlock, AbsurdNestingIsAnErrorNotACrash) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "Begin VB.Frame f" + std::to_string(i) + "\n";
  DesignerParse parse = ParseDesignerBlock(SplitLines(text), 0);
  EXPECT_FALSE(parse.block);
  EXPECT_NE(parse.error.find("nested too deeply"), std::string::npos) << parse.error;
}

TEST(DesignerBlock, BillingAppFormsHaveTheFontsFrxReferencesAndControlArraysCountedByHand) {
  GILDEX_SKIP_WITHOUT_CORPUS();
  int forms = 0, fonts = 0, frx = 0, string_lists = 0, array_members = 0;
  std::function<void(const std::vector<DesignerProperty>&)> count = [&](const std::vector<DesignerProperty>& properties) {
    for (const DesignerProperty& p : properties) {
      if (p.is_group && p.name == "Font") ++fonts;
      if (p.frx) ++frx;
      if (p.frx && p.frx->string_list) ++string_lists;
      count(p.group);
    }
  };
  for (const auto& entry : fs::recursive_directory_iterator(testing::kCorpus / "billing-app")) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".frm" && ext != ".ctl") continue;
    std::vector<LoadProblem> problems;
    SourceFile file = ParseSourceFile(ReadBytes(entry.path()), entry.path().string(), problems);
    ASSERT_TRUE(file.designer) << entry.path();
    ++forms;
    count(file.designer->root->properties);
    for (DesignerControl* control : file.designer->AllControls()) {
      count(control->properties);
      if (control->index >= 0) ++array_members;
    }
  }
  EXPECT_EQ(forms, 54);  // 53 forms and the UserControl
  EXPECT_EQ(fonts, 461);
  EXPECT_EQ(frx, 220);
  EXPECT_EQ(string_lists, 4);
  EXPECT_EQ(array_members, 67);
}

TEST(DesignerBlock, DeepNestingAndControlArrayOfTheEmployeesForm) {
  GILDEX_SKIP_WITHOUT_CORPUS();
  SourceFile file = LoadCorpusFile("billing-app/frmEmployees.frm");
  ASSERT_TRUE(file.designer);
  std::vector<DesignerControl*> controls = file.designer->AllControls();
  EXPECT_EQ(controls.size(), 118u);  // 119 Begin lines less the form's own

  std::vector<int> browse_indexes;
  const DesignerControl* text32 = nullptr;
  for (DesignerControl* control : controls) {
    if (control->name == "cmdBrowse") browse_indexes.push_back(control->index);
    if (control->name == "Text32") text32 = control;
  }
  EXPECT_EQ(browse_indexes, (std::vector<int>{3, 2, 1, 0}));

  ASSERT_NE(text32, nullptr);
  std::string chain;
  for (const DesignerControl* c = text32; c != nullptr; c = c->container) chain = c->ClassName() + " " + c->name + (chain.empty() ? "" : " > ") + chain;
  EXPECT_EQ(chain, "Form frmEmployees > SSTab SSTab1 > Frame Frame2 > Frame Frame3 > TextBox Text32");
  EXPECT_EQ(text32->begin_line, 622);
  EXPECT_EQ(text32->end_line, 641);
  const DesignerProperty* font = text32->Find("Font");
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->line, 625);
  EXPECT_EQ(font->end_line, 633);
  EXPECT_EQ(font->group.size(), 7u);
}

TEST(DesignerBlock, ImageListKeepsItsNestedListImageGroups) {
  GILDEX_SKIP_WITHOUT_CORPUS();
  SourceFile file = LoadCorpusFile("billing-app/MDIForm1.frm");
  ASSERT_TRUE(file.designer);
  const DesignerControl& images = *file.designer->root->children.at(0);
  EXPECT_EQ(images.prog_id, "MSComctlLib.ImageList");
  std::string text;
  DescribeProperties({*images.Find("Images")}, 0, text);
  EXPECT_EQ(text,
            "Images {2C247F25-8591-11D1-B16A-00C0F0283628} @23-33\n"
            "  NumListImages = 2 @24\n"
            "  ListImage1 {2C247F27-8591-11D1-B16A-00C0F0283628} @25-28\n"
            "    Picture = \"MDIForm1.frx\":0442 [MDIForm1.frx:1090] @26\n"
            "    Key = \"Vendor\" @27\n"
            "  ListImage2 {2C247F27-8591-11D1-B16A-00C0F0283628} @29-32\n"
            "    Picture = \"MDIForm1.frx\":0D1C [MDIForm1.frx:3356] @30\n"
            "    Key = \"UpdateStock\" @31\n");
}

TEST(DesignerBlock, DataEnvironmentDesignerIsReadWithItsGuidClass) {
  GILDEX_SKIP_WITHOUT_CORPUS();
  SourceFile file = LoadCorpusFile("video-rental/DataEnvironment1.Dsr");
  ASSERT_TRUE(file.designer);
  const DesignerControl& root = *file.designer->root;
  EXPECT_EQ(root.prog_id, "{C0E45035-5775-11D0-B388-00A0C9055D8E}");
  EXPECT_EQ(root.name, "DataEnvironment1");
  EXPECT_EQ(root.begin_line, 2);
  EXPECT_EQ(root.end_line, 341);
  EXPECT_TRUE(root.children.empty());
  const DesignerProperty* connection = root.Find("Connection1");
  ASSERT_NE(connection, nullptr);
  ASSERT_TRUE(connection->is_group);
  // Names of 16 characters and more are written without a blank before "=".
  EXPECT_EQ(connection->group.at(3).name, "ConnectionSource");
  EXPECT_EQ(connection->group.at(3).value,
            "\"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\omaremno\\video.mdb;Persist Security Info=False\"");
  EXPECT_EQ(root.Find("NumRecordsets")->value, "3");
  ASSERT_NE(root.Find("Recordset1"), nullptr);
  int fields = 0;
  for (const DesignerProperty& p : root.Find("Recordset1")->group) fields += p.is_group ? 1 : 0;
  EXPECT_EQ(fields, 18);
}

}  // namespace
}  // namespace gildex::host
