#!/usr/bin/env bash
# brindlewick-setup.exe under Wine, without --exe-xml: exe.xml found through
# %APPDATA%, the simulators' folders through the registry; with both editions
# install takes the exe.xml of the one whose folder holds the program.
# Inputs from the environment (CTest sets them): WINE, SETUP (the exe),
# FIXTURE (an exe.xml with another product's entry), Wine's WINEPREFIX...
set -euo pipefail
unset DISPLAY
key='HKCU\Software\Microsoft\Microsoft Games\Flight Simulator\10.0'
steam_key='HKCU\Software\Microsoft\Microsoft Games\Flight Simulator - Steam Edition\10.0'
work=$(mktemp -d)
appdata_win=$("$WINE" cmd /c echo %APPDATA% | tr -d '\r')
appdata=$("$WINE" winepath -u "$appdata_win")
machine_key='HKLM\Software\Microsoft\Microsoft Games\Flight Simulator\10.0'
cleanup() {
  "$WINE" reg delete "$key" /v AppPath /f >/dev/null 2>&1 || true
  "$WINE" reg delete "$machine_key" /v SetupPath /f >/dev/null 2>&1 || true
  "$WINE" reg delete "$steam_key" /f >/dev/null 2>&1 || true
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
grep -qF "$expected" <<<"$out" && ! grep -q Warning <<<"$out" &&
  grep -qxF "Found: boxed FSX in $sim_win, which reads $appdata_win\\Microsoft\\FSX\\exe.xml" <<<"$out" ||
  fail "status said: $out"

mkdir -p "$appdata/Microsoft/FSX-SE"
cp "$FIXTURE" "$appdata/Microsoft/FSX-SE/exe.xml"
code=0
out=$(run remove) || code=$?
[ "$code" = 1 ] && grep -qF "Found two exe.xml files" <<<"$out" || fail "both files: $code $out"

# The Steam Edition beside the boxed one: its own key, FSX-SE's exe.xml.
se="$work/FSX SE"
mkdir -p "$se"
cp "$SETUP" "$se/brindlewick-setup.exe"
echo MZ >"$se/Brindlewick.exe"
: >"$se/steam_api.dll"
se_win=$("$WINE" winepath -w "$se")
"$WINE" reg add "$steam_key" /v AppPath /t REG_SZ /d "$se_win" /f >/dev/null
rm "$appdata/Microsoft/FSX-SE/exe.xml"
out=$( (cd "$se" && "$WINE" brindlewick-setup.exe install 2>&1 | tr -d '\r')) || fail "install: $out"
grep -qF "<Path>$se_win\\Brindlewick.exe</Path>" "$appdata/Microsoft/FSX-SE/exe.xml" &&
  ! grep -qF "$se_win" "$appdata/Microsoft/FSX/exe.xml" || fail "the Steam Edition's install: $out"
out=$(run status) || fail "status: $out"
expected="Found: FSX Steam Edition in $se_win, which reads $appdata_win\\Microsoft\\FSX-SE\\exe.xml
exe.xml: $appdata_win\\Microsoft\\FSX\\exe.xml"
grep -qF "$expected" <<<"$out" && grep -qxF "Simulator folder: $se_win" <<<"$out" ||
  fail "status with both editions said: $out"

# The Steam Edition's own key, before it ever ran: status says what install says.
mv "$appdata/Microsoft/FSX-SE" "$work/FSX-SE"
code=0
out=$( (cd "$se" && "$WINE" brindlewick-setup.exe status 2>&1 | tr -d '\r')) || code=$?
[ "$code" = 1 ] &&
  grep -qF "The simulator's settings folder $appdata_win\Microsoft\FSX-SE does not exist" <<<"$out" ||
  fail "status without FSX-SE: $out"
mv "$work/FSX-SE" "$appdata/Microsoft/FSX-SE"

# Only the installer's key (the 32-bit view a 32-bit program reads), then none.
"$WINE" reg delete "$key" /v AppPath /f >/dev/null
"$WINE" reg delete "$steam_key" /f >/dev/null
"$WINE" reg add "$machine_key" /v SetupPath /t REG_SZ /d "$sim_win\\" /f >/dev/null
out=$(run status) || fail "status: $out"
grep -qF "Found: boxed FSX in $sim_win," <<<"$out" || fail "SetupPath alone: $out"
"$WINE" reg delete "$machine_key" /v SetupPath /f >/dev/null
out=$(run status 2>&1) || true
grep -qF 'Found: no FSX in the registry (looked at HKCU\Software\Microsoft\Microsoft Games\Flight Simulator\10.0 AppPath, HKLM\SOFTWARE\' <<<"$out" ||
  fail "no key: $out"

# An AppPath written without its closing NUL, and with an odd byte after it.
printf 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n"AppPath"=hex(1):%s\r\n' \
  "${key/HKCU/HKEY_CURRENT_USER}" 43,00,3a,00,5c,00,46,00,53,00,58,00,5c |
  iconv -f UTF-8 -t UTF-16 >"$work/no-nul.reg"
"$WINE" reg import "$("$WINE" winepath -w "$work/no-nul.reg")" >/dev/null 2>&1
# The program is in neither folder and both files exist: install would ask.
out=$(run status) && fail "status: $out"
grep -qF "Found: boxed FSX in C:\FSX," <<<"$out" || fail "AppPath without its NUL: $out"
echo "ok: setup under Wine"
