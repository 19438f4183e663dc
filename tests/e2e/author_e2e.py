#!/usr/bin/env python3
# Author mode as an author lives it, the program against the stand-in: saves of every kind
# while it runs, after each of which the objects standing must be those a fresh start on the
# same files places; saves faster than a reload, with the simulator's answers held back past
# the next reload; a refused title named with its file and line; Debug taken away. With
# --keys, the season keys typed into a real terminal (tmux) instead.
#
#   author_e2e.py --program build/brindlewick --standin build/sim-standin [--keys]
#   author_e2e.py --program Brindlewick.exe --wrapper wine --crlf --standin build/sim-standin
import argparse, collections, json, os, pathlib, shlex, shutil, signal, subprocess, sys, time  # noqa: E401

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_e2e import start_standin, write_config, workdir  # noqa: E402

FOLDER = pathlib.Path("Quillmar/BrindlewickV2")
CHANGED = "Placement files changed: reading them again"
REFUSED = "Refused Tree"


def entry(name, at, *seasons):
    return ('<SimObjectEntry>\n  <Object Dir="%s"/>\n' % name
            + "".join('  <Season Type="%s" SimTitle="%s"/>\n' % (s[:2], s[3:]) for s in seasons)
            + '  <PlacementData Lat="%s" Lon="%s" Alt="%s"/>\n</SimObjectEntry>\n' % at)


def placement(*entries, debug=True):
    # Debug in every file: Wine lists a folder in the host's order, so any file may be last.
    return '<?xml version="1.0" encoding="ISO-8859-1"?>\n' + ("<Debug/>\n" if debug else "") + "".join(entries)


OAK = entry("Green", (47.25, -122.5, 10), "SU Oak", "FA Maple", "HW Snowman")
PINE = entry("Quay", (47.5, -122.25, 20.5), "SU Pine", "SU Pine", "WI Fir")
BIRCH = entry("Square", (-33.875, 151.25, 0), "SU Birch", "sp Tulips")
CEDAR = entry("Hill", (46.0, 7.5, 1200), "SU Cedar", "SU Cedar Bench")


def standing(path):
    # The objects standing at the stand-in, from its transcript: a sorted list of
    # (title, lat, lon, alt), one per object, so two alike count twice.
    asked, waiting, objects = {}, collections.defaultdict(collections.deque), {}
    for line in path.read_text("latin-1").splitlines():
        r = json.loads(line)
        kind = (r["dir"], r["kind"])
        if kind == ("in", "AICreateSimulatedObject"):
            asked[r["send_id"]] = (r["title"], r["latitude"], r["longitude"], r["altitude"])
            waiting[r["request_id"]].append(r["send_id"])
        elif kind == ("out", "EXCEPTION") and r["send_id"] in asked:
            for queue in waiting.values():
                if r["send_id"] in queue:
                    queue.remove(r["send_id"])
        elif kind == ("out", "ASSIGNED_OBJECT_ID"):
            objects[r["object_id"]] = asked[waiting[r["request_id"]].popleft()]
        elif kind == ("in", "AIRemoveObject"):
            objects.pop(r["object_id"], None)
    return sorted(objects.values())


def quiet(work, seconds, limit=60):
    # Until neither the transcript nor the program's output has grown for `seconds`.
    files = [work / "transcript.jsonl", work / "stdout"]
    sizes, since, deadline = None, time.monotonic(), time.monotonic() + limit
    while time.monotonic() < deadline:
        now = [f.stat().st_size if f.exists() else -1 for f in files]
        if now != sizes:
            sizes, since = now, time.monotonic()
        elif time.monotonic() - since >= seconds:
            return
        time.sleep(0.05)
    raise RuntimeError("the program and the stand-in never fell quiet")


def start_program(args, work, port):
    write_config(work, port)
    out, err = open(work / "stdout", "wb"), open(work / "stderr", "wb")
    return subprocess.Popen(shlex.split(args.wrapper) + [args.program], cwd=work, stdout=out, stderr=err,
                            stdin=subprocess.DEVNULL)


def output(args, work):
    data = (work / "stdout").read_bytes()
    return (data.replace(b"\r\n", b"\n") if args.crlf else data).decode("latin-1")


def fresh_start(args, files):
    # The objects a fresh start on `files` (name -> text) leaves standing once it has placed them.
    work = workdir(scenery=False)
    try:
        write_files(work, files)
        standin, port = start_standin(args.standin, work, "launch 7; settle 600; quit", [REFUSED])
        program = start_program(args, work, port)
        try:
            standin.wait(60)
            program.wait(30)
        finally:
            for process in (program, standin):
                if process.poll() is None:
                    process.kill()
        return standing(work / "transcript.jsonl")
    finally:
        shutil.rmtree(work, ignore_errors=True)


def write_files(work, files):
    (work / FOLDER).mkdir(parents=True, exist_ok=True)
    for name, text in files.items():
        (work / FOLDER / name).write_bytes(text.encode("latin-1"))


def save(work, name, text, rename=False):
    # As an editor saves: in place, or through a temporary file and a rename.
    path = work / FOLDER / name
    if rename:
        temporary = path.with_name(name + ".tmp~")
        temporary.write_bytes(text.encode("latin-1"))
        os.replace(temporary, path)
    else:
        path.write_bytes(text.encode("latin-1"))


def author_run(args, faults):
    files = {"A.xml": placement(OAK), "B.xml": placement(PINE, BIRCH)}
    work = workdir(scenery=False)
    write_files(work, files)
    # Assigned IDs come 800 ms late: a reload within that time finds the old ones unanswered.
    standin, port = start_standin(args.standin, work, "launch 7; settle 300; delay-ids 800; wait 3600000",
                                  [REFUSED], timeout=600)
    program = start_program(args, work, port)
    settle = 1.5 if args.wrapper else 1.2
    try:
        quiet(work, settle)
        expect = lambda step: compare(args, work, files, step, faults)  # noqa: E731

        expect("start")
        steps = [
            ("a title changed", lambda: files.update({"A.xml": placement(OAK.replace("Oak", "Elm"))}), True),
            ("an entry added", lambda: files.update({"A.xml": placement(OAK.replace("Oak", "Elm"), CEDAR)}), False),
            ("a file added", lambda: files.update({"C.xml": placement(BIRCH.replace("Birch", "Rowan"))}), False),
            ("a file removed", lambda: files.pop("B.xml"), False),
            ("a file broken", lambda: files.update({"C.xml": placement(BIRCH)[:-30]}), False),
            ("the file mended", lambda: files.update({"C.xml": placement(BIRCH)}), True),
        ]
        for step, change, rename in steps:
            before = output(args, work).count(CHANGED)
            names = set(files)
            change()
            for gone in names - set(files):
                (work / FOLDER / gone).unlink()
            for name, text in files.items():
                save(work, name, text, rename)
            quiet(work, settle)
            if output(args, work).count(CHANGED) != before + 1:
                faults.append("%s: read again %d times" % (step, output(args, work).count(CHANGED) - before))
            expect(step)
        if 'Failed to load file ".\\Quillmar\\BrindlewickV2\\C.xml"' not in output(args, work):
            faults.append("the broken file was not reported")

        # Saves faster than a reload, then one just after each reload, before its IDs come.
        for n in range(8):
            save(work, "A.xml", placement(OAK.replace("Oak", "Oak %d" % n), PINE))
            time.sleep(0.04)
        files["A.xml"] = placement(OAK.replace("Oak", "Oak 7"), PINE)
        for n in range(3):
            time.sleep(0.45)
            files["A.xml"] = placement(OAK.replace("Oak", "Beech %d" % n), CEDAR if n % 2 else PINE)
            save(work, "A.xml", files["A.xml"])
        quiet(work, settle + 0.8)
        expect("saves faster than a reload")

        # The whole folder moved away (nothing stands), then back (watched and read again).
        (work / FOLDER).rename(work / "away")
        quiet(work, settle + 0.8)
        got = standing(work / "transcript.jsonl")
        print("%s the folder moved away: %d objects" % ("FAIL" if got else "ok  ", len(got)))
        if got:
            faults.append("the folder moved away: %s still stand" % got)
        (work / "away").rename(work / FOLDER)
        time.sleep(1.2)  # the folder is looked for once a second
        quiet(work, settle + 0.8)
        expect("the folder back")

        files["D.xml"] = placement(entry("Yard", (1, 2, 3), "SU " + REFUSED))
        save(work, "D.xml", files["D.xml"])
        quiet(work, settle + 0.8)
        expect("a refused title")
        said = 'Could not create "%s" (D.xml, line 5): the simulator refused it\ncheck the title with ' \
               'brindlewick-check --sim' % REFUSED
        if said not in output(args, work):
            faults.append("the refused title was not named with its file and line")

        for name in list(files):
            files[name] = files[name].replace("<Debug/>\n", "")
            save(work, name, files[name])
        quiet(work, settle + 0.8)
        expect("Debug taken away")
        if "stops watching the files" not in output(args, work):
            faults.append("the end of author mode was not said")
        before = output(args, work).count(CHANGED)
        save(work, "A.xml", placement(OAK))
        time.sleep(1)
        quiet(work, settle)
        if output(args, work).count(CHANGED) != before:
            faults.append("a save after author mode ended was read")
    finally:
        standin.send_signal(signal.SIGTERM)
        standin.wait(10)
        try:
            program.wait(20)  # the connection is lost: the program ends by itself
        except subprocess.TimeoutExpired:
            program.kill()
            faults.append("the program did not end after the simulator had gone")
    return work


def compare(args, work, files, step, faults):
    got, want = standing(work / "transcript.jsonl"), fresh_start(args, files)
    if got != want:
        faults.append("%s: standing\n    %s\n  a fresh start places\n    %s" % (
            step, "\n    ".join(map(str, got)) or "(none)", "\n    ".join(map(str, want)) or "(none)"))
    print("%s %s: %d objects" % ("ok  " if got == want else "FAIL", step, len(got)))


def keys_run(args, faults):
    # The native program in a real terminal: tmux types the keys.
    files = {"A.xml": placement(OAK, PINE, BIRCH)}
    work = workdir(scenery=False)
    write_files(work, files)
    standin, port = start_standin(args.standin, work, "launch 7; settle 300; flight 12; wait 3600000", [],
                                  timeout=300)
    write_config(work, port)
    session = "brindlewick-keys-%d" % os.getpid()
    command = "cd %s && %s > stdout 2> stderr; stty -a > stty-after" % (shlex.quote(str(work)),
                                                                      shlex.quote(args.program))
    subprocess.run(["tmux", "new-session", "-d", "-s", session, "-x", "120", "-y", "30", command], check=True)
    try:
        quiet(work, 1.2)
        rows = [("w", ["Fir"]), ("x", ["Fir"]), ("P", ["Tulips"]), ("s", ["Birch", "Oak", "Pine", "Pine"]),
                ("h", ["Snowman"]), ("a", ["Snowman"]), ("F", ["Maple"])]
        for key, want in rows:
            subprocess.run(["tmux", "send-keys", "-t", session, "-l", key], check=True)
            quiet(work, 1.0)
            got = sorted(t for t, *_ in standing(work / "transcript.jsonl"))
            print("%s key %s: %s" % ("ok  " if got == want else "FAIL", key, got))
            if got != want:
                faults.append("after key %r: %s standing, expected %s" % (key, got, want))
        shown = output(args, work).count("press A to follow the simulator's month again")
        if shown != 5:
            faults.append("%d preview lines, expected 5" % shown)
    finally:
        standin.send_signal(signal.SIGTERM)
        standin.wait(10)
        for _ in range(100):  # the program ends once the connection is lost
            if (work / "stty-after").exists():
                break
            time.sleep(0.1)
        subprocess.run(["tmux", "kill-session", "-t", session], stderr=subprocess.DEVNULL)
    after = (work / "stty-after").read_text() if (work / "stty-after").exists() else ""
    if " icanon" not in after or " echo" not in after:
        faults.append("the terminal was not given back in canonical mode with echo: %r" % after[:200])
    return work


def main():
    parser = argparse.ArgumentParser(description="Author mode against the stand-in simulator.")
    parser.add_argument("--program", required=True)
    parser.add_argument("--standin", required=True)
    parser.add_argument("--wrapper", default="", help="command put before the program, e.g. wine")
    parser.add_argument("--crlf", action="store_true", help="read CR LF in the program's output as LF")
    parser.add_argument("--keys", action="store_true", help="type the season keys in tmux instead")
    args = parser.parse_args()
    args.program, args.standin = os.path.abspath(args.program), os.path.abspath(args.standin)
    os.environ.setdefault("WINEDEBUG", "-all")
    faults = []
    work = (keys_run if args.keys else author_run)(args, faults)
    print("  working folder kept: %s" % work) if faults else shutil.rmtree(work, ignore_errors=True)
    for text in faults:
        print("FAIL " + text)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
