// Pure helpers over the pack's texts: Windows-1252 bytes to Unicode and back with the
// engine's table (the 32 characters of 0x80..0x9F, windows1252High()), the characters that
// have no Windows-1252 byte, and what an opened file's bytes are.

export const PACK_FILES = ['scenario.json', 'line.txt', 'train.txt', 'scheda_treno.txt', 'rallentamenti.txt', 'note.txt'];
export const DESCRIPTIONS = ['line.txt', 'train.txt'];
// The largest description the engine compiles (a pair of 8192 lines of 1024 bytes, with CR LF
// and a byte-order mark: docs/limits.md); a pack's texts hold less, and the engine says so.
export const MAX_FILE_BYTES = 3 + 8192 * 1026;

const tables = new Map(); // high -> {toByte}
function table(high) {
  if (!tables.has(high)) tables.set(high, new Map([...high].map((c, k) => [c, 0x80 + k])));
  return tables.get(high);
}

export function cp1252Byte(high, ch) {
  const code = ch.codePointAt(0);
  const b = table(high).get(ch);
  if (b !== undefined) return b;
  if (code < 0x80 || (code >= 0xa0 && code <= 0xff)) return code;
  return -1;
}

export function decodeWith(high, bytes) {
  let out = '';
  for (const b of bytes) out += b >= 0x80 && b < 0xa0 ? high[b - 0x80] : String.fromCharCode(b);
  return out;
}

// Unicode to Windows-1252; a character without a byte becomes '?' (the page lists it: see
// unencodable()).
export function encodeCp1252(high, text) {
  const out = new Uint8Array(text.length);
  let n = 0;
  for (const ch of text) {
    const b = cp1252Byte(high, ch);
    out[n++] = b < 0 ? 0x3f : b;
  }
  return out.subarray(0, n);
}

// A file of the pack as bytes: the manifest always UTF-8, the texts in the pack's encoding.
export function encodeWith(high, name, text, encoding) {
  return name !== 'scenario.json' && encoding === 'windows-1252' ? encodeCp1252(high, text) : new TextEncoder().encode(text);
}

// Every character without a Windows-1252 byte: [from, to] offsets in the text.
export function unencodable(high, text) {
  const marks = [];
  let at = 0;
  for (const ch of text) {
    if (cp1252Byte(high, ch) < 0) marks.push([at, at + ch.length]);
    at += ch.length;
  }
  return marks;
}

// The encoding a manifest's text names, or fallback when it cannot be read.
export function manifestEncoding(text, fallback = 'utf-8') {
  try {
    const e = JSON.parse(text).encoding;
    return e === 'windows-1252' || e === 'utf-8' ? e : fallback;
  } catch {
    return fallback;
  }
}

// What an opened file's bytes are: {text, found} where found names what the bytes declared
// ('utf-16le', 'utf-16be': with a byte-order mark or without; 'utf-8-bom'; '' for none), or
// {problem, args}
// (an id of the page's catalogue) when it is no text of a pack.
export function readText(name, bytes, encoding, high) {
  if (bytes.length > MAX_FILE_BYTES) return { problem: 'file-too-large', args: [name, (bytes.length / 1048576).toFixed(1), MAX_FILE_BYTES >> 20] };
  const bom = (...b) => b.every((x, k) => bytes[k] === x);
  try {
    if (bom(0xff, 0xfe)) return { text: new TextDecoder('utf-16le', { fatal: true }).decode(bytes.subarray(2)), found: 'utf-16le' };
    if (bom(0xfe, 0xff)) return { text: new TextDecoder('utf-16be', { fatal: true }).decode(bytes.subarray(2)), found: 'utf-16be' };
    if (bom(0xef, 0xbb, 0xbf)) return { text: new TextDecoder('utf-8', { fatal: true }).decode(bytes.subarray(3)), found: 'utf-8-bom' };
  } catch {
    return { problem: 'file-bad-bom', args: [name] };
  }
  const probe = bytes.subarray(0, 65536);
  if (probe.includes(0)) {
    // UTF-16 without a byte-order mark: the high byte of most characters is 0.
    const zeros = [0, 0];
    for (let k = 0; k < probe.length; k++) if (!probe[k]) zeros[k & 1]++;
    const half = probe.length / 2;
    for (const [at, label] of [[1, 'utf-16le'], [0, 'utf-16be']]) {
      if (zeros[at] > 0.6 * half && zeros[1 - at] < 0.05 * half) {
        try {
          return { text: new TextDecoder(label, { fatal: true }).decode(bytes), found: label };
        } catch {
          break;
        }
      }
    }
    return { problem: 'file-binary', args: [name] };
  }
  const text = name !== 'scenario.json' && encoding === 'windows-1252' ? decodeWith(high, bytes) : new TextDecoder().decode(bytes);
  return { text, found: '' };
}
