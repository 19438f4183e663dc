#!/usr/bin/env python3
# brindlewick-check as a user runs it: exit codes, the GeoJSON file read back
# as strict UTF-8 JSON and the KML file read back by expat.
import json
import os
import subprocess
import sys
import tempfile
from xml.etree import ElementTree

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

# Positions as the program takes them (the previous entry's, 0 in a file's
# first), no position at all, and texts XML cannot hold as they are.
POSITIONS = {
    b"p.xml": b'<SimObjectEntry><O Dir="first"/><Season Type="FA" SimTitle="a]]>b&#13;c"/>'
              b'<PlacementData Alt="4"/></SimObjectEntry>\n<SimObjectEntry><O Dir="x&#1;&amp;'
              b'&apos;"/><Season Type="WI" SimTitle="w"/><Season Type="FA" SimTitle="f"/>'
              b'<PlacementData Lat="-33.25" Lon="151"/></SimObjectEntry>\n<SimObjectEntry>'
              b'<O Dir="next"/><Season Type="FA" SimTitle="n"/><PlacementData Lon="-7"/>'
              b'</SimObjectEntry>\n<SimObjectEntry><O Dir="nowhere"/><Season Type="SU" SimTitle='
              b'"s"/><PlacementData Lat="nan"/></SimObjectEntry>\n',
}
SEASONS = ["summer", "fall", "winter", "hard winter", "spring"]
KML = "http://www.opengis.net/kml/2.2"


def placemark(name, titles, where, coordinates):
    text = "".join("SimTitle: " + t + "\n" for t in titles) + where
    return name, text, coordinates and ("clampToGround", coordinates)


# One row per folder of files: what each season's folder holds, in order.
KML_CASES = [
    ("odd", FILES, {
        "summer": [placemark('Caf\xe9 "Q" \\ end', ["tab\there"], "odd/a.xml, line 2",
                             "-2.25,1.5,3")],
        "hard winter": [placemark("Fj\u00f8l" + no_characters,
                                  ["<snow>"], "odd/b.xml, line 2", "0,0,0")],
        "spring": [placemark('Caf\xe9 "Q" \\ end', ["back\\slash\xe0\x80\x80"],
                             "odd/a.xml, line 2", "-2.25,1.5,3")]}),
    ("pos", POSITIONS, {
        "summer": [placemark("nowhere", ["s"], "pos/p.xml, line 4\n(no usable position)",
                             None)],
        "fall": [placemark("first", ["a]]>b\rc"], "pos/p.xml, line 1", "0,0,4"),
                 placemark("x\ufffd&'", ["f"], "pos/p.xml, line 2", "151,-33.25,4"),
                 placemark("next", ["n"], "pos/p.xml, line 3", "-7,-33.25,4")],
        "winter": [placemark("x\ufffd&'", ["w"], "pos/p.xml, line 2", "151,-33.25,4")]}),
]


def read_kml(path):
    """The KML as [(folder name, [(name, description, (altitudeMode, coordinates))])]."""
    k = "{%s}" % KML
    document = ElementTree.parse(path).getroot().find(k + "Document")  # expat underneath

    def point(mark):
        p = mark.find(k + "Point")
        return None if p is None else (p.findtext(k + "altitudeMode"),
                                       p.findtext(k + "coordinates"))

    return [(f.findtext(k + "name"), [(m.findtext(k + "name"), m.findtext(k + "description"),
                                       point(m)) for m in f.findall(k + "Placemark")])
            for f in document.findall(k + "Folder")]


with tempfile.TemporaryDirectory() as work:
    for folder, files, _ in KML_CASES:
        os.mkdir(os.path.join(work, folder))
        for name, text in files.items():
            with open(os.path.join(os.fsencode(work), folder.encode(), name), "wb") as f:
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
    for folder, files, seasons in KML_CASES:
        kml = folder + ".kml"
        with open(os.path.join(work, kml), "w") as f:
            f.write("an older file, replaced whole")
        code, out, err = run(folder, "--kml", kml)
        count = sum(map(len, seasons.values()))
        assert "Wrote %d placemark%s to %s\n" % (count, "s"[count == 1:], kml) in out, out
        assert read_kml(os.path.join(work, kml)) == [(s, seasons.get(s, [])) for s in SEASONS]
    assert sorted(os.listdir(work)) == ["odd", "odd.geojson", "odd.kml", "pos", "pos.kml"]
    code, out, err = run("pos", "--kml", "pos")  # a folder in the way: nothing left behind
    assert code == 2 and "pos: error: cannot write the KML file: " in out, out
    assert sorted(os.listdir(os.path.join(work, "pos"))) == ["p.xml"]
    assert sorted(os.listdir(work)) == ["odd", "odd.geojson", "odd.kml", "pos", "pos.kml"]
print("passed")
