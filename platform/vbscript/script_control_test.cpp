// The language as a user's script meets it, through the scripting control: each group of
// cases is checked against what Windows' VBScript gives.
#include "platform/vbscript/script_control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/cp1252.h"
#include "platform/vbscript/show_value_test.h"

namespace gildex::vbscript {
namespace {

using testing::Outcome;
using testing::Show;

struct EvalCase {
  const char* expression;
  const char* expected;
};

class ScriptControlTest : public ::testing::Test {
 protected:
  platform::FixedClock clock_{{2024, 3, 9, 14, 5, 7, 6}};
  ScriptControl sc_{clock_};

  std::string EvalText(const std::string& expression) {
    return Outcome(sc_, [&] { return sc_.Eval(expression); });
  }
  // Runs `code` (which defines Function Test) and shows what Test returns.
  std::string RunTest(const std::string& code) {
    sc_.Reset();
    return Outcome(sc_, [&] {
      sc_.AddCode(code);
      return sc_.Run("Test");
    });
  }
  void ExpectAll(std::initializer_list<EvalCase> cases) {
    for (const auto& c : cases) EXPECT_EQ(EvalText(c.expression), c.expected) << c.expression;
  }
  // Each case is the body of Function Test, after `module` code and the body's first `lines`.
  void ExpectBodies(std::initializer_list<EvalCase> cases, const std::string& module = "", const std::string& lines = "") {
    for (const auto& c : cases)
      EXPECT_EQ(RunTest(module + "Function Test()\r\n" + lines + c.expression + "\r\nEnd Function"), c.expected) << c.expression;
  }
  // Each case is a whole script defining Function Test.
  void ExpectScripts(std::initializer_list<EvalCase> cases) {
    for (const auto& c : cases) EXPECT_EQ(RunTest(c.expression), c.expected) << c.expression;
  }
};

TEST_F(ScriptControlTest, OperatorsFollowVBScriptPrecedenceAndTypes) {
  ExpectAll({
      {"1 + 2 * 3", "Integer 7"}, {"(1 + 2) * 3", "Integer 9"}, {"2 ^ 3 ^ 2", "Double 64"}, {"-3 ^ 2", "Double 9"},
      {"2 ^ -1", "Double 0.5"}, {"7 \\ 2", "Integer 3"}, {"-7 \\ 2", "Integer -3"}, {"7 Mod 3", "Integer 1"},
      {"-7 Mod 3", "Integer -1"}, {"7.5 Mod 2", "Long 0"}, {"10 / 4", "Double 2.5"},
      {"32767 + 1", "Long 32768"}, {"2147483647 + 1", "Double 2147483648"},
      {"1 + 2 & 3", "String \"33\""}, {"\"1\" + 2", "Double 3"}, {"\"a\" + \"b\"", "String \"ab\""},
      {"\"a\" & Null", "String \"a\""}, {"Null & Null", "Null"}, {"1 + Null", "Null"}, {"Empty + 1", "Integer 1"},
      {"True + True", "Integer -2"}, {"Not 0", "Integer -1"}, {"Not True", "Boolean False"},
      {"True And False", "Boolean False"}, {"5 And 3", "Integer 1"}, {"5 Or 3", "Integer 7"},
      {"5 Xor 3", "Integer 6"}, {"True Eqv False", "Boolean False"}, {"False Imp True", "Boolean True"},
      {"Null And False", "Boolean False"}, {"Null Or True", "Boolean True"}, {"Null And True", "Null"},
      {"Not Null", "Null"}, {"1 < 2 And 2 < 3", "Boolean True"}, {"Not 1 = 2", "Boolean True"},
      {"1 / 0", "Error 11: Division by zero"}, {"1 \\ 0", "Error 11: Division by zero"},
      {"\"abc\" * 2", "Error 13: Type mismatch"}, {"1.5E3", "Double 1500"}, {".5 + 1", "Double 1.5"},
  });
}

TEST_F(ScriptControlTest, ComparisonsCoerceAsVBScriptDoes) {
  ExpectAll({
      {"\"abc\" < \"abd\"", "Boolean True"}, {"\"a\" = \"A\"", "Boolean False"}, {"\"B\" < \"a\"", "Boolean True"},
      {"\"10\" = 10", "Boolean True"}, {"10 = \"10\"", "Boolean True"}, {"\"abc\" = 1", "Error 13: Type mismatch"},
      {"Empty = 0", "Boolean True"}, {"Empty = \"\"", "Boolean True"}, {"Null = Null", "Null"},
      {"1 = 1.0", "Boolean True"}, {"True = -1", "Boolean True"}, {"#1/2/2024# < #1/3/2024#", "Boolean True"},
      {"Nothing Is Nothing", "Boolean True"}, {"(\"True\" = True) & (\"x\" < False)", "String \"TrueFalse\""},
  });
  // A number held in a variable is less than any string held in a variable.
  EXPECT_EQ(RunTest("Function Test()\r\n  Dim n, s\r\n  n = 10 : s = \"10\"\r\n  Test = (n < s) & \" \" & (n = s)\r\nEnd Function"),
            "String \"True False\"");
}

TEST_F(ScriptControlTest, StringFunctions) {
  ExpectAll({
      {"Len(\"hello\")", "Long 5"}, {"Len(Null)", "Null"}, {"Len(123)", "Long 3"},
      {"Left(\"hello\", 2)", "String \"he\""}, {"Left(\"hi\", 10)", "String \"hi\""},
      {"Left(\"hi\", -1)", "Error 5: Invalid procedure call or argument"}, {"Right(\"hello\", 3)", "String \"llo\""},
      {"Mid(\"hello\", 2, 3)", "String \"ell\""}, {"Mid(\"hello\", 2)", "String \"ello\""},
      {"Mid(\"hello\", 9)", "String \"\""},
      {"InStr(\"hello\", \"l\")", "Long 3"}, {"InStr(4, \"hello\", \"l\")", "Long 4"},
      {"InStr(1, \"Hello\", \"h\", 1)", "Long 1"}, {"InStr(1, \"Hello\", \"h\", vbBinaryCompare)", "Long 0"},
      {"InStr(\"abc\", \"\")", "Long 1"}, {"InStr(\"abc\", Null)", "Null"}, {"InStrRev(\"hello\", \"l\")", "Long 4"},
      {"InStrRev(\"hello\", \"l\", 3)", "Long 3"}, {"Replace(\"a-b-c\", \"-\", \"+\")", "String \"a+b+c\""},
      {"Replace(\"a-b-c\", \"-\", \"+\", 1, 1)", "String \"a+b-c\""},
      {"Replace(\"a-b-c\", \"-\", \"+\", 3)", "String \"b+c\""},
      {"Replace(\"aXbxc\", \"x\", \"_\", 1, -1, vbTextCompare)", "String \"a_b_c\""},
      {"Join(Split(\"a,b,,c\", \",\"), \"|\")", "String \"a|b||c\""}, {"UBound(Split(\"\"))", "Long -1"},
      {"Split(\"a b c\")", "Array(String \"a\", String \"b\", String \"c\")"},
      {"Split(\"a,b,c\", \",\", 2)", "Array(String \"a\", String \"b,c\")"},
      {"Join(Array(1, 2, 3))", "String \"1 2 3\""}, {"LCase(\"\xC0" "BC\")", "String \"\xE0" "bc\""},
      {"UCase(\"stra\xDF" "e\")", "String \"STRA\xDF" "E\""},
      {"\"[\" & Trim(\"  a b  \") & \"]\"", "String \"[a b]\""},
      {"\"[\" & Trim(vbTab & \"a\") & \"]\"", "String \"[\ta]\""},
      {"\"[\" & LTrim(\"  a \") & \"]\"", "String \"[a ]\""}, {"\"[\" & RTrim(\"  a \") & \"]\"", "String \"[  a]\""},
      {"Space(3) & \"x\"", "String \"   x\""}, {"String(3, \"ab\")", "String \"aaa\""},
      {"String(2, 65)", "String \"AA\""}, {"StrComp(\"a\", \"B\")", "Integer 1"},
      {"StrComp(\"a\", \"B\", 1)", "Integer -1"}, {"StrComp(\"a\", \"a\")", "Integer 0"},
      {"StrReverse(\"abc\")", "String \"cba\""}, {"Asc(\"A\")", "Integer 65"},
      {"Asc(\"\")", "Error 5: Invalid procedure call or argument"}, {"AscW(\"\x80\")", "Integer 8364"},
      {"Chr(65) & ChrW(66)", "String \"AB\""}, {"ChrW(8364)", "String \"\x80\""},
      {"Join(Filter(Array(\"apple\", \"banana\", \"cherry\"), \"an\"), \",\")", "String \"banana\""},
      {"Join(Filter(Array(\"apple\", \"banana\"), \"an\", False), \",\")", "String \"apple\""},
      {"vbCrLf = Chr(13) & Chr(10)", "Boolean True"}, {"Len(vbTab & vbCr & vbLf & vbNullString)", "Long 3"},
      {"Escape(\"a b&c/d.e-f_g@h*i+j\")", "String \"a%20b%26c/d.e-f_g@h*i+j\""},
      {"Escape(\"caf\xE9 \x80\" & vbCrLf)", "String \"caf%E9%20%u20AC%0D%0A\""},
      {"Unescape(\"a%20b%u20AC%E9\")", "String \"a b\x80\xE9\""},
      {"Unescape(\"100% %zz %u12\")", "String \"100% %zz %u12\""},
      {"Unescape(Escape(\"x = \"\"1\"\"; y <> 'z'\"))", "String \"x = \"1\"; y <> 'z'\""}, {"Escape(Null)", "Null"},
      {"Val(\"12\")", "Error 13: Type mismatch: 'Val'"},
      // Arguments are converted (13, 94) before ranges are checked (5), then Null passes.
      {"Mid(Null, 0)", "Error 5: Invalid procedure call or argument"},
      {"Mid(\"abc\", 0, Null)", "Error 94: Invalid use of Null"}, {"Right(Null, 1)", "Null"},
      {"Replace(Null, \"a\", \"b\")", "Error 94: Invalid use of Null"},
      {"InStrRev(Null, \"b\", 0)", "Error 5: Invalid procedure call or argument"},
      {"Join(Array(1), Null)", "Error 94: Invalid use of Null"},
      {"Weekday(Null, 9)", "Error 5: Invalid procedure call or argument"},
      {"MonthName(13)", "Error 5: Invalid procedure call or argument"},
      {"DateAdd(\"x\", 1, Now)", "Error 5: Invalid procedure call or argument"},
      {"DateAdd(\"d\", Null, Now)", "Error 94: Invalid use of Null"},
      {"FormatNumber(Null, 40)", "Error 5: Invalid procedure call or argument"},
      {"FormatPercent(\"x\")", "Error 13: Type mismatch"},
  });
}

TEST_F(ScriptControlTest, TypeAndConversionFunctions) {
  ExpectAll({
      {"CStr(5)", "String \"5\""}, {"CStr(1.5)", "String \"1.5\""}, {"CStr(True)", "String \"True\""},
      {"CStr(Null)", "Error 94: Invalid use of Null"},
      {"CStr(0.0001)", "String \"0.0001\""}, {"CInt(2.5)", "Integer 2"}, {"CInt(3.5)", "Integer 4"},
      {"CDbl(\" 1.5 \")", "Double 1.5"}, {"CBool(\"True\")", "Boolean True"}, {"CBool(0)", "Boolean False"},
      {"CBool(\"x\")", "Error 13: Type mismatch"}, {"CByte(255)", "Byte 255"},
      {"CByte(True) & CBool(\"#TRUE#\") & Round(True)", "String \"255TrueTrue\""}, {"CSng(1.5)", "Single 1.5"},
      {"CCur(1.23456)", "Currency 1.2346"}, {"Int(-2.5)", "Double -3"}, {"Fix(-2.5)", "Double -2"},
      {"Int(7)", "Integer 7"}, {"Abs(-3)", "Integer 3"}, {"Sgn(-0.5)", "Integer -1"}, {"Round(2.5)", "Double 2"},
      {"Round(3.5)", "Double 4"}, {"Round(1.2345, 2)", "Double 1.23"}, {"Hex(255)", "String \"FF\""},
      {"Hex(-1)", "String \"FFFF\""}, {"Hex(-70000)", "String \"FFFEEE90\""}, {"Oct(8)", "String \"10\""},
      {"IsEmpty(Empty)", "Boolean True"}, {"IsEmpty(\"\")", "Boolean False"}, {"IsNull(Null)", "Boolean True"},
      {"IsNumeric(\"12.5\")", "Boolean True"}, {"IsNumeric(Empty)", "Boolean True"},
      {"IsArray(Array())", "Boolean True"}, {"IsObject(Nothing)", "Boolean True"}, {"IsDate(\"2024-01-15\")", "Boolean True"},
      {"VarType(\"a\")", "Integer 8"}, {"VarType(1)", "Integer 2"}, {"VarType(100000)", "Integer 3"},
      {"VarType(Array())", "Integer 8204"}, {"TypeName(1.5)", "String \"Double\""},
      {"TypeName(Nothing)", "String \"Nothing\""}, {"TypeName(Empty)", "String \"Empty\""},
      {"TypeName(Array(1))", "String \"Variant()\""},
      {"TypeName(FormatCurrency(1)) & VarType(FormatPercent(1))", "String \"String8\""},
      {"TypeName(Escape(\"a\")) & TypeName(Unescape(\"a\"))", "String \"StringString\""}, {"GetLocale", "Long 1033"},
      {"SetLocale(\"en-us\")", "Long 1033"},
      {"SetLocale(0) & SetLocale(1033) & SetLocale()", "String \"103310331033\""},
      {"ScriptEngine & \" \" & ScriptEngineMajorVersion & \".\" & ScriptEngineMinorVersion", "String \"VBScript 5.8\""},
      {"TypeName(ScriptEngineBuildVersion) & VarType(ScriptEngineMajorVersion)", "String \"Long3\""},
  });
}

TEST_F(ScriptControlTest, DateFunctions) {
  ExpectAll({
      {"Now", "Date 3/9/2024 2:05:07 PM"}, {"Date", "Date 3/9/2024"}, {"Time", "Date 2:05:07 PM"},
      {"Year(#2024-01-15#)", "Integer 2024"}, {"Month(#1/15/2024#)", "Integer 1"},
      {"Day(\"January 15, 2024\")", "Integer 15"}, {"Hour(#3:04:05 PM#)", "Integer 15"},
      {"Minute(#15:04:05#)", "Integer 4"}, {"Second(#15:04:05#)", "Integer 5"}, {"Weekday(#3/9/2024#)", "Integer 7"},
      {"Weekday(#3/9/2024#, vbMonday)", "Integer 6"}, {"DateSerial(2024, 2, 30)", "Date 3/1/2024"},
      {"DateSerial(2024, 13, 1)", "Date 1/1/2025"}, {"TimeSerial(14, 30, 0)", "Date 2:30:00 PM"},
      {"DateAdd(\"m\", 1, #1/31/2024#)", "Date 2/29/2024"}, {"DateAdd(\"d\", -1, #3/1/2024#)", "Date 2/29/2024"},
      {"DateAdd(\"yyyy\", 1, #2/29/2024#)", "Date 2/28/2025"},
      {"DateAdd(\"h\", 2, #1/1/2024 11:00:00 PM#)", "Date 1/2/2024 1:00:00 AM"},
      {"DateDiff(\"d\", #1/1/2024#, #3/1/2024#)", "Long 60"}, {"DateDiff(\"m\", #12/31/2023#, #1/1/2024#)", "Long 1"},
      {"DateDiff(\"yyyy\", #12/31/2023#, #1/1/2024#)", "Long 1"},
      {"DateDiff(\"n\", #1/1/2024 10:00#, #1/1/2024 11:30#)", "Long 90"},
      {"DatePart(\"q\", #8/1/2024#)", "Integer 3"}, {"DatePart(\"y\", #2/1/2024#)", "Integer 32"},
      {"FormatDateTime(#3/9/2024 14:05:07#, vbLongDate)", "String \"Saturday, March 09, 2024\""},
      {"FormatDateTime(#3/9/2024 14:05:07#, vbShortDate)", "String \"3/9/2024\""},
      {"FormatDateTime(#3/9/2024 14:05:07#, vbLongTime)", "String \"2:05:07 PM\""},
      {"FormatDateTime(#3/9/2024 14:05:07#, vbShortTime)", "String \"14:05\""},
      {"MonthName(2)", "String \"February\""}, {"WeekdayName(1, True)", "String \"Sun\""},
      {"CDate(\"2024-03-09\") + 1", "Date 3/10/2024"}, {"#3/10/2024# - #3/9/2024#", "Double 1"},
      {"FormatNumber(1234.567)", "String \"1,234.57\""},
      {"FormatNumber(-0.5, 1)", "String \"-0.5\""}, {"FormatNumber(1234.5, 0, , , 0)", "String \"1235\""},
      {"FormatCurrency(1234.567)", "String \"$1,234.57\""}, {"FormatCurrency(-1234.5)", "String \"($1,234.50)\""},
      {"FormatCurrency(-1234.5, 0, , 0)", "String \"-$1,235\""}, {"FormatCurrency(0.5, 2, 0)", "String \"$.50\""},
      {"FormatCurrency(1000000, 0, , , 0)", "String \"$1000000\""}, {"FormatCurrency(Null)", "Null"},
      {"FormatPercent(0.256)", "String \"25.60%\""}, {"FormatPercent(-0.5, 0)", "String \"-50%\""},
      {"FormatPercent(-0.5, 0, , -1)", "String \"(50%)\""}, {"FormatPercent(12.345, 1)", "String \"1,234.5%\""},
  });
}

// The built-ins no other group calls, each with a value that shows its rule.
TEST_F(ScriptControlTest, MathsBytesAndTheRestOfTheBuiltIns) {
  ExpectAll({
      {"Sqr(16)", "Double 4"}, {"Sqr(-1)", "Error 5: Invalid procedure call or argument"},
      {"Exp(1)", "Double 2.71828182845905"}, {"Exp(710)", "Error 6: Overflow"}, {"Log(Exp(2))", "Double 2"},
      {"Log(0)", "Error 5: Invalid procedure call or argument"}, {"Atn(1) * 4", "Double 3.14159265358979"},
      {"Sin(0) & Cos(0) & Tan(0)", "String \"010\""},
      {"RGB(255, 30, 30)", "Long 1974015"}, {"RGB(300, 0, 256)", "Long 16711935"},  // above 255 counts as 255
      // A string holds UTF-16: AscB gives the low byte of the first character's code.
      {"AscB(\"A\") & \" \" & AscB(Chr(&H82))", "String \"65 26\""}, {"AscB(ChrB(200))", "Integer 200"},
      {"ChrB(256)", "Error 5: Invalid procedure call or argument"}, {"Timer", "Single 50707"},
      {"DateValue(\"March 9, 2024 2:05 PM\")", "Date 3/9/2024"}, {"TimeValue(\"2:30 PM\")", "Date 2:30:00 PM"},
      {"TimeValue(#12/29/1899 6:00 AM#)", "Date 6:00:00 AM"},  // before day 0 the time still counts forward
  });
  ExpectScripts({
      // The same seed after Rnd(-1) gives the same sequence again.
      {"Function Test()\r\nx = Rnd(-1) : Randomize 10 : a = Rnd\r\nx = Rnd(-1) : Randomize 10 : b = Rnd\r\n"
       "x = Rnd(-1) : Randomize 11 : c = Rnd\r\nTest = (a = b) & (a = c)\r\nEnd Function",
       "String \"TrueFalse\""},
      // ExecuteGlobal defines at script level, even from inside a procedure.
      {"Sub Define()\r\nExecuteGlobal \"Dim g : g = 5 : Function Twice(x) : Twice = 2 * x : End Function\"\r\n"
       "End Sub\r\nFunction Test()\r\nDefine\r\nTest = Twice(g)\r\nEnd Function",
       "Integer 10"},
  });
}

TEST_F(ScriptControlTest, ArraysAndReDim) {
  ExpectBodies({
      {"Dim a(2)\r\na(0) = 1 : a(2) = 3\r\nTest = UBound(a) & \":\" & a(0) & a(1) & a(2)", "String \"2:13\""},
      {"Dim a(1, 2)\r\na(1, 2) = \"x\"\r\nTest = UBound(a, 1) & UBound(a, 2) & a(1, 2)", "String \"12x\""},
      {"Dim a()\r\nReDim a(3)\r\na(3) = 7\r\nReDim Preserve a(5)\r\nTest = UBound(a) & a(3)", "String \"57\""},
      {"Dim a\r\nReDim a(2)\r\na(0) = 5\r\nReDim a(2)\r\nTest = IsEmpty(a(0))", "Boolean True"},
      {"Dim a(2)\r\nTest = a(3)", "Error 9: Subscript out of range"},
      {"Dim a(2)\r\nReDim a(4)", "Error 10: This array is fixed or temporarily locked"},
      {"Dim a, b\r\na = Array(1, 2)\r\nb = a\r\nb(0) = 9\r\nTest = a(0) & b(0)", "String \"19\""},
      {"Dim a\r\na = Array(Array(1, 2), Array(3, 4))\r\nTest = a(1)(0)", "Integer 3"},
      {"Dim a\r\nReDim a(1, 1)\r\na(1, 1) = 4\r\nReDim Preserve a(1, 3)\r\nTest = a(1, 1) & UBound(a, 2)", "String \"43\""},
      {"Dim a\r\nReDim a(1, 1)\r\nReDim Preserve a(2, 1)", "Error 9: Subscript out of range"},
      {"Dim a(3)\r\na(1) = \"x\"\r\nErase a\r\nTest = UBound(a) & IsEmpty(a(1))", "String \"3True\""},
      {"Dim a, s, x\r\na = Array(\"a\", \"b\", \"c\")\r\nFor Each x In a : s = s & x : Next\r\nTest = s", "String \"abc\""},
      {"Test = LBound(Array(1)) & UBound(Array())", "String \"0-1\""},
      {"Dim x : x = 5\r\nTest = UBound(x)", "Error 13: Type mismatch"},
  });
}

TEST_F(ScriptControlTest, ControlFlow) {
  ExpectBodies({
      {"Dim i, s\r\nFor i = 1 To 5 Step 2 : s = s & i : Next\r\nTest = s & \"/\" & i", "String \"135/7\""},
      {"Dim i, s\r\nFor i = 3 To 1 Step -1\r\ns = s & i\r\nNext\r\nTest = s", "String \"321\""},
      {"Dim i, s\r\nFor i = 0 To 1 Step 0.5 : s = s & i & \",\" : Next\r\nTest = s", "String \"0,0.5,1,\""},
      {"Dim i\r\nFor i = 1 To 10\r\nIf i = 4 Then Exit For\r\nNext\r\nTest = i", "Integer 4"},
      {"Dim i : i = 0\r\nDo While i < 5 : i = i + 1 : Loop\r\nTest = i", "Integer 5"},
      {"Dim i : i = 0\r\nDo : i = i + 1 : Loop Until i >= 3\r\nTest = i", "Integer 3"},
      {"Dim i : i = 10\r\nDo Until i < 5\r\ni = i - 2\r\nLoop\r\nTest = i", "Integer 4"},
      {"Dim i : i = 0\r\nDo\r\ni = i + 1\r\nIf i = 7 Then Exit Do\r\nLoop\r\nTest = i", "Integer 7"},
      {"Dim i : i = 0\r\nWhile i < 3\r\ni = i + 1\r\nWend\r\nTest = i", "Integer 3"},
      {"Dim x : x = 5\r\nIf x > 3 Then Test = \"big\" Else Test = \"small\"", "String \"big\""},
      {"Dim x : x = 2\r\nIf x = 1 Then\r\nTest = \"one\"\r\nElseIf x = 2 Then\r\nTest = \"two\"\r\nElse\r\nTest = \"many\"\r\nEnd If", "String \"two\""},
      {"If Null Then Test = 1 Else Test = 2", "Integer 2"},
      {"Select Case 5\r\nCase 1, 2\r\nTest = \"a\"\r\nCase 3 To 6\r\nTest = \"b\"\r\nCase Else\r\nTest = \"c\"\r\nEnd Select", "String \"b\""},
      {"Select Case 10\r\nCase Is < 5\r\nTest = \"a\"\r\nCase Is >= 10\r\nTest = \"b\"\r\nEnd Select", "String \"b\""},
      {"Select Case \"x\"\r\nCase \"y\"\r\nTest = 1\r\nCase Else\r\nTest = 2\r\nEnd Select", "Integer 2"},
      {"Dim d : Set d = CreateObject(\"Scripting.Dictionary\")\r\nd.Add \"k\", 1\r\nWith d\r\n.Add \"j\", 2\r\nTest = .Count & .Item(\"j\")\r\nEnd With", "String \"22\""},
      {"Dim a, b, c : a = 200 : b = 300 : c = \"7\"\r\nTest = TypeName(a * b) & TypeName((a + 1) * 2) & (a * b * b * b) & TypeName(c + a \\ 7) & TypeName(a - c)",
       "String \"LongInteger5400000000DoubleDouble\""},
      // A local and a constant: the type follows the local and the result's size.
      {"Dim a, b, c, l : a = 32767 : b = a + 1 : c = &H7FFFFFFF& : l = CLng(5)\r\n"
       "Test = TypeName(b) & TypeName(a - 1) & TypeName(c * 2) & (c * 2) & TypeName(l + 1) & TypeName(b - 1)",
       "String \"LongIntegerDouble4294967294LongLong\""},
      {"Dim a, b : a = 5 : b = 0\r\nTest = a Mod (b * 2)", "Error 11: Division by zero"},
  });
}

TEST_F(ScriptControlTest, ProceduresPassByRefUnlessParenthesizedOrByVal) {
  ExpectScripts({
      {"Sub Inc(n)\r\nn = n + 1\r\nEnd Sub\r\nFunction Test()\r\nDim x : x = 1\r\nInc x\r\nTest = x\r\nEnd Function", "Integer 2"},
      {"Sub Inc(n)\r\nn = n + 1\r\nEnd Sub\r\nFunction Test()\r\nDim x : x = 1\r\nInc (x)\r\nTest = x\r\nEnd Function", "Integer 1"},
      {"Sub Inc(ByVal n)\r\nn = n + 1\r\nEnd Sub\r\nFunction Test()\r\nDim x : x = 1\r\nInc x\r\nTest = x\r\nEnd Function", "Integer 1"},
      {"Sub Inc(n)\r\nn = n + 1\r\nEnd Sub\r\nFunction Test()\r\nDim x : x = 1\r\nCall Inc(x)\r\nTest = x\r\nEnd Function", "Integer 2"},
      {"Sub Inc(n)\r\nn = n + 1\r\nEnd Sub\r\nFunction Test()\r\nDim x : x = 1\r\nInc x + 0\r\nTest = x\r\nEnd Function", "Integer 1"},
      {"Dim g\r\nSub SetG()\r\ng = \"set\"\r\nEnd Sub\r\nFunction Test()\r\nSetG\r\nTest = g\r\nEnd Function", "String \"set\""},
      {"Function Fact(n)\r\nIf n <= 1 Then Fact = 1 Else Fact = n * Fact(n - 1)\r\nEnd Function\r\nFunction Test()\r\nTest = Fact(10)\r\nEnd Function", "Long 3628800"},
      // Arithmetic over call results: the left operand is read before the right call runs,
      // and results that are not Integer or Long keep VBScript's types.
      {"Function Half(v)\r\nHalf = v / 2\r\nEnd Function\r\nFunction Big(v)\r\nBig = v * 1000\r\nEnd Function\r\n"
       "Function Bump(n)\r\nn = n + 1\r\nBump = n\r\nEnd Function\r\nFunction Word()\r\nWord = \"4\"\r\nEnd Function\r\n"
       "Class C : Public Default Property Get V : V = 5 : End Property : End Class\r\nFunction Obj()\r\nSet Obj = New C\r\nEnd Function\r\n"
       "Function Test()\r\nDim x, a, b, c, d, e, g, h\r\nx = 1\r\na = x + Bump(x)\r\nb = Half(3) + 1\r\nc = Big(40) * Big(40)\r\n"
       "d = Big(100) * Big(100)\r\ne = Word() + Word()\r\ng = Big(30) + Big(30)\r\nh = 1 - Obj()\r\n"
       "Test = TypeName(a) & a & TypeName(b) & b & TypeName(c) & c & TypeName(d) & TypeName(e) & e & TypeName(g) & g & TypeName(h) & h\r\nEnd Function",
       "String \"Integer3Double2.5Long1600000000DoubleString44Long60000Integer-4\""},
      {"Function Test()\r\nTest = \"a\"\r\nTest = Test & \"b\"\r\nExit Function\r\nTest = \"c\"\r\nEnd Function", "String \"ab\""},
      // A recursive call passes its variable on by reference; Exit in an If that ends a loop's body.
      {"Function Down(n)\r\nIf n > 0 Then\r\nn = n - 1\r\nDown = Down(n) + 1\r\nElse\r\nDown = 0\r\nEnd If\r\nEnd Function\r\n"
       "Function Test()\r\nDim x, i : x = 3\r\nFor i = 1 To 9\r\nIf i = 2 Then Exit For\r\nNext\r\nTest = Down(x) & x & i\r\nEnd Function", "String \"302\""},
      {"Function Two(a, b)\r\nTwo = a + b\r\nEnd Function\r\nFunction Test()\r\nTest = Two(1)\r\nEnd Function", "Error 450: Wrong number of arguments or invalid property assignment: 'Two'"},
      {"Function Test()\r\nTest = Nowhere(1)\r\nEnd Function", "Error 13: Type mismatch: 'Nowhere'"},
      {"Sub Show(v)\r\nEnd Sub\r\nFunction Test()\r\nShow Nowhere(1)\r\nEnd Function", "Error 13: Type mismatch: 'Nowhere'"},
      {"Option Explicit\r\nSub Show(v)\r\nEnd Sub\r\nFunction Test()\r\nShow Nowhere(1)\r\nEnd Function", "Error 13: Type mismatch: 'Nowhere'"},
      {"Function Test()\r\nx = 5\r\nTest = x\r\nEnd Function", "Integer 5"},
      {"Option Explicit\r\nFunction Test()\r\nx = 5\r\nEnd Function", "Error 500: Variable is undefined: 'x'"},
      {"Const Greeting = \"hi\"\r\nFunction Test()\r\nConst N = 3\r\nTest = Greeting & N\r\nEnd Function", "String \"hi3\""},
      {"Const N = 3\r\nFunction Test()\r\nN = 4\r\nEnd Function", "Error 501: Illegal assignment: 'N'"},
      // An array element is a variable: a ByRef parameter changes it; an object's property
      // is passed by value.
      {"Sub Inc(n)\r\nn = n + 1\r\nEnd Sub\r\nFunction Test()\r\nDim a : a = Array(1, 2)\r\nInc a(1)\r\nCall Inc(a(0))\r\nTest = a(0) & a(1)\r\nEnd Function", "String \"23\""},
      {"Sub Inc(n)\r\nn = n + 1\r\nEnd Sub\r\nFunction Test()\r\nDim a(1, 1)\r\nInc a(1, 1)\r\nInc (a(0, 0))\r\nTest = a(1, 1) & \"|\" & a(0, 0)\r\nEnd Function", "String \"1|\""},
      {"Sub Inc(ByVal n)\r\nn = n + 1\r\nEnd Sub\r\nFunction Test()\r\nDim a : a = Array(1)\r\nInc a(0)\r\nTest = a(0)\r\nEnd Function", "Integer 1"},
      {"Dim g\r\nFunction Bump(n)\r\nn = n & \"!\"\r\nBump = n\r\nEnd Function\r\nFunction Test()\r\ng = Array(\"a\", \"b\")\r\nTest = Bump(g(1)) & g(1) & g(0)\r\nEnd Function", "String \"b!b!a\""},
      {"Dim a\r\nSub Shrink(n)\r\nReDim a(0)\r\nEnd Sub\r\nFunction Test()\r\na = Array(1, 2, 3)\r\nShrink a(2)\r\nEnd Function", "Error 10: This array is fixed or temporarily locked"},
      {"Dim a\r\nSub Swap(n)\r\na = Array(7)\r\nEnd Sub\r\nFunction Test()\r\na = Array(1, 2, 3)\r\nSwap a(0)\r\nEnd Function", "Error 10: This array is fixed or temporarily locked"},
      {"Dim a\r\nSub Wipe(n)\r\nErase a\r\nEnd Sub\r\nFunction Test()\r\na = Array(1, 2, 3)\r\nWipe a(0)\r\nEnd Function", "Error 10: This array is fixed or temporarily locked"},
      {"Dim a\r\nSub Shrink()\r\nReDim a(0)\r\nEnd Sub\r\nSub Inc(n)\r\nOn Error Resume Next\r\nShrink\r\nn = n + 1\r\nEnd Sub\r\nFunction Test()\r\na = Array(1, 2, 3)\r\nInc a(2)\r\nShrink\r\nTest = UBound(a)\r\nEnd Function", "Long 0"},
      {"Class Box : Public Value : End Class\r\nSub Inc(n)\r\nn = n + 1\r\nEnd Sub\r\nFunction Test()\r\nDim b : Set b = New Box\r\nb.Value = 1\r\nInc b.Value\r\nTest = b.Value\r\nEnd Function", "Integer 1"},
      {"Class Box\r\nSub Inc(n) : n = n + 1 : End Sub\r\nEnd Class\r\nDim g\r\nFunction Test()\r\nDim b : Set b = New Box\r\nDim a : a = Array(5)\r\ng = 1\r\nb.Inc g\r\nb.Inc a(0)\r\nTest = g & a(0)\r\nEnd Function", "String \"26\""},
      // GetRef: a Sub or Function of the script called through a variable.
      {"Function Twice(v)\r\nTwice = v * 2\r\nEnd Function\r\nFunction Test()\r\nDim f : Set f = GetRef(\"Twice\")\r\nTest = f(21) & TypeName(f) & VarType(f) & IsObject(f)\r\nEnd Function", "String \"42Object9True\""},
      {"Dim Log\r\nSub Note(t)\r\nLog = Log & t\r\nEnd Sub\r\nFunction Test()\r\nDim f : Set f = GetRef(\"note\")\r\nf \"a\"\r\nCall f(\"b\")\r\nTest = Log\r\nEnd Function", "String \"ab\""},
      {"Function Test()\r\nDim f : Set f = GetRef(\"Missing\")\r\nEnd Function", "Error 5: Invalid procedure call or argument: 'Missing'"},
      {"Function One(a)\r\nOne = a\r\nEnd Function\r\nFunction Test()\r\nDim f : Set f = GetRef(\"One\")\r\nTest = f(1, 2)\r\nEnd Function", "Error 450: Wrong number of arguments or invalid property assignment: 'One'"},
      // Execute runs in the procedure's scope: its Dim makes a local, not a global.
      {"Function Test()\r\nExecute \"Dim y : y = 2\"\r\nExecute \"y = y + 1\"\r\nTest = Eval(\"y\") & \"|\" & Eval(\"IsEmpty(y)\")\r\nEnd Function", "String \"3|False\""},
      {"Sub Declare()\r\nExecute \"Dim y : y = 2\"\r\nEnd Sub\r\nFunction Test()\r\nDeclare\r\nTest = IsEmpty(Eval(\"y\"))\r\nEnd Function", "Boolean True"},
      {"Function Test()\r\nx = 1\r\nExecute \"Dim x : x = x + 41\"\r\nTest = x\r\nEnd Function", "Integer 42"},
      {"Function Test()\r\nDim x\r\nExecute \"Dim x\"\r\nEnd Function", "Error 1041: Name redefined"},
      {"Function Test()\r\nExecute \"Dim y : y = 2\"\r\nExecute \"Dim y\"\r\nEnd Function", "Error 1041: Name redefined"},
  });
}

// Whole scripts whose text or behaviour departs from the obvious reading, as Windows runs them.
TEST_F(ScriptControlTest, ScriptsRunAsWindowsRunsThem) {
  ExpectScripts({
      // Parsing.
      {"Function Test()\r\nDim hx : hx = \"y\"\r\nTest = \"x\" &hx\r\nEnd Function", "String \"xy\""},
      {"Function Test()\r\nTest = \"a\" &_\r\n\"b\"\r\nEnd Function", "String \"ab\""},
      {"Function Test()\r\nTest = (1 >< 2) & (1 >< 1)\r\nEnd Function", "String \"TrueFalse\""},
      {"Function Test()\r\nIf 1 Then Test = 1 Else Test = 2 End If\r\nEnd Function", "Integer 1"},
      {"Function Test()\r\nSelect Case 2\r\nCase 1 Test = \"a\"\r\nCase 2 Test = \"b\"\r\nEnd Select\r\nEnd Function", "String \"b\""},
      {"Dim g\r\nSub S() g = 1 End Sub\r\nFunction Test() S : Test = g End Function", "Integer 1"},
      {"Function Test()\r\nDim property : property = 3\r\nTest = property\r\nEnd Function", "Integer 3"},
      {"Function F() : F = 1 : End Function\r\nFunction F() : F = 2 : End Function\r\nFunction Test() : Test = F : End Function", "Integer 2"},
      {"Function Test()\r\nStop\r\nIf \"#TRUE#\" Then Test = CBool(\"#FALSE#\")\r\nEnd Function", "Boolean False"},
      // Run time.
      {"Function Test()\r\nDim a(2), b\r\nb = a\r\nReDim b(5)\r\nb(5) = 1\r\nTest = UBound(b) & UBound(a)\r\nb = 1\r\nEnd Function", "String \"52\""},
      {"Class C : Public arr : Property Get P : P = arr : End Property : End Class\r\nFunction Test()\r\nDim o : Set o = New C\r\n"
       "o.arr = Array(4, 5)\r\no.arr(0) = 6\r\nTest = o.arr(1) & o.arr(0) & o.P(1)\r\nEnd Function", "String \"565\""},
      {"Class C : Public Default Property Get V : V = \"12\" : End Property : End Class\r\nFunction Test()\r\nDim o : Set o = New C\r\n"
       "Test = CLng(o) + Len(o) + Abs(o) + CInt(o) + CDbl(o) + CSng(o) + CCur(o) + Fix(o) + Int(o) + CByte(o) & Hex(o) & Oct(o) & CStr(o) & CBool(o) & IsNumeric(o)\r\nEnd Function",
       "String \"110C1412TrueTrue\""},
      {"Option Explicit\r\nFunction Test()\r\nReDim a(2)\r\nTest = UBound(a)\r\nEnd Function", "Long 2"},
      {"Function Test()\r\nTest = Rnd & \" \" & Rnd(0) & \" \" & Rnd & \" \" & (Rnd(-3) = Rnd(-3))\r\nEnd Function", "String \"0.7055475 0.7055475 0.533424 True\""},
      {"Class RegExp : End Class\r\nFunction Test()\r\nTest = TypeName(New RegExp)\r\nEnd Function", "String \"IRegExp2\""},
  });
}

TEST_F(ScriptControlTest, ClassesWithPropertiesAndLifecycle) {
  const char* kCounter =
      "Dim Log\r\n"
      "Class Counter\r\n"
      "  Private mCount\r\n"
      "  Public Name\r\n"
      "  Private Sub Class_Initialize() : mCount = 10 : Log = Log & \"init;\" : End Sub\r\n"
      "  Private Sub Class_Terminate() : Log = Log & \"term;\" : End Sub\r\n"
      "  Public Property Get Count() : Count = mCount : End Property\r\n"
      "  Public Property Let Count(v)\r\n"
      "    If v < 0 Then Err.Raise 5\r\n"
      "    mCount = v\r\n"
      "  End Property\r\n"
      "  Public Function Bump(by) : mCount = mCount + by : Bump = Me.Count : End Function\r\n"
      "  Public Default Property Get Value() : Value = Name & \"=\" & mCount : End Property\r\n"
      "End Class\r\n";
  ExpectBodies({
      {"Dim c : Set c = New Counter\r\nTest = c.Count", "Integer 10"},
      {"Dim c : Set c = New Counter\r\nc.Count = 3\r\nTest = c.Bump(2)", "Integer 5"},
      {"Dim c : Set c = New Counter\r\nc.Name = \"n\"\r\nTest = c & \"\"", "String \"n=10\""},
      {"Dim c : Set c = New Counter\r\nTest = c.mCount", "Error 438: Object doesn't support this property or method: 'MCOUNT'"},
      {"Dim c : Set c = New Counter\r\nc.Count = -1", "Error 5: Invalid procedure call or argument"},
      {"Dim c : Set c = New Counter\r\nSet c = Nothing\r\nTest = Log", "String \"init;term;\""},
      {"Dim c : Set c = New Counter\r\nTest = TypeName(c) & IsObject(c)", "String \"CounterTrue\""},
      {"Dim c : Set c = New Missing", "Error 506: Class not defined: 'Missing'"},
      {"Dim c : c = 5\r\nTest = c.Count", "Error 424: Object required: 'c'"},
      {"Dim a, b : Set a = New Counter : Set b = a\r\nb.Count = 7\r\nTest = a.Count & (a Is b)", "String \"7True\""},
  }, kCounter);
}

TEST_F(ScriptControlTest, ErrorHandlingWithResumeNextAndErr) {
  ExpectBodies({
      {"On Error Resume Next\r\nErr.Raise vbObjectError + 1\r\nTest = Err.Number", "Long -2147221503"},
      {"On Error Resume Next\r\nDim x : x = 1 / 0\r\nErr.Clear\r\nTest = Err.Number", "Long 0"},
      {"On Error Resume Next\r\nDim x : x = 1 / 0\r\nOn Error GoTo 0\r\nTest = Err.Number", "Long 0"},
      {"On Error Resume Next\r\nDim x : x = 1 / 0\r\nOn Error GoTo 0\r\nx = 1 / 0", "Error 11: Division by zero"},
      {"On Error Resume Next\r\nDim s : s = \"a\"\r\ns = s & CInt(\"x\")\r\ns = s & \"b\"\r\nTest = s", "String \"ab\""},
      // A failing If condition under Resume Next goes into its branch, as VBScript does.
      {"On Error Resume Next\r\nIf 1 / 0 > 5 Then\r\nTest = \"then \" & Err.Number\r\nElse\r\nTest = \"else\"\r\nEnd If", "String \"then 11\""},
      {"On Error Resume Next\r\nDim x : x = 2\r\nIf x = 1 Then\r\nTest = \"one\"\r\nElseIf CInt(\"x\") Then\r\nTest = \"elseif \" & Err.Number\r\nElse\r\nTest = \"else\"\r\nEnd If", "String \"elseif 13\""},
      {"On Error Resume Next\r\nIf Nothing.Value Then Test = \"then\" Else Test = \"else\"", "String \"then\""},
      {"If 1 / 0 Then Test = 1", "Error 11: Division by zero"},
      {"Err.Raise 9", "Error 9: Subscript out of range"},
      {"On Error Resume Next\r\nErr.Raise 65536 + 5, \"Src\", \"D\", \"h.chm\", 7\r\nTest = Err.Number & Err.Source & Err.Description & Err.HelpFile & Err.HelpContext", "String \"5SrcDh.chm7\""},
      {"On Error Resume Next\r\nErr.Raise &h8007000E&\r\nTest = Err.Number & Err.Description & Err.Source", "String \"7Out of memoryMicrosoft VBScript runtime error\""},
      {"On Error Resume Next\r\nTest = Nowhere(1)\r\nTest = Err.Description", "String \"Type mismatch\""},
      // An error in the head of a loop or Select Case goes on into the body.
      {"On Error Resume Next\r\nDim i, s\r\nFor i = 1 To 1 / 0 : s = s & \"for\" : Next\r\nDo While 1 / 0 : s = s & \"do\" : Exit Do : Loop\r\n"
       "For Each i In 5 : s = s & \"each\" : Next\r\nSelect Case 1 / 0\r\nCase 1 : s = s & \"case\"\r\nEnd Select\r\nTest = s", "String \"fordoeachcase\""},
  });
  // An error in a called procedure without its own handler resumes in the caller.
  EXPECT_EQ(RunTest("Sub Fail()\r\nDim x : x = 1 / 0\r\nTest2 = 1\r\nEnd Sub\r\n"
                    "Function Test()\r\nOn Error Resume Next\r\nFail\r\nTest = \"after \" & Err.Number\r\nEnd Function"),
            "String \"after 11\"");
}

TEST_F(ScriptControlTest, DictionaryObject) {
  ExpectBodies({
      {"d.Add \"a\", 1 : d.Add \"b\", 2\r\nTest = d.Count & d(\"b\") & d.Item(\"a\")", "String \"221\""},
      {"d.Add \"a\", 1\r\nd.Add \"a\", 2", "Error 457: This key is already associated with an element of this collection"},
      {"d.Add \"a\", 1\r\nTest = d.Exists(\"a\") & d.Exists(\"A\")", "String \"TrueFalse\""},
      {"d.CompareMode = vbTextCompare\r\nd.Add \"a\", 1\r\nTest = d.Exists(\"A\")", "Boolean True"},
      {"d.Add \"a\", 1 : d.Add \"b\", 2 : d.Add \"c\", 3\r\nd.Remove \"b\"\r\nTest = Join(d.Keys, \",\") & \"|\" & Join(d.Items, \",\")", "String \"a,c|1,3\""},
      {"d.Remove \"zz\"", "Error 32811: Element not found"},
      {"d(\"x\") = 5 : d(\"x\") = d(\"x\") + 1\r\nTest = d(\"x\")", "Integer 6"},
      {"Dim v : v = d(\"missing\")\r\nTest = d.Count & IsEmpty(v)", "String \"1True\""},
      {"d.Add 1, \"one\" : d.Add \"1\", \"text\"\r\nTest = d(1) & d(\"1\") & d.Count", "String \"onetext2\""},
      {"d.Add \"a\", 1 : d.Add \"b\", 2\r\nDim k, s\r\nFor Each k In d : s = s & k & d(k) : Next\r\nTest = s", "String \"a1b2\""},
      {"d.Add \"a\", 1\r\nd.RemoveAll\r\nTest = d.Count", "Long 0"},
      {"d.Add \"a\", 1\r\nd.Key(\"a\") = \"z\"\r\nTest = d(\"z\")", "Integer 1"},
      {"d.Add \"a\", 1\r\nd.CompareMode = 1", "Error 5: Invalid procedure call or argument"},
  }, "", "Dim d : Set d = CreateObject(\"Scripting.Dictionary\")\r\n");
}

TEST_F(ScriptControlTest, RegExpObject) {
  ExpectBodies({
      {"re.Pattern = \"on error\"\r\nTest = re.Test(\"On Error\")", "Boolean False"},
      {"re.Pattern = \"on error\" : re.IgnoreCase = True\r\nTest = re.Test(\"On Error\")", "Boolean True"},
      {"re.Pattern = \"a\"\r\nTest = re.Replace(\"banana\", \"o\")", "String \"bonana\""},
      {"re.Pattern = \"b\"\r\nTest = re.Replace(\"abc\", True)", "String \"a-1c\""},
      {"re.Pattern = \"\\d+\" : re.Global = True\r\nDim m, s\r\nFor Each m In re.Execute(\"a1 b22 c333\")\r\ns = s & m.Value & \"@\" & m.FirstIndex & \"/\" & m.Length & \" \"\r\nNext\r\nTest = s", "String \"1@1/1 22@4/2 333@8/3 \""},
      {"re.Pattern = \"(\\w)(\\d)\"\r\nDim ms : Set ms = re.Execute(\"x1 y2\")\r\nTest = ms.Count & ms(0).SubMatches(1) & ms.Item(0).SubMatches.Count", "String \"112\""},
      {"Set re = New RegExp\r\nre.Pattern = \"b+\"\r\nTest = re.Execute(\"abbbc\")(0)", "String \"bbb\""},
  }, "", "Dim re : Set re = CreateObject(\"VBScript.RegExp\")\r\n");
}

// The assertions of tests/*.vbs, defined before each script runs. The driver puts the
// number of the line into Line_ before every line that starts with Assert.
constexpr const char* kAssertions = R"(Dim Failures_, Line_
Sub Fail_(message)
  Failures_ = Failures_ & "line " & Line_ & ": " & message & vbLf
End Sub
Function Shown_(v)
  Shown_ = TypeName(v)
  If Not (IsObject(v) Or IsArray(v) Or IsNull(v) Or IsEmpty(v)) Then Shown_ = Shown_ & " " & CStr(v)
End Function
Sub Assert(ok, what)
  If VarType(ok) <> vbBoolean Then
    Fail_ what & ": not a Boolean but " & Shown_(ok)
  ElseIf Not ok Then
    Fail_ what
  End If
End Sub
' The same type and value (Null equals Null).
Sub AssertEq(actual, expected)
  Dim same
  If IsNull(actual) Or IsNull(expected) Then
    same = IsNull(actual) And IsNull(expected)
  Else
    same = TypeName(actual) = TypeName(expected)
    If same Then same = (actual = expected)
  End If
  If Not same Then Fail_ "got " & Shown_(actual) & ", expected " & Shown_(expected)
End Sub
' The statement raises error `number`.
Sub AssertError(statement, number)
  Dim got, text
  On Error Resume Next
  Execute statement
  got = Err.Number : text = Err.Description
  On Error GoTo 0
  If got <> number Then Fail_ statement & ": error " & got & " (" & text & "), expected " & number
End Sub
)";

// Every script in tests/ states a topic of the language as assertions that hold on Windows.
TEST(VBScriptScripts, EveryAssertionHolds) {
  const std::filesystem::path dir = std::filesystem::path(GILDEX_SOURCE_DIR) / "platform/vbscript/tests";
  std::vector<std::filesystem::path> scripts;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    if (entry.path().extension() == ".vbs") scripts.push_back(entry.path());
  std::sort(scripts.begin(), scripts.end());
  ASSERT_FALSE(scripts.empty()) << dir;
  for (const auto& path : scripts) {
    std::ifstream in(path, std::ios::binary);
    std::string line, code;
    for (int number = 1; std::getline(in, line); ++number) {
      std::size_t first = line.find_first_not_of(" \t");
      if (first != std::string::npos && cp1252::StartsWithNoCase(std::string_view(line).substr(first), "Assert"))
        line.insert(first, "Line_ = " + std::to_string(number) + " : ");
      code += line + "\n";
    }
    platform::FixedClock clock{{2024, 3, 9, 14, 5, 7, 6}};
    ScriptControl sc(clock);
    sc.AddCode(kAssertions);
    try {
      sc.AddCode(code);
    } catch (const ScriptException&) {
      ADD_FAILURE() << path.filename() << " line " << sc.Error().Line << ": error " << sc.Error().Number << " "
                    << sc.Error().Description;
      continue;
    }
    EXPECT_EQ(sc.ToText(sc.Eval("Failures_")), "") << path.filename();
  }
}

struct BrokenScript {
  const char* code;
  int number;
  int line;
  int column;
  const char* source;
  const char* description;
};

TEST_F(ScriptControlTest, BrokenScriptsReportNumberLineAndColumn) {
  const BrokenScript cases[] = {
      {"Dim x\r\nx = (1 + 2\r\n", 1006, 2, 11, "Microsoft VBScript compilation error", "Expected ')'"},
      {"Function F()\r\n  F = 1\r\n", 1014, 3, 1, "Microsoft VBScript compilation error", "Expected 'End'"},
      {"If x Then\r\n  y = 1\r\nEnd Sub\r\n", 1012, 3, 5, "Microsoft VBScript compilation error", "Expected 'If'"},
      {"x = 1 2\r\n", 1025, 1, 7, "Microsoft VBScript compilation error", "Expected end of statement"},
      {"Dim a, a\r\n", 1041, 1, 8, "Microsoft VBScript compilation error", "Name redefined"},
      {"x = \"abc\r\n", 1033, 1, 9, "Microsoft VBScript compilation error", "Unterminated string constant"},
      {"For i = 1\r\nNext\r\n", 1013, 1, 10, "Microsoft VBScript compilation error", "Expected 'To'"},
      {"Do\r\nx = 1\r\n", 1019, 3, 1, "Microsoft VBScript compilation error", "Expected 'Loop'"},
      {"Loop\r\n", 1038, 1, 1, "Microsoft VBScript compilation error", "'loop' without 'do'"},
      {"x = 1 +\r\n", 1023, 1, 8, "Microsoft VBScript compilation error", "Expected expression"},
      {"Exit For\r\n", 1039, 1, 6, "Microsoft VBScript compilation error", "Invalid 'exit' statement"},
      {"Foo(1, 2)\r\n", 1044, 1, 1, "Microsoft VBScript compilation error", "Cannot use parentheses when calling a Sub"},
      {"x = 1 $ 2\r\n", 1032, 1, 7, "Microsoft VBScript compilation error", "Invalid character"},
      {"d = #nonsense#\r\n", 1031, 1, 5, "Microsoft VBScript compilation error", "Invalid number"},
      {"n = &H123456789\r\n", 1031, 1, 15, "Microsoft VBScript compilation error", "Invalid number"},
      {"Dim x\r\n\r\n  x = 1 / 0\r\n", 11, 3, 3, "Microsoft VBScript runtime error", "Division by zero"},
      {"Option Explicit\r\nDim a\r\na = b\r\n", 500, 3, 1, "Microsoft VBScript runtime error", "Variable is undefined: 'b'"},
      {"Dim d\r\nd.Add 1, 2\r\n", 424, 2, 1, "Microsoft VBScript runtime error", "Object required: 'd'"},
  };
  for (const auto& c : cases) {
    sc_.Reset();
    EXPECT_THROW(sc_.AddCode(c.code), ScriptException) << c.code;
    const ScriptControlError& e = sc_.Error();
    EXPECT_EQ(e.Number, c.number) << c.code;
    EXPECT_EQ(e.Line, c.line) << c.code;
    EXPECT_EQ(e.Column, c.column) << c.code;
    EXPECT_EQ(e.Source, c.source) << c.code;
    EXPECT_EQ(e.Description, c.description) << c.code;
  }
  sc_.Reset();
  EXPECT_THROW(sc_.AddCode("Dim x\r\nx = (1 + 2\r\n"), ScriptException);
  EXPECT_EQ(sc_.Error().Text, "x = (1 + 2");
}

TEST_F(ScriptControlTest, ControlSurfaceAsTheAddInUsesIt) {
  EXPECT_EQ(sc_.Language(), "VBScript");
  sc_.SetLanguage("vbscript");
  EXPECT_THROW(sc_.SetLanguage("JScript"), ScriptException);
  EXPECT_EQ(sc_.Error().Number, 380);
  EXPECT_FALSE(sc_.AllowUI());

  sc_.AddCode("Dim Total\r\nTotal = 5\r\nFunction Add(a, b)\r\n  Add = a + b\r\nEnd Function\r\n");
  EXPECT_EQ(sc_.Error().Number, 0);
  EXPECT_EQ(Show(sc_.Run("Add", 2, 3)), "Integer 5");
  EXPECT_EQ(Show(sc_.Eval("Add(Total, 1)")), "Integer 6");
  sc_.ExecuteStatement("Total = Total * 10");
  EXPECT_EQ(Show(sc_.Eval("Total")), "Integer 50");
  EXPECT_EQ(sc_.ToText(sc_.Run("Add", "a", "b")), "ab");
  EXPECT_EQ(sc_.ToText(sc_.Eval("Null")), "");

  // Code added later sees what earlier code defined; a compile error adds nothing.
  EXPECT_THROW(sc_.AddCode("Function Broken(\r\n"), ScriptException);
  EXPECT_EQ(sc_.Error().Number, 1010);
  EXPECT_EQ(Show(sc_.Run("Add", 1, 1)), "Integer 2");
  EXPECT_THROW(sc_.Run("Broken", 1), ScriptException);
  EXPECT_EQ(sc_.Error().Number, 35);

  sc_.Reset();
  EXPECT_THROW(sc_.Run("Add", 1, 1), ScriptException);
  EXPECT_EQ(sc_.Error().Description, "Sub or Function not defined: 'Add'");
  sc_.Error().Clear();
  EXPECT_EQ(sc_.Error().Number, 0);
}

TEST_F(ScriptControlTest, ScriptsCannotReachBeyondTheInterpreter) {
  ExpectBodies({
      {"Set Test = GetObject(\"C:\\Data\\book.xls\")", "Error 429: ActiveX component can't create object: 'C:\\Data\\book.xls'"},
      {"Set Test = GetObject(, \"Excel.Application\")", "Error 429: ActiveX component can't create object: 'Excel.Application'"},
      {"Set Test = CreateObject(\"WScript.Shell\")", "Error 429: ActiveX component can't create object: 'WScript.Shell'"},
      {"Test = InputBox(\"Name?\")", "Error 70: Permission denied: 'InputBox'"},
      {"Test = MsgBox(\"Go on?\", vbYesNo)", "Error 70: Permission denied: 'MsgBox'"},
      {"Test = SetLocale(1031)", "Error 5: Locale 1031 is not supported: scripts run with English - United States (1033)"},
      {"Test = SetLocale(\"de-de\")", "Error 5: Locale de-de is not supported: scripts run with English - United States (1033)"},
      {"On Error Resume Next\r\nSetLocale 2057\r\nTest = Err.Number & \" \" & GetLocale", "String \"5 1033\""},
      {"Test = TypeName(CreateObject(\"scripting.dictionary\")) & TypeName(CreateObject(\"VBScript.RegExp\"))", "String \"DictionaryIRegExp2\""},
  });
}

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int k = 0; k < times; ++k) out += text;
  return out;
}

TEST_F(ScriptControlTest, RunawayScriptsStopWithAClearError) {
  sc_.Settings().max_steps = 100000;
  sc_.Settings().max_memory = 8 << 20;
  struct Case {
    std::string code;
    int number;
    std::int64_t milliseconds = 10'000;
    bool cancel = false;
  } cases[] = {
      {"Do : Loop", kStepLimitError},
      // Time: steps that grow expensive, and single built-ins that work long.
      {"Dim s, x : s = Space(4000000) : Do : x = InStr(s, \"y\") : Loop", kTimeLimitError, 100},
      {"Dim a : ReDim a(10) : Do : ReDim Preserve a(UBound(a) + 1) : Loop", kTimeLimitError, 100},
      {"Dim x : x = InStrRev(String(4000000, \"a\"), String(3000, \"a\") & \"b\")", kTimeLimitError, 50},
      {"Dim x : x = Replace(String(8000000, \"a\"), \"a\", \"\")", kTimeLimitError, 5},
      {"Dim r : Set r = New RegExp : r.Global = True : r.Pattern = \"a\"\r\nx = r.Replace(String(8000000, \"a\"), \"\")",
       kTimeLimitError, 5},
      {"On Error Resume Next\r\nDo : Loop", kCancelledError, 10'000, true},
      {"Dim x : x = InStrRev(String(4000000, \"a\"), String(3000, \"a\") & \"b\")", kCancelledError, 10'000, true},
      {"On Error Resume Next\r\nDo\r\nx = 1 / 0\r\nLoop", kStepLimitError},
      {"While True : Wend", kStepLimitError},
      {"Function R(n) : R = R(n + 1) : End Function\r\nR 1", 28},
      {"Dim s : s = String(100000000, \"x\")", 14},
      {"Dim s : s = Space(2000000000)", 14},
      {"Dim a : a = Array(1) : Do : a = Array(a) : Loop", kStepLimitError},
      // Nesting: text that runs itself, deep source.
      {"Dim c : c = \"Execute c\"\r\nExecute c", 28},
      {"On Error Resume Next\r\nDim c : c = \"ExecuteGlobal c\"\r\nExecuteGlobal c", 28},
      {"Dim c, x : c = \"Eval(c)\"\r\nx = Eval(c)", 28},
      {"Sub R() : Execute \"R\" : End Sub\r\nR", 28},
      {"x = " + Repeat("(", 100000) + "1" + Repeat(")", 100000), 28},
      {Repeat("If x Then\r\n", 10000) + Repeat("End If\r\n", 10000), 28},
      // Memory: one budget for arrays, dictionaries and objects.
      {"ReDim a(60000000)", 7},
      {"Dim a(100), i, s : s = \"x\"\r\nDo : s = s & s : a(i) = s : i = i + 1 : Loop", 7},
      {"Dim a, i, x : ReDim a(100000)\r\nFor i = 0 To 100000 : ReDim x(1000) : a(i) = x : Next", 7},
      {"Dim a : a = Array()\r\nOn Error Resume Next\r\nDo : a = Array(a, Space(100000)) : Loop", 7},
      {"Dim d, i, s : Set d = CreateObject(\"Scripting.Dictionary\") : s = Space(1000000)\r\nDo : i = i + 1 : d.Add i, s & i : Loop", 7},
      {"Class C : Public A : End Class\r\nDim d, i : Set d = CreateObject(\"Scripting.Dictionary\")\r\nDo : i = i + 1 : d.Add i, New C : Loop", 7},
      {"Class C : Public A : End Class\r\nDim o : Set o = New C\r\nDo : o.A = o.A & Space(100000) : Set o = New C : Loop", kStepLimitError},
      // Long strings held by variables: globals, locals of deep recursion, ByVal arguments.
      {"Dim s : s = \"x\"\r\nDo : s = s & s : Loop", 7},  // the budget is passed before 16 MB
      {"Dim i : For i = 1 To 1000 : Execute \"v\" & i & \" = Space(1000000)\" : Next", 7},
      // Variables made by Execute, matches kept, the text of Execute.
      {"Dim i : For i = 1 To 100000 : ExecuteGlobal \"v\" & i & \" = Space(1000)\" : Next", 7},
      {"Dim r, k(2), i : Set r = New RegExp : r.Global = True : r.Pattern = \"x\"\r\n"
       "For i = 0 To 2 : Set k(i) = r.Execute(String(199000, \"x\")) : Next", 7},
      {"Execute \"x = 1\" & Space(2000000)", 7},
      // Short texts in an array take their heap blocks, not their lengths alone.
      {"Dim a : a = Split(Replace(Space(68000), \" \", \"abcdefghijklmnop,\"), \",\")", 7},
      {"Sub R(n) : Dim s : s = Space(100000) & n : R n + 1 : End Sub\r\nR 1", 7},
      {"Function R(ByVal s) : R = R(s & \"x\") : End Function\r\nR Space(100000)", 7},
  };
  for (const auto& c : cases) {
    sc_.Reset();
    sc_.Settings().max_milliseconds = c.milliseconds;
    sc_.Settings().cancelled = [&] { return c.cancel; };
    EXPECT_THROW(sc_.AddCode(c.code), ScriptException) << c.code;
    EXPECT_EQ(sc_.Error().Number, c.number) << c.code;
    EXPECT_FALSE(sc_.Error().Description.empty());
    if (c.number == kTimeLimitError) {
      EXPECT_EQ(sc_.Error().Description.find("Script stopped after 0."), 0u) << sc_.Error().Description;
    }
    if (c.cancel) {
      EXPECT_EQ(sc_.Error().Description, "Operation was cancelled by user.");
    }
  }
  sc_.Settings().cancelled = nullptr;
  sc_.Settings().max_milliseconds = 10'000;
  // After a runaway call the control is still usable, with a fresh budget.
  sc_.AddCode("Function Ok() : Ok = 1 : End Function");
  EXPECT_EQ(Show(sc_.Run("Ok")), "Integer 1");
  // A long string gives its charge back when overwritten, when its call returns, and when it
  // is returned to the host: many of them one after another stay within the budget.
  sc_.AddCode(
      "Function Pass(ByVal s) : Pass = s : End Function\r\n"
      "Function Deep(n) : Dim s : s = Space(100000) : If n > 0 Then Deep = Deep(n - 1) Else Deep = s\r\nEnd Function\r\n"
      "Dim big, k : For k = 1 To 100 : big = Pass(Space(1000000) & k) : Next");
  for (int k = 0; k < 20; ++k) EXPECT_EQ(sc_.ToText(sc_.Run("Deep", 50)).size(), 100000u);
}

TEST_F(ScriptControlTest, LongChainsOfObjectsAreReleasedWithoutRecursion) {
  sc_.AddCode(
      "Class Node : Public NextNode : End Class\r\n"
      "Dim head, n, i\r\nSet head = Nothing\r\n"
      "For i = 1 To 200000\r\n  Set n = New Node\r\n  Set n.NextNode = head\r\n  Set head = n\r\nNext\r\n"
      "Set n = Nothing\r\nSet head = Nothing\r\n");
  EXPECT_EQ(Show(sc_.Eval("IsObject(head)")), "Boolean True");
  // Objects that refer to each other are freed when the control is reset (the leak
  // checker of the sanitizer build watches this).
  sc_.AddCode(
      "Dim a, b, d\r\nSet a = New Node : Set b = New Node\r\nSet a.NextNode = b : Set b.NextNode = a\r\n"
      "Set d = CreateObject(\"Scripting.Dictionary\")\r\nd.Add \"me\", d\r\n");
  sc_.Reset();
  EXPECT_THROW(sc_.Eval("a.NextNode"), ScriptException);
}

}  // namespace
}  // namespace gildex::vbscript
