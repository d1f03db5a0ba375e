// Every call of the package as a TypeScript application makes it; tsc --strict must refuse each @ts-expect-error line.
import { BridgeError, createFingerbridgeClient, DEFAULT_BRIDGE_URL, type BridgeErrorKind, type BridgeStatus,
  type Capture, type DiagnoseOutcome, type Verification } from 'fingerbridge-client';

export async function everyCall(): Promise<string> {
  const bridge = createFingerbridgeClient(DEFAULT_BRIDGE_URL);
  const token: string = await bridge.getToken();
  const status: BridgeStatus = await bridge.status();
  const connected: boolean = status.scanner === 'connected';
  const { outcome, message } = await bridge.diagnose();
  const capture: Capture = await bridge.scan();
  const quality: number | null = capture.quality;
  const verification: Verification = await bridge.verify([capture.template]);
  const demo = await bridge.demoScan(2);
  const demoVerified: boolean = (await bridge.demoVerify([demo.template])).verified;
  const failure = await createFingerbridgeClient().scan().catch((error: unknown) => error);
  if (failure instanceof BridgeError) return `${failure.status} ${(failure.kind satisfies BridgeErrorKind) === 'busy'}`;
  const known: DiagnoseOutcome = outcome === 'ok' ? 'ok' : 'scanner-unavailable';
  // @ts-expect-error: no such outcome
  const misspelt: DiagnoseOutcome = 'scanner-unavailible';
  // @ts-expect-error: templates are strings
  await bridge.verify([capture.image, 42]);
  return [token, connected, message, quality, verification.verified, demoVerified, known, misspelt].join(' ');
}
