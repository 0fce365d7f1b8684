#pragma once
// The standard event-procedure suffixes that the options dialog and the insert wizard offer
// for their event choice.
#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace gildex {

inline constexpr std::array<std::string_view, 25> kEventSuffixes = {
    "_Activate",    "_Click",           "_DblClick",    "_DragDrop",    "_DragOver",      "_GotFocus",  "_KeyDown",
    "_KeyPress",    "_KeyUp",           "_Load",        "_LostFocus",   "_MouseDown",     "_MouseMove", "_MouseUp",
    "_OLECompleteDrag", "_OLEDragDrop", "_OLEDragOver", "_OLEGiveFeedback", "_OLESetData", "_OLEStartDrag",
    "_Paint",       "_QueryUnload",     "_Resize",      "_Terminate",   "_Unload"};

// Fills a list through its add-item operation with the suffixes, in order.
void BuildEventList(const std::function<void(const std::string&)>& add_item);

}  // namespace gildex
