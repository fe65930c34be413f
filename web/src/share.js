// Share by link: the files compressed into the link's fragment, which never
// leaves the browser. The fragment is "#files=" and the files as a bundle
// (bundle.js), deflated and written in base64url.
import { decodeBundle, encodeBundle } from './bundle.js';
import { bytesToText, textToBytes } from './bytes.js';

const key = 'files=';

async function through(stream, bytes) {
  const out = new Response(new Blob([bytes]).stream().pipeThrough(stream));
  return new Uint8Array(await out.arrayBuffer());
}

const toBase64url = (bytes) => btoa(bytesToText(bytes)).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
const fromBase64url = (text) => textToBytes(atob(text.replace(/-/g, '+').replace(/_/g, '/')));

// files: [{name, text}] with byte-string texts.
export async function linkFor(files, base) {
  const bundle = encodeBundle(files.map((f) => [f.name, f.text]));
  const packed = await through(new CompressionStream('deflate-raw'), bundle);
  return base.split('#')[0] + '#' + key + toBase64url(packed);
}

// The files of a link's fragment; null when it holds none (or is damaged).
export async function filesOfFragment(hash) {
  const at = hash.indexOf(key);
  if (at < 0) return null;
  try {
    const bundle = await through(new DecompressionStream('deflate-raw'), fromBase64url(hash.slice(at + key.length)));
    return decodeBundle(bundle).map(([name, bytes]) => ({ name, text: bytesToText(bytes) }));
  } catch {
    return null;
  }
}
