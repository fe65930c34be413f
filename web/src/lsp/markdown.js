// The little markdown the server's hovers and completion notes use: code
// blocks, inline code, bold, lists and paragraphs. Everything else is text.
function inline(text) {
  const escaped = text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');
  return escaped.replace(/`([^`]+)`/g, '<code>$1</code>').replace(/\*\*([^*]+)\*\*/g, '<b>$1</b>');
}

export function renderMarkdown(source) {
  const dom = document.createElement('div');
  dom.className = 'markdown';
  const html = [];
  const parts = source.split(/^```[^\n]*\n?/m);
  parts.forEach((part, i) => {
    if (i % 2 === 1) {
      html.push('<pre>' + inline(part.replace(/\n$/, '')).replace(/<\/?(code|b)>/g, '') + '</pre>');
      return;
    }
    for (const block of part.split(/\n\s*\n/)) {
      const lines = block.split('\n').filter((l) => l.trim());
      if (lines.length === 0) continue;
      if (lines.every((l) => /^\s*[-*] /.test(l)))
        html.push('<ul>' + lines.map((l) => '<li>' + inline(l.replace(/^\s*[-*] /, '')) + '</li>').join('') + '</ul>');
      else html.push('<p>' + lines.map(inline).join('<br>') + '</p>');
    }
  });
  dom.innerHTML = html.join('');
  return dom;
}
