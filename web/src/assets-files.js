// The page served as files: the worker and the module beside the page.
export function startWorker() {
  const worker = new Worker('zel-worker.js');
  fetch('zelweb.wasm')
    .then((response) => response.arrayBuffer())
    .then((wasm) => worker.postMessage({ wasm: new Uint8Array(wasm) }, [wasm]));
  return worker;
}
