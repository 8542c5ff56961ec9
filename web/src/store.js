// The author's packs, side by side in the browser's local storage, each under its name: a
// list of them, and each pack's texts under a key of its own, saved file by file as they
// change. A write that the browser refuses (storage full, or none for this page) returns
// false, so that the page can say the pack is not kept.
const LIST = 'scenario-studio.packs';
const CURRENT = 'scenario-studio.current';
const OLD = 'scenario-studio.pack'; // one pack, as an earlier page kept it
const keyOf = (id) => `scenario-studio.pack.${id}`;

function read(key, fallback) {
  try {
    const v = localStorage.getItem(key);
    return v === null ? fallback : JSON.parse(v);
  } catch {
    return fallback;
  }
}

function write(key, value) {
  try {
    localStorage.setItem(key, JSON.stringify(value));
    return true;
  } catch {
    return false;
  }
}

// [{id, name}] in the order they were made. The pack an earlier page kept comes in as one.
export function packs() {
  const list = read(LIST, []);
  const old = read(OLD, null);
  if (old && old.texts) {
    const id = `kept-${Date.now().toString(36)}`;
    if (write(keyOf(id), { encoding: old.encoding, texts: old.texts })) {
      list.push({ id, name: nameOf(old.texts) || 'scenario' });
      write(LIST, list);
      localStorage.removeItem(OLD);
    }
  }
  return list;
}

export const load = (id) => read(keyOf(id), null);

// A name not yet in the list: name, else "name (2)", "name (3)" ...
export function freeName(list, name) {
  const taken = new Set(list.map((p) => p.name));
  if (!taken.has(name)) return name;
  let k = 2;
  while (taken.has(`${name} (${k})`)) k++;
  return `${name} (${k})`;
}

export function add(list, name, pack) {
  const id = `${Date.now().toString(36)}-${Math.random().toString(36).slice(2, 7)}`;
  const entry = { id, name: freeName(list, name) };
  list.push(entry);
  return { entry, kept: write(keyOf(id), pack) && write(LIST, list) };
}

export function save(id, pack) {
  return write(keyOf(id), pack);
}

export function rename(list, id, name) {
  const p = list.find((x) => x.id === id);
  if (p) p.name = name;
  return write(LIST, list);
}

export function remove(list, id) {
  const k = list.findIndex((p) => p.id === id);
  if (k >= 0) list.splice(k, 1);
  try {
    localStorage.removeItem(keyOf(id));
  } catch {
    // nothing kept to remove
  }
  return write(LIST, list);
}

export const current = () => read(CURRENT, null);
export const setCurrent = (id) => write(CURRENT, id);

// The scenario's name from a manifest's text: line_name_train_number, or ''.
export function nameOf(texts) {
  try {
    const m = JSON.parse(texts['scenario.json']);
    return m.line_name && m.train_number ? `${m.line_name}_${m.train_number}` : '';
  } catch {
    return '';
  }
}
