#include "templates/script_page.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/services.h"
#include "platform/test_files.h"

namespace gildex {
namespace {

using platform::testing::ReadBytes;
using platform::testing::WriteBytes;

TEST(ScriptPage, WritesListsLoadsAndValidatesScripts) {
  platform::testing::TempDir dir;
  platform::ScriptedDialogs dialogs;
  ErrorReport report{dialogs};
  platform::FixedClock clock;
  clsScripter scripter{report, clock};
  int apply_enabled = 0;
  ScriptPage page(scripter, report, dir.Path(), [&] { ++apply_enabled; });

  // The folder is made on first listing.
  page.LoadScripts();
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "Scripts"));
  EXPECT_TRUE(page.cboScripts.items.empty());

  page.cmdNewScript_Click();
  EXPECT_EQ(page.rtfScript.text, "Function Process(ProcCode)\r\n  Process =\r\nEnd Function");
  EXPECT_TRUE(page.cmdSaveScript.enabled);
  // A broken script shows what is wrong, as a plain information box.
  page.cmdValidate_Click();
  ASSERT_EQ(dialogs.Asked().size(), 1u);
  EXPECT_EQ(dialogs.Asked()[0].prompt.substr(0, 43), "Errors in Script.\r\nError in Script at line ");
  EXPECT_EQ(dialogs.Asked()[0].style, platform::vbInformation);

  // Tab goes into the text at the selection.
  page.rtfScript.text = "Function Process(ProcCode)\r\nProcess = \"X\"\r\nEnd Function";
  page.rtfScript.sel_start = 28;
  EXPECT_TRUE(page.rtfScript_KeyDown(kTabKey));
  EXPECT_EQ(page.rtfScript.text, "Function Process(ProcCode)\r\n\tProcess = \"X\"\r\nEnd Function");
  page.cmdValidate_Click();
  EXPECT_EQ(dialogs.Asked().back().prompt, "Script is OK");

  // No name: nothing written, and the user is told; a name loses what a file name cannot hold.
  page.cmdSaveScript_Click();
  EXPECT_EQ(dialogs.Asked().back().prompt, "Type the script's name into \"Active Script :\" before saving it.");
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path() / "Scripts"));
  page.cboScripts.text = " My/Tab*.vbs ";
  page.cmdSaveScript_Click();
  EXPECT_EQ(ReadBytes(dir.Path() / "Scripts" / "MyTab.vbs"), page.rtfScript.text);
  EXPECT_EQ(page.cboScripts.items, std::vector<std::string>{"MyTab.vbs"});
  EXPECT_EQ(page.cboScripts.value, 0);
  EXPECT_FALSE(page.cmdSaveScript.enabled);

  // Choosing a script loads it as it is on disk.
  WriteBytes(dir.Path() / "Scripts" / "Other", "Function Process(ProcCode)\r\nEnd Function\r\n");
  page.LoadScripts();
  ASSERT_EQ(page.cboScripts.items.size(), 2u);
  const int other = page.cboScripts.items[0] == "Other" ? 0 : 1;
  page.cboScripts_Click(other);
  EXPECT_EQ(page.rtfScript.text, "Function Process(ProcCode)\r\nEnd Function\r\n");
  EXPECT_EQ(page.cboScripts.text, "Other");
  EXPECT_GT(apply_enabled, 0);
}

}  // namespace
}  // namespace gildex
