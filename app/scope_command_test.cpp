#include "app/scope_command.h"

#include <gtest/gtest.h>

#include <csignal>

#include <filesystem>
#include <functional>
#include <sstream>

#include "app/command_line_test.h"
#include "host/host_test.h"
#include "platform/code_page.h"
#include "platform/cp1252.h"
#include "session/sample_project_test.h"

namespace gildex::app {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;
using platform::testing::WriteBytes;

// Runs the commands of the command line on the sample.
struct Workspace : testing::SampleProject {
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

  std::ostringstream out, err;
};

TEST(ScopeCommand, ExitCodesAndTheSummarySayWhatHappened) {
  Workspace w;
  const fs::path about = w.dir / "Sample" / "frmAbout.frm";
  auto read_only = [&](bool on) {
    fs::permissions(about, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    on ? fs::perm_options::remove : fs::perm_options::add);
  };
  using O = ScopeOptions&;
  const std::string inserted =
      "gildex: 147 procedures changed, 13 already handled, 1 too small, 1 skipped; 1846 lines numbered; 10 files ";
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
      // Nothing was inserted; one function numbers its lines itself, and remove takes numbers off.
      {"would remove", w.Insert([](O o) { o.action = ScopeAction::Remove, o.check = true; }), false, kReported,
       "gildex: 0 procedures changed, 162 had nothing to remove; 15 line numbers removed; 15 lines lost line numbers "
       "the insert did not write; 1 file would be written.",
       none},
      {"would insert", w.Insert([](O o) { o.check = true; }), false, kReported, inserted + "would be written.", none},
      {"insert", w.Insert(), false, kDone, inserted + "written.", all},
      {"nothing more to insert", w.Insert([](O o) { o.check = true; }), false, kDone,
       "gildex: 0 procedures changed, 160 already handled, 1 too small, 1 skipped; nothing to change.", none},
      {"read-only form", w.Insert([](O o) { o.component = "frmAbout"; }), true, kReported,
       "gildex: 0 procedures changed; nothing to change.", none},
      {"read-only numbered", w.Insert([](O o) { o.action = ScopeAction::Number; }), true, kReported,
       "gildex: 0 lines numbered; nothing to change.", none},
      // The procedure commands do not ask; the file is not written.
      {"read-only procedure",
       w.Insert([](O o) { o.action = ScopeAction::Remove, o.component = "frmAbout", o.procedure = "Form_Load"; }), true,
       kReported, "gildex: 1 procedure changed; 2 line numbers removed; 0 files written.", none},
      {"read-only in the project", w.Insert([](O o) { o.action = ScopeAction::Remove, o.quiet = true; }), true, kReported,
       (w.dir / "Sample" / "frmAbout.frm").string() + ": not processed: the file is read-only", all},
      {"error report", w.Insert([](O o) { o.on_idle = [] { throw std::runtime_error("disk on fire"); }; }), false,
       kReported, "gildex: nothing was written because of the error reported above", none},
      {"a template without files", w.Insert([](O o) { o.template_name.clear(), o.settings = {"DefaultTemplate=Gone"}; }),
       false, kBadInput,
       "gildex: the template \"Gone\" is not in the templates folder; choose one with: gildex templates default NAME "
       "(gildex templates list shows them), or give --template NAME",
       none},
  };
  for (const auto& c : cases) {
    read_only(c.read_only);
    w.original = w.Files();
    EXPECT_EQ(w.Run(c.options), c.code) << c.name << "\n" << w.err.str();
    EXPECT_EQ((Ran{c.code, w.out.str(), w.err.str()}.Summary()), c.summary) << c.name << "\n" << w.err.str();
    std::vector<std::string> changed = c.changed;
    if (c.read_only) std::erase(changed, "frmAbout.frm");
    EXPECT_EQ(w.Changed(), changed) << c.name;
    if (c.read_only) {
      EXPECT_NE(w.err.str().find("frmAbout"), std::string::npos) << c.name << ": the problem is named";
    }
    EXPECT_EQ(w.err.str().find("not written: not written"), std::string::npos) << c.name;
    if (c.options.check) {
      // Standard output names the files that would change, and nothing else.
      std::istringstream names(w.out.str());
      long count = 0;
      for (std::string line; std::getline(names, line); ++count) EXPECT_TRUE(fs::is_regular_file(line)) << line;
      EXPECT_EQ(count > 0, c.code == kReported) << c.name << "\n" << w.out.str();
    }
    if (&c == &cases[0]) {
      EXPECT_FALSE(fs::exists(w.dir / "windows")) << "--check writes no add-in list either";
    }
    if (&c == &cases[2]) {
      EXPECT_EQ(w.err.str().rfind("gildex: Gildex has been added to your VB AddIns List.\n", 0), 0u)
          << "the first run's notice is a line, not a question";
    }
  }
}

TEST(ScopeCommand, CtrlCStopsBetweenProceduresAndKeepsEveryFileWhole) {
  Workspace w;
  ScopeOptions o = w.Insert();
  o.settings = {"Numbering=True"};
  int idle = 0;
  // Ctrl-C while the project loads cancels the load; a kill's SIGTERM later is taken as Ctrl-C
  // is. Either way the run ends as cancelled and leaves no lock or temporary file.
  o.on_idle = [&] {
    if (++idle == 40) std::raise(SIGTERM);
  };
  ScopeOptions loading = o;
  loading.on_load_step = [] { std::raise(SIGINT); };
  for (const ScopeOptions* run : {&loading, &o}) {
    EXPECT_EQ(w.Run(*run), kCancelled) << w.err.str();
    for (const auto& entry : fs::recursive_directory_iterator(w.dir.Path())) {
      const std::string name = entry.path().filename().string();
      EXPECT_TRUE(name.find(".gildex-tmp-") == std::string::npos && name.find(".gildex-lock") == std::string::npos)
          << name;
    }
  }
  EXPECT_EQ(w.out.str(), "Operation was cancelled by user.\n");
  // Components before the cancel are done, the rest untouched; that a procedure is never left
  // half done is the engine's cancel test.
  EXPECT_FALSE(w.Changed().empty());
  EXPECT_EQ(w.Files().at("frmAbout.frm"), w.original.at("frmAbout.frm")) << "the last component was never reached";
}

// Whether a source file numbers some of its lines itself: remove takes every number off.
bool HasLineNumbers(const std::string& bytes) {
  for (std::size_t at = 0; at < bytes.size(); at = bytes.find('\n', at) + 1) {
    std::size_t digits = at;
    while (digits < bytes.size() && bytes[digits] >= '0' && bytes[digits] <= '9') ++digits;
    if (digits > at && digits < bytes.size() && (bytes[digits] == ' ' || bytes[digits] == ':')) return true;
    if (bytes.find('\n', at) == std::string::npos) break;
  }
  return false;
}

// Insert, then remove (which takes the line numbers off too) gives back every file byte for
// byte as the commands load and save it: with each shipped template, on a fresh installation's
// settings and with BodyCode or HeaderAfterComments on; on the sample and on every corpus
// project. Files numbered by their authors cannot come back and are not compared. The module
// texts alone are the engine's round trips (engine/driver_test.cpp).
TEST(CommandLine, RemoveGivesBackWhatInsertChanged) {
  const bool corpus = fs::is_directory(host::testing::kCorpus);
  // Each project as its folder of projects and its path from there: that top folder is copied.
  std::vector<std::pair<fs::path, fs::path>> projects = {{fs::path(GILDEX_SOURCE_DIR) / "data", "Sample/Orders.vbp"}};
  if (corpus)
    for (const fs::path& project : host::testing::CorpusFiles({".vbp", ".vbg"}))
      projects.emplace_back(host::testing::kCorpus, project.lexically_relative(host::testing::kCorpus));
  long compared = 0;
  for (const auto& [root, relative] : projects)
    for (const std::string name : {"Standard", "Logging", "Raise"})
      for (const std::string setting : {"", "BodyCode=True", "HeaderAfterComments=True"}) {
        const std::string where = relative.string() + " " + name + " " + setting;
        const fs::path top = *relative.begin();
        ScratchHome scratch;
        CopyWritable(root / top, scratch.dir / top);
        const auto run = [&](const std::string& command) {
          std::vector<std::string> args = {command, (scratch.dir / relative).string(), "--template", name, "--yes"};
          if (!setting.empty()) args.insert(args.end(), {"--set", setting});
          return RunGildex(args);
        };
        const Ran inserted = run("insert");
        EXPECT_NE(inserted.Summary().find(" written."), std::string::npos) << where << "\n" << inserted.err;
        const Ran removed = run("remove");
        // A truncated procedure is a problem of the insert; remove passes it over too.
        EXPECT_LE(removed.code, inserted.code) << where << "\n" << removed.err;
        bool own_numbers = false;
        for (const auto& entry : fs::recursive_directory_iterator(scratch.dir / top)) {
          if (!entry.is_regular_file()) continue;
          const fs::path inside = entry.path().lexically_relative(scratch.dir.Path());
          const std::string before = ReadBytes(root / inside);
          own_numbers |= HasLineNumbers(before);
          if (HasLineNumbers(before)) continue;
          EXPECT_TRUE(ReadBytes(entry.path()) == before) << where << ": " << inside.string();
          ++compared;
        }
        if (!own_numbers) {
          EXPECT_EQ(removed.Summary().find(" lost "), std::string::npos) << where << "\n" << removed.Summary();
        }
      }
  EXPECT_GT(compared, 80);
  if (!corpus) GTEST_SKIP() << "no corpus at " << host::testing::kCorpus << "; only the sample was checked";
}

// A listed member file that is not there, also in a group's project: --yes leaves it out (the
// ten source files are written, project and group files never), --no loads nothing.
TEST(CommandLine, MissingMembersAreLeftOutOnlyWhenTheUserSaysSo) {
  Workspace w;
  const fs::path folder = w.dir / "Sample";
  std::string orders = ReadBytes(folder / "Orders.vbp");
  WriteBytes(folder / "Orders.vbp", orders.insert(orders.find("\r\n") + 2, "Form=Gone.frm\r\n"));
  WriteBytes(folder / "All.vbg", "VBGROUP 5.0\r\nStartupProject=Orders.vbp\r\n");
  w.original = w.Files();
  for (const std::string answer : {"--no", "--yes"}) {
    const std::string project = (folder / (answer == "--no" ? "Orders.vbp" : "All.vbg")).string();
    const Ran run = RunGildex({"insert", project, "--template", "Standard", answer});
    EXPECT_EQ(run.code, answer == "--no" ? kBadInput : kDone);
    EXPECT_NE(run.err.find(answer == "--no" ? "Orders.vbp:2: error: file not found: \"Gone.frm\""
                                            : "Orders.vbp:2: warning: file not found: \"Gone.frm\"; left out"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(w.Changed().size(), answer == "--no" ? 0u : 10u);
    EXPECT_EQ(RunGildex({"report", project, answer}).code, answer == "--no" ? kBadInput : kDone);
  }
}

// A repository's .gildex gives insert its template with no registry and no --template; a bad
// line stops the run before anything is written, and the values never reach the registry.
TEST(CommandLine, TheRepositorysSettingsFileComesBetweenTheRegistryAndTheRun) {
  Workspace w;
  fs::create_directories(w.dir / ".git");
  fs::create_directories(w.dir / "ci" / "tpl");
  WriteBytes(w.dir / "ci" / "tpl" / "Repo.hdr", "DO NOT CHANGE THE NEXT 4 LINES\r\nRepo\r\n\r\n\r\nOn Error GoTo RepoErr\r\n");
  WriteBytes(w.dir / "ci" / "tpl" / "Repo.ftr", "RepoErr:\r\n    Resume Next\r\n");
  WriteBytes(w.dir / ".gildex", "# ours\nDefault Template = Repo\ntemplatepath = ci/tpl\n");
  const fs::path module = w.dir / "Sample" / "modGlobals.bas";
  const Ran inserted = RunGildex({"insert", w.Project(), "--component", "modGlobals"});
  EXPECT_EQ(inserted.code, kDone) << inserted.err;
  EXPECT_NE(ReadBytes(module).find("On Error GoTo RepoErr"), std::string::npos);
  EXPECT_FALSE(fs::exists(w.dir / "registry.reg"));
  const Ran listed = [&] {
    const ScopedCwd cwd(w.dir / "Sample");
    return RunGildex({"options", "list", "--origin", "--set", "MinLines=3"});
  }();
  const auto row = [&](const std::string& property) {
    const std::size_t at = listed.out.find("\n" + property + " ");
    return at == std::string::npos ? std::string() : listed.out.substr(at + 1, listed.out.find('\n', at + 1) - at - 1);
  };
  EXPECT_NE(row("DefaultTemplate").find((w.dir / ".gildex").string() + ":2  \"Repo\""), std::string::npos) << listed.out;
  EXPECT_NE(row("MinLines").find(" --set "), std::string::npos) << listed.out;
  EXPECT_NE(row("Numbering").find(" default "), std::string::npos) << listed.out;
  WriteBytes(w.dir / ".gildex", "Default Template = Repo\n\nMinLines five\n");
  w.original = w.Files();
  const Ran refused = RunGildex({"insert", w.Project()});
  EXPECT_EQ(refused.code, kBadInput);
  EXPECT_NE(refused.err.find((w.dir / ".gildex").string() + ":3: NAME = VALUE expected"), std::string::npos) << refused.err;
  EXPECT_TRUE(w.Changed().empty());
}

// A module written on Cyrillic Windows: shown in its own letters, its bytes kept as they are.
TEST(CommandLine, TheCodePageDecidesHowTheSourceIsShownNeverWhatIsWritten) {
  Workspace w;
  const std::string cyrillic = "Public Sub \xcf\xf0\xe8\xe2\xe5\xf2()\r\n    ' \xea\xee\xec\xec\xe5\xed\xf2\r\n"
                               "    Dim i As Long\r\n    i = 1\r\n    i = i + 1\r\n    Debug.Print i\r\nEnd Sub\r\n";
  const fs::path module = w.dir / "Sample" / "modGlobals.bas";
  WriteBytes(module, ReadBytes(module) + cyrillic);
  WriteBytes(w.dir / "Sample" / ".gildex", "CodePage = 1251\n");
  const Ran report = RunGildex({"report", w.Project()});
  const std::string shown = "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82";  // the name in UTF-8
  EXPECT_NE(report.out.find(shown), std::string::npos) << report.out;
  const Ran inserted = RunGildex({"insert", w.Project(), "--component", "modGlobals", "--template", "Standard"});
  EXPECT_EQ(inserted.code, kDone) << inserted.err;
  const std::string after = ReadBytes(module);
  for (const std::string line : {"Public Sub \xcf\xf0\xe8\xe2\xe5\xf2()\r\n", "    ' \xea\xee\xec\xec\xe5\xed\xf2\r\n"})
    EXPECT_NE(after.find(line), std::string::npos);
  EXPECT_NE(after.find("\xcf\xf0\xe8\xe2\xe5\xf2_ErrorHandler"), std::string::npos);
  cp1252::UseCodePage(cp1252::kDefaultCodePage);
}

// Projects and folders of projects in one run: each project is treated on its own, one that
// fails stops none of the others, and the worst project gives the exit status.
TEST(CommandLine, TreatsEveryProjectOfAFolder) {
  Workspace w;
  const fs::path copy = w.dir / "more" / "Copy";
  fs::create_directories(copy.parent_path());
  fs::copy(w.dir / "Sample", copy, fs::copy_options::recursive);
  WriteBytes(w.dir / "more" / "Broken.vbp", "Name=\"Broken\"\r\n");
  const std::string dir = w.dir.Path().string();
  const Ran run = RunGildex({"insert", dir, "--template", "Standard", "--no-numbers"});
  EXPECT_EQ(run.code, kBadInput) << run.err;
  EXPECT_EQ(run.Summary(), "gildex: 3 projects: 2 done, 1 failed (" + dir + "/more/Broken.vbp).") << run.err;
  EXPECT_NE(run.err.find("gildex: " + dir + "/more/Copy/Orders.vbp: 147 procedures changed, 13 already handled, 1 "
                         "too small, 1 skipped; 10 files written.\n"), std::string::npos) << run.err;
  EXPECT_EQ(w.Changed().size(), 10u) << "the sample, before the broken project";
  // Read-only files only: the handler's message would tell of work not done.
  for (const auto& entry : fs::directory_iterator(copy))
    fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::remove);
  const Ran read_only = RunGildex({"remove", (copy / "Orders.vbp").string(), "--template", "Standard"});
  EXPECT_EQ(read_only.code, kReported);
  EXPECT_EQ(read_only.out, "Nothing was changed: every file is read-only.\n");
  fs::create_directory(w.dir / "empty");
  const Ran empty = RunGildex({"report", dir, (w.dir / "empty").string()});
  EXPECT_EQ(empty.code, kBadInput);
  EXPECT_EQ(empty.out + empty.err, "gildex: there is no project file (.vbp) in " + (w.dir / "empty").string() +
                                       " or its subfolders\n");
}

TEST(CommandLine, RefusesWhatCannotBeMeant) {
  const std::string project = "/nonexistent/Orders.vbp";  // never reached: refused before loading
  RunSteps({}, {},
           {{{"--version"}, kDone, "gildex 0.1.0\n"}, {{"--help"}, kDone, "GILDEX_BUILD_COMMAND"},
            {{"insert", "--help"}, kDone, "Usage: gildex insert"}, {{"help"}, kDone, "/Help/Gildex.html\n"},
            {{"instal", project}, kBadInput, "gildex: 'instal' is not a gildex command. Did you mean 'gildex insert'?"},
            {{"options", "lst"}, kBadInput, "Did you mean 'gildex options list'?"},
            {{"frobnicate"}, kBadInput, "The commands are: verify, options, templates, insert,"},
            {{"insert"}, kBadInput, "gildex: PROJECT is required"},
            {{"insert", project, "--selection", "1:2:3", "--component", "a"}, kBadInput, "--selection wants START:END"},
            {{"insert", project, "--selection", "1:2x", "--component", "a"}, kBadInput, "not \"1:2x\""},
            {{"insert", project, "--whole-module"}, kBadInput, "--whole-module goes with --selection only"},
            {{"insert", project, "--component", ""}, kBadInput, "--component wants a name"},
            {{"insert", project, "--yes", "--no"}, kBadInput, "--yes and --no together"},
            {{"report", project, "--no", "--yes"}, kBadInput, "--yes and --no together"},
            {{"insert", project, "--numbers", "--no-numbers"}, kBadInput, "--numbers and --no-numbers together"},
            {{"remove", project, "--check", "--dry-run"}, kBadInput, "--check and --dry-run together"},
            {{"number", project, "--script", "a.vbs"}, kBadInput, "--script runs with insert only"},
            {{"options"}, kBadInput, "'gildex options' wants a command.\nThe commands are: list, get, set"},
            {{"todo", "list"}, kBadInput, "PROJECT comes first: gildex todo PROJECT list"},
            {{"todo", project, "lst"}, kBadInput, "Did you mean 'gildex todo PROJECT list'?"},
            {{"verify", project}, kBadInput, "gildex: cannot read project /nonexistent/Orders.vbp"},
            {{"session", "/nonexistent/day.session"}, kBadInput, "gildex: no session script /nonexistent/day.session: no such"},
            // Each command's help tells its own exit status, not the list of all commands.
            {{"options", "set", "--help"}, kDone, "1 the registry file could not be written"}});
  for (const auto& help : {std::vector<std::string>{"insert", "--help"}, {"options", "set", "--help"}})
    EXPECT_EQ(RunGildex(help).out.find("Environment:"), std::string::npos) << help[0] << ": the whole program's footer";
}

}  // namespace
}  // namespace gildex::app
