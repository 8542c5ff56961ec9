// Pure helpers over the pack's texts: Windows-1252 bytes to Unicode and back, the marks
// of characters that have no Windows-1252 byte, and what a dropped file may be.

// The characters of 0x80..0x9F in Windows-1252 (undefined bytes map to themselves).
const HIGH = '\u20AC\x81\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152\x8D\u017D\x8F' +
  '\x90\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\x9D\u017E\u0178';
const TO_BYTE = new Map([...HIGH].map((c, k) => [c, 0x80 + k]));

export function cp1252Byte(ch) {
  const code = ch.codePointAt(0);
  if (TO_BYTE.has(ch)) return TO_BYTE.get(ch);
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return code;
  return -1;
}

export function decodeCp1252(bytes) {
  let out = '';
  for (const b of bytes) out += b >= 0x80 && b < 0xA0 ? HIGH[b - 0x80] : String.fromCharCode(b);
  return out;
}

// Unicode to Windows-1252; a character without a byte becomes '?' (the compiler is then
// told of it through its place, see unencodable()).
export function encodeCp1252(text) {
  const out = [];
  for (const ch of text) {
    const b = cp1252Byte(ch);
    out.push(b < 0 ? 0x3F : b);
  }
  return Uint8Array.from(out);
}

// Every character without a Windows-1252 byte: {from, to} offsets in the text.
export function unencodable(text) {
  const marks = [];
  let at = 0;
  for (const ch of text) {
    if (cp1252Byte(ch) < 0) marks.push({ from: at, to: at + ch.length });
    at += ch.length;
  }
  return marks;
}

export const PACK_FILES = ['scenario.json', 'line.txt', 'train.txt', 'scheda_treno.txt', 'rallentamenti.txt', 'note.txt'];
// The largest description the engine compiles (a pair of 8192 lines of 1024 bytes, with CR LF
// and a byte-order mark: docs/limits.md); a pack's texts hold less, and the engine says so.
export const MAX_FILE_BYTES = 3 + 8192 * 1026;

// Why a file cannot be opened as a pack text, or '' when it can.
export function badInput(name, bytes) {
  if (bytes.length > MAX_FILE_BYTES)
    return `${name}: ${(bytes.length / 1048576).toFixed(1)} MB is too large for a pack text (at most ${MAX_FILE_BYTES >> 20} MB); not opened`;
  const probe = bytes.subarray(0, 65536);
  if (probe.includes(0)) return `${name}: a binary file (it holds NUL bytes), not a pack text; not opened`;
  return '';
}

// A pack's texts from its files' bytes, in the encoding its scenario.json names.
export function decodePack(raw) {
  let encoding = 'utf-8';
  try {
    encoding = JSON.parse(new TextDecoder().decode(raw['scenario.json'])).encoding || 'utf-8';
  } catch {
    // the compiler names what is wrong with the manifest
  }
  const texts = {};
  for (const [name, bytes] of Object.entries(raw))
    texts[name] = name !== 'scenario.json' && encoding === 'windows-1252' ? decodeCp1252(bytes)
      : new TextDecoder().decode(bytes);
  return { texts, encoding };
}

export function encodePackFile(name, text, encoding) {
  return name !== 'scenario.json' && encoding === 'windows-1252' ? encodeCp1252(text) : new TextEncoder().encode(text);
}
