// The scenario studio: the pack's files in CodeMirror tabs, compiled by the engine on every
// edit (debounced), its diagnostics under the text and in a list, the picture and the
// station table of the compiled files, open and save. Nothing leaves the page.
import { EditorState } from '@codemirror/state';
import { EditorView, keymap, lineNumbers, hoverTooltip, highlightActiveLine } from '@codemirror/view';
import { defaultKeymap, history, historyKeymap } from '@codemirror/commands';
import { syntaxHighlighting, defaultHighlightStyle } from '@codemirror/language';
import { setDiagnostics, lintGutter } from '@codemirror/lint';
import { zipSync, unzipSync } from 'fflate';
import { PACK_FILES, badInput, decodePack, encodePackFile, unencodable } from './text.js';
import { parseDiagnostics, groupByFile, spanOf } from './diagnostics.js';
import { descriptionLanguage } from './language.js';

const STORE_KEY = 'scenario-studio.pack';
const DEBOUNCE_MS = 15;
const VIEW_DELAY_MS = 150;
const $ = (id) => document.getElementById(id);

const app = {
  core: null,
  tables: null,
  fields: null,  // every field of both formats, from the engine's field table
  encoding: 'utf-8',
  states: new Map(), // file name -> EditorState
  active: 'line.txt',
  view: null,
  result: null,
  entries: [],
  pending: null,
  viewPending: null,
  editedAt: 0,
  latencies: [], // keystroke to updated diagnostics, ms
  compiled: 0,
};
window.studio = app;

// A message; one that says why the pack as it stands gets nothing goes with the next edit.
function message(text, untilEdit = false) {
  $('message').textContent = text;
  $('message').hidden = !text;
  app.messageUntilEdit = untilEdit;
}

// ---- the engine -------------------------------------------------------------------
function writePack(FS) {
  try {
    for (const f of FS.readdir('/pack')) if (f !== '.' && f !== '..') FS.unlink(`/pack/${f}`);
  } catch {
    FS.mkdir('/pack');
  }
  for (const [name, state] of app.states)
    FS.writeFile(`/pack/${name}`, encodePackFile(name, state.sliceDoc(), app.encoding));
}

function compile() {
  app.pending = null;
  writePack(app.core.FS);
  app.result = JSON.parse(app.core.compilePack('/pack'));
  if (!app.result.report && /line table holds/.test(app.result.text)) {
    // Descriptions longer than a pack's program can hold still compile as a pair: the
    // author sees both why the pack cannot be a program and what the compiler says.
    const pair = JSON.parse(app.core.compilePairOfPack('/pack'));
    app.result = { ...pair, text: app.result.text + pair.text, notAPack: true };
  }
  app.entries = parseDiagnostics(app.result.text);
  app.compiled++;
  showDiagnostics();
  if (app.editedAt) app.latencies.push(performance.now() - app.editedAt);
  app.editedAt = 0;
  // The picture and the table (some 70 ms for an example) follow when the typing pauses,
  // so that they never hold up the diagnostics of the next keystroke.
  clearTimeout(app.viewPending);
  app.viewPending = setTimeout(showViews, VIEW_DELAY_MS);
  saveLocally();
}

function showViews() {
  if (!app.result.files) return;
  const view = JSON.parse(app.core.scenarioView());
  if (view.error) message(`The compiled files could not be read back: ${view.error}`);
  showPicture(view.svg);
  showStations(view.stations || []);
}

function schedule() {
  if (app.messageUntilEdit) message('');
  app.editedAt = app.editedAt || performance.now();
  clearTimeout(app.pending);
  app.pending = setTimeout(compile, DEBOUNCE_MS);
}

// ---- the editor -------------------------------------------------------------------
function lintOf(file, doc) {
  const diags = app.entries.filter((e) => e.file === file && e.line > 0).map((e) => {
    const span = spanOf(doc, e);
    const fix = quickFix(e.message);
    return {
      ...span,
      severity: e.severity === 'note' ? 'info' : e.severity,
      message: e.message,
      actions: fix ? [{ name: `use '${fix}'`, apply: (view, from, to) => view.dispatch({ changes: { from, to, insert: fix } }) }] : [],
    };
  });
  if (file !== 'scenario.json')
    for (const m of unencodable(doc.toString()))
      diags.push({ ...m, severity: 'error', message: 'this character has no Windows-1252 byte' });
  return diags;
}

// The word a "did you mean '…'?" diagnostic offers, or null.
function quickFix(text) {
  const m = /did you mean '([^']+)'\?/.exec(text);
  return m ? m[1] : null;
}

// The record and field under a column of a line of a description, as the engine reads the
// line: {kind, keyword, field, fields, begin, end} or null.
const fieldAt = (file, text, column) => JSON.parse(app.core.fieldAt(file, text, column));

// A field's hover from the engine's field table: what it is, then its width, allowed values
// and unit, then what becomes of other values.
function hoverLines(where) {
  const records = app.fields[app.active === 'line.txt' ? 'line' : 'train'].records;
  const record = records.find((r) => r.written === where.keyword);
  if (where.kind === 'keyword') return [`${where.keyword}: a record of ${where.fields} values`, record.meaning,
    record.fields.map((f) => f.name).join(', ')];
  if (where.kind !== 'value') return [];
  const f = record.fields[where.field - 1];
  return [`${where.keyword} field ${where.field} is ${f.name}: ${f.meaning}`,
    [f.width, f.allowed, f.unit].filter(Boolean).join(' · '), f.note];
}

const hover = hoverTooltip((view, pos) => {
  const line = view.state.doc.lineAt(pos);
  const where = fieldAt(app.active, line.text, pos - line.from);
  const lines = where ? hoverLines(where).filter(Boolean) : [];
  if (!lines.length) return null;
  return {
    pos,
    create() {
      const dom = document.createElement('div');
      dom.className = 'hover';
      for (const text of lines) dom.appendChild(document.createElement('div')).textContent = text;
      return { dom };
    },
  };
});

function newState(name, text) {
  const extensions = [lineNumbers(), history(), highlightActiveLine(), lintGutter(),
    keymap.of([...defaultKeymap, ...historyKeymap]), syntaxHighlighting(defaultHighlightStyle), hover,
    EditorView.updateListener.of((u) => {
      if (u.docChanged) {
        app.states.set(app.active, u.state);
        schedule();
      }
    })];
  if (name === 'line.txt' || name === 'train.txt') extensions.push(descriptionLanguage(app.tables, name));
  // A file with CR LF line ends keeps them when it is saved.
  if (text.includes('\r\n')) extensions.push(EditorState.lineSeparator.of('\r\n'));
  return EditorState.create({ doc: text, extensions });
}

function showTab(name) {
  if (app.active) app.states.set(app.active, app.view.state);
  app.active = name;
  app.view.setState(app.states.get(name));
  app.view.dispatch(setDiagnostics(app.view.state, lintOf(name, app.view.state.doc)));
  for (const b of $('tabs').children) b.classList.toggle('active', b.dataset.file === name);
}

// Shows a file of the pack with what spanIn(doc) gives ({from, to}) selected and scrolled into view.
function selectIn(file, spanIn) {
  if (!app.states.has(file)) return;
  showTab(file);
  const { from, to } = spanIn(app.view.state.doc);
  app.view.dispatch({ selection: { anchor: from, head: to }, scrollIntoView: true });
  app.view.focus();
}

const goTo = (entry) => selectIn(entry.file, (doc) => spanOf(doc, entry));

function showDiagnostics() {
  app.view.dispatch(setDiagnostics(app.view.state, lintOf(app.active, app.view.state.doc)));
  const list = $('diagnostics');
  list.textContent = '';
  const groups = groupByFile(app.entries, [...app.states.keys()]);
  $('status').textContent = app.entries.length ? app.result.text.trim().split('\n').pop()
    : 'compiled: no diagnostics';
  for (const [file, entries] of groups) {
    const h = document.createElement('h3');
    h.textContent = file;
    list.append(h);
    for (const e of entries) {
      const item = document.createElement('div');
      item.className = `entry ${e.severity}`;
      const link = (x) => {
        const a = document.createElement('a');
        a.href = '#';
        a.textContent = `${x.line ? `${x.line}:${x.column}` : ''} ${x.severity}: ${x.message}`;
        a.onclick = (ev) => {
          ev.preventDefault();
          goTo(x);
        };
        return a;
      };
      item.append(link(e));
      for (const n of e.notes) item.append(document.createElement('br'), link(n));
      list.append(item);
    }
  }
}

// ---- views -------------------------------------------------------------------------
const viewBox = { scale: 1, x: 0, y: 0 };
let panned = false; // the pointer went down, moved the picture and came up: not a click
function showPicture(svg) {
  if (!svg) return;
  $('picture').innerHTML = svg;
  // The page's own tooltip tells what a feature is; the browser's late title would repeat it.
  for (const title of $('picture').querySelectorAll('g.feature > title')) title.remove();
  applyViewBox();
}
function applyViewBox() {
  const svg = $('picture').querySelector('svg');
  if (svg) svg.style.transform = `translate(${viewBox.x}px, ${viewBox.y}px) scale(${viewBox.scale})`;
}
function panZoom(el) {
  el.addEventListener('wheel', (e) => {
    e.preventDefault();
    viewBox.scale = Math.min(40, Math.max(0.2, viewBox.scale * (e.deltaY < 0 ? 1.2 : 1 / 1.2)));
    applyViewBox();
  }, { passive: false });
  let drag = null;
  el.addEventListener('pointerdown', (e) => {
    drag = { x: e.clientX - viewBox.x, y: e.clientY - viewBox.y, startX: e.clientX, startY: e.clientY, moved: false };
    panned = false;
  });
  el.addEventListener('pointermove', (e) => {
    if (!drag) return;
    // A hand's tremor while clicking is not a drag.
    if (!drag.moved && Math.hypot(e.clientX - drag.startX, e.clientY - drag.startY) < 4) return;
    if (!drag.moved) el.setPointerCapture(e.pointerId);
    drag.moved = true;
    viewBox.x = e.clientX - drag.x;
    viewBox.y = e.clientY - drag.y;
    applyViewBox();
  });
  el.addEventListener('pointerup', () => {
    panned = Boolean(drag && drag.moved);
    drag = null;
  });
  pictureFeatures(el);
}

// Hovering a feature of the picture shows what it is beside the pointer; a click on it goes
// to its record in the editor.
function pictureFeatures(el) {
  const tip = document.createElement('div');
  tip.className = 'picture-tip';
  tip.hidden = true;
  document.body.append(tip);
  el.addEventListener('pointermove', (e) => {
    const feature = e.buttons ? null : e.target.closest('g.feature');
    tip.hidden = !feature;
    if (!feature) return;
    tip.textContent = featureWords(feature.dataset).join('\n');
    const x = Math.min(e.clientX + 14, window.innerWidth - tip.offsetWidth - 4);
    const y = e.clientY + 18 + tip.offsetHeight > window.innerHeight ? e.clientY - tip.offsetHeight - 8 : e.clientY + 18;
    tip.style.left = `${Math.max(4, x)}px`;
    tip.style.top = `${Math.max(4, y)}px`;
  });
  el.addEventListener('pointerleave', () => (tip.hidden = true));
  el.addEventListener('click', (e) => {
    const feature = e.target.closest('g.feature');
    if (panned || !feature) return;
    const at = featureRecord(feature.dataset);
    if (at) goToLine(at.file, at.line);
  });
}

// A feature's data-* attributes as the lines of its tooltip.
function featureWords(d) {
  const [description, keyword] = (d.record || '').split(' ');
  const record = keyword ? `: ${keyword}${d.ordinal ? ` record ${d.ordinal}` : ''} in ${description}.txt` : '';
  const where = [d.section && `section ${d.section}`, `at ${d.position} m`, d.chainage && `chainage ${d.chainage}`];
  return [d.kind + record, where.filter(Boolean).join(', '), d.fields || ''].filter(Boolean);
}

// The file and line of a feature's record: the record of its keyword with its ordinal when
// that record gives the feature's position (features counted along the line follow their
// records' order only when the records run forward), else the record at that position, else
// the last record before the feature (a stretch's speed, gradient or mountain). null when
// there is none: a point the system placed by itself.
function featureRecord(d) {
  const [description, keyword] = (d.record || '').split(' ');
  const file = `${description}.txt`;
  if (!keyword || !app.states.has(file)) return null;
  const records = recordLines(file, keyword);
  const given = d.recordPosition === undefined ? null : Number(d.recordPosition);
  const near = (r) => given !== null && Math.abs(r.position - given) < 50;
  const byOrdinal = records[Number(d.ordinal) - 1];
  const found = (byOrdinal && (given === null || near(byOrdinal)) ? byOrdinal : null) || records.find(near) ||
    (given === null ? records.filter((r) => r.position <= Number(d.position)).sort((a, b) => b.position - a.position)[0] : null);
  return found ? { file, line: found.line } : null;
}

// The records of a keyword in a file of the pack, one a line as the editor finds them: each
// with its line and the position it gives (its first value).
function recordLines(file, keyword) {
  const doc = app.states.get(file).doc;
  const records = [];
  for (let n = 1; n <= doc.lines; n++) {
    const text = doc.line(n).text;
    if (fieldAt(file, text, 0)?.keyword === keyword) records.push({ line: n, position: Number(text.split(',')[1]) });
  }
  return records;
}

// Shows a file's line selected and scrolled into view.
const goToLine = (file, n) => selectIn(file, (doc) => doc.line(n));

function showStations(rows) {
  $('stations').innerHTML =
    '<tr><th>Slot</th><th>Station</th><th>Position (m)</th><th>Chainage</th><th>Time</th><th>Realistic run</th></tr>';
  for (const s of rows) {
    const tr = document.createElement('tr');
    for (const v of [s.slot, s.name, s.position, s.chainage, s.time, s.realistic]) {
      const td = document.createElement('td');
      td.textContent = v;
      tr.append(td);
    }
    // The time's hover: the fastest and the realistic run from the timed station before.
    if (s.leg) tr.children[4].title = s.leg;
    // Stations take the slots from 1 in the order of their records.
    tr.onclick = () => {
      const record = recordLines('train.txt', 'stazione')[s.slot - 1];
      if (record) goTo({ file: 'train.txt', line: record.line, column: 1 });
    };
    $('stations').append(tr);
  }
}


// ---- open, save, keep ---------------------------------------------------------------
function download(name, bytes, type = 'application/octet-stream') {
  const a = document.createElement('a');
  a.href = URL.createObjectURL(new Blob([bytes], { type }));
  a.download = name;
  a.click();
  setTimeout(() => URL.revokeObjectURL(a.href), 1000);
}

function packBytes() {
  const files = {};
  for (const [name, state] of app.states) files[name] = encodePackFile(name, state.sliceDoc(), app.encoding);
  return files;
}

function loadPack(raw) {
  if (!raw['scenario.json']) {
    message('This pack has no scenario.json: nothing was replaced. A pack is a folder with scenario.json, line.txt, train.txt and its documents.');
    return;
  }
  const { texts, encoding } = decodePack(raw);
  app.encoding = encoding;
  app.states = new Map();
  for (const name of PACK_FILES) app.states.set(name, newState(name, texts[name] ?? ''));
  $('tabs').textContent = '';
  for (const name of app.states.keys()) {
    const b = document.createElement('button');
    b.textContent = name;
    b.dataset.file = name;
    b.onclick = () => showTab(name);
    $('tabs').append(b);
  }
  app.active = null; // the tab shown before belongs to the pack replaced
  showTab('line.txt');
  compile();
}

async function openFiles(files) {
  const raw = {};
  const problems = [];
  for (const f of files) {
    const bytes = new Uint8Array(await f.arrayBuffer());
    if (f.name.endsWith('.zip')) {
      try {
        for (const [path, b] of Object.entries(unzipSync(bytes))) raw[path.split('/').pop()] = b;
      } catch (e) {
        problems.push(`${f.name}: not a zip archive (${e.message})`);
      }
      continue;
    }
    if (!PACK_FILES.includes(f.name)) continue;
    const bad = badInput(f.name, bytes);
    if (bad) problems.push(bad);
    else raw[f.name] = bytes;
  }
  message(problems.join('\n'));
  if (Object.keys(raw).length) loadPack(raw);
}

function saveLocally() {
  try {
    const texts = Object.fromEntries([...app.states].map(([n, s]) => [n, s.sliceDoc()]));
    localStorage.setItem(STORE_KEY, JSON.stringify({ encoding: app.encoding, texts }));
  } catch {
    // file:// pages without storage, or storage full: the author still has the page
  }
}

function storedPack() {
  try {
    const stored = JSON.parse(localStorage.getItem(STORE_KEY) || 'null');
    if (!stored) return null;
    return Object.fromEntries(Object.entries(stored.texts).map(([n, t]) => [n, encodePackFile(n, t, stored.encoding)]));
  } catch {
    return null;
  }
}

function wire() {
  $('open-files').onchange = (e) => openFiles([...e.target.files]);
  $('open-folder').onchange = (e) => openFiles([...e.target.files]);
  document.body.addEventListener('dragover', (e) => e.preventDefault());
  document.body.addEventListener('drop', (e) => {
    e.preventDefault();
    openFiles([...e.dataTransfer.files]);
  });
  $('save-zip').onclick = () => download(`${packName()}.zip`, zipSync(packBytes()), 'application/zip');
  $('save-files').onclick = () => {
    for (const [name, bytes] of Object.entries(packBytes())) download(name, bytes);
  };
  $('download-compiled').onclick = () => {
    const files = app.result && app.result.files;
    if (!files) {
      message('The pack does not compile: mend the errors listed, then download its compiled files.', true);
      return;
    }
    for (const f of files) if (app.core.compiledFile(f)) download(f, app.core.heldBytes().slice());
  };
  $('example').onchange = (e) => {
    if (e.target.value) loadPack(examplePack(e.target.value));
  };
  $('download-program').onclick = () => downloadProgram('windows');
  $('download-program-linux').onclick = () => downloadProgram('linux');
  panZoom($('picture'));
}

// The driver's program: the pack joined to a runner the page carries, as `scenario-pack
// build` joins them, byte for byte: the engine checks the pack as the build does and makes
// the payload, the browser hashes it, and the engine appends it to the runner. A pack with
// errors never gets a program.
async function downloadProgram(target) {
  if (app.pending) compile();
  const report = app.result && app.result.report;
  if (!report || report.exit_status !== 0 || !app.result.files || app.result.notAPack) {
    message('The pack has errors (listed under the editor): a program is made only from a pack that compiles.', true);
    return;
  }
  const runner = (window.STUDIO_RUNNERS || {})[target];
  if (!runner) {
    message(`This page carries no runner for ${target}: scenario-pack build makes the program.`);
    return;
  }
  if (!(globalThis.crypto && crypto.subtle)) {
    message('This browser gives the page no SHA-256 (crypto.subtle): scenario-pack build makes the program.');
    return;
  }
  const { FS } = app.core;
  const checked = JSON.parse(app.core.programPayload('/pack', '/check'));
  if (checked.problems) {
    message(`A program is not made from this pack, as scenario-pack build would not make one:\n${checked.diagnostics.replaceAll('/pack/', '')}`, true);
    return;
  }
  const payload = app.core.heldBytes().slice();
  const digest = [...new Uint8Array(await crypto.subtle.digest('SHA-256', payload))]
    .map((b) => b.toString(16).padStart(2, '0')).join('');
  FS.writeFile('/runner', Uint8Array.from(atob(runner), (c) => c.charCodeAt(0)));
  const error = app.core.joinProgram('/runner', digest);
  FS.unlink('/runner');
  if (error) {
    message(`The program could not be made: ${error}`);
    return;
  }
  const name = packName() + (target === 'windows' ? '.exe' : '');
  download(name, app.core.heldBytes().slice());
  message(target === 'linux' ? `${name}: make it executable (chmod +x ${name}) before the driver runs it.` : '');
}

function packName() {
  try {
    const m = JSON.parse(app.states.get('scenario.json').doc.toString());
    return `${m.line_name}_${m.train_number}`;
  } catch {
    return 'scenario';
  }
}

function examplePack(name) {
  const files = window.STUDIO_EXAMPLES[name];
  return Object.fromEntries(Object.entries(files).map(([n, b64]) => [n, Uint8Array.from(atob(b64), (c) => c.charCodeAt(0))]));
}

async function start() {
  app.core = await window.ScenarioStudioCore();
  app.tables = JSON.parse(app.core.recordTables());
  app.fields = JSON.parse(app.core.recordFields('en'));
  app.view = new EditorView({ parent: $('editor') });
  const select = $('example');
  for (const name of Object.keys(window.STUDIO_EXAMPLES)) select.append(new Option(name, name));
  wire();
  loadPack(storedPack() || examplePack('first-line'));
  document.body.dataset.ready = 'yes';
}

start().catch((e) => message(`The page could not start: ${e.message}`));
