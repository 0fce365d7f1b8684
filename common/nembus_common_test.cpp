#include "common/nembus_common.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/test_files.h"

namespace gildex {
namespace {

long VbErrorNumber(const std::function<void()>& run) {
  try {
    run();
  } catch (const VbError& e) {
    return e.Number();
  }
  return 0;
}

TEST(TextHelpers, BehaveAsTheirBasicCounterparts) {
  std::string lines;
  for (int i = 0; i < 32766; ++i) lines += "x\r\n";
  // Only CR LF pairs count; one break more than an Integer holds overflows.
  for (const auto& [text, count] : std::vector<std::pair<std::string, int>>{
           {"", 1}, {"a\r\n", 2}, {"a\nb\rc", 1}, {"a\r\r\nb", 2}, {lines, 32767}})
    EXPECT_EQ(LineCount(text), count) << text.size();
  EXPECT_EQ(VbErrorNumber([&] { LineCount(lines + "\r\n"); }), 6);

  // A delimiter standing first in a field belongs to it.
  for (const auto& [text, index, field] : std::vector<std::tuple<std::string, long, std::string>>{
           {"x; y ;z", 2, "y"}, {"x; y ;z", 3, "z"}, {"x;y", 3, ""}, {"a;;b", 2, ";b"}, {";x;y", 1, ";x"},
           {"a;", 2, ""}, {"x;y", 0, ""}, {"", 1, ""}, {"  padded  ", 1, "padded"}})
    EXPECT_EQ(GetField(text, ";", index), field) << text << " [" << index << "]";
  EXPECT_EQ(GetField("one<>two<>three", "<>", 3), "three");

  for (const auto& [text, value] : std::vector<std::pair<std::string, bool>>{
           {"true", true}, {"fAlSe", false}, {"-1", true}, {"0.0", false}, {" 2 ", true}, {"1,000", true},
           {"&H0", false}, {"&H10", true}, {"1e3", true}, {"yes", false}, {"", false}, {"1a", false},
           {" True", false}, {"#TRUE#", true}, {"-", false}})
    EXPECT_EQ(StrToBool(text), value) << text;

  for (const auto& [text, value] : std::vector<std::pair<std::string, double>>{
           {"12abc", 12}, {"abc", 0}, {" 1 2 3", 123}, {"-5", -5}, {".5", 0.5}, {"2D2", 200}, {"1e", 1},
           {"&hFFFF", -1}, {"&H10000", 65536}, {"&O17", 15}, {"&17", 15}, {"1.2.3", 1.2}, {"--5", 0}, {"\t7\n", 7}})
    EXPECT_DOUBLE_EQ(Val(text), value) << text;
  EXPECT_EQ(VbErrorNumber([] { Val("1e999"); }), 6);
  EXPECT_EQ(VbErrorNumber([] { Val("&H100000000"); }), 6);

  EXPECT_EQ(TrimSpaces("  \ta b\t  "), "\ta b\t") << "Basic's Trim leaves tabs";
  EXPECT_EQ(MakeValidFilename("a:b/c\\d*e?f<g>h|i\"j"), "abcdefghi\"j");
  EXPECT_EQ(ReplaceAll("aaa", "a", "aa") + ReplaceAll("abc", "", "x"), "aaaaaaabc") << "replaced text is not searched again";
  platform::FakeEnvironment env;
  env.SetUserName("j\xe9r\xf4me");
  EXPECT_EQ(NTDomainUserName(env), "J\xc9R\xd4ME");
  // Paths split at the last separator of either kind.
  for (const auto& [path, file, folder] : std::vector<std::tuple<std::string, std::string, std::string>>{
           {"C:\\file.txt", "file.txt", "C:\\"}, {"C:\\dir\\", "", "C:\\dir"},
           {"/home/me\\Form1.frm", "Form1.frm", "/home/me"}, {"/file", "file", "/"}, {"", "", ""}}) {
    EXPECT_EQ(GetFile(path), file) << path;
    EXPECT_EQ(GetFilePath(path), folder) << path;
  }
  EXPECT_EQ(VbErrorNumber([] { GetFilePath("file.txt"); }), 5);
  EXPECT_EQ(VbErrorNumber([] { GetFile("C:"); }), 5);
}

TEST(FileHelpers, ListMatchingFilesAndReadIniValues) {
  platform::testing::TempDir folder;
  for (const char* name : {"a.txt", "B.TXT", "readme", "ab.txt.bak", ".hidden.txt"})
    platform::testing::WriteBytes(folder / name, "");
  std::filesystem::create_directory(folder / "sub.txt");
  // Listed in case-insensitive name order, as Windows lists a folder.
  const std::vector<std::string> all = {"a.txt", "ab.txt.bak", "B.TXT", "readme"};
  for (const auto& [pattern, expected] : std::vector<std::pair<std::string, std::vector<std::string>>>{
           {"*.TXT", {"a.txt", "B.TXT"}}, {"?.txt", {"a.txt", "B.TXT"}}, {"*.*", all}, {"  ", all},
           {"readme.*", {"readme"}}, {"a*", {"a.txt", "ab.txt.bak"}}, {"*.vbp", {}}}) {
    EXPECT_EQ(Files(folder.Path(), pattern), expected) << "'" << pattern << "'";
  }
  EXPECT_TRUE(Files(folder / "missing", "*.*").empty());
  EXPECT_TRUE(Files(folder / "readme", "*.*").empty());

  const std::string long_value(200, 'v');
  platform::testing::WriteBytes(folder / "vbaddin.ini", "[Add-Ins32]\r\nGildex.Connect=3\r\nLong=" + long_value + "\r\n");
  EXPECT_EQ(READ_INI("add-ins32", "gildex.connect", folder / "vbaddin.ini"), "3");
  EXPECT_EQ(READ_INI("Add-Ins32", "Long", folder / "vbaddin.ini"), long_value.substr(0, 127));
  EXPECT_EQ(READ_INI("Other", "Gildex.Connect", folder / "vbaddin.ini"), "");
  EXPECT_EQ(READ_INI("Add-Ins32", "Gildex.Connect", folder / "none.ini"), "");
}

}  // namespace
}  // namespace gildex
