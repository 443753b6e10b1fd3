// Draws the browser table from its model: the four seats round the cloth,
// what each played, the own hand fanned to fit, the buttons of the moment,
// the question or panel in the middle, the people and the chat. It keeps
// no state of its own beyond the elements it fills.
import { HIDDEN, PASS } from './wire.js';

/** @param {string} id */
const $ = (id) => /** @type {HTMLElement} */ (document.getElementById(id));

/** @param {string} s */
function esc(s) {
  return s.replace(/[&<>"']/g, (c) => `&#${c.charCodeAt(0)};`);
}

/** The deck picture's column and row of a card, as the desktop numbers its pictures. @param {number} code */
export function cardCell(code) {
  if (code >= HIDDEN - 1 || (code > 51 && code !== 59 && code !== 72)) return [0, 4];
  const c = code === 59 ? 7 : code === 72 ? 46 : code;
  const n = c % 13 <= 10 ? c + 2 : c - 11;
  return [n % 13, Math.floor(n / 13)];
}

/** @param {number} code @param {string} [extra] @param {string} [attrs] @param {string} [style] */
function card(code, extra = '', attrs = '', style = '') {
  const [c, r] = cardCell(code);
  return `<div class="card ${extra}" style="--c:${c};--r:${r};${style}" ${attrs}></div>`;
}

/** @param {number[]} cards */
function played(cards) {
  if (cards.length === 1 && cards[0] === PASS) return '<div class="pass">不出</div>';
  return cards.map((c) => card(c, 'small')).join('');
}

/** @param {number} portrait */
function face(portrait) {
  return `<div class="face" style="--f:${Math.max(0, portrait % 1000) % 13}"></div>`;
}

const PLACES = ['', '头游', '二游', '三游', '末游'];

/** Replaces what el shows only when it changed. @param {HTMLElement} el @param {string} html */
function fill(el, html) {
  if (el.dataset.html !== html) {
    el.innerHTML = html;
    el.dataset.html = html;
  }
}

export class View {
  /** @param {import('./table.js').Table} table @param {Record<string, (...a: any[]) => void>} act */
  constructor(table, act) {
    this.t = table;
    this.act = act;
    /** @type {string} */
    this.toast = '';
    this.toastUntil = 0;
    this.chatSeen = -1;
    $('hand').addEventListener('click', (e) => {
      const el = /** @type {HTMLElement} */ (e.target).closest('[data-i]');
      if (el) act.toggle(Number(el.getAttribute('data-i')));
    });
    $('hand').addEventListener('contextmenu', (e) => {
      e.preventDefault();
      act.play();
    });
    document.body.addEventListener('click', (e) => {
      const el = /** @type {HTMLElement} */ (e.target).closest('[data-act]');
      if (!el || el.hasAttribute('disabled')) return;
      act[/** @type {string} */ (el.getAttribute('data-act'))](el.getAttribute('data-arg'));
    });
    window.addEventListener('resize', () => this.render());
  }

  /** @param {string} text */
  flash(text) {
    this.toast = text;
    this.toastUntil = Date.now() + 2500;
    this.render();
  }

  render() {
    const t = this.t;
    $('title').textContent = t.table ? `红十 · 第 ${t.table} 桌` : '红十';
    $('status').textContent = t.spectator ? `旁观 ${t.view}` : t.me;
    $('allow-watch-box').hidden = t.spectator;
    for (let p = 0; p < 4; ++p) this.renderSeat(p);
    this.renderHand();
    this.renderActions();
    this.renderCentre();
    this.renderPeople();
    this.renderChat();
  }

  /** @param {number} p the place at the table, 0 at the bottom */
  renderSeat(p) {
    const t = this.t;
    const s = t.mySeat < 0 ? p : (t.mySeat + p) % 4;
    const u = t.users[s];
    const seat = t.seats[s];
    const el = $(`seat-${p}`);
    if (!u) {
      el.innerHTML = '<div class="empty">空位</div>';
    } else {
      const marks = [
        u.dropped ? '<span class="mark drop">掉线</span>' : '',
        u.ready && t.phase !== 1 && t.phase !== 2 && t.phase !== 3 ? '<span class="mark ready">✋ 准备好了</span>' : '',
        seat.liang >= 1 && seat.liang <= 3 ? '<span class="mark liang">亮红10</span>' : '',
        seat.place > 0 ? `<span class="mark place">${PLACES[seat.place] ?? ''}</span>` : '',
      ].join('');
      const count = p !== 0 && (t.phase === 1 || t.phase === 2 || t.phase === 3) ? `<span class="count">${seat.count} 张</span>` : '';
      el.innerHTML = `${face(u.portrait)}<div class="who"><b>${esc(u.name)}</b><span>${u.points} 分</span>${count}${marks}</div>${this.clockOf(s)}`;
    }
    el.classList.toggle('turn', t.clock !== null && t.clock.seat === s);
    const out = t.showPrevious ? seat.lastOut : seat.out;
    $(`out-${p}`).innerHTML = played(out);
    $(`out-${p}`).classList.toggle('previous', t.showPrevious);
  }

  /** @param {number} s */
  clockOf(s) {
    const c = this.t.clock;
    if (!c || c.seat !== s) return '';
    const left = Math.max(0, Math.ceil((c.deadline - Date.now()) / 1000));
    return `<div class="clock${left <= 5 ? ' warn' : ''}" data-clock>${left}</div>`;
  }

  renderHand() {
    const t = this.t;
    const el = $('hand');
    const n = t.hand.length;
    const width = el.clientWidth || 320;
    const cw = parseFloat(getComputedStyle(el).getPropertyValue('--cw')) || 80;
    // Fanned to fit: each card shows as much as the width allows, and at
    // most three fifths of itself.
    const step = n <= 1 ? 0 : Math.min(cw * 0.6, (width - cw) / (n - 1));
    const start = Math.max(0, (width - cw - step * (n - 1)) / 2);
    el.innerHTML = t.hand
      .map((c, i) => card(c, t.selected.has(i) ? 'up' : '', `data-i="${i}" role="button"`, `left:${start + i * step}px`))
      .join('');
  }

  renderActions() {
    const t = this.t;
    const b = (/** @type {string} */ act, /** @type {string} */ label, on = true, cls = '') =>
      `<button data-act="${act}" class="${cls}"${on ? '' : ' disabled'}>${label}</button>`;
    let html = '';
    if (t.myTurn) {
      html += b('play', '出牌', t.selected.size > 0, 'main');
      if (!t.leading) html += b('pass', '不出') + b('hint', '提示');
    }
    if (!t.spectator && t.hand.length > 0) html += b('sort', '排序');
    if (t.seats.some((s) => s.lastOut.length > 0)) html += b('previous', '上轮');
    if (t.canStart && !t.result) html += b('start', '可以开始', true, 'main');
    $('actions').innerHTML = html;
  }

  renderCentre() {
    const t = this.t;
    const q = t.question;
    let html = '';
    if (q?.kind === 'owner') {
      const [stake, , , penalty] = q.settings;
      html = `<div class="panel"><h3>本桌设置</h3>
        <label>底注 <input id="set-stake" type="number" min="10" max="1000" value="${stake}"></label>
        <label>逃跑扣分 <input id="set-penalty" type="number" min="0" max="500" value="${penalty}"></label>
        <button data-act="confirmSettings" class="main">确定</button></div>`;
    } else if (q?.kind === 'agree') {
      html = `<div class="panel"><h3>本桌设置</h3><p>底注 ${q.settings[0]} 分，逃跑扣 ${q.settings[3]} 分。</p>
        <button data-act="agree" class="main">同意</button><button data-act="leave">离开</button></div>`;
    } else if (q) {
      html = `<div class="panel liang">${q.choices.map((c, i) => `<button data-act="answer" data-arg="${i}" class="main">${c}</button>`).join('')}</div>`;
    } else if (t.result) {
      html = this.resultPanel();
    } else if (t.waitingForOwner) {
      html = '<div class="panel"><p>等待桌主进行本桌游戏设置...</p></div>';
    } else if (t.notices.length > 0) {
      html = `<div class="panel"><p>${esc(t.notices[0])}</p><button data-act="dismiss" class="main">确定</button></div>`;
    }
    if (t.blast && t.blast.until > Date.now()) html += `<div class="blast">${t.blast.kind}！</div>`;
    if (this.toast && this.toastUntil > Date.now()) html += `<div class="toast">${esc(this.toast)}</div>`;
    // Typing in the settings is not undone by the next clock tick.
    fill($('centre'), html);
  }

  resultPanel() {
    const t = this.t;
    const r = /** @type {NonNullable<typeof t.result>} */ (t.result);
    const redScore = r.scores.reduce((sum, v, i) => sum + (r.red[i] ? v : 0), 0);
    const verdict = redScore > 0 ? '红方胜' : redScore < 0 ? '黑方胜' : '平局';
    const rows = [0, 1, 2, 3].map((s) => {
      const u = t.users[s];
      const score = r.scores[s];
      return `<tr class="${r.red[s] ? 'red' : ''}"><td>${esc(u?.name ?? '')}</td><td>${r.red[s] ? '红方' : '黑方'}</td>
        <td>${PLACES[r.places[s]] || '–'}</td><td class="${score > 0 ? 'win' : score < 0 ? 'lose' : ''}">${score > 0 ? '+' : ''}${score}</td></tr>`;
    });
    return `<div class="panel result"><h3>本局结束 · ${verdict}</h3><table><tr><th>玩家</th><th>一方</th><th>名次</th><th>得分</th></tr>${rows.join('')}</table>
      ${t.canStart ? '<button data-act="start" class="main">可以开始</button>' : ''}</div>`;
  }

  renderPeople() {
    const t = this.t;
    const rows = t.users.filter((u) => u !== null).map((u) => {
      const x = /** @type {NonNullable<typeof u>} */ (u);
      return `<tr><td>${esc(x.name)}</td><td>${x.points}</td><td>${x.games}</td><td>${x.wins}</td><td>${x.losses}</td></tr>`;
    });
    const watchers = t.watchers.length ? `<p class="watchers">旁观：${t.watchers.map(esc).join('、')}</p>` : '';
    const html = `<table><tr><th>玩家</th><th>积分</th><th>局数</th><th>胜</th><th>负</th></tr>${rows.join('')}</table>${watchers}`;
    fill($('people'), html);
  }

  renderChat() {
    const t = this.t;
    const log = $('chat-log');
    if (this.chatSeen === t.chat.length && log.childElementCount === t.chat.length) return;
    this.chatSeen = t.chat.length;
    log.innerHTML = t.chat
      .map((c) => (c.notice ? `<p class="notice">${esc(c.text)}</p>` : `<p><span class="time">${esc(c.time)}</span> <b>${esc(c.from)}</b>：${esc(c.text)}</p>`))
      .join('');
    log.scrollTop = log.scrollHeight;
  }

  /** The clock alone, between changes. */
  tick() {
    const t = this.t;
    if (!t.clock) return;
    const p = t.place(t.clock.seat);
    const el = $(`seat-${p}`).querySelector('[data-clock]');
    const left = Math.max(0, Math.ceil((t.clock.deadline - Date.now()) / 1000));
    if (el) {
      el.textContent = String(left);
      el.classList.toggle('warn', left <= 5);
    }
  }
}
