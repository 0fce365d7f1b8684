#include "workbench/code_window_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/memory_code_module.h"
#include "host/project_loader.h"
#include "platform/test_files.h"

namespace gildex::workbench {
namespace {

using ::testing::ElementsAre;

constexpr const char* kForm =
    "VERSION 5.00\r\nBegin VB.Form frmOrders \r\n   Caption         =   \"Orders\"\r\n"
    "   Begin VB.PictureBox picBar \r\n      Height          =   375\r\n"
    "      Begin VB.CommandButton cmdOK \r\n         Caption         =   \"OK\"\r\n      End\r\n   End\r\n"
    "   Begin VB.OptionButton optKind \r\n      Index           =   1\r\n   End\r\n"
    "   Begin VB.OptionButton optKind \r\n      Index           =   0\r\n   End\r\n"
    "   Begin VB.Frame fraKind \r\n      Index           =   0\r\n   End\r\n"
    "   Begin VB.Line linTop \r\n      X2              =   900\r\n   End\r\n"
    "   Begin VB.Menu mnuFile \r\n      Caption         =   \"&File\"\r\n   End\r\n"
    "End\r\nAttribute VB_Name = \"frmOrders\"\r\nAttribute VB_GlobalNameSpace = False\r\n"
    "Attribute VB_Creatable = False\r\nAttribute VB_PredeclaredId = True\r\nAttribute VB_Exposed = False\r\n"
    "Option Explicit\r\n"                                            // 1
    "' WithEvents mNotOne As clsTicker\r\n"                          // 2
    "Private WithEvents mTicker As clsTicker\r\n"                    // 3
    "\r\n"                                                           // 4
    "Private Sub Form_Load()\r\n"                                    // 5
    "    Caption = \"Ready\"\r\n"                                    // 6
    "End Sub\r\n"                                                    // 7
    "Private Sub cmdOK_Click()\r\n"                                  // 8
    "End Sub\r\n"                                                    // 9
    "Private Sub optKind_Click(Index As Integer)\r\n"                // 10
    "    Refresh\r\n"                                                // 11
    "End Sub\r\n"                                                    // 12
    "Public Property Get Value() As Long\r\n"                        // 13
    "End Property\r\n"                                               // 14
    "Public Property Let Value(ByVal New_Value As Long, _\r\n"       // 15
    "                          Optional ByVal Force As Boolean)\r\n" // 16
    "    Refresh\r\n"                                                // 17
    "End Property\r\n"                                               // 18
    "Private Sub Do_Work()\r\n"                                      // 19
    "End Sub\r\n"                                                    // 20
    "' the ticker\r\n"                                               // 21
    "Private Sub mTicker_Tick()\r\n"                                 // 22
    "    Do_Work\r\n"                                                // 23
    "End Sub\r\n"                                                    // 24
    "Private Function Total() As Long\r\n"                           // 25
    "End Function\r\n";                                              // 26

std::vector<std::string> Captions(const std::vector<ProcedureEntry>& entries) {
  std::vector<std::string> captions;
  for (const auto& entry : entries) captions.push_back(entry.caption);
  return captions;
}

TEST(CodeWindowModel, DropDownsFollowTheCodeAndLeadToItAndLinesAreColoured) {
  platform::testing::TempDir dir;
  platform::testing::WriteBytes(dir / "Orders.frm", kForm);
  host::MemoryVBE vbe;
  const host::LoadResult loaded = host::Load(vbe, dir / "Orders.frm");
  ASSERT_TRUE(loaded.readable && !loaded.HasFatal()) << loaded.error;
  host::VBComponent& form = loaded.projects.at(0)->Component(1);
  CodeWindowModel model(*form.Code(), &form);

  // The form itself under its event name, then every control once (the array too, the
  // nested button, the menu) and the WithEvents variable, sorted; a comment declares nothing.
  EXPECT_THAT(model.Objects(),
              ElementsAre("(General)", "Form", "cmdOK", "fraKind", "linTop", "mnuFile", "mTicker", "optKind", "picBar"));
  // (General) keeps what belongs to no object: a Sub whose prefix is no object, properties
  // by kind.
  EXPECT_THAT(Captions(model.Procedures("(General)")),
              ElementsAre("(Declarations)", "Do_Work", "Total", "Value [PropertyGet]", "Value [PropertyLet]"));
  EXPECT_THAT(Captions(model.Procedures("optkind")), ElementsAre("Click"));
  EXPECT_THAT(Captions(model.Procedures("Form")), ElementsAre("Load"));
  EXPECT_THAT(Captions(model.Procedures("picBar")), ElementsAre());

  const std::vector<std::pair<long, CodePlace>> places = {
      {1, {"(General)", "(Declarations)"}}, {3, {"(General)", "(Declarations)"}}, {4, {"Form", "Load"}},
      {6, {"Form", "Load"}},                {9, {"cmdOK", "Click"}},             {11, {"optKind", "Click"}},
      {16, {"(General)", "Value [PropertyLet]"}}, {21, {"mTicker", "Tick"}},      {26, {"(General)", "Total"}},
      {27, {"(General)", "(Declarations)"}},
  };
  for (const auto& [line, place] : places) {
    const CodePlace got = model.PlaceOfLine(line);
    EXPECT_TRUE(got == place) << "line " << line << ": " << got.object << " / " << got.procedure;
  }

  // Choosing leads below the declaration (past its continuation), to the declaration of an
  // empty procedure, to an object's first procedure; an object without code has nowhere to go.
  const std::vector<std::tuple<std::string, std::string, long>> choices = {
      {"(General)", "(Declarations)", 1}, {"(General)", "Value [PropertyLet]", 17}, {"Form", "Load", 6},
      {"cmdOK", "Click", 8},             {"optKind", "", 11},                       {"picBar", "", 0},
      {"(General)", "Nothing", 1},
  };
  for (const auto& [object, procedure, line] : choices)
    EXPECT_EQ(model.LineOf(object, procedure), line) << object << " / " << procedure;

  // The model reads the module afresh: a procedure typed in is listed at once.
  form.Code()->InsertLines(27, "Private Sub cmdok_GotFocus()\r\nEnd Sub");
  EXPECT_THAT(Captions(model.Procedures("cmdOK")), ElementsAre("Click", "GotFocus"));

  // A double-click in the designer leads to the default event procedure, adding a missing one
  // after the last procedure (Index first for a member of a control array); a Line has no
  // events.
  const auto control = [&](const std::string& name) -> host::VBControl* {
    for (host::VBControl* c : form.GetDesigner()->Controls())
      if (c->Name() == name) return c;
    return nullptr;
  };
  const long before = form.Code()->CountOfLines();
  const std::vector<std::pair<std::string, long>> clicks = {
      {"", 6}, {"cmdOK", 8}, {"optKind", 11}, {"linTop", 0}, {"mnuFile", 31}, {"fraKind", 35}, {"mnuFile", 31}};
  for (const auto& [name, line] : clicks)
    EXPECT_EQ(OpenDefaultEvent(form, name.empty() ? nullptr : control(name)), line) << name;
  EXPECT_EQ(form.Code()->Lines(before + 1, form.Code()->CountOfLines() - before),
            "\r\nPrivate Sub mnuFile_Click()\r\n\r\nEnd Sub\r\n"
            "\r\nPrivate Sub fraKind_DragDrop(Index As Integer, Source As Control, X As Single, Y As Single)\r\n"
            "\r\nEnd Sub");

  // A module of its own has only (General).
  auto module = host::MemoryCodeModule::FromText("Util", "Sub Form_Load()\r\nEnd Sub");
  CodeWindowModel alone(*module, nullptr);
  EXPECT_THAT(alone.Objects(), ElementsAre("(General)"));
  EXPECT_THAT(Captions(alone.Procedures("(General)")), ElementsAre("(Declarations)", "Form_Load"));

  // Colours: K keyword, C comment, . plain.
  const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> coloured = {
      {{"Option Explicit"}, {"KKKKKK.KKKKKKKK"}},
      {{"x = 1: Rem Then _", "still a comment", "End If"},
       {".......CCCCCCCCCC", "CCCCCCCCCCCCCCC", "KKK.KK"}},
      {{"rs.Close: Debug.Print [End], Remark"}, {"................KKKKK.............."}},
      {{"Private Declare Function F Lib \"k\" Alias \"G\" ()"},
       {"KKKKKKK.KKKKKKK.KKKKKKKK...KKK.....KKKKK......."}},
  };
  for (const auto& [lines, expected] : coloured) {
    bool goes_on = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      std::string drawn(lines[i].size(), '.');
      for (const ColourSpan& span : ColourLine(lines[i], goes_on))
        drawn.replace(span.start, span.length, std::string(span.length, span.colour == CodeColour::Keyword ? 'K' : 'C'));
      EXPECT_EQ(drawn, expected[i]) << lines[i];
    }
    EXPECT_FALSE(goes_on) << lines.back();
  }
}

}  // namespace
}  // namespace gildex::workbench
