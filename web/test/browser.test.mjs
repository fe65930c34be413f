// The page in a real browser: Debian's chromium, headless, driven by
// playwright-core, on the single-file page from file://. It types a fault
// and sees it underlined, hovers MESSAGE n and sees its text, builds with C
// and downloads the database (the native compiler's bytes), opens the map
// and goes to a location from it, opens a dropped database, finds an edit
// again after a reload, and opens a shared link. Screenshots go to
// build/web-test/.
//   node --test web/test/   (after scripts/build-web)
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const pageUrl = pathToFileURL(path.join(root, 'build/web/zel-playground.html')).href;
const shots = path.join(root, 'build/web-test');
const regression = path.join(root, 'tests/regression');
const flags = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

const profiles = [];
async function browser() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'zel-chromium-'));
  profiles.push(profile);
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.ZEL_CHROMIUM || '/usr/bin/chromium', headless: true, args: flags, acceptDownloads: true,
  });
  const page = context.pages()[0] || (await context.newPage());
  page.on('pageerror', (e) => assert.fail('page error: ' + e.message));
  return { context, page };
}

const ready = (page) => page.waitForFunction(() => performance.getEntriesByName('zel-diagnostics').length > 0);
const editorText = (page, name) => page.evaluate((n) => zel.workspace.text(zel.workspace.file(n)), name);
// Puts the cursor on a line of a file (from 1) after `column` characters.
const cursorAt = (page, name, line, column) =>
  page.evaluate(([n, l, c]) => zel.workspace.goto(n, zel.workspace.file(n).state.doc.line(l).from + c), [name, line, column]);

let first;
before(async () => {
  fs.mkdirSync(shots, { recursive: true });
  first = await browser();
  await first.page.goto(pageUrl);
  await ready(first.page);
});
after(async () => {
  await first?.context.close();
  for (const p of profiles) fs.rmSync(p, { recursive: true, force: true, maxRetries: 5, retryDelay: 200 });
});

test('a fault typed is underlined, with the compiler\'s message', async () => {
  const { page } = first;
  const line = (await editorText(page, 'BEACON3.SCE')).split('\n')[154];
  assert.match(line, /MESSAGE 1$/);
  await cursorAt(page, 'BEACON3.SCE', 155, line.indexOf('MESSAGE') + 6);
  await page.keyboard.press('Delete');
  await page.keyboard.type('X');
  const fault = page.locator('.cm-lintRange-error', { hasText: 'MESSAGX' });
  await fault.waitFor();
  await fault.hover();
  await page.locator('.cm-tooltip', { hasText: "'MESSAGX' is not a condition or action" }).waitFor();
  await page.screenshot({ path: path.join(shots, 'fault.png') });
  await page.keyboard.press('Control+z');
  await page.keyboard.press('Control+z');
  await page.waitForFunction(() => !document.querySelector('.cm-lintRange-error'));
});

test('a byte above 127 typed in a text is one byte to the language server', async () => {
  const { page } = first;
  const lines = (await editorText(page, 'BEACON2.SCE')).split('\n');
  const text = lines.indexOf('/0 the opening') + 1;
  await cursorAt(page, 'BEACON2.SCE', text + 1, 0);
  await page.keyboard.type('\u00e9');
  const warning = page.locator('.cm-lintRange-warning').first();
  await warning.waitFor();
  await warning.hover();
  // One warning of the byte's own value, as zelc gives on disk, not two of its UTF-8 bytes.
  await page.locator('.cm-tooltip', { hasText: 'value(233)' }).waitFor();
  await page.keyboard.press('Control+z');
  await page.waitForFunction(() => !document.querySelector('.cm-lintRange-warning'));
});

test('hovering MESSAGE n shows the message', async () => {
  const { page } = first;
  const line = (await editorText(page, 'BEACON3.SCE')).split('\n')[154];
  await cursorAt(page, 'BEACON3.SCE', 155, 0);
  const at = await page.evaluate((column) => {
    const view = zel.workspace.view;
    return view.coordsAtPos(view.state.doc.line(155).from + column);
  }, line.indexOf('MESSAGE 1') + 8);
  await page.mouse.move(at.left + 2, (at.top + at.bottom) / 2);
  await page.locator('.cm-tooltip', { hasText: 'You wait. The wind does not.' }).waitFor();
  // The server's inlay hints and semantic tokens are drawn over the text.
  await page.locator('.cm-line', { hasText: /^WAIT\s+_\s+MESSAGE 1/ }).locator('.cm-inlay-hint', { hasText: 'You wait' }).waitFor();
  assert.ok((await page.locator('.cm-line .tok-number').count()) > 0);
});

test('completion offers the actions, and F12 goes to the message', async () => {
  const { page } = first;
  const before = await editorText(page, 'BEACON3.SCE');
  const line = before.split('\n')[154];
  await cursorAt(page, 'BEACON3.SCE', 155, line.length);
  await page.keyboard.type('\n             MESS');
  await page.keyboard.press('Control+Space');
  await page.locator('.cm-tooltip-autocomplete li', { hasText: 'MESSAGE' }).first().waitFor();
  await page.keyboard.press('Escape');
  for (let i = 0; i < 5; ++i) await page.keyboard.press('Control+z');
  assert.equal(await editorText(page, 'BEACON3.SCE'), before);
  await cursorAt(page, 'BEACON3.SCE', 155, line.indexOf('MESSAGE 1') + 8);
  await page.keyboard.press('F12');
  await page.waitForFunction(() => zel.workspace.active.name === 'BEACON2.SCE');
  const at = await page.evaluate(() => zel.workspace.view.state.doc.lineAt(zel.workspace.view.state.selection.main.head).text);
  assert.equal(at, '/1 wait');
});

test('F2 renames a word across the files, and back', async () => {
  const { page } = first;
  for (const [from, to] of [['WAIT', 'DOZE'], ['DOZE', 'WAIT']]) {
    await cursorAt(page, 'BEACON3.SCE', 155, 1);
    const [dialog] = await Promise.all([page.waitForEvent('dialog'), page.keyboard.press('F2')]);
    assert.equal(dialog.defaultValue(), from);
    await dialog.accept(to);
    await page.waitForFunction((word) => zel.workspace.text(zel.workspace.file('BEACON.SCE')).split('\n')[148].startsWith(word), to);
    assert.ok((await editorText(page, 'BEACON3.SCE')).split('\n')[154].startsWith(to));
  }
});

test('Build with C gives the native compiler\'s database to download', async () => {
  const { page } = first;
  await page.click('[data-show=build]');
  await page.check('#switch-c');
  await page.click('#build');
  await page.locator('#console', { hasText: '*** Compilation ends OK' }).waitFor();
  await page.locator('#stats', { hasText: 'BEACON: 10814 bytes, compressed' }).waitFor();
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('button.download[data-name="BEACON.ZDB"]')]);
  assert.equal(download.suggestedFilename(), 'BEACON.ZDB');
  const bytes = fs.readFileSync(await download.path());
  assert.ok(bytes.equals(fs.readFileSync(path.join(regression, 'BEACON-C.ZDB'))), 'the database differs');
});

test('the map is drawn and a location goes to its /LTX item', async () => {
  const { page } = first;
  await page.click('[data-show=map]');
  const node = page.locator('svg.map g.node[data-id="l3"]');
  await node.waitFor();
  assert.ok((await page.locator('svg.map g.node').count()) >= 16);
  await page.screenshot({ path: path.join(shots, 'map.png') });
  await node.click();
  const at = await page.evaluate(() => {
    const { state, name } = zel.workspace.active;
    return [name, state.doc.lineAt(state.selection.main.head).text];
  });
  assert.deepEqual(at, ['BEACON2.SCE', '/3 oil shed']);
});

test('a dropped database opens its dump and decompiled source', async () => {
  const { page } = first;
  const bytes = [...fs.readFileSync(path.join(regression, 'BEACON-C.ZDB'))];
  await page.evaluate((data) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([new Uint8Array(data)], 'DROPPED.ZDB'));
    document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }, bytes);
  await page.locator('.tab[data-name="DROPPED.SCE"]').waitFor();
  assert.equal(await editorText(page, 'DROPPED.dump'), fs.readFileSync(path.join(regression, 'BEACON-C.dump'), 'latin1'));
  assert.match(await page.textContent('#message'), /compiles back into the identical 10814 bytes/);
  for (const name of ['DROPPED.SCE', 'DROPPED.dump'])
    await page.evaluate((n) => zel.workspace.remove(n), name);
});

test('an edit is there again after a reload, every byte of it', async () => {
  const { page } = first;
  await cursorAt(page, 'BEACON.SCE', 1, 0);
  await page.keyboard.type('; kept\u00e9');
  // As pasted: a carriage return comes with a file, not from the keyboard.
  await page.evaluate(() => zel.workspace.view.dispatch(zel.workspace.view.state.replaceSelection('\u00ff\u20ac\r\n')));
  const before = await editorText(page, 'BEACON.SCE');
  // Bytes 233 and 255 as they are; the euro sign beyond 255 as its UTF-8 bytes.
  assert.ok(before.startsWith('; kept\u00e9\u00ff\u00e2\u0082\u00ac\r\n;'), JSON.stringify(before.slice(0, 16)));
  await page.reload();
  await ready(page);
  assert.equal(await editorText(page, 'BEACON.SCE'), before);
  await page.screenshot({ path: path.join(shots, 'page.png') });
});

test('a shared link opens its files, and asks before replacing kept ones', async () => {
  const { page } = first;
  await page.click('#share');
  await page.waitForFunction(() => document.getElementById('link').value);
  const link = await page.inputValue('#link');
  assert.match(link, /^file:.*#files=/);
  const other = await browser();
  await other.page.goto(link);
  await ready(other.page);
  assert.equal(await editorText(other.page, 'BEACON.SCE'), await editorText(page, 'BEACON.SCE'));
  // The same link where other text is kept under the same name.
  await cursorAt(other.page, 'BEACON.SCE', 1, 0);
  await other.page.keyboard.type('; mine\n');
  const [dialog] = await Promise.all([other.page.waitForEvent('dialog'), other.page.goto(link)]);
  assert.match(dialog.message(), /BEACON.SCE/);
  await dialog.dismiss();
  assert.match(await editorText(other.page, 'BEACON.SCE'), /^; mine\n/);
  await other.context.close();
});

test('index.html, served with its files beside it, works too', async () => {
  const { createServer } = await import('node:http');
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
  const server = createServer((request, response) => {
    const file = path.join(root, 'build/web', path.basename(new URL(request.url, 'http://x').pathname) || 'index.html');
    if (!fs.existsSync(file)) return response.writeHead(404).end();
    response.writeHead(200, { 'content-type': types[path.extname(file)] || 'application/octet-stream' }).end(fs.readFileSync(file));
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const page = await first.context.newPage();
  await page.goto(`http://127.0.0.1:${server.address().port}/index.html`);
  await ready(page);
  assert.ok((await page.locator('.tab').count()) >= 3);
  await page.close();
  server.close();
});
