#!/usr/bin/env bash
# The release package holds exactly the expected files, laid out to unpack
# into the simulator's folder; its exe is the one the tests ran; its notices
# cover every library the linker put into the exes.
# Usage: package_test.sh ZIP SHA256_OF_THE_TESTED_EXE BUILD_FOLDER
set -euo pipefail
zip=$1
tested=$2
build=$3
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

expected="Brindlewick README.txt
Brindlewick.exe
CHANGELOG.txt
Quillmar/BrindlewickV2/README.txt
Quillmar/BrindlewickV2/examples/Airfield.xml
Quillmar/BrindlewickV2/examples/Harbour.xml
Quillmar/BrindlewickV2/examples/Village.xml
THIRD-PARTY-NOTICES.txt
brindlewick-check.exe
brindlewick-setup.exe"
listed=$(unzip -Z1 "$zip" | LC_ALL=C sort)
[ "$listed" = "$expected" ] || fail "package holds:"$'\n'"$listed"$'\n'"expected:"$'\n'"$expected"
version=$(basename "$zip" | sed -n 's/^Brindlewick-\([0-9]*\.[0-9]*\.[0-9]*\)-win32\.zip$/\1/p')
[ -n "$version" ] || fail "the zip's name $(basename "$zip") holds no version"

packed=$(unzip -p "$zip" Brindlewick.exe | sha256sum | cut -d' ' -f1)
[ "$packed" = "$tested" ] || fail "the packed exe is not the one the tests ran"

# The README names what users must get right.
readme=$(unzip -p "$zip" "Brindlewick README.txt")
for needle in "Brindlewick $version - " "Brindlewick-$version-win32.zip" \
  'Unzip Brindlewick' 'Quillmar\BrindlewickV2\examples\' 'Brindlewick.previous.log' \
  'Quillmar\BrindlewickV2\' '%APPDATA%\Microsoft\FSX\exe.xml' '<Launch.Addon>' \
  '10.0.61259.0' '<Debug/>' 'brindlewick-check' \
  'brindlewick-setup install' 'brindlewick-setup status' '%APPDATA%\Microsoft\FSX-SE\exe.xml' \
  '\SDK\Core Utilities Kit\SimConnect SDK\LegacyInterfaces\FSX-XPACK\SimConnect.msi'; do
  grep -qF "$needle" <<<"$readme" || fail "README does not mention $needle"
done
# redist\Interface\... is Prepar3D's folder: FSX has none.
! grep -qF 'redist\Interface' <<<"$readme" || fail "README sends users to Prepar3D's redist folder"
for text in "Brindlewick README.txt" CHANGELOG.txt THIRD-PARTY-NOTICES.txt \
  Quillmar/BrindlewickV2/README.txt; do
  body=$(unzip -p "$zip" "$text")
  [ "$(grep -c $'\r$' <<<"$body")" = "$(wc -l <<<"$body")" ] || fail "$text lacks CRLF line ends"
done
unzip -p "$zip" CHANGELOG.txt | grep -q "^## \[$version\] - " || fail "CHANGELOG.txt has no $version entry"

# Each library the linker took code from (its map: archives whose members it
# included) has its licence in the notices, under a title naming it.
notices=$(unzip -p "$zip" THIRD-PARTY-NOTICES.txt | tr -d '\r')
for map in "$build/Brindlewick.exe.map" "$build/brindlewick-check.exe.map" \
  "$build/brindlewick-setup.exe.map"; do
  [ -f "$map" ] || fail "no link map $map"
  # "Archive member included to satisfy reference by file (symbol)" lists
  # each archive(member) the link used, a line each.
  sed -n '/^Archive member included/,/^\(Allocating common\|Discarded input\|Memory Configuration\)/p' \
    "$map" | grep -o '^[^ (]*\.a(' | sed 's/($//' | xargs -r realpath -m | sort -u \
    >"$build/linked-archives"
  while read -r archive; do
    case "$archive" in
      */libbrindlewick_*.a | */CMakeFiles/*.dir/objects.a) continue ;;  # our own
      */libtinyxml.a) title="TinyXML" licence="must not be misrepresented" ;;
      */libexpat.a) title="Expat" licence="Permission is hereby granted" ;;
      /usr/lib/gcc/*) title="libgcc and libstdc++, under the GCC Runtime Library Exception"
        licence="GCC RUNTIME LIBRARY EXCEPTION" ;;
      /usr/*-w64-mingw32/lib/*) title="MinGW-w64 runtime, with winpthreads"
        licence="mingw-w64-libraries/winpthreads" ;;
      *) fail "$(basename "$map" .map) links $archive, whose notice is not known here" ;;
    esac
    grep -qxF "$title" <<<"$notices" || fail "no notice titled \"$title\" for $archive"
    grep -qF "$licence" <<<"$notices" || fail "the notice for $archive lacks its licence text"
  done <"$build/linked-archives"
done
echo "ok: package"
