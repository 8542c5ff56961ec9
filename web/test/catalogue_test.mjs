// The page's catalogue: every id has its English and its Italian, and every id the page's
// code and markup name is in it.
//   node catalogue_test.mjs WEB_DIR
import fs from 'node:fs';
import path from 'node:path';
import { CATALOGUE } from '../src/i18n.js';

const web = process.argv[2];
const problems = [];
for (const [id, texts] of Object.entries(CATALOGUE))
  for (const lang of ['en', 'it']) if (!texts[lang] || !texts[lang].trim()) problems.push(`${id}: no ${lang} text`);
const named = new Set();
const sources = fs.readdirSync(path.join(web, 'src')).map((f) => path.join(web, 'src', f)).concat(path.join(web, 'studio.html'));
for (const file of sources) {
  const text = fs.readFileSync(file, 'utf8');
  for (const m of text.matchAll(/\bt\('([a-z0-9-]+)'/g)) named.add(m[1]);
  for (const m of text.matchAll(/data-t(?:-title|-label)?="([a-z0-9-]+)"/g)) named.add(m[1]);
  for (const m of text.matchAll(/t\(`(severity|found)-\$\{/g)) named.add(`${m[1]}-`);
}
for (const id of named)
  if (id.endsWith('-') ? !Object.keys(CATALOGUE).some((k) => k.startsWith(id)) : !CATALOGUE[id]) problems.push(`${id}: named, not in the catalogue`);
for (const p of problems) console.log(`FAIL ${p}`);
console.log(`${named.size} ids named, ${Object.keys(CATALOGUE).length} in the catalogue: ${problems.length} problems`);
process.exit(problems.length ? 1 : 0);
