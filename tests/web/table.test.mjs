// The browser's table against a real room, in Debian's Chromium: whole
// games played by clicking, a desktop table beside browsers, a reload in
// the middle of a hand, a stranger's secret, a phone's screen, and what a
// spectator's link carries.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { binDir, getJson, openPage, playUntilOver, sleep, snapshotDir, startBrowser, startRoom } from './support.mjs';

/** @type {import('playwright-core').Browser} */
let browser;
before(async () => { browser = await startBrowser(); });
after(async () => { await browser?.close(); });

/** The plays a page was told of, as the stored game lists them. @param {any[]} received */
const playsSeen = (received) => received.filter((m) => m?.kind === 'play').map((m) => ({ seat: m.seat, cards: m.cards }));

describe('four browsers at one table', () => {
  test('play a whole game by clicking, and the stored game is what they saw', { timeout: 150000 }, async () => {
    const room = await startRoom(['--bots', '0', '--bot-quiet-ms', '0']);
    try {
      const names = ['东家', '南家', '西家', '北家'];
      const players = [];
      for (const name of names) players.push(await openPage(browser, `${room.url}/play`, name));
      await Promise.all(players.map((p) => playUntilOver(p.page)));
      const tables = await getJson(`${room.url}/tables.json`);
      assert.equal(tables.tables.length, 1);
      let game;
      for (let i = 0; i < 50 && !game; ++i) {
        game = await getJson(`${room.url}/games/1.json`).catch(() => undefined);
        if (!game) await sleep(100);
      }
      assert.ok(game, 'the game was stored');
      const stored = game.plays.map((/** @type {any} */ p) => ({ seat: p.seat, cards: p.cards }));
      for (const p of players) {
        assert.deepEqual(playsSeen(p.received), stored, `${p.name} saw the stored plays`);
        const over = p.received.find((m) => m?.kind === 'gameOver');
        assert.deepEqual(over.scores, game.seats.map((/** @type {any} */ s) => s.score));
        assert.deepEqual(p.errors, []);
        const shown = await p.page.locator('.panel.result td.win, .panel.result td.lose').allTextContents();
        assert.ok(shown.length >= 2, 'the panel shows the scores');
      }
    } finally {
      await room.stop();
    }
  });
});

describe('a desktop table with three browsers', () => {
  test('finishes a game', { timeout: 240000 }, async () => {
    // The desktop table plays nothing by itself: its clock runs out fast
    // and plays for it, as it does for a person who does not act.
    const room = await startRoom(['--bots', '0', '--bot-quiet-ms', '0', '--play-secs', '2', '--show-secs', '2', '--auto-limit', '255']);
    const home = fs.mkdtempSync(path.join(room.dir, 'desktop-'));
    const browsers = [await openPage(browser, `${room.url}/play`, '网页一')];
    await browsers[0].page.waitForSelector('button[data-act=confirmSettings]');
    const desktop = spawn(path.join(binDir, 'redten-play'), ['--join', `127.0.0.1:${room.port}`, '--name', '桌面客', '--no-lobby', '--secret', 'desk-secret'],
      { env: { ...process.env, QT_QPA_PLATFORM: 'offscreen', XDG_CONFIG_HOME: home, XDG_DATA_HOME: home, HOME: home }, stdio: 'ignore' });
    try {
      for (const name of ['网页二', '网页三']) browsers.push(await openPage(browser, `${room.url}/play`, name));
      await Promise.all(browsers.map((p) => playUntilOver(p.page, { timeoutMs: 200000 })));
      const over = browsers[0].received.find((m) => m?.kind === 'gameOver');
      assert.ok(over, 'the game ended');
      const list = browsers[0].received.filter((m) => m?.kind === 'users').at(-1);
      assert.ok(list.users.some((/** @type {any} */ u) => u.name === '桌面客'), 'the desktop table sat with them');
    } finally {
      desktop.kill('SIGTERM');
      await room.stop();
    }
  });
});

describe('one table, seen from a phone, a reload and a stranger', () => {
  test('a reload gets the seat, hand and clock back; another secret is refused; spectators see no hidden card', { timeout: 150000 }, async () => {
    const room = await startRoom(['--bots', '3', '--bot-level', 'basic', '--bot-pause-ms', '200', '--bot-quiet-ms', '500']);
    try {
      const phone = await openPage(browser, `${room.url}/play`, '手机', { viewport: { width: 390, height: 844 }, scale: 2, hideCards: true });
      const { page } = phone;
      const shot = (/** @type {string} */ name) => page.screenshot({ path: path.join(snapshotDir, `web-phone-${name}.png`), fullPage: true });
      fs.mkdirSync(snapshotDir, { recursive: true });
      const watcher = await openPage(browser, `${room.url}/play?watch=${encodeURIComponent('手机')}`, '看客');

      await page.waitForSelector('button[data-act=confirmSettings]');
      await page.click('button[data-act=confirmSettings]');
      await page.waitForSelector('#hand [data-i]');
      await shot('deal');
      // Every control a thumb needs is big enough and inside the screen.
      for (const box of await page.$$eval('#actions button, #hand [data-i]', (els) => els.map((e) => e.getBoundingClientRect().toJSON()))) {
        assert.ok(box.left >= 0 && box.right <= 390, `inside the screen: ${JSON.stringify(box)}`);
      }
      for (const h of await page.$$eval('#actions button', (els) => els.map((e) => e.getBoundingClientRect().height))) assert.ok(h >= 44);

      // Two plays of our own, then the reload, at our turn.
      let turns = 0;
      await playUntilOver(page, { until: () => turns >= 2, onTurn: async () => { ++turns; if (turns === 2) await shot('trick'); } });
      await page.waitForSelector('button[data-act=play]', { timeout: 30000 });
      const before = await page.$$eval('#hand [data-i]', (els) => els.length);
      await page.reload();
      await page.waitForSelector('#hand [data-i]');
      assert.equal(await page.$$eval('#hand [data-i]', (els) => els.length), before, 'the same hand came back');
      await page.waitForSelector('.seat .clock');
      await page.waitForFunction(() => document.getElementById('title')?.textContent?.includes('第 1 桌'));

      const stranger = await openPage(browser, `${room.url}/play`, '手机', { secret: 'not-the-secret' });
      await stranger.page.waitForSelector('#end:not([hidden])');
      assert.match(await stranger.page.textContent('#end-text') ?? '', /\S/);

      await playUntilOver(page);
      await shot('over');
      assert.deepEqual(phone.errors, []);

      // The player hid the cards: no byte the spectator got names one.
      assert.ok(watcher.raw.some((m) => m[0] === 19 || m[0] === 109), 'the spectator was shown the hand');
      for (const m of watcher.raw) {
        let from = m.length;
        if (m[0] === 19) from = 2;
        else if (m[0] === 2 && m.length >= 3) from = 3;
        else if (m[0] === 109 && m.length > 31 && m[2] !== 0) {
          let i = 31;
          for (let s = 0; s < 4; ++s) i += 1 + m[i];
          from = i + 1;
        }
        for (let i = from; i < m.length; ++i) assert.equal(m[i], 255, `message ${m[0]} shows a card`);
      }
    } finally {
      await room.stop();
    }
  });
});
