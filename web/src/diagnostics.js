// The engine's diagnostics (checkPack's "diagnostics", one entry of the model each) judged as
// the pack's build judges them, and placed in the editor's texts. Pure functions: no
// message is ever read, only the entries' fields.

// An entry as the page shows it: a warning that scenario.json does not accept refuses the
// pack, so it is an error (refused); an accepted one is a hint; a note of its own is a note.
export function judged(d) {
  if (d.severity === 'warning' && !d.accepted) return { ...d, severity: 'error', refused: true };
  if (d.severity === 'warning') return { ...d, severity: 'hint' };
  if (d.severity === 'note') return { ...d, severity: 'info' };
  return d;
}

// What the status says: the counts of the list, never anything else.
export function counts(entries) {
  const c = { error: 0, warning: 0, hint: 0, info: 0 };
  for (const e of entries) c[e.severity]++;
  return c;
}

// Entries grouped by file, in the order of the files given, the others after them; entries
// without a file under ''.
export function groupByFile(entries, files) {
  const groups = new Map(files.map((f) => [f, []]));
  for (const e of entries) {
    const f = e.file || '';
    if (!groups.has(f)) groups.set(f, []);
    groups.get(f).push(e);
  }
  return [...groups].filter(([, list]) => list.length);
}

// The offset in doc (a CodeMirror Text) of a line and a column of the model: columns count
// characters (a character beyond the 16-bit range takes two units of the editor). A line
// past the end is the end.
export function offsetOf(doc, line, column) {
  if (line < 1) return 0;
  if (line > doc.lines) return doc.length;
  const l = doc.line(line);
  let at = 0;
  for (let c = 1; c < column && at < l.text.length; c++) at += l.text.codePointAt(at) > 0xffff ? 2 : 1;
  return l.from + at;
}

// The span of a place in doc: {from, to}; a place without a span (line 0, or an empty span)
// marks one character where it stands.
export function spanOf(doc, p) {
  if (!p || !p.line) return { from: 0, to: Math.min(1, doc.length) };
  const from = offsetOf(doc, p.line, p.column || 1);
  let to = p.end_line ? offsetOf(doc, p.end_line, p.end_column) : from;
  if (to <= from) to = Math.min(from + 1, doc.lineAt(from).to) || from;
  return { from, to: Math.max(from, to) };
}
