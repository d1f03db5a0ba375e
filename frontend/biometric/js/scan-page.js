// The start page: enrol fingers into slots and verify a live finger against them.

import { createFingerbridgeClient } from './fingerbridge-client.js';
import { createSlots, SLOT_COUNT } from './slots.js';
import { createSlotViews, drawSlot, poorCaptureText } from './slot-view.js';
import { createStatus } from './status.js';
import { describeBridge, explain, explainDiagnosis } from './messages.js';

// The page comes from the bridge itself, so the bridge is at the page's own origin.
const bridge = createFingerbridgeClient('');
const byId = (id) => document.getElementById(id);
const status = createStatus(byId('status'), byId('main'));
const slots = createSlots(window.localStorage);
const views = createSlotViews(byId('slots'), byId('slot-template'), SLOT_COUNT);
const modeInputs = [...document.querySelectorAll('input[name="mode"]')];
const fingerSelect = byId('finger');
const keepBox = byId('keep');
const forgetButton = byId('forget');
const verifyButton = byId('verify');
const result = byId('result');

const forgottenNote = 'Stored templates forgotten. The slots on this page stay until you leave it.';

// A scanner capture below this quality is kept only when the person says so:
// such an enrolment makes later verifications of that finger fail.
const minimumEnrolmentQuality = 40;
// Per slot: a poor capture waiting for "Keep anyway", or null.
const pending = new Array(SLOT_COUNT).fill(null);

const mode = () => (modeInputs.find((input) => input.checked)?.value === 'demo' ? 'demo' : 'scanner');

function render() {
  const busy = status.isBusy();
  views.forEach((view, i) => {
    drawSlot(view, slots.get(i), i + 1, pending[i]);
    view.capture.disabled = busy;
    view.keep.disabled = busy;
    view.clear.disabled = busy || !slots.get(i);
  });
  const demo = mode() === 'demo';
  byId('demo-finger').hidden = !demo;
  byId('verify-hint').textContent = demo
    ? 'Checks every enrolled template against the four built-in demo fingers.'
    : 'Checks a live finger on the scanner against every enrolled template.';
  for (const control of [...modeInputs, fingerSelect, verifyButton]) control.disabled = busy;
  keepBox.checked = slots.isKeeping();
  forgetButton.disabled = busy || !slots.isKeeping();
}

// An unreachable bridge has many causes the error cannot tell apart; the client's diagnosis can.
async function diagnosis() {
  status.busy('Finding out why the fingerprint bridge does not answer\u2026');
  return explainDiagnosis(await bridge.diagnose());
}

// Runs one bridge call with the page locked against a second click meanwhile.
async function run(busyText, work, diagnoseAnyFailure = false) {
  if (status.isBusy()) return;
  const focused = document.activeElement;
  status.busy(busyText);
  render();
  try {
    status.info(await work());
  } catch (error) {
    const unknown = diagnoseAnyFailure || error?.kind === 'unreachable';
    status.error(unknown ? await diagnosis() : explain(error, mode()));
    // A scanner failure may mean it was unplugged: the note then says so, and the page watches for it.
    if (error?.kind === 'failed' && mode() === 'scanner') bridge.status().then(showScanner, () => {});
  }
  render();
  // Disabling the clicked button dropped keyboard focus; give it back.
  if (focused instanceof HTMLElement && document.activeElement === document.body) focused.focus();
}

function capture(index) {
  const demo = mode() === 'demo';
  const finger = Number(fingerSelect.value);
  return run(demo ? `Fetching demo finger ${finger}\u2026` : 'Place your finger on the scanner\u2026', async () => {
    const captured = demo ? await bridge.demoScan(finger) : await bridge.scan();
    const slot = { ...captured, source: demo ? 'demo' : 'scanner', finger: demo ? finger : null };
    pending[index] = null;
    if (!demo && captured.quality !== null && captured.quality < minimumEnrolmentQuality) {
      pending[index] = slot;
      return `${poorCaptureText(captured.quality)} (slot ${index + 1}).`;
    }
    slots.set(index, slot);
    return demo
      ? `Demo finger ${finger} enrolled in slot ${index + 1}.`
      : `Finger captured into slot ${index + 1}. You can lift your finger.`;
  });
}

function verify() {
  const templates = slots.templates();
  result.hidden = true;
  if (templates.length === 0) {
    status.error('Enrol at least one finger into a slot before verifying.');
    return Promise.resolve();
  }
  const demo = mode() === 'demo';
  return run(demo ? 'Checking against the demo fingers\u2026' : 'Place your finger on the scanner\u2026', async () => {
    const outcome = demo ? await bridge.demoVerify(templates) : await bridge.verify(templates);
    result.hidden = false;
    result.dataset.outcome = outcome.verified ? 'matched' : 'not-matched';
    result.textContent = outcome.verified ? 'Matched' : 'Not matched';
    return outcome.verified
      ? 'Matched: the finger belongs to one of the enrolled templates.'
      : `Not matched. ${outcome.message || 'No enrolled template matches.'}`;
  });
}

function keepChanged() {
  try {
    if (keepBox.checked) {
      slots.keep();
      status.info('Templates are now kept in this browser until you forget them.');
    } else {
      slots.forget();
      status.info(forgottenNote);
    }
  } catch (error) {
    slots.forget();
    status.error(`This browser would not store the templates: ${error.message}`);
  }
  render();
}

function forget() {
  slots.forget();
  status.info(forgottenNote);
  render();
  keepBox.focus();
}

views.forEach((view, i) => {
  view.capture.addEventListener('click', () => capture(i));
  view.keep.addEventListener('click', () => {
    slots.set(i, pending[i]);
    pending[i] = null;
    status.info(`Poor capture kept in slot ${i + 1}.`);
    render();
    view.capture.focus();
  });
  view.clear.addEventListener('click', () => {
    pending[i] = null;
    slots.clear(i);
    status.info(`Slot ${i + 1} cleared.`);
    render();
    view.capture.focus();
  });
});
for (const input of modeInputs) {
  input.addEventListener('change', () => {
    // The address remembers demo mode, so a reload or a bookmark keeps it.
    history.replaceState(null, '', mode() === 'demo' ? '#demo' : location.pathname);
    result.hidden = true;
    status.info(mode() === 'demo'
      ? 'Demo mode: choose a demo finger, then capture it into a slot.'
      : 'Scanner mode: capture puts a finger from the scanner into a slot.');
    render();
  });
}
keepBox.addEventListener('change', keepChanged);
forgetButton.addEventListener('click', forget);
verifyButton.addEventListener('click', verify);

// While the scanner is unavailable the bridge keeps looking for it, and so does the page.
const SCANNER_CHECK_MS = 3000;
let scannerCheck = null;

function showNote(reply) {
  byId('scanner-state').textContent = describeBridge(reply).note;
  byId('scanner-state').hidden = false;
}

function showScanner(reply) {
  showNote(reply);
  if (reply.scanner === 'connected' || scannerCheck) return;
  scannerCheck = setInterval(async () => {
    const now = await bridge.status().catch(() => null);
    if (!now) return;
    showNote(now);
    if (now.scanner !== 'connected') return;
    clearInterval(scannerCheck);
    scannerCheck = null;
    if (!status.isBusy()) status.info('The scanner is connected now.');
  }, SCANNER_CHECK_MS);
}

async function start() {
  const demo = location.hash === '#demo';
  for (const input of modeInputs) input.checked = (input.value === 'demo') === demo;
  let restoreNote = '';
  try {
    const restored = slots.restore();
    if (restored) restoreNote = ` ${restored} kept template${restored === 1 ? '' : 's'} restored.`;
  } catch (error) {
    slots.forget();
    restoreNote = ` The stored templates could not be read and were forgotten (${error.message}).`;
  }
  render();
  await run('Connecting to the fingerprint bridge\u2026', async () => {
    const reply = await bridge.status();
    showScanner(reply);
    return `${describeBridge(reply).ready}${restoreNote}`;
  }, true);
}

start();
