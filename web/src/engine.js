// The page's side of the worker (worker.js): calls of the compiler and
// zeltool, and the language server's messages.
import { startWorker } from 'zel:assets';
import { Answer } from './bundle.js';

export class Engine {
  constructor() {
    this.worker = startWorker();
    this.pending = new Map();
    this.next = 1;
    this.onLsp = () => {};
    this.worker.onmessage = ({ data }) => {
      if (data.lsp) {
        this.onLsp(data.lsp);
        return;
      }
      const resolve = this.pending.get(data.id);
      this.pending.delete(data.id);
      resolve(new Answer(data.entries));
    };
  }

  // A command of src/web/calls.h with its entries: a promise of its Answer.
  call(command, entries) {
    const id = this.next++;
    return new Promise((resolve) => {
      this.pending.set(id, resolve);
      this.worker.postMessage({ id, command, entries });
    });
  }

  sendLsp(bodies) {
    this.worker.postMessage({ lsp: bodies });
  }
}
