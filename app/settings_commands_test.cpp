#include "app/settings_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_line_test.h"
#include "common/nembus_common.h"
#include "templates/template_folder_test.h"

namespace gildex {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;
using platform::testing::ScopedEnv;
using platform::testing::TempDir;
using platform::testing::WriteBytes;
using testing::EngineRig;
using testing::TemplateFolder;

// One command run against a registry file and a templates folder of the test's own.
struct CommandRig {
  CommandRig() : rig(home.Path() / "registry.reg"), folder(rig) {
    folder.Write("Standard", "DO NOT CHANGE THE NEXT 4 LINES\r\nStandard box\r\n\r\n\r\nOn Error GoTo %ProcName%_ErrorHandler\r\n",
                 "%ProcName%_ErrorHandler:\r\n    Resume Next\r\n");
    folder.Write("Quiet", "On Error Resume Next\r\n", std::nullopt);
    rig.gildex.SetSettingText("TemplatePath", folder.path.string());
    rig.gildex.SaveSettings();
  }
  // Runs `command` on an engine freshly loaded from the registry file, as each run of the
  // command line does.
  template <class Command>
  int Run(Command command) {
    out.str("");
    err.str("");
    EngineRig run(home.Path() / "registry.reg");
    run.gildex.LoadSettings();
    CommandContext context{run.gildex, run.registry, run.report, out, err};
    const int code = command(context);
    boxes = run.dialogs.Asked().size();
    return code;
  }
  std::string Stored(const std::string& name) {
    platform::Registry reread(home.Path() / "registry.reg");
    const auto value = reread.Get(std::string(kOptionsKey), name);
    return value ? value->data : "(absent)";
  }

  TempDir home;
  EngineRig rig;
  TemplateFolder folder;
  std::ostringstream out, err;
  std::size_t boxes = 0;
};

// The engine owns the names and rules; the command adds terminal text, messages and the refusal to store.
TEST(OptionsSet, TakesPropertyOrRegistryNamesAndRefusesWrongTypes) {
  const struct {
    std::string name, value;
    int code;
    std::string said;  // on standard output for 0, standard error otherwise
    std::string registry_name = "", stored = "";
    bool fresh = false;  // no registry file before the run
  } cases[] = {
      // The value a fresh registry reads already: nothing to write is no failure.
      {"ConfirmSave", "False", 0, "ConfirmSave = False\n", "Confirm Save", "(absent)", true},
      {"MinLines", "-1", 2, "gildex: MinLines (\"Minimum Lines\") takes a whole number from 0 to 2147483647, not \"-1\".\n"},
      {"Line Incrementor", "0", 2,
       "gildex: LineIncrement (\"Line Incrementor\") takes a whole number from 1 to 32767, not \"0\".\n"},
      {"IgnoreExisting", "True", 0, "IgnoreExisting = True\n", "Ignore Existing", "True"},
      {"Line Delimiter", ":", 0, "LineDelimiter = \":\"\n", "Line Delimiter", ":"},
      {"Insert Into", "Caf\xC3\xA9", 0, "InsertInto = \"Caf\xC3\xA9\"\n", "Insert Into", "Caf\xE9"},
      // Not UTF-8: taken as Windows-1252 already.
      {"Insert Into", "Gr\xFC\xDF", 0, "InsertInto = \"Gr\xC3\xBC\xC3\x9F\"\n", "Insert Into", "Gr\xFC\xDF"},
      {"Insert Into", "\xE2\x82\xAC\xE2\x84\xA2\xF0\x9F\x98\x80", 2,
       "gildex: the value holds a character that Windows-1252 cannot store.\n"},
      {"LineDelimiter", ":\r\n", 2,
       "gildex: LineDelimiter (\"Line Delimiter\") takes one line of text; the value holds a line break.\n"},
      {"Default Template", "a..b", 2, "gildex: DefaultTemplate (\"Default Template\") was not changed: \"a..b\" is not a "
       "template name: a template name is a file name in the templates folder, without \"..\".\n"},
      {"NoSuchThing", "1", 2, "gildex: there is no setting named \"NoSuchThing\" (\"gildex options list\" shows them all).\n"},
  };
  for (const auto& c : cases) {
    CommandRig rig;
    if (c.fresh) std::filesystem::remove(rig.home / "registry.reg");
    const std::string before = ReadBytes(rig.home / "registry.reg");
    EXPECT_EQ(rig.Run([&](CommandContext& context) { return OptionsSet(context, c.name, c.value); }), c.code)
        << c.name << "=" << c.value;
    EXPECT_EQ(rig.out.str() + rig.err.str(), c.said) << c.name;
    if (c.code != 0) {
      EXPECT_EQ(rig.out.str(), "") << c.name;
      EXPECT_EQ(ReadBytes(rig.home / "registry.reg"), before) << c.name;
    } else {
      EXPECT_EQ(rig.Stored(c.registry_name), c.stored) << c.name;
    }
  }
}

TEST(OptionsSet, DamagedRegistryIsNeverOverwrittenAndAFailedWriteIsNoBadInput) {
  CommandRig rig;
  const std::string damaged = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Nembus\\Gildex\\Options\r\n\"BodyCode\"=\"True\"\r\n";
  WriteBytes(rig.home / "registry.reg", damaged);
  EXPECT_EQ(rig.Run([](CommandContext& context) { return OptionsSet(context, "BodyCode", "False"); }), 2);
  EXPECT_NE(rig.err.str().find("is damaged"), std::string::npos) << rig.err.str();
  EXPECT_NE(rig.err.str().find("nothing was changed"), std::string::npos) << rig.err.str();
  EXPECT_EQ(rig.Run([](CommandContext& context) { return TemplatesDefault(context, "Standard"); }), 2);
  EXPECT_EQ(ReadBytes(rig.home / "registry.reg"), damaged);
  // A registry file whose folder cannot be made: the value was good, the write failed.
  WriteBytes(rig.home / "blocked", "");
  EngineRig blocked(rig.home / "blocked" / "registry.reg");
  CommandContext context{blocked.gildex, blocked.registry, blocked.report, rig.out, rig.err};
  EXPECT_EQ(OptionsSet(context, "BodyCode", "True"), 1);
  EXPECT_NE(rig.err.str().find("could not be saved"), std::string::npos) << rig.err.str();
}

TEST(OptionsGetAndList, ShowTheStoredValues) {
  CommandRig rig;
  ASSERT_EQ(rig.Run([](CommandContext& context) { return OptionsSet(context, "Comment Template", "' a\r\n' b"); }), 0);
  EXPECT_EQ(rig.Run([](CommandContext& context) { return OptionsGet(context, "commenttemplate"); }), 0);
  EXPECT_EQ(rig.out.str(), "' a\n' b\n");
  EXPECT_EQ(rig.Run([](CommandContext& context) { return OptionsGet(context, "Nope"); }), 2);
  EXPECT_EQ(rig.out.str(), "");
  EXPECT_EQ(rig.Run([](CommandContext& context) { return OptionsList(context); }), 0);
  const std::string list = rig.out.str();
  EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), static_cast<long>(CGildex::StoredSettings().size() + 1));
  EXPECT_TRUE(list.starts_with("Setting")) << list;
  for (const std::string& row : std::vector<std::string>{"\"Comment Template\"", "  \"' a\\n' b\"\n", "  \" \"\n",
                                                        "  (True: no line numbers)\n",
                                                        "  \"" + rig.folder.path.string() + "/\"\n"})
    EXPECT_NE(list.find(row), std::string::npos) << row;
}

// The rules are the templates folder's (template_rules.h); the command takes the file's
// spelling and refuses a long name before it is looked for.
TEST(TemplatesDefault, TakesTheFilesSpellingOfTheName) {
  CommandRig rig;
  EXPECT_EQ(rig.Run([](CommandContext& context) { return TemplatesDefault(context, "standard"); }), 0);
  EXPECT_EQ(rig.out.str(), "Default template: Standard\n");
  EXPECT_EQ(rig.Run([](CommandContext& context) { return TemplatesDefault(context, std::string(5000, 'a')); }), 2);
  EXPECT_NE(rig.err.str().find("is not a template name: it is longer than 200 characters."), std::string::npos);
  EXPECT_EQ(rig.Stored("Default Template"), "Standard");
  EXPECT_EQ(rig.boxes, 0u);
}

// The tree itself is PopulateTree's; list adds the note about a missing default, show prints
// both blocks and says what is missing.
TEST(TemplatesListAndShow, PrintTheTreeWithTheDefaultMarkedAndATemplatesBlocks) {
  CommandRig rig;
  EXPECT_EQ(rig.Run([](CommandContext& context) { return TemplatesList(context); }), 0);
  EXPECT_TRUE(rig.out.str().starts_with("Templates\n")) << rig.out.str();
  EXPECT_EQ(rig.err.str(),
            "gildex: note: no default template is chosen yet (\"gildex templates default NAME\" chooses one).\n");
  ASSERT_EQ(rig.Run([](CommandContext& context) { return TemplatesDefault(context, "Quiet"); }), 0);
  EXPECT_EQ(rig.Run([](CommandContext& context) { return TemplatesList(context); }), 0);
  EXPECT_NE(rig.out.str().find("  Quiet (default)\n"), std::string::npos);
  EXPECT_EQ(rig.err.str(), "");
  const std::string folder = rig.folder.path.string() + "/";
  EXPECT_EQ(rig.Run([](CommandContext& context) { return TemplatesShow(context, "Standard"); }), 0);
  EXPECT_EQ(rig.out.str(), "Template: Standard\nTitle: Standard box\nHeader (" + folder +
                               "Standard.hdr):\nOn Error GoTo %ProcName%_ErrorHandler\nFooter (" + folder +
                               "Standard.ftr):\n%ProcName%_ErrorHandler:\n    Resume Next\n");
  EXPECT_EQ(rig.Run([](CommandContext& context) { return TemplatesShow(context, "Quiet"); }), 0);
  EXPECT_EQ(rig.out.str(), "Template: Quiet\nHeader (" + folder + "Quiet.hdr):\nOn Error Resume Next\nFooter (" +
                               folder + "Quiet.ftr, no such file: taken as empty):\n");
  EXPECT_EQ(rig.Run([](CommandContext& context) { return TemplatesShow(context, "Nope"); }), 2);
  EXPECT_EQ(rig.out.str(), "");
}

// `gildex prefixes` as a user runs it, one command after another on one program folder.
TEST(PrefixesCommand, EditsPfxDatAndRefusesBadInputWritingNothing) {
  TempDir dir;
  fs::create_directories(dir / "program");
  ScopedEnv home{"GILDEX_HOME", (dir / "program").string()};
  ScopedEnv registry{"GILDEX_REGISTRY", (dir / "registry.reg").string()};
  ScopedEnv windows{"GILDEX_WINDIR", (dir / "windows").string()};
  const fs::path file = dir / "program" / "pfx.dat";
  constexpr const char* kNone = "(no file)";
  const struct {
    std::vector<std::string> args;
    int code;
    std::string said;    // found on standard output for 0, standard error otherwise
    std::string after;   // pfx.dat afterwards
    const char* before;  // pfx.dat written first
  } cases[] = {
      {{"list"}, 0, "", kNone, nullptr},
      {{"remove", "TextBox"}, 2, "no prefix for the control type \"TextBox\"", kNone, nullptr},
      {{"set", "Label", "\xE4\xB8\xAD"}, 2, "Windows-1252 cannot store", kNone, nullptr},
      // Asked explicitly, a missing table is made.
      {{"set", "CommandButton", "cmd"}, 0, "CommandButton\tcmd\n", "CommandButton=cmd\r\n", nullptr},
      {{"set", "TextBox", "txt"}, 0, "", "CommandButton=cmd\r\nTextBox=txt\r\n", nullptr},
      {{"set", "commandbutton", "btn"}, 0, "", "TextBox=txt\r\ncommandbutton=btn\r\n", nullptr},
      {{"set", "", "x"}, 2, "the control type is empty", "TextBox=txt\r\ncommandbutton=btn\r\n", nullptr},
      {{"set", "Label", ""}, 2, "the prefix is empty", "TextBox=txt\r\ncommandbutton=btn\r\n", nullptr},
      {{"set", "Label=x", "lbl"}, 2, "the control type holds \"=\"", "TextBox=txt\r\ncommandbutton=btn\r\n", nullptr},
      {{"set", "Label", "l=b"}, 2, "the prefix holds \"=\"", "TextBox=txt\r\ncommandbutton=btn\r\n", nullptr},
      {{"set", "Label", "l\nb"}, 2, "the prefix holds a line break", "TextBox=txt\r\ncommandbutton=btn\r\n", nullptr},
      {{"remove", "Frame\r"}, 2, "the control type holds a line break", "TextBox=txt\r\ncommandbutton=btn\r\n", nullptr},
      {{"list"}, 0, "TextBox\ttxt\ncommandbutton\tbtn\n", "TextBox=txt\r\ncommandbutton=btn\r\n", nullptr},
      {{"remove", "TEXTBOX"}, 0, "", "commandbutton=btn\r\n", nullptr},
      // A save would drop the rows after a repeated control type.
      {{"set", "Frame", "fra"}, 2, "repeats an earlier control type at line 2", "A=a\r\na=b\r\nC=c\r\n",
       "A=a\r\na=b\r\nC=c\r\n"},
      {{"list"}, 0, "A\ta\n", "A=a\r\na=b\r\nC=c\r\n", nullptr},
      {{"set", "--help"}, 0, "CLASS", "A=a\r\na=b\r\nC=c\r\n", nullptr},
  };
  for (const auto& c : cases) {
    if (c.before != nullptr) WriteBytes(file, c.before);
    std::vector<std::string> args = {"prefixes"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const app::Ran run = app::RunGildex(args);
    EXPECT_EQ(run.code, c.code) << c.args[0] << " " << run.err;
    const std::string said = c.code == 0 ? run.out : run.err;
    EXPECT_NE(said.find(c.said), std::string::npos) << c.args[0] << "\n" << said;
    EXPECT_TRUE(c.code == 0 || run.out.empty()) << run.out;
    EXPECT_EQ(fs::exists(file) ? ReadBytes(file) : kNone, c.after) << c.args[0];
  }
}

}  // namespace
}  // namespace gildex
