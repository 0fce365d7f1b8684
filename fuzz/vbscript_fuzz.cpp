// Arbitrary text as a user script: AddCode, then Run "Process" on a procedure's text. Any
// outcome is fine except a crash, a hang or a sanitizer report; the limits keep each run short.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/vbscript/script_control.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace gildex::vbscript;
  static const gildex::platform::FixedClock clock;
  ScriptControl sc(clock);
  sc.Settings().max_steps = 200000;
  sc.Settings().max_string = 1u << 20;
  sc.Settings().max_memory = 64 << 20;
  std::string_view text(reinterpret_cast<const char*>(data), size);
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
