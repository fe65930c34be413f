// The editor's extensions for a file: the usual editing, folding, search
// and history, bytes kept as bytes, and the language server's features.
import { defaultKeymap, history, historyKeymap, indentWithTab } from '@codemirror/commands';
import { foldGutter, foldKeymap } from '@codemirror/language';
import { lintGutter, lintKeymap } from '@codemirror/lint';
import { highlightSelectionMatches, searchKeymap } from '@codemirror/search';
import { ChangeSet, EditorState } from '@codemirror/state';
import { completionKeymap } from '@codemirror/autocomplete';
import {
  drawSelection, highlightActiveLine, highlightActiveLineGutter, highlightSpecialChars, keymap, lineNumbers,
} from '@codemirror/view';
import { isByteText, toByteText } from './bytes.js';

// Text typed or pasted beyond code point 255 becomes the bytes of its UTF-8
// form, each shown as one character: the document stays a string of bytes.
const bytesOnly = EditorState.transactionFilter.of((tr) => {
  if (!tr.docChanged) return tr;
  let wide = false;
  tr.changes.iterChanges((fromA, toA, fromB, toB, inserted) => (wide ||= !isByteText(inserted.toString())));
  if (!wide) return tr;
  const changes = [];
  tr.changes.iterChanges((from, to, fromB, toB, inserted) => changes.push({ from, to, insert: toByteText(inserted.toString()) }));
  const set = ChangeSet.of(changes, tr.startState.doc.length, tr.startState.facet(EditorState.lineSeparator));
  return { changes: set, selection: tr.startState.selection.map(set, 1), scrollIntoView: true };
});

export const editorExtensions = (features) => [
  lineNumbers(),
  highlightActiveLineGutter(),
  highlightSpecialChars(),
  history(),
  foldGutter(),
  lintGutter(),
  drawSelection(),
  highlightActiveLine(),
  highlightSelectionMatches(),
  // A carriage return is a byte of the line, shown, not a line break.
  EditorState.lineSeparator.of('\n'),
  bytesOnly,
  features,
  keymap.of([...defaultKeymap, ...historyKeymap, ...searchKeymap, ...foldKeymap, ...completionKeymap, ...lintKeymap, indentWithTab]),
];
