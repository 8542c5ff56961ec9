// The description formats for the editor: a stream tokenizer built from the compiler's
// own record tables (keywords and section headers).
import { StreamLanguage } from '@codemirror/language';

// The record table a keyword field matches, as the compiler tests it: every word of the
// record contained in the field (lower case where the record says so, any case here).
export function matchRecord(records, field) {
  const f = field.toLowerCase();
  return records.find((r) => r.words.every((w) => !w || f.includes(w))) || null;
}

export function recordsOf(tables, file) {
  if (file === 'line.txt') return { records: [...tables.line.general, ...tables.line.body], headers: tables.line.headers };
  if (file === 'train.txt') return { records: tables.train.records, headers: tables.train.headers };
  return null;
}

export function descriptionLanguage(tables, file) {
  const known = recordsOf(tables, file);
  return StreamLanguage.define({
    name: file,
    token(stream) {
      if (stream.sol()) {
        const rest = stream.string.slice(stream.pos);
        const comma = rest.indexOf(',');
        const field = comma < 0 ? rest : rest.slice(0, comma);
        if (field.includes('-')) {
          stream.skipToEnd();
          return 'comment';
        }
        if (field.includes('[') && field.includes(']')) {
          stream.skipToEnd();
          return known.headers.includes(field.trim().toLowerCase()) ? 'heading' : 'invalid';
        }
        stream.pos += field.length;
        return matchRecord(known.records, field) ? 'keyword' : null;
      }
      if (stream.eat(',') || stream.eatSpace()) return null;
      if (stream.match(/^[+-]?\d+(\.\d*)?(?=\s*(,|$))/)) return 'number';
      stream.match(/^[^,]*/);
      return 'string';
    },
  });
}
