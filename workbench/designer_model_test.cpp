#include "workbench/designer_model.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <tuple>

#include "host/memory_vbe.h"
#include "host/project_loader.h"

namespace gildex::workbench {
namespace {

struct Sample {
  host::MemoryVBE vbe;
  host::LoadResult loaded = host::Load(vbe, std::filesystem::path(GILDEX_SOURCE_DIR) / "data/Sample/Orders.vbp");
  host::MemoryComponent& Component(const std::string& name) {
    return dynamic_cast<host::MemoryComponent&>(*vbe.Project(1).FindComponent(name));
  }
  DesignerModel Model(const std::string& name) {
    host::MemoryComponent& component = Component(name);
    return DesignerModel(*component.GetDesigner(), component.File().parent_path());
  }
};

const ControlView& View(const DesignerModel& model, const std::string& name) {
  for (const ControlView& view : model.Views())
    if (view.name == name) return view;
  throw std::runtime_error("no control " + name);
}

host::VBControl* Control(const DesignerModel& model, const std::string& name) { return View(model, name).control; }

// The lines of the file that an edit changed, as they are now.
std::vector<std::string> ChangedLines(const std::string& before, const std::string& after) {
  std::istringstream a(before), b(after);
  std::vector<std::string> changed;
  for (std::string old_line, new_line; std::getline(b, new_line);)
    if (!std::getline(a, old_line) || old_line != new_line) changed.push_back(new_line.substr(0, new_line.find('\r')));
  return changed;
}

// The properties window's row `name` among `rows`: "VALUE | SHOWN", then " | fixed" when it
// cannot be edited and " #N" when it offers N choices.
std::string Shown(const std::vector<PropertyRow>& rows, const std::string& name) {
  for (const PropertyRow& row : rows)
    if (row.name == name)
      return row.value + " | " + row.shown + (row.editable ? "" : " | fixed") +
             (row.choices.empty() ? "" : " #" + std::to_string(row.choices.size()));
  return "absent";
}

std::ptrdiff_t Depth(const DesignerModel& model, const std::string& name) { return &View(model, name) - model.Views().data(); }

TEST(DesignerModel, DrawsEditsAndListsTheSampleForms) {
  Sample sample;
  ASSERT_TRUE(sample.loaded.problems.empty() || !sample.loaded.problems.front().fatal);

  // Where each control stands, in pixels of the form's client area, and what it shows.
  struct Row { std::string form, control; Placement placement; DrawKind kind; Rect rect; std::string text; };
  const Row rows[] = {
      {"frmCustomer", "cmdOK", Placement::Box, DrawKind::CommandButton, {264, 376, 81, 25}, "OK"},
      // inside frames: from the frame's top left
      {"frmCustomer", "optStatus(0)", Placement::Box, DrawKind::OptionButton, {304, 116, 121, 17}, "&Active"},
      {"frmCustomer", "chkVip", Placement::Box, DrawKind::CheckBox, {304, 180, 121, 17}, "&VIP customer"},
      {"frmCustomer", "cboCountry", Placement::Box, DrawKind::ComboBox, {80, 171, 201, 21}, ""},
      {"frmCustomer", "txtEmail", Placement::Box, DrawKind::TextBox, {80, 64, 353, 21}, ""},
      // a long caption kept in the .frx
      {"frmCustomer", "lblInfo", Placement::Box, DrawKind::Label, {8, 300, 425, 65},
       "Customer data is stored only in the customer file you opened"},
      // picture boxes aligned to the form's edges, a frame inside one
      {"frmMain", "picButtons", Placement::Box, DrawKind::PictureBox, {0, 322, 577, 37}, ""},
      {"frmMain", "cmdClose", Placement::Box, DrawKind::CommandButton, {496, 328, 73, 25}, "Close"},
      {"frmMain", "fraFilter", Placement::Box, DrawKind::Frame, {8, 40, 385, 41}, "Show"},
      {"frmMain", "optFilter(3)", Placement::Box, DrawKind::OptionButton, {296, 56, 81, 17}, "&Closed"},
      {"frmMain", "lvwCustomers", Placement::Box, DrawKind::Other, {0, 89, 577, 233}, "lvwCustomers (ListView)"},
      {"frmAbout", "linSep", Placement::Segment, DrawKind::Line, {8, 124, 297, 1}, ""},
      {"frmAbout", "lblCopyright", Placement::Box, DrawKind::Label, {16, 72, 281, 17},
       "\xA9 2003-2004 J. Hofmann, Softwareentwicklung, K\xF6ln"},
      // unseen at run time: an icon at its place
      {"ctlStatusBar", "tmrClock", Placement::Icon, DrawKind::Timer, {312, 0, 28, 28}, ""},
      {"frmMDI", "dlgFile", Placement::Icon, DrawKind::Other, {592, 48, 28, 28}, "dlgFile (CommonDialog)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.form + "." + row.control);
    const DesignerModel model = sample.Model(row.form);
    const ControlView& view = View(model, row.control);
    EXPECT_EQ(view.placement, row.placement);
    EXPECT_EQ(view.kind, row.kind);
    EXPECT_EQ(view.rect, row.rect);
    EXPECT_EQ(row.text.empty() ? view.text : view.text.substr(0, row.text.size()), row.text);
  }

  // The form itself; menus have no place but make the menu bar.
  DesignerModel mdi = sample.Model("frmMDI");
  EXPECT_EQ(mdi.MenuBar(), (std::vector<std::string>{"&File", "&View", "&Window", "&Help"}));
  for (const ControlView& view : mdi.Views()) EXPECT_NE(view.kind, DrawKind::Menu) << view.name;
  DesignerModel customer = sample.Model("frmCustomer");
  EXPECT_EQ(customer.Caption(), "Customer");
  EXPECT_EQ(customer.ClientWidth(), 441);
  EXPECT_EQ(customer.ClientHeight(), 408);
  EXPECT_EQ(View(customer, "optStatus(0)").value, -1);  // True

  // Back to front: windowed controls over graphical ones whatever the file order, a
  // container's controls over it; hit testing takes the topmost.
  EXPECT_LT(Depth(customer, "lblTitle"), Depth(customer, "cmdCancel"));
  EXPECT_LT(Depth(customer, "fraAddress"), Depth(customer, "lblStreet"));
  EXPECT_LT(Depth(customer, "lblStreet"), Depth(customer, "txtStreet"));
  EXPECT_EQ(customer.HitTest({305, 181}), Control(customer, "chkVip"));
  EXPECT_EQ(customer.HitTest({430, 200}), Control(customer, "fraStatus"));
  EXPECT_EQ(customer.HitTest({4, 4}), nullptr);
  EXPECT_EQ(customer.ContainerAt({150, 150}), Control(customer, "fraAddress"));
  EXPECT_EQ(customer.ContainerAt({4, 4}), nullptr);

  // Moving and resizing write only the values whose edge moved, in the form's units.
  host::MemoryComponent& file = sample.Component("frmCustomer");
  std::string before = file.Serialize();
  customer.Click(Control(customer, "cmdOK"), false);
  customer.MoveSelection(2, -1);
  EXPECT_EQ(ChangedLines(before, file.Serialize()),
            (std::vector<std::string>{"      Left            =   3990", "      Top             =   5625"}));
  DesignerModel about = sample.Model("frmAbout");
  before = sample.Component("frmAbout").Serialize();
  about.Click(Control(about, "linSep"), false);
  about.MoveSelection(1, 1);
  EXPECT_EQ(ChangedLines(before, sample.Component("frmAbout").Serialize()),
            (std::vector<std::string>{"      X1              =   135", "      X2              =   4575",
                                      "      Y1              =   1875", "      Y2              =   1875"}));
  // The form's handles: its client size in twips, and its scale with it.
  before = sample.Component("frmAbout").Serialize();
  about.ResizeForm(about.ClientWidth() + 10, about.ClientHeight());
  EXPECT_EQ(ChangedLines(before, sample.Component("frmAbout").Serialize()),
            (std::vector<std::string>{"   ClientWidth     =   4845", "   ScaleWidth      =   4845"}));
  EXPECT_EQ(about.ClientWidth(), 323);
  // In pixels the values are given in pixels, so nothing moves, and moves write pixels.
  const Rect ok_rect = View(about, "cmdOK").rect;
  about.Designer().Form().SetPropertyValue("ScaleMode", "3");
  about.Reload();
  EXPECT_EQ(View(about, "cmdOK").rect, ok_rect);
  about.Click(Control(about, "cmdOK"), false);
  about.MoveSelection(2, 0);
  EXPECT_EQ(about.Designer().Form().FindProperty("ScaleMode")->Value(), "3");
  EXPECT_EQ(Control(about, "cmdOK")->FindProperty("Left")->Value(), "234");

  // The properties window: the form and its controls by name, the rows of one.
  const auto objects = customer.Objects();
  EXPECT_EQ(objects[0].text, "frmCustomer Form");
  EXPECT_EQ(objects[1].text, "cboCountry ComboBox");
  const auto shown = [&](host::VBControl& control, const std::string& name) { return Shown(customer.Rows(control), name); };
  host::VBControl& ok = *Control(customer, "cmdOK");
  EXPECT_EQ(customer.Rows(ok).front().name, "(Name)");
  EXPECT_EQ(shown(ok, "Caption"), "\"OK\" | OK");
  EXPECT_EQ(shown(ok, "Font.Name"), "\"Tahoma\" | Tahoma");
  EXPECT_EQ(shown(customer.Designer().Form(), "Icon"), "\"frmCustomer.frx\":0000 | (Icon) | fixed");
  EXPECT_EQ(shown(*Control(customer, "lblInfo"), "Caption").substr(0, 51),
            "$\"frmCustomer.frx\":03B8 | Customer data is stored o");

  // Booleans and enumerated values as VB6's window shows them, with their drop-downs; colours
  // and plain numbers as the file holds them.
  const std::vector<std::tuple<std::string, std::string, std::string>> values = {
      {"", "BorderStyle", "3 | 3 - Fixed Dialog #6"},   {"", "MaxButton", "0 | False #2"},
      {"", "StartUpPosition", "1 | 1 - CenterOwner #4"}, {"cmdOK", "Default", "-1 | True #2"},
      {"txtNotes", "ScrollBars", "2 | 2 - Vertical #4"}, {"cmdOK", "Font.Italic", "0 | False #2"},
      {"cmdOK", "TabIndex", "19 | 19"},                  {"lblInfo", "ForeColor", "&H00808080& | &H00808080&"},
      // what the file leaves out, at VB6's defaults
      {"txtNotes", "Alignment", "0 | 0 - Left Justify #3"}, {"txtNotes", "BackColor", "&H80000005& | &H80000005&"},
      {"", "Picture", " | (None) | fixed"},
  };
  for (const auto& [name, property, value] : values)
    EXPECT_EQ(shown(name.empty() ? customer.Designer().Form() : *Control(customer, name), property), value) << name << "." << property;
  // An ActiveX control's file holds colours in decimal: shown as VB6 shows every colour, and
  // written back in decimal.
  DesignerModel main = sample.Model("frmMain");
  host::VBControl& list = *Control(main, "lvwCustomers");
  EXPECT_EQ(Shown(main.Rows(list), "ForeColor"), "-2147483640 | &H80000008&");
  EXPECT_EQ(Shown(main.Rows(list), "BorderStyle"), "1 | 1") << "an ActiveX control's enumerations are not known here";
  before = sample.Component("frmMain").Serialize();
  main.SetProperty(list, "BackColor", "&H00FF0000&");
  main.SetProperty(list, "ForeColor", "&H80000008&");  // unchanged: not written
  EXPECT_EQ(ChangedLines(before, sample.Component("frmMain").Serialize()),
            (std::vector<std::string>{"      BackColor       =   16711680"}));

  // A double-click on such a value sets the next choice, round to the first.
  PropertyRow border{"BorderStyle", "5", "5 - Sizable ToolWindow", true, {"0 - None", "1 - Fixed Single"}};
  border.choices.push_back(border.shown);
  EXPECT_EQ(NextChoice(border), "0 - None");
  border.shown = "0 - None";
  EXPECT_EQ(NextChoice(border), "1 - Fixed Single");
  border.shown = "7";
  EXPECT_EQ(NextChoice(border), "0 - None") << "a value that is none of them";
  EXPECT_EQ(NextChoice(PropertyRow{"Left", "120", "120", true, {}}), "");
  EXPECT_EQ(ChoicesOf("VB.Form", "MousePointer").back(), (std::pair<std::string, std::string>{"99", "99 - Custom"}));
  EXPECT_EQ(ChoicesOf("MSComctlLib.ListViewCtrl", "BorderStyle"), ValueChoices{}) << "not an intrinsic control";
  // Picked or typed, a choice writes its value into that one line, with VB6's comment; any
  // other text is refused and changes nothing.
  const std::vector<std::tuple<std::string, std::string, std::string, std::string>> edits = {
      {"cmdOK", "Font.Underline", "True", "         Underline       =   -1  'True"},
      {"", "BorderStyle", "fixed single", "   BorderStyle     =   1  'Fixed Single"},
      {"txtNotes", "ScrollBars", "3 - Both", "      ScrollBars      =   3  'Both"},
      {"cmdOK", "Font.Italic", "-1", "         Italic          =   -1  'True"},
      {"", "MaxButton", "Maybe", ""},  // a value outside an enumeration is the host's to refuse
  };
  for (const auto& [name, property, typed, line] : edits) {
    host::VBControl& control = name.empty() ? customer.Designer().Form() : *Control(customer, name);
    before = file.Serialize();
    if (line.empty()) {
      EXPECT_THROW(customer.SetProperty(control, property, typed), host::HostError) << typed;
    } else {
      customer.SetProperty(control, property, typed);
    }
    EXPECT_EQ(ChangedLines(before, file.Serialize()),
              line.empty() ? std::vector<std::string>{} : std::vector<std::string>{line})
        << property << " " << typed;
  }

  // Setting a value as typed: a string gets its quotes; the name goes through the rename event.
  int renamed = 0;
  host::Connection subscription(customer.Designer().ControlRenamed, [&](host::VBControl&, const std::string& old_name,
                                                                        int) { renamed += old_name == "cmdOK"; });
  customer.SetProperty(ok, "(Name)", "cmdSave");
  customer.SetProperty(ok, "Caption", "&Save");
  customer.SetProperty(ok, "Font.Name", "Tahoma");  // unchanged: not written
  EXPECT_EQ(renamed, 1);
  EXPECT_EQ(shown(ok, "(Name)"), "cmdSave | cmdSave");
  EXPECT_EQ(shown(ok, "Caption"), "\"&Save\" | &Save");
  // Several controls: what they share, a value where they agree, set in each of them.
  const std::vector<host::VBControl*> labels{Control(customer, "lblName"), Control(customer, "lblEmail")};
  const auto common = customer.Rows(labels);
  EXPECT_EQ(common.size(), 40u);  // a label's 33 and the 7 of Font, those at their defaults too; no name
  EXPECT_EQ(Shown(common, "Width"), "975 | 975");
  EXPECT_EQ(Shown(common, "Top"), " | ");
  customer.SetProperty(labels, "Left", "240");
  EXPECT_EQ(Shown(customer.Rows(labels), "Left"), "240 | 240");

  // A new control goes into the container under the pointer, at the pointer, selected.
  host::VBControl& added = customer.AddAt("CommandButton", {420, 200});
  EXPECT_EQ(added.Container(), Control(customer, "fraStatus"));
  EXPECT_EQ(View(customer, added.Name()).rect, (Rect{420, 200, 81, 33}));
  EXPECT_EQ(customer.Designer().SelectedVBControls(), std::vector<host::VBControl*>{&added});

  // Deleting a frame with one of its controls selected too removes both once.
  customer.Designer().Select({Control(customer, "fraStatus"), Control(customer, "chkVip")});
  customer.DeleteSelection();
  EXPECT_EQ(customer.ViewOf(&added), nullptr);
  for (const ControlView& view : customer.Views()) EXPECT_NE(view.name, "chkVip");

  // Arranging, each on the customer form as read: the control on top where two overlap, the
  // values written, the container; the host's test owns the lines that move.
  // on_top: at the middle of cmdCancel, which cmdOK is first moved over; values: "control.Property=value" after
  // the edit; container: of the first control named in `values`.
  struct Arranged { std::string name; std::function<void(DesignerModel&)> edit; std::string on_top; std::vector<std::string> values; std::string container = ""; };
  const auto select = [](DesignerModel& model, std::vector<std::string> names) {
    std::vector<host::VBControl*> controls;
    for (const std::string& name : names) controls.push_back(Control(model, name));
    model.Designer().Select(controls);
  };
  const std::vector<Arranged> arranged = {
      {"the later in the file is on top", [](DesignerModel&) {}, "cmdOK", {"cmdOK.TabIndex=19"}},
      {"sent to the back",
       [&](DesignerModel& m) {
         select(m, {"cmdOK"});
         m.SendToBack();
       },
       "cmdCancel", {"cmdOK.TabIndex=19", "cmdCancel.TabIndex=20"}},
      {"both brought to the front keep their order",
       [&](DesignerModel& m) {
         select(m, {"cmdOK", "cmdCancel"});
         m.BringToFront();
         EXPECT_EQ(m.Designer().Controls().back(), Control(m, "cmdOK"));
       },
       "cmdOK", {}},
      {"to the grid's 120 twips (halves up), inside a frame from its origin",
       [&](DesignerModel& m) {
         select(m, {"cmdCancel", "chkVip", "optStatus(1)"});
         Control(m, "chkVip")->SetPropertyValue("Left", "170");
         Control(m, "cmdCancel")->SetPropertyValue("Top", "5699");
         m.AlignToGrid();
       },
       "cmdOK", {"chkVip.Left=120", "chkVip.Top=1320", "cmdCancel.Top=5640", "cmdCancel.Left=5280"}},
      {"to a grid of another size",
       [&](DesignerModel& m) {
         m.SetGrid({100, 50});
         select(m, {"chkVip"});
         m.AlignToGrid();
       },
       "cmdOK", {"chkVip.Left=100", "chkVip.Top=1250"}},
      {"dragged onto a frame: from its origin, where it was let go",
       [&](DesignerModel& m) {
         select(m, {"txtEmail"});
         m.DropSelection(16, 100, {100, 170});
         EXPECT_EQ(View(m, "txtEmail").rect, (Rect{96, 164, 353, 21}));
       },
       "cmdOK", {"txtEmail.Left=1320", "txtEmail.Top=1020", "txtEmail.TabIndex=3"}, "fraAddress"},
      {"dragged out of a frame onto the form",
       [&](DesignerModel& m) {
         select(m, {"chkVip"});
         m.DropSelection(0, 60, {310, 245});
         EXPECT_EQ(m.HitTest({310, 245}), Control(m, "chkVip"));
       },
       "cmdOK", {"chkVip.Left=4560", "chkVip.Top=3600"}, "frmCustomer"},
      {"dropped on its own frame it only moves", [&](DesignerModel& m) {
         select(m, {"chkVip"});
         m.DropSelection(-2, -4, {310, 180});
       },
       "cmdOK", {"chkVip.Left=90", "chkVip.Top=1200"}, "fraStatus"},
  };
  for (const Arranged& a : arranged) {
    SCOPED_TRACE(a.name);
    Sample fresh;
    DesignerModel model = fresh.Model("frmCustomer");
    const Rect cancel = View(model, "cmdCancel").rect;
    model.Place(*Control(model, "cmdOK"), cancel);
    a.edit(model);
    const Point middle{cancel.x + cancel.width / 2, cancel.y + cancel.height / 2};
    EXPECT_EQ(model.HitTest(middle), Control(model, a.on_top));
    for (const std::string& value : a.values) {
      const std::size_t dot = value.find('.'), equals = value.find('=');
      host::VBControl& control = *Control(model, value.substr(0, dot));
      EXPECT_EQ(control.FindProperty(value.substr(dot + 1, equals - dot - 1))->Value(), value.substr(equals + 1)) << value;
    }
    if (!a.container.empty()) {
      const std::string moved = a.values.front().substr(0, a.values.front().find('.'));
      EXPECT_EQ(Control(model, moved)->Container()->Name(), a.container);
    }
  }
  // A frame dropped into a picture box of pixels: it and its controls keep their places and
  // sizes on the screen, in pixels now.
  {
    Sample fresh;
    DesignerModel model = fresh.Model("frmMain");
    Control(model, "picButtons")->SetPropertyValue("ScaleMode", "3");
    model.Reload();
    const Rect frame = View(model, "fraFilter").rect, option = View(model, "optFilter(3)").rect;
    select(model, {"fraFilter"});
    model.DropSelection(0, 290, {300, 335});
    EXPECT_EQ(Control(model, "fraFilter")->Container(), Control(model, "picButtons"));
    EXPECT_EQ(View(model, "fraFilter").rect, (Rect{frame.x, frame.y + 290, frame.width, frame.height}));
    EXPECT_EQ(View(model, "optFilter(3)").rect, (Rect{option.x, option.y + 290, option.width, option.height}));
    EXPECT_EQ(Control(model, "optFilter(3)")->FindProperty("Width")->Value(), "81");
  }
  Sample fresh;
  DesignerModel model = fresh.Model("frmCustomer");
  EXPECT_FALSE(model.CanArrange());
  model.Click(Control(model, "cmdOK"), false);
  EXPECT_TRUE(model.CanArrange());
}

}  // namespace
}  // namespace gildex::workbench
