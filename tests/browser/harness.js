// What the browser suites share: Debian's Chromium, this build's fingerbridge on 127.0.0.1:8080 (in a
// network namespace of each suite's own, so it can only be the server started here), and another
// application's server with pages that use the client from the packed npm package.
import { spawn } from 'node:child_process';
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { once } from 'node:events';
import { createInterface } from 'node:readline';
import assert from 'node:assert/strict';
import { chromium } from 'playwright-core';

export const bridgeUrl = 'http://127.0.0.1:8080';
export const launch = (args = []) => chromium.launch({ executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--no-first-run', ...args] });
// Resolves once the server listens; rejects with its standard error if it exits first.
export function startBridge(args = [], env = {}) {
  // The server serves ../frontend/, so it runs from tests/ in the repository.
  const child = spawn(process.env.FINGERBRIDGE_BINARY, args,
    { cwd: process.env.FINGERBRIDGE_WORK_DIR, env: { ...process.env, ...env }, stdio: ['ignore', 'pipe', 'pipe'] });
  const stderr = [];
  createInterface({ input: child.stderr }).on('line', (line) => stderr.push(line));
  // 'close' comes after the pipes are drained, so the whole standard error is there.
  const closed = once(child, 'close');
  const stop = async () => {
    if (child.exitCode === null && child.signalCode === null) child.kill('SIGKILL');
    await closed;
  };
  return new Promise((listening, fail) => {
    createInterface({ input: child.stdout }).on('line', (line) => {
      if (line === 'Server is listening for connections on port 8080...') listening({ stop });
    });
    child.once('error', fail);
    closed.then(([code]) => fail(new Error(`fingerbridge exited (${code}) before listening:\n${stderr.join('\n')}`)));
  });
}

// Gives work a fresh page of the browser `on` and a bridge started with args (none if null); both go away afterwards.
export async function withBridge(args, work, on, env = {}) {
  const bridge = args && await startBridge(args, env);
  const context = await on.newContext();
  try {
    await work(await context.newPage(), bridge);
  } finally {
    await context.close();
    await bridge?.stop();
  }
}

// The timeout only bounds the wait; the text decides.
export async function waitForStatus(page, pattern) {
  const status = page.getByRole('status');
  await status.filter({ hasText: pattern }).waitFor({ timeout: 15000 }).catch(() => {});
  assert.match(await status.textContent(), pattern);
}

// A page of another origin using the client as the README shows, from the installed npm package.
const otherApp = `<!doctype html><p role="status">Working</p><script type="module">
const status = document.querySelector('[role=status]');
try {
  const { createFingerbridgeClient } = await import('/client.js');
  const bridge = createFingerbridgeClient('${bridgeUrl}');
  const demo = (await bridge.demoVerify([(await bridge.demoScan(2)).template])).verified;
  const scan = await bridge.scan();
  const image = Object.assign(new Image(), { src: scan.image });
  await image.decode();
  const verified = (await bridge.verify([scan.template])).verified;
  const quality = Number.isInteger(scan.quality) && scan.quality >= 0 && scan.quality <= 100;
  status.textContent = \`Done: demo \${demo}, scan \${image.naturalWidth} x \${image.naturalHeight} \${verified} \${quality}\`;
} catch (error) {
  status.textContent = 'Failed: ' + error.message;
}
</script>`;

// Writes what diagnose() finds into the status line; ?bridge= is where the client looks.
const diagnosePage = `<!doctype html><p role="status">Working</p><script type="module">
import { createFingerbridgeClient } from '/client.js';
const bridge = createFingerbridgeClient(new URLSearchParams(location.search).get('bridge'));
document.querySelector('[role=status]').textContent = JSON.stringify(await bridge.diagnose());
</script>`;
// The application serves the client itself, from the packed package run-suite.sh installed.
const client = await readFile(process.env.FINGERBRIDGE_CLIENT_MODULE);
const appFiles = { '/': ['text/html', otherApp], '/diagnose': ['text/html', diagnosePage],
  '/client.js': ['text/javascript', client] };

// Another application's own server (a real one: Chromium lets loopback pages reach loopback).
export async function startApp() {
  const server = createServer((request, response) => {
    const [type, body] = appFiles[request.url.split('?')[0]] ?? [];
    response.writeHead(type ? 200 : 404, { 'Content-Type': type ?? 'text/plain' }).end(body);
  });
  await once(server.listen(0, '127.0.0.1'), 'listening');
  return { origin: `http://127.0.0.1:${server.address().port}`, close: () => server.close() };
}

// What diagnose() finds on the application's page with the client looking at `at`.
export async function diagnoseFrom(page, appOrigin, at = bridgeUrl) {
  await page.goto(`${appOrigin}/diagnose?bridge=${at}`);
  await waitForStatus(page, /^\{/);
  return JSON.parse(await page.getByRole('status').textContent());
}
