#include "platform/dialogs.h"

#include <gtest/gtest.h>

#include <sstream>

namespace gildex::platform {
namespace {

TEST(Dialogs, StylesOfferTheirButtonsAndDefaultAnswer) {
  struct Case {
    int style;
    std::vector<MsgBoxResult> buttons;
    MsgBoxResult default_answer;
  };
  const std::vector<Case> cases = {
      {vbOKOnly, {vbOK}, vbOK},
      {vbOKCancel | vbQuestion, {vbOK, vbCancel}, vbOK},
      {vbAbortRetryIgnore | vbExclamation, {vbAbort, vbRetry, vbIgnore}, vbAbort},
      {vbAbortRetryIgnore | vbDefaultButton3, {vbAbort, vbRetry, vbIgnore}, vbIgnore},
      {vbYesNoCancel | vbDefaultButton2, {vbYes, vbNo, vbCancel}, vbNo},
      {vbYesNo | vbDefaultButton2 | vbCritical, {vbYes, vbNo}, vbNo},
      {vbYesNo | vbDefaultButton3, {vbYes, vbNo}, vbYes},  // no third button: the first
      {vbRetryCancel | vbDefaultButton2, {vbRetry, vbCancel}, vbCancel},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ButtonsOf(c.style), c.buttons) << c.style;
    EXPECT_EQ(DefaultAnswer(c.style), c.default_answer) << c.style;
  }
  EXPECT_THROW(ButtonsOf(6), std::invalid_argument);
}

TEST(Dialogs, ScriptedAnswersComeInOrderThenDefaultsAndMustBeOffered) {
  ScriptedDialogs dialogs({vbNo, vbRetry});
  const MessageBox question{"Save changes?", vbYesNo | vbQuestion, "Gildex"};
  const MessageBox error{"Error 5: \r\nbad", vbAbortRetryIgnore | vbExclamation, "Gildex Error."};
  EXPECT_EQ(dialogs.MsgBox(question), vbNo);
  EXPECT_EQ(dialogs.MsgBox(error), vbRetry);
  EXPECT_EQ(dialogs.MsgBox(error), vbAbort);  // script used up: default
  dialogs.Answer(vbIgnore);
  EXPECT_EQ(dialogs.MsgBox(error), vbIgnore);
  ASSERT_EQ(dialogs.Asked().size(), 4u);
  EXPECT_EQ(dialogs.Asked()[1].title, "Gildex Error.");
  // An answer the box does not offer is a mistake of the test, named by the box's prompt.
  dialogs.Answer(vbYes);
  try {
    dialogs.MsgBox({"Operation was cancelled by user.", vbOKOnly, "Gildex"});
    FAIL() << "a Yes was accepted for an OK box";
  } catch (const std::logic_error& e) {
    EXPECT_NE(std::string(e.what()).find("Operation was cancelled by user."), std::string::npos) << e.what();
  }
}

// The title, the prompt's lines and the choices are shown; the answer is read by its first letters.
TEST(Dialogs, TerminalShowsTheBoxAndReadsTheAnswerByItsFirstLetters) {
  struct Case {
    std::string typed;
    int style;
    MsgBoxResult want;
    std::string shown = "";  // all that was written; empty: not looked at
  };
  const std::vector<Case> cases = {
      {"y\n", vbYesNo, vbYes},
      {"NO\n", vbYesNo, vbNo},
      {"  c  \r\n", vbYesNoCancel, vbCancel},
      {"\n", vbYesNo | vbDefaultButton2, vbNo},  // empty line: default
      {"", vbYesNo, vbYes},                      // end of input: default
      {"ig\n", vbAbortRetryIgnore, vbIgnore},
      {"ok\n", vbOKCancel, vbOK},
      {"x\n", vbYesNo | vbDefaultButton2, vbNo},
      // Asked again after an unknown answer.
      {"maybe\nn\n", vbYesNoCancel | vbQuestion, vbNo,
       "Gildex\nRemove from caf\xc3\xa9?\nAll modules\n[Y]es / [N]o / [C]ancel (default: Yes): "
       "Please answer with one of: [Y]es / [N]o / [C]ancel\n[Y]es / [N]o / [C]ancel (default: Yes): "},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.typed);
    std::ostringstream out;
    TerminalDialogs dialogs(in, out);
    EXPECT_EQ(dialogs.MsgBox({"Remove from caf\xe9?\r\nAll modules", c.style, "Gildex"}), c.want) << c.typed;
    if (!c.shown.empty()) {
      EXPECT_EQ(out.str(), c.shown);
    }
  }
}

// A save dialog on a terminal takes a typed path, giving a name without an extension the
// default one; nobody there cancels.
TEST(Dialogs, SaveAsTakesATypedPathOrCancels) {
  const SaveFileDialog dialog{{{"Project Files", "*.VBP"}, {"All Files", "*.*"}}, "Orders.vbp", "", "Gildex AutoSave", "*.VBP"};
  const struct {
    std::string typed, want;
  } cases[] = {
      {"Orders\n", "Orders.VBP"}, {"  saved/Orders  \r\n", "saved/Orders.VBP"}, {"old.v1/Orders\n", "old.v1/Orders.VBP"},
      {"Orders.bak\n", "Orders.bak"}, {"\n", ""}, {"", ""},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.typed);
    std::ostringstream out;
    EXPECT_EQ(TerminalDialogs(in, out).SaveFileName(dialog), c.want) << c.typed;
    EXPECT_TRUE(out.str().starts_with("Gildex AutoSave: save as (Project Files (*.VBP), All Files (*.*))\n")) << out.str();
  }
  std::ostringstream out;
  EXPECT_EQ(UnattendedDialogs(out, vbYes).SaveFileName(dialog), "");
  EXPECT_EQ(out.str(), "Gildex AutoSave: save as (Project Files (*.VBP), All Files (*.*)) -> Cancel (no terminal to name a file)\n");
}

TEST(Dialogs, UnattendedTakesTheDefaultOrTheForcedAnswerAndSaysSo) {
  struct Case {
    MsgBoxResult forced;
    MessageBox box;
    MsgBoxResult want;
    std::string printed;
  };
  const std::vector<Case> cases = {
      {MsgBoxResult{}, {"Save?", vbYesNo | vbDefaultButton2, "Gildex"}, vbNo,
       "Gildex: Save? -> No (default answer taken; no terminal)\n"},
      {vbYes, {"Save?", vbYesNo | vbDefaultButton2, "Gildex"}, vbYes, "Gildex: Save? -> Yes (answered by --yes)\n"},
      {vbNo, {"Save?", vbYesNoCancel, "Gildex"}, vbNo, "Gildex: Save? -> No (answered by --no)\n"},
      {vbYes, {"Done.", vbOKOnly, "Gildex"}, vbOK, "Gildex: Done. -> OK (default answer taken)\n"},
      {MsgBoxResult{}, {"Error 5: \r\nbad call\r\n", vbAbortRetryIgnore, "Gildex Error."}, vbAbort,
       "Gildex Error.: Error 5: \n  bad call -> Abort (default answer taken; no terminal)\n"},
  };
  for (const Case& c : cases) {
    std::ostringstream out;
    UnattendedDialogs dialogs(out, c.forced);
    EXPECT_EQ(dialogs.MsgBox(c.box), c.want) << c.box.prompt;
    EXPECT_EQ(out.str(), c.printed);
  }
}

}  // namespace
}  // namespace gildex::platform
