// A client of the language server's protocol (JSON-RPC 2.0) over the
// worker: requests with their promised results, notifications both ways,
// and the open documents kept in step with the server (whole texts).
export class LspClient {
  constructor(engine) {
    this.engine = engine;
    this.next = 1;
    this.pending = new Map();
    this.handlers = new Map();  // notification method -> function(params)
    this.capabilities = {};
    this.versions = new Map();  // uri -> version sent
    engine.onLsp = (bodies) => bodies.forEach((body) => this.receive(JSON.parse(body)));
  }

  receive(message) {
    if (message.id !== undefined && !message.method) {
      const waiting = this.pending.get(message.id);
      this.pending.delete(message.id);
      if (waiting) message.error ? waiting.reject(message.error) : waiting.resolve(message.result);
    } else if (message.method && message.id === undefined) {
      this.handlers.get(message.method)?.(message.params);
    } else if (message.method) {
      // The server asks nothing of this client yet: say so.
      this.send({ jsonrpc: '2.0', id: message.id, error: { code: -32601, message: 'not supported' } });
    }
  }

  // Messages sent in one turn of the page go to the server together.
  send(message) {
    if (!this.outbox) {
      this.outbox = [];
      queueMicrotask(() => {
        this.engine.sendLsp(this.outbox);
        this.outbox = null;
      });
    }
    this.outbox.push(JSON.stringify(message));
  }

  request(method, params) {
    const id = this.next++;
    return new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject });
      this.send({ jsonrpc: '2.0', id, method, params });
    });
  }

  notify(method, params) {
    this.send({ jsonrpc: '2.0', method, params });
  }

  on(method, handler) {
    this.handlers.set(method, handler);
  }

  async initialize(capabilities) {
    // The page's texts hold one character per byte of a source (see bytes.js).
    const initializationOptions = { text: 'bytes' };
    const result = await this.request('initialize', { processId: null, rootUri: null, capabilities, initializationOptions });
    this.capabilities = result.capabilities || {};
    this.notify('initialized', {});
    return this.capabilities;
  }

  open(uri, text) {
    this.versions.set(uri, 1);
    this.notify('textDocument/didOpen', { textDocument: { uri, languageId: 'zel', version: 1, text } });
  }

  // contentChanges: the protocol's, ranges or whole texts.
  change(uri, contentChanges) {
    const version = (this.versions.get(uri) || 0) + 1;
    this.versions.set(uri, version);
    this.notify('textDocument/didChange', { textDocument: { uri, version }, contentChanges });
  }

  // Whether the server takes changes as ranges; else whole texts.
  incremental() {
    const sync = this.capabilities.textDocumentSync;
    return (typeof sync === 'number' ? sync : sync?.change) === 2;
  }

  close(uri) {
    this.versions.delete(uri);
    this.notify('textDocument/didClose', { textDocument: { uri } });
  }

  version(uri) {
    return this.versions.get(uri);
  }
}
