// The ZEL extension: runs zeltool's language server for the open sources and
// provides the tasks "zel: build" and "zel: check", whose output the $zel and
// $zel-file problem matchers turn into entries of the Problems panel.
'use strict';
const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');

const TASK_TYPE = 'zel';
const TASK_COMMANDS = ['build', 'check'];
const PROBLEM_MATCHERS = ['$zel', '$zel-file'];

let client;

function zeltoolPath() {
  return vscode.workspace.getConfiguration('zel').get('zeltool.path') || 'zeltool';
}

// The client is named 'zel', so the setting zel.trace.server sets its tracing.
async function startServer() {
  const command = zeltoolPath();
  client = new LanguageClient('zel', 'ZEL language server',
    { command, args: ['lsp'] },
    {
      documentSelector: [{ scheme: 'file', language: 'zel' }],
      // The server reads inlayHints.width from these, and again from every
      // change of the section "zel".
      initializationOptions: { inlayHints: { width: vscode.workspace.getConfiguration('zel').get('inlayHints.width') } },
      synchronize: { configurationSection: 'zel' },
    });
  try {
    await client.start();
  } catch (error) {
    client = undefined;
    vscode.window.showErrorMessage(`Cannot start the ZEL language server "${command} lsp": ${error.message}. ` +
      'Set zel.zeltool.path to the zeltool executable.');
  }
}

async function stopServer() {
  const running = client;
  client = undefined;
  if (running) {
    await running.stop().catch(() => undefined);  // a server that died needs no stopping
  }
}

async function restartServer() {
  await stopServer();
  await startServer();
}

// The adventure a task compiles: the task's own, else the folder's setting,
// else the file being edited (its path without the extension).
function adventureOf(definition, folder) {
  if (definition.adventure) {
    return definition.adventure;
  }
  const setting = vscode.workspace.getConfiguration('zel', folder.uri).get('adventure');
  return setting || '${fileDirname}/${fileBasenameNoExtension}';
}

// Tasks run in the workspace folder, the directory the problem matchers
// resolve relative file names against.
function makeTask(definition, folder) {
  const args = [definition.command, adventureOf(definition, folder), ...(definition.switches || [])];
  const execution = new vscode.ProcessExecution(zeltoolPath(), args, { cwd: folder.uri.fsPath });
  const task = new vscode.Task(definition, folder, definition.command, TASK_TYPE, execution, PROBLEM_MATCHERS);
  if (definition.command === 'build') {
    task.group = vscode.TaskGroup.Build;
  }
  return task;
}

const taskProvider = {
  provideTasks() {
    const folders = vscode.workspace.workspaceFolders || [];
    return folders.flatMap(folder => TASK_COMMANDS.map(command => makeTask({ type: TASK_TYPE, command }, folder)));
  },
  // A zel task written in tasks.json gets its command line here.
  resolveTask(task) {
    const folders = vscode.workspace.workspaceFolders || [];
    const folder = typeof task.scope === 'object' ? task.scope : folders[0];
    if (!folder || !TASK_COMMANDS.includes(task.definition.command)) {
      return undefined;
    }
    return makeTask(task.definition, folder);
  },
};

async function activate(context) {
  context.subscriptions.push(
    vscode.commands.registerCommand('zel.restartServer', restartServer),
    vscode.tasks.registerTaskProvider(TASK_TYPE, taskProvider),
    vscode.workspace.onDidChangeConfiguration(event => {
      if (event.affectsConfiguration('zel.zeltool.path')) {
        restartServer();
      }
    }));
  await startServer();
}

function deactivate() {
  return stopServer();
}

module.exports = { activate, deactivate };
