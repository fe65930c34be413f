// Build: zelc over the open files with switches N, C and T, its console
// exactly as it prints it, the files it wrote to download byte for byte,
// and zeltool stats's figures of the adventure.
import { textToBytes } from './bytes.js';
import { sourceEntries } from './zel.js';

export const filesOf = (workspace) =>
  Object.fromEntries(workspace.files.map((f) => [f.name, textToBytes(workspace.text(f))]));

export function download(name, bytes) {
  const url = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
  const a = Object.assign(document.createElement('a'), { href: url, download: name });
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}

// The adventure to build for the file shown: zeltool's choice (the file
// itself when it begins one, else the one whose /LNK chain reaches it).
export async function adventureOf(engine, workspace) {
  const file = workspace.active;
  if (!file) return null;
  const answer = await engine.call('adventure', [...sourceEntries(filesOf(workspace), []), ['target', file.name]]);
  return { name: answer.text('name'), note: answer.text('note') || answer.text('error') };
}

export class BuildPanel {
  // elements: {button, switches: {N, C, T} checkboxes, command, console, files, stats}
  constructor(engine, workspace, elements) {
    Object.assign(this, { engine, workspace, elements });
    elements.button.onclick = () => this.build();
  }

  switches() {
    return ['N', 'C', 'T'].filter((s) => this.elements.switches[s].checked);
  }

  async build() {
    const { console: out, files, stats, command } = this.elements;
    const adventure = await adventureOf(this.engine, this.workspace);
    if (!adventure?.name) {
      out.textContent = adventure?.note || 'Open a source file NAME.SCE to build it.';
      return null;
    }
    const args = [adventure.name, ...this.switches()];
    const sources = filesOf(this.workspace);
    command.textContent = 'zelc ' + args.join(' ') + (adventure.note ? '   (' + adventure.note + ')' : '');
    const answer = await this.engine.call('build', sourceEntries(sources, args));
    out.textContent = answer.text('stdout') + answer.text('stderr');
    out.dataset.status = answer.text('status');
    files.replaceChildren(
      ...answer.prefixed('file:').map(([name, bytes]) => {
        const button = Object.assign(document.createElement('button'), { textContent: `Download ${name} (${bytes.length} bytes)` });
        button.className = 'download';
        button.dataset.name = name;
        button.onclick = () => download(name, bytes);
        return button;
      }),
    );
    const figures = await this.engine.call('stats', sourceEntries(sources, args.filter((a) => a !== 'N')));
    stats.textContent = figures.text('text') ?? '';
    return answer;
  }
}
