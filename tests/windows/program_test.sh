#!/usr/bin/env bash
# Brindlewick.exe as a Windows process under Wine. One case per call:
#   program_test.sh CASE
#   program_test.sh stories [STORY...]   (default: every story)
# CASE: image | refuses-without-simconnect | refuses-other-version |
#       offline-run | network-run | network-refused | stories | console-hiding
# Inputs from the environment (CTest sets them): WINE, OBJDUMP, PROGRAM (the
# exe), OFFLINE_DLL (a SimConnect.dll whose Open fails), NETWORK_DLL (our
# network client as SimConnect.dll), EXAMPLES (the example Quillmar folder),
# NATIVE (the native program) and STANDIN (the native stand-in simulator), for
# offline-run and network-*, STORIES (the end-to-end runner) and PYTHON, for
# stories, and Wine's own WINEPREFIX, WINEDEBUG and friends.
set -euo pipefail
unset DISPLAY
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
cleanup() {
  [ -z "${standin:-}" ] || kill "$standin" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A program folder: the exe, its SimConnect assembly of the given version (or
# none) and placement files. Each file is NAME (an example file), NAME:AS (an
# example under another name, to set the listing order) or DIR/ (a folder).
lay_out() {
  local folder=$1 version=$2
  shift 2
  mkdir -p "$folder"
  cp "$PROGRAM" "$folder/Brindlewick.exe"
  [ "$version" = none ] ||
    "$here/install-private-simconnect" "$folder" "${SIMCONNECT_DLL:-$OFFLINE_DLL}" "$version"
  [ $# -gt 0 ] || return 0
  local placement="$folder/Quillmar/BrindlewickV2" file
  mkdir -p "$placement"
  for file in "$@"; do
    case "$file" in
      */) mkdir -p "$placement/$file" ;;
      *:*) cp "$EXAMPLES/BrindlewickV2/${file%%:*}" "$placement/${file#*:}" ;;
      *) cp "$EXAMPLES/BrindlewickV2/$file" "$placement/" ;;
    esac
  done
}

# Runs the exe in its folder; output in $folder/{out,err}, exit code echoed.
run() {
  local folder=$1
  (cd "$folder" && "$WINE" Brindlewick.exe >out 2>err </dev/null) && echo 0 || echo $?
}

case_image() {
  local dump="$work/dump"
  "$OBJDUMP" -p "$PROGRAM" >"$dump"
  # Only Windows' own DLLs and SimConnect.dll: the runtimes are linked in.
  local dlls
  dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' "$dump")
  [ -n "$dlls" ] || fail "no imports found"
  while read -r dll; do
    case "${dll,,}" in
      kernel32.dll | user32.dll | msvcrt.dll | api-ms-win-*.dll | simconnect.dll) ;;
      *) fail "imports $dll, which Windows does not ship" ;;
    esac
  done <<<"$dlls"
  grep -qx 'SimConnect.dll' <<<"$dlls" || fail "does not import SimConnect.dll"

  # SimConnect.dll's exports are undecorated: no leading _ and no @N.
  local imported expected
  imported=$(awk '/DLL Name: SimConnect.dll/ {on=1; next} /DLL Name:/ {on=0}
                  on && NF == 3 && $2 ~ /^[0-9]+$/ {print $3}' "$dump" | sort)
  expected=$(printf '%s\n' SimConnect_AICreateSimulatedObject SimConnect_AIRemoveObject \
    SimConnect_AddToDataDefinition SimConnect_CallDispatch SimConnect_Close SimConnect_Open \
    SimConnect_RequestDataOnSimObjectType SimConnect_SubscribeToSystemEvent | sort)
  [ "$imported" = "$expected" ] ||
    fail "SimConnect.dll imports differ:"$'\n'"$imported"$'\n'"expected:"$'\n'"$expected"

  # The manifest is resource type 24 (RT_MANIFEST), ID 1, and names the assembly.
  sed -n '/The .rsrc Resource Directory section/,$p' "$dump" >"$work/rsrc"
  grep -q 'Entry: ID: 0x000018' "$work/rsrc" || fail "no RT_MANIFEST resource"
  sed -n '/ID: 0x000018/,/Leaf/p' "$work/rsrc" | grep -q 'Entry: ID: 0x000001,' ||
    fail "the manifest is not resource 1"
  grep -aq 'name="Microsoft.FlightSimulator.SimConnect" version="10.0.61259.0" processorArchitecture="x86" publicKeyToken="67c7c14424d61b5b"' \
    "$PROGRAM" || fail "the manifest does not name SimConnect 10.0.61259.0"
}

# Without the assembly the loader cannot bind SimConnect.dll and the program
# never starts: no banner, and Wine says which dependency is missing.
expect_refused() {
  local folder=$1 code
  code=$(WINEDEBUG=fixme+actctx,err+module run "$folder")
  if [ "$code" = 0 ] || [ "$code" = 1 ]; then fail "exit code $code: the program started"; fi
  [ ! -s "$folder/out" ] || fail "printed: $(head -c 200 "$folder/out")"
  grep -q 'Could not find dependent assembly L"Microsoft.FlightSimulator.SimConnect" (10.0.61259.0)' \
    "$folder/err" || fail "no side-by-side error: $(cat "$folder/err")"
  grep -q 'Library SimConnect.dll .* not found' "$folder/err" || fail "SimConnect.dll was found"
}

case_refuses_without_simconnect() {
  lay_out "$work/p" none Airfield.xml
  expect_refused "$work/p"
}

# The assembly must be the exact version: an FSX RTM SimConnect does not do.
case_refuses_other_version() {
  lay_out "$work/p" 10.0.60905.0 Airfield.xml
  expect_refused "$work/p"
}

# With a SimConnect that cannot connect, the log is the native program's, with
# Windows line ends, and the program ends with its one error line.
case_offline_run() {
  [ -x "${NATIVE:-}" ] || fail "no native program to compare with (NATIVE)"
  lay_out "$work/win" 10.0.61259.0 Airfield.xml Harbour.xml Village.xml
  mkdir -p "$work/native"
  cp -r "$work/win/Quillmar" "$work/native/"
  local code native_code
  code=$(run "$work/win")
  native_code=$( (cd "$work/native" && "$NATIVE" >out 2>err) && echo 0 || echo $?)
  [ "$code" = 1 ] || fail "exit code $code, expected 1"
  [ "$native_code" = 1 ] || fail "native exit code $native_code, expected 1"
  printf 'Could not connect to the simulator.\r\n' | cmp -s - "$work/win/err" ||
    fail "stderr: $(od -c "$work/win/err" | head)"
  grep -q 'BRINDLEWICK' "$work/win/out" || fail "no banner"
  sed -z 's/\n/\r\n/g' "$work/native/out" | cmp - "$work/win/out" ||
    fail "stdout differs from the native program's (CRLF aside)"
}

# Runs `program` in `folder` against a stand-in simulator of its own, on a free
# port that SimConnect.cfg names. Sets `code` to the program's exit code and
# leaves out, err, sim (the stand-in's report, without timings) and transcript
# (without times) in the folder.
standin=""
run_against_standin() {
  local folder=$1 scenario=$2
  shift 2
  "$STANDIN" --port-file "$folder/port" --transcript "$folder/transcript.jsonl" --timeout 60 \
    --scenario "$scenario" >"$folder/sim.raw" &
  standin=$!
  local waited=0
  until [ -s "$folder/port" ]; do
    kill -0 "$standin" 2>/dev/null || fail "the stand-in did not start: $(cat "$folder/sim.raw")"
    ((++waited < 200)) || fail "the stand-in wrote no port"
    sleep 0.05
  done
  printf '[SimConnect]\r\nProtocol=Ipv4\r\nAddress=127.0.0.1\r\nPort=%s\r\n' \
    "$(cat "$folder/port")" >"$folder/SimConnect.cfg"
  code=0
  (cd "$folder" && "$@" >out 2>err </dev/null) || code=$?
  # The stand-in ends after its quit step; if the program left before that,
  # it would wait for another client until its own timeout.
  waited=0
  while kill -0 "$standin" 2>/dev/null && ((++waited < 100)); do sleep 0.05; done
  kill -0 "$standin" 2>/dev/null &&
    fail "the program left (exit code $code) before the simulator quit: $(head -c 300 "$folder/err")"
  local standin_code=0
  wait "$standin" || standin_code=$?
  standin=""
  [ "$standin_code" = 0 ] || fail "the stand-in ended with $standin_code: $(tail -3 "$folder/sim.raw")"
  sed -E 's/ at [0-9]+ ms:/:/' "$folder/sim.raw" | grep -v '^sim-standin: listening' >"$folder/sim"
  sed -E 's/^\{"t":[0-9]+,/{/' "$folder/transcript.jsonl" >"$folder/transcript"
}

# Through our network client as SimConnect.dll the exe meets the stand-in as
# the native program does: the same packets, the same objects left standing
# and the same log (CRLF aside).
case_network_run() {
  [ -x "${NATIVE:-}" ] || fail "no native program to compare with (NATIVE)"
  [ -x "${STANDIN:-}" ] || fail "no stand-in simulator (STANDIN)"
  [ -f "${NETWORK_DLL:-}" ] || fail "no network SimConnect.dll (NETWORK_DLL)"
  SIMCONNECT_DLL=$NETWORK_DLL lay_out "$work/win" 10.0.61259.0 Airfield.xml Harbour.xml Village.xml
  mkdir -p "$work/native"
  cp -r "$work/win/Quillmar" "$work/native/"
  # Loaded in autumn, a flight in winter, then the simulator quits.
  local scenario="launch 10; settle; flight 1; settle; quit"
  run_against_standin "$work/native" "$scenario" "$NATIVE"
  [ "$code" = 0 ] || fail "native exit code $code: $(cat "$work/native/err")"
  run_against_standin "$work/win" "$scenario" "$WINE" Brindlewick.exe
  [ "$code" = 0 ] || fail "exit code $code: $(cat "$work/win/err")"
  [ ! -s "$work/win/err" ] || fail "stderr: $(head -c 300 "$work/win/err")"
  grep -q '"kind":"AICreateSimulatedObject"' "$work/win/transcript" || fail "no object created"
  diff "$work/native/transcript" "$work/win/transcript" >&2 || fail "the transcripts differ"
  diff "$work/native/sim" "$work/win/sim" >&2 || fail "the stand-in saw different runs"
  sed -z 's/\n/\r\n/g' "$work/native/out" | cmp - "$work/win/out" ||
    fail "stdout differs from the native program's (CRLF aside)"
}

# Where SimConnect.cfg leads nowhere, or is wrong, the exe fails as the native
# program does: the same exit code and the same error lines (CRLF aside).
case_network_refused() {
  [ -x "${NATIVE:-}" ] || fail "no native program to compare with (NATIVE)"
  [ -x "${STANDIN:-}" ] || fail "no stand-in simulator (STANDIN)"
  # A port that was free a moment ago: the stand-in's, once it has gone.
  "$STANDIN" --port-file "$work/port" --timeout 60 >/dev/null &
  standin=$!
  local waited=0
  until [ -s "$work/port" ]; do ((++waited < 200)) || fail "the stand-in wrote no port"; sleep 0.05; done
  kill "$standin"
  wait "$standin" || true
  standin=""
  local port
  port=$(cat "$work/port")
  # The stand-in listens on IPv4 only, so ::1 refuses as well.
  local -a names=("closed port" "IPv6 loopback" "not an address" "IPv4 address as IPv6" "port 0")
  local -a configs=("Address=127.0.0.1
Port=$port" "Protocol=Ipv6
Address=::1
Port=$port" "Address=simulator.local
Port=$port" "Protocol=Ipv6
Address=127.0.0.1" "Port=0")
  local i native_code code
  SIMCONNECT_DLL=$NETWORK_DLL lay_out "$work/win" 10.0.61259.0 Airfield.xml
  mkdir -p "$work/native"
  cp -r "$work/win/Quillmar" "$work/native/"
  for i in "${!names[@]}"; do
    printf '[SimConnect]\n%s\n' "${configs[$i]}" | tee "$work/native/SimConnect.cfg" \
      >"$work/win/SimConnect.cfg"
    native_code=$( (cd "$work/native" && "$NATIVE" >out 2>err </dev/null) && echo 0 || echo $?)
    code=$(run "$work/win")
    [ "$native_code" = 1 ] || fail "${names[$i]}: native exit code $native_code, expected 1"
    [ "$code" = 1 ] || fail "${names[$i]}: exit code $code, expected 1"
    grep -q 'Could not connect to the simulator.' "$work/win/err" ||
      fail "${names[$i]}: stderr: $(cat "$work/win/err")"
    sed -z 's/\n/\r\n/g' "$work/native/err" | cmp -s - "$work/win/err" ||
      fail "${names[$i]}: stderr differs:"$'\n'"$(cat "$work/native/err")"$'\n'"$(cat "$work/win/err")"
  done
}

# The end-to-end stories the native program plays, played by the exe: the
# runner starts it by its path, so its folder holds the SimConnect assembly.
case_stories() {
  [ -x "${STANDIN:-}" ] || fail "no stand-in simulator (STANDIN)"
  [ -f "${STORIES:-}" ] || fail "no end-to-end runner (STORIES)"
  SIMCONNECT_DLL=$NETWORK_DLL lay_out "$work/exe" 10.0.61259.0
  local -a chosen=()
  local story
  for story in "$@"; do chosen+=(--story "$story"); done
  PYTHONDONTWRITEBYTECODE=1 "${PYTHON:-python3}" "$STORIES" --program "$work/exe/Brindlewick.exe" \
    --wrapper "$WINE" --crlf --standin "$STANDIN" "${chosen[@]}" ||
    fail "stories failed under Wine"
}

# The log is hidden after loading unless the last file has a Debug element.
# Without a display Wine gives the process no console window, so the relay
# trace of the calls themselves is what can be checked.
hide_calls() {
  local folder=$1
  WINEDEBUG=+relay run "$folder" >/dev/null
  grep -c 'Call user32.ShowWindow([0-9a-f]*,00000000)' "$folder/err" || true
}

case_console_hiding() {
  # Village.xml has a Debug element, Airfield.xml and Harbour.xml have none;
  # the folder lists names in upper-case order.
  local -a names=("debug last" "debug first only" "no debug" "no files" "last cannot load")
  local -a files=("Airfield.xml Village.xml" "Village.xml:a.xml Harbour.xml:b.xml" "Harbour.xml"
    "" "Village.xml:a.xml z.xml/")
  local -a hides=(0 1 1 0 1)
  local i calls
  for i in "${!names[@]}"; do
    # shellcheck disable=SC2086
    lay_out "$work/c$i" 10.0.61259.0 ${files[$i]}
    calls=$(hide_calls "$work/c$i")
    [ "$calls" = "${hides[$i]}" ] || fail "${names[$i]}: $calls ShowWindow(SW_HIDE) calls, expected ${hides[$i]}"
    grep -q 'Call KERNEL32.GetConsoleWindow()' "$work/c$i/err" || [ "${hides[$i]}" = 0 ] ||
      fail "${names[$i]}: hidden without asking for the console window"
  done
  # Without the placement folder the log says why, with Windows' code.
  grep -q $'^FindFirstFile failed (3)\r$' "$work/c3/out" || fail "no files: $(cat "$work/c3/out")"
}

case "${1:-}" in
  image) case_image ;;
  refuses-without-simconnect) case_refuses_without_simconnect ;;
  refuses-other-version) case_refuses_other_version ;;
  offline-run) case_offline_run ;;
  network-run) case_network_run ;;
  network-refused) case_network_refused ;;
  stories) case_stories "${@:2}" ;;
  console-hiding) case_console_hiding ;;
  *) fail "unknown case '${1:-}'" ;;
esac
echo "ok: $1"
