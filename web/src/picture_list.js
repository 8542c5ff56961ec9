// The reader's picture of a compiled scenario (its SVG document, as scenario-inspect --svg
// writes it) as a display list the page draws on a canvas: numbers in typed arrays, so that
// handing it from the engine's thread to the page costs nothing, and words in small arrays.
// Runs in the engine's thread.
//
// An item: kind, style, feature (-1 for none), part (-1 for none), then its numbers:
//   LINE x1 y1 x2 y2 · RECT x y w h · POLY n x0 y0 … · SHAPE n x0 y0 … (closed, filled) ·
//   CIRCLE cx cy r · TEXT x y word anchor(0 start, 1 middle, 2 end) angle
// boxes holds each item's bounds (x0 y0 x1 y1) in the picture's units.
export const LINE = 1, RECT = 2, POLY = 3, SHAPE = 4, CIRCLE = 5, TEXT = 6;

const ENTITIES = { '&amp;': '&', '&lt;': '<', '&gt;': '>', '&quot;': '"', '&apos;': "'" };
const unescape = (s) => (s.includes('&') ? s.replace(/&(amp|lt|gt|quot|apos);/g, (e) => ENTITIES[e]) : s);

function attributes(tag) {
  const a = {};
  const re = /([\w:-]+)="([^"]*)"/g;
  let m;
  while ((m = re.exec(tag))) a[m[1]] = unescape(m[2]);
  return a;
}

// The numbers of a list such as "1.5,2 3,4": one pass, no intermediate strings.
function numbers(s) {
  const out = [];
  let at = 0;
  const n = s.length;
  while (at < n) {
    const c = s.charCodeAt(at);
    if (c === 32 || c === 44 || c === 10 || c === 9 || c === 77 || c === 76 || c === 90) {
      at++; // space, comma, a path's M, L and Z
      continue;
    }
    let end = at + 1;
    while (end < n) {
      const d = s.charCodeAt(end);
      if (d === 32 || d === 44 || d === 10 || d === 9 || d === 76 || d === 90) break;
      end++;
    }
    out.push(+s.slice(at, end));
    at = end;
  }
  return out;
}

// Numbers appended to a typed array that grows as it fills.
class Numbers {
  constructor() {
    this.a = new Float64Array(1 << 16);
    this.n = 0;
  }
  push(v) {
    if (this.n === this.a.length) {
      const b = new Float64Array(this.a.length * 2);
      b.set(this.a);
      this.a = b;
    }
    this.a[this.n++] = v;
  }
}

export function svgToList(svg) {
  const nums = new Numbers();
  const at = [];
  const boxes = [];
  const styles = [];
  const styleIds = new Map();
  const words = [];
  const features = [];
  const parts = [];
  const partBounds = [];
  const stack = []; // open groups: {feature} or {part}
  let width = 1000, height = 1000;

  const style = (a) => {
    const key = `${a.fill}|${a['fill-opacity']}|${a.stroke}|${a['stroke-opacity']}|${a['stroke-width']}|${a['stroke-dasharray']}|${a['font-size']}|${a['font-weight']}|${a['font-style']}`;
    let id = styleIds.get(key);
    if (id === undefined) {
      id = styles.length;
      styleIds.set(key, id);
      styles.push({
        fill: a.fill || (a.stroke && !a.fill ? 'none' : '#000'), fo: +(a['fill-opacity'] ?? 1),
        stroke: a.stroke || 'none', so: +(a['stroke-opacity'] ?? 1), sw: +(a['stroke-width'] ?? 1),
        dash: a['stroke-dasharray'] ? numbers(a['stroke-dasharray']) : null,
        fs: +(a['font-size'] ?? 12), bold: a['font-weight'] === 'bold', italic: a['font-style'] === 'italic',
      });
    }
    return id;
  };
  const current = (key) => {
    for (let k = stack.length - 1; k >= 0; k--) if (stack[k][key] !== undefined) return stack[k][key];
    return -1;
  };
  // An item: its kind, style, feature and part, its numbers (for a polyline or a shape, the
  // number of points first), and its bounds.
  const push = (kind, a, values, box, points = null) => {
    const part = current('part');
    at.push(nums.n);
    nums.push(kind);
    nums.push(style(a));
    nums.push(current('feature'));
    nums.push(part);
    if (points) nums.push(points.length / 2);
    for (const v of points || values) nums.push(v);
    boxes.push(box[0], box[1], box[2], box[3]);
    if (part >= 0) {
      const b = partBounds[part];
      b[0] = Math.min(b[0], box[0]), b[1] = Math.min(b[1], box[1]), b[2] = Math.max(b[2], box[2]), b[3] = Math.max(b[3], box[3]);
    }
  };
  const pointsBox = (p) => {
    let x0 = Infinity, y0 = Infinity, x1 = -Infinity, y1 = -Infinity;
    for (let k = 0; k < p.length; k += 2) {
      x0 = Math.min(x0, p[k]), x1 = Math.max(x1, p[k]), y0 = Math.min(y0, p[k + 1]), y1 = Math.max(y1, p[k + 1]);
    }
    return [x0, y0, x1, y1];
  };

  const tag = /<(\/?)([\w:?]+)([^>]*)>/g;
  let m;
  while ((m = tag.exec(svg))) {
    const [, closing, name, rest] = m;
    const selfClosing = rest.endsWith('/');
    if (closing) {
      if (name === 'g') stack.pop();
      continue;
    }
    const a = attributes(rest);
    switch (name) {
      case 'svg':
        width = +a.width || width;
        height = +a.height || height;
        break;
      case 'g':
        if (a['data-part'] !== undefined) {
          stack.push({ part: parts.length });
          parts.push(a['data-part']);
          partBounds.push([Infinity, Infinity, -Infinity, -Infinity]);
        } else if (a.class === 'feature') {
          const data = {};
          for (const [k, v] of Object.entries(a)) if (k.startsWith('data-')) data[k.slice(5).replace(/-(\w)/g, (_, c) => c.toUpperCase())] = v;
          stack.push({ feature: features.length });
          features.push(data);
        } else stack.push({});
        if (selfClosing) stack.pop();
        break;
      case 'title': {
        const end = svg.indexOf('</title>', tag.lastIndex);
        const f = current('feature');
        if (f >= 0) features[f].title = unescape(svg.slice(tag.lastIndex, end));
        tag.lastIndex = end + 8;
        break;
      }
      case 'text': {
        const end = svg.indexOf('</text>', tag.lastIndex);
        const word = unescape(svg.slice(tag.lastIndex, end));
        tag.lastIndex = end + 7;
        const x = +a.x, y = +a.y, fs = +(a['font-size'] ?? 12);
        const anchor = a['text-anchor'] === 'middle' ? 1 : a['text-anchor'] === 'end' ? 2 : 0;
        const rotate = /rotate\(\s*(-?[\d.]+)/.exec(a.transform || '');
        const w = word.length * fs * 0.62;
        const left = x - (anchor === 1 ? w / 2 : anchor === 2 ? w : 0);
        const halo = a.stroke === 'white';
        if (halo) delete a.stroke;
        push(TEXT, { ...a, stroke: halo ? 'halo' : undefined }, [x, y, words.length, anchor, rotate ? +rotate[1] : 0],
          rotate ? [x - fs, y - w / 2, x + fs, y + w / 2] : [left, y - fs, left + w, y + fs * 0.3]);
        words.push(word);
        break;
      }
      case 'line': {
        const p = [+a.x1, +a.y1, +a.x2, +a.y2];
        push(LINE, a, p, pointsBox(p));
        break;
      }
      case 'rect':
        if (a.width === '100%') break; // the page's own background
        push(RECT, a, [+a.x, +a.y, +a.width, +a.height], [+a.x, +a.y, +a.x + +a.width, +a.y + +a.height]);
        break;
      case 'polyline': {
        const p = numbers(a.points);
        a.fill = 'none';
        push(POLY, a, null, pointsBox(p), p);
        break;
      }
      case 'path': {
        const p = numbers(a.d);
        push(SHAPE, a, null, pointsBox(p), p);
        break;
      }
      case 'circle': {
        const [x, y, r] = [+a.cx, +a.cy, +a.r];
        push(CIRCLE, a, [x, y, r], [x - r, y - r, x + r, y + r]);
        break;
      }
      default:
        break;
    }
  }
  const bounds = {};
  parts.forEach((p, k) => (bounds[p] = partBounds[k]));
  return { nums: nums.a.slice(0, nums.n), at: Int32Array.from(at), boxes: Float32Array.from(boxes), styles, words, features, parts: bounds, width, height };
}
