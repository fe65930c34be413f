// Bundles the page (scripts/build-web runs it):
//   node web/build.mjs WASM_DIR OUT_DIR
// WASM_DIR holds emscripten's zelweb.js and zelweb.wasm. OUT_DIR gets
// zel-playground.html, one file holding everything (the worker's code and
// the module, gzip in base64, inline), and index.html with zel-page.js,
// zel-worker.js and zelweb.wasm beside it, for serving.
import * as esbuild from 'esbuild';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import zlib from 'node:zlib';

const here = path.dirname(fileURLToPath(import.meta.url));
const [wasmDir, outDir] = process.argv.slice(2).map((p) => path.resolve(p));
if (!wasmDir || !outDir) {
  console.error('usage: node web/build.mjs WASM_DIR OUT_DIR');
  process.exit(2);
}
fs.mkdirSync(outDir, { recursive: true });

// A source file as a string of its bytes, one character each (bytes.js):
// exact for any byte, and it compresses as text.
const bytesAsText = {
  name: 'zel-bytes',
  setup(build) {
    build.onLoad({ filter: /\.SCE$/ }, (args) => ({ contents: `export default ${JSON.stringify(fs.readFileSync(args.path, 'latin1'))};`, loader: 'js' }));
  },
};
const common = { bundle: true, minify: true, write: false, platform: 'browser', target: 'chrome100', legalComments: 'none' };

// Modules named "zel:..." come from here, not from the file system.
const virtual = (modules) => ({
  name: 'zel-virtual',
  setup(build) {
    build.onResolve({ filter: /^zel:/ }, (args) => {
      const target = modules[args.path];
      return typeof target === 'string' && target.endsWith('.js') ? { path: target } : { path: args.path, namespace: 'zel' };
    });
    build.onLoad({ filter: /.*/, namespace: 'zel' }, (args) => ({ contents: modules[args.path], loader: 'js' }));
  },
});

const workerBuild = await esbuild.build({
  ...common,
  entryPoints: [path.join(here, 'src/worker.js')],
  format: 'iife',
  external: ['fs', 'path'],
  plugins: [virtual({ 'zel:module': path.join(wasmDir, 'zelweb.js') })],
});
const workerSource = workerBuild.outputFiles[0].text;
const wasm = fs.readFileSync(path.join(wasmDir, 'zelweb.wasm'));

async function page(assets) {
  const result = await esbuild.build({
    ...common,
    entryPoints: [path.join(here, 'src/main.js')],
    format: 'esm',
    plugins: [virtual({ 'zel:assets': path.join(here, 'src', assets) }), bytesAsText],
  });
  return result.outputFiles[0].text;
}

const single = await page('assets-inline.js');
const served = await page('assets-files.js');
const template = fs.readFileSync(path.join(here, 'src/page.html'), 'utf8');
const style = `<style>${fs.readFileSync(path.join(here, 'src/style.css'), 'utf8')}</style>`;
const html = (script, head = '') =>
  template.replace('<!--style-->', () => style + head).replace('<!--script-->', () => script);
const inlineScript = (code, type, id) =>
  `<script type="${type}"${id ? ` id="${id}"` : ''}>${code.replace(/<\/script/gi, '<\\/script')}</script>`;
// The worker's code and the module (gzip, base64) in scripts the browser
// does not run, first in the page: a script after the worker's code starts
// the worker, and one after the module's bytes hands them to it, while the
// browser goes on reading and compiling the rest of the page.
const packed = zlib.gzipSync(wasm, { level: 9 }).toString('base64');
const text = (id) => `document.getElementById('${id}').textContent`;
const starter = `window.zelWorker = new Worker(URL.createObjectURL(new Blob([${text('zel-worker')}], { type: 'text/javascript' })));`;
const handOver = `window.zelWorker.postMessage({ wasm: ${text('zel-wasm')} });`;
const head = [
  inlineScript(workerSource, 'text/plain', 'zel-worker'), inlineScript(starter, 'text/javascript'),
  inlineScript(packed, 'text/plain', 'zel-wasm'), inlineScript(handOver, 'text/javascript'),
];
fs.writeFileSync(path.join(outDir, 'zel-playground.html'), html(inlineScript(single, 'module'), head.join('\n')));
fs.writeFileSync(path.join(outDir, 'index.html'), html('<script type="module" src="zel-page.js"></script>'));
fs.writeFileSync(path.join(outDir, 'zel-page.js'), served);
fs.writeFileSync(path.join(outDir, 'zel-worker.js'), workerSource);
fs.writeFileSync(path.join(outDir, 'zelweb.wasm'), wasm);

const gz = (bytes) => zlib.gzipSync(bytes, { level: 9 }).length;
const kb = (n) => (n / 1024).toFixed(0) + ' KB';
const file = fs.readFileSync(path.join(outDir, 'zel-playground.html'));
console.log(`${path.join(outDir, 'zel-playground.html')}: ${kb(file.length)}, ${kb(gz(file))} compressed`);
console.log(`${path.join(outDir, 'index.html')} with zel-page.js (${kb(gz(served))} compressed), zel-worker.js (${kb(gz(workerSource))}), zelweb.wasm (${kb(gz(wasm))})`);
