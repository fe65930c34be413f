// What the server says about the text itself, drawn over it: semantic
// tokens (the colours of the words, numbers and texts) and inlay hints
// (what a number names, after it). Asked again after each compilation of
// the file shown, a moment after the typing stops.
import { StateEffect, StateField } from '@codemirror/state';
import { Decoration, EditorView, WidgetType } from '@codemirror/view';
import { toOffset, toPosition, uriOf } from './positions.js';

const field = (effect) =>
  StateField.define({
    create: () => Decoration.none,
    update: (set, tr) => tr.effects.reduce((s, e) => (e.is(effect) ? e.value : s), set.map(tr.changes)),
    provide: (f) => EditorView.decorations.from(f),
  });
const setTokens = StateEffect.define(), setHints = StateEffect.define();
export const lspDecorations = [field(setTokens), field(setHints)];

class Hint extends WidgetType {
  constructor(text, left, right) {
    super();
    Object.assign(this, { text, left, right });
  }
  eq(other) {
    return other.text === this.text;
  }
  toDOM() {
    const span = document.createElement('span');
    span.className = 'cm-inlay-hint';
    span.textContent = (this.left ? ' ' : '') + this.text + (this.right ? ' ' : '');
    return span;
  }
}

// The protocol's relative encoding: five numbers a token.
function tokenMarks(doc, data, legend) {
  const marks = [];
  for (let i = 0, line = 0, start = 0; i + 4 < data.length; i += 5) {
    line += data[i];
    start = data[i] ? data[i + 1] : start + data[i + 1];
    const from = toOffset(doc, { line, character: start });
    const to = Math.min(from + data[i + 2], doc.lineAt(from).to);
    const modifiers = (legend.tokenModifiers || []).filter((m, bit) => data[i + 4] & (1 << bit));
    const classes = ['tok-' + legend.tokenTypes[data[i + 3]], ...modifiers.map((m) => 'tok-' + m)].join(' ');
    if (to > from) marks.push(Decoration.mark({ class: classes }).range(from, to));
  }
  return Decoration.set(marks, true);
}

function hintWidgets(doc, hints) {
  const text = (label) => (typeof label === 'string' ? label : label.map((part) => part.value).join(''));
  return Decoration.set(
    hints.map((h) => Decoration.widget({ widget: new Hint(text(h.label), h.paddingLeft, h.paddingRight), side: 1 }).range(toOffset(doc, h.position))),
    true,
  );
}

export async function refreshDecorations(client, workspace, file) {
  const doc = file.state.doc, caps = client.capabilities, textDocument = { uri: uriOf(file.name) };
  const ask = (method, params) => client.request(method, { textDocument, ...params }).catch(() => null);
  const [tokens, hints] = await Promise.all([
    caps.semanticTokensProvider?.full ? ask('textDocument/semanticTokens/full', {}) : null,
    caps.inlayHintProvider ? ask('textDocument/inlayHint', { range: { start: { line: 0, character: 0 }, end: toPosition(doc, doc.length) } }) : null,
  ]);
  if (file.state.doc !== doc || workspace.file(file.name) !== file) return;  // typed on meanwhile
  const effects = [];
  if (tokens?.data) effects.push(setTokens.of(tokenMarks(doc, tokens.data, caps.semanticTokensProvider.legend)));
  if (hints) effects.push(setHints.of(hintWidgets(doc, hints)));
  if (effects.length) workspace.update(file, { effects });
}
