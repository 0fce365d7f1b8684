#pragma once
// The "Template Editor" page of the options dialog without a toolkit: the template tree, the
// header and footer editors (which also hold the comment header), the code-body marker
// fields, the two pop-up menus and the dirty flag with its questions. A window draws what the
// model holds, pushes the user's typing into the editors' `text` and selection, and forwards
// the user's actions to the handlers named after the controls' events.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/error_report.h"
#include "engine/gildex.h"
#include "platform/clipboard.h"
#include "templates/template_tree.h"

namespace gildex {

// One control of a dialog as the model keeps it: a check box's value (0 clear, 1 ticked,
// 2 greyed) or a list's index (-1 none), a text box's or a combo's text, a list's items.
struct DialogControl {
  int value = 0;
  std::string text;
  std::vector<std::string> items;
  bool enabled = true;
  bool visible = true;
  bool operator==(const DialogControl&) const = default;
};

inline constexpr std::uint32_t kBlack = 0x000000;
inline constexpr std::uint32_t kRed = 0xFF0000;  // RGB(255, 0, 0), as 0xRRGGBB

// A run of an editor's text in one colour: byte offsets from 0 into the Windows-1252 text.
struct ColourSpan {
  std::size_t start = 0;
  std::size_t length = 0;
  std::uint32_t rgb = kBlack;
  bool operator==(const ColourSpan&) const = default;
};

// The template variables the editors colour, in the order they are looked for.
inline constexpr std::string_view kHighlightedVariables[] = {
    "%sProcName%", "%sModule%",  "%ModuleName%", "%ProcName%", "%FileName%", "%ProcType%", "%SourceProject%",
    "%ProjectName%", "%AppName%", "%Scope%",     "%PrevLine%", "%User%",     "%Date%",     "%Time%"};

// Every occurrence of the variables in `text`, found without regard to letter case, as red
// spans in text order (overlapping finds merged); the rest of the text is black.
std::vector<ColourSpan> VariableSpans(std::string_view text);

// A rich-text editor of the page. Text uses CR LF between lines, as the files do.
struct RichTextBox {
  std::string text;
  std::size_t sel_start = 0;   // from 0
  std::size_t sel_length = 0;
  std::string file_name;       // the file the text came from; empty: none
  std::string tag;             // "Comment@" while the header editor holds the comment header
  bool visible = true;
  bool enabled = true;
  bool stretched = false;      // the header editor reaching down over the hidden footer editor
  std::vector<ColourSpan> red; // what Highlight coloured; the view paints these red
  bool operator==(const RichTextBox&) const = default;
};

// The state of a pop-up menu's commands.
struct MenuItem {
  bool enabled = true;
  bool checked = false;
  bool operator==(const MenuItem&) const = default;
};

inline constexpr const char* kCommentTag = "Comment@";
inline constexpr const char* kNewTemplateKey = "NewTemplate";
inline constexpr const char* kTemplateMenu = "mnuTemplates";
inline constexpr const char* kEditMenu = "mnuEdit";
inline constexpr int kTabKey = 9;
enum MouseButton : int { vbLeftButton = 1, vbRightButton = 2 };

// What only a window can do for the editor.
class TemplateEditorView {
 public:
  virtual ~TemplateEditorView() = default;
  // Starts editing the label of the node `key`; the window reports the end of the edit
  // through tvwTemplates_AfterLabelEdit.
  virtual void StartLabelEdit(const std::string& key) = 0;
  // Shows kTemplateMenu or kEditMenu at the pointer, with the items as the model has them.
  virtual void PopupMenu(const std::string& menu) = 0;
};

// What the editor needs of the dialog it sits on.
struct TemplateEditorHost {
  std::function<void()> enable_apply;
  std::function<std::string()> template_path_shown;   // the text of txtTemplatePath
  std::function<std::string()> editor_path;            // the text of txtEditorPath
  std::function<void()> update_project_templates;      // UpdateProjectTemplates over the IDE
  // Starts the external editor on a file; platform::StartProgram when not given.
  std::function<void(const std::string& program, const std::string& file)> start_program;
  // Whether the external editor exists; platform::ProgramExists when not given.
  std::function<bool(const std::string& program)> program_exists;
};

class TemplateEditor {
 public:
  enum Editor { Header, Footer };

  TemplateEditor(CGildex& engine, ErrorReport& report, platform::Clipboard& clipboard, DialogControl& block_start,
                 DialogControl& block_end, TemplateEditorHost host);
  TemplateEditor(const TemplateEditor&) = delete;
  TemplateEditor& operator=(const TemplateEditor&) = delete;
  void SetView(TemplateEditorView* view) { view_ = view; }

  // What the dialog's display does: the tree refilled, the editors back to a template's
  // layout with the default template loaded, the dirty flag clear and the editors enabled.
  void Fill();
  // Loads NAME.hdr and NAME.ftr of the templates folder into the editors, whole (a preamble
  // included), and colours them; a missing file leaves its editor bound to no file and
  // saying so.
  void LoadTemplates(const std::string& name);
  void Highlight(Editor editor);
  // Writes the block or comment header being edited (see the page's rules); a write that
  // fails says "Could not save template changes." and leaves the flag set.
  void SaveTemplate();
  void EditingControls(bool enabled);

  // Tree events. `key` is the node's key; MouseDown takes an empty key for empty space.
  void tvwTemplates_NodeClick(const std::string& key);
  void tvwTemplates_MouseDown(MouseButton button, const std::string& key);
  // The end of a label edit on the selected node; false when the edit is refused (the
  // label goes back to what it was).
  bool tvwTemplates_AfterLabelEdit(const std::string& new_text);

  // The template menu.
  void mnuTemplatesAdd_Click();
  void mnuTemplatesRename_Click();
  void mnuTemplatesDelete_Click();
  void mnuTemplatesDefault_Click();

  // Editor events. KeyDown returns true when the key was taken (Tab goes into the text).
  bool rtfHeader_KeyDown(int key_code) { return EditorKeyDown(Header, key_code, "frmOptions.rtfHeader_KeyDown"); }
  bool rtfFooter_KeyDown(int key_code) { return EditorKeyDown(Footer, key_code, "frmOptions.rtfFooter_KeyDown"); }
  void rtfHeader_LostFocus() { Highlight(Header); }
  void rtfFooter_LostFocus() { Highlight(Footer); }
  void rtfHeader_MouseDown(MouseButton button) { EditorMouseDown(Header, button, "frmOptions.rtfHeader_MouseDown"); }
  void rtfFooter_MouseDown(MouseButton button) { EditorMouseDown(Footer, button, "frmOptions.rtfFooter_MouseDown"); }

  // The edit menu, on the editor its tag names.
  void mnuEditCut_Click();
  void mnuEditCopy_Click();
  void mnuEditPaste_Click();
  void mnuEditSaveNow_Click() { SaveTemplate(); }
  void mnuEditLaunchEditor_Click();
  void mnuEditUpdate_Click();

  const TextTemplateTree& Tree() const { return tree_; }
  RichTextBox rtfHeader, rtfFooter;
  bool Dirty() const { return dirty_; }
  void Dirty(bool value) { dirty_ = value; }
  // The tree key of the default template; empty when there is none.
  const std::string& DefaultTemplateKey() const { return default_key_; }
  // The template menu's "&Add New Template", "&Rename Template", "&Delete Template",
  // "Set as D&efault", and the edit menu's items.
  MenuItem mnuTemplatesAdd, mnuTemplatesRename, mnuTemplatesDelete, mnuTemplatesDefault;
  MenuItem mnuEditCut, mnuEditCopy, mnuEditPaste, mnuEditSaveNow, mnuEditLaunchEditor, mnuEditUpdate;
  // "Header" or "Footer": the editor that opened the edit menu.
  const std::string& EditMenuTag() const { return edit_menu_tag_; }

 private:
  RichTextBox& Box(Editor editor) { return editor == Header ? rtfHeader : rtfFooter; }
  RichTextBox& MenuBox() { return edit_menu_tag_ == "Footer" ? rtfFooter : rtfHeader; }
  bool EditorKeyDown(Editor editor, int key_code, const char* name);
  void EditorMouseDown(Editor editor, MouseButton button, const char* name);
  void ShowTemplateLayout();
  bool IsTemplateNode(const std::string& key) const;
  // The templates folder the page shows, ending with a separator.
  std::string FolderShown() const;
  bool WriteBlocks(bool new_files, const std::string& name);
  void ClearEditors();
  void Ask(const std::string& prompt, int style, platform::MsgBoxResult& answer);
  void Say(const std::string& prompt, int style);
  void EnableApply() {
    if (host_.enable_apply) host_.enable_apply();
  }

  CGildex& engine_;
  ErrorReport& report_;
  platform::Clipboard& clipboard_;
  DialogControl& block_start_;
  DialogControl& block_end_;
  TemplateEditorHost host_;
  TemplateEditorView* view_ = nullptr;
  TextTemplateTree tree_{kOptionsFormName};
  std::string default_key_;
  std::string edit_menu_tag_ = "Header";
  bool dirty_ = false;
};

}  // namespace gildex
