// Arbitrary bytes as the text of a code module, with the first bytes choosing the settings:
// insert, remove, number and un-number must never crash or hang, the module's procedure
// table must agree with its lines after every edit, and on a module free of Gildex's own
// texts insert-remove and number-unnumber give the module back and inserting twice is
// inserting once.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/services_rig.h"
#include "engine/gildex.h"
#include "host/memory_code_module.h"
#include "platform/cp1252.h"
#include "platform/test_files.h"

namespace {

using gildex::CGildex;
using gildex::host::MemoryCodeModule;

// The settings the first bytes of an input choose.
struct Choice {
  bool body_code = false;
  bool auto_exit = false;
  bool full_logging = false;
  bool replace_body_handlers = false;
  bool header_after_comments = false;
  bool number_dims = false;
  bool number_blank_lines = false;
  bool number_comment_lines = false;
  std::int16_t line_increment = 10;
  std::int32_t start_line = 0;
  std::string line_delimiter = " ";
};

constexpr std::size_t kChoiceBytes = 3;

Choice ReadChoice(std::string_view& input) {
  Choice choice;
  if (input.size() < kChoiceBytes) return choice;
  const auto flags = static_cast<unsigned char>(input[0]);
  const auto numbers = static_cast<unsigned char>(input[1]);
  const auto start = static_cast<unsigned char>(input[2]);
  input.remove_prefix(kChoiceBytes);
  choice.body_code = flags & 1;
  choice.auto_exit = flags & 2;
  choice.full_logging = flags & 4;
  choice.replace_body_handlers = flags & 8;
  choice.header_after_comments = flags & 16;
  choice.number_dims = flags & 32;
  choice.number_blank_lines = flags & 64;
  choice.number_comment_lines = flags & 128;
  // Small increments as users pick them, and now and then one near the 16-bit limit.
  choice.line_increment = (numbers & 15) == 15 ? std::int16_t{32767} : static_cast<std::int16_t>(1 + (numbers & 15) * 5);
  static constexpr const char* kDelimiters[] = {" ", ":", ": "};
  choice.line_delimiter = kDelimiters[(numbers >> 4) % 3];
  choice.start_line = start == 255 ? 2147483000 : start * 100;
  return choice;
}

// The engine with everything it stands on. Built afresh for each input so that no setting
// or recorded box carries over; the program folder is shared because making one costs a
// file system round trip and nothing here writes to it.
struct Rig : gildex::testing::ServicesRig {
  explicit Rig(const Choice& choice) : ServicesRig(ProgramFolder()) {
    gildex.DefaultTemplate("Fuzz");
    // Without marker lines only a template free of variables can be found again, so that is
    // the one users run markers-off with.
    if (choice.body_code) {
      gildex.HeaderCode("On Error Goto %ProcName%_ErrorHandler");
      gildex.FooterCode("%ProcName%_ErrorHandler:\r\n    MsgBox Err.Description");
    } else {
      gildex.HeaderCode("On Error GoTo ErrorHandler");
      gildex.FooterCode("ErrorHandler:\r\n    LogError Err");
    }
    gildex.FullLoggingCode("Debug.Print \"%ProcName%: %PrevLine%\"");
    gildex.BodyCode(choice.body_code);
    gildex.AutoExit(choice.auto_exit);
    gildex.FullLogging(choice.full_logging);
    gildex.ReplaceBodyHandlers(choice.replace_body_handlers);
    gildex.HeaderAfterComments(choice.header_after_comments);
    gildex.NumberDims(choice.number_dims);
    gildex.NumberBlankLines(choice.number_blank_lines);
    gildex.NumberCommentLines(choice.number_comment_lines);
    gildex.LineIncrement(choice.line_increment);
    gildex.StartLine(choice.start_line);
    gildex.LineDelimiter(choice.line_delimiter);
  }

  static const std::filesystem::path& ProgramFolder() {
    static const gildex::platform::testing::TempDir dir;
    return dir.Path();
  }

  CGildex gildex{services, report, tools};
};

[[noreturn]] void Fail(const char* what, std::string_view detail) {
  std::fprintf(stderr, "%s\n", what);
  std::fwrite(detail.data(), 1, detail.size(), stderr);
  std::fputc('\n', stderr);
  std::abort();
}

void CheckTable(const MemoryCodeModule& module, const char* after) {
  if (const std::string problem = module.CheckConsistency(); !problem.empty()) Fail(after, problem);
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view FirstWord(std::string_view line) {
  while (!line.empty() && IsSpace(line.front())) line.remove_prefix(1);
  std::size_t end = 0;
  while (end < line.size() && !IsSpace(line[end])) ++end;
  return line.substr(0, end);
}

// "End Sub", "End Function" or "End Property", then nothing but blanks or a comment.
bool IsPlainEndLine(std::string_view line) {
  while (!line.empty() && IsSpace(line.front())) line.remove_prefix(1);
  for (int word = 0; word < 2; ++word) {
    line.remove_prefix(FirstWord(line).size());
    while (!line.empty() && IsSpace(line.front())) line.remove_prefix(1);
  }
  return line.empty() || line.front() == '\'';
}

bool IsBlank(std::string_view line) {
  for (char c : line)
    if (!IsSpace(c)) return false;
  return true;
}

// The texts Gildex treats as its own (markers, the logging tag, handler labels, handler
// statements, line numbers, labels, hidden Attribute lines): a module holding one may lose
// or gain it on a round trip, as it should. Control characters cannot be typed into a code
// window, blank lines at the end are dropped by insertion
// and lines near VB6's length limit cannot take a number, so those modules are left out too.
bool HoldsGildexText(std::string_view text) {
  for (const char* own : {"Code Body", "'gildexlog", "ErrorHandler", "GX2/", "<<>>", "On Error", "On Local Error"})
    if (gildex::cp1252::FindNoCase(text, own) != std::string_view::npos) return true;
  // The code window holds no control characters but the tab; a NUL in a line reads as a
  // blank to some rules and as a letter to others.
  for (char c : text)
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n') return true;
  const std::vector<std::string_view> lines = SplitLines(text);
  if (lines.size() > 1 && IsBlank(lines.back())) return true;
  for (std::string_view line : lines) {
    if (line.size() > 900) return true;
    const std::string_view word = FirstWord(line);
    if (word.empty()) continue;
    if ((word.front() >= '0' && word.front() <= '9') || word.back() == ':') return true;
    if (gildex::cp1252::EqualsNoCase(word, "Attribute")) return true;
  }
  return false;
}

// True when every procedure that starts also ends, before the next one starts, on an End
// line holding nothing but the End statement and perhaps a comment. Removal restores the
// body down to the line above the procedure's last line, which is its End line in code that
// compiles; in a procedure cut off without one, or whose End line runs on into other text
// ("End Sub    Private Sub B()"), the logging line after its last statement stays.
bool EveryProcedureEnds(CGildex& gildex, std::string_view text) {
  bool open = false;
  for (std::string_view line : SplitLines(text)) {
    if (gildex.IsStartProc(line)) {
      if (open) return false;
      open = true;
    } else if (gildex.IsEndProc(line)) {
      if (!open || !IsPlainEndLine(line)) return false;
      open = false;
    }
  }
  return !open;
}

std::unique_ptr<MemoryCodeModule> Insert(const Choice& choice, const std::string& text) {
  Rig rig(choice);
  auto module = MemoryCodeModule::FromText("modFuzz", text);
  rig.gildex.InsertModule(*module, "modFuzz", nullptr, false);
  CheckTable(*module, "procedure table wrong after InsertModule");
  return module;
}

void InsertRemoveRoundTrip(const Choice& choice, const std::string& before) {
  auto module = Insert(choice, before);
  const std::string once = module->Text();
  Rig rig(choice);
  rig.gildex.RemoveModule(*module, false);
  CheckTable(*module, "procedure table wrong after RemoveModule");
  // Without markers the footer is taken out with the one line above it, which is the exit
  // line when AutoExit put one there: the empty separator above that stays, since removal
  // cannot tell it from an empty line of the user's own.
  const bool separator_stays = !choice.body_code && choice.auto_exit;
  if (!separator_stays && EveryProcedureEnds(rig.gildex, before) && module->Text() != before)
    Fail("insert then remove changed the module", once + "\r\n---- removed:\r\n" + module->Text());

  auto twice = Insert(choice, once);
  if (twice->Text() != once) Fail("inserting twice differs from inserting once", once);
}

void NumberRoundTrip(const Choice& choice, const std::string& before) {
  Rig rig(choice);
  auto module = MemoryCodeModule::FromText("modFuzz", before);
  rig.gildex.NumberModule(*module, false);
  CheckTable(*module, "procedure table wrong after NumberModule");
  const std::string once = module->Text();
  // Un-numbering takes the number and one delimiter character, so a two-character delimiter
  // leaves its space behind on every round trip: the space could as well be the user's
  // indent, and an indent is never taken.
  if (choice.line_delimiter.size() != 1) return;
  rig.gildex.NumberModule(*module, false);
  CheckTable(*module, "procedure table wrong after NumberModule");
  if (module->Text() != once)
    Fail("numbering twice differs from numbering once", once + "\r\n---- twice:\r\n" + module->Text());
  rig.gildex.UnNumberModule(*module, false);
  CheckTable(*module, "procedure table wrong after UnNumberModule");
  if (module->Text() != before)
    Fail("number then un-number changed the module", once + "\r\n---- un-numbered:\r\n" + module->Text());
}

// Every operation on whatever the bytes hold, each on the result of the one before.
void RunAll(const Choice& choice, std::string_view text) {
  Rig rig(choice);
  auto module = MemoryCodeModule::FromText("modFuzz", text);
  CheckTable(*module, "procedure table wrong after loading");
  rig.gildex.InsertModule(*module, "modFuzz", nullptr, false);
  CheckTable(*module, "procedure table wrong after InsertModule");
  rig.gildex.NumberModule(*module, false);
  CheckTable(*module, "procedure table wrong after NumberModule");
  rig.gildex.RemoveModule(*module, false);
  CheckTable(*module, "procedure table wrong after RemoveModule");
  rig.gildex.UnNumberModule(*module, false);
  CheckTable(*module, "procedure table wrong after UnNumberModule");
  rig.gildex.RemoveModule(*module, false);
  CheckTable(*module, "procedure table wrong after RemoveModule");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const Choice choice = ReadChoice(input);
  RunAll(choice, input);
  if (HoldsGildexText(input)) return 0;
  // The module as the code window shows it: line ends are the module's, not the engine's.
  const std::string before = MemoryCodeModule::FromText("modFuzz", input)->Text();
  InsertRemoveRoundTrip(choice, before);
  NumberRoundTrip(choice, before);
  return 0;
}
