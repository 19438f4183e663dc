#!/usr/bin/env python3
"""brindlewick-setup as processes in a hostile world, natively or under Wine.

kill:  install and remove, each killed (SIGKILL) at a random moment. After
       every kill exe.xml must exist, be well-formed and hold every other
       entry byte for byte; the temporary files the kills left must be gone
       after the next run.
rival: another installer, a second process that ignores our lock, writes
       exe.xml in place (truncate, half, a pause, the rest) at a random moment
       of each install or remove. An entry lost while brindlewick-setup said
       it succeeded (exit 0) is a failure; the pilot's entries are never lost.

Usage: setup_hostile_test.py [--wine WINE] [--rounds N] SETUP FIXTURE
Prints the counts; exit code 1 on a failure.
"""
import argparse
import os
import random
import re
import subprocess
import sys
import tempfile
import time
import xml.parsers.expat

ENTRY = re.compile(rb"<Launch\.Addon>.*?</Launch\.Addon>", re.S)
RIVAL = re.compile(rb"\s*<Launch\.Addon><Name>Rival-\d+</Name></Launch\.Addon>")


def well_formed(data):
    try:
        xml.parsers.expat.ParserCreate().Parse(data, True)
        return True
    except xml.parsers.expat.ExpatError:
        return False


def others(data):
    return [e for e in ENTRY.findall(data) if b"<Name>Brindlewick</Name>" not in e]


def rival_main(path):
    """The other installer: for each "ROUND DELAY" line on stdin, waits DELAY
    seconds, then puts its entry Rival-ROUND in place of its last one."""
    for line in sys.stdin:
        round_, delay = line.split()
        time.sleep(float(delay))
        with open(path, "r+b") as f:
            data = f.read()
            if not well_formed(data):
                print("skipped", flush=True)
                continue
            data = RIVAL.sub(b"", data)
            end = data.rindex(b"</SimBase.Document>")
            entry = b"\r\n  <Launch.Addon><Name>Rival-%s</Name></Launch.Addon>" % round_.encode()
            data = data[:end].rstrip() + entry + b"\r\n" + data[end:]
            f.seek(0)
            f.truncate()
            f.write(data[: len(data) // 2])
            f.flush()
            time.sleep(random.uniform(0, 0.002))
            f.write(data[len(data) // 2 :])
        print("written", flush=True)


class Setup:
    def __init__(self, args, folder):
        self.wine = args.wine
        self.command = [args.wine, args.setup] if args.wine else [args.setup]
        self.xml = os.path.join(folder, "exe.xml")
        self.exe = os.path.join(folder, "Brindlewick.exe")
        with open(self.exe, "wb") as f:
            f.write(b"MZ")

    def path(self, path):
        return "Z:" + path.replace("/", "\\") if self.wine else path

    def start(self, action, out=subprocess.DEVNULL):
        extra = [self.path(self.exe)] if action == "install" else []
        return subprocess.Popen(
            self.command + [action, "--exe-xml", self.path(self.xml)] + extra,
            stdout=out, stderr=subprocess.STDOUT)

    def run(self, action):
        # A file, not a pipe: a Wine server that a run starts keeps a pipe open.
        with tempfile.TemporaryFile() as out:
            code = self.start(action, out).wait()
            out.seek(0)
            return code, out.read()


def temporaries(folder):
    return [n for n in os.listdir(folder) if ".brindlewick-tmp-" in n]


def kill_loop(setup, fixture, rounds, folder):
    pilots = others(fixture)
    setup.run("remove")  # the first run under Wine also starts Wine's server
    began = time.time()
    setup.run("install")
    duration = time.time() - began
    broken = killed = left = most = 0
    for i in range(rounds):
        p = setup.start("install" if i % 2 == 0 else "remove")
        # Every other kill near the end, where the files are written (under
        # Wine most of a run is its start).
        time.sleep(duration * random.uniform(0.8 if i % 4 > 1 else 0, 1.1))
        if p.poll() is None:
            p.kill()
            killed += 1
        p.wait()
        # Each run removes what the kills before it left: they never pile up.
        now = len(temporaries(folder))
        left, most = left + now, max(most, now)
        data = open(setup.xml, "rb").read() if os.path.exists(setup.xml) else None
        if data is None or not well_formed(data) or others(data) != pilots:
            broken += 1
            print("kill round %d left exe.xml %s" % (i, "missing" if data is None else "broken"))
    code, out = setup.run("install")
    after = temporaries(folder)
    print("kill: %d rounds, %d killed, %d left exe.xml missing, broken or lacking an entry; "
          "kills left %d temporary files, at most %d at once, %d after the last run"
          % (rounds, killed, broken, left, most, len(after)))
    return broken == 0 and code == 0 and not after and most <= 2


def rival_loop(setup, fixture, rounds, folder):
    pilots = others(fixture)
    # A run with nothing to write: about the time from its start to its swap.
    setup.run("remove")
    began = time.time()
    setup.run("remove")
    duration = time.time() - began
    setup.run("install")
    rival = subprocess.Popen([sys.executable, __file__, "--rival", setup.xml],
                             stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    codes = {}
    lost_ok = lost_refused = pilots_lost = ours_lost = put_back = 0
    for i in range(rounds):
        action = "install" if i % 2 == 0 else "remove"
        # Every other write near the moment of the swap.
        spread = (0.7, 1.3) if i % 4 > 1 else (0, 2.5)
        rival.stdin.write("%d %f\n" % (i, duration * random.uniform(*spread)))
        rival.stdin.flush()
        code, out = setup.run(action)
        wrote = rival.stdout.readline().strip() == "written"
        codes[code] = codes.get(code, 0) + 1
        put_back += b"while brindlewick-setup replaced it" in out
        data = open(setup.xml, "rb").read()
        mine = [e for e in others(data) if e not in pilots]
        if wrote and mine != [b"<Launch.Addon><Name>Rival-%d</Name></Launch.Addon>" % i]:
            if code == 0:
                lost_ok += 1
                print("rival round %d: its entry lost, exit 0: %s" % (i, out.decode(errors="replace")))
            else:
                lost_refused += 1
        if [e for e in others(data) if e in pilots] != pilots:
            pilots_lost += 1
        if action == "install" and code == 0 and b"<Name>Brindlewick</Name>" not in data:
            ours_lost += 1  # the rival wrote over ours: its doing, not ours
    rival.stdin.close()
    rival.wait()
    print("rival: %d rounds, exit codes %s; the rival's entry lost with exit 0: %d, with "
          "exit 1: %d; the pilot's entries lost: %d; ours lost by the rival after exit 0: %d; "
          "caught writing the replaced file: %d"
          % (rounds, dict(sorted(codes.items())), lost_ok, lost_refused, pilots_lost, ours_lost,
             put_back))
    return lost_ok == 0 and pilots_lost == 0


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--rival":
        return rival_main(sys.argv[2])
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine")
    parser.add_argument("--rounds", type=int, default=20)
    parser.add_argument("--only", choices=["kill", "rival"])
    parser.add_argument("setup")
    parser.add_argument("fixture")
    args = parser.parse_args()
    fixture = open(args.fixture, "rb").read()
    # A Windows console waiting for input keeps Wine's server up between
    # runs: each run would otherwise start it anew, for seconds.
    quiet = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
    if args.wine:
        subprocess.run([args.wine, "cmd", "/c", "exit"], **quiet)
    keeper = args.wine and subprocess.Popen([args.wine, "cmd"], stdin=subprocess.PIPE, **quiet)
    ok = True
    for name, loop in (("kill", kill_loop), ("rival", rival_loop)):
        if args.only and args.only != name:
            continue
        with tempfile.TemporaryDirectory(prefix="brindlewick-hostile-") as folder:
            setup = Setup(args, folder)
            with open(setup.xml, "wb") as f:
                f.write(fixture)
            ok = loop(setup, fixture, args.rounds, folder) and ok
    if keeper:
        keeper.stdin.close()
        keeper.wait()
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
