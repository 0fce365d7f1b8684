#include "lsp/server.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "lsp/protocol.h"
#include "session/sample_project_test.h"

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
    std::ostringstream said;
    platform::UnattendedDialogs dialogs(said);
    session::PlatformContext context(dialogs);
    context.Engine().DefaultTemplate("Standard");
    context.Engine().SaveSettings();
  }
  // What the session's insert of `procedure` makes of its file, as the command line writes it.
  std::string Insert(const std::string& component, const std::string& procedure) {
    std::ostringstream said;
    platform::UnattendedDialogs dialogs(said);
    session::PlatformContext context(dialogs);
    session::Session session(context);
    if (!session.Open(Project(), false).empty() || !session.ConnectAddIn(ext_cm_CommandLine, false, {}).empty() ||
        !session.Select(session::ScopeAction::Insert, {component, procedure, {}, false}).empty())
      return "did not run";
    session.Run();
    const std::string bytes = session.Changed().size() == 1 ? session.Changed()[0]->Serialize() : "changed no file";
    session.Disconnect();
    return bytes;
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
    EXPECT_EQ(edited, sample.Insert(c.component, c.procedure));
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
  EXPECT_EQ(platform::testing::ReadBytes(out), sample.Insert("modGlobals", "FormatMoney"));
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
  EXPECT_EQ(platform::testing::ReadBytes(out), sample.Insert("modGlobals", "FormatMoney"));
  EXPECT_TRUE(sample.Changed().empty()) << "the server wrote a file";
}

}  // namespace
}  // namespace gildex::lsp
