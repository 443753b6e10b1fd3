// The browser table's first visit, measured in Debian's Chromium against a
// room of this build on loopback: the bytes it transfers (pictures at 2x,
// as a phone or a high-density screen loads them) up to the first deal, and
// the time from asking for the page to the table drawn with the player's
// own seat on it.
//
//   node bench/web_first_visit.mjs [RUNS]
//
// Needs tests/web's packages (scripts/setup-deps test).
import path from 'node:path';
import { openPage, startBrowser, startRoom } from '../tests/web/support.mjs';

const runs = Number(process.argv[2] ?? 5);
const room = await startRoom(['--bots', '3', '--bot-level', 'basic']);
const browser = await startBrowser();
const times = [];
let bytes = 0;
/** @type {Map<string, number>} */
const files = new Map();
try {
  for (let i = 0; i < runs; ++i) {
    const context = await browser.newContext({ viewport: { width: 390, height: 844 }, deviceScaleFactor: 2 });
    await context.addInitScript((n) => localStorage.setItem('redten.name', n), `访客${i}`);
    const page = await context.newPage();
    const cdp = await context.newCDPSession(page);
    await cdp.send('Network.enable');
    let total = 0;
    /** @type {Map<string, string>} */
    const urls = new Map();
    cdp.on('Network.requestWillBeSent', (e) => urls.set(e.requestId, e.request.url));
    cdp.on('Network.loadingFinished', (e) => {
      total += e.encodedDataLength;
      if (i === 0) files.set(path.basename(new URL(urls.get(e.requestId) ?? 'x:/?').pathname), e.encodedDataLength);
    });
    const start = performance.now();
    await page.goto(`${room.url}/play`);
    await page.waitForSelector('#seat-0 .who');
    times.push(performance.now() - start);
    // The cards load with the first deal.
    await page.click('button[data-act=confirmSettings]');
    await page.waitForSelector('#hand [data-i]');
    await page.waitForLoadState('networkidle');
    if (i === 0) bytes = total;
    await context.close();
  }
} finally {
  await browser.close();
  await room.stop();
}
times.sort((a, b) => a - b);
console.log(`first visit: ${(bytes / 1024).toFixed(1)} KiB in ${files.size} answers (headers included)`);
for (const [name, size] of [...files].sort((a, b) => b[1] - a[1])) console.log(`  ${name.padEnd(16)} ${(size / 1024).toFixed(1)} KiB`);
console.log(`to the table drawn: median ${times[Math.floor(times.length / 2)].toFixed(0)} ms, ` +
  `best ${times[0].toFixed(0)} ms, worst ${times.at(-1)?.toFixed(0)} ms over ${runs} visits (each in a fresh profile)`);
