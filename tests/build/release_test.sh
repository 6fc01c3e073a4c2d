#!/usr/bin/env bash
# The release's floppy disk takes a Setup.exe only when the Windows 98 image
# check passes it.
#   release_test.sh BUILD      BUILD: the win32 build tree
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
setup=$build/platform/win32/Setup.exe

# The program as built, but asking for Windows 2000: OS version 5.0 in the
# optional header (40 bytes in, after the "PE\0\0" and the 20-byte file header).
cp "$setup" "$tmp/nt5.exe"
offset=$(od -An -tu4 -j60 -N4 "$setup" | tr -d ' ')
printf '\005' | dd of="$tmp/nt5.exe" bs=1 seek=$((offset + 24 + 40)) conv=notrunc status=none

failed=0
# row name | the Setup.exe | made or refused
while IFS='|' read -r name file expected; do
    mkdir -p "$tmp/$name"
    cp "$file" "$tmp/$name/Setup.exe"
    rm -f "$tmp/disk.img"
    "$root/scripts/release" --image "$tmp/disk.img" "$tmp/$name/Setup.exe" \
        "$root"/examples/package/* >"$tmp/out.txt" 2>&1
    got=refused
    [ -f "$tmp/disk.img" ] && got=made
    if [ "$got" != "$expected" ]; then
        echo "FAIL $name: the disk was $got, expected $expected"
        sed 's/^/    /' "$tmp/out.txt"
        failed=1
    fi
done <<ROWS
the program as built|$setup|made
one that asks for Windows 2000|$tmp/nt5.exe|refused
a program with the runtime's start-up code and imports|$build/tests/driver/setupdriver.exe|refused
ROWS
exit $failed
