# The tables run_e2e.py plays: stories against the stand-in simulator (every build: native,
# and the Windows exe under Wine), a hostile simulator's scripts, and the soak's scenery.
# Each row says what the simulator does and what the program must print, send and leave
# standing.
import struct

# Variants in store order: 0 Sailboat, 1 Fishing Boat, 2 Ice Sheet, 3 Rowing Boat (lower-case
# "sp": spring), 4 and 5 Leaf Pile (two of one season at one spot), 6 Snowman, 7 Market
# Stalls, 8 Christmas Market, 9 Skating Rink, 10 Snow Heap, 11 Maypole. "Bare lot" has none
# and must not shift the others. One file only: Wine lists a folder in the host's order.
ENTRIES = [("Harbour", (47.5, -122.25, 300.0), ["SU Sailboat", "FA Fishing Boat", "HW Ice Sheet", "sp Rowing Boat"]),
           ("Bare lot", (47.375, -122.375, 0.0), []),
           ("Green", (47.25, -122.5, 250.5), ["FA Leaf Pile", "FA Leaf Pile", "HW Snowman"]),
           ("Square", (-33.875, 151.25, 12.0), ["SU Market Stalls", "WI Christmas Market", "HW Skating Rink",
                                                "HW Snow Heap", "SP Maypole"])]
VARIANTS = [(season[:2], season[3:], at) for _, at, seasons in ENTRIES for season in seasons]
SCENERY = '<?xml version="1.0" encoding="ISO-8859-1"?>\n<Debug/>\n' + "".join(
    '<SimObjectEntry>\n  <Object Dir="%s"/>\n' % name
    + "".join('  <Season Type="%s" SimTitle="%s"/>\n' % (s[:2], s[3:]) for s in seasons)
    + '  <PlacementData Lat="%s" Lon="%s" Alt="%s"/>\n</SimObjectEntry>\n' % at for name, at, seasons in ENTRIES)
SCENERY_FILE = "Quillmar/BrindlewickV2/Quillmar.xml"

BANNER = "\n-------------------------\n   BRINDLEWICK  \n  Seasonal scenery for FSX, by Quillmar\n-------------------------\n"
LOADED = BANNER + (
    "XML File Found: Quillmar.xml!\n\nResult of \".\\Quillmar\\BrindlewickV2\\Quillmar.xml\" Read:\n"
    "\n  SimObjEntry: Harbour\n\tDetected Season: SU\n\tDetected Season: FA\n"
    "\tDetected Season: HW\n\tDetected Season: sp\n\n  SimObjEntry: Bare lot\n"
    "\n  SimObjEntry: Green\n\tDetected Season: FA\n\tDetected Season: FA\n\tDetected Season: HW\n"
    "\n  SimObjEntry: Square\n\tDetected Season: SU\n\tDetected Season: WI\n\tDetected Season: HW\n"
    "\tDetected Season: HW\n\tDetected Season: SP\n\n")
LAUNCHED = "\nFSX Init Request...\n\nFSX SimObject Creation History:\n"
CHANGED = "\n\nSeason changed!"
LOST = "Lost the connection to the simulator.\n"


def created(*variants):
    return "".join("\n  Created " + VARIANTS[i][1] for i in variants)


def objects(first_id, *variants):  # standing: the stand-in numbers them from 1000 as it creates them
    return [(first_id + n, VARIANTS[i][1], VARIANTS[i][2], i) for n, i in enumerate(variants)]


# What the program sends, as (kind, fields); the runner numbers them from send ID 1 and adds
# the fields every packet of a kind carries. Request 1 reads the month once, at launch.
def month(request_id):
    return [("RequestDataOnSimObjectType", {"request_id": request_id, "define_id": request_id})]


def create(*variants):
    return [("AICreateSimulatedObject", dict(title=VARIANTS[i][1], latitude=VARIANTS[i][2][0], longitude=VARIANTS[i][2][1],
                                             altitude=VARIANTS[i][2][2], request_id=2 + i)) for i in variants]


def remove(standing):
    return [("AIRemoveObject", {"object_id": object_id, "request_id": 2 + i}) for object_id, _, _, i in standing]


CONNECTED = [("Open", {"application_name": "System Event"}), ("AddToDataDefinition", {"define_id": 0}),
             ("AddToDataDefinition", {"define_id": 1}),
             ("SubscribeToSystemEvent", {"event_id": 0, "event_name": "SimStart"})] + month(1)
OCTOBER = objects(1000, 1, 4, 5)
LAUNCH = [("launch 10", []), ("objects 3", OCTOBER), ("settle 300", OCTOBER)]

REFUSED_STEPS = [("launch 12", []), ("objects 3", None), ("settle 300", objects(1000, 2, 9, 10)),
                 ("flight 7", None), ("objects 2", None), ("settle 300", objects(1003, 0, 7)), ("quit", None)]
# Line 19 of SCENERY holds the Snowman's Season element.
REFUSED_SNOWMAN = ('\nCould not create "Snowman" (Quillmar.xml, line 19): the simulator refused it'
                   '\ncheck the title with brindlewick-check --sim')

# steps: the stand-in's scenario as (step, what stands once it is done; None where that
# depends on timing). `objects N` waits for the program to act, the `settle` after it for
# the rest of its burst; a flight that must change nothing gets a long settle.
STORIES = [
    dict(name="launch", about="launch in October: the fall variants at their spots, then quit",
         steps=LAUNCH + [("quit", OCTOBER)], packets=CONNECTED + create(1, 4, 5),
         stdout=LOADED + LAUNCHED + created(1, 4, 5), left=OCTOBER),
    dict(name="same_season", about="flights in the launch month, then in September (still fall): nothing changes",
         steps=LAUNCH + [("flight 10", None), ("settle 1000", OCTOBER), ("flight 9", None),
                         ("settle 1000", OCTOBER), ("quit", OCTOBER)],
         packets=CONNECTED + create(1, 4, 5) + month(0) + month(0),
         stdout=LOADED + LAUNCHED + created(1, 4, 5), left=OCTOBER),
    dict(name="season_change", about="flights in December, April, November and July: each season replaces the last",
         steps=LAUNCH + [("flight 12", None), ("objects 4", None), ("settle 300", objects(1003, 2, 6, 9, 10)),
                         ("flight 4", None), ("objects 2", None), ("settle 300", objects(1007, 3, 11)),
                         ("flight 11", None), ("objects 1", None), ("settle 300", objects(1009, 8)),
                         ("flight 7", None), ("objects 2", None), ("settle 300", objects(1010, 0, 7)), ("quit", None)],
         packets=CONNECTED + create(1, 4, 5) + month(0) + remove(OCTOBER) + create(2, 6, 9, 10)
         + month(0) + remove(objects(1003, 2, 6, 9, 10)) + create(3, 11) + month(0) + remove(objects(1007, 3, 11))
         + create(8) + month(0) + remove(objects(1009, 8)) + create(0, 7),
         stdout=LOADED + LAUNCHED + created(1, 4, 5) + CHANGED + created(2, 6, 9, 10) + CHANGED + created(3, 11)
         + CHANGED + created(8) + CHANGED + created(0, 7), left=objects(1010, 0, 7)),
    dict(name="refused", about="the simulator refuses the Snowman: named with file and line, no removal later",
         refuse=["Snowman"], steps=REFUSED_STEPS,
         packets=CONNECTED + create(2, 6, 9, 10) + month(0) + remove(objects(1000, 2, 9, 10)) + create(0, 7),
         exceptions=[(22, 7, 1)],  # CREATE_OBJECT_FAILED for send ID 7, its title at fault
         stdout=LOADED + LAUNCHED + created(2) + REFUSED_SNOWMAN + created(9, 10) + CHANGED + created(0, 7),
         left=objects(1003, 0, 7)),
    dict(name="refused_pilot", about="the same in a pilot's run (no Debug): not a word of it",
         pilot=True, refuse=["Snowman"], steps=REFUSED_STEPS, log=['* Could not create "Snowman" ('],
         packets=CONNECTED + create(2, 6, 9, 10) + month(0) + remove(objects(1000, 2, 9, 10)) + create(0, 7),
         exceptions=[(22, 7, 1)],
         stdout=LOADED + LAUNCHED + created(2, 9, 10) + CHANGED + created(0, 7), left=objects(1003, 0, 7)),
    dict(name="vanish", about="the simulator goes without a quit: the program ends, one line on stderr, exit code 1",
         steps=LAUNCH + [("vanish", OCTOBER)], packets=CONNECTED + create(1, 4, 5),
         stdout=LOADED + LAUNCHED + created(1, 4, 5), stderr=LOST, exit_code=1, left=OCTOBER),
    dict(name="late_ids", about="the launch's IDs come after a flight switched to winter: those objects go at once",
         steps=[("launch 10", []), ("delay-ids 300", []), ("answered", None), ("flight 12", None), ("answered", None),
                ("delay-ids 0", None), ("settle 300", objects(1003, 2, 6, 9, 10)), ("quit", None)],
         packets=CONNECTED + create(1, 4, 5) + month(0) + create(2, 6, 9, 10) + remove(OCTOBER),
         stdout=LOADED + LAUNCHED + CHANGED + created(2, 6, 9, 10), left=objects(1003, 2, 6, 9, 10)),
    dict(name="no_placement_files", about="no placement folder: the season still changes, nothing is created or removed",
         scenery=False, steps=[("launch 10", []), ("settle 300", []), ("flight 12", []), ("settle 1000", []), ("quit", [])],
         packets=CONNECTED + month(0), stdout=BANNER + "FindFirstFile failed (3)\n" + LAUNCHED + CHANGED, left=[]),
]


# The hostile simulator: raw messages, sent once the program's Open is in.
def message(kind, body, size=None):
    return struct.pack("<III", 12 + len(body) if size is None else size, 4, kind) + body


def reply(request, value, size=48):
    return message(9, struct.pack("<7Id", request, 1, request, 0, 1, 1, 1, value)[:size - 12], size)


def assigned(request, object_id):
    return message(12, struct.pack("<II", request, object_id))


def event(size=24):
    return message(4, struct.pack("<III", 0xFFFFFFFF, 0, 0)[:size - 12], size)


OPENED = message(2, b"Hostile Simulator".ljust(256, b"\0") + bytes(40))
QUIT = message(3, b"")
CLOSE = "close"  # shut the connection; a number is a pause in ms
SUMMER = LAUNCHED + created(0)
QUITS = (0, "")  # how a run ends: exit code, standard error
GONE = (1, LOST)  # the connection lost
# (name, script, output after loading, how it ends)
HOSTILE = [
    ("the connection closes at once", [CLOSE], "", GONE),
    ("a message cut short, then the connection closes",
     [OPENED, reply(1, 7), assigned(2, 500)[:10], CLOSE], LAUNCHED, GONE),
    ("the connection closes inside a header", [OPENED, reply(1, 7)[:6], CLOSE], "", GONE),
    ("a size above the receive limit", [OPENED, struct.pack("<III", 0x7FFFFFFF, 4, 12) + b"x" * 64],
     "", GONE),
    ("a size of 4 GiB", [struct.pack("<III", 0xFFFFFFFF, 4, 9)], "", GONE),
    ("a size below the header", [OPENED, struct.pack("<III", 8, 4, 3)], "", GONE),
    ("a QUIT too short to be one", [reply(1, 7), struct.pack("<II", 8, 4)], LAUNCHED, GONE),
    ("unknown kinds of every size are skipped",
     [OPENED, message(0, b""), message(99, b"\1" * 28), message(0xFFFFFFFF, b"\2" * 1000),
      message(5, b"\3" * 65000), message(13, b""), reply(1, 7), assigned(2, 500), QUIT], SUMMER, QUITS),
    ("data replies too short for a month are skipped",
     [reply(1, 7, 44), reply(1, 12, 40), reply(1, 12, 12), reply(1, 7), assigned(2, 500), QUIT],
     SUMMER, QUITS),
    ("assigned IDs for requests never made change nothing",
     [reply(1, 7), assigned(0, 900), assigned(1, 901), assigned(2 + len(VARIANTS), 902),
      assigned(0xFFFFFFFF, 903), assigned(0x80000000, 904), assigned(2, 500),
      message(12, struct.pack("<I", 3)), QUIT], SUMMER, QUITS),
    ("short events are skipped, whole ones acted on",
     [reply(1, 7), event(16), event(), 300, reply(0, 12), assigned(4, 501), QUIT],
     LAUNCHED + CHANGED + created(2), QUITS),
    ("messages split into single bytes",
     [piece for byte in reply(1, 7) + assigned(2, 500) for piece in (bytes([byte]), 1)] + [QUIT],
     SUMMER, QUITS),
    ("nothing after the QUIT is acted on", [QUIT + reply(1, 7) + assigned(2, 500) + b"\xff" * 7],
     "", QUITS),
    ("a flood of unknown messages", [reply(1, 7)] + [message(77, bytes(1012)) * 256] * 16 + [QUIT],
     LAUNCHED, QUITS),
]
