// Positions of the protocol (line and UTF-16 character, from 0) and offsets
// of CodeMirror's documents, whose lines end at line feeds only (so that a
// carriage return stays a byte of the text).
// The files live in the page only: a folder no disk has.
const folder = 'mem:/adventure/';

export const uriOf = (name) => folder + encodeURIComponent(name);
export const nameOf = (uri) => (uri.startsWith(folder) ? decodeURIComponent(uri.slice(folder.length)) : null);

export function toOffset(doc, position) {
  const line = doc.line(Math.min(Math.max(position.line + 1, 1), doc.lines));
  return Math.min(line.from + position.character, line.to);
}

export function toPosition(doc, offset) {
  const line = doc.lineAt(offset);
  return { line: line.number - 1, character: offset - line.from };
}

export const rangeOf = (doc, range) => ({ from: toOffset(doc, range.start), to: toOffset(doc, range.end) });

// A ChangeSet on `before` as the protocol's changes, the last first, so that
// each range holds in the text the changes before it in the list leave.
export function contentChanges(before, changes) {
  const out = [];
  changes.iterChanges((from, to, fromB, toB, inserted) =>
    out.unshift({ range: { start: toPosition(before, from), end: toPosition(before, to) }, text: inserted.toString() }),
  );
  return out;
}
