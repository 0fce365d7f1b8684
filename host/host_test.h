#pragma once
// What the host's tests share: the corpus of real VB6 projects they load and write back, when
// the machine has it (a fresh clone may not; tests that need it skip without it), and a small
// project of each kind of component, written to a scratch folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "host/source_file.h"
#include "host/source_lines.h"
#include "host/vbide.h"
#include "platform/cp1252.h"
#include "platform/test_files.h"

namespace gildex::host::testing {

inline const std::filesystem::path kCorpus = std::filesystem::path(GILDEX_CORPUS_DIR).lexically_normal();

// The corpus files with one of `extensions` (any letter case), sorted.
inline std::vector<std::filesystem::path> CorpusFiles(std::initializer_list<std::string_view> extensions) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(kCorpus)) {
    if (!entry.is_regular_file()) continue;
    for (std::string_view extension : extensions)
      if (cp1252::EqualsNoCase(entry.path().extension().string(), extension)) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The lines that differ, by longest common subsequence: "@N -old" with its line number
// before, "@N +new" with its line number after. Line ends count as part of a line.
inline std::string LineDiff(const std::string& before, const std::string& after) {
  const std::vector<RawLine> a = SplitLines(before), b = SplitLines(after);
  const auto same = [&](std::size_t i, std::size_t j) { return a[i].text == b[j].text && a[i].end == b[j].end; };
  // common[i][j]: the longest common run of a[i..] and b[j..].
  std::vector<std::vector<int>> common(a.size() + 1, std::vector<int>(b.size() + 1, 0));
  for (std::size_t i = a.size(); i-- > 0;)
    for (std::size_t j = b.size(); j-- > 0;)
      common[i][j] = same(i, j) ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
  std::string diff;
  std::size_t i = 0, j = 0;
  while (i < a.size() || j < b.size()) {
    if (i < a.size() && j < b.size() && same(i, j)) {
      ++i, ++j;
    } else if (i < a.size() && (j == b.size() || common[i + 1][j] >= common[i][j + 1])) {
      diff += "@" + std::to_string(i + 1) + " -" + a[i].text + "\n";
      ++i;
    } else {
      diff += "@" + std::to_string(j + 1) + " +" + b[j].text + "\n";
      ++j;
    }
  }
  return diff;
}

// Problems one a line: "FILE:LINE: [fatal: ]MESSAGE".
inline std::string Describe(const std::vector<LoadProblem>& problems) {
  std::string text;
  for (const LoadProblem& p : problems) text += p.file + ":" + std::to_string(p.line) + ": " + (p.fatal ? "fatal: " : "") + p.message + "\n";
  return text;
}

// What `call` threw as the object model does, "NUMBER: DESCRIPTION"; empty when it returned.
inline std::string HostErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const HostError& e) {
    return std::to_string(e.Number()) + ": " + e.Description();
  }
  return "";
}

using platform::testing::TempDir;
using platform::testing::WriteBytes;

// A small project on disk: a form with its .frx, a module and a class.
struct SmallProject {
  TempDir dir;
  std::filesystem::path vbp = dir / "Orders.vbp";
  SmallProject() {
    WriteBytes(vbp, "Type=Exe\r\nForm=Main.frm\r\nModule=Util; Util.bas\r\nClass=Thing; Thing.cls\r\nName=\"Orders\"\r\n");
    WriteBytes(dir / "Main.frm", kForm);
    WriteBytes(dir / "Main.frx", std::string("\x10\0\0\0", 4));
    WriteBytes(dir / "Util.bas", "Attribute VB_Name = \"Util\"\r\nOption Explicit\r\n\r\nPublic Sub Ping()\r\n    Beep\r\nEnd Sub\r\n");
    WriteBytes(dir / "Thing.cls",
               "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEND\r\nAttribute VB_Name = \"Thing\"\r\n"
               "Attribute VB_GlobalNameSpace = False\r\nAttribute VB_Creatable = True\r\n"
               "Attribute VB_PredeclaredId = False\r\nAttribute VB_Exposed = False\r\nOption Explicit\r\n\r\n"
               "Public Property Get Count() As Long\r\n    Count = 1\r\nEnd Property\r\n");
  }
  static constexpr const char* kForm =
      "VERSION 5.00\r\nBegin VB.Form frmMain \r\n   Caption         =   \"Orders\"\r\n"
      "   ClientHeight    =   3195\r\n   Icon            =   \"Main.frx\":0000\r\n"
      "   ScaleMode       =   3  'Pixel\r\n   Begin VB.CommandButton cmdOK \r\n      Caption         =   \"OK\"\r\n"
      "      Height          =   375\r\n   End\r\nEnd\r\nAttribute VB_Name = \"frmMain\"\r\n"
      "Attribute VB_GlobalNameSpace = False\r\nAttribute VB_Creatable = False\r\n"
      "Attribute VB_PredeclaredId = True\r\nAttribute VB_Exposed = False\r\nOption Explicit\r\n\r\n"
      "Private Sub cmdOK_Click()\r\n    Unload Me\r\nEnd Sub\r\n";
};

}  // namespace gildex::host::testing

#define GILDEX_SKIP_WITHOUT_CORPUS()                                                                       \
  if (!std::filesystem::is_directory(::gildex::host::testing::kCorpus))                                    \
  GTEST_SKIP() << "the corpus of real VB6 projects is not at " << ::gildex::host::testing::kCorpus.string() \
               << "; this test needs it"
