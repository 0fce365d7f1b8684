// The "Controls" menu's commands on frmCustomer of the Orders sample, seen in its form file
// as written afterwards and in the boxes the user saw.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "host/host_test.h"
#include "ide/connect.h"
#include "ide/ide_rig_test.h"

namespace gildex {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;
using platform::testing::WriteBytes;
using Strings = std::vector<std::string>;

struct ControlsIde : testing::SampleHost {
  explicit ControlsIde(bool windows = true) {
    Start("Orders.vbp", Views(windows));
    before = ReadBytes(File());
  }
  host::MemoryComponent& Customer() { return Component("frmCustomer"); }
  fs::path File() const { return folder / "frmCustomer.frm"; }
  // frmCustomer's designer open and current, with `names` selected in that order.
  // "-closed": current with its designer closed.
  void Select(const Strings& names) {
    if (!names.empty() && names[0] == "-closed") return vbe.SelectComponent(Customer());
    vbe.ShowDesigner(Customer());
    vbe.SelectComponent(Customer());
    host::Designer& designer = *Customer().GetDesigner();
    std::vector<host::VBControl*> chosen;
    for (const std::string& name : names)
      for (host::VBControl* control : designer.Controls())
        if (control->Name() == name) chosen.push_back(control);
    designer.Select(chosen);
  }
  // The boxes shown, then the form file's changed lines once saved.
  Strings Outcome() {
    Strings seen;
    for (const std::string& shown : tools.log) seen.push_back(shown);
    const std::string program = rig.services.program_folder.string();
    for (const platform::MessageBox& box : rig.dialogs.Asked()) {
      std::string prompt = box.prompt;
      if (const std::size_t at = prompt.find(program); at != std::string::npos) prompt.replace(at, program.size(), "PROGRAM");
      seen.push_back("box " + box.title + ": " + prompt);
    }
    if (Customer().IsDirty()) Customer().SaveAs(File().string());
    std::istringstream diff(host::testing::LineDiff(before, ReadBytes(File())));
    for (std::string line; std::getline(diff, line);) seen.push_back(line.substr(line.find(' ') + 1));  // no "@N "
    return seen;
  }

  std::string before;
};

constexpr const char* kTwo = "box Gildex: Please select at least 2 controls to use this option.";
constexpr const char* kAsk = "box Property Copy: Proceed to copy properties FROM txtStreet?";

TEST(ControlsMenu, CopyPropertiesWritesOnlyTheChangedLines) {
  struct Row {
    const char* name;
    Strings selected;
    bool silent, position, dimensions;
    int discard;
    std::vector<platform::MsgBoxResult> answers;
    Strings seen;
    const char* add = nullptr;  // a control placed first, on VB6's default font
  };
  // TabIndex lines changed, (depth, from, to) each: the tab order keeps its places 0 to n - 1.
  auto tabs = [](std::initializer_list<std::tuple<int, int, int>> changes) {
    Strings lines;
    for (const auto& [depth, from, to] : changes) {
      const std::string name = std::string(3 * depth, ' ') + "TabIndex        =   ";
      lines.push_back("-" + name + std::to_string(from));
      lines.push_back("+" + name + std::to_string(to));
    }
    return lines;
  };
  // txtCity takes txtStreet's place 6: txtZip, txtStreet and lblZip move one back.
  const Strings tab = tabs({{3, 9, 6}}), moved = tabs({{3, 8, 9}, {3, 6, 7}, {3, 7, 8}});
  const Strings width = {"-         Width           =   2055", "+         Width           =   3015"};
  auto join = [](std::initializer_list<Strings> parts) {
    Strings all;
    for (const Strings& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  };
  const std::vector<Row> rows = {
      {"neither place nor size, names kept", {"txtStreet", "txtCity"}, true, false, false, 2, {}, join({tab, moved})},
      {"size only", {"txtStreet", "txtCity"}, true, false, true, 2, {}, join({tab, width, moved})},
      {"place and size", {"txtStreet", "txtCity"}, true, true, true, 2, {},
       {"-         Left            =   2040", "-         TabIndex        =   9", "-         Top             =   720",
        "-         Width           =   2055", "+         Left            =   1080", "+         TabIndex        =   6",
        "+         Top             =   315", "+         Width           =   3015", moved[0], moved[1], moved[2], moved[3], moved[4],
        moved[5]}},
      {"rename the source", {"txtStreet", "txtCity"}, true, false, false, 1, {},
       join({{"-      Begin VB.TextBox txtCity ", "+      Begin VB.TextBox txtStreet "}, tab, tabs({{3, 8, 9}}),
             {"-      Begin VB.TextBox txtStreet ", "+      Begin VB.TextBox txtCityold "}, tabs({{3, 6, 7}, {3, 7, 8}})})},
      // txtStreet, moved to 7 by the copy, leaves a gap that the places behind it close.
      {"discard the source", {"txtStreet", "txtCity"}, true, false, false, 0, {},
       join({tabs({{2, 20, 19}, {2, 19, 18}, {2, 18, 17}, {2, 12, 11}, {3, 16, 15}, {3, 15, 14}, {3, 14, 13}, {3, 13, 12},
                   {3, 11, 10}}),
             {"-      Begin VB.TextBox txtCity ", "+      Begin VB.TextBox txtStreet "}, tab,
             {"-      Begin VB.TextBox txtStreet ", "-         BeginProperty Font ", "-            Name            =   \"Tahoma\"",
              "-            Size            =   8.25", "-            Charset         =   0",
              "-            Weight          =   400", "-            Underline       =   0   'False",
              "-            Italic          =   0   'False", "-            Strikethrough   =   0   'False",
              "-         EndProperty", "-         Height          =   315", "-         Left            =   1080",
              "-         TabIndex        =   6", "-         Top             =   315", "-         Width           =   3015",
              "-      End"},
             tabs({{3, 10, 9}, {2, 22, 21}, {2, 17, 16}, {2, 21, 20}})})},
      // The source is at its default where the target is not: the target goes back to it.
      {"a source at its default", {"txtStreet", "txtZip"}, true, false, false, 2, {},
       join({{"-         MaxLength       =   10", "-         TabIndex        =   8", "+         TabIndex        =   6"},
             tabs({{3, 6, 7}, {3, 7, 8}})})},
      {"asked, answered No", {"txtStreet", "txtCity"}, false, true, true, 0, {platform::vbNo}, {kAsk}},
      {"asked, answered Yes", {"txtStreet", "txtCity"}, false, false, false, 2, {platform::vbYes}, join({{kAsk}, tab, moved})},
      // Another class takes the properties it has, those at their defaults too (a label has no
      // MaxLength, but a back colour and a border).
      {"to another class", {"txtZip", "lblZip"}, true, true, true, 2, {},
       join({tabs({{3, 8, 7}}), {"+         BackColor       =   &H80000005&", "+         BorderStyle     =   1  'Fixed Single",
        "-         Height          =   255", "-         Left            =   120", "-         TabIndex        =   7",
        "-         Top             =   765", "+         ForeColor       =   &H80000008&", "+         Height          =   315",
        "+         Left            =   1080", "+         TabIndex        =   8", "+         Top             =   720"}})},
      // The font goes member by member: only the lines that differ change.
      {"a font to another class", {"lblTitle", "txtName"}, true, false, false, 2, {},
       // txtName goes from 1 to lblTitle's 21: the places from 2 to 21 move one forward.
       join({tabs({{2, 20, 19}, {2, 19, 18}, {2, 18, 17}, {2, 12, 11}, {3, 16, 15}, {3, 15, 14}, {3, 14, 13}, {3, 13, 12},
                   {2, 4, 3}, {3, 11, 10}, {3, 9, 8}, {3, 8, 7}, {3, 6, 5}, {3, 10, 9}, {3, 7, 6}, {3, 5, 4}, {2, 3, 2}}),
             {"+      BackColor       =   &H8000000F&", "+      BorderStyle     =   0  'None", "-         Size            =   8.25",
              "+         Size            =   9.75", "-         Weight          =   400", "+         Weight          =   700",
              "+      ForeColor       =   &H80000012&"},
             tabs({{2, 1, 21}, {2, 17, 16}, {2, 2, 1}, {2, 21, 20}})})},
      {"a font to a control on the default font", {"lblTitle", "Command1"}, true, false, false, 2, {},
       join({tabs({{2, 22, 23}, {2, 21, 22}}), {"+   Begin VB.CommandButton Command1 ", "+      Caption         =   \"New customer\""},
             {"+      BeginProperty Font ", "+         Name            =   \"Tahoma\"", "+         Size            =   9.75",
              "+         Charset         =   0", "+         Weight          =   700", "+         Underline       =   0   'False",
              "+         Italic          =   0   'False", "+         Strikethrough   =   0   'False", "+      EndProperty"},
             {"+      Height          =   495", "+      Left            =   2700", "+      TabIndex        =   21",
              "+      Top             =   2812", "+      Width           =   1215", "+   End"}}),
       "CommandButton"},
      {"one control selected", {"txtStreet"}, true, true, true, 0, {}, {kTwo}},
      {"none selected", {}, false, true, true, 0, {}, {kTwo}},
      {"designer closed", {"-closed"}, true, true, true, 0, {}, {}},
  };
  for (const Row& row : rows) {
    ControlsIde ide;
    CGildex& engine = ide.rig.add_in.Engine();
    engine.CopierSilent(row.silent), engine.CopierPosition(row.position), engine.CopierDimensions(row.dimensions);
    engine.CopierDiscard(static_cast<std::int16_t>(row.discard));
    for (platform::MsgBoxResult answer : row.answers) ide.rig.dialogs.Answer(answer);
    if (row.add) ide.Customer().GetDesigner()->AddControl(row.add);
    ide.Select(row.selected);
    ide.connect->Designer().hWndControlCopy_Click();
    EXPECT_EQ(ide.Outcome(), row.seen) << row.name;
  }
}

// A template applied by name (no window needed) or chosen in the window, and the refusals.
TEST(ControlsMenu, ApplyControlTemplateSetsTheListedProperties) {
  enum How { Named, Window };
  struct Row {
    const char* name;
    bool windows;
    How how;
    std::string file;  // Boxes.ctt's bytes
    Strings selected;
    std::string chosen;  // in the window; "" closes it
    Strings seen;
    const char* add = nullptr;  // a control placed first, on VB6's default font
  };
  const std::string boxes = "Width = 1500\r\nMaxLength=5\r\nCaption=\"&Postcode:\"\r\nNoSuch=1\r\nWidth=9\r\n";
  // Every selected control takes each entry it has a property for, the first of a name only,
  // txtCity's MaxLength at its default too; quotes go, and a text property gets its own back.
  const Strings applied = {"+         MaxLength       =   5",           "-         Width           =   2055",        "+         Width           =   1500",
                           "-         MaxLength       =   10",          "+         MaxLength       =   5",
                           "-         Width           =   855",         "+         Width           =   1500",
                           "-         Caption         =   \"&ZIP, city:\"", "+         Caption         =   \"&Postcode:\"",
                           "-         Width           =   855",         "+         Width           =   1500"};
  auto error = [](const std::string& text) {
    return "box Gildex Error.: Error 5: \r\nInvalid procedure call or argument (" + text +
           ")\r\nOccurred at line 0in Gildex: Connect.ApplyControlTemplate";
  };
  const std::string file = "PROGRAM/Templates/Controls/Boxes.ctt";
  Strings windowed = applied;
  windowed.insert(windowed.begin(), "control templates select");
  const std::vector<Row> rows = {
      {"by name", false, Named, boxes, {"txtCity", "txtZip", "lblZip"}, "", applied},
      {"chosen in the window", true, Window, boxes, {"txtCity", "txtZip", "lblZip"}, "Boxes", windowed},
      {"window closed", true, Window, boxes, {"txtCity"}, "", {"control templates select"}},
      // Properties a text box's file leaves out at their defaults are its properties all the same.
      {"properties the file leaves out", false, Named, "BackColor=&H80000018&\r\nMaxLength=5\r\nText=Hello\r\n", {"txtCity"}, "",
       {"+         BackColor       =   &H80000018&", "+         MaxLength       =   5", "+         Text            =   \"Hello\""}},
      {"no window here", false, Window, boxes, {"txtCity"}, "Boxes",
       {"box Gildex: The control templates window is not available on the command line."}},
      {"nothing selected", true, Named, boxes, {}, "",
       {"box Gildex: You must have selected at least one control for template to apply to"}},
      {"designer closed", true, Named, boxes, {"-closed"}, "", {}},
      {"damaged file", true, Named, "Width=1500\r\nMaxLength=5\r", {"txtCity", "txtZip"}, "",
       {error("The control template " + file + " is damaged (line 2 holds a stray line break or NUL byte).")}},
      {"no such template", true, Named, "", {"txtCity"}, "", {error("There is no control template " + file + ".")}},
      // A font's members set inside its group; a control on the default font gets the whole
      // group; True and Bold written as the file keeps them.
      {"font members", false, Named, "Font.Size=12\r\nFont.Bold=True\r\nFont.Name=Arial\r\nFont.Italic=True\r\nFont.Size=14\r\n",
       {"lblTitle", "Command1"}, "",
       {"-         Name            =   \"Tahoma\"", "-         Size            =   9.75", "+         Name            =   \"Arial\"",
        "+         Size            =   12", "-         Italic          =   0   'False", "+         Italic          =   -1  'True",
        "+   Begin VB.CommandButton Command1 ", "+      Caption         =   \"Command1\"",
        "+      BeginProperty Font ", "+         Name            =   \"Arial\"", "+         Size            =   12",
        "+         Charset         =   0", "+         Weight          =   700", "+         Underline       =   0   'False",
        "+         Italic          =   -1  'True", "+         Strikethrough   =   0   'False", "+      EndProperty",
        "+      Height          =   495", "+      Left            =   2700", "+      TabIndex        =   23",
        "+      Top             =   2812", "+      Width           =   1215", "+   End"},
       "CommandButton"},
  };
  for (const Row& row : rows) {
    ControlsIde ide(row.windows);
    const fs::path controls = ide.rig.services.program_folder / "Templates" / "Controls";
    fs::create_directories(controls);
    if (!row.file.empty()) WriteBytes(controls / "Boxes.ctt", row.file);
    ide.tools.chosen_template = row.chosen;
    if (row.add) ide.Customer().GetDesigner()->AddControl(row.add);
    ide.Select(row.selected);
    if (row.how == Named) ide.connect->Designer().ApplyControlTemplate("Boxes");
    else ide.connect->Designer().hWndCTemplateView_Click();
    EXPECT_EQ(ide.Outcome(), row.seen) << row.name;
    if (!row.file.empty()) {
      EXPECT_EQ(ReadBytes(controls / "Boxes.ctt"), row.file) << row.name;
    }
  }
}

}  // namespace
}  // namespace gildex
