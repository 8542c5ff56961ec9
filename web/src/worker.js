// The engine's thread: the page's main thread only edits and draws. It holds the pack's texts
// as the editor last sent them, writes them into the engine's memory file system in the
// pack's encoding, checks the pack in one call, and answers what the editor asks of the
// engine (a field under the cursor, the look of each line, the compiled files, a program).
// The engine's script stands before this one in the worker's source: ScenarioStudioCore.
import { encodeWith, manifestEncoding } from './text.js';
import { svgToList } from './picture_list.js';

const texts = new Map(); // file name -> text
let after = null; // what follows the answer just sent
let encoding = 'utf-8';
let core = null;
let high = '';

// Writes the files named (all of them with everything) as they now stand; a file no longer
// in the pack is removed.
function writePack(names, everything) {
  const { FS } = core;
  if (everything) {
    try {
      for (const f of FS.readdir('/pack')) if (f !== '.' && f !== '..') FS.unlink(`/pack/${f}`);
    } catch {
      FS.mkdir('/pack');
    }
  }
  for (const name of everything ? texts.keys() : names) {
    if (texts.has(name)) FS.writeFile(`/pack/${name}`, encodeWith(high, name, texts.get(name), encoding));
    else if (!everything) {
      try {
        FS.unlink(`/pack/${name}`);
      } catch {
        // never written
      }
    }
  }
}

// The look of a description's lines, as an Int32Array of five numbers a field.
const spotsOf = (file) => new Int32Array(core.fieldSpots(file, texts.get(file) || ''));

const ops = {
  // files: the texts changed since the last check (a name with null: gone); reset: these are
  // the whole pack.
  check({ files, reset, lang, pack }) {
    if (reset) texts.clear();
    for (const [name, text] of Object.entries(files)) {
      if (text === null) texts.delete(name);
      else texts.set(name, text);
    }
    const was = encoding;
    encoding = manifestEncoding(texts.get('scenario.json'), encoding);
    const started = performance.now();
    writePack(Object.keys(files), reset || was !== encoding);
    const result = JSON.parse(core.checkPack('/pack', lang));
    // The look of the texts changed follows the diagnostics, in a message of its own.
    const looks = Object.keys(files).filter((name) => name.endsWith('.txt') && texts.has(name));
    if (looks.length) after = () => {
      const spots = Object.fromEntries(looks.map((name) => [name, spotsOf(name)]));
      postMessage({ op: 'spots', spots, pack }, Object.values(spots).map((s) => s.buffer));
    };
    return { result, encoding, took: performance.now() - started };
  },
  view({ lang }) {
    const t0 = performance.now();
    const view = JSON.parse(core.scenarioView(lang || 'en'));
    const t1 = performance.now();
    const list = view.svg ? svgToList(view.svg) : null;
    if (list) list.took = [t1 - t0, performance.now() - t1, view.svg.length];
    return { list, stations: view.stations || [], error: view.error || null, transfer: list ? [list.nums.buffer, list.at.buffer, list.boxes.buffer] : [] };
  },
  fieldAt: ({ file, line, column }) => ({ spot: JSON.parse(core.fieldAt(file, line, column)) }),
  fields: ({ lang }) => ({ fields: JSON.parse(core.recordFields(lang)) }),
  kind: ({ text }) => ({ kind: core.descriptionKind(text) }),
  // What scenario-compile --pack writes: the compiled files, or the reason for none.
  compiled() {
    const outcome = JSON.parse(core.compilePack('/pack'));
    if (!outcome.files) return { files: null, outcome };
    const files = {};
    for (const f of outcome.files) if (core.compiledFile(f)) files[f] = core.heldBytes().slice();
    return { files, outcome, transfer: Object.values(files).map((b) => b.buffer) };
  },
  // The program's payload as scenario-pack build checks and makes it, or its problems.
  payload() {
    const checked = JSON.parse(core.programPayload('/pack', '/check'));
    if (checked.problems) return { problems: checked.problems };
    const payload = core.heldBytes().slice();
    return { payload };
  },
  // The runner comes as the page carries it, in base64: decoded only for a download.
  join({ runner, digest }) {
    core.FS.writeFile('/runner', Uint8Array.from(atob(runner), (c) => c.charCodeAt(0)));
    const error = core.joinProgram('/runner', digest);
    core.FS.unlink('/runner');
    if (error) return { error };
    const program = core.heldBytes().slice();
    return { program, transfer: [program.buffer] };
  },
};

const started = (async () => {
  core = await self.ScenarioStudioCore();
  high = core.windows1252High();
  postMessage({ op: 'ready', high });
})();

self.onmessage = async ({ data }) => {
  await started;
  try {
    const { transfer = [], ...reply } = ops[data.op](data);
    postMessage({ id: data.id, ...reply }, transfer);
  } catch (e) {
    postMessage({ id: data.id, failed: String(e && e.message ? e.message : e) });
  }
  if (after) {
    const then = after;
    after = null;
    then();
  }
};
