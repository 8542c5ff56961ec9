// The engine's thread seen from the page: a Web Worker made from a Blob of the engine's
// script and the worker's own (both carried by the page, so that it works from file://),
// and requests to it as promises.
export class Engine {
  constructor(coreText, workerText) {
    const url = URL.createObjectURL(new Blob([coreText, '\n', workerText], { type: 'text/javascript' }));
    this.worker = new Worker(url);
    this.next = 1;
    this.waiting = new Map();
    this.ready = new Promise((resolve, reject) => {
      this.worker.onerror = (e) => reject(new Error(e.message || 'the engine did not start'));
      this.worker.onmessage = ({ data }) => {
        if (data.op === 'ready') {
          URL.revokeObjectURL(url);
          this.high = data.high;
          resolve(this);
          return;
        }
        if (data.op) {
          if (this.onnews) this.onnews(data);
          return;
        }
        const done = this.waiting.get(data.id);
        this.waiting.delete(data.id);
        if (data.failed) done.reject(new Error(data.failed));
        else done.resolve(data);
      };
    });
  }

  ask(op, payload = {}) {
    const id = this.next++;
    return new Promise((resolve, reject) => {
      this.waiting.set(id, { resolve, reject });
      this.worker.postMessage({ id, op, ...payload });
    });
  }

  // onnews(data): what the engine says unasked (the look of the texts after a check).
  get busy() {
    return this.waiting.size > 0;
  }
}
