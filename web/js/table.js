// The browser table's model: what the room said, turned into what the
// table shows and what the player may do now. It draws nothing; the view
// reads it after every change. Its rules for turns, the red-ten question
// and the pauses are the desktop table's.
import { PASS, send } from './wire.js';
import { NO_TYPE, TYPE_BOMB, TYPE_RED_TENS } from './rules.js';

export const RED_TEN_A = 59;
export const RED_TEN_B = 72;
const SHOWING = 1, LEAD = 2, FOLLOW = 3, BETWEEN = 100;
const PAUSE_MS = 2000; // a won trick and the end of the showing stay in view

/** @typedef {import('./rules.js').Rules} Rules */
/**
 * @typedef {{
 *   send(message: Uint8Array): void,
 *   later(ms: number, fn: () => void): void,
 *   changed(): void,
 *   now(): number,
 * }} Effects
 */

function freshSeat() {
  return { count: 0, out: /** @type {number[]} */ ([]), lastOut: /** @type {number[]} */ ([]), liang: 4, liangTimes: 0, place: 0 };
}

export class Table {
  /** @param {Rules} rules @param {Effects} fx */
  constructor(rules, fx) {
    this.rules = rules;
    this.fx = fx;
    this.me = '';
    this.view = '';
    this.mySeat = -1;
    /** @type {(ReturnType<typeof import('./wire.js').userRecord>|null)[]} */
    this.users = [null, null, null, null];
    /** @type {string[]} */
    this.watchers = [];
    this.phase = 0;
    this.curSeat = 0;
    this.toBeat = { seat: 0, type: NO_TYPE, main: 0, count: 0 };
    /** @type {number[]} */
    this.hand = [];
    /** @type {Set<number>} */
    this.selected = new Set();
    this.seats = [freshSeat(), freshSeat(), freshSeat(), freshSeat()];
    this.options = { showSeconds: 15, playSeconds: 30, decks: 1 };
    /** @type {{seat: number, deadline: number} | null} */
    this.clock = null;
    /** @type {null | {kind: 'owner', settings: number[]} | {kind: 'agree', settings: number[]} | {kind: 'liang', choices: string[]} | {kind: 'follow', choices: string[]}} */
    this.question = null;
    this.waitingForOwner = false;
    /** @type {null | {scores: number[], left: number[][], red: boolean[], places: number[]}} */
    this.result = null;
    this.canStart = false;
    /** @type {{kind: string, seat: number, until: number} | null} */
    this.blast = null;
    this.showPrevious = false;
    this.byGroup = false;
    /** @type {number[][]} */
    this.hintList = [];
    this.hintIndex = 0;
    /** @type {{time: string, from: string, text: string, notice?: boolean}[]} */
    this.chat = [];
    /** @type {string[]} */
    this.notices = [];
    this.table = 0;
    /** @type {(() => void) | null} what a pause will do when it ends */
    this.pending = null;
    this.generation = 0;
  }

  get spectator() {
    return this.me !== '' && this.me !== this.view;
  }

  /** Seat s as the table shows it: 0 at the bottom, then round the table. @param {number} s */
  place(s) {
    return this.mySeat < 0 ? s : (s - this.mySeat + 4) % 4;
  }

  get myTurn() {
    return !this.spectator && this.pending === null && this.mySeat >= 0 && this.curSeat === this.mySeat &&
      (this.phase === LEAD || this.phase === FOLLOW);
  }

  get leading() {
    return this.phase === LEAD;
  }

  /** @param {string} line @param {boolean} [notice] */
  say(line, notice = true) {
    this.chat.push({ time: new Date(this.fx.now()).toTimeString().slice(0, 8), from: '', text: line, notice });
    if (this.chat.length > 200) this.chat.shift();
  }

  /** @param {any} m a message from wire.readMessage */
  apply(m) {
    if (m === null) return;
    // A message that overtakes a pause first finishes what the pause held.
    if (this.pending && ['play', 'answer', 'showingOver', 'gameOver', 'snapshot', 'start', 'deal'].includes(m.kind)) {
      this.finishPause();
    }
    const handler = /** @type {any} */ (this)[`on_${m.kind}`];
    if (handler) handler.call(this, m);
    this.fx.changed();
  }

  finishPause() {
    const p = this.pending;
    this.pending = null;
    ++this.generation;
    p?.();
  }

  /** @param {() => void} then */
  pause(then) {
    this.pending = then;
    const generation = ++this.generation;
    this.fx.later(PAUSE_MS, () => {
      if (generation === this.generation && this.pending) {
        this.finishPause();
        this.fx.changed();
      }
    });
  }

  // --- who is here ----------------------------------------------------------------

  /** @param {any} m */
  on_identity(m) {
    this.me = m.me;
    this.view = m.view;
    this.findMySeat();
  }

  /** @param {any} m */
  on_users(m) {
    this.users = [null, null, null, null];
    this.watchers = [];
    for (const u of m.users) this.addUser(u);
    this.findMySeat();
  }

  /** @param {any} m */
  on_arrives(m) {
    this.addUser(m.user);
    this.findMySeat();
    if (!m.user.watched) this.say(`${m.user.name} 来了。`);
  }

  /** @param {ReturnType<typeof import('./wire.js').userRecord>} u */
  addUser(u) {
    if (u.watched) {
      if (!this.watchers.includes(u.name)) this.watchers.push(u.name);
      return;
    }
    this.users[u.chair] = u;
  }

  findMySeat() {
    const seat = this.users.findIndex((u) => u !== null && u.name === this.view);
    if (seat >= 0) this.mySeat = seat;
  }

  on_reset() {
    this.resetGame();
    this.users = [null, null, null, null];
    this.watchers = [];
    this.hand = [];
    this.phase = 0;
    this.clock = null;
  }

  /** @param {any} m */
  on_leaves(m) {
    const seat = this.users.findIndex((u) => u !== null && u.name === m.name);
    if (seat >= 0) {
      this.users[seat] = null;
      this.say(`${m.name} 离开了。`);
    }
    this.watchers = this.watchers.filter((w) => w !== m.name);
  }

  /** @param {any} m */
  on_dropped(m) {
    const u = this.users.find((x) => x !== null && x.name === m.name);
    if (u) u.dropped = m.dropped;
  }

  /** @param {any} m */
  on_roomNotice(m) {
    this.say(m.text);
  }

  /** @param {any} m */
  on_chat(m) {
    this.chat.push({ time: m.time, from: m.from, text: m.text });
    if (this.chat.length > 200) this.chat.shift();
  }

  /** @param {any} m */
  on_notice(m) {
    this.notices.push(m.text);
    this.clock = null;
  }

  /** @param {any} m */
  on_leftGame(m) {
    const name = this.users[m.seat]?.name ?? '';
    this.notices.push(`${name} 不能继续玩下去，原因：${m.reason}`);
  }

  // --- the table's settings and the start ----------------------------------------

  /** @param {any} m */
  on_settingsState(m) {
    this.table = m.table;
    if (!m.open) {
      this.canStart = !this.spectator;
      this.waitingForOwner = false;
      return;
    }
    if (this.spectator) return;
    if (m.mine) {
      const question = { kind: /** @type {'owner'} */ ('owner'), settings: m.settings.length === 6 ? m.settings : [100, 1000, 10, 50, 500, 0] };
      this.question = question;
      // Nobody waits long for an owner who walked away: the settings as
      // they stand are confirmed.
      this.fx.later(20000, () => {
        if (this.question === question) this.confirmSettings(question.settings);
      });
    } else if (m.ownerDone) {
      this.question = { kind: 'agree', settings: m.settings };
    } else {
      this.waitingForOwner = true;
    }
  }

  /** @param {any} m */
  on_raisedHand(m) {
    const u = this.users.find((x) => x !== null && x.name === m.name);
    if (u) u.ready = true;
    this.waitingForOwner = false;
    if (m.settings && m.name !== this.me && !this.spectator && this.question?.kind !== 'owner') {
      this.question = { kind: 'agree', settings: m.settings };
    }
  }

  /** @param {number[]} settings */
  confirmSettings(settings) {
    this.question = null;
    this.fx.send(send.confirmSettings(this.me, settings));
    this.fx.changed();
  }

  agree() {
    this.question = null;
    this.fx.send(send.agree(this.me));
    this.fx.changed();
  }

  startNext() {
    if (!this.canStart || this.spectator) return;
    this.canStart = false;
    this.result = null;
    this.fx.send(send.ready(this.mySeat));
    this.fx.changed();
  }

  /** @param {any} m */
  on_ready(m) {
    const u = this.users[m.seat];
    if (u) u.ready = true;
  }

  /** @param {any} m */
  on_start(m) {
    this.options = { showSeconds: m.showSeconds, playSeconds: m.playSeconds, decks: m.decks };
    this.resetGame();
    if (!this.spectator) {
      this.fx.send(send.enterGame());
      this.fx.send(send.startAck(this.mySeat));
    }
  }

  resetGame() {
    this.seats = [freshSeat(), freshSeat(), freshSeat(), freshSeat()];
    this.result = null;
    this.canStart = false;
    this.question = null;
    this.waitingForOwner = false;
    this.selected.clear();
    this.hintList = [];
    this.toBeat = { seat: 0, type: NO_TYPE, main: 0, count: 0 };
    for (const u of this.users) if (u) u.ready = false;
  }

  // --- the deal and the red tens -------------------------------------------------

  /** @param {any} m */
  on_deal(m) {
    this.setHand(m.cards);
    for (const s of this.seats) s.count = m.cards.length;
    this.phase = SHOWING;
    this.askShowing();
  }

  /** @param {number[]} cards */
  setHand(cards) {
    this.hand = this.byGroup ? this.rules.sort(cards, true) : cards.slice();
    this.selected.clear();
    this.hintList = [];
  }

  heldTens() {
    const a = this.hand.includes(RED_TEN_A), b = this.hand.includes(RED_TEN_B);
    return (a ? 1 : 0) + (b ? 2 : 0);
  }

  askShowing() {
    if (this.spectator || this.mySeat < 0 || this.phase !== SHOWING) return;
    const me = this.seats[this.mySeat];
    const held = this.heldTens();
    if (me.liang === 4) {
      if (held === 0) {
        this.fx.send(send.answer(this.mySeat, 0));
        me.liang = 0; // as good as answered: the room's echo follows
        return;
      }
      if (this.question?.kind === 'liang') return; // asked already: the clock runs on
      this.question = { kind: 'liang', choices: held === 3 ? ['亮一个红10', '亮两个红10', '我不亮红10'] : ['亮一个红10', '我不亮红10'] };
      this.clock = { seat: this.mySeat, deadline: this.fx.now() + this.options.showSeconds * 1000 };
      return;
    }
    const othersShowedOne = this.seats.some((s, i) => i !== this.mySeat && (s.liang === 1 || s.liang === 2));
    if ((held === 1 || held === 2) && me.liang === 0 && me.liangTimes === 1 && othersShowedOne && this.question?.kind !== 'follow') {
      this.question = { kind: 'follow', choices: ['跟  亮', '不  跟'] };
      this.clock = { seat: this.mySeat, deadline: this.fx.now() + this.options.showSeconds * 1000 };
    }
  }

  /** The red-ten question's button i. @param {number} i */
  answerShowing(i) {
    const q = this.question;
    if (!q || (q.kind !== 'liang' && q.kind !== 'follow')) return;
    const held = this.heldTens();
    const last = q.choices.length - 1;
    const answer = i === last ? 0 : q.kind === 'follow' ? held : i === 0 ? (held === 3 ? 1 : held) : held;
    this.question = null;
    this.clock = null;
    this.fx.send(send.answer(this.mySeat, answer));
    this.fx.changed();
  }

  /** @param {any} m */
  on_answer(m) {
    const seat = this.seats[m.seat];
    seat.liang = m.answer;
    seat.liangTimes = Math.min(seat.liangTimes + 1, 255);
    if (m.answer >= 1 && m.answer <= 3) {
      seat.out = m.answer === 1 ? [RED_TEN_A] : m.answer === 2 ? [RED_TEN_B] : [RED_TEN_A, RED_TEN_B];
    }
    if (m.seat === this.mySeat && this.question?.kind !== 'follow') this.question = null;
    this.askShowing();
  }

  /** @param {any} m */
  on_showingOver(m) {
    this.question = null;
    this.clock = null;
    this.pause(() => {
      for (const s of this.seats) s.out = [];
      if (m.leader <= 3) this.curSeat = m.leader;
      this.phase = LEAD;
      this.startTurn();
    });
  }

  // --- the plays -----------------------------------------------------------------

  startTurn() {
    this.hintList = [];
    this.hintIndex = 0;
    const playing = this.phase === LEAD || this.phase === FOLLOW;
    this.clock = playing ? { seat: this.curSeat, deadline: this.fx.now() + this.options.playSeconds * 1000 } : null;
  }

  /** @param {any} m */
  on_play(m) {
    const seat = this.seats[m.seat];
    if (m.next <= 3) this.curSeat = m.next;
    this.phase = m.phase;
    seat.place = m.place;
    seat.out = m.cards.slice();
    for (const c of m.cards) {
      if (c === RED_TEN_A && (seat.liang === 0 || seat.liang === 2)) seat.liang += 1;
      else if (c === RED_TEN_B && (seat.liang === 0 || seat.liang === 1)) seat.liang += 2;
    }
    if (m.cards[0] !== PASS && m.cards.length > 0) {
      const c = this.rules.classify(m.cards);
      if (c.type > TYPE_RED_TENS) seat.out = [];
      this.toBeat = { seat: m.seat, type: c.type, main: c.main, count: m.cards.length };
      seat.count = Math.max(0, seat.count - m.cards.length);
      if (c.type === TYPE_BOMB || c.type === TYPE_RED_TENS) {
        this.blast = { kind: c.type === TYPE_BOMB ? '炸弹' : '两红10', seat: m.seat, until: this.fx.now() + 900 };
      }
      if (m.seat === this.mySeat && !this.spectator) {
        for (const card of m.cards) {
          const i = this.hand.indexOf(card);
          if (i >= 0) this.hand.splice(i, 1);
        }
        this.selected.clear();
      }
    }
    if (this.phase === LEAD) {
      // The trick is won: it stays a moment, then becomes the previous one.
      this.clock = null;
      this.pause(() => {
        for (const s of this.seats) {
          s.lastOut = s.out;
          s.out = [];
        }
        this.startTurn();
      });
      return;
    }
    const next = this.seats[this.curSeat & 3];
    next.lastOut = next.out;
    next.out = [];
    this.startTurn();
  }

  /** @param {any} m */
  on_hand(m) {
    this.setHand(m.cards);
    if (this.mySeat >= 0) this.seats[this.mySeat].count = m.cards.length;
  }

  /** @param {any} m */
  on_gameOver(m) {
    this.phase = BETWEEN;
    this.clock = null;
    this.question = null;
    const red = this.seats.map((s, i) => (s.liang >= 1 && s.liang <= 3) || m.left[i].some((/** @type {number} */ c) => c === RED_TEN_A || c === RED_TEN_B));
    this.result = { scores: m.scores, left: m.left, red, places: this.seats.map((s) => s.place) };
    this.canStart = !this.spectator;
    for (const u of this.users) if (u) u.ready = false;
  }

  /** @param {any} m */
  on_snapshot(m) {
    this.resetGame();
    if (!m.playing) {
      this.phase = BETWEEN;
      this.canStart = !this.spectator;
      m.ready.forEach((/** @type {boolean} */ r, /** @type {number} */ i) => { if (this.users[i]) this.users[i].ready = r; });
      return;
    }
    this.options = { showSeconds: m.showSeconds, playSeconds: m.playSeconds, decks: m.decks };
    this.phase = m.phase;
    this.curSeat = m.seat & 3;
    this.toBeat = m.toBeat;
    m.seats.forEach((/** @type {any} */ s, /** @type {number} */ i) => {
      Object.assign(this.seats[i], { liang: s.answer, liangTimes: s.answers, place: s.place, count: s.count, out: s.out });
    });
    this.setHand(m.hand);
    if (this.phase === SHOWING) this.askShowing();
    else this.startTurn();
  }

  /** @param {any} m */
  on_showCards(m) {
    this.say(m.shown ? `${this.view} 让旁观者看牌了。` : `${this.view} 不让旁观者看牌了。`);
  }

  // --- the player's hand and buttons ---------------------------------------------

  /** @param {number} i */
  toggle(i) {
    if (this.spectator || i < 0 || i >= this.hand.length) return;
    if (this.selected.has(i)) this.selected.delete(i);
    else this.selected.add(i);
    this.fx.changed();
  }

  selectedCards() {
    return [...this.selected].sort((a, b) => a - b).map((i) => this.hand[i]);
  }

  /** Plays the selection; the refusal's reason when the rules refuse it. */
  play() {
    if (!this.myTurn) return '';
    const cards = this.selectedCards();
    if (cards.length === 0) return '';
    const check = this.rules.check(cards, this.leading, this.toBeat);
    if (!check.ok) return check.message;
    this.sendPlay(cards);
    return '';
  }

  pass() {
    if (!this.myTurn || this.leading) return;
    this.sendPlay([PASS]);
  }

  /** The next suggestion; nothing that beats the play passes, as on the desktop. */
  hint() {
    if (!this.myTurn) return;
    if (this.leading) {
      this.play();
      return;
    }
    if (this.hintList.length === 0) {
      this.hintList = this.rules.hints(this.hand, this.toBeat);
      this.hintIndex = 0;
      if (this.hintList.length === 0) {
        this.sendPlay([PASS]);
        return;
      }
    }
    const pick = this.hintList[this.hintIndex % this.hintList.length];
    this.hintIndex = (this.hintIndex + 1) % this.hintList.length;
    this.selected.clear();
    for (const card of pick) {
      const i = this.hand.findIndex((c, j) => c === card && !this.selected.has(j));
      if (i >= 0) this.selected.add(i);
    }
    this.fx.changed();
  }

  /** @param {number[]} cards */
  sendPlay(cards) {
    this.hintList = [];
    this.clock = null;
    this.fx.send(send.play(this.mySeat, cards));
    this.fx.changed();
  }

  sort() {
    this.byGroup = !this.byGroup;
    const keep = this.selectedCards();
    this.hand = this.rules.sort(this.hand, this.byGroup);
    this.selected.clear();
    for (const card of keep) {
      const i = this.hand.findIndex((c, j) => c === card && !this.selected.has(j));
      if (i >= 0) this.selected.add(i);
    }
    this.fx.changed();
  }

  previousTrick() {
    this.showPrevious = true;
    this.fx.later(PAUSE_MS, () => {
      this.showPrevious = false;
      this.fx.changed();
    });
    this.fx.changed();
  }

  /** The clock ran out on the player's own turn: what the desktop does. */
  clockRanOut() {
    const c = this.clock;
    if (!c || c.seat !== this.mySeat || this.spectator) return;
    this.clock = null;
    if (this.question && (this.question.kind === 'liang' || this.question.kind === 'follow')) {
      this.answerShowing(this.question.choices.length - 1);
    } else if (this.myTurn && this.leading && this.hand.length > 0) {
      this.sendPlay([this.hand[this.hand.length - 1]]);
    } else if (this.myTurn) {
      this.sendPlay([PASS]);
    }
  }
}
