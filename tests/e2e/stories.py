"""The tables run_e2e.py plays: stories against the stand-in simulator (every
build: native, and the Windows exe under Wine), a hostile simulator's
scripts, and the soak's scenery. Each row says what the simulator does and
what the program must print, send and leave standing."""
import struct

# Variants in store order: 0 Sailboat, 1 Fishing Boat, 2 Ice Sheet, 3 Rowing
# Boat (lower-case "sp": spring), 4 and 5 Leaf Pile (two of one season at one
# spot), 6 Snowman, 7 Market Stalls, 8 Christmas Market, 9 Skating Rink,
# 10 Snow Heap, 11 Maypole. "Bare lot" has none and must not shift the others.
# One file only: Wine lists a folder in the host's order.
ENTRIES = [("Harbour", (47.5, -122.25, 300.0), ["SU Sailboat", "FA Fishing Boat", "HW Ice Sheet",
                                                 "sp Rowing Boat"]),
           ("Bare lot", (47.375, -122.375, 0.0), []),
           ("Green", (47.25, -122.5, 250.5), ["FA Leaf Pile", "FA Leaf Pile", "HW Snowman"]),
           ("Square", (-33.875, 151.25, 12.0), ["SU Market Stalls", "WI Christmas Market",
                                                "HW Skating Rink", "HW Snow Heap", "SP Maypole"])]
VARIANTS = [(season[:2], season[3:]) for _, _, seasons in ENTRIES for season in seasons]
SCENERY = '<?xml version="1.0" encoding="ISO-8859-1"?>\n<Debug/>\n' + "".join(
    '<SimObjectEntry>\n  <Object Dir="%s"/>\n' % name
    + "".join('  <Season Type="%s" SimTitle="%s"/>\n' % (s[:2], s[3:]) for s in seasons)
    + '  <PlacementData Lat="%s" Lon="%s" Alt="%s"/>\n</SimObjectEntry>\n' % at
    for name, at, seasons in ENTRIES)
SCENERY_FILE = "Quillmar/BrindlewickV2/Quillmar.xml"
HARBOUR, _, GREEN, SQUARE = (at for _, at, _ in ENTRIES)

BANNER = ("\n-------------------------\n   BRINDLEWICK  \n"
          "  Seasonal scenery for FSX, by Quillmar\n-------------------------\n")
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


def created(*titles):
    return "".join("\n  Created " + title for title in titles)


# What the program sends, as (kind, fields); the runner numbers them from
# send ID 1 and adds the fields every packet of a kind carries.
def month(request_id):  # request 1 reads definition 1 (at launch), request 0 definition 0
    return ("RequestDataOnSimObjectType", {"request_id": request_id, "define_id": request_id})


def create(title, at, request_id):
    return ("AICreateSimulatedObject", dict(title=title, latitude=at[0], longitude=at[1],
                                            altitude=at[2], request_id=request_id))


def remove(object_id, request_id):
    return ("AIRemoveObject", {"object_id": object_id, "request_id": request_id})


CONNECTED = [("Open", {"application_name": "System Event"}),
             ("AddToDataDefinition", {"define_id": 0}), ("AddToDataDefinition", {"define_id": 1}),
             ("SubscribeToSystemEvent", {"event_id": 0, "event_name": "SimStart"}), month(1)]
# What stands: (object ID, title, position); the stand-in numbers from 1000.
OCTOBER = [(1000, "Fishing Boat", HARBOUR), (1001, "Leaf Pile", GREEN), (1002, "Leaf Pile", GREEN)]
FALL = [create("Fishing Boat", HARBOUR, 3), create("Leaf Pile", GREEN, 6),
        create("Leaf Pile", GREEN, 7)]
WINTER = [create("Ice Sheet", HARBOUR, 4), create("Snowman", GREEN, 8),
          create("Skating Rink", SQUARE, 11), create("Snow Heap", SQUARE, 12)]
WINTER_TITLES = ("Ice Sheet", "Snowman", "Skating Rink", "Snow Heap")
DECEMBER = [(1000 + n, t, at) for n, (t, at) in enumerate(
    zip(WINTER_TITLES, (HARBOUR, GREEN, SQUARE, SQUARE)), start=3)]
FALL_LOG = LAUNCHED + created("Fishing Boat", "Leaf Pile", "Leaf Pile")
LAUNCH = [("launch 10", []), ("objects 3", OCTOBER), ("settle 300", OCTOBER)]

# steps: the stand-in's scenario as (step, what stands once it is done; None
# where that depends on timing). `objects N` waits for the program to act, the
# `settle` after it for the rest of its burst; a flight that must change
# nothing gets a long settle. steps=None: nothing listens on the port.
STORIES = [
    dict(name="launch", about="launch in October: the fall variants at their spots, then quit",
         steps=LAUNCH + [("quit", OCTOBER)], packets=CONNECTED + FALL, stdout=LOADED + FALL_LOG,
         left=OCTOBER),
    dict(name="same_month", about="a flight starts in the launch month: the month is asked, nothing changes",
         steps=LAUNCH + [("flight 10", None), ("settle 1000", OCTOBER), ("quit", OCTOBER)],
         packets=CONNECTED + FALL + [month(0)], stdout=LOADED + FALL_LOG, left=OCTOBER),
    dict(name="same_season", about="a flight starts in September, still fall: nothing changes",
         steps=LAUNCH + [("flight 9", None), ("settle 1000", OCTOBER), ("quit", OCTOBER)],
         packets=CONNECTED + FALL + [month(0)], stdout=LOADED + FALL_LOG, left=OCTOBER),
    dict(name="season_change",
         about="flights in December, April, November and July: each season replaces the last",
         steps=LAUNCH + [
             ("flight 12", None), ("objects 4", None), ("settle 300", DECEMBER),
             ("flight 4", None), ("objects 2", None),
             ("settle 300", [(1007, "Rowing Boat", HARBOUR), (1008, "Maypole", SQUARE)]),
             ("flight 11", None), ("objects 1", None),
             ("settle 300", [(1009, "Christmas Market", SQUARE)]),
             ("flight 7", None), ("objects 2", None),
             ("settle 300", [(1010, "Sailboat", HARBOUR), (1011, "Market Stalls", SQUARE)]),
             ("quit", None)],
         packets=CONNECTED + FALL + [month(0), remove(1000, 3), remove(1001, 6), remove(1002, 7)]
         + WINTER + [month(0), remove(1003, 4), remove(1004, 8), remove(1005, 11), remove(1006, 12),
                     create("Rowing Boat", HARBOUR, 5), create("Maypole", SQUARE, 13),
                     month(0), remove(1007, 5), remove(1008, 13),
                     create("Christmas Market", SQUARE, 10), month(0), remove(1009, 10),
                     create("Sailboat", HARBOUR, 2), create("Market Stalls", SQUARE, 9)],
         stdout=LOADED + FALL_LOG + CHANGED + created(*WINTER_TITLES)
         + CHANGED + created("Rowing Boat", "Maypole") + CHANGED + created("Christmas Market")
         + CHANGED + created("Sailboat", "Market Stalls"),
         left=[(1010, "Sailboat", HARBOUR), (1011, "Market Stalls", SQUARE)]),
    dict(name="refused", about="the simulator refuses the Snowman: no log line, and no removal later",
         refuse=["Snowman"],
         steps=[("launch 12", []), ("objects 3", None),
                ("settle 300", [(1000, "Ice Sheet", HARBOUR), (1001, "Skating Rink", SQUARE),
                                (1002, "Snow Heap", SQUARE)]), ("flight 7", None), ("objects 2", None),
                ("settle 300", [(1003, "Sailboat", HARBOUR), (1004, "Market Stalls", SQUARE)]),
                ("quit", None)],
         packets=CONNECTED + WINTER + [month(0), remove(1000, 4), remove(1001, 11), remove(1002, 12),
                                       create("Sailboat", HARBOUR, 2), create("Market Stalls", SQUARE, 9)],
         exceptions=[(22, 7, 1)],  # CREATE_OBJECT_FAILED for send ID 7, its title at fault
         stdout=LOADED + LAUNCHED + created("Ice Sheet", "Skating Rink", "Snow Heap")
         + CHANGED + created("Sailboat", "Market Stalls"),
         left=[(1003, "Sailboat", HARBOUR), (1004, "Market Stalls", SQUARE)]),
    dict(name="vanish", about="the simulator goes without a quit: the program ends at once, exit code 0",
         steps=LAUNCH + [("vanish", OCTOBER)], packets=CONNECTED + FALL, stdout=LOADED + FALL_LOG,
         left=OCTOBER),
    dict(name="no_placement_files",
         about="no placement folder: the season still changes, nothing is created or removed",
         scenery=False, steps=[("launch 10", []), ("settle 300", []), ("flight 12", []),
                               ("settle 1000", []), ("quit", [])],
         packets=CONNECTED + [month(0)], stdout=BANNER + "FindFirstFile failed (3)\n" + LAUNCHED + CHANGED,
         left=[]),
    dict(name="no_simulator", about="nothing listens on the configured port: one line on stderr, exit code 1",
         steps=None, stdout=LOADED, stderr="Could not connect to the simulator.\n", exit_code=1),
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
SUMMER = LAUNCHED + "\n  Created Sailboat"
QUITS = (0, "")  # how a run ends: exit code, standard error
GONE = (0, "")  # the connection lost
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
     LAUNCHED + CHANGED + "\n  Created Ice Sheet", QUITS),
    ("messages split into single bytes",
     [piece for byte in reply(1, 7) + assigned(2, 500) for piece in (bytes([byte]), 1)] + [QUIT],
     SUMMER, QUITS),
    ("nothing after the QUIT is acted on", [QUIT + reply(1, 7) + assigned(2, 500) + b"\xff" * 7],
     "", QUITS),
    ("a flood of unknown messages", [reply(1, 7)] + [message(77, bytes(1012)) * 256] * 16 + [QUIT],
     LAUNCHED, QUITS),
]
