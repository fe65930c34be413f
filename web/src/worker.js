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

// The module's bytes as a response to compile as it streams in: a string of
// them gzipped in base64, or the bytes themselves.
async function wasmResponse(wasm) {
  const type = { headers: { 'content-type': 'application/wasm' } };
  if (typeof wasm !== 'string') return new Response(wasm, type);
  const packed = await fetch('data:application/gzip;base64,' + wasm);
  return new Response(packed.body.pipeThrough(new DecompressionStream('gzip')), type);
}

// The compiler's diagnostics come with the answers; lint's findings once no
// message has come in the meantime.
let followUp = 0;
function serve(bodies) {
  const m = zel.module;
  const request = encodeBundle(bodies.map((body) => ['message', utf8.encode(body)]));
  const at = m._zel_alloc(request.length);
  m.HEAPU8.set(request, at);
  m._zel_lsp(at, request.length);
  m._zel_free(at);
  clearTimeout(followUp);
  followUp = setTimeout(() => m._zel_lsp_idle(), 0);
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
    const response = wasmResponse(data.wasm);
    const module = await createZelModule({
      instantiateWasm: (imports, receive) => {
        response.then((r) => WebAssembly.instantiateStreaming(r, imports)).then((r) => receive(r.instance, r.module));
        return {};
      },
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
