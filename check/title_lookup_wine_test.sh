#!/usr/bin/env bash
# brindlewick-check.exe under Wine finds the simulator as on Windows: the
# install folder from the registry (the boxed edition before Steam's), its
# fsx.cfg or fsx_se.cfg from %APPDATA%; the Steam Edition installed alone
# writes the boxed key and reads fsx.cfg.
set -euo pipefail
check=$1
wine=${WINE:-wine}
work=
boxed='HKCU\Software\Microsoft\Microsoft Games\Flight Simulator\10.0'
steam='HKCU\Software\Microsoft\Microsoft Games\Flight Simulator - Steam Edition\10.0'
appdata=$("$wine" winepath -u "$("$wine" cmd /c echo %APPDATA% | tr -d '\r')")
cleanup() {
  "$wine" reg delete "$boxed" /f >/dev/null 2>&1 || true
  "$wine" reg delete "$steam" /f >/dev/null 2>&1 || true
  rm -rf "$work" "$appdata/Microsoft/FSX/fsx.cfg" "$appdata/Microsoft/FSX-SE/fsx_se.cfg"
}
trap cleanup EXIT
cleanup; work=$(mktemp -d)
mkdir -p "$work/FSX/Custom/Tower" "$work/FSX/SimObjects/Misc" "$work/p" "$appdata/Microsoft/FSX" "$appdata/Microsoft/FSX-SE"
printf '[fltsim.0]\r\ntitle=Control Tower\r\n' >"$work/FSX/Custom/Tower/sim.cfg"
printf '<SimObjectEntry><Object Dir="d"/><Season Type="SU" SimTitle="Control Tower"/>
<PlacementData Lat="1" Lon="2" Alt="3"/></SimObjectEntry>' >"$work/p/a.xml"
sim=$("$wine" winepath -w "$work/FSX")

expect() {  # the first line of the output, and a part of the last
  out=$(cd "$work" && "$wine" "$check" p | tr -d '\r' || true)
  [ "$(head -1 <<<"$out")" = "$1" ] && grep -qF -- "$2" <<<"$(tail -1 <<<"$out")" ||
    { echo "FAIL: expected \"$1\" ... \"$2\" in:"; echo "$out"; exit 1; }
}
expect "No simulator found in the registry: no titles checked (give --sim FOLDER or --titles FILE)" \
  "1 variant: 0 errors, 0 warnings, 1 note"

"$wine" reg add "$steam" /v AppPath /t REG_SZ /d "$sim\\" /f >/dev/null
printf '[Main]\r\nSimObjectPaths.0=Custom\r\n' >"$appdata/Microsoft/FSX-SE/fsx_se.cfg"
expect "Titles checked against the simulator in $sim (Steam edition)" \
  "0 errors, 0 warnings, 1 note; 1 title checked against 1 installed object"

"$wine" reg add "$steam" /v AppPath /t REG_SZ /d 'C:\Steam FSX' /f >/dev/null
"$wine" reg add "$boxed" /v AppPath /t REG_SZ /d "$sim" /f >/dev/null
expect "Titles checked against the simulator in $sim" "1 error"  # no fsx.cfg: the defaults
printf '[Main]\r\nSimObjectPaths.0=Custom\r\n' >"$appdata/Microsoft/FSX/fsx.cfg"
expect "Titles checked against the simulator in $sim" "0 errors, 0 warnings, 1 note; 1 title"

# The Steam Edition alone: the boxed key, a folder with steam_api.dll, fsx.cfg;
# the value as REG_EXPAND_SZ.
"$wine" reg delete "$steam" /f >/dev/null
: >"$work/FSX/steam_api.dll"
export BRINDLEWICK_TEST_SIM="$sim"
"$wine" reg add "$boxed" /v AppPath /t REG_EXPAND_SZ /d '%BRINDLEWICK_TEST_SIM%\' /f >/dev/null
expect "Titles checked against the simulator in $sim (Steam edition)" "0 errors, 0 warnings, 1 note; 1 title"
# A folder the code page cannot hold is read by its short name, never by a
# best-fit look-alike ("Łódź" is not "Lódz", which has no such title), from
# the registry and from --sim.
mkdir -p "$work/Lódz/FSX/Custom" "$work/Łódź"
cp -r "$work/FSX" "$work/Łódź/"
lodz=$("$wine" winepath -w "$work/Łódź/FSX")
"$wine" reg add "$boxed" /v AppPath /t REG_SZ /d "$lodz" /f >/dev/null
for sim_arg in "" "--sim=$lodz"; do
  out=$(cd "$work" && "$wine" "$check" ${sim_arg:+"$sim_arg"} p | tr -d '\r' || true)
  grep -q "0 errors, 0 warnings, 1 note; 1 title" <<<"$(tail -1 <<<"$out")" ||
    { echo "FAIL: Łódź ${sim_arg:-from the registry}:"; echo "$out"; exit 1; }
done
echo "PASS"
