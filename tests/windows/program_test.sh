#!/usr/bin/env bash
# What only Windows shows of the shipped exes: their images (imports,
# manifests), how Brindlewick.exe finds SimConnect.dll in C:\windows\winsxs or
# says it is missing, one copy per folder, and the end-to-end stories played
# by Brindlewick.exe under Wine. One case per call:
#   program_test.sh image | missing | broken | install | binding | stories [STORY...] | author
# "missing" takes our SimConnect out of the prefix, "install" puts it in as
# the Steam Edition's latest build, which "binding" and the stories need
# (CTest orders them). Wine binds a request to any installed build of the
# same major.minor that is not older, so the exact-version rule is the
# probe's unit test's to show.
# Inputs from the environment (CTest sets them): WINE, WINEPREFIX, SXS_ARCH,
# OBJDUMP, VERSION, PROGRAM and CHECKER and SETUP (the exes), NETWORK_DLL (our network
# client as SimConnect.dll), EXAMPLES (the example Quillmar folder), STANDIN,
# STORIES and PYTHON for the stories, and Wine's own variables.
# The image case reads the files only: it needs OBJDUMP, not Wine.
set -euo pipefail
unset DISPLAY
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Every XML manifest an image holds, whole, each ending in </assembly>.
manifests() {
  LC_ALL=C awk 'BEGIN {RS = "</assembly>"} /<assembly xmlns/ {
    sub(/.*<assembly xmlns/, "<assembly xmlns"); print $0 "</assembly>"}' "$1"
}

case_image() {
  local exe dump missing
  for exe in "$PROGRAM" "$CHECKER" "$SETUP"; do
    dump="$work/$(basename "$exe").dump"
    "$OBJDUMP" -p "$exe" >"$dump"
    # SimConnect.dll is loaded at run time, so an exe starts where it is missing.
    ! grep -qi 'DLL Name: SimConnect.dll' "$dump" || fail "$exe imports SimConnect.dll"
    # Every import, of every DLL, is one Windows XP SP2 exports (the runtimes
    # are linked in): a Vista function keeps the exe from starting on XP.
    missing=$(awk 'NR == FNR { if ($1 !~ /^#/ && NF) known[tolower($1) " " $2]; next }
                   /^The / { dll = ""; next }
                   /DLL Name:/ { dll = tolower($3); next }
                   dll && NF == 3 && $2 ~ /^[0-9]+$/ &&
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
    # The application manifest (the one asking for asInvoker) names no
    # SimConnect: a version named there and missing stops the exe before it
    # runs. The SimConnect probe's manifests name one version each.
    manifests "$exe" >"$work/manifests"
    ! awk '/asInvoker/ && /SimConnect/ {bad = 1} END {exit !bad}' RS='</assembly>' "$work/manifests" ||
      fail "$exe: its application manifest names SimConnect"
  done
  # Each exe's version, as its Properties show it, read with a PE reader
  # (Debian's python3-pefile, for Debian's own python3).
  /usr/bin/python3 "$here/version_info.py" "$VERSION" "$PROGRAM" "$CHECKER" "$SETUP" ||
    fail "an exe lacks its version information"
  local wanted="10.0.61259.0 10.0.62615.0 10.0.62614.0 10.0.62613.0 10.0.62612.0 10.0.62611.0"
  wanted+=" 10.0.62610.0 10.0.62609.0 10.0.62608.0 10.0.62607.0 10.0.61242.0 10.0.60905.0 "
  for exe in "$PROGRAM" "$SETUP"; do
    manifests "$exe" | grep -o "name=\"Microsoft.FlightSimulator.SimConnect\" version=\"[0-9.]*\" processorArchitecture=\"${SXS_ARCH:-x86}\"" |
      sed 's/.*version="\([0-9.]*\)".*/\1/' | tr '\n' ' ' >"$work/versions"
    [ "$(cat "$work/versions")" = "$wanted" ] ||
      fail "$exe: its SimConnect probe asks for: $(cat "$work/versions")"
  done
}

# A program folder: the exe, an example placement file, and a SimConnect.cfg
# for the network client that reaches `port` (1: nothing listens there).
lay_out() {
  mkdir -p "$1/Quillmar/BrindlewickV2"
  cp "$PROGRAM" "$1/Brindlewick.exe"
  cp "$EXAMPLES/BrindlewickV2/Airfield.xml" "$1/Quillmar/BrindlewickV2/"
  printf '[SimConnect]\r\nAddress=127.0.0.1\r\nPort=%s\r\n' "${2:-1}" >"$1/SimConnect.cfg"
}

# Runs the exe in folder $1: its output in $1/out and $1/err, the exit code in `code`.
run_in() {
  code=0
  (cd "$1" && "$WINE" Brindlewick.exe >out 2>err </dev/null) || code=$?
  tr -d '\r' <"$1/err" >"$1/err.txt"
}

# The same, with the folder reached by the Windows path $2 (a symbolic link
# or another drive letter), which Wine keeps as the working folder as given.
run_at() {
  code=0
  (cd "$1" && "$WINE" cmd /c "cd /d $2 && Brindlewick.exe" >out 2>err </dev/null) || code=$?
  tr -d '\r' <"$1/err" >"$1/err.txt"
}

# No SimConnect installed: the same log, then what to install, exit code 1;
# status says the same.
case_missing() {
  "$here/install-winsxs-simconnect" none
  lay_out "$work/none"
  run_in "$work/none"
  [ "$code" = 1 ] || fail "exit code $code without SimConnect"
  grep -q 'XML File Found: Airfield.xml!' "$work/none/out" || fail "no log without SimConnect"
  head -n1 "$work/none/err.txt" | grep -qx 'SimConnect is not installed; Brindlewick needs it to reach the simulator.' &&
    grep -qF 'LegacyInterfaces\FSX-XPACK\SimConnect.msi' "$work/none/err.txt" &&
    ! grep -q 'Could not connect' "$work/none/err.txt" || fail "without SimConnect it said: $(cat "$work/none/err.txt")"
  cp "$SETUP" "$work/none/brindlewick-setup.exe"
  (cd "$work/none" && "$WINE" brindlewick-setup.exe status --exe-xml exe.xml 2>&1 | tr -d '\r') >"$work/status"
  grep -qx 'SimConnect installed: none' "$work/status" || fail "status said: $(cat "$work/status")"
  # Started with a console of its own and no window (CREATE_NO_WINDOW): no
  # one can read it or press a key, so it does not wait.
  cp "$LAUNCHER" "$work/none/launch.exe"
  local start=$SECONDS
  code=0
  (cd "$work/none" && timeout 50 "$WINE" launch.exe Brindlewick.exe </dev/null >/dev/null 2>&1) || code=$?
  [ "$code" = 1 ] && [ $((SECONDS - start)) -lt 30 ] ||
    fail "without a console window: exit code $code after $((SECONDS - start)) s"
}

# SimConnect installed but broken (its DLL missing, no DLL, or one lacking our
# functions) is not "not installed": the program says which and why and
# points to status and a repair, exit code 1; status says why too.
case_broken() {
  local why dll
  lay_out "$work/broken"
  cp "$SETUP" "$work/broken/brindlewick-setup.exe"
  echo "not a DLL" >"$work/text.dll"
  for dll in missing "$work/text.dll" "$CHECKER"; do
    "$here/install-winsxs-simconnect" "$NETWORK_DLL" 10.0.62615.0
    case $dll in
      missing)
        why="its SimConnect.dll, or a DLL it needs, is missing"
        rm "$WINEPREFIX"/drive_c/windows/winsxs/*simconnect*_brindlewicktest/SimConnect.dll ;;
      *.dll)
        why="its SimConnect.dll is not a DLL for this system"
        "$here/install-winsxs-simconnect" "$dll" 10.0.62615.0 ;;
      *)
        why="its SimConnect.dll lacks SimConnect_Open"
        "$here/install-winsxs-simconnect" "$dll" 10.0.62615.0 ;;
    esac
    run_in "$work/broken"
    [ "$code" = 1 ] && head -n1 "$work/broken/err.txt" |
      grep -qx "SimConnect 10\.0\.62615\.0 is installed, but Brindlewick cannot use it: $why\." &&
      grep -q 'brindlewick-setup status' "$work/broken/err.txt" ||
      fail "SimConnect $dll: exit code $code, said: $(cat "$work/broken/err.txt")"
    (cd "$work/broken" && "$WINE" brindlewick-setup.exe status --exe-xml exe.xml 2>&1 | tr -d '\r') >"$work/status"
    grep -q "^SimConnect installed: .*(unusable: $why)" "$work/status" ||
      fail "status with SimConnect $dll said: $(cat "$work/status")"
  done
  "$here/install-winsxs-simconnect" none
}

case_install() { "$here/install-winsxs-simconnect" "$NETWORK_DLL" 10.0.62615.0; }

# With SimConnect in winsxs the program loads it and, with no simulator,
# says so as before. A second copy in the same folder ends at once; one in
# another folder runs.
case_binding() {
  lay_out "$work/unreachable"
  run_in "$work/unreachable"
  [ "$code" = 1 ] && [ "$(cat "$work/unreachable/err.txt")" = "Could not connect to the simulator." ] ||
    fail "exit code $code, said: $(cat "$work/unreachable/err.txt")"
  grep -q 'XML File Found: Airfield.xml!' "$work/unreachable/out" || fail "no log"
  # The log, in the local application data: the console's lines between our own.
  # (Wine binds the version asked for first to the build installed, 10.0.62615.0.)
  logs=$(dirname "$(find "$WINEPREFIX/drive_c/users" -path '*/Brindlewick/Brindlewick.log' | head -n1)")
  [ -f "$logs/Brindlewick.log" ] || fail "no Brindlewick.log in the local application data"
  tr -d '\r' <"$logs/Brindlewick.log" >"$work/log"
  for line in "^\* Brindlewick $VERSION started " '^\* Working folder: .*unreachable$' \
    '^\* SimConnect 10\.0\.[0-9]*\.0 loaded from .*62615.*\\SimConnect\.dll$' \
    '^XML File Found: Airfield\.xml!$' '^Could not connect to the simulator\.$' \
    '^\* Ended with exit code 1 at '; do
    grep -qi "$line" "$work/log" || fail "the log lacks $line: $(cat "$work/log")"
  done

  # A simulator that takes the connection and says nothing keeps the first copy running.
  "${PYTHON:-python3}" -c '
import os, socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(1)
open(sys.argv[1] + ".new", "w").write(str(s.getsockname()[1])); os.rename(sys.argv[1] + ".new", sys.argv[1])
c, _ = s.accept(); open(sys.argv[1] + ".accepted", "w").close(); time.sleep(120)' "$work/port" &
  pids+=($!)
  for _ in $(seq 100); do [ -f "$work/port" ] && break; sleep 0.1; done
  lay_out "$work/first" "$(cat "$work/port")"
  (cd "$work/first" && exec "$WINE" Brindlewick.exe >out 2>err </dev/null) &
  pids+=($!)
  for _ in $(seq 300); do [ -f "$work/port.accepted" ] && break; sleep 0.1; done
  [ -f "$work/port.accepted" ] || fail "the first copy never connected: $(cat "$work/first/err")"
  run_in "$work/first"
  [ "$code" = 1 ] && [ ! -s "$work/first/out" ] &&
    [ "$(cat "$work/first/err.txt")" = "Brindlewick is already running in this folder; this copy ends." ] ||
    fail "a second copy: exit code $code, said: $(cat "$work/first/out" "$work/first/err.txt")"
  # The same folder through a symbolic link, a Windows path of its own. (Wine
  # gives each drive letter a volume serial number of its own, so a second
  # drive letter on one folder shows nothing here; on Windows a subst or
  # mapped drive keeps the volume's.)
  ln -s "$work/first" "$work/alias"
  run_at "$work/first" "Z:${work//\//\\}\\alias"
  [ "$code" = 1 ] && [ ! -s "$work/first/out" ] &&
    [ "$(cat "$work/first/err.txt")" = "Brindlewick is already running in this folder; this copy ends." ] ||
    fail "a second copy through a link: exit code $code, said: $(cat "$work/first/out" "$work/first/err.txt")"
  # A second copy with a console of its own (a terminal here) keeps it up to
  # be read, until a key is pressed four seconds later.
  command -v script >/dev/null || fail "no script(1) (util-linux) to give the exe a terminal"
  local start=$SECONDS
  code=0
  (cd "$work/first" && (sleep 4; printf x) |
    script -qec "\"$WINE\" Brindlewick.exe >out 2>err" /dev/null >/dev/null) || code=$?
  tr -d '\r' <"$work/first/err" >"$work/first/err.txt"
  [ "$code" = 1 ] && [ $((SECONDS - start)) -ge 4 ] &&
    head -n1 "$work/first/err.txt" | grep -qx 'Brindlewick is already running in this folder; this copy ends.' &&
    grep -q '^Press a key' "$work/first/err.txt" ||
    fail "a second copy with its own console: exit code $code after $((SECONDS - start)) s, said: $(cat "$work/first/err.txt")"
  lay_out "$work/other"
  run_in "$work/other"
  grep -q 'XML File Found' "$work/other/out" || fail "a copy in another folder did not run"
  # Two copies at once never write one log: the first keeps Brindlewick.log.
  tr -d '\r' <"$logs/Brindlewick.log" >"$work/log"
  grep -q '^\* Working folder: .*first$' "$work/log" && ! grep -q '^\* Ended' "$work/log" &&
    tr -d '\r' <"$logs/Brindlewick-2.log" | grep -q '^\* Working folder: .*other$' ||
    fail "two copies' logs: $(cat "$work/log")"
  # Wine binds every version's request to the one build installed: status
  # names that DLL once, by its own file version.
  cp "$SETUP" "$work/other/brindlewick-setup.exe"
  (cd "$work/other" && "$WINE" brindlewick-setup.exe status --exe-xml exe.xml 2>&1 | tr -d '\r') >"$work/status"
  grep -qx 'SimConnect installed: 10\.0\.62615\.0 at [^,]*\\SimConnect\.dll' "$work/status" &&
    grep -qx 'SimConnect Brindlewick will use: 10\.0\.62615\.0 at .*\\SimConnect\.dll' "$work/status" ||
    fail "status said: $(cat "$work/status")"
}

# The end-to-end stories the native program plays, played by the exe with
# the SimConnect.dll that "install" put in winsxs.
case_stories() {
  mkdir -p "$work/exe"
  cp "$PROGRAM" "$work/exe/Brindlewick.exe"
  local -a chosen=()
  local story
  for story in "$@"; do chosen+=(--story "$story"); done
  PYTHONDONTWRITEBYTECODE=1 "${PYTHON:-python3}" "$STORIES" --program "$work/exe/Brindlewick.exe" \
    --wrapper "$WINE" --crlf --standin "$STANDIN" "${chosen[@]}" || fail "stories failed under Wine"
}

# Author mode's saves, played by the exe: the watch through ReadDirectoryChangesW.
case_author() {
  mkdir -p "$work/exe"
  cp "$PROGRAM" "$work/exe/Brindlewick.exe"
  PYTHONDONTWRITEBYTECODE=1 "${PYTHON:-python3}" "$(dirname "$STORIES")/author_e2e.py" \
    --program "$work/exe/Brindlewick.exe" --wrapper "$WINE" --crlf --standin "$STANDIN" ||
    fail "author mode failed under Wine"
}

case "${1:-}" in
  image) case_image ;;
  missing) case_missing ;;
  broken) case_broken ;;
  install) case_install ;;
  binding) case_binding ;;
  stories) case_stories "${@:2}" ;;
  author) case_author ;;
  *) fail "unknown case '${1:-}'" ;;
esac
echo "ok: $1"
