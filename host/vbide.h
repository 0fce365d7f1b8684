#pragma once
// The host IDE's extensibility object model as Gildex calls it: the root VBE, projects,
// components, code modules and panes, form designers and their controls, windows, command
// bars and event sources. Lines and columns count from 1. Text is Windows-1252 bytes.
// host/memory_*.h implement all of it in memory over real VB6 files on disk.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/error_report.h"
#include "host/command_bars.h"
#include "host/event.h"

namespace gildex::host {

// Procedure kinds as the host numbers them.
enum class ProcKind : int { Proc = 0, Let = 1, Set = 2, Get = 3 };

enum class ComponentType : int {
  StdModule = 1,
  ClassModule = 2,
  MSForm = 3,
  ResFile = 4,
  VBForm = 5,
  VBMDIForm = 6,
  PropPage = 7,
  UserControl = 8,
  DocObject = 9,
  RelatedDocument = 10,
  ActiveXDesigner = 11,
};

// A failed host call. Numbers are the host's: 35 "Sub or Function not defined" for an
// unknown procedure name/kind pair, 9 "Subscript out of range" for a bad line or index.
class HostError : public VbError {
 public:
  using VbError::VbError;
};

enum class MemberType : int { Method = 1, Property = 2, Variable = 3, Event = 4, Const = 5 };

struct Member {
  std::string name;
  MemberType type = MemberType::Method;
  std::string scope;        // "Public", "Private" or "Friend"
  std::string description;  // from Attribute Name.VB_Description
  long code_location = 0;   // declaration line
};

struct Selection {
  long start_line = 1, start_column = 1, end_line = 1, end_column = 1;
};

class CodeModule;
class VBComponent;
class VBProject;

class CodePane {
 public:
  virtual ~CodePane() = default;
  virtual Selection GetSelection() const = 0;
  virtual void SetSelection(const Selection& selection) = 0;
  virtual CodeModule& Module() = 0;
  // Raised by SetSelection with the selection as kept, so that a window drawing the pane
  // follows the cursor the add-in moves.
  Signal<const Selection&> SelectionSet;
};

// Exactly the text the VB6 code window shows: no file header, no designer block, no hidden
// Attribute lines.
class CodeModule {
 public:
  virtual ~CodeModule() = default;
  virtual std::string Name() const = 0;
  virtual VBComponent& Parent() = 0;
  virtual CodePane& Pane() = 0;

  // The lines joined with CR LF; count 1 gives one line. Throws HostError 9 outside the module.
  virtual std::string Lines(long first, long count) const = 0;
  // One line without a copy, for passes that read every line: the view holds until the
  // module's next edit. Throws HostError 9 outside the module.
  virtual std::string_view Line(long line) const = 0;
  virtual long CountOfLines() const = 0;
  virtual long CountOfDeclarationLines() const = 0;
  // Inserts before `line` (CountOfLines() + 1 appends); text may hold several lines
  // separated by CR LF, LF or CR.
  virtual void InsertLines(long line, std::string_view text) = 0;
  virtual void DeleteLines(long first, long count = 1) = 0;
  virtual void ReplaceLine(long line, std::string_view text) = 0;

  // Name of the procedure containing `line` (empty when none) and its kind.
  virtual std::string ProcOfLine(long line, ProcKind& kind) const = 0;
  // Each throws HostError 35 for a name/kind pair that does not exist.
  virtual long ProcStartLine(std::string_view name, ProcKind kind) const = 0;
  virtual long ProcBodyLine(std::string_view name, ProcKind kind) const = 0;
  virtual long ProcCountLines(std::string_view name, ProcKind kind) const = 0;

  virtual std::vector<Member> Members() const = 0;
  // Searches from (start_line, start_column) to (end_line, end_column); on success the four
  // values are set to the match. end_line/end_column of -1 mean the module's end.
  virtual bool Find(std::string_view target, long& start_line, long& start_column, long& end_line, long& end_column,
                    bool whole_word = false, bool match_case = false, bool pattern_search = false) const = 0;
};

// One property of a designer control, with its value as the form file writes it: strings
// in quotes ("\"OK\""), Booleans as -1 and 0, .frx data as "file.frx":offset. A member of a
// property group is named group.member ("Font.Name").
class Property {
 public:
  virtual ~Property() = default;
  virtual std::string Name() const = 0;
  virtual std::string Value() const = 0;
  // Throws HostError 380 "Invalid property value" for a value the form file cannot hold.
  virtual void SetValue(std::string_view value) = 0;
  // A group's members in the file's order, each named group.member ("Font.Size"); none for a
  // plain property. A group's own Value() is empty.
  virtual std::vector<std::string> MemberNames() const { return {}; }
};

class VBControl {
 public:
  virtual ~VBControl() = default;
  virtual std::string ClassName() const = 0;  // "CommandButton"
  virtual std::string ProgId() const = 0;     // "VB.CommandButton"
  virtual std::string Name() const = 0;
  // Throws HostError 380 for a name that is not a VB identifier of at most 40 characters or
  // that another control (or the form) already has, unless the control joins that control
  // array with an index not taken there. Raises the designer's ControlRenamed; renaming the
  // form itself renames its component instead (ComponentRenamed, Attribute VB_Name).
  virtual void SetName(std::string_view name) = 0;
  virtual int Index() const = 0;  // -1 when not part of a control array
  // The properties the form file holds for the control, in its order; an intrinsic control
  // has those of its class the file leaves out at their defaults too, each where VB6 would
  // write it, reading as its default.
  virtual int PropertyCount() const = 0;
  virtual Property& PropertyAt(int index) = 0;                  // from 1
  // nullptr when absent; "Font.Size" finds a member, "Name" the control's name.
  virtual Property* FindProperty(std::string_view name) = 0;
  // As Property::SetValue, and adds the property when the control does not have it yet. An
  // intrinsic control takes only its class's properties, and a value back at its default
  // takes the line out (HostError 380 for another property, 383 for one only a running
  // program sets).
  virtual void SetPropertyValue(std::string_view name, std::string_view value) = 0;
  virtual VBControl* Container() = 0;                           // nullptr for the form itself
  // As VB6's ZOrder: 0 brings the control to the front of its container's controls, 1 sends it
  // to the back (its block goes after, or before, those of the others in the form file; its
  // tab index stays). HostError 5 for the form, a menu, or another position.
  virtual void ZOrder(int position) = 0;
  // Moves the control, with the controls inside it, onto `container` (a Frame, PictureBox or
  // the form), in front of the controls there; its Left and Top are left for the caller to
  // give in the new container's scale. HostError 5 for a container that cannot hold it.
  virtual void SetContainer(VBControl& container) = 0;
};

class Designer {
 public:
  virtual ~Designer() = default;
  virtual std::vector<VBControl*> Controls() = 0;
  virtual std::vector<VBControl*> SelectedVBControls() = 0;
  virtual void Select(const std::vector<VBControl*>& controls) = 0;
  // A new control of an intrinsic class ("VB.CommandButton" or "CommandButton") inside
  // `container` (the form when null), with the name, place, size, tab index and caption VB6
  // gives one. HostError 711 for a class it cannot make, 5 for a container that is not one.
  virtual VBControl& AddControl(std::string_view class_name, VBControl* container = nullptr) = 0;
  // Raises ControlRemoved, then takes the control and the controls inside it off the form.
  virtual void RemoveControl(VBControl& control) = 0;
  virtual int ScaleMode() const = 0;
  virtual std::string Caption() const = 0;
  // The form (or user control ...) itself, for its own properties.
  virtual VBControl& Form() = 0;
  // Signals of the selected-control events source.
  Signal<VBControl&> ControlAdded;
  Signal<VBControl&> ControlRemoved;
  Signal<VBControl&, const std::string& /*old name*/, int /*old index*/> ControlRenamed;
};

class VBComponent {
 public:
  virtual ~VBComponent() = default;
  virtual std::string Name() const = 0;
  virtual void SetName(std::string_view name) = 0;
  virtual ComponentType Type() const = 0;
  virtual CodeModule* Code() = 0;  // nullptr for components without code (resource files)
  virtual Designer* GetDesigner() = 0;  // nullptr for components without a designer
  virtual bool HasOpenDesigner() const = 0;
  virtual std::string FileNames(int index) const = 0;  // index 1: the component's file; "" when never saved
  virtual bool IsReadOnly() const = 0;
  virtual bool IsDirty() const = 0;
  virtual void SaveAs(const std::string& file_name) = 0;
  virtual void Reload() = 0;
  virtual VBProject& Project() = 0;
};

class VBProject {
 public:
  virtual ~VBProject() = default;
  virtual std::string Name() const = 0;
  virtual std::string FileName() const = 0;
  virtual std::string BuildFileName() const = 0;
  virtual int ComponentCount() const = 0;
  virtual VBComponent& Component(int index) = 0;                  // from 1; HostError 9 outside
  virtual VBComponent* FindComponent(std::string_view name) = 0;  // case-insensitive
  virtual VBComponent& AddFromFile(const std::string& file_name) = 0;
  virtual void Remove(VBComponent& component) = 0;
  virtual void MakeCompiledFile() = 0;
  virtual bool IsDirty() const = 0;
  virtual void SaveAs(const std::string& file_name) = 0;

  // Component events and file events of this project.
  Signal<VBComponent&> ComponentAdded;
  Signal<VBComponent&> ComponentRemoved;
  Signal<VBComponent&, const std::string& /*old name*/> ComponentRenamed;
  Signal<VBComponent&> ComponentSelected;
  Signal<VBComponent&> ComponentActivated;
  Signal<VBComponent&> ComponentReloaded;
  // Raised before the host writes a file; a handler may set cancel to stop the write.
  Signal<const std::string& /*file name*/, bool& /*cancel*/> RequestWriteFile;
};

enum class WindowType : int { CodeWindow = 0, Designer = 1, Other = 2 };

class Window {
 public:
  virtual ~Window() = default;
  virtual WindowType Type() const = 0;
  virtual std::string Caption() const = 0;
  virtual void Close() = 0;
};

class VBE {
 public:
  virtual ~VBE() = default;
  virtual int ProjectCount() const = 0;
  virtual VBProject& Project(int index) = 0;  // from 1
  virtual VBProject* ActiveVBProject() = 0;
  virtual VBComponent* SelectedVBComponent() = 0;
  virtual CodePane* ActiveCodePane() = 0;
  virtual std::vector<Window*> Windows() = 0;
  virtual CommandBars& Bars() = 0;
  virtual std::string MainWindowCaption() const = 0;

  // Project events.
  Signal<VBProject&> ProjectAdded;
  Signal<VBProject&> ProjectRemoved;
  Signal<VBProject&, const std::string& /*old name*/> ProjectRenamed;
  Signal<VBProject&> ProjectActivated;
};

}  // namespace gildex::host
