// `gildex prefix` as a user runs it: on the sample, one command after another, and on a copy
// of every corpus project.
#include "app/prefix_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/command_line.h"
#include "app/command_line_test.h"
#include "app/scope_command.h"
#include "host/host_test.h"
#include "host/project_loader.h"
#include "session/sample_project_test.h"

namespace gildex::app {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;
using platform::testing::ScopedEnv;
using platform::testing::WriteBytes;

TEST(PrefixCommand, DryRunCheckAndRealRunAgree) {
  testing::SampleProject w;
  fs::create_directories(w.dir / "home");
  ScopedEnv home{"GILDEX_HOME", (w.dir / "home").string()};
  WriteBytes(w.dir / "home" / "pfx.dat", "CommandButton=b\r\nTimer=x\r\n");
  const std::string project = w.Project();
  const std::vector<std::string> forms = {"ctlStatusBar.ctl", "frmAbout.frm", "frmCustomer.frm", "frmMDI.frm",
                                          "frmMain.frm"};
  const std::string would = "gildex: 10 controls prefixed, 11 references listed; 5 files would be written.";
  const struct {
    std::string name;
    std::vector<std::string> args;
    int code;
    std::string summary;       // the last line of standard error
    std::string out;           // found on standard output
    std::vector<std::string> changed;  // since the start
    std::string err = "";      // found on standard error
    std::function<void()> before = nullptr;
  } cases[] = {
      {"check", {"prefix", project, "--check"}, kReported, would, "frmMain.frm:430:     cmdClose.Left", {}},
      // That the diff applies to give what the real run writes is the dry-run test's (unified_diff_test.cpp).
      {"dry run", {"prefix", project, "--dry-run", "--references"}, kDone,
       "gildex: 10 controls prefixed, 11 references rewritten; 5 files would be written.",
       "diff --git a/frmMDI.frm b/frmMDI.frm\n", {}, ":131:     xtmrClock_Timer\n"},
      {"real run", {"prefix", project, "--references"}, kDone,
       "gildex: 10 controls prefixed, 11 references rewritten; 5 files written.", "", forms},
      {"again", {"prefix", project, "--check"}, kDone, "gildex: nothing to change.", "", forms},
      {"bad usage", {"prefix", project, "--check", "--dry-run"}, kBadInput,
       "gildex: --check and --dry-run together: choose one", "", forms},
      {"empty component", {"prefix", project, "--component", ""}, kBadInput,
       "gildex: --component wants a name, not an empty text", "", forms},
      // The button's name back, and a label holding the name it would get.
      {"collision", {"prefix", project, "--component", "frmAbout"}, kReported, "gildex: nothing to change.", "", forms,
       "frmAbout.frm: cmdOK was not prefixed: bcmdOK is already the name of another control\n", [&] {
         const fs::path about = w.dir / "Sample" / "frmAbout.frm";
         std::string text = ReadBytes(about);
         text.replace(text.find("VB.CommandButton bcmdOK"), 23, "VB.CommandButton cmdOK");
         text.replace(text.find("VB.Label lblTitle"), 17, "VB.Label bcmdOK");
         WriteBytes(about, text);
         w.original["frmAbout.frm"] = text;
       }},
  };
  for (const auto& c : cases) {
    if (c.before) c.before();
    const Ran run = RunGildex(c.args);
    EXPECT_EQ(run.code, c.code) << c.name << "\n" << run.err;
    EXPECT_EQ(run.Summary(), c.summary) << c.name << "\n" << run.err;
    EXPECT_NE(run.out.find(c.out), std::string::npos) << c.name << "\n" << run.out;
    std::vector<std::string> changed = c.changed;
    if (c.before) std::erase(changed, "frmAbout.frm");
    EXPECT_EQ(w.Changed(), changed) << c.name;
    EXPECT_NE(run.err.find(c.err), std::string::npos) << c.name << "\n" << run.err;
  }
}

// Every corpus project, each on a copy of its own: the command ends with a result and names
// the reason when it is not 0, every project loads again, and every file that was not written
// is byte for byte what it was.
TEST(PrefixCommand, CorpusProjectsStayWhole) {
  GILDEX_SKIP_WITHOUT_CORPUS();
  ScratchHome scratch;
  fs::create_directories(scratch.dir / "home");
  fs::copy_file(fs::path(GILDEX_SOURCE_DIR) / "data" / "pfx.dat", scratch.dir / "home" / "pfx.dat");
  ScopedEnv home{"GILDEX_HOME", (scratch.dir / "home").string()};
  long prefixed = 0;
  for (const fs::path& project : host::testing::CorpusFiles({".vbp", ".vbg"})) {
    const fs::path relative = project.lexically_relative(host::testing::kCorpus);
    const fs::path top = *relative.begin(), copy = scratch.dir / "copy";
    fs::remove_all(copy);
    CopyWritable(host::testing::kCorpus / top, copy / top);
    const Ran run = RunGildex({"prefix", (copy / relative).string(), "--yes"});
    const std::string name = relative.string();
    EXPECT_TRUE(run.code == kDone || run.code == kReported) << name << "\n" << run.err;
    if (run.code == kReported) {
      const bool reason = run.err.find(" was not prefixed: ") != std::string::npos ||
                          run.err.find(": not processed: ") != std::string::npos ||
                          run.err.find(": not written") != std::string::npos;
      EXPECT_TRUE(reason) << name << "\n" << run.err;
    }
    host::MemoryVBE vbe;
    const host::LoadResult loaded = host::Load(vbe, copy / relative);
    EXPECT_FALSE(loaded.HasFatal()) << name;
    for (const auto& entry : fs::recursive_directory_iterator(copy / top)) {
      if (!entry.is_regular_file()) continue;
      const fs::path inside = entry.path().lexically_relative(copy);
      if (ReadBytes(entry.path()) == ReadBytes(host::testing::kCorpus / inside)) continue;
      const std::string ext = cp1252::Lower(entry.path().extension().string());
      EXPECT_TRUE(ext == ".frm" || ext == ".ctl" || ext == ".pag") << name << ": " << inside.string();
      EXPECT_NE(run.err.find("wrote " + (copy / inside).string() + "\n"), std::string::npos)
          << name << ": " << inside.string() << " changed without being written\n" << run.err;
    }
    const Ran again = RunGildex({"prefix", (copy / relative).string(), "--check"});
    EXPECT_EQ(again.Summary(), "gildex: nothing to change.") << name << "\n" << again.err;
    if (run.Summary() != "gildex: nothing to change.") ++prefixed;
  }
  EXPECT_GT(prefixed, 0) << "some corpus project has controls without their prefix";
}

}  // namespace
}  // namespace gildex::app
