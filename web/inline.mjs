// Puts the styles, the example packs (base64), the docs for authors (rendered to HTML), the
// engine and the worker's script (as text: the page starts its worker from them), the page's
// bundle and the runners found in RUNNERS_DIR (base64, as data: decoded only for a download)
// into the page.
//   node inline.mjs TEMPLATE CSS CORE_JS WORKER_JS BUNDLE_JS EXAMPLES_DIR DOCS_DIR RUNNERS_DIR OUT
import fs from 'node:fs';
import path from 'node:path';
import { Marked } from 'marked';

const [template, css, core, worker, bundle, examples, docsDir, runnersDir, out] = process.argv.slice(2);

const packs = {};
for (const name of fs.readdirSync(examples).sort()) {
  const dir = path.join(examples, name);
  if (!fs.existsSync(path.join(dir, 'scenario.json'))) continue;
  packs[name] = {};
  for (const f of fs.readdirSync(dir)) if (f !== 'README.md') packs[name][f] = fs.readFileSync(path.join(dir, f)).toString('base64');
}

// A heading's id as the docs' links name it: lower case, punctuation gone, spaces to hyphens.
const slug = (text) => text.toLowerCase().replace(/<[^>]*>/g, '').replace(/[^\p{L}\p{N}\- _]/gu, '').replace(/ /g, '-');
const marked = new Marked({
  renderer: {
    heading({ tokens, depth, text }) {
      return `<h${depth} id="${slug(text)}">${this.parser.parseInline(tokens)}</h${depth}>\n`;
    },
    // A link out of the docs (an example's file) has no page to go to: its words stay.
    link({ href, tokens }) {
      const words = this.parser.parseInline(tokens);
      return href.startsWith('../') ? words : `<a href="${href}">${words}</a>`;
    },
  },
});
const docs = {};
const order = ['README.md', 'line-description.md', 'train-description.md', 'faults.md', 'braking.md', 'limits.md', 'compiled-files.md'];
const names = fs.readdirSync(docsDir).filter((f) => f.endsWith('.md')).sort((a, b) => (order.indexOf(a) + 1 || 99) - (order.indexOf(b) + 1 || 99));
for (const name of names) {
  const text = fs.readFileSync(path.join(docsDir, name), 'utf8');
  const title = (/^# (.*)$/m.exec(text) || [, name])[1];
  docs[name] = { title: name === 'README.md' ? 'README' : title, html: marked.parse(text) };
}

const runner = (file) => {
  const at = path.join(runnersDir, file);
  return fs.existsSync(at) ? fs.readFileSync(at).toString('base64') : '';
};
// A script's text must not close its own element.
const safe = (s) => s.replace(/<\/script/gi, '<\\/script');
const parts = {
  STYLE: fs.readFileSync(css, 'utf8'),
  EXAMPLES: `window.STUDIO_EXAMPLES = ${JSON.stringify(packs)};`,
  DOCS: safe(`window.STUDIO_DOCS = ${JSON.stringify(docs)};`),
  CORE: safe(fs.readFileSync(core, 'utf8')),
  WORKER: safe(fs.readFileSync(worker, 'utf8')),
  BUNDLE: safe(fs.readFileSync(bundle, 'utf8')),
  RUNNER_WINDOWS: runner('scenario-runner-windows.exe'),
  RUNNER_LINUX: runner('scenario-runner-linux'),
};
let page = fs.readFileSync(template, 'utf8');
for (const [key, text] of Object.entries(parts)) page = page.replace(`/*${key}*/`, () => text);
fs.writeFileSync(out, page);
