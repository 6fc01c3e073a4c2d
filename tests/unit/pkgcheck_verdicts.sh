#!/bin/sh
# pkgcheck's verdict, which the release trusts: each row edits a copy of the
# sample package, read from drive A:, and names the exit status (0 usable,
# 1 not). Windows Me and XP read only the floppy INF.
pkgcheck=$1 sample=$2 dir=$3
failed=0
row() {
    want=$1 name=$2 edit=$3
    rm -rf "$dir" && mkdir -p "$dir" && cp "$sample"/* "$dir" && (cd "$dir" && eval "$edit")
    "$pkgcheck" --drive-a "$dir" >/dev/null
    got=$?
    [ "$got" = "$want" ] || { echo "$name: $got, not $want"; failed=1; }
}
row 0 "the sample package" :
row 1 "no file" 'rm ./*'
row 0 "no floppy INF, Windows 98 only" 'rm NIMBLEFD.INF'
row 0 "no floppy INF, Win98Only left out" 'rm NIMBLEFD.INF; sed -i /^Win98Only/d NIMBLE.IN_'
row 1 "no floppy INF, Win98Only=0" 'rm NIMBLEFD.INF; sed -i s/Win98Only=1/Win98Only=0/ NIMBLE.IN_'
row 1 "the script unusable, the floppy INF fine, Win98Only=0" \
    'sed -i -e s/Win98Only=1/Win98Only=0/ -e /^Provider/d NIMBLE.IN_'
exit $failed
