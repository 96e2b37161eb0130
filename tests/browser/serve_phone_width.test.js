// The live app page at phone width with a library loaded, and the text form
// of results JSON cannot hold.
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import assert from 'node:assert/strict';
import { announcedPort, launchBrowser, runTest, sourceDir, startZelt, waitForHttp } from './support.js';

const context = await launchBrowser();
const server = startZelt(['serve', '--port', '0']);
const port = await announcedPort(server, /^\[zelt-lbr\] serving on http:\/\/127\.0\.0\.1:(\d+)\n/);
const base = `http://127.0.0.1:${port}`;
const post = async (path, body) =>
  (await fetch(`${base}/${path}`, { method: 'POST', body: JSON.stringify(body) })).json();

try {
  await waitForHttp(`${base}/state`);
  await post('load', { lbr: readFileSync(join(sourceDir, 'tests/data/consumer/handmade.lbr'), 'utf8') });
  const page = await context.newPage();
  await page.setViewportSize({ width: 420, height: 800 });
  await page.goto(`${base}/`);
  await page.locator('#library').waitFor();

  await runTest('at 420 px the page does not scroll sideways', async () => {
    const widths = await page.evaluate(() => {
      const { scrollWidth, clientWidth } = document.documentElement;
      return [scrollWidth, clientWidth];
    });
    assert.deepEqual(widths, [420, 420]);
  });

  await runTest('values JSON cannot hold come back as their text form', async () => {
    for (const [code, result] of [['return undefined', 'undefined'], ['', 'undefined'], ['return 10n', '10'],
      ['return null', null]]) {
      const { id } = await post('eval', { code });
      let reply = { done: false };
      for (let tries = 0; !reply.done && tries < 200; tries += 1) {
        await new Promise((r) => setTimeout(r, 25));
        reply = await (await fetch(`${base}/eval/${id}`)).json();
      }
      assert.deepEqual(reply, { done: true, result: { error: null, result } }, code);
    }
  });
} finally {
  await context.close();
  server.kill();
  await server.exited;
}
