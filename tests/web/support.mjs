// What the browser tests share: a real room started for the test, Debian's
// Chromium driven headless, and a player that plays a page the way a person
// would, by clicking its own cards and buttons.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { setTimeout as sleep } from 'node:timers/promises';
import { chromium } from 'playwright-core';
import { readMessage, unframe } from '../../web/js/wire.js';

const here = path.dirname(new URL(import.meta.url).pathname);
export const binDir = process.env.REDTEN_BIN_DIR ?? path.join(here, '../../build/bin');
export const snapshotDir = process.env.REDTEN_SNAPSHOT_DIR ?? path.join(here, '../../build/snapshots');

/** A room of our own on a free loopback port; stop() ends it. @param {string[]} args */
export async function startRoom(args = []) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'redten-web-'));
  const portFile = path.join(dir, 'port');
  const room = spawn(path.join(binDir, 'redten-room'),
    ['--listen', '127.0.0.1:0', '--port-file', portFile, '--db', path.join(dir, 'room.db'), '--no-announce', ...args],
    { stdio: ['ignore', 'ignore', 'pipe'] });
  let log = '';
  room.stderr.on('data', (d) => { log += d; });
  for (let i = 0; i < 100 && !fs.existsSync(portFile); ++i) await sleep(50);
  const port = Number(fs.readFileSync(portFile, 'utf8').trim());
  return {
    port, dir, url: `http://127.0.0.1:${port}`,
    log: () => log,
    async stop() {
      room.kill('SIGTERM');
      await new Promise((done) => room.once('exit', done));
      fs.rmSync(dir, { recursive: true, force: true });
    },
  };
}

export async function startBrowser() {
  return chromium.launch({
    executablePath: process.env.REDTEN_CHROMIUM ?? '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
}

/**
 * A person's page: a browser profile of its own (its own name and secret),
 * and every message the room sent it, read as the page reads them.
 * @param {import('playwright-core').Browser} browser
 * @param {string} url @param {string} name
 * @param {{viewport?: {width: number, height: number}, scale?: number, hideCards?: boolean, secret?: string}} [o]
 */
export async function openPage(browser, url, name, o = {}) {
  const context = await browser.newContext({ viewport: o.viewport ?? { width: 1280, height: 800 }, deviceScaleFactor: o.scale ?? 1 });
  await context.addInitScript(([n, hide, secret]) => {
    if (!localStorage.getItem('redten.name')) localStorage.setItem('redten.name', n);
    if (secret) localStorage.setItem('redten.secret', secret);
    if (hide) localStorage.setItem('redten.allowWatch', '0');
  }, [name, o.hideCards ?? false, o.secret ?? '']);
  const page = await context.newPage();
  /** @type {any[]} */
  const received = [];
  /** @type {Uint8Array[]} */
  const raw = [];
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  page.on('websocket', (ws) => ws.on('framereceived', (f) => {
    if (typeof f.payload === 'string') return;
    const bytes = new Uint8Array(f.payload);
    const m = unframe(bytes);
    if (m) {
      raw.push(m.slice());
      received.push(readMessage(m));
    }
  }));
  await page.goto(url);
  return { page, context, received, raw, errors, name };
}

/** @param {import('playwright-core').Page} page @param {string} selector */
async function visible(page, selector) {
  const el = await page.$(selector);
  return el !== null && (await el.isVisible()) && !(await el.isDisabled().catch(() => false));
}

/**
 * Plays the page's seat until the game is over, as a person would: agrees to
 * the settings, declines to show, follows with the suggestion or passes,
 * leads with its lowest card. onTurn runs before each own play.
 * @param {import('playwright-core').Page} page
 * @param {{until?: () => boolean, onTurn?: () => Promise<void>, timeoutMs?: number}} [o]
 */
export async function playUntilOver(page, o = {}) {
  const deadline = Date.now() + (o.timeoutMs ?? 120000);
  while (Date.now() < deadline) {
    if (o.until?.()) return;
    if (await visible(page, '.panel.result')) return;
    if (await visible(page, 'button[data-act=confirmSettings]')) await page.click('button[data-act=confirmSettings]');
    else if (await visible(page, 'button[data-act=agree]')) await page.click('button[data-act=agree]');
    else if (await visible(page, 'button[data-act=answer]')) await page.click('button[data-act=answer] >> nth=-1');
    else if (await visible(page, 'button[data-act=dismiss]')) await page.click('button[data-act=dismiss]');
    else if (await page.$('button[data-act=play]')) {
      await o.onTurn?.();
      if (await page.$('button[data-act=hint]')) {
        await page.click('button[data-act=hint]');
        await sleep(60);
        if (await visible(page, 'button[data-act=play]')) await page.click('button[data-act=play]');
      } else {
        const cards = await page.$$('#hand [data-i]');
        if (cards.length > 0) {
          await cards[cards.length - 1].click();
          await sleep(60);
          if (await visible(page, 'button[data-act=play]')) await page.click('button[data-act=play]');
        }
      }
    }
    await sleep(80);
  }
  throw new Error('the game did not end in time');
}

/** @param {string} url */
export async function getJson(url) {
  const answer = await fetch(url);
  if (!answer.ok) throw new Error(`${url}: ${answer.status}`);
  return answer.json();
}

export { sleep };
