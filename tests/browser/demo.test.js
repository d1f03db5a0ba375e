// Demo mode end to end: the real bridge, the page in Chromium, no scanner involved.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { startBridge, bridgeUrl } from './support/bridge.js';
import { launchChromium, desktop, waitForText } from './support/browser.js';

const STORAGE_KEY = 'fingerbridge.templates';
let bridge;
let browser;

before(async () => {
  bridge = await startBridge();
  browser = await launchChromium();
});

after(async () => {
  await browser?.close();
  await bridge?.stop();
});

async function openPage(path = '/') {
  const page = await (await browser.newContext({ viewport: desktop })).newPage();
  await page.goto(bridgeUrl + path);
  await waitForText(page.getByRole('status'), /^Ready/);
  return page;
}

const slot = (page, number) => page.locator(`.slot[data-slot="${number}"]`);

async function verifyOutcome(page) {
  await page.getByRole('button', { name: 'Verify finger' }).click();
  await waitForText(page.getByRole('status'), /^(Matched|Not matched)/);
  return page.locator('#result').textContent();
}

test('demo mode by keyboard: fingers 1 and 3 enrol without images and verify as matched', async () => {
  const page = await openPage();
  const status = page.getByRole('status');

  // Arrow keys move through the mode radios; Tab reaches the finger choice, then slot 1.
  await page.getByRole('radio', { name: /Scanner/ }).focus();
  await page.keyboard.press('ArrowDown');
  assert.equal(await page.getByRole('radio', { name: /Demo/ }).isChecked(), true);
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'finger');
  await page.keyboard.press('Tab');
  await page.keyboard.press('Enter');
  await waitForText(status, /Demo finger 1 enrolled in slot 1/);
  // The button was disabled while busy; focus must come back to it, not to the page.
  assert.equal(await page.evaluate(() => document.activeElement.textContent), 'Capture into slot 1');

  await page.getByLabel('Demo finger').selectOption('3');
  await page.getByRole('button', { name: 'Capture into slot 2' }).click();
  await waitForText(status, /Demo finger 3 enrolled in slot 2/);

  for (const number of [1, 2]) {
    assert.equal(await slot(page, number).locator('img').count(), 0);
    assert.match(await slot(page, number).locator('.placeholder').textContent(), /no image/);
  }
  assert.match(await slot(page, 2).locator('.slot-info').textContent(), /Demo finger 3/);
  assert.equal(await verifyOutcome(page), 'Matched');
  await page.context().close();
});

test('kept templates survive a reload, a template edited in storage does not match, forgetting empties the slots', async () => {
  const page = await openPage('/#demo');
  const status = page.getByRole('status');
  assert.equal(await page.getByRole('radio', { name: /Demo/ }).isChecked(), true);

  await page.getByLabel('Keep the templates in this browser').check();
  await page.getByLabel('Demo finger').selectOption('2');
  await page.getByRole('button', { name: 'Capture into slot 3' }).click();
  await waitForText(status, /Demo finger 2 enrolled in slot 3/);

  await page.reload();
  await waitForText(status, /1 kept template restored/);
  assert.match(await slot(page, 3).locator('.placeholder').textContent(), /Kept from an earlier visit/);
  assert.equal(await verifyOutcome(page), 'Matched');

  // Clear, enrol again, then change one character of the stored template.
  await page.getByRole('button', { name: 'Clear slot 3' }).click();
  assert.deepEqual(JSON.parse(await page.evaluate((key) => localStorage.getItem(key), STORAGE_KEY)).slots,
    [null, null, null, null]);
  await page.getByLabel('Demo finger').selectOption('2');
  await page.getByRole('button', { name: 'Capture into slot 1' }).click();
  await waitForText(status, /Demo finger 2 enrolled in slot 1/);
  await page.evaluate((key) => {
    const stored = JSON.parse(localStorage.getItem(key));
    stored.slots[0].template = stored.slots[0].template.replace('BB', 'BC');
    localStorage.setItem(key, JSON.stringify(stored));
  }, STORAGE_KEY);
  await page.reload();
  await waitForText(status, /1 kept template restored/);
  assert.equal(await verifyOutcome(page), 'Not matched');

  await page.getByRole('button', { name: 'Forget stored templates' }).click();
  assert.equal(await page.getByLabel('Keep the templates in this browser').isChecked(), false);
  await page.reload();
  await waitForText(status, /^Ready: the fingerprint bridge is running\.$/);
  for (const number of [1, 2, 3, 4]) {
    assert.equal(await slot(page, number).locator('.placeholder').textContent(), 'Empty');
  }
  await page.getByRole('button', { name: 'Verify finger' }).click();
  await waitForText(status, /Enrol at least one finger/);
  await page.context().close();
});
