// The "Controls" menu's commands on frmCustomer of the Orders sample, seen in its form file
// as written afterwards and in the boxes the user saw.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
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
  // The windows and boxes shown, then the form file's changed lines once saved, each as "+Name
  // value" in one string. The tab order's moves are the designer's: here only how many
  // TabIndex lines were set.
  Strings Outcome() {
    Strings seen = tools.log, boxes = Boxes(0, true);
    for (const std::string& box : boxes) seen.push_back("box " + box);
    if (Customer().IsDirty()) Customer().SaveAs(File().string());
    std::istringstream diff(host::testing::LineDiff(before, ReadBytes(File())));
    std::string changes;
    int tabs = 0;
    for (std::string line; std::getline(diff, line);) {
      line.erase(0, line.find(' ') + 1);  // no "@N "
      std::istringstream words(line.substr(1));
      std::string change(1, line[0]);
      int n = 0;
      for (std::string word; words >> word; ++n)
        if (n != 1 || word != "=") change += (n > 0 ? " " : "") + word;
      if (change.starts_with("+TabIndex ")) ++tabs;
      else if (!change.starts_with("-TabIndex ")) changes += (changes.empty() ? "" : "; ") + change;
    }
    if (tabs > 0) changes += (changes.empty() ? "tabs " : "; tabs ") + std::to_string(tabs);
    if (!changes.empty()) seen.push_back(changes);
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
  const std::string street = "-Begin VB.TextBox txtCity; +Begin VB.TextBox txtStreet; -Begin VB.TextBox txtStreet";
  // txtCity takes txtStreet's place 6: txtZip, txtStreet and lblZip move one back.
  const std::vector<Row> rows = {
      {"neither place nor size, names kept", {"txtStreet", "txtCity"}, true, false, false, 2, {}, {"tabs 4"}},
      {"size only", {"txtStreet", "txtCity"}, true, false, true, 2, {}, {"-Width 2055; +Width 3015; tabs 4"}},
      {"place and size", {"txtStreet", "txtCity"}, true, true, true, 2, {},
       {"-Left 2040; -Top 720; -Width 2055; +Left 1080; +Top 315; +Width 3015; tabs 4"}},
      {"rename the source", {"txtStreet", "txtCity"}, true, false, false, 1, {}, {street + "; +Begin VB.TextBox txtCityold; tabs 4"}},
      // txtStreet, moved to 7 by the copy, leaves a gap that the places behind it close.
      {"discard the source", {"txtStreet", "txtCity"}, true, false, false, 0, {},
       {street + "; -BeginProperty Font; -Name \"Tahoma\"; -Size 8.25; -Charset 0; -Weight 400; -Underline 0 'False; "
                 "-Italic 0 'False; -Strikethrough 0 'False; -EndProperty; -Height 315; -Left 1080; -Top 315; -Width 3015; -End; tabs 14"}},
      // The source is at its default where the target is not: the target goes back to it.
      {"a source at its default", {"txtStreet", "txtZip"}, true, false, false, 2, {}, {"-MaxLength 10; tabs 3"}},
      {"asked, answered No", {"txtStreet", "txtCity"}, false, true, true, 0, {platform::vbNo}, {kAsk}},
      {"asked, answered Yes", {"txtStreet", "txtCity"}, false, false, false, 2, {platform::vbYes}, {kAsk, "tabs 4"}},
      // Another class takes the properties it has, those at their defaults too (a label has no
      // MaxLength, but a back colour and a border).
      {"to another class", {"txtZip", "lblZip"}, true, true, true, 2, {},
       {"+BackColor &H80000005&; +BorderStyle 1 'Fixed Single; -Height 255; -Left 120; -Top 765; +ForeColor &H80000008&; "
        "+Height 315; +Left 1080; +Top 720; tabs 2"}},
      // The font goes member by member: only the lines that differ change.
      {"a font to another class", {"lblTitle", "txtName"}, true, false, false, 2, {},
       {"+BackColor &H8000000F&; +BorderStyle 0 'None; -Size 8.25; +Size 9.75; -Weight 400; +Weight 700; +ForeColor &H80000012&; tabs 21"}},
      {"a font to a control on the default font", {"lblTitle", "Command1"}, true, false, false, 2, {},
       {"+Begin VB.CommandButton Command1; +Caption \"New customer\"; +BeginProperty Font; +Name \"Tahoma\"; +Size 9.75; "
        "+Charset 0; +Weight 700; +Underline 0 'False; +Italic 0 'False; +Strikethrough 0 'False; +EndProperty; +Height 495; "
        "+Left 2700; +Top 2812; +Width 1215; +End; tabs 3"},
       "CommandButton"},
      // No selection at all is the menu's test.
      {"one control selected", {"txtStreet"}, true, true, true, 0, {}, {kTwo}},
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

// A template applied by name (no window needed) or chosen in the window, and the refusals (no
// selection at all is the menu's test; a damaged file is reported as a missing one is).
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
  const std::string applied = "+MaxLength 5; -Width 2055; +Width 1500; -MaxLength 10; +MaxLength 5; -Width 855; +Width 1500; "
                              "-Caption \"&ZIP, city:\"; +Caption \"&Postcode:\"; -Width 855; +Width 1500";
  const std::vector<Row> rows = {
      {"by name", false, Named, boxes, {"txtCity", "txtZip", "lblZip"}, "", {applied}},
      {"chosen in the window", true, Window, boxes, {"txtCity", "txtZip", "lblZip"}, "Boxes",
       {"control templates select", applied}},
      {"window closed", true, Window, boxes, {"txtCity"}, "", {"control templates select"}},
      // Properties a text box's file leaves out at their defaults are its properties all the same.
      {"properties the file leaves out", false, Named, "BackColor=&H80000018&\r\nMaxLength=5\r\nText=Hello\r\n", {"txtCity"}, "",
       {"+BackColor &H80000018&; +MaxLength 5; +Text \"Hello\""}},
      {"no window here", false, Window, boxes, {"txtCity"}, "Boxes",
       {"box Gildex: The control templates window is not available on the command line."}},
      {"designer closed", true, Named, boxes, {"-closed"}, "", {}},
      {"no such template", true, Named, "", {"txtCity"}, "",
       {"box Gildex Error.: Error 5: \r\nInvalid procedure call or argument (There is no control template PROGRAM/Templates/"
        "Controls/Boxes.ctt.)\r\nOccurred at line 0in Gildex: Connect.ApplyControlTemplate"}},
      // A font's members set inside its group; a control on the default font gets the whole
      // group; True and Bold written as the file keeps them.
      {"font members", false, Named, "Font.Size=12\r\nFont.Bold=True\r\nFont.Name=Arial\r\nFont.Italic=True\r\nFont.Size=14\r\n",
       {"lblTitle", "Command1"}, "",
       {"-Name \"Tahoma\"; -Size 9.75; +Name \"Arial\"; +Size 12; -Italic 0 'False; +Italic -1 'True; +Begin VB.CommandButton Command1; "
        "+Caption \"Command1\"; +BeginProperty Font; +Name \"Arial\"; +Size 12; +Charset 0; +Weight 700; +Underline 0 'False; "
        "+Italic -1 'True; +Strikethrough 0 'False; +EndProperty; +Height 495; +Left 2700; +Top 2812; +Width 1215; +End; tabs 1"},
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
