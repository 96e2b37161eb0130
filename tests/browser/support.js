// Shared set-up of the browser tests: Debian's Chromium driven by
// playwright-core, the zelt-lbr executable under test, free loopback ports.
// A machine without Chromium or the npm packages skips these tests (exit 77),
// except in CI, where a missing browser is a failure.
import { spawn } from 'node:child_process';
import { existsSync, mkdtempSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

export const exe = process.env.ZELT_LBR_EXE;
export const sourceDir = process.env.ZELT_SOURCE_DIR;
const chromiumPath = process.env.ZELT_CHROMIUM || '/usr/bin/chromium';

function skip(reason) {
  if (process.env.CI) {
    console.error(`browser test cannot run in CI: ${reason}`);
    process.exit(1);
  }
  console.error(`SKIP: ${reason}`);
  process.exit(77);
}

// Flags that keep Chromium off the network and out of the user's profile.
const chromiumArgs = [
  '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
  '--disable-dev-shm-usage', '--use-gl=swiftshader', '--enable-unsafe-swiftshader',
];

export async function launchBrowser() {
  if (!existsSync(chromiumPath)) skip(`no browser at ${chromiumPath}`);
  let chromium;
  try {
    ({ chromium } = await import('playwright-core'));
  } catch {
    skip('playwright-core is not installed (run scripts/setup)');
  }
  const userDataDir = mkdtempSync(join(tmpdir(), 'zelt-browser-'));
  const context = await chromium.launchPersistentContext(userDataDir, {
    executablePath: chromiumPath, headless: true, args: chromiumArgs,
  });
  return context;
}

// Starts `zelt-lbr <args>`; its standard error is collected in `stderr`.
export function startZelt(args, env = {}) {
  const child = spawn(exe, args, { env: { ...process.env, ...env }, stdio: ['ignore', 'pipe', 'pipe'] });
  child.stdoutText = '';
  child.stderrText = '';
  child.stdout.on('data', (d) => { child.stdoutText += d; });
  child.stderr.on('data', (d) => { child.stderrText += d; });
  child.exited = new Promise((resolve) => child.on('exit', (code, signal) => resolve({ code, signal })));
  return child;
}

// The port a server started with --port 0 announces in its start line:
// `pattern` holds one group, the port, and is looked for in `stream` of the
// child ('stdoutText' or 'stderrText').
export async function announcedPort(child, pattern, stream = 'stderrText', ms = 10000) {
  const end = Date.now() + ms;
  for (;;) {
    const match = pattern.exec(child[stream]);
    if (match) return Number(match[1]);
    if (child.exitCode !== null || Date.now() > end) {
      throw new Error(`no port announced: ${JSON.stringify(child[stream])}`);
    }
    await new Promise((r) => setTimeout(r, 20));
  }
}

// Polls `url` until it answers, for at most `ms` milliseconds.
export async function waitForHttp(url, ms = 10000) {
  const end = Date.now() + ms;
  for (;;) {
    try {
      const reply = await fetch(url);
      return reply;
    } catch (error) {
      if (Date.now() > end) throw new Error(`${url} did not answer: ${error}`);
      await new Promise((r) => setTimeout(r, 50));
    }
  }
}

// Runs `body` and turns a thrown error into a failed test with its message.
export async function runTest(name, body) {
  try {
    await body();
    console.log(`ok - ${name}`);
  } catch (error) {
    console.error(`not ok - ${name}\n${error.stack || error}`);
    process.exitCode = 1;
  }
}
