// Arbitrary bytes to the language server, after an initialize: once as the body of one
// message, once as the raw stream with its own headers. It must answer and never crash; and
// any bytes decoded for an editor must encode back to themselves. The messages are handled as
// the server's loop handles them, without its reading thread (one thread a run would slow the
// fuzzer, and the loop itself is the tests').
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "lsp/protocol.h"
#include "lsp/server.h"

namespace {

std::string Frame(std::string_view body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (gildex::lsp::EncodeAnsi(gildex::lsp::DecodeAnsi(bytes)) != bytes) std::abort();
  std::istringstream in(Frame(R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{}})") + Frame(bytes) +
                        std::string(bytes));
  std::ostringstream out, log;
  gildex::lsp::Server server(log, std::chrono::milliseconds(0));
  server.send = [&out](const gildex::lsp::Json& message) {
    out << message.dump(-1, ' ', false, gildex::lsp::Json::error_handler_t::replace);
  };
  std::string problem;
  while (auto body = gildex::lsp::ReadMessage(in, problem)) {
    if (problem.empty()) server.Handle(*body);
    if (server.Exited()) break;
  }
  server.PublishDiagnostics();
  return 0;
}
