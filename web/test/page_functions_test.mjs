// The page's pure functions, table by table: what an opened file's bytes are, how an entry
// of the model is judged and placed, the language chosen, the picture's fit, zoom and labels.
//   node page_functions_test.mjs     (exit status 77: skipped, web/node_modules not installed)
import { readText } from '../src/text.js';
import { judged, spanOf, counts } from '../src/diagnostics.js';
import { chooseLanguage } from '../src/i18n.js';
import { fit, zoomAt, LabelSpace, labelPx } from '../src/picture.js';
import { svgToList, TEXT } from '../src/picture_list.js';

const { Text } = await import('@codemirror/state').catch(() => {
  console.log('skipped: web/node_modules is not installed (scripts/build-studio.sh installs it)');
  process.exit(77);
});
let failures = 0;
const check = (ok, what) => {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures++;
};
const same = (a, b) => JSON.stringify(a) === JSON.stringify(b);

const high = '\u20AC\x81\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152\x8D\u017D\x8F' +
  '\x90\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\x9D\u017E\u0178';
const utf16 = (s, le) => Uint8Array.from([...s].flatMap((c) => (le ? [c.charCodeAt(0), 0] : [0, c.charCodeAt(0)])));
for (const [what, bytes, encoding, want] of [
  ['Windows-1252 with the euro', Uint8Array.from([0x80, 0x41]), 'windows-1252', { text: '€A', found: '' }],
  ['UTF-8 with a byte-order mark', Uint8Array.from([0xef, 0xbb, 0xbf, 0xc3, 0xa8]), 'windows-1252', { text: 'è', found: 'utf-8-bom' }],
  ['UTF-16 LE with its mark', Uint8Array.from([0xff, 0xfe, ...utf16('[generale]', true)]), 'utf-8', { text: '[generale]', found: 'utf-16le' }],
  ['UTF-16 BE without a mark', utf16('stazione, 0', false), 'utf-8', { text: 'stazione, 0', found: 'utf-16be' }],
  ['a binary file', Uint8Array.from([0, 1, 2, 0x41, 0x42, 0x43]), 'utf-8', { problem: 'file-binary', args: ['f'] }],
  ['a mark its bytes do not follow', Uint8Array.from([0xef, 0xbb, 0xbf, 0xff]), 'utf-8', { problem: 'file-bad-bom', args: ['f'] }],
]) check(same(readText('f', bytes, encoding, high), want), `readText: ${what}`);

const doc = Text.of(['segnalle, 5000', 'stazione, 300, 12, PRIMÀ 😀 X']);
for (const [what, entry, want] of [
  ['a warning not accepted refuses the pack', { severity: 'warning', name: 'unknown-keyword' }, 'error'],
  ['an accepted one is a hint', { severity: 'warning', accepted: true }, 'hint'],
  ['a note of its own is a note', { severity: 'note' }, 'info'],
  ['an error stays', { severity: 'error' }, 'error'],
]) check(judged(entry).severity === want, `judged: ${what}`);
check(same(counts([{ severity: 'error' }, { severity: 'hint' }, { severity: 'error' }]), { error: 2, warning: 0, hint: 1, info: 0 }), 'counts');
for (const [what, place, want] of [
  ['a span on its line', { line: 1, column: 1, end_line: 1, end_column: 9 }, [0, 8]],
  ['columns in characters past one beyond 16 bits', { line: 2, column: 27, end_line: 2, end_column: 28 }, [42, 43]],
  ['an empty span marks one character', { line: 2, column: 11, end_line: 2, end_column: 11 }, [25, 26]],
  ['a line past the end is the end', { line: 9, column: 1, end_line: 9, end_column: 2 }, [doc.length, doc.length]],
  ['no place: the first character', { line: 0 }, [0, 1]],
]) {
  const s = spanOf(doc, place);
  check(same([s.from, s.to], want), `spanOf: ${what} (${s.from}, ${s.to})`);
}

for (const [stored, languages, want] of [[null, ['it-IT', 'en'], 'it'], ['en', ['it'], 'en'], [null, ['de', 'fr'], 'en'], [null, ['de', 'en-GB'], 'en']])
  check(chooseLanguage(stored, languages) === want, `chooseLanguage(${stored}, ${languages}) is ${want}`);

const t = fit([0, 0, 200, 100], 400, 400);
check(t.scale === 2 && t.x === 0 && t.y === 100, 'fit: the region fills the box, centred');
const z = zoomAt(t, 2, 100, 200);
check(z.scale === 4 && (100 - z.x) / z.scale === (100 - t.x) / t.scale && (200 - z.y) / z.scale === (200 - t.y) / t.scale, 'zoomAt: the point under the pointer stays');
check(labelPx(10, 0.5) === 11 && labelPx(10, 1.2) === 12 && labelPx(10, 9) === 16, 'labels: never under 11 px, nor far over their size');
const space = new LabelSpace();
check(space.take(0, 0, 50, 10) && !space.take(40, 5, 90, 15) && space.take(0, 11, 50, 20) && space.take(200, 0, 250, 10), 'labels: one that overlaps is left out');

const list = svgToList('<svg width="1000" height="500"><g data-part="plan"><g class="feature" data-kind="signal" data-record="train segnale"><title>signal &amp; more</title>' +
  '<circle cx="10" cy="20" r="3" fill="red"/></g><text x="5" y="40" text-anchor="end" font-size="11">A&lt;B</text>' +
  '<polyline fill="none" stroke="#333" stroke-width="2" points="0,0 10,10 20,0 "/></g></svg>');
check(list.parts.plan[1] === 0 && list.parts.plan[2] === 20 && list.parts.plan[3] > 40, "svgToList: the part's bounds");
check(list.at.length === 3 && list.features[0].title === 'signal & more' && list.features[0].record === 'train segnale' &&
  list.words[0] === 'A<B' && list.nums[list.at[1]] === TEXT && list.nums[list.at[1] + 7] === 2, 'svgToList: features, words and anchors');
console.log(`${failures} failures`);
process.exit(failures ? 1 : 0);
