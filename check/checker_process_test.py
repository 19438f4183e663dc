#!/usr/bin/env python3
# brindlewick-check as a user runs it: exit codes, and the GeoJSON file read
# back as strict UTF-8 JSON.
import json
import os
import subprocess
import sys
import tempfile

checker = os.path.abspath(sys.argv[1])


def run(*args):
    result = subprocess.run((checker,) + args, cwd=work, capture_output=True)
    return result.returncode, result.stdout.decode("utf-8", "replace"), result.stderr.decode()


def point(lonlat, dir, file, titles, **alt):
    properties = dict(Dir=dir, file="odd/" + file, line=2, **alt)
    properties.update((s, titles.get(s, [])) for s in ("SU", "FA", "WI", "HW", "Spring"))
    return {"type": "Point", "coordinates": lonlat} if lonlat else None, properties


FILES = {
    b"a.xml": '<?xml version="1.0" encoding="ISO-8859-1"?>\n<SimObjectEntry>'
             '<O Dir="Caf\xe9 &quot;Q&quot; \\ end"/><Season Type="SU" SimTitle="tab&#9;here"/>'
             '<Season Type="xx" SimTitle="back\\slash\xe0\x80\x80"/><PlacementData '
             'Lat="1.5" Lon="-2.25" Alt="3"/></SimObjectEntry>\n'
             '<SimObjectEntry><O/><PlacementData/></SimObjectEntry>\n'.encode("latin-1"),
    b"b.xml": '<?xml version="1.0" encoding="UTF-8"?>\n<SimObjectEntry><O Dir="Fj\u00f8l'
             '&#xD800;&#x110000;"/><Season Type="HW" SimTitle="&lt;snow&gt;"/><PlacementData '
             'Lat="nope"/></SimObjectEntry>\n'.encode("utf-8"),
    b"\xe9.xml": b'\n<SimObjectEntry><O Dir="c"/><PlacementData Lat="nan" Lon="1" Alt="inf"/>'
             b'</SimObjectEntry>\n',
}
# What TinyXML makes of &#xD800; and &#x110000; in a UTF-8 file: no characters.
no_characters = b"\xed\xa0\x80\xf4\x90\x80\x80".decode("utf-8", "replace")

with tempfile.TemporaryDirectory() as work:
    os.mkdir(os.path.join(work, "odd"))
    for name, text in FILES.items():
        with open(os.path.join(os.fsencode(work), b"odd", name), "wb") as f:
            f.write(text)
    assert run("odd", "--geojson", "odd.geojson")[0] == 1
    with open(os.path.join(work, "odd.geojson"), "rb") as f:  # NaN, Infinity: no JSON
        data = json.loads(f.read().decode("utf-8"), parse_constant=int)
    points = [(f["geometry"], f["properties"]) for f in data["features"]]
    assert (data["type"], points) == ("FeatureCollection", [
        point([-2.25, 1.5], 'Caf\xe9 "Q" \\ end', "a.xml",
              {"SU": ["tab\there"], "Spring": ["back\\slash\xe0\x80\x80"]}, Alt=3),
        point([0, 0], "Fj\u00f8l" + no_characters, "b.xml", {"HW": ["<snow>"]}, Alt=0),
        point(None, "c", "\xe9.xml", {})]), points
    code, out, err = run("--bogus")
    assert (code, out, err.splitlines()[0]) == (2, "", "brindlewick-check: unknown option --bogus")
print("passed")
