// Starts `gildex lsp --stdio` for the VB6 files of the workspace.
const vscode = require('vscode');
const { LanguageClient, TransportKind } = require('vscode-languageclient/node');

let client;

function activate(context) {
  const command = vscode.workspace.getConfiguration('gildex').get('path') || 'gildex';
  client = new LanguageClient(
    'gildex',
    'Gildex',
    { command, args: ['lsp', '--stdio'], transport: TransportKind.stdio },
    { documentSelector: [{ scheme: 'file', pattern: '**/*.{bas,cls,frm,ctl}' }] }
  );
  context.subscriptions.push({ dispose: () => client && client.stop() });
  return client.start();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
