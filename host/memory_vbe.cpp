#include "host/memory_vbe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

#include "host/control_catalogue.h"
#include "host/designer_scale.h"
#include "host/project_loader.h"
#include "host/tab_order.h"
#include "platform/atomic_file.h"
#include "platform/shell_command.h"
#include "platform/cp1252.h"

namespace gildex::host {
namespace fs = std::filesystem;

namespace {

HostError OutOfRange() { return HostError(9, "Subscript out of range"); }

HostError NotSupportedYet(std::string_view what) {
  return HostError(445, "Object doesn't support this action: " + std::string(what) + " is not supported yet");
}

void CollectBinaryReferences(const DesignerProperty& property, std::vector<const DesignerProperty*>& out) {
  if (property.frx) out.push_back(&property);
  for (const auto& member : property.group) CollectBinaryReferences(member, out);
}

constexpr std::size_t kBuildOutputLimit = 64 * 1024;

struct CommandResult {
  int exit_code = 0;
  int signal = 0;      // the signal that ended it, or 0
  std::string output;  // standard output and error together, the last kBuildOutputLimit bytes
};

HostError CannotStart(const char* what) {
  return HostError(5, std::string("cannot start the build command: ") + what + ": " + std::strerror(errno));
}

// Runs `command` with /bin/sh in `folder`; standard input is /dev/null so that a build that
// asks a question cannot hang the add-in.
CommandResult RunShellCommand(const std::string& command, const fs::path& folder) {
  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_CLOEXEC) != 0) throw CannotStart("pipe");
  int null_fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  const std::string dir = folder.string();
  const std::string chdir_failed = "cannot enter folder " + dir + "\n";
  pid_t pid = ::fork();
  if (pid < 0) {
    HostError error = CannotStart("fork");
    ::close(pipe_fds[0]);
    ::close(pipe_fds[1]);
    if (null_fd >= 0) ::close(null_fd);
    throw error;
  }
  if (pid == 0) {
    // Only async-signal-safe calls between fork and exec.
    if (null_fd >= 0) ::dup2(null_fd, 0);
    ::dup2(pipe_fds[1], 1);
    ::dup2(pipe_fds[1], 2);
    if (::chdir(dir.c_str()) != 0) {
      ssize_t ignored = ::write(2, chdir_failed.data(), chdir_failed.size());
      (void)ignored;
      ::_exit(126);
    }
    ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(pipe_fds[1]);
  if (null_fd >= 0) ::close(null_fd);
  CommandResult result;
  char buffer[4096];
  for (;;) {
    ssize_t n = ::read(pipe_fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    result.output.append(buffer, static_cast<std::size_t>(n));
    if (result.output.size() > 2 * kBuildOutputLimit) result.output.erase(0, result.output.size() - kBuildOutputLimit);
  }
  ::close(pipe_fds[0]);
  if (result.output.size() > kBuildOutputLimit) result.output.erase(0, result.output.size() - kBuildOutputLimit);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

// The last non-blank line of a command's output, which is where build tools put the error.
std::string LastLine(std::string_view output) {
  std::size_t end = output.find_last_not_of(" \t\r\n");
  if (end == std::string_view::npos) return {};
  output = output.substr(0, end + 1);
  std::size_t start = output.find_last_of("\r\n");
  output = output.substr(start == std::string_view::npos ? 0 : start + 1);
  std::size_t first = output.find_first_not_of(" \t");
  return std::string(output.substr(first));
}

}  // namespace

std::string_view ComponentTypeName(ComponentType type) {
  switch (type) {
    case ComponentType::StdModule: return "Module";
    case ComponentType::ClassModule: return "Class";
    case ComponentType::MSForm: return "MSForm";
    case ComponentType::ResFile: return "ResFile";
    case ComponentType::VBForm: return "Form";
    case ComponentType::VBMDIForm: return "MDIForm";
    case ComponentType::PropPage: return "PropertyPage";
    case ComponentType::UserControl: return "UserControl";
    case ComponentType::DocObject: return "UserDocument";
    case ComponentType::RelatedDocument: return "RelatedDocument";
    case ComponentType::ActiveXDesigner: return "Designer";
  }
  return "Unknown";
}

// ---- designer ----

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

// ---- component ----

MemoryComponent::MemoryComponent(MemoryProject& project, ComponentType type, fs::path file, std::string bytes,
                                 std::optional<ProjectMember> member, std::vector<LoadProblem>& problems)
    : project_(project), type_(type), file_(std::move(file)), disk_bytes_(std::move(bytes)), member_(std::move(member)) {
  Parse(problems);
}

MemoryComponent::~MemoryComponent() = default;

bool MemoryComponent::IsBinary() const {
  return type_ == ComponentType::ResFile || type_ == ComponentType::RelatedDocument;
}

void MemoryComponent::Parse(std::vector<LoadProblem>& problems) {
  header_.clear();
  code_.reset();
  designer_.reset();
  block_.reset();
  usable_ = true;
  header_dirty_ = false;
  if (member_ && !member_->name.empty())
    name_ = member_->name;
  else if (member_)
    name_ = fs::path(WindowsFileName(member_->path_text)).stem().string();  // as the project file spells it
  else
    name_ = file_.stem().string();
  if (IsBinary()) return;

  std::size_t first_new = problems.size();
  SourceFile source = ParseSourceFile(disk_bytes_, file_.string(), problems);
  for (std::size_t i = first_new; i < problems.size(); ++i) usable_ = usable_ && !problems[i].fatal;
  if (!usable_) return;
  // The IDE names a component after its file's VB_Name, whatever the project file says.
  if (!source.vb_name.empty()) name_ = source.vb_name;
  header_ = std::move(source.header);
  block_ = std::move(source.designer);
  if (block_ && block_->root) {
    if (type_ == ComponentType::VBForm || type_ == ComponentType::VBMDIForm || type_ == ComponentType::MSForm) {
      const std::string& prog_id = block_->root->prog_id;
      if (cp1252::EqualsNoCase(prog_id, "VB.MDIForm"))
        type_ = ComponentType::VBMDIForm;
      else if (!prog_id.empty() && prog_id.front() == '{')
        type_ = ComponentType::MSForm;  // a Forms 2.0 designer, named by its class id
      else
        type_ = ComponentType::VBForm;
    }
    designer_ = std::make_unique<MemoryDesigner>(*this, *block_, header_);
    CheckBinaryFiles(problems);
  }
  code_ = std::make_unique<MemoryCodeModule>(name_, std::move(source.code), source.new_line_end, this);
  std::string().swap(disk_bytes_);
}

void MemoryComponent::CheckBinaryFiles(std::vector<LoadProblem>& problems) const {
  std::vector<const DesignerProperty*> references;
  std::vector<const DesignerControl*> controls{block_->root.get()};
  for (const DesignerControl* control : block_->AllControls()) controls.push_back(control);
  for (const DesignerControl* control : controls)
    for (const auto& property : control->properties) CollectBinaryReferences(property, references);
  std::set<std::string, cp1252::LessNoCase> reported;
  for (const DesignerProperty* property : references) {
    const std::string& name = property->frx->file;
    if (reported.count(name) || FindIgnoringCase(file_.parent_path(), name)) continue;
    reported.insert(name);
    problems.push_back({file_.string(), property->line,
                        "binary file \"" + name + "\" not found (property " + property->name + ")", false});
  }
}

std::string MemoryComponent::Name() const { return name_; }

void MemoryComponent::SetName(std::string_view name) {
  std::string old = name_;
  name_ = std::string(name);
  // A form and its component are one: the designer's Begin line carries the same name.
  if (block_ && block_->root && !block_->root->name.empty() && block_->root->name != name_) {
    RenameControlLine(header_, *block_->root, name_);
    header_dirty_ = true;
  }
  for (RawLine& line : header_) {
    if (!cp1252::StartsWithNoCase(line.text, "Attribute VB_Name")) continue;
    line.text = "Attribute VB_Name = \"" + name_ + "\"";
    header_dirty_ = true;
    break;
  }
  if (code_) code_->SetName(name_);
  project_.ComponentRenamed.Raise(*this, old);
}

bool MemoryComponent::HasOpenDesigner() const { return project_.Vbe().HasWindow(*this, WindowType::Designer); }

std::string MemoryComponent::FileNames(int index) const {
  if (index != 1) throw OutOfRange();
  return fs::absolute(file_).lexically_normal().string();
}

bool MemoryComponent::IsReadOnly() const {
  if (!usable_) return true;
  struct stat info {};
  if (stat(file_.c_str(), &info) != 0) return false;  // not on disk (any more): a save creates it
  // The permission bits first: the superuser may write anything, but a file without write
  // bits is read-only to its user (the Windows read-only attribute copied over).
  return (info.st_mode & 0222) == 0 || access(file_.c_str(), W_OK) != 0;
}

bool MemoryComponent::IsDirty() const { return header_dirty_ || (code_ && code_->IsDirty()); }

std::string MemoryComponent::Serialize() const {
  if (!usable_ || !code_) return disk_bytes_;
  std::string bytes = WriteSourceFile(header_, {});
  code_->AppendFileText(bytes);
  return bytes;
}

void MemoryComponent::MarkSaved(std::string bytes) {
  disk_stamp = platform::StampOf(bytes);
  if (!code_) disk_bytes_ = std::move(bytes);
  header_dirty_ = false;
  if (code_) code_->ClearDirty();
}

void MemoryComponent::SaveAs(const std::string& file_name) {
  if (!usable_) throw HostError(75, "Path/File access error: " + file_.string() + " did not load completely and is never written");
  bool cancel = false;
  project_.RequestWriteFile.Raise(file_name, cancel);
  if (cancel) return;
  std::string bytes = Serialize();
  try {
    platform::WriteFileAtomically(file_name, bytes, 0644, true);
  } catch (const std::exception& e) {
    throw HostError(75, std::string("Path/File access error: ") + e.what());
  }
  file_ = file_name;
  MarkSaved(std::move(bytes));
}

void MemoryComponent::Reload() {
  std::optional<std::string> bytes;
  try {
    bytes = platform::ReadWholeFile(file_);
  } catch (const std::exception& e) {
    throw HostError(75, std::string("Path/File access error: ") + e.what());
  }
  if (!bytes) throw HostError(53, "File not found: " + file_.string());
  project_.Vbe().CloseWindowsOf(*this);
  disk_stamp = platform::StampOf(*bytes);
  disk_bytes_ = std::move(*bytes);
  project_.problems.erase(std::remove_if(project_.problems.begin(), project_.problems.end(),
                                         [&](const LoadProblem& p) { return p.file == file_.string(); }),
                          project_.problems.end());
  Parse(project_.problems);
  project_.ComponentReloaded.Raise(*this);
}

VBProject& MemoryComponent::Project() { return project_; }

// ---- project ----

MemoryProject::MemoryProject(MemoryVBE& vbe, fs::path project_file, ProjectFile parsed, std::string disk_bytes)
    : vbe_(vbe), file_(std::move(project_file)), parsed_(std::move(parsed)), disk_bytes_(std::move(disk_bytes)) {}

MemoryProject::~MemoryProject() = default;

std::string MemoryProject::Name() const {
  if (!parsed_.name.empty()) return parsed_.name;
  return file_.empty() ? "Project1" : file_.stem().string();
}

std::string MemoryProject::FileName() const {
  return file_.empty() ? std::string() : fs::absolute(file_).lexically_normal().string();
}

std::string MemoryProject::BuildFileName() const {
  return file_.empty() ? std::string() : host::BuildFileName(parsed_, Folder());
}

fs::path MemoryProject::Folder() const {
  if (!file_.empty()) return file_.parent_path();
  return components_.empty() ? fs::path() : components_.front()->File().parent_path();
}

int MemoryProject::ComponentCount() const { return static_cast<int>(components_.size()); }

VBComponent& MemoryProject::Component(int index) {
  if (index < 1 || index > ComponentCount()) throw OutOfRange();
  return *components_[static_cast<std::size_t>(index - 1)];
}

VBComponent* MemoryProject::FindComponent(std::string_view name) {
  for (auto& component : components_)
    if (cp1252::EqualsNoCase(component->Name(), name)) return component.get();
  return nullptr;
}

std::vector<MemoryComponent*> MemoryProject::Components() const {
  std::vector<MemoryComponent*> all;
  for (const auto& component : components_) all.push_back(component.get());
  return all;
}

MemoryComponent& MemoryProject::Add(std::unique_ptr<MemoryComponent> component) {
  components_.push_back(std::move(component));
  if (vbe_.LoadingStep()) vbe_.LoadingStep()();
  return *components_.back();
}

VBComponent& MemoryProject::AddFromFile(const std::string& file_name) {
  std::optional<ComponentType> type = ComponentTypeOfFile(file_name);
  if (!type) throw HostError(75, "Path/File access error: " + file_name + " is not a VB6 component file");
  std::optional<std::string> bytes;
  try {
    bytes = platform::ReadWholeFile(file_name);
  } catch (const std::exception& e) {
    throw HostError(75, std::string("Path/File access error: ") + e.what());
  }
  if (!bytes) throw HostError(53, "File not found: " + file_name);
  std::vector<LoadProblem> found;
  auto component = std::make_unique<MemoryComponent>(*this, *type, file_name, std::move(*bytes), std::nullopt, found);
  for (const LoadProblem& problem : found)
    if (problem.fatal) throw HostError(75, problem.file + ":" + std::to_string(problem.line) + ": " + problem.message);
  problems.insert(problems.end(), found.begin(), found.end());
  MemoryComponent& added = Add(std::move(component));
  members_changed_ = true;
  ComponentAdded.Raise(added);
  return added;
}

void MemoryProject::Remove(VBComponent& component) {
  auto it = std::find_if(components_.begin(), components_.end(), [&](const auto& c) { return c.get() == &component; });
  if (it == components_.end()) throw HostError(9, "Subscript out of range: " + component.Name() + " is not in " + Name());
  ComponentRemoved.Raise(**it);
  vbe_.CloseWindowsOf(**it);
  if ((*it)->Member()) removed_member_lines_.push_back((*it)->Member()->line);
  components_.erase(it);
  members_changed_ = true;
}

void MemoryProject::MakeCompiledFile() {
  // As the IDE does before it writes the compiled file: an add-in may take the build over.
  if (const std::string output = BuildFileName(); !output.empty()) {
    bool cancel = false;
    RequestWriteFile.Raise(output, cancel);
    if (cancel) return;
  }
  const std::string& command = vbe_.BuildCommand();
  if (command.empty()) {
    // Nothing here can compile VB6; never report a build that did not happen.
    last_structure_problems_ = CheckStructure(*this);
    if (last_structure_problems_.empty())
      throw HostError(5, "no build command configured; structural check passed, nothing compiled");
    throw HostError(5, "no build command configured; structural check found " +
                           std::to_string(last_structure_problems_.size()) + " problem(s)");
  }
  if (file_.empty()) throw HostError(5, "cannot build " + Name() + ": it has no project file");
  if (vbe_.BeforeBuild()) vbe_.BeforeBuild()(*this);
  // The build reads the files on disk: it must see the text the user sees.
  if (IsDirty()) throw HostError(5, "cannot build " + Name() + ": the project has unsaved changes");
  fs::path project_file = fs::absolute(file_).lexically_normal();
  CommandResult result =
      RunShellCommand(platform::ExpandShellCommand(command, {{"{project}", project_file.string()}, {"{output}", BuildFileName()}}), project_file.parent_path());
  last_build_output_ = std::move(result.output);
  std::string last_line = LastLine(last_build_output_);
  std::string tail = last_line.empty() ? std::string() : ": " + last_line;
  if (result.signal != 0)
    throw HostError(5, "build command was stopped by signal " + std::to_string(result.signal) + tail);
  if (result.exit_code != 0)
    throw HostError(5, "build command failed with exit code " + std::to_string(result.exit_code) + tail);
}

bool MemoryProject::IsDirty() const {
  if (members_changed_) return true;
  return std::any_of(components_.begin(), components_.end(), [](const auto& c) { return c->IsDirty(); });
}

namespace {

// The project file line VB6 writes for `component` in a project file in `folder`.
std::string MemberLineFor(MemoryComponent& component, const fs::path& folder) {
  const fs::path file = fs::absolute(component.File()).lexically_normal();
  const fs::path relative = file.lexically_relative(folder);
  std::string path = (relative.empty() ? file : relative).string();
  std::replace(path.begin(), path.end(), '/', '\\');
  switch (component.Type()) {
    case ComponentType::VBForm:
    case ComponentType::VBMDIForm: return "Form=" + path;
    case ComponentType::StdModule: return "Module=" + component.Name() + "; " + path;
    case ComponentType::ClassModule: return "Class=" + component.Name() + "; " + path;
    case ComponentType::UserControl: return "UserControl=" + path;
    case ComponentType::PropPage: return "PropertyPage=" + path;
    case ComponentType::DocObject: return "UserDocument=" + path;
    case ComponentType::ActiveXDesigner: return "Designer=" + path;
    default: throw HostError(75, "Path/File access error: " + component.Name() + " has no line of a project file");
  }
}

}  // namespace

std::vector<RawLine> MemoryProject::ProjectFileLines(const fs::path& folder,
                                                     std::vector<std::pair<MemoryComponent*, long>>& placed) const {
  std::vector<RawLine> old = parsed_.lines;
  // New members go after the last member line, else after the Type line, else first.
  long insert_after = 0;
  for (const ProjectMember& member : parsed_.members) insert_after = std::max(insert_after, member.line);
  if (file_.empty()) {
    // Never saved: the lines VB6 starts a project file with, the members to follow Type.
    std::string startup = "Sub Main";
    for (const auto& component : components_)
      if (component->Type() == ComponentType::VBForm || component->Type() == ComponentType::VBMDIForm) {
        startup = component->Name();
        break;
      }
    old = {{"Type=Exe"}, {"Startup=\"" + startup + "\""}, {"Command32=\"\""}, {"Name=\"" + Name() + "\""}};
    insert_after = 1;
  } else if (insert_after == 0) {
    for (std::size_t i = 0; i < old.size() && insert_after == 0; ++i)
      if (cp1252::StartsWithNoCase(old[i].text, "Type=")) insert_after = static_cast<long>(i) + 1;
  }
  const LineEnd end = DominantLineEnd(old);
  std::vector<RawLine> lines;
  std::map<long, long> moved;  // a line of `old` -> its line in `lines`
  auto add_new_members = [&] {
    if (!lines.empty() && lines.back().end == LineEnd::None) lines.back().end = end;
    for (const auto& component : components_)
      if (!component->Member()) {
        lines.push_back({MemberLineFor(*component, folder), end});
        placed.emplace_back(component.get(), static_cast<long>(lines.size()));
      }
  };
  if (insert_after == 0) add_new_members();
  for (long line = 1; line <= static_cast<long>(old.size()); ++line) {
    if (std::find(removed_member_lines_.begin(), removed_member_lines_.end(), line) == removed_member_lines_.end()) {
      lines.push_back(old[static_cast<std::size_t>(line - 1)]);
      moved[line] = static_cast<long>(lines.size());
    }
    if (line == insert_after) add_new_members();
  }
  for (const auto& component : components_)
    if (component->Member()) placed.emplace_back(component.get(), moved.at(component->Member()->line));
  return lines;
}

void MemoryProject::SaveAs(const std::string& file_name) {
  const fs::path target = fs::absolute(fs::path(file_name)).lexically_normal();
  // The member lines kept are relative to the project file's folder.
  if (!file_.empty() && target.parent_path() != fs::absolute(file_).lexically_normal().parent_path())
    throw NotSupportedYet("saving a project into another folder");
  // Made first: a member that has no line of a project file stops the save before any write.
  std::vector<std::pair<MemoryComponent*, long>> placed;
  const std::string bytes = JoinLines(ProjectFileLines(target.parent_path(), placed));
  SaveResult saved = SaveProject(*this);
  if (!saved.error.empty()) throw HostError(75, saved.error);
  // The save of the components leaves a changed member list to the project file, written here.
  for (const LoadProblem& skipped : saved.skipped)
    if (skipped.file != file_.string()) throw HostError(75, skipped.file + ": " + skipped.message);
  bool cancel = false;
  RequestWriteFile.Raise(file_name, cancel);
  if (cancel) return;
  try {
    platform::WriteFileAtomically(target, bytes, 0644, true);
  } catch (const std::exception& e) {
    throw HostError(75, std::string("Path/File access error: ") + e.what());
  }
  file_ = fs::path(file_name);
  disk_bytes_ = bytes;
  parsed_ = ParseProjectFile(disk_bytes_);
  members_changed_ = false;
  removed_member_lines_.clear();
  for (const auto& [component, line] : placed)
    for (const ProjectMember& member : parsed_.members)
      if (member.line == line) component->member_ = member;
}

bool MemoryProject::LoadedCompletely() const {
  return std::none_of(problems.begin(), problems.end(), [](const LoadProblem& p) { return p.fatal; });
}

// ---- windows ----

MemoryWindow::MemoryWindow(MemoryVBE& vbe, WindowType type, MemoryComponent& component)
    : vbe_(vbe), type_(type), component_(&component) {
  std::string kind = type == WindowType::CodeWindow ? "Code" : std::string(ComponentTypeName(component.Type()));
  caption_ = component.Project().Name() + " - " + component.Name() + " (" + kind + ")";
}

std::string MemoryWindow::Caption() const { return caption_; }

void MemoryWindow::Close() {
  if (component_) vbe_.CloseWindow(*this);
}

// ---- VBE ----

namespace {

// A control of the IDE's own bars: a popup when it has entries of its own. A caption starting
// with "|" begins a group (the IDE's separator line above it).
struct IdeEntry {
  std::string caption;
  std::vector<IdeEntry> entries = {};
};

struct IdeBar {
  const char* name;
  BarPosition position;
  bool visible;
  std::vector<IdeEntry> entries;
};

void AddEntries(CommandBar& bar, const std::vector<IdeEntry>& entries, bool toolbar) {
  for (const IdeEntry& entry : entries) {
    CommandBarControl& control = bar.Add(entry.entries.empty() ? ControlKind::Button : ControlKind::Popup);
    control.begin_group = entry.caption.starts_with('|');
    control.caption = control.begin_group ? entry.caption.substr(1) : entry.caption;
    // Toolbar buttons show their caption only as the tooltip.
    if (toolbar) control.tooltip_text = control.caption;
    if (control.popup) AddEntries(*control.popup, entry.entries, false);
  }
}

// The bars a VB6 IDE starts with, each with the first of its own entries, so that an add-in
// finds the bars it extends by name and a drawn menu reads like the IDE's.
void AddIdeBars(CommandBars& bars) {
  const std::vector<IdeBar> ide = {
      {"Menu Bar", BarPosition::Top, true,
       {{"&File", {{"&New Project"}, {"&Open Project..."}, {"A&dd Project..."}, {"Remo&ve Project"},
                   {"|Sa&ve Project"}, {"Save Project As..."}, {"|&Print..."}, {"|Make Project1.exe..."},
                   {"|E&xit"}}},
        {"&Edit", {{"&Undo"}, {"&Redo"}, {"|Cu&t"}, {"&Copy"}, {"&Paste"}, {"|&Find..."}, {"Replac&e..."}}},
        {"&View", {{"&Code"}, {"O&bject"}, {"|Pro&ject Explorer"}, {"Properties &Window"}, {"Tool&box"},
                   {"|&Toolbars", {{"&Debug"}, {"&Edit"}, {"&Form Editor"}, {"&Standard"}}}}},
        {"&Project", {{"Add &Form"}, {"Add &Module"}, {"Add &Class Module"}, {"|&Remove"},
                      {"|Re&ferences..."}, {"Co&mponents..."}, {"|Project1 Pr&operties..."}}},
        {"F&ormat", {{"&Align", {{"&Lefts"}, {"&Centers"}, {"&Rights"}, {"|&Tops"}, {"&Middles"}, {"&Bottoms"},
                                 {"|to &Grid"}}},
                     {"Make &Same Size", {{"&Width"}, {"&Height"}, {"&Both"}}}, {"Size to Gr&id"},
                     {"|Center in F&orm", {{"&Horizontally"}, {"&Vertically"}}},
                     {"|O&rder", {{"&Bring to Front"}, {"&Send to Back"}}}, {"|&Lock Controls"}}},
        {"&Debug", {{"Step &Into"}, {"Step &Over"}, {"Step O&ut"}, {"|&Toggle Breakpoint"}}},
        {"&Run", {{"&Start"}, {"Start With &Full Compile"}, {"|&Break"}, {"&End"}, {"&Restart"}}},
        {"&Tools", {{"&Add Procedure..."}, {"Procedure Attri&butes..."}, {"|&Menu Editor..."}, {"|&Options..."}}},
        {"&Add-Ins", {{"&Visual Data Manager..."}, {"|&Add-In Manager..."}}},
        {"&Window", {{"&Split"}, {"|Tile &Horizontally"}, {"Tile &Vertically"}, {"&Cascade"}}},
        {"&Help", {{"&Contents"}, {"&Index"}, {"&Search"}, {"|&About Microsoft Visual Basic..."}}}}},
      {"Standard", BarPosition::Top, true,
       {{"Add Standard EXE Project"}, {"Add Form"}, {"Menu Editor"}, {"Open Project"}, {"Save Project"},
        {"|Cut"}, {"Copy"}, {"Paste"}, {"Find"}, {"|Undo"}, {"Redo"}, {"|Start"}, {"Break"}, {"End"},
        {"|Project Explorer"}, {"Properties Window"}, {"Form Layout Window"}, {"Object Browser"}, {"Toolbox"}}},
      {"Edit", BarPosition::Top, false,
       {{"List Properties/Methods"}, {"List Constants"}, {"Quick Info"}, {"Parameter Info"}, {"Complete Word"},
        {"|Indent"}, {"Outdent"}, {"|Toggle Breakpoint"}, {"|Comment Block"}, {"Uncomment Block"}}},
      {"Debug", BarPosition::Top, false,
       {{"Start"}, {"Break"}, {"End"}, {"|Toggle Breakpoint"}, {"|Step Into"}, {"Step Over"}, {"Step Out"},
        {"|Locals Window"}, {"Immediate Window"}, {"Watch Window"}, {"Quick Watch"}, {"Call Stack"}}},
      {"Form Editor", BarPosition::Top, false,
       {{"Bring to Front"}, {"Send to Back"}, {"|Align"}, {"Center"}, {"Make Same Size"}, {"|Lock Controls"}}},
      {"Project Window", BarPosition::Popup, false,
       {{"View &Code"}, {"View O&bject"}, {"|&Add", {{"&Form"}, {"&Module"}, {"&Class Module"}}},
        {"|Doc&kable"}, {"&Hide"}}},
      {"Project Window Project", BarPosition::Popup, false,
       {{"Project1 Pr&operties..."}, {"|&Add", {{"&Form"}, {"&Module"}, {"&Class Module"}}},
        {"|Sa&ve Project"}, {"Save Project &As..."}, {"|&Print..."}, {"|Doc&kable"}, {"&Hide"}}},
      {"Project Window Module/Class Folder", BarPosition::Popup, false,
       {{"View &Code"}, {"|&Add", {{"&Form"}, {"&Module"}, {"&Class Module"}}}, {"|Sa&ve"}, {"Save &As..."},
        {"&Remove"}, {"|&Print..."}, {"|Doc&kable"}, {"&Hide"}}},
      {"Project Window Form Folder", BarPosition::Popup, false,
       {{"View &Code"}, {"View O&bject"}, {"|&Add", {{"&Form"}, {"&Module"}, {"&Class Module"}}}, {"|Sa&ve"},
        {"Save &As..."}, {"&Remove"}, {"|&Print..."}, {"|Doc&kable"}, {"&Hide"}}},
      {"Code Window", BarPosition::Popup, false,
       {{"Lis&t Properties/Methods"}, {"List Constan&ts"}, {"&Quick Info"}, {"&Parameter Info"},
        {"Complete &Word"}, {"|Cu&t"}, {"&Copy"}, {"&Paste"},
        {"|Toggle", {{"&Breakpoint"}, {"&Bookmark"}}}, {"|&View Object"}, {"Object &Browser"},
        {"|Add &Watch..."}, {"|&Definition"}, {"&Last Position"}, {"|&Hide"}}},
      {"Form Designer", BarPosition::Popup, false,
       {{"View &Code"}, {"|&Menu Editor..."}, {"|&Lock Controls"}, {"&Paste"}, {"|&Properties"}}},
      {"Controls", BarPosition::Popup, false,
       {{"View &Code"}, {"|Cu&t"}, {"&Copy"}, {"&Paste"}, {"&Delete"}, {"|Bring to &Front"}, {"Send to &Back"},
        {"|&Align to Grid"}, {"|&Properties"}}},
  };
  for (const IdeBar& spec : ide) {
    CommandBar& bar = bars.Add(spec.name, spec.position, std::string_view(spec.name) == "Menu Bar");
    bar.visible = spec.visible;
    AddEntries(bar, spec.entries, spec.position != BarPosition::Popup && !bar.menu_bar);
  }
}

}  // namespace

MemoryVBE::MemoryVBE() { AddIdeBars(bars_); }

MemoryVBE::~MemoryVBE() {
  // Windows refer to components: they go first.
  windows_.clear();
  closed_windows_.clear();
  projects_.clear();
}

int MemoryVBE::ProjectCount() const { return static_cast<int>(projects_.size()); }

VBProject& MemoryVBE::Project(int index) {
  if (index < 1 || index > ProjectCount()) throw OutOfRange();
  return *projects_[static_cast<std::size_t>(index - 1)];
}

std::vector<Window*> MemoryVBE::Windows() {
  std::vector<Window*> all;
  for (auto& window : windows_) all.push_back(window.get());
  return all;
}

std::string MemoryVBE::MainWindowCaption() const {
  constexpr std::string_view kIde = "Microsoft Visual Basic [design]";
  return active_ ? active_->Name() + " - " + std::string(kIde) : std::string(kIde);
}

MemoryProject& MemoryVBE::AddProject(std::unique_ptr<MemoryProject> project) {
  projects_.push_back(std::move(project));
  MemoryProject& added = *projects_.back();
  if (!active_) active_ = &added;
  ProjectAdded.Raise(added);
  return added;
}

void MemoryVBE::RemoveProject(MemoryProject& project) {
  auto it = std::find_if(projects_.begin(), projects_.end(), [&](const auto& p) { return p.get() == &project; });
  if (it == projects_.end()) throw OutOfRange();
  for (MemoryComponent* component : project.Components()) CloseWindowsOf(*component);
  // As in VB6, handlers see the project that stays active, not the one going; the removed
  // one is still alive while they run, so they can let go of its events.
  if (active_ == &project) {
    active_ = nullptr;
    for (const auto& other : projects_)
      if (other.get() != &project) {
        active_ = other.get();
        break;
      }
  }
  if (selected_ != nullptr && &selected_->Project() == &project) selected_ = nullptr;
  ProjectRemoved.Raise(project);
  projects_.erase(std::find_if(projects_.begin(), projects_.end(), [&](const auto& p) { return p.get() == &project; }));
}

void MemoryVBE::SetActiveProject(MemoryProject& project) {
  active_ = &project;
  ProjectActivated.Raise(project);
}

std::vector<MemoryProject*> MemoryVBE::Projects() const {
  std::vector<MemoryProject*> all;
  for (const auto& project : projects_) all.push_back(project.get());
  return all;
}

void MemoryVBE::SelectComponent(MemoryComponent& component) {
  selected_ = &component;
  component.Project().ComponentSelected.Raise(component);
}

Window& MemoryVBE::OpenWindow(MemoryComponent& component, WindowType type) {
  for (auto& window : windows_)
    if (window->component_ == &component && window->type_ == type) return *window;
  windows_.push_back(std::make_unique<MemoryWindow>(*this, type, component));
  return *windows_.back();
}

Window& MemoryVBE::ShowCode(MemoryComponent& component) {
  if (!component.Code()) throw HostError(445, "Object doesn't support this action: " + component.Name() + " has no code");
  Window& window = OpenWindow(component, WindowType::CodeWindow);
  active_pane_ = &component.Code()->Pane();
  selected_ = &component;
  component.Project().ComponentActivated.Raise(component);
  return window;
}

Window& MemoryVBE::ShowDesigner(MemoryComponent& component) {
  if (!component.GetDesigner())
    throw HostError(445, "Object doesn't support this action: " + component.Name() + " has no designer");
  Window& window = OpenWindow(component, WindowType::Designer);
  selected_ = &component;
  component.Project().ComponentActivated.Raise(component);
  return window;
}

bool MemoryVBE::HasWindow(const MemoryComponent& component, WindowType type) const {
  return std::any_of(windows_.begin(), windows_.end(),
                     [&](const auto& w) { return w->component_ == &component && w->type_ == type; });
}

void MemoryVBE::CloseWindowsOf(const MemoryComponent& component) {
  std::vector<MemoryWindow*> of_component;
  for (auto& window : windows_)
    if (window->component_ == &component) of_component.push_back(window.get());
  for (MemoryWindow* window : of_component) CloseWindow(*window);
  if (selected_ == &component) selected_ = nullptr;
}

void MemoryVBE::CloseWindow(MemoryWindow& window) {
  auto it = std::find_if(windows_.begin(), windows_.end(), [&](const auto& w) { return w.get() == &window; });
  if (it == windows_.end()) return;
  MemoryComponent* component = window.component_;
  if (window.type_ == WindowType::CodeWindow && component && component->Code() &&
      active_pane_ == &component->Code()->Pane())
    active_pane_ = nullptr;
  window.component_ = nullptr;
  closed_windows_.push_back(std::move(*it));
  windows_.erase(it);
}

}  // namespace gildex::host
