// The playground: the adventure's files in tabs, the language server as
// you type, Build, the map, and everything kept in the browser's storage.
import { BuildPanel, adventureOf } from './build-panel.js';
import { editorExtensions } from './editor.js';
import { Engine } from './engine.js';
import { example } from './example.js';
import { FilesUi } from './files-ui.js';
import { LspClient } from './lsp/client.js';
import { lspDecorations, refreshDecorations } from './lsp/decorations.js';
import { showDiagnostics } from './lsp/diagnostics.js';
import { lspFeatures, refreshFolds, showOutline } from './lsp/features.js';
import { contentChanges, uriOf } from './lsp/positions.js';
import { MapPanel } from './map-panel.js';
import { filesOfFragment, linkFor } from './share.js';
import { forgetFile, keepFile, keepOrder, loadKept } from './store.js';
import { Workspace } from './workspace.js';

const $ = (id) => document.getElementById(id);
const say = (text) => ($('message').textContent = text || '');
const isSource = (name) => /\.sce$/i.test(name);

// The worker first: it loads while the editor is made.
const engine = new Engine();
const client = new LspClient(engine);
const initialized = client.initialize({
  general: { positionEncodings: ['utf-16'] },
  workspace: { workspaceEdit: { documentChanges: true } },
  textDocument: {
    hover: { contentFormat: ['markdown', 'plaintext'] },
    completion: { completionItem: { documentationFormat: ['markdown'] } },
    publishDiagnostics: { versionSupport: true },
    documentSymbol: { hierarchicalDocumentSymbolSupport: true },
    inlayHint: {},
    semanticTokens: { requests: { full: true }, tokenTypes: [], tokenModifiers: [], formats: ['relative'] },
    rename: { prepareSupport: true },
    codeAction: {
      codeActionLiteralSupport: { codeActionKind: { valueSet: ['quickfix', 'refactor', 'refactor.rewrite'] } },
      resolveSupport: { properties: ['edit'] },
    },
  },
});
const ctx = { client, references: $('references'), showPanel, say };
// Keystroke to diagnostics, for the benchmark: [milliseconds, ...].
const timings = (window.zelTimings = []);
let changedAt = null;

function serve(kind, file, extra) {
  if (!isSource(file.name)) return;
  if (kind === 'open') {
    client.open(uriOf(file.name), ctx.workspace.text(file));
  } else if (kind === 'close') {
    client.close(uriOf(file.name));
  } else if (kind === 'change') {
    changedAt ??= performance.now();
    // After a lone carriage return the server counts a line that the editor
    // does not: such a text goes whole.
    const ranges = client.incremental() && !/\r(?!\n)/.test(extra.before.toString());
    const changes = ranges ? contentChanges(extra.before, extra.changes) : [{ text: ctx.workspace.text(file) }];
    client.change(uriOf(file.name), changes);
  } else if (kind === 'rename') {
    client.close(uriOf(extra));
    serve('open', file);
  }
}

function onFiles(kind, file, extra) {
  const ws = ctx.workspace;
  if (kind === 'close-asked') return filesUi.close(file);
  if (kind === 'rename-asked') return filesUi.rename(file);
  if (kind === 'open' || kind === 'change' || kind === 'rename') {
    if (!keepFile(file.name, ws.text(file))) say('The browser refused to keep this file: save it to disk.');
  }
  if (kind === 'close') forgetFile(file.name);
  if (kind === 'rename') forgetFile(extra);
  if (kind !== 'change') keepOrder(ws.files.map((f) => f.name), ws.active?.name);
  if (kind === 'activate' && ws.ready) refreshViews(file);
  if (ws.ready) serve(kind, file, extra);
}

ctx.workspace = new Workspace($('editor'), $('tabs'), () => editorExtensions([lspFeatures(ctx), lspDecorations]), onFiles);
const workspace = ctx.workspace;
const filesUi = new FilesUi(engine, workspace, say);
const findAdventure = () => adventureOf(engine, workspace);
const build = new BuildPanel(engine, workspace, {
  button: $('build'),
  switches: { N: $('switch-n'), C: $('switch-c'), T: $('switch-t') },
  command: $('command'),
  console: $('console'),
  files: $('outputs'),
  stats: $('stats'),
});
const map = new MapPanel(engine, workspace, $('map'), $('map-objects'), findAdventure);

// The folds and the outline of the file shown, after the server compiled it
// (the outline a little later, as typing goes on).
let outlineTimer = 0, decorationTimer = 0;
function refreshViews(file) {
  refreshFolds(client, file);
  clearTimeout(outlineTimer);
  clearTimeout(decorationTimer);
  decorationTimer = setTimeout(() => refreshDecorations(client, workspace, file), 120);
  if (!$('outline').closest('[data-panel]').hidden) outlineTimer = setTimeout(() => showOutline(ctx, file, $('outline')), 300);
}

function showPanel(name) {
  for (const panel of document.querySelectorAll('[data-panel]')) panel.hidden = panel.dataset.panel !== name;
  for (const button of document.querySelectorAll('[data-show]')) button.classList.toggle('active', button.dataset.show === name);
  if (name === 'map') map.show();
  else map.hide();
  if (name === 'outline') showOutline(ctx, workspace.active, $('outline'));
}

client.on('textDocument/publishDiagnostics', (params) =>
  showDiagnostics(workspace, client, params, (file) => {
    if (!performance.getEntriesByName('zel-diagnostics').length) performance.mark('zel-diagnostics');
    if (changedAt !== null && file === workspace.active) {
      timings.push(performance.now() - changedAt);
      changedAt = null;
      dispatchEvent(new Event('zel-timing'));
    }
    if (file === workspace.active) refreshViews(file);
    map.changed(workspace.files.some((f) => (f.lspDiagnostics || []).some((d) => d.severity === 1)));
  }),
);

// The files of a shared link, beside those open: asking before any file
// would lose its text.
function openShared(shared) {
  const clash = shared.filter((s) => workspace.file(s.name) && workspace.text(workspace.file(s.name)) !== s.text).map((s) => s.name);
  const replace = clash.length === 0 ||
    confirm(`The link holds ${clash.join(', ')}, which you have already with other text. Replace yours with the link's?`);
  for (const s of shared) if (replace || !clash.includes(s.name)) workspace.add(s.name, s.text, false);
  if (!replace) say(`Kept your ${clash.join(', ')}; the link's other files are open.`);
  workspace.activate(shared.find((s) => replace || !clash.includes(s.name))?.name);
}

async function sharedFiles() {
  const shared = await filesOfFragment(location.hash);
  if (shared) history.replaceState(null, '', location.pathname + location.search);
  return shared;
}

// The files to start with: those kept, else those of a shared link, else
// the example.
const kept = loadKept();
const shared = await sharedFiles();
const fresh = !kept?.files.length;
const files = fresh ? shared || example.map(([name, text]) => ({ name, text })) : kept.files;
for (const f of files) workspace.add(f.name, f.text, false);
workspace.activate(fresh ? files[0]?.name : kept.active && workspace.file(kept.active) ? kept.active : files[0]?.name);
if (!fresh && shared) openShared(shared);
window.addEventListener('hashchange', async () => {
  const more = await sharedFiles();
  if (more) openShared(more);
});
performance.mark('zel-editor');

await initialized;
workspace.ready = true;
for (const f of workspace.files) serve('open', f);

$('new').onclick = () => filesUi.newFile();
$('open').onclick = () => filesUi.open();
$('save').onclick = () => filesUi.save();
$('share').onclick = async () => {
  const link = await linkFor(workspace.files.map((f) => ({ name: f.name, text: workspace.text(f) })), location.href);
  $('link').value = link;
  $('link').hidden = false;
  $('link').select();
  navigator.clipboard?.writeText(link).then(() => say('The link is copied.'), () => say('Copy the link from the field.'));
};
for (const button of document.querySelectorAll('[data-show]')) button.onclick = () => showPanel(button.dataset.show);
filesUi.acceptDrops(document.body);
window.zel = { workspace, client, engine, build, map };
