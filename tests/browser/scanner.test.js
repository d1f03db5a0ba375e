// Scanner mode against the simulated scanner of the real bridge.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { mkdir } from 'node:fs/promises';
import { join } from 'node:path';
import { startBridge, bridgeUrl, buildDir } from './support/bridge.js';
import { launchChromium, desktop, phone, waitForText } from './support/browser.js';

const artifacts = join(buildDir, 'browser-artifacts');
// A whole-page picture would show the fixed status bar halfway down; it goes last instead.
const screenshot = (page, name) =>
  page.screenshot({ path: join(artifacts, name), fullPage: true, style: '.status-bar { position: static; }' });
let bridge;
let browser;

before(async () => {
  bridge = await startBridge();
  browser = await launchChromium();
  await mkdir(artifacts, { recursive: true });
});

after(async () => {
  await browser?.close();
  await bridge?.stop();
});

async function openPage(viewport) {
  const page = await (await browser.newContext({ viewport })).newPage();
  await page.goto(bridgeUrl + '/');
  await waitForText(page.getByRole('status'), /^Ready/);
  return page;
}

// Holds a request in the browser until release() is called, so the busy state can be looked at.
async function holdRequests(page, pattern) {
  let release;
  const released = new Promise((done) => { release = done; });
  await page.route(pattern, async (route) => {
    await released;
    await route.continue();
  });
  return release;
}

async function assertLocked(page) {
  assert.match(await page.getByRole('status').textContent(), /Place your finger on the scanner/);
  assert.equal(await page.locator('main').getAttribute('aria-busy'), 'true');
  for (const name of ['Capture into slot 1', 'Capture into slot 2', 'Verify finger']) {
    assert.equal(await page.getByRole('button', { name }).isDisabled(), true, `${name} stays enabled while busy`);
  }
  assert.equal(await page.getByRole('radio', { name: /Demo/ }).isDisabled(), true);
}

test('a capture is drawn at 320 x 480, the page is locked meanwhile, and the same finger verifies', async () => {
  const page = await openPage(desktop);
  const status = page.getByRole('status');

  const releaseScan = await holdRequests(page, '**/api/scan/single');
  const scanReply = page.waitForResponse('**/api/scan/single');
  await page.getByRole('button', { name: 'Capture into slot 1' }).click();
  await waitForText(status, /Place your finger on the scanner/);
  await assertLocked(page);
  releaseScan();
  const { templateBase64 } = await (await scanReply).json();
  await waitForText(status, /Finger captured into slot 1/);

  const image = page.locator('.slot[data-slot="1"] img');
  const drawn = await image.evaluate((img) => ({
    natural: [img.naturalWidth, img.naturalHeight],
    shown: [img.getBoundingClientRect().width, img.getBoundingClientRect().height],
    src: img.src.slice(0, 22),
  }));
  assert.deepEqual(drawn, { natural: [320, 480], shown: [320, 480], src: 'data:image/bmp;base64,' });
  assert.match(await image.getAttribute('alt'), /slot 1/);
  await screenshot(page, 'scan.png');

  const releaseVerify = await holdRequests(page, '**/verify_with_template');
  const verifyRequest = page.waitForRequest('**/verify_with_template');
  await page.getByRole('button', { name: 'Verify finger' }).click();
  await waitForText(status, /Place your finger on the scanner/);
  await assertLocked(page);
  releaseVerify();
  // A standard form decoder must give back the exact template, "+" and "/" included.
  const form = new URLSearchParams((await verifyRequest).postData());
  assert.deepEqual([...form.keys()], ['template1']);
  assert.equal(form.get('template1'), templateBase64);
  await waitForText(status, /^Matched/);
  assert.equal(await page.locator('#result').textContent(), 'Matched');
  await page.context().close();
});

test('at 360 px wide the page never scrolls sideways and the capture still shows whole', async () => {
  const page = await openPage(phone);
  await page.getByRole('button', { name: 'Capture into slot 1' }).click();
  await waitForText(page.getByRole('status'), /Finger captured into slot 1/);
  const layout = await page.evaluate(() => ({
    pageWidth: document.documentElement.scrollWidth,
    image: document.querySelector('.slot img').getBoundingClientRect().toJSON(),
  }));
  assert.ok(layout.pageWidth <= 360, `page is ${layout.pageWidth} px wide`);
  assert.equal(layout.image.width, 320);
  assert.ok(layout.image.left >= 0 && layout.image.right <= 360, `image spans ${layout.image.left}..${layout.image.right}`);
  await screenshot(page, 'scan-360.png');
  await page.context().close();
});

test('failures the bridge reports are shown in words', async (t) => {
  const page = await openPage(desktop);
  const status = page.getByRole('status');
  const json = (body, status = 200) => ({ status, contentType: 'application/json', body });

  await t.test('a failed capture names the cause and suggests demo mode', async () => {
    await page.route('**/api/scan/single', (route) =>
      route.fulfill(json('{"success": false, "message": "Single scan failed or image not captured"}')));
    await page.getByRole('button', { name: 'Capture into slot 2' }).click();
    const text = await waitForText(status, /Single scan failed or image not captured/);
    assert.match(text, /demo mode/);
    assert.equal(await page.locator('.slot[data-slot="2"] .placeholder').textContent(), 'Empty');
    assert.equal(await page.getByRole('button', { name: 'Capture into slot 2' }).isDisabled(), false);
    await page.unroute('**/api/scan/single');
  });

  await t.test('a refusal that a fresh token does not cure is reported after one retry', async () => {
    let tokenRequests = 0;
    page.on('request', (request) => { if (request.url().endsWith('/api/config')) tokenRequests += 1; });
    await page.route('**/api/scan/single', (route) =>
      route.fulfill(json('{"success": false, "message": "Host not allowed."}', 403)));
    await page.getByRole('button', { name: 'Capture into slot 2' }).click();
    await waitForText(status, /refused the request: Host not allowed\./);
    assert.equal(tokenRequests, 1);
    await page.unroute('**/api/scan/single');
  });

  await t.test('a too large request says so', async () => {
    await page.getByRole('button', { name: 'Capture into slot 3' }).click();
    await waitForText(status, /captured into slot 3/);
    await page.route('**/verify_with_template', (route) =>
      route.fulfill(json('{"success": false, "message": "Request too large."}', 413)));
    await page.getByRole('button', { name: 'Verify finger' }).click();
    await waitForText(status, /status 413: Request too large\./);
    assert.equal(await page.locator('#result').isHidden(), true);
  });
  await page.context().close();
});
