// The live app page in Chromium: waiting message, a library pushed with
// POST /load, an evaluation queued by an agent, console forwarding and the
// delivery notices, against a running `zelt-lbr serve`.
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import assert from 'node:assert/strict';
import { announcedPort, launchBrowser, runTest, sourceDir, startZelt, waitForHttp } from './support.js';

const context = await launchBrowser();
const work = mkdtempSync(join(tmpdir(), 'zelt-serve-'));
const desktopLog = join(work, 'desktop.log');
const fakeBin = join(sourceDir, 'tests/data/serve/bin');
const server = startZelt(['serve', '--port', '0'], {
  PATH: `${fakeBin}:${process.env.PATH}`, TMPDIR: work, FAKE_DESKTOP_LOG: desktopLog,
});
const port = await announcedPort(server, /^\[zelt-lbr\] serving on http:\/\/127\.0\.0\.1:(\d+)\n/);
const base = `http://127.0.0.1:${port}`;

const post = async (path, body) => (await fetch(`${base}/${path}`, { method: 'POST', body: JSON.stringify(body) })).json();

// Queues code for the page and waits for its result, as an agent does.
async function evaluate(code) {
  const { id } = await post('eval', { code });
  for (let tries = 0; tries < 200; tries += 1) {
    const reply = await (await fetch(`${base}/eval/${id}`)).json();
    if (reply.done) return reply.result;
    await new Promise((r) => setTimeout(r, 50));
  }
  throw new Error(`no result for evaluation ${id}`);
}

try {
  await waitForHttp(`${base}/state`);
  const page = await context.newPage();
  await page.goto(`${base}/`);

  await runTest('the page names the product and waits for a library', async () => {
    assert.match(await page.title(), /zelt-lbr/);
    assert.match(await page.locator('header').innerText(), /EAGLE library linter/);
    await page.locator('#waiting').getByText('Waiting for a library').waitFor();
    await page.locator('#connection.live').waitFor();
  });

  await runTest('a loaded library shows its name, verdict and counts', async () => {
    const lbr = readFileSync(join(sourceDir, 'tests/data/consumer/handmade.lbr'), 'utf8');
    assert.deepEqual(await post('load', { lbr }), { ok: true });
    const state = await (await fetch(`${base}/state`)).json();
    await page.locator('#library-name').getByText(state.libraryName, { exact: true }).waitFor();
    assert.equal(await page.locator('#waiting').isHidden(), true);
    for (const key of ['symbolCount', 'packageCount', 'devicesetCount', 'pinCount', 'padCount']) {
      assert.equal(await page.locator(`#${key}`).innerText(), String(state[key]), key);
    }
    assert.equal(await page.locator('#verdict').innerText(), state.lintPassed ? 'PASS' : `FAIL · ${state.errors.length} errors`);
    assert.equal(await page.locator('#warnings li code').count(), state.warnings.length);
    await page.screenshot({ path: join(process.cwd(), 'serve-page.png'), fullPage: true });
  });

  await runTest('queued code runs in the page and its result comes back', async () => {
    const { libraryName } = await (await fetch(`${base}/state`)).json();
    assert.deepEqual(await evaluate("return document.querySelector('#library-name').textContent"),
      { error: null, result: libraryName });
    assert.deepEqual(await evaluate('await new Promise((r) => setTimeout(r, 10)); return { a: [1, 2] }'), { error: null, result: { a: [1, 2] } });
    const failed = await evaluate("throw new Error('nope')");
    assert.match(failed.error, /Error: nope/);
    assert.deepEqual(await evaluate('const c = {}; c.c = c; return c'), { error: null, result: '[object Object]' });
  });

  await runTest('console calls reach the server', async () => {
    await evaluate("console.warn('careful', { n: 1 }, 2); return 0");
    await page.evaluate(() => setTimeout(() => { throw new Error('boom'); }, 0));
    for (let tries = 0; ; tries += 1) {
      const { lines } = await (await fetch(`${base}/console`)).json();
      if (lines.includes('[warn] careful {"n":1} 2') && lines.some((l) => /^\[error\] Uncaught Error: boom @/.test(l))) break;
      if (tries > 100) assert.fail(`console lines: ${JSON.stringify(lines)}`);
      await new Promise((r) => setTimeout(r, 50));
    }
  });

  await runTest('delivery shows a notice or the bridge dialog', async () => {
    await page.getByRole('button', { name: 'KiCad' }).click();
    await page.locator('#toast').getByText('✓ Delivered symbol to KiCad.').waitFor();
    assert.match(readFileSync(desktopLog, 'utf8'), /^send_files .*\nkicad_install_library /);
    await page.getByRole('button', { name: 'OrCAD' }).click();
    await page.locator('dialog#bridge[open]').getByText("bridge isn't built yet").waitFor();
    assert.equal(await page.locator('#bridge-target').innerText(), 'OrCAD');
    await page.locator('#bridge-close').click();
    await page.locator('#toast').waitFor({ state: 'hidden', timeout: 6000 });
  });

  await runTest('POST /shutdown stops the server with exit code 0', async () => {
    assert.deepEqual(await post('shutdown', {}), { ok: true });
    const { code } = await server.exited;
    assert.equal(code, 0);
    assert.equal(server.stderrText, `[zelt-lbr] serving on http://127.0.0.1:${port}\n`);
    await page.locator('#connection.offline').waitFor();
  });
} finally {
  await context.close();
  if (server.exitCode === null) server.kill();
  rmSync(work, { recursive: true, force: true });
}
