// Starts the real fingerbridge binary of a build folder, as `make run` does.
import { spawn } from 'node:child_process';
import { createInterface } from 'node:readline';
import { dirname, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
export const buildDir = resolve(process.env.FINGERBRIDGE_BUILD_DIR ?? resolve(here, '../../../build'));
const binary = process.env.FINGERBRIDGE_BINARY ?? resolve(buildDir, 'fingerbridge');
const listeningLine = 'Server is listening for connections on port 8080...';

export const bridgeUrl = 'http://127.0.0.1:8080';

// Resolves once the server listens; rejects with its output if it exits first
// (port 8080 taken, binary missing).
export function startBridge(args = []) {
  // The server finds the frontend at ../frontend/, so it runs from the build folder.
  const child = spawn(binary, args, { cwd: buildDir, stdio: ['ignore', 'pipe', 'pipe'] });
  const out = [];
  const err = [];
  createInterface({ input: child.stderr }).on('line', (line) => err.push(line));
  const exited = new Promise((done) => child.once('exit', done));
  const listening = new Promise((done, fail) => {
    createInterface({ input: child.stdout }).on('line', (line) => {
      out.push(line);
      if (line === listeningLine) done();
    });
    child.once('error', fail);
    exited.then((code) =>
      fail(new Error(`fingerbridge exited (${code}) before listening:\n${[...out, ...err].join('\n')}`)));
  });
  const bridge = {
    stdout: () => out.join('\n'),
    stderr: () => err.join('\n'),
    async stop() {
      if (child.exitCode === null && child.signalCode === null) child.kill('SIGKILL');
      await exited;
    },
  };
  return listening.then(() => bridge);
}
