#!/usr/bin/env bash
# The release package holds exactly the expected files, and its exe is the one
# the tests ran.
# Usage: package_test.sh ZIP SHA256_OF_THE_TESTED_EXE
set -euo pipefail
zip=$1
tested=$2
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

expected="Brindlewick/Brindlewick.exe
Brindlewick/Examples/Quillmar/BrindlewickV2/Airfield.xml
Brindlewick/Examples/Quillmar/BrindlewickV2/Harbour.xml
Brindlewick/Examples/Quillmar/BrindlewickV2/Village.xml
Brindlewick/README.txt
Brindlewick/brindlewick-check.exe
Brindlewick/brindlewick-setup.exe"
listed=$(unzip -Z1 "$zip" | LC_ALL=C sort)
[ "$listed" = "$expected" ] || fail "package holds:"$'\n'"$listed"$'\n'"expected:"$'\n'"$expected"

packed=$(unzip -p "$zip" Brindlewick/Brindlewick.exe | sha256sum | cut -d' ' -f1)
[ "$packed" = "$tested" ] || fail "the packed exe is not the one the tests ran"

# The README names what users must get right.
readme=$(unzip -p "$zip" Brindlewick/README.txt)
for needle in 'Quillmar\BrindlewickV2\' '%APPDATA%\Microsoft\FSX\exe.xml' '<Launch.Addon>' \
  '10.0.61259.0' '<Debug/>' 'brindlewick-check' \
  'brindlewick-setup install' 'brindlewick-setup status' '%APPDATA%\Microsoft\FSX-SE\exe.xml' \
  '\SDK\Core Utilities Kit\SimConnect SDK\LegacyInterfaces\FSX-XPACK\SimConnect.msi'; do
  grep -qF "$needle" <<<"$readme" || fail "README does not mention $needle"
done
# redist\Interface\... is Prepar3D's folder: FSX has none.
! grep -qF 'redist\Interface' <<<"$readme" || fail "README sends users to Prepar3D's redist folder"
[ "$(grep -c $'\r$' <<<"$readme")" = "$(wc -l <<<"$readme")" ] || fail "README lacks CRLF line ends"
echo "ok: package"
