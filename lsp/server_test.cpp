#include "lsp/server.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <sstream>

#include "lsp/protocol.h"
#include "session/sample_project_test.h"
#include "session/tag_window.h"

namespace gildex::lsp {
namespace {

std::string Raw(const std::string& body) { return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body; }
std::string Frame(const Json& message) { return Raw(message.dump()); }

Json Request(int id, const std::string& method, Json params) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}};
}

// Plays `input` (framed messages) to a server; what it sent back, in order.
std::vector<Json> Play(const std::string& input, int* exit_code = nullptr) {
  std::istringstream in(input);
  std::ostringstream out, log;
  Server server(log, std::chrono::milliseconds(1));
  const int code = server.Run(in, out);
  if (exit_code != nullptr) *exit_code = code;
  std::istringstream replies(out.str());
  std::vector<Json> messages;
  std::string problem;
  while (auto body = ReadMessage(replies, problem)) messages.push_back(Json::parse(*body));
  return messages;
}

std::string Session(const std::string& initialize_and_open, const std::string& rest) {
  return Frame(Request(1, "initialize", {{"capabilities", Json::object()}})) +
         Frame({{"jsonrpc", "2.0"}, {"method", "initialized"}, {"params", Json::object()}}) + initialize_and_open + rest +
         Frame(Request(99, "shutdown", nullptr)) + Frame({{"jsonrpc", "2.0"}, {"method", "exit"}});
}

const Json* Reply(const std::vector<Json>& messages, int id) {
  for (const Json& message : messages)
    if (message.value("id", Json()) == id) return &message;
  return nullptr;
}

// Applies the one edit of `uri` in a WorkspaceEdit to `text` (lines at CR LF, LF or CR).
std::string Apply(const std::string& text, const Json& edit, const std::string& uri) {
  Document document(uri, "", text, 0);
  const Json& change = edit.at("changes").at(uri).at(0);
  const auto at = [&](const Json& p) { return document.Offset({p["line"], p["character"]}, true); };
  const std::size_t from = at(change["range"]["start"]), to = at(change["range"]["end"]);
  return text.substr(0, from) + change["newText"].get<std::string>() + text.substr(to);
}

// The sample with "Standard" as the stored default template.
struct Sample : testing::SampleProject {
  Sample() {
    platform::testing::WriteBytes(dir / "registry.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Nembus\\Gildex\\Options]\r\n"
                                                          "\"Default Template\"=\"Standard\"\r\n");
  }
  // What a fresh session's `command` makes of the files it changes, by name, as the command
  // line writes them: of a procedure, of lines of a component, or (nothing named) of the project.
  std::map<std::string, std::string> Run(Command command, const std::string& component, const std::string& procedure) {
    std::ostringstream said;
    platform::UnattendedDialogs dialogs(said);
    session::PlatformContext context(dialogs);
    session::Session session(context);
    session::TagWindow window;
    ConnectViews views;
    views.advanced_template = &window;
    if (!session.Open(Project(), false).empty() || !session.ConnectAddIn(ext_cm_CommandLine, false, {}, views).empty())
      return {{"", "did not run"}};
    static constexpr session::ScopeAction kScope[] = {session::ScopeAction::Insert, session::ScopeAction::Remove,
                                                      session::ScopeAction::Number, session::ScopeAction::UnNumber};
    if (command == Command::CommentBlock) {
      if (session.SelectProcedure(component, procedure).empty()) session.RunCommentBlock();
    } else if (command == Command::Tag || command == Command::Untag) {
      const std::vector<std::string> named = {procedure}, none;
      window.Ask({component, command == Command::Tag ? named : none, command == Command::Untag ? named : none});
      session.Connection().Tools().cmdAdvanced_Click();
    } else if (session.Select(kScope[static_cast<int>(command)], {component, procedure, {}, false}).empty()) {
      session.Run();
    }
    std::map<std::string, std::string> files;
    for (host::MemoryComponent* changed : session.Changed()) files[changed->File().filename().string()] = changed->Serialize();
    session.Disconnect();
    return files;
  }
};

TEST(LanguageServer, InsertActionEqualsTheSessionsInsertOfTheProcedure) {
  Sample sample;
  const struct {
    std::string file, component, procedure;
    bool fixes_a_hint;
    std::string typed;  // put at the end of the line below the declaration before the action
  } cases[] = {
      {"modGlobals.bas", "modGlobals", "FormatMoney", true, ""},
      {"modErrors.bas", "modErrors", "SafeCDate", false, ""},  // has its own handler
      // The line ends in "€": UTF-16 columns, and the typing encoded back to Windows-1252.
      {"modGlobals.bas", "modGlobals", "FormatMoney", true, " ' naïve\r\n    Beep"},
      {"clsCustomer.cls", "clsCustomer", "Validate", true, "\r\n"},
  };

  for (const auto& c : cases) {
    SCOPED_TRACE(c.procedure);
    const fs::path file = sample.dir / "Sample" / c.file;
    const std::string uri = UriOfPath(file);
    const std::string text = DecodeAnsi(platform::testing::ReadBytes(file));
    const std::size_t declaration = text.find(" " + c.procedure + "(");
    ASSERT_NE(declaration, std::string::npos);
    Document document(uri, file, text, 1);
    const Position at = document.PositionOf(declaration, true);
    const Json range = {{"start", {{"line", at.line}, {"character", 0}}}, {"end", {{"line", at.line}, {"character", 0}}}};
    const Json end = {{"line", at.line + 1}, {"character", ColumnOfByte(document.LineAt(at.line + 1), 99999, true)}};
    const Json change = {{"textDocument", {{"uri", uri}, {"version", 2}}},
                         {"contentChanges", {{{"range", {{"start", end}, {"end", end}}}, {"text", c.typed}}}}};
    document.Change({at.line + 1, end["character"]}, {at.line + 1, end["character"]}, c.typed, 2, true);
    const std::vector<Json> replies = Play(Session(
        Frame({{"jsonrpc", "2.0"},
               {"method", "textDocument/didOpen"},
               {"params", {{"textDocument", {{"uri", uri}, {"languageId", "vb"}, {"version", 1}, {"text", text}}}}}}) +
            (c.typed.empty() ? "" : Frame({{"jsonrpc", "2.0"}, {"method", "textDocument/didChange"}, {"params", change}})),
        Frame(Request(2, "textDocument/codeAction",
                      {{"textDocument", {{"uri", uri}}}, {"range", range}, {"context", {{"diagnostics", Json::array()}}}}))));
    bool hinted = false;
    for (const Json& message : replies)
      if (message.value("method", "") == "textDocument/publishDiagnostics")
        for (const Json& d : message["params"]["diagnostics"])
          hinted |= d["code"] == "gildex.no-handler" && d["severity"] == 4 && d["range"]["start"]["line"] == at.line;
    EXPECT_EQ(hinted, c.fixes_a_hint);
    const Json* actions = Reply(replies, 2);
    ASSERT_NE(actions, nullptr);
    const Json* insert = nullptr;
    for (const Json& action : actions->at("result"))
      if (action["title"] == "Insert error handling") insert = &action;
    ASSERT_NE(insert, nullptr) << actions->dump();
    ASSERT_TRUE(insert->contains("edit")) << insert->dump();
    const std::string edited = EncodeAnsi(Apply(document.Text(), insert->at("edit"), uri));
    // What the command line does with the typing saved.
    if (!c.typed.empty()) platform::testing::WriteBytes(file, document.Bytes());
    EXPECT_EQ(edited, sample.Run(Command::Insert, c.component, c.procedure)[c.file]);
  }
  EXPECT_EQ(sample.Changed(), (std::vector<std::string>{"clsCustomer.cls", "modGlobals.bas"}))
      << "the server wrote a file";
}

TEST(LanguageServer, BadMessagesGetErrorsAndTheServerReadsOn) {
  const struct {
    std::string name, input;
    int code;  // of the error answered; 0: none
  } cases[] = {
      {"no JSON", Raw("{oops"), -32700},
      {"no Content-Length", "X-Other: 1\r\n\r\n", -32700},
      {"no request", Raw("[1,2]"), -32600},
      {"unknown method", Frame(Request(7, "textDocument/rename", Json::object())), -32601},
      {"bad parameters", Frame(Request(7, "textDocument/hover", {{"textDocument", 3}})), -32602},
      {"unknown document", Frame(Request(7, "textDocument/documentSymbol", {{"textDocument", {{"uri", "file:///no/such.bas"}}}})), -32602},
      {"not a file URI", Frame({{"jsonrpc", "2.0"}, {"method", "textDocument/didOpen"}, {"params", {{"textDocument", {{"uri", "untitled:1"}, {"text", ""}}}}}}), 0},
      {"a response", Frame({{"jsonrpc", "2.0"}, {"id", 5}, {"result", nullptr}}), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    int exit_code = -1;
    const std::vector<Json> replies = Play(Session("", c.input), &exit_code);
    EXPECT_EQ(exit_code, 0) << "shut down and exited";
    ASSERT_EQ(replies.size(), c.code != 0 ? 3u : 2u);
    if (c.code != 0) {
      EXPECT_EQ(replies[1]["error"]["code"], c.code) << replies[1].dump();
    }
    ASSERT_NE(Reply(replies, 99), nullptr);
  }
  // Before initialize, and after shutdown, requests are refused; "exit" alone ends with 1.
  int exit_code = 0;
  const std::vector<Json> replies = Play(Frame(Request(3, "shutdown", nullptr)) + Frame({{"jsonrpc", "2.0"}, {"method", "exit"}}), &exit_code);
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0]["error"]["code"], -32002);
  EXPECT_EQ(exit_code, 1);
}

// Every action on every procedure of the sample, and the project's, resolved by one server
// (which undoes each command before the next) against a fresh session's command; an action
// numbering the lines of a whole procedure numbers as the procedure's own.
TEST(LanguageServer, EveryActionEqualsAFreshSessionsCommand) {
  Sample sample;
  std::ostringstream log;
  Server server(log);
  Json result;
  server.send = [&](const Json& message) { result = message.value("result", result); };
  const auto call = [&](const std::string& method, const Json& params) {
    server.Handle(Request(1, method, params).dump());
    return result;
  };
  call("initialize", {{"capabilities", {{"textDocument", {{"codeAction", {{"resolveSupport", {{"properties", {"edit"}}}}}}}}}}});
  const auto edited = [&](const Json& edit) {
    std::map<std::string, std::string> files;
    const Json changes = edit.value("changes", Json::object());
    for (const auto& [uri, _] : changes.items()) {
      const std::string name = PathOfUri(uri)->filename().string();
      files[name] = EncodeAnsi(Apply(DecodeAnsi(sample.original[name]), edit, uri));
    }
    return files;
  };
  int checked = 0;
  std::set<int> projects;  // the project's commands checked, on the first procedure
  for (const auto& [name, bytes] : sample.original) {
    const fs::path file = sample.dir / "Sample" / name;
    if (!std::set<std::string>{".bas", ".cls", ".frm", ".ctl"}.contains(file.extension().string())) continue;
    const Json document = {{"uri", UriOfPath(file)}};
    std::set<std::string> names;
    for (const Json& symbol : call("textDocument/documentSymbol", {{"textDocument", document}})) {
      std::map<int, Json> own;  // the procedure's edit of each command
      // A procedure's action names it: a Property Let is found as the Get before it.
      const bool named = names.insert(symbol["name"]).second;
      for (Json action : call("textDocument/codeAction", {{"textDocument", document}, {"range", symbol["range"]}})) {
        const int command = action["data"]["command"], scope = action["data"]["scope"];
        if (scope == 2 || (scope == 3 && !projects.insert(command).second)) continue;
        action = call("codeAction/resolve", action);
        SCOPED_TRACE(name + " " + symbol["name"].get<std::string>() + ": " + action["title"].get<std::string>());
        const Json edit = action.value("edit", Json::object());
        if (scope == 1) {
          // Numbering works on the lines alone (the insert numbers the selected lines, not the
          // handler it adds below; the removes work on more than the lines).
          if (named && command == static_cast<int>(Command::Number)) {
            EXPECT_EQ(edit, own[command]);
          }
          continue;
        }
        if (scope == 0) own[command] = edit;
        EXPECT_EQ(edited(edit), sample.Run(static_cast<Command>(command), scope == 0 ? file.stem().string() : "",
                                           scope == 0 ? EncodeAnsi(symbol["name"].get<std::string>()) : ""));
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 600);
  EXPECT_TRUE(sample.Changed().empty()) << "the server wrote a file";
}

// A project that does not load is an error on its file's line naming the module, until the
// missing member is back on disk and the server loads the project again.
TEST(LanguageServer, AProjectThatDoesNotLoadIsShownOnItsLine) {
  Sample sample;
  const fs::path about = sample.dir / "Sample" / "frmAbout.frm", away = sample.dir / "away.frm";
  const std::string uri = UriOfPath(sample.dir / "Sample" / "modGlobals.bas"), vbp = UriOfPath(sample.Project());
  std::ostringstream log;
  Server server(log);
  std::map<std::string, Json> published;
  server.send = [&](const Json& m) { published[m.value("/params/uri"_json_pointer, "")] = m.value("/params/diagnostics"_json_pointer, Json()); };
  server.Handle(Request(1, "initialize", Json::object()).dump());
  const Json open = {{"textDocument", {{"uri", uri}, {"text", DecodeAnsi(sample.original["modGlobals.bas"])}}}};
  fs::rename(about, away);
  for (const bool missing : {true, false}) {
    server.Handle(Json({{"jsonrpc", "2.0"}, {"method", "textDocument/didOpen"}, {"params", open}}).dump());
    server.PublishDiagnostics();
    EXPECT_EQ(published[vbp].size(), missing ? 1u : 0u) << published[vbp].dump();
    EXPECT_EQ(published[uri][0]["code"], missing ? "gildex.load" : "gildex.no-handler");
    if (!missing) break;
    EXPECT_EQ(published[vbp][0]["range"]["start"]["line"], 4) << "Module=modGlobals; modGlobals.bas";
    fs::rename(away, about);
  }
}

// The same through a client on VS Code's protocol library, talking to the program.
TEST(LanguageServer, NodeClientAppliesTheSameEdit) {
  const fs::path modules = GILDEX_NODE_MODULES;
  if (std::system("node --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "node is not installed";
  if (!fs::exists(modules / "vscode-languageserver-protocol"))
    GTEST_SKIP() << "no vscode-languageserver-protocol: npm install --prefix " << modules.parent_path()
                 << " vscode-languageserver-protocol";
  if (!fs::exists(GILDEX_PROGRAM)) GTEST_SKIP() << GILDEX_PROGRAM << " is not built";
  Sample sample;
  const fs::path out = sample.dir / "edited.bas";
  const std::string command = "NODE_PATH='" + modules.string() + "' node '" GILDEX_SOURCE_DIR
                              "/lsp/clients/insert_client.js' '" GILDEX_PROGRAM "' '" +
                              (sample.dir / "Sample" / "modGlobals.bas").string() + "' FormatMoney '" + out.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_EQ(platform::testing::ReadBytes(out), sample.Run(Command::Insert, "modGlobals", "FormatMoney")["modGlobals.bas"]);
  EXPECT_TRUE(sample.Changed().empty()) << "the server wrote a file";
}

// And through Neovim's built-in client with the configuration of editors/nvim.
TEST(LanguageServer, NeovimAppliesTheSameEdit) {
  if (std::system("nvim --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "nvim is not installed";
  if (!fs::exists(GILDEX_PROGRAM)) GTEST_SKIP() << GILDEX_PROGRAM << " is not built";
  Sample sample;
  const fs::path out = sample.dir / "edited.bas";
  const std::string command = "PATH='" + fs::path(GILDEX_PROGRAM).parent_path().string() +
                              "':\"$PATH\" GILDEX_PROCEDURE=FormatMoney GILDEX_OUT='" + out.string() +
                              "' nvim --headless -u NONE -i NONE --cmd 'luafile " GILDEX_SOURCE_DIR
                              "/editors/nvim/gildex.lua' -c 'luafile " GILDEX_SOURCE_DIR "/lsp/clients/nvim_client.lua' '" +
                              (sample.dir / "Sample" / "modGlobals.bas").string() + "' < /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_EQ(platform::testing::ReadBytes(out), sample.Run(Command::Insert, "modGlobals", "FormatMoney")["modGlobals.bas"]);
  EXPECT_TRUE(sample.Changed().empty()) << "the server wrote a file";
}

}  // namespace
}  // namespace gildex::lsp
