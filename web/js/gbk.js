// Text on the table's wire is in code page 936 (GBK). Browsers read it
// natively; writing it takes the reverse of their own reader, built once,
// the first time a name or a chat line goes out.

const decoder = new TextDecoder('gbk');

/** @param {Uint8Array} bytes @returns {string} */
export function decodeGbk(bytes) {
  return decoder.decode(bytes);
}

/** @type {Map<string, number> | null} */
let table = null;

function buildTable() {
  const map = new Map();
  const pair = new Uint8Array(2);
  for (let lead = 0x81; lead <= 0xfe; ++lead) {
    for (let trail = 0x40; trail <= 0xfe; ++trail) {
      if (trail === 0x7f) continue;
      pair[0] = lead;
      pair[1] = trail;
      const ch = decoder.decode(pair);
      if (ch.length === 1 && ch !== '\ufffd' && !map.has(ch)) map.set(ch, (lead << 8) | trail);
    }
  }
  return map;
}

/**
 * The code-page bytes of text; a character the code page lacks becomes "?".
 * @param {string} text @returns {number[]}
 */
export function encodeGbk(text) {
  if (table === null) table = buildTable();
  const out = [];
  for (const ch of text) {
    const code = ch.codePointAt(0) ?? 63;
    if (code < 0x80) {
      out.push(code);
      continue;
    }
    const pair = table.get(ch);
    if (pair === undefined) out.push(63);
    else out.push(pair >> 8, pair & 0xff);
  }
  return out;
}
