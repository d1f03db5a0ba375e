// Types of fingerbridge-client: talks to the local fingerprint bridge
// (fingerbridge) from any web page. Every call that fails rejects with a
// BridgeError whose message can be shown to a person.

/** Where the bridge listens unless told otherwise: `http://127.0.0.1:8080`. */
export declare const DEFAULT_BRIDGE_URL: 'http://127.0.0.1:8080';

/**
 * Why a call failed:
 * - `'unreachable'`: no answer, or the browser blocked the reply (the bridge is
 *   not running, or its `--origin` does not name this page); `diagnose()` tells which;
 * - `'refused'`: status 403, even after one fresh token (a foreign Host, an origin not allowed);
 * - `'busy'`: another page or tab has held the scanner for 3 seconds;
 * - `'failed'`: the bridge answered with `success: false` (its message says why);
 * - `'http'`: any other status;
 * - `'protocol'`: a reply that is not the JSON expected;
 * - `'input'`: the call itself was wrong (no templates, a demo finger outside 1 to 4).
 */
export type BridgeErrorKind = 'unreachable' | 'refused' | 'busy' | 'failed' | 'http' | 'protocol' | 'input';

export declare class BridgeError extends Error {
  constructor(message: string, kind: BridgeErrorKind, status?: number);
  readonly name: 'BridgeError';
  readonly kind: BridgeErrorKind;
  /** The reply's HTTP status; 0 when there was no reply. */
  readonly status: number;
}

/** One capture. */
export interface Capture {
  /** The grey image as a `data:image/bmp;base64,...` URL; null for demo captures. */
  image: string | null;
  /** The scanner library's template in Base64: keep it to verify later. */
  template: string;
  /** How good the capture looks, 0 to 100 (below 40 is poor); null for demo captures. */
  quality: number | null;
}

/** A verification's outcome. */
export interface Verification {
  verified: boolean;
  /** The bridge's message when not verified, else ''. */
  message: string;
}

/** The /api/status reply: how the bridge and its scanner are now. */
export interface BridgeStatus {
  success: true;
  version: string;
  /** Whether the scanner is connected now; the bridge keeps looking for one that is not. */
  scanner: 'connected' | 'unavailable';
  /** Why the scanner is unavailable; '' when connected. */
  scannerDetail: string;
  library: 'vendor' | 'simulated';
  /** The bridge's --origin setting, as given. */
  allowedOrigin: string;
}

/**
 * What diagnose() found:
 * - `'ok'`: a token was issued and the scanner is connected;
 * - `'scanner-unavailable'`: the bridge answers, but its scanner is not connected;
 * - `'origin-not-allowed'`: the bridge runs, but its --origin does not name this page;
 * - `'host-not-allowed'`: the bridge was addressed by a name other than 127.0.0.1 or localhost;
 * - `'permission-denied'`: the browser does not let this page reach devices on this computer;
 * - `'service-unreachable'`: nothing answers;
 * - `'no-answer'`: nothing settled within 5 seconds (busy, or a permission prompt waits);
 * - `'unexpected-reply'`: any other reply, such as a 404 from an older bridge.
 */
export type DiagnoseOutcome =
  | 'ok'
  | 'scanner-unavailable'
  | 'origin-not-allowed'
  | 'host-not-allowed'
  | 'permission-denied'
  | 'service-unreachable'
  | 'no-answer'
  | 'unexpected-reply';

export interface Diagnosis {
  outcome: DiagnoseOutcome;
  /** One sentence for the person at the desk. */
  message: string;
}

export interface FingerbridgeClient {
  /** The bridge's address without a trailing slash; '' for the page's own origin. */
  readonly baseUrl: string;
  /**
   * Fetches a fresh CSRF token from /api/config. The other calls fetch one on
   * first use, and once more after a 403 (the bridge was restarted).
   * @throws {BridgeError}
   */
  getToken(): Promise<string>;
  /** @throws {BridgeError} */
  status(): Promise<BridgeStatus>;
  /** Why this page can or cannot use the bridge; never rejects, settles within 5 seconds. */
  diagnose(): Promise<Diagnosis>;
  /**
   * Captures one finger on the scanner (the person places it when asked).
   * @throws {BridgeError} `'failed'` when the scanner could not capture, `'busy'` when another page holds it.
   */
  scan(): Promise<Capture>;
  /**
   * Checks a live finger on the scanner against one or more stored templates.
   * @throws {BridgeError} `'input'` without templates; `'busy'`, `'failed'` and the others as for scan().
   */
  verify(templates: readonly string[]): Promise<Verification>;
  /**
   * The built-in demo template of finger 1 to 4; no scanner needed, no image, no quality.
   * @throws {BridgeError} `'input'` for another finger.
   */
  demoScan(finger: number): Promise<Capture>;
  /** Verified when a template is one of the four built-in ones. @throws {BridgeError} */
  demoVerify(templates: readonly string[]): Promise<Verification>;
}

/**
 * A client for the bridge at baseUrl (default DEFAULT_BRIDGE_URL); '' means
 * the page's own origin, for pages the bridge serves itself.
 */
export declare function createFingerbridgeClient(baseUrl?: string): FingerbridgeClient;
