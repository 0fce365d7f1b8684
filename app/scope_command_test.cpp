#include "app/scope_command.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "app/command_line.h"
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
    for (const auto& [name, bytes] : Files()) if (original.at(name) != bytes) changed.push_back(name);
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
  // Insert with the Standard template, changed by `change`.
  static ScopeOptions Insert(const std::function<void(ScopeOptions&)>& change = nullptr) {
    ScopeOptions o;
    o.action = ScopeAction::Insert;
    o.template_name = "Standard";
    if (change) change(o);
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
  // Marker lines, as a typical installation has them; procedures with handlers of their own are no problem.
  EXPECT_EQ(w.Run(w.Insert([](ScopeOptions& o) { o.settings = {"BodyCode=True"}; })), kDone) << w.err.str();
  EXPECT_EQ(w.out.str(), "Gildex Error trapping added to project.\n");
  EXPECT_EQ(w.err.str().find("LogError in modErrors already has error trapping."), std::string::npos)
      << "information is for --verbose";
  EXPECT_EQ(w.err.str().rfind("gildex: Gildex has been added to your VB AddIns List.\n", 0), 0u)
      << "the first run's notice is a line, not a question";
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
  // FormatMoney is modGlobals' only; Numbering=True turns numbering off for this run.
  EXPECT_EQ(w.Run(w.Insert([](ScopeOptions& o) { o.procedure = "FormatMoney"; o.settings = {"Numbering=True"}; })), kDone)
      << w.err.str();
  EXPECT_EQ(w.out.str(), "Gildex Error trapping added succesfully\n");
  EXPECT_EQ(w.Changed(), (std::vector<std::string>{"modGlobals.bas"}));
  const std::string text = w.Files().at("modGlobals.bas");
  EXPECT_NE(text.find("On Error GoTo FormatMoney_ErrorHandler"), std::string::npos);
  EXPECT_EQ(text.find("On Error GoTo Main_ErrorHandler"), std::string::npos);
  EXPECT_EQ(text.find("\r\n1 "), std::string::npos);
  // The component by name in any letter case.
  EXPECT_EQ(w.Run(w.Insert([](ScopeOptions& o) { o.action = ScopeAction::Number; o.component = "clsaddress"; })), kDone)
      << w.err.str();
  EXPECT_EQ(w.out.str(), "Line Numbers added to module.\n");
  EXPECT_EQ(w.Changed(), (std::vector<std::string>{"clsAddress.cls", "modGlobals.bas"}));
}

TEST(ScopeCommand, BadInputChangesNothing) {
  Workspace w;
  using O = ScopeOptions&;
  WriteBytes(w.dir / "bad.vbs", "Function Process(ProcCode)\r\n  Process = (\r\nEnd Function\r\n");
  const struct {
    std::string name;
    ScopeOptions options;
    std::string error;
  } cases[] = {
      {"damaged form", w.Insert(), "did not load completely; nothing was changed"},
      {"no template", ScopeOptions{}, "choose one with: gildex templates default NAME"},
      {"missing project", w.Insert([&](O o) { o.project = (w.dir / "Nowhere.vbp").string(); }), "cannot read project"},
      {"unknown component", w.Insert([](O o) { o.component = "frmNothing"; }), "no component named \"frmNothing\""},
      {"unknown procedure", w.Insert([](O o) { o.procedure = "NoSuchProc"; }), "no procedure named \"NoSuchProc\""},
      {"unknown template", w.Insert([](O o) { o.template_name = "Fancy"; }), "--template: there is no template \"Fancy\" in "},
      {"selection outside", w.Insert([](O o) { o.component = "frmAbout"; o.selection = std::make_pair(5L, 99999L); }),
       "is outside frmAbout"},
      {"broken script", w.Insert([&](O o) { o.script_file = (w.dir / "bad.vbs").string(); }),
       "Errors in Script.\nError in Script at line 2."},
      {"a setting refused", w.Insert([](O o) { o.settings = {"LineDelimiter=:\n"}; }),
       "--set: LineDelimiter (\"Line Delimiter\") takes one line of text"},
      {"remove --proc without template", [] { ScopeOptions o; o.action = ScopeAction::Remove; o.procedure = "FormatMoney"; return o; }(),
       "no template is chosen; choose one with: gildex templates default"},
  };
  // The form's designer block loses its End line: the project must not be half-saved.
  const fs::path about = w.dir / "Sample" / "frmAbout.frm";
  const std::string good_about = ReadBytes(about);
  std::string damaged = good_about;
  damaged.erase(damaged.find("End\r\nAttribute"), 5);
  WriteBytes(about, damaged);
  bool first = true;
  for (const auto& c : cases) {
    if (!first) WriteBytes(about, good_about);
    first = false;
    w.original["frmAbout.frm"] = ReadBytes(about);
    EXPECT_EQ(w.Run(c.options), kBadInput) << c.name << "\n" << w.err.str();
    EXPECT_NE(w.err.str().find(c.error), std::string::npos) << c.name << "\n" << w.err.str();
    EXPECT_TRUE(w.Changed().empty()) << c.name;
    EXPECT_EQ(w.out.str(), "") << c.name;
  }
  // A name that a damaged or hand-edited registry holds is refused before any file is read.
  WriteBytes(w.dir / "registry.reg",
             "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Nembus\\Gildex\\Options]\r\n"
             "\"Default Template\"=\"..\\\\evil\"\r\n");
  ScopeOptions stored;
  EXPECT_EQ(w.Run(stored), kBadInput);
  EXPECT_NE(w.err.str().find("the stored setting DefaultTemplate (\"Default Template\") is unusable: \"..\\evil\""),
            std::string::npos)
      << w.err.str();
  EXPECT_TRUE(w.Changed().empty());
}

TEST(ScopeCommand, ExitCodesAndTheSummarySayWhatHappened) {
  Workspace w;
  const fs::path about = w.dir / "Sample" / "frmAbout.frm";
  auto read_only = [&](bool on) {
    fs::permissions(about, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    on ? fs::perm_options::remove : fs::perm_options::add);
  };
  using O = ScopeOptions&;
  const ScopeOptions insert = w.Insert(), check = w.Insert([](O o) { o.check = true; });
  const ScopeOptions form = w.Insert([](O o) { o.component = "frmAbout"; });
  const ScopeOptions quiet_remove = w.Insert([](O o) { o.action = ScopeAction::Remove; o.quiet = true; });
  const ScopeOptions number = w.Insert([](O o) { o.action = ScopeAction::Number; });
  const ScopeOptions proc = w.Insert([](O o) {
    o.action = ScopeAction::Remove;
    o.component = "frmAbout";
    o.procedure = "Form_Load";
  });
  const ScopeOptions failing = w.Insert([](O o) { o.on_idle = [] { throw std::runtime_error("disk on fire"); }; });
  const std::vector<std::string> none;
  const std::vector<std::string> all = {"clsAddress.cls", "clsCustomer.cls", "clsCustomers.cls", "ctlStatusBar.ctl",
                                        "frmAbout.frm",   "frmCustomer.frm", "frmMDI.frm",       "frmMain.frm",
                                        "modErrors.bas",  "modGlobals.bas"};
  const struct {
    std::string name;
    ScopeOptions options;
    bool read_only;
    int code;
    std::string summary;  // the last line of standard error
    std::vector<std::string> changed;  // since the last case
  } cases[] = {
      {"would insert", check, false, kReported,
       "gildex: 147 procedures changed, 13 already handled, 1 too small, 1 skipped; 1846 lines numbered; 10 files "
       "would be written.",
       none},
      {"insert", insert, false, kDone,
       "gildex: 147 procedures changed, 13 already handled, 1 too small, 1 skipped; 1846 lines numbered; 10 files "
       "written.", all},
      {"nothing more to insert", check, false, kDone,
       "gildex: 0 procedures changed, 160 already handled, 1 too small, 1 skipped; nothing to change.", none},
      {"read-only form", form, true, kReported, "gildex: 0 procedures changed; nothing to change.", none},
      {"read-only numbered", number, true, kReported, "gildex: 0 lines numbered; nothing to change.", none},
      // The procedure commands do not ask; the file is not written.
      {"read-only procedure", proc, true, kReported,
       "gildex: 0 procedures changed, 1 had nothing to remove; 9 line numbers removed; 0 files written.", none},
      {"read-only in the project", quiet_remove, true, kReported, "Skipping component frmAbout", all},
      {"error report", failing, false, kReported, "gildex: nothing was written because of the error reported above",
       none},
  };
  for (const auto& c : cases) {
    read_only(c.read_only);
    w.original = w.Files();
    EXPECT_EQ(w.Run(c.options), c.code) << c.name << "\n" << w.err.str();
    std::string err = w.err.str();
    err.pop_back();
    EXPECT_EQ(err.substr(err.rfind('\n') + 1), c.summary) << c.name << "\n" << w.err.str();
    std::vector<std::string> changed = c.changed;
    if (c.read_only) std::erase(changed, "frmAbout.frm");
    EXPECT_EQ(w.Changed(), changed) << c.name;
    if (c.read_only) {
      EXPECT_NE(w.err.str().find("frmAbout"), std::string::npos) << c.name << ": the problem is named";
    }
    EXPECT_EQ(w.err.str().find("not written: not written"), std::string::npos) << c.name;
    if (&c == &cases[0]) {
      EXPECT_FALSE(fs::exists(w.dir / "windows")) << "--check writes no add-in list either";
    }
  }
}

TEST(ScopeCommand, ScriptModeRunsTheUsersScript) {
  Workspace w;
  ScopeOptions o = w.Insert();
  o.component = "modGlobals";
  o.settings = {"Numbering=True"};
  o.script_file = std::string(GILDEX_SOURCE_DIR) + "/data/Scripts/Trace Entry.vbs";
  o.verbose = true;
  // An empty procedure is too small to be given to the script at all.
  EXPECT_EQ(w.Run(o), kDone) << w.err.str();
  EXPECT_NE(w.err.str().find("PrintCustomerList in modGlobals too small for error handling."), std::string::npos);
  const std::string text = w.Files().at("modGlobals.bas");
  EXPECT_NE(text.find("Public Sub Main()\r\n    Debug.Print \"Enter Main\"\r\n"), std::string::npos);
  EXPECT_EQ(text.find("_ErrorHandler"), std::string::npos) << "the script's text replaces the template";

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
  EXPECT_EQ(w.Run(o), kDone) << w.err.str();
  EXPECT_EQ(w.err.str().find("Could not create compiled file!"), std::string::npos) << w.err.str();
  EXPECT_EQ(w.out.str(), "Gildex Error trapping added to project.\n");
  const std::string built = ReadBytes(w.dir / "Sample" / "bin" / "Orders.exe");
  EXPECT_NE(built.find("On Error GoTo Main_ErrorHandler"), std::string::npos) << "the build saw the new text";

  ScopedEnv failing("GILDEX_BUILD_COMMAND", "echo missing compiler >&2; exit 7");
  EXPECT_EQ(w.Run(o), kReported) << "the build asked for did not happen";
  EXPECT_NE(w.err.str().find("Could not create compiled file! (build command failed with exit code 7: missing "
                             "compiler)"),
            std::string::npos)
      << w.err.str();
  EXPECT_EQ(w.out.str(), "Gildex Error trapping added to project.\n") << "a failing build is not the command's failure";
}

TEST(ScriptCheck, ReadsRegularTextFilesOnly) {
  TempDir dir;
  const std::string script = "Function Process(ProcCode)\r\n  Process = \"\"\r\nEnd Function\r\n";
  auto utf16 = [&](bool big_endian, std::u16string text) {
    std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
      const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
      bytes += big_endian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
  };
  const std::u16string text16(script.begin(), script.end());
  WriteBytes(dir / "le.vbs", utf16(false, u"' Caf\u00E9\r\n" + text16));
  WriteBytes(dir / "be.vbs", utf16(true, text16));
  WriteBytes(dir / "bom8.vbs", "\xEF\xBB\xBF' Caf\xC3\xA9\r\n" + script);
  WriteBytes(dir / "chinese.vbs", utf16(false, u"' \u4E2D\r\n" + text16));
  fs::create_directory(dir / "folder.vbs");
  ASSERT_EQ(::mkfifo((dir / "fifo.vbs").c_str(), 0600), 0);
  WriteBytes(dir / "huge.vbs", script);
  fs::resize_file(dir / "huge.vbs", 17 * 1024 * 1024);
  const struct {
    std::string file;
    int code;
    std::string said;
  } cases[] = {
      {(dir / "le.vbs").string(), kDone, "Script is OK\n"}, {(dir / "be.vbs").string(), kDone, "Script is OK\n"},
      {(dir / "bom8.vbs").string(), kDone, "Script is OK\n"},
      {(dir / "chinese.vbs").string(), kBadInput, "the UTF-16 script holds the character U+4E2D, which Windows-1252"},
      {(dir / "folder.vbs").string(), kBadInput, "folder.vbs is a folder, not a script file"},
      {(dir / "fifo.vbs").string(), kBadInput, "fifo.vbs is not a regular file"},
      {(dir / "huge.vbs").string(), kBadInput, "huge.vbs is larger than 16 MB"},
      {(dir / "missing.vbs").string(), kBadInput, "cannot read script"},
  };
  for (const auto& c : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(ScriptCheck(c.file, out, err), c.code) << c.file << err.str();
    EXPECT_NE((out.str() + err.str()).find(c.said), std::string::npos) << c.file << "\n" << out.str() << err.str();
  }
}

TEST(CommandLine, RefusesWhatCannotBeMeant) {
  const std::string project = "/nonexistent/Orders.vbp";  // never reached: refused before loading
  const struct {
    std::vector<std::string> args;
    int code;
    std::string said;  // on standard output for 0, standard error otherwise
  } cases[] = {
      {{"--version"}, kDone, "gildex 0.1.0\n"}, {{"--help"}, kDone, "GILDEX_BUILD_COMMAND"},
      {{"insert", "--help"}, kDone, "Usage: gildex insert"},
      {{"instal", project}, kBadInput, "gildex: 'instal' is not a gildex command. Did you mean 'gildex insert'?"},
      {{"options", "lst"}, kBadInput, "Did you mean 'gildex options list'?"},
      {{"frobnicate"}, kBadInput, "The commands are: verify, options, templates, insert,"},
      {{"insert"}, kBadInput, "gildex: PROJECT is required"},
      {{"insert", project, "--selection", "1:2:3", "--component", "a"}, kBadInput, "--selection wants START:END"},
      {{"insert", project, "--selection", "1:2x", "--component", "a"}, kBadInput, "not \"1:2x\""},
      {{"insert", project, "--whole-module"}, kBadInput, "--whole-module goes with --selection only"},
      {{"insert", project, "--component", ""}, kBadInput, "--component wants a name"},
      {{"insert", project, "--yes", "--no"}, kBadInput, "--yes and --no together"},
      {{"remove", project, "--check", "--dry-run"}, kBadInput, "--check and --dry-run together"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"/some/where/gildex"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    std::ostringstream out, err;
    EXPECT_EQ(RunCommandLine(args, out, err), c.code) << c.args[0] << err.str();
    const std::string said = c.code == kDone ? out.str() : err.str();
    EXPECT_NE(said.find(c.said), std::string::npos) << c.args[0] << "\n" << said;
    EXPECT_EQ((out.str() + err.str()).find("/some/where"), std::string::npos) << "usage names gildex";
    if (c.code != kDone) {
      EXPECT_EQ(out.str(), "") << c.args[0];
    }
  }
}

TEST(ScopeCommand, FinderListsProcedures) {
  std::ostringstream out, err;
  EXPECT_EQ(Finder(std::string(GILDEX_SOURCE_DIR) + "/data/Sample/clsAddress.cls", out, err), kDone);
  EXPECT_NE(out.str().find("clsAddress.Street\tPublic Property Get\tlines "), std::string::npos) << out.str();
}

}  // namespace
}  // namespace gildex::app
