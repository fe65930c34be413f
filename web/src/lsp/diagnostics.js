// Diagnostics as the server publishes them, underlined in each file; code
// actions for the place under the cursor (Ctrl-.); and the edits of the
// protocol applied to the files they name.
import { setDiagnostics } from '@codemirror/lint';
import { nameOf, rangeOf, toPosition, uriOf } from './positions.js';

const severities = { 1: 'error', 2: 'warning', 3: 'info', 4: 'hint' };

function toLint(doc, d) {
  let { from, to } = rangeOf(doc, d.range);
  if (from === to) to = Math.min(from + 1, doc.lineAt(from).to);  // something to underline
  if (from === to && from > 0) from -= 1;
  const code = d.code !== undefined ? ` [${d.source || ''} ${d.code}]` : '';
  const notes = (d.relatedInformation || []).map((r) => '\n' + r.message).join('');
  return { from, to, severity: severities[d.severity] || 'error', message: d.message + code + notes, source: d.source };
}

export function showDiagnostics(workspace, client, params, onShown) {
  const file = workspace.file(nameOf(params.uri));
  if (!file || (params.version !== undefined && params.version !== client.version(params.uri))) return;
  file.lspDiagnostics = params.diagnostics;
  const doc = file.state.doc;
  workspace.update(file, setDiagnostics(file.state, params.diagnostics.map((d) => toLint(doc, d))));
  onShown(file);
}

// A WorkspaceEdit: {changes: {uri: TextEdit[]}} or {documentChanges: [...]}.
export function applyEdit(workspace, edit) {
  const byUri = { ...(edit.changes || {}) };
  for (const change of edit.documentChanges || [])
    if (change.textDocument) byUri[change.textDocument.uri] = change.edits;
  for (const [uri, edits] of Object.entries(byUri)) {
    const file = workspace.file(nameOf(uri));
    if (!file) continue;
    const doc = file.state.doc;
    const changes = edits.map((e) => ({ ...rangeOf(doc, e.range), insert: e.newText }));
    workspace.update(file, { changes });
  }
}

function menu(view, actions, choose) {
  document.querySelector('.action-menu')?.remove();
  const at = view.coordsAtPos(view.state.selection.main.head) || { left: 0, bottom: 0 };
  const list = document.createElement('ul');
  list.className = 'action-menu';
  list.style.left = at.left + 'px';
  list.style.top = at.bottom + 'px';
  if (actions.length === 0) list.append(Object.assign(document.createElement('li'), { textContent: 'No fix here' }));
  for (const action of actions) {
    const item = document.createElement('li');
    item.textContent = action.title;
    item.onclick = () => {
      list.remove();
      choose(action);
    };
    list.append(item);
  }
  document.body.append(list);
  setTimeout(() => document.addEventListener('click', () => list.remove(), { once: true }), 0);
}

export async function codeActions(workspace, client) {
  const file = workspace.active;
  const view = workspace.view;
  if (!file) return false;
  const { from, to } = view.state.selection.main;
  const doc = view.state.doc;
  const range = { start: toPosition(doc, from), end: toPosition(doc, to) };
  const line = (p) => p.line;
  const diagnostics = (file.lspDiagnostics || []).filter(
    (d) => line(d.range.start) <= range.end.line && line(d.range.end) >= range.start.line,
  );
  const actions = await client.request('textDocument/codeAction', {
    textDocument: { uri: uriOf(file.name) },
    range,
    context: { diagnostics },
  });
  menu(view, actions || [], async (action) => {
    // An action without its edit gets it from the server when chosen.
    const chosen = !action.edit && client.capabilities.codeActionProvider?.resolveProvider
      ? await client.request('codeAction/resolve', action).catch(() => action)
      : action;
    if (chosen.edit) applyEdit(workspace, chosen.edit);
    if (chosen.command) client.request('workspace/executeCommand', chosen.command);
  });
  return true;
}
