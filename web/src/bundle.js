// The buffers that pass to and from the WebAssembly module: named byte
// strings, each name and value preceded by its length in four bytes, least
// significant first (src/web/bundle.h).
import { bytesToText, textToBytes } from './bytes.js';

const asBytes = (value) => (value instanceof Uint8Array ? value : textToBytes(String(value)));

// entries: [name, value] pairs; a value is a Uint8Array or a byte string.
export function encodeBundle(entries) {
  const parts = entries.map(([name, value]) => [textToBytes(name), asBytes(value)]);
  const size = parts.reduce((sum, [name, value]) => sum + 8 + name.length + value.length, 0);
  const out = new Uint8Array(size);
  const view = new DataView(out.buffer);
  let at = 0;
  for (const part of parts.flat()) {
    view.setUint32(at, part.length, true);
    out.set(part, at + 4);
    at += 4 + part.length;
  }
  return out;
}

// [name, Uint8Array] pairs, in order.
export function decodeBundle(bytes) {
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  const parts = [];
  for (let at = 0; at + 4 <= bytes.length; ) {
    const length = view.getUint32(at, true);
    parts.push(bytes.slice(at + 4, at + 4 + length));
    at += 4 + length;
  }
  const entries = [];
  for (let i = 0; i + 1 < parts.length; i += 2) entries.push([bytesToText(parts[i]), parts[i + 1]]);
  return entries;
}

// An answer to read by name: bytes(name), text(name) (as a byte string),
// prefixed(prefix) for the entries "prefix...".
export class Answer {
  constructor(entries) {
    this.entries = entries;
  }
  bytes(name) {
    const entry = this.entries.find(([n]) => n === name);
    return entry ? entry[1] : undefined;
  }
  text(name) {
    const bytes = this.bytes(name);
    return bytes === undefined ? undefined : bytesToText(bytes);
  }
  prefixed(prefix) {
    return this.entries.filter(([n]) => n.startsWith(prefix)).map(([n, v]) => [n.slice(prefix.length), v]);
  }
}
