#include "common/nembus_common.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace gildex {
namespace {

namespace fs = std::filesystem;

// A fresh folder per test, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ =
        fs::temp_directory_path() / ("gildex_common_" + std::string(test->name()) + "_" + std::to_string(::getpid()));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& Path() const { return path_; }
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream out(path_ / name, std::ios::binary);
    out << text;
  }

 private:
  fs::path path_;
};

long VbErrorNumber(const std::function<void()>& run) {
  try {
    run();
  } catch (const VbError& e) {
    return e.Number();
  }
  return 0;
}

TEST(LineCount, CountsCarriageReturnLineFeedPairsOnly) {
  const struct {
    std::string text;
    int lines;
  } cases[] = {
      {"", 1},     {"a\r\nb", 2},   {"a\r\n", 2},    {"a\nb", 1},
      {"a\rb", 1}, {"\r\n\r\n", 3}, {"a\r\r\nb", 2}, {"a\n\r\nb\n\r", 2},
  };
  for (const auto& c : cases) EXPECT_EQ(LineCount(c.text), c.lines) << testing::PrintToString(c.text);
}

TEST(LineCount, OverflowsPastTheLargestInteger) {
  std::string text;
  for (int i = 0; i < 32766; ++i) text += "x\r\n";
  EXPECT_EQ(LineCount(text), 32767);
  text += "\r\n";
  EXPECT_EQ(VbErrorNumber([&] { LineCount(text); }), 6);
}

TEST(GetField, SplitsAsTheAddInAlwaysHas) {
  const struct {
    const char* text;
    const char* delimiter;
    long index;
    const char* field;
  } cases[] = {
      {"x; y ;z", ";", 2, "y"},
      {"x; y ;z", ";", 1, "x"},
      {"x; y ;z", ";", 3, "z"},
      {"x;y", ";", 3, ""},
      {"x", ";", 1, "x"},
      {"a,,b", ",", 1, "a"},
      {"a,,b", ",", 2, ",b"},
      {"a,,b", ",", 3, ""},
      {",x,y", ",", 1, ",x"},
      {",x,y", ",", 2, "y"},
      {"a,", ",", 2, ""},
      {"key=value", "=", 2, "value"},
      {"one<>two<>three", "<>", 3, "three"},
      {"x;y", ";", 0, ""},
      {"x;y", ";", -1, ""},
      {"", ";", 1, ""},
      {"  padded  ", ";", 1, "padded"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetField(c.text, c.delimiter, c.index), c.field) << c.text << " [" << c.index << "]";
  }
}

TEST(MakeValidFilename, RemovesTheCharactersWindowsForbids) {
  EXPECT_EQ(MakeValidFilename("a:b/c\\d*e?f<g>h|i"), "abcdefghi");
  EXPECT_EQ(MakeValidFilename("say \"hi\".txt"), "say \"hi\".txt");
  EXPECT_EQ(MakeValidFilename("::"), "");
  EXPECT_EQ(MakeValidFilename("caf\xe9.frm"), "caf\xe9.frm");
}

TEST(StrToBool, ConvertsAsBasicDoesAndNeverFails) {
  const struct {
    const char* text;
    bool value;
  } cases[] = {
      {"True", true},   {"true", true},   {"TRUE", true}, {"False", false}, {"fAlSe", false}, {"-1", true},
      {"1", true},      {"0", false},     {"0.0", false}, {"0.5", true},    {" 2 ", true},    {"1,000", true},
      {"&H10", true},   {"&H0", false},   {"1e3", true},  {"yes", false},   {"", false},      {"1a", false},
      {" True", false}, {"#TRUE#", true}, {"-", false},   {".", false},
  };
  for (const auto& c : cases) EXPECT_EQ(StrToBool(c.text), c.value) << c.text;
}

TEST(Val, ReadsTheLeadingNumber) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"12abc", 12},      {"abc", 0},   {"", 0},       {" 1 2 3", 123},    {"-5", -5},     {"+5", 5},    {"3.6", 3.6},
      {".5", 0.5},        {"5.", 5},    {"1e3", 1000}, {"2D2", 200},       {"1e", 1},      {"&H10", 16}, {"&hFFFF", -1},
      {"&H10000", 65536}, {"&O17", 15}, {"&17", 15},   {"&HFFFFFFFF", -1}, {"1.2.3", 1.2}, {"--5", 0},   {"\t7\n", 7},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(Val(c.text), c.value) << c.text;
  EXPECT_EQ(VbErrorNumber([] { Val("1e999"); }), 6);
  EXPECT_EQ(VbErrorNumber([] { Val("&H100000000"); }), 6);
}

TEST(AddEndPath, AppendsOneSeparator) {
  const struct {
    const char* path;
    const char* result;
  } cases[] = {
      {"C:\\dir", "C:\\dir/"},
      {"C:\\dir\\", "C:\\dir\\"},
      {"/home/me", "/home/me/"},
      {"/home/me/", "/home/me/"},
      {"", "/"},
  };
  for (const auto& c : cases) EXPECT_EQ(AddEndPath(c.path), c.result) << c.path;
}

TEST(GetFileAndPath, SplitAtTheLastSeparator) {
  const struct {
    const char* path;
    const char* file;
    const char* folder;
  } cases[] = {
      {"C:\\dir\\file.txt", "file.txt", "C:\\dir"},
      {"C:\\file.txt", "file.txt", "C:\\"},
      {"C:\\dir\\", "", "C:\\dir"},
      {"C:\\", "", "C:\\"},
      {"/home/me/Project1.vbp", "Project1.vbp", "/home/me"},
      {"/home/me\\Form1.frm", "Form1.frm", "/home/me"},
      {"/file", "file", "/"},
      {"/", "", "/"},
      {"ab\\file", "file", "ab"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetFile(c.path), c.file) << c.path;
    EXPECT_EQ(GetFilePath(c.path), c.folder) << c.path;
  }
  EXPECT_EQ(GetFile(""), "");
  EXPECT_EQ(GetFile("   "), "");
  EXPECT_EQ(GetFilePath(""), "");
}

TEST(GetFileAndPath, APathWithoutSeparatorIsAnError) {
  for (const char* path : {"file.txt", "C:", "  "}) {
    EXPECT_EQ(VbErrorNumber([&] { GetFilePath(path); }), 5) << path;
  }
  EXPECT_EQ(VbErrorNumber([] { GetFile("file.txt"); }), 5);
}

TEST(Files, ListsOrdinaryFilesMatchingThePattern) {
  TempFolder folder;
  for (const char* name : {"a.txt", "B.TXT", "readme", "ab.txt.bak", ".hidden.txt", "x.frm"}) folder.Write(name, "");
  fs::create_directory(folder.Path() / "sub.txt");
  const struct {
    const char* pattern;
    std::vector<std::string> names;
  } cases[] = {
      {"*.txt", {"B.TXT", "a.txt"}},
      {"*.TXT", {"B.TXT", "a.txt"}},
      {"?.txt", {"B.TXT", "a.txt"}},
      {"*.*", {"B.TXT", "a.txt", "ab.txt.bak", "readme", "x.frm"}},
      {"", {"B.TXT", "a.txt", "ab.txt.bak", "readme", "x.frm"}},
      {"   ", {"B.TXT", "a.txt", "ab.txt.bak", "readme", "x.frm"}},
      {"*", {"B.TXT", "a.txt", "ab.txt.bak", "readme", "x.frm"}},
      {"read*", {"readme"}},
      {"readme.*", {"readme"}},
      {"a*", {"a.txt", "ab.txt.bak"}},
      {"*.vbp", {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> names = Files(folder.Path(), c.pattern);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, c.names) << "'" << c.pattern << "'";
  }
}

TEST(Files, AMissingFolderListsNothing) {
  TempFolder folder;
  EXPECT_TRUE(Files(folder.Path() / "missing", "*.*").empty());
  folder.Write("plain", "");
  EXPECT_TRUE(Files(folder.Path() / "plain", "*.*").empty());
}

TEST(ReadIni, ReadsAtMost127Characters) {
  TempFolder folder;
  const std::string long_value(200, 'v');
  folder.Write("vbaddin.ini", "[Add-Ins32]\r\nGildex.Connect=3\r\nLong=" + long_value + "\r\n");
  const fs::path ini = folder.Path() / "vbaddin.ini";
  EXPECT_EQ(READ_INI("Add-Ins32", "Gildex.Connect", ini), "3");
  EXPECT_EQ(READ_INI("add-ins32", "gildex.connect", ini), "3");
  EXPECT_EQ(READ_INI("Add-Ins32", "Long", ini), long_value.substr(0, 127));
  EXPECT_EQ(READ_INI("Add-Ins32", "Missing", ini), "");
  EXPECT_EQ(READ_INI("Other", "Gildex.Connect", ini), "");
  EXPECT_EQ(READ_INI("Add-Ins32", "Gildex.Connect", folder.Path() / "none.ini"), "");
}

TEST(NTDomainUserName, IsTheUserNameInUpperCase) {
  platform::FakeEnvironment env;
  env.SetUserName("jdoe");
  EXPECT_EQ(NTDomainUserName(env), "JDOE");
  env.SetUserName("j\xe9r\xf4me");
  EXPECT_EQ(NTDomainUserName(env), "J\xc9R\xd4ME");
}

TEST(TrimSpaces, TrimsSpacesButNotTabs) {
  const struct {
    const char* text;
    const char* both;
    const char* left;
    const char* right;
  } cases[] = {
      {"  a b  ", "a b", "a b  ", "  a b"},
      {"\ta\t", "\ta\t", "\ta\t", "\ta\t"},
      {"   ", "", "", ""},
      {"", "", "", ""},
      {"x", "x", "x", "x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TrimSpaces(c.text), c.both) << "'" << c.text << "'";
    EXPECT_EQ(TrimLeftSpaces(c.text), c.left) << "'" << c.text << "'";
    EXPECT_EQ(TrimRightSpaces(c.text), c.right) << "'" << c.text << "'";
  }
}

TEST(ReplaceAll, ReplacesEveryOccurrenceCaseSensitively) {
  const struct {
    const char* text;
    const char* find;
    const char* with;
    const char* result;
  } cases[] = {
      {"%ProcName% in %ProcName%", "%ProcName%", "Main", "Main in Main"},
      {"%procname%", "%ProcName%", "Main", "%procname%"},
      {"aaa", "a", "aa", "aaaaaa"},  // replaced text is not searched again
      {"aaaa", "aa", "b", "bb"},
      {"abc", "", "x", "abc"},
      {"abc", "b", "", "ac"},
      {"", "a", "b", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ReplaceAll(c.text, c.find, c.with), c.result) << c.text;
}

TEST(QuickSort, SortsTheGivenRange) {
  const struct {
    std::vector<int> items;
    int first;
    int last;
    std::vector<int> sorted;
  } cases[] = {
      {{2, 1}, 0, 1, {1, 2}},
      {{1, 2, 3}, 0, 2, {1, 2, 3}},
      {{5}, 0, 0, {5}},
      {{3, 3, 1, 3}, 0, 3, {1, 3, 3, 3}},
      {{9, 4, 3, 2, 1, 0}, 1, 4, {9, 1, 2, 3, 4, 0}},
      {{5, 4, 3, 2, 1}, 0, 4, {1, 2, 3, 4, 5}},
  };
  for (auto c : cases) {
    QuickSort(c.items, c.first, c.last);
    EXPECT_EQ(c.items, c.sorted);
  }
}

TEST(QuickSort, AgreesWithTheStandardSort) {
  std::mt19937 random(7);
  for (int round = 0; round < 50; ++round) {
    std::vector<int> numbers(1 + random() % 200);
    for (int& n : numbers) n = static_cast<int>(random() % 20);
    std::vector<std::string> names;
    for (int n : numbers) names.push_back("Name" + std::to_string(n * 7 % 13));
    std::vector<int> expected_numbers = numbers;
    std::vector<std::string> expected_names = names;
    std::sort(expected_numbers.begin(), expected_numbers.end());
    std::sort(expected_names.begin(), expected_names.end());
    QuickSort(numbers, 0, static_cast<int>(numbers.size()) - 1);
    QuickSort(names, 0, static_cast<int>(names.size()) - 1);
    EXPECT_EQ(numbers, expected_numbers);
    EXPECT_EQ(names, expected_names);
  }
}

TEST(QuickSort, BoundsOutsideTheArrayFailAndMoveNothing) {
  const struct {
    int first;
    int last;
  } cases[] = {{0, 3}, {-1, 2}, {1, 7}, {-5, -1}};
  for (const auto& c : cases) {
    std::vector<int> items{3, 1, 2};
    EXPECT_EQ(VbErrorNumber([&] { QuickSort(items, c.first, c.last); }), 9) << c.first << ".." << c.last;
    EXPECT_EQ(items, (std::vector<int>{3, 1, 2}));
  }
  std::vector<int> empty;
  EXPECT_EQ(VbErrorNumber([&] { QuickSort(empty, 0, -1); }), 9);
}

}  // namespace
}  // namespace gildex
