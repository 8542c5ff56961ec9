// Puts the styles, the example packs (base64), the fields of every record as the author
// documentation names them, the runners found in RUNNERS_DIR (base64), the engine and the
// bundle into the page.
//   node inline.mjs TEMPLATE CSS CORE_JS BUNDLE_JS EXAMPLES_DIR DOCS_DIR RUNNERS_DIR OUT
import fs from 'node:fs';
import path from 'node:path';

const [template, css, core, bundle, examples, docs, runnersDir, out] = process.argv.slice(2);

// The value fields of each record, from the headings ("### `pendenza, position, gradient`")
// and the field tables ("| 7 | `dx` | ... | meaning |") of the two format documents. The
// documentation's test keeps them to the keywords the compiler knows.
function recordFields(text) {
  const fields = {};
  let keys = [];
  for (const line of text.split('\n')) {
    const heading = /^#{2,3} `([^`]+)`/.exec(line);
    if (heading) {
      const [keyword, ...names] = heading[1].split(',').map((p) => p.trim());
      const words = keyword.replace(/<[^>]*>/g, '').split(' ');
      const last = words.pop();
      keys = last.split('|').map((alt) => [...words, alt].join(' '));
      if (keys[0] === 'curvas') keys.push('curvad');
      for (const k of keys) fields[k] = Object.fromEntries(names.map((n, i) => [i + 1, { name: n, meaning: '' }]));
      continue;
    }
    if (/^#/.test(line)) keys = [];
    const row = /^\| ([\d, ]+) \| `([^`]+)` \|(.*)\|\s*$/.exec(line);
    if (row && keys.length) {
      const meaning = row[3].split('|').pop().trim();
      for (const n of row[1].split(',').map(Number))
        for (const k of keys) fields[k][n] = { name: row[2], meaning };
    }
  }
  return fields;
}
const fields = {};
for (const f of ['line-description.md', 'train-description.md'])
  Object.assign(fields, recordFields(fs.readFileSync(path.join(docs, f), 'utf8')));
const packs = {};
for (const name of fs.readdirSync(examples).sort()) {
  const dir = path.join(examples, name);
  if (!fs.existsSync(path.join(dir, 'scenario.json'))) continue;
  packs[name] = {};
  for (const f of fs.readdirSync(dir)) if (f !== 'README.md') packs[name][f] = fs.readFileSync(path.join(dir, f)).toString('base64');
}
const runners = {};
for (const [target, file] of [['windows', 'scenario-runner-windows.exe'], ['linux', 'scenario-runner-linux']]) {
  const at = path.join(runnersDir, file);
  if (fs.existsSync(at)) runners[target] = fs.readFileSync(at).toString('base64');
}
// A script's text must not close its own element.
const safe = (s) => s.replace(/<\/script/gi, '<\\/script');
const parts = {
  STYLE: fs.readFileSync(css, 'utf8'),
  EXAMPLES: `window.STUDIO_EXAMPLES = ${JSON.stringify(packs)};\nwindow.STUDIO_FIELDS = ${JSON.stringify(fields)};`,
  RUNNERS: `window.STUDIO_RUNNERS = ${JSON.stringify(runners)};`,
  CORE: safe(fs.readFileSync(core, 'utf8')),
  BUNDLE: safe(fs.readFileSync(bundle, 'utf8')),
};
let page = fs.readFileSync(template, 'utf8');
for (const [key, text] of Object.entries(parts)) page = page.replace(`/*${key}*/`, () => text);
fs.writeFileSync(out, page);
