// The page's worker: the WebAssembly module of the compiler, zeltool and the
// language server. The page posts {wasm} once (the module's bytes, or a
// string of them gzipped in base64), then {id, command, entries} for a call of src/web/calls.h,
// answered with {id, entries}; and {lsp: [body, ...]} with the protocol's
// messages, to which the server's answers and notifications come as
// {lsp: [body]}.
import createZelModule from 'zel:module';
import { encodeBundle } from './bundle.js';
import { Zel } from './zel.js';

const utf8 = new TextEncoder();
const fromUtf8 = new TextDecoder();
let zel;
const waiting = [];  // messages that came before the module was ready

async function unpack(base64) {
  const text = atob(base64);
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
  const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'));
  return new Uint8Array(await new Response(stream).arrayBuffer());
}

function serve(bodies) {
  const m = zel.module;
  const request = encodeBundle(bodies.map((body) => ['message', utf8.encode(body)]));
  const at = m._zel_alloc(request.length);
  m.HEAPU8.set(request, at);
  m._zel_lsp(at, request.length);
  m._zel_free(at);
}

function handle(data) {
  if (data.lsp) {
    serve(data.lsp);
  } else {
    const entries = zel.call(data.command, data.entries).entries;
    postMessage({ id: data.id, entries }, entries.map(([, bytes]) => bytes.buffer));
  }
}

onmessage = async ({ data }) => {
  if (data.wasm) {
    const module = await createZelModule({
      wasmBinary: typeof data.wasm === 'string' ? await unpack(data.wasm) : data.wasm,
      onLspMessage: (bytes) => postMessage({ lsp: [fromUtf8.decode(bytes)] }),
    });
    zel = new Zel(module);
    waiting.splice(0).forEach(handle);
  } else if (!zel) {
    waiting.push(data);
  } else {
    handle(data);
  }
};
