// Line numbers as a VB6 developer sees them: which statements get one under each setting,
// what un-numbering takes off (including numbers and labels of the user's own), round trips,
// the progress bar, Cancel, VB6's line length limit, and real projects.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine_rig_test.h"
#include "engine/gildex.h"
#include "host/memory_code_module.h"
#include "host/memory_vbe.h"
#include "host/project_loader.h"

namespace gildex {
namespace {

using testing::RecordingProgress;

namespace fs = std::filesystem;
using testing::EngineRig;

using testing::Module;

// The engine with the numbering settings a fresh installation loads.
struct Numberer {
  Numberer() {
    rig.gildex.LineIncrement(10);
    rig.gildex.StartLine(0);
    rig.gildex.LineDelimiter(" ");
    rig.gildex.SetProgress(&progress);
  }

  std::string Number(std::string_view text) {
    return testing::Rewritten(
        text, [&](host::CodeModule& module) { rig.gildex.NumberModule(module, false); });
  }
  std::string UnNumber(std::string_view text) {
    return testing::Rewritten(
        text, [&](host::CodeModule& module) { rig.gildex.UnNumberModule(module, false); });
  }

  EngineRig rig;
  RecordingProgress progress;
};

const std::string kOrders = Module(R"(
Option Explicit
Private mTotal As Long

' Adds up the order lines.
Public Function Total(ByVal a As Long, _
                      ByVal b As Long) As Long
    Dim i As Long
    Const LIMIT = 10
    ' walk the lines
    For i = a To b
        mTotal = mTotal + i
    Next i
    Select Case a
        Case 1
            Total = 1
        Case Else
            Total = _
                a + b
    End Select
    If a > b Then _
        Total = 0
#If DEBUG_MODE Then
    Debug.Print a
#End If
Done:
    Exit Function
End Function
)");

TEST(NumberModule, NumbersEveryStatementThatCanCarryALabel) {
  Numberer numberer;
  EXPECT_EQ(numberer.Number(kOrders), Module(R"(
Option Explicit
Private mTotal As Long

' Adds up the order lines.
Public Function Total(ByVal a As Long, _
                      ByVal b As Long) As Long
    Dim i As Long
    Const LIMIT = 10
    ' walk the lines
10     For i = a To b
20         mTotal = mTotal + i
30     Next i
40     Select Case a
        Case 1
50             Total = 1
60         Case Else
            Total = _
                a + b
70     End Select
80     If a > b Then _
        Total = 0
#If DEBUG_MODE Then
90     Debug.Print a
#End If
Done:
100     Exit Function
End Function
)"));
  EXPECT_TRUE(numberer.progress.statuses.empty());
  EXPECT_TRUE(numberer.rig.dialogs.Asked().empty());
}

const std::string kTwoProcedures = Module(R"(
Option Explicit

Sub First()
    a = 1
    b = 2
End Sub

Sub Second()
    c = 3
End Sub
)");

struct SettingsCase {
  std::string name;
  std::int16_t increment;
  std::int32_t start;
  bool reset;
  std::string delimiter;
  std::string expected;
};

TEST(NumberModule, IncrementStartLineResetAndDelimiter) {
  const std::vector<SettingsCase> cases = {
      {"increment 1 from the start", 1, 0, false, " ", Module(R"(
Option Explicit

Sub First()
1     a = 1
2     b = 2
End Sub

Sub Second()
3     c = 3
End Sub
)")},
      // With no start line the first number is the increment, never 0.
      {"start line 0", 10, 0, false, " ", Module(R"(
Option Explicit

Sub First()
10     a = 1
20     b = 2
End Sub

Sub Second()
30     c = 3
End Sub
)")},
      {"negative start line", 5, -40, false, " ", Module(R"(
Option Explicit

Sub First()
5     a = 1
10     b = 2
End Sub

Sub Second()
15     c = 3
End Sub
)")},
      {"start line 100", 10, 100, false, " ", Module(R"(
Option Explicit

Sub First()
100     a = 1
110     b = 2
End Sub

Sub Second()
120     c = 3
End Sub
)")},
      {"start line 100 again in every procedure", 10, 100, true, " ", Module(R"(
Option Explicit

Sub First()
100     a = 1
110     b = 2
End Sub

Sub Second()
100     c = 3
End Sub
)")},
      {"reset without a start line", 10, 0, true, " ", Module(R"(
Option Explicit

Sub First()
10     a = 1
20     b = 2
End Sub

Sub Second()
10     c = 3
End Sub
)")},
      {"colon delimiter", 10, 0, false, ":", Module(R"(
Option Explicit

Sub First()
10:    a = 1
20:    b = 2
End Sub

Sub Second()
30:    c = 3
End Sub
)")},
      {"two-character delimiter", 10, 0, false, ": ", Module(R"(
Option Explicit

Sub First()
10:     a = 1
20:     b = 2
End Sub

Sub Second()
30:     c = 3
End Sub
)")},
  };
  for (const SettingsCase& c : cases) {
    Numberer numberer;
    numberer.rig.gildex.LineIncrement(c.increment);
    numberer.rig.gildex.StartLine(c.start);
    numberer.rig.gildex.ResetLines(c.reset);
    numberer.rig.gildex.LineDelimiter(c.delimiter);
    EXPECT_EQ(numberer.Number(kTwoProcedures), c.expected) << c.name;
  }
}

struct ValidCase {
  std::string previous;
  std::string line;
  bool valid;
};

TEST(ValidLineForNumbering, DecidesByTheFirstRuleThatApplies) {
  const std::vector<ValidCase> cases = {
      {"", "    x = 1", true},
      {"", "x = 1", true},
      {"", "", false},
      {"", "    ", false},
      {"", "'comment", false},
      {"", "    ' comment", false},
      {"    s = \"a\" & _", "        \"b\"", false},  // continues the statement above
      {"' note _", "    x = 1", false},
      {"", "    MsgBox \"Count \" & _", false},
      {"", "    If a Then _", true},
      {"", "Retry:", false},
      {"", "    Dim x As Long", false},
      {"    Select Case a", "    Dim x As Long", false},  // Dim answers before Select Case is looked at
      {"", "Sub Main()", false},
      {"", "Public Function F()", false},
      {"    Select Case a", "        Case 1", false},
      {"    select case a ' lower case", "        Case 1", false},
      {"        Case 1", "        Case 2", true},
      {"", "Private Sub A()", false},
      {"", "Public x As Long", false},
      {"", "Friend Function F()", false},
      {"", "Global g As Long", false},
      {"", "Option Explicit", false},
      {"", "    Const A = 1", false},
      {"", "Declare Function GetTickCount Lib \"kernel32\" () As Long", false},
      {"", "Property Get P()", false},
      {"", "Type TPoint", false},
      {"", "End Type", false},
      {"", "End Function", false},
      {"", "  End Sub", false},
      {"", "End Property", false},
      {"", "#", false},
      {"", "#If DEBUG_MODE Then", false},
      {"", "    #Else", false},
      {"", "Label1: x = 1", false},
      {"", "10 x = 1", false},
      {"", "1.5E3 x = 1", false},
      {"", "-10 x = 1", false},
      {"", "10x = 1", true},
      {"", "End If", true},
      {"", "Static s As Long", true},
      {"", "ReDim a(10)", true},
  };
  EngineRig rig;
  for (const ValidCase& c : cases)
    EXPECT_EQ(rig.gildex.ValidLineForNumbering(c.previous, c.line), c.valid) << '"' << c.previous << "\" / \"" << c.line << '"';
  EXPECT_TRUE(rig.dialogs.Asked().empty());
}

TEST(ValidLineForNumbering, SettingsOpenDimsBlankAndCommentLines) {
  EngineRig rig;
  rig.gildex.NumberDims(true);
  EXPECT_TRUE(rig.gildex.ValidLineForNumbering("", "    Dim x As Long"));
  EXPECT_FALSE(rig.gildex.ValidLineForNumbering("", "    Const A = 1"));  // never a Const
  rig.gildex.NumberBlankLines(true);
  EXPECT_TRUE(rig.gildex.ValidLineForNumbering("", ""));
  EXPECT_TRUE(rig.gildex.ValidLineForNumbering("", "    "));
  rig.gildex.NumberCommentLines(true);
  EXPECT_TRUE(rig.gildex.ValidLineForNumbering("", "'comment"));
  EXPECT_TRUE(rig.gildex.ValidLineForNumbering("", "    ' comment"));
}

struct StripCase {
  std::string delimiter;
  std::string line;
  std::string stripped;
};

TEST(RemoveLineNumber, TakesOffANumberAtColumnOne) {
  const std::vector<StripCase> cases = {
      {" ", "10 x = 1", "x = 1"},
      {" ", "10     x = 1", "    x = 1"},
      {" ", "10: x = 1", " x = 1"},
      {" ", "10:x = 1", "x = 1"},
      {" ", "Label1: x = 1", "Label1: x = 1"},
      {" ", "    x = 1", "    x = 1"},
      {" ", "    10 x = 1", "    10 x = 1"},  // a number is only ever at column 1
      {" ", "", ""},
      {" ", "10 ", ""},
      {" ", "100", "100"},
      {" ", "x = 10 + 1", "x = 10 + 1"},
      {" ", "1.5 x", "x"},
      {" ", "-3 x", "x"},
      {" ", "1E3 x", "x"},
      {" ", "1E x", "1E x"},
      {" ", "10 ' comment", "' comment"},
      {" ", "\t10 x", "\t10 x"},  // a tab is not a space
      {":", "10:    x = 1", "    x = 1"},
      {":", "10 x = 1", "x = 1"},
      {"\t", "10\tx = 1", "x = 1"},
      // Only the delimiter's first character goes: a two-character one leaves its second.
      {": ", "10:     x = 1", "     x = 1"},
      {": ", "10 x = 1", "x = 1"},
      {"", "10 x = 1", "x = 1"},
      {"", "Done: Exit Sub", "Done: Exit Sub"},
  };
  for (const StripCase& c : cases) {
    EngineRig rig;
    rig.gildex.LineDelimiter(c.delimiter);
    EXPECT_EQ(rig.gildex.RemoveLineNumber(c.line), c.stripped) << '"' << c.delimiter << "\" / \"" << c.line << '"';
  }
}

TEST(NumberModule, DimsBlankLinesAndCommentLinesFollowTheirSettings) {
  const std::string before = Module(R"(
Sub Save()
    Dim f As Integer
    'no space after the apostrophe

    ' a note
    f = FreeFile
End Sub
)");
  struct Case {
    bool dims, blanks, comments;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {false, false, false, before.substr(0, before.find("    f = FreeFile")) + "10     f = FreeFile\r\nEnd Sub"},
      {true, false, false, Module(R"(
Sub Save()
10     Dim f As Integer
    'no space after the apostrophe

    ' a note
20     f = FreeFile
End Sub
)")},
      {false, true, false, Module(R"(
Sub Save()
    Dim f As Integer
    'no space after the apostrophe
10 
    ' a note
20     f = FreeFile
End Sub
)")},
      // "' a note" is a note whatever the settings say.
      {false, false, true, Module(R"(
Sub Save()
    Dim f As Integer
10     'no space after the apostrophe

    ' a note
20     f = FreeFile
End Sub
)")},
  };
  for (const Case& c : cases) {
    Numberer numberer;
    numberer.rig.gildex.NumberDims(c.dims);
    numberer.rig.gildex.NumberBlankLines(c.blanks);
    numberer.rig.gildex.NumberCommentLines(c.comments);
    const std::string numbered = numberer.Number(before);
    EXPECT_EQ(numbered, c.expected) << c.dims << c.blanks << c.comments;
    EXPECT_EQ(numberer.UnNumber(numbered), before) << c.dims << c.blanks << c.comments;
  }
}

TEST(NumberModule, InsertIntoAndTheSkipTagChooseTheProcedures) {
  const std::string before = Module(R"(
Sub SubtotalOrders()
    a = 1
End Sub

Function Tax() As Currency ' GX2/Standard
    Tax = 1
End Function

Sub Report() ' <<>>
    b = 2
End Sub
)");
  struct Case {
    std::string insert_into;
    std::string expected;
    std::vector<std::string> statuses;
  };
  const std::string skipped = "Report skipped (user set set the skip tags)";
  const std::vector<Case> cases = {
      {"", Module(R"(
Sub SubtotalOrders()
10     a = 1
End Sub

Function Tax() As Currency ' GX2/Standard
20     Tax = 1
End Function

Sub Report() ' <<>>
    b = 2
End Sub
)"),
       {skipped}},
      // Numbering gives the filter no type text: only a name containing the value passes.
      {"SUB", Module(R"(
Sub SubtotalOrders()
10     a = 1
End Sub

Function Tax() As Currency ' GX2/Standard
    Tax = 1
End Function

Sub Report() ' <<>>
    b = 2
End Sub
)"),
       {skipped}},
      {"--", Module(R"(
Sub SubtotalOrders()
    a = 1
End Sub

Function Tax() As Currency ' GX2/Standard
10     Tax = 1
End Function

Sub Report() ' <<>>
    b = 2
End Sub
)"),
       {skipped}},
  };
  for (const Case& c : cases) {
    Numberer numberer;
    numberer.rig.gildex.DefaultTemplate("Standard");
    numberer.rig.gildex.InsertInto(c.insert_into);
    EXPECT_EQ(numberer.Number(before), c.expected) << c.insert_into;
    EXPECT_EQ(numberer.progress.statuses, c.statuses) << c.insert_into;
  }
}

TEST(NumberModule, NumberingTwiceGivesWhatNumberingOnceGave) {
  for (const char* delimiter : {" ", ":", "\t"}) {
    Numberer numberer;
    numberer.rig.gildex.LineDelimiter(delimiter);
    const std::string once = numberer.Number(kOrders);
    EXPECT_EQ(numberer.Number(once), once) << delimiter;
    EXPECT_EQ(numberer.UnNumber(once), kOrders) << delimiter;
  }
}

// Found by fuzz/engine_fuzz: a comment or blank line numbered above the first procedure
// would become a statement of the declarations section (which VB6 refuses, and which
// numbering again and un-numbering do not look at), so lines above a declaration keep no number.
TEST(NumberModule, NoLineAboveAProcedureGetsANumber) {
  struct Case {
    const char* name;
    bool number_comment_lines;
    bool number_blank_lines;
    std::string module;
  };
  const std::vector<Case> cases = {
      {"Rem line", false, false, Module(R"(
Option Explicit
Rem Totals of the order lines.
' Adds them up.
Sub Add()
    x = 1
End Sub
)")},
      {"banner comment", true, false, Module(R"(
'-------------------------
' Adds up the order lines.
Sub Add()
    x = 1
End Sub
)")},
      {"module of comments only", true, false, Module(R"(
'-- orders
' nothing here yet
)")},
      {"blank line below the declarations", false, true, Module(R"(
Option Explicit

Sub Add()
    x = 1
End Sub
)")},
  };
  for (const Case& c : cases) {
    Numberer numberer;
    numberer.rig.gildex.NumberCommentLines(c.number_comment_lines);
    numberer.rig.gildex.NumberBlankLines(c.number_blank_lines);
    const std::string once = numberer.Number(c.module);
    const std::size_t sub = c.module.find("Sub Add()");
    EXPECT_EQ(once.substr(0, sub), c.module.substr(0, sub)) << c.name;
    EXPECT_EQ(numberer.Number(once), once) << c.name;
    EXPECT_EQ(numberer.UnNumber(once), c.module) << c.name << "\n" << once;
  }
}

TEST(NumberModule, ATwoCharacterDelimiterGrowsTheIndentOnEveryRoundTrip) {
  Numberer numberer;
  numberer.rig.gildex.LineDelimiter(": ");
  const std::string before = Module(R"(
Sub A()
    x = 1
End Sub
)");
  const std::string once = numberer.Number(before);
  EXPECT_EQ(once, Module(R"(
Sub A()
10:     x = 1
End Sub
)"));
  // Un-numbering takes only the colon with the number; the delimiter's space stays.
  EXPECT_EQ(numberer.UnNumber(once), Module(R"(
Sub A()
     x = 1
End Sub
)"));
  EXPECT_EQ(numberer.Number(once), Module(R"(
Sub A()
10:      x = 1
End Sub
)"));
}

TEST(NumberModule, RenumberingAModuleWithItsOwnNumbers) {
  Numberer numberer;
  const std::string own = Module(R"(
Sub Legacy()
5 x = 1
7: y = 2
ErrorTrap: z = 3
    Dim w
100 Dim v
End Sub
)");
  // Each statement still able to carry a number gets the new one; "100 Dim v" cannot carry
  // one without NumberDims and keeps the number it had.
  EXPECT_EQ(numberer.Number(own), Module(R"(
Sub Legacy()
10 x = 1
20  y = 2
ErrorTrap: z = 3
    Dim w
100 Dim v
End Sub
)"));
}

TEST(UnNumberModule, TakesOffNumbersAndLeavesLabelsAndIndentedLines) {
  Numberer numberer;
  EXPECT_EQ(numberer.UnNumber(Module(R"(
Option Explicit
Private Const MAX_ITEMS = 10

Sub Legacy()
10 x = 1
20: y = 2
30:z = 3
ErrorTrap: z = 3
    w = 4
    40 v = 5
100
1000 ' checked
    t = a + _
10 + b
'note _
10 the rest of the note
End Sub
)")),
            Module(R"(
Option Explicit
Private Const MAX_ITEMS = 10

Sub Legacy()
x = 1
 y = 2
z = 3
ErrorTrap: z = 3
    w = 4
    40 v = 5
100
' checked
    t = a + _
10 + b
'note _
the rest of the note
End Sub
)"));
  EXPECT_TRUE(numberer.rig.dialogs.Asked().empty());
}

TEST(NumberModule, SelectionModeNumbersOnlyTheSelectedLines) {
  Numberer numberer;
  auto module = host::MemoryCodeModule::FromText("modOrders", kTwoProcedures);
  module->Pane().SetSelection(host::Selection{5, 1, 9, 4});
  numberer.rig.gildex.NumberModule(*module, true);
  EXPECT_EQ(module->Text(), Module(R"(
Option Explicit

Sub First()
    a = 1
10     b = 2
End Sub

Sub Second()
20     c = 3
End Sub
)"));
  numberer.rig.gildex.UnNumberModule(*module, true);
  EXPECT_EQ(module->Text(), kTwoProcedures);
}

TEST(NumberModule, DeclarationsAndHiddenAttributeLinesNeverChange) {
  using host::CodeLine;
  using host::LineEnd;
  using host::RawLine;
  std::vector<CodeLine> lines;
  for (const char* text : {"Option Explicit", "10 Private mValue As Long", "", "Public Property Get Value() As Long",
                           "    Value = mValue", "End Property"})
    lines.push_back(CodeLine{RawLine{text, LineEnd::CrLf}, {}});
  lines[3].hidden.push_back(RawLine{"Attribute Value.VB_UserMemId = 0", LineEnd::CrLf});
  lines[4].line.end = LineEnd::Lf;
  host::MemoryCodeModule module("clsThing", lines, LineEnd::CrLf, nullptr);
  Numberer numberer;
  numberer.rig.gildex.NumberModule(module, false);
  const std::vector<CodeLine> after = module.ExportLines();
  ASSERT_EQ(after.size(), lines.size());
  EXPECT_EQ(after[4].line.text, "10     Value = mValue");
  EXPECT_EQ(after[4].line.end, LineEnd::Lf);  // the line keeps its own line end
  numberer.rig.gildex.UnNumberModule(module, false);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(module.ExportLines()[i].line.text, lines[i].line.text) << i;
    ASSERT_EQ(module.ExportLines()[i].hidden.size(), lines[i].hidden.size()) << i;
  }
  EXPECT_EQ(module.ExportLines()[3].hidden[0].text, "Attribute Value.VB_UserMemId = 0");
}

TEST(NumberModule, TheProgressBarRunsOverTheRangeEveryTwentiethLine) {
  std::string text = "Option Explicit\r\nSub Beeps()\r\n";
  for (int i = 0; i < 45; ++i) text += "    Beep\r\n";
  text += "End Sub";
  Numberer numberer;
  numberer.Number(text);
  EXPECT_EQ(numberer.progress.bar, (std::vector<bool>{true, false}));
  EXPECT_EQ(numberer.progress.max, 48);
  EXPECT_EQ(numberer.progress.values, (std::vector<std::int32_t>{20, 40}));
}

TEST(NumberModule, CancelLeavesEveryProcedureNumberedWholeOrNotAtAll) {
  Numberer numberer;
  int yields = 0;
  // The user clicks Cancel while the first procedure is being numbered.
  numberer.rig.loop.OnIdle([&] {
    if (++yields == 2) numberer.rig.gildex.Cancel(true);
  });
  EXPECT_EQ(numberer.Number(Module(R"(
Sub First()
    ' one note
    a = 1
    b = 2
End Sub

Sub Second()
    c = 3
End Sub
)")),
            Module(R"(
Sub First()
    ' one note
10     a = 1
20     b = 2
End Sub

Sub Second()
    c = 3
End Sub
)"));
  EXPECT_TRUE(numberer.rig.gildex.Cancel());
}

TEST(NumberModule, ALineThatWouldPassVb6sLimitLeavesTheModuleAsItWas) {
  // The third line is 1,021 characters; "20 " in front would make it 1,024.
  const std::string before = "Sub A()\r\n    x = 1\r\n    s = \"" + std::string(1011, 'x') + "\"\r\nEnd Sub";
  ASSERT_EQ(before.substr(before.find("    s")).find("\r\n"), 1021u);
  Numberer numberer;
  EXPECT_EQ(numberer.Number(before), before);
  EXPECT_EQ(numberer.progress.statuses,
            std::vector<std::string>{"modOrders line 3: its line number would make the line longer than 1,023 "
                                     "characters, more than VB6 allows; modOrders left as it was."});
  // One character less fits: "10 " + 1,020 characters is 1,023.
  const std::string fits = "Sub A()\r\n    s = \"" + std::string(1010, 'x') + "\"\r\nEnd Sub";
  Numberer again;
  EXPECT_EQ(again.Number(fits).substr(9, 3), "10 ");
  EXPECT_TRUE(again.progress.statuses.empty());
}

TEST(NumberModule, TooManyLinesForTheIncrementSwitchesResetLinesOn) {
  // 65,540 lines at 32,767 a line would pass the largest Long: numbering starts again in
  // every procedure instead.
  std::string text;
  for (int p = 0; p < 13108; ++p) text += "Sub P" + std::to_string(p) + "()\r\n    a = 1\r\n    b = 2\r\n    c = 3\r\nEnd Sub\r\n";
  text.resize(text.size() - 2);
  Numberer numberer;
  numberer.rig.gildex.LineIncrement(32767);
  const std::string numbered = numberer.Number(text);
  EXPECT_TRUE(numberer.rig.gildex.ResetLines());
  EXPECT_TRUE(numberer.progress.statuses.empty());
  EXPECT_TRUE(numbered.ends_with("Sub P13107()\r\n32767     a = 1\r\n65534     b = 2\r\n98301     c = 3\r\nEnd Sub"));
}

TEST(NumberModule, ANumberPastTheLargestLongIsReportedAndThePassGoesOn) {
  Numberer numberer;
  numberer.rig.gildex.StartLine(2147483640);
  EXPECT_EQ(numberer.Number(kTwoProcedures), Module(R"(
Option Explicit

Sub First()
2147483640     a = 1
    b = 2
End Sub

Sub Second()
    c = 3
End Sub
)"));
  EXPECT_EQ(numberer.progress.statuses, std::vector<std::string>(2, "Overflow in NumberModule"));
  EXPECT_EQ(numberer.progress.bar, (std::vector<bool>{true, false}));
  EXPECT_TRUE(numberer.rig.dialogs.Asked().empty());
}

// A code module whose host refuses to change one line, as the IDE does for a module it has
// locked.
class LockedLineModule : public host::CodeModule {
 public:
  LockedLineModule(std::string_view text, long locked) : inner_(host::MemoryCodeModule::FromText("modOrders", text)), locked_(locked) {}
  std::string Text() const { return inner_->Text(); }

  std::string Name() const override { return inner_->Name(); }
  host::VBComponent& Parent() override { return inner_->Parent(); }
  host::CodePane& Pane() override { return inner_->Pane(); }
  std::string Lines(long first, long count) const override { return inner_->Lines(first, count); }
  long CountOfLines() const override { return inner_->CountOfLines(); }
  long CountOfDeclarationLines() const override { return inner_->CountOfDeclarationLines(); }
  void InsertLines(long line, std::string_view text) override { inner_->InsertLines(line, text); }
  void DeleteLines(long first, long count) override { inner_->DeleteLines(first, count); }
  void ReplaceLine(long line, std::string_view text) override {
    if (line == locked_) throw host::HostError(40198, "Module is locked");
    inner_->ReplaceLine(line, text);
  }
  std::string ProcOfLine(long line, host::ProcKind& kind) const override { return inner_->ProcOfLine(line, kind); }
  long ProcStartLine(std::string_view name, host::ProcKind kind) const override { return inner_->ProcStartLine(name, kind); }
  long ProcBodyLine(std::string_view name, host::ProcKind kind) const override { return inner_->ProcBodyLine(name, kind); }
  long ProcCountLines(std::string_view name, host::ProcKind kind) const override { return inner_->ProcCountLines(name, kind); }
  std::vector<host::Member> Members() const override { return inner_->Members(); }
  bool Find(std::string_view target, long& start_line, long& start_column, long& end_line, long& end_column,
            bool whole_word, bool match_case, bool pattern_search) const override {
    return inner_->Find(target, start_line, start_column, end_line, end_column, whole_word, match_case, pattern_search);
  }

 private:
  std::unique_ptr<host::MemoryCodeModule> inner_;
  long locked_;
};

TEST(NumberModule, ALineTheHostRefusesGoesToTheStatusListAndThePassGoesOn) {
  Numberer numberer;
  LockedLineModule module(kTwoProcedures, 4);
  numberer.rig.gildex.NumberModule(module, false);
  EXPECT_EQ(module.Text(), Module(R"(
Option Explicit

Sub First()
    a = 1
20     b = 2
End Sub

Sub Second()
30     c = 3
End Sub
)"));
  EXPECT_EQ(numberer.progress.statuses, std::vector<std::string>{"Module is locked in NumberModule"});
  EXPECT_TRUE(numberer.rig.dialogs.Asked().empty());
}

TEST(UnNumberModule, AFailureIsReportedUnderItsOwnName) {
  Numberer numberer;
  LockedLineModule module("Sub A()\r\n10 x = 1\r\n20 y = 2\r\nEnd Sub", 3);
  numberer.rig.gildex.UnNumberModule(module, false);
  EXPECT_EQ(module.Text(), "Sub A()\r\nx = 1\r\n20 y = 2\r\nEnd Sub");
  EXPECT_EQ(testing::ReportedNames(numberer.rig.dialogs), std::vector<std::string>{"CGildex.UnNumberModule"});
}

// Every module of the sample project and of the real projects in the corpus: numbering twice
// is numbering once, and un-numbering gives back every module without numbers of its own.
TEST(RealProjects, NumberTwiceAndUnNumberRoundTrips) {
  std::vector<fs::path> projects = {fs::path(GILDEX_SOURCE_DIR) / "data/Sample/Orders.vbp"};
  for (const auto& entry : fs::recursive_directory_iterator(GILDEX_CORPUS_DIR))
    if (entry.path().extension() == ".vbp") projects.push_back(entry.path());
  int modules = 0;
  for (const fs::path& path : projects) {
    host::MemoryVBE vbe;
    host::LoadResult loaded = host::Load(vbe, path);
    if (!loaded.readable) continue;
    for (host::MemoryProject* project : loaded.projects) {
      for (host::MemoryComponent* component : project->Components()) {
        host::MemoryCodeModule* code = component->MemoryCode();
        if (code == nullptr) continue;
        const std::string before = code->Text();
        Numberer numberer;
        numberer.rig.gildex.NumberModule(*code, false);
        ASSERT_EQ(code->CheckConsistency(), "") << path << ' ' << component->Name();
        const std::string once = code->Text();
        numberer.rig.gildex.NumberModule(*code, false);
        EXPECT_EQ(code->Text(), once) << path << ' ' << component->Name();
        numberer.rig.gildex.UnNumberModule(*code, false);
        // A module with line numbers or labels of its own loses those numbers: compare only
        // the others.
        bool own_numbers = false;
        auto check = host::MemoryCodeModule::FromText("x", before);
        for (long line = check->CountOfDeclarationLines() + 1; line <= check->CountOfLines(); ++line) {
          const std::string text = check->Lines(line, 1);
          if (numberer.rig.gildex.RemoveLineNumber(text) != text) own_numbers = true;
        }
        if (!own_numbers) {
          EXPECT_EQ(code->Text(), before) << path << ' ' << component->Name();
        }
        EXPECT_TRUE(numberer.progress.statuses.empty()) << path << ' ' << component->Name();
        ++modules;
      }
    }
  }
  EXPECT_GT(modules, 100);
}

}  // namespace
}  // namespace gildex
