// The single-file page: the worker's code and the module's bytes (gzip, in
// base64) are in the page itself, in script elements the browser does not
// run, so that it works from file:// with no server and no network. A small
// script right after them starts the worker while the rest of the page
// loads (see build.mjs); the page takes that worker.
export function startWorker() {
  return window.zelWorker;
}
