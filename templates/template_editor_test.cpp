#include "templates/template_editor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine_rig_test.h"
#include "templates/template_folder_test.h"

namespace gildex {
namespace {

using platform::vbNo;
using platform::vbYes;

TEST(TemplateEditor, ColoursEveryVariableInAnyLetterCase) {
  struct Row {
    std::string text;
    std::vector<ColourSpan> red;
  };
  const Row rows[] = {
      {"On Error GoTo %ProcName%_Err", {{14, 10, kRed}}},
      // Lower case is coloured like the listed spelling; %sProcName% is one variable, not two.
      {"%procname% in %SPROCNAME%", {{0, 10, kRed}, {14, 11, kRed}}},
      {"%Date% %Time%\r\n%User%", {{0, 6, kRed}, {7, 6, kRed}, {15, 6, kRed}}},
      // Finds that share characters become one run.
      {"%ProcName%ProcName%", {{0, 19, kRed}}},
      {"%Unknown% % ProcName%", {}},
      {"", {}},
  };
  for (const Row& row : rows) EXPECT_EQ(VariableSpans(row.text), row.red) << row.text;
}

struct RecordingView : TemplateEditorView {
  void StartLabelEdit(const std::string& key) override { log.push_back("edit " + key); }
  void PopupMenu(const std::string& menu) override { log.push_back("menu " + menu); }
  std::vector<std::string> log;
};

// The editor of the options page over a templates folder of the test's own.
struct EditorRig {
  EditorRig() {
    rig.gildex.DefaultTemplate("Standard");
    folder.Write("Standard", "On Error GoTo %ProcName%_Err", "%ProcName%_Err:\r\n    MsgBox Err.Description");
    folder.Write("Logging", "DO NOT CHANGE THE NEXT 4 LINES\r\nLogging\r\n2\r\n3\r\nLog.Enter \"%ProcName%\"", "Log.Leave");
    editor.SetView(&view);
  }
  // What the user does, one step a line: "down left|right KEY" (KEY "-": empty space), "add",
  // "rename", "delete", "default", "label TEXT", "type header|footer TEXT" (each "|" a line
  // break), "tab header", "select header|footer START LENGTH", "menu header|footer",
  // "cut", "copy", "paste", "save", "launch", "fill".
  void Act(const std::string& step) {
    std::istringstream words(step);
    std::string verb, a, b, c;
    words >> verb >> a;
    std::getline(words, b);
    if (!b.empty()) b.erase(0, 1);
    TemplateEditor::Editor which = a == "footer" ? TemplateEditor::Footer : TemplateEditor::Header;
    RichTextBox& box = which == TemplateEditor::Footer ? editor.rtfFooter : editor.rtfHeader;
    if (verb == "down") editor.tvwTemplates_MouseDown(a == "right" ? vbRightButton : vbLeftButton, b == "-" ? "" : b);
    else if (verb == "add") editor.mnuTemplatesAdd_Click();
    else if (verb == "rename") editor.mnuTemplatesRename_Click();
    else if (verb == "delete") editor.mnuTemplatesDelete_Click();
    else if (verb == "default") editor.mnuTemplatesDefault_Click();
    else if (verb == "label") view.log.push_back(editor.tvwTemplates_AfterLabelEdit(a) ? "renamed" : "refused");
    else if (verb == "type") {
      std::replace(b.begin(), b.end(), '|', '\n');
      box.text.clear();
      for (char ch : b) box.text += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
      which == TemplateEditor::Footer ? editor.rtfFooter_KeyDown('A') : editor.rtfHeader_KeyDown('A');
    } else if (verb == "tab") editor.rtfHeader_KeyDown(kTabKey);
    else if (verb == "select") {
      std::istringstream numbers(b);
      numbers >> box.sel_start >> box.sel_length;
    } else if (verb == "menu") which == TemplateEditor::Footer ? editor.rtfFooter_MouseDown(vbRightButton)
                                                               : editor.rtfHeader_MouseDown(vbRightButton);
    else if (verb == "cut") editor.mnuEditCut_Click();
    else if (verb == "copy") editor.mnuEditCopy_Click();
    else if (verb == "paste") editor.mnuEditPaste_Click();
    else if (verb == "save") editor.SaveTemplate();
    else if (verb == "launch") editor.mnuEditLaunchEditor_Click();
    else if (verb == "fill") editor.Fill();
    else FAIL() << "unknown step " << step;
  }
  // The folder's files as "NAME=content" lines, in name order.
  std::string Files() const {
    std::vector<std::string> lines;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path))
      lines.push_back(entry.path().filename().string() + "=" + platform::testing::ReadBytes(entry.path()));
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
  }

  testing::EngineRig rig;
  testing::TemplateFolder folder{rig};
  platform::MemoryClipboard clipboard;
  DialogControl block_start, block_end;
  RecordingView view;
  int apply_enabled = 0, updates = 0;
  std::string editor_path;
  std::vector<std::string> started;
  TemplateEditor editor{rig.gildex, rig.report, clipboard, block_start, block_end,
                        TemplateEditorHost{
                            .enable_apply = [this] { ++apply_enabled; },
                            .template_path_shown = [this] { return folder.path.string(); },
                            .editor_path = [this] { return editor_path; },
                            .update_project_templates = [this] { ++updates; },
                            .start_program = [this](const std::string& program,
                                                    const std::string& file) { started.push_back(program + " " + file); },
                            .program_exists = [](const std::string& program) { return program == "/usr/bin/editor"; }}};
};

TEST(TemplateEditor, EditsTheTemplatesOfTheFolder) {
  struct Row {
    std::string what;
    std::vector<std::string> steps;
    std::deque<platform::MsgBoxResult> answers;
    std::string tree;    // rendered, selected key after "@"
    std::string header;  // the header editor's text, "|" then its file's name
    std::string footer;
    bool dirty;
    std::string asked;   // every message box, one a line
    std::string log;     // what the view was asked, and label edits' outcomes
    std::string files;   // the folder afterwards; "=" + the standard files unchanged
  };
  // Lines sorted: the folder lists its files in no fixed order.
  const std::string tree_both = "  Logging\n  Standard (default)\nComment Header\nTemplates\n";
  // The header and footer editors' texts, each with its file's name, for the two templates.
  const std::string logging = "DO NOT CHANGE THE NEXT 4 LINES\r\nLogging\r\n2\r\n3\r\nLog.Enter \"%ProcName%\"";
  const std::string lh = logging + "|Logging.hdr", lf = "Log.Leave|Logging.ftr";
  const std::string sh = "On Error GoTo %ProcName%_Err|Standard.hdr", sf = "%ProcName%_Err:\r\n    MsgBox Err.Description|Standard.ftr";
  const std::string logging_files = "Logging.ftr=Log.Leave\nLogging.hdr=" + logging + "\n";
  const std::string standard_files =
      logging_files + "Standard.ftr=%ProcName%_Err:\r\n    MsgBox Err.Description\nStandard.hdr=On Error GoTo %ProcName%_Err\n";
  const Row rows[] = {
      {"display: the default template loaded whole, its files remembered", {}, {}, tree_both + "@Standard", sh, sf, false,
       "", "", "="},
      {"a second new template before the first is named does nothing; a named one saves two new files without asking",
       {"down right -", "add", "add", "label Raise", "type header Err.Raise 1", "type footer Exit Sub", "save"},
       {}, "  Logging\n  Raise\n  Standard (default)\nComment Header\nTemplates\n@Raise", "Err.Raise 1|Raise.hdr",
       "Exit Sub|Raise.ftr", false, "", "menu mnuTemplates\nedit NewTemplate\nrenamed",
       logging_files + "Raise.ftr=Exit Sub\nRaise.hdr=Err.Raise 1\n" + standard_files.substr(logging_files.size())},
      {"renaming to another template's name, in any letter case, is refused",
       {"down right Logging", "rename", "label STANDARD"}, {}, tree_both + "@Logging", lh, lf, false,
       "There is already a template called STANDARD, please select another name.\n",
       "menu mnuTemplates\nedit Logging\nrefused", "="},
      {"a name that is no file name is refused", {"down right Logging", "rename", "label ../x"}, {},
       tree_both + "@Logging", lh, lf, false, "*", "menu mnuTemplates\nedit Logging\nrefused", "="},
      {"a renamed template is saved under its new name; the old files stay and come back on refilling",
       {"down left Logging", "rename", "label Trace", "save", "fill"}, {},
       "  Logging\n  Standard (default)\n  Trace\nComment Header\nTemplates\n@Standard", sh, sf, false, "",
       "edit Logging\nrenamed", standard_files + "Trace.ftr=Log.Leave\nTrace.hdr=" + logging + "\n"},
      {"deleting the default template leaves no default and shows the first one left",
       {"down right Standard", "delete"}, {vbYes}, "  Logging\nComment Header\nTemplates\n@Logging", lh, lf, false,
       "Are you sure you want to delete the Standard template?\n", "menu mnuTemplates", logging_files},
      {"answering no deletes nothing", {"down right Standard", "delete"}, {vbNo}, tree_both + "@Standard", sh, sf, false,
       "Are you sure you want to delete the Standard template?\n", "menu mnuTemplates", "="},
      {"the comment header is saved into its setting and writes no file",
       {"down left CommentHeader@", "type header ' %ProcName%|' by %User%", "save"}, {}, tree_both + "@CommentHeader@",
       "' %ProcName%\r\n' by %User%|Standard.hdr", sf, false, "", "", "="},
      {"an existing template saved asks about the project's inserted templates",
       {"type header On Error GoTo Handler", "select header 0 100", "tab header", "save"}, {vbYes}, tree_both + "@Standard",
       "\t|Standard.hdr", sf, false, "Do you wish to change all inserted templates in the current project?\n", "",
       standard_files.substr(0, standard_files.find("Standard.hdr")) + "Standard.hdr=\t\n"},
      {"leaving a changed template asks first; no drops the change", {"type header changed", "down left Logging"},
       {vbNo}, tree_both + "@Logging", lh, lf, false, "Do you wish to save your changes?\n", "", "="},
      {"setting the default moves the mark and checks the menu item the next time",
       {"down right Logging", "default", "down right Logging"}, {},
       "  Logging (default)\n  Standard\nComment Header\nTemplates\n@Logging", lh, lf, false, "",
       "menu mnuTemplates\nmenu mnuTemplates", "="},
      {"cut and paste through the clipboard change the block",
       {"select header 14 10", "menu header", "cut", "select header 0 0", "menu footer", "select footer 0 0", "paste"},
       {}, tree_both + "@Standard", "On Error GoTo _Err|Standard.hdr",
       "%ProcName%%ProcName%_Err:\r\n    MsgBox Err.Description|Standard.ftr", true, "", "menu mnuEdit\nmenu mnuEdit", "="},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EditorRig rig;
    rig.editor.Fill();
    for (platform::MsgBoxResult answer : row.answers) rig.rig.dialogs.Answer(answer);
    for (const std::string& step : row.steps) rig.Act(step);
    auto shown = [](const RichTextBox& box) {
      return box.text + "|" + std::filesystem::path(box.file_name).filename().string();
    };
    std::istringstream rendered(rig.editor.Tree().Render());
    std::vector<std::string> lines;
    for (std::string line; std::getline(rendered, line);) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    std::string tree;
    for (const std::string& line : lines) tree += line + "\n";
    EXPECT_EQ(tree + "@" + rig.editor.Tree().SelectedKey(), row.tree);
    EXPECT_EQ(shown(rig.editor.rtfHeader), row.header);
    EXPECT_EQ(shown(rig.editor.rtfFooter), row.footer);
    EXPECT_EQ(rig.editor.Dirty(), row.dirty);
    std::string asked;
    for (const platform::MessageBox& box : rig.rig.dialogs.Asked()) asked += box.prompt + "\n";
    if (row.asked == "*") EXPECT_FALSE(asked.empty());
    else EXPECT_EQ(asked, row.asked);
    std::string log;
    for (const std::string& entry : rig.view.log) log += (log.empty() ? "" : "\n") + entry;
    EXPECT_EQ(log, row.log);
    EXPECT_EQ(rig.Files(), row.files == "=" ? standard_files : row.files);
    // Yes to that question re-applies the template to the project.
    EXPECT_EQ(rig.updates, row.asked.starts_with("Do you wish to change all inserted") ? 1 : 0);
  }
}

TEST(TemplateEditor, PageStateFollowsTheNodeAndTheMenus) {
  EditorRig rig;
  rig.editor.Fill();
  // The comment header stretches the header editor over the hidden footer and locks the markers.
  rig.Act("down left CommentHeader@");
  EXPECT_TRUE(rig.editor.rtfHeader.stretched);
  EXPECT_FALSE(rig.editor.rtfFooter.visible);
  EXPECT_FALSE(rig.block_start.enabled || rig.block_end.enabled);
  EXPECT_EQ(rig.editor.rtfHeader.tag, kCommentTag);
  rig.Act("type header ' %ProcName%");
  rig.Act("save");
  EXPECT_EQ(rig.rig.gildex.CommentTemplate(), "' %ProcName%");
  rig.Act("down left Logging");
  EXPECT_FALSE(rig.editor.rtfHeader.stretched);
  EXPECT_TRUE(rig.editor.rtfFooter.visible && rig.block_start.enabled && rig.block_end.enabled);
  EXPECT_EQ(rig.editor.rtfHeader.red, (std::vector<ColourSpan>{{58, 10, kRed}}));

  // Empty space offers only "Add"; the default template's node checks "Set as Default".
  rig.Act("down right -");
  EXPECT_EQ((std::vector<MenuItem>{rig.editor.mnuTemplatesAdd, rig.editor.mnuTemplatesRename,
                                   rig.editor.mnuTemplatesDelete, rig.editor.mnuTemplatesDefault}),
            (std::vector<MenuItem>{{true, false}, {false, false}, {false, false}, {false, false}}));
  rig.Act("down right Standard");
  EXPECT_EQ(rig.editor.mnuTemplatesDefault, (MenuItem{true, true}));
  const int apply_enabled = rig.apply_enabled;
  rig.Act("default");
  EXPECT_EQ(rig.apply_enabled, apply_enabled) << "the default already";

  // Cut and Copy need a selection, Paste a clipboard with more than blanks, Launch Editor a
  // program that exists.
  struct MenuRow {
    std::size_t selection;
    std::string clipboard, editor_path;
    bool cut, paste, launch;
  };
  for (const MenuRow& row : std::vector<MenuRow>{{0, "", "", false, false, false},
                                                 {3, "   ", "/usr/bin/gone", true, false, false},
                                                 {1, "x", "/usr/bin/editor", true, true, true}}) {
    rig.editor.rtfFooter.sel_length = row.selection;
    rig.clipboard.SetText(row.clipboard);
    rig.editor_path = row.editor_path;
    rig.Act("menu footer");
    EXPECT_EQ(rig.editor.EditMenuTag(), "Footer");
    EXPECT_EQ((std::vector<bool>{rig.editor.mnuEditCut.enabled, rig.editor.mnuEditCopy.enabled,
                                 rig.editor.mnuEditPaste.enabled, rig.editor.mnuEditLaunchEditor.enabled}),
              (std::vector<bool>{row.cut, row.cut, row.paste, row.launch})) << row.editor_path;
  }
  rig.Act("launch");
  ASSERT_EQ(rig.started.size(), 1u);
  EXPECT_EQ(rig.started[0], "/usr/bin/editor " + (rig.folder.path / "Standard.ftr").string());
  // Without a configured editor the command says so rather than doing nothing.
  rig.editor_path = " ";
  rig.Act("launch");
  EXPECT_EQ(rig.started.size(), 1u);
  EXPECT_EQ(rig.rig.dialogs.Asked().back().prompt,
            "No external editor is configured: choose one under \"External Editor\" on the Template Options page.");

  // A missing footer file: the editor says so and is bound to no file, so a save leaves it.
  std::filesystem::remove(rig.folder.path / "Logging.ftr");
  rig.Act("down left Logging");
  EXPECT_EQ(rig.editor.rtfFooter.text, "Cannot find footer template.");
  EXPECT_EQ(rig.editor.rtfFooter.file_name, "");
}

// The files a save writes are checked byte for byte above, and how the store reads them is its own test.
// A file that cannot be written says so and keeps the change to try again.
TEST(TemplateEditor, AFailedSaveSaysSoAndKeepsTheChange) {
  EditorRig rig;
  rig.editor.Fill();
  std::filesystem::remove_all(rig.folder.path);
  platform::testing::WriteBytes(rig.folder.path, "a file where the folder was");
  rig.Act("type header changed");
  rig.Act("save");
  EXPECT_EQ(rig.rig.dialogs.Asked().back().prompt, "Could not save template changes.");
  EXPECT_TRUE(rig.editor.Dirty());
}

}  // namespace
}  // namespace gildex
