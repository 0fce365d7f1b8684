#include "host/project_loader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <map>

#include "host/host_test.h"
#include "platform/test_files.h"

namespace gildex::host {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;
using platform::testing::TempDir;
using platform::testing::WriteBytes;
using ::testing::HasSubstr;

using testing::CorpusFiles;
using testing::Describe;
using testing::kCorpus;

// A writable copy of one corpus project folder.
fs::path CopyCorpusProject(const TempDir& dir, const std::string& project) {
  fs::path target = dir / project;
  fs::copy(kCorpus / project, target, fs::copy_options::recursive);
  for (const auto& entry : fs::recursive_directory_iterator(target))
    fs::permissions(entry.path(), entry.is_directory() ? fs::perms(0755) : fs::perms(0644));
  return target;
}

// Every file of a folder with its bytes and modification time.
std::map<fs::path, std::pair<std::string, fs::file_time_type>> Snapshot(const fs::path& folder) {
  std::map<fs::path, std::pair<std::string, fs::file_time_type>> state;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) state[entry.path()] = {ReadBytes(entry.path()), fs::last_write_time(entry.path())};
  return state;
}

TEST(Corpus, EveryProjectLoadsAndEveryFileComesBackByteForByte) {
  GILDEX_SKIP_WITHOUT_CORPUS();
  std::vector<fs::path> projects = CorpusFiles({".vbp", ".vbg"});
  ASSERT_FALSE(projects.empty());
  int files_checked = 0;
  for (const fs::path& path : projects) {
    SCOPED_TRACE(path.string());
    MemoryVBE vbe;
    LoadResult loaded = Load(vbe, path);
    ASSERT_TRUE(loaded.readable) << loaded.error;
    EXPECT_FALSE(loaded.HasFatal()) << Describe(loaded.problems);
    if (loaded.group) {
      EXPECT_EQ(WriteGroupFile(*loaded.group), ReadBytes(path));
      ++files_checked;
    }
    for (MemoryProject* project : loaded.projects) {
      EXPECT_EQ(WriteProjectFile(project->Parsed()), ReadBytes(project->File()));
      ++files_checked;
      EXPECT_GT(project->ComponentCount(), 0);
      for (MemoryComponent* component : project->Components()) {
        SCOPED_TRACE(component->File().string());
        EXPECT_TRUE(component->Usable());
        EXPECT_EQ(SerializeComponent(*component), ReadBytes(component->File()));
        EXPECT_FALSE(component->IsDirty());
        ++files_checked;
      }
    }
  }
  EXPECT_EQ(files_checked, 254);
}

TEST(Corpus, ComponentsGetTheTypeAndNameTheIdeGivesThem) {
  GILDEX_SKIP_WITHOUT_CORPUS();
  MemoryVBE vbe;
  LoadResult loaded = Load(vbe, kCorpus / "minesweeper/MINESWEEPER.VBP");
  ASSERT_EQ(loaded.projects.size(), 1u);
  std::vector<std::string> seen;
  for (MemoryComponent* c : loaded.projects[0]->Components())
    seen.push_back(std::string(ComponentTypeName(c->Type())) + " " + c->Name() + " " +
                   c->File().filename().string());
  EXPECT_EQ(seen, (std::vector<std::string>{
                      "Form frmMineSweeper frmMineSweeper.frm", "UserControl Counter COUNTER.CTL",
                      "UserControl Grid Grid.ctl", "Class cCell CCELL.CLS", "Class cGrid cGrid.cls",
                      "UserControl TopPart TOPPART.CTL", "UserControl MainPart MAINPART.CTL",
                      "Class CRegSettings CREGSETTINGS.CLS", "RelatedDocument ReadMe README.TXT",
                      "Module MStringSortRoutines MSTRINGSORTROUTINES.BAS", "Form frmBestTimes FRMBESTTIMES.FRM",
                      "Form frmCustom FRMCUSTOM.FRM", "ResFile MineSweeper MineSweeper.RES"}));
  MemoryProject& project = *loaded.projects[0];
  EXPECT_EQ(project.Name(), "MineSweeper");
  EXPECT_EQ(project.Component(9).Code(), nullptr);  // the related document has no code
  EXPECT_NE(project.FindComponent("mstringsortroutines"), nullptr);
  EXPECT_EQ(project.Component(1).FileNames(1), fs::absolute(kCorpus / "minesweeper/frmMineSweeper.frm").string());

  MemoryVBE video;
  LoadResult rental = Load(video, kCorpus / "video-rental/videoproject.vbp");
  ASSERT_EQ(rental.projects.size(), 1u);
  VBComponent* main_form = rental.projects[0]->FindComponent("frmmainmdi");
  ASSERT_NE(main_form, nullptr);
  EXPECT_EQ(main_form->Type(), ComponentType::VBMDIForm);
  EXPECT_EQ(rental.projects[0]->FindComponent("DataEnvironment1")->Type(), ComponentType::ActiveXDesigner);
}

TEST(Corpus, BrokenPathsAndMissingBinaryFilesAreWarningsNamingTheLine) {
  GILDEX_SKIP_WITHOUT_CORPUS();
  MemoryVBE vbe;
  LoadResult loaded = Load(vbe, kCorpus / "trayicon-ocx/Group1.vbg");
  ASSERT_EQ(loaded.projects.size(), 2u);
  EXPECT_FALSE(loaded.HasFatal()) << Describe(loaded.problems);
  const std::string group = (kCorpus / "trayicon-ocx/Group1.vbg").string();
  const std::string control = (kCorpus / "trayicon-ocx/projSysTray.vbp").string();
  std::vector<std::string> where;
  for (const LoadProblem& p : loaded.problems) where.push_back(p.file + ":" + std::to_string(p.line));
  EXPECT_THAT(where, ::testing::IsSupersetOf({group + ":3", control + ":6", control + ":7", control + ":8",
                                              control + ":9", control + ":10"}));
  EXPECT_EQ(vbe.ActiveVBProject()->Name(), "projSysTray");  // the first one loaded
  EXPECT_EQ(vbe.MainWindowCaption(), "projSysTray - Microsoft Visual Basic [design]");
}

TEST(Corpus, AnEditedProcedureIsTheOnlyChangeWritten) {
  GILDEX_SKIP_WITHOUT_CORPUS();
  TempDir dir;
  fs::path folder = CopyCorpusProject(dir, "cd-database");
  auto before = Snapshot(folder);
  fs::path form_file = folder / "frmPrincipal.frm";
  MemoryVBE vbe;
  LoadResult loaded = Load(vbe, folder / "CDs.vbp");
  ASSERT_FALSE(loaded.HasFatal()) << Describe(loaded.problems);
  VBComponent* form = loaded.projects[0]->FindComponent("frmPrincipal");
  ASSERT_NE(form, nullptr);
  CodeModule& code = *form->Code();
  ProcKind kind = ProcKind::Proc;
  std::string proc = code.ProcOfLine(code.CountOfDeclarationLines() + 1, kind);
  ASSERT_FALSE(proc.empty());
  long body = code.ProcBodyLine(proc, kind);
  std::string declaration = code.Lines(body, 1);
  code.InsertLines(body + 1, "    On Error GoTo Failed");
  EXPECT_TRUE(form->IsDirty());

  std::vector<std::string> requested;
  loaded.projects[0]->RequestWriteFile.Connect([&](const std::string& f, bool&) { requested.push_back(f); });
  SaveResult saved = SaveChanged(vbe);
  EXPECT_EQ(saved.error, "");
  EXPECT_TRUE(saved.skipped.empty()) << Describe(saved.skipped);
  EXPECT_EQ(saved.written, std::vector<std::string>{form_file.string()});
  EXPECT_EQ(requested, std::vector<std::string>{fs::absolute(form_file).string()});
  EXPECT_FALSE(form->IsDirty());

  // The file on disk is the old one with exactly one line more, right below the declaration.
  std::vector<RawLine> expected = SplitLines(before[form_file].first);
  auto at = std::find_if(expected.begin(), expected.end(), [&](const RawLine& l) { return l.text == declaration; });
  ASSERT_NE(at, expected.end());
  expected.insert(at + 1, RawLine{"    On Error GoTo Failed", LineEnd::CrLf});
  EXPECT_EQ(ReadBytes(form_file), JoinLines(expected));
  auto after = Snapshot(folder);
  for (const auto& [file, state] : before)
    if (file != form_file) {
      EXPECT_TRUE(after[file] == state) << file << " was touched";
    }

  // Saving again with nothing changed writes nothing.
  EXPECT_TRUE(SaveChanged(vbe).written.empty());
}

using testing::SmallProject;

TEST(SmallProject, LoadsCleanlyIntoTheObjectModelAndItsWindows) {
  SmallProject project;
  MemoryVBE vbe;
  LoadResult loaded = Load(vbe, project.vbp);
  ASSERT_TRUE(loaded.readable);
  EXPECT_TRUE(loaded.problems.empty()) << Describe(loaded.problems);
  ASSERT_EQ(vbe.ProjectCount(), 1);
  VBProject& p = vbe.Project(1);
  ASSERT_EQ(p.ComponentCount(), 3);
  EXPECT_THROW(p.Component(4), HostError);
  VBComponent& form = p.Component(1);  // the names and types of the three are the verify report's test
  EXPECT_FALSE(form.IsReadOnly());
  Designer* designer = form.GetDesigner();
  ASSERT_NE(designer, nullptr);
  EXPECT_EQ(designer->Caption() + " " + std::to_string(designer->ScaleMode()), "Orders 3");
  ASSERT_EQ(designer->Controls().size(), 1u);
  VBControl& button = *designer->Controls()[0];
  ASSERT_NE(button.Container(), nullptr);
  EXPECT_EQ(button.ProgId() + " " + button.ClassName() + " " + button.FindProperty("caption")->Value() + " in " + button.Container()->Name(),
            "VB.CommandButton CommandButton \"OK\" in frmMain");
  EXPECT_EQ(p.Component(2).GetDesigner(), nullptr);

  // Code windows follow what the user opens.
  auto& util = *vbe.Projects()[0]->Components()[1];
  EXPECT_EQ(vbe.ActiveCodePane(), nullptr);
  std::vector<std::string> selected;
  vbe.Projects()[0]->ComponentSelected.Connect([&](VBComponent& c) { selected.push_back(c.Name()); });
  vbe.SelectComponent(util);
  EXPECT_EQ(selected, std::vector<std::string>{"Util"});
  Window& window = vbe.ShowCode(util);
  EXPECT_EQ(window.Caption(), "Orders - Util (Code)");
  EXPECT_EQ(vbe.ActiveCodePane(), &util.Code()->Pane());
  EXPECT_EQ(vbe.SelectedVBComponent(), &util);
  EXPECT_EQ(&vbe.ShowCode(util), &window);  // one code window per component
  Window& design_window = vbe.ShowDesigner(*vbe.Projects()[0]->Components()[0]);
  EXPECT_TRUE(vbe.Projects()[0]->Components()[0]->HasOpenDesigner());
  EXPECT_EQ(vbe.Windows().size(), 2u);
  window.Close();
  EXPECT_EQ(vbe.ActiveCodePane(), nullptr);
  design_window.Close();
  EXPECT_TRUE(vbe.Windows().empty());

  // A rename and a reload go through the file.
  util.SetName("Helpers");
  EXPECT_TRUE(util.IsDirty());
  EXPECT_THAT(util.Serialize(), ::testing::StartsWith("Attribute VB_Name = \"Helpers\"\r\nOption Explicit\r\n"));
  util.Reload();
  EXPECT_EQ(util.Name(), "Util");
  EXPECT_FALSE(util.IsDirty());
}

// A change that cannot be written (the host cancels it, the file is read-only, another program
// saved it after the load, the disk fills up mid-write) is skipped and named, its file keeps the
// bytes it has, and the other changes are written. A file rewritten with the bytes it had is not a change.
TEST(SmallProject, AChangeThatCannotBeWrittenIsSkippedAndNamedAndItsFileKeepsItsBytes) {
  struct Case {
    std::string name;
    std::function<void(SmallProject&)> before_load;
    std::function<void(SmallProject&, MemoryProject&)> edit;
    std::string file, message;  // the one skipped, in the project folder; after "not written: ", %F its path
    bool fatal = true;
    std::vector<std::string> written = {};
    rlim_t file_size_limit = RLIM_INFINITY;
  };
  const auto ours = [](MemoryProject& p, const std::string& util_line) {
    p.Component(2).Code()->InsertLines(1, util_line);
    p.Component(3).Code()->InsertLines(1, "' ours");
  };
  const std::vector<Case> cases = {
      {"a write the host cancels", [](SmallProject&) {},
       [](SmallProject&, MemoryProject& p) {
         p.RequestWriteFile.Connect([](const std::string&, bool& cancel) { cancel = true; });
         p.Component(2).Code()->ReplaceLine(5, "    Beep: Beep");
       },
       "Util.bas", "the write was cancelled", false},
      // The write bits are what the loader looks at, so this holds for the superuser too.
      {"a read-only file", [](SmallProject& p) { fs::permissions(p.dir / "Thing.cls", fs::perms(0444)); },
       [](SmallProject&, MemoryProject& p) {
         EXPECT_TRUE(p.Component(3).IsReadOnly());
         p.Component(3).Code()->InsertLines(1, "' edited");
       },
       "Thing.cls", "the file is read-only"},
      {"components added and removed",
       [](SmallProject& p) { WriteBytes(p.dir / "Extra.bas", "Attribute VB_Name = \"Extra\"\r\n"); },
       [](SmallProject& small, MemoryProject& p) {
         EXPECT_EQ(p.AddFromFile((small.dir / "Extra.bas").string()).Name(), "Extra");
         EXPECT_EQ(p.ComponentCount(), 4);
         p.Remove(p.Component(2));
         EXPECT_EQ(p.ComponentCount(), 3);
         EXPECT_TRUE(p.IsDirty());
         EXPECT_THROW(p.AddFromFile((small.dir / "Nowhere.bas").string()), HostError);
       },
       "Orders.vbp", "saving a changed member list into the project file is not supported yet"},
      {"changed on disk", [](SmallProject&) {},
       [&](SmallProject& small, MemoryProject& p) {
         ours(p, "' ours");
         std::string theirs = ReadBytes(small.dir / "Util.bas");
         theirs.replace(theirs.find("Beep"), 4, "Stop");
         WriteBytes(small.dir / "Util.bas", theirs);
         WriteBytes(small.dir / "Thing.cls", ReadBytes(small.dir / "Thing.cls"));
       },
       "Util.bas", "the file changed on disk since it was loaded", true, {"Thing.cls"}},
      // A limit on file size fails the write as a full disk does, for the superuser too.
      {"the disk fills up", [](SmallProject&) {}, [&](SmallProject&, MemoryProject& p) { ours(p, "' " + std::string(3000, 'x')); },
       "Util.bas", "cannot write %F: File too large", true, {"Thing.cls"}, 1024},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SmallProject project;
    c.before_load(project);
    MemoryVBE vbe;
    LoadResult loaded = Load(vbe, project.vbp);
    EXPECT_TRUE(loaded.problems.empty()) << Describe(loaded.problems);
    c.edit(project, *vbe.Projects()[0]);
    const auto before = Snapshot(project.dir.Path());
    rlimit old_limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    rlimit limit = old_limit;
    limit.rlim_cur = std::min(c.file_size_limit, old_limit.rlim_max);
    auto* old_handler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    SaveResult saved = SaveChanged(vbe);
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);

    std::vector<std::string> written;
    for (const std::string& file : c.written) written.push_back((project.dir / file).string());
    EXPECT_EQ(saved.written, written);
    ASSERT_EQ(saved.skipped.size(), 1u) << Describe(saved.skipped);
    const fs::path skipped = project.dir / c.file;
    EXPECT_EQ(saved.skipped[0].file, skipped.string());
    std::string message = "not written: " + c.message;
    if (const std::size_t at = message.find("%F"); at != std::string::npos) message.replace(at, 2, skipped.string());
    EXPECT_EQ(saved.skipped[0].message, message);
    EXPECT_EQ(saved.skipped[0].fatal, c.fatal);
    // Only the written files changed, and nothing was left beside them.
    auto after = Snapshot(project.dir.Path());
    auto untouched = before;
    for (const std::string& file : written) after.erase(file), untouched.erase(file);
    EXPECT_TRUE(after == untouched);
  }
}

// What a component file's own warnings say (a long line, NUL bytes) is the source file's test.
TEST(SmallProject, DamagedInputIsReportedWithFileAndLineAndNothingIsWritten) {
  // file: the one the problem names, in the project folder
  struct Case { std::string name; std::function<void(SmallProject&)> spoil; std::string file; long line; bool fatal; std::string message_part; };
  const std::vector<Case> cases = {
      {"missing member", [](SmallProject& p) { WriteBytes(p.vbp, ReadBytes(p.vbp) + "Form=Gone.frm\r\n"); },
       "Orders.vbp", 6, true, "file not found: \"Gone.frm\""},
      {"cut-off project file", [](SmallProject& p) { WriteBytes(p.vbp, ReadBytes(p.vbp) + "Description=\"Ord"); },
       "Orders.vbp", 6, false, "the last line has no line end; the file may be cut off"},
      {"NUL in a member path",
       [](SmallProject& p) { WriteBytes(p.vbp, ReadBytes(p.vbp) + std::string("Module=U2; Util.bas\0x.bas\r\n", 27)); },
       "Orders.vbp", 6, true, "the path holds a NUL byte"},
      {"missing frx", [](SmallProject& p) { fs::remove(p.dir / "Main.frx"); }, "Main.frm", 5, false,
       "\"Main.frx\" not found"},
      {"truncated form",
       [](SmallProject& p) {
         std::string form = SmallProject::kForm;
         WriteBytes(p.dir / "Main.frm", form.substr(0, form.find("   End\r\n")));
       },
       "Main.frm", 0, true, ""},
      {"duplicate member", [](SmallProject& p) { WriteBytes(p.vbp, ReadBytes(p.vbp) + "Module=Util; UTIL.BAS\r\n"); },
       "Orders.vbp", 6, false, "listed twice (first at line 3)"},
      {"unreadable member",
       [](SmallProject& p) {
         fs::remove(p.dir / "Thing.cls");
         fs::create_directory(p.dir / "Thing.cls");
       },
       "Orders.vbp", 4, true, "\"Thing.cls\" is a directory"},
      {"FIFO member",
       [](SmallProject& p) {
         fs::remove(p.dir / "Util.bas");
         ASSERT_EQ(::mkfifo((p.dir / "Util.bas").c_str(), 0644), 0);
       },
       "Orders.vbp", 3, true, "\"Util.bas\" is not a regular file"},
      {"two components of one name",
       [](SmallProject& p) {
         WriteBytes(p.vbp, ReadBytes(p.vbp) + "Module=Util2; Other.bas\r\n");
         WriteBytes(p.dir / "Other.bas", "Attribute VB_Name = \"UTIL\"\r\n");
       },
       "Orders.vbp", 6, true, "\"Other.bas\" has the same VB_Name \"UTIL\" as \"Util.bas\" (line 3)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SmallProject project;
    c.spoil(project);
    auto before = Snapshot(project.dir.Path());
    MemoryVBE vbe;
    LoadResult loaded = Load(vbe, project.vbp);
    ASSERT_TRUE(loaded.readable);
    auto it = std::find_if(loaded.problems.begin(), loaded.problems.end(), [&](const LoadProblem& p) {
      return fs::path(p.file) == project.dir / c.file && p.fatal == c.fatal;
    });
    ASSERT_NE(it, loaded.problems.end()) << Describe(loaded.problems);
    if (c.line > 0) {
      EXPECT_EQ(it->line, c.line) << Describe(loaded.problems);
    }
    EXPECT_THAT(it->message, HasSubstr(c.message_part));
    EXPECT_FALSE(it->message.empty());
    EXPECT_EQ(loaded.HasFatal(), c.fatal);

    // An edit to a part that did load: a project that lost members is never written.
    for (MemoryComponent* component : loaded.projects[0]->Components())
      if (component->Usable() && component->Code()) component->Code()->InsertLines(1, "' edited");
    SaveResult saved = SaveChanged(vbe);
    if (c.fatal) {
      EXPECT_EQ(saved.error, "nothing written: Orders did not load completely");
      EXPECT_TRUE(saved.written.empty());
      EXPECT_TRUE(Snapshot(project.dir.Path()) == before);
    }
    // Only a file that is not there at all may be left out; the rest is then written, the project file never.
    ASSERT_EQ(loaded.missing.size(), c.name == "missing member" ? 1u : 0u);
    if (!loaded.missing.empty()) {
      DropMissingMembers(loaded);
      EXPECT_FALSE(loaded.HasFatal());
      EXPECT_EQ(SaveChanged(vbe).written.size(), 3u);
      EXPECT_EQ(ReadBytes(project.vbp), before.at(project.vbp).first);
    }
  }
}

TEST(Load, AFileThatCannotBeReadAtAllIsAnError) {
  TempDir dir;
  WriteBytes(dir / "junk.vbp", std::string("\x01\x02\x03\0\xff", 5));
  WriteBytes(dir / "junk.vbg", "Project=a.vbp\r\n");
  WriteBytes(dir / "notes.txt", "hello");
  const auto cannot = [&](const char* file, const std::string& why) {
    return std::pair{dir / file, "cannot read project " + (dir / file).string() + ": " + why};
  };
  const std::vector<std::pair<fs::path, std::string>> cases = {
      cannot("Missing.vbp", "No such file or directory"),
      cannot("junk.vbp", "not a VB6 project file (no Type= line)"),
      cannot("junk.vbg", "not a VB6 group file (no VBGROUP line)"),
      cannot("notes.txt", "not a VB6 project (.vbp), group (.vbg) or component file"),
      cannot("Gone.bas", "No such file or directory"),
  };
  for (const auto& [path, error] : cases) {
    MemoryVBE vbe;
    LoadResult loaded = Load(vbe, path);
    EXPECT_FALSE(loaded.readable);
    EXPECT_EQ(loaded.error, error);
    EXPECT_EQ(vbe.ProjectCount(), 0);
  }
}

TEST(Load, AGroupReportsAProjectItCannotFindAndLoadsTheOthers) {
  SmallProject project;
  WriteBytes(project.dir / "All.vbg", "VBGROUP 5.0\r\nStartupProject=Orders.vbp\r\nProject=lib\\Gone.vbp\r\n");
  MemoryVBE vbe;
  LoadResult loaded = Load(vbe, project.dir / "All.vbg");
  ASSERT_TRUE(loaded.readable);
  EXPECT_EQ(vbe.ProjectCount(), 1);
  ASSERT_EQ(loaded.problems.size(), 1u);
  EXPECT_EQ(loaded.problems[0].file, (project.dir / "All.vbg").string());
  EXPECT_EQ(loaded.problems[0].line, 3);
  EXPECT_TRUE(loaded.problems[0].fatal);
}

}  // namespace
}  // namespace gildex::host
