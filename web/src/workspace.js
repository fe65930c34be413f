// The adventure's files: one editor state per file, one view showing the
// active one, and the tab bar. The files are the adventure's folder: the
// compiler, zeltool and the language server see exactly these.
import { EditorView } from '@codemirror/view';
import { EditorState } from '@codemirror/state';

export class Workspace {
  // extensions(name): the editor extensions of a file; listener gets
  // ('change' | 'open' | 'close' | 'activate' | 'rename', file, extra):
  // for a change, {changes, before}: the ChangeSet and the text it applies
  // to; for a rename, the old name.
  constructor(parent, tabbar, extensions, listener) {
    this.files = [];
    this.active = null;
    this.extensions = extensions;
    this.listener = listener;
    this.tabbar = tabbar;
    this.view = new EditorView({
      parent,
      dispatchTransactions: (transactions) => {
        const before = this.view.state.doc;
        this.view.update(transactions);
        const file = this.active;
        if (!file) return;
        file.state = this.view.state;
        const changed = transactions.filter((tr) => tr.docChanged);
        if (changed.length)
          this.listener('change', file, { before, changes: changed.map((tr) => tr.changes).reduce((a, b) => a.compose(b)) });
      },
    });
  }

  file(name) {
    return this.files.find((f) => f.name === name);
  }

  text(file) {
    return file.state.doc.toString();
  }

  // A new tab; a name already taken gets its text replaced (the caller asks
  // first when that would lose anything).
  add(name, text, activate = true) {
    const known = this.file(name);
    if (known) {
      this.update(known, { changes: { from: 0, to: known.state.doc.length, insert: text } });
    } else {
      const file = { name, handle: null, state: EditorState.create({ doc: text, extensions: this.extensions(name) }) };
      this.files.push(file);
      this.listener('open', file);
    }
    if (activate || !this.active) this.activate(name);
    this.drawTabs();
    return this.file(name);
  }

  remove(name) {
    const file = this.file(name);
    if (!file) return;
    const at = this.files.indexOf(file);
    this.files.splice(at, 1);
    this.listener('close', file);
    if (this.active === file) {
      this.active = null;
      const next = this.files[Math.min(at, this.files.length - 1)];
      if (next) this.activate(next.name);
      else this.view.setState(EditorState.create({ doc: '', extensions: [EditorState.readOnly.of(true)] }));
    }
    this.drawTabs();
  }

  rename(file, name) {
    if (this.file(name)) return false;
    const old = file.name;
    file.name = name;
    this.listener('rename', file, old);
    this.drawTabs();
    return true;
  }

  activate(name) {
    const file = this.file(name);
    if (!file || file === this.active) return;
    this.active = file;
    this.view.setState(file.state);
    this.drawTabs();
    this.listener('activate', file);
  }

  // A transaction on any file, shown or not.
  update(file, transaction) {
    if (file === this.active) {
      this.view.dispatch(transaction);
    } else {
      const tr = file.state.update(transaction);
      const before = file.state.doc;
      file.state = tr.state;
      if (tr.docChanged) this.listener('change', file, { before, changes: tr.changes });
    }
  }

  // Shows a file with a range selected.
  goto(name, from, to = from) {
    this.activate(name);
    const file = this.file(name);
    if (!file) return;
    const end = file.state.doc.length;
    this.view.dispatch({ selection: { anchor: Math.min(from, end), head: Math.min(to, end) }, scrollIntoView: true });
    this.view.focus();
  }

  drawTabs() {
    this.tabbar.replaceChildren(
      ...this.files.map((file) => {
        const tab = document.createElement('div');
        tab.className = 'tab' + (file === this.active ? ' active' : '');
        tab.setAttribute('role', 'tab');
        tab.dataset.name = file.name;
        const label = document.createElement('span');
        label.textContent = file.name;
        label.onclick = () => this.activate(file.name);
        label.ondblclick = () => this.listener('rename-asked', file);
        const close = document.createElement('button');
        close.className = 'close';
        close.title = 'Close ' + file.name;
        close.textContent = '×';
        close.onclick = () => this.listener('close-asked', file);
        tab.append(label, close);
        return tab;
      }),
    );
  }
}
