// The table's messages, as the desktop table reads and writes them: one
// function per message the browser's table sends, and one reader that turns
// whatever the room sends into a plain object (or null for what the table
// does not know). Field order and meaning are those of docs/protocol.md.
import { decodeGbk, encodeGbk } from './gbk.js';

export const PASS = 254;
export const HIDDEN = 255;
const FIELD = 96; // the back-quote between text fields

/** @param {Uint8Array} m @param {number} from */
function text(m, from) {
  return from >= m.length ? '' : decodeGbk(m.subarray(from));
}

/** @param {Uint8Array} m @param {number} from */
function fields(m, from) {
  return text(m, from).split('`');
}

/** @param {string} f */
function num(f) {
  const v = Number(f);
  return Number.isFinite(v) ? v : 0;
}

/** @param {Uint8Array} m @param {number} at */
function int32(m, at) {
  return (m[at] << 24) | (m[at + 1] << 16) | (m[at + 2] << 8) | m[at + 3];
}

/**
 * A user record: 16 fields.
 * @param {string[]} f
 */
export function userRecord(f) {
  return {
    name: f[0] ?? '', points: num(f[2]), watched: f[4] ?? '', games: num(f[5]),
    winRate: num(f[6]), escapeRate: num(f[7]), wins: num(f[8]), losses: num(f[9]), draws: num(f[10]),
    portrait: num(f[12]), chair: ((Math.trunc(num(f[13])) % 4) + 4) % 4, ready: num(f[14]) === 1, dropped: num(f[15]) === 1,
  };
}

/** @param {Uint8Array} m @param {number} at @param {number} most */
function cardsAt(m, at, most = 54) {
  const n = Math.min(m[at] ?? 0, most, Math.max(0, m.length - at - 1));
  return Array.from(m.subarray(at + 1, at + 1 + n));
}

/**
 * Reads one message of the room.
 * @param {Uint8Array} m
 * @returns {any} a message object with its kind, or null
 */
export function readMessage(m) {
  if (m.length === 0) return null;
  const [code, sub] = m;
  switch (code) {
    case 130:
      if (sub === 3) {
        const [me, view] = fields(m, 2);
        return { kind: 'identity', me, view: view || me };
      }
      if (sub === 2) {
        const f = fields(m, 2);
        if (f.length % 16 !== 0) return null;
        const users = [];
        for (let i = 0; i < f.length; i += 16) users.push(userRecord(f.slice(i, i + 16)));
        return { kind: 'users', users };
      }
      if (sub === 4 || sub === 0) return { kind: 'arrives', user: userRecord(fields(m, 2)) };
      if (sub === 1) return { kind: 'reset' };
      return null;
    case 110:
      return { kind: 'leaves', name: text(m, 2) };
    case 108:
      if (sub === 3 || sub === 0) return { kind: 'dropped', name: text(m, 2), dropped: sub === 3 };
      if (sub === 4) return { kind: 'leaves', name: text(m, 2) };
      return null;
    case 111: {
      const f = fields(m, 2);
      return {
        kind: 'settingsState', table: num(f[0]), owner: f[1] ?? '', mine: f[3] === '1', open: f[5] === '1',
        ownerDone: f[6] === '1', settings: f.slice(7, 13).map(num),
      };
    }
    case 112: {
      const f = fields(m, 2);
      return { kind: 'raisedHand', name: f[0], settings: f.length >= 7 ? f.slice(1, 7).map(num) : null };
    }
    case 105:
      return { kind: 'roomNotice', text: text(m, 3) };
    case 109:
      return readSnapshot(m);
    case 17:
      if (m.length < 15) return null;
      return { kind: 'start', autoLimit: m[3], decks: m[11], backs: m[12], showSeconds: m[13], playSeconds: m[14] };
    case 19:
      return { kind: 'deal', cards: Array.from(m.subarray(2, 2 + 54)) };
    case 20:
      if (m.length < 4) return null;
      return sub === 0 ? { kind: 'answer', seat: m[2] & 3, answer: m[3] } : { kind: 'showingOver', leader: m[2], phase: m[3] };
    case 21:
      if (m.length < 7) return null;
      return { kind: 'play', next: m[2], phase: m[3], place: m[4], seat: m[5] & 3, cards: cardsAt(m, 6) };
    case 22:
      return { kind: 'notice', text: text(m, 1) };
    case 23: {
      if (m.length < 18) return null;
      const scores = [0, 1, 2, 3].map((s) => int32(m, 2 + 4 * s));
      const left = [];
      let at = 18;
      for (let s = 0; s < 4; ++s) {
        const cards = cardsAt(m, at);
        left.push(cards);
        at += 1 + cards.length;
      }
      return { kind: 'gameOver', scores, left };
    }
    case 5:
      return { kind: 'leftGame', seat: m[2] & 3, reason: text(m, 3) };
    case 2:
      return { kind: 'hand', cards: cardsAt(m, 2) };
    case 113:
      return sub === 0 ? { kind: 'showCards', shown: m[2] === 1 } : null;
    case 18:
      return { kind: 'ready', seat: m[1] & 3 };
    case 1: {
      const f = fields(m, 1);
      return f.length >= 10 ? { kind: 'chat', from: f[2], to: f[3], time: f[4], private: f[7] === '1', text: f.slice(9).join('`') } : null;
    }
    default:
      return null;
  }
}

/** The table as it stands, for a table joining or coming back. @param {Uint8Array} m */
function readSnapshot(m) {
  if (m.length < 5) return null;
  if (m[2] === 0) {
    return { kind: 'snapshot', playing: false, ready: [m[4], m[5], m[6], m[7]].map((r) => r === 1) };
  }
  if (m.length < 32) return null;
  const seats = [];
  let at = 31;
  for (let s = 0; s < 4; ++s) {
    const out = cardsAt(m, at);
    seats.push({ answer: m[15 + s], answers: m[19 + s], place: m[23 + s], count: m[27 + s], out });
    at += 1 + out.length;
  }
  return {
    kind: 'snapshot', playing: true, decks: m[5], showSeconds: m[7], playSeconds: m[8], seat: m[9], phase: m[10],
    toBeat: { seat: m[11], main: m[12], type: m[13], count: m[14] }, seats, hand: cardsAt(m, at),
  };
}

/** @param {number[]} head @param {string} s */
function withText(head, s) {
  return Uint8Array.from([...head, ...encodeGbk(s)]);
}

export const send = {
  greeting: (/** @type {boolean} */ allowWatch) => withText([130, 0], `700\`KOVA\`${allowWatch ? 1 : 0}`),
  enterGame: () => Uint8Array.from([130, 1]),
  leave: (/** @type {string} */ name) => withText([110, 0], name),
  confirmSettings: (/** @type {string} */ name, /** @type {number[]} */ s) => withText([112, 0], [name, ...s].join('`')),
  agree: (/** @type {string} */ name) => withText([112, 1], name),
  showCards: (/** @type {string} */ name, /** @type {boolean} */ shown) => withText([113, 1], `${name}\`${shown ? 1 : 0}`),
  askHand: (/** @type {number} */ seat) => Uint8Array.from([2, 0, seat]),
  ready: (/** @type {number} */ seat) => Uint8Array.from([18, seat]),
  startAck: (/** @type {number} */ seat) => Uint8Array.from([19, seat]),
  answer: (/** @type {number} */ seat, /** @type {number} */ answer) => Uint8Array.from([20, 0, seat, answer]),
  play: (/** @type {number} */ seat, /** @type {number[]} */ cards) => Uint8Array.from([21, 0, 0, 0, 0, seat, cards.length, ...cards]),
  chat: (/** @type {string} */ name, /** @type {string} */ line) =>
    withText([1], [name, '所有人', name, '所有人', '', '0', '0', '0', '', line].join('`')),
};

/** A message inside its frame: the four-byte length first. @param {Uint8Array} message @returns {Uint8Array<ArrayBuffer>} */
export function frame(message) {
  const out = new Uint8Array(4 + message.length);
  new DataView(out.buffer).setUint32(0, message.length);
  out.set(message, 4);
  return out;
}

/** The message inside a frame; null for a keep-alive or a broken frame. @param {Uint8Array} f */
export function unframe(f) {
  if (f.length < 4) return null;
  const n = new DataView(f.buffer, f.byteOffset, f.byteLength).getUint32(0);
  return n === 0 || n !== f.length - 4 ? null : f.subarray(4);
}
