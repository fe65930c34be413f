// Reads the Graphviz graphs zeltool map writes: a digraph of node and edge
// statements with attribute lists, default node attributes and subgraph
// clusters. A graph reader, nothing more: the graph's meaning is zeltool's.
function tokens(text) {
  const out = [];
  const pattern = /\s+|\/\/[^\n]*|"((?:[^"\\]|\\.)*)"|(->|[{}[\];,=])|([A-Za-z0-9_.\-]+)/gy;
  for (let m; pattern.lastIndex < text.length && (m = pattern.exec(text)); ) {
    if (m[1] !== undefined) out.push({ text: m[1].replace(/\\(.)/g, (_, c) => (c === 'n' || c === 'l' ? '\n' : c)) });
    else if (m[2] !== undefined) out.push({ punct: m[2] });
    else if (m[3] !== undefined) out.push({ text: m[3] });
    if (m[0] === '') break;
  }
  return out;
}

// {name, nodes: Map id -> {id, attrs, cluster}, edges: [{from, to, attrs}],
//  clusters: [{id, attrs, members}]}
export function parseDot(text) {
  const list = tokens(text);
  let at = 0;
  const peek = () => list[at];
  const isPunct = (p) => peek()?.punct === p;
  const graph = { name: '', nodes: new Map(), edges: [], clusters: [] };
  const defaults = {};

  const attributes = () => {
    const attrs = {};
    while (isPunct('[')) {
      ++at;
      while (peek() && !isPunct(']')) {
        const key = list[at++].text;
        if (isPunct('=')) {
          ++at;
          attrs[key] = list[at++]?.text;
        }
        if (isPunct(',') || isPunct(';')) ++at;
      }
      ++at;
    }
    return attrs;
  };
  const node = (id, cluster) => {
    if (!graph.nodes.has(id)) graph.nodes.set(id, { id, attrs: { ...defaults }, cluster });
    const n = graph.nodes.get(id);
    if (cluster) n.cluster = cluster;
    return n;
  };

  const statements = (cluster) => {
    while (peek() && !isPunct('}')) {
      const t = list[at++];
      if (t.punct) continue;
      if (t.text === 'subgraph') {
        const c = { id: peek()?.text, attrs: {}, members: [] };
        if (!isPunct('{')) ++at;
        ++at;
        graph.clusters.push(c);
        statements(c);
        ++at;
      } else if (t.text === 'node' && isPunct('[')) {
        Object.assign(defaults, attributes());
      } else if (isPunct('=')) {
        ++at;
        const value = list[at++]?.text;
        if (cluster) cluster.attrs[t.text] = value;
      } else if (isPunct('->')) {
        ++at;
        const to = list[at++].text;
        node(t.text, cluster);
        node(to, cluster);
        graph.edges.push({ from: t.text, to, attrs: attributes() });
      } else {
        const n = node(t.text, cluster);
        Object.assign(n.attrs, attributes());
        if (cluster && !cluster.members.includes(t.text)) cluster.members.push(t.text);
      }
    }
  };

  while (peek() && !isPunct('{')) {
    const t = list[at++];
    if (t.text && t.text !== 'digraph' && t.text !== 'graph' && t.text !== 'strict') graph.name = t.text;
  }
  ++at;
  statements(null);
  return graph;
}
