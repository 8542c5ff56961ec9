// The scenario studio: the author's packs side by side in the browser's storage, each file in
// a CodeMirror tab with its own undo, checked by the engine in its own thread on every edit as
// the pack's build checks it; the list, the underlines and the status from that one check; the
// picture and the station table of the last scenario that compiled, saying so when it is not
// the text as it stands. Nothing leaves the page.
import { EditorState, ChangeSet } from '@codemirror/state';
import { EditorView } from '@codemirror/view';
import { setDiagnostics } from '@codemirror/lint';
import { gotoLine, openSearchPanel } from '@codemirror/search';
import { zipSync, unzipSync } from 'fflate';
import { PACK_FILES, DESCRIPTIONS, readText, encodeWith, unencodable } from './text.js';
import { judged, counts, groupByFile, spanOf } from './diagnostics.js';
import { extensions, setSpots, spotDecorations, spotWords, wrapping } from './editor.js';
import { Engine } from './engine.js';
import { Picture } from './picture.js';
import * as store from './store.js';
import { t, setLanguage, language, chooseLanguage, translate } from './i18n.js';
import { TEMPLATE } from './template.js';

const $ = (id) => document.getElementById(id);
// The picture follows when the typing pauses: for three times as long as the picture took the
// last time (the engine cannot be interrupted while it draws), at least VIEW_AFTER_MS.
const VIEW_AFTER_MS = 300;
const SAVE_AFTER_MS = 300;

// The last 1000 of a series of figures.
function keep(series, value) {
  if (series.push(value) > 1000) series.shift();
}

// The longest time each of the page's own steps took on the main thread, ms.
const slowest = {};
function note(what, since) {
  slowest[what] = Math.max(slowest[what] || 0, performance.now() - since);
}
const app = {
  slowest,
  engine: null,
  fields: null, // the engine's field table in the page's language
  packs: [], // [{id, name}]
  pack: null, // {id, name, encoding, states: Map, active}
  view: null,
  entries: [], // the list, as the page shows it
  result: null,
  compiled: 0, // checks answered
  sent: new Map(), // file -> the Text sent to the engine
  since: new Map(), // file -> the changes made since it was sent
  dirty: new Set(), // files changed since the last check was sent
  reset: true, // the next check sends the whole pack
  checking: false,
  keyAt: 0, // the first keydown not yet answered
  latencies: [],
  timings: [], // [the engine's check, the page's showing of it], ms
  shown: null, // {packId, stale} of the picture
  wrap: false,
  spots: new Map(), // file -> the look the engine gave it
};
window.studio = app;

// ---- banners and questions ------------------------------------------------------------
function banner(text, kind = 'info') {
  const b = document.createElement('div');
  b.className = `banner ${kind}`;
  b.appendChild(document.createElement('span')).textContent = text;
  const close = b.appendChild(document.createElement('button'));
  close.textContent = '×';
  close.title = t('close');
  close.onclick = () => b.remove();
  $('banners').append(b);
  if (kind === 'info') setTimeout(() => b.remove(), 12000);
  return b;
}

// A question with buttons: resolves to the value of the button chosen, or '' for none.
function ask(text, buttons) {
  const d = $('ask');
  $('ask-text').textContent = text;
  const row = $('ask-buttons');
  row.textContent = '';
  for (const [value, label] of buttons) {
    const b = row.appendChild(document.createElement('button'));
    b.value = value;
    b.textContent = label;
    b.onclick = () => d.close(value);
  }
  d.returnValue = '';
  d.showModal();
  return new Promise((resolve) => d.addEventListener('close', () => resolve(d.returnValue), { once: true }));
}

// ---- the check --------------------------------------------------------------------------
function edited(file) {
  app.dirty.add(file);
  if (!app.checking) check();
}

async function check() {
  const pack = app.pack;
  const files = {};
  if (app.reset) for (const name of pack.states.keys()) app.dirty.add(name);
  for (const name of app.dirty) {
    const state = pack.states.get(name);
    files[name] = state ? state.sliceDoc() : null;
    if (state) {
      app.sent.set(name, state.doc);
      app.since.set(name, ChangeSet.empty(state.doc.length));
    }
  }
  const reset = app.reset;
  app.dirty.clear();
  app.reset = false;
  app.checking = true;
  const asked = app.keyAt;
  let answer;
  try {
    answer = await app.engine.ask('check', { files, reset, lang: language(), pack: pack.id });
  } catch (e) {
    banner(t('engine-failed', e.message), 'error');
    app.checking = false;
    return;
  }
  app.checking = false;
  if (pack !== app.pack) return; // another pack was opened meanwhile
  pack.encoding = answer.encoding;
  app.result = answer.result;
  app.compiled++;
  const shownAt = performance.now();
  show(reset);
  keep(app.timings, [answer.took, performance.now() - shownAt]);
  note('show', shownAt);
  if (asked && asked === app.keyAt && !app.dirty.size) {
    keep(app.latencies, performance.now() - asked);
    app.keyAt = 0;
  }
  if (app.dirty.size) check();
  else scheduleView();
}

// The pack's own entries beside the engine's: a character of a Windows-1252 pack's text that
// has no Windows-1252 byte cannot be written into the pack.
const unencodableIn = new WeakMap(); // Text -> its marks, found once
function pageEntries() {
  const out = [];
  if (app.pack.encoding !== 'windows-1252') return out;
  for (const [name, doc] of app.sent) {
    if (name === 'scenario.json') continue;
    if (!unencodableIn.has(doc)) {
      const text = doc.toString();
      // Most texts hold no character beyond Latin-1: one scan says so.
      unencodableIn.set(doc, /[^\x00-\x7f\xa0-\xff]/.test(text) ? unencodable(app.engine.high, text).slice(0, 100) : []);
    }
    for (const [from, to] of unencodableIn.get(doc)) {
      const l = doc.lineAt(from);
      const column = [...l.text.slice(0, from - l.from)].length + 1;
      out.push({ severity: 'error', code: 'pack-encoding', message: t('no-cp1252-byte'), file: name, line: l.number, column,
        end_line: l.number, end_column: column + 1, notes: [], fixes: [], page: true, span: { from, to } });
    }
  }
  return out;
}

function show(everything) {
  const r = app.result;
  app.entries = [...pageEntries(), ...(r.diagnostics || []).map(judged)];
  const key = JSON.stringify(app.entries);
  const changed = key !== app.shownKey;
  app.shownKey = key;
  // A file's marks change when its entries do; the file being edited always, as its marks
  // move with the text.
  for (const [name] of app.pack.states) if (everything || changed || name === app.pack.active) applyToFile(name);
  if (changed) showList();
  $('diagnostics').dataset.version = String(app.compiled);
  showStatus();
}

// The place of an entry in the file as it stands: found in the text the engine checked,
// moved through the edits made since.
function placed(file, p) {
  const doc = app.sent.get(file) || app.pack.states.get(file).doc;
  const span = p.span || spanOf(doc, p);
  const since = app.since.get(file);
  if (!since || since.empty) return span;
  return { from: since.mapPos(span.from, 1), to: Math.max(since.mapPos(span.from, 1), since.mapPos(span.to, -1)) };
}

const LINT = { error: 'error', warning: 'warning', hint: 'hint', info: 'info' };

function lintOf(file) {
  const out = [];
  for (const e of app.entries) {
    if (e.file !== file || !e.line) continue;
    const { from, to } = placed(file, e);
    out.push({
      from, to, severity: LINT[e.severity], source: e.code,
      message: e.refused ? `${e.message} (${t('refused', e.name)})` : e.message,
      actions: (e.fixes || []).map((f) => ({ name: f.title, apply: () => applyFix(f) })),
    });
  }
  return out;
}

function applyToFile(name) {
  update(name, setDiagnostics(app.pack.states.get(name), lintOf(name)));
}

function update(name, change) {
  if (name === app.pack.active) app.view.dispatch(change);
  else app.pack.states.set(name, app.pack.states.get(name).update(change).state);
}

// The look of the texts the engine last checked, moved through the edits made since.
function showLooks({ spots }) {
  const t0 = performance.now();
  try { showLooks0(spots); } finally { note('looks', t0); }
}
function showLooks0(spots) {
  for (const [name, found] of Object.entries(spots)) {
    const doc = app.sent.get(name);
    const state = app.pack.states.get(name);
    if (!doc || !state) continue;
    app.spots.set(name, { spots: found, doc });
    update(name, { effects: setSpots.of(spotDecorations(state.doc, found, doc === state.doc ? null : app.since.get(name))) });
  }
}

function applyFix(fix) {
  const state = app.pack.states.get(fix.file);
  if (!state) return;
  const { from, to } = placed(fix.file, { ...fix });
  const tr = { changes: { from, to, insert: fix.replacement } };
  if (fix.file === app.pack.active) app.view.dispatch(tr);
  else {
    const u = state.update(tr);
    app.pack.states.set(fix.file, u.state);
    noteChange(fix.file, u);
  }
}

function place(e) {
  return e.line ? `${e.line}:${e.column}` : '';
}

function showList() {
  const list = $('diagnostics');
  list.textContent = '';
  const groups = groupByFile(app.entries, [...app.pack.states.keys()]);
  for (const [file, entries] of groups) {
    list.appendChild(document.createElement('h3')).textContent = file || app.pack.name;
    for (const e of entries) {
      const item = list.appendChild(document.createElement('div'));
      item.className = `entry ${e.severity}`;
      const head = item.appendChild(document.createElement('a'));
      head.href = '#';
      head.className = 'head';
      head.textContent = `${place(e)} ${t(`severity-${e.severity}`)}: ${e.message}${e.refused ? ` (${t('refused', e.name)})` : ''}`;
      head.onclick = (ev) => {
        ev.preventDefault();
        goTo(e.file, e);
      };
      for (const f of e.fixes || []) {
        const b = item.appendChild(document.createElement('button'));
        b.className = 'fix';
        b.textContent = f.title;
        b.onclick = () => applyFix(f);
      }
      for (const n of e.notes || []) {
        const note = item.appendChild(document.createElement('div'));
        note.className = 'note';
        note.append(`${t('severity-note')}: ${n.message}`);
        if (n.file) {
          const a = note.appendChild(document.createElement('a'));
          a.href = '#';
          a.className = 'place';
          a.textContent = ` ${n.file}${n.line ? `:${n.line}:${n.column}` : ''}`;
          a.onclick = (ev) => {
            ev.preventDefault();
            goTo(n.file, n);
          };
        }
      }
    }
  }
}

function showStatus() {
  const c = counts(app.entries);
  const parts = [];
  if (c.error) parts.push(t(c.error === 1 ? 'errors-one' : 'errors-many', c.error));
  if (c.warning) parts.push(t(c.warning === 1 ? 'warnings-one' : 'warnings-many', c.warning));
  if (c.hint) parts.push(t('accepted-n', c.hint));
  const files = app.result && app.result.files;
  let text;
  if (c.error) text = `${parts.join(', ')}: ${t(files ? 'status-refused-compiled' : 'status-refused')}`;
  else text = `${t('status-clean')}${parts.length ? ` (${parts.join(', ')})` : ''}`;
  $('status').textContent = text;
  $('status').className = c.error ? 'bad' : 'good';
  $('status').title = text;
}

// ---- the picture and the table ----------------------------------------------------------
function scheduleView() {
  clearTimeout(app.viewTimer);
  app.viewing = false;
  if (!app.result || !app.result.files) {
    markShown();
    return;
  }
  app.viewing = true; // until the picture of this check is drawn
  app.viewTimer = setTimeout(async () => {
    if (app.checking || app.dirty.size) return scheduleView();
    const packId = app.pack.id;
    const asked = performance.now();
    const answer = await app.engine.ask('view', { lang: language() });
    app.viewTook = performance.now() - asked;
    app.viewing = false;
    app.views = (app.views || 0) + 1;
    if (packId !== app.pack.id) return;
    const t0 = performance.now();
    if (answer.error) banner(t('view-failed', answer.error), 'error');
    app.picture.show(answer.list);
    showStations(answer.stations);
    app.shown = { packId, compiled: app.compiled };
    markShown();
    if (!document.body.dataset.drawn) document.body.dataset.drawn = String(performance.now());
    note('view', t0);
  }, app.shown ? Math.min(3000, Math.max(VIEW_AFTER_MS, 3 * (app.viewTook || 0))) : 0);
}

// Whether the picture shows the pack as it stands: when the last check did not compile, it
// says it shows the last scenario that compiled; for another pack it goes blank.
function markShown() {
  const compiledNow = app.result && app.result.files;
  const ours = app.shown && app.shown.packId === app.pack.id;
  const note = $('views-note');
  document.body.dataset.picture = !ours ? 'blank' : compiledNow ? 'current' : 'stale';
  if (!ours) {
    app.picture.show(null);
    showStations([]);
    note.textContent = app.result && !compiledNow ? t('view-none') : '';
  } else note.textContent = compiledNow ? '' : t('view-stale');
  note.hidden = !note.textContent;
  const caption = app.picture.list && app.picture.list.words;
  $('picture-title').textContent = ours && caption ? `${caption[0]} · ${caption[1]}` : '';
}

function showStations(rows) {
  const table = $('stations');
  table.textContent = '';
  const head = table.appendChild(document.createElement('tr'));
  for (const id of ['st-slot', 'st-station', 'st-position', 'st-chainage', 'st-time', 'st-realistic'])
    head.appendChild(document.createElement('th')).textContent = t(id);
  for (const s of rows) {
    const tr = table.appendChild(document.createElement('tr'));
    for (const v of [s.slot, s.name, s.position, s.chainage, s.time, s.realistic]) tr.appendChild(document.createElement('td')).textContent = v;
    if (s.leg) tr.children[4].title = s.leg;
    // Stations take the slots from 1 in the order of their records.
    tr.onclick = () => {
      const r = recordLines('train.txt', 'stazione')[s.slot - 1];
      if (r) goToLine('train.txt', r.line);
    };
  }
}

// The records of a keyword in a description as the engine read its lines: each with its
// line and the position its first value gives.
function recordLines(file, keyword) {
  const look = app.spots.get(file);
  const state = app.pack.states.get(file);
  if (!look || !state || !app.fields) return [];
  const table = tableOf(file);
  const out = [];
  const { spots } = look;
  for (let k = 0; k + 4 < spots.length; k += 5) {
    if (spots[k + 3] !== 1 || !table.records[spots[k + 4]] || table.records[spots[k + 4]].written !== keyword) continue;
    const line = spots[k];
    if (line > state.doc.lines) continue;
    const text = state.doc.line(line).text;
    const end = spots[k + 2];
    out.push({ line, position: parseInt(text.slice(end + 1), 10) });
  }
  return out;
}

// A feature's words for its tooltip.
function featureWords(d) {
  const [description, keyword] = (d.record || '').split(' ');
  const record = keyword ? ` · ${t('feature-record', keyword, d.ordinal || '', `${description}.txt`)}` : '';
  const where = [d.section && t('feature-section', d.section), t('feature-at', d.position), d.chainage && t('feature-chainage', d.chainage)];
  return [d.kind + record, where.filter(Boolean).join(', '), d.fields || ''].filter(Boolean);
}

// The file and line of a feature's record (see the reader's data-* attributes).
function featureRecord(d) {
  const [description, keyword] = (d.record || '').split(' ');
  const file = `${description}.txt`;
  if (!keyword || !app.pack.states.has(file)) return null;
  const records = recordLines(file, keyword);
  const given = d.recordPosition === undefined ? null : Number(d.recordPosition);
  const near = (r) => given !== null && Math.abs(r.position - given) < 50;
  const byOrdinal = records[Number(d.ordinal) - 1];
  const found = (byOrdinal && (given === null || near(byOrdinal)) ? byOrdinal : null) || records.find(near) ||
    (given === null ? records.filter((r) => r.position <= Number(d.position)).sort((a, b) => b.position - a.position)[0] : null);
  return found ? { file, line: found.line } : null;
}

function pictureHover(feature, e) {
  const tip = $('picture-tip');
  tip.hidden = !feature;
  if (!feature) return;
  tip.textContent = featureWords(feature).join('\n');
  const x = Math.min(e.clientX + 14, window.innerWidth - tip.offsetWidth - 4);
  const y = e.clientY + 18 + tip.offsetHeight > window.innerHeight ? e.clientY - tip.offsetHeight - 8 : e.clientY + 18;
  tip.style.left = `${Math.max(4, x)}px`;
  tip.style.top = `${Math.max(4, y)}px`;
}

// ---- the editor -------------------------------------------------------------------------
const tableOf = (file) => app.fields && (file === 'line.txt' ? app.fields.line : file === 'train.txt' ? app.fields.train : null);

const fieldAt = async (file, line, column) => (await app.engine.ask('fieldAt', { file, line, column })).spot;

function noteChange(file, u) {
  const since = app.since.get(file);
  if (since) app.since.set(file, since.compose(u.changes));
  scheduleSave(file);
  edited(file);
}

function newState(name, text) {
  const hooks = {
    changed: (u) => {
      if (u.docChanged) {
        app.pack.states.set(name, u.state);
        noteChange(name, u);
      }
      if (u.docChanged || u.selectionSet) scheduleStatusBar();
    },
    fieldAt,
    table: tableOf,
  };
  return EditorState.create({ doc: text, extensions: extensions(name, text, hooks, app.wrap) });
}

let statusTimer = 0;
function scheduleStatusBar() {
  clearTimeout(statusTimer);
  statusTimer = setTimeout(async () => {
    const file = app.pack.active;
    const state = app.view.state;
    const pos = state.selection.main.head;
    const line = state.doc.lineAt(pos);
    const where = [`${t('line-col', line.number, pos - line.from + 1)}`];
    if (file.endsWith('.txt')) {
      const words = spotWords(await fieldAt(file, line.text, Math.max(0, pos - line.from - (pos > line.from && pos === line.to ? 1 : 0))), tableOf(file));
      if (words) where.unshift(words);
    }
    $('field-status').textContent = where.join('  ·  ');
  }, 60);
}

function showTab(name) {
  const pack = app.pack;
  if (pack.active && pack.states.has(pack.active) && app.view.state.doc === pack.states.get(pack.active).doc)
    pack.states.set(pack.active, app.view.state);
  pack.active = name;
  app.view.setState(pack.states.get(name));
  for (const b of $('tabs').children) b.classList.toggle('active', b.dataset.file === name);
  scheduleStatusBar();
}

function selectIn(file, spanIn) {
  if (!app.pack.states.has(file)) return;
  if (app.pack.active !== file) showTab(file);
  const { from, to } = spanIn(app.view.state.doc);
  app.view.dispatch({ selection: { anchor: from, head: to }, scrollIntoView: true });
  app.view.focus();
}

const goTo = (file, p) => selectIn(file, () => placed(file, p));
const goToLine = (file, n) => selectIn(file, (doc) => doc.line(Math.min(n, doc.lines)));

// ---- packs --------------------------------------------------------------------------------
function texts(names = [...app.pack.states.keys()]) {
  return Object.fromEntries(names.map((n) => [n, app.pack.states.get(n).sliceDoc()]));
}

let saveTimer = 0;
const unsaved = new Set(); // files edited since they were kept
function scheduleSave(file) {
  unsaved.add(file);
  clearTimeout(saveTimer);
  saveTimer = setTimeout(saveNow, SAVE_AFTER_MS);
}

function saveNow() {
  clearTimeout(saveTimer);
  if (!app.pack || !unsaved.size) return;
  const names = [...unsaved].filter((n) => app.pack.states.has(n));
  unsaved.clear();
  const pack = { encoding: app.pack.encoding, texts: texts(names), files: [...app.pack.states.keys()] };
  if (!store.save(app.pack.id, pack) && !app.warnedFull) {
    app.warnedFull = true;
    banner(t('storage-full'), 'error');
  }
}

function openPack(entry, stored) {
  if (app.pack) saveNow();
  const pack = { id: entry.id, name: entry.name, example: entry.example, encoding: stored.encoding || 'utf-8', states: new Map(), active: null };
  app.pack = pack;
  for (const name of PACK_FILES) pack.states.set(name, newState(name, stored.texts[name] ?? ''));
  for (const name of Object.keys(stored.texts)) if (!pack.states.has(name)) pack.states.set(name, newState(name, stored.texts[name]));
  app.sent = new Map();
  app.since = new Map();
  app.spots = new Map();
  app.dirty.clear();
  app.reset = true;
  app.result = null;
  app.shownKey = null;
  store.setCurrent(entry.id);
  const tabs = $('tabs');
  tabs.textContent = '';
  for (const name of pack.states.keys()) {
    const b = tabs.appendChild(document.createElement('button'));
    b.textContent = name;
    b.dataset.file = name;
    b.onclick = () => showTab(name);
  }
  showTab(stored.active && pack.states.has(stored.active) ? stored.active : 'train.txt');
  showPackList();
  check();
}

function showPackList() {
  const select = $('pack');
  select.textContent = '';
  for (const p of app.packs) select.append(new Option(p.name, p.id, false, p.id === app.pack.id));
  // The example menu names the example open, or none.
  const example = app.pack.example || '';
  $('example').value = window.STUDIO_EXAMPLES[example] ? example : '';
}

// A pack beside the others: its texts from the files' bytes, opened and kept.
function addPack(name, files, extra = {}) {
  const { entry, kept } = store.add(app.packs, name, { encoding: files.encoding, texts: files.texts }, extra);
  if (!kept && !app.warnedFull) banner(t('storage-full'), 'error');
  openPack(entry, files);
  return entry;
}

function examplePack(name) {
  const raw = Object.fromEntries(Object.entries(window.STUDIO_EXAMPLES[name]).map(([n, b64]) => [n, Uint8Array.from(atob(b64), (c) => c.charCodeAt(0))]));
  return decodeRaw(raw).files;
}

// Bytes by file name to a pack's texts: {files: {encoding, texts}, problems, found}.
function decodeRaw(raw) {
  let encoding = 'utf-8';
  try {
    encoding = JSON.parse(new TextDecoder().decode(raw['scenario.json'])).encoding === 'windows-1252' ? 'windows-1252' : 'utf-8';
  } catch {
    // the engine names what is wrong with the manifest
  }
  const texts = {}, problems = [], found = [];
  for (const [name, bytes] of Object.entries(raw)) {
    const r = readText(name, bytes, encoding, app.engine.high);
    if (r.problem) problems.push(t(r.problem, ...r.args));
    else {
      texts[name] = r.text;
      if (r.found) found.push(t(`found-${r.found}`, name));
    }
  }
  return { files: { encoding, texts }, problems, found };
}

// ---- opening files ------------------------------------------------------------------------
// Where a file goes: a file of the pack by its name; a description by its content; a zip, a
// folder or a manifest with its texts opens a new pack.
async function openFiles(files, how) {
  const raw = {};
  const loose = [];
  const problems = [];
  let zipName = '';
  for (const f of files) {
    const bytes = new Uint8Array(await f.arrayBuffer());
    if (/\.zip$/i.test(f.name)) {
      try {
        for (const [path, b] of Object.entries(unzipSync(bytes))) {
          const name = path.split('/').pop();
          if (PACK_FILES.includes(name)) raw[name] = b;
        }
        zipName = f.name.replace(/\.zip$/i, '');
      } catch (e) {
        problems.push(t('not-a-zip', f.name, e.message));
      }
    } else if (PACK_FILES.includes(f.name)) raw[f.name] = bytes;
    else loose.push({ name: f.name, bytes });
  }
  if (raw['scenario.json']) {
    const { files: decoded, problems: p, found } = decodeRaw(raw);
    problems.push(...p);
    for (const l of loose) problems.push(t('ignored-file', l.name));
    if (problems.length) banner(problems.join('\n'), 'error');
    if (found.length) banner(found.join('\n'));
    const name = store.nameOf(decoded.texts) || zipName || t('opened-pack');
    addPack(name, decoded);
    banner(t('opened-as-pack', name));
    return;
  }
  if (problems.length) banner(problems.join('\n'), 'error');
  // Files without a manifest go into the pack open: by name, else a description by content.
  for (const [name, bytes] of Object.entries(raw)) loose.push({ name, bytes, named: true });
  for (const l of loose) await openInto(l, how);
}

async function openInto({ name, bytes, named }, how) {
  const r = readText(name, bytes, app.pack.encoding, app.engine.high);
  if (r.problem) return banner(t(r.problem, ...r.args), 'error');
  let target = named ? name : null;
  if (!target) {
    const { kind } = await app.engine.ask('kind', { text: r.text });
    target = kind ? `${kind}.txt` : null;
    if (!target) return banner(t('not-a-description', name), 'error');
  }
  const state = app.pack.states.get(target);
  const current = state ? state.sliceDoc() : '';
  if (current.trim() && current !== r.text) {
    const choice = await ask(t('replace-question', name, target, app.pack.name), [['replace', t('replace')], ['new', t('as-new-pack')], ['', t('cancel')]]);
    if (!choice) return;
    if (choice === 'new') {
      const base = texts();
      base[target] = r.text;
      addPack(`${app.pack.name} · ${name}`, { encoding: app.pack.encoding, texts: base });
      return banner(t('went-to', name, target, app.pack.name));
    }
  }
  replaceText(target, r.text);
  banner(t('went-to', name, target, app.pack.name) + (r.found ? `\n${t(`found-${r.found}`, name)}` : '') + (how === 'drop' && !named ? `\n${t('by-content')}` : ''));
}

// A file's whole text replaced as one edit: undo brings the old one back.
function replaceText(file, text) {
  if (file !== app.pack.active) showTab(file);
  app.view.dispatch({ changes: { from: 0, to: app.view.state.doc.length, insert: text } });
}

// ---- downloads -----------------------------------------------------------------------------
function download(name, bytes, type = 'application/octet-stream') {
  const a = document.createElement('a');
  a.href = URL.createObjectURL(new Blob([bytes], { type }));
  a.download = name;
  a.click();
  setTimeout(() => URL.revokeObjectURL(a.href), 1000);
}

function packBytes() {
  const files = {};
  for (const [name, state] of app.pack.states) files[name] = encodeWith(app.engine.high, name, state.sliceDoc(), app.pack.encoding);
  return files;
}

function packName() {
  return store.nameOf(texts()) || 'scenario';
}

// Waits until the engine has checked the text as it stands.
async function settled() {
  while (app.checking || app.dirty.size) await new Promise((r) => setTimeout(r, 20));
}

async function downloadCompiled() {
  await settled();
  const answer = await app.engine.ask('compiled');
  if (!answer.files) {
    const c = counts(app.entries);
    banner(t('compiled-none', c.error), 'error');
    return;
  }
  for (const [name, bytes] of Object.entries(answer.files)) download(name, bytes);
}

// The driver's program: the pack joined to a runner the page carries, as scenario-pack build
// joins them, byte for byte. A pack with problems never gets a program.
async function downloadProgram(target) {
  await settled();
  const c = counts(app.entries);
  if (c.error) return banner(t('program-refused', c.error), 'error');
  const runner = document.getElementById(`runner-${target}`);
  if (!runner || !runner.textContent.trim()) return banner(t('no-runner', target), 'error');
  if (!(globalThis.crypto && crypto.subtle)) return banner(t('no-sha256'), 'error');
  const checked = await app.engine.ask('payload');
  if (checked.problems) return banner(t('program-refused', checked.problems), 'error');
  const digest = [...new Uint8Array(await crypto.subtle.digest('SHA-256', checked.payload))].map((b) => b.toString(16).padStart(2, '0')).join('');
  const made = await app.engine.ask('join', { runner: runner.textContent.trim(), digest });
  if (made.error) return banner(t('program-failed', made.error), 'error');
  const name = packName() + (target === 'windows' ? '.exe' : '');
  download(name, made.program);
  if (target === 'linux') banner(t('chmod', name));
}

// ---- docs and the first run -----------------------------------------------------------------
function showDoc(name, anchor) {
  const docs = window.STUDIO_DOCS || {};
  const doc = docs[name] || docs['README.md'];
  if (!doc) return;
  const panel = $('docs');
  $('docs-body').innerHTML = doc.html;
  $('docs-index').textContent = '';
  for (const [n, d] of Object.entries(docs)) {
    const a = $('docs-index').appendChild(document.createElement('a'));
    a.href = '#';
    a.textContent = d.title;
    a.dataset.doc = n;
    a.className = n === name ? 'active' : '';
  }
  panel.hidden = false;
  const target = anchor && $('docs-body').querySelector(`[id="${CSS.escape(anchor)}"]`);
  if (target) target.scrollIntoView();
  else $('docs-body').scrollTop = 0;
}

function wireDocs() {
  $('docs').addEventListener('click', (e) => {
    const a = e.target.closest('a');
    if (!a) return;
    const href = a.getAttribute('href') || '';
    if (a.dataset.doc) {
      e.preventDefault();
      showDoc(a.dataset.doc);
    } else if (/^[\w-]+\.md(#.*)?$/.test(href)) {
      e.preventDefault();
      const [n, anchor] = href.split('#');
      showDoc(n, anchor);
    } else if (href.startsWith('#')) {
      e.preventDefault();
      const target = $('docs-body').querySelector(`[id="${CSS.escape(href.slice(1))}"]`);
      if (target) target.scrollIntoView();
    }
  });
  $('docs-close').onclick = () => ($('docs').hidden = true);
  $('help').onclick = () => showDoc('README.md');
  $('first-run').addEventListener('click', (e) => {
    const a = e.target.closest('a[data-doc]');
    if (a) {
      e.preventDefault();
      showDoc(a.dataset.doc);
    }
  });
  $('first-run-close').onclick = () => {
    $('first-run').hidden = true;
    try {
      localStorage.setItem('scenario-studio.welcomed', '1');
    } catch {
      // shown again next time
    }
  };
}

// ---- layout ------------------------------------------------------------------------------------
function wireLayout() {
  const split = $('split');
  split.addEventListener('pointerdown', (e) => {
    e.preventDefault();
    split.setPointerCapture(e.pointerId);
    const move = (ev) => {
      const w = document.querySelector('main').clientWidth;
      const left = Math.min(w, Math.max(200, ev.clientX));
      document.documentElement.style.setProperty('--left', `${(left / w) * 100}%`);
    };
    split.addEventListener('pointermove', move);
    split.addEventListener('pointerup', () => split.removeEventListener('pointermove', move), { once: true });
  });
  $('editor-only').onclick = () => {
    const only = document.body.classList.toggle('editor-only');
    $('editor-only').setAttribute('aria-pressed', String(only));
    app.picture.request();
  };
  $('wrap').onclick = () => {
    app.wrap = !app.wrap;
    $('wrap').setAttribute('aria-pressed', String(app.wrap));
    const ext = app.wrap ? EditorView.lineWrapping : [];
    for (const [name, state] of app.pack.states)
      if (name !== app.pack.active) app.pack.states.set(name, state.update({ effects: wrapping.reconfigure(ext) }).state);
    app.view.dispatch({ effects: wrapping.reconfigure(ext) });
  };
  $('goto').onclick = () => gotoLine(app.view);
  $('find').onclick = () => openSearchPanel(app.view);
  for (const b of $('view-tabs').querySelectorAll('button[data-view]')) {
    b.onclick = () => {
      for (const o of $('view-tabs').querySelectorAll('button[data-view]')) o.classList.toggle('active', o === b);
      const view = b.dataset.view;
      $('stations-pane').hidden = view !== 'stations';
      $('picture-pane').hidden = view === 'stations';
      if (view !== 'stations') app.picture.setView(view);
    };
  }
  $('fit').onclick = () => app.picture.fit();
  $('reset').onclick = () => app.picture.reset();
}

// ---- start ----------------------------------------------------------------------------------------
function wire() {
  // A menu closes once a choice is made in it, or a click lands elsewhere.
  document.addEventListener('click', (e) => {
    for (const m of document.querySelectorAll('details.menu[open]'))
      if (!m.contains(e.target) || (e.target.closest('button, input') && m.contains(e.target))) m.open = false;
  });
  $('open-files').onchange = (e) => openFiles([...e.target.files], 'open').finally(() => (e.target.value = ''));
  $('open-folder').onchange = (e) => openFiles([...e.target.files], 'open').finally(() => (e.target.value = ''));
  document.addEventListener('dragover', (e) => e.preventDefault());
  // A file dropped anywhere, the editor's text included, opens by its name or content.
  document.addEventListener('drop', (e) => {
    e.preventDefault();
    e.stopPropagation();
    if (e.dataTransfer.files.length) openFiles([...e.dataTransfer.files], 'drop');
  }, true);
  $('save-zip').onclick = () => download(`${packName()}.zip`, zipSync(packBytes()), 'application/zip');
  $('save-files').onclick = () => {
    for (const [name, bytes] of Object.entries(packBytes())) download(name, bytes);
  };
  $('download-compiled').onclick = downloadCompiled;
  $('download-program').onclick = () => downloadProgram('windows');
  $('download-program-linux').onclick = () => downloadProgram('linux');
  $('example').onchange = (e) => {
    const name = e.target.value;
    if (!name) return;
    addPack(name, examplePack(name), { example: name });
    banner(t('example-opened', name));
  };
  $('new-pack').onclick = () => addPack(t('new-pack-name'), { encoding: 'utf-8', texts: { ...TEMPLATE } });
  $('pack').onchange = (e) => {
    const entry = app.packs.find((p) => p.id === e.target.value);
    const stored = entry && store.load(entry.id);
    if (stored) openPack(entry, stored);
  };
  $('rename-pack').onclick = async () => {
    const name = prompt(t('rename-question'), app.pack.name);
    if (!name || !name.trim()) return;
    app.pack.name = store.freeName(app.packs.filter((p) => p.id !== app.pack.id), name.trim());
    store.rename(app.packs, app.pack.id, app.pack.name);
    showPackList();
  };
  $('remove-pack').onclick = async () => {
    if (app.packs.length < 2) return banner(t('remove-last'));
    if ((await ask(t('remove-question', app.pack.name), [['remove', t('remove')], ['', t('cancel')]])) !== 'remove') return;
    store.remove(app.packs, app.pack.id);
    app.pack = null;
    const next = app.packs[app.packs.length - 1];
    openPack(next, store.load(next.id));
  };
  $('lang').onchange = (e) => {
    setLanguage(e.target.value);
    try {
      localStorage.setItem('scenario-studio.lang', e.target.value);
    } catch {
      // the browser's language decides next time
    }
    relabel();
  };
  // Keystroke to list: from the keydown event itself, not from when a handler runs.
  document.addEventListener('keydown', (e) => {
    if (!app.keyAt && e.target.closest && e.target.closest('#editor')) app.keyAt = e.timeStamp;
  }, true);
  addEventListener('pagehide', saveNow);
  document.addEventListener('visibilitychange', () => document.visibilityState === 'hidden' && saveNow());
  wireDocs();
  wireLayout();
}

async function relabel() {
  translate(document);
  document.documentElement.lang = language();
  app.fields = (await app.engine.ask('fields', { lang: language() })).fields;
  if (app.pack) {
    app.reset = true;
    check();
  }
}

async function start() {
  let lang = null;
  try {
    lang = localStorage.getItem('scenario-studio.lang');
  } catch {
    // no storage: the browser's language
  }
  setLanguage(chooseLanguage(lang, navigator.languages || [navigator.language]));
  $('lang').value = language();
  translate(document);
  document.documentElement.lang = language();
  app.engine = new Engine($('core').textContent, $('worker').textContent);
  app.engine.onnews = (news) => news.op === 'spots' && app.pack && news.pack === app.pack.id && showLooks(news);
  app.view = new EditorView({ parent: $('editor') });
  app.picture = new Picture($('picture'), { onHover: pictureHover, onClick: (f) => {
    const r = featureRecord(f);
    if (r) goToLine(r.file, r.line);
  } });
  const select = $('example');
  for (const name of Object.keys(window.STUDIO_EXAMPLES)) select.append(new Option(name, name));
  wire();
  await app.engine.ready;
  app.fields = (await app.engine.ask('fields', { lang: language() })).fields;
  app.packs = store.packs();
  const current = app.packs.find((p) => p.id === store.current()) || app.packs[app.packs.length - 1];
  const stored = current && store.load(current.id);
  if (stored) openPack(current, stored);
  else addPack('first-line', examplePack('first-line'), { example: 'first-line' });
  let welcomed = false;
  try {
    welcomed = Boolean(localStorage.getItem('scenario-studio.welcomed'));
  } catch {
    // shown
  }
  $('first-run').hidden = welcomed;
  document.body.dataset.ready = 'yes';
}

start().catch((e) => banner(t('start-failed', e.message), 'error'));
