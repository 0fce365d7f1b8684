#include "host/memory_vbe.h"

#include <gtest/gtest.h>

#include <optional>

#include "host/host_test.h"
#include "host/project_loader.h"
#include "platform/test_files.h"

namespace gildex::host {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;
using platform::testing::TempDir;
using platform::testing::WriteBytes;

const char* const kProjectFile =
    "Type=Exe\r\nModule=Module1; Module1.bas\r\nName=\"Orders\"\r\nExeName32=\"Orders.exe\"\r\n";

const char* const kSoundModule =
    "Attribute VB_Name = \"Module1\"\r\nOption Explicit\r\nSub Main()\r\n    Dim i As Long\r\n    For i = 1 To 3\r\n"
    "    Next i\r\nEnd Sub\r\n";

// A project on disk in a folder whose name needs quoting for the shell, loaded into `vbe`.
class MakeCompiledFile : public ::testing::Test {
 protected:
  MemoryProject& LoadProject(const char* module) {
    folder_ = dir_ / "my 'orders' app";
    fs::create_directory(folder_);
    WriteBytes(folder_ / "Orders.vbp", kProjectFile);
    WriteBytes(folder_ / "Module1.bas", module);
    LoadResult loaded = Load(vbe_, folder_ / "Orders.vbp");
    EXPECT_TRUE(loaded.readable) << loaded.error;
    return *loaded.projects.at(0);
  }

  TempDir dir_;
  fs::path folder_;
  MemoryVBE vbe_;
};

TEST_F(MakeCompiledFile, RunsTheCommandInTheProjectFolderAndReportsHowItEnded) {
  struct Case {
    std::optional<std::string> command;  // nullopt: none configured
    std::string message;                 // what it threw; empty when it returned
    std::optional<std::string> output = std::nullopt;
    bool edited = false;  // the last cases: the project has unsaved changes
  };
  const std::vector<Case> cases = {
      // Paths quoted for the shell: the folder's name has blanks and quotes.
      {"cp {project} {output}.check && echo done", "", "done\n"},
      {"test -f Module1.bas", ""},
      {"echo compiling; echo 'Module1.bas(3): Expected: End Sub' >&2; echo; exit 2",
       "5: build command failed with exit code 2: Module1.bas(3): Expected: End Sub",
       "compiling\nModule1.bas(3): Expected: End Sub\n\n"},
      {"kill -9 $$", "5: build command was stopped by signal 9"},
      {std::nullopt, "5: no build command configured; structural check passed, nothing compiled"},
      // Unsaved edits: a command would build the files on disk, so it is not run; the check takes them as they stand.
      {"cp {project} {output}.check", "5: cannot build Orders: the project has unsaved changes", std::nullopt, true},
      {std::nullopt, "5: no build command configured; structural check found 1 problem(s)", std::nullopt, true},
  };
  MemoryProject& project = LoadProject(kSoundModule);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command.value_or("no command"));
    fs::remove(folder_ / "Orders.exe.check");
    vbe_.SetBuildCommand(c.command.value_or(""));
    if (c.edited) project.At(0).Code()->ReplaceLine(5, "    ' Next i");
    EXPECT_EQ(testing::HostErrorOf([&] { project.MakeCompiledFile(); }), c.message);
    if (c.output) {
      EXPECT_EQ(project.LastBuildOutput(), *c.output);
    }
    EXPECT_EQ(fs::exists(folder_ / "Orders.exe.check"), c.command && c.command->starts_with("cp") && !c.edited);
    if (c.edited) {
      EXPECT_EQ(ReadBytes(folder_ / "Module1.bas"), kSoundModule);
    }
  }
  ASSERT_EQ(project.LastStructureProblems().size(), 1u);
  const StructureProblem& problem = project.LastStructureProblems()[0];
  EXPECT_EQ(problem.component + ":" + std::to_string(problem.line) + ": " + problem.message, "Module1:4: For without Next");
  EXPECT_FALSE(fs::exists(folder_ / "Orders.exe"));
}

TEST_F(MakeCompiledFile, AModuleWithoutProjectFileCannotBeBuilt) {
  fs::path file = dir_ / "Module1.bas";
  WriteBytes(file, kSoundModule);
  LoadResult loaded = Load(vbe_, file);
  vbe_.SetBuildCommand("true");
  EXPECT_EQ(testing::HostErrorOf([&] { loaded.projects.at(0)->MakeCompiledFile(); }),
            "5: cannot build Project1: it has no project file");
}

// Project.SaveAs: the changed components and the project file under its new name, the member
// list as it is now and every other line as read; the file read before stays as it was.
TEST(ProjectSaveAs, WritesTheProjectFileUnderItsNewNameWithTheMembersItHasNow) {
  TempDir dir;
  // LF line ends, a section of another tool and no line end at the end: all kept.
  const std::string vbp = "Type=Exe\nModule=Module1; Module1.bas\nClass=Thing; Thing.cls\nName=\"Orders\"\n"
                          "[MS Transaction Server]\nAutoRefresh=1";
  const std::string thing = "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEND\r\nAttribute VB_Name = \"Thing\"\r\n";
  WriteBytes(dir / "Orders.vbp", vbp);
  WriteBytes(dir / "Module1.bas", kSoundModule);
  WriteBytes(dir / "Thing.cls", thing);
  fs::create_directory(dir / "forms");
  WriteBytes(dir / "forms" / "Main.frm", "VERSION 5.00\r\nBegin VB.Form frmMain \r\nEnd\r\nAttribute VB_Name = \"frmMain\"\r\n");
  MemoryVBE vbe;
  ASSERT_TRUE(Load(vbe, dir / "Orders.vbp").readable);
  MemoryProject& project = *vbe.Projects().at(0);
  auto save_as = [&](const fs::path& file) { return testing::HostErrorOf([&] { project.SaveAs(file.string()); }); };

  // Unchanged: the same bytes under the new name.
  EXPECT_EQ(save_as(dir / "Copy.vbp"), "");
  EXPECT_EQ(ReadBytes(dir / "Copy.vbp"), vbp);
  EXPECT_EQ(project.FileName(), (dir / "Copy.vbp").string());

  // A member added, one removed, a module edited; then another folder, which the member
  // lines kept cannot follow, is refused with nothing written.
  project.AddFromFile((dir / "forms" / "Main.frm").string());
  project.Remove(*project.FindComponent("Thing"));
  project.At(0).Code()->InsertLines(2, "' edited");
  fs::create_directory(dir / "elsewhere");
  EXPECT_EQ(save_as(dir / "elsewhere" / "Orders.vbp"),
            "445: Object doesn't support this action: saving a project into another folder is not supported yet");
  EXPECT_TRUE(fs::is_empty(dir / "elsewhere"));
  EXPECT_EQ(save_as(dir / "Orders2.vbp"), "");
  const std::string added = "Type=Exe\nModule=Module1; Module1.bas\nForm=forms\\Main.frm\nName=\"Orders\"\n"
                            "[MS Transaction Server]\nAutoRefresh=1";
  EXPECT_EQ(ReadBytes(dir / "Orders2.vbp"), added);
  EXPECT_EQ(ReadBytes(dir / "Orders.vbp"), vbp);
  EXPECT_EQ(ReadBytes(dir / "Copy.vbp"), vbp);
  EXPECT_EQ(ReadBytes(dir / "Thing.cls"), thing);
  EXPECT_NE(ReadBytes(dir / "Module1.bas").find("Option Explicit\r\n' edited\r\n"), std::string::npos);
  EXPECT_FALSE(project.IsDirty());
  // The members' lines moved with the save: a second removal takes out the right one.
  project.Remove(*project.FindComponent("Module1"));
  EXPECT_EQ(save_as(dir / "Orders3.vbp"), "");
  EXPECT_EQ(ReadBytes(dir / "Orders3.vbp"),
            "Type=Exe\nForm=forms\\Main.frm\nName=\"Orders\"\n[MS Transaction Server]\nAutoRefresh=1");
  MemoryVBE again;
  LoadResult reloaded = Load(again, dir / "Orders2.vbp");
  ASSERT_FALSE(reloaded.HasFatal());
  EXPECT_EQ(again.Projects().at(0)->ComponentCount(), 2);

  // A module loaded on its own never had a project file: its changes are saved without one, its
  // file keeping its mode, and SaveAs gives it a new one, wherever it goes, with its member path
  // relative to it; a module that cannot be written stops the save.
  fs::permissions(dir / "Module1.bas", fs::perms(0640));
  MemoryVBE lone;
  ASSERT_TRUE(Load(lone, dir / "Module1.bas").readable);
  MemoryProject& module_project = *lone.Projects().at(0);
  EXPECT_EQ(module_project.FileName(), "");
  module_project.At(0).Code()->InsertLines(2, "' again");
  EXPECT_EQ(SaveChanged(lone).written, std::vector<std::string>{(dir / "Module1.bas").string()});
  EXPECT_EQ(fs::status(dir / "Module1.bas").permissions() & fs::perms::all, fs::perms(0640));
  module_project.At(0).Code()->InsertLines(2, "' and again");
  fs::permissions(dir / "Module1.bas", fs::perms::owner_write, fs::perm_options::remove);
  EXPECT_EQ(module_project.IsDirty(), true);
  const std::string refused =
      testing::HostErrorOf([&] { module_project.SaveAs((dir / "elsewhere" / "Project1.vbp").string()); });
  EXPECT_NE(refused.find("read-only"), std::string::npos) << "a read-only module was saved: " << refused;
  EXPECT_TRUE(fs::is_empty(dir / "elsewhere"));
  fs::permissions(dir / "Module1.bas", fs::perms::owner_write, fs::perm_options::add);
  module_project.SaveAs((dir / "elsewhere" / "Project1.vbp").string());
  EXPECT_EQ(ReadBytes(dir / "elsewhere" / "Project1.vbp"),
            "Type=Exe\r\nModule=Module1; ..\\Module1.bas\r\nStartup=\"Sub Main\"\r\nCommand32=\"\"\r\n"
            "Name=\"Project1\"\r\n");
  EXPECT_EQ(module_project.FileName(), (dir / "elsewhere" / "Project1.vbp").string());
  EXPECT_FALSE(module_project.IsDirty());
  MemoryVBE third;
  ASSERT_FALSE(Load(third, dir / "elsewhere" / "Project1.vbp").HasFatal());
}

}  // namespace
}  // namespace gildex::host
