#include "platform/registry.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "platform/test_files.h"

namespace gildex::platform {
namespace {

using testing::ReadBytes;
using testing::ScopedEnv;
using testing::TempDir;
using testing::WriteBytes;

const std::string kOptions = "HKEY_CURRENT_USER\\Software\\Nembus\\Gildex\\Options";

RegValue Text(std::string s) { return RegValue{RegType::String, std::move(s), 0}; }
RegValue Number(std::uint32_t n) { return RegValue{RegType::Number, "", n}; }
RegValue Bytes(std::string b) { return RegValue{RegType::Binary, std::move(b), 0}; }

void ExpectSame(const std::optional<RegValue>& got, const RegValue& want, const std::string& name) {
  ASSERT_TRUE(got.has_value()) << name;
  EXPECT_EQ(got->type, want.type) << name;
  EXPECT_EQ(got->data, want.data) << name;
  EXPECT_EQ(got->number, want.number) << name;
}

TEST(Registry, KeepsEveryKindOfValueAcrossARestart) {
  const std::vector<std::pair<std::string, RegValue>> values = {
      {"BodyCode", Text("True")},
      {"Empty", Text("")},
      {"Quotes", Text("say \"hi\"")},
      {"Path", Text("C:\\Program Files\\Gildex\\")},
      {"Trailing backslash\\", Text("\\")},
      {"Accents", Text("caf\xe9 \x80 \xff")},
      {"Signs", Text("a=b] [c] @=x ;no comment")},
      {"Lines", Text("first\r\nsecond\ttab")},
      {"Count", Number(12)},
      {"Zero", Number(0)},
      {"Largest", Number(0xFFFFFFFFu)},
      {"Blob", Bytes(std::string("\x01\x02\xff\x00\x7f", 5))},
      {"NoBytes", Bytes("")},
      {"Name with \"quotes\" = and ]", Text("odd name")},
      {"", Text("the default value")},
  };
  TempDir dir;
  const auto file = dir / "registry.reg";
  {
    Registry registry(file);
    for (const auto& [name, value] : values) registry.Set(kOptions, name, value);
  }
  Registry again(file);
  EXPECT_EQ(again.Warning(), "");
  for (const auto& [name, value] : values) ExpectSame(again.Get(kOptions, name), value, name);
}

TEST(Registry, WritesTheLayoutOfARegistryExport) {
  TempDir dir;
  Registry registry(dir / "registry.reg");
  registry.Set(kOptions, "BodyCode", Text("True"));
  registry.Set(kOptions, "Count", Number(12));
  registry.Set(kOptions, "Blob", Bytes("\x01\x02\xff"));
  registry.Set(kOptions, "Path", Text("C:\\a \"b\""));
  registry.Set(kOptions, "", Text("default"));
  EXPECT_EQ(ReadBytes(registry.File()),
            "REGEDIT4\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software]\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Nembus]\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Nembus\\Gildex]\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Nembus\\Gildex\\Options]\n"
            "@=\"default\"\n"
            "\"Blob\"=hex:01,02,ff\n"
            "\"BodyCode\"=\"True\"\n"
            "\"Count\"=dword:0000000c\n"
            "\"Path\"=\"C:\\\\a \\\"b\\\"\"\n"
            "\n");
}

TEST(Registry, FindsKeysAndNamesWhateverTheirCaseAndKeepsTheFirstCase) {
  TempDir dir;
  Registry registry(dir / "registry.reg");
  registry.Set(kOptions, "BodyCode", Text("True"));
  registry.Set("hkey_current_user\\software\\nembus\\gildex\\OPTIONS", "BODYCODE", Text("False"));

  ExpectSame(registry.Get("HKEY_CURRENT_USER\\SOFTWARE\\nembus\\Gildex\\options", "bodycode"), Text("False"), "");
  EXPECT_TRUE(registry.KeyExists("hkey_current_user\\software\\NEMBUS"));
  const std::string text = ReadBytes(registry.File());
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Nembus\\Gildex\\Options]\n\"BodyCode\"=\"False\""),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("OPTIONS"), std::string::npos) << text;
}

TEST(Registry, CreatesParentKeysAndAnswersForMissingOnes) {
  Registry registry;
  EXPECT_FALSE(registry.KeyExists("HKEY_CURRENT_USER"));
  registry.CreateKey(kOptions + "\\Deeper\\");
  for (const std::string& key : std::vector<std::string>{"HKEY_CURRENT_USER", "HKEY_CURRENT_USER\\Software",
                                                         "HKEY_CURRENT_USER\\Software\\Nembus", kOptions,
                                                         kOptions + "\\Deeper", kOptions + "\\Deeper\\"})
    EXPECT_TRUE(registry.KeyExists(key)) << key;
  for (const std::string& key :
       std::vector<std::string>{"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER\\Soft", kOptions + "\\Other", ""})
    EXPECT_FALSE(registry.KeyExists(key)) << key;
  EXPECT_FALSE(registry.Get(kOptions, "Missing").has_value());
  EXPECT_FALSE(registry.Get("HKEY_CURRENT_USER\\Nowhere", "Missing").has_value());
}

TEST(Registry, DeletesValuesFromMemoryAndFile) {
  TempDir dir;
  Registry registry(dir / "registry.reg");
  registry.Set(kOptions, "Keep", Text("1"));
  registry.Set(kOptions, "Drop", Text("2"));
  EXPECT_TRUE(registry.DeleteValue(kOptions, "drop"));
  EXPECT_FALSE(registry.DeleteValue(kOptions, "drop"));
  EXPECT_FALSE(registry.DeleteValue(kOptions + "\\Missing", "x"));
  Registry again(registry.File());
  EXPECT_FALSE(again.Get(kOptions, "Drop").has_value());
  EXPECT_TRUE(again.Get(kOptions, "Keep").has_value());
}

TEST(Registry, RejectsKeyPathsAndNamesTheFileCannotHold) {
  Registry registry;
  EXPECT_THROW(registry.Set("", "x", Text("1")), std::invalid_argument);
  EXPECT_THROW(registry.Set("\\\\", "x", Text("1")), std::invalid_argument);
  EXPECT_THROW(registry.Set("HKEY_CURRENT_USER\\a\nb", "x", Text("1")), std::invalid_argument);
  EXPECT_THROW(registry.Set(kOptions, "two\r\nlines", Text("1")), std::invalid_argument);
  EXPECT_THROW(registry.CreateKey("-HKEY_CURRENT_USER\\x"), std::invalid_argument);
}

TEST(Registry, InMemoryRegistryHasNoFile) {
  Registry registry;
  registry.Set(kOptions, "x", Number(1));
  EXPECT_TRUE(registry.File().empty());
  EXPECT_EQ(registry.Warning(), "");
  ExpectSame(registry.Get(kOptions, "X"), Number(1), "x");
}

TEST(Registry, CreatesAPrivateFileAndItsFolders) {
  TempDir dir;
  const auto file = dir / "config/gildex/registry.reg";
  Registry registry(file);
  EXPECT_FALSE(std::filesystem::exists(file));  // loading alone writes nothing
  registry.Set(kOptions, "x", Text("1"));
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  // Only the registry and its lock file: no temporary file is left behind.
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));
}

TEST(Registry, AFileThatCannotBeWrittenThrowsAndKeepsTheValueInMemory) {
  TempDir dir;
  WriteBytes(dir / "not-a-folder", "x");
  Registry registry(dir / "not-a-folder/registry.reg");
  EXPECT_THROW(registry.Set(kOptions, "x", Text("kept")), std::runtime_error);
  ExpectSame(registry.Get(kOptions, "x"), Text("kept"), "x");
}

struct DamagedCase {
  std::string name;
  std::string content;
  std::string warning;  // after "FILE:"
};

TEST(Registry, ADamagedFileGivesOneWarningAndIsNeverOverwritten) {
  const std::string key = "[HKEY_CURRENT_USER\\Software]\n";
  const std::vector<DamagedCase> cases = {
      {"not a registry file", "[HKEY_CURRENT_USER\\x]\n",
       "1: not a registry file: the first line must be \"REGEDIT4\", not \"[HKEY_CURRENT_USER\\x]\""},
      {"unterminated string", "REGEDIT4\n\n" + key + "\"a\"=\"1\"\n\"b\"=\"no end\n",
       "5: unterminated string (no closing double quote)"},
      {"unterminated name", "REGEDIT4\n" + key + "\"name=\"x\"", "3: expected '=' after the value name"},
      {"bad hex", "REGEDIT4\n" + key + "\"b\"=hex:01,zz,03\n", "3: bad hex byte \"zz\""},
      {"bad hex continuation", "REGEDIT4\n" + key + "\"b\"=hex:01,\\\n", "3: a hex value continues past the end of the file"},
      {"bad dword", "REGEDIT4\n" + key + "\"n\"=dword:123456789\n",
       "3: bad dword \"123456789\" (expected 1 to 8 hex digits)"},
      {"unknown line", "REGEDIT4\n" + key + "BodyCode=True\n", "3: not a key, value or comment: \"BodyCode=True\""},
      {"value before key", "REGEDIT4\n\"a\"=\"1\"\n", "2: a value line before the first key line"},
      {"unfinished key", "REGEDIT4\n[HKEY_CURRENT_USER\\x\n", "2: a key line must end with ']': \"[HKEY_CURRENT_USER\\x\""},
      {"unknown escape", "REGEDIT4\n" + key + "\"p\"=\"C:\\Temp\"\n",
       "3: unknown escape \"\\T\" in a string (a backslash is written \\\\)"},
      {"text after string", "REGEDIT4\n" + key + "\"p\"=\"a\"b\"\n", "3: unexpected text after the closing quote: \"b\"\""},
      {"other value type", "REGEDIT4\n" + key + "\"p\"=hex(2):41,00\n",
       "3: unsupported value type hex(2) (only strings, dword: and hex: are kept)"},
  };
  for (const DamagedCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const auto file = dir / "registry.reg";
    WriteBytes(file, c.content);
    Registry registry(file);
    EXPECT_EQ(registry.Warning(), file.string() + ":" + c.warning);
    EXPECT_FALSE(registry.KeyExists("HKEY_CURRENT_USER\\Software"));

    try {
      registry.Set(kOptions, "BodyCode", Text("True"));
      ADD_FAILURE() << "a damaged file was written";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
    }
    EXPECT_EQ(ReadBytes(file), c.content);
    ExpectSame(registry.Get(kOptions, "BodyCode"), Text("True"), "BodyCode");
  }
}

TEST(Registry, AnEmptyFileIsAnEmptyRegistry) {
  TempDir dir;
  WriteBytes(dir / "registry.reg", "");
  Registry registry(dir / "registry.reg");
  EXPECT_EQ(registry.Warning(), "");
  registry.Set(kOptions, "x", Text("1"));
  EXPECT_TRUE(ReadBytes(dir / "registry.reg").starts_with("REGEDIT4\n"));
}

TEST(Registry, ReadsFilesTheRegistryEditorWrote) {
  // Version 5 exports are UTF-16 with CR LF; long values wrap after a backslash.
  const std::u16string text =
      u"Windows Registry Editor Version 5.00\r\n\r\n"
      u"; exported by hand\r\n"
      u"[HKEY_CURRENT_USER\\Software\\Nembus\\Gildex\\Options]\r\n"
      u"\"Caf\u00e9\"=\"\u20ac 5\"\r\n"
      u"\"Wrapped\"=hex:01,02,\\\r\n"
      u"  03,04\r\n"
      u"\"Multi\"=hex(1):41,00,0d,00,0a,00,42,00,00,00\r\n"
      u"\"Gone\"=\"x\"\r\n"
      u"\"Gone\"=-\r\n"
      u"[HKEY_CURRENT_USER\\Software\\Old]\r\n"
      u"\"x\"=dword:1\r\n"
      u"[-HKEY_CURRENT_USER\\Software\\Old]\r\n";
  std::string bytes = "\xff\xfe";
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  TempDir dir;
  WriteBytes(dir / "export.reg", bytes);
  Registry registry(dir / "export.reg");
  ASSERT_EQ(registry.Warning(), "");
  ExpectSame(registry.Get(kOptions, "caf\xe9"), Text("\x80 5"), "Caf\xe9");
  ExpectSame(registry.Get(kOptions, "Wrapped"), Bytes("\x01\x02\x03\x04"), "Wrapped");
  ExpectSame(registry.Get(kOptions, "Multi"), Text("A\r\nB"), "Multi");
  EXPECT_FALSE(registry.Get(kOptions, "Gone").has_value());
  EXPECT_FALSE(registry.KeyExists("HKEY_CURRENT_USER\\Software\\Old"));

  // Ours are REGEDIT4, Windows-1252; CR LF line ends are fine too.
  WriteBytes(dir / "ansi.reg", "REGEDIT4\r\n\r\n[" + kOptions + "]\r\n\"Caf\xe9\"=\"\x80\"\r\n\"Text\"=hex(1):41,42,00\r\n");
  Registry ansi(dir / "ansi.reg");
  ASSERT_EQ(ansi.Warning(), "");
  ExpectSame(ansi.Get(kOptions, "CAF\xc9"), Text("\x80"), "Caf\xe9");
  ExpectSame(ansi.Get(kOptions, "Text"), Text("AB"), "Text");
}

TEST(Registry, AUnicodeFileWithACharacterOutsideTheCodePageIsDamaged) {
  TempDir dir;
  const std::string bytes = "\xEF\xBB\xBFREGEDIT4\n[HKEY_CURRENT_USER\\x]\n\"a\"=\"\xE4\xB8\xAD\"\n";
  WriteBytes(dir / "r.reg", bytes);
  Registry registry(dir / "r.reg");
  EXPECT_EQ(registry.Warning(), (dir / "r.reg").string() + ":3: character U+4E2D has no Windows-1252 byte");
  EXPECT_THROW(registry.Set(kOptions, "a", Text("b")), std::runtime_error);
  EXPECT_EQ(ReadBytes(dir / "r.reg"), bytes);
}

TEST(Registry, TwoRegistriesOnOneFileKeepEachOthersValues) {
  TempDir dir;
  Registry first(dir / "registry.reg");
  Registry second(dir / "registry.reg");
  first.Set(kOptions, "First", Text("1"));
  second.Set(kOptions, "Second", Text("2"));
  first.Set(kOptions, "Third", Number(3));
  Registry after(dir / "registry.reg");
  ExpectSame(after.Get(kOptions, "First"), Text("1"), "First");
  ExpectSame(after.Get(kOptions, "Second"), Text("2"), "Second");
  ExpectSame(after.Get(kOptions, "Third"), Number(3), "Third");
  // Each keeps its own view: saving it again writes nothing over the other's value.
  EXPECT_FALSE(first.Get(kOptions, "Second").has_value());
}

TEST(Registry, ABatchReachesTheFileInOneUpdate) {
  TempDir dir;
  Registry registry(dir / "registry.reg");
  registry.BeginBatch();
  registry.Set(kOptions, "First", Text("1"));
  registry.Set(kOptions, "Second", Number(2));
  ExpectSame(registry.Get(kOptions, "First"), Text("1"), "First");
  EXPECT_FALSE(std::filesystem::exists(dir / "registry.reg"));
  registry.CommitBatch();

  Registry after(dir / "registry.reg");
  ExpectSame(after.Get(kOptions, "First"), Text("1"), "First");
  ExpectSame(after.Get(kOptions, "Second"), Number(2), "Second");
}

// Eight processes load the same settings, then each saves all of them from its own copy
// with one value changed (half as a batch, half value by value): no change is lost.
TEST(Registry, ProcessesSavingStaleCopiesAtOnceLoseNothing) {
  TempDir dir;
  const auto file = dir / "registry.reg";
  constexpr int kProcesses = 8;
  const auto name = [](int i) { return "Setting" + std::to_string(i); };
  {
    Registry setup(file);
    for (int i = 0; i < kProcesses; ++i) setup.Set(kOptions, name(i), Text("old"));
  }
  int ready[2], go[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(go), 0);
  std::vector<pid_t> children;
  for (int me = 0; me < kProcesses; ++me) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int status = 0;
      try {
        Registry registry(file);
        char byte = 0;
        // Everyone has loaded before anyone saves.
        if (::write(ready[1], &byte, 1) != 1 || (::close(go[1]), ::read(go[0], &byte, 1)) != 0) ::_exit(2);
        if (me % 2) registry.BeginBatch();
        for (int i = 0; i < kProcesses; ++i)
          registry.Set(kOptions, name(i), i == me ? Text("new") : *registry.Get(kOptions, name(i)));
        if (me % 2) registry.CommitBatch();
      } catch (...) {
        status = 1;
      }
      ::_exit(status);
    }
    children.push_back(pid);
  }
  ::close(go[0]);
  for (int i = 0; i < kProcesses; ++i) {
    char byte;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  }
  ::close(go[1]);
  for (const pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  ::close(ready[0]);
  ::close(ready[1]);
  Registry after(file);
  ASSERT_EQ(after.Warning(), "");
  for (int i = 0; i < kProcesses; ++i) ExpectSame(after.Get(kOptions, name(i)), Text("new"), name(i));
}

TEST(Registry, DefaultPathFollowsTheEnvironment) {
  {
    ScopedEnv own("GILDEX_REGISTRY", "/tmp/elsewhere/my.reg");
    EXPECT_EQ(DefaultRegistryPath(), "/tmp/elsewhere/my.reg");
  }
  ScopedEnv own("GILDEX_REGISTRY", std::nullopt);
  {
    ScopedEnv config("XDG_CONFIG_HOME", "/tmp/cfg");
    EXPECT_EQ(DefaultRegistryPath(), "/tmp/cfg/gildex/registry.reg");
  }
  ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
  ScopedEnv home("HOME", "/home/someone");
  EXPECT_EQ(DefaultRegistryPath(), "/home/someone/.config/gildex/registry.reg");
}

}  // namespace
}  // namespace gildex::platform
