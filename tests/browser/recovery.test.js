// The page when the bridge goes away and comes back (its tokens are gone then).
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import { startBridge, bridgeUrl } from './support/bridge.js';
import { launchChromium, desktop, waitForText } from './support/browser.js';

let bridge;
let browser;

after(async () => {
  await browser?.close();
  await bridge?.stop();
});

test('a stopped bridge is reported with how to start it; after a restart a fresh token is fetched', async () => {
  bridge = await startBridge();
  browser = await launchChromium();
  const page = await (await browser.newContext({ viewport: desktop })).newPage();
  const status = page.getByRole('status');
  const capture = page.getByRole('button', { name: 'Capture into slot 1' });
  await page.goto(`${bridgeUrl}/#demo`);
  await waitForText(status, /^Ready/);

  await bridge.stop();
  await capture.click();
  const text = await waitForText(status, /cannot be reached/);
  assert.match(text, /make run/);
  assert.equal(await page.locator('.slot[data-slot="1"] .placeholder').textContent(), 'Empty');
  assert.equal(await capture.isDisabled(), false);

  bridge = await startBridge();
  await capture.click();
  await waitForText(status, /Demo finger 1 enrolled in slot 1/);
  // The token from before the restart was tried and refused once, then replaced.
  assert.equal(bridge.stderr().match(/CSRF check FAILED/g)?.length, 1);
  assert.equal(bridge.stdout().match(/New CSRF Token Generated/g)?.length, 1);
});
