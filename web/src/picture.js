// The picture of the compiled scenario on a canvas, one part of it at a time (the plan, the
// profile, the time-distance diagram): only what the view shows is drawn, labels at a
// readable size whatever the zoom, a label that would overlap one drawn before it left out
// (the pointer on its feature shows it). Wheel zooms at the pointer, a drag pans and never
// selects text, fit and reset.
import { LINE, RECT, POLY, SHAPE, CIRCLE, TEXT } from './picture_list.js';

export const MIN_LABEL_PX = 11;
// The parts each view shows.
export const VIEWS = { plan: ['plan'], profile: ['profile', 'time-distance', 'axis'], 'time-distance': ['time-distance', 'axis'] };

// The picture's units shown by a view: the union of its parts' bounds, with a margin.
export function regionOf(list, view) {
  let r = null;
  for (const p of VIEWS[view]) {
    const b = list.parts[p];
    if (!b || !(b[2] > b[0])) continue;
    r = r ? [Math.min(r[0], b[0]), Math.min(r[1], b[1]), Math.max(r[2], b[2]), Math.max(r[3], b[3])] : [...b];
  }
  if (!r) return null;
  return [r[0] - 10, r[1] - 24, r[2] + 10, r[3] + 10];
}

// The scale and offset that fit a region into a box of w × h pixels, centred.
export function fit(region, w, h) {
  const scale = Math.min(w / (region[2] - region[0]), h / (region[3] - region[1]));
  return { scale, x: (w - (region[2] - region[0]) * scale) / 2 - region[0] * scale, y: (h - (region[3] - region[1]) * scale) / 2 - region[1] * scale };
}

// A zoom by factor about the screen point (px, py): that point stays where it is.
export function zoomAt(t, factor, px, py) {
  const scale = Math.min(400, Math.max(0.02, t.scale * factor));
  const k = scale / t.scale;
  return { scale, x: px - (px - t.x) * k, y: py - (py - t.y) * k };
}

// A label's size on the screen: its size in the picture at the zoom, never under
// MIN_LABEL_PX, nor much over its own size.
export const labelPx = (fs, scale) => Math.max(MIN_LABEL_PX, Math.min(fs * scale, fs * 1.6));

// Labels placed one after another, each only where it overlaps none placed before: a grid of
// cells holds the boxes placed.
export class LabelSpace {
  constructor(cell = 64) {
    this.cell = cell;
    this.cells = new Map();
  }
  take(x0, y0, x1, y1) {
    const c = this.cell;
    const keys = [];
    for (let i = Math.floor(x0 / c); i <= Math.floor(x1 / c); i++)
      for (let j = Math.floor(y0 / c); j <= Math.floor(y1 / c); j++) {
        const key = i * 100003 + j;
        for (const b of this.cells.get(key) || []) if (b[0] < x1 && x0 < b[2] && b[1] < y1 && y0 < b[3]) return false;
        keys.push(key);
      }
    for (const key of keys) {
      if (!this.cells.has(key)) this.cells.set(key, []);
      this.cells.get(key).push([x0, y0, x1, y1]);
    }
    return true;
  }
}

export class Picture {
  constructor(canvas, { onHover, onClick }) {
    this.canvas = canvas;
    this.list = null;
    this.view = 'plan';
    this.transforms = {}; // per view, once the author zoomed or panned it
    this.onHover = onHover;
    this.onClick = onClick;
    this.drawn = []; // [item, x0, y0, x1, y1] on the screen, of features, for the pointer
    this.widths = new Map();
    this.wire();
    new ResizeObserver(() => this.request()).observe(canvas);
  }

  show(list) {
    this.list = list;
    this.transforms = {};
    this.request();
  }

  setView(view) {
    this.view = view;
    this.request();
  }

  region() {
    return this.list && regionOf(this.list, this.view);
  }

  transform() {
    const region = this.region();
    if (!region) return null;
    return this.transforms[this.view] || fit(region, this.canvas.clientWidth, this.canvas.clientHeight);
  }

  fit() {
    delete this.transforms[this.view];
    this.request();
  }

  // Reset: the picture at its own size, its top left corner at the box's.
  reset() {
    const region = this.region();
    if (!region) return;
    this.transforms[this.view] = { scale: 1, x: -region[0], y: -region[1] };
    this.request();
  }

  request() {
    if (this.frame) return;
    this.frame = requestAnimationFrame(() => {
      this.frame = 0;
      const t0 = performance.now();
      this.draw();
      if (window.studio) window.studio.slowest.draw = Math.max(window.studio.slowest.draw || 0, performance.now() - t0);
    });
  }

  draw() {
    const { canvas } = this;
    const dpr = window.devicePixelRatio || 1;
    const w = canvas.clientWidth, h = canvas.clientHeight;
    if (canvas.width !== Math.round(w * dpr) || canvas.height !== Math.round(h * dpr)) {
      canvas.width = Math.round(w * dpr);
      canvas.height = Math.round(h * dpr);
    }
    const ctx = canvas.getContext('2d');
    ctx.setTransform(dpr, 0, 0, dpr, 0, 0);
    ctx.fillStyle = '#fff';
    ctx.fillRect(0, 0, w, h);
    this.drawn = [];
    const t = this.transform();
    if (!t) return;
    const { nums, at, boxes, styles, words, parts } = this.list;
    const shown = new Set(VIEWS[this.view].map((p) => Object.keys(parts).indexOf(p)));
    const X = (x) => x * t.scale + t.x, Y = (y) => y * t.scale + t.y;
    const labels = [];
    for (let k = 0; k < at.length; k++) {
      const o = at[k];
      if (!shown.has(nums[o + 3])) continue;
      const x0 = X(boxes[4 * k]), y0 = Y(boxes[4 * k + 1]), x1 = X(boxes[4 * k + 2]), y1 = Y(boxes[4 * k + 3]);
      const kind = nums[o];
      if (kind === TEXT) {
        // Labels keep their size: their box is known only once measured.
        if (x1 + 400 < 0 || x0 - 400 > w || y1 + 40 < 0 || y0 - 40 > h) continue;
        labels.push(k);
        continue;
      }
      if (x1 < -4 || x0 > w + 4 || y1 < -4 || y0 > h + 4) continue;
      const s = styles[nums[o + 1]];
      ctx.globalAlpha = 1;
      ctx.setLineDash(s.dash ? s.dash.map((d) => d * Math.min(1.5, Math.max(0.5, t.scale))) : []);
      ctx.lineWidth = Math.max(0.5, s.sw * Math.min(1.5, Math.max(0.4, t.scale)));
      ctx.lineJoin = 'round';
      ctx.beginPath();
      if (kind === LINE) {
        ctx.moveTo(X(nums[o + 4]), Y(nums[o + 5]));
        ctx.lineTo(X(nums[o + 6]), Y(nums[o + 7]));
      } else if (kind === RECT) {
        ctx.rect(X(nums[o + 4]), Y(nums[o + 5]), Math.max(0.5, nums[o + 6] * t.scale), nums[o + 7] * t.scale);
      } else if (kind === POLY || kind === SHAPE) {
        const n = nums[o + 4];
        let lx = X(nums[o + 5]), ly = Y(nums[o + 6]);
        ctx.moveTo(lx, ly);
        for (let p = 1; p < n; p++) {
          const px = X(nums[o + 5 + 2 * p]), py = Y(nums[o + 6 + 2 * p]);
          // Points closer than half a pixel to the last drawn add nothing.
          if (p < n - 1 && Math.abs(px - lx) < 0.5 && Math.abs(py - ly) < 0.5) continue;
          ctx.lineTo(px, py);
          lx = px, ly = py;
        }
        if (kind === SHAPE) ctx.closePath();
      } else if (kind === CIRCLE) {
        ctx.arc(X(nums[o + 4]), Y(nums[o + 5]), Math.max(1.5, nums[o + 6] * Math.min(1.6, Math.max(0.6, t.scale))), 0, 2 * Math.PI);
      }
      if (s.fill !== 'none' && kind !== LINE && kind !== POLY) {
        ctx.globalAlpha = s.fo;
        ctx.fillStyle = s.fill;
        ctx.fill();
      }
      if (s.stroke !== 'none' || kind === LINE || kind === POLY) {
        ctx.globalAlpha = s.so;
        ctx.strokeStyle = s.stroke === 'none' ? '#000' : s.stroke;
        ctx.stroke();
      }
      if (nums[o + 2] >= 0) this.drawn.push([k, x0 - 3, y0 - 3, x1 + 3, y1 + 3]);
    }
    ctx.globalAlpha = 1;
    ctx.setLineDash([]);
    // Labels: the larger and bolder first, so that a name wins over a tick.
    labels.sort((a, b) => {
      const sa = styles[nums[at[a] + 1]], sb = styles[nums[at[b] + 1]];
      return (sb.bold - sa.bold) || (sb.fs - sa.fs) || a - b;
    });
    const space = new LabelSpace();
    ctx.textBaseline = 'alphabetic';
    for (const k of labels) {
      const o = at[k];
      const s = styles[nums[o + 1]];
      const px = labelPx(s.fs, t.scale);
      const word = words[nums[o + 6]];
      ctx.font = `${s.italic ? 'italic ' : ''}${s.bold ? 'bold ' : ''}${px.toFixed(1)}px "DejaVu Sans", Verdana, Arial, sans-serif`;
      const key = `${ctx.font}|${word}`;
      if (!this.widths.has(key)) this.widths.set(key, ctx.measureText(word).width);
      const width = this.widths.get(key);
      const anchor = nums[o + 7], angle = nums[o + 8];
      const x = X(nums[o + 4]), y = Y(nums[o + 5]);
      const left = x - (anchor === 1 ? width / 2 : anchor === 2 ? width : 0);
      if (angle) {
        ctx.save();
        ctx.translate(x, y);
        ctx.rotate((angle * Math.PI) / 180);
        ctx.textAlign = ['left', 'center', 'right'][anchor];
        ctx.fillStyle = s.fill;
        ctx.fillText(word, 0, 0);
        ctx.restore();
        continue;
      }
      const box = [left - 1, y - px * 0.75, left + width + 1, y + px * 0.18];
      if (box[2] < 0 || box[0] > w || box[3] < 0 || box[1] > h) continue;
      if (!space.take(...box)) continue;
      ctx.textAlign = 'left';
      if (s.stroke === 'halo') {
        ctx.strokeStyle = '#fff';
        ctx.lineWidth = 3;
        ctx.strokeText(word, left, y);
      }
      ctx.fillStyle = s.fill;
      ctx.fillText(word, left, y);
      if (nums[o + 2] >= 0) this.drawn.push([k, ...box]);
    }
  }

  // The feature under a point of the canvas: its data, or null. The last drawn wins.
  featureAt(x, y) {
    if (!this.list) return null;
    for (let k = this.drawn.length - 1; k >= 0; k--) {
      const [item, x0, y0, x1, y1] = this.drawn[k];
      if (x >= x0 && x <= x1 && y >= y0 && y <= y1) return this.list.features[this.list.nums[this.list.at[item] + 2]];
    }
    return null;
  }

  wire() {
    const el = this.canvas;
    const point = (e) => {
      const r = el.getBoundingClientRect();
      return [e.clientX - r.left, e.clientY - r.top];
    };
    el.addEventListener('wheel', (e) => {
      e.preventDefault();
      const t = this.transform();
      if (!t) return;
      const [px, py] = point(e);
      this.transforms[this.view] = zoomAt(t, Math.exp(-e.deltaY * (e.deltaMode ? 0.05 : 0.0015)), px, py);
      this.request();
    }, { passive: false });
    let drag = null;
    el.addEventListener('pointerdown', (e) => {
      e.preventDefault(); // a drag never selects text
      const t = this.transform();
      if (!t) return;
      drag = { x: e.clientX, y: e.clientY, t, moved: false };
    });
    el.addEventListener('pointermove', (e) => {
      if (drag && e.buttons) {
        if (!drag.moved && Math.hypot(e.clientX - drag.x, e.clientY - drag.y) < 4) return;
        if (!drag.moved) el.setPointerCapture(e.pointerId);
        drag.moved = true;
        this.transforms[this.view] = { ...drag.t, x: drag.t.x + e.clientX - drag.x, y: drag.t.y + e.clientY - drag.y };
        this.onHover(null, e);
        this.request();
        return;
      }
      const [x, y] = point(e);
      this.onHover(this.featureAt(x, y), e);
    });
    el.addEventListener('pointerup', (e) => {
      const moved = drag && drag.moved;
      drag = null;
      if (moved) return;
      const [x, y] = point(e);
      const f = this.featureAt(x, y);
      if (f) this.onClick(f);
    });
    el.addEventListener('pointerleave', (e) => this.onHover(null, e));
    el.addEventListener('dblclick', () => this.fit());
  }
}
