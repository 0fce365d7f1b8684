// `gildex html` as a user runs it on the sample project.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/command_line_test.h"
#include "platform/test_files.h"

namespace gildex::app {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;

TEST(HtmlCommand, WritesThePageOrSaysWhyNot) {
  ScratchHome scratch;
  const fs::path& dir = scratch.dir.Path();
  const std::string sample = fs::path(GILDEX_SOURCE_DIR) / "data/Sample";
  const std::string about = sample + "/frmAbout.frm", page = (dir / "about.html").string();
  const std::string there = (dir / "there.html").string();
  platform::testing::WriteBytes(there, "someone's page");
  const struct {
    std::vector<std::string> args;
    int code;
    std::string out, err;  // standard output whole; a part of standard error
    std::string in_page;   // found in the page written; empty: no page
  } cases[] = {
      {{sample + "/Orders.vbp"}, 2, "", "name the form with --component; the forms are: frmMain, frmCustomer, frmAbout", ""},
      {{sample + "/Orders.vbp", "--component", "modGlobals"}, 2, "", "modGlobals is not a form but a Module", ""},
      {{sample + "/Orders.vbp", "--component", "frmNone"}, 2, "", "there is no component frmNone", ""},
      {{about, "--method", "PUT"}, 2, "", "--method is GET or POST, not \"PUT\"", ""},
      {{about, "--out", (dir / "no/such/folder/a.html").string()}, 1, "", "FAILED to convert frmAbout (76): Path not found", ""},
      // The project's own files are never replaced; another file only with --force.
      {{about, "--out", about}, 2, "", "frmAbout.frm is one of the project's own files", ""},
      {{sample + "/Orders.vbp", "--component", "frmAbout", "--out", sample + "/Orders.vbp", "--force"}, 2, "",
       "Orders.vbp is one of the project's own files", ""},
      {{about, "--out", there}, 2, "", there + " exists and was not replaced (--force replaces it)", ""},
      {{about, "--out", there, "--force"}, 0, "Form 'frmAbout' converted OK\nwrote " + there + "\n", "", ""},
      {{sample + "/Orders.vbp", "--component", "frmMDI"}, 2, "", "frmMDI is an MDI form, the frame around its child forms", ""},
      {{sample + "/frmMDI.frm"}, 2, "", "frmMDI is an MDI form, the frame around its child forms, which has no page "
                                        "of its own; convert one of its child forms", ""},
      {{about, "--layout", "free"}, 2, "", "--layout is table or positioned, not \"free\"", ""},
      {{about, "--out", page, "--title", "\xC3\x9C" "ber <uns>", "--method", "get", "--action", "/send", "--keywords",
        "orders, about", "--description", "Who \xC3\xA9" "crit it"},
       0,
       "Form 'frmAbout' converted OK\nwrote " + page + "\n",
       "Left out of the page (no place on the form): linSep",
       "<TITLE>\xDC" "ber &lt;uns&gt;</TITLE>\r\n<META name=\"title\" content=\"\xDC" "ber &lt;uns&gt;\">\r\n"
       "<META name=\"keywords\" content=\"orders, about\">\r\n<META name=\"description\" content=\"Who \xE9" "crit it\">\r\n"
       "</HEAD>\r\n<BODY>\r\n"
       "<FORM method=GET action=\"/send\">"},
      {{sample + "/Orders.vbp", "--component", "FRMABOUT", "--out", page}, 0, "Form 'frmAbout' converted OK\nwrote " + page + "\n",
       "", "<TITLE>About Orders</TITLE>"},
  };
  for (const auto& c : cases) {
    fs::remove(page);
    std::vector<std::string> args = {"html"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Ran run = RunGildex(args);
    EXPECT_EQ(run.code, c.code) << c.args.back() << " " << run.err;
    EXPECT_EQ(run.out, c.out);
    EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    if (c.in_page.empty())
      EXPECT_FALSE(fs::exists(page));
    else
      EXPECT_NE(ReadBytes(page).find(c.in_page), std::string::npos) << ReadBytes(page);
  }
}

}  // namespace
}  // namespace gildex::app
