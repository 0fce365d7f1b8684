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

// Why the last run answered errSYNTAX_ERR: the script's error, or a result that is no text.
struct ScriptFailure {
  long number = 0;
  std::string description;
  // Steps, call depth or string space ran out: the script would most likely run out again
  // on the next procedure, so the driver stops running it.
  bool limit = false;
};

class ScriptRunner {
 public:
  virtual ~ScriptRunner() = default;
  // Runs "Function Process(ProcCode)" on the procedure's text; on errSCRIPT_OK `new_text`
  // holds the text that replaces the procedure.
  virtual ScriptErrors RunProcess(const std::string& proc_code, std::string& new_text) = 0;
  // After a run that answered errSYNTAX_ERR; a runner that cannot tell gives number 0.
  virtual ScriptFailure LastFailure() const { return {}; }
};

}  // namespace gildex
