#include "app/unified_diff.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "app/command_line_test.h"
#include "app/scope_command.h"
#include "platform/test_files.h"

namespace gildex::app {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;
using platform::testing::ScopedEnv;
using platform::testing::TempDir;
using platform::testing::WriteBytes;

bool Have(const std::string& tool) { return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0; }

// The tools that must take the diff: `git apply` (outside any repository) and `patch -p1`.
const char* const kAppliers[] = {"git apply --whitespace=nowarn", "patch -p1 --no-backup-if-mismatch <"};

// Applies the diff in `diff` with `applier` in `dir`, its output thrown away; the exit status.
int Apply(const char* applier, const fs::path& dir, const fs::path& diff) {
  return std::system(("cd '" + dir.string() + "' && " + applier + " '" + diff.string() + "' >/dev/null 2>&1").c_str());
}

// Every file and folder under `root`, files with their bytes.
std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    tree[fs::relative(entry.path(), root).generic_string()] =
        entry.is_regular_file() ? ReadBytes(entry.path()) : std::string("(folder)");
  return tree;
}

// The paths whose presence or bytes differ.
std::string Differences(const std::map<std::string, std::string>& a, const std::map<std::string, std::string>& b) {
  std::string differ;
  for (const auto& [path, bytes] : a)
    if (!b.count(path) || b.at(path) != bytes) differ += path + " ";
  for (const auto& [path, bytes] : b)
    if (!a.count(path)) differ += path + " ";
  return differ;
}

std::string Module(const std::string& name, const std::string& eol, bool final_eol) {
  std::string text = "Attribute VB_Name = \"" + name + "\"" + eol + "Option Explicit" + eol + eol;
  text += "Public Function Size(ByVal s As String) As Long" + eol + "    Dim n As Long" + eol +
          "    n = Len(s) ' Gr\xf6\xdf" "e in Windows-1252" + eol + "    Size = n" + eol + "End Function" + eol + eol;
  text += "Public Sub Show()" + eol + "    Dim s As String" + eol + "    s = \"caf\xe9\"" + eol +
          "    Debug.Print s" + eol + "End Sub";
  return final_eol ? text + eol : text;
}

// The dry run's diff, applied by git and by patch to a copy of the files, gives what the
// command itself writes; and the dry run leaves every file and folder as it was, the
// settings and add-in registration folders included.
TEST(DryRun, TheDiffAppliesToGiveWhatTheCommandWritesAndNothingIsWritten) {
  if (!Have("git") || !Have("patch")) GTEST_SKIP() << "git and patch are needed to apply the diffs";
  const std::string vbp = "Type=Exe\r\nModule=modMain; Modules\\modMain.bas\r\nName=\"Proj\"\r\n";
  struct Case {
    std::string name;
    std::map<std::string, std::string> files;  // under work/
    std::string project;                       // under work/
    ScopeAction action;
    std::string cwd;       // where the dry run runs, under the temporary folder
    std::string apply_in;  // where the paths of the diff start, under work/
  };
  const std::vector<Case> cases = {
      {"CR LF, Windows-1252, current folder above the project",
       {{"Proj/Proj.vbp", vbp}, {"Proj/Modules/modMain.bas", Module("modMain", "\r\n", true)}},
       "Proj/Proj.vbp", ScopeAction::Insert, "work", ""},
      {"LF only, one file of its own",
       {{"modMain.bas", Module("modMain", "\n", true)}},
       "modMain.bas", ScopeAction::Number, "work", ""},
      {"no final line end, current folder elsewhere: paths from the project folder",
       {{"Proj/Proj.vbp", vbp}, {"Proj/Modules/modMain.bas", Module("modMain", "\r\n", false)}},
       "Proj/Proj.vbp", ScopeAction::Insert, "elsewhere", "Proj"},
      {"a member outside the project folder: paths from the folder holding both",
       {{"Proj/Proj.vbp", vbp + "Module=modShared; ..\\Shared\\modShared.bas\r\n"},
        {"Proj/Modules/modMain.bas", Module("modMain", "\n", false)},
        {"Shared/modShared.bas", Module("modShared", "\r\n", true)}},
       "Proj/Proj.vbp", ScopeAction::Insert, "work/Proj", ""},
      {"the sample project", {}, "Sample/Orders.vbp", ScopeAction::Insert, "work/Sample", "Sample"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir t;
    for (const auto& [path, bytes] : c.files) {
      fs::create_directories((t / "work" / path).parent_path());
      WriteBytes(t / "work" / path, bytes);
    }
    if (c.files.empty()) CopyWritable(fs::path(GILDEX_SOURCE_DIR) / "data" / "Sample", t / "work" / "Sample");
    fs::create_directories(t / "elsewhere");
    ScopedEnv registry("GILDEX_REGISTRY", (t / "settings" / "registry.reg").string());
    ScopedEnv windows("GILDEX_WINDIR", (t / "windows").string());
    ScopedEnv epoch("SOURCE_DATE_EPOCH", "1700000000");
    ScopedEnv no_repository("GIT_CEILING_DIRECTORIES", t.Path().parent_path().string());

    const auto before = Tree(t.Path());
    ScopeOptions options;
    options.action = c.action;
    options.project = (t / "work" / c.project).string();
    options.template_name = "Standard";
    options.forced = platform::vbYes;
    options.dry_run = true;
    std::ostringstream out, err;
    int dry_code = 0;
    {
      ScopedCwd cwd(t / c.cwd);
      dry_code = RunScopeCommand(options, out, err);
    }
    EXPECT_EQ(Differences(Tree(t.Path()), before), "") << "a dry run writes nothing";
    const std::string diff = out.str();
    EXPECT_EQ(diff.rfind("diff --git a/", 0), 0u) << "standard output holds the diff alone:\n" << diff;
    EXPECT_EQ(err.str().find("paths of the diff are relative to") != std::string::npos,
              !fs::equivalent(t / "work" / c.apply_in, t / c.cwd))
        << err.str();
    WriteBytes(t / "dry.diff", diff);

    for (const char* copy : {"git", "patch"}) fs::copy(t / "work", t / copy, fs::copy_options::recursive);
    options.dry_run = false;
    std::ostringstream real_out, real_err;
    EXPECT_EQ(RunScopeCommand(options, real_out, real_err), dry_code) << real_err.str();
    const auto written = Tree(t / "work");
    EXPECT_NE(Differences(written, Tree(t / "git")), "") << "the command changed nothing";
    for (const auto& [copy, applier] : {std::pair{"git", kAppliers[0]}, std::pair{"patch", kAppliers[1]}}) {
      EXPECT_EQ(Apply(applier, t / copy / c.apply_in, t / "dry.diff"), 0) << applier << "\n" << diff;
      EXPECT_EQ(Differences(Tree(t / copy), written), "") << applier;
    }
  }
}

// Texts the command does not make itself: lines repeated everywhere, a region past the
// edit search's limit, files made empty or from empty, a line end added at the end.
TEST(UnifiedDiff, AppliesOnAwkwardTexts) {
  if (!Have("git") || !Have("patch")) GTEST_SKIP() << "git and patch are needed to apply the diffs";
  std::string repeated_before, repeated_after;
  unsigned seed = 7;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) % 5; };
  for (int i = 0; i < 600; ++i) {
    const std::string line = "line " + std::to_string(next()) + "\r\n";
    repeated_before += line;
    const unsigned edit = next();
    if (edit == 0) continue;                                          // deleted
    if (edit == 1) repeated_after += "new " + std::to_string(i) + "\r\n";  // inserted
    repeated_after += line;
  }
  std::string same_a, same_b;
  for (int i = 0; i < 3000; ++i) same_a += "a\r\n", same_b += "b\r\n";
  const struct {
    std::string name, before, after;
  } cases[] = {
      {"repeated lines", repeated_before, repeated_after},
      {"past the edit limit", same_a, "top\n" + same_b},
      {"from empty", "", "one\r\ntwo"},
      {"to empty", "one\ntwo\n", ""},
      {"a final line end added", "x\r\ny", "x\r\ny\r\n"},
  };
  EXPECT_EQ(UnifiedDiff("f", "same\n", "same\n"), "");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir t;
    const std::string diff = UnifiedDiff("dir/f.bas", c.before, c.after);
    WriteBytes(t / "d.diff", diff);
    ScopedEnv no_repository("GIT_CEILING_DIRECTORIES", t.Path().parent_path().string());
    for (const char* applier : kAppliers) {
      fs::create_directories(t / "tree" / "dir");
      WriteBytes(t / "tree" / "dir" / "f.bas", c.before);
      EXPECT_EQ(Apply(applier, t / "tree", t / "d.diff"), 0) << applier;
      EXPECT_EQ(ReadBytes(t / "tree" / "dir" / "f.bas"), c.after) << applier << "\n" << diff;
      fs::remove_all(t / "tree");
    }
  }
}

}  // namespace
}  // namespace gildex::app
