#pragma once
// What the form-to-HTML converter reads of a control: its numbers, its texts (quoted in the
// form file or kept in the .frx beside it), its list entries, its stored picture's format,
// and how its caption shows.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/nembus_common.h"
#include "host/designer_block.h"
#include "host/vbide.h"

namespace gildex::form_values {

const host::Property* Find(host::VBControl& control, std::string_view name);
// The property as a number; 0 when the control has none.
double Number(host::VBControl& control, std::string_view name);
// Basic's rounding of a real to a whole number: halves go to the even neighbour.
long Whole(double value);
// The bytes of the .frx file a reference names, found beside the form in any letter case.
std::string FrxBytes(const std::string& form_folder, const host::FrxReference& reference);
std::uint32_t Little(const std::string& bytes, std::size_t at, std::size_t width);
VbError DamagedFrx(const host::FrxReference& reference);
// A property's text, from the form file or its .frx.
std::string Text(host::VBControl& control, std::string_view name, const std::string& form_folder);
// A list box's or combo box's entries.
std::vector<std::string> ListEntries(host::VBControl& control, const std::string& form_folder);
// The extension that the stored picture's own format has (".bmp", ".wmf"; ".bin" unknown).
std::string PictureExtension(std::string_view data);
// The font name a control shows: its own, else the nearest container's, else VB's default.
std::string FontName(host::VBControl& control);
// The element's id: the control's name, with its index for a member of a control array
// ("optStatus_1"), so that no two elements share one.
std::string ElementId(host::VBControl& control);
// The caption as the form shows it, as HTML: the letter after a lone & underlined (the access
// key), && one &, everything escaped; the & kept as it is when UseMnemonic is False.
std::string CaptionMarkup(host::VBControl& control, const std::string& form_folder);
// The same without marks, for an attribute value.
std::string CaptionShown(host::VBControl& control, const std::string& form_folder);

}  // namespace gildex::form_values
