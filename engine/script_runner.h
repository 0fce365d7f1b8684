#pragma once
// The user's script as the module driver sees it: a procedure's text goes in, a result code
// and possibly new text come out. The script host of templates/ implements it.
#include <string>

namespace gildex {

enum ScriptErrors : long {
  errSCRIPT_OK = 0,
  errSCRIPT_EMPTY = -1000,
  errSYNTAX_ERR = -1001,
  errINVALID_CONDITION = -1002,
  errSKIP_PROCEDURE = -1003,
  errPROCEDURE_NORMAL = -1004,
  errSTOP_GILDEX = -1999,
};

class ScriptRunner {
 public:
  virtual ~ScriptRunner() = default;
  // Runs "Function Process(ProcCode)" on the procedure's text; on errSCRIPT_OK `new_text`
  // holds the text that replaces the procedure.
  virtual ScriptErrors RunProcess(const std::string& proc_code, std::string& new_text) = 0;
};

}  // namespace gildex
