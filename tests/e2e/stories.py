"""The end-to-end stories: what the simulator does, and what the program must
print, send and leave standing. One table for every build of the program
(native, and the Windows exe under Wine); run_e2e.py plays them."""

# One placement file. Its variants, in store order: 0 Sailboat, 1 Fishing
# Boat, 2 Ice Sheet, 3 Rowing Boat (lower-case "sp": spring), 4 and 5 Leaf
# Pile (two of one season at one spot), 6 Snowman, 7 Market Stalls,
# 8 Christmas Market, 9 Skating Rink, 10 Snow Heap, 11 Maypole. "Bare lot" has
# none and must not shift the others. One file only: Wine lists a folder in
# the host's order, so a second file could come first there.
# Per season: fall 3, hard winter 4, spring 2, winter 1, summer 2 objects.
SCENERY = """<?xml version="1.0" encoding="ISO-8859-1"?>
<Debug/>
<SimObjectEntry>
  <Object Dir="Harbour"/>
  <Season Type="SU" SimTitle="Sailboat"/>
  <Season Type="FA" SimTitle="Fishing Boat"/>
  <Season Type="HW" SimTitle="Ice Sheet"/>
  <Season Type="sp" SimTitle="Rowing Boat"/>
  <PlacementData Lat="47.5" Lon="-122.25" Alt="300.0"/>
</SimObjectEntry>
<SimObjectEntry>
  <Object Dir="Bare lot"/>
  <PlacementData Lat="47.375" Lon="-122.375" Alt="0"/>
</SimObjectEntry>
<SimObjectEntry>
  <Object Dir="Green"/>
  <Season Type="FA" SimTitle="Leaf Pile"/>
  <Season Type="FA" SimTitle="Leaf Pile"/>
  <Season Type="HW" SimTitle="Snowman"/>
  <PlacementData Lat="47.25" Lon="-122.5" Alt="250.5"/>
</SimObjectEntry>
<SimObjectEntry>
  <Object Dir="Square"/>
  <Season Type="SU" SimTitle="Market Stalls"/>
  <Season Type="WI" SimTitle="Christmas Market"/>
  <Season Type="HW" SimTitle="Skating Rink"/>
  <Season Type="HW" SimTitle="Snow Heap"/>
  <Season Type="SP" SimTitle="Maypole"/>
  <PlacementData Lat="-33.875" Lon="151.25" Alt="12"/>
</SimObjectEntry>
"""
SCENERY_FILE = "Quillmar/BrindlewickV2/Quillmar.xml"

HARBOUR = (47.5, -122.25, 300.0)
GREEN = (47.25, -122.5, 250.5)
SQUARE = (-33.875, 151.25, 12.0)

BANNER = ("\n-------------------------\n   BRINDLEWICK  \n"
          "  Seasonal scenery for FSX, by Quillmar\n-------------------------\n")

# Everything the program prints before it connects.
LOADED = BANNER + (
    "XML File Found: Quillmar.xml!\n"
    "\nResult of \".\\Quillmar\\BrindlewickV2\\Quillmar.xml\" Read:\n"
    "\n  SimObjEntry: Harbour\n"
    "\tDetected Season: SU\n\tDetected Season: FA\n\tDetected Season: HW\n"
    "\tDetected Season: sp\n"
    "\n  SimObjEntry: Bare lot\n"
    "\n  SimObjEntry: Green\n"
    "\tDetected Season: FA\n\tDetected Season: FA\n\tDetected Season: HW\n"
    "\n  SimObjEntry: Square\n"
    "\tDetected Season: SU\n\tDetected Season: WI\n\tDetected Season: HW\n"
    "\tDetected Season: HW\n\tDetected Season: SP\n\n")

LAUNCHED = "\nFSX Init Request...\n\nFSX SimObject Creation History:\n"
CHANGED = "\n\nSeason changed!"


def created(*titles):
    return "".join("\n  Created " + title for title in titles)


# What the program sends: each packet as (kind, fields); the runner numbers
# them from send ID 1 and fills in the fixed fields of each kind.
def open_():
    return ("Open", {"application_name": "System Event"})


def define(define_id):
    return ("AddToDataDefinition", {"define_id": define_id})


def subscribe():
    return ("SubscribeToSystemEvent", {"event_id": 0, "event_name": "SimStart"})


def month(request_id):
    # Request 1 reads definition 1 (once, at launch), request 0 definition 0.
    return ("RequestDataOnSimObjectType", {"request_id": request_id, "define_id": request_id})


def create(title, position, request_id):
    latitude, longitude, altitude = position
    return ("AICreateSimulatedObject",
            {"title": title, "latitude": latitude, "longitude": longitude,
             "altitude": altitude, "request_id": request_id})


def remove(object_id, request_id):
    return ("AIRemoveObject", {"object_id": object_id, "request_id": request_id})


CONNECTED = [open_(), define(0), define(1), subscribe(), month(1)]

# What stands in the simulator: (object ID, title, position). The stand-in
# numbers objects from 1000 in the order it creates them.
NOTHING = []
OCTOBER = [(1000, "Fishing Boat", HARBOUR), (1001, "Leaf Pile", GREEN),
           (1002, "Leaf Pile", GREEN)]
FALL_PACKETS = [create("Fishing Boat", HARBOUR, 3), create("Leaf Pile", GREEN, 6),
                create("Leaf Pile", GREEN, 7)]
FALL_LOG = LAUNCHED + created("Fishing Boat", "Leaf Pile", "Leaf Pile")

# A story: the stand-in's scenario as (step, what stands once it is done; None
# where that depends on timing, as right after a flight start), --refuse
# titles, then what the program must do. Pacing: `objects N` waits for the
# program to act, the `settle` after it for the rest of its burst; a flight
# that must change nothing gets a long settle instead.
STORIES = [
    dict(
        name="launch",
        about="launch in October: the fall variants at their spots, then quit",
        steps=[("launch 10", NOTHING), ("objects 3", OCTOBER), ("settle 300", OCTOBER),
               ("quit", OCTOBER)],
        packets=CONNECTED + FALL_PACKETS,
        stdout=LOADED + FALL_LOG,
        left=OCTOBER),
    dict(
        name="same_month",
        about="a flight starts in the launch month: the month is asked, nothing changes",
        steps=[("launch 10", NOTHING), ("objects 3", OCTOBER), ("settle 300", OCTOBER),
               ("flight 10", None), ("settle 1000", OCTOBER), ("quit", OCTOBER)],
        packets=CONNECTED + FALL_PACKETS + [month(0)],
        stdout=LOADED + FALL_LOG,
        left=OCTOBER),
    dict(
        name="same_season",
        about="a flight starts in September, still fall: nothing changes",
        steps=[("launch 10", NOTHING), ("objects 3", OCTOBER), ("settle 300", OCTOBER),
               ("flight 9", None), ("settle 1000", OCTOBER), ("quit", OCTOBER)],
        packets=CONNECTED + FALL_PACKETS + [month(0)],
        stdout=LOADED + FALL_LOG,
        left=OCTOBER),
    dict(
        name="season_change",
        about="flights in December, April, November and July: each season replaces the last",
        steps=[("launch 10", NOTHING), ("objects 3", OCTOBER), ("settle 300", OCTOBER),
               ("flight 12", None), ("objects 4", None),
               ("settle 300", [(1003, "Ice Sheet", HARBOUR), (1004, "Snowman", GREEN),
                               (1005, "Skating Rink", SQUARE), (1006, "Snow Heap", SQUARE)]),
               ("flight 4", None), ("objects 2", None),
               ("settle 300", [(1007, "Rowing Boat", HARBOUR), (1008, "Maypole", SQUARE)]),
               ("flight 11", None), ("objects 1", None),
               ("settle 300", [(1009, "Christmas Market", SQUARE)]),
               ("flight 7", None), ("objects 2", None),
               ("settle 300", [(1010, "Sailboat", HARBOUR), (1011, "Market Stalls", SQUARE)]),
               ("quit", None)],
        packets=CONNECTED + FALL_PACKETS + [
            month(0),
            remove(1000, 3), remove(1001, 6), remove(1002, 7),
            create("Ice Sheet", HARBOUR, 4), create("Snowman", GREEN, 8),
            create("Skating Rink", SQUARE, 11), create("Snow Heap", SQUARE, 12),
            month(0),
            remove(1003, 4), remove(1004, 8), remove(1005, 11), remove(1006, 12),
            create("Rowing Boat", HARBOUR, 5), create("Maypole", SQUARE, 13),
            month(0),
            remove(1007, 5), remove(1008, 13),
            create("Christmas Market", SQUARE, 10),
            month(0),
            remove(1009, 10),
            create("Sailboat", HARBOUR, 2), create("Market Stalls", SQUARE, 9)],
        stdout=LOADED + FALL_LOG
        + CHANGED + created("Ice Sheet", "Snowman", "Skating Rink", "Snow Heap")
        + CHANGED + created("Rowing Boat", "Maypole")
        + CHANGED + created("Christmas Market")
        + CHANGED + created("Sailboat", "Market Stalls"),
        left=[(1010, "Sailboat", HARBOUR), (1011, "Market Stalls", SQUARE)]),
    dict(
        name="refused",
        about="the simulator refuses the Snowman: no log line, and no removal later",
        refuse=["Snowman"],
        steps=[("launch 12", NOTHING), ("objects 3", None),
               ("settle 300", [(1000, "Ice Sheet", HARBOUR), (1001, "Skating Rink", SQUARE),
                               (1002, "Snow Heap", SQUARE)]),
               ("flight 7", None), ("objects 2", None),
               ("settle 300", [(1003, "Sailboat", HARBOUR), (1004, "Market Stalls", SQUARE)]),
               ("quit", None)],
        packets=CONNECTED + [
            create("Ice Sheet", HARBOUR, 4), create("Snowman", GREEN, 8),
            create("Skating Rink", SQUARE, 11), create("Snow Heap", SQUARE, 12),
            month(0),
            remove(1000, 4), remove(1001, 11), remove(1002, 12),
            create("Sailboat", HARBOUR, 2), create("Market Stalls", SQUARE, 9)],
        # CREATE_OBJECT_FAILED for send ID 7, the Snowman, its title at fault.
        exceptions=[(22, 7, 1)],
        stdout=LOADED + LAUNCHED + created("Ice Sheet", "Skating Rink", "Snow Heap")
        + CHANGED + created("Sailboat", "Market Stalls"),
        left=[(1003, "Sailboat", HARBOUR), (1004, "Market Stalls", SQUARE)]),
    dict(
        name="vanish",
        about="the simulator goes without a quit: the program ends at once, exit code 0",
        steps=[("launch 10", NOTHING), ("objects 3", OCTOBER), ("settle 300", OCTOBER),
               ("vanish", OCTOBER)],
        packets=CONNECTED + FALL_PACKETS,
        stdout=LOADED + FALL_LOG,
        left=OCTOBER),
    dict(
        name="no_placement_files",
        about="no placement folder: the season still changes, nothing is created or removed",
        scenery=False,
        steps=[("launch 10", NOTHING), ("settle 300", NOTHING), ("flight 12", NOTHING),
               ("settle 1000", NOTHING), ("quit", NOTHING)],
        packets=CONNECTED + [month(0)],
        stdout=BANNER + "FindFirstFile failed (3)\n" + LAUNCHED + CHANGED,
        left=NOTHING),
    dict(
        name="no_simulator",
        about="nothing listens on the configured port: one line on stderr, exit code 1",
        steps=None,
        stdout=LOADED,
        stderr="Could not connect to the simulator.\n",
        exit_code=1),
]
