// Whatever bytes come from the room, the browser table's reader and model
// neither throw nor leave their bounds: thousands of damaged messages of
// every code the table knows, fed to one table after a real start.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { instantiateRules } from '../../web/js/rules.js';
import { readMessage, send } from '../../web/js/wire.js';
import { Table } from '../../web/js/table.js';
import { binDir } from './support.mjs';

const CODES = [130, 110, 108, 111, 112, 105, 109, 17, 19, 20, 21, 22, 23, 5, 2, 113, 18, 1, 133, 0, 255];

test('damaged messages never break the table', async () => {
  const rules = await instantiateRules(fs.readFileSync(path.join(binDir, '../redten/web/rules.wasm')));
  let seed = 7;
  const random = () => ((seed = (seed * 1103515245 + 12345) >>> 0) / 2 ** 32);
  const sent = [];
  const table = new Table(rules, { send: (m) => sent.push(m), later: () => {}, changed: () => {}, now: () => 0 });
  table.apply(readMessage(Uint8Array.from([130, 3, ...new TextEncoder().encode('me`me')])));
  for (let i = 0; i < 20000; ++i) {
    const m = new Uint8Array(Math.floor(random() * 70));
    for (let j = 0; j < m.length; ++j) m[j] = Math.floor(random() * 256);
    if (m.length > 0) m[0] = CODES[Math.floor(random() * CODES.length)];
    if (m.length > 1 && random() < 0.7) m[1] = Math.floor(random() * 6);
    table.apply(readMessage(m));
    table.toggle(Math.floor(random() * 60) - 3);
    if (random() < 0.1) table.hint();
    if (random() < 0.1) table.play();
  }
  assert.ok(table.hand.length <= 54);
  assert.ok(table.seats.every((s) => s.out.length <= 54));
  assert.ok(table.users.length === 4);
  // What the table sends stays a message of the table's own.
  for (const m of sent) assert.ok([2, 18, 19, 20, 21, 112, 130].includes(m[0]), `sent ${m[0]}`);
  assert.deepEqual([...send.play(2, [254])], [21, 0, 0, 0, 0, 2, 1, 254]);
});
