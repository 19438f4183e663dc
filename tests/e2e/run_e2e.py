#!/usr/bin/env python3
# Runs the real program as a process, in a scratch folder, against the stand-in simulator
# (the stories of stories.py; the soak) or a scripted hostile one, and checks its whole
# standard output and error, exit code, every packet it sends (from the stand-in's
# transcript), what stands after each step, and its memory. Exit status 0 when all passed.
#
#   run_e2e.py --program build/brindlewick --standin build/sim-standin [--story NAME]...
#   run_e2e.py --program Brindlewick.exe --wrapper wine --crlf --standin build/sim-standin
#   run_e2e.py --program build/brindlewick --hostile
#   run_e2e.py --program build/brindlewick --standin build/sim-standin --soak 20000 --seed 2026
#   run_e2e.py --list
import argparse, collections, difflib, json, os, pathlib, random, re, shlex  # noqa: E401
import shutil, socket, struct, subprocess, sys, tempfile, threading, time  # noqa: E401

sys.dont_write_bytecode = True  # no bytecode in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from stories import CLOSE, HOSTILE, LOADED, SCENERY, SCENERY_FILE, STORIES, VARIANTS  # noqa: E402

# Generous, so a loaded machine or Wine's start-up cannot fail a run that passes.
TIMEOUT_S = 40
PROMPT_END_S = 5  # how long the program may take to end once the simulator has gone
FIXED = {  # function, size and fields of every packet of a kind
    "Open": (1, 296, dict(reserved=0, magic="00585346", library_version="10.0.61259.0")),
    "AddToDataDefinition": (12, 544, dict(datum_name="ZULU MONTH OF YEAR", units_name="Number",
                                          datum_type=4, epsilon=0, datum_id=0xFFFFFFFF)),
    "RequestDataOnSimObjectType": (15, 32, dict(radius_meters=0, object_type=0)),
    "SubscribeToSystemEvent": (23, 276, {}),
    "AICreateSimulatedObject": (42, 332, dict(pitch=0, bank=0, heading=0, on_ground=1, airspeed=0)),
    "AIRemoveObject": (44, 24, {})}


def workdir(scenery=True, pilot=False):
    # A pilot's scenery has no Debug: the program is then not in author mode.
    work = pathlib.Path(tempfile.mkdtemp(prefix="brindlewick-e2e-"))
    if scenery:
        (work / SCENERY_FILE).parent.mkdir(parents=True)
        text = SCENERY.replace("<Debug/>\n", "") if pilot else SCENERY
        (work / SCENERY_FILE).write_bytes(text.encode("latin-1"))
    return work


def write_config(work, port, extra=""):
    (pathlib.Path(work) / "SimConnect.cfg").write_bytes(
        b"[SimConnect]\r\nAddress=127.0.0.1\r\nPort=%d\r\n%s" % (port, extra.encode()))


def start_standin(standin, work, scenario, refuse=(), timeout=TIMEOUT_S):
    # sim-standin in `work` (account in standin.txt, transcript.jsonl): (process, port).
    work = pathlib.Path(work)
    (work / "scenario.txt").write_text(scenario)
    with open(work / "standin.txt", "wb") as out:
        process = subprocess.Popen(
            [standin, "--port-file", work / "port", "--timeout", str(timeout), "--transcript",
             work / "transcript.jsonl", "--scenario-file", work / "scenario.txt"]
            + [arg for title in refuse for arg in ("--refuse", title)],
            stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
    for _ in range(500):
        if (work / "port").exists():
            return process, int((work / "port").read_text())
        time.sleep(0.02)
    raise RuntimeError("the stand-in did not start listening")


def run_program(args, work, faults, standin=None, timeout=TIMEOUT_S):
    # Runs the program in `work` to its end, sampling its VmHWM (KiB) meanwhile.
    with open(work / "stdout", "wb") as out, open(work / "stderr", "wb") as err:
        program = subprocess.Popen(shlex.split(args.wrapper) + [args.program], cwd=work,
                                   stdout=out, stderr=err, stdin=subprocess.DEVNULL,
                                   env=dict(os.environ, XDG_STATE_HOME=str(work / "state")))
    run, gone, deadline = argparse.Namespace(memory=[]), None, time.monotonic() + timeout
    while program.poll() is None and time.monotonic() < deadline:
        try:
            status = open("/proc/%d/status" % program.pid).read()
            run.memory.append(int(re.search(r"VmHWM:\s*(\d+)", status).group(1)))
        except (OSError, AttributeError):
            pass
        if standin is not None and gone is None and standin.poll() is not None:
            gone = time.monotonic()
        if gone is not None and time.monotonic() - gone > PROMPT_END_S:
            break
        time.sleep(0.01)
    run.lag = None if gone is None else time.monotonic() - gone
    if program.poll() is None:
        program.kill()
        faults.append("the program was still running %d s after %s" % (
            (PROMPT_END_S, "the simulator had gone") if gone else (timeout, "it started")))
    run.code = program.wait()
    for name in ("stdout", "stderr"):
        data = (work / name).read_bytes()
        setattr(run, name, (data.replace(b"\r\n", b"\n") if args.crlf else data).decode("latin-1"))
    return run


def expect(faults, run, code, stdout, stderr):
    if run.code != code:
        faults.append("exit code %s, expected %d" % (run.code, code))
    for name, want, got in (("standard output", stdout, run.stdout), ("standard error", stderr, run.stderr)):
        if got != want:
            diff = difflib.unified_diff(want.splitlines(True), got.splitlines(True), "expected", "actual")
            faults.append("%s differs:\n%s" % (name, "\n".join(repr(line)[1:-1] for line in diff)))


def read_standin(work):
    # The account: [(step, remarks, standing lines)] and the lines left standing (None if
    # not said); the transcript's records.
    text = (work / "standin.txt").read_text("latin-1")
    steps = [(step, re.findall(r"^  (\(.*)", block, re.M), re.findall(r"^    (.*)", block, re.M))
             for step, block in re.findall(r"^client 1: step \d+ at \d+ ms: (.*)\n((?:  .*\n)*)", text, re.M)]
    left = re.search(r"^client 1: left standing:\n((?:    .*\n)*)", text, re.M)
    records = [json.loads(line) for line in (work / "transcript.jsonl").read_text("latin-1").splitlines()]
    return steps, left and re.findall(r"^    (.*)", left.group(1), re.M), records


def standing_lines(objects):
    return ['%d "%s" lat %.6f lon %.6f alt %.2f ft' % (object_id, title, *at)
            for object_id, title, at, _ in objects] or ["(none)"]


def play_story(story, args, work, faults):
    standin, port = start_standin(args.standin, work, "; ".join(s for s, _ in story["steps"]),
                                  story.get("refuse", []))
    write_config(work, port)
    try:
        run = run_program(args, work, faults, standin)
        if standin.wait(TIMEOUT_S):
            faults.append("the stand-in ended with exit status %s" % standin.returncode)
    finally:
        if standin.poll() is None:
            standin.kill()
    expect(faults, run, story.get("exit_code", 0), story["stdout"], story.get("stderr", ""))
    log = work / "state" / "brindlewick" / "Brindlewick.log"  # the native build's; Wine's lies elsewhere
    for line in story.get("log", []) if not args.wrapper else []:
        if line not in (log.read_text("latin-1") if log.exists() else ""):
            faults.append("the log lacks %r" % line)
    steps, left, records = read_standin(work)
    if [s[0] for s in steps] != [s for s, _ in story["steps"]]:
        faults.append("steps played: %s" % [s[0] for s in steps])
    for (step, remarks, standing), (_, want) in zip(steps, story["steps"]):
        faults += ["step %r: %s" % (step, remark) for remark in remarks]
        if want is not None and standing != standing_lines(want):
            faults.append("standing after %r:\n  %s\nexpected:\n  %s" % (
                step, "\n  ".join(standing), "\n  ".join(standing_lines(want))))
    if left != standing_lines(story["left"]):
        faults.append("left standing:\n  %s\nexpected:\n  %s" % (
            "\n  ".join(left or ["(not reported)"]), "\n  ".join(standing_lines(story["left"]))))
    # A second client's packets would be among them, its send IDs from 1 again.
    sent = [{k: v for k, v in r.items() if k not in ("t", "client", "dir")} for r in records if r["dir"] == "in"]
    expected = [dict(kind=kind, function=FIXED[kind][0], type=0xF0000000 | FIXED[kind][0], size=FIXED[kind][1],
                     version=4, send_id=n, **FIXED[kind][2], **fields)
                for n, (kind, fields) in enumerate(story["packets"], start=1)]
    if sent != expected:
        n = next((n for n, pair in enumerate(zip(sent, expected)) if pair[0] != pair[1]), len(expected))
        faults.append("%d packets sent, expected %d; from packet %d on, got:\n  %s\nexpected:\n  %s" % (
            len(sent), len(expected), n + 1, *("\n  ".join(json.dumps(p, sort_keys=True) for p in ps[n:n + 3])
                                               for ps in (sent, expected))))
    exceptions = [(r["exception"], r["send_id"], r["index"]) for r in records if r["kind"] == "EXCEPTION"]
    if exceptions != story.get("exceptions", []):
        faults.append("exceptions (code, send ID, index) %s" % exceptions)
    return run


def play_hostile(row, args, work, faults):
    # A scripted simulator, once the program's Open is in: bytes, pauses (ms), CLOSE.
    _, script, running, (code, stderr) = row
    listener = socket.create_server(("127.0.0.1", 0))
    write_config(work, listener.getsockname()[1])
    received = bytearray()

    def peer():
        connection = listener.accept()[0]  # once the program is killed, reads end

        def take(enough):
            for chunk in iter(lambda: connection.recv(65536), b""):
                received.extend(chunk)
                if len(received) >= enough:
                    return
        try:
            take(296)
            for action in script:
                if action is CLOSE:
                    connection.shutdown(socket.SHUT_WR)  # read on, so closing resets nothing
                    break
                time.sleep(action / 1000) if isinstance(action, int) else connection.sendall(action)
            take(float("inf"))
        except OSError:
            pass  # the program may hang up before the script ends
        connection.close()

    thread = threading.Thread(target=peer, daemon=True)
    thread.start()
    run = run_program(args, work, faults, timeout=15)
    thread.join(25)
    listener.close()
    expect(faults, run, code, LOADED + running, stderr)
    requests, at = 0, 0
    while at + 20 <= len(received):
        size, _, kind, _, request = struct.unpack_from("<5I", received, at)
        requests += (kind, request) == (0xF000000F, 0)
        at += max(size, 16)
    # Every month request answers a whole event; short events ask for nothing.
    events = sum(1 for a in script if isinstance(a, bytes) and a[:12] == struct.pack("<3I", 24, 4, 4))
    if requests != events:
        faults.append("%d month requests for %d whole events" % (requests, events))
    return run


SEASON_OF_TYPE = {"SU": 0, "FA": 1, "WI": 2, "HW": 3}  # any other text: spring (4)
SEASON_OF_MONTH = {12: 3, 1: 3, 2: 3, 3: 4, 4: 4, 5: 4, 6: 0, 7: 0, 8: 0, 11: 2}  # else fall (1)
REFUSED = ["Snowman", "Maypole"]


def soak(args, work, faults):
    # Flight starts in random months (seeded): mostly calendar months, some repeats, some
    # values that are no calendar month; after one in fifty the assigned IDs are held back
    # 10 ms, past the next flight start. After every flight, the last settle and at quit,
    # in the transcript's order: of all the program knew of, only what is of the current
    # season and held in its variant's slot stands, and all that is.
    rng, month, delayed = random.Random(args.seed), None, False
    steps = ["launch %d" % rng.randint(1, 12), "answered"]
    for _ in range(args.soak):
        roll = rng.random()
        if roll >= 0.1 or month is None:
            month = rng.choice([0, 13, 6.5, -1, 2.000001]) if roll < 0.15 else rng.randint(1, 12)
        delay = rng.random() < 0.02
        steps += ["flight %s" % month, "answered"] + ["delay-ids %d" % (10 * delay)] * (delay != delayed)
        delayed = delay
    limit = 60 + args.soak // 20
    standin, port = start_standin(args.standin, work, "\n".join(steps + ["delay-ids 0", "settle 200", "quit"]),
                                  REFUSED, limit)
    write_config(work, port, "DisableNagle=1\r\n")  # small packets at once: a faster soak
    started = time.monotonic()
    run = run_program(args, work, faults, standin, limit)
    seconds = time.monotonic() - started
    if standin.wait(30) or run.code:
        faults.append("exit codes: stand-in %s, program %s" % (standin.returncode, run.code))
    account, left, records = read_standin(work)
    faults += ["stand-in: " + r for _, remarks, _ in account for r in remarks]
    seasons = [SEASON_OF_TYPE.get(kind, 4) for kind, _, _ in VARIANTS]
    slots, applied, last, at_event, step = {}, None, None, ({}, None, 0), 0
    delivered, variant_of, figures = {}, {}, collections.Counter()

    def check(where, lines, slots, applied, cut):
        seen = dict(re.match(r'(\d+) "(.*)" lat', line).groups() for line in lines if line != "(none)")
        known, held = {int(o) for o in seen if delivered.get(int(o), cut) < cut}, set(slots.values())
        if known != held:
            faults.append("%s: %s stand though no slot holds them; %s are held but gone"
                          % (where, sorted(known - held), sorted(held - known)))
        missing = {t for (_, t, _), s in zip(VARIANTS, seasons) if s == applied} - set(REFUSED) - set(seen.values())
        if missing:
            faults.append("%s: %s of the current season missing" % (where, sorted(missing)))

    for i, r in enumerate(records):
        kind = (r["dir"], r["kind"])
        if kind == ("out", "SIMOBJECT_DATA_BYTYPE"):
            month, first = r["values"][0]["value"], r["request_id"] == 1
            if first or month != last:
                last = month
                if first or SEASON_OF_MONTH.get(month, 1) != applied:
                    applied, slots = SEASON_OF_MONTH.get(month, 1), {}
                    figures["switches"] += 1
        elif kind == ("out", "ASSIGNED_OBJECT_ID"):
            variant, object_id = r["request_id"] - 2, r["object_id"]
            delivered[object_id], variant_of[object_id] = i, variant
            figures["created"] += 1
            if seasons[variant] == applied and variant not in slots:
                slots[variant] = object_id
            else:
                figures["late IDs"] += 1
        elif kind == ("out", "EVENT"):  # the program asks for the month once all before is done
            at_event = (dict(slots), applied, i)
        elif kind == ("out", "EXCEPTION") and r["exception"] != 22:
            faults.append("exception %s for send ID %s" % (r["exception"], r["send_id"]))
        elif kind == ("in", "AIRemoveObject"):
            figures["removed"] += 1
            if r["request_id"] != 2 + variant_of.get(r["object_id"], -2):
                faults.append("removal of %(object_id)d with request ID %(request_id)d" % r)
        elif kind == ("note", "step") and step < len(account):
            step += 1
            if r["text"] in ("answered", "settle 200", "quit") and applied is not None:
                figures["checkpoints"] += 1
                check("step %d (%s)" % (step, r["text"]), account[step - 1][2],
                      *(at_event if r["text"] == "answered" else (slots, applied, i)))
    check("left standing at quit", left or [], slots, applied, len(records))
    if run.stdout.count("\n  Created ") != figures["created"] - figures["late IDs"]:
        faults.append("%d objects logged as created" % run.stdout.count("\n  Created "))
    settled = run.memory[len(run.memory) // 5:] or [0]
    if args.memory_check and settled[-1] - settled[0] > 1024:
        faults.append("memory grew: VmHWM %d -> %d KiB after the first fifth" % (settled[0], settled[-1]))
    if not figures["late IDs"]:
        faults.append("no ID came late; the held-back IDs were not exercised")
    print("soak: seed %d, %d flight starts in %.1f s; %s; left standing at quit: %d of the current "
          "season, 0 else; VmHWM %d -> %d KiB" % (
              args.seed, args.soak, seconds, ", ".join("%s %d" % kv for kv in sorted(figures.items())),
              len(set(slots.values())), settled[0], settled[-1]))
    return run


def main():
    parser = argparse.ArgumentParser(description="The program as a process against a simulator.")
    parser.add_argument("--program", help="the program to test")
    parser.add_argument("--wrapper", default="", help="command put before the program, e.g. wine")
    parser.add_argument("--standin", help="the stand-in simulator, sim-standin")
    parser.add_argument("--crlf", action="store_true", help="read CR LF in the program's output as LF")
    parser.add_argument("--story", action="append", default=[], help="play only this story (repeatable)")
    parser.add_argument("--hostile", action="store_true", help="play the hostile simulator's scripts")
    parser.add_argument("--soak", type=int, metavar="FLIGHTS", help="soak with this many flight starts")
    parser.add_argument("--seed", type=int, default=6, help="the soak's random seed")
    parser.add_argument("--no-memory-check", dest="memory_check", action="store_false",
                        help="the soak does not judge memory (sanitizer builds)")
    parser.add_argument("--list", action="store_true", help="print the story names")
    args = parser.parse_args()
    names = [story["name"] for story in STORIES]
    if args.list:
        return print("\n".join(names))
    if not args.program or not (args.standin or args.hostile) or set(args.story) - set(names):
        parser.error("--program, and --standin or --hostile, are required; --list names the stories")
    args.program, args.standin = os.path.abspath(args.program), args.standin and os.path.abspath(args.standin)
    os.environ.setdefault("WINEDEBUG", "-all")  # Wine's diagnostics would land in stderr
    rows = ([(row[0], lambda w, f, row=row: play_hostile(row, args, w, f), (True,)) for row in HOSTILE]
            if args.hostile else [("soak", lambda w, f: soak(args, w, f), (True,))] if args.soak else
            [(s["name"] + ": " + s["about"], lambda w, f, s=s: play_story(s, args, w, f),
              (s.get("scenery", True), s.get("pilot", False)))
             for s in STORIES if not args.story or s["name"] in args.story])
    failed, peaks = 0, []
    for name, play, scenery in rows:
        work, faults, started = workdir(*scenery), [], time.monotonic()
        run = play(work, faults)
        peaks.append(max(run.memory, default=0))
        lag = "" if run.lag is None else ", ended %.0f ms after the simulator" % (run.lag * 1000)
        print("%s %s (%.1f s%s, peak %d KiB)" % ("FAIL" if faults else "ok  ", name,
                                                time.monotonic() - started, lag, peaks[-1]))
        for text in faults[:20]:
            print("  " + text.replace("\n", "\n  "))
        print("  working folder kept: %s" % work) if faults else shutil.rmtree(work, ignore_errors=True)
        failed += bool(faults)
    # Nothing may grow with what the simulator sends: the middle peak stands for a run at rest.
    if args.hostile and max(peaks) > sorted(peaks)[len(peaks) // 2] + 8192:
        print("FAIL memory peaked at %d KiB; a run at rest takes %d KiB" % (max(peaks), sorted(peaks)[len(peaks) // 2]))
        failed += 1
    print("%d passed, %d failed" % (len(rows) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
