// The page and the client module in Debian's Chromium against this build's fingerbridge
// (the simulated scanner on Linux). run-suite.sh gives this process its own network
// namespace, so 127.0.0.1:8080 here can only be the server started below.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { createServer } from 'node:http';
import { createServer as createTcpServer } from 'node:net';
import { readFile, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { once } from 'node:events';
import { createInterface } from 'node:readline';
import { chromium } from 'playwright-core';

const bridgeUrl = 'http://127.0.0.1:8080';
const launch = (args = []) => chromium.launch({ executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--no-first-run', ...args] });
let browser;
// Another application's own server (a real one: Chromium lets loopback pages reach loopback).
let app;
let appOrigin;

before(async () => {
  browser = await launch();
  app = createServer(serveApp);
  await once(app.listen(0, '127.0.0.1'), 'listening');
  appOrigin = `http://127.0.0.1:${app.address().port}`;
});
after(() => {
  app?.close();
  return browser?.close();
});

// Resolves once the server listens; rejects with its standard error if it exits first.
function startBridge(args = [], env = {}) {
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

// Gives work a fresh page of `on` and a bridge started with args (none if null); both go away afterwards.
async function withBridge(args, work, on = browser, env = {}) {
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
    await waitForStatus(page, /^Ready: fingerbridge [\d.]+ is running and the scanner \(simulated\) is connected\./);
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

test('scanner mode: the page notices a scanner plugged in after start-up, with no reload, ' +
  'and keeps a poor capture only when the person says so', async () => {
  const control = `${tmpdir()}/fingerbridge-replugged`;
  await writeFile(control, 'unplugged\n');
  await withBridge([], async (page) => {
    await page.goto(bridgeUrl + '/');
    await waitForStatus(page, /^Ready, demo only: .* \(the simulated scanner is unplugged\); it keeps looking/);
    const note = page.locator('#scanner-state');
    assert.equal(await note.textContent(),
      'Scanner unavailable: the simulated scanner is unplugged. fingerbridge keeps looking for it.');
    await writeFile(control, '1\npoor\nseed 7\n');  // plugged in; a poor touch that still makes a template
    await waitForStatus(page, /^The scanner is connected now\./);
    assert.equal(await note.textContent(), 'Scanner connected (simulated).');
    await page.getByRole('button', { name: 'Capture into slot 1' }).click();
    await waitForStatus(page, /^Poor capture \(quality \d+\): place the finger flat and centred, and capture again/);
    const slot = page.locator('[data-slot="1"]');
    assert.equal(await slot.locator('.slot-info').textContent(), 'No template yet.');
    await slot.getByRole('button', { name: 'Keep anyway' }).click();
    await waitForStatus(page, /^Poor capture kept in slot 1\./);
    assert.match(await slot.locator('.slot-info').textContent(), /^Scanner capture, quality \d+, template of \d+ characters\.$/);
  }, browser, { FINGERBRIDGE_SIM_CONTROL: control });
});

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

function serveApp(request, response) {
  const [type, body] = appFiles[request.url.split('?')[0]] ?? [];
  response.writeHead(type ? 200 : 404, { 'Content-Type': type ?? 'text/plain' }).end(body);
}

// Refused, the same page learns why from diagnose() below.
test('a page of another origin may use the bridge when --origin names that origin', async () => {
  // Seeded impressions: the scan's own finger verifies on every run, never by chance.
  const seeded = `${tmpdir()}/fingerbridge-seeded`;
  await writeFile(seeded, '1\nseed 3\n');
  await withBridge(['--origin', appOrigin], async (page) => {
    await page.goto(appOrigin);
    await waitForStatus(page, /^(Done|Failed)/);
    assert.equal(await page.getByRole('status').textContent(), 'Done: demo true, scan 320 x 480 true true');
  }, browser, { FINGERBRIDGE_SIM_CONTROL: seeded });
});

// What a person's "Block" in the browser's prompt leaves behind, for this page's context only.
async function denyLocalNetwork(page) {
  const { targetInfo } = await (await page.context().newCDPSession(page)).send('Target.getTargetInfo');
  const cdp = await page.context().browser().newBrowserCDPSession();
  await cdp.send('Browser.setPermission', { permission: { name: 'local-network-access' }, setting: 'denied',
    origin: appOrigin, browserContextId: targetInfo.browserContextId });
}

// Accepts connections on the bridge's port and never answers: a stuck or swamped service.
async function silentListener(page, t) {
  const sockets = [];
  const listener = createTcpServer((socket) => sockets.push(socket));
  await once(listener.listen(8080, '127.0.0.1'), 'listening');
  t.after(() => {
    sockets.forEach((socket) => socket.destroy());
    listener.close();
  });
}

test('diagnose() tells apart why a page cannot use the bridge', async (t) => {
  const allowed = ['--origin', appOrigin];
  const publicPage = [`--ip-address-space-overrides=${new URL(appOrigin).host}=public`];
  const connected = `${bridgeUrl} is running and its scanner is connected.`;
  const unplugged = `${tmpdir()}/fingerbridge-unplugged`;
  await writeFile(unplugged, 'unplugged\n');
  const cases = [
    ['a private page of an allowed origin', { bridge: allowed }, 'ok', connected],
    ['a public page granted local network access', { bridge: allowed, launchArgs: publicPage,
      setup: (page) => page.context().grantPermissions(['local-network-access'], { origin: appOrigin }) },
    'ok', connected],
    ['a public page denied local network access', { bridge: allowed, launchArgs: publicPage, setup: denyLocalNetwork },
      'permission-denied', `allow local network access for ${appOrigin} in the site settings`],
    ['a scanner unplugged at start-up', { bridge: allowed, env: { FINGERBRIDGE_SIM_CONTROL: unplugged } },
      'scanner-unavailable', 'its scanner is not available (the simulated scanner is unplugged); it keeps looking'],
    ['no service', {}, 'service-unreachable', `${bridgeUrl} cannot be reached`],
    ['an origin not on the list', { bridge: ['--origin', 'https://app.example'] },
      'origin-not-allowed', `start it with --origin ${appOrigin}.`],
    ['another host name for 127.0.0.1', { bridge: allowed, at: 'http://bridge.test:8080',
      launchArgs: ['--host-resolver-rules=MAP bridge.test 127.0.0.1'] },
    'host-not-allowed', `use ${bridgeUrl} instead of http://bridge.test:8080.`],
    ['a listener that never answers', { setup: silentListener }, 'no-answer', 'did not answer within 5 seconds'],
  ];
  for (const [name, { bridge = null, env, launchArgs, setup, at = bridgeUrl }, outcome, message] of cases) {
    await t.test(name, async (t) => {
      const own = launchArgs && await launch(launchArgs);
      if (own) t.after(() => own.close());
      await withBridge(bridge, async (page) => {
        await setup?.(page, t);
        await page.goto(`${appOrigin}/diagnose?bridge=${at}`);
        await waitForStatus(page, /^\{/);
        const found = JSON.parse(await page.getByRole('status').textContent());
        assert.equal(found.outcome, outcome);
        assert.ok(found.message.includes(message), found.message);
      }, own ?? browser, env);
    });
  }
});
