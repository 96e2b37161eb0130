// The page `embed` writes, opened straight from disk: three columns side by
// side, the pin table filled from the page's own data, wheel zoom on a view.
import { spawnSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import assert from 'node:assert/strict';

import { exe, launchBrowser, runTest } from './support.js';

// A 1x1 PNG, so the 3D view holds a real picture.
const PNG = Buffer.from(
  'iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==', 'base64');

function makeChipDir(root) {
  const dir = join(root, 'U1');
  mkdirSync(dir);
  writeFileSync(join(dir, 'U1-symbol.svg'),
    '<svg xmlns="http://www.w3.org/2000/svg" id="sym" width="400" height="200" viewBox="0 0 400 200">' +
    '<rect x="20" y="20" width="360" height="160" fill="none" stroke="#ccc"/></svg>');
  writeFileSync(join(dir, 'U1-footprint.svg'),
    '<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 10 10"><rect class="zelt-pad" x="1" y="1" width="3" height="3"/>' +
    '<rect class="zelt-pad" x="6" y="6" width="3" height="3"/></svg>');
  writeFileSync(join(dir, 'U1-3d-iso.png'), PNG);
  writeFileSync(join(dir, 'U1.lbr'), '<connect gate="G$1" pin="VIN" pad="2"/>');
  writeFileSync(join(dir, 'U1-symbol.extracted.json'), JSON.stringify({
    pins: [
      { number: '1', name: 'VIN', type: 'power_in', description: 'Supply <b>in</b> & "raw"' },
      { number: '2', name: 'OUT', type: 'output', description: '</script><i>not markup</i>' },
    ],
  }));
  return dir;
}

await runTest('embed page from file://', async () => {
  const root = mkdtempSync(join(tmpdir(), 'zelt-embed-'));
  const browser = await launchBrowser();
  try {
    const dir = makeChipDir(root);
    const made = spawnSync(exe, ['embed', '--dir', dir], { encoding: 'utf8' });
    assert.equal(made.status, 0, made.stderr);

    const page = await browser.newPage();
    await page.setViewportSize({ width: 1280, height: 900 });
    const errors = [];
    page.on('pageerror', (error) => errors.push(String(error)));
    await page.goto(pathToFileURL(join(dir, 'U1-lbr-embed.html')).href);

    const columns = await page.$$eval('.col', (cols) => cols.map((col) => {
      const box = col.getBoundingClientRect();
      return { title: col.querySelector('h2').textContent, x: box.x, y: box.y };
    }));
    assert.deepEqual(columns.map((c) => c.title), ['Symbol', 'Footprint', '3D']);
    assert.ok(columns[0].x < columns[1].x && columns[1].x < columns[2].x, JSON.stringify(columns));
    assert.equal(new Set(columns.map((c) => c.y)).size, 1, 'columns stand side by side');

    const rows = await page.$$eval('#rows tr', (trs) => trs.map((tr) =>
      [...tr.querySelectorAll('td')].map((td) => td.textContent)));
    assert.deepEqual(rows, [
      ['1', 'VIN', '→', '2', 'Power', 'Supply <b>in</b> & "raw"'],
      ['2', 'OUT', '→', '2', 'Output', '</script><i>not markup</i>'],
    ]);
    assert.equal(await page.$eval('#rows .type', (b) => b.style.color), 'rgb(239, 83, 80)');
    assert.equal(await page.$eval('img.zoomable', (img) => img.naturalWidth), 1);

    const symbol = page.locator('#sym');
    assert.equal(await symbol.getAttribute('width'), null);
    const before = await symbol.evaluate((el) => el.style.transform);
    const box = await page.locator('.col:first-child [data-vp]').boundingBox();
    await page.mouse.move(box.x + box.width / 4, box.y + box.height / 4);
    await page.mouse.wheel(0, -100);
    await page.waitForFunction((old) => document.getElementById('sym').style.transform !== old, before);
    const after = await symbol.evaluate((el) => el.style.transform);
    assert.match(after, /scale\(1\.12\)/);
    // Zooming in about the pointer pushes the picture's corner away from it.
    assert.match(after, /translate\(-\d/);
    assert.deepEqual(errors, []);
  } finally {
    await browser.close();
    rmSync(root, { recursive: true, force: true });
  }
});
