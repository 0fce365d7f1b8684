#include "lsp/server.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <iostream>
#include <mutex>
#include <thread>
#include <utility>

#include "lsp/protocol.h"
#include "platform/cp1252.h"
#include "session/repository_settings.h"

namespace gildex::lsp {
namespace {

// JSON-RPC error codes.
constexpr int kParseError = -32700, kInvalidRequest = -32600, kMethodNotFound = -32601, kInvalidParams = -32602,
              kInternalError = -32603, kNotInitialized = -32002, kInvalidAfterShutdown = -32600;

// VB6 refuses longer lines and longer modules.
constexpr std::size_t kLongestLine = 1023;
constexpr std::size_t kMostLines = 65534;

struct RpcError {
  int code;
  std::string message;
};

enum class Scope { Procedure, Selection, Module, Project };

struct ActionKind {
  Command command;
  const char* titles[4];  // by scope; null where the command has no such action
};
constexpr ActionKind kActions[] = {
    {Command::Insert,
     {"Insert error handling", "Insert error handling into selection", "Insert error handling into module",
      "Insert error handling into project"}},
    {Command::Remove,
     {"Remove error handling", "Remove error handling from selection", "Remove error handling from module",
      "Remove error handling from project"}},
    {Command::Number,
     {"Add line numbers", "Add line numbers to selection", "Add line numbers to module", "Add line numbers to project"}},
    {Command::UnNumber,
     {"Remove line numbers", "Remove line numbers from selection", "Remove line numbers from module",
      "Remove line numbers from project"}},
    {Command::CommentBlock, {"Insert comment block", nullptr, nullptr, nullptr}},
    {Command::Tag, {"Tag for the default template", nullptr, nullptr, nullptr}},
    {Command::Untag, {"Remove template tag", nullptr, nullptr, nullptr}},
};

Json Response(const Json& id, Json result) { return {{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}}; }

Json ErrorResponse(const Json& id, int code, const std::string& message) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}};
}

Json Notification(const std::string& method, Json params) {
  return {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}

Json PositionJson(Position p) { return {{"line", p.line}, {"character", p.character}}; }

// A whole number of a message; a number of another kind, or one out of range, is a bad parameter.
template <typename T>
T Whole(const Json& json) {
  if (json.is_number_unsigned() && std::in_range<T>(json.get<std::uint64_t>()))
    return static_cast<T>(json.get<std::uint64_t>());
  if (json.is_number_integer() && std::in_range<T>(json.get<std::int64_t>()))
    return static_cast<T>(json.get<std::int64_t>());
  throw RpcError{kInvalidParams, "not a whole number in range: " + json.dump()};
}

Position PositionOfJson(const Json& json) {
  return {Whole<std::size_t>(json.at("line")), Whole<std::size_t>(json.at("character"))};
}

// The version a message gives a document, else `otherwise`.
long VersionOf(const Json& document, long otherwise) {
  return document.contains("version") ? Whole<long>(document["version"]) : otherwise;
}

// Deeper nesting is no message of the protocol, and writing it back would recurse that deep.
constexpr int kDeepest = 64;

int SymbolKind(const std::string& kind) { return kind.starts_with("Property") ? 7 : 12; }

}  // namespace

Server::Server(std::ostream& log, std::chrono::milliseconds debounce) : log_(log), debounce_(debounce) {}

void Server::Handle(const std::string& body) {
  Json message;
  bool deep = false;
  try {
    message = Json::parse(body, [&deep](int depth, Json::parse_event_t, Json&) { return !(deep |= depth > kDeepest); });
  } catch (const Json::exception& e) {
    send(ErrorResponse(nullptr, kParseError, std::string("not JSON: ") + e.what()));
    return;
  }
  if (deep) {
    send(ErrorResponse(nullptr, kInvalidRequest, "a message nested deeper than " + std::to_string(kDeepest) + " levels"));
    return;
  }
  const bool request = message.is_object() && message.contains("id");
  const Json id = request ? message["id"] : Json();
  if (!message.is_object() || !message.contains("method") || !message["method"].is_string() ||
      (request && !id.is_string() && !id.is_number_integer())) {
    // A response to a request of ours needs nothing; anything else is no request.
    if (!(message.is_object() && request && (message.contains("result") || message.contains("error"))))
      send(ErrorResponse(request && (id.is_string() || id.is_number_integer()) ? id : Json(), kInvalidRequest,
                         "not a JSON-RPC request or notification"));
    return;
  }
  const std::string method = message["method"];
  try {
    if (!initialized_ && method != "initialize" && method != "exit")
      throw RpcError{kNotInitialized, "the server is not initialized"};
    if (shut_down_ && method != "exit") throw RpcError{kInvalidAfterShutdown, "the server is shut down"};
    Json result = Dispatch(method, message.value("params", Json::object()));
    if (request) send(Response(id, std::move(result)));
  } catch (const RpcError& e) {
    if (request) send(ErrorResponse(id, e.code, e.message));
  } catch (const Json::exception& e) {
    if (request) send(ErrorResponse(id, kInvalidParams, std::string("bad parameters: ") + e.what()));
  } catch (const std::exception& e) {
    log_ << "gildex lsp: " << method << ": " << e.what() << "\n";
    if (request) send(ErrorResponse(id, kInternalError, e.what()));
  }
}

Json Server::Dispatch(const std::string& method, const Json& params) {
  if (method == "initialize") return Initialize(params);
  if (method == "initialized" || method.starts_with("$/")) return nullptr;
  if (method == "shutdown") {
    PublishDiagnostics();
    shut_down_ = true;
    return nullptr;
  }
  if (method == "exit") {
    exited_ = true;
    return nullptr;
  }
  if (method == "textDocument/didOpen") return DidOpen(params), nullptr;
  if (method == "textDocument/didChange") return DidChange(params), nullptr;
  if (method == "textDocument/didClose") {
    const std::string uri = params.at("textDocument").at("uri");
    // The file's text is the one on disk again.
    if (const auto project = projects_.find(uri); project != projects_.end()) views_.erase(project->second);
    documents_.erase(uri);
    projects_.erase(uri);
    stale_.erase(uri);
    unsynced_.erase(uri);
    send(Notification("textDocument/publishDiagnostics", {{"uri", uri}, {"diagnostics", Json::array()}}));
    return nullptr;
  }
  if (method == "textDocument/didSave") return nullptr;
  if (method == "textDocument/documentSymbol") return DocumentSymbols(params);
  if (method == "workspace/symbol") return WorkspaceSymbols(params);
  if (method == "textDocument/hover") return Hover(params);
  if (method == "textDocument/codeAction") return CodeActions(params);
  if (method == "codeAction/resolve") return ResolveCodeAction(params);
  throw RpcError{kMethodNotFound, "no method " + method};
}

Json Server::Initialize(const Json& params) {
  initialized_ = true;
  const Json none = Json::object();
  const Json general = params.value("capabilities", none).value("general", none);
  utf16_ = true;
  for (const Json& encoding : general.value("positionEncodings", Json::array()))
    if (encoding == "utf-8") utf16_ = false;
  const Json resolve = params.value("capabilities", none)
                           .value("textDocument", none)
                           .value("codeAction", none)
                           .value("resolveSupport", none)
                           .value("properties", Json::array());
  resolve_edits_ = std::find(resolve.begin(), resolve.end(), "edit") != resolve.end();
  Json capabilities = {
      {"positionEncoding", utf16_ ? "utf-16" : "utf-8"},
      {"textDocumentSync", {{"openClose", true}, {"change", 2}}},
      {"documentSymbolProvider", true},
      {"workspaceSymbolProvider", true},
      {"hoverProvider", true},
      {"codeActionProvider",
       {{"codeActionKinds", {"quickfix", "refactor.rewrite"}}, {"resolveProvider", resolve_edits_}}},
  };
  return {{"capabilities", capabilities}, {"serverInfo", {{"name", "gildex"}}}};
}

Document& Server::DocumentOf(const Json& params) {
  const std::string uri = params.at("textDocument").at("uri");
  const auto found = documents_.find(uri);
  if (found != documents_.end()) return found->second;
  // A document the editor did not open is read from its file.
  const auto path = PathOfUri(uri);
  std::error_code ec;
  const auto bytes = path && fs::is_regular_file(*path, ec) ? platform::ReadWholeFile(*path) : std::nullopt;
  if (!bytes) throw RpcError{kInvalidParams, "no document " + uri};
  // Decoded in the project's code page, as opening a view of it would put in use.
  session::UseCodePageOf(ProjectOf(*path));
  return documents_.emplace(uri, Document(uri, *path, DecodeAnsi(*bytes), 0)).first->second;
}

void Server::DidOpen(const Json& params) {
  const Json& item = params.at("textDocument");
  const std::string uri = item.at("uri");
  const auto path = PathOfUri(uri);
  if (!path) throw RpcError{kInvalidParams, "not a file: " + uri};
  documents_.insert_or_assign(uri, Document(uri, *path, item.at("text").get<std::string>(), VersionOf(item, 0)));
  stale_.insert(uri);
  unsynced_.insert(uri);
}

void Server::DidChange(const Json& params) {
  Document& document = DocumentOf(params);
  const long version = VersionOf(params.at("textDocument"), document.Version());
  for (const Json& change : params.at("contentChanges")) {
    const std::string text = change.at("text");
    if (change.contains("range"))
      document.Change(PositionOfJson(change["range"].at("start")), PositionOfJson(change["range"].at("end")), text,
                      version, utf16_);
    else
      document.Replace(text, version);
  }
  stale_.insert(document.Uri());
  unsynced_.insert(document.Uri());
}

std::map<fs::path, std::string> Server::Texts() const {
  std::map<fs::path, std::string> texts;
  for (const auto& [uri, document] : documents_) texts[document.Path()] = document.Text();
  return texts;
}

const fs::path& Server::ProjectOfDocument(const Document& document) {
  auto found = projects_.find(document.Uri());
  if (found == projects_.end()) found = projects_.emplace(document.Uri(), ProjectOf(document.Path())).first;
  return found->second;
}

ProjectView& Server::ViewOf(const Document& document) {
  std::unique_ptr<ProjectView>* view = &views_[ProjectOfDocument(document)];
  if (*view != nullptr && !(*view)->Current()) {
    // A file changed on disk: which project a file belongs to may have changed too.
    views_.erase(ProjectOfDocument(document));
    projects_.clear();
    view = &views_[ProjectOfDocument(document)];
  }
  const fs::path& project = ProjectOfDocument(document);
  bool fresh = *view == nullptr;
  for (auto uri = unsynced_.begin(); uri != unsynced_.end();) {
    const auto open = documents_.find(*uri);
    if (open == documents_.end() || ProjectOfDocument(open->second) != project) {
      ++uri;
      continue;
    }
    if (!fresh && !(*view)->Update(open->second.Path(), open->second.Bytes())) fresh = true;
    uri = unsynced_.erase(uri);
  }
  if (fresh) {
    view->reset();
    *view = std::make_unique<ProjectView>(project, Texts());
  }
  return **view;
}

std::vector<Symbol> Server::SymbolsOf(const Document& document) { return ViewOf(document).Symbols(document.Path()); }

Json Server::RangeOf(const Document& document, long first_line, long last_line) const {
  const auto last = static_cast<std::size_t>(std::max(last_line, first_line));
  return {{"start", PositionJson({static_cast<std::size_t>(first_line), 0})},
          {"end", PositionJson({last, ColumnOfByte(document.LineAt(std::min(last, document.LineCount() - 1)),
                                                   std::string::npos, utf16_)})}};
}

Json Server::DocumentSymbols(const Json& params) {
  const Document& document = DocumentOf(params);
  Json symbols = Json::array();
  for (const Symbol& symbol : SymbolsOf(document)) {
    const host::ProcedureInfo& p = symbol.procedure.procedure;
    symbols.push_back({{"name", DecodeAnsi(p.name)},
                       {"detail", p.scope + " " + p.kind},
                       {"kind", SymbolKind(p.kind)},
                       {"range", RangeOf(document, symbol.first, symbol.last)},
                       {"selectionRange", RangeOf(document, symbol.declaration, symbol.declaration)}});
  }
  return symbols;
}

Json Server::WorkspaceSymbols(const Json& params) {
  const std::string query = EncodeAnsi(params.value("query", std::string()));
  std::map<fs::path, const Document*> projects;
  for (const auto& [uri, document] : documents_) projects.emplace(ProjectOfDocument(document), &document);
  Json symbols = Json::array();
  for (const auto& [project, document] : projects) {
    for (const Symbol& symbol : ViewOf(*document).Symbols({})) {
      const host::ProcedureInfo& p = symbol.procedure.procedure;
      if (cp1252::FindNoCase(p.name, query) == std::string::npos) continue;
      symbols.push_back({{"name", DecodeAnsi(p.name)},
                         {"kind", SymbolKind(p.kind)},
                         {"containerName", DecodeAnsi(symbol.component)},
                         {"location",
                          {{"uri", UriOfPath(symbol.file)},
                           {"range", {{"start", PositionJson({static_cast<std::size_t>(symbol.declaration), 0})},
                                      {"end", PositionJson({static_cast<std::size_t>(symbol.declaration), 0})}}}}}});
    }
  }
  return symbols;
}

Json Server::Hover(const Json& params) {
  const Document& document = DocumentOf(params);
  const Position at = PositionOfJson(params.at("position"));
  for (const Symbol& symbol : SymbolsOf(document)) {
    if (static_cast<std::size_t>(symbol.declaration) != at.line) continue;
    const host::ProcedureInfo& p = symbol.procedure.procedure;
    const std::string text = "**" + p.scope + " " + p.kind + " " + DecodeAnsi(p.name) + "**\n\n" +
                             std::to_string(p.end_line - p.start_line + 1) + " lines (" +
                             std::to_string(p.start_line) + "-" + std::to_string(p.end_line) +
                             "), error handling: " + ErrorHandlingName(symbol.procedure.handling);
    return {{"contents", {{"kind", "markdown"}, {"value", text}}},
            {"range", RangeOf(document, symbol.declaration, symbol.declaration)}};
  }
  return nullptr;
}

Json Server::Diagnostics(const Document& document) {
  Json diagnostics = Json::array();
  auto add = [&](long line, int severity, const std::string& code, const std::string& message) {
    diagnostics.push_back({{"range", RangeOf(document, line, line)},
                           {"severity", severity},
                           {"source", "gildex"},
                           {"code", code},
                           {"message", message}});
  };
  const std::vector<std::string_view> lines = document.Lines();
  for (std::size_t n = 0; n < lines.size(); ++n)
    if (lines[n].size() > kLongestLine && ColumnOfByte(lines[n], std::string::npos, true) > kLongestLine)
      add(static_cast<long>(n), 1, "gildex.long-line", "line longer than 1,023 characters: VB6 cuts it on load");
  if (lines.size() > kMostLines) add(kMostLines, 1, "gildex.long-module", "module longer than 65,534 lines: VB6 refuses it");
  const fs::path project = ProjectOfDocument(document);
  ProjectView& view = ViewOf(document);
  const std::string vbp = UriOfPath(project);
  if (!view.OpenProblem().empty()) {
    const std::string message = "the project " + project.filename().string() + " does not load: " + view.OpenProblem();
    add(0, 1, "gildex.load", message);
    // And on the project file's line that names the module.
    if (project != document.Path()) {
      const long line = view.ProjectLineOf(document.Path()) - 1;
      vbp_problems_[vbp][line] = {{"range", {{"start", PositionJson({static_cast<std::size_t>(line), 0})},
                                             {"end", PositionJson({static_cast<std::size_t>(line) + 1, 0})}}},
                                  {"severity", 1},
                                  {"source", "gildex"},
                                  {"code", "gildex.load"},
                                  {"message", message}};
      vbp_stale_.insert(vbp);
    }
    return diagnostics;
  }
  if (vbp_problems_.erase(vbp) > 0) vbp_stale_.insert(vbp);
  std::error_code ec;
  for (const host::LoadProblem& problem : view.LoadProblems())
    if (problem.line > 0 && fs::equivalent(problem.file, document.Path(), ec) &&
        EncodeAnsi(document.Text()) == platform::ReadWholeFile(document.Path()).value_or(""))
      add(problem.line - 1, problem.fatal ? 1 : 2, "gildex.load", DecodeAnsi(problem.message));
  std::string why;
  for (const Symbol& symbol : view.WouldInsert(document.Path(), why))
    add(symbol.declaration, 4, "gildex.no-handler",
        DecodeAnsi(symbol.procedure.procedure.name) + " has no error handling");
  if (!why.empty()) log_ << "gildex lsp: " << document.Uri() << ": " << why << "\n";
  return diagnostics;
}

void Server::PublishDiagnostics() {
  for (const std::string& uri : std::exchange(stale_, {})) {
    const auto found = documents_.find(uri);
    if (found == documents_.end()) continue;
    Json diagnostics;
    try {
      diagnostics = Diagnostics(found->second);
    } catch (const std::exception& e) {
      log_ << "gildex lsp: diagnostics of " << uri << ": " << e.what() << "\n";
      continue;
    }
    send(Notification("textDocument/publishDiagnostics",
                      {{"uri", uri}, {"version", found->second.Version()}, {"diagnostics", diagnostics}}));
  }
  for (const std::string& vbp : std::exchange(vbp_stale_, {})) {
    Json diagnostics = Json::array();
    for (const auto& [line, diagnostic] : vbp_problems_[vbp]) diagnostics.push_back(diagnostic);
    send(Notification("textDocument/publishDiagnostics", {{"uri", vbp}, {"diagnostics", diagnostics}}));
  }
}

// One edit a file: the lines between the common start and the common end replaced.
Json Server::EditOf(const std::vector<FileEdit>& edits) {
  Json changes = Json::object();
  for (const FileEdit& edit : edits) {
    const Document before("", edit.file, DecodeAnsi(edit.before), 0);
    const Document after("", edit.file, DecodeAnsi(edit.after), 0);
    std::size_t prefix = 0, suffix = 0;
    const std::size_t n = before.LineCount(), m = after.LineCount();
    while (prefix < n && prefix < m && before.LineWithEnd(prefix) == after.LineWithEnd(prefix)) ++prefix;
    while (suffix < n - prefix && suffix < m - prefix &&
           before.LineWithEnd(n - 1 - suffix) == after.LineWithEnd(m - 1 - suffix))
      ++suffix;
    const std::size_t from = after.LineStart(prefix), to = after.LineStart(m - suffix);
    changes[UriOfPath(edit.file)] = Json::array(
        {{{"range",
           {{"start", PositionJson(before.PositionOf(before.LineStart(prefix), utf16_))},
            {"end", PositionJson(before.PositionOf(before.LineStart(n - suffix), utf16_))}}},
          {"newText", after.Text().substr(from, to - from)}}});
  }
  return {{"changes", changes}};
}

Json Server::CodeActions(const Json& params) {
  const Document& document = DocumentOf(params);
  const Position start = PositionOfJson(params.at("range").at("start")), end = PositionOfJson(params.at("range").at("end"));
  // A selection of whole lines ends at the start of the line below.
  const long first = static_cast<long>(start.line),
             last = static_cast<long>(end.line > start.line && end.character == 0 ? end.line - 1 : end.line);
  std::string procedure;
  bool covers = false;
  for (const Symbol& symbol : SymbolsOf(document)) {
    if (symbol.first <= first && first <= symbol.last) procedure = symbol.procedure.procedure.name;
    covers |= symbol.first <= last && first <= symbol.last;
  }
  Json fixed = Json::array();
  for (const Json& diagnostic : params.value("context", Json::object()).value("diagnostics", Json::array()))
    if (diagnostic.value("code", "") == "gildex.no-handler") fixed.push_back(diagnostic);
  const bool offered[] = {!procedure.empty(), covers && last > first, true, ProjectOfDocument(document) != document.Path()};
  Json actions = Json::array();
  for (const ActionKind& kind : kActions)
    for (const Scope scope : {Scope::Procedure, Scope::Selection, Scope::Module, Scope::Project}) {
      const int n = static_cast<int>(scope);
      if (kind.titles[n] == nullptr || !offered[n]) continue;
      Json action = {{"title", kind.titles[n]},
                     {"kind", "refactor.rewrite"},
                     {"data",
                      {{"uri", document.Uri()},
                       {"command", static_cast<int>(kind.command)},
                       {"scope", n},
                       {"procedure", scope == Scope::Procedure ? DecodeAnsi(procedure) : ""},
                       {"lines", {first, last}}}}};
      if (scope == Scope::Procedure && kind.command == Command::Insert && !fixed.empty())
        action["kind"] = "quickfix", action["diagnostics"] = fixed, action["isPreferred"] = true;
      if (!resolve_edits_) {
        action = ResolveCodeAction(std::move(action));
        if (!action.contains("edit") && action["disabled"]["reason"] == "nothing to change") continue;
      }
      actions.push_back(std::move(action));
    }
  return actions;
}

Json Server::ResolveCodeAction(Json action) {
  const Json& data = action.at("data");
  const Document& document = DocumentOf({{"textDocument", {{"uri", data.at("uri")}}}});
  const int command = Whole<int>(data.at("command")), scope = data.contains("scope") ? Whole<int>(data["scope"]) : 0;
  if (command < 0 || command > static_cast<int>(Command::Untag) || scope < 0 || scope > static_cast<int>(Scope::Project))
    throw RpcError{kInvalidParams, "no such command"};
  Target target;
  if (scope != static_cast<int>(Scope::Project)) target.file = document.Path();
  if (scope == static_cast<int>(Scope::Procedure)) target.procedure = EncodeAnsi(data.at("procedure").get<std::string>());
  if (scope == static_cast<int>(Scope::Selection)) target.lines = {Whole<long>(data.at("lines").at(0)), Whole<long>(data.at("lines").at(1))};
  std::string problem;
  const std::vector<FileEdit> edits = ViewOf(document).Run(static_cast<Command>(command), target, problem);
  if (!problem.empty())
    action["disabled"] = {{"reason", problem}};
  else if (!edits.empty())
    action["edit"] = EditOf(edits);
  else
    action["disabled"] = {{"reason", "nothing to change"}};
  return action;
}

int Server::Run(std::istream& in, std::ostream& out) {
  // Shared with the reader, which may outlive this call while blocked on input nobody sends.
  struct Inbox {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<std::string> queue;
    bool ended = false;
  };
  auto inbox = std::make_shared<Inbox>();
  // Reading must not flush `out` (std::cin is tied to std::cout): the reader has a thread of its own.
  in.tie(nullptr);
  send = [&out](const Json& message) { WriteMessage(out, message.dump(-1, ' ', false, Json::error_handler_t::replace)); };
  std::thread reader([inbox, &in] {
    std::string problem;
    while (auto body = ReadMessage(in, problem)) {
      std::lock_guard lock(inbox->mutex);
      inbox->queue.push_back(problem.empty() ? std::move(*body) : "\x01" + problem);
      inbox->arrived.notify_one();
    }
    std::lock_guard lock(inbox->mutex);
    inbox->ended = true;
    inbox->arrived.notify_one();
  });
  std::unique_lock lock(inbox->mutex);
  while (!exited_) {
    // Diagnostics wait until the typing pauses.
    if (!inbox->arrived.wait_for(lock, HasPendingDiagnostics() ? debounce_ : std::chrono::hours(1),
                                 [&] { return !inbox->queue.empty() || inbox->ended; })) {
      lock.unlock();
      PublishDiagnostics();
      lock.lock();
      continue;
    }
    if (inbox->queue.empty()) break;
    std::string body = std::move(inbox->queue.front());
    inbox->queue.pop_front();
    lock.unlock();
    if (body.starts_with('\x01'))
      send(ErrorResponse(nullptr, kParseError, body.substr(1)));
    else
      Handle(body);
    lock.lock();
  }
  const bool ended = inbox->arrived.wait_for(lock, std::chrono::milliseconds(100), [&] { return inbox->ended; });
  lock.unlock();
  if (ended)
    reader.join();
  else
    reader.detach();
  return shut_down_ ? 0 : 1;
}

int RunLanguageServer() {
  std::ios::sync_with_stdio(false);
  Server server(std::cerr);
  return server.Run(std::cin, std::cout);
}

}  // namespace gildex::lsp
