#include "templates/script_page.h"

#include <algorithm>
#include <system_error>

#include "common/nembus_common.h"
#include "platform/atomic_file.h"

namespace gildex {

void ScriptPage::Say(const std::string& prompt, int style) {
  report_.Dialogs().MsgBox({prompt, style, std::string(kAppTitle)});
}

void ScriptPage::LoadScripts() {
  report_.Trap("frmOptions.LoadScripts", [&] {
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    cboScripts.items = Files(folder_, "*");
    cboScripts.value = -1;
    for (std::size_t i = 0; i < cboScripts.items.size(); ++i)
      if (cboScripts.items[i] == cboScripts.text) cboScripts.value = static_cast<int>(i);
  });
}

void ScriptPage::cboScripts_Click(int index) {
  report_.Trap("frmOptions.cboScripts_Click", [&] {
    const std::string& name = cboScripts.items.at(static_cast<std::size_t>(index));
    std::optional<std::string> text = platform::ReadWholeFile(folder_ / name);
    if (!text) throw VbError(53, "File not found (" + (folder_ / name).string() + ")");
    cboScripts.value = index;
    cboScripts.text = name;
    rtfScript.text = std::move(*text);
    rtfScript.file_name = (folder_ / name).string();
    rtfScript.sel_start = rtfScript.sel_length = 0;
    cmdSaveScript.enabled = false;
  });
}

void ScriptPage::cmdNewScript_Click() {
  cboScripts.value = -1;
  cboScripts.text.clear();
  rtfScript.text = std::string(kNewScriptText);
  rtfScript.file_name.clear();
  rtfScript.sel_start = rtfScript.sel_length = 0;
  cmdSaveScript.enabled = true;
  if (enable_apply_) enable_apply_();
}

void ScriptPage::cmdSaveScript_Click() {
  report_.Trap("frmOptions.cmdSaveScript_Click", [&] {
    // The name is a file name in the scripts folder, never a path.
    const std::string name = MakeValidFilename(TrimSpaces(cboScripts.text));
    if (TrimSpaces(name).empty() || name == "." || name == "..")
      return Say("Type the script's name into \"Active Script :\" before saving it.", platform::vbExclamation);
    platform::WriteFileAtomically(folder_ / name, rtfScript.text, 0644, true);
    cboScripts.text = name;
    rtfScript.file_name = (folder_ / name).string();
    cmdSaveScript.enabled = false;
    LoadScripts();
  });
}

void ScriptPage::cmdValidate_Click() {
  std::string message;
  ScriptErrors result = errSCRIPT_OK;
  scripter_.CheckScript(rtfScript.text, message, result);
  Say(ValidateMessage(result, message), platform::vbInformation);
}

bool ScriptPage::rtfScript_KeyDown(int key_code) {
  return report_.Trap("frmOptions.rtfScript_KeyDown", false, [&] {
    if (key_code != kTabKey) return false;
    const std::size_t start = std::min(rtfScript.sel_start, rtfScript.text.size());
    rtfScript.text.replace(start, std::min(rtfScript.sel_length, rtfScript.text.size() - start), "\t");
    rtfScript.sel_start = start + 1;
    rtfScript.sel_length = 0;
    rtfScript_KeyPress();
    return true;
  });
}

void ScriptPage::rtfScript_KeyPress() {
  cmdSaveScript.enabled = true;
  if (enable_apply_) enable_apply_();
}

}  // namespace gildex
