// The WebAssembly scenario-compile against the native one, case by case: the same exit
// status, standard output (the JSON outcome), standard error and compiled files, byte for
// byte. Cases: every fuzz input (corpus and regressions), the examples, the built-in
// scenario and the generated 1000 km line.
//
//   node same_as_native.mjs NATIVE_BUILD_DIR WASM_SCENARIO_COMPILE_JS SOURCE_DIR
//
// Exit status 77: skipped (no native build beside this one).
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

const [native, wasm, source] = process.argv.slice(2).map((p) => path.resolve(p));
const nativeCompile = path.join(native, 'scenario-compile');
const generator = path.join(native, 'scenario_compile_bench');
for (const f of [nativeCompile, generator]) {
  if (!fs.existsSync(f)) {
    console.log(`skipped: no native build of ${f} (cmake --build --preset ci builds it)`);
    process.exit(77);
  }
}
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'same-as-native-'));
process.on('exit', () => fs.rmSync(work, { recursive: true, force: true }));

// One case: runs both tools in the case's folder, each with an --out of its own.
function compare(name, dir, args) {
  const run = (argv0, pre, out) =>
    spawnSync(argv0, [...pre, ...args, '--json', '--out', out], { cwd: dir, maxBuffer: 1 << 26 });
  const a = run(nativeCompile, [], 'out-native');
  const b = run(process.execPath, [wasm], 'out-wasm');
  const problems = [a, b].filter((r) => r.error).map((r) => `cannot run: ${r.error.message}`);
  if (problems.length) {
    console.error(`${name}: ${problems.join('; ')}`);
    return false;
  }
  if (a.status !== b.status) problems.push(`exit status ${a.status} against ${b.status}`);
  if (!a.stdout.equals(b.stdout)) problems.push(`standard output differs:\n${a.stdout}\n${b.stdout}`);
  if (!a.stderr.equals(b.stderr)) problems.push(`standard error differs:\n${a.stderr}\n${b.stderr}`);
  const files = (d) => (fs.existsSync(path.join(dir, d)) ? fs.readdirSync(path.join(dir, d)).sort() : []);
  const na = files('out-native');
  if (na.join() !== files('out-wasm').join()) problems.push(`files ${na} against ${files('out-wasm')}`);
  for (const f of na) {
    const x = fs.readFileSync(path.join(dir, 'out-native', f));
    const y = fs.readFileSync(path.join(dir, 'out-wasm', f));
    if (!x.equals(y)) problems.push(`${f} differs`);
  }
  if (problems.length) {
    console.error(`${name}: ${problems.join('; ')}`);
    return false;
  }
  return na.length;
}

let cases = 0;
let files = 0;
let failed = 0;
function tally(result) {
  cases++;
  if (result === false) failed++;
  else files += result;
}

const marker = Buffer.from('\n@@@@\n');
for (const folder of ['fuzz/corpus', 'fuzz/regressions']) {
  const from = path.join(source, folder);
  if (!fs.existsSync(from)) continue;
  for (const entry of fs.readdirSync(from).sort()) {
    const input = fs.readFileSync(path.join(from, entry));
    const at = input.indexOf(marker);
    const dir = path.join(work, `${path.basename(folder)}-${entry}`);
    fs.mkdirSync(dir);
    fs.writeFileSync(path.join(dir, 'line.txt'), at < 0 ? input : input.subarray(0, at));
    fs.writeFileSync(path.join(dir, 'train.txt'), at < 0 ? Buffer.alloc(0) : input.subarray(at + marker.length));
    tally(compare(`${folder}/${entry}`, dir,
      ['--line-name', 'L', '--train-number', '1', '--keep-partial', 'line.txt', 'train.txt']));
  }
}
const packs = fs.readdirSync(path.join(source, 'examples')).filter((e) =>
  fs.existsSync(path.join(source, 'examples', e, 'scenario.json'))).map((e) => `examples/${e}`);
for (const pack of [...packs, 'scenarios/rovella_tirsa_7162']) {
  const dir = path.join(work, pack.replace('/', '-'));
  fs.mkdirSync(dir);
  tally(compare(pack, dir, ['--pack', path.join(source, pack)]));
}
const long = path.join(work, 'long');
fs.mkdirSync(long);
if (spawnSync(generator, ['--write-scenario', long]).status !== 0) {
  console.error('the 1000 km scenario was not generated');
  process.exit(1);
}
tally(compare('the 1000 km line', long,
  ['--line-name', 'Lunga_Linea', '--train-number', '1000', 'long_linea.txt', 'long_treno.txt']));

console.log(`${cases - failed} of ${cases} cases the same, ${files} compiled files byte for byte`);
process.exit(failed ? 1 : 0);
