// The function finder over a project in memory: loading a file into the project or finding it
// there, the list, the code of the rows chosen, the clipboard and the question on closing.
#include "tools/function_finder.h"

#include <gtest/gtest.h>

#include "tools/tools_rig_test.h"

namespace gildex {
namespace {

using testing::kClassHeader;
using testing::ToolsRig;

const std::string kLib =
    std::string(kClassHeader) +
    "Attribute VB_Name = \"clsLib\"\r\nOption Explicit\r\nPublic Event Changed(ByVal What As String)\r\n"
    "Private mTotal As Long\r\nConst LIMIT = 10\r\n\r\n"
    "Public Function Total() As Long\r\nAttribute Total.VB_Description = \"Adds them up\"\r\n"
    "    Total = mTotal\r\nEnd Function\r\n\r\n"
    "Public Property Let Amount(ByVal Value As Long)\r\n    mTotal = Value\r\nEnd Property\r\n\r\n"
    "Public Property Get Amount() As Long\r\n    Amount = mTotal\r\nEnd Property\r\n\r\n"
    "Public Property Get Label() As String\r\n    Label = \"L\" & mTotal\r\nEnd Property\r\n\r\n"
    "Public Property Let Label(ByVal Value As String)\r\nEnd Property\r\n\r\n"
    "Public Property Set Target(ByVal Value As Object)\r\nEnd Property\r\n\r\n"
    "Private Sub Reset()\r\n    mTotal = 0\r\nEnd Sub\r\n";

class TestWindow : public FunctionFinderView {
 public:
  std::optional<std::string> AskFile(const std::string& title, const std::string& filter, int flags) override {
    asked = title + "|" + filter + "|" + std::to_string(flags);
    return answer;
  }
  void Refresh(const FunctionFinder&) override { ++redrawn; }
  void Released(const FunctionFinder&) override { ++released; }
  std::optional<std::string> answer;
  std::string asked;
  int redrawn = 0, released = 0;
};

std::string RowsText(const FunctionFinder& finder) {
  std::string text;
  for (const FinderRow& row : finder.Rows()) text += row.key + " " + row.type_text + " " + row.description + "; ";
  return text;
}

TEST(FunctionFinder, LoadsListsShowsCopiesAndOffersRemoval) {
  const std::string lib_rows =
      "Changed4 Event <none>; Total1 Method Adds them up; Amount2 Property <none>; Label2 Property <none>; "
      "Target2 Property <none>; Reset1 Method <none>; ";
  const struct {
    const char* what;
    const char* file;  // browsed to; "" cancels the dialog
    std::vector<std::size_t> chosen;
    platform::MsgBoxResult answer;  // to the removal question; none for an OK box
    bool loaded, added;
    std::string rows, code;
    std::vector<std::string> boxes;  // every box asked, closing included
    int components_after;            // after closing
    bool removed_elsewhere = false;  // the user removes the component before closing
  } cases[] = {
      {"a new file, two rows chosen, removed on closing", "clsLib.cls", {1, 5}, platform::vbYes, true, true, lib_rows,
       "\r\nPublic Function Total() As Long\r\n    Total = mTotal\r\nEnd Function\r\n"
       "\r\nPrivate Sub Reset()\r\n    mTotal = 0\r\nEnd Sub",
       {FunctionFinder::kRemoveQuestion}, 1},
      // A property's row shows the procedure its declaration line names, else the Let.
      {"properties, kept on closing", "clsLib.cls", {3, 2, 4}, platform::vbNo, true, true, lib_rows,
       "\r\nPublic Property Get Label() As String\r\n    Label = \"L\" & mTotal\r\nEnd Property\r\n"
       "\r\nPublic Property Let Amount(ByVal Value As Long)\r\n    mTotal = Value\r\nEnd Property\r\n"
       "\r\nPublic Property Set Target(ByVal Value As Object)\r\nEnd Property",
       {FunctionFinder::kRemoveQuestion}, 2},
      {"an event row shows its declaration", "clsLib.cls", {0}, platform::vbYes, true, true, lib_rows,
       "Public Event Changed(ByVal What As String)", {FunctionFinder::kRemoveQuestion}, 1},
      {"a file already in the project is not offered for removal", "modMain.bas", {0}, platform::vbYes, true, false,
       "Main1 Method <none>; ", "Sub Main()\r\nEnd Sub", {}, 1},
      {"only variables and constants", "modVars.bas", {}, platform::vbYes, true, true, "", "",
       {FunctionFinder::kRemoveQuestion}, 1},
      {"a component removed meanwhile is not asked about", "clsLib.cls", {}, platform::MsgBoxResult{}, true, true,
       lib_rows, "", {}, 1, true},
      {"a file that is not there", "nothing.bas", {}, platform::MsgBoxResult{}, false, false, "", "", {"File not found: "}, 1},
      {"not a component file", "notes.txt", {}, platform::MsgBoxResult{}, false, false, "", "", {"Path/File access error: "}, 1},
      {"the dialog cancelled", "", {}, platform::vbYes, false, false, "", "", {}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ToolsRig rig({{"modMain.bas", "Attribute VB_Name = \"modMain\"\r\nSub Main()\r\nEnd Sub\r\n"},
                  {"clsLib.cls", kLib},
                  {"modVars.bas", "Attribute VB_Name = \"modVars\"\r\nPublic A As Long\r\nConst B = 1\r\n"},
                  {"notes.txt", "text\r\n"}},
                 {"modMain.bas"});
    if (c.answer != platform::MsgBoxResult{}) rig.dialogs.Answer(c.answer);
    TestWindow window;
    if (*c.file) window.answer = rig.Path(c.file);
    platform::MemoryClipboard clipboard;
    clipboard.SetText("old");
    std::optional<FunctionFinder> finder;
    finder.emplace(rig.vbe, rig.report, clipboard, &window);
    finder->cmdBrowse_Click();
    EXPECT_EQ(window.asked, std::string(FunctionFinder::kBrowseTitle) + "|" + FunctionFinder::kBrowseFilter + "|4096");
    EXPECT_EQ(finder->Component() != nullptr, c.loaded);
    EXPECT_EQ(finder->AddedByFinder(), c.added);
    EXPECT_EQ(finder->Filename(), c.loaded ? rig.Path(c.file) : "<none>");
    EXPECT_EQ(RowsText(*finder), c.rows);
    for (std::size_t row : c.chosen) finder->lvwProcs_Click(row);
    EXPECT_EQ(finder->Code(), c.code);
    finder->cmdCopy_Click();
    EXPECT_EQ(clipboard.Text(), c.code);
    if (c.loaded) {
      finder->cmdClear_Click();
      EXPECT_EQ(finder->Code(), "");
      if (!c.rows.empty()) finder->lvwProcs_Click(0);  // code in the box when it closes
    }
    if (c.removed_elsewhere) rig.Project().Remove(*finder->Component());
    finder->Form_Unload();
    // Closed, it holds nothing, so a later close asks nothing again.
    EXPECT_EQ(finder->Component(), nullptr);
    EXPECT_EQ(finder->Filename(), "<none>");
    EXPECT_EQ(finder->Code(), "");
    EXPECT_EQ(finder->Rows().size(), 0u);
    finder->Form_Unload();
    std::vector<std::string> boxes;
    for (const platform::MessageBox& box : rig.dialogs.Asked())
      boxes.push_back(box.prompt.substr(0, box.prompt.find(':') == std::string::npos ? box.prompt.size()
                                                                                       : box.prompt.find(':') + 2));
    EXPECT_EQ(boxes, c.boxes);
    EXPECT_EQ(rig.Project().ComponentCount(), c.components_after);
    EXPECT_EQ(window.released, 0);
    finder.reset();
    EXPECT_EQ(window.released, 1);
  }
}

}  // namespace
}  // namespace gildex
