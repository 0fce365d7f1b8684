#pragma once
// The design-time properties of VB6's intrinsic classes (the toolbox's controls, the form, MDI
// form, user control, property page and menu): for each its type, its default as the form
// file writes it, the names VB6 writes after an enumerated value, and whether VB6 writes it
// at any value. A form file lists only what differs from these defaults, so the designer reads
// a property the file leaves out as its default and takes the line out when a value goes back
// to it. ActiveX controls have no catalogue here: they have what their files list.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gildex::host {

enum class PropertyType {
  Boolean,      // -1 'True, 0 'False
  Integer,      // a whole number of 16 bits
  Long,         // a whole number of 32 bits
  Single,       // a number: positions and sizes
  Colour,       // &H8000000F&
  String,       // "text", quotes doubled inside; a long one kept in the .frx
  Enumeration,  // 1 'Fixed Single
  Font,         // the BeginProperty Font group
  Picture,      // "file.frx":offset, or none
  List,         // the items of a list box kept in the .frx, or none
  Text,         // written as it is: a menu's Shortcut (^X, {F2})
};

struct CatalogueProperty {
  std::string name;
  PropertyType type = PropertyType::Text;
  // As the form file writes it, without the comment: "-1", "&H8000000F&", "\"\"", "1". Empty
  // for a property without one: a picture or list (none), or a place or size, which VB6
  // always writes.
  std::string default_value;
  std::vector<std::pair<int, std::string>> values;  // of an enumeration, with their names
  bool always_written = false;  // VB6 writes it at its default too (ClientHeight, Left, a Data control's Connect)
  bool design_time = true;      // false: only a running program sets it (ListIndex, SelText)
};

struct ControlClass {
  std::string name;                           // "TextBox"
  std::vector<CatalogueProperty> properties;  // in name order, the order VB6 writes them in
  // Case-insensitive; nullptr when the class has no such property.
  const CatalogueProperty* Find(std::string_view property) const;
};

// The catalogue of the intrinsic class of `prog_id` ("VB.TextBox"); nullptr for any other.
const ControlClass* IntrinsicClass(std::string_view prog_id);
// The members of a Font group in the order VB6 writes them, with the font VB6 gives a new
// control (MS Sans Serif 8.25).
const std::vector<CatalogueProperty>& FontMembers();
// The property at `path` ({"Caption"}, {"Font", "Size"}) of an intrinsic class; nullptr when
// the class has no such property (or only a running program sets it).
const CatalogueProperty* CatalogueFind(std::string_view prog_id, const std::vector<std::string>& path);

// Whether a control reads `property` when its file has no line for it: every catalogued
// property but the places and sizes VB6 always writes.
bool ReadsWithoutLine(const CatalogueProperty& property);
// The properties of a control of `prog_id` whose file lists `listed` (group names for groups),
// in order: those, and the catalogue's others that read without a line, each where VB6 would
// write it.
std::vector<std::string> PropertyNames(std::string_view prog_id, const std::vector<std::string>& listed);

// Whether `name` is a Boolean in every intrinsic class that has it (Enabled, Italic): what a
// property of an ActiveX control of that name is taken to be.
bool BooleanByName(std::string_view name);
// The comment VB6 writes after `value` of `name` ("Fixed Dialog" for 3 of a form's
// BorderStyle, "True" for -1 of a Boolean); `prog_id` empty for a member of a group. Empty when
// VB6 writes none.
std::string ValueComment(std::string_view prog_id, std::string_view name, std::string_view value);

// A value for `property` as the form file keeps it: a string gets its quotes, a colour VB6's
// eight digits (&H000000FF&), True and False their numbers, "" or "(None)" for a picture or
// list its default (no line). Throws HostError 380 for a value of the wrong type or outside an
// enumeration, 383 for a property only a running program sets; `control` names it there.
std::string CatalogueValue(std::string_view control, const CatalogueProperty& property, std::string_view value);

// What writing `value` to `path` of a control of `prog_id` comes to.
struct CatalogueWrite {
  std::string text;             // for its line
  bool is_default = false;      // what the control reads without a line
  bool always_written = false;  // VB6 keeps the line at the default too
};
// Nothing for a control of another class, or for a property its file has (`listed`) that the
// catalogue does not know: those are written as given. Throws as CatalogueValue, and HostError
// 380 for a property the class does not have.
std::optional<CatalogueWrite> CatalogueCheck(std::string_view prog_id, std::string_view control,
                                             const std::vector<std::string>& path, std::string_view value, bool listed);

}  // namespace gildex::host
