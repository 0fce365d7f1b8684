#include "host/tab_order.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>

#include "host/vbide.h"
#include "platform/cp1252.h"

namespace gildex::host {
namespace {

std::optional<long> TabIndexOf(const DesignerControl& control) {
  const DesignerProperty* property = control.Find("TabIndex");
  if (!property || property->is_group) return std::nullopt;
  long index = 0;
  const std::string& text = property->value;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), index);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return index;
}

// The intrinsic classes that never take the focus.
bool WithoutTabIndex(const DesignerControl& control) {
  static constexpr std::string_view kClasses[] = {"VB.Line", "VB.Shape", "VB.Image", "VB.Timer", "VB.Menu", "VB.Data"};
  return std::any_of(std::begin(kClasses), std::end(kClasses),
                     [&](std::string_view name) { return cp1252::EqualsNoCase(name, control.prog_id); });
}

// The controls in tab order, `leaving` left out. Two with one index (which VB6 never writes) go
// in file order.
std::vector<DesignerControl*> TabOrder(const DesignerBlock& block, const DesignerControl* leaving) {
  std::vector<DesignerControl*> order;
  for (DesignerControl* control : block.AllControls())
    if (control != leaving && InTabOrder(*control)) order.push_back(control);
  std::stable_sort(order.begin(), order.end(),
                   [](const DesignerControl* a, const DesignerControl* b) { return *TabIndexOf(*a) < *TabIndexOf(*b); });
  return order;
}

// Each control's place in `order` as its TabIndex, where it differs.
bool Renumber(std::vector<RawLine>& lines, DesignerBlock& block, const std::vector<DesignerControl*>& order) {
  bool changed = false;
  for (std::size_t place = 0; place < order.size(); ++place) {
    if (TabIndexOf(*order[place]) == static_cast<long>(place)) continue;
    SetPropertyLine(lines, block, *order[place], {"TabIndex"}, std::to_string(place));
    changed = true;
  }
  return changed;
}

}  // namespace

bool InTabOrder(const DesignerControl& control) { return TabIndexOf(control).has_value(); }

bool SetTabIndex(std::vector<RawLine>& lines, DesignerBlock& block, DesignerControl& control, std::string_view value) {
  if (WithoutTabIndex(control))
    throw HostError(438, "Object doesn't support this property or method: " + control.name + " has no TabIndex");
  long wanted = -1;
  auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), wanted);
  if (ec != std::errc() || end != value.data() + value.size() || wanted < 0 || wanted > 32767)
    throw HostError(380, "Invalid property value: a TabIndex is a whole number from 0 to 32767, not " + std::string(value));
  if (TabIndexOf(control) == wanted) return false;
  std::vector<DesignerControl*> order = TabOrder(block, &control);
  const std::size_t place = std::min(static_cast<std::size_t>(wanted), order.size());
  order.insert(order.begin() + static_cast<std::ptrdiff_t>(place), &control);
  return Renumber(lines, block, order);
}

bool CloseTabOrder(std::vector<RawLine>& lines, DesignerBlock& block) { return Renumber(lines, block, TabOrder(block, nullptr)); }

}  // namespace gildex::host
