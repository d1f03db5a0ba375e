#!/usr/bin/env python3
"""How long a legitimate request waits while a local process floods the
server with connections that send nothing, or that drip their header a byte
at a time. The flood keeps its connections open: each one the server ends is
opened again at once. A legitimate GET /api/config is sent every 250 ms; its
time to the whole reply is reported as p50 and p99.

    bench/hostile_load.py [BINARY] [SECONDS]    (defaults: build/fingerbridge 20)

Runs in a network namespace of its own (unshare -rn), so port 8080 is its own.
"""
import os
import resource
import selectors
import socket
import subprocess
import sys
import threading
import time

SCENARIOS = [("silent", 2000), ("silent", 6000), ("dripping", 2000)]
DRIP_INTERVAL = 1.0  # seconds between two bytes of one dripping connection
DRIP_TEXT = b"GET / HTTP/1.1\r\nX-Drip: " + b"a" * 1000  # a header block that never ends
ADDRESS = ("127.0.0.1", 8080)

repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
binary = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(repo, "build/fingerbridge"))
seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 20.0

if not os.environ.get("FINGERBRIDGE_BENCH_NETWORK"):
    os.environ["FINGERBRIDGE_BENCH_NETWORK"] = "1"
    os.execvp("unshare", ["unshare", "-rn", "sh", "-c",
                          'PATH=$PATH:/usr/sbin:/sbin ip link set lo up && exec "$0" "$@"',
                          sys.executable, os.path.abspath(__file__), binary, str(seconds)])

soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))


class Flood:
    """count connections kept open; dripping ones send a header byte every DRIP_INTERVAL."""

    def __init__(self, kind, count):
        self.kind, self.count = kind, count
        self.selector = selectors.DefaultSelector()
        self.stopping = False
        self.reopened = 0
        self.thread = threading.Thread(target=self.run, daemon=True)

    def open_one(self):
        connection = socket.socket()
        connection.setblocking(False)
        connection.connect_ex(ADDRESS)
        self.selector.register(connection, selectors.EVENT_READ, [0])  # bytes of DRIP_TEXT sent

    def run(self):
        for _ in range(self.count):
            self.open_one()
        next_drip = time.monotonic() + DRIP_INTERVAL
        while not self.stopping:
            for key, _ in self.selector.select(timeout=0.1):
                # Bytes or the end: the server ended it (or answered); open another.
                try:
                    key.fileobj.recv(4096)
                except OSError:
                    pass
                self.selector.unregister(key.fileobj)
                key.fileobj.close()
                self.reopened += 1
                self.open_one()
            if self.kind == "dripping" and time.monotonic() >= next_drip:
                next_drip += DRIP_INTERVAL
                for key in list(self.selector.get_map().values()):
                    sent = key.data
                    try:
                        sent[0] += key.fileobj.send(DRIP_TEXT[sent[0]:sent[0] + 1])
                    except OSError:
                        pass  # not connected yet

    def stop(self):
        self.stopping = True
        self.thread.join()
        for key in list(self.selector.get_map().values()):
            key.fileobj.close()


def legitimate_request():
    started = time.monotonic()
    try:
        with socket.create_connection(ADDRESS, timeout=60) as client:
            client.sendall(b"GET /api/config HTTP/1.1\r\nHost: 127.0.0.1:8080\r\n\r\n")
            reply = b""
            while chunk := client.recv(4096):
                reply += chunk
        answered = reply.startswith(b"HTTP/1.1 200 OK")
    except OSError:
        answered = False
    return answered, time.monotonic() - started


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(share * len(ordered)))]


def scenario(kind, count):
    server = subprocess.Popen([binary], cwd=os.path.join(repo, "build"),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        for _ in range(100):
            if legitimate_request()[0]:
                break
            time.sleep(0.05)
        flood = Flood(kind, count)
        flood.thread.start()
        time.sleep(3)  # the flood in place
        waits, unanswered, results, threads = [], 0, [], []
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            thread = threading.Thread(target=lambda: results.append(legitimate_request()))
            thread.start()
            threads.append(thread)
            time.sleep(0.25)
        for thread in threads:
            thread.join()
        flood.stop()
        for answered, wait in results:
            if answered:
                waits.append(wait)
            else:
                unanswered += 1
        p50 = percentile(waits, 0.5) * 1000 if waits else float("nan")
        p99 = percentile(waits, 0.99) * 1000 if waits else float("nan")
        print(f"{count:>5} {kind:<9} | {len(results):>4} sent {unanswered:>3} unanswered | "
              f"p50 {p50:8.1f} ms  p99 {p99:8.1f} ms | flood connections reopened: {flood.reopened}")
        sys.stdout.flush()
    finally:
        server.kill()
        server.wait()


print(f"legitimate GET /api/config every 250 ms for {seconds:.0f} s against a flood ({binary})")
for kind, count in SCENARIOS:
    scenario(kind, count)
