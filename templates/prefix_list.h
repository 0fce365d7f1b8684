#pragma once
// The prefix table's list editor of the options dialog ("Controls Option" page) without a
// toolkit: the list `lvwPrefix` (control type, prefix), the text boxes `txtControlName` and
// `txtPrefix`, the button array `cmdPrefixItem` (0 "&Add", 1 "&Remove"), the Apply button's
// state and where the focus goes. A dialog draws it and forwards the user's actions; the
// `gildex prefixes` command drives it as the user would.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "common/error_report.h"
#include "engine/gildex.h"

namespace gildex {

class PrefixList {
 public:
  // One row: the control type is the item's text and key, the prefix its first sub-item.
  using Item = PrefixRow;
  enum Button { kAdd = 0, kRemove = 1 };
  enum class Focus { None, ControlName, Prefix };
  static constexpr int kDeleteKey = 46;

  PrefixList(CGildex& engine, ErrorReport& report) : engine_(engine), report_(report) {}

  // Loads the table from "pfx.dat" into the engine and shows it; true when the file was read
  // to its end (false: missing, or a control type repeats and the rows after it are left out).
  bool LoadPrefix();
  // Hands the list to the engine as its table and saves it; true when "pfx.dat" was written
  // (it is never created here: a missing file keeps the table in memory only).
  bool SavePrefix();

  // Both buttons first drop the row named in txtControlName; Add then lists it with txtPrefix
  // unless a box is empty (the focus goes there). Errors are ignored.
  void cmdPrefixItem_Click(int index);
  // Fills both text boxes from the row (0-based) and selects it.
  void lvwPrefix_ItemClick(std::size_t item);
  // The Delete key with a row selected acts as the Remove button.
  void lvwPrefix_KeyDown(int key_code);

  const std::vector<Item>& Items() const { return items_; }
  // The row whose control type is `control_type`. Keys are compared without regard to case,
  // as the table is used: "textbox" and "TextBox" are one control type.
  std::optional<std::size_t> Find(const std::string& control_type) const;
  std::optional<std::size_t> Selected() const { return selected_; }
  bool ApplyEnabled() const { return apply_enabled_; }
  void ApplyDone() { apply_enabled_ = false; }
  Focus FocusedBox() const { return focus_; }

  std::string txtControlName;
  std::string txtPrefix;

 private:
  CGildex& engine_;
  ErrorReport& report_;
  std::vector<Item> items_;
  std::optional<std::size_t> selected_;
  bool apply_enabled_ = false;
  Focus focus_ = Focus::None;
};

}  // namespace gildex
