#pragma once
// The scales of a designer block: the unit and origin in which a form, user control or picture
// box measures the controls inside it, and the writes that change a scale as VB6's designer
// does, re-expressing every place inside it in the new unit so that nothing moves on the screen.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/designer_block.h"
#include "host/source_lines.h"

namespace gildex::host {

// Twips per unit of a ScaleMode: 1 twip, 2 point, 3 pixel (of a 96-dot screen), 4 character
// (120 twips across, 240 down), 5 inch, 6 millimetre, 7 centimetre. 0 for the user scale (0),
// which only its container's size defines, and for any other number.
double TwipsPerUnit(int scale_mode, bool across);

// How a container measures the controls inside it.
struct DesignerScale {
  double across = 1, down = 1;  // twips per unit
  double left = 0, top = 0;     // ScaleLeft, ScaleTop: the units at the inside's top left
  bool operator==(const DesignerScale&) const = default;
};

class VBControl;

// The scale inside `owner` as the object model gives its properties, for a view that shows its
// inside `inside_width` by `inside_height` pixels of a 96-dot screen: ScaleMode 1 to 7 in twips
// per unit; the user scale (0) spreads ScaleWidth by ScaleHeight units over the inside from
// ScaleLeft, ScaleTop (1 twip a unit while the inside or a scale size is unknown). A form file
// without a ScaleMode, or with one VB6 does not have, measures in twips.
DesignerScale ScaleOfControl(VBControl& owner, int inside_width, int inside_height);

// Whether the control has a scale of its own: a form (not an MDI form, which has twips only),
// user control, property page, user document or picture box.
bool HasOwnScale(const DesignerControl& control);
// The control whose scale measures the controls inside `container`: itself when it has a scale,
// else the nearest container around it that has one (a frame has none of its own).
const DesignerControl& ScaleOwner(const DesignerControl& container);
// The scale that measures the controls inside `container`. Controls in a frame count from the
// frame's top left: they take the unit of its scale owner but not its ScaleLeft and ScaleTop.
DesignerScale ScaleInside(const DesignerControl& container);
// The inside of a control with a scale in twips (a form's client area, a picture box within its
// border); 0 when the file does not say.
double InsideTwips(const DesignerControl& owner, bool across);

// A Single as the form file writes it: whole numbers without a point, else at most seven digits.
std::string SingleText(double value);

// Writes `name` = `value` on `control` when VB6's designer does more for that write than change
// the one line, and says whether the file changed; nullopt, with nothing done, for any other
// write. These are:
// - ScaleMode, ScaleWidth, ScaleHeight, ScaleLeft, ScaleTop of a control with a scale: every place
//   inside it (Left, Top, Width, Height, a line's X1 to Y2, those in its frames too) is given in
//   the new scale; a new ScaleMode gives ScaleWidth and ScaleHeight the inside's size in its unit
//   and puts the origin back at 0, a new size or origin sets the user scale (ScaleMode 0);
// - ClientWidth, ClientHeight of a form, Width, Height of a picture box: the scale keeps its unit,
//   so ScaleWidth and ScaleHeight follow the size.
// The same value again changes nothing. Throws HostError 380 for a value that is no number VB6
// takes there.
std::optional<bool> WriteScaleProperty(std::vector<RawLine>& lines, DesignerBlock& block, DesignerControl& control,
                                       std::string_view name, std::string_view value);

}  // namespace gildex::host
