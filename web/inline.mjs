// Puts the styles, the example packs (base64), the runners found in RUNNERS_DIR (base64), the
// engine and the bundle into the page. The fields of every record come from the engine.
//   node inline.mjs TEMPLATE CSS CORE_JS BUNDLE_JS EXAMPLES_DIR RUNNERS_DIR OUT
import fs from 'node:fs';
import path from 'node:path';

const [template, css, core, bundle, examples, runnersDir, out] = process.argv.slice(2);

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
  EXAMPLES: `window.STUDIO_EXAMPLES = ${JSON.stringify(packs)};`,
  RUNNERS: `window.STUDIO_RUNNERS = ${JSON.stringify(runners)};`,
  CORE: safe(fs.readFileSync(core, 'utf8')),
  BUNDLE: safe(fs.readFileSync(bundle, 'utf8')),
};
let page = fs.readFileSync(template, 'utf8');
for (const [key, text] of Object.entries(parts)) page = page.replace(`/*${key}*/`, () => text);
fs.writeFileSync(out, page);
