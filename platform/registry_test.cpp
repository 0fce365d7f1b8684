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
      {"Trailing backslash\\", Text("\\")},
      {"Accents", Text("caf\xe9 \x80 \xff")},
      {"Signs", Text("a=b] [c] @=x ;no comment")},
      {"Lines", Text("first\r\nsecond\ttab")},
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
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\n[HKEY_CURRENT_USER\\Software\\Nembus]\n\n"
            "[HKEY_CURRENT_USER\\Software\\Nembus\\Gildex]\n\n"
            "[HKEY_CURRENT_USER\\Software\\Nembus\\Gildex\\Options]\n@=\"default\"\n\"Blob\"=hex:01,02,ff\n"
            "\"BodyCode\"=\"True\"\n\"Count\"=dword:0000000c\n\"Path\"=\"C:\\\\a \\\"b\\\"\"\n\n");
}

TEST(Registry, FindsKeysAndNamesWhateverTheirCaseAndKeepsTheFirstCase) {
  TempDir dir;
  Registry registry(dir / "registry.reg");
  EXPECT_FALSE(registry.KeyExists("HKEY_CURRENT_USER"));
  registry.Set(kOptions, "BodyCode", Text("True"));
  registry.Set("hkey_current_user\\software\\nembus\\gildex\\OPTIONS", "BODYCODE", Text("False"));
  registry.CreateKey(kOptions + "\\Deeper\\");

  ExpectSame(registry.Get("HKEY_CURRENT_USER\\SOFTWARE\\nembus\\Gildex\\options", "bodycode"), Text("False"), "");
  for (const std::string& key : {std::string("HKEY_CURRENT_USER"), std::string("hkey_current_user\\software\\NEMBUS"),
                                 kOptions + "\\Deeper", kOptions + "\\Deeper\\"})
    EXPECT_TRUE(registry.KeyExists(key)) << key;
  for (const std::string& key : {std::string("HKEY_LOCAL_MACHINE"), std::string("HKEY_CURRENT_USER\\Soft"),
                                 kOptions + "\\Other", std::string()})
    EXPECT_FALSE(registry.KeyExists(key)) << key;
  EXPECT_FALSE(registry.Get(kOptions, "Missing").has_value());
  EXPECT_FALSE(registry.Get("HKEY_CURRENT_USER\\Nowhere", "Missing").has_value());
  const std::string text = ReadBytes(registry.File());
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Nembus\\Gildex\\Options]\n\"BodyCode\"=\"False\""),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("OPTIONS"), std::string::npos) << text;

  // Key paths and names the file cannot hold are refused.
  EXPECT_THROW(registry.Set("", "x", Text("1")), std::invalid_argument);
  EXPECT_THROW(registry.Set("\\\\", "x", Text("1")), std::invalid_argument);
  EXPECT_THROW(registry.Set("HKEY_CURRENT_USER\\a\nb", "x", Text("1")), std::invalid_argument);
  EXPECT_THROW(registry.Set(kOptions, "two\r\nlines", Text("1")), std::invalid_argument);
  EXPECT_THROW(registry.CreateKey("-HKEY_CURRENT_USER\\x"), std::invalid_argument);
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
  // Only the registry: no temporary file and no lock file is left behind.
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"registry.reg"}));

  // An empty file is an empty registry.
  WriteBytes(dir / "empty.reg", "");
  Registry empty(dir / "empty.reg");
  EXPECT_EQ(empty.Warning(), "");
  empty.Set(kOptions, "x", Text("1"));
  EXPECT_TRUE(ReadBytes(dir / "empty.reg").starts_with("REGEDIT4\n"));

  // A file that cannot be written: the error, and the value stays set in memory.
  Registry blocked(dir / "empty.reg" / "registry.reg");
  EXPECT_THROW(blocked.Set(kOptions, "x", Text("kept")), std::runtime_error);
  ExpectSame(blocked.Get(kOptions, "x"), Text("kept"), "x");
}

TEST(Registry, ADamagedFileGivesOneWarningAndIsNeverOverwritten) {
  struct Case {
    std::string name;
    std::string content;
    std::string warning;  // after "FILE:"
  };
  const std::string key = "[HKEY_CURRENT_USER\\Software]\n";
  const std::vector<Case> cases = {
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
      {"unicode character outside the code page", "\xEF\xBB\xBFREGEDIT4\n" + key + "\"a\"=\"\xE4\xB8\xAD\"\n",
       "3: character U+4E2D has no Windows-1252 byte"},
  };
  for (const Case& c : cases) {
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

TEST(Registry, TwoRegistriesOnOneFileKeepEachOthersValues) {
  TempDir dir;
  Registry first(dir / "registry.reg");
  Registry second(dir / "registry.reg");
  first.Set(kOptions, "First", Text("1"));
  second.BeginBatch();  // a batch reaches the file in one update, at its end
  second.Set(kOptions, "Second", Text("2"));
  second.Set(kOptions, "Third", Number(3));
  ExpectSame(second.Get(kOptions, "Second"), Text("2"), "Second");
  EXPECT_FALSE(Registry(dir / "registry.reg").Get(kOptions, "Second").has_value());
  second.CommitBatch();
  first.Set(kOptions, "Fourth", Number(4));

  Registry after(dir / "registry.reg");
  for (const auto& [name, value] : std::vector<std::pair<std::string, RegValue>>{
           {"First", Text("1")}, {"Second", Text("2")}, {"Third", Number(3)}, {"Fourth", Number(4)}})
    ExpectSame(after.Get(kOptions, name), value, name);
  // Each keeps its own view: saving it again writes nothing over the other's value.
  EXPECT_FALSE(first.Get(kOptions, "Second").has_value());
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
  struct Case {
    std::optional<std::string> own, config, home;
    std::string want;
  };
  const std::vector<Case> cases = {
      {"/tmp/elsewhere/my.reg", "/tmp/cfg", "/home/someone", "/tmp/elsewhere/my.reg"},
      {std::nullopt, "/tmp/cfg", "/home/someone", "/tmp/cfg/gildex/registry.reg"},  // the XDG rules: System's test
  };
  for (const Case& c : cases) {
    ScopedEnv own("GILDEX_REGISTRY", c.own), config("XDG_CONFIG_HOME", c.config), home("HOME", c.home);
    EXPECT_EQ(DefaultRegistryPath(), c.want);
  }
}

}  // namespace
}  // namespace gildex::platform
