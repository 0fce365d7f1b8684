#pragma once
// The code window as VB6 draws it, without any toolkit: the object drop-down ("(General)",
// the form or class itself, its controls), the procedure drop-down of the chosen object,
// which entries the cursor line belongs to, the line an entry leads to, and the colours of
// each line (keywords, comments).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/vbide.h"

namespace gildex::workbench {

inline constexpr std::string_view kGeneral = "(General)";
inline constexpr std::string_view kDeclarations = "(Declarations)";

enum class CodeColour { Plain, Keyword, Comment };

// Columns from 0 over the line's bytes (one byte is one character of Windows-1252).
struct ColourSpan {
  int start = 0;
  int length = 0;
  CodeColour colour = CodeColour::Plain;
  bool operator==(const ColourSpan&) const = default;
};

// The keyword and comment spans of one line (plain text has none). `comment_goes_on` is true
// when the line above was a comment ending in " _", which makes this line a comment too; on
// return it says the same of the next line.
std::vector<ColourSpan> ColourLine(std::string_view line, bool& comment_goes_on);

// The event VB6's designer leads a double-click on a control of `class_name` to, with the
// parameters of its procedure ("" for none); nothing for a class without events (Line, Shape)
// or one not known here.
struct DefaultEvent {
  std::string_view event;
  std::string_view parameters;  // "Action As Integer, Save As Integer"
};
std::optional<DefaultEvent> DefaultEventOf(std::string_view class_name);

// A double-click on `control` (null: the form itself) in the designer of `component`: its
// default event procedure ("Private Sub cmdOK_Click()", a blank line, "End Sub"; "Index As
// Integer" first for a member of a control array) is added after the last procedure when the
// code has none yet, through the code module so that the add-in hears of it as of any edit.
// Returns the line the cursor goes to, inside the procedure; 0 for a control without events.
long OpenDefaultEvent(host::VBComponent& component, host::VBControl* control);

struct ProcedureEntry {
  std::string caption;  // "Click", "RefreshList", "Count [PropertyGet]", "(Declarations)"
  std::string name;     // the procedure's own name; empty for "(Declarations)"
  host::ProcKind kind = host::ProcKind::Proc;
};

// Where a line is: the entries the two drop-downs show for it.
struct CodePlace {
  std::string object;
  std::string procedure;
  bool operator==(const CodePlace&) const = default;
};

class CodeWindowModel {
 public:
  // `component` may be null for a module shown on its own: only "(General)" then.
  CodeWindowModel(host::CodeModule& module, host::VBComponent* component);

  // "(General)", the component itself under the name its event procedures use ("Form",
  // "MDIForm", "UserControl", "Class", ...), then its controls and WithEvents variables by
  // name (a control array once), sorted. Read afresh: controls come and go.
  std::vector<std::string> Objects() const;
  // For "(General)": "(Declarations)" and the procedures that are no event procedure of an
  // object; for an object: its events that have a procedure (Object_Event). Sorted by caption.
  std::vector<ProcedureEntry> Procedures(std::string_view object) const;
  CodePlace PlaceOfLine(long line) const;
  // The line a choice leads to: the first line after a procedure's declaration (its own
  // line when it has no other), line 1 for the declarations, an object's first procedure.
  // 0 when there is nothing to go to.
  long LineOf(std::string_view object, std::string_view procedure) const;

 private:
  struct Proc {
    std::string name;
    host::ProcKind kind;
  };
  std::vector<Proc> AllProcedures() const;
  std::vector<std::string> ObjectNames() const;
  // The object and caption a procedure is listed under.
  CodePlace PlaceOf(const std::string& name, host::ProcKind kind, const std::vector<std::string>& objects) const;

  host::CodeModule& module_;
  host::VBComponent* component_;
};

}  // namespace gildex::workbench
