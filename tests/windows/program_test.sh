#!/usr/bin/env bash
# What only Windows shows of the shipped exes: their images (imports,
# manifests), the side-by-side binding of SimConnect.dll, and the end-to-end
# stories played by Brindlewick.exe under Wine. One case per call:
#   program_test.sh image | binding | stories [STORY...]
# Inputs from the environment (CTest sets them): WINE, OBJDUMP, PROGRAM and
# CHECKER and SETUP (the exes), OFFLINE_DLL and NETWORK_DLL (SimConnect.dll stand-ins:
# Open fails; our network client), EXAMPLES (the example Quillmar folder),
# STANDIN, STORIES and PYTHON for the stories, and Wine's own variables.
# The image case reads the files only: it needs OBJDUMP, not Wine.
set -euo pipefail
unset DISPLAY
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Functions of one DLL that an image imports, one a line, sorted.
imports() {
  awk -v dll="$2" '/DLL Name:/ {on = (tolower($3) == tolower(dll)); next}
                   on && NF == 3 && $2 ~ /^[0-9]+$/ {print $3}' "$1" | sort
}

case_image() {
  local exe dump missing
  for exe in "$PROGRAM" "$CHECKER" "$SETUP"; do
    dump="$work/$(basename "$exe").dump"
    "$OBJDUMP" -p "$exe" >"$dump"
    # Every import, of every DLL, is one Windows XP SP2 exports (the runtimes
    # are linked in): a Vista function keeps the exe from starting on XP.
    missing=$(awk 'NR == FNR { if ($1 !~ /^#/ && NF) known[tolower($1) " " $2]; next }
                   /^The / { dll = ""; next }
                   /DLL Name:/ { dll = tolower($3); next }
                   dll && dll != "simconnect.dll" && NF == 3 && $2 ~ /^[0-9]+$/ &&
                     !((dll " " $3) in known) { print dll "!" $3 }' "$here/xp-sp2-exports.txt" "$dump")
    [ -z "$missing" ] || fail "$exe imports what Windows XP SP2 lacks (or xp-sp2-exports.txt" \
      "does not list yet):" $missing
    grep -q '^Time/Date[[:space:]]*Thu Jan  1 00:00:00 1970$' "$dump" || fail "$exe holds its build time"
    # The manifest is resource 1 of type 24 (RT_MANIFEST): asInvoker, so no
    # write lands in the VirtualStore.
    sed -n '/The .rsrc Resource Directory section/,$p' "$dump" | sed -n '/ID: 0x000018/,/Leaf/p' |
      grep -q 'Entry: ID: 0x000001,' || fail "$exe: no manifest resource 1"
    grep -aq '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>' "$exe" ||
      fail "$exe: the manifest does not ask for asInvoker"
  done
  dump="$work/$(basename "$PROGRAM").dump"
  # SimConnect.dll's exports are undecorated: no leading _ and no @N.
  diff <(imports "$dump" SimConnect.dll) <(printf '%s\n' SimConnect_AICreateSimulatedObject \
    SimConnect_AIRemoveObject SimConnect_AddToDataDefinition SimConnect_CallDispatch \
    SimConnect_Close SimConnect_Open SimConnect_RequestDataOnSimObjectType \
    SimConnect_SubscribeToSystemEvent | sort) >&2 || fail "SimConnect.dll imports differ"
  grep -aq 'name="Microsoft.FlightSimulator.SimConnect" version="10.0.61259.0" processorArchitecture="x86" publicKeyToken="67c7c14424d61b5b"' \
    "$PROGRAM" || fail "the manifest does not name SimConnect 10.0.61259.0"
}

# The program folder: the exe and its SimConnect assembly of a version (none:
# no assembly).
lay_out() {
  mkdir -p "$1/Quillmar/BrindlewickV2"
  cp "$PROGRAM" "$1/Brindlewick.exe"
  cp "$EXAMPLES/BrindlewickV2/Airfield.xml" "$1/Quillmar/BrindlewickV2/"
  [ "$2" = none ] || "$here/install-private-simconnect" "$1" "${3:-$OFFLINE_DLL}" "$2"
}

# Only SimConnect 10.0.61259.0 binds: without it, or with another version
# (FSX RTM's), the program never starts and Wine names the missing assembly.
# With it, and a SimConnect that cannot connect, the program says so.
case_binding() {
  local version code
  for version in none 10.0.60905.0 10.0.61259.0; do
    lay_out "$work/$version" "$version"
    code=0
    (cd "$work/$version" && WINEDEBUG=fixme+actctx,err+module "$WINE" Brindlewick.exe \
      >out 2>err </dev/null) || code=$?
    if [ "$version" = 10.0.61259.0 ]; then
      [ "$code" = 1 ] || fail "exit code $code with SimConnect $version"
      grep -q 'XML File Found: Airfield.xml!' "$work/$version/out" || fail "no log with $version"
      continue
    fi
    [ "$code" != 0 ] && [ "$code" != 1 ] && [ ! -s "$work/$version/out" ] ||
      fail "SimConnect $version: exit code $code, the program started"
    grep -q 'Could not find dependent assembly L"Microsoft.FlightSimulator.SimConnect" (10.0.61259.0)' \
      "$work/$version/err" || fail "SimConnect $version: no side-by-side error"
  done
}

# The end-to-end stories the native program plays, played by the exe: the
# runner starts it by its path, so its folder holds the SimConnect assembly.
case_stories() {
  mkdir -p "$work/exe"
  cp "$PROGRAM" "$work/exe/Brindlewick.exe"
  "$here/install-private-simconnect" "$work/exe" "$NETWORK_DLL"
  local -a chosen=()
  local story
  for story in "$@"; do chosen+=(--story "$story"); done
  PYTHONDONTWRITEBYTECODE=1 "${PYTHON:-python3}" "$STORIES" --program "$work/exe/Brindlewick.exe" \
    --wrapper "$WINE" --crlf --standin "$STANDIN" "${chosen[@]}" || fail "stories failed under Wine"
}

case "${1:-}" in
  image) case_image ;;
  binding) case_binding ;;
  stories) case_stories "${@:2}" ;;
  *) fail "unknown case '${1:-}'" ;;
esac
echo "ok: $1"
