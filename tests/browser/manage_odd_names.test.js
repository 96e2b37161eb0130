// The manager opens a part whose folder name holds a blank, a non-ASCII
// letter and a "#", on a phone-wide page that must not scroll sideways.
import { chmodSync, mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import assert from 'node:assert/strict';
import { announcedPort, launchBrowser, runTest, startZelt, waitForHttp } from './support.js';

const name = 'Régulateur 5V #2';
const root = mkdtempSync(join(tmpdir(), 'zelt-names-'));
for (const sub of ['bin', 'home', 'tmp', join('library', name)]) mkdirSync(join(root, sub), { recursive: true });
const tool = (tool, body) => {
  writeFileSync(join(root, 'bin', tool), `#!/bin/bash\nPATH=/usr/bin:/bin\n${body}\n`);
  chmodSync(join(root, 'bin', tool), 0o755);
};
tool('curl', 'exit 6');
tool('zelt-wiki', 'exit 1');
for (const renderer of ['zelt-symbol', 'zelt-footprint']) {
  tool(renderer, `printf '<p id="r">${renderer} rendered %s</p>' "\${3##*/}" > "$5"`);
}
writeFileSync(join(root, 'library', name, `${name}.kicad_sym`),
  '(kicad_symbol_lib (symbol "R" (pin input line (at -5.08 0 0) (length 2.54) (name "A") (number "1"))))');
writeFileSync(join(root, 'library', name, `${name}.kicad_mod`),
  '(footprint "R" (pad "1" smd rect (at 0 0) (size 1 1) (layers "F.Cu")))');

const zelt = startZelt(['manage', '--port', '0'], {
  PATH: join(root, 'bin'), ZELT_LIBRARY: join(root, 'library'), HOME: join(root, 'home'), TMPDIR: join(root, 'tmp'),
});
const port = await announcedPort(zelt, /^OK: zelt-lbr Manager on http:\/\/localhost:(\d+)\n/, 'stdoutText');
const browser = await launchBrowser();
try {
  await waitForHttp(`http://127.0.0.1:${port}/`);
  const page = await browser.newPage();
  await page.setViewportSize({ width: 420, height: 800 });
  await page.goto(`http://127.0.0.1:${port}/`);

  await runTest('a part with a blank, an accent and "#" in its name opens', async () => {
    await page.click(`#list li[data-token="local:${name}"]`);
    await page.locator('#summary').getByText(`id: ${name}`).waitFor();
    assert.match(await page.locator('#summary').innerText(), /pins: 1/);
    const frames = [['#sym', 'zelt-symbol', 'kicad_sym'], ['#fp', 'zelt-footprint', 'kicad_mod']];
    for (const [frame, renderer, ext] of frames) {
      await page.frameLocator(frame).locator('#r')
        .getByText(`${renderer} rendered zeltlbr-mgr-local-${name}.${ext}`, { exact: true }).waitFor();
    }
  });

  await runTest('at 420 px the page and its panes do not scroll sideways', async () => {
    const wide = await page.evaluate(() => [document.documentElement, ...document.querySelectorAll('main *')]
      .filter((node) => node.scrollWidth > node.clientWidth + 1 && getComputedStyle(node).overflowX !== 'hidden')
      .map((node) => `${node.tagName}#${node.id}.${node.className}: ${node.scrollWidth} > ${node.clientWidth}`));
    assert.deepEqual(wide, []);
  });
} finally {
  await browser.close();
  zelt.kill('SIGTERM');
  await zelt.exited;
  rmSync(root, { recursive: true, force: true });
}
