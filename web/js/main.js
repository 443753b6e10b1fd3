// The browser's table: asks for a name once, then sits where the address
// says (a chosen chair, a player to watch, or any seat), keeping the name
// and a secret of its own in the browser so that a reload or a lost link
// comes back to the same seat and hand.
import { loadRules } from './rules.js';
import { Link } from './link.js';
import { readMessage, send } from './wire.js';
import { Table } from './table.js';
import { View } from './view.js';

const NAME = 'redten.name', SECRET = 'redten.secret', SEATED = 'redten.seated';
const params = new URLSearchParams(location.search);
/** @param {string} id */
const $ = (id) => /** @type {HTMLElement} */ (document.getElementById(id));

function secret() {
  let s = localStorage.getItem(SECRET);
  if (!s) {
    const bytes = crypto.getRandomValues(new Uint8Array(18));
    s = btoa(String.fromCharCode(...bytes)).replace(/\+/g, '-').replace(/\//g, '_');
    localStorage.setItem(SECRET, s);
  }
  return s;
}

/** Why a name cannot be used, or ''. @param {string} name */
function nameProblem(name) {
  if (name.length < 1 || [...name].length > 16) return '名字应该是 1 到 16 个字。';
  if (/[\s`;]/.test(name) || /[\u0000-\u001f]/.test(name)) return '名字里不能有空格、分号或反引号。';
  return '';
}

/** What the first message asks of the room. @param {string} name @param {boolean} again */
function request(name, again) {
  const key = secret();
  const watch = params.get('watch');
  if (watch) return `WATCH ${name} ${watch} ${key}`;
  // Back after a reload or a lost link: the room gives the seat back.
  if (again || sessionStorage.getItem(SEATED) === name) return `SIT ${name} ${key}`;
  const table = params.get('table'), seat = params.get('seat');
  if (table && seat) return `SITAT ${name} ${table} ${seat} ${key}`;
  const computers = params.get('computers');
  const level = params.get('level');
  if (computers) return `SITNEW ${name} ${computers} ${level === 'basic' || level === 'expert' ? level : 'strong'} ${key}`;
  return `SIT ${name} ${key}`;
}

/** The number of the table where name sits or watches. @param {string} name @param {(n: number) => void} then */
async function findTableNumber(name, then) {
  try {
    const list = await (await fetch('/tables.json')).json();
    const found = list.tables?.find((/** @type {any} */ t) =>
      t.seats?.some((/** @type {any} */ s) => s?.name === name) || t.watchers?.includes(name));
    if (found && Number.isInteger(found.number)) then(found.number);
  } catch {
    // The title goes without the number.
  }
}

/** @param {string} text @param {boolean} [home] */
function showEnd(text, home = true) {
  $('end-text').textContent = text;
  $('end-home').hidden = !home;
  $('end').hidden = false;
}

async function start(/** @type {string} */ name) {
  $('join').hidden = true;
  $('app').hidden = false;
  // The link opens while the rules load: what the room says meanwhile
  // waits for them.
  const rulesLoading = loadRules('/web/rules.wasm');
  const allowWatch = () => localStorage.getItem('redten.allowWatch') !== '0';
  /** @type {Uint8Array[]} */
  const early = [];
  /** @type {Table | undefined} */
  let table;
  const link = new Link(`${location.protocol === 'https:' ? 'wss' : 'ws'}://${location.host}/table`, {
    request: (again) => request(name, again),
    allowWatch,
    onMessage: (m) => (table ? table.apply(readMessage(m)) : early.push(m)),
    onSeated: () => {
      $('lost').hidden = true;
      if (!params.get('watch')) sessionStorage.setItem(SEATED, name);
      // A returning player is not told the table's number again: the
      // room's list of tables says it.
      setTimeout(() => findTableNumber(name, (n) => {
        if (table && table.table === 0) {
          table.table = n;
          table.fx.changed();
        }
      }), 1500);
    },
    onRefused: (reason) => {
      sessionStorage.removeItem(SEATED);
      showEnd(reason);
    },
    onLost: (reconnecting) => {
      if (reconnecting) {
        $('lost').hidden = false;
        return;
      }
      sessionStorage.removeItem(SEATED);
      showEnd(table?.notices.at(-1) ?? '和房间的连接断开了。');
    },
  });
  link.open();
  let rules;
  try {
    rules = await rulesLoading;
  } catch {
    link.close();
    showEnd('这个房间的网页牌桌缺少牌规，请用桌面版。');
    return;
  }
  let drawn = false;
  /** @type {View} */
  let view;
  table = new Table(rules, {
    send: (m) => link.sendMessage(m),
    later: (ms, fn) => { setTimeout(fn, ms); },
    changed: () => {
      if (drawn) return;
      drawn = true;
      requestAnimationFrame(() => {
        drawn = false;
        view.render();
      });
    },
    now: () => Date.now(),
  });
  view = new View(table, {
    toggle: (i) => table.toggle(i),
    play: () => {
      const why = table.play();
      if (why) view.flash(why);
    },
    pass: () => table.pass(),
    hint: () => table.hint(),
    sort: () => table.sort(),
    previous: () => table.previousTrick(),
    start: () => table.startNext(),
    answer: (i) => table.answerShowing(Number(i)),
    agree: () => table.agree(),
    confirmSettings: () => {
      const q = table.question;
      if (q?.kind !== 'owner') return;
      const clamp = (/** @type {string} */ id, /** @type {number} */ lo, /** @type {number} */ hi, /** @type {number} */ d) =>
        Math.min(hi, Math.max(lo, Math.round(Number(/** @type {HTMLInputElement} */ ($(id)).value) || d)));
      const s = q.settings.slice();
      s[0] = clamp('set-stake', s[2] || 10, s[1] || 1000, s[0]);
      s[3] = clamp('set-penalty', s[5] || 0, s[4] || 500, s[3]);
      table.confirmSettings(s);
    },
    dismiss: () => {
      table.notices.shift();
      view.render();
    },
    leave: () => {
      const playing = table.phase >= 1 && table.phase <= 3 && !table.spectator;
      if (playing && !confirm('正在打牌，现在离开算逃跑。确定要离开吗？')) return;
      sessionStorage.removeItem(SEATED);
      link.sendMessage(send.leave(name));
      link.close();
      location.href = '/';
    },
  });
  /** @type {HTMLInputElement} */ ($('allow-watch')).checked = allowWatch();
  $('allow-watch').addEventListener('change', (e) => {
    const on = /** @type {HTMLInputElement} */ (e.target).checked;
    localStorage.setItem('redten.allowWatch', on ? '1' : '0');
    link.sendMessage(send.showCards(name, on));
  });
  $('chat-form').addEventListener('submit', (e) => {
    e.preventDefault();
    const input = /** @type {HTMLInputElement} */ ($('chat-line'));
    const line = input.value.trim().slice(0, 200);
    if (line) link.sendMessage(send.chat(name, line));
    input.value = '';
  });
  setInterval(() => {
    const c = table.clock;
    if (c && c.deadline <= Date.now() && c.seat === table.mySeat) table.clockRanOut();
    view.tick();
    if (table.blast && table.blast.until <= Date.now()) {
      table.blast = null;
      view.render();
    }
  }, 250);
  for (const m of early) table.apply(readMessage(m));
  view.render();
}

const stored = localStorage.getItem(NAME);
if (stored && !nameProblem(stored)) {
  start(stored);
} else {
  $('join').hidden = false;
  $('join-form').addEventListener('submit', (e) => {
    e.preventDefault();
    const name = /** @type {HTMLInputElement} */ ($('join-name')).value.trim();
    const problem = nameProblem(name);
    $('join-error').textContent = problem;
    if (problem) return;
    localStorage.setItem(NAME, name);
    start(name);
  });
}
