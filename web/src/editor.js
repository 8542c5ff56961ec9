// The editor's habits for the pack's texts, from CodeMirror's own packages: the look of each
// field as the engine reads it, formatted hovers and completion from the engine's field
// table, search and replace, go to line, next and previous problem (F8), per-file undo.
import { EditorState, StateField, StateEffect, RangeSetBuilder, Compartment } from '@codemirror/state';
import { EditorView, Decoration, keymap, lineNumbers, hoverTooltip, highlightActiveLine, drawSelection } from '@codemirror/view';
import { defaultKeymap, history, historyKeymap, indentWithTab } from '@codemirror/commands';
import { search, searchKeymap, gotoLine } from '@codemirror/search';
import { lintGutter, nextDiagnostic, previousDiagnostic, lintKeymap } from '@codemirror/lint';
import { autocompletion, snippetCompletion, completionKeymap } from '@codemirror/autocomplete';
import { t } from './i18n.js';

const KINDS = [null, 'keyword', 'value', 'extra', 'other', 'comment', 'header', 'text'];

// The look of a description: the engine's spots (line, begin, end, kind, record; five numbers
// a field) as marks, kept in place through edits until the engine's next answer.
export const setSpots = StateEffect.define();
const spotMarks = StateField.define({
  create: () => Decoration.none,
  update(marks, tr) {
    for (const e of tr.effects) if (e.is(setSpots)) return e.value;
    return marks.map(tr.changes);
  },
  provide: (f) => EditorView.decorations.from(f),
});

// The marks of spots found in doc, moved through changes made since.
export function spotDecorations(doc, spots, changes) {
  const b = new RangeSetBuilder();
  for (let k = 0; k + 4 < spots.length; k += 5) {
    const [line, begin, end, kind] = [spots[k], spots[k + 1], spots[k + 2], spots[k + 3]];
    if (line > doc.lines || end <= begin) continue;
    const l = doc.line(line);
    let from = Math.min(l.from + begin, l.to), to = Math.min(l.from + end, l.to);
    if (changes) (from = changes.mapPos(from, 1)), (to = changes.mapPos(to, -1));
    if (to > from) b.add(from, to, Decoration.mark({ class: `cm-f-${KINDS[kind]}` }));
  }
  return b.finish();
}

// A hover's contents from the field table: the record, the field's number and name as a
// title, its width, allowed values and unit, its meaning, and what becomes of other values.
export function hoverContent(where, table) {
  if (!where) return null;
  const dom = document.createElement('div');
  dom.className = 'hover';
  const add = (tag, text, cls) => {
    if (!text) return null;
    const e = dom.appendChild(document.createElement(tag));
    e.textContent = text;
    if (cls) e.className = cls;
    return e;
  };
  if (where.kind === 'header') {
    const h = table.headers.find((x) => x.header === where.header);
    add('div', where.header || '', 'title');
    add('p', h ? h.meaning : t('hover-header-unknown'));
    return dom;
  }
  if (where.kind === 'comment') return null;
  const record = table.records.find((r) => r.written === where.keyword);
  if (where.kind === 'other') {
    add('div', t('hover-no-record'), 'title');
    return dom;
  }
  if (!record) return null;
  if (where.kind === 'keyword') {
    add('div', t('hover-record', record.written, record.fields.length), 'title');
    add('p', record.meaning);
    const ol = dom.appendChild(document.createElement('ol'));
    for (const f of record.fields) ol.appendChild(document.createElement('li')).textContent = f.name;
    return dom;
  }
  if (where.kind === 'extra') {
    add('div', t('hover-extra', record.written, record.fields.length), 'title');
    return dom;
  }
  const f = record.fields[where.field - 1];
  if (!f) return null;
  const title = dom.appendChild(document.createElement('div'));
  title.className = 'title';
  title.append(`${record.written} · ${t('field-n', where.field, record.fields.length)} · `);
  title.appendChild(document.createElement('code')).textContent = f.name;
  add('div', [f.width, f.allowed, f.unit].filter(Boolean).join(' · '), 'facts');
  add('p', f.meaning);
  add('p', f.note, 'note');
  return dom;
}

// The status bar's words for a spot: "segnale · field 7 · dx".
export function spotWords(where, table) {
  if (!where) return '';
  if (where.kind === 'header') return where.header || '';
  if (where.kind === 'comment') return t('status-comment');
  if (where.kind === 'other') return t('status-no-record');
  const record = table && table.records.find((r) => r.written === where.keyword);
  if (!record) return '';
  if (where.kind === 'keyword') return record.written;
  if (where.kind === 'extra') return `${record.written} · ${t('status-past-fields')}`;
  const f = record.fields[where.field - 1];
  return `${record.written} · ${t('field-short', where.field)} · ${f ? f.name : ''}`;
}

// Completion at the start of a line: every record as a snippet of its fields, and every
// section header.
export function completionSource(tableOf) {
  return (ctx) => {
    const table = tableOf(ctx.state);
    if (!table) return null;
    const line = ctx.state.doc.lineAt(ctx.pos);
    const before = line.text.slice(0, ctx.pos - line.from);
    if (before.includes(',')) return null;
    const word = /[\w\[\] ]*$/.exec(before);
    const from = line.from + before.length - word[0].trimStart().length;
    if (!ctx.explicit && from === ctx.pos) return null;
    const options = table.records.map((r) =>
      snippetCompletion(r.snippet.replace(/\r?\n$/, ''), { label: r.written, detail: t('completion-fields', r.fields.length), info: r.meaning, type: 'keyword' }));
    for (const h of table.headers) options.push({ label: h.header, info: h.meaning, type: 'namespace' });
    return { from, options, validFor: /^[\w\[\] ]*$/ };
  };
}

export const wrapping = new Compartment();

// The extensions of one file's state. hooks: {changed(update), fieldAt(file, lineText, column)
// → Promise<spot>, table(file), file}.
export function extensions(file, text, hooks, wrap) {
  const list = [
    lineNumbers(), history(), drawSelection(), highlightActiveLine(), lintGutter(), search({ top: true }),
    wrapping.of(wrap ? EditorView.lineWrapping : []),
    keymap.of([
      { key: 'F8', run: nextDiagnostic }, { key: 'Shift-F8', run: previousDiagnostic },
      { key: 'Mod-Alt-g', run: gotoLine }, ...searchKeymap, ...completionKeymap, ...lintKeymap,
      ...defaultKeymap, ...historyKeymap, indentWithTab,
    ]),
    EditorView.updateListener.of(hooks.changed),
  ];
  if (file.endsWith('.txt')) {
    list.push(spotMarks);
    list.push(hoverTooltip(async (view, pos) => {
      const line = view.state.doc.lineAt(pos);
      const where = await hooks.fieldAt(file, line.text, pos - line.from);
      const dom = hoverContent(where, hooks.table(file));
      return dom ? { pos: line.from + (where.begin ?? pos - line.from), end: line.from + (where.end ?? pos - line.from), above: true, create: () => ({ dom }) } : null;
    }, { hoverTime: 250 }));
    if (file === 'line.txt' || file === 'train.txt')
      list.push(autocompletion({ override: [completionSource(() => hooks.table(file))], icons: false }));
  }
  // A file with CR LF line ends keeps them when it is saved.
  if (text.includes('\r\n')) list.push(EditorState.lineSeparator.of('\r\n'));
  return list;
}
