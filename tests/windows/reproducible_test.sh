#!/usr/bin/env bash
# The same commit packs the same bytes: the exes linked again and packed
# again give the zip and SHA256SUMS that scripts/package gave before. A
# relink is what would bring a link time stamp back; compiling everything
# once more would cost minutes and find nothing a relink does not.
# Usage: reproducible_test.sh ZIP BUILD_FOLDER   (run after scripts/package)
set -euo pipefail
cd "$(dirname "$0")/../.."
zip=$1
build=$2
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
before=$(mktemp -d)
trap 'rm -rf "$before"' EXIT
cp "$zip" "$(dirname "$zip")/SHA256SUMS" "$before/"
rm -f "$build/Brindlewick.exe" "$build/brindlewick-check.exe" "$build/brindlewick-setup.exe"
cmake --build "$build" -j2 --target brindlewick brindlewick-check brindlewick-setup >/dev/null
sleep 1  # a time taken from the clock would now differ
[ "$(scripts/package 2>/dev/null | tail -n1)" = "$zip" ] || fail "scripts/package made another name"
cmp "$before/$(basename "$zip")" "$zip" || fail "a second build and package gave other bytes"
cmp "$before/SHA256SUMS" "$(dirname "$zip")/SHA256SUMS" || fail "SHA256SUMS changed"
(cd "$(dirname "$zip")" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the zip"
echo "ok: reproducible package"
