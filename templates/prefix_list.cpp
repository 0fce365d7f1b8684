#include "templates/prefix_list.h"

#include "common/nembus_common.h"
#include "platform/cp1252.h"

namespace gildex {

bool PrefixList::LoadPrefix() {
  return report_.Trap("frmOptions.LoadPrefix", false, [&] {
    const bool complete = engine_.LoadPrefixes();
    items_.clear();
    selected_.reset();
    items_ = engine_.Prefixes();
    return complete;
  });
}

bool PrefixList::SavePrefix() {
  return report_.Trap("frmOptions.SavePrefix", false, [&] {
    engine_.Prefixes(items_);
    return engine_.SavePrefixes();
  });
}

std::optional<std::size_t> PrefixList::Find(const std::string& control_type) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (cp1252::EqualsNoCase(items_[i].control_type, control_type)) return i;
  return std::nullopt;
}

void PrefixList::cmdPrefixItem_Click(int index) {
  if (const std::optional<std::size_t> row = Find(txtControlName)) {
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(*row));
    if (selected_ == row) selected_.reset();
    else if (selected_ && *selected_ > *row) --*selected_;
  }
  if (index == kAdd) {
    if (txtControlName.empty()) {
      focus_ = Focus::ControlName;
      return;
    }
    if (txtPrefix.empty()) {
      focus_ = Focus::Prefix;
      return;
    }
    items_.push_back({txtControlName, txtPrefix});
  }
  apply_enabled_ = true;
  txtControlName.clear();
  txtPrefix.clear();
}

void PrefixList::lvwPrefix_ItemClick(std::size_t item) {
  report_.Trap("frmOptions.lvwPrefix_ItemClick", [&] {
    const Item& row = items_.at(item);
    selected_ = item;
    txtControlName = row.control_type;
    txtPrefix = row.prefix;
  });
}

void PrefixList::lvwPrefix_KeyDown(int key_code) {
  report_.Trap("frmOptions.lvwPrefix_KeyDown", [&] {
    if (key_code == kDeleteKey && selected_) cmdPrefixItem_Click(kRemove);
  });
}

}  // namespace gildex
