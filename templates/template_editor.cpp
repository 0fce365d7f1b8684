#include "templates/template_editor.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/nembus_common.h"
#include "platform/atomic_file.h"
#include "platform/cp1252.h"
#include "platform/process.h"
#include "platform/system.h"
#include "templates/template_rules.h"
#include "templates/template_files.h"

namespace gildex {

namespace fs = std::filesystem;

std::vector<ColourSpan> VariableSpans(std::string_view text) {
  std::vector<ColourSpan> found;
  for (std::string_view variable : kHighlightedVariables)
    for (std::size_t at = cp1252::FindNoCase(text, variable); at != std::string_view::npos;
         at = cp1252::FindNoCase(text, variable, at + 1))
      found.push_back({at, variable.size(), kRed});
  std::sort(found.begin(), found.end(), [](const ColourSpan& a, const ColourSpan& b) { return a.start < b.start; });
  std::vector<ColourSpan> merged;
  for (const ColourSpan& span : found) {
    if (!merged.empty() && span.start <= merged.back().start + merged.back().length)
      merged.back().length = std::max(merged.back().length, span.start + span.length - merged.back().start);
    else
      merged.push_back(span);
  }
  return merged;
}

TemplateEditor::TemplateEditor(CGildex& engine, ErrorReport& report, platform::Clipboard& clipboard,
                               DialogControl& block_start, DialogControl& block_end, TemplateEditorHost host)
    : engine_(engine),
      report_(report),
      clipboard_(clipboard),
      block_start_(block_start),
      block_end_(block_end),
      host_(std::move(host)) {
  if (!host_.start_program)
    host_.start_program = [](const std::string& program, const std::string& file) {
      platform::StartProgram(program, {file});
    };
  if (!host_.program_exists) host_.program_exists = platform::ProgramExists;
}

void TemplateEditor::Say(const std::string& prompt, int style) {
  report_.Dialogs().MsgBox({prompt, style, std::string(kAppTitle)});
}

void TemplateEditor::Ask(const std::string& prompt, int style, platform::MsgBoxResult& answer) {
  answer = report_.Dialogs().MsgBox({prompt, style, std::string(kAppTitle)});
}

std::string TemplateEditor::FolderShown() const {
  std::string folder = host_.template_path_shown ? host_.template_path_shown() : std::string();
  if (TrimSpaces(folder).empty()) return engine_.TemplatePath();
  if (!IsPathSeparator(folder.back())) folder += kPathSeparator;
  return folder;
}

bool TemplateEditor::IsTemplateNode(const std::string& key) const {
  const TemplateTreeNode* node = tree_.Node(key);
  return node != nullptr && node->parent_key == kTemplatesRootKey;
}

void TemplateEditor::Fill() {
  ShowTemplateLayout();
  // With no default template nothing is loaded: nothing of a template shown before may stay.
  ClearEditors();
  dirty_ = false;
  PopulateTree(tree_, engine_, report_, default_key_);
  LoadTemplates(engine_.DefaultTemplate());
  EditingControls(true);
}

void TemplateEditor::ShowTemplateLayout() {
  block_start_.enabled = block_end_.enabled = true;
  rtfFooter.visible = true;
  rtfHeader.stretched = false;
  rtfHeader.tag.clear();
}

void TemplateEditor::LoadTemplates(const std::string& name) {
  report_.Trap("frmOptions.LoadTemplates", [&] {
    if (TrimSpaces(name).empty()) return;
    const std::string base = engine_.TemplatePath() + name;
    for (const auto& [editor, extension, missing] :
         {std::tuple{Header, kHeaderExtension, "Cannot find header template."},
          std::tuple{Footer, kFooterExtension, "Cannot find footer template."}}) {
      RichTextBox& box = Box(editor);
      box.sel_start = box.sel_length = 0;
      const std::string file = FindTemplateFile(base + std::string(extension));
      std::optional<std::string> bytes;
      if (!file.empty()) bytes = platform::ReadWholeFile(file);
      if (bytes) {
        box.text = std::move(*bytes);
        box.file_name = file;
        Highlight(editor);
      } else {
        box.file_name.clear();
        box.text = missing;
        box.red.clear();
      }
    }
  });
}

void TemplateEditor::Highlight(Editor editor) {
  report_.Trap("frmOptions.Highlight", [&] { Box(editor).red = VariableSpans(Box(editor).text); });
}

void TemplateEditor::EditingControls(bool enabled) {
  rtfHeader.enabled = rtfFooter.enabled = enabled;
  block_start_.enabled = block_end_.enabled = enabled;
}

bool TemplateEditor::WriteBlocks(bool new_files, const std::string& name) {
  try {
    if (new_files) {
      const std::string base = engine_.TemplatePath() + name;
      const std::string footer = platform::NativePath(base + std::string(kFooterExtension)).string();
      const std::string header = platform::NativePath(base + std::string(kHeaderExtension)).string();
      platform::WriteFileAtomically(footer, rtfFooter.text, 0644, true);
      platform::WriteFileAtomically(header, rtfHeader.text, 0644, true);
      rtfFooter.file_name = footer;
      rtfHeader.file_name = header;
    } else {
      // An editor bound to no file (its file was missing at load) has nothing to write back.
      for (RichTextBox* box : {&rtfHeader, &rtfFooter})
        if (!box->file_name.empty()) platform::WriteFileAtomically(box->file_name, box->text, 0644, true);
    }
    return true;
  } catch (const std::exception&) {
    Say("Could not save template changes.", platform::vbExclamation);
    return false;
  }
}

void TemplateEditor::SaveTemplate() {
  if (rtfHeader.tag == kCommentTag) {
    engine_.CommentTemplate(rtfHeader.text);
    dirty_ = false;
    return;
  }
  const std::string key = tree_.SelectedKey();
  const TemplateTreeNode* node = tree_.Node(key);
  // Only a template's node names files: the root and the comment header never do.
  if (node == nullptr || !IsTemplateNode(key) || TrimSpaces(node->text).empty()) return;
  const std::string name = node->text;
  const bool new_template = FindTemplateFile(engine_.TemplatePath() + name + std::string(kFooterExtension)).empty();
  if (!WriteBlocks(new_template, name)) return;
  dirty_ = false;
  if (new_template) return;
  platform::MsgBoxResult answer = platform::vbNo;
  Ask("Do you wish to change all inserted templates in the current project?", platform::vbYesNo | platform::vbQuestion,
      answer);
  if (answer == platform::vbYes && host_.update_project_templates) host_.update_project_templates();
}

void TemplateEditor::tvwTemplates_NodeClick(const std::string& key) {
  report_.Trap("frmOptions.tvwTemplates_NodeClick", [&] {
    if (key == kCommentHeaderKey) {
      rtfHeader.stretched = true;
      rtfFooter.visible = false;
      block_start_.enabled = block_end_.enabled = false;
      rtfHeader.text = engine_.CommentTemplate();
      rtfHeader.sel_start = rtfHeader.sel_length = 0;
      rtfHeader.tag = kCommentTag;
      Highlight(Header);
    } else if (IsTemplateNode(key)) {
      ShowTemplateLayout();
      LoadTemplates(tree_.Node(key)->text);
    }
  });
}

void TemplateEditor::tvwTemplates_MouseDown(MouseButton button, const std::string& key) {
  report_.Trap("frmOptions.tvwTemplates_MouseDown", [&] {
    if (dirty_) {
      platform::MsgBoxResult answer = platform::vbNo;
      Ask("Do you wish to save your changes?", platform::vbYesNo | platform::vbQuestion, answer);
      if (answer == platform::vbYes) SaveTemplate();
      dirty_ = false;
    }
    if (key.empty() || tree_.Node(key) == nullptr) {
      if (button != vbRightButton) return;
      mnuTemplatesAdd = {};
      mnuTemplatesDefault = mnuTemplatesDelete = mnuTemplatesRename = MenuItem{false, false};
      if (view_ != nullptr) view_->PopupMenu(kTemplateMenu);
      return;
    }
    tree_.Select(key);
    tvwTemplates_NodeClick(key);
    if (button == vbRightButton && IsTemplateNode(key)) {
      mnuTemplatesAdd = mnuTemplatesRename = mnuTemplatesDelete = {};
      mnuTemplatesDefault = MenuItem{true, tree_.Node(key)->image == kImageDefault};
      if (view_ != nullptr) view_->PopupMenu(kTemplateMenu);
    }
  });
}

bool TemplateEditor::tvwTemplates_AfterLabelEdit(const std::string& new_text) {
  const std::string key = tree_.SelectedKey();
  if (!IsTemplateNode(key) || new_text.empty()) return false;
  for (const TemplateTreeNode& node : tree_.Nodes()) {
    if (node.key != key && cp1252::EqualsNoCase(node.key, new_text)) {
      Say("There is already a template called " + new_text + ", please select another name.", platform::vbOKOnly);
      return false;
    }
  }
  // The name becomes two file names: one that could not be a file name is refused here.
  if (const std::string problem = TemplateNameProblem(new_text); !problem.empty()) {
    Say(problem, platform::vbExclamation);
    return false;
  }
  tree_.Rename(key, new_text);
  return true;
}

void TemplateEditor::ClearEditors() {
  for (RichTextBox* box : {&rtfHeader, &rtfFooter}) {
    box->text.clear();
    box->file_name.clear();
    box->red.clear();
    box->sel_start = box->sel_length = 0;
  }
}

void TemplateEditor::mnuTemplatesAdd_Click() {
  if (tree_.Node(kNewTemplateKey) != nullptr) return;
  tree_.AddNode(kTemplatesRootKey, kNewTemplateKey, "New Template", kImageTemplate);
  tree_.Select(kNewTemplateKey);
  // The new template's blocks go into a template's layout, never into the comment header.
  ShowTemplateLayout();
  ClearEditors();
  if (view_ != nullptr) view_->StartLabelEdit(kNewTemplateKey);
}

void TemplateEditor::mnuTemplatesRename_Click() {
  if (IsTemplateNode(tree_.SelectedKey()) && view_ != nullptr) view_->StartLabelEdit(tree_.SelectedKey());
}

void TemplateEditor::mnuTemplatesDelete_Click() {
  const std::string key = tree_.SelectedKey();
  if (!IsTemplateNode(key)) return;
  const std::string text = tree_.Node(key)->text;
  platform::MsgBoxResult answer = platform::vbNo;
  Ask("Are you sure you want to delete the " + text + " template?", platform::vbYesNo | platform::vbQuestion, answer);
  if (answer != platform::vbYes) return;
  report_.Trap("frmOptions.mnuTemplatesDelete_Click", [&] {
    const std::string base = FolderShown() + text;
    for (std::string_view extension : {kHeaderExtension, kFooterExtension}) {
      const std::string file = FindTemplateFile(base + std::string(extension));
      std::error_code error;
      if (!file.empty() && !fs::remove(file, error) && error)
        throw VbError(75, "Path/File access error (" + file + ": " + error.message() + ")");
    }
    if (key == default_key_) {
      default_key_.clear();
      engine_.DefaultTemplate("");
      engine_.HeaderCode("");
      engine_.FooterCode("");
    }
    ClearEditors();
    dirty_ = false;
    tree_.Remove(key);
    const std::vector<std::string> left = tree_.Children(kTemplatesRootKey);
    if (!left.empty()) {
      tree_.Select(left.front());
      tvwTemplates_NodeClick(left.front());
    }
  });
}

void TemplateEditor::mnuTemplatesDefault_Click() {
  const std::string key = tree_.SelectedKey();
  if (mnuTemplatesDefault.checked || !IsTemplateNode(key)) return;
  if (tree_.Node(default_key_) != nullptr) tree_.SetImage(default_key_, kImageTemplate);
  default_key_ = key;
  engine_.DefaultTemplate(key);
  tree_.SetImage(key, kImageDefault);
  mnuTemplatesDefault.checked = true;
  EnableApply();
}

bool TemplateEditor::EditorKeyDown(Editor editor, int key_code, const char* name) {
  return report_.Trap(name, false, [&] {
    RichTextBox& box = Box(editor);
    dirty_ = true;
    EnableApply();
    if (key_code != kTabKey) return false;
    const std::size_t start = std::min(box.sel_start, box.text.size());
    box.text.replace(start, std::min(box.sel_length, box.text.size() - start), "\t");
    box.sel_start = start + 1;
    box.sel_length = 0;
    return true;
  });
}

void TemplateEditor::EditorMouseDown(Editor editor, MouseButton button, const char* name) {
  report_.Trap(name, [&] {
    if (button != vbRightButton) return;
    edit_menu_tag_ = editor == Header ? "Header" : "Footer";
    const RichTextBox& box = Box(editor);
    mnuEditCut.enabled = mnuEditCopy.enabled = box.sel_length > 0;
    mnuEditPaste.enabled = !TrimSpaces(clipboard_.GetText()).empty();
    const std::string editor_path = host_.editor_path ? host_.editor_path() : std::string();
    mnuEditLaunchEditor.enabled = !TrimSpaces(editor_path).empty() && host_.program_exists(editor_path);
    if (view_ != nullptr) view_->PopupMenu(kEditMenu);
  });
}

void TemplateEditor::mnuEditCopy_Click() {
  report_.Trap("frmOptions.mnuEditCopy_Click", [&] {
    const RichTextBox& box = MenuBox();
    if (box.sel_start >= box.text.size() || box.sel_length == 0) return;
    clipboard_.Clear();
    clipboard_.SetText(box.text.substr(box.sel_start, box.sel_length));
  });
}

void TemplateEditor::mnuEditCut_Click() {
  report_.Trap("frmOptions.mnuEditCut_Click", [&] {
    RichTextBox& box = MenuBox();
    if (box.sel_start >= box.text.size() || box.sel_length == 0) return;
    clipboard_.Clear();
    clipboard_.SetText(box.text.substr(box.sel_start, box.sel_length));
    box.text.erase(box.sel_start, box.sel_length);
    box.sel_length = 0;
    // The block changed as much as by typing: leaving it must offer to save.
    dirty_ = true;
    EnableApply();
  });
}

void TemplateEditor::mnuEditPaste_Click() {
  report_.Trap("frmOptions.mnuEditPaste_Click", [&] {
    const std::string pasted = clipboard_.GetText();
    if (TrimSpaces(pasted).empty()) return;
    RichTextBox& box = MenuBox();
    const std::size_t start = std::min(box.sel_start, box.text.size());
    box.text.replace(start, std::min(box.sel_length, box.text.size() - start), pasted);
    box.sel_start = start + pasted.size();
    box.sel_length = 0;
    dirty_ = true;
    EnableApply();
  });
}

void TemplateEditor::mnuEditLaunchEditor_Click() {
  report_.Trap("frmOptions.mnuEditLaunchEditor_Click", [&] {
    const std::string editor_path = host_.editor_path ? host_.editor_path() : std::string();
    if (TrimSpaces(editor_path).empty())
      return Say("No external editor is configured: choose one under \"External Editor\" on the Template Options page.",
                 platform::vbExclamation);
    if (!host_.program_exists(editor_path))
      return Say("The external editor " + editor_path + " does not exist or cannot be run.", platform::vbExclamation);
    const RichTextBox& box = MenuBox();
    if (box.file_name.empty())
      return Say("This block has no file yet: save the template first (Save Now..).", platform::vbExclamation);
    host_.start_program(editor_path, box.file_name);
  });
}

void TemplateEditor::mnuEditUpdate_Click() {
  if (host_.update_project_templates) host_.update_project_templates();
}

}  // namespace gildex
