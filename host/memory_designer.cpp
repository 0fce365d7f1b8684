#include "host/memory_vbe.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <set>

#include "host/control_catalogue.h"
#include "host/designer_scale.h"
#include "host/tab_order.h"
#include "platform/cp1252.h"

// The form designer of a component: its controls and their properties, edited in the lines of
// the form file itself.
namespace gildex::host {

namespace {

HostError OutOfRange() { return HostError(9, "Subscript out of range"); }

HostError NotSupportedYet(std::string_view what) {
  return HostError(445, "Object doesn't support this action: " + std::string(what) + " is not supported yet");
}

}  // namespace

namespace {

HostError InvalidValue(const std::string& why) { return HostError(380, "Invalid property value: " + why); }

// The Font group as VB6 writes it for a control still on its default font, members in order.
std::vector<std::pair<std::string, std::string>> DefaultFont() {
  std::vector<std::pair<std::string, std::string>> members;
  for (const CatalogueProperty& member : FontMembers()) members.emplace_back(member.name, member.default_value);
  return members;
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A name the designer takes: a letter, then letters, digits and underscores, at most 40.
bool IsControlName(std::string_view name) {
  if (name.empty() || name.size() > 40 || !IsAsciiLetter(name.front())) return false;
  return std::all_of(name.begin(), name.end(),
                     [](char c) { return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '_'; });
}

// The defaults of a new control of an intrinsic class, in twips.
struct NewControl {
  std::string_view class_name;
  std::string_view base_name;  // the name is this and the lowest free number
  int width = 0, height = 0;   // 0: a control without a size of its own (Timer)
  bool tab_index = false;      // takes the focus, so it has a place in the tab order
  std::string_view text_property;  // Caption or Text, set to the name; empty when none
};

constexpr NewControl kNewControls[] = {
    {"CommandButton", "Command", 1215, 495, true, "Caption"},
    {"TextBox", "Text", 1215, 495, true, "Text"},
    {"Label", "Label", 1215, 495, true, "Caption"},
    {"CheckBox", "Check", 1215, 495, true, "Caption"},
    {"OptionButton", "Option", 1215, 495, true, "Caption"},
    {"Frame", "Frame", 1215, 495, true, "Caption"},
    {"ListBox", "List", 1215, 450, true, ""},
    {"ComboBox", "Combo", 1215, 315, true, "Text"},
    {"PictureBox", "Picture", 1215, 495, true, ""},
    {"Image", "Image", 1215, 495, false, ""},
    {"Timer", "Timer", 0, 0, false, ""},
    {"HScrollBar", "HScroll", 1215, 255, true, ""},
    {"VScrollBar", "VScroll", 255, 1215, true, ""},
    {"DriveListBox", "Drive", 1215, 315, true, ""},
    {"DirListBox", "Dir", 1215, 765, true, ""},
    {"FileListBox", "File", 1215, 675, true, ""},
    {"Shape", "Shape", 1215, 495, false, ""},
    {"Line", "Line", 1215, 0, false, ""},
    {"Data", "Data", 1215, 345, false, "Caption"},
    {"OLE", "OLE", 1215, 495, true, ""},
};

long ValueNumber(const DesignerControl& control, const std::string& name, long fallback) {
  const DesignerProperty* property = control.Find(name);
  if (!property || property->is_group) return fallback;
  char* end = nullptr;
  long value = std::strtol(property->value.c_str(), &end, 10);
  return end == property->value.c_str() ? fallback : value;
}

double ValueReal(const DesignerControl& control, const std::string& name, double fallback) {
  const DesignerProperty* property = control.Find(name);
  if (!property || property->is_group) return fallback;
  char* end = nullptr;
  double value = std::strtod(property->value.c_str(), &end);
  return end == property->value.c_str() ? fallback : value;
}

// The inside of a container in its children's scale: a new control goes in its middle. A frame's
// size is in the scale of the form it is on, which is the one its controls use too.
double InnerSize(const DesignerControl& container, bool across) {
  if (!HasOwnScale(container)) return ValueReal(container, across ? "Width" : "Height", 0);
  const char* scale = across ? "ScaleWidth" : "ScaleHeight";
  if (container.Find(scale)) return ValueReal(container, scale, 0);
  double twips = InsideTwips(container, across);
  if (twips <= 0) twips = across ? 4680 : 3195;  // a new form's client size
  const DesignerScale units = ScaleInside(container);
  return twips / (across ? units.across : units.down);
}

int HighestTabIndex(const DesignerBlock& block) {
  int highest = -1;
  for (const DesignerControl* control : block.AllControls())
    highest = std::max(highest, static_cast<int>(ValueNumber(*control, "TabIndex", -1)));
  return highest;
}

}  // namespace

std::string MemoryProperty::Name() const {
  std::string name;
  for (const std::string& part : path_) name += (name.empty() ? "" : ".") + part;
  return name;
}

std::string MemoryProperty::Value() const {
  const DesignerProperty* property = control_.Find(path_);
  if (!property && path_.size() == 1 && cp1252::EqualsNoCase(path_[0], "Name")) return control_.Name();
  if (property) return property->value;
  // An intrinsic control's file leaves out what is at its default.
  const CatalogueProperty* known = CatalogueFind(control_.ProgId(), path_);
  return known ? known->default_value : std::string();
}

void MemoryProperty::SetValue(std::string_view value) { control_.SetPropertyValue(Name(), value); }

std::vector<std::string> MemoryProperty::MemberNames() const {
  std::vector<std::string> names;
  if (const DesignerProperty* property = control_.Find(path_); property && property->is_group)
    for (const DesignerProperty& member : property->group) names.push_back(property->name + "." + member.name);
  else if (const CatalogueProperty* known = CatalogueFind(control_.ProgId(), path_); known && !property &&
           known->type == PropertyType::Font)
    for (const CatalogueProperty& member : FontMembers()) names.push_back(known->name + "." + member.name);
  return names;
}

MemoryControl::MemoryControl(MemoryDesigner& designer, DesignerControl& control, MemoryControl* container)
    : designer_(designer), control_(control), container_(container) {}

std::string MemoryControl::ClassName() const { return control_.ClassName(); }
std::string MemoryControl::ProgId() const { return control_.prog_id; }
std::string MemoryControl::Name() const { return control_.name; }
void MemoryControl::SetName(std::string_view name) { designer_.Rename(*this, name); }
int MemoryControl::Index() const { return control_.index; }
int MemoryControl::PropertyCount() const { return static_cast<int>(Names().size()); }

std::vector<std::string> MemoryControl::Names() const {
  std::vector<std::string> listed;
  for (const DesignerProperty& property : control_.properties) listed.push_back(property.name);
  return PropertyNames(control_.prog_id, listed);
}

Property& MemoryControl::PropertyFor(std::vector<std::string> path) {
  for (auto& property : properties_) {
    const std::vector<std::string>& held = property->path_;
    if (std::equal(held.begin(), held.end(), path.begin(), path.end(),
                   [](const std::string& a, const std::string& b) { return cp1252::EqualsNoCase(a, b); }))
      return *property;
  }
  properties_.push_back(std::make_unique<MemoryProperty>(*this, std::move(path)));
  return *properties_.back();
}

const DesignerProperty* MemoryControl::Find(const std::vector<std::string>& path) const {
  const std::vector<DesignerProperty>* properties = &control_.properties;
  const DesignerProperty* found = nullptr;
  for (const std::string& part : path) {
    if (!properties) return nullptr;
    auto it = std::find_if(properties->begin(), properties->end(),
                           [&](const DesignerProperty& p) { return cp1252::EqualsNoCase(p.name, part); });
    if (it == properties->end()) return nullptr;
    found = &*it;
    properties = found->is_group ? &found->group : nullptr;
  }
  return found;
}

Property& MemoryControl::PropertyAt(int index) {
  const std::vector<std::string> names = Names();
  if (index < 1 || index > static_cast<int>(names.size())) throw OutOfRange();
  return PropertyFor({names[static_cast<std::size_t>(index - 1)]});
}

// Names may hold dots ("Object.Width", "Tab(0).Control(1)"): a whole name comes first, then
// group.member.
Property* MemoryControl::FindProperty(std::string_view name) {
  if (const DesignerProperty* property = Find({std::string(name)})) return &PropertyFor({property->name});
  // The name is no line of the file (it is on the Begin line), but a property all the same.
  if (cp1252::EqualsNoCase(name, "Name")) return &PropertyFor({"Name"});
  const CatalogueProperty* known = CatalogueFind(control_.prog_id, {std::string(name)});
  if (known && ReadsWithoutLine(*known)) return &PropertyFor({known->name});
  std::size_t dot = name.find('.');
  if (dot == std::string_view::npos) return nullptr;
  const std::vector<std::string> path{std::string(name.substr(0, dot)), std::string(name.substr(dot + 1))};
  const DesignerProperty* group = Find({path[0]});
  if (!group) {  // an intrinsic control still on the default font
    known = CatalogueFind(control_.prog_id, path);
    return known ? &PropertyFor({CatalogueFind(control_.prog_id, {path[0]})->name, known->name}) : nullptr;
  }
  if (!group->is_group) return nullptr;
  const DesignerProperty* member = Find({group->name, path[1]});
  return member ? &PropertyFor({group->name, member->name}) : nullptr;
}

void MemoryControl::SetPropertyValue(std::string_view name, std::string_view value) {
  std::vector<std::string> path{std::string(name)};
  if (!Find(path)) {
    std::size_t dot = name.find('.');
    const DesignerProperty* group = dot == std::string_view::npos ? nullptr : Find({std::string(name.substr(0, dot))});
    if (group && group->is_group) path = {group->name, std::string(name.substr(dot + 1))};
    // An intrinsic control has no names with dots of its own: this is a group's member, the
    // group is written (or refused) by the designer. Other classes may have such names.
    else if (!group && dot != std::string_view::npos && cp1252::StartsWithNoCase(control_.prog_id, "VB."))
      path = {std::string(name.substr(0, dot)), std::string(name.substr(dot + 1))};
  }
  designer_.SetProperty(*this, std::move(path), value);
}

VBControl* MemoryControl::Container() { return container_; }
void MemoryControl::ZOrder(int position) { designer_.ZOrder(*this, position); }
void MemoryControl::SetContainer(VBControl& container) { designer_.MoveInto(*this, container); }

MemoryDesigner::MemoryDesigner(MemoryComponent& component, DesignerBlock& block, std::vector<RawLine>& lines)
    : component_(component), block_(block), lines_(lines) {
  root_ = &Wrap(*block.root, nullptr);
  // Depth first in file order, each child after its container, as the form file lists them.
  auto add_children = [this](auto& self, DesignerControl& parent, MemoryControl* container) -> void {
    for (auto& child : parent.children) self(self, *child, &Wrap(*child, container));
  };
  add_children(add_children, *block.root, root_);
}

MemoryControl& MemoryDesigner::Wrap(DesignerControl& control, MemoryControl* container) {
  controls_.push_back(std::make_unique<MemoryControl>(*this, control, container));
  return *controls_.back();
}

MemoryControl* MemoryDesigner::Of(const DesignerControl* control) const {
  for (const auto& wrapped : controls_)
    if (&wrapped->control_ == control && !wrapped->removed_) return wrapped.get();
  return nullptr;
}

// The control as this designer's own, still on the form.
MemoryControl& MemoryDesigner::Own(VBControl& control, std::string_view action) const {
  for (const auto& wrapped : controls_) {
    if (wrapped.get() != &control) continue;
    if (wrapped->removed_)
      throw HostError(5, "Invalid procedure call or argument: cannot " + std::string(action) + " " + control.Name() +
                             ": it was removed from the form");
    return *wrapped;
  }
  throw HostError(5, "Invalid procedure call or argument: " + control.Name() + " is not on " + root_->Name());
}

std::vector<VBControl*> MemoryDesigner::Controls() {
  std::vector<VBControl*> controls;
  for (DesignerControl* control : block_.AllControls()) controls.push_back(Of(control));
  return controls;
}

std::vector<VBControl*> MemoryDesigner::SelectedVBControls() { return selected_; }

void MemoryDesigner::Select(const std::vector<VBControl*>& controls) { selected_ = controls; }

void MemoryDesigner::Changed() { component_.header_dirty_ = true; }

void MemoryDesigner::Rename(MemoryControl& control, std::string_view name) {
  Own(control, "rename");
  DesignerControl& block = control.control_;
  if (!IsControlName(name))
    throw InvalidValue("\"" + std::string(name) + "\" is not a name of at most 40 letters, digits and underscores starting with a letter");
  if (name == block.name) return;
  const bool is_root = &control == root_;
  const bool same_name = cp1252::EqualsNoCase(name, block.name);
  if (is_root) {
    for (DesignerControl* other : block_.AllControls())
      if (cp1252::EqualsNoCase(other->name, name)) throw InvalidValue("a control of " + block.name + " is named " + other->name);
    VBComponent* clash = component_.Project().FindComponent(name);
    if (clash && clash != &component_ && !same_name) throw InvalidValue("the project already has a component named " + clash->Name());
    component_.SetName(name);  // renames the Begin line too, and raises ComponentRenamed
    return;
  }
  if (cp1252::EqualsNoCase(name, block_.root->name)) throw InvalidValue("the form itself is named " + block_.root->name);
  if (!same_name) {
    // A control takes the name of others only by joining their array with an index of its own.
    for (DesignerControl* other : block_.AllControls()) {
      if (other == &block || !cp1252::EqualsNoCase(other->name, name)) continue;
      if (block.index < 0 || other->index < 0 || !cp1252::EqualsNoCase(other->prog_id, block.prog_id) ||
          other->index == block.index)
        throw InvalidValue("the name " + other->name + " is already used by another control");
    }
  }
  const std::string old_name = block.name;
  RenameControlLine(lines_, block, name);
  Changed();
  ControlRenamed.Raise(control, old_name, block.index);
}

void MemoryDesigner::SetIndex(MemoryControl& control, std::string_view value) {
  DesignerControl& block = control.control_;
  std::vector<DesignerControl*> others;
  for (DesignerControl* other : block_.AllControls())
    if (other != &block && cp1252::EqualsNoCase(other->name, block.name)) others.push_back(other);
  if (value.empty()) {
    if (!others.empty()) throw InvalidValue(block.name + " is not the only member of its control array");
    if (RemovePropertyLine(lines_, block_, block, "Index")) Changed();
    return;
  }
  int index = -1;
  auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), index);
  if (ec != std::errc() || end != value.data() + value.size() || index < 0 || index > 32767)
    throw InvalidValue("an index is a whole number from 0 to 32767, not " + std::string(value));
  for (DesignerControl* other : others)
    if (other->index == index) throw InvalidValue(block.name + "(" + std::to_string(index) + ") already exists");
  const DesignerProperty* old = block.Find("Index");
  if (old && old->value == value) return;
  SetPropertyLine(lines_, block_, block, {"Index"}, value);
  block.index = index;
  Changed();
}

void MemoryDesigner::SetProperty(MemoryControl& control, std::vector<std::string> path, std::string_view value) {
  Own(control, "change");
  DesignerControl& block = control.control_;
  if (path.size() == 1 && cp1252::EqualsNoCase(path[0], "Name")) return Rename(control, value);
  if (path.size() == 1 && cp1252::EqualsNoCase(path[0], "Index") && &control != root_) return SetIndex(control, value);
  const DesignerProperty* old = control.Find(path);
  const std::string name = path.back();
  for (const std::string& part : path)
    if (part.empty() || part.find_first_of(" \t\"'=\r\n") != std::string::npos)
      throw InvalidValue("\"" + part + "\" is not a property name");
  if (old && old->is_group) throw InvalidValue(old->name + " is a group of properties: set its members (" + old->name + ".Name)");
  // The tab order and the scales keep themselves as VB6 keeps them: such a write moves other values too.
  if (path.size() == 1 && &control != root_ && cp1252::EqualsNoCase(name, "TabIndex")) {
    if (SetTabIndex(lines_, block_, block, value)) Changed();
    return;
  }
  if (path.size() == 1) {
    if (const std::optional<bool> changed = WriteScaleProperty(lines_, block_, block, name, value)) {
      if (*changed) Changed();
      return;
    }
  }
  // An intrinsic control has its class's properties, each value written as its type is; a
  // value back at its default loses its line, as VB6 leaves it out.
  const std::optional<CatalogueWrite> known =
      CatalogueCheck(block.prog_id, block.name, path, value, control.Find({path[0]}) != nullptr);
  if (known && known->is_default && !old) return;  // it reads so already
  if (known && known->is_default && !known->always_written) {
    if (RemovePropertyLine(lines_, block_, block, path[0])) Changed();
    return;
  }
  // A control on its default font has no Font group yet: VB6 writes the whole group once a
  // member changes (Bold is Weight 700 in the file).
  const bool new_font = known && path.size() == 2 && !old && !control.Find({path[0]});
  if (path.size() == 2 && !control.Find({path[0]}) && !new_font)
    throw InvalidValue(block.name + " has no property " + path[0]);
  if (new_font) path = {"Font", CatalogueFind(block.prog_id, path)->name};
  // A string property given plain text, as a property window takes it, gets its quotes; so
  // does a text kept in the .frx ($"file":offset, or a caption or text too long for a line).
  std::string text = known ? known->text : std::string(value);
  const bool is_text = !known && old && (old->frx ? old->frx->string_list || cp1252::EqualsNoCase(name, "Caption") ||
                                                        cp1252::EqualsNoCase(name, "Text")
                                                  : IsDesignerStringLiteral(old->value));
  if (is_text && !IsDesignerStringLiteral(text) && !ParseFrxReference(text)) text = DesignerStringLiteral(text);
  if (text.empty() || text.find_first_of("\r\n") != std::string::npos || DesignerValueText(text) != text ||
      (text.front() == '"' && !IsDesignerStringLiteral(text) && !ParseFrxReference(text)))
    throw InvalidValue("the form file cannot hold the value " + std::string(value) + " of " + name);
  const bool same = !new_font && old && old->value == text;
  if (new_font) InsertGroupLines(lines_, block_, block, "Font", DefaultFont());
  if (!SetPropertyLine(lines_, block_, block, path, text))
    throw NotSupportedYet("adding the property group " + path.front() + " to " + block.name);
  if (!same) Changed();  // the same value writes the same line
}

VBControl& MemoryDesigner::AddControl(std::string_view class_name, VBControl* container) {
  std::string_view wanted = class_name;
  if (cp1252::StartsWithNoCase(wanted, "VB.")) wanted.remove_prefix(3);
  const NewControl* kind = nullptr;
  for (const NewControl& candidate : kNewControls)
    if (cp1252::EqualsNoCase(candidate.class_name, wanted)) kind = &candidate;
  if (!kind) throw HostError(711, "Invalid class string: " + std::string(class_name));
  MemoryControl& parent = container ? Own(*container, "add a control to") : *root_;
  DesignerControl& inside = parent.control_;
  const bool can_contain = &parent == root_ || cp1252::EqualsNoCase(inside.prog_id, "VB.Frame") ||
                           cp1252::EqualsNoCase(inside.prog_id, "VB.PictureBox") || !inside.children.empty();
  if (!can_contain) throw HostError(5, "Invalid procedure call or argument: " + inside.name + " cannot hold controls");
  // Other designers (data environments, data reports) hold no VB controls; an MDI form holds
  // only controls that align to its edges, and those never seen at run time.
  const std::string& root_class = block_.root->prog_id;
  const bool mdi_form = cp1252::EqualsNoCase(root_class, "VB.MDIForm");
  if (!cp1252::StartsWithNoCase(root_class, "VB.") ||
      (mdi_form && &parent == root_ && kind->class_name != "PictureBox" && kind->class_name != "Timer" &&
       kind->class_name != "Data"))
    throw HostError(5, "Invalid procedure call or argument: " + block_.root->name + " cannot hold a " +
                           std::string(kind->class_name));

  std::string name;
  for (int n = 1; name.empty(); ++n) {
    std::string candidate = std::string(kind->base_name) + std::to_string(n);
    bool used = cp1252::EqualsNoCase(candidate, block_.root->name);
    for (DesignerControl* other : block_.AllControls()) used = used || cp1252::EqualsNoCase(other->name, candidate);
    if (!used) name = candidate;
  }

  // Centred in its container, in the container's scale.
  const DesignerScale scale = ScaleInside(inside);
  const double width = kind->width / scale.across, height = kind->height / scale.down;
  const double left = scale.left + std::max(0.0, std::floor((InnerSize(inside, true) - width) / 2));
  const double top = scale.top + std::max(0.0, std::floor((InnerSize(inside, false) - height) / 2));
  std::vector<std::pair<std::string, std::string>> properties;
  if (!kind->text_property.empty()) properties.emplace_back(kind->text_property, DesignerStringLiteral(name));
  if (kind->class_name == "Line") {
    properties.emplace_back("X1", SingleText(left));
    properties.emplace_back("X2", SingleText(left + width));
    properties.emplace_back("Y1", SingleText(top));
    properties.emplace_back("Y2", SingleText(top));
  } else {
    properties.emplace_back("Left", SingleText(left));
    properties.emplace_back("Top", SingleText(top));
    if (kind->width > 0) {
      properties.emplace_back("Width", SingleText(width));
      properties.emplace_back("Height", SingleText(height));
    }
  }
  if (kind->tab_index) properties.emplace_back("TabIndex", std::to_string(HighestTabIndex(block_) + 1));
  if (kind->class_name == "PictureBox") {  // in twips, whatever its container's scale, inside its 3-D border
    properties.emplace_back("ScaleWidth", SingleText(kind->width - 60));
    properties.emplace_back("ScaleHeight", SingleText(kind->height - 60));
  }
  if (kind->class_name == "Data") {
    for (auto [property, value] : std::initializer_list<std::pair<const char*, const char*>>{
             {"Connect", "\"Access\""}, {"DatabaseName", "\"\""}, {"DefaultCursorType", "0"}, {"DefaultType", "2"},
             {"Exclusive", "0"}, {"Options", "0"}, {"ReadOnly", "0"}, {"RecordsetType", "1"}, {"RecordSource", "\"\""}})
      properties.emplace_back(property, value);
  }
  // VB6 writes an intrinsic control's properties in name order.
  std::stable_sort(properties.begin(), properties.end(),
                   [](const auto& a, const auto& b) { return cp1252::LessNoCase()(a.first, b.first); });
  DesignerControl& added = InsertControlLines(lines_, block_, inside, "VB." + std::string(kind->class_name), name, properties);
  MemoryControl& control = Wrap(added, &parent);
  Changed();
  ControlAdded.Raise(control);
  return control;
}

void MemoryDesigner::RemoveControl(VBControl& control) {
  MemoryControl& target = Own(control, "remove");
  if (&target == root_) throw HostError(5, "Invalid procedure call or argument: a form cannot remove itself");
  ControlRemoved.Raise(target);
  std::vector<DesignerControl*> gone{&target.control_};
  for (std::size_t i = 0; i < gone.size(); ++i)
    for (auto& child : gone[i]->children) gone.push_back(child.get());
  for (DesignerControl* block : gone) {
    MemoryControl* wrapped = Of(block);
    if (!wrapped) continue;
    wrapped->removed_ = true;
    selected_.erase(std::remove(selected_.begin(), selected_.end(), wrapped), selected_.end());
  }
  const bool in_tab_order = std::any_of(gone.begin(), gone.end(), [](const DesignerControl* block) { return InTabOrder(*block); });
  removed_.push_back(RemoveControlLines(lines_, block_, target.control_));
  if (in_tab_order) CloseTabOrder(lines_, block_);
  Changed();
}

void MemoryDesigner::ZOrder(MemoryControl& control, int position) {
  Own(control, "reorder");
  DesignerControl& block = control.control_;
  if (&control == root_ || cp1252::EqualsNoCase(block.prog_id, "VB.Menu"))
    throw HostError(5, "Invalid procedure call or argument: " + block.name + " has no place in the z-order");
  if (position != 0 && position != 1)
    throw HostError(5, "Invalid procedure call or argument: the z-order position is 0 (front) or 1 (back), not " +
                           std::to_string(position));
  DesignerControl& container = *block.container;
  const auto at = std::find_if(container.children.begin(), container.children.end(),
                               [&](const auto& child) { return child.get() == &block; });
  const std::size_t now = static_cast<std::size_t>(at - container.children.begin());
  // Menus stay last, whatever the order of the controls before them.
  std::size_t front = 0;
  while (front < container.children.size() && !cp1252::EqualsNoCase(container.children[front]->prog_id, "VB.Menu"))
    ++front;
  const std::size_t wanted = position == 0 ? front - 1 : 0;
  if (wanted == now) return;
  MoveControlLines(lines_, block_, block, container, wanted);
  Changed();
}

void MemoryDesigner::MoveInto(MemoryControl& control, VBControl& container) {
  Own(control, "move");
  MemoryControl& parent = Own(container, "move a control onto");
  DesignerControl& block = control.control_;
  DesignerControl& inside = parent.control_;
  const auto refuse = [&](const std::string& why) {
    throw HostError(5, "Invalid procedure call or argument: " + block.name + " cannot go " + why);
  };
  if (&control == root_) refuse("into another control: it is the form");
  if (cp1252::EqualsNoCase(block.prog_id, "VB.Menu")) refuse("into " + inside.name + ": it is a menu");
  if (block.container == &inside) return;
  for (const DesignerControl* up = &inside; up != nullptr; up = up->container)
    if (up == &block) refuse("into " + inside.name + ", which is inside it");
  const bool can_contain = &parent == root_ || cp1252::EqualsNoCase(inside.prog_id, "VB.Frame") ||
                           cp1252::EqualsNoCase(inside.prog_id, "VB.PictureBox") || !inside.children.empty();
  if (!can_contain) refuse("into " + inside.name + ": it cannot hold controls");
  // As for a new control: an MDI form holds only controls that align to its edges or are unseen.
  const std::string class_name = block.ClassName();
  if (&parent == root_ && cp1252::EqualsNoCase(block_.root->prog_id, "VB.MDIForm") && class_name != "PictureBox" &&
      class_name != "Timer" && class_name != "Data" && cp1252::StartsWithNoCase(block.prog_id, "VB."))
    refuse("onto " + block_.root->name + ": an MDI form cannot hold a " + class_name);
  MoveControlLines(lines_, block_, block, inside, inside.children.size());
  control.container_ = &parent;
  Changed();
}

int MemoryDesigner::ScaleMode() const {
  const DesignerProperty* mode = root_->Block().Find("ScaleMode");
  return mode ? static_cast<int>(std::strtol(mode->value.c_str(), nullptr, 10)) : 1;  // twips unless set
}

std::string MemoryDesigner::Caption() const {
  const DesignerProperty* caption = root_->Block().Find("Caption");
  return caption ? DesignerStringText(caption->value) : std::string();
}

}  // namespace gildex::host
