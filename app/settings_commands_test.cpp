#include "app/settings_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
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

// The names are the engine's, the values' rules SettingValueProblem's (its ranges and one-line
// texts checked by session/'s tests); here terminal text, messages and the refusal to store.
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
      {"Line Incrementor", "0", 2,
       "gildex: LineIncrement (\"Line Incrementor\") takes a whole number from 1 to 32767, not \"0\".\n"},
      {"IgnoreExisting", "True", 0, "IgnoreExisting = True\n", "Ignore Existing", "True"},
      {"Line Delimiter", ":", 0, "LineDelimiter = \":\"\n", "Line Delimiter", ":"},
      {"Insert Into", "Caf\xC3\xA9", 0, "InsertInto = \"Caf\xC3\xA9\"\n", "Insert Into", "Caf\xE9"},
      // Not UTF-8: taken as Windows-1252 already.
      {"Insert Into", "Gr\xFC\xDF", 0, "InsertInto = \"Gr\xC3\xBC\xC3\x9F\"\n", "Insert Into", "Gr\xFC\xDF"},
      {"Insert Into", "\xE2\x82\xAC\xE2\x84\xA2\xF0\x9F\x98\x80", 2,
       "gildex: the value holds a character that Windows-1252 cannot store.\n"},
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

// One command after another on the same registry file and templates folder, each printing
// what is given whole and asking nothing. The tree is PopulateTree's and the name rules the
// templates folder's (template_rules.h): here the default's note and mark, the file's spelling of
// a name, a long name refused before it is looked for, a template's blocks and what is missing.
TEST(SettingsCommands, PrintTheStoredValuesAndTemplates) {
  CommandRig rig;
  const std::string folder = rig.folder.path.string() + "/";
  using C = CommandContext&;
  const struct {
    std::function<int(C)> run;
    int code;
    std::string out, err;
  } steps[] = {
      {[](C c) { return TemplatesList(c); }, 0, "Templates\n  Quiet\n  Standard\n",
       "gildex: note: no default template is chosen yet (\"gildex templates default NAME\" chooses one).\n"},
      {[](C c) { return TemplatesDefault(c, "Quiet"); }, 0, "Default template: Quiet\n", ""},
      {[](C c) { return TemplatesList(c); }, 0, "Templates\n  Quiet (default)\n  Standard\n", ""},
      {[](C c) { return TemplatesDefault(c, "standard"); }, 0, "Default template: Standard\n", ""},
      {[](C c) { return TemplatesDefault(c, std::string(5000, 'a')); }, 2, "",
       "gildex: \"" + std::string(60, 'a') + "...\" is not a template name: it is longer than 200 characters.\n"},
      {[](C c) { return TemplatesShow(c, "Standard"); }, 0,
       "Template: Standard\nTitle: Standard box\nHeader (" + folder + "Standard.hdr):\nOn Error GoTo %ProcName%_ErrorHandler\n"
       "Footer (" + folder + "Standard.ftr):\n%ProcName%_ErrorHandler:\n    Resume Next\n", ""},
      {[](C c) { return TemplatesShow(c, "Quiet"); }, 0,
       "Template: Quiet\nHeader (" + folder + "Quiet.hdr):\nOn Error Resume Next\nFooter (" + folder +
       "Quiet.ftr, no such file: taken as empty):\n", ""},
      {[](C c) { return TemplatesShow(c, "Nope"); }, 2, "",
       "gildex: there is no template \"Nope\" in " + folder + "; the templates there are: \"Quiet\" \"Standard\".\n"},
      {[](C c) { return OptionsSet(c, "Comment Template", "' a\r\n' b"); }, 0, "CommentTemplate = \"' a\\n' b\"\n", ""},
      {[](C c) { return OptionsGet(c, "commenttemplate"); }, 0, "' a\n' b\n", ""},
      {[](C c) { return OptionsGet(c, "Nope"); }, 2, "",
       "gildex: there is no setting named \"Nope\" (\"gildex options list\" shows them all).\n"},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(rig.Run(step.run), step.code) << step.out << step.err;
    EXPECT_EQ(rig.out.str(), step.out);
    EXPECT_EQ(rig.err.str(), step.err);
    EXPECT_EQ(rig.boxes, 0u) << step.out << step.err;
  }
  EXPECT_EQ(rig.Stored("Default Template"), "Standard") << "the long name was refused";
  EXPECT_EQ(rig.Run([](C c) { return OptionsList(c); }), 0);
  const std::string list = rig.out.str();
  EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), static_cast<long>(CGildex::StoredSettings().size() + 1));
  EXPECT_TRUE(list.starts_with("Setting")) << list;
  for (const std::string& row : std::vector<std::string>{"\"Comment Template\"", "  \"' a\\n' b\"\n", "  \" \"\n",
                                                        "  (True: no line numbers)\n", "  \"" + folder + "\"\n"})
    EXPECT_NE(list.find(row), std::string::npos) << row;
}

// `gildex prefixes` as a user runs it, one command after another on one program folder; the
// table's rules are the list editor's (templates/prefix_list_test.cpp).
TEST(PrefixesCommand, EditsPfxDatAndRefusesBadInputWritingNothing) {
  app::ScratchHome scratch;
  fs::create_directories(scratch.dir / "program");
  ScopedEnv home{"GILDEX_HOME", (scratch.dir / "program").string()};
  const fs::path file = scratch.dir / "program" / "pfx.dat";
  const std::string two = "TextBox=txt\r\ncommandbutton=btn\r\n";
  app::RunSteps({"prefixes"}, file,
                {{{"list"}, 0, "", app::kNoFile},
                 {{"remove", "TextBox"}, 2, "no prefix for the control type \"TextBox\"", app::kNoFile},
                 {{"set", "Label", "\xE4\xB8\xAD"}, 2, "Windows-1252 cannot store", app::kNoFile},
                 // Asked explicitly, a missing table is made.
                 {{"set", "CommandButton", "cmd"}, 0, "CommandButton\tcmd\n", "CommandButton=cmd\r\n"},
                 {{"set", "TextBox", "txt"}, 0, "", "CommandButton=cmd\r\nTextBox=txt\r\n"},
                 {{"set", "commandbutton", "btn"}, 0, "", two},
                 {{"set", "", "x"}, 2, "the control type is empty", two},
                 {{"set", "Label", ""}, 2, "the prefix is empty", two},
                 {{"set", "Label=x", "lbl"}, 2, "the control type holds \"=\"", two},
                 {{"set", "Label", "l=b"}, 2, "the prefix holds \"=\"", two},
                 {{"set", "Label", "l\nb"}, 2, "the prefix holds a line break", two},
                 {{"remove", "Frame\r"}, 2, "the control type holds a line break", two},
                 {{"list"}, 0, "TextBox\ttxt\ncommandbutton\tbtn\n", two},
                 {{"remove", "TEXTBOX"}, 0, "", "commandbutton=btn\r\n"}});
  // A save would drop the rows after a repeated control type.
  WriteBytes(file, "A=a\r\na=b\r\nC=c\r\n");
  app::RunSteps({"prefixes"}, file,
                {{{"set", "Frame", "fra"}, 2, "repeats an earlier control type at line 2", "A=a\r\na=b\r\nC=c\r\n"},
                 {{"list"}, 0, "A\ta\n", "A=a\r\na=b\r\nC=c\r\n"},
                 {{"set", "--help"}, 0, "CLASS", "A=a\r\na=b\r\nC=c\r\n"}});
}

}  // namespace
}  // namespace gildex
