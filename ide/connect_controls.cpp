// The commands of the form designer's "Controls" menu: copy the properties of the first
// selected control to the others, and view or apply control templates. Every change goes
// through the designer, so the form file changes only on the lines of changed properties.
#include <exception>
#include <string>
#include <vector>

#include "common/nembus_common.h"
#include "ide/connect.h"
#include "tools/messages.h"

namespace gildex {

namespace {
constexpr const char* kSelectForm = "Please select a form from the project window first";
constexpr const char* kTwoControls = "Please select at least 2 controls to use this option.";
constexpr const char* kOneControl = "You must have selected at least one control for template to apply to";

// A form whose designer is open, or null.
host::Designer* OpenFormDesigner(host::VBComponent& component) {
  if (component.Type() != host::ComponentType::VBForm || !component.HasOpenDesigner()) return nullptr;
  return component.GetDesigner();
}

// A property that cannot be read or written is skipped; the copy goes on.
template <class Step>
void Skipping(Step step) {
  try {
    step();
  } catch (const std::exception&) {
  }
}
}  // namespace

void Connect::PositionProperty(std::string_view name, bool dimensions, bool& result) {
  result = dimensions ? name == "Height" || name == "Width" : name == "Top" || name == "Left";
}

void Connect::hWndControlCopy_Click() {
  add_in_.Report().Trap("Connect.hWndControlCopy_Click", [&] {
    CGildex& engine = add_in_.Engine();
    const bool position = engine.CopierPosition(), dimensions = engine.CopierDimensions();
    const std::int16_t discard = engine.CopierDiscard();
    const bool silent = engine.CopierSilent();
    platform::Dialogs& dialogs = add_in_.Services().dialogs;
    if (current_component_ == nullptr) {
      dialogs.MsgBox({kSelectForm, platform::vbOKOnly, std::string(kAppTitle)});
      return;
    }
    host::Designer* designer = OpenFormDesigner(*current_component_);
    if (designer == nullptr) return;
    const std::vector<host::VBControl*> selected = designer->SelectedVBControls();
    if (selected.size() < 2) {
      dialogs.MsgBox({kTwoControls, platform::vbOKOnly, std::string(kAppTitle)});
      return;
    }
    host::VBControl& source = *selected[0];
    if (!silent && dialogs.MsgBox({"Proceed to copy properties FROM " + source.Name() + "?",
                                   platform::vbYesNo | platform::vbQuestion, "Property Copy"}) != platform::vbYes)
      return;
    for (std::size_t t = 1; t < selected.size(); ++t) {
      host::VBControl& target = *selected[t];
      // The form file lists only the properties away from their defaults. A target of the
      // same class takes every one; one of another class only those its file lists already,
      // since it may not know the others at all (a Label has no MultiLine).
      const bool same_class = target.ProgId() == source.ProgId();
      for (int i = 1; i <= source.PropertyCount(); ++i) {
        Skipping([&] {
          host::Property& property = source.PropertyAt(i);
          const std::string name = property.Name();
          bool size = false, place = false;
          PositionProperty(name, true, size);
          PositionProperty(name, false, place);
          if ((size && !dimensions) || (place && !position)) return;
          if (name == "Name") return;  // below
          if (!same_class && target.FindProperty(name) == nullptr) return;
          target.SetPropertyValue(name, property.Value());
        });
      }
      // The name is no line of the form file, so not in the list above: the target takes the
      // source's name, and the source makes way under the target's name + "old".
      if (discard == 0 || discard == 1)
        Skipping([&] {
          const std::string source_name = source.Name();
          source.SetName(target.Name() + "old");
          target.SetName(source_name);
        });
    }
    if (discard == 0) designer->RemoveControl(source);
  });
}

void Connect::hWndCTemplateEdit_Click() {
  add_in_.Report().Trap("Connect.hWndCTemplateEdit_Click", [&] {
    if (views_.control_templates == nullptr) return WindowMissing("The control templates window");
    // Made anew each time, as the window unloads on closing and reads the template folder
    // when it loads.
    frmControlTemplate(add_in_.Services().dialogs, add_in_.Engine().TemplatePath()).ShowEdit(*views_.control_templates);
  });
}

void Connect::hWndCTemplateView_Click() {
  add_in_.Report().Trap("Connect.hWndCTemplateView_Click", [&] {
    ApplyTemplates([&]() -> std::optional<std::vector<std::string>> {
      if (views_.control_templates == nullptr) {
        WindowMissing("The control templates window");
        return std::nullopt;
      }
      return frmControlTemplate(add_in_.Services().dialogs, add_in_.Engine().TemplatePath())
          .ShowSelect(*views_.control_templates);
    });
  });
}

void Connect::ApplyControlTemplate(const std::string& name) {
  add_in_.Report().Trap("Connect.ApplyControlTemplate", [&] {
    ApplyTemplates([&]() -> std::optional<std::vector<std::string>> {
      const std::filesystem::path file =
          ControlTemplateFile(ControlsFolder(add_in_.Engine().TemplatePath()), name);
      if (!std::filesystem::exists(file)) throw std::runtime_error("There is no control template " + file.string() + ".");
      std::vector<std::string> entries;
      for (const ControlTemplateEntry& entry : ReadControlTemplate(file)) {
        std::string text = entry.name + "=" + entry.value;
        std::erase(text, '"');
        entries.push_back(std::move(text));
      }
      return entries;
    });
  });
}

void Connect::ApplyTemplates(const std::function<std::optional<std::vector<std::string>>()>& choose) {
  platform::Dialogs& dialogs = add_in_.Services().dialogs;
  if (current_component_ == nullptr) {
    dialogs.MsgBox({kSelectForm, platform::vbOKOnly, std::string(kAppTitle)});
    return;
  }
  clsMessages& messages = add_in_.Messages();
  messages.ButtonState(0);
  [&] {
    host::Designer* designer = OpenFormDesigner(*current_component_);
    if (designer == nullptr) return;
    const std::vector<host::VBControl*> selected = designer->SelectedVBControls();
    if (selected.empty()) {
      dialogs.MsgBox({kOneControl, platform::vbOKOnly, std::string(kAppTitle)});
      return;
    }
    const std::optional<std::vector<std::string>> entries = choose();
    if (!entries) return;
    // Every selected control takes every entry it has a property for, the last entry included.
    for (host::VBControl* control : selected)
      for (int i = 1; i <= control->PropertyCount(); ++i)
        Skipping([&] {
          host::Property& property = control->PropertyAt(i);
          const std::string name = property.Name();
          for (const std::string& entry : *entries)
            if (GetField(entry, "=", 1) == name) return property.SetValue(GetField(entry, "=", 2));
        });
  }();
  messages.ButtonState(1);
}

}  // namespace gildex
