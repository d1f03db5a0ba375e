// Turns client failures into sentences for the person at the desk.

const START_HINT =
  'Start it in the fingerbridge folder with "make run" (or run fingerbridge from its build folder), ' +
  'then try again.';

export function explain(error, mode) {
  if (!error || error.name !== 'BridgeError') {
    return `Something went wrong in this page: ${error && error.message ? error.message : error}`;
  }
  if (error.kind === 'unreachable') {
    return `The fingerprint bridge at ${location.origin} cannot be reached. ${START_HINT}`;
  }
  if (error.kind === 'failed' && mode === 'scanner') {
    return `The scanner reported a failure: ${error.message} ` +
      'Check that the scanner is plugged in, or switch to demo mode, which needs no scanner.';
  }
  return error.message;
}
