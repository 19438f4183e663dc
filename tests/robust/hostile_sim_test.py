#!/usr/bin/env python3
"""The program against a scripted hostile simulator: truncated messages,
sizes out of bounds, unknown message kinds, a data reply too short for a
month, assigned IDs for requests never made, connections that close in the
middle of a message, floods. The program must never crash or read out of
bounds (the sanitizer build runs this too), must keep its memory bounded,
skip short messages and go on, and on a broken stream close the connection,
see one QUIT and exit 0.

Usage: hostile_sim_test.py PROGRAM"""

import os
import socket
import struct
import subprocess
import sys
import threading
import time

import harness

PLACEMENT = """<SimObjectEntry>
  <Object Dir="Hostile square"/>
  <Season Type="SU" SimTitle="Hostile Summer"/>
  <Season Type="FA" SimTitle="Hostile Fall"/>
  <Season Type="HW" SimTitle="Hostile Snow"/>
  <PlacementData Lat="59.9" Lon="10.7" Alt="12"/>
</SimObjectEntry>
"""
VARIANTS = 3
LAUNCH = "\nFSX Init Request...\n\nFSX SimObject Creation History:\n"


def message(kind, body, size=None):
    size = 12 + len(body) if size is None else size
    return struct.pack("<III", size, 4, kind) + body


def opened():
    return message(2, b"Hostile Simulator".ljust(256, b"\0") + struct.pack("<10I", *[0] * 10))


def month_reply(request, month, size=48):
    body = struct.pack("<7Id", request, 1, request, 0, 1, 1, 1, month)
    return message(9, body[:size - 12], size)


def assigned(request, object_id):
    return message(12, struct.pack("<II", request, object_id))


def event(event_id, size=24):
    return message(4, struct.pack("<III", 0xFFFFFFFF, event_id, 0)[:size - 12], size)


def quit_message():
    return message(3, b"")


CLOSE = "close"


class Pause:
    def __init__(self, ms):
        self.ms = ms


def split(data, every=1):
    """The bytes as pieces of `every` bytes with short pauses between."""
    out = []
    for at in range(0, len(data), every):
        out += [data[at:at + every], Pause(1)]
    return out


# (name, what the simulator sends, running-phase output expected, exit code)
CASES = [
    ("the connection closes at once", [CLOSE], "", 0),
    ("a message cut short, then the connection closes",
     [opened(), month_reply(1, 7), assigned(2, 500)[:10], CLOSE], LAUNCH, 0),
    ("the connection closes inside a header", [opened(), month_reply(1, 7)[:6], CLOSE], "", 0),
    ("a size above the receive limit", [opened(), struct.pack("<III", 0x7FFFFFFF, 4, 12) + b"x" * 64],
     "", 0),
    ("a size of 4 GiB", [struct.pack("<III", 0xFFFFFFFF, 4, 9)], "", 0),
    ("a size below the header", [opened(), struct.pack("<III", 8, 4, 3)], "", 0),
    ("a QUIT too short to be one", [month_reply(1, 7), struct.pack("<II", 8, 4)], LAUNCH, 0),
    ("unknown kinds of every size are skipped",
     [opened(), message(0, b""), message(99, b"\1" * 28), message(0xFFFFFFFF, b"\2" * 1000),
      message(5, b"\3" * 65000), message(13, b""), month_reply(1, 7), assigned(2, 500),
      quit_message()], LAUNCH + "\n  Created Hostile Summer", 0),
    ("data replies too short for a month are skipped",
     [month_reply(1, 7, size=44), month_reply(1, 12, size=40), month_reply(1, 12, size=12),
      month_reply(1, 7), assigned(2, 500), quit_message()],
     LAUNCH + "\n  Created Hostile Summer", 0),
    ("assigned IDs for requests never made change nothing",
     [month_reply(1, 7), assigned(0, 900), assigned(1, 901), assigned(2 + VARIANTS, 902),
      assigned(0xFFFFFFFF, 903), assigned(0x80000000, 904), assigned(2, 500),
      message(12, struct.pack("<I", 3)), quit_message()],
     LAUNCH + "\n  Created Hostile Summer", 0),
    ("short events are skipped, whole ones acted on",
     [month_reply(1, 7), event(0, size=16), event(0), Pause(300), month_reply(0, 12),
      assigned(4, 501), quit_message()],
     LAUNCH + "\n\nSeason changed!\n  Created Hostile Snow", 0),
    ("messages split into single bytes",
     split(month_reply(1, 7) + assigned(2, 500)) + [quit_message()],
     LAUNCH + "\n  Created Hostile Summer", 0),
    ("nothing after the QUIT is acted on",
     [quit_message() + month_reply(1, 7) + assigned(2, 500) + b"\xff" * 7], "", 0),
    ("a flood of unknown messages",
     [month_reply(1, 7)] + [message(77, b"\0" * 1012) * 256] * 16 + [quit_message()],
     LAUNCH, 0),
]


def client_packets(data):
    """(function, request ID or None) of each whole packet the program sent."""
    packets = []
    at = 0
    while at + 16 <= len(data):
        size, _, kind, _ = struct.unpack_from("<IIII", data, at)
        if size < 16 or at + size > len(data):
            break
        function = kind & 0x0FFFFFFF
        request = struct.unpack_from("<I", data, at + 16)[0] if function == 0x0F else None
        packets.append((function, request))
        at += size
    return packets


def run_case(program, actions):
    work = harness.make_workdir("brindlewick-hostile-")
    harness.write_placement(work, "Hostile.xml", PLACEMENT)
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    listener.settimeout(10)
    harness.write_config(work, listener.getsockname()[1])
    out_path = work / "out.txt"
    with open(out_path, "wb") as out:
        process = subprocess.Popen([program], cwd=work, stdout=out, stderr=subprocess.STDOUT)
    sampler = harness.MemorySampler(process.pid, interval=0.01)
    connection, _ = listener.accept()
    received = bytearray()
    hung_up = threading.Event()

    def read():
        try:
            while True:
                chunk = connection.recv(65536)
                if not chunk:
                    break
                received.extend(chunk)
        except OSError:
            pass
        hung_up.set()

    reader = threading.Thread(target=read, daemon=True)
    reader.start()
    # The script starts once the program's Open is in.
    deadline = time.monotonic() + 5
    while len(received) < 296 and time.monotonic() < deadline and not hung_up.is_set():
        time.sleep(0.005)
    closed_by_us = False
    for action in actions:
        if action is CLOSE:
            connection.shutdown(socket.SHUT_RDWR)
            closed_by_us = True
            break
        if isinstance(action, Pause):
            time.sleep(action.ms / 1000)
            continue
        try:
            connection.sendall(action)
        except OSError:
            break  # the program may hang up before the script ends
    try:
        code = process.wait(timeout=15)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        code = "hung"
    client_hung_up = hung_up.wait(5)
    samples = sampler.stop()
    connection.close()
    listener.close()
    output = out_path.read_bytes().decode("latin-1")
    harness.shutil.rmtree(work)
    hwm = max((s[2] for s in samples), default=0)
    return code, output, client_packets(bytes(received)), client_hung_up or closed_by_us, hwm


def main():
    program = os.path.abspath(sys.argv[1])
    results = []
    startup = None
    peaks = []
    for name, actions, expected, expected_code in CASES:
        code, output, packets, hung_up, hwm = run_case(program, actions)
        problems = []
        if startup is None:
            startup = output  # the first case has no running phase
        peaks.append(hwm)
        if code != expected_code:
            problems.append("exit code %r, not %d" % (code, expected_code))
        if not output.startswith(startup):
            problems.append("start-up output differs:\n%r" % output[:400])
        elif output[len(startup):] != expected:
            problems.append("running output %r, not %r" % (output[len(startup):], expected))
        if not hung_up:
            problems.append("the program did not close its connection")
        if not packets or packets[0][0] != 0x01:
            problems.append("the program's first packet was no Open")
        # Every month request answers an event; short events ask for nothing.
        events_seen = sum(1 for a in actions if isinstance(a, bytes) and a[:12] ==
                          struct.pack("<III", 24, 4, 4))
        asked = sum(1 for function, request in packets if function == 0x0F and request == 0)
        if asked != events_seen:
            problems.append("%d month requests for %d whole events" % (asked, events_seen))
        results.append((name, problems, hwm))
    # The receive buffer is allocated once; nothing may grow with the input.
    # A short run may end before its peak is sampled, so the middle peak of
    # all runs stands for a run at rest.
    usual = sorted(peaks)[len(peaks) // 2]
    passed = failed = 0
    for name, problems, hwm in results:
        if hwm > usual + 8192:
            problems.append("memory peaked at %d KiB; a run at rest takes %d KiB" % (hwm, usual))
        if problems:
            failed += 1
            print("FAIL %s:\n  %s" % (name, "\n  ".join(problems)))
        else:
            passed += 1
            print("ok   %s (peak %d KiB)" % (name, hwm))
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
