#pragma once
// The form designer, its properties window and toolbox without any window toolkit: where each
// control of a form stands in pixels, what it shows, which one is under the mouse, and the
// edits (select, move, resize, add, delete, set a property) made through the host's designer,
// so that the add-in hears of them as it would in VB6 and the form file changes only in the
// lines an edit is about.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/designer_scale.h"
#include "host/vbide.h"

namespace gildex::workbench {

// How the designer draws a control: one kind per intrinsic class, a labelled box for others.
enum class DrawKind {
  CommandButton, Label, TextBox, CheckBox, OptionButton, Frame, ListBox, ComboBox, PictureBox, Image, Shape,
  Line, HScrollBar, VScrollBar, Timer, DriveListBox, DirListBox, FileListBox, Data, OLE, Menu, Other,
};
DrawKind DrawKindOf(std::string_view class_name);

// The intrinsic classes in the toolbox's order (after its pointer).
const std::vector<std::string>& ToolboxClasses();

// Twips per pixel of the 96-dot screen VB6 forms are laid out for.
constexpr double kTwipsPerPixel = 15;

struct Point {
  int x = 0, y = 0;
};

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool Contains(Point p) const { return p.x >= x && p.y >= y && p.x < x + width && p.y < y + height; }
  bool operator==(const Rect&) const = default;
};

enum class Placement {
  Box,    // Left, Top, Width, Height
  Icon,   // a control unseen at run time (Timer, CommonDialog): a small icon at Left, Top
  Segment,  // a Line: X1, Y1 to X2, Y2
  None,   // a menu: it has no place on the form
};

// One control as the designer draws it. Pixels count from the top left of the form's client
// area.
struct ControlView {
  host::VBControl* control = nullptr;
  std::string name;        // "optStatus(2)" for a member of a control array
  std::string class_name;  // "OptionButton", "ListView"
  DrawKind kind = DrawKind::Other;
  Placement placement = Placement::Box;
  Rect rect;         // a line's bounding box
  Point from, to;    // a line's ends
  Rect clip;         // the inside of its container: what of it can be seen
  Point origin;      // where its container's Left 0, Top 0 is
  bool graphical = false;  // drawn on its container (Label, Image, Shape, Line), below the windowed ones
  std::string text;  // the caption or text it shows
  // What the look depends on, as the form file says (defaults when absent).
  int value = 0;         // CheckBox 1 checked, OptionButton -1 True
  int style = 0;         // ComboBox style; 1 for a graphical CheckBox, OptionButton, CommandButton
  int shape = 0;         // Shape
  int alignment = 0;     // 0 left, 1 right, 2 centre
  int border_style = 1;  // 0 none
  bool three_d = true;   // Appearance 1
  bool opaque = true;    // BackStyle 1: its back colour hides what is behind it (a Shape's is 0)
  std::optional<std::uint32_t> back_color, fore_color;  // 0xRRGGBB
};

// Resize handles of a selected control, clockwise from the top left.
enum class Handle { None, TopLeft, Top, TopRight, Right, BottomRight, Bottom, BottomLeft, Left };
// The handle squares (6 pixels) around `rect`, and which of them holds `p`.
Rect HandleRect(const Rect& rect, Handle handle);
Handle HandleAt(const Rect& rect, Point p);
// `rect` with the edges a handle moves moved by (dx, dy); never narrower or lower than 1.
Rect Resized(const Rect& rect, Handle handle, int dx, int dy);

// VB6's form grid (Options, General): the spacing of the dots and of Align to Grid, in twips.
struct FormGrid {
  int width = 120, height = 120;
};

// A row of the properties window.
struct PropertyRow {
  std::string name;   // "(Name)", "Caption", "Font.Name"
  std::string value;  // as the form file holds it: "\"OK\"", "-1", "\"frmMain.frx\":0000"
  std::string shown;  // as the window shows it: a string without its quotes, a picture as "(Bitmap)"
  bool editable = true;  // pictures and lists kept in the .frx are not
  std::vector<std::string> choices;  // the drop-down of a Boolean or enumerated value, as shown
};

// How VB6's properties window offers a value of `property` (a group's member by its own name:
// "Italic") of a control of `prog_id` ("VB.Form"): each value as the form file holds it and as
// the window shows it, {"0", "False"}, {"-1", "True"} for a Boolean, {"1", "1 - Fixed Single"}
// for an enumerated property of an intrinsic control; empty for any other property.
using ValueChoices = std::vector<std::pair<std::string, std::string>>;
ValueChoices ChoicesOf(std::string_view prog_id, std::string_view property);
// What the form file gets for a value picked or typed: an entry as shown, its value, or the
// name of an enumerated value alone, in any letter case ("true", "2", "sizable"); nothing
// for any other text.
std::optional<std::string> ChosenValue(const ValueChoices& choices, std::string_view typed);
// What a double-click on a row with choices sets, as in VB6: the choice after the one shown,
// the first after the last (or after a value that is none of them). Empty for a row without.
std::string NextChoice(const PropertyRow& row);

// An entry of the properties window's drop-down.
struct ObjectEntry {
  host::VBControl* control = nullptr;
  std::string text;  // "cmdOK CommandButton"
};

class DesignerModel {
 public:
  // `folder` is where the form's .frx files are (long captions are read from there).
  DesignerModel(host::Designer& designer, std::filesystem::path folder);

  // Reads the designer again after a change.
  void Reload();
  host::Designer& Designer() { return designer_; }

  // The form: its caption, its client size in pixels, the captions of its menu bar.
  const std::string& Caption() const { return caption_; }
  int ClientWidth() const { return client_width_; }
  int ClientHeight() const { return client_height_; }
  const std::vector<std::string>& MenuBar() const { return menu_bar_; }
  bool MdiForm() const { return mdi_; }
  // A form has a window around it (caption bar, frame); a user control or property page not.
  bool Windowed() const { return windowed_; }
  int BorderStyle() const { return border_style_; }  // 2 sizable, 3 fixed dialog, 4 and 5 tool windows
  std::optional<std::uint32_t> BackColor() const { return back_color_; }

  // Every control with a place, back to front: windowed controls above graphical ones, later
  // ones in the form file above earlier ones, a container's controls above it.
  const std::vector<ControlView>& Views() const { return views_; }
  const ControlView* ViewOf(const host::VBControl* control) const;
  // The topmost control at `p` (a line within 3 pixels), or null for the form.
  host::VBControl* HitTest(Point p) const;
  // The Frame or PictureBox a new control at `p` goes into; null for the form. The controls
  // in `moving` (and those inside them) are not under `p`.
  host::VBControl* ContainerAt(Point p, const std::vector<host::VBControl*>& moving = {}) const;

  // A click on `control` (null: the form): alone, or added to / taken out of the selection.
  void Click(host::VBControl* control, bool add_to_selection);
  // A band dragged over the form: selects the controls on the form that it touches (added to
  // the selection, or in its place).
  void SelectWithin(const Rect& band, bool add_to_selection);
  // Whether the control is selected.
  bool Selected(const host::VBControl* control);
  // Moves the selected controls (those inside a selected container go with it).
  void MoveSelection(int dx, int dy);
  // A drag of the selection by (dx, dy) let go at `drop`: controls dropped onto another
  // Frame or PictureBox (or out of theirs onto the form) go into it, their Left and Top (a
  // line's ends) given from its origin in its scale, where they were let go; dropped outside
  // the form, or on their own container, they only move.
  void DropSelection(int dx, int dy, Point drop);
  // Format > Order: the selected controls in front of (behind) the others in their containers,
  // keeping their order among themselves.
  void BringToFront();
  void SendToBack();
  // Format > Align > to Grid: the selected controls' Left and Top to the nearest point of the
  // grid, counted from their container's origin; a value already there is not written.
  void AlignToGrid();
  // Whether those have something to act on: a selected control with a place on the form.
  bool CanArrange();
  const FormGrid& Grid() const { return grid_; }
  void SetGrid(const FormGrid& grid) { grid_ = grid; }
  // Gives the control the rectangle `after` (a line: its ends follow the box). Writes only the
  // properties whose pixels changed, each in its container's scale.
  void Place(host::VBControl& control, const Rect& after);
  // Gives the form's client area `width` by `height` pixels, as the handles on its edges do:
  // ClientWidth and ClientHeight in twips; the form's scale keeps its unit, so the host's designer
  // gives ScaleWidth and ScaleHeight the new size in it.
  void ResizeForm(int width, int height);
  // Adds a control of `class_name` into the container under `at`, its top left at `at`; the
  // add-in may have renamed it by the time this returns.
  host::VBControl& AddAt(std::string_view class_name, Point at);
  // Adds a control of `class_name` in the middle of the form, as a double-click on its tool does.
  host::VBControl& Add(std::string_view class_name);
  // Removes the selected controls (one inside another selected one goes with it).
  void DeleteSelection();

  // The properties window: the form and its controls, and the rows of one of them.
  std::vector<ObjectEntry> Objects() const;
  std::vector<PropertyRow> Rows(host::VBControl& control) const;
  // Sets a property from what the user typed in the window ("(Name)" renames through SetName,
  // so the rename event fires; a Boolean or enumerated value is one of its choices). Throws
  // HostError for a value the form file cannot hold.
  void SetProperty(host::VBControl& control, std::string_view name, std::string_view typed);
  // What the window shows for several controls: the properties all of them have, a value
  // where they agree (else empty), no name; a value typed there goes to each of them.
  std::vector<PropertyRow> Rows(const std::vector<host::VBControl*>& controls) const;
  void SetProperty(const std::vector<host::VBControl*>& controls, std::string_view name, std::string_view typed);

  // Text kept in the .frx ($"file":offset, or a caption or text there): a 32-bit length and
  // the bytes. Empty when the file or the data is not there.
  std::string FrxText(const std::string& value) const;

 private:
  using Scale = host::DesignerScale;
  // Where a container's controls count from: its scale, and its origin in twips from the
  // client area's top left (exact, where pixels are rounded).
  struct Inner {
    const host::VBControl* container = nullptr;
    Scale scale;
    double x = 0, y = 0;
  };
  void Lay(host::VBControl* container, const Rect& clip, Point origin, Scale scale, double twips_x, double twips_y);
  const Inner* InnerOf(const host::VBControl* container) const;
  void MoveInto(host::VBControl& control, host::VBControl& container, int dx, int dy);
  void Rescale(host::VBControl& frame, double across, double down, bool twips);
  void Arrange(int position);
  const Scale& ScaleFor(const host::VBControl& control) const;

  host::Designer& designer_;
  std::filesystem::path folder_;
  std::string caption_;
  int client_width_ = 0, client_height_ = 0;
  bool mdi_ = false;
  bool windowed_ = true;
  int border_style_ = 2;
  std::optional<std::uint32_t> back_color_;
  std::vector<std::string> menu_bar_;
  std::vector<ControlView> views_;
  std::vector<std::pair<const host::VBControl*, Scale>> scales_;
  std::vector<Inner> inners_;
  FormGrid grid_;
};

}  // namespace gildex::workbench
