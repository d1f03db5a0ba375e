// fingerbridge client: talks to the local fingerprint bridge from any web page.
// No dependencies; copy this one file into a web application, or import it
// from the bridge itself (http://127.0.0.1:8080/js/fingerbridge-client.js).
//
//   import { createFingerbridgeClient } from './fingerbridge-client.js';
//   const bridge = createFingerbridgeClient('http://127.0.0.1:8080');
//   const { image, template } = await bridge.scan();
//   const { verified } = await bridge.verify([template]);
//
// Every failure is thrown as a BridgeError whose message can be shown to a person.

export const DEFAULT_BRIDGE_URL = 'http://127.0.0.1:8080';

export class BridgeError extends Error {
  // kind: 'unreachable' (no answer, or the browser blocked the reply),
  // 'refused' (403), 'failed' (the bridge answered with success false),
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
  const where = base || 'this page\u2019s address';
  let token = null;

  async function send(path, init) {
    let response;
    try {
      // The bridge never sends cache headers; a cached token or scan would be wrong.
      response = await fetch(base + path, { cache: 'no-store', ...init });
    } catch {
      // A bridge that is down and a reply the browser blocked (wrong --origin)
      // look the same from here, so the message names both.
      throw new BridgeError(
        `Cannot reach the fingerprint bridge at ${where}. Make sure it is running` +
          (base ? ` and was started with --origin ${pageOrigin()}.` : '.'),
        'unreachable');
    }
    const text = await response.text();
    let body = null;
    try {
      body = JSON.parse(text);
    } catch {
      // Left null: handled below with the status.
    }
    return { status: response.status, body, text };
  }

  function failure({ status, body, text }) {
    const said = body && typeof body.message === 'string' ? body.message : text.trim();
    if (status === 403) {
      return new BridgeError(`The bridge refused the request: ${said || 'no reason given.'}`, 'refused', status);
    }
    if (status !== 200) {
      return new BridgeError(`The bridge answered with status ${status}: ${said || 'no details.'}`, 'http', status);
    }
    if (!body || typeof body !== 'object') {
      return new BridgeError('The bridge sent a reply that could not be read.', 'protocol', status);
    }
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
    // Demo captures carry an empty image: null says "no picture".
    return { image: body.imageBase64 || null, template: body.templateBase64 };
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

  return {
    baseUrl: base,
    getToken,
    // Captures one finger: { image: 'data:image/bmp;base64,...', template: '...' }.
    scan: async () => captured(await protectedCall('/api/scan/single')),
    // Checks a live finger against the templates: { verified, message }.
    verify: (templates) => verification('/verify_with_template', templates),
    // Built-in template of finger 1 to 4, no scanner needed: { image: null, template }.
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

function pageOrigin() {
  return globalThis.location ? globalThis.location.origin : 'set to this page\u2019s origin';
}
