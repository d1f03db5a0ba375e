// Turns client failures and diagnoses into sentences for the person at the desk.

// The page comes with the bridge, so it can say how this copy is started.
const START_HINT = 'In the fingerbridge folder, "make run" starts it (or run fingerbridge from its build folder).';

export function explain(error, mode) {
  if (!error || error.name !== 'BridgeError') {
    return `Something went wrong in this page: ${error && error.message ? error.message : error}`;
  }
  if (error.kind === 'busy') return 'Another page or tab is using the scanner; try again when it is done.';
  if (error.kind === 'failed' && mode === 'scanner') {
    return `The scanner reported a failure: ${error.message} ` +
      'Check that the scanner is plugged in, or switch to demo mode, which needs no scanner.';
  }
  return error.message;
}

// The client's diagnosis, with what this page adds to it.
export function explainDiagnosis({ outcome, message }) {
  if (outcome === 'service-unreachable') return `${message} ${START_HINT}`;
  if (outcome === 'scanner-unavailable') return `${message} Demo mode still works.`;
  return message;
}

// The start-up line and the note beside the mode choice, from the /api/status reply.
export function describeBridge({ version, scanner, scannerDetail, library }) {
  const simulated = library === 'simulated' ? ' (simulated)' : '';
  if (scanner === 'connected') {
    return {
      ready: `Ready: fingerbridge ${version} is running and the scanner${simulated} is connected.`,
      note: `Scanner connected${simulated}.`,
    };
  }
  const why = String(scannerDetail || 'no reason given').replace(/\.$/, '');
  return {
    ready: `Ready, demo only: fingerbridge ${version} is running, but the scanner is unavailable (${why}); ` +
      'it keeps looking for it. Demo mode still works.',
    note: `Scanner unavailable: ${why}. fingerbridge keeps looking for it.`,
  };
}
