#!/usr/bin/env bash
# brindlewick-setup.exe under Wine, without --exe-xml: exe.xml found through
# the known folder %APPDATA%, the simulator's folder through the registry.
# Inputs from the environment (CTest sets them): WINE, SETUP (the exe),
# FIXTURE (an exe.xml with another product's entry), Wine's WINEPREFIX...
set -euo pipefail
unset DISPLAY
key='HKCU\Software\Microsoft\Microsoft Games\Flight Simulator\10.0'
work=$(mktemp -d)
appdata=$("$WINE" winepath -u "$("$WINE" cmd /c echo %APPDATA% | tr -d '\r')")
cleanup() {
  "$WINE" reg delete "$key" /v AppPath /f >/dev/null 2>&1 || true
  rm -rf "$work" "$appdata/Microsoft/FSX" "$appdata/Microsoft/FSX-SE"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

sim="$work/Flight Simulator X"
mkdir -p "$sim/Quillmar/BrindlewickV2" "$appdata/Microsoft/FSX"
cp "$SETUP" "$sim/brindlewick-setup.exe"
echo MZ >"$sim/Brindlewick.exe"
echo '<SimObjectEntry/>' >"$sim/Quillmar/BrindlewickV2/Village.xml"
# Not placement files, though "*.xml" finds them (the first by its 8.3 name).
echo '<SimObjectEntry/>' >"$sim/Quillmar/BrindlewickV2/Village.xml~"
mkdir "$sim/Quillmar/BrindlewickV2/x.xml"
cp "$FIXTURE" "$appdata/Microsoft/FSX/exe.xml"
sim_win=$("$WINE" winepath -w "$sim")
"$WINE" reg add "$key" /v AppPath /t REG_SZ /d "$sim_win\\" /f >/dev/null

run() { (cd "$sim" && "$WINE" brindlewick-setup.exe "$@" 2>&1 | tr -d '\r'); }
out=$(run install) || fail "install: $out"
grep -qF "<Path>$sim_win\\Brindlewick.exe</Path>" "$appdata/Microsoft/FSX/exe.xml" ||
  fail "exe.xml lacks the entry: $(cat "$appdata/Microsoft/FSX/exe.xml")"
cmp -s "$FIXTURE" "$appdata/Microsoft/FSX/exe.xml.brindlewick-backup" || fail "no backup"

out=$(run status) || fail "status: $out"
expected="Simulator folder: $sim_win
Placement files: 1 in $sim_win\\Quillmar\\BrindlewickV2"
grep -qF "$expected" <<<"$out" && ! grep -q Warning <<<"$out" || fail "status said: $out"

exe_xml="$appdata/Microsoft/FSX/exe.xml"
chmod 444 "$exe_xml"
code=0
out=$(run remove) || code=$?
chmod 644 "$exe_xml"
[ "$code" = 1 ] && grep -qF "is read-only" <<<"$out" && grep -qF "$sim_win\\Brindlewick.exe" "$exe_xml" ||
  fail "read-only exe.xml: $code $out"

mkdir -p "$appdata/Microsoft/FSX-SE"
cp "$FIXTURE" "$appdata/Microsoft/FSX-SE/exe.xml"
code=0
out=$(run remove) || code=$?
[ "$code" = 1 ] && grep -qF "Found two exe.xml files" <<<"$out" || fail "both files: $code $out"
echo "ok: setup under Wine"
