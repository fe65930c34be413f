// The language server's features in the editor: hover, completion, go to
// definition (F12, Ctrl-click), references (Shift-F12), the outline,
// folding, quick fixes (Ctrl-.) and rename (F2, where the server offers it).
// Each is asked of the server; nothing here knows the language.
import { autocompletion } from '@codemirror/autocomplete';
import { foldService } from '@codemirror/language';
import { EditorView, hoverTooltip, keymap } from '@codemirror/view';
import { applyEdit, codeActions } from './diagnostics.js';
import { renderMarkdown } from './markdown.js';
import { nameOf, rangeOf, toOffset, toPosition, uriOf } from './positions.js';

const completionTypes = { 2: 'method', 3: 'function', 5: 'property', 6: 'variable', 7: 'class', 12: 'constant', 14: 'keyword', 15: 'text', 17: 'namespace', 21: 'constant' };

const markup = (contents) => (typeof contents === 'string' ? contents : Array.isArray(contents) ? contents.map(markup).join('\n\n') : contents?.value || '');

// ctx: {client, workspace, references (element), showPanel(name), say(text)}.
export function lspFeatures(ctx) {
  const { client, workspace } = ctx;
  const here = (view, offset) => ({
    textDocument: { uri: uriOf(workspace.active.name) },
    position: toPosition(view.state.doc, offset),
  });
  const caps = () => client.capabilities;

  const hover = hoverTooltip(async (view, pos) => {
    if (!caps().hoverProvider || !workspace.active) return null;
    const result = await client.request('textDocument/hover', here(view, pos)).catch(() => null);
    const text = result && markup(result.contents);
    if (!text) return null;
    const range = result.range ? rangeOf(view.state.doc, result.range) : { from: pos, to: pos };
    return { pos: range.from, end: range.to, above: true, create: () => ({ dom: renderMarkdown(text) }) };
  });

  const triggers = () => caps().completionProvider?.triggerCharacters || [];
  const completion = autocompletion({
    override: [
      async (context) => {
        if (!caps().completionProvider || !workspace.active) return null;
        const before = context.state.sliceDoc(context.pos - 1, context.pos);
        if (!context.explicit && !/\w/.test(before) && !triggers().includes(before)) return null;
        const result = await client.request('textDocument/completion', here(context, context.pos)).catch(() => null);
        const items = Array.isArray(result) ? result : result?.items || [];
        if (items.length === 0 || context.aborted) return null;
        const edit = items.find((i) => i.textEdit)?.textEdit;
        const from = edit ? toOffset(context.state.doc, (edit.range || edit.replace).start) : context.pos;
        return {
          from,
          options: items.map((item, rank) => ({
            label: item.label,
            detail: item.detail,
            type: completionTypes[item.kind],
            apply: item.textEdit?.newText ?? item.insertText ?? item.label,
            boost: Math.max(-99, 99 - rank),
            info: item.documentation ? () => renderMarkdown(markup(item.documentation)) : undefined,
          })),
        };
      },
    ],
  });

  const goto = (location) => {
    const uri = location.uri || location.targetUri;
    const range = location.range || location.targetSelectionRange;
    const file = workspace.file(nameOf(uri));
    if (!file || !range) return;
    const { from, to } = rangeOf(file.state.doc, range);
    workspace.goto(file.name, from, to);
  };

  const definition = async (view, offset) => {
    if (!caps().definitionProvider || !workspace.active) return false;
    const result = await client.request('textDocument/definition', here(view, offset)).catch(() => null);
    const locations = Array.isArray(result) ? result : result ? [result] : [];
    if (locations.length > 1) listLocations(ctx, 'Definitions', locations, goto);
    if (locations.length > 0) goto(locations[0]);
    return true;
  };

  const references = async (view) => {
    if (!caps().referencesProvider || !workspace.active) return false;
    const params = { ...here(view, view.state.selection.main.head), context: { includeDeclaration: true } };
    const result = await client.request('textDocument/references', params).catch(() => null);
    listLocations(ctx, 'References', result || [], goto);
    return true;
  };

  // Rename (and renumber, where the server offers it on a number): the
  // server says what can be renamed and how it reads now.
  const rename = async (view) => {
    const provider = caps().renameProvider;
    if (!provider || !workspace.active) return false;
    const at = here(view, view.state.selection.main.head);
    let current = '';
    if (provider.prepareProvider) {
      const prepared = await client.request('textDocument/prepareRename', at).catch((e) => (ctx.say(e.message), undefined));
      if (prepared === undefined) return true;
      if (!prepared) return ctx.say('There is nothing to rename here.'), true;
      const range = prepared.range || (prepared.start ? prepared : null);
      current = prepared.placeholder ?? (range ? view.state.sliceDoc(rangeOf(view.state.doc, range).from, rangeOf(view.state.doc, range).to) : '');
    }
    const name = prompt('Rename to', current);
    if (!name || name === current) return true;
    const edit = await client.request('textDocument/rename', { ...at, newName: name }).catch((e) => ctx.say(e.message));
    if (edit) applyEdit(workspace, edit);
    return true;
  };

  const folds = foldService.of((state, lineStart) => {
    const file = workspace.files.find((f) => f.state === state) || workspace.active;
    const line = state.doc.lineAt(lineStart).number - 1;
    const range = file?.folds?.find((r) => r.startLine === line && r.endLine > line);
    if (!range || range.endLine >= state.doc.lines) return null;
    return { from: state.doc.line(line + 1).to, to: state.doc.line(range.endLine + 1).to };
  });

  return [
    hover,
    completion,
    folds,
    keymap.of([
      { key: 'F12', run: (view) => (definition(view, view.state.selection.main.head), true) },
      { key: 'Shift-F12', run: (view) => (references(view), true) },
      { key: 'Mod-.', run: () => (codeActions(workspace, client), true) },
      { key: 'F2', run: (view) => (rename(view), true) },
    ]),
    EditorView.domEventHandlers({
      mousedown: (event, view) => {
        if (!(event.ctrlKey || event.metaKey)) return false;
        const offset = view.posAtCoords({ x: event.clientX, y: event.clientY });
        if (offset === null) return false;
        definition(view, offset);
        return true;
      },
    }),
  ];
}

// After the server compiled a file: its folding ranges, kept for foldService.
export async function refreshFolds(client, file) {
  if (!client.capabilities.foldingRangeProvider) return;
  const ranges = await client.request('textDocument/foldingRange', { textDocument: { uri: uriOf(file.name) } }).catch(() => null);
  file.folds = ranges || [];
}

function listLocations(ctx, title, locations, goto) {
  const list = document.createElement('ul');
  list.className = 'locations';
  for (const location of locations) {
    const file = ctx.workspace.file(nameOf(location.uri || location.targetUri));
    const range = location.range || location.targetSelectionRange;
    const item = document.createElement('li');
    const line = file ? file.state.doc.line(Math.min(range.start.line + 1, file.state.doc.lines)).text.trim() : '';
    item.textContent = `${file ? file.name : location.uri}:${range.start.line + 1}  ${line}`;
    item.onclick = () => goto(location);
    list.append(item);
  }
  ctx.references.replaceChildren(Object.assign(document.createElement('h3'), { textContent: `${title} (${locations.length})` }), list);
  ctx.showPanel('references');
}

// The outline of a file: its symbols as a tree; a click goes there.
export async function showOutline(ctx, file, element) {
  if (!ctx.client.capabilities.documentSymbolProvider || !file) return;
  const symbols = await ctx.client.request('textDocument/documentSymbol', { textDocument: { uri: uriOf(file.name) } }).catch(() => null);
  const tree = (items) => {
    const list = document.createElement('ul');
    for (const s of items || []) {
      const item = document.createElement('li');
      const label = document.createElement('span');
      label.textContent = s.name + (s.detail ? '  ' + s.detail : '');
      label.onclick = () => {
        const range = s.selectionRange || s.range || s.location?.range;
        const { from, to } = rangeOf(file.state.doc, range);
        ctx.workspace.goto(file.name, from, to);
      };
      item.append(label);
      if (s.children?.length) item.append(tree(s.children));
      list.append(item);
    }
    return list;
  };
  element.replaceChildren(tree(symbols));
}
