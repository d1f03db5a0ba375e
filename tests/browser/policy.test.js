// The browser policies that spare the local-network prompt: a public page of an origin the managed
// policy names reaches the bridge with no permission granted, others are refused. run-suite.sh runs
// this file alone, with a tmpfs of its own over /etc/chromium, so the policy reaches nothing else.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { mkdir, rm, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { diagnoseFrom, launch, startApp, waitForStatus, withBridge } from './harness.js';

const managed = '/etc/chromium/policies/managed';
if (process.env.FINGERBRIDGE_OWN_POLICY_FOLDER !== managed) {
  throw new Error(`run by run-suite.sh only: it writes ${managed}, which must be a tmpfs of its own`);
}

let app;
before(async () => { app = await startApp(); });
after(() => app?.close());

test('a managed policy naming the page\'s origin lets a public page use the bridge without a prompt', async (t) => {
  // Seeded impressions: the scan's own finger verifies on every run, never by chance.
  const seeded = `${tmpdir()}/fingerbridge-seeded`;
  await writeFile(seeded, '1\nseed 3\n');
  const cases = [
    ['LoopbackNetworkAllowedForUrls', app.origin, 'ok'],
    ['LocalNetworkAccessAllowedForUrls', app.origin, 'ok'],
    ['LoopbackNetworkAllowedForUrls', 'https://other.example', 'permission-denied'],
    [null, null, 'permission-denied'],
  ];
  for (const [policy, origin, outcome] of cases) {
    await t.test(policy ? `${policy} naming ${origin}` : 'no policy', async () => {
      await mkdir(managed, { recursive: true });
      await rm(`${managed}/fingerbridge.json`, { force: true });
      if (policy) await writeFile(`${managed}/fingerbridge.json`, JSON.stringify({ [policy]: [origin] }));
      // The application's page counts as public, as a real site's would; nothing grants it a permission.
      const browser = await launch([`--ip-address-space-overrides=${new URL(app.origin).host}=public`]);
      try {
        await withBridge(['--origin', app.origin], async (page) => {
          const found = await diagnoseFrom(page, app.origin);
          assert.equal(found.outcome, outcome);
          if (outcome === 'ok') {  // the application's page: demo, scan and verify through the client
            await page.goto(app.origin);
            await waitForStatus(page, /^(Done|Failed)/);
            assert.equal(await page.getByRole('status').textContent(), 'Done: demo true, scan 320 x 480 true true');
          } else {
            assert.ok(found.message.includes(`allow local network access for ${app.origin}`), found.message);
          }
        }, browser, { FINGERBRIDGE_SIM_CONTROL: seeded });
      } finally {
        await browser.close();
      }
    });
  }
});
