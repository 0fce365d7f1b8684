#pragma once
// The designer block of a form, user control, property page or designer file:
//   Begin VB.Form frmMain
//      Caption         =   "Orders"
//      BeginProperty Font
//         Name            =   "Tahoma"
//      EndProperty
//      Icon            =   "frmMain.frx":0000
//      Begin VB.CommandButton cmdOK
//         ...
//      End
//   End
// parsed into controls (class, name, index, properties in order, nested controls,
// property groups, .frx references) for the form commands. The file's bytes stay in the
// header lines; the edits below change only the lines they are about and keep the model's
// line numbers in step, so everything else (and every .frx offset) stays as it was.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/source_lines.h"

namespace gildex::host {

struct FrxReference {
  std::string file;        // as written: "frmMain.frx"
  unsigned long offset = 0;  // the hex number after the colon
  bool string_list = false;  // written $"file":offset
};

struct DesignerProperty {
  std::string name;   // "Caption", or "Font" for a BeginProperty group
  std::string value;  // text after "=", trimmed, quotes kept as written; empty for a group
  std::optional<FrxReference> frx;
  std::vector<DesignerProperty> group;  // the members of a BeginProperty ... EndProperty group
  bool is_group = false;
  std::string group_guid;  // "{0BE35203-8F91-11CE-9DE3-00AA004BB851}" after the group name, if any
  long line = 0;           // 1-based line of the file where the property (or group) starts
  long end_line = 0;       // 1-based line of a group's EndProperty; `line` for a plain property
};

struct DesignerControl {
  std::string prog_id;  // "VB.CommandButton", "MSComctlLib.ListView"
  std::string name;
  int index = -1;  // from the Index property; -1 when not in a control array
  std::vector<DesignerProperty> properties;
  std::vector<std::unique_ptr<DesignerControl>> children;
  DesignerControl* container = nullptr;
  long begin_line = 0, end_line = 0;  // 1-based lines in the file

  std::string ClassName() const;  // the part of prog_id after the last '.'
  const DesignerProperty* Find(const std::string& name) const;  // case-insensitive
  DesignerProperty* Find(const std::string& name);
};

struct DesignerBlock {
  std::unique_ptr<DesignerControl> root;  // the form / user control itself
  // Every control below the root, depth first, in file order.
  std::vector<DesignerControl*> AllControls() const;
};

// The outcome of reading one Begin ... End block of a file's header.
struct DesignerParse {
  std::unique_ptr<DesignerBlock> block;  // null when the block is broken
  std::size_t end = 0;  // index of the first line after the block (after its End when it has one)
  long error_line = 0;  // 1-based line the error names; 0 when the block is sound
  std::string error;    // "Begin VB.CommandButton cmdOK at line 12 has no End"
};
// Reads the block whose Begin line is lines[first]; lines[0] is line 1 of the file. A
// class's BEGIN ... END block reads as a root control with no prog_id and no name.
DesignerParse ParseDesignerBlock(const std::vector<RawLine>& lines, std::size_t first);

// ---- edits ----
// Each takes the lines the block was read from (lines[0] is line 1 of the file), changes
// whole lines only, and moves the line numbers of the block's controls and properties below
// the change. New lines take the line end of the line they are inserted before. Checking
// that an edit makes sense (names, values) is the caller's business.

// Puts `name` in place of the name on the control's Begin line; every other byte stays.
void RenameControlLine(std::vector<RawLine>& lines, DesignerControl& control, std::string_view name);

// Sets the property `path` ({"Caption"}, or {"Font", "Name"} for a member of a group) to
// `value`, written as the file writes it. An existing line keeps its indentation, padding
// and, while the value stays the same, its trailing comment; a new value gets the comment
// VB6 writes after it ('True, 'False, or the name of an intrinsic control's enumerated value
// such as 'Fixed Dialog) when the line had one, or none. A property the control does not have is
// inserted as VB6 writes one: in name order among the properties of an intrinsic (VB.)
// control, after the last property otherwise (and after the last member of a group), always
// before the child controls. Returns false, changing nothing, when `path` names a group
// that does not exist or a group itself.
bool SetPropertyLine(std::vector<RawLine>& lines, DesignerBlock& block, DesignerControl& control,
                     const std::vector<std::string>& path, std::string_view value);
// Adds the property group `name` ("Font") with its `members` (name, value as the file writes
// them) where SetPropertyLine would put a property of that name: "BeginProperty Font " as VB6
// writes it, one line a member (Booleans with their 'True or 'False) and "EndProperty". The
// control must not have a property of that name yet.
DesignerProperty& InsertGroupLines(std::vector<RawLine>& lines, DesignerBlock& block, DesignerControl& control,
                                   std::string_view name, const std::vector<std::pair<std::string, std::string>>& members);
// Removes a plain property's line; false when the control has no such property.
bool RemovePropertyLine(std::vector<RawLine>& lines, DesignerBlock& block, DesignerControl& control, std::string_view name);

// Adds a control as the last child of `container` (before its menus, which VB6 keeps last):
// its Begin line, one line for each (name, value) in the order given (with the comments VB6
// writes after Booleans and enumerated values), and its End line.
DesignerControl& InsertControlLines(std::vector<RawLine>& lines, DesignerBlock& block, DesignerControl& container,
                                    std::string_view prog_id, std::string_view name,
                                    const std::vector<std::pair<std::string, std::string>>& properties);
// Takes the control's Begin ... End lines (children included) out of the file and the
// control out of its container; returns it, detached.
std::unique_ptr<DesignerControl> RemoveControlLines(std::vector<RawLine>& lines, DesignerBlock& block,
                                                    DesignerControl& control);

// Moves the control's Begin ... End lines (children included) into `container` (its own or
// another, never one inside the control itself) as its child number `position` (0 first,
// counted without the control; past the last control goes before the menus, which VB6 keeps
// last). The lines keep their bytes but for the indentation, which follows the new depth
// three blanks a level. In a form file the order of a container's controls is their z-order:
// the last is on top.
void MoveControlLines(std::vector<RawLine>& lines, DesignerBlock& block, DesignerControl& control,
                      DesignerControl& container, std::size_t position);

// The value as a designer line carries it: the text after "=" without blanks around it
// and without a trailing comment such as 'True; quoted strings are kept as written.
std::string DesignerValueText(std::string_view after_equals);
// A string value as the property window shows it: quotes gone, doubled quotes single; any
// other value as it is.
std::string DesignerStringText(std::string_view value);
// The other way: `text` as a designer line writes a string, quotes doubled.
std::string DesignerStringLiteral(std::string_view text);
// Whether `value` is such a literal: in quotes, every inner quote doubled.
bool IsDesignerStringLiteral(std::string_view value);
// The whole value as a finite number, as the form file writes one; nothing for any other text.
std::optional<double> DesignerNumber(std::string_view value);
// "frmMain.frx":00A6 or $"frmMain.frx":00A6; nothing for any other value.
std::optional<FrxReference> ParseFrxReference(std::string_view value);

}  // namespace gildex::host
