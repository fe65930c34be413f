// The map of the source as zeltool map draws it, redrawn after each
// compilation without errors; a click on a location shows its /LTX item.
import { filesOf } from './build-panel.js';
import { parseDot } from './map/dot.js';
import { drawGraph } from './map/layout.js';
import { sourceEntries } from './zel.js';

export class MapPanel {
  constructor(engine, workspace, element, objects, adventureOf) {
    Object.assign(this, { engine, workspace, element, objects, adventureOf });
    this.open = false;
    this.timer = 0;
    objects.onchange = () => this.draw();
  }

  show() {
    this.open = true;
    return this.draw();
  }

  hide() {
    this.open = false;
  }

  // After the server's diagnostics: a redraw soon, when nothing is wrong.
  changed(hasErrors) {
    if (!this.open || hasErrors) return;
    clearTimeout(this.timer);
    this.timer = setTimeout(() => this.draw(), 250);
  }

  async draw() {
    const adventure = await this.adventureOf();
    if (!adventure?.name) return;
    const entries = sourceEntries(filesOf(this.workspace), [adventure.name]);
    if (this.objects.checked) entries.push(['objects', '1']);
    const answer = await this.engine.call('map', entries);
    if (answer.text('error')) {
      this.element.dataset.state = 'stale';
      return;
    }
    const places = new Map(answer.prefixed('at:').map(([node, bytes]) => [node, new TextDecoder().decode(bytes).split('\n')]));
    const svg = drawGraph(parseDot(answer.text('dot')), (node) => {
      const at = places.get(node);
      const file = at && this.workspace.file(at[0]);
      if (!file) return;
      const line = file.state.doc.line(Math.min(Number(at[1]), file.state.doc.lines));
      this.workspace.goto(file.name, line.from, line.to);
    });
    this.element.dataset.state = 'fresh';
    this.element.replaceChildren(svg);
  }
}
