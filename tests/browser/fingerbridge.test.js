// The page and the client module in Debian's Chromium against this build's fingerbridge
// (the simulated scanner on Linux). run-suite.sh gives this process its own network
// namespace, so 127.0.0.1:8080 here can only be the server started below.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { createServer } from 'node:http';
import { once } from 'node:events';
import { createInterface } from 'node:readline';
import { chromium } from 'playwright-core';

const bridgeUrl = 'http://127.0.0.1:8080';
let browser;

before(async () => {
  browser = await chromium.launch({
    executablePath: '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--no-first-run'],
  });
});
after(() => browser?.close());

// Resolves once the server listens; rejects with its standard error if it exits first.
function startBridge(args = []) {
  // The server serves ../frontend/, so it runs from tests/ in the repository.
  const child = spawn(process.env.FINGERBRIDGE_BINARY, args,
    { cwd: process.env.FINGERBRIDGE_WORK_DIR, stdio: ['ignore', 'pipe', 'pipe'] });
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

// Gives work a fresh page and a bridge started with args; both go away afterwards.
async function withBridge(args, work) {
  const bridge = await startBridge(args);
  const context = await browser.newContext();
  try {
    await work(await context.newPage(), bridge);
  } finally {
    await context.close();
    await bridge.stop();
  }
}

// The timeout only bounds the wait; the text decides.
async function waitForStatus(page, pattern) {
  const status = page.getByRole('status');
  await status.filter({ hasText: pattern }).waitFor({ timeout: 15000 }).catch(() => {});
  assert.match(await status.textContent(), pattern);
}

async function verifyOutcome(page) {
  await page.getByRole('button', { name: 'Verify finger' }).click();
  await waitForStatus(page, /^(Matched|Not matched)/);
  return page.locator('#result').textContent();
}

test('demo mode: an enrolled finger matches, tampered in storage it does not, ' +
  'and after a restart one fresh token is fetched', () =>
  withBridge([], async (page, bridge) => {
    await page.goto(bridgeUrl + '/');
    await waitForStatus(page, /^Ready/);
    await page.getByRole('radio', { name: /Demo/ }).check();
    await page.getByRole('button', { name: 'Capture into slot 1' }).click();
    await waitForStatus(page, /^Demo finger 1 enrolled in slot 1\./);
    assert.equal(await verifyOutcome(page), 'Matched');

    await page.getByLabel('Keep the templates in this browser').check();
    const [kept, tampered] = await page.evaluate(() => {
      const stored = JSON.parse(localStorage.getItem('fingerbridge.templates'));
      const template = stored.slots[0].template;
      const middle = template.length >> 1;
      stored.slots[0].template = template.slice(0, middle) + (template[middle] === 'A' ? 'B' : 'A') +
        template.slice(middle + 1);
      localStorage.setItem('fingerbridge.templates', JSON.stringify(stored));
      return [template, stored.slots[0].template];
    });
    assert.notEqual(kept, tampered);
    await page.reload();
    await waitForStatus(page, /1 kept template restored/);
    assert.equal(await verifyOutcome(page), 'Not matched');

    await bridge.stop();
    const capture = page.getByRole('button', { name: 'Capture into slot 2' });
    await capture.click();
    await waitForStatus(page, /cannot be reached/);
    const restarted = await startBridge();
    try {
      const replies = [];
      page.on('response', (reply) => replies.push(`${reply.status()} ${new URL(reply.url()).pathname}`));
      await capture.click();
      await waitForStatus(page, /^Demo finger 1 enrolled in slot 2\./);
      assert.deepEqual(replies, ['403 /api/demoscan/single', '200 /api/config', '200 /api/demoscan/single']);
    } finally {
      await restarted.stop();
    }
  }));

// A page of another origin using the client as the README shows, the module loaded from the bridge.
const otherApp = `<!doctype html><p role="status">Working</p><script type="module">
const status = document.querySelector('[role=status]');
try {
  const { createFingerbridgeClient } = await import('${bridgeUrl}/js/fingerbridge-client.js');
  const bridge = createFingerbridgeClient('${bridgeUrl}');
  const demo = (await bridge.demoVerify([(await bridge.demoScan(2)).template])).verified;
  const scan = await bridge.scan();
  const image = Object.assign(new Image(), { src: scan.image });
  await image.decode();
  const verified = (await bridge.verify([scan.template])).verified;
  status.textContent = \`Done: demo \${demo}, scan \${image.naturalWidth} x \${image.naturalHeight} \${verified}\`;
} catch (error) {
  status.textContent = 'Failed: ' + error.message;
}
</script>`;

test('a page of another origin may use the bridge only when --origin names that origin', async () => {
  // The other application's own server (a real one: Chromium lets loopback pages reach loopback).
  const app = createServer((request, response) => response.writeHead(200, { 'Content-Type': 'text/html' }).end(otherApp));
  await once(app.listen(0, '127.0.0.1'), 'listening');
  const origin = `http://127.0.0.1:${app.address().port}`;
  try {
    await withBridge(['--origin', origin], async (page) => {
      await page.goto(origin);
      await waitForStatus(page, /^(Done|Failed)/);
      assert.equal(await page.getByRole('status').textContent(), 'Done: demo true, scan 320 x 480 true');
    });
    await withBridge(['--origin', 'https://app.example'], async (page) => {
      await page.goto(origin);
      await waitForStatus(page, /^Failed/);
      // Sent without reading the reply, the request gets through: the browser withheld the reply.
      const opaque = await page.evaluate((url) => fetch(url, { mode: 'no-cors' }).then((reply) => reply.type),
        bridgeUrl + '/api/config');
      assert.equal(opaque, 'opaque');
    });
  } finally {
    app.close();
  }
});
