#pragma once
// The language server: LSP 3.17 over a pair of streams. Documents the editor opens stand for
// their files in a read-only session of their project (lsp/project_view.h); symbols, hover,
// diagnostics and code actions come from that session, the edits of code actions from the
// same session commands the other hosts run. Nothing is written to disk.
//
//   Server server(std::cerr);
//   return server.Run(std::cin, std::cout);   // until "exit" or the end of the input
#include <chrono>
#include <filesystem>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

#include "lsp/document.h"
#include "lsp/project_view.h"

namespace gildex::lsp {

using Json = nlohmann::json;

class Server {
 public:
  // `log` gets what the server has to say outside the protocol.
  explicit Server(std::ostream& log, std::chrono::milliseconds debounce = std::chrono::milliseconds(250));
  // Reads messages from `in` on a thread of its own and answers on `out` until "exit" or the
  // end of the input. 0 after a shutdown request, else 1.
  int Run(std::istream& in, std::ostream& out);

  // One message's body; what to send back (responses, notifications) goes to `send`.
  void Handle(const std::string& body);
  // Sends the diagnostics of documents changed since they were last sent.
  void PublishDiagnostics();
  bool Exited() const { return exited_; }
  bool HasPendingDiagnostics() const { return !stale_.empty(); }
  std::function<void(const Json&)> send;

 private:
  Json Dispatch(const std::string& method, const Json& params);
  Json Initialize(const Json& params);
  void DidOpen(const Json& params);
  void DidChange(const Json& params);
  Json DocumentSymbols(const Json& params);
  Json WorkspaceSymbols(const Json& params);
  Json Hover(const Json& params);
  Json CodeActions(const Json& params);
  Json ResolveCodeAction(Json action);
  Json Diagnostics(const Document& document);
  Json EditOf(const std::vector<FileEdit>& edits);
  Json RangeOf(const Document& document, long first_line, long last_line) const;

  Document& DocumentOf(const Json& params);
  const fs::path& ProjectOfDocument(const Document& document);
  // The loaded project of the document, with the editor's texts; loaded again when a file of
  // it changed on disk.
  ProjectView& ViewOf(const Document& document);
  std::map<fs::path, std::string> Texts() const;
  std::vector<Symbol> SymbolsOf(const Document& document);

  std::ostream& log_;
  std::chrono::milliseconds debounce_;
  std::map<std::string, Document> documents_;  // by URI
  std::set<std::string> stale_;                // URIs whose diagnostics are to be sent
  std::set<std::string> unsynced_;             // URIs whose text their project's view lacks
  std::map<std::string, fs::path> projects_;   // the project of each URI
  std::map<fs::path, std::unique_ptr<ProjectView>> views_;
  // The diagnostics of project files that do not load, by URI and line; those to send.
  std::map<std::string, std::map<long, Json>> vbp_problems_;
  std::set<std::string> vbp_stale_;
  bool initialized_ = false, shut_down_ = false, exited_ = false;
  bool utf16_ = true, resolve_edits_ = false;
};

// `gildex lsp`: a server over standard input and output, logging on standard error.
int RunLanguageServer();

}  // namespace gildex::lsp
