#!/usr/bin/env python3
"""Soak: the program against the stand-in through thousands of flight starts
in random months (seeded, so a run can be repeated), with some creations
refused and some assigned IDs held back past the next flight start.

Checked from the stand-in's transcript and account, against the program's
rules (month to season, a switch only for a new month in a new season, one
slot per variant that the assigned ID fills):
- after every flight start, the objects standing are exactly those the rules
  leave standing: the current season's variants, each created once (refused
  ones never), plus only objects whose ID reached the program after the
  removal pass that was due to remove them;
- at quit, nothing else is left standing;
- the program's memory (VmRSS, VmHWM) stays flat over the run.

Usage: soak_test.py STANDIN PROGRAM [--flights N] [--seed S]"""

import argparse
import collections
import json
import os
import random
import re
import shutil
import subprocess
import sys
import time

import harness

SEASON_OF_TYPE = {"SU": 0, "FA": 1, "WI": 2, "HW": 3}
SEASON_NAMES = ["summer", "fall", "winter", "hard winter", "spring"]

# (entry name, position, [(Type, title)]); every title names one variant.
ENTRIES = [
    ("Square", (59.90, 10.72, 12.0),
     [("SU", "Soak Market"), ("FA", "Soak Harvest"), ("WI", "Soak Lights"),
      ("HW", "Soak Rink"), ("SP", "Soak Maypole")]),
    ("Harbour", (59.91, 10.73, 3.0),
     [("SU", "Soak Sailboat"), ("HW", "Soak Ice Sheet"), ("su", "Soak Rowboat")]),
    ("Field", (59.89, 10.71, 41.0),
     [("FA", "Soak Leaf Pile"), ("FA", "Soak Scarecrow"), ("WI", "Soak Snow Plough")]),
    ("Hill", (59.88, 10.70, 80.0),
     [("HW", "Soak Ski Lift"), ("SP", "Soak Blossom"), ("SU", "Soak Parasol")]),
]
REFUSED = ["Soak Ice Sheet", "Soak Scarecrow"]
DELAY_MS = 10


def season_of_type(text):
    return SEASON_OF_TYPE.get(text, 4)


def month_to_season(month):
    if month in (12, 1, 2):
        return 3
    if month in (3, 4, 5):
        return 4
    if month in (6, 7, 8):
        return 0
    if month == 11:
        return 2
    return 1


def variants():
    """(title, season) per variant, in the order the program numbers them."""
    return [(title, season_of_type(kind)) for _, _, vs in ENTRIES for kind, title in vs]


def placement_file():
    lines = ['<?xml version="1.0" encoding="ISO-8859-1"?>']
    for name, (lat, lon, alt), vs in ENTRIES:
        lines.append("<SimObjectEntry>")
        lines.append('  <Object Dir="%s"/>' % name)
        for kind, title in vs:
            lines.append('  <Season Type="%s" SimTitle="%s"/>' % (kind, title))
        lines.append('  <PlacementData Lat="%s" Lon="%s" Alt="%s"/>' % (lat, lon, alt))
        lines.append("</SimObjectEntry>")
    return "\n".join(lines) + "\n"


def random_months(rng, count):
    """Mostly calendar months; some repeats (nothing to do) and some values
    that are no calendar month (they count as fall)."""
    months = []
    for _ in range(count):
        roll = rng.random()
        if roll < 0.1 and months:
            months.append(months[-1])
        elif roll < 0.15:
            months.append(rng.choice([0, 13, 6.5, -1, 2.000001]))
        else:
            months.append(rng.randint(1, 12))
    return months


def scenario(rng, launch, months):
    """Each flight waits for its month request to be answered, so the next
    flight starts right after the program has its month. A held-back burst
    of IDs is set up right after that answer, before the burst arrives."""
    steps = ["launch %s" % launch, "answered"]
    delayed = False
    for month in [None] + months:
        if month is not None:
            steps += ["flight %s" % month, "answered"]
        want = rng.random() < 0.02
        if want != delayed:
            steps.append("delay-ids %d" % (DELAY_MS if want else 0))
            delayed = want
    steps += ["delay-ids 0", "settle 200", "quit"]
    return "\n".join(steps) + "\n"


def read_account(text):
    """The stand-in's account: [(step text, remark, {id: title})] and what
    the client left standing."""
    steps, left = [], None
    current = None
    for line in text.splitlines():
        m = re.match(r"client 1: step \d+ at \d+ ms: (.*)$", line)
        if m:
            current = {}
            steps.append((m.group(1), [], current))
            continue
        if line == "client 1: left standing:":
            left = current = {}
            continue
        m = re.match(r'    (\d+) "(.*)" lat ', line)
        if m and current is not None:
            current[int(m.group(1))] = m.group(2)
        elif line.startswith("  (") and steps:
            steps[-1][1].append(line.strip())
    return steps, left


class Model:
    """Walks the transcript in order. Messages out are what the program
    reads, in the order it reads them; packets in are what it did."""

    def __init__(self, table, refused):
        self.table = table
        self.refused = set(refused)
        self.slots = {}  # variant -> object ID, as the program knows it
        self.standing = set()
        self.last_month = 1.0
        self.applied = None
        self.switches = 0
        self.created = self.removed = self.refused_count = 0
        self.late = set()  # IDs that came after the pass due to remove them
        self.orphaned = set()  # IDs whose slot a later ID overwrote first
        self.born = {}  # ID -> number of switches when it was created
        self.known = {}  # ID -> number of switches when its ID came

    def reply(self, message):
        request, month = message["request_id"], message["values"][0]["value"]
        if request == 1:
            self.last_month = month
            self.applied = month_to_season(month)
            self.switch()
        elif request == 0 and month != self.last_month:
            self.last_month = month
            season = month_to_season(month)
            if season != self.applied:
                self.switch()
                self.applied = season

    def switch(self):
        self.switches += 1
        for object_id in self.slots.values():
            self.standing.discard(object_id)
            self.removed += 1
        self.slots.clear()

    def created_object(self, object_id):
        self.standing.add(object_id)
        self.created += 1
        self.born[object_id] = self.switches

    def assigned(self, request, object_id):
        variant = request - 2
        old = self.slots.get(variant)
        if old is not None and old in self.standing:
            self.orphaned.add(old)
        self.slots[variant] = object_id
        self.known[object_id] = self.switches
        if self.switches > self.born[object_id]:
            self.late.add(object_id)


def check(transcript, account, table, refused, failures):
    events = [json.loads(line) for line in transcript.splitlines() if line.strip()]
    events = [e for e in events if e.get("client") == 1]
    # Every creation that was not refused gets the ID of the next answer for
    # its request ID: answers for one request ID go out in creation order.
    waiting = collections.defaultdict(collections.deque)
    id_of = {}
    for i, e in enumerate(events):
        if e["dir"] == "in" and e["kind"] == "AICreateSimulatedObject":
            if e["title"] not in refused:
                waiting[e["request_id"]].append(i)
        elif e["dir"] == "out" and e["kind"] == "ASSIGNED_OBJECT_ID":
            id_of[waiting[e["request_id"]].popleft()] = e["object_id"]
    steps, left = account
    model = Model(table, refused)
    checkpoints = 0
    step_index = -1
    last_reply = 0
    done = 0  # events the model has taken in

    def advance(upto):
        nonlocal done
        for e in events[done:upto]:
            if e["dir"] == "out" and e["kind"] == "SIMOBJECT_DATA_BYTYPE":
                model.reply(e)
            elif e["dir"] == "out" and e["kind"] == "ASSIGNED_OBJECT_ID":
                model.assigned(e["request_id"], e["object_id"])
            elif e["dir"] == "in" and e["kind"] == "AICreateSimulatedObject":
                if e["title"] in refused:
                    model.refused_count += 1
        # Creations are taken separately so their IDs are known at once.
        done = max(done, upto)

    def compare(where, seen):
        if seen is None:
            failures.append("%s: no account" % where)
            return
        if set(seen) != model.standing:
            failures.append("%s: standing %s, the rules leave %s" % (
                where, sorted(seen), sorted(model.standing)))
            return
        season = model.applied
        for object_id, title in seen.items():
            own = [s for t, s in table if t == title]
            # Its ID came after a removal pass, or has not come yet and one ran.
            excused = object_id in model.late or (
                object_id not in model.known and model.switches > model.born[object_id])
            if own and own[0] != season and not excused:
                failures.append("%s: %d %r of another season stands, and its ID came in time"
                                % (where, object_id, title))
        titles = set(seen.values())
        for title, s in table:
            if s == season and title not in refused and title not in titles:
                failures.append("%s: %r of the current season is missing" % (where, title))
            if title in refused and title in titles:
                failures.append("%s: refused %r stands" % (where, title))

    creations = sorted(id_of.items())
    created_at = 0
    for i, e in enumerate(events):
        if e["dir"] == "out" and e["kind"] == "SIMOBJECT_DATA_BYTYPE":
            last_reply = i
        if e["dir"] != "note" or e["kind"] != "step":
            continue
        step_index += 1
        text = e["text"]
        # After "answered" the program has sent all it does for the flight
        # before; what the answer just sent starts has not arrived yet.
        upto = last_reply if text == "answered" else i
        while created_at < len(creations) and creations[created_at][0] < upto:
            position, object_id = creations[created_at]
            advance(position)
            model.created_object(object_id)
            created_at += 1
        advance(upto)
        if text in ("answered", "settle 200", "quit") and model.applied is not None:
            checkpoints += 1
            compare("step %d (%s)" % (step_index + 1, text),
                    steps[step_index][2] if step_index < len(steps) else None)
    while created_at < len(creations):
        position, object_id = creations[created_at]
        advance(position)
        model.created_object(object_id)
        created_at += 1
    advance(len(events))
    compare("left standing at quit", left)
    return model, checkpoints


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("standin")
    parser.add_argument("program")
    parser.add_argument("--flights", type=int, default=1000)
    parser.add_argument("--seed", type=int, default=6)
    args = parser.parse_args()
    args.standin, args.program = os.path.abspath(args.standin), os.path.abspath(args.program)

    rng = random.Random(args.seed)
    months = random_months(rng, args.flights)
    launch = rng.randint(1, 12)
    work = harness.make_workdir("brindlewick-soak-")
    harness.write_placement(work, "Soak.xml", placement_file())
    sim = harness.StandIn(args.standin, work, scenario(rng, launch, months), REFUSED,
                          timeout=60 + args.flights // 20, scenario_file=True)
    failures = []
    try:
        harness.write_config(work, sim.port())
        with open(work / "SimConnect.cfg", "a") as cfg:
            cfg.write("DisableNagle=1\n")  # small packets at once: a faster soak
        started = time.monotonic()
        with open(work / "program.out", "w") as out:
            program = subprocess.Popen([args.program], cwd=work, stdout=out,
                                       stderr=subprocess.STDOUT)
            sampler = harness.MemorySampler(program.pid)
            code = program.wait(timeout=60 + args.flights // 20)
            samples = sampler.stop()
        seconds = time.monotonic() - started
        sim_code = sim.wait(30)
    finally:
        sim.kill()
    if code != 0:
        failures.append("the program exited with %d" % code)
    if sim_code != 0:
        failures.append("the stand-in exited with %d" % sim_code)
    account_text = sim.output.read_text(errors="replace")
    for remark in re.findall(r"^  \(gave up.*$", account_text, re.M):
        failures.append("stand-in: " + remark.strip())
    model, checkpoints = check(sim.transcript.read_text(errors="replace"),
                               read_account(account_text), variants(), REFUSED, failures)

    # Flat memory: from a fifth of the run on, no growth beyond noise.
    if len(samples) >= 10:
        settled = samples[len(samples) // 5]
        last = samples[-1]
        rss_growth = last[1] - settled[1]
        hwm_growth = last[2] - settled[2]
        if rss_growth > 1024 or hwm_growth > 1024:
            failures.append("memory grew: VmRSS %+d KiB, VmHWM %+d KiB after the first fifth"
                            % (rss_growth, hwm_growth))
        memory = "VmRSS %d -> %d KiB, VmHWM %d -> %d KiB (%d samples)" % (
            settled[1], last[1], settled[2], last[2], len(samples))
    else:
        memory = "too short to sample (%d samples)" % len(samples)

    late_left = model.late & model.standing
    print("soak: seed %d, %d flight starts in %.1f s (%.2f ms each); %d switches, "
          "%d checkpoints" % (args.seed, args.flights, seconds, 1000 * seconds / max(1, args.flights),
                              model.switches, checkpoints))
    print("soak: %d objects created, %d removed, %d creations refused; %d IDs came after the "
          "removal pass due to remove them, %d of those objects lost their slot to a newer ID "
          "of the same variant before any later pass" % (
              model.created, model.removed, model.refused_count, len(model.late),
              len(model.orphaned)))
    print("soak: left standing at quit: %d of the current season, %d whose ID came late" % (
        len(model.standing - late_left), len(late_left)))
    print("soak: program memory " + memory)
    for failure in failures[:20]:
        print("FAIL: " + failure)
    if failures:
        print("soak: work folder kept at %s" % work)
        return 1
    if not model.late:
        print("soak: no ID came late; the held-back IDs were not exercised")
        return 1
    shutil.rmtree(work)
    print("soak: 1 passed, 0 failed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
