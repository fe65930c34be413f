// Files in and out of the page: new files, files opened from disk or
// dropped on the page, each saved back (to the file it came from where the
// browser lets the page write files, else as a download); a database opens
// its dump and its decompiled source in new tabs. Nothing is replaced
// without asking.
import { download } from './build-panel.js';
import { bytesToText, textToBytes } from './bytes.js';

const isDatabase = (name) => /\.zdb$/i.test(name);

export class FilesUi {
  constructor(engine, workspace, say) {
    Object.assign(this, { engine, workspace, say });
  }

  // A name not taken yet, from a wished one: NAME.SCE, NAME2.SCE, ...
  freeName(wished) {
    const dot = wished.lastIndexOf('.');
    const stem = dot > 0 ? wished.slice(0, dot) : wished, ext = dot > 0 ? wished.slice(dot) : '';
    let name = wished;
    for (let n = 2; this.workspace.file(name); ++n) name = stem + n + ext;
    return name;
  }

  // Opens a text in a tab of that name, asking before replacing another.
  place(name, text, handle = null) {
    const known = this.workspace.file(name);
    if (known && this.workspace.text(known) !== text &&
        !confirm(`${name} is open already. Replace it with the file opened? (Cancel opens it as ${this.freeName(name)}.)`))
      name = this.freeName(name);
    const file = this.workspace.add(name, text);
    file.handle = handle;
    return file;
  }

  newFile() {
    const name = prompt('Name of the new file', this.freeName('NEW.SCE'));
    if (!name) return;
    if (this.workspace.file(name)) return this.say(`${name} is open already.`);
    this.workspace.add(name, '');
  }

  async openBytes(name, bytes, handle = null) {
    if (!isDatabase(name)) return this.place(name, bytesToText(bytes), handle);
    const answer = await this.engine.call('database', [['path', name], ['bytes', bytes]]);
    if (answer.text('error')) return this.say(answer.text('error'));
    this.place(name.replace(/\.zdb$/i, '.dump'), answer.text('dump'));
    if (answer.text('source') !== undefined) this.place(answer.text('source-name'), answer.text('source'));
    this.say([answer.text('stdout'), answer.text('stderr')].filter(Boolean).join(''));
  }

  async openFiles(files) {
    for (const f of files) await this.openBytes(f.name, new Uint8Array(await f.arrayBuffer()), f.handle);
  }

  async open() {
    if (window.showOpenFilePicker) {
      const handles = await window.showOpenFilePicker({ multiple: true }).catch(() => []);
      const files = await Promise.all(handles.map(async (h) => Object.assign(await h.getFile(), { handle: h })));
      return this.openFiles(files.map((f) => ({ name: f.name, arrayBuffer: () => f.arrayBuffer(), handle: f.handle })));
    }
    const input = Object.assign(document.createElement('input'), { type: 'file', multiple: true });
    input.onchange = () => this.openFiles([...input.files]);
    input.click();
  }

  async save(file = this.workspace.active) {
    if (!file) return;
    const bytes = textToBytes(this.workspace.text(file));
    if (file.handle?.createWritable) {
      try {
        const out = await file.handle.createWritable();
        await out.write(bytes);
        await out.close();
        return this.say(`Saved ${file.name}.`);
      } catch (e) {
        this.say(`Could not write ${file.name} (${e.message}); downloading it instead.`);
      }
    }
    download(file.name, bytes);
  }

  close(file) {
    if (confirm(`Close ${file.name}? The page keeps it no longer (save it first to keep a copy).`))
      this.workspace.remove(file.name);
  }

  rename(file) {
    const name = prompt('New name', file.name);
    if (name && name !== file.name && !this.workspace.rename(file, name)) this.say(`${name} is open already.`);
  }

  // Files dropped anywhere on the page.
  acceptDrops(target) {
    target.addEventListener('dragover', (e) => {
      e.preventDefault();
      target.classList.add('dropping');
    });
    target.addEventListener('dragleave', () => target.classList.remove('dropping'));
    target.addEventListener('drop', (e) => {
      e.preventDefault();
      target.classList.remove('dropping');
      this.openFiles([...e.dataTransfer.files]);
    });
  }
}
