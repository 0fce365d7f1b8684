#include "app/scope_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "platform/test_files.h"

namespace gildex::app {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;
using platform::testing::ScopedEnv;
using platform::testing::TempDir;
using platform::testing::WriteBytes;

// A scratch copy of the sample project and settings of its own; the shipped templates.
struct Workspace {
  Workspace() {
    fs::copy(fs::path(GILDEX_SOURCE_DIR) / "data" / "Sample", dir / "Sample", fs::copy_options::recursive);
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path()))
      fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
    original = Files();
  }

  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir / "Sample"))
      if (entry.is_regular_file()) files[entry.path().filename().string()] = ReadBytes(entry.path());
    return files;
  }
  std::vector<std::string> Changed() const {
    std::vector<std::string> changed;
    for (const auto& [name, bytes] : Files())
      if (original.at(name) != bytes) changed.push_back(name);
    return changed;
  }
  std::string Project() const { return (dir / "Sample" / "Orders.vbp").string(); }

  int Run(ScopeOptions options) {
    out.str("");
    err.str("");
    if (options.project.empty()) options.project = Project();
    options.forced = platform::vbYes;
    return RunScopeCommand(options, out, err);
  }
  ScopeOptions Insert() const {
    ScopeOptions o;
    o.action = ScopeAction::Insert;
    o.template_name = "Standard";
    return o;
  }

  TempDir dir;
  ScopedEnv registry{"GILDEX_REGISTRY", (dir / "registry.reg").string()};
  ScopedEnv windows{"GILDEX_WINDIR", (dir / "windows").string()};
  ScopedEnv epoch{"SOURCE_DATE_EPOCH", "1700000000"};
  std::map<std::string, std::string> original;
  std::ostringstream out, err;
};

TEST(ScopeCommand, InsertThenRemoveGivesTheProjectBack) {
  Workspace w;
  ScopeOptions insert = w.Insert();
  insert.settings = {"BodyCode=True"};  // marker lines, as a typical installation has them
  EXPECT_EQ(w.Run(insert), kReported) << w.err.str();  // procedures with handlers of their own are listed
  EXPECT_EQ(w.out.str(), "Gildex Error trapping added to project.\n");
  EXPECT_NE(w.err.str().find("LogError in modErrors already has error trapping."), std::string::npos);
  const auto changed = w.Changed();
  EXPECT_EQ(changed.size(), 10u) << "every component file; never the .vbp or the binary files";
  for (const std::string& name : changed) EXPECT_EQ(fs::path(name).extension() == ".vbp", false);
  EXPECT_NE(w.Files().at("modGlobals.bas").find("On Error GoTo Main_ErrorHandler"), std::string::npos);

  ScopeOptions remove;
  remove.action = ScopeAction::Remove;
  remove.settings = {"BodyCode=True"};
  EXPECT_EQ(w.Run(remove), kDone) << w.err.str();
  EXPECT_EQ(w.out.str(), "Removed error trapping code from project.\n");
  // modErrors numbers one procedure of its own: un-numbering takes those numbers too.
  EXPECT_EQ(w.Changed(), (std::vector<std::string>{"modErrors.bas"}));
}

TEST(ScopeCommand, TargetsNarrowTheChange) {
  Workspace w;
  ScopeOptions proc = w.Insert();
  proc.procedure = "FormatMoney";  // only modGlobals has it
  proc.settings = {"Numbering=True"};
  EXPECT_EQ(w.Run(proc), kDone) << w.err.str();
  EXPECT_EQ(w.out.str(), "Gildex Error trapping added succesfully\n");
  EXPECT_EQ(w.Changed(), (std::vector<std::string>{"modGlobals.bas"}));
  const std::string text = w.Files().at("modGlobals.bas");
  EXPECT_NE(text.find("On Error GoTo FormatMoney_ErrorHandler"), std::string::npos);
  EXPECT_EQ(text.find("On Error GoTo Main_ErrorHandler"), std::string::npos);
  EXPECT_EQ(text.find("\r\n1 "), std::string::npos) << "Numbering=True for this run: no line numbers";

  ScopeOptions number;
  number.action = ScopeAction::Number;
  number.component = "clsaddress";  // any letter case
  EXPECT_EQ(w.Run(number), kDone) << w.err.str();
  EXPECT_EQ(w.out.str(), "Line Numbers added to module.\n");
  EXPECT_EQ(w.Changed(), (std::vector<std::string>{"clsAddress.cls", "modGlobals.bas"}));
}

TEST(ScopeCommand, BadInputChangesNothing) {
  Workspace w;
  struct Case {
    std::string name;
    ScopeOptions options;
    std::string error;
  };
  ScopeOptions no_template;
  ScopeOptions missing = w.Insert();
  missing.project = (w.dir / "Nowhere.vbp").string();
  ScopeOptions component = w.Insert();
  component.component = "frmNothing";
  ScopeOptions proc = w.Insert();
  proc.procedure = "NoSuchProc";
  ScopeOptions tpl = w.Insert();
  tpl.template_name = "Fancy";
  ScopeOptions setting = w.Insert();
  setting.settings = {"MinLines=many"};
  ScopeOptions unknown_setting = w.Insert();
  unknown_setting.settings = {"Colour=blue"};
  ScopeOptions selection = w.Insert();
  selection.component = "frmAbout";
  selection.selection = std::make_pair(5L, 99999L);
  ScopeOptions script = w.Insert();
  WriteBytes(w.dir / "bad.vbs", "Function Process(ProcCode)\r\n  Process = (\r\nEnd Function\r\n");
  script.script_file = (w.dir / "bad.vbs").string();
  const std::vector<Case> cases = {
      {"damaged form", w.Insert(), "did not load completely; nothing was changed"},
      {"no template", no_template, "choose one with: gildex templates default NAME"},
      {"missing project", missing, "cannot read project"},
      {"unknown component", component, "no component named \"frmNothing\""},
      {"unknown procedure", proc, "no procedure named \"NoSuchProc\""},
      {"unknown template", tpl, "no template named \"Fancy\""},
      {"wrong type", setting, "MinLines"},
      {"unknown setting", unknown_setting, "Colour"},
      {"selection outside", selection, "is outside frmAbout"},
      {"broken script", script, "Errors in Script.\nError in Script at line 2."},
  };
  // The form's designer block loses its End line: the project must not be half-saved.
  const fs::path about = w.dir / "Sample" / "frmAbout.frm";
  const std::string good_about = ReadBytes(about);
  std::string damaged = good_about;
  damaged.erase(damaged.find("End\r\nAttribute"), 5);
  WriteBytes(about, damaged);
  bool first = true;
  for (const Case& c : cases) {
    if (!first) WriteBytes(about, good_about);
    first = false;
    w.original["frmAbout.frm"] = ReadBytes(about);
    EXPECT_EQ(w.Run(c.options), kBadInput) << c.name << "\n" << w.err.str();
    EXPECT_NE(w.err.str().find(c.error), std::string::npos) << c.name << "\n" << w.err.str();
    EXPECT_TRUE(w.Changed().empty()) << c.name;
  }
}

TEST(ScopeCommand, ReadOnlyFilesAreSkippedAndReported) {
  Workspace w;
  const fs::path about = w.dir / "Sample" / "frmAbout.frm";
  fs::permissions(about, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  ScopeOptions o = w.Insert();
  o.component = "frmAbout";
  EXPECT_EQ(w.Run(o), kDone);
  EXPECT_EQ(w.out.str(), "Cannot add error-trapping to read-only forms.\n");
  ScopeOptions all;
  all.action = ScopeAction::Remove;
  EXPECT_EQ(w.Run(all), kReported);
  EXPECT_NE(w.err.str().find("Skipping component frmAbout"), std::string::npos) << w.err.str();
  // modErrors numbers lines of its own, which remove takes away.
  EXPECT_EQ(w.Changed(), (std::vector<std::string>{"modErrors.bas"}));
}

TEST(ScopeCommand, ScriptModeRunsTheUsersScript) {
  Workspace w;
  ScopeOptions o = w.Insert();
  o.component = "modGlobals";
  o.settings = {"Numbering=True"};
  o.script_file = std::string(GILDEX_SOURCE_DIR) + "/data/Scripts/Trace Entry.vbs";
  // An empty procedure is too small to be given to the script at all.
  EXPECT_EQ(w.Run(o), kReported) << w.err.str();
  EXPECT_NE(w.err.str().find("PrintCustomerList in modGlobals too small for error handling."), std::string::npos);
  const std::string text = w.Files().at("modGlobals.bas");
  EXPECT_NE(text.find("Public Sub Main()\r\n    Debug.Print \"Enter Main\"\r\n"), std::string::npos);
  EXPECT_EQ(text.find("_ErrorHandler"), std::string::npos) << "the script's text replaces the template";

  std::ostringstream out, err;
  EXPECT_EQ(ScriptCheck(o.script_file, out, err), kDone);
  EXPECT_EQ(out.str(), "Script is OK\n");
  WriteBytes(w.dir / "empty.vbs", "  ");
  EXPECT_EQ(ScriptCheck((w.dir / "empty.vbs").string(), out, err), kBadInput);
  EXPECT_EQ(out.str(), "Script is OK\nErrors in Script.\nNo text in script.\n");
}

TEST(ScopeCommand, CtrlCStopsBetweenProceduresAndKeepsEveryFileWhole) {
  Workspace w;
  ScopeOptions o = w.Insert();
  o.settings = {"Numbering=True"};
  int idle = 0;
  o.on_idle = [&] {
    if (++idle == 40) RequestCancel();
  };
  EXPECT_EQ(w.Run(o), kCancelled) << w.err.str();
  EXPECT_EQ(w.out.str(), "Operation was cancelled by user.\n");
  // Components before the cancel are done, the one being processed ends after its current
  // procedure, the rest are untouched; every handler written is whole.
  const auto files = w.Files();
  EXPECT_FALSE(w.Changed().empty());
  EXPECT_EQ(files.at("frmAbout.frm"), w.original.at("frmAbout.frm")) << "the last component was never reached";
  auto count = [](const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  };
  for (const auto& [name, text] : files)
    EXPECT_EQ(count(text, "_ErrorHandler\r\n"), count(text, "_ErrorHandler:\r\n"))
        << name << ": every inserted header has its footer";
}

TEST(ScopeCommand, TheBuildStepCompilesTheWrittenFiles) {
  Workspace w;
  // The "compiler" copies the module it would compile to the build file.
  ScopedEnv command("GILDEX_BUILD_COMMAND", "mkdir -p bin && cp modGlobals.bas {output}");
  ScopeOptions o = w.Insert();
  o.settings = {"BuildProject=True", "Numbering=True"};
  EXPECT_EQ(w.Run(o), kReported) << w.err.str();  // the sample's own handlers are listed
  EXPECT_EQ(w.err.str().find("Could not create compiled file!"), std::string::npos) << w.err.str();
  EXPECT_EQ(w.out.str(), "Gildex Error trapping added to project.\n");
  const std::string built = ReadBytes(w.dir / "Sample" / "bin" / "Orders.exe");
  EXPECT_NE(built.find("On Error GoTo Main_ErrorHandler"), std::string::npos) << "the build saw the new text";

  ScopedEnv failing("GILDEX_BUILD_COMMAND", "echo missing compiler >&2; exit 7");
  EXPECT_EQ(w.Run(o), kReported);
  EXPECT_NE(w.err.str().find("Could not create compiled file! (build command failed with exit code 7: missing "
                             "compiler)"),
            std::string::npos)
      << w.err.str();
  EXPECT_EQ(w.out.str(), "Gildex Error trapping added to project.\n") << "a failing build is not the command's failure";
}

TEST(ScopeCommand, FinderListsProcedures) {
  std::ostringstream out, err;
  EXPECT_EQ(Finder(std::string(GILDEX_SOURCE_DIR) + "/data/Sample/clsAddress.cls", out, err), kDone);
  EXPECT_NE(out.str().find("clsAddress.Street\tPublic Property Get\tlines "), std::string::npos) << out.str();
}

}  // namespace
}  // namespace gildex::app
