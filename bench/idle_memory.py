#!/usr/bin/env python3
"""Resident memory and threads of fingerbridge at idle and with many idle
connections held open, and whether it still answers others meanwhile; then
how often an idle server wakes: the voluntary context switches of all its
threads over 20 s, from 3 s after the last request (nothing should wake on a
timer, so at most a couple).

    bench/idle_memory.py [BINARY] [CONNECTIONS]     (defaults: build/fingerbridge 5000)
"""
import os
import resource
import socket
import subprocess
import sys
import tempfile
import time

binary = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/fingerbridge")
count = int(sys.argv[2]) if len(sys.argv) > 2 else 5000
repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# A network of its own, so port 8080 is ours.
if not os.environ.get("FINGERBRIDGE_BENCH_NETWORK"):
    os.environ["FINGERBRIDGE_BENCH_NETWORK"] = "1"
    os.execvp("unshare", ["unshare", "-rn", "sh", "-c", 'PATH=$PATH:/usr/sbin:/sbin ip link set lo up && exec "$0" "$@"',
                          sys.executable, os.path.abspath(__file__), binary, str(count)])


def stats(pid):
    values = {}
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            key, _, value = line.partition(":")
            if key in ("VmRSS", "Threads"):
                values[key] = int(value.split()[0])
    return values["VmRSS"], values["Threads"]


def voluntary_switches(pid):
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/status") as status:
                for line in status:
                    if line.startswith("voluntary_ctxt_switches:"):
                        total += int(line.split()[1])
        except FileNotFoundError:
            pass  # a worker that ended meanwhile
    return total


def config_request():
    started = time.perf_counter()
    with socket.create_connection(("127.0.0.1", 8080), timeout=10) as client:
        client.sendall(b"GET /api/config HTTP/1.1\r\nHost: localhost\r\n\r\n")
        reply = b""
        while chunk := client.recv(4096):
            reply += chunk
    return reply.startswith(b"HTTP/1.1 200 OK"), (time.perf_counter() - started) * 1000


soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
# The server serves ../frontend/ from its working directory: start it from build/.
server = subprocess.Popen([binary], cwd=os.path.join(repo, "build"),
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
try:
    for _ in range(200):
        try:
            config_request()
            break
        except OSError:
            time.sleep(0.05)
    time.sleep(3)  # idle connection threads end
    idle_rss, idle_threads = stats(server.pid)

    held = []
    for _ in range(count):
        held.append(socket.create_connection(("127.0.0.1", 8080)))
    time.sleep(2)
    busy_rss, busy_threads = stats(server.pid)
    answered, latency = config_request()

    for connection in held:
        connection.close()
    time.sleep(4)
    after_rss, after_threads = stats(server.pid)

    print(f"{'state':<34} {'resident':>10} {'threads':>8}")
    print(f"{'idle':<34} {idle_rss:>7} KiB {idle_threads:>8}")
    print(f"{f'{count} idle connections held':<34} {busy_rss:>7} KiB {busy_threads:>8}")
    print(f"{'after they closed':<34} {after_rss:>7} KiB {after_threads:>8}")
    print(f"/api/config while they were held: {'answered' if answered else 'NOT answered'} in {latency:.2f} ms")

    for _ in range(50):
        config_request()
    time.sleep(3)
    before = voluntary_switches(server.pid)
    time.sleep(20)
    woken = voluntary_switches(server.pid) - before
    print(f"voluntary context switches of an idle server in 20 s, from 3 s after the last request: {woken}")
finally:
    server.kill()
    server.wait()
