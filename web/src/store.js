// The author's packs, side by side in the browser's local storage, each under its name: a
// list of them, each pack's encoding and file names under a key of its own, and each file's
// text under its own key, so that a keystroke writes that file alone. A write that the browser refuses (storage full, or none for this page) returns
// false, so that the page can say the pack is not kept.
const LIST = 'scenario-studio.packs';
const CURRENT = 'scenario-studio.current';
const OLD = 'scenario-studio.pack'; // one pack, as an earlier page kept it
const keyOf = (id) => `scenario-studio.pack.${id}`;
const fileKey = (id, name) => `scenario-studio.pack.${id}/${name}`;

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
    if (save(id, { encoding: old.encoding, texts: old.texts })) {
      list.push({ id, name: nameOf(old.texts) || 'scenario' });
      write(LIST, list);
      localStorage.removeItem(OLD);
    }
  }
  return list;
}

// {encoding, texts} of a pack, or null.
export function load(id) {
  const meta = read(keyOf(id), null);
  if (!meta) return null;
  const texts = {};
  for (const name of meta.files || []) {
    const text = read(fileKey(id, name), null);
    if (text !== null) texts[name] = text;
  }
  return { encoding: meta.encoding, texts };
}

// A name not yet in the list: name, else "name (2)", "name (3)" ...
export function freeName(list, name) {
  const taken = new Set(list.map((p) => p.name));
  if (!taken.has(name)) return name;
  let k = 2;
  while (taken.has(`${name} (${k})`)) k++;
  return `${name} (${k})`;
}

// A new pack in the list; extra is kept with its entry (the example it came from).
export function add(list, name, pack, extra = {}) {
  const id = `${Date.now().toString(36)}-${Math.random().toString(36).slice(2, 7)}`;
  const entry = { ...extra, id, name: freeName(list, name) };
  list.push(entry);
  return { entry, kept: save(id, pack) && write(LIST, list) };
}

// A pack's encoding, its files' names (all its texts' unless given) and the texts given.
export function save(id, { encoding, texts, files = Object.keys(texts) }) {
  let kept = write(keyOf(id), { encoding, files });
  for (const [name, text] of Object.entries(texts)) kept = write(fileKey(id, name), text) && kept;
  return kept;
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
    for (const name of (read(keyOf(id), {}).files || [])) localStorage.removeItem(fileKey(id, name));
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
