// A client on the protocol library VS Code's own client is built on: starts SERVER (`gildex lsp
// --stdio`), opens FILE, waits for the gildex.no-handler hint on PROCEDURE's declaration, asks
// for the code actions there, applies "Insert error handling" and writes the text to OUT in
// Windows-1252.   node insert_client.js SERVER FILE PROCEDURE OUT
const { spawn } = require('child_process');
const fs = require('fs');
const url = require('url');
const rpc = require('vscode-languageserver-protocol/node');

const [server, file, procedure, out] = process.argv.slice(2);
// Windows-1252 (Node's TextDecoder takes the name for ISO-8859-1).
const high = '\u20AC\u0081\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152\u008D\u017D\u008F' +
             '\u0090\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\u009D\u017E\u0178';
const character = (b) => (b >= 0x80 && b < 0xA0 ? high[b - 0x80] : String.fromCharCode(b));
const encoding = new Map();
for (let b = 0; b < 256; ++b) encoding.set(character(b), b);
const decode = (bytes) => Array.from(bytes, character).join('');

async function main() {
  const child = spawn(server, ['lsp', '--stdio'], { stdio: ['pipe', 'pipe', 'inherit'] });
  const connection = rpc.createProtocolConnection(new rpc.StreamMessageReader(child.stdout),
                                                  new rpc.StreamMessageWriter(child.stdin));
  const uri = url.pathToFileURL(file).href;
  const text = decode(fs.readFileSync(file));
  const lines = text.split(/\r\n|\r|\n/);
  const line = lines.findIndex((l) => l.includes(' ' + procedure + '('));
  const hinted = new Promise((resolve) => connection.onNotification(rpc.PublishDiagnosticsNotification.type, (p) => {
    const hint = p.diagnostics.find((d) => d.code === 'gildex.no-handler' && d.range.start.line === line);
    if (hint) resolve(hint);
  }));
  connection.listen();
  await connection.sendRequest(rpc.InitializeRequest.type, { processId: process.pid, rootUri: null, capabilities: {} });
  connection.sendNotification(rpc.InitializedNotification.type, {});
  connection.sendNotification(rpc.DidOpenTextDocumentNotification.type,
                              { textDocument: { uri, languageId: 'vb', version: 1, text } });
  const hint = await hinted;
  const actions = await connection.sendRequest(rpc.CodeActionRequest.type,
      { textDocument: { uri }, range: hint.range, context: { diagnostics: [hint] } });
  const insert = actions.find((a) => a.title === 'Insert error handling');
  const starts = [0];
  for (const m of text.matchAll(/\r\n|\r|\n/g)) starts.push(m.index + m[0].length);
  const offset = (p) => starts[p.line] + p.character;
  let edited = text;
  for (const e of insert.edit.changes[uri].sort((a, b) => offset(b.range.start) - offset(a.range.start)))
    edited = edited.slice(0, offset(e.range.start)) + e.newText + edited.slice(offset(e.range.end));
  fs.writeFileSync(out, Buffer.from(Array.from(edited, (c) => encoding.get(c) ?? 0x3f)));
  await connection.sendRequest(rpc.ShutdownRequest.type);
  connection.sendNotification(rpc.ExitNotification.type);
  connection.dispose();
}

main().catch((e) => { console.error(e); process.exit(1); });
