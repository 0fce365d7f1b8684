#include "host/memory_code_module.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <random>

#include "host/host_test.h"
#include "host/vb_keywords.h"

namespace gildex::host {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

const char* KindName(ProcKind kind) { return std::array{"Proc", "Let", "Set", "Get"}.at(static_cast<int>(kind)); }

// The module's structure as the engine sees it, walking every line with ProcOfLine:
// "decl N", then "Name/Kind start-body-last" per procedure. Also checks that every line of
// a range answers that procedure and that the kept table matches a fresh scan.
std::vector<std::string> Outline(const MemoryCodeModule& module) {
  std::vector<std::string> outline{"decl " + std::to_string(module.CountOfDeclarationLines())};
  long line = 1;
  while (line <= module.CountOfLines()) {
    ProcKind kind = ProcKind::Get;
    std::string name = module.ProcOfLine(line, kind);
    if (name.empty()) {
      EXPECT_EQ(kind, ProcKind::Proc) << "line " << line;
      ++line;
      continue;
    }
    long start = module.ProcStartLine(name, kind);
    long last = start + module.ProcCountLines(name, kind) - 1;
    outline.push_back(name + "/" + KindName(kind) + " " + std::to_string(start) + "-" +
                      std::to_string(module.ProcBodyLine(name, kind)) + "-" + std::to_string(last));
    EXPECT_EQ(start, line) << name;
    for (long l = start; l <= last; ++l) {
      ProcKind inner = ProcKind::Proc;
      EXPECT_EQ(module.ProcOfLine(l, inner), name) << "line " << l;
      EXPECT_EQ(inner, kind) << "line " << l;
    }
    line = std::max(last, line) + 1;
  }
  EXPECT_EQ(module.CheckConsistency(), "");
  return outline;
}

std::unique_ptr<MemoryCodeModule> Module(std::string_view text) { return MemoryCodeModule::FromText("Module1", text); }

struct RangeCase { const char* name; const char* text; std::vector<std::string> outline; };

TEST(MemoryCodeModule, ProcedureRangesAsTheIdeGivesThem) {
  const std::vector<RangeCase> cases = {
      {"comments above procedures belong to them",
       "Option Explicit\nPrivate mCount As Long\n\n' Adds one.\nPublic Sub Add()\n"
       "  mCount = mCount + 1\nEnd Sub\n\n' Reads it.\nPublic Function Value() As Long\n"
       "  Value = mCount\nEnd Function\n", {"decl 2", "Add/Proc 3-5-7", "Value/Proc 8-10-12"}},
      {"continued declaration", "Option Explicit\nPrivate Function Sum( _\n    ByVal a As Long, _\n"
       "    ByVal b As Long) As Long\n  Sum = a + b\nEnd Function\nPublic _\n  Sub Later()\nEnd Sub\n",
       {"decl 1", "Sum/Proc 2-2-6", "Later/Proc 7-7-9"}},
      {"continued declaration in the declarations section",
       "Private Declare Function GetTickCount _\n    Lib \"kernel32\" () As Long\n' next\nSub Main()\nEnd Sub\n",
       {"decl 2", "Main/Proc 3-4-5"}},
      {"property Get, Let and Set of one name",
       "Private mName As String\nPublic Property Get Name() As String\n  Name = mName\n"
       "End Property\nPublic Property Let Name(ByVal value As String)\n  mName = value\n"
       "End Property\nFriend Property Set Name(ByVal value As Object)\nEnd Property\n",
       {"decl 1", "Name/Get 2-2-4", "Name/Let 5-5-7", "Name/Set 8-8-9"}},
      {"Static and Friend, any letter case",
       "public static function Counter() As Long\n  Static n As Long\nEND FUNCTION\n"
       "Friend Static Sub Touch()\nEnd Sub\nPrivate Static Property Get Size() As Long\nEnd Property\n",
       {"decl 0", "Counter/Proc 1-1-3", "Touch/Proc 4-4-5", "Size/Get 6-6-7"}},
      {"Declare, Event and look-alikes are not procedures",
       "Public Declare Function GetTickCount Lib \"kernel32\" () As Long\n"
       "Private Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)\n"
       "Public Event Changed(ByVal value As Long)\nDim Sub_Total As Long\nRem Sub NotThis()\n"
       "' Sub NorThis()\nSub Real()\n  Subtotal = 1\n  EndSub = 2\nEnd Sub\n", {"decl 4", "Real/Proc 5-7-10"}},
      {"End with a comment, labels and line numbers",
       "Sub Numbered()\n10 On Error GoTo Fail\n20 Exit Sub\nFail:\n30 Resume Next\n"
       "40 End Sub ' done\nRetry: Sub NotValid()\nEnd Sub   ' also done\n",
       {"decl 0", "Numbered/Proc 1-1-6", "NotValid/Proc 7-7-8"}},
      {"lines after the last End belong to none", "Sub A()\nEnd Sub\n\n' trailing comment\n",
       {"decl 0", "A/Proc 1-1-2"}},
      {"stray code between procedures belongs to the next one",
       "Sub A()\nEnd Sub\nx = 1\n' comment\nSub B()\nEnd Sub\n", {"decl 0", "A/Proc 1-1-2", "B/Proc 3-5-6"}},
      {"truncated module: the last procedure runs to the end", "Dim x\nSub A()\nEnd Sub\nFunction B()\n  B = 1\n",
       {"decl 1", "A/Proc 2-2-3", "B/Proc 4-4-5"}},
      {"a declaration before the End is a line of the open procedure",
       "Sub A()\n  x = 1\n' about B\nSub B()\nEnd Sub\n", {"decl 0", "A/Proc 1-1-5"}},
      {"only declarations", "Option Explicit\n' comment\nPrivate x As Long\n\n' trailing\n", {"decl 3"}},
      {"empty module", "", {"decl 0"}},
  };
  for (const RangeCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THAT(Outline(*Module(c.text)), ElementsAreArray(c.outline));
  }
}

TEST(MemoryCodeModule, DuplicateNamesAnswerTheFirst) {
  auto module = Module("Sub A()\nEnd Sub\nSub A()\n  x = 1\nEnd Sub\n");
  EXPECT_EQ(module->ProcStartLine("a", ProcKind::Proc), 1);
  EXPECT_EQ(module->ProcCountLines("A", ProcKind::Proc), 2);
  ProcKind kind = ProcKind::Proc;
  EXPECT_EQ(module->ProcOfLine(4, kind), "A");
  module->DeleteLines(1, 2);
  EXPECT_EQ(module->ProcStartLine("A", ProcKind::Proc), 1);
  EXPECT_EQ(module->ProcCountLines("A", ProcKind::Proc), 3);
}

TEST(MemoryCodeModule, BadNamesKindsAndLinesFailWithHostNumbers) {
  auto module = Module("Property Get P()\nEnd Property\nSub S()\nEnd Sub\n");
  ProcKind kind = ProcKind::Proc;
  const std::vector<std::tuple<const char*, long, std::function<void()>>> calls = {
      {"Let of a Get-only property", 35, [&] { module->ProcStartLine("P", ProcKind::Let); }},
      {"Proc kind of a property", 35, [&] { module->ProcBodyLine("P", ProcKind::Proc); }},
      {"unknown name", 35, [&] { module->ProcCountLines("Nope", ProcKind::Proc); }},
      {"Get of a sub", 35, [&] { module->ProcStartLine("S", ProcKind::Get); }},
      {"ProcOfLine 0", 9, [&] { module->ProcOfLine(0, kind); }},
      {"ProcOfLine past the end", 9, [&] { module->ProcOfLine(5, kind); }},
      {"Lines past the end", 9, [&] { module->Lines(4, 2); }},
      {"Lines from 0", 9, [&] { module->Lines(0, 1); }},
      {"Lines negative count", 9, [&] { module->Lines(1, -1); }},
      {"Line past the end", 9, [&] { module->Line(5); }},
      {"InsertLines past the end", 9, [&] { module->InsertLines(6, "x"); }},
      {"InsertLines at 0", 9, [&] { module->InsertLines(0, "x"); }},
      {"DeleteLines past the end", 9, [&] { module->DeleteLines(4, 2); }},
      {"ReplaceLine past the end", 9, [&] { module->ReplaceLine(5, "x"); }},
      {"Parent of a module outside a project", 91, [&] { module->Parent(); }},
  };
  for (const auto& [what, number, call] : calls)
    EXPECT_TRUE(testing::HostErrorOf(call).starts_with(std::to_string(number) + ": ")) << what;
  EXPECT_EQ(module->Text(), "Property Get P()\r\nEnd Property\r\nSub S()\r\nEnd Sub");
  EXPECT_FALSE(module->IsDirty());
}

TEST(MemoryCodeModule, LinesJoinWithCrLfAndInsertSplitsAtEveryBreak) {
  auto module = Module("a\nb\nc");
  // Every edit says which lines it replaced, however it was made.
  std::vector<std::vector<long>> edits;
  Connection watch(module->Edited, [&](long first, long removed, long added) { edits.push_back({first, removed, added}); });
  EXPECT_EQ(module->Lines(2, 2), "b\r\nc");
  EXPECT_EQ(module->Lines(2, 0), "");
  EXPECT_EQ(module->Lines(4, 0), "");
  module->InsertLines(2, "x\r\ny\nz\rw");
  EXPECT_EQ(module->Text(), "a\r\nx\r\ny\r\nz\r\nw\r\nb\r\nc");
  module->InsertLines(1, "first\r\n");
  EXPECT_EQ(module->Lines(1, 3), "first\r\n\r\na");
  module->InsertLines(module->CountOfLines() + 1, "");
  EXPECT_EQ(module->CountOfLines(), 10);
  EXPECT_EQ(module->Lines(10, 1), "");
  module->ReplaceLine(2, "p\nq");
  module->DeleteLines(3, 2);
  module->DeleteLines(1, 0);
  EXPECT_EQ(module->Line(2), "p");
  EXPECT_THAT(edits, ElementsAre(ElementsAre(2, 0, 4), ElementsAre(1, 0, 2), ElementsAre(10, 0, 1),
                                 ElementsAre(2, 1, 2), ElementsAre(3, 2, 0)));
  EXPECT_TRUE(module->IsDirty());
  module->ClearDirty();
  EXPECT_FALSE(module->IsDirty());

  // Replaced text is garbage until the module copies what is left: every line numbered
  // four times over keeps its text.
  std::string text = "Sub S()";
  for (int line = 0; line < 300; ++line) text += "\nx = " + std::to_string(line);
  module = Module(text + "\nEnd Sub");
  for (int round = 1; round <= 4; ++round)
    for (long line = 2; line <= 301; ++line)
      module->ReplaceLine(line, std::to_string(round * line) + " x = " + std::to_string(line - 2));
  EXPECT_EQ(module->Lines(300, 3), "1200 x = 298\r\n1204 x = 299\r\nEnd Sub");
  EXPECT_EQ(module->CheckConsistency(), "");

  // The pane's selection is clamped to the module.
  module = Module("a\nb\nc");
  CodePane& pane = module->Pane();
  EXPECT_EQ(&pane.Module(), module.get());
  std::vector<long> told;
  Connection follow(pane.SelectionSet,
                    [&](const Selection& s) { told = {s.start_line, s.start_column, s.end_line, s.end_column}; });
  pane.SetSelection({2, 3, 9, 1});
  Selection s = pane.GetSelection();
  EXPECT_THAT((std::vector<long>{s.start_line, s.start_column, s.end_line, s.end_column}), ElementsAre(2, 3, 3, 1));
  EXPECT_THAT(told, ElementsAre(2, 3, 3, 1));
  pane.SetSelection({3, 1, 1, 0});
  s = pane.GetSelection();
  EXPECT_THAT((std::vector<long>{s.start_line, s.start_column, s.end_line, s.end_column}), ElementsAre(1, 1, 3, 1));
}

std::vector<CodeLine> CodeLines(const std::vector<std::pair<std::string, std::vector<std::string>>>& lines) {
  std::vector<CodeLine> code;
  for (const auto& [text, hidden] : lines) {
    CodeLine line{RawLine{text, LineEnd::CrLf}, {}};
    for (const std::string& h : hidden) line.hidden.push_back(RawLine{h, LineEnd::CrLf});
    code.push_back(std::move(line));
  }
  return code;
}

// Each line with its line end ("|LF", "|CRLF", "|" for none), hidden lines in brackets.
std::vector<std::string> FileLines(const MemoryCodeModule& module) {
  const auto end = [](LineEnd e) { return e == LineEnd::Lf ? "|LF" : e == LineEnd::CrLf ? "|CRLF" : e == LineEnd::Cr ? "|CR" : "|"; };
  std::vector<std::string> lines;
  for (const CodeLine& line : module.ExportLines()) {
    lines.push_back(line.line.text + end(line.line.end));
    for (const RawLine& hidden : line.hidden) lines.push_back("[" + hidden.text + "]" + end(hidden.end));
  }
  return lines;
}

// Hidden attribute lines stay under their line; each line keeps its own end, new lines take the
// module's, and the last line has none when the file had none.
TEST(MemoryCodeModule, HiddenAttributeLinesAndLineEndsStayWithTheirLine) {
  std::vector<CodeLine> lines = CodeLines({{"Public Function Total() As Long", {"Attribute Total.VB_Description = \"Sum\""}},
                                           {"  Total = 1", {}},
                                           {"End Function", {}},
                                           {"Public Sub Gone()", {"Attribute Gone.VB_UserMemId = 0"}},
                                           {"End Sub", {}}});
  lines[0].line.end = lines[0].hidden[0].end = lines[2].line.end = LineEnd::Lf;
  lines[4].line.end = LineEnd::None;
  MemoryCodeModule module("Class1", lines, LineEnd::Lf, nullptr);
  EXPECT_EQ(module.CountOfLines(), 5);
  module.InsertLines(2, "  On Error GoTo Fail");
  module.ReplaceLine(1, "Public Function Total() As Long ' <<>>");
  module.ReplaceLine(3, "  Total = 2");
  module.InsertLines(7, "' tail");
  EXPECT_THAT(FileLines(module),
              ElementsAre("Public Function Total() As Long ' <<>>|LF", "[Attribute Total.VB_Description = \"Sum\"]|LF",
                          "  On Error GoTo Fail|LF", "  Total = 2|CRLF", "End Function|LF", "Public Sub Gone()|CRLF",
                          "[Attribute Gone.VB_UserMemId = 0]|CRLF", "End Sub|LF", "' tail|"));
  module.DeleteLines(5, 3);
  EXPECT_THAT(FileLines(module),
              ElementsAre("Public Function Total() As Long ' <<>>|LF", "[Attribute Total.VB_Description = \"Sum\"]|LF",
                          "  On Error GoTo Fail|LF", "  Total = 2|CRLF", "End Function|"));
  EXPECT_EQ(module.Text(), "Public Function Total() As Long ' <<>>\r\n  On Error GoTo Fail\r\n  Total = 2\r\nEnd Function");
  EXPECT_THAT(Outline(module), ElementsAre("decl 0", "Total/Proc 1-1-4"));
}

TEST(MemoryCodeModule, MembersListProceduresAndModuleLevelNames) {
  MemoryCodeModule module(
      "Class1",
      CodeLines({{"Option Explicit", {}},
                 {"Public Event Changed(ByVal value As Long)", {}},
                 {"Private Const kMax As Long = 10, kMin = 1", {}},
                 {"Public Count As Long, Names() As String", {"Attribute Count.VB_VarDescription = \"How many\""}},
                 {"Dim WithEvents mTimer As Timer", {}},
                 {"Private Type Pair", {}},
                 {"  a As Long", {}},
                 {"End Type", {}},
                 {"Private Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)", {}},
                 {"Public Property Get Size() As Long", {"Attribute Size.VB_Description = \"The \"\"size\"\"\""}},
                 {"End Property", {}},
                 {"Public Property Let Size(ByVal v As Long)", {}},
                 {"End Property", {}},
                 {"Friend Sub Reset()", {}},
                 {"End Sub", {}},
                 {"Function Plain()", {}},
                 {"End Function", {}}}),
      LineEnd::CrLf, nullptr);
  std::vector<std::string> members;
  for (const Member& m : module.Members())
    members.push_back(m.name + " " + std::to_string(static_cast<int>(m.type)) + " " + m.scope + " " +
                      std::to_string(m.code_location) + " " + m.description);
  EXPECT_THAT(members, ElementsAre("Changed 4 Public 2 ", "kMax 5 Private 3 ", "kMin 5 Private 3 ",
                                   "Count 3 Public 4 How many", "Names 3 Public 4 ", "mTimer 3 Private 5 ",
                                   "Size 2 Public 10 The \"size\"", "Reset 1 Friend 14 ", "Plain 1 Public 16 "));
}

TEST(MemoryCodeModule, FindsTextAsTheIdeDoes) {
  auto module = Module("Sub Total()\n  total = Subtotal + 1\n  ' TOTAL done\nEnd Sub");
  // found: start line, start column, end line, end column; empty: not found
  struct FindCase { const char* target; bool whole_word, match_case, pattern; long from_line, from_column; std::vector<long> found; };
  const std::vector<FindCase> cases = {
      {"total", false, false, false, 1, 1, {1, 5, 1, 10}},
      {"total", false, true, false, 1, 1, {2, 3, 2, 8}},
      {"total", true, false, false, 2, 4, {3, 5, 3, 10}},
      {"sub", true, false, false, 1, 2, {4, 5, 4, 8}},
      {"T?tal", false, true, true, 1, 1, {1, 5, 1, 10}},
      {"[s]ub#", false, false, true, 1, 1, {}},
      {"+ #", false, false, true, 1, 1, {2, 20, 2, 23}},
      {"' *", false, false, true, 1, 1, {3, 3, 3, 15}},
      {"[!a-z]otal", false, true, true, 1, 1, {1, 5, 1, 10}},
      {"[!a-z]otal", false, false, true, 1, 1, {}},
      {"missing", false, false, false, 1, 1, {}},
  };
  for (const FindCase& c : cases) {
    SCOPED_TRACE(c.target);
    long sl = c.from_line, sc = c.from_column, el = -1, ec = -1;
    bool found = module->Find(c.target, sl, sc, el, ec, c.whole_word, c.match_case, c.pattern);
    EXPECT_EQ(found, !c.found.empty());
    if (found) {
      EXPECT_THAT((std::vector<long>{sl, sc, el, ec}), ElementsAreArray(c.found));
    }
  }
  long sl = 1, sc = 1, el = 1, ec = 9;  // the match must end inside the range
  EXPECT_FALSE(module->Find("Total", sl, sc, el, ec));
}

// Lines whose structure matters, so random edits keep opening, closing, continuing and
// cutting procedures. After every insert, delete and replace (by one line or several) the kept
// table must be what a fresh scan finds; what a fresh scan finds is the range table's test.
const std::vector<std::string> kRandomLines = {
    "Sub A()", "Public Function B() As Long", "Private Property Get P()", "Property Let P(v)", "End Sub", "End Function",
    "End Property ' x", "  x = 1", "' comment", "", "Dim y As Long", "Private Sub C( _", "  ByVal z As Long)", "  y = y + _",
    "Fail:", "10 End Sub", "Static Sub S()", "Public Event E()", "Private Declare Sub Sleep Lib \"k\" ()", "Friend Sub A()",
    "  ' End Sub", "_", "End Sub _"};

TEST(MemoryCodeModule, RandomEditsKeepTheTableRight) {
  std::mt19937 random(20240611);
  auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
  auto random_text = [&] {
    std::string text = kRandomLines[pick(kRandomLines.size())];
    for (std::size_t extra = pick(4); extra > 0; --extra) text += "\r\n" + kRandomLines[pick(kRandomLines.size())];
    return text;
  };
  std::string start;
  for (int i = 0; i < 60; ++i) start += kRandomLines[pick(kRandomLines.size())] + "\n";
  auto module = Module(start);
  for (int step = 0; step < 4000; ++step) {
    long n = module->CountOfLines();
    long line = static_cast<long>(pick(static_cast<std::size_t>(n) + 1)) + 1;
    std::size_t op = pick(3);
    if (n < 20) op = 0;
    if (n > 200 && op == 0) op = 1;
    if (op == 0)
      module->InsertLines(line, random_text());
    else if (op == 1)
      module->DeleteLines(std::min(line, n), std::min<long>(static_cast<long>(pick(4)) + 1, n - std::min(line, n) + 1));
    else
      module->ReplaceLine(std::min(line, n), random_text());
    std::string problem = module->CheckConsistency();
    ASSERT_EQ(problem, "") << "after step " << step << ":\n" << module->Text();
  }
  module->DeleteLines(1, module->CountOfLines());
  EXPECT_EQ(module->CheckConsistency(), "");
}

TEST(RenderKeywords, KeywordsTakeVb6sCaseAndNothingElseChanges) {
  // A sample of the keyword list, not all of it: the list itself is data.
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"\tExit SUB", "\tExit Sub"},
      {"On Error Goto 0", "On Error GoTo 0"},
      {"    on error goto Save_ErrorHandler", "    On Error GoTo Save_ErrorHandler"},
      {"10  If x Then gosub 20 elseif y then return", "10  If x Then GoSub 20 ElseIf y Then Return"},
      {"Private Function f(byval a as long, BYREF b As string, optional c as variant) as boolean",
       "Private Function f(ByVal a As Long, ByRef b As String, Optional c As Variant) As Boolean"},
      {"const K = true or false xor not a and b mod c", "Const K = True Or False Xor Not a And b Mod c"},
      {"if typeof o is Form then x = empty else x = null", "If TypeOf o Is Form Then x = Empty Else x = Null"},
      {"debug.print x", "Debug.Print x"},
      {"#if DEBUG then", "#If DEBUG Then"},
      // Comments, members, bracketed names and names that contain a keyword stay; so do type suffixes.
      {"x = 1: rem on error goto 0", "x = 1: Rem on error goto 0"},
      {"s = date$ & left$(s, 1)", "s = Date$ & left$(s, 1)"},
      {"rs.close: rs!end = 1: me.print", "rs.close: rs!end = 1: Me.print"},
      {"[end] = endTime + EndIf_1 + subTotal + x.Type", "[end] = endTime + EndIf_1 + subTotal + x.Type"},
      {"", ""},
  };
  for (const auto& [given, rendered] : cases) EXPECT_EQ(RenderKeywords(given), rendered) << given;
}

// Only the lines an edit gives the module are rendered; the file's own lines keep every byte.
TEST(RenderKeywords, OnlyEditedLinesAreRendered) {
  auto module = MemoryCodeModule::FromText("modA", "sub A()\r\n    x = 1\r\nend sub");
  module->InsertLines(2, "on error goto A_ErrorHandler");
  module->ReplaceLine(4, "end sub ' exit sub");
  EXPECT_EQ(module->Text(), "sub A()\r\nOn Error GoTo A_ErrorHandler\r\n    x = 1\r\nEnd Sub ' exit sub");
  EXPECT_EQ(module->CheckConsistency(), "");
}

}  // namespace
}  // namespace gildex::host
