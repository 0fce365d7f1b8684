#pragma once
// The form's Basic event code carried into a page as client-side VBScript: each control's
// handlers under the browser's event names, Form_Load and Form_UnLoad as the window's, every
// other procedure under its own name, with typed declarations and loop counters commented
// out (the two Basic constructs VBScript rejects most often). Part of clsASPGenerator.
#include <string>
#include <string_view>
#include <vector>

#include "host/vbide.h"

namespace gildex {

struct EventNamePair {
  const char* basic;
  const char* script;
};
inline constexpr EventNamePair kControlEvents[] = {
    {"_Click", "_Click"},         {"_DblClick", "_OnDblClick"}, {"_MouseMove", "_OnMouseOver"},
    {"_MouseUp", "_OnMouseUp"},   {"_KeyDown", "_OnKeyDown"},   {"_KeyPress", "_OnKeyPress"},
    {"_KeyUp", "_OnKeyUp"},
};
// Handlers whose tail is in here were copied already (or are the form's own).
inline constexpr std::string_view kCopiedEvents = "_Click_DblClick_MouseMove_MouseUp_KeyDown_KeyPress_KeyUp_Unload_Load";
inline constexpr std::string_view kScriptWebAddress = "https://gildex.example.org";

// The body of `basic_name` up to its end line, " As " clauses and loop counters commented
// out; empty when there is no body. HostError 35 when the module has no such procedure.
std::string RemoveInvalidVBScript(const std::string& basic_name, const host::CodeModule& module);
// One script Sub named `script_name` carrying `basic_name`'s body; empty when the module has
// no such procedure. Any other host error goes to the caller.
std::string ConvertEventProc(const std::string& basic_name, const std::string& script_name,
                             const host::CodeModule& module);

// The script block's first part (opening tag, comments, the handlers of `control_names` in
// the form's control order, then the window's load and unload) and its second part (every
// other procedure, then the end of the script, body and page).
std::string ScriptPartOne(const std::vector<std::string>& control_names, const host::CodeModule& module);
std::string ScriptPartTwo(const host::CodeModule& module);

// `script` with every "</script" (any letter case) and "<!--" broken so that the page's
// parser can neither end the script block there nor miss its real end: inside a string
// literal the string is split into two joined with &, elsewhere (a comment) a blank goes
// after the "<".
std::string KeepScriptBlockClosed(std::string_view script);

}  // namespace gildex
