// Line numbers: which statements get one under each setting, what un-numbering takes off,
// the progress bar, and what is reported.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/nembus_common.h"
#include "engine/engine_rig_test.h"
#include "engine/gildex.h"

namespace gildex {
namespace {

using testing::Engine;
using testing::EngineRig;
using testing::Module;
using testing::Operation;

// Two procedures numbered a, b and c, with the delimiter `d`.
std::string Two(const std::string& a, const std::string& b, const std::string& c, const std::string& d = " ") {
  auto n = [&](const std::string& number) { return number.empty() ? "" : number + d; };
  return "Option Explicit\n\nSub First()\n" + n(a) + "    a = 1\n" + n(b) + "    b = 2\nEnd Sub\n\nSub Second()\n" + n(c) +
         "    c = 3\nEnd Sub\n";
}

// A module whose lines marked "@" take the numbers 10, 20, ...; Unmarked() is the module as the
// user wrote it, Numbered() as numbering leaves it with the delimiter `d`.
const std::string kOrders = R"(Option Explicit
Private mTotal As Long

' Adds up the order lines.
Public Function Total(ByVal a As Long, _
                      ByVal b As Long) As Long
    Dim i As Long
    Const LIMIT = 10
    ' walk the lines
@    For i = a To b
@        mTotal = mTotal + i
@    Next i
@    Select Case a
        Case 1
@            Total = 1
@        Case Else
            Total = _
                a + b
@    End Select
@    If a > b Then _
        Total = 0
#If DEBUG_MODE Then
@    Debug.Print a
#End If
Done:
@    Exit Function
End Function
)";

std::string Unmarked() { return ReplaceAll(kOrders, "\n@", "\n"); }

std::string Numbered(const std::string& d) {
  std::string out;
  int number = 0;
  for (char c : kOrders) out += c == '@' ? std::to_string(number += 10) + d : std::string(1, c);
  return out;
}

struct NumberCase {
  std::string name;
  std::function<void(CGildex&)> settings;
  std::string before, numbered;
  bool twice_is_once = true;     // numbering the result again changes nothing
  bool unnumbers_back = true;    // un-numbering the result gives `before`
  std::string status = "Report skipped (user set set the skip tags)";  // the only status allowed
};

TEST(NumberModule, NumbersEveryStatementThatCanCarryANumberUnderEachSetting) {
  auto numbering = [](std::int16_t increment, std::int32_t start, bool reset, std::string delimiter) {
    return [=](CGildex& g) {
      g.LineIncrement(increment);
      g.StartLine(start);
      g.ResetLines(reset);
      g.LineDelimiter(delimiter);
    };
  };
  const std::string save = "Sub Save()\n    Dim f As Integer\n    'no space after the apostrophe\n\n    ' a note\n    f = FreeFile\nEnd Sub\n";
  const std::string filtered = "Sub SubtotalOrders()\n    a = 1\nEnd Sub\n\nFunction Tax( _\n"
                               "    ) As Currency ' GX2/Standard\n    Tax = 1\nEnd Function\n\nSub Report() ' <<>>\n    b = 2\nEnd Sub\n";
  const std::vector<NumberCase> cases = {
      // With no start line (the engine's) the first number is the increment, never 0.
      {"statements that can carry a label", nullptr, Unmarked(), Numbered(" ")},
      {"colon delimiter", [](CGildex& g) { g.LineDelimiter(":"); }, Unmarked(), Numbered(":")},
      {"negative start line", numbering(5, -40, false, " "), Two("", "", ""), Two("5", "10", "15")},
      {"start line again in every procedure", numbering(10, 100, true, " "), Two("", "", ""), Two("100", "110", "100")},
      {"reset without a start line", numbering(10, 0, true, " "), Two("", "", ""), Two("10", "20", "10")},
      {"two-character delimiter", numbering(10, 0, false, ": "), Two("", "", ""), Two("10", "20", "30", ": "), false,
       false},
      {"Dims with NumberDims", [](CGildex& g) { g.NumberDims(true); }, save,
       ReplaceAll(ReplaceAll(save, "    Dim", "10     Dim"), "    f = ", "20     f = ")},
      {"blank lines with NumberBlankLines", [](CGildex& g) { g.NumberBlankLines(true); }, save,
       ReplaceAll(ReplaceAll(save, "\n\n", "\n10 \n"), "    f = ", "20     f = "), false},
      // "' a note" is a note whatever the settings say.
      {"comment lines without a space", [](CGildex& g) { g.NumberCommentLines(true); }, save,
       ReplaceAll(ReplaceAll(save, "    'no", "10     'no"), "    f = ", "20     f = "), false},
      {"the skip tag", [](CGildex& g) { g.DefaultTemplate("Standard"); }, filtered,
       ReplaceAll(ReplaceAll(filtered, "    a = 1", "10     a = 1"), "    Tax = 1", "20     Tax = 1")},
      // Numbering gives the filter no type text: only a name containing the value passes.
      {"InsertInto SUB", [](CGildex& g) { g.InsertInto("SUB"); }, filtered,
       ReplaceAll(filtered, "    a = 1", "10     a = 1")},
      {"InsertInto -- takes the procedures tagged for the template",
       [](CGildex& g) {
         g.DefaultTemplate("Standard");
         g.InsertInto("--");
       },
       filtered, ReplaceAll(filtered, "    Tax = 1", "10     Tax = 1")},
      // A comment or blank line numbered above the first procedure would become a statement of
      // the declarations section, which VB6 refuses.
      {"no Rem line above a procedure", nullptr, "Option Explicit\nRem Totals.\n' Adds them up.\nSub Add()\n    x = 1\nEnd Sub\n",
       "Option Explicit\nRem Totals.\n' Adds them up.\nSub Add()\n10     x = 1\nEnd Sub\n"},
      {"no banner comment above a procedure", [](CGildex& g) { g.NumberCommentLines(true); },
       "'-------------\n' Adds them up.\nSub Add()\n    x = 1\nEnd Sub\n",
       "'-------------\n' Adds them up.\nSub Add()\n10     x = 1\nEnd Sub\n"},
      {"a module of comments only", [](CGildex& g) { g.NumberCommentLines(true); }, "'-- orders\n' nothing here yet\n",
       "'-- orders\n' nothing here yet\n"},
      {"no blank line below the declarations", [](CGildex& g) { g.NumberBlankLines(true); },
       "Option Explicit\n\nSub Add()\n    x = 1\nEnd Sub\n", "Option Explicit\n\nSub Add()\n10     x = 1\nEnd Sub\n"},
      // A statement that can carry a number gets the new one; "100 Dim v" cannot without
      // NumberDims and keeps its own.
      {"a module with numbers of its own", nullptr,
       "Sub Legacy()\n5 x = 1\n7: y = 2\nErrorTrap: z = 3\n    Dim w\n100 Dim v\nEnd Sub\n",
       "Sub Legacy()\n10 x = 1\n20  y = 2\nErrorTrap: z = 3\n    Dim w\n100 Dim v\nEnd Sub\n", false, false},
  };
  for (const NumberCase& c : cases) {
    Engine engine;
    if (c.settings) c.settings(engine.rig.gildex);
    const std::string numbered = engine.Run(Operation::Number, Module(c.before));
    EXPECT_EQ(numbered, Module(c.numbered)) << c.name;
    if (c.twice_is_once) {
      EXPECT_EQ(engine.Run(Operation::Number, numbered), numbered) << c.name;
    }
    if (c.unnumbers_back) {
      EXPECT_EQ(engine.Run(Operation::UnNumber, numbered), Module(c.before)) << c.name;
    }
    for (const std::string& status : engine.progress.statuses)
      EXPECT_EQ(status, c.status) << c.name;
    EXPECT_TRUE(engine.rig.dialogs.Asked().empty()) << c.name;
  }
}

TEST(UnNumberModule, TakesOffNumbersAndLeavesLabelsAndIndentedLines) {
  testing::ExpectRewrites(Operation::UnNumber, {
      {"numbers at column 1 of statements", nullptr,
       "Option Explicit\nPrivate Const MAX_ITEMS = 10\n\nSub Legacy()\n10 x = 1\n20: y = 2\n30:z = 3\nErrorTrap: z = 3\n"
       "    w = 4\n    40 v = 5\n100\n1000 ' checked\n    t = a + _\n10 + b\n'note _\n10 the rest of the note\nEnd Sub\n",
       "Option Explicit\nPrivate Const MAX_ITEMS = 10\n\nSub Legacy()\nx = 1\n y = 2\nz = 3\nErrorTrap: z = 3\n"
       "    w = 4\n    40 v = 5\n100\n' checked\n    t = a + _\n10 + b\n'note _\nthe rest of the note\nEnd Sub\n"},
  });
}

// The remove commands say how many numbers they took that an insert would not have written:
// on a Dim (NumberDims off), on the first Case, on a comment, all of those in a procedure
// where a line that takes a number has none; with Numbering on, every one.
TEST(UnNumberModule, CountsTheNumbersTheNumberingAfterAnInsertWouldNotWrite) {
  const std::string text = Module("Sub A()\n10 Dim x As Long\n20 Select Case x\n30 Case 1\n40 y = 2\n50 ' note\n"
                                  "60 End Select\nEnd Sub\n\nSub B()\n10 x = 1\n    y = 2\nEnd Sub\n");
  for (const bool numbering : {false, true}) {
    testing::Engine engine;
    engine.rig.gildex.Numbering(numbering);
    engine.Run(Operation::UnNumber, text);
    EXPECT_EQ(engine.rig.gildex.Tally().line_numbers, 7);
    EXPECT_EQ(engine.rig.gildex.Tally().foreign_line_numbers, numbering ? 7 : 4) << numbering;
  }
}

TEST(ValidLineForNumbering, DecidesByTheFirstRuleThatApplies) {
  const struct {
    std::string previous, line;
    bool valid;
    bool dims = false, blanks = false, comments = false;
  } cases[] = {
      // The module tables cover the common rules; these are the rarer ones.
      {"' note _", "    x = 1", false}, {"    select case a ' lower case", "        Case 1", false},
      {"    Select Case a", "    Dim x As Long", false},  // Dim answers before Select Case is looked at
      {"        Case 1", "        Case 2", true}, {"", "Global g As Long", false}, {"", "Option Explicit", false},
      {"", "Declare Function GetTickCount Lib \"kernel32\" () As Long", false}, {"", "Type TPoint", false},
      {"", "  End Sub", false}, {"", "#", false}, {"", "    #Else", false}, {"", "Label1: x = 1", false},
      {"", "10 x = 1", false}, {"", "-10 x = 1", false}, {"", "10x = 1", true}, {"", "End If", true},
      {"", "Static s As Long", true}, {"", "ReDim a(10)", true}, {"", "    Const A = 1", false, true},  // never a Const
  };
  for (const auto& c : cases) {
    EngineRig rig;
    rig.gildex.NumberDims(c.dims);
    rig.gildex.NumberBlankLines(c.blanks);
    rig.gildex.NumberCommentLines(c.comments);
    EXPECT_EQ(rig.gildex.ValidLineForNumbering(c.previous, c.line), c.valid) << '"' << c.previous << "\" / \"" << c.line << '"';
    EXPECT_TRUE(rig.dialogs.Asked().empty());
  }
}

TEST(RemoveLineNumber, TakesOffANumberAtColumnOne) {
  const struct {
    std::string delimiter, line, stripped;
  } cases[] = {
      // Labels, colons and indented numbers are the un-numbering table's.
      {" ", "", ""}, {" ", "10 ", ""}, {" ", "x = 10 + 1", "x = 10 + 1"}, {" ", "1.5 x", "x"}, {" ", "-3 x", "x"},
      {" ", "1E3 x", "x"}, {" ", "1E x", "1E x"}, {" ", "\t10 x", "\t10 x"},  // a tab is not a space
      {":", "10:    x = 1", "    x = 1"}, {":", "10 x = 1", "x = 1"}, {"\t", "10\tx = 1", "x = 1"},
      // Only the delimiter's first character goes: a two-character one leaves its second.
      {": ", "10:     x = 1", "     x = 1"}, {"", "10 x = 1", "x = 1"},
  };
  for (const auto& c : cases) {
    EngineRig rig;
    rig.gildex.LineDelimiter(c.delimiter);
    EXPECT_EQ(rig.gildex.RemoveLineNumber(c.line), c.stripped) << '"' << c.delimiter << "\" / \"" << c.line << '"';
  }
}

TEST(NumberModule, TooManyLinesForTheIncrementSwitchesResetLinesOn) {
  // 65,540 lines at 32,767 a line would pass the largest Long: numbering starts again in
  // every procedure instead.
  std::string text;
  for (int p = 0; p < 13108; ++p) text += "Sub P" + std::to_string(p) + "()\r\n    a = 1\r\n    b = 2\r\n    c = 3\r\nEnd Sub\r\n";
  text.resize(text.size() - 2);
  Engine engine;
  engine.rig.gildex.LineIncrement(32767);
  const std::string numbered = engine.Run(Operation::Number, text);
  EXPECT_TRUE(engine.rig.gildex.ResetLines());
  EXPECT_TRUE(engine.progress.statuses.empty());
  EXPECT_TRUE(numbered.ends_with("Sub P13107()\r\n32767     a = 1\r\n65534     b = 2\r\n98301     c = 3\r\nEnd Sub"));
}

// What cannot be numbered goes to the status list and the pass goes on; un-numbering
// reports through the error box.
TEST(NumberModule, WhatFailsIsReportedAndThePassGoesOn) {
  const struct {
    Operation operation;
    std::int32_t start_line;
    long refuse_replace;
    std::string before, after;
    std::vector<std::string> statuses, boxes;
  } cases[] = {
      {Operation::Number, 2147483640, 0, Two("", "", ""), Two("2147483640", "", ""),
       {"Overflow in NumberModule", "Overflow in NumberModule"}, {}},
      {Operation::Number, 0, 4, Two("", "", ""), Two("", "20", "30"), {"Module is locked in NumberModule"}, {}},
      {Operation::UnNumber, 0, 3, "Sub A()\n10 x = 1\n20 y = 2\nEnd Sub\n", "Sub A()\nx = 1\n20 y = 2\nEnd Sub\n", {},
       {"CGildex.UnNumberModule"}},
  };
  for (const auto& c : cases) {
    Engine engine;
    engine.rig.gildex.StartLine(c.start_line);
    testing::RefusingModule module(Module(c.before), 0, c.refuse_replace);
    Apply(engine.rig.gildex, c.operation, module);
    EXPECT_EQ(module.Text(), Module(c.after));
    EXPECT_EQ(engine.progress.statuses, c.statuses);
    EXPECT_EQ(testing::ReportedNames(engine.rig.dialogs), c.boxes);
  }
}

}  // namespace
}  // namespace gildex
