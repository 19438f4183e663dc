#!/usr/bin/env python3
"""Plays the stories of stories.py: the real program as a process, in a
scratch working folder, against the stand-in simulator on a free port.
Checks the program's whole standard output and error, its exit code, every
packet it sends (from the stand-in's transcript) and what the stand-in says
stands after each step.

  run_e2e.py --program build/brindlewick --standin build/sim-standin
  run_e2e.py --program Brindlewick.exe --wrapper wine --crlf --standin build/sim-standin
  run_e2e.py --list

Exit status 0 when every story chosen passed, 1 otherwise, 2 for a bad
command line."""
import argparse
import difflib
import json
import os
import re
import shlex
import shutil
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from stories import SCENERY, SCENERY_FILE, STORIES  # noqa: E402

# Generous, so a loaded machine or Wine's start-up cannot fail a story; a
# story that passes never waits for them.
STORY_TIMEOUT_S = 40
PORT_FILE_TIMEOUT_S = 10
# How long the program may take to end once the simulator has gone.
PROMPT_END_S = 5

# Fields every packet of a kind carries whatever the story: (function, size,
# fields).
FIXED = {
    "Open": (1, 296, {"reserved": 0, "magic": "00585346",
                      "library_version": "10.0.61259.0"}),
    "AddToDataDefinition": (12, 544, {"datum_name": "ZULU MONTH OF YEAR",
                                      "units_name": "Number", "datum_type": 4,
                                      "epsilon": 0, "datum_id": 0xFFFFFFFF}),
    "RequestDataOnSimObjectType": (15, 32, {"radius_meters": 0, "object_type": 0}),
    "SubscribeToSystemEvent": (23, 276, {}),
    "AICreateSimulatedObject": (42, 332, {"pitch": 0, "bank": 0, "heading": 0,
                                          "on_ground": 1, "airspeed": 0}),
    "AIRemoveObject": (44, 24, {}),
}
PROTOCOL = 4


def expected_packets(packets):
    """The story's packets as the transcript writes them, send IDs from 1."""
    result = []
    for send_id, (kind, fields) in enumerate(packets, start=1):
        function, size, fixed = FIXED[kind]
        packet = {"kind": kind, "function": function, "type": 0xF0000000 | function,
                  "size": size, "version": PROTOCOL, "send_id": send_id}
        packet.update(fixed)
        packet.update(fields)
        result.append(packet)
    return result


def standing_lines(objects):
    if not objects:
        return ["(none)"]
    return ['%d "%s" lat %.6f lon %.6f alt %.2f ft' % (object_id, title, *position)
            for object_id, title, position in objects]


def parse_account(text):
    """The stand-in's standard output: [(step text, remarks, standing lines)]
    and the lines of what the client left standing (None if not said)."""
    steps, left = [], None
    current = None
    for line in text.splitlines():
        step = re.match(r"client 1: step \d+ at \d+ ms: (.*)$", line)
        if step:
            current = {"text": step.group(1), "remarks": [], "standing": []}
            steps.append(current)
        elif line == "client 1: left standing:":
            left = []
            current = {"standing": left, "remarks": []}
        elif line.startswith("    ") and current is not None:
            current["standing"].append(line[4:])
        elif line.startswith("  (") and current is not None:
            current["remarks"].append(line.strip())
        elif not line.startswith("  standing:"):
            current = None
    return steps, left


def free_refusing_port():
    """A loopback port bound but not listening: connecting to it is refused,
    and no one else can take it while the socket stays open."""
    holder = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    holder.bind(("127.0.0.1", 0))
    return holder, holder.getsockname()[1]


def wait_for_file(path, process, limit):
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        if os.path.exists(path):
            with open(path) as f:
                text = f.read().strip()
            if text:
                return text
        if process.poll() is not None:
            return None
        time.sleep(0.02)
    return None


def text_diff(expected, actual):
    lines = difflib.unified_diff(expected.splitlines(True), actual.splitlines(True),
                                 "expected", "actual", lineterm="")
    return "".join(repr(line)[1:-1] + "\n" if not line.startswith(("---", "+++", "@@"))
                   else line + "\n" for line in lines)


class Run:
    """One story's run and what went wrong in it."""

    def __init__(self, story, args):
        self.story = story
        self.args = args
        self.faults = []

    def fault(self, text):
        self.faults.append(text)

    def play(self, work):
        story = self.story
        if story.get("scenery", True):
            path = os.path.join(work, SCENERY_FILE)
            os.makedirs(os.path.dirname(path))
            with open(path, "w", newline="\n") as f:
                f.write(SCENERY)

        holder = standin = None
        standin_out = os.path.join(work, "standin.txt")
        transcript = os.path.join(work, "transcript.jsonl")
        try:
            if story["steps"] is None:
                holder, port = free_refusing_port()
            else:
                scenario = "; ".join(step for step, _ in story["steps"])
                command = [self.args.standin, "--port-file", os.path.join(work, "port"),
                           "--transcript", transcript, "--timeout", str(STORY_TIMEOUT_S),
                           "--scenario", scenario]
                for title in story.get("refuse", []):
                    command += ["--refuse", title]
                with open(standin_out, "wb") as out:
                    standin = subprocess.Popen(command, stdout=out, stderr=subprocess.STDOUT,
                                               stdin=subprocess.DEVNULL)
                port = wait_for_file(os.path.join(work, "port"), standin, PORT_FILE_TIMEOUT_S)
                if port is None:
                    self.fault("the stand-in did not start listening")
                    return
            with open(os.path.join(work, "SimConnect.cfg"), "w", newline="\r\n") as f:
                f.write("[SimConnect]\nAddress=127.0.0.1\nPort=%s\n" % port)
            self.run_program(work, standin)
        finally:
            if holder:
                holder.close()
            for process in (standin,):
                if process and process.poll() is None:
                    process.kill()
                    process.wait()
        if standin is not None:
            self.check_standin(standin.returncode, standin_out, transcript)

    def run_program(self, work, standin):
        program_out = os.path.join(work, "stdout.bin")
        program_err = os.path.join(work, "stderr.bin")
        command = shlex.split(self.args.wrapper or "") + [self.args.program]
        with open(program_out, "wb") as out, open(program_err, "wb") as err:
            program = subprocess.Popen(command, cwd=work, stdout=out, stderr=err,
                                       stdin=subprocess.DEVNULL)
        deadline = time.monotonic() + STORY_TIMEOUT_S
        standin_end = None
        while program.poll() is None and time.monotonic() < deadline:
            if standin is not None and standin_end is None and standin.poll() is not None:
                standin_end = time.monotonic()
            if standin_end is not None and time.monotonic() - standin_end > PROMPT_END_S:
                break
            time.sleep(0.01)
        program_end = time.monotonic()
        if program.poll() is None:
            program.kill()
            program.wait()
            if standin_end is not None:
                self.fault("the program was still running %d s after the simulator had gone"
                           % PROMPT_END_S)
            else:
                self.fault("the program was still running after %d s" % STORY_TIMEOUT_S)
            return
        if standin is not None:
            try:
                standin.wait(timeout=max(1, deadline - time.monotonic()))
            except subprocess.TimeoutExpired:
                self.fault("the stand-in did not end")
        self.lag = None if standin_end is None else program_end - standin_end

        story = self.story
        expected_code = story.get("exit_code", 0)
        if program.returncode != expected_code:
            self.fault("exit code %d, expected %d" % (program.returncode, expected_code))
        for name, path, expected in (("standard output", program_out, story["stdout"]),
                                     ("standard error", program_err, story.get("stderr", ""))):
            with open(path, "rb") as f:
                data = f.read()
            if self.args.crlf:
                data = data.replace(b"\r\n", b"\n")
            actual = data.decode("latin-1")
            if actual != expected:
                self.fault("%s differs:\n%s" % (name, text_diff(expected, actual)))

    def check_standin(self, code, standin_out, transcript):
        story = self.story
        with open(standin_out, "rb") as f:
            account = f.read().decode("latin-1")
        if code != 0:
            self.fault("the stand-in ended with exit status %s" % code)

        steps, left = parse_account(account)
        texts = [step for step, _ in story["steps"]]
        if [s["text"] for s in steps] != texts:
            self.fault("steps played: %s, expected %s" % ([s["text"] for s in steps], texts))
        for played, (text, standing) in zip(steps, story["steps"]):
            for remark in played["remarks"]:
                self.fault("step %r: %s" % (text, remark))
            if standing is not None and played["standing"] != standing_lines(standing):
                self.fault("standing after %r:\n  %s\nexpected:\n  %s" % (
                    text, "\n  ".join(played["standing"]),
                    "\n  ".join(standing_lines(standing))))
        if left != standing_lines(story["left"]):
            self.fault("left standing:\n  %s\nexpected:\n  %s" % (
                "\n  ".join(left or ["(not reported)"]),
                "\n  ".join(standing_lines(story["left"]))))

        received, exceptions = [], []
        with open(transcript, encoding="latin-1") as f:
            for line in f:
                record = json.loads(line)
                if record.get("client") != 1:
                    self.fault("a second client: %s" % line.strip())
                elif record["dir"] == "in":
                    for key in ("t", "client", "dir"):
                        del record[key]
                    received.append(record)
                elif record["dir"] == "out" and record["kind"] == "EXCEPTION":
                    exceptions.append((record["exception"], record["send_id"], record["index"]))
        expected = expected_packets(story["packets"])
        for number, (want, got) in enumerate(zip(expected, received), start=1):
            if want != got:
                self.fault("packet %d:\n  got      %s\n  expected %s" % (
                    number, json.dumps(got, sort_keys=True), json.dumps(want, sort_keys=True)))
                break
        if len(received) != len(expected):
            rest = received[len(expected):] or expected[len(received):]
            shown = [json.dumps(p) for p in rest[:10]] + (["..."] if len(rest) > 10 else [])
            self.fault("%d packets sent, expected %d; %s from packet %d on:\n  %s" % (
                len(received), len(expected),
                "surplus" if len(received) > len(expected) else "missing",
                min(len(received), len(expected)) + 1, "\n  ".join(shown)))
        if exceptions != story.get("exceptions", []):
            self.fault("exceptions (code, send ID, index) %s, expected %s"
                       % (exceptions, story.get("exceptions", [])))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--program", help="the program to test")
    parser.add_argument("--wrapper", default="",
                        help="command put before the program, e.g. wine")
    parser.add_argument("--standin", help="the stand-in simulator, sim-standin")
    parser.add_argument("--crlf", action="store_true",
                        help="read CR LF in the program's output as LF")
    parser.add_argument("--story", action="append", default=[],
                        help="play only this story (repeatable); default: all")
    parser.add_argument("--list", action="store_true", help="print the story names")
    parser.add_argument("--keep", action="store_true",
                        help="keep the working folders and say where")
    args = parser.parse_args()

    names = [story["name"] for story in STORIES]
    if args.list:
        print("\n".join(names))
        return 0
    if not args.program or not args.standin:
        parser.error("--program and --standin are required")
    unknown = [name for name in args.story if name not in names]
    if unknown:
        parser.error("no story %s; --list names them" % ", ".join(unknown))
    args.program = os.path.abspath(args.program)
    args.standin = os.path.abspath(args.standin)
    for path in (args.program, args.standin):
        if not os.path.isfile(path):
            parser.error("%s does not exist; build it first" % path)
    # Wine's own diagnostics would land in the program's standard error.
    os.environ.setdefault("WINEDEBUG", "-all")

    failed = []
    for story in STORIES:
        if args.story and story["name"] not in args.story:
            continue
        work = tempfile.mkdtemp(prefix="brindlewick-e2e-")
        run = Run(story, args)
        started = time.monotonic()
        try:
            run.play(work)
        finally:
            if args.keep:
                print("  working folder kept: %s" % work)
            else:
                shutil.rmtree(work, ignore_errors=True)
        elapsed = time.monotonic() - started
        lag = getattr(run, "lag", None)
        ended = "" if lag is None else ", ended %.0f ms after the simulator" % (lag * 1000)
        if run.faults:
            failed.append(story["name"])
            print("FAIL %s (%.1f s): %s" % (story["name"], elapsed, story["about"]))
            for text in run.faults:
                print("  " + text.replace("\n", "\n  "))
        else:
            print("ok   %s (%.1f s%s): %s" % (story["name"], elapsed, ended, story["about"]))
    if failed:
        print("failed: %s" % " ".join(failed))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
