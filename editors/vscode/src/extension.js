// The client of the extension: it starts scenario-lsp, the one it carries for this system or
// the one the setting scenarioCompactor.server.path names, and hands it every description
// and the scenario.json beside them.
'use strict';
const fs = require('fs');
const path = require('path');
const vscode = require('vscode');
const { LanguageClient, TransportKind } = require('vscode-languageclient/node');

let client;

// The server this extension carries for the system it runs on, or undefined.
function carriedServer(context) {
  const carried = {
    'linux-x64': 'server/linux-x64/scenario-lsp',
    'win32-x64': 'server/win32-x64/scenario-lsp.exe',
  }[`${process.platform}-${process.arch}`];
  if (!carried) return undefined;
  const file = context.asAbsolutePath(carried);
  // A file unpacked without its mode cannot be run: give it back the bits it was packed with.
  if (process.platform !== 'win32') {
    try {
      fs.accessSync(file, fs.constants.X_OK);
    } catch {
      fs.chmodSync(file, 0o755);
    }
  }
  return file;
}

async function activate(context) {
  const configured = vscode.workspace.getConfiguration('scenarioCompactor').get('server.path');
  const command = configured || carriedServer(context);
  if (!command) {
    vscode.window.showErrorMessage(
      `Scenario Compactor carries no scenario-lsp for ${process.platform}-${process.arch}: ` +
        'set scenarioCompactor.server.path to one.');
    return;
  }
  const serverOptions = { command: path.normalize(command), args: ['--stdio'], transport: TransportKind.stdio };
  const clientOptions = {
    documentSelector: [
      { language: 'scenario-line' },
      { language: 'scenario-train' },
      { language: 'scenario-description' },
      // The pack's manifest: its names, encoding and accepted warnings, as the editor holds them.
      { scheme: 'file', pattern: '**/scenario.json' },
    ],
  };
  client = new LanguageClient('scenarioCompactor', 'Scenario Compactor', serverOptions, clientOptions);
  context.subscriptions.push(
    vscode.workspace.onDidChangeConfiguration((e) => {
      if (e.affectsConfiguration('scenarioCompactor.server.path'))
        vscode.window.showInformationMessage('Scenario Compactor: reload the window to start the other server.');
    }));
  await client.start();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
