// Arbitrary text as a user script: AddCode, then Run "Process" on a procedure's text. Any
// outcome is fine except a crash, a hang or a sanitizer report; the limits keep each run short.
// An input that starts with "RE" is a regular expression instead: the byte after the marker
// holds the flags (1 IgnoreCase, 2 MultiLine), then come the pattern and, after a zero byte,
// the text it is searched in, every match in turn as Global does. An input that starts with
// "RX" goes through a script's RegExp object: the byte after the marker holds Global (1),
// IgnoreCase (2) and MultiLine (4), then come the pattern, the subject and the replacement,
// split by zero bytes; Test, Execute (every match and submatch) and Replace must agree.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/vbscript/regexp.h"
#include "platform/vbscript/script_control.h"

namespace {

void FuzzRegex(std::string_view input) {
  using namespace gildex::vbscript;
  if (input.empty()) return;
  const unsigned flags = static_cast<unsigned char>(input[0]);
  input.remove_prefix(1);
  const std::size_t split = input.find('\0');
  const std::string_view pattern = input.substr(0, split);
  const std::string_view text = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
  try {
    Regex re(pattern, flags & 1, flags & 2);
    RegexMatch m;
    std::size_t from = 0;
    while (from <= text.size() && re.Search(text, from, m)) {
      if (m.Start() > m.End() || m.End() > text.size() || m.Start() < from) __builtin_trap();
      for (std::size_t g = 1; g < m.starts.size(); ++g)
        if (m.Matched(g) && (m.starts[g] > m.ends[g] || m.ends[g] > text.size())) __builtin_trap();
      from = m.End() == m.Start() ? m.End() + 1 : m.End();
    }
  } catch (const ScriptException&) {
  }
}

// Test must say what Execute finds, and every match must lie inside the subject.
constexpr std::string_view kProbe =
    "Function Probe(p, s, r, g, i, m)\r\n"
    "  Dim re, ms, one, k, out\r\n"
    "  Set re = New RegExp\r\n"
    "  re.Pattern = p : re.Global = g : re.IgnoreCase = i : re.MultiLine = m\r\n"
    "  Set ms = re.Execute(s)\r\n"
    "  If re.Test(s) <> (ms.Count > 0) Then Probe = False : Exit Function\r\n"
    "  For Each one In ms\r\n"
    "    If one.FirstIndex + one.Length > Len(s) Or Mid(s, one.FirstIndex + 1, one.Length) <> one.Value Then\r\n"
    "      Probe = False : Exit Function\r\n"
    "    End If\r\n"
    "    For k = 0 To one.SubMatches.Count - 1\r\n"
    "      out = out & one.SubMatches(k)\r\n"
    "    Next\r\n"
    "  Next\r\n"
    "  Probe = \"ok:\" & out & re.Replace(s, r)\r\n"
    "End Function\r\n";

void FuzzRegExpObject(gildex::vbscript::ScriptControl& sc, std::string_view input) {
  using namespace gildex::vbscript;
  if (input.empty()) return;
  const unsigned flags = static_cast<unsigned char>(input[0]);
  input.remove_prefix(1);
  std::string_view parts[3];
  for (auto& part : parts) {
    const std::size_t split = input.find('\0');
    part = input.substr(0, split);
    input = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
  }
  sc.AddCode(kProbe);
  try {
    const Variant result = sc.Run("Probe", parts[0], parts[1], parts[2], (flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0);
    if (sc.ToText(result) == "False") __builtin_trap();
  } catch (const ScriptException&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace gildex::vbscript;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (text.starts_with("RE")) {
    FuzzRegex(text.substr(2));
    return 0;
  }
  static const gildex::platform::FixedClock clock;
  ScriptControl sc(clock);
  sc.Settings().max_steps = 200000;
  sc.Settings().max_string = 1u << 20;
  sc.Settings().max_memory = 64 << 20;
  if (text.starts_with("RX")) {
    FuzzRegExpObject(sc, text.substr(2));
    return 0;
  }
  try {
    sc.AddCode(text);
  } catch (const ScriptException&) {
  }
  try {
    sc.ToText(sc.Run("Process", "Public Sub Main()\r\n    Dim x As Long\r\n    x = 1\r\nEnd Sub"));
  } catch (const ScriptException&) {
  }
  return 0;
}
