// Draws a graph read by dot.js as SVG: nodes in rows by their distance from
// the start (the node drawn double), each row ordered after the row above
// so that edges cross little; boxes sized to their labels; edges with their
// labels, arrowheads and line styles; clusters boxed with their label.
const svgNs = 'http://www.w3.org/2000/svg';
const charWidth = 7.2, lineHeight = 15, padding = 8, rowGap = 70, columnGap = 36;

const el = (name, attrs, text) => {
  const e = document.createElementNS(svgNs, name);
  for (const [k, v] of Object.entries(attrs)) e.setAttribute(k, v);
  if (text !== undefined) e.textContent = text;
  return e;
};

// Boxes fit their labels; a box alone in a cluster fits the cluster's too.
function sizes(graph) {
  for (const n of graph.nodes.values()) {
    const lines = (n.attrs.label ?? n.id).split('\n');
    n.lines = lines;
    n.width = Math.max(...lines.map((l) => l.length)) * charWidth + 2 * padding;
    n.height = lines.length * lineHeight + 2 * padding - 4;
  }
  for (const c of graph.clusters)
    for (const id of c.members) {
      const n = graph.nodes.get(id);
      if (n) n.width = Math.max(n.width, ((c.attrs.label || '').length * charWidth * 11) / 12 + 12 - 20 / c.members.length);
    }
}

// Rows by breadth-first distance over the edges taken both ways, starting
// from the start node, then from each node not reached yet.
function rows(graph) {
  const next = new Map([...graph.nodes.keys()].map((id) => [id, []]));
  for (const e of graph.edges) {
    next.get(e.from).push(e.to);
    next.get(e.to).push(e.from);
  }
  const start = [...graph.nodes.values()].find((n) => n.attrs.peripheries === '2') || graph.nodes.values().next().value;
  const row = new Map();
  let base = 0;
  for (const first of [start, ...graph.nodes.values()]) {
    if (!first || row.has(first.id)) continue;
    const queue = [first.id];
    row.set(first.id, base);
    for (let i = 0; i < queue.length; ++i)
      for (const to of next.get(queue[i]))
        if (!row.has(to)) row.set(to, row.get(queue[i]) + 1), queue.push(to);
    base = Math.max(...row.values()) + 1;
  }
  const out = [];
  for (const [id, r] of row) (out[r] ||= []).push(graph.nodes.get(id));
  // Each row in the order of the mean place of its neighbours above.
  for (let r = 1; r < out.length; ++r) {
    const place = new Map(out[r - 1].map((n, i) => [n.id, i]));
    const mean = (n) => {
      const above = next.get(n.id).filter((id) => place.has(id)).map((id) => place.get(id));
      return above.length ? above.reduce((a, b) => a + b) / above.length : Infinity;
    };
    out[r].sort((a, b) => mean(a) - mean(b));
  }
  return out.filter(Boolean);
}

function place(graph) {
  let y = 20;
  const laid = rows(graph);
  const width = Math.max(...laid.map((row) => row.reduce((w, n) => w + n.width + columnGap, 0)));
  for (const row of laid) {
    const rowWidth = row.reduce((w, n) => w + n.width + columnGap, -columnGap);
    let x = (width - rowWidth) / 2 + 20;
    const height = Math.max(...row.map((n) => n.height));
    for (const n of row) {
      n.x = x + n.width / 2;
      n.y = y + height / 2;
      x += n.width + columnGap;
    }
    y += height + rowGap;
  }
  return { width: width + 40, height: y };
}

// Where the line from a node's centre towards (tx, ty) leaves its box.
function border(n, tx, ty) {
  const dx = tx - n.x, dy = ty - n.y;
  const scale = Math.min(Math.abs((n.width / 2 + 3) / (dx || 1e-9)), Math.abs((n.height / 2 + 3) / (dy || 1e-9)));
  return [n.x + dx * Math.min(scale, 1), n.y + dy * Math.min(scale, 1)];
}

// The k-th edge between the same two nodes bends k steps aside.
function drawEdge(svg, graph, e, k) {
  const a = graph.nodes.get(e.from), b = graph.nodes.get(e.to);
  const [x1, y1] = border(a, b.x, b.y), [x2, y2] = border(b, a.x, a.y);
  const length = Math.hypot(x2 - x1, y2 - y1) || 1, bend = (k % 2 ? 1 : -1) * Math.ceil(k / 2) * 28;
  const cx = (x1 + x2) / 2 - ((y2 - y1) / length) * bend, cy = (y1 + y2) / 2 + ((x2 - x1) / length) * bend;
  const along = (t) => [(1 - t) * (1 - t) * x1 + 2 * (1 - t) * t * cx + t * t * x2, (1 - t) * (1 - t) * y1 + 2 * (1 - t) * t * cy + t * t * y2];
  const dash = { dashed: '6 4', dotted: '2 3' }[e.attrs.style];
  const heads = e.attrs.dir === 'both' ? ['url(#head)', 'url(#tail)'] : [e.attrs.arrowhead === 'none' ? '' : 'url(#head)', ''];
  const attrs = { d: `M${x1},${y1} Q${cx},${cy} ${x2},${y2}`, class: 'edge' + (e.attrs.style ? ' ' + e.attrs.style : '') };
  if (dash) attrs['stroke-dasharray'] = dash;
  if (heads[0]) attrs['marker-end'] = heads[0];
  if (heads[1]) attrs['marker-start'] = heads[1];
  svg.append(el('path', attrs));
  const label = (text, t) => {
    if (!text) return;
    const lines = text.split('\n');
    const [x, y] = along(t);
    lines.forEach((line, i) => svg.append(el('text', { x: x + 4, y: y + (i - lines.length / 2 + 0.8) * 12, class: 'edge-label' }, line)));
  };
  label(e.attrs.label, 0.5);
  label(e.attrs.taillabel, 0.2);
  label(e.attrs.headlabel, 0.8);
}

function drawNode(svg, n, onClick) {
  const g = el('g', { class: 'node', 'data-id': n.id });
  const x = n.x - n.width / 2, y = n.y - n.height / 2;
  const filled = (n.attrs.style || '').includes('filled');
  const box = { x, y, width: n.width, height: n.height, class: 'shape' + (filled ? ' filled' : '') };
  if (n.attrs.shape === 'note') box.class += ' note';
  if (n.attrs.shape !== 'plaintext') g.append(el('rect', box));
  if (n.attrs.peripheries === '2') g.append(el('rect', { x: x + 3, y: y + 3, width: n.width - 6, height: n.height - 6, class: 'shape inner' }));
  n.lines.forEach((line, i) =>
    g.append(el('text', { x: i === 0 ? n.x : x + padding, y: y + padding + 10 + i * lineHeight, class: i === 0 ? 'title' : 'line' }, line)),
  );
  if (onClick) g.addEventListener('click', () => onClick(n.id));
  svg.append(g);
}

function drawCluster(svg, graph, c) {
  const members = c.members.map((id) => graph.nodes.get(id)).filter(Boolean);
  if (!members.length) return;
  const left = Math.min(...members.map((n) => n.x - n.width / 2)) - 10, right = Math.max(...members.map((n) => n.x + n.width / 2)) + 10;
  const top = Math.min(...members.map((n) => n.y - n.height / 2)) - 24, bottom = Math.max(...members.map((n) => n.y + n.height / 2)) + 10;
  svg.append(el('rect', { x: left, y: top, width: right - left, height: bottom - top, rx: 8, class: 'cluster' }));
  svg.append(el('text', { x: left + 6, y: top + 14, class: 'cluster-label' }, c.attrs.label || ''));
}

// An SVG drawing of the graph; onClick(nodeId) for a click on a node.
export function drawGraph(graph, onClick) {
  sizes(graph);
  const { width, height } = place(graph);
  const svg = el('svg', { width, height, viewBox: `0 0 ${width} ${height}`, class: 'map' });
  const defs = el('defs', {});
  for (const [id, orient] of [['head', 'auto'], ['tail', 'auto-start-reverse']]) {
    const marker = el('marker', { id, viewBox: '0 0 10 10', refX: 9, refY: 5, markerWidth: 7, markerHeight: 7, orient });
    marker.append(el('path', { d: 'M0,0 L10,5 L0,10 z', class: 'arrow' }));
    defs.append(marker);
  }
  svg.append(defs);
  graph.clusters.forEach((c) => drawCluster(svg, graph, c));
  const pairs = new Map();
  for (const e of graph.edges) {
    const pair = [e.from, e.to].sort().join(' ');
    pairs.set(pair, (pairs.get(pair) ?? -1) + 1);
    drawEdge(svg, graph, e, pairs.get(pair));
  }
  for (const n of graph.nodes.values()) drawNode(svg, n, onClick);
  return svg;
}
