#include "host/designer_block.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <stdexcept>
#include <tuple>

#include "host/host_test.h"
#include "host/memory_vbe.h"
#include "host/project_loader.h"
#include "host/source_file.h"
#include "platform/test_files.h"

namespace gildex::host {
namespace {

namespace fs = std::filesystem;

using platform::testing::ReadBytes;
using platform::testing::TempDir;
using platform::testing::WriteBytes;
using testing::LineDiff;

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
    "   Begin MSComctlLib.ImageList imlIcons \r\n"                    // 19
    "      DefaultCursorType=   0\r\n"                                // 20: long names get no blank
    "      BeginProperty Images {2C247F25-8591-11D1-B16A-00C0F0283628} \r\n"  // 21
    "         NumListImages   =   1\r\n"                              // 22
    "         BeginProperty ListImage1 {2C247F27-8591-11D1-B16A-00C0F0283628} \r\n"  // 23
    "            Picture         =   \"frmOrders.frx\":0442\r\n"      // 24
    "         EndProperty\r\n"                                        // 25
    "      EndProperty\r\n"                                           // 26
    "   End\r\n"                                                      // 27
    "   Begin VB.Menu mnuFile \r\n"                                   // 28
    "      Caption         =   \"&File\"\r\n"                         // 29
    "   End\r\n"                                                      // 30
    "End\r\n"                                                         // 31
    "Attribute VB_Name = \"frmOrders\"\r\n";                          // 32

TEST(DesignerBlock, ReadsControlsPropertiesGroupsAndFrxReferences) {
  std::vector<RawLine> lines = SplitLines(kOrderForm);
  DesignerParse parse = ParseDesignerBlock(lines, 1);
  ASSERT_TRUE(parse.block) << parse.error;
  EXPECT_EQ(parse.end, 31u);
  EXPECT_EQ(Describe(*parse.block->root),
            "VB.Form frmOrders @2-31\n"
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
            "  MSComctlLib.ImageList imlIcons @19-27\n"
            "    DefaultCursorType = 0 @20\n"
            "    Images {2C247F25-8591-11D1-B16A-00C0F0283628} @21-26\n"
            "      NumListImages = 1 @22\n"
            "      ListImage1 {2C247F27-8591-11D1-B16A-00C0F0283628} @23-25\n"
            "        Picture = \"frmOrders.frx\":0442 [frmOrders.frx:1090] @24\n"
            "  VB.Menu mnuFile @28-30\n"
            "    Caption = \"&File\" @29\n");

  std::vector<std::string> order;  // every control in file order, in its container
  for (DesignerControl* control : parse.block->AllControls())
    order.push_back(control->name + ":" + control->ClassName() + " in " + control->container->name);
  EXPECT_EQ(order, (std::vector<std::string>{"fraTotals:Frame in frmOrders", "cmdPay:CommandButton in fraTotals",
                                             "cmdPay:CommandButton in fraTotals", "imlIcons:ImageList in frmOrders",
                                             "mnuFile:Menu in frmOrders"}));
  EXPECT_EQ(parse.block->root->container, nullptr);

  const DesignerControl& form = *parse.block->root;
  ASSERT_NE(form.Find("ICON"), nullptr);
  EXPECT_EQ(form.Find("icon")->value, "\"frmOrders.frx\":0000");
  ASSERT_NE(form.Find("font"), nullptr);
  EXPECT_TRUE(form.Find("font")->is_group);
  EXPECT_EQ(form.Find("Left"), nullptr);
}

TEST(DesignerBlock, ValuesAndFrxReferencesAreReadAsTheFileWritesThem) {
  const std::vector<std::pair<std::string, std::string>> values = {
      {"   -1  'True", "-1"},         {"   \"Don't panic\"", "\"Don't panic\""},
      {"   \"say \"\"hi\"\"\" 'note", "\"say \"\"hi\"\"\""}, {"   &H8000000F&", "&H8000000F&"},
      {"", ""},                      {"\t12 \t", "12"},
  };
  for (const auto& [input, expected] : values) EXPECT_EQ(DesignerValueText(input), expected) << input;
  // "" when the value is no reference; else file, offset and whether it is a string list.
  const std::vector<std::pair<std::string, std::string>> references = {
      {"$\"frmMain.frx\":00A6", "$frmMain.frx:166"}, {"\"PLOSCA.FRX\":1F2C3", "PLOSCA.FRX:127683"},
      {"\"frmMain.frx\"", ""},  {"\"frmMain.frx\":", ""}, {"\"frmMain.frx\":00G0", ""},
      {"\"frmMain.frx\":123456789", ""}, {"\"12:30\"", ""}, {"$", ""},
  };
  for (const auto& [value, expected] : references) {
    std::optional<FrxReference> frx = ParseFrxReference(value);
    EXPECT_EQ(frx ? (frx->string_list ? "$" : "") + frx->file + ":" + std::to_string(frx->offset) : "", expected) << value;
  }
}

TEST(DesignerBlock, BrokenBlocksNameTheLineThatIsMissingItsEnd) {
  struct Case { const char* name; std::string text; long line; std::string error; };
  std::string nested;
  for (int i = 0; i < 5000; ++i) nested += "Begin VB.Frame f" + std::to_string(i) + "\n";
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
      {"absurd nesting is an error, not a crash", nested, 202, "Begin VB.Frame f201 at line 202 is nested too deeply"},
  };
  for (const Case& c : cases) {
    DesignerParse parse = ParseDesignerBlock(SplitLines(c.text), 0);
    EXPECT_FALSE(parse.block) << c.name;
    EXPECT_EQ(parse.error_line, c.line) << c.name;
    EXPECT_EQ(parse.error, c.error) << c.name;
  }
}

// ---- edits through the object model ----

// A form of the sample project (the customer form unless named), with its .frx, loaded on its
// own from a scratch folder.
struct SampleForm {
  TempDir dir;
  MemoryVBE vbe;
  MemoryComponent* component = nullptr;
  MemoryDesigner* designer = nullptr;
  std::string disk;
  std::vector<std::string> events;
  // `bytes`: the form's file, which then has no .frx.
  explicit SampleForm(const std::string& form = "frmCustomer", const std::string& bytes = "") {
    const fs::path sample = fs::path(GILDEX_SOURCE_DIR) / "data/Sample";
    disk = bytes.empty() ? ReadBytes(sample / (form + ".frm")) : bytes;
    WriteBytes(dir / (form + ".frm"), disk);
    if (bytes.empty()) WriteBytes(dir / (form + ".frx"), ReadBytes(sample / (form + ".frx")));
    LoadResult loaded = Load(vbe, dir / (form + ".frm"));
    EXPECT_TRUE(loaded.problems.empty());
    component = loaded.projects.at(0)->Components().at(0);
    designer = static_cast<MemoryDesigner*>(component->GetDesigner());
    designer->ControlAdded.Connect([this](VBControl& c) { events.push_back("added " + c.Name()); });
    designer->ControlRemoved.Connect([this](VBControl& c) { events.push_back("removed " + c.Name()); });
    designer->ControlRenamed.Connect([this](VBControl& c, const std::string& old, int index) {
      events.push_back("renamed " + old + "(" + std::to_string(index) + ") " + c.Name());
    });
    component->Project().ComponentRenamed.Connect(
        [this](VBComponent& c, const std::string& old) { events.push_back("component " + old + " " + c.Name()); });
  }
  VBControl& Control(const std::string& name, int index = -1) {
    for (VBControl* control : designer->Controls())
      if (control->Name() == name && control->Index() == index) return *control;
    throw std::runtime_error("no control " + name);
  }
};

// Written and read again, the file gives the model the edits left, line numbers and all.
void ExpectRereadAsModel(const std::string& bytes, const DesignerControl& model) {
  std::vector<LoadProblem> problems;
  SourceFile reread = ParseSourceFile(bytes, "form.frm", problems);
  ASSERT_TRUE(reread.designer);
  EXPECT_EQ(Describe(*reread.designer->root), Describe(model));
}

// A property line as VB6 writes it: three blanks a level, the name padded to 16 characters.
std::string PropertyLine(int depth, const std::string& name, const std::string& value) {
  return std::string(3 * depth, ' ') + name + std::string(name.size() < 16 ? 16 - name.size() : 0, ' ') + "=   " + value;
}

// LineDiff's text for one property line changed at `line`.
std::string Changed(long line, int depth, const std::string& name, const std::string& from, const std::string& to) {
  const std::string at = "@" + std::to_string(line);
  return at + " -" + PropertyLine(depth, name, from) + "\n" + at + " +" + PropertyLine(depth, name, to) + "\n";
}

// LineDiff's text for a control added from `line` on: Begin, its properties, End.
std::string Added(long line, int depth, const std::string& control,
                  const std::vector<std::pair<std::string, std::string>>& properties) {
  const std::string indent(3 * depth, ' ');
  std::string diff = "@" + std::to_string(line++) + " +" + indent + "Begin " + control + " \n";
  for (const auto& [name, value] : properties) diff += "@" + std::to_string(line++) + " +" + PropertyLine(depth + 1, name, value) + "\n";
  return diff + "@" + std::to_string(line) + " +" + indent + "End\n";
}

// A control of default size at `left`, `top` with tab index `tab`, its caption (or text) first.
std::vector<std::pair<std::string, std::string>> Placed(const std::string& caption, const std::string& left,
                                                        const std::string& top, int tab, const std::string& index = "") {
  std::vector<std::pair<std::string, std::string>> properties = {{caption.substr(0, caption.find(' ')), caption.substr(caption.find(' ') + 1)},
                                                                  {"Height", "495"}};
  if (!index.empty()) properties.push_back({"Index", index});
  for (auto p : std::vector<std::pair<std::string, std::string>>{{"Left", left}, {"TabIndex", std::to_string(tab)}, {"Top", top}, {"Width", "1215"}})
    properties.push_back(p);
  return properties;
}

// The diff of a file whose lines `first` to `last` went before line `before` (numbers as
// read), `levels` nesting levels deeper (or shallower): a block moved in the z-order or into
// another container.
std::string MovedBlock(const std::string& text, long first, long last, long before, int levels = 0) {
  std::vector<RawLine> lines = SplitLines(text);
  std::vector<RawLine> block(lines.begin() + (first - 1), lines.begin() + last);
  for (RawLine& line : block) line.text = levels >= 0 ? std::string(3 * levels, ' ') + line.text : line.text.substr(-3 * levels);
  lines.insert(lines.begin() + (before - 1), block.begin(), block.end());
  const long from = before <= first ? first + (last - first + 1) : first;
  lines.erase(lines.begin() + (from - 1), lines.begin() + (from - 1) + (last - first + 1));
  return LineDiff(text, JoinLines(lines));
}

TEST(DesignerEdits, EachEditChangesOnlyItsLinesAndReloadsAsTheSameModel) {
  struct Case { std::string name; std::function<void(SampleForm&)> edit; std::string diff; std::vector<std::string> events; };
  const std::vector<Case> cases = {
      {"rename a control", [](SampleForm& f) { f.Control("cmdOK").SetName("cmdSave"); },
       "@44 -   Begin VB.CommandButton cmdOK \n@44 +   Begin VB.CommandButton cmdSave \n", {"renamed cmdOK(-1) cmdSave"}},
      {"rename the form: its component and VB_Name follow",
       [](SampleForm& f) {
         f.designer->Root().SetName("frmClient");
         EXPECT_EQ(f.component->Name(), "frmClient");
         EXPECT_EQ(f.component->Code()->Name(), "frmClient");
       },
       "@2 -Begin VB.Form frmCustomer \n@2 +Begin VB.Form frmClient \n"
       "@425 -Attribute VB_Name = \"frmCustomer\"\n@425 +Attribute VB_Name = \"frmClient\"\n",
       {"component frmCustomer frmClient"}},
      {"values as the file writes them: strings quoted, enumerated values with VB6's comment",
       [](SampleForm& f) {
         f.Control("cmdOK").FindProperty("caption")->SetValue("\"&Save\"");
         f.Control("lblName").SetPropertyValue("Caption", "Say \"hi\"");
         f.designer->Root().SetPropertyValue("BorderStyle", "1");
         f.designer->Root().SetPropertyValue("StartUpPosition", "2");
       },
       Changed(3, 1, "BorderStyle", "3  'Fixed Dialog", "1  'Fixed Single") +
           Changed(25, 1, "StartUpPosition", "1  'CenterOwner", "2  'CenterScreen") +
           Changed(45, 2, "Caption", "\"OK\"", "\"&Save\"") +
           Changed(391, 2, "Caption", "\"&Name:\"", "\"Say \"\"hi\"\"\""),
       {}},
      {"a property the file leaves out reads its default; a value back at its default loses its line, one already "
       "there writes nothing",
       [](SampleForm& f) {
         VBControl& zip = f.Control("txtZip");
         for (const auto& [control, property, value] : std::vector<std::tuple<VBControl*, std::string, std::string>>{
                  {&zip, "BackColor", "&H80000005&"}, {&zip, "Text", "\"\""}, {&zip, "BorderStyle", "1"},
                  {&f.Control("cmdOK"), "BackColor", "&H8000000F&"}, {&f.designer->Root(), "ScaleMode", "1"},
                  {&f.designer->Root(), "Picture", ""}})
           EXPECT_EQ(control->FindProperty(property)->Value(), value) << property;
         EXPECT_EQ(zip.FindProperty("SelText"), nullptr);
         zip.SetPropertyValue("MaxLength", "0");
         EXPECT_EQ(zip.FindProperty("MaxLength")->Value(), "0");
         f.Control("chkVip").SetPropertyValue("Caption", "");
         f.designer->Root().FindProperty("ShowInTaskbar")->SetValue("True");
         f.Control("txtCity").SetPropertyValue("Locked", "False");
         f.Control("txtCity").SetPropertyValue("BackColor", "&H80000005");
       },
       "@24 -" + PropertyLine(1, "ShowInTaskbar", "0   'False") + "\n@97 -" + PropertyLine(3, "Caption", "\"&VIP customer\"") +
           "\n@232 -" + PropertyLine(3, "MaxLength", "10") + "\n",
       {}},
      {"a text kept in the .frx replaced by plain text; the other references stay",
       [](SampleForm& f) { f.Control("lblInfo").SetPropertyValue("Caption", "Fill in the form"); },
       Changed(339, 2, "Caption", "$\"frmCustomer.frx\":03B8", "\"Fill in the form\""), {}},
      {"new properties go in name order, before a group that follows",
       [](SampleForm& f) {
         f.designer->Root().SetPropertyValue("KeyPreview", "-1");
         f.Control("cmdOK").SetPropertyValue("Enabled", "0");
         f.Control("cmdOK").SetPropertyValue("Style", "1");
       },
       "@19 +" + PropertyLine(1, "KeyPreview", "-1  'True") + "\n@48 +" + PropertyLine(2, "Enabled", "0   'False") + "\n@60 +" +
           PropertyLine(2, "Style", "1  'Graphical") + "\n",
       {}},
      {"a member of a group, by group.member",
       [](SampleForm& f) {
         f.Control("cmdOK").SetPropertyValue("Font.Size", "9.75");
         f.Control("cmdOK").FindProperty("font.name")->SetValue("Arial");
         EXPECT_EQ(f.Control("cmdOK").FindProperty("Font.Name")->Value(), "\"Arial\"");
       },
       "@48 -" + PropertyLine(3, "Name", "\"Tahoma\"") + "\n@49 -" + PropertyLine(3, "Size", "8.25") + "\n@48 +" +
           PropertyLine(3, "Name", "\"Arial\"") + "\n@49 +" + PropertyLine(3, "Size", "9.75") + "\n",
       {}},
      {"a command button in the middle of the form, next in the tab order; on VB6's default font it gets the whole "
       "Font group, in name order, once a member changes",
       [](SampleForm& f) {
         VBControl& added = f.designer->AddControl("VB.CommandButton");
         EXPECT_EQ(added.Container(), &f.designer->Root());
         EXPECT_EQ(f.designer->Controls().back(), &added);
         added.SetPropertyValue("Font.Size", "12");
         added.FindProperty("font.name")->SetValue("Arial");
         added.SetPropertyValue("Font.Italic", "-1");
       },
       [] {
         std::string diff = "@424 +   Begin VB.CommandButton Command1 \n@425 +" + PropertyLine(2, "Caption", "\"Command1\"") +
                            "\n@426 +      BeginProperty Font \n";
         long line = 427;
         for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
                  {"Name", "\"Arial\""}, {"Size", "12"}, {"Charset", "0"}, {"Weight", "400"}, {"Underline", "0   'False"},
                  {"Italic", "-1  'True"}, {"Strikethrough", "0   'False"}})
           diff += "@" + std::to_string(line++) + " +" + PropertyLine(3, name, value) + "\n";
         diff += "@434 +      EndProperty\n";
         line = 435;
         for (const auto& [name, value] : Placed("Caption -", "2700", "2812", 23))
           if (name != "Caption") diff += "@" + std::to_string(line++) + " +" + PropertyLine(2, name, value) + "\n";
         return diff + "@440 +   End\n";
       }(),
       {"added Command1"}},
      {"a text box inside a frame, centred in it",
       [](SampleForm& f) { f.designer->AddControl("textbox", &f.Control("fraAddress")); },
       Added(304, 2, "VB.TextBox Text1",
             {{"Height", "495"}, {"Left", "1500"}, {"TabIndex", "23"}, {"Text", "\"Text1\""}, {"Top", "592"}, {"Width", "1215"}}),
       {"added Text1"}},
      {"classes without a tab stop, a line, and the lowest free number",
       [](SampleForm& f) {
         f.designer->AddControl("Timer");
         f.designer->AddControl("Line");
         f.designer->AddControl("Label").SetName("Label3");
         f.designer->AddControl("Label");
       },
       Added(424, 1, "VB.Timer Timer1", {{"Left", "3307"}, {"Top", "3060"}}) +
           Added(428, 1, "VB.Line Line1", {{"X1", "2700"}, {"X2", "3915"}, {"Y1", "3060"}, {"Y2", "3060"}}) +
           Added(434, 1, "VB.Label Label3", Placed("Caption \"Label1\"", "2700", "2812", 23)) +
           Added(442, 1, "VB.Label Label1", Placed("Caption \"Label1\"", "2700", "2812", 24)),
       {"added Timer1", "added Line1", "added Label1", "renamed Label1(-1) Label3", "added Label1"}},
      {"remove a frame with the controls inside it: the tab indexes behind theirs close up",
       [](SampleForm& f) {
         VBControl& frame = f.Control("fraStatus");
         VBControl& vip = f.Control("chkVip");
         f.designer->Select({&vip, &f.Control("cmdOK")});
         f.designer->RemoveControl(frame);
         EXPECT_EQ(f.designer->Controls().size(), 18u);  // 23 less the frame and the 4 in it
         EXPECT_EQ(f.designer->SelectedVBControls(), std::vector<VBControl*>{&f.Control("cmdOK")});
         EXPECT_EQ(vip.FindProperty("Caption")->Value(), "\"&VIP customer\"");  // still readable, no longer changeable
         EXPECT_THROW(vip.SetName("chkGold"), HostError);
       },
       [&] {
         std::string diff = Changed(40, 2, "TabIndex", "20", "15") + Changed(58, 2, "TabIndex", "19", "14") +
                            Changed(76, 2, "TabIndex", "18", "13");
         const std::vector<RawLine> lines = SplitLines(ReadBytes(fs::path(GILDEX_SOURCE_DIR) / "data/Sample/frmCustomer.frm"));
         for (long n = 80; n <= 168; ++n) diff += "@" + std::to_string(n) + " -" + lines[n - 1].text + "\n";
         // Below the 89 lines taken out: lblInfo, lblNotes and lblTitle.
         for (const auto& [line, from, to] : {std::tuple{352, "22", "17"}, {369, "17", "12"}, {420, "21", "16"}})
           diff += "@" + std::to_string(line) + " -" + PropertyLine(2, "TabIndex", from) + "\n@" + std::to_string(line - 89) +
                   " +" + PropertyLine(2, "TabIndex", to) + "\n";
         return diff;
       }(),
       {"removed fraStatus"}},
      {"a new element of a control array: index first, then the array's name",
       [](SampleForm& f) {
         VBControl& option = f.designer->AddControl("OptionButton", &f.Control("fraStatus"));
         option.SetPropertyValue("Index", "3");
         option.SetName("optStatus");
         EXPECT_EQ(&f.Control("optStatus", 3), &option);
       },
       Added(168, 2, "VB.OptionButton optStatus", Placed("Caption \"Option1\"", "420", "592", 23, "3")),
       {"added Option1", "renamed Option1(3) optStatus"}},
      {"another index for an element; leaving an array under a new name",
       [](SampleForm& f) {
         f.Control("optStatus", 1).FindProperty("Index")->SetValue("7");
         Property& name = *f.Control("optStatus", 0).FindProperty("name");
         EXPECT_EQ(name.Value(), "optStatus");
         name.SetValue("optNone");
         EXPECT_EQ(name.Value(), "optNone");
       },
       Changed(143, 3, "Index", "1", "7") + "@149 -      Begin VB.OptionButton optStatus \n@149 +      Begin VB.OptionButton optNone \n",
       {"renamed optStatus(0) optNone"}},
      {"bring to front: the block goes after its siblings, its tab index stays; in front already, it stays",
       [](SampleForm& f) {
         f.Control("cmdCancel").ZOrder(0);
         f.Control("cmdCancel").ZOrder(0);
         f.Control("lblStreet").ZOrder(0);
         EXPECT_EQ(f.designer->Controls().back(), &f.Control("cmdCancel"));
       },
       MovedBlock(ReadBytes(fs::path(GILDEX_SOURCE_DIR) / "data/Sample/frmCustomer.frm"), 26, 43, 424), {}},
      {"send to back: the block goes before its siblings; at the back already, it stays",
       [](SampleForm& f) {
         f.Control("lblTitle").ZOrder(1);
         f.Control("chkVip").ZOrder(1);
         EXPECT_EQ(f.designer->Controls().front(), &f.Control("lblTitle"));
       },
       MovedBlock(ReadBytes(fs::path(GILDEX_SOURCE_DIR) / "data/Sample/frmCustomer.frm"), 407, 423, 26), {}},
      {"onto a frame: the block goes in front of the frame's controls, a level deeper",
       [](SampleForm& f) {
         VBControl& info = f.Control("lblInfo");
         info.SetContainer(f.Control("fraStatus"));
         EXPECT_EQ(info.Container(), &f.Control("fraStatus"));
         info.SetContainer(f.Control("fraStatus"));
       },
       MovedBlock(ReadBytes(fs::path(GILDEX_SOURCE_DIR) / "data/Sample/frmCustomer.frm"), 338, 355, 168, 1), {}},
      {"out of a frame onto the form: in front of the form's controls, a level shallower",
       [](SampleForm& f) { f.Control("chkVip").SetContainer(f.designer->Root()); },
       MovedBlock(ReadBytes(fs::path(GILDEX_SOURCE_DIR) / "data/Sample/frmCustomer.frm"), 96, 112, 424, -1), {}},
      {"a value set to itself, .frx references too, changes nothing",
       [](SampleForm& f) {
         for (VBControl* control : f.designer->Controls())
           for (int i = 1; i <= control->PropertyCount(); ++i)
             if (control->PropertyAt(i).Name() != "Font") control->PropertyAt(i).SetValue(control->PropertyAt(i).Value());
         f.Control("lblName").SetName("lblName");
         EXPECT_FALSE(f.component->IsDirty());
       },
       "", {}},
  };
  {
    SampleForm form;
    EXPECT_EQ(form.component->Serialize(), form.disk);
    EXPECT_EQ(form.designer->Controls().size(), 23u);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SampleForm form;
    c.edit(form);
    const std::string bytes = form.component->Serialize();
    EXPECT_EQ(LineDiff(form.disk, bytes), c.diff);
    EXPECT_EQ(form.events, c.events);
    EXPECT_EQ(form.component->IsDirty(), !c.diff.empty());
    // The diff is every line that changed, so the .frx references of the others, offsets and all, stay.
    ExpectRereadAsModel(bytes, form.designer->Root().Block());
  }
}

// A form with a frame, a picture box of its own scale, a line and a label, in twips.
constexpr const char* kScaledForm =
    "VERSION 5.00\r\nBegin VB.Form frmScale \r\n"
    "   ClientHeight    =   3000\r\n   ClientWidth     =   4500\r\n   ScaleHeight     =   3000\r\n   ScaleWidth      =   4500\r\n"
    "   Begin VB.Frame fraBox \r\n      Height          =   1500\r\n      Left            =   300\r\n"
    "      TabIndex        =   1\r\n      Top             =   150\r\n      Width           =   2000\r\n"
    "      Begin VB.TextBox txtIn \r\n         Left            =   100\r\n         TabIndex        =   2\r\n"
    "         Top             =   240\r\n      End\r\n   End\r\n"
    "   Begin VB.PictureBox picArea \r\n      Height          =   1000\r\n      Left            =   2400\r\n"
    "      ScaleHeight     =   940\r\n      ScaleWidth      =   1440\r\n      TabIndex        =   3\r\n      Width           =   1500\r\n"
    "      Begin VB.CommandButton cmdIn \r\n         Height          =   375\r\n         Left            =   120\r\n"
    "         TabIndex        =   4\r\n         Top             =   120\r\n         Width           =   735\r\n      End\r\n   End\r\n"
    "   Begin VB.Line linSep \r\n      X1              =   0\r\n      X2              =   4500\r\n"
    "      Y1              =   2800\r\n      Y2              =   2800\r\n   End\r\n"
    "   Begin VB.Label lblName \r\n      Left            =   120\r\n      TabIndex        =   0\r\n      Top             =   1800\r\n   End\r\n"
    "End\r\nAttribute VB_Name = \"frmScale\"\r\n";

// Writes that move other values as VB6's designer moves them: a scale re-expresses every place it
// measures, so that nothing moves on the screen, and the tab order stays 0 to n - 1.
TEST(DesignerEdits, ScalesAndTheTabOrderMoveTheValuesTheyMeasure) {
  // values: every control's values afterwards, one line each; empty: the file as it was
  struct Case { std::string name; std::function<void(MemoryDesigner&, std::function<VBControl&(const char*)>)> edit; std::string values; bool dirty = true; };
  const std::string twips = "frmScale ClientHeight=3000 ClientWidth=4500 ScaleHeight=3000 ScaleWidth=4500\n";
  const std::string rest_in_twips = "linSep X1=0 X2=4500 Y1=2800 Y2=2800\nlblName Left=120 TabIndex=0 Top=1800\n";
  const std::string picture_in_twips = "cmdIn Height=375 Left=120 TabIndex=4 Top=120 Width=735\n";
  const std::vector<Case> cases = {
      {"twips to pixels: whole where they were whole twips, Singles where not; a frame's controls too, not a picture box's",
       [](MemoryDesigner& d, auto) { d.Root().SetPropertyValue("ScaleMode", "3"); },
       "frmScale ClientHeight=3000 ClientWidth=4500 ScaleHeight=200 ScaleMode=3 ScaleWidth=300\n"
       "fraBox Height=100 Left=20 TabIndex=1 Top=10 Width=133.3333\ntxtIn Left=6.666667 TabIndex=2 Top=16\n"
       "picArea Height=66.66667 Left=160 ScaleHeight=940 ScaleWidth=1440 TabIndex=3 Width=100\n" + picture_in_twips +
           "linSep X1=0 X2=300 Y1=186.6667 Y2=186.6667\nlblName Left=8 TabIndex=0 Top=120\n"},
      {"twips to pixels and back, and through centimetres: the file as it was",
       [](MemoryDesigner& d, auto) {
         for (const char* mode : {"3", "1", "7", "3", "1"}) d.Root().SetPropertyValue("ScaleMode", mode);
       },
       ""},
      {"a picture box in characters: its inside within the border, 120 by 240 twips a unit",
       [](MemoryDesigner&, auto control) { control("picArea").SetPropertyValue("ScaleMode", "4"); },
       twips + "fraBox Height=1500 Left=300 TabIndex=1 Top=150 Width=2000\ntxtIn Left=100 TabIndex=2 Top=240\n"
               "picArea Height=1000 Left=2400 ScaleHeight=3.916667 ScaleMode=4 ScaleWidth=12 TabIndex=3 Width=1500\n"
               "cmdIn Height=1.5625 Left=1 TabIndex=4 Top=0.5 Width=6.125\n" + rest_in_twips},
      {"a user scale: a width of 100 units, then an origin of 10; a frame's controls count from its corner",
       [](MemoryDesigner& d, auto) {
         d.Root().SetPropertyValue("ScaleWidth", "100");
         d.Root().SetPropertyValue("ScaleLeft", "10");
       },
       "frmScale ClientHeight=3000 ClientWidth=4500 ScaleHeight=3000 ScaleLeft=10 ScaleMode=0 ScaleWidth=100\n"
       "fraBox Height=1500 Left=16.66667 TabIndex=1 Top=150 Width=44.44444\ntxtIn Left=2.222222 TabIndex=2 Top=240\n"
       "picArea Height=1000 Left=63.33333 ScaleHeight=940 ScaleWidth=1440 TabIndex=3 Width=33.33333\n" + picture_in_twips +
           "linSep X1=10 X2=110 Y1=2800 Y2=2800\nlblName Left=12.66667 TabIndex=0 Top=1800\n"},
      {"a new size keeps the unit: the form's and the picture box's scale follow",
       [](MemoryDesigner& d, auto control) {
         d.Root().SetPropertyValue("ScaleMode", "3");
         d.Root().SetPropertyValue("ClientWidth", "6000");
         control("picArea").SetPropertyValue("Width", "120");  // pixels
         d.Root().SetPropertyValue("ScaleMode", "1");
       },
       "frmScale ClientHeight=3000 ClientWidth=6000 ScaleHeight=3000 ScaleWidth=6000\n"
       "fraBox Height=1500 Left=300 TabIndex=1 Top=150 Width=2000\ntxtIn Left=100 TabIndex=2 Top=240\n"
       "picArea Height=1000 Left=2400 ScaleHeight=940 ScaleWidth=1740 TabIndex=3 Width=1800\n" + picture_in_twips +
           rest_in_twips},
      {"new controls in pixels, centred; a new picture box measures in twips",
       [](MemoryDesigner& d, auto control) {
         d.Root().SetPropertyValue("ScaleMode", "3");
         d.AddControl("CommandButton");
         d.AddControl("PictureBox", &control("fraBox"));
       },
       "frmScale ClientHeight=3000 ClientWidth=4500 ScaleHeight=200 ScaleMode=3 ScaleWidth=300\n"
       "fraBox Height=100 Left=20 TabIndex=1 Top=10 Width=133.3333\ntxtIn Left=6.666667 TabIndex=2 Top=16\n"
       "Picture1 Height=33 Left=26 ScaleHeight=435 ScaleWidth=1155 TabIndex=6 Top=33 Width=81\n"
       "picArea Height=66.66667 Left=160 ScaleHeight=940 ScaleWidth=1440 TabIndex=3 Width=100\n" + picture_in_twips +
           "linSep X1=0 X2=300 Y1=186.6667 Y2=186.6667\nlblName Left=8 TabIndex=0 Top=120\n"
           "Command1 Caption=\"Command1\" Height=33 Left=109 TabIndex=5 Top=83 Width=81\n"},
      {"a tab index moved down and up: those between move by one; past the end is the last",
       [](MemoryDesigner&, auto control) {
         control("txtIn").SetPropertyValue("TabIndex", "0");
         control("lblName").SetPropertyValue("TabIndex", "3");
         control("fraBox").SetPropertyValue("TabIndex", "99");
       },
       twips + "fraBox Height=1500 Left=300 TabIndex=4 Top=150 Width=2000\ntxtIn Left=100 TabIndex=0 Top=240\n"
               "picArea Height=1000 Left=2400 ScaleHeight=940 ScaleWidth=1440 TabIndex=1 Width=1500\n"
               "cmdIn Height=375 Left=120 TabIndex=3 Top=120 Width=735\n"
               "linSep X1=0 X2=4500 Y1=2800 Y2=2800\nlblName Left=120 TabIndex=2 Top=1800\n"},
      {"a frame removed with its control: the tab order closes up",
       [](MemoryDesigner& d, auto control) { d.RemoveControl(control("fraBox")); },
       twips + "picArea Height=1000 Left=2400 ScaleHeight=940 ScaleWidth=1440 TabIndex=1 Width=1500\n"
               "cmdIn Height=375 Left=120 TabIndex=2 Top=120 Width=735\n" + rest_in_twips},
      {"the same values again, and the last place for the last: nothing changes",
       [](MemoryDesigner& d, auto control) {
         for (const char* name : {"ScaleMode", "ScaleWidth", "ClientHeight"})
           d.Root().SetPropertyValue(name, d.Root().FindProperty(name) ? d.Root().FindProperty(name)->Value() : "1");
         d.Root().SetPropertyValue("ScaleLeft", "0");  // the origin the file leaves out
         control("cmdIn").SetPropertyValue("TabIndex", "7");
       },
       "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SampleForm form("frmScale", kScaledForm);
    MemoryDesigner& designer = *form.designer;
    c.edit(designer, [&](const char* name) -> VBControl& { return form.Control(name); });
    const std::string bytes = form.component->Serialize();
    EXPECT_EQ(form.component->IsDirty(), c.dirty);
    if (c.values.empty()) {
      EXPECT_EQ(bytes, kScaledForm);
      continue;
    }
    std::string values;
    const auto list = [&](auto& self, const DesignerControl& control) -> void {
      values += control.name;
      for (const DesignerProperty& property : control.properties) values += " " + property.name + "=" + property.value;
      values += "\n";
      for (const auto& child : control.children) self(self, *child);
    };
    list(list, designer.Root().Block());
    EXPECT_EQ(values, c.values);
    ExpectRereadAsModel(bytes, designer.Root().Block());
  }
}

TEST(DesignerEdits, RefusedEditsLeaveTheFileAsItWas) {
  struct Case { std::string name; std::function<void(SampleForm&)> edit; int number; std::string message_part, form = "frmCustomer"; };
  const std::vector<Case> cases = {
      {"a name with a blank", [](SampleForm& f) { f.Control("cmdOK").SetName("cmd OK"); }, 380, "Invalid property value"},
      {"a name starting with a digit", [](SampleForm& f) { f.Control("cmdOK").SetName("1cmd"); }, 380, "not a name"},
      {"a name of 41 characters", [](SampleForm& f) { f.Control("cmdOK").SetName(std::string(41, 'c')); }, 380, "at most 40"},
      {"another control's name", [](SampleForm& f) { f.Control("cmdOK").SetName("CMDCANCEL"); }, 380, "already used"},
      {"an array's name for a control outside arrays", [](SampleForm& f) { f.Control("chkVip").SetName("optStatus"); }, 380, "already used"},
      {"an array's name and an index it has",
       [](SampleForm& f) {
         VBControl& vip = f.Control("chkVip");
         vip.SetPropertyValue("Index", "2");
         vip.SetName("optStatus");
       },
       380, "already used"},
      {"the form's name", [](SampleForm& f) { f.Control("cmdOK").SetName("frmCustomer"); }, 380, "the form itself"},
      {"a control's name for the form", [](SampleForm& f) { f.designer->Root().SetName("txtName"); }, 380, "txtName"},
      {"an index taken in the array", [](SampleForm& f) { f.Control("optStatus", 2).FindProperty("Index")->SetValue("1"); }, 380, "optStatus(1)"},
      {"an index that is no number", [](SampleForm& f) { f.Control("optStatus", 2).FindProperty("Index")->SetValue("-1"); }, 380, "0 to 32767"},
      {"no index while the array has others", [](SampleForm& f) { f.Control("optStatus", 2).FindProperty("Index")->SetValue(""); }, 380, "only member"},
      {"a value over two lines", [](SampleForm& f) { f.Control("cmdOK").SetPropertyValue("Caption", "a\r\nb"); }, 380, "cannot hold"},
      {"a bare value the file would cut at its apostrophe", [](SampleForm& f) { f.Control("dlgFile").SetPropertyValue("CancelError", "it's"); },
       380, "cannot hold", "frmMDI"},
      {"a value outside an enumeration", [](SampleForm& f) { f.designer->Root().SetPropertyValue("StartUpPosition", "9"); }, 380,
       "frmCustomer.StartUpPosition takes 0 (Manual), 1 (CenterOwner), 2 (CenterScreen), 3 (Windows Default), not 9"},
      {"a number of the wrong kind", [](SampleForm& f) { f.Control("txtZip").SetPropertyValue("MaxLength", "ten"); }, 380, "a whole number"},
      {"a property the class does not have", [](SampleForm& f) { f.Control("lblZip").SetPropertyValue("MaxLength", "5"); }, 380,
       "lblZip has no property MaxLength"},
      {"a property only a running program sets", [](SampleForm& f) { f.Control("txtZip").SetPropertyValue("SelText", "x"); }, 383,
       "read-only at design time"},
      {"a property name with a blank", [](SampleForm& f) { f.Control("cmdOK").SetPropertyValue("Back Color", "1"); }, 380, "not a property name"},
      {"a whole group", [](SampleForm& f) { f.Control("cmdOK").SetPropertyValue("Font", "\"Arial\""); }, 380, "group of properties"},
      {"a member a font does not have", [](SampleForm& f) { f.Control("cmdOK").SetPropertyValue("Font.Bold", "-1"); }, 380,
       "not a member of Font"},
      {"a font for a form that has none", [](SampleForm& f) { f.designer->Root().SetPropertyValue("Font.Size", "12"); }, 380,
       "frmMDI has no property Font", "frmMDI"},
      {"a font member no form file holds", [](SampleForm& f) { f.Control("cmdTool", 3).SetPropertyValue("Font.Size", "1\r\n2"); },
       380, "takes a number", "frmMDI"},
      {"a class VB6 does not make here", [](SampleForm& f) { f.designer->AddControl("MSComctlLib.ListView"); }, 711, "Invalid class string"},
      {"a container that holds no controls", [](SampleForm& f) { f.designer->AddControl("Label", &f.Control("cmdOK")); }, 5, "cannot hold controls"},
      {"a text box straight on an MDI form", [](SampleForm& f) { f.designer->AddControl("TextBox"); }, 5,
       "cannot hold a TextBox", "frmMDI"},
      {"a z-order position other than front and back", [](SampleForm& f) { f.Control("cmdOK").ZOrder(2); }, 5, "0 (front) or 1 (back)"},
      {"the form's z-order", [](SampleForm& f) { f.designer->Root().ZOrder(0); }, 5, "no place in the z-order"},
      {"a frame into a control inside it", [](SampleForm& f) { f.Control("fraStatus").SetContainer(f.Control("chkVip")); }, 5,
       "inside it"},
      {"a control into one that holds none", [](SampleForm& f) { f.Control("chkVip").SetContainer(f.Control("cmdOK")); }, 5,
       "cannot hold controls"},
      {"the form itself removed", [](SampleForm& f) { f.designer->RemoveControl(f.designer->Root()); }, 5, "cannot remove itself"},
      {"a scale mode VB6 does not have", [](SampleForm& f) { f.designer->Root().SetPropertyValue("ScaleMode", "8"); }, 380, "0 to 7"},
      {"a scale 0 units wide", [](SampleForm& f) { f.designer->Root().SetPropertyValue("ScaleWidth", "0"); }, 380, "other than 0"},
      {"a tab index below 0", [](SampleForm& f) { f.Control("cmdOK").SetPropertyValue("TabIndex", "-1"); }, 380, "0 to 32767"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SampleForm form(c.form);
    const std::string error = testing::HostErrorOf([&] { c.edit(form); });
    EXPECT_TRUE(error.starts_with(std::to_string(c.number) + ": ")) << error;
    EXPECT_NE(error.find(c.message_part), std::string::npos) << error;
    if (c.name != "an array's name and an index it has") {
      EXPECT_EQ(form.component->Serialize(), form.disk);
      EXPECT_FALSE(form.component->IsDirty());
    }
    EXPECT_EQ(form.events, std::vector<std::string>{});
  }
}

TEST(DesignerEdits, CorpusFormsEditedAndUneditedWriteTheSameBytesAndKeepTheirLineNumbers) {
  GILDEX_SKIP_WITHOUT_CORPUS();
  int designers = 0, controls = 0, added = 0, reordered = 0;
  for (const fs::path& project_file : testing::CorpusFiles({".vbp"})) {
    SCOPED_TRACE(project_file.string());
    MemoryVBE vbe;
    LoadResult loaded = Load(vbe, project_file);
    ASSERT_TRUE(loaded.readable) << loaded.error;
    for (MemoryProject* project : loaded.projects) {
      for (MemoryComponent* component : project->Components()) {
        auto* designer = static_cast<MemoryDesigner*>(component->GetDesigner());
        if (!designer || !component->Usable()) continue;
        SCOPED_TRACE(component->File().string());
        ++designers;
        const std::string before = component->Serialize();
        std::vector<VBControl*> all{&designer->Root()};
        for (VBControl* control : designer->Controls()) all.push_back(control);
        for (VBControl* control : all) {
          ++controls;
          const std::string name = control->Name();
          control->SetName("GxRenamed" + std::to_string(controls));
          control->SetName(name);
          for (int i = 1; i <= control->PropertyCount(); ++i) {
            Property& property = control->PropertyAt(i);
            if (property.Value().empty()) continue;  // a group
            property.SetValue(property.Value());
            break;
          }
          // The frontmost control of its container sent to the back and brought to the front
          // again; one in a frame or picture box moved onto the form and back.
          const DesignerControl& block = static_cast<MemoryControl*>(control)->Block();
          if (block.container == nullptr || block.prog_id == "VB.Menu") continue;
          const DesignerControl* front = nullptr;
          for (const auto& sibling : block.container->children)
            if (sibling->prog_id != "VB.Menu") front = sibling.get();
          if (front != &block) continue;
          control->ZOrder(1);
          control->ZOrder(0);
          ++reordered;
          VBControl* container = control->Container();
          if ((container->ProgId() == "VB.Frame" || container->ProgId() == "VB.PictureBox") &&
              designer->Root().ProgId() == "VB.Form") {
            control->SetContainer(designer->Root());
            control->SetContainer(*container);
          }
        }
        // A control added, given a property and removed again leaves nothing behind either.
        if (designer->Root().ProgId().starts_with("VB.")) {
          VBControl& timer = designer->AddControl("Timer");
          timer.SetPropertyValue("Interval", "100");
          designer->RemoveControl(timer);
          ++added;
        }
        EXPECT_EQ(component->Serialize(), before);
        ExpectRereadAsModel(before, designer->Root().Block());
      }
    }
  }
  EXPECT_GT(designers, 100);
  std::cout << designers << " designers, " << controls << " controls renamed and back, " << added
            << " timers added and removed, "
            << reordered << " controls sent back and to the front\n";
}

}  // namespace
}  // namespace gildex::host
