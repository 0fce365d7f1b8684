#pragma once
// The user's script as the module driver sees it: a procedure's text goes in, a result code
// and possibly new text come out. The script host of templates/ implements it.
#include <cstdint>
#include <functional>
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
  // The user cancelled while the script ran (Ctrl-C, the Cancel button).
  bool cancelled = false;
};

// What one run of Process may take: seconds of wall-clock time (0: no limit), and a question
// asked a few times a second while it runs, true when the user has cancelled.
struct ScriptBudget {
  std::int32_t seconds = 10;
  std::function<bool()> cancelled;
};

class ScriptRunner {
 public:
  virtual ~ScriptRunner() = default;
  // Applies to the runs that follow; a runner that cannot stop a script keeps none.
  virtual void SetBudget(ScriptBudget budget) { (void)budget; }
  // Runs "Function Process(ProcCode)" on the procedure's text; on errSCRIPT_OK `new_text`
  // holds the text that replaces the procedure.
  virtual ScriptErrors RunProcess(const std::string& proc_code, std::string& new_text) = 0;
  // After a run that answered errSYNTAX_ERR; a runner that cannot tell gives number 0.
  virtual ScriptFailure LastFailure() const { return {}; }
};

}  // namespace gildex
