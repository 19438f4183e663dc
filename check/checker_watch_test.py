#!/usr/bin/env python3
# brindlewick-check --watch as an author runs it: each save brings a new
# result under a time stamp, a save during a check is checked after it, and
# Ctrl+C ends it cleanly. Usage: checker_watch_test.py [EMULATOR...] CHECKER
import contextlib
import os
import queue
import re
import signal
import subprocess
import sys
import tempfile
import threading
import time

SUMMARY = r"\d+ files?[ ,]"  # the last line of a result
STAMP = re.compile(r"--- \d{4}-\d\d-\d\d \d\d:\d\d:\d\d ---$")
ENTRY = ('<SimObjectEntry><O Dir="%s"/><Season Type="SU" SimTitle="Sun"/><Season Type="FA" '
         'SimTitle="L"/><Season Type="WI" SimTitle="F"/><Season Type="HW" SimTitle="S"/>'
         '<Season Type="SP" SimTitle="B"/><PlacementData Lat="%s" Lon="2" Alt="0"/>'
         '</SimObjectEntry>\n')


def save(work, name, text):
    """As an editor saves: a temporary file, then a rename."""
    path = os.path.join(work, "F", name)
    with open(path + ".tmp", "w") as f:
        f.write(text)
    os.replace(path + ".tmp", path)


def expect(lines, pattern, seconds=30):
    """The lines up to and including the first that matches `pattern`."""
    seen, until = [], time.monotonic() + seconds
    while True:
        try:
            line = lines.get(timeout=max(0, until - time.monotonic()))
        except queue.Empty:
            raise AssertionError("no %r after %r" % (pattern, seen))
        assert line is not None, "the checker ended after %r" % seen
        seen.append(line)
        if re.match(pattern, line):
            return seen


@contextlib.contextmanager
def watching(work, *paths):
    """The checker watching `paths`, and the queue its lines arrive in; gone at the end."""
    command = sys.argv[1:-1] + [os.path.abspath(sys.argv[-1])]
    checker = subprocess.Popen(command + ["--watch"] + list(paths), cwd=work,
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    lines = queue.Queue()

    def read():
        for line in checker.stdout:
            if not line.startswith("No simulator found"):  # Windows looks for one
                lines.put(line.rstrip("\r\n"))
        lines.put(None)

    threading.Thread(target=read, daemon=True).start()
    try:
        yield checker, lines
    finally:
        if checker.poll() is None:
            checker.kill()
        checker.wait()


def stop(checker, lines, code):
    """Ctrl+C: the checker ends with `code`, the last result's."""
    if os.environ.get("WATCH_END") == "kill":  # no Ctrl+C reaches it here
        checker.kill()
        return
    checker.send_signal(signal.SIGINT)
    assert expect(lines, "Stopped watching.") == ["Stopped watching."]
    assert checker.wait(10) == code


with tempfile.TemporaryDirectory() as work:
    os.mkdir(os.path.join(work, "F"))
    save(work, "a.xml", ENTRY % ("a", 1))
    with watching(work, "F") as (checker, lines):
        first = expect(lines, "Watching F for changes; Ctrl")
        assert STAMP.match(first[0]) and first[1:-1] == [
            "1 file, 1 entry, 5 variants: 0 errors, 0 warnings, 0 notes"], first

        save(work, "b.xml", ENTRY % ("b", 2))  # added
        second = expect(lines, SUMMARY)
        assert STAMP.match(second[1]) and second[2:] == [
            "2 files, 2 entries, 10 variants: 0 errors, 0 warnings, 0 notes"], second
        time.sleep(1.5)  # the temporary file and the rename: one check
        assert lines.empty(), lines.get()

        # A long check; a.xml changes while it runs, after the look it started from.
        save(work, "c.xml", "".join(ENTRY % ("c%d" % i, i * 1e-4) for i in range(20000)))
        assert STAMP.match(expect(lines, "---")[-1])
        save(work, "a.xml", ENTRY % ("a", 95))
        expect(lines, "3 files, 20002 entries")
        third = expect(lines, SUMMARY)
        assert STAMP.match(third[1]) and third[2:] == [
            "F/a.xml:1:206: warning: Lat 95 is outside -90..90",
            "3 files, 20002 entries, 100010 variants: 0 errors, 1 warning, 0 notes"], third

        os.remove(os.path.join(work, "F", "c.xml"))  # removed
        os.rename(os.path.join(work, "F", "b.xml"), os.path.join(work, "F", "d.xml"))
        fourth = expect(lines, SUMMARY)
        assert fourth[-1].startswith("2 files, 2 entries,"), fourth
        assert checker.poll() is None

        stop(checker, lines, 0)  # the last result's code: warnings only

    # Named files: only they are checked, in the order given.
    with watching(work, "F/d.xml", "F/a.xml") as (checker, lines):
        assert expect(lines, "Watching the files")[-2].startswith("2 files, 2 entries, 10 variants: "
                                                                 "0 errors, 1 warning")
        save(work, "d.xml", "<SimObjectEntry>")
        changed = expect(lines, SUMMARY)
        assert changed[2].startswith("F/d.xml: error: the file does not load: ") and changed[3:] == [
            "F/a.xml:1:206: warning: Lat 95 is outside -90..90",
            "2 files (1 not loaded), 1 entry, 5 variants: 1 error, 1 warning, 0 notes"]
        stop(checker, lines, 1)
print("passed")
