// Debian's Chromium driven by playwright-core; Playwright never downloads a browser here.
import { chromium } from 'playwright-core';
import assert from 'node:assert/strict';

const executablePath = process.env.CHROMIUM_PATH ?? '/usr/bin/chromium';

// Playwright starts every launch on a fresh, temporary user-data directory.
export function launchChromium() {
  return chromium.launch({
    executablePath,
    headless: true,
    args: [
      '--no-sandbox',
      '--disable-gpu',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      '--no-first-run',
    ],
  });
}

export const desktop = { width: 1280, height: 900 };
export const phone = { width: 360, height: 740 };

// Waits until the locator's text matches; a bound on waiting, not a timing check.
export async function waitForText(locator, pattern, timeout = 15000) {
  const deadline = Date.now() + timeout;
  let text = '';
  while (Date.now() < deadline) {
    text = (await locator.textContent()) ?? '';
    if (pattern.test(text)) return text;
    await new Promise((done) => setTimeout(done, 50));
  }
  assert.match(text, pattern);
  return text;
}
