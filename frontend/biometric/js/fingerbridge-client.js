// fingerbridge client: talks to the local fingerprint bridge from any web page.
// No dependencies: the npm package fingerbridge-client (with TypeScript
// declarations), this one file copied into a web application, or imported
// from the bridge itself (http://127.0.0.1:8080/js/fingerbridge-client.js).
//
//   import { createFingerbridgeClient } from './fingerbridge-client.js';
//   const bridge = createFingerbridgeClient('http://127.0.0.1:8080');
//   const { image, template, quality } = await bridge.scan();   // quality 0 .. 100
//   const { verified } = await bridge.verify([template]);
//   const { scanner, scannerDetail } = await bridge.status();
//   const { outcome, message } = await bridge.diagnose();
//
// Every failure is thrown as a BridgeError whose message can be shown to a person.
// status() resolves to the /api/status reply: scanner is 'connected' or
// 'unavailable' now (the bridge asks the scanner's library at each status
// request, and keeps looking for a scanner that is not connected) and
// scannerDetail says why. diagnose() never rejects and settles within 5 s; its
// message is one sentence for a person, its outcome one of 'ok',
// 'scanner-unavailable', 'origin-not-allowed' (running, but --origin does not name
// this page), 'host-not-allowed' (addressed by a name other than 127.0.0.1 or
// localhost), 'permission-denied' (the browser does not let this page reach
// devices on this computer), 'service-unreachable', 'no-answer' (nothing within
// 5 s: busy, or the browser still waits for the person to answer its prompt) and
// 'unexpected-reply' (any other reply, such as a 404 from an older bridge).

export const DEFAULT_BRIDGE_URL = 'http://127.0.0.1:8080';

const DIAGNOSE_BUDGET_MS = 5000;
// What the bridge answers when another request has held the scanner for 3 s.
const BUSY_MESSAGE = 'The scanner is busy with another request.';
// Names browsers have used for the permission a public page needs to reach 127.0.0.1.
const LOCAL_NETWORK_PERMISSIONS = ['loopback-network', 'local-network', 'local-network-access'];

export class BridgeError extends Error {
  // kind: 'unreachable' (no answer, or the browser blocked the reply),
  // 'refused' (403), 'busy' (another page or tab is using the scanner),
  // 'failed' (the bridge answered with success false otherwise),
  // 'http' (any other status), 'protocol' (a reply that is not the expected JSON),
  // 'input' (the call itself was wrong).
  constructor(message, kind, status = 0) {
    super(message);
    this.name = 'BridgeError';
    this.kind = kind;
    this.status = status;
  }
}

// baseUrl: the bridge's address; '' means the page's own origin (the bridge's own page).
export function createFingerbridgeClient(baseUrl = DEFAULT_BRIDGE_URL) {
  const base = String(baseUrl).replace(/\/+$/, '');
  // What the page calls the bridge, for messages.
  const address = base || pageOrigin();
  let token = null;

  async function send(path, init) {
    let response;
    let text;
    try {
      // The bridge never sends cache headers; a cached token or scan would be wrong.
      response = await fetch(base + path, { cache: 'no-store', ...init });
      // A connection lost halfway through the body is no more reachable than none.
      text = await response.text();
    } catch {
      // A bridge that is down and a reply the browser blocked (wrong --origin)
      // look the same from here, so the message names both.
      throw new BridgeError(
        `Cannot reach the fingerprint bridge at ${address}. Make sure it is running` +
          (base ? ` and was started with --origin ${pageOrigin()}.` : '.'),
        'unreachable');
    }
    let body = null;
    try {
      body = JSON.parse(text);
    } catch {
      // Left null: handled below with the status.
    }
    return { status: response.status, body, text };
  }

  function failure(reply) {
    const { status, body } = reply;
    const said = saidIn(reply);
    if (status === 403) {
      return new BridgeError(`The bridge refused the request: ${said || 'no reason given.'}`, 'refused', status);
    }
    if (status !== 200) {
      return new BridgeError(`The bridge answered with status ${status}: ${said || 'no details.'}`, 'http', status);
    }
    if (!body || typeof body !== 'object') {
      return new BridgeError('The bridge sent a reply that could not be read.', 'protocol', status);
    }
    if (said === BUSY_MESSAGE) return new BridgeError(said, 'busy', status);
    return new BridgeError(said || 'The bridge reported a failure without a message.', 'failed', status);
  }

  async function getToken() {
    const reply = await send('/api/config', { method: 'GET' });
    if (reply.status !== 200 || !reply.body || typeof reply.body.csrfToken !== 'string') {
      throw failure(reply);
    }
    token = reply.body.csrfToken;
    return token;
  }

  // Tokens are lost when the bridge restarts, so a refusal earns one fresh token and one retry.
  async function protectedCall(path, init = {}) {
    const attempt = async () =>
      send(path, { ...init, headers: { ...init.headers, 'X-CSRF-Token': token ?? (await getToken()) } });
    let reply = await attempt();
    if (reply.status === 403) {
      await getToken();
      reply = await attempt();
    }
    if (reply.status !== 200 || !reply.body || reply.body.success !== true) throw failure(reply);
    return reply.body;
  }

  function captured(body) {
    if (typeof body.templateBase64 !== 'string' || body.templateBase64 === '') {
      throw new BridgeError('The bridge sent a capture without a template.', 'protocol', 200);
    }
    // Demo captures carry an empty image and no quality: null says "none".
    const quality = Number.isInteger(body.quality) ? body.quality : null;
    return { image: body.imageBase64 || null, template: body.templateBase64, quality };
  }

  function verification(path, templates) {
    const list = Array.from(templates ?? []);
    if (list.length === 0 || list.some((item) => typeof item !== 'string' || item === '')) {
      return Promise.reject(new BridgeError('Verification needs at least one stored template.', 'input'));
    }
    // Base64 holds "+", "/" and "=", which a form body must not carry raw.
    const form = list.map((item, i) => `template${i + 1}=${encodeURIComponent(item)}`).join('&');
    return protectedCall(path, {
      method: 'POST',
      headers: { 'Content-Type': 'application/x-www-form-urlencoded' },
      body: form,
    }).then((body) => ({
      verified: body.verified === true,
      message: typeof body.message === 'string' ? body.message : '',
    }));
  }

  // Each outcome of diagnose() and its sentence.
  const verdicts = {
    ok: () => `The fingerprint bridge at ${address} is running and its scanner is connected.`,
    'scanner-unavailable': (detail) => `The fingerprint bridge at ${address} is running, but its scanner ` +
      `is not available (${clause(detail) || 'no reason given'}); it keeps looking for it.`,
    'origin-not-allowed': () => `The fingerprint bridge at ${address} is running but refuses this page; ` +
      `start it with --origin ${pageOrigin()}.`,
    'host-not-allowed': () => `The fingerprint bridge answers only at 127.0.0.1 or localhost, so this page ` +
      `must use ${loopbackOf(address)} instead of ${address}.`,
    'permission-denied': () => 'This browser does not let this page reach devices on this computer; ' +
      `allow local network access for ${pageOrigin()} in the site settings, then reload the page.`,
    'service-unreachable': () => `The fingerprint bridge at ${address} cannot be reached; start it, and if the ` +
      'browser asks whether this page may reach devices on this computer, allow it.',
    'no-answer': () => `The fingerprint bridge at ${address} did not answer within ${DIAGNOSE_BUDGET_MS / 1000} ` +
      'seconds; it may be busy, or the browser may be waiting for you to allow this page to reach devices ' +
      'on this computer.',
    'unexpected-reply': (reply) => `The fingerprint bridge at ${address} gave an unexpected reply ` +
      `(status ${reply.status}: ${clause(saidIn(reply)) || 'no details'}).`,
  };
  const verdict = (outcome, detail) => ({ outcome, message: verdicts[outcome](detail) });

  function readReply(reply) {
    if (reply.status === 403 && reply.body?.message === 'Host not allowed.') return verdict('host-not-allowed');
    return verdict('unexpected-reply', reply);
  }

  // Both a stopped bridge and a refused page fail a CORS request; only a running
  // bridge serves its static files, which it never refuses by origin. A script,
  // because opaque-response blocking may fail a no-cors JSON reply.
  async function unreachable(signal) {
    const served = await fetch(`${base}/js/fingerbridge-client.js`, { mode: 'no-cors', cache: 'no-store', signal })
      .then(() => true, () => false);
    if (served) return verdict('origin-not-allowed');
    if (await localNetworkDenied()) return verdict('permission-denied');
    return verdict('service-unreachable');
  }

  async function examine(signal) {
    const config = await send('/api/config', { method: 'GET', signal }).catch(() => null);
    if (!config) return unreachable(signal);
    if (config.status !== 200 || typeof config.body?.csrfToken !== 'string') return readReply(config);
    const headers = { 'X-CSRF-Token': config.body.csrfToken };
    const reply = await send('/api/status', { method: 'GET', headers, signal }).catch(() => null);
    if (!reply) return unreachable(signal);
    const { status, body } = reply;
    if (status !== 200 || body?.success !== true) return readReply(reply);
    if (body.scanner === 'connected') return verdict('ok');
    if (body.scanner === 'unavailable') return verdict('scanner-unavailable', body.scannerDetail);
    return verdict('unexpected-reply', reply);
  }

  // The timer both answers and aborts, so no request outlives the budget,
  // even one to a listener that accepts and never replies.
  function diagnose() {
    const abort = new AbortController();
    return new Promise((resolve) => {
      const timer = setTimeout(() => {
        resolve(verdict('no-answer'));
        abort.abort();
      }, DIAGNOSE_BUDGET_MS);
      examine(abort.signal)
        .catch((error) => verdict('unexpected-reply', { status: 0, body: null, text: String(error?.message) }))
        .then((result) => {
          clearTimeout(timer);
          resolve(result);
        });
    });
  }

  return {
    baseUrl: base,
    getToken,
    // The /api/status reply: { success, version, scanner, scannerDetail, library, allowedOrigin }.
    status: () => protectedCall('/api/status'),
    // Why the bridge can or cannot be used from this page: { outcome, message }; never rejects.
    diagnose,
    // Captures one finger: { image: 'data:image/bmp;base64,...', template: '...', quality: 0..100 }.
    scan: async () => captured(await protectedCall('/api/scan/single')),
    // Checks a live finger against the templates: { verified, message }.
    verify: (templates) => verification('/verify_with_template', templates),
    // Built-in template of finger 1 to 4, no scanner needed: { image: null, template, quality: null }.
    demoScan: async (finger) => {
      const number = Number(finger);
      if (!Number.isInteger(number) || number < 1 || number > 4) {
        throw new BridgeError('The demo finger must be a number from 1 to 4.', 'input');
      }
      return captured(await protectedCall(`/api/demoscan/single?finger=${number}`));
    },
    demoVerify: (templates) => verification('/demoverify_with_template', templates),
  };
}

function saidIn({ body, text }) {
  return body && typeof body.message === 'string' ? body.message : text.trim().slice(0, 200);
}

// A trailing full stop would end the sentence that quotes it.
function clause(text) {
  return String(text ?? '').trim().replace(/\.$/, '');
}

function loopbackOf(address) {
  try {
    const url = new URL(address);
    url.hostname = '127.0.0.1';
    return url.origin;
  } catch {
    return DEFAULT_BRIDGE_URL;
  }
}

async function localNetworkDenied() {
  for (const name of LOCAL_NETWORK_PERMISSIONS) {
    try {
      if ((await navigator.permissions.query({ name })).state === 'denied') return true;
    } catch {
      // A name this browser does not know.
    }
  }
  return false;
}

function pageOrigin() {
  return globalThis.location ? globalThis.location.origin : 'set to this page\u2019s origin';
}
