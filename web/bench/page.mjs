// Figures of the page (a benchmark, not a test): the single-file page from
// file:// in Debian's chromium, headless.
//   node web/bench/page.mjs [--loads N] [--keys N] [--no-vsync]   (after scripts/build-web)
// It prints the medians of: the page interactive (editor shown, first
// diagnostics in) from the start of navigation, over N loads; a keystroke
// to its diagnostics on the example, over N keystrokes; and the size of what
// loads before the map opens, compressed (gzip -9). With --no-vsync the
// browser draws frames as soon as they are ready instead of at 60 a second:
// what is left is the page's own time.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import zlib from 'node:zlib';
import { chromium } from 'playwright-core';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const option = (name, otherwise) => {
  const at = process.argv.indexOf(name);
  return at > 0 ? Number(process.argv[at + 1]) : otherwise;
};
const loads = option('--loads', 21), keys = option('--keys', 200);
const vsync = process.argv.includes('--no-vsync') ? ['--disable-gpu-vsync', '--disable-frame-rate-limit'] : [];
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const file = path.join(root, 'build/web/zel-playground.html');

const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'zel-bench-'));
const context = await chromium.launchPersistentContext(profile, {
  executablePath: process.env.ZEL_CHROMIUM || '/usr/bin/chromium', headless: true,
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', ...vsync],
});
const page = context.pages()[0] || (await context.newPage());

const interactive = [], editor = [];
for (let i = 0; i < loads; ++i) {
  await page.goto(pathToFileURL(file).href);
  await page.waitForFunction(() => performance.getEntriesByName('zel-diagnostics').length > 0);
  const [shown, diagnosed] = await page.evaluate(() => ['zel-editor', 'zel-diagnostics'].map((m) => performance.getEntriesByName(m)[0].startTime));
  editor.push(shown);
  interactive.push(diagnosed);
}

// Keystrokes in a comment line of the process tables, each waited for and
// then typed after a pause of its own, so that keystrokes fall anywhere
// between two of the browser's frames, as a person's do (a task that comes
// after a keystroke waits for the frame that shows it).
await page.evaluate(() => zel.workspace.goto('BEACON3.SCE', zel.workspace.file('BEACON3.SCE').state.doc.line(3).to));
await page.evaluate(() => (zelTimings.length = 0));
for (let i = 0; i < keys; ++i) {
  const shown = page.evaluate(() => new Promise((resolve) => addEventListener('zel-timing', resolve, { once: true })));
  await page.keyboard.type(i % 2 ? 'x' : ' ');
  await shown;
  await new Promise((resolve) => setTimeout(resolve, 20 + ((i * 7919) % 17)));
}
const strokes = await page.evaluate(() => zelTimings.slice());
await context.close();
fs.rmSync(profile, { recursive: true, force: true, maxRetries: 5 });

const size = zlib.gzipSync(fs.readFileSync(file), { level: 9 }).length;
console.log(`page interactive (editor shown, first diagnostics in), median of ${loads} loads: ${median(interactive).toFixed(0)} ms (editor shown: ${median(editor).toFixed(0)} ms)`);
console.log(`keystroke to its diagnostics, median of ${strokes.length}: ${median(strokes).toFixed(1)} ms (95th percentile ${[...strokes].sort((a, b) => a - b)[Math.floor(strokes.length * 0.95)].toFixed(1)} ms)`);
console.log(`loaded before the map opens: ${path.relative(root, file)}, ${(fs.statSync(file).size / 1024).toFixed(0)} KB, ${(size / 1024).toFixed(0)} KB compressed`);
