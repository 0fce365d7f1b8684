#pragma once
// The "Script" page of the options dialog without a toolkit: the script list `cboScripts`
// (the files of the program's "Scripts" folder; its edit field names the script to save),
// "&New", "&Save", "&Validate" and the script editor `rtfScript`, whose text becomes the
// script host's Script when the dialog applies.
#include <filesystem>
#include <functional>
#include <string_view>

#include "common/error_report.h"
#include "templates/scripter.h"
#include "templates/template_editor.h"

namespace gildex {

// What a new script starts as.
inline constexpr std::string_view kNewScriptText = "Function Process(ProcCode)\r\n  Process =\r\nEnd Function";
inline constexpr std::string_view kScriptsFolderName = "Scripts";

class ScriptPage {
 public:
  ScriptPage(clsScripter& scripter, ErrorReport& report, std::filesystem::path program_folder,
             std::function<void()> enable_apply)
      : scripter_(scripter),
        report_(report),
        folder_(std::move(program_folder) / std::string(kScriptsFolderName)),
        enable_apply_(std::move(enable_apply)) {}

  const std::filesystem::path& Folder() const { return folder_; }
  // Lists the scripts folder (made first when missing) into cboScripts; its text stays.
  void LoadScripts();
  // Loads the chosen script into the editor.
  void cboScripts_Click(int index);
  void cmdNewScript_Click();
  // Writes the editor's text under the name in the list's edit field.
  void cmdSaveScript_Click();
  // Checks the editor's text and shows "Script is OK" or what is wrong.
  void cmdValidate_Click();
  // Tab goes into the text (true: the key was taken).
  bool rtfScript_KeyDown(int key_code);
  // A character typed: the script can be saved, and the dialog applied.
  void rtfScript_KeyPress();

  DialogControl cboScripts{-1, {}, {}, true, true};
  DialogControl cmdSaveScript{0, "&Save", {}, false, true};
  RichTextBox rtfScript;

 private:
  void Say(const std::string& prompt, int style);
  clsScripter& scripter_;
  ErrorReport& report_;
  std::filesystem::path folder_;
  std::function<void()> enable_apply_;
};

}  // namespace gildex
