#include "host/source_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "host/host_test.h"
#include "platform/test_files.h"
#include "platform/cp1252.h"

namespace gildex::host {
namespace {

namespace fs = std::filesystem;

using platform::testing::ReadBytes;
using testing::Describe;

std::vector<std::string> Texts(const std::vector<RawLine>& lines) {
  std::vector<std::string> texts;
  for (const RawLine& line : lines) texts.push_back(line.text);
  return texts;
}

// Each code line, followed by its hidden lines marked with "  hidden: ".
std::vector<std::string> CodeTexts(const std::vector<CodeLine>& code) {
  std::vector<std::string> texts;
  for (const CodeLine& line : code) {
    texts.push_back(line.line.text);
    for (const RawLine& hidden : line.hidden) texts.push_back("  hidden: " + hidden.text);
  }
  return texts;
}

// The header ends at the last module attribute of every real file, and the designer blocks hold
// what was counted by hand (byte-exact round trips of the corpus are the loader's test).
TEST(SourceFile, EveryCorpusComponentFileSplitsAfterItsLastModuleAttribute) {
  GILDEX_SKIP_WITHOUT_CORPUS();
  std::vector<LoadProblem> problems;
  std::size_t header_lines = 0, code_lines = 0, hidden_lines = 0;
  // The billing application's forms and user control, counted by hand.
  int forms = 0, fonts = 0, frx = 0, string_lists = 0, array_members = 0;
  std::function<void(const std::vector<DesignerProperty>&)> count = [&](const std::vector<DesignerProperty>& properties) {
    for (const DesignerProperty& p : properties) {
      fonts += p.is_group && p.name == "Font";
      frx += p.frx.has_value();
      string_lists += p.frx && p.frx->string_list;
      count(p.group);
    }
  };
  const std::vector<fs::path> files = testing::CorpusFiles({".frm", ".bas", ".cls", ".ctl", ".pag", ".dob", ".dsr"});
  for (const fs::path& path : files) {
    const std::string name = fs::relative(path, testing::kCorpus).generic_string();
    SourceFile file = ParseSourceFile(ReadBytes(path), name, problems);
    EXPECT_FALSE(file.vb_name.empty()) << name;
    const std::string ext = cp1252::Lower(path.extension().string());
    EXPECT_EQ(file.designer != nullptr, ext != ".bas" && ext != ".cls") << name;
    ASSERT_FALSE(file.header.empty()) << name;
    EXPECT_TRUE(cp1252::StartsWithNoCase(file.header.back().text, "Attribute VB_")) << name;
    for (const CodeLine& line : file.code) {
      EXPECT_FALSE(cp1252::StartsWithNoCase(line.line.text, "Attribute ")) << name << ": " << line.line.text;
      hidden_lines += line.hidden.size();
    }
    header_lines += file.header.size();
    code_lines += file.code.size();
    if (!name.starts_with("billing-app/") || !file.designer) continue;
    ++forms;
    count(file.designer->root->properties);
    for (DesignerControl* control : file.designer->AllControls()) {
      count(control->properties);
      array_members += control->index >= 0;
    }
  }
  EXPECT_EQ(forms, 54);  // 53 forms and the UserControl
  EXPECT_EQ(fonts, 461);
  EXPECT_EQ(frx, 220);
  EXPECT_EQ(string_lists, 4);
  EXPECT_EQ(array_members, 67);
  EXPECT_EQ(files.size(), 185u);
  EXPECT_EQ(header_lines, 26835u);
  EXPECT_EQ(code_lines, 51681u);
  EXPECT_EQ(hidden_lines, 59u);
  EXPECT_EQ(Describe(problems), "minesweeper/CREGSETTINGS.CLS:15: looks like UTF-8; kept as bytes\n");
}

TEST(SourceFile, ClassHeaderStopsAtTheLastModuleAttributeAndProcedureAttributesHide) {
  const std::string text =
      "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEND\r\nAttribute VB_Name = \"clsOrder\"\r\n"
      "Attribute VB_Exposed = False\r\nAttribute VB_Ext_KEY = \"SavedWithClassBuilder6\" ,\"Yes\"\r\n"
      "Option Explicit\r\nPublic WithEvents Timer As clsTimer\r\nAttribute Timer.VB_VarHelpID = -1\r\n\r\n"
      "Public Property Get Total() As Currency\r\nAttribute Total.VB_Description = \"Sum of the lines\"\r\n"
      "attribute Total.VB_UserMemId = 0\r\n    Total = mTotal\r\nEnd Property";
  std::vector<LoadProblem> problems;
  SourceFile file = ParseSourceFile(text, "clsOrder.cls", problems);
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(file.vb_name, "clsOrder");
  EXPECT_EQ(file.designer, nullptr);
  EXPECT_EQ(file.new_line_end, LineEnd::CrLf);
  EXPECT_EQ(Texts(file.header), (std::vector<std::string>{"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1  'True", "END",
                                                          "Attribute VB_Name = \"clsOrder\"", "Attribute VB_Exposed = False",
                                                          "Attribute VB_Ext_KEY = \"SavedWithClassBuilder6\" ,\"Yes\""}));
  EXPECT_EQ(CodeTexts(file.code), (std::vector<std::string>{
                                      "Option Explicit",
                                      "Public WithEvents Timer As clsTimer",
                                      "  hidden: Attribute Timer.VB_VarHelpID = -1",
                                      "",
                                      "Public Property Get Total() As Currency",
                                      "  hidden: Attribute Total.VB_Description = \"Sum of the lines\"",
                                      "  hidden: attribute Total.VB_UserMemId = 0",
                                      "    Total = mTotal",
                                      "End Property",
                                  }));
  EXPECT_EQ(WriteSourceFile(file.header, file.code), text);
}

TEST(SourceFile, TrickyFilesComeBackExactlyWithTheirWarnings) {
  struct Case { const char* name; std::string bytes; std::size_t header, code; std::string problems; };
  using namespace std::string_literals;
  const std::string module = "Attribute VB_Name = \"modMain\"";
  const std::vector<Case> cases = {
      {"LF only", module + "\nOption Explicit\nSub Main()\nEnd Sub\n", 1, 3, ""},
      {"lone CR", module + "\rSub Main()\rEnd Sub\r", 1, 2, ""},
      {"mixed line ends", module + "\r\nSub Main()\nEnd Sub\r\n' x\r\n", 1, 3,
       "m.bas:0: mixed line ends (3 CR LF, 1 LF)\n"},
      {"three kinds of line end", module + "\r\nA\nB\rC\r\n", 1, 3, "m.bas:0: mixed line ends (2 CR LF, 1 LF, 1 CR)\n"},
      {"LF CR is two line ends, CR CR LF too", module + "\r\na\n\rb\r\r\n\r\n", 1, 5,
       "m.bas:0: mixed line ends (3 CR LF, 1 LF, 2 CR)\n"},
      {"no final line end", module + "\r\nSub Main()\r\nEnd Sub", 1, 2, ""},
      {"blank lines at the end", module + "\r\nSub Main()\r\nEnd Sub\r\n\r\n\r\n", 1, 4, ""},
      {"NUL bytes", module + "\r\nConst A = \"x\"\r\n' a\0b\0\r\n"s, 1, 2, "m.bas:3: NUL bytes; kept as bytes\n"},
      {"UTF-8 text", module + "\r\n' caf\xC3\xA9 \xE2\x82\xAC\r\n' na\xC3\xAFve\r\n", 1, 2, "m.bas:2: looks like UTF-8; kept as bytes\n"},
      {"Windows-1252 text that is not UTF-8", module + "\r\n' caf\xE9 \x80 Jos\xE9\r\n", 1, 1, ""},
      {"byte order mark", "\xEF\xBB\xBF" + module + "\r\nSub Main()\r\nEnd Sub\r\n", 1, 2,
       "m.bas:1: looks like UTF-8; kept as bytes\n"},
      {"empty file", "", 0, 0, "m.bas:0: no Attribute VB_Name line; the IDE names the component itself\n"},
      {"only a header", "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEND\r\n" + module + "\r\n", 5, 0, ""},
      {"attribute as the very first code line", module + "\r\nAttribute Main.VB_Description = \"x\"\r\nSub Main()\r\n", 1, 2, ""},
      {"a variable called Attribute", module + "\r\nSub A()\r\nAttribute = 1\r\nEnd Sub\r\n", 1, 3, ""},
      {"long line", module + "\r\n' " + std::string(1022, 'x') + "\r\n' " + std::string(1021, 'y') + "\r\n", 1, 2,
       "m.bas:2: line longer than 1023 characters\n"},
      {"no Attribute VB_Name", "Option Explicit\r\n", 0, 1,
       "m.bas:0: no Attribute VB_Name line; the IDE names the component itself\n"},
  };
  for (const Case& c : cases) {
    // The problems of earlier files stay ahead of this one's.
    std::vector<LoadProblem> problems = {{"old.frm", 4, "earlier", true}};
    SourceFile file = ParseSourceFile(c.bytes, "m.bas", problems);
    EXPECT_EQ(WriteSourceFile(file.header, file.code), c.bytes) << c.name;
    EXPECT_EQ(file.header.size(), c.header) << c.name;
    EXPECT_EQ(file.code.size(), c.code) << c.name;
    EXPECT_EQ(Describe(problems), "old.frm:4: fatal: earlier\n" + c.problems) << c.name;
  }
}

// Files the IDE would refuse: reported fatal, never thrown, and still not one byte lost (what
// a broken designer block says is the designer block's test).
TEST(SourceFile, BrokenFilesAreFatalAndKeptWhole) {
  struct Case { const char* name; std::string bytes, problems; };
  std::string junk = "VERSION 5.00\r\n";
  for (int i = 0; i < 200; ++i) junk += static_cast<char>(i % 32 == 10 ? 1 : i % 32);
  std::string utf16;
  for (char c : std::string("Attribute VB_Name = \"m\"\r\n")) utf16 += std::string{c, '\0'};
  const std::vector<Case> cases = {
      {"binary junk", junk, "f.frm:0: fatal: not a VB6 text file\n"},
      {"UTF-16", utf16, "f.frm:0: fatal: not a VB6 text file\n"},
      // Every later control sinks one level, so the form's own End closes the wrong control.
      {"a control's End missing",
       "VERSION 5.00\r\nBegin VB.Form f\r\n   Begin VB.Frame a\r\n      Begin VB.Label b\r\n   End\r\nEnd\r\n"
       "Attribute VB_Name = \"f\"\r\nOption Explicit\r\n",
       "f.frm:2: fatal: Begin VB.Form f at line 2 has no End\n"},
      {"class block cut short", "VERSION 1.0 CLASS\nBEGIN\n  MultiUse = -1  'True\n",
       "f.frm:2: fatal: BEGIN at line 2 has no End\n"},
  };
  for (const Case& c : cases) {
    std::vector<LoadProblem> problems;
    SourceFile file = ParseSourceFile(c.bytes, "f.frm", problems);
    EXPECT_EQ(Describe(problems), c.problems) << c.name;
    EXPECT_EQ(file.designer, nullptr) << c.name;
    EXPECT_EQ(WriteSourceFile(file.header, file.code), c.bytes) << c.name;
  }
}

// New lines take the file's most used line end (CR LF when there is none or a tie).
TEST(SourceLines, DominantLineEndIsTheMostUsed) {
  for (const auto& [text, end] : std::vector<std::pair<std::string, LineEnd>>{
           {"", LineEnd::CrLf}, {"a", LineEnd::CrLf}, {"a\nb\nc\r\nd", LineEnd::Lf}, {"a\rb\r\nc\r", LineEnd::Cr}, {"a\nb\r\n", LineEnd::CrLf}})
    EXPECT_EQ(DominantLineEnd(SplitLines(text)), end) << text;
}

}  // namespace
}  // namespace gildex::host
