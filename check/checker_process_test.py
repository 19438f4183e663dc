#!/usr/bin/env python3
"""brindlewick-check as a user runs it: exit codes, and the GeoJSON file
read back with a strict JSON parser."""
import json
import os
import shutil
import subprocess
import sys
import tempfile

checker, examples = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
failures = []
passed = 0


def check(name, condition, detail=""):
    global passed
    if condition:
        passed += 1
    else:
        failures.append(name)
        print("FAILED: %s %s" % (name, detail))


def run(args, cwd):
    result = subprocess.run([checker] + args, cwd=cwd, capture_output=True)
    return result.returncode, result.stdout.decode("utf-8", "replace"), \
        result.stderr.decode("utf-8", "replace")


def features(path):
    with open(path, "rb") as f:
        data = json.loads(f.read().decode("utf-8"))
    check("collection", data.get("type") == "FeatureCollection", str(data.get("type")))
    return data["features"]


with tempfile.TemporaryDirectory() as work:
    # The example scenery: no error, every entry a point at [lon, lat].
    shutil.copytree(os.path.join(examples, "Quillmar"), os.path.join(work, "Quillmar"))
    code, out, _ = run(["--geojson", "examples.geojson"], work)
    check("examples exit 0", code == 0, str(code))
    check("examples summary",
          out.endswith("3 files, 8 entries, 28 variants: 0 errors, 0 warnings, 4 notes\n"), out)
    points = features(os.path.join(work, "examples.geojson"))
    check("one point per entry", len(points) == 8, str(len(points)))
    first = points[0]
    check("first point", first["geometry"] == {"type": "Point",
                                               "coordinates": [10.7143, 59.89871]},
          str(first["geometry"]))
    props = first["properties"]
    check("first properties",
          props["Dir"] == "Apron stand 3"
          and props["file"] == "Quillmar/BrindlewickV2/Airfield.xml"
          and props["line"] == 3 and props["Alt"] == 41
          and props["SU"] == ["Quillmar Glider Trailer"]
          and props["Spring"] == ["Quillmar Fuel Bowser"], str(props))
    titles = sum(len(p["properties"][s]) for p in points
                 for s in ("SU", "FA", "WI", "HW", "Spring"))
    check("every variant once", titles == 28, str(titles))

    # Texts that need escaping, in a Latin-1 and a UTF-8 file, beside a skipped entry.
    odd = os.path.join(work, "odd")
    os.mkdir(odd)
    with open(os.path.join(odd, "a.xml"), "wb") as f:
        f.write('<?xml version="1.0" encoding="ISO-8859-1"?>\n'
                '<SimObjectEntry><O Dir="Caf\xe9 &quot;Q&quot; \\ end"/>'
                '<Season Type="SU" SimTitle="tab&#9;here"/>'
                '<Season Type="xx" SimTitle="back\\slash"/>'
                '<PlacementData Lat="1.5" Lon="-2.25" Alt="3"/></SimObjectEntry>\n'
                '<SimObjectEntry><O/><PlacementData/></SimObjectEntry>\n'.encode("latin-1"))
    with open(os.path.join(odd, "b.xml"), "wb") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n'
                '<SimObjectEntry><O Dir="Fj\u00f8l"/><Season Type="HW" SimTitle="&lt;snow&gt;"/>'
                '<PlacementData Lat="nope"/></SimObjectEntry>\n'.encode("utf-8"))
    code, out, _ = run(["odd", "--geojson", "odd.geojson"], work)
    check("errors exit 1", code == 1, str(code) + out)
    points = features(os.path.join(work, "odd.geojson"))
    check("loaded entries only", len(points) == 2, str(len(points)))
    a, b = points[0]["properties"], points[1]["properties"]
    check("escaped Dir", a["Dir"] == 'Caf\u00e9 "Q" \\ end', repr(a["Dir"]))
    check("escaped titles", a["SU"] == ["tab\there"] and a["Spring"] == ["back\\slash"],
          repr(a))
    check("UTF-8 kept", b["Dir"] == "Fj\u00f8l" and b["HW"] == ["<snow>"], repr(b))
    check("inherited 0", points[1]["geometry"]["coordinates"] == [0, 0],
          str(points[1]["geometry"]))

    # A folder that cannot be read, and a wrong command line.
    code, out, _ = run(["missing"], work)
    check("missing folder exit 2", code == 2 and "cannot read the folder" in out, out)
    code, out, err = run(["--bogus"], work)
    check("bad option exit 2", code == 2 and out == "" and "usage:" in err, err)
    code, out, _ = run(["--help"], work)
    check("help exit 0", code == 0 and "--geojson FILE" in out, out)

print("%d passed, %d failed" % (passed, len(failures)))
sys.exit(1 if failures else 0)
