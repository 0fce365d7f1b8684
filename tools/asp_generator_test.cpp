#include "tools/asp_generator.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "host/host_test.h"
#include "platform/picture.h"
#include "host/memory_vbe.h"
#include "host/project_loader.h"
#include "platform/atomic_file.h"
#include "platform/dialogs.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/test_files.h"
#include "tools/asp_converter.h"
#include "tools/event_code_vbscript.h"

namespace gildex {
namespace {

namespace fs = std::filesystem;
using platform::testing::TempDir;

// Test texts are written with "\n"; form files and pages have CR LF.
std::string CrLf(std::string_view text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

std::string Read(const fs::path& file) { return platform::ReadWholeFile(file).value_or("<missing>"); }

// The start of every page's script, and the script of a form without code.
const std::string kScriptHead = CrLf("\n<SCRIPT Language=VBScript>\n' Converted from original VB Project using Gildex\n"
                                     "' Visit https://gildex.example.org for more details");
const std::string kNoCodeScript = kScriptHead + CrLf("\n\n\n</SCRIPT>\n</BODY>\n</HTML>\n");

// A folder and a registry that knows one ActiveX class, for the generators.
struct GeneratorRig {
  GeneratorRig() {
    registry.Set("HKEY_CLASSES_ROOT\\MSComctlLib.ListView\\Clsid", "", {platform::RegType::String, "{0D0F1E2A-1111-2222-3333-444455556666}"});
  }
  TempDir dir;
  platform::ScriptedDialogs dialogs;
  ErrorReport report{dialogs};
  platform::Registry registry;
  RegistryTools tools{registry, report};
  host::MemoryVBE vbe;
};

// A form file made of `inside` (its properties and controls) and `code`, loaded into an IDE.
struct FormRig : GeneratorRig {
  explicit FormRig(const std::string& inside, const std::string& code = "", const std::string& frx = "") {
    if (!frx.empty()) platform::testing::WriteBytes(dir / "Form1.frx", frx);
    platform::testing::WriteBytes(dir / "Form1.frm",
                                  CrLf("VERSION 5.00\nBegin VB.Form Form1 \n   Caption         =   \"Form1\"\n" + inside +
                                       "End\nAttribute VB_Name = \"Form1\"\n" + code));
    const host::LoadResult loaded = host::Load(vbe, dir / "Form1.frm");
    EXPECT_TRUE(loaded.readable && !loaded.HasFatal()) << loaded.error;
    form = &vbe.Projects().front()->At(0);
    generator.HTMLHeader("H");
    generator.FORMHeader("F");
  }
  std::string Convert() {
    result = generator.ConvertForm(*form, (dir / "page.html").string());
    return Read(dir / "page.html");
  }
  host::CodeModule& Code() { return *form->Code(); }

  host::MemoryComponent* form = nullptr;
  clsASPGenerator generator{tools};
  std::int32_t result = -1;
};

std::string Control(const std::string& type, const std::string& name, long top, long left, long width,
                    const std::string& more = "") {
  return "   Begin VB." + type + " " + name + " \n" + more + "      Height          =   300\n      Left            =   " +
         std::to_string(left) + "\n      Top             =   " + std::to_string(top) + "\n      Width           =   " +
         std::to_string(width) + "\n   End\n";
}

const std::string kOpen = "<TABLE WIDTH=\"100%\" border=0>\n\t<TR>\n";
const std::string kClose = "\t</TR>\n</TABLE>\n";
std::string Cell(long width, const std::string& markup) {
  return "\t\t<TD width=\"" + std::to_string(width) + "\" align=right>\n\t\t\t" + markup + "\n\t\t</TD>\n";
}
// A control the page cannot show: a box of its size naming its class.
std::string Placeholder(const std::string& clsid, const std::string& id, int width, int height, const std::string& prog_id) {
  const std::string w = std::to_string(width), h = std::to_string(height);
  return "<object classid=\"clsid:" + clsid + "\" id=\"" + id + "\" width=" + w + " height=" + h +
         "><span style=\"display:inline-block;box-sizing:border-box;width:" + w + "px;height:" + h +
         "px;border:1px solid #808080;background:#D4D0C8;color:#000;font:11px sans-serif;overflow:hidden\">" + prog_id +
         "</span></object>";
}

// A converter window nobody fills or presses.
struct NoWindow : ASPConverterView {
  void ShowModal(frmASPConverter&) override {}
  std::string SaveFileName(const std::string&, const std::string&) override { return {}; }
  void DefaultMousePointer() override {}
  void Unload() override {}
};

// A converter window the user fills (`file` and what `fill` types) and converts, answering
// `replace` when asked whether to replace a file.
struct Filling : NoWindow {
  void ShowModal(frmASPConverter& window) override {
    shown_file = window.txtFilename;
    window.txtFilename = file;
    if (fill) fill(window);
    window.cmdGo_Click();
  }
  bool ConfirmReplace(const std::string& name) override {
    asked.push_back(fs::path(name).filename().string());
    return replace;
  }
  void Unload() override { ++unloaded; }
  std::string file, shown_file;
  std::function<void(frmASPConverter&)> fill;
  bool replace = false;
  std::vector<std::string> asked;
  int unloaded = 0;
};

// One red pixel of 24 bits.
const std::string kRedBitmap = std::string("BM:\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\1\0\0\0\1\0\0\0\1\0\x18\0", 30) +
                               std::string(24, '\0') + std::string("\0\0\xFF\0", 4);

// A stored picture as the .frx holds it.
std::string StoredPicture(const std::string& data) {
  const auto word = [](std::uint32_t n) { return std::string{char(n), char(n >> 8), char(n >> 16), char(n >> 24)}; };
  return word(static_cast<std::uint32_t>(data.size() + 8)) + std::string("lt\0\0", 4) + word(static_cast<std::uint32_t>(data.size())) + data;
}

TEST(AspGenerator, SamplePageIsWritten) {
  GeneratorRig rig;
  const host::LoadResult loaded = host::Load(rig.vbe, fs::path(GILDEX_SOURCE_DIR) / "data/Sample/frmCustomer.frm");
  ASSERT_TRUE(loaded.readable) << loaded.error;
  host::MemoryComponent& form = rig.vbe.Projects().front()->At(0);

  Filling view;
  view.fill = [](frmASPConverter& window) {
    window.txtKeywords = "customers", window.txtDescription = "Edit one customer", window.optMethod = 0;
  };
  struct Status : NullProgress {
    void AddStatus(const std::string& text) override { lines.push_back(text); }
    void SetMessageText(const std::string& text) override { lines.push_back("message: " + text); }
    std::vector<std::string> lines;
  } status;
  view.file = (rig.dir / "customer.html").string();
  frmASPConverter window(view);
  clsASPGenerator generator(rig.tools);
  window.ShowConverter(form, generator, status);

  EXPECT_EQ(view.shown_file, "frmCustomer.html");
  EXPECT_EQ(Read(rig.dir / "customer.html"), Read(fs::path(GILDEX_SOURCE_DIR) / "tools/testdata/frmCustomer.html"));
  EXPECT_EQ(status.lines, (std::vector<std::string>{"message: Converting your form to HTML..please wait",
                                                     "Form 'frmCustomer' converted OK",
                                                     "message: Finished Conversion Process"}));
  EXPECT_EQ(view.unloaded, 1);
  EXPECT_EQ(form.GetDesigner()->ScaleMode(), 3);
}

TEST(AspGenerator, LaysOutRowsAndMarksUpControls) {
  const std::string list = std::string("\3\0\2\0", 4) + std::string("\1\0a", 3) + std::string("\2\0bb", 4) + std::string("\1\0c", 3);
  // Pictures: a bitmap, a GIF and a metafile stored in the .frx, an empty one, one whose .frx is
  // missing, none. One red pixel of 24 bits and a placeable WMF that fills its one pixel red (null
  // pen, red brush, Rectangle(0, 0, 1, 1)) also get a PNG copy; a damaged GIF does not.
  const std::string bmp = kRedBitmap;
  const std::string wmf = std::string("\xD7\xCD\xC6\x9A\0\0\0\0\0\0\1\0\1\0\x60\0\0\0\0\0\0\0", 22) +
                          std::string("\1\0\x09\0\0\x03\0\0\0\0\2\0\0\0\0\0\0\0", 18) +
                          std::string("\x08\0\0\0\xFA\x02\5\0\0\0\0\0\0\0\0\0\4\0\0\0\x2D\x01\0\0", 24) +
                          std::string("\7\0\0\0\xFC\x02\0\0\xFF\0\0\0\0\0\4\0\0\0\x2D\x01\1\0", 22) +
                          std::string("\7\0\0\0\x1B\x04\1\0\1\0\0\0\0\0\3\0\0\0\0\0", 20);
  const std::string gif = "GIF89a-picture", red = platform::EncodePng({1, 1, {255, 0, 0, 255}});
  const auto at = [](std::size_t offset) {
    char hex[24];
    std::snprintf(hex, sizeof hex, "\"Form1.frx\":%04zX", offset);
    return std::string(hex);
  };
  const auto picture = [](const std::string& name, const std::string& type, long left, const std::string& at) {
    return Control(type, name, 10, left, 10, at.empty() ? "" : "      Picture         =   " + at + "\n");
  };
  const auto image = [](const std::string& name, const std::string& file) {
    return Cell(10, "<input border=0" + (file.empty() ? "" : " src=\"" + file + "\"") + " alt=\"" + name + "\" id=\"" + name +
                        "\" width=10 height=300 type=image>");
  };
  const struct {
    const char* what;
    std::string inside, frx;
    std::string body;  // between the form's opening tag and the script; <dir> the form's folder
    std::vector<std::string> left_out;
    std::int32_t result;
    std::vector<std::pair<std::string, std::string>> pictures = {};  // file and bytes written, in order
    std::vector<std::string> picture_problems = {};
  } rows[] = {
      // A form in twips is given in pixels once its ScaleMode is 3; the ratio 3 / 1 then makes thirds of them.
      {"one row of two, ordered by left, in twips: pixels read as thirds",
       Control("CommandButton", "cmdSecond", 120, 1500, 600, "      Caption         =   \"&Reset form\"\n") +
           Control("CommandButton", "cmdGo", 120, 120, 1000, "      Caption         =   \"Submit Order\"\n") +
           Control("CommandButton", "cmdOK", 900, 120, 900, "      Default         =   -1  'True\n") +
           Control("CommandButton", "cmdHelp", 900, 1200, 900, "      Caption         =   \"Help\"\n"),
       "", kOpen + Cell(3, "<input type=submit value=\"cmdGo\" id=\"cmdGo\" name=\"cmdGo\">") +
               Cell(8, "<input type=reset value=\"cmdSecond\" id=\"cmdSecond\" name=\"cmdSecond\">") + kClose + kOpen +
               Cell(3, "<input type=submit value=\"cmdOK\" id=\"cmdOK\" name=\"cmdOK\">") +
               Cell(4, "<input type=button value=\"cmdHelp\" id=\"cmdHelp\" name=\"cmdHelp\">") + kClose + "</FORM>",
       {}, 0},
      {"pixels, every control at top 0: one table all the same",
       "   ScaleMode       =   3  'Pixel\n" +
           Control("TextBox", "txtNotes", 0, 10, 100, "      MultiLine       =   -1  'True\n") +
           Control("TextBox", "txtPassword", 0, 120, 50, "      MaxLength       =   8\n      PasswordChar    =   \"*\"\n") +
           Control("TextBox", "txtName", 0, 200, 50) + Control("CheckBox", "chkVip", 0, 260, 20, "      Value           =   1  'Checked\n") +
           Control("ListBox", "lstEmpty", 0, 300, 40) +
           Control("ListBox", "lstThree", 0, 400, 40, "      List            =   \"Form1.frx\":0000\n"),
       list,
       kOpen + Cell(10, "<textarea rows=3 id=\"txtNotes\" name=\"txtNotes\" cols=20></textarea>") +
           Cell(10, "<input type=password id=\"txtPassword\" name=\"txtPassword\" size=8>") +
           Cell(30, "<input type=text id=\"txtName\" name=\"txtName\" size=0>") +
           Cell(10, "<input type=checkbox id=\"chkVip\" name=\"chkVip\" value=ON>") +
           Cell(20, "<SELECT size=1 id=\"lstEmpty\" name=\"lstEmpty\"></SELECT>") +
           Cell(60, "<SELECT size=3 id=\"lstThree\" name=\"lstThree\">\n<OPTION>a</OPTION>\n<OPTION>bb</OPTION>\n<OPTION>c</OPTION></SELECT>") +
           kClose + "</FORM>",
       {}, 0},
      {"no controls", "", "", "</FORM>", {}, 0},
      {"a control array: one group of radio buttons, each its own id; the one whose Value is True checked",
       "   ScaleMode       =   3  'Pixel\n" + Control("OptionButton", "optStatus", 10, 10, 50, "      Index           =   0\n") +
           Control("OptionButton", "optStatus", 10, 70, 50, "      Index           =   1\n      Value           =   -1  'True\n"),
       "",
       kOpen + Cell(10, "<input type=radio id=\"optStatus_0\" name=\"optStatus\" value=\"optStatus_0\">") +
           Cell(10, "<input type=radio id=\"optStatus_1\" name=\"optStatus\" value=\"optStatus_1\" checked>") + kClose + "</FORM>",
       {}, 0},
      {"overlapping controls: no cell narrower than nothing",
       "   ScaleMode       =   3  'Pixel\n" + Control("TextBox", "txtA", 10, 10, 100) + Control("TextBox", "txtB", 10, 50, 20),
       "",
       kOpen + Cell(10, "<input type=text id=\"txtA\" name=\"txtA\" size=0>") +
           Cell(0, "<input type=text id=\"txtB\" name=\"txtB\" size=0>") + kClose + "</FORM>",
       {}, 0},
      {"menus, a timer and a line have no place: left out, named",
       "   Begin VB.Menu mnuFile \n      Caption         =   \"&File\"\n      Begin VB.Menu mnuExit \n"
       "         Caption         =   \"E&xit\"\n      End\n   End\n"
       "   Begin VB.Timer tmrClock \n      Interval        =   1000\n      Left            =   0\n      Top             =   0\n   End\n"
       "   Begin VB.Line linSep \n      X1              =   0\n      X2              =   100\n      Y1              =   0\n"
       "      Y2              =   0\n   End\n"
       "   Begin MSComctlLib.ListView lvwA \n      Height          =   300\n      Left            =   300\n"
           "      Top             =   300\n      Width           =   300\n   End\n" +
           Control("Frame", "fraX", 300, 900, 300),
       "",
       kOpen + Cell(7, Placeholder("0D0F1E2A-1111-2222-3333-444455556666", "lvwA", 7, 7, "MSComctlLib.ListView")) +
           Cell(6, Placeholder("", "fraX", 7, 7, "VB.Frame")) + kClose + "</FORM>",
       {"mnuFile", "mnuExit", "tmrClock", "linSep"}, 0},
      {"a list whose .frx is missing becomes an embedded object",
       Control("ComboBox", "cboLost", 60, 60, 60, "      List            =   \"Form1.frx\":0000\n"), "",
       kOpen + Cell(1, Placeholder("", "cboLost", 1, 7, "VB.ComboBox")) + kClose + "</FORM>", {}, 0},
      {"user scale: the ratio divides by zero and nothing is written", "   ScaleMode       =   0  'User\n" +
           Control("Label", "lblA", 60, 60, 60), "", "", {}, 11},
      {"pictures written in their stored format, the page naming a PNG copy or a GIF beside it",
       "   ScaleMode       =   3  'Pixel\n" + picture("imgLogo", "Image", 10, at(0)) +
           picture("picBar", "PictureBox", 30, at(12 + bmp.size())) +
           picture("imgEmpty", "Image", 50, at(24 + bmp.size() + gif.size())) +
           picture("imgLost", "Image", 70, "\"Lost.frx\":0000") + picture("imgNone", "Image", 90, "") +
           picture("imgMeta", "Image", 110, at(36 + bmp.size() + gif.size())),
       StoredPicture(bmp) + StoredPicture(gif) + StoredPicture("") + StoredPicture(wmf),
       kOpen + image("imgLogo", "imgLogo.png") + image("picBar", "picBar.gif") + image("imgEmpty", "") +
           image("imgLost", "") + image("imgNone", "") + image("imgMeta", "imgMeta.png") + kClose + "</FORM>",
       {}, 0, {{"imgLogo.bmp", bmp}, {"imgLogo.png", red}, {"picBar.gif", gif}, {"imgMeta.wmf", wmf}, {"imgMeta.png", red}},
       {"picBar: no PNG copy: Wrong record type detected", "imgEmpty: Invalid picture: the stored picture is empty",
        "imgLost: File not found: Lost.frx"}},
      {"a control's name is a plain file name in the page's folder",
       "   ScaleMode       =   3  'Pixel\n" + picture("../escaped", "Image", 10, at(0)), StoredPicture(bmp),
       kOpen + image("../escaped", "___escaped.png") + kClose + "</FORM>", {}, 0,
       {{"___escaped.bmp", bmp}, {"___escaped.png", red}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    FormRig rig(row.inside, "", row.frx);
    const std::string folder = rig.dir.Path().string() + "/";
    const std::string page = rig.Convert();
    EXPECT_EQ(rig.result, row.result) << rig.generator.LastError();
    EXPECT_EQ(page, row.result == 0 ? CrLf("H\nF\n" + row.body + "\n") + kNoCodeScript : "<missing>");
    EXPECT_EQ(rig.generator.LeftOut(), row.left_out);
    std::vector<std::string> written, files;
    for (const auto& [file, bytes] : row.pictures) {
      written.push_back(folder + file);
      EXPECT_EQ(Read(rig.dir / file), bytes);
    }
    EXPECT_EQ(rig.generator.PicturesWritten(), written);
    EXPECT_EQ(rig.generator.PictureProblems(), row.picture_problems);
    for (const auto& entry : fs::directory_iterator(rig.dir.Path())) files.push_back(entry.path().string());
    EXPECT_EQ(files.size(), written.size() + 2 + (row.frx.empty() ? 0 : 1) - (row.result == 0 ? 0 : 1))
        << "the form, its .frx, the page and the pictures written, nothing else";
  }
}

TEST(AspGenerator, ConvertsEventCodeToVBScript) {
  const std::string code =
      "Option Explicit\nPrivate mCount As Long\n"
      "Private Sub Command1_Click()\n    Dim a As Integer, b As Long\n    For i = 1 To 3: Next i\nEnd Sub\n"
      "Private Sub Command1_DblClick()\n    MsgBox \"</script><b>\" ' </SCRIPT>\n    s = \"<!--<script>\"\nEnd Sub\n"
      "Private Sub Form_Load()\n    mCount = 0\nEnd Sub\n"
      "Private Sub Form_Unload(Cancel As Integer)\n    mCount = -1\nEnd Sub\n"
      "Private Sub Form_Resize()\nEnd Sub\n"
      "Private Sub Text1_Change()\n    DoWork\nEnd Sub\n"
      "Public Sub DoWork()\n    x = 1\nEnd Sub ' done\nPrivate Sub x_Key()\n    y = 2\nEnd Sub\n"
      "Property Get Total() As Long\n    Total = mCount\nEnd Property\n";
  FormRig rig(Control("CommandButton", "Command1", 60, 60, 60) + Control("TextBox", "Text1", 600, 60, 60), code);
  const struct {
    const char* what;
    std::function<std::string()> run;
    std::string expected;
  } rows[] = {
      {"part one: the control's two handlers under the browser's names, then the window's",
       [&] { return ScriptPartOne({"Command1", "Text1"}, rig.Code()); },
       kScriptHead + CrLf("\nSub Command1_Click\n\n    Dim a ' As Integer, b ' As Long\n    For i = 1 To 3: Next ' i\nEnd Sub\n"
                     "\nSub Command1_OnDblClick\n\n    MsgBox \"<\" & \"/script><b>\" ' < /SCRIPT>\n    s = \"<\" & \"!--<script>\"\nEnd Sub\n"
                     "\nSub Window_OnLoad\n\n    mCount = 0\nEnd Sub\n"
                     "\nSub Window_OnUnLoad\n\n    mCount = -1\nEnd Sub\n")},
      {"part two: the rest under their own names; copied handlers, x_Key, variables and properties give nothing",
       [&] { return ScriptPartTwo(rig.Code()); },
       CrLf("\n\nSub Form_Resize\n\n\nEnd Sub\n\nSub Text1_Change\n\n    DoWork\nEnd Sub\n"
            "\nSub DoWork\n\n    x = 1\nEnd Sub ' done\nPrivate Sub x_Key()\n    y = 2\nEnd Sub\n\n</SCRIPT>\n</BODY>\n</HTML>")},
      {"a missing procedure gives nothing at all", [&] { return ConvertEventProc("Text1_Click", "Text1_Click", rig.Code()); }, ""},
      {"an end line followed by a comment does not end the body: the scan runs to its limit, one line past the count",
       [&] { return RemoveInvalidVBScript("DoWork", rig.Code()); }, CrLf("    x = 1\nEnd Sub ' done\nPrivate Sub x_Key()\n    y = 2")},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(row.run(), row.expected);
  }
}

TEST(AspGenerator, NothingFromTheFormGetsInAsMarkup) {
  const std::string list = std::string("\1\0\x11\0", 4) + std::string("\x11\0</SELECT><script>", 19);
  FormRig rig("   ScaleMode       =   3  'Pixel\n" +
                  Control("Label", "lblA", 10, 10, 10,
                          "      Caption         =   \"<script>alert(\"\"x\"\")</script> && C&o\"\n"
                          "      BeginProperty Font \n         Name            =   \"x onmouseover=alert(1)\"\n"
                          "      EndProperty\n") +
                  Control("ComboBox", "cboA", 20, 10, 10, "      List            =   \"Form1.frx\":0000\n"),
              "", list);
  rig.Convert();  // the form's .frx is found beside the form being converted
  EXPECT_EQ(rig.generator.ControlToHTML(**rig.form->GetDesigner()->Controls().begin(), 1, rig.dir.Path().string()),
            "<FONT Face=x&#32;onmouseover&#61;alert(1) id=\"lblA\">&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt; &amp; C<u>o</u></FONT>");
  EXPECT_EQ(rig.generator.ControlToHTML(*rig.form->GetDesigner()->Controls().back(), 1, rig.dir.Path().string()),
            "<SELECT size=1 id=\"cboA\" name=\"cboA\">\r\n<OPTION>&lt;/SELECT&gt;&lt;script&gt;</OPTION></SELECT>");

  NoWindow view;
  frmASPConverter window(view);
  window.txtTitle = "</TITLE><script>";
  window.txtKeywords = "a\"b";
  window.txtDescription = "it's <b>";
  window.txtAction = "x\" onsubmit=\"evil()";
  EXPECT_EQ(window.GenerateHeader(),
            CrLf("<HTML>\n<HEAD>\n<META charset=\"windows-1252\">\n<TITLE>&lt;/TITLE&gt;&lt;script&gt;</TITLE>\n"
                 "<META name=\"title\" content=\"&lt;/TITLE&gt;&lt;script&gt;\">\n<META name=\"keywords\" content=\"a&quot;b\">\n"
                 "<META name=\"description\" content=\"it&#39;s &lt;b&gt;\">\n</HEAD>\n<BODY>"));
  EXPECT_EQ(window.GenerateForm(), "<FORM method=POST action=\"x&quot; onsubmit=&quot;evil()\">");
  window.optMethod = 0;
  window.txtAction = kConverterAction;
  EXPECT_EQ(window.GenerateForm(), "<FORM method=GET action=\"--WEBBOT-SELF--\">");
}

TEST(AspGenerator, AsksBeforeAPictureReplacesAFile) {
  const std::string bmp = kRedBitmap;
  for (const bool answer : {false, true}) {
    FormRig rig("   ScaleMode       =   3  'Pixel\n" +
                    Control("Image", "imgLogo", 10, 10, 10, "      Picture         =   \"Form1.frx\":0000\n"),
                "", StoredPicture(bmp));
    platform::testing::WriteBytes(rig.dir / "imgLogo.bmp", "someone's picture");
    Filling view;
    view.file = (rig.dir / "page.html").string();
    view.replace = answer;
    frmASPConverter window(view);
    NullProgress progress;
    window.ShowConverter(*rig.form, rig.generator, progress);
    EXPECT_EQ(view.asked, std::vector<std::string>{"imgLogo.bmp"});
    EXPECT_EQ(window.Refusal(), answer ? "" : (rig.dir / "imgLogo.bmp").string() + " exists and was not replaced");
    EXPECT_EQ(Read(rig.dir / "imgLogo.bmp"), answer ? bmp : "someone's picture");
    EXPECT_EQ(fs::exists(rig.dir / "page.html"), answer);
  }
}

// For each page, what is wrong with it as Python's HTML parser reads it, one a line; nothing
// when it is sound: tags that do not balance, a cell outside a table, an id used twice, a
// negative size, no declared character set, a picture that is not beside the page or that
// browsers do not show.
std::vector<std::string> PageProblems(const std::vector<fs::path>& pages) {
  std::string command =
      "python3 -c \"import sys, os, re, html.parser\n"
      "class P(html.parser.HTMLParser):\n"
      "  void = {'input', 'meta', 'br', 'img', 'hr'}\n"
      "  def __init__(s, folder): super().__init__(); s.open = []; s.problems = []; s.ids = set(); s.folder = folder; s.charset = False\n"
      "  def picture(s, src):\n"
      "    if not re.search(r'[.](png|gif|jpe?g)$', src, re.I) or os.path.isabs(src) or not os.path.isfile(os.path.join(s.folder, src)): s.problems.append('bad picture ' + src)\n"
      "  def handle_starttag(s, tag, attrs):\n"
      "    a = dict(attrs)\n"
      "    if tag in ('td', 'tr') and 'table' not in s.open: s.problems.append('<' + tag + '> outside a table')\n"
      "    if a.get('id') is not None:\n"
      "      if a['id'] in s.ids: s.problems.append('id ' + a['id'] + ' twice')\n"
      "      s.ids.add(a['id'])\n"
      "    for k in ('width', 'height'):\n"
      "      if (a.get(k) or '').startswith('-'): s.problems.append('negative ' + k)\n"
      "    if re.search(r'(width|height):-', a.get('style') or ''): s.problems.append('negative size in style')\n"
      "    if tag == 'meta' and (a.get('charset') or '').lower() == 'windows-1252': s.charset = True\n"
      "    if a.get('src') is not None: s.picture(a['src'])\n"
      "    for url in re.findall(r'url[(]\\\"([^\\\"]*)\\\"[)]', a.get('style') or ''): s.picture(url)\n"
      "    if tag not in s.void: s.open.append(tag)\n"
      "  def handle_endtag(s, tag):\n"
      "    if s.open and s.open[-1] == tag: s.open.pop()\n"
      "    else: s.problems.append('unopened </' + tag + '>')\n"
      "for page in sys.argv[1:]:\n"
      "  p = P(os.path.dirname(page)); p.feed(open(page, encoding='cp1252', errors='replace').read()); p.close()\n"
      "  if not p.charset: p.problems.append('no charset')\n"
      "  print(''.join(x + chr(10) for x in p.problems + ['unclosed <' + t + '>' for t in p.open]), end=chr(0))\"";
  for (const fs::path& page : pages) command += " '" + page.string() + "'";
  // Python's own errors come on the same output and fail the comparison too.
  const platform::ProcessResult ran = platform::RunProcess({platform::ShellArgv(command), {}}, std::size_t{1} << 26);
  EXPECT_EQ(ran.exit_code, 0) << "python3 failed: " << ran.output;
  const std::string& output = ran.output;
  std::vector<std::string> problems;
  for (std::size_t at = 0, end; (end = output.find('\0', at)) != std::string::npos; at = end + 1)
    problems.push_back(output.substr(at, end - at));
  return problems;
}

TEST(AspGenerator, EveryCorpusFormConverts) {
  GILDEX_SKIP_WITHOUT_CORPUS();
  if (std::system("python3 -c 'import html.parser' >/dev/null 2>&1") != 0) GTEST_SKIP() << "python3 is not installed; this test needs it";
  GeneratorRig rig;
  const fs::path out = rig.dir.Path();
  long forms = 0, pictures = 0, user_scales = 0;
  std::vector<fs::path> pages;
  std::vector<std::string> expected;  // each page's problems: none
  for (const fs::path& project : host::testing::CorpusFiles({".vbp"})) {
    host::MemoryVBE vbe;
    host::LoadResult loaded = host::Load(vbe, project);
    host::DropMissingMembers(loaded);
    for (host::MemoryComponent* form : vbe.Projects().front()->Components()) {
      if (form->Type() != host::ComponentType::VBForm || !form->Usable()) continue;
      SCOPED_TRACE(form->File().string());
      const fs::path folder = out / std::to_string(++forms);
      fs::create_directory(folder);
      // Pictures the form holds in a .frx that is there.
      long stored = 0;
      for (host::VBControl* control : form->GetDesigner()->Controls())
        if (const host::Property* picture = control->FindProperty("Picture");
            picture != nullptr && (control->ClassName() == "Image" || control->ClassName() == "PictureBox")) {
          const auto reference = host::ParseFrxReference(picture->Value());
          stored += reference && host::FindIgnoringCase(form->File().parent_path(), reference->file) ? 1 : 0;
        }
      clsASPGenerator generator(rig.tools);
      NoWindow view;
      frmASPConverter window(view);
      window.chkPositioned = forms % 2 == 0;  // both layouts, each on half the forms
      generator.HTMLHeader(window.GenerateHeader());
      generator.FORMHeader(window.GenerateForm());
      generator.Layout(window.chkPositioned ? PageLayout::Positioned : PageLayout::Table);
      // A user scale cannot be converted: the ratio divides by zero.
      const bool user_scale = form->GetDesigner()->ScaleMode() == 0;
      user_scales += user_scale ? 1 : 0;
      ASSERT_EQ(generator.ConvertForm(*form, (folder / "page.html").string()), user_scale ? 11 : 0) << generator.LastError();
      if (user_scale) continue;
      // Each stored picture, and a PNG copy of each in a format we know.
      long copies = 0;
      for (const std::string& picture : generator.PicturesWritten()) copies += picture.ends_with(".png") ? 1 : 0;
      EXPECT_EQ(static_cast<long>(generator.PicturesWritten().size()) - copies, stored);
      for (const std::string& problem : generator.PictureProblems()) {
        if (problem.find("no PNG copy") != std::string::npos) {
          EXPECT_TRUE(problem.ends_with("an unknown picture format")) << problem;
        }
      }
      for (const std::string& picture : generator.PicturesWritten()) EXPECT_GT(fs::file_size(picture), 0u) << picture;
      pictures += static_cast<long>(generator.PicturesWritten().size());
      pages.push_back(folder / "page.html");
      expected.push_back("");
    }
  }
  EXPECT_EQ(PageProblems(pages), expected);
  EXPECT_EQ(forms, 94);
  EXPECT_EQ(user_scales, 1);
  EXPECT_GT(pictures, 10);
}

}  // namespace
}  // namespace gildex
