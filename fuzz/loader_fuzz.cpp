// Arbitrary bytes as a component file and as a project file: whatever loads must be written
// back byte for byte, and nothing may crash.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "host/project_file.h"
#include "host/source_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  static constexpr std::string_view kNames[] = {"Fuzz.frm", "Fuzz.bas", "Fuzz.cls"};
  std::string_view name = kNames[size == 0 ? 0 : data[0] % 3];

  std::vector<gildex::host::LoadProblem> problems;
  gildex::host::SourceFile source = gildex::host::ParseSourceFile(bytes, name, problems);
  bool fatal = false;
  for (const auto& problem : problems) fatal = fatal || problem.fatal;
  if (!fatal && gildex::host::WriteSourceFile(source.header, source.code) != bytes) std::abort();

  if (gildex::host::WriteProjectFile(gildex::host::ParseProjectFile(bytes)) != bytes) std::abort();
  if (gildex::host::WriteGroupFile(gildex::host::ParseGroupFile(bytes)) != bytes) std::abort();
  return 0;
}
