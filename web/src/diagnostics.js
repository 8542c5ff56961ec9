// The compiler's diagnostics, from the text it prints ("FILE:LINE:COL: error: message",
// then the source line and a caret; notes indented under their entry), as entries with a
// file of the pack, a line and a column.
const PLACE = /^(.*?):(?:(\d+):(\d+):)? (error|warning|note): (.*)$/;

function packFile(path) {
  const slash = path.lastIndexOf('/');
  return slash < 0 ? path : path.slice(slash + 1);
}

export function parseDiagnostics(text) {
  const entries = [];
  for (const raw of text.split('\n')) {
    const line = raw.replace(/^\s+/, '');
    const m = PLACE.exec(line);
    if (!m) continue;
    const entry = {
      file: packFile(m[1]),
      line: m[2] ? Number(m[2]) : 0,
      column: m[3] ? Number(m[3]) : 0,
      severity: m[4],
      message: m[5],
      notes: [],
    };
    if (m[4] === 'note' && entries.length) entries[entries.length - 1].notes.push(entry);
    else entries.push(entry);
  }
  return entries;
}

// Entries grouped by file, in the order of the files given, the others after them.
export function groupByFile(entries, files) {
  const groups = new Map(files.map((f) => [f, []]));
  for (const e of entries) {
    if (!groups.has(e.file)) groups.set(e.file, []);
    groups.get(e.file).push(e);
  }
  return [...groups].filter(([, list]) => list.length);
}

// The span an entry underlines in a document: from its column to the end of its field.
export function spanOf(doc, entry) {
  if (entry.line < 1 || entry.line > doc.lines) return { from: 0, to: Math.min(1, doc.length) };
  const line = doc.line(entry.line);
  const from = Math.min(line.from + Math.max(entry.column, 1) - 1, line.to);
  const comma = line.text.indexOf(',', from - line.from);
  const to = comma < 0 ? line.to : line.from + comma;
  return { from, to: Math.max(to, Math.min(from + 1, line.to)) };
}
