// The WebAssembly builds give the native compiler's bytes: zelc under node
// over every end-to-end case of tests/cases on the real file system, the
// page's module over the same cases in memory, and both over the example,
// whose databases, listing and decompiled source are checked in.
//   node --test web/test/   (ZEL_WASM_DIR: the build's web/ folder)
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { sourceEntries, Zel } from '../src/zel.js';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const wasmDir = process.env.ZEL_WASM_DIR || path.join(root, 'build/wasm/web');
const casesDir = path.join(root, 'tests/cases');
const read = (file, otherwise) => (fs.existsSync(file) ? fs.readFileSync(file) : otherwise);
const lines = (file) => (read(file, '') + '').split('\n').slice(0, -1);
const names = (dir) => (fs.existsSync(dir) ? fs.readdirSync(dir).sort() : []);

async function loadZel() {
  const create = createRequire(import.meta.url)(path.join(wasmDir, 'zelweb.js'));
  return new Zel(await create({ wasmBinary: fs.readFileSync(path.join(wasmDir, 'zelweb.wasm')) }));
}

// What a case expects: console, status, the files made or changed, the gone.
function expected(dir) {
  const out = Object.fromEntries(names(path.join(dir, 'out')).map((n) => [n, read(path.join(dir, 'out', n))]));
  return {
    stdout: read(path.join(dir, 'stdout'), Buffer.alloc(0)),
    stderr: read(path.join(dir, 'stderr'), Buffer.alloc(0)),
    status: Number(read(path.join(dir, 'status'), '0')),
    out,
    gone: lines(path.join(dir, 'gone')),
  };
}

function checkFiles(name, want, produced, present) {
  for (const [file, bytes] of Object.entries(want.out))
    assert.ok(Buffer.compare(produced[file] ?? present(file) ?? Buffer.alloc(0), bytes) === 0, `${name}: ${file}`);
  for (const file of Object.keys(produced)) assert.ok(file in want.out, `${name}: unexpected file ${file}`);
  for (const file of want.gone) assert.equal(present(file), undefined, `${name}: ${file} should be gone`);
}

const cases = names(casesDir);

test('zelc under node gives every case its bytes', () => {
  for (const name of cases) {
    const dir = path.join(casesDir, name);
    const work = fs.mkdtempSync(path.join(os.tmpdir(), 'zel-wasm-'));
    const inputs = names(path.join(dir, 'in'));
    for (const file of inputs) fs.cpSync(path.join(dir, 'in', file), path.join(work, file), { verbatimSymlinks: true, recursive: true });
    const run = spawnSync('node', [path.join(wasmDir, 'zelc-node.js'), ...lines(path.join(dir, 'args'))], { cwd: work });
    const want = expected(dir);
    assert.equal(run.stdout.toString('latin1'), want.stdout.toString('latin1'), `${name}: stdout`);
    assert.equal(run.stderr.toString('latin1'), want.stderr.toString('latin1'), `${name}: stderr`);
    assert.equal(run.status, want.status, `${name}: status`);
    const present = (file) => (fs.existsSync(path.join(work, file)) ? fs.readFileSync(path.join(work, file)) : undefined);
    const produced = {};
    for (const file of names(work)) {
      const before = path.join(dir, 'in', file);
      if (fs.lstatSync(path.join(work, file)).isFile() && !(fs.existsSync(before) && fs.lstatSync(before).isFile() && Buffer.compare(read(before), present(file)) === 0))
        produced[file] = present(file);
    }
    checkFiles(name, want, produced, present);
    fs.rmSync(work, { recursive: true });
  }
});

test("the page's module gives every case of plain files its bytes in memory", async () => {
  const zel = await loadZel();
  let run = 0;
  for (const name of cases) {
    const dir = path.join(casesDir, name);
    const inputs = names(path.join(dir, 'in'));
    if (inputs.some((file) => !fs.lstatSync(path.join(dir, 'in', file)).isFile())) continue;
    const files = Object.fromEntries(inputs.map((file) => [file, read(path.join(dir, 'in', file))]));
    const answer = zel.call('build', sourceEntries(files, lines(path.join(dir, 'args'))));
    const want = expected(dir);
    assert.equal(answer.text('stdout'), want.stdout.toString('latin1'), `${name}: stdout`);
    assert.equal(answer.text('stderr'), want.stderr.toString('latin1'), `${name}: stderr`);
    assert.equal(Number(answer.text('status')), want.status, `${name}: status`);
    const produced = Object.fromEntries(answer.prefixed('file:').map(([file, bytes]) => [file, Buffer.from(bytes)]));
    const gone = new Set(answer.prefixed('gone:').map(([file]) => file));
    const present = (file) => produced[file] ?? (gone.has(file) ? undefined : files[file]);
    checkFiles(name, want, produced, present);
    ++run;
  }
  assert.ok(run >= cases.length - 1, `only ${run} of ${cases.length} cases ran in memory`);
});

test('the example compiles, dumps and decompiles as checked in', async () => {
  const zel = await loadZel();
  const example = Object.fromEntries(['BEACON.SCE', 'BEACON2.SCE', 'BEACON3.SCE'].map((f) => [f, read(path.join(root, 'examples', f))]));
  const regression = path.join(root, 'tests/regression');
  for (const [args, database] of [[['BEACON'], 'BEACON.ZDB'], [['BEACON', 'C'], 'BEACON-C.ZDB']]) {
    const answer = zel.call('build', sourceEntries(example, args));
    assert.ok(answer.text('stdout').endsWith('*** Compilation ends OK\n'), answer.text('stdout'));
    assert.equal(Buffer.compare(Buffer.from(answer.bytes('file:BEACON.ZDB')), read(path.join(regression, database))), 0, database);
  }
  const db = zel.call('database', [['path', 'BEACON.ZDB'], ['bytes', read(path.join(regression, 'BEACON-C.ZDB'))]]);
  assert.equal(db.text('dump'), read(path.join(regression, 'BEACON-C.dump')).toString('latin1'));
  assert.equal(db.text('source'), read(path.join(regression, 'BEACON-C.SCE')).toString('latin1'));
  assert.equal(db.text('status'), '0', db.text('stderr'));
  assert.equal(zel.call('adventure', [...sourceEntries(example, []), ['target', 'BEACON3.SCE']]).text('name'), 'BEACON');
});
