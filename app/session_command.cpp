#include "app/session_command.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "app/printer.h"
#include "platform/atomic_file.h"
#include "session/session_script.h"

namespace gildex::app {
namespace {

// A session script is a short text a person writes.
constexpr std::uintmax_t kMaxScriptBytes = 1024 * 1024;

}  // namespace

int PlaySessionFile(const std::filesystem::path& file, std::ostream& out, std::ostream& err) {
  std::error_code error;
  if (!std::filesystem::exists(file, error)) {
    Say(err, "no session script " + file.string() + ": no such file");
    return 2;
  }
  if (!std::filesystem::is_regular_file(file, error) || std::filesystem::file_size(file, error) > kMaxScriptBytes) {
    Say(err, file.string() + " is no session script (not a regular file of at most 1 MB)");
    return 2;
  }
  const std::optional<std::string> bytes = platform::ReadWholeFile(file);
  if (!bytes) {
    Say(err, "cannot read " + file.string());
    return 2;
  }
  const std::optional<std::string> text = FromTerminalText(*bytes);
  std::string problem;
  const auto steps = session::ParseSessionScript(text ? *text : *bytes, problem);
  if (!steps) {
    Say(err, file.string() + ": " + problem);
    return 2;
  }
  const int code = session::RunSessionScript(*steps, std::filesystem::absolute(file).parent_path(), out, Worded);
  if (code != 0) Say(err, file.string() + ": the session stopped at a step that could not be done");
  return code;
}

}  // namespace gildex::app
