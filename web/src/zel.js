// The compiler and zeltool in the WebAssembly module: one call, a bundle in
// and an answer out (src/web/calls.h says what each command takes and gives).
import { Answer, decodeBundle, encodeBundle } from './bundle.js';

export class Zel {
  constructor(module) {
    this.module = module;
  }

  // entries: [name, value] pairs beside the command.
  call(command, entries) {
    const request = encodeBundle([['command', command], ...entries]);
    const m = this.module;
    const at = m._zel_alloc(request.length);
    m.HEAPU8.set(request, at);
    const answer = m._zel_call(at, request.length);
    m._zel_free(at);
    const size = new DataView(m.HEAPU8.buffer).getUint32(answer, true);
    const bytes = m.HEAPU8.slice(answer + 4, answer + 4 + size);
    m._zel_free(answer);
    return new Answer(decodeBundle(bytes));
  }
}

// files: {name: Uint8Array}; args: the compiler's arguments.
export const sourceEntries = (files, args) => [
  ...args.map((a) => ['arg', a]),
  ...Object.entries(files).map(([name, bytes]) => ['file:' + name, bytes]),
];
