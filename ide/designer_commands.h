#pragma once
// The commands of the form designer's "Controls" menu: copy the properties of the first
// selected control to the others, and view or apply control templates. They work on the
// current component the event reactions keep.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ide/add_in.h"
#include "ide/connect_views.h"
#include "ide/event_reactions.h"

namespace gildex {

class DesignerCommands {
 public:
  DesignerCommands(AddIn& add_in, const ConnectViews& views, const EventReactions& events)
      : add_in_(add_in), views_(views), events_(events) {}

  void hWndControlCopy_Click();
  void hWndCTemplateEdit_Click();
  void hWndCTemplateView_Click();
  // The apply command with the template `name` of the controls folder instead of the one the
  // window would let the user choose: needs no window.
  void ApplyControlTemplate(const std::string& name);
  // True exactly for "Height" and "Width" (`dimensions`) or "Top" and "Left" (not).
  static void PositionProperty(std::string_view name, bool dimensions, bool& result);

 private:
  // The apply command from its first check; `choose` gives the entries, nullopt for none.
  void ApplyTemplates(const std::function<std::optional<std::vector<std::string>>()>& choose);

  AddIn& add_in_;
  const ConnectViews& views_;
  const EventReactions& events_;
};

}  // namespace gildex
