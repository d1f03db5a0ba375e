// The page and the client module in Chromium against this build's fingerbridge (harness.js).
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { createServer as createTcpServer } from 'node:net';
import { writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { once } from 'node:events';
import { bridgeUrl, diagnoseFrom, launch, startApp, startBridge, waitForStatus, withBridge } from './harness.js';

let browser, app, appOrigin;

before(async () => {
  browser = await launch();
  app = await startApp();
  appOrigin = app.origin;
});
after(() => Promise.all([app?.close(), browser?.close()]));

async function verifyOutcome(page) {
  await page.getByRole('button', { name: 'Verify finger' }).click();
  await waitForStatus(page, /^(Matched|Not matched)/);
  return page.locator('#result').textContent();
}

test('demo mode: an enrolled finger matches, kept in storage over a reload too, ' +
  'and after a restart one fresh token is fetched', () =>
  withBridge([], async (page, bridge) => {
    await page.goto(bridgeUrl + '/');
    await waitForStatus(page, /^Ready: fingerbridge [\d.]+ is running and the scanner \(simulated\) is connected\./);
    await page.getByRole('radio', { name: /Demo/ }).check();
    await page.getByRole('button', { name: 'Capture into slot 1' }).click();
    await waitForStatus(page, /^Demo finger 1 enrolled in slot 1\./);
    assert.equal(await verifyOutcome(page), 'Matched');

    await page.getByLabel('Keep the templates in this browser').check();
    await page.reload();
    await waitForStatus(page, /1 kept template restored/);
    assert.equal(await verifyOutcome(page), 'Matched');

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
  }, browser));

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
  const connected = `${bridgeUrl} is running and its scanner is connected.`;
  const unplugged = `${tmpdir()}/fingerbridge-unplugged`;
  await writeFile(unplugged, 'unplugged\n');
  const cases = [
    ['a private page of an allowed origin', { bridge: allowed }, 'ok', connected],
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
        const found = await diagnoseFrom(page, appOrigin, at);
        assert.equal(found.outcome, outcome);
        assert.ok(found.message.includes(message), found.message);
      }, own ?? browser, env);
    });
  }
});
