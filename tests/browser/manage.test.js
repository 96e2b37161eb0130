// The component manager in Chromium: the page lists the local library,
// searches it, opens a part with its layer table and frames, and the 3D
// frame draws a cube the test builds itself. Every outside program is a
// local fake; the wiki is never reached.
import { chmodSync, mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { decodePng } from './png.js';
import { announcedPort, launchBrowser, runTest, startZelt, waitForHttp } from './support.js';

// A binary glTF cube, 24 vertices with face normals, in an orange material.
function cubeGlb() {
  const faces = [
    [[1, 0, 0], [0, 1, 0], [0, 0, 1]], [[-1, 0, 0], [0, 0, 1], [0, 1, 0]],
    [[0, 1, 0], [0, 0, 1], [1, 0, 0]], [[0, -1, 0], [1, 0, 0], [0, 0, 1]],
    [[0, 0, 1], [1, 0, 0], [0, 1, 0]], [[0, 0, -1], [0, 1, 0], [1, 0, 0]],
  ];
  const positions = [];
  const normals = [];
  const indices = [];
  faces.forEach(([n, u, v], face) => {
    for (const [su, sv] of [[-1, -1], [1, -1], [1, 1], [-1, 1]]) {
      positions.push(...n.map((c, i) => 0.5 * (c + su * u[i] + sv * v[i])));
      normals.push(...n);
    }
    const base = face * 4;
    indices.push(base, base + 1, base + 2, base, base + 2, base + 3);
  });
  const bin = Buffer.concat([
    Buffer.from(new Float32Array(positions).buffer), Buffer.from(new Float32Array(normals).buffer),
    Buffer.from(new Uint16Array(indices).buffer),
  ]);
  const gltf = {
    asset: { version: '2.0' }, scene: 0, scenes: [{ nodes: [0] }], nodes: [{ mesh: 0 }],
    meshes: [{ primitives: [{ attributes: { POSITION: 0, NORMAL: 1 }, indices: 2, material: 0 }] }],
    materials: [{ pbrMetallicRoughness: { baseColorFactor: [0.95, 0.45, 0.1, 1], metallicFactor: 0.1, roughnessFactor: 0.45 } }],
    buffers: [{ byteLength: bin.length }],
    bufferViews: [
      { buffer: 0, byteOffset: 0, byteLength: 288, target: 34962 },
      { buffer: 0, byteOffset: 288, byteLength: 288, target: 34962 },
      { buffer: 0, byteOffset: 576, byteLength: 72, target: 34963 },
    ],
    accessors: [
      { bufferView: 0, componentType: 5126, count: 24, type: 'VEC3', min: [-0.5, -0.5, -0.5], max: [0.5, 0.5, 0.5] },
      { bufferView: 1, componentType: 5126, count: 24, type: 'VEC3' },
      { bufferView: 2, componentType: 5123, count: 36, type: 'SCALAR' },
    ],
  };
  let json = Buffer.from(JSON.stringify(gltf));
  json = Buffer.concat([json, Buffer.alloc((4 - (json.length % 4)) % 4, 0x20)]);
  const header = Buffer.alloc(12);
  header.writeUInt32LE(0x46546c67, 0);
  header.writeUInt32LE(2, 4);
  header.writeUInt32LE(12 + 8 + json.length + 8 + bin.length, 8);
  const chunk = (type, body) => {
    const head = Buffer.alloc(8);
    head.writeUInt32LE(body.length, 0);
    head.writeUInt32LE(type, 4);
    return Buffer.concat([head, body]);
  };
  return Buffer.concat([header, chunk(0x4e4f534a, json), chunk(0x004e4942, bin)]);
}

const symbol = '(kicad_symbol_lib (symbol "CUBE" (pin input line (at -5.08 0 0) (length 2.54) (name "A") (number "1"))' +
  ' (pin output line (at 5.08 0 180) (length 2.54) (name "B") (number "2"))))';
const footprint = '(footprint "CUBE" (pad "1" smd rect (at -1 0) (size 1 1) (layers "F.Cu"))' +
  ' (pad "2" smd rect (at 1 0) (size 1 1) (layers "F.Cu"))' +
  ' (fp_line (start -2 -1) (end 2 -1) (layer "F.SilkS")) (fp_line (start -2 1) (end 2 1) (layer "F.SilkS"))' +
  ' (fp_rect (start -2.5 -1.5) (end 2.5 1.5) (layer "F.CrtYd")))';

function makeWorld() {
  const root = mkdtempSync(join(tmpdir(), 'zelt-manage-'));
  const bin = join(root, 'bin');
  for (const sub of ['bin', 'home', 'tmp']) mkdirSync(join(root, sub));
  const tool = (name, body) => {
    writeFileSync(join(bin, name), `#!/bin/bash\nPATH=/usr/bin:/bin\n${body}\n`);
    chmodSync(join(bin, name), 0o755);
  };
  tool('curl', 'exit 6');  // the wiki is unreachable
  tool('zelt-wiki', 'exit 1');
  for (const name of ['zelt-symbol', 'zelt-footprint']) {
    tool(name, `printf '<html><body style="background:#fff;color:#000"><p id="r">${name} rendered %s</p></body></html>' "\${3##*/}" > "$5"`);
  }
  const part = (name, files) => {
    mkdirSync(join(root, 'library', name), { recursive: true });
    for (const [ext, data] of Object.entries(files)) writeFileSync(join(root, 'library', name, `${name}.${ext}`), data);
  };
  part('ALPHA-1', { kicad_sym: symbol });
  part('BETA-2', { kicad_mod: footprint });
  part('CUBE-3', { kicad_sym: symbol, kicad_mod: footprint, glb: cubeGlb() });
  return { root, env: { PATH: bin, ZELT_LIBRARY: join(root, 'library'), HOME: join(root, 'home'), TMPDIR: join(root, 'tmp') } };
}

await runTest('manager lists, searches, opens a part and draws its model', async () => {
  const world = makeWorld();
  const zelt = startZelt(['manage', '--port', '0'], world.env);
  const port = await announcedPort(zelt, /^OK: zelt-lbr Manager on http:\/\/localhost:(\d+)\n/, 'stdoutText');
  const browser = await launchBrowser();
  try {
    await waitForHttp(`http://127.0.0.1:${port}/`);
    if (!zelt.stdoutText.startsWith(`OK: zelt-lbr Manager on http://localhost:${port}\n`)) {
      throw new Error(`unexpected start lines: ${zelt.stdoutText}`);
    }
    const page = await browser.newPage();
    const errors = [];
    page.on('pageerror', (error) => errors.push(String(error)));
    await page.goto(`http://127.0.0.1:${port}/`);
    if ((await page.title()) !== 'zelt-lbr Manager') throw new Error('wrong title');
    await page.waitForFunction(() => document.querySelectorAll('#list li[data-token]').length === 3);
    const tabs = await page.locator('#tabs button').allTextContents();
    if (tabs.join(',') !== 'Local,Public') throw new Error(`tabs: ${tabs}`);

    await page.fill('#q', 'cube');
    await page.waitForFunction(() => {
      const rows = document.querySelectorAll('#list li[data-token]');
      return rows.length === 1 && rows[0].dataset.token === 'local:CUBE-3';
    });
    await page.waitForFunction(() => document.querySelectorAll('#list li[data-token] .marks span.y').length === 3);

    await page.click('#list li[data-token="local:CUBE-3"]');
    await page.waitForSelector('#layers tbody tr');
    const rows = await page.locator('#layers tbody tr').evaluateAll((trs) => trs.map((tr) => tr.innerText.replace(/\s+/g, ' ').trim()));
    const expected = ['Copper 2 F.Cu Top Layer', 'Courtyard 1 F.CrtYd Mechanical 15 (Courtyard Top)',
      'Silkscreen 2 F.SilkS Top Overlay'];
    if (JSON.stringify(rows) !== JSON.stringify(expected)) throw new Error(`layer rows: ${JSON.stringify(rows)}`);
    const summary = await page.locator('#summary').innerText();
    if (!summary.includes('pins: 2') || !summary.includes('kicad (generated)')) throw new Error(`summary: ${summary}`);
    await page.uncheck('#filter input[data-key="silk"]');
    if (await page.locator('#layers tbody tr[data-key="silk"]').isVisible()) throw new Error('the layer filter kept Silkscreen');

    const symbolFrame = page.frameLocator('#sym');
    await symbolFrame.locator('#r').waitFor();
    const rendered = await symbolFrame.locator('#r').innerText();
    if (rendered !== 'zelt-symbol rendered zeltlbr-mgr-local-CUBE-3.kicad_sym') throw new Error(`symbol frame: ${rendered}`);

    const viewer = page.frameLocator('#d3');
    // The model and the environment texture arrive separately; the pixels
    // are final once both have been drawn.
    const lit = '#w[data-zelt-viewer="ready"]:not([data-zelt-environment="loading"])';
    await viewer.locator(lit).waitFor({ timeout: 60000 });
    const shotDir = process.env.ZELT_SCREENSHOT_DIR;
    const shot = await page.locator('#d3').screenshot(shotDir ? { path: join(shotDir, 'manage-3d.png') } : {});
    const image = decodePng(shot);
    const colours = new Set();
    let drawn = 0;
    let orange = 0;
    for (let y = 0; y < image.height; y += 2) {
      for (let x = 0; x < image.width; x += 2) {
        const [r, g, b] = image.pixel(x, y);
        colours.add((r << 16) | (g << 8) | b);
        if (Math.abs(r - 0x16) + Math.abs(g - 0x1b) + Math.abs(b - 0x22) > 30) drawn++;
        if (r > 120 && r > g + 40 && g > b) orange++;
      }
    }
    const samples = Math.ceil(image.width / 2) * Math.ceil(image.height / 2);
    console.log(`3D frame ${image.width}x${image.height}: ${colours.size} colours, ${(100 * drawn / samples).toFixed(1)}% drawn, ${(100 * orange / samples).toFixed(1)}% orange`);
    if (colours.size < 50 || drawn < samples * 0.03 || orange < samples * 0.01) throw new Error('the 3D frame looks blank');
    if (process.env.ZELT_SCREENSHOT_DIR) await page.screenshot({ path: join(process.env.ZELT_SCREENSHOT_DIR, 'manage-page.png') });
    if (errors.length) throw new Error(`page errors: ${errors.join('; ')}`);
  } finally {
    await browser.close();
    zelt.kill('SIGTERM');
    await zelt.exited;
    rmSync(world.root, { recursive: true, force: true });
  }
});
