// A web application on another origin using the client module against the bridge.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { once } from 'node:events';
import { startBridge } from './support/bridge.js';
import { launchChromium, desktop, waitForText } from './support/browser.js';

const files = {
  '/': ['fixtures/other-app.html', 'text/html'],
  '/fingerbridge-client.js': ['../../frontend/biometric/js/fingerbridge-client.js', 'text/javascript'],
};
let appServer;
let appOrigin;
let browser;

before(async () => {
  // The other application's own server: its page, and a copy of the client module.
  appServer = createServer(async (request, response) => {
    const [file, type] = files[new URL(request.url, 'http://x').pathname] ?? [];
    if (!file) return response.writeHead(404).end();
    response.writeHead(200, { 'Content-Type': type }).end(await readFile(new URL(file, import.meta.url)));
  });
  appServer.listen(0, '127.0.0.1');
  await once(appServer, 'listening');
  appOrigin = `http://127.0.0.1:${appServer.address().port}`;
  browser = await launchChromium();
});

after(async () => {
  await browser?.close();
  appServer?.close();
});

async function withBridge(origin, work) {
  const bridge = await startBridge(['--origin', origin]);
  const context = await browser.newContext({ viewport: desktop });
  try {
    await work(await context.newPage(), bridge);
  } finally {
    await context.close();
    await bridge.stop();
  }
}

test('with --origin set to the page\u2019s origin, the module loads from the bridge and the whole flow works', async () => {
  await withBridge(appOrigin, async (page) => {
    await page.goto(`${appOrigin}/`);
    const status = page.getByRole('status');
    await waitForText(status, /^Ready\.$/);
    await page.getByRole('button', { name: 'Enrol and verify' }).click();
    await waitForText(status, /^(Done|Failed)/);
    assert.equal(await status.textContent(), 'Done.');
    assert.deepEqual(await page.locator('#log li').allTextContents(), [
      'demo finger 2: no image',
      'demo verified: true',
      'scan: 320 x 480',
      'verified: true',
    ]);
  });
});

test('with --origin set to another site, the browser blocks the bridge and the page says so', async (t) => {
  await withBridge('https://app.example', async (page, bridge) => {
    await t.test('importing the module from the bridge fails visibly', async () => {
      await page.goto(`${appOrigin}/`);
      const text = await waitForText(page.getByRole('status'), /^(Ready|Could not load)/);
      assert.match(text, /^Could not load the fingerbridge client from http:\/\/127\.0\.0\.1:8080\//);
    });

    await t.test('a copied module reports the blocked reply and names the --origin to use', async () => {
      await page.goto(`${appOrigin}/?module=/fingerbridge-client.js`);
      const status = page.getByRole('status');
      await waitForText(status, /^Ready\.$/);
      await page.getByRole('button', { name: 'Enrol and verify' }).click();
      const text = await waitForText(status, /^(Done|Failed)/);
      assert.equal(text, 'Failed: Cannot reach the fingerprint bridge at http://127.0.0.1:8080. ' +
        `Make sure it is running and was started with --origin ${appOrigin}.`);
      assert.deepEqual(await page.locator('#log li').allTextContents(), []);
      // The bridge did answer; it was the browser that withheld the reply.
      assert.match(bridge.stdout(), /New CSRF Token Generated/);
    });
  });
});
