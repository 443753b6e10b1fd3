// The table's rules, the same code as the desktop table's, compiled to
// WebAssembly (web/wasm/rules_exports.cpp). Cards go through one buffer
// the module owns.

export const NO_TYPE = 100;
export const TYPE_BOMB = 3;
export const TYPE_RED_TENS = 4;

/**
 * @typedef {{seat: number, type: number, main: number, count: number}} ToBeat
 * @typedef {{
 *   classify(cards: number[]): {type: number, main: number},
 *   check(cards: number[], leading: boolean, toBeat: ToBeat): {ok: boolean, message: string},
 *   hints(hand: number[], toBeat: ToBeat): number[][],
 *   sort(cards: number[], byGroup: boolean): number[],
 * }} Rules
 */

/** @param {BufferSource} bytes @returns {Promise<Rules>} */
export async function instantiateRules(bytes) {
  const { instance } = await WebAssembly.instantiate(bytes, {
    wasi_snapshot_preview1: { proc_exit: () => { throw new Error('the rules stopped'); } },
  });
  const x = /** @type {any} */ (instance.exports);
  x._initialize?.();
  const memory = /** @type {WebAssembly.Memory} */ (x.memory);
  const buffer = () => new Uint8Array(memory.buffer, x.rt_buffer(), 54);
  /** @param {number[]} cards */
  const put = (cards) => {
    const n = Math.min(cards.length, 54);
    buffer().set(cards.slice(0, n));
    return n;
  };
  const textOut = () => {
    const bytes = new Uint8Array(memory.buffer, x.rt_text(), 256);
    return new TextDecoder().decode(bytes.subarray(0, bytes.indexOf(0)));
  };
  return {
    classify(cards) {
      const v = x.rt_classify(put(cards));
      return { type: v & 255, main: v >> 8 };
    },
    check(cards, leading, toBeat) {
      const ok = x.rt_check(put(cards), leading ? 1 : 0, toBeat.seat, toBeat.type, toBeat.main, toBeat.count) === 1;
      return { ok, message: ok ? '' : textOut() };
    },
    hints(hand, toBeat) {
      const count = x.rt_hints(put(hand), toBeat.type, toBeat.count, toBeat.main);
      const out = [];
      for (let i = 0; i < count; ++i) out.push(Array.from(buffer().subarray(0, x.rt_hint(i))));
      return out;
    },
    sort(cards, byGroup) {
      const n = put(cards);
      x.rt_sort(n, byGroup ? 1 : 0);
      return Array.from(buffer().subarray(0, n));
    },
  };
}

/** @param {string} url */
export async function loadRules(url) {
  const answer = await fetch(url);
  if (!answer.ok) throw new Error(`${url}: ${answer.status}`);
  return instantiateRules(await answer.arrayBuffer());
}
