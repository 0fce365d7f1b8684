// The commands of the form designer's "Controls" menu: copy the properties of the first
// selected control to the others, and view or apply control templates. Every change goes
// through the designer, so the form file changes only on the lines of changed properties.
#include <algorithm>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "common/nembus_common.h"
#include "ide/designer_commands.h"
#include "platform/cp1252.h"
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

// The names a property stands for in the form file: itself, or a group's members
// ("Font.Name", "Font.Size" ...), each set on its own line inside the group.
std::vector<std::string> FileNames(const host::Property& property, bool& members) {
  std::vector<std::string> names = property.MemberNames();
  members = !names.empty();
  return members ? names : std::vector<std::string>{property.Name()};
}

// "Font" of "Font.Size"; empty for a plain name.
std::string GroupOf(std::string_view name) {
  const std::size_t dot = name.find('.');
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(0, dot));
}

bool IsTrueOrFalse(std::string_view value) {
  return cp1252::EqualsNoCase(value, "True") || cp1252::EqualsNoCase(value, "False");
}

// A template entry as the form file writes it: True and False as -1 and 0 where the file
// keeps a Boolean, and a font's Bold as the Weight the file keeps (700 bold, 400 not).
std::pair<std::string, std::string> FileSetting(host::VBControl& control, std::string name, std::string value) {
  const std::string group = GroupOf(name);
  const std::string_view member = std::string_view(name).substr(group.empty() ? 0 : group.size() + 1);
  // Anything else for Bold stays Bold, which the designer refuses.
  if (!group.empty() && cp1252::EqualsNoCase(member, "Bold") &&
      (IsTrueOrFalse(value) || value == "-1" || value == "0" || value == "1"))
    return {group + ".Weight", cp1252::EqualsNoCase(value, "False") || value == "0" ? "400" : "700"};
  if (IsTrueOrFalse(value)) {
    const host::Property* held = control.FindProperty(name);
    const bool boolean = held ? held->Value() == "-1" || held->Value() == "0"
                              : !group.empty() && (cp1252::EqualsNoCase(member, "Italic") ||
                                                   cp1252::EqualsNoCase(member, "Underline") ||
                                                   cp1252::EqualsNoCase(member, "Strikethrough"));
    if (boolean) value = cp1252::EqualsNoCase(value, "True") ? "-1" : "0";
  }
  return {std::move(name), std::move(value)};
}
}  // namespace

void DesignerCommands::PositionProperty(std::string_view name, bool dimensions, bool& result) {
  result = dimensions ? name == "Height" || name == "Width" : name == "Top" || name == "Left";
}

void DesignerCommands::hWndControlCopy_Click() {
  add_in_.Report().Trap("Connect.hWndControlCopy_Click", [&] {
    CGildex& engine = add_in_.Engine();
    const bool position = engine.CopierPosition(), dimensions = engine.CopierDimensions();
    const std::int16_t discard = engine.CopierDiscard();
    const bool silent = engine.CopierSilent();
    platform::Dialogs& dialogs = add_in_.Services().dialogs;
    if (events_.CurrentComponent() == nullptr) {
      dialogs.MsgBox({kSelectForm, platform::vbOKOnly, std::string(kAppTitle)});
      return;
    }
    host::Designer* designer = OpenFormDesigner(*events_.CurrentComponent());
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
      // An intrinsic control has every property of its class, those its file leaves out at
      // their defaults too, so a source at a default puts the target back to it; the target
      // takes those it has (a Label has no MultiLine). An ActiveX control has only what its
      // file lists: a target of the same class takes the source's others too.
      const bool same_class = target.ProgId() == source.ProgId();
      // A group (the font) goes member by member, so that only the members that differ
      // change their lines; a target still on the default font gets the group from its designer.
      for (int i = 1; i <= source.PropertyCount(); ++i) {
        std::vector<std::string> names;
        bool members = false;
        Skipping([&] { names = FileNames(source.PropertyAt(i), members); });
        for (const std::string& name : names)
          Skipping([&] {
            bool size = false, place = false;
            PositionProperty(name, true, size);
            PositionProperty(name, false, place);
            if ((size && !dimensions) || (place && !position)) return;
            if (name == "Name") return;  // below
            if (target.FindProperty(name) == nullptr && (members || !same_class)) return;
            target.SetPropertyValue(name, source.FindProperty(name)->Value());
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

void DesignerCommands::hWndCTemplateEdit_Click() {
  add_in_.Report().Trap("Connect.hWndCTemplateEdit_Click", [&] {
    if (views_.control_templates == nullptr) return WindowMissing(add_in_, "The control templates window");
    // Made anew each time, as the window unloads on closing and reads the template folder
    // when it loads.
    frmControlTemplate(add_in_.Services().dialogs, add_in_.Engine().TemplatePath()).ShowEdit(*views_.control_templates);
  });
}

void DesignerCommands::hWndCTemplateView_Click() {
  add_in_.Report().Trap("Connect.hWndCTemplateView_Click", [&] {
    ApplyTemplates([&]() -> std::optional<std::vector<std::string>> {
      if (views_.control_templates == nullptr) {
        WindowMissing(add_in_, "The control templates window");
        return std::nullopt;
      }
      return frmControlTemplate(add_in_.Services().dialogs, add_in_.Engine().TemplatePath())
          .ShowSelect(*views_.control_templates);
    });
  });
}

void DesignerCommands::ApplyControlTemplate(const std::string& name) {
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

void DesignerCommands::ApplyTemplates(const std::function<std::optional<std::vector<std::string>>()>& choose) {
  platform::Dialogs& dialogs = add_in_.Services().dialogs;
  if (events_.CurrentComponent() == nullptr) {
    dialogs.MsgBox({kSelectForm, platform::vbOKOnly, std::string(kAppTitle)});
    return;
  }
  clsMessages& messages = add_in_.Messages();
  messages.ButtonState(0);
  [&] {
    host::Designer* designer = OpenFormDesigner(*events_.CurrentComponent());
    if (designer == nullptr) return;
    const std::vector<host::VBControl*> selected = designer->SelectedVBControls();
    if (selected.empty()) {
      dialogs.MsgBox({kOneControl, platform::vbOKOnly, std::string(kAppTitle)});
      return;
    }
    const std::optional<std::vector<std::string>> entries = choose();
    if (!entries) return;
    // Every selected control takes every entry it has a property for, the last entry included,
    // a group's members one by one; an intrinsic control has those its file leaves out too.
    for (host::VBControl* control : selected) {
      const auto setting = [&](const std::string& entry) {
        return FileSetting(*control, GetField(entry, "=", 1), GetField(entry, "=", 2));
      };
      for (int i = 1; i <= control->PropertyCount(); ++i) {
        std::vector<std::string> names;
        bool members = false;
        Skipping([&] { names = FileNames(control->PropertyAt(i), members); });
        for (const std::string& name : names)
          Skipping([&] {
            for (const std::string& entry : *entries)
              if (const auto [entry_name, value] = setting(entry); entry_name == name)
                return control->SetPropertyValue(name, value);
          });
      }
    }
  }();
  messages.ButtonState(1);
}

}  // namespace gildex
