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
